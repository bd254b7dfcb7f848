// Appearance settings of a bar: what it follows until given a value of its own, what a change
// tells the grid, and what goes into a form stream.
#include "LookFixture.h"

#include "support/ErrorCapture.h"

#include <functional>

DOV_PUBLISHED(TLookBar) {}

namespace {

// One flagged Boolean setting that falls back to a grid-wide default.
struct TDefaultedCase {
    const char* Name;
    TAxisBarEhValue Flag;
    std::function<void(TAxisBarDefValuesEh*, bool)> SetDefault;
    std::function<bool(TAxisBarEh*)> Get;
    std::function<void(TAxisBarEh*, bool)> Set;
    bool Notifies;   // the setter tells the grid
};

std::vector<TDefaultedCase> DefaultedCases()
{
    return {
        {"EndEllipsis", cvEndEllipsis, &TAxisBarDefValuesEh::SetEndEllipsis, &TAxisBarEh::EndEllipsis,
         &TAxisBarEh::SetEndEllipsis, true},
        {"HighlightRequired", cvHighlightRequired, &TAxisBarDefValuesEh::SetHighlightRequired,
         &TAxisBarEh::HighlightRequired, &TAxisBarEh::SetHighlightRequired, true},
        {"AlwaysShowEditButton", cvAlwaysShowEditButton, &TAxisBarDefValuesEh::SetAlwaysShowEditButton,
         &TAxisBarEh::AlwaysShowEditButton, &TAxisBarEh::SetAlwaysShowEditButton, true},
        {"ToolTips", cvToolTips, &TAxisBarDefValuesEh::SetToolTips, &TAxisBarEh::ToolTips, &TAxisBarEh::SetToolTips,
         false},
        {"AutoDropDown", cvAutoDropDown, &TAxisBarDefValuesEh::SetAutoDropDown, &TAxisBarEh::AutoDropDown,
         &TAxisBarEh::SetAutoDropDown, false},
        {"DblClickNextVal", cvDblClickNextVal, &TAxisBarDefValuesEh::SetDblClickNextVal, &TAxisBarEh::DblClickNextVal,
         &TAxisBarEh::SetDblClickNextVal, false},
        {"DropDownSizing", cvDropDownSizing, &TAxisBarDefValuesEh::SetDropDownSizing, &TAxisBarEh::DropDownSizing,
         &TAxisBarEh::SetDropDownSizing, false},
        {"DropDownShowTitles", cvDropDownShowTitles, &TAxisBarDefValuesEh::SetDropDownShowTitles,
         &TAxisBarEh::DropDownShowTitles, &TAxisBarEh::SetDropDownShowTitles, false},
    };
}

class AppearanceTest : public LookData {};

TEST_F(AppearanceTest, GridDefaultsReachEveryBarWithoutAnOwnValueAndStopAtAnOwnOne)
{
    TLookGrid* grid = MakeGrid(MakePeople(TDataKind::MemTable));
    TLookBar* follower = grid->AddBar(QStringLiteral("Name"));
    TLookBar* owner = grid->AddBar(QStringLiteral("Id"));
    for (const TDefaultedCase& c : DefaultedCases()) {
        SCOPED_TRACE(c.Name);
        c.SetDefault(grid->AxisBarDefValues(), true);
        EXPECT_TRUE(c.Get(follower));
        EXPECT_FALSE(follower->AssignedValues().Contains(c.Flag));

        const int before = owner->Changes;
        c.Set(owner, false);
        EXPECT_TRUE(owner->AssignedValues().Contains(c.Flag));
        EXPECT_EQ(owner->Changes - before, c.Notifies ? 1 : 0);
        // Setting the same own value again changes nothing.
        c.Set(owner, false);
        EXPECT_EQ(owner->Changes - before, c.Notifies ? 1 : 0);

        c.SetDefault(grid->AxisBarDefValues(), false);
        c.SetDefault(grid->AxisBarDefValues(), true);
        EXPECT_FALSE(c.Get(owner)) << "an own value outlives changes of the grid default";
        EXPECT_TRUE(c.Get(follower));
        c.SetDefault(grid->AxisBarDefValues(), false);
        EXPECT_FALSE(c.Get(follower));
    }
}

TEST_F(AppearanceTest, LayoutFollowsTheGridDefaultUntilSet)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    EXPECT_EQ(bar->Layout(), tlTop);
    grid->AxisBarDefValues()->SetLayout(tlCenter);
    EXPECT_EQ(bar->Layout(), tlCenter);
    bar->SetLayout(tlBottom);
    grid->AxisBarDefValues()->SetLayout(tlTop);
    EXPECT_EQ(bar->Layout(), tlBottom);
}

