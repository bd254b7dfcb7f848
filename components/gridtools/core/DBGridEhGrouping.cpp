// The grouping settings: the grouping object, its group-row defaults and the levels.
#include "DBGridEhGrouping.h"
#include "DBGridEhGrouping_Fonts.h"

#include "components/axisgrid/DBAxisGridsEh_Bars.h"
#include "components/axisgrid/DBAxisGridsEh_Collections.h"
#include "components/axisgrid/DBAxisGridsEh_Grid.h"
#include "components/memtable/MemTableEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

// ---------------------------------------------------------------- TItemsInMakingEh

void TItemsInMakingEh::Removed(TCollectionItem* Item)
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
}

bool TItemsInMakingEh::Finished(TCollectionItem* Item)
{
    const auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end())
        return false;
    FItems.erase(it);
    return true;
}

// ---------------------------------------------------------------- TGridGroupLinePenEh

DOV_PUBLISHED(TGridGroupLinePenEh)
{
    P.Prop("Color", &TGridGroupLinePenEh::Color, &TGridGroupLinePenEh::SetColorProp).Default(clDefault);
    P.Prop("Width", &TGridGroupLinePenEh::Width, &TGridGroupLinePenEh::SetWidthProp).Default(1);
}

TGridGroupLinePenEh::TGridGroupLinePenEh(TGridDataGroupRowDefValuesEh* AOwner) : FOwner(AOwner) {}

void TGridGroupLinePenEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TGridGroupLinePenEh*>(Source)) {
        FColor = src->GetColor();
        FWidth = src->GetWidth();
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TColor TGridGroupLinePenEh::GetColor() const { return FColor; }
int TGridGroupLinePenEh::GetWidth() const { return FWidth; }

void TGridGroupLinePenEh::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TGridGroupLinePenEh::SetWidth(int Value)
{
    if (Value == FWidth)
        return;
    FWidth = Value;
    Changed();
}

void TGridGroupLinePenEh::Changed()
{
    if (FOwner && FOwner->DataGroups())
        FOwner->DataGroups()->AppearanceChanged();
}

// ---------------------------------------------------------------- TGridDataGroupRowDefValuesEh

DOV_PUBLISHED(TGridDataGroupRowDefValuesEh)
{
    P.Prop("BottomLine", &TGridDataGroupRowDefValuesEh::BottomLine, &TGridDataGroupRowDefValuesEh::SetBottomLine);
    P.Prop("FooterInGroupRow", &TGridDataGroupRowDefValuesEh::FooterInGroupRow,
           &TGridDataGroupRowDefValuesEh::SetFooterInGroupRow)
        .Default(false);
    P.Prop("RowHeight", &TGridDataGroupRowDefValuesEh::RowHeight, &TGridDataGroupRowDefValuesEh::SetRowHeight).Default(0);
    P.Prop("RowLines", &TGridDataGroupRowDefValuesEh::RowLines, &TGridDataGroupRowDefValuesEh::SetRowLines).Default(0);
}

TGridDataGroupRowDefValuesEh::TGridDataGroupRowDefValuesEh(TGridDataGroupsEh* ADataGroups)
    : FDataGroups(ADataGroups), FBottomLine(Create<TGridGroupLinePenEh>(this))
{
}

TGridDataGroupRowDefValuesEh::~TGridDataGroupRowDefValuesEh() { delete FBottomLine; }

void TGridDataGroupRowDefValuesEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TGridDataGroupRowDefValuesEh*>(Source)) {
        FFooterInGroupRow = src->FFooterInGroupRow;
        FRowHeight = src->FRowHeight;
        FRowLines = src->FRowLines;
        FBottomLine->Assign(src->FBottomLine);
        StructureChanged();
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupRowDefValuesEh::SetFooterInGroupRow(bool Value)
{
    if (Value == FFooterInGroupRow)
        return;
    FFooterInGroupRow = Value;
    StructureChanged();
}

void TGridDataGroupRowDefValuesEh::SetRowHeight(int Value)
{
    if (Value == FRowHeight)
        return;
    FRowHeight = Value;
    StructureChanged();
}

void TGridDataGroupRowDefValuesEh::SetRowLines(int Value)
{
    if (Value == FRowLines)
        return;
    FRowLines = Value;
    StructureChanged();
}

void TGridDataGroupRowDefValuesEh::SetBottomLine(TGridGroupLinePenEh* Value) { FBottomLine->Assign(Value); }

void TGridDataGroupRowDefValuesEh::StructureChanged()
{
    if (FDataGroups)
        FDataGroups->FooterStructureChanged();
}

// ---------------------------------------------------------------- TGridDataGroupsEh

DOV_PUBLISHED(TGridDataGroupsEh)
{
    P.Prop("Active", &TGridDataGroupsEh::Active, &TGridDataGroupsEh::SetActive).Default(false);
    P.Prop("Color", &TGridDataGroupsEh::Color, &TGridDataGroupsEh::SetColor).NoDefault().Stored(&TGridDataGroupsEh::IsColorStored);
    P.Prop("DefaultStateExpanded", &TGridDataGroupsEh::DefaultStateExpanded, &TGridDataGroupsEh::SetDefaultStateExpanded)
        .Default(false);
    P.Prop("Font", &TGridDataGroupsEh::Font, &TGridDataGroupsEh::SetFont).Stored(&TGridDataGroupsEh::IsFontStored);
    P.Prop("Footers", &TGridDataGroupsEh::Footers, &TGridDataGroupsEh::SetFooters).Stored(&TGridDataGroupsEh::IsFootersStored);
    P.Prop("FootersDefValues", &TGridDataGroupsEh::FootersDefValues, &TGridDataGroupsEh::SetFootersDefValues);
    P.Prop("GroupLevels", &TGridDataGroupsEh::GroupLevels, &TGridDataGroupsEh::SetGroupLevels)
        .Stored(&TGridDataGroupsEh::IsGroupLevelsStored);
    P.Prop("GroupPanelVisible", &TGridDataGroupsEh::GroupPanelVisible, &TGridDataGroupsEh::SetGroupPanelVisible)
        .Default(false);
    P.Prop("GroupRowDefValues", &TGridDataGroupsEh::GroupRowDefValues, &TGridDataGroupsEh::SetGroupRowDefValues);
    P.Prop("ParentColor", &TGridDataGroupsEh::ParentColor, &TGridDataGroupsEh::SetParentColor).Default(true);
    P.Prop("ParentFont", &TGridDataGroupsEh::ParentFont, &TGridDataGroupsEh::SetParentFont).Default(true);
    P.Prop("ShiftFolldataGroupRow", &TGridDataGroupsEh::ShiftFolldataGroupRow, &TGridDataGroupsEh::SetShiftFolldataGroupRow)
        .Default(true);
}

TGridDataGroupsEh::TGridDataGroupsEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) {}

