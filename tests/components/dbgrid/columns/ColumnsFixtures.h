// A data grid whose columns are the data grid's own, with counters of the layout changes and
// of the column collection's change reactions.
#pragma once

#include "support/DBGridFixtures.h"

namespace testsupport {

// Counts the change reactions of the collection, one per Changed outside an update.
class TCountingColumnsEh : public TDBGridColumnsEh {
public:
    using TDBGridColumnsEh::TDBGridColumnsEh;
    int Updates = 0;

protected:
    void Update(TCollectionItem* Item) override
    {
        if (Item)
            ++Updates;
        TDBGridColumnsEh::Update(Item);
    }
};

class TColumnsProbeGridEh : public TDBGridEh {
public:
    explicit TColumnsProbeGridEh(TComponent* AOwner) : TDBGridEh(AOwner) {}
    int Layouts = 0;

    TGridAxisBarsEh* CreateAxisBars() override
    {
        return Create<TCountingColumnsEh>(this, TDBGridColumnEh::StaticClassInfo());
    }
    // Layout rebuilds that ran (not while loading or destroying).
    void InternalLayout() override
    {
        if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
            ++Layouts;
        TDBGridEh::InternalLayout();
    }
    TCountingColumnsEh* CountingColumns() const { return static_cast<TCountingColumnsEh*>(AxisBars()); }
    TDBGridColumnsEh* Cols() const { return static_cast<TDBGridColumnsEh*>(AxisBars()); }
};

// The grid over the three rows in an in-memory table, with one stored column per field.
class ColumnsOverMemTable : public DBGridOverMemTableOf<TColumnsProbeGridEh> {
public:
    void SetUp() override
    {
        DBGridOverMemTableOf<TColumnsProbeGridEh>::SetUp();
        grid->Cols()->AddAllColumns(true);
        PumpDBGrid();
    }
    TColumnEh* Col(const char* FieldName) const
    {
        for (int i = 0; i < grid->Cols()->Count(); ++i)
            if (grid->Cols()->Items(i)->FieldName() == QLatin1String(FieldName))
                return grid->Cols()->Items(i);
        return nullptr;
    }
    std::vector<TColumnEh*> SortList() const
    {
        std::vector<TColumnEh*> list;
        for (int i = 0; i < grid->SortMarkedColumns()->Count(); ++i)
            list.push_back(grid->SortMarkedColumns()->Items(i));
        return list;
    }
};

}  // namespace testsupport
