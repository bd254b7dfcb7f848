// The timer fires on the event loop while enabled with an interval and a handler.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "support/DialogScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
void RunLoopFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}
}  // namespace

TEST(Timer, FiresWhileEnabledAndStopsWhenDisabled)
{
    std::unique_ptr<TTimer> timer(Create<TTimer>(nullptr));
    int ticks = 0;
    timer->SetInterval(20);
    EXPECT_FALSE(timer->Running());   // no handler yet
    timer->SetOnTimer(TNotifyEvent([&](TObject* sender) {
        EXPECT_EQ(sender, timer.get());
        ++ticks;
    }));
    EXPECT_TRUE(timer->Running());
    RunLoopFor(200);
    EXPECT_GE(ticks, 3);
    timer->SetEnabled(false);
    const int stopped = ticks;
    RunLoopFor(80);
    EXPECT_EQ(ticks, stopped);
    timer->SetEnabled(true);
    timer->SetInterval(0);
    EXPECT_FALSE(timer->Running());
}

TEST(Timer, HandlerErrorGoesToTheErrorBoxAndTheTimerGoesOn)
{
    std::unique_ptr<TTimer> timer(Create<TTimer>(nullptr));
    int ticks = 0;
    testsupport::TDialogScript user;
    user.Then(IDOK);
    timer->SetInterval(10);
    timer->SetOnTimer(TNotifyEvent([&](TObject*) {
        if (++ticks == 1)
            throw Exception(QStringLiteral("Ошибка таймера"));
    }));
    RunLoopFor(150);
    timer->SetEnabled(false);
    EXPECT_GE(ticks, 3);
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Ошибка таймера."));
}
