// Sizing rows and columns by their boundary lines and moving them by their fixed cells.
#include "GridsEh.h"

#include "GridToolCtrlsEh.h"

#include <algorithm>

void TCustomGridEh::LineSearch(TGridAxisDataEh* A, int Pos, TGridStateEh AState, bool IncludeFixed, int T,
                               TGridStateEh& State, int& SizingIndex, int& SizingPos, int& SizingOfs)
{
    const int d = T < 1 ? 0 : T / 2;
    auto hit = [&](int e, int index) {
        if (e - d <= Pos && Pos <= e + T - d) {
            State = AState;
            SizingPos = e;
            SizingOfs = e - Pos;
            SizingIndex = index;
            return true;
        }
        return false;
    };
    // 1. fixed (or only the frozen) cells
    int first = IncludeFixed ? 0 : A->FixedCelCount() - A->FrozenCelCount();
    int x = IncludeFixed ? A->GridClientStart() : A->FixedBoundary() - A->FrozenLen();
    for (int i = first; i < A->FixedCelCount() && x < A->GridClientStop(); ++i) {
        x += A->FixedCelLens(i);
        if (hit(x, i))
            return;
    }
    // 2. visible rolling cells ending before the contra area
    const int contra = A->ContraStart();
    x = A->FixedBoundary() - A->RolStartVisCelOfst();
    for (int r = A->RolStartVisCel(); r < A->RolCelCount() && x < contra; ++r) {
        x += A->RolCelLens(r);
        if (x >= contra)
            break;
        if (hit(x, r + A->FixedCelCount()))
            return;
    }
    // 3. the last rolling cell cut by the contra area
    const int rib = A->RolInClientBoundary();
    if (rib == contra && rib - d <= Pos && Pos <= rib) {
        hit(rib, A->RolLastVisCel() + A->FixedCelCount());
        return;
    }
    // 4. the first contra cell is sized by its leading edge
    if (A->ContraCelCount() > 0 && Pos >= contra && Pos <= contra + d) {
        State = AState;
        SizingPos = contra;
        SizingOfs = contra - Pos;
        SizingIndex = A->CelCount();
        return;
    }
    // 5. boundaries between contra cells size the cell after them
    x = contra;
    for (int i = 0; i + 1 < A->ContraCelCount() && x < A->GridClientStop(); ++i) {
        x += A->ContraCelLens(i);
        if (hit(x, A->CelCount() + i + 1))
            return;
    }
}

void TCustomGridEh::CalcSizingState(int X, int Y, TGridStateEh& State, int& SizingIndex, int& SizingPos,
                                    int& SizingOfs)
{
    State = gsNormalEh;
    SizingIndex = -1;
    TGridOptionsEh opts = FOptions;
    if (Designing())
        opts = opts | FDesignOptionsBoost;
    if (!opts.Contains(goRowSizingEh) && !opts.Contains(goColSizingEh))
        return;
    CheckUpdateCellPositions();
    TGridAxisDataEh* h = FHorzAxis.get();
    TGridAxisDataEh* v = FVertAxis.get();
    const bool rtl = UseRightToLeftAlignment();
    const int xl = rtl ? ClientWidth() - X : X;
    const int colStart = CanSizeFixedCols() ? h->GridClientStart() : h->FixedBoundary() - h->FrozenLen();
    if (xl > colStart && opts.Contains(goColSizingEh)) {
        if (Y >= v->GridClientStart() && Y < v->FixedBoundary() - v->FrozenLen())
            LineSearch(h, xl, gsColSizingEh, CanSizeFixedCols(), 7, State, SizingIndex, SizingPos, SizingOfs);
    } else if (Y > v->FixedBoundary() - v->FrozenLen() && opts.Contains(goRowSizingEh) &&
               xl < h->FixedBoundary() - h->FrozenLen()) {
        LineSearch(v, Y, gsRowSizingEh, CanSizeFixedRows(), 5, State, SizingIndex, SizingPos, SizingOfs);
    }
}

TGridStateEh TCustomGridEh::GetSizingStateAt(int X, int Y)
{
    if (FGridState != gsNormalEh)
        return FGridState;
    TGridStateEh state = gsNormalEh;
    int idx = 0, pos = 0, ofs = 0;
    CalcSizingState(X, Y, state, idx, pos, ofs);
    return state;
}

