// Key and pick lists: what a coded value shows, which image it picks, how the editor's text
// and a step find their entries; a key list shorter or longer than its pick list.
#include "BarsFixture.h"

namespace {

using BarLists = BarsTest;

void SetList(TStrings* List, const QStringList& Items)
{
    List->Clear();
    for (const QString& s : Items)
        List->Add(s);
}

struct KeyPickCase {
    QStringList Keys;
    QStringList Picks;
    int NotInKeyListIndex;
    int Id;               // Code: 1 "A", 2 "B", 3 "y"
    const char* Display;
};

const KeyPickCase KeyPickCases[] = {
    {{"A", "B"}, {"Альфа", "Бета", "Прочее"}, -1, 1, "Альфа"},
    {{"A", "B"}, {"Альфа", "Бета", "Прочее"}, -1, 2, "Бета"},
    {{"A", "B"}, {"Альфа", "Бета", "Прочее"}, -1, 3, ""},
    {{"A", "B"}, {"Альфа", "Бета", "Прочее"}, 2, 3, "Прочее"},
    {{"A", "B"}, {"Альфа", "Бета", "Прочее"}, 5, 3, ""},        // index beyond the pick list
    // Matching is case-sensitive and whole-entry: "y" is not "Y".
    {{"A", "Y"}, {"Альфа", "Да"}, -1, 3, ""},
    {{"A", "Y"}, {"Альфа", "Да"}, 0, 3, "Альфа"},
    // A key beyond the pick list has no text of its own.
    {{"A", "B", "y"}, {"Альфа", "Бета"}, -1, 3, ""},
    {{"A", "B", "y"}, {"Альфа", "Бета"}, 0, 3, "Альфа"},
};

TEST_P(BarLists, KeyListMapsStoredCodesToPickTexts)
{
    for (const KeyPickCase& c : KeyPickCases) {
        SCOPED_TRACE(c.Keys.join(',').toStdString() + " / " + c.Picks.join(',').toStdString() + " #" +
                     std::to_string(c.Id) + " nik " + std::to_string(c.NotInKeyListIndex));
        TBarsTestBar* bar = Bar(QStringLiteral("Code"));
        SetList(bar->KeyList(), c.Keys);
        SetList(bar->PickList(), c.Picks);
        bar->SetNotInKeyListIndex(c.NotInKeyListIndex);
        GoTo(c.Id);
        EXPECT_EQ(bar->GetBarType(), ctKeyPickList);
        EXPECT_EQ(bar->DisplayText(), QString::fromUtf8(c.Display));
        EXPECT_EQ(bar->EditText(), QString::fromUtf8(c.Display));
        EXPECT_EQ(bar->EditValue().AsString(), QString::fromUtf8(c.Display));
    }
}

TEST_P(BarLists, EditorStartsWithThePickTextOfTheKeyOnly)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    SetList(bar->KeyList(), {"A", "B", "y"});
    SetList(bar->PickList(), {"Альфа", "Бета"});
    bar->SetNotInKeyListIndex(0);
    GoTo(2);
    EXPECT_EQ(bar->GetInplaceEditText(), QStringLiteral("Бета"));
    // No pick text for this key: the editor starts empty, not with the fallback entry the cell
    // shows, so accepting the editor cannot store the fallback's key by accident.
    GoTo(3);
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("Альфа"));
    EXPECT_EQ(bar->GetInplaceEditText(), QString());
}

TEST_P(BarLists, ImageIndexComesFromTheKeyListThePickListOrTheNumber)
{
    TBarsTestBar* code = Bar(QStringLiteral("Code"));
    SetList(code->KeyList(), {"B", "A"});
    code->SetNotInKeyListIndex(7);
    GoTo(1);
    EXPECT_EQ(code->GetImageIndex(), 1);
    GoTo(3);
    EXPECT_EQ(code->GetImageIndex(), 7);

    TBarsTestBar* name = Bar(QStringLiteral("Name"));
    SetList(name->PickList(), {"beta", "ALPHA"});   // the pick list ignores case
    GoTo(1);
    EXPECT_EQ(name->GetImageIndex(), 1);

    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    GoTo(3);
    EXPECT_EQ(qty->GetImageIndex(), 7);
    GoTo(2);
    EXPECT_EQ(qty->GetImageIndex(), -1);   // Null
    qty->SetNotInKeyListIndex(0);
    EXPECT_EQ(qty->GetImageIndex(), 0);
}

