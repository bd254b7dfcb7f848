// Grouping in the data grid: the grid's grouping settings and levels, and the group panel
// above the titles (layout, painting and the mouse on its level boxes).
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

namespace {

const char* const SGroupingNotPossible = "Группировка по этому полю невозможна";
const char* const SGroupPanelHint = "Перетащите сюда заголовок, чтобы сгруппировать по столбцу";

int TextHeightIn(TFont* AFont, const QString& Text) { return MeasureCanvasEh(AFont)->TextHeight(Text); }
int TextWidthIn(TFont* AFont, const QString& Text) { return MeasureCanvasEh(AFont)->TextWidth(Text); }

}  // namespace

// ============================================================================================
// Parameter objects of group rows and group footers
// ============================================================================================

TGroupRowParamsEh::TGroupRowParamsEh() : FFont(Create<TFont>()) {}
TGroupRowParamsEh::~TGroupRowParamsEh() { delete FFont; }
void TGroupRowParamsEh::SetFont(TFont* Value) { FFont->Assign(Value); }

TGroupFooterParamsEh::TGroupFooterParamsEh() : FFont(Create<TFont>()) {}
TGroupFooterParamsEh::~TGroupFooterParamsEh() { delete FFont; }
void TGroupFooterParamsEh::SetFont(TFont* Value) { FFont->Assign(Value); }

// ============================================================================================
// TDBGridEhGroupingPanelEh
// ============================================================================================

DOV_PUBLISHED(TDBGridEhGroupingPanelEh)
{
    P.Prop("Color", &TDBGridEhGroupingPanelEh::StoredColor, &TDBGridEhGroupingPanelEh::SetColor).Default(clDefault);
}

void TDBGridEhGroupingPanelEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TDBGridEhGroupingPanelEh*>(Source))
        SetColor(src->StoredColor());
    else
        TPersistent::Assign(Source);
}

TColor TDBGridEhGroupingPanelEh::Color() const
{
    if (FColor != clDefault)
        return FColor;
    TCustomDBGridEh* grid = FDataGroups ? FDataGroups->Grid() : nullptr;
    if (grid && grid->Style())
        return grid->Style()->GetGroupPanelColor(grid);
    return clBtnFace;
}

void TDBGridEhGroupingPanelEh::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FColor = Value;
    if (TCustomDBGridEh* grid = FDataGroups ? FDataGroups->Grid() : nullptr)
        grid->Invalidate();
}

// ============================================================================================
// TDBGridEhDataGroupLevelEh
// ============================================================================================

DOV_PUBLISHED(TDBGridEhDataGroupLevelEh)
{
    using L = TDBGridEhDataGroupLevelEh;
    using B = TGridDataGroupLevelEh;
    P.Prop("Color", &B::Color, &B::SetColor).NoDefault().Stored(&B::IsColorStored);
    P.Prop("ColumnName", &L::ColumnName, &L::SetColumnName);
    P.Prop("Font", &B::Font, &B::SetFont).Stored(&B::IsFontStored);
    P.Prop("ParentColor", &B::ParentColor, &B::SetParentColor).Default(true);
    P.Prop("ParentFont", &B::ParentFont, &B::SetParentFont).Default(true);
    P.Prop("RowHeight", &B::RowHeight, &B::SetRowHeight).NoDefault().Stored(&B::IsRowHeightStored);
    P.Prop("RowHeightStored", &B::RowHeightStored, &B::SetRowHeightStored).Default(false);
    P.Prop("RowLines", &B::RowLines, &B::SetRowLines).NoDefault().Stored(&B::IsRowLinesStored);
    P.Prop("RowLinesStored", &B::RowLinesStored, &B::SetRowLinesStored).Default(false);
    P.Prop("OnGetKeyValue", &L::OnGetKeyValue);
    P.Prop("OnGetKeyValueAsText", &L::OnGetKeyValueAsText);
    P.Prop("OnGetGroupRowText", &L::OnGetGroupRowText);
}

TCustomDBGridEh* TDBGridEhDataGroupLevelEh::DBGrid() const
{
    auto* groups = dynamic_cast<TDBGridEhDataGroupsEh*>(DataGroups());
    return groups ? groups->Grid() : nullptr;
}

