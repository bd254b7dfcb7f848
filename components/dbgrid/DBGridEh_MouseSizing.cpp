// Where the mouse can grab a column border in the titles or a row border in the indicator.
#include "DBGridEh.h"

#include <algorithm>

TDBGridEhState TCustomDBGridEh::TitleColSizingHitTest(int X, int Y, int& SizingPos, int& SizingOfs, int& ColIndex)
{
    TGridOptionsEh opts = TCustomGridEh::Options();
    if (Designing())
        opts = opts | FDesignOptionsBoost;
    if (!opts.Contains(goColSizingEh))
        return dgsNormal;
    CheckUpdateCellPositions();
    if (UseRightToLeftAlignment())
        X = ClientWidth() - X;
    const int top = FVertAxis->GridClientStart();
    if (Y < top || Y >= FVertAxis->FixedBoundary())
        return dgsNormal;
    const int L = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    const int e = L <= 6 ? (7 - L) / 2 : 0;
    const int zone = std::max(L, 7);
    auto hit = [&](int border, int col) {
        if (X < border - e || X > border + zone - e)
            return false;
        SizingPos = border;
        SizingOfs = border - X;
        ColIndex = col;
        return true;
    };
    const int clientStop = FHorzAxis->GridClientStop();
    for (int c = FIndicatorOffset; c < ColCount(); ++c) {
        const TRect r = CellRectEx(c, 0);
        if (r.Right <= r.Left)
            continue;
        if (r.Left >= clientStop)
            break;
        // The line after the cell belongs to its border.
        if (hit(r.Right, c))
            return dgsColSizing;
    }
    return dgsNormal;
}

bool TCustomDBGridEh::IsSizingPos(int X, int Y)
{
    if (TCustomDBAxisGridEh::IsSizingPos(X, Y))
        return true;
    int pos = 0, ofs = 0, col = -1;
    return FDBGridEhState == dgsNormal && TitleColSizingHitTest(X, Y, pos, ofs, col) == dgsColSizing;
}

void TCustomDBGridEh::CalcSizingState(int X, int Y, TGridStateEh& State, int& SizingIndex, int& SizingPos,
                                      int& SizingOfs)
{
    TCustomDBAxisGridEh::CalcSizingState(X, Y, State, SizingIndex, SizingPos, SizingOfs);
    if (State != gsRowSizingEh)
        return;
    int indicator = 0;
    for (int c = 0; c < FIndicatorOffset; ++c)
        indicator += ColWidths(c);
    const int xl = UseRightToLeftAlignment() ? ClientWidth() - X : X;
    if (xl >= FHorzAxis->GridClientStart() + indicator) {
        State = gsNormalEh;
        SizingIndex = -1;
    }
}
