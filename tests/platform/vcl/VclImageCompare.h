// Image probes and reference comparison for the drawing tests (no application object).
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace vcltest {

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

namespace vcltest {
// Compares an image with a stored reference (PNG under tests/data) within a per-channel
// tolerance. With DOV_UPDATE_REFERENCES=1 in the environment the reference is written instead.
inline ::testing::AssertionResult MatchesReference(const QImage& img, const QString& relativePath, int tolerance)
{
#ifdef DOV_TEST_DATA
    const QString path = QStringLiteral(DOV_TEST_DATA "/") + relativePath;
#else
    const QString path = relativePath;
#endif
    if (qgetenv("DOV_UPDATE_REFERENCES") == "1") {
        img.convertToFormat(QImage::Format_RGB32).save(path, "PNG");
        return ::testing::AssertionSuccess() << "reference written";
    }
    QImage ref;
    if (!ref.load(path))
        return ::testing::AssertionFailure() << "no reference image " << path.toStdString();
    const int d = MaxDiff(img.convertToFormat(QImage::Format_RGB32), ref.convertToFormat(QImage::Format_RGB32));
    if (d < 0)
        return ::testing::AssertionFailure() << "size differs from " << path.toStdString();
    if (d > tolerance)
        return ::testing::AssertionFailure() << "differs by " << d << " from " << path.toStdString();
    return ::testing::AssertionSuccess();
}
} // namespace vcltest
