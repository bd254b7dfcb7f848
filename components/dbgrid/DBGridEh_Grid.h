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
public:
    // ---- routines for the application's cell painting events ----
    // The cell as the grid paints it by default, for OnDrawColumnCell handlers.
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    using TCustomDBAxisGridEh::DefaultDrawDataCell;
    // The field's display text aligned by the field, for OnDrawDataCell handlers.
    void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    // The default painting of a data cell from filled parameters; AreaRect is the cell after
    // the group indent, tree elements and detail expander.
    void DefaultDrawColumnDataCell(TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column, const TRect& AreaRect,
                                   TColCellParamsEh* Params);
    // Whether the column shows the same value in the neighbouring row (previous or next).
    bool CheckColumnDuplicateValues(TColumnEh* Column, int DataRow, bool CheckPrevRow, const QString& Text);

    // ---- editor texts of a column ----
    QString GetEditMask(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;

    // ---- painting events ----
    TDrawColumnEhCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
    TGetFooterParamsEventEh OnGetFooterParams;
    TDrawFooterCellEventEh OnDrawFooterCell;

    // ---- shared decisions of fixed cells ----
    bool CellHave3DFrame(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
    TGridCellFillStyleEh GetFixedCellFillStyle() override;
    virtual bool CellDrawnByThemes(int ACol, int ARow, bool The3DRect, int CellType, TGridDrawState AState,
                                   int DataRow, int DataCol);
    virtual bool HighlightNonDataCellColor(int ACol, int ARow, TFont* AFont, TColor& AColor, bool CellMultiSelected,
                                           TGridDrawState AState, int CellType, int DataRow, int DataCol);
    // The height of a title-tree node's subtree as its captions need it.
    virtual int CalcHeadTreeHeights(class THeadTreeNode* Node);

    // ---- data cells ----
    bool CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* Column, const TRect& AreaRect,
                           TAxisColCellParamsEh* Params) override;
    bool HighlightDataCellColor(int DataCol, int DataRow, const QString& Value, TGridDrawState State, TColor& AColor,
                                TFont* AFont) override;
    int GetEditButtonTransparency(int ACol, int ARow, TAxisColCellParamsEh* Params, const TRect& ARect) override;
    virtual bool IsCurrentRowSelectionVisible();
    virtual bool IsThemedSelectionDataCell(int ACol, int ARow, TGridDrawState State);
    virtual void DrawThemedSelectionCell(int ACol, int ARow, bool RowSelect, TGridDrawState State,
                                         const TRect& ARect);
    void EditingChanged() override;

protected:
    void DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
    virtual void DrawDataCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                              int DataCol);
    virtual void DoDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    virtual void DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);

    // ---- title area, indicator and footer cells ----
    virtual void DrawTitleAreaCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                   int DataCol);
    virtual void DrawTitleCell(TColumnEh* Column, const TRect& ARect, struct TDBGirdDrawTitleStateEh& DrawState,
                               TGridDrawState AState);
    // Returns whether the cell was drawn highlighted (also in Highlight).
    virtual bool DrawSubTitleRowCell(int ACol, int ARow, bool& Highlight, TGridDrawState AState, const TRect& ARect,
                                     int CellType, int DataRow, int DataCol);
    virtual void DrawIndicatorCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                   int DataCol);
    virtual void DrawIndicatorGlyph(const TRect& ARect, int GlyphKind, int OffsetX, int OffsetY);
    virtual void DrawIndicatorDropDownSign(const TRect& ARect, bool Highlighted);
    virtual void DrawTitleFilterMark(const TRect& ARect, bool Highlighted);
    virtual void DrawFooterCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int FooterRow,
                                int DataCol);

    // The grid row whose indicator glyph was drawn last (-1: none).
    int FSelRow = -1;
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
    // ==== end of parameter objects ====
};
