// The in-place editor and the grid's side of it: when it is shown, moved, loaded and hidden,
// and how its text goes back to the grid.
#include "GridsEh.h"

#include "platform/vcl/Forms.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

#include <QElapsedTimer>

int GridMessageTime()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return int(clock.elapsed()) + 1;
}

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    ParentCtl3D = false;
    Ctl3D = false;
    FTabStop = false;
    FBorderStyle = bsNone;
    DoubleBuffered = false;
    AutoSize = false;
    FVisible = false;
}

void TInplaceEdit::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
}

void TInplaceEdit::Invalidate()
{
    if (!HandleAllocated())
        return;
    TCustomMaskEdit::Invalidate();
    if (FGrid && FGrid->HandleAllocated()) {
        const TRect r = BoundsRect();
        InvalidateRect(FGrid->Handle(), &r, false);
    }
}

void TInplaceEdit::Hide()
{
    if (!HandleAllocated() || !Visible())
        return;
    const bool hadFocus = Focused();
    Invalidate();
    SetVisible(false);
    if (hadFocus && FGrid && FGrid->CanFocus())
        FGrid->SetFocus();
}

void TInplaceEdit::InternalMove(const TRect& Loc, bool Redraw)
{
    if (Loc.Right <= Loc.Left || Loc.Bottom <= Loc.Top) {
        Hide();
        return;
    }
    HandleNeeded();
    const bool wasVisible = Visible();
    Invalidate();
    SetBoundsRect(Loc);
    SetVisible(true);
    BoundsChanged();
    if (Redraw || !wasVisible)
        Invalidate();
    if (FGrid && FGrid->Focused())
        SetFocus();
}

void TInplaceEdit::Move(const TRect& Loc) { InternalMove(Loc, true); }
void TInplaceEdit::UpdateLoc(const TRect& Loc) { InternalMove(Loc, false); }

bool TInplaceEdit::PosEqual(const TRect& Rect)
{
    return BoundsRect() == Rect;
}

void TInplaceEdit::BoundsChanged()
{
    TRect r(2, 2, Width() - 2, Height());
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::SetFocus()
{
    if (Visible() && CanFocus())
        TCustomMaskEdit::SetFocus();
}

void TInplaceEdit::Deselect()
{
    Perform(EM_SETSEL, WPARAM(0x7FFFFFFF), LPARAM(-1));
    const int len = int(Text().size());
    FSelStart = len;
    FSelLength = 0;
}

void TInplaceEdit::UpdateContents()
{
    if (!FGrid)
        return;
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    const QString text = FGrid->GetEditText(FGrid->Col(), FGrid->Row());
    if (IsMasked())
        SetMaskedText(text);
    else
        TCustomMaskEdit::SetEditText(text);
    SetMaxLength(FGrid->GetEditLimit(FGrid->Col(), FGrid->Row()));
    Modified = false;
    ClearUndo();
}

bool TInplaceEdit::EditCanModify()
{
    return FGrid ? FGrid->CanEditModify() : !ReadOnly();
}

void TInplaceEdit::Change()
{
    TCustomMaskEdit::Change();
    if (FGrid && Visible())
        FGrid->UpdateEditText();
}

void TInplaceEdit::DblClick()
{
    if (FGrid)
        FGrid->DblClickPublic();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    return FGrid ? FGrid->EditorMouseWheel(Shift, WheelDelta, MousePos) : false;
}

void TInplaceEdit::WMGetDlgCode(TMessage& M)
{
    TCustomMaskEdit::WMGetDlgCode(M);
    if (FGrid && FGrid->Options().Contains(goTabsEh))
        M.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_SETFOCUS) {
        // The form's focused control is the grid, not its editor; when the form will not
        // take the grid (an exit handler moved the focus away), the message is dropped.
        if (TCustomForm* form = ::GetParentForm(this, false); form && FGrid && !form->SetFocusedControl(FGrid))
            return;
    }
    if (Message.Msg == WM_LBUTTONDOWN) {
        // A quick second click after the one that activated the cell is a double click.
        if (FClickTime != 0 && GridMessageTime() - FClickTime < int(GetDoubleClickTime()))
            Message.Msg = WM_LBUTTONDBLCLK;
        FClickTime = 0;
    }
    TCustomMaskEdit::WndProc(Message);
}

void TInplaceEdit::WMSetFocus(TMessage&)
{
    Invalidate();   // the caret shows
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
    if (FGrid && FGrid->EditorKeyNavigates(Key, Shift)) {
        FGrid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    const bool onlyShift = Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    if (((Key == VK_INSERT && onlyShift) || Key == VK_DELETE) && !(FGrid && FGrid->CanEditModify()))
        Key = 0;
    if (Key == 'A' && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt))
        SelectAll();
    if (Key == VK_F2) {
        if (FGrid && FGrid->OnKeyDown)
            FGrid->OnKeyDown(FGrid, Key, Shift);
        if (Key == VK_F2) {
            Deselect();
            return;
        }
    }
    if (Key != 0) {
        if (FGrid && FGrid->OnKeyDown)
            FGrid->OnKeyDown(FGrid, Key, Shift);
        if (Key != 0)
            TCustomMaskEdit::KeyDown(Key, Shift);
    }
}

