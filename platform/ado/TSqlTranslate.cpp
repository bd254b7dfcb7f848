// T-SQL to SQLite: tokenizer, batch splitter and a translating parser that carries the
// SQL Server type of every expression, so that ISNULL, "+", comparisons and assignments
// convert as the server would (see SqlInternal.h for the storage forms).
#include "SqlInternal.h"
#include "platform/rtl/Guards.h"

#include <QRegularExpression>
#include <QSet>

namespace sqlimpl {

// ---------------------------------------------------------------- tokens

bool Token::is(const char* kw) const
{
    return kind == Ident && text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
}

static bool isIdStart(QChar c) { return c.isLetter() || c == u'_' || c == u'#'; }
static bool isIdChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'#' || c == u'$' || c == u'@'; }

std::vector<Token> Tokenize(const QString& s)
{
    std::vector<Token> out;
    const int n = s.size();
    int i = 0;
    auto push = [&](Token::Kind k, QString text, bool nstr = false) {
        Token t; t.kind = k; t.text = std::move(text); t.nstr = nstr; out.push_back(std::move(t));
    };
    while (i < n) {
        QChar c = s[i];
        if (c.isSpace()) { ++i; continue; }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n') ++i;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            int j = s.indexOf(QLatin1String("*/"), i + 2);
            if (j < 0) throw ESqlError(QStringLiteral("Missing end comment mark '*/'."));
            i = j + 2;
            continue;
        }
        if (c == u'\'' || ((c == u'N' || c == u'n') && i + 1 < n && s[i + 1] == u'\'')) {
            bool nstr = c != u'\'';
            i += nstr ? 2 : 1;
            QString v;
            for (;;) {
                if (i >= n) throw ESqlError(QStringLiteral("Unclosed quotation mark after the character string '%1'.").arg(v));
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') { v += u'\''; i += 2; continue; }
                    ++i;
                    break;
                }
                v += s[i++];
            }
            push(Token::Str, v, nstr);
            continue;
        }
        if (c == u'[' || c == u'"') {
            QChar close = c == u'[' ? u']' : u'"';
            ++i;
            QString v;
            for (;;) {
                if (i >= n) throw ESqlError(QStringLiteral("Unclosed quotation mark before the character string '%1'.").arg(v));
                if (s[i] == close) {
                    if (i + 1 < n && s[i + 1] == close) { v += close; i += 2; continue; }
                    ++i;
                    break;
                }
                v += s[i++];
            }
            push(Token::QIdent, v);
            continue;
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            while (j < n && s[j].isDigit()) ++j;
            if (j < n && s[j] == u'.') { ++j; while (j < n && s[j].isDigit()) ++j; }
            if (j < n && (s[j] == u'e' || s[j] == u'E') && j + 1 < n
                && (s[j + 1].isDigit() || ((s[j + 1] == u'+' || s[j + 1] == u'-') && j + 2 < n && s[j + 2].isDigit()))) {
                j += 2;
                while (j < n && s[j].isDigit()) ++j;
            }
            push(Token::Num, s.mid(i, j - i));
            i = j;
            continue;
        }
        if (c == u'@') {
            int j = i + 1;
            while (j < n && (isIdChar(s[j]))) ++j;
            QString v = s.mid(i, j - i);
            push(v.startsWith(QLatin1String("@@")) ? Token::Ident : Token::Var, v);
            i = j;
            continue;
        }
        if (c == u':' && i + 1 < n && (s[i + 1].isLetter() || s[i + 1] == u'_')) {
            int j = i + 1;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_')) ++j;
            push(Token::Param, s.mid(i + 1, j - i - 1));
            i = j;
            continue;
        }
        if (c == u'?') { push(Token::QMark, QStringLiteral("?")); ++i; continue; }
        if (isIdStart(c)) {
            int j = i + 1;
            while (j < n && isIdChar(s[j])) ++j;
            push(Token::Ident, s.mid(i, j - i));
            i = j;
            continue;
        }
        static const char* two[] = {"<>", "!=", "<=", ">=", "!<", "!>", "||", "+=", "-="};
        bool done = false;
        for (const char* t : two) {
            if (i + 1 < n && s[i] == QLatin1Char(t[0]) && s[i + 1] == QLatin1Char(t[1])) {
                push(Token::Op, QString::fromLatin1(t, 2));
                i += 2;
                done = true;
                break;
            }
        }
        if (done) continue;
        if (QStringLiteral("=<>+-*/%(),.;&|^~!").contains(c)) { push(Token::Op, QString(c)); ++i; continue; }
        throw ESqlError(QStringLiteral("Incorrect syntax near '%1'.").arg(c));
    }
    return out;
}

QString QuoteId(const QString& s)
{
    QString r = s;
    r.replace(u'"', QLatin1String("\"\""));
    return u'"' + r + u'"';
}

static QString quoteStr(const QString& s)
{
    QString r = s;
    r.replace(u'\'', QLatin1String("''"));
    return u'\'' + r + u'\'';
}

// ---------------------------------------------------------------- types

TSqlTypeInfo ParseTypeName(const QString& text)
{
    TSqlTypeInfo t;
    QString s = text.trimmed().toLower();
    int paren = s.indexOf(u'(');
    QString base = (paren < 0 ? s : s.left(paren)).trimmed();
    int a = 0, b = 0;
    bool hasA = false;
    if (paren >= 0) {
        QString args = s.mid(paren + 1);
        args = args.left(args.indexOf(u')'));
        QStringList parts = args.split(u',');
        if (parts.value(0).trimmed() == QLatin1String("max")) a = 0;
        else a = parts.value(0).trimmed().toInt(&hasA);
        if (parts.size() > 1) b = parts[1].trimmed().toInt();
    }
    using T = TSqlDataType;
    if (base == QLatin1String("bit")) t.Type = T::Bit;
    else if (base == QLatin1String("tinyint")) t.Type = T::TinyInt;
    else if (base == QLatin1String("smallint")) t.Type = T::SmallInt;
    else if (base == QLatin1String("int") || base == QLatin1String("integer")) t.Type = T::Int;
    else if (base == QLatin1String("bigint")) t.Type = T::BigInt;
    else if (base == QLatin1String("decimal") || base == QLatin1String("numeric")) {
        t.Type = T::Decimal; t.Precision = hasA ? a : 18; t.Scale = b;
    } else if (base == QLatin1String("money")) { t.Type = T::Money; t.Precision = 19; t.Scale = 4; }
    else if (base == QLatin1String("smallmoney")) { t.Type = T::Money; t.Precision = 10; t.Scale = 4; }
    else if (base == QLatin1String("float") || base == QLatin1String("real") || base == QLatin1String("double")) t.Type = T::Float;
    else if (base == QLatin1String("char")) { t.Type = T::Char; t.Size = paren < 0 ? 1 : a; }
    else if (base == QLatin1String("varchar") || base == QLatin1String("text")) { t.Type = T::VarChar; t.Size = paren < 0 ? (base == QLatin1String("text") ? 0 : 1) : a; }
    else if (base == QLatin1String("nchar")) { t.Type = T::NChar; t.Size = paren < 0 ? 1 : a; }
    else if (base == QLatin1String("nvarchar") || base == QLatin1String("ntext") || base == QLatin1String("sysname")) { t.Type = T::NVarChar; t.Size = paren < 0 ? (base == QLatin1String("nvarchar") ? 1 : 0) : a; }
    else if (base == QLatin1String("datetime") || base == QLatin1String("datetime2")) t.Type = T::DateTime;
    else if (base == QLatin1String("smalldatetime")) t.Type = T::SmallDateTime;
    else if (base == QLatin1String("date")) t.Type = T::Date;
    else if (base == QLatin1String("varbinary") || base == QLatin1String("binary") || base == QLatin1String("image") || base == QLatin1String("blob")) { t.Type = T::Binary; t.Size = a; }
    return t;
}

// ---------------------------------------------------------------- batches

static bool isStmtStart(const Token& t)
{
    static const char* kws[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "CREATE", "DROP", "DECLARE", "SET", "IF",
                                "ELSE", "BEGIN", "END", "TRUNCATE", "PRINT", "GO", "COMMIT", "ROLLBACK", "WHILE",
                                "RETURN", "EXEC", "EXECUTE", "ALTER"};
    if (t.kind != Token::Ident) return false;
    for (const char* k : kws) if (t.is(k)) return true;
    return false;
}

static int findEnd(const std::vector<Token>& toks, int i, int end)
{
    // i is the statement's first token
    const Token& first = toks[i];
    bool insert = first.is("INSERT");
    bool update = first.is("UPDATE");
    bool seenSource = false;
    int depth = 0, cases = 0;
    for (int j = i + 1; j < end; ++j) {
        const Token& t = toks[j];
        if (t.op("(")) { ++depth; continue; }
        if (t.op(")")) { --depth; continue; }
        if (t.is("CASE")) { ++cases; continue; }
        if (cases > 0 && t.is("END")) { --cases; continue; }
        if (depth > 0 || cases > 0) continue;
        if (t.op(";")) return j;
        if (t.is("VALUES")) seenSource = true;
        if (!isStmtStart(t)) continue;
        const Token& prev = toks[j - 1];
        if (t.is("SELECT")) {
            if (insert && !seenSource) { seenSource = true; continue; }
            if (prev.is("UNION") || prev.is("ALL") || prev.is("EXCEPT") || prev.is("INTERSECT")) continue;
        }
        if (t.is("SET") && update) { update = false; continue; }
        if (t.is("IF") && prev.is("TABLE") && first.is("DROP")) continue;   // DROP TABLE IF EXISTS
        return j;
    }
    return end;
}

static int findCondEnd(const std::vector<Token>& toks, int i, int end)
{
    int depth = 0, cases = 0;
    for (int j = i; j < end; ++j) {
        const Token& t = toks[j];
        if (t.op("(")) { ++depth; continue; }
        if (t.op(")")) { --depth; continue; }
        if (t.is("CASE")) { ++cases; continue; }
        if (cases > 0 && t.is("END")) { --cases; continue; }
        if (depth == 0 && cases == 0 && isStmtStart(t)) return j;
    }
    return end;
}

static int matchParen(const std::vector<Token>& toks, int i, int end)
{
    int depth = 0;
    for (int j = i; j < end; ++j) {
        if (toks[j].op("(")) ++depth;
        else if (toks[j].op(")") && --depth == 0) return j;
    }
    throw ESqlError(QStringLiteral("Incorrect syntax: missing ')'."));
}

static TSqlTypeInfo typeAt(const std::vector<Token>& toks, int& i, int end)
{
    if (i >= end) throw ESqlError(QStringLiteral("Incorrect syntax: a type is expected."));
    QString text = toks[i].text;
    ++i;
    if (i < end && toks[i].op("(")) {
        int j = matchParen(toks, i, end);
        text += u'(';
        for (int k = i + 1; k < j; ++k) text += toks[k].text;
        text += u')';
        i = j + 1;
    }
    TSqlTypeInfo t = ParseTypeName(text);
    if (t.Type == TSqlDataType::Unknown)
        throw ESqlError(QStringLiteral("Column, parameter, or variable: cannot find data type %1.").arg(text));
    if (t.Type == TSqlDataType::Decimal && (t.Precision > 38 || t.Scale > t.Precision))
        throw ESqlError(QStringLiteral("The scale must be less than or equal to the precision, and the precision at most 38: %1.").arg(text));
    return t;
}

static Step parseStep(const std::vector<Token>& toks, int& i, int end);

static std::vector<Step> parseSteps(const std::vector<Token>& toks, int& i, int end, bool untilEnd)
{
    std::vector<Step> steps;
    while (i < end) {
        if (toks[i].op(";")) { ++i; continue; }
        if (untilEnd && toks[i].is("END")) { ++i; return steps; }
        steps.push_back(parseStep(toks, i, end));
    }
    if (untilEnd) throw ESqlError(QStringLiteral("Incorrect syntax: BEGIN without END."));
    return steps;
}

