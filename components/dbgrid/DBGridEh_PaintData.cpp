// Data cell painting of the data grid: dispatching the cells, the data cell's colours, texts,
// buttons, markers and frames, and the routines the application's painting events call.
#include "DBGridEh.h"
#include "DBGridEh_Paint.h"

#include "components/foundation/core/ToolCtrlsEh_Core.h"

#include <algorithm>

// ============================================================================================
// Rules without a grid
// ============================================================================================

int DataCellButtonTransparencyEh(bool Designing, bool FilterEditing, bool Focused, bool InHighlightedCurrentRow,
                                 bool HotTrack)
{
    if (Designing)
        return 30;
    if (!FilterEditing && (Focused || InHighlightedCurrentRow))
        return 0;
    return HotTrack ? 30 : 80;
}

TColor OddEvenRowColorEh(int RecNo, TColor OddColor, TColor EvenColor)
{
    return RecNo > 0 && RecNo % 2 == 1 ? OddColor : EvenColor;
}

int DataCellVertOffsetEh(int HorzOffset, bool Flat, bool Frame3D, bool TextFillsRow)
{
    int offs = std::min(HorzOffset, 2);
    for (const bool less : {Flat, Frame3D, TextFillsRow})
        if (less && offs > 0)
            --offs;
    return offs;
}

// ============================================================================================
// Dispatching the cells
// ============================================================================================

TAxisColCellParamsEh* TCustomDBGridEh::CreateColCellParams() { return Create<TColCellParamsEh>(); }

TColCellParamsEh* TCustomDBGridEh::DataCellParams() { return static_cast<TColCellParamsEh*>(GetSharedColCellParams()); }

void TCustomDBGridEh::DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect)
{
    TCellAreaHorzTypeEh horz;
    TCellAreaVertTypeEh vert;
    int dataCol = 0, dataRow = 0;
    GetCellType(ACol, ARow, horz, vert, dataCol, dataRow);
    TRect rect = ARect;
    if (vert == TCustomDBGridEh::vctDataEh && ARow == Row())
        DrawRowDetailArea(ACol, rect);
    const bool panel = RowPanelActive() && horz == TCustomDBGridEh::hctDataEh;
    if (horz == TCustomDBGridEh::hctIndicatorEh)
        DrawIndicatorCell(ACol, ARow, State, rect, dataRow, dataCol);
    else if (vert == TCustomDBGridEh::vctFooterEh && panel)
        DrawRowPanelFooterCell(ACol, ARow, State, ARect, dataRow);
    else if (vert == TCustomDBGridEh::vctFooterEh)
        DrawFooterCell(ACol, ARow, State, ARect, dataRow, dataCol);
    else if (vert == TCustomDBGridEh::vctDataEh) {
        TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(dataRow);
        if (node && node->NodeType() == dntDataGroupEh)
            DrawGroupDataCell(ACol, ARow, node, State, rect);
        else if (node && node->NodeType() == dntDataGroupFooterEh)
            DrawGroupFooterCell(ACol, ARow, dataCol, node, State, rect);
        else if (panel)
            DrawRowPanelDataCell(ACol, ARow, State, rect, dataRow);
        else
            DrawDataCell(ACol, ARow, State, rect, dataRow, dataCol);
    }
    else if (vert == TCustomDBGridEh::vctTitleEh && panel)
        DrawRowPanelTitleCell(ACol, ARow, State, ARect);
    else
        DrawTitleAreaCell(ACol, ARow, State, ARect, dataRow, dataCol);
}

// ============================================================================================
// Data cells
// ============================================================================================

namespace {

// Leaves the row read without moving the cursor, also when painting fails half way.
class TInstantReadScope {
public:
    TInstantReadScope(TCustomDBGridEh* Grid, int DataRow) : FGrid(Grid) { FGrid->InstantReadRecordEnter(DataRow); }
    ~TInstantReadScope() { FGrid->InstantReadRecordLeave(); }
    TInstantReadScope(const TInstantReadScope&) = delete;
    TInstantReadScope& operator=(const TInstantReadScope&) = delete;

private:
    TCustomDBGridEh* FGrid;
};

bool IsTextKind(TAxisBarEhType Kind)
{
    return Kind == ctCommon || Kind == ctPickList || Kind == ctLookupField || Kind == ctKeyPickList ||
           Kind == ctDataList;
}

bool DataSetEditing(TDataSet* DataSet)
{
    return DataSet && (DataSet->State() == dsEdit || DataSet->State() == dsInsert);
}

}  // namespace

