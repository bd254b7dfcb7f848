// The reconciliation run: collects every configured branch's e-invoices, certificate sums,
// ledger entries and duplicate entries into the summary connection's temporary tables,
// compares them with the imported workbook rows, loads the result into CompareMemTableEh,
// opens the duplicate lists and hands the three VAT totals to the main grid's footers.
#pragma once

#include "uBaseCompThread.h"

#include <QElapsedTimer>
#include <cstdint>

class TColumnFooterEh;

// Where a run spent its time (nanoseconds, summed over the branches); read after WaitFor.
struct TCompareStepTimes {
    int64_t BranchInsertSelect = 0;   // building "#inv_prov" on the branch server
    int64_t CopyLedger = 0;           // ledger entries into "#svod_prov"
    int64_t CopyDuples = 0;           // duplicate entries into "#svod_duples"
    int64_t CopyInvoices = 0;         // "#inv_prov" rows into "#svod_inv"
    int64_t Comparison = 0;           // the final comparison query
    int64_t OpenAndSort = 0;          // the result table read and sorted
    int64_t DuplesAndTotals = 0;      // the duplicate lists and the two totals
    int64_t Copying() const { return CopyLedger + CopyDuples + CopyInvoices; }
};

class TCompareData : public TBaseCompThread {
public:
    // The footers are the main grid's (columns ndsexcel, ndsspr, ndsdiff); borrowed.
    TCompareData(bool CreateSuspended, int64_t idPredpr, TDateTime FirstDate, TDateTime SecondDate, bool selfProv,
                 TProgressBar* ProgressBar, TStatusBar* StatusBar, TPageControl* PageControl, TButton* LoadExcelFileBtn,
                 TButton* UpdateBtn, TPanel* InsPanel, TMainMenu* MainMenu, TColumnFooterEh* excFooter,
                 TColumnFooterEh* sprFooter, TColumnFooterEh* diffFooter);
    TCompareData(bool CreateSuspended, int64_t idPredpr, TDateTime FirstDate, TDateTime SecondDate, bool selfProv,
                 TJobState* State, TColumnFooterEh* excFooter, TColumnFooterEh* sprFooter, TColumnFooterEh* diffFooter);

    const TCompareStepTimes& StepTimes() const { return FTimes; }

protected:
    void Execute() override;

private:
    TDateTime FirstDate;
    TDateTime SecondDate;
    int64_t idPredpr;
    TColumnFooterEh* excFooter;
    TColumnFooterEh* sprFooter;
    TColumnFooterEh* diffFooter;
    bool selfProv;
    // The grid of each footer (nullptr for a footer of no grid's column): the window may free
    // the grid, or its columns, while the job runs.
    class TCustomDBGridEh* FFooterGrids[3] = {};

    // Footer texts prepared by the job, set on the UI thread by SetFooters.
    QString FExcText, FSprText, FDiffText;
    TCompareStepTimes FTimes;

    void Run(QString& branch);
    void CollectBranch(const QString& branch, const QString& server);
    void CopyLedgerEntries();
    void CopyDuplicateEntries();
    void CopyInvoices();
    void BorrowFooterGrids();
    void SetFooters();
    void SetFooter(int Index, TColumnFooterEh* Footer, const QString& Text);
};
