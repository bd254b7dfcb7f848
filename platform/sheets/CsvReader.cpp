// .csv: values converted as a spreadsheet does when it opens the file under Russian regional
// settings, with two deliberate differences the workbook import needs: digit strings with
// leading zeros ("0012", a branch number) and long digit strings (taxpayer numbers of 12 and
// more digits, anything past 15 significant digits) stay text, and "12.05" is not taken for
// a date without its year. Encoding: UTF-8 with BOM (bytes that are no UTF-8 replaced and
// their rows noted), UTF-16 with BOM, UTF-8 without BOM when every byte fits, otherwise
// CP1251. Separator: ';', tab or ',' from the first lines.
#include "NumberFormats.h"
#include "Workbook.h"

#include <QFile>
#include <QStringDecoder>
#include <functional>
#include <vector>

namespace {

enum class TCsvEncoding { Utf8, Utf16LE, Utf16BE, Cp1251 };

// UTF-8, chunk by chunk, a sequence split between chunks carried over. Each maximal ill-formed
// part becomes one U+FFFD, as the Unicode standard recommends; their places in the decoded
// text are handed out, so a U+FFFD the file itself holds is not taken for one.
class TUtf8Decoder {
public:
    QString Decode(QByteArrayView bytes, std::vector<qsizetype>& bad)
    {
        QString out;
        out.reserve(bytes.size());
        for (qsizetype i = 0; i < bytes.size();) {
            const uint8_t b = uint8_t(bytes[i]);
            if (FNeed == 0) {
                ++i;
                if (b < 0x80)
                    out += QChar(char16_t(b));
                else if (!Start(b))
                    Replace(out, bad);
                continue;
            }
            if (b < FLow || b > FHigh) {
                FNeed = 0;
                Replace(out, bad);   // the byte starts afresh
                continue;
            }
            ++i;
            FCode = FCode << 6 | (b & 0x3F);
            FLow = 0x80;
            FHigh = 0xBF;
            if (--FNeed == 0) {
                const char32_t c = FCode;
                out += QStringView(QChar::fromUcs4(c));
            }
        }
        return out;
    }
    // The end of the file: a sequence cut short there is ill-formed too.
    QString Finish(std::vector<qsizetype>& bad)
    {
        QString out;
        if (FNeed > 0) {
            FNeed = 0;
            Replace(out, bad);
        }
        return out;
    }
    bool HasError() const { return FErrors > 0; }

private:
    bool Start(uint8_t b)
    {
        FLow = 0x80;
        FHigh = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            FNeed = 1;
            FCode = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            FNeed = 2;
            FCode = b & 0x0F;
            if (b == 0xE0)
                FLow = 0xA0;   // no overlong forms
            else if (b == 0xED)
                FHigh = 0x9F;   // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            FNeed = 3;
            FCode = b & 0x07;
            if (b == 0xF0)
                FLow = 0x90;
            else if (b == 0xF4)
                FHigh = 0x8F;   // nothing past U+10FFFF
        } else {
            return false;
        }
        return true;
    }
    void Replace(QString& out, std::vector<qsizetype>& bad)
    {
        bad.push_back(out.size());
        out += QChar(QChar::ReplacementCharacter);
        ++FErrors;
    }

    uint32_t FCode = 0;
    int FNeed = 0;
    uint8_t FLow = 0x80, FHigh = 0xBF;
    int64_t FErrors = 0;
};

// Decodes a file chunk by chunk; a byte sequence split between chunks is carried over.
class TCsvDecoder {
public:
    TCsvEncoding Encoding;
    explicit TCsvDecoder(TCsvEncoding e)
        : Encoding(e), FUtf16(e == TCsvEncoding::Utf16BE ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE)
    {
    }
    // Bad: where bytes that are no UTF-8 were replaced in the text returned.
    QString Decode(QByteArrayView bytes, std::vector<qsizetype>& bad)
    {
        bad.clear();
        switch (Encoding) {
        case TCsvEncoding::Cp1251:
            return CP1251ToUnicode(bytes.toByteArray());
        case TCsvEncoding::Utf8:
            return FUtf8.Decode(bytes, bad);
        default:
            return FUtf16.decode(bytes);
        }
    }
    QString Finish(std::vector<qsizetype>& bad)
    {
        bad.clear();
        return Encoding == TCsvEncoding::Utf8 ? FUtf8.Finish(bad) : QString();
    }
    bool HasError() const { return Encoding == TCsvEncoding::Utf8 && FUtf8.HasError(); }

private:
    TUtf8Decoder FUtf8;
    QStringDecoder FUtf16;
};

// Thrown when a file taken for UTF-8 without saying so turns out not to be: it is read
// again as CP1251.
struct NotUtf8 {};

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

namespace {

// The csv grammar as a state machine fed chunk by chunk, so a file never sits in memory
// whole: quoted fields hold separators, doubled quotes and line breaks (CR LF in a cell
// becomes LF); text after a closing quote is kept; CR, LF and CR LF end a row.
class TCsvParser {
public:
    TCsvParser(TSheetCellsBuilder& cells, QChar sep) : FCells(cells), FSep(sep) {}

