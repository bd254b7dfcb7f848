// The zero-exclusion list dialog and its record dialog over the demo summary catalog.
#include "DialogsFixture.h"

#include "app/ui/uAddUpdZeroExclude.h"
#include "app/ui/uZeroExcludeSettings.h"
#include "components/dbgrid/DBGridEh.h"

using namespace dialogtests;

namespace {

const QString Invoice25 = QStringLiteral("200000001-2024-0000000777");

class ZeroExcludeDialog : public ListDialogs {
protected:
    void ExpectCommands(TfrmZeroExcludeSettings* f, bool add, bool change)
    {
        EXPECT_EQ(Enabled(f->AddToolBtn), add);
        EXPECT_EQ(Enabled(f->AddPMBtn), add);
        EXPECT_EQ(Enabled(f->EditToolBtn), change);
        EXPECT_EQ(Enabled(f->EditPMBtn), change);
        EXPECT_EQ(Enabled(f->DeleteToolBtn), change);
        EXPECT_EQ(Enabled(f->DeletePMBtn), change);
    }
    int Entries(int filial, const QString& invoice)
    {
        return Count(QStringLiteral("DararedZeroExclude WHERE filial = %1 AND invoice = '%2'").arg(filial).arg(invoice));
    }
};

}  // namespace

TEST_F(ZeroExcludeDialog, ShowsTheListWithTheKeyColumnHidden)
{
    Start();
    ASSERT_EQ(Invoice25.size(), 25);
    auto f = CreateUnique<TfrmZeroExcludeSettings>(nullptr);
    EXPECT_EQ(f->Text(), QStringLiteral("Настройка обнуления ЭЧСФ"));
    TDBGridEh* grid = f->ZeroExcludeDBGridEh;
    EXPECT_EQ(grid->DataSource()->DataSet(), dm->SelectZeroExcludeQ);
    EXPECT_EQ(dm->SelectZeroExcludeQ->RecordCount(), int(model.ZeroExcludes.size()));
    ASSERT_EQ(grid->Columns()->Count(), 3);
    EXPECT_FALSE(grid->Columns()->Items(0)->Visible());
    EXPECT_EQ(grid->Columns()->Items(2)->Title()->Caption(), QStringLiteral("ЭСЧФ"));
    EXPECT_FALSE(grid->Options().Contains(dgEditing));
    ExpectCommands(f.get(), true, !model.ZeroExcludes.empty());
}

TEST_F(ZeroExcludeDialog, InBranchModeTheListCanOnlyBeViewed)
{
    Start(QStringLiteral("2"));
    auto f = CreateUnique<TfrmZeroExcludeSettings>(nullptr);
    EXPECT_EQ(dm->SelectZeroExcludeQ->RecordCount(), int(model.ZeroExcludes.size()));
    ExpectCommands(f.get(), false, false);
    f->RefreshZeroExcludes();
    ExpectCommands(f.get(), false, false);
}

TEST_F(ZeroExcludeDialog, TheInvoiceNumberMustHaveTwentyFiveCharacters)
{
    Start();
    struct Case {
        QString filial, invoice, text;   // text "": saved
    };
    const QString wrong = QStringLiteral("Номер ЭСЧФ введён неправильно");
    const Case cases[] = {
        {QStringLiteral("2"), Invoice25.left(24), wrong},
        {QStringLiteral("2"), Invoice25 + u'1', wrong},
        {QStringLiteral("2"), QStringLiteral("  ") + Invoice25.left(23) + QStringLiteral("  "), wrong},
        {QString(), Invoice25, QStringLiteral("Филиал не введён")},
        {QStringLiteral("2"), QStringLiteral(" ") + Invoice25 + QStringLiteral(" "), QString()},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.invoice.toStdString());
        user.Calls.clear();
        auto d = CreateUnique<TfrmAddUpdZeroExclude>(nullptr);
        d->FilialEdit->SetText(k.filial);
        d->InvoiceEdit->SetText(k.invoice);
        if (!k.text.isEmpty())
            user.Then(IDOK);
        d->SaveBtn->Click();
        if (k.text.isEmpty()) {
            EXPECT_TRUE(user.Calls.empty());
            EXPECT_EQ(d->ModalResult(), mrOk);
        } else {
            EXPECT_EQ(LastBoxText(), k.text);
            EXPECT_EQ(LastBoxIcon(), UINT(MB_ICONWARNING));
            EXPECT_EQ(d->ModalResult(), mrNone);
        }
    }
    EXPECT_EQ(Entries(2, Invoice25), 1);
    EXPECT_EQ(Count(QStringLiteral("DararedZeroExclude")), int(model.ZeroExcludes.size()) + 1);
}

TEST_F(ZeroExcludeDialog, AddingAndChangingThroughTheRecordDialog)
{
    Start();
    Sql(QStringLiteral("DELETE FROM DararedZeroExclude"));
    auto f = CreateUnique<TfrmZeroExcludeSettings>(nullptr);
    ExpectCommands(f.get(), true, false);

    QString caption;
    ThenRecord<TfrmAddUpdZeroExclude>(QStringLiteral("4"), Invoice25, &TfrmAddUpdZeroExclude::InvoiceEdit, &caption);
    f->AddPMBtn->Click();
    EXPECT_EQ(caption, QStringLiteral("Добавление записи"));
    EXPECT_EQ(Entries(4, Invoice25), 1);
    ExpectCommands(f.get(), true, true);

    QStringList shown;
    const QString other = QStringLiteral("200000002-2024-0000000001");
    ThenRecord<TfrmAddUpdZeroExclude>(QStringLiteral("5"), other, &TfrmAddUpdZeroExclude::InvoiceEdit, &caption, &shown);
    f->EditPMBtn->Click();
    EXPECT_EQ(caption, QStringLiteral("Обновление записи"));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("4"), Invoice25}));
    EXPECT_EQ(Entries(4, Invoice25), 0);
    EXPECT_EQ(Entries(5, other), 1);
}

TEST_F(ZeroExcludeDialog, TheDataModulesRefusalIsShownAndTheDialogStays)
{
    Start();
    dm->UpdateZeroExcludeQ->SQL()->SetText(
        QStringLiteral("UPDATE NoSuchTable SET filial = :filial, invoice = :invoice WHERE idRecord = :idRecord"));
    auto d = CreateUnique<TfrmAddUpdZeroExclude>(nullptr, Invoice25, 3, 1);
    EXPECT_EQ(d->FilialEdit->Text(), QStringLiteral("3"));
    user.Then(IDOK);
    d->SaveBtn->Click();
    EXPECT_TRUE(LastBoxText().startsWith(QStringLiteral("Ошибка обновления записи с тестом: "))) << LastBoxText().toStdString();
    EXPECT_EQ(LastBoxIcon(), UINT(MB_ICONERROR));
    EXPECT_EQ(d->ModalResult(), mrNone);
}

TEST_F(ZeroExcludeDialog, DeletingTheLastEntryDisablesChangeAndDelete)
{
    Start();
    Sql(QStringLiteral("DELETE FROM DararedZeroExclude"));
    dm->InsertZeroExclude(2, Invoice25);
    auto f = CreateUnique<TfrmZeroExcludeSettings>(nullptr);
    ExpectCommands(f.get(), true, true);
    user.Then(IDYES);
    f->DeletePMBtn->Click();
    EXPECT_EQ(user.Calls.back().Caption, QStringLiteral("Удаление записи"));
    EXPECT_EQ(Count(QStringLiteral("DararedZeroExclude")), 0);
    ExpectCommands(f.get(), true, false);
}
