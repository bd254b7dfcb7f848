// The in-memory table: a dataset of the framework whose records live in a record store
// (MemTableDataEh.h) and are shown through a records view; the interfaces grid-side components
// use to read rows by position and to hear of row changes. Sections live in MemTableEh_<Section>.cpp.
#pragma once

#include "MemTableDataEh.h"
#include "platform/rtl/Streams.h"

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

// ---- master-detail (MemTableEh_MasterDetail.cpp) ----

// The link of a detail table to its master's data source: keeps the master's fields named by
// FieldNames and tells the table when the master's current record or state changed.
class TMasterDataLinkEh : public TDataLink {
public:
    explicit TMasterDataLinkEh(TDataSet* ADataSet) : FDataSet(ADataSet) {}
    QString FieldNames() const { return FFieldNames; }
    // Raises the framework's field-not-found error, keeping the former names, when the master
    // lacks a field.
    void SetFieldNames(const QString& Value);
    const std::vector<TField*>& Fields() const { return FFields; }
    TDataSet* DetailDataSet() const { return FDataSet; }
    TNotifyEvent OnMasterChange, OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* Field) override;
    TDataSet* GetDetailDataSet() const override { return FDataSet; }

private:
    void ResolveFields();
    TDataSet* FDataSet;
    QString FFieldNames;
    std::vector<TField*> FFields;
};

class TSortedVarItemEh : public TObject {
public:
    explicit TSortedVarItemEh(const Variant& NewValue) : Value(NewValue) {}
    Variant Value;
};

