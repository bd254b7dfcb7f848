// The SQL Server semantics registered on every SQLite connection: the TSQL collation,
// strict conversions, exact arithmetic and aggregates, and the string and date functions
// the translator maps T-SQL calls to.
#include "SqliteFunctions.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace sqlimpl {

// ---------------------------------------------------------------- collation

static inline uint32_t nextCp(const unsigned char*& p, const unsigned char* e)
{
    uint32_t c = *p++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    c &= (0x3F >> extra);
    while (extra-- > 0 && p < e) c = (c << 6) | (*p++ & 0x3F);
    return c;
}

static inline uint32_t fold(uint32_t c)
{
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    // the Russian letters without a table look-up
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0x400 && c <= 0x42F) return c;
    if (c > 0xFFFF) return c;
    return QChar(char16_t(c)).toUpper().unicode();
}

int TsqlCompare(int n1, const void* a, int n2, const void* b)
{
    const unsigned char* p1 = static_cast<const unsigned char*>(a);
    const unsigned char* p2 = static_cast<const unsigned char*>(b);
    while (n1 > 0 && p1[n1 - 1] == ' ') --n1;
    while (n2 > 0 && p2[n2 - 1] == ' ') --n2;
    const unsigned char *e1 = p1 + n1, *e2 = p2 + n2;
    // equal bytes are equal characters: skip the common prefix, then step back to the start
    // of a character a difference may have split
    const unsigned char* const s1 = p1;
    while (e1 - p1 >= 8 && e2 - p2 >= 8) {
        uint64_t w1, w2;
        std::memcpy(&w1, p1, 8);
        std::memcpy(&w2, p2, 8);
        if (w1 != w2) break;
        p1 += 8;
        p2 += 8;
    }
    while (p1 < e1 && p2 < e2 && *p1 == *p2) {
        ++p1;
        ++p2;
    }
    while (p1 < e1 && p2 < e2 && p1 > s1 && (*p1 & 0xC0) == 0x80) {
        --p1;
        --p2;
    }
    while (p1 < e1 && p2 < e2) {
        uint32_t c1 = fold(nextCp(p1, e1)), c2 = fold(nextCp(p2, e2));
        if (c1 != c2) {
            // ё sorts with е, as the Russian alphabet has it
            uint32_t k1 = c1 == 0x401 ? 0x415 * 2 + 1 : c1 * 2, k2 = c2 == 0x401 ? 0x415 * 2 + 1 : c2 * 2;
            return k1 < k2 ? -1 : 1;
        }
    }
    if (p1 < e1) return 1;
    if (p2 < e2) return -1;
    return 0;
}

static int collate(void*, int n1, const void* a, int n2, const void* b) { return TsqlCompare(n1, a, n2, b); }

// ---------------------------------------------------------------- values

V ValueOf(sqlite3_value* v)
{
    V r;
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: break;
    case SQLITE_INTEGER: r.k = V::Int; r.i = sqlite3_value_int64(v); break;
    case SQLITE_FLOAT: r.k = V::Real; r.r = sqlite3_value_double(v); break;
    case SQLITE_TEXT:
        r.k = V::Text;
        r.s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
        break;
    case SQLITE_BLOB: {
        const void* p = sqlite3_value_blob(v);
        int n = sqlite3_value_bytes(v);
        if (IsDecBlob(p, n)) { r.k = V::Dec; r.d = DecFromBlob(p, n); }
        else { r.k = V::Blob; r.b = QByteArray(static_cast<const char*>(p), n); }
        break;
    }
    }
    return r;
}

void SetResult(sqlite3_context* ctx, const V& v)
{
    switch (v.k) {
    case V::Null: sqlite3_result_null(ctx); break;
    case V::Int: sqlite3_result_int64(ctx, v.i); break;
    case V::Real: sqlite3_result_double(ctx, v.r); break;
    case V::Text: {
        QByteArray u = v.s.toUtf8();
        sqlite3_result_text(ctx, u.constData(), u.size(), SQLITE_TRANSIENT);
        break;
    }
    case V::Dec: {
        char b[kDecBlobMax];
        sqlite3_result_blob(ctx, b, DecToBytes(v.d, b), SQLITE_TRANSIENT);
        break;
    }
    case V::Blob: sqlite3_result_blob(ctx, v.b.constData(), v.b.size(), SQLITE_TRANSIENT); break;
    }
}

static const char* intName(TSqlDataType t)
{
    switch (t) {
    case TSqlDataType::Bit: return "bit";
    case TSqlDataType::TinyInt: return "tinyint";
    case TSqlDataType::SmallInt: return "smallint";
    case TSqlDataType::BigInt: return "bigint";
    default: return "int";
    }
}

static QString textName(const V& v)
{
    switch (v.k) {
    case V::Text: return QStringLiteral("varchar");
    case V::Int: return v.i >= INT32_MIN && v.i <= INT32_MAX ? QStringLiteral("int") : QStringLiteral("bigint");
    case V::Real: return QStringLiteral("float");
    default: return QStringLiteral("numeric");
    }
}

int64_t ToInt64(const V& v, TSqlDataType to)
{
    switch (v.k) {
    case V::Int: return v.i;
    case V::Real:
        if (!(v.r > -9.3e18 && v.r < 9.3e18))
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting float to data type %1.").arg(QLatin1String(intName(to))));
        return int64_t(v.r);
    case V::Dec: {
        const i128 q = v.d.c / Pow10(v.d.scale);
        if (q > INT64_MAX || q < INT64_MIN)
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting numeric to data type %1.").arg(QLatin1String(intName(to))));
        return int64_t(q);
    }
    case V::Text: {
        QString s = v.s.trimmed();
        if (s.isEmpty()) return 0;
        if (to == TSqlDataType::Bit) {
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return 1;
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return 0;
        }
        bool ok;
        qlonglong r = s.toLongLong(&ok);
        if (!ok)
            throw ESqlError(QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                                .arg(v.s, QLatin1String(intName(to))));
        return r;
    }
    default:
        throw ESqlError(QStringLiteral("Implicit conversion from data type varbinary to %1 is not allowed.").arg(QLatin1String(intName(to))));
    }
}

