// The grid-wide default values: bars without an own value follow them at once, the grid
// repaints or re-lays itself out, and copying one set into another.
#include "CollFixtures.h"

#include "platform/rtl/SysUtils.h"

#include <functional>

using DefValuesTest = CollGridTest;

namespace {
// One Boolean or layout setting of the defaults and of a bar.
struct Setting {
    const char* name;
    std::function<void(TAxisBarDefValuesEh*)> setDefault;   // away from the initial value
    std::function<void(TAxisBarEh*)> setOwnInitial;          // the bar's own value = the initial one
    std::function<bool(TAxisBarEh*)> barFollows;             // the bar reads the changed default
    bool repaints;
};

const std::vector<Setting>& Settings()
{
    static const std::vector<Setting> s = {
        {"Layout", [](auto* d) { d->SetLayout(tlCenter); }, [](auto* b) { b->SetLayout(tlTop); },
         [](auto* b) { return b->Layout() == tlCenter; }, true},
        {"EndEllipsis", [](auto* d) { d->SetEndEllipsis(true); }, [](auto* b) { b->SetEndEllipsis(false); },
         [](auto* b) { return b->EndEllipsis(); }, true},
        {"AlwaysShowEditButton", [](auto* d) { d->SetAlwaysShowEditButton(true); },
         [](auto* b) { b->SetAlwaysShowEditButton(false); }, [](auto* b) { return b->AlwaysShowEditButton(); }, true},
        {"HighlightRequired", [](auto* d) { d->SetHighlightRequired(true); },
         [](auto* b) { b->SetHighlightRequired(false); }, [](auto* b) { return b->HighlightRequired(); }, true},
        {"AutoDropDown", [](auto* d) { d->SetAutoDropDown(true); }, [](auto* b) { b->SetAutoDropDown(false); },
         [](auto* b) { return b->AutoDropDown(); }, false},
        {"DblClickNextVal", [](auto* d) { d->SetDblClickNextVal(true); },
         [](auto* b) { b->SetDblClickNextVal(false); }, [](auto* b) { return b->DblClickNextVal(); }, false},
        {"ToolTips", [](auto* d) { d->SetToolTips(true); }, [](auto* b) { b->SetToolTips(false); },
         [](auto* b) { return b->ToolTips(); }, false},
        {"DropDownSizing", [](auto* d) { d->SetDropDownSizing(true); },
         [](auto* b) { b->SetDropDownSizing(false); }, [](auto* b) { return b->DropDownSizing(); }, false},
        {"DropDownShowTitles", [](auto* d) { d->SetDropDownShowTitles(true); },
         [](auto* b) { b->SetDropDownShowTitles(false); }, [](auto* b) { return b->DropDownShowTitles(); }, false},
    };
    return s;
}
}

TEST_P(DefValuesTest, ADefaultChangesEveryBarWithoutAnOwnValueAtOnce)
{
    for (const Setting& s : Settings()) {
        TCollTestGrid* g = NewGrid();
        TGridAxisBarsEh* bars = g->AxisBars();
        bars->SetState(csCustomized);
        s.setOwnInitial(bars->Items(1));   // own value equal to the default: still an own value
        g->Repaints = 0;
        s.setDefault(g->AxisBarDefValues());
        EXPECT_TRUE(s.barFollows(bars->Items(0))) << s.name;
        EXPECT_TRUE(s.barFollows(bars->Items(2))) << s.name;
        EXPECT_FALSE(s.barFollows(bars->Items(1))) << s.name;
        EXPECT_EQ(g->Repaints > 0, s.repaints) << s.name;
        // Writing the same value again changes nothing.
        g->Repaints = 0;
        s.setDefault(g->AxisBarDefValues());
        EXPECT_EQ(g->Repaints, 0) << s.name;
        // Dropping the own value makes the bar follow again.
        bars->Items(1)->RestoreDefaults();
        EXPECT_TRUE(s.barFollows(bars->Items(1))) << s.name;
    }
}

TEST_P(DefValuesTest, CopyingDefaultsLeavesLayoutAndHighlightRequired)
{
    TCollTestGrid* from = NewGrid();
    TAxisBarDefValuesEh* src = from->AxisBarDefValues();
    for (const Setting& s : Settings())
        s.setDefault(src);
    src->Title()->SetEndEllipsis(true);
    src->Title()->SetTitleButton(true);

    TAxisBarDefValuesEh* dst = grid->AxisBarDefValues();
    grid->Repaints = 0;
    dst->Assign(src);
    EXPECT_TRUE(dst->AlwaysShowEditButton());
    EXPECT_TRUE(dst->EndEllipsis());
    EXPECT_TRUE(dst->AutoDropDown());
    EXPECT_TRUE(dst->DblClickNextVal());
    EXPECT_TRUE(dst->ToolTips());
    EXPECT_TRUE(dst->DropDownSizing());
    EXPECT_TRUE(dst->DropDownShowTitles());
    EXPECT_EQ(dst->Layout(), tlTop);
    EXPECT_FALSE(dst->HighlightRequired());
    EXPECT_TRUE(dst->Title()->EndEllipsis());
    EXPECT_TRUE(dst->Title()->TitleButton());
    EXPECT_GT(grid->Repaints, 0);   // through the setters that repaint
    EXPECT_NE(dst->Title(), src->Title());

    // The grid's property writes into its own object too.
    TCollTestGrid* third = NewGrid();
    TAxisBarDefValuesEh* own = third->AxisBarDefValues();
    third->SetAxisBarDefValues(src);
    EXPECT_EQ(third->AxisBarDefValues(), own);
    EXPECT_TRUE(own->DropDownSizing());
}

