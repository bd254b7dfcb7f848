// The grid's side of the in-place editor: when it is shown, moved, loaded and hidden.
#include "GridsEh.h"

TInplaceEdit* TCustomGridEh::CreateEditor()
{
    return nullptr;
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
    if (Value)
        ShowEditor();
    else
        HideEdit();
}

bool TCustomGridEh::EnsureInplaceEdit()
{
    return false;
}

void TCustomGridEh::HideEditor()
{
    FInplaceCol = -1;
    FInplaceRow = -1;
}

void TCustomGridEh::UpdateEditor()
{
    if (!CanEditShow()) {
        HideEditor();
        return;
    }
}

void TCustomGridEh::UpdateEditText() {}

void TCustomGridEh::InvalidateEditor()
{
    FInplaceCol = -1;
    FInplaceRow = -1;
    UpdateEditor();
}

void TCustomGridEh::ShowEditorChar(QChar)
{
    ShowEditor();
}

bool TCustomGridEh::EditorSelection(int&, int&, int&)
{
    return false;
}

bool TCustomGridEh::EditorOwnsWindow(HWND)
{
    return false;
}

void TCustomGridEh::EditorFontChanged() {}
