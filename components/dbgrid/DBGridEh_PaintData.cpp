// Data cell painting of the data grid: dispatching the cells, the data cell's colours, texts,
// buttons, markers and frames, and the routines the application's painting events call.
#include "DBGridEh.h"
#include "DBGridEh_Paint.h"

#include <algorithm>

// ============================================================================================
// Rules without a grid
// ============================================================================================

int DataCellButtonTransparencyEh(bool Designing, bool FilterEditing, bool Focused, bool InHighlightedCurrentRow,
                                 bool HotTrack)
{
    if (Designing)
        return 30;
    if (!FilterEditing && (Focused || InHighlightedCurrentRow))
        return 0;
    return HotTrack ? 30 : 80;
}

TColor OddEvenRowColorEh(int RecNo, TColor OddColor, TColor EvenColor)
{
    return RecNo > 0 && RecNo % 2 == 1 ? OddColor : EvenColor;
}

int DataCellVertOffsetEh(int HorzOffset, bool Flat, bool Frame3D, bool TextFillsRow)
{
    int offs = std::min(HorzOffset, 2);
    for (const bool less : {Flat, Frame3D, TextFillsRow})
        if (less && offs > 0)
            --offs;
    return offs;
}

void TCustomDBGridEh::DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect)
{
    TCustomDBAxisGridEh::DrawCellContent(ACol, ARow, State, ARect);
}

void TCustomDBGridEh::DrawDataCell(int, int, TGridDrawState, const TRect&, int, int) {}

void TCustomDBGridEh::DefaultDrawColumnDataCell(TGridCoord, TGridCoord, TColumnEh*, const TRect&, TColCellParamsEh*) {}

bool TCustomDBGridEh::CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* Column,
                                        const TRect& AreaRect, TAxisColCellParamsEh* Params)
{
    return TCustomDBAxisGridEh::CheckFillDataCell(Cell, AreaCell, Column, AreaRect, Params);
}

bool TCustomDBGridEh::HighlightDataCellColor(int DataCol, int DataRow, const QString& Value, TGridDrawState State,
                                             TColor& AColor, TFont* AFont)
{
    return TCustomDBAxisGridEh::HighlightDataCellColor(DataCol, DataRow, Value, State, AColor, AFont);
}

int TCustomDBGridEh::GetEditButtonTransparency(int, int, TAxisColCellParamsEh*, const TRect&) { return 80; }

bool TCustomDBGridEh::CheckColumnDuplicateValues(TColumnEh*, int, bool, const QString&) { return false; }

void TCustomDBGridEh::DefaultDrawColumnCell(const TRect&, int, TColumnEh*, TGridDrawState) {}

void TCustomDBGridEh::DefaultDrawDataCell(const TRect&, TField*, TGridDrawState) {}

void TCustomDBGridEh::DoDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)
{
    if (OnDrawColumnCell.Assigned())
        OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEh::DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State)
{
    if (OnDrawDataCell.Assigned())
        OnDrawDataCell(this, Rect, Field, State);
}

bool TCustomDBGridEh::IsCurrentRowSelectionVisible() { return false; }

bool TCustomDBGridEh::IsThemedSelectionDataCell(int, int, TGridDrawState State) { return IsThemedSelectionCell(State); }

void TCustomDBGridEh::DrawThemedSelectionCell(int, int, bool, TGridDrawState, const TRect&) {}

QString TCustomDBGridEh::GetEditMask(int, int) { return QString(); }

QString TCustomDBGridEh::GetEditText(int, int) { return QString(); }
