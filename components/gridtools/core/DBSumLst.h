// Running totals of a dataset's fields: sums, averages and counts kept up to date by the
// dataset's events or recomputed in one pass.
#pragma once

#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"

#include <memory>
#include <vector>

class TDBSumListProducer;

// The operation of a total.
enum TGroupOperation { goSum, goAvg, goCount };
DOV_ENUM_INFO(TGroupOperation, goSum, goAvg, goCount)

// A footer's total as its footer sees it: an item of its grid's sum list. Freeing it takes it
// out of the list.
class IFooterSumEh {
public:
    virtual ~IFooterSumEh() = default;
    virtual void SetGroupOperation(TGroupOperation Value) = 0;
    virtual void SetFieldName(const QString& Value) = 0;
    // The total kept as a 64-bit integer scaled by 10000, which is exactly a Currency.
    virtual Currency SumValue() const = 0;
};

// A field value times 10000 added to a total, rounded ties to even; EOverflow when the result
// leaves the 64-bit range instead of wrapping.
Currency AddToTotalEh(Currency Total, double FieldValue);
Currency SubFromTotalEh(Currency Total, double FieldValue);

// One total of a sum list.
class TDBSum : public TCollectionItem, public IFooterSumEh {
    DOV_PERSISTENT(TDBSum, TCollectionItem)
public:
    explicit TDBSum(TCollection* Collection);
    ~TDBSum() override;
    // Tells the collection that the item is finished.
    void AfterConstruction() override;

    // Operation, field name, Value and SumValue.
    void Assign(TPersistent* Source) override;

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value) override;
    TGroupOperation GroupOperation() const { return FGroupOperation; }
    void SetGroupOperation(TGroupOperation Value) override;
    Currency SumValue() const override { return FSumValue; }
    void SetSumValue(Currency Value) { FSumValue = Value; }
    // Whether the item takes part in totals: a count, or an item with a field name.
    bool TakesPart() const { return FGroupOperation == goCount || !FFieldName.isEmpty(); }

    // The contribution of the record being edited or inserted, as it entered that state.
    Currency Value;
    // Records whose field is not null, and the running sum behind an average.
    int NotNullRecordCount() const { return FNotNullRecordCount; }
    Currency SumValueAsSum() const { return FSumValueAsSum; }
    // The field's value as the record entered the edit state (Null after an insert).
    Variant VarValue;

private:
    friend class TDBSumListProducer;
    QString FFieldName;
    TGroupOperation FGroupOperation = goSum;
    int FNotNullRecordCount = 0;
    Currency FSumValueAsSum;
    Currency FSumValue;
};

// The totals of a producer. A changed item asks its producer for a full recalculation.
class TDBSumCollection : public TCollection {
    DOV_PERSISTENT(TDBSumCollection, TCollection)
public:
    explicit TDBSumCollection(TDBSumListProducer* Producer = nullptr);

    TDBSum* Items(int Index) const { return ItemAs<TDBSum>(Index); }
    TDBSum* Add() { return static_cast<TDBSum*>(TCollection::Add()); }
    // The first item of that operation whose field name matches ignoring case; nullptr if none.
    TDBSum* GetSumByOpAndFName(TGroupOperation AGroupOperation, const QString& AFieldName) const;
    TPersistent* GetOwner() const override;
    TDBSumListProducer* Producer() const { return FProducer; }

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    friend class TDBSumListProducer;
    friend class TDBSum;
    TDBSumListProducer* FProducer;
    // Items whose base constructor has added them but whose own fields do not exist yet: no
    // recalculation may read them.
    std::vector<TCollectionItem*> FInMaking;
};

// The bookmarks of all records of the producer's dataset, in dataset order.
class TSLBookmarkListEh : public TBMListEh {
public:
    explicit TSLBookmarkListEh(TDBSumListProducer* Producer) : FSumListProducer(Producer) {}

protected:
    TDataSet* GetDataSet() const override;

private:
    TDBSumListProducer* FSumListProducer;
};