static Step parseStep(const std::vector<Token>& toks, int& i, int end)
{
    Step s;
    const Token& t = toks[i];
    auto skipTranName = [&] {
        if (i < end && (toks[i].is("TRAN") || toks[i].is("TRANSACTION"))) {
            ++i;
            if (i < end && toks[i].kind == Token::Ident && !isStmtStart(toks[i])) ++i;
        }
    };
    if (t.is("GO")) { ++i; return s; }
    if (t.is("BEGIN")) {
        ++i;
        if (i < end && (toks[i].is("TRAN") || toks[i].is("TRANSACTION"))) {
            --i; ++i; skipTranName();
            s.kind = Step::Begin;
            return s;
        }
        s.kind = Step::Block;
        s.thenSteps = parseSteps(toks, i, end, true);
        return s;
    }
    if (t.is("COMMIT") || t.is("ROLLBACK")) {
        s.kind = t.is("COMMIT") ? Step::Commit : Step::Rollback;
        ++i;
        skipTranName();
        return s;
    }
    if (t.is("IF")) {
        ++i;
        s.kind = Step::If;
        s.begin = i;
        s.end = findCondEnd(toks, i, end);
        if (s.end == s.begin || s.end >= end) throw ESqlError(QStringLiteral("Incorrect syntax near 'IF'."));
        i = s.end;
        s.thenSteps.push_back(parseStep(toks, i, end));
        while (i < end && toks[i].op(";")) ++i;
        if (i < end && toks[i].is("ELSE")) {
            ++i;
            s.elseSteps.push_back(parseStep(toks, i, end));
        }
        return s;
    }
    if (t.is("DECLARE")) {
        ++i;
        s.kind = Step::Block;
        for (;;) {
            if (i >= end || toks[i].kind != Token::Var) throw ESqlError(QStringLiteral("Incorrect syntax near 'DECLARE'."));
            Step d;
            d.kind = Step::Declare;
            d.var = toks[i].text;
            ++i;
            if (i < end && toks[i].is("AS")) ++i;
            if (i < end && toks[i].is("TABLE")) {
                ++i;
                d.isTable = true;
                d.begin = i;
                d.end = matchParen(toks, i, end) + 1;
                i = d.end;
            } else {
                d.type = typeAt(toks, i, end);
                if (i < end && toks[i].op("=")) {
                    ++i;
                    d.initBegin = i;
                    int depth = 0, j = i;
                    for (; j < end; ++j) {
                        if (toks[j].op("(")) ++depth;
                        else if (toks[j].op(")")) --depth;
                        else if (depth == 0 && (toks[j].op(",") || toks[j].op(";") || isStmtStart(toks[j]))) break;
                    }
                    d.initEnd = j;
                    i = j;
                }
            }
            s.thenSteps.push_back(d);
            if (i < end && toks[i].op(",")) { ++i; continue; }
            break;
        }
        return s;
    }
    if (t.is("SET")) {
        ++i;
        if (i < end && toks[i].kind == Token::Var) {
            s.kind = Step::SetVar;
            s.var = toks[i].text;
            ++i;
            if (i >= end || !toks[i].op("=")) throw ESqlError(QStringLiteral("Incorrect syntax near '%1'.").arg(s.var));
            ++i;
            s.begin = i;
            s.end = findCondEnd(toks, i, end);
            // a SET expression ends at the next statement; ';' too
            for (int j = s.begin, depth = 0; j < s.end; ++j) {
                if (toks[j].op("(")) ++depth;
                else if (toks[j].op(")")) --depth;
                else if (depth == 0 && toks[j].op(";")) { s.end = j; break; }
            }
            i = s.end;
            return s;
        }
        s.kind = Step::Option;
        if (i < end) { s.option = toks[i].text.toUpper(); ++i; }
        while (i < end && !toks[i].op(";") && !isStmtStart(toks[i])) {
            s.value += (s.value.isEmpty() ? QString() : QStringLiteral(" ")) + toks[i].text.toUpper();
            ++i;
        }
        return s;
    }
    if (t.is("PRINT")) {
        ++i;
        while (i < end && !toks[i].op(";") && !isStmtStart(toks[i])) ++i;
        return s;
    }
    s.kind = Step::Stmt;
    s.begin = i;
    s.end = findEnd(toks, i, end);
    i = s.end;
    return s;
}

std::vector<Step> SplitBatch(const std::vector<Token>& toks)
{
    int i = 0;
    return parseSteps(toks, i, int(toks.size()), false);
}

// ---------------------------------------------------------------- translator

namespace {

using T = TSqlDataType;
using Ty = TSqlTypeInfo;

struct Ex {
    QString s;
    Ty t;
    bool nullLit = false;
    bool strLit = false;
    bool numLit = false;
    QString name;   // column name when the expression is a column reference
    bool isColumn = false;
    QString param;  // the parameter's SQLite name when the expression is one bare parameter
    TSqlColumn base; // the source column of a column reference
    // ISNULL(column, literal): the column and the literal as converted, so that an
    // equality on it can be put in a form an index on the column serves
    QString nullCol, nullDflt;
};

struct Obj {
    QString schema;   // "" (search order), "main", "temp" or an attached catalog
    QString name;
    QString sql() const { return schema.isEmpty() ? QuoteId(name) : QuoteId(schema) + u'.' + QuoteId(name); }
};

struct Source {
    QString alias;
    std::vector<TSqlColumn> cols;
    std::optional<Obj> table;   // a table, not a derived one
};

struct Scope {
    std::vector<Source> src;
    Scope* parent = nullptr;
};

struct SelOut {
    QString sql;
    std::vector<TSqlColumn> cols;
    std::vector<QString> assignVars;
    std::optional<Obj> into;   // SELECT ... INTO table
    bool oneRow = false;       // at most one row: an aggregate without GROUP BY, or TOP 1
};

int rank(const Ty& t)
{
    switch (t.Type) {
    case T::DateTime: return 20;
    case T::SmallDateTime: return 19;
    case T::Date: return 18;
    case T::Float: return 17;
    case T::Decimal: return 16;
    case T::Money: return 15;
    case T::BigInt: return 14;
    case T::Int: return 13;
    case T::SmallInt: return 12;
    case T::TinyInt: return 11;
    case T::Bit: return 10;
    case T::NVarChar: return 9;
    case T::NChar: return 8;
    case T::VarChar: return 7;
    case T::Char: return 6;
    case T::Binary: return 5;
    default: return 0;
    }
}

Ty merge(const Ty& a, const Ty& b)
{
    if (a.Type == T::Unknown) return b;
    if (b.Type == T::Unknown) return a;
    Ty r = rank(a) >= rank(b) ? a : b;
    if (r.IsExact() && (a.IsExact() || b.IsExact())) {
        int sa = a.IsExact() ? a.Scale : 0, sb = b.IsExact() ? b.Scale : 0;
        r.Scale = std::max(sa, sb);
        r.Precision = std::max({a.Precision, b.Precision, r.Precision});
    }
    if (r.IsText()) r.Size = (a.IsText() && b.IsText()) ? std::max(a.Size, b.Size) : r.Size;
    return r;
}

class Tr {
public:
    Tr(SchemaProvider& sp, const std::vector<Token>& t, int b, int e, int* qm) : sp(sp), t(t), p(b), e(e), qm(qm)
    {
        QHash<QString, int> uses;
        for (int i = b; i < e; ++i)
            if (t[i].kind == Token::Param && ++uses[t[i].text.toLower()] == 2) repeatedParams.insert(t[i].text.toLower());
    }

    SchemaProvider& sp;
    const std::vector<Token>& t;
    int p, e;
    int* qm;
    Scope* scope = nullptr;
    bool schemaChange = false;
    Token endTok;

    const Token& cur() const { return p < e ? t[p] : endTok; }
    const Token& at(int k) const { return p + k < e ? t[p + k] : endTok; }
    bool atEnd() const { return p >= e; }
    // what the embedded engine does not run, named rather than misread
    [[noreturn]] static void refuse(const QString& construct)
    {
        throw ESqlError(QStringLiteral("construct %1 is not supported by the embedded engine").arg(construct));
    }
    [[noreturn]] void fail() const
    {
        if (atEnd()) throw ESqlError(QStringLiteral("Incorrect syntax near the end of the statement."));
        throw ESqlError(QStringLiteral("Incorrect syntax near '%1'.").arg(cur().text));
    }
    bool kw(const char* k) { if (cur().is(k)) { ++p; return true; } return false; }
    void expectKw(const char* k) { if (!kw(k)) fail(); }
    bool op(const char* o) { if (cur().op(o)) { ++p; return true; } return false; }
    void expectOp(const char* o) { if (!op(o)) fail(); }

    QString ident()
    {
        const Token& k = cur();
        if (k.kind == Token::Ident || k.kind == Token::QIdent || k.kind == Token::Var) { ++p; return k.text; }
        fail();
    }

    static bool reserved(const Token& k)
    {
        static const char* r[] = {"ON", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "OUTER", "APPLY", "PIVOT", "UNPIVOT", "WHERE", "GROUP",
                                  "HAVING", "ORDER", "UNION", "EXCEPT", "INTERSECT", "SET", "VALUES", "SELECT", "AND",
                                  "OR", "FROM", "AS", "WITH", "INTO", "NOT", "IS", "IN", "LIKE", "BETWEEN", "THEN",
                                  "ELSE", "END", "WHEN", "ASC", "DESC", "BY", "ALL", "DISTINCT", "TOP"};
        if (k.kind != Token::Ident) return false;
        for (const char* w : r) if (k.is(w)) return true;
        return false;
    }

    // ---- names

    Obj object()
    {
        QStringList parts;
        parts << ident();
        while (cur().op(".")) {
            ++p;
            if (cur().op(".")) { parts << QString(); continue; }
            parts << ident();
        }
        Obj o;
        o.name = parts.last();
        if (o.name.startsWith(u'#') || o.name.startsWith(u'@')) o.schema = QStringLiteral("temp");
        else if (parts.size() >= 3) {
            QString cat = parts[parts.size() - 3];
            if (cat.compare(QLatin1String("tempdb"), Qt::CaseInsensitive) == 0) o.schema = QStringLiteral("temp");
            else o.schema = sp.CatalogSchema(cat);
        }
        return o;
    }

    std::vector<TSqlColumn> columnsOf(const Obj& o, bool mustExist)
    {
        std::vector<TSqlColumn> cols;
        bool ok;
        if (o.schema.isEmpty()) {
            ok = sp.TableColumns(QStringLiteral("temp"), o.name, cols);
            if (!ok) ok = sp.TableColumns(QStringLiteral("main"), o.name, cols);
        } else ok = sp.TableColumns(o.schema, o.name, cols);
        if (!ok && mustExist) throw ESqlError(QStringLiteral("Invalid object name '%1'.").arg(o.name));
        return cols;
    }

    // ---- conversions

    static QString convSql(const QString& s, const Ty& t, bool assign)
    {
        return QStringLiteral("tsql_conv(%1,%2,%3,%4,%5,%6)")
            .arg(s).arg(int(t.Type)).arg(t.Size).arg(t.Precision).arg(t.Scale).arg(assign ? 1 : 0);
    }

    static bool sameStorage(const Ty& from, const Ty& to, bool assign)
    {
        if (from.Type != to.Type) return false;
        if (to.IsText()) return !assign || to.Size == 0 || (from.Size > 0 && from.Size <= to.Size);
        if (to.IsExact()) return from.Scale == to.Scale && from.Precision <= to.Precision;
        return true;
    }

    Ex conv(const Ex& x, const Ty& to, bool assign = false)
    {
        if (to.Type == T::Unknown) return x;
        Ex r;
        r.t = to;
        if (x.nullLit) { r.s = QStringLiteral("NULL"); r.nullLit = true; return r; }
        if (sameStorage(x.t, to, assign)) { r = x; r.t = to; r.strLit = r.numLit = false; return r; }
        if (!x.param.isEmpty() && !paramTargets.contains(x.param)) {
            // a parameter used once is converted when it is bound, not by SQL
            paramTargets.insert(x.param, {to, assign});
            r.s = x.s;
            return r;
        }
        r.s = convSql(x.s, to, assign);
        return r;
    }
    QHash<QString, ParamTarget> paramTargets;
    QSet<QString> repeatedParams;

    // The ON of a FULL or RIGHT JOIN being read: equalities over the right side alone are
    // its join keys; an expression key becomes a column that the work table computes.
    struct JoinKeys {
        QString alias;
        QStringList lifted;                // "expr AS name"
        std::vector<std::pair<QString, bool>> keys;   // column, text
    };
    JoinKeys* joinKeys = nullptr;
    QStringList setup, refresh;
    int exprSubquery = 0;   // inside a subquery of an expression, which may read the outer row

