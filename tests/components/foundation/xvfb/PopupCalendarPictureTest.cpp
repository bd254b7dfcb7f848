// The drop-down calendar on a real X server: a top-level window that leaves the keyboard with
// the edit, looks on the screen as it paints itself, and closes on a press outside.
#include "support/XvfbEnvironment.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/VclImageCompare.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
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

class TDateEdit : public TCustomEdit, public IComboEditEh {
public:
    using TCustomEdit::TCustomEdit;
    TPopupMonthCalendarEh* Calendar = nullptr;
    std::vector<bool> Closes;
    void CloseUp(bool Accept) override
    {
        Closes.push_back(Accept);
        Calendar->SetVisible(false);
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (Calendar && Calendar->Visible()) {
            Calendar->Perform(WM_KEYDOWN, Key, 1);
            Key = 0;
            return;
        }
        TCustomEdit::KeyDown(Key, Shift);
    }
    void CMWantSpecialKey(TMessage& M) override { M.Result = Calendar && Calendar->Visible(); }
};

uint32_t Sys(TColor c)
{
    return ToRgb(ColorToRGB(c));
}

TEST(DropDownOnXServer, CalendarLooksAsPaintedAndLeavesTheFocusWithTheEdit)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    // Clear of the list's picture test, which may run at the same time on the same server.
    form->SetBounds(700, 500, 360, 300);
    auto* edit = Create<TDateEdit>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 22);
    form->Show();
    Wait(300);
    form->Widget()->activateWindow();
    edit->SetFocus();
    Wait(200);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());

    auto* cal = Create<TPopupMonthCalendarEh>(edit);
    edit->Calendar = cal;
    cal->SetDate(EncodeDate(2024, 3, 15));
    cal->HandleNeeded();
    TPoint p;
    PlaceDropDownUnderControl(edit, cal, taLeftJustify, p);
    cal->SetBounds(p.X, p.Y, cal->Width(), cal->Height());
    cal->SetVisible(true);
    Wait(400);

    QWidget* w = cal->Widget();
    ASSERT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
    EXPECT_TRUE(form->Widget()->isActiveWindow());

    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, w->x(), w->y(), w->width(), w->height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/calendar-dropdown.png"));
    ASSERT_EQ(shot.size(), QSize(cal->Width(), cal->Height()));
    ASSERT_EQ(own.size(), shot.size());
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y), b = shot.pixelColor(x, y);
            differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                   std::abs(a.blue() - b.blue())}) > 8;
        }
    EXPECT_LE(differing, 4);
    // Raised border; the title in the face colour; the chosen day highlighted with ink on it.
    const int mid = shot.height() / 2, right = shot.width() - 1;
    EXPECT_EQ(Rgb(shot, 0, mid), Sys(cl3DLight));
    EXPECT_EQ(Rgb(shot, 1, mid), Sys(clBtnHighlight));
    EXPECT_EQ(Rgb(shot, right, mid), Sys(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, right - 1, mid), Sys(clBtnShadow));
    const TRect title = cal->TitleRect();
    EXPECT_EQ(Rgb(shot, 2 + title.Left + title.Width() / 4, 2 + title.Top + 2), Sys(clBtnFace));
    const TRect day = cal->DayRect(EncodeDate(2024, 3, 15));
    EXPECT_EQ(Rgb(shot, 2 + day.Left + 1, 2 + day.Top + 1), Sys(clHighlight));
    EXPECT_TRUE(InkBox(shot.copy(2 + day.Left, 2 + day.Top, day.Width(), day.Height())).isValid());
    EXPECT_EQ(Rgb(shot, 2 + cal->DayRect(EncodeDate(2024, 3, 14)).Left + 1, 2 + day.Top + 1), Sys(clWindow));

    // Keys typed into the edit move the calendar's day; Enter closes with acceptance.
    QKeyEvent right1(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(edit->Widget(), &right1);
    EXPECT_EQ(cal->Date(), EncodeDate(2024, 3, 16));

    // A press on the form outside the calendar closes it without taking the day.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 250), form->Widget()->mapToGlobal(QPointF(300, 250)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->Widget(), &press);
    EXPECT_EQ(edit->Closes, std::vector<bool>({false}));
    Wait(100);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
    // Leave the screen as it was for the suites that follow.
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Wait(200);
}

}  // namespace
