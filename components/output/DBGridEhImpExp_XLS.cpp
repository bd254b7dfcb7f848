// The BIFF worksheet writer: a flat sequence of records, one per cell, between BOF and EOF.
#include "DBGridEhImpExp.h"

#include <cstring>

namespace {

enum : uint16_t {
    BiffBof = 0x0809,
    BiffEof = 0x000A,
    BiffLabel = 0x0204,
    BiffNumber = 0x0203,
    BiffRk = 0x027E,
    BiffBlank = 0x0201,
    BlankFormat = 0x0017,
};

constexpr int RkMin = -536870912;
constexpr int RkMax = 536870911;
constexpr int MaxLabelChars = 255;

void PutWord(char* At, uint16_t Value)
{
    At[0] = char(Value & 0xFF);
    At[1] = char(Value >> 8);
}

}  // namespace

void TDBGridEhExportAsXLS::ExportToStream(TStream* AStream, bool IsExportAll)
{
    FCol = 0;
    FRow = 0;
    FRowsWritten = 0;
    TDBGridEhExport::ExportToStream(AStream, IsExportAll);
}

void TDBGridEhExportAsXLS::CheckSize(int ColumnCount, int RowCount)
{
    if (ColumnCount > MaxCols)
        throw EDBGridEhExportError(
            QStringLiteral("Таблица не помещается на лист Excel: %d столбцов, допускается не более %d."),
            {ColumnCount, MaxCols});
    if (RowCount > MaxRows)
        throw EDBGridEhExportError(
            QStringLiteral("Таблица не помещается на лист Excel: %d строк, допускается не более %d."),
            {RowCount, MaxRows});
}

void TDBGridEhExportAsXLS::WritePrefix()
{
    static const char bof[12] = {0x09, 0x08, 0x08, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00};
    FStream->WriteBuffer(bof, sizeof bof);
}

void TDBGridEhExportAsXLS::WriteSuffix()
{
    static const char eof[4] = {0x0A, 0x00, 0x00, 0x00};
    FStream->WriteBuffer(eof, sizeof eof);
}

void TDBGridEhExportAsXLS::WriteCellHeader(uint16_t Id, uint16_t Length, uint16_t Format)
{
    // A row past the sheet's last would wrap to row 0 and overwrite the titles.
    if (FRowsWritten >= MaxRows)
        throw EDBGridEhExportError(
            QStringLiteral("Таблица не помещается на лист Excel: допускается не более %d строк."), {MaxRows});
    char head[10];
    PutWord(head, Id);
    PutWord(head + 2, Length);
    PutWord(head + 4, FRow);
    PutWord(head + 6, FCol);
    PutWord(head + 8, Format);
    FStream->WriteBuffer(head, sizeof head);
}

void TDBGridEhExportAsXLS::IncColRow()
{
    if (FCol + 1 >= (FExpCols ? FExpCols->Count() : 1)) {
        FCol = 0;
        ++FRow;
        ++FRowsWritten;
    } else {
        ++FCol;
    }
}

void TDBGridEhExportAsXLS::WriteBlankCell()
{
    WriteCellHeader(BiffBlank, 6, BlankFormat);
    IncColRow();
}

void TDBGridEhExportAsXLS::WriteNumberCell(double Value)
{
    WriteCellHeader(BiffNumber, 14, 0);
    static_assert(sizeof(double) == 8 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BIFF numbers are little-endian doubles");
    FStream->WriteBuffer(&Value, 8);
    IncColRow();
}

void TDBGridEhExportAsXLS::WriteRkCell(int Value)
{
    if (Value < RkMin || Value > RkMax) {
        WriteNumberCell(Value);
        return;
    }
    WriteCellHeader(BiffRk, 10, 0);
    const uint32_t rk = uint32_t(Value) * 4u + 2u;
    const char bytes[4] = {char(rk & 0xFF), char((rk >> 8) & 0xFF), char((rk >> 16) & 0xFF), char(rk >> 24)};
    FStream->WriteBuffer(bytes, 4);
    IncColRow();
}

void TDBGridEhExportAsXLS::WriteLabelCell(const QString& Text)
{
    const QByteArray bytes = UnicodeToCP1251(Text.size() > MaxLabelChars ? Text.left(MaxLabelChars) : Text);
    WriteCellHeader(BiffLabel, uint16_t(bytes.size() + 8), 0);
    char length[2];
    PutWord(length, uint16_t(bytes.size()));
    FStream->WriteBuffer(length, 2);
    FStream->WriteBuffer(bytes.constData(), bytes.size());
    IncColRow();
}

void TDBGridEhExportAsXLS::WriteTitleRow(TColumnsEhList* ColumnsList)
{
    for (int i = 0; i < ColumnsList->Count(); ++i)
        WriteLabelCell(ColumnsList->Items(i)->Title()->Caption());
}

void TDBGridEhExportAsXLS::WriteDataCell(TColumnEh* Column, TColCellParamsEh* CellParams)
{
    TField* field = Column->Field();
    if (!field) {
        WriteBlankCell();
        return;
    }
    if (Column->GetBarType() == ctKeyPickList) {
        WriteLabelCell(CellParams->Text());
        return;
    }
    if (field->IsNull()) {
        WriteBlankCell();
        return;
    }
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBytes:
    case ftAutoInc:
        WriteRkCell(field->AsInteger());
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        WriteNumberCell(field->AsFloat());
        break;
    default:
        WriteLabelCell(CellParams->Text());
        break;
    }
}

void TDBGridEhExportAsXLS::WriteFooterCell(int DataCol, int Row, TColumnEh* Column, TFont*, TColor, TAlignment,
                                           const QString& Text)
{
    TColumnFooterEh* footer = Column->UsedFooter(Row);
    if (footer && (footer->ValueType() == fvtSum || footer->ValueType() == fvtCount))
        WriteNumberCell(FooterValue(Row, DataCol).ToDouble());
    else
        WriteLabelCell(Text);
}
