// The drop-down side of the in-place editor: the lists, the MRU list and drop-down forms.
#include "DBAxisGridsEh_Inplace.h"

#include "platform/vcl/Forms.h"

// Placeholders until the lists are built: nothing drops down.
TWinControl* TDBAxisGridInplaceEdit::GetPopupCalculator() { return FPopupCalculator; }
void TDBAxisGridInplaceEdit::CreateMRUListControl() {}
void TDBAxisGridInplaceEdit::DropDown() {}
void TDBAxisGridInplaceEdit::CloseUp(bool) {}
void TDBAxisGridInplaceEdit::ShowDropDownForm(TEditButtonEh*, TEditButtonControlEh*, bool& Handled) { Handled = false; }
void TDBAxisGridInplaceEdit::SetVarValue(const Variant&) {}
void TDBAxisGridInplaceEdit::GetVarValue(Variant&) {}
void TDBAxisGridInplaceEdit::GetActualDropDownForm(TCustomForm*& Form, bool& FreeOnClose)
{
    Form = nullptr;
    FreeOnClose = false;
}
void TDBAxisGridInplaceEdit::InitActiveList() { FActiveList = nullptr; }
void TDBAxisGridInplaceEdit::ShowMRUList() {}
void TDBAxisGridInplaceEdit::CloseMRUList(bool) {}
TWinControl* TDBAxisGridInplaceEdit::GetMRUListControl() { return FMRUListControl; }
void TDBAxisGridInplaceEdit::ApplyListAutoFilter(const QString&) {}
