// Grouping of an in-memory table's rows: levels, the group data tree and group footers.
//
// The settings object (TGridDataGroupsEh) owns its levels, its footer definitions and the tree.
// The tree reads the table's rows one by one through instant reading, so building it never moves
// the cursor; it keeps a flat list of the rows a grid shows. Whatever the grid has to do (row
// heights, row recount, repositioning, the footer hooks of the application) goes through the
// virtual "grid hooks" of TGridDataGroupsEh, which the data grid's grouping overrides.
#pragma once

#include "components/memtable/MemTreeEh.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Graphics.h"

#include <memory>
#include <vector>

class TAxisBarEh;
class TCustomDBAxisGridEh;
class TDataSet;
class TField;
class TGridAxisBarsEh;
class IMemTableEh;

class TGridDataGroupsEh;
class TGridDataGroupLevelsEh;
class TGridDataGroupLevelEh;
class TGridGroupDataTreeEh;
class TGroupDataTreeNodeEh;
class TGridDataGroupFootersEh;
class TGridDataGroupFooterEh;
class TGridDataGroupFooterColumnItemsEh;
class TGridDataGroupFooterColumnItemEh;
class TGridDataGroupFootersDefValuesEh;
class TGridDataGroupRowDefValuesEh;

enum TSortOrderEh { soAscEh, soDescEh };
DOV_ENUM_INFO(TSortOrderEh, soAscEh, soDescEh)

enum TGroupDataTreeNodeTypeEh { dntDataSetRecordEh, dntDataGroupEh, dntDataGroupFooterEh };
DOV_ENUM_INFO(TGroupDataTreeNodeTypeEh, dntDataSetRecordEh, dntDataGroupEh, dntDataGroupFooterEh)

enum TGroupFooterValueTypeEh {
    gfvNonEh, gfvSumEh, gfvAvgEh, gfvCountEh, gfvMaxEh, gfvMinEh, gfvStaticTextEh, gfvCustomEh
};
DOV_ENUM_INFO(TGroupFooterValueTypeEh, gfvNonEh, gfvSumEh, gfvAvgEh, gfvCountEh, gfvMaxEh, gfvMinEh,
              gfvStaticTextEh, gfvCustomEh)

// Items of the grouping's collections that are still being made: the collection hears of an
// item (and of its change) from the item's base constructor, before the item's own fields exist,
// so it leaves such items alone until their AfterConstruction reports them finished.
class TItemsInMakingEh {
public:
    void Added(TCollectionItem* Item) { FItems.push_back(Item); }
    void Removed(TCollectionItem* Item);
    // True when Item was waiting (it is then finished).
    bool Finished(TCollectionItem* Item);
    bool Any() const { return !FItems.empty(); }

private:
    std::vector<TCollectionItem*> FItems;
};

// ============================================================================================
// Group rows' defaults and their bottom line
// ============================================================================================

// The line under group rows.
class TGridGroupLinePenEh : public TPersistent {
    DOV_PERSISTENT(TGridGroupLinePenEh, TPersistent)
public:
    explicit TGridGroupLinePenEh(TGridDataGroupRowDefValuesEh* AOwner = nullptr);

    TColor Color() const { return GetColor(); }
    void SetColorProp(TColor Value) { SetColor(Value); }
    int Width() const { return GetWidth(); }
    void SetWidthProp(int Value) { SetWidth(Value); }
    void Assign(TPersistent* Source) override;

    virtual TColor GetColor() const;
    virtual int GetWidth() const;
    virtual void SetColor(TColor Value);
    virtual void SetWidth(int Value);

private:
    TGridDataGroupRowDefValuesEh* FOwner;
    TColor FColor = clDefault;
    int FWidth = 1;
    void Changed();
};

// Defaults of the group rows of every level that keeps them.
class TGridDataGroupRowDefValuesEh : public TPersistent {
    DOV_PERSISTENT(TGridDataGroupRowDefValuesEh, TPersistent)
public:
    explicit TGridDataGroupRowDefValuesEh(TGridDataGroupsEh* ADataGroups = nullptr);
    ~TGridDataGroupRowDefValuesEh() override;
    void Assign(TPersistent* Source) override;