Dec ToDec(const V& v)
{
    switch (v.k) {
    case V::Int: return DecFromInt(v.i);
    case V::Real: return DecFromDouble(v.r);
    case V::Dec: return v.d;
    case V::Text: {
        Dec d;
        if (DecFromText(v.s, d)) return d;
        static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d+(\\.\\d*)?\\s*$"));
        if (number.match(v.s).hasMatch())   // a number of more than 38 integer digits
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting varchar to data type numeric."), 8115);
        throw ESqlError(QStringLiteral("Error converting data type varchar to numeric."));
    }
    default: throw ESqlError(QStringLiteral("Error converting data type varbinary to numeric."));
    }
}

double ToReal(const V& v)
{
    switch (v.k) {
    case V::Int: return double(v.i);
    case V::Real: return v.r;
    case V::Dec: return DecToDouble(v.d);
    case V::Text: {
        bool ok;
        double r = v.s.trimmed().toDouble(&ok);
        if (!ok) throw ESqlError(QStringLiteral("Error converting data type varchar to float."));
        return r;
    }
    default: throw ESqlError(QStringLiteral("Error converting data type varbinary to float."));
    }
}

QString ToText(const V& v)
{
    switch (v.k) {
    case V::Int: return QString::number(v.i);
    case V::Real: return QString::number(v.r, 'g', 15);
    case V::Dec: return DecToText(v.d);
    case V::Text: return v.s;
    default: return QString::fromLatin1(v.b.toHex());
    }
}

double ToDate(const V& v, const QString& fmt)
{
    switch (v.k) {
    case V::Int: return 2.0 + double(v.i);
    case V::Real: return 2.0 + v.r;
    case V::Dec: return 2.0 + DecToDouble(v.d);
    case V::Text: {
        double dt;
        if (IsCanonDate(v.s) ? !CanonToDate(v.s, dt) : !ParseDateText(v.s, fmt, dt))
            throw ESqlError(QStringLiteral("Conversion failed when converting date and/or time from character string."));
        return dt;
    }
    default: throw ESqlError(QStringLiteral("Explicit conversion from data type varbinary to datetime is not allowed."));
    }
}

// datetime keeps time in 1/300 s: milliseconds end in 0, 3 or 7, and .999 is the next second
static double RoundToDateTimeTicks(double dt)
{
    const double day = std::floor(dt);
    const double ticks = std::round((dt - day) * 86400.0 * 300.0);
    return day + std::round(ticks * 10.0 / 3.0) / 86400000.0;
}

V Convert(const V& v, const TSqlTypeInfo& t, bool assign, const QString& dateFormat)
{
    if (v.k == V::Null) return v;
    V r;
    using T = TSqlDataType;
    switch (t.Type) {
    case T::Bit: r.k = V::Int; r.i = ToInt64(v, t.Type) != 0 ? 1 : 0; return r;
    case T::TinyInt: case T::SmallInt: case T::Int: case T::BigInt: {
        int64_t x = ToInt64(v, t.Type);
        int64_t lo = t.Type == T::TinyInt ? 0 : t.Type == T::SmallInt ? -32768 : t.Type == T::Int ? INT32_MIN : INT64_MIN;
        int64_t hi = t.Type == T::TinyInt ? 255 : t.Type == T::SmallInt ? 32767 : t.Type == T::Int ? INT32_MAX : INT64_MAX;
        if ((x < lo || x > hi) && (t.Type == T::TinyInt || t.Type == T::SmallInt) && v.k == V::Int)
            throw ESqlError(QStringLiteral("Arithmetic overflow error for data type %1, value = %2.").arg(QLatin1String(intName(t.Type))).arg(x), 220);
        if (x < lo || x > hi)
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting expression to data type %1.").arg(QLatin1String(intName(t.Type))), 8115);
        r.k = V::Int; r.i = x;
        return r;
    }
    case T::Decimal: case T::Money: {
        const Dec x = ToDec(v);
        const int scale = t.Type == T::Money ? 4 : t.Scale;
        const int prec = t.Type == T::Money ? 19 : (t.Precision ? t.Precision : 18);
        Dec d;
        if (!DecRescale(x, scale, d) || !DecFits(d, prec, scale))
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting %1 to data type %2.")
                                .arg(textName(v), t.Type == T::Money ? QStringLiteral("money") : QStringLiteral("numeric")), 8115);
        r.k = V::Dec; r.d = d;
        return r;
    }
    case T::Float: r.k = V::Real; r.r = ToReal(v); return r;
    case T::Char: case T::VarChar: case T::NChar: case T::NVarChar: {
        QString s = ToText(v);
        if (v.k == V::Dec && t.Size > 0 && s.size() > t.Size)   // numbers do not fit: an error, as the server
            throw ESqlError(QStringLiteral("Arithmetic overflow error converting numeric to data type varchar."));
        if (t.Size > 0 && s.size() > t.Size) {
            QString trimmed = s;
            while (trimmed.size() > t.Size && trimmed.endsWith(u' ')) trimmed.chop(1);
            if (trimmed.size() > t.Size) {
                if (assign) throw ESqlError(QStringLiteral("String or binary data would be truncated."));
                trimmed = trimmed.left(t.Size);
            }
            s = trimmed;
        }
        r.k = V::Text; r.s = s;
        return r;
    }
    case T::DateTime: case T::SmallDateTime: case T::Date: {
        // the stored form already, when its milliseconds are on the type's 1/300 s ticks
        if (t.Type == T::DateTime && v.k == V::Text && IsCanonDate(v.s) && QStringLiteral("037").contains(v.s.back())) return v;
        double dt = ToDate(v, dateFormat);
        if (t.Type == T::DateTime) dt = RoundToDateTimeTicks(dt);
        if (t.Type == T::SmallDateTime) dt = std::round(dt * 1440.0) / 1440.0;
        if (t.Type == T::Date) dt = std::floor(dt);
        r.k = V::Text; r.s = DateToCanon(dt);
        return r;
    }
    default: return v;
    }
}

