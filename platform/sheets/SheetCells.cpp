#include "SheetCells.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>

int SheetErrorCode(const QString& errorText)
{
    static const struct { const char* text; int code; } codes[] = {
        {"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
        {"#NAME?", 2029}, {"#NUM!", 2036}, {"#N/A", 2042}, {"#GETTING_DATA", 2043},
    };
    for (const auto& c : codes)
        if (errorText == QLatin1String(c.text))
            return c.code;
    return 2015;
}

const TSheetCells::Cell* TSheetCells::Find(int row, int col) const
{
    if (row < 1 || row > FRowCount || col < 1 || col > FColCount || FCells.empty())
        return nullptr;
    const auto first = FCells.begin() + FRowStart[row - 1];
    const auto last = FCells.begin() + FRowStart[row];
    const uint16_t sheetCol = uint16_t(col + FFirstCol - 1);
    auto it = std::lower_bound(first, last, sheetCol, [](const Cell& c, uint16_t k) { return c.Col < k; });
    return it != last && it->Col == sheetCol ? &*it : nullptr;
}

TCellKind TSheetCells::Kind(int row, int col) const
{
    const Cell* c = Find(row, col);
    return c ? c->Kind : TCellKind::Empty;
}

double TSheetCells::Number(int row, int col) const
{
    const Cell* c = Find(row, col);
    if (!c)
        return 0;
    switch (c->Kind) {
    case TCellKind::Number:
    case TCellKind::Date:
    case TCellKind::Error:
        return c->Num;
    case TCellKind::Boolean:
        return c->Num != 0 ? 1 : 0;
    default:
        return 0;
    }
}

bool TSheetCells::Boolean(int row, int col) const
{
    const Cell* c = Find(row, col);
    return c && c->Kind == TCellKind::Boolean && c->Num != 0;
}

QString TSheetCells::Text(int row, int col) const
{
    const Cell* c = Find(row, col);
    if (!c || c->Kind != TCellKind::Text)
        return QString();
    return QString(reinterpret_cast<const QChar*>(FChars.data() + c->Str.Offset), qsizetype(c->Str.Length));
}

QString TSheetCells::RowProblem(int row) const
{
    const int sheetRow = row + FFirstRow - 1;
    const auto it = std::lower_bound(FRowProblems.begin(), FRowProblems.end(), sheetRow,
                                     [](const auto& p, int r) { return p.first < r; });
    return it != FRowProblems.end() && it->first == sheetRow ? it->second : QString();
}

void TSheetCellsBuilder::AddRowProblem(int row, const QString& text)
{
    auto& problems = FOut.FRowProblems;
    const auto it = std::lower_bound(problems.begin(), problems.end(), row, [](const auto& p, int r) { return p.first < r; });
    if (it == problems.end() || it->first != row)
        problems.insert(it, {row, text});
}

TStringRef TSheetCellsBuilder::AddString(QStringView s)
{
    auto& chars = FOut.FChars;
    if (chars.size() + size_t(s.size()) > UINT32_MAX)
        throw Exception(QStringLiteral("Слишком много текста на листе"));
    TStringRef ref{uint32_t(chars.size()), uint32_t(s.size())};
    chars.insert(chars.end(), s.utf16(), s.utf16() + s.size());
    return ref;
}

void TSheetCellsBuilder::SetText(int row, int col, QStringView s)
{
    SetStringRef(row, col, AddString(s));
    FOut.FCells.back().Local = 1;
}

void TSheetCellsBuilder::Append(TSheetCellsBuilder&& part)
{
    auto& chars = FOut.FChars;
    if (chars.size() + part.FOut.FChars.size() > UINT32_MAX)
        throw Exception(QStringLiteral("Слишком много текста на листе"));
    const uint32_t base = uint32_t(chars.size());
    chars.insert(chars.end(), part.FOut.FChars.begin(), part.FOut.FChars.end());
    part.FOut.FChars = {};
    auto& cells = FOut.FCells;
    if (cells.empty())
        cells.reserve(part.FOut.FCells.size());
    for (TSheetCells::Cell c : part.FOut.FCells) {
        if (c.Kind == TCellKind::Text && c.Local) {
            c.Str.Offset += base;
            c.Local = 0;
        }
        if (FSorted && !cells.empty()) {
            const auto& b = cells.back();
            if (b.Row > c.Row || (b.Row == c.Row && b.Col >= c.Col))
                FSorted = false;
        }
        cells.push_back(c);
    }
    FSorted = FSorted && part.FSorted;
    part.FOut.FCells = {};
    FBlanks.Add(part.FBlanks);
    for (const auto& [row, text] : part.FOut.FRowProblems)
        AddRowProblem(row, text);
}

namespace {

void CheckOnSheet(int row, int col)
{
    if (row < 1 || row > TSheetCellsBuilder::MaxRows || col < 1 || col > TSheetCellsBuilder::MaxCols)
        throw Exception(QStringLiteral("Ячейка вне листа: строка %1, столбец %2").arg(row).arg(col));
}

} // namespace

void TSheetCellsBuilder::TBox::Add(uint32_t row, uint32_t col)
{
    MinRow = std::min(MinRow, row);
    MaxRow = std::max(MaxRow, row);
    MinCol = std::min(MinCol, col);
    MaxCol = std::max(MaxCol, col);
}

void TSheetCellsBuilder::TBox::Add(const TBox& b)
{
    if (b.MinRow > b.MaxRow)
        return;
    Add(b.MinRow, b.MinCol);
    Add(b.MaxRow, b.MaxCol);
}

void TSheetCellsBuilder::Add(int row, int col, TCellKind kind, double num, TStringRef str)
{
    CheckOnSheet(row, col);
    TSheetCells::Cell c;
    c.Row = uint32_t(row);
    c.Col = uint16_t(col);
    c.Kind = kind;
    c.Local = 0;
    if (kind == TCellKind::Text)
        c.Str = str;
    else
        c.Num = num;
    auto& cells = FOut.FCells;
    if (FSorted && !cells.empty()) {
        const auto& b = cells.back();
        if (b.Row > c.Row || (b.Row == c.Row && b.Col >= c.Col))
            FSorted = false;
    }
    cells.push_back(c);
}

void TSheetCellsBuilder::SetBlank(int row, int col)
{
    CheckOnSheet(row, col);
    FBlanks.Add(uint32_t(row), uint32_t(col));
}

void TSheetCellsBuilder::SetNumber(int row, int col, double v) { Add(row, col, TCellKind::Number, v, {}); }
void TSheetCellsBuilder::SetDate(int row, int col, TDateTime v) { Add(row, col, TCellKind::Date, v, {}); }
void TSheetCellsBuilder::SetBoolean(int row, int col, bool v) { Add(row, col, TCellKind::Boolean, v ? 1 : 0, {}); }
void TSheetCellsBuilder::SetError(int row, int col, int code) { Add(row, col, TCellKind::Error, code, {}); }

void TSheetCellsBuilder::SetStringRef(int row, int col, TStringRef s)
{
    Add(row, col, TCellKind::Text, 0, s);
}

TSheetCells TSheetCellsBuilder::Finish()
{
    auto& cells = FOut.FCells;
    if (!FSorted) {
        // Stable, so of two cells at one position the one added later comes last and stays.
        std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
            return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
        });
        std::vector<TSheetCells::Cell> unique;
        unique.reserve(cells.size());
        for (const auto& c : cells) {
            if (!unique.empty() && unique.back().Row == c.Row && unique.back().Col == c.Col)
                unique.back() = c;
            else
                unique.push_back(c);
        }
        cells.swap(unique);
    }
    cells.shrink_to_fit();
    FOut.FChars.shrink_to_fit();

    // The used range: the bounding box of the values and the blanks together.
    TBox box = FBlanks;
    for (const auto& c : cells)
        box.Add(c.Row, c.Col);
    if (box.MinRow > box.MaxRow) {
        FOut.FFirstRow = FOut.FFirstCol = FOut.FRowCount = FOut.FColCount = 1;
        FOut.FRowStart.assign(2, 0);
        return std::move(FOut);
    }
    const uint32_t firstRow = box.MinRow;
    FOut.FFirstRow = int(box.MinRow);
    FOut.FFirstCol = int(box.MinCol);
    FOut.FRowCount = int(box.MaxRow - box.MinRow + 1);
    FOut.FColCount = int(box.MaxCol - box.MinCol + 1);
    FOut.FRowStart.assign(size_t(FOut.FRowCount) + 1, 0);
    // Counting pass, then prefix sums: FRowStart[r] is the first cell of range row r + 1.
    for (const auto& c : cells)
        ++FOut.FRowStart[c.Row - firstRow + 1];
    for (size_t i = 1; i < FOut.FRowStart.size(); ++i)
        FOut.FRowStart[i] += FOut.FRowStart[i - 1];
    return std::move(FOut);
}
