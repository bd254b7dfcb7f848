// The month calendar and the date picker worked through real key and mouse events.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

void Key(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(c->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(c->Widget(), &release);
}

void Type(TWinControl* c, const QString& digits)
{
    for (QChar d : digits)
        Key(c, Qt::Key_0 + (d.unicode() - u'0'), Qt::NoModifier, QString(d));
}

// A left click at a client point of the control, delivered to its widget (frame included).
void Click(TWinControl* c, TPoint p)
{
    const QPoint g(c->ClientToScreen(p).X, c->ClientToScreen(p).Y);
    const QPointF local = c->Widget()->mapFromGlobal(QPointF(g));
    QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(g), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(g), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &release);
}

TPoint Center(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

QString D(TDateTime d) { return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), d); }

struct CalendarForm : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TMonthCalendar* Cal = nullptr;
    int Changes = 0, Clicks = 0;
    void SetUp() override
    {
        Form->SetBounds(100, 100, 400, 300);
        Cal = Create<TMonthCalendar>(Form.get());
        Cal->SetParent(Form.get());
        Cal->SetLeft(10);
        Cal->SetTop(10);
        Cal->SetDate(EncodeDate(2024, 3, 15) + 0.5);
        Cal->OnChange = TNotifyEvent([this](TObject*) { ++Changes; });
        Cal->OnClick = TNotifyEvent([this](TObject*) { ++Clicks; });
        Form->Show();
        Cal->SetFocus();
    }
};

}  // namespace

TEST_F(CalendarForm, KeysMoveTheDateAndKeepItsTime)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        TDateTime from, to;
    } cases[] = {
        {Qt::Key_Left, Qt::NoModifier, EncodeDate(2024, 3, 1), EncodeDate(2024, 2, 29)},
        {Qt::Key_Right, Qt::NoModifier, EncodeDate(2024, 12, 31), EncodeDate(2025, 1, 1)},
        {Qt::Key_Up, Qt::NoModifier, EncodeDate(2024, 3, 15), EncodeDate(2024, 3, 8)},
        {Qt::Key_Down, Qt::NoModifier, EncodeDate(2024, 3, 28), EncodeDate(2024, 4, 4)},
        {Qt::Key_PageUp, Qt::NoModifier, EncodeDate(2024, 3, 31), EncodeDate(2024, 2, 29)},
        {Qt::Key_PageDown, Qt::NoModifier, EncodeDate(2024, 1, 31), EncodeDate(2024, 2, 29)},
        {Qt::Key_PageUp, Qt::ControlModifier, EncodeDate(2024, 2, 29), EncodeDate(2023, 2, 28)},
        {Qt::Key_PageDown, Qt::ControlModifier, EncodeDate(2024, 3, 15), EncodeDate(2025, 3, 15)},
        {Qt::Key_Home, Qt::NoModifier, EncodeDate(2024, 3, 15), EncodeDate(2024, 3, 1)},
        {Qt::Key_End, Qt::NoModifier, EncodeDate(2024, 2, 10), EncodeDate(2024, 2, 29)},
    };
    for (const Case& c : cases) {
        Cal->SetDate(c.from + 0.25);
        Changes = 0;
        Key(Cal, c.key, c.mods);
        EXPECT_EQ(D(Cal->Date()), D(c.to + 0.25)) << D(c.from).toStdString() << " key " << c.key;
        EXPECT_EQ(Changes, 1);
        int y, m, d;
        DecodeDate(c.to, y, m, d);
        EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(y, m, 1));
    }
}

TEST_F(CalendarForm, RangeStopsKeysAndClicks)
{
    Cal->SetMinDate(EncodeDate(2024, 3, 10));
    Cal->SetMaxDate(EncodeDate(2024, 3, 20));
    Cal->SetDate(EncodeDate(2024, 3, 20));
    Changes = 0;
    Key(Cal, Qt::Key_Right);
    Key(Cal, Qt::Key_PageDown);
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 3, 20)));
    EXPECT_EQ(Changes, 0);
    Key(Cal, Qt::Key_PageUp);   // a month back lands on the first allowed day
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 3, 10)));
    Click(Cal, Center(Cal->DayRect(EncodeDate(2024, 3, 5))));
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 3, 10)));
    // A date set from code is brought into the range.
    Cal->SetDate(EncodeDate(2030, 1, 1));
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 3, 20)));
    SYSTEMTIME st = DateTimeToSystemTime(EncodeDate(2024, 3, 25));
    EXPECT_EQ(Cal->Perform(MCM_SETCURSEL, 0, LPARAM(&st)), 0);
}

