// The grid's mouse through real window events: title clicks and the sort-marker cycle with Ctrl
// for more columns, selecting records in the indicator, dragging a cell rectangle, right-button
// presses, and the start of column moving from a title.
#include "support/DBGridFixtures.h"
#include "support/DialogScript.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

using namespace testsupport;

namespace {

class GridMouse : public DBGridOverMemTable {
public:
    int sortChanges = 0;
    QList<QList<TColumnEh*>> sortedBy;

    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        grid->ColumnDefValues()->Title()->SetTitleButton(true);
        grid->OnSortMarkingChanged = TNotifyEvent([this](TObject*) {
            ++sortChanges;
            QList<TColumnEh*> cols;
            for (int i = 0; i < grid->SortMarkedColumns()->Count(); ++i)
                cols << grid->SortMarkedColumns()->Items(i);
            sortedBy << cols;
        });
    }

    TPoint CellPoint(int ACol, int ARow, int DY = 0)
    {
        const TRect r = grid->CellRect(ACol, ARow);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2 + DY);
    }
    void Send(QEvent::Type Type, TPoint Client, Qt::MouseButton Button, Qt::MouseButtons Buttons,
              Qt::KeyboardModifiers Mods)
    {
        QWidget* w = grid->Widget();
        const TPoint s = grid->ClientToScreen(Client);
        const QPoint g(s.X, s.Y);
        QMouseEvent e(Type, w->mapFromGlobal(g), g, Button, Buttons, Mods);
        QApplication::sendEvent(w, &e);
    }
    void Press(TPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier, Qt::MouseButton B = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonPress, P, B, B, Mods);
    }
    void Move(TPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        Send(QEvent::MouseMove, P, Qt::NoButton, Qt::LeftButton, Mods);
    }
    void Release(TPoint P, Qt::KeyboardModifiers Mods = Qt::NoModifier, Qt::MouseButton B = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonRelease, P, B, Qt::NoButton, Mods);
    }
    // Clicks a few pixels apart, so that two in a row are never taken for a double click.
    int nudge = 0;
    void Click(int ACol, int ARow, Qt::KeyboardModifiers Mods = Qt::NoModifier, Qt::MouseButton B = Qt::LeftButton)
    {
        nudge = nudge >= 4 ? -4 : nudge + 4;
        const TPoint p = CellPoint(ACol, ARow, nudge);
        Press(p, Mods, B);
        Release(p, Mods, B);
    }
    void ReleaseCtrl()
    {
        QKeyEvent e(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    TSortMarkerEh Marker(int DataCol)
    {
        return static_cast<TColumnTitleEh*>(grid->Columns()->Items(DataCol)->Title())->SortMarker();
    }
    int DataRow(int Code) { return grid->TopDataOffset() + Code - 1; }
    QList<int> SelectedCodes()
    {
        QList<int> codes;
        for (int i = 0; i < grid->SelectedRows()->Count(); ++i) {
            TBookmark b = table->Bookmark();
            table->GotoBookmark(grid->SelectedRows()->GetItem(i));
            codes << table->FieldByName(QStringLiteral("Code"))->AsInteger();
            table->GotoBookmark(b);
        }
        return codes;
    }
};

TEST_F(GridMouse, PlainTitleClicksToggleTheDirectionAndSortEachTime)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoSortMarking});
    const int code = grid->DataToRawColumn(0);   // an integer column starts descending
    Click(code, 0);
    EXPECT_EQ(Marker(0), smDownEh);
    Click(code, 0);
    EXPECT_EQ(Marker(0), smUpEh);
    Click(code, 0);
    EXPECT_EQ(Marker(0), smDownEh);
    EXPECT_EQ(sortChanges, 3);

    // A plain click on another title leaves only that one marked; text starts ascending.
    Click(grid->DataToRawColumn(1), 0);
    EXPECT_EQ(Marker(0), smNoneEh);
    EXPECT_EQ(Marker(1), smUpEh);
}

TEST_F(GridMouse, CtrlClicksCycleToNoneAndSortOnceWhenCtrlIsReleased)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoSortMarking, dghMultiSortMarking});
    const int code = grid->DataToRawColumn(0), name = grid->DataToRawColumn(1), kind = grid->DataToRawColumn(3);
    Click(kind, 0, Qt::ControlModifier);
    Click(code, 0, Qt::ControlModifier);
    Click(name, 0, Qt::ControlModifier);
    EXPECT_EQ(sortChanges, 0) << "the sorting waits for Ctrl";
    ReleaseCtrl();
    ASSERT_EQ(sortChanges, 1);
    TDBGridColumnsEh* c = grid->Columns();
    EXPECT_EQ(sortedBy.back(), (QList<TColumnEh*>{c->Items(3), c->Items(0), c->Items(1)}));
    ReleaseCtrl();
    EXPECT_EQ(sortChanges, 1) << "a second release sorts nothing";

    // Ctrl on one column: first state, the other direction, then no marker.
    Click(code, 0, Qt::ControlModifier);
    EXPECT_EQ(Marker(0), smUpEh);
    Click(code, 0, Qt::ControlModifier);
    EXPECT_EQ(Marker(0), smNoneEh);
    ReleaseCtrl();
    EXPECT_EQ(sortedBy.back(), (QList<TColumnEh*>{c->Items(3), c->Items(1)}));
}

