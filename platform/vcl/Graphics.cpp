// Colours, fonts, pens, brushes, canvases and bitmaps over QPainter and QImage.
#include "Graphics.h"

#include "platform/rtl/Filer.h"
#include "platform/winapi/DeviceContext.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QImageReader>
#include <cmath>

// ---------------------------------------------------------------- colours

COLORREF ColorToRGB(TColor c)
{
    if (c < 0)
        return GetSysColor(int(uint32_t(c) & 0xFF));
    if (c == clNone || c == clDefault)
        return COLORREF(c);
    return COLORREF(c) & 0xFFFFFF;
}

namespace {
struct ColorName { TColor Value; const char* Name; };
const ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"}, {clNavy, "clNavy"},
    {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"}, {clSilver, "clSilver"}, {clRed, "clRed"},
    {clLime, "clLime"}, {clYellow, "clYellow"}, {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"},
    {clWhite, "clWhite"}, {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"}, {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
};
}

QString ColorToString(TColor c)
{
    for (const ColorName& n : kColorNames)
        if (n.Value == c)
            return QString::fromLatin1(n.Name);
    return QStringLiteral("$%1").arg(uint32_t(c), 8, 16, QLatin1Char('0')).toUpper();
}

bool IdentToColor(const QString& ident, TColor& c)
{
    for (const ColorName& n : kColorNames)
        if (ident.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) {
            c = n.Value;
            return true;
        }
    return false;
}

// ---------------------------------------------------------------- font

DOV_PUBLISHED(TFont)
{
    P.Prop("Charset", &TFont::GetCharset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
    P.Prop("Color", &TFont::GetColor, &TFont::SetColor).Default(clWindowText);
    P.Prop("Height", &TFont::GetHeight, &TFont::SetHeight);
    P.Prop("Name", &TFont::GetName, &TFont::SetName);
    P.Prop("Pitch", &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault);
    P.Prop("Style", &TFont::GetStyle, &TFont::SetStyle).Default(TFontStyles());
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Changed()
{
    FQt.reset();
    if (OnChange)
        OnChange(this);
}

void TFont::SetName(const QString& v) { if (v != FName && !v.isEmpty()) { FName = v; Changed(); } }
int TFont::GetSize() const { return -MulDiv(FHeight, 72, PixelsPerInch); }
void TFont::SetSize(int v) { SetHeight(-MulDiv(v, PixelsPerInch, 72)); }
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Changed(); } }
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (!(v == FStyle)) { FStyle = v; Changed(); } }
void TFont::SetPitch(TFontPitch v) { if (v != FPitch) { FPitch = v; Changed(); } }
void TFont::SetCharset(TFontCharset v) { if (v != FCharset) { FCharset = v; Changed(); } }

void TFont::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (Equals(f) && f->PixelsPerInch == PixelsPerInch)
            return;
        FName = f->FName;
        // On a device of another resolution the font keeps its size in points.
        FHeight = f->PixelsPerInch == PixelsPerInch ? f->FHeight : -MulDiv(f->GetSize(), PixelsPerInch, 72);
        FColor = f->FColor;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

bool TFont::Equals(const TFont* o) const
{
    return o && FName == o->FName && FHeight == o->FHeight && FColor == o->FColor && FStyle == o->FStyle
        && FPitch == o->FPitch && FCharset == o->FCharset;
}

namespace {
QString QtFamilyFor(const QString& name)
{
    static QHash<QString, QString> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QString family = QStringLiteral("DejaVu Sans");
    if (name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("Courier"), Qt::CaseInsensitive) == 0)
        family = QStringLiteral("DejaVu Sans Mono");
    else if (QFontDatabase::hasFamily(name) && name != QLatin1String("Default"))
        family = name;
    cache.insert(name, family);
    return family;
}
}