// ---------------------------------------------------------------- helpers

static const QString& sessionDateFormat(sqlite3_context* ctx)
{
    return static_cast<FunctionHost*>(sqlite3_user_data(ctx))->DateFormat();
}

template <class F>
static void guarded(sqlite3_context* ctx, F f)
{
    try {
        f();
    } catch (const Exception& e) {
        QByteArray m = e.Message().toUtf8();
        sqlite3_result_error(ctx, m.constData(), m.size());
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

static TSqlTypeInfo typeArgs(sqlite3_value** a)
{
    TSqlTypeInfo t;
    t.Type = TSqlDataType(sqlite3_value_int(a[0]));
    t.Size = sqlite3_value_int(a[1]);
    t.Precision = sqlite3_value_int(a[2]);
    t.Scale = sqlite3_value_int(a[3]);
    return t;
}

static void fnConv(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        SetResult(ctx, Convert(ValueOf(a[0]), typeArgs(a + 1), sqlite3_value_int(a[5]) != 0, sessionDateFormat(ctx)));
    });
}


static void fnConvert(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        V v = ValueOf(a[0]);
        TSqlTypeInfo t = typeArgs(a + 1);
        int style = sqlite3_value_int(a[5]);
        if (t.IsText() && v.k == V::Text && IsCanonDate(v.s) && style) {
            double dt;
            CanonToDate(v.s, dt);
            int y, m, d;
            CivilFromDays(int64_t(std::floor(dt)), y, m, d);
            QString time = v.s.mid(11, 8);
            QString out;
            switch (style) {
            case 104: out = QString::asprintf("%02d.%02d.%04d", d, m, y); break;
            case 4: out = QString::asprintf("%02d.%02d.%02d", d, m, y % 100); break;
            case 103: out = QString::asprintf("%02d/%02d/%04d", d, m, y); break;
            case 101: out = QString::asprintf("%02d/%02d/%04d", m, d, y); break;
            case 112: out = QString::asprintf("%04d%02d%02d", y, m, d); break;
            case 23: out = v.s.left(10); break;
            case 20: case 120: out = v.s.left(19); break;
            case 108: out = time; break;
            default: out = v.s; break;
            }
            V r; r.k = V::Text; r.s = out;
            SetResult(ctx, Convert(r, t, false, sessionDateFormat(ctx)));
            return;
        }
        QString fmt = sessionDateFormat(ctx);
        if (t.IsDate() && v.k == V::Text) {
            if (style == 104 || style == 103 || style == 4 || style == 3) fmt = QStringLiteral("dmy");
            else if (style == 101 || style == 1) fmt = QStringLiteral("mdy");
        }
        SetResult(ctx, Convert(v, t, false, fmt));
    });
}

// ---- arithmetic

[[noreturn]] static void numericOverflow()
{
    throw ESqlError(QStringLiteral("Arithmetic overflow error converting expression to data type numeric."), 8115);
}


// An exact result gets `scale` places (-1: the operands decide): sums and products are
// rounded to them, quotients cut.
static V arith(char op, const V& a, const V& b, int scale = -1)
{
    V r;
    if (a.k == V::Null || b.k == V::Null) return r;
    if (op == '+' && a.k == V::Text && b.k == V::Text) { r.k = V::Text; r.s = a.s + b.s; return r; }
    bool real = a.k == V::Real || b.k == V::Real;
    bool dec = a.k == V::Dec || b.k == V::Dec;
    if (real) {
        double x = ToReal(a), y = ToReal(b);
        r.k = V::Real;
        switch (op) {
        case '+': r.r = x + y; break;
        case '-': r.r = x - y; break;
        case '*': r.r = x * y; break;
        default:
            if (y == 0) throw ESqlError(QStringLiteral("Divide by zero error encountered."));
            r.r = x / y;
        }
        return r;
    }
    if (dec) {
        const Dec x = ToDec(a), y = ToDec(b);
        // without the result's type: the server's rule for operands of precision 38
        if (scale < 0) scale = op == '*' ? std::min(x.scale + y.scale, kDecMaxDigits) : op == '/' ? std::max(6, x.scale - y.scale) : std::max(x.scale, y.scale);
        r.k = V::Dec;
        bool ok;
        switch (op) {
        case '+': ok = DecAdd(x, y, scale, r.d); break;
        case '-': ok = DecAdd(x, Dec{-y.c, y.scale}, scale, r.d); break;
        case '*': ok = DecMul(x, y, scale, r.d); break;
        default:
            if (y.c == 0) throw ESqlError(QStringLiteral("Divide by zero error encountered."));
            ok = DecDiv(x, y, scale, r.d);
        }
        if (!ok) numericOverflow();
        return r;
    }
    int64_t x = ToInt64(a, TSqlDataType::BigInt), y = ToInt64(b, TSqlDataType::BigInt);
    r.k = V::Int;
    bool ovf = false;
    switch (op) {
    case '+': ovf = __builtin_add_overflow(x, y, &r.i); break;
    case '-': ovf = __builtin_sub_overflow(x, y, &r.i); break;
    case '*': ovf = __builtin_mul_overflow(x, y, &r.i); break;
    default:
        if (y == 0) throw ESqlError(QStringLiteral("Divide by zero error encountered."));
        r.i = x / y;
    }
    if (ovf) throw ESqlError(QStringLiteral("Arithmetic overflow error converting expression to data type bigint."));
    return r;
}

