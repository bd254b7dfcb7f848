// Exceptions, Format, the string helpers, integer conversions and file-name helpers.
#include "SysUtils.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <climits>

// ---- exceptions ----

const char* Exception::what() const noexcept
{
    if (FWhat.isEmpty() && !FMessage.isEmpty())
        FWhat = FMessage.toUtf8();
    return FWhat.constData();
}

void Abort()
{
    throw EAbort(QStringLiteral("Operation aborted"));
}

// ---- Format ----

namespace {

[[noreturn]] void FormatError(const QString& fmt)
{
    throw EConvertError(QStringLiteral("Format '") + fmt
                        + QStringLiteral("' invalid or incompatible with argument"));
}

// Widths and precisions above this are taken for a broken format, not honoured:
// they would only ever come from garbage and would allocate without bound.
constexpr int kMaxSpecNumber = 1000000;

constexpr int kMaxFloatDigits = 18;

QString HexDigits(uint64_t v)
{
    return QString::number(v, 16).toUpper();
}

// The sign, then the digits of the magnitude padded with zeros to `minDigits`.
QString ZeroPadded(const QString& digits, bool negative, int minDigits)
{
    QString r;
    if (negative)
        r += u'-';
    if (digits.size() < minDigits)
        r += QString(minDigits - digits.size(), u'0');
    r += digits;
    return r;
}

class Formatter {
public:
    Formatter(const QString& fmt, TVarRecs args) : F(fmt), A(args.begin()), N(int(args.size())) {}

    QString Run()
    {
        QString out;
        out.reserve(F.size() + 16 * N);
        const qsizetype len = F.size();
        qsizetype i = 0;
        while (i < len) {
            const qsizetype pct = F.indexOf(u'%', i);
            if (pct < 0) {
                out += QStringView(F).mid(i);
                break;
            }
            out += QStringView(F).mid(i, pct - i);
            P = pct + 1;
            if (P >= len)
                FormatError(F);
            if (F[P] == u'%') {
                out += u'%';
                i = P + 1;
                continue;
            }
            out += Spec();
            i = P;
        }
        return out;
    }

private:
    const QString& F;
    const TVarRec* A;
    int N;
    int Next = 0;      // the argument the next specifier takes
    qsizetype P = 0;   // parse position within F

    const TVarRec& Arg()
    {
        if (Next < 0 || Next >= N)
            FormatError(F);
        return A[Next++];
    }

    int IntArg()
    {
        const TVarRec& a = Arg();
        if (a.VType != TVarRec::vtInteger && a.VType != TVarRec::vtInt64)
            FormatError(F);
        if (a.VInt > INT_MAX || a.VInt < INT_MIN)
            FormatError(F);
        return int(a.VInt);
    }

    // A number, "*" or nothing at P. Returns false when there is none.
    bool Number(int& v)
    {
        if (P < F.size() && F[P] == u'*') {
            ++P;
            v = IntArg();
            return true;
        }
        if (P >= F.size() || F[P].unicode() < '0' || F[P].unicode() > '9')
            return false;
        int64_t n = 0;
        while (P < F.size() && F[P].unicode() >= '0' && F[P].unicode() <= '9') {
            n = n * 10 + (F[P].unicode() - '0');
            if (n > kMaxSpecNumber)
                FormatError(F);
            ++P;
        }
        v = int(n);
        return true;
    }

    QString Spec()
    {
        const qsizetype len = F.size();
        bool left = false;
        bool haveWidth = false;
        int width = 0;
        int prec = -1;
        int n = 0;
        if (Number(n)) {
            if (P < len && F[P] == u':') {
                ++P;
                if (n < 0)
                    FormatError(F);
                Next = n;
            } else {
                haveWidth = true;
                width = n;
            }
        }
        if (!haveWidth) {
            if (P < len && F[P] == u'-') {
                left = true;
                ++P;
            }
            if (Number(n))
                width = n;  // negative from "*": no padding
        }
        if (P < len && F[P] == u'.') {
            ++P;
            prec = 0;
            if (Number(n))
                prec = n;  // negative from "*": as if none was given
        }
        if (width > kMaxSpecNumber || prec > kMaxSpecNumber)
            FormatError(F);
        if (P >= len)
            FormatError(F);
        const char16_t type = F[P].toUpper().unicode();
        ++P;

        QString text = Convert(type, prec);
        if (width > text.size()) {
            const QString pad(width - text.size(), u' ');
            text = left ? text + pad : pad + text;
        }
        return text;
    }

