// Image file data, the PNG and JPEG graphics, the file-format registry and the picture.
#include "Graphics.h"

#include "platform/rtl/Filer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <map>
#include <vector>

// ---------------------------------------------------------------- image data

namespace {
bool StartsWith(const QByteArray& Data, const char* Signature, int Length)
{
    return Data.size() >= Length && std::memcmp(Data.constData(), Signature, size_t(Length)) == 0;
}
const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
const char kJpegSignature[] = "\xFF\xD8\xFF";

bool IsPng(const QByteArray& Data) { return StartsWith(Data, kPngSignature, 8); }
bool IsJpeg(const QByteArray& Data) { return StartsWith(Data, kJpegSignature, 3); }
}

bool DecodeImageData(const QByteArray& Data, QImage& Image)
{
    Image = QImage();
    if (Data.isEmpty())
        return false;
    // Qt's readers show what they got of a cut file; a picture of a record must be whole.
    if (IsPng(Data) && !Data.contains(QByteArrayLiteral("IEND")))
        return false;
    if (IsJpeg(Data) && Data.lastIndexOf(QByteArrayLiteral("\xFF\xD9")) < 2)
        return false;
    QBuffer buffer;
    buffer.setData(Data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QImage img;
    if (!reader.read(&img) || img.isNull() || img.width() <= 0 || img.height() <= 0)
        return false;
    Image = std::move(img);
    return true;
}

void TGraphic::DefineProperties(TFiler* Filer)
{
    Filer->DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream* s) { LoadFromStream(s); }, [this](TStream* s) { SaveToStream(s); },
        !Empty());
}

// ---------------------------------------------------------------- PNG and JPEG

DOV_PUBLISHED(TEncodedImage) {}
DOV_PUBLISHED(TPngImage) {}
DOV_PUBLISHED(TJPEGImage)
{
    P.Prop("CompressionQuality", &TJPEGImage::CompressionQuality, &TJPEGImage::SetCompressionQuality).Default(90);
}

TEncodedImage::TEncodedImage() : FImage(std::make_unique<QImage>()) {}
TEncodedImage::~TEncodedImage() = default;

int TEncodedImage::Width() const { return FImage->width(); }
int TEncodedImage::Height() const { return FImage->height(); }

void TEncodedImage::SetWidth(int v)
{
    SetImage(FImage->copy(0, 0, std::max(0, v), Height()));
}

void TEncodedImage::SetHeight(int v)
{
    SetImage(FImage->copy(0, 0, Width(), std::max(0, v)));
}

void TEncodedImage::LoadFromStream(TStream* stream)
{
    const QByteArray bytes = stream->ReadBytes(stream->Size() - stream->Position());
    QImage img;
    if (!DecodeImageData(bytes, img))
        throw EInvalidGraphic(QStringLiteral("%s image is not valid"), {QString::fromLatin1(FormatName())});
    *FImage = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Data of another format is written in this class's own format when saved.
    FSource = IsOwnFormat(bytes) ? bytes : QByteArray();
    Changed();
}

void TEncodedImage::SaveToStream(TStream* stream)
{
    if (FImage->isNull())
        return;
    if (FSource.isEmpty()) {
        QBuffer buf(&FSource);
        buf.open(QIODevice::WriteOnly);
        if (!FImage->save(&buf, FormatName(), Quality()))
            throw EInvalidGraphic(QStringLiteral("%s image cannot be written"), {QString::fromLatin1(FormatName())});
    }
    stream->WriteBytes(FSource);
}

QImage TEncodedImage::ToImage() const { return *FImage; }

void TEncodedImage::SetImage(const QImage& img)
{
    *FImage = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FSource.clear();
    Changed();
}

void TEncodedImage::Assign(TPersistent* Source)
{
    if (auto* e = dynamic_cast<TEncodedImage*>(Source); e && &e->ClassInfo() == &ClassInfo()) {
        *FImage = *e->FImage;
        FSource = e->FSource;
        FTransparent = e->FTransparent;
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetImage(g->ToImage());
        return;
    }
    if (!Source) {
        SetImage(QImage());
        return;
    }
    TGraphic::Assign(Source);
}

bool TPngImage::IsOwnFormat(const QByteArray& Data) const { return IsPng(Data); }
bool TJPEGImage::IsOwnFormat(const QByteArray& Data) const { return IsJpeg(Data); }

// ---------------------------------------------------------------- file formats