const QFont& TFont::QtFont() const
{
    if (!FQt) {
        FQt = std::make_unique<QFont>(QtFamilyFor(FName));
        int px = FHeight < 0 ? -FHeight : std::max(1, FHeight * 4 / 5);   // positive: cell height
        FQt->setPixelSize(std::max(1, px));
        FQt->setBold(FStyle.Contains(fsBold));
        FQt->setItalic(FStyle.Contains(fsItalic));
        FQt->setUnderline(FStyle.Contains(fsUnderline));
        FQt->setStrikeOut(FStyle.Contains(fsStrikeOut));
        FQt->setFixedPitch(FPitch == fpFixed);
        FQt->setHintingPreference(QFont::PreferFullHinting);
    }
    return *FQt;
}

// ---------------------------------------------------------------- pen, brush

DOV_PUBLISHED(TPen)
{
    P.Prop("Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack);
    P.Prop("Mode", &TPen::GetMode, &TPen::SetMode).Default(pmCopy);
    P.Prop("Style", &TPen::GetStyle, &TPen::SetStyle).Default(psSolid);
    P.Prop("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
}
void TPen::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TPen::SetWidth(int v) { if (v != FWidth) { FWidth = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TPen::SetMode(TPenMode v) { if (v != FMode) { FMode = v; Changed(); } }
void TPen::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        FColor = p->FColor; FWidth = p->FWidth; FStyle = p->FStyle; FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

DOV_PUBLISHED(TBrush)
{
    P.Prop("Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite);
    P.Prop("Style", &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid);
}
void TBrush::SetColor(TColor v)
{
    if (v != FColor) {
        FColor = v;
        if (FStyle == bsClear)
            FStyle = bsSolid;
        Changed();
    }
}
void TBrush::SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TBrush::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        FColor = b->FColor; FStyle = b->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- canvas

DOV_PUBLISHED(TCanvas) {}

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    FFont->OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
    FPen->OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
    FBrush->OnChange = TNotifyEvent(this, &TCanvas::ObjectChanged);
}

TCanvas::~TCanvas() { FreeHandle(); }

void TCanvas::ObjectChanged(TObject* Sender)
{
    if (Sender == FFont.get())
        FFontValid = false;
    else
        FPenBrushValid = false;
}

void TCanvas::FreeHandle()
{
    if (FHandle && FOwnsHandle)
        DeleteDC(FHandle);
    FHandle = nullptr;
    FOwnsHandle = false;
    FFontValid = FPenBrushValid = false;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == FHandle)
        return;
    FreeHandle();
    FHandle = dc;
    if (FHandle && FRecorder)
        SetDCRecorder(FHandle, FRecorder);
}

void TCanvas::SetOwnedHandle(HDC dc)
{
    SetHandle(dc);
    FOwnsHandle = dc != nullptr;
}

void TCanvas::SetRecorder(std::function<void(const QString&)> recorder)
{
    FRecorder = std::move(recorder);
    if (FHandle)
        SetDCRecorder(FHandle, FRecorder);
}

HDC TCanvas::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TCanvas::RequireFont()
{
    HDC dc = Handle();
    if (!dc || FFontValid)
        return;
    DCSetFont(dc, FFont->QtFont());
    ::SetTextColor(dc, ColorToRGB(FFont->GetColor()));
    FFontValid = true;
}

void TCanvas::RequirePenBrush()
{
    HDC dc = Handle();
    if (!dc || FPenBrushValid)
        return;
    static const int penStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    DCSetPen(dc, ColorToRGB(FPen->GetColor()), FPen->GetWidth(), penStyles[FPen->GetStyle()]);
    DCSetBrush(dc, ColorToRGB(FBrush->GetColor()), FBrush->GetStyle() == bsClear ? BS_NULL : BS_SOLID);
    ::SetBkColor(dc, ColorToRGB(FBrush->GetColor()));
    SetBkMode(dc, FBrush->GetStyle() == bsClear ? TRANSPARENT : OPAQUE);
    FPenBrushValid = true;
}

void TCanvas::Changing() { if (OnChanging) OnChanging(this); }
void TCanvas::Changed() { if (OnChange) OnChange(this); }

void TCanvas::FillRect(const TRect& r)
{
    RequirePenBrush();
    Changing();
    if (FBrush->GetStyle() != bsClear)
        ::FillRect(Handle(), r, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    RequirePenBrush();
    Changing();
    ::FrameRect(Handle(), r, FBrush->Handle());
    Changed();
}

void TCanvas::Rectangle(const TRect& r)
{
    RequirePenBrush();
    Changing();
    ::Rectangle(Handle(), r.Left, r.Top, r.Right, r.Bottom);
    Changed();
}

void TCanvas::Ellipse(const TRect& r)
{
    RequirePenBrush();
    ::Ellipse(Handle(), r.Left, r.Top, r.Right, r.Bottom);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y)
{
    RequirePenBrush();
    Changing();
    ::LineTo(Handle(), x, y);
    Changed();
}

TPoint TCanvas::PenPos()
{
    TPoint p;
    MoveToEx(Handle(), 0, 0, &p);
    MoveToEx(Handle(), p.X, p.Y, nullptr);
    return p;
}

void TCanvas::Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), int(points.size())); }

void TCanvas::Polyline(const TPoint* points, int count)
{
    RequirePenBrush();
    Changing();
    ::Polyline(Handle(), points, count);
    Changed();
}

void TCanvas::PolyPolyline(const TPoint* points, const DWORD* counts, int polylines)
{
    RequirePenBrush();
    Changing();
    ::PolyPolyline(Handle(), points, counts, polylines);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    RequirePenBrush();
    ::Polygon(Handle(), points.data(), int(points.size()));
}

void TCanvas::DrawFocusRect(const TRect& r) { ::DrawFocusRect(Handle(), r); }

TColor TCanvas::Pixels(int x, int y)
{
    const COLORREF c = GetPixel(Handle(), x, y);
    return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixels(int x, int y, TColor c) { SetPixel(Handle(), x, y, ColorToRGB(c)); }

void TCanvas::TextOut(int x, int y, const QString& text)
{
    RequireFont();
    RequirePenBrush();
    Changing();
    ExtTextOut(Handle(), x, y, 0, nullptr, text, -1, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    RequireFont();
    RequirePenBrush();
    Changing();
    UINT options = ETO_CLIPPED;
    if (FBrush->GetStyle() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(Handle(), x, y, options, &r, text, -1, nullptr);
    Changed();
}

void TCanvas::TextRect(TRect& r, QString& text, TTextFormat format)
{
    static const UINT flags[] = {DT_BOTTOM, DT_CALCRECT, DT_CENTER, DT_EDITCONTROL, DT_END_ELLIPSIS, DT_PATH_ELLIPSIS,
                                 DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT, DT_MODIFYSTRING, DT_NOCLIP, DT_NOPREFIX,
                                 DT_RIGHT, DT_RTLREADING, DT_SINGLELINE, DT_TOP, DT_VCENTER, DT_WORDBREAK};
    UINT f = 0;
    for (int i = 0; i <= int(tfWordBreak); ++i)
        if (format.Contains(TTextFormats(i)))
            f |= flags[i];
    RequireFont();
    RequirePenBrush();
    const int mode = SetBkMode(Handle(), FBrush->GetStyle() == bsClear ? TRANSPARENT : OPAQUE);
    ::DrawText(Handle(), text, -1, r, f);
    SetBkMode(Handle(), mode);
}

int TCanvas::TextWidth(const QString& text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const QString& text) { return TextExtent(text).cy; }
TSize TCanvas::TextExtent(const QString& text)
{
    RequireFont();
    TSize s;
    GetTextExtentPoint32(Handle(), text, s);
    return s;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::Draw(int x, int y, TGraphic* graphic, uint8_t opacity)
{
    if (!graphic || graphic->Empty())
        return;
    HDC dc = Handle();
    if (!dc || !dc->Painter)
        return;
    const qreal old = dc->Painter->opacity();
    dc->Painter->setOpacity(opacity / 255.0);
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    dc->Painter->setOpacity(old);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    // Nothing fits an empty or inverted rectangle (Qt would mirror an inverted one).
    if (graphic && !graphic->Empty() && r.Width() > 0 && r.Height() > 0)
        graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source)
{
    Changing();
    StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), canvas->Handle(), source.Left, source.Top,
               source.Width(), source.Height(), DWORD(CopyMode));
    Changed();
}

TRect TCanvas::ClipRect()
{
    TRect r;
    GetClipBox(Handle(), r);
    return r;
}

HRGN TCanvas::SaveClipRegion()
{
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(Handle(), r) != 1) {
        DeleteRgn(r);
        return nullptr;
    }
    return r;
}

void TCanvas::RestoreClipRegion(HRGN saved)
{
    SelectClipRgn(Handle(), saved);
    if (saved)
        DeleteRgn(saved);
}

void TCanvas::SetMirrored(bool v) { SetLayout(Handle(), v ? DWORD(LAYOUT_RTL) : DWORD(0)); }
bool TCanvas::Mirrored() { return (GetLayout(Handle()) & LAYOUT_RTL) != 0; }

void GradientFillCanvas(TCanvas* canvas, TColor start, TColor finish, const TRect& r, bool vertical)
{
    GradientFillRect(canvas->Handle(), r, ColorToRGB(start), ColorToRGB(finish), vertical);
}

// ---------------------------------------------------------------- graphics

DOV_PUBLISHED(TGraphic) {}

void TGraphic::LoadFromFile(const QString& fileName)
{
    TFileStream s(fileName, fmOpenRead);
    LoadFromStream(&s);
}

void TGraphic::SaveToFile(const QString& fileName)
{
    TMemoryStream m;
    SaveToStream(&m);
    m.SaveToFile(fileName);
}

void TGraphic::Draw(TCanvas* canvas, const TRect& r)
{
    HDC dc = canvas->Handle();
    if (!dc || !dc->Painter)
        return;
    dc->Painter->drawImage(dc->DevRect(r), ToImage());
}

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(QImage* img) : FImg(img) {}
    QImage* FImg;

protected:
    void CreateHandle() override { SetOwnedHandle(CreateDCForImage(FImg)); }
};

DOV_PUBLISHED(TBitmap)
{
    P.Prop("TransparentMode", &TBitmap::TransparentMode).Default(tmAuto);
}

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()) {}
TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }
TBitmap::~TBitmap() { FCanvas.reset(); }

