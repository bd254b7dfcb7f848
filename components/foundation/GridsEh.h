// The base grid of the component library: axis geometry with fixed, rolling and contra cells,
// 64-bit pixel scroll positions, painting in nine regions, scrolling, keyboard and mouse,
// sizing and moving of rows and columns, and the in-place editor.
// The unit is split: GridsEh_Axis.cpp (geometry), GridsEh_Params.cpp (parameter objects and
// draw style), GridsEh_Grid.cpp (structure), GridsEh_Scroll.cpp, GridsEh_Paint.cpp, ...
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

#include <cstdint>
#include <vector>

class TCustomGridEh;
class TGridAxisDataEh;

using TIntegerDynArray = std::vector<int32_t>;
using TInt64DynArray = std::vector<int64_t>;

struct TGridCoord {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

TGridCoord GridCoord(int ACol, int ARow);
TGridRect NormalizedGridRect(TGridCoord Coord1, TGridCoord Coord2);
bool PointInGridRect(int Col, int Row, const TGridRect& Rect);

// Extents routines on integer arrays; errors are raised before anything changes.
void ArrayFillRange(TIntegerDynArray& Extents, int StartIndex, int Count, int Value);
// Takes the element at FromIndex out and puts it at ToIndex, shifting the ones between.
void ArrayMoveExtent(TIntegerDynArray& Extents, int FromIndex, int ToIndex);
// The last cell whose start is <= Pos and the offset of Pos in it (see TGridAxisDataEh).
void FindPosInPosArray(const TInt64DynArray& PosArr, int64_t Pos, int& ACel, int& ACelOffset);
bool AxisCelLensEqual(TGridAxisDataEh* Axis1, TGridAxisDataEh* Axis2);

// Bad cell indexes of a grid.
class EInvalidGridOperationEh : public Exception {
public:
    using Exception::Exception;
};

enum TScrollStepTypeEh { sstByPixelEh, sstByCellEh };

// What an axis tells its grid. The grid implements it; tests can supply their own.
class TGridAxisOwnerEh {
public:
    virtual ~TGridAxisOwnerEh() = default;
    virtual void AxisExtentChanged(TGridAxisDataEh* Axis, int Index) = 0;
    virtual void ClampCurrentCell() = 0;
    virtual void UpdateBoundaries() = 0;
    virtual void CelMoved(TGridAxisDataEh* Axis, int FromIndex, int ToIndex) = 0;
    virtual void AxisScrollPosChanged(TGridAxisDataEh* Axis, int64_t OldPos) = 0;
    virtual void CellPositionsUpdated() = 0;
    virtual void CheckUpdateCellPositions() = 0;
};

// Geometry of one axis: fixed cells, rolling (scrollable) cells, contra (trailing) cells.
// Rolling positions are 64-bit prefix sums rebuilt lazily from the lowest changed index.
class TGridAxisDataEh : public TPersistent {
public:
    explicit TGridAxisDataEh(TGridAxisOwnerEh* AGrid);
    ~TGridAxisDataEh() override = default;

    TGridAxisOwnerEh* Grid() const { return FGrid; }

    // ---- lengths ----
    int GetCelLens(int Index) const;
    void SetCelLens(int Index, int Value);
    int CelLens(int Index) const { return GetCelLens(Index); }
    int GetFixedCelLens(int Index) const { return FFixedCelLens[size_t(Index)]; }
    int GetRolCelLens(int Index) const { return FRolCelLens[size_t(Index)]; }
    int GetContraCelLens(int Index) const { return FContraCelLens[size_t(Index)]; }
    int FixedCelLens(int Index) const { return GetFixedCelLens(Index); }
    int RolCelLens(int Index) const { return GetRolCelLens(Index); }
    int ContraCelLens(int Index) const { return GetContraCelLens(Index); }
    void SetFixedCelLens(int Index, int Value);
    void SetRolCelLens(int Index, int Value);
    void SetContraCelLens(int Index, int Value);
    int64_t GetRolLocCelPosArr(int Index);
    int64_t RolLocCelPosArr(int Index) { return GetRolLocCelPosArr(Index); }

    // ---- counts ----
    int FixedCelCount() const { return FFixedCelCount; }
    int FrozenCelCount() const { return FFrozenCelCount; }
    void SetFrozenCelCount(int Value);
    int RolCelCount() const { return FRolCelCount; }
    void SetRolCelCount(int Value);
    int ContraCelCount() const { return FContraCelCount; }
    void SetContraCelCount(int Value);
    int GetCelCount() const { return FFixedCelCount + FRolCelCount; }
    int CelCount() const { return GetCelCount(); }
    int FullCelCount() const { return GetCelCount() + FContraCelCount; }
    // Used by the grid's fixed-count setters: resizes the fixed lengths, new cells get Len.
    void SetFixedCelCountInternal(int Value, int Len);

