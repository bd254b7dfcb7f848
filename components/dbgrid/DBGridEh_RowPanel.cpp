// Row panel mode: each record as one panel cell holding its columns on lines, the places of the
// columns inside the panel, hit-testing and drawing of the panel cells.
#include "DBGridEh.h"

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
    bool anyVisible = false;
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
        const int next = c->Visible() ? p.Left + p.Width + g : p.Left;
        for (int line = first; line <= last; ++line)
            lineStarts[size_t(line)] = next;
        if (c->Visible()) {
            anyVisible = true;
            masterWidth = std::max(masterWidth, p.Left + c->Width());
            masterHeight = std::max(masterHeight, p.Top + p.Height);
        }
    }
    (void)anyVisible;
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

void TCustomDBGridEh::DrawRowPanelTitleCell(int, int, TGridDrawState, const TRect& ARect)
{
    Canvas()->Brush()->SetColor(FixedColor());
    Canvas()->FillRect(ARect);
}

void TCustomDBGridEh::DrawRowPanelDataCell(int, int, TGridDrawState, const TRect& ARect, int)
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ARect);
}

void TCustomDBGridEh::DrawRowPanelFooterCell(int, int, TGridDrawState, const TRect& ARect, int)
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ARect);
}