bool TCustomDBGridEh::DataCellHas3DFrame(int ACol, int ARow, TGridDrawState State)
{
    return CellHave3DFrame(ACol, ARow, State, TRect());
}

void TCustomDBGridEh::DrawDataCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                   int DataCol)
{
    TCanvas* c = Canvas();
    TColumnEh* column = PaintedColumn(DataCol);
    c->Font()->Assign(column ? column->Font() : Font());
    c->Font()->SetColor(column ? GetColumnFontColor(column, AState) : Font()->GetColor());
    c->Brush()->SetColor(column ? GetColumnColor(column, AState) : Color());
    c->Brush()->SetStyle(bsSolid);

    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    // A table a job is filling is not read: the cell stays empty until its controls come back.
    if (!column || !ds || !ds->Active() || !DataRowsReadable() || DataRow < 0 ||
        (DataRow >= InstantReadRecordCount() && !ds->IsEmpty())) {
        if (!BackgroundShowing())
            c->FillRect(ARect);
        return;
    }

    TInstantReadScope reading(this, DataRow);
    TColCellParamsEh* params = DataCellParams();
    const QString text = column->DisplayText();

    // Odd and even rows only colour columns that keep the grid's colour.
    TColor background = c->Brush()->GetColor();
    if (column->Color() == Color() && OddRowColor() != EvenRowColor() && ds->IsSequenced())
        background = OddEvenRowColorEh(DataRowToRecNo(DataRow), OddRowColor(), EvenRowColor());
    c->Brush()->SetColor(background);

    params->FState = AState;
    params->FFont = c->Font();
    params->FAlignment = column->Alignment();
    params->FBackground = background;
    params->FSuppressActiveCellColor = false;
    params->FText = text;
    params->FImageIndex = column->GetImageIndex();
    params->FCheckboxState = column->GetBarType() == ctCheckboxes ? column->CheckboxState() : cbUnchecked;
    params->FBlankCell = false;
    params->FCol = ACol;
    params->FRow = ARow;
    params->FCellRect = ARect;
    params->FTextEditing = column->TextEditing();
    params->FReadOnly = !column->CanModify(false);
    params->FThe3DRect = DataCellHas3DFrame(ACol, ARow, AState);
    params->FDrawCellByThemes = false;
    params->FXFrameOffs = params->FThe3DRect ? 1 : 2;
    params->FYFrameOffs = DataCellVertOffsetEh(params->FXFrameOffs + 1, Flat(), false,
                                               StdDefaultTextHeight() >= StdDefaultRowHeight() - 1);

    TColor paramColor = params->FBackground;
    TGridDrawState state = params->FState;
    GetCellParams(column, c->Font(), paramColor, state);
    params->FBackground = paramColor;
    column->GetColCellParams(false, params);

    TRect areaRect = ARect;
    // In a row panel the indent is the panel's, before the column's place.
    if (FExtraFirstColumnWidth > 0 && column == FirstVisibleColumn() && !RowPanelActive())
        if (TGroupDataTreeNodeEh* node = GroupDataNodeOfRow(DataRow)) {
            DrawDataCellGroupIndent(DataRow, node, areaRect);
            areaRect.Left += FExtraFirstColumnWidth;
        }
    if (HasIntMemTable() && IntMemTable()->GetViewAsTreeList() && column == PaintedColumn(0)) {
        DrawCellTreeElements(DataCol, DataRow, params->FThe3DRect, areaRect, AState);
        areaRect.Left += GetCellTreeElmentsAreaWidth();
    }
    if (column == FirstVisibleColumn())
        areaRect.Left += DrawRowDetailStrip(DataRow, areaRect, AState);

    bool processed = false;
    const TGridCoord cell{ACol, ARow};
    const TGridCoord areaCell{DataCol, DataRow};
    if (OnAdvDrawDataCell.Assigned())
        OnAdvDrawDataCell(this, cell, areaCell, column, areaRect, params, processed);
    if (!processed && column->OnAdvDrawDataCell.Assigned())
        column->OnAdvDrawDataCell(this, cell, areaCell, column, areaRect, params, processed);
    if (!processed)
        DefaultDrawColumnDataCell(cell, areaCell, column, areaRect, params);

    if (DefaultDrawing() && params->FState.Contains(gdFocused) && Focused() &&
        !ComponentState().Contains(csDesigning) && !Options().Contains(dgRowSelect) && UpdateLock() == 0 &&
        GetDrawFocusFrame()) {
        if (IsActiveControl()) {
            c->Brush()->SetStyle(bsSolid);
            c->DrawFocusRect(areaRect);
        }
    }
}

