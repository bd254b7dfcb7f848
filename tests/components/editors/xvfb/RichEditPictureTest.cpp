// The data-aware rich edit's face on a real X server: plain, focused with a selection,
// read-only and right to left, each as the screen shows it and as it paints itself.
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

using namespace vcltest;

namespace {

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

uint32_t Sys(TColor c) { return ToRgb(ColorToRGB(c)); }

const char* const Rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 DejaVu Sans;}}\\f0\\fs20 "
                        "\\b \\'c8\\'f2\\'ee\\'e3\\'ee\\b0  \\'ea \\'ee\\'ef\\'eb\\'e0\\'f2\\'e5\\par "
                        "\\qr 1 234,50}";

struct TFace {
    QImage Own, Shot;
};

// The control as the screen shows it and as it paints itself; they must agree.
TFace Grab(TWinControl* c, const char* name)
{
    QWidget* w = c->Widget();
    TFace f;
    f.Own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    f.Shot = QGuiApplication::primaryScreen()->grabWindow(0, g.x(), g.y(), w->width(), w->height()).toImage().convertToFormat(
        QImage::Format_RGB32);
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
        f.Shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/richedit-%1.png").arg(QLatin1String(name)));
    EXPECT_EQ(f.Shot.size(), f.Own.size()) << name;
    if (f.Shot.size() == f.Own.size()) {
        EXPECT_LE(MaxDiff(f.Own, f.Shot), 8) << name;
    }
    return f;
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
    Wait(300);
    form->Widget()->activateWindow();
    other->SetFocus();
    Wait(200);

    // Plain: sunken border, window colour, the bold first line on the left, the second line
    // right-aligned.
    const TFace plain = Grab(edit, "plain");
    const QImage& s = plain.Shot;
    const int mid = s.height() / 2;
    EXPECT_EQ(Rgb(s, 0, mid), Sys(clBtnShadow));
    EXPECT_EQ(Rgb(s, 1, mid), Sys(cl3DDkShadow));
    EXPECT_EQ(Rgb(s, s.width() - 1, mid), Sys(clBtnHighlight));
    EXPECT_EQ(Rgb(s, s.width() - 10, s.height() - 10), Sys(clWindow));
    const QRect firstLine = InkBox(s.copy(3, 3, s.width() - 6, 16), QColor::fromRgb(Sys(clWindow)));
    ASSERT_TRUE(firstLine.isValid());
    EXPECT_LT(firstLine.left(), 4);
    const QRect secondLine = InkBox(s.copy(3, 20, s.width() - 6, 16), QColor::fromRgb(Sys(clWindow)));
    ASSERT_TRUE(secondLine.isValid());
    EXPECT_GT(secondLine.left(), s.width() / 2);

    // Focused with the first word selected: the highlight behind it, the rest unchanged.
    edit->SetFocus();
    edit->SetSelStart(0);
    edit->SetSelLength(5);
    Wait(200);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());
    const TFace focused = Grab(edit, "focused");
    EXPECT_EQ(Rgb(focused.Shot, 4, 5), Sys(clHighlight));
    EXPECT_EQ(Rgb(focused.Shot, s.width() - 10, s.height() - 10), Sys(clWindow));

    // Read-only: keys change nothing, the face stays.
    edit->SetReadOnly(true);
    edit->SetSelLength(0);
    Wait(100);
    const TFace before = Grab(edit, "readonly");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(edit->Widget(), &press);
    Wait(100);
    EXPECT_EQ(edit->Text(), QString::fromUtf8("Итого к оплате\r\n1 234,50"));
    EXPECT_EQ(MaxDiff(before.Shot, Grab(edit, "readonly-after").Shot), 0);

    // Right to left: the ellipsis button on the left, the text runs from the right.
    edit->SetReadOnly(false);
    other->SetFocus();
    edit->SetBiDiMode(bdRightToLeft);
    edit->SetRtfText(QStringLiteral("abc"));
    TEditButtonEh* b = edit->EditButtons()->Add();
    b->SetStyle(ebsEllipsisEh);
    Wait(300);
    const TFace rtl = Grab(edit, "rtl");
    ASSERT_TRUE(edit->ButtonsBox()->Visible());
    EXPECT_LT(edit->ButtonsBox()->Left(), 5);
    const QRect text = InkBox(rtl.Shot.copy(edit->ButtonsBox()->Width() + 4, 3, s.width() - edit->ButtonsBox()->Width() - 8, 16),
                              QColor::fromRgb(Sys(clWindow)));
    ASSERT_TRUE(text.isValid());
    EXPECT_GT(text.left(), (s.width() - edit->ButtonsBox()->Width()) / 2);

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Wait(200);
}

}  // namespace
