// Grouping in the data grid: rows of the group tree's flat list (group rows, records, group
// footers), their painting and heights, the current row among tree nodes with the dataset
// following it, and the keys on group rows and group footers.
#include "DBGridEh.h"
#include "DBGridEh_Paint.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>

namespace {

// Indent of one group level, in pixels.
constexpr int GroupLevelIndentEh = 18;

int WgHeightIn(TFont* AFont) { return MeasureCanvasEh(AFont)->TextHeight(QStringLiteral("Wg")); }

bool IsGroupNode(TGroupDataTreeNodeEh* Node) { return Node && Node->NodeType() == dntDataGroupEh; }
bool IsFooterNode(TGroupDataTreeNodeEh* Node) { return Node && Node->NodeType() == dntDataGroupFooterEh; }
bool IsRecordNode(TGroupDataTreeNodeEh* Node) { return Node && Node->NodeType() == dntDataSetRecordEh; }

// A custom style's window colours become the grid's internal ones.
void AdjustGroupColorsEh(TCustomDBGridEh* Grid, TFont* AFont, TColor& AColor)
{
    (void)Grid;
    (void)AFont;
    (void)AColor;
}

}  // namespace

// ============================================================================================
// Rows of the flat list
// ============================================================================================

TGroupDataTreeNodeEh* TCustomDBGridEh::GroupDataNodeOfRow(int DataRow)
{
    if (!GroupingRowsShown())
        return nullptr;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    if (DataRow < 0 || DataRow >= tree->FlatVisibleCount())
        return nullptr;
    return tree->GetFlatVisibleItem(DataRow);
}

void TCustomDBGridEh::UpdateExtraFirstColumnWidth()
{
    int w = 0;
    if (GroupingRowsShown()) {
        int levels = FDataGrouping->ActiveGroupLevelsCount();
        if (!FDataGrouping->ShiftFolldataGroupRow())
            --levels;
        w = std::max(0, levels) * GroupLevelIndentEh;
    }
    if (w == FExtraFirstColumnWidth)
        return;
    FExtraFirstColumnWidth = w;
    if (!IsLoading())
        UpdateColWidths();
}

int TCustomDBGridEh::CurGroupFlatIndex() const
{
    if (!FCurGroupDataNode || !FDataGrouping)
        return -1;
    const auto& flat = FDataGrouping->GroupDataTree()->FlatVisibleList();
    const auto it = std::find(flat.begin(), flat.end(), FCurGroupDataNode);
    return it == flat.end() ? -1 : int(it - flat.begin());
}

namespace {

// Holds the grid's reaction to flat list rebuilds until the end of a scope.
class TGroupingBatchEh {
public:
    explicit TGroupingBatchEh(int& Counter) : FCounter(Counter) { ++FCounter; }
    ~TGroupingBatchEh() { --FCounter; }
    TGroupingBatchEh(const TGroupingBatchEh&) = delete;
    TGroupingBatchEh& operator=(const TGroupingBatchEh&) = delete;

private:
    int& FCounter;
};

}  // namespace

void TCustomDBGridEh::GroupingFlatListChanged()
{
    if (FGroupingBatch > 0) {
        FGroupRowsDirty = true;
        return;
    }
    FollowGroupRows();
}

// Rows and heights from the flat list, then the current row: the same node when it is still a
// row, else the row of the table's current record.
void TCustomDBGridEh::FollowGroupRows()
{
    FGroupRowsDirty = false;
    UpdateExtraFirstColumnWidth();
    GroupingUpdateRowCount();
    const int idx = CurGroupFlatIndex();
    if (idx >= 0) {
        SetCurGroupDataNode(FCurGroupDataNode, false);
    } else {
        FCurGroupDataNode = nullptr;
        SelectDataGroupNodeByViewNo(DataRowsReadable() ? FIntMemTable->GetInstantReadCurRow() : -1, false);
    }
}

bool TCustomDBGridEh::GroupingMTEventReceived(int RowNum, TMTViewEventTypeEh Event)
{
    if (!FDataGrouping || !FDataGrouping->IsGroupingWorks()) {
        FCurGroupDataNode = nullptr;
        UpdateExtraFirstColumnWidth();
        return false;
    }
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    // The grouping rebuilds the tree itself when its update ends.
    if (tree->UpdateCount() > 0)
        return true;
    // The change may free the current node.
    FCurGroupDataNode = nullptr;
    const int generation = FDataGrouping->FlatListGeneration();
    {
        TGroupingBatchEh batch(FGroupingBatch);
        switch (Event) {
        case mtRowInsertedEh:
            tree->RecordInserted(RowNum);
            break;
        case mtRowChangedEh:
            tree->RecordChanged(RowNum);
            break;
        case mtRowDeletedEh:
            tree->RecordDeleted(RowNum);
            break;
        case mtRowMovedEh:
        case mtViewDataChangedEh:
            tree->RebuildDataTreeEx(FIntMemTable);
            break;
        }
    }
    FGroupRowsDirty = false;
    UpdateExtraFirstColumnWidth();
    if (!GroupingRowsShown())
        return false;
    const int cur = DataRowsReadable() ? FIntMemTable->GetInstantReadCurRow() : -1;
    if (Event == mtRowChangedEh && FDataGrouping->FlatListGeneration() == generation) {
        // The same rows: a check mark must not cost a pass over every shown row.
        SelectDataGroupNodeByViewNo(cur, false);
        const int flat = tree->IndexOfVisibleRecordViewNo(RowNum);
        if (flat >= 0)
            UpdateDataRowHeight(flat);
        Invalidate();
        return true;
    }
    GroupingUpdateRowCount();
    SelectDataGroupNodeByViewNo(cur, Event == mtRowInsertedEh);
    return true;
}

