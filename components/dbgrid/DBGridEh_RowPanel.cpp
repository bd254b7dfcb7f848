// Row panel mode: each record as one panel cell holding its columns on lines, the places of the
// columns inside the panel, hit-testing and drawing of the panel cells.
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cmath>

DOV_PUBLISHED(TGridRowPanelEh)
{
    using T = TGridRowPanelEh;
    P.Prop("Active", &T::Active, &T::SetActive).Default(false);
    P.Prop("NavKeysNavigationType", &T::NavKeysNavigationType, &T::SetNavKeysNavigationType)
        .Default(rpntRowToRowEh);
    P.Prop("TabNavigationType", &T::TabNavigationType, &T::SetTabNavigationType).Default(rpntUpToDownPriorityEh);
}

// ============================================================================================
// TGridRowPanelEh
// ============================================================================================

TGridRowPanelEh::TGridRowPanelEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

TPersistent* TGridRowPanelEh::GetOwner() const { return FGrid; }

void TGridRowPanelEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TGridRowPanelEh*>(Source)) {
        SetActive(src->Active());
        return;
    }
    TPersistent::Assign(Source);
}

void TGridRowPanelEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (Value && FGrid->ColCount() > FGrid->IndicatorOffset())
        FGrid->SetCol(FGrid->IndicatorOffset());
    FGrid->LayoutChanged();
}

// ============================================================================================
// Column lines
// ============================================================================================

void TColumnEh::SetInRowLinePos(int Value)
{
    if (Value == FInRowLinePos)
        return;
    FInRowLinePos = Value;
    Changed(false);
}

void TColumnEh::SetInRowLineHeight(int Value)
{
    if (Value == FInRowLineHeight)
        return;
    FInRowLineHeight = Value;
    Changed(false);
}

// ============================================================================================
// Places of the columns
// ============================================================================================

namespace {

int GridLineOf(TCustomDBGridEh* Grid) { return Grid->Options().Contains(dgColLines) ? Grid->GridLineWidth() : 0; }

}  // namespace

void TDBGridColumnsEh::RelayoutCellsInRowPanel()
{
    TCustomDBGridEh* grid = Grid();
    if (!grid)
        return;
    const int h = grid->InRowPanelLineHeight();
    const int g = GridLineOf(grid);
    // Per line, where the next column may start.
    std::vector<int> lineStarts;
    int masterWidth = 0;
    int masterHeight = 0;
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Items(i);
        const int first = c->InRowLinePos();
        const int last = first + c->InRowLineHeight() - 1;
        if (int(lineStarts.size()) <= last)
            lineStarts.resize(size_t(last) + 1, 0);
        int left = 0;
        for (int line = first; line <= last; ++line)
            left = std::max(left, lineStarts[size_t(line)]);
        TColumnEhInRowPanelPlacement& p = c->InRowPanelPlacement();
        p.Left = left;
        p.Top = first * (g + h);
        p.Width = c->Visible() ? c->Width() : 0;
        p.Height = c->InRowLineHeight() * (g + h) - 1;
        p.DataCellLeft = p.Left;
        p.DataCellWidth = p.Width;
        // The group indent sits before the data of a column at the leading edge; its title
        // spans the indent too.
        if (p.Left == 0 && c->Visible() && grid->ExtraFirstColumnWidth() > 0) {
            p.Width += grid->ExtraFirstColumnWidth();
            p.DataCellLeft += grid->ExtraFirstColumnWidth();
        }
        const int next = c->Visible() ? p.Left + p.Width + g : p.Left;
        for (int line = first; line <= last; ++line)
            lineStarts[size_t(line)] = next;
        if (c->Visible()) {
            masterWidth = std::max(masterWidth, p.Left + p.Width);
            masterHeight = std::max(masterHeight, p.Top + p.Height);
        }
    }
    grid->SetRowPanelMasterCellSize(masterWidth, std::max(masterHeight, h));
}

