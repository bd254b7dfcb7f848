// The SQL data driver over a real catalog: reading through its select command, generated and
// given statements checked by the rows that land in the database, identities, macros and errors.
#include "components/memtable/MemTableEh.h"
#include "components/sqldriver/SQLConnectionDriverEh.h"
#include "platform/ado/query/QueryFixture.h"
#include "platform/rtl/Guards.h"
#include "support/ErrorCapture.h"

namespace {

class SQLDriverTest : public QueryTest {
protected:
    TConnectionSQLDataDriverEh* drv = nullptr;
    TMemTableEh* t = nullptr;
    std::unique_ptr<TServerSpecOperationsEh> mssql{CreateServerSpecOperationsEh("MSSQL")};

    void SetUp() override
    {
        QueryTest::SetUp();
        conn->Execute(QStringLiteral(
            "CREATE TABLE DararedSigners(idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, filial smallint NOT NULL, "
            "fio varchar(100) NOT NULL, note varchar(100) NULL)"));
        conn->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (1, 'Иванов'), (2, 'Петров'), (3, 'Сидоров')"));
        drv = Create<TConnectionSQLDataDriverEh>(&owner);
        drv->SetConnection(conn);
        drv->SetSelectSQL("SELECT idRecord, filial, fio, note FROM DararedSigners ORDER BY idRecord");
        t = Create<TMemTableEh>(&owner);
        t->SetDataDriver(drv);
        t->SetFetchAllOnOpen(true);
    }

    QStringList Db()
    {
        auto r = conn->Session().Open(QStringLiteral("SELECT idRecord, filial, fio, note FROM DararedSigners ORDER BY idRecord"));
        return RenderAll(*r);
    }

    void UseGeneratedStatements(TDynaSQLOptionsEh opts, const QString& fields = "filial,fio,note")
    {
        TDynaSQLParamsEh* p = drv->DynaSQLParams();
        p->SetUpdateTable("DararedSigners");
        p->SetKeyFields("idRecord");
        p->SetUpdateFields(fields);
        p->SetOptions(opts);
    }
};

} // namespace

TEST_F(SQLDriverTest, OpensThroughTheSelectCommand)
{
    t->Open();
    EXPECT_EQ(t->RecordCount(), 3);
    t->Last();
    EXPECT_EQ(t->FieldByName("fio")->AsString(), "Сидоров");
    t->Close();
    drv->SetSelectSQL("SELECT fio FROM DararedSigners WHERE filial = 2");
    t->Open();
    EXPECT_EQ(t->FieldCount(), 1);
    EXPECT_EQ(t->FieldByName("fio")->AsString(), "Петров");
}

TEST_F(SQLDriverTest, GivenStatementsWriteEachPostAtOnce)
{
    drv->SetUpdateSQL("UPDATE DararedSigners SET fio = :fio, note = :note WHERE idRecord = :OLD_idRecord");
    drv->SetInsertSQL("INSERT INTO DararedSigners(filial, fio, note) VALUES (:filial, :fio, :note)");
    drv->SetDeleteSQL("DELETE FROM DararedSigners WHERE idRecord = :OLD_idRecord");
    t->Open();
    t->First();
    t->Edit();
    t->FieldByName("fio")->SetAsString("Иванова");
    t->FieldByName("note")->SetAsString("%Filter% ' ; DROP TABLE DararedSigners --");
    t->Post();
    t->Last();
    t->Delete();
    t->AppendRecord({Variant::Null(), Variant(4), Variant("Кузнецов"), Variant::Null()});
    EXPECT_EQ(Db(), QStringList({"1|1|Иванова|%Filter% ' ; DROP TABLE DararedSigners --", "2|2|Петров|NULL",
                                 "4|4|Кузнецов|NULL"}));
}

