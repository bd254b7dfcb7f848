// A grid on a shown form with logs of what it paints, for the base grid tests.
#pragma once

#include "platform/vcl/VclTestSupport.h"
#include "support/ErrorCapture.h"

#include "components/foundation/GridToolCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "platform/vcl/Forms.h"

#include <QCoreApplication>

namespace gridtest {

class TTestGrid : public TCustomGridEh {
public:
    explicit TTestGrid(TComponent* AOwner) : TCustomGridEh(AOwner) {}
    struct CellCall {
        int Col, Row;
        TGridDrawState State;
        TRect Rect;
    };
    std::vector<CellCall> Cells;
    QStringList Empty;
    QStringList Edits;
    std::function<bool(int, int)> Selectable;
    std::function<bool(int)> TabStop;
    std::function<bool(TGridCoord, TMouseButton)> DblClickable;

    const CellCall* Find(int c, int r) const
    {
        for (const CellCall& k : Cells)
            if (k.Col == c && k.Row == r)
                return &k;
        return nullptr;
    }
    bool CanSelectCell(int c, int r) override { return Selectable ? Selectable(c, r) : true; }
    bool IsTabStopCol(int c) override { return TabStop ? TabStop(c) : true; }
    bool CanCellDblClick(TGridCoord c, TMouseButton b, TPoint, TPoint, TShiftState) override
    {
        return DblClickable ? DblClickable(c, b) : true;
    }
    void DrawCell(int c, int r, TGridDrawState s, const TRect& rect) override
    {
        Cells.push_back({c, r, s, rect});
        TCustomGridEh::DrawCell(c, r, s, rect);
    }
    void DrawEmptySpace(int c, int r, const TRect& rect) override
    {
        Empty << QStringLiteral("%1,%2 %3,%4,%5,%6").arg(c).arg(r).arg(rect.Left).arg(rect.Top).arg(rect.Right).arg(rect.Bottom);
        TCustomGridEh::DrawEmptySpace(c, r, rect);
    }
    void SetEditText(int c, int r, const QString& v) override { Edits << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(v); }
    // Paints the grid into an image (and logs the cells).
    QImage Render()
    {
        Cells.clear();
        Empty.clear();
        TBitmap bmp(Width(), Height());
        PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().copy();
    }
};

struct GridFixture : ::testing::Test {
    TForm* Form = nullptr;
    TTestGrid* Grid = nullptr;
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form = Create<TForm>(nullptr);
        Form->SetBounds(10, 10, 600, 400);
        Grid = Create<TTestGrid>(Form);
        Grid->SetBorderStyle(bsNone);
        Grid->SetParent(Form);
        Form->Show();
        Grid->SetFocus();
        Drain();
    }
    void TearDown() override { delete Form; }
    static void Drain()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    void Key(Word vk, TShiftState shift = TShiftState())
    {
        Word k = vk;
        Grid->KeyDown(k, shift);
    }
    LRESULT Mouse(UINT msg, int x, int y, WPARAM keys = 0)
    {
        return Grid->Perform(msg, keys, MAKELPARAM(WORD(x), WORD(y)));
    }
};

} // namespace gridtest