TEST_F(AppearanceTest, ABarOutsideAGridHasFixedDefaults)
{
    std::unique_ptr<TAxisBarEh> bar(Create<TAxisBarEh>(static_cast<TCollection*>(nullptr)));
    EXPECT_EQ(bar->Color(), clWindow);
    EXPECT_EQ(bar->Layout(), tlTop);
    EXPECT_EQ(bar->Alignment(), taLeftJustify);
    EXPECT_FALSE(bar->WordWrap());
    for (const TDefaultedCase& c : DefaultedCases())
        EXPECT_FALSE(c.Get(bar.get())) << c.Name;
    EXPECT_EQ(bar->Title()->Color(), clBtnFace);
    EXPECT_EQ(bar->Title()->Alignment(), taLeftJustify);
    // Its title falls back to the bar's font.
    bar->Font()->SetSize(14);
    EXPECT_TRUE(bar->Title()->Font()->Equals(bar->Font()));
    EXPECT_EQ(bar->DropDownRows(), 7u);
    EXPECT_EQ(bar->ButtonStyle(), cbsAuto);
}

TEST_F(AppearanceTest, ColourFollowsTheGridAndAnEqualValueStillBecomesOwn)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    grid->SetColor(clYellow);
    EXPECT_EQ(bar->Color(), clYellow);
    bar->SetColor(clYellow);
    EXPECT_TRUE(bar->AssignedValues().Contains(cvColor));
    EXPECT_FALSE(bar->IsColorStored()) << "the grid's colour as own value is not worth storing";
    grid->SetColor(clAqua);
    EXPECT_EQ(bar->Color(), clYellow);
    EXPECT_TRUE(bar->IsColorStored());
}

TEST_F(AppearanceTest, AnUnassignedFontFollowsTheGridFontAndAnOwnOneStays)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    grid->Font()->SetSize(13);
    EXPECT_EQ(bar->Font()->GetSize(), 13);
    EXPECT_FALSE(bar->AssignedValues().Contains(cvFont)) << "reading the font copies the default quietly";

    const int before = bar->Changes;
    bar->Font()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(bar->AssignedValues().Contains(cvFont));
    EXPECT_GT(bar->Changes, before);
    grid->Font()->SetSize(20);
    EXPECT_EQ(bar->Font()->GetSize(), 13);
    EXPECT_TRUE(bar->IsFontStored());
}

TEST_F(AppearanceTest, AlignmentDefaultsToTheFieldsAndADefaultBarWritesItToTheField)
{
    TDataSet* people = MakePeople(TDataKind::MemTable);
    TLookGrid* grid = MakeGrid(people);
    TLookBar* id = grid->AddBar(QStringLiteral("Id"));
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    EXPECT_EQ(id->Alignment(), taRightJustify);
    EXPECT_EQ(name->Alignment(), taLeftJustify);
    name->SetAlignment(taCenter);
    EXPECT_EQ(name->Alignment(), taCenter);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->Alignment(), taLeftJustify);

    id->SetStored(false);
    id->SetAlignment(taCenter);
    EXPECT_FALSE(id->AssignedValues().Contains(cvAlignment));
    EXPECT_EQ(people->FieldByName(QStringLiteral("Id"))->Alignment(), taCenter);
    EXPECT_EQ(id->Alignment(), taCenter);
}

