// Writing what a data grid shows to a stream or a file: the walk over records and columns with
// footer totals over exactly the written records, and the writers of tab-separated text (8-bit
// and UTF-16), semicolon-separated CSV and the Excel BIFF worksheet.
#pragma once

#include "components/dbgrid/DBGridEh.h"
#include "platform/rtl/Streams.h"

#include <memory>
#include <vector>

// Footer totals, one per footer cell (column position + footer row x column count), raw x 10000.
using TFooterValues = std::vector<Currency>;

// Raised when a grid cannot be written in the chosen format (too many rows for a worksheet).
class EDBGridEhExportError : public Exception {
public:
    using Exception::Exception;
};

class TDBGridEhExport : public TObject {
public:
    TDBGridEhExport();
    ~TDBGridEhExport() override;
    TDBGridEhExport(const TDBGridEhExport&) = delete;
    TDBGridEhExport& operator=(const TDBGridEhExport&) = delete;

    TCustomDBGridEh* DBGridEh() const { return FDBGridEh; }
    void SetDBGridEh(TCustomDBGridEh* Value) { FDBGridEh = Value; }

    virtual void ExportToStream(TStream* AStream, bool IsExportAll);
    // Written to a temporary file beside the target and renamed over it only when the whole
    // export succeeded, so a failure never leaves a partial file under the target name.
    virtual void ExportToFile(const QString& FileName, bool IsExportAll);

    // The footer totals of the last export.
    const TFooterValues& FooterValues() const { return FFooterValues; }
    // The raw total of footer row Row of the column at position Col of ExpCols.
    Currency FooterValue(int Row, int Col) const;
    TColumnsEhList* ExpCols() const { return FExpCols; }

protected:
    virtual void AccumulateFooterValues();
    virtual void WritePrefix() {}
    virtual void WriteSuffix() {}
    virtual void WriteTitleRow(TColumnsEhList* ColumnsList) {}
    virtual void WriteRecordRow(TColumnsEhList* ColumnsList);
    virtual void WriteDataCell(TColumnEh* Column, TColCellParamsEh* CellParams) {}
    virtual void WriteFooterRow(TColumnsEhList* ColumnsList, int FooterNo);
    virtual void WriteFooterCell(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor Background,
                                 TAlignment Alignment, const QString& Text)
    {
    }
    // Called once the columns and the number of records to write are known, before anything is
    // written; a format with limits refuses here.
    virtual void CheckSize(int ColumnCount, int RowCount) {}

    // The text of the exporter's own total of a sum or count footer.
    QString FooterTotalText(int Row, int Col, TColumnEh* Column);
    TField* FooterField(TColumnEh* Column, int Row) const;
    TDataSet* DataSet() const;

    TStream* FStream = nullptr;
    TCustomDBGridEh* FDBGridEh = nullptr;
    TColumnsEhList* FExpCols = nullptr;
    std::unique_ptr<TColCellParamsEh> FColCellParamsEh;
    TFooterValues FFooterValues;

private:
    void Prepare(TColumnsEhList* Columns, int RowCount);
    void WriteFooterRows(TColumnsEhList* Columns);
    void WriteAllRecords(TColumnsEhList* Columns);

    std::unique_ptr<TColumnsEhList> FOwnedExpCols;
};

using TDBGridEhExportClass = std::unique_ptr<TDBGridEhExport> (*)();

template <class T>
std::unique_ptr<TDBGridEhExport> MakeExporter()
{
    return std::make_unique<T>();
}

// Tab-separated text in the 8-bit code page; CR LF between rows, none after the last.
class TDBGridEhExportAsText : public TDBGridEhExport {
public:
    void ExportToStream(TStream* AStream, bool IsExportAll) override;

protected:
    void WriteTitleRow(TColumnsEhList* ColumnsList) override;
    void WriteRecordRow(TColumnsEhList* ColumnsList) override;
    void WriteDataCell(TColumnEh* Column, TColCellParamsEh* CellParams) override;
    void WriteFooterRow(TColumnsEhList* ColumnsList, int FooterNo) override;
    void WriteFooterCell(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor Background,
                         TAlignment Alignment, const QString& Text) override;
    virtual void BeginRow();
    virtual void BeginCell();
    virtual void WriteText(const QString& Text);

    bool FirstRec = true;
    bool FirstCell = true;
};

// The same as the text writer, in UTF-16 little-endian code units without a byte-order mark.
class TDBGridEhExportAsUnicodeText : public TDBGridEhExportAsText {
protected:
    void BeginRow() override;
    void BeginCell() override;
    void WriteText(const QString& Text) override;
};

// Every title, data and footer cell quoted, inner quotes doubled, cells separated by ";".
class TDBGridEhExportAsCSV : public TDBGridEhExportAsText {
public:
    TDBGridEhExportAsCSV();
    char Separator() const { return FSeparator; }
    void SetSeparator(char Value) { FSeparator = Value; }

protected:
    void WriteTitleRow(TColumnsEhList* ColumnsList) override;
    void WriteDataCell(TColumnEh* Column, TColCellParamsEh* CellParams) override;
    void WriteFooterCell(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor Background,
                         TAlignment Alignment, const QString& Text) override;
    void BeginCell() override;
    void WriteQuoted(const QString& Text);

    char FSeparator;
    char FQuoteChar;
};

// One worksheet of BIFF records: numbers as numbers, everything else as text.
class TDBGridEhExportAsXLS : public TDBGridEhExport {
public:
    void ExportToStream(TStream* AStream, bool IsExportAll) override;

    // A sheet's row numbers are 16-bit.
    static constexpr int MaxRows = 65536;
    static constexpr int MaxCols = 256;

protected:
    void WritePrefix() override;
    void WriteSuffix() override;
    void WriteTitleRow(TColumnsEhList* ColumnsList) override;
    void WriteDataCell(TColumnEh* Column, TColCellParamsEh* CellParams) override;
    void WriteFooterCell(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor Background,
                         TAlignment Alignment, const QString& Text) override;
    void CheckSize(int ColumnCount, int RowCount) override;

    void WriteBlankCell();
    void WriteNumberCell(double Value);
    void WriteRkCell(int Value);
    void WriteLabelCell(const QString& Text);

    uint16_t FCol = 0;
    uint16_t FRow = 0;

private:
    void WriteCellHeader(uint16_t Id, uint16_t Length, uint16_t Format);
    void IncColRow();
    int FRowsWritten = 0;
};

void ExportGridToStream(TDBGridEhExportClass ExpClass, TCustomDBGridEh* DBGridEh, TStream* Stream, bool IsExportAll);
void ExportGridToFile(TDBGridEhExportClass ExpClass, TCustomDBGridEh* DBGridEh, const QString& FileName,
                      bool IsExportAll);
