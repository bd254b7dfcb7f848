#include "platform/vcl/VclTestSupport.h"

#include "platform/rtl/Filer.h"
#include "platform/vcl/Graphics.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

QImage Checker(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return img;
}

QByteArray Encode(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format, 100);
    return bytes;
}

QByteArray StreamBytes(TMemoryStream& s)
{
    return QByteArray(static_cast<const char*>(s.Memory()), qsizetype(s.Size()));
}

TMemoryStream* Fill(TMemoryStream& s, const QByteArray& bytes)
{
    s.Clear();
    s.WriteBytes(bytes);
    s.SetPosition(0);
    return &s;
}

}  // namespace

TEST(Picture, PngAndJpegKeepTheirClassAndTheirFileData)
{
    const QByteArray png = Encode(Checker(4, 3), "PNG");
    const QByteArray jpg = Encode(Checker(16, 8), "JPG");
    TMemoryStream s;
    TPicture pic;
    pic.LoadFromStream(Fill(s, png));
    ASSERT_TRUE(dynamic_cast<TPngImage*>(pic.Graphic()));
    EXPECT_EQ(pic.Width(), 4);
    EXPECT_EQ(pic.Graphic()->ToImage().pixelColor(1, 0), QColor(Qt::red));
    TMemoryStream out;
    pic.SaveToStream(&out);
    EXPECT_EQ(StreamBytes(out), png);   // unchanged data is written back as it came

    pic.LoadFromStream(Fill(s, jpg));
    ASSERT_TRUE(dynamic_cast<TJPEGImage*>(pic.Graphic()));
    EXPECT_EQ(pic.Height(), 8);
    TPicture copy;
    copy.Assign(&pic);
    ASSERT_TRUE(dynamic_cast<TJPEGImage*>(copy.Graphic()));
    TMemoryStream out2;
    copy.SaveToStream(&out2);
    EXPECT_EQ(StreamBytes(out2), jpg);   // a copy is not re-encoded either
}