    // Bad: places in text of bytes that were no UTF-8; the row they fall in is noted with
    // the file's line.
    void Feed(QStringView text, const std::vector<qsizetype>& bad = {})
    {
        auto nextBad = bad.begin();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (nextBad != bad.end() && *nextBad == i) {
                ++nextBad;
                FCells.AddRowProblem(FRow, QStringLiteral("в строке %1 файла байты не в кодировке UTF-8, заменены знаком %2")
                                               .arg(FLine)
                                               .arg(QChar(QChar::ReplacementCharacter)));
            }
            if (c == u'\n' ? !FLineCr : c == u'\r')
                ++FLine;
            FLineCr = c == u'\r';
            if (FCrPending) {
                FCrPending = false;
                if (c == u'\n')
                    continue;
            }
            if (FInQuotes) {
                if (FCrInQuotes) {
                    FCrInQuotes = false;
                    if (c == u'\n')
                        continue;
                }
                if (FQuotePending) {
                    FQuotePending = false;
                    if (c == u'"') {
                        FField += u'"';
                        continue;
                    }
                    FInQuotes = false;   // that quote closed the field; c is read as unquoted
                } else if (c == u'"') {
                    FQuotePending = true;
                    continue;
                } else if (c == u'\r') {
                    FField += u'\n';
                    FCrInQuotes = true;
                    continue;
                } else {
                    FField += c;
                    continue;
                }
            }
            if (c == u'"' && FField.isEmpty() && !FWasQuoted) {
                FInQuotes = FWasQuoted = FLineHasData = true;
            } else if (c == FSep) {
                EndField();
                ++FCol;
                FLineHasData = true;
            } else if (c == u'\r' || c == u'\n') {
                EndField();
                ++FRow;
                FCol = 1;
                FLineHasData = false;
                FCrPending = c == u'\r';
            } else {
                FField += c;
                FLineHasData = true;
            }
        }
    }

    void Finish()
    {
        if (FLineHasData || !FField.isEmpty())
            EndField();
    }

private:
    void EndField()
    {
        StoreValue(FCells, FRow, FCol, FField);
        FField.clear();
        FWasQuoted = false;
    }

    TSheetCellsBuilder& FCells;
    const QChar FSep;
    QString FField;
    int FRow = 1, FCol = 1;
    int FLine = 1;         // the file's line, counting breaks inside quotes too
    bool FLineCr = false;
    bool FInQuotes = false, FQuotePending = false, FCrInQuotes = false, FCrPending = false;
    bool FWasQuoted = false, FLineHasData = false;
};

// Reads chunks from next() until it gives an empty one.
TSheetCells ReadCsvChunks(const std::function<QByteArray()>& next, const std::function<void()>& rewind)
{
    // The first 64 KiB at least: the byte order mark and the lines the separator comes from.
    auto head = [&] {
        QByteArray bytes = next();
        while (bytes.size() < (64 << 10)) {
            const QByteArray more = next();
            if (more.isEmpty())
                break;
            bytes += more;
        }
        return bytes;
    };
    QByteArray first = head();
    TCsvEncoding enc = TCsvEncoding::Utf8;
    qsizetype skip = 0;
    if (first.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
    } else if (first.startsWith("\xFF\xFE")) {
        enc = TCsvEncoding::Utf16LE;
        skip = 2;
    } else if (first.startsWith("\xFE\xFF")) {
        enc = TCsvEncoding::Utf16BE;
        skip = 2;
    }
    // With a byte order mark the file is UTF-8 whatever it holds: bytes that are not are
    // replaced and their rows noted, never read again as another code page.
    const bool saysUtf8 = enc == TCsvEncoding::Utf8 && skip == 3;
    for (;;) {
        try {
            TCsvDecoder decoder(enc);
            TSheetCellsBuilder cells;
            std::vector<qsizetype> bad;
            QString text = decoder.Decode(QByteArrayView(first).sliced(skip), bad);
            TCsvParser parser(cells, DetectSeparator(text));
            for (;;) {
                if (decoder.HasError() && !saysUtf8)
                    throw NotUtf8{};
                parser.Feed(text, bad);
                const QByteArray chunk = next();
                if (chunk.isEmpty())
                    break;
                text = decoder.Decode(chunk, bad);
            }
            text = decoder.Finish(bad);
            if (decoder.HasError() && !saysUtf8)
                throw NotUtf8{};
            parser.Feed(text, bad);
            parser.Finish();
            return cells.Finish();
        } catch (const NotUtf8&) {
            // Not UTF-8 after all: the Russian ANSI code page, from the start again.
            enc = TCsvEncoding::Cp1251;
            rewind();
            first = head();
        }
    }
}

} // namespace

TSheetCells ReadCsvText(const QByteArray& bytes, int chunkSize)
{
    qsizetype at = 0;
    const qsizetype step = std::max(1, chunkSize);
    return ReadCsvChunks(
        [&] {
            const QByteArray chunk = bytes.mid(at, step);
            at += chunk.size();
            return chunk;
        },
        [&] { at = 0; });
}

TSheetCells ReadCsvFirstSheet(const QString& path)
{
    CheckWorkbookFile(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EExcelError(QStringLiteral("Файл %1 не удаётся открыть: %2").arg(path, f.errorString()));
    try {
        return ReadCsvChunks([&] { return f.read(1 << 20); }, [&] { f.seek(0); });
    } catch (const Exception& e) {
        throw EExcelError(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, e.Message()));
    }
}
