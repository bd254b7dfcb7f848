// Column widths: fitting to the client, widths dragged in the grid, frozen columns, width
// optimisation, and the column and grid layout kept in an ini file or the registry.
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Registry.h"
#include "platform/vcl/Forms.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

// Widths a stored layout may bring; anything else is a damaged entry and keeps the column's.
constexpr int MaxRestoredWidth = 10000;

QStringList LayoutWords(const QString& Text)
{
    QStringList words;
    QString cur;
    for (QChar c : Text) {
        if (c == u' ' || c == u',') {
            if (!cur.isEmpty())
                words << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty())
        words << cur;
    return words;
}

bool WordNumber(const QStringList& Words, int N, int& Value)
{
    if (N >= Words.size())
        return false;
    bool ok = false;
    const int v = Words[N].toInt(&ok);
    if (ok)
        Value = v;
    return ok;
}

int MulDivEh(int A, int B, int C) { return C == 0 ? 0 : int((int64_t(A) * B + (C > 0 ? C : -C) / 2) / C); }

}  // namespace

// ---------------------------------------------------------------- auto-fitting

bool TCustomDBGridEh::AutoFitColWidthsActive() { return FAutoFitColWidths && !Designing(); }

void TCustomDBGridEh::StoreInitWidths()
{
    for (int i = 0; i < Columns()->Count(); ++i)
        Columns()->Items(i)->SetInitWidth(Columns()->Items(i)->Width());
}

void TCustomDBGridEh::SetAutoFitColWidths(bool Value)
{
    if (Value == FAutoFitColWidths)
        return;
    // The flag goes first: the columns' update below relays out the grid.
    FAutoFitColWidths = Value;
    if (!Designing()) {
        if (!Value) {
            Columns()->BeginUpdate();
            auto end = Finally([this] { Columns()->EndUpdate(); });
            for (int i = 0; i < Columns()->Count(); ++i)
                Columns()->Items(i)->SetWidth(Columns()->Items(i)->InitWidth());
        } else if (!IsLoading()) {
            StoreInitWidths();
        }
    }
    if (Value && HandleAllocated() && !IsLoading())
        SetLeftCol(FixedColCount());
    LayoutChanged();
}

void TCustomDBGridEh::SetMinAutoFitWidth(int Value)
{
    if (Value == FMinAutoFitWidth)
        return;
    FMinAutoFitWidth = Value;
    LayoutChanged();
}

void TCustomDBGridEh::AutoFitColumns()
{
    const bool colLines = Options().Contains(dgColLines);
    std::vector<TColumnEh*> visible;
    for (int i = 0; i < Columns()->Count(); ++i)
        if (Columns()->Items(i)->Visible())
            visible.push_back(Columns()->Items(i));
    if (visible.empty())
        return;
    const int indicator = FIndicatorOffset > 0 ? ColWidths(0) - (colLines ? GridLineWidth() : 0) : 0;
    std::vector<bool> outOfRange(visible.size(), false);
    auto fits = [&](size_t i) { return visible[i]->AutoFitColWidth() && !outOfRange[i]; };
    int avail = 0;
    for (size_t pass = 0; pass < visible.size(); ++pass) {
        int fixedSum = 0, initSum = 0, fitting = 0;
        for (size_t i = 0; i < visible.size(); ++i) {
            if (fits(i)) {
                initSum += std::max(0, visible[i]->InitWidth());
                ++fitting;
            } else {
                fixedSum += visible[i]->Width();
            }
        }
        avail = std::max(0, std::max(FMinAutoFitWidth, HorzAxis()->GridClientLen()) - fixedSum);
        avail -= indicator;
        if (colLines)
            avail -= int(visible.size()) * GridLineWidth() + (FIndicatorOffset > 0 ? 1 : 0);
        avail -= FExtraFirstColumnWidth;
        avail = std::max(0, avail);
        if (fitting == 0)
            return;
        bool marked = false;
        for (size_t i = 0; i < visible.size(); ++i) {
            if (!fits(i))
                continue;
            // Columns that never had a width share the room evenly rather than divide by zero.
            const int want = initSum > 0 ? MulDivEh(std::max(0, visible[i]->InitWidth()), avail, initSum)
                                         : avail / fitting;
            visible[i]->SetWidth(want);
            if (visible[i]->Width() != want) {
                outOfRange[i] = true;
                marked = true;
            }
        }
        if (!marked)
            break;
    }
    int total = 0;
    for (size_t i = 0; i < visible.size(); ++i)
        if (fits(i))
            total += visible[i]->Width();
    for (size_t k = visible.size(); k-- > 0 && total != avail;) {
        TColumnEh* c = visible[k];
        if (!fits(k) || c->Width() <= 0)
            continue;
        const int step = total < avail ? 1 : -1;
        const int before = c->Width();
        c->SetWidth(before + step);
        total += c->Width() - before;
    }
    UpdateColWidths();
    UpdateBoundaries();
}

