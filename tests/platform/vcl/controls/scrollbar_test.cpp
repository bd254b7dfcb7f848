#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/ScrollBars.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

using namespace vcltest;

namespace {
struct BarFixture : ::testing::Test {
    TForm* Form = nullptr;
    TScrollBar* Bar = nullptr;
    QStringList Log;
    void SetUp() override
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 200, 100);
        Bar = Create<TScrollBar>(Form);
        Bar->SetParent(Form);
        Bar->SetBounds(0, 0, 117, 17);
        Bar->SetParams(0, 0, 99);
        Bar->LargeChange = 10;
        Bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) { Log << QStringLiteral("%1:%2").arg(int(code)).arg(pos); };
        Form->Show();
    }
    void TearDown() override { delete Form; }
    void Mouse(QEvent::Type t, int x)
    {
        QMouseEvent e(t, QPointF(x, 8), QPointF(Bar->Widget()->mapToGlobal(QPoint(x, 8))), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Bar->Widget(), &e);
    }
};
}

TEST_F(BarFixture, ButtonsAndTrackGiveLineAndPageCodes)
{
    Mouse(QEvent::MouseButtonPress, 110);   // right arrow
    Mouse(QEvent::MouseButtonRelease, 110);
    EXPECT_EQ(Bar->Position(), 1);
    Mouse(QEvent::MouseButtonPress, 90);    // track after the thumb
    Mouse(QEvent::MouseButtonRelease, 90);
    EXPECT_EQ(Bar->Position(), 11);
    EXPECT_EQ(Log, QStringList({"1:1", "8:1", "3:11", "8:11"}));
}

TEST_F(BarFixture, ThumbDragTracksThenSetsThePosition)
{
    const TRect thumb = Bar->ThumbRect();
    ASSERT_FALSE(IsRectEmpty(thumb));
    Mouse(QEvent::MouseButtonPress, thumb.Left + 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(thumb.Left + 2 + 40, 8), QPointF(), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Bar->Widget(), &move);
    EXPECT_EQ(Bar->Position(), 0);   // tracking does not move the position yet
    Mouse(QEvent::MouseButtonRelease, thumb.Left + 2 + 40);
    ASSERT_GE(Log.size(), 3);
    EXPECT_TRUE(Log[0].startsWith(QStringLiteral("5:")));
    EXPECT_TRUE(Log[Log.size() - 2].startsWith(QStringLiteral("4:")));
    EXPECT_GT(Bar->Position(), 40);
}

TEST_F(BarFixture, ParamsAreValidated)
{
    EXPECT_THROW(Bar->SetParams(0, 10, 5), EInvalidOperation);
    Bar->SetParams(500, 0, 99);
    EXPECT_EQ(Bar->Position(), 99);
    Bar->SetPageSize(10);
    EXPECT_EQ(Bar->MaxPos(), 90);
    EXPECT_THROW(Bar->SetPageSize(200), EInvalidOperation);
    Bar->SetKind(sbVertical);
    EXPECT_EQ(Bar->Width(), 17);
    EXPECT_EQ(Bar->Height(), 117);
}