void TCustomGridEh::GetSizingBounds(int& Start, int& Stop)
{
    if (FGridState == gsColSizingEh) {
        Start = FVertAxis->GridClientStart();
        Stop = FVertAxis->GridClientStop();
    } else if (UseRightToLeftAlignment()) {
        Start = FHorzAxis->GridClientStop();
        Stop = 0;
    } else {
        Start = FHorzAxis->GridClientStart();
        Stop = FHorzAxis->GridClientStop();
    }
}

namespace {
// A one-pixel line over the grid's cells (drawn as an overlay, so the cells stay untouched).
class TSizingLineEh : public TCustomControl {
public:
    explicit TSizingLineEh(TComponent* AOwner) : TCustomControl(AOwner)
    {
        SetVisible(false);
        SetColor(clWindowText);
        FTabStop = false;
    }

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};
}

void TCustomGridEh::DrawSizingLine()
{
    // Drawing it twice erases it.
    FSizingLineShown = !FSizingLineShown;
    if (!HandleAllocated())
        return;
    if (!FSizingLineControl) {
        FSizingLineControl = Create<TSizingLineEh>(this);
        FSizingLineControl->SetParent(this);
    }
    if (!FSizingLineShown) {
        FSizingLineControl->SetVisible(false);
        return;
    }
    int start = 0, stop = 0;
    GetSizingBounds(start, stop);
    const int a = std::min(start, stop), b = std::max(start, stop);
    if (FGridState == gsRowSizingEh)
        FSizingLineControl->SetBounds(a, FSizingPos, b - a, 1);
    else
        FSizingLineControl->SetBounds(FSizingPos, a, 1, b - a);
    FSizingLineControl->SetVisible(true);
    FSizingLineControl->BringToFront();
}

TRect TCustomGridEh::SizingLineRect() const
{
    if (!FSizingLineControl || !FSizingLineControl->Visible())
        return TRect(0, 0, 0, 0);
    return FSizingLineControl->BoundsRect();
}

int TCustomGridEh::CalcSizingLength(TGridAxisDataEh* A)
{
    const int i = FSizingIndex;
    if (i < A->FixedCelCount()) {
        int start = A->GridClientStart();
        for (int k = 0; k < i; ++k)
            start += A->FixedCelLens(k);
        return FSizingPos - start;
    }
    if (i < A->CelCount()) {
        const int64_t start = A->FixedBoundary() + A->RolLocCelPosArr(i - A->FixedCelCount()) - A->RolStartVisPos();
        return int(FSizingPos - start);
    }
    int end = A->ContraStart();
    for (int k = A->CelCount(); k <= i; ++k)
        end += A->ContraCelLens(k - A->CelCount());
    return end - FSizingPos;
}

// ---------------------------------------------------------------- moving

static bool RightSiteFor(TCustomGridEh* g, int MoveIndex, int Target, int X)
{
    bool right = MoveIndex < Target;
    if (g->ColWidths(MoveIndex) == 0) {
        int first = MoveIndex + 1;
        while (first < g->ColCount() && g->ColWidths(first) == 0)
            ++first;
        if (Target == first) {
            const TRect r = g->CellRectEx(Target, 0);
            if (X < (r.Left + r.Right) / 2)
                right = false;
        }
    }
    return right;
}

void TCustomGridEh::BeginMoveAt(int MoveIndex, int X, int Y)
{
    FMoveIndex = MoveIndex;
    const TGridCoord cell = CellAtPoint(X, Y);
    FMovePos = cell.X;
    if (cell.X == -1 && X > FHorzAxis->RolInClientBoundary())
        FMovePos = ColCount() - 1;
    if (FMovePos < LeftCol())
        FMovePos = LeftCol();
    FMovePosRightSite = RightSiteFor(this, FMoveIndex, FMovePos, X);
    FGridState = gsColMovingEh;
    Repaint();
    DrawMoveLine();
    StartGridTimer(60);
}

void TCustomGridEh::BeginRowMove(int Index)
{
    FMoveIndex = FMovePos = Index;
    FGridState = gsRowMovingEh;
    Repaint();
    DrawMoveLine();
    StartGridTimer(60);
}

