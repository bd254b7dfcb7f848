// The calculator's face on a real X server: the display and the buttons as the form resource
// lays them out, the right-to-left display, and the drop-down's frame as it reaches the screen.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/CalculatorEh.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

using namespace testsupport;
using namespace vcltest;

namespace {

QImage Shot(QWidget* w)
{
    return ScreenShot(w, QStringLiteral("calculator-%1").arg(quintptr(w)));
}

// The box of pixels of (nearly) one colour inside a rectangle of the picture; text is smoothed,
// so its strokes come close to its colour without all of them matching it.
QRect InkOf(const QImage& img, const QRect& area, uint32_t color)
{
    const QColor want = QColor::fromRgb(color);
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - want.red()) <= 48 && std::abs(c.green() - want.green()) <= 48 &&
                std::abs(c.blue() - want.blue()) <= 48)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

QRect AreaOf(TControl* c, TControl* relativeTo)
{
    TPoint p(c->Left(), c->Top());
    for (TWinControl* w = c->Parent(); w && w != relativeTo; w = w->Parent())
        p = TPoint(p.X + w->Left(), p.Y + w->Top());
    return QRect(p.X, p.Y, c->Width(), c->Height());
}

class CalculatorPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        Form = CreateUnique<TForm>(nullptr);
        Form->SetBounds(40, 520, 260, 200);
        Calc = Create<TCalculatorEh>(Form.get());
        Calc->SetParent(Form.get());
        Calc->SetBounds(10, 10, Calc->Width(), Calc->Height());
        Form->Show();
        WaitEvents(300);
    }
    void TearDown() override
    {
        Form.reset();
        WaitEvents(100);
    }
    std::unique_ptr<TForm> Form;
    TCalculatorEh* Calc = nullptr;
};

TEST_F(CalculatorPicture, DisplayAndButtonsAsLaidOut)
{
    const QImage face = Shot(Calc->Widget());
    ASSERT_EQ(face.size(), QSize(184, 127));
    // The display: window colour, the "0" at its right end in the window text colour.
    const QRect display = AreaOf(Calc->Panel1, Calc);
    EXPECT_EQ(Rgb(face, display.left() + 3, display.center().y()), PixelOf(clWindow));
    const QRect zero = InkOf(face, display, 0x000000);
    ASSERT_TRUE(zero.isValid());
    EXPECT_GT(zero.left(), display.left() + display.width() / 2);
    EXPECT_GE(display.right() - zero.right(), 1);
    // Between the buttons the face colour.
    EXPECT_EQ(Rgb(face, 2, 60), PixelOf(clBtnFace));
    // Digits in blue, operators in red, each inside its own button.
    for (TSpeedButtonEh* b : {Calc->SpeedButton1, Calc->SpeedButton4, Calc->SpeedButton20})
        EXPECT_TRUE(InkOf(face, AreaOf(b, Calc), ToRgb(ColorToRGB(clBlue))).isValid())
            << b->Caption().toStdString();
    for (TSpeedButtonEh* b : {Calc->SpeedButton16, Calc->SpeedButton23, Calc->spEqual})
        EXPECT_TRUE(InkOf(face, AreaOf(b, Calc), ToRgb(ColorToRGB(clRed))).isValid()) << b->Caption().toStdString();
    // Flat buttons show no edge until the mouse is over them.
    const QRect seven = AreaOf(Calc->SpeedButton1, Calc);
    EXPECT_EQ(Rgb(face, seven.left() + 1, seven.top() + 1), PixelOf(clBtnFace));

    // Typed digits reach the screen.
    Calc->ProcessKey(u'7');
    Calc->ProcessKey(u'5');
    WaitEvents(100);
    const QImage typed = Shot(Calc->Widget());
    const QRect digits = InkOf(typed, display, 0x000000);
    EXPECT_GT(digits.width(), zero.width());
}

TEST_F(CalculatorPicture, FocusedAndRightToLeft)
{
    const QImage plain = Shot(Calc->Widget());
    Form->Widget()->activateWindow();
    Calc->SetFocus();
    WaitEvents(200);
    const QImage focused = Shot(Calc->Widget());
    // Keys typed while focused show in the display; the face around it does not change.
    EXPECT_EQ(Rgb(focused, 2, 60), PixelOf(clBtnFace));
    EXPECT_LE(MaxDiff(plain.copy(0, 28, 184, 99), focused.copy(0, 28, 184, 99)), 8);

    Calc->SetBiDiMode(bdRightToLeft);
    WaitEvents(150);
    const QImage rtl = Shot(Calc->Widget());
    const QRect display = AreaOf(Calc->Panel1, Calc);
    const QRect zero = InkOf(rtl, display, 0x000000);
    ASSERT_TRUE(zero.isValid());
    EXPECT_LT(zero.right(), display.left() + display.width() / 2);
}

TEST_F(CalculatorPicture, DropDownFrame)
{
    auto* popup = Create<TPopupCalculatorEh>(Form.get());
    popup->HandleNeeded();
    TPoint p = Calc->ClientToScreen(TPoint(0, Calc->Height()));
    popup->SetBounds(p.X, p.Y, popup->Width(), popup->Height());
    popup->SetVisible(true);
    WaitEvents(300);
    QWidget* w = popup->Widget();
    ASSERT_TRUE(w->isWindow());
    const QImage shot = Shot(w);
    ASSERT_EQ(shot.size(), QSize(188, 131));
    const int mid = shot.height() / 2, right = shot.width() - 1, bottom = shot.height() - 1;
    EXPECT_EQ(Rgb(shot, 0, mid), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, right, mid), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, mid, bottom), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, 1, mid), PixelOf(clBtnHighlight));
    EXPECT_EQ(Rgb(shot, right - 1, mid), PixelOf(clBtnShadow));
    EXPECT_EQ(Rgb(shot, 2 + 2, 2 + 60), PixelOf(clBtnFace));
    // Not flat: the buttons show their raised edges.
    IPopupCalculatorEh* intf = popup;
    intf->SetFlat(false);
    WaitEvents(150);
    const QImage raised = Shot(w);
    const QRect seven = AreaOf(popup->SpeedButton1, popup);
    EXPECT_NE(Rgb(raised, 2 + seven.left(), 2 + seven.top()), PixelOf(clBtnFace));
    popup->SetVisible(false);
}

}  // namespace
