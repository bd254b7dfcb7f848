// The calculator: its face comes from its form resource; keys, buttons, the wheel and the
// clipboard drive one state machine; the drop-down variant hands its value to an owner and
// closes through the owner's combo interface.
#include "support/AppEnvironment.h"

#include "components/editors/CalculatorEh.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace {

// Feeds a line of keys: "\r" Enter, "\b" Backspace, "\x1b" Escape, the rest as typed.
void Keys(TCalculatorEh* Calc, const QString& Line)
{
    for (QChar c : Line)
        Calc->ProcessKey(c);
}

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = CreateUnique<TForm>(nullptr);
        Form->SetBounds(0, 0, 300, 200);
        Calc = Create<TCalculatorEh>(Form.get());
        Calc->SetParent(Form.get());
    }
    std::unique_ptr<TForm> Form;
    TCalculatorEh* Calc = nullptr;
};

TEST_F(CalculatorTest, FaceComesFromTheFormResource)
{
    EXPECT_EQ(Calc->BoundsRect().Width(), 184);
    EXPECT_EQ(Calc->BoundsRect().Height(), 127);
    ASSERT_NE(Calc->Panel1, nullptr);
    ASSERT_NE(Calc->TextBox, nullptr);
    EXPECT_EQ(Calc->TextBox->Parent(), Calc->Panel1);
    EXPECT_EQ(Calc->Panel1->BoundsRect(), Bounds(6, 4, 171, 19));
    EXPECT_EQ(Calc->Panel1->Color(), clWindow);
    EXPECT_EQ(Calc->DisplayText(), "0");
    EXPECT_EQ(Calc->TextBox->Alignment(), taRightJustify);
    EXPECT_EQ(Calc->Status(), csFirstEh);
    EXPECT_TRUE(Calc->Operator().isNull());

    struct Button { TSpeedButtonEh* TCalculatorEh::*Field; const char* Caption; TRect Bounds; int Tag; TColor Ink; };
    const Button buttons[] = {
        {&TCalculatorEh::SpeedButton1, "7", Bounds(6, 29, 27, 22), 1, clBlue},
        {&TCalculatorEh::SpeedButton16, "/", Bounds(93, 29, 27, 22), 4, clRed},
        {&TCalculatorEh::SpeedButton20, "sqrt", Bounds(122, 29, 27, 22), 5, clBlue},
        {&TCalculatorEh::SpeedButton23, "C", Bounds(151, 29, 27, 46), 6, clRed},
        {&TCalculatorEh::SpeedButton24, "Cancel", Bounds(151, 52, 27, 23), 12, clRed},
        {&TCalculatorEh::SpeedButton22, "<-", Bounds(151, 77, 27, 22), 18, clRed},
        {&TCalculatorEh::SpeedButton3, "+/-", Bounds(35, 101, 27, 22), 20, clBlue},
        {&TCalculatorEh::spEqual, "Ok", Bounds(122, 101, 56, 22), 23, clRed},
    };
    for (const Button& b : buttons) {
        TSpeedButtonEh* button = Calc->*b.Field;
        ASSERT_NE(button, nullptr) << b.Caption;
        EXPECT_EQ(button->Caption(), b.Caption);
        EXPECT_EQ(button->BoundsRect(), b.Bounds) << b.Caption;
        EXPECT_EQ(button->Tag(), b.Tag) << b.Caption;
        EXPECT_EQ(button->Font()->GetColor(), b.Ink) << b.Caption;
        EXPECT_TRUE(button->Flat());
        EXPECT_EQ(button->Style(), ebsGlyphEh);
        EXPECT_TRUE(button->Active());
    }
    // "Cancel" lies beneath "C", which covers it.
    const TPoint inBoth(160, 60);
    EXPECT_EQ(Calc->ControlAtPos(inBoth, false, true), Calc->SpeedButton23);
}