void TCustomDBGridEh::ScrollBarShowingChanged()
{
    TCustomDBAxisGridEh::ScrollBarShowingChanged();
    if (UpdateLock() == 0 && AutoFitColWidthsActive())
        LayoutChanged();
}

// ---------------------------------------------------------------- widths dragged in the grid

void TCustomDBGridEh::HorzAxisChanged()
{
    TCustomDBAxisGridEh::HorzAxisChanged();
    ColWidthsChanged();
}

void TCustomDBGridEh::ColWidthsChanged()
{
    if (IsLoading() || BeingDestroyed() || RowPanelActive() || !(DataLink()->Active() || Columns()->State() == csCustomized))
        return;
    const int line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    TColumnEh* first = FirstVisibleColumn();
    auto gridWidth = [&](TColumnEh* c) {
        const int raw = DataToRawColumn(c->Index());
        int w = raw < ColCount() ? ColWidths(raw) - line : c->Width();
        if (c == first)
            w -= FExtraFirstColumnWidth + RowDetailGlyphAreaWidth();
        return w;
    };
    // Most axis changes are the grid taking the columns' own widths: nothing to write back.
    bool differs = false;
    for (int i = 0; i < Columns()->Count() && !differs; ++i) {
        TColumnEh* c = Columns()->Items(i);
        differs = c->Visible() && DataToRawColumn(i) < ColCount() && gridWidth(c) != c->Width();
    }
    if (!differs || !TryBeginLayout())
        return;
    {
        auto end = Finally([this] { EndLayout(); });
        const bool fit = AutoFitColWidthsActive();
        std::vector<TColumnEh*> visible;
        for (int i = 0; i < Columns()->Count(); ++i)
            if (Columns()->Items(i)->Visible())
                visible.push_back(Columns()->Items(i));
        for (size_t k = 0; k < visible.size(); ++k) {
            TColumnEh* c = visible[k];
            const int oldW = c->Width();
            const int newW = std::max(0, c->ClampWidth(gridWidth(c)));
            if (newW == oldW)
                continue;
            if (!fit || !c->AutoFitColWidth()) {
                c->SetWidth(newW);
                continue;
            }
            const int oldInit = c->InitWidth();
            const int newInit = oldW > 0 ? MulDivEh(oldInit, newW, oldW) : newW;
            c->SetInitWidth(newInit);
            if (OptionsEh().Contains(dghResizeWholeRightPart)) {
                int rightSum = 0;
                for (size_t j = k + 1; j < visible.size(); ++j)
                    if (visible[j]->AutoFitColWidth())
                        rightSum += visible[j]->Width();
                if (rightSum > 0)
                    for (size_t j = k + 1; j < visible.size(); ++j)
                        if (visible[j]->AutoFitColWidth())
                            visible[j]->SetInitWidth(
                                std::max(1, MulDivEh(rightSum + oldW - newW, visible[j]->InitWidth(), rightSum)));
            } else if (k + 1 < visible.size()) {
                TColumnEh* next = visible[k + 1];
                next->SetInitWidth(std::max(0, next->InitWidth() + oldInit - newInit));
            }
        }
        FColWidthsChanged = true;
    }
    InvalidateEditor();
    if (OnColWidthsChanged.Assigned())
        OnColWidthsChanged(this);
}

// ---------------------------------------------------------------- frozen columns

void TCustomDBGridEh::SetFrozenCols(int Value)
{
    if (Value < 0 || Value == FFrozenCols)
        return;
    if (!IsLoading() && (DataLink()->Active() || Columns()->State() == csCustomized) &&
        Value >= ColCount() - FIndicatorOffset)
        throw EInvalidGridOperationEh(QStringLiteral("Frozen column count must be less than scrollable column count"));
    FFrozenCols = Value;
    LayoutChanged();
}

