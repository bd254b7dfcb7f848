// The tab-separated text writers (8-bit and UTF-16) and the CSV writer.
#include "DBGridEhImpExp.h"

namespace {

void WriteUtf16(TStream* Stream, const QString& Text)
{
    // QString holds UTF-16 in the machine's order; the files are little-endian.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "UTF-16 output assumes a little-endian machine");
    Stream->WriteBuffer(Text.utf16(), int64_t(Text.size()) * 2);
}

}  // namespace

// ---------------------------------------------------------------- TDBGridEhExportAsText

void TDBGridEhExportAsText::ExportToStream(TStream* AStream, bool IsExportAll)
{
    FirstRec = true;
    TDBGridEhExport::ExportToStream(AStream, IsExportAll);
}

void TDBGridEhExportAsText::WriteText(const QString& Text)
{
    const QByteArray bytes = UnicodeToCP1251(Text);
    FStream->WriteBuffer(bytes.constData(), bytes.size());
}

void TDBGridEhExportAsText::BeginRow()
{
    if (FirstRec)
        FirstRec = false;
    else
        FStream->WriteBuffer("\r\n", 2);
}

void TDBGridEhExportAsText::BeginCell()
{
    if (FirstCell)
        FirstCell = false;
    else
        FStream->WriteBuffer("\t", 1);
}

void TDBGridEhExportAsText::WriteTitleRow(TColumnsEhList* ColumnsList)
{
    BeginRow();
    FirstCell = true;
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        BeginCell();
        WriteText(ColumnsList->Items(i)->Title()->Caption());
    }
}

void TDBGridEhExportAsText::WriteRecordRow(TColumnsEhList* ColumnsList)
{
    BeginRow();
    FirstCell = true;
    TDBGridEhExport::WriteRecordRow(ColumnsList);
}

void TDBGridEhExportAsText::WriteDataCell(TColumnEh*, TColCellParamsEh* CellParams)
{
    BeginCell();
    WriteText(CellParams->Text());
}

void TDBGridEhExportAsText::WriteFooterRow(TColumnsEhList* ColumnsList, int FooterNo)
{
    BeginRow();
    FirstCell = true;
    TDBGridEhExport::WriteFooterRow(ColumnsList, FooterNo);
}

void TDBGridEhExportAsText::WriteFooterCell(int, int, TColumnEh*, TFont*, TColor, TAlignment, const QString& Text)
{
    BeginCell();
    WriteText(Text);
}

// ---------------------------------------------------------------- TDBGridEhExportAsUnicodeText

void TDBGridEhExportAsUnicodeText::BeginRow()
{
    if (FirstRec)
        FirstRec = false;
    else
        WriteUtf16(FStream, QStringLiteral("\r\n"));
}

void TDBGridEhExportAsUnicodeText::BeginCell()
{
    if (FirstCell)
        FirstCell = false;
    else
        WriteUtf16(FStream, QStringLiteral("\t"));
}

void TDBGridEhExportAsUnicodeText::WriteText(const QString& Text) { WriteUtf16(FStream, Text); }

// ---------------------------------------------------------------- TDBGridEhExportAsCSV

TDBGridEhExportAsCSV::TDBGridEhExportAsCSV() : FSeparator(';'), FQuoteChar('"') {}

void TDBGridEhExportAsCSV::BeginCell()
{
    if (FirstCell)
        FirstCell = false;
    else if (FSeparator != 0)
        FStream->WriteBuffer(&FSeparator, 1);
}

void TDBGridEhExportAsCSV::WriteQuoted(const QString& Text)
{
    if (FQuoteChar == 0) {
        WriteText(Text);
        return;
    }
    const QString quote(QChar::fromLatin1(FQuoteChar));
    QString doubled = Text;
    doubled.replace(quote, quote + quote);
    WriteText(quote + doubled + quote);
}

void TDBGridEhExportAsCSV::WriteTitleRow(TColumnsEhList* ColumnsList)
{
    BeginRow();
    FirstCell = true;
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        BeginCell();
        WriteQuoted(ColumnsList->Items(i)->Title()->Caption());
    }
}

void TDBGridEhExportAsCSV::WriteDataCell(TColumnEh*, TColCellParamsEh* CellParams)
{
    BeginCell();
    WriteQuoted(CellParams->Text());
}

void TDBGridEhExportAsCSV::WriteFooterCell(int, int, TColumnEh*, TFont*, TColor, TAlignment, const QString& Text)
{
    BeginCell();
    WriteQuoted(Text);
}
