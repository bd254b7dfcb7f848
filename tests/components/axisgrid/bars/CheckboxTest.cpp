// Check boxes: Boolean and numeric fields by value, other fields through value lists in the
// key list's first two entries; reading, writing and toggling.
#include "BarsFixture.h"

namespace {

TEST(TextInValueList, MatchesTrimmedValuesIgnoringCase)
{
    struct Case {
        const char* List;
        const char* Text;
        bool Match;
    } cases[] = {
        {"", "", true},          {"Y", "y", true},        {"Y;1", "1", true},      {"Y ; 1", "1", true},
        {"Y;1", "", false},      {"Y;1;", "", true},      {"Да;Yes", "да", true},  {"Y;1", "Y;1", false},
        {"Yes", "Y", false},     {"Y", "Yes", false},     {";", "", true},         {"", "x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextInValueList(QString::fromUtf8(c.List), QString::fromUtf8(c.Text)), c.Match)
            << "'" << c.List << "' / '" << c.Text << "'";
}

using BarCheckboxes = BarsTest;

TEST_P(BarCheckboxes, BooleanFieldReadsAndWritesItsValueAndNull)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Flag"));
    ASSERT_TRUE(bar->Checkboxes());
    GoTo(1);
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    GoTo(2);
    EXPECT_EQ(bar->CheckboxState(), cbGrayed);
    GoTo(3);
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);

    BeginEdit(bar);
    bar->SetCheckboxState(cbGrayed);
    EXPECT_TRUE(F("Flag")->IsNull());
    EXPECT_EQ(Stored(3, "Flag"), QStringLiteral("NULL"));
    BeginEdit(bar);
    bar->SetNextFieldValue(1);   // grayed toggles to checked
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    bar->SetNextFieldValue(-1);
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    EXPECT_FALSE(F("Flag")->AsBoolean());
}

TEST_P(BarCheckboxes, NumberFieldIsCheckedByOneOnly)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Qty"));
    bar->SetCheckboxes(true);
    GoTo(1);   // 5
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    GoTo(2);
    EXPECT_EQ(bar->CheckboxState(), cbGrayed);
    BeginEdit(bar);
    bar->SetCheckboxState(cbChecked);
    EXPECT_EQ(F("Qty")->AsInteger(), 1);
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    bar->SetCheckboxState(cbUnchecked);
    EXPECT_EQ(Stored(2, "Qty"), QStringLiteral("0"));

    TBarsTestBar* amount = Bar(QStringLiteral("Amount"));
    amount->SetCheckboxes(true);
    GoTo(1);
    EXPECT_EQ(amount->CheckboxState(), cbUnchecked);   // 12.5
}

TEST_P(BarCheckboxes, TextFieldMatchesValueListsOfTheKeyList)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    bar->SetCheckboxes(true);
    bar->KeyList()->Add(QStringLiteral("Y; a"));
    bar->KeyList()->Add(QStringLiteral("N;B;"));
    GoTo(1);   // "A"
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    GoTo(2);   // "B"
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    GoTo(3);   // "y"
    EXPECT_EQ(bar->CheckboxState(), cbChecked);

    BeginEdit(bar);
    bar->SetCheckboxState(cbUnchecked);   // the first value of entry 1
    EXPECT_EQ(F("Code")->AsString(), QStringLiteral("N"));
    bar->SetCheckboxState(cbChecked);
    EXPECT_EQ(F("Code")->AsString(), QStringLiteral("Y"));
    bar->SetCheckboxState(cbGrayed);
    EXPECT_TRUE(F("Code")->IsNull());
    // Entry 1 ends with ';': an empty text reads unchecked, not grayed.
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    F("Code")->SetAsString(QStringLiteral("x"));
    EXPECT_EQ(bar->CheckboxState(), cbGrayed);
    EXPECT_EQ(Stored(3, "Code"), QStringLiteral("x"));
}

TEST_P(BarCheckboxes, KeyListWithOneEntryUncheckedWritesEmpty)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    bar->SetCheckboxes(true);
    bar->KeyList()->Add(QStringLiteral("A"));
    GoTo(2);
    EXPECT_EQ(bar->CheckboxState(), cbGrayed);
    BeginEdit(bar);
    bar->SetCheckboxState(cbUnchecked);
    EXPECT_EQ(F("Code")->AsString(), QString());
}

TEST_P(BarCheckboxes, IntegerWithKeyListUsesTheValueLists)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Qty"));
    bar->SetCheckboxes(true);
    bar->KeyList()->Add(QStringLiteral("5;6"));
    bar->KeyList()->Add(QStringLiteral("7"));
    GoTo(1);
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    GoTo(3);
    EXPECT_EQ(bar->CheckboxState(), cbUnchecked);
    BeginEdit(bar);
    bar->SetNextFieldValue(1);
    EXPECT_EQ(Stored(3, "Qty"), QStringLiteral("5"));
}

TEST_P(BarCheckboxes, ToggledWithoutAnEditorSurvivesPosting)
{
    // A double click toggles a check box cell, which has no text editor: posting the record
    // must keep the toggled value, not write back an editor text from another time.
    TBarsTestBar* bar = Bar(QStringLiteral("Flag"));
    GoTo(3);
    bar->SetNextFieldValue(1);
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    ds->Post();
    EXPECT_EQ(bar->CheckboxState(), cbChecked);
    EXPECT_EQ(Stored(3, "Flag"), F("Flag")->AsString());
    EXPECT_TRUE(F("Flag")->AsBoolean());
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarCheckboxes, BARS_REGIMES);

}  // namespace
