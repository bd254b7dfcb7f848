// The drawing unit's small routines: picture scaling, button alpha, light tints, font snapshots,
// fields read as integers, text measuring and taking a posted message out of the queue.
#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"
#include "support/AppEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaledPictureSize, ShrinksProportionallyAndKeepsWhatFits)
{
    struct Case {
        int picW, picH;
        TRect rect;
        int w, h;
    } cases[] = {
        {200, 100, TRect(0, 0, 100, 100), 100, 50},   // wider than tall: the width decides
        {100, 300, TRect(0, 0, 100, 100), 33, 100},    // taller: the height decides (33.3 rounds down)
        {50, 40, TRect(10, 10, 110, 110), 50, 40},     // fits: its own size
        {150, 150, TRect(0, 0, 100, 60), 60, 60},      // square into a flat cell
        {8, 5, TRect(0, 0, 4, 4), 4, 2},               // 2.5 rounds to even
    };
    for (const Case& c : cases) {
        const TSize s = ScaledPictureSize(c.picW, c.picH, c.rect);
        EXPECT_EQ(s.cx, c.w) << c.picW << "x" << c.picH;
        EXPECT_EQ(s.cy, c.h) << c.picW << "x" << c.picH;
    }
}

TEST(ScaledPictureSize, AnEmptyRectangleGetsNothingInsteadOfDividingByZero)
{
    for (const TRect& r : {TRect(0, 0, 0, 100), TRect(0, 0, 100, 0), TRect(5, 5, 5, 5), TRect(10, 10, 4, 4)}) {
        const TSize s = ScaledPictureSize(200, 100, r);
        EXPECT_EQ(s.cx, 0);
        EXPECT_EQ(s.cy, 0);
    }
    EXPECT_EQ(ScaledPictureSize(0, 0, TRect(0, 0, 10, 10)).cx, 0);
}

TEST(EditButtonAlpha, TransparencyInPercentBecomesATruncatedAlpha)
{
    EXPECT_EQ(EditButtonAlphaEh(0), 255);
    EXPECT_EQ(EditButtonAlphaEh(30), 178);
    EXPECT_EQ(EditButtonAlphaEh(80), 51);
    EXPECT_EQ(EditButtonAlphaEh(100), 0);
}

TEST(BlendColorsLight, MixesHalfWayThenLightensAndOptionallyUngrays)
{
    // Black and white: m = 127.5, v = 127.5 + 97.5 * 0.6 = 186; ungrayed 186 - (122 - 186) / 4 = 202.
    EXPECT_EQ(BlendColorsLight(clBlack, clWhite, false), TColor(RGB(186, 186, 186)));
    EXPECT_EQ(BlendColorsLight(clBlack, clWhite, true), TColor(RGB(202, 202, 202)));
    // Channels apart: red 255 and 0 with blue; m = 127.5 (R, B), 0 (G): v = 186 and 135.
    EXPECT_EQ(BlendColorsLight(clRed, clBlue, false), TColor(RGB(186, 135, 186)));
    // White ungrayed: 237 + 28.75 lies above 255 and is clamped.
    EXPECT_EQ(BlendColorsLight(clWhite, clWhite, false), TColor(RGB(237, 237, 237)));
    EXPECT_EQ(BlendColorsLight(clWhite, clWhite, true), TColor(RGB(255, 255, 255)));
}

TEST(FontData, RoundTripSetsOnlyWhatDiffers)
{
    TFont source;
    source.SetName(QStringLiteral("DejaVu Sans"));
    source.SetHeight(-15);
    source.SetStyle(TFontStyles{fsBold});
    source.SetColor(clRed);
    TFontDataEh data;
    AssignFontToFontData(&source, data);

    TFont target;
    int changes = 0;
    struct Counter : TObject {
        int* n;
        void Changed(TObject*) { ++*n; }
    } counter;
    counter.n = &changes;
    target.OnChange = TNotifyEvent(&counter, &Counter::Changed);
    AssignFontDataToFont(data, &target);
    EXPECT_TRUE(target.Equals(&source));
    const int afterFirst = changes;
    EXPECT_GT(afterFirst, 0);
    AssignFontDataToFont(data, &target);
    EXPECT_EQ(changes, afterFirst) << "an equal snapshot changes nothing";
}

