// Title, indicator and footer cells of the data grid, and the decisions all fixed cells share:
// 3-D frames, themed fill, fill style and the highlight of selected fixed cells.
#include "DBGridEh.h"
#include "DBGridEh_Paint.h"
#include "DBGridEh_TitleTree.h"
#include "components/foundation/ToolCtrlsEh.h"

#include "components/foundation/ToolCtrlsEh.h"

// ============================================================================================
// Rules without a grid
// ============================================================================================

QString IndicatorRecNoTextEh(int RecNo, int Step, int LastRecNo, bool IsCurrent)
{
    if (RecNo < 1)
        return QString();
    if (RecNo == 1 || RecNo == LastRecNo || IsCurrent || (Step > 0 && RecNo % Step == 0))
        return QString::number(RecNo);
    // A step below 1 has no multiples and no half steps: the other rows only show the dot.
    if (Step > 0 && Step % 2 == 0 && RecNo % Step == Step / 2)
        return QStringLiteral("-");
    return QStringLiteral("\u00B7");
}

TTitleSortRoomEh TitleSortRoomEh(int TextLeft, int TextRight, int IndexWidth, int NeededWidth)
{
    TTitleSortRoomEh room;
    room.TextRight = TextRight - 16;
    room.DrawMarker = true;
    room.DrawIndex = IndexWidth > 0;
    const auto tooNarrow = [&] {
        const int w = room.TextRight - TextLeft;
        return NeededWidth > 0 ? w < NeededWidth : w < 0;
    };
    if (!tooNarrow())
        return room;
    room.DrawMarker = false;
    room.TextRight += 14 - IndexWidth;
    if (!tooNarrow())
        return room;
    room.DrawIndex = false;
    room.TextRight += IndexWidth + 2;
    return room;
}

// ============================================================================================
// Decisions shared by the fixed cells
// ============================================================================================

TDBGridEhStyle* TCustomDBGridEh::ActualStyle() const { return FStyle ? FStyle : DBGridEhDefaultStyle(); }

TColumnEh* TCustomDBGridEh::PaintedColumn(int DataCol) const
{
    // Grid columns follow the collection one to one; a hidden column keeps its grid column at
    // width 0, so the columns after it are not shifted.
    if (DataCol < 0 || !Columns() || DataCol >= Columns()->Count())
        return nullptr;
    return Columns()->Items(DataCol);
}

TCellAreaTypeEh TCustomDBGridEh::CellAreaType(int ACol, int ARow, int& DataCol, int& DataRow)
{
    TCellAreaHorzTypeEh horz;
    TCellAreaVertTypeEh vert;
    GetCellType(ACol, ARow, horz, vert, DataCol, DataRow);
    TCellAreaTypeEh t;
    t.HorzType = horz == TCustomDBGridEh::hctIndicatorEh ? ::hctIndicatorEh : ::hctDataEh;
    switch (vert) {
    case TCustomDBGridEh::vctTitleEh: t.VertType = ::vctTitleEh; break;
    case TCustomDBGridEh::vctSubTitleEh: t.VertType = ::vctSubTitleEh; break;
    case TCustomDBGridEh::vctDataEh: t.VertType = ::vctDataEh; break;
    case TCustomDBGridEh::vctFooterEh: t.VertType = ::vctFooterEh; break;
    }
    return t;
}

bool TCustomDBGridEh::CellHave3DFrame(int ACol, int ARow, TGridDrawState State, const TRect&)
{
    int dataCol = 0, dataRow = 0;
    const TCellAreaTypeEh t = CellAreaType(ACol, ARow, dataCol, dataRow);
    const bool footer = t.VertType == ::vctFooterEh;
    // The filter band under the titles never has a frame.
    if (t.VertType == ::vctSubTitleEh)
        return false;
    const TDBGridEhOptions o = OptionsEh();
    if (State.Contains(gdFixed) && o.Contains(dghFixed3D) &&
        (t.HorzType == ::hctIndicatorEh || t.VertType == ::vctTitleEh))
        return true;
    if (o.Contains(dghFooter3D) && !State.Contains(gdFixed) && footer && FullFooterRowCount() > 0)
        return true;
    if (o.Contains(dghData3D) && !State.Contains(gdFixed) && !footer && t.HorzType == ::hctDataEh)
        return true;
    return false;
}