void TCustomDBGridEh::GroupingUpdateRowCount()
{
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    SetupFixedRows();
    if (FullFooterRowCount() > 0)
        SetupFooterRows();
    const int count = tree->FlatVisibleCount();
    const bool empty = !FIntMemTable || FIntMemTable->InstantReadRowCount() == 0;
    SetRowCountSafe(TopDataOffset() + count + (empty || count == 0 ? 1 : 0));
    GroupingUpdateRowHeights();
    UpdateScrollBars();
    Invalidate();
}

std::vector<int> TCustomDBGridEh::GroupRowHeightsKey()
{
    // Everything the heights of a walk depend on; with the same key the rows already have them.
    // The levels and footers are those the last walk met: the flat list still holds them while
    // its generation stays the same.
    std::vector<int> key{FDataGrouping->FlatListGeneration(), FRowHeightResets, RowCount(), TopDataOffset(),
                         FStdDefaultRowHeight,
                         Options().Contains(dgRowLines) ? GridLineWidth() : -1};
    for (TGridDataGroupLevelEh* level : FGroupRowHeightLevels) {
        bool active = false;
        for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount() && !active; ++i)
            active = FDataGrouping->ActiveGroupLevels(i) == level;
        if (!active)
            return {};
        key.push_back(GroupLevelRowHeight(level));
    }
    for (TGridDataGroupFooterEh* footer : FGroupRowHeightFooters)
        key.push_back(GroupFooterRowHeight(footer));
    return key;
}

void TCustomDBGridEh::GroupingUpdateRowHeights()
{
    if (!HandleAllocated())
        return;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const bool perRow = OptionsEh().Contains(dghAutoFitRowHeight) && DataRowsReadable();
    // A layout after a record edit must not walk every row again: the rows that changed were
    // sized by the event that changed them.
    const bool keyed = !perRow && !OnDataGroupGetRowParams;
    if (keyed && !FGroupRowHeightsKey.empty() && FGroupRowHeightsKey[0] == FDataGrouping->FlatListGeneration() &&
        GroupRowHeightsKey() == FGroupRowHeightsKey)
        return;
    FGroupRowHeightsKey.clear();
    FGroupRowHeightLevels.clear();
    FGroupRowHeightFooters.clear();
    LockPaint();
    auto unlock = Finally([this] { UnlockPaint(); });
    ResetRowsToStdHeight();
    const int top = TopDataOffset();
    const int count = std::min(tree->FlatVisibleCount(), RowCount() - top);
    // Group rows of one level share their height unless the application sizes them.
    std::vector<int> levelHeights;
    for (int i = 0; i < count; ++i) {
        TGroupDataTreeNodeEh* node = tree->GetFlatVisibleItem(i);
        if (IsRecordNode(node)) {
            if (perRow)
                UpdateDataRowHeight(i);
            continue;
        }
        int h = -1;
        if (IsGroupNode(node) && !OnDataGroupGetRowParams) {
            const auto at = std::find(FGroupRowHeightLevels.begin(), FGroupRowHeightLevels.end(), node->DataGroupLevel());
            if (at != FGroupRowHeightLevels.end())
                h = levelHeights[size_t(at - FGroupRowHeightLevels.begin())];
        }
        if (h < 0) {
            h = CalcDataGroupNodeRowHeight(node);
            if (IsGroupNode(node)) {
                FGroupRowHeightLevels.push_back(node->DataGroupLevel());
                levelHeights.push_back(h);
            }
        }
        if (IsFooterNode(node) &&
            std::find(FGroupRowHeightFooters.begin(), FGroupRowHeightFooters.end(), node->DataGroupFooter()) ==
                FGroupRowHeightFooters.end())
            FGroupRowHeightFooters.push_back(node->DataGroupFooter());
        SetGridRowHeightWithLine(top + i, h);
    }
    if (keyed)
        FGroupRowHeightsKey = GroupRowHeightsKey();
}

TColumnEh* TCustomDBGridEh::FirstVisibleColumn()
{
    return VisibleAxisBars()->Count() > 0 ? static_cast<TColumnEh*>(VisibleAxisBars()->Items(0)) : nullptr;
}

void TCustomDBGridEh::GroupingUpdateActiveRow()
{
    if (FInternalUpdatingDatasetPos || !DataRowsReadable())
        return;
    const int cur = FIntMemTable->GetInstantReadCurRow();
    const int idx = CurGroupFlatIndex();
    if (idx >= 0 && FCurGroupDataNode->NodeType() == dntDataSetRecordEh &&
        FCurGroupDataNode->DataSetRecordViewNo() == cur && Row() - TopDataOffset() == idx)
        return;
    SelectDataGroupNodeByViewNo(cur, true);
    InvalidateFooterRows();
}

bool TCustomDBGridEh::BeginGroupDataSetMove()
{
    if (FInternalUpdatingDatasetPos)
        return false;
    FInternalUpdatingDatasetPos = true;
    return true;
}

void TCustomDBGridEh::EndGroupDataSetMove()
{
    FInternalUpdatingDatasetPos = false;
    if (GroupingRowsShown() && DataRowsReadable())
        SelectDataGroupNodeByViewNo(FIntMemTable->GetInstantReadCurRow(), true);
}

// ============================================================================================
// Heights
// ============================================================================================

int TCustomDBGridEh::GroupLevelRowHeight(TGridDataGroupLevelEh* Level)
{
    const int line = (Options().Contains(dgRowLines) || GridLineParams()->DataHorzLines()) ? GridLineWidth() : 0;
    if (Level->RowHeight() == 0 && Level->RowLines() == 0)
        return WgHeightIn(Level->Font()) + (Flat() ? 1 : 3) + line;
    return (Level->RowLines() > 0 ? WgHeightIn(Level->Font()) * Level->RowLines() : 0) + Level->RowHeight();
}

