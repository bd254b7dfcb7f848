// Image lists: images of one size drawn enabled, disabled or blended.
#pragma once

#include "Graphics.h"

#include <vector>

class QImage;

enum TImageType { itImage, itMask };
DOV_ENUM_INFO(TImageType, itImage, itMask)
enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
DOV_ENUM_INFO(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)

// ImageList_DrawEx styles.
enum : UINT { ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1, ILD_MASK = 0x10, ILD_BLEND25 = 0x2, ILD_BLEND50 = 0x4,
              ILD_SELECTED = 0x4, ILD_FOCUS = 0x2 };

class TCustomImageList : public TComponent {
    DOV_PERSISTENT(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* AOwner);
    ~TCustomImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int v);
    void SetHeight(int v);
    void SetSize(int w, int h);
    int Count() const;
    // The image's pixels where the mask is black (or all of them without a mask).
    int Add(TBitmap* Image, TBitmap* Mask);
    // Pixels of MaskColor become transparent.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddImage(const QImage& Image);
    void Delete(int Index);
    void Clear();
    bool GetBitmap(int Index, TBitmap* Image) const;
    // A list has a handle once it has a size (the platform creates one with the list).
    bool HandleAllocated() const { return FWidth > 0 && FHeight > 0; }

    TColor BkColor = clNone;
    TColor BlendColor = clNone;
    TDrawingStyle DrawingStyle = dsNormal;
    TImageType ImageType = itImage;
    TNotifyEvent OnChange;

    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // The platform's extended draw: background and foreground colours as image-list colours
    // (CLR_NONE, CLR_DEFAULT or RGB) and ILD_* styles.
    void DrawEx(HDC DC, int Index, int X, int Y, int DX, int DY, COLORREF Bk, COLORREF Fg, UINT Style);
    const QImage& Image(int Index) const;

protected:
    // The images stream as "Bitmap": one PNG strip of Count cells, left to right.
    void DefineProperties(TFiler* Filer) override;

private:
    void ReadData(TStream* Stream);
    void WriteData(TStream* Stream) const;
    void Changed() { if (OnChange) OnChange(this); }
    int FWidth = 16;
    int FHeight = 16;
    std::vector<QImage> FImages;
};

class TImageList : public TCustomImageList {
    DOV_PERSISTENT(TImageList, TCustomImageList)
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