// With a third argument, the places of the result's type.
template <char Op>
static void fnArith(sqlite3_context* ctx, int argc, sqlite3_value** a)
{
    guarded(ctx, [&] {
        SetResult(ctx, arith(Op, ValueOf(a[0]), ValueOf(a[1]), argc > 2 ? std::clamp(sqlite3_value_int(a[2]), 0, kDecMaxDigits) : -1));
    });
}

// Integer results keep their type's range: SQLite computes in 64 bits (and turns an
// overflow of those into a float), the server raises an overflow error.
static void fnCheckInt(sqlite3_context* ctx, int, sqlite3_value** a)
{
    const int type = sqlite3_value_type(a[0]);
    const bool big = sqlite3_value_int(a[1]) != 0;
    if (type == SQLITE_FLOAT || (type == SQLITE_INTEGER && !big && (sqlite3_value_int64(a[0]) > INT32_MAX || sqlite3_value_int64(a[0]) < INT32_MIN))) {
        const char* m = big ? "Arithmetic overflow error converting expression to data type bigint."
                            : "Arithmetic overflow error converting expression to data type int.";
        sqlite3_result_error(ctx, m, -1);
        return;
    }
    sqlite3_result_value(ctx, a[0]);
}

static void fnMod(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        V x = ValueOf(a[0]), y = ValueOf(a[1]);
        if (x.k == V::Null || y.k == V::Null) { sqlite3_result_null(ctx); return; }
        if (x.k == V::Real || y.k == V::Real)
            throw ESqlError(QStringLiteral("The data types float and int are incompatible in the modulo operator."));
        V r;
        if (x.k == V::Dec || y.k == V::Dec) {
            const Dec dx = ToDec(x), dy = ToDec(y);
            if (dy.c == 0) throw ESqlError(QStringLiteral("Divide by zero error encountered."));
            r.k = V::Dec;
            if (!DecMod(dx, dy, r.d)) numericOverflow();
        } else {
            int64_t ix = ToInt64(x, TSqlDataType::BigInt), iy = ToInt64(y, TSqlDataType::BigInt);
            if (iy == 0) throw ESqlError(QStringLiteral("Divide by zero error encountered."));
            r.k = V::Int;
            r.i = iy == -1 ? 0 : ix % iy;
        }
        SetResult(ctx, r);
    });
}

// A decimal result that must fit its type's precision (ROUND keeps the argument's type).
static void fnFit(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        V v = ValueOf(a[0]);
        if (v.k == V::Dec && !DecFits(v.d, sqlite3_value_int(a[1]), sqlite3_value_int(a[2])))
            numericOverflow();
        sqlite3_result_value(ctx, a[0]);
    });
}

// An exact number as text with the places of its type (the stored form keeps none).
static void fnDecText(sqlite3_context* ctx, int, sqlite3_value** a)
{
    V v = ValueOf(a[0]);
    if (v.k != V::Dec) { sqlite3_result_value(ctx, a[0]); return; }
    Dec shown;
    if (DecRescale(v.d, sqlite3_value_int(a[1]), shown)) v.d = shown;
    QByteArray u = DecToText(v.d).toUtf8();
    sqlite3_result_text(ctx, u.constData(), u.size(), SQLITE_TRANSIENT);
}

// A stored decimal in the present form (catalogs of earlier builds hold another).
static void fnDecForm(sqlite3_context* ctx, int, sqlite3_value** a)
{
    const V v = ValueOf(a[0]);
    if (v.k == V::Dec) SetResult(ctx, v);
    else sqlite3_result_value(ctx, a[0]);
}

// A scalar subquery: one value, NULL for none, the server's error 512 for more.
struct OneState {
    sqlite3_value* v;
    int64_t n;
};

static const char* kSubqueryRows = "Subquery returned more than 1 value. This is not permitted when the subquery follows "
                                   "=, !=, <, <= , >, >= or when the subquery is used as an expression.";

static void oneStep(sqlite3_context* ctx, int, sqlite3_value** a)
{
    OneState* s = static_cast<OneState*>(sqlite3_aggregate_context(ctx, sizeof(OneState)));
    if (!s) return;
    if (++s->n == 1) s->v = sqlite3_value_dup(a[0]);
    else if (s->n == 2) sqlite3_result_error(ctx, kSubqueryRows, -1);
}

static void oneFinal(sqlite3_context* ctx)
{
    OneState* s = static_cast<OneState*>(sqlite3_aggregate_context(ctx, 0));
    if (!s) { sqlite3_result_null(ctx); return; }
    if (s->n > 1) sqlite3_result_error(ctx, kSubqueryRows, -1);
    else if (s->v) sqlite3_result_value(ctx, s->v);
    else sqlite3_result_null(ctx);
    sqlite3_value_free(s->v);
    s->v = nullptr;
}

// ---- aggregates

struct SumState {
    bool any;
    int kind;    // 0 int, 1 real, 2 decimal
    int64_t i;
    double r;
    unsigned char dbuf[16];   // i128, unaligned: SQLite's aggregate memory is only 8-byte aligned
    int64_t count;
    int scale;
    bool failed;
};