    // ---- expressions

    Ex expr() { return orExpr(); }

    Ex orExpr()
    {
        Ex a = andExpr();
        while (kw("OR")) { Ex b = andExpr(); a.s = u'(' + a.s + QStringLiteral(" OR ") + b.s + u')'; a.t = {T::Bit}; }
        return a;
    }
    Ex andExpr()
    {
        Ex a = notExpr();
        while (kw("AND")) { Ex b = notExpr(); a.s = u'(' + a.s + QStringLiteral(" AND ") + b.s + u')'; a.t = {T::Bit}; }
        return a;
    }
    Ex notExpr()
    {
        if (kw("NOT")) { Ex a = notExpr(); a.s = QStringLiteral("(NOT ") + a.s + u')'; return a; }
        return pred();
    }

    static bool nonText(const Ty& t) { return t.IsNumeric(); }

    void coerce(Ex& a, Ex& b)
    {
        if (a.nullLit || b.nullLit) return;
        auto one = [&](Ex& x, Ex& y) {
            if (x.t.IsDate() && !y.t.IsDate()) { y = conv(y, x.t); return true; }
            if (x.t.IsExact() && (y.numLit || y.strLit || y.t.IsInteger() || y.t.Type == T::Float || y.t.Type == T::Unknown)) {
                Ty to = x.t;
                if (y.t.IsExact()) to.Scale = std::max(to.Scale, y.t.Scale);
                to.Precision = 38;
                y = conv(y, to);
                return true;
            }
            if (x.t.IsExact() && y.t.IsExact()) return true;   // both blobs already
            if (x.t.IsNumeric() && y.strLit) { y = conv(y, x.t); return true; }
            return false;
        };
        if (!one(a, b)) one(b, a);
    }

    QString collate(const Ex& a, const Ex& b) const
    {
        return (nonText(a.t) || nonText(b.t)) ? QString() : QStringLiteral(" COLLATE TSQL");
    }

    Ex pred()
    {
        if (cur().is("EXISTS")) {
            ++p;
            expectOp("(");
            ++exprSubquery;
            SelOut s = select(nullptr, false);
            --exprSubquery;
            expectOp(")");
            Ex r; r.s = QStringLiteral("EXISTS (") + s.sql + u')'; r.t = {T::Bit};
            return r;
        }
        Ex a = addExpr();
        static const char* cmps[] = {"=", "<>", "!=", "<=", ">=", "<", ">", "!<", "!>"};
        for (const char* c : cmps) {
            if (cur().op(c)) {
                ++p;
                Ex b = addExpr();
                coerce(a, b);
                QString o = QString::fromLatin1(c);
                if (o == QLatin1String("!<")) o = QStringLiteral(">=");
                if (o == QLatin1String("!>")) o = QStringLiteral("<=");
                if (joinKeys && o == QLatin1String("=")) { joinKey(a); joinKey(b); }
                Ex r; r.t = {T::Bit};
                if (!joinKeys && o == QLatin1String("=")) {
                    // ISNULL(col, k) = y scans the table; the same truth values, NULL
                    // included, in a form that an index on col can serve:
                    // (col IS NOT NULL AND col = y) OR (col IS NULL AND k = y)
                    // only while the side is still that very ISNULL, not an expression
                    // built on it or a conversion of it
                    auto bare = [](const Ex& x) {
                        return !x.nullCol.isEmpty() && x.s == QStringLiteral("ifnull(%1, %2)").arg(x.nullCol, x.nullDflt);
                    };
                    const Ex* n = bare(a) ? &a : bare(b) ? &b : nullptr;
                    if (n) {
                        const Ex& y = n == &a ? b : a;
                        const QString coll = collate(a, b);
                        r.s = QStringLiteral("((%1 IS NOT NULL AND %1 = %2%3) OR (%1 IS NULL AND %4 = %2%3))")
                                  .arg(n->nullCol, y.s, coll, n->nullDflt);
                        return r;
                    }
                }
                r.s = u'(' + a.s + u' ' + o + u' ' + b.s + collate(a, b) + u')';
                return r;
            }
        }
        if (kw("IS")) {
            bool neg = kw("NOT");
            expectKw("NULL");
            Ex r; r.s = u'(' + a.s + (neg ? QStringLiteral(" IS NOT NULL)") : QStringLiteral(" IS NULL)")); r.t = {T::Bit};
            return r;
        }
        bool neg = kw("NOT");
        if (kw("BETWEEN")) {
            Ex lo = addExpr();
            expectKw("AND");
            Ex hi = addExpr();
            Ex a2 = a;
            coerce(a, lo);
            coerce(a2, hi);
            Ex r;
            r.s = u'(' + a.s + (neg ? QStringLiteral(" NOT") : QString()) + QStringLiteral(" BETWEEN ") + lo.s + collate(a, lo)
                  + QStringLiteral(" AND ") + hi.s + collate(a, hi) + u')';
            r.t = {T::Bit};
            return r;
        }
        if (kw("IN")) {
            expectOp("(");
            QString list;
            bool text = !nonText(a.t);
            if (cur().is("SELECT")) {
                ++exprSubquery;
                SelOut s = select(nullptr, false);
                --exprSubquery;
                list = s.sql;
                if (!s.cols.empty() && nonText(s.cols[0].TypeInfo())) text = false;
            } else {
                for (;;) {
                    Ex v = addExpr();
                    Ex aa = a;
                    coerce(aa, v);
                    if (nonText(v.t)) text = false;
                    list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + v.s;
                    if (!op(",")) break;
                }
            }
            expectOp(")");
            Ex r;
            r.s = u'(' + a.s + (text ? QStringLiteral(" COLLATE TSQL") : QString()) + (neg ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) + list + QStringLiteral("))");
            r.t = {T::Bit};
            return r;
        }
        if (kw("LIKE")) {
            Ex pat = addExpr();
            Ex r;
            r.s = QStringLiteral("(%1tsql_like(%2, %3))").arg(neg ? QStringLiteral("NOT ") : QString(), pat.s, a.s);
            r.t = {T::Bit};
            return r;
        }
        if (neg) fail();
        return a;
    }

    Ex arith(const QString& o, const Ex& a, const Ex& b)
    {
        Ex r;
        if (o == QLatin1String("+") && a.t.IsText() && b.t.IsText()) {
            r.s = u'(' + a.s + QStringLiteral(" || ") + b.s + u')';
            r.t = merge(a.t, b.t);
            r.t.Type = (a.t.Type == T::NVarChar || a.t.Type == T::NChar || b.t.Type == T::NVarChar || b.t.Type == T::NChar) ? T::NVarChar : T::VarChar;
            r.t.Size = (a.t.Size && b.t.Size) ? std::min(8000, a.t.Size + b.t.Size) : 0;
            return r;
        }
        if (o == QLatin1String("%")) {
            r.s = QStringLiteral("tsql_mod(%1, %2)").arg(a.s, b.s);
            r.t = merge(a.t, b.t);
            return checkedInt(r);
        }
        if ((o == QLatin1String("+") || o == QLatin1String("-")) && a.t.IsDate() && (b.t.IsNumeric() || b.nullLit)) {
            // datetime plus or minus a number of days
            r.s = QStringLiteral("tsql_dateadd('millisecond', tsql_mul(%1, %2), %3)").arg(o == QLatin1String("-") ? QStringLiteral("-86400000") : QStringLiteral("86400000"), b.s, a.s);
            r.t = a.t;
            return r;
        }
        if (o == QLatin1String("+") && b.t.IsDate() && (a.t.IsNumeric() || a.nullLit)) return arith(o, b, a);
        if ((a.t.IsDate() || b.t.IsDate()) && !a.t.IsText() && !b.t.IsText())
            throw ESqlError(QStringLiteral("construct '%1' between dates is not supported by the embedded engine").arg(o));
        bool native = (a.t.IsInteger() || a.t.Type == T::Float) && (b.t.IsInteger() || b.t.Type == T::Float);
        if (native && o != QLatin1String("/")) {
            r.s = u'(' + a.s + u' ' + o + u' ' + b.s + u')';
            r.t = merge(a.t, b.t);
            if (r.t.Type == T::Bit || r.t.Type == T::TinyInt || r.t.Type == T::SmallInt) r.t = {T::Int};
            return checkedInt(r);
        }
        if (native) {   // integer division
            r.s = QStringLiteral("tsql_div(%1, %2)").arg(a.s, b.s);
            r.t = merge(a.t, b.t);
            if (r.t.Type == T::Bit || r.t.Type == T::TinyInt || r.t.Type == T::SmallInt) r.t = {T::Int};
            return checkedInt(r);
        }
        const char* fn = o == QLatin1String("+") ? "tsql_add" : o == QLatin1String("-") ? "tsql_sub" : o == QLatin1String("*") ? "tsql_mul" : "tsql_div";
        r.s = QStringLiteral("%1(%2, %3)").arg(QLatin1String(fn), a.s, b.s);
        if (o == QLatin1String("+") && (a.t.IsText() || b.t.IsText()) && (a.t.Type == T::Unknown || b.t.Type == T::Unknown))
            r.t = a.t.IsText() ? a.t : b.t;   // text + unknown: concatenation when the other is text at run time
        else if (a.t.IsText() && b.t.IsText()) r.t = {T::VarChar};
        else {
            Ty at = a.t.IsText() ? Ty{} : a.t, bt = b.t.IsText() ? Ty{} : b.t;
            r.t = merge(at, bt);
            if (r.t.IsExact()) {
                // sums and products are rounded and quotients cut to the result's places
                r.t = exactResult(o, a, b);
                r.s = QStringLiteral("%1(%2, %3, %4)").arg(QLatin1String(fn), a.s, b.s).arg(r.t.Scale);
            }
        }
        return r;
    }

    // Precision and scale of an exact result as the server computes them: integers count as
    // decimal(10, 0) (literals by their digits), money with money or an integer stays money.
    static Ty exactResult(const QString& o, const Ex& a, const Ex& b)
    {
        auto ps = [](const Ex& x, int& p, int& s) {
            s = 0;
            switch (x.t.Type) {
            case T::Decimal: p = x.t.Precision ? x.t.Precision : 18; s = x.t.Scale; break;
            case T::Money: p = 19; s = 4; break;
            case T::Bit: case T::TinyInt: p = 3; break;
            case T::SmallInt: p = 5; break;
            case T::BigInt: p = 19; break;
            default: p = 10; break;
            }
            if (x.numLit && x.t.IsInteger()) p = std::max(1, int(x.s.size()) - (x.s.startsWith(u'-') ? 1 : 0));
        };
        const bool moneyA = a.t.Type == T::Money, moneyB = b.t.Type == T::Money;
        if ((moneyA || moneyB) && (moneyA || a.t.IsInteger()) && (moneyB || b.t.IsInteger())) return {T::Money, 0, 19, 4};
        int p1, s1, p2, s2;
        ps(a, p1, s1);
        ps(b, p2, s2);
        int p, s, minScale;
        if (o == QLatin1String("*")) { p = p1 + p2 + 1; s = s1 + s2; minScale = std::min(s, 6); }
        else if (o == QLatin1String("/")) { s = std::max(6, s1 + p2 + 1); p = p1 - s1 + s2 + s; minScale = 6; }
        else { s = std::max(s1, s2); p = s + std::max(p1 - s1, p2 - s2) + 1; minScale = std::min(s, 6); }
        if (p > 38) {   // the integer digits are kept, the places give way
            s = std::max(minScale, 38 - (p - s));
            p = 38;
        }
        return {T::Decimal, 0, p, s};
    }

    // An exact number converted to text shows the places of its type (money: two), which
    // the stored value does not keep.
    static Ex exactAsText(const Ex& x, const Ty& to)
    {
        if (!to.IsText() || !x.t.IsExact() || x.nullLit) return x;
        Ex r = x;
        r.s = QStringLiteral("tsql_dectext(%1, %2)").arg(x.s).arg(x.t.Type == T::Money ? 2 : x.t.Scale);
        r.t = {T::VarChar, 0};
        r.param.clear();
        return r;
    }

    // text compared by DISTINCT, MIN or MAX: computed text has no collation of its own
    static QString textCollated(const Ex& x)
    {
        return !x.isColumn && x.t.IsText() ? x.s + QStringLiteral(" COLLATE TSQL") : x.s;
    }