TGridCellFillStyleEh TCustomDBGridEh::GetFixedCellFillStyle()
{
    if (Flat())
        return OptionsEh().Contains(dghFixed3D) ? cfstGradientEh : cfstSolidEh;
    return ThemesEnabledEh() ? cfstThemedEh : cfstSolidEh;
}

bool TCustomDBGridEh::CellDrawnByThemes(int, int, bool, TCellAreaTypeEh CellType, TGridDrawState, int, int)
{
    if (!ActualStyle()->IsCustomStyleActive() && !ThemesEnabledEh())
        return false;
    if (CellType.VertType == ::vctTitleEh)
        return TitleParams()->GetActualFillStyle() == cfstThemedEh;
    if (CellType.HorzType == ::hctIndicatorEh)
        return IndicatorParams()->GetActualFillStyle() == cfstThemedEh;
    if (CellType.VertType == ::vctFooterEh)
        return FooterParams()->GetActualFillStyle() == cfstThemedEh;
    return false;
}

bool TCustomDBGridEh::HighlightNonDataCellColor(int ACol, int ARow, TFont* AFont, TColor& AColor,
                                                bool CellMultiSelected, TGridDrawState AState,
                                                TCellAreaTypeEh CellType, int DataRow, int DataCol)
{
    return ActualStyle()->HighlightNonDataCellColor(this, ACol, ARow, DataCol, DataRow, CellType, AState,
                                                    CellMultiSelected, AColor, AFont);
}