TEST_P(LookDataP, WordWrapFollowsTheFieldTypeUntilSetEvenToItsDefault)
{
    TDataSet* people = MakePeople(GetParam());
    TLookGrid* grid = MakeGrid(people);
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    TLookBar* id = grid->AddBar(QStringLiteral("Id"));
    EXPECT_TRUE(name->WordWrap());
    EXPECT_FALSE(id->WordWrap());

    const int before = name->Changes;
    name->SetWordWrap(true);
    EXPECT_TRUE(name->AssignedValues().Contains(cvWordWrap));
    EXPECT_EQ(name->Changes, before) << "the effective value did not change";
    EXPECT_TRUE(name->IsWordWrapStored());
    name->SetFieldName(QStringLiteral("Id"));
    EXPECT_TRUE(name->WordWrap()) << "an own value no longer follows the field type";

    id->SetWordWrap(true);
    EXPECT_EQ(id->Changes, before + 1);
}

TEST_F(AppearanceTest, InputMethodEqualToTheDefaultStaysUnassigned)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    const TImeMode followed = bar->ImeMode();
    bar->SetImeMode(followed);
    EXPECT_FALSE(bar->AssignedValues().Contains(cvImeMode));
    bar->SetImeMode(imOpen);
    EXPECT_TRUE(bar->AssignedValues().Contains(cvImeMode));
    bar->SetImeMode(followed);
    EXPECT_TRUE(bar->AssignedValues().Contains(cvImeMode)) << "once own, equal values are kept as own";
    EXPECT_EQ(bar->ImeMode(), followed);
    EXPECT_FALSE(bar->IsImeModeStored());

    bar->SetImeName(bar->ImeName());
    EXPECT_FALSE(bar->AssignedValues().Contains(cvImeName));
    bar->SetImeName(QStringLiteral("ru"));
    EXPECT_EQ(bar->ImeName(), QStringLiteral("ru"));
    EXPECT_TRUE(bar->IsImeNameStored());
}

TEST_F(AppearanceTest, StoredTestsKeepOnlyValuesThatDifferFromTheDefault)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    bar->SetEndEllipsis(false);
    bar->SetLayout(tlTop);
    bar->SetBiDiMode(grid->BiDiMode());
    EXPECT_FALSE(bar->IsEndEllipsisStored());
    EXPECT_FALSE(bar->IsLayoutStored());
    EXPECT_TRUE(bar->IsBiDiModeStored()) << "reading order goes whenever it is own";
    bar->SetEndEllipsis(true);
    bar->SetLayout(tlBottom);
    EXPECT_TRUE(bar->IsEndEllipsisStored());
    EXPECT_TRUE(bar->IsLayoutStored());
    grid->AxisBarDefValues()->SetEndEllipsis(true);
    EXPECT_FALSE(bar->IsEndEllipsisStored()) << "the same as the new default";
}

TEST_F(AppearanceTest, ReadingOrderFollowsTheGridAndDecidesTheRightToLeftAnswers)
{
    TLookGrid* grid = MakeGrid(MakePeople(TDataKind::MemTable));
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    TLookBar* id = grid->AddBar(QStringLiteral("Id"));
    struct {
        TBiDiMode Mode;
        bool Reading, Scroll, NameAlign, IdAlign;
    } cases[] = {
        {bdLeftToRight, false, false, false, false},
        {bdRightToLeft, true, true, true, false},
        {bdRightToLeftNoAlign, true, true, false, false},
        {bdRightToLeftReadingOnly, true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Mode));
        grid->SetBiDiMode(c.Mode);
        EXPECT_EQ(name->BiDiMode(), c.Mode);
        EXPECT_EQ(name->UseRightToLeftReading(), c.Reading);
        EXPECT_EQ(name->UseRightToLeftScrollBar(), c.Scroll);
        EXPECT_EQ(name->UseRightToLeftAlignment(), c.NameAlign);
        // A right-aligned number is not mirrored.
        EXPECT_EQ(id->UseRightToLeftAlignment(), c.IdAlign);
        EXPECT_EQ(name->DrawTextBiDiModeFlagsReadingOnly(), c.Reading ? unsigned(DT_RTLREADING) : 0u);
    }
    name->SetBiDiMode(bdLeftToRight);
    grid->SetBiDiMode(bdRightToLeft);
    EXPECT_FALSE(name->UseRightToLeftReading());
}

