// When the data grid lets its editor open and a cell's text change, and what it does when it
// loses the focus.
#include "DBGridEh.h"

#include "DBGridEh_CellEditor.h"

#include "platform/rtl/Guards.h"

bool TCustomDBGridEh::CanEditShow()
{
    if (!TCustomDBAxisGridEh::CanEditShow())
        return false;
    if (Selection()->SelectionType() != gstNon && OptionsEh().Contains(dghClearSelection) &&
        AllowedSelections().Contains(gstRectangle))
        return false;
    if (FInplaceSearching)
        return false;
    if (GroupingRowsShown() && FCurGroupDataNode)
        return FCurGroupDataNode->NodeType() == dntDataSetRecordEh;
    return true;
}

bool TCustomDBGridEh::CanEditModify()
{
    if (GroupingRowsShown() && FCurGroupDataNode && FCurGroupDataNode->NodeType() != dntDataSetRecordEh)
        return false;
    TColumnEh* column = SelectedIndex() >= 0 && SelectedIndex() < Columns()->Count()
                            ? Columns()->Items(SelectedIndex())
                            : nullptr;
    if (FInplaceSearching || (column && column->GetBarType() == ctCheckboxes))
        return false;
    return CanEditModifyData();
}

bool TCustomDBGridEh::CanEditAxisBar(int Index)
{
    if (Index < 0 || Index >= Columns()->Count())
        return false;
    return Columns()->Items(Index)->CanModify(false) && Options().Contains(dgEditing);
}

bool TCustomDBGridEh::IsAlwaysShowEditor() { return Options().Contains(dgAlwaysShowEditor); }

bool TCustomDBGridEh::IsTabStopCol(int ACol)
{
    const int dataCol = RawToDataColumn(ACol);
    if (dataCol < 0 || dataCol >= Columns()->Count())
        return false;
    return Columns()->Items(dataCol)->IsEditable();
}

void TCustomDBGridEh::DoExit()
{
    if (FDataLink->Active()) {
        TDataSet* ds = FDataLink->DataSet();
        if (Options().Contains(dgCancelOnExit) && InsertingUntouched()) {
            ds->Cancel();
        } else {
            // A value the field refuses keeps the focus here; the error reaches the caller.
            bool posted = false;
            auto refocus = Finally([&] {
                if (!posted && CanFocus())
                    SetFocus();
            });
            FDataLink->UpdateData();
            posted = true;
        }
    }
    TCustomDBAxisGridEh::DoExit();
}

bool TCustomDBGridEh::InsertingUntouched()
{
    TDataSet* ds = FDataLink->DataSet();
    return ds && ds->State() == dsInsert && !ds->Modified() && !FDataLink->IsModified();
}

TInplaceEdit* TCustomDBGridEh::CreateEditor() { return Create<TDBGridInplaceEdit>(this); }
