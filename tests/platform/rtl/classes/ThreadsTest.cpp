#include "platform/rtl/Threads.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace {

// A job whose body is given as a function of the thread itself.
class Job : public TThread {
public:
    std::function<void(Job&)> Body;
    explicit Job(std::function<void(Job&)> body) : TThread(true), Body(std::move(body)) {}
    ~Job() override { if (Destroyed) *Destroyed = true; }
    using TThread::SetReturnValue;
    void Sync(const TThreadMethod& m) { Synchronize(m); }
    void SyncTick() { Synchronize(&Job::Tick); }
    void Tick() { Ticks += IsUIThread() ? 1 : 1000; }
    int Ticks = 0;
    std::atomic<bool>* Destroyed = nullptr;

protected:
    void Execute() override { Body(*this); }
};

class ThreadTest : public ::testing::Test {
protected:
    int Argc = 1;
    char Arg0[8] = "test";
    char* Argv[2] = {Arg0, nullptr};
    std::unique_ptr<QCoreApplication> App = std::make_unique<QCoreApplication>(Argc, Argv);
};

// Runs the event loop until done() or a generous guard time.
void SpinUntil(const std::function<bool()>& done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

TEST_F(ThreadTest, SynchronizeRunsOnTheUIThreadThroughTheEventLoop)
{
    int counter = 0;   // touched only on the UI thread
    std::atomic<int> offThread{0};
    std::atomic<bool> terminated{false};
    Job job([&](Job& self) {
        for (int i = 0; i < 1000; ++i)
            self.Sync([&] {
                if (!IsUIThread())
                    ++offThread;
                ++counter;
            });
    });
    job.OnTerminate = [&](TObject* sender) {
        EXPECT_EQ(sender, &job);
        EXPECT_TRUE(IsUIThread());
        terminated = true;
    };
    EXPECT_FALSE(job.Started());
    job.Start();
    SpinUntil([&] { return terminated.load(); });
    EXPECT_TRUE(terminated);
    job.WaitFor();
    EXPECT_EQ(counter, 1000);
    EXPECT_EQ(offThread, 0);
    EXPECT_THROW(job.Start(), EThread);
}

TEST_F(ThreadTest, WaitForOnTheUIThreadServesSynchronize)
{
    int counter = 0;
    bool terminateRan = false;
    Job job([&](Job& self) {
        for (int i = 0; i < 1000; ++i)
            self.Sync([&] { ++counter; });
        self.SetReturnValue(42);
    });
    job.OnTerminate = [&](TObject*) { terminateRan = true; };
    job.Body = [&, body = job.Body](Job& self) {
        body(self);
        self.SyncTick();   // a method of the job itself
    };
    job.SetPriority(tpHigher);
    job.Start();
    EXPECT_EQ(job.WaitFor(), 42);   // no event loop: WaitFor itself runs the requests
    EXPECT_EQ(counter, 1000);
    EXPECT_EQ(job.Ticks, 1);
    EXPECT_TRUE(terminateRan);
    EXPECT_TRUE(job.Finished());
}

TEST_F(ThreadTest, SynchronizeOnTheUIThreadIsADirectCall)
{
    bool ran = false;
    TThread::Synchronize(nullptr, TThreadMethod([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST_F(ThreadTest, ExceptionsReachTheJobAndFatalException)
{
    QString caught;
    bool wasConvertError = false;
    Job job([&](Job& self) {
        try {
            self.Sync([] { throw EConvertError(QStringLiteral("'x' is not a valid integer value")); });
        } catch (const EConvertError& e) {
            wasConvertError = true;
            caught = e.Message();
        }
        throw EAbort(QStringLiteral("job stopped"));
    });
    job.Start();
    job.WaitFor();
    EXPECT_TRUE(wasConvertError);
    EXPECT_EQ(caught, "'x' is not a valid integer value");
    ASSERT_NE(job.FatalException(), nullptr);
    EXPECT_NE(dynamic_cast<EAbort*>(job.FatalException()), nullptr);
    EXPECT_EQ(job.FatalException()->Message(), "job stopped");

    Job plain([](Job&) { throw 5; });
    plain.Start();
    plain.WaitFor();
    EXPECT_EQ(plain.FatalException(), nullptr);
    EXPECT_TRUE(bool(plain.FatalExceptionPtr()));
}

TEST_F(ThreadTest, TerminateIsSeenByTheJob)
{
    std::atomic<bool> running{false};
    Job job([&](Job& self) {
        running = true;
        while (!self.Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        self.SetReturnValue(-1);
    });
    job.Start();
    while (!running)
        std::this_thread::yield();
    job.Terminate();
    EXPECT_EQ(job.WaitFor(), -1);
}

TEST_F(ThreadTest, FreeOnTerminateDeletesTheJob)
{
    std::atomic<bool> destroyed{false};
    bool terminated = false;
    auto* job = new Job([](Job& self) { self.Sync([] {}); });
    job->Destroyed = &destroyed;
    job->OnTerminate = [&](TObject*) { terminated = true; };
    job->SetFreeOnTerminate(true);
    job->Start();
    SpinUntil([&] { return destroyed.load(); });
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(terminated);
}

TEST_F(ThreadTest, ShutdownMakesSynchronizeFailFast)
{
    // A job blocked in Synchronize when the application goes away is released with EThread.
    std::atomic<bool> waiting{false};
    std::atomic<bool> ranOnUI{false};
    QString blockedError, laterError;
    Job job([&](Job& self) {
        waiting = true;
        try {
            self.Sync([&] { ranOnUI = true; });
        } catch (const EThread& e) {
            blockedError = e.Message();
        }
        try {
            self.Sync([&] { ranOnUI = true; });   // and every later call fails at once
        } catch (const EThread& e) {
            laterError = e.Message();
        }
    });
    job.Start();
    while (!waiting)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));   // let it queue its request
    App.reset();
    EXPECT_TRUE(SynchronizeShutdown());
    job.WaitFor();
    EXPECT_FALSE(ranOnUI);
    EXPECT_EQ(blockedError, "Synchronize is not possible: the application is shutting down");
    EXPECT_EQ(laterError, blockedError);
}

TEST_F(ThreadTest, ANewApplicationStartsAfresh)
{
    EXPECT_FALSE(SynchronizeShutdown());
    int n = 0;
    Job job([&](Job& self) { self.Sync([&] { ++n; }); });
    job.Start();
    job.WaitFor();
    EXPECT_EQ(n, 1);

    // Quitting the event loop counts as shutting down too.
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_TRUE(SynchronizeShutdown());
    QString err;
    Job late([&](Job& self) {
        try {
            self.Sync([] {});
        } catch (const EThread& e) {
            err = e.Message();
        }
    });
    late.Start();
    late.WaitFor();
    EXPECT_FALSE(err.isEmpty());
}

TEST(CriticalSection, SerialisesAndNests)
{
    TCriticalSection cs;
    int64_t total = 0;
    std::vector<std::thread> ts;
    for (int t = 0; t < 4; ++t)
        ts.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                TCriticalSection::Lock outer(cs);
                TCriticalSection::Lock inner(cs);   // recursive
                ++total;
            }
        });
    for (auto& t : ts)
        t.join();
    EXPECT_EQ(total, 40000);
}