    TGridDataGroupsEh* DataGroups() const { return FDataGroups; }
    bool FooterInGroupRow() const { return FFooterInGroupRow; }
    void SetFooterInGroupRow(bool Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    TGridGroupLinePenEh* BottomLine() const { return FBottomLine; }
    void SetBottomLine(TGridGroupLinePenEh* Value);

private:
    TGridDataGroupsEh* FDataGroups;
    bool FFooterInGroupRow = false;
    int FRowHeight = 0;
    int FRowLines = 0;
    TGridGroupLinePenEh* FBottomLine = nullptr;
    void StructureChanged();
};

// ============================================================================================
// Footer definitions (a grouping's own, or a level's own)
// ============================================================================================

// Defaults of the footers that keep them.
class TGridDataGroupFootersDefValuesEh : public TPersistent {
    DOV_PERSISTENT(TGridDataGroupFootersDefValuesEh, TPersistent)
public:
    explicit TGridDataGroupFootersDefValuesEh(TGridDataGroupsEh* ADataGroups = nullptr);
    void Assign(TPersistent* Source) override;

    bool ShowFunctionName() const { return FShowFunctionName; }
    void SetShowFunctionName(bool Value);
    bool RunTimeCustomizable() const { return FRunTimeCustomizable; }
    void SetRunTimeCustomizable(bool Value) { FRunTimeCustomizable = Value; }

private:
    TGridDataGroupsEh* FDataGroups;
    bool FShowFunctionName = false;
    bool FRunTimeCustomizable = false;
};

// One cell of a footer definition: the aggregate of one grid column.
class TGridDataGroupFooterColumnItemEh : public TCollectionItem {
    DOV_PERSISTENT(TGridDataGroupFooterColumnItemEh, TCollectionItem)
public:
    explicit TGridDataGroupFooterColumnItemEh(TCollection* Collection);
    ~TGridDataGroupFooterColumnItemEh() override;
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;

    TGridDataGroupFooterEh* Footer() const;
    TGridDataGroupsEh* DataGroups() const;
    TAxisBarEh* Column() const { return FColumn; }
    void SetColumn(TAxisBarEh* Value) { FColumn = Value; }
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value) { FFieldName = Value; }
    // The column's field, nullptr without a column or a field.
    TField* Field() const;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TGroupFooterValueTypeEh ValueType() const { return FValueType; }
    void SetValueType(TGroupFooterValueTypeEh Value);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    bool ShowFunctionName() const;
    void SetShowFunctionName(bool Value);
    bool ShowFunctionNameStored() const { return FShowFunctionNameStored; }
    void SetShowFunctionNameStored(bool Value);
    bool RunTimeCustomizable() const;
    void SetRunTimeCustomizable(bool Value);
    bool RunTimeCustomizableStored() const { return FRunTimeCustomizableStored; }
    void SetRunTimeCustomizableStored(bool Value);
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }

    virtual void AppearanceChanged();
    virtual bool DefaultRunTimeCustomizable() const;
    virtual bool IsShowFunctionNameStored() const { return FShowFunctionNameStored; }
    // Adds the record being read to AValue (the footer node's value of this item).
    virtual void AggregateValue(Variant& AValue, TGroupDataTreeNodeEh* Node);
    virtual void FinalizeValue(Variant& AValue);
    // Adds a record's value V to a running value of that type (Empty before the first record).
    static void AddRecordValue(TGroupFooterValueTypeEh Type, Variant& AValue, const Variant& V);
    // Sum, average, count, maximum and minimum: the types that read the records.
    static bool IsAggregateType(TGroupFooterValueTypeEh Type);

    // The footer node's value under this item's column.
    Variant AggrValue(TGroupDataTreeNodeEh* FooterNode) const;
    // The cell text of a footer value.
    QString ConvertToDisplayText(const Variant& AValue);

private:
    TAlignment FAlignment = taRightJustify;
    TFont* FFont = nullptr;
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FParentFont = true;
    TGroupFooterValueTypeEh FValueType = gfvNonEh;
    TAxisBarEh* FColumn = nullptr;
    QString FFieldName;
    QString FDisplayFormat;
    bool FShowFunctionName = false;
    bool FShowFunctionNameStored = false;
    bool FRunTimeCustomizable = false;
    bool FRunTimeCustomizableStored = false;
    mutable bool FFontChanging = false;
    void FontChanged(TObject* Sender);
    void ValuesChanged();
};

// The column items of a footer definition, one per grid column.
class TGridDataGroupFooterColumnItemsEh : public TCollection {
    DOV_PERSISTENT(TGridDataGroupFooterColumnItemsEh, TCollection)
public:
    explicit TGridDataGroupFooterColumnItemsEh(TGridDataGroupFooterEh* AFooter = nullptr);

