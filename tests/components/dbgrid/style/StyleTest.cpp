// The grid style: its colours and sizes, change notifications, the colouring rules of data
// and fixed cells, sort markers and fixed-cell backgrounds.
#include "support/DBGridFixtures.h"

#include "components/dbgrid/DBGridEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Graphics.h"

#include <gtest/gtest.h>
#include <memory>

using namespace testsupport;

namespace {

TColor Rgb(TColor c) { return TColor(ColorToRGB(c)); }

// Restores the measured colour count after a test that pretends a poorer screen.
struct ScreenColorsGuard {
    int Saved = ScreenNumColors();
    ~ScreenColorsGuard() { SetScreenNumColors(Saved); }
};

// A grid that counts the style's change notices.
class CountingGrid : public TDBGridEh {
public:
    using TDBGridEh::TDBGridEh;
    int StyleChanges = 0;
    void DrawStyleChanged() override
    {
        ++StyleChanges;
        TDBGridEh::DrawStyleChanged();
    }
};

TEST(GridStyle, DefaultColoursAndOffsets)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    EXPECT_EQ(style->GetSelectionColor(), clHighlight);
    EXPECT_EQ(style->GetSelectionFontColor(), clHighlightText);
    EXPECT_EQ(style->GetSelectionInactiveColor(), GrayColor(clHighlight));
    // An inactive colour left to the style follows the selection colour it is the grey of.
    style->SetSelectionColor(clRed);
    EXPECT_EQ(style->GetSelectionInactiveColor(), GrayColor(clRed));
    style->SetSelectionInactiveColor(clLime);
    EXPECT_EQ(style->GetSelectionInactiveColor(), clLime);

    const struct {
        int Offset, Want;
    } offsets[] = {{-1, 3}, {-7, 3}, {0, 0}, {5, 5}};
    for (const auto& c : offsets) {
        style->SetDataCellHorzOffset(c.Offset);
        EXPECT_EQ(style->GetDataCellHorzOffset(nullptr, nullptr), c.Want) << c.Offset;
    }
}

TEST(GridStyle, FocusRectFollowsDrawStyleUntilSet)
{
    auto drawStyle = CreateUnique<TGridDrawStyleEh>(nullptr);
    TGridDrawStyleEh* saved = GetDefaultGridDrawStyle();
    SetDefaultGridDrawStyle(drawStyle.get());
    const auto restore = Finally([saved] { SetDefaultGridDrawStyle(saved); });
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);

    drawStyle->SetDrawFocusFrame(true);
    EXPECT_TRUE(style->IsDrawFocusRect());
    drawStyle->SetDrawFocusFrame(false);
    EXPECT_FALSE(style->IsDrawFocusRect());
    EXPECT_FALSE(style->IsDrawFocusRectStored());

    // Set to the value it already had: from now on it no longer follows the draw style.
    style->SetIsDrawFocusRect(false);
    drawStyle->SetDrawFocusFrame(true);
    EXPECT_FALSE(style->IsDrawFocusRect());
    EXPECT_TRUE(style->IsDrawFocusRectStored());
}

TEST(GridStyle, SortMarkerSizes)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    const struct {
        TSortMarkerStyleEh Style;
        TSize Want;
    } cases[] = {
        {smstDefaultEh, TSize(7, 8)},       // the default style's frame marker
        {smstThemeDefinedEh, TSize(7, 8)},  // no themed arrow here: the frame stands in
        {smstFrameEh, TSize(7, 8)},
        {smstClassicEh, TSize(8, 7)},
        {smst3DFrameEh, TSize(8, 7)},
        {smstSolidEh, TSize(9, 5)},
    };
    for (const auto& c : cases) {
        const TSize s = style->GetSortMarkerSize(nullptr, c.Style);
        EXPECT_EQ(s.cx, c.Want.cx) << int(c.Style);
        EXPECT_EQ(s.cy, c.Want.cy) << int(c.Style);
    }
    style->SetDefaultSortMarkerStyle(smstSolidEh);
    EXPECT_EQ(style->GetSortMarkerSize(nullptr, smstDefaultEh).cx, 9);
}

