// The export walk and the module routines; the text, CSV and BIFF writers live in their own files.
#include "DBGridEhImpExp.h"

#include "components/foundation/PlatformBridgeEh.h"
#include "platform/rtl/Guards.h"

#include <cmath>

namespace {

std::unique_ptr<TColumnsEhList> VisibleColumnsOf(TCustomDBGridEh* Grid)
{
    auto list = std::make_unique<TColumnsEhList>();
    if (TAxisBarsEhList* bars = Grid->VisibleAxisBars())
        for (int i = 0; i < bars->Count(); ++i)
            list->Add(bars->Items(i));
    return list;
}

// A total's text by the type of the field it sums.
QString FormatSumText(TField* Field, const QString& FooterFormat, Currency Total)
{
    auto* numeric = dynamic_cast<TNumericField*>(Field);
    const QString format = !FooterFormat.isEmpty() ? FooterFormat : numeric ? numeric->DisplayFormat() : QString();
    const double v = Total.ToDouble();
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        if (!format.isEmpty())
            return FormatFloat(format, v);
        return QString::number(int64_t(std::nearbyint(v)));
    case ftFloat:
    case ftCurrency: {
        if (!format.isEmpty())
            return FormatFloat(format, v);
        auto* f = dynamic_cast<TFloatField*>(Field);
        const bool money = f && f->GetCurrency();
        return FloatToStrF(v, money ? ffCurrency : ffGeneral, f ? f->Precision() : 15,
                           money ? FormatSettings.CurrencyDecimals : 0);
    }
    case ftBCD:
    case ftFMTBcd: {
        if (!format.isEmpty())
            return FormatCurr(format, Total);
        auto* f = dynamic_cast<TBCDField*>(Field);
        const bool money = f && f->GetCurrency();
        return CurrToStrF(Total, money ? ffCurrency : ffGeneral, money ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
        return QString();
    }
}

}  // namespace

// ---------------------------------------------------------------- TDBGridEhExport

TDBGridEhExport::TDBGridEhExport() : FColCellParamsEh(std::make_unique<TColCellParamsEh>()) {}

TDBGridEhExport::~TDBGridEhExport() = default;

TDataSet* TDBGridEhExport::DataSet() const
{
    return FDBGridEh && FDBGridEh->DataSource() ? FDBGridEh->DataSource()->DataSet() : nullptr;
}

Currency TDBGridEhExport::FooterValue(int Row, int Col) const
{
    const size_t i = size_t(Col + Row * (FExpCols ? FExpCols->Count() : 0));
    return i < FFooterValues.size() ? FFooterValues[i] : Currency();
}

TField* TDBGridEhExport::FooterField(TColumnEh* Column, int Row) const
{
    TColumnFooterEh* footer = Column->UsedFooter(Row);
    TDataSet* ds = DataSet();
    if (!footer || !ds)
        return nullptr;
    const QString name = footer->FieldName().isEmpty() ? Column->FieldName() : footer->FieldName();
    return name.isEmpty() ? nullptr : ds->FindField(name);
}

void TDBGridEhExport::ExportToFile(const QString& FileName, bool IsExportAll)
{
    TSaveFileStream stream(FileName);
    ExportToStream(&stream, IsExportAll);
    stream.Commit();
}

void TDBGridEhExport::Prepare(TColumnsEhList* Columns, int RowCount)
{
    if (!FExpCols)
        FExpCols = Columns;
    const bool titles = FDBGridEh->Options().Contains(dgTitles);
    CheckSize(Columns->Count(), RowCount < 0 ? -1 : RowCount + (titles ? 1 : 0) + FDBGridEh->FooterRowCount());
    FFooterValues.assign(size_t(FDBGridEh->FooterRowCount() * FExpCols->Count()), Currency());
    WritePrefix();
    if (titles)
        WriteTitleRow(Columns);
}

void TDBGridEhExport::WriteFooterRows(TColumnsEhList* Columns)
{
    for (int i = 0; i < FDBGridEh->FooterRowCount(); ++i)
        WriteFooterRow(Columns, i);
}

void TDBGridEhExport::WriteAllRecords(TColumnsEhList* Columns)
{
    TDataSet* ds = DataSet();
    const int count = ds->RecordCount();
    Prepare(Columns, count);
    ds->First();
    while (!ds->Eof()) {
        WriteRecordRow(Columns);
        AccumulateFooterValues();
        // A table that grows while it is written stops at the count taken at the start.
        if (ds->IsSequenced() && ds->RecNo() >= count)
            break;
        ds->Next();
    }
    WriteFooterRows(Columns);
}

void TDBGridEhExport::ExportToStream(TStream* AStream, bool IsExportAll)
{
    FStream = AStream;
    TCustomDBGridEh* grid = FDBGridEh;
    TDataSet* ds = DataSet();
    const TDBGridEhSelectionType type = IsExportAll ? gstAll : grid->Selection()->SelectionType();
    std::unique_ptr<TColumnsEhList> visible = VisibleColumnsOf(grid);
    std::unique_ptr<TColumnsEhList> temp;
    {
        TDisableControlsGuard<TDataSet> controls(ds);
        grid->SaveBookmark();
        auto restore = Finally([grid] { grid->RestoreBookmark(); });
        switch (type) {
        case gstRecordBookmarks: {
            TBookmarkListEh* rows = grid->Selection()->Rows();
            Prepare(visible.get(), rows->Count());
            for (int i = 0; i < rows->Count(); ++i) {
                ds->GotoBookmark(rows->GetItem(i));
                AccumulateFooterValues();
                WriteRecordRow(visible.get());
            }
            WriteFooterRows(visible.get());
            break;
        }
        case gstRectangle: {
            TDBGridEhSelectionRect* rect = grid->Selection()->Rect();
            temp = std::make_unique<TColumnsEhList>();
            for (int i = rect->LeftCol(); i <= rect->RightCol(); ++i)
                if (grid->Columns()->Items(i)->Visible())
                    temp->Add(grid->Columns()->Items(i));
            Prepare(temp.get(), -1);
            const TBookmark bottom = rect->BottomRow();
            ds->GotoBookmark(rect->TopRow());
            while (!ds->Eof()) {
                WriteRecordRow(temp.get());
                AccumulateFooterValues();
                if (CompareDataSetBookmarks(ds, ds->GetBookmark(), bottom) == 0)
                    break;
                ds->Next();
            }
            WriteFooterRows(temp.get());
            break;
        }
        case gstColumns:
            WriteAllRecords(grid->Selection()->Columns());
            break;
        case gstAll:
            WriteAllRecords(visible.get());
            break;
        case gstNon: {
            TDataSource* master = ds->GetDataSource();
            if (master && master->DataSet() && !master->DataSet()->IsEmpty())
                return;
            temp = std::make_unique<TColumnsEhList>();
            const int selected = grid->SelectedIndex();
            if (selected >= 0 && selected < grid->Columns()->Count())
                temp->Add(grid->Columns()->Items(selected));
            if (!FExpCols)
                FExpCols = temp.get();
            WritePrefix();
            WriteRecordRow(temp.get());
            break;
        }
        }
    }
    WriteSuffix();
    // The lists die with this call; the exporter serves one export.
    if (FExpCols == temp.get() || FExpCols == visible.get()) {
        FOwnedExpCols = FExpCols == temp.get() ? std::move(temp) : std::move(visible);
        FExpCols = FOwnedExpCols.get();
    }
}

void TDBGridEhExport::AccumulateFooterValues()
{
    if (!FExpCols)
        return;
    const int cols = FExpCols->Count();
    for (int r = 0; r < FDBGridEh->FooterRowCount(); ++r)
        for (int c = 0; c < cols; ++c) {
            TColumnEh* column = FExpCols->Items(c);
            TColumnFooterEh* footer = column->UsedFooter(r);
            if (!footer || (footer->ValueType() != fvtSum && footer->ValueType() != fvtCount))
                continue;
            TField* field = FooterField(column, r);
            if (!field)
                continue;
            Currency& total = FFooterValues[size_t(c + r * cols)];
            if (footer->ValueType() == fvtCount)
                total += Currency::FromInt(1);
            else if (!field->IsNull())
                total += Currency::FromDouble(field->AsFloat());
        }
}

void TDBGridEhExport::WriteRecordRow(TColumnsEhList* ColumnsList)
{
    TFont font;
    TColCellParamsEh* params = FColCellParamsEh.get();
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        TColumnEh* column = ColumnsList->Items(i);
        // Only the cell events look at the font; copying it per cell is the walk's dearest step.
        if (FDBGridEh->OnGetCellParams || column->OnGetCellParams())
            font.Assign(column->Font());
        params->FRow = -1;
        params->FCol = -1;
        params->FState = TGridDrawState();
        params->FFont = &font;
        params->FBackground = column->Color();
        params->FAlignment = column->Alignment();
        params->FImageIndex = column->GetImageIndex();
        params->FText = column->DisplayText();
        params->FCheckboxState = column->CheckboxState();
        if (FDBGridEh->OnGetCellParams) {
            TColor color = column->Color();
            FDBGridEh->OnGetCellParams(FDBGridEh, column, &font, color, TGridDrawState());
            params->FBackground = color;
        }
        column->GetColCellParams(false, params);
        WriteDataCell(column, params);
    }
}