TEST_F(AppearanceTest, TextWrapsOnlyInARowHighEnoughForASecondLine)
{
    TLookGrid* grid = MakeGrid(MakePeople(TDataKind::MemTable));
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    TLookBar* id = grid->AddBar(QStringLiteral("Id"));
    TTextMetric tm;
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(name->Font());
    probe.Canvas()->RequireFont();
    GetTextMetrics(probe.Canvas()->Handle(), tm);
    const int oneLine = grid->Interlinear() + tm.tmHeight + tm.tmExternalLeading;
    EXPECT_FALSE(name->CurLineWordWrap(oneLine));
    EXPECT_TRUE(name->CurLineWordWrap(oneLine + 1));
    EXPECT_FALSE(id->CurLineWordWrap(oneLine * 3)) << "no wrapping without WordWrap";

    // The measurement uses the bar's font.
    name->Font()->SetSize(20);
    EXPECT_FALSE(name->CurLineWordWrap(oneLine + 1));
}

TEST_F(AppearanceTest, TheTextAreaIsTheDataGridsBusiness)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    TRect r{0, 0, 10, 10};
    EXPECT_EQ(ErrorOf([&] { bar->SetTextArea(r); }),
              QStringLiteral(" TAxisBarEh.SetTextArea must be realized in the inherited class."));
    EXPECT_EQ(bar->GetDataCellHorzOffset(), 3);
    EXPECT_EQ(bar->CalcRowHeight(), 0);
}

TEST_P(LookDataP, LimitTextToListValuesFollowsTheBarTypeUntilStored)
{
    TLookGrid* grid = MakeGrid(MakePeople(GetParam()));
    TLookBar* bar = grid->AddBar(QStringLiteral("Id"));
    EXPECT_FALSE(bar->LimitTextToListValues());
    bar->KeyList()->Add(QStringLiteral("1"));
    bar->PickList()->Add(QStringLiteral("один"));
    ASSERT_EQ(bar->GetBarType(), ctKeyPickList);
    EXPECT_TRUE(bar->LimitTextToListValues());
    bar->OnNotInList = [](TObject*, QString, bool&) {};
    EXPECT_FALSE(bar->LimitTextToListValues()) << "a handler decides about unknown texts";

    bar->SetLimitTextToListValuesStored(true);
    EXPECT_FALSE(bar->LimitTextToListValues()) << "switching keeps the value it had";
    bar->OnNotInList = nullptr;
    EXPECT_FALSE(bar->LimitTextToListValues());
    EXPECT_TRUE(bar->IsLimitTextToListValuesStored());
    bar->SetLimitTextToListValuesStored(false);
    EXPECT_TRUE(bar->LimitTextToListValues());
}

TEST_F(AppearanceTest, DropDownWidthAndVisibilityNotifyOnlyOnChange)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    const int before = bar->Changes;
    bar->SetDropDownWidth(0);
    EXPECT_EQ(bar->Changes, before);
    bar->SetDropDownWidth(120);
    EXPECT_EQ(bar->Changes, before + 1);
    bar->SetDropDownRows(12);
    EXPECT_EQ(bar->Changes, before + 1);
    EXPECT_EQ(bar->DropDownRows(), 12u);
}

INSTANTIATE_TEST_SUITE_P(Data, LookDataP, ::testing::Values(TDataKind::MemTable, TDataKind::Query), DataKindName);

}