int TCustomDBGridEh::CalcHeadTreeHeights(THeadTreeNode* Node)
{
    if (!Node || !Node->Child)
        return 0;
    int best = 0;
    std::vector<std::pair<THeadTreeNode*, int>> sums;
    THeadTreeNode* child = Node->Child;
    do {
        const int sub = CalcHeadTreeHeights(child);
        // Measured on the shared measuring canvas: the grid's own canvas has no device outside
        // a paint, where the layout runs, and would measure every text as empty.
        TCanvas* c = MeasureCanvasEh(child->Column ? child->Column->Title()->Font() : TitleFont());
        int h = 0;
        const int width = std::max(1, child->Width - 4 - child->WIndent);
        if (child->Width > 0) {
            TRect r(0, 0, width, 0);
            const QString text = child->Text.isEmpty() ? QStringLiteral(" ") : child->Text;
            DrawText(c->Handle(), text, -1, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            h = r.Height() + VTitleMargin();
        }
        sums.emplace_back(child, sub);
        best = std::max(best, h + sub);
        child = child->Next;
    } while (child && child != Node->Child);
    for (auto& [node, sub] : sums)
        node->Height = node->Child ? best - sub : best;
    return best;
}

void TCustomDBGridEh::EditingChanged()
{
    TCustomDBAxisGridEh::EditingChanged();
    if (Options().Contains(dgIndicator) && FSelRow >= 0 && HandleAllocated())
        InvalidateCell(0, FSelRow);
}

// ============================================================================================
// Title area
// ============================================================================================

void TCustomDBGridEh::DrawTitleAreaCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                        int DataCol)
{
    int dc = 0, dr = 0;
    const TCellAreaTypeEh cellType = CellAreaType(ACol, ARow, dc, dr);
    TDBGirdDrawTitleStateEh st;
    st.The3DRect = CellHave3DFrame(ACol, ARow, AState, ARect);
    st.DrawByThemes = CellDrawnByThemes(ACol, ARow, st.The3DRect, cellType, AState, DataRow, DataCol);
    st.DrawByThemesOverLines = st.DrawByThemes && ActualStyle()->ThemeTitleFillElement() == gtfeSplitButtonEh;
    TColumnEh* column = PaintedColumn(DataCol);
    st.BackColor = column ? column->Title()->Color() : FixedColor();
    if (ActualStyle()->IsCustomStyleActive())
        st.BackColor = InternalFixedColor();

    if (cellType.VertType == ::vctSubTitleEh) {
        bool highlight = false;
        DrawSubTitleRowCell(ACol, ARow, highlight, AState, ARect, cellType, DataRow, DataCol);
        return;
    }
    if (!column)
        return;
    st.Down = DataCol == FPressedDataCol && FPressedCol == ACol && DBGridEhState() == dgsTitleDown;
    st.Down = st.Down || (FTracking && FPressed && FPressedCol == ACol);
    TRect captionRect = ARect;
    st.Caption = column->Title()->Caption();
    // With multi-line titles the cell shows the column's leaf of the title tree at its bottom;
    // the leaf draws its own right line, cut to the leaf, so group captions above run across.
    THeadTreeNode* leaf = nullptr;
    if (IsUseMultiTitle() && DataCol >= 0 && DataCol < int(LeafFieldArr().size()))
        leaf = LeafFieldArr()[size_t(DataCol)].FLeaf;
    if (leaf) {
        TDBGridTitleParamsEh* tp = TitleParams();
        bool lastVisible = true;
        for (int i = DataCol + 1; i < Columns()->Count() && lastVisible; ++i)
            lastVisible = !Columns()->Items(i)->Visible();
        if (tp->VertLines() && !tp->BorderInFillStyle() && !lastVisible) {
            captionRect.Right -= 1;
            TCanvas* lc = Canvas();
            lc->Pen()->SetColor(tp->GetVertLineColor());
            lc->Pen()->SetWidth(1);
            lc->Polyline({TPoint(captionRect.Right, ARect.Bottom - 1), TPoint(captionRect.Right, ARect.Bottom - leaf->Height - 1)});
        }
        captionRect.Top = ARect.Bottom - leaf->Height + 1;
        st.Caption = leaf->Text;
    }
    st.SortMarker = static_cast<TColumnTitleEh*>(column->Title())->SortMarker();
    st.DrawSortIndex = true;
    TCanvas* c = Canvas();
    TColor back = st.BackColor;
    if (column->Field() && OnGetBtnParams.Assigned())
        OnGetBtnParams(this, column, c->Font(), back, st.SortMarker, st.Down);
    c->Font()->Assign(column->Title()->Font());
    if (column->Field() && OnGetBtnParams.Assigned())
        OnGetBtnParams(this, column, c->Font(), back, st.SortMarker, st.Down);
    st.BackColor = back;
    st.CellMultiSelected = CellMultiSelected(ACol, ARow, TBookmark(), DataCol);
    st.Highlight = HighlightNonDataCellColor(ACol, ARow, c->Font(), st.BackColor, st.CellMultiSelected, AState,
                                             cellType, DataRow, DataCol);
    st.FontCharset = c->Font()->GetCharset();
    st.FontColor = c->Font()->GetColor();
    st.FontHeight = c->Font()->GetHeight();
    st.FontName = c->Font()->GetName();
    st.FontStyle = c->Font()->GetStyle();
    st.MultyTitle = IsUseMultiTitle();
    st.WordWrap = st.MultyTitle || TitleHeight() > 0 || TitleLines() > 0;
    st.Orientation = column->Title()->Orientation();
    st.HorzBorderInFillStyle = TitleParams()->BorderInFillStyle();
    st.VertBorderInFillStyle = st.HorzBorderInFillStyle && PaintedColumn(DataCol + 1) != nullptr;
    st.Layout = st.WordWrap ? tlCenter : tlTop;
    DrawTitleCell(column, captionRect, st, AState);
    if (leaf) {
        Canvas()->Font()->Assign(TitleFont());
        DrawTitleGroupCaptions(leaf, column, captionRect, st, AState);
    }
}

