// The row of edit buttons at an edit's side: sizes, order, separators, nesting and the
// handlers the owner hears the buttons through.
#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <climits>
#include <memory>

namespace {

// Plays the edit: makes the controls the box asks for and hears the buttons.
class TBoxOwner : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Created = 0;
    std::vector<NativeInt> Downs, Clicks, Ups, Moves;

    void CreateControl(TEditButtonControlEh*& Control)
    {
        ++Created;
        Control = Create<TEditButtonControlEh>(this);
        Control->SetBounds(0, 0, 10, 17);
    }
    void Down(TObject* Sender, bool, bool&, bool&) { Downs.push_back(static_cast<TComponent*>(Sender)->Tag()); }
    void Click(TObject* Sender) { Clicks.push_back(static_cast<TComponent*>(Sender)->Tag()); }
    void Up(TObject* Sender, TMouseButton, TShiftState, int, int) { Ups.push_back(static_cast<TComponent*>(Sender)->Tag()); }
    void Move(TObject* Sender, TShiftState, int, int) { Moves.push_back(static_cast<TComponent*>(Sender)->Tag()); }
};

class ButtonsBoxTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TBoxOwner* owner = nullptr;
    TEditButtonsBoxEh* box = nullptr;
    std::vector<std::unique_ptr<TEditButtonEh>> buttons;

    void SetUp() override
    {
        form->SetBounds(0, 0, 400, 200);
        owner = Create<TBoxOwner>(form.get());
        owner->SetParent(form.get());
        owner->SetBounds(10, 10, 200, 60);
        box = Create<TEditButtonsBoxEh>(owner);
        box->SetParent(owner);
        box->SetOnCreateEditButtonControl(TCreateEditButtonControlEvent(owner, &TBoxOwner::CreateControl));
        box->SetOnDown(TButtonDownEventEh(owner, &TBoxOwner::Down));
        box->SetOnButtonClick(TNotifyEvent(owner, &TBoxOwner::Click));
        box->SetOnButtonMouseUp(TMouseEvent(owner, &TBoxOwner::Up));
        box->SetOnButtonMouseMove(TMouseMoveEvent(owner, &TBoxOwner::Move));
    }

    TEditButtonEh* Button(int Width, bool Visible = true)
    {
        buttons.push_back(CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(owner)));
        TEditButtonEh* b = buttons.back().get();
        b->SetWidth(Width);
        b->SetVisible(Visible);
        return b;
    }

    // Lays the box out for the given buttons, as the edit does.
    void Layout(std::initializer_list<TEditButtonEh*> Buttons, bool Flat, int MaxHeight)
    {
        box->BeginLayout();
        box->SetButtonsCount(int(Buttons.size()));
        box->SetFlat(Flat);
        box->SetMaxButtonHeight(MaxHeight);
        int i = 0;
        for (TEditButtonEh* b : Buttons)
            box->BtnCtlLine(i++).EditButton = b;
        box->EndLayout();
    }

    TEditButtonControlEh* Ctl(int i) { return box->BtnCtlList()[size_t(i)].EditButtonControl; }
    TShape* Sep(int i) { return box->BtnCtlList()[size_t(i)].ButtonLine; }
};

TEST_F(ButtonsBoxTest, ButtonWidthComesFromTheButtonOrTheDefaultOfItsLook)
{
    struct Case {
        int Width;
        bool Visible;
        bool Flat;
        int Expected;
    };
    const Case cases[] = {
        {0, true, true, DefaultEditButtonWidth()},
        {-5, true, true, DefaultEditButtonWidth()},
        {0, true, false, GetSystemMetrics(SM_CXVSCROLL)},
        {21, true, false, 21},
        {21, true, true, 21},
        {21, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "width " << c.Width << " visible " << c.Visible << " flat " << c.Flat);
        Layout({Button(c.Width, c.Visible)}, c.Flat, 20);
        EXPECT_EQ(Ctl(0)->Width(), c.Expected);
        EXPECT_EQ(Ctl(0)->Visible(), c.Visible);
        // A flat visible button carries a separator (styles are off in tests); the last one
        // is not counted in the row's width.
        const bool sep = c.Flat && c.Visible;
        EXPECT_EQ(Sep(0)->Visible(), sep);
        EXPECT_EQ(Sep(0)->Width(), sep ? 1 : 0);
        EXPECT_EQ(box->ButtonsWidth(), c.Expected);
    }
}

