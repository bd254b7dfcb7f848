// Footer values and footer drawing, footer and title repaints, the sum list's hookup and the
// availability of the clipboard and delete operations.
#include "DBGridEh.h"

#include "platform/vcl/Clipbrd.h"

namespace {

// A total's text by the type of the field it sums.
QString FormatFooterTotal(TField* Field, const QString& FooterFormat, Currency Total)
{
    const double v = Total.ToDouble();
    auto* numeric = dynamic_cast<TNumericField*>(Field);
    const QString fieldFormat = numeric ? numeric->DisplayFormat() : QString();
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
    case ftSingle:
        if (!FooterFormat.isEmpty())
            return FormatFloat(FooterFormat, v);
        if (!fieldFormat.isEmpty())
            return FormatFloat(fieldFormat, v);
        return QString::number(Total.Value / 10000);
    case ftFloat:
    case ftCurrency: {
        if (!FooterFormat.isEmpty())
            return FormatFloat(FooterFormat, v);
        if (!fieldFormat.isEmpty())
            return FormatFloat(fieldFormat, v);
        auto* f = dynamic_cast<TFloatField*>(Field);
        const bool money = f && f->GetCurrency();
        return FloatToStrF(v, money ? ffCurrency : ffGeneral, f ? f->Precision() : 15,
                           money ? FormatSettings.CurrencyDecimals : 0);
    }
    case ftBCD:
    case ftFMTBcd: {
        if (!FooterFormat.isEmpty())
            return FormatFloat(FooterFormat, v);
        if (!fieldFormat.isEmpty())
            return FormatCurr(fieldFormat, Total);
        auto* f = dynamic_cast<TBCDField*>(Field);
        const bool money = f && f->GetCurrency();
        return CurrToStrF(Total, money ? ffCurrency : ffGeneral, money ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
        return QStringLiteral("0");
    }
}

}  // namespace

// ---------------------------------------------------------------- the sum list

void TCustomDBGridEh::SetSumList(TDBGridEhSumList* Value) { FSumList->Assign(Value); }

void TCustomDBGridEh::UpdateSumListDataSet()
{
    if (!FSumList)
        return;
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (ds && ds->ComponentState().Contains(csDestroying))
        ds = nullptr;
    FSumList->SetDataSet(ds);
}

void TCustomDBGridEh::SumListChanged(TObject*)
{
    if (BeingDestroyed())
        return;
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (FDataLink && FDataLink->Active() && ds && !ds->ControlsDisabled())
        UpdateScrollBars();
    InvalidateFooter();
}

void TCustomDBGridEh::SumListRecalcAll(TObject*)
{
    if (OnSumListRecalcAll)
        OnSumListRecalcAll(FSumList.get());
}

void TCustomDBGridEh::SumListAfterRecalcAll(TObject*)
{
    if (OnSumListAfterRecalcAll)
        OnSumListAfterRecalcAll(FSumList.get());
}

// ---------------------------------------------------------------- footer values

void TCustomDBGridEh::GetFooterValue(int Row, TColumnEh* Column, QString& Text)
{
    Text.clear();
    TColumnFooterEh* footer = Column ? Column->UsedFooter(Row) : nullptr;
    if (!footer)
        return;
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    switch (footer->ValueType()) {
    case fvtSum:
    case fvtAvg: {
        Text = QStringLiteral("0");
        const QString name = footer->FieldName().isEmpty() ? Column->FieldName() : footer->FieldName();
        TField* field = ds ? ds->FindField(name) : nullptr;
        if (!field)
            return;
        const TGroupOperation op = footer->ValueType() == fvtSum ? goSum : goAvg;
        TDBSum* sum = FSumList->SumCollection()->GetSumByOpAndFName(op, field->FieldName());
        Text = FormatFooterTotal(field, footer->DisplayFormat(), sum ? sum->SumValue() : Currency());
        break;
    }
    case fvtCount: {
        TDBSum* sum = FSumList->SumCollection()->GetSumByOpAndFName(goCount, QString());
        const double count = sum ? sum->SumValue().ToDouble() : 0;
        Text = footer->DisplayFormat().isEmpty() ? FloatToStr(count) : FormatFloat(footer->DisplayFormat(), count);
        break;
    }
    case fvtFieldValue:
        // A job filling the dataset owns its current record.
        if (ds && ds->Active() && !ds->DataRefilling() && !footer->FieldName().isEmpty())
            Text = FormatFieldByDisplayFormat(ds->FieldByName(footer->FieldName()), footer->DisplayFormat());
        break;
    case fvtStaticText:
        Text = footer->Value();
        break;
    case fvtNon:
        break;
    }
}

void TCustomDBGridEh::GetFooterParams(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                                      TAlignment& Alignment, TGridDrawState State, QString& Text)
{
    if (OnGetFooterParams.Assigned())
        OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

// ---------------------------------------------------------------- footer drawing

void TCustomDBGridEh::DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEh* Column,
                                            TGridDrawState State)
{
    TCanvas* c = Canvas();
    TRect r = Rect;
    int margin = 2;
    if (FOptionsEh.Contains(dghFooter3D)) {
        margin = 1;
        InflateRect(r, -1, -1);
    }
    const int top = Flat() ? margin - 1 : margin;
    QString text;
    GetFooterValue(Row, Column, text);
    TColor background = c->Brush()->GetColor();
    TColumnFooterEh* footer = Column ? Column->UsedFooter(Row) : nullptr;
    TAlignment alignment = footer ? footer->Alignment() : taLeftJustify;
    GetFooterParams(DataCol, Row, Column, c->Font(), background, alignment, State, text);
    c->Brush()->SetColor(background);
    const bool wrap = footer && footer->WordWrap() && AllowWordWrap();
    WriteCellText(Column, c, !wrap, 0, 0, footer && footer->EndEllipsis(), wrap, Column ? Column->Layout() : tlTop,
                  alignment, text, top, margin, true, r);
}

// ---------------------------------------------------------------- repaints

void TCustomDBGridEh::InvalidateFooter()
{
    if (HandleAllocated())
        InvalidateFooterRows();
}

void TCustomDBGridEh::InvalidateTitle()
{
    if (!HandleAllocated())
        return;
    const int rows = std::min(TopDataOffset(), RowCount());
    for (int i = 0; i < rows; ++i)
        InvalidateRow(i);
}

// ---------------------------------------------------------------- clipboard and delete operations

bool TCustomDBGridEh::CheckCopyAction() { return FDataLink && FDataLink->Active(); }

bool TCustomDBGridEh::CheckDeleteAction()
{
    if (!FDataLink || !FDataLink->Active() || ReadOnly())
        return false;
    TDataSet* ds = FDataLink->DataSet();
    if (!ds || ds->IsEmpty() || !ds->CanModify())
        return false;
    switch (Selection()->SelectionType()) {
    case gstRecordBookmarks:
    case gstAll:
        return AllowedOperations().Contains(alopDeleteEh);
    case gstRectangle:
    case gstColumns:
        return AllowedOperations().Contains(alopUpdateEh);
    case gstNon:
        break;
    }
    return false;
}

bool TCustomDBGridEh::CheckCutAction() { return CheckCopyAction() && CheckDeleteAction(); }

bool TCustomDBGridEh::CheckPasteAction()
{
    if (!FDataLink || !FDataLink->Active() || ReadOnly())
        return false;
    TDataSet* ds = FDataLink->DataSet();
    if (!ds || !ds->CanModify())
        return false;
    TClipboard* clip = Clipboard();
    if (!clip->HasFormat(RegisterClipboardFormat(QStringLiteral("VCLDBIF"))) && !clip->HasFormat(CF_TEXT) &&
        !clip->HasFormat(CF_UNICODETEXT))
        return false;
    return ds->State() == dsInsert || AllowedOperations().Contains(alopUpdateEh);
}

bool TCustomDBGridEh::CheckSelectAllAction()
{
    if (!FDataLink || !FDataLink->Active())
        return false;
    TDataSet* ds = FDataLink->DataSet();
    return ds && !ds->IsEmpty() && AllowedSelections().Contains(gstAll);
}
