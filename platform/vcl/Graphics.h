// Colours, fonts, pens, brushes, the canvas and the graphic classes (bitmap, icon, picture).
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/winapi/WinGdi.h"

#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>

DOV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);

class QImage;
class QPainter;
class QFont;

// ---- colours: BGR, system colours by index with the high bit, two special values ----
using TColor = int32_t;
constexpr TColor clSystemColor = TColor(0x80000000u);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;

constexpr TColor SysColor(int index) { return TColor(0x80000000u | uint32_t(index)); }
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR), clBackground = SysColor(COLOR_BACKGROUND),
                 clActiveCaption = SysColor(COLOR_ACTIVECAPTION), clInactiveCaption = SysColor(COLOR_INACTIVECAPTION),
                 clMenu = SysColor(COLOR_MENU), clWindow = SysColor(COLOR_WINDOW), clWindowFrame = SysColor(COLOR_WINDOWFRAME),
                 clMenuText = SysColor(COLOR_MENUTEXT), clWindowText = SysColor(COLOR_WINDOWTEXT),
                 clCaptionText = SysColor(COLOR_CAPTIONTEXT), clActiveBorder = SysColor(COLOR_ACTIVEBORDER),
                 clInactiveBorder = SysColor(COLOR_INACTIVEBORDER), clAppWorkSpace = SysColor(COLOR_APPWORKSPACE),
                 clHighlight = SysColor(COLOR_HIGHLIGHT), clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT),
                 clBtnFace = SysColor(COLOR_BTNFACE), clBtnShadow = SysColor(COLOR_BTNSHADOW),
                 clGrayText = SysColor(COLOR_GRAYTEXT), clBtnText = SysColor(COLOR_BTNTEXT),
                 clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT), clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT),
                 cl3DDkShadow = SysColor(COLOR_3DDKSHADOW), cl3DLight = SysColor(COLOR_3DLIGHT),
                 clInfoText = SysColor(COLOR_INFOTEXT), clInfoBk = SysColor(COLOR_INFOBK),
                 clHotLight = SysColor(COLOR_HOTLIGHT), clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION),
                 clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION),
                 clMenuHighlight = SysColor(COLOR_MENUHILIGHT), clMenuBar = SysColor(COLOR_MENUBAR);

// A system colour becomes the table's RGB; clNone and clDefault are given back unchanged
// (callers test them first); any other value keeps its low 24 bits.
COLORREF ColorToRGB(TColor c);
QString ColorToString(TColor c);              // "clRed", "clBtnFace" or "$00RRGGBB"-style hex
bool IdentToColor(const QString& ident, TColor& c);

