// What a control looks like on the real X server, for the picture tests of control faces.
#pragma once

#include "platform/vcl/Controls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace testsupport {

// Lets the server and the event loop catch up.
inline void WaitEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// 0xRRGGBB of a colour as image pixels hold it.
inline uint32_t PixelOf(TColor c)
{
    const uint32_t ref = ColorToRGB(c);
    return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

// The control's window as the screen shows it.
inline QImage ScreenShot(TWinControl* c)
{
    QWidget* w = c->Widget();
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Pixels of the screen that differ by more than a rounding from what the control paints for
// itself (-1 when the sizes differ).
inline int OffFromOwnPainting(TWinControl* c, const QImage& shot)
{
    const QImage own = c->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (own.size() != shot.size())
        return -1;
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y), b = shot.pixelColor(x, y);
            differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                   std::abs(a.blue() - b.blue())}) > 8;
        }
    return differing;
}

// Saves the picture under DOV_PICTURE_DIR when that is set (for looking at the faces).
inline void SavePicture(const QImage& img, const QString& name)
{
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
        img.save(QString::fromLocal8Bit(dir) + QStringLiteral("/") + name);
}

}  // namespace testsupport
