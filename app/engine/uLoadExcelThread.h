// The desk-audit workbook import: reads the first worksheet of each chosen workbook and
// inserts one row per e-invoice into the summary connection's "#svexceltmp", which each
// import empties first. In branch mode only the rows of the configured branch are kept.
#pragma once

#include "uBaseCompThread.h"

#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"

class TLoadExcelProcess : public TBaseCompThread {
public:
    // FilePaths is copied: the window's dialog may change its list while the job runs.
    TLoadExcelProcess(bool CreateSuspended, TStrings* FilePaths, TProgressBar* ProgressBar, TStatusBar* StatusBar,
                      TPageControl* PageControl, TButton* LoadExcelFileBtn, TButton* UpdateBtn, TPanel* InsPanel,
                      TMainMenu* MainMenu);
    TLoadExcelProcess(bool CreateSuspended, TStrings* FilePaths, TJobState* State);
    ~TLoadExcelProcess() override;

    // A money cell: its text with blanks dropped and either decimal mark turned into the
    // locale's, then read as currency; an empty cell is 0. EConvertError when no number.
    static Currency CellToCurrency(const Variant& cell);

protected:
    void Execute() override;

    TStringList FilePaths;   // full paths of the chosen files, in the order chosen

private:
    void LoadFile(class TExcelApplication& excel, const QString& path);
    void ImportRow(const class TVariantMatrix& values, int row);
    TDateTime CellToDate(const class TVariantMatrix& values, int row, int col) const;
    bool RowOfTheBranch(const QString& signer, const Variant& dopunn) const;
    void TakeSignerSnapshot();

    bool FIsFilial = false;
    QString FFilial;
    QStringList FSigners;   // the branch's signers, taken once at the start
    int FFirstSheetRow = 1;  // sheet row of the used range's first row, for row errors
};