    void InsertRolCels(int Index, int Count);
    void DeleteRolCels(int Index, int Count);
    void MoveCel(int FromIndex, int ToIndex);

    // ---- client coordinates (written by the grid's UpdateBoundaries) ----
    int WinClientBoundSta() const { return FWinClientBoundSta; }
    int WinClientBoundSto() const { return FWinClientBoundSto; }
    int GetGridClientStart();
    int GetGridClientStop();
    int GridClientStart() { return GetGridClientStart(); }
    int GridClientStop() { return GetGridClientStop(); }
    int GetGridClientLen() { return GetGridClientStop() - GetGridClientStart(); }
    int GridClientLen() { return GetGridClientLen(); }
    int FixedBoundary() const { return FFixedBoundary; }
    int GetRolClientLen() const;
    int RolClientLen() const { return GetRolClientLen(); }
    int ContraStart() const { return FContraStart; }
    int ContraLen() const { return FContraLen; }
    int FrozenLen() const { return FFrozenLen; }

    // ---- scrolling ----
    int64_t RolStartVisPos() const { return FRolStartVisPos; }
    void SetRolStartVisPos(int64_t Value);
    int64_t RolStopVisPos() { return GetRolLen() + FRolStartVisPos; }
    int64_t GetRolLen();
    int64_t RolLen() { return GetRolLen(); }
    int RolInClientBoundary();
    int RolStartVisCel() { CheckUpdateRolCelPosArr(); return FRolStartVisCel; }
    int RolStartVisCelOfst() { CheckUpdateRolCelPosArr(); return FRolStartVisCelOfst; }
    int RolLastVisCel() { CheckUpdateRolCelPosArr(); return FRolLastVisCel; }
    int RolLastFullVisCel() { CheckUpdateRolCelPosArr(); return FRolLastFullVisCel; }
    int GetStartVisCel() { return RolStartVisCel() + FFixedCelCount; }
    int StartVisCel() { return GetStartVisCel(); }
    int DefaultCelLen() const { return FDefaultCelLen; }
    void SetDefaultCelLen(int Value) { FDefaultCelLen = Value; }
    int GetScrollStep() const;
    void RolCellAtPos(int64_t Pos, int& ACel, int& ACelOffset);
    int64_t CheckRolStartVisPos(int64_t ARolStartVisPos);
    int CalcMaxStartCellFor(int RolFinishCell);
    void SafeSetRolStartVisCel(int NewStartCell, TScrollStepTypeEh ScrollStepType);

    int RightToLeftReflect(int APos) const { return (FWinClientBoundSto - FWinClientBoundSta) - APos; }
    void SwapRightToLeftPoses(int& Pos1, int& Pos2) const;

    // ---- upkeep ----
    bool RolLocCelPosArrObsolete() const { return FRolLocCelPosArrObsolete; }
    void CheckUpdateRolCelPosArr();
    void UpdateRolCelPosArr();
    void UpdateVisCells();
    void CalcRolLastVisCels();
    void CheckUpdateAxises();

    // ---- written by the grid's UpdateBoundaries ----
    int FContraStart = 0;
    int FGridClientStop = 0;
    int FGridClientStart = 0;
    int FFixedBoundary = 0;
    int FWinClientBoundSto = 0;
    int FWinClientBoundSta = 0;
    int FFrozenLen = 0;
    int FContraLen = 0;

protected:
    void MarkPositionsObsolete(int FromIndex);

    TGridAxisOwnerEh* FGrid;
    TIntegerDynArray FFixedCelLens;
    TIntegerDynArray FRolCelLens;
    TIntegerDynArray FContraCelLens;
    TInt64DynArray FRolLocCelPosArr;
    bool FRolLocCelPosArrObsolete = false;
    // Positions below this index are still valid while the array is obsolete.
    int FObsoleteFrom = 0;
    int FContraCelCount = 0;
    int FFixedCelCount = 0;
    int FRolCelCount = 0;
    int64_t FRolStartVisPos = 0;
    int FRolStartVisCel = 0;
    int FRolStartVisCelOfst = 0;
    int FDefaultCelLen = 0;
    int FFrozenCelCount = 0;
    int FRolLastFullVisCel = -1;
    int FRolLastVisCel = -1;
};
