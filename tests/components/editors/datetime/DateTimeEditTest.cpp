// The date/time edit bound to a table: kinds, partial input completed on exit, stepping with
// keys and the wheel, the empty value, the drop-down calendar, and input it must refuse.
#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/ToolCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"

#include <QDate>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

using testsupport::Key;
using testsupport::PlaceOn;
using testsupport::ShowActive;

TDateTime Dt(int y, int m, int d, int h = 0, int n = 0, int s = 0)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0);
}

void Type(TWinControl* c, const QString& text)
{
    for (QChar ch : text) {
        const int key = ch.isDigit() ? Qt::Key_0 + (ch.unicode() - '0') : (ch == u'.' ? Qt::Key_Period : Qt::Key_A);
        Key(c, key, Qt::NoModifier, QString(ch));
    }
}

void Wheel(TWinControl* c, int delta)
{
    const QPointF local(5, 5);
    QWheelEvent e(local, c->Widget()->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(c->Widget(), &e);
}

void Click(TWinControl* c, TPoint client)
{
    const TPoint s = c->ClientToScreen(client);
    const QPointF g(s.X, s.Y);
    QMouseEvent press(QEvent::MouseButtonPress, c->Widget()->mapFromGlobal(g), g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, c->Widget()->mapFromGlobal(g), g, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &release);
}

QString Error(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

class DateTimeEditTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TMemTableEh* table = nullptr;
    TDataSource* src = nullptr;
    TDBDateTimeEditEh* edit = nullptr;
    TDBEditEh* other = nullptr;   // takes the focus away
    const TDateTime stored = Dt(2024, 3, 15, 13, 45, 10);

    void SetUp() override
    {
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Stamp"), ftDateTime);
        table->FieldDefs()->Add(QStringLiteral("Note"), ftString, 20);
        table->CreateDataSet();
        table->AppendRecord({Variant::FromDate(stored), Variant(QStringLiteral("a"))});
        table->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(table);

        form->SetBounds(100, 100, 400, 300);
        edit = PlaceOn<TDBDateTimeEditEh>(form.get(), 10, 10, 160, 22);
        edit->SetDataSource(src);
        edit->SetDataField(QStringLiteral("Stamp"));
        other = PlaceOn<TDBEditEh>(form.get(), 10, 60, 160, 22);
        ShowActive(form.get());
    }

    TField* Stamp() { return table->FieldByName(QStringLiteral("Stamp")); }

    void Enter()
    {
        edit->SetFocus();
        ASSERT_TRUE(edit->Focused());
    }
    void Leave()
    {
        other->SetFocus();
        ASSERT_FALSE(edit->Focused());
    }
    // Clears the whole text as a user would and types Keys.
    void Retype(const QString& Keys)
    {
        edit->SelectAll();
        Key(edit, Qt::Key_Delete);
        edit->SetSelStart(0);
        Type(edit, Keys);
    }
};

} // namespace

TEST_F(DateTimeEditTest, KindsGiveTheirFormatsAndShowTheFieldValue)
{
    struct Case {
        TDateTimeKindEh Kind;
        const char* Format;
        const char* Mask;
        const char* Text;
    };
    const Case cases[] = {
        {dtkDateEh, "DD/MM/YYYY", "!99/99/9999;1; ", "15.03.2024"},
        {dtkTimeEh, "HH:NN:SS", "!99:99:99;1; ", "13:45:10"},
        {dtkDateTimeEh, "DD/MM/YYYY HH:NN:SS", "!99/99/9999 99:99:99;1; ", "15.03.2024 13:45:10"},
    };
    for (const Case& c : cases) {
        edit->SetKind(c.Kind);
        EXPECT_EQ(edit->EditFormat(), QString::fromLatin1(c.Format));
        EXPECT_EQ(edit->EditMask(), QString::fromLatin1(c.Mask));
        EXPECT_EQ(edit->EditText(), QString::fromLatin1(c.Text));
        EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), stored);
    }
    // A format of its own makes the kind custom; a wrong one raises and keeps the mask.
    edit->SetEditFormat(QStringLiteral("YYYY-MM-DD"));
    EXPECT_EQ(edit->Kind(), dtkCustomEh);
    EXPECT_EQ(edit->EditText(), QStringLiteral("2024-03-15"));
    EXPECT_EQ(Error([&] { edit->SetEditFormat(QStringLiteral("DD.MM.YYY")); }),
              QStringLiteral("Invalid datetime format element length: \"Y\""));
    EXPECT_EQ(edit->EditMask(), QStringLiteral("!9999-99-99;1; "));
    EXPECT_EQ(edit->EditFormat(), QStringLiteral("DD.MM.YYY"));
}

