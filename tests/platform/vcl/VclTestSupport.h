// Shared by the window-layer tests: one QApplication per executable, image probes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>

namespace vcltest {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
        static int argc = 1;
        static char name[] = "vcltest";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            App = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

inline QImage WhiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Bounding box of the pixels that differ from the background colour (empty when none).
inline QRect InkBox(const QImage& img, QColor background = Qt::white, int tolerance = 40)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            const int d = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green())
                + std::abs(c.blue() - background.blue());
            if (d > tolerance)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

inline uint32_t Rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
// 0xRRGGBB of a COLORREF (0xBBGGRR) for comparing with image pixels.
inline uint32_t ToRgb(uint32_t colorref)
{
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// Largest per-channel difference between two images of equal size (-1 when sizes differ).
inline int MaxDiff(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int m = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            m = std::max({m, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
        }
    return m;
}

} // namespace vcltest