    // an int or bigint result raises the server's overflow error outside its range
    static Ex checkedInt(Ex r)
    {
        if (r.t.Type == T::Int || r.t.Type == T::BigInt)
            r.s = QStringLiteral("tsql_ckint(%1, %2)").arg(r.s, r.t.Type == T::BigInt ? QStringLiteral("1") : QStringLiteral("0"));
        return r;
    }

    Ex addExpr()
    {
        Ex a = mulExpr();
        for (;;) {
            if (cur().op("+") || cur().op("-") || cur().op("&") || cur().op("|") || cur().op("^")) {
                QString o = cur().text;
                ++p;
                Ex b = mulExpr();
                if (o == QLatin1String("&") || o == QLatin1String("|") || o == QLatin1String("^")) {
                    QString so = o == QLatin1String("^") ? QStringLiteral("((%1 | %2) - (%1 & %2))") : QStringLiteral("(%1 ") + o + QStringLiteral(" %2)");
                    a.s = so.arg(a.s, b.s);
                    a.t = merge(a.t, b.t);
                    a.isColumn = false;
                    continue;
                }
                a = arith(o, a, b);
                continue;
            }
            return a;
        }
    }

    Ex mulExpr()
    {
        Ex a = unary();
        while (cur().op("*") || cur().op("/") || cur().op("%")) {
            QString o = cur().text;
            ++p;
            Ex b = unary();
            a = arith(o, a, b);
        }
        return a;
    }

    Ex number(const QString& text, bool negative)
    {
        Ex r;
        r.numLit = true;
        QString s = negative ? u'-' + text : text;
        if (text.contains(u'e', Qt::CaseInsensitive)) { r.s = s; r.t = {T::Float}; return r; }
        // a literal with a point, or an integer past bigint, is numeric(p, s) by its digits
        auto exactLiteral = [&](int scale) {
            const int dot = text.contains(u'.') ? int(text.indexOf(u'.')) : int(text.size());
            int zeros = 0;
            for (QChar c : text.left(dot)) if (c != u'0') break; else ++zeros;   // leading zeros do not count
            const int precision = std::max(std::max(1, scale), dot - zeros + scale);
            Dec d;
            if (precision > kDecMaxDigits || !DecFromText(s, d))
                throw ESqlError(QStringLiteral("The number '%1' is out of the range for numeric representation (maximum precision 38).").arg(text), 1007);
            r.s = QStringLiteral("X'") + QString::fromLatin1(DecToBlob(d).toHex()) + u'\'';
            r.t = {T::Decimal, 0, precision, scale};
            return r;
        };
        if (text.contains(u'.')) return exactLiteral(int(text.size() - text.indexOf(u'.') - 1));
        bool ok;
        qlonglong v = s.toLongLong(&ok);
        if (!ok) return exactLiteral(0);
        r.s = QString::number(v);
        r.t = {(v > INT32_MAX || v < INT32_MIN) ? T::BigInt : T::Int};
        return r;
    }

    Ex unary()
    {
        if (cur().op("-")) {
            ++p;
            if (cur().kind == Token::Num) { QString n = cur().text; ++p; return number(n, true); }
            Ex a = unary();
            Ex r;
            if (a.t.IsInteger() || a.t.Type == T::Float) {
                r.s = QStringLiteral("(-") + a.s + u')';
                r.t = a.t;
                if (r.t.Type == T::Bit || r.t.Type == T::TinyInt || r.t.Type == T::SmallInt) r.t = {T::Int};
                r = checkedInt(r);
            }
            else { r.s = QStringLiteral("tsql_sub(0, ") + a.s + u')'; r.t = a.t; }
            return r;
        }
        if (cur().op("+")) { ++p; return unary(); }
        if (cur().op("~")) { ++p; Ex a = unary(); a.s = QStringLiteral("(~") + a.s + u')'; return a; }
        return primary();
    }

    Ex caseExpr()
    {
        // after CASE
        QString head;
        Ex subject;
        bool simple = !cur().is("WHEN");
        if (simple) subject = expr();
        std::vector<std::pair<QString, Ex>> branches;
        Ex elseEx;
        bool hasElse = false;
        while (kw("WHEN")) {
            QString cond;
            if (simple) {
                Ex v = expr();
                Ex s2 = subject;
                coerce(s2, v);
                cond = u'(' + s2.s + QStringLiteral(" = ") + v.s + collate(s2, v) + u')';
            } else cond = expr().s;
            expectKw("THEN");
            branches.emplace_back(cond, expr());
        }
        if (kw("ELSE")) { elseEx = expr(); hasElse = true; }
        expectKw("END");
        Ty rt;
        for (auto& b : branches) if (!b.second.nullLit) rt = merge(rt, b.second.t);
        if (hasElse && !elseEx.nullLit) rt = merge(rt, elseEx.t);
        auto fix = [&](const Ex& x) -> QString {
            if (x.nullLit) return x.s;
            if (rt.IsExact() || rt.IsDate() || (rt.IsNumeric() && x.strLit)) return conv(x, rt).s;
            return x.s;
        };
        QString s = QStringLiteral("(CASE");
        for (auto& b : branches) s += QStringLiteral(" WHEN ") + b.first + QStringLiteral(" THEN ") + fix(b.second);
        if (hasElse) s += QStringLiteral(" ELSE ") + fix(elseEx);
        s += QStringLiteral(" END)");
        Ex r; r.s = s; r.t = rt;
        return r;
    }

    // The type of a CAST or CONVERT.
    Ty typeSpec()
    {
        int i = p;
        Ty ty = typeAt(t, i, e);
        p = i;
        return ty;
    }

    QString datePart()
    {
        QString part = ident().toLower();
        static const QHash<QString, QString> alias = {
            {"yy", "year"}, {"yyyy", "year"}, {"mm", "month"}, {"m", "month"}, {"dd", "day"}, {"d", "day"},
            {"hh", "hour"}, {"mi", "minute"}, {"n", "minute"}, {"ss", "second"}, {"s", "second"},
            {"ms", "millisecond"}, {"qq", "quarter"}, {"q", "quarter"}, {"wk", "week"}, {"ww", "week"},
            {"dy", "dayofyear"}, {"y", "dayofyear"}, {"dw", "weekday"}};
        return alias.value(part, part);
    }

    std::vector<Ex> args()
    {
        std::vector<Ex> a;
        if (op(")")) return a;
        for (;;) {
            a.push_back(expr());
            if (op(")")) return a;
            expectOp(",");
        }
    }

