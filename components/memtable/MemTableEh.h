// The in-memory table: a dataset of the framework whose records live in a record store
// (MemTableDataEh.h) and are shown through a records view; the interfaces grid-side components
// use to read rows by position and to hear of row changes. Sections live in MemTableEh_<Section>.cpp.
#pragma once

#include "MemTableDataEh.h"

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class TCustomMemTableEh;
class TDataDriverEh;
class TMTRecBuf;
class TMTOrderByList;

// ============================================================================================
// Interfaces for grid-side components (declarations only)
// ============================================================================================

enum TMTViewEventTypeEh { mtRowInsertedEh, mtRowChangedEh, mtRowDeletedEh, mtRowMovedEh, mtViewDataChangedEh };
DOV_ENUM_INFO(TMTViewEventTypeEh, mtRowInsertedEh, mtRowChangedEh, mtRowDeletedEh, mtRowMovedEh, mtViewDataChangedEh)

enum TAggrFunctionEh { agfSumEh, agfCountEh, agfAvg, agfMin, agfMax };
DOV_ENUM_INFO(TAggrFunctionEh, agfSumEh, agfCountEh, agfAvg, agfMin, agfMax)
using TAggrFunctionsEh = TSet<TAggrFunctionEh>;
// Sum, count, average, minimum, maximum, indexed by TAggrFunctionEh.
using TAggrResultArr = std::array<Variant, 5>;

// Told of row changes of a table it registered with. RowNum counts the row being inserted as a
// row of its own; OldRowNum is the former row of a moved record, else -1; mtViewDataChangedEh
// comes with RowNum -1 and means that anything may have changed.
class IMTEventReceiverEh {
public:
    virtual ~IMTEventReceiverEh() = default;
    virtual void MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) = 0;
};

class TMemTableFilterItemEh;
using TFilterRecordProcEh = TFilterRecordEvent;

// What grid-side components ask of an in-memory table (dynamic_cast<IMemTableEh*>(DataSet)).
// Rows are 0-based positions in the table's current view.
class IMemTableEh {
public:
    virtual ~IMemTableEh() = default;
    virtual int FetchRecords(int Count) = 0;
    virtual int GetInstantReadCurRow() = 0;
    virtual bool GetReservedFlag() = 0;
    virtual bool GetTreeNodeExpanded() = 0;
    virtual bool GetTreeNodeHasVisibleChildren() = 0;
    virtual int GetTreeNodeLevel() = 0;
    virtual int GetPrevTreeNodeLevel() = 0;
    virtual int GetNextTreeNodeLevel() = 0;
    virtual TMemoryRecordEh* GetRec() = 0;
    virtual int InstantReadIndexOfBookmark(const TBookmark& Bookmark) = 0;
    virtual int InstantReadRowCount() = 0;
    virtual int InstantReadViewRow() = 0;
    virtual bool GetViewAsTreeList() = 0;
    virtual TMemTableFilterItemEh* AddExtraFilter(const QString& Filter, const TFilterRecordProcEh& FilterProc) = 0;
    virtual bool UpdateExtraFilter(TMemTableFilterItemEh* FilterItem, const QString& Filter, const TFilterRecordProcEh& FilterProc) = 0;
    virtual bool RemoveExtraFilter(TMemTableFilterItemEh* FilterItem) = 0;
    virtual bool TreeNodeAncestorHasNextSibling(int Level) = 0;
    virtual bool GotoRec(TMemoryRecordEh* Rec) = 0;
    virtual int SetTreeNodeExpandedAtRow(int RowNum, bool Value) = 0;
    virtual IMemTableDataFieldValueListEh* GetFieldValueList(const QString& FieldName) = 0;
    virtual bool MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) = 0;
    virtual QString GetLikeWildcardOneChar() = 0;
    virtual QString GetLikeWildcardAnyChars() = 0;
    virtual void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM, const QString& FieldName,
                                             TAggrResultArr& ResultArr, TAggrFunctionsEh AggrFuncs) = 0;
    virtual void MTDisableControls() = 0;
    virtual void MTEnableControls(bool ForceUpdateState) = 0;
    virtual void InstantReadEnter(int RowNum) = 0;
    virtual void InstantReadLeave() = 0;
    virtual void RegisterEventReceiver(TComponent* Receiver) = 0;
    virtual void UnregisterEventReceiver(TComponent* Receiver) = 0;
};

