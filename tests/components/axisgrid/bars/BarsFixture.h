// An axis grid with bars of a test class over a small table of items, held either in an
// in-memory table or in an ADO query over an SQLite catalog: every bar test runs on both.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/SqlFixture.h"
#include "platform/vcl/ImgList.h"
#include "support/AppEnvironment.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A bar whose cell-parameter event is a test's function (the base bar leaves it to descendants).
class TBarsTestBar : public TAxisBarEh {
    DOV_PERSISTENT(TBarsTestBar, TAxisBarEh)
public:
    explicit TBarsTestBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    std::function<void(bool EditMode, TAxisColCellParamsEh* Params)> CellParamsEvent;
    void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) override
    {
        if (CellParamsEvent)
            CellParamsEvent(EditMode, Params);
    }
};

class TBarsTestGrid : public TCustomDBAxisGridEh {
    DOV_PERSISTENT(TBarsTestGrid, TCustomDBAxisGridEh)
public:
    explicit TBarsTestGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}
    TGridAxisBarsEh* CreateAxisBars() override { return Create<TGridAxisBarsEh>(this, TBarsTestBar::StaticClassInfo()); }
    TAxisColCellParamsEh* CreateColCellParams() override { return new TAxisColCellParamsEh; }
    TFont* GetTitleFont() override { return &FTitle; }
    void SetTitleFont(TFont* Value) override { FTitle.Assign(Value); }
    int GetSelectedIndex() override { return FSelected; }
    void InternalLayout() override
    {
        ++LayoutPasses;
        TCustomDBAxisGridEh::InternalLayout();
    }
    int LayoutPasses = 0;
    void SetSelectedIndex(int Value) override { FSelected = Value; }

private:
    TFont FTitle;
    int FSelected = 0;
};

// A grid of test bars over a dataset, owned by Owner.
inline TBarsTestGrid* GridOver(TComponent* Owner, TDataSet* DataSet)
{
    auto* Source = Create<TDataSource>(Owner);
    Source->SetDataSet(DataSet);
    auto* Grid = Create<TBarsTestGrid>(Owner);
    Grid->SetDataSourceProp(Source);
    return Grid;
}

// A stored bar bound by name.
inline TBarsTestBar* AddBar(TBarsTestGrid* Grid, const QString& FieldName)
{
    auto* Bar = static_cast<TBarsTestBar*>(Grid->AxisBars()->Add());
    Bar->SetFieldName(FieldName);
    return Bar;
}

enum class DataRegime { Memory, Ado };

inline std::string RegimeName(const ::testing::TestParamInfo<DataRegime>& Info)
{
    return Info.param == DataRegime::Memory ? "MemTable" : "AdoSqlite";
}

// Items: Id, Name, Qty (nullable integer), Amount (nullable float), Flag (nullable Boolean),
// Code (short text), Created (nullable date-time).
//   1  Alpha  5     12.5   true   A     2024-01-15
//   2  Beta   NULL  NULL   NULL   B     NULL
//   3  Gamma  7     -3.25  false  y     2023-12-31
class BarsTest : public ::testing::TestWithParam<DataRegime> {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent* owner = ownerHolder.get();
    TADOConnection* conn = nullptr;
    TDataSet* ds = nullptr;
    TDataSource* src = nullptr;
    TBarsTestGrid* grid = nullptr;

    void SetUp() override
    {
        if (GetParam() == DataRegime::Memory) {
            auto* t = Create<TMemTableEh>(owner);
            t->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
            t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Amount"), ftFloat);
            t->FieldDefs()->Add(QStringLiteral("Flag"), ftBoolean);
            t->FieldDefs()->Add(QStringLiteral("Code"), ftString, 10);
            t->FieldDefs()->Add(QStringLiteral("Created"), ftDateTime);
            t->CreateDataSet();
            t->AppendRecord({Variant(1), Variant("Alpha"), Variant(5), Variant(12.5), Variant(true), Variant("A"),
                             Variant::FromDate(EncodeDate(2024, 1, 15))});
            t->AppendRecord({Variant(2), Variant("Beta"), Null(), Null(), Null(), Variant("B"), Null()});
            t->AppendRecord({Variant(3), Variant("Gamma"), Variant(7), Variant(-3.25), Variant(false), Variant("y"),
                             Variant::FromDate(EncodeDate(2023, 12, 31))});
            ds = t;
        } else {
            conn = Create<TADOConnection>(owner);
            conn->SetLoginPrompt(false);
            conn->SetConnectionString(ConnStr(dir.path(), QStringLiteral("bars"), true));
            conn->Open();
            conn->Execute(QStringLiteral(
                "CREATE TABLE Items(Id int NOT NULL PRIMARY KEY, Name varchar(20) NOT NULL, Qty int NULL, "
                "Amount float NULL, Flag bit NULL, Code varchar(10) NULL, Created datetime NULL)\n"
                "INSERT INTO Items VALUES (1, 'Alpha', 5, 12.5, 1, 'A', '20240115'), "
                "(2, 'Beta', NULL, NULL, NULL, 'B', NULL), (3, 'Gamma', 7, -3.25, 0, 'y', '20231231')"));
            auto* q = Create<TADOQuery>(owner);
            q->SetConnection(conn);
            q->SQL()->Add(QStringLiteral("SELECT Id, Name, Qty, Amount, Flag, Code, Created FROM Items ORDER BY Id"));
            q->Open();
            ds = q;
        }
        ds->First();
        grid = GridOver(owner, ds);
        src = grid->DataSource();
    }

    TBarsTestBar* Bar(const QString& FieldName) { return AddBar(grid, FieldName); }

    void GoTo(int Id)
    {
        ASSERT_TRUE(ds->Locate(QStringLiteral("Id"), Variant(Id), TLocateOptions()));
    }

    // Edit state as a program enters it around a bar's write; the grid's own editing start
    // (CanModify with TryEdit) also marks its editor text for writing back, which these tests
    // have no editor for.
    void BeginEdit(TAxisBarEh* Bar)
    {
        ASSERT_TRUE(Bar->CanModify(false));
        ds->Edit();
    }

    TField* F(const char* Name) { return ds->FieldByName(QString::fromLatin1(Name)); }

    // The value as stored: posted and, for the query, read back from the database.
    QString Stored(int Id, const char* Column)
    {
        if (ds->State() != dsBrowse)
            ds->Post();
        if (GetParam() == DataRegime::Ado) {
            ds->Close();
            ds->Open();
        }
        GoTo(Id);
        TField* Fld = F(Column);
        return Fld->IsNull() ? QStringLiteral("NULL") : Fld->AsString();
    }
};

#define BARS_REGIMES ::testing::Values(DataRegime::Memory, DataRegime::Ado), RegimeName