// ---- font ----
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DOV_ENUM_INFO(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
DOV_ENUM_INFO(TFontPitch, fpDefault, fpVariable, fpFixed)
using TFontCharset = uint8_t;
constexpr TFontCharset DEFAULT_CHARSET = 1;

// Every size is at 96 pixels per inch: Height = -Size * 96 / 72.
class TFont : public TPersistent {
    DOV_PERSISTENT(TFont, TPersistent)
public:
    TFont();
    ~TFont() override;

    QString GetName() const { return FName; }
    void SetName(const QString& v);
    int GetSize() const;
    void SetSize(int v);
    int GetHeight() const { return FHeight; }
    void SetHeight(int v);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TFontPitch GetPitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    TFontCharset GetCharset() const { return FCharset; }
    void SetCharset(TFontCharset v);
    int PixelsPerInch = 96;

    void Assign(TPersistent* Source) override;
    bool Equals(const TFont* other) const;
    // The Qt font for drawing (pixel sized; unknown faces fall back to DejaVu Sans).
    const QFont& QtFont() const;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    QString FName = QStringLiteral("Tahoma");
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    mutable std::unique_ptr<QFont> FQt;
};

// ---- pen and brush ----
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
DOV_ENUM_INFO(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
DOV_ENUM_INFO(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
              pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)

class TPen : public TPersistent {
    DOV_PERSISTENT(TPen, TPersistent)
public:
    TColor GetColor() const { return FColor; }
    void SetColor(TColor v);
    int GetWidth() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle v);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode v);
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
DOV_ENUM_INFO(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross)

class TBrush : public TPersistent {
    DOV_PERSISTENT(TBrush, TPersistent)
public:
    TColor GetColor() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    // The brush as a device brush (its solid colour).
    HBRUSH Handle() const { return CreateSolidBrush(ColorToRGB(FColor)); }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// ---- canvas ----
class TGraphic;
enum TCopyMode : DWORD { cmSrcCopy = SRCCOPY, cmSrcPaint = SRCPAINT, cmSrcAnd = SRCAND, cmSrcInvert = SRCINVERT,
                         cmBlackness = BLACKNESS, cmWhiteness = WHITENESS, cmPatCopy = PATCOPY };

enum TTextFormats { tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
                    tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
                    tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak };
DOV_ENUM_INFO(TTextFormats, tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
              tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
              tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak)
using TTextFormat = TSet<TTextFormats>;

// A drawing surface: a device context with a current font, pen and brush. The objects are
// selected into the context before each call that uses them.
class TCanvas : public TPersistent {
    DOV_PERSISTENT(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The device context; a canvas without one asks CreateHandle (bitmaps create theirs).
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    void SetPen(TPen* v) { FPen->Assign(v); }
    void SetBrush(TBrush* v) { FBrush->Assign(v); }
    TCopyMode CopyMode = cmSrcCopy;

    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(const TRect& r);
    void Rectangle(int l, int t, int r, int b) { Rectangle(TRect(l, t, r, b)); }
    void Ellipse(const TRect& r);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPoint PenPos();
    void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
    void Polyline(const std::vector<TPoint>& points);
    void Polyline(const TPoint* points, int count);
    void PolyPolyline(const TPoint* points, const DWORD* counts, int polylines);
    void Polygon(const std::vector<TPoint>& points);
    void DrawFocusRect(const TRect& r);
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor c);

    void TextOut(int x, int y, const QString& text);
    // The text clipped to the rectangle, filled with the brush unless the brush is clear.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    // DrawText with the canvas's font into the rectangle (updated with tfCalcRect).
    void TextRect(TRect& r, QString& text, TTextFormat format);
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);
    TSize TextExtent(const QString& text);

    void Draw(int x, int y, TGraphic* graphic);
    void Draw(int x, int y, TGraphic* graphic, uint8_t opacity);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);

    // Clipping.
    TRect ClipRect();
    HRGN SaveClipRegion();                 // nullptr when the canvas has no clip
    void RestoreClipRegion(HRGN saved);    // selects it back (nullptr removes clipping) and frees it
    // Right-to-left mirroring of everything drawn (for right-to-left controls).
    void SetMirrored(bool v);
    bool Mirrored();

    void Lock() { ++FLockCount; }
    void Unlock() { --FLockCount; }
    bool TryLock() { Lock(); return true; }
    int LockCount() const { return FLockCount; }

    // What the next call needs selected into the context.
    void RequireFont();
    void RequirePenBrush();

    // Every call on the context is described to the recorder as well.
    void SetRecorder(std::function<void(const QString&)> recorder);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();
    void FreeHandle();   // drops (and deletes, when owned) the context

private:
    void ObjectChanged(TObject* Sender);
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    HDC FHandle = nullptr;
    bool FOwnsHandle = false;
    bool FFontValid = false;
    bool FPenBrushValid = false;
    int FLockCount = 0;
    std::function<void(const QString&)> FRecorder;
    friend class TBitmapCanvas;
    friend class TBitmap;

protected:
    void SetOwnedHandle(HDC dc);
};

