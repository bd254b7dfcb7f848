// Writing through a single-table query, provider-style access, the form resource and a
// connection shared by two threads.
#include "QueryFixture.h"

#include "platform/rtl/DataModule.h"

#include <thread>

namespace {

class UpdateTest : public QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        conn->Execute(QStringLiteral(
            "CREATE TABLE DararedSigners(idRecord int IDENTITY(1,1) PRIMARY KEY, filial smallint NOT NULL, "
            "fio varchar(100) NOT NULL, dt datetime DEFAULT '20240101')\n"
            "CREATE UNIQUE INDEX UX_Signers ON DararedSigners(filial, fio)\n"
            "INSERT INTO DararedSigners(filial, fio) VALUES (1, 'Иванов')\n"
            "INSERT INTO DararedSigners(filial, fio) VALUES (2, 'Петров')"));
        q = Q("SelectDararedSingersQ", {"SELECT *", "FROM DararedSigners", "ORDER BY filial, fio"});
        q->SetCursorType(ctStatic);
        q->Open();
    }
    QStringList Table()
    {
        auto r = conn->Session().Open(QStringLiteral("SELECT idRecord, filial, fio FROM DararedSigners ORDER BY idRecord"));
        return RenderAll(*r);
    }
    TADOQuery* q = nullptr;
};

TEST_F(UpdateTest, EditInsertDeleteWriteTheTableByKeyAndReReadTheNewRow)
{
    EXPECT_EQ(q->UpdateTableName(), QStringLiteral("DararedSigners"));
    EXPECT_EQ(q->PSGetKeyFields(), QStringLiteral("idRecord"));
    EXPECT_EQ(q->FieldByName("idRecord")->DataType(), ftAutoInc);

    ASSERT_TRUE(q->Locate(QStringLiteral("fio"), Variant(QStringLiteral("Петров")), {}));
    q->Edit();
    q->FieldByName("fio")->SetAsString(QStringLiteral("Петрова"));
    q->Post();
    EXPECT_EQ(Table(), (QStringList{"1|1|Иванов", "2|2|Петрова"}));

    q->Append();
    q->FieldByName("filial")->SetAsInteger(3);
    q->FieldByName("fio")->SetAsString(QStringLiteral("Сидоров"));
    q->Post();
    // the identity and the column default come back into the row
    EXPECT_EQ(q->FieldByName("idRecord")->AsInteger(), 3);
    EXPECT_EQ(q->FieldByName("dt")->AsDateTime(), EncodeDate(2024, 1, 1));
    EXPECT_EQ(q->RecordCount(), 3);
    EXPECT_EQ(Table(), (QStringList{"1|1|Иванов", "2|2|Петрова", "3|3|Сидоров"}));

    q->First();
    q->Delete();
    EXPECT_EQ(q->RecordCount(), 2);
    EXPECT_EQ(q->FieldByName("fio")->AsString(), QStringLiteral("Петрова"));
    EXPECT_EQ(Table(), (QStringList{"2|2|Петрова", "3|3|Сидоров"}));

    // an unchanged post writes nothing; read-only queries refuse to edit
    q->Edit();
    q->Post();
    q->Close();
    q->SetLockType(ltReadOnly);
    q->Open();
    EXPECT_THROW(q->Edit(), EDatabaseError);
}

TEST_F(UpdateTest, ARowThatIsGoneRaisesRecordNotFoundAndAFailedWriteLeavesTheRecordInEdit)
{
    conn->Execute(QStringLiteral("DELETE FROM DararedSigners WHERE fio = 'Иванов'"));
    q->First();
    q->Edit();
    q->FieldByName("filial")->SetAsInteger(5);
    try {
        q->Post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("Record not found"), Qt::CaseInsensitive)) << e.Message().toStdString();
    }
    EXPECT_EQ(q->State(), dsEdit);
    q->Cancel();
    EXPECT_THROW(q->Delete(), EDatabaseError);
    EXPECT_EQ(q->RecordCount(), 2);

    // a key violation keeps the server's text, the row stays unwritten
    q->Last();
    q->Edit();
    q->FieldByName("filial")->SetAsInteger(2);
    q->FieldByName("fio")->SetAsString(QStringLiteral("Петров"));
    q->Cancel();
    q->Append();
    q->FieldByName("filial")->SetAsInteger(2);
    q->FieldByName("fio")->SetAsString(QStringLiteral("ПЕТРОВ "));   // the same name to the server's collation
    try {
        q->Post();
        FAIL() << "posted";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key"))) << e.Message().toStdString();
    }
    EXPECT_EQ(q->State(), dsInsert);
    q->Cancel();
    EXPECT_EQ(Table(), QStringList{"2|2|Петров"});
}