    Ex call(const QString& nameIn)
    {
        // after "name("
        QString name = nameIn.toLower();
        Ex r;
        auto fn = [&](const char* f, const std::vector<Ex>& a, Ty ty) {
            QString s = QLatin1String(f) + u'(';
            for (size_t i = 0; i < a.size(); ++i) s += (i ? QStringLiteral(", ") : QString()) + a[i].s;
            r.s = s + u')';
            r.t = ty;
            return r;
        };
        if (name == QLatin1String("try_cast") || name == QLatin1String("try_convert") || name == QLatin1String("try_parse")
            || name == QLatin1String("parse") || name == QLatin1String("format"))
            throw ESqlError(QStringLiteral("construct %1 is not supported by the embedded engine").arg(nameIn.toUpper()));
        if (name == QLatin1String("cast")) {
            Ex x = expr();
            expectKw("AS");
            Ty ty = typeSpec();
            if (ty.IsText() && ty.Size == 1 && !t[p - 1].op(")")) ty.Size = 30;
            expectOp(")");
            x = exactAsText(x, ty);
            if (x.nullLit) r = x;
            else if (!x.param.isEmpty() && !paramTargets.contains(x.param)) { paramTargets.insert(x.param, {ty, false}); r.s = x.s; }
            else r.s = convSql(x.s, ty, false);
            r.t = ty;
            return r;
        }
        if (name == QLatin1String("convert")) {
            Ty ty = typeSpec();
            if (ty.IsText() && ty.Size == 1 && !t[p - 1].op(")")) ty.Size = 30;
            expectOp(",");
            Ex x = expr();
            QString style = QStringLiteral("0");
            if (op(",")) style = expr().s;
            expectOp(")");
            x = exactAsText(x, ty);
            r.s = QStringLiteral("tsql_convert(%1,%2,%3,%4,%5,%6)").arg(x.s).arg(int(ty.Type)).arg(ty.Size).arg(ty.Precision).arg(ty.Scale).arg(style);
            r.t = ty;
            return r;
        }
        if (name == QLatin1String("dateadd")) {
            QString part = datePart();
            expectOp(",");
            Ex n = expr();
            expectOp(",");
            Ex d = expr();
            expectOp(")");
            Ty dt = d.t.IsDate() ? d.t : Ty{T::DateTime};
            r.s = QStringLiteral("tsql_dateadd('%1', %2, %3)").arg(part, n.s, conv(d, dt).s);
            r.t = dt;
            return r;
        }
        if (name == QLatin1String("datediff")) {
            QString part = datePart();
            expectOp(",");
            Ex a = expr();
            expectOp(",");
            Ex b = expr();
            expectOp(")");
            r.s = QStringLiteral("tsql_datediff('%1', %2, %3)").arg(part, conv(a, {T::DateTime}).s, conv(b, {T::DateTime}).s);
            r.t = {T::Int};
            return r;
        }
        if (name == QLatin1String("datename") || name == QLatin1String("datepart")) {
            const bool text = name == QLatin1String("datename");
            QString part = datePart();
            expectOp(",");
            Ex a = expr();
            expectOp(")");
            r.s = QStringLiteral("tsql_%1('%2', %3)").arg(name, part, conv(a, {T::DateTime}).s);
            r.t = text ? Ty{T::NVarChar, 30} : Ty{T::Int};
            return r;
        }
        if (!aggregates.empty() && (name == QLatin1String("count") || name == QLatin1String("sum") || name == QLatin1String("avg")
                                    || name == QLatin1String("min") || name == QLatin1String("max")))
            ++aggregates.back();
        if (name == QLatin1String("count")) {
            if (op("*")) { expectOp(")"); r.s = QStringLiteral("count(*)"); r.t = {T::Int}; return r; }
            bool distinct = kw("DISTINCT");
            Ex a = expr();
            expectOp(")");
            r.s = QStringLiteral("count(") + (distinct ? QStringLiteral("DISTINCT ") : QString()) + textCollated(a) + u')';
            r.t = {T::Int};
            return r;
        }
        if (name == QLatin1String("sum") || name == QLatin1String("avg") || name == QLatin1String("min") || name == QLatin1String("max")) {
            bool distinct = kw("DISTINCT");
            Ex a = expr();
            expectOp(")");
            QString f = name == QLatin1String("sum") ? QStringLiteral("tsql_sum") : name == QLatin1String("avg") ? QStringLiteral("tsql_avg") : name;
            const QString arg = (distinct ? QStringLiteral("DISTINCT ") : QString()) + textCollated(a);
            r.s = f + u'(' + arg + u')';
            r.t = a.t;
            if (name == QLatin1String("sum") || name == QLatin1String("avg")) {
                // SUM of decimal(p, s) is decimal(38, s), AVG decimal(38, max(s, 6)): the sum cut
                // by the count; money stays money
                if (a.t.Type == T::Money) r.t = {T::Money, 0, 19, 4};
                else if (a.t.IsExact()) { r.t.Precision = 38; if (name == QLatin1String("avg")) r.t.Scale = std::max(6, a.t.Scale); }
                if (a.t.IsExact() && name == QLatin1String("avg"))
                    r.s = QStringLiteral("tsql_div(tsql_sum(%1), count(%1), %2)").arg(arg).arg(r.t.Scale);
                else if (a.t.Type == T::Bit || a.t.Type == T::TinyInt || a.t.Type == T::SmallInt) r.t = {T::Int};
                if (name == QLatin1String("sum")) r = checkedInt(r);   // SUM of int is an int
            }
            return r;
        }
        if (name == QLatin1String("object_id")) {
            std::vector<Ex> a = args();
            if (a.empty() || !a[0].strLit) throw ESqlError(QStringLiteral("OBJECT_ID expects a literal name."));
            QString lit = a[0].s.mid(1, a[0].s.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
            QStringList parts = lit.split(u'.');
            QString obj = parts.last();
            if (obj.startsWith(u'[')) obj = obj.mid(1, obj.size() - 2);
            QString schema = QStringLiteral("main");
            if (obj.startsWith(u'#')) schema = QStringLiteral("temp");
            else if (parts.size() >= 3 && !parts[0].isEmpty()) {
                schema = parts[0].compare(QLatin1String("tempdb"), Qt::CaseInsensitive) == 0 ? QStringLiteral("temp") : sp.CatalogSchema(parts[0]);
            }
            r.s = QStringLiteral("(SELECT 1 FROM %1.sqlite_master WHERE type IN ('table','view') AND name = %2 COLLATE NOCASE)")
                      .arg(QuoteId(schema), quoteStr(obj));
            r.t = {T::Int};
            return r;
        }
        std::vector<Ex> a = args();
        auto need = [&](size_t n) {
            if (a.size() != n)
                throw ESqlError(QStringLiteral("The %1 function requires %2 argument(s).").arg(nameIn).arg(n));
        };
        auto textTy = [&](const Ex& x) { return x.t.IsText() ? x.t : Ty{T::VarChar, 8000}; };
        if (name == QLatin1String("isnull")) {
            need(2);
            Ex b = a[0].t.Type != T::Unknown ? conv(a[1], a[0].t) : a[1];
            // the replacement is cut to the first argument's length
            if (a[0].t.IsText() && a[0].t.Size > 0 && !a[1].nullLit && a[1].t.IsText() && (a[1].t.Size == 0 || a[1].t.Size > a[0].t.Size)
                && b.s == a[1].s)
                b.s = convSql(a[1].s, a[0].t, false);
            r.s = QStringLiteral("ifnull(%1, %2)").arg(a[0].s, b.s);
            r.t = a[0].t.Type != T::Unknown ? a[0].t : a[1].t;
            if (a[0].isColumn && a[0].t.Type != T::Unknown && (a[1].strLit || a[1].numLit)) {
                r.nullCol = a[0].s;
                r.nullDflt = b.s;
            }
            return r;
        }
        if (name == QLatin1String("coalesce")) {
            Ty rt;
            for (auto& x : a) if (!x.nullLit) rt = merge(rt, x.t);
            std::vector<Ex> b;
            for (auto& x : a) b.push_back(rt.IsExact() || rt.IsDate() ? conv(x, rt) : x);
            if (b.size() == 1) { r = b[0]; return r; }
            return fn("coalesce", b, rt);
        }
        if (name == QLatin1String("len")) { need(1); return fn("tsql_len", a, {T::Int}); }
        if (name == QLatin1String("datalength")) {
            // bytes: one per character of varchar (a single-byte code page), two of nvarchar,
            // trailing blanks included; the storage size of other types
            need(1);
            const Ty& at = a[0].t;
            int size = 0;
            switch (at.Type) {
            case T::Bit: case T::TinyInt: size = 1; break;
            case T::SmallInt: size = 2; break;
            case T::Int: case T::SmallDateTime: size = 4; break;
            case T::BigInt: case T::Float: case T::DateTime: size = 8; break;
            case T::Date: size = 3; break;
            case T::Money: size = at.Precision == 10 ? 4 : 8; break;
            case T::Decimal: { int pr = at.Precision ? at.Precision : 18; size = pr <= 9 ? 5 : pr <= 19 ? 9 : pr <= 28 ? 13 : 17; break; }
            default: break;
            }
            if (size) r.s = QStringLiteral("(CASE WHEN %1 IS NULL THEN NULL ELSE %2 END)").arg(a[0].s).arg(size);
            else if (at.Type == T::NVarChar || at.Type == T::NChar) r.s = QStringLiteral("(2 * length(CAST(%1 AS TEXT)))").arg(a[0].s);
            else if (at.Type == T::Binary) r.s = QStringLiteral("length(%1)").arg(a[0].s);
            else r.s = QStringLiteral("length(CAST(%1 AS TEXT))").arg(a[0].s);
            r.t = {T::Int};
            return r;
        }
        if (name == QLatin1String("substring")) { need(3); return fn("tsql_substring", a, textTy(a[0])); }
        if (name == QLatin1String("left")) { need(2); return fn("tsql_left", a, textTy(a[0])); }
        if (name == QLatin1String("right")) { need(2); return fn("tsql_right", a, textTy(a[0])); }
        if (name == QLatin1String("patindex")) { need(2); return fn("tsql_patindex", a, {T::Int}); }
        if (name == QLatin1String("charindex")) { return fn("tsql_charindex", a, {T::Int}); }
        if (name == QLatin1String("upper")) { need(1); return fn("tsql_upper", a, textTy(a[0])); }
        if (name == QLatin1String("lower")) { need(1); return fn("tsql_lower", a, textTy(a[0])); }
        if (name == QLatin1String("ltrim")) { need(1); return fn("tsql_ltrim", a, textTy(a[0])); }
        if (name == QLatin1String("rtrim")) { need(1); return fn("tsql_rtrim", a, textTy(a[0])); }
        if (name == QLatin1String("replace")) { need(3); return fn("tsql_replace", a, textTy(a[0])); }
        if (name == QLatin1String("replicate")) { need(2); return fn("tsql_replicate", a, {T::VarChar, 8000}); }
        if (name == QLatin1String("getdate")) { need(0); return fn("tsql_getdate", a, {T::DateTime}); }
        if (name == QLatin1String("year") || name == QLatin1String("month") || name == QLatin1String("day")) {
            need(1);
            r.s = QStringLiteral("tsql_datepart('%1', %2)").arg(name, conv(a[0], {T::DateTime}).s);
            r.t = {T::Int};
            return r;
        }
        if (name == QLatin1String("abs")) { need(1); return fn("tsql_abs", a, a[0].t); }
        if (name == QLatin1String("round")) {
            if (a.size() < 2 || a.size() > 3) need(2);
            fn("tsql_round", a, a[0].t);
            // the result keeps the argument's type: rounding up past its precision overflows
            if (a[0].t.Type == T::Decimal && a[0].t.Precision > 0)
                r.s = QStringLiteral("tsql_fit(%1, %2, %3)").arg(r.s).arg(a[0].t.Precision).arg(a[0].t.Scale);
            return r;
        }
        if (name == QLatin1String("isnumeric")) { need(1); return fn("tsql_isnumeric", a, {T::Int}); }
        if (name == QLatin1String("scope_identity")) {
            r.s = QStringLiteral("tsql_scope_identity()");   // NULL before any insert
            r.t = {T::BigInt};
            return r;
        }
        if (name == QLatin1String("ident_current")) {
            r.s = QStringLiteral("nullif(last_insert_rowid(), 0)");
            r.t = {T::BigInt};
            return r;
        }
        if (name == QLatin1String("nullif")) {
            need(2);
            Ex x = a[0], y = a[1];
            coerce(x, y);
            r.s = QStringLiteral("nullif(%1, %2)").arg(x.t.IsText() && y.t.IsText() ? x.s + QStringLiteral(" COLLATE TSQL") : x.s, y.s);
            r.t = a[0].t;
            return r;
        }
        if (name == QLatin1String("newid")) { { Ex rb; rb.s = QStringLiteral("randomblob(16)"); return fn("hex", {rb}, {T::VarChar, 36}); } }
        throw ESqlError(QStringLiteral("'%1' is not a recognized built-in function name.").arg(nameIn));
    }

    bool findColumn(Scope* sc, const QString& alias, const QString& col, Ex& r)
    {
        for (Scope* s = sc; s; s = s->parent) {
            for (const Source& src : s->src) {
                if (!alias.isEmpty() && src.alias.compare(alias, Qt::CaseInsensitive) != 0) continue;
                for (const TSqlColumn& c : src.cols) {
                    if (c.Name.compare(col, Qt::CaseInsensitive) == 0) {
                        r.s = QuoteId(src.alias) + u'.' + QuoteId(c.Name);
                        r.t = c.TypeInfo();
                        r.name = c.Name;
                        r.isColumn = true;
                        r.base = c;
                        return true;
                    }
                }
                if (!alias.isEmpty()) {
                    throw ESqlError(QStringLiteral("Invalid column name '%1'.").arg(col));
                }
            }
        }
        return false;
    }

    Ex primary()
    {
        const Token& k = cur();
        Ex r;
        switch (k.kind) {
        case Token::Num: ++p; return number(k.text, false);
        case Token::Str:
            ++p;
            r.s = quoteStr(k.text);
            r.t = {k.nstr ? T::NVarChar : T::VarChar, std::max(1, int(k.text.size()))};
            r.strLit = true;
            return r;
        case Token::Var: {
            ++p;
            if (!sp.VariableType(k.text, r.t))
                throw ESqlError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(k.text));
            r.s = k.text;
            return r;
        }
        case Token::Param:
            ++p;
            r.s = u':' + k.text;
            r.t = sp.ParamType(k.text);
            if (!repeatedParams.contains(k.text.toLower())) r.param = r.s;
            return r;
        case Token::QMark:
            ++p;
            r.s = QStringLiteral(":__p%1").arg((*qm)++);
            r.t = sp.ParamType(r.s.mid(1));
            r.param = r.s;
            return r;
        case Token::Op:
            if (k.op("(")) {
                ++p;
                if (cur().is("SELECT")) {
                    ++exprSubquery;
                    nameScalar = true;
                    SelOut s = select(nullptr, false);
                    nameScalar = false;
                    --exprSubquery;
                    expectOp(")");
                    if (s.cols.size() != 1)
                        throw ESqlError(QStringLiteral("Only one expression can be specified in the select list when the subquery is not introduced with EXISTS."));
                    // more than one row is the server's error 512, not the first of them
                    r.s = s.oneRow ? u'(' + s.sql + u')' : QStringLiteral("(SELECT tsql_one(\"__v\") FROM (") + s.sql + QStringLiteral("))");
                    r.t = s.cols[0].TypeInfo();
                    return r;
                }
                r = expr();
                expectOp(")");
                r.s = u'(' + r.s + u')';
                r.isColumn = false;
                return r;
            }
            fail();
        case Token::Ident:
            if (k.is("NULL")) { ++p; r.s = QStringLiteral("NULL"); r.nullLit = true; return r; }
            if (k.is("@@IDENTITY")) { ++p; r.s = QStringLiteral("tsql_identity()"); r.t = {T::BigInt}; return r; }
            if (k.is("@@ROWCOUNT")) { ++p; r.s = QStringLiteral("changes()"); r.t = {T::Int}; return r; }
            if (k.is("@@ERROR")) { ++p; r.s = QStringLiteral("0"); r.t = {T::Int}; return r; }
            if (k.is("@@TRANCOUNT")) { ++p; r.s = QStringLiteral("tsql_trancount()"); r.t = {T::Int}; return r; }
            if (k.is("CURRENT_TIMESTAMP")) { ++p; r.s = QStringLiteral("tsql_getdate()"); r.t = {T::DateTime}; return r; }
            if (k.is("CASE")) { ++p; return caseExpr(); }
            [[fallthrough]];
        case Token::QIdent: {
            if (k.kind == Token::Ident && at(1).op("(")) {
                QString name = k.text;
                p += 2;
                return call(name);
            }
            QStringList parts;
            parts << ident();
            while (cur().op(".") && (at(1).kind == Token::Ident || at(1).kind == Token::QIdent)) { ++p; parts << ident(); }
            QString col = parts.last();
            QString alias = parts.size() >= 2 ? parts[parts.size() - 2] : QString();
            if (findColumn(scope, alias, col, r)) return r;
            if (alias.isEmpty()) throw ESqlError(QStringLiteral("Invalid column name '%1'.").arg(col));
            throw ESqlError(QStringLiteral("The multi-part identifier \"%1\" could not be bound.").arg(parts.join(u'.')));
        }
        default:
            fail();
        }
    }

    // ---- SELECT

    int findFrom() const
    {
        int depth = 0;
        for (int j = p; j < e; ++j) {
            const Token& k = t[j];
            if (k.op("(")) { ++depth; continue; }
            if (k.op(")")) { if (--depth < 0) return -1; continue; }
            if (depth > 0) continue;
            if (k.is("FROM")) return j;
            if (k.op(";") || k.is("WHERE") || k.is("GROUP") || k.is("HAVING") || k.is("ORDER") || k.is("UNION")
                || k.is("EXCEPT") || k.is("INTERSECT"))
                return -1;
        }
        return -1;
    }