void TCustomDBGridEh::DrawTitleGroupCaptions(THeadTreeNode* Leaf, TColumnEh* Column, const TRect& LeafRect,
                                             const TDBGirdDrawTitleStateEh& LeafState, TGridDrawState AState)
{
    TCanvas* c = Canvas();
    TDBGridTitleParamsEh* tp = TitleParams();
    const bool vertLines = tp->VertLines();
    TDBGirdDrawTitleStateEh st = LeafState;
    st.Down = false;
    st.SortMarker = smNoneEh;
    st.Highlight = false;
    st.BackColor = ColumnDefValues()->Title()->Color();
    if (ActualStyle()->IsCustomStyleActive() && st.BackColor == clBtnFace)
        st.BackColor = InternalFixedColor();
    const bool gradient = tp->GetActualFillStyle() == cfstGradientEh &&
                          (ThemesEnabledEh() || ActualStyle()->GradientEnabledInClassicTheme());
    const bool plain = !st.DrawByThemes && !gradient;
    const TFontDataEh font = [&] { TFontDataEh d; AssignFontToFontData(c->Font(), d); return d; }();

    // Each header starts where its first child starts, so it is found from the leaf's left edge
    // by stepping back over the siblings before the node it was reached from.
    int left = LeafRect.Left;
    int bottom = LeafRect.Top;
    for (THeadTreeNode* node = Leaf; node->Host && node->Host->Host; node = node->Host) {
        THeadTreeNode* host = node->Host;
        for (THeadTreeNode* s = host->Child; s && s != node; s = s->Next)
            left -= s->Width + (vertLines ? 1 : 0);
        const TRect r(left, bottom - host->Height, left + host->Width, bottom);
        bottom = r.Top;
        if (host->Drawn)
            continue;
        host->Drawn = true;
        TRect inner = r;
        c->Brush()->SetColor(st.BackColor);
        c->Brush()->SetStyle(bsSolid);
        ActualStyle()->DrawTitleCellBackground(this, Column, c, r, false, inner, AState, st, r);
        AssignFontDataToFont(font, c->Font());
        c->Brush()->SetColor(st.BackColor);
        WriteCellText(Column, c, false, 0, 0, Column->Title()->EndEllipsis(), true, tlCenter, taCenter, host->Text, 0, 2,
                      plain, inner);
        c->Pen()->SetWidth(1);
        if (vertLines && !tp->BorderInFillStyle()) {
            c->Pen()->SetColor(tp->GetVertLineColor());
            c->Polyline({TPoint(r.Right, r.Top), TPoint(r.Right, r.Bottom)});
        }
        if (tp->HorzLines() && !st.DrawByThemesOverLines) {
            c->Pen()->SetColor(tp->GetHorzLineColor());
            c->Polyline({TPoint(r.Left, r.Bottom - 1), TPoint(r.Right + 1, r.Bottom - 1)});
        }
    }
}

