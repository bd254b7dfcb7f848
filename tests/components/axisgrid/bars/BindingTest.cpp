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

namespace {

using BarRebinding = BarsTest;

TEST_P(BarRebinding, FieldRemovedFromTheDatasetLeavesTheBarUnbound)
{
    TBarsTestBar* code = Bar(QStringLiteral("Code"));
    TBarsTestBar* name = Bar(QStringLiteral("Name"));
    ASSERT_NE(code->Field(), nullptr);
    ds->Close();
    if (GetParam() == DataRegime::Memory) {
        auto* t = static_cast<TMemTableEh*>(ds);
        t->Fields()->Clear();
        t->FieldDefs()->Clear();
        t->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        t->CreateDataSet();
        t->AppendRecord({Variant(1), Variant("Alpha")});
    } else {
        auto* q = static_cast<TADOQuery*>(ds);
        q->SQL()->Clear();
        q->SQL()->Add(QStringLiteral("SELECT Id, Name FROM Items ORDER BY Id"));
        q->Open();
    }
    ds->First();
    EXPECT_EQ(code->Field(), nullptr);
    EXPECT_EQ(code->DisplayText(), QString());
    EXPECT_EQ(code->GetInplaceEditText(), QString());
    EXPECT_FALSE(code->CanModify(false));
    EXPECT_EQ(code->FieldName(), QStringLiteral("Code"));   // kept for a later dataset that has it
    EXPECT_EQ(name->Field(), F("Name"));
    EXPECT_EQ(name->DisplayText(), QStringLiteral("Alpha"));
}

TEST_P(BarRebinding, AddingABarCostsOneLayoutPass)
{
    Bar(QStringLiteral("Name"));
    const int before = grid->LayoutPasses;
    auto* bar = static_cast<TBarsTestBar*>(grid->AxisBars()->Add());
    EXPECT_EQ(grid->LayoutPasses - before, 1);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_NE(bar->CheckModifyCellParams(), nullptr);
}

TEST_P(BarRebinding, CopyCarriesBindingListsAndOwnValues)
{
    TBarsTestBar* src = Bar(QStringLiteral("code"));
    src->KeyList()->Add(QStringLiteral("A"));
    src->PickList()->Add(QStringLiteral("Альфа"));
    src->SetNotInKeyListIndex(0);
    src->SetReadOnly(true);
    src->SetIncrement(0.5);
    src->SetDisplayFormat(QStringLiteral("0.0"));
    src->SetTag(7);
    int calls = 0;
    src->OnUpdateData = [&](TObject*, QString&, Variant&, bool&, bool& Handled) {
        ++calls;
        Handled = true;
    };
    TBarsTestBar* copy = Bar(QStringLiteral("Name"));
    copy->SetCheckboxes(true);
    copy->Assign(src);
    EXPECT_EQ(copy->Field(), F("Code"));
    EXPECT_EQ(copy->KeyList()->Count(), 1);
    EXPECT_EQ(copy->DisplayText(), QStringLiteral("Альфа"));
    EXPECT_TRUE(copy->ReadOnly());
    EXPECT_TRUE(copy->AssignedValues().Contains(cvReadOnly));
    EXPECT_FALSE(copy->AssignedValues().Contains(cvCheckboxes));   // dropped: the source had none
    EXPECT_EQ(copy->Increment(), 0.5);
    EXPECT_EQ(copy->DisplayFormat(), QStringLiteral("0.0"));
    EXPECT_EQ(copy->Tag(), 7);
    copy->SetValueAsText(QStringLiteral("x"));
    EXPECT_EQ(calls, 1);

    copy->RestoreDefaults();
    EXPECT_TRUE(copy->AssignedValues().Empty());
    EXPECT_FALSE(copy->KeyListHasItems());
    EXPECT_FALSE(copy->PickListHasItems());
    EXPECT_FALSE(copy->ReadOnly());
    EXPECT_EQ(copy->DisplayFormat(), QStringLiteral("0.0"));   // not an assigned value
    copy->SetDisplayFormat(QString());
    EXPECT_EQ(copy->DisplayText(), QStringLiteral("A"));
}

TEST_P(BarRebinding, SavedBarsComeBackWithTheirSettings)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    bar->KeyList()->Add(QStringLiteral("A"));
    bar->KeyList()->Add(QStringLiteral("B"));
    bar->PickList()->Add(QStringLiteral("Альфа"));
    bar->PickList()->Add(QStringLiteral("Бета"));
    bar->SetNotInKeyListIndex(1);
    bar->SetReadOnly(true);
    bar->SetIncrement(2.5);
    bar->SetCheckboxes(false);
    bar->SetTextEditing(false);
    bar->SetCaseInsensitiveTextSearch(false);
    bar->SetVisible(false);
    bar->SetDisplayFormat(QStringLiteral("0.00"));
    TMemoryStream stream;
    grid->AxisBars()->SaveToStream(&stream);
    stream.SetPosition(0);

    TBarsTestGrid* other = GridOver(owner, ds);
    other->AxisBars()->LoadFromStream(&stream);
    TBarsTestBar* back = nullptr;
    for (int i = 0; i < other->AxisBars()->Count(); ++i)
        if (!other->AxisBars()->Items(i)->IsDefaultBar())
            back = static_cast<TBarsTestBar*>(other->AxisBars()->Items(i));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->FieldName(), QStringLiteral("Code"));
    EXPECT_EQ(back->KeyList()->Count(), 2);
    EXPECT_EQ(back->PickList()->Strings(1), QStringLiteral("Бета"));
    EXPECT_EQ(back->NotInKeyListIndex(), 1);
    EXPECT_TRUE(back->ReadOnly());
    EXPECT_EQ(back->Increment(), 2.5);
    EXPECT_TRUE(back->AssignedValues().Contains(cvCheckboxes));
    EXPECT_FALSE(back->Checkboxes());
    EXPECT_FALSE(back->TextEditing());
    EXPECT_FALSE(back->CaseInsensitiveTextSearch());
    EXPECT_FALSE(back->Visible());
    EXPECT_EQ(back->DisplayFormat(), QStringLiteral("0.00"));
    GoTo(3);
    EXPECT_EQ(back->DisplayText(), QStringLiteral("Бета"));
}

TEST_P(BarRebinding, DefaultBarsKeepReadOnlyInTheirField)
{
    // Without stored bars the grid shows one default bar per field.
    ASSERT_EQ(grid->AxisBars()->Count(), ds->FieldCount());
    TAxisBarEh* qty = grid->AxisBars()->Items(2);
    ASSERT_TRUE(qty->IsDefaultBar());
    ASSERT_EQ(qty->Field(), F("Qty"));
    qty->SetReadOnly(true);
    EXPECT_TRUE(F("Qty")->ReadOnly());
    EXPECT_FALSE(qty->AssignedValues().Contains(cvReadOnly));
    EXPECT_TRUE(qty->ReadOnly());
    EXPECT_FALSE(qty->CanModify(false));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarRebinding, BARS_REGIMES);

}  // namespace