QString TDBGridEhExport::FooterTotalText(int Row, int Col, TColumnEh* Column)
{
    TColumnFooterEh* footer = Column->UsedFooter(Row);
    const Currency total = FooterValue(Row, Col);
    if (footer->ValueType() == fvtCount) {
        const double count = total.ToDouble();
        return footer->DisplayFormat().isEmpty() ? FloatToStr(count) : FormatFloat(footer->DisplayFormat(), count);
    }
    TField* field = FooterField(Column, Row);
    return field ? FormatSumText(field, footer->DisplayFormat(), total) : QString();
}

void TDBGridEhExport::WriteFooterRow(TColumnsEhList* ColumnsList, int FooterNo)
{
    TFont font;
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        TColumnEh* column = ColumnsList->Items(i);
        TColumnFooterEh* footer = column->UsedFooter(FooterNo);
        TColor background = clWindow;
        TAlignment alignment = taLeftJustify;
        QString text;
        if (footer) {
            font.Assign(footer->Font());
            background = footer->Color();
            alignment = footer->Alignment();
            if (footer->ValueType() == fvtSum || footer->ValueType() == fvtCount)
                text = FooterTotalText(FooterNo, i, column);
            else
                FDBGridEh->GetFooterValue(FooterNo, column, text);
        }
        if (FDBGridEh->OnGetFooterParams)
            FDBGridEh->OnGetFooterParams(FDBGridEh, column->Index(), FooterNo, column, &font, background, alignment,
                                         TGridDrawState(), text);
        WriteFooterCell(i, FooterNo, column, &font, background, alignment, text);
    }
}

// ---------------------------------------------------------------- module routines

void ExportGridToStream(TDBGridEhExportClass ExpClass, TCustomDBGridEh* DBGridEh, TStream* Stream, bool IsExportAll)
{
    std::unique_ptr<TDBGridEhExport> exporter = ExpClass();
    exporter->SetDBGridEh(DBGridEh);
    exporter->ExportToStream(Stream, IsExportAll);
}

void ExportGridToFile(TDBGridEhExportClass ExpClass, TCustomDBGridEh* DBGridEh, const QString& FileName,
                      bool IsExportAll)
{
    std::unique_ptr<TDBGridEhExport> exporter = ExpClass();
    exporter->SetDBGridEh(DBGridEh);
    exporter->ExportToFile(FileName, IsExportAll);
}
