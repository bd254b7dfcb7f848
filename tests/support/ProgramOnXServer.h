// The program as a user meets it, on the real X server, its window shown at a fixed size.
// Everything the user does goes in as mouse and key events to the window's widgets; the
// dialog script answers the file dialogs and message boxes.
#pragma once

#include "support/XvfbEnvironment.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "support/ProgramFixture.h"
#include "support/ScreenPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QRegularExpression>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace journey {

// The window's client area as the form resource gives it, so pictures compare.
constexpr int kClientWidth = 1087, kClientHeight = 669;

class ProgramOnXServer : public ::testing::Test, protected testsupport::TProgramUnderTest {
protected:
    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        // a blinking caret would make every picture a gamble
        QApplication::setCursorFlashTime(0);
    }

    // The catalogs of a small organisation, then the program as it starts. The window centres
    // itself as it shows, so its size is set before: a window made larger once shown would
    // reach past the screen's edge.
    void StartProgram(int Size = 4, int ClientWidth = kClientWidth, int ClientHeight = kClientHeight)
    {
        demo::TDemoOptions o;
        o.Size = Size;
        ASSERT_NO_FATAL_FAILURE(WriteCatalogs(o));
        ASSERT_NO_FATAL_FAILURE(StartDataModule());
        OpenWindow();
        w->SetClientWidth(ClientWidth);
        w->SetClientHeight(ClientHeight);
        w->Show();
        testsupport::WaitEvents(300);
        for (int i = 0; i < 30 && !w->Widget()->isActiveWindow(); ++i) {
            w->Widget()->activateWindow();
            testsupport::WaitEvents(100);
        }
    }

    void TearDown() override
    {
        CloseProgram();
        testsupport::WaitEvents(50);
    }

    // Waits until the job a command started has handed the window back, and lets the
    // screen catch up.
    bool WaitForJob()
    {
        const bool ended = TProgramUnderTest::WaitForJob();
        testsupport::WaitEvents(100);
        return ended;
    }

    // ---- the user's hands ----

    static QPoint Global(TControl* c, TPoint p)
    {
        const TPoint s = c->ClientToScreen(p);
        return QPoint(s.X, s.Y);
    }
    // A press and a release of a mouse button at a client point of the control.
    static void Click(TWinControl* c, TPoint p, Qt::MouseButton Button = Qt::LeftButton,
                      Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        QWidget* widget = c->Widget();
        const QPoint g = Global(c, p);
        QMouseEvent press(QEvent::MouseButtonPress, widget->mapFromGlobal(g), g, Button, Button, Mods);
        QApplication::sendEvent(widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, widget->mapFromGlobal(g), g, Button, Qt::NoButton, Mods);
        QApplication::sendEvent(widget, &release);
        testsupport::WaitEvents(30);
    }
    // A click in the middle of a button, check box and the like.
    static void Click(TWinControl* c)
    {
        const TRect r = c->ClientRect();
        Click(c, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    // A key pressed and let go where the keyboard is (the window when nothing has it).
    void Key(int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w->Widget();
        QKeyEvent down(QEvent::KeyPress, QtKey, Mods);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, QtKey, Mods);
        QApplication::sendEvent(target, &up);
        testsupport::WaitEvents(30);
    }
    // Characters typed where the keyboard is.
    static void Type(const QString& Text)
    {
        for (const QChar ch : Text) {
            QWidget* target = QApplication::focusWidget();
            if (!target)
                return;
            const int key = ch.isDigit() ? Qt::Key_0 + ch.digitValue() : int(ch.unicode());
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &down);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &up);
        }
        testsupport::WaitEvents(30);
    }
    // A date typed into a date picker, part by part from its first. Typed twice: the first
    // pass may meet a day the month of the picker's old year has not (29 February).
    static void TypeDate(TDateTimePicker* Picker, const QDate& Date)
    {
        QString digits = FormatDateTime(FormatSettings.ShortDateFormat, EncodeDate(Date.year(), Date.month(), Date.day()));
        digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        for (int pass = 0; pass < 2; ++pass) {
            const TRect part = Picker->PartRect(0);
            Click(Picker, TPoint((part.Left + part.Right) / 2, (part.Top + part.Bottom) / 2));
            Type(digits);
        }
    }
    // Ctrl let go after a run of Ctrl-clicks.
    static void ReleaseCtrl()
    {
        QWidget* target = QApplication::focusWidget();
        if (!target)
            return;
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
        testsupport::WaitEvents(30);
    }

    // ---- the result grid as the user sees it ----

    TDBGridEh* Grid() const { return w->InvDBGridEh; }
    TDataSet* GridData(TDBGridEh* g) const { return g->DataSource() ? g->DataSource()->DataSet() : nullptr; }
    TGridGroupDataTreeEh* Tree() const { return Grid()->DataGrouping()->GroupDataTree(); }

    // The grid row of a node of the flat list of visible rows.
    int RowOfFlatIndex(int i) { return Grid()->TopDataOffset() + i; }
    int FlatIndexOfGroup(const QString& Name)
    {
        for (int i = 0; i < Tree()->FlatVisibleCount(); ++i) {
            TGroupDataTreeNodeEh* n = Tree()->GetFlatVisibleItem(i);
            if (n->NodeType() == dntDataGroupEh && n->DisplayValue() == Name)
                return i;
        }
        return -1;
    }
    // One notch of the mouse wheel over the grid (up or down).
    void Wheel(bool Down)
    {
        QWidget* widget = Grid()->Widget();
        const QPoint local(widget->width() / 2, widget->height() / 2);
        QWheelEvent e(local, widget->mapToGlobal(local), QPoint(), QPoint(0, Down ? -120 : 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &e);
        testsupport::WaitEvents(10);
    }
    // The wheel turned until the grid row is in view (a row above the top one is not on the
    // screen, so nothing of it can be clicked).
    void WheelIntoView(int ARow)
    {
        for (int i = 0; i < 1000; ++i) {
            const int top = Grid()->TopRow();
            if (ARow < top)
                Wheel(false);
            else if (ARow >= top + Grid()->VisibleRowCount())
                Wheel(true);
            else
                return;
        }
    }
    // A point of the grid row where the hit test finds what Hit asks for (x scanned left to
    // right), the row wheeled into view first.
    TPoint FindInRow(int ARow, const std::function<bool(int X, int Y)>& Hit)
    {
        WheelIntoView(ARow);
        // the result grid's column 0 is hidden: its rectangle is empty
        const TRect first = Grid()->CellRect(Grid()->DataToRawColumn(Grid()->FirstVisibleColumn()->Index()), ARow);
        const int y = (first.Top + first.Bottom) / 2;
        for (int x = 0; x < Grid()->ClientWidth(); ++x)
            if (Hit(x, y))
                return TPoint(x, y);
        return TPoint(-1, -1);
    }
    // The middle of the lower title line of a column (the upper one may be a shared caption).
    TPoint TitlePoint(int DataCol)
    {
        const TRect r = Grid()->CellRect(Grid()->DataToRawColumn(DataCol), 0);
        return TPoint((r.Left + r.Right) / 2, r.Bottom - 5);
    }
    // A row of the result scrolled into view is clicked in the given column.
    void ClickRow(int FlatIndex, int DataCol)
    {
        WheelIntoView(RowOfFlatIndex(FlatIndex));
        const TRect r = Grid()->CellRect(Grid()->DataToRawColumn(DataCol), RowOfFlatIndex(FlatIndex));
        Click(Grid(), TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }

    // ---- the summary database, read aside of the window ----

    // The first column of a query's rows.
    std::vector<Variant> SqlColumn(const QString& Sql)
    {
        std::vector<Variant> out;
        auto r = dm->SvodMDBConnection->Session().Open(Sql);
        for (const auto& row : r->FetchAll())
            out.push_back(row.at(0));
        return out;
    }
};

}  // namespace journey