TEST_F(DateTimeEditTest, PartialInputIsCompletedFromTodayOnExit)
{
    const QDate today = QDate::currentDate();
    struct Case {
        const char* Keys;
        int Day, Month, Year;   // 0: today's
    };
    const Case cases[] = {
        {"9", 9, 0, 0},            // day only
        {"0902", 9, 2, 0},         // day and month
        {"090230", 9, 2, ExpandTwoDigitYear(30)},   // two-digit year, 60-year window
        {"090270", 9, 2, ExpandTwoDigitYear(70)},
        {"09021999", 9, 2, 1999},
    };
    for (const Case& c : cases) {
        Enter();
        Retype(QString::fromLatin1(c.Keys));
        Leave();
        const int y = c.Year ? c.Year : today.year();
        const int m = c.Month ? c.Month : today.month();
        // the date-only edit keeps the field's time of day
        EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(y, m, c.Day, 13, 45, 10)) << c.Keys;
        EXPECT_EQ(edit->EditText(), FormatDateTime(QStringLiteral("dd.mm.yyyy"), Dt(y, m, c.Day))) << c.Keys;
    }
}

TEST_F(DateTimeEditTest, TypingAnImpossibleDateLeavesTheValueEmptyUntilValid)
{
    Enter();
    Retype(QStringLiteral("3104"));
    EXPECT_TRUE(edit->Value().IsNull());   // incomplete: no error, no value
    Type(edit, QStringLiteral("2024"));
    EXPECT_TRUE(edit->Value().IsNull());   // 31 April does not exist
    edit->SetSelStart(0);
    Type(edit, QStringLiteral("30"));
    EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), Dt(2024, 4, 30));
}

TEST_F(DateTimeEditTest, KeysAndWheelStepTheElementAtTheCaret)
{
    edit->SetKind(dtkDateTimeEh);
    Enter();
    edit->SetSelStart(0);
    Key(edit, Qt::Key_Up);
    EXPECT_EQ(edit->EditText(), QStringLiteral("16.03.2024 13:45:10"));
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 2);
    EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), Dt(2024, 3, 16, 13, 45, 10));

    edit->SetSelStart(4);   // the month
    Key(edit, Qt::Key_Down);
    Key(edit, Qt::Key_Down);
    Key(edit, Qt::Key_Down);
    EXPECT_EQ(edit->EditText(), QStringLiteral("16.12.2024 13:45:10"));

    edit->SetSelStart(15);   // the minutes
    Wheel(edit, 120);
    EXPECT_EQ(edit->EditText(), QStringLiteral("16.12.2024 13:46:10"));
    Wheel(edit, -120);
    Wheel(edit, -120);
    EXPECT_EQ(edit->EditText(), QStringLiteral("16.12.2024 13:44:10"));

    // A typed separator jumps to the next element.
    edit->SetSelStart(0);
    Key(edit, Qt::Key_Period, Qt::NoModifier, QStringLiteral("."));
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(edit->SelLength(), 2);

    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2024, 12, 16, 13, 44, 10));
}

TEST_F(DateTimeEditTest, SteppingPastTheMonthEndEmptiesTheValueUntilCorrected)
{
    table->Edit();
    Stamp()->SetAsDateTime(Dt(2024, 4, 30));
    table->Post();
    Enter();
    edit->SetSelStart(0);
    Key(edit, Qt::Key_Up);
    EXPECT_EQ(edit->EditText(), QStringLiteral("31.04.2024"));
    EXPECT_TRUE(edit->Value().IsNull());
    Key(edit, Qt::Key_Up);
    EXPECT_EQ(edit->EditText(), QStringLiteral("01.04.2024"));
    EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), Dt(2024, 4, 1));
}

