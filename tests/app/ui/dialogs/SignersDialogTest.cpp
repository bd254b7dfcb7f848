// The signers list dialog and its record dialog over the demo summary catalog.
#include "DialogsFixture.h"

#include "app/ui/uAddUpdDararedSigner.h"
#include "app/ui/uFilterSettings.h"
#include "components/dbgrid/DBGridEh.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

using namespace dialogtests;

namespace {

class SignersDialog : public ListDialogs {
protected:
    std::unique_ptr<TfrmFilterSettings> Open()
    {
        auto f = CreateUnique<TfrmFilterSettings>(nullptr);
        return f;
    }
    // The name of a signer configured for the branch.
    QString Fio(int filial)
    {
        for (const demo::TDemoSigner& s : model.Signers)
            if (s.Filial == filial)
                return s.Fio;
        return QString();
    }
    int SignerId(int filial, const QString& fio)
    {
        TADOQuery* q = dm->SelectDararedSingersQ;
        q->Close();
        q->Open();
        for (q->First(); !q->Eof(); q->Next())
            if (q->FieldByName(QStringLiteral("filial"))->AsInteger() == filial &&
                q->FieldByName(QStringLiteral("fio"))->AsString() == fio)
                return q->FieldByName(QStringLiteral("idRecord"))->AsInteger();
        return 0;
    }
    void ExpectCommands(TfrmFilterSettings* f, bool add, bool change, bool fill)
    {
        EXPECT_EQ(Enabled(f->AddToolBtn), add);
        EXPECT_EQ(Enabled(f->AddPMBtn), add);
        EXPECT_EQ(Enabled(f->EditToolBtn), change);
        EXPECT_EQ(Enabled(f->EditPMBtn), change);
        EXPECT_EQ(Enabled(f->DeleteToolBtn), change);
        EXPECT_EQ(Enabled(f->DeletePMBtn), change);
        EXPECT_EQ(Enabled(f->FillSprToolBtn), fill);
    }
};

}  // namespace

TEST_F(SignersDialog, ShowsTheListFromItsResource)
{
    Start();
    auto f = Open();
    EXPECT_EQ(f->Text(), QStringLiteral("Настройка фильтров"));
    EXPECT_EQ(f->ClientWidth(), 497);
    EXPECT_EQ(f->ClientHeight(), 531);
    TDBGridEh* grid = f->FilterSettingsDBGridEh;
    ASSERT_NE(grid->DataSource(), nullptr);
    EXPECT_EQ(grid->DataSource()->DataSet(), dm->SelectDararedSingersQ);
    EXPECT_TRUE(dm->SelectDararedSingersQ->Active());
    EXPECT_EQ(dm->SelectDararedSingersQ->RecordCount(), int(model.Signers.size()));
    EXPECT_FALSE(grid->Options().Contains(dgEditing));
    EXPECT_EQ(grid->PopupMenu, f->FilterSettingPM);
    ASSERT_EQ(grid->Columns()->Count(), 2);
    EXPECT_EQ(grid->Columns()->Items(0)->Title()->Caption(), QStringLiteral("Филиал"));
    EXPECT_EQ(grid->Columns()->Items(0)->Width(), 90);
    EXPECT_EQ(grid->Columns()->Items(1)->FieldName(), QStringLiteral("fio"));
    EXPECT_EQ(grid->Columns()->Items(1)->Width(), 320);
    ExpectCommands(f.get(), true, true, true);
}

TEST_F(SignersDialog, AnEmptyListDisablesChangeAndDelete)
{
    Start();
    Sql(QStringLiteral("DELETE FROM DararedSigners"));
    auto f = Open();
    ExpectCommands(f.get(), true, false, true);
}

TEST_F(SignersDialog, InBranchModeEveryEditingCommandStaysDisabled)
{
    Start(QStringLiteral("2"));
    auto f = Open();
    EXPECT_FALSE(dm->SelectDararedSingersQ->IsEmpty());
    ExpectCommands(f.get(), false, false, false);
    f->RefreshSigners();
    ExpectCommands(f.get(), false, false, false);
}

TEST_F(SignersDialog, AddingStoresTheTrimmedEntryAndRefreshes)
{
    Start();
    Sql(QStringLiteral("DELETE FROM DararedSigners"));
    auto f = Open();
    QString caption;
    ThenRecord<TfrmAddUpdDararedSigner>(QStringLiteral(" 7 "), QStringLiteral("  Петров П.П.  "), &TfrmAddUpdDararedSigner::FIOEdit,
                                        &caption);
    f->AddPMBtn->Click();   // the popup item clicks the tool button
    EXPECT_EQ(caption, QStringLiteral("Добавление записи"));
    EXPECT_NE(SignerId(7, QStringLiteral("Петров П.П.")), 0);
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), 1);
    ExpectCommands(f.get(), true, true, true);
    // cancelling changes nothing
    user.Then(mrCancel);
    f->AddToolBtn->Click();
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), 1);
}

TEST_F(SignersDialog, TheRecordDialogRefusesAndStaysOpen)
{
    Start();
    const demo::TDemoSigner& known = model.Signers.front();
    struct Case {
        QString filial, fio, text;
        UINT icon;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("Иванов И.И."), QStringLiteral("Филиал не введён"), MB_ICONWARNING},
        {QStringLiteral("  "), QStringLiteral("Иванов И.И."), QStringLiteral("Филиал не введён"), MB_ICONWARNING},
        {QStringLiteral("5"), QStringLiteral("   "), QStringLiteral("ФИО не введено"), MB_ICONWARNING},
        {QString::number(known.Filial), QStringLiteral(" ") + known.Fio, QStringLiteral("Запись с заданными значениями уже существует."),
         MB_ICONERROR},
        // only pasting gets a letter in
        {QStringLiteral("5x"), QStringLiteral("Иванов И.И."), QStringLiteral("Произошла ошибка с текстом: '5x' is not a valid integer value"),
         MB_ICONERROR},
    };
    const int before = Count(QStringLiteral("DararedSigners"));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text.toStdString());
        auto d = CreateUnique<TfrmAddUpdDararedSigner>(nullptr);
        d->FilialEdit->SetText(k.filial);
        d->FIOEdit->SetText(k.fio);
        user.Then(IDOK);
        d->SaveBtn->Click();
        EXPECT_EQ(LastBoxText(), k.text);
        EXPECT_EQ(LastBoxIcon(), k.icon);
        EXPECT_EQ(d->ModalResult(), mrNone);
    }
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), before);
}

