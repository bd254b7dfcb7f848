// Laying a data grid out on the pages of a virtual printer: rows are measured in one walk, split
// into page blocks and horizontal bands, then drawn block by block, band by band.
#include "PrnDbgeh.h"
#include "PrntsEh.h"
#include "PrViewEh.h"
#include "PrvFrmEh.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/dbgrid/DBGridEh_Grouping.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinGdi.h"

#include <cmath>

namespace {

using namespace prnlayout;

int Nearest(double v) { return int(std::nearbyint(v)); }

UINT AlignFlags(TAlignment a)
{
    switch (a) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

class TGridPrintRun {
public:
    TGridPrintRun(TPrintDBGridEh* Owner, TDBGridEh* Grid, TVirtualPrinter* Printer)
        : P(Owner), G(Grid), V(Printer), DS(Grid->DataSource()->DataSet())
    {
    }
    void Run();

private:
    void SetFont(TFont* Font);
    void SetUpCanvas();
    int TextHeight(const QString& Text, int Width, bool Wrap);
    void DrawText(const TRect& R, const QString& Text, UINT Flags, int HMargin, int VMargin);
    int MeasureDataRow();
    TGroupDataTreeNodeEh* Node(int Row) const { return Tree ? Tree->GetFlatVisibleItem(Row) : nullptr; }
    QString GroupFooterText(TGroupDataTreeNodeEh* N, TColumnEh* Col, TGridDataGroupFooterColumnItemEh** Item);
    void AddToTotals();
    QString FooterText(int Row, int Col);
    void DrawColontitle(TPageColontitle* C, const TRect& R, bool Header);
    void DrawColontitles();
    void DrawBand(int FirstCol, int LastCol, const TBookmark& BlockStart, int FirstRow, int Rows);
    void NewPage();

    TPrintDBGridEh* P;
    TDBGridEh* G;
    TVirtualPrinter* V;
    TDataSet* DS;
    TCanvas* C = nullptr;
    std::vector<TColumnEh*> Cols;
    std::vector<int> Widths;
    std::vector<int> BandEnds;
    std::vector<int> Heights;   // data rows, then footer rows
    std::vector<double> Totals; // footer row x column
    int DataRows = 0;
    int FooterRows = 0;
    double SX = 1, SY = 1;
    int PpiX = 600, PpiY = 600;
    TPageRect Page;
    int LW = 1, HM = 0, VM = 0;
    int HeaderH = 0, FooterH = 0, TitleH = 0, PrintTitleH = 0;
    int GridW = 0;
    double Fit = 1;   // below 1 when the whole grid is scaled down to the page width
    TPrintMacrosEh Macros;
    TGridGroupDataTreeEh* Tree = nullptr;   // set in group mode
};

void TGridPrintRun::SetFont(TFont* Font)
{
    C->Font()->Assign(Font);
    if (!P->PrintFontName().isEmpty())
        C->Font()->SetName(P->PrintFontName());
    if (Fit < 1)
        C->Font()->SetHeight(std::min(-1, Nearest(C->Font()->GetHeight() * Fit)));
}

void TGridPrintRun::SetUpCanvas()
{
    C = V->Canvas();
    C->Pen()->SetWidth(LW);
    C->Pen()->SetColor(clBlack);
    C->Brush()->SetStyle(bsClear);
    C->Brush()->SetColor(clWhite);
    SetFont(G->Font());
}

int TGridPrintRun::TextHeight(const QString& Text, int Width, bool Wrap)
{
    TRect r(0, 0, std::max(Width, 1), 0);
    const QString t = Text.isEmpty() ? QStringLiteral(" ") : Text;
    ::DrawText(C->Handle(), t, -1, r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (Wrap ? UINT(DT_WORDBREAK) : 0u));
    return r.Height();
}

void TGridPrintRun::DrawText(const TRect& R, const QString& Text, UINT Flags, int HMargin, int VMargin)
{
    TRect r(R.Left + HMargin, R.Top + VMargin, R.Right - HMargin, R.Bottom - VMargin);
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    ::DrawText(C->Handle(), Text, -1, r, Flags | DT_NOPREFIX | DT_EXPANDTABS);
}

int TGridPrintRun::MeasureDataRow()
{
    const bool stretch = P->Options().Contains(pghRowAutoStretch);
    int h = 0;
    for (size_t i = 0; i < Cols.size(); ++i) {
        SetFont(Cols[i]->Font());
        h = std::max(h, TextHeight(Cols[i]->DisplayText(), Widths[i] - 2 * HM, stretch) + 2 * VM);
    }
    return h;
}

QString TGridPrintRun::GroupFooterText(TGroupDataTreeNodeEh* N, TColumnEh* Col,
                                       TGridDataGroupFooterColumnItemEh** Item)
{
    TGridDataGroupFooterEh* footer = N->DataGroupFooter();
    const int idx = footer->ColumnItems()->ItemIndexByColumn(Col);
    *Item = idx >= 0 ? footer->ColumnItems()->Items(idx) : nullptr;
    return *Item ? (*Item)->ConvertToDisplayText((*Item)->AggrValue(N)) : QString();
}

void TGridPrintRun::AddToTotals()
{
    for (int r = 0; r < FooterRows; ++r)
        for (size_t c = 0; c < Cols.size(); ++c) {
            TColumnFooterEh* f = Cols[c]->UsedFooter(r);
            const QString name = f->FieldName().isEmpty() ? Cols[c]->FieldName() : f->FieldName();
            TField* field = DS->FindField(name);
            if (!field)
                continue;
            if (f->ValueType() == fvtCount)
                Totals[size_t(r) * Cols.size() + c] += 1;
            else if (f->ValueType() == fvtSum && !field->IsNull())
                Totals[size_t(r) * Cols.size() + c] += field->AsFloat();
        }
}

QString TGridPrintRun::FooterText(int Row, int Col)
{
    TColumnFooterEh* f = Cols[size_t(Col)]->UsedFooter(Row);
    if (f->ValueType() == fvtSum || f->ValueType() == fvtCount) {
        const double v = Totals[size_t(Row) * Cols.size() + size_t(Col)];
        return f->DisplayFormat().isEmpty() ? FloatToStr(v) : FormatFloat(f->DisplayFormat(), v);
    }
    QString text;
    G->GetFooterValue(Row, Cols[size_t(Col)], text);
    return text;
}

void TGridPrintRun::DrawColontitle(TPageColontitle* T, const TRect& R, bool Header)
{
    if (R.Height() <= 0)
        return;
    SetFont(T->Font());
    const UINT vert = Header ? UINT(DT_TOP) : UINT(DT_BOTTOM | DT_SINGLELINE);
    const std::pair<TStrings*, UINT> texts[] = {
        {T->LeftText(), DT_LEFT}, {T->CenterText(), DT_CENTER}, {T->RightText(), DT_RIGHT}};
    for (const auto& [s, align] : texts) {
        if (s->Count() == 0)
            continue;
        QString text = s->Text();
        if (text.endsWith(u'\n'))
            text.chop(1);
        TRect r = R;
        ::DrawText(C->Handle(), Macros.Apply(text), -1, r, align | vert | DT_NOPREFIX | DT_NOCLIP);
    }
    if (T->LineType() == pcltNon)
        return;
    const int at = Header ? R.Bottom - PpiY / 20 : R.Top + PpiY / 20;
    C->MoveTo(R.Left, at);
    C->LineTo(R.Right, at);
    if (T->LineType() == pcltDoubleLine) {
        const int second = Header ? at - PpiY / 30 : at + PpiY / 30;
        C->MoveTo(R.Left, second);
        C->LineTo(R.Right, second);
    }
}

void TGridPrintRun::DrawColontitles()
{
    Macros.Page = V->PageNumber();
    DrawColontitle(P->PageHeader(), TRect(Page.Left, Page.Top, Page.Right, Page.Top + HeaderH), true);
    DrawColontitle(P->PageFooter(), TRect(Page.Left, Page.Bottom - FooterH, Page.Right, Page.Bottom), false);
}

void TGridPrintRun::NewPage()
{
    V->NewPage();
    SetUpCanvas();
    DrawColontitles();
}

void TGridPrintRun::DrawBand(int FirstCol, int LastCol, const TBookmark& BlockStart, int FirstRow, int Rows)
{
    const bool colored = P->Options().Contains(pghColored);
    const int room = Page.Right - Page.Left;
    int y = Page.Top + HeaderH;
    int bandW = 0;
    for (int c = FirstCol; c <= LastCol; ++c)
        bandW += std::min(Widths[size_t(c)], room);
    const int x0 = Page.Left + LW;

    std::vector<TPoint> points;
    std::vector<DWORD> counts;
    auto addLine = [&](int ax, int ay, int bx, int by) {
        points.push_back(TPoint(ax, ay));
        points.push_back(TPoint(bx, by));
        counts.push_back(2);
    };

    // The print title across the whole printed width, this band's part of it shown.
    if (PrintTitleH > 0) {
        int before = 0, after = 0;
        for (int c = 0; c < FirstCol; ++c)
            before += Widths[size_t(c)];
        for (size_t c = size_t(LastCol) + 1; c < Widths.size(); ++c)
            after += Widths[c];
        TRect r(x0 - before, y, x0 + bandW + after, y + PrintTitleH);
        SetFont(G->TitleFont());
        QString title = P->Title()->Text();
        if (title.endsWith(u'\n'))
            title.chop(1);
        DrawText(r, P->Substituted(title), DT_CENTER | DT_WORDBREAK, HM, VM);
        addLine(x0, y, x0 + bandW, y);
        y += PrintTitleH;
    }

    // Column titles, repeated on every page.
    int x = x0;
    addLine(x0, y, x0 + bandW, y);
    addLine(x0, y, x0, y + TitleH);
    for (int c = FirstCol; c <= LastCol; ++c) {
        const int w = std::min(Widths[size_t(c)], room);
        TColumnEh* col = Cols[size_t(c)];
        const TRect r(x, y, x + w, y + TitleH);
        if (colored) {
            C->Brush()->SetColor(G->FixedColor());
            C->FillRect(r);
        }
        C->Brush()->SetStyle(bsClear);
        SetFont(col->Title()->Font());
        DrawText(r, col->Title()->Caption(), AlignFlags(col->Title()->Alignment()) | DT_WORDBREAK | DT_VCENTER, HM, VM);
        addLine(x + w, y, x + w, y + TitleH);
        x += w;
    }
    y += TitleH;
    addLine(x0, y, x0 + bandW, y);

    const bool stretch = P->Options().Contains(pghRowAutoStretch);
    const int bottom = Page.Bottom - FooterH;
    // The previous row's texts, for columns that hide repeated values; a page starts afresh.
    std::vector<QString> lastTexts(Cols.size());
    bool havePrevious = false;
    if (FirstRow < DataRows && !Tree)
        DS->GotoBookmark(BlockStart);
    for (int i = 0; i < Rows; ++i) {
        const int row = FirstRow + i;
        const bool footer = row >= DataRows;
        const int h = std::min(Heights[size_t(row)], bottom - y);
        x = x0;
        addLine(x0, y, x0, y + h);
        TGroupDataTreeNodeEh* node = footer ? nullptr : Node(row);
        if (node && node->NodeType() == dntDataGroupEh) {
            havePrevious = false;
            // A group row runs across the band.
            const int indent = Nearest((node->Level() - 1) * 18 * SX);
            SetFont(node->DataGroupLevel()->Font());
            DrawText(TRect(x0 + indent, y, x0 + bandW, y + h), node->DataGroupLevel()->GetGroupRowText(node),
                     DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, HM, VM);
            addLine(x0 + bandW, y, x0 + bandW, y + h);
            y += h;
            addLine(x0, y, x0 + bandW, y);
            continue;
        }
        const bool record = node && node->NodeType() == dntDataSetRecordEh;
        if (record)
            G->InstantReadRecordEnter(row);
        auto leave = Finally([this, record] {
            if (record)
                G->InstantReadRecordLeave();
        });
        for (int c = FirstCol; c <= LastCol; ++c) {
            const int w = std::min(Widths[size_t(c)], room);
            TColumnEh* col = Cols[size_t(c)];
            const TRect r(x, y, x + w, y + h);
            TColor bg = clWhite;
            QString text;
            TAlignment align;
            if (footer) {
                TColumnFooterEh* f = col->UsedFooter(row - DataRows);
                SetFont(f->Font());
                if (colored)
                    bg = f->Color();
                text = FooterText(row - DataRows, c);
                align = f->Alignment();
            } else if (node && node->NodeType() == dntDataGroupFooterEh) {
                TGridDataGroupFooterColumnItemEh* item = nullptr;
                text = GroupFooterText(node, col, &item);
                SetFont(item ? item->Font() : node->DataGroupFooter()->Font());
                if (colored)
                    bg = item ? item->Color() : node->DataGroupFooter()->Color();
                align = item ? item->Alignment() : taRightJustify;
            } else {
                SetFont(col->Font());
                if (colored)
                    bg = col->Color();
                text = col->DisplayText();
                align = col->Alignment();
                const bool repeated = col->HideDuplicates() && havePrevious && lastTexts[size_t(c)] == text;
                lastTexts[size_t(c)] = text;
                if (repeated)
                    text.clear();
            }
            if (bg != clWhite) {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(bg);
                C->FillRect(r);
                C->Brush()->SetStyle(bsClear);
            }
            DrawText(r, text, AlignFlags(align) | (stretch ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE | DT_END_ELLIPSIS)), HM, VM);
            addLine(x + w, y, x + w, y + h);
            x += w;
        }
        y += h;
        addLine(x0, y, x0 + bandW, y);
        havePrevious = !footer && !(node && node->NodeType() == dntDataGroupFooterEh);
        if (!footer && !Tree && i + 1 < Rows)
            DS->Next();
    }
    C->PolyPolyline(points.data(), counts.data(), int(counts.size()));
}

void TGridPrintRun::Run()
{
    for (int i = 0; i < G->Columns()->Count(); ++i)
        if (G->Columns()->Items(i)->Visible())
            Cols.push_back(G->Columns()->Items(i));
    FooterRows = G->FooterRowCount();
    Totals.assign(size_t(FooterRows) * Cols.size(), 0);
    Macros.When = Now();

    // Margins that leave no room are refused before a document (and its file) is begun.
    PpiX = V->PixelsPerInchX() > 0 ? V->PixelsPerInchX() : 600;
    PpiY = V->PixelsPerInchY() > 0 ? V->PixelsPerInchY() : 600;
    Page = PageRect(P->Page(), P->Units(), PpiX, PpiY, V->PageWidth(), V->PageHeight(), V->FullPageWidth(),
                    V->FullPageHeight());

    // The title before the document begins, so the document carries it.
    V->SetTitle(QStringLiteral("Табличная информация"));
    V->BeginDoc();
    const TBookmark start = DS->Bookmark();
    auto end = Finally([&] {
        if (P->OnAfterPrint)
            P->OnAfterPrint(P);
        DS->GotoBookmark(start);
        DS->EnableControls();
        if (V->Printing())
            V->EndDoc();
    });
    if (P->OnBeforePrint)
        P->OnBeforePrint(P);
    DS->DisableControls();

    // Metrics: the printer's own resolution against the grid's screen.
    const int screen = G->Canvas()->Font()->PixelsPerInch > 0 ? G->Canvas()->Font()->PixelsPerInch : 96;
    SX = Scale(PpiX, screen);
    SY = Scale(PpiY, screen);
    LW = LineWidth(PpiX, PpiY);
    HM = Nearest(2 * SX);
    VM = Nearest(2 * SY);
    C = V->Canvas();
    SetUpCanvas();

    for (TColumnEh* col : Cols)
        Widths.push_back(Nearest((col->Width() + 1) * SX));

    DS->First();
    if (P->Options().Contains(pghOptimalColWidths)) {
        for (size_t i = 0; i < Cols.size(); ++i) {
            SetFont(Cols[i]->Title()->Font());
            QString caption = Cols[i]->Title()->Caption();
            caption = caption.mid(caption.lastIndexOf(u'|') + 1);
            int need = 10;
            for (const QString& line : caption.split(u'\n'))
                need = std::max(need, C->TextWidth(line));
            Widths[i] = need + 2 * HM;
        }
        for (; !DS->Eof(); DS->Next())
            for (size_t i = 0; i < Cols.size(); ++i) {
                SetFont(Cols[i]->Font());
                Widths[i] = std::max(Widths[i], C->TextWidth(Cols[i]->DisplayText()) + 2 * HM);
            }
        for (int r = 0; r < FooterRows; ++r)
            for (size_t i = 0; i < Cols.size(); ++i) {
                SetFont(Cols[i]->UsedFooter(r)->Font());
                QString text;
                G->GetFooterValue(r, Cols[i], text);
                Widths[i] = std::max(Widths[i], C->TextWidth(text) + 2 * HM);
            }
        DS->First();
    }
    const bool fit = P->Options().Contains(pghFitGridToPageWidth);
    if (fit && P->Options().Contains(pghFitingByColWidths))
        FitWidths(Widths, Page.Right - Page.Left - LW);
    GridW = LW;
    for (int w : Widths)
        GridW += w;
    if (fit && !P->Options().Contains(pghFitingByColWidths) && Page.Right - Page.Left < GridW) {
        // Columns, fonts and cell margins shrink together, so the grid keeps its look.
        Fit = double(Page.Right - Page.Left) / GridW;
        FitWidths(Widths, Page.Right - Page.Left - LW);
        HM = Nearest(HM * Fit);
        VM = Nearest(VM * Fit);
        GridW = LW;
        for (int w : Widths)
            GridW += w;
        SetUpCanvas();
    }
    BandEnds = Bands(Widths, Page.Left, Page.Right, LW);

    // Header and footer heights, the titles, the print title.
    auto colontitleHeight = [&](TPageColontitle* T) {
        SetFont(T->Font());
        int h = 0;
        for (TStrings* s : {T->LeftText(), T->CenterText(), T->RightText()})
            if (s->Count() > 0)
                h = std::max(h, TextHeight(s->Text().trimmed(), Page.Right - Page.Left, false));
        return ColontitleHeight(h, T->LineType(), PpiY);
    };
    HeaderH = colontitleHeight(P->PageHeader());
    FooterH = colontitleHeight(P->PageFooter());
    for (size_t i = 0; i < Cols.size(); ++i) {
        SetFont(Cols[i]->Title()->Font());
        TitleH = std::max(TitleH, TextHeight(Cols[i]->Title()->Caption(), Widths[i] - 2 * HM, true) + 2 * VM);
    }
    if (P->Title()->Count() > 0) {
        SetFont(G->TitleFont());
        PrintTitleH = TextHeight(P->Substituted(P->Title()->Text().trimmed()), GridW - LW - 2 * HM, true) + 2 * VM;
    }

    if (G->DataGrouping()->IsGroupingWorksWithLevel() && G->DataGrouping()->GroupDataTree()->FlatVisibleCount() > 0)
        Tree = G->DataGrouping()->GroupDataTree();

    // One walk measures every row and sums the printed rows for the footers.
    SetFont(G->Font());
    const int baseH = std::max(TextHeight(QStringLiteral("Wg"), 1000, false) + 2 * VM, Nearest(G->RowHeight() * SY));
    if (Tree) {
        for (int i = 0; i < Tree->FlatVisibleCount(); ++i) {
            TGroupDataTreeNodeEh* n = Tree->GetFlatVisibleItem(i);
            int h = baseH;
            if (n->NodeType() == dntDataSetRecordEh) {
                // Only data records count into the totals, never group rows.
                G->InstantReadRecordEnter(i);
                auto leave = Finally([this] { G->InstantReadRecordLeave(); });
                h = std::max(h, MeasureDataRow());
                AddToTotals();
            } else if (n->NodeType() == dntDataGroupEh) {
                SetFont(n->DataGroupLevel()->Font());
                h = std::max(h, TextHeight(n->DataGroupLevel()->GetGroupRowText(n), 4000, false) + 2 * VM);
            }
            Heights.push_back(h);
        }
    } else {
        for (; !DS->Eof(); DS->Next()) {
            Heights.push_back(std::max(baseH, MeasureDataRow()));
            AddToTotals();
        }
    }
    DataRows = int(Heights.size());
    for (int r = 0; r < FooterRows; ++r) {
        int h = baseH;
        for (size_t c = 0; c < Cols.size(); ++c) {
            SetFont(Cols[c]->UsedFooter(r)->Font());
            h = std::max(h, TextHeight(FooterText(r, int(c)), Widths[c] - 2 * HM, false) + 2 * VM);
        }
        Heights.push_back(h);
    }

    // Page blocks; each band of a block is a page of its own.
    const int room = Page.Bottom - FooterH - (Page.Top + HeaderH) - PrintTitleH - TitleH;
    std::vector<std::pair<int, int>> blocks;
    for (int first = 0; first < int(Heights.size());) {
        const int n = BlockRows(Heights, first, std::max(room, 1));
        blocks.emplace_back(first, n);
        first += n;
    }
    if (blocks.empty())
        blocks.emplace_back(0, 0);
    Macros.Pages = int(blocks.size() * BandEnds.size());
    if (BandEnds.empty())
        Macros.Pages = int(blocks.size());

    DS->First();
    DrawColontitles();
    bool firstPage = true;
    for (const auto& [first, n] : blocks) {
        const TBookmark blockStart = first < DataRows ? DS->Bookmark() : TBookmark();
        int firstCol = 0;
        for (int lastCol : BandEnds) {
            if (V->Aborted())
                return;
            if (!firstPage)
                NewPage();
            firstPage = false;
            DrawBand(firstCol, lastCol, blockStart, first, n);
            firstCol = lastCol + 1;
            Application->ProcessMessages();
        }
        // Leave the dataset on the next block's first row.
        if (first < DataRows && !Tree) {
            DS->GotoBookmark(blockStart);
            for (int i = 0; i < n && first + i < DataRows; ++i)
                DS->Next();
        }
    }
}

}  // namespace

void TPrintDBGridEh::PrintTo(TVirtualPrinter* VPrinter)
{
    TDBGridEh* grid = FDBGridEh;
    if (!grid || !grid->DataSource() || !grid->DataSource()->DataSet() || !grid->DataSource()->DataSet()->Active())
        return;
    TGridPrintRun(this, grid, VPrinter).Run();
}

void TPrintDBGridEh::Print() { PrintTo(VirtualPrinter()); }

void TPrintDBGridEh::Preview()
{
    TPrinterPreview* preview = PrinterPreview();
    preview->OnPrinterSetupDialog = OnPrinterSetupDialog;
    preview->PrinterSetupOwner = this;
    PrintTo(preview);
}
