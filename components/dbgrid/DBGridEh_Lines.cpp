#include "DBGridEh.h"

void TCustomDBGridEh::GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible,
                                        TColor& Color, bool& Extend)
{
    TCustomDBAxisGridEh::GetGridLineParams(ACol, ARow, BorderType, Visible, Color, Extend);
}

void TCustomDBGridEh::WriteTextHighlightedRTL(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset,
                                              const QString& Text, TAlignment Alignment, bool CenterVert,
                                              bool MultyL, const QString& SearchText, bool IgnoreCase,
                                              TColor HighlightColor, bool)
{
    WriteTextHighlighted(ACanvas, ARect, HorzMargin, TopOffset, Text, Alignment, CenterVert, MultyL, 0, 0, 0, 0,
                         SearchText, IgnoreCase, HighlightColor, 0, 0);
}

void TCustomDBGridEh::DrawImageRTL(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas,
                                   const TRect& ARect, int ImageIndex, int Offset, TAlignment Alignment,
                                   const TRect& VisibleRect)
{
    DrawClippedImage(ImageList, Bitmap, ACanvas, ARect, ImageIndex, Offset, Alignment, VisibleRect);
}

void TCustomDBGridEh::DrawCellTreeElements(int, int, bool, const TRect&, TGridDrawState) {}

void TCustomDBGridEh::DrawTreeElements(TCanvas*, const TRect&, bool, bool) {}

void TCustomDBGridEh::PaintBorder(HDC WindowDC) { TCustomDBAxisGridEh::PaintBorder(WindowDC); }
