// The up-down: clicks on its two halves step the position within its range, the associated
// edit sits next to it and shows the position, and a refused change keeps everything.
#include "platform/vcl/VclTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Mask.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

const char* const UpDownForm = R"(object UpDownForm: TForm
  Width = 300
  Height = 100
  object Size: TEdit
    Left = 10
    Top = 8
    Width = 40
    Height = 22
    Text = '0'
  end
  object Spin: TUpDown
    Associate = Size
    Min = 1
    Max = 12
    Position = 10
  end
end
)";

struct UpDownFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TUpDown* Spin = nullptr;
    TEdit* Size = nullptr;
    void SetUp() override
    {
        RegisterClasses<TEdit, TUpDown>();
        ReadComponentRes(QByteArray(UpDownForm), Form.get());
        Spin = dynamic_cast<TUpDown*>(Form->FindComponent("Spin"));
        Size = dynamic_cast<TEdit*>(Form->FindComponent("Size"));
        ASSERT_TRUE(Spin && Size);
        Form->Show();
    }
    // A real click on the upper (Next) or lower (Prev) half.
    void Click(TUDBtnType Button)
    {
        QWidget* w = Spin->Widget();
        ASSERT_NE(w, nullptr);
        const QPoint p(Spin->Width() / 2, Button == btNext ? 2 : Spin->Height() - 3);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }
};

}  // namespace

TEST_F(UpDownFixture, SitsRightOfItsEditAndShowsThePositionThere)
{
    EXPECT_EQ(Spin->Parent(), Form.get());
    EXPECT_EQ(Spin->Left(), Size->Left() + Size->Width());
    EXPECT_EQ(Spin->Top(), Size->Top());
    EXPECT_EQ(Spin->Height(), Size->Height());
    EXPECT_EQ(Size->Text(), "10");
}

TEST_F(UpDownFixture, ClicksStepWithinTheRangeOrWrap)
{
    std::vector<TUDBtnType> clicked;
    Spin->OnClick = TUDClickEvent([&](TObject*, TUDBtnType b) { clicked.push_back(b); });
    const struct {
        bool wrap;
        int increment;
        TUDBtnType button;
        int from, to;
    } cases[] = {
        {false, 1, btNext, 10, 11}, {false, 1, btPrev, 10, 9},  {false, 5, btNext, 10, 12},
        {false, 5, btPrev, 3, 1},   {true, 1, btNext, 12, 1},   {true, 1, btPrev, 1, 12},
    };
    for (const auto& c : cases) {
        Spin->Wrap = c.wrap;
        Spin->Increment = c.increment;
        Spin->SetPosition(c.from);
        clicked.clear();
        Click(c.button);
        EXPECT_EQ(Spin->Position(), c.to) << c.from << " wrap " << c.wrap;
        EXPECT_EQ(Size->Text(), QString::number(c.to));
        EXPECT_EQ(clicked, std::vector<TUDBtnType>{c.button});
    }
}

TEST_F(UpDownFixture, StepsFromWhatWasTypedAndARefusedChangeKeepsIt)
{
    Size->SetText(QStringLiteral("4"));
    Click(btNext);
    EXPECT_EQ(Spin->Position(), 5);

    Spin->OnChanging = TUDChangingEvent([](TObject*, bool& Allow) { Allow = false; });
    Click(btNext);
    EXPECT_EQ(Spin->Position(), 5);
    EXPECT_EQ(Size->Text(), "5");
}

TEST_F(UpDownFixture, LargePositionsShowThousandsUnlessTurnedOff)
{
    Spin->SetMax(100000);
    Spin->SetPosition(12345);
    EXPECT_EQ(Size->Text(), QStringLiteral("12") + FormatSettings.ThousandSeparator + QStringLiteral("345"));
    Click(btNext);   // the separator typed back is no obstacle
    EXPECT_EQ(Spin->Position(), 12346);
    Spin->SetThousands(false);
    EXPECT_EQ(Size->Text(), "12346");
    Spin->SetPosition(-5000);
    EXPECT_EQ(Spin->Position(), 1);   // below Min
}

TEST_F(UpDownFixture, AFreedEditIsLetGo)
{
    delete Size;
    EXPECT_EQ(Spin->Associate(), nullptr);
    Click(btNext);
    EXPECT_EQ(Spin->Position(), 11);
}