void TDBGridColumnsEh::ScaleWidths(int Divisor, int Denominator)
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || Divisor <= 0)
        return;
    const int g = GridLineOf(grid);
    const double k = double(Denominator) / double(Divisor);
    BeginUpdate();
    auto end = Finally([this] { EndUpdate(); });
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Items(i);
        const TColumnEhInRowPanelPlacement& p = c->InRowPanelPlacement();
        const int right = int(std::nearbyint((p.Left + c->Width() + g) * k));
        const int left = int(std::nearbyint(p.Left * k));
        c->SetWidth(std::max(0, right - left - g));
    }
    RelayoutCellsInRowPanel();
}

void TDBGridColumnsEh::FixupAutoFitColWidths(int GridWidth)
{
    // Line by line: the room the fixed columns leave goes to the fitting ones by their widths.
    int lines = 0;
    for (int i = 0; i < Count(); ++i)
        lines = std::max(lines, Items(i)->InRowLinePos() + Items(i)->InRowLineHeight());
    BeginUpdate();
    auto end = Finally([this] { EndUpdate(); });
    for (int line = 0; line < lines; ++line) {
        int fixedWidth = 0;
        int fitWidth = 0;
        std::vector<TColumnEh*> fitting;
        for (int i = 0; i < Count(); ++i) {
            TColumnEh* c = Items(i);
            if (!c->Visible() || c->InRowLinePos() != line)
                continue;
            if (c->AutoFitColWidth()) {
                fitting.push_back(c);
                fitWidth += c->Width();
            } else {
                fixedWidth += c->Width();
            }
        }
        if (fitting.empty() || fitWidth <= 0)
            continue;
        const int room = std::max(int(fitting.size()), GridWidth - fixedWidth);
        for (TColumnEh* c : fitting)
            c->SetWidth(std::max(1, int(int64_t(c->Width()) * room / fitWidth)));
    }
    RelayoutCellsInRowPanel();
}

// ============================================================================================
// The grid's part
// ============================================================================================

void TCustomDBGridEh::SetRowPanel(TGridRowPanelEh* Value)
{
    if (!Value) {
        if (IsLoading())
            FRowPanel->SetActive(true);
        return;
    }
    FRowPanel->Assign(Value);
}

void TCustomDBGridEh::SetRowPanelMasterCellSize(int Width, int Height)
{
    FMasterCellWidth = Width;
    FMasterCellHeight = Height;
}

int TCustomDBGridEh::InRowPanelLineHeight()
{
    TCanvas* c = MeasureCanvasEh(TitleParams()->Font());
    int h = c->TextHeight(QStringLiteral("Wg")) + 4;
    if (!Flat())
        ++h;
    return h;
}

TColumnEh* TCustomDBGridEh::GetColumnInRowPanelAtPos(TPoint Pos, bool IsTitleCell)
{
    int x = Pos.X;
    if (UseRightToLeftAlignment())
        x = FMasterCellWidth - x;
    const int lineRight = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    const int lineDown = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Items(i);
        const TColumnEhInRowPanelPlacement& p = c->InRowPanelPlacement();
        const int left = IsTitleCell ? p.Left : p.DataCellLeft;
        const int width = IsTitleCell ? p.Width : p.DataCellWidth;
        if (x >= left && x < left + width + lineRight && Pos.Y >= p.Top && Pos.Y < p.Top + p.Height + lineDown)
            return c;
    }
    return nullptr;
}

TColumnEh* TCustomDBGridEh::GetCellRectInRowPanelAtPos(TPoint Pos, TRect& CellRect, bool IncludeLines)
{
    const int lineRight = IncludeLines && Options().Contains(dgColLines) ? GridLineWidth() : 0;
    const int lineDown = IncludeLines && Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Items(i);
        const TColumnEhInRowPanelPlacement& p = c->InRowPanelPlacement();
        const TRect r(p.Left, p.Top, p.Left + p.Width + lineRight, p.Top + p.Height + lineDown);
        if (Pos.X >= r.Left && Pos.X < r.Right && Pos.Y >= r.Top && Pos.Y < r.Bottom) {
            CellRect = r;
            return c;
        }
    }
    CellRect = TRect(0, 0, 0, 0);
    return nullptr;
}