TEST(Picture, BadImageDataRaisesAndLeavesThePictureAsItWas)
{
    const QByteArray png = Encode(Checker(4, 3), "PNG");
    const QByteArray jpg = Encode(Checker(32, 32), "JPG");
    const QByteArray bmp = Encode(Checker(5, 5), "BMP");
    struct Case {
        const char* Name;
        QByteArray Data;
    };
    const Case cases[] = {
        {"text", QByteArray("this is no picture at all")},
        {"PNG cut in its pixel data", png.left(png.size() - 20)},
        {"PNG signature only", png.left(8)},
        {"JPEG without its end", jpg.left(jpg.size() / 2)},
        {"JPEG marker only", jpg.left(3)},
        {"BMP header only", bmp.left(20)},
        {"one byte", QByteArray(1, 'B')},
        {"zero-size PNG header", png.left(16) + QByteArray(8, '\0') + png.mid(24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPicture pic;
        TMemoryStream s;
        pic.LoadFromStream(Fill(s, png));
        int changes = 0;
        pic.OnChange = [&](TObject*) { ++changes; };
        EXPECT_THROW(pic.LoadFromStream(Fill(s, c.Data)), EInvalidGraphic);
        EXPECT_EQ(changes, 0);
        EXPECT_EQ(pic.Width(), 4);
        TPngImage direct;
        EXPECT_THROW(direct.LoadFromStream(Fill(s, c.Data)), EInvalidGraphic);
        EXPECT_TRUE(direct.Empty());
    }
}

TEST(Picture, FilesChooseTheClassByExtension)
{
    QTemporaryDir dir;
    const QImage img = Checker(6, 2);
    const QString png = dir.filePath("a.PNG"), jpg = dir.filePath("b.jpeg"), bmp = dir.filePath("c.bmp"),
                  gif = dir.filePath("d.gif"), odd = dir.filePath("e.xyz");
    img.save(png, "PNG");
    img.save(jpg, "JPG");
    img.save(bmp, "BMP");
    img.save(gif, "GIF");
    img.save(odd, "PNG");
    TPicture pic;
    pic.LoadFromFile(png);
    EXPECT_TRUE(dynamic_cast<TPngImage*>(pic.Graphic()));
    pic.LoadFromFile(jpg);
    EXPECT_TRUE(dynamic_cast<TJPEGImage*>(pic.Graphic()));
    pic.LoadFromFile(bmp);
    EXPECT_TRUE(dynamic_cast<TBitmap*>(pic.Graphic()));
    if (QFile::exists(gif)) {   // a format without a class of its own comes as a bitmap
        pic.LoadFromFile(gif);
        EXPECT_TRUE(dynamic_cast<TBitmap*>(pic.Graphic()));
    }
    EXPECT_THROW(pic.LoadFromFile(odd), EInvalidGraphic);
    EXPECT_THROW(pic.LoadFromFile(dir.filePath("missing.png")), Exception);
    EXPECT_TRUE(dynamic_cast<TBitmap*>(pic.Graphic()));   // still the last good one

    // Saved in the graphic's own format, and read back to the same pixels.
    pic.LoadFromFile(png);
    const QString saved = dir.filePath("saved.png");
    pic.SaveToFile(saved);
    TPicture back;
    back.LoadFromFile(saved);
    EXPECT_EQ(back.Graphic()->ToImage().convertToFormat(QImage::Format_RGB32), img);
}

TEST(Picture, FileFormatRegistry)
{
    EXPECT_EQ(FileFormatClass("JPG"), &TJPEGImage::StaticClassInfo());
    EXPECT_EQ(FileFormatClass(".png"), &TPngImage::StaticClassInfo());
    EXPECT_EQ(FileFormatClass("tiff"), nullptr);
    EXPECT_EQ(GraphicExtension(&TBitmap::StaticClassInfo()), QStringLiteral("bmp"));
    EXPECT_EQ(GraphicExtension(&TJPEGImage::StaticClassInfo()), QStringLiteral("jpg"));
    EXPECT_EQ(GraphicFilter(&TJPEGImage::StaticClassInfo()),
              QStringLiteral("All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpg)|*.jpg|"
                             "JPEG Image File (*.jpeg)|*.jpeg"));
    EXPECT_EQ(GraphicFilter(&TBitmap::StaticClassInfo()), QStringLiteral("All (*.bmp)|*.bmp|Bitmaps (*.bmp)|*.bmp"));
    EXPECT_EQ(GraphicFilter(nullptr), QString());
}

TEST(Picture, StoredDataNamesTheClassThenCarriesTheGraphicsData)
{
    const QByteArray png = Encode(Checker(3, 3), "PNG");
    TPicture pic;
    TMemoryStream s;
    pic.LoadFromStream(Fill(s, png));
    TMemoryStream stored;
    ASSERT_TRUE(WritePersistentData(&pic, &stored));
    const QByteArray bytes = StreamBytes(stored);
    EXPECT_EQ(bytes, QByteArray("\x09TPngImage") + png);

    int64_t start = 0;
    EXPECT_EQ(StoredPictureClass(bytes.constData(), bytes.size(), start), &TPngImage::StaticClassInfo());
    EXPECT_EQ(start, 10);
    EXPECT_EQ(StoredPictureClass(png.constData(), png.size(), start), nullptr);
    EXPECT_EQ(StoredPictureClass("\x20TBitmap", 8, start), nullptr);   // the name runs past the data
    EXPECT_EQ(StoredPictureClass("\x07TObject", 8, start), nullptr);   // not a graphic class

    TPicture back;
    stored.SetPosition(0);
    ASSERT_TRUE(ReadPersistentData(&back, &stored));
    EXPECT_TRUE(dynamic_cast<TPngImage*>(back.Graphic()));
    EXPECT_EQ(back.Width(), 3);
    // A bare image reads as well, and no data empties the picture.
    ASSERT_TRUE(ReadPersistentData(&back, Fill(s, Encode(Checker(7, 1), "BMP"))));
    EXPECT_TRUE(dynamic_cast<TBitmap*>(back.Graphic()));
    EXPECT_EQ(back.Width(), 7);
    ASSERT_TRUE(ReadPersistentData(&back, Fill(s, QByteArray())));
    EXPECT_EQ(back.Graphic(), nullptr);
    // A graphic on its own is its bare data.
    TMemoryStream bare;
    ASSERT_TRUE(WritePersistentData(pic.Graphic(), &bare));
    EXPECT_EQ(StreamBytes(bare), png);
}

TEST(Picture, StretchDrawIntoAnEmptyOrInvertedRectangleDrawsNothing)
{
    TBitmap target(20, 20);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 20, 20));
    TBitmap red;
    QImage redPixels(4, 4, QImage::Format_RGB32);
    redPixels.fill(Qt::red);
    red.SetImage(redPixels);
    TBitmap empty;
    for (const TRect& r : {TRect(5, 5, 5, 15), TRect(5, 5, 15, 5), TRect(15, 15, 5, 5)})
        target.Canvas()->StretchDraw(r, &red);
    target.Canvas()->StretchDraw(TRect(0, 0, 20, 20), &empty);
    const QImage img = target.Image();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(img.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}
