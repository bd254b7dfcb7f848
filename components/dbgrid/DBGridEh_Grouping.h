// Grouping in the data grid: its grouping settings, levels and group panel, and the parameter
// objects handed to the group row and group footer events.
#pragma once

#include "components/gridtools/core/DBGridEhGrouping.h"

class TCustomDBGridEh;
class TColumnEh;
class TDBGridEhDataGroupsEh;
class TDBGridEhDataGroupLevelEh;
class TCustomImageList;

// ============================================================================================
// Events
// ============================================================================================

using TDBGridEhNotifyEvent = Delegate<void(TCustomDBGridEh* Sender)>;
using TDBGridEhDataGroupGetKeyValueEvent =
    Delegate<void(TCustomDBGridEh* Sender, TDBGridEhDataGroupLevelEh* GroupLevel, Variant& KeyValue)>;
using TDBGridEhDataGroupGetGroupRowTextEvent =
    Delegate<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, QString& GroupRowText)>;
using TDBGridEhDataGroupGetKeyValueAsTextEvent =
    Delegate<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, const Variant& KeyValue,
                  QString& KeyValueAsText)>;

// ============================================================================================
// Parameters of a group row and of a group footer cell, one object of each per grid
// ============================================================================================

class TGroupRowParamsEh : public TPersistent {
public:
    TGroupRowParamsEh();
    ~TGroupRowParamsEh() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value) { FImageList = Value; }
    QString GroupRowText() const { return FGroupRowText; }
    void SetGroupRowText(const QString& Value) { FGroupRowText = Value; }
    TGridDrawState State() const { return FState; }

    TColor FColor = clNone;
    TFont* FFont = nullptr;
    int FImageIndex = 0;
    TCustomImageList* FImageList = nullptr;
    QString FGroupRowText;
    TGridDrawState FState;
};

class TGroupFooterParamsEh : public TPersistent {
public:
    TGroupFooterParamsEh();
    ~TGroupFooterParamsEh() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* Value);
    QString Text() const { return FText; }
    void SetText(const QString& Value) { FText = Value; }
    Variant Value() const { return FValue; }
    TGridDrawState State() const { return FState; }

    TColor FColor = clNone;
    TFont* FFont = nullptr;
    QString FText;
    Variant FValue;
    TGridDrawState FState;
};

using TDBGridEhDataGroupGetGroupRowParamsEvent =
    Delegate<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, TGroupRowParamsEh* Params)>;
using TDBGridEhDataGroupGetGroupFooterParamsEvent =
    Delegate<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode,
                  TGridDataGroupFooterColumnItemEh* FooterColumnItem, TGroupFooterParamsEh* Params)>;

// ============================================================================================
// TDBGridEhGroupingPanelEh: the band above the titles that shows the active levels
// ============================================================================================

class TDBGridEhGroupingPanelEh : public TPersistent {
    DOV_PERSISTENT(TDBGridEhGroupingPanelEh, TPersistent)
public:
    explicit TDBGridEhGroupingPanelEh(TDBGridEhDataGroupsEh* DataGroups) : FDataGroups(DataGroups) {}
    void Assign(TPersistent* Source) override;

    // clDefault reads as the group panel colour of the grid's style.
    TColor Color() const;
    void SetColor(TColor Value);
    TColor StoredColor() const { return FColor; }

private:
    TDBGridEhDataGroupsEh* FDataGroups;
    TColor FColor = clDefault;
};

// ============================================================================================
// TDBGridEhDataGroupLevelEh: a grouping level bound to a grid column by name
// ============================================================================================

class TDBGridEhDataGroupLevelEh : public TGridDataGroupLevelEh {
    DOV_PERSISTENT(TDBGridEhDataGroupLevelEh, TGridDataGroupLevelEh)
public:
    explicit TDBGridEhDataGroupLevelEh(TCollection* Collection) : TGridDataGroupLevelEh(Collection) {}
    void Assign(TPersistent* Source) override;

    TCustomDBGridEh* DBGrid() const;
    TColumnEh* Column() const;
    void SetColumn(TColumnEh* Value);
    // While the grid loads, the name waits until its columns exist.
    QString ColumnName() const;
    void SetColumnName(const QString& Value);
    // Looks the kept name up among the grid's columns once they are loaded.
    void ResolveLoadingColumnName();