    TGridDataGroupFooterEh* Footer() const { return FFooter; }
    TGridDataGroupFooterColumnItemEh* Items(int Index) const { return ItemAs<TGridDataGroupFooterColumnItemEh>(Index); }
    TGridDataGroupFooterColumnItemEh* GetItem(int Index) const { return Items(Index); }
    void SetItem(int Index, TGridDataGroupFooterColumnItemEh* Value) { Items(Index)->Assign(Value); }
    TGridDataGroupFooterColumnItemEh* Add() { return static_cast<TGridDataGroupFooterColumnItemEh*>(TCollection::Add()); }
    // The first item of that column, -1 when none.
    int ItemIndexByColumn(TAxisBarEh* Column) const;
    // Item by item in position, without adding or removing items.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;

public:
    TItemsInMakingEh InMaking;
    // Set while the items are matched to the grid's columns: their changes are not reported.
    bool Syncing = false;

protected:
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    TGridDataGroupFooterEh* FFooter;
};

// A footer definition: one footer row under every group of the levels that use it.
class TGridDataGroupFooterEh : public TCollectionItem {
    DOV_PERSISTENT(TGridDataGroupFooterEh, TCollectionItem)
public:
    explicit TGridDataGroupFooterEh(TCollection* Collection);
    ~TGridDataGroupFooterEh() override;
    // Matches the items to the grid's columns at once unless the grid is loading.
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;

    TGridDataGroupFootersEh* Footers() const;
    TGridDataGroupsEh* DataGroups() const;
    TGridDataGroupFooterColumnItemsEh* ColumnItems() const { return FColumnItems; }
    void SetColumnItems(TGridDataGroupFooterColumnItemsEh* Value) { FColumnItems->Assign(Value); }
    bool IsColumnItemsStored() const;
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ShowFunctionName() const;
    void SetShowFunctionName(bool Value);
    bool ShowFunctionNameStored() const { return FShowFunctionNameStored; }
    void SetShowFunctionNameStored(bool Value);
    bool RunTimeCustomizable() const;
    void SetRunTimeCustomizable(bool Value);
    bool RunTimeCustomizableStored() const { return FRunTimeCustomizableStored; }
    void SetRunTimeCustomizableStored(bool Value);
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    bool RowHeightNeedUpdate() const { return FRowHeightNeedUpdate; }
    void SetRowHeightNeedUpdate(bool Value) { FRowHeightNeedUpdate = Value; }
    int AutoCalcHeight() const { return FAutoCalcHeight; }
    void SetAutoCalcHeight(int Value) { FAutoCalcHeight = Value; }

    // One item per grid column, in the columns' order; true when anything changed.
    virtual bool SyncColumnItems(TGridAxisBarsEh* Columns);
    virtual void AppearanceChanged();
    virtual void ValuesChanged();
    virtual bool DefaultRunTimeCustomizable() const;

    // The parent colour and font of its column items.
    TColor ItemsParentColor() const { return Color(); }
    TFont* ItemsParentFont() const { return Font(); }

private:
    TGridDataGroupFooterColumnItemsEh* FColumnItems = nullptr;
    TFont* FFont = nullptr;
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FVisible = false;
    bool FRowHeightNeedUpdate = true;
    bool FShowFunctionName = false;
    bool FRunTimeCustomizable = false;
    bool FRunTimeCustomizableStored = false;
    bool FShowFunctionNameStored = false;
    int FAutoCalcHeight = 0;
    mutable bool FFontChanging = false;
    void FontChanged(TObject* Sender);
};

// The footer definitions of a grouping or of one level.
class TGridDataGroupFootersEh : public TCollection {
    DOV_PERSISTENT(TGridDataGroupFootersEh, TCollection)
public:
    // Owner: the level or the grouping.
    explicit TGridDataGroupFootersEh(TPersistent* AOwner = nullptr);

    TGridDataGroupFooterEh* Items(int Index) const { return ItemAs<TGridDataGroupFooterEh>(Index); }
    TGridDataGroupFooterEh* GetFooter(int Index) const { return Items(Index); }
    void SetFooter(int Index, TGridDataGroupFooterEh* Value) { Items(Index)->Assign(Value); }
    TGridDataGroupFooterEh* Add() { return static_cast<TGridDataGroupFooterEh*>(TCollection::Add()); }
    int VisibleItemsCount() const { return int(FVisibleFooters.size()); }
    TGridDataGroupFooterEh* GetVisibleFooter(int Index) const { return FVisibleFooters.at(size_t(Index)); }
    // The owning level, or nullptr.
    TGridDataGroupLevelEh* GroupLevel() const;
    // The owning grouping, or nullptr.
    TGridDataGroupsEh* Groups() const;
    // The grouping either way.
    TGridDataGroupsEh* GetMasterGroups() const;
    TPersistent* GetOwner() const override { return FOwner; }

    virtual void FootersAppearanceChanged();
    virtual void FootersStructureChanged();
    virtual void FootersValuesChanged();

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

public:
    TItemsInMakingEh InMaking;

private:
    TPersistent* FOwner;
    std::vector<TGridDataGroupFooterEh*> FVisibleFooters;
    void RebuildVisibleFooters();
};

