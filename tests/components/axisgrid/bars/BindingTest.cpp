// Binding a bar to a field of the grid's dataset: by name in any case, unknown names, renaming,
// and fields that go away while the grid shows them.
#include "BarsFixture.h"

namespace {

using BarBinding = BarsTest;

TEST_P(BarBinding, NameInAnotherCaseBindsAndTakesTheFieldsSpelling)
{
    TBarsTestBar* bar = Bar(QStringLiteral("nAmE"));
    ASSERT_EQ(bar->Field(), F("Name"));
    EXPECT_EQ(bar->FieldName(), QStringLiteral("Name"));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("Alpha"));
}

TEST_P(BarBinding, UnknownNameLeavesTheBarUnboundAndHarmless)
{
    TBarsTestBar* bar = Bar(QStringLiteral("NoSuchField"));
    bar->SetNotInKeyListIndex(-1);
    EXPECT_EQ(bar->Field(), nullptr);
    EXPECT_EQ(bar->FieldName(), QStringLiteral("NoSuchField"));
    EXPECT_EQ(bar->DisplayText(), QString());
    EXPECT_EQ(bar->EditText(), QString());
    EXPECT_TRUE(bar->EditValue().IsNull());
    EXPECT_FALSE(bar->CanModify(false));
    EXPECT_FALSE(bar->CanModify(true));
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    EXPECT_EQ(bar->GetImageIndex(), -1);
    EXPECT_FALSE(bar->IsEditable());
    // Writing through an unbound bar changes nothing.
    bar->SetValueAsText(QStringLiteral("x"));
    bar->SetNextFieldValue(1);
    bar->SetCheckboxState(cbChecked);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Alpha"));
}

TEST_P(BarBinding, RenamingRebindsAndAWrongNameUnbinds)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    ASSERT_EQ(bar->Field(), F("Name"));
    bar->SetFieldName(QStringLiteral("Code"));
    EXPECT_EQ(bar->Field(), F("Code"));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("A"));
    bar->SetFieldName(QStringLiteral("Nothing"));
    EXPECT_EQ(bar->Field(), nullptr);
    EXPECT_EQ(bar->DisplayText(), QString());
    bar->SetFieldName(QStringLiteral("Qty"));
    EXPECT_EQ(bar->Field(), F("Qty"));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("5"));
}

TEST_P(BarBinding, ClosingTheDatasetDropsFieldsAndReopeningBindsTheNewOnes)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    ASSERT_NE(bar->Field(), nullptr);
    ds->Close();
    if (ds->DefaultFields()) {
        EXPECT_EQ(bar->Field(), nullptr);
    }
    EXPECT_EQ(bar->DisplayText(), QString());
    EXPECT_FALSE(bar->CanModify(false));
    ds->Open();
    ds->Last();
    EXPECT_EQ(bar->Field(), F("Name"));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("Gamma"));
}

TEST_P(BarBinding, SettingTheFieldCopiesItsNameAndNilKeepsTheName)
{
    TBarsTestBar* bar = Bar(QString());
    bar->SetField(F("Amount"));
    EXPECT_EQ(bar->FieldName(), QStringLiteral("Amount"));
    bar->SetField(nullptr);
    EXPECT_EQ(bar->FieldName(), QStringLiteral("Amount"));
    // Unbound but named: the next read finds the field again.
    EXPECT_EQ(bar->Field(), F("Amount"));
}

TEST_P(BarBinding, BarWithoutGridOrDataSourceIsEmpty)
{
    grid->SetDataSourceProp(nullptr);
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    EXPECT_EQ(bar->Field(), nullptr);
    EXPECT_EQ(bar->DisplayText(), QString());
    EXPECT_EQ(bar->GetInplaceEditText(), QString());
    EXPECT_FALSE(bar->CanModify(true));

    TAxisBarEh loose(nullptr);
    loose.AfterConstruction();
    loose.SetFieldName(QStringLiteral("Name"));
    EXPECT_EQ(loose.Grid(), nullptr);
    EXPECT_EQ(loose.Field(), nullptr);
    EXPECT_EQ(loose.DisplayText(), QString());
    loose.SetValueAsText(QStringLiteral("x"));   // no grid: nothing to write to
}

TEST_P(BarBinding, TypeFollowsListsCheckboxesAndLookup)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    EXPECT_EQ(bar->GetBarType(), ctCommon);
    bar->PickList()->Add(QStringLiteral("Альфа"));
    EXPECT_EQ(bar->GetBarType(), ctPickList);
    bar->KeyList()->Add(QStringLiteral("A"));
    EXPECT_EQ(bar->GetBarType(), ctKeyPickList);
    bar->SetCheckboxes(true);
    EXPECT_EQ(bar->GetBarType(), ctCheckboxes);
    EXPECT_FALSE(bar->TextEditing());
    bar->SetCheckboxes(false);
    EXPECT_TRUE(bar->TextEditing());

    TBarsTestBar* flag = Bar(QStringLiteral("Flag"));
    EXPECT_TRUE(flag->Checkboxes());
    EXPECT_FALSE(flag->AssignedValues().Contains(cvCheckboxes));
    EXPECT_EQ(flag->GetBarType(), ctCheckboxes);
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarBinding, BARS_REGIMES);

}  // namespace