int TBitmap::Width() const { return FImage->width(); }
int TBitmap::Height() const { return FImage->height(); }
void TBitmap::SetWidth(int v) { SetSize(v, Height()); }
void TBitmap::SetHeight(int v) { SetSize(Width(), v); }

void TBitmap::SetSize(int w, int h)
{
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == Width() && h == Height())
        return;
    if (FCanvas)
        FCanvas->FreeHandle();   // the painter must end before the image changes
    QImage next(w, h, QImage::Format_ARGB32_Premultiplied);
    next.fill(Qt::white);
    if (!FImage->isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, *FImage);
    }
    *FImage = std::move(next);
    Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(FImage.get());
    return FCanvas.get();
}

TColor TBitmap::TransparentColor() const
{
    if (TransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (FImage->isNull())
        return clDefault;
    return TColor(FromQColor(FImage->pixelColor(0, FImage->height() - 1)));
}

void TBitmap::SetTransparentColor(TColor c)
{
    FTransparentColor = c;
    TransparentMode = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

const QImage& TBitmap::Image() const { return *FImage; }

void TBitmap::SetImage(const QImage& img)
{
    if (FCanvas)
        FCanvas->FreeHandle();
    *FImage = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Changed();
}

void TBitmap::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        SetImage(b->Image());
        FTransparent = b->FTransparent;
        TransparentMode = b->TransparentMode;
        FTransparentColor = b->FTransparentColor;
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

void TBitmap::LoadFromStream(TStream* stream)
{
    const QByteArray bytes = stream->ReadBytes(stream->Size() - stream->Position());
    QImage img;
    if (!DecodeImageData(bytes, img))
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    SetImage(img);
}

void TBitmap::SaveToStream(TStream* stream)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    FImage->convertToFormat(QImage::Format_RGB32).save(&buf, "BMP");
    stream->WriteBytes(bytes);
}

void TBitmap::DefineProperties(TFiler* Filer)
{
    if (!dynamic_cast<TReader*>(Filer) && !dynamic_cast<TWriter*>(Filer)) {
        TGraphic::DefineProperties(Filer);
        return;
    }
    Filer->DefineBinaryProperty(
        QStringLiteral("Data"),
        [this](TStream* s) {
            const int64_t start = s->Position();
            const QByteArray head = s->ReadBytes(std::min<int64_t>(s->Size() - start, 256));
            int64_t dataStart = 0;
            s->SetPosition(StoredPictureClass(head.constData(), head.size(), dataStart) ? start + dataStart : start);
            if (s->Size() - s->Position() <= 0)
                SetImage(QImage());
            else
                LoadFromStream(s);
        },
        [this](TStream* s) {
            const QByteArray name = ClassInfo().Name.toLatin1();
            const uint8_t length = uint8_t(name.size());
            s->WriteBuffer(&length, 1);
            s->WriteBuffer(name.constData(), length);
            SaveToStream(s);
        },
        !Empty());
}

bool TBitmap::LoadFromResourceName(HINSTANCE, const QString& name)
{
    QImage img;
    for (const QString& path : {name, QStringLiteral(":/") + name, QStringLiteral(":/bitmaps/") + name,
                                QStringLiteral(":/bitmaps/") + name + QStringLiteral(".bmp"),
                                QStringLiteral(":/bitmaps/") + name + QStringLiteral(".png")}) {
        if (QFile::exists(path) && img.load(path))
            break;
    }
    if (img.isNull())
        return false;
    SetImage(img);
    return true;
}

QImage TBitmap::ToImage() const
{
    if (!FTransparent || FImage->isNull())
        return *FImage;
    QImage img = FImage->convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(ColorToRGB(TransparentColor())).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return img;
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r)
{
    HDC dc = canvas->Handle();
    if (!dc || !dc->Painter || FImage->isNull())
        return;
    if (dc->Recorder)
        dc->Record(QStringLiteral("DrawBitmap(%1,%2,%3,%4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
    if (FTransparent) {
        dc->Painter->drawImage(dc->DevRect(r), ToImage());
        return;
    }
    const auto mode = dc->Painter->compositionMode();
    dc->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dc->Painter->drawImage(dc->DevRect(r), *FImage);
    dc->Painter->setCompositionMode(mode);
}

DOV_PUBLISHED(TIcon) {}
TIcon::TIcon() : FImage(std::make_unique<QImage>()) {}
TIcon::~TIcon() = default;
int TIcon::Width() const { return FImage->width(); }
int TIcon::Height() const { return FImage->height(); }
void TIcon::LoadFromStream(TStream* stream)
{
    const QByteArray bytes = stream->ReadBytes(stream->Size() - stream->Position());
    QImage img;
    if (!DecodeImageData(bytes, img))
        throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
    SetImage(img);
}
void TIcon::SaveToStream(TStream* stream)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    FImage->save(&buf, "PNG");
    stream->WriteBytes(bytes);
}
QImage TIcon::ToImage() const { return *FImage; }
void TIcon::SetImage(const QImage& img)
{
    *FImage = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    FTransparent = true;
    Changed();
}
void TIcon::Assign(TPersistent* Source)
{
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetImage(g->ToImage());
        return;
    }
    TGraphic::Assign(Source);
}

TRecordingCanvas::TRecordingCanvas(int width, int height) : FBitmap(width, height)
{
    FBitmap.Canvas()->SetRecorder([this](const QString& line) { Log << line; });
}
