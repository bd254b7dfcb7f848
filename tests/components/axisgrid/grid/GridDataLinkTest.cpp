// The axis grid over a dataset: bars rebuilt from the fields, the field map, the data source and
// fields going away, in both data regimes (an in-memory table and an ADO query on SQLite).
#include "support/AxisGridFixtures.h"

#include "components/axisgrid/DBAxisGridsEh_Collections.h"

using namespace testsupport;

namespace {

template <class Regime>
class GridOverData : public Regime {
public:
    QStringList BarFields()
    {
        QStringList out;
        for (int i = 0; i < this->grid->AxisBars()->Count(); ++i) {
            TField* f = this->grid->AxisBars()->Items(i)->Field();
            out << (f ? f->FieldName() : QStringLiteral("-"));
        }
        return out;
    }
    TField* F(const char* name) { return this->DataSet()->FieldByName(QString::fromLatin1(name)); }
};

using Regimes = ::testing::Types<AxisGridOverMemTable, AxisGridOverAdoQuery>;
TYPED_TEST_SUITE(GridOverData, Regimes);

TYPED_TEST(GridOverData, DefaultBarsFollowTheVisibleFieldsInOrder)
{
    auto* grid = this->grid;
    EXPECT_EQ(this->BarFields(), (QStringList{"Code", "Name", "Sum", "Kind"}));
    ASSERT_EQ(grid->FieldCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(grid->GetFields(i), this->DataSet()->Fields()->Fields(i));
    EXPECT_EQ(grid->GetFields(-1), nullptr);
    EXPECT_EQ(grid->GetFields(4), nullptr);
    EXPECT_TRUE(grid->DataSetActive());
    EXPECT_FALSE(grid->AxisBars()->Items(0)->Stored());

    // A hidden field leaves the map and its bar goes; the others keep their bar objects.
    TAxisBarEh* nameBar = grid->AxisBars()->Items(1);
    this->F("Sum")->SetVisible(false);
    grid->LayoutChanged();
    EXPECT_EQ(this->BarFields(), (QStringList{"Code", "Name", "Kind"}));
    EXPECT_EQ(grid->AxisBars()->Items(1), nameBar);
}

TYPED_TEST(GridOverData, NoVisibleFieldGivesOneEmptyBar)
{
    for (int i = 0; i < this->DataSet()->Fields()->Count(); ++i)
        this->DataSet()->Fields()->Fields(i)->SetVisible(false);
    this->grid->LayoutChanged();
    ASSERT_EQ(this->grid->AxisBars()->Count(), 1);
    EXPECT_EQ(this->grid->AxisBars()->Items(0)->Field(), nullptr);
    EXPECT_EQ(this->grid->FieldCount(), 0);
}

TYPED_TEST(GridOverData, ClosingAndReopeningTheDataSetRebuildsTheBars)
{
    auto* grid = this->grid;
    grid->LinkActiveCalls = 0;
    this->DataSet()->Close();
    EXPECT_EQ(grid->LinkActiveCalls, 1);
    EXPECT_FALSE(grid->DataSetActive());
    EXPECT_EQ(grid->FieldCount(), 0);
    EXPECT_EQ(this->BarFields(), QStringList{"-"});
    this->DataSet()->Open();
    EXPECT_TRUE(grid->DataSetActive());
    EXPECT_EQ(this->BarFields(), (QStringList{"Code", "Name", "Sum", "Kind"}));
}

TYPED_TEST(GridOverData, BarsAreFoundByFieldNameIgnoringCase)
{
    auto* grid = this->grid;
    EXPECT_EQ(grid->FindFieldColumn(QStringLiteral("nAmE")), grid->AxisBars()->Items(1));
    EXPECT_EQ(grid->FindFieldColumn(QStringLiteral("Nope")), nullptr);
    EXPECT_EQ(grid->GetFieldAxisBars(QStringLiteral("KIND")), grid->AxisBars()->Items(3));
    try {
        grid->GetFieldAxisBars(QStringLiteral("Nope"));
        FAIL() << "no error for an unknown field name";
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Имя поля 'Nope' не найдено"));
    }
}

TYPED_TEST(GridOverData, SelectedFieldSelectsTheFirstBarBoundToIt)
{
    auto* grid = this->grid;
    grid->Selected = 0;
    grid->SetSelectedField(this->F("Kind"));
    EXPECT_EQ(grid->SelectedIndex(), 3);
    EXPECT_EQ(grid->SelectedField(), this->F("Kind"));
    grid->SetSelectedField(nullptr);
    EXPECT_EQ(grid->SelectedIndex(), 3);
    grid->Selected = -1;
    EXPECT_EQ(grid->SelectedField(), nullptr);
}

TYPED_TEST(GridOverData, FreeingTheGridsDataSourceDetachesIt)
{
    auto* grid = this->grid;
    delete this->src;
    this->src = nullptr;
    EXPECT_EQ(grid->DataSource(), nullptr);
    EXPECT_FALSE(grid->DataSetActive());
    EXPECT_EQ(this->BarFields(), QStringList{"-"});
}

TYPED_TEST(GridOverData, ChangingAllowedOperationsKeepsTheLayout)
{
    auto* grid = this->grid;
    grid->Layouts = 0;
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh});
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(this->BarFields(), (QStringList{"Code", "Name", "Sum", "Kind"}));
}

// The data link's notices: a scroll or a data change stores the bookmark of the current row.
TYPED_TEST(GridOverData, LinkRemembersTheCurrentRow)
{
    auto* ds = this->DataSet();
    ds->Last();
    EXPECT_EQ(this->grid->DataLink()->LastBookmark(), ds->GetBookmark());
    ds->First();
    EXPECT_EQ(this->grid->DataLink()->LastBookmark(), ds->GetBookmark());
}

// ---------------------------------------------------------------- the field map

class GridFieldMap : public AxisGridOnForm {};

TEST_F(GridFieldMap, MapOfManyFieldsKeepsEveryPosition)
{
    auto* t = Create<TMemTableEh>(form.get());
    for (int i = 0; i < 37; ++i)
        t->FieldDefs()->Add(QStringLiteral("F%1").arg(i), ftInteger);
    t->CreateDataSet();
    Bind(t);
    ASSERT_EQ(grid->FieldCount(), 37);
    for (int i = 0; i < 37; ++i) {
        EXPECT_EQ(grid->DataLink()->GetMappedIndex(i), i);
        EXPECT_EQ(grid->GetFields(i)->FieldName(), QStringLiteral("F%1").arg(i));
    }
    EXPECT_EQ(grid->DataLink()->GetMappedIndex(37), -1);
    EXPECT_EQ(grid->AxisBars()->Count(), 37);
}

TEST_F(GridFieldMap, UnboundGridHasDefaultFieldsAndNoMap)
{
    EXPECT_TRUE(grid->DataLink()->DefaultFields());
    EXPECT_EQ(grid->FieldCount(), 0);
    EXPECT_FALSE(grid->DataSetActive());
    EXPECT_EQ(grid->AxisBars()->Count(), 0);
}

}  // namespace
