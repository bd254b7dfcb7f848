#include "uLoadExcelThread.h"
#include "platform/rtl/Guards.h"

#include "JobErrors.h"
#include "uCompDM.h"

#include "platform/sheets/Workbook.h"

#include <cmath>

namespace {

const QString kCaptionRow = QStringLiteral("Код страны поставщика");
const QString kLineBreak = QStringLiteral("\n\r");

QString CellText(const TVariantMatrix& v, int row, int col) { return VarToStr(v(row, col)); }
QString CellTrimmed(const TVariantMatrix& v, int row, int col) { return CellText(v, row, col).trimmed(); }

// Column 1 tells where the rows start: the first filled cell that is not the caption.
int FirstDataRow(const TVariantMatrix& values, int rowCount)
{
    for (int row = 1; row <= rowCount; ++row) {
        const QString c = CellTrimmed(values, row, 1);
        if (!c.isEmpty() && c != kCaptionRow)
            return row;
    }
    return 3;
}

// What the summary table's datetime column takes, inside what the runtime's dates can show:
// 1 January 1753 (day -53688, any time of it) to 31 December 9999.
constexpr TDateTime kFirstDay = -53688, kPastLastDay = 2958466;

}  // namespace

TLoadExcelProcess::TLoadExcelProcess(bool CreateSuspended, TStrings* AFilePaths, TProgressBar* ProgressBar,
                                     TStatusBar* StatusBar, TPageControl* PageControl, TButton* LoadExcelFileBtn,
                                     TButton* UpdateBtn, TPanel* InsPanel, TMainMenu* MainMenu)
    : TBaseCompThread(CreateSuspended, ProgressBar, StatusBar, PageControl, LoadExcelFileBtn, UpdateBtn, InsPanel, MainMenu)
{
    if (AFilePaths)
        FilePaths.AddStrings(AFilePaths);
}

TLoadExcelProcess::TLoadExcelProcess(bool CreateSuspended, TStrings* AFilePaths, TJobState* State)
    : TBaseCompThread(CreateSuspended, State)
{
    if (AFilePaths)
        FilePaths.AddStrings(AFilePaths);
}

TLoadExcelProcess::~TLoadExcelProcess() = default;

Currency TLoadExcelProcess::CellToCurrency(const Variant& cell)
{
    return StrToCurr(UpdateDecimalSeparator(VarToStr(cell)));
}

void TLoadExcelProcess::Execute()
{
    TExcelApplication excel;
    excel.SetDisplayAlerts(false);

    SyncControlsEnabled(false);
    SyncProgressBarStyle(pbstMarquee);
    bool failed = false;
    QString failure;
    try {
        auto cleanup = Finally([&] {
            SyncStatusText(QStringLiteral("Выгрузка файла камерального контроля..."));
            excel.Quit();
        });
        if (!CompDM)
            throw Exception(QStringLiteral("Модуль данных не создан"));
        CompDM->CrExcelTemp->ExecSQL();
        FIsFilial = CompDM->IsFilial;
        FFilial = CompDM->Filial;
        if (FIsFilial)
            TakeSignerSnapshot();
        for (int i = 0; i < FilePaths.Count(); ++i)
            LoadFile(excel, FilePaths[i]);
    } catch (...) {
        failed = true;
        failure = CurrentErrorText();
    }
    // Whatever ended the import, the window gets its controls back; rows already inserted stay.
    try {
        if (failed)
            SyncErrorDialog(QStringLiteral("Произошла ошибка с текстом: ") + failure);
        SyncStatusText(QStringLiteral("Обработка завершена"));
    } catch (const EThread&) {
        return;   // the application is going down: nothing left to show
    }
    SyncControlsEnabled(true);
    SyncProgressBarStyle(pbstNormal);
}

// The import keeps its own copy of the branch's signers: the shared query is reopened by
// the window (branch filter), so it is read once, on the UI thread, and not touched again.
void TLoadExcelProcess::TakeSignerSnapshot()
{
    QStringList names;
    Synchronize(TThreadMethod([this, &names] {
        CompDM->GetSignersByFilial(Variant(FFilial));
        TADOQuery* q = CompDM->SelectSignersByFilialQ;
        for (q->First(); !q->Eof(); q->Next())
            names << q->FieldByName(QStringLiteral("fio"))->AsString();
        q->First();
    }));
    FSigners = names;
}