    QString Convert(char16_t type, int prec)
    {
        switch (type) {
        case u'D': {
            const TVarRec& a = Arg();
            if (a.VType != TVarRec::vtInteger && a.VType != TVarRec::vtInt64)
                FormatError(F);
            const bool neg = a.VInt < 0;
            const uint64_t mag = neg ? 0 - uint64_t(a.VInt) : uint64_t(a.VInt);
            return ZeroPadded(QString::number(mag), neg, prec);
        }
        case u'U': {
            const TVarRec& a = Arg();
            if (a.VType == TVarRec::vtInteger)
                return ZeroPadded(QString::number(uint32_t(a.VInt)), false, prec);
            if (a.VType == TVarRec::vtInt64)
                return ZeroPadded(QString::number(uint64_t(a.VInt)), false, prec);
            FormatError(F);
        }
        case u'X': {
            const TVarRec& a = Arg();
            // Negative values show their two's complement at the argument's own width.
            if (a.VType == TVarRec::vtInteger)
                return ZeroPadded(HexDigits(uint32_t(a.VInt)), false, prec);
            if (a.VType == TVarRec::vtInt64)
                return ZeroPadded(HexDigits(uint64_t(a.VInt)), false, prec);
            FormatError(F);
        }
        case u'P': {
            const TVarRec& a = Arg();
            if (a.VType != TVarRec::vtPointer)
                FormatError(F);
            return ZeroPadded(HexDigits(uint64_t(reinterpret_cast<uintptr_t>(a.VPointer))), false,
                              int(2 * sizeof(void*)));
        }
        case u'S': {
            const TVarRec& a = Arg();
            if (a.VType != TVarRec::vtString && a.VType != TVarRec::vtChar)
                FormatError(F);
            return prec >= 0 && prec < a.VString.size() ? a.VString.left(prec) : a.VString;
        }
        case u'E':
        case u'F':
        case u'G':
        case u'N':
        case u'M':
            return Float(type, prec);
        default:
            FormatError(F);
        }
    }

    QString Float(char16_t type, int prec)
    {
        const TVarRec& a = Arg();
        if (a.VType != TVarRec::vtExtended && a.VType != TVarRec::vtCurrency)
            FormatError(F);
        const bool curr = a.VType == TVarRec::vtCurrency;
        const double d = curr ? Currency::FromRaw(a.VInt).ToDouble() : a.VExtended;
        // Doubles carry 15 significant digits; more would show binary noise.
        constexpr int kPrecision = 15;
        switch (type) {
        case u'E':
            prec = prec < 0 ? 15 : std::clamp(prec, 1, kMaxFloatDigits);
            return FloatToStrF(d, ffExponent, prec, 3);
        case u'G':
            prec = prec < 0 ? 15 : std::clamp(prec, 1, kMaxFloatDigits);
            return FloatToStrF(d, ffGeneral, prec, 3);
        default:
            break;
        }
        const TFloatFormat ff = type == u'F' ? ffFixed : type == u'N' ? ffNumber : ffCurrency;
        int digits = prec;
        if (digits < 0)
            digits = type == u'M' ? FormatSettings.CurrencyDecimals : 2;
        digits = std::min(digits, kMaxFloatDigits);
        if (curr)
            return CurrToStrF(Currency::FromRaw(a.VInt), ff, digits);
        return FloatToStrF(d, ff, kPrecision, digits);
    }
};

} // namespace

QString Format(const QString& fmt, TVarRecs args)
{
    return Formatter(fmt, args).Run();
}

// ---- strings ----