static i128 getD(const SumState* s) { i128 v; memcpy(&v, s->dbuf, sizeof v); return v; }
static void setD(SumState* s, i128 v) { memcpy(s->dbuf, &v, sizeof v); }

static void sumStep(sqlite3_context* ctx, int, sqlite3_value** a)
{
    SumState* s = static_cast<SumState*>(sqlite3_aggregate_context(ctx, sizeof(SumState)));
    if (!s || s->failed) return;
    guarded(ctx, [&] {
        V v = ValueOf(a[0]);
        if (v.k == V::Null) return;
        if (v.k == V::Text || v.k == V::Blob) {
            s->failed = true;
            throw ESqlError(QStringLiteral("Operand data type varchar is invalid for sum operator."));
        }
        s->any = true;
        ++s->count;
        if (v.k == V::Real && s->kind != 1) {
            s->r = s->kind == 0 ? double(s->i) : DecToDouble(Dec{getD(s), s->scale});
            s->kind = 1;
        }
        if (v.k == V::Dec && s->kind == 0) { setD(s, s->i); s->kind = 2; }
        switch (s->kind) {
        case 0:
            if (__builtin_add_overflow(s->i, v.i, &s->i)) {
                s->failed = true;
                throw ESqlError(QStringLiteral("Arithmetic overflow error converting expression to data type bigint."));
            }
            break;
        case 1: s->r += ToReal(v); break;
        default: {
            const Dec d = ToDec(v);
            i128 sum = getD(s);
            if (d.scale == s->scale && !__builtin_add_overflow(sum, d.c, &sum) && sum < Pow10(kDecMaxDigits) && sum > -Pow10(kDecMaxDigits)) {
                setD(s, sum);
                break;
            }
            Dec total;
            if (!DecAdd(Dec{getD(s), s->scale}, d, std::max(s->scale, d.scale), total)) {
                s->failed = true;
                numericOverflow();
            }
            setD(s, total.c);
            s->scale = total.scale;
        }
        }
    });
}

static V sumValue(const SumState* s)
{
    V r;
    if (!s || !s->any) return r;
    if (s->kind == 0) { r.k = V::Int; r.i = s->i; }
    else if (s->kind == 1) { r.k = V::Real; r.r = s->r; }
    else { r.k = V::Dec; r.d.c = getD(s); r.d.scale = s->scale; }
    return r;
}

static void sumFinal(sqlite3_context* ctx)
{
    SumState* s = static_cast<SumState*>(sqlite3_aggregate_context(ctx, 0));
    if (s && s->failed) return;
    SetResult(ctx, sumValue(s));
}

static void avgFinal(sqlite3_context* ctx)
{
    SumState* s = static_cast<SumState*>(sqlite3_aggregate_context(ctx, 0));
    if (s && s->failed) return;
    V sum = sumValue(s);
    if (sum.k == V::Null) { sqlite3_result_null(ctx); return; }
    V n; n.k = V::Int; n.i = s->count;
    guarded(ctx, [&] { SetResult(ctx, arith('/', sum, n)); });
}

// ---- strings

static QString textArg(sqlite3_value* v) { return ToText(ValueOf(v)); }
static bool isNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }
static void resultText(sqlite3_context* ctx, const QString& s)
{
    QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), u.size(), SQLITE_TRANSIENT);
}

static QString rtrimBlanks(QString s)
{
    while (s.endsWith(u' ')) s.chop(1);
    return s;
}

static void fnLen(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0])) { sqlite3_result_null(ctx); return; }
    sqlite3_result_int(ctx, rtrimBlanks(textArg(a[0])).size());
}

static void fnSubstring(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        if (isNull(a[0]) || isNull(a[1]) || isNull(a[2])) { sqlite3_result_null(ctx); return; }
        QString s = textArg(a[0]);
        int64_t start = ToInt64(ValueOf(a[1]), TSqlDataType::Int), len = ToInt64(ValueOf(a[2]), TSqlDataType::Int);
        if (len < 0) throw ESqlError(QStringLiteral("Invalid length parameter passed to the substring function."));
        int64_t from = std::max<int64_t>(start, 1), to = std::min<int64_t>(start + len, int64_t(s.size()) + 1);
        resultText(ctx, to > from ? s.mid(int(from - 1), int(to - from)) : QString());
    });
}

static void fnLeftRight(sqlite3_context* ctx, sqlite3_value** a, bool right)
{
    guarded(ctx, [&] {
        if (isNull(a[0]) || isNull(a[1])) { sqlite3_result_null(ctx); return; }
        QString s = textArg(a[0]);
        int64_t n = ToInt64(ValueOf(a[1]), TSqlDataType::Int);
        if (n < 0) throw ESqlError(QStringLiteral("Invalid length parameter passed to the %1 function.").arg(right ? QStringLiteral("right") : QStringLiteral("left")));
        resultText(ctx, right ? s.right(int(std::min<int64_t>(n, s.size()))) : s.left(int(std::min<int64_t>(n, s.size()))));
    });
}
static void fnLeft(sqlite3_context* ctx, int, sqlite3_value** a) { fnLeftRight(ctx, a, false); }
static void fnRight(sqlite3_context* ctx, int, sqlite3_value** a) { fnLeftRight(ctx, a, true); }