void TCustomDBGridEh::SetInRowPanelCol(int Value)
{
    if (Value < 0 || Value >= Columns()->Count())
        return;
    ScrollRowPanelColumnIntoView(Value);
    FInRowPanelCol = Value;
    InvalidateEditor();
    InvalidateRow(Row());
}

void TCustomDBGridEh::ScrollRowPanelColumnIntoView(int ColumnIndex)
{
    if (ColumnIndex < 0 || ColumnIndex >= Columns()->Count() || !HandleAllocated())
        return;
    const TColumnEhInRowPanelPlacement& p = Columns()->Items(ColumnIndex)->InRowPanelPlacement();
    const int64_t start = HorzScrollPos();
    const int view = HorzAxis()->RolClientLen();
    const int line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    const int right = p.DataCellLeft + p.DataCellWidth;
    if (right > start + view) {
        if (p.DataCellWidth > view)
            SetLeftPos(p.DataCellLeft);
        else
            SetLeftPos(right + line - view);
    } else if (p.DataCellLeft < start) {
        SetLeftPos(p.DataCellLeft);
    }
}

bool TCustomDBGridEh::HorzSmoothStep() { return RowPanelActive() || TCustomDBAxisGridEh::HorzSmoothStep(); }

void TCustomDBGridEh::LayoutRowPanelColumns()
{
    TDBGridColumnsEh* columns = Columns();
    columns->RelayoutCellsInRowPanel();
    // By place: left to right, top to bottom, a hidden column before a shown one at its place.
    std::vector<TColumnEh*> order;
    for (int i = 0; i < columns->Count(); ++i)
        order.push_back(columns->Items(i));
    std::stable_sort(order.begin(), order.end(), [](TColumnEh* a, TColumnEh* b) {
        const TColumnEhInRowPanelPlacement& pa = a->InRowPanelPlacement();
        const TColumnEhInRowPanelPlacement& pb = b->InRowPanelPlacement();
        if (pa.Left != pb.Left)
            return pa.Left < pb.Left;
        if (pa.Top != pb.Top)
            return pa.Top < pb.Top;
        return !a->Visible() && b->Visible();
    });
    TColumnEh* keyboard = FInRowPanelCol < columns->Count() ? columns->Items(FInRowPanelCol) : nullptr;
    columns->BeginUpdate();
    auto end = Finally([columns] { columns->EndUpdate(); });
    for (int i = 0; i < int(order.size()); ++i)
        if (order[size_t(i)]->Index() != i)
            order[size_t(i)]->SetIndex(i);
    if (keyboard)
        FInRowPanelCol = keyboard->Index();
}

void TCustomDBGridEh::ApplyRowPanelHeights()
{
    // The standard row height counts its line; titles and footers get theirs added.
    const int line = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    FStdDefaultRowHeight = FMasterCellHeight + line;
    if (Options().Contains(dgTitles))
        FTitleRowHeight = FMasterCellHeight;
    for (int& h : FCalculatedFooterRowHeights)
        h = FMasterCellHeight;
}

namespace {

// A column's place inside a panel cell on the screen (mirrored in right-to-left mode).
TRect PanelPlaceRect(const TRect& Cell, int Left, int Top, int Width, int Height, bool RightToLeft)
{
    const int top = Cell.Top + Top;
    if (RightToLeft)
        return TRect(Cell.Right - Left - Width, top, Cell.Right - Left, top + Height);
    return TRect(Cell.Left + Left, top, Cell.Left + Left + Width, top + Height);
}

}  // namespace

