// The drop-down calendar on a real X server: a top-level window that leaves the keyboard with
// the edit, looks on the screen as it paints itself, and closes on a press outside.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/VclImageCompare.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

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
    WaitEvents(300);
    form->Widget()->activateWindow();
    edit->SetFocus();
    WaitEvents(200);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());

    auto* cal = Create<TPopupMonthCalendarEh>(edit);
    edit->Calendar = cal;
    cal->SetDate(EncodeDate(2024, 3, 15));
    cal->HandleNeeded();
    TPoint p;
    PlaceDropDownUnderControl(edit, cal, taLeftJustify, p);
    cal->SetBounds(p.X, p.Y, cal->Width(), cal->Height());
    cal->SetVisible(true);
    WaitEvents(400);

    QWidget* w = cal->Widget();
    ASSERT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
    EXPECT_TRUE(form->Widget()->isActiveWindow());

    const QImage shot = ScreenShot(w, QStringLiteral("calendar-dropdown"));
    ASSERT_EQ(shot.size(), QSize(cal->Width(), cal->Height()));
    const int differing = OffFromOwnPainting(cal, shot);
    ASSERT_GE(differing, 0) << "the window paints itself at another size";
    EXPECT_LE(differing, 4);
    // Raised border; the title in the face colour; the chosen day highlighted with ink on it.
    const int mid = shot.height() / 2, right = shot.width() - 1;
    EXPECT_EQ(Rgb(shot, 0, mid), PixelOf(cl3DLight));
    EXPECT_EQ(Rgb(shot, 1, mid), PixelOf(clBtnHighlight));
    EXPECT_EQ(Rgb(shot, right, mid), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, right - 1, mid), PixelOf(clBtnShadow));
    const TRect title = cal->TitleRect();
    EXPECT_EQ(Rgb(shot, 2 + title.Left + title.Width() / 4, 2 + title.Top + 2), PixelOf(clBtnFace));
    const TRect day = cal->DayRect(EncodeDate(2024, 3, 15));
    EXPECT_EQ(Rgb(shot, 2 + day.Left + 1, 2 + day.Top + 1), PixelOf(clHighlight));
    EXPECT_TRUE(InkBox(shot.copy(2 + day.Left, 2 + day.Top, day.Width(), day.Height())).isValid());
    EXPECT_EQ(Rgb(shot, 2 + cal->DayRect(EncodeDate(2024, 3, 14)).Left + 1, 2 + day.Top + 1), PixelOf(clWindow));

    // Keys typed into the edit move the calendar's day; Enter closes with acceptance.
    QKeyEvent right1(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(edit->Widget(), &right1);
    EXPECT_EQ(cal->Date(), EncodeDate(2024, 3, 16));

    // A press on the form outside the calendar closes it without taking the day.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 250), form->Widget()->mapToGlobal(QPointF(300, 250)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->Widget(), &press);
    EXPECT_EQ(edit->Closes, std::vector<bool>({false}));
    WaitEvents(100);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
    // Leave the screen as it was for the suites that follow.
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WaitEvents(200);
}

}  // namespace