void TGridDataGroupsEh::AfterConstruction()
{
    TPersistent::AfterConstruction();
    FFootersDefValues = Create<TGridDataGroupFootersDefValuesEh>(this);
    FGroupRowDefValues = Create<TGridDataGroupRowDefValuesEh>(this);
    FGroupLevels = CreateGroupLevels();
    FGroupDataTree = Create<TGridGroupDataTreeEh>(this);
    FFooters = Create<TGridDataGroupFootersEh>(this);
    FFont = new TFont();
    if (TFont* gridFont = GetGridFont())
        FFont->Assign(gridFont);
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupsEh::FontChanged);
}

TGridDataGroupsEh::~TGridDataGroupsEh()
{
    // Nodes refer to levels and footers: they go first.
    if (FGroupDataTree)
        FGroupDataTree->Clear();
    delete FGroupDataTree;
    FGroupDataTree = nullptr;
    delete FFooters;
    FFooters = nullptr;
    delete FGroupLevels;
    FGroupLevels = nullptr;
    delete FGroupRowDefValues;
    delete FFootersDefValues;
    delete FFont;
}

TPersistent* TGridDataGroupsEh::GetOwner() const { return FGrid; }

IMemTableEh* TGridDataGroupsEh::IntMemTable() const { return FGrid ? FGrid->IntMemTable() : nullptr; }

TDataSet* TGridDataGroupsEh::DataSet() const { return dynamic_cast<TDataSet*>(IntMemTable()); }

void TGridDataGroupsEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TGridDataGroupsEh*>(Source)) {
        FGroupLevels->Assign(src->FGroupLevels);
        SetGroupPanelVisible(src->FGroupPanelVisible);
        SetActive(src->FActive);
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupsEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    ActiveChanged();
}

TColor TGridDataGroupsEh::Color() const { return FParentColor ? GetGridColor() : FColor; }