TEST_F(ButtonsBoxTest, ATallRowKeepsButtonsNearSquareAndSharesTheSmallerHeight)
{
    // 1.5 x 17 = 25.5 rounds to even 26: up to 26 the buttons take the whole height.
    struct Case {
        int MaxHeight;
        bool Flat;
        int Expected;
    };
    const Case cases[] = {{20, false, 20}, {26, false, 26}, {27, false, 17}, {27, true, 23}, {60, true, 23}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "max " << c.MaxHeight << " flat " << c.Flat);
        Layout({Button(17)}, c.Flat, c.MaxHeight);
        EXPECT_EQ(box->ButtonHeight(), c.Expected);
        EXPECT_EQ(Ctl(0)->Height(), c.Expected);
        EXPECT_EQ(Ctl(0)->Top(), 0);
    }

    // Two buttons in a tall row: the narrower one's height wins for both.
    Layout({Button(30), Button(15)}, false, 60);
    EXPECT_EQ(box->ButtonHeight(), 15);
    EXPECT_EQ(Ctl(0)->Height(), 15);
    EXPECT_EQ(Ctl(1)->Height(), 15);
    EXPECT_EQ(Ctl(0)->Width(), 30);
}

TEST_F(ButtonsBoxTest, ButtonsRunLeftToRightWithTheirSeparatorsAfterThem)
{
    Layout({Button(16), Button(12, false), Button(20)}, true, 20);
    EXPECT_EQ(Ctl(0)->Left(), 0);
    EXPECT_EQ(Sep(0)->Left(), 16);
    EXPECT_EQ(Sep(0)->Height(), 20);
    EXPECT_EQ(Ctl(1)->Width(), 0);
    EXPECT_EQ(Ctl(2)->Left(), 17);
    EXPECT_EQ(Sep(2)->Left(), 37);
    // 16 + 1 + 20 + 1, less the last separator.
    EXPECT_EQ(box->ButtonsWidth(), 37);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Ctl(i)->Tag(), i);
}

TEST_F(ButtonsBoxTest, RightToLeftPutsTheFirstButtonAtTheRightEnd)
{
    box->SetBiDiMode(bdRightToLeft);
    Layout({Button(16), Button(20)}, false, 20);
    EXPECT_EQ(box->ButtonsWidth(), 36);
    EXPECT_EQ(Ctl(0)->Left(), 20);
    EXPECT_EQ(Ctl(0)->Left() + Ctl(0)->Width(), 36);
    EXPECT_EQ(Ctl(1)->Left(), 0);

    // Flat: each separator stands before (left of) its button; the row mirrors the left to
    // right one, so the uncounted last separator lies outside the box and the first button
    // keeps all its columns.
    Layout({Button(16), Button(20)}, true, 20);
    EXPECT_EQ(box->ButtonsWidth(), 37);
    EXPECT_EQ(Ctl(0)->Left(), 21);
    EXPECT_EQ(Ctl(0)->Left() + Ctl(0)->Width(), box->ButtonsWidth());
    EXPECT_EQ(Sep(0)->Left(), 20);
    EXPECT_EQ(Ctl(1)->Left(), 0);
    EXPECT_EQ(Sep(1)->Left(), -1);
}

TEST_F(ButtonsBoxTest, NoVisibleButtonLeavesTheRowEmptyAndUnplaced)
{
    Layout({Button(16, false), Button(0, false)}, true, 20);
    EXPECT_EQ(box->ButtonsWidth(), 0);
    EXPECT_EQ(box->ButtonHeight(), INT_MAX);
}