TEST_F(SQLDriverTest, GeneratedStatementsLandInTheDatabase)
{
    UseGeneratedStatements({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
    drv->SpecParams()->Add("AUTO_INCREMENT_FIELD=idRecord");
    drv->SetServerSpecOperations(mssql.get());
    t->Open();
    t->Locate("fio", Variant("Петров"), {});
    t->Edit();
    t->FieldByName("note")->SetAsString("главный");
    t->Post();
    t->First();
    t->Delete();
    t->AppendRecord({Variant::Null(), Variant(7), Variant("Орлов"), Variant("новый")});
    // the server's identity came back into the record
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 4);
    EXPECT_EQ(Db(), QStringList({"2|2|Петров|главный", "3|3|Сидоров|NULL", "4|7|Орлов|новый"}));
}

TEST_F(SQLDriverTest, IdentityIsTheInsertsOwnEvenAfterOtherInserts)
{
    // a trigger-like second insert into another identity table in the same session must not
    // give the record that table's identity
    conn->Execute(QStringLiteral("CREATE TABLE audit(id int IDENTITY(100,1), what varchar(20))"));
    UseGeneratedStatements({dsoDynamicSQLInsertEh});
    drv->SpecParams()->Add("AUTO_INCREMENT_FIELD=idRecord");
    drv->SetServerSpecOperations(mssql.get());
    t->Open();
    conn->Execute(QStringLiteral("INSERT INTO audit(what) VALUES ('x')"));
    t->AppendRecord({Variant::Null(), Variant(5), Variant("Орлов"), Variant::Null()});
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 4);
    t->AppendRecord({Variant::Null(), Variant(6), Variant("Зайцев"), Variant::Null()});
    EXPECT_EQ(t->FieldByName("idRecord")->AsInteger(), 5);
}

TEST_F(SQLDriverTest, GeneratedInsertWrapsLongListsAndLeavesOutTheIdentity)
{
    UseGeneratedStatements({dsoDynamicSQLInsertEh}, "filial,fio,note,filial_more_than_seventy_characters_in_one_line");
    drv->SpecParams()->Add("AUTO_INCREMENT_FIELD=idRecord");
    auto* rec = t->RecordsStore()->RecordsList()->NewRecord();
    std::unique_ptr<TMemoryRecordEh> hold(rec);
    rec->SetUpdateStatus(usInserted);
    drv->GenerateDynamicSQLCommand(rec, drv->ServiceCommand());
    EXPECT_EQ(drv->ServiceCommand()->CommandText()->Text().toStdString(),
              "insert into DararedSigners\r\n"
              "  (filial, fio, note, filial_more_than_seventy_characters_in_one_line)\r\n"
              "values\r\n"
              "  (:filial, :fio, :note, :filial_more_than_seventy_characters_in_one_line)\r\n");
    drv->DynaSQLParams()->SetUpdateFields("a_long_column_name_one,a_long_column_name_two,a_long_column_name_three,"
                                          "a_long_column_name_four");
    drv->GenerateDynamicSQLCommand(rec, drv->ServiceCommand());
    const QStringList lines = drv->ServiceCommand()->CommandText()->Text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[1].toStdString(), "  (a_long_column_name_one, a_long_column_name_two, a_long_column_name_three, ");
    EXPECT_EQ(lines[2].toStdString(), "   a_long_column_name_four)");
    EXPECT_TRUE(lines[5].startsWith("   :a_long_column_name_four)"));
}

TEST_F(SQLDriverTest, UnchangedRecordWritesNothingAndAMissingFieldIsNamed)
{
    UseGeneratedStatements({dsoDynamicSQLUpdateEh});
    drv->DynaSQLParams()->SetSkipUnchangedFields(true);
    t->Open();
    t->First();
    t->Edit();
    t->FieldByName("fio")->SetAsString("Иванов");   // the same value
    t->Post();
    EXPECT_EQ(Db()[0], "1|1|Иванов|NULL");
    t->Edit();
    t->FieldByName("fio")->SetAsString("Иванец");
    t->Post();
    EXPECT_EQ(Db()[0], "1|1|Иванец|NULL");

    drv->DynaSQLParams()->SetUpdateFields("fio,nickname");
    t->Edit();
    t->FieldByName("fio")->SetAsString("Другой");
    EXPECT_EQ(ErrorOf([&] { t->Post(); }), "Invalid field name \"nickname\" in field list \"fio,nickname\"");
    t->Cancel();
    EXPECT_EQ(Db()[0], "1|1|Иванец|NULL");
}

