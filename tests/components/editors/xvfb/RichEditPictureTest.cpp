// The data-aware rich edit's face on a real X server: plain, focused with a selection,
// read-only and right to left, each as the screen shows it and as it paints itself.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QKeyEvent>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

const char* const Rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 DejaVu Sans;}}\\f0\\fs20 "
                        "\\b \\'c8\\'f2\\'ee\\'e3\\'ee\\b0  \\'ea \\'ee\\'ef\\'eb\\'e0\\'f2\\'e5\\par "
                        "\\qr 1 234,50}";

QImage Grab(TWinControl* c, const char* name)
{
    return ShotAsPainted(c->Widget(), QStringLiteral("richedit-") + QLatin1String(name));
}

TEST(RichEditPicture, PlainFocusedReadOnlyAndRightToLeftFaces)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBounds(40, 500, 420, 260);
    auto* other = Create<TDBRichEditEh>(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 200, 100, 40);
    auto* edit = Create<TDBRichEditEh>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 300, 80);
    edit->SetRtfText(QString::fromLatin1(Rtf));
    form->Show();
    WaitEvents(300);
    form->Widget()->activateWindow();
    other->SetFocus();
    WaitEvents(200);

    // Plain: sunken border, window colour, the bold first line on the left, the second line
    // right-aligned.
    const QImage plain = Grab(edit, "plain");
    const QImage& s = plain;
    const int mid = s.height() / 2;
    EXPECT_EQ(Rgb(s, 0, mid), PixelOf(clBtnShadow));
    EXPECT_EQ(Rgb(s, 1, mid), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(s, s.width() - 1, mid), PixelOf(clBtnHighlight));
    EXPECT_EQ(Rgb(s, s.width() - 10, s.height() - 10), PixelOf(clWindow));
    const QRect firstLine = InkBox(s.copy(3, 3, s.width() - 6, 16), QColor::fromRgb(PixelOf(clWindow)));
    ASSERT_TRUE(firstLine.isValid());
    EXPECT_LT(firstLine.left(), 4);
    const QRect secondLine = InkBox(s.copy(3, 20, s.width() - 6, 16), QColor::fromRgb(PixelOf(clWindow)));
    ASSERT_TRUE(secondLine.isValid());
    EXPECT_GT(secondLine.left(), s.width() / 2);

    // Focused with the first word selected: the highlight behind it, the rest unchanged.
    edit->SetFocus();
    edit->SetSelStart(0);
    edit->SetSelLength(5);
    WaitEvents(200);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());
    const QImage focused = Grab(edit, "focused");
    EXPECT_EQ(Rgb(focused, 4, 5), PixelOf(clHighlight));
    EXPECT_EQ(Rgb(focused, s.width() - 10, s.height() - 10), PixelOf(clWindow));

    // Read-only: keys change nothing, the face stays.
    edit->SetReadOnly(true);
    edit->SetSelLength(0);
    WaitEvents(100);
    const QImage before = Grab(edit, "readonly");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(edit->Widget(), &press);
    WaitEvents(100);
    EXPECT_EQ(edit->Text(), QString::fromUtf8("Итого к оплате\r\n1 234,50"));
    EXPECT_EQ(MaxDiff(before, Grab(edit, "readonly-after")), 0);

    // Right to left: the ellipsis button on the left, the text runs from the right.
    edit->SetReadOnly(false);
    other->SetFocus();
    edit->SetBiDiMode(bdRightToLeft);
    edit->SetRtfText(QStringLiteral("abc"));
    TEditButtonEh* b = edit->EditButtons()->Add();
    b->SetStyle(ebsEllipsisEh);
    WaitEvents(300);
    const QImage rtl = Grab(edit, "rtl");
    ASSERT_TRUE(edit->ButtonsBox()->Visible());
    EXPECT_LT(edit->ButtonsBox()->Left(), 5);
    const QRect text = InkBox(rtl.copy(edit->ButtonsBox()->Width() + 4, 3, s.width() - edit->ButtonsBox()->Width() - 8, 16),
                              QColor::fromRgb(PixelOf(clWindow)));
    ASSERT_TRUE(text.isValid());
    EXPECT_GT(text.left(), (s.width() - edit->ButtonsBox()->Width()) / 2);

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WaitEvents(200);
}

}  // namespace