TEST_F(CalendarForm, ClicksPickDaysTurnPagesAndZoom)
{
    Click(Cal, Center(Cal->DayRect(EncodeDate(2024, 3, 21))));
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 3, 21) + 0.5));
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Clicks, 1);
    // A day of the next month shown in the last row picks it and shows its month.
    Click(Cal, Center(Cal->DayRect(EncodeDate(2024, 4, 2))));
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 4, 2) + 0.5));
    EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(2024, 4, 1));
    // The page buttons turn the month shown, not the date.
    Click(Cal, Center(Cal->NextButtonRect()));
    Click(Cal, Center(Cal->NextButtonRect()));
    EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(2024, 6, 1));
    Click(Cal, Center(Cal->PrevButtonRect()));
    EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(2024, 5, 1));
    EXPECT_EQ(D(Cal->Date()), D(EncodeDate(2024, 4, 2) + 0.5));
    // The title zooms out to the year, then the decade; a cell zooms back in.
    Click(Cal, Center(Cal->TitleRect()));
    EXPECT_EQ(Cal->Perform(MCM_GETCURRENTVIEW), LRESULT(MCMV_YEAR));
    Click(Cal, Center(Cal->TitleRect()));
    EXPECT_EQ(Cal->CurrentView(), int(MCMV_DECADE));
    Click(Cal, Center(Cal->DayRect(EncodeDate(2027, 1, 1))));
    EXPECT_EQ(Cal->CurrentView(), int(MCMV_YEAR));
    Click(Cal, Center(Cal->DayRect(EncodeDate(2027, 9, 1))));
    EXPECT_EQ(Cal->CurrentView(), int(MCMV_MONTH));
    EXPECT_EQ(Cal->VisibleMonth(), EncodeDate(2027, 9, 1));
    EXPECT_EQ(Changes, 2);
}

TEST_F(CalendarForm, MinimumRectangleHoldsTheWholeMonth)
{
    TRect r;
    ASSERT_EQ(Cal->Perform(MCM_GETMINREQRECT, 0, LPARAM(&r)), 1);
    EXPECT_EQ(r, Cal->MinReqRect());
    Cal->SetBounds(10, 10, 50, 50);
    Cal->SetAutoSize(true);
    EXPECT_EQ(Cal->Width(), r.Width());
    EXPECT_EQ(Cal->Height(), r.Height());
    // Every day of a six-week month and the title's buttons lie inside it.
    Cal->SetDate(EncodeDate(2024, 9, 30));   // 1 September 2024 is a Sunday: six rows
    EXPECT_TRUE(PtInRect(r, TPoint(Cal->DayRect(EncodeDate(2024, 10, 6)).Right - 1, Cal->DayRect(EncodeDate(2024, 10, 6)).Bottom - 1)));
    EXPECT_EQ(Cal->DayRect(EncodeDate(2024, 8, 26)).Left, Cal->DayRect(EncodeDate(2024, 9, 30)).Left);   // Mondays first
    EXPECT_LE(Cal->NextButtonRect().Right, r.Right);
    // A larger font asks for more room.
    Cal->Font()->SetHeight(-20);
    EXPECT_GT(Cal->MinReqRect().Width(), r.Width());
    EXPECT_EQ(Cal->Width(), Cal->MinReqRect().Width());
}

TEST_F(CalendarForm, HitTestNamesTheParts)
{
    Cal->SetDate(EncodeDate(2024, 3, 15));
    struct Case {
        TPoint p;
        UINT hit;
    } cases[] = {
        {Center(Cal->PrevButtonRect()), MCHT_TITLEBTNPREV},
        {Center(Cal->NextButtonRect()), MCHT_TITLEBTNNEXT},
        {Center(Cal->TitleRect()), MCHT_TITLEBK},
        {Center(Cal->DayRect(EncodeDate(2024, 3, 15))), MCHT_CALENDARDATE},
        {Center(Cal->DayRect(EncodeDate(2024, 2, 26))), MCHT_CALENDARDATEPREV},
        {Center(Cal->DayRect(EncodeDate(2024, 4, 1))), MCHT_CALENDARDATENEXT},
        {TPoint(Cal->DayRect(EncodeDate(2024, 2, 26)).Left + 2, Cal->DayRect(EncodeDate(2024, 2, 26)).Top - 8), MCHT_CALENDARDAY},
    };
    for (const Case& c : cases) {
        MCHITTESTINFO info;
        info.pt = c.p;
        EXPECT_EQ(UINT(Cal->Perform(MCM_HITTEST, 0, LPARAM(&info))), c.hit) << c.p.X << "," << c.p.Y;
    }
    MCHITTESTINFO info;
    info.pt = Center(Cal->DayRect(EncodeDate(2024, 3, 15)));
    Cal->Perform(MCM_HITTEST, 0, LPARAM(&info));
    EXPECT_EQ(info.st.wDay, 15);
    EXPECT_EQ(info.st.wMonth, 3);
    EXPECT_EQ(info.iRow, 2);
    EXPECT_EQ(info.iCol, 4);   // a Friday
}

