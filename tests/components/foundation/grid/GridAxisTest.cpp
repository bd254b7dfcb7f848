#include "components/foundation/GridsEh.h"
#include "support/ErrorCapture.h"
#include "components/foundation/ToolCtrlsEh.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Records what the axis tells its grid.
struct TRecordingOwner : TGridAxisOwnerEh {
    QStringList Calls;
    void AxisExtentChanged(TGridAxisDataEh*, int Index) override { Calls << QStringLiteral("extent %1").arg(Index); }
    void ClampCurrentCell() override { Calls << QStringLiteral("clamp"); }
    void UpdateBoundaries() override { Calls << QStringLiteral("bounds"); }
    void CelMoved(TGridAxisDataEh*, int F, int T) override { Calls << QStringLiteral("moved %1 %2").arg(F).arg(T); }
    void AxisScrollPosChanged(TGridAxisDataEh*, int64_t Old) override { Calls << QStringLiteral("scroll %1").arg(Old); }
    void CellPositionsUpdated() override { Calls << QStringLiteral("positions"); }
    void CheckUpdateCellPositions() override {}
};

// An axis with 1 fixed cell of 10 pixels and the given rolling lengths, in a client of
// ClientLen pixels starting at 0.
struct AxisFixture {
    TRecordingOwner Owner;
    TGridAxisDataEh Axis{&Owner};
    AxisFixture(std::vector<int> lens, int clientLen, int fixed = 1)
    {
        Axis.SetDefaultCelLen(20);
        Axis.SetFixedCelCountInternal(fixed, 10);
        Axis.SetRolCelCount(int(lens.size()));
        for (size_t i = 0; i < lens.size(); ++i)
            Axis.SetRolCelLens(int(i), lens[i]);
        SetClient(clientLen);
        Owner.Calls.clear();
    }
    void SetClient(int clientLen)
    {
        Axis.FWinClientBoundSta = 0;
        Axis.FWinClientBoundSto = clientLen;
        Axis.FGridClientStart = 0;
        Axis.FGridClientStop = clientLen;
        Axis.FFixedBoundary = Axis.FixedCelCount() * 10;
        Axis.FContraStart = clientLen;
        Axis.CalcRolLastVisCels();
    }
};

TEST(GridAxis, PrefixSumsAndSearchMatchLinearReferenceWithZeroLengthCells)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> len(0, 3);
    std::vector<int> lens(300);
    for (int& l : lens)
        l = len(rng) == 0 ? 0 : len(rng) * 7;
    AxisFixture f(lens, 100);
    // Change lengths in the middle with reads in between: positions rebuilt from there on.
    for (int round = 0; round < 50; ++round) {
        const int i = int(rng() % lens.size());
        lens[size_t(i)] = len(rng) * 5;
        f.Axis.SetRolCelLens(i, lens[size_t(i)]);
        int64_t pos = 0;
        for (size_t k = 0; k < lens.size(); ++k) {
            ASSERT_EQ(f.Axis.RolLocCelPosArr(int(k)), pos) << "cell " << k << " round " << round;
            pos += lens[k];
        }
        ASSERT_EQ(f.Axis.RolLen(), pos);
        for (int64_t p = -3; p < pos + 5; p += 3) {
            int ref = 0;
            int64_t start = 0;
            for (size_t k = 0; k < lens.size(); ++k) {
                int64_t s = 0;
                for (size_t j = 0; j < k; ++j)
                    s += lens[j];
                if (s <= p) {
                    ref = int(k);
                    start = s;
                }
            }
            int cel = -1, ofs = -1;
            f.Axis.RolCellAtPos(p, cel, ofs);
            ASSERT_EQ(cel, ref) << "pos " << p;
            ASSERT_EQ(ofs, p - start) << "pos " << p;
            if (p >= 0 && p < pos) {
                ASSERT_GT(lens[size_t(cel)], 0) << "a position lies in a zero-length cell";
            }
        }
    }
}

TEST(GridAxis, OneRollingCell)
{
    AxisFixture f({33}, 100);
    EXPECT_EQ(f.Axis.RolLocCelPosArr(0), 0);
    EXPECT_EQ(f.Axis.RolLen(), 33);
    for (int64_t p : {int64_t(-5), int64_t(0), int64_t(32), int64_t(1000)}) {
        int cel = -1, ofs = 0;
        f.Axis.RolCellAtPos(p, cel, ofs);
        EXPECT_EQ(cel, 0);
    }
}

