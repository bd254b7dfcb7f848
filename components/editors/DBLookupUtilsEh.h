// Lookup settings and display-value cache of one grid column: the column shows, instead of
// its key, the display field of the list dataset's record with the same key.
#pragma once

#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"

#include <vector>

// What the lookup data needs of the column that owns it. The grid column (a collection item)
// implements it; the lookup data finds it by a cast of the item it is created with.
class IDBLookupColumnEh {
public:
    virtual ~IDBLookupColumnEh() = default;
    // The grid: named in errors and registered for the list dataset's free notification (it
    // then clears the columns' LookupDataSet).
    virtual TComponent* LookupGrid() const = 0;
    virtual TDataSource* LookupGridDataSource() const = 0;
    // The field the column is bound to, or nullptr.
    virtual TField* LookupBoundField() const = 0;
    // The lookup's state flags may have changed: repaint, re-measure.
    virtual void LookupDataChanged() = 0;
};

struct TLookupPairEh {
    Variant KeyValue;
    Variant DisplayValue;
};

// Key/display pairs of a list dataset, sorted by key for binary search.
class TLookupListEh : public TObject {
public:
    TLookupListEh() = default;
    ~TLookupListEh() override;

    int Count() const { return int(FList.size()); }
    const TLookupPairEh& Items(int Index) const { return FList[size_t(Index)]; }
    void Add(const Variant& AKeyValue, const Variant& ADisplayValue);
    void Clear();
    void SortData();
    // The display value of the key, Null when it is not in the list.
    Variant ValueOfKey(const Variant& AKeyValue) const;
    // True when found; Index is then the pair's index, else where the key belongs.
    bool FindKey(const Variant& AKeyValue, int& Index) const;

private:
    std::vector<TLookupPairEh> FList;

    void QuickSort(int L, int R);
};

class TDBLookupDataEh : public TPersistent {
public:
    explicit TDBLookupDataEh(TCollectionItem* AColumn);
    ~TDBLookupDataEh() override;

    // Own settings, or in field mode those of the column's lookup field.
    QString KeyFieldNames() const { return GetKeyFieldNames(); }
    void SetKeyFieldNames(const QString& Value);
    QString LookupKeyFieldNames() const { return GetLookupKeyFieldNames(); }
    void SetLookupKeyFieldNames(const QString& Value);
    TDataSet* LookupDataSet() const { return GetLookupDataSet(); }
    void SetLookupDataSet(TDataSet* Value);
    QString LookupDisplayFieldName() const { return GetLookupDisplayFieldName(); }
    void SetLookupDisplayFieldName(const QString& Value);
    bool LookupCache() const { return FLookupCache; }
    void SetLookupCache(bool Value);

    QString GetKeyFieldNames() const;
    QString GetLookupKeyFieldNames() const;
    TDataSet* GetLookupDataSet() const;
    QString GetLookupDisplayFieldName() const;

    TDataSource* DataSource() const;
    TFieldsArrEh KeyFields() const { return GetKeyFields(); }
    TFieldsArrEh GetKeyFields() const { return FKeyFields; }
    TFieldsArrEh LookupKeyFields() const { return FLookupKeyFields; }
    TField* LookupDisplayField() const { return GetLookupDisplayField(); }
    TField* GetLookupDisplayField() const { return FLookupDisplayField; }
    bool LookupActive() const { return GetLookupActive(); }
    bool GetLookupActive() const { return FLookupActive; }
    bool LookupIsSetUp() const { return GetLookupIsSetUp(); }
    bool GetLookupIsSetUp() const { return FLookupIsSetUp; }
    bool LookupDataIsStored() const { return !FLookupInDataField; }
    const TLookupListEh* LookupListCache() const { return FLookupListCache; }

    void UpdateLookupState() { BindKeyFields(); }
    // The display value for the grid dataset's current record; Null when there is none.
    Variant GetLookupValue();
    // Rebuilds the cache from the list dataset (whose cursor stays where it was).
    void RefreshLookupListCache();

    void Assign(TPersistent* Source) override;

protected:
    TPersistent* GetOwner() const override { return FAxisBar; }

    virtual void KeySourceChanged() { BindKeyFields(); }
    virtual void ListSourceChanged() {}
    virtual void ListDataChanged() {}
    virtual void BindKeyFields();
    virtual void BindLookupFields();
    virtual void LookupDataSetChanged();

    void CheckCanSetLookupProperty();
    void CheckNotCircular();
    void SetLookupInDataField(bool Value);
    void UpdateLookupActive();
    void UpdateLookupIsSetUp();

private:
    class TDataSourceLinkEh;
    class TListSourceLinkEh;

    TCollectionItem* FAxisBar;
    IDBLookupColumnEh* FColumn;
    TDataSourceLinkEh* FDataLink = nullptr;
    TDataSource* FInternalLookupSource = nullptr;
    QString FKeyFieldNames;
    TFieldsArrEh FKeyFields;
    bool FLookupActive = false;
    bool FLookupCache = true;
    TDataSet* FLookupDataSet = nullptr;
    TField* FLookupDisplayField = nullptr;
    QString FLookupDisplayFieldName;
    bool FLookupInDataField = false;
    bool FLookupIsSetUp = false;
    QString FLookupKeyFieldNames;
    TFieldsArrEh FLookupKeyFields;
    TListSourceLinkEh* FLookupLink = nullptr;
    bool FLookupListActive = false;
    TLookupListEh* FLookupListCache = nullptr;
    bool FDataFieldsUpdating = false;

    TField* BoundField() const;
    TField* BoundLookupField() const;
    TComponent* Grid() const;
    bool ComputeLookupActive() const;
    void NotifyColumn();
};
