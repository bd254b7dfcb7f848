// Spreadsheet automation stand-in: just the calls the workbook import makes. The import
// reads, in order:
//
//     TExcelApplication excel;                         // the application object
//     excel.SetDisplayAlerts(false);
//     excel.Workbooks().Open(path, /*readOnly*/ true);
//     TExcelWorksheet& sheet = excel.Workbooks(1).Worksheets(1);
//     int rows = sheet.UsedRange().Rows().Count();
//     TVariantMatrix values = sheet.UsedRange().Value();   // values(row, col), 1-based
//     excel.Workbooks().Close();
//     excel.Quit();
//
// Files are opened read-only; .xlsx/.xlsm, .xls and .csv/.txt are understood (by content
// first, then by extension). Only the first worksheet (in tab order, hidden or not) is
// loaded. Cells come back as Variants: varDouble for numbers, varDate for date-formatted
// numbers, varUString for text, varBoolean, varError for error values, Empty for blanks.
#pragma once

#include "SheetCells.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

#include <memory>
#include <vector>

DOV_DECLARE_EXCEPTION(EExcelError, Exception);

// Raises EExcelError naming the file unless path names an existing regular file (or a link
// to one): a folder, a pipe or a device is refused before anything is opened or read.
void CheckWorkbookFile(const QString& path);

// Readers of the first worksheet; each raises EExcelError naming the file.
TSheetCells ReadXlsxFirstSheet(const QString& path);
TSheetCells ReadXlsFirstSheet(const QString& path);
TSheetCells ReadCsvFirstSheet(const QString& path);
TSheetCells ReadCsvText(const QByteArray& bytes, int chunkSize = 1 << 20);   // the csv rules on bytes in memory
// How many bytes of worksheet XML the xlsx reader takes from the zip package at a time.
extern int XlsxStretchBytes;
// The most bytes one part of an .xlsx may inflate to (2 GiB); more is refused as a zip bomb.
extern int64_t XlsxMaxPartBytes;
// Chooses the reader by the file's first bytes, then by its extension.
TSheetCells ReadFirstWorksheet(const QString& path);

// The used range's values as one two-dimensional array, 1-based in both dimensions.
// Copies share the cells.
class TVariantMatrix {
public:
    TVariantMatrix() = default;
    explicit TVariantMatrix(std::shared_ptr<const TSheetCells> cells) : FCells(std::move(cells)) {}

    int RowCount() const { return FCells ? FCells->RowCount() : 0; }
    int ColCount() const { return FCells ? FCells->ColCount() : 0; }
    int LowBound(int dim) const { return 1; }
    int HighBound(int dim) const { return dim == 1 ? RowCount() : ColCount(); }

    // Outside the bounds raises EVariantBadIndexError, as indexing the array would.
    Variant Get(int row, int col) const;
    Variant operator()(int row, int col) const { return Get(row, col); }

    const TSheetCells& Cells() const;

private:
    std::shared_ptr<const TSheetCells> FCells;
};

// A cell of the matrix as a Variant; exposed for the readers' tests.
Variant SheetCellToVariant(const TSheetCells& cells, int row, int col);

class TExcelRangeRows {
public:
    explicit TExcelRangeRows(int count) : FCount(count) {}
    int Count() const { return FCount; }
private:
    int FCount;
};

class TExcelRange {
public:
    explicit TExcelRange(std::shared_ptr<const TSheetCells> cells) : FCells(std::move(cells)) {}
    TExcelRangeRows Rows() const { return TExcelRangeRows(FCells->RowCount()); }
    TExcelRangeRows Columns() const { return TExcelRangeRows(FCells->ColCount()); }
    int Row() const { return FCells->FirstRow(); }        // sheet row of the first cell
    int Column() const { return FCells->FirstCol(); }
    TVariantMatrix Value() const { return TVariantMatrix(FCells); }
private:
    std::shared_ptr<const TSheetCells> FCells;
};

class TExcelWorksheet {
public:
    explicit TExcelWorksheet(std::shared_ptr<const TSheetCells> cells) : FCells(std::move(cells)) {}
    TExcelRange UsedRange() const { return TExcelRange(FCells); }
private:
    std::shared_ptr<const TSheetCells> FCells;
};

class TExcelWorkbook {
public:
    TExcelWorkbook(const QString& path, TSheetCells cells);
    QString FullName() const { return FPath; }
    QString Name() const;
    bool ReadOnly() const { return true; }
    // Only the first worksheet is loaded; other indexes raise EExcelError.
    TExcelWorksheet& Worksheets(int index);
private:
    QString FPath;
    TExcelWorksheet FFirst;
};

class TExcelWorkbooks {
public:
    // Reads the file (read-only whatever readOnly says: nothing is ever written back).
    TExcelWorkbook& Open(const QString& path, bool readOnly = true);
    int Count() const { return int(FBooks.size()); }
    TExcelWorkbook& Item(int index);      // 1-based; EExcelError outside
    TExcelWorkbook& operator()(int index) { return Item(index); }
    void Close() { FBooks.clear(); }      // closes every open workbook
private:
    std::vector<std::unique_ptr<TExcelWorkbook>> FBooks;
};

class TExcelApplication {
public:
    TExcelApplication() = default;
    void SetDisplayAlerts(bool v) { FDisplayAlerts = v; }
    bool DisplayAlerts() const { return FDisplayAlerts; }
    TExcelWorkbooks& Workbooks() { return FWorkbooks; }
    TExcelWorkbook& Workbooks(int index) { return FWorkbooks.Item(index); }
    void Quit() { FWorkbooks.Close(); }
private:
    bool FDisplayAlerts = true;
    TExcelWorkbooks FWorkbooks;
};
