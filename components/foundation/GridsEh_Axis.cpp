// Axis geometry of the grids and the small coordinate and extents routines they share.
#include "GridsEh.h"

#include "ToolCtrlsEh.h"

#include <algorithm>
#include <climits>

// ---------------------------------------------------------------- unit routines

TGridCoord GridCoord(int ACol, int ARow)
{
    return TGridCoord{ACol, ARow};
}

TGridRect NormalizedGridRect(TGridCoord Coord1, TGridCoord Coord2)
{
    TGridRect r;
    r.Left = std::min(Coord1.X, Coord2.X);
    r.Right = std::max(Coord1.X, Coord2.X);
    r.Top = std::min(Coord1.Y, Coord2.Y);
    r.Bottom = std::max(Coord1.Y, Coord2.Y);
    return r;
}

bool PointInGridRect(int Col, int Row, const TGridRect& Rect)
{
    return Col >= Rect.Left && Col <= Rect.Right && Row >= Rect.Top && Row <= Rect.Bottom;
}

void ArrayFillRange(TIntegerDynArray& Extents, int StartIndex, int Count, int Value)
{
    if (StartIndex < 0 || Count < 0 || int64_t(StartIndex) + Count > int64_t(Extents.size()))
        throw Exception(QStringLiteral("ArrayFillRange: range out of Length(Extents)"));
    std::fill(Extents.begin() + StartIndex, Extents.begin() + StartIndex + Count, Value);
}

void ArrayMoveExtent(TIntegerDynArray& Extents, int FromIndex, int ToIndex)
{
    if (Extents.empty())
        return;
    const int n = int(Extents.size());
    if (FromIndex < 0 || FromIndex >= n || ToIndex < 0 || ToIndex >= n)
        throw Exception(QStringLiteral("ArrayMoveExtent: index out of Length(Extents)"));
    if (FromIndex < ToIndex)
        std::rotate(Extents.begin() + FromIndex, Extents.begin() + FromIndex + 1, Extents.begin() + ToIndex + 1);
    else if (FromIndex > ToIndex)
        std::rotate(Extents.begin() + ToIndex, Extents.begin() + FromIndex, Extents.begin() + FromIndex + 1);
}

static int ClampToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// The last cell whose start is <= Pos (so a zero-length cell never "contains" a position
// when a longer cell starts at the same place); cell 0 for positions before the first start.
static void FindPosInPosData(const int64_t* P, int n, int64_t Pos, int& ACel, int& ACelOffset)
{
    if (n <= 0) {
        ACel = 0;
        ACelOffset = 0;
        return;
    }
    if (Pos < P[0]) {
        ACel = 0;
    } else {
        const int64_t* it = std::upper_bound(P, P + n, Pos);
        ACel = int(it - P) - 1;
    }
    ACelOffset = ClampToInt(Pos - P[ACel]);
}

void FindPosInPosArray(const TInt64DynArray& PosArr, int64_t Pos, int& ACel, int& ACelOffset)
{
    FindPosInPosData(PosArr.data(), int(PosArr.size()), Pos, ACel, ACelOffset);
}

bool AxisCelLensEqual(TGridAxisDataEh* Axis1, TGridAxisDataEh* Axis2)
{
    if (Axis1->FullCelCount() != Axis2->FullCelCount())
        return false;
    for (int i = 0; i < Axis1->FullCelCount(); ++i)
        if (Axis1->CelLens(i) != Axis2->CelLens(i))
            return false;
    return true;
}

// ---------------------------------------------------------------- TGridAxisDataEh

TGridAxisDataEh::TGridAxisDataEh(TGridAxisOwnerEh* AGrid) : FGrid(AGrid) {}

int TGridAxisDataEh::GetCelLens(int Index) const
{
    if (Index < FFixedCelCount)
        return FFixedCelLens[size_t(Index)];
    if (Index < GetCelCount())
        return FRolCelLens[size_t(Index - FFixedCelCount)];
    return FContraCelLens[size_t(Index - GetCelCount())];
}

void TGridAxisDataEh::SetCelLens(int Index, int Value)
{
    if (Index < FFixedCelCount)
        SetFixedCelLens(Index, Value);
    else if (Index < GetCelCount())
        SetRolCelLens(Index - FFixedCelCount, Value);
    else
        SetContraCelLens(Index - GetCelCount(), Value);
}