// ============================================================================================
// Levels
// ============================================================================================

class TGridDataGroupLevelEh : public TCollectionItem {
    DOV_PERSISTENT(TGridDataGroupLevelEh, TCollectionItem)
public:
    explicit TGridDataGroupLevelEh(TCollection* Collection);
    ~TGridDataGroupLevelEh() override;
    // Takes the grouping's font and tells the collection that the item is finished.
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;

    TGridDataGroupLevelsEh* GridDataGroupLevels() const;
    TGridDataGroupsEh* DataGroups() const;

    TAxisBarEh* Column() const { return FColumn; }
    void SetColumn(TAxisBarEh* Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TRect GroupPanelRect() const { return FGroupPanelRect; }
    void SetGroupPanelRect(const TRect& Value) { FGroupPanelRect = Value; }
    TSortOrderEh SortOrder() const { return FSortOrder; }
    void SetSortOrder(TSortOrderEh Value);
    int RowHeight() const;
    void SetRowHeight(int Value);
    bool RowHeightStored() const { return FRowHeightStored; }
    void SetRowHeightStored(bool Value);
    int RowLines() const;
    void SetRowLines(int Value);
    bool RowLinesStored() const { return FRowLinesStored; }
    void SetRowLinesStored(bool Value);
    bool FooterInGroupRow() const;
    void SetFooterInGroupRow(bool Value);
    bool FooterInGroupRowStored() const { return FFooterInGroupRowStored; }
    void SetFooterInGroupRowStored(bool Value);
    bool IsRowHeightStored() const { return FRowHeightStored; }
    bool IsRowLinesStored() const { return FRowLinesStored; }
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    TGridDataGroupFootersEh* Footers() const { return FFooters; }
    void SetFooters(TGridDataGroupFootersEh* Value);
    bool ParentFooters() const { return FParentFooters; }
    void SetParentFooters(bool Value);

    TNotifyEvent OnGetKeyValue;
    TNotifyEvent OnGetTitleText;

    virtual TColor GetFooterParentColor() const;
    virtual TFont* GetFooterParentFont() const;
    virtual void AppearanceChanged();
    virtual QString GetGroupRowText(TGroupDataTreeNodeEh* GroupDataTreeNode);
    // The key of the record being read: its column's field value while that dataset is open.
    virtual Variant GetKeyValue();
    virtual QString GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode);

    void CollapseNodes();
    void ExpandNodes();
    // The footers this level shows: its own, or the grouping's while ParentFooters is on.
    TGridDataGroupFootersEh* UsedFooters() const;
    TGridDataGroupFooterEh* GetVisibleFooter(int Index) const;
    int VisibleFootersCount() const;
    // The index among the active levels, -1 while not active.
    int ActiveIndex() const;

protected:
    void ExtractNodes(bool Expand);

private:
    TColor FColor = clWindow;
    TAxisBarEh* FColumn = nullptr;
    TFont* FFont = nullptr;
    TRect FGroupPanelRect;
    bool FParentColor = true;
    bool FParentFont = true;
    int FRowHeight = 0;
    int FRowLines = 0;
    TSortOrderEh FSortOrder = soAscEh;
    TGridDataGroupFootersEh* FFooters = nullptr;
    bool FParentFooters = true;
    bool FFooterInGroupRow = false;
    bool FFooterInGroupRowStored = false;
    bool FRowHeightStored = false;
    bool FRowLinesStored = false;
    mutable bool FFontChanging = false;
    void FontChanged(TObject* Sender);
    void StructureChanged();
};

class TGridDataGroupLevelsEh : public TCollection {
    DOV_PERSISTENT(TGridDataGroupLevelsEh, TCollection)
public:
    // The items are of ItemClass (the data grid's level class in a data grid).
    explicit TGridDataGroupLevelsEh(TGridDataGroupsEh* ADataGroups = nullptr,
                                    const TClassInfo& ItemClass = TGridDataGroupLevelEh::StaticClassInfo());

    TGridDataGroupsEh* DataGroups() const { return FDataGroups; }
    TCustomDBAxisGridEh* Grid() const;
    TGridDataGroupLevelEh* Items(int Index) const { return ItemAs<TGridDataGroupLevelEh>(Index); }
    TGridDataGroupLevelEh* GetDataGroup(int Index) const { return Items(Index); }
    TGridDataGroupLevelEh* DataGroup(int Index) const { return Items(Index); }
    TGridDataGroupLevelEh* Add() { return static_cast<TGridDataGroupLevelEh*>(TCollection::Add()); }
    TPersistent* GetOwner() const override;

