// The in-memory table attached to another table's record store, the open postponed to the
// event loop, and the field class of object references.
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Threads.h"

void TCustomMemTableEh::SetExternalMemData(TCustomMemTableEh* Value)
{
    if (Value == FExternalMemData)
        return;
    if (Value && FDataDriver)
        throw Exception(QStringLiteral("Assigning to ExternalMemData is not allowed if DataDriver is assigned"));
    // A chain of attachments ends at a table with a store of its own.
    for (TCustomMemTableEh* t = Value; t; t = t->FExternalMemData)
        if (t == this)
            throw Exception(QStringLiteral("Circular ExternalMemData link"));
    const bool wasActive = Active() && !ComponentState().Contains(csDestroying);
    Close();
    if (FExternalMemData) {
        FExternalMemData->RemoveFreeNotification(this);
        std::erase(FExternalMemData->FAttachedTables, this);
    }
    FExternalMemData = Value;
    FMemData = Value ? Value->FMemData : FInternMemTableData.get();
    if (Value) {
        Value->FreeNotification(this);
        Value->FAttachedTables.push_back(this);
    }
    FRecordsView->SetDataObject(FMemData);
    // Left on the store of a table that went away, the table stays closed.
    if (wasActive && Value)
        Open();
}

void TCustomMemTableEh::SetActive(bool Value)
{
    const TComponentState cs = ComponentState();
    if (Value && !Active() && cs.Contains(csReading) && cs.Contains(csDesigning)) {
        std::weak_ptr<bool> alive = FAlive;
        QueueOnUIThread([this, alive] {
            if (auto a = alive.lock(); a && *a)
                PostponedOpen();
        });
        return;
    }
    TDataSet::SetActive(Value);
}

void TCustomMemTableEh::PostponedOpen()
{
    if (FDataDriver && FDataDriver->ConnectionIsPostponed())
        FDataDriver->AddPostponedActivationDataSet(this);
    else
        TDataSet::SetActive(true);
}

const TClassInfo* TCustomMemTableEh::GetFieldClass(TFieldType FieldType) const
{
    if (FieldType == ftUnknown)
        return &TRefObjectField::StaticClassInfo();
    return TDataSet::GetFieldClass(FieldType);
}