void TGridAxisDataEh::SetFixedCelLens(int Index, int Value)
{
    if (FFixedCelLens[size_t(Index)] == Value)
        return;
    FFixedCelLens[size_t(Index)] = Value;
    if (FGrid)
        FGrid->AxisExtentChanged(this, Index);
}

void TGridAxisDataEh::SetContraCelLens(int Index, int Value)
{
    if (FContraCelLens[size_t(Index)] == Value)
        return;
    FContraCelLens[size_t(Index)] = Value;
    if (FGrid)
        FGrid->AxisExtentChanged(this, Index + GetCelCount());
}

void TGridAxisDataEh::SetRolCelLens(int Index, int Value)
{
    if (FRolCelLens[size_t(Index)] == Value)
        return;
    FRolCelLens[size_t(Index)] = Value;
    MarkPositionsObsolete(Index + 1);
    if (FGrid) {
        FGrid->AxisExtentChanged(this, Index + FFixedCelCount);
        FGrid->ClampCurrentCell();
    }
}

void TGridAxisDataEh::MarkPositionsObsolete(int FromIndex)
{
    if (!FRolLocCelPosArrObsolete) {
        FRolLocCelPosArrObsolete = true;
        FObsoleteFrom = FromIndex;
    } else {
        FObsoleteFrom = std::min(FObsoleteFrom, FromIndex);
    }
}

int64_t TGridAxisDataEh::GetRolLocCelPosArr(int Index)
{
    CheckUpdateRolCelPosArr();
    return FRolLocCelPosArr[size_t(Index)];
}

void TGridAxisDataEh::SetFrozenCelCount(int Value)
{
    if (Value == FFrozenCelCount)
        return;
    if (Value < 0 || Value > FFixedCelCount)
        throw EInvalidGridOperationEh(QStringLiteral("Grid index out of range"));
    FFrozenCelCount = Value;
    if (FGrid)
        FGrid->UpdateBoundaries();
}

void TGridAxisDataEh::SetRolCelCount(int Value)
{
    if (Value == FRolCelCount)
        return;
    if (Value <= 0)
        throw Exception(QStringLiteral("RolCelCount can't be less then 1"));
    if (Value > FRolCelCount)
        InsertRolCels(FRolCelCount, Value - FRolCelCount);
    else
        DeleteRolCels(Value, FRolCelCount - Value);
}

void TGridAxisDataEh::SetAllCelLens(int Value)
{
    FDefaultCelLen = Value;
    std::fill(FFixedCelLens.begin(), FFixedCelLens.end(), Value);
    std::fill(FRolCelLens.begin(), FRolCelLens.end(), Value);
    std::fill(FContraCelLens.begin(), FContraCelLens.end(), Value);
    MarkPositionsObsolete(0);
    if (FGrid) {
        FGrid->UpdateBoundaries();
        FGrid->AxisExtentChanged(this, 0);
        FGrid->ClampCurrentCell();
    }
}

void TGridAxisDataEh::InsertRolCels(int Index, int Count)
{
    ArrayInsertRange(FRolCelLens, Index, Count);
    std::fill(FRolCelLens.begin() + Index, FRolCelLens.begin() + Index + Count, FDefaultCelLen);
    FRolLocCelPosArr.resize(FRolCelLens.size());
    FRolCelCount = int(FRolCelLens.size());
    MarkPositionsObsolete(Index);
    if (FGrid)
        FGrid->ClampCurrentCell();
}

void TGridAxisDataEh::DeleteRolCels(int Index, int Count)
{
    // There is always at least one rolling cell.
    if (Count > 0 && int64_t(FRolCelLens.size()) - Count < 1 && Index >= 0 &&
        int64_t(Index) + Count <= int64_t(FRolCelLens.size()))
        throw Exception(QStringLiteral("RolCelCount can't be less then 1"));
    ArrayDeleteRange(FRolCelLens, Index, Count);
    FRolLocCelPosArr.resize(FRolCelLens.size());
    FRolCelCount = int(FRolCelLens.size());
    MarkPositionsObsolete(Index);
    if (FGrid)
        FGrid->ClampCurrentCell();
}