// Enter/leave pair of instant reading that also leaves on exceptions.
class TInstantReadGuardEh {
public:
    TInstantReadGuardEh(IMemTableEh* Table, int Row) : FTable(Table) { FTable->InstantReadEnter(Row); }
    ~TInstantReadGuardEh() { FTable->InstantReadLeave(); }
    TInstantReadGuardEh(const TInstantReadGuardEh&) = delete;
    TInstantReadGuardEh& operator=(const TInstantReadGuardEh&) = delete;

private:
    IMemTableEh* FTable;
};

// ============================================================================================
// Extra filters (MemTableEh_Search.cpp)
// ============================================================================================

class TMemTableFiltersEh;

class TMemTableFilterItemEh : public TCollectionItem {
    DOV_PERSISTENT(TMemTableFilterItemEh, TCollectionItem)
public:
    explicit TMemTableFilterItemEh(TCollection* Collection);
    ~TMemTableFilterItemEh() override;

    TMemTableFiltersEh* MemTableFilters() const;
    bool Filtered() const { return FActive && (!FFilter.isEmpty() || FOnFilterRecord.Assigned()); }
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    void RecreateFilterExpr();
    void FilterProcChanged();

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    QString Filter() const { return FFilter; }
    void SetFilter(const QString& Value);
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
    void SetOnFilterRecord(const TFilterRecordEvent& Value);
    bool HasCompiledExpr() const { return FFilterExpr && FFilterExpr->HasData(); }
    void Assign(TPersistent* Source) override;

private:
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    bool FActive = false;
    QString FFilter;
    TFilterRecordEvent FOnFilterRecord;
};

class TMemTableFiltersEh : public TOwnedCollection {
    DOV_PERSISTENT(TMemTableFiltersEh, TOwnedCollection)
public:
    explicit TMemTableFiltersEh(TCustomMemTableEh* AMemTable = nullptr);
    TMemTableFilterItemEh* Add() { return static_cast<TMemTableFilterItemEh*>(TCollection::Add()); }
    TMemTableFilterItemEh* FilterItem(int Index) const { return static_cast<TMemTableFilterItemEh*>(Items(Index)); }
    void SetFilterItem(int Index, TMemTableFilterItemEh* Value) { Items(Index)->Assign(Value); }
    TMemTableFilterItemEh* ActiveFilterItem(int Index) const { return FActiveFilterItems[size_t(Index)]; }
    int ActiveFilterCount() const { return int(FActiveFilterItems.size()); }
    TCustomMemTableEh* MemTable() const { return FMemTable; }
    bool HasTextActiveFilter() const;
    bool HasEventActiveFilter() const;
    int IndexOfFilter(TMemTableFilterItemEh* FilterItem) const;
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    void RecreateFilterExpr();
    TNotifyEvent OnChanged;

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    std::vector<TMemTableFilterItemEh*> FActiveFilterItems;
    TCustomMemTableEh* FMemTable;
    bool FDirty = false;   // a filtering item went away: refilter at the next update
    bool FAdding = false;  // an item is being constructed: it cannot be asked anything yet
    friend class TCustomMemTableEh;
};

// ============================================================================================
// The table (MemTableEh_Table.cpp: structure, opening, buffers, fields; MemTableEh_Edit.cpp:
// editing and the driver; MemTableEh_Notices.cpp; MemTableEh_Search.cpp; MemTableEh_Sort.cpp)
// ============================================================================================

enum TMasterDetailSideEh { mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh };
DOV_ENUM_INFO(TMasterDetailSideEh, mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh)
enum TMemTableOptionEh { mtoPersistentStructEh, mtoTextFieldsCaseInsensitive };
DOV_ENUM_INFO(TMemTableOptionEh, mtoPersistentStructEh, mtoTextFieldsCaseInsensitive)
using TMemTableOptionsEh = TSet<TMemTableOptionEh>;
enum TLoadMode { lmCopy, lmAppend, lmCopyStructureOnly };
DOV_ENUM_INFO(TLoadMode, lmCopy, lmAppend, lmCopyStructureOnly)
enum TMemTableLoadOptionEh { tloUseCachedUpdatesEh, tloDisregardFilterEh, tloOpenOnLoad };
DOV_ENUM_INFO(TMemTableLoadOptionEh, tloUseCachedUpdatesEh, tloDisregardFilterEh, tloOpenOnLoad)
using TMemTableLoadOptionsEh = TSet<TMemTableLoadOptionEh>;
enum TDfmStreamFormatEh { dfmBinaryEh, dfmTextEh };
DOV_ENUM_INFO(TDfmStreamFormatEh, dfmBinaryEh, dfmTextEh)