TEST_F(DateTimeEditTest, EmptyValue)
{
    edit->SetValue(Variant::Null());
    EXPECT_TRUE(Stamp()->IsNull());
    EXPECT_TRUE(edit->IsEmpty());
    EXPECT_EQ(edit->EditText(), QStringLiteral("  .  .    "));

    edit->SetValue(Variant::FromDate(Dt(2020, 1, 2)));
    EXPECT_FALSE(edit->IsEmpty());
    Enter();
    edit->SelectAll();
    Key(edit, Qt::Key_Delete);
    EXPECT_TRUE(edit->Value().IsNull());
    Leave();
    EXPECT_TRUE(Stamp()->IsNull());
    EXPECT_TRUE(edit->IsEmpty());

    // A data-independent edit holds its own empty value.
    auto* free = Create<TDBDateTimeEditEh>(form.get());
    free->SetParent(form.get());
    EXPECT_TRUE(free->Value().IsNull());
    EXPECT_TRUE(free->IsEmpty());
    free->SetValue(Variant::FromDate(Dt(2021, 5, 6)));
    EXPECT_EQ(free->EditText(), QStringLiteral("06.05.2021"));
    free->SetValue(Variant::Null());
    EXPECT_TRUE(free->IsEmpty());
}

TEST_F(DateTimeEditTest, TimeKindKeepsTheDate)
{
    edit->SetKind(dtkTimeEh);
    Enter();
    Retype(QStringLiteral("0805"));
    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2024, 3, 15, 8, 5, 0));
    EXPECT_EQ(edit->EditText(), QStringLiteral("08:05:00"));
}

TEST_F(DateTimeEditTest, CalendarTakesTheDateWithEnterAndKeepsTheTime)
{
    edit->SetKind(dtkDateTimeEh);
    Enter();
    Key(edit, Qt::Key_Down, Qt::AltModifier);   // the drop-down button's shortcut
    ASSERT_TRUE(edit->CalendarVisible());
    TPopupMonthCalendarEh* cal = edit->DropDownCalendar();
    EXPECT_TRUE(cal->Widget()->isVisible());
    EXPECT_TRUE(edit->Focused());
    EXPECT_DOUBLE_EQ(cal->Date(), Dt(2024, 3, 15));
    EXPECT_TRUE(edit->DroppedDown());

    Key(edit, Qt::Key_Right);   // arrows go to the calendar
    Key(edit, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(cal->Date(), Dt(2024, 3, 23));
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024 13:45:10"));
    Key(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_FALSE(cal->Widget()->isVisible());
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(edit->EditText(), QStringLiteral("23.03.2024 13:45:10"));
    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2024, 3, 23, 13, 45, 10));
}

TEST_F(DateTimeEditTest, CalendarEscapeLeavesTheValueAndAClickTakesADay)
{
    std::vector<bool> closes;
    edit->OnCloseUp = [&](TObject*, bool accept) { closes.push_back(accept); };
    Enter();
    edit->DropDown();
    TPopupMonthCalendarEh* cal = edit->DropDownCalendar();
    Key(edit, Qt::Key_Left);
    Key(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024"));
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), stored);

    edit->DropDown();
    const TRect day = cal->DayRect(Dt(2024, 3, 5));
    ASSERT_GT(day.Width(), 0);
    Click(cal, TPoint((day.Left + day.Right) / 2, (day.Top + day.Bottom) / 2));
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_EQ(edit->EditText(), QStringLiteral("05.03.2024"));
    EXPECT_EQ(closes, std::vector<bool>({false, true}));
    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2024, 3, 5, 13, 45, 10));
}

TEST_F(DateTimeEditTest, CalendarClosesWhenTheFocusGoesElsewhere)
{
    Enter();
    edit->DropDown();
    Leave();
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), stored);
}

