// Internals of the embedded engine shared by the translator and the SQLite session.
//
// Storage on SQLite (what the translator emits and the functions expect):
// - text: TEXT in columns declared COLLATE TSQL (case-insensitive, trailing blanks ignored);
// - exact numbers (decimal, numeric, money): a BLOB of the value alone (1.5 and 1.50 are
//   the same bytes): a tag by the size of the integer part (floor of the value), 'N' for one
//   that fits 64 bits, 'M' below and 'O' above those, then that integer big-endian with its
//   sign bit flipped (8 bytes for 'N', 16 for the others), then the fraction as base-100
//   digits, one a byte, without trailing zero bytes. Byte order is numeric order, so
//   comparisons, joins, MIN/MAX and DISTINCT stay exact and native; SUM, AVG and arithmetic
//   go through registered functions. Catalogs of earlier builds hold 18-byte blobs (tag 'D',
//   the value times 10^8 as a flipped 128-bit integer, a zero byte): they are read, and
//   rewritten into this form when the catalog is first opened;
// - date-times: TEXT "yyyy-mm-dd hh:mm:ss.zzz", so text order is time order;
// - integers and bits: INTEGER; float: REAL.
#pragma once

#include "SqlEngine.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SysUtils.h"

#include <QHash>
#include <optional>