using TMemTableChangeFieldValueEventEh = Delegate<void(TCustomMemTableEh* MemTable, TField* Field, Variant& Value)>;
using TGetOrderVarValueProcEh = std::function<void(Variant& VarValue, int Index)>;

// A record buffer of the table: reads go straight to the memory record of its view row until a
// data field is written, then to its own copy of the values.
class TMTRecBuf : public TObject {
public:
    bool InUse = false;
    int Bookmark = 0;                         // 1-based view row; INT_MIN for a new record
    TBookmarkFlag BookmarkFlag = bfCurrent;
    int RecordStatus = -2;
    int RecordNumber = -2;                    // 0-based view row; -1 new or outside the view
    bool NewTreeNodeExpanded = false, NewTreeNodeHasChildren = false;
    TMemRecViewEh* RecView = nullptr;
    TMemoryRecordEh* MemRec = nullptr;
    // Data values by data index (field number - 1), then calculated values by field offset.
    std::vector<Variant> Values;
    int DataCount = 0;
    bool UseMemRec = false;
    bool NeedUpdateCalcFields = false;
    bool IsInsertRow = false;                 // instant-read buffer standing for the row being inserted

    Variant GetValue(TField* Field) const;
    Variant GetOldValue(TField* Field) const;
    void SetValue(TField* Field, const Variant& v);
    void SetLength(int DataLen, int CalcLen);
    void Clear();
    int ValueCount() const { return int(Values.size()); }
    TBookmark BufBookmarkAsTBookmark() const;

private:
    int Slot(TField* Field) const;
};

class TCustomMemTableEh : public TDataSet, public IMemTableEh {
    DOV_PERSISTENT(TCustomMemTableEh, TDataSet)
public:
    explicit TCustomMemTableEh(TComponent* AOwner);
    void AfterConstruction() override;
    ~TCustomMemTableEh() override;