TEST_F(DateTimeEditTest, BadInputIsRefused)
{
    struct Case {
        const char* Name;
        std::function<void()> Act;
        const char* Message;   // nullptr: any error
    };
    const Case cases[] = {
        {"text that is no date", [&] { edit->SetText(QStringLiteral("abc")); }, "Invalid datetime: \"abc\""},
        {"an impossible date", [&] { edit->SetText(QStringLiteral("31.02.2024")); },
         "Invalid datetime: \"31.02.2024\""},
        {"a value that is no date", [&] { edit->SetValue(Variant(QStringLiteral("завтра"))); }, nullptr},
        {"after year 9999", [&] { edit->SetValue(Variant::FromDate(EncodeDate(9999, 12, 31) + 1)); },
         nullptr},
        {"before year 1", [&] { edit->SetValue(Variant::FromDate(EncodeDate(1, 1, 1) - 1)); }, nullptr},
    };
    for (const Case& c : cases) {
        // a half-typed text first, so showing the field's value again is visible
        Enter();
        Retype(QStringLiteral("01"));
        const QString msg = Error(c.Act);
        EXPECT_FALSE(msg.isEmpty()) << c.Name;
        if (c.Message) {
            EXPECT_EQ(msg, QString::fromUtf8(c.Message)) << c.Name;
        }
        EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), stored) << c.Name;
        EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024")) << c.Name;
        EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), stored) << c.Name;
        table->Cancel();
    }
}

TEST_F(DateTimeEditTest, AStoredDateOutsideTheRangeShowsEmptyAndStaysStored)
{
    const TDateTime far = EncodeDate(9999, 12, 31) + 400;
    table->Edit();
    Stamp()->SetAsFloat(far);
    table->Post();
    EXPECT_TRUE(edit->Value().IsNull());
    EXPECT_TRUE(edit->IsEmpty());
    Enter();
    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsFloat(), far);
}

TEST_F(DateTimeEditTest, ReadOnlyFieldOrDatasetTakesNothing)
{
    struct Case {
        const char* Name;
        std::function<void(bool)> Lock;
    };
    const Case cases[] = {
        {"read-only field", [&](bool on) { Stamp()->SetReadOnly(on); }},
        {"read-only table", [&](bool on) { table->SetReadOnly(on); }},
        {"read-only control", [&](bool on) { edit->SetReadOnly(on); }},
    };
    for (const Case& c : cases) {
        c.Lock(true);
        Enter();
        edit->SetSelStart(0);
        Type(edit, QStringLiteral("2"));
        Key(edit, Qt::Key_Up);
        Wheel(edit, 120);
        EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024")) << c.Name;
        edit->DropDown();
        Key(edit, Qt::Key_Right);
        Key(edit, Qt::Key_Return);
        EXPECT_FALSE(edit->CalendarVisible()) << c.Name;
        EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024")) << c.Name;
        Leave();
        EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), stored) << c.Name;
        EXPECT_EQ(table->State(), dsBrowse) << c.Name;
        c.Lock(false);
    }
}

TEST_F(DateTimeEditTest, ClosingTheDatasetUnderTheCalendarClosesIt)
{
    std::vector<bool> closes;
    edit->OnCloseUp = [&](TObject*, bool accept) { closes.push_back(accept); };
    Enter();
    edit->DropDown();
    table->Close();
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_FALSE(edit->DropDownCalendar()->Widget()->isVisible());
    EXPECT_EQ(closes, std::vector<bool>({false}));
    EXPECT_TRUE(edit->IsEmpty());
    Key(edit, Qt::Key_Return);   // nothing left to take it
    EXPECT_TRUE(edit->IsEmpty());
}

TEST_F(DateTimeEditTest, ButtonsDropTheCalendarAndStepTheElement)
{
    TEditButtonEh* spin = edit->EditButtons()->Add();
    spin->SetStyle(ebsUpDownEh);
    spin->SetVisible(true);
    Enter();
    TEditButtonControlEh* main = edit->GetEditButtonControlByEditButton(edit->EditButton());
    TEditButtonControlEh* updown = edit->GetEditButtonControlByEditButton(spin);
    ASSERT_NE(main, nullptr);
    ASSERT_NE(updown, nullptr);

    Click(main, TPoint(main->Width() / 2, main->Height() / 2));
    EXPECT_TRUE(edit->CalendarVisible());
    EXPECT_TRUE(main->AlwaysDown());
    Click(main, TPoint(main->Width() / 2, main->Height() / 2));
    EXPECT_FALSE(edit->CalendarVisible());
    EXPECT_FALSE(main->AlwaysDown());
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024"));

    edit->SetSelStart(3);   // the month
    Click(updown, TPoint(updown->Width() / 2, 2));
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.04.2024"));
    Click(updown, TPoint(updown->Width() / 2, updown->Height() - 3));
    Click(updown, TPoint(updown->Width() / 2, updown->Height() - 3));
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.02.2024"));
    Leave();
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2024, 2, 15, 13, 45, 10));
}

