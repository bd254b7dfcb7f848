// Lookup data of a grid column: resolving its key and list fields, following both datasets,
// and the sorted key/display cache.
#include "components/editors/DBLookupUtilsEh.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"

#include <utility>

namespace {

const char* const LookupFieldDefinesProperty = "Property already defined by lookup field";
const char* const NotAllowedInCtrlGrid = "Operation not allowed in a DBCtrlGrid";
const char* const KeysNotComparable = "TMTIndexEh.FindKeyValueIndex: values is not comparable.";

}  // namespace

// ============================================================================================
// TLookupListEh
// ============================================================================================

TLookupListEh::~TLookupListEh()
{
    Clear();
}

void TLookupListEh::Add(const Variant& AKeyValue, const Variant& ADisplayValue)
{
    FList.push_back({AKeyValue, ADisplayValue});
}

void TLookupListEh::Clear()
{
    FList.clear();
}

void TLookupListEh::SortData()
{
    if (!FList.empty())
        QuickSort(0, Count() - 1);
}

void TLookupListEh::QuickSort(int L, int R)
{
    int I;
    do {
        I = L;
        int J = R;
        int P = (L + R) >> 1;
        do {
            while (VarCompareEh(FList[size_t(I)].KeyValue, FList[size_t(P)].KeyValue) == vrLessThan)
                ++I;
            while (VarCompareEh(FList[size_t(J)].KeyValue, FList[size_t(P)].KeyValue) == vrGreaterThan)
                --J;
            if (I <= J) {
                std::swap(FList[size_t(I)], FList[size_t(J)]);
                // the pivot is followed by index, so it moves with the exchange
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J)
            QuickSort(L, J);
        L = I;
    } while (I < R);
}

bool TLookupListEh::FindKey(const Variant& AKeyValue, int& Index) const
{
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) >> 1;
        const TVariantRelationship rel = VarCompareEh(FList[size_t(mid)].KeyValue, AKeyValue);
        if (rel == vrNotEqual)
            throw Exception(QString::fromLatin1(KeysNotComparable));
        if (rel == vrLessThan) {
            lo = mid + 1;
        } else if (rel == vrEqual) {
            Index = mid;
            return true;
        } else {
            hi = mid - 1;
        }
    }
    Index = lo;
    return false;
}

Variant TLookupListEh::ValueOfKey(const Variant& AKeyValue) const
{
    int index = 0;
    if (FindKey(AKeyValue, index))
        return FList[size_t(index)].DisplayValue;
    return Variant::Null();
}

// ============================================================================================
// The two links
// ============================================================================================

// Follows the grid's dataset: its opening, closing and new layouts rebind the key fields.
class TDBLookupDataEh::TDataSourceLinkEh : public TDataLink {
public:
    TDBLookupDataEh* FLookupData = nullptr;

protected:
    void ActiveChanged() override
    {
        TDataLink::ActiveChanged();
        if (FLookupData)
            FLookupData->BindKeyFields();
    }
    void LayoutChanged() override
    {
        if (FLookupData)
            FLookupData->BindKeyFields();
    }
    void RecordChanged(TField* Field) override { TDataLink::RecordChanged(Field); }
};

// Follows the list dataset through the internal data source.
class TDBLookupDataEh::TListSourceLinkEh : public TDataLink {
public:
    TListSourceLinkEh() { SetVisualControl(true); }
    TDBLookupDataEh* FLookupData = nullptr;

protected:
    void ActiveChanged() override
    {
        if (FLookupData)
            FLookupData->BindLookupFields();
    }
    void LayoutChanged() override
    {
        if (FLookupData)
            FLookupData->BindLookupFields();
    }
    void DataSetChanged() override
    {
        if (FLookupData)
            FLookupData->ListDataChanged();
    }
};

// ============================================================================================
// TDBLookupDataEh
// ============================================================================================

TDBLookupDataEh::TDBLookupDataEh(TCollectionItem* AColumn)
    : FAxisBar(AColumn), FColumn(dynamic_cast<IDBLookupColumnEh*>(AColumn))
{
    FDataLink = new TDataSourceLinkEh;
    FDataLink->FLookupData = this;
    FInternalLookupSource = Create<TDataSource>(nullptr);
    FInternalLookupSource->SetName(QStringLiteral("FInternalLookupSource"));
    FLookupLink = new TListSourceLinkEh;
    FLookupLink->FLookupData = this;
    FLookupLink->SetDataSource(FInternalLookupSource);
    FLookupListCache = new TLookupListEh;
}

TDBLookupDataEh::~TDBLookupDataEh()
{
    // The links' notifications would reach a half-freed object.
    FDataLink->FLookupData = nullptr;
    FLookupLink->FLookupData = nullptr;
    delete FDataLink;
    delete FInternalLookupSource;
    delete FLookupLink;
    delete FLookupListCache;
}