TColumnEh* TDBGridEhDataGroupLevelEh::Column() const
{
    return dynamic_cast<TColumnEh*>(TGridDataGroupLevelEh::Column());
}

void TDBGridEhDataGroupLevelEh::SetColumn(TColumnEh* Value) { TGridDataGroupLevelEh::SetColumn(Value); }

QString TDBGridEhDataGroupLevelEh::ColumnName() const
{
    if (TColumnEh* column = Column())
        if (TCustomDBGridEh* grid = column->Grid())
            return grid->Columns()->BarNameOf(column);
    return FLoadingColumnName;
}

void TDBGridEhDataGroupLevelEh::SetColumnName(const QString& Value)
{
    TCustomDBGridEh* grid = DBGrid();
    if (!grid || grid->ComponentState().Contains(csLoading)) {
        FLoadingColumnName = Value;
        return;
    }
    FLoadingColumnName.clear();
    SetColumn(grid->Columns()->FindColumnByName(Value));
}

void TDBGridEhDataGroupLevelEh::ResolveLoadingColumnName()
{
    if (FLoadingColumnName.isEmpty())
        return;
    const QString name = FLoadingColumnName;
    FLoadingColumnName.clear();
    if (TCustomDBGridEh* grid = DBGrid())
        SetColumn(grid->Columns()->FindColumnByName(name));
}

void TDBGridEhDataGroupLevelEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDBGridEhDataGroupLevelEh*>(Source);
    if (!src) {
        TGridDataGroupLevelEh::Assign(Source);
        return;
    }
    SetColor(src->Color());
    SetColumnName(src->ColumnName());
    SetFont(src->Font());
    SetParentColor(src->ParentColor());
    SetParentFont(src->ParentFont());
    SetSortOrder(src->SortOrder());
    SetRowHeight(src->RowHeight());
    SetRowHeightStored(src->RowHeightStored());
    SetRowLines(src->RowLines());
    SetRowLinesStored(src->RowLinesStored());
    OnGetKeyValue = src->OnGetKeyValue;
    OnGetKeyValueAsText = src->OnGetKeyValueAsText;
    OnGetGroupRowText = src->OnGetGroupRowText;
}

Variant TDBGridEhDataGroupLevelEh::GetKeyValue()
{
    Variant key = TGridDataGroupLevelEh::GetKeyValue();
    TColumnEh* column = Column();
    if (!column)
        return key;
    TCustomDBGridEh* grid = DBGrid();
    if (column->OnGroupGetKeyValue)
        column->OnGroupGetKeyValue(grid, column, key);
    if (OnGetKeyValue)
        OnGetKeyValue(grid, this, key);
    return key;
}

QString TDBGridEhDataGroupLevelEh::GetKeyValueAsText(TGroupDataTreeNodeEh* Node)
{
    TColumnEh* column = Column();
    if (!column)
        return TGridDataGroupLevelEh::GetKeyValueAsText(Node);
    QString text = column->DisplayText();
    TCustomDBGridEh* grid = DBGrid();
    const Variant key = Node ? Node->KeyValue() : Variant();
    if (column->OnGroupGetKeyValueAsText)
        column->OnGroupGetKeyValueAsText(grid, column, Node, key, text);
    if (OnGetKeyValueAsText)
        OnGetKeyValueAsText(grid, Node, key, text);
    return text;
}

QString TDBGridEhDataGroupLevelEh::GetGroupRowText(TGroupDataTreeNodeEh* Node)
{
    TColumnEh* column = Column();
    QString text;
    if (column)
        text = column->Title()->Caption() + QStringLiteral(": ");
    text += Node->DisplayValue() + QStringLiteral(" (") + QString::number(Node->Count()) + QStringLiteral(")");
    if (column) {
        TCustomDBGridEh* grid = DBGrid();
        if (grid && grid->OnDataGroupGetRowText)
            grid->OnDataGroupGetRowText(grid, Node, text);
        if (OnGetGroupRowText)
            OnGetGroupRowText(grid, Node, text);
    }
    return text;
}

void TDBGridEhDataGroupLevelEh::AppearanceChanged()
{
    TColumnEh* column = Column();
    TCustomDBGridEh* grid = column ? column->Grid() : nullptr;
    if (!grid)
        return;
    grid->Invalidate();
    grid->UpdateAllDataRowHeights();
}