    QString source(Scope& sc)
    {
        if (cur().op("(")) {
            ++p;
            if (!cur().is("SELECT")) fail();
            Scope* saved = scope;
            scope = sc.parent;
            SelOut s = select(nullptr, false);
            scope = saved;
            expectOp(")");
            kw("AS");
            Source src;
            src.alias = ident();
            src.cols = s.cols;
            sc.src.push_back(src);
            return u'(' + s.sql + QStringLiteral(") AS ") + QuoteId(src.alias);
        }
        Obj o = object();
        Source src;
        src.cols = columnsOf(o, true);
        src.alias = o.name;
        src.table = o;
        if (kw("AS")) src.alias = ident();
        else if ((cur().kind == Token::Ident || cur().kind == Token::QIdent) && !reserved(cur())) src.alias = ident();
        if (cur().is("WITH") && at(1).op("(")) { ++p; p = matchParen(t, p, e) + 1; }
        else if (cur().op("(") && (at(1).is("NOLOCK") || at(1).is("READUNCOMMITTED") || at(1).is("ROWLOCK") || at(1).is("UPDLOCK")))
            p = matchParen(t, p, e) + 1;
        sc.src.push_back(src);
        return o.sql() + QStringLiteral(" AS ") + QuoteId(src.alias);
    }

    // Records a side of an equality that reads the joined table alone as one of its keys.
    void joinKey(Ex& x)
    {
        if (x.nullLit || x.strLit || x.numLit || x.s.contains(QLatin1String("SELECT "))) return;
        static const QRegularExpression ref(QStringLiteral("\"((?:[^\"]|\"\")+)\"\\."));
        QSet<QString> aliases;
        for (auto it = ref.globalMatch(x.s); it.hasNext();) aliases.insert(it.next().captured(1).toLower());
        if (aliases.size() != 1 || *aliases.begin() != joinKeys->alias.toLower()) return;
        const bool text = !nonText(x.t);
        if (x.isColumn && x.s == QuoteId(joinKeys->alias) + u'.' + QuoteId(x.name)) {
            joinKeys->keys.push_back({x.name, text});
            return;
        }
        const QString name = QStringLiteral("__jk%1").arg(joinKeys->lifted.size() + 1);
        joinKeys->lifted << x.s + QStringLiteral(" AS ") + QuoteId(name);
        joinKeys->keys.push_back({name, text});
        x.s = QuoteId(joinKeys->alias) + u'.' + QuoteId(name);
    }

    static bool plainColumns(const Source& src)
    {
        QSet<QString> names;
        for (const TSqlColumn& c : src.cols) {
            if (c.Name.isEmpty() || c.Name.startsWith(QLatin1String("__jk")) || names.contains(c.Name.toLower())) return false;
            names.insert(c.Name.toLower());
        }
        return !names.isEmpty();
    }

    // A table with an index on one of the keys as they compare needs no copy.
    bool indexed(const Source& src, const JoinKeys& k)
    {
        if (!src.table || !k.lifted.isEmpty()) return false;
        for (const auto& key : k.keys)
            if (sp.HasIndexOn(src.table->schema, src.table->name, key.first, key.second ? QStringLiteral("TSQL") : QStringLiteral("BINARY")))
                return true;
        return false;
    }

    // The right side of a FULL or RIGHT JOIN as an indexed work table in "temp".
    QString workTable(const QString& src, const QString& on, const Source& right, const JoinKeys& k)
    {
        const QString select = QStringLiteral("SELECT *") + (k.lifted.isEmpty() ? QString() : QStringLiteral(", ") + k.lifted.join(QStringLiteral(", ")))
                               + QStringLiteral(" FROM ") + src;
        QStringList cols;
        for (const TSqlColumn& c : right.cols)
            cols << QuoteId(c.Name) + (c.TypeInfo().IsText() ? QStringLiteral(" COLLATE TSQL") : QString());
        for (const auto& key : k.keys)
            if (key.first.startsWith(QLatin1String("__jk"))) cols << QuoteId(key.first) + (key.second ? QStringLiteral(" COLLATE TSQL") : QString());
        // one table per statement and shape, kept for the session: a result still being
        // read may use it when the statement is compiled again
        QString id;
        for (int i = 0; i < e && i < int(t.size()); ++i) id += t[i].text + u' ';
        const QString name = QStringLiteral("__join_%1").arg(qHash(id + select + on + cols.join(u',')), 16, 16, QLatin1Char('0'));
        const QString table = QStringLiteral("temp.") + QuoteId(name);
        setup << QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ") + QuoteId(name) + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + u')';
        QSet<QString> indexed;
        for (const auto& key : k.keys) {
            if (indexed.contains(key.first.toLower())) continue;
            indexed.insert(key.first.toLower());
            setup << QStringLiteral("CREATE INDEX IF NOT EXISTS temp.") + QuoteId(name + QStringLiteral("_") + QString::number(indexed.size())) + QStringLiteral(" ON ")
                         + QuoteId(name) + QStringLiteral(" (") + QuoteId(key.first) + u')';
        }
        refresh << QStringLiteral("DELETE FROM ") + table;
        refresh << QStringLiteral("INSERT INTO ") + table + u' ' + select;
        return table + QStringLiteral(" AS ") + QuoteId(right.alias);
    }

    QString fromClause(Scope& sc)
    {
        QString s = source(sc);
        for (;;) {
            if (op(",")) { s += QStringLiteral(", ") + source(sc); continue; }
            QString join;
            if (kw("INNER")) join = QStringLiteral("INNER JOIN");
            else if (kw("LEFT")) { kw("OUTER"); join = QStringLiteral("LEFT JOIN"); }
            else if (kw("RIGHT")) { kw("OUTER"); join = QStringLiteral("RIGHT JOIN"); }
            else if (kw("FULL")) { kw("OUTER"); join = QStringLiteral("FULL JOIN"); }
            else if (cur().is("CROSS") && at(1).is("APPLY")) refuse(QStringLiteral("CROSS APPLY"));
            else if (kw("CROSS")) join = QStringLiteral("CROSS JOIN");
            else if (cur().is("JOIN")) join = QStringLiteral("INNER JOIN");
            else if ((cur().is("OUTER") || cur().is("CROSS")) && at(1).is("APPLY")) refuse(cur().text.toUpper() + QStringLiteral(" APPLY"));
            else if (cur().is("PIVOT") || cur().is("UNPIVOT")) refuse(cur().text.toUpper());
            else return s;
            expectKw("JOIN");
            QString right = source(sc);
            if (join == QLatin1String("CROSS JOIN")) { s += u' ' + join + u' ' + right; continue; }
            expectKw("ON");
            // a subquery of an expression may read the outer row, which a work table cannot
            if ((join == QLatin1String("FULL JOIN") || join == QLatin1String("RIGHT JOIN")) && exprSubquery == 0
                && plainColumns(sc.src.back())) {
                JoinKeys keys;
                keys.alias = sc.src.back().alias;
                QString on;
                {
                    TRestoreGuard<JoinKeys*> keysOf(joinKeys, &keys);
                    on = expr().s;
                }
                if (!keys.keys.empty() && !indexed(sc.src.back(), keys)) right = workTable(right, on, sc.src.back(), keys);
                s += u' ' + join + u' ' + right + QStringLiteral(" ON ") + on;
            } else
                s += u' ' + join + u' ' + right + QStringLiteral(" ON ") + expr().s;
        }
    }

    struct Core {
        QString sql;
        std::vector<TSqlColumn> cols;
        std::vector<QString> assignVars;
        QString limit;
        std::shared_ptr<Scope> sc;
        std::optional<Obj> into;
        bool oneRow = false;
    };
    bool nameScalar = false;        // the next select is a scalar subquery: its one column is "__v"
    std::vector<int> aggregates;    // aggregate calls per select being read

    Core core(const std::vector<Ty>* target, bool allowAssign)
    {
        Core c;
        const bool scalarName = nameScalar;
        nameScalar = false;
        aggregates.push_back(0);
        struct PopAggregates { std::vector<int>& v; ~PopAggregates() { v.pop_back(); } } popAggregates{aggregates};
        bool grouped = false;
        expectKw("SELECT");
        bool distinct = kw("DISTINCT");
        kw("ALL");
        if (kw("TOP")) {
            if (op("(")) { c.limit = expr().s; expectOp(")"); }
            else { if (cur().kind != Token::Num) fail(); c.limit = cur().text; ++p; }
            if (cur().is("PERCENT")) refuse(QStringLiteral("TOP ... PERCENT"));
            if (cur().is("WITH") && at(1).is("TIES")) refuse(QStringLiteral("TOP ... WITH TIES"));
        }
        c.sc = std::make_shared<Scope>();
        c.sc->parent = scope;
        Scope* saved = scope;
        scope = c.sc.get();
        int itemsAt = p;
        int from = findFrom();
        QString tail;
        int after = -1;
        if (from >= 0) {
            p = from + 1;
            tail = QStringLiteral(" FROM ") + fromClause(*c.sc);
            if (kw("WHERE")) tail += QStringLiteral(" WHERE ") + expr().s;
            if (kw("GROUP")) {
                expectKw("BY");
                grouped = true;
                QString g;
                for (;;) {
                    Ex x = expr();
                    g += (g.isEmpty() ? QString() : QStringLiteral(", ")) + x.s + (!x.isColumn && !nonText(x.t) ? QStringLiteral(" COLLATE TSQL") : QString());
                    if (!op(",")) break;
                }
                tail += QStringLiteral(" GROUP BY ") + g;
            }
            if (kw("HAVING")) tail += QStringLiteral(" HAVING ") + expr().s;
            after = p;
            p = itemsAt;
        }
        QString items;
        int n = 0;
        auto add = [&](const Ex& x0, const QString& name, const QString& assignVar) {
            Ex x = x0;
            if (target) {
                if (n >= int(target->size())) throw ESqlError(QStringLiteral("The select list has more items than the insert list."));
                x = conv(x, (*target)[n], true);
            }
            items += (items.isEmpty() ? QString() : QStringLiteral(", ")) + x.s;
            // computed text keeps the collation through DISTINCT, UNION and derived tables
            if (!x.isColumn && x.t.IsText()) items += QStringLiteral(" COLLATE TSQL");
            if (scalarName) items += QStringLiteral(" AS \"__v\"");
            else if (!name.isEmpty()) items += QStringLiteral(" AS ") + QuoteId(name);
            TSqlColumn col;
            if (x.isColumn && !target) {
                col.BaseTable = x.base.BaseTable;
                col.BaseColumn = x.base.BaseColumn;
                col.Key = x.base.Key;
                col.AutoIncrement = x.base.AutoIncrement;
                col.Nullable = x.base.Nullable;
            }
            col.Name = name;
            col.Type = x.t.Type; col.Size = x.t.Size; col.Precision = x.t.Precision; col.Scale = x.t.Scale;
            c.cols.push_back(col);
            c.assignVars.push_back(assignVar);
            ++n;
        };
        for (;;) {
            if (cur().op("*")) {
                ++p;
                for (const Source& s : c.sc->src)
                    for (const TSqlColumn& col : s.cols) {
                        Ex x; x.s = QuoteId(s.alias) + u'.' + QuoteId(col.Name); x.t = col.TypeInfo(); x.isColumn = true; x.base = col;
                        add(x, col.Name, QString());
                    }
            } else if ((cur().kind == Token::Ident || cur().kind == Token::QIdent) && at(1).op(".") && at(2).op("*")) {
                QString alias = cur().text;
                p += 3;
                bool found = false;
                for (const Source& s : c.sc->src) {
                    if (s.alias.compare(alias, Qt::CaseInsensitive) != 0) continue;
                    found = true;
                    for (const TSqlColumn& col : s.cols) {
                        Ex x; x.s = QuoteId(s.alias) + u'.' + QuoteId(col.Name); x.t = col.TypeInfo(); x.isColumn = true; x.base = col;
                        add(x, col.Name, QString());
                    }
                }
                if (!found) throw ESqlError(QStringLiteral("The multi-part identifier \"%1.*\" could not be bound.").arg(alias));
            } else if (cur().kind == Token::Var && at(1).op("=")) {
                if (!allowAssign) fail();
                QString v = cur().text;
                p += 2;
                Ex x = expr();
                TSqlTypeInfo vt;
                if (!sp.VariableType(v, vt)) throw ESqlError(QStringLiteral("Must declare the scalar variable \"%1\".").arg(v));
                add(conv(x, vt, true), QString(), v);
            } else if ((cur().kind == Token::Ident || cur().kind == Token::QIdent) && at(1).op("=") && !reserved(cur())) {
                QString name = cur().text;
                p += 2;
                add(expr(), name, QString());
            } else {
                Ex x = expr();
                QString name = x.isColumn ? x.name : QString();
                if (kw("AS")) name = cur().kind == Token::Str ? (++p, t[p - 1].text) : ident();
                else if ((cur().kind == Token::Ident || cur().kind == Token::QIdent) && !reserved(cur())) name = ident();
                else if (cur().kind == Token::Str) { name = cur().text; ++p; }
                add(x, name, QString());
            }
            if (!op(",")) break;
        }
        if (target && n != int(target->size()))
            throw ESqlError(QStringLiteral("There are fewer columns in the INSERT statement than values specified in the VALUES clause. The number of values in the VALUES clause must match the number of columns specified in the INSERT statement."));
        if (allowAssign && kw("INTO")) c.into = object();
        if (from >= 0) {
            if (p != from) fail();
            p = after;
        }
        scope = saved;
        c.sql = QStringLiteral("SELECT ") + (distinct ? QStringLiteral("DISTINCT ") : QString()) + items + tail;
        c.oneRow = (aggregates.back() > 0 && !grouped) || c.limit == QLatin1String("1");
        return c;
    }

