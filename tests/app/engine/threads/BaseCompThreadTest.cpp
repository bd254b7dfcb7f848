// The job frame: controls borrowed from the window, switched and updated on the UI thread
// only, boxes answered through the hook, and a window freed under a running job.
#include "app/engine/support/MainWindowStandIn.h"
#include "platform/ado/ADODB.h"

#include <atomic>
#include <functional>
#include <latch>
#include <thread>

using namespace enginetest;

namespace {

// A job whose body the test supplies; it reaches the protected frame calls through Job.
class TTestJob : public TBaseCompThread {
public:
    using TBaseCompThread::TBaseCompThread;
    std::function<void(TTestJob&)> Body;
    std::atomic<bool>* Destroyed = nullptr;
    ~TTestJob() override
    {
        if (Destroyed)
            Destroyed->store(true);
    }

    using TBaseCompThread::SyncControlsEnabled;
    using TBaseCompThread::SyncDisableControls;
    using TBaseCompThread::SyncEnableControls;
    using TBaseCompThread::SyncErrorDialog;
    using TBaseCompThread::SyncInfoDialog;
    using TBaseCompThread::SyncProgressBarStyle;
    using TBaseCompThread::SyncStatusText;

protected:
    void Execute() override
    {
        if (Body)
            Body(*this);
    }
};

TTestJob* NewJob(TMainWindowStandIn& w)
{
    return new TTestJob(true, w.MainProgressBar, w.MainStatusBar, w.MainPageControl, w.LoadExcelFileBtn, w.UpdateBtn,
                        w.InstrumentsPanel, w.MainMenu);
}

struct TEnabledView {
    bool Load, Update, Pages, Tools, State, Export, Settings, SaveItem, Search, Top, Filters;
};

TEnabledView Look(TMainWindowStandIn& w)
{
    return {w.LoadExcelFileBtn->Enabled(), w.UpdateBtn->Enabled(), w.MainPageControl->Enabled(),
            w.InstrumentsPanel->Enabled(), w.StateMMBtn->Enabled(), w.ExportMMBtn->Enabled(),
            w.SettingsMMBtn->Enabled(), w.SaveStateMMBtn->Enabled(), w.SearchBtn->Enabled(),
            w.TopPanel->Enabled(), w.FiltersPanel->Enabled()};
}

}  // namespace

TEST(BaseCompThread, FrameDisablesJobControlsOnlyAndRestoresThem)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    w.SaveStateMMBtn->SetEnabled(false);   // branch mode: a sub-item keeps its own state
    std::latch running(1), release(1);
    TTestJob* job = NewJob(w);
    job->Body = [&](TTestJob& j) {
        j.SyncControlsEnabled(false);
        j.SyncProgressBarStyle(pbstMarquee);
        j.SyncStatusText(QStringLiteral("Загрузка файла a.xlsx"));
        running.count_down();
        release.wait();
        j.SyncStatusText(QStringLiteral("Обработка завершена"));
        j.SyncControlsEnabled(true);
        j.SyncProgressBarStyle(pbstNormal);
    };
    job->Start();
    ASSERT_TRUE(PumpUntil([&] { return running.try_wait(); }));

    TEnabledView v = Look(w);
    EXPECT_FALSE(v.Load);
    EXPECT_FALSE(v.Update);
    EXPECT_FALSE(v.Pages);
    EXPECT_FALSE(v.Tools);
    EXPECT_FALSE(v.State);
    EXPECT_FALSE(v.Export);
    EXPECT_FALSE(v.Settings);
    EXPECT_FALSE(v.SaveItem);
    EXPECT_TRUE(v.Search);
    EXPECT_TRUE(v.Top);
    EXPECT_TRUE(v.Filters);
    EXPECT_FALSE(w.LoadExcelFileBtn->Widget()->isEnabled());
    EXPECT_EQ(w.MainProgressBar->Style(), pbstMarquee);
    EXPECT_EQ(w.MainStatusBar->SimpleText(), QStringLiteral("Загрузка файла a.xlsx"));

    release.count_down();
    job->WaitFor();
    delete job;
    v = Look(w);
    EXPECT_TRUE(v.Load && v.Update && v.Pages && v.Tools && v.State && v.Export && v.Settings);
    EXPECT_FALSE(v.SaveItem);
    EXPECT_EQ(w.MainProgressBar->Style(), pbstNormal);
    EXPECT_EQ(w.MainStatusBar->SimpleText(), QStringLiteral("Обработка завершена"));
}

TEST(BaseCompThread, BoxesRunOnTheUIThreadAndTheJobWaitsForOk)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    TBoxRecorder boxes;
    std::vector<int> seenAfter;
    TTestJob* job = NewJob(w);
    job->Body = [&](TTestJob& j) {
        j.SyncErrorDialog(QStringLiteral("Ошибка\n\rЭСЧФ"));
        seenAfter.push_back(int(boxes.Boxes.size()));
        j.SyncInfoDialog(QStringLiteral("Сохранение завершено"));
        seenAfter.push_back(int(boxes.Boxes.size()));
    };
    job->Start();
    job->WaitFor();
    delete job;
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Ошибка\n\rЭСЧФ"));
    EXPECT_EQ(boxes.Boxes[0].Flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes.Boxes[1].Flags, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(boxes.Boxes[0].OnUIThread);
    EXPECT_TRUE(boxes.Boxes[1].OnUIThread);
    EXPECT_EQ(seenAfter, (std::vector<int>{1, 2}));
}

