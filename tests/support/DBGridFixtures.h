// What the data grid tests share: a data grid on a shown form, over a small in-memory table or
// over an ADO query on an embedded SQLite catalog, with the same rows in both.
//
//   Code (ftInteger)  Name (ftString 20)  Sum (ftFloat)  Kind (ftString 5)
//   1                 "Альфа"             10.5           "A"
//   2                 "Бета"              20             "B"
//   3                 "Гамма"             (null)         "A"
//
// A suite typed over both regimes:
//   using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
//   TYPED_TEST_SUITE(MySuite, Regimes);
// A suite that needs its own grid class derives it from TDBGridEh and names it:
//   class MyGridTest : public DBGridOverMemTableOf<MyProbeGrid> {};
#pragma once

#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

// Lets the posted events run.
inline void PumpDBGrid()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A shown form with a data grid whose window exists, and a data source (not yet bound).
template <class TGrid = TDBGridEh>
class DBGridOnFormOf : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TGrid* grid = nullptr;
    TDataSource* src = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 600, 400);
        grid = Create<TGrid>(form.get());
        grid->SetName(QStringLiteral("Grid"));
        grid->SetParent(form.get());
        grid->SetBounds(5, 5, 580, 380);
        src = Create<TDataSource>(form.get());
        src->SetName(QStringLiteral("Source"));
        form->Show();
        grid->Handle();
        PumpDBGrid();
    }
    void TearDown() override { form.reset(); }

    void Bind(TDataSet* ds)
    {
        src->SetDataSet(ds);
        grid->SetDataSource(src);
        PumpDBGrid();
    }
};

// An in-memory table with the fields above (no rows), owned by Owner (named when Name is given).
inline TMemTableEh* MakeDBGridTable(TComponent* Owner, const QString& Name = QString())
{
    auto* table = Create<TMemTableEh>(Owner);
    if (!Name.isEmpty())
        table->SetName(Name);
    table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
    table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
    table->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
    table->CreateDataSet();
    return table;
}

inline void AddDBGridRow(TDataSet* ds, int code, const QString& name, const Variant& sum, const QString& kind)
{
    ds->Append();
    ds->FieldByName(QStringLiteral("Code"))->SetAsInteger(code);
    ds->FieldByName(QStringLiteral("Name"))->SetAsString(name);
    ds->FieldByName(QStringLiteral("Sum"))->SetValue(sum);
    ds->FieldByName(QStringLiteral("Kind"))->SetAsString(kind);
    ds->Post();
}

// The three rows above in a TMemTableEh owned by the form, bound to the grid.
template <class TGrid = TDBGridEh>
class DBGridOverMemTableOf : public DBGridOnFormOf<TGrid> {
public:
    TMemTableEh* table = nullptr;

    void SetUp() override
    {
        DBGridOnFormOf<TGrid>::SetUp();
        table = MakeDBGridTable(this->form.get(), QStringLiteral("Table"));
        AddDBGridRow(table, 1, QStringLiteral("Альфа"), Variant(10.5), QStringLiteral("A"));
        AddDBGridRow(table, 2, QStringLiteral("Бета"), Variant(20.0), QStringLiteral("B"));
        AddDBGridRow(table, 3, QStringLiteral("Гамма"), Variant::Null(), QStringLiteral("A"));
        table->First();
        this->Bind(table);
    }
    TDataSet* DataSet() { return table; }
    static constexpr bool HasMemTable = true;
};

// The same rows in a table of an embedded SQLite catalog, read through an ADO query.
template <class TGrid = TDBGridEh>
class DBGridOverAdoQueryOf : public DBGridOnFormOf<TGrid> {
public:
    QTemporaryDir dir;
    TADOConnection* conn = nullptr;
    TADOQuery* query = nullptr;

    void SetUp() override
    {
        DBGridOnFormOf<TGrid>::SetUp();
        conn = Create<TADOConnection>(this->form.get());
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=dbgrid;Data Source=%1;Create Catalog=True")
                .arg(dir.path()));
        conn->Open();
        conn->Execute(QStringLiteral(
            "CREATE TABLE rows_t(Code int PRIMARY KEY, Name varchar(20), Sum float, Kind varchar(5))"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (1, N'Альфа', 10.5, 'A')"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (2, N'Бета', 20, 'B')"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (3, N'Гамма', NULL, 'A')"));
        query = Create<TADOQuery>(this->form.get());
        query->SetName(QStringLiteral("Query"));
        query->SetConnection(conn);
        query->SQL()->Add(QStringLiteral("SELECT Code, Name, Sum, Kind FROM rows_t ORDER BY Code"));
        query->Open();
        this->Bind(query);
    }
    TDataSet* DataSet() { return query; }
    static constexpr bool HasMemTable = false;
};

using DBGridOnForm = DBGridOnFormOf<>;
using DBGridOverMemTable = DBGridOverMemTableOf<>;
using DBGridOverAdoQuery = DBGridOverAdoQueryOf<>;

}  // namespace testsupport
