#include "ToolCtrlsEh.h"

#include <cmath>

TRect ImagePlacementRect(const TRect& Bound, int w, int h, TImagePlacementEh Placement)
{
    const int W = Bound.Width(), H = Bound.Height();
    int width = w, height = h;
    TImagePlacementEh offsetKind = Placement;
    switch (Placement) {
    case ipFillEh:
        if (w <= 0 || h <= 0) {
            width = W;
            height = H;
        } else {
            width = int(std::trunc(double(H) * w / h));
            height = H;
            if (width < W) {
                width = W;
                height = int(std::trunc(double(W) * h / w));
            }
        }
        // Centre along the axis that was not matched to the area.
        offsetKind = height != H ? ipCenterLeftEh : ipTopCenterEh;
        break;
    case ipReduceFitEh:
        if (!(w > W || h > H)) {
            offsetKind = ipCenterCenterEh;
            break;
        }
        [[fallthrough]];
    case ipFitEh:
        if (w <= 0 || h <= 0) {
            width = W;
            height = H;
        } else {
            height = int(std::trunc(double(W) * h / w));
            width = W;
            if (height > H) {
                width = int(std::trunc(double(H) * w / h));
                height = H;
            }
        }
        offsetKind = width == W ? ipCenterLeftEh : ipTopCenterEh;
        break;
    case ipStretchEh:
        width = W;
        height = H;
        break;
    default:
        break;
    }
    const int dx = W - width, dy = H - height;
    int ox = 0, oy = 0;
    switch (offsetKind) {
    case ipTopCenterEh: ox = dx / 2; break;
    case ipTopRightEh: ox = dx; break;
    case ipCenterLeftEh: oy = dy / 2; break;
    case ipCenterCenterEh: ox = dx / 2; oy = dy / 2; break;
    case ipCenterRightEh: ox = dx; oy = dy / 2; break;
    case ipBottomLeftEh: oy = dy; break;
    case ipBottomCenterEh: ox = dx / 2; oy = dy; break;
    case ipBottomRightEh: ox = dx; oy = dy; break;
    default: break;
    }
    const int left = Bound.Left + ox, top = Bound.Top + oy;
    return TRect(left, top, left + width, top + height);
}

TRect TPictureEh::GetDestRect(const TRect& SrcRect, TImagePlacementEh Placement)
{
    return ImagePlacementRect(SrcRect, Width(), Height(), Placement);
}

void TPictureEh::PaintTo(TCanvas* Canvas, const TRect& DestRect, TImagePlacementEh Placement, TPoint, const TRect&)
{
    if (!Graphic())
        return;
    const TRect r = GetDestRect(DestRect, Placement);
    const int w = Width(), h = Height();
    if (Placement != ipTileEh || w <= 0 || h <= 0) {
        Canvas->StretchDraw(r, Graphic());
        return;
    }
    for (int y = DestRect.Top; y < DestRect.Bottom; y += h)
        for (int x = DestRect.Left; x < DestRect.Right; x += w)
            Canvas->Draw(x, y, Graphic());
}