    virtual void LevelSortOrderChanged(TGridDataGroupLevelEh* Level);

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

public:
    TItemsInMakingEh InMaking;

private:
    TGridDataGroupsEh* FDataGroups;
};

// ============================================================================================
// The group data tree
// ============================================================================================

class TGroupDataTreeNodeEh : public TBaseTreeNodeEh {
public:
    TGroupDataTreeNodeEh();

    TGridGroupDataTreeEh* Tree() const;
    TGroupDataTreeNodeEh* ParentNode() const { return static_cast<TGroupDataTreeNodeEh*>(Parent()); }
    TGridDataGroupLevelEh* DataGroupLevel() const { return FDataGroupLevel; }
    TGridDataGroupFooterEh* DataGroupFooter() const { return FDataGroupFooter; }
    int DataSetRecordViewNo() const { return FDataSetRecordViewNo; }
    QString DisplayValue() const { return FDisplayValue; }
    int FooterItemCount() const { return FFooterItemCount; }
    std::vector<Variant>& FooterValue() { return FFooterValue; }
    const std::vector<Variant>& FooterValue() const { return FFooterValue; }
    const Variant& FullKey() const { return FFullKey; }
    TGroupDataTreeNodeTypeEh NodeType() const { return FGroupDataTreeNodeType; }
    const Variant& KeyValue() const { return FKeyValue; }
    // The cached height, recomputed first when marked.
    int RowHeight();
    bool RowHeightNeedUpdate() const { return FRowHeightNeedUpdate; }
    // Marks the cached height for recomputing.
    void RowDataChanged() { FRowHeightNeedUpdate = true; }

    // Data items: children less the footers at the end.
    int Count() const;
    TGroupDataTreeNodeEh* GetDataItem(int Index) const;
    TGroupDataTreeNodeEh* GetFooterItem(int Index) const;
    int FullItemCount() const { return GetCount(); }
    bool RecordNodeLastInGroup() const;

    // Footer nodes, one per footer of the level (of the grouping for the root), values cleared.
    void ResetFooters();
    // Appends a record to this group through the dataset.
    void AppendDataRec(IMemTableEh* AIntMemTable, TDataSet* ADataSet);
    bool CanAppendDataRec() const;

private:
    TGridDataGroupLevelEh* FDataGroupLevel = nullptr;
    TGridDataGroupFooterEh* FDataGroupFooter = nullptr;
    int FDataSetRecordViewNo = -1;
    QString FDisplayValue;
    int FFooterItemCount = 0;
    std::vector<Variant> FFooterValue;
    Variant FFullKey;
    TGroupDataTreeNodeTypeEh FGroupDataTreeNodeType = dntDataSetRecordEh;
    Variant FKeyValue;
    int FRowHeight = 0;
    bool FRowHeightNeedUpdate = true;
    int FFlatIndex = -1;        // position in the flat list of build FFlatGeneration
    int FFlatGeneration = 0;
    // A record's values of the tree's aggregated columns, as it last added them to its footers.
    std::unique_ptr<Variant[]> FAggrSource;
    // A footer's running values before finalizing, and its non-null values per item.
    std::vector<Variant> FFooterAccum;
    std::vector<int> FFooterFilled;

    void SortDataItems(TSortOrderEh SortOrder);
    // Deletes the record nodes among the children at once.
    void DropRecordChildren();

    friend class TGridGroupDataTreeEh;
};

class TGridGroupDataTreeEh : public TTreeListEh {
public:
    explicit TGridGroupDataTreeEh(TGridDataGroupsEh* AGridDataGroups);
    ~TGridGroupDataTreeEh() override;

    TGridDataGroupsEh* GridDataGroups() const { return FGridDataGroups; }
    TGroupDataTreeNodeEh* Root() const { return static_cast<TGroupDataTreeNodeEh*>(FRoot); }

    // ---- the flat list of visible rows ----
    int FlatVisibleCount() const { return int(FFlatVisibleList.size()); }
    TGroupDataTreeNodeEh* GetFlatVisibleItem(int Index) const { return FFlatVisibleList.at(size_t(Index)); }
    const std::vector<TGroupDataTreeNodeEh*>& FlatVisibleList() const { return FFlatVisibleList; }
    void RebuildFlatVisibleList();
    void UpdateAllDataRowHeights();

    // ---- update bracket (only counts) ----
    void BeginUpdate() { ++FUpateCount; }
    void EndUpdate() { --FUpateCount; }
    int UpdateCount() const { return FUpateCount; }

