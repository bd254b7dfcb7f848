#include "platform/vcl/VclTestSupport.h"

#include "platform/winapi/WinUser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <thread>
#include <vector>

namespace {
struct FakeWindow : HWND__ {
    std::vector<TMessage> Got;
    FakeWindow() { RegisterWindowHandle(this); }
    ~FakeWindow() override { UnregisterWindowHandle(this); }
    LRESULT DeliverMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        Got.push_back(TMessage{msg, w, l, 0});
        return LRESULT(msg + 1);
    }
    QWidget* Widget() const override { return nullptr; }
};

void Drain()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}
}

TEST(Messages, SendIsSynchronousAndParamsArePointerWide)
{
    FakeWindow w;
    int anchor = 0;
    const LRESULT r = SendMessage(&w, WM_USER + 1, WPARAM(&anchor), LPARAM(&anchor));
    EXPECT_EQ(r, LRESULT(WM_USER + 2));
    ASSERT_EQ(w.Got.size(), 1u);
    EXPECT_EQ(reinterpret_cast<int*>(w.Got[0].WParam), &anchor);
    EXPECT_EQ(reinterpret_cast<int*>(w.Got[0].LParam), &anchor);
}

TEST(Messages, PostedMessagesArePendingUntilDelivered)
{
    FakeWindow a, b;
    PostMessage(&a, WM_USER + 100, 1, 2);
    PostMessage(&b, WM_USER + 5, 0, 0);
    PostMessage(&a, WM_USER + 7, 0, 0);
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, &a, WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_FALSE(PeekMessage(m, &b, WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
    // Removing one takes it out of the delivery too.
    EXPECT_TRUE(PeekMessage(m, &a, WM_USER + 7, WM_USER + 7, PM_REMOVE));
    EXPECT_TRUE(a.Got.empty());
    Drain();
    ASSERT_EQ(a.Got.size(), 1u);
    EXPECT_EQ(a.Got[0].Msg, UINT(WM_USER + 100));
    ASSERT_EQ(b.Got.size(), 1u);
    EXPECT_FALSE(PeekMessage(m, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(Messages, DestroyedWindowLosesItsQueue)
{
    auto* w = new FakeWindow;
    PostMessage(w, WM_USER, 0, 0);
    EXPECT_EQ(PendingMessageCount(), 1);
    delete w;
    EXPECT_EQ(PendingMessageCount(), 0);
    EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
    Drain();
}

TEST(Messages, TimersByIdWithTenMillisecondFloor)
{
    FakeWindow w;
    SetTimer(&w, 7, 1);
    SetTimer(&w, 8, 100000);
    EXPECT_TRUE(TimerActive(&w, 7));
    QElapsedTimer clock;
    clock.start();
    // The deadline only stops a broken timer from hanging the run; a loaded machine can only
    // make the ticks later, never earlier, so the floor holds as a lower bound.
    while (w.Got.size() < 2 && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_GE(w.Got.size(), 2u);
    EXPECT_GE(clock.elapsed(), 15);   // two ticks of at least 10 ms
    for (const TMessage& m : w.Got) {
        EXPECT_EQ(m.Msg, UINT(WM_TIMER));
        EXPECT_EQ(m.WParam, 7u);
    }
    EXPECT_TRUE(KillTimer(&w, 7));
    EXPECT_FALSE(KillTimer(&w, 7));
    EXPECT_FALSE(TimerActive(&w, 7));
}

TEST(Messages, CaptureChangeIsReported)
{
    FakeWindow a, b;
    SetCapture(&a);
    EXPECT_EQ(GetCapture(), &a);
    SetCapture(&b);
    ASSERT_EQ(a.Got.size(), 1u);
    EXPECT_EQ(a.Got[0].Msg, UINT(WM_CAPTURECHANGED));
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Messages, WorkerThreadsMayPost)
{
    FakeWindow w;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&w, t] {
            for (int i = 0; i < 50; ++i)
                PostMessage(&w, WM_USER + 1, WPARAM(t), LPARAM(i));
        });
    for (auto& t : workers)
        t.join();
    EXPECT_EQ(PendingMessageCount(), 200);
    QElapsedTimer clock;
    clock.start();
    while (w.Got.size() < 200 && clock.elapsed() < 60000)
        QCoreApplication::processEvents();
    EXPECT_EQ(w.Got.size(), 200u);
}