class FieldAsIntegerTest : public ::testing::Test {
protected:
    std::unique_ptr<TMemTableEh> table = CreateUnique<TMemTableEh>(nullptr);
    void SetUp() override
    {
        table->FieldDefs()->Add(QStringLiteral("Small"), ftSmallint);
        table->FieldDefs()->Add(QStringLiteral("Big"), ftLargeint);
        table->FieldDefs()->Add(QStringLiteral("Flt"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Cur"), ftCurrency);
        table->FieldDefs()->Add(QStringLiteral("Bcd"), ftBCD);
        table->FieldDefs()->Add(QStringLiteral("Str"), ftString, 10);
        table->CreateDataSet();
    }
    TField* F(const char* name) { return table->FieldByName(QString::fromLatin1(name)); }
};

TEST_F(FieldAsIntegerTest, FitsOrGivesTheDefault)
{
    table->AppendRecord({Variant(7), Variant(int64_t(5)), Variant(12.0), Variant(42.0), Variant(99.0),
                         Variant(QStringLiteral("5"))});
    table->AppendRecord({Variant(-3), Variant(int64_t(3000000000LL)), Variant(3e10), Variant(1e11),
                         Variant::Null(), Variant::Null()});
    table->First();
    EXPECT_EQ(FieldAsInteger(F("Small"), -1), 7);
    EXPECT_EQ(FieldAsInteger(F("Big"), -1), 5);
    EXPECT_EQ(FieldAsInteger(F("Flt"), -1), 12);
    EXPECT_EQ(FieldAsInteger(F("Cur"), -1), 42);
    EXPECT_EQ(FieldAsInteger(F("Bcd"), -1), 99);
    EXPECT_EQ(FieldAsInteger(F("Str"), -1), -1) << "text is no number here";
    EXPECT_EQ(FieldAsInteger(nullptr, -9), -9);

    table->Next();
    EXPECT_EQ(FieldAsInteger(F("Small"), -1), -3);
    EXPECT_EQ(FieldAsInteger(F("Big"), -1), -1) << "beyond 32 bits";
    EXPECT_EQ(FieldAsInteger(F("Flt"), -1), -1) << "beyond 32 bits";
    // A money value far beyond 32 bits would wrap if read as an integer.
    EXPECT_EQ(FieldAsInteger(F("Cur"), -1), -1);
    EXPECT_EQ(FieldAsInteger(F("Bcd"), -1), -1) << "Null";
}

TEST(DrawGridText, TellsWhetherTextFitsACell)
{
    TBitmap bmp(10, 10);
    TCanvas* c = bmp.Canvas();
    c->Font()->SetName(QStringLiteral("DejaVu Sans"));
    c->Font()->SetHeight(-12);
    const int wide = c->TextWidth(QStringLiteral("Сверка НДС"));
    const int high = c->TextHeight(QStringLiteral("Сверка НДС"));
    int h = 0, w = 0;
    // Room for the text plus the 4 pixels of margin: fits.
    const TRect roomy(0, 0, wide + 4, high + 4 - 1);
    EXPECT_FALSE(DrawGridText(0, c, 0, false, taLeftJustify, h, w, true, false, roomy, QStringLiteral("Сверка НДС"), 4));
    EXPECT_EQ(w, wide);
    EXPECT_EQ(h, high);
    // One pixel narrower: does not fit.
    const TRect narrow(0, 0, wide + 3, high + 3);
    EXPECT_TRUE(DrawGridText(0, c, 0, false, taLeftJustify, h, w, true, false, narrow, QStringLiteral("Сверка НДС"), 4));
    // A right margin and an end ellipsis of a right-aligned text take room as well.
    EXPECT_TRUE(DrawGridText(0, c, 2, false, taLeftJustify, h, w, true, false, roomy, QStringLiteral("Сверка НДС"), 4));
    EXPECT_TRUE(DrawGridText(0, c, 0, true, taRightJustify, h, w, true, false, roomy, QStringLiteral("Сверка НДС"), 4));
    EXPECT_FALSE(DrawGridText(0, c, 0, true, taLeftJustify, h, w, true, false, roomy, QStringLiteral("Сверка НДС"), 4));
    // Too low for the line: does not fit.
    const TRect low(0, 0, wide + 40, high + 4 - 2);
    EXPECT_TRUE(DrawGridText(0, c, 0, false, taLeftJustify, h, w, true, false, low, QStringLiteral("Сверка НДС"), 4));
    // Word wrap in a narrow cell needs two lines: taller than one.
    const TRect twoLines(0, 0, wide, 200);
    EXPECT_FALSE(DrawGridText(0, c, 0, false, taLeftJustify, h, w, false, true, twoLines, QStringLiteral("Сверка НДС"), 4));
    EXPECT_GT(h, high);
    // A cell narrower than the margins: measured 1 pixel wide, never fits.
    EXPECT_TRUE(DrawGridText(0, c, 0, false, taLeftJustify, h, w, true, false, TRect(0, 0, 3, 100), QStringLiteral("a"), 4));
}

TEST(KillMessage, TakesOnePostedMessageOfThatKindForTheWindow)
{
    auto form = CreateUnique<TForm>(nullptr);
    auto* other = Create<TForm>(form.get());
    HWND w = form->Handle(), o = other->Handle();
    constexpr UINT Msg = WM_USER + 77;
    TMsg m;
    while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) {
    }
    PostMessage(w, Msg, 1, 0);
    PostMessage(o, Msg, 2, 0);
    PostMessage(w, Msg, 3, 0);
    PostMessage(w, WM_USER + 78, 4, 0);
    KillMessage(w, Msg);
    ASSERT_TRUE(PeekMessage(m, w, Msg, Msg, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, WPARAM(3)) << "the oldest one went";
    EXPECT_TRUE(PeekMessage(m, o, Msg, Msg, PM_NOREMOVE)) << "another window's stays";
    EXPECT_TRUE(PeekMessage(m, w, WM_USER + 78, WM_USER + 78, PM_NOREMOVE)) << "another kind stays";
    while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(GridRect, RaiseGridError)
{
    const TGridRect r = GridRect(1, 2, 3, 4);
    EXPECT_EQ(r, (TGridRect{1, 2, 3, 4}));
    EXPECT_THROW(RaiseGridError(QStringLiteral("Grid index out of range")), EInvalidGridOperationEh);
}

}  // namespace

namespace {

TEST(EditStyleButtons, EveryEditStyleHasItsButtonFace)
{
    const std::pair<TEditStyle, TEditButtonStyleEh> cases[] = {
        {esSimple, ebsDropDownEh},         {esPickList, ebsDropDownEh},       {esLookupDataList, ebsDropDownEh},
        {esDateCalendar, ebsDropDownEh},   {esDropDown, ebsDropDownEh},       {esDataList, ebsDropDownEh},
        {esEllipsis, ebsEllipsisEh},       {esUpDown, ebsUpDownEh},           {esAltUpDown, ebsAltUpDownEh},
        {esAltDropDown, ebsAltDropDownEh}, {esAltCalendar, ebsAltDropDownEh}, {esAltPickList, ebsAltDropDownEh},
        {esAltLookupDataList, ebsAltDropDownEh}, {esAltDataList, ebsAltDropDownEh},
    };
    for (const auto& [style, face] : cases)
        EXPECT_EQ(EditStyleButtonStyleEh(style), face) << int(style);
}

}  // namespace

namespace {

TEST(AxisGridCursors, TheSelectionArrowsComeFromTheProgramsResources)
{
    ASSERT_NE(Screen, nullptr);
    LoadDBAxisGridsEhCursors({QStringLiteral("DOWNCUREH"), QStringLiteral("RIGHTCUREH"), QStringLiteral("LEFTCUREH")});
    EXPECT_EQ(Screen->CursorResource(crDownArrowEh), QStringLiteral(":/cursors/DOWNCUREH.png"));
    EXPECT_EQ(Screen->CursorResource(crRightArrowEh), QStringLiteral(":/cursors/RIGHTCUREH.png"));
    EXPECT_EQ(Screen->CursorResource(crLeftArrowEh), QStringLiteral(":/cursors/LEFTCUREH.png"));
    // A missing one stops the loading with the resource error.
    try {
        LoadDBAxisGridsEhCursors({QStringLiteral("DOWNCUREH"), QStringLiteral("NOSUCHCUREH")});
        FAIL() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot load cursor resource"));
    }
}

TEST(GridToolTipsWindow, MeasuresWithTheFontHandedOverInTheWindowTextColour)
{
    auto hint = CreateUnique<TGridToolTipsWindowEh>(nullptr);
    TFont big;
    big.SetName(QStringLiteral("DejaVu Sans"));
    big.SetHeight(-24);
    big.SetColor(clRed);
    TFont small;
    small.Assign(&big);
    small.SetHeight(-10);
    const QString text = QStringLiteral("Счёт-фактура не найдена");
    const TRect wide = hint->CalcHintRect(1000, text, &big);
    EXPECT_EQ(hint->Canvas()->Font()->GetHeight(), -24);
    EXPECT_EQ(hint->Canvas()->Font()->GetColor(), clWindowText);
    const TRect narrow = hint->CalcHintRect(1000, text, &small);
    EXPECT_GT(wide.Width(), narrow.Width());
    EXPECT_GT(wide.Height(), narrow.Height());
}

}  // namespace
