// The number edit: typing keeps a valid number, grouped; range and decimal places; steps by
// keys, buttons and the wheel; display format vs edit format; bad input against a field; the
// drop-down calculator.
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"
#include "support/ErrorCapture.h"

#include "components/editors/CalculatorEh.h"
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

using namespace testsupport;

namespace {

const QString NB = QString(QChar(0x00A0));   // the thousands separator

class NumberEditTest : public EditorOnForm<TDBNumberEditEh> {
public:
    TMemTableEh* t = nullptr;

    void SetUp() override
    {
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        t->FieldDefs()->Add(QStringLiteral("Small"), ftSmallint);
        t->FieldDefs()->Add(QStringLiteral("Big"), ftLargeint);
        t->CreateDataSet();
        t->AppendRecord({Variant(12.5), Variant(3), Variant(7), Variant(int64_t(5))});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        ShowEditors();
    }
    void Key(Word key, TShiftState shift = {}) { edit->HandleKeyPress(key, QChar(), shift); }
    double Val() { return edit->Value().AsDouble(); }
};

TEST(NumberText, FilterKeepsOneNumberShape)
{
    struct Case { const char* In; const char* Out; };
    const Case cases[] = {
        {"1" "\xC2\xA0" "234,5", "1234,5"}, {"12,3,4", "12,34"}, {"-12", "-12"}, {"1-2", "12"},
        {"+-5", "+5"}, {"1,5E3", "1,5E3"},  {"1,5E-3", "1,5E3"},  {"1e2e3", "1e23"},  {"abc", ""},
        {"12.5", "125"}, {"-", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCustomDBNumberEditEh::FilterNumberText(QString::fromUtf8(c.In)), QString::fromUtf8(c.Out)) << c.In;
}

TEST(NumberText, EditFormatKeepsThePlaceholdersOfTheFirstSection)
{
    struct Case { const char* In; const char* Out; };
    const Case cases[] = {
        {",0.00 'руб.'", ",0.00"}, {"#,##0.00;-#,##0.00", "#,##0.00"}, {"0.00E+00", "0.00E+0"},
        {"\"N\"0.0", "0.0"},      {"0.0%", "0.0"},                    {"'it''s'0", "0"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCustomDBNumberEditEh::EditFormatFromDisplayFormat(QString::fromUtf8(c.In)),
                  QString::fromUtf8(c.Out))
            << c.In;
}

TEST_F(NumberEditTest, RangeAndRounding)
{
    struct Case { double Min, Max; unsigned Places; double In, Out; };
    const Case cases[] = {
        {0, 100, 2, 150, 100},   {0, 100, 2, -5, 0},      {10, 0, 2, 3, 10},   {10, 0, 2, 1e6, 1e6},
        {0, -5, 2, 3, -5},       {0, -5, 2, -100, -100},  {5, 3, 2, 100, 100}, {5, 3, 2, 1, 1},
        {0, 0, 0, 2.5, 2},       {0, 0, 0, 3.5, 4},       {0, 0, 2, 1.005, 1}, {0, 0, 1, 1.25, 1.2},
        {0, 0, 2, 1e30, 1e30},   {0, 0, 2, -9e17, -9e17}, {0, 0, 38, 1.23456, 1.23456},
    };
    for (const Case& c : cases) {
        edit->SetMinValue(c.Min);
        edit->SetMaxValue(c.Max);
        edit->SetDecimalPlaces(c.Places);
        EXPECT_DOUBLE_EQ(edit->NormalizeValue(c.In), c.Out) << c.Min << " " << c.Max << " " << c.In;
    }
}

TEST_F(NumberEditTest, TypingKeepsAValidNumberGroupedByThousands)
{
    edit->SetDisplayFormat(QStringLiteral(",0.00"));
    Focus(edit);
    Type(QStringLiteral("1234567"));
    EXPECT_EQ(edit->Text(), "1" + NB + "234" + NB + "567");
    EXPECT_DOUBLE_EQ(Val(), 1234567);
    Type(QStringLiteral("x"));      // refused
    Type(QStringLiteral(".5"));     // the point becomes the decimal separator
    EXPECT_EQ(edit->Text(), "1" + NB + "234" + NB + "567,5");
    Type(QStringLiteral("55"));     // two decimal places: the third digit is refused
    EXPECT_EQ(edit->Text(), "1" + NB + "234" + NB + "567,55");
    EXPECT_DOUBLE_EQ(Val(), 1234567.55);
    // Backspace right after a separator only steps over it.
    edit->SetSelStart(6);
    edit->SetSelLength(0);
    Type(QString(QChar(VK_BACK)));
    EXPECT_EQ(edit->SelStart(), 5);
    EXPECT_EQ(edit->Text(), "1" + NB + "234" + NB + "567,55");
    // Leaving shows the display format.
    Focus(other);
    EXPECT_EQ(edit->Text(), "1" + NB + "234" + NB + "567,55");
    EXPECT_DOUBLE_EQ(edit->DataLink()->DataIndependentValue.AsDouble(), 1234567.55);
}

TEST_F(NumberEditTest, RefusedKeys)
{
    struct Case { double Min, Max; unsigned Places; const char* Keys; const char* Text; };
    const Case cases[] = {
        {0, 100, 2, "-5", "5"},                         // no sign when only positives are allowed
        {0, 0, 0, "12,5", "125"},                       // no decimals
        {0, 0, 2, "-3", "-3"},
        {0, 0, 2, "1-", "1"},
        {0, 0, 2, "123456789012345,12", "123456789012345,"},   // also after the separator
        {0, 0, 2, "1234567890123456", "123456789012345"},   // 17 - 2 integer digits at most
        {0, 0, 1, "1,5E3", "1,5"},                      // an unfinished exponent is no number
        {0, 0, 1, "1,55", "1,5"},
    };
    for (const Case& c : cases) {
        edit->SetMinValue(c.Min);
        edit->SetMaxValue(c.Max);
        edit->SetDecimalPlaces(c.Places);
        edit->SetValue(Variant::Null());
        Focus(edit);
        Type(QString::fromUtf8(c.Keys));
        EXPECT_EQ(edit->Text(), QString::fromUtf8(c.Text)) << c.Keys;
        Focus(other);
    }
}

TEST_F(NumberEditTest, TextWithAnExponent)
{
    edit->SetDecimalPlaces(1);
    edit->SetText(QStringLiteral("1,5E3"));
    EXPECT_DOUBLE_EQ(Val(), 1500);
    EXPECT_EQ(edit->Text(), "1500");
}

TEST_F(NumberEditTest, TypedValueIsClampedAndRounded)
{
    edit->SetMinValue(0);
    edit->SetMaxValue(100);
    Focus(edit);
    Type(QStringLiteral("150"));
    EXPECT_DOUBLE_EQ(Val(), 100);
    Focus(other);
    EXPECT_EQ(edit->Text(), "100");
}

TEST_F(NumberEditTest, IncrementsByKeysButtonsAndWheel)
{
    edit->SetIncrement(2.5);
    Focus(edit);
    Key(VK_DOWN);   // from empty: +Increment either way
    EXPECT_DOUBLE_EQ(Val(), 2.5);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_DOUBLE_EQ(Val(), 7.5);
    EXPECT_EQ(edit->SelLength(), int(edit->Text().size()));
    Key(VK_DOWN);
    EXPECT_DOUBLE_EQ(Val(), 5);
    edit->SetMinValue(0);
    edit->SetMaxValue(6);
    Key(VK_UP);
    EXPECT_DOUBLE_EQ(Val(), 6);
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_DOUBLE_EQ(Val(), 0);

    auto wheel = [&](int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWheelEvent e(QPointF(5, 5), edit->Widget()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit->Widget(), &e);
    };
    wheel(120);
    EXPECT_DOUBLE_EQ(Val(), 2.5);
    wheel(120, Qt::ShiftModifier);   // a shift key held: not a step
    EXPECT_DOUBLE_EQ(Val(), 2.5);

    // Up/down buttons.
    TEditButtonEh* spin = edit->EditButton();
    spin->SetStyle(ebsUpDownEh);
    spin->SetVisible(true);
    Pump();
    TEditButtonControlEh* control = edit->GetEditButtonControlByEditButton(spin);
    ASSERT_NE(control, nullptr);
    bool autoRepeat = false;
    control->EditButtonDown(true, autoRepeat);
    EXPECT_DOUBLE_EQ(Val(), 5);
    control->EditButtonDown(false, autoRepeat);
    control->EditButtonDown(false, autoRepeat);
    EXPECT_DOUBLE_EQ(Val(), 0);

    // Read-only: no steps.
    edit->SetReadOnly(true);
    Key(VK_UP);
    control->EditButtonDown(true, autoRepeat);
    wheel(120);
    EXPECT_DOUBLE_EQ(Val(), 0);
}

TEST_F(NumberEditTest, DisplayFormatUnfocusedEditFormatFocused)
{
    Bind(QStringLiteral("Sum"));
    edit->SetDisplayFormat(QStringLiteral(",0.00 'руб.'"));
    t->Edit();
    t->FieldByName(QStringLiteral("Sum"))->SetValue(Variant(1234.5));
    t->Post();
    EXPECT_EQ(edit->Text(), "1" + NB + "234,50 руб.");
    Focus(edit);
    EXPECT_EQ(edit->EditFormat(), ",0.00");
    EXPECT_EQ(edit->Text(), "1" + NB + "234,50");
    Focus(other);
    EXPECT_EQ(edit->Text(), "1" + NB + "234,50 руб.");

    // The field's format when the control has none; currency without a format.
    auto* sum = static_cast<TFloatField*>(t->FieldByName(QStringLiteral("Sum")));
    auto* edit2 = Create<TDBNumberEditEh>(form.get());
    edit2->SetParent(form.get());
    sum->SetDisplayFormat(QStringLiteral("0.0"));
    edit2->SetDataSource(src);
    edit2->SetDataField(QStringLiteral("Sum"));
    EXPECT_EQ(edit2->DisplayFormat(), "0.0");
    EXPECT_EQ(edit2->Text(), "1234,5");
    sum->SetDisplayFormat(QString());
    edit2->SetCurrency(true);
    EXPECT_EQ(edit2->EditFormat(), ",#.00");
    EXPECT_EQ(edit2->Text(), CurrToStrF(Currency::FromDouble(1234.5), ffCurrency, 2));
    // Past the currency type's range the number is shown, not an overflow.
    edit2->SetValue(Variant(1e30));
    EXPECT_FALSE(edit2->Text().isEmpty());
    EXPECT_DOUBLE_EQ(sum->AsFloat(), 1e30);
}

TEST_F(NumberEditTest, DecimalPlacesRoundWhatIsTyped)
{
    Bind(QStringLiteral("Sum"));
    edit->SetDecimalPlaces(0);
    Focus(edit);
    edit->SelectAll();
    Type(QStringLiteral("42"));
    Type(QStringLiteral(","));   // refused
    EXPECT_EQ(edit->Text(), "42");
    edit->SetDecimalPlaces(1);
    edit->SelectAll();
    Type(QStringLiteral("2,25"));
    EXPECT_EQ(edit->Text(), "2,2");
    Focus(other);
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 2.2);
}

// Bad input against a bound field: a text that is no number, a number past the field's range,
// a number past 64 bits.
TEST_F(NumberEditTest, BadInputLeavesTheFieldAndShowsItsValue)
{
    struct Case { const char* Field; const char* Text; bool Raises; double FieldAfter; };
    const Case cases[] = {
        {"Sum", "abc", true, 12.5},
        {"Sum", "   ", true, 12.5},
        {"Small", "100000", true, 7},
        {"Qty", "5000000000", true, 3},
        {"Big", "1E30", true, 5},
        {"Sum", "1E30", false, 1e30},
        {"Sum", "-7,25", false, -7.25},
    };
    for (const Case& c : cases) {
        t->Cancel();
        t->First();
        if (t->State() != dsBrowse)
            t->Cancel();
        Bind(QString::fromUtf8(c.Field));
        TField* f = t->FieldByName(QString::fromUtf8(c.Field));
        const Variant before = f->Value();
        bool raised = false;
        try {
            edit->SetText(QString::fromUtf8(c.Text));
        } catch (const Exception&) {
            raised = true;
        }
        EXPECT_EQ(raised, c.Raises) << c.Field << " " << c.Text;
        EXPECT_DOUBLE_EQ(f->AsFloat(), c.FieldAfter) << c.Field << " " << c.Text;
        if (c.Raises) {
            EXPECT_TRUE(VarEqualsEh(f->Value(), before)) << c.Field << " " << c.Text;
            EXPECT_EQ(edit->Text(), f->DisplayText()) << c.Field << " " << c.Text;
        }
        if (t->State() != dsBrowse)
            t->Cancel();
        t->Edit();
        f->SetValue(before);
        t->Post();
    }
}

TEST_F(NumberEditTest, PasteReplacesTheValueOrLeavesTheText)
{
    Focus(edit);
    Type(QStringLiteral("12"));
    Clipboard()->SetAsText("3" + NB + "456,75");
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_DOUBLE_EQ(Val(), 3456.75);
    Clipboard()->SetAsText(QStringLiteral("пусто"));
    const QString before = edit->Text();
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), before);
    EXPECT_DOUBLE_EQ(Val(), 3456.75);
}

