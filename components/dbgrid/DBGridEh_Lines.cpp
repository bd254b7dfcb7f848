#include "DBGridEh.h"

#include "platform/rtl/Guards.h"

namespace {

// Width of one tree level in the first data column.
constexpr int TreeLevelWidth = 18;

// The darker of two line colours; a colour that is no line gives way to the other one.
TColor DarkerLine(TColor A, TColor B)
{
    if (A == clNone)
        return B;
    if (B == clNone)
        return A;
    return DarkerColor(A, B);
}

bool Darker(TColor A, TColor B) { return ColorLuminance(A) < ColorLuminance(B); }

}  // namespace

// ============================================================================================
// Grid lines
// ============================================================================================

void TCustomDBGridEh::GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible,
                                        TColor& Color, bool& Extend)
{
    Extend = true;
    const bool vert = BorderType == cbtLeftEh || BorderType == cbtRightEh;
    if (vert && ACol < ColCount() && ColWidths(ACol) == 0) {
        Visible = false;
        Color = clNone;
        return;
    }
    TDBGridLineParamsEh* lines = GridLineParams();
    TDBGridTitleParamsEh* title = TitleParams();
    TDBGridIndicatorParamsEh* indicator = IndicatorParams();
    TDBGridFooterParamsEh* footer = FooterParams();
    const bool boundaries = lines->GridBoundaries();
    const TColor dark = lines->DarkColor();

    Visible = FOptions.Contains(vert ? dgColLines : dgRowLines);
    Color = ACol < FixedColCount() || ARow < FixedRowCount() ? dark : lines->BrightColor();

    TCellAreaHorzTypeEh horz = hctDataEh;
    TCellAreaVertTypeEh area = vctDataEh;
    int colIndex = 0, rowIndex = 0;
    GetCellType(ACol, ARow, horz, area, colIndex, rowIndex);
    const bool indicatorCol = horz == hctIndicatorEh;
    const int lastFooterRow = FullFooterRowCount() - 1;
    const bool firstFooterTop = area == vctFooterEh && rowIndex == 0 && BorderType == cbtTopEh;
    const bool lastFooterBottom = area == vctFooterEh && rowIndex == lastFooterRow && BorderType == cbtBottomEh;

    // The title rule, also for the band under the titles and, on its vertical lines, the
    // indicator corner.
    const auto titleRule = [&] {
        if (title->BorderInFillStyle() && (!indicatorCol || !vert)) {
            Visible = false;
            return;
        }
        if (vert) {
            Visible = title->VertLines();
            Color = title->GetVertLineColor();
            if (indicatorCol && indicator->IsVertLineColorStored() &&
                Darker(indicator->GetHorzLineColor(), title->GetVertLineColor())) {
                Color = indicator->GetVertLineColor();
                Visible = true;
            }
        } else {
            Visible = title->HorzLines();
            Color = title->GetHorzLineColor();
        }
    };
    const auto footerRule = [&] {
        if (vert) {
            Visible = footer->VertLines();
            Color = Visible ? footer->GetVertLineColor() : indicator->GetVertLineColor();
            return;
        }
        Color = footer->GetHorzLineColor();
        if (BorderType == cbtTopEh)
            Visible = FOptions.Contains(dgRowLines) || boundaries;
        else
            Visible = footer->HorzLines();
        if ((firstFooterTop || lastFooterBottom) && Darker(footer->GetVertLineColor(), Color))
            Color = footer->GetVertLineColor();
    };

    if (area == vctTitleEh || area == vctSubTitleEh) {
        titleRule();
    } else if (indicatorCol && (!vert && area == vctFooterEh && indicator->HorzLines())) {
        Color = indicator->GetHorzLineColor();
        if (firstFooterTop)
            Visible = FOptions.Contains(dgRowLines) || boundaries;
        else if (lastFooterBottom)
            Visible = footer->HorzLines();
        else
            Visible = true;
        if ((firstFooterTop || lastFooterBottom) && Darker(indicator->GetVertLineColor(), Color))
            Color = indicator->GetVertLineColor();
    } else if (indicatorCol && (vert || area != vctFooterEh)) {
        Visible = vert ? indicator->VertLines() : indicator->HorzLines();
        if (Visible)
            Color = vert ? indicator->GetVertLineColor() : indicator->GetHorzLineColor();
    } else if (area == vctFooterEh) {
        footerRule();
    } else if (vert && ACol >= FixedColCount() && ACol < FLastVisibleCol && GroupDataNodeOfRow(rowIndex) &&
               GroupDataNodeOfRow(rowIndex)->NodeType() == dntDataGroupEh) {
        // A group row is one band across the data columns.
        Visible = false;
        Color = clNone;
    } else if (vert) {
        const bool fixedEdge = (BorderType == cbtRightEh && ACol == FixedColCount() - 1) ||
                               (BorderType == cbtLeftEh && ACol == FixedColCount());
        Color = fixedEdge ? dark : lines->DataVertLines() ? lines->GetDataVertColor() : clNone;
        Visible = Color != clNone;
    } else {
        Color = lines->DataHorzLines() ? lines->GetDataHorzColor() : clNone;
        Visible = Color != clNone;
    }

    // Boundaries: the right line of the last column that shows, the left line of the area past
    // the columns, and with the grid boundaries the bottom line of the last row that shows.
    int lastCol = ColCount() - 1;
    while (lastCol >= 0 && ColWidths(lastCol) == 0)
        --lastCol;
    const bool trailingLeft = BorderType == cbtLeftEh && ACol >= ColCount() && FOptions.Contains(dgColLines);
    bool boundary = false;
    if ((BorderType == cbtRightEh && ACol == lastCol) || trailingLeft) {
        TColor color = clNone;
        if (area == vctTitleEh || area == vctSubTitleEh) {
            if (boundaries || title->VertLines() || trailingLeft) {
                boundary = true;
                color = area == vctTitleEh ? DarkerLine(title->GetVertLineColor(), title->GetHorzLineColor()) : dark;
            }
        } else if (area == vctFooterEh) {
            if (boundaries || (footer->HorzLines() && ACol == lastCol) || trailingLeft) {
                boundary = true;
                color = DarkerLine(footer->GetVertLineColor(), footer->GetHorzLineColor());
            }
        } else if (boundaries || trailingLeft) {
            boundary = true;
            color = lines->GetDataBoundaryColor();
        }
        if (boundary) {
            Visible = true;
            Color = color == clNone ? dark : color;
        }
    }
    if (boundaries && BorderType == cbtBottomEh && lines->VertEmptySpaceStyle() == dessNonEh) {
        int lastRow = RowCount() - 1;
        while (lastRow >= 0 && RowHeights(lastRow) == 0)
            --lastRow;
        if (ARow == lastRow) {
            boundary = true;
            Visible = true;
            Color = indicatorCol ? dark : lines->GetDataBoundaryColor();
        }
    }
    // The title tree draws the vertical lines inside multi-line titles itself.
    if (area == vctTitleEh && !indicatorCol && vert && !boundary && IsUseMultiTitle())
        Visible = false;
}