TEST_F(GridMouse, ATitleReleasedElsewhereIsNoClickAndWithoutAutoMarkingNothingIsMarked)
{
    const int code = grid->DataToRawColumn(0);
    int clicks = 0;
    grid->OnTitleBtnClick = TTitleEhClickEvent([&](TObject*, int, TColumnEh*) { ++clicks; });
    Press(CellPoint(code, 0));
    EXPECT_TRUE(grid->TitlePressed());
    Release(CellPoint(code, DataRow(2)));
    EXPECT_FALSE(grid->TitlePressed());
    EXPECT_EQ(clicks, 0);
    Click(code, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Marker(0), smNoneEh);
    EXPECT_EQ(sortChanges, 0);
}

TEST_F(GridMouse, ATitleDraggedMoreThanThreePixelsStartsColumnMoving)
{
    const TPoint p = CellPoint(grid->DataToRawColumn(1), 0);
    Press(p);
    Move(TPoint(p.X + 3, p.Y));
    EXPECT_TRUE(grid->Tracking());
    EXPECT_EQ(grid->GridState(), gsNormalEh);
    Move(TPoint(p.X + 4, p.Y));
    EXPECT_FALSE(grid->Tracking());
    EXPECT_EQ(grid->GridState(), gsColMovingEh);
    Release(TPoint(p.X + 4, p.Y));
    EXPECT_EQ(grid->GridState(), gsNormalEh);
}

TEST_F(GridMouse, IndicatorClicksSelectRecordsWithCtrlAndShift)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgMultiSelect});
    Click(0, DataRow(1));
    EXPECT_EQ(SelectedCodes(), QList<int>{1});
    // A plain click starts again; Ctrl adds.
    Click(0, DataRow(2));
    EXPECT_EQ(SelectedCodes(), QList<int>{2});
    Click(0, DataRow(3), Qt::ControlModifier);
    EXPECT_EQ(SelectedCodes(), (QList<int>{2, 3}));
    Click(0, DataRow(3), Qt::ControlModifier);
    EXPECT_EQ(SelectedCodes(), QList<int>{2});
    EXPECT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);

    // Shift from the current record (3) up to the first selects the range between them.
    Click(0, DataRow(3));
    ASSERT_EQ(SelectedCodes(), QList<int>{3});
    Click(0, DataRow(1), Qt::ShiftModifier);
    EXPECT_EQ(SelectedCodes(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 1);
}

TEST_F(GridMouse, DraggingOverTheIndicatorSelectsAndDraggingBackDeselects)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgMultiSelect});
    Press(CellPoint(0, DataRow(1)));
    Move(CellPoint(0, DataRow(3)));
    EXPECT_EQ(SelectedCodes(), (QList<int>{1, 2, 3}));
    Move(CellPoint(0, DataRow(2)));
    Release(CellPoint(0, DataRow(2)));
    EXPECT_EQ(SelectedCodes(), (QList<int>{1, 2}));
}

TEST_F(GridMouse, DraggingOverDataCellsSelectsARectangle)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgMultiSelect});
    Press(CellPoint(grid->DataToRawColumn(1), DataRow(1)));
    Move(CellPoint(grid->DataToRawColumn(2), DataRow(3)));
    Release(CellPoint(grid->DataToRawColumn(2), DataRow(3)));
    ASSERT_EQ(grid->Selection()->SelectionType(), gstRectangle);
    TDBGridEhSelectionRect* r = grid->Selection()->Rect();
    EXPECT_EQ(r->LeftCol(), 1);
    EXPECT_EQ(r->RightCol(), 2);
    const TBookmark top = r->TopRow(), bottom = r->BottomRow();
    table->GotoBookmark(top);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 1);
    table->GotoBookmark(bottom);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 3);

    // A right-button press inside keeps it; one outside clears it.
    Click(grid->DataToRawColumn(1), DataRow(2), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(grid->Selection()->SelectionType(), gstRectangle);
    Click(grid->DataToRawColumn(3), DataRow(2), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
}

TEST_F(GridMouse, AClickOnADataCellMovesTheRecordAndTheCurrentColumn)
{
    int clicked = 0;
    grid->OnCellClick = TDBGridClickEvent([&](TColumnEh*) { ++clicked; });
    Click(grid->DataToRawColumn(2), DataRow(3));
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(clicked, 1);
}

TEST(GridMouseSorting, ATitleOfABinaryColumnRefusesToSortAndKeepsItsMarker)
{
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    auto* grid = Create<TDBGridEh>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 380, 280);
    auto* table = Create<TMemTableEh>(form.get());
    table->FieldDefs()->Add(QStringLiteral("Data"), ftBlob);
    table->CreateDataSet();
    table->Append();
    table->Post();
    auto* src = Create<TDataSource>(form.get());
    src->SetDataSet(table);
    grid->SetDataSource(src);
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoSortMarking});
    grid->ColumnDefValues()->Title()->SetTitleButton(true);
    form->Show();
    PumpDBGrid();

    QStringList errors;
    TDialogScript script;
    script.Then([&](TDialogCall& c) {
        errors << c.Text;
        return IDOK;
    });
    const TRect r = grid->CellRect(grid->DataToRawColumn(0), 0);
    const TPoint s = grid->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    QWidget* w = grid->Widget();
    const QPoint g(s.X, s.Y);
    QMouseEvent press(QEvent::MouseButtonPress, w->mapFromGlobal(g), g, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, w->mapFromGlobal(g), g, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
    // The error box ends the message with a full stop.
    EXPECT_EQ(errors.join(u'|').toStdString(), "Сортировка по этому полю невозможна.");
    EXPECT_EQ(static_cast<TColumnTitleEh*>(grid->Columns()->Items(0)->Title())->SortMarker(), smNoneEh);
}

}  // namespace