// ---------------------------------------------------------------- width optimisation

void TCustomDBGridEh::OptimizeColsWidth(const std::vector<TColumnEh*>& ColumnsList, int CheckRowCount,
                                        int MaxWaitingTime)
{
    if (!DataLink()->Active() || ColumnsList.empty())
        return;
    std::vector<int> widths(ColumnsList.size(), 0);
    auto atMax = [&](size_t i) { return ColumnsList[i]->MaxWidth() > 0 && widths[i] >= ColumnsList[i]->MaxWidth(); };
    auto clampMax = [&](size_t i, int w) {
        return ColumnsList[i]->MaxWidth() > 0 ? std::min(w, ColumnsList[i]->MaxWidth()) : w;
    };
    for (size_t i = 0; i < ColumnsList.size(); ++i) {
        TColumnEh* c = ColumnsList[i];
        const int markerW = c->Title()->GetSortMarkingWidth();
        const int margin = markerW >= 3 ? markerW + 3 : 5;
        TCanvas* canvas = MeasureCanvasEh(c->Title()->Font());
        int w = margin;
        for (const QString& part : c->Title()->Caption().split(u'|'))
            w = std::max(w, margin + canvas->TextWidth(part));
        widths[i] = clampMax(i, w);
    }
    TDataSet* ds = DataLink()->DataSet();
    ds->DisableControls();
    SaveBookmark();
    {
        auto restore = Finally([this, ds] {
            RestoreBookmark();
            ds->EnableControls();
        });
        QElapsedTimer started;
        started.start();
        TColumnEh* firstVisible = FirstVisibleColumn();
        int recNo = 0;
        for (ds->First(); !ds->Eof(); ds->Next()) {
            bool allAtMax = true;
            for (size_t i = 0; i < ColumnsList.size(); ++i) {
                if (atMax(i))
                    continue;
                allAtMax = false;
                TColumnEh* c = ColumnsList[i];
                int margin = c->Alignment() == taLeftJustify ? 5 : 6;
                if (c == firstVisible)
                    margin += FExtraFirstColumnWidth + RowDetailGlyphAreaWidth();
                const QString text = c->DisplayText();
                const int w = text.isEmpty() ? margin : margin + MeasureCanvasEh(c->Font())->TextWidth(text);
                widths[i] = clampMax(i, std::max(widths[i], w));
            }
            ++recNo;
            if (allAtMax || (CheckRowCount >= 0 && recNo >= CheckRowCount) ||
                (MaxWaitingTime > 0 && started.elapsed() > MaxWaitingTime))
                break;
        }
    }
    const bool layout = !AutoFitColWidthsActive();
    if (layout)
        BeginLayout();
    auto end = Finally([this, layout] {
        if (layout)
            EndLayout();
    });
    for (size_t i = 0; i < ColumnsList.size(); ++i) {
        TColumnEh* c = ColumnsList[i];
        for (int f = 0; f < FooterRowCount(); ++f) {
            TColumnFooterEh* footer = c->UsedFooter(f);
            QString text;
            GetFooterValue(f, c, text);
            const int margin = footer->Alignment() == taLeftJustify ? 5 : 6;
            if (!text.isEmpty())
                widths[i] = std::max(widths[i], margin + MeasureCanvasEh(footer->Font())->TextWidth(text));
        }
        c->SetWidth(widths[i]);
    }
}

void TCustomDBGridEh::OptimizeAllColsWidth(int CheckRowCount, int MaxWaitingTime)
{
    std::vector<TColumnEh*> all;
    for (int i = 0; i < Columns()->Count(); ++i)
        all.push_back(Columns()->Items(i));
    OptimizeColsWidth(all, CheckRowCount, MaxWaitingTime);
}

void TCustomDBGridEh::OptimizeColumnWidth(TColumnEh* Column, int MaxWaitingTime)
{
    OptimizeColsWidth({Column}, -1, MaxWaitingTime);
}

// ---------------------------------------------------------------- layout storage

