// Memory records: value arrays by version, edit states, post, cancel, merge and revert.
#include "MemTableDataEh.h"

void TNewRecordDeleterEh::operator()(TMemoryRecordEh* Rec) const
{
    if (!Rec->Attached())
        delete Rec;
}

TMemoryRecordEh::TMemoryRecordEh() = default;

TMemoryRecordEh::~TMemoryRecordEh() = default;

TMemoryRecordEh::Extra& TMemoryRecordEh::Ext()
{
    if (!FExtra)
        FExtra = std::make_unique<Extra>();
    return *FExtra;
}

void TMemoryRecordEh::TrimExtra()
{
    if (FExtra && FExtra->Empty())
        FExtra.reset();
}

void TMemoryRecordEh::DropEditCopy()
{
    if (FExtra) {
        TRecDataValues().swap(FExtra->TmpOldRecValue);
        TrimExtra();
    }
}

void TMemoryRecordEh::ClearOldData()
{
    if (FExtra) {
        TRecDataValues().swap(FExtra->OldData);
        TrimExtra();
    }
}

const TRecDataValues& TMemoryRecordEh::OldData() const
{
    static const TRecDataValues empty;
    return FExtra ? FExtra->OldData : empty;
}

void TMemoryRecordEh::SetUpdateError(TUpdateErrorEh* v)
{
    if (v == UpdateError())
        return;
    if (!v && !FExtra)
        return;
    Ext().UpdateError.reset(v);
    TrimExtra();
}

const TRecDataValues& TMemoryRecordEh::ArrayFor(TDataValueVersionEh Version) const
{
    switch (Version) {
    case dvvOldValueEh:
        if (!HasOldData())
            throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
        return FExtra->OldData;
    case dvvCurValueEh:
        return HasEditCopy() ? FExtra->TmpOldRecValue : FData;
    case dvvEditValueEh:
        if (!HasEditCopy())
            throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Edit values is not accessible."));
        return FData;
    case dvvOldestValue:
        if (HasOldData())
            return FExtra->OldData;
        return HasEditCopy() ? FExtra->TmpOldRecValue : FData;
    case dvvRefreshValue:
        return HasOldData() ? FExtra->OldData : FData;
    case dvvValueEh:
    default:
        return FData;
    }
}

TRecDataValues& TMemoryRecordEh::ArrayFor(TDataValueVersionEh Version, bool)
{
    return const_cast<TRecDataValues&>(static_cast<const TMemoryRecordEh*>(this)->ArrayFor(Version));
}

Variant TMemoryRecordEh::GetDataValue(int FieldIndex, TDataValueVersionEh Version) const
{
    const TRecDataValues& a = ArrayFor(Version);
    if (FieldIndex < 0 || size_t(FieldIndex) >= a.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {FieldIndex});
    return a[size_t(FieldIndex)];
}

void TMemoryRecordEh::SetDataValue(int FieldIndex, TDataValueVersionEh Version, const Variant& Value)
{
    TRecDataValues& a = ArrayFor(Version, true);
    if (FieldIndex < 0 || size_t(FieldIndex) >= a.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {FieldIndex});
    const TMTDataStructEh* ds = DataStruct();
    const TVarType vt = ds && FieldIndex < ds->Count() ? ds->GetDataField(FieldIndex)->VarDataType() : varVariant;
    CastToFieldVarTypeEh(a[size_t(FieldIndex)], Value, vt);
}

Variant TMemoryRecordEh::GetDataValues(const QString& FieldNames, TDataValueVersionEh Version) const
{
    if (Version == dvvOldValueEh && !HasOldData())
        throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
    if (FieldNames.contains(u';')) {
        std::vector<TMTDataFieldEh*> fields;
        DataStruct()->GetFieldList(fields, FieldNames);
        Variant r = VarArrayCreate(0, int(fields.size()) - 1, varVariant);
        for (size_t i = 0; i < fields.size(); ++i)
            r.SetElement(int(i), GetDataValue(fields[i]->Index(), Version));
        return r;
    }
    return GetDataValue(DataStruct()->FieldByName(FieldNames)->Index(), Version);
}

void TMemoryRecordEh::SetDataValues(const QString& FieldNames, TDataValueVersionEh Version, const Variant& VarValue)
{
    if (FieldNames.contains(u';')) {
        std::vector<TMTDataFieldEh*> fields;
        DataStruct()->GetFieldList(fields, FieldNames);
        const int lo = VarValue.ArrayLowBound();
        for (size_t i = 0; i < fields.size(); ++i)
            SetDataValue(fields[i]->Index(), Version, VarValue.GetElement(lo + int(i)));
        return;
    }
    SetDataValue(DataStruct()->FieldIndex(FieldNames), Version, VarValue);
}