void TCustomDBGridEh::DrawTitleCell(TColumnEh* Column, const TRect& ARect, TDBGirdDrawTitleStateEh& DrawState,
                                    TGridDrawState AState)
{
    TCanvas* c = Canvas();
    c->Font()->Assign(Column->Title()->Font());
    c->Brush()->SetColor(DrawState.BackColor);
    c->Brush()->SetStyle(bsSolid);
    TRect inner = ARect;
    const bool gradient = TitleParams()->GetActualFillStyle() == cfstGradientEh &&
                          (ThemesEnabledEh() || ActualStyle()->GradientEnabledInClassicTheme());
    const bool plain = !DrawState.DrawByThemes && !gradient;
    ActualStyle()->DrawTitleCellBackground(this, Column, c, ARect, false, inner, AState, DrawState, ARect);
    const int horzMargin = plain ? (DrawState.The3DRect ? 1 : 2) : 0;
    const int vertMargin = DrawState.The3DRect && !DrawState.DrawByThemes ? -1 : 0;

    const bool singleLine = !IsUseMultiTitle() && TitleHeight() == 0 && TitleLines() == 0;
    const int pressed = DrawState.Down ? (singleLine ? 1 : 2) : 0;

    TCustomImageList* images = TitleImages();
    const int imageIndex = Column->Title()->ImageIndex();
    const bool imageReplaces = images && imageIndex != -1 && !Column->Title()->ShowImageAndText();
    QString caption = imageReplaces ? QString() : DrawState.Caption;

    TRect textRect = inner;
    const int contentRight = textRect.Right;
    bool drawMarker = false, drawIndex = false;
    int indexWidth = 0;
    auto* title = static_cast<TColumnTitleEh*>(Column->Title());
    if (DrawState.SortMarker != smNoneEh) {
        if (DrawState.DrawSortIndex && SortMarkedColumns() && SortMarkedColumns()->Count() >= 2) {
            const TFontDataEh saved = [&] { TFontDataEh d; AssignFontToFontData(c->Font(), d); return d; }();
            c->Font()->Assign(DBGridEhSortMarkerFont());
            indexWidth = c->TextWidth(QString::number(title->SortIndex()));
            AssignFontDataToFont(saved, c->Font());
        }
        const TTitleSortRoomEh room =
            TitleSortRoomEh(textRect.Left, textRect.Right, indexWidth, imageReplaces ? images->Width() : 0);
        textRect.Right = room.TextRight;
        drawMarker = room.DrawMarker;
        drawIndex = room.DrawIndex;
    }

    c->Font()->SetColor(DrawState.FontColor);
    if (plain) {
        c->FillRect(TRect(textRect.Right, inner.Top, inner.Right, inner.Bottom));
    }
    if (images && imageIndex != -1) {
        TRect imageRect = textRect;
        if (Column->Title()->ShowImageAndText()) {
            imageRect.Right = std::min(textRect.Right, textRect.Left + images->Width() + 1);
            textRect.Left = imageRect.Right;
        }
        OffsetRect(imageRect, pressed, pressed);
        DrawClippedImage(images, nullptr, c, imageRect, imageIndex, 0,
                         IsUseMultiTitle() ? taCenter : Column->Title()->Alignment(), imageRect);
    }
    if (!imageReplaces) {
        TRect r = textRect;
        OffsetRect(r, pressed, pressed);
        if (DrawState.Orientation == tohVertical)
            WriteRotatedText(c, r, plain, 0, 0, caption, Column->Title()->Alignment(), DrawState.Layout, false, false);
        else
            WriteCellText(Column, c, !DrawState.WordWrap, 0, 0, Column->Title()->EndEllipsis(), DrawState.WordWrap,
                          DrawState.Layout, Column->Title()->Alignment(), caption, vertMargin + 2, horzMargin, plain,
                          r);
    }
    if (drawMarker) {
        const TSize size = ActualStyle()->GetSortMarkerSize(c, TitleParams()->SortMarkerStyle());
        const int x = contentRight + pressed - size.cx - indexWidth - 2;
        const int y = inner.Top + (inner.Height() - size.cy) / 2 + pressed;
        ActualStyle()->DrawSortMarker(c, TitleParams()->SortMarkerStyle(), Column, DrawState.SortMarker,
                                      DrawState.CellMultiSelected, TRect(x, y, x + size.cx, y + size.cy));
    }
    if (drawIndex && indexWidth > 0) {
        const TFontDataEh saved = [&] { TFontDataEh d; AssignFontToFontData(c->Font(), d); return d; }();
        const TBrushStyle oldStyle = c->Brush()->GetStyle();
        c->Brush()->SetStyle(bsClear);
        c->Font()->Assign(DBGridEhSortMarkerFont());
        c->Font()->SetColor(DrawState.Highlight ? TColor(clWhite)
                                                : BlendColors(GridLineParams()->GetDarkColor(), cl3DDkShadow, 128));
        const TSize size = ActualStyle()->GetSortMarkerSize(c, TitleParams()->SortMarkerStyle());
        const int x = contentRight + pressed - indexWidth - 2;
        const int y = inner.Top + (inner.Height() - size.cy) / 2 + pressed;
        c->TextOut(x, y, QString::number(title->SortIndex()));
        c->Brush()->SetStyle(oldStyle);
        AssignFontDataToFont(saved, c->Font());
    }
}

bool TCustomDBGridEh::DrawSubTitleRowCell(int, int, bool& Highlight, TGridDrawState, const TRect& ARect,
                                          TCellAreaTypeEh, int, int DataCol)
{
    TCanvas* c = Canvas();
    TColumnEh* column = PaintedColumn(DataCol);
    c->Brush()->SetColor(column ? column->Title()->Color() : FixedColor());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ARect);
    Highlight = false;
    return false;
}

// ============================================================================================
// Indicator
// ============================================================================================