void TCustomGridEh::TrackMoveLine(int Pos, int Target, TPoint Point, bool IsVert)
{
    TGridAxisDataEh* A = IsVert ? FVertAxis.get() : FHorzAxis.get();
    if (!IsVert && UseRightToLeftAlignment())
        Pos = ClientWidth() - Pos;
    const int startCel = A->StartVisCel();
    const bool rightSite = IsVert ? FMoveIndex < Target : RightSiteFor(this, FMoveIndex, Target, Pos);
    if (Target == FMovePos && rightSite == FMovePosRightSite)
        return;
    if (A->RolStartVisPos() == 0 && FMovePos == startCel && Pos < A->FixedBoundary())
        return;
    if (FMovePos == A->CelCount() - 1 && Pos > A->ContraStart())
        return;
    if (Pos < A->FixedBoundary()) {
        if (FMovePos > startCel || A->RolStartVisCelOfst() > 0) {
            ScrollByCode(IsVert, 0, 0, false);
            Repaint();
        }
        Target = A->StartVisCel();
    } else if (Pos < A->GridClientStop()) {
        if (!IsVert && Target == -1 && Pos > A->RolInClientBoundary())
            Target = A->CelCount() - 1;
        if (Target < 0)
            Target = FMovePos;
    } else {
        const int lastFull = A->RolLastFullVisCel() + A->FixedCelCount();
        if (FMovePos == lastFull && FMovePos != A->CelCount() - 1) {
            ScrollByCode(IsVert, 1, 0, false);
            Repaint();
        }
        Target = A->RolLastFullVisCel() + A->FixedCelCount();
    }
    const bool accepted = IsVert ? CanMoveRowTo(FMoveIndex, Target, Point) : CanMoveColTo(FMoveIndex, Target, Point);
    if (accepted) {
        FMovePos = Target;
        FMovePosRightSite = IsVert ? FMoveIndex < Target : RightSiteFor(this, FMoveIndex, Target, Pos);
    }
    DrawMoveLine();
}

void TCustomGridEh::DrawMoveLine()
{
    if (FGridState == gsRowMovingEh) {
        const TRect r = CellRectEx(0, FMovePos);
        const int y = FMoveIndex < FMovePos ? r.Bottom : r.Top;
        FMoveLineRect = TRect(FHorzAxis->GridClientStart(), y, FHorzAxis->GridClientStart() + FHorzAxis->GridClientLen(), y + 1);
        ShowMoveLineWindow(TPoint(FMoveLineRect.Left, y), false, FMoveLineRect.Width());
    } else if (FGridState == gsColMovingEh) {
        const TRect r = CellRectEx(FMovePos, 0);
        int x = FMovePosRightSite ? r.Right : r.Left - 1;
        if (UseRightToLeftAlignment())
            x = FMovePosRightSite ? r.Left - 1 : r.Right;
        const int len = FOptions.Contains(goExtendVertLinesEh)
                            ? FVertAxis->RolInClientBoundary() - FVertAxis->GridClientStart()
                            : FVertAxis->GridClientLen();
        FMoveLineRect = TRect(x, FVertAxis->GridClientStart(), x + 1, FVertAxis->GridClientStart() + len);
        ShowMoveLineWindow(TPoint(x, FMoveLineRect.Top), true, len);
    }
}

void TCustomGridEh::ShowMoveLineWindow(TPoint Pos, bool Vert, int Length)
{
    if (!HandleAllocated())
        return;
    TGridMoveLineEh* line = GetGridMoveLine();
    if (line->Visible() && line->IsVert() == Vert)
        line->MoveToFor(this, Pos);
    else
        line->StartShow(this, Pos, Vert, Length, nullptr);
}

void TCustomGridEh::HideMoveLine()
{
    FMoveLineRect = TRect(0, 0, 0, 0);
    if (HandleAllocated())
        GetGridMoveLine()->SetVisible(false);
}

int TCustomGridEh::ColMoveTimerInterval(int X, int ScreenX, int DesktopWidth, bool ScrolledRight)
{
    auto formula = [](int R, int O) {
        const int div = O > 10 ? O - 10 : 1;
        return int(double(R) / div * 1.5) + 60;
    };
    if (FMovePos >= 0 && FMovePos < FixedColCount())
        return 60;
    const int fb = FHorzAxis->FixedBoundary(), cs = FHorzAxis->ContraStart();
    const int screenOfs = ScreenX - X;
    if (X < fb) {
        const int screenFb = screenOfs + fb;
        const int R = std::min(screenFb, 200);
        const int O = std::min(screenFb - ScreenX, R);
        return formula(R, O);
    }
    if (X > cs) {
        const int screenCs = screenOfs + cs;
        const int R = std::min(DesktopWidth - screenCs, 200);
        const int O = std::min(ScreenX - screenCs, R);
        return formula(R, O);
    }
    if (ScrolledRight)
        return 360;
    return 60;
}