void TGridAxisDataEh::SetContraCelCount(int Value)
{
    if (Value == FContraCelCount)
        return;
    if (Value < 0)
        throw Exception(QStringLiteral("ContraCelCount can't be less then 0"));
    const size_t old = FContraCelLens.size();
    FContraCelLens.resize(size_t(Value));
    for (size_t i = old; i < FContraCelLens.size(); ++i)
        FContraCelLens[i] = FDefaultCelLen;
    FContraCelCount = Value;
    if (FGrid) {
        FGrid->ClampCurrentCell();
        FGrid->UpdateBoundaries();
    }
}

void TGridAxisDataEh::SetFixedCelCountInternal(int Value, int Len)
{
    const size_t old = FFixedCelLens.size();
    FFixedCelLens.resize(size_t(Value));
    for (size_t i = old; i < FFixedCelLens.size(); ++i)
        FFixedCelLens[i] = Len;
    FFixedCelCount = Value;
    if (FFrozenCelCount > Value)
        FFrozenCelCount = Value;
}

void TGridAxisDataEh::MoveCel(int FromIndex, int ToIndex)
{
    const int cc = GetCelCount();
    const int full = FullCelCount();
    auto area = [&](int i) { return i < 0 || i >= full ? -1 : i < FFixedCelCount ? 0 : i < cc ? 1 : 2; };
    const int a = area(FromIndex);
    if (a < 0 || a != area(ToIndex))
        throw Exception(QStringLiteral("MoveCel in different areas[FromIndex:%D, ToIndex:%D"),
                        {FromIndex, ToIndex});
    if (a == 0) {
        ArrayMoveExtent(FFixedCelLens, FromIndex, ToIndex);
    } else if (a == 1) {
        ArrayMoveExtent(FRolCelLens, FromIndex - FFixedCelCount, ToIndex - FFixedCelCount);
        MarkPositionsObsolete(std::min(FromIndex, ToIndex) - FFixedCelCount);
    } else {
        ArrayMoveExtent(FContraCelLens, FromIndex - cc, ToIndex - cc);
    }
    if (FGrid)
        FGrid->CelMoved(this, FromIndex, ToIndex);
}

// ---- client coordinates ----

int TGridAxisDataEh::GetGridClientStart()
{
    CheckUpdateAxises();
    return FGridClientStart;
}

int TGridAxisDataEh::GetGridClientStop()
{
    CheckUpdateAxises();
    return FGridClientStop;
}

int TGridAxisDataEh::GetRolClientLen() const
{
    return std::max(0, FContraStart - FFixedBoundary);
}

int TGridAxisDataEh::RolInClientBoundary()
{
    const int64_t end = int64_t(FFixedBoundary) + GetRolLen() - FRolStartVisPos;
    return int(std::min<int64_t>(FContraStart, end));
}

int TGridAxisDataEh::GetScrollStep() const
{
    const int s = (FContraStart - FFixedBoundary) / 20;
    return s == 0 ? 1 : s;
}

void TGridAxisDataEh::SwapRightToLeftPoses(int& Pos1, int& Pos2) const
{
    const int w = FWinClientBoundSto - FWinClientBoundSta;
    const int p1 = Pos1;
    Pos1 = w - Pos2;
    Pos2 = w - p1;
}

// ---- scrolling ----

int64_t TGridAxisDataEh::GetRolLen()
{
    CheckUpdateRolCelPosArr();
    if (FRolCelCount <= 0)
        return 0;
    return FRolLocCelPosArr[size_t(FRolCelCount - 1)] + FRolCelLens[size_t(FRolCelCount - 1)];
}

void TGridAxisDataEh::RolCellAtPos(int64_t Pos, int& ACel, int& ACelOffset)
{
    CheckUpdateRolCelPosArr();
    FindPosInPosData(FRolLocCelPosArr.data(), FRolCelCount, Pos, ACel, ACelOffset);
}

void TGridAxisDataEh::SetRolStartVisPos(int64_t Value)
{
    if (Value == FRolStartVisPos)
        return;
    if (Value > GetRolLen())
        throw Exception(QStringLiteral("RolStartVisPos can't be > RolLen"));
    if (Value < 0)
        throw Exception(QStringLiteral("RolStartVisPos can't be < 0"));
    const int64_t oldPos = FRolStartVisPos;
    FRolStartVisPos = Value;
    CheckUpdateRolCelPosArr();
    UpdateVisCells();
    if (FGrid)
        FGrid->AxisScrollPosChanged(this, oldPos);
}