TEST_F(NumberEditTest, CalculatorDropsDownAndHandsItsValueBack)
{
    Bind(QStringLiteral("Sum"));
    edit->EditButton()->SetVisible(true);
    Pump();
    Focus(edit);
    TEditButtonControlEh* button = edit->GetEditButtonControlByEditButton(edit->EditButton());
    ASSERT_NE(button, nullptr);
    bool autoRepeat = false;
    button->EditButtonDown(false, autoRepeat);
    ASSERT_TRUE(edit->CalculatorVisible());
    EXPECT_TRUE(edit->DroppedDown());
    auto* calc = dynamic_cast<TPopupCalculatorEh*>(edit->GetDropDownCalculator());
    ASSERT_NE(calc, nullptr);
    EXPECT_EQ(calc->DisplayText(), "12,5");
    EXPECT_TRUE(calc->Widget()->isWindow());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());

    // Keys typed into the edit go to the calculator: "0 - 3 Enter" computes, Enter accepts.
    auto press = [&](int qtKey, const QString& text) {
        QKeyEvent k(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(edit->Widget(), &k);
        QKeyEvent r(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(edit->Widget(), &r);
    };
    press(Qt::Key_C, "c");
    press(Qt::Key_0, "0");
    press(Qt::Key_Minus, "-");
    press(Qt::Key_3, "3");
    press(Qt::Key_Return, "\r");
    EXPECT_TRUE(edit->CalculatorVisible());
    EXPECT_EQ(calc->DisplayText(), "-3");
    press(Qt::Key_Return, "\r");
    EXPECT_FALSE(edit->CalculatorVisible());
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_DOUBLE_EQ(Val(), -3);
    Focus(other);
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), -3);

    // Escape closes without taking the value; so does an error on Enter's "Ok".
    Focus(edit);
    button->EditButtonDown(false, autoRepeat);
    ASSERT_TRUE(edit->CalculatorVisible());
    press(Qt::Key_9, "9");
    press(Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(edit->CalculatorVisible());
    EXPECT_DOUBLE_EQ(Val(), -3);
    button->EditButtonDown(false, autoRepeat);
    press(Qt::Key_1, "1");
    press(Qt::Key_Slash, "/");
    press(Qt::Key_0, "0");
    press(Qt::Key_Return, "\r");
    EXPECT_EQ(calc->DisplayText(), "Error");
    edit->CloseUp(true);
    EXPECT_DOUBLE_EQ(Val(), -3);

    // Losing the focus closes it without accepting.
    button->EditButtonDown(false, autoRepeat);
    press(Qt::Key_7, "7");
    Focus(other);
    EXPECT_FALSE(edit->CalculatorVisible());
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), -3);
}

