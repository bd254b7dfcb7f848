// The data hint of a data cell: shown when the text does not fit its text area (buttons always
// shown take their part of it), placed by the alignment, wrapping within the cell's width, and
// for check-box cells the pick-list text of the box's state.
#include "DrawFixture.h"
#include "support/AppEnvironment.h"

namespace {

class DataHintTest : public DrawDataTest {
protected:
    TDBAxisGridDataHintParamsEh Hint(TAxisBarEh* B, const TRect& Cell)
    {
        TDBAxisGridDataHintParamsEh p;
        p.CursorRect = Cell;
        p.HintStr = QStringLiteral("(left over)");
        grid->DefaultFillDataHintShowInfo(TPoint(Cell.Left + 2, Cell.Top + 2), GridCoord(1, 1), p, B);
        return p;
    }
};

TEST_P(DataHintTest, ATextThatFitsGetsNoHintAndOneThatDoesNotGetsItAtTheCell)
{
    TDrawTestBar* b = Bar(QStringLiteral("Name"));
    const QString text = QStringLiteral("Счёт-фактура 25 от 11.12.2026");
    const int w = TextWidth(b, text);
    const TRect roomy(40, 20, 40 + w + 10, 40);
    TDBAxisGridDataHintParamsEh p = Hint(b, roomy);
    EXPECT_TRUE(p.HintStr.isEmpty());

    const TRect narrow(40, 20, 40 + w / 2, 40);
    p = Hint(b, narrow);
    EXPECT_EQ(p.HintStr, text);
    EXPECT_EQ(p.CursorRect, narrow);
    // Left-justified: over the text, one pixel up (two in a flat grid).
    EXPECT_EQ(p.HintPos, TPoint(40, 19));
    grid->SetFlat(true);
    p = Hint(b, narrow);
    EXPECT_EQ(p.HintPos, TPoint(40, 18));
    EXPECT_EQ(p.HintMaxWidth, 0) << "no wrapping: no width limit";
}

TEST_P(DataHintTest, ButtonsShownAlwaysCoverARightAlignedTextThatWouldOtherwiseFit)
{
    TDrawTestBar* b = Bar(QStringLiteral("Name"));
    b->SetAlignment(taRightJustify);
    ds->First();
    const QString text = QStringLiteral("Счёт-фактура 25 от 11.12.2026");
    const int w = TextWidth(b, text);
    // Fits with 4 pixels of margin, but not once the buttons take their width.
    const TRect cell(0, 0, w + 4 + TDrawTestBar::ButtonsWidth / 2, 20);
    EXPECT_TRUE(Hint(b, cell).HintStr.isEmpty());
    b->SetAlwaysShowEditButton(true);
    const TDBAxisGridDataHintParamsEh p = Hint(b, cell);
    EXPECT_EQ(p.HintStr, text);
    const int R = cell.Right - TDrawTestBar::ButtonsWidth;
    EXPECT_EQ(p.CursorRect, TRect(0, 0, R, 20)) << "the hint stays valid over the text only";
    EXPECT_EQ(p.HintPos.X, R - w - 6 + 1) << "right-justified: against the text area's right edge";

    // The mouse over the buttons: they have their own hints, the text none.
    grid->SetHitTest(TPoint(R + 3, 5));
    EXPECT_TRUE(Hint(b, cell).HintStr.isEmpty());
}

TEST_P(DataHintTest, AWrappedTextTallerThanTheRowIsHintedWithinTheCellsWidth)
{
    TDrawTestBar* b = Bar(QStringLiteral("Name"));
    b->SetWordWrap(true);
    const QString text = QStringLiteral("Счёт-фактура 25 от 11.12.2026");
    const int w = TextWidth(b, text);
    const TRect oneLine(0, 0, w * 2 / 3, 22);
    const TDBAxisGridDataHintParamsEh p = Hint(b, oneLine);
    EXPECT_EQ(p.HintStr, text);
    EXPECT_EQ(p.HintMaxWidth, oneLine.Width() - 4);
    // Room for every line: no hint.
    EXPECT_TRUE(Hint(b, TRect(0, 0, w * 2 / 3, 200)).HintStr.isEmpty());
}

TEST_P(DataHintTest, ACheckBoxCellShowsThePickListTextOfItsState)
{
    TDrawTestBar* b = Bar(QStringLiteral("Done"));
    ASSERT_EQ(b->GetBarType(), ctCheckboxes);
    b->PickList()->Add(QStringLiteral("Не проверено"));
    b->PickList()->Add(QStringLiteral("Проверено"));
    const TRect cell(0, 0, 200, 20);
    ds->First();
    EXPECT_EQ(Hint(b, cell).HintStr, QStringLiteral("Проверено")) << "checked: the second item, however wide the cell";
    ds->Next();
    EXPECT_EQ(Hint(b, cell).HintStr, QStringLiteral("Не проверено"));
    // A pick list shorter than the state's index: nothing to show.
    ds->First();
    b->PickList()->Delete(1);
    EXPECT_TRUE(Hint(b, cell).HintStr.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Regimes, DataHintTest, ::testing::Values(DrawRegime::Memory, DrawRegime::Ado),
                         DrawRegimeName);

}  // namespace