// ---------------------------------------------------------------- the date picker

namespace {

struct PickerForm : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TDateTimePicker* P = nullptr;
    int Changes = 0;
    void SetUp() override
    {
        Form->SetBounds(100, 100, 400, 300);
        P = Create<TDateTimePicker>(Form.get());
        P->SetParent(Form.get());
        P->SetBounds(10, 10, 120, 21);
        P->SetDateTime(EncodeDate(2024, 1, 31) + EncodeTime(14, 30, 0, 0));
        P->OnChange = TNotifyEvent([this](TObject*) { ++Changes; });
        Form->Show();
        Form->Widget()->activateWindow();
        QApplication::processEvents();
        P->SetFocus();
    }
};

}  // namespace

TEST_F(PickerForm, ShowsTheShortDateFormat)
{
    EXPECT_EQ(P->DisplayText(), QStringLiteral("31.01.2024"));
    EXPECT_EQ(P->PartCount(), 3);
    EXPECT_EQ(P->FocusedPart(), 0);
    EXPECT_LT(P->PartRect(0).Right, P->PartRect(1).Left);
}

TEST_F(PickerForm, DigitsTypeIntoThePartsAndKeepTheTime)
{
    Type(P, QStringLiteral("05"));
    EXPECT_EQ(P->FocusedPart(), 1);
    Type(P, QStringLiteral("12"));
    EXPECT_EQ(P->FocusedPart(), 2);
    Type(P, QStringLiteral("20"));
    EXPECT_EQ(P->DisplayText(), QStringLiteral("05.12.20"));   // the year is still being typed
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("05.12.2024 14:30"));
    Type(P, QStringLiteral("25"));
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("05.12.2025 14:30"));
    EXPECT_EQ(P->Date(), EncodeDate(2025, 12, 5));
    // The day, the month and the year, each once it took effect (a lone 0 and January typed
    // over January change nothing).
    EXPECT_EQ(Changes, 3);
}

TEST_F(PickerForm, PartialAndOddInput)
{
    struct Case {
        const char* what;
        TDateTime start;
        int part;
        const char* typed;
        int leaveKey;   // 0: nothing
        const char* result;
    } cases[] = {
        {"one day digit, then right", EncodeDate(2024, 1, 31), 0, "3", Qt::Key_Right, "03.01.2024"},
        {"a digit above 3 completes the day", EncodeDate(2024, 1, 31), 0, "7", 0, "07.01.2024"},
        {"day 31 in February", EncodeDate(2024, 2, 10), 0, "31", 0, "29.02.2024"},
        {"month 13 starts anew at 3", EncodeDate(2024, 1, 31), 1, "13", 0, "31.03.2024"},
        {"a shorter month clamps the day", EncodeDate(2024, 1, 31), 1, "4", 0, "30.04.2024"},
        {"two-digit year in the window", EncodeDate(2024, 1, 31), 2, "9", Qt::Key_Left, "31.01.2009"},
        {"two-digit year back a century", EncodeDate(2024, 1, 31), 2, "85", Qt::Key_Left, "31.01.1985"},
        {"a zero day is not taken", EncodeDate(2024, 1, 31), 0, "00", 0, "31.01.2024"},
    };
    for (const Case& c : cases) {
        P->SetDateTime(c.start);
        while (P->FocusedPart() > c.part)
            Key(P, Qt::Key_Left);
        while (P->FocusedPart() < c.part)
            Key(P, Qt::Key_Right);
        Type(P, QString::fromLatin1(c.typed));
        if (c.leaveKey)
            Key(P, c.leaveKey);
        EXPECT_EQ(P->DisplayText(), QString::fromLatin1(c.result)) << c.what;
        EXPECT_EQ(FormatDateTime(QStringLiteral("dd.mm.yyyy"), P->DateTime()), QString::fromLatin1(c.result)) << c.what;
    }
}

TEST_F(PickerForm, YearTypedAndLeftByFocusTakesEffect)
{
    auto* other = Create<TDateTimePicker>(Form.get());
    other->SetParent(Form.get());
    other->SetBounds(10, 40, 120, 21);
    Key(P, Qt::Key_Right);
    Key(P, Qt::Key_Right);
    Type(P, QStringLiteral("1"));
    ASSERT_TRUE(P->Focused());
    other->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(other->Focused());
    EXPECT_EQ(P->DateTime(), EncodeDate(2001, 1, 31) + EncodeTime(14, 30, 0, 0));
    EXPECT_EQ(Changes, 1);
}