    // ---- structure and data ----
    TMemTableDataEh* RecordsStore() const { return FInternMemTableData.get(); }
    TRecordsViewEh* RecordsView() const { return FRecordsView.get(); }
    TDataDriverEh* DataDriver() const { return FDataDriver; }
    void SetDataDriver(TDataDriverEh* Value);
    bool FetchAllOnOpen() const { return FFetchAllOnOpen; }
    void SetFetchAllOnOpen(bool v) { FFetchAllOnOpen = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TMemTableOptionsEh Options() const { return FOptions; }
    void SetOptions(TMemTableOptionsEh Value);
    TParams* Params() const { return FParams.get(); }
    void SetParams(TParams* Value) { FParams->Assign(Value); }
    TIndexDefs* IndexDefs();
    void SetIndexDefs(TIndexDefs* Value) { IndexDefs()->Assign(Value); }
    bool StoreDefs() const { return FStoreDefs; }
    void SetStoreDefs(bool v) { FStoreDefs = v; }
    TAutoIncrementEh* AutoIncrement() const { return FInternMemTableData->AutoIncrement(); }
    void SetAutoIncrement(TAutoIncrementEh* v) { FInternMemTableData->SetAutoIncrement(v); }
    bool CachedUpdates() const;
    void SetCachedUpdates(bool Value);
    bool HasCachedChanges() const;
    void DriverStructChanged();
    // Creates the table from its field definitions without a driver (an empty store).
    void CreateDataSet();
    void EmptyTable();

    // ---- loading, saving, copying and files (MemTableEh_Files.cpp) ----
    int LoadFromDataSet(TDataSet* Source, int RecordCount, TLoadMode Mode, bool UseCachedUpdates);
    int LoadFromMemTableEh(TCustomMemTableEh* Source, int RecordCount, TLoadMode Mode,
                           TMemTableLoadOptionsEh LoadOptions);
    int SaveToDataSet(TDataSet* Dest, int RecordCount);
    void CopyStructure(TDataSet* Source);
    void DestroyTable();
    void SaveToFile(const QString& FileName, TDfmStreamFormatEh Format = dfmBinaryEh);
    void LoadFromFile(const QString& FileName);
    // The key fields of the primary index of IndexDefs ("A;B"), empty without one.
    QString ProviderKeyFields();

    // ---- the framework ----
    bool CanModify() const override { return !FReadOnly; }
    bool IsSequenced() override { return true; }
    int RecNo() const override;
    void SetRecNo(int Value) override;
    int RecordCount() const override;
    TUpdateStatus UpdateStatus() const override;
    bool GetCurrentRecord(TRecordBuffer) override { return false; }
    int GetRecordSize() const override { return FRecBufSize; }
    void Resync(TResyncMode Mode) override;
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    bool GetFieldData(TField* Field, Variant& Value) override;
    void SetFieldData(TField* Field, const Variant& Value) override;
    virtual bool GetFieldValue(TField* Field, Variant& Value) { return GetFieldData(Field, Value); }
    virtual bool GetFieldDataAsObject(TField* Field, TObject*& Value);
    virtual void SetFieldDataAsObject(TField* Field, TObject* Value);

    // ---- bookmarks ----
    TBookmark GetBookmark() override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    static int BookmarkToRecNo(const TBookmark& Bookmark);
    static TBookmark RecNoToBookmark(int RecNo);
    // The string forms carry the same 4 bytes.
    static int BookmarkStrToRecNo(const TBookmark& Bookmark) { return BookmarkToRecNo(Bookmark); }
    static int UniBookmarkToRecNo(const TBookmark& Bookmark) { return BookmarkToRecNo(Bookmark); }
    static TBookmark RecNoToBookmarkStr(int RecNo) { return RecNoToBookmark(RecNo); }
    bool BookmarkStrValid(const TBookmark& Bookmark) { return BookmarkValid(Bookmark); }
    bool UniBookmarkValid(const TBookmark& Bookmark) { return BookmarkValid(Bookmark); }
    TMemRecViewEh* BookmarkToRec(const TBookmark& Bookmark);

    // ---- current record ----
    TMemoryRecordEh* Rec();
    TMemRecViewEh* RecView();
    int InstantReadCurRow() { return GetInstantReadCurRow(); }
    TUpdateErrorEh* UpdateError();
    virtual bool GetCurrentRecBuf(TMTRecBuf*& Buffer, bool IgnoreInstantRead = false) const;
    bool InstantReadMode() const { return FInstantReadMode; }

    // ---- editing and the driver ----
    int FetchFromDriver(int Count);
    virtual int ApplyUpdatesToDriver(TMemTableDataEh* Store, int MaxErrors);
    virtual int ApplyUpdates(int MaxErrors);
    void CancelUpdates();
    void MergeChangeLog();
    void RevertRecord();
    void RefreshRecord();
    void FetchParams() {}
    virtual void CopyBufferToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec);

    // ---- notices ----
    virtual void NotifyEventReceivers(int RowNum, TMTViewEventTypeEh Event, int OldRowNum);
    int ViewRowToRowNum(int ViewRow) const;
    void BeginViewUpdate() { ++FRecordsViewUpdating; }
    void EndViewUpdate(bool Resync);
    int EventReceiverCount() const { return int(FEventReceivers.size()); }

    // ---- filters and search ----
    void SetFilterText(const QString& Value) override;
    void SetFiltered(bool Value) override;
    void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
    TUpdateStatusSet StatusFilter() const { return FRecordsView->StatusFilter(); }
    void SetStatusFilter(TUpdateStatusSet Value);
    TMemTableFiltersEh* ExtraFilters() const { return FExtraFilters.get(); }
    void SetExtraFilters(TMemTableFiltersEh* Value) { FExtraFilters->Assign(Value); }
    virtual void RefilterView();
    bool FilterRecordForView(TMemoryRecordEh* Rec);
    int FindRec(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options, int StartRecIndex,
                bool TryUseIndex);
    bool Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
    Variant Lookup(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields) override;
    Variant LookupAll(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields,
                      TLocateOptions Options = {});

