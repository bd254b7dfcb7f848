#include "platform/vcl/VclTestSupport.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ImgList.h"

#include <QBuffer>

namespace {

// Three cells that differ in every pixel, with transparent and half-transparent pixels.
QImage Cell(int i, int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x + y + i) % 3 == 0 ? qRgba(0, 0, 0, 0)
                               : (x + y + i) % 3 == 1 ? qRgba(40 * i, 200, 10 * x, 255)
                                                      : qRgba(255, 20 * y, 60 * i, 128));
    return img;
}

QString Hex(const QImage& img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString ListText(int w, int h, const QString& hex)
{
    return QStringLiteral("object L: TImageList\n  Width = %1\n  Height = %2\n  Bitmap = {%3}\nend\n")
        .arg(w)
        .arg(h)
        .arg(hex);
}

QColor PixelOf(const TCustomImageList& l, int i, int x, int y)
{
    return l.Image(i).convertToFormat(QImage::Format_ARGB32).pixelColor(x, y);
}

}  // namespace

TEST(ImageListStream, ImagesComeBackFromTheFormTextPixelForPixel)
{
    RegisterClasses<TImageList>();
    TImageList src(nullptr);
    src.SetName(QStringLiteral("L"));
    src.SetSize(5, 4);
    for (int i = 0; i < 3; ++i)
        src.AddImage(Cell(i, 5, 4));
    const QString text = ComponentToText(&src);
    EXPECT_TRUE(text.contains(QStringLiteral("Bitmap = {"))) << text.toStdString();

    TImageList back(nullptr);
    ReadComponentRes(text.toUtf8(), &back);
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Height(), 4);
    ASSERT_EQ(back.Count(), 3);
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelOf(back, i, x, y), PixelOf(src, i, x, y)) << i << ":" << x << "," << y;
}

TEST(ImageListStream, AnEmptyListWritesNoImageData)
{
    TImageList empty(nullptr);
    empty.SetName(QStringLiteral("L"));
    EXPECT_FALSE(ComponentToText(&empty).contains(QStringLiteral("Bitmap")));
}

TEST(ImageListStream, DataThatIsNoRowOfCellsIsRefusedAndTheListKept)
{
    RegisterClasses<TImageList>();
    const QString whole = Hex(Cell(0, 8, 4));
    const struct {
        const char* what;
        int w, h;
        QString hex;
    } cases[] = {
        {"no image", 4, 4, QStringLiteral("0011223344556677")},
        {"cut short", 4, 4, whole.left(whole.size() / 2)},
        {"other height", 4, 3, whole},
        {"part of a cell", 3, 4, whole},
    };
    for (const auto& c : cases) {
        TImageList l(nullptr);
        l.SetName(QStringLiteral("L"));
        l.SetSize(c.w, c.h);
        l.AddImage(Cell(1, c.w, c.h));
        const QString text = ListText(c.w, c.h, c.hex);
        EXPECT_THROW(ReadComponentRes(text.toUtf8(), &l), EReadError) << c.what;
        EXPECT_EQ(l.Count(), 1) << c.what;
    }
}
