// A drop-down form on a real X server: a top-level window of its own that opens under the edit,
// leaves the keyboard focus and the active window with the edit's form, takes the keys typed
// there, and closes on Escape or on a press outside with the focus still on the edit.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/vcl/Mask.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

using namespace testsupport;

namespace {

class TTypedFormEh : public TCustomDropDownFormEh {
public:
    using TCustomDropDownFormEh::TCustomDropDownFormEh;
    QString Typed;

protected:
    void KeyPress(QChar& Key) override { Typed += Key; }
};

void TypeToFocus(int QtKey, const QString& Text)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QKeyEvent press(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(focus, &release);
}

TEST(DropDownFormOnXServer, OpensAsItsOwnWindowAndLeavesTheFocusWithTheEdit)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto host = CreateUnique<TForm>(nullptr);
    host->SetBounds(60, 60, 360, 260);
    auto* edit = Create<TCustomEdit>(host.get());
    edit->SetParent(host.get());
    edit->SetBounds(10, 10, 150, 22);
    ShowAndFocus(host.get(), edit);
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());

    auto form = CreateUnique<TTypedFormEh>(nullptr);
    form->SetBounds(0, 0, 200, 120);
    TDynVarsEh vars(nullptr);
    std::vector<bool> accepts;
    const TPoint origin = edit->ClientToScreen(TPoint(0, 0));
    auto sys = std::make_unique<TEditControlDropDownFormSysParams>();
    sys->SetEditControl(edit);
    for (int round = 0; round < 2; ++round) {
        form->ExecuteNomodal(Bounds(origin.X, origin.Y, edit->Width(), edit->Height()), nullptr, daLeft, &vars,
                             sys.get(),
                             [&](TCustomForm*, bool Accept, TDynVarsEh*, TDropDownFormSysParams*) {
                                 accepts.push_back(Accept);
                             });
        WaitEvents(300);
        QWidget* w = form->Widget();
        ASSERT_TRUE(w->isWindow());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->geometry().top(), origin.Y + edit->Height());
        // The edit keeps the keyboard and its form stays the active window.
        EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
        EXPECT_TRUE(host->Widget()->isActiveWindow());

        TypeToFocus(Qt::Key_K, QStringLiteral("k"));
        EXPECT_EQ(form->Typed, QStringLiteral("k").repeated(round + 1));
        if (round == 0) {
            TypeToFocus(Qt::Key_Escape, QString());
        } else {
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 200),
                              host->Widget()->mapToGlobal(QPointF(300, 200)), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(host->Widget(), &press);
        }
        WaitEvents(200);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), edit->Widget());
        EXPECT_TRUE(host->Widget()->isActiveWindow());
    }
    EXPECT_EQ(accepts, (std::vector<bool>{false, false}));
    // Keys typed now are the edit's again.
    TypeToFocus(Qt::Key_K, QStringLiteral("k"));
    EXPECT_EQ(form->Typed, QStringLiteral("kk"));
}

}  // namespace