TEST(BaseCompThread, DatasetControlsSwitchedOnTheUIThread)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    auto qHolder = CreateUnique<TADOQuery>(nullptr);
    TADOQuery& q = *qHolder;
    bool disabledInJob = false;
    TTestJob* job = NewJob(w);
    job->Body = [&](TTestJob& j) {
        j.SyncDisableControls(&q);
        disabledInJob = q.ControlsDisabled();
        j.SyncEnableControls(&q);
    };
    job->Start();
    job->WaitFor();
    delete job;
    EXPECT_TRUE(disabledInJob);
    EXPECT_FALSE(q.ControlsDisabled());
}

TEST(BaseCompThread, FreesItselfAndSurvivesTheWindowGoingFirst)
{
    auto* w = Create<TMainWindowStandIn>();
    std::atomic<bool> destroyed{false};
    std::latch running(1), release(1);
    TTestJob* job = NewJob(*w);
    job->Destroyed = &destroyed;
    job->Body = [&](TTestJob& j) {
        j.SyncControlsEnabled(false);
        j.SyncProgressBarStyle(pbstMarquee);
        running.count_down();
        release.wait();
        // the window is gone by now: these must reach nothing
        j.SyncStatusText(QStringLiteral("Обработка завершена"));
        j.SyncControlsEnabled(true);
        j.SyncProgressBarStyle(pbstNormal);
    };
    job->SetFreeOnTerminate(true);
    job->SetPriority(tpNormal);
    job->Start();
    ASSERT_TRUE(PumpUntil([&] { return running.try_wait(); }));
    delete w;
    release.count_down();
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
}

TEST(BaseCompThread, JobsPublishThroughTheWindowsStateObject)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    auto* state = Create<TJobState>(&w);
    state->SetControls(w.MainProgressBar, w.MainStatusBar, w.MainPageControl, w.LoadExcelFileBtn, w.UpdateBtn,
                       w.InstrumentsPanel, w.MainMenu);
    std::vector<bool> heard;
    state->OnChange = [&](TObject*) { heard.push_back(state->Running()); };
    std::latch running(1), release(1);
    auto* job = new TTestJob(true, state);
    job->Body = [&](TTestJob& j) {
        j.SyncControlsEnabled(false);
        j.SyncStatusText(QStringLiteral("Сверка"));
        running.count_down();
        release.wait();
        j.SyncControlsEnabled(true);
    };
    job->Start();
    ASSERT_TRUE(PumpUntil([&] { return running.try_wait(); }));
    // what a command of the window asks before it starts another job
    EXPECT_TRUE(state->Running());
    EXPECT_FALSE(w.UpdateBtn->Enabled());
    EXPECT_EQ(w.MainStatusBar->SimpleText(), QStringLiteral("Сверка"));
    release.count_down();
    job->WaitFor();
    delete job;
    EXPECT_FALSE(state->Running());
    EXPECT_TRUE(w.UpdateBtn->Enabled());
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

// A command asks Running() right after it made a job, before the job's thread has disabled
// anything: the job counts from its making until its end is handed back.
TEST(BaseCompThread, AJobCountsAsRunningFromItsMakingToItsEnd)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    auto* state = Create<TJobState>(&w);
    state->SetControls(nullptr, nullptr, nullptr, nullptr, w.UpdateBtn, nullptr, nullptr);
    int changes = 0;
    state->OnChange = [&](TObject*) { ++changes; };

    auto* idle = new TTestJob(true, state);
    EXPECT_TRUE(state->Running());
    delete idle;   // made, never started
    EXPECT_FALSE(state->Running());

    std::atomic<bool> destroyed{false};
    auto* job = new TTestJob(true, state);
    job->Destroyed = &destroyed;
    job->Body = [](TTestJob& j) {
        j.SyncControlsEnabled(false);
        j.SyncControlsEnabled(true);
    };
    job->SetFreeOnTerminate(true);
    job->Start();
    EXPECT_TRUE(state->Running());
    ASSERT_TRUE(PumpUntil([&] { return !state->Running(); }));
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    EXPECT_TRUE(w.UpdateBtn->Enabled());
    EXPECT_EQ(changes, 4);
}

TEST(BaseCompThread, StateFreedUnderARunningJobIsNotReached)
{
    auto window = CreateUnique<TMainWindowStandIn>();
    TMainWindowStandIn& w = *window;
    auto* state = Create<TJobState>(&w);
    state->SetControls(nullptr, w.MainStatusBar, nullptr, nullptr, w.UpdateBtn, nullptr, nullptr);
    std::latch running(1), release(1);
    auto* job = new TTestJob(true, state);
    job->Body = [&](TTestJob& j) {
        j.SyncControlsEnabled(false);
        running.count_down();
        release.wait();
        j.SyncStatusText(QStringLiteral("после"));
        j.SyncControlsEnabled(true);
    };
    job->Start();
    ASSERT_TRUE(PumpUntil([&] { return running.try_wait(); }));
    delete state;
    release.count_down();
    job->WaitFor();
    delete job;
    EXPECT_FALSE(w.UpdateBtn->Enabled());   // nobody could enable it: the state was gone
    EXPECT_NE(w.MainStatusBar->SimpleText(), QStringLiteral("после"));
}

#ifndef NDEBUG
TEST(BaseCompThreadDeathTest, AControlTouchedFromAJobStopsADebugBuild)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto window = CreateUnique<TMainWindowStandIn>();
            std::thread job([&] { window->UpdateBtn->Perform(WM_NULL, 0, 0); });
            job.join();
        },
        "used off the UI thread");
}
#endif