int TCustomDBGridEh::GroupFooterRowHeight(TGridDataGroupFooterEh* Footer)
{
    TDBGridFooterParamsEh* fp = FooterParams();
    int h = 0;
    for (int i = 0; i < Footer->ColumnItems()->Count(); ++i) {
        TFont* f = Footer->ColumnItems()->Items(i)->Font();
        int ih;
        if (fp->RowLines() > 0 || fp->RowHeight() > 0)
            ih = WgHeightIn(f) * fp->RowLines() + fp->RowHeight();
        else
            ih = WgHeightIn(f) + (Flat() ? 1 : 3) + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
        h = std::max(h, ih);
    }
    return h == 0 ? FStdDefaultRowHeight : h;
}

int TCustomDBGridEh::CalcDataGroupNodeRowHeight(TGroupDataTreeNodeEh* Node)
{
    if (!HandleAllocated() || !Node)
        return 0;
    int h = 0;
    if (IsGroupNode(Node)) {
        TGridDataGroupLevelEh* level = Node->DataGroupLevel();
        h = GroupLevelRowHeight(level);
        if (OnDataGroupGetRowParams && DataRowsReadable()) {
            TGroupRowParamsEh* params = FGroupRowParams.get();
            FIntMemTable->InstantReadEnter(std::max(0, Node->DataSetRecordViewNo()));
            auto leave = Finally([this] { FIntMemTable->InstantReadLeave(); });
            params->FColor = clNone;
            params->FImageList = nullptr;
            params->FImageIndex = 0;
            params->FGroupRowText = level->GetGroupRowText(Node);
            params->FFont->Assign(Canvas()->Font());
            OnDataGroupGetRowParams(this, Node, params);
            if (params->FImageList)
                h = std::max(h, params->FImageList->Height() + 2);
        }
    } else if (IsFooterNode(Node)) {
        h = GroupFooterRowHeight(Node->DataGroupFooter());
    }
    return h;
}

// ============================================================================================
// Current row and dataset position
// ============================================================================================

void TCustomDBGridEh::SetCurGroupDataNode(TGroupDataTreeNodeEh* Node, bool ShowCell)
{
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    if (!Node || Node == tree->Root())
        return;
    const bool changed = Node != FCurGroupDataNode;
    FCurGroupDataNode = Node;
    {
        TGroupingBatchEh batch(FGroupingBatch);
        tree->ExpandNodePathToView(Node);
    }
    if (FGroupRowsDirty) {
        FGroupRowsDirty = false;
        GroupingUpdateRowCount();
    }
    const int top = TopDataOffset();
    int target = CurGroupFlatIndex() + top;
    if (target >= RowCount() || target < top)
        target = FixedRowCount();
    if (target != Row()) {
        InvalidateRow(Row());
        if (!IsRecordNode(Node))
            HideEditor();
        const bool scroll = ShowCell && !FLockAutoShowCurCell && IsRecordNode(Node);
        const int col = Col() < FixedColCount() && FixedColCount() < ColCount() ? FixedColCount() : Col();
        FocusCell(col, target, true, scroll);
        InvalidateEditor();
        InvalidateRow(Row());
        SyncDataSetToGroupNode();
    } else if (changed) {
        InvalidateRow(Row());
        SyncDataSetToGroupNode();
    }
    if (Options().Contains(dgAlwaysShowEditor) && IsRecordNode(Node))
        ShowEditor();
}

void TCustomDBGridEh::SelectDataGroupNodeOrParent(TGroupDataTreeNodeEh* Node)
{
    if (!Node) {
        FCurGroupDataNode = nullptr;
        return;
    }
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    TGroupDataTreeNodeEh* n = Node;
    while (n && n != tree->Root() && !tree->GetPathVisible(n, true))
        n = n->ParentNode();
    if (!n || n == tree->Root())
        return;
    SetCurGroupDataNode(n, true);
}

void TCustomDBGridEh::SelectDataGroupNodeByViewNo(int ViewNo, bool ShowAll)
{
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    TGroupDataTreeNodeEh* node = ViewNo >= 0 ? tree->GetNodeByRecordViewNo(ViewNo) : nullptr;
    if (!node) {
        if (tree->FlatVisibleCount() > 0)
            SetCurGroupDataNode(tree->GetFlatVisibleItem(0), true);
        else
            FCurGroupDataNode = nullptr;
        return;
    }
    if (ShowAll)
        SetCurGroupDataNode(node, true);
    else
        SelectDataGroupNodeOrParent(node);
}

void TCustomDBGridEh::SyncDataSetToGroupNode()
{
    if (FInternalUpdatingDatasetPos || !FDataLink || !FDataLink->Active() || !FDataGrouping->IsGroupingWorks())
        return;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    // A footer stands for the record before it, a group row for its first record.
    while (IsFooterNode(node)) {
        const auto& flat = tree->FlatVisibleList();
        const auto it = std::find(flat.begin(), flat.end(), node);
        node = it != flat.end() && it != flat.begin() ? *(it - 1) : nullptr;
    }
    while (IsGroupNode(node))
        node = node->Count() > 0 ? node->GetDataItem(0) : nullptr;
    if (!IsRecordNode(node))
        return;
    TDataSet* ds = FDataLink->DataSet();
    const int target = node->DataSetRecordViewNo();
    // Moving would post a record being inserted; a record already current needs no move.
    if (ds->State() == dsInsert || (DataRowsReadable() && FIntMemTable->GetInstantReadCurRow() == target))
        return;
    FInternalUpdatingDatasetPos = true;
    auto done = Finally([this] { FInternalUpdatingDatasetPos = false; });
    const int recNo = ds->RecNo();
    if (recNo > 0)
        ds->MoveBy(target + 1 - recNo);
    else
        ds->SetRecNo(target + 1);
}