TEST_F(QueryTest, ABitColumnIsWrittenAsOneOrZero)
{
    conn->Execute(QStringLiteral("CREATE TABLE tmpDararedInv(idRecord int IDENTITY(1,1) PRIMARY KEY, inv varchar(25), hide bit NOT NULL DEFAULT (0))\n"
                                 "INSERT INTO tmpDararedInv(inv) VALUES ('A')\nINSERT INTO tmpDararedInv(inv) VALUES ('B')"));
    TADOQuery* q = Q("SelectTmpDararedInv", {"SELECT *", "FROM tmpDararedInv", "-- Условие предприятия"});
    q->Open();
    EXPECT_EQ(q->FieldByName("hide")->DataType(), ftBoolean);
    q->Last();
    q->Edit();
    q->FieldByName("hide")->SetAsBoolean(true);
    q->Post();
    EXPECT_TRUE(q->FieldByName("hide")->AsBoolean());
    q->First();
    q->Edit();
    q->FieldByName("hide")->SetAsVariant(Variant(false));
    q->Post();
    auto r = conn->Session().Open(QStringLiteral("SELECT inv, CAST(hide AS int) FROM tmpDararedInv ORDER BY inv"));
    EXPECT_EQ(RenderAll(*r), (QStringList{"A|0", "B|1"}));
}

TEST_F(UpdateTest, AJoinedResultCannotBeWrittenBack)
{
    conn->Execute(QStringLiteral("CREATE TABLE f(filial smallint, name varchar(10))\nINSERT INTO f VALUES (1, 'A')"));
    TADOQuery* j = Q("J", {"SELECT s.fio, f.name FROM DararedSigners s JOIN f ON f.filial = s.filial"});
    j->Open();
    EXPECT_EQ(j->UpdateTableName(), QString());
    j->Edit();
    j->FieldByName("fio")->SetAsString(QStringLiteral("X"));
    EXPECT_THROW(j->Post(), EDatabaseError);
    j->Cancel();
}

TEST_F(UpdateTest, ProviderStyleParameterAccess)
{
    TADOQuery* p = Q("SelectSignersByFilialQ", {"SELECT fio", "FROM DararedSigners", "WHERE filial=:filial"});
    p->Parameters()->ParamByName("filial")->SetDataType(ftSmallint);
    p->Parameters()->ParamByName("filial")->SetValue(1);
    TParams* params = p->PSGetParams();
    ASSERT_NE(params, nullptr);
    ASSERT_EQ(params->Count(), 1);
    EXPECT_EQ(params->Items(0)->Name(), QStringLiteral("filial"));
    EXPECT_EQ(params->Items(0)->DataType(), ftSmallint);
    EXPECT_EQ(params->Items(0)->AsInteger(), 1);
    TParams other;
    other.CreateParam(ftSmallint, QStringLiteral("FILIAL"), ptInput)->SetValue(2);
    p->PSSetParams(&other);
    p->Open();
    EXPECT_EQ(Rows(p), QStringList{"Петров"});
    TParams exec;
    exec.CreateParam(ftInteger, QStringLiteral("f"), ptInput)->SetValue(2);
    EXPECT_EQ(p->PSExecuteStatement(QStringLiteral("DELETE FROM DararedSigners WHERE filial = :f"), &exec), 1);
}

