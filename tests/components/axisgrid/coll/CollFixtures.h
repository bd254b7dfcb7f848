// An axis grid that counts its layout passes and repaints and records the bars it is told
// are leaving, over the same three fields in an in-memory table or in an ADO query on the
// embedded catalogs.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "support/AppEnvironment.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/SqlFixture.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class TCollTestGrid : public TCustomDBAxisGridEh {
public:
    using TCustomDBAxisGridEh::TCustomDBAxisGridEh;

    int Layouts = 0;
    int Repaints = 0;
    struct Removal {
        TAxisBarEh* Bar;
        bool StillInCollection;
    };
    std::vector<Removal> Removing;
    TAlignment TitleAlignment = taLeftJustify;
    TColor TitleColor = clBtnFace;

    void InternalLayout() override
    {
        ++Layouts;
        TCustomDBAxisGridEh::InternalLayout();
    }
    void Invalidate() override
    {
        ++Repaints;
        TCustomDBAxisGridEh::Invalidate();
    }
    void AxisBarRemoving(TAxisBarEh* Bar) override
    {
        Removing.push_back({Bar, Bar->Collection() == AxisBars()});
        TCustomDBAxisGridEh::AxisBarRemoving(Bar);
    }
    TAlignment GetDefaultTitleAlignment() override { return TitleAlignment; }
    TColor GetDefaultTitleColor() override { return TitleColor; }
    // The data grid's part: a title font.
    TFont* GetTitleFont() override { return &FTitleFont; }
    void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }

private:
    TFont FTitleFont;
};

enum class Regime { MemTable, AdoQuery };

inline std::string RegimeName(const ::testing::TestParamInfo<Regime>& info)
{
    return info.param == Regime::MemTable ? "MemTable" : "AdoQuery";
}

// Fields ID (integer), NAME (text) and AMOUNT (float), three rows.
class CollGridTest : public ::testing::TestWithParam<Regime> {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent* owner = ownerHolder.get();
    TDataSet* data = nullptr;
    TDataSource* source = nullptr;
    TCollTestGrid* grid = nullptr;

    void SetUp() override
    {
        data = OpenData();
        source = Create<TDataSource>(owner);
        source->SetDataSet(data);
        grid = NewGrid();
    }

    TCollTestGrid* NewGrid(bool withData = true)
    {
        auto* g = Create<TCollTestGrid>(owner);
        if (withData)
            g->SetDataSourceProp(source);
        return g;
    }

    TDataSet* OpenData()
    {
        if (GetParam() == Regime::MemTable) {
            auto* t = Create<TMemTableEh>(owner);
            t->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("NAME"), ftString, 20);
            t->FieldDefs()->Add(QStringLiteral("AMOUNT"), ftFloat);
            t->CreateDataSet();
            t->AppendRecord({Variant(1), Variant(QStringLiteral("Альфа")), Variant(10.5)});
            t->AppendRecord({Variant(2), Variant(QStringLiteral("Бета")), Variant::Null()});
            t->AppendRecord({Variant(3), Variant::Null(), Variant(7.0)});
            t->First();
            return t;
        }
        auto* conn = Create<TADOConnection>(owner);
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(ConnStr(dir.path(), QStringLiteral("coll"), true));
        conn->Open();
        conn->Execute(QStringLiteral(
            "CREATE TABLE items(ID int PRIMARY KEY, NAME varchar(20) NULL, AMOUNT float NULL)\n"
            "INSERT INTO items VALUES (1, 'Альфа', 10.5)\n"
            "INSERT INTO items VALUES (2, 'Бета', NULL)\n"
            "INSERT INTO items VALUES (3, NULL, 7)"));
        auto* q = Create<TADOQuery>(owner);
        q->SetConnection(conn);
        q->SetCursorType(ctStatic);
        q->SQL()->Add(QStringLiteral("SELECT ID, NAME, AMOUNT FROM items ORDER BY ID"));
        q->Open();
        return q;
    }

    // "ID,NAME,AMOUNT": the field names of the bars in collection order.
    static QString FieldNames(TGridAxisBarsEh* bars)
    {
        QStringList names;
        for (int i = 0; i < bars->Count(); ++i)
            names << bars->Items(i)->FieldName();
        return names.join(u',');
    }

    // Everything a read error must leave as it was: per bar its field, stored flag and own values.
    static QString Snapshot(TGridAxisBarsEh* bars)
    {
        QStringList out;
        for (int i = 0; i < bars->Count(); ++i) {
            TAxisBarEh* b = bars->Items(i);
            out << QStringLiteral("%1/%2/%3/%4/%5")
                       .arg(b->FieldName())
                       .arg(b->Stored())
                       .arg(b->AssignedValues().Bits())
                       .arg(b->Color())
                       .arg(b->Title()->Caption());
        }
        return out.join(u';');
    }
};