bool TCustomDBGridEh::EditButtonsShownInCell(TColumnEh* Column, int ACol, int ARow)
{
    if (!Column->AlwaysShowEditButton())
        return false;
    const TEditButtonsShowOptionsEh opts = EditButtonsShowOptions();
    if (opts.Contains(sebShowOnlyForCurCellEh) && !(ACol == Col() && ARow == Row()))
        return false;
    if (opts.Contains(sebShowOnlyForCurRowEh) && ARow != Row())
        return false;
    if (opts.Contains(sebShowOnlyWhenGridActiveEh) && !Focused())
        return false;
    if (opts.Contains(sebShowOnlyWhenDataEditingEh) &&
        !(DataLink()->Active() && DataSetEditing(DataLink()->DataSet())))
        return false;
    return true;
}

void TCustomDBGridEh::DefaultDrawColumnDataCell(TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                                                const TRect& AreaRect, TColCellParamsEh* Params)
{
    TCanvas* c = Canvas();
    bool frame = DataCellHas3DFrame(Cell.X, Cell.Y, Params->FState);
    if (Params->FBlankCell && !frame)
        frame = OptionsEh().Contains(dghFixed3D);

    TRect fillRect = AreaRect;
    int horzOffs = FStyle ? FStyle->GetDataCellHorzOffset(this, Column) : 3;
    if (frame) {
        --horzOffs;
        if (Flat()) {
            ++fillRect.Left;
            ++fillRect.Top;
        } else {
            InflateRect(fillRect, -1, -1);
        }
    }
    const int vertOffs =
        DataCellVertOffsetEh(horzOffs, Flat(), frame, StdDefaultTextHeight() >= StdDefaultRowHeight() - 1);
    const int buttonGap = Flat() && !ThemesEnabledEh() ? 1 : 0;

    TRect textRect = fillRect;
    const bool buttons = !Params->FBlankCell && EditButtonsShownInCell(Column, Cell.X, Cell.Y);
    if (buttons)
        textRect.Right -= Column->EditButtonsWidth();

    if (Params->FBlankCell && !Params->FSuppressActiveCellColor)
        Params->FBackground = FixedColor();

    const bool currentCell =
        AreaCell.Y + TopDataOffset() == Row() && (Cell.X == Col() || Options().Contains(dgRowSelect));
    bool highlighted = false;
    if (!(Params->FSuppressActiveCellColor && currentCell)) {
        TColor color = Params->FBackground;
        highlighted = HighlightDataCellColor(AreaCell.X, AreaCell.Y, Params->FText, Params->FState, color, c->Font());
        Params->FBackground = color;
        if (highlighted)
            Params->FState.Include(gdSelected);
    }
    c->Brush()->SetColor(Params->FBackground);

    QString text = Params->FText;
    const bool rowLines = Options().Contains(dgRowLines);
    const int visibleRow = AreaCell.Y - (TopRow() - TopDataOffset());
    bool lineUnderSame = false, lineAboveSame = false;
    if (Column->HideDuplicates() && !Params->FBlankCell) {
        if (visibleRow >= 0 && size_t(visibleRow + 1) >= Column->FCheckedDuplicates.size())
            Column->FCheckedDuplicates.resize(size_t(visibleRow) + 2, false);
        // The line flags only record what this paint did: a partial repaint must still paint
        // its lines over, so they are not consulted before painting.
        if (CheckColumnDuplicateValues(Column, AreaCell.Y, false, text)) {
            lineUnderSame = true;
            if (visibleRow >= 0)
                Column->FCheckedDuplicates[size_t(visibleRow + 1)] = true;
        }
        if (CheckColumnDuplicateValues(Column, AreaCell.Y, true, text)) {
            text.clear();
            Params->FImageIndex = -1;
            if (visibleRow >= 0 && AreaRect.Top > 0) {
                lineAboveSame = true;
                Column->FCheckedDuplicates[size_t(visibleRow)] = true;
            }
        }
    }

    bool filled = CheckFillDataCell(Cell, AreaCell, Column, fillRect, Params);
    if (BackgroundShowing() && c->Brush()->GetColor() == InternalColor())
        filled = true;

    const TAxisBarEhType kind = Column->GetBarType();
    if (!Params->FBlankCell && DefaultDrawing() && !IsRectEmpty(textRect)) {
        if (Column->ImageList() && Column->ShowImageAndText() && kind != ctKeyImageList) {
            const int boxWidth = Column->ImageList()->Width() + 4;
            if (!filled) {
                c->Brush()->SetColor(Column->Color());
                c->FillRect(fillRect);
                filled = true;
            }
            const TRect box(textRect.Left, textRect.Top, std::min(textRect.Left + boxWidth, textRect.Right),
                            textRect.Bottom);
            DrawClippedImage(Column->ImageList(), nullptr, c, box, Params->FImageIndex, 0, taCenter, box);
            textRect.Left = box.Right + 1;
            c->Brush()->SetColor(Params->FBackground);
        }
        if (IsTextKind(kind)) {
            const bool wrap = Column->WordWrap() && Column->CurLineWordWrap(AreaRect.Height());
            WriteCellText(Column, c, !wrap, 0, 0, Column->EndEllipsis(), wrap, Column->Layout(),
                          Params->FAlignment, text, vertOffs, horzOffs, !filled, textRect);
        } else if (kind == ctKeyImageList) {
            if (!filled)
                c->FillRect(fillRect);
            if (Column->ImageList())
                DrawClippedImage(Column->ImageList(), nullptr, c, textRect, Params->FImageIndex, 0, taCenter,
                                 textRect);
        } else if (kind == ctCheckboxes) {
            if (!filled)
                c->FillRect(fillRect);
            const TSize g = CheckBoxGlyphSize();
            // Centred, or from the left edge and clipped when the cell is narrower than the box.
            const int left = textRect.Width() < g.cx ? textRect.Left : textRect.Left + (textRect.Width() - g.cx) / 2;
            const int top = textRect.Height() < g.cy ? textRect.Top : textRect.Top + (textRect.Height() - g.cy) / 2;
            const TRect box(left, top, left + g.cx, top + g.cy);
            HRGN saved = SelectClipRectEh(c, textRect);
            CanvasDrawTextRTL(c, box, Params->FCheckboxState, true, false, Flat(), false, bcsCheckboxEh,
                              c->Brush()->GetColor());
            RestoreClipRegionEh(c, saved);
        } else if (kind == ctGraphicData) {
            DrawGraphicFieldData(Column, textRect, !filled, Params->FBackground);
        }
    } else if (!filled) {
        c->FillRect(fillRect);
    }

    if (buttons) {
        const int transparency = GetEditButtonTransparency(Cell.X, Cell.Y, Params, AreaRect);
        int x = textRect.Right;
        TAxisBarMainEditButtonEh* main = Column->EditButton();
        if (main && main->GetVisible()) {
            const int w = Column->GetEditButtonDefaultWidth();
            TRect b(x, fillRect.Top, x + w, std::min(fillRect.Top + InplaceEditorButtonHeight(), AreaRect.Bottom));
            if (b.Height() <= 0)
                b.Bottom = AreaRect.Bottom;
            if (frame)
                OffsetRect(b, 1, -1);
            PaintCellEditButton(Column, c, -1, nullptr, transparency, nullptr, Params->FBackground, false, Flat(),
                                false, false, AreaRect, b, main->Style());
            x += w + buttonGap;
        }
        if (TEditButtonsEh* more = Column->EditButtons())
            for (int i = 0; i < more->Count(); ++i) {
                TEditButtonEh* eb = more->Items(i);
                if (!eb->GetVisible())
                    continue;
                const int w = eb->Width() < 1 ? InplaceEditorButtonWidth() : eb->Width() + buttonGap;
                const TRect b(x, fillRect.Top, x + w,
                              std::min(fillRect.Top + InplaceEditorButtonHeight(), AreaRect.Bottom));
                PaintCellEditButton(Column, c, -1, nullptr, transparency, eb->Glyph(), Params->FBackground, false,
                                    Flat(), false, false, AreaRect, b, eb->Style());
                x += w + buttonGap;
            }
    }

    if (!Params->FBlankCell) {
        TDataSet* ds = DataLink()->DataSet();
        TField* field = Column->Field();
        bool due = Column->HighlightRequired() && IsCurrentDataRow(AreaCell.Y) && DataSetEditing(ds) && field &&
                   field->Required() && field->IsNull();
        if (Column->OnCheckDrawRequiredState.Assigned())
            Column->OnCheckDrawRequiredState(Column, Params->FText, due);
        if (due) {
            const TColor oldColor = c->Pen()->GetColor();
            const TPenStyle oldStyle = c->Pen()->GetStyle();
            c->Pen()->SetColor(TColor(255));
            c->Pen()->SetStyle(psDot);
            c->MoveTo(fillRect.Left + 2, fillRect.Bottom - 1);
            c->LineTo(fillRect.Right - 3, fillRect.Bottom - 1);
            c->Pen()->SetColor(oldColor);
            c->Pen()->SetStyle(oldStyle);
        }
    }

    if (AxisBars()->State() == csDefault)
        DoDrawDataCell(fillRect, Column->Field(), Params->FState);
    DoDrawColumnCell(fillRect, AreaCell.X, Column, Params->FState);

    if (rowLines && (lineUnderSame || lineAboveSame)) {
        const TColor oldBrush = c->Brush()->GetColor();
        c->Brush()->SetColor(Column->Color());
        if (lineAboveSame)
            c->FillRect(TRect(fillRect.Left, AreaRect.Top - 1, fillRect.Right, AreaRect.Top));
        if (lineUnderSame)
            c->FillRect(TRect(fillRect.Left, AreaRect.Bottom, fillRect.Right, AreaRect.Bottom + 1));
        c->Brush()->SetColor(oldBrush);
    }

    if (Params->FBlankCell)
        DrawBlankCell(Cell.X, Cell.Y, AreaRect, Params->FState);

    if (frame)
        DrawCellEdge(c, AreaRect, Flat(), true, true, highlighted, false);
}

