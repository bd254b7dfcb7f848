// The drop-down calendar: an edit owns it and keeps the keyboard; keys, clicks, presses outside
// and a lost focus close it through the edit's combo interface.
#include "components/foundation/popups/TwoScreens.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Mask.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace {

// A date edit in miniature: it drops the calendar down under itself, passes its keys on while
// the calendar is open and records how the calendar closed it.
class TComboEdit : public TCustomEdit, public IComboEditEh {
public:
    using TCustomEdit::TCustomEdit;
    TPopupMonthCalendarEh* Calendar = nullptr;
    std::vector<bool> Closes;
    TDateTime Taken = 0;

    void DropDown()
    {
        if (!Calendar)
            Calendar = Create<TPopupMonthCalendarEh>(this);
        Calendar->SetDate(EncodeDate(2024, 3, 15) + 0.75);
        TPoint p;
        Calendar->HandleNeeded();
        PlaceDropDownUnderControl(this, Calendar, taLeftJustify, p);
        Calendar->SetBounds(p.X, p.Y, Calendar->Width(), Calendar->Height());
        Calendar->SetVisible(true);
    }
    bool DroppedDown() const { return Calendar && Calendar->Visible(); }
    void CloseUp(bool Accept) override
    {
        Closes.push_back(Accept);
        if (Accept)
            Taken = Calendar->Date();
        Calendar->SetVisible(false);
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (DroppedDown()) {
            Calendar->Perform(WM_KEYDOWN, Key, 1);
            Key = 0;
            return;
        }
        TCustomEdit::KeyDown(Key, Shift);
    }
    void CMWantSpecialKey(TMessage& M) override { M.Result = DroppedDown() ? 1 : 0; }
};

void Key(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(c->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(c->Widget(), &release);
}

void Mouse(TWinControl* c, QEvent::Type type, TPoint client, Qt::MouseButtons buttons)
{
    const TPoint s = c->ClientToScreen(client);
    const QPointF g(s.X, s.Y);
    QMouseEvent e(type, c->Widget()->mapFromGlobal(g), g, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &e);
}

void Click(TWinControl* c, TPoint client)
{
    Mouse(c, QEvent::MouseButtonPress, client, Qt::LeftButton);
    Mouse(c, QEvent::MouseButtonRelease, client, Qt::NoButton);
}

TPoint Center(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

struct PopupCalendar : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TComboEdit* Edit = nullptr;
    TPopupMonthCalendarEh* Cal = nullptr;
    void SetUp() override
    {
        Form->SetBounds(100, 100, 400, 300);
        Edit = Create<TComboEdit>(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 150, 22);
        Form->Show();
        Form->Widget()->activateWindow();
        QApplication::processEvents();
        Edit->SetFocus();
        Edit->DropDown();
        Cal = Edit->Calendar;
    }
};

}  // namespace

TEST_F(PopupCalendar, OpensAsATopLevelWindowAndLeavesTheFocusWithTheEdit)
{
    EXPECT_TRUE(Cal->Widget()->isWindow());
    EXPECT_TRUE(Cal->Widget()->isVisible());
    EXPECT_TRUE(Edit->Focused());
    EXPECT_FALSE(Cal->CanFocus());
    // The smallest month plus the raised border on every side, under the edit.
    const TRect r = Cal->MinReqRect();
    EXPECT_EQ(Cal->Width(), r.Width() + 4);
    EXPECT_EQ(Cal->Height(), r.Height() + 4);
    EXPECT_EQ(Cal->ClientRect(), TRect(0, 0, r.Width(), r.Height()));
    TRect own;
    GetControlScreenRect(Edit, own);
    EXPECT_EQ(Cal->Top(), own.Bottom);
    EXPECT_EQ(Cal->Left(), own.Left);
    // A flat calendar has a one-pixel frame.
    Cal->SetCtl3D(false);
    EXPECT_EQ(Cal->BorderWidthEh(), 0);
    EXPECT_EQ(Cal->Width(), r.Width() + 2);
    Cal->SetCtl3D(true);
    EXPECT_EQ(Cal->Width(), r.Width() + 4);
}

TEST_F(PopupCalendar, DateIsTheChosenDayWithoutItsTime)
{
    EXPECT_EQ(Cal->Date(), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Cal->TMonthCalendar::Date(), EncodeDate(2024, 3, 15) + 0.75);
    // A date the window would refuse (out of its range) raises nothing.
    Cal->SetMaxDate(EncodeDate(2024, 3, 20));
    EXPECT_NO_THROW(Cal->SetDate(EncodeDate(2025, 1, 1)));
    EXPECT_EQ(Cal->Date(), EncodeDate(2024, 3, 20));
}