// Keeps the totals of one dataset: takes over its edit, insert, post, delete, cancel, open,
// close and scroll events (and the master's scroll) to adjust them per record, and recomputes
// everything when the dataset opens, its filter changes or its master moves.
class TDBSumListProducer : public TPersistent {
    DOV_PERSISTENT(TDBSumListProducer, TPersistent)
public:
    explicit TDBSumListProducer(TComponent* AOwner = nullptr);
    ~TDBSumListProducer() override;

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    void Activate(bool ARecalcAll);
    void Deactivate(bool AClearSumValues);
    void ActivateIfAssigned();

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool ExternalRecalc() const { return FExternalRecalc; }
    void SetExternalRecalc(bool Value);
    bool VirtualRecords() const { return FVirtualRecords; }
    void SetVirtualRecords(bool Value);
    TDBSumCollection* SumCollection() const { return FSumCollection.get(); }
    void SetSumCollection(TDBSumCollection* Value);
    TComponent* Owner() const { return FOwner; }
    bool EventsOverloaded() const { return FEventsOverloaded; }
    bool Changing() const { return FChanging; }
    TSLBookmarkListEh* VirtualRecList() const { return FVirtualRecList.get(); }

    // 1-based; the virtual-record list answers when the dataset is not sequenced.
    virtual int GetRecNo();
    virtual void SetRecNo(int Value);
    int RecNo() { return GetRecNo(); }
    virtual int RecordCount();
    virtual bool IsSequenced();
    virtual int FindVirtualRecNo(const TBookmark& Bookmark);

    virtual void ClearSumValues();
    virtual void RecalcAll();
    virtual void RecalcAllForIntMemTable();
    // Events that came from a job's thread only mark the totals stale; the window recalculates
    // them here once it hears of the data again. True when it did.
    bool RecalcAllIfStale();
    bool Stale() const { return FStale; }

    TNotifyEvent OnAfterRecalcAll;
    TNotifyEvent OnRecalcAll;
    TNotifyEvent SumListChanged;


protected:
    virtual void DataSetAfterCancel(TDataSet* DataSet);
    virtual void DataSetAfterClose(TDataSet* DataSet);
    virtual void DataSetAfterEdit(TDataSet* DataSet);
    virtual void DataSetAfterInsert(TDataSet* DataSet);
    virtual void DataSetAfterOpen(TDataSet* DataSet);
    virtual void DataSetAfterPost(TDataSet* DataSet);
    virtual void DataSetAfterScroll(TDataSet* DataSet);
    virtual void DataSetBeforeDelete(TDataSet* DataSet);
    void MasterDataSetAfterScroll(TDataSet* DataSet);
    virtual void RestoreDataSetEvents();
    virtual void SetDataSetEvents();

    bool OwnerLoading() const;
    bool OwnerDesigning() const;
    bool OwnerDestroying() const;
    void DoSumListChanged();
    void RecordFilterState();
    // Whether the virtual-record list stands in for record numbers.
    bool VirtualMode();
    void InsertVirtualBookmark(const TBookmark& Bookmark);
    // True (and the totals marked stale) when an event arrives off the UI thread.
    bool OffThread();

    bool FVirtualRecords = false;
    bool FChanging = false;
    bool FActive = true;
    TDataSet* FDataSet = nullptr;
    bool FDesignTimeWork = false;
    bool FEventsOverloaded = false;
    bool FExternalRecalc = false;
    QString FFilter;
    bool FFiltered = false;
    TDataSet* FMasterDataset = nullptr;
    const TPropInfo* FMasterPropInfo = nullptr;
    int FOldRecNo = -1;
    TComponent* FOwner = nullptr;
    std::unique_ptr<TDBSumCollection> FSumCollection;
    bool FTryedInsert = false;
    // The bookmark appended at an insert that has not been posted yet (cancel takes it out).
    TBookmark FInsertedBookmark;
    std::unique_ptr<TSLBookmarkListEh> FVirtualRecList;
    bool FDataSetChanging = false;
    bool FStale = false;

    TDataSetNotifyEvent OldAfterCancel, OldAfterClose, OldAfterEdit, OldAfterInsert, OldAfterOpen, OldAfterPost,
        OldAfterScroll, OldBeforeDelete, OldMasterAfterScroll;

    friend class TDBSumCollection;
};