TEST(GridStyle, SortMarkersDrawTheirShapes)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    TBitmap bmp(20, 20);
    TCanvas* c = bmp.Canvas();
    const auto clear = [&] {
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(0, 0, 20, 20));
    };
    const auto countNonWhite = [&] {
        int n = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                n += Rgb(c->Pixels(x, y)) != clWhite;
        return n;
    };
    const TRect r(2, 2, 10, 10);
    const TSortMarkerStyleEh styles[] = {smstDefaultEh, smstClassicEh, smst3DFrameEh, smstFrameEh, smstSolidEh,
                                         smstThemeDefinedEh};
    for (TSortMarkerStyleEh s : styles) {
        clear();
        style->DrawSortMarker(c, s, nullptr, smNoneEh, false, r);
        EXPECT_EQ(countNonWhite(), 0) << "no marker in style " << int(s);
    }

    // The frame marker pointing up: its apex at the middle of the top edge, in the selection
    // text colour on a selected cell; the pen is given back.
    clear();
    c->Pen()->SetColor(clBlue);
    style->DrawSortMarker(c, smstFrameEh, nullptr, smUpEh, true, r);
    EXPECT_EQ(Rgb(c->Pixels(6, 2)), Rgb(clHighlightText));
    EXPECT_EQ(Rgb(c->Pixels(3, 10)), Rgb(clHighlightText));  // the base runs along the bottom
    EXPECT_EQ(c->Pen()->GetColor(), clBlue);

    // The solid marker pointing down: a 9-pixel top row narrowing to the point below it.
    clear();
    style->DrawSortMarker(c, smstSolidEh, nullptr, smDownEh, true, r);
    for (int x = 2; x < 11; ++x)
        EXPECT_EQ(Rgb(c->Pixels(x, 2)), Rgb(clHighlightText)) << x;
    EXPECT_EQ(Rgb(c->Pixels(11, 2)), clWhite);
    EXPECT_EQ(Rgb(c->Pixels(6, 6)), Rgb(clHighlightText));
    EXPECT_EQ(Rgb(c->Pixels(2, 6)), clWhite);
}

TEST(GridStyle, ThemeTitleFill)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    TRect r(10, 10, 50, 30);
    style->GetThemeTitleFillRect(r, true, false);
    EXPECT_EQ(r, TRect(10, 10, 52, 30));
    EXPECT_EQ(style->GetThemeTitleFillElement(false, false).State, tpsNormal);
    EXPECT_EQ(style->GetThemeTitleFillElement(false, true).State, tpsPressed);

    style->SetThemeTitleFillElement(gtfeSplitButtonEh);
    r = TRect(10, 10, 50, 30);
    style->GetThemeTitleFillRect(r, false, false);
    EXPECT_EQ(r, TRect(9, 9, 51, 31));
    EXPECT_EQ(style->GetThemeTitleFillElement(false, false).State, tpsHot);
}

TEST(GridStyle, HiddenWindowRemeasuresTheScreen)
{
    ScreenColorsGuard guard;
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    SetScreenNumColors(256);
    SendMessage(style->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(ScreenNumColors(), -1);
    // Other messages are answered and change nothing.
    SetScreenNumColors(256);
    EXPECT_EQ(SendMessage(style->WindowHandle(), WM_SETTINGCHANGE, 0, 0), 0);
    EXPECT_EQ(ScreenNumColors(), 256);
}

// ---- with grids ----

class GridStyleOnForm : public DBGridOverMemTableOf<CountingGrid> {};

TEST_F(GridStyleOnForm, PaintingChangesNotifyRegisteredGrids)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    grid->SetStyle(style.get());
    EXPECT_TRUE(style->GridInChangeNotification(grid));
    grid->StyleChanges = 0;

    style->SetLuminateSelection(false);
    style->SetLuminateSelection(false);   // unchanged: no notice
    style->SetSelectionColor(clRed);
    style->SetSortMarkerStyle(smstSolidEh);
    EXPECT_EQ(grid->StyleChanges, 3);
    // Settings the painters read on their own tell nobody.
    style->SetSelectionInactiveColor(clLime);
    style->SetDataCellHorzOffset(8);
    style->SetStartLoadingStatusRenderDuration(10);
    EXPECT_EQ(grid->StyleChanges, 3);
}