// ============================================================================================
// TDBGridEhDataGroupsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridEhDataGroupsEh)
{
    P.Prop("GroupPanel", &TDBGridEhDataGroupsEh::GroupPanel, &TDBGridEhDataGroupsEh::SetGroupPanel);
}

TDBGridEhDataGroupsEh::TDBGridEhDataGroupsEh(TCustomDBGridEh* AGrid)
    : TGridDataGroupsEh(AGrid), FDBGrid(AGrid), FGroupPanel(new TDBGridEhGroupingPanelEh(this))
{
}

TDBGridEhDataGroupsEh::~TDBGridEhDataGroupsEh() = default;

void TDBGridEhDataGroupsEh::Assign(TPersistent* Source) { TGridDataGroupsEh::Assign(Source); }

TDBGridEhDataGroupLevelEh* TDBGridEhDataGroupsEh::DBGroupLevel(int Index) const
{
    return static_cast<TDBGridEhDataGroupLevelEh*>(GroupLevels()->Items(Index));
}

TDBGridEhDataGroupLevelEh* TDBGridEhDataGroupsEh::ActiveDBGroupLevel(int Index) const
{
    return static_cast<TDBGridEhDataGroupLevelEh*>(ActiveGroupLevels(Index));
}

TGridDataGroupLevelsEh* TDBGridEhDataGroupsEh::CreateGroupLevels()
{
    return Create<TGridDataGroupLevelsEh>(this, TDBGridEhDataGroupLevelEh::StaticClassInfo());
}

TColor TDBGridEhDataGroupsEh::GetFooterParentColor() const { return FDBGrid->FooterParams()->Color(); }

TFont* TDBGridEhDataGroupsEh::GetFooterParentFont() const { return FDBGrid->FooterParams()->Font(); }

bool TDBGridEhDataGroupsEh::IsGroupingWorks() const
{
    return Active() && FDBGrid->GridHasIntMemTable() && FDBGrid->DataLink() && FDBGrid->DataLink()->Active();
}

bool TDBGridEhDataGroupsEh::IsGroupingWorksWithLevel()
{
    return IsGroupingWorks() && ActiveGroupLevelsCount() > 0;
}

TGroupDataTreeNodeEh* TDBGridEhDataGroupsEh::CurDataNode() const { return FDBGrid->CurGroupDataNode(); }

void TDBGridEhDataGroupsEh::ActiveChanged()
{
    if (FDBGrid->ComponentState().Contains(csDestroying))
        return;
    FDBGrid->LinkActive(FDBGrid->DataLink() && FDBGrid->DataLink()->Active());
    FDBGrid->GroupPanelChanged();
    if (FDBGrid->OnActiveGroupingStructChanged)
        FDBGrid->OnActiveGroupingStructChanged(FDBGrid);
}

void TDBGridEhDataGroupsEh::ActiveGroupingStructChanged()
{
    if (FDBGrid->ComponentState().Contains(csDestroying))
        return;
    FDBGrid->MTEventReceived(-1, mtViewDataChangedEh, -1);
    FDBGrid->GroupPanelChanged();
    if (FDBGrid->OnActiveGroupingStructChanged)
        FDBGrid->OnActiveGroupingStructChanged(FDBGrid);
}

void TDBGridEhDataGroupsEh::AppearanceChanged()
{
    FDBGrid->Invalidate();
    FDBGrid->UpdateAllDataRowHeights();
}

void TDBGridEhDataGroupsEh::ApplySortMarking()
{
    if (FDBGrid->DataLink() && FDBGrid->DataLink()->Active() && FDBGrid->OptionsEh().Contains(dghAutoSortMarking))
        FDBGrid->ApplySortMarking();
}

void TDBGridEhDataGroupsEh::RebuildActiveGroupLevels()
{
    TGridDataGroupsEh::RebuildActiveGroupLevels();
    FHotTrackGroupLevelIdx = -1;
    ApplySortMarking();
}

void TDBGridEhDataGroupsEh::ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder)
{
    TGridDataGroupsEh::ResortGroupLevel(LevelIndex, SortOrder);
    ApplySortMarking();
}