void TGridDataGroupsEh::SetColor(TColor Value)
{
    if (!FParentColor && Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupsEh::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    AppearanceChanged();
}

void TGridDataGroupsEh::SyncParentFont() const
{
    if (FParentFont)
        CopyParentFontEh(FFont, GetGridFont(), FFontChanging);
}

TFont* TGridDataGroupsEh::Font() const
{
    SyncParentFont();
    return FFont;
}

void TGridDataGroupsEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupsEh::FontChanged(TObject*)
{
    if (FFontChanging)
        return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupsEh::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    SyncParentFont();
    AppearanceChanged();
}

void TGridDataGroupsEh::SetGroupLevels(TGridDataGroupLevelsEh* Value) { FGroupLevels->Assign(Value); }

bool TGridDataGroupsEh::IsGroupLevelsStored() const { return FGroupLevels->Count() > 0; }

void TGridDataGroupsEh::SetGroupPanelVisible(bool Value)
{
    if (Value == FGroupPanelVisible)
        return;
    FGroupPanelVisible = Value;
    GridLayoutChanged();
}

void TGridDataGroupsEh::SetShiftFolldataGroupRow(bool Value)
{
    if (Value == FShiftFolldataGroupRow)
        return;
    FShiftFolldataGroupRow = Value;
    GridLayoutChanged();
}

void TGridDataGroupsEh::SetFooters(TGridDataGroupFootersEh* Value) { FFooters->Assign(Value); }

bool TGridDataGroupsEh::IsFootersStored() const { return FFooters->Count() > 0; }

void TGridDataGroupsEh::SetFootersDefValues(TGridDataGroupFootersDefValuesEh* Value) { FFootersDefValues->Assign(Value); }

void TGridDataGroupsEh::SetGroupRowDefValues(TGridDataGroupRowDefValuesEh* Value) { FGroupRowDefValues->Assign(Value); }

TGridDataGroupLevelsEh* TGridDataGroupsEh::CreateGroupLevels() { return Create<TGridDataGroupLevelsEh>(this); }

TColor TGridDataGroupsEh::GetGridColor() const { return FGrid ? FGrid->Color() : FColor; }

TColor TGridDataGroupsEh::GetFooterParentColor() const { return GetGridColor(); }

TFont* TGridDataGroupsEh::GetFooterParentFont() const { return GetGridFont(); }

TFont* TGridDataGroupsEh::GetGridFont() const { return FGrid ? FGrid->Font() : FFont; }

void TGridDataGroupsEh::AppearanceChanged()
{
    if (FGrid)
        FGrid->Invalidate();
}

void TGridDataGroupsEh::GridLayoutChanged()
{
    if (FGrid)
        FGrid->LayoutChanged();
}

void TGridDataGroupsEh::RebuildActiveGroupLevels()
{
    FActiveGroupLevels.clear();
    FActiveGroupColumns.clear();
    for (int i = 0; i < FGroupLevels->Count(); ++i) {
        TGridDataGroupLevelEh* level = FGroupLevels->Items(i);
        if (level->Column()) {
            FActiveGroupLevels.push_back(level);
            FActiveGroupColumns.push_back(level->Column());
        }
    }
}

void TGridDataGroupsEh::CheckActiveGroupLevelsChanged()
{
    if (!FGroupLevels || !FGroupDataTree || FGroupLevels->InMaking.Any())
        return;
    // How many leading active levels stay as they are: their groups keep nodes and states.
    size_t unchanged = 0;
    size_t withColumn = 0;
    bool same = true;
    for (int i = 0; i < FGroupLevels->Count(); ++i) {
        TGridDataGroupLevelEh* level = FGroupLevels->Items(i);
        if (!level->Column())
            continue;
        if (same && withColumn < FActiveGroupLevels.size() && FActiveGroupLevels[withColumn] == level &&
            FActiveGroupColumns[withColumn] == level->Column())
            ++unchanged;
        else
            same = false;
        ++withColumn;
    }
    if (same && unchanged == FActiveGroupLevels.size() && withColumn == unchanged)
        return;

    FGroupDataTree->DeleteRecordNodesUpToLevel(int(unchanged) + 1);
    {
        IMemTableEh* table = IntMemTable();
        FGroupDataTree->BeginUpdate();
        if (table)
            table->MTDisableControls();
        auto done = Finally([&] {
            if (table)
                table->MTEnableControls(true);
            FGroupDataTree->EndUpdate();
        });
        RebuildActiveGroupLevels();
    }
    if (FActive)
        ActiveGroupingStructChanged();
}

void TGridDataGroupsEh::ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder)
{
    FGroupDataTree->ResortLevel(LevelIndex, SortOrder);
}