TEST(GridAxis, CountsGrowShrinkAndRejectBadValues)
{
    AxisFixture f({1, 2, 3, 4, 5}, 100);
    f.Axis.SetRolCelCount(8);
    EXPECT_EQ(f.Axis.RolCelCount(), 8);
    EXPECT_EQ(f.Axis.RolCelLens(5), 20);
    EXPECT_EQ(f.Axis.RolCelLens(7), 20);
    EXPECT_EQ(f.Axis.CelCount(), 9);
    f.Axis.SetRolCelCount(2);
    EXPECT_EQ(f.Axis.RolCelLens(0), 1);
    EXPECT_EQ(f.Axis.RolCelLens(1), 2);
    EXPECT_EQ(f.Axis.RolLen(), 3);

    EXPECT_EQ(ErrorOf([&] { f.Axis.SetRolCelCount(0); }), "RolCelCount can't be less then 1");
    EXPECT_EQ(f.Axis.RolCelCount(), 2);
    EXPECT_EQ(ErrorOf([&] { f.Axis.DeleteRolCels(0, 2); }), "RolCelCount can't be less then 1");
    EXPECT_EQ(f.Axis.RolCelCount(), 2);
    EXPECT_EQ(ErrorOf([&] { f.Axis.SetContraCelCount(-1); }), "ContraCelCount can't be less then 0");
    EXPECT_EQ(ErrorOf([&] { f.Axis.InsertRolCels(-1, 1); }), "ArrayInsertRange: (StartIndex < 0)");
    EXPECT_EQ(f.Axis.RolCelCount(), 2);

    f.Axis.SetContraCelCount(2);
    EXPECT_EQ(f.Axis.FullCelCount(), 5);
    EXPECT_EQ(f.Axis.CelLens(4), 20);
    f.Axis.SetCelLens(4, 7);
    EXPECT_EQ(f.Axis.ContraCelLens(1), 7);
    EXPECT_EQ(f.Owner.Calls.back(), "extent 4");
}

TEST(GridAxis, FrozenCountStaysWithinFixedCells)
{
    AxisFixture f({20, 20}, 100, 3);
    f.Axis.SetFrozenCelCount(2);
    EXPECT_EQ(f.Axis.FrozenCelCount(), 2);
    EXPECT_THROW(f.Axis.SetFrozenCelCount(4), EInvalidGridOperationEh);
    f.Axis.SetFixedCelCountInternal(1, 10);
    EXPECT_EQ(f.Axis.FrozenCelCount(), 1);
}

TEST(GridAxis, ScrollPositionLimits)
{
    AxisFixture f({20, 20, 20, 20, 20}, 60);   // rolling client 50
    EXPECT_EQ(f.Axis.RolClientLen(), 50);
    f.Axis.SetRolStartVisPos(100);
    EXPECT_EQ(f.Axis.RolStartVisPos(), 100);
    EXPECT_EQ(f.Owner.Calls.back(), "scroll 0");
    EXPECT_EQ(ErrorOf([&] { f.Axis.SetRolStartVisPos(101); }), "RolStartVisPos can't be > RolLen");
    EXPECT_EQ(f.Axis.RolStartVisPos(), 100);
    EXPECT_EQ(f.Axis.CheckRolStartVisPos(1000), 50);
    EXPECT_EQ(f.Axis.CheckRolStartVisPos(-10), 0);

    f.Axis.SetRolStartVisPos(45);
    EXPECT_EQ(f.Axis.RolStartVisCel(), 2);
    EXPECT_EQ(f.Axis.RolStartVisCelOfst(), 5);
    EXPECT_EQ(f.Axis.StartVisCel(), 3);

    AxisFixture small({20, 20}, 200);
    EXPECT_EQ(small.Axis.CheckRolStartVisPos(30), 0);
}

TEST(GridAxis, MaxStartCellAndSafeStartCell)
{
    AxisFixture f({20, 20, 20}, 60);   // rolling client 50
    EXPECT_EQ(f.Axis.CalcMaxStartCellFor(2), 1);
    EXPECT_EQ(f.Axis.CalcMaxStartCellFor(0), 0);

    f.Axis.SafeSetRolStartVisCel(10, sstByPixelEh);
    EXPECT_EQ(f.Axis.RolStartVisPos(), 10);   // RolLen - RolClientLen
    f.Axis.SafeSetRolStartVisCel(0, sstByPixelEh);
    f.Axis.SafeSetRolStartVisCel(10, sstByCellEh);
    EXPECT_EQ(f.Axis.RolStartVisPos(), 20);   // a whole cell at the top, the last one whole
    f.Axis.SafeSetRolStartVisCel(-4, sstByCellEh);
    EXPECT_EQ(f.Axis.RolStartVisPos(), 0);

    AxisFixture wide({20, 80, 20}, 60);
    EXPECT_EQ(wide.Axis.CalcMaxStartCellFor(1), 1);   // the cell alone is longer than the room
}