void TCustomDBGridEh::DrawRowPanelPlaceLines(const TRect& Cell, const TRect& Place, TColor Color)
{
    // The line under the place and the one at its trailing edge, where they fall in the cell.
    const int vert = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    const int horz = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color);
    if (horz > 0 && Place.Bottom < Cell.Bottom)
        c->FillRect(TRect(Place.Left, Place.Bottom, Place.Right + vert, std::min(Cell.Bottom, Place.Bottom + horz)));
    if (vert > 0) {
        const int x = UseRightToLeftAlignment() ? Place.Left - vert : Place.Right;
        if (x >= Cell.Left && x < Cell.Right)
            c->FillRect(TRect(x, Place.Top, x + vert, std::min(Cell.Bottom, Place.Bottom + horz)));
    }
}

TGridDrawState TCustomDBGridEh::RowPanelColumnState(TColumnEh* Column, bool CurrentRow, TGridDrawState AState)
{
    TGridDrawState state = AState;
    state.Exclude(gdSelected);
    state.Exclude(gdFocused);
    state.Exclude(gdCurrent);
    const bool keyboard = CurrentRow && Column->Index() == FInRowPanelCol;
    if (keyboard || (CurrentRow && Options().Contains(dgRowSelect)))
        state.Include(gdSelected);
    if (keyboard)
        state.Include(gdCurrent);
    if (state.Contains(gdSelected) && Focused())
        state.Include(gdFocused);
    return state;
}

namespace {

// Fills a panel cell, then draws the lines of each shown column's place and the column itself at
// its place (its data place for data cells).
template <class DrawPlace>
void DrawPanelPlaces(TCustomDBGridEh* Grid, const TRect& Cell, TColor Background, TColor Line, bool DataPlaces,
                     DrawPlace Draw)
{
    TCanvas* c = Grid->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Background);
    c->FillRect(Cell);
    const bool rtl = Grid->UseRightToLeftAlignment();
    TAxisBarsEhList* shown = Grid->VisibleAxisBars();
    for (int i = 0; i < shown->Count(); ++i) {
        auto* column = static_cast<TColumnEh*>(shown->Items(i));
        const TColumnEhInRowPanelPlacement& p = column->InRowPanelPlacement();
        Grid->DrawRowPanelPlaceLines(Cell, PanelPlaceRect(Cell, p.Left, p.Top, p.Width, p.Height, rtl), Line);
        Draw(column, DataPlaces ? PanelPlaceRect(Cell, p.DataCellLeft, p.Top, p.DataCellWidth, p.Height, rtl)
                                : PanelPlaceRect(Cell, p.Left, p.Top, p.Width, p.Height, rtl));
    }
}

}  // namespace

void TCustomDBGridEh::DrawRowPanelTitleCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect)
{
    DrawPanelPlaces(this, ARect, ColumnDefValues()->Title()->Color(), GridLineParams()->GetDarkColor(), false,
                    [&](TColumnEh* Column, const TRect& Place) {
                        DrawTitleAreaCell(ACol, ARow, AState, Place, ARow, Column->Index());
                    });
}

void TCustomDBGridEh::DrawRowPanelDataCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow)
{
    const bool current = DataRow + TopDataOffset() == Row();
    // The inner lines of other records are paler, unless a panel has one line only.
    TColor line = GridLineParams()->GetBrightColor();
    if (!current && FMasterCellHeight > InRowPanelLineHeight() + GridLineWidth())
        line = BlendColorsPercent(line, clWindow, 66);
    DrawPanelPlaces(this, ARect, Color(), line, true, [&](TColumnEh* Column, const TRect& Place) {
        DrawDataCell(ACol, ARow, RowPanelColumnState(Column, current, AState), Place, DataRow, Column->Index());
    });
    if (FExtraFirstColumnWidth > 0)
        if (TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(DataRow))
            DrawDataCellGroupIndent(DataRow, node, ARect);
}

void TCustomDBGridEh::DrawRowPanelFooterCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect,
                                             int FooterRow)
{
    DrawPanelPlaces(this, ARect, Color(), GridLineParams()->GetBrightColor(), false,
                    [&](TColumnEh* Column, const TRect& Place) {
                        DrawFooterCell(ACol, ARow, AState, Place, FooterRow, Column->Index());
                    });
}