TEST_F(PickerForm, OutOfRangeValuesStopAtTheBounds)
{
    P->SetMinDate(EncodeDate(2024, 1, 1));
    P->SetMaxDate(EncodeDate(2024, 12, 31));
    Key(P, Qt::Key_Right);
    Key(P, Qt::Key_Right);
    Type(P, QStringLiteral("2030"));
    EXPECT_EQ(P->DisplayText(), QStringLiteral("31.12.2024"));
    Key(P, Qt::Key_Up);
    EXPECT_EQ(P->DisplayText(), QStringLiteral("31.12.2024"));
    P->SetDateTime(EncodeDate(2019, 5, 5));
    EXPECT_EQ(P->DisplayText(), QStringLiteral("01.01.2024"));
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("01.01.2024 00:00"));
}

TEST_F(PickerForm, ArrowsStepThePartWithinItsRange)
{
    Key(P, Qt::Key_Up);   // day 31 wraps to 1 in the same month
    EXPECT_EQ(P->DisplayText(), QStringLiteral("01.01.2024"));
    Key(P, Qt::Key_Down);
    EXPECT_EQ(P->DisplayText(), QStringLiteral("31.01.2024"));
    Key(P, Qt::Key_Right);
    Key(P, Qt::Key_Down);   // January down is December of the same year
    EXPECT_EQ(P->DisplayText(), QStringLiteral("31.12.2024"));
    Key(P, Qt::Key_Up);
    Key(P, Qt::Key_Up);   // February clamps the day
    EXPECT_EQ(P->DisplayText(), QStringLiteral("29.02.2024"));
    Key(P, Qt::Key_Right);
    Key(P, Qt::Key_Up);
    EXPECT_EQ(P->DisplayText(), QStringLiteral("28.02.2025"));
    Key(P, Qt::Key_Right);   // no part after the year
    EXPECT_EQ(P->FocusedPart(), 2);
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("28.02.2025 14:30"));
    EXPECT_EQ(Changes, 6);
}

TEST_F(PickerForm, DropDownCalendarKeepsTheFocusAndAcceptsOrCancels)
{
    Key(P, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(P->DroppedDown());
    TMonthCalendar* cal = P->Calendar();
    EXPECT_TRUE(cal->Widget()->isWindow());
    EXPECT_TRUE(cal->Widget()->isVisible());
    EXPECT_TRUE(P->Focused());
    EXPECT_EQ(cal->Date(), P->DateTime());
    // Below the picker, as large as a month needs (with its frame).
    EXPECT_EQ(cal->Top(), P->ClientToScreen(TPoint(0, 0)).Y - 2 + P->Height());
    EXPECT_EQ(cal->ClientWidth(), cal->MinReqRect().Width());

    Key(P, Qt::Key_Right);
    Key(P, Qt::Key_Down);
    EXPECT_EQ(Changes, 0);
    Key(P, Qt::Key_Return);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("08.02.2024 14:30"));
    EXPECT_EQ(Changes, 1);

    Key(P, Qt::Key_F4);
    ASSERT_TRUE(P->DroppedDown());
    Key(P, Qt::Key_PageDown);
    Key(P, Qt::Key_Escape);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("08.02.2024 14:30"));
    EXPECT_EQ(Changes, 1);
}

TEST_F(PickerForm, MouseOpensPicksAndClosesOutside)
{
    Click(P, Center(P->ButtonRect()));
    ASSERT_TRUE(P->DroppedDown());
    TMonthCalendar* cal = P->Calendar();
    // Turning the page does not close; a day does, taking it.
    Click(cal, Center(cal->NextButtonRect()));
    ASSERT_TRUE(P->DroppedDown());
    Click(cal, Center(cal->DayRect(EncodeDate(2024, 2, 14))));
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("14.02.2024 14:30"));
    EXPECT_EQ(Changes, 1);
    // A month chosen in the year view zooms in and stays open.
    Click(P, Center(P->ButtonRect()));
    Click(cal, Center(cal->TitleRect()));
    Click(cal, Center(cal->DayRect(EncodeDate(2024, 6, 1))));
    EXPECT_TRUE(P->DroppedDown());
    EXPECT_EQ(cal->VisibleMonth(), EncodeDate(2024, 6, 1));
    // The button closes it again without taking anything.
    Click(P, Center(P->ButtonRect()));
    EXPECT_FALSE(P->DroppedDown());
    // A press elsewhere on the form closes it without taking the date.
    Click(P, Center(P->ButtonRect()));
    Key(P, Qt::Key_Right);
    Click(Form.get(), TPoint(300, 200));
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(D(P->DateTime()), QStringLiteral("14.02.2024 14:30"));
    EXPECT_EQ(Changes, 1);
}
