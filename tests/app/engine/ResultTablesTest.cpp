// The data module's result tables: wiring from the form resource, status texts, calculated
// fields, and a check mark written to the saved reconciliation at once.
#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "platform/ado/SqlEngine.h"
#include "components/memtable/DataDriverEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/FMTBcd.h"

#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class ResultTables : public ::testing::Test {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;

    void SetUp() override
    {
        demo::TDemoOptions o;
        o.Size = 3;
        model = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(model, dir.path());
        TCompDM::ConfigPath = dir.filePath(QStringLiteral("Config.ini"));
        dm = CreateUnique<TCompDM>(nullptr);
        ASSERT_EQ(dm->CreateError, QString());
    }
    void TearDown() override
    {
        dm.reset();
        TCompDM::ConfigPath.clear();
    }

    void Save(const char* inv, int status, const Variant& excel, const Variant& spr)
    {
        dm->InsertTmpDararedInv(Variant(int64_t(5001)), Variant(QString::fromLatin1(inv)), Variant::FromDate(45337),
                                Variant(status), Variant("recipient"), Variant("signer"), Variant("Предприятие"),
                                Variant("1"), Variant::FromDate(45336), excel, spr, Variant::Null(), Variant::Null(),
                                Variant::Null(), Variant(int16_t(1)), Variant("С"), Variant("15"), Variant("7"));
    }
    static Variant Money(const char* s) { return Variant(Currency::FromRaw(std::llround(std::atof(s) * 10000))); }
};

