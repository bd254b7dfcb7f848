// The in-place data editor: edit styles, edit buttons, keys, pasting, stepping, the image
// beside the text and the list of recently used texts.
#include "DBAxisGridsEh_Inplace.h"

#include "DBAxisGridsEh_Grid.h"
#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "platform/db/DB.h"
#include "platform/vcl/Controls.h"

// ---------------------------------------------------------------- edit style groups

bool IsLookupEditStyle(TEditStyle Style)
{
    return Style == esLookupDataList || Style == esAltLookupDataList || Style == esDataList ||
           Style == esAltDataList;
}

bool IsPickListEditStyle(TEditStyle Style) { return Style == esPickList || Style == esAltPickList; }
bool IsCalendarEditStyle(TEditStyle Style) { return Style == esDateCalendar || Style == esAltCalendar; }
bool IsUpDownEditStyle(TEditStyle Style) { return Style == esUpDown || Style == esAltUpDown; }
bool IsDropDownEditStyle(TEditStyle Style) { return Style == esDropDown || Style == esAltDropDown; }

bool IsListEditStyle(TEditStyle Style)
{
    return IsPickListEditStyle(Style) || IsLookupEditStyle(Style) || IsCalendarEditStyle(Style);
}

TEditStyle GetAxisBarEditStyle(TAxisBarEh*)
{
    return esSimple;
}

// ---------------------------------------------------------------- construction

TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner)
{
    DoubleBuffered = false;
}

TDBAxisGridInplaceEdit::~TDBAxisGridInplaceEdit()
{
    delete FCanvas;
    FCanvas = nullptr;
}

void TDBAxisGridInplaceEdit::AfterConstruction()
{
    TInplaceEdit::AfterConstruction();
}

TCustomDBAxisGridEh* TDBAxisGridInplaceEdit::GetGrid() const
{
    return dynamic_cast<TCustomDBAxisGridEh*>(FGrid);
}

TAxisBarEh* TDBAxisGridInplaceEdit::GetAxisBar() const { return nullptr; }
int TDBAxisGridInplaceEdit::FirstVisibleButtonIndex() { return -1; }

void TDBAxisGridInplaceEdit::SetEditStyle(TEditStyle Value)
{
    FEditStyle = Value;
    Invalidate();
}

void TDBAxisGridInplaceEdit::SetEditButtonStyle(TEditStyle Value)
{
    FEditButtonStyle = Value;
    UpdateEditStyle();
    Invalidate();
}

void TDBAxisGridInplaceEdit::SetWordWrap(bool Value) { FWordWrap = Value; }
void TDBAxisGridInplaceEdit::BoundsChanged() { TInplaceEdit::BoundsChanged(); }
void TDBAxisGridInplaceEdit::UpdateContents() { TInplaceEdit::UpdateContents(); }
void TDBAxisGridInplaceEdit::PaintImage(HDC) {}
void TDBAxisGridInplaceEdit::UpdateImageIndex() {}
void TDBAxisGridInplaceEdit::EditButtonDownDefault(bool, bool& Handled) { Handled = false; }
void TDBAxisGridInplaceEdit::GetEditTextRect(TRect& ARect) { ARect = TRect(2, 2, Width() - 2, Height()); }
void TDBAxisGridInplaceEdit::ProcessCharKeyStr(QString&) {}
void TDBAxisGridInplaceEdit::ButtonsBoxClick(TObject*) {}
void TDBAxisGridInplaceEdit::ButtonsBoxDown(TObject*, bool, bool&, bool& Handled) { Handled = false; }
void TDBAxisGridInplaceEdit::ButtonsBoxMouseMove(TObject*, TShiftState, int, int) {}
void TDBAxisGridInplaceEdit::ButtonsBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {}
void TDBAxisGridInplaceEdit::FilterMRUItem(const QString&, bool& Accept) { Accept = true; }
void TDBAxisGridInplaceEdit::UpdateMRUListSize() {}
void TDBAxisGridInplaceEdit::UserChange() { FUserTextChanged = true; }
void TDBAxisGridInplaceEdit::CreateEditButtonControl(TEditButtonControlEh*& Control) { Control = nullptr; }
void TDBAxisGridInplaceEdit::UpdateEditStyle() {}
void TDBAxisGridInplaceEdit::UpdateEditButtons() {}
void TDBAxisGridInplaceEdit::UpdateButtonsDefaultActions() {}
void TDBAxisGridInplaceEdit::SyncEditKeyValue() {}
void TDBAxisGridInplaceEdit::UpDownClick(TObject*, bool) {}
void TDBAxisGridInplaceEdit::DragButtonIntoList(TEditButtonControlEh*, int, int) {}
void TDBAxisGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift) { TInplaceEdit::KeyDown(Key, Shift); }
void TDBAxisGridInplaceEdit::KeyPress(QChar& Key) { TInplaceEdit::KeyPress(Key); }
void TDBAxisGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift) { TInplaceEdit::KeyUp(Key, Shift); }
void TDBAxisGridInplaceEdit::CreateParams(TCreateParams& Params) { TInplaceEdit::CreateParams(Params); }
void TDBAxisGridInplaceEdit::PaintWindow(HDC DC) { TInplaceEdit::PaintWindow(DC); }
void TDBAxisGridInplaceEdit::WndProc(TMessage& Message) { TInplaceEdit::WndProc(Message); }
void TDBAxisGridInplaceEdit::DefaultHandler(TMessage& Message) { TInplaceEdit::DefaultHandler(Message); }
void TDBAxisGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TInplaceEdit::Notification(AComponent, Operation);
}
void TDBAxisGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TInplaceEdit::MouseDown(Button, Shift, X, Y);
}
bool TDBAxisGridInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}
bool TDBAxisGridInplaceEdit::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    return TInplaceEdit::DoMouseWheelDown(Shift, MousePos);
}
bool TDBAxisGridInplaceEdit::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    return TInplaceEdit::DoMouseWheelUp(Shift, MousePos);
}
void TDBAxisGridInplaceEdit::CMCancelMode(TMessage& M) { TInplaceEdit::CMCancelMode(M); }
void TDBAxisGridInplaceEdit::WMKillFocus(TMessage& M) { TInplaceEdit::WMKillFocus(M); }
void TDBAxisGridInplaceEdit::WMSetFocus(TMessage& M) { TInplaceEdit::WMSetFocus(M); }
void TDBAxisGridInplaceEdit::WMPaste(TMessage& M) { TInplaceEdit::WMPaste(M); }
void TDBAxisGridInplaceEdit::WMCut(TMessage& M) { TInplaceEdit::WMCut(M); }
void TDBAxisGridInplaceEdit::WMClear(TMessage& M) { TInplaceEdit::WMClear(M); }
void TDBAxisGridInplaceEdit::WMSetCursor(TMessage& M) { TInplaceEdit::WMSetCursor(M); }
bool TDBAxisGridInplaceEdit::DoDropDownKeys(Word&, TShiftState) { return false; }
void TDBAxisGridInplaceEdit::StartDataEdit() {}
void TDBAxisGridInplaceEdit::ShowAcceptedText(const QString&, int, const Variant&, bool) {}
bool TDBAxisGridInplaceEdit::LocateLookupText(const QString&, QString&, Variant&) { return false; }
bool TDBAxisGridInplaceEdit::InTextRectX(int) { return true; }
bool TDBAxisGridInplaceEdit::IsLimitedToList() { return false; }