TEST_F(GridStyleOnForm, DestroyedStyleHandsGridsToTheDefault)
{
    auto* other = Create<CountingGrid>(form.get());
    auto* style = Create<TDBGridEhStyle>(nullptr);
    grid->SetStyle(style);
    other->SetStyle(style);
    delete style;
    EXPECT_EQ(grid->Style(), DBGridEhDefaultStyle());
    EXPECT_EQ(other->Style(), DBGridEhDefaultStyle());
    EXPECT_TRUE(DBGridEhDefaultStyle()->GridInChangeNotification(grid));
    EXPECT_TRUE(DBGridEhDefaultStyle()->GridInChangeNotification(other));
}

TEST_F(GridStyleOnForm, SubtitleAndGroupPanelColours)
{
    auto style = CreateUnique<TDBGridEhStyle>(nullptr);
    grid->SetColor(clWhite);
    grid->SetFixedColor(clBlack);
    EXPECT_EQ(Rgb(style->GetSubtitleRowColor(grid)), Rgb(BlendColors(clWhite, clBlack, 8)));
    struct Handler {
        void Get(TCustomDBGridEh*, TColor& Color) { Color = clRed; }
    } handler;
    style->OnGetSubtitleRowColor = TDBGridEhGetColorEvent(&handler, &Handler::Get);
    EXPECT_EQ(style->GetSubtitleRowColor(grid), clRed);
    EXPECT_EQ(Rgb(style->GetGroupPanelColor(grid)),
              Rgb(BlendColors(clBlack, grid->GridLineParams()->BrightColor(), 128)));
}

// The data-cell rules on a grid that has the focus or not.
class HighlightRules : public DBGridOverMemTable {
public:
    TDBGridEhStyle* style = nullptr;
    TFont font;

    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        style = grid->Style();
        ASSERT_NE(style, nullptr);
        style->SetLuminateSelection(true);
    }
    void Focus()
    {
        grid->SetFocus();
        PumpDBGrid();
        ASSERT_TRUE(grid->Focused());
    }
    // The current row's cell DataCol of the data rows; the grid row is the current one.
    bool Highlight(int DataCol, TGridDrawState State, bool MultiSelected, TColor& Color)
    {
        const int dataRow = grid->Row() - grid->TopDataOffset();
        return style->HighlightDataCellColor(grid, grid->DataToRawColumn(DataCol), grid->Row(), DataCol, dataRow,
                                             QString(), State, MultiSelected, Color, &font);
    }
};

TEST_F(HighlightRules, RowHighlightTintsTheCurrentRowOfAFocusedGrid)
{
    Focus();
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghRowHighlight});
    grid->SetCol(grid->DataToRawColumn(0));
    TColor color = clWindow;
    ASSERT_TRUE(Highlight(1, TGridDrawState{}, false, color));
    EXPECT_EQ(Rgb(color), Rgb(BlendColorsLight(clWindow, clHighlight, true)));

    // Without the focus highlight the row is plain again.
    grid->SetOptionsEh(grid->OptionsEh() - TDBGridEhOptions{dghHighlightFocus});
    color = clWindow;
    EXPECT_FALSE(Highlight(1, TGridDrawState{}, false, color));
    EXPECT_EQ(color, clWindow);

    // An update lock keeps selected cells plain while whole rows are not selected.
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghHighlightFocus});
    grid->BeginUpdate();
    color = clWindow;
    EXPECT_FALSE(Highlight(1, TGridDrawState{}, false, color));
    grid->EndUpdate();
}