bool TCustomDBGridEh::CheckFillDataCell(TGridCoord Cell, TGridCoord, TAxisBarEh*, const TRect& AreaRect,
                                        TAxisColCellParamsEh* Params)
{
    const bool themes = ThemesEnabledEh();
    const bool inCurrentRow = Cell.Y == Row();
    bool gradientFill = false;
    if (themes && OptionsEh().Contains(dghRowHighlight) && inCurrentRow && !Params->FState.Contains(gdCurrent))
        gradientFill = true;
    else if (themes && Params->FState.Contains(gdHotTrack))
        gradientFill = true;
    if (gradientFill) {
        TCanvas* c = Canvas();
        if (Params->FState.Contains(gdFocused))
            c->FillRect(AreaRect);
        else
            FillGradientRect(c, AreaRect, BlendColors(c->Brush()->GetColor(), clBtnHighlight, 85),
                             c->Brush()->GetColor());
        return true;
    }
    if (Params->FThe3DRect && !Params->FState.Contains(gdSelected) &&
        (Params->FDrawCellByThemes || (Flat() && themes))) {
        FillCell(Params->FDrawCellByThemes ? cfstThemedEh : GetFixedCellFillStyle(), AreaRect, clDefault, false,
                 true, TRect(), false, false);
        return true;
    }
    return false;
}