    SelOut select(const std::vector<Ty>* target, bool allowAssign)
    {
        // a subquery inside an ON has join keys of its own
        JoinKeys* outerKeys = joinKeys;
        joinKeys = nullptr;
        struct Restore { JoinKeys*& k; JoinKeys* v; ~Restore() { k = v; } } restore{joinKeys, outerKeys};
        Core first = core(target, allowAssign);
        SelOut out;
        out.sql = first.sql;
        out.cols = first.cols;
        out.assignVars = first.assignVars;
        out.into = first.into;
        out.oneRow = first.oneRow;
        bool compound = false;
        for (;;) {
            QString o;
            if (kw("UNION")) o = kw("ALL") ? QStringLiteral(" UNION ALL ") : QStringLiteral(" UNION ");
            else if (kw("EXCEPT")) o = QStringLiteral(" EXCEPT ");
            else if (kw("INTERSECT")) o = QStringLiteral(" INTERSECT ");
            else break;
            compound = true;
            out.oneRow = false;
            bool paren = op("(");
            Core c = core(target, false);
            if (paren) expectOp(")");
            if (c.cols.size() != out.cols.size())
                throw ESqlError(QStringLiteral("All queries combined using a UNION, INTERSECT or EXCEPT operator must have an equal number of expressions in their target lists."));
            for (size_t i = 0; i < c.cols.size(); ++i) {
                Ty m = merge(out.cols[i].TypeInfo(), c.cols[i].TypeInfo());
                out.cols[i].Type = m.Type; out.cols[i].Size = std::max(out.cols[i].Size, c.cols[i].Size);
                out.cols[i].Precision = m.Precision; out.cols[i].Scale = m.Scale;
            }
            out.sql += o + c.sql;
        }
        if (kw("ORDER")) {
            expectKw("BY");
            QString ob;
            Scope* saved = scope;
            scope = first.sc.get();
            for (;;) {
                QString term;
                Ty ty;
                bool isCol = false;
                // an output column by its name (or, in a UNION, by a qualified name)
                int save = p;
                QStringList parts;
                if (cur().kind == Token::Ident || cur().kind == Token::QIdent) {
                    while (true) {
                        if (!(cur().kind == Token::Ident || cur().kind == Token::QIdent) || reserved(cur())) break;
                        parts << cur().text;
                        ++p;
                        if (cur().op(".") && (at(1).kind == Token::Ident || at(1).kind == Token::QIdent)) { ++p; continue; }
                        break;
                    }
                }
                bool simpleRef = !parts.isEmpty() && !cur().op("(") && !cur().op(".") && (cur().op(",") || atEnd() || cur().is("ASC") || cur().is("DESC") || cur().op(";"));
                int idx = -1;
                if (simpleRef && (parts.size() == 1 || compound)) {
                    for (size_t i = 0; i < out.cols.size(); ++i)
                        if (out.cols[i].Name.compare(parts.last(), Qt::CaseInsensitive) == 0) { idx = int(i); break; }
                }
                if (idx >= 0) {
                    // an output column's name wins over a source column, as the server resolves it
                    term = compound ? QString::number(idx + 1) : QuoteId(out.cols[idx].Name);
                    ty = out.cols[idx].TypeInfo();
                    isCol = false;
                } else {
                    p = save;
                    if (cur().kind == Token::Num) { term = cur().text; ++p; int k = term.toInt() - 1; if (k >= 0 && k < int(out.cols.size())) ty = out.cols[k].TypeInfo(); }
                    else { Ex x = expr(); term = x.s; ty = x.t; isCol = x.isColumn; }
                }
                if (!nonText(ty) && !isCol) term += QStringLiteral(" COLLATE TSQL");
                if (kw("DESC")) term += QStringLiteral(" DESC");
                else kw("ASC");
                ob += (ob.isEmpty() ? QString() : QStringLiteral(", ")) + term;
                if (!op(",")) break;
            }
            scope = saved;
            out.sql += QStringLiteral(" ORDER BY ") + ob;
        }
        if (!first.limit.isEmpty()) out.sql += QStringLiteral(" LIMIT ") + first.limit;
        return out;
    }

    // ---- statements

    Translation insert()
    {
        expectKw("INSERT");
        kw("INTO");
        Obj o = object();
        std::vector<TSqlColumn> cols = columnsOf(o, true);
        std::vector<TSqlColumn> target;
        if (cur().op("(") && !at(1).is("SELECT")) {
            ++p;
            for (;;) {
                QString name = ident();
                auto it = std::find_if(cols.begin(), cols.end(), [&](const TSqlColumn& c) { return c.Name.compare(name, Qt::CaseInsensitive) == 0; });
                if (it == cols.end()) throw ESqlError(QStringLiteral("Invalid column name '%1'.").arg(name));
                target.push_back(*it);
                if (op(")")) break;
                expectOp(",");
            }
        } else {
            for (const TSqlColumn& c : cols) if (!c.AutoIncrement) target.push_back(c);
        }
        QString list;
        std::vector<Ty> types;
        for (const TSqlColumn& c : target) {
            list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + QuoteId(c.Name);
            types.push_back(c.TypeInfo());
        }
        Translation tr;
        tr.insertKind = std::any_of(cols.begin(), cols.end(), [](const TSqlColumn& c) { return c.AutoIncrement; })
                            ? Translation::IdentityInsert : Translation::PlainInsert;
        QString head = QStringLiteral("INSERT INTO ") + o.sql() + QStringLiteral(" (") + list + QStringLiteral(") ");
        if (kw("DEFAULT")) { expectKw("VALUES"); tr.sql = QStringLiteral("INSERT INTO ") + o.sql() + QStringLiteral(" DEFAULT VALUES"); return tr; }
        if (kw("VALUES")) {
            QString rows;
            for (;;) {
                expectOp("(");
                QString row;
                size_t n = 0;
                for (;;) {
                    Ex x = expr();
                    if (n >= types.size()) throw ESqlError(QStringLiteral("There are more columns in the INSERT statement than values specified in the VALUES clause."));
                    row += (row.isEmpty() ? QString() : QStringLiteral(", ")) + conv(x, types[n], true).s;
                    ++n;
                    if (op(")")) break;
                    expectOp(",");
                }
                if (n != types.size()) throw ESqlError(QStringLiteral("There are more columns in the INSERT statement than values specified in the VALUES clause. The number of values in the VALUES clause must match the number of columns specified in the INSERT statement."));
                rows += (rows.isEmpty() ? QString() : QStringLiteral(", ")) + u'(' + row + u')';
                if (!op(",")) break;
            }
            tr.sql = head + QStringLiteral("VALUES ") + rows;
            return tr;
        }
        bool paren = op("(");
        SelOut s = select(&types, false);
        if (paren) expectOp(")");
        tr.sql = head + s.sql;
        return tr;
    }

    // The first FROM at the statement's own level from the current token on, -1 when none.
    int topLevelFrom() const
    {
        int depth = 0;
        for (int j = p; j < e; ++j) {
            if (t[j].op("(")) ++depth;
            else if (t[j].op(")")) --depth;
            else if (depth == 0 && t[j].is("FROM")) return j;
        }
        return -1;
    }

    // UPDATE/DELETE ... FROM: the sources of the FROM, which may name the target by its
    // alias; otherwise the target is read beside them. Returns the target's source in `sc`
    // (nullptr when it is not among them).
    const Source* targetSources(const Obj& o, Scope& outer, Scope& sc, QString& fromSql)
    {
        Source tgt;
        tgt.alias = o.name;
        tgt.cols = columnsOf(o, false);
        tgt.table = o;
        outer.parent = scope;
        outer.src.push_back(tgt);
        sc.parent = &outer;
        scope = &sc;   // the ON conditions read the sources met so far
        fromSql = fromClause(sc);
        for (const Source& src : sc.src)
            if (src.alias.compare(o.name, Qt::CaseInsensitive) == 0) {
                if (!src.table) refuse(QStringLiteral("UPDATE/DELETE of a derived table"));
                return &src;
            }
        if (tgt.cols.empty()) throw ESqlError(QStringLiteral("Invalid object name '%1'.").arg(o.name));
        return nullptr;
    }

    // The one table of a plain UPDATE or DELETE becomes the scope its expressions read.
    void tableScope(const Obj& o, Scope& sc)
    {
        sc.parent = scope;
        Source src;
        src.alias = o.name;
        src.cols = columnsOf(o, true);
        sc.src.push_back(src);
        scope = &sc;
    }

    Translation update()
    {
        expectKw("UPDATE");
        Obj o = object();
        expectKw("SET");
        const int setAt = p;
        const int fromAt = topLevelFrom();
        Scope outer, sc;
        Translation tr;
        const Source* target = nullptr;
        QString fromSql, where;
        int after = -1;
        if (fromAt >= 0) {
            p = fromAt + 1;
            target = targetSources(o, outer, sc, fromSql);
            scope = &sc;
            if (kw("WHERE")) where = expr().s;
            after = p;
            p = setAt;
        } else tableScope(o, sc);
        const std::vector<TSqlColumn>& cols = target ? target->cols : fromAt >= 0 ? outer.src[0].cols : sc.src[0].cols;
        QString sets;
        QStringList setCols, setValues;
        for (;;) {
            QStringList parts;
            parts << ident();
            while (op(".")) parts << ident();
            QString name = parts.last();
            auto it = std::find_if(cols.begin(), cols.end(), [&](const TSqlColumn& c) { return c.Name.compare(name, Qt::CaseInsensitive) == 0; });
            if (it == cols.end()) throw ESqlError(QStringLiteral("Invalid column name '%1'.").arg(name));
            expectOp("=");
            Ex x = expr();
            setCols << QuoteId(it->Name);
            setValues << conv(x, it->TypeInfo(), true).s;
            sets += (sets.isEmpty() ? QString() : QStringLiteral(", ")) + setCols.last() + QStringLiteral(" = ") + setValues.last();
            if (!op(",")) break;
        }
        if (fromAt >= 0) {
            if (p != fromAt) fail();
            p = after;
            if (target) {
                // the target is one of the FROM's sources: the rows the join pairs, each set
                // from its first pairing (the server takes any one of them)
                const QString rowid = QuoteId(target->alias) + QStringLiteral(".rowid");
                const QString cond = where.isEmpty() ? QString() : QStringLiteral(" AND (") + where + u')';
                const QString lhs = setCols.size() == 1 ? setCols[0] : u'(' + setCols.join(QStringLiteral(", ")) + u')';
                tr.sql = QStringLiteral("UPDATE ") + target->table->sql() + QStringLiteral(" AS \"__target\" SET ") + lhs + QStringLiteral(" = (SELECT ")
                         + setValues.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + fromSql + QStringLiteral(" WHERE ") + rowid
                         + QStringLiteral(" = \"__target\".rowid") + cond + QStringLiteral(") WHERE \"__target\".rowid IN (SELECT ") + rowid
                         + QStringLiteral(" FROM ") + fromSql + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where) + u')';
            } else {
                tr.sql = QStringLiteral("UPDATE ") + o.sql() + QStringLiteral(" AS ") + QuoteId(o.name) + QStringLiteral(" SET ") + sets
                         + QStringLiteral(" FROM ") + fromSql + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
            }
        } else {
            tr.sql = QStringLiteral("UPDATE ") + o.sql() + QStringLiteral(" SET ") + sets;
            if (kw("WHERE")) tr.sql += QStringLiteral(" WHERE ") + expr().s;
        }
        scope = fromAt >= 0 ? outer.parent : sc.parent;
        return tr;
    }

