#include "DB.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Threads.h"

#include <algorithm>

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    FComponentState.Include(csDestroying);
    SetDataSet(nullptr);
    while (!FDataLinks.empty()) {
        TDataLink* link = FDataLinks.back();
        FDataLinks.pop_back();
        link->FDataSource = nullptr;
        link->FActive = false;
        link->FEditing = false;
    }
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    if (Value && Value->IsLinkedTo(this))
        DatabaseError(QString::fromLatin1(DBMsg::CircularDataLink), this);
    if (FDataSet) {
        auto& list = FDataSet->FDataSources;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FDataSet->RemoveFreeNotification(this);
        TDataSet* old = FDataSet;
        FDataSet = nullptr;
        if (old->Active() && !old->ComponentState().Contains(csDestroying))
            old->UpdateBufferCount();
        // the links see the old dataset go before the new one comes, even when both are open
        if (Value)
            UpdateState();
    }
    FDataSet = Value;
    if (Value) {
        Value->FDataSources.push_back(this);
        Value->FreeNotification(this);
    }
    UpdateState();
    if (Value && Value->Active())
        Value->UpdateBufferCount();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        SetDataSet(nullptr);
}

void TDataSource::SetEnabled(bool Value)
{
    FEnabled = Value;
    UpdateState();
}

void TDataSource::UpdateState()
{
    SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value)
{
    if (FState == Value)
        return;
    const TDataSetState prior = FState;
    FState = Value;
    NotifyDataLinks(deUpdateState, 0);
    if (FComponentState.Contains(csDestroying))
        return;
    if (OnStateChange)
        OnStateChange(this);
    if (prior == dsInactive && OnDataChange)
        OnDataChange(this, nullptr);
}

void TDataSource::Edit()
{
    if (FAutoEdit && FState == dsBrowse && FDataSet)
        FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const
{
    const TDataSet* ds = FDataSet;
    for (int guard = 0; ds && guard < 1000; ++guard) {
        if (ds == DataSet)
            return true;
        TDataSource* src = ds->GetDataSource();
        ds = src ? src->FDataSet : nullptr;
    }
    return false;
}

void TDataSource::AddDataLink(TDataLink* Link)
{
    FDataLinks.push_back(Link);
    if (FDataSet && FDataSet->Active())
        FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
    if (FDataSet && FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying))
        FDataSet->UpdateBufferCount();
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info)
{
    if (!FDataLinks.empty())
        DOV_ASSERT_UI_THREAD();
    // a link may leave the list while it is told
    const std::vector<TDataLink*> links = FDataLinks;
    for (TDataLink* link : links)
        if (std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end())
            link->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (Event == deDisabledStateChange) {
        NotifyDataLinks(Event, Info);
        return;
    }
    if (FState == dsInactive)
        return;
    NotifyDataLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    FActive = false;
    FEditing = false;
    if (FDataSource) {
        TDataSource* src = FDataSource;
        FDataSource = nullptr;
        src->RemoveDataLink(this);
    }
}

TDataSet* TDataLink::DataSet() const
{
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    DOV_ASSERT_UI_THREAD();
    if (Value == FDataSource)
        return;
    if (Value) {
        TDataSet* detail = GetDetailDataSet();
        if (detail && Value->IsLinkedTo(detail))
            DatabaseError(QString::fromLatin1(DBMsg::CircularDataLink), detail);
    }
    if (FDataSource) {
        TDataSource* old = FDataSource;
        FDataSource = nullptr;
        old->RemoveDataLink(this);
        // leaving one open source for another still closes and reopens the link
        if (Value)
            UpdateState();
    }
    FDataSource = Value;
    if (Value)
        Value->AddDataLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool v)
{
    if (FReadOnly != v) {
        FReadOnly = v;
        UpdateState();
    }
}

void TDataLink::UpdateState()
{
    const TDataSetState st = FDataSource ? FDataSource->State() : dsInactive;
    SetActive(st != dsInactive);
    SetEditing(st == dsEdit || st == dsInsert || st == dsSetKey);
}

void TDataLink::SetActive(bool Value)
{
    if (FActive == Value)
        return;
    FActive = Value;
    if (Value) {
        TDataSet* ds = DataSet();
        if (ds && ds->FBufferCount < FBufferCount)
            ds->UpdateBufferCount();
        UpdateRange();
    } else {
        FFirstRecord = 0;
    }
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value)
{
    if (FEditing == Value)
        return;
    FEditing = Value;
    EditingChanged();
}

