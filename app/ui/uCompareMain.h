// The main window: the period, the counterparty and the jobs of the reconciliation engine
// (start-up, settings and jobs), and the result views with their filters, sorting and check
// marks.
#pragma once

#include "platform/vcl/Forms.h"

class TCustomDBGridEh;
class TDataSet;

class TfrmComparer : public TForm {
    // ==== start-up, settings and jobs ====
    DOV_PERSISTENT(TfrmComparer, TForm)
public:
    explicit TfrmComparer(TComponent* AOwner);
    // ==== end of start-up, settings and jobs ====

    // ==== result views, filters, sorting and check marks ====
public:
    void FilterBtnClick(TObject* Sender);
    void ClearFilterBtnClick(TObject* Sender);
    void ShowFiltersBtnClick(TObject* Sender);
    void InvDBGridEhSortMarkingChanged(TObject* Sender);
    void StatePMPopup(TObject* Sender);
    void SetHidePMBtnClick(TObject* Sender);
    void SetNotHidePMBtnClick(TObject* Sender);
    void ShowAllStatePMBtnClick(TObject* Sender);
    void ShowNotHideStatePMBtnClick(TObject* Sender);
    void InvDBGridEhCheckRowHaveDetailPanel(TCustomDBGridEh* Sender, bool& RowHaveDetailPanel);
    void InvDBGridEhRowDetailPanelShow(TCustomDBGridEh* Sender, bool& CanShow);
    void DuplicatesOblpoDBGridEhRowDetailPanelShow(TCustomDBGridEh* Sender, bool& CanShow);

    // Filtering off, the text set, filtering on; a table a job is filling keeps its filter.
    void SetGridFilter(TCustomDBGridEh* Grid, const QString& Text);
    // The sort markers of the grid, in marking order, become the live result's order.
    void ApplyGridSortMarkers(TCustomDBGridEh* Grid);
    // The check mark of the selected rows of the saved reconciliation (or of its current row
    // when none is selected); each one is written at once.
    void MarkSelectedRows(bool Value);
    void SetCurrentRowHide(bool Value);

    // Which table the result grid shows, by the name of its data source.
    bool ShowsLiveResult() const;
    bool ShowsSavedResult() const;

private:
    void SetGridFiltered(TCustomDBGridEh* Grid, bool Value);
    // The ledger entries of the row into the detail query.
    void ShowRowEntries(TDataSet* Row, class TADOQuery* Query);
    // ==== end of result views, filters, sorting and check marks ====
};

extern TfrmComparer* frmComparer;