void TLoadExcelProcess::LoadFile(TExcelApplication& excel, const QString& path)
{
    const QString fileName = ExtractFileName(path);
    SyncStatusText(QStringLiteral("Загрузка файла ") + fileName);
    excel.Workbooks().Open(path, true);
    TExcelWorksheet& sheet = excel.Workbooks(1).Worksheets(1);
    const int rowCount = sheet.UsedRange().Rows().Count();
    FFirstSheetRow = sheet.UsedRange().Row();
    const TVariantMatrix values = sheet.UsedRange().Value();
    SyncStatusText(QStringLiteral("Вставка записей ") + fileName + QStringLiteral(" в таблицу..."));

    for (int row = FirstDataRow(values, rowCount); row <= rowCount; ++row) {
        try {
            ImportRow(values, row);
        } catch (const EInsExcelTempException& e) {
            SyncErrorDialog(e.Message() + kLineBreak + CellText(values, row, 15));
        } catch (const EVariantTypeCastError&) {
            SyncErrorDialog(QStringLiteral("Ошибка преобразования в строку в ЭСЧФ ") + CellText(values, row, 15));
        } catch (const EThread&) {
            throw;   // the UI thread is gone: no box can be shown
        } catch (...) {
            SyncErrorDialog(QStringLiteral("Произошла ошибка с текстом: ") + CurrentErrorText() + kLineBreak +
                            CellText(values, row, 15));
        }
    }
    excel.Workbooks().Close();
}

// A date cell as a date-time. A number no table date stands for (NaN, 1e308, a day before
// 1753 or after 9999) is a row error naming the sheet row, never a made-up date.
TDateTime TLoadExcelProcess::CellToDate(const TVariantMatrix& values, int row, int col) const
{
    const Variant cell = values(row, col);
    const TDateTime d = VarToDateTime(cell);
    // Compared to the millisecond the date is kept with; before the epoch the day is the whole
    // part toward zero, so -53688.5 is noon of 1 January 1753. NaN fails both tests.
    constexpr double kMSecsPerDay = 86400000;
    const double ms = std::round(d * kMSecsPerDay);
    if (ms > (kFirstDay - 1) * kMSecsPerDay && ms < kPastLastDay * kMSecsPerDay)
        return d;
    throw EConvertError(QStringLiteral("Строка %1: в столбце %2 дата вне допустимого диапазона (01.01.1753 - 31.12.9999): %3")
                            .arg(FFirstSheetRow + row - 1)
                            .arg(col)
                            .arg(VarToStr(cell)));
}

bool TLoadExcelProcess::RowOfTheBranch(const QString& signer, const Variant& dopunn) const
{
    if (signer.isEmpty() && VarIsNull(dopunn))
        return true;
    if (!VarIsNull(dopunn) && VarToStr(dopunn) == FFilial)
        return true;
    for (const QString& s : FSigners)
        if (s.compare(signer, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TLoadExcelProcess::ImportRow(const TVariantMatrix& values, int row)
{
    // a row the reader could not read faithfully is not imported half garbled
    const QString problem = values.Cells().RowProblem(row);
    if (!problem.isEmpty())
        throw EConvertError(QStringLiteral("Строка %1: %2").arg(FFirstSheetRow + row - 1).arg(problem));
    const QString invoice = CellText(values, row, 15);
    if (invoice.isEmpty())
        return;
    const QString dopText = CellTrimmed(values, row, 10);
    const Variant dopunn = dopText.isEmpty() ? Variant::Null() : Variant(dopText);
    if (FIsFilial && !RowOfTheBranch(CellTrimmed(values, row, 14), dopunn))
        return;

    const QString unn = CellTrimmed(values, row, 2);
    const QString branch = CellTrimmed(values, row, 3);
    const QString name = CellTrimmed(values, row, 4);
    int64_t idPredpr;
    QString namePredpr;
    if (branch.isEmpty()) {
        idPredpr = StrToInt64(unn + QStringLiteral("0000"));
        namePredpr = unn + QStringLiteral(" - ") + name;
    } else {
        idPredpr = StrToInt64(unn + branch);
        namePredpr = unn + u' ' + branch + QStringLiteral(" - ") + name;
    }
    const Variant docdate =
        CellTrimmed(values, row, 39).isEmpty() ? Variant::Null() : Variant::FromDate(CellToDate(values, row, 39));

    // in the order of the statement's arguments, so the first bad cell is the one reported
    const TDateTime datetrans = CellToDate(values, row, 20);
    const Currency ndsexcel = CellToCurrency(values(row, 43));
    const Currency totalcostinv = CellToCurrency(values(row, 41));
    const Currency totalcostvatinv = CellToCurrency(values(row, 44));
    CompDM->InsertExcelTemp(idPredpr, namePredpr, invoice, CellText(values, row, 38), QStringLiteral("П"),
                            CellText(values, row, 11), CellText(values, row, 14), datetrans, 5, ndsexcel, totalcostinv,
                            totalcostvatinv, docdate, dopunn);
}
