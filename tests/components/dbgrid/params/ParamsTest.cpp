// The grid's parameter objects: settings that follow the grid until written, fonts that follow
// the grid's font, effective fill styles, line parameters and the empty-data text.
#include "support/DBGridFixtures.h"

#include "platform/vcl/ImgList.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/Themes.h"

#include <functional>

using namespace testsupport;

namespace {

bool Stored(TPersistent* Obj, const char* Prop) { return GetPropInfo(Obj, QString::fromLatin1(Prop))->IsStored(Obj); }

// Themes on for the scope of one test.
struct ThemesScope {
    bool Old = StyleServicesEnabled();
    explicit ThemesScope(bool On) { SetStyleServicesEnabled(On); }
    ~ThemesScope() { SetStyleServicesEnabled(Old); }
};

}  // namespace

class ParamsTest : public DBGridOnForm {};

TEST_F(ParamsTest, FixedAreaColoursFollowFixedColorUntilWrittenAndAgainWhenUnstored)
{
    struct Area {
        const char* Name;
        std::function<TColor()> Color;
        std::function<void(TColor)> SetColor;
        std::function<void(bool)> SetStored;
        TPersistent* Obj;
    };
    const Area areas[] = {
        {"title", [&] { return grid->TitleParams()->Color(); }, [&](TColor c) { grid->TitleParams()->SetColor(c); },
         [&](bool s) { grid->TitleParams()->SetColorStored(s); }, grid->TitleParams()},
        {"indicator", [&] { return grid->IndicatorParams()->Color(); },
         [&](TColor c) { grid->IndicatorParams()->SetColor(c); },
         [&](bool s) { grid->IndicatorParams()->SetColorStored(s); }, grid->IndicatorParams()},
    };
    for (const Area& a : areas) {
        SCOPED_TRACE(a.Name);
        grid->SetFixedColor(clRed);
        EXPECT_EQ(a.Color(), clRed);
        EXPECT_FALSE(Stored(a.Obj, "Color"));
        a.SetColor(clBlue);
        grid->SetFixedColor(clGreen);
        EXPECT_EQ(a.Color(), clBlue);
        EXPECT_TRUE(Stored(a.Obj, "Color"));
        a.SetStored(false);
        EXPECT_EQ(a.Color(), clGreen);
        EXPECT_FALSE(Stored(a.Obj, "Color"));
        // Switching it on by hand keeps the colour it showed.
        a.SetStored(true);
        grid->SetFixedColor(clYellow);
        EXPECT_EQ(a.Color(), clGreen);
    }
}

TEST_F(ParamsTest, TitleSecondColorAndFooterColorFollowTheGridColor)
{
    grid->SetColor(clCream);
    EXPECT_EQ(grid->TitleParams()->SecondColor(), clCream);
    EXPECT_EQ(grid->FooterParams()->Color(), clCream);
    EXPECT_FALSE(Stored(grid->FooterParams(), "Color"));
    grid->FooterParams()->SetColor(clMoneyGreen);
    grid->SetColor(clWindow);
    EXPECT_EQ(grid->FooterParams()->Color(), clMoneyGreen);
    EXPECT_EQ(grid->FooterColor(), clMoneyGreen);
    EXPECT_TRUE(Stored(grid->FooterParams(), "Color"));
    grid->FooterParams()->SetColor(clDefault);
    EXPECT_EQ(grid->FooterParams()->Color(), clWindow);
}