TEST_F(DateTimeEditTest, WithoutAFormatTheTextIsThePlatformsDateTimeText)
{
    edit->SetEditFormat(QString());
    EXPECT_EQ(edit->EditMask(), QString());
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024 13:45:10"));
    edit->SetText(QStringLiteral("01.02.2023 10:00"));
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2023, 2, 1, 10, 0, 0));
    // the platform's conversion error; the field keeps its value
    EXPECT_EQ(Error([&] { edit->SetText(QStringLiteral("abc")); }),
              QStringLiteral("'abc' is not a valid date and time"));
    EXPECT_DOUBLE_EQ(Stamp()->AsDateTime(), Dt(2023, 2, 1, 10, 0, 0));
    EXPECT_DOUBLE_EQ(edit->Value().AsDateTime(), Dt(2023, 2, 1, 10, 0, 0));
    table->Cancel();
}

TEST_F(DateTimeEditTest, TwoDigitYearLocaleIsTakenOnFocus)
{
    const TFormatSettings saved = FormatSettings;
    FormatSettings.ShortDateFormat = QStringLiteral("dd.MM.yy");
    Enter();
    EXPECT_EQ(edit->EditFormat(), QStringLiteral("DD/MM/YY"));
    EXPECT_EQ(edit->EditMask(), QStringLiteral("!99/99/99;1; "));
    EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.24"));
    Leave();
    FormatSettings = saved;
}

namespace {
class TFilterProbe : public TDBDateTimeEditEh {
public:
    using TDBDateTimeEditEh::TDBDateTimeEditEh;
    bool Filter(const QString& Item)
    {
        bool accept = false;
        FilterMRUItem(Item, accept);
        return accept;
    }
};
} // namespace

TEST_F(DateTimeEditTest, RecentItemsAreFilteredByTheTypedStart)
{
    auto* probe = Create<TFilterProbe>(form.get());
    probe->SetParent(form.get());
    probe->SetValue(Variant::FromDate(Dt(2024, 3, 15)));
    probe->SetEditText(QStringLiteral("15.03.    "));
    EXPECT_TRUE(probe->Filter(QStringLiteral("15.03.2023")));
    EXPECT_FALSE(probe->Filter(QStringLiteral("16.03.2023")));
}

// A value set in the form resource comes back as a date; no value as no date.
TEST(DateTimeEditStreaming, ValueIsStoredInTheFormResourceAsADate)
{
    RegisterClasses<TDBDateTimeEditEh>();
    struct Case { Variant Value; const char* Line; QString Text; };
    const Case cases[] = {
        {Variant::FromDate(Dt(2024, 3, 15)), "  Value = 45366d\n", "15.03.2024"},
        {Variant::Null(), "  Value = Null\n", "  .  .    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        auto form = CreateUnique<TForm>(nullptr);
        auto* edit = Create<TDBDateTimeEditEh>(form.get());
        edit->SetName(QStringLiteral("DocDate"));
        edit->SetParent(form.get());
        edit->SetValue(c.Value);
        const QString text = ComponentToText(form.get());
        EXPECT_TRUE(text.contains(QString::fromLatin1(c.Line))) << text.toStdString();

        auto copyForm = CreateUnique<TForm>(nullptr);
        ReadComponentRes(text.toUtf8(), copyForm.get());
        auto* copy = dynamic_cast<TDBDateTimeEditEh*>(copyForm->FindComponent(QStringLiteral("DocDate")));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->Value().VarType(), c.Value.VarType());
        if (!c.Value.IsNull()) {
            EXPECT_EQ(copy->Value().AsDateTime(), c.Value.AsDateTime());
        }
        EXPECT_EQ(copy->Text(), c.Text);
    }
}
