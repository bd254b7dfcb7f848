// The data grid: construction, options and data notifications; rows, heights and scrolling;
// the title tree; cell, title and fixed-cell painting; lines and right-to-left mapping.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "DBGridEh_Columns.h"

// ============================================================================================
// TCustomDBGridEh
// ============================================================================================

class TCustomDBGridEh : public TCustomDBAxisGridEh {
    // ==== construction, options and data notifications ====
    // ==== end of construction, options and data notifications ====

    // ==== rows, heights, scrolling and title tree ====
    // ==== end of rows, heights, scrolling and title tree ====

    // ==== data cell, title, indicator and fixed-cell painting ====
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
public:
    // Which lines of a cell are drawn and in which colour, by the area the cell lies in.
    void GetGridLineParams(int ACol, int ARow, TGridCellBorderTypeEh BorderType, bool& Visible, TColor& Color,
                           bool& Extend) override;
    // Text with its found parts highlighted, and an image of a list, kept unmirrored in a
    // right-to-left grid; RightToLeftColumn swaps the alignment for a column that reads
    // right to left.
    void WriteTextHighlightedRTL(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset,
                                 const QString& Text, TAlignment Alignment, bool CenterVert, bool MultyL,
                                 const QString& SearchText, bool IgnoreCase, TColor HighlightColor,
                                 bool RightToLeftColumn);
    void DrawImageRTL(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas, const TRect& ARect,
                      int ImageIndex, int Offset, TAlignment Alignment, const TRect& VisibleRect);
    // The tree elements at the left of a data cell of a table shown as a tree.
    virtual void DrawCellTreeElements(int DataCol, int DataRow, bool The3DRect, const TRect& ARect,
                                      TGridDrawState AState);
    // The element row of the node being read; LinesOnly continues the lines of the node below
    // the row (the detail area), DrawRowLines paints over the row line under the elements.
    void DrawTreeElements(TCanvas* ACanvas, const TRect& ARect, bool LinesOnly, bool DrawRowLines);
    void PaintBorder(HDC WindowDC) override;

private:
    friend class TDBGridEhStyle;
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
    // ==== end of parameter objects ====
};