TEST_F(SignersDialog, ChangingWorksOnTheCurrentRow)
{
    Start();
    auto f = Open();
    TDataSet* list = dm->SelectDararedSingersQ;
    list->Next();
    const int id = list->FieldByName(QStringLiteral("idRecord"))->AsInteger();
    const QString filial = list->FieldByName(QStringLiteral("filial"))->AsString();
    const QString fio = list->FieldByName(QStringLiteral("fio"))->AsString();
    QString caption;
    QStringList shown;
    ThenRecord<TfrmAddUpdDararedSigner>(QStringLiteral("9"), QStringLiteral("Сидоров С.С."), &TfrmAddUpdDararedSigner::FIOEdit,
                                        &caption, &shown);
    f->EditToolBtn->Click();
    EXPECT_EQ(caption, QStringLiteral("Обновление записи"));
    EXPECT_EQ(shown, (QStringList{filial, fio}));
    EXPECT_EQ(SignerId(9, QStringLiteral("Сидоров С.С.")), id);
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), int(model.Signers.size()));
}

TEST_F(SignersDialog, DeletingAsksFirstAndShowsTheRefusal)
{
    Start();
    auto f = Open();
    const int all = int(model.Signers.size());
    TDataSet* list = dm->SelectDararedSingersQ;
    const int id = list->FieldByName(QStringLiteral("idRecord"))->AsInteger();

    user.Then(IDNO);
    f->DeleteToolBtn->Click();
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Вы действительно хотите удалить запись?"));
    EXPECT_EQ(user.Calls[0].Caption, QStringLiteral("Удаление записи"));
    EXPECT_EQ(user.Calls[0].Icon, UINT(MB_ICONQUESTION));
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), all);

    user.Then(IDYES);
    f->DeletePMBtn->Click();
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), all - 1);
    EXPECT_EQ(list->RecordCount(), all - 1);
    EXPECT_FALSE(list->Locate(QStringLiteral("idRecord"), Variant(id), {}));

    dm->DeleteDararedSingersQ->SQL()->SetText(QStringLiteral("DELETE FROM NoSuchTable WHERE idRecord = :idRecord"));
    user.Then(IDYES).Then(IDOK);
    f->DeleteToolBtn->Click();
    EXPECT_TRUE(LastBoxText().startsWith(QStringLiteral("Ошибка удаления записи с тестом: "))) << LastBoxText().toStdString();
    EXPECT_EQ(LastBoxIcon(), UINT(MB_ICONWARNING));
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), all - 1);
}

TEST_F(SignersDialog, FillingFromTheSavedReconciliationSkipsKnownEntries)
{
    Start();
    const demo::TDemoSigner& known = model.Signers.front();
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (2, 'Новиков Н.Н.')"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (2, 'Новиков Н.Н.')"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (%1, '%2')").arg(known.Filial).arg(QString(known.Fio).replace(u'\'', QStringLiteral("''"))));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (NULL, 'Без Филиала')"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (3, '   ')"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (3, NULL)"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (3, ' Новиков Н.Н.')"));
    auto f = Open();
    const int all = int(model.Signers.size());
    user.Then(IDOK);
    f->FillSprToolBtn->Click();
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Обработка завершена"));
    EXPECT_EQ(user.Calls[0].Icon, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), all + 2);
    EXPECT_NE(SignerId(3, QStringLiteral("Новиков Н.Н.")), 0);
    EXPECT_EQ(dm->SelectDararedSingersQ->RecordCount(), all + 2);
}

TEST_F(SignersDialog, FillingReportsAFailureOtherThanADuplicate)
{
    Start();
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (2, 'Новиков Н.Н.')"));
    Sql(QStringLiteral("INSERT INTO tmpDararedInv (filial, signerfio) VALUES (3, 'Новиков Н.Н.')"));
    auto f = Open();
    dm->InsertDararedSingersQ->SQL()->SetText(QStringLiteral("INSERT INTO NoSuchTable(filial, fio) VALUES (:filial, :fio)"));
    user.Then(IDOK);
    f->FillSprToolBtn->Click();
    ASSERT_EQ(user.Calls.size(), 1u);
    const QString text = user.Calls[0].Text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ошибка добавления записи с тестом: "))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'\n')) << "the same failure is reported once";
    EXPECT_EQ(user.Calls[0].Icon, UINT(MB_ICONERROR));
    EXPECT_EQ(Count(QStringLiteral("DararedSigners")), int(model.Signers.size()));
}

TEST_F(SignersDialog, TheBranchEditTakesFourDigitsOnly)
{
    Start();
    auto d = CreateUnique<TfrmAddUpdDararedSigner>(nullptr);
    d->Show();
    d->FilialEdit->SetFocus();
    for (QChar c : QStringLiteral("1a2-3 45")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(d->FilialEdit->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(d->FilialEdit->Widget(), &release);
    }
    EXPECT_EQ(d->FilialEdit->Text(), QStringLiteral("1234"));
    d->Hide();
}
