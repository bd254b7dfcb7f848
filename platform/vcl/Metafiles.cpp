// Metafiles over the device layer's recorded pages.
#include "Metafiles.h"

#include <QImage>
#include <QPainter>

DOV_PUBLISHED(TMetafile) {}

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() { Clear(); }

int TMetafile::Width() const { return FHandle ? EnhMetaFileSize(FHandle).cx : FWidth; }
int TMetafile::Height() const { return FHandle ? EnhMetaFileSize(FHandle).cy : FHeight; }
void TMetafile::SetWidth(int v) { FWidth = std::max(0, v); }
void TMetafile::SetHeight(int v) { FHeight = std::max(0, v); }

int TMetafile::PixelsPerInchX() const { return FHandle ? EnhMetaFileDeviceCaps(FHandle).PixelsPerInchX : 96; }
int TMetafile::PixelsPerInchY() const { return FHandle ? EnhMetaFileDeviceCaps(FHandle).PixelsPerInchY : 96; }
int TMetafile::MMWidth() const { return MulDiv(Width(), 2540, PixelsPerInchX()); }
int TMetafile::MMHeight() const { return MulDiv(Height(), 2540, PixelsPerInchY()); }

void TMetafile::SetHandle(HENHMETAFILE page)
{
    if (page == FHandle)
        return;
    DeleteEnhMetaFile(FHandle);
    FHandle = page;
    Changed();
}

void TMetafile::Clear() { SetHandle(nullptr); }

void TMetafile::Assign(TPersistent* Source)
{
    if (auto* m = dynamic_cast<TMetafile*>(Source)) {
        if (m != this) {
            FWidth = m->FWidth;
            FHeight = m->FHeight;
            SetHandle(CopyEnhMetaFile(m->FHandle));
        }
        return;
    }
    if (!Source) {
        Clear();
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::LoadFromStream(TStream*) { throw EInvalidGraphic(QStringLiteral("Metafiles are not read from streams")); }
void TMetafile::SaveToStream(TStream*) { throw EInvalidGraphic(QStringLiteral("Metafiles are not written to streams")); }

QImage TMetafile::ToImage() const
{
    QImage img(std::max(1, Width()), std::max(1, Height()), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (FHandle) {
        HDC dc = CreateDCForImage(&img);
        PlayEnhMetaFile(dc, FHandle, TRect(0, 0, img.width(), img.height()));
        DeleteDC(dc);
    }
    return img;
}

void TMetafile::Draw(TCanvas* canvas, const TRect& r)
{
    if (FHandle)
        PlayEnhMetaFile(canvas->Handle(), FHandle, r);
}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC referenceDevice) : FMetafile(metafile)
{
    SetHandle(CreateEnhMetaFile(referenceDevice, metafile->Width(), metafile->Height()));
}

TMetafileCanvas::~TMetafileCanvas()
{
    HDC dc = Handle();
    SetHandle(nullptr);
    FMetafile->SetHandle(CloseEnhMetaFile(dc));
}