// Values kept in ascending order (Null lowest, arrays element by element).
class TSortedVarlistEh {
public:
    bool FindKeyValueIndex(const Variant& Value, int& Index) const;
    bool Contains(const Variant& Value) const;
    int Add(TSortedVarItemEh* Item);
    int Insert(int, TSortedVarItemEh* Item) { return Add(Item); }
    int Count() const { return int(FItems.size()); }
    TSortedVarItemEh* Items(int Index) const { return FItems[size_t(Index)].get(); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TSortedVarItemEh>> FItems;
};

// ---- tree view of the table (MemTableEh_TreeView.cpp) ----

using TMTTreeNodeExpandingEventEh = Delegate<void(TObject* Sender, int RecNo, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandingEventEh = Delegate<void(TObject* Sender, TMemRecViewEh* Node, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandedEventEh = Delegate<void(TObject* Sender, TMemRecViewEh* Node)>;
using TRecordsViewCheckMoveNodeEventEh = Delegate<bool(TObject* Sender, TMemRecViewEh* SourceNode,
                                                       TMemRecViewEh* AppointedParent, int AppointedIndex)>;

// The table's TreeList: switches the tree view of its records on and forwards the tree settings.
class TMemTableTreeListEh : public TPersistent {
    DOV_PERSISTENT(TMemTableTreeListEh, TPersistent)
public:
    explicit TMemTableTreeListEh(TCustomMemTableEh* AMemTable);

    bool Active() const;
    void SetActive(bool Value);
    QString KeyFieldName() const;
    void SetKeyFieldName(const QString& Value);
    QString RefParentFieldName() const;
    void SetRefParentFieldName(const QString& Value);
    bool DefaultNodeExpanded() const;
    void SetDefaultNodeExpanded(bool Value);
    bool DefaultNodeHasChildren() const;
    void SetDefaultNodeHasChildren(bool Value);
    bool FullBuildCheck() const;
    void SetFullBuildCheck(bool Value);
    bool FilterNodeIfParentVisible() const;
    void SetFilterNodeIfParentVisible(bool Value);
    void FullCollapse();
    void FullExpand();
    bool Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    TPersistent* GetOwner() const override;
    void Assign(TPersistent* Source) override;

private:
    TMemoryTreeListEh* Tree() const;
    void ExpandAll(bool Expand);

    TCustomMemTableEh* FMemTable;
    bool FLoadingActive = false;
    friend class TCustomMemTableEh;
};

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
    TMemTableDataEh* RecordsStore() const { return FMemData; }
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
    TAutoIncrementEh* AutoIncrement() const { return FMemData->AutoIncrement(); }
    void SetAutoIncrement(TAutoIncrementEh* v) { FMemData->AutoIncrement()->Assign(v); }
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
    // A bare row position; bookmarks the table hands out also name the row's record.
    static TBookmark RecNoToBookmark(int RecNo);
    static TBookmark RecordBookmark(int RecNo, const TMemoryRecordEh* Rec);
    // The 0-based view row now holding the bookmarked record (it may have moved), -1 when the
    // record is gone or hidden.
    int BookmarkRow(const TBookmark& Bookmark);
    // The string forms carry the same bytes.
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

    // ---- master-detail (MemTableEh_MasterDetail.cpp) ----
    TDataSource* MasterSource() const { return FMasterDataLink->DataSource(); }
    void SetMasterSource(TDataSource* Value);
    QString MasterFields() const { return FMasterDataLink->FieldNames(); }
    void SetMasterFields(const QString& Value);
    QString DetailFields() const { return FDetailFields; }
    void SetDetailFields(const QString& Value);
    TMasterDetailSideEh MasterDetailSide() const { return FMasterDetailSide; }
    void SetMasterDetailSide(TMasterDetailSideEh Value);
    bool DetailMode() const { return FDetailMode; }
    const Variant& MasterValues() const { return FMasterValues; }
    const TSortedVarlistEh& MasterValList() const { return FMasterValList; }
    TMasterDataLinkEh* MasterDataLink() const { return FMasterDataLink.get(); }
    TDataSource* GetDataSource() const override { return MasterSource(); }
    void UpdateDetailMode(bool Refresh);
    void SetReaderParamsFromMaster();
    void RefreshDetailFromProvider();
    // ---- tree view and moving records (MemTableEh_TreeView.cpp) ----
    TMemTableTreeListEh* TreeList() const { return FTreeList.get(); }
    void SetTreeList(TMemTableTreeListEh* Value) { FTreeList->Assign(Value); }
    TMemRecViewEh* TreeNode();
    int TreeNodeLevel() { return GetTreeNodeLevel(); }
    int TreeNodeChildCount();
    bool TreeNodeHasChildren();
    bool TreeNodeExpanded() { return GetTreeNodeExpanded(); }
    void SetTreeNodeExpanded(bool Value);
    bool TreeNodeHasVisibleChildren() { return GetTreeNodeHasVisibleChildren(); }
    void SetTreeNodeHasVisibleChildren(bool Value);
    // Moves the record at view row FromIndex to row ToIndex (in a tree view by re-parenting it
    // under level TreeLevel). False when the move is refused or nothing would move.
    bool MoveRecord(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly);
    TMTTreeNodeExpandingEventEh OnTreeNodeExpanding;
    TRecordsViewTreeNodeExpandingEventEh OnRecordsViewTreeNodeExpanding;
    TRecordsViewTreeNodeExpandedEventEh OnRecordsViewTreeNodeExpanded;
    TRecordsViewCheckMoveNodeEventEh OnRecordsViewCheckMoveNode;

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

    // ---- blob streams, value lists, an attached store, the postponed open
    //      (MemTableEh_Blobs.cpp, MemTableEh_ValueLists.cpp, MemTableEh_External.cpp) ----
    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    // Another table whose record store this one shows instead of its own.
    TCustomMemTableEh* ExternalMemData() const { return FExternalMemData; }
    void SetExternalMemData(TCustomMemTableEh* Value);
    // The store the view shows: the attached table's, else the own one.
    TMemTableDataEh* MemData() const { return FMemData; }
    // Switched on while a form is read at design time, the open waits for the event loop.
    void SetActive(bool Value);

protected:
    const TClassInfo* GetFieldClass(TFieldType FieldType) const override;
    void InternalHandleException() override;
    void PostponedOpen();

private:
    TCustomMemTableEh* FExternalMemData = nullptr;
    TMemTableDataEh* FMemData = nullptr;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    // Tables showing this table's store; they go back to their own before the store goes.
    std::vector<TCustomMemTableEh*> FAttachedTables;

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
    void Loaded() override;
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
    // Points a buffer at the record of a view row (and at its item where the row needs one).
    void FillBufferFromRow(TMTRecBuf* B, int Row);
    // The buffer's view item, made for a flat row when first asked for.
    TMemRecViewEh* BufNode(TMTRecBuf* B);
    int ViewRowCount() const { return FRecordsView->ViewItemsCount(); }

private:
    // tree view (MemTableEh_TreeView.cpp)
    bool TreeNodeExpanding(TBaseTreeNodeEh* Node);
    void TreeNodeExpandedChanged(TBaseTreeNodeEh* Node);
    // The displayed row of Node, or of its nearest displayed ancestor; -1 when none.
    int TreeRowOfNode(TMemRecViewEh* Node);
    // Rebuilds the displayed rows and keeps the cursor on Current (or its nearest shown ancestor).
    void TreeRowsChanged(TMemoryRecordEh* Current);
    // A posted new record's node takes the state asked for while it had none.
    void ApplyNewTreeNodeState(TMTRecBuf* Buffer, TMemoryRecordEh* Rec);
    // 1 moved (or would move), 0 nothing to move, -1 refused.
    int MoveRecordStep(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly);
    std::unique_ptr<TMemTableTreeListEh> FTreeList;
    bool FTreeRowsQuiet = false;   // expansion changes only mark the rows obsolete

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

    // ---- master-detail (MemTableEh_MasterDetail.cpp) ----
    void InitMasterDetail();
    void MasterChanged(TObject* Sender);
    void CloseMasterDetail();
    // Raises, naming them, when the master lacks a field, a detail field is not a data field or
    // the two lists differ in length.
    void CheckDetailLink(TDataSet* Master, const QString& MasterNames, const QString& DetailNames);
    Variant MasterFieldValues() const;
    bool MasterHasRecord() const;
    bool LocalDetailFilter() const { return FDetailMode && FMasterDetailSide != mdsOnProviderEh; }
    bool RecordMatchesMaster(TMemoryRecordEh* Rec) const;
    void PrepareDetailRecList();
    const std::vector<TMemoryRecordEh*>* DetailPrefilteredList();
    void AssignMasterValuesToNewRecord();
    void DropOwnDetailIndex();
    std::unique_ptr<TMasterDataLinkEh> FMasterDataLink;
    std::vector<TField*> FDetailFieldList;
    std::vector<int> FDetailDataIdx;            // store positions of the detail fields
    QString FDetailFields;
    bool FDetailMode = false;
    TMasterDetailSideEh FMasterDetailSide = mdsOnSelfEh;
    Variant FMasterValues;
    TSortedVarlistEh FMasterValList;
    std::vector<TMemoryRecordEh*> FDetailRecList;
    bool FDetailRecListActive = false;
    // Without a store index over the detail fields the table keeps its own, so a master step
    // reads only the matching records.
    std::unique_ptr<TMTIndexEh> FOwnDetailIndex;
    std::unique_ptr<TRecordsListNotificatorEh> FOwnDetailIndexKeeper;

    friend class TMemTableFiltersEh;
    friend class TMemTableFilterItemEh;
    friend class TMTOrderByList;
    friend class TMemTableTreeListEh;
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
    TIndexDefs* IndexDefsProp() const { return const_cast<TMemTableEh*>(this)->IndexDefs(); }
};

// ============================================================================================
// Blob streams, object fields and field value lists (MemTableEh_Blobs.cpp, MemTableEh_ValueLists.cpp)
// ============================================================================================

// The bytes of one blob or memo field of the table's current record. Memo texts travel as
// CP1251 bytes, wide memo texts as UTF-16 (two bytes a character), other blobs as they are
// stored. A stream that was written hands its bytes back to the record it was opened on when
// it is destroyed.
class TMemBlobStreamEh : public TMemoryStream {
public:
    TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode);
    ~TMemBlobStreamEh() override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    void SetSize(int64_t NewSize) override;
    void Truncate();
    bool Modified() const { return FModified; }

private:
    void LoadFieldData();
    void StoreFieldData();
    Variant StreamAsFieldValue() const;

    TBlobField* FField;
    TCustomMemTableEh* FDataSet;
    TMTRecBuf* FBuffer = nullptr;
    TMemoryRecordEh* FRec = nullptr;   // the record of FBuffer when the stream was made
    TDataSetState FState;
    int FFieldNo;
    bool FModified = false;
};

// A field that holds an object reference (a data type of ftUnknown).
class TRefObjectField : public TField {
    DOV_PERSISTENT(TRefObjectField, TField)
public:
    explicit TRefObjectField(TComponent* AOwner);
    TObject* Value() const;
    void SetValue(TObject* Value);

protected:
    Variant GetAsVariant() const override;
    void SetAsVariantImpl(const Variant& v) override;
    void CheckSize(int) const override {}
};

// The distinct texts of one field of a record store (or of a records view), for filter
// drop-downs. Over a store the list follows added, changed and deleted records by counting
// how many records hold each value, so an edit costs a lookup, not a pass over the records;
// anything wider (a filter with a changed record, a reordered or cleared list) rebuilds it at
// the next read. The caller owns the list.
class TMemTableDataFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
public:
    explicit TMemTableDataFieldValueListEh(TCustomMemTableEh* ADataSet);
    ~TMemTableDataFieldValueListEh() override;

