// What a control looks like on the real X server, for the picture tests of control faces.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <utility>

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

// The window as the screen shows it.
inline QImage ScreenShot(QWidget* w)
{
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The control's window as the screen shows it.
inline QImage ScreenShot(TWinControl* c) { return ScreenShot(c->Widget()); }

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

// The window as the screen shows it, saved as NAME.png under DOV_PICTURE_DIR when that is set.
inline QImage ScreenShot(QWidget* w, const QString& name)
{
    const QImage img = ScreenShot(w);
    SavePicture(img, name + QStringLiteral(".png"));
    return img;
}

// The window as the screen shows it (saved as NAME.png), checked against what it paints for
// itself: the picture tests hold that what reaches the screen is what the control painted.
inline QImage ShotAsPainted(QWidget* w, const QString& name)
{
    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shot = ScreenShot(w, name);
    EXPECT_EQ(own.size(), shot.size()) << name.toStdString();
    if (own.size() == shot.size()) {
        EXPECT_LE(vcltest::MaxDiff(own, shot), 8) << name.toStdString();
    }
    return shot;
}

// Leftmost and rightmost columns with dark ink inside the rows [top, bottom) (-1 when none).
inline std::pair<int, int> InkColumns(const QImage& img, int top, int bottom, int fromX, int toX)
{
    int first = -1, last = -1;
    for (int x = fromX; x < toX; ++x)
        for (int y = top; y < bottom; ++y)
            if (qGray(img.pixel(x, y)) < 110) {
                if (first < 0)
                    first = x;
                last = x;
            }
    return {first, last};
}

// Shows the form and gives the control the keyboard; a server that has just started may take
// a moment to hand out the activation. The caller checks that the focus arrived.
inline void ShowAndFocus(TCustomForm* form, TWinControl* control)
{
    form->Show();
    WaitEvents(300);
    for (int i = 0; i < 30 && QApplication::focusWidget() != control->Widget(); ++i) {
        form->Widget()->activateWindow();
        control->SetFocus();
        WaitEvents(100);
    }
}

}  // namespace testsupport
