// The rich edit's vertical scroll bar: shown for a tall document only when asked for, while the
// text scrolls with the caret and the wheel either way.
#include "platform/vcl/VclTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScrollBars.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

namespace {

struct RichScrollFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TRichEdit* Edit = nullptr;
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 300, 200);
        Edit = Create<TRichEdit>(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 200, 80);
        Form->Show();
        Form->SetActiveControl(Edit);
    }
    void Fill(int Lines)
    {
        QStringList many;
        for (int i = 0; i < Lines; ++i)
            many << QString::number(i);
        Edit->SetText(many.join("\r\n"));
    }
    void Key(int qtKey, Qt::KeyboardModifiers mods)
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods);
        QApplication::sendEvent(Edit->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods);
        QApplication::sendEvent(Edit->Widget(), &release);
    }
    void Wheel(int Delta)
    {
        const QPointF p(20, 20);
        QWheelEvent e(p, Edit->Widget()->mapToGlobal(p), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Edit->Widget(), &e);
    }
    bool BarShown() const { return Edit->VertScrollBar() && Edit->VertScrollBar()->Visible(); }
};

}  // namespace

TEST_F(RichScrollFixture, TheBarShowsOnlyWhenAskedForAndTheTextIsTall)
{
    const struct {
        TScrollStyle style;
        int lines;
        bool shown;
    } cases[] = {
        {ssNone, 40, false}, {ssVertical, 40, true}, {ssBoth, 40, true}, {ssHorizontal, 40, false},
        {ssVertical, 1, false},
    };
    for (const auto& c : cases) {
        Edit->SetScrollBars(c.style);
        Fill(c.lines);
        EXPECT_EQ(BarShown(), c.shown) << int(c.style) << " " << c.lines;
        // The text keeps clear of a shown bar and uses the room of a hidden one.
        const int right = Edit->ClientWidth() - 3;
        EXPECT_EQ(Edit->FormatRect().Right, c.shown ? right - Edit->VertScrollBar()->Width() : right);
    }
    Edit->SetScrollBars(ssVertical);
    Fill(40);
    Edit->SetScrollBars(ssNone);
    EXPECT_FALSE(BarShown());   // turned off over a tall text
}

TEST_F(RichScrollFixture, WithoutABarTheTextStillFollowsTheCaretAndTheWheel)
{
    Fill(40);
    ASSERT_FALSE(BarShown());
    Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_NE(Edit->VertScrollBar(), nullptr);
    const int bottom = Edit->VertScrollBar()->Position();
    EXPECT_GT(bottom, 0);
    Wheel(120);
    EXPECT_LT(Edit->VertScrollBar()->Position(), bottom);
}

TEST(RichEditStreaming, ScrollBarsGoThroughTheFormResource)
{
    RegisterClasses<TRichEdit>();
    auto form = CreateUnique<TForm>(nullptr);
    auto* edit = Create<TRichEdit>(form.get());
    edit->SetName(QStringLiteral("E"));
    edit->SetParent(form.get());
    EXPECT_FALSE(ComponentToText(form.get()).contains(QStringLiteral("ScrollBars")));
    edit->SetScrollBars(ssVertical);
    auto copy = CreateUnique<TForm>(nullptr);
    ReadComponentRes(ComponentToBinary(form.get()), copy.get());
    auto* back = dynamic_cast<TRichEdit*>(copy->FindComponent(QStringLiteral("E")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ScrollBars(), ssVertical);
}