bool TCustomDBGridEh::HighlightDataCellColor(int DataCol, int DataRow, const QString& Value, TGridDrawState State,
                                             TColor& AColor, TFont* AFont)
{
    TDBGridEhStyle* style = FStyle ? FStyle : DBGridEhDefaultStyle();
    // Called while the painted row is being read, so its bookmark is the dataset's.
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    const bool multiSelected = FSelection && FSelection->SelectionType() != gstNon && ds && !ds->IsEmpty() &&
                               FSelection->DataCellSelected(DataCol, ds->Bookmark());
    return style->HighlightDataCellColor(this, DataToRawColumn(DataCol), DataRow + TopDataOffset(), DataCol, DataRow,
                                         Value, State, multiSelected, AColor, AFont);
}

int TCustomDBGridEh::GetEditButtonTransparency(int ACol, int ARow, TAxisColCellParamsEh* Params, const TRect&)
{
    const TGridDrawState state = Params ? Params->FState : TGridDrawState();
    return DataCellButtonTransparencyEh(ComponentState().Contains(csDesigning), false, state.Contains(gdFocused),
                                        OptionsEh().Contains(dghRowHighlight) && ARow == Row(),
                                        state.Contains(gdHotTrack));
}

bool TCustomDBGridEh::CheckColumnDuplicateValues(TColumnEh* Column, int DataRow, bool CheckPrevRow,
                                                 const QString& Text)
{
    const int other = CheckPrevRow ? DataRow - 1 : DataRow + 1;
    if (other < 0 || other >= InstantReadRecordCount())
        return false;
    // The previous row only counts while it is on the screen.
    if (CheckPrevRow && other + TopDataOffset() < TopRow())
        return false;
    Variant value;
    const bool byEvent = Column->OnGetHideDuplicatesValue.Assigned();
    if (byEvent) {
        value = Variant(Text);
        Column->OnGetHideDuplicatesValue(this, Column, value);
    }
    InstantReadRecordLeave();
    bool same = false;
    {
        TInstantReadScope reading(this, other);
        const QString otherText = Column->DisplayText();
        if (byEvent) {
            Variant otherValue(otherText);
            Column->OnGetHideDuplicatesValue(this, Column, otherValue);
            same = VarCompareEh(value, otherValue) == vrEqual;
        } else {
            same = otherText == Text;
        }
    }
    InstantReadRecordEnter(DataRow);
    return same;
}