// LIKE patterns: % _ [abc] [a-z] [^...]; letters compared without case.
static bool matchHere(const QString& p, int pi, const QString& s, int si, bool anchorEnd, int* endOut)
{
    while (pi < p.size()) {
        QChar c = p[pi];
        if (c == u'%') {
            while (pi < p.size() && p[pi] == u'%') ++pi;
            if (pi == p.size()) { if (endOut) *endOut = s.size(); return true; }
            for (int k = si; k <= s.size(); ++k)
                if (matchHere(p, pi, s, k, anchorEnd, endOut)) return true;
            return false;
        }
        if (si >= s.size()) return false;
        if (c == u'_') { ++pi; ++si; continue; }
        if (c == u'[') {
            int close = p.indexOf(u']', pi + 1);
            if (close > pi) {
                QString set = p.mid(pi + 1, close - pi - 1);
                bool neg = set.startsWith(u'^');
                if (neg) set.remove(0, 1);
                QChar x = s[si].toUpper();
                bool in = false;
                for (int k = 0; k < set.size(); ++k) {
                    if (k + 2 < set.size() && set[k + 1] == u'-') {
                        if (x >= set[k].toUpper() && x <= set[k + 2].toUpper()) in = true;
                        k += 2;
                    } else if (set[k].toUpper() == x) in = true;
                }
                if (in == neg) return false;
                pi = close + 1;
                ++si;
                continue;
            }
        }
        if (c.toUpper() != s[si].toUpper()) return false;
        ++pi;
        ++si;
    }
    if (anchorEnd && si != s.size()) return false;
    if (endOut) *endOut = si;
    return true;
}

static void fnLike(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0]) || isNull(a[1])) { sqlite3_result_null(ctx); return; }
    QString p = textArg(a[0]), s = textArg(a[1]);
    if (!p.endsWith(u' ')) s = rtrimBlanks(s);
    sqlite3_result_int(ctx, matchHere(p, 0, s, 0, true, nullptr) ? 1 : 0);
}

static void fnPatindex(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0]) || isNull(a[1])) { sqlite3_result_null(ctx); return; }
    QString p = textArg(a[0]), s = textArg(a[1]);
    bool lead = p.startsWith(u'%');
    QString inner = p;
    while (inner.startsWith(u'%')) inner.remove(0, 1);
    bool trail = inner.endsWith(u'%');
    for (int i = 0; i <= (lead ? s.size() : 0); ++i) {
        if (matchHere(inner, 0, s, i, !trail, nullptr)) {
            if (inner.isEmpty() && i >= s.size() && !s.isEmpty()) break;
            sqlite3_result_int(ctx, inner.isEmpty() ? (s.isEmpty() ? 0 : 1) : i + 1);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

static void fnCharindex(sqlite3_context* ctx, int n, sqlite3_value** a)
{
    if (isNull(a[0]) || isNull(a[1])) { sqlite3_result_null(ctx); return; }
    QString f = textArg(a[0]), s = textArg(a[1]);
    int start = n > 2 && !isNull(a[2]) ? std::max(1, sqlite3_value_int(a[2])) : 1;
    if (f.isEmpty()) { sqlite3_result_int(ctx, 0); return; }
    int k = s.indexOf(f, start - 1, Qt::CaseInsensitive);
    sqlite3_result_int(ctx, k + 1);
}

static void fnUpper(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0])) { sqlite3_result_null(ctx); return; }
    QString s = textArg(a[0]);
    for (QChar& c : s) c = c.toUpper();
    resultText(ctx, s);
}

static void fnLower(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0])) { sqlite3_result_null(ctx); return; }
    QString s = textArg(a[0]);
    for (QChar& c : s) c = c.toLower();
    resultText(ctx, s);
}

static void fnLtrim(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0])) { sqlite3_result_null(ctx); return; }
    QString s = textArg(a[0]);
    int i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    resultText(ctx, s.mid(i));
}

static void fnRtrim(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0])) { sqlite3_result_null(ctx); return; }
    resultText(ctx, rtrimBlanks(textArg(a[0])));
}

static void fnReplace(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0]) || isNull(a[1]) || isNull(a[2])) { sqlite3_result_null(ctx); return; }
    QString s = textArg(a[0]), f = textArg(a[1]), r = textArg(a[2]);
    if (!f.isEmpty()) s.replace(f, r, Qt::CaseInsensitive);
    resultText(ctx, s);
}

static void fnReplicate(sqlite3_context* ctx, int, sqlite3_value** a)
{
    if (isNull(a[0]) || isNull(a[1])) { sqlite3_result_null(ctx); return; }
    int n = sqlite3_value_int(a[1]);
    if (n < 0) { sqlite3_result_null(ctx); return; }
    resultText(ctx, textArg(a[0]).repeated(n));
}

static void fnIsnumeric(sqlite3_context* ctx, int, sqlite3_value** a)
{
    V v = ValueOf(a[0]);
    if (v.k == V::Null) { sqlite3_result_int(ctx, 0); return; }
    if (v.k != V::Text) { sqlite3_result_int(ctx, 1); return; }
    bool ok;
    v.s.trimmed().toDouble(&ok);
    sqlite3_result_int(ctx, ok ? 1 : 0);
}

static void fnAbs(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        V v = ValueOf(a[0]);
        if (v.k == V::Int) v.i = v.i < 0 ? -v.i : v.i;
        else if (v.k == V::Real) v.r = std::fabs(v.r);
        else if (v.k == V::Dec) v.d.c = v.d.c < 0 ? -v.d.c : v.d.c;
        else if (v.k != V::Null) { v.r = std::fabs(ToReal(v)); v.k = V::Real; }
        SetResult(ctx, v);
    });
}