void TDataLink::SetBufferCount(int Value)
{
    if (Value < 1)
        Value = 1;
    if (FBufferCount == Value)
        return;
    FBufferCount = Value;
    if (FActive) {
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

// Keeps the window inside the dataset's buffers with the active record in it.
void TDataLink::UpdateRange()
{
    TDataSet* ds = DataSet();
    if (!ds)
        return;
    int lo = std::max(0, ds->FActiveRecord - FBufferCount + 1);
    int hi = std::min(ds->FActiveRecord, std::max(0, ds->FBufferCount - FBufferCount));
    if (hi < lo)
        hi = lo;
    FFirstRecord = std::clamp(FFirstRecord, lo, hi);
}

int TDataLink::ActiveRecord() const
{
    TDataSet* ds = DataSet();
    if (!FActive || !ds || FDataSource->State() == dsSetKey)
        return 0;
    return ds->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int Value)
{
    TDataSet* ds = DataSet();
    if (FActive && ds && FDataSource->State() != dsSetKey)
        ds->FActiveRecord = Value + FFirstRecord;
}

int TDataLink::RecordCount() const
{
    TDataSet* ds = DataSet();
    if (!FActive || !ds)
        return 0;
    if (FDataSource->State() == dsSetKey)
        return 1;
    return std::clamp(ds->FRecordCount - FFirstRecord, 0, FBufferCount);
}

bool TDataLink::Bof() const
{
    TDataSet* ds = DataSet();
    return ds ? ds->Bof() : true;
}

bool TDataLink::Eof() const
{
    TDataSet* ds = DataSet();
    return ds ? (ActiveRecord() == RecordCount() - 1 && ds->Eof()) : true;
}

bool TDataLink::Edit()
{
    if (FDataSource && !FReadOnly)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    FUpdating = true;
    auto cleanup = Finally([&] { FUpdating = false; });
    UpdateData();
}

int TDataLink::MoveBy(int Distance)
{
    TDataSet* ds = DataSet();
    return ds ? ds->MoveBy(Distance) : 0;
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (Event == deDisabledStateChange) {
        DisabledStateChanged(Info != 0);
        return;
    }
    if (!FActive)
        return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating)
            RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        // the buffer contents moved by Info rows: follow them, then keep the active record visible
        int first = FFirstRecord + (Event == deDataSetScroll ? int(Info) : 0);
        FFirstRecord = first;
        UpdateRange();
        if (Event == deDataSetScroll)
            DataSetScrolled(FFirstRecord - first);
        else if (Event == deLayoutChange)
            LayoutChanged();
        else
            DataSetChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(reinterpret_cast<TField**>(Info));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const QString& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    UpdateField();
}

void TFieldDataLink::UpdateField()
{
    if (Active() && !FFieldName.isEmpty()) {
        FField = nullptr;
        TField* f = DataSet()->FindField(FFieldName);
        if (!f)
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {FFieldName}, FControl);
        SetField(f);
    } else {
        SetField(nullptr);
    }
}

void TFieldDataLink::SetField(TField* Value)
{
    if (FField == Value)
        return;
    FField = Value;
    EditingChanged();
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return FEditing;
}

void TFieldDataLink::SetEditing(bool Value)
{
    if (FEditing == Value)
        return;
    FEditing = Value;
    FModified = false;
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLink::DataEvent(TDataEvent Event, NativeInt Info)
{
    if (Event == deFieldListChange && Active()) {
        UpdateField();
        return;
    }
    TDataLink::DataEvent(Event, Info);
}

void TFieldDataLink::EditingChanged()
{
    SetEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::FocusControl(TField** Field)
{
    if (Field && *Field && *Field == FField && OnFocusControl)
        OnFocusControl(Field);
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* Field)
{
    if (!Field || Field == FField) {
        if (OnDataChange)
            OnDataChange(this);
        FModified = false;
    }
}

void TFieldDataLink::UpdateData()
{
    if (FModified) {
        if (FField && OnUpdateData)
            OnUpdateData(this);
        FModified = false;
    }
}