TEST_F(ParamsTest, TitleAndFooterFontsFollowTheGridFontUntilChangedThemselves)
{
    grid->Font()->SetSize(14);
    EXPECT_EQ(grid->TitleParams()->Font()->GetSize(), 14);
    EXPECT_EQ(grid->FooterParams()->Font()->GetSize(), 14);
    EXPECT_EQ(grid->TitleFont(), grid->TitleParams()->Font());
    EXPECT_FALSE(Stored(grid->TitleParams(), "Font"));

    grid->TitleParams()->Font()->SetSize(20);
    EXPECT_FALSE(grid->TitleParams()->ParentFont());
    EXPECT_TRUE(Stored(grid->TitleParams(), "Font"));
    grid->Font()->SetSize(9);
    EXPECT_EQ(grid->TitleParams()->Font()->GetSize(), 20);
    EXPECT_EQ(grid->FooterParams()->Font()->GetSize(), 9);

    grid->TitleParams()->SetParentFont(true);
    EXPECT_EQ(grid->TitleParams()->Font()->GetSize(), 9);
}

TEST_F(ParamsTest, FontChangedWhileLoadingKeepsFollowingTheGrid)
{
    grid->FComponentState.Include(csLoading);
    grid->FooterParams()->Font()->SetSize(19);
    grid->FComponentState.Exclude(csLoading);
    EXPECT_TRUE(grid->FooterParams()->ParentFont());
}

TEST_F(ParamsTest, LineSwitchesFollowTheGridLineOptionsUntilWritten)
{
    struct Area {
        const char* Name;
        TDBGridAreaParamsEh* P;
    };
    const Area areas[] = {{"title", grid->TitleParams()},
                          {"indicator", grid->IndicatorParams()},
                          {"footer", grid->FooterParams()}};
    for (const Area& a : areas) {
        SCOPED_TRACE(a.Name);
        grid->SetOptions(grid->Options() - TDBGridOptions{dgColLines});
        EXPECT_FALSE(a.P->VertLines());
        EXPECT_TRUE(a.P->HorzLines());
        grid->SetOptions(grid->Options() | TDBGridOptions{dgColLines});
        EXPECT_TRUE(a.P->VertLines());
        EXPECT_FALSE(Stored(a.P, "VertLines"));

        a.P->SetVertLines(false);
        EXPECT_TRUE(a.P->VertLinesStored());
        EXPECT_TRUE(Stored(a.P, "VertLines"));
        grid->SetOptions(grid->Options() - TDBGridOptions{dgRowLines});
        EXPECT_FALSE(a.P->VertLines());
        EXPECT_FALSE(a.P->HorzLines());
        grid->SetOptions(grid->Options() | TDBGridOptions{dgRowLines});

        a.P->SetVertLinesStored(false);
        EXPECT_TRUE(a.P->VertLines());
        EXPECT_FALSE(Stored(a.P, "VertLines"));
    }
}

TEST_F(ParamsTest, LineColoursReadTheDarkLineColourWhileDefault)
{
    TDBGridAreaParamsEh* areas[] = {grid->TitleParams(), grid->IndicatorParams(), grid->FooterParams()};
    grid->GridLineParams()->SetDarkColor(clPurple);
    for (TDBGridAreaParamsEh* p : areas) {
        EXPECT_EQ(p->VertLineColor(), clPurple);
        EXPECT_EQ(p->HorzLineColor(), clPurple);
        EXPECT_FALSE(Stored(p, "VertLineColor"));
        p->SetHorzLineColor(clRed);
        EXPECT_EQ(p->HorzLineColor(), clRed);
        EXPECT_TRUE(Stored(p, "HorzLineColor"));
        p->SetHorzLineColor(clDefault);
        EXPECT_EQ(p->HorzLineColor(), clPurple);
    }
}

