// The main window: the period, the counterparty and the jobs of the reconciliation engine
// (start-up, settings and jobs), and the result views with their filters, sorting and check
// marks.
#pragma once

#include "platform/vcl/Forms.h"

class TPanel;
class TLabel;
class TDateTimePicker;
class TDBLookupComboboxEh;
class TButton;
class TProgressBar;
class TCheckBox;
class TPageControl;
class TTabSheet;
class TDBGridEh;
class TGroupBox;
class TRadioGroup;
class TStatusBar;
class TOpenDialog;
class TSaveDialog;
class TPopupMenu;
class TMainMenu;
class TMenuItem;
class TJobState;
class TCustomDBGridEh;
class TDataSet;

class TDBGridEhExport;
class TfrmComparer : public TForm {
    // ==== start-up, settings and jobs ====
    DOV_PERSISTENT(TfrmComparer, TForm)
private:
    TJobState* FJobState = nullptr;
    // Binds the result grid to the live result or to the saved table.
    void BindResultGrid(bool Saved);
    // A job made by a command has not ended yet: its controls may still be enabled in the
    // moment before it disables them, and a second job must not start then.
    bool JobRunning() const;

public:
    // Reads the form resource; FormCreate runs at its end.
    explicit TfrmComparer(TComponent* AOwner);

    // Where "Config.ini" is looked for; empty: where the data module reads it (the folder
    // of the executable unless a test names another).
    static QString ConfigPath;
    QString ConfigFileName() const;

    // Components of the form resource.
    TPanel* TopPanel = nullptr;
    TLabel *FirstDTPLbl = nullptr, *SecondDTPLbl = nullptr, *PredprLbl = nullptr;
    TDateTimePicker *FirstDTP = nullptr, *SecondDTP = nullptr;
    TDBLookupComboboxEh* PredprDBLCBEh = nullptr;
    TButton *SearchBtn = nullptr, *UpdateBtn = nullptr, *LoadExcelFileBtn = nullptr;
    TProgressBar* MainProgressBar = nullptr;
    TCheckBox* SelfProvCB = nullptr;
    TPageControl* MainPageControl = nullptr;
    TTabSheet *InvTabSheet = nullptr, *DuplicatesFilialTabSheet = nullptr, *DuplicatesOblpoTabSheet = nullptr,
              *InfoSheet = nullptr;
    TDBGridEh *InvDBGridEh = nullptr, *SubInvDBGridEh = nullptr, *DuplicatesFilialDBGridEh = nullptr,
              *DuplicatesOblpoDBGridEh = nullptr, *SubDuplicatesOblpoDBGridEh = nullptr, *InvoicesDuplDBGridEh = nullptr;
    TGroupBox* InvoicesDuplGB = nullptr;
    TPanel* FiltersPanel = nullptr;
    TRadioGroup* FilialRG = nullptr;
    TCheckBox* ShowMatchesCB = nullptr;
    TButton *FilterBtn = nullptr, *ClearFilterBtn = nullptr;
    TPanel* InstrumentsPanel = nullptr;
    TButton* ShowFiltersBtn = nullptr;
    TStatusBar* MainStatusBar = nullptr;
    TOpenDialog* XLSOpenDialog = nullptr;
    TSaveDialog *XLSSaveDialog = nullptr, *CSVSaveDialog = nullptr;
    TPopupMenu* StatePM = nullptr;
    TMenuItem *SetHidePMBtn = nullptr, *SetNotHidePMBtn = nullptr, *ShowAllStatePMBtn = nullptr,
              *ShowNotHideStatePMBtn = nullptr;
    TMainMenu* MainMenu = nullptr;
    TMenuItem *StateMMBtn = nullptr, *SaveStateMMBtn = nullptr, *LoadStateMMBtn = nullptr, *ExportMMBtn = nullptr,
              *ExportExcelMMBtn = nullptr, *ExportCSVMMBtn = nullptr, *ExportPrintMMBtn = nullptr,
              *SettingsMMBtn = nullptr, *FilterSettingsMMBtn = nullptr, *ZeroExcludeMMBtn = nullptr;

    // The controls a job borrows, and whether one runs.
    TJobState* JobState() const { return FJobState; }

    // Commands.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void UpdateBtnClick(TObject* Sender);
    void LoadExcelFileBtnClick(TObject* Sender);
    void SaveStateMMBtnClick(TObject* Sender);
    void LoadStateMMBtnClick(TObject* Sender);
    void SearchBtnClick(TObject* Sender);
    void FilterSettingsMMBtnClick(TObject* Sender);
    void ZeroExcludeMMBtnClick(TObject* Sender);
    void MainPageControlChange(TObject* Sender);

    // The enterprise id the jobs get: 0 when the counterparty selector's text is empty.
    int64_t SelectedPredprId() const;

protected:
    // An error of FormCreate goes to the application's error box; the window opens all the same.
    void DoCreate() override;

public:
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

    // ==== export commands ====
public:
    void ExportExcelMMBtnClick(TObject* Sender);
    void ExportCSVMMBtnClick(TObject* Sender);
    // "Камеральный контроль " and the period's two dates as dd.mm.yyyy.
    QString DefaultExportFileName() const;
    // The grid of the visible tab, or nullptr on the information tab.
    TDBGridEh* ActiveOutputGrid() const;

private:
    void ExportActiveGrid(TSaveDialog* Dialog, std::unique_ptr<TDBGridEhExport> (*ExpClass)(), const QString& DoneText);
    // ==== end of export commands ====
};

extern TfrmComparer* frmComparer;
