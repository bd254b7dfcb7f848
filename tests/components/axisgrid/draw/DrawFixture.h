// An axis grid completed as the data grid completes it (line defaults, a column's text area and
// cell-parameter step) over a small table held in an in-memory table or in an ADO query on an
// SQLite catalog.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/SqlFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A column as the data grid's: always-shown buttons take their width off the text area.
class TDrawTestBar : public TAxisBarEh {
    DOV_PERSISTENT(TDrawTestBar, TAxisBarEh)
public:
    explicit TDrawTestBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    static constexpr int ButtonsWidth = 18;
    void SetTextArea(TRect& ARect) override
    {
        if (AlwaysShowEditButton())
            ARect.Right -= ButtonsWidth;
    }
    bool CurLineWordWrap(int) override { return WordWrap(); }
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
};

class TDrawLineParams : public TDBAxisGridLineParamsEh {
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override { return glcsClassicEh; }
};

class TDrawTestGrid : public TCustomDBAxisGridEh {
    DOV_PERSISTENT(TDrawTestGrid, TCustomDBAxisGridEh)
public:
    explicit TDrawTestGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}
    TGridAxisBarsEh* CreateAxisBars() override { return new TGridAxisBarsEh(this, TDrawTestBar::StaticClassInfo()); }
    TAxisColCellParamsEh* CreateColCellParams() override { return new TAxisColCellParamsEh; }
    TGridLineColorsEh* CreateGridLineColors() override { return new TDrawLineParams(this); }
    int Selected = -1;
    int GetSelectedIndex() override { return Selected; }
    void SetSelectedIndex(int Value) override { Selected = Value; }
    TFont* GetTitleFont() override { return &FTitleFont; }
    void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }
    // Where the mouse was last (the hint rules look at it).
    void SetHitTest(TPoint P) { FHitTest = P; }

private:
    TFont FTitleFont;
};

enum class DrawRegime { Memory, Ado };

inline std::string DrawRegimeName(const ::testing::TestParamInfo<DrawRegime>& Info)
{
    return Info.param == DrawRegime::Memory ? "MemTable" : "AdoSqlite";
}

// Lines: Id, Name (text), Done (nullable Boolean).
//   1  "Счёт-фактура 25 от 11.12.2026"  true
//   2  "ИП"                              false
class DrawDataTest : public ::testing::TestWithParam<DrawRegime> {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent* owner = ownerHolder.get();
    TDataSet* ds = nullptr;
    TDataSource* src = nullptr;
    TDrawTestGrid* grid = nullptr;

    void SetUp() override
    {
        if (GetParam() == DrawRegime::Memory) {
            auto* t = Create<TMemTableEh>(owner);
            t->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 60);
            t->FieldDefs()->Add(QStringLiteral("Done"), ftBoolean);
            t->CreateDataSet();
            t->AppendRecord({Variant(1), Variant(QStringLiteral("Счёт-фактура 25 от 11.12.2026")), Variant(true)});
            t->AppendRecord({Variant(2), Variant(QStringLiteral("ИП")), Variant(false)});
            ds = t;
        } else {
            auto* conn = Create<TADOConnection>(owner);
            conn->SetLoginPrompt(false);
            conn->SetConnectionString(ConnStr(dir.path(), QStringLiteral("draw"), true));
            conn->Open();
            conn->Execute(QStringLiteral(
                "CREATE TABLE Lines(Id int NOT NULL PRIMARY KEY, Name varchar(60) NOT NULL, Done bit NULL)\n"
                "INSERT INTO Lines VALUES (1, 'Счёт-фактура 25 от 11.12.2026', 1), (2, 'ИП', 0)"));
            auto* q = Create<TADOQuery>(owner);
            q->SetConnection(conn);
            q->SQL()->Add(QStringLiteral("SELECT Id, Name, Done FROM Lines ORDER BY Id"));
            q->Open();
            ds = q;
        }
        ds->First();
        src = Create<TDataSource>(owner);
        src->SetDataSet(ds);
        grid = Create<TDrawTestGrid>(owner);
        grid->SetDataSourceProp(src);
        grid->Font()->SetName(QStringLiteral("DejaVu Sans"));
        grid->Font()->SetHeight(-12);
    }

    TDrawTestBar* Bar(const QString& FieldName)
    {
        auto* b = static_cast<TDrawTestBar*>(grid->AxisBars()->Add());
        b->SetFieldName(FieldName);
        b->SetWordWrap(false);
        b->Font()->SetName(QStringLiteral("DejaVu Sans"));
        b->Font()->SetHeight(-12);
        return b;
    }

    // The width the bar's font gives a text.
    int TextWidth(TAxisBarEh* B, const QString& Text)
    {
        TBitmap bmp(1, 1);
        bmp.Canvas()->Font()->Assign(B->Font());
        return bmp.Canvas()->TextWidth(Text);
    }
};