TEST_F(ParamsTest, ActualFillStyleOfTitleIndicatorAndFooter)
{
    auto* style = Create<TDBGridEhStyle>(form.get());
    grid->SetStyle(style);
    enum Area { Title, Indicator, Footer };
    struct Case {
        Area A;
        TGridCellFillStyleEh Own;
        bool Themes, Flat, Raised, ClassicGradient;
        TGridCellFillStyleEh Expected;
    };
    const Case cases[] = {
        // Default style: themed or gradient only when raised and themes are on.
        {Title, cfstDefaultEh, true, false, true, false, cfstThemedEh},
        {Title, cfstDefaultEh, true, true, true, false, cfstGradientEh},
        {Title, cfstDefaultEh, false, false, true, true, cfstSolidEh},
        {Title, cfstDefaultEh, true, false, false, false, cfstSolidEh},
        {Footer, cfstDefaultEh, true, false, true, false, cfstThemedEh},
        {Footer, cfstDefaultEh, true, false, false, false, cfstSolidEh},
        // An own themed title without themes becomes gradient (raised) or solid.
        {Title, cfstThemedEh, false, false, true, true, cfstGradientEh},
        {Title, cfstThemedEh, false, false, true, false, cfstSolidEh},
        {Title, cfstThemedEh, false, false, false, true, cfstSolidEh},
        {Indicator, cfstThemedEh, false, false, true, false, cfstThemedEh},
        // Gradients survive without themes only where the style allows it.
        {Footer, cfstGradientEh, false, false, false, false, cfstSolidEh},
        {Footer, cfstGradientEh, false, false, false, true, cfstGradientEh},
        {Indicator, cfstGradientEh, true, false, false, false, cfstGradientEh},
        {Indicator, cfstSolidEh, true, true, true, true, cfstSolidEh},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "area " << c.A << " own " << c.Own << " themes " << c.Themes << " flat "
                                        << c.Flat << " raised " << c.Raised << " classic " << c.ClassicGradient);
        ThemesScope themes(c.Themes);
        grid->SetFlat(c.Flat);
        style->SetGradientEnabledInClassicTheme(c.ClassicGradient);
        TDBGridEhOptions opts = grid->OptionsEh() - TDBGridEhOptions{dghFixed3D, dghFooter3D};
        if (c.Raised)
            opts.Include(c.A == Footer ? dghFooter3D : dghFixed3D);
        grid->SetOptionsEh(opts);
        TDBGridAreaParamsEh* p = c.A == Title       ? static_cast<TDBGridAreaParamsEh*>(grid->TitleParams())
                                 : c.A == Indicator ? static_cast<TDBGridAreaParamsEh*>(grid->IndicatorParams())
                                                    : static_cast<TDBGridAreaParamsEh*>(grid->FooterParams());
        p->SetFillStyle(c.Own);
        EXPECT_EQ(p->GetActualFillStyle(), c.Expected);
    }
}

TEST_F(ParamsTest, SortMarkerStyleFollowsTheGridStyleUntilWritten)
{
    auto* style = Create<TDBGridEhStyle>(form.get());
    grid->SetStyle(style);
    style->SetSortMarkerStyle(smstSolidEh);
    EXPECT_EQ(grid->TitleParams()->SortMarkerStyle(), smstSolidEh);
    grid->TitleParams()->SetSortMarkerStyle(smstFrameEh);
    style->SetSortMarkerStyle(smstClassicEh);
    EXPECT_EQ(grid->TitleParams()->SortMarkerStyle(), smstFrameEh);
    EXPECT_TRUE(Stored(grid->TitleParams(), "SortMarkerStyle"));
    grid->TitleParams()->SetSortMarkerStyleStored(false);
    EXPECT_EQ(grid->TitleParams()->SortMarkerStyle(), smstClassicEh);
}

TEST_F(ParamsTest, TreeGlyphStyleFallsBackToTheStyle)
{
    ThemesScope themes(false);
    EXPECT_EQ(grid->TreeViewParams()->GetActualGlyphStyle(), tvgsClassicEh);
    grid->TreeViewParams()->SetGlyphStyle(tvgsExplorerThemedEh);
    EXPECT_EQ(grid->TreeViewParams()->GetActualGlyphStyle(), tvgsExplorerThemedEh);
}