void TDBGridEhDataGroupsEh::ColumnRemoved(TColumnEh* Column)
{
    // Footer items keep a pointer to their column: a freed column leaves them without one, so
    // their values are empty until the footers are synchronised with the columns again.
    const auto forget = [Column](TGridDataGroupFootersEh* footers) {
        for (int f = 0; f < footers->Count(); ++f) {
            TGridDataGroupFooterColumnItemsEh* items = footers->Items(f)->ColumnItems();
            for (int i = 0; i < items->Count(); ++i)
                if (items->Items(i)->Column() == Column)
                    items->Items(i)->SetColumn(nullptr);
        }
    };
    forget(Footers());
    for (int i = 0; i < GroupLevels()->Count(); ++i) {
        if (DBGroupLevel(i)->Column() == Column)
            DBGroupLevel(i)->SetColumn(nullptr);
        forget(GroupLevels()->Items(i)->Footers());
    }
}

void TDBGridEhDataGroupsEh::GridColumnsLoaded()
{
    for (int i = 0; i < GroupLevels()->Count(); ++i)
        DBGroupLevel(i)->ResolveLoadingColumnName();
    ColumnsLoaded();
}

// ============================================================================================
// The grid: settings and the group panel
// ============================================================================================

void TCustomDBGridEh::SetDataGrouping(TDBGridEhDataGroupsEh* Value) { FDataGrouping->Assign(Value); }

bool TCustomDBGridEh::GroupingRowsShown() { return FDataGrouping && FDataGrouping->IsGroupingWorksWithLevel(); }

int TCustomDBGridEh::GroupPanelHeight()
{
    if (!FDataGrouping || !FDataGrouping->GroupPanelVisible())
        return 0;
    const int count = FDataGrouping->ActiveGroupLevelsCount();
    if (count == 0) {
        const int o = TextWidthIn(Font(), QStringLiteral("o"));
        return 2 * o / 3 + TextHeightIn(Font(), QStringLiteral("Wg")) + FInterlinear + 8;
    }
    int bottom = 0;
    for (int i = 0; i < count; ++i)
        bottom = std::max(bottom, FDataGrouping->ActiveDBGroupLevel(i)->GroupPanelRect().Bottom);
    return bottom + 5;
}

void TCustomDBGridEh::GroupPanelChanged()
{
    LayoutChanged();
    if (FDataGrouping->GroupPanelVisible())
        LayoutGroupPanel();
    FDataGrouping->SetTop(0);
    OutBoundaryData()->SetTopIndent(GroupPanelHeight());
    LayoutChanged();
}

void TCustomDBGridEh::LayoutGroupPanel()
{
    if (!HandleAllocated())
        return;
    const int o = TextWidthIn(Font(), QStringLiteral("o"));
    const int c = 2 * o / 3;
    TTextMetric tm;
    GetTextMetrics(MeasureCanvasEh(TitleFont())->Handle(), tm);
    const int h = std::min(FTitleRowHeight > 0 ? FTitleRowHeight : tm.tmHeight + tm.tmExternalLeading + 7,
                           tm.tmHeight + tm.tmExternalLeading + 7) +
                  2;
    int left = o;
    int top = c;
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
        TDBGridEhDataGroupLevelEh* level = FDataGrouping->ActiveDBGroupLevel(i);
        TColumnEh* column = level->Column();
        if (!column)
            continue;
        QString caption;
        if (Center())
            Center()->GetGroupLevelCaption(this, column, caption);
        int right = left + TextWidthIn(Font(), caption) + column->Title()->ImageAreaWidth() + FInterlinear + 7 + 16;
        if (FilterRowInTitle())
            right += column->Title()->GetFilterButtonAreaWidth();
        level->SetGroupPanelRect(TRect(left, top, right, top + h));
        left = right + c;
        top += h / 2;
    }
}

