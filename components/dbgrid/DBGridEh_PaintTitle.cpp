// Title, indicator and footer cells of the data grid, and the decisions all fixed cells share:
// 3-D frames, themed fill, fill style and the highlight of selected fixed cells.
#include "DBGridEh.h"

bool TCustomDBGridEh::CellHave3DFrame(int ACol, int ARow, TGridDrawState State, const TRect& ARect)
{
    return TCustomDBAxisGridEh::CellHave3DFrame(ACol, ARow, State, ARect);
}

TGridCellFillStyleEh TCustomDBGridEh::GetFixedCellFillStyle() { return TCustomDBAxisGridEh::GetFixedCellFillStyle(); }

bool TCustomDBGridEh::CellDrawnByThemes(int, int, bool, int, TGridDrawState, int, int) { return false; }

bool TCustomDBGridEh::HighlightNonDataCellColor(int, int, TFont*, TColor&, bool, TGridDrawState, int, int, int)
{
    return false;
}

int TCustomDBGridEh::CalcHeadTreeHeights(THeadTreeNode*) { return 0; }

void TCustomDBGridEh::EditingChanged() { TCustomDBAxisGridEh::EditingChanged(); }

void TCustomDBGridEh::DrawTitleAreaCell(int, int, TGridDrawState, const TRect&, int, int) {}

void TCustomDBGridEh::DrawTitleCell(TColumnEh*, const TRect&, TDBGirdDrawTitleStateEh&, TGridDrawState) {}

bool TCustomDBGridEh::DrawSubTitleRowCell(int, int, bool& Highlight, TGridDrawState, const TRect&, int, int, int)
{
    Highlight = false;
    return false;
}

void TCustomDBGridEh::DrawIndicatorCell(int, int, TGridDrawState, const TRect&, int, int) {}
void TCustomDBGridEh::DrawIndicatorGlyph(const TRect&, int, int, int) {}
void TCustomDBGridEh::DrawIndicatorDropDownSign(const TRect&, bool) {}
void TCustomDBGridEh::DrawTitleFilterMark(const TRect&, bool) {}
void TCustomDBGridEh::DrawFooterCell(int, int, TGridDrawState, const TRect&, int, int) {}
