// A small .xlsx writer for fixtures and generated desk-audit workbooks: rows are streamed to
// a temporary file per sheet, so workbooks of any size can be written.
#pragma once

#include "platform/rtl/System.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QPair>
#include <QString>
#include <memory>
#include <vector>

class QTemporaryFile;

struct TXlsxCell {
    enum Kind { Number, Text, Boolean, Blank, Error, FormulaNumber, FormulaText };
    int Col = 1;               // 1-based
    Kind CellKind = Blank;
    double Num = 0;
    QString Str;               // text, error text ("#N/A"), or the formula's cached text
    QString Formula;           // for the formula kinds, without "="
    int Style = 0;             // index returned by the writer's style functions; 0 is General

    static TXlsxCell MakeNumber(int col, double v, int style = 0) { return {col, Number, v, {}, {}, style}; }
    static TXlsxCell MakeText(int col, const QString& s, int style = 0) { return {col, Text, 0, s, {}, style}; }
    static TXlsxCell MakeBoolean(int col, bool v) { return {col, Boolean, v ? 1.0 : 0.0, {}, {}, 0}; }
    static TXlsxCell MakeBlank(int col, int style) { return {col, Blank, 0, {}, {}, style}; }
    static TXlsxCell MakeError(int col, const QString& e) { return {col, Error, 0, e, {}, 0}; }
    static TXlsxCell MakeFormula(int col, const QString& f, double cached, int style = 0)
    {
        return {col, FormulaNumber, cached, {}, f, style};
    }
    static TXlsxCell MakeFormulaText(int col, const QString& f, const QString& cached)
    {
        return {col, FormulaText, 0, cached, f, 0};
    }
};

class TXlsxWriter {
public:
    explicit TXlsxWriter(const QString& path);
    ~TXlsxWriter();
    TXlsxWriter(const TXlsxWriter&) = delete;
    TXlsxWriter& operator=(const TXlsxWriter&) = delete;

    void SetDate1904(bool v) { FDate1904 = v; }
    bool Date1904() const { return FDate1904; }
    // Text cells as shared strings (default) or inline strings.
    void SetSharedStrings(bool v) { FShared = v; }

    int BuiltinFormatStyle(int numFmtId);          // e.g. 14 for the short date
    int CustomFormatStyle(const QString& code);    // e.g. "dd/mm/yyyy;@"
    int DateStyle() { return BuiltinFormatStyle(14); }
    // A date-time as the serial number the workbook stores (1900 or 1904 system).
    double DateSerial(TDateTime d) const;

    void BeginSheet(const QString& name, bool hidden = false);
    void SetDimension(const QString& ref) { FDimension = ref; }   // written as is, before the rows
    void WriteRow(int row, const std::vector<TXlsxCell>& cells);  // rows ascending, cells by column
    void EndSheet();
    void Close();   // writes the package; raises Exception on failure

    // A package of parts written as given, for hand-made XML.
    static void WritePackage(const QString& path, const QList<QPair<QString, QByteArray>>& parts);

private:
    struct Sheet {
        QString Name;
        bool Hidden = false;
        std::unique_ptr<QTemporaryFile> Data;
    };
    int StyleFor(int numFmtId);
    void Flush();

    QString FPath;
    bool FDate1904 = false;
    bool FShared = true;
    bool FClosed = false;
    QString FDimension;
    std::vector<int> FXfFormats{0};
    QList<QPair<int, QString>> FCustomFormats;
    QHash<QString, int> FStringIndex;
    QStringList FStrings;
    std::vector<Sheet> FSheets;
    QByteArray FBuffer;
    bool FInSheet = false;
};