TEST_P(DefValuesTest, CopyingFromAnotherKindOfObjectIsAConversionError)
{
    TColumnFooterDefValuesEh footer;
    TAxisBarDefValuesEh* defs = grid->AxisBarDefValues();
    EXPECT_THROW(defs->Assign(&footer), EConvertError);
    EXPECT_THROW(footer.Assign(defs), EConvertError);
    EXPECT_THROW(defs->Title()->Assign(&footer), EConvertError);

    TColumnFooterDefValuesEh other;
    other.SetToolTips(true);
    footer.Assign(&other);
    EXPECT_TRUE(footer.ToolTips());
}

TEST_P(DefValuesTest, TitleAlignmentAndColourFollowTheGridUntilSet)
{
    TAxisBarCaptionDefValuesEh* title = grid->AxisBarDefValues()->Title();
    grid->TitleAlignment = taCenter;
    grid->TitleColor = clSilver;
    EXPECT_EQ(title->Alignment(), taCenter);
    EXPECT_EQ(title->Color(), clSilver);
    EXPECT_TRUE(title->AssignedValues().Empty());

    // A value equal to the grid's default is an own value, but not one worth storing.
    grid->Layouts = 0;
    title->SetAlignment(taCenter);
    EXPECT_TRUE(title->AssignedValues().Contains(cvdpTitleAlignmentEh));
    EXPECT_FALSE(title->IsAlignmentStored());
    EXPECT_EQ(grid->Layouts, 1);
    grid->TitleAlignment = taRightJustify;
    EXPECT_EQ(title->Alignment(), taCenter);
    EXPECT_TRUE(title->IsAlignmentStored());

    grid->Repaints = 0;
    title->SetColor(clRed);
    EXPECT_GT(grid->Repaints, 0);
    grid->TitleColor = clGray;
    EXPECT_EQ(title->Color(), clRed);
    EXPECT_TRUE(title->IsColorStored());

    grid->Layouts = 0;
    title->SetOrientation(tohVertical);
    EXPECT_EQ(grid->Layouts, 1);
}

TEST_P(DefValuesTest, CopyingTitleDefaultsKeepsAlignmentAndColourFollowingTheGrid)
{
    TCollTestGrid* from = NewGrid();
    TAxisBarCaptionDefValuesEh* src = from->AxisBarDefValues()->Title();
    src->SetAlignment(taRightJustify);
    src->SetColor(clRed);
    src->SetEndEllipsis(true);
    src->SetTitleButton(true);
    src->SetToolTips(true);
    src->SetOrientation(tohVertical);

    TAxisBarCaptionDefValuesEh* dst = grid->AxisBarDefValues()->Title();
    dst->SetColor(clBlue);
    grid->TitleAlignment = taCenter;
    dst->Assign(src);
    EXPECT_EQ(dst->Color(), clRed);
    EXPECT_FALSE(dst->AssignedValues().Contains(cvdpTitleAlignmentEh));
    EXPECT_EQ(dst->Alignment(), taCenter);
    EXPECT_TRUE(dst->EndEllipsis());
    EXPECT_TRUE(dst->TitleButton());
    EXPECT_TRUE(dst->ToolTips());
    EXPECT_EQ(dst->Orientation(), tohVertical);
}

TEST_P(DefValuesTest, ACopiedBarKeepsTheDefaultsItHadAsOwnValues)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->SetState(csCustomized);
    TAxisBarEh* source = bars->Items(1);
    TAxisBarEh* copy = bars->Add();
    copy->Assign(source);
    EXPECT_EQ(copy->FieldName(), source->FieldName());

    TAxisBarDefValuesEh* defs = grid->AxisBarDefValues();
    defs->SetEndEllipsis(true);
    defs->SetLayout(tlBottom);
    defs->SetAutoDropDown(true);
    EXPECT_TRUE(source->EndEllipsis());
    EXPECT_EQ(source->Layout(), tlBottom);
    EXPECT_TRUE(source->AutoDropDown());
    EXPECT_FALSE(copy->EndEllipsis());
    EXPECT_EQ(copy->Layout(), tlTop);
    EXPECT_FALSE(copy->AutoDropDown());
}

INSTANTIATE_TEST_SUITE_P(Regimes, DefValuesTest, ::testing::Values(Regime::MemTable, Regime::AdoQuery), RegimeName);