void TCustomDBGridEh::DrawIndicatorCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataRow,
                                        int DataCol)
{
    TCanvas* c = Canvas();
    int dc = 0, dr = 0;
    const TCellAreaTypeEh cellType = CellAreaType(ACol, ARow, dc, dr);
    const bool frame = CellHave3DFrame(ACol, ARow, AState, ARect);
    TColor color = cellType.VertType == ::vctTitleEh ? TitleParams()->Color() : IndicatorParams()->Color();
    c->Brush()->SetColor(color);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ARect);
    if (frame)
        DrawCellEdge(c, ARect, Flat(), true, true, false, false);
    if (cellType.VertType != ::vctDataEh)
        return;

    const bool showRecNo = OptionsEh().Contains(dghShowRecNo);
    const int glyphWidth = Options().Contains(dgIndicator) ? (showRecNo ? 9 : 11) : 0;
    const int glyphOffset = showRecNo ? 0 : 1;
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (!ds || !ds->Active() || !DataRowsReadable() || DataRow < 0 || DataRow >= InstantReadRecordCount())
        return;

    int recNo = 0;
    bool current = false;
    bool selected = false;
    {
        InstantReadRecordEnter(DataRow);
        struct Leave {
            TCustomDBGridEh* G;
            ~Leave() { G->InstantReadRecordLeave(); }
        } leave{this};
        recNo = ds->RecNo();
        current = IsCurrentDataRow(DataRow);
        if (Options().Contains(dgMultiSelect) && !ds->IsEmpty())
            selected = CellMultiSelected(ACol, ARow, ds->Bookmark(), -1);
    }
    c->Font()->Assign(Font());
    if (selected) {
        TColor back = color;
        HighlightNonDataCellColor(ACol, ARow, c->Font(), back, true, AState, cellType, DataRow, DataCol);
        c->Brush()->SetColor(back);
        c->FillRect(ARect);
        if (frame)
            DrawCellEdge(c, ARect, Flat(), true, true, false, false);
    }
    // The row-selection check box ends where the glyph area starts.
    const int checkWidth = RowselCheckboxesWidth();
    if (checkWidth > 0) {
        const TRect box(ARect.Right - glyphWidth - checkWidth, ARect.Top, ARect.Right - glyphWidth, ARect.Bottom);
        TRect glyph;
        GetAlignedCheckBoxRect(box, taCenter, tlCenter, glyph);
        DrawCheckBoxGlyph(c->Handle(), glyph, selected ? cbChecked : cbUnchecked, false, false, Flat(), true);
    }
    if (glyphWidth > 0 && current) {
        int kind = selected ? 1 : 0;
        if (ds->State() == dsEdit)
            kind = 2;
        else if (ds->State() == dsInsert)
            kind = 3;
        const TRect box(ARect.Right - glyphWidth, ARect.Top, ARect.Right, ARect.Bottom);
        DrawIndicatorGlyph(box, kind, glyphOffset, 0);
        FSelRow = ARow;
    }
    if (showRecNo) {
        const bool inserting = current && ds->State() == dsInsert;
        const QString text =
            inserting ? QString()
                      : IndicatorRecNoTextEh(recNo, IndicatorParams()->RecNoShowStep(), ds->RecordCount(), current);
        if (!text.isEmpty()) {
            const TRect area(ARect.Left, ARect.Top, ARect.Right - glyphWidth - checkWidth, ARect.Bottom);
            c->Font()->SetSize(c->Font()->GetSize() - 1);
            WriteCellText(nullptr, c, true, 0, 0, false, false, tlCenter, taCenter, text, 0, 0, false, area);
            c->Font()->Assign(Font());
        }
    }
    (void)DataCol;
}

void TCustomDBGridEh::DrawIndicatorGlyph(const TRect& ARect, int GlyphKind, int OffsetX, int OffsetY)
{
    TCanvas* c = Canvas();
    if (!ThemesEnabledEh()) {
        static const int map[] = {0, 5, 1, 2, 6};
        TCustomImageList* images = DBGridEhIndicators();
        if (!images || GlyphKind < 0 || GlyphKind > 4)
            return;
        TRect r = ARect;
        OffsetRect(r, OffsetX, OffsetY);
        DrawClippedImage(images, nullptr, c, r, map[GlyphKind], 0, taCenter, r);
        return;
    }
    if (GlyphKind == 2 || GlyphKind == 3) {
        TCustomImageList* images = DBGridEhIndicators();
        if (images) {
            TRect r = ARect;
            OffsetRect(r, OffsetX, OffsetY);
            DrawClippedImage(images, nullptr, c, r, GlyphKind == 2 ? 1 : 2, 0, taCenter, r);
        }
        return;
    }
    TColor from = BlendColorsPercent(cl3DDkShadow, clBlack, 30), to = cl3DDkShadow;
    if (GlyphKind == 1) {
        from = BlendColorsPercent(clWhite, clBlack, 7);
        to = clWhite;
    } else if (GlyphKind == 4) {
        from = to = DBGridEhInplaceSearchColor;
    }
    // A right-pointing triangle of nine rows, 1 to 5 pixels long.
    const int x = ARect.Left + (ARect.Width() - 5) / 2 + OffsetX;
    const int y = ARect.Top + (ARect.Height() - 9) / 2 + OffsetY;
    std::vector<TPoint> pts;
    for (int i = 0; i < 9; ++i) {
        const int len = i < 5 ? i + 1 : 9 - i;
        pts.emplace_back(0, i);
        pts.emplace_back(len, i);
    }
    FillGradientByPoints(c, TPoint(x, y), pts, from, to, int(pts.size()) - 1);
}

