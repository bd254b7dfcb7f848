// The window's export commands: the grid of the visible tab to a worksheet or a CSV file.
#include "uCompareMain.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/output/DBGridEhImpExp.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"

namespace {

// The counterparty name: hidden on the result tab because the grouping shows it.
constexpr int kNameColumn = 0;
// The check mark of the saved reconciliation.
constexpr int kCheckColumn = 16;

}  // namespace

QString TfrmComparer::DefaultExportFileName() const
{
    // Fixed, whatever the regional date format: separators of some locales are not allowed in names.
    const QString format = QStringLiteral("dd.mm.yyyy");
    return QStringLiteral("Камеральный контроль ") + FormatDateTime(format, FirstDTP->Date()) + QStringLiteral(" - ") +
           FormatDateTime(format, SecondDTP->Date());
}

TDBGridEh* TfrmComparer::ActiveOutputGrid() const
{
    switch (MainPageControl->ActivePageIndex()) {
    case 0:
        return InvDBGridEh;
    case 1:
        return DuplicatesFilialDBGridEh;
    case 2:
        return DuplicatesOblpoDBGridEh;
    default:
        return nullptr;
    }
}

void TfrmComparer::ExportActiveGrid(TSaveDialog* Dialog, TDBGridEhExportClass ExpClass, const QString& DoneText)
{
    Dialog->SetFileName(DefaultExportFileName());
    if (!Dialog->Execute())
        return;
    TDBGridEh* grid = ActiveOutputGrid();
    if (!grid) {
        MessageDlg(QStringLiteral("Данная вкладка не учавствует в печати."), mtWarning, {mbOK});
        return;
    }
    TDataSet* ds = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
    if (!ds || !ds->Active() || ds->IsEmpty()) {
        MessageDlg(QStringLiteral("Нет данных для выгрузки. Файл не записан."), mtWarning, {mbOK});
        return;
    }
    {
        TDBGridColumnsEh* columns = grid->Columns();
        TColumnEh* name = columns->Count() > kNameColumn ? columns->Items(kNameColumn) : nullptr;
        TColumnEh* check = grid == InvDBGridEh && ShowsSavedResult() && columns->Count() > kCheckColumn
                               ? columns->Items(kCheckColumn)
                               : nullptr;
        const bool nameWasVisible = name && name->Visible();
        const bool checkWasVisible = check && check->Visible();
        // The columns come back also when the export fails.
        auto restore = Finally([&] {
            if (name)
                name->SetVisible(nameWasVisible);
            if (check)
                check->SetVisible(checkWasVisible);
        });
        if (name)
            name->SetVisible(true);
        if (check)
            check->SetVisible(false);
        ExportGridToFile(ExpClass, grid, Dialog->FileName(), true);
    }
    MessageDlg(DoneText, mtInformation, {mbOK});
}

void TfrmComparer::ExportExcelMMBtnClick(TObject*)
{
    ExportActiveGrid(XLSSaveDialog, MakeExporter<TDBGridEhExportAsXLS>, QStringLiteral("Выгрузка в Excel завершена."));
}

void TfrmComparer::ExportCSVMMBtnClick(TObject*)
{
    ExportActiveGrid(CSVSaveDialog, MakeExporter<TDBGridEhExportAsCSV>, QStringLiteral("Выгрузка в CSV завершена."));
}