TEST(GridAxis, LastVisibleCells)
{
    AxisFixture f({20, 20, 20, 20}, 60);   // rolling client 50: cells 0, 1 whole, 2 cut
    EXPECT_EQ(f.Axis.RolLastVisCel(), 2);
    EXPECT_EQ(f.Axis.RolLastFullVisCel(), 1);
    f.SetClient(50);   // last visible pixel 39 is the end of cell 1
    EXPECT_EQ(f.Axis.RolLastVisCel(), 1);
    EXPECT_EQ(f.Axis.RolLastFullVisCel(), 1);
    f.SetClient(25);   // one cut cell only: it counts as the last full one
    EXPECT_EQ(f.Axis.RolLastVisCel(), 0);
    EXPECT_EQ(f.Axis.RolLastFullVisCel(), 0);

    AxisFixture fixedOnly({20}, 100, 3);   // fixed 10 each, client ends at 25
    fixedOnly.Axis.FFixedBoundary = 30;
    fixedOnly.Axis.FContraStart = 25;
    fixedOnly.Axis.CalcRolLastVisCels();
    EXPECT_EQ(fixedOnly.Axis.RolLastFullVisCel(), 2);
    EXPECT_EQ(fixedOnly.Axis.RolLastVisCel(), 2);
    fixedOnly.Axis.FContraStart = 15;
    fixedOnly.Axis.CalcRolLastVisCels();
    EXPECT_EQ(fixedOnly.Axis.RolLastFullVisCel(), 1);
    EXPECT_EQ(fixedOnly.Axis.RolLastVisCel(), 2);
}

TEST(GridAxis, MoveCelWithinAnAreaOnly)
{
    AxisFixture f({1, 2, 3, 4}, 100);
    f.Axis.SetContraCelCount(1);
    f.Owner.Calls.clear();
    f.Axis.MoveCel(1, 3);
    EXPECT_EQ(f.Owner.Calls.back(), "moved 1 3");
    EXPECT_EQ(f.Axis.RolCelLens(0), 2);
    EXPECT_EQ(f.Axis.RolCelLens(1), 3);
    EXPECT_EQ(f.Axis.RolCelLens(2), 1);
    EXPECT_EQ(f.Axis.RolLocCelPosArr(3), 6);

    EXPECT_EQ(ErrorOf([&] { f.Axis.MoveCel(0, 3); }), "MoveCel in different areas[FromIndex:0, ToIndex:3");
    EXPECT_EQ(ErrorOf([&] { f.Axis.MoveCel(4, 5); }), "MoveCel in different areas[FromIndex:4, ToIndex:5");
    EXPECT_EQ(f.Axis.RolCelLens(0), 2);
}

TEST(GridAxis, PositionsBeyond32Bits)
{
    AxisFixture f({}, 1000);
    f.Axis.SetDefaultCelLen(3000);
    f.Axis.SetRolCelCount(1000000);   // 3e9 pixels
    EXPECT_EQ(f.Axis.RolLen(), int64_t(3000) * 1000000);
    f.SetClient(1000);
    const int64_t pos = int64_t(3000) * 999000 + 17;
    f.Axis.SetRolStartVisPos(pos);
    EXPECT_EQ(f.Axis.RolStartVisCel(), 999000);
    EXPECT_EQ(f.Axis.RolStartVisCelOfst(), 17);
}

TEST(GridAxis, ExtentRoutines)
{
    TIntegerDynArray a{1, 2, 3, 4, 5};
    ArrayMoveExtent(a, 0, 3);
    EXPECT_EQ(a, (TIntegerDynArray{2, 3, 4, 1, 5}));
    ArrayMoveExtent(a, 4, 0);
    EXPECT_EQ(a, (TIntegerDynArray{5, 2, 3, 4, 1}));
    TIntegerDynArray empty;
    ArrayMoveExtent(empty, 0, 3);
    EXPECT_EQ(ErrorOf([&] { ArrayDeleteRange(a, -1, 1); }), "ArrayDeleteRange: (StartIndex < 0)");
    EXPECT_EQ(ErrorOf([&] { ArrayDeleteRange(a, 4, 2); }), "ArrayDeleteRange: StartIndex + Amount > Length(Extents)");
    EXPECT_EQ(a.size(), 5u);
    ArrayFillRange(a, 1, 2, 9);
    EXPECT_EQ(a, (TIntegerDynArray{5, 9, 9, 4, 1}));

    EXPECT_EQ(NormalizedGridRect(GridCoord(5, 1), GridCoord(2, 7)), (TGridRect{2, 1, 5, 7}));
    EXPECT_TRUE(PointInGridRect(2, 7, TGridRect{2, 1, 5, 7}));
    EXPECT_FALSE(PointInGridRect(6, 7, TGridRect{2, 1, 5, 7}));

    AxisFixture f1({5, 6}, 100), f2({5, 6}, 100);
    EXPECT_TRUE(AxisCelLensEqual(&f1.Axis, &f2.Axis));
    f2.Axis.SetRolCelLens(1, 7);
    EXPECT_FALSE(AxisCelLensEqual(&f1.Axis, &f2.Axis));
}

} // namespace