namespace sqlimpl {

// ---- exact decimals ----
// A decimal(p, s) value with p <= 38: a coefficient of at most 38 digits and its places.
using i128 = __int128;
constexpr int kDecMaxDigits = 38;
struct Dec {
    i128 c = 0;     // value * 10^scale
    int scale = 0;  // places, 0..38
};
i128 Pow10(int n);                                   // n in 0..38
constexpr int kDecBlobMax = 36;                      // tag, 16 integer bytes, 19 fraction bytes
int DecToBytes(const Dec& d, char* out);             // the stored form into kDecBlobMax bytes; returns its length
QByteArray DecToBlob(const Dec& d);
bool IsDecBlob(const void* p, int n);
Dec DecFromBlob(const void* p, int n);               // the fewest places that show the value
bool DecFromText(const QString& s, Dec& d);          // "-12.345"; "1e3" not accepted; false past 38 integer digits
QString DecToText(const Dec& d);                     // with d.scale places
Dec DecFromInt(int64_t v);
Dec DecFromDouble(double v);
double DecToDouble(const Dec& d);
// The value with `scale` places, rounded half away from zero (or cut); false when that
// needs more than 38 digits.
bool DecRescale(const Dec& d, int scale, Dec& out, bool cut = false);
bool DecFits(const Dec& d, int precision, int scale); // integer digits within precision-scale
// Arithmetic giving `scale` places (sums and products rounded, quotients cut); false when
// the result needs more than 38 digits. The divisor of DecDiv and DecMod is not zero.
bool DecAdd(const Dec& a, const Dec& b, int scale, Dec& r);
bool DecMul(const Dec& a, const Dec& b, int scale, Dec& r);
bool DecDiv(const Dec& a, const Dec& b, int scale, Dec& r);
bool DecMod(const Dec& a, const Dec& b, Dec& r);     // places of the finer operand
TBcd DecToBcd(const Dec& d, int scale);              // the runtime's BCD with that many places
Dec BcdToDec(const TBcd& b);

// ---- date-times (days since 1899-12-30, as TDateTime) ----
using ::DaysFromCivil;   // the runtime's calendar
using ::CivilFromDays;
// A date-time split into its calendar parts; a value outside years 1..9999 (or not finite)
// raises ESqlError instead of wrapping into a garbage date.
struct DateParts { int y, m, d, h, mi, s, ms; };
DateParts SplitDate(double dt);
QString DateToCanon(double dt);                        // "yyyy-mm-dd hh:mm:ss.zzz"
bool CanonToDate(const QString& s, double& dt);
bool IsCanonDate(const QString& s);
bool CanonBytesToDate(const char* p, int n, double& dt);   // canonical UTF-8 text only
// Parses text as SQL Server does under DATEFORMAT ("dmy", "mdy", "ymd", ...): ISO forms
// always, otherwise day, month and year in the session's order.
bool ParseDateText(const QString& s, const QString& dateFormat, double& dt);

// ---- tokens ----
struct Token {
    enum Kind { End, Ident, QIdent, Str, Num, Var, Param, QMark, Op };
    Kind kind = End;
    QString text;      // identifiers without brackets; strings unquoted; ops as written
    bool nstr = false; // N'...'
    bool is(const char* kw) const;   // identifier equal to a keyword, no case
    bool op(const char* o) const { return kind == Op && text == QLatin1String(o); }
};
std::vector<Token> Tokenize(const QString& sql);   // raises ESqlError on an open quote

// ---- batches ----
struct Step {
    enum Kind { Stmt, Declare, SetVar, If, Block, Option, Begin, Commit, Rollback, Noop };
    Kind kind = Noop;
    int begin = 0, end = 0;          // token range: the statement, the SET expression or IF condition
    QString var;                     // Declare/SetVar
    TSqlTypeInfo type;               // Declare
    bool isTable = false;            // DECLARE @t TABLE (...): range holds "(...)"
    int initBegin = -1, initEnd = -1;  // DECLARE @x int = expr
    QString option, value;           // SET DATEFORMAT DMY
    std::vector<Step> thenSteps, elseSteps;
};
std::vector<Step> SplitBatch(const std::vector<Token>& toks);

// ---- translation ----
class SchemaProvider {
public:
    virtual ~SchemaProvider() = default;
    // Columns of a table in an SQLite schema ("main", "temp" or an attached catalog);
    // false when it does not exist.
    virtual bool TableColumns(const QString& schema, const QString& table, std::vector<TSqlColumn>& cols) = 0;
    // Schema name for a catalog of a three-part name (attaching its file when needed).
    virtual QString CatalogSchema(const QString& catalog) = 0;
    virtual bool VariableType(const QString& name, TSqlTypeInfo& t) = 0;
    virtual TSqlTypeInfo ParamType(const QString& name) = 0;
    // Whether an index of the table starts with the column under that collation.
    virtual bool HasIndexOn(const QString& schema, const QString& table, const QString& column, const QString& collation)
    {
        return false;
    }
};

// Between the statements of one translation that must run one after the other (each is
// prepared only when the one before it has run).
inline const QChar kStmtSeparator = QChar(0x0001);

struct ParamTarget {
    TSqlTypeInfo type;
    bool assign = false;
};

struct Translation {
    QString sql;
    QHash<QString, ParamTarget> paramTargets;   // ":name" -> conversion applied when binding
    bool returnsRows = false;
    std::vector<TSqlColumn> columns;
    std::vector<QString> assignVars;   // SELECT @a = ..., @b = ...: variable per column
    bool changesSchema = false;
    // An INSERT into a table with an identity column, or into one without: the session keeps
    // SCOPE_IDENTITY() and @@IDENTITY as the server does after each.
    enum InsertKind { NoInsert, IdentityInsert, PlainInsert } insertKind = NoInsert;
    // Work tables the statement reads (the right side of a FULL or RIGHT JOIN, copied so
    // that its join keys are indexed: SQLite builds no automatic index there). `setup`
    // creates them when the statement is compiled, `refresh` fills them before each run
    // with the statement's own parameters.
    QStringList setup, refresh;
};

// Translates one statement (token range) into SQLite text. Positional "?" are numbered
// from *qmark on and renamed ":__pN".
Translation Translate(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end, int* qmark);
// "SELECT CASE WHEN <cond> THEN 1 ELSE 0 END"
Translation TranslateCondition(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end, int* qmark);
// "SELECT <expr>" converted to the type t
Translation TranslateValue(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end,
                           const TSqlTypeInfo& t, int* qmark);
TSqlTypeInfo ParseTypeName(const QString& text);   // from a declared column type
QString QuoteId(const QString& s);

} // namespace sqlimpl