int TCustomDBGridEh::DataGroupMoveBy(int Distance, bool AllowAppend)
{
    TDataSet* ds = FDataLink->DataSet();
    if (Distance != 0 && ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        if (ds->Modified())
            ds->Post();
        else
            ds->Cancel();
    }
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const int count = tree->FlatVisibleCount();
    FCurGroupDataListBof = false;
    FCurGroupDataListEof = false;
    if (count == 0) {
        FCurGroupDataListBof = true;
        FCurGroupDataListEof = true;
        return 0;
    }
    const int cur = std::max(0, CurGroupFlatIndex());
    int target = cur + Distance;
    if (Distance <= 0) {
        if (target < 0) {
            FCurGroupDataListBof = true;
            target = 0;
        }
    } else if (target >= count) {
        FCurGroupDataListEof = true;
        if (IsRecordNode(FCurGroupDataNode) && cur == count - 1) {
            const int viewNo = FCurGroupDataNode->DataSetRecordViewNo();
            // The record's own key, placed after it.
            Variant key = tree->GetKeyValueForViewRecNo(viewNo);
            if (key.IsArray())
                key.SetElement(VarArrayHighBound(key, 1), Variant(viewNo + 1));
            FDataGrouping->SetInsertingKeyValue(key);
            if (AllowAppend) {
                if (viewNo == FIntMemTable->InstantReadRowCount() - 1) {
                    ds->Append();
                } else {
                    ds->Next();
                    ds->Insert();
                }
            }
            return 0;
        }
        target = count - 1;
    }
    SetCurGroupDataNode(tree->GetFlatVisibleItem(target), true);
    return target - cur;
}

// ============================================================================================
// Keys
// ============================================================================================

void TCustomDBGridEh::KeyDown(Word& Key, TShiftState Shift)
{
    // The application's handler sees every key first, group rows and detail keys too.
    TCustomControlEh::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    if (!FDataLink->Active()) {
        NavigationKeyDown(Key, Shift);
        return;
    }
    TGroupDataTreeNodeEh* node = GroupingRowsShown() ? FCurGroupDataNode : nullptr;
    if (node && IsGroupNode(node)) {
        GroupRowKeyDown(Key, Shift);
        return;
    }
    if (node && IsFooterNode(node)) {
        GroupFooterKeyDown(Key, Shift);
        return;
    }
    ShortcutKeyDown(Key, Shift);
    if (Key == 0)
        return;
    RowDetailPanelKeyDown(Key, Shift);
    if (Key == 0)
        return;
    const bool noMods = !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !Shift.Contains(ssShift);
    if (!node) {
        RecordKeyDown(Key, Shift);
        if (Key == 0)
            return;
        // Rows are records: the keys move the dataset and the grid's row follows it.
        int distance = 0;
        if (noMods && Key == VK_UP)
            distance = -1;
        else if (noMods && Key == VK_DOWN)
            distance = 1;
        else if (noMods && Key == VK_PRIOR)
            distance = -VisibleDataRowCount();
        else if (noMods && Key == VK_NEXT)
            distance = VisibleDataRowCount();
        if (distance != 0) {
            MoveBy(distance);
            Key = 0;
            return;
        }
        NavigationKeyDown(Key, Shift);
        return;
    }
    switch (Key) {
    case VK_UP:
        if (noMods) {
            DataGroupMoveBy(-1, false);
            Key = 0;
            return;
        }
        break;
    case VK_DOWN:
        if (noMods) {
            const bool append = Options().Contains(dgEditing) && !ReadOnly() && FDataLink->DataSet()->CanModify();
            DataGroupMoveBy(1, append);
            Key = 0;
            return;
        }
        break;
    case VK_PRIOR:
        DataGroupMoveBy(-VisibleDataRowCount(), false);
        Key = 0;
        return;
    case VK_NEXT:
        DataGroupMoveBy(VisibleDataRowCount(), false);
        Key = 0;
        return;
    case VK_INSERT:
        if (noMods && Options().Contains(dgEditing) && !ReadOnly()) {
            DataInsert();
            Key = 0;
            return;
        }
        break;
    default:
        break;
    }
    NavigationKeyDown(Key, Shift);
}

namespace {

TColumnEh* TabColumnEh(TCustomDBGridEh* Grid, bool First)
{
    return First ? Grid->Columns()->GetFirstTabColumn() : Grid->Columns()->GetLastTabColumn();
}

void SelectColumnEh(TCustomDBGridEh* Grid, TColumnEh* Column)
{
    if (Column)
        Grid->SetSelectedIndex(Column->Index());
}

}  // namespace