// ============================================================================================
// Right-to-left drawing
// ============================================================================================

void TCustomDBGridEh::WriteTextHighlightedRTL(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset,
                                              const QString& Text, TAlignment Alignment, bool CenterVert,
                                              bool MultyL, const QString& SearchText, bool IgnoreCase,
                                              TColor HighlightColor, bool RightToLeftColumn)
{
    TRect r = ARect;
    const TUnmirroredScope unmirrored(ACanvas, UseRightToLeftAlignment(), r);
    if (unmirrored.Active() && RightToLeftColumn) {
        if (Alignment == taLeftJustify)
            Alignment = taRightJustify;
        else if (Alignment == taRightJustify)
            Alignment = taLeftJustify;
    }
    WriteTextHighlighted(ACanvas, r, HorzMargin, TopOffset, Text, Alignment, CenterVert, MultyL, 0, 0, 0, 0,
                         SearchText, IgnoreCase, HighlightColor, 0, 0);
}

void TCustomDBGridEh::DrawImageRTL(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas,
                                   const TRect& ARect, int ImageIndex, int Offset, TAlignment Alignment,
                                   const TRect& VisibleRect)
{
    TRect r = ARect;
    TRect visible = VisibleRect;
    if (UseRightToLeftAlignment() && ACanvas->Mirrored() && !IsRectEmpty(visible)) {
        // The visible part is converted while the canvas is still mirrored.
        const TUnmirroredScope probe(ACanvas, true, visible);
    }
    const TUnmirroredScope unmirrored(ACanvas, UseRightToLeftAlignment(), r);
    DrawClippedImage(ImageList, Bitmap, ACanvas, r, ImageIndex, Offset, Alignment, visible);
}

// ============================================================================================
// Tree elements
// ============================================================================================

void TCustomDBGridEh::DrawCellTreeElements(int DataCol, int DataRow, bool, const TRect& ARect, TGridDrawState AState)
{
    TBrush* brush = Canvas()->Brush();
    const TColor oldBrush = brush->GetColor();
    const auto restore = Finally([&] { brush->SetColor(oldBrush); });
    TColor color = InternalColor();
    if (AState.Contains(gdSelected) && FStyle)
        FStyle->HighlightDataCellColor(this, DataToRawColumn(DataCol), DataRow + TopDataOffset(), DataCol, DataRow,
                                       QString(), AState, false, color, nullptr);
    brush->SetColor(color);
    DrawTreeElements(Canvas(), ARect, false, true);
}