QString TCustomDBGridEh::LayoutSectionName()
{
    if (auto* self = dynamic_cast<TCustomForm*>(static_cast<TComponent*>(this)))
        return self->ClassName();
    QString section = Name();
    for (TComponent* o = Owner(); o; o = o->Owner()) {
        if (dynamic_cast<TCustomForm*>(o))
            return o->ClassName() + section;
        section = o->Name() + u'.' + section;
    }
    return section;
}

void TCustomDBGridEh::WriteColumnsLayout(TCustomIniFile* Ini, const QString& Section, bool Erase)
{
    if (Erase)
        Ini->EraseSection(Section);
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Items(i);
        const QString text = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9")
                                 .arg(c->Index())
                                 .arg(c->Width())
                                 .arg(int(c->Title()->SortMarker()))
                                 .arg(c->Visible() ? 1 : 0)
                                 .arg(c->Title()->SortIndex())
                                 .arg(c->DropDownRows())
                                 .arg(c->DropDownWidth())
                                 .arg(c->InRowLinePos())
                                 .arg(c->InRowLineHeight());
        Ini->WriteString(Section, Name() + u'.' + c->FieldName(), text);
    }
}

void TCustomDBGridEh::ReadColumnsLayout(TCustomIniFile* Ini, const QString& Section, TColumnEhRestoreParams Params)
{
    const bool wasFitting = FAutoFitColWidths;
    BeginUpdate();
    if (wasFitting)
        FAutoFitColWidths = false;
    auto end = Finally([this, wasFitting] {
        EndUpdate();
        if (wasFitting) {
            FAutoFitColWidths = true;
            StoreInitWidths();
        }
        LayoutChanged();
    });
    const int count = Columns()->Count();
    std::vector<TColumnEh*> columns;
    std::vector<int> wantIndex, wantSort;
    for (int i = 0; i < count; ++i) {
        TColumnEh* c = Columns()->Items(i);
        columns.push_back(c);
        wantIndex.push_back(c->Index());
        wantSort.push_back(0);
        const QStringList w = LayoutWords(Ini->ReadString(Section, Name() + u'.' + c->FieldName(), QString()));
        if (w.isEmpty())
            continue;
        int v = 0;
        WordNumber(w, 0, wantIndex.back());
        if (Params.Contains(crpColWidthsEh) && WordNumber(w, 1, v) && v >= 1 && v <= MaxRestoredWidth)
            c->SetWidth(v);
        if (Params.Contains(crpSortMarkerEh)) {
            if (WordNumber(w, 2, v) && v >= int(smNoneEh) && v <= int(smUpEh))
                c->Title()->SetSortMarker(TSortMarkerEh(v));
            if (WordNumber(w, 4, v) && v >= 0)
                wantSort.back() = v;
        }
        if (Params.Contains(crpColVisibleEh) && WordNumber(w, 3, v))
            c->SetVisible(v != 0);
        if (Params.Contains(crpDropDownRowsEh) && WordNumber(w, 5, v) && v >= 0)
            c->SetDropDownRows(unsigned(v));
        if (Params.Contains(crpDropDownWidthEh) && WordNumber(w, 6, v))
            c->SetDropDownWidth(v);
        if (Params.Contains(crpRowPanelColPlacementEh)) {
            if (WordNumber(w, 7, v))
                c->SetInRowLinePos(v);
            if (WordNumber(w, 8, v))
                c->SetInRowLineHeight(v);
        }
    }
    if (Params.Contains(crpSortMarkerEh))
        for (int i = 0; i < count; ++i)
            columns[i]->Title()->SetSortIndex(wantSort[i]);
    if (Params.Contains(crpColIndexEh))
        for (int p = 0; p < count; ++p)
            for (int i = 0; i < count; ++i)
                if (wantIndex[i] == p) {
                    columns[i]->SetIndex(p);
                    break;
                }
}

void TCustomDBGridEh::WriteRowSettings(TCustomIniFile* Ini, const QString& Section, const QString& Key)
{
    Ini->WriteString(Section, Key, QStringLiteral("%1,%2").arg(RowHeight()).arg(RowLines()));
}

void TCustomDBGridEh::ReadRowSettings(TCustomIniFile* Ini, const QString& Section, const QString& Key)
{
    const QStringList w = LayoutWords(Ini->ReadString(Section, Key, QString()));
    int v = 0;
    if (WordNumber(w, 0, v) && v >= 0 && v <= MaxRestoredWidth)
        SetRowHeight(v);
    if (!w.isEmpty())
        SetRowLines(WordNumber(w, 1, v) && v >= 0 ? v : 0);
}