Variant TMemoryRecordEh::GetDataIndexValues(const TIntArray& FieldIndexes, TDataValueVersionEh Version) const
{
    if (FieldIndexes.size() == 1)
        return GetDataValue(FieldIndexes[0], Version);
    Variant r = VarArrayCreate(0, int(FieldIndexes.size()) - 1, varVariant);
    for (size_t i = 0; i < FieldIndexes.size(); ++i)
        r.SetElement(int(i), GetDataValue(FieldIndexes[i], Version));
    return r;
}

void TMemoryRecordEh::SetDataIndexValues(const TIntArray& FieldIndexes, TDataValueVersionEh Version,
                                         const Variant& VarValue)
{
    if (FieldIndexes.size() == 1) {
        SetDataValue(FieldIndexes[0], Version, VarValue);
        return;
    }
    const int lo = VarValue.ArrayLowBound();
    for (size_t i = 0; i < FieldIndexes.size(); ++i)
        SetDataValue(FieldIndexes[i], Version, VarValue.GetElement(lo + int(i)));
}

void TMemoryRecordEh::Edit()
{
    if (FEditState != resBrowseEh)
        return;
    Ext().TmpOldRecValue = FData;
    FEditState = resEditEh;
    FEditChanged = false;
}

void TMemoryRecordEh::EditForRefresh()
{
    if (FEditState == resEditEh || FEditState == resInsertEh)
        throw Exception(QStringLiteral("procedure TMemoryRecordEh.EditForRefresh: The MemoryRecord is in resEditEh state."));
    FEditState = resEditForRefresh;
    FEditChanged = false;
}

namespace {
[[noreturn]] void NotInEditMode()
{
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
}
}

void TMemoryRecordEh::Post()
{
    switch (FEditState) {
    case resBrowseEh:
        NotInEditMode();
    case resInsertEh:
        FRecordsList->AddRecord(this);
        return;
    case resEditEh: {
        TRecordsListEh* list = FRecordsList;
        list->Notify(this, Index(), rlnRecChangingEh);
        if (list->CachedUpdates()) {
            if (FUpdateStatus == usUnmodified)
                FUpdateStatus = usModified;
            if (FUpdateIndex < 0)
                list->AddToDelta(this);
            if (FUpdateStatus == usModified && !HasOldData() && HasEditCopy())
                FExtra->OldData.swap(FExtra->TmpOldRecValue);
        } else {
            list->ApplyImmediate(this, ukModify);
        }
        DropEditCopy();
        FEditState = resBrowseEh;
        list->Notify(this, Index(), rlnRecChangedEh);
        return;
    }
    case resEditForRefresh:
        FEditState = resBrowseEh;
        FRecordsList->Notify(this, Index(), rlnRecChangedEh);
        return;
    }
}

void TMemoryRecordEh::Cancel()
{
    switch (FEditState) {
    case resBrowseEh:
        NotInEditMode();
    case resInsertEh:
        delete this;
        return;
    case resEditEh:
        if (HasEditCopy())
            FData.swap(FExtra->TmpOldRecValue);
        DropEditCopy();
        FEditState = resBrowseEh;
        return;
    case resEditForRefresh:
        // No copy was taken: the refreshed values stay.
        FEditState = resBrowseEh;
        return;
    }
}

void TMemoryRecordEh::MergeChanges()
{
    if (FUpdateStatus == usUnmodified && FUpdateIndex < 0)
        return;
    if (FUpdateStatus == usDeleted && Attached())
        FRecordsList->PersistRemoveRecord(Index());
    ClearOldData();
    FUpdateStatus = usUnmodified;
    if (FUpdateIndex >= 0) {
        FRecordsList->FDeltaList[size_t(FUpdateIndex)] = nullptr;
        FUpdateIndex = -1;
    }
    SetUpdateError(nullptr);
}

void TMemoryRecordEh::RevertRecord()
{
    if (FUpdateStatus == usModified) {
        FRecordsList->Notify(this, Index(), rlnRecChangingEh);
        if (HasOldData()) {
            FData.swap(FExtra->OldData);
            ClearOldData();
        }
        FUpdateStatus = usUnmodified;
        FRecordsList->Notify(this, Index(), rlnRecChangedEh);
    } else if (FUpdateStatus == usDeleted) {
        FRecordsList->Notify(this, Index(), rlnRecChangingEh);
        FUpdateStatus = usUnmodified;
        FRecordsList->Notify(this, Index(), rlnRecChangedEh);
    }
    SetUpdateError(nullptr);
}

void TMemoryRecordEh::RefreshRecord(TMemoryRecordEh* Rec)
{
    if (FUpdateStatus == usModified)
        Ext().OldData = Rec->FData;
    else
        FData = Rec->FData;
}