void TInplaceEdit::KeyPress(QChar& Key)
{
    if (FGrid)
        FGrid->KeyPress(Key);
    const char16_t c = Key.unicode();
    if (c >= 32 && FGrid && !FGrid->CanEditAcceptKey(Key)) {
        Key = QChar(0);
        MessageBeep(0);
    }
    switch (Key.unicode()) {
    case 13: {
        const int len = int(Text().size());
        const int a = std::min(FSelStart, FSelStart + FSelLength), b = std::max(FSelStart, FSelStart + FSelLength);
        if (a == 0 && b == len)
            Deselect();
        else
            SelectAll();
        Key = QChar(0);
        break;
    }
    case 9:
    case 27: Key = QChar(0); break;
    default: break;
    }
    const char16_t k = Key.unicode();
    if ((k == 8 || k == 22 || k == 24 || k >= 32) && !(FGrid && FGrid->CanEditModify()))
        Key = QChar(0);
    if (!Key.isNull())
        TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift)
{
    if (FGrid)
        FGrid->KeyUp(Key, Shift);
}

// ---------------------------------------------------------------- the grid's side

TInplaceEdit* TCustomGridEh::CreateEditor()
{
    return Create<TInplaceEdit>(this);
}

bool TCustomGridEh::CanEditShow()
{
    return FOptions.Contains(goEditingEh) && !FOptions.Contains(goRowSelectEh) && FEditorMode && !Designing() &&
           HandleAllocated() && (FOptions.Contains(goAlwaysShowEditorEh) || IsActiveControl());
}

TRect TCustomGridEh::GetEditRect(int ACol, int ARow)
{
    TRect r = CellRectEx(ACol, ARow);
    const TRect full = CalcCellRangeRect(TGridRect{ACol, ARow, ACol, ARow}, false);
    const bool rtl = UseRightToLeftAlignment();
    if (IsGridLineVisible(ACol, ARow, cbtRightEh) && r.Width() == full.Width()) {
        if (rtl)
            ++r.Left;
        else
            --r.Right;
    }
    if (IsGridLineVisible(ACol, ARow, cbtBottomEh))
        --r.Bottom;
    return r;
}

void TCustomGridEh::ShowEditor()
{
    FEditorMode = true;
    UpdateEditor();
}

void TCustomGridEh::HideEdit()
{
    FEditorMode = false;
    HideEditor();
}

void TCustomGridEh::SetEditorMode(bool Value)
{
    if (Value) {
        ShowEditor();
        if (FInplaceEdit)
            FInplaceEdit->Deselect();
    } else {
        HideEdit();
    }
}

bool TCustomGridEh::EnsureInplaceEdit()
{
    if (FInplaceEdit)
        return false;
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
    return true;
}

void TCustomGridEh::HideEditor()
{
    if (!FInplaceEdit)
        return;
    UpdateEditText();
    FInplaceCol = -1;
    FInplaceRow = -1;
    FInplaceEdit->Hide();
}

void TCustomGridEh::UpdateEditor()
{
    if (!FConstructed)
        return;
    if (!CanEditShow()) {
        HideEditor();
        return;
    }
    auto load = [this]() {
        FInplaceCol = FCurCell.X;
        FInplaceRow = FCurCell.Y;
        FInplaceEdit->UpdateContents();
        FCanEditModify = FInplaceEdit->MaxLength() != -1;
        FInplaceEdit->SelectAll();
    };
    if (EnsureInplaceEdit()) {
        load();
    } else if (FCurCell.X != FInplaceCol || FCurCell.Y != FInplaceRow) {
        HideEditor();
        load();
    }
    if (CanEditShow())
        FInplaceEdit->Move(GetEditRect(FCurCell.X, FCurCell.Y));
}

void TCustomGridEh::UpdateEditText()
{
    if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->IsMasked() ? FInplaceEdit->MaskedText() : FInplaceEdit->Text());
}

void TCustomGridEh::InvalidateEditor()
{
    FInplaceCol = -1;
    FInplaceRow = -1;
    UpdateEditor();
}

void TCustomGridEh::ShowEditorChar(QChar Ch)
{
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Visible())
        PostMessage(FInplaceEdit->Handle(), WM_CHAR, WPARAM(Ch.unicode()), 0);
}

bool TCustomGridEh::EditorSelection(int& SelStart, int& SelEnd, int& Len)
{
    if (!FInplaceEdit)
        return false;
    SelStart = std::min(FInplaceEdit->SelStart(), FInplaceEdit->SelStart() + FInplaceEdit->SelLength());
    SelEnd = std::max(FInplaceEdit->SelStart(), FInplaceEdit->SelStart() + FInplaceEdit->SelLength());
    Len = int(FInplaceEdit->Text().size());
    return true;
}

bool TCustomGridEh::EditorOwnsWindow(HWND W)
{
    return FInplaceEdit && FInplaceEdit->HandleAllocated() && W && W == FInplaceEdit->Handle();
}

void TCustomGridEh::EditorFontChanged()
{
    if (FInplaceEdit)
        FInplaceEdit->SetFont(Font());
}