void TGridDataGroupsEh::FooterStructureChanged()
{
    // Footer nodes point at their definitions: a tree that holds nodes follows at once.
    if (IsGroupingWorks() || FGroupDataTree->Root()->GetCount() > 0)
        FGroupDataTree->RebuildFooters();
    else
        FGroupDataTree->FootersBecomeStale();
}

void TGridDataGroupsEh::FooterValuesChanged()
{
    if (IsGroupingWorks())
        FGroupDataTree->RecalculateFootersValues();
    else
        FGroupDataTree->FootersBecomeStale();
}

namespace {
// The grouping's footers and every level's own footers.
template <typename F>
void ForEachFooter(TGridDataGroupsEh* Groups, F&& Step)
{
    auto walk = [&](TGridDataGroupFootersEh* footers) {
        for (int i = 0; i < footers->Count(); ++i)
            Step(footers->Items(i));
    };
    walk(Groups->Footers());
    for (int i = 0; i < Groups->GroupLevels()->Count(); ++i)
        walk(Groups->GroupLevels()->Items(i)->Footers());
}
}

void TGridDataGroupsEh::ColumnsChanged()
{
    if (!FColumsLoaded || !FActive || !FGrid)
        return;
    bool changed = false;
    ForEachFooter(this, [&](TGridDataGroupFooterEh* footer) { changed = footer->SyncColumnItems(FGrid->AxisBars()) || changed; });
    if (changed)
        FGroupDataTree->RebuildFooters();
}

void TGridDataGroupsEh::ColumnsLoaded()
{
    FColumsLoaded = true;
    if (!FGrid)
        return;
    TGridAxisBarsEh* columns = FGrid->AxisBars();
    ForEachFooter(this, [&](TGridDataGroupFooterEh* footer) {
        TGridDataGroupFooterColumnItemsEh* items = footer->ColumnItems();
        const int n = std::min(items->Count(), columns->Count());
        for (int i = 0; i < n; ++i) {
            auto* column = static_cast<TAxisBarEh*>(columns->Items(i));
            items->Items(i)->SetColumn(column);
            items->Items(i)->SetFieldName(column->FieldName());
        }
    });
}

void TGridDataGroupsEh::SetDataSetkeyValue(const Variant& KeyValue)
{
    if (!KeyValue.IsArray())
        return;
    for (size_t i = 0; i < FActiveGroupColumns.size(); ++i) {
        TField* field = FActiveGroupColumns[i]->Field();
        if (field && int(i) <= KeyValue.ArrayHighBound() - KeyValue.ArrayLowBound())
            field->SetValue(KeyValue.GetElement(KeyValue.ArrayLowBound() + int(i)));
    }
}

// ---------------------------------------------------------------- TGridDataGroupLevelsEh

DOV_PUBLISHED(TGridDataGroupLevelsEh) {}

TGridDataGroupLevelsEh::TGridDataGroupLevelsEh(TGridDataGroupsEh* ADataGroups, const TClassInfo& ItemClass)
    : TCollection(ItemClass), FDataGroups(ADataGroups)
{
}

TCustomDBAxisGridEh* TGridDataGroupLevelsEh::Grid() const { return FDataGroups ? FDataGroups->Grid() : nullptr; }

TPersistent* TGridDataGroupLevelsEh::GetOwner() const { return FDataGroups; }

void TGridDataGroupLevelsEh::LevelSortOrderChanged(TGridDataGroupLevelEh* Level)
{
    if (!FDataGroups)
        return;
    const int idx = Level->ActiveIndex();
    if (idx >= 0)
        FDataGroups->ResortGroupLevel(idx, Level->SortOrder());
}

void TGridDataGroupLevelsEh::Update(TCollectionItem*)
{
    if (InMaking.Any())
        return;
    if (FDataGroups)
        FDataGroups->CheckActiveGroupLevelsChanged();
}

void TGridDataGroupLevelsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    if (Action == cnAdded)
        InMaking.Added(Item);
    else
        InMaking.Removed(Item);
}

// ---------------------------------------------------------------- TGridDataGroupLevelEh