TEST_F(HighlightRules, CurrentCellTakesTheSelectionColours)
{
    Focus();
    grid->SetCol(grid->DataToRawColumn(0));
    TColor color = clWindow;
    font.SetColor(clWindowText);
    ASSERT_TRUE(grid->GetSelectionActive());
    ASSERT_TRUE(Highlight(0, TGridDrawState{gdSelected, gdFocused}, false, color));
    EXPECT_EQ(color, clHighlight);
    EXPECT_EQ(font.GetColor(), clHighlightText);
}

TEST_F(HighlightRules, UnfocusedGridByScreen)
{
    ScreenColorsGuard guard;
    ASSERT_FALSE(grid->Focused());
    grid->SetOptions(grid->Options() | TDBGridOptions{dgAlwaysShowSelection});
    grid->SetCol(grid->DataToRawColumn(0));

    // The current cell of an unfocused grid: the inactive selection colour.
    TColor color = clWindow;
    ASSERT_TRUE(Highlight(0, TGridDrawState{gdSelected}, false, color));
    EXPECT_EQ(color, GrayColor(clHighlight));
    EXPECT_EQ(font.GetColor(), clHighlightText);

    // A selected record's other cell: lightened toward the shadow on a rich screen...
    color = clWindow;
    ASSERT_TRUE(Highlight(1, TGridDrawState{}, true, color));
    EXPECT_EQ(Rgb(color), Rgb(BlendColorsLight(clWindow, clBtnShadow, false)));
    // ...and the face colour without any tint on 256 colours.
    SetScreenNumColors(256);
    color = clWindow;
    ASSERT_TRUE(Highlight(1, TGridDrawState{}, true, color));
    EXPECT_EQ(color, clBtnFace);
}

TEST_F(HighlightRules, NonDataCells)
{
    ScreenColorsGuard guard;
    grid->SetFixedColor(clBtnFace);
    const TColor marked = BlendColors(TColor(RGB(64, 64, 64)), clHighlight, 63);
    const TColor lightened = BlendColorsLight(clBtnFace, clBtnShadow, false);
    const struct {
        THorzCellAreaTypeEh Horz;
        TVertCellAreaTypeEh Vert;
        bool MultiSelected;
        bool FooterLikeFixed;
        bool WantResult;
        TColor WantColor;
    } cases[] = {
        {hctIndicatorEh, vctDataEh, false, false, false, clBtnFace},    // not selected: untouched
        {hctIndicatorEh, vctDataEh, true, false, true, marked},
        {hctIndicatorEh, vctTitleEh, true, false, true, marked},
        {hctIndicatorEh, vctAboveFooterEh, true, false, true, lightened},
        {hctDataEh, vctTitleEh, true, false, true, marked},
        {hctDataEh, vctSubTitleEh, true, false, true, marked},
        {hctDataEh, vctFooterEh, true, true, true, marked},
        {hctDataEh, vctFooterEh, true, false, true, lightened},
    };
    for (const auto& c : cases) {
        grid->SetFooterColor(c.FooterLikeFixed ? clBtnFace : clWindow);
        TColor color = clBtnFace;
        font.SetColor(clWindowText);
        const bool result = style->HighlightNonDataCellColor(grid, 0, 0, 0, 0, TCellAreaTypeEh{c.Horz, c.Vert},
                                                             TGridDrawState{}, c.MultiSelected, color, &font);
        EXPECT_EQ(result, c.WantResult) << int(c.Horz) << int(c.Vert);
        EXPECT_EQ(Rgb(color), Rgb(c.WantColor)) << int(c.Horz) << int(c.Vert);
        if (Rgb(c.WantColor) == Rgb(marked)) {
            EXPECT_EQ(font.GetColor(), clWhite);
        }
    }
    SetScreenNumColors(256);
    TColor color = clWindow;
    style->HighlightNonDataCellColor(grid, 0, 0, 0, 0, TCellAreaTypeEh{hctIndicatorEh, vctAboveFooterEh},
                                     TGridDrawState{}, true, color, &font);
    EXPECT_EQ(color, clBtnFace);
}

