// The grid's mouse on a real X server: two titles sorted by Ctrl-clicks, the sorting applied when
// Ctrl is let go in the focused grid; selected rows painted in the indicator with their check
// boxes.
#include "support/XvfbEnvironment.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "support/ScreenPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

using namespace testsupport;

namespace {

class GridMouseOnXServer : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form;
    TDBGridEh* grid = nullptr;
    TMemTableEh* table = nullptr;

    void SetUp() override
    {
        if (!XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        form = CreateUnique<TForm>(nullptr);
        form->SetBounds(60, 320, 420, 220);
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        table->CreateDataSet();
        for (int i = 1; i <= 4; ++i)
            table->AppendRecord({Variant(i), Variant(QStringLiteral("Имя %1").arg(5 - i))});
        table->First();
        auto* src = Create<TDataSource>(form.get());
        src->SetDataSet(table);
        grid = Create<TDBGridEh>(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(5, 5, 400, 200);
        grid->SetDataSource(src);
        grid->ColumnDefValues()->Title()->SetTitleButton(true);
        ShowAndFocus(form.get(), grid);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        WaitEvents(100);
    }
    TPoint CellPoint(int ACol, int ARow, int DY = 0)
    {
        const TRect r = grid->CellRect(ACol, ARow);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2 + DY);
    }
    void Click(TPoint P, Qt::KeyboardModifiers Mods)
    {
        QWidget* w = grid->Widget();
        const TPoint s = grid->ClientToScreen(P);
        const QPoint g(s.X, s.Y);
        QMouseEvent press(QEvent::MouseButtonPress, w->mapFromGlobal(g), g, Qt::LeftButton, Qt::LeftButton, Mods);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, w->mapFromGlobal(g), g, Qt::LeftButton, Qt::NoButton, Mods);
        QApplication::sendEvent(w, &release);
        WaitEvents(50);
    }
};

TEST_F(GridMouseOnXServer, CtrlClickedTitlesSortOnceWhenCtrlIsLetGoInTheFocusedGrid)
{
    ASSERT_EQ(QApplication::focusWidget(), grid->Widget());
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoSortMarking, dghMultiSortMarking});
    QList<int> counts;
    grid->OnSortMarkingChanged = TNotifyEvent([&](TObject*) { counts << grid->SortMarkedColumns()->Count(); });

    Click(CellPoint(grid->DataToRawColumn(1), 0), Qt::ControlModifier);
    Click(CellPoint(grid->DataToRawColumn(0), 0), Qt::ControlModifier);
    EXPECT_TRUE(counts.isEmpty());
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &up);
    EXPECT_EQ(counts, QList<int>{2});
    EXPECT_EQ(grid->SortMarkedColumns()->Items(0), grid->Columns()->Items(1));
    EXPECT_EQ(static_cast<TColumnTitleEh*>(grid->Columns()->Items(1)->Title())->SortIndex(), 1);
    EXPECT_EQ(static_cast<TColumnTitleEh*>(grid->Columns()->Items(0)->Title())->SortIndex(), 2);
}

TEST_F(GridMouseOnXServer, SelectedRowsShowTheirCheckBoxAndHighlightInTheIndicator)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgMultiSelect});
    grid->SetIndicatorOptions(TDBGridEhIndicatorOptions{gioShowRowIndicatorEh, gioShowRowselCheckboxesEh});
    WaitEvents(100);
    const int top = grid->TopDataOffset();
    // With check boxes a plain click toggles, so two rows end up selected.
    Click(CellPoint(0, top + 1), Qt::NoModifier);
    Click(CellPoint(0, top + 2, 3), Qt::NoModifier);
    ASSERT_EQ(grid->SelectedRows()->Count(), 2);
    grid->Repaint();
    WaitEvents(100);

    const QImage shot = ScreenShot(grid);
    const TPoint origin = grid->ClientToScreen(TPoint(0, 0));
    const QPoint w0 = grid->Widget()->mapToGlobal(QPoint(0, 0));
    auto box = [&](int ARow) {
        const TRect r = grid->CellRect(0, ARow);
        const int checkRight = r.Right - 11;
        const QRect area(origin.X - w0.x() + checkRight - grid->RowselCheckboxesWidth(), origin.Y - w0.y() + r.Top,
                         grid->RowselCheckboxesWidth(), r.Height());
        return shot.copy(area);
    };
    EXPECT_NE(box(top), box(top + 1)) << "unselected and selected rows look the same";
    EXPECT_EQ(box(top + 1), box(top + 2)) << "the second selected row looks like the first";
    EXPECT_EQ(box(top), box(top + 3)) << "the unselected rows alike";
}

}  // namespace