DOV_PUBLISHED(TGridDataGroupLevelEh)
{
    P.Prop("SortOrder", &TGridDataGroupLevelEh::SortOrder, &TGridDataGroupLevelEh::SetSortOrder).Default(soAscEh);
}

TGridDataGroupLevelEh::TGridDataGroupLevelEh(TCollection* Collection) : TCollectionItem(Collection) {}

void TGridDataGroupLevelEh::AfterConstruction()
{
    TCollectionItem::AfterConstruction();
    FFont = new TFont();
    if (TGridDataGroupsEh* groups = DataGroups())
        FFont->Assign(groups->Font());
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupLevelEh::FontChanged);
    FFooters = Create<TGridDataGroupFootersEh>(this);
    if (auto* levels = GridDataGroupLevels(); levels && levels->InMaking.Finished(this))
        Changed(false);
}

TGridDataGroupLevelEh::~TGridDataGroupLevelEh()
{
    if (auto* levels = GridDataGroupLevels())
        levels->InMaking.Removed(this);
    delete FFooters;
    delete FFont;
}

TGridDataGroupLevelsEh* TGridDataGroupLevelEh::GridDataGroupLevels() const
{
    return dynamic_cast<TGridDataGroupLevelsEh*>(Collection());
}

TGridDataGroupsEh* TGridDataGroupLevelEh::DataGroups() const
{
    TGridDataGroupLevelsEh* levels = GridDataGroupLevels();
    return levels ? levels->DataGroups() : nullptr;
}

void TGridDataGroupLevelEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridDataGroupLevelEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    FColor = src->FColor;
    FParentColor = src->FParentColor;
    {
        FFontChanging = true;
        auto back = Finally([&] { FFontChanging = false; });
        FFont->Assign(src->FFont);
    }
    FParentFont = src->FParentFont;
    FSortOrder = src->FSortOrder;
    FRowHeight = src->FRowHeight;
    FRowHeightStored = src->FRowHeightStored;
    FRowLines = src->FRowLines;
    FRowLinesStored = src->FRowLinesStored;
    FFooterInGroupRow = src->FFooterInGroupRow;
    FFooterInGroupRowStored = src->FFooterInGroupRowStored;
    FParentFooters = src->FParentFooters;
    FFooters->Assign(src->FFooters);
    OnGetKeyValue = src->OnGetKeyValue;
    OnGetTitleText = src->OnGetTitleText;
    FColumn = src->FColumn;
    Changed(false);
}

void TGridDataGroupLevelEh::SetColumn(TAxisBarEh* Value)
{
    if (Value == FColumn)
        return;
    FColumn = Value;
    Changed(false);
}

TColor TGridDataGroupLevelEh::Color() const
{
    if (FParentColor)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->Color();
    return FColor;
}