static void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** a)
{
    guarded(ctx, [&] {
        V v = ValueOf(a[0]);
        int n = sqlite3_value_int(a[1]);
        const bool cut = argc > 2 && sqlite3_value_type(a[2]) != SQLITE_NULL && sqlite3_value_int(a[2]) != 0;   // ROUND(x, n, 1) truncates
        auto toStep = [&](i128 x, i128 f) {
            i128 q = x / f, r = x % f;
            if (!cut && (r < 0 ? -r : r) * 2 >= f) q += x < 0 ? -1 : 1;
            return q * f;
        };
        if (v.k == V::Text) {
            v.d = ToDec(v);
            v.k = V::Dec;
        }
        if (v.k == V::Dec) {
            // past 38 digits every value rounds to zero; a carry past 38 digits is caught by tsql_fit
            if (n < v.d.scale) v.d.c = v.d.scale - n > kDecMaxDigits ? 0 : toStep(v.d.c, Pow10(v.d.scale - n));
        } else if (v.k == V::Real) {
            double f = std::pow(10.0, n);
            v.r = cut ? std::trunc(v.r * f) / f : std::round(v.r * f) / f;
        } else if (v.k == V::Int && n < 0) {
            if (n < -18) v.i = 0;
            else v.i = int64_t(toStep(v.i, Pow10(-n)));
        }
        SetResult(ctx, v);
    });
}

// ---- dates

static double dateArg(sqlite3_context* ctx, sqlite3_value* v) { return ToDate(ValueOf(v), sessionDateFormat(ctx)); }

// one value per statement, as the server evaluates it once
static void fnGetdate(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, DateToCanon(static_cast<FunctionHost*>(sqlite3_user_data(ctx))->StatementTime()));
}

static void fnTrancount(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, static_cast<FunctionHost*>(sqlite3_user_data(ctx))->TranCount());
}


template <bool Scope>
static void fnIdentity(sqlite3_context* ctx, int, sqlite3_value**)
{
    const auto* host = static_cast<FunctionHost*>(sqlite3_user_data(ctx));
    int64_t v = 0;
    if (Scope ? host->ScopeIdentity(v) : host->LastIdentity(v))
        sqlite3_result_int64(ctx, v);
    else
        sqlite3_result_null(ctx);
}

static double addMonths(double dt, int64_t months)
{
    double day = std::floor(dt);
    double frac = dt - day;
    int y, m, d;
    CivilFromDays(int64_t(day), y, m, d);
    int64_t total = int64_t(y) * 12 + (m - 1) + months;
    y = int(total / 12);
    m = int(total % 12) + 1;
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int maxd = dim[m - 1] + (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0) ? 1 : 0);
    if (y < 1 || y > 9999) throw ESqlError(QStringLiteral("Adding a value to a 'datetime' column caused an overflow."));
    return double(DaysFromCivil(y, m, std::min(d, maxd))) + frac;
}

static void fnDateadd(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        if (isNull(a[1]) || isNull(a[2])) { sqlite3_result_null(ctx); return; }
        QString part = textArg(a[0]);
        int64_t n = ToInt64(ValueOf(a[1]), TSqlDataType::Int);
        double dt = dateArg(ctx, a[2]);
        if (part == QLatin1String("year")) dt = addMonths(dt, n * 12);
        else if (part == QLatin1String("quarter")) dt = addMonths(dt, n * 3);
        else if (part == QLatin1String("month")) dt = addMonths(dt, n);
        else if (part == QLatin1String("day") || part == QLatin1String("dayofyear") || part == QLatin1String("weekday")) dt += double(n);
        else if (part == QLatin1String("week")) dt += 7.0 * double(n);
        else if (part == QLatin1String("hour")) dt += double(n) / 24.0;
        else if (part == QLatin1String("minute")) dt += double(n) / 1440.0;
        else if (part == QLatin1String("second")) dt += double(n) / 86400.0;
        else if (part == QLatin1String("millisecond")) dt += double(n) / 86400000.0;
        else throw ESqlError(QStringLiteral("'%1' is not a recognized dateadd option.").arg(part));
        resultText(ctx, DateToCanon(dt));
    });
}

static void fnDatediff(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        if (isNull(a[1]) || isNull(a[2])) { sqlite3_result_null(ctx); return; }
        QString part = textArg(a[0]);
        double x = dateArg(ctx, a[1]), y = dateArg(ctx, a[2]);
        int y1, m1, d1, y2, m2, d2;
        CivilFromDays(int64_t(std::floor(x)), y1, m1, d1);
        CivilFromDays(int64_t(std::floor(y)), y2, m2, d2);
        int64_t r;
        if (part == QLatin1String("year")) r = y2 - y1;
        else if (part == QLatin1String("quarter")) r = (y2 * 4 + (m2 - 1) / 3) - (y1 * 4 + (m1 - 1) / 3);
        else if (part == QLatin1String("month")) r = (y2 * 12 + m2) - (y1 * 12 + m1);
        else if (part == QLatin1String("day")) r = int64_t(std::floor(y)) - int64_t(std::floor(x));
        else if (part == QLatin1String("week")) r = (int64_t(std::floor(y)) + 6) / 7 - (int64_t(std::floor(x)) + 6) / 7;
        else if (part == QLatin1String("hour")) r = int64_t(std::floor(y * 24 + 1e-9)) - int64_t(std::floor(x * 24 + 1e-9));
        else if (part == QLatin1String("minute")) r = int64_t(std::floor(y * 1440 + 1e-9)) - int64_t(std::floor(x * 1440 + 1e-9));
        else if (part == QLatin1String("second")) r = llround(y * 86400) - llround(x * 86400);
        else throw ESqlError(QStringLiteral("'%1' is not a recognized datediff option.").arg(part));
        sqlite3_result_int64(ctx, r);
    });
}

