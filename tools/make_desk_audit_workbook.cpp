// Writes a desk-audit workbook of any size for trying the import:
//   make_desk_audit_workbook OUT.xlsx|OUT.csv ROWS [SEED]
// Row 1 holds the captions, data follow from row 2 in the 44 columns the tax authority uses;
// the columns the import reads carry plausible values (UNN, branch number with leading zeros,
// the 25-character e-invoice number, dates, amounts), the rest filler text.
#include "app/engine/DemoData.h"
#include "platform/sheets/XlsxWriter.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <random>

namespace {


struct Row {
    QString values[44];
    double numbers[44] = {};
    bool isNumber[44] = {};
    bool isDate[44] = {};
};

Row MakeRow(int i, std::mt19937& rnd)
{
    Row r;
    const qint64 unn = 100000000 + qint64(rnd() % 800000000);
    const int branch = int(rnd() % 5);
    const int day = 45292 + int(rnd() % 365);   // during 2024
    const double cost = double(rnd() % 10000000) / 100.0;
    const double vat = std::round(cost * 20.0) / 100.0;
    auto text = [&](int col, const QString& v) { r.values[col - 1] = v; };
    auto number = [&](int col, double v) { r.numbers[col - 1] = v; r.isNumber[col - 1] = true; };
    auto date = [&](int col, double v) { number(col, v); r.isDate[col - 1] = true; };
    text(1, QStringLiteral("112"));
    text(2, QString::number(unn));
    if (branch != 0)
        text(3, QStringLiteral("%1").arg(branch, 4, 10, QLatin1Char('0')));
    text(4, QStringLiteral("ООО \"Поставщик %1\"").arg(unn % 1000));
    text(10, branch == 0 ? QString() : QStringLiteral("%1").arg(1 + int(rnd() % 12)));
    text(11, QStringLiteral("Филиал №%1").arg(1 + int(rnd() % 12)));
    text(14, QStringLiteral("Иванов И.И. %1").arg(rnd() % 50));
    text(15, QStringLiteral("%1-2024-%2").arg(unn).arg(qint64(i) + 1, 10, 10, QLatin1Char('0')));
    date(20, day);
    for (int col : {5, 6, 7, 8, 9, 12, 16, 17, 21, 23, 24, 25, 26, 27, 30, 31, 32, 33, 34, 36, 37})
        text(col, QStringLiteral("знач %1").arg(col));
    text(38, QStringLiteral("ТТН-%1").arg(rnd() % 1000000));
    if (rnd() % 4 != 0)
        date(39, day - int(rnd() % 10));
    number(40, 1 + rnd() % 100);
    number(41, cost);
    number(42, 20);
    number(43, vat);
    number(44, cost + vat);
    return r;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return Fail("usage: make_desk_audit_workbook OUT.xlsx|OUT.csv ROWS [SEED]");
    const QString out = args[1];
    bool ok = false;
    const int rows = args[2].toInt(&ok);
    if (!ok || rows < 0)
        return Fail("ROWS must be a non-negative number");
    std::mt19937 rnd(args.size() > 3 ? args[3].toUInt() : 1u);

    try {
        if (out.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
            QFile f(out);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return Fail("cannot write the output file");
            QTextStream s(&f);
            s.setEncoding(QStringConverter::Utf8);
            s.setGenerateByteOrderMark(true);
            QStringList caps;
            for (const char* c : demo::kDeskAuditCaptions)
                caps << QString::fromUtf8(c);
            s << caps.join(u';') << "\r\n";
            for (int i = 0; i < rows; ++i) {
                const Row r = MakeRow(i, rnd);
                QStringList fields;
                for (int c = 0; c < 44; ++c) {
                    if (r.isDate[c])
                        fields << QDate(1899, 12, 30).addDays(qint64(r.numbers[c])).toString(QStringLiteral("dd.MM.yyyy"));
                    else if (r.isNumber[c])
                        fields << QString::number(r.numbers[c], 'f', 2).replace(u'.', u',');
                    else
                        fields << (r.values[c].contains(u'"') || r.values[c].contains(u';')
                                       ? u'"' + QString(r.values[c]).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"'
                                       : r.values[c]);
                }
                s << fields.join(u';') << "\r\n";
            }
            return 0;
        }
        TXlsxWriter w(out);
        const int dateStyle = w.CustomFormatStyle(QStringLiteral("dd.mm.yyyy"));
        const int moneyStyle = w.BuiltinFormatStyle(4);
        w.BeginSheet(QStringLiteral("ЭСЧФ"));
        std::vector<TXlsxCell> cells;
        for (int c = 0; c < 44; ++c)
            cells.push_back(TXlsxCell::MakeText(c + 1, QString::fromUtf8(demo::kDeskAuditCaptions[c])));
        w.WriteRow(1, cells);
        for (int i = 0; i < rows; ++i) {
            const Row r = MakeRow(i, rnd);
            cells.clear();
            for (int c = 0; c < 44; ++c) {
                if (r.isDate[c])
                    cells.push_back(TXlsxCell::MakeNumber(c + 1, w.DateSerial(r.numbers[c]), dateStyle));
                else if (r.isNumber[c])
                    cells.push_back(TXlsxCell::MakeNumber(c + 1, r.numbers[c], c >= 40 ? moneyStyle : 0));
                else if (!r.values[c].isEmpty())
                    cells.push_back(TXlsxCell::MakeText(c + 1, r.values[c]));
            }
            w.WriteRow(i + 2, cells);
        }
        w.Close();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toUtf8().constData());
        return 1;
    }
    return 0;
}