namespace {

TColumnEhRestoreParams ColumnParamsOf(TDBGridEhRestoreParams P)
{
    TColumnEhRestoreParams r;
    const std::pair<TDBGridEhRestoreParam, TColumnEhRestoreParam> map[] = {
        {grpColIndexEh, crpColIndexEh},         {grpColWidthsEh, crpColWidthsEh},
        {grpSortMarkerEh, crpSortMarkerEh},     {grpColVisibleEh, crpColVisibleEh},
        {grpDropDownRowsEh, crpDropDownRowsEh}, {grpDropDownWidthEh, crpDropDownWidthEh},
        {grpRowPanelColPlacementEh, crpRowPanelColPlacementEh}};
    for (const auto& [g, c] : map)
        if (P.Contains(g))
            r = r.Include(c);
    return r;
}

}  // namespace

void TCustomDBGridEh::SaveColumnsLayout(TRegIniFile* ARegIni)
{
    WriteColumnsLayout(ARegIni, LayoutSectionName(), true);
}

void TCustomDBGridEh::SaveColumnsLayout(TCustomIniFile* ACustIni, const QString& Section)
{
    WriteColumnsLayout(ACustIni, Section, false);
}

void TCustomDBGridEh::SaveColumnsLayoutIni(const QString& IniFileName, const QString& Section, bool DeleteSection)
{
    TIniFile ini(IniFileName);
    WriteColumnsLayout(&ini, Section, DeleteSection);
}

void TCustomDBGridEh::RestoreColumnsLayout(TRegIniFile* ARegIni, TColumnEhRestoreParams RestoreParams)
{
    ReadColumnsLayout(ARegIni, LayoutSectionName(), RestoreParams);
}

void TCustomDBGridEh::RestoreColumnsLayout(TCustomIniFile* ACustIni, const QString& Section,
                                           TColumnEhRestoreParams RestoreParams)
{
    ReadColumnsLayout(ACustIni, Section, RestoreParams);
}

void TCustomDBGridEh::RestoreColumnsLayoutIni(const QString& IniFileName, const QString& Section,
                                              TColumnEhRestoreParams RestoreParams)
{
    TIniFile ini(IniFileName);
    ReadColumnsLayout(&ini, Section, RestoreParams);
}

void TCustomDBGridEh::SaveGridLayout(TRegIniFile* ARegIni)
{
    const QString section = LayoutSectionName();
    WriteColumnsLayout(ARegIni, section, true);
    WriteRowSettings(ARegIni, section, QString());
}

void TCustomDBGridEh::SaveGridLayout(TCustomIniFile* ACustIni, const QString& Section)
{
    WriteColumnsLayout(ACustIni, Section, false);
    WriteRowSettings(ACustIni, Section, QStringLiteral("(Default)"));
}

void TCustomDBGridEh::SaveGridLayoutIni(const QString& IniFileName, const QString& Section, bool DeleteSection)
{
    TIniFile ini(IniFileName);
    WriteColumnsLayout(&ini, Section, DeleteSection);
    WriteRowSettings(&ini, Section, QStringLiteral("(Default)"));
}

void TCustomDBGridEh::RestoreGridLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams)
{
    const QString section = LayoutSectionName();
    ReadColumnsLayout(ARegIni, section, ColumnParamsOf(RestoreParams));
    if (RestoreParams.Contains(grpRowHeightEh))
        ReadRowSettings(ARegIni, section, QString());
}

void TCustomDBGridEh::RestoreGridLayout(TCustomIniFile* ACustIni, const QString& Section,
                                        TDBGridEhRestoreParams RestoreParams)
{
    ReadColumnsLayout(ACustIni, Section, ColumnParamsOf(RestoreParams));
    if (RestoreParams.Contains(grpRowHeightEh))
        ReadRowSettings(ACustIni, Section, QStringLiteral("(Default)"));
}

void TCustomDBGridEh::RestoreGridLayoutIni(const QString& IniFileName, const QString& Section,
                                           TDBGridEhRestoreParams RestoreParams)
{
    TIniFile ini(IniFileName);
    RestoreGridLayout(&ini, Section, RestoreParams);
}