namespace {
struct TFileFormat {
    QString Extension;
    QString Description;
    TGraphicClass Class;
};
std::vector<TFileFormat>& FileFormats()
{
    static std::vector<TFileFormat> formats = {
        {QStringLiteral("bmp"), QStringLiteral("Bitmaps"), &TBitmap::StaticClassInfo()},
        {QStringLiteral("png"), QStringLiteral("Portable Network Graphics"), &TPngImage::StaticClassInfo()},
        {QStringLiteral("jpg"), QStringLiteral("JPEG Image File"), &TJPEGImage::StaticClassInfo()},
        {QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"), &TJPEGImage::StaticClassInfo()},
        {QStringLiteral("ico"), QStringLiteral("Icons"), &TIcon::StaticClassInfo()},
    };
    return formats;
}
}

void RegisterFileFormat(const QString& Extension, const QString& Description, TGraphicClass GraphicClass)
{
    const QString ext = Extension.toLower();
    auto& formats = FileFormats();
    for (TFileFormat& f : formats)
        if (f.Extension == ext) {
            f = {ext, Description, GraphicClass};
            return;
        }
    formats.push_back({ext, Description, GraphicClass});
}

TGraphicClass FileFormatClass(const QString& Extension)
{
    QString ext = Extension.toLower();
    if (ext.startsWith(u'.'))
        ext.remove(0, 1);
    for (const TFileFormat& f : FileFormats())
        if (f.Extension == ext)
            return f.Class;
    return nullptr;
}

QString GraphicExtension(TGraphicClass GraphicClass)
{
    for (const TFileFormat& f : FileFormats())
        if (f.Class == GraphicClass)
            return f.Extension;
    return {};
}

QString GraphicFilter(TGraphicClass GraphicClass)
{
    QStringList masks, entries;
    for (const TFileFormat& f : FileFormats())
        if (GraphicClass && f.Class->InheritsFrom(GraphicClass)) {
            const QString mask = QStringLiteral("*.") + f.Extension;
            masks << mask;
            entries << QStringLiteral("%1 (%2)|%2").arg(f.Description, mask);
        }
    if (masks.isEmpty())
        return {};
    const QString all = masks.join(u';');
    return QStringLiteral("All (%1)|%1|").arg(all) + entries.join(u'|');
}

TGraphicClass GraphicClassForData(const char* Data, int64_t Size)
{
    if (!Data || Size <= 0)
        return nullptr;
    const QByteArray head = QByteArray::fromRawData(Data, qsizetype(std::min<int64_t>(Size, 8)));
    if (IsPng(head))
        return &TPngImage::StaticClassInfo();
    if (IsJpeg(head))
        return &TJPEGImage::StaticClassInfo();
    if (StartsWith(head, "BM", 2))
        return &TBitmap::StaticClassInfo();
    return nullptr;
}

TGraphicClass StoredPictureClass(const char* Data, int64_t Size, int64_t& DataStart)
{
    if (!Data || Size < 2)
        return nullptr;
    const int length = uint8_t(Data[0]);
    if (length == 0 || length + 1 > Size)
        return nullptr;
    const QString name = QString::fromLatin1(Data + 1, length);
    for (const TFileFormat& f : FileFormats())
        if (f.Class->Name == name) {
            DataStart = 1 + length;
            return f.Class;
        }
    return nullptr;
}

// ---------------------------------------------------------------- picture

DOV_PUBLISHED(TPicture) {}
TPicture::TPicture() = default;
TPicture::~TPicture() = default;

namespace {
std::unique_ptr<TGraphic> NewGraphic(TGraphicClass Class)
{
    if (!Class || !Class->CreatePersistent || !Class->InheritsFrom(&TGraphic::StaticClassInfo()))
        return std::make_unique<TBitmap>();
    return std::unique_ptr<TGraphic>(static_cast<TGraphic*>(Class->CreatePersistent()));
}

// A graphic of the data's class (a bitmap for formats without a class of their own), loaded
// from the stream's position; EInvalidGraphic when the data is no image.
std::unique_ptr<TGraphic> LoadGraphic(TGraphicClass Class, TStream* Stream)
{
    std::unique_ptr<TGraphic> g = NewGraphic(Class);
    g->LoadFromStream(Stream);
    return g;
}
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> g)
{
    FGraphic = std::move(g);
    if (FGraphic)
        FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* g)
{
    if (!g) {
        TakeGraphic(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = NewGraphic(&g->ClassInfo());
    copy->Assign(g);
    TakeGraphic(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) {
        FGraphic = std::make_unique<TBitmap>();
        FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    }
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(p->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::LoadFromFile(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix();
    TGraphicClass cls = FileFormatClass(ext);
    if (!cls && !QImageReader::supportedImageFormats().contains(ext.toLower().toLatin1()))
        throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%s)"), {ext});
    TFileStream s(fileName, fmOpenRead);
    TakeGraphic(LoadGraphic(cls, &s));
}

void TPicture::SaveToFile(const QString& fileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream* stream)
{
    const int64_t start = stream->Position();
    const QByteArray head = stream->ReadBytes(std::min<int64_t>(stream->Size() - start, 256));
    stream->SetPosition(start);
    int64_t dataStart = 0;
    TGraphicClass cls = StoredPictureClass(head.constData(), head.size(), dataStart);
    if (cls)
        stream->SetPosition(start + dataStart);
    else
        cls = GraphicClassForData(head.constData(), head.size());
    TakeGraphic(LoadGraphic(cls, stream));
}

void TPicture::SaveToStream(TStream* stream)
{
    if (FGraphic)
        FGraphic->SaveToStream(stream);
}

void TPicture::DefineProperties(TFiler* Filer)
{
    Filer->DefineBinaryProperty(
        QStringLiteral("Data"),
        [this](TStream* s) {
            if (s->Size() - s->Position() <= 0)
                SetGraphic(nullptr);
            else
                LoadFromStream(s);
        },
        [this](TStream* s) {
            const QByteArray name = FGraphic->ClassInfo().Name.toLatin1();
            const uint8_t length = uint8_t(name.size());
            s->WriteBuffer(&length, 1);
            s->WriteBuffer(name.constData(), length);
            FGraphic->SaveToStream(s);
        },
        FGraphic != nullptr);
}