TEST_F(ParamsTest, GridViewsReachTheTitleParameters)
{
    grid->SetUseMultiTitle(true);
    grid->SetTitleHeight(30);
    grid->SetTitleLines(2);
    grid->SetVTitleMargin(4);
    EXPECT_TRUE(grid->TitleParams()->MultiTitle());
    EXPECT_EQ(grid->TitleParams()->RowHeight(), 30);
    EXPECT_EQ(grid->TitleParams()->RowLines(), 2);
    EXPECT_EQ(grid->TitleParams()->VTitleMargin(), 4);

    auto* copy = new TDBGridTitleParamsEh(grid);
    copy->Assign(grid->TitleParams());
    EXPECT_TRUE(copy->MultiTitle());
    EXPECT_EQ(copy->RowLines(), 2);
    EXPECT_FALSE(copy->ColorStored());
    delete copy;
}

// ============================================================================================
// Line parameters
// ============================================================================================

TEST_F(ParamsTest, DataLinesFollowTheGridLineOptions)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    grid->SetOptions(grid->Options() - TDBGridOptions{dgRowLines});
    EXPECT_FALSE(lines->DataHorzLines());
    EXPECT_TRUE(lines->DataVertLines());
    grid->SetOptions((grid->Options() | TDBGridOptions{dgRowLines}) - TDBGridOptions{dgColLines});
    EXPECT_TRUE(lines->DataHorzLines());
    EXPECT_FALSE(lines->DataVertLines());
}

TEST_F(ParamsTest, EmptySpaceStyleSwitchesExtendedVerticalLines)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    lines->SetVertEmptySpaceStyle(dessNonEh);
    EXPECT_FALSE(grid->OptionsEh().Contains(dghExtendVertLines));
    EXPECT_FALSE(grid->GetGridOptions().Contains(goExtendVertLinesEh));
    lines->SetVertEmptySpaceStyle(dessSolidEh);
    EXPECT_TRUE(grid->OptionsEh().Contains(dghExtendVertLines));
    EXPECT_TRUE(grid->GetGridOptions().Contains(goExtendVertLinesEh));
}

TEST_F(ParamsTest, ActualColorScheme)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    struct Case {
        TDBGridLinesColorSchemeEh Own;
        bool Themes, Flat;
        TDBGridLinesColorSchemeEh Expected;
    };
    const Case cases[] = {
        {glcsClassicEh, true, true, glcsClassicEh},
        {glcsDefaultEh, true, false, glcsThemedEh},   // the title is themed
        {glcsDefaultEh, false, true, glcsFlatEh},
        {glcsDefaultEh, false, false, glcsClassicEh},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Own << " " << c.Themes << " " << c.Flat);
        ThemesScope themes(c.Themes);
        grid->SetFlat(c.Flat);
        lines->SetColorScheme(c.Own);
        EXPECT_EQ(lines->GetActualColorScheme(), c.Expected);
    }
}

TEST_F(ParamsTest, ContraVerticalLineIsBrightOnlyOverAFlatWindowColouredFooter)
{
    TDBGridLineParamsEh* lines = grid->GridLineParams();
    lines->SetDarkColor(clNavy);
    lines->SetBrightColor(clSilver);
    grid->FooterParams()->SetColor(clWindow);
    EXPECT_EQ(lines->GetVertAreaContraVertColor(), clSilver);
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghFooter3D});
    EXPECT_EQ(lines->GetVertAreaContraVertColor(), clNavy);
    grid->SetOptionsEh(grid->OptionsEh() - TDBGridEhOptions{dghFooter3D});
    grid->FooterParams()->SetColor(clYellow);
    EXPECT_EQ(lines->GetVertAreaContraVertColor(), clNavy);
}

// ============================================================================================
// Empty-data text
// ============================================================================================

class EmptyDataInfoTest : public DBGridOverMemTable {};

