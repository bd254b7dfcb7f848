// A minimal BIFF8 workbook in a compound file, written from scratch for the .xls reader tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <vector>

struct BiffCell {
    enum Kind { Number, Rk, SstText, Label, Boolean, Error };
    int Row = 0, Col = 0;   // 0-based, as stored
    Kind CellKind = Number;
    double Num = 0;         // Number; Rk: an integer or a value with two decimals; Boolean/Error: the byte
    int Sst = 0;
    QString Text;           // Label
    int Xf = 0;             // 0 General, 1 short date (format 14), 2 custom "dd/mm/yyyy"
};

struct BiffBook {
    QStringList SharedStrings;
    std::vector<BiffCell> Cells;
    bool Date1904 = false;
    bool FirstSheetHidden = false;
    int DimFirstRow = 0, DimLastRow = 0, DimFirstCol = 0, DimLastCol = 0;   // inclusive
    std::vector<BiffCell> SecondSheetCells;   // a second sheet when not empty
};

namespace biff {

inline void Put16(QByteArray& b, int v) { char x[2]; qToLittleEndian<quint16>(quint16(v), x); b.append(x, 2); }
inline void Put32(QByteArray& b, quint32 v) { char x[4]; qToLittleEndian<quint32>(v, x); b.append(x, 4); }
inline void PutDouble(QByteArray& b, double v) { char x[8]; qToLittleEndian<double>(v, x); b.append(x, 8); }
inline void PutUtf16(QByteArray& b, const QString& s)
{
    for (QChar c : s)
        Put16(b, c.unicode());
}

inline void Record(QByteArray& out, int type, const QByteArray& body)
{
    Put16(out, type);
    Put16(out, int(body.size()));
    out += body;
}

inline QByteArray Bof(int dt)
{
    QByteArray b;
    Put16(b, 0x0600);
    Put16(b, dt);
    Put16(b, 0x0DBB);
    Put16(b, 0x07CC);
    Put32(b, 0);
    Put32(b, 0x00000006);
    return b;
}

inline QByteArray Xf(int ifmt, bool style)
{
    QByteArray b;
    Put16(b, 0);                            // font
    Put16(b, ifmt);
    Put16(b, style ? 0xFFF5 : 0x0001);      // style XF / cell XF of parent 0
    b.append(14, '\0');
    return b;
}

inline QByteArray SheetStream(const std::vector<BiffCell>& cells, const BiffBook& book)
{
    QByteArray s;
    Record(s, 0x0809, Bof(0x0010));
    QByteArray dim;
    Put32(dim, quint32(book.DimFirstRow));
    Put32(dim, quint32(book.DimLastRow + 1));
    Put16(dim, book.DimFirstCol);
    Put16(dim, book.DimLastCol + 1);
    Put16(dim, 0);
    Record(s, 0x0200, dim);
    for (const BiffCell& c : cells) {
        QByteArray b;
        Put16(b, c.Row);
        Put16(b, c.Col);
        Put16(b, c.Xf == 0 ? 15 : 15 + c.Xf);
        switch (c.CellKind) {
        case BiffCell::Number:
            PutDouble(b, c.Num);
            Record(s, 0x0203, b);
            break;
        case BiffCell::Rk: {
            // An integer as a 30-bit value, else a value times 100 that is an integer.
            const double whole = c.Num;
            quint32 rk;
            if (whole == double(qint32(whole)))
                rk = (quint32(qint32(whole)) << 2) | 0x2;
            else
                rk = (quint32(qint32(qRound(whole * 100))) << 2) | 0x3;
            Put32(b, rk);
            Record(s, 0x027E, b);
            break;
        }
        case BiffCell::SstText:
            Put32(b, quint32(c.Sst));
            Record(s, 0x00FD, b);
            break;
        case BiffCell::Label:
            Put16(b, int(c.Text.size()));
            b.append('\x01');
            PutUtf16(b, c.Text);
            Record(s, 0x0204, b);
            break;
        case BiffCell::Boolean:
        case BiffCell::Error:
            b.append(char(int(c.Num)));
            b.append(c.CellKind == BiffCell::Error ? '\x01' : '\x00');
            Record(s, 0x0205, b);
            break;
        }
    }
    Record(s, 0x000A, {});
    return s;
}

// The Workbook stream: globals, then each sheet's substream.
inline QByteArray WorkbookStream(const BiffBook& book)
{
    const bool two = !book.SecondSheetCells.empty();
    auto globals = [&](quint32 sheet1Pos, quint32 sheet2Pos) {
        QByteArray g;
        Record(g, 0x0809, Bof(0x0005));
        QByteArray cp;
        Put16(cp, 0x04B0);
        Record(g, 0x0042, cp);
        QByteArray dm;
        Put16(dm, book.Date1904 ? 1 : 0);
        Record(g, 0x0022, dm);
        QByteArray fmt;   // a custom format, index 164
        Put16(fmt, 164);
        const QString code = QStringLiteral("dd/mm/yyyy");
        Put16(fmt, int(code.size()));
        fmt.append('\x01');
        PutUtf16(fmt, code);
        Record(g, 0x041E, fmt);
        for (int i = 0; i < 15; ++i)
            Record(g, 0x00E0, Xf(0, true));
        Record(g, 0x00E0, Xf(0, false));     // 15: General
        Record(g, 0x00E0, Xf(14, false));    // 16: short date
        Record(g, 0x00E0, Xf(164, false));   // 17: custom date
        auto sheet = [&](quint32 pos, const QString& name, bool hidden) {
            QByteArray b;
            Put32(b, pos);
            b.append(char(hidden ? 1 : 0));
            b.append('\0');
            b.append(char(name.size()));
            b.append('\x01');
            PutUtf16(b, name);
            Record(g, 0x0085, b);
        };
        sheet(sheet1Pos, QStringLiteral("Первый"), book.FirstSheetHidden);
        if (two)
            sheet(sheet2Pos, QStringLiteral("Второй"), false);
        QByteArray sst;
        Put32(sst, quint32(book.SharedStrings.size()));
        Put32(sst, quint32(book.SharedStrings.size()));
        for (const QString& s : book.SharedStrings) {
            Put16(sst, int(s.size()));
            sst.append('\x01');
            PutUtf16(sst, s);
        }
        Record(g, 0x00FC, sst);
        // Padding, so the stream is past the mini-stream cutoff and lives in whole sectors.
        Record(g, 0x00EF, QByteArray(4200, '\0'));
        Record(g, 0x000A, {});
        return g;
    };
    const QByteArray sheet1 = SheetStream(book.Cells, book);
    const int globalsSize = int(globals(0, 0).size());
    const QByteArray g = globals(quint32(globalsSize), quint32(globalsSize + sheet1.size()));
    QByteArray all = g + sheet1;
    if (two)
        all += SheetStream(book.SecondSheetCells, book);
    return all;
}

// A version 3 compound file: header, one FAT sector, one directory sector, the stream.
inline QByteArray CompoundFile(const QByteArray& stream, const QString& streamName = QStringLiteral("Workbook"))
{
    constexpr quint32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD, kNone = 0xFFFFFFFF;
    const int streamSectors = int((stream.size() + 511) / 512);
    QByteArray h;
    h.append(QByteArray::fromHex("D0CF11E0A1B11AE1"));
    h.append(16, '\0');
    Put16(h, 0x003E);
    Put16(h, 0x0003);
    Put16(h, 0xFFFE);
    Put16(h, 9);
    Put16(h, 6);
    h.append(6, '\0');
    Put32(h, 0);           // directory sectors (v3)
    Put32(h, 1);           // FAT sectors
    Put32(h, 1);           // first directory sector
    Put32(h, 0);
    Put32(h, 4096);        // mini stream cutoff
    Put32(h, kEnd);        // no mini FAT
    Put32(h, 0);
    Put32(h, kEnd);        // no DIFAT sectors
    Put32(h, 0);
    Put32(h, 0);           // DIFAT[0]: the FAT is sector 0
    for (int i = 1; i < 109; ++i)
        Put32(h, kFree);

    QByteArray fat;
    Put32(fat, kFatSect);
    Put32(fat, kEnd);
    for (int i = 0; i < streamSectors; ++i)
        Put32(fat, i + 1 < streamSectors ? quint32(3 + i) : kEnd);
    while (fat.size() < 512)
        Put32(fat, kFree);

    auto entry = [](const QString& name, int type, quint32 child, quint32 start, quint32 size) {
        QByteArray e;
        PutUtf16(e, name);
        e.append(64 - e.size(), '\0');
        Put16(e, name.isEmpty() ? 0 : int(name.size() + 1) * 2);
        e.append(char(type));
        e.append(char(1));   // black
        Put32(e, kNone);
        Put32(e, kNone);
        Put32(e, child);
        e.append(16, '\0');
        Put32(e, 0);
        e.append(16, '\0');
        Put32(e, start);
        Put32(e, size);
        Put32(e, 0);
        return e;
    };
    QByteArray dir;
    dir += entry(QStringLiteral("Root Entry"), 5, 1, kEnd, 0);
    dir += entry(streamName, 2, kNone, 2, quint32(stream.size()));
    dir += entry(QString(), 0, kNone, 0, 0);
    dir += entry(QString(), 0, kNone, 0, 0);

    QByteArray body = stream;
    body.append(streamSectors * 512 - stream.size(), '\0');
    return h + fat + dir + body;
}

} // namespace biff

inline QByteArray MakeXls(const BiffBook& book)
{
    return biff::CompoundFile(biff::WorkbookStream(book));
}