TEST_F(PopupCalendar, KeysMoveTheDateAndEnterOrEscapeClose)
{
    Key(Edit, Qt::Key_Right);
    Key(Edit, Qt::Key_Down);
    Key(Edit, Qt::Key_PageDown);
    EXPECT_TRUE(Edit->Closes.empty());
    Key(Edit, Qt::Key_Return);
    ASSERT_EQ(Edit->Closes, std::vector<bool>({true}));
    EXPECT_EQ(Edit->Taken, EncodeDate(2024, 4, 23));
    EXPECT_FALSE(Edit->DroppedDown());

    Edit->DropDown();
    Key(Edit, Qt::Key_Left);
    Key(Edit, Qt::Key_Escape);
    EXPECT_EQ(Edit->Closes, std::vector<bool>({true, false}));
    EXPECT_TRUE(Edit->Focused());
}

TEST_F(PopupCalendar, ClicksCloseOnlyOnADayOfTheMonthView)
{
    struct Case {
        const char* what;
        TRect (TMonthCalendar::*where)();
    } stays[] = {
        {"next page", &TMonthCalendar::NextButtonRect},
        {"previous page", &TMonthCalendar::PrevButtonRect},
    };
    for (const Case& c : stays) {
        Click(Cal, Center((Cal->*c.where)()));
        EXPECT_TRUE(Edit->Closes.empty()) << c.what;
    }
    EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(2024, 3, 1));
    // A day-of-week header does not close.
    const TRect monday = Cal->DayRect(EncodeDate(2024, 2, 26));
    Click(Cal, TPoint(monday.Left + 3, monday.Top - 8));
    EXPECT_TRUE(Edit->Closes.empty());
    // The title zooms out; a month picked in the year view zooms in and stays open.
    Click(Cal, Center(Cal->TitleRect()));
    EXPECT_EQ(Cal->CurrentView(), int(MCMV_YEAR));
    EXPECT_TRUE(Edit->Closes.empty());
    Click(Cal, Center(Cal->DayRect(EncodeDate(2024, 7, 1))));
    EXPECT_EQ(Cal->DownViewType(), int(MCMV_YEAR));
    EXPECT_EQ(Cal->CurrentView(), int(MCMV_MONTH));
    EXPECT_TRUE(Edit->Closes.empty());
    // A day of the month view closes it, taking the day.
    Click(Cal, Center(Cal->DayRect(EncodeDate(2024, 7, 9))));
    EXPECT_EQ(Edit->Closes, std::vector<bool>({true}));
    EXPECT_EQ(Edit->Taken, EncodeDate(2024, 7, 9));
}

TEST_F(PopupCalendar, PressOutsideClosesWithoutTakingButNotOnTheEdit)
{
    Click(Edit, TPoint(5, 5));
    EXPECT_TRUE(Edit->Closes.empty());
    Click(Form.get(), TPoint(300, 250));
    EXPECT_EQ(Edit->Closes, std::vector<bool>({false}));
    // A press on the calendar's own border is inside it.
    Edit->DropDown();
    Mouse(Cal, QEvent::MouseButtonPress, TPoint(-1, 10), Qt::LeftButton);
    Mouse(Cal, QEvent::MouseButtonRelease, TPoint(-1, 10), Qt::NoButton);
    EXPECT_EQ(Edit->Closes, std::vector<bool>({false}));
}

TEST_F(PopupCalendar, LosingTheFocusClosesWhenTheMessageArrives)
{
    Cal->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(Edit->Closes.empty());   // posted, not yet delivered
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, Cal->Handle(), TPopupMonthCalendarEh::WM_CLOSEUP_ON_FOCUS_LOST,
                            TPopupMonthCalendarEh::WM_CLOSEUP_ON_FOCUS_LOST, PM_NOREMOVE));
    while (DispatchNextPostedMessage()) {
    }
    EXPECT_EQ(Edit->Closes, std::vector<bool>({false}));
}

TEST_F(PopupCalendar, WheelMovesADay)
{
    auto wheel = [&](int dy) {
        const QPointF local = Cal->Widget()->mapFromGlobal(QPointF(Cal->Left() + 20, Cal->Top() + 60));
        QWheelEvent e(local, Cal->Widget()->mapToGlobal(local), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Cal->Widget(), &e);
    };
    wheel(-120);
    EXPECT_EQ(Cal->Date(), EncodeDate(2024, 3, 16));
    wheel(120);
    wheel(120);
    EXPECT_EQ(Cal->Date(), EncodeDate(2024, 3, 14));
    EXPECT_TRUE(Edit->Closes.empty());
}

TEST(PopupCalendarOwner, WithoutTheComboInterfaceKeysCloseNothing)
{
    auto form = CreateUnique<TForm>(nullptr);
    auto* cal = Create<TPopupMonthCalendarEh>(form.get());
    cal->HandleNeeded();
    cal->SetDate(EncodeDate(2024, 3, 15));
    EXPECT_NO_THROW(cal->Perform(WM_KEYDOWN, VK_RETURN, 1));
    cal->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(cal->Date(), EncodeDate(2024, 3, 16));
    EXPECT_EQ(cal->Perform(WM_GETDLGCODE) & 0x83, 0x83);
}