    Translation del()
    {
        expectKw("DELETE");
        kw("FROM");
        Obj o = object();
        Translation tr;
        if (kw("FROM")) {
            Scope outer, sc;
            QString fromSql;
            const Source* target = targetSources(o, outer, sc, fromSql);
            scope = &sc;
            QString where;
            if (kw("WHERE")) where = QStringLiteral(" WHERE ") + expr().s;
            scope = outer.parent;
            // the rows of the target that the join pairs, by their row ids
            if (target)
                tr.sql = QStringLiteral("DELETE FROM ") + target->table->sql() + QStringLiteral(" WHERE rowid IN (SELECT ") + QuoteId(target->alias)
                         + QStringLiteral(".rowid FROM ") + fromSql + where + u')';
            else
                tr.sql = QStringLiteral("DELETE FROM ") + o.sql() + QStringLiteral(" WHERE rowid IN (SELECT ") + QuoteId(o.name) + QStringLiteral(".rowid FROM ")
                         + o.sql() + QStringLiteral(" AS ") + QuoteId(o.name) + QStringLiteral(", ") + fromSql + where + u')';
            return tr;
        }
        Scope sc;
        tableScope(o, sc);
        tr.sql = QStringLiteral("DELETE FROM ") + o.sql();
        if (kw("WHERE")) tr.sql += QStringLiteral(" WHERE ") + expr().s;
        scope = sc.parent;
        return tr;
    }

    // A column type as SQLite takes it: "(max)" is "(0)" there, read back as max.
    static QString declaredType(const Ty& ty)
    {
        return ty.SqlName().toUpper().replace(QLatin1String("(MAX)"), QLatin1String("(0)"));
    }

    void skipParens() { if (cur().op("(")) p = matchParen(t, p, e) + 1; }
    // "WITH (PAD_INDEX = OFF, ...)" and "ON [PRIMARY]" of generated scripts: storage, nothing to keep
    void skipStorageOptions()
    {
        for (;;) {
            if (cur().is("WITH") && at(1).op("(")) { ++p; skipParens(); continue; }
            if (cur().is("ON") && (at(1).kind == Token::QIdent || at(1).kind == Token::Ident)) { p += 2; continue; }
            return;
        }
    }

    Translation createTable()
    {
        Obj o = object();
        bool temp = o.schema == QLatin1String("temp");
        expectOp("(");
        struct ColDef { QString name; Ty ty; bool identity = false, notNull = false, pk = false, unique = false; QString def; };
        std::vector<ColDef> defs;
        QStringList tableCons;
        QStringList pkCols;
        for (;;) {
            if (kw("CONSTRAINT")) ident();
            if (kw("PRIMARY")) {
                expectKw("KEY");
                kw("CLUSTERED"); kw("NONCLUSTERED");
                expectOp("(");
                QStringList cols;
                for (;;) { cols << QuoteId(ident()); kw("ASC"); kw("DESC"); if (op(")")) break; expectOp(","); }
                pkCols = cols;
            } else if (kw("UNIQUE")) {
                kw("CLUSTERED"); kw("NONCLUSTERED");
                expectOp("(");
                QStringList cols;
                for (;;) { cols << QuoteId(ident()); kw("ASC"); kw("DESC"); if (op(")")) break; expectOp(","); }
                tableCons << QStringLiteral("UNIQUE (") + cols.join(QStringLiteral(", ")) + u')';
            } else if (kw("CHECK")) { skipParens(); }
            else if (kw("FOREIGN")) { expectKw("KEY"); skipParens(); expectKw("REFERENCES"); object(); skipParens(); }
            else {
                ColDef d;
                d.name = ident();
                { int i = p; d.ty = typeAt(t, i, e); p = i; }   // a column may declare more places than are kept
                for (;;) {
                    if (kw("COLLATE")) { ident(); continue; }
                    if (kw("IDENTITY")) { d.identity = true; skipParens(); continue; }
                    if (kw("NOT")) { expectKw("NULL"); d.notNull = true; continue; }
                    if (kw("NULL")) continue;
                    if (kw("PRIMARY")) { expectKw("KEY"); kw("CLUSTERED"); kw("NONCLUSTERED"); d.pk = true; continue; }
                    if (kw("UNIQUE")) { kw("CLUSTERED"); kw("NONCLUSTERED"); d.unique = true; continue; }
                    if (kw("CONSTRAINT")) { ident(); continue; }
                    if (kw("CHECK")) { skipParens(); continue; }
                    if (kw("REFERENCES")) { object(); skipParens(); continue; }
                    if (kw("DEFAULT")) {
                        Scope empty;
                        Scope* saved = scope;
                        scope = &empty;
                        Ex x = unary();
                        scope = saved;
                        d.def = conv(x, d.ty, false).s;
                        continue;
                    }
                    break;
                }
                defs.push_back(d);
            }
            skipStorageOptions();
            if (op(")")) break;
            expectOp(",");
        }
        skipStorageOptions();
        if (kw("TEXTIMAGE_ON")) ident();
        bool hasIdentity = std::any_of(defs.begin(), defs.end(), [](const ColDef& d) { return d.identity; });
        QStringList body;
        for (const ColDef& d : defs) {
            QString s = QuoteId(d.name) + u' ';
            if (d.identity) s += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            else {
                s += declaredType(d.ty);
                if (d.ty.IsText()) s += QStringLiteral(" COLLATE TSQL");
                if (d.notNull) s += QStringLiteral(" NOT NULL");
                if (d.pk && !hasIdentity && pkCols.isEmpty()) s += QStringLiteral(" PRIMARY KEY");
                else if (d.pk || d.unique) s += QStringLiteral(" UNIQUE");
            }
            if (!d.def.isEmpty()) s += QStringLiteral(" DEFAULT (") + d.def + u')';
            body << s;
        }
        if (!pkCols.isEmpty()) body << (hasIdentity ? QStringLiteral("UNIQUE (") : QStringLiteral("PRIMARY KEY (")) + pkCols.join(QStringLiteral(", ")) + u')';
        body << tableCons;
        Translation tr;
        tr.changesSchema = true;
        tr.sql = QStringLiteral("CREATE ") + (temp ? QStringLiteral("TEMP TABLE ") + QuoteId(o.name) : QStringLiteral("TABLE ") + o.sql())
                 + QStringLiteral(" (") + body.join(QStringLiteral(", ")) + u')';
        return tr;
    }

    Translation createIndex(bool unique)
    {
        QString name = ident();
        expectKw("ON");
        Obj o = object();
        expectOp("(");
        QStringList cols;
        for (;;) {
            QString c = QuoteId(ident());
            if (kw("DESC")) c += QStringLiteral(" DESC");
            else kw("ASC");
            cols << c;
            if (op(")")) break;
            expectOp(",");
        }
        while (!atEnd() && !cur().op(";")) ++p;   // INCLUDE, WITH options
        Translation tr;
        tr.changesSchema = true;
        QString schema = o.schema.isEmpty() ? QStringLiteral("main") : o.schema;
        tr.sql = QStringLiteral("CREATE ") + (unique ? QStringLiteral("UNIQUE ") : QString()) + QStringLiteral("INDEX ") + QuoteId(schema)
                 + u'.' + QuoteId(o.name + QStringLiteral("__") + name) + QStringLiteral(" ON ") + QuoteId(o.name)
                 + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + u')';
        return tr;
    }

    Translation statement()
    {
        Translation tr;
        if (cur().is("SELECT")) {
            SelOut s = select(nullptr, true);
            if (s.into) {
                // SELECT ... INTO: the new table gets the server types of the select list
                QStringList defs, names;
                for (size_t i = 0; i < s.cols.size(); ++i) {
                    const TSqlColumn& c = s.cols[i];
                    if (c.Name.isEmpty()) throw ESqlError(QStringLiteral("An object or column name is missing or empty."));
                    Ty ty = c.TypeInfo();
                    QString def = QuoteId(c.Name);
                    if (ty.Type != T::Unknown) def += u' ' + declaredType(ty);
                    if (ty.IsText()) def += QStringLiteral(" COLLATE TSQL");
                    defs << def;
                    names << QuoteId(c.Name);
                }
                bool temp = s.into->schema == QLatin1String("temp");
                tr.sql = QStringLiteral("CREATE ") + (temp ? QStringLiteral("TEMP TABLE ") + QuoteId(s.into->name) : QStringLiteral("TABLE ") + s.into->sql())
                         + QStringLiteral(" (") + defs.join(QStringLiteral(", ")) + QStringLiteral(")") + kStmtSeparator + QStringLiteral("INSERT INTO ") + s.into->sql()
                         + QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(") ") + s.sql;
                tr.changesSchema = true;
                while (op(";")) {}
                if (!atEnd()) fail();
                return tr;
            }
            tr.sql = s.sql;
            tr.columns = s.cols;
            bool assign = std::any_of(s.assignVars.begin(), s.assignVars.end(), [](const QString& v) { return !v.isEmpty(); });
            if (assign) {
                if (std::any_of(s.assignVars.begin(), s.assignVars.end(), [](const QString& v) { return v.isEmpty(); }))
                    throw ESqlError(QStringLiteral("A SELECT statement that assigns a value to a variable must not be combined with data-retrieval operations."));
                tr.assignVars = s.assignVars;
            } else tr.returnsRows = true;
        } else if (cur().is("INSERT")) tr = insert();
        else if (cur().is("UPDATE")) tr = update();
        else if (cur().is("DELETE")) tr = del();
        else if (kw("CREATE")) {
            bool unique = kw("UNIQUE");
            kw("CLUSTERED"); kw("NONCLUSTERED");
            if (kw("TABLE")) tr = createTable();
            else if (kw("INDEX")) tr = createIndex(unique);
            else fail();
        } else if (kw("DROP")) {
            expectKw("TABLE");
            bool ifExists = false;
            if (cur().is("IF") && at(1).is("EXISTS")) { p += 2; ifExists = true; }
            QStringList drops;
            for (;;) {
                Obj o = object();
                if (o.schema.isEmpty()) o.schema = QStringLiteral("main");
                drops << QStringLiteral("DROP TABLE ") + (ifExists ? QStringLiteral("IF EXISTS ") : QString()) + o.sql();
                if (!op(",")) break;
            }
            tr.sql = drops.join(kStmtSeparator);
            tr.changesSchema = true;
        } else if (kw("TRUNCATE")) {
            expectKw("TABLE");
            Obj o = object();
            tr.sql = QStringLiteral("DELETE FROM ") + o.sql();
        } else fail();
        while (op(";")) {}
        if (!atEnd()) fail();
        tr.changesSchema = tr.changesSchema || false;
        return tr;
    }
};

} // namespace

Translation Translate(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end, int* qmark)
{
    Tr tr(sp, toks, begin, end, qmark);
    Translation out = tr.statement();
    out.paramTargets = tr.paramTargets;
    out.setup = tr.setup;
    out.refresh = tr.refresh;
    return out;
}

Translation TranslateCondition(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end, int* qmark)
{
    Tr tr(sp, toks, begin, end, qmark);
    Ex c = tr.expr();
    if (!tr.atEnd()) tr.fail();
    Translation out;
    out.sql = QStringLiteral("SELECT CASE WHEN ") + c.s + QStringLiteral(" THEN 1 ELSE 0 END");
    out.returnsRows = true;
    out.paramTargets = tr.paramTargets;
    return out;
}

Translation TranslateValue(SchemaProvider& sp, const std::vector<Token>& toks, int begin, int end,
                           const TSqlTypeInfo& t, int* qmark)
{
    Tr tr(sp, toks, begin, end, qmark);
    Ex c = tr.expr();
    if (!tr.atEnd()) tr.fail();
    Translation out;
    out.sql = QStringLiteral("SELECT ") + tr.conv(c, t, true).s;
    out.returnsRows = true;
    out.paramTargets = tr.paramTargets;
    return out;
}

} // namespace sqlimpl
