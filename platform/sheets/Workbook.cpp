#include "Workbook.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

Variant SheetCellToVariant(const TSheetCells& cells, int row, int col)
{
    switch (cells.Kind(row, col)) {
    case TCellKind::Empty:
        return Variant();
    case TCellKind::Number:
        return Variant(cells.Number(row, col));
    case TCellKind::Date:
        return Variant::FromDate(cells.Number(row, col));
    case TCellKind::Text:
        return Variant(cells.Text(row, col));
    case TCellKind::Boolean:
        return Variant(cells.Boolean(row, col));
    case TCellKind::Error:
        // Automation reports a cell error as the facility-10 code of the error number.
        return Variant::FromError(int32_t(0x800A0000u | uint32_t(cells.Number(row, col))));
    }
    return Variant();
}

Variant TVariantMatrix::Get(int row, int col) const
{
    if (!FCells || row < 1 || row > FCells->RowCount() || col < 1 || col > FCells->ColCount())
        throw EVariantBadIndexError(QStringLiteral("Variant or safe array index out of bounds"));
    return SheetCellToVariant(*FCells, row, col);
}

const TSheetCells& TVariantMatrix::Cells() const
{
    static const TSheetCells empty;
    return FCells ? *FCells : empty;
}

TExcelWorkbook::TExcelWorkbook(const QString& path, TSheetCells cells)
    : FPath(path), FFirst(std::make_shared<const TSheetCells>(std::move(cells)))
{
}

QString TExcelWorkbook::Name() const
{
    return QFileInfo(FPath).fileName();
}

TExcelWorksheet& TExcelWorkbook::Worksheets(int index)
{
    if (index != 1)
        throw EExcelError(QStringLiteral("Книга %1: доступен только первый лист, запрошен лист %2")
                              .arg(FPath).arg(index));
    return FFirst;
}

TExcelWorkbook& TExcelWorkbooks::Open(const QString& path, bool readOnly)
{
    FBooks.push_back(std::make_unique<TExcelWorkbook>(path, ReadFirstWorksheet(path)));
    return *FBooks.back();
}

TExcelWorkbook& TExcelWorkbooks::Item(int index)
{
    if (index < 1 || index > Count())
        throw EExcelError(QStringLiteral("Нет открытой книги с номером %1").arg(index));
    return *FBooks[size_t(index - 1)];
}

void CheckWorkbookFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        throw EExcelError(QStringLiteral("Файл %1 не найден").arg(path));
    if (S_ISREG(st.st_mode))
        return;
    const QString kind = S_ISDIR(st.st_mode)                         ? QStringLiteral("папка")
                         : S_ISFIFO(st.st_mode)                      ? QStringLiteral("канал")
                         : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? QStringLiteral("устройство")
                                                                     : QStringLiteral("особый файл");
    throw EExcelError(QStringLiteral("%1 не является обычным файлом (это %2)").arg(path, kind));
}

TSheetCells ReadFirstWorksheet(const QString& path)
{
    CheckWorkbookFile(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EExcelError(QStringLiteral("Файл %1 не удаётся открыть: %2").arg(path, f.errorString()));
    const QByteArray head = f.read(8);
    f.close();

    if (head.startsWith("PK\x03\x04"))
        return ReadXlsxFirstSheet(path);
    if (head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        return ReadXlsFirstSheet(path);
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"csv" || ext == u"txt")
        return ReadCsvFirstSheet(path);
    throw EExcelError(QStringLiteral("Файл %1 не является книгой Excel или файлом CSV").arg(path));
}
