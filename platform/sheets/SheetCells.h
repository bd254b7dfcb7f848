// The cells of one worksheet as the readers record them, apart from any Variant, so the
// readers can be checked on their own. Cells are kept sparse and sorted by row and column:
// a 200,000-row sheet costs 16 bytes a cell holding a value plus its text, kept in one
// store; blanks only widen the used range.
#pragma once

#include "platform/rtl/System.h"

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

enum class TCellKind : uint8_t {
    Empty,    // no cell, or a cell recorded without a value (a styled blank)
    Number,   // a double
    Date,     // a date-time in the runtime's day numbering (TDateTime)
    Text,
    Boolean,
    Error,    // a spreadsheet error value such as #N/A; Number() holds its code (2042)
};

// A text kept in the sheet's character store; cells that share a text share its ref.
struct TStringRef {
    uint32_t Offset;
    uint32_t Length;
};

// Spreadsheet error codes as automation reports them (added to 0x800A0000 in a Variant).
int SheetErrorCode(const QString& errorText);   // "#N/A" -> 2042; unknown texts -> 2015 (#VALUE!)

class TSheetCells {
public:
    // The used range: the bounding box of the recorded cells. A sheet without cells has the
    // one-cell range A1, as a spreadsheet reports it.
    int FirstRow() const { return FFirstRow; }     // sheet row of the range's first cell, 1-based
    int FirstCol() const { return FFirstCol; }
    int RowCount() const { return FRowCount; }
    int ColCount() const { return FColCount; }
    size_t CellCount() const { return FCells.size(); }   // cells holding a value

    // Addressed from (1,1) at the range's first cell. Outside the range: Empty.
    TCellKind Kind(int row, int col) const;
    double Number(int row, int col) const;   // Number, Date, Error code; 0 otherwise
    bool Boolean(int row, int col) const;
    QString Text(int row, int col) const;    // Text only; "" otherwise

    // What kept a row from being read faithfully (a csv line holding bytes that are no
    // UTF-8, replaced by U+FFFD), addressed like the cells; "" for a sound row.
    QString RowProblem(int row) const;

private:
    friend class TSheetCellsBuilder;
#pragma pack(push, 4)
    struct Cell {
        uint32_t Row;        // sheet coordinates, 1-based
        uint16_t Col;
        TCellKind Kind;
        uint8_t Local;       // text in a part builder's own store, rebased by Append
        union {
            double Num;
            TStringRef Str;  // into FChars
        };
    };
#pragma pack(pop)
    static_assert(sizeof(Cell) == 16);
    const Cell* Find(int row, int col) const;

    std::vector<Cell> FCells;            // sorted by (Row, Col), one per position; values only
    std::vector<uint32_t> FRowStart;     // FRowCount + 1 offsets into FCells
    std::vector<char16_t> FChars;        // every text, one after another
    int FFirstRow = 1, FFirstCol = 1, FRowCount = 1, FColCount = 1;
    std::vector<std::pair<int, QString>> FRowProblems;   // by sheet row, one each
};

// Collects cells in any order (a later cell at the same position replaces an earlier one)
// and sorts them once at the end.
class TSheetCellsBuilder {
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxCols = 16384;

    // Strings shared by many cells (a workbook's string table) are added once and referred
    // to by their ref.
    TStringRef AddString(QStringView s);

    // Coordinates are 1-based sheet coordinates; outside the sheet's limits they raise.
    // A blank (a cell recorded without a value) is not kept, it only widens the used range:
    // a sheet of millions of styled blanks costs nothing per blank.
    void SetBlank(int row, int col);
    void SetNumber(int row, int col, double v);
    void SetDate(int row, int col, TDateTime v);
    void SetText(int row, int col, QStringView s);
    void SetStringRef(int row, int col, TStringRef s);
    void SetBoolean(int row, int col, bool v);
    void SetError(int row, int col, int code);
    // The first problem noted for a sheet row is the one kept.
    void AddRowProblem(int row, const QString& text);

    // Moves in the cells of a builder that read a later stretch of the same sheet; texts it
    // added itself move into this store, refs to this builder's texts stay as they are.
    void Append(TSheetCellsBuilder&& part);

    TSheetCells Finish();

private:
    void Add(int row, int col, TCellKind kind, double num, TStringRef str);
    TSheetCells FOut;
    bool FSorted = true;
    // The bounding box of the blanks; empty while MinRow > MaxRow.
    struct TBox {
        uint32_t MinRow = UINT32_MAX, MaxRow = 0, MinCol = UINT32_MAX, MaxCol = 0;
        void Add(uint32_t row, uint32_t col);
        void Add(const TBox& b);
    } FBlanks;
};