TEST_F(CalculatorTest, KeySequences)
{
    struct Case { const char* Keys; const char* Display; };
    const Case cases[] = {
        {"5+3=", "8"},
        {"5+3==", "8"},            // the pending operator is "=" by then
        {"200+10%", "220"},        // the percentage of the left operand, then the addition
        {"200+10%=", "220"},
        {"50*10%", "5"},
        {"50/10%", "500"},
        {"0-3=", "-3"},            // a left operand of 0 is still an operand
        {"0-3\r", "-3"},
        {"-3=", "-3"},             // an operator first takes the 0 shown
        {"2*3+4=", "10"},          // each operator applies the one pending
        {"7/2=", "3,5"},
        {"1,5+1.5=", "3"},
        {"1..5", "1,5"},
        {"123\b", "12"},
        {"5I\b", "0"},             // Backspace on "-5"
        {"5\b", "0"},
        {"9S", "3"},
        {"4R", "0,25"},
        {"5I", "-5"},
        {"0I", "0"},
        {"12\x1b", "0"},
        {"12C", "0"},
        {"1234567890123456", "123456789012345"},   // 15 characters at most
        {"12345678901234I5", "-123456789012345"},  // a leading minus does not count
        {"12345678901234I56", "-123456789012345"},
        {"1,234567890123456", "1,2345678901234"},
        {"2+", "2"},
        {"2+5", "5"},
        {"1/3=", "0,333333333333333"},            // 15 significant digits
    };
    for (const Case& c : cases) {
        Keys(Calc, QStringLiteral("\x1b"));
        Keys(Calc, QString::fromUtf8(c.Keys));
        EXPECT_EQ(Calc->DisplayText(), QString::fromUtf8(c.Display)) << c.Keys;
    }
}

TEST_F(CalculatorTest, ErrorsShowAndHoldUntilCleared)
{
    struct Case { const char* Keys; };
    for (const char* keys : {"1/0=", "0R", "4IS", "8/0+"}) {
        Keys(Calc, QStringLiteral("C"));
        Keys(Calc, QString::fromUtf8(keys));
        EXPECT_EQ(Calc->Status(), csErrorEh) << keys;
        EXPECT_EQ(Calc->DisplayText(), "Error") << keys;
        EXPECT_EQ(Calc->DisplayValue(), 0) << keys;
        // Digits, operators and the other commands are ignored.
        Keys(Calc, QStringLiteral("5+I\bR,S="));
        EXPECT_EQ(Calc->DisplayText(), "Error") << keys;
        Keys(Calc, QStringLiteral("c"));
        EXPECT_EQ(Calc->Status(), csFirstEh);
        EXPECT_EQ(Calc->DisplayText(), "0");
    }
    // Escape clears an error too, and so does the Delete key.
    Keys(Calc, QStringLiteral("1/0="));
    Keys(Calc, QStringLiteral("\x1b"));
    EXPECT_EQ(Calc->DisplayText(), "0");
    Keys(Calc, QStringLiteral("1/0="));
    Word del = VK_DELETE;
    Calc->HandleKeyPress(del, QChar(), {});
    EXPECT_EQ(Calc->DisplayText(), "0");

    // A result too large for a number is an error, not a text that cannot be read back.
    Calc->SetDisplayValue(1e300);
    Keys(Calc, QStringLiteral("*"));
    Calc->SetDisplayValue(1e300);
    Keys(Calc, QStringLiteral("5\b\b"));   // start typing, so the operation applies
    Calc->SetDisplayValue(1e300);
    Keys(Calc, QStringLiteral("="));
    EXPECT_EQ(Calc->Status(), csErrorEh);
    EXPECT_EQ(Calc->DisplayText(), "Error");
}

TEST_F(CalculatorTest, EqualButtonReadsEqualWhileAnOperationIsPending)
{
    struct Case { const char* Keys; const char* Caption; };
    const Case cases[] = {
        {"", "Ok"},  {"5", "Ok"},   {"5+", "Ok"},  {"5+3", "="}, {"5+3=", "Ok"},
        {"0-3", "="}, {"-3", "="},  {"5%", "Ok"},  {"5*2S", "Ok"}, {"5+3C", "Ok"},
    };
    for (const Case& c : cases) {
        Keys(Calc, QStringLiteral("C"));
        Keys(Calc, QString::fromUtf8(c.Keys));
        EXPECT_EQ(Calc->spEqual->Caption(), QString::fromUtf8(c.Caption)) << c.Keys;
    }
}