void TCustomDBGridEh::DrawTopOutBoundary(const TRect& ARect)
{
    if (!FDataGrouping || !FDataGrouping->GroupPanelVisible()) {
        TCustomDBAxisGridEh::DrawTopOutBoundary(ARect);
        return;
    }
    TCanvas* cv = Canvas();
    const int panelTop = ARect.Top + FDataGrouping->Top();
    const TRect panel(ARect.Left, panelTop, ARect.Right, panelTop + GroupPanelHeight());
    cv->Brush()->SetStyle(bsSolid);
    cv->Brush()->SetColor(FDataGrouping->GroupPanel()->Color());
    cv->FillRect(panel);
    cv->Pen()->SetColor(TitleParams()->GetHorzLineColor());
    cv->Polyline({TPoint(panel.Left, panel.Bottom - 1), TPoint(panel.Right, panel.Bottom - 1)});

    const int count = FDataGrouping->ActiveGroupLevelsCount();
    const int o = TextWidthIn(Font(), QStringLiteral("o"));
    const int c = 2 * o / 3;
    if (count == 0) {
        const int h6 = (panel.Bottom - panel.Top) / 6;
        cv->Font()->Assign(Font());
        cv->Font()->SetColor(BlendColors(GridLineParams()->DarkColor(), Font()->GetColor(), 128));
        cv->Brush()->SetStyle(bsClear);
        cv->TextOut(panel.Left + h6, panel.Top + h6, QString::fromUtf8(SGroupPanelHint));
        cv->Brush()->SetStyle(bsSolid);
        return;
    }
    for (int i = 0; i < count; ++i) {
        TDBGridEhDataGroupLevelEh* level = FDataGrouping->ActiveDBGroupLevel(i);
        TRect box = level->GroupPanelRect();
        OffsetRect(box, ARect.Left, panelTop);
        DrawGroupPanelLevel(box, level);
        if (i + 1 < count) {
            cv->Pen()->SetColor(GridLineParams()->DarkColor());
            cv->Polyline({TPoint(box.Right - o, box.Bottom), TPoint(box.Right - o, box.Bottom + c),
                          TPoint(box.Right + c, box.Bottom + c)});
        }
    }
}

void TCustomDBGridEh::DrawGroupPanelLevel(const TRect& ARect, TDBGridEhDataGroupLevelEh* Level)
{
    TCanvas* cv = Canvas();
    TColumnEh* column = Level->Column();
    cv->Brush()->SetStyle(bsSolid);
    cv->Brush()->SetColor(GridLineParams()->DarkColor());
    cv->FrameRect(ARect);
    TRect inner = ARect;
    InflateRect(inner, -1, -1);
    cv->Brush()->SetColor(Color());
    cv->FillRect(inner);
    if (!column)
        return;

    const int levelIdx = Level->ActiveIndex();
    TDBGirdDrawTitleStateEh st;
    st.Down = FDBGridEhState == dgsGroupPanelTitleDown && FPressedDataGroupLevelIdx == levelIdx && FGroupPanelPressed;
    st.The3DRect = OptionsEh().Contains(dghFixed3D);
    Center()->GetGroupLevelCaption(this, column, st.Caption);
    st.BackColor = column->Title()->Color();
    st.DrawFilterButton = FilterRowInTitle();
    st.SortMarker = Level->SortOrder() == soAscEh ? smUpEh : smDownEh;
    st.DrawSortIndex = false;
    st.FontCharset = Font()->GetCharset();
    st.FontColor = Font()->GetColor();
    st.FontHeight = Font()->GetHeight();
    st.FontName = Font()->GetName();
    st.FontStyle = Font()->GetStyle();
    st.Layout = tlCenter;
    st.Highlight = FDataGrouping->HotTrackGroupLevelIdx() == levelIdx;
    DrawTitleCell(column, inner, st, TGridDrawState{gdFixed});
}

// ---------------------------------------------------------------- mouse on the panel

namespace {

// The level box of a point in panel coordinates (mirrored in right-to-left mode), -1 for none.
int GroupPanelLevelAt(TDBGridEhDataGroupsEh* Groups, int X, int Y, int PanelTop)
{
    for (int i = 0; i < Groups->ActiveGroupLevelsCount(); ++i) {
        TRect box = Groups->ActiveDBGroupLevel(i)->GroupPanelRect();
        OffsetRect(box, 0, PanelTop);
        InflateRect(box, -1, -1);
        if (X >= box.Left && X < box.Right && Y >= box.Top && Y < box.Bottom)
            return i;
    }
    return -1;
}

}  // namespace

