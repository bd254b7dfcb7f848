// An edit button bound to an action: its state follows the action, and a click without a
// handler runs the action for the edit control.
#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"

namespace {

struct ActionButtonFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TAction* Action = Create<TAction>(Form.get());
    TEditButtonEh Button{static_cast<TWinControl*>(Form.get())};
    int Runs = 0;
    TComponent* RunFor = nullptr;
    void SetUp() override
    {
        Action->SetHint(QString::fromUtf8("Выбрать филиал"));
        Action->SetShortCut(TShortCut(0x8000 | 'F'));
        Action->OnExecute = TNotifyEvent([this](TObject*) {
            ++Runs;
            RunFor = Action->ActionComponent;
        });
    }
};

}  // namespace

TEST_F(ActionButtonFixture, StateFollowsTheAction)
{
    Button.SetAction(Action);
    EXPECT_EQ(Button.Action(), Action);
    EXPECT_EQ(Button.Hint(), Action->Hint());
    EXPECT_EQ(Button.ShortCut(), Action->ShortCut());
    EXPECT_TRUE(Button.GetVisible());   // the action's visibility replaces the button's default
    Action->SetEnabled(false);
    EXPECT_FALSE(Button.Enabled());
    Action->SetVisible(false);
    EXPECT_FALSE(Button.GetVisible());
    // A hint set by hand lasts until the action changes again.
    Button.SetHint(QString::fromUtf8("Свой"));
    EXPECT_EQ(Button.Hint(), QString::fromUtf8("Свой"));
    Action->SetEnabled(true);
    EXPECT_EQ(Button.Hint(), Action->Hint());
    EXPECT_TRUE(Button.Enabled());
    // A copy takes the action along.
    TEditButtonEh copy(static_cast<TWinControl*>(Form.get()));
    copy.Assign(&Button);
    EXPECT_EQ(copy.Action(), Action);
    EXPECT_EQ(Action->LinkCount(), 2);
    copy.SetAction(nullptr);
    EXPECT_EQ(Action->LinkCount(), 1);
}

TEST_F(ActionButtonFixture, ClickRunsTheActionForTheEditControlUnlessOnClickTakesIt)
{
    Button.SetAction(Action);
    bool handled = false;
    Button.Click(&Button, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Runs, 1);
    EXPECT_EQ(RunFor, Form.get());
    int own = 0;
    Button.SetOnClick(TButtonClickEventEh([&](TObject*, bool&) { ++own; }));
    handled = false;
    Button.Click(&Button, handled);
    EXPECT_EQ(own, 1);
    EXPECT_EQ(Runs, 1);
    EXPECT_FALSE(handled);
}

TEST_F(ActionButtonFixture, AFreedActionLeavesTheButtonWithoutOne)
{
    Button.SetAction(Action);
    delete Action;
    EXPECT_EQ(Button.Action(), nullptr);
    bool handled = false;
    Button.Click(&Button, handled);
    EXPECT_FALSE(handled);
}
