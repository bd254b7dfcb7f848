// Image lists over QImage.
#include "ImgList.h"

#include "platform/rtl/Filer.h"
#include "platform/winapi/DeviceContext.h"

#include <QBuffer>

DOV_PUBLISHED(TCustomImageList)
{
    P.Prop("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
    P.Prop("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
    P.Prop("BkColor", &TCustomImageList::BkColor).Default(clNone);
    P.Prop("BlendColor", &TCustomImageList::BlendColor).Default(clNone);
    P.Prop("DrawingStyle", &TCustomImageList::DrawingStyle).Default(dsNormal);
    P.Prop("ImageType", &TCustomImageList::ImageType).Default(itImage);
}
DOV_PUBLISHED(TImageList) {}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}
TCustomImageList::~TCustomImageList() = default;
int TCustomImageList::Count() const { return int(FImages.size()); }

void TCustomImageList::SetWidth(int v) { SetSize(v, FHeight); }
void TCustomImageList::SetHeight(int v) { SetSize(FWidth, v); }
void TCustomImageList::SetSize(int w, int h)
{
    if (w == FWidth && h == FHeight)
        return;
    FWidth = std::max(0, w);
    FHeight = std::max(0, h);
    FImages.clear();   // a new size empties the list, as the platform's does
    Changed();
}

int TCustomImageList::AddImage(const QImage& Image)
{
    // A strip of several images is split into cells.
    const int n = FWidth > 0 ? std::max(1, Image.width() / FWidth) : 1;
    const int first = Count();
    for (int i = 0; i < n; ++i) {
        QImage cell(FWidth, FHeight, QImage::Format_ARGB32_Premultiplied);
        cell.fill(Qt::transparent);
        QPainter p(&cell);
        p.drawImage(0, 0, Image, i * FWidth, 0, FWidth, FHeight);
        p.end();
        FImages.push_back(cell);
    }
    Changed();
    return first;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
    QImage img = Image->Image().convertToFormat(QImage::Format_ARGB32);
    if (Mask && !Mask->Empty()) {
        const QImage& m = Mask->Image();
        for (int y = 0; y < img.height() && y < m.height(); ++y)
            for (int x = 0; x < img.width() && x < m.width(); ++x)
                if ((m.pixel(x, y) & 0xFFFFFF) != 0)
                    img.setPixel(x, y, 0);
    }
    return AddImage(img);
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    QImage img = Image->Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(ColorToRGB(MaskColor == clDefault ? Image->TransparentColor() : MaskColor)).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return AddImage(img);
}

void TCustomImageList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
    FImages.erase(FImages.begin() + Index);
    Changed();
}

void TCustomImageList::Clear()
{
    FImages.clear();
    Changed();
}

const QImage& TCustomImageList::Image(int Index) const { return FImages.at(size_t(Index)); }

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) const
{
    if (Index < 0 || Index >= Count() || !Image)
        return false;
    Image->SetImage(FImages[size_t(Index)]);
    return true;
}

void TCustomImageList::DefineProperties(TFiler* Filer)
{
    TComponent::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        QStringLiteral("Bitmap"), [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); },
        Count() > 0);
}

void TCustomImageList::WriteData(TStream* Stream) const
{
    QImage strip(FWidth * Count(), FHeight, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter p(&strip);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (int i = 0; i < Count(); ++i)
            p.drawImage(i * FWidth, 0, FImages[size_t(i)]);
    }
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    strip.save(&buf, "PNG");
    Stream->WriteBytes(bytes);
}

void TCustomImageList::ReadData(TStream* Stream)
{
    QImage strip;
    // A strip that is no image, or not a whole row of cells of the list's size, would put
    // pictures under the wrong indexes: refuse it and keep the list as it was.
    if (!DecodeImageData(Stream->ReadBytes(Stream->Size() - Stream->Position()), strip) || FWidth <= 0 ||
        strip.height() != FHeight || strip.width() % FWidth != 0)
        throw EReadError(QStringLiteral("Image list data is not valid"));
    FImages.clear();
    AddImage(strip);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled)
{
    if (Index < 0 || Index >= Count())
        return;
    HDC dc = Canvas->Handle();
    if (!dc || !dc->Painter)
        return;
    if (dc->Recorder)
        dc->Record(QStringLiteral("DrawImage(%1,%2;%3;%4)").arg(X).arg(Y).arg(Index).arg(Enabled ? 1 : 0));
    const QRect target = dc->DevRect(Bounds(X, Y, FWidth, FHeight));
    if (Enabled) {
        dc->Painter->drawImage(target, FImages[size_t(Index)]);
        return;
    }
    // Disabled: the shape embossed in highlight and shadow colours, as the platform draws it.
    const QImage& src = FImages[size_t(Index)];
    QImage shape(src.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    auto paintShape = [&](COLORREF c) {
        QImage s = src.convertToFormat(QImage::Format_ARGB32);
        const QRgb rgb = ToQColor(c).rgb();
        for (int y = 0; y < s.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(s.scanLine(y));
            for (int x = 0; x < s.width(); ++x) {
                const QRgb p = line[x];
                const int lum = (qRed(p) * 77 + qGreen(p) * 150 + qBlue(p) * 29) >> 8;
                line[x] = qAlpha(p) > 0 && lum < 192 ? (rgb | 0xFF000000) : 0;
            }
        }
        return s;
    };
    dc->Painter->drawImage(target.translated(1, 1), paintShape(GetSysColor(COLOR_BTNHIGHLIGHT)));
    dc->Painter->drawImage(target, paintShape(GetSysColor(COLOR_BTNSHADOW)));
}

void TCustomImageList::DrawEx(HDC DC, int Index, int X, int Y, int DX, int DY, COLORREF Bk, COLORREF Fg, UINT Style)
{
    if (Index < 0 || Index >= Count() || !DC || !DC->Painter)
        return;
    const int w = DX > 0 ? DX : FWidth, h = DY > 0 ? DY : FHeight;
    const QRect target = DC->DevRect(Bounds(X, Y, w, h));
    if (Bk != CLR_NONE && !(Style & ILD_TRANSPARENT))
        DC->FillDev(target, Bk == CLR_DEFAULT ? ColorToRGB(BkColor == clNone ? clWhite : BkColor) : Bk);
    QImage img = FImages[size_t(Index)];
    if (Style & ILD_MASK) {
        img = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = qAlpha(line[x]) ? 0xFF000000 : 0;
        }
    }
    DC->Painter->drawImage(target, img);
    if ((Style & (ILD_BLEND50 | ILD_BLEND25)) && Fg != CLR_NONE) {
        // Half of every image pixel takes the foreground colour.
        const COLORREF fg = Fg == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : Fg;
        QImage tint = img.convertToFormat(QImage::Format_ARGB32);
        const QRgb rgb = ToQColor(fg).rgb() & 0xFFFFFF;
        const int alpha = (Style & ILD_BLEND50) ? 128 : 64;
        for (int y = 0; y < tint.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(tint.scanLine(y));
            for (int x = 0; x < tint.width(); ++x)
                line[x] = qAlpha(line[x]) ? (rgb | (QRgb(alpha) << 24)) : 0;
        }
        DC->Painter->drawImage(target, tint);
    }
}
