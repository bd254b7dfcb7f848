// What the calculator and number edit picture tests share: waiting for the X server, and a
// window as the screen shows it (saved under DOV_PICTURE_DIR when that is set).
#pragma once

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

namespace editorpictures {

inline void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

inline QImage ScreenShot(QWidget* w, const QString& name)
{
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    QImage img = QGuiApplication::primaryScreen()
                     ->grabWindow(0, at.x(), at.y(), w->width(), w->height())
                     .toImage()
                     .convertToFormat(QImage::Format_RGB32);
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
        img.save(QString::fromLocal8Bit(dir) + u'/' + name + QStringLiteral(".png"));
    return img;
}

}  // namespace editorpictures
