// Hand-made workbook packages for the reader tests.
#pragma once

#include "platform/sheets/XlsxWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct XlsxParts {
    QString SheetData;                 // the inside of <sheetData>
    QString BeforeSheetData;           // e.g. a <dimension>
    QStringList SharedStrings;         // whole <si> items' inner XML
    QStringList NumFmts;               // whole <numFmt .../> elements
    QList<int> XfNumFmtIds{0};         // one cellXfs entry each
    bool Date1904 = false;
    bool FirstSheetHidden = false;
    QString SecondSheetData;           // a second sheet, when not empty
};

inline QByteArray Utf8(const QString& s) { return s.toUtf8(); }

inline void WriteXlsx(const QString& path, const XlsxParts& p)
{
    const QString ns = QStringLiteral("xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"");
    const QString rel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    QList<QPair<QString, QByteArray>> parts;
    parts.append({"_rels/.rels",
                  Utf8("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                       "</Relationships>")});
    // The sheets are listed in tab order; the rels and file names deliberately do not match it.
    QString book = "<workbook " + ns + ">";
    if (p.Date1904)
        book += "<workbookPr date1904=\"true\"/>";
    book += "<sheets><sheet name=\"Первый\" sheetId=\"5\" r:id=\"rId7\"";
    if (p.FirstSheetHidden)
        book += " state=\"hidden\"";
    book += "/>";
    if (!p.SecondSheetData.isEmpty())
        book += "<sheet name=\"Второй\" sheetId=\"1\" r:id=\"rId1\"/>";
    book += "</sheets></workbook>";
    parts.append({"xl/workbook.xml", Utf8(book)});
    parts.append({"xl/_rels/workbook.xml.rels",
                  Utf8("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" + rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                       "<Relationship Id=\"rId7\" Type=\"" + rel + "worksheet\" Target=\"/xl/worksheets/sheet2.xml\"/>"
                       "<Relationship Id=\"rId3\" Type=\"" + rel + "styles\" Target=\"styles.xml\"/>"
                       "<Relationship Id=\"rId4\" Type=\"" + rel + "sharedStrings\" Target=\"sharedStrings.xml\"/>"
                       "</Relationships>")});
    QString styles = "<styleSheet " + ns + "><numFmts>" + p.NumFmts.join(QString()) + "</numFmts>"
                     "<cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs>";
    for (int id : p.XfNumFmtIds)
        styles += QStringLiteral("<xf numFmtId=\"%1\" xfId=\"0\"/>").arg(id);
    styles += "</cellXfs></styleSheet>";
    parts.append({"xl/styles.xml", Utf8(styles)});
    QString sst = "<sst " + ns + ">";
    for (const QString& si : p.SharedStrings)
        sst += "<si>" + si + "</si>";
    sst += "</sst>";
    parts.append({"xl/sharedStrings.xml", Utf8(sst)});
    parts.append({"xl/worksheets/sheet2.xml",
                  Utf8("<worksheet " + ns + ">" + p.BeforeSheetData + "<sheetData>" + p.SheetData
                       + "</sheetData></worksheet>")});
    if (!p.SecondSheetData.isEmpty())
        parts.append({"xl/worksheets/sheet1.xml",
                      Utf8("<worksheet " + ns + "><sheetData>" + p.SecondSheetData + "</sheetData></worksheet>")});
    TXlsxWriter::WritePackage(path, parts);
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