    Variant GetKeyValue() override;
    QString GetKeyValueAsText(TGroupDataTreeNodeEh* Node) override;
    QString GetGroupRowText(TGroupDataTreeNodeEh* Node) override;
    void AppearanceChanged() override;

    TDBGridEhDataGroupGetKeyValueEvent OnGetKeyValue;
    TDBGridEhDataGroupGetKeyValueAsTextEvent OnGetKeyValueAsText;
    TDBGridEhDataGroupGetGroupRowTextEvent OnGetGroupRowText;

private:
    QString FLoadingColumnName;
};

// ============================================================================================
// TDBGridEhDataGroupsEh: the grid's grouping settings (DataGrouping)
// ============================================================================================

class TDBGridEhDataGroupsEh : public TGridDataGroupsEh {
    DOV_PERSISTENT(TDBGridEhDataGroupsEh, TGridDataGroupsEh)
public:
    explicit TDBGridEhDataGroupsEh(TCustomDBGridEh* AGrid);
    ~TDBGridEhDataGroupsEh() override;
    void Assign(TPersistent* Source) override;

    TCustomDBGridEh* Grid() const { return FDBGrid; }
    TDBGridEhGroupingPanelEh* GroupPanel() const { return FGroupPanel.get(); }
    void SetGroupPanel(TDBGridEhGroupingPanelEh* Value) { FGroupPanel->Assign(Value); }
    TDBGridEhDataGroupLevelEh* DBGroupLevel(int Index) const;
    TDBGridEhDataGroupLevelEh* ActiveDBGroupLevel(int Index) const;
    // The group panel's top in the grid's top area.
    int Top() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int HotTrackGroupLevelIdx() const { return FHotTrackGroupLevelIdx; }
    void SetHotTrackGroupLevelIdx(int Value) { FHotTrackGroupLevelIdx = Value; }

    // Grouping works and at least one level is active.
    bool IsGroupingWorksWithLevel();
    // The grid's current group-tree node.
    TGroupDataTreeNodeEh* CurDataNode() const;
    // Every level bound to the column loses it (the grid calls this when a column is deleted).
    virtual void ColumnRemoved(TColumnEh* Column);
    // After the grid's columns are loaded: the kept level names are resolved, then the footer
    // items are matched to the columns.
    void GridColumnsLoaded();

    bool IsGroupingWorks() const override;
    TGridDataGroupLevelsEh* CreateGroupLevels() override;
    TColor GetFooterParentColor() const override;
    TFont* GetFooterParentFont() const override;
    void ActiveChanged() override;
    void ActiveGroupingStructChanged() override;
    void AppearanceChanged() override;
    void RebuildActiveGroupLevels() override;
    void ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder) override;

    // ---- what the tree asks of the grid ----
    int GridGroupNodeRowHeight(TGroupDataTreeNodeEh* Node) override;
    int GridDataRowHeight() override;
    void GridFlatListChanged() override;
    void GridRowHeightChanged(int FlatIndex) override;
    void GridRowValuesChanged() override;
    void GridLayoutChanged() override;
    bool BeginGridDataSetMove() override;
    void EndGridDataSetMove() override;
    bool FooterValueHooksAssigned() const override;
    // The column's event first, then the grid's (not while the grid loads).
    bool DataGroupFooterAggregateValue(TGridDataGroupFooterEh* GroupFooter,
                                       TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue,
                                       TGroupDataTreeNodeEh* Node) override;
    bool DataGroupFooterFinalizeValue(TGridDataGroupFooterEh* GroupFooter,
                                      TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue) override;
    bool DataGroupFooterToDisplayText(TGridDataGroupFooterEh* GroupFooter,
                                      TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue,
                                      QString& DisplayValue) override;
    // Counts the flat list's rebuilds (the grid follows each one once).
    int FlatListGeneration() const { return FFlatListGeneration; }

private:
    void ApplySortMarking();

    TCustomDBGridEh* FDBGrid;
    std::unique_ptr<TDBGridEhGroupingPanelEh> FGroupPanel;
    int FTop = 0;
    int FHotTrackGroupLevelIdx = -1;
    int FFlatListGeneration = 0;
};
