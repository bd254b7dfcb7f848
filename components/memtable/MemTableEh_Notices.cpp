// The in-memory table: row notices to registered receivers, held and merged while controls are
// disabled, and the update bracket that runs the view's many resynchronisations once.
#include "MemTableEh.h"

void TCustomMemTableEh::DeliverEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum)
{
    const std::vector<TComponent*> receivers = FEventReceivers;
    for (TComponent* c : receivers)
        if (auto* r = dynamic_cast<IMTEventReceiverEh*>(c))
            r->MTEventReceived(RowNum, Event, OldRowNum);
}

void TCustomMemTableEh::NotifyEventReceivers(int RowNum, TMTViewEventTypeEh Event, int OldRowNum)
{
    if (!Active())
        return;
    // Held while controls are disabled, and when raised on another thread than the one that
    // enabled them (a job filling the table): the next enable delivers it there.
    if (ControlsDisabled() || std::this_thread::get_id() != FNoticeThread) {
        if (FMTViewDataEventInactiveCount < 2)
            ++FMTViewDataEventInactiveCount;
        if (FMTViewDataEventInactiveCount == 1) {
            FInactiveEventRowNum = RowNum;
            FInactiveEvent = Event;
            FInactiveEventOldRowNum = OldRowNum;
        }
        return;
    }
    DeliverEvent(RowNum, Event, OldRowNum);
    FMTViewDataEventInactiveCount = 0;
}

void TCustomMemTableEh::SendHeldNotice()
{
    const int count = FMTViewDataEventInactiveCount;
    FMTViewDataEventInactiveCount = 0;
    if (count == 1)
        DeliverEvent(FInactiveEventRowNum, FInactiveEvent, FInactiveEventOldRowNum);
    else if (count >= 2)
        DeliverEvent(-1, mtViewDataChangedEh, -1);
}

int TCustomMemTableEh::ViewRowToRowNum(int ViewRow) const
{
    if (FStateInsert && ViewRow >= FInstantReadCurRowNum)
        return ViewRow + 1;
    return ViewRow;
}

void TCustomMemTableEh::EndViewUpdate(bool DoResync)
{
    if (FRecordsViewUpdating > 0)
        --FRecordsViewUpdating;
    if (DoResync && FRecordsViewUpdating == 0 && FRecordsViewUpdated) {
        FRecordsViewUpdated = false;
        if (Active() && State() != dsEdit && State() != dsInsert) {
            CursorPosChanged();
            UpdateCursorPos();
            TDataSet::Resync({});
        }
    }
}

void TCustomMemTableEh::Resync(TResyncMode Mode)
{
    if (FRecordsViewUpdating > 0) {
        FRecordsViewUpdated = true;
        return;
    }
    TDataSet::Resync(Mode);
}

void TCustomMemTableEh::ViewDataEvent(TMemoryRecordEh*, int Index, TRecordsListNotification Action)
{
    bool resync = true;
    if (Active()) {
        switch (Action) {
        case rlnRecAddedEh:
            NotifyEventReceivers(ViewRowToRowNum(Index), mtRowInsertedEh, -1);
            break;
        case rlnRecChangedEh:
            NotifyEventReceivers(ViewRowToRowNum(Index), mtRowChangedEh, -1);
            break;
        case rlnRecDeletedEh:
            NotifyEventReceivers(ViewRowToRowNum(Index), mtRowDeletedEh, -1);
            break;
        case rlnListChangedEh:
            NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
            break;
        default:
            resync = false;
            break;
        }
    }
    if (!resync)
        return;
    if (FRecordsViewUpdating > 0) {
        FRecordsViewUpdated = true;
    } else if (Active() && State() == dsBrowse && !FInstantReadMode) {
        CursorPosChanged();
        UpdateCursorPos();
        TDataSet::Resync({});
    }
}

void TCustomMemTableEh::ViewRecordMoved(TMemoryRecordEh*, int OldIndex, int NewIndex)
{
    if (!Active())
        return;
    // A move that cannot be told now is counted as a change of everything, so that a second
    // held notice merges with it.
    if (ControlsDisabled() || std::this_thread::get_id() != FNoticeThread)
        NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
    else
        NotifyEventReceivers(ViewRowToRowNum(NewIndex), mtRowMovedEh, ViewRowToRowNum(OldIndex));
}

void TCustomMemTableEh::MTEnableControls(bool ForceUpdateState)
{
    if (ControlsDisabled()) {
        NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
        if (ForceUpdateState)
            DataEvent(deDisabledStateChange, -1);
    }
    EnableControls();
}

void TCustomMemTableEh::DataEvent(TDataEvent Event, NativeInt Info)
{
    if (Event == deDisabledStateChange && Info == 0)
        FNoticeThread = std::this_thread::get_id();
    if (Active() && FOldControlsDisabled && !ControlsDisabled())
        SendHeldNotice();
    if (Event == deLayoutChange && Active())
        FRecordsView->UpdateAllLookupBuffer();
    // An aggregate field whose expression or switch changed is recompiled before controls repaint.
    if (Event == deDataSetChange && Active() && !FAggFields.empty())
        SyncAggregateFields();
    if (Event == deUpdateState) {
        if (State() == dsInsert && !FStateInsert) {
            FStateInsert = true;
            NotifyEventReceivers(FInstantReadCurRowNum, mtRowInsertedEh, -1);
        } else if (State() != dsInsert && FStateInsert) {
            FStateInsert = false;
            NotifyEventReceivers(FInstantReadCurRowNum, mtRowDeletedEh, -1);
        }
    }
    if (Event == deFieldListChange) {
        if (Active() && !ComponentState().Contains(csLoading)) {
            ResetAggregates();
            Resync({});
        }
        UpdateCalcSlots();
    }
    TDataSet::DataEvent(Event, Info);
    if (Active() && !FOldActive)
        NotifyEventReceivers(-1, mtViewDataChangedEh, -1);
    FOldControlsDisabled = ControlsDisabled();
    FOldActive = Active();
}