    virtual void Invalidate();
    TStrings* GetValues() override;
    void SetFilter(const QString& Filter) override;
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TComponent* DataObject() const;
    void SetDataObject(TComponent* Value);
    bool DataObsoleted() const { return FDataObsoleted; }

protected:
    void RefreshValues();

private:
    struct Share {
        bool Counted = false;
        Variant Key;
        QString Text;
    };
    void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    Share ShareOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version);
    void AddShare(const Share& S);
    void RemoveShare(const Share& S);
    bool CaseInsensitive() const;
    void RefreshFromStore(TMemTableDataEh* Store);
    void RefreshFromView(TRecordsViewEh* View);
    void LoadKeyTexts();

    TStringList* FValues;
    bool FDataObsoleted = true;
    QString FFieldName;
    std::unique_ptr<TRecordsListNotificatorEh> FNotificator;
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    QString FFilter;
    TCustomMemTableEh* FDataSet;
    // The counted state: texts of a text field (a count per line of FValues), or the sorted
    // distinct values of another field with their counts (FValues follows them).
    int FFieldIndex = -1;
    bool FTextField = false;
    bool FBuiltCaseInsensitive = false;
    bool FKeysChanged = false;
    std::vector<int> FTextCounts;
    std::vector<std::pair<Variant, int>> FKeys;
    // Shares of records between the changing and the changed notice.
    std::vector<std::pair<TMemoryRecordEh*, Share>> FPending;
};