    // ---- sorting, indexes and aggregates ----
    QString SortOrder() const { return FSortOrder; }
    void SetSortOrder(const QString& Value);
    void SortByFields(const QString& SortByStr) { SortByOrderText(SortByStr); }
    virtual void SortByOrderText(const QString& OrderByStr);
    void SortWithExternalProc(const TGetOrderVarValueProcEh& OrderValueProc, const std::vector<bool>& DescDirections);
    void SortRecords(TOrderByList* OrderList);
    TOrderByList* ParseOrderByText(const QString& Exp);
    virtual int CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort);
    // True for the library's own table classes, whose CompareRecords is the one above: sorts may
    // then order over prepared keys. A class of its own may override the comparison, and its
    // sorts always ask it.
    bool OwnRecordComparison() const;
    virtual int CompareTreeNodes(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort);
    virtual void CreateIndexesFromDefs();
    virtual void ApplySortOrder();
    bool AggregatesActive() const;
    void SetAggregatesActive(bool Value);
    // The view's aggregate object computing an aggregate field of the table; nullptr when none.
    TMTAggregateEh* AggregateOfField(TField* Field) const;

    // ---- IMemTableEh ----
    int FetchRecords(int Count) override;
    int GetInstantReadCurRow() override;
    bool GetReservedFlag() override { return false; }
    bool GetTreeNodeExpanded() override;
    bool GetTreeNodeHasVisibleChildren() override;
    int GetTreeNodeLevel() override;
    int GetPrevTreeNodeLevel() override;
    int GetNextTreeNodeLevel() override;
    TMemoryRecordEh* GetRec() override;
    int InstantReadIndexOfBookmark(const TBookmark& Bookmark) override;
    int InstantReadRowCount() override;
    int InstantReadViewRow() override;
    bool GetViewAsTreeList() override;
    TMemTableFilterItemEh* AddExtraFilter(const QString& Filter, const TFilterRecordProcEh& FilterProc) override;
    bool UpdateExtraFilter(TMemTableFilterItemEh* FilterItem, const QString& Filter, const TFilterRecordProcEh& FilterProc) override;
    bool RemoveExtraFilter(TMemTableFilterItemEh* FilterItem) override;
    bool TreeNodeAncestorHasNextSibling(int Level) override;
    bool GotoRec(TMemoryRecordEh* Rec) override;
    int SetTreeNodeExpandedAtRow(int RowNum, bool Value) override;
    IMemTableDataFieldValueListEh* GetFieldValueList(const QString& FieldName) override;
    bool MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) override;
    QString GetLikeWildcardOneChar() override { return QStringLiteral("_"); }
    QString GetLikeWildcardAnyChars() override { return QStringLiteral("%"); }
    void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM, const QString& FieldName,
                                     TAggrResultArr& ResultArr, TAggrFunctionsEh AggrFuncs) override;
    void MTDisableControls() override { DisableControls(); }
    void MTEnableControls(bool ForceUpdateState) override;
    void InstantReadEnter(int RowNum) override;
    void InstantReadLeave() override;
    void RegisterEventReceiver(TComponent* Receiver) override;
    void UnregisterEventReceiver(TComponent* Receiver) override;

    TMemTableChangeFieldValueEventEh OnGetFieldValue, OnSetFieldValue;

protected:
    // ---- the record-buffer protocol ----
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void OpenCursor(bool InfoQuery) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return FActive; }
    void InternalFirst() override;
    void InternalLast() override;
    void InternalInitFieldDefs() override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalDelete() override;
    void InternalCancel() override;
    void InternalRefresh() override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void CalculateFields(TRecordBuffer Buffer) override;
    void DoOnNewRecord() override;
    void DefChanged(TObject* Sender) override { FStoreDefs = true; }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The record store goes with the form (MemTableEh_Files.cpp).
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void ReadState(TReader* Reader) override;
    // Marks the default fields that make up the provider key.
    void MarkProviderKeyFields();

    static TMTRecBuf* Buf(TRecordBuffer b) { return reinterpret_cast<TMTRecBuf*>(b); }
    void FillBufferFromRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec, int ViewRow);
    TMemRecViewEh* ViewNodeAt(int Row);
    int ViewRowCount() const { return FRecordsView->ViewItemsCount(); }