static int64_t datePartOf(const QString& part, double dt)
{
    int64_t day = int64_t(std::floor(dt));
    int y, m, d;
    CivilFromDays(day, y, m, d);
    int64_t ms = llround((dt - double(day)) * 86400000.0);
    if (part == QLatin1String("year")) return y;
    if (part == QLatin1String("quarter")) return (m - 1) / 3 + 1;
    if (part == QLatin1String("month")) return m;
    if (part == QLatin1String("day")) return d;
    if (part == QLatin1String("dayofyear")) return day - DaysFromCivil(y, 1, 1) + 1;
    if (part == QLatin1String("weekday")) { int64_t r = ((day % 7) + 7) % 7; return r == 0 ? 7 : r; }   // 1899-12-30 was a Saturday; Sunday = 1
    if (part == QLatin1String("hour")) return ms / 3600000;
    if (part == QLatin1String("minute")) return ms / 60000 % 60;
    if (part == QLatin1String("second")) return ms / 1000 % 60;
    if (part == QLatin1String("millisecond")) return ms % 1000;
    throw ESqlError(QStringLiteral("'%1' is not a recognized datepart option.").arg(part));
}

static void fnDatepart(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        if (isNull(a[1])) { sqlite3_result_null(ctx); return; }
        sqlite3_result_int64(ctx, datePartOf(textArg(a[0]), dateArg(ctx, a[1])));
    });
}

static void fnDatename(sqlite3_context* ctx, int, sqlite3_value** a)
{
    guarded(ctx, [&] {
        if (isNull(a[1])) { sqlite3_result_null(ctx); return; }
        const QString part = textArg(a[0]);
        const double dt = dateArg(ctx, a[1]);
        const int64_t day = int64_t(std::floor(dt));
        int y, m, d;
        CivilFromDays(day, y, m, d);
        static const char* months[] = {"January", "February", "March", "April", "May", "June", "July",
                                       "August", "September", "October", "November", "December"};
        static const char* days[] = {"Saturday", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};
        if (part == QLatin1String("month")) resultText(ctx, QLatin1String(months[m - 1]));
        else if (part == QLatin1String("weekday")) resultText(ctx, QLatin1String(days[((day % 7) + 7) % 7]));
        else resultText(ctx, QString::number(datePartOf(part, dt)));   // the other parts: the number as text
    });
}

// ---------------------------------------------------------------- registration

void RegisterFunctions(sqlite3* db, FunctionHost* host)
{
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_collation(db, "TSQL", SQLITE_UTF8, nullptr, collate);
    struct F { const char* name; int n; void (*f)(sqlite3_context*, int, sqlite3_value**); bool deterministic; };
    static const F fs[] = {
        {"tsql_conv", 6, fnConv, true},         {"tsql_convert", 6, fnConvert, true},
        {"tsql_add", 2, fnArith<'+'>, true},    {"tsql_sub", 2, fnArith<'-'>, true},
        {"tsql_mul", 2, fnArith<'*'>, true},    {"tsql_div", 2, fnArith<'/'>, true},
        {"tsql_mul", 3, fnArith<'*'>, true},    {"tsql_div", 3, fnArith<'/'>, true},
        {"tsql_add", 3, fnArith<'+'>, true},    {"tsql_sub", 3, fnArith<'-'>, true},
        {"tsql_len", 1, fnLen, true},           {"tsql_substring", 3, fnSubstring, true},
        {"tsql_left", 2, fnLeft, true},         {"tsql_right", 2, fnRight, true},
        {"tsql_patindex", 2, fnPatindex, true}, {"tsql_charindex", 2, fnCharindex, true},
        {"tsql_charindex", 3, fnCharindex, true}, {"tsql_upper", 1, fnUpper, true},
        {"tsql_lower", 1, fnLower, true},       {"tsql_ltrim", 1, fnLtrim, true},
        {"tsql_rtrim", 1, fnRtrim, true},       {"tsql_replace", 3, fnReplace, true},
        {"tsql_replicate", 2, fnReplicate, true}, {"tsql_isnumeric", 1, fnIsnumeric, true},
        {"tsql_abs", 1, fnAbs, true},           {"tsql_round", 2, fnRound, true},
        {"tsql_like", 2, fnLike, true},         {"tsql_getdate", 0, fnGetdate, false},
        {"tsql_dateadd", 3, fnDateadd, true},   {"tsql_datediff", 3, fnDatediff, true},
        {"tsql_datepart", 2, fnDatepart, true}, {"tsql_datename", 2, fnDatename, true},
        {"tsql_ckint", 2, fnCheckInt, true},    {"tsql_mod", 2, fnMod, true},
        {"tsql_fit", 3, fnFit, true},           {"tsql_dectext", 2, fnDecText, true},
        {"tsql_round", 3, fnRound, true},       {"tsql_decform", 1, fnDecForm, true},       {"tsql_trancount", 0, fnTrancount, false},
        {"tsql_scope_identity", 0, fnIdentity<true>, false}, {"tsql_identity", 0, fnIdentity<false>, false},
    };
    for (const F& f : fs)
        sqlite3_create_function_v2(db, f.name, f.n, f.deterministic ? det : SQLITE_UTF8, host, f.f, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tsql_sum", 1, SQLITE_UTF8, host, nullptr, sumStep, sumFinal, nullptr);
    sqlite3_create_function_v2(db, "tsql_avg", 1, SQLITE_UTF8, host, nullptr, sumStep, avgFinal, nullptr);
    sqlite3_create_function_v2(db, "tsql_one", 1, SQLITE_UTF8, host, nullptr, oneStep, oneFinal, nullptr);
}

} // namespace sqlimpl