// A canvas drawing on a given device context, locked, until the scope ends (exceptions too).
class TCanvasPaintScope {
public:
    TCanvasPaintScope(TCanvas* Canvas, HDC DC) : FCanvas(Canvas)
    {
        FCanvas->Lock();
        FCanvas->SetHandle(DC);
    }
    ~TCanvasPaintScope()
    {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    }
    TCanvasPaintScope(const TCanvasPaintScope&) = delete;
    TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
    TCanvas* FCanvas;
};

// ---- graphics ----
class TGraphic : public TPersistent {
    DOV_PERSISTENT(TGraphic, TPersistent)
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v) { FTransparent = v; Changed(); }
    virtual void LoadFromStream(TStream* stream) = 0;
    virtual void SaveToStream(TStream* stream) = 0;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    // The image as drawn (transparent pixels with alpha 0).
    virtual QImage ToImage() const = 0;
    virtual void Draw(TCanvas* canvas, const TRect& r);
    TNotifyEvent OnChange;

protected:
    virtual void Changed() { if (OnChange) OnChange(this); }
    // Streamed (and held by blob fields) as "Data": the graphic's file data.
    void DefineProperties(TFiler* Filer) override;
    bool FTransparent = false;
};

using TGraphicClass = const TClassInfo*;

// Decodes image file data. PNG without its end chunk and JPEG without its end marker are
// refused rather than shown half decoded; so is anything that decodes to no pixels.
bool DecodeImageData(const QByteArray& Data, QImage& Image);

enum TTransparentMode { tmAuto, tmFixed };
DOV_ENUM_INFO(TTransparentMode, tmAuto, tmFixed)
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
DOV_ENUM_INFO(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)

// A bitmap over a QImage (32-bit). Its canvas draws into the image.
class TBitmap : public TGraphic {
    DOV_PERSISTENT(TBitmap, TGraphic)
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;

    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void SetSize(int w, int h);
    TCanvas* Canvas();
    TColor TransparentColor() const;       // tmAuto: the bottom-left pixel
    void SetTransparentColor(TColor c);
    TTransparentMode TransparentMode = tmAuto;
    TPixelFormat PixelFormat = pf32bit;
    bool Monochrome = false;

    void Assign(TPersistent* Source) override;
    void LoadFromStream(TStream* stream) override;    // any format Qt reads
    void SaveToStream(TStream* stream) override;      // BMP
    // A Qt resource (":/name" or "name" under ":/bitmaps/") or a file path.
    bool LoadFromResourceName(HINSTANCE instance, const QString& name);
    QImage ToImage() const override;
    void Draw(TCanvas* canvas, const TRect& r) override;

    // The pixels, valid while the bitmap lives (drawing goes through the canvas).
    const QImage& Image() const;
    void SetImage(const QImage& img);
    void Dormant() {}
    void FreeImage() {}

protected:
    // In a component stream "Data" is the class name (a short string) then the bitmap's file
    // bytes; data without the name reads too. Elsewhere (a blob field) it is the bare bytes.
    void DefineProperties(TFiler* Filer) override;

private:
    std::unique_ptr<QImage> FImage;
    std::unique_ptr<TCanvas> FCanvas;
    TColor FTransparentColor = clDefault;
};

// An image kept in a file format of its own (PNG, JPEG): the file data it was loaded from is
// written back unchanged until the image is changed, so storing it again loses nothing.
class TEncodedImage : public TGraphic {
    DOV_PERSISTENT(TEncodedImage, TGraphic)
public:
    TEncodedImage();
    ~TEncodedImage() override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;
    QImage ToImage() const override;
    void SetImage(const QImage& img);
    void Assign(TPersistent* Source) override;

protected:
    // The format written ("PNG", "JPG") and the quality asked of the writer (-1: its default).
    virtual const char* FormatName() const = 0;
    virtual int Quality() const { return -1; }
    // True when the data is of this class's format (its signature).
    virtual bool IsOwnFormat(const QByteArray& Data) const = 0;

private:
    std::unique_ptr<QImage> FImage;
    QByteArray FSource;
};