void TCustomDBGridEh::GroupRowKeyDown(Word& Key, TShiftState Shift)
{
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const bool ctrl = Shift.Contains(ssCtrl);
    TGridDataGroupLevelEh* level = node->DataGroupLevel();
    // Expanding and collapsing rebuild the flat list: the rows follow once, after the key.
    {
    TGroupingBatchEh batch(FGroupingBatch);
    switch (Key) {
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) {
            const bool back = Shift.Contains(ssShift);
            DataGroupMoveBy(back ? -1 : 1, false);
            if (!IsGroupNode(FCurGroupDataNode))
                SelectColumnEh(this, TabColumnEh(this, !back));
        }
        break;
    case VK_ESCAPE:
        FDataLink->Reset();
        if (!Options().Contains(dgAlwaysShowEditor))
            HideEditor();
        if (FDBGridEhState == dgsColSizing || FDBGridEhState == dgsRowMoving ||
            FDBGridEhState == dgsGroupPanelTitleMoving)
            Perform(WM_CANCELMODE, 0, 0);
        break;
    case VK_PRIOR:
        DataGroupMoveBy(-VisibleDataRowCount(), false);
        break;
    case VK_NEXT:
        DataGroupMoveBy(VisibleDataRowCount(), false);
        break;
    case VK_LEFT:
        if (node->Expanded())
            tree->Collapse(node, false);
        else
            ScrollDataBy(-ColWidths(std::max(LeftCol(), FixedColCount())) / 2, 0);
        break;
    case VK_RIGHT:
        if (!node->Expanded())
            tree->Expand(node, false);
        else
            ScrollDataBy(ColWidths(std::max(LeftCol(), FixedColCount())) / 2, 0);
        break;
    case VK_UP:
        DataGroupMoveBy(-1, false);
        break;
    case VK_DOWN:
        DataGroupMoveBy(1, false);
        break;
    case VK_INSERT:
        if (FDataLink->Active() && FDataLink->DataSet()->CanModify() && !ReadOnly() &&
            Options().Contains(dgEditing) && node->CanAppendDataRec())
            node->AppendDataRec(FIntMemTable, FDataLink->DataSet());
        break;
    case VK_MULTIPLY:
        if (ctrl) {
            if (node->Expanded())
                level->CollapseNodes();
            else
                level->ExpandNodes();
        } else {
            node->SetExpanded(!node->Expanded());
        }
        break;
    case VK_ADD:
        if (ctrl)
            level->ExpandNodes();
        else
            tree->Expand(node, false);
        break;
    case VK_SUBTRACT:
        if (ctrl)
            level->CollapseNodes();
        else
            tree->Collapse(node, false);
        break;
    default:
        return;
    }
    }
    Key = 0;
    if (FGroupRowsDirty && FGroupingBatch == 0)
        FollowGroupRows();
}

void TCustomDBGridEh::GroupFooterKeyDown(Word& Key, TShiftState Shift)
{
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    switch (Key) {
    case VK_TAB: {
        const bool back = Shift.Contains(ssShift);
        TColumnEh* cur = SelectedIndex() >= 0 && SelectedIndex() < Columns()->Count()
                             ? Columns()->Items(SelectedIndex())
                             : nullptr;
        TColumnEh* next = cur ? Columns()->GetNextTabColumn(cur, !back) : nullptr;
        if (next && next != cur && cur != TabColumnEh(this, back)) {
            SelectColumnEh(this, next);
        } else {
            DataGroupMoveBy(back ? -1 : 1, false);
            SelectColumnEh(this, TabColumnEh(this, !back));
        }
        break;
    }
    case VK_PRIOR:
        DataGroupMoveBy(-VisibleDataRowCount(), false);
        break;
    case VK_NEXT:
        DataGroupMoveBy(VisibleDataRowCount(), false);
        break;
    case VK_UP:
        DataGroupMoveBy(-1, false);
        break;
    case VK_DOWN:
        DataGroupMoveBy(1, false);
        break;
    case VK_HOME:
        SelectColumnEh(this, TabColumnEh(this, true));
        break;
    case VK_END:
        SelectColumnEh(this, TabColumnEh(this, false));
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (Options().Contains(dgRowSelect))
            return;
        NavigationKeyDown(Key, Shift);
        return;
    case VK_INSERT:
        if (FDataLink->Active() && FDataLink->DataSet()->CanModify() && !ReadOnly() &&
            Options().Contains(dgEditing) && node->CanAppendDataRec())
            node->ParentNode()->AppendDataRec(FIntMemTable, FDataLink->DataSet());
        break;
    default:
        return;
    }
    Key = 0;
}

void TCustomDBGridEh::DataInsert()
{
    TDataSet* ds = FDataLink->DataSet();
    if (FDataGrouping->IsGroupingWorks() && DataRowsReadable())
        FDataGrouping->SetInsertingKeyValue(
            FDataGrouping->GroupDataTree()->GetKeyValueForViewRecNo(FIntMemTable->GetInstantReadCurRow()));
    ds->Insert();
}

void TCustomDBGridEh::DataAppend() { FDataLink->DataSet()->Append(); }

// ============================================================================================
// Painting
// ============================================================================================

