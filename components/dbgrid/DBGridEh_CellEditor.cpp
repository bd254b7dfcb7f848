// The data grid's cell editor: the grid's shortcuts reach the grid from inside the editor, and
// a required field still empty is underlined while the record is edited.
#include "DBGridEh_CellEditor.h"
#include "DBGridEh.h"

#include "platform/vcl/Graphics.h"

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TDBAxisGridInplaceEdit(AOwner) {}

TDBGridInplaceEdit::~TDBGridInplaceEdit() = default;

TCustomDBGridEh* TDBGridInplaceEdit::DataGrid() const { return dynamic_cast<TCustomDBGridEh*>(GetGrid()); }

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomDBGridEh* grid = DataGrid();
    if (!grid) {
        TDBAxisGridInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    const bool ctrlOnly = Shift == TShiftState{ssCtrl};
    // Enter as Tab and the value from the previous record are the grid's keys; the MRU list
    // keeps its Enter.
    if ((Key == VK_RETURN && grid->OptionsEh().Contains(dghEnterAsTab) && !GetMRUListControl()) ||
        (Key == VK_OEM_7 && ctrlOnly)) {
        grid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    if (Key == 'F' && ctrlOnly && grid->OptionsEh().Contains(dghIncSearch)) {
        if (!grid->InplaceSearching())
            grid->StartInplaceSearch(QString(), -1, ltdAllEh);
        Key = 0;
        return;
    }
    TDBAxisGridInplaceEdit::KeyDown(Key, Shift);
}

bool TDBGridInplaceEdit::RequiredUnderlineDue()
{
    TCustomDBGridEh* grid = DataGrid();
    TColumnEh* column = grid ? dynamic_cast<TColumnEh*>(GetAxisBar()) : nullptr;
    if (!column)
        return false;
    bool due = false;
    TField* field = column->Field();
    if (column->HighlightRequired() && grid->DataLink()->Active() && field) {
        const TDataSetState s = grid->DataLink()->DataSet()->State();
        due = (s == dsEdit || s == dsInsert) && field->Required() && field->IsNull();
    }
    if (column->OnCheckDrawRequiredState)
        column->OnCheckDrawRequiredState(this, Text(), due);
    return due;
}

void TDBGridInplaceEdit::PaintRequiredUnderline(TCanvas* Canvas)
{
    if (!RequiredUnderlineDue())
        return;
    TRect r;
    GetEditTextRect(r);
    Canvas->Pen()->SetColor(TColor(255));
    Canvas->Pen()->SetStyle(psDot);
    Canvas->MoveTo(r.Left + 2, ClientHeight() - 1);
    Canvas->LineTo(r.Right - 3, ClientHeight() - 1);
}

void TDBGridInplaceEdit::PaintWindow(HDC DC)
{
    if (!FUnderlineCanvas) {
        auto* canvas = new TControlCanvas;
        canvas->Control = this;
        FUnderlineCanvas.reset(canvas);
    }
    {
        TCanvasPaintScope scope(FUnderlineCanvas.get(), DC);
        PaintRequiredUnderline(FUnderlineCanvas.get());
    }
    TDBAxisGridInplaceEdit::PaintWindow(DC);
}