TEST_F(QueryTest, QueriesComeFromAFormResourceWithParametersAndPersistentFields)
{
    conn->Execute(QStringLiteral("CREATE TABLE DararedZeroExclude(idRecord int IDENTITY(1,1) PRIMARY KEY, filial smallint, invoice varchar(25))\n"
                                 "INSERT INTO DararedZeroExclude(filial, invoice) VALUES (3, '100-2024-0000000001')"));
    const QByteArray form = QStringLiteral(R"(object CompDM: TDataModule
  object ObjMDBConnection: TADOConnection
    LoginPrompt = False
    Mode = cmReadWrite
    CommandTimeout = 60
  end
  object InsertZeroExcludeQ: TADOQuery
    Connection = ObjMDBConnection
    CommandTimeout = 45
    Parameters = <
      item
        Name = 'filial'
        Attributes = [paSigned]
        DataType = ftSmallint
        Precision = 5
        Size = 2
        Value = Null
      end
      item
        Name = 'invoice'
        DataType = ftString
        Size = 25
        Value = 'начальное'
      end
      item
        Name = 'unused'
        DataType = ftInteger
      end>
    SQL.Strings = (
      'INSERT INTO DararedZeroExclude(filial, invoice)'
      'VALUES (:filial, :invoice)'
      '')
  end
  object SelectZeroExcludeQ: TADOQuery
    Connection = ObjMDBConnection
    CursorType = ctStatic
    SQL.Strings = (
      'SELECT *'
      'FROM DararedZeroExclude'
      'ORDER BY filial, invoice')
    object SelectZeroExcludeQidRecord: TAutoIncField
      FieldName = 'idRecord'
      ReadOnly = True
    end
    object SelectZeroExcludeQfilial: TSmallintField
      FieldName = 'filial'
    end
    object SelectZeroExcludeQinvoice: TStringField
      DisplayLabel = 'ЭСЧФ|Номер'
      FieldName = 'invoice'
      Size = 25
    end
  end
end
)").toUtf8();
    RegisterClasses<TDataModule>();
    auto* dm = Create<TDataModule>(&owner);
    ReadComponentRes(form, dm, QStringLiteral("CompDM"));
    auto* c = dynamic_cast<TADOConnection*>(dm->FindComponent(QStringLiteral("ObjMDBConnection")));
    auto* ins = dynamic_cast<TADOQuery*>(dm->FindComponent(QStringLiteral("InsertZeroExcludeQ")));
    auto* sel = dynamic_cast<TADOQuery*>(dm->FindComponent(QStringLiteral("SelectZeroExcludeQ")));
    ASSERT_TRUE(c && ins && sel);
    EXPECT_FALSE(c->LoginPrompt());
    EXPECT_EQ(c->Mode(), cmReadWrite);
    EXPECT_EQ(c->CommandTimeout(), 60);
    EXPECT_EQ(ins->Connection(), c);
    EXPECT_EQ(ins->CommandTimeout(), 45);
    EXPECT_EQ(ins->SQL()->Count(), 3);
    EXPECT_EQ(ins->SQL()->Strings(2), QString());
    ASSERT_EQ(ins->Parameters()->Count(), 3);   // a declared parameter the text does not use stays
    TParameter* filial = ins->Parameters()->ParamByName("filial");
    EXPECT_EQ(filial->DataType(), ftSmallint);
    EXPECT_EQ(filial->Attributes(), TParameterAttributes{paSigned});
    EXPECT_TRUE(filial->Value().IsNull());
    EXPECT_EQ(ins->Parameters()->ParamByName("invoice")->Value().AsString(), QStringLiteral("начальное"));
    EXPECT_EQ(sel->CursorType(), ctStatic);
    EXPECT_EQ(sel->FieldCount(), 3);

    c->SetConnectionString(conn->ConnectionString());
    filial->SetValue(7);
    ins->Parameters()->ParamByName("invoice")->SetValue(QStringLiteral("200-2024-0000000002"));
    EXPECT_EQ(ins->ExecSQL(), 1);
    sel->Open();
    EXPECT_FALSE(sel->DefaultFields());
    EXPECT_EQ(sel->FieldByName("invoice")->DisplayLabel(), QStringLiteral("ЭСЧФ|Номер"));
    EXPECT_EQ(Rows(sel), (QStringList{"1|3|100-2024-0000000001", "2|7|200-2024-0000000002"}));
    sel->Close();
    EXPECT_EQ(sel->FieldCount(), 3);   // persistent fields stay
    // written back out, the queries keep what the form said
    const QString text = ComponentToText(dm);
    EXPECT_TRUE(text.contains(QLatin1String("CursorType = ctStatic")));
    EXPECT_TRUE(text.contains(QLatin1String("Name = 'unused'")));
}

TEST_F(QueryTest, TwoThreadsShareOneConnectionUnderItsLock)
{
    conn->Execute(QStringLiteral("CREATE TABLE #shared(who int, n int)"));
    constexpr int kRows = 300;
    // the components are made on this thread, as the data module makes them; only their use is shared
    TADOQuery* ins[2];
    TADOQuery* sel[2];
    for (int k = 0; k < 2; ++k) {
        ins[k] = Q(QStringLiteral("Ins%1").arg(k), {"INSERT INTO #shared(who, n) VALUES (:who, :n)"});
        sel[k] = Q(QStringLiteral("Sel%1").arg(k), {"SELECT COUNT(*) AS c FROM #shared WHERE who = :who"});
        sel[k]->Parameters()->ParamByName("who")->SetValue(k + 1);
    }
    auto work = [&](int k) {
        for (int i = 0; i < kRows; ++i) {
            ins[k]->Parameters()->ParamByName("who")->SetValue(k + 1);
            ins[k]->Parameters()->ParamByName("n")->SetValue(i);
            ins[k]->ExecSQL();
            if (i % 50 == 49) {
                sel[k]->Open();
                EXPECT_EQ(sel[k]->FieldByName("c")->AsInteger(), i + 1);
                sel[k]->Close();
            }
        }
    };
    std::thread job(work, 0);
    work(1);
    job.join();
    TADOQuery* total = Q("Total", {"SELECT who, COUNT(*) AS c, SUM(n) AS s FROM #shared GROUP BY who ORDER BY who"});
    total->Open();
    EXPECT_EQ(Rows(total), (QStringList{"1|300|44850", "2|300|44850"}));
}

}  // namespace
