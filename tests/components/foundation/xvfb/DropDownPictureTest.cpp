// A drop-down list on a real X server: a top-level window that leaves the keyboard with the
// edit, looks on the screen as it paints itself, and hears of a press outside.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/foundation/GridsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/VclImageCompare.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

class TWatchedList : public TPopupListboxEh {
public:
    using TPopupListboxEh::TPopupListboxEh;
    int CancelModes = 0;

protected:
    void CMCancelMode(TMessage& M) override
    {
        ++CancelModes;
        TPopupListboxEh::CMCancelMode(M);
    }
};

TEST(DropDownOnXServer, ListLooksAsPaintedAndLeavesTheFocusWithTheEdit)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBounds(60, 60, 320, 240);
    auto* edit = Create<TCustomEdit>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 22);
    ShowAndFocus(form.get(), edit);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());

    auto* list = Create<TWatchedList>(form.get());
    list->SetItemHeight(16);
    for (const char* s : {"Январь", "Февраль", "Март", "Апрель", "Май"})
        list->Items()->Add(QString::fromUtf8(s));
    const TPoint below = edit->ClientToScreen(TPoint(0, edit->Height()));
    list->SetBounds(below.X, below.Y, 150, 5 * 16 + 4);
    list->SetItemIndex(2);
    list->SetVisible(true);
    WaitEvents(400);

    QWidget* w = list->Widget();
    ASSERT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    // The edit keeps the keyboard while the list is open.
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
    EXPECT_TRUE(form->Widget()->isActiveWindow());

    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, w->x(), w->y(), w->width(), w->height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(150, 84));
    ASSERT_EQ(own.size(), shot.size());
    // The server's pixels are ours (a stray pixel or two of the pointer aside).
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y), b = shot.pixelColor(x, y);
            differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                   std::abs(a.blue() - b.blue())}) > 8;
        }
    EXPECT_LE(differing, 4);
    // Raised border, the current row highlighted, the others in the window colour.
    EXPECT_EQ(Rgb(shot, 0, 40), PixelOf(cl3DLight));
    EXPECT_EQ(Rgb(shot, 1, 40), PixelOf(clBtnHighlight));
    EXPECT_EQ(Rgb(shot, 149, 40), PixelOf(cl3DDkShadow));
    EXPECT_EQ(Rgb(shot, 148, 40), PixelOf(clBtnShadow));
    EXPECT_EQ(Rgb(shot, 140, 2 + 2 * 16 + 8), PixelOf(clHighlight));
    EXPECT_EQ(Rgb(shot, 140, 2 + 1 * 16 + 8), PixelOf(clWindow));
    EXPECT_TRUE(InkBox(shot.copy(2, 2 + 16, 100, 16)).isValid());   // "Февраль" is there

    // A press on the form outside the list tells the list to close.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(200, 150), form->Widget()->mapToGlobal(QPointF(200, 150)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->Widget(), &press);
    EXPECT_EQ(list->CancelModes, 1);
    list->SetVisible(false);
    WaitEvents(100);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
}

}  // namespace