    // ---- keys ----
    // [key of level 1, ..., key of level n, row number] of the table's row.
    Variant GetKeyValueForViewRecNo(int ViewRecNo);
    // Among ParentNode's data items; InsertMode naAddChildEh with a result means "found".
    TGroupDataTreeNodeEh* GetNodeToInsertForKey1(TGroupDataTreeNodeEh* ParentNode, const Variant& Key,
                                                 TNodeAttachModeEh& InsertMode, TSortOrderEh SortOrder);

    // ---- building ----
    TGroupDataTreeNodeEh* AddRecordNodeForKey(const Variant& AKey, int RecViewNo);
    void RebuildDataTreeEx(IMemTableEh* AIntMemTable);
    void DeleteRecordNodes();
    void DeleteEmptyNodes();
    // Deletes every group node at tree depth Level with everything below it.
    void DeleteRecordNodesUpToLevel(int Level);
    void ResortLevel(int LevelIndex, TSortOrderEh SortOrder);

    // ---- single-row changes (row numbers of the table's view) ----
    void RecordInserted(int RecNum);
    void RecordChanged(int RecordViewNo);
    void RecordDeleted(int RecNum);
    void UpdateRecordNodePosInTree(TGroupDataTreeNodeEh* Node);
    // Deletes a record node and the ancestors it leaves without data items.
    void DeleteRecordNode(TGroupDataTreeNodeEh* Node);

    // ---- footers ----
    void RebuildFooters();
    // True while footer values follow single-row changes without a pass over the table.
    bool FootersIncremental() const { return FFootersIncremental; }
    // The next change recomputes every footer value (definitions changed unseen).
    void FootersBecomeStale() { FFootersIncremental = false; }
    // False (and nothing done) when no footer is defined anywhere.
    bool RecalculateFootersValues();
    // Recomputes the node's cached height (group and footer rows ask the grid; records are
    // read instantly and ask the grid for the height of the record being read).
    void UpdateRowHeight(TGroupDataTreeNodeEh* Node);

    // ---- expanding ----
    void ExpandNodePathToView(TGroupDataTreeNodeEh* Node);
    void ExpandedChanged(TBaseTreeNodeEh* Node) override;

    // ---- search ----
    TGroupDataTreeNodeEh* GetNodeByRecordViewNo(int RecordViewNo);
    int IndexOfVisibleNode(TGroupDataTreeNodeEh* Node) const;
    int IndexOfVisibleRecordViewNo(int RecordViewNo);
    TGroupDataTreeNodeEh* GetFirst() const { return Node(TTreeListEh::GetFirst()); }
    TGroupDataTreeNodeEh* GetNext(TBaseTreeNodeEh* ANode) const { return Node(TTreeListEh::GetNext(ANode)); }
    TGroupDataTreeNodeEh* GetPrevious(TBaseTreeNodeEh* ANode) const { return Node(TTreeListEh::GetPrevious(ANode)); }
    TGroupDataTreeNodeEh* GetFirstVisible() const { return Node(TTreeListEh::GetFirstVisible()); }
    TGroupDataTreeNodeEh* GetNextVisible(TBaseTreeNodeEh* ANode, bool ConsiderCollapsed) const
    {
        return Node(TTreeListEh::GetNextVisible(ANode, ConsiderCollapsed));
    }
    // The first group node at tree depth Level (1 for the outer level), in tree order.
    TGroupDataTreeNodeEh* GetFirstNodeAtLevel(int Level) const;
    TGroupDataTreeNodeEh* GetNextNodeAtLevel(TGroupDataTreeNodeEh* ANode, int Level) const;

    // The ordering of ResortLevel: group nodes by key, reversed for soDescEh.
    static int CompareNodes(TGroupDataTreeNodeEh* Node1, TGroupDataTreeNodeEh* Node2, TSortOrderEh SortOrder);

    // Hides the base's: also forgets the lists that point at nodes.
    void Clear();

protected:
    void NodeAttachmentChanged(TBaseTreeNodeEh* Node, bool Detached, int OldIndex, TBaseTreeNodeEh* OldParent) override;

private:
    TGridDataGroupsEh* FGridDataGroups;
    std::vector<TGroupDataTreeNodeEh*> FFlatVisibleList;
    int FUpateCount = 0;
    int FFlatGeneration = 0;
    std::vector<int> FFlatByViewNo;                   // first flat index per row number
    std::vector<TGroupDataTreeNodeEh*> FRecordIndex;  // first record node per row number
    bool FRecordIndexValid = false;