bool TCustomDBGridEh::GroupPanelMouseDown(int X, int Y)
{
    if (!FDataGrouping->GroupPanelVisible())
        return false;
    if (UseRightToLeftAlignment())
        X = ClientWidth() - X;
    const int idx = GroupPanelLevelAt(FDataGrouping.get(), X, Y, FDataGrouping->Top());
    if (idx < 0)
        return false;
    TColumnEh* column = FDataGrouping->ActiveDBGroupLevel(idx)->Column();
    bool enabled = true;
    const bool titleButton = column && CheckTitleButton(column->Index(), enabled) && column->Title()->TitleButton();
    if (!titleButton) {
        FGroupDataMovingIndex = idx;
        StartGroupPanelLevelMoving(X, Y);
    } else {
        SetMouseCapture(true);
        FGroupPanelPressed = true;
        FDBGridEhState = dgsGroupPanelTitleDown;
        FPressedDataGroupLevelIdx = idx;
        Invalidate();
    }
    return true;
}

void TCustomDBGridEh::StartGroupPanelColumnMoving(int DataCol, int X, int Y)
{
    FGroupDataMovingIndex = -1;
    FGroupPanelMovingDataCol = DataCol;
    StartGroupPanelLevelMoving(X, Y);
}

void TCustomDBGridEh::StartGroupPanelLevelMoving(int X, int Y)
{
    (void)Y;
    HideEditor();
    TPoint mark;
    int height = 0;
    GetGroupPanelDropPos(X, mark, height);
    ShowMoveLineWindow(mark, true, height);
    FDBGridEhState = dgsGroupPanelTitleMoving;
}

int TCustomDBGridEh::GetGroupPanelDropPos(int X, TPoint& MarkPos, int& MarkHeight)
{
    if (UseRightToLeftAlignment())
        X = ClientWidth() - X;
    const int o = TextWidthIn(Font(), QStringLiteral("o"));
    const int c = 2 * o / 3;
    const int count = FDataGrouping->ActiveGroupLevelsCount();
    int idx = 0;
    while (idx < count) {
        const TRect box = FDataGrouping->ActiveDBGroupLevel(idx)->GroupPanelRect();
        if ((box.Left + box.Right) / 2 >= X)
            break;
        ++idx;
    }
    const int top = FDataGrouping->Top();
    if (count == 0) {
        MarkPos = TPoint(o - o / 2, c + top);
    } else if (idx < count) {
        const TRect box = FDataGrouping->ActiveDBGroupLevel(idx)->GroupPanelRect();
        MarkPos = TPoint(box.Left - o / 2, box.Top + top);
    } else {
        const TRect box = FDataGrouping->ActiveDBGroupLevel(count - 1)->GroupPanelRect();
        MarkPos = TPoint(box.Right + o / 2, box.Top + top);
    }
    if (UseRightToLeftAlignment())
        MarkPos.X = ClientWidth() - MarkPos.X;
    MarkHeight = TextHeightIn(Font(), QStringLiteral("Wg")) + FInterlinear + 3;
    return idx;
}

void TCustomDBGridEh::GroupPanelMouseMove(int X, int Y)
{
    if (FDBGridEhState != dgsGroupPanelTitleMoving)
        return;
    if (Y >= 0 && Y < OutBoundaryData()->TopIndent()) {
        TPoint mark;
        int height = 0;
        GetGroupPanelDropPos(X, mark, height);
        ShowMoveLineWindow(mark, true, height);
    } else {
        HideMoveLine();
    }
}