TField* TDBLookupDataEh::BoundField() const
{
    return FColumn ? FColumn->LookupBoundField() : nullptr;
}

// The column's field while in field mode; its settings stand for the own ones.
TField* TDBLookupDataEh::BoundLookupField() const
{
    return FLookupInDataField ? BoundField() : nullptr;
}

TComponent* TDBLookupDataEh::Grid() const
{
    return FColumn ? FColumn->LookupGrid() : nullptr;
}

TDataSource* TDBLookupDataEh::DataSource() const
{
    return FColumn ? FColumn->LookupGridDataSource() : nullptr;
}

QString TDBLookupDataEh::GetKeyFieldNames() const
{
    TField* f = BoundLookupField();
    return f ? f->KeyFields() : FKeyFieldNames;
}

QString TDBLookupDataEh::GetLookupKeyFieldNames() const
{
    TField* f = BoundLookupField();
    return f ? f->LookupKeyFields() : FLookupKeyFieldNames;
}

TDataSet* TDBLookupDataEh::GetLookupDataSet() const
{
    TField* f = BoundLookupField();
    return f ? f->LookupDataSet() : FLookupDataSet;
}

QString TDBLookupDataEh::GetLookupDisplayFieldName() const
{
    TField* f = BoundLookupField();
    return f ? f->LookupResultField() : FLookupDisplayFieldName;
}

void TDBLookupDataEh::CheckCanSetLookupProperty()
{
    if (FLookupInDataField)
        DatabaseError(QString::fromLatin1(LookupFieldDefinesProperty));
    if (FDataLink->DataSourceFixed())
        DatabaseError(QString::fromLatin1(NotAllowedInCtrlGrid));
}

void TDBLookupDataEh::SetKeyFieldNames(const QString& Value)
{
    CheckCanSetLookupProperty();
    if (Value == FKeyFieldNames)
        return;
    FKeyFieldNames = Value;
    BindKeyFields();
}

void TDBLookupDataEh::SetLookupKeyFieldNames(const QString& Value)
{
    CheckCanSetLookupProperty();
    if (Value == FLookupKeyFieldNames)
        return;
    FLookupKeyFieldNames = Value;
    BindLookupFields();
}

void TDBLookupDataEh::SetLookupDisplayFieldName(const QString& Value)
{
    CheckCanSetLookupProperty();
    if (Value == FLookupDisplayFieldName)
        return;
    FLookupDisplayFieldName = Value;
    BindLookupFields();
}

void TDBLookupDataEh::SetLookupDataSet(TDataSet* Value)
{
    CheckCanSetLookupProperty();
    if (Value == FLookupDataSet)
        return;
    FLookupDataSet = Value;
    LookupDataSetChanged();
    // The internal source may have let go of a freed dataset already and so tells nothing:
    // the flags are brought up to date here.
    BindLookupFields();
    if (Value && Grid())
        Value->FreeNotification(Grid());
}

void TDBLookupDataEh::SetLookupCache(bool Value)
{
    if (Value == FLookupCache)
        return;
    FLookupCache = Value;
    RefreshLookupListCache();
}

void TDBLookupDataEh::LookupDataSetChanged()
{
    FInternalLookupSource->SetDataSet(GetLookupDataSet());
}

void TDBLookupDataEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TDBLookupDataEh*>(Source)) {
        SetKeyFieldNames(src->GetKeyFieldNames());
        SetLookupCache(src->LookupCache());
        SetLookupDataSet(src->GetLookupDataSet());
        SetLookupDisplayFieldName(src->GetLookupDisplayFieldName());
        SetLookupKeyFieldNames(src->GetLookupKeyFieldNames());
        return;
    }
    TPersistent::Assign(Source);
}

void TDBLookupDataEh::CheckNotCircular()
{
    TDataSource* source = DataSource();
    if (source && FLookupLink->Active() && FLookupLink->DataSet()->IsLinkedTo(source))
        DatabaseError(QString::fromLatin1(DBMsg::CircularDataLink));
}

void TDBLookupDataEh::BindKeyFields()
{
    if (FDataFieldsUpdating)
        return;
    FDataFieldsUpdating = true;
    // Cleared also when binding raises, so that a corrected setting binds again.
    auto clearFlag = Finally([&] { FDataFieldsUpdating = false; });

    FKeyFields.clear();
    CheckNotCircular();
    TField* f = BoundField();
    const bool lookupField =
        f && !f->ComponentState().Contains(csDestroying) && f->FieldKind() == fkLookup;
    const QString names = lookupField ? f->KeyFields() : FKeyFieldNames;
    FDataLink->SetDataSource(names.isEmpty() ? nullptr : DataSource());
    // Resolved on an open dataset only: a closed one may have lost its default fields, and
    // closing the grid's dataset must not raise.
    TDataSet* ds = FDataLink->DataSet();
    if (ds && ds->Active())
        FKeyFields = GetFieldsArrayByNames(ds, Grid(), names);
    SetLookupInDataField(lookupField);

    BindLookupFields();
    FDataFieldsUpdating = false;
    UpdateLookupIsSetUp();
    UpdateLookupActive();
}