    // Incremental footers: the columns whose values record nodes keep, and per footer
    // definition the slot of each column item (-1: no field, -2: reads no record).
    struct FooterPlan {
        TGridDataGroupFooterEh* Footer;
        std::vector<int> Slots;
    };
    std::vector<TAxisBarEh*> FAggrColumns;
    std::vector<FooterPlan> FFooterPlans;
    bool FFootersIncremental = false;
    bool CanKeepFootersIncremental() const;
    bool IncrementalNow() const;
    void AddToFooterNode(TGroupDataTreeNodeEh* F, const FooterPlan& Plan, TGroupDataTreeNodeEh* Rec, int Sign);
    void FinalizeFooterNode(TGroupDataTreeNodeEh* F);
    void PlanFooters();
    const FooterPlan* PlanOf(TGroupDataTreeNodeEh* FooterNode) const;
    // The record's values of the aggregated columns, read from the record being read.
    void ReadAggrSource(TGroupDataTreeNodeEh* Rec);
    // Adds the record's kept values to (Sign > 0) or takes them out of (Sign < 0) the footers of
    // From and every node above it; false when a footer has no plan.
    bool ApplyRecordToFooters(TGroupDataTreeNodeEh* Rec, TGroupDataTreeNodeEh* From, int Sign);
    // Recomputes the items marked for it from the kept values and finalizes the touched footers.
    void FinishTouchedFooters();
    // The lowest ancestor that keeps data items once the record is gone.
    TGroupDataTreeNodeEh* SurvivingAncestor(TGroupDataTreeNodeEh* Rec) const;
    std::vector<TGroupDataTreeNodeEh*> FTouchedFooters;
    std::vector<std::pair<TGroupDataTreeNodeEh*, int>> FFooterItemsToRecompute;

    IMemTableEh* IntMemTable() const;
    // The key of the record being read.
    Variant KeyOfReadRecord(int Row);
    void AttachDataNode(TGroupDataTreeNodeEh* Node, TGroupDataTreeNodeEh* Parent, TGroupDataTreeNodeEh* Place,
                        TNodeAttachModeEh Mode);
    // Finds or makes the groups of AKey and attaches Rec as a record under the innermost one.
    void PlaceRecordNode(TGroupDataTreeNodeEh* Rec, const Variant& AKey, int RecViewNo);
    void ShiftRowNumbers(int From, int Delta);
    // Takes a record node out, with the ancestors it leaves without data items.
    void DetachRecordNode(TGroupDataTreeNodeEh* Node);
    bool HasFooters() const;
    bool CalcFooterValues(bool AndRowHeights);
    void RecalcValuesAndHeights();
    void InvalidateRecordIndex();
    void DropFlatList();

    static TGroupDataTreeNodeEh* Node(TBaseTreeNodeEh* N) { return static_cast<TGroupDataTreeNodeEh*>(N); }
};

// ============================================================================================
// The grouping settings
// ============================================================================================

class TGridDataGroupsEh : public TPersistent {
    DOV_PERSISTENT(TGridDataGroupsEh, TPersistent)
public:
    explicit TGridDataGroupsEh(TCustomDBAxisGridEh* AGrid = nullptr);
    ~TGridDataGroupsEh() override;
    // Makes the members that come from virtual factories (the level collection).
    void AfterConstruction() override;
    // Active, the levels and GroupPanelVisible.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    // The grid's in-memory table, nullptr without one.
    IMemTableEh* IntMemTable() const;
    // The same table as a dataset.
    TDataSet* DataSet() const;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    TGridDataGroupLevelsEh* GroupLevels() const { return FGroupLevels; }
    void SetGroupLevels(TGridDataGroupLevelsEh* Value);
    bool IsGroupLevelsStored() const;
    bool GroupPanelVisible() const { return FGroupPanelVisible; }
    void SetGroupPanelVisible(bool Value);
    bool DefaultStateExpanded() const { return FDefaultStateExpanded; }
    void SetDefaultStateExpanded(bool Value) { FDefaultStateExpanded = Value; }
    bool ShiftFolldataGroupRow() const { return FShiftFolldataGroupRow; }
    void SetShiftFolldataGroupRow(bool Value);
    TGridDataGroupFootersEh* Footers() const { return FFooters; }
    void SetFooters(TGridDataGroupFootersEh* Value);
    bool IsFootersStored() const;
    TGridDataGroupFootersDefValuesEh* FootersDefValues() const { return FFootersDefValues; }
    void SetFootersDefValues(TGridDataGroupFootersDefValuesEh* Value);
    TGridDataGroupRowDefValuesEh* GroupRowDefValues() const { return FGroupRowDefValues; }
    void SetGroupRowDefValues(TGridDataGroupRowDefValuesEh* Value);
    TGridGroupDataTreeEh* GroupDataTree() const { return FGroupDataTree; }
    bool ColumsLoaded() const { return FColumsLoaded; }
    const Variant& InsertingKeyValue() const { return FInsertingKeyValue; }
    void SetInsertingKeyValue(const Variant& Value) { FInsertingKeyValue = Value; }

