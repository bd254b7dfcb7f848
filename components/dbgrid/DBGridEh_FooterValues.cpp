// Footer values and footer drawing, footer and title repaints, the sum list's hookup and the
// availability of the clipboard and delete operations.
#include "DBGridEh.h"

void TCustomDBGridEh::SetSumList(TDBGridEhSumList* Value) { FSumList->Assign(Value); }
void TCustomDBGridEh::GetFooterValue(int, TColumnEh*, QString& Text) { Text.clear(); }
void TCustomDBGridEh::DefaultDrawFooterCell(const TRect&, int, int, TColumnEh*, TGridDrawState) {}
void TCustomDBGridEh::GetFooterParams(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                                      TAlignment& Alignment, TGridDrawState State, QString& Text)
{
    if (OnGetFooterParams.Assigned())
        OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}
void TCustomDBGridEh::InvalidateFooter() {}
void TCustomDBGridEh::InvalidateTitle() {}
bool TCustomDBGridEh::CheckCopyAction() { return false; }
bool TCustomDBGridEh::CheckCutAction() { return false; }
bool TCustomDBGridEh::CheckPasteAction() { return false; }
bool TCustomDBGridEh::CheckDeleteAction() { return false; }
bool TCustomDBGridEh::CheckSelectAllAction() { return false; }
void TCustomDBGridEh::SumListChanged(TObject*) {}
void TCustomDBGridEh::SumListRecalcAll(TObject*) {}
void TCustomDBGridEh::SumListAfterRecalcAll(TObject*) {}
void TCustomDBGridEh::UpdateSumListDataSet() {}