void TCustomDBGridEh::DrawTreeElements(TCanvas* ACanvas, const TRect& ARect, bool LinesOnly, bool DrawRowLines)
{
    IMemTableEh* table = IntMemTable();
    if (!table)
        return;
    const int level = table->GetTreeNodeLevel();
    if (level < 1)
        return;
    const int nextLevel = table->GetNextTreeNodeLevel();
    const bool hasNextRow = nextLevel >= 0;
    const bool showLines = TreeViewParams()->ShowTreeLines();
    const TTreeViewGlyphStyleEh glyphStyle = TreeViewParams()->GetActualGlyphStyle();
    const bool rtl = UseRightToLeftAlignment();
    const int dotPhase = (DefaultRowHeight() % 2 != 0 && TopRow() % 2 != 0) ? 1 : 0;
    // The row line under the elements is painted over, so the tree's lines run on unbroken.
    const bool coverRowLines = DrawRowLines && FOptions.Contains(dgRowLines) &&
                               !(GridLineParams()->GridBoundaries() && !hasNextRow);
    const auto polyline = [&](std::vector<TPoint> Points) {
        if (ACanvas == Canvas())
            PolylineRTL(Points);
        else
            ACanvas->Polyline(Points);
    };

    TRect nodeBox;
    for (int i = 1; i <= level; ++i) {
        TRect box(ARect.Left + (i - 1) * TreeLevelWidth, ARect.Top, ARect.Left + i * TreeLevelWidth, ARect.Bottom);
        if (coverRowLines && (i == 1 || !hasNextRow || i <= nextLevel))
            ++box.Bottom;
        int kind = -1;
        if (i < level) {
            if (table->TreeNodeAncestorHasNextSibling(i) && showLines)
                kind = 11;
        } else {
            nodeBox = box;
            const bool hasNext = table->TreeNodeAncestorHasNextSibling(level);
            if (table->GetTreeNodeHasVisibleChildren())
                kind = (table->GetTreeNodeExpanded() ? 0 : 4) + (hasNext ? 0 : 1);
            else
                kind = hasNext ? 8 : 9;
            if (!showLines)
                kind = kind <= 2 ? 3 : kind <= 7 ? 7 : -1;
            if (LinesOnly)
                kind = (showLines && (kind == 0 || kind == 4 || kind == 8)) ? 11 : -1;
        }
        const bool clipped = box.Right > ARect.Right;
        HRGN savedClip = nullptr;
        if (clipped)
            savedClip = SelectClipRectEh(ACanvas, TRect(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom + 1));
        const auto restoreClip = Finally([&] {
            if (clipped)
                RestoreClipRegionEh(ACanvas, savedClip);
        });
        ACanvas->FillRect(box);
        if (kind >= 0) {
            TRect glyph = box;
            const TUnmirroredScope unmirrored(ACanvas, rtl, glyph);
            DrawTreeViewGlyph(ACanvas, glyph, kind, dotPhase, 1, 1, unmirrored.Active(), true, glyphStyle);
        }
    }
    if (DrawRowLines && GridLineParams()->DataHorzLines()) {
        ACanvas->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
        polyline({TPoint(nodeBox.Right - 1, nodeBox.Bottom), TPoint(nodeBox.Right - 1, nodeBox.Top - 2)});
    }
}

// ============================================================================================
// Border
// ============================================================================================

void TCustomDBGridEh::PaintBorder(HDC WindowDC)
{
    TCustomDBAxisGridEh::PaintBorder(WindowDC);
    if (!WindowDC || BorderWidthDrawn() <= 0 || UseRightToLeftAlignment() || !FVertScrollBarIsShowing ||
        !FHorzScrollBarIsShowing)
        return;
    // The square between the two scroll bars gets its left and top edges in the face colour.
    const int border = BorderWidthDrawn();
    const TRect corner(Width() - border - FScrollBarSize - 1, Height() - border - FScrollBarSize - 1,
                       Width() - border - 1, Height() - border - 1);
    TCanvas* c = Canvas();
    const HDC own = c->HandleAllocated() ? c->Handle() : nullptr;
    c->SetHandle(WindowDC);
    const auto restore = Finally([c, own] { c->SetHandle(own); });
    c->Pen()->SetColor(clBtnFace);
    c->Polyline({TPoint(corner.Left, corner.Bottom - 1), TPoint(corner.Left, corner.Top), TPoint(corner.Right, corner.Top)});
}