TEST_F(EmptyDataInfoTest, ShowsOnlyOverAnOpenEmptyDataset)
{
    TGridEmptyDataInfoEh* info = grid->EmptyDataInfo();
    EXPECT_FALSE(info->Showing());   // not active
    info->SetActive(true);
    EXPECT_FALSE(info->Showing());   // three rows
    table->EmptyTable();
    EXPECT_TRUE(info->Showing());
    EXPECT_EQ(info->EffectiveText(), QStringLiteral("Нет данных"));
    // A table being filled elsewhere (controls disabled) is not read.
    table->DisableControls();
    EXPECT_FALSE(info->Showing());
    table->EnableControls();
    EXPECT_TRUE(info->Showing());
    table->Close();
    EXPECT_FALSE(info->Showing());
    grid->SetDataSource(nullptr);
    EXPECT_FALSE(info->Showing());
}

TEST_F(EmptyDataInfoTest, TextIsCentredInTheClientArea)
{
    TGridEmptyDataInfoEh* info = grid->EmptyDataInfo();
    info->SetText(QStringLiteral("Пусто"));
    const TRect r = info->InfoRect();
    const TRect client = grid->ClientRect();
    EXPECT_LE(std::abs((r.Left + r.Right) - (client.Left + client.Right)), 1);
    EXPECT_LE(std::abs((r.Top + r.Bottom) - (client.Top + client.Bottom)), 1);
    EXPECT_EQ(r.Width(), MeasureCanvasEh(info->Font())->TextWidth(QStringLiteral("Пусто")) + 10);
}

TEST_F(EmptyDataInfoTest, FontFollowsTheGridFontButStaysGrey)
{
    TGridEmptyDataInfoEh* info = grid->EmptyDataInfo();
    EXPECT_EQ(info->Font()->GetColor(), clGray);
    grid->Font()->SetSize(16);
    grid->Font()->SetColor(clRed);
    EXPECT_EQ(info->Font()->GetSize(), 16);
    EXPECT_EQ(info->Font()->GetColor(), clGray);
    EXPECT_TRUE(info->ParentFont());

    info->Font()->SetSize(8);
    EXPECT_FALSE(info->ParentFont());
    EXPECT_TRUE(Stored(info, "Font"));
    grid->Font()->SetSize(12);
    EXPECT_EQ(info->Font()->GetSize(), 8);
}

TEST_F(ParamsTest, TitleForgetsItsMenuAndImagesWhenTheyAreFreed)
{
    auto* menu = Create<TPopupMenu>(form.get());
    auto* images = Create<TImageList>(form.get());
    grid->TitleParams()->SetPopupMenu(menu);
    grid->SetTitleImages(images);
    EXPECT_EQ(grid->TitleParams()->Images(), images);
    delete menu;
    delete images;
    EXPECT_EQ(grid->TitleParams()->PopupMenu(), nullptr);
    EXPECT_EQ(grid->TitleImages(), nullptr);
}

// ============================================================================================
// Background
// ============================================================================================

class BackgroundTest : public DBGridOverMemTable {};

TEST_F(BackgroundTest, ExcludedAreasMoveTheEdgesToTheDataCells)
{
    grid->SetFooterRowCount(1);
    PumpDBGrid();
    TDBGridBackgroundDataEh* bg = grid->BackgroundData();
    const TRect whole = bg->BoundRect();
    const TRect firstData = grid->CellRect(grid->IndicatorOffset(), grid->TopDataOffset());
    const TRect footer = grid->CellRect(grid->IndicatorOffset(), grid->RowCount());
    ASSERT_GT(firstData.Top, whole.Top);
    ASSERT_GT(firstData.Left, whole.Left);
    ASSERT_LT(footer.Top, whole.Bottom);

    bg->SetExcludeTitle(true);
    EXPECT_EQ(bg->BoundRect(), TRect(whole.Left, firstData.Top, whole.Right, whole.Bottom));
    bg->SetExcludeTitle(false);
    bg->SetExcludeIndicator(true);
    EXPECT_EQ(bg->BoundRect(), TRect(firstData.Left, whole.Top, whole.Right, whole.Bottom));
    bg->SetExcludeIndicator(false);
    bg->SetExcludeFooter(true);
    EXPECT_EQ(bg->BoundRect(), TRect(whole.Left, whole.Top, whole.Right, footer.Top));
}
