// Bars the application made (a customized collection) over a dataset, fields that go away while
// bars show them, and what the grid tells its bars and editor when the data changes.
#include "support/AxisGridFixtures.h"

using namespace testsupport;

namespace {

template <class Regime>
class GridCustomBars : public Regime {
public:
    TAxisBarEh* AddBar(const char* field)
    {
        TAxisBarEh* bar = this->grid->AxisBars()->Add();
        bar->SetFieldName(QString::fromUtf8(field));
        return bar;
    }
    TField* F(const char* name) { return this->DataSet()->FieldByName(QString::fromLatin1(name)); }
};

using Regimes = ::testing::Types<AxisGridOverMemTable, AxisGridOverAdoQuery>;
TYPED_TEST_SUITE(GridCustomBars, Regimes);

TYPED_TEST(GridCustomBars, BarOfAMissingFieldKeepsItsPlaceUnbound)
{
    auto* grid = this->grid;
    grid->BeginLayout();
    grid->AxisBars()->Clear();
    TAxisBarEh* name = this->AddBar("Name");
    TAxisBarEh* missing = this->AddBar("Nope");
    TAxisBarEh* code = this->AddBar("code");
    grid->EndLayout();

    ASSERT_EQ(grid->AxisBars()->State(), csCustomized);
    ASSERT_EQ(grid->AxisBars()->Count(), 3);
    EXPECT_EQ(grid->AxisBars()->Items(1), missing);
    EXPECT_EQ(name->Field(), this->F("Name"));
    EXPECT_EQ(missing->Field(), nullptr);
    EXPECT_EQ(code->Field(), this->F("Code"));
    EXPECT_EQ(grid->DataLink()->GetMappedIndex(1), -1);
    EXPECT_EQ(grid->GetFields(1), nullptr);
    EXPECT_EQ(grid->GetFields(2), this->F("Code"));
    EXPECT_TRUE(grid->DataLink()->SparseMap());
    EXPECT_FALSE(grid->DataLink()->DefaultFields());
}

TYPED_TEST(GridCustomBars, ClosingTheDataSetUnbindsCustomBarsAndReopeningBindsThem)
{
    auto* grid = this->grid;
    grid->BeginLayout();
    grid->AxisBars()->Clear();
    TAxisBarEh* kind = this->AddBar("Kind");
    grid->EndLayout();
    ASSERT_EQ(kind->Field(), this->F("Kind"));
    this->DataSet()->Close();
    EXPECT_EQ(grid->AxisBars()->Count(), 1);
    EXPECT_EQ(kind->Field(), nullptr);
    this->DataSet()->Open();
    EXPECT_EQ(kind->Field(), this->F("Kind"));
}

TYPED_TEST(GridCustomBars, AutomaticBarsBeforeAStoredOneAreDropped)
{
    auto* grid = this->grid;
    ASSERT_EQ(grid->AxisBars()->State(), csDefault);
    ASSERT_EQ(grid->AxisBars()->Count(), 4);
    grid->BeginLayout();
    this->AddBar("Sum");
    grid->EndLayout();
    // Only the stored bar is left; it binds by its name.
    ASSERT_EQ(grid->AxisBars()->Count(), 1);
    EXPECT_TRUE(grid->AxisBars()->Items(0)->Stored());
    EXPECT_EQ(grid->AxisBars()->Items(0)->Field(), this->F("Sum"));
}

// A field freed while a bar shows it: the bar lets go of it and the layout is rebuilt, so no
// bar keeps a pointer to the freed field.
TYPED_TEST(GridCustomBars, FieldFreedWhileShownUnbindsItsBar)
{
    auto* grid = this->grid;
    grid->BeginLayout();
    grid->AxisBars()->Clear();
    TAxisBarEh* name = this->AddBar("Name");
    TAxisBarEh* kind = this->AddBar("Kind");
    grid->EndLayout();
    ASSERT_EQ(kind->Field(), this->F("Kind"));
    grid->Layouts = 0;
    delete this->F("Kind");
    EXPECT_EQ(kind->Field(), nullptr);
    EXPECT_EQ(name->Field(), this->F("Name"));
    EXPECT_GE(grid->Layouts, 1);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_EQ(grid->GetFields(1), nullptr);
}

TYPED_TEST(GridCustomBars, FieldFreedUnderDefaultBarsLeavesNoStalePosition)
{
    auto* grid = this->grid;
    TField* sum = this->F("Sum");
    delete this->F("Name");
    ASSERT_EQ(grid->FieldCount(), 3);
    EXPECT_EQ(grid->GetFields(1), sum);
    EXPECT_EQ(grid->AxisBars()->Count(), 3);
    EXPECT_EQ(grid->AxisBars()->Items(1)->Field(), sum);
}

TYPED_TEST(GridCustomBars, PostingOrCancellingAnEditTellsEveryBar)
{
    auto* grid = this->grid;
    grid->Selected = 1;
    auto* ds = this->DataSet();
    grid->CanEditModifyData();
    ASSERT_EQ(ds->State(), dsEdit);
    this->F("Name")->SetAsString(QStringLiteral("Эпсилон"));
    ds->Cancel();
    EXPECT_EQ(grid->DataLink()->LastDataSetState(), dsEdit);
    EXPECT_FALSE(grid->DataLink()->IsModified());
    EXPECT_EQ(this->F("Name")->AsString(), QStringLiteral("Альфа"));
}

// A scroll while the link is flagged modified: the link's reset sends the record again, without
// flagging; an unmodified reset cancels the grid's editing.
TYPED_TEST(GridCustomBars, ResetOfTheLinkCancelsOnlyAnUnmodifiedEdit)
{
    auto* grid = this->grid;
    grid->CancelEditingCalls = 0;
    grid->DataLink()->Reset();
    EXPECT_EQ(grid->CancelEditingCalls, 1);
    grid->DataLink()->Modified();
    grid->DataLink()->Reset();
    EXPECT_EQ(grid->CancelEditingCalls, 1);
    EXPECT_FALSE(grid->DataLink()->IsModified());
}

}  // namespace
