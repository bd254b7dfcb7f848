// .csv: values converted as a spreadsheet does when it opens the file under Russian regional
// settings, with two deliberate differences the workbook import needs: digit strings with
// leading zeros ("0012", a branch number) and long digit strings (taxpayer numbers of 12 and
// more digits, anything past 15 significant digits) stay text, and "12.05" is not taken for
// a date without its year.
#include "NumberFormats.h"
#include "Workbook.h"

#include <QFile>
#include <QStringDecoder>

namespace {

QString DecodeCsv(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder dec(QStringDecoder::Utf16LE);
        return dec(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(QStringDecoder::Utf16BE);
        return dec(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return CP1251ToUnicode(bytes);   // not UTF-8: the Russian ANSI code page
}

// The separator from the first line; since Russian numbers carry decimal commas (and a
// title line may hold nothing but commas), a ';' or tab in the first lines beats ','.
QChar DetectSeparator(const QString& text)
{
    int semi = 0, comma = 0, tab = 0, lines = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' && ++lines >= 20)
            break;
        else if (c == u';')
            ++semi;
        else if (c == u',' && lines == 0)
            ++comma;
        else if (c == u'\t')
            ++tab;
    }
    if (semi > 0 || tab > 0)
        return tab > semi ? QChar(u'\t') : QChar(u';');
    return comma > 0 ? QChar(u',') : QChar(u';');
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == u'\t';
}

bool IsGroupSeparator(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

// "-1 234 567,89", "1,5E+3", "12%" with ',' decimals and blank thousand groups.
bool ParseRussianNumber(QStringView s, double& out)
{
    QByteArray ascii;
    ascii.reserve(s.size() + 1);
    int i = 0;
    const int n = int(s.size());
    if (i < n && (s[i] == u'-' || s[i] == u'+')) {
        if (s[i] == u'-')
            ascii += '-';
        ++i;
    }
    // Integer part, optionally in groups of three.
    int intDigits = 0, groupLen = 0;
    bool grouped = false;
    bool leadingZero = i < n && s[i] == u'0';
    while (i < n) {
        const QChar c = s[i];
        if (c >= u'0' && c <= u'9') {
            ascii += char(c.unicode());
            ++intDigits;
            ++groupLen;
            ++i;
        } else if (IsGroupSeparator(c) && intDigits > 0 && i + 1 < n && s[i + 1].isDigit()) {
            if ((grouped && groupLen != 3) || (!grouped && groupLen > 3))
                return false;
            grouped = true;
            groupLen = 0;
            ++i;
        } else {
            break;
        }
    }
    if (grouped && groupLen != 3)
        return false;
    if (leadingZero && intDigits > 1)
        return false;   // "0012": a code, not a number

    int fracDigits = 0;
    if (i < n && s[i] == u',') {
        ascii += '.';
        ++i;
        while (i < n && s[i] >= u'0' && s[i] <= u'9') {
            ascii += char(s[i].unicode());
            ++fracDigits;
            ++i;
        }
    }
    if (intDigits + fracDigits == 0)
        return false;
    bool exponent = false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ascii += char(s[i++].unicode());
        int expDigits = 0;
        while (i < n && s[i] >= u'0' && s[i] <= u'9') {
            ascii += char(s[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        exponent = true;
    }
    bool percent = false;
    if (i < n && s[i] == u'%') {
        percent = true;
        ++i;
    }
    if (i != n)
        return false;

    // Identifiers: digits a double would not keep, and bare long digit strings.
    int significant = intDigits + fracDigits;
    for (int k = ascii.startsWith('-') ? 1 : 0; k < ascii.size() && (ascii[k] == '0' || ascii[k] == '.'); ++k)
        if (ascii[k] == '0')
            --significant;
    if (significant > 15)
        return false;
    if (!grouped && fracDigits == 0 && !exponent && !percent && intDigits >= 12)
        return false;

    bool ok = false;
    double v = ascii.toDouble(&ok);
    if (!ok)
        return false;
    out = percent ? v / 100 : v;
    return true;
}

int ReadDigits(QStringView s, int& i, int minLen, int maxLen)
{
    int v = 0, len = 0;
    while (i < s.size() && len < maxLen && s[i] >= u'0' && s[i] <= u'9') {
        v = v * 10 + (s[i].unicode() - u'0');
        ++i;
        ++len;
    }
    return len >= minLen ? v : -1;
}

// "hh:mm[:ss]" from position i to the end.
bool ParseTime(QStringView s, int i, int& h, int& m, int& sec)
{
    h = ReadDigits(s, i, 1, 2);
    if (h < 0 || i >= s.size() || s[i] != u':')
        return false;
    ++i;
    m = ReadDigits(s, i, 2, 2);
    sec = 0;
    if (m < 0)
        return false;
    if (i < s.size() && s[i] == u':') {
        ++i;
        sec = ReadDigits(s, i, 2, 2);
        if (sec < 0)
            return false;
    }
    return i == s.size();
}

// "dd.mm.yyyy", "dd.mm.yy", either with " hh:mm[:ss]"; "yyyy-mm-dd"; a bare "hh:mm[:ss]".
bool ParseRussianDate(QStringView s, TDateTime& out)
{
    int h = 0, mi = 0, sec = 0;
    if (s.size() >= 4 && s.size() <= 8 && s[1] != u'.' && s[2] != u'.' && ParseTime(s, 0, h, mi, sec))
        return MakeDateTime(1899, 12, 30, h, mi, sec, 0, out);
    if (s.size() == 10 && s[4] == u'-')
        return IsoTextToDateTime(s.toString(), out);

    int i = 0;
    const int day = ReadDigits(s, i, 1, 2);
    if (day < 0 || i >= s.size() || s[i] != u'.')
        return false;
    ++i;
    const int month = ReadDigits(s, i, 1, 2);
    if (month < 0 || i >= s.size() || s[i] != u'.')
        return false;
    ++i;
    const int yearStart = i;
    int year = ReadDigits(s, i, 2, 4);
    if (year < 0 || i - yearStart == 3)
        return false;
    if (i - yearStart == 2)
        year += year < 30 ? 2000 : 1900;   // the spreadsheet's two-digit-year window
    if (i < s.size()) {
        if (s[i] != u' ' || !ParseTime(s, i + 1, h, mi, sec))
            return false;
    }
    return MakeDateTime(year, month, day, h, mi, sec, 0, out);
}

void StoreValue(TSheetCellsBuilder& cells, int row, int col, const QString& field)
{
    int from = 0, to = int(field.size());
    while (from < to && IsBlank(field[from]))
        ++from;
    while (to > from && IsBlank(field[to - 1]))
        --to;
    if (from == to) {
        if (!field.isEmpty())
            cells.SetText(row, col, field);   // blanks only: text, as typed
        return;
    }
    const QStringView v = QStringView(field).mid(from, to - from);
    const QChar first = v[0];
    if (first.isDigit() || first == u'-' || first == u'+') {
        double num;
        if (ParseRussianNumber(v, num)) {
            cells.SetNumber(row, col, num);
            return;
        }
        TDateTime d;
        if (first.isDigit() && ParseRussianDate(v, d)) {
            cells.SetDate(row, col, d);
            return;
        }
    } else if (v.compare(u"ИСТИНА", Qt::CaseInsensitive) == 0) {
        cells.SetBoolean(row, col, true);
        return;
    } else if (v.compare(u"ЛОЖЬ", Qt::CaseInsensitive) == 0) {
        cells.SetBoolean(row, col, false);
        return;
    }
    cells.SetText(row, col, field);
}

} // namespace

TSheetCells ReadCsvText(const QByteArray& bytes)
{
    const QString text = DecodeCsv(bytes);
    const QChar sep = DetectSeparator(text);
    TSheetCellsBuilder cells;
    int row = 1, col = 1;
    QString field;
    const int n = int(text.size());
    int i = 0;
    bool lineHasData = false;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'"' && field.isEmpty()) {
            // Quoted: doubled quotes are one quote, separators and line breaks are text.
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                    ++i;   // a CR LF inside a cell is one line break
                field += text[i] == u'\r' ? QChar(u'\n') : text[i];
                ++i;
            }
            lineHasData = true;
            continue;   // what follows the closing quote up to the separator is kept as is
        }
        if (c == sep) {
            StoreValue(cells, row, col, field);
            field.clear();
            ++col;
            lineHasData = true;
            ++i;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            StoreValue(cells, row, col, field);
            field.clear();
            ++row;
            col = 1;
            lineHasData = false;
            i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
            continue;
        }
        field += c;
        lineHasData = true;
        ++i;
    }
    if (lineHasData)
        StoreValue(cells, row, col, field);
    return cells.Finish();
}

TSheetCells ReadCsvFirstSheet(const QString& path)
{
    QFile f(path);
    if (!f.exists())
        throw EExcelError(QStringLiteral("Файл %1 не найден").arg(path));
    if (!f.open(QIODevice::ReadOnly))
        throw EExcelError(QStringLiteral("Файл %1 не удаётся открыть: %2").arg(path, f.errorString()));
    try {
        return ReadCsvText(f.readAll());
    } catch (const Exception& e) {
        throw EExcelError(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, e.Message()));
    }
}
