// An axis grid with a title font of its own over a small table of people, held either by an
// in-memory table or by an ADO query on a SQLite catalog; bars that count their changes.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "support/AppEnvironment.h"
#include "platform/ado/query/QueryFixture.h"

#include <gtest/gtest.h>
#include <memory>
#include <set>

// A bar that records the change notifications it sends.
class TLookBar : public TAxisBarEh {
    DOV_PERSISTENT(TLookBar, TAxisBarEh)
public:
    explicit TLookBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    void Changed(bool AllItems) override
    {
        ++Changes;
        LastAllItems = AllItems;
        TAxisBarEh::Changed(AllItems);
    }
    int Changes = 0;
    bool LastAllItems = false;
};

// The data grid's part the tests need: a title font, counted layout requests and grid button
// clicks, and a settable in-place editor button height.
class TLookGrid : public TCustomDBAxisGridEh {
public:
    explicit TLookGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}
    TFont* GetTitleFont() override { return &FTitle; }
    void SetTitleFont(TFont* Value) override { FTitle.Assign(Value); }
    TGridAxisBarsEh* CreateAxisBars() override { return Create<TGridAxisBarsEh>(this, TLookBar::StaticClassInfo()); }
    void LayoutChanged() override
    {
        ++Layouts;
        TCustomDBAxisGridEh::LayoutChanged();
    }
    void EditButtonClick() override
    {
        Events << QStringLiteral("grid click");
        TCustomDBAxisGridEh::EditButtonClick();
    }
    void EditButtonDefaultAction(TAxisBarEh* AxisBar, bool& Handled, bool IsMouseDown,
                                 TEditButtonControlEh* EditButtonControl, TEditButtonEh* EditButton,
                                 TWinControl* EditControl) override
    {
        Events << QStringLiteral("default %1 %2")
                      .arg(AxisBar->EditButton() == EditButton ? QStringLiteral("main") : QStringLiteral("extra"))
                      .arg(IsMouseDown ? QStringLiteral("down") : QStringLiteral("click"));
    }
    void SetEditorButtonHeight(int Value) { FInplaceEditorButtonHeight = Value; }
    // Components whose removal reached the grid.
    std::multiset<const void*> Removed;
    void SetFlatForTest(bool Value) { SetFlat(Value); }

    // Added inside an update of the bars, as a form's loader adds them.
    TLookBar* AddBar(const QString& FieldName)
    {
        AxisBars()->BeginUpdate();
        auto* bar = static_cast<TLookBar*>(AxisBars()->Add());
        AxisBars()->EndUpdate();
        bar->SetFieldName(FieldName);
        return bar;
    }

    int Layouts = 0;
    QStringList Events;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        if (Operation == opRemove)
            Removed.insert(AComponent);
        TCustomDBAxisGridEh::Notification(AComponent, Operation);
    }

private:
    TFont FTitle;
};

enum class TDataKind { MemTable, Query };

inline std::string DataKindName(const ::testing::TestParamInfo<TDataKind>& Info)
{
    return Info.param == TDataKind::MemTable ? "MemTable" : "Query";
}

// People: Id integer, Name text, Born date, Note long text; four rows, one with an apostrophe.
class LookData : public QueryTest {
protected:
    TDataSet* MakePeople(TDataKind Kind)
    {
        if (Kind == TDataKind::MemTable) {
            auto* t = Create<TMemTableEh>(&owner);
            t->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
            t->FieldDefs()->Add(QStringLiteral("Born"), ftDate);
            t->FieldDefs()->Add(QStringLiteral("Note"), ftMemo);
            t->CreateDataSet();
            for (const auto& r : People())
                t->AppendRecord({Variant(r.Id), Variant(r.Name), Variant::Null(), Variant(r.Note)});
            t->First();
            return t;
        }
        conn->Execute(QStringLiteral("CREATE TABLE people(Id int PRIMARY KEY, Name varchar(40) NULL, "
                                     "Born datetime NULL, Note varchar(200) NULL)"));
        for (const auto& r : People()) {
            QString name = r.Name;
            name.replace(QLatin1Char('\''), QLatin1String("''"));
            conn->Execute(QStringLiteral("INSERT INTO people VALUES (%1, '%2', NULL, '%3')").arg(r.Id).arg(name, r.Note));
        }
        TADOQuery* q = Q(QStringLiteral("qPeople"), {QStringLiteral("SELECT Id, Name, Born, Note FROM people ORDER BY Id")});
        q->SetCursorType(ctStatic);
        q->Open();
        return q;
    }

    TLookGrid* MakeGrid(TDataSet* DataSet)
    {
        auto* grid = Create<TLookGrid>(&owner);
        if (DataSet) {
            auto* source = Create<TDataSource>(&owner);
            source->SetDataSet(DataSet);
            grid->SetDataSourceProp(source);
        }
        return grid;
    }

    struct TPerson {
        int Id;
        QString Name;
        QString Note;
    };
    static std::vector<TPerson> People()
    {
        return {{1, QStringLiteral("Иванов"), QStringLiteral("a")},
                {2, QStringLiteral("O'Brien"), QStringLiteral("b")},
                {3, QStringLiteral("Петров"), QStringLiteral("c")},
                {4, QStringLiteral("Obrien"), QStringLiteral("d")}};
    }
};

class LookDataP : public LookData, public ::testing::WithParamInterface<TDataKind> {};
