// A hidden column keeps its grid column at width 0: every column after it paints its own
// field, and a step to the next column passes over it.
#include "support/DBGridFixtures.h"

#include <QWidget>

using namespace testsupport;

namespace {

class HiddenColumn : public DBGridOverMemTable {
public:
    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        grid->Columns()->BeginUpdate();
        grid->Columns()->Clear();
        for (const char* f : {"Code", "Name", "Sum", "Kind"}) {
            TColumnEh* c = grid->Columns()->Add();
            c->SetFieldName(QString::fromLatin1(f));
            c->SetWidth(60);
        }
        grid->Columns()->EndUpdate();
        PumpDBGrid();
    }
    // The field painted in each grid column of the data rows, read through the painting hook.
    QMap<int, QString> Painted()
    {
        QMap<int, QString> seen;
        grid->OnAdvDrawDataCell = [&seen](TCustomDBGridEh*, TGridCoord Cell, TGridCoord, TColumnEh* Column,
                                          const TRect&, TColCellParamsEh*, bool&) {
            seen[Cell.X] = Column->FieldName();
        };
        PumpDBGrid();
        grid->Repaint();
        grid->OnAdvDrawDataCell = nullptr;
        return seen;
    }
};

}  // namespace

TEST_F(HiddenColumn, ColumnsAfterAHiddenOneKeepTheirOwnCells)
{
    const int o = grid->IndicatorOffset();
    struct Case {
        int hidden;
        QMap<int, QString> painted;
    };
    const Case cases[] = {
        {0, {{o + 1, "Name"}, {o + 2, "Sum"}, {o + 3, "Kind"}}},
        {2, {{o, "Code"}, {o + 1, "Name"}, {o + 3, "Kind"}}},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i)
            grid->Columns()->Items(i)->SetVisible(i != c.hidden);
        EXPECT_EQ(grid->ColWidths(o + c.hidden), 0) << c.hidden;
        EXPECT_EQ(Painted(), c.painted) << c.hidden;
    }
}

TEST_F(HiddenColumn, AStepForwardPassesTheHiddenColumnToTheLastOne)
{
    grid->Columns()->Items(2)->SetVisible(false);
    grid->SetSelectedIndex(1);
    grid->ChangeSelectedIndex(2, 1, false);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    EXPECT_EQ(grid->Col(), grid->IndicatorOffset() + 3);
}