void TGridDataGroupLevelEh::SetColor(TColor Value)
{
    if (!FParentColor && Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupLevelEh::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    AppearanceChanged();
}

TFont* TGridDataGroupLevelEh::Font() const
{
    if (FParentFont)
        if (TGridDataGroupsEh* groups = DataGroups())
            CopyParentFontEh(FFont, groups->Font(), FFontChanging);
    return FFont;
}

void TGridDataGroupLevelEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupLevelEh::FontChanged(TObject*)
{
    if (FFontChanging)
        return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupLevelEh::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    AppearanceChanged();
}

void TGridDataGroupLevelEh::SetSortOrder(TSortOrderEh Value)
{
    if (Value == FSortOrder)
        return;
    FSortOrder = Value;
    if (TGridDataGroupLevelsEh* levels = GridDataGroupLevels())
        levels->LevelSortOrderChanged(this);
}

int TGridDataGroupLevelEh::RowHeight() const
{
    if (!FRowHeightStored)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->GroupRowDefValues()->RowHeight();
    return FRowHeight;
}

void TGridDataGroupLevelEh::SetRowHeight(int Value)
{
    if (FRowHeightStored && Value == FRowHeight)
        return;
    FRowHeight = Value;
    FRowHeightStored = true;
    StructureChanged();
}

void TGridDataGroupLevelEh::SetRowHeightStored(bool Value)
{
    if (Value == FRowHeightStored)
        return;
    if (Value)
        FRowHeight = RowHeight();
    FRowHeightStored = Value;
    StructureChanged();
}

int TGridDataGroupLevelEh::RowLines() const
{
    if (!FRowLinesStored)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->GroupRowDefValues()->RowLines();
    return FRowLines;
}

void TGridDataGroupLevelEh::SetRowLines(int Value)
{
    if (FRowLinesStored && Value == FRowLines)
        return;
    FRowLines = Value;
    FRowLinesStored = true;
    StructureChanged();
}

void TGridDataGroupLevelEh::SetRowLinesStored(bool Value)
{
    if (Value == FRowLinesStored)
        return;
    if (Value)
        FRowLines = RowLines();
    FRowLinesStored = Value;
    StructureChanged();
}

bool TGridDataGroupLevelEh::FooterInGroupRow() const
{
    if (!FFooterInGroupRowStored)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->GroupRowDefValues()->FooterInGroupRow();
    return FFooterInGroupRow;
}

void TGridDataGroupLevelEh::SetFooterInGroupRow(bool Value)
{
    if (FFooterInGroupRowStored && Value == FFooterInGroupRow)
        return;
    FFooterInGroupRow = Value;
    FFooterInGroupRowStored = true;
    StructureChanged();
}

void TGridDataGroupLevelEh::SetFooterInGroupRowStored(bool Value)
{
    if (Value == FFooterInGroupRowStored)
        return;
    if (Value)
        FFooterInGroupRow = FooterInGroupRow();
    FFooterInGroupRowStored = Value;
    StructureChanged();
}

void TGridDataGroupLevelEh::StructureChanged()
{
    if (TGridDataGroupsEh* groups = DataGroups())
        groups->FooterStructureChanged();
}

void TGridDataGroupLevelEh::SetFooters(TGridDataGroupFootersEh* Value) { FFooters->Assign(Value); }

void TGridDataGroupLevelEh::SetParentFooters(bool Value)
{
    if (Value == FParentFooters)
        return;
    FParentFooters = Value;
    StructureChanged();
}

TColor TGridDataGroupLevelEh::GetFooterParentColor() const
{
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->GetFooterParentColor() : Color();
}

TFont* TGridDataGroupLevelEh::GetFooterParentFont() const
{
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->GetFooterParentFont() : Font();
}

void TGridDataGroupLevelEh::AppearanceChanged()
{
    if (TGridDataGroupsEh* groups = DataGroups())
        if (groups->Grid())
            groups->Grid()->Invalidate();
}

QString TGridDataGroupLevelEh::GetGroupRowText(TGroupDataTreeNodeEh*) { return QString(); }

Variant TGridDataGroupLevelEh::GetKeyValue()
{
    if (FColumn)
        if (TField* field = FColumn->Field(); field && field->DataSet() && field->DataSet()->Active())
            return field->AsVariant();
    return Variant();
}

QString TGridDataGroupLevelEh::GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode)
{
    return GroupDataTreeNode ? VarToStr(GroupDataTreeNode->KeyValue()) : QString();
}

void TGridDataGroupLevelEh::CollapseNodes() { ExtractNodes(false); }

void TGridDataGroupLevelEh::ExpandNodes() { ExtractNodes(true); }

void TGridDataGroupLevelEh::ExtractNodes(bool Expand)
{
    TGridDataGroupsEh* groups = DataGroups();
    const int idx = ActiveIndex();
    if (!groups || idx < 0)
        return;
    TGridGroupDataTreeEh* tree = groups->GroupDataTree();
    {
        tree->BeginUpdate();
        auto done = Finally([&] { tree->EndUpdate(); });
        for (TGroupDataTreeNodeEh* n = tree->GetFirstNodeAtLevel(idx + 1); n; n = tree->GetNextNodeAtLevel(n, idx + 1))
            n->SetExpanded(Expand);
    }
    tree->RebuildFlatVisibleList();
}

TGridDataGroupFootersEh* TGridDataGroupLevelEh::UsedFooters() const
{
    if (FParentFooters)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->Footers();
    return FFooters;
}

TGridDataGroupFooterEh* TGridDataGroupLevelEh::GetVisibleFooter(int Index) const { return UsedFooters()->Items(Index); }

int TGridDataGroupLevelEh::VisibleFootersCount() const { return UsedFooters()->Count(); }

int TGridDataGroupLevelEh::ActiveIndex() const
{
    TGridDataGroupsEh* groups = DataGroups();
    if (!groups)
        return -1;
    for (int i = 0; i < groups->ActiveGroupLevelsCount(); ++i)
        if (groups->ActiveGroupLevels(i) == this)
            return i;
    return -1;
}
