// The number edit's face on a real X server: the display format right-aligned when plain, the
// edit format while focused, read-only, right to left, and the calculator dropped under it.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/CalculatorEh.h"
#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QApplication>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

QImage Shot(QWidget* w, const char* name)
{
    return ScreenShot(w, QStringLiteral("numberedit-") + QLatin1String(name));
}

// Where the text is: the box of dark pixels.
QRect Ink(const QImage& img)
{
    QRect box;
    for (int y = 2; y < img.height() - 2; ++y)
        for (int x = 2; x < img.width() - 2; ++x)
            if (qGray(img.pixel(x, y)) < 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

class NumberEditPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        Form = CreateUnique<TForm>(nullptr);
        Form->SetBounds(360, 520, 320, 220);
        Edit = Create<TDBNumberEditEh>(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 200, 22);
        Other = Create<TDBEditEh>(Form.get());
        Other->SetParent(Form.get());
        Other->SetBounds(10, 150, 100, 22);
        Edit->SetDisplayFormat(QStringLiteral(",0.00 'руб.'"));
        Edit->SetValue(Variant(1234.5));
        Form->Show();
        WaitEvents(300);
        Form->Widget()->activateWindow();
        Other->SetFocus();
        WaitEvents(200);
    }
    void TearDown() override
    {
        Form.reset();
        WaitEvents(100);
    }
    std::unique_ptr<TForm> Form;
    TDBNumberEditEh* Edit = nullptr;
    TDBEditEh* Other = nullptr;
};

TEST_F(NumberEditPicture, PlainFocusedReadOnlyAndRightToLeft)
{
    const QImage plain = Shot(Edit->Widget(), "plain");
    const QRect plainInk = Ink(plain);
    ASSERT_TRUE(plainInk.isValid());
    // The display format, right-aligned, on the window colour.
    EXPECT_GT(plainInk.left(), plain.width() / 3);
    EXPECT_GE(plain.width() - plainInk.right(), 2);
    EXPECT_EQ(Rgb(plain, 5, plain.height() / 2), ToRgb(ColorToRGB(clWindow)));

    Edit->SetFocus();
    WaitEvents(200);
    ASSERT_EQ(QApplication::focusWidget(), Edit->Widget());
    const QImage focused = Shot(Edit->Widget(), "focused");
    const QRect focusedInk = Ink(focused);
    ASSERT_TRUE(focusedInk.isValid());
    // The edit format leaves the currency words out: less text.
    EXPECT_LT(focusedInk.width(), plainInk.width());
    EXPECT_EQ(Edit->Text(), QStringLiteral("1") + QChar(0x00A0) + QStringLiteral("234,50"));

    Other->SetFocus();
    Edit->SetReadOnly(true);
    WaitEvents(200);
    const QImage readOnly = Shot(Edit->Widget(), "readonly");
    EXPECT_EQ(Ink(readOnly), plainInk);

    Edit->SetReadOnly(false);
    Edit->SetBiDiMode(bdRightToLeft);
    WaitEvents(200);
    const QImage rtl = Shot(Edit->Widget(), "rtl");
    const QRect rtlInk = Ink(rtl);
    ASSERT_TRUE(rtlInk.isValid());
    EXPECT_LT(rtlInk.right(), rtl.width() * 2 / 3);
}

TEST_F(NumberEditPicture, CalculatorDropsDownUnderTheEdit)
{
    Edit->EditButton()->SetVisible(true);
    Edit->SetFocus();
    WaitEvents(200);
    TEditButtonControlEh* button = Edit->GetEditButtonControlByEditButton(Edit->EditButton());
    ASSERT_NE(button, nullptr);
    bool autoRepeat = false;
    button->EditButtonDown(false, autoRepeat);
    WaitEvents(300);
    auto* calc = dynamic_cast<TPopupCalculatorEh*>(Edit->GetDropDownCalculator());
    ASSERT_NE(calc, nullptr);
    QWidget* w = calc->Widget();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Edit->Widget());
    const QPoint editBottom = Edit->Widget()->mapToGlobal(QPoint(0, Edit->Height()));
    EXPECT_EQ(w->geometry().top(), editBottom.y());
    EXPECT_EQ(w->geometry().left(), editBottom.x());
    const QImage shot = Shot(w, "calculator");
    EXPECT_EQ(Rgb(shot, 0, shot.height() / 2), ToRgb(ColorToRGB(cl3DDkShadow)));
    EXPECT_EQ(calc->DisplayText(), "1234,5");
    Edit->CloseUp(false);
    WaitEvents(100);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