void TCustomDBGridEh::DrawIndicatorDropDownSign(const TRect& ARect, bool Highlighted)
{
    TCanvas* c = Canvas();
    if (ARect.Height() < 7)
        return;
    const TColor from = Highlighted ? BlendColorsPercent(clWhite, clBlack, 7) : BlendColorsPercent(cl3DDkShadow, clBlack, 30);
    const TColor to = Highlighted ? TColor(clWhite) : TColor(cl3DDkShadow);
    const int x = ARect.Left + (ARect.Width() - 8) / 2 + 1;
    const int y = ARect.Top + (ARect.Height() - 4) / 2;
    std::vector<TPoint> pts;
    for (int i = 0; i < 4; ++i) {
        pts.emplace_back(i, i);
        pts.emplace_back(8 - i, i);
    }
    FillGradientByPoints(c, TPoint(x, y), pts, from, to, int(pts.size()) - 1);
}

void TCustomDBGridEh::DrawTitleFilterMark(const TRect& ARect, bool Highlighted)
{
    TCanvas* c = Canvas();
    const TColor dark = GridLineParams()->GetDarkColor();
    const TColor from = Highlighted ? BlendColorsPercent(clWhite, dark, 7) : BlendColorsPercent(dark, clBlack, 30);
    const TColor to = Highlighted ? TColor(clWhite) : dark;
    static const int widths[] = {6, 4, 2, 2, 2, 1};
    const int x = ARect.Left + (ARect.Width() - 6) / 2 + 1;
    const int y = ARect.Top + (ARect.Height() - 6) / 2;
    std::vector<TPoint> pts;
    for (int i = 0; i < 6; ++i) {
        const int left = (6 - widths[i]) / 2;
        pts.emplace_back(left, i);
        pts.emplace_back(left + widths[i], i);
    }
    FillGradientByPoints(c, TPoint(x, y), pts, from, to, int(pts.size()) - 1);
}

// ============================================================================================
// Footer cells
// ============================================================================================

void TCustomDBGridEh::DrawFooterCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int FooterRow,
                                     int DataCol)
{
    TCanvas* c = Canvas();
    const bool frame = CellHave3DFrame(ACol, ARow, AState, ARect);
    TGridDrawState state = AState;
    if (frame)
        state.Include(gdFixed);
    TColumnEh* column = PaintedColumn(DataCol);
    TRect r = ARect;
    int margin = 2;
    if (frame) {
        margin = 1;
        InflateRect(r, -1, -1);
    }
    const int top = Flat() ? margin - 1 : margin;
    c->Font()->Assign(FooterFont());
    TColor background = FooterColor();
    TAlignment alignment = taLeftJustify;
    QString text;
    if (column) {
        TColumnFooterEh* footer = column->UsedFooter(FooterRow);
        if (footer)
            alignment = footer->Alignment();
        GetFooterValue(FooterRow, column, text);
    }
    if (OnGetFooterParams.Assigned())
        OnGetFooterParams(this, DataCol, FooterRow, column, c->Font(), background, alignment, state, text);
    c->Brush()->SetColor(background);
    c->Brush()->SetStyle(bsSolid);
    if (DefaultDrawing())
        WriteCellText(column, c, true, 0, 0, true, false, column ? column->Layout() : tlTop, alignment, text, top,
                      margin, true, r);
    if (frame)
        DrawCellEdge(c, ARect, Flat(), true, true, false, false);
    if (OnDrawFooterCell.Assigned())
        OnDrawFooterCell(this, DataCol, FooterRow, column, ARect, state);
}
