// Internals of the embedded engine shared by the translator and the SQLite session.
//
// Storage on SQLite (what the translator emits and the functions expect):
// - text: TEXT in columns declared COLLATE TSQL (case-insensitive, trailing blanks ignored);
// - exact numbers (decimal, numeric, money): an 18-byte BLOB: tag 'D', the value times 10^8
//   as a big-endian 128-bit integer with its sign bit flipped, then the scale. Byte order
//   is numeric order, so comparisons, joins, MIN/MAX and DISTINCT stay exact and native;
//   SUM, AVG and arithmetic go through registered functions;
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
using i128 = __int128;
constexpr int kDecScale = 8;           // fixed internal scale
constexpr int kDecBlobSize = 18;
struct Dec {
    i128 v = 0;     // value * 10^8
    int scale = 0;  // display scale
};
i128 Pow10(int n);
QByteArray DecToBlob(const Dec& d);
bool IsDecBlob(const void* p, int n);
Dec DecFromBlob(const void* p);
bool DecFromText(const QString& s, Dec& d);          // "-12.345", "1e3" not accepted
QString DecToText(const Dec& d);                     // with d.scale places
Dec DecFromInt(int64_t v);
Dec DecFromDouble(double v);
double DecToDouble(const Dec& d);
i128 RoundToScale(i128 v, int scale);                 // half away from zero
bool DecFits(const Dec& d, int precision, int scale); // integer digits within precision-scale
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