class TPngImage : public TEncodedImage {
    DOV_PERSISTENT(TPngImage, TEncodedImage)
public:
    TPngImage() = default;

protected:
    const char* FormatName() const override { return "PNG"; }
    bool IsOwnFormat(const QByteArray& Data) const override;
};

class TJPEGImage : public TEncodedImage {
    DOV_PERSISTENT(TJPEGImage, TEncodedImage)
public:
    TJPEGImage() = default;
    // 1..100.
    int CompressionQuality() const { return FCompressionQuality; }
    void SetCompressionQuality(int v) { FCompressionQuality = std::clamp(v, 1, 100); }

protected:
    const char* FormatName() const override { return "JPG"; }
    int Quality() const override { return FCompressionQuality; }
    bool IsOwnFormat(const QByteArray& Data) const override;

private:
    int FCompressionQuality = 90;
};

// File formats by extension (without the dot, any case). Bitmaps, PNG, JPEG and icons are
// registered from the start; a later registration of an extension replaces the earlier one.
void RegisterFileFormat(const QString& Extension, const QString& Description, TGraphicClass GraphicClass);
TGraphicClass FileFormatClass(const QString& Extension);
// The first extension registered for the class ("bmp"), empty when none.
QString GraphicExtension(TGraphicClass GraphicClass);
// "Description (*.a;*.b)|*.a;*.b" for the class's extensions, with an "All" entry in front.
QString GraphicFilter(TGraphicClass GraphicClass);
// The class for image file data by its signature (BMP, PNG, JPEG), nullptr for other data.
TGraphicClass GraphicClassForData(const char* Data, int64_t Size);
// Data that starts with a stored picture's class name (a length byte, then the name of a
// registered graphic class): that class, with DataStart set after the name. Else nullptr.
TGraphicClass StoredPictureClass(const char* Data, int64_t Size, int64_t& DataStart);

class TIcon : public TGraphic {
    DOV_PERSISTENT(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;
    QImage ToImage() const override;
    void SetImage(const QImage& img);
    void Assign(TPersistent* Source) override;

private:
    std::unique_ptr<QImage> FImage;
};

// Holds one graphic of whatever class. Streamed (and held by blob fields) as "Data": the
// graphic's class name as a short string, then the graphic's data.
class TPicture : public TPersistent {
    DOV_PERSISTENT(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;
    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(TGraphic* g);            // copied, keeping the graphic's class
    TBitmap* Bitmap();                       // replaces a non-bitmap graphic with an empty bitmap
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    // A graphic with pixels (an emptied or failed graphic does not count).
    bool HasImage() const { return FGraphic && !FGraphic->Empty(); }
    void Assign(TPersistent* Source) override;
    // The class comes from the extension (an unknown one: any image Qt reads, as a bitmap).
    // A file that is no image of its class raises EInvalidGraphic and leaves the picture as it was.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    // Bare image data (the class by its signature) or a stored picture (class name, then data).
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream);
    TNotifyEvent OnChange;

protected:
    void DefineProperties(TFiler* Filer) override;

private:
    void Changed(TObject*) { if (OnChange) OnChange(this); }
    void TakeGraphic(std::unique_ptr<TGraphic> g);
    std::unique_ptr<TGraphic> FGraphic;
};

// A bitmap canvas that also keeps a log of the drawing calls made on it (tests).
class TRecordingCanvas {
public:
    TRecordingCanvas(int width, int height);
    TCanvas* Canvas() { return FBitmap.Canvas(); }
    TBitmap* Bitmap() { return &FBitmap; }
    QStringList Log;
    void ClearLog() { Log.clear(); }

private:
    TBitmap FBitmap;
};

// Fills with a vertical (or horizontal) gradient.
void GradientFillCanvas(TCanvas* canvas, TColor start, TColor finish, const TRect& r, bool vertical);