TEST_F(ButtonsBoxTest, OnlyTheOutermostEndLayoutLaysTheRowOut)
{
    box->BeginLayout();
    box->BeginLayout();
    box->SetButtonsCount(1);
    box->SetMaxButtonHeight(20);
    box->BtnCtlLine(0).EditButton = Button(18);
    box->EndLayout();
    EXPECT_EQ(box->LayoutCount(), 1);
    EXPECT_EQ(box->ButtonsWidth(), 0);
    box->EndLayout();
    EXPECT_EQ(box->LayoutCount(), 0);
    EXPECT_EQ(box->ButtonsWidth(), 18);
    // An unmatched EndLayout does not drive the counter below zero.
    box->EndLayout();
    EXPECT_EQ(box->LayoutCount(), 0);
}

TEST_F(ButtonsBoxTest, GrowingAsksTheOwnerForControlsAndShrinkingFreesThem)
{
    box->SetButtonsCount(3);
    EXPECT_EQ(owner->Created, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Ctl(i)->Parent(), box);
        EXPECT_EQ(Ctl(i)->Owner(), owner);
        EXPECT_EQ(Sep(i)->Parent(), box);
        EXPECT_EQ(Sep(i)->Owner(), box);
    }
    const int ownerComponents = owner->ComponentCount();
    TShape* kept = Sep(0);
    box->SetButtonsCount(1);
    EXPECT_EQ(owner->ComponentCount(), ownerComponents - 2);
    EXPECT_EQ(box->ControlCount(), 2);
    EXPECT_EQ(Sep(0), kept);
    box->SetButtonsCount(2);
    EXPECT_EQ(owner->Created, 4);
    EXPECT_EQ(box->ControlCount(), 4);
}

TEST_F(ButtonsBoxTest, WithoutAFactoryTheBoxMakesItsOwnControls)
{
    box->SetOnCreateEditButtonControl(TCreateEditButtonControlEvent());
    box->SetButtonsCount(1);
    ASSERT_NE(Ctl(0), nullptr);
    EXPECT_EQ(Ctl(0)->Owner(), box);
    EXPECT_EQ(Ctl(0)->Parent(), box);
}

TEST_F(ButtonsBoxTest, ControlsFollowTheBoxAndTheirButtonsInState)
{
    TEditButtonEh* a = Button(16);
    TEditButtonEh* b = Button(16);
    b->SetEnabled(false);
    Layout({a, b}, true, 20);
    box->SetBorderActive(true);
    box->UpdateEditButtonControlsState();
    EXPECT_TRUE(Ctl(0)->Enabled());
    EXPECT_FALSE(Ctl(1)->Enabled());
    EXPECT_TRUE(Ctl(0)->Active());
    EXPECT_EQ(Sep(0)->Pen()->GetColor(), clBtnFace);

    box->SetColor(clYellow);
    box->SetBorderActive(false);
    box->SetEnabled(false);
    box->UpdateEditButtonControlsState();
    EXPECT_FALSE(Ctl(0)->Enabled());
    EXPECT_FALSE(Ctl(0)->Active());
    EXPECT_EQ(Sep(0)->Pen()->GetColor(), clYellow);
}

TEST_F(ButtonsBoxTest, MouseOnAButtonReachesTheOwnerWithTheButtonsIndex)
{
    Layout({Button(16), Button(16)}, false, 20);
    box->SetBounds(200 - box->ButtonsWidth(), 0, box->ButtonsWidth(), 20);
    form->Show();
    QWidget* w = Ctl(1)->Widget();
    ASSERT_NE(w, nullptr);
    const QPointF p(5, 5);
    QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(owner->Downs, std::vector<NativeInt>{1});
    EXPECT_EQ(owner->Ups, std::vector<NativeInt>{1});
    EXPECT_EQ(owner->Clicks, std::vector<NativeInt>{1});
    ASSERT_FALSE(owner->Moves.empty());
    EXPECT_EQ(owner->Moves.front(), 1);
}

TEST_F(ButtonsBoxTest, TheBoxIsReplicableWithAnArrowCursor)
{
    EXPECT_TRUE(box->ControlStyle.Contains(csReplicatable));
    EXPECT_EQ(box->Cursor(), crArrow);
}

}  // namespace