namespace {

inline int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Per character case mapping that keeps the length: a character whose mapping would
// change its UTF-16 length (none in practice) is left as it is.
template <typename Map>
QString MapCase(const QString& s, Map map)
{
    QString r = s;
    char16_t* d = reinterpret_cast<char16_t*>(r.data());
    const qsizetype n = r.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = d[i];
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(d[i + 1])) {
            const char32_t m = map(QChar::surrogateToUcs4(u, d[i + 1]));
            if (QChar::requiresSurrogates(m)) {
                d[i] = QChar::highSurrogate(m);
                d[i + 1] = QChar::lowSurrogate(m);
            }
            ++i;
            continue;
        }
        const char32_t m = map(char32_t(u));
        if (!QChar::requiresSurrogates(m))
            d[i] = char16_t(m);
    }
    return r;
}

inline char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }
inline char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

// QCollator is not safe to share between threads: one pair per thread.
// The root order is used: Russian letters collate the same as under the Russian
// tailoring, but Latin names sort before Cyrillic ones, as accountants' lists always have.
QCollator& RussianCollator(bool caseSensitive)
{
    thread_local QCollator cs = [] {
        QCollator c(QLocale(QLocale::English, QLocale::UnitedStates));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    thread_local QCollator ci = [] {
        QCollator c(QLocale(QLocale::English, QLocale::UnitedStates));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return caseSensitive ? cs : ci;
}

inline bool IsBlank(QChar c) { return c.unicode() <= 0x20; }

// Code point at i (advancing i), lower-cased.
char32_t LowerAt(const QString& s, qsizetype& i)
{
    const char16_t u = s[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(u) && i < s.size() && s[i].isLowSurrogate())
        return QChar::toLower(QChar::surrogateToUcs4(u, s[i++].unicode()));
    return QChar::toLower(char32_t(u));
}

// Ordinal comparison of the lower-cased texts, without building them.
int CompareFolded(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = LowerAt(a, i), y = LowerAt(b, j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

} // namespace

QString UpperCase(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        c = QChar(AsciiUpper(c.unicode()));
    return r;
}

QString LowerCase(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        c = QChar(AsciiLower(c.unicode()));
    return r;
}

QString AnsiUpperCase(const QString& s)
{
    return MapCase(s, [](char32_t c) { return QChar::toUpper(c); });
}

QString AnsiLowerCase(const QString& s)
{
    return MapCase(s, [](char32_t c) { return QChar::toLower(c); });
}

int CompareStr(const QString& a, const QString& b)
{
    return Sign(QStringView(a).compare(QStringView(b), Qt::CaseSensitive));
}

int CompareText(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        // Folded to upper case, so '_' sorts after letters as on the platform.
        const char16_t x = AsciiUpper(a[i].unicode());
        const char16_t y = AsciiUpper(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(const QString& a, const QString& b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareStr(const QString& a, const QString& b)
{
    if (a == b)
        return 0;
    const int r = Sign(RussianCollator(true).compare(a, b));
    // The collator may call distinct texts equal (ignorable characters); break the tie
    // ordinally so that sorted lists and indexes get a total order.
    return r != 0 ? r : CompareStr(a, b);
}

int AnsiCompareText(const QString& a, const QString& b)
{
    const int r = Sign(RussianCollator(false).compare(a, b));
    if (r != 0)
        return r;
    // Equal to the collator: only a case difference may still count as equal.
    return CompareFolded(a, b);
}

bool AnsiSameText(const QString& a, const QString& b)
{
    return AnsiCompareText(a, b) == 0;
}

bool AnsiSameStr(const QString& a, const QString& b)
{
    return a == b;
}

QString Trim(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return b == 0 && e == s.size() ? s : s.mid(b, e - b);
}

QString TrimLeft(const QString& s)
{
    qsizetype b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return b == 0 ? s : s.mid(b);
}

QString TrimRight(const QString& s)
{
    qsizetype e = s.size();
    while (e > 0 && IsBlank(s[e - 1]))
        --e;
    return e == s.size() ? s : s.left(e);
}

int Pos(const QString& sub, const QString& s)
{
    return PosEx(sub, s, 1);
}

int PosEx(const QString& sub, const QString& s, int offset)
{
    if (sub.isEmpty() || offset < 1 || offset > s.size())
        return 0;
    return int(s.indexOf(sub, offset - 1, Qt::CaseSensitive)) + 1;
}

int AnsiPos(const QString& sub, const QString& s)
{
    return PosEx(sub, s, 1);
}

QString Copy(const QString& s, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || index > s.size())
        return QString();
    const qsizetype avail = s.size() - (index - 1);
    return s.mid(index - 1, std::min<qsizetype>(count, avail));
}

QString StringOfChar(QChar c, int count)
{
    return count > 0 ? QString(count, c) : QString();
}

QString QuotedStr(const QString& s)
{
    return AnsiQuotedStr(s, u'\'');
}

QString AnsiQuotedStr(const QString& s, QChar quote)
{
    QString r;
    r.reserve(s.size() + 2);
    r += quote;
    for (QChar c : s) {
        r += c;
        if (c == quote)
            r += c;
    }
    r += quote;
    return r;
}

QString AnsiDequotedStr(const QString& s, QChar quote)
{
    if (s.isEmpty() || s[0] != quote)
        return s;
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r += quote;
                ++i;
                continue;
            }
            return r;  // the closing quote; anything after it is not part of the value
        }
        r += s[i];
    }
    return s;  // never closed: not a quoted text
}

QString StringReplace(const QString& s, const QString& oldPattern, const QString& newPattern, int flags)
{
    if (oldPattern.isEmpty() || s.isEmpty())
        return s;
    const bool all = flags & rfReplaceAll;
    // The case mapping keeps lengths, so positions in the mapped copies are positions in s.
    const bool ic = flags & rfIgnoreCase;
    const QString hay = ic ? AnsiUpperCase(s) : QString();
    const QString pat = ic ? AnsiUpperCase(oldPattern) : QString();
    const QString& h = ic ? hay : s;
    const QString& p = ic ? pat : oldPattern;

    QString r;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = h.indexOf(p, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        r += QStringView(s).mid(from, at - from);
        r += newPattern;
        from = at + p.size();
        if (!all)
            break;
    }
    if (from == 0 && r.isEmpty())
        return s;
    r += QStringView(s).mid(from);
    return r;
}

bool StartsText(const QString& sub, const QString& s)
{
    return sub.size() <= s.size() && AnsiUpperCase(s.left(sub.size())) == AnsiUpperCase(sub);
}

bool EndsText(const QString& sub, const QString& s)
{
    return sub.size() <= s.size() && AnsiUpperCase(s.right(sub.size())) == AnsiUpperCase(sub);
}

// ---- integers ----

QString IntToStr(int64_t v)
{
    return QString::number(v);
}

QString IntToHex(int64_t v, int digits)
{
    return ZeroPadded(HexDigits(uint64_t(v)), false, digits);
}

QString UIntToStr(uint64_t v)
{
    return QString::number(v);
}

namespace {

inline bool IsIntBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Parses blanks, a sign, then decimal digits or "$"/"0x" hex digits, then blanks.
// Decimal must fit [min, max]; hex may use the full unsigned width of the type and
// is read as two's complement, so "$FFFFFFFF" is -1 for a 32-bit integer.
bool ParseInt(const QString& s, int bits, int64_t& out)
{
    qsizetype i = 0, e = s.size();
    while (i < e && IsIntBlank(s[i]))
        ++i;
    while (e > i && IsIntBlank(s[e - 1]))
        --e;
    bool neg = false;
    if (i < e && (s[i] == u'-' || s[i] == u'+')) {
        neg = s[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < e && s[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < e && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= e)
        return false;

    const uint64_t umax = bits == 64 ? UINT64_MAX : (uint64_t(1) << bits) - 1;
    uint64_t mag = 0;
    for (; i < e; ++i) {
        const char16_t c = s[i].unicode();
        unsigned d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        const unsigned base = hex ? 16 : 10;
        if (mag > (umax - d) / base)
            return false;
        mag = mag * base + d;
    }

    if (hex) {
        // Sign-extend the bit pattern, then apply the sign in wrapping arithmetic.
        uint64_t v = mag;
        if (bits < 64 && (v >> (bits - 1)) & 1)
            v |= ~umax;
        if (neg)
            v = 0 - v;
        out = int64_t(v);
        if (bits < 64 && (out < -(int64_t(1) << (bits - 1)) || out > (int64_t(1) << (bits - 1)) - 1))
            return false;
        return true;
    }
    const uint64_t limit = (uint64_t(1) << (bits - 1)) - (neg ? 0 : 1);
    if (mag > limit)
        return false;
    out = neg ? int64_t(0 - mag) : int64_t(mag);
    return true;
}

[[noreturn]] void InvalidInteger(const QString& s)
{
    throw EConvertError(QStringLiteral("'") + s + QStringLiteral("' is not a valid integer value"));
}

} // namespace

bool TryStrToInt(const QString& s, int& v)
{
    int64_t r;
    if (!ParseInt(s, 32, r))
        return false;
    v = int(r);
    return true;
}

bool TryStrToInt64(const QString& s, int64_t& v)
{
    return ParseInt(s, 64, v);
}

int StrToInt(const QString& s)
{
    int v;
    if (!TryStrToInt(s, v))
        InvalidInteger(s);
    return v;
}

int64_t StrToInt64(const QString& s)
{
    int64_t v;
    if (!TryStrToInt64(s, v))
        InvalidInteger(s);
    return v;
}

int StrToIntDef(const QString& s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(const QString& s, int64_t def)
{
    int64_t v;
    return TryStrToInt64(s, v) ? v : def;
}

// ---- booleans ----

bool TryStrToBool(const QString& s, bool& v)
{
    const QString t = Trim(s);
    if (SameText(t, QStringLiteral("True"))) {
        v = true;
        return true;
    }
    if (SameText(t, QStringLiteral("False"))) {
        v = false;
        return true;
    }
    // Numbers count too: zero is false, anything else true.
    int64_t i;
    if (TryStrToInt64(t, i)) {
        v = i != 0;
        return true;
    }
    double d;
    if (TryStrToFloat(t, d)) {
        v = d != 0;
        return true;
    }
    return false;
}

bool StrToBool(const QString& s)
{
    bool v;
    if (!TryStrToBool(s, v))
        throw EConvertError(QStringLiteral("'") + s + QStringLiteral("' is not a valid boolean value"));
    return v;
}

QString BoolToStr(bool b, bool useBoolStrs)
{
    if (useBoolStrs)
        return b ? QStringLiteral("True") : QStringLiteral("False");
    return b ? QStringLiteral("-1") : QStringLiteral("0");
}

// ---- files ----

namespace {

inline bool IsPathDelim(QChar c) { return c == u'/' || c == u'\\'; }

qsizetype LastDelim(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsPathDelim(path[i]))
            return i;
    return -1;
}

// Index of the extension's dot, or -1.
qsizetype ExtDot(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path[i] == u'.')
            return i;
        if (IsPathDelim(path[i]))
            return -1;
    }
    return -1;
}

} // namespace

QString ExtractFileName(const QString& path)
{
    return path.mid(LastDelim(path) + 1);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(LastDelim(path) + 1);
}

QString ExtractFileDir(const QString& path)
{
    qsizetype i = LastDelim(path);
    // Keep the delimiter of a root ("/", "C:\") or of a doubled delimiter.
    if (i > 0 && !IsPathDelim(path[i - 1]) && path[i - 1] != u':')
        return path.left(i);
    return path.left(i + 1);
}

QString ExtractFileExt(const QString& path)
{
    const qsizetype dot = ExtDot(path);
    return dot < 0 ? QString() : path.mid(dot);
}

QString ChangeFileExt(const QString& path, const QString& ext)
{
    const qsizetype dot = ExtDot(path);
    return (dot < 0 ? path : path.left(dot)) + ext;
}

QString IncludeTrailingPathDelimiter(const QString& path)
{
    if (!path.isEmpty() && IsPathDelim(path.back()))
        return path;
    return path + u'/';
}

QString ExcludeTrailingPathDelimiter(const QString& path)
{
    if (!path.isEmpty() && IsPathDelim(path.back()))
        return path.left(path.size() - 1);
    return path;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

bool DirectoryExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool DeleteFile(const QString& path)
{
    return FileExists(path) && QFile::remove(path);
}

QString ParamStr0()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}