private:
    // view callbacks
    void ViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    void ViewRecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    void CalcLookupBuffer(TMemoryRecordEh* MemRec, TMemRecViewEh* Node);
    void ViewApplyUpdates(TMemTableDataEh* Store);
    int ViewFetchRecords(int Count);
    TOrderByList* ViewParseOrderBy(const QString& Text);
    void StoreStructChanged(TMemTableDataEh* Store);
    void DeliverEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum);
    void SendHeldNotice();
    void RecreateFilterExpr();
    void AfterFilterChange();
    bool RecordMatchesKeys(int Row, const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options);
    bool StoredValuesMatch(TMemoryRecordEh* Rec, const std::vector<int>& DataIdx, const Variant& KeyValues);
    Variant ResultFieldValues(const QString& ResultFields);
    void UpdateCalcSlots();
    void FreeBufferCache();
    // Raises the first error a filter callback met since the last check (on the calling thread).
    void RaiseFilterError();
    void ResyncAfterViewChange();
    // Rebuilds the view's aggregate objects from the table's aggregate fields and recomputes them.
    void ResetAggregates();
    // Takes over changed settings of aggregate fields into their objects.
    void SyncAggregateFields();
    Variant AggregateFieldValue(TField* Field) const;

    bool FStateInsert = false;
    std::vector<TComponent*> FEventReceivers;
    std::vector<std::unique_ptr<TMTRecBuf>> FRecordCache;
    bool FActive = false;
    int FAutoInc = 1;
    std::vector<int> FCalcFieldIndexes;
    TDataDriverEh* FDataDriver = nullptr;
    TDataSet* FDataSetReader = nullptr;
    bool FFetchAllOnOpen = false;
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    std::vector<TMTRecBuf*> FInstantBuffers;
    int FInstantReadCurRowNum = -1;
    std::unique_ptr<TParams> FParams;
    bool FReadOnly = false;
    int FRecBufSize = -1;
    int FRecordPos = -1;
    std::unique_ptr<TRecordsViewEh> FRecordsView;
    std::unique_ptr<TIndexDefs> FIndexDefs;
    bool FStoreDefs = false;
    std::unique_ptr<TMemTableDataEh> FInternMemTableData;
    int FRecordsViewUpdating = 0;
    bool FRecordsViewUpdated = false;
    QString FSortOrder;
    int FMTViewDataEventInactiveCount = 0;
    int FInactiveEventRowNum = -1;
    TMTViewEventTypeEh FInactiveEvent = mtViewDataChangedEh;
    int FInactiveEventOldRowNum = -1;
    bool FOldControlsDisabled = false;
    bool FOldActive = false;
    TMemTableOptionsEh FOptions;
    std::unique_ptr<TMemTableFiltersEh> FExtraFilters;
    bool FInstantReadMode = false;
    TGetOrderVarValueProcEh FGetOrderVarValueProc;
    // Aggregate fields and their objects in the view's aggregates, in field order.
    std::vector<std::pair<TField*, TMTAggregateEh*>> FAggFields;
    // Data fields made at open for a table whose only persistent fields are aggregates; freed at close.
    std::vector<TField*> FFieldsBesideAggregates;
    std::vector<Variant> FSortingValues;
    int FCalcCount = 0;
    int FDataCount = 0;
    // Notices reach receivers only on this thread: the one that created the table or last
    // enabled its controls.
    std::thread::id FNoticeThread;
    bool FInRefilter = false;   // a refilter pass: the first failure stops it
    std::exception_ptr FFilterError;

    friend class TMemTableFiltersEh;
    friend class TMemTableFilterItemEh;
    friend class TMTOrderByList;
};

// A sort list over the table's fields (FieldIndex: position in the table's field list).
class TMTOrderByList : public TOrderByList {
public:
    explicit TMTOrderByList(TCustomMemTableEh* Table) : FTable(Table) {}
    int GetFieldIndex(const QString& FieldName) override;

private:
    TCustomMemTableEh* FTable;
};

class TMemTableEh : public TCustomMemTableEh {
    DOV_PERSISTENT(TMemTableEh, TCustomMemTableEh)
public:
    explicit TMemTableEh(TComponent* AOwner) : TCustomMemTableEh(AOwner) {}
    TDataDriverEh* GetDataDriverProp() const { return DataDriver(); }
    TFieldDefs* FieldDefsProp() const { return FieldDefs(); }
    bool IsFieldDefsStored() const { return StoreDefs(); }
};