void TCustomDBGridEh::DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)
{
    if (!Column)
        return;
    TCanvas* c = Canvas();
    TRect r = Rect;
    int margin = 2;
    if (OptionsEh().Contains(dghFooter3D)) {
        margin = 1;
        InflateRect(r, -1, -1);
    }
    const int top = Flat() ? margin - 1 : margin;
    const TAxisBarEhType kind = Column->GetBarType();
    if (kind == ctCommon || kind == ctPickList || kind == ctLookupField || kind == ctKeyPickList) {
        const bool wrap = Column->WordWrap() && Column->CurLineWordWrap(StdDefaultRowHeight());
        WriteCellText(Column, c, !wrap, 0, 0, Column->EndEllipsis(), wrap, Column->Layout(), Column->Alignment(),
                      Column->DisplayText(), top, margin, true, r);
    } else if (kind == ctKeyImageList) {
        c->FillRect(r);
        int index = Column->GetImageIndex();
        if (Column->ImageList())
            DrawClippedImage(Column->ImageList(), nullptr, c, r, index, 0, taCenter, r);
    } else if (kind == ctCheckboxes) {
        c->FillRect(r);
        const TSize g = CheckBoxGlyphSize();
        const TRect box(r.Left + (r.Width() - g.cx) / 2, r.Top + (r.Height() - g.cy) / 2,
                        r.Left + (r.Width() - g.cx) / 2 + g.cx, r.Top + (r.Height() - g.cy) / 2 + g.cy);
        CanvasDrawTextRTL(c, box, Column->CheckboxState(), true, false, Flat(), false, bcsCheckboxEh,
                          c->Brush()->GetColor());
    } else if (kind == ctGraphicData) {
        DrawGraphicFieldData(Column, r, true, c->Brush()->GetColor());
    }
    (void)DataCol;
    (void)State;
}

void TCustomDBGridEh::DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState)
{
    const QString text = Field ? Field->DisplayText() : QString();
    const TAlignment alignment = Field ? Field->Alignment() : taLeftJustify;
    WriteCellText(nullptr, Canvas(), true, 0, 0, false, false, tlTop, alignment, text, 2, 2, true, Rect);
}

void TCustomDBGridEh::DoDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)
{
    if (OnDrawColumnCell.Assigned())
        OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEh::DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State)
{
    if (OnDrawDataCell.Assigned())
        OnDrawDataCell(this, Rect, Field, State);
}

bool TCustomDBGridEh::IsCurrentRowSelectionVisible()
{
    return !ComponentState().Contains(csDesigning) && Options().Contains(dgRowSelect) && DefaultDrawing() &&
           Focused();
}

bool TCustomDBGridEh::IsThemedSelectionDataCell(int, int, TGridDrawState State) { return IsThemedSelectionCell(State); }

void TCustomDBGridEh::DrawThemedSelectionCell(int ACol, int ARow, bool, TGridDrawState State, const TRect& ARect)
{
    DrawThemedSelection(ACol, ARow, State, ARect);
}

QString TCustomDBGridEh::GetEditMask(int ACol, int)
{
    const int dataCol = RawToDataColumn(ACol);
    TColumnEh* column = PaintedColumn(dataCol);
    return column ? column->GetInplaceEditMask() : QString();
}

QString TCustomDBGridEh::GetEditText(int ACol, int)
{
    const int dataCol = RawToDataColumn(ACol);
    TColumnEh* column = PaintedColumn(dataCol);
    return DataLink()->Active() && column ? column->EditText() : QString();
}