TEST_F(SQLDriverTest, MacrosAreSubstitutedOnceAndNeverInsideQuotes)
{
    TMacroVarsEh* mv = drv->MacroVars();
    mv->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuUseSortOrderMacroEh,
                             smuSortOrderAsOrderByClauseEh});
    mv->Macros()->CreateDynVar("%Table%", "DararedSigners");
    mv->Macros()->CreateDynVar("%Cols%", "fio, '%Table%' AS t");
    drv->SetSelectSQL("SELECT %Cols%, 'done %Table%' AS q FROM %Table% %Filter% %SortOrder%");
    drv->ApplyFilterText("filial > 1");
    drv->ApplyOrderByText("fio DESC");
    EXPECT_EQ(drv->FinalSelectSQL().toStdString(),
              "SELECT fio, '%Table%' AS t, 'done %Table%' AS q FROM DararedSigners WHERE filial > 1 ORDER BY fio DESC\r\n");
    t->Open();
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(t->FieldByName("fio")->AsString(), "Сидоров");
    EXPECT_EQ(t->FieldByName("t")->AsString(), "%Table%");
    t->Close();
    drv->ApplyFilterText("");
    drv->ApplyOrderByText("");
    EXPECT_EQ(drv->FinalSelectSQL().toStdString(), "SELECT fio, '%Table%' AS t, 'done %Table%' AS q FROM DararedSigners  \r\n");
}

TEST_F(SQLDriverTest, FilterAndSortValuesByUsage)
{
    struct Case { TSpecMacrosUsagesEh u; const char* filter; const char* sort; } cases[] = {
        {{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh}, "WHERE a = 1", "ORDER BY b"},
        {{smuFilterWithANDPrecedingEh, smuSortOrderWithCommaPrecedingEh}, "AND (a = 1)", ", b"},
        {{}, "old", "old"},
    };
    TSpecMacrosEh* sm = drv->MacroVars()->SpecMacros();
    for (const Case& c : cases) {
        drv->MacroVars()->SetSpecMacrosUsages(c.u);
        sm->SetFilterMacroValue("old");
        sm->SetSortOrderMacroValue("old");
        drv->ApplyFilterText("a = 1");
        drv->ApplyOrderByText("b");
        EXPECT_EQ(sm->FilterMacroValue(), c.filter);
        EXPECT_EQ(sm->SortOrderMacroValue(), c.sort);
    }
}

TEST_F(SQLDriverTest, RefreshReadsTheRowAgainOrSaysItIsGone)
{
    drv->SetGetrecSQL("SELECT idRecord, filial, fio, note FROM DararedSigners WHERE idRecord = :OLD_idRecord");
    t->Open();
    t->First();
    conn->Execute(QStringLiteral("UPDATE DararedSigners SET note = 'извне' WHERE idRecord = 1"));
    t->RefreshRecord();
    EXPECT_EQ(t->FieldByName("note")->AsString(), "извне");
    conn->Execute(QStringLiteral("DELETE FROM DararedSigners WHERE idRecord = 1"));
    EXPECT_EQ(ErrorOf([&] { t->RefreshRecord(); }), "There are no fresh record on server");
    EXPECT_EQ(t->FieldByName("note")->AsString(), "извне");
}

TEST_F(SQLDriverTest, WithoutConnectionTheResolverExecutes)
{
    drv->SetConnection(nullptr);
    EXPECT_EQ(ErrorOf([&] { t->Open(); }), "SelectCommand.Execute does not get DataSet");

    TSQLDataDriverResolver resolver;
    QStringList seen;
    auto* q = Q("rows", {"SELECT fio FROM DararedSigners"});
    resolver.OnExecuteCommand = TResolverExecuteCommandEhEvent(
        [&](TCustomSQLDataDriverEh*, TCustomSQLCommandEh* c, TDataSet*& cursor, bool& freeOnEof, bool& processed) {
            seen << c->FinalCommandText().trimmed();
            cursor = q;
            freeOnEof = false;
            processed = true;
            return -1;
        });
    TSQLDataDriverResolver* before = RegisterSQLDataDriverResolver(&resolver);
    auto restore = Finally([&] { RegisterSQLDataDriverResolver(before == &resolver ? nullptr : before); });
    t->Open();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(seen.value(0), "SELECT idRecord, filial, fio, note FROM DararedSigners ORDER BY idRecord");
}

TEST_F(SQLDriverTest, ServerTypesAreRegisteredOnce)
{
    for (const char* name : {"AnsiServer", "Oracle", "MSSQL", "Interbase", "Infromix", "DB2", "Sybase", "MSAccess"}) {
        std::unique_ptr<TServerSpecOperationsEh> ops(CreateServerSpecOperationsEh(name));
        ASSERT_TRUE(ops) << name;
        EXPECT_EQ(ops->GetServerTypeName(), name);
    }
    EXPECT_EQ(ErrorOf([] { RegisterServerSpecOperationsEh("MSSQL", [] { return new TServerSpecOperationsEh(); }); }),
              "Server type with name: \"MSSQL\" is already registered");
}
