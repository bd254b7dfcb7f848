// The window's Excel and CSV commands over a real run: the file of the visible tab read back by
// outside readers, the columns switched only for the export, and the refusals.
#include "app/ui/views/ViewsFixture.h"
#include "components/output/export/ReadBack.h"
#include "platform/vcl/Dialogs.h"

#include <QFile>

using namespace viewstests;
using namespace testsupport;

namespace {

class ExportCommands : public MainWindowViews {
protected:
    TDialogScript script;

    void SetUp() override
    {
        Start();
        if (IsSkipped() || HasFatalFailure())
            return;
        w->FirstDTP->SetDateTime(EncodeDate(2020, 4, 1));
        w->SecondDTP->SetDateTime(EncodeDate(2020, 4, 30));
    }
    TDBGridColumnsEh* Columns() const { return w->InvDBGridEh->Columns(); }
    QString Target(const QString& name) { return dir.filePath(name); }
    QStringList Boxes() const
    {
        QStringList texts;
        for (const TDialogCall& c : script.Calls)
            if (c.Kind == TDialogKind::MessageBox)
                texts << c.Text;
        return texts;
    }
};

TEST_F(ExportCommands, TheInformationTabAndAnEmptyResultWriteNoFile)
{
    const QString path = Target(QStringLiteral("нет.xls"));
    w->MainPageControl->SetActivePageIndex(3);
    script.ThenFiles({path}).Then(IDOK);
    w->ExportExcelMMBtnClick(w->ExportExcelMMBtn);
    ASSERT_EQ(script.Calls.size(), 2u);
    EXPECT_EQ(script.Calls[0].FileName, QStringLiteral("Камеральный контроль 01.04.2020 - 30.04.2020"));
    EXPECT_EQ(script.Calls[0].DefaultExt, QStringLiteral(".xls"));
    EXPECT_EQ(script.Calls[1].Text, QStringLiteral("Данная вкладка не учавствует в печати."));
    EXPECT_EQ(script.Calls[1].Icon, UINT(MB_ICONWARNING));

    // Nothing reconciled yet: a warning instead of a completion message.
    w->MainPageControl->SetActivePageIndex(0);
    script.ThenFiles({path}).Then(IDOK);
    w->ExportCSVMMBtnClick(w->ExportCSVMMBtn);
    EXPECT_EQ(Boxes().last(), QStringLiteral("Нет данных для выгрузки. Файл не записан."));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(Columns()->Items(0)->Visible());
}

TEST_F(ExportCommands, TheSavedReconciliationGoesOutWithTheNameColumnAndWithoutTheCheckMark)
{
    Reconcile();
    if (HasFatalFailure())
        return;
    w->SaveStateMMBtnClick(w->SaveStateMMBtn);
    WaitForJob();
    JobBoxes.clear();
    w->LoadStateMMBtnClick(w->LoadStateMMBtn);
    WaitForJob();
    ASSERT_TRUE(w->ShowsSavedResult());
    const QString checkCaption = Columns()->Items(16)->Title()->Caption();
    const QString nameCaption = Columns()->Items(0)->Title()->Caption();

    const QString path = Target(QStringLiteral("Сверка за апрель.xls"));
    script.ThenFiles({path}).Then(IDOK);
    w->ExportExcelMMBtnClick(w->ExportExcelMMBtn);
    EXPECT_EQ(Boxes(), QStringList{QStringLiteral("Выгрузка в Excel завершена.")});
    EXPECT_FALSE(Columns()->Items(0)->Visible());
    EXPECT_TRUE(Columns()->Items(16)->Visible());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const readback::Sheet sheet = readback::ReadWorksheet(f.readAll(), Target(QStringLiteral("read.xls")));
    const int records = dm->TmpDararedInvMemTableEh->RecordCount();
    EXPECT_EQ(int(sheet.Rows), 1 + records + w->InvDBGridEh->FooterRowCount());
    QStringList titles;
    for (unsigned c = 0; c < sheet.Cols; ++c)
        titles << std::get<QString>(sheet.At(0, int(c)));
    EXPECT_EQ(titles.first(), nameCaption);
    EXPECT_FALSE(titles.contains(checkCaption));
}

TEST_F(ExportCommands, TheLiveResultToCsvAndAFailedExportPutsTheColumnsBack)
{
    Reconcile();
    if (HasFatalFailure())
        return;
    const QString path = Target(QStringLiteral("Камеральный контроль 01.04.2020 - 30.04.2020.csv"));
    script.ThenFiles({path}).Then(IDOK);
    w->ExportCSVMMBtnClick(w->ExportCSVMMBtn);
    EXPECT_EQ(Boxes(), QStringList{QStringLiteral("Выгрузка в CSV завершена.")});
    const std::vector<QStringList> rows = readback::ReadCsv(path);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(int(rows.size()), 1 + dm->CompareMemTableEh->RecordCount() + w->InvDBGridEh->FooterRowCount());
    EXPECT_EQ(rows.front().first(), Columns()->Items(0)->Title()->Caption());

    script.ThenFiles({Target(QStringLiteral("нет папки/x.csv"))});
    EXPECT_THROW(w->ExportCSVMMBtnClick(w->ExportCSVMMBtn), EFCreateError);
    EXPECT_EQ(Boxes().size(), 1);  // no second completion message
    EXPECT_FALSE(Columns()->Items(0)->Visible());
}

}  // namespace