TEST_P(BarLists, ImageListBarShowsNoTextAndEditsNone)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    SetList(bar->KeyList(), {"A", "B"});
    auto images = CreateUnique<TCustomImageList>(nullptr);
    bar->SetImageList(images.get());
    EXPECT_EQ(bar->GetBarType(), ctKeyImageList);
    EXPECT_EQ(bar->DisplayText(), QString());
    EXPECT_EQ(bar->EditText(), QString());
    EXPECT_FALSE(bar->TextEditing());
    EXPECT_EQ(bar->GetImageIndex(), 0);
    bar->SetShowImageAndText(true);
    EXPECT_EQ(bar->GetBarType(), ctCommon);   // no pick list: the code itself is the text
    EXPECT_EQ(bar->DisplayText(), QString());  // key list without pick texts shows nothing
    bar->SetImageList(nullptr);
}

TEST_P(BarLists, LocatingInThePickListTriesCaseThenIgnoresIt)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    SetList(bar->PickList(), {"Бета", "бета", "Альфа"});
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("бета"), false), 1);
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("БЕТА"), false), 0);
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("аль"), true), 2);
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("Аль"), false), -1);
    bar->SetCaseInsensitiveTextSearch(false);
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("БЕТА"), false), -1);
    EXPECT_EQ(bar->LocatePickList(QStringLiteral("Аль"), true), 2);
}

struct StepCase {
    int Id;
    double Step;
    const char* Expected;
};

TEST_P(BarLists, SteppingWalksTheKeyListAndWrapsBothWays)
{
    // Code: 1 "A", 2 "B", 3 "y" (not in the list).
    const StepCase cases[] = {
        {1, 1, "B"}, {2, 1, "C"}, {1, -1, "C"}, {2, -1, "A"}, {3, 1, "A"}, {3, -1, "C"},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE("#" + std::to_string(c.Id) + " step " + std::to_string(c.Step));
        TBarsTestBar* bar = Bar(QStringLiteral("Code"));
        SetList(bar->KeyList(), {"A", "B", "C"});
        SetList(bar->PickList(), {"Альфа", "Бета", "Гамма"});
        GoTo(c.Id);
        bar->SetNextFieldValue(c.Step);
        EXPECT_EQ(F("Code")->AsString(), QString::fromLatin1(c.Expected));
        ds->Cancel();
    }
    // A wrap from the last entry, as stored.
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    SetList(bar->KeyList(), {"A", "B", "C"});
    SetList(bar->PickList(), {"Альфа", "Бета", "Гамма"});
    GoTo(2);
    bar->SetNextFieldValue(1);
    bar->SetNextFieldValue(1);
    EXPECT_EQ(Stored(2, "Code"), QStringLiteral("A"));
}

TEST_P(BarLists, SteppingThePickListIgnoresCaseAndReachesTheApplicationOnWrap)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    SetList(bar->PickList(), {"alpha", "Beta", "Gamma"});
    QStringList seen;
    bar->OnUpdateData = [&](TObject*, QString& Text, Variant&, bool&, bool&) { seen << Text; };
    GoTo(1);   // "Alpha" matches "alpha"
    bar->SetNextFieldValue(1);
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Beta"));
    bar->SetNextFieldValue(1);
    bar->SetNextFieldValue(1);   // wraps from the last entry
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("alpha"));
    EXPECT_EQ(seen, QStringList({"Beta", "Gamma", "alpha"}));
    bar->SetNextFieldValue(-1);  // wraps from the first entry
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Gamma"));
    EXPECT_EQ(Stored(1, "Name"), QStringLiteral("Gamma"));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarLists, BARS_REGIMES);

}  // namespace