// ---- fixed-cell backgrounds: what is left for the contents ----

class FixedBackground : public DBGridOnForm {};

TEST_F(FixedBackground, InsideRectByState)
{
    TDBGridEhStyle* style = grid->Style();
    const TRect cell(10, 10, 110, 40);
    const struct {
        const char* Name;
        bool Flat, FillInside, The3DRect, VertBorder, HorzBorder;
        TGridCellFillStyleEh Fill;
        TRect Want;
    } cases[] = {
        // Bevelled frame, filled: the frame takes one pixel all round, the fill one more at the sides.
        {"bevelled 3-D", false, true, true, false, false, cfstSolidEh, TRect(12, 11, 108, 39)},
        // Flat solid frame: the right edge is repainted in the fill colour instead of a bevel.
        {"flat 3-D", true, true, true, false, false, cfstSolidEh, TRect(12, 11, 107, 39)},
        {"flat plain", true, true, false, false, false, cfstSolidEh, TRect(12, 10, 108, 40)},
        // Borders in the fill style: the bottom line, the right line, then the sides.
        {"borders", false, true, false, true, true, cfstSolidEh, TRect(11, 10, 108, 39)},
        {"borders, caller fills", false, false, false, true, true, cfstSolidEh, TRect(11, 10, 109, 39)},
        {"themed", false, true, false, false, true, cfstThemedEh, TRect(12, 11, 108, 38)},
    };
    for (const auto& c : cases) {
        grid->SetFlat(c.Flat);
        TDBGirdDrawFixedStateEh st;
        st.FillStyle = c.Fill;
        st.FillColor = clBtnFace;
        st.The3DRect = c.The3DRect;
        st.VertBorderInFillStyle = c.VertBorder;
        st.HorzBorderInFillStyle = c.HorzBorder;
        st.HorzLineColor = clGray;
        st.VertLineColor = clGray;
        TRect inside;
        // The grid paints on its own canvas, here over a bitmap.
        TBitmap bmp(200, 60);
        TCanvas* canvas = grid->Canvas();
        canvas->SetHandle(bmp.Canvas()->Handle());
        style->DrawFixedCellBackground(grid, canvas, cell, c.FillInside, inside, TGridDrawState{}, st);
        canvas->SetHandle(nullptr);
        EXPECT_EQ(inside, c.Want) << c.Name;
    }
}

}  // namespace

namespace {

TEST_F(FixedBackground, TitleBackgroundTakesTheTitleLineColours)
{
    TDBGridEhStyle* style = grid->Style();
    grid->TitleParams()->SetHorzLineColor(clRed);
    grid->TitleParams()->SetVertLineColor(clBlue);
    grid->TitleParams()->SetFillStyle(cfstSolidEh);
    TDBGirdDrawTitleStateEh title;
    title.BackColor = clWhite;
    title.HorzBorderInFillStyle = true;
    title.VertBorderInFillStyle = true;
    TBitmap bmp(60, 30);
    TCanvas* canvas = grid->Canvas();
    canvas->SetHandle(bmp.Canvas()->Handle());
    TRect inside;
    style->DrawTitleCellBackground(grid, nullptr, canvas, TRect(0, 0, 40, 20), true, inside, TGridDrawState{}, title,
                                   TRect());
    canvas->SetHandle(nullptr);
    EXPECT_EQ(Rgb(bmp.Canvas()->Pixels(10, 19)), Rgb(clRed));    // the bottom line
    EXPECT_EQ(Rgb(bmp.Canvas()->Pixels(39, 10)), Rgb(clBlue));   // the right line inside the borders
    EXPECT_EQ(Rgb(bmp.Canvas()->Pixels(10, 10)), Rgb(clWhite));  // the fill
    EXPECT_EQ(inside, TRect(1, 0, 38, 19));
}

}  // namespace