void TDBLookupDataEh::SetLookupInDataField(bool Value)
{
    TField* f = BoundField();
    TDataSet* expected = f ? f->LookupDataSet() : nullptr;
    if (Value == FLookupInDataField && FInternalLookupSource->DataSet() == expected)
        return;
    FLookupInDataField = Value;
    FInternalLookupSource->SetDataSet(Value && f ? f->LookupDataSet() : FLookupDataSet);
    if (Value)
        FLookupLink->SetDataSource(FInternalLookupSource);
    BindLookupFields();
}

void TDBLookupDataEh::BindLookupFields()
{
    FLookupDisplayField = nullptr;
    FLookupKeyFields.clear();
    FLookupLink->SetDataSource(FInternalLookupSource);

    bool active = false;
    const QString keyNames = GetLookupKeyFieldNames();
    if (FLookupLink->Active() && !keyNames.isEmpty()) {
        CheckNotCircular();
        TDataSet* list = FLookupLink->DataSet();
        FLookupKeyFields = GetFieldsArrayByNames(list, Grid(), keyNames);
        const QString displayName = GetLookupDisplayFieldName();
        if (!displayName.isEmpty()) {
            FLookupDisplayField = list->FindField(displayName);
            if (!FLookupDisplayField)
                DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {displayName}, Grid());
        }
        active = !FLookupKeyFields.empty() && FLookupDisplayField;
    }
    if (active != FLookupListActive) {
        FLookupListActive = active;
        RefreshLookupListCache();
    }
    if (!FDataFieldsUpdating) {
        UpdateLookupIsSetUp();
        UpdateLookupActive();
    }
}

bool TDBLookupDataEh::ComputeLookupActive() const
{
    return !FKeyFields.empty() && !FLookupKeyFields.empty() && FLookupDisplayField && FDataLink->Active()
        && FLookupLink->Active();
}

void TDBLookupDataEh::NotifyColumn()
{
    if (FColumn)
        FColumn->LookupDataChanged();
}

void TDBLookupDataEh::UpdateLookupActive()
{
    const bool active = ComputeLookupActive();
    if (active || active != FLookupActive) {
        FLookupActive = active;
        NotifyColumn();
    }
}

void TDBLookupDataEh::UpdateLookupIsSetUp()
{
    FLookupActive = ComputeLookupActive();
    const bool setUp = !GetKeyFieldNames().isEmpty() && !GetLookupKeyFieldNames().isEmpty()
        && !GetLookupDisplayFieldName().isEmpty() && GetLookupDataSet();
    if (setUp || setUp != FLookupIsSetUp) {
        FLookupIsSetUp = setUp;
        NotifyColumn();
    }
}

Variant TDBLookupDataEh::GetLookupValue()
{
    if (!FDataLink->Active() || !FLookupListActive || FKeyFields.empty())
        return Variant::Null();
    const Variant key = GetFieldsArrayValues(FDataLink->DataSet(), FKeyFields);
    if (FLookupCache)
        return FLookupListCache->ValueOfKey(key);
    TDataSet* list = GetLookupDataSet();
    if (!list || !list->Active())
        return Variant::Null();
    Variant result = FLookupLink->DataSet()->Lookup(GetLookupKeyFieldNames(), key, GetLookupDisplayFieldName());
    return result.IsEmpty() ? Variant::Null() : result;
}

void TDBLookupDataEh::RefreshLookupListCache()
{
    FLookupListCache->Clear();
    if (!FLookupListActive || !FLookupCache)
        return;
    // The list fields were resolved on the link's dataset, which is the effective one.
    TDataSet* list = FLookupLink->DataSet();
    if (!list)
        return;
    const bool wasActive = list->Active();
    auto restoreActive = Finally([&] { list->SetActive(wasActive); });
    list->DisableControls();
    auto enable = Finally([&] { list->EnableControls(); });
    // Whoever browses the list dataset keeps their record.
    const TBookmark bookmark = list->Bookmark();
    auto restoreCursor = Finally([&] {
        if (!bookmark.isEmpty() && list->Active() && list->BookmarkValid(bookmark))
            list->GotoBookmark(bookmark);
    });
    list->First();
    while (!list->Eof()) {
        const Variant display = FLookupDisplayField->Value();
        const Variant key = GetFieldsArrayValues(list, FLookupKeyFields);
        FLookupListCache->Add(key, display);
        list->Next();
    }
    FLookupListCache->SortData();
}