    // The levels that have a column, in collection order, and their columns.
    int ActiveGroupLevelsCount() const { return int(FActiveGroupLevels.size()); }
    TGridDataGroupLevelEh* ActiveGroupLevels(int Index) const { return FActiveGroupLevels.at(size_t(Index)); }
    TAxisBarEh* ActiveGroupColumns(int Index) const { return FActiveGroupColumns.at(size_t(Index)); }
    // Runs after any change of the level collection.
    void CheckActiveGroupLevelsChanged();
    // Writes the elements of the inserting key into the level columns' fields.
    void SetDataSetkeyValue(const Variant& KeyValue);

    // ---- virtual operations ----
    virtual TGridDataGroupLevelsEh* CreateGroupLevels();
    virtual TColor GetGridColor() const;
    virtual TColor GetFooterParentColor() const;
    virtual TFont* GetFooterParentFont() const;
    virtual TFont* GetGridFont() const;
    virtual void ActiveChanged() {}
    virtual void ActiveGroupingStructChanged() {}
    virtual void AppearanceChanged();
    virtual void RebuildActiveGroupLevels();
    virtual void ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder);
    virtual bool IsGroupingWorks() const { return FActive; }
    virtual void FooterStructureChanged();
    virtual void FooterValuesChanged();
    virtual void ColumnsChanged();
    virtual void ColumnsLoaded();

    // ---- grid hooks (the data grid's grouping overrides them; here they do nothing) ----
    // Height of a group or footer row in pixels.
    virtual int GridGroupNodeRowHeight(TGroupDataTreeNodeEh* Node) { return 0; }
    // Height of the record that is being read instantly.
    virtual int GridDataRowHeight() { return 0; }
    // The flat visible list was rebuilt: the grid recounts its rows and repaints.
    virtual void GridFlatListChanged() {}
    // Values shown in the rows changed, the rows themselves did not: a grid repaints them.
    virtual void GridRowValuesChanged() { GridFlatListChanged(); }
    // The height of the row at that flat index may have changed.
    virtual void GridRowHeightChanged(int FlatIndex) {}
    // The grid's layout (group panel, indents) changed; here: the grid's layout change.
    virtual void GridLayoutChanged();
    // Around a dataset move made for the grid: Begin answers whether it set the grid's
    // "no repositioning" flag; End clears it and selects the node of the current record.
    virtual bool BeginGridDataSetMove() { return false; }
    virtual void EndGridDataSetMove() {}
    // True when the application aggregates or finalizes footer values itself: such values
    // cannot be taken back row by row.
    virtual bool FooterValueHooksAssigned() const { return false; }
    // The application's footer hooks; true when the hook processed the value itself.
    virtual bool DataGroupFooterAggregateValue(TGridDataGroupFooterEh* GroupFooter,
                                               TGridDataGroupFooterColumnItemEh* FooterColumnItem,
                                               Variant& AValue, TGroupDataTreeNodeEh* Node)
    {
        return false;
    }
    virtual bool DataGroupFooterFinalizeValue(TGridDataGroupFooterEh* GroupFooter,
                                              TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue)
    {
        return false;
    }
    virtual bool DataGroupFooterToDisplayText(TGridDataGroupFooterEh* GroupFooter,
                                              TGridDataGroupFooterColumnItemEh* FooterColumnItem,
                                              Variant& AValue, QString& DisplayValue)
    {
        return false;
    }

protected:
    bool FActive = false;
    std::vector<TAxisBarEh*> FActiveGroupColumns;
    std::vector<TGridDataGroupLevelEh*> FActiveGroupLevels;
    TColor FColor = clWindow;
    TFont* FFont = nullptr;
    TCustomDBAxisGridEh* FGrid;
    TGridGroupDataTreeEh* FGroupDataTree = nullptr;
    TGridDataGroupLevelsEh* FGroupLevels = nullptr;
    bool FGroupPanelVisible = false;
    Variant FInsertingKeyValue;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FDefaultStateExpanded = false;
    TGridDataGroupFootersEh* FFooters = nullptr;
    TGridDataGroupFootersDefValuesEh* FFootersDefValues = nullptr;
    TGridDataGroupRowDefValuesEh* FGroupRowDefValues = nullptr;
    bool FShiftFolldataGroupRow = true;
    bool FColumsLoaded = false;

private:
    mutable bool FFontChanging = false;
    void FontChanged(TObject* Sender);
    // Re-copies the grid's font into the own one while ParentFont is on and they differ.
    void SyncParentFont() const;
};