int64_t TGridAxisDataEh::CheckRolStartVisPos(int64_t ARolStartVisPos)
{
    int64_t v = std::min(ARolStartVisPos, GetRolLen() - GetRolClientLen());
    return v < 0 ? 0 : v;
}

int TGridAxisDataEh::CalcMaxStartCellFor(int RolFinishCell)
{
    CheckUpdateRolCelPosArr();
    if (RolFinishCell <= 0)
        return std::max(RolFinishCell, 0);
    const int64_t end = FRolLocCelPosArr[size_t(RolFinishCell)] + FRolCelLens[size_t(RolFinishCell)];
    const int64_t firstStart = end - GetRolClientLen();
    // The smallest start cell whose start is not before firstStart.
    const int64_t* P = FRolLocCelPosArr.data();
    const int64_t* it = std::lower_bound(P, P + RolFinishCell + 1, firstStart);
    return std::min(int(it - P), RolFinishCell);
}

void TGridAxisDataEh::SafeSetRolStartVisCel(int NewStartCell, TScrollStepTypeEh ScrollStepType)
{
    if (NewStartCell < 0)
        NewStartCell = 0;
    if (NewStartCell >= FRolCelCount)
        NewStartCell = FRolCelCount - 1;
    if (NewStartCell < 0)
        return;
    int64_t target = GetRolLocCelPosArr(NewStartCell);
    const int64_t maxPos = GetRolLen() - GetRolClientLen();
    if (target > maxPos) {
        if (ScrollStepType == sstByCellEh) {
            const int s = CalcMaxStartCellFor(FRolCelCount - 1);
            SetRolStartVisPos(GetRolLocCelPosArr(s));
            return;
        }
        target = maxPos;
    }
    SetRolStartVisPos(CheckRolStartVisPos(target));
}

// ---- upkeep ----

void TGridAxisDataEh::CheckUpdateRolCelPosArr()
{
    if (!FRolLocCelPosArrObsolete)
        return;
    UpdateRolCelPosArr();
    if (FGrid)
        FGrid->CellPositionsUpdated();
}

void TGridAxisDataEh::UpdateRolCelPosArr()
{
    FRolLocCelPosArr.resize(FRolCelLens.size());
    const int n = int(FRolLocCelPosArr.size());
    int from = FRolLocCelPosArrObsolete ? std::max(FObsoleteFrom, 0) : 0;
    if (from == 0 && n > 0) {
        FRolLocCelPosArr[0] = 0;
        from = 1;
    }
    for (int i = from; i < n; ++i)
        FRolLocCelPosArr[size_t(i)] = FRolLocCelPosArr[size_t(i - 1)] + FRolCelLens[size_t(i - 1)];
    FRolLocCelPosArrObsolete = false;
    FObsoleteFrom = n;
    UpdateVisCells();
}

void TGridAxisDataEh::UpdateVisCells()
{
    FindPosInPosData(FRolLocCelPosArr.data(), FRolCelCount, FRolStartVisPos, FRolStartVisCel, FRolStartVisCelOfst);
    CalcRolLastVisCels();
}

void TGridAxisDataEh::CalcRolLastVisCels()
{
    FRolLastVisCel = -1;
    FRolLastFullVisCel = -1;
    if (FFixedBoundary < FContraStart) {
        if (FRolCelCount <= 0)
            return;
        int cel = 0, ofs = 0;
        FindPosInPosData(FRolLocCelPosArr.data(), FRolCelCount, FRolStartVisPos + GetRolClientLen() - 1, cel, ofs);
        FRolLastVisCel = cel;
        if (ofs < FRolCelLens[size_t(cel)] - 1 && cel > FRolStartVisCel)
            FRolLastFullVisCel = cel - 1;
        else
            FRolLastFullVisCel = cel;
    } else {
        int64_t end = FGridClientStart;
        for (int i = 0; i < FFixedCelCount; ++i) {
            end += FFixedCelLens[size_t(i)];
            if (end >= FContraStart) {
                FRolLastFullVisCel = i;
                FRolLastVisCel = (end > FContraStart && i != FFixedCelCount - 1) ? i + 1 : i;
                break;
            }
        }
    }
}

void TGridAxisDataEh::CheckUpdateAxises()
{
    if (FGrid)
        FGrid->CheckUpdateCellPositions();
    else
        CheckUpdateRolCelPosArr();
}