TEST_F(CalculatorTest, KeyboardAndButtonsDriveIt)
{
    Form->Show();
    Calc->SetFocus();
    auto type = [&](int qtKey, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(Calc->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(Calc->Widget(), &release);
    };
    type(Qt::Key_1, "1");
    type(Qt::Key_2, "2");
    type(Qt::Key_Asterisk, "*");
    type(Qt::Key_3, "3");
    EXPECT_EQ(Calc->spEqual->Caption(), "=");
    type(Qt::Key_Return, "\r");
    EXPECT_EQ(Calc->DisplayText(), "36");
    type(Qt::Key_Delete, "");
    EXPECT_EQ(Calc->DisplayText(), "0");

    auto click = [&](TSpeedButtonEh* b) {
        QWidget* w = b->Widget();
        ASSERT_NE(w, nullptr);
        const QPointF at(b->Width() / 2, b->Height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    };
    click(Calc->SpeedButton1);    // 7
    click(Calc->SpeedButton2);    // ,
    click(Calc->SpeedButton9);    // 5
    click(Calc->SpeedButton3);    // +/-
    EXPECT_EQ(Calc->DisplayText(), "-7,5");
    click(Calc->SpeedButton15);   // *
    click(Calc->SpeedButton6);    // 2
    click(Calc->spEqual);
    EXPECT_EQ(Calc->DisplayText(), "-15");
    click(Calc->SpeedButton22);   // <- starts a new number
    EXPECT_EQ(Calc->DisplayText(), "0");
    click(Calc->SpeedButton24);   // "Cancel" does nothing
    EXPECT_EQ(Calc->DisplayText(), "0");
    click(Calc->SpeedButton20);   // sqrt of 0
    EXPECT_EQ(Calc->DisplayText(), "0");
}

TEST_F(CalculatorTest, ClipboardAndWheel)
{
    Keys(Calc, QStringLiteral("42,5"));
    Keys(Calc, QString(QChar(3)));
    EXPECT_EQ(Clipboard()->AsText(), "42,5");
    Clipboard()->SetAsText(QStringLiteral("  17,25 "));
    Keys(Calc, QString(QChar(22)));
    EXPECT_EQ(Calc->DisplayText(), "17,25");
    EXPECT_DOUBLE_EQ(Calc->DisplayValue(), 17.25);
    Clipboard()->SetAsText(QStringLiteral("семь"));
    EXPECT_THROW(Calc->Paste(), EConvertError);
    EXPECT_EQ(Calc->DisplayText(), "17,25");

    Form->Show();
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(10, 10), Calc->Widget()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Calc->Widget(), &e);
    };
    wheel(120);
    EXPECT_EQ(Calc->DisplayText(), "18,25");
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(Calc->DisplayText(), "16,25");
    Keys(Calc, QStringLiteral("C1/0="));
    wheel(120);
    EXPECT_EQ(Calc->DisplayText(), "Error");
    // With an exponent in the display digits are not added.
    Keys(Calc, QStringLiteral("C5"));
    Calc->SetDisplayValue(1e20);
    Keys(Calc, QStringLiteral("7"));
    EXPECT_EQ(Calc->DisplayText(), "1E20");
}

TEST_F(CalculatorTest, BorderAndRightToLeft)
{
    Calc->SetBorderStyle(bsSingle);
    EXPECT_EQ(Calc->Width(), 184 + 4);
    EXPECT_EQ(Calc->Height(), 127 + 4);
    Form->Show();
    EXPECT_EQ(Calc->ClientRect(), TRect(0, 0, 184, 127));
    Calc->SetCtl3D(false);
    EXPECT_EQ(Calc->Width(), 184 + 2);
    Calc->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Calc->TextBox->Alignment(), taLeftJustify);
    Calc->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(Calc->TextBox->Alignment(), taRightJustify);
}

TEST_F(CalculatorTest, EveryInstanceHasItsOwnChildren)
{
    auto* second = Create<TCalculatorEh>(Form.get());
    EXPECT_NE(second->TextBox, Calc->TextBox);
    EXPECT_NE(second->Name(), Calc->Name());
    Keys(second, QStringLiteral("9"));
    EXPECT_EQ(Calc->DisplayText(), "0");
    EXPECT_EQ(second->DisplayText(), "9");
}

// ---------------------------------------------------------------- the drop-down

// An owner in miniature: records how the calculator closed it.
class TCalcOwner : public TCustomControl, public IComboEditEh {
public:
    using TCustomControl::TCustomControl;
    std::vector<bool> Closes;
    void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};

class PopupCalculatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = CreateUnique<TForm>(nullptr);
        Owner = Create<TCalcOwner>(Form.get());
        Owner->SetParent(Form.get());
        Popup = Create<TPopupCalculatorEh>(Owner);
    }
    std::unique_ptr<TForm> Form;
    TCalcOwner* Owner = nullptr;
    TPopupCalculatorEh* Popup = nullptr;
};

TEST_F(PopupCalculatorTest, EnterComputesAPendingOperationAndThenAccepts)
{
    IPopupCalculatorEh* calc = Popup;
    calc->SetValue(Variant(0.0));
    Keys(Popup, QStringLiteral("-3"));
    EXPECT_FALSE(calc->GetReadyToAccept());
    Keys(Popup, QStringLiteral("\r"));
    EXPECT_TRUE(Owner->Closes.empty());
    EXPECT_EQ(Popup->DisplayText(), "-3");
    EXPECT_TRUE(calc->GetReadyToAccept());
    Keys(Popup, QStringLiteral("\r"));
    EXPECT_EQ(Owner->Closes, std::vector<bool>({true}));
    EXPECT_EQ(calc->GetValue().VarType(), varDouble);
    EXPECT_DOUBLE_EQ(calc->GetValue().AsDouble(), -3);

    // "=" accepts as Enter does once nothing is pending.
    calc->SetValue(Variant(12.5));
    EXPECT_EQ(Popup->DisplayText(), "12,5");
    Keys(Popup, QStringLiteral("="));
    EXPECT_EQ(Owner->Closes, std::vector<bool>({true, true}));
}

TEST_F(PopupCalculatorTest, ValueInAndOut)
{
    IPopupCalculatorEh* calc = Popup;
    Keys(Popup, QStringLiteral("5+"));
    calc->SetValue(Variant::Null());
    EXPECT_EQ(Popup->DisplayText(), "0");
    EXPECT_EQ(Popup->Operator(), u'=');
    Keys(Popup, QStringLiteral("1/0="));
    const Variant v = calc->GetValue();
    EXPECT_EQ(v.VarType(), varError);
    calc->SetValue(Variant(2.0));
    EXPECT_EQ(Popup->Status(), csFirstEh);
    EXPECT_DOUBLE_EQ(calc->GetValue().AsDouble(), 2);
}

TEST_F(PopupCalculatorTest, EscapeClosesWithoutAccepting)
{
    Form->Show();
    Popup->HandleNeeded();
    Keys(Popup, QStringLiteral("7"));
    Word esc = VK_ESCAPE;
    Popup->HandleKeyPress(esc, QChar(VK_ESCAPE), {});
    EXPECT_EQ(Owner->Closes, std::vector<bool>({false}));
    EXPECT_EQ(Popup->DisplayText(), "7");
    // An owner without the combo interface is not called.
    auto* orphan = Create<TPopupCalculatorEh>(Form.get());
    orphan->HandleNeeded();
    orphan->HandleKeyPress(esc, QChar(VK_ESCAPE), {});
    Keys(orphan, QStringLiteral("\r"));
}

TEST_F(PopupCalculatorTest, WindowFlatnessAndFrame)
{
    IPopupCalculatorEh* calc = Popup;
    EXPECT_TRUE(calc->GetFlat());
    calc->SetFlat(false);
    EXPECT_FALSE(Popup->spEqual->Flat());
    EXPECT_FALSE(Popup->SpeedButton1->Flat());
    calc->SetFlat(true);
    EXPECT_TRUE(Popup->SpeedButton23->Flat());

    EXPECT_FALSE(Popup->CanFocus());
    EXPECT_EQ(Popup->BorderWidthEh(), 2);
    EXPECT_EQ(Popup->Width(), 184 + 4);
    EXPECT_EQ(Popup->Height(), 127 + 4);
    Popup->HandleNeeded();
    EXPECT_TRUE(Popup->Widget()->isWindow());
    EXPECT_EQ(Popup->ClientRect(), TRect(0, 0, 184, 127));
    Popup->SetCtl3D(false);
    EXPECT_EQ(Popup->BorderWidthEh(), 0);
    EXPECT_EQ(Popup->Width(), 184 + 2);
    EXPECT_EQ(Popup->ClientRect(), TRect(0, 0, 184, 127));
}

}  // namespace