TEST_F(NumberEditTest, FieldFallbacksAndAlignment)
{
    auto* qty = static_cast<TIntegerField*>(t->FieldByName(QStringLiteral("Qty")));
    qty->SetMinValue(1);
    qty->SetMaxValue(50);
    Bind(QStringLiteral("Qty"));
    EXPECT_EQ(edit->MinValue(), 1);
    EXPECT_EQ(edit->MaxValue(), 50);
    edit->SetMaxValue(10);
    EXPECT_EQ(edit->MaxValue(), 10);
    EXPECT_TRUE(edit->AssignedValues().Contains(evMaxValueEh));
    EXPECT_FALSE(edit->AssignedValues().Contains(evMinValueEh));
    EXPECT_EQ(edit->Alignment(), qty->Alignment());
    auto* free = Create<TDBNumberEditEh>(form.get());
    EXPECT_EQ(free->Alignment(), taRightJustify);
    EXPECT_TRUE(free->Value().IsNull());
    EXPECT_EQ(free->Text(), "");
}

}  // namespace

namespace {

TEST_F(NumberEditTest, OnlyOwnSettingsAreStored)
{
    Bind(QStringLiteral("Sum"));
    edit->SetDisplayFormat(QStringLiteral("0.00"));
    edit->SetMaxValue(99);
    const QString text = ComponentToText(edit);
    EXPECT_TRUE(text.contains(QStringLiteral("DisplayFormat = '0.00'"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("MaxValue = 99"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("MinValue"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("currency"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Increment"))) << text.toStdString();
    edit->SetIncrement(0.5);
    EXPECT_TRUE(ComponentToText(edit).contains(QStringLiteral("Increment = 0.5")));
}

}  // namespace
