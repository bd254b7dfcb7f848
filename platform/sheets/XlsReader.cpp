// .xls (BIFF) through FreeXL. FreeXL gives the sheet's declared dimensions; the used range
// is worked out from the cells that hold values, as the declared one may be larger.
// FreeXL reports boolean and error cells as integers, so in .xls they come back as numbers.
#include "NumberFormats.h"
#include "Workbook.h"

#include <QFile>
#include <freexl.h>

namespace {

QString FreeXlError(int rc)
{
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("файл не найден");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("недостаточно памяти");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("файл не является книгой Excel 97-2003");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("в файле нет книги Excel");
    case FREEXL_BIFF_OBFUSCATED:
        return QStringLiteral("книга защищена паролем");
    default:
        return QStringLiteral("файл повреждён (код FreeXL %1)").arg(rc);
    }
}

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw EExcelError(QStringLiteral("Не удалось прочитать книгу %1: %2").arg(path, why));
}

class XlsHandle {
public:
    explicit XlsHandle(const QString& path)
    {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &FHandle);
        if (rc != FREEXL_OK) {
            if (FHandle)
                freexl_close(FHandle);
            FHandle = nullptr;
            Fail(path, FreeXlError(rc));
        }
    }
    ~XlsHandle()
    {
        if (FHandle)
            freexl_close(FHandle);
    }
    XlsHandle(const XlsHandle&) = delete;
    XlsHandle& operator=(const XlsHandle&) = delete;
    const void* Get() const { return FHandle; }

private:
    const void* FHandle = nullptr;
};

} // namespace

TSheetCells ReadXlsFirstSheet(const QString& path)
{
    CheckWorkbookFile(path);
    XlsHandle xls(path);
    unsigned int info = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        Fail(path, FreeXlError(FREEXL_BIFF_OBFUSCATED));
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0)
        Fail(path, QStringLiteral("в книге нет ни одного листа"));
    int rc = freexl_select_active_worksheet(xls.Get(), 0);
    if (rc != FREEXL_OK)
        Fail(path, FreeXlError(rc));
    unsigned int rows = 0;
    unsigned short cols = 0;
    rc = freexl_worksheet_dimensions(xls.Get(), &rows, &cols);
    if (rc != FREEXL_OK)
        Fail(path, FreeXlError(rc));

    TSheetCellsBuilder cells;
    try {
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                rc = freexl_get_cell_value(xls.Get(), r, c, &v);
                if (rc != FREEXL_OK)
                    Fail(path, FreeXlError(rc));
                const int row = int(r) + 1, col = int(c) + 1;
                TDateTime d;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    cells.SetNumber(row, col, v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    cells.SetNumber(row, col, v.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cells.SetText(row, col, QString::fromUtf8(v.value.text_value));
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    if (IsoTextToDateTime(QString::fromLatin1(v.value.text_value), d))
                        cells.SetDate(row, col, d);
                    else
                        cells.SetText(row, col, QString::fromUtf8(v.value.text_value));
                    break;
                case FREEXL_CELL_TIME: {
                    const QString t = QString::fromLatin1(v.value.text_value);
                    if (IsoTextToDateTime(QStringLiteral("1899-12-30T") + t, d))
                        cells.SetDate(row, col, d);
                    else
                        cells.SetText(row, col, t);
                    break;
                }
                default:
                    break;   // no value: not part of the used range
                }
            }
        }
    } catch (const EExcelError&) {
        throw;
    } catch (const Exception& e) {
        Fail(path, e.Message());
    }
    return cells.Finish();
}
