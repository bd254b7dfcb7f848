// The update and layout locks of the axis grid and its deferred layout through the queue.
#include "support/AxisGridFixtures.h"

#include "components/foundation/ToolCtrlsEh.h"

using namespace testsupport;

namespace {

class GridLocks : public AxisGridOnForm {};

TEST_F(GridLocks, RequestsInsideAnUpdateRebuildOnceAtTheLastEndUpdate)
{
    grid->Layouts = 0;
    grid->BeginUpdate();
    grid->BeginUpdate();
    grid->LayoutChanged();
    grid->LayoutChanged();
    grid->LayoutChanged();
    EXPECT_EQ(grid->Layouts, 0);
    grid->EndUpdate();
    EXPECT_EQ(grid->Layouts, 0);
    grid->EndUpdate();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_FALSE(grid->LayoutChangedInUpdateLock());
    // Nothing pending any more: a further bracket rebuilds nothing.
    grid->BeginUpdate();
    grid->EndUpdate();
    EXPECT_EQ(grid->Layouts, 1);
}

TEST_F(GridLocks, RequestUnderALayoutLockIsLeftToTheLockHolder)
{
    grid->Layouts = 0;
    grid->BeginLayout();
    grid->LayoutChanged();
    EXPECT_EQ(grid->Layouts, 0);
    EXPECT_FALSE(grid->LayoutChangedInUpdateLock());
    grid->EndLayout();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 0);
}

TEST_F(GridLocks, NestedLayoutLocksRebuildOnlyAtTheOutermostEnd)
{
    grid->Layouts = 0;
    grid->BeginLayout();
    grid->BeginLayout();
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 1);
    grid->EndLayout();
    EXPECT_EQ(grid->Layouts, 0);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 1);
    grid->EndLayout();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 0);
}

TEST_F(GridLocks, ReleasesWithoutALockChangeNothing)
{
    grid->EndUpdate();
    grid->EndLayout();
    grid->EndLayoutNoNotify();
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 0);
}

TEST_F(GridLocks, TryBeginLayoutRefusesWhileAnyLockIsHeld)
{
    grid->BeginUpdate();
    EXPECT_FALSE(grid->TryBeginLayout());
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 1);
    grid->EndUpdate();
    ASSERT_TRUE(grid->TryBeginLayout());
    EXPECT_EQ(grid->LayoutLock(), 1);
    grid->EndLayout();
}

TEST_F(GridLocks, AFailedRebuildLeavesTheLocksBalancedAndReportsTheError)
{
    grid->BeginLayout();
    grid->ThrowInLayout = true;
    EXPECT_THROW(grid->EndLayout(), Exception);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 0);
    // The grid still rebuilds afterwards.
    grid->Layouts = 0;
    grid->LayoutChanged();
    EXPECT_EQ(grid->Layouts, 1);
}

TEST_F(GridLocks, EndLayoutNoNotifyReleasesWithoutRebuilding)
{
    grid->Layouts = 0;
    grid->BeginLayout();
    grid->EndLayoutNoNotify();
    EXPECT_EQ(grid->Layouts, 0);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 0);
}

TEST_F(GridLocks, DeferredLayoutIsPostedOnceAndRebuildsFromTheQueue)
{
    PumpGrid();
    grid->Layouts = 0;
    grid->EndLayoutDeferred();
    grid->EndLayoutDeferred();
    EXPECT_EQ(DeferredLayoutsQueued(grid), 1);
    EXPECT_EQ(grid->UpdateLock(), 0);
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->Layouts, 0);
    PumpGrid();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(DeferredLayoutsQueued(grid), 0);
}

// A deferred end releases the one layout lock it ends, never a lock that someone outside holds.
TEST_F(GridLocks, DeferredEndReleasesExactlyTheLockItEnds)
{
    grid->BeginUpdate();   // an outer holder
    grid->BeginLayout();
    grid->EndLayoutDeferred();
    EXPECT_EQ(grid->LayoutLock(), 0);
    EXPECT_EQ(grid->UpdateLock(), 1);
    EXPECT_EQ(grid->AxisBars()->GetUpdateCount(), 0);
    grid->EndUpdate();
    EXPECT_EQ(grid->UpdateLock(), 0);
}

TEST_F(GridLocks, QueuedRequestWaitsWhileALockIsHeldAndKeepsTheHoldersLock)
{
    grid->EndLayoutDeferred();
    grid->Layouts = 0;
    grid->BeginUpdate();
    PumpGrid();
    EXPECT_EQ(grid->Layouts, 0);
    EXPECT_EQ(grid->UpdateLock(), 1);
    EXPECT_EQ(DeferredLayoutsQueued(grid), 1);   // asked again
    grid->EndUpdate();
    PumpGrid();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(DeferredLayoutsQueued(grid), 0);
}

TEST_F(GridLocks, ARebuildTakesAQueuedRequestOffTheQueue)
{
    grid->EndLayoutDeferred();
    ASSERT_EQ(DeferredLayoutsQueued(grid), 1);
    grid->Layouts = 0;
    grid->LayoutChanged();
    EXPECT_EQ(grid->Layouts, 1);
    EXPECT_EQ(DeferredLayoutsQueued(grid), 0);
    PumpGrid();
    EXPECT_EQ(grid->Layouts, 1);
}

// A drop-down placement notice that reaches the grid is not a layout request.
TEST_F(GridLocks, DropDownPlacementNoticeDoesNotRebuild)
{
    ASSERT_NE(UINT(WM_SIZEGRIPNOTIFY_EH), UINT(WM_DEFERREDLAYOUT_EH));
    grid->Layouts = 0;
    grid->Perform(WM_SIZEGRIPNOTIFY_EH, 2, 0);
    grid->Perform(WM_SIZEGRIPNOTIFY_EH, 0, 0);
    EXPECT_EQ(grid->Layouts, 0);
    grid->Perform(WM_DEFERREDLAYOUT_EH, 0, 0);
    EXPECT_EQ(grid->Layouts, 1);
}

TEST_F(GridLocks, WithoutAWindowNothingIsPosted)
{
    auto* loose = Create<TAxisGridProbeEh>(form.get());
    loose->BeginLayout();
    loose->EndLayoutDeferred();
    EXPECT_FALSE(loose->HandleAllocated());
    EXPECT_EQ(loose->LayoutLock(), 0);
    EXPECT_EQ(loose->UpdateLock(), 0);
}

}  // namespace

AXIS_GRID_FIXTURES_PUBLISHED