TEST(StatusTexts, EveryCodeAndTheUnknownOnes)
{
    const std::pair<int, const char*> cases[] = {
        {0, "Нет данных"}, {1, "В разработке"}, {2, "В разработке. Ошибка"}, {3, "Выставлен"}, {4, "На согласовании"},
        {5, "Выставлен.Подписан получателем"}, {6, "Аннулирован"}, {7, "Выставлен.Аннулирован поставщиком"},
        {8, "Не найдено"}, {9, "Ошибка"}, {10, "Неизвестный статус"}, {255, "Неизвестный статус"}, {-1, "Неизвестный статус"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(TCompDM::GetStatusText(int16_t(code)), QString::fromUtf8(text)) << code;
    int longest = 0;
    for (int c = 0; c <= 9; ++c)
        longest = std::max(longest, int(TCompDM::GetStatusText(int16_t(c)).size()));
    EXPECT_EQ(longest, 33);
}

TEST_F(ResultTables, BothTablesComeFromTheFormWiredToTheirDrivers)
{
    ASSERT_NE(dm->CompareMemTableEh, nullptr);
    ASSERT_NE(dm->TmpDararedInvMemTableEh, nullptr);
    EXPECT_EQ(dm->CompareMemTableEh->DataDriver(), dm->SelectSvodInvDSDEh);
    EXPECT_EQ(dm->TmpDararedInvMemTableEh->DataDriver(), dm->SelectTmpDararedInvDSDEh);
    EXPECT_EQ(dm->CompareMemTableEhDS->DataSet(), dm->CompareMemTableEh);
    EXPECT_EQ(dm->TmpDararedInvMemTableEhDS->DataSet(), dm->TmpDararedInvMemTableEh);
    EXPECT_TRUE(dm->CompareMemTableEh->FetchAllOnOpen());
    EXPECT_FALSE(dm->CompareMemTableEh->Filtered());
    EXPECT_TRUE(dm->TmpDararedInvMemTableEh->Filtered());
    EXPECT_FALSE(dm->TmpDararedInvMemTableEh->CachedUpdates());
    EXPECT_EQ(dm->CompareMemTableEh->FieldDefs()->Count(), 19);
    EXPECT_EQ(dm->TmpDararedInvMemTableEh->FieldDefs()->Count(), 21);
    TField* st = dm->CompareMemTableEh->FieldByName("StatusText");
    EXPECT_EQ(st->FieldKind(), fkCalculated);
    EXPECT_EQ(st->Size(), 33);
    EXPECT_EQ(dm->TmpDararedInvMemTableEh->FieldByName("hide")->DisplayLabel(), QStringLiteral("Пров."));
    EXPECT_FALSE(dm->TmpDararedInvMemTableEh->FieldByName("hide")->ReadOnly());
    EXPECT_FALSE(dm->CompareMemTableEh->FieldByName("idPredpr")->Visible());
}

TEST_F(ResultTables, StatusTextAndDifferenceAreCalculatedPerRow)
{
    Save("INV-A", 10, Money("100"), Variant::Null());
    Save("INV-B", 255, Money("100"), Money("40"));
    Save("INV-C", 5, Variant::Null(), Money("40"));
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    t->Open();
    EXPECT_TRUE(dm->SelectTmpDararedInv->Active());
    ASSERT_EQ(t->RecordCount(), 3);
    t->SortByFields("invoicefullname");
    QStringList got;
    for (t->First(); !t->Eof(); t->Next())
        got << t->FieldByName("StatusText")->AsString() + "|" + t->FieldByName("ndsdiff")->AsString();
    EXPECT_EQ(got, (QStringList{"Неизвестный статус|100", "Неизвестный статус|60", "Выставлен.Подписан получателем|-40"}));
    t->Close();
    EXPECT_FALSE(dm->SelectTmpDararedInv->Active());
}

TEST_F(ResultTables, ACheckMarkPostedReachesTheSavedReconciliationAtOnce)
{
    Save("INV-A", 1, Money("1"), Money("1"));
    Save("INV-B", 1, Money("2"), Money("2"));
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    t->Open();
    ASSERT_TRUE(t->Locate("invoicefullname", Variant("INV-B"), {}));
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    t->Post();
    EXPECT_FALSE(t->HasCachedChanges());
    auto r = dm->SvodMDBConnection->Session().Open(
        QStringLiteral("SELECT invoicefullname, CAST(hide AS int) FROM tmpDararedInv ORDER BY invoicefullname"));
    QStringList rows;
    for (const std::vector<Variant>& row : r->FetchAll())
        rows << row[0].AsString() + "|" + QString::number(row[1].AsInteger());
    EXPECT_EQ(rows, (QStringList{"INV-A|0", "INV-B|1"}));
    // reloading shows it still checked
    t->Close();
    t->Open();
    ASSERT_TRUE(t->Locate("invoicefullname", Variant("INV-B"), {}));
    EXPECT_TRUE(t->FieldByName("hide")->AsBoolean());
}

}  // namespace

namespace {

TEST_F(ResultTables, TheMainWindowsMismatchFilterOverAmountsReadFromTheDatabase)
{
    Save("INV-A", 1, Money("100"), Money("100"));
    Save("INV-B", 1, Money("100"), Variant::Null());
    Save("INV-C", 1, Variant::Null(), Money("40"));
    Save("INV-D", 1, Money("100.5"), Money("100.25"));
    Save("INV-E", 1, Variant::Null(), Variant::Null());
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    t->Open();
    t->SortByFields("invoicefullname");
    t->SetFilter(QStringLiteral(
        "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND (ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))"
        " AND (hide=0)"));
    QStringList got;
    for (t->First(); !t->Eof(); t->Next())
        got << t->FieldByName("invoicefullname")->AsString();
    EXPECT_EQ(got, (QStringList{"INV-B", "INV-C", "INV-D", "INV-E"}));
    // a check mark posted under the filter takes the row out of it
    t->First();
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    t->Post();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(t->FieldByName("invoicefullname")->AsString(), QStringLiteral("INV-C"));
}

TEST_F(ResultTables, RefreshReadsTheProviderAgain)
{
    Save("INV-A", 1, Money("1"), Money("1"));
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    t->Open();
    EXPECT_EQ(t->RecordCount(), 1);
    Save("INV-B", 1, Money("2"), Money("2"));
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 2);
}

}  // namespace
