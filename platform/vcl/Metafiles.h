// Metafiles: a page recorded through a canvas for a reference device (a printer), drawn again
// on any canvas at any size - the screen at a zoom, the printer at its own resolution.
#pragma once

#include "Graphics.h"
#include "platform/winapi/Devices.h"

// A recorded page. Its size is in pixels of the device it was recorded for; drawing it at (x, y)
// lays one recorded pixel on one logical unit of the target, StretchDraw fits it to a rectangle.
class TMetafile : public TGraphic {
    DOV_PERSISTENT(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;

    int Width() const override;
    int Height() const override;
    // The size the next recording takes (0: the reference device's printable area).
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    bool Empty() const override { return FHandle == nullptr; }
    // The page's size in hundredths of a millimetre, at the reference device's resolution.
    int MMWidth() const;
    int MMHeight() const;
    // The resolution the page was recorded at.
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;
    bool Enhanced() const { return true; }

    HENHMETAFILE Handle() const { return FHandle; }
    void SetHandle(HENHMETAFILE page);   // takes ownership
    void Clear();

    void Assign(TPersistent* Source) override;
    void LoadFromStream(TStream* stream) override;   // raises: pages live in memory only
    void SaveToStream(TStream* stream) override;
    QImage ToImage() const override;
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    HENHMETAFILE FHandle = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

// A canvas that records into a metafile for a reference device (nullptr: the screen). The
// page is handed to the metafile when the canvas is destroyed.
class TMetafileCanvas : public TCanvas {
public:
    TMetafileCanvas(TMetafile* metafile, HDC referenceDevice);
    ~TMetafileCanvas() override;

private:
    TMetafile* FMetafile;
};
