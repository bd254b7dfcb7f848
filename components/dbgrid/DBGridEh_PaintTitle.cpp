// Title, indicator and footer cells of the data grid, and the decisions all fixed cells share:
// 3-D frames, themed fill, fill style and the highlight of selected fixed cells.
#include "DBGridEh.h"
#include "DBGridEh_Paint.h"

// ============================================================================================
// Rules without a grid
// ============================================================================================

QString IndicatorRecNoTextEh(int RecNo, int Step, int LastRecNo, bool IsCurrent)
{
    if (RecNo < 1)
        return QString();
    if (RecNo == 1 || RecNo == LastRecNo || IsCurrent || (Step > 0 && RecNo % Step == 0))
        return QString::number(RecNo);
    // A step below 1 has no multiples and no half steps: the other rows only show the dot.
    if (Step > 0 && Step % 2 == 0 && RecNo % Step == Step / 2)
        return QStringLiteral("-");
    return QStringLiteral("\u00B7");
}

TTitleSortRoomEh TitleSortRoomEh(int TextLeft, int TextRight, int IndexWidth, int NeededWidth)
{
    TTitleSortRoomEh room;
    room.TextRight = TextRight - 16;
    room.DrawMarker = true;
    room.DrawIndex = IndexWidth > 0;
    const auto tooNarrow = [&] {
        const int w = room.TextRight - TextLeft;
        return NeededWidth > 0 ? w < NeededWidth : w < 0;
    };
    if (!tooNarrow())
        return room;
    room.DrawMarker = false;
    room.TextRight += 14 - IndexWidth;
    if (!tooNarrow())
        return room;
    room.DrawIndex = false;
    room.TextRight += IndexWidth + 2;
    return room;
}

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