bool TCustomDBGridEh::HighlightGroupDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                                  TGridDrawState& State, const QString& Text)
{
    (void)DataCol;
    (void)Text;
    const bool current = DataRow + TopDataOffset() == Row();
    if (current)
        State << gdSelected;
    const bool selected = State.Contains(gdSelected);
    const bool gridFocused = Focused() || (InplaceEditor() && InplaceEditor()->Focused());
    const bool show = (selected || current) &&
                      (Options().Contains(dgAlwaysShowSelection) ||
                       ((gridFocused || current) && OptionsEh().Contains(dghHighlightFocus))) &&
                      UpdateLock() == 0;
    if (!show)
        return false;
    TDBGridEhStyle* style = ActualStyle();
    if (gridFocused) {
        AColor = style ? style->GetSelectionColor() : clHighlight;
        AFont->SetColor(style ? style->GetSelectionFontColor() : clHighlightText);
    } else if (current) {
        AColor = style ? style->GetSelectionInactiveColor() : clBtnFace;
        AFont->SetColor(style ? style->GetSelectionFontColor() : clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

namespace {

// The line colour under group rows.
TColor GroupLineColorEh(TCustomDBGridEh* Grid, TGridDataGroupsEh* Groups)
{
    const TColor c = Groups->GroupRowDefValues()->BottomLine()->Color();
    return c == clDefault ? Grid->GridLineParams()->BrightColor() : c;
}

}  // namespace

void TCustomDBGridEh::DrawGroupDataCell(int ACol, int ARow, TGroupDataTreeNodeEh* Node, TGridDrawState AState,
                                        const TRect& ARect)
{
    TCanvas* cv = Canvas();
    TGridDataGroupLevelEh* level = Node->DataGroupLevel();
    const int dataRow = ARow - TopDataOffset();
    const TColor lineColor = GroupLineColorEh(this, FDataGrouping.get());
    const bool horzLines = Options().Contains(dgRowLines) && GridLineParams()->DataHorzLines();
    TGridDrawState state = AState;

    // Trailing fixed columns are painted cell by cell.
    if (ACol >= ColCount()) {
        cv->Font()->Assign(level->Font());
        TColor color = level->Color();
        HighlightGroupDataCellColor(ACol, dataRow, cv->Font(), color, state, QString());
        cv->Brush()->SetColor(color);
        cv->FillRect(ARect);
        if (horzLines) {
            cv->Pen()->SetColor(lineColor);
            PolylineRTL({TPoint(ARect.Left, ARect.Bottom - 1), TPoint(ARect.Right, ARect.Bottom - 1)});
        }
        return;
    }
    if (std::find(FDrawnGroupList.begin(), FDrawnGroupList.end(), Node) != FDrawnGroupList.end())
        return;
    FDrawnGroupList.push_back(Node);

    QString text = level->GetGroupRowText(Node);
    if (ARow == Row() && IsActiveControl())
        state << gdFocused;

    // The band runs from the first data column (or the frozen area) to the last visible column.
    TRect band = ARect;
    for (int c = ACol - 1; c >= FixedColCount() && c >= LeftCol(); --c)
        band.Left -= ColWidths(c);
    if (ACol > FixedColCount() && LeftCol() > FixedColCount() && ACol == LeftCol())
        band.Left = CellRect(FixedColCount(), ARow).Left;
    if (FrozenColCount() > 0)
        band.Left = CellRect(FixedColCount() - FrozenColCount(), ARow).Left;
    {
        int right = ARect.Right;
        for (int c = ACol + 1; c < ColCount(); ++c)
            right += ColWidths(c);
        band.Right = right;
        if (Options().Contains(dgColLines))
            --band.Right;
    }
    if (horzLines)
        band.Bottom -= 1;

    // Indent: the enclosing levels' boxes, innermost rightmost.
    const int depth = Node->Level();
    TGroupDataTreeNodeEh* next = dataRow + 1 < FDataGrouping->GroupDataTree()->FlatVisibleCount()
                                     ? FDataGrouping->GroupDataTree()->GetFlatVisibleItem(dataRow + 1)
                                     : nullptr;
    const bool indentLines = Options().Contains(dgRowLines) ||
                             FDataGrouping->GroupRowDefValues()->BottomLine()->Color() != clDefault;
    TGroupDataTreeNodeEh* anc = Node->ParentNode();
    for (int lvl = depth - 1; lvl >= 1 && anc; --lvl) {
        TRect box(band.Left + (lvl - 1) * GroupLevelIndentEh, ARect.Top, band.Left + lvl * GroupLevelIndentEh,
                  ARect.Bottom);
        cv->Brush()->SetColor(anc->DataGroupLevel() ? anc->DataGroupLevel()->Color() : Color());
        cv->FillRect(box);
        if (indentLines) {
            cv->Pen()->SetColor(GridLineParams()->GetDataVertColor());
            PolylineRTL({TPoint(box.Right - 1, box.Top), TPoint(box.Right - 1, box.Bottom)});
            const bool groupEnds = !next || next->Level() <= lvl ||
                                   (IsFooterNode(next) && next->Level() == lvl + 1 &&
                                    !FDataGrouping->ShiftFolldataGroupRow());
            if (groupEnds) {
                cv->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
                PolylineRTL({TPoint(box.Left, box.Bottom - 1), TPoint(box.Right, box.Bottom - 1)});
            }
        }
        anc = anc->ParentNode();
    }
    band.Left += (depth - 1) * GroupLevelIndentEh;

    cv->Font()->Assign(level->Font());
    TColor color = level->Color();
    AdjustGroupColorsEh(this, cv->Font(), color);
    HighlightGroupDataCellColor(ACol, dataRow, cv->Font(), color, state, text);

    TGroupRowParamsEh* params = FGroupRowParams.get();
    params->FColor = color;
    params->FFont->Assign(cv->Font());
    params->FGroupRowText = text;
    params->FState = state;
    params->FImageList = nullptr;
    params->FImageIndex = 0;
    if (OnDataGroupGetRowParams)
        OnDataGroupGetRowParams(this, Node, params);
    color = params->FColor;
    text = params->FGroupRowText;
    cv->Font()->Assign(params->FFont);
    cv->Brush()->SetColor(color);

    const int topMargin = Flat() ? 1 : 2;
    const bool bottomLayout =
        (level->RowHeightStored() || level->RowLinesStored()) && (level->RowHeight() > 0 || level->RowLines() > 0) &&
        !params->FImageList;

    // Expand box.
    TRect expand(band.Left, ARect.Top, band.Left + GroupLevelIndentEh, band.Bottom);
    cv->FillRect(expand);
    {
        TRect glyph = expand;
        if (bottomLayout)
            glyph.Top = std::max(glyph.Top, glyph.Bottom - WgHeightIn(cv->Font()) - topMargin);
        const TUnmirroredScope unmirrored(cv, UseRightToLeftAlignment(), glyph);
        DrawTreeViewGlyph(cv, glyph, Node->Expanded() ? 3 : 7, 0, 1, 1, unmirrored.Active(), true,
                          TreeViewParams()->GetActualGlyphStyle());
    }
    if (horzLines) {
        cv->Pen()->SetColor(Node->Expanded() && FDataGrouping->ShiftFolldataGroupRow() ? level->Color() : lineColor);
        PolylineRTL({TPoint(expand.Left, band.Bottom), TPoint(expand.Right, band.Bottom)});
    }

    TRect textRect(expand.Right, ARect.Top, band.Right, band.Bottom);

    // The first footer's values inside the band.
    if (level->FooterInGroupRow() && level->VisibleFootersCount() > 0 && Node->FooterItemCount() > 0) {
        TGroupDataTreeNodeEh* footerNode = Node->GetFooterItem(0);
        TGridDataGroupFooterEh* footer = footerNode->DataGroupFooter();
        const int firstVisible = FirstVisibleColumn()
                                     ? FirstVisibleColumn()->Index()
                                     : 0;
        bool started = false;
        for (int i = 0; i < Columns()->Count() && i < footer->ColumnItems()->Count(); ++i) {
            TGridDataGroupFooterColumnItemEh* item = footer->ColumnItems()->Items(i);
            if (!started && (item->ValueType() == gfvNonEh || i <= firstVisible))
                continue;
            const int raw = DataToRawColumn(i);
            if (!Columns()->Items(i)->Visible() || raw < LeftCol())
                continue;
            const TRect cell = CellRect(raw, ARow);
            if (cell.Right <= cell.Left)
                continue;
            if (!started) {
                started = true;
                textRect.Right = std::min(textRect.Right, cell.Left);
            }
            TRect fr(cell.Left, cell.Top, cell.Right, band.Bottom);
            DrawGroupFooterCell(raw, ARow, i, footerNode, state, fr);
        }
        cv->Font()->Assign(params->FFont);
        cv->Brush()->SetColor(color);
    }

    // Image.
    if (params->FImageList && params->FImageIndex >= 0) {
        const int w = params->FImageList->Width() + 4;
        TRect img(textRect.Left, textRect.Top, textRect.Left + w, textRect.Bottom);
        cv->FillRect(img);
        params->FImageList->Draw(cv, img.Left + 2, img.Top + 1, params->FImageIndex);
        textRect.Left = img.Right;
    }

    if (textRect.Right > textRect.Left) {
        if (bottomLayout) {
            const int th = WgHeightIn(cv->Font());
            cv->FillRect(textRect);
            TRect r = textRect;
            r.Top = std::max(textRect.Top, textRect.Bottom - th - 2 * topMargin);
            WriteTextInRect(cv, r, false, 2, topMargin, text, taLeftJustify, tlTop, false, false, 0, 0,
                            UseRightToLeftAlignment(), true);
        } else {
            WriteTextInRect(cv, textRect, !BackgroundShowing() || color != Color(), 2, topMargin, text,
                            taLeftJustify, tlTop, false, false, 0, 0, UseRightToLeftAlignment(), true);
        }
    }
    if (horzLines) {
        cv->Pen()->SetColor(lineColor);
        PolylineRTL({TPoint(textRect.Left, band.Bottom), TPoint(band.Right + 1, band.Bottom)});
    }
    if (state.Contains(gdFocused) && !Designing() && UpdateLock() == 0 && IsActiveControl() && GetDrawFocusFrame()) {
        TRect focus(expand.Left, ARect.Top, band.Right, band.Bottom);
        cv->DrawFocusRect(focus);
    }
}

void TCustomDBGridEh::DrawDataCellGroupIndent(int DataRow, TGroupDataTreeNodeEh* Node, const TRect& ARect)
{
    TCanvas* cv = Canvas();
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const TRect area(ARect.Left, ARect.Top, ARect.Left + FExtraFirstColumnWidth, ARect.Bottom);
    cv->Brush()->SetColor(Color());
    cv->FillRect(area);
    TGroupDataTreeNodeEh* next = DataRow + 1 < tree->FlatVisibleCount() ? tree->GetFlatVisibleItem(DataRow + 1) : nullptr;
    if (!next)
        cv->Pen()->SetColor(GridLineParams()->GetDarkColor());
    else if (IsGroupNode(next))
        cv->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
    else if (IsFooterNode(next))
        cv->Pen()->SetColor(FooterParams()->HorzLineColor());
    if (!IsRecordNode(next))
        PolylineRTL({TPoint(area.Left, area.Bottom - 1), TPoint(area.Right, area.Bottom - 1)});

    const bool shift = FDataGrouping->ShiftFolldataGroupRow();
    const bool lines = Options().Contains(dgRowLines) || GridLineParams()->DataHorzLines() ||
                       FDataGrouping->GroupRowDefValues()->BottomLine()->Color() != clDefault;
    // Enclosing groups from the innermost outwards.
    TGroupDataTreeNodeEh* anc = Node->ParentNode();
    if (!shift && anc)
        anc = anc->ParentNode();
    int boxes = FExtraFirstColumnWidth / GroupLevelIndentEh;
    for (int b = boxes; b >= 1 && anc && anc != tree->Root(); --b) {
        TRect box(area.Left + (b - 1) * GroupLevelIndentEh, area.Top, area.Left + b * GroupLevelIndentEh,
                  area.Bottom);
        cv->Brush()->SetColor(anc->DataGroupLevel() ? anc->DataGroupLevel()->Color() : Color());
        cv->FillRect(box);
        if (lines) {
            cv->Pen()->SetColor(GridLineParams()->GetDataVertColor());
            PolylineRTL({TPoint(box.Right - 1, box.Top), TPoint(box.Right - 1, box.Bottom)});
            const bool groupEnds = !next || next->Level() <= anc->Level();
            if (Options().Contains(dgRowLines) && groupEnds) {
                cv->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
                PolylineRTL({TPoint(box.Left, box.Bottom - 1), TPoint(box.Right, box.Bottom - 1)});
            }
        }
        anc = anc->ParentNode();
    }
}

void TCustomDBGridEh::DrawGroupFooterIndent(int DataRow, TGroupDataTreeNodeEh* Node, const TRect& ARect)
{
    TCanvas* cv = Canvas();
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const bool shift = FDataGrouping->ShiftFolldataGroupRow();
    const int depth = Node->Level();
    const int width = std::max(0, (depth - 1) * GroupLevelIndentEh - (shift ? 0 : GroupLevelIndentEh));
    const TRect area(ARect.Left, ARect.Top, ARect.Left + width, ARect.Bottom);
    cv->Brush()->SetColor(Color());
    cv->FillRect(area);
    if (Options().Contains(dgRowLines) || GridLineParams()->DataHorzLines() || FooterParams()->HorzLines()) {
        cv->Pen()->SetColor(FooterParams()->HorzLineColor());
        PolylineRTL({TPoint(area.Left, area.Bottom - 1), TPoint(area.Right, area.Bottom - 1)});
    }
    TGroupDataTreeNodeEh* next = DataRow + 1 < tree->FlatVisibleCount() ? tree->GetFlatVisibleItem(DataRow + 1) : nullptr;
    TGroupDataTreeNodeEh* anc = Node->ParentNode();
    if (!shift && anc)
        anc = anc->ParentNode();
    for (int b = width / GroupLevelIndentEh; b >= 1 && anc && anc != tree->Root(); --b) {
        TRect box(area.Left + (b - 1) * GroupLevelIndentEh, area.Top, area.Left + b * GroupLevelIndentEh,
                  area.Bottom);
        cv->Brush()->SetColor(anc->DataGroupLevel() ? anc->DataGroupLevel()->Color() : Color());
        cv->FillRect(box);
        cv->Pen()->SetColor(GridLineParams()->GetDataVertColor());
        PolylineRTL({TPoint(box.Right - 1, box.Top), TPoint(box.Right - 1, box.Bottom)});
        if (!next || next->Level() <= anc->Level()) {
            cv->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
            PolylineRTL({TPoint(box.Left, box.Bottom - 1), TPoint(box.Right, box.Bottom - 1)});
        }
        anc = anc->ParentNode();
    }
}

void TCustomDBGridEh::DrawGroupFooterCell(int ACol, int ARow, int DataCol, TGroupDataTreeNodeEh* Node,
                                          TGridDrawState AState, const TRect& ARect)
{
    TCanvas* cv = Canvas();
    const int dataRow = ARow - TopDataOffset();
    TRect rect = ARect;
    TColumnEh* column = DataCol >= 0 && DataCol < Columns()->Count() ? Columns()->Items(DataCol) : nullptr;
    const bool inBand = IsGroupNode(GroupDataNodeOfRow(dataRow));
    if (!inBand && column && column == FirstVisibleColumn()) {
        DrawGroupFooterIndent(dataRow, Node, rect);
        const bool shift = FDataGrouping->ShiftFolldataGroupRow();
        rect.Left += std::max(0, (Node->Level() - 1 - (shift ? 0 : 1)) * GroupLevelIndentEh);
        if (Options().Contains(dgRowLines) || GridLineParams()->DataHorzLines() || FooterParams()->HorzLines())
            rect.Bottom -= 1;
    }
    TGridDataGroupFooterEh* footer = Node->DataGroupFooter();
    const int itemIdx = column ? footer->ColumnItems()->ItemIndexByColumn(column) : -1;
    TGridDataGroupFooterColumnItemEh* item = itemIdx >= 0 ? footer->ColumnItems()->Items(itemIdx) : nullptr;
    Variant value;
    QString text;
    TColor color = footer->Color();
    cv->Font()->Assign(footer->Font());
    TAlignment alignment = taRightJustify;
    if (item) {
        value = item->AggrValue(Node);
        text = item->ConvertToDisplayText(value);
        color = item->Color();
        cv->Font()->Assign(item->Font());
        alignment = item->Alignment();
    }
    TGridDrawState state = AState;
    if (!inBand)
        HighlightDataCellColor(DataCol, dataRow, text, state, color, cv->Font());

    TGroupFooterParamsEh* params = FGroupFooterParams.get();
    params->FColor = color;
    params->FText = text;
    params->FFont->Assign(cv->Font());
    params->FState = state;
    params->FValue = value;
    if (OnDataGroupGetFooterParams && item)
        OnDataGroupGetFooterParams(this, Node, item, params);
    cv->Font()->Assign(params->FFont);
    cv->Brush()->SetColor(params->FColor);
    const int xOffs = 2;
    const int yOffs = Flat() ? 1 : 2;
    WriteTextInRect(cv, rect, true, xOffs, yOffs, params->FText, alignment, column ? column->Layout() : tlTop,
                    false, column ? column->EndEllipsis() : false, 0, 0, UseRightToLeftAlignment(), true);
}

// ============================================================================================
// Group rows under the mouse
// ============================================================================================

TGroupDataTreeNodeEh* TCustomDBGridEh::GroupRowAt(int X, int Y, bool& OnExpandBox)
{
    OnExpandBox = false;
    const TGridCoord cell = MouseCoord(X, Y);
    TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(cell.Y - TopDataOffset());
    if (!IsGroupNode(node) || cell.X < FixedColCount())
        return nullptr;
    int left = CellRect(FixedColCount(), cell.Y).Left;
    if (LeftCol() > FixedColCount())
        for (int c = FixedColCount(); c < LeftCol(); ++c)
            left -= ColWidths(c);
    if (UseRightToLeftAlignment())
        X = ClientWidth() - X;
    const int boxLeft = left + (node->Level() - 1) * GroupLevelIndentEh;
    OnExpandBox = X >= boxLeft && X < boxLeft + GroupLevelIndentEh;
    return node;
}

void TCustomDBGridEh::ToggleGroupNodeExpanded(TGroupDataTreeNodeEh* Node)
{
    if (!IsGroupNode(Node))
        return;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    {
        TGroupingBatchEh batch(FGroupingBatch);
        if (Node->Expanded())
            tree->Collapse(Node, false);
        else
            tree->Expand(Node, false);
    }
    if (FGroupRowsDirty)
        FollowGroupRows();
}