void TCustomDBGridEh::EndGroupPanelMoving(bool Accept, int X, int Y)
{
    (void)Y;
    HideMoveLine();
    FDBGridEhState = dgsNormal;
    const int movingLevel = FGroupDataMovingIndex;
    const int movingCol = FGroupPanelMovingDataCol;
    FGroupDataMovingIndex = -1;
    FGroupPanelMovingDataCol = -1;
    if (!Accept)
        return;
    TPoint mark;
    int height = 0;
    int drop = GetGroupPanelDropPos(X, mark, height);
    TGridDataGroupLevelsEh* levels = FDataGrouping->GroupLevels();
    if (movingLevel < 0) {
        if (movingCol < 0 || movingCol >= Columns()->Count())
            return;
        TColumnEh* column = Columns()->Items(movingCol);
        int existing = -1;
        for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i)
            if (FDataGrouping->ActiveDBGroupLevel(i)->Column() == column)
                existing = i;
        if (existing >= 0) {
            if (existing < drop)
                --drop;
            if (existing != drop)
                FDataGrouping->ActiveDBGroupLevel(existing)->SetIndex(
                    FDataGrouping->ActiveDBGroupLevel(drop)->Index());
            return;
        }
        if (Center() && !Center()->ColumnValueTypeIsComparable(this, column))
            throw Exception(QString::fromUtf8(SGroupingNotPossible));
        const int at = drop < FDataGrouping->ActiveGroupLevelsCount()
                           ? FDataGrouping->ActiveDBGroupLevel(drop)->Index()
                           : levels->Count();
        levels->BeginUpdate();
        {
            auto end = Finally([levels] { levels->EndUpdate(); });
            auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(levels->Add());
            level->SetColumn(column);
            level->SetIndex(at);
        }
        if (VisibleAxisBars()->Count() > 1)
            column->SetVisible(false);
        return;
    }
    if (movingLevel < drop)
        --drop;
    if (drop != movingLevel && drop >= 0 && drop < FDataGrouping->ActiveGroupLevelsCount())
        FDataGrouping->ActiveDBGroupLevel(movingLevel)->SetIndex(FDataGrouping->ActiveDBGroupLevel(drop)->Index());
}

void TCustomDBGridEh::GroupPanelTitleMouseUp(int X, int Y)
{
    const int idx = FPressedDataGroupLevelIdx;
    const bool wasPressed = FGroupPanelPressed;
    FGroupPanelPressed = false;
    FPressedDataGroupLevelIdx = -1;
    FDBGridEhState = dgsNormal;
    if (MouseCapture())
        SetMouseCapture(false);
    Invalidate();
    if (idx < 0 || idx >= FDataGrouping->ActiveGroupLevelsCount() || !wasPressed)
        return;
    if (UseRightToLeftAlignment())
        X = ClientWidth() - X;
    if (GroupPanelLevelAt(FDataGrouping.get(), X, Y, FDataGrouping->Top()) != idx)
        return;
    TDBGridEhDataGroupLevelEh* level = FDataGrouping->ActiveDBGroupLevel(idx);
    if (TColumnEh* column = level->Column())
        TitleBtnClick(column->Index(), column);
    level->SetSortOrder(level->SortOrder() == soAscEh ? soDescEh : soAscEh);
    SelectDataGroupNodeOrParent(FCurGroupDataNode);
}

void TCustomDBGridEh::DropGroupLevelOnTitles(int ActiveLevelIndex)
{
    if (ActiveLevelIndex < 0 || ActiveLevelIndex >= FDataGrouping->ActiveGroupLevelsCount())
        return;
    TDBGridEhDataGroupLevelEh* level = FDataGrouping->ActiveDBGroupLevel(ActiveLevelIndex);
    if (TColumnEh* column = level->Column())
        column->SetVisible(true);
    delete level;
}

bool TCustomDBGridEh::InGroupPanel(int X, int Y)
{
    (void)X;
    return FDataGrouping->GroupPanelVisible() && Y >= FDataGrouping->Top() &&
           Y < FDataGrouping->Top() + GroupPanelHeight();
}

// ---------------------------------------------------------------- what the tree asks of the grid

int TDBGridEhDataGroupsEh::GridGroupNodeRowHeight(TGroupDataTreeNodeEh* Node)
{
    return FDBGrid->CalcDataGroupNodeRowHeight(Node);
}

int TDBGridEhDataGroupsEh::GridDataRowHeight() { return FDBGrid->CalcCurrentRowHeight(); }

void TDBGridEhDataGroupsEh::GridFlatListChanged()
{
    ++FFlatListGeneration;
    if (!FDBGrid->ComponentState().Contains(csDestroying) && FDBGrid->GroupingRowsShown())
        FDBGrid->GroupingFlatListChanged();
}

void TDBGridEhDataGroupsEh::GridRowValuesChanged()
{
    if (!FDBGrid->ComponentState().Contains(csDestroying) && FDBGrid->GroupingRowsShown())
        FDBGrid->Invalidate();
}

