// Reading written files back with readers that are not ours: FreeXL for worksheets, Python's
// csv module for CSV.
//
// FreeXL reads only workbooks inside a compound-document container, while the exporter writes
// a bare worksheet stream (which spreadsheet programs open as it is). So the worksheet's bytes
// are put, unchanged, behind a one-sheet workbook's global records (BIFF5, code page 1251) in a
// minimal container, and FreeXL parses every cell record the exporter wrote.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <freexl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <variant>
#include <vector>

namespace readback {

inline void PutU16(QByteArray& b, uint16_t v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
inline void PutU32(QByteArray& b, uint32_t v)
{
    PutU16(b, uint16_t(v & 0xFFFF));
    PutU16(b, uint16_t(v >> 16));
}
inline void SetU32(QByteArray& b, int at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
inline void SetU16(QByteArray& b, int at, uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

inline QByteArray Record(uint16_t id, const QByteArray& data)
{
    QByteArray r;
    PutU16(r, id);
    PutU16(r, uint16_t(data.size()));
    return r + data;
}

// Global records of a BIFF5 workbook whose only sheet is the given stream.
inline QByteArray WorkbookAround(const QByteArray& sheet)
{
    QByteArray bof, cp, eof = Record(0x000A, {});
    PutU16(bof, 0x0500);
    PutU16(bof, 0x0005);
    PutU16(bof, 0);
    PutU16(bof, 0);
    PutU16(cp, 1251);
    bof = Record(0x0809, bof);
    cp = Record(0x0042, cp);
    const QByteArray name = "Sheet1";
    const int boundLen = 4 + 4 + 3 + int(name.size());
    QByteArray bound;
    PutU32(bound, uint32_t(bof.size() + cp.size() + boundLen + eof.size()));
    bound.append(char(0)).append(char(0)).append(char(name.size())).append(name);
    return bof + cp + Record(0x0085, bound) + eof + sheet;
}

// A version 3 compound document with 512-byte sectors holding one stream "Book".
inline QByteArray Container(QByteArray data)
{
    if (data.size() < 4096)
        data.append(QByteArray(4096 - data.size(), '\0'));
    const qsizetype streamSize = data.size();
    data.append(QByteArray((512 - data.size() % 512) % 512, '\0'));
    const uint32_t nStream = uint32_t(data.size() / 512);
    const uint32_t perFat = 128;
    // Sectors: FAT sectors first, then the directory, then the stream.
    uint32_t nFat = 1;
    while (nFat * perFat < nFat + 1 + nStream)
        ++nFat;
    EXPECT_LE(nFat, 109u) << "the test container has no extra FAT index sectors";
    std::vector<uint32_t> fat(nFat * perFat, 0xFFFFFFFFu);
    for (uint32_t i = 0; i < nFat; ++i)
        fat[i] = 0xFFFFFFFDu;
    fat[nFat] = 0xFFFFFFFEu;
    for (uint32_t i = 0; i < nStream; ++i)
        fat[nFat + 1 + i] = i + 1 < nStream ? nFat + 2 + i : 0xFFFFFFFEu;

    QByteArray hdr(512, '\0');
    std::memcpy(hdr.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    SetU16(hdr, 24, 0x3E);
    SetU16(hdr, 26, 3);
    SetU16(hdr, 28, 0xFFFE);
    SetU16(hdr, 30, 9);
    SetU16(hdr, 32, 6);
    SetU32(hdr, 44, nFat);
    SetU32(hdr, 48, nFat);
    SetU32(hdr, 56, 4096);
    SetU32(hdr, 60, 0xFFFFFFFEu);
    SetU32(hdr, 68, 0xFFFFFFFEu);
    for (uint32_t i = 0; i < 109; ++i)
        SetU32(hdr, 76 + 4 * int(i), i < nFat ? i : 0xFFFFFFFFu);

    auto entry = [](const QString& name, char type, uint32_t child, uint32_t start, uint32_t size) {
        QByteArray e(128, '\0');
        const QByteArray u = QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2) + QByteArray(2, '\0');
        std::memcpy(e.data(), u.constData(), size_t(u.size()));
        SetU16(e, 64, uint16_t(u.size()));
        e[66] = type;
        e[67] = 1;
        SetU32(e, 68, 0xFFFFFFFFu);
        SetU32(e, 72, 0xFFFFFFFFu);
        SetU32(e, 76, child);
        SetU32(e, 116, start);
        SetU32(e, 120, size);
        return e;
    };
    QByteArray dir = entry(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFEu, 0) +
                     entry(QStringLiteral("Book"), 2, 0xFFFFFFFFu, nFat + 1, uint32_t(streamSize));
    for (int i = 0; i < 2; ++i) {
        QByteArray unused(128, '\0');
        SetU32(unused, 68, 0xFFFFFFFFu);
        SetU32(unused, 72, 0xFFFFFFFFu);
        SetU32(unused, 76, 0xFFFFFFFFu);
        dir += unused;
    }
    QByteArray fatBytes(reinterpret_cast<const char*>(fat.data()), qsizetype(fat.size() * 4));
    return hdr + fatBytes + dir + data;
}

using Cell = std::variant<std::monostate, int, double, QString>;

struct Sheet {
    unsigned Rows = 0;
    unsigned short Cols = 0;
    std::vector<std::vector<Cell>> Cells;
    const Cell& At(int r, int c) const { return Cells.at(size_t(r)).at(size_t(c)); }
};

// The worksheet as FreeXL reads it; a failure of FreeXL fails the test.
inline Sheet ReadWorksheet(const QByteArray& bytes, const QString& tempPath)
{
    Sheet sheet;
    QFile f(tempPath);
    if (!f.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write " << tempPath.toStdString();
        return sheet;
    }
    f.write(Container(WorkbookAround(bytes)));
    f.close();
    const void* h = nullptr;
    int rc = freexl_open(QFile::encodeName(tempPath).constData(), &h);
    EXPECT_EQ(rc, FREEXL_OK);
    if (rc != FREEXL_OK)
        return sheet;
    EXPECT_EQ(freexl_select_active_worksheet(h, 0), FREEXL_OK);
    EXPECT_EQ(freexl_worksheet_dimensions(h, &sheet.Rows, &sheet.Cols), FREEXL_OK);
    for (unsigned r = 0; r < sheet.Rows; ++r) {
        std::vector<Cell> row;
        for (unsigned short c = 0; c < sheet.Cols; ++c) {
            FreeXL_CellValue v;
            EXPECT_EQ(freexl_get_cell_value(h, r, c, &v), FREEXL_OK);
            switch (v.type) {
            case FREEXL_CELL_INT:
                row.emplace_back(v.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                row.emplace_back(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                row.emplace_back(QString::fromUtf8(v.value.text_value));
                break;
            default:
                row.emplace_back(std::monostate());
            }
        }
        sheet.Cells.push_back(std::move(row));
    }
    freexl_close(h);
    return sheet;
}

// The rows of a CSV file as Python's csv module reads them (";" separated, code page 1251).
inline std::vector<QStringList> ReadCsv(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv,sys,json\n"
                            "rows=list(csv.reader(open(sys.argv[1],encoding='cp1251',newline=''),delimiter=';'))\n"
                            "sys.stdout.write(json.dumps(rows))"),
             path});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<QStringList> rows;
    const QJsonArray arr = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const QJsonValue& r : arr) {
        QStringList row;
        for (const QJsonValue& c : r.toArray())
            row << c.toString();
        rows.push_back(row);
    }
    return rows;
}

}  // namespace readback