void TDBGridEhDataGroupsEh::GridRowHeightChanged(int FlatIndex)
{
    if (FDBGrid->GroupingRowsShown())
        FDBGrid->UpdateDataRowHeight(FlatIndex);
}

void TDBGridEhDataGroupsEh::GridLayoutChanged()
{
    if (FDBGrid->ComponentState().Contains(csDestroying))
        return;
    FDBGrid->UpdateExtraFirstColumnWidth();
    FDBGrid->GroupPanelChanged();
}

bool TDBGridEhDataGroupsEh::BeginGridDataSetMove() { return FDBGrid->BeginGroupDataSetMove(); }

void TDBGridEhDataGroupsEh::EndGridDataSetMove() { FDBGrid->EndGroupDataSetMove(); }

// ---------------------------------------------------------------- the application's footer steps

namespace {

// Runs the column's event, then the grid's unless the column's processed the value.
template <class Call>
bool RunFooterHooksEh(TCustomDBGridEh* Grid, TGridDataGroupFooterColumnItemEh* Item, Call&& CallBoth)
{
    if (Grid->ComponentState().Contains(csLoading))
        return false;
    bool processed = false;
    CallBoth(dynamic_cast<TColumnEh*>(Item->Column()), processed);
    return processed;
}

}  // namespace

bool TDBGridEhDataGroupsEh::FooterValueHooksAssigned() const
{
    if (FDBGrid->OnDataGroupFooterAggregateValue || FDBGrid->OnDataGroupFooterFinalizeValue)
        return true;
    TDBGridColumnsEh* columns = FDBGrid->Columns();
    for (int i = 0; i < columns->Count(); ++i)
        if (columns->Items(i)->OnDataGroupFooterAggregateValue || columns->Items(i)->OnDataGroupFooterFinalizeValue)
            return true;
    return false;
}

bool TDBGridEhDataGroupsEh::DataGroupFooterAggregateValue(TGridDataGroupFooterEh* GroupFooter,
                                                          TGridDataGroupFooterColumnItemEh* FooterColumnItem,
                                                          Variant& AValue, TGroupDataTreeNodeEh* Node)
{
    return RunFooterHooksEh(FDBGrid, FooterColumnItem, [&](TColumnEh* Column, bool& Processed) {
        if (Column && Column->OnDataGroupFooterAggregateValue)
            Column->OnDataGroupFooterAggregateValue(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue, Node,
                                                    Processed);
        if (!Processed && FDBGrid->OnDataGroupFooterAggregateValue)
            FDBGrid->OnDataGroupFooterAggregateValue(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue, Node,
                                                     Processed);
    });
}

bool TDBGridEhDataGroupsEh::DataGroupFooterFinalizeValue(TGridDataGroupFooterEh* GroupFooter,
                                                         TGridDataGroupFooterColumnItemEh* FooterColumnItem,
                                                         Variant& AValue)
{
    return RunFooterHooksEh(FDBGrid, FooterColumnItem, [&](TColumnEh* Column, bool& Processed) {
        if (Column && Column->OnDataGroupFooterFinalizeValue)
            Column->OnDataGroupFooterFinalizeValue(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue, Processed);
        if (!Processed && FDBGrid->OnDataGroupFooterFinalizeValue)
            FDBGrid->OnDataGroupFooterFinalizeValue(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue, Processed);
    });
}

bool TDBGridEhDataGroupsEh::DataGroupFooterToDisplayText(TGridDataGroupFooterEh* GroupFooter,
                                                         TGridDataGroupFooterColumnItemEh* FooterColumnItem,
                                                         Variant& AValue, QString& DisplayValue)
{
    return RunFooterHooksEh(FDBGrid, FooterColumnItem, [&](TColumnEh* Column, bool& Processed) {
        if (Column && Column->OnDataGroupFooterToDisplayText)
            Column->OnDataGroupFooterToDisplayText(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue,
                                                   DisplayValue, Processed);
        if (!Processed && FDBGrid->OnDataGroupFooterToDisplayText)
            FDBGrid->OnDataGroupFooterToDisplayText(FDBGrid, Column, GroupFooter, FooterColumnItem, AValue,
                                                    DisplayValue, Processed);
    });
}
