#include "DBCommon.h"

#include "DB.h"

#include "platform/rtl/FMTBcd.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

EExprParserError::EExprParserError(const QString& msg, int position)
    : EDatabaseError(QStringLiteral("%1 at position %2").arg(msg).arg(position)), Position(position)
{
}

namespace {

enum TValKind { vkUnknown, vkText, vkNumber, vkDate, vkBoolean };

enum TLitKind { lkNone, lkText, lkInt, lkFloat, lkBool, lkDate, lkTime, lkDateTime, lkBcd };

struct Node {
    TExprNodeClass Class = ncNull;
    TCANOperator Op = coNOTDEFINED;
    int Pos = 1;
    std::vector<std::unique_ptr<Node>> Kids;  // operands, arguments or list items
    // compare
    int CaseFlag = 0;
    int Partial = 0;
    // field
    int FieldNo = 0;
    QString Name;             // field or function name
    TFieldType FieldType = ftUnknown;
    // literal
    TLitKind Lit = lkNone;
    QString Text;             // lkText; also the source spelling of a number
    int64_t Int = 0;
    double Float = 0;
    bool Bool = false;
    TBcd Bcd{};
    bool SourceLiteral = false;  // written in the text (not produced by a function)
    // type
    TValKind Kind = vkUnknown;
    TFieldType TypeHint = ftUnknown;  // the field type a literal compared with this node takes
    bool IsList = false;              // an IN list, serialised as list elements
};
using NodePtr = std::unique_ptr<Node>;

enum TokKind { tkEnd, tkName, tkQuotedName, tkString, tkNumber, tkOp, tkKeyword };

struct Token {
    TokKind Kind = tkEnd;
    QString Text;  // name, string value, number spelling, operator or upper-case keyword
    int Pos = 1;
};

TValKind KindOfFieldType(TFieldType t)
{
    switch (t) {
    case ftString: case ftFixedChar: case ftWideString: case ftFixedWideChar: case ftGuid:
    case ftMemo: case ftWideMemo: case ftFmtMemo: case ftOraClob: case ftOraInterval:
        return vkText;
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: case ftFMTBcd: case ftLongWord: case ftShortint: case ftByte:
    case ftExtended: case ftSingle:
        return vkNumber;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp: case ftOraTimeStamp:
        return vkDate;
    case ftBoolean:
        return vkBoolean;
    default:
        return vkUnknown;
    }
}

bool IsIntegerType(TFieldType t)
{
    switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
    case ftLongWord: case ftShortint: case ftByte:
        return true;
    default:
        return false;
    }
}

bool IsMoneyType(TFieldType t) { return t == ftCurrency || t == ftBCD || t == ftFMTBcd; }

struct FuncSpec {
    const char* Name;
    int MinArgs, MaxArgs;
    bool Aggregate;
};
const FuncSpec kFuncs[] = {
    {"SUBSTRING", 2, 3, false}, {"TRIM", 1, 2, false},   {"TRIMLEFT", 1, 2, false},
    {"TRIMRIGHT", 1, 2, false}, {"YEAR", 1, 1, false},   {"MONTH", 1, 1, false},
    {"DAY", 1, 1, false},       {"HOUR", 1, 1, false},   {"MINUTE", 1, 1, false},
    {"SECOND", 1, 1, false},    {"GETDATE", 0, 0, false}, {"DATE", 1, 1, false},
    {"TIME", 1, 1, false},      {"SUM", 1, 1, true},     {"MIN", 1, 1, true},
    {"MAX", 1, 1, true},        {"AVG", 1, 1, true},     {"COUNT", 0, 1, true},
};

class Compiler {
public:
    Compiler(const TExprFieldResolver& resolver, const QString& text, TFilterOptions fo, TParserOptions po,
             QStringList& fieldNames)
        : FResolver(resolver), FSrc(text), FOpts(fo), FParserOpts(po), FFieldNames(fieldNames)
    {
    }

    QByteArray Run()
    {
        Next();
        if (FTok.Kind == tkEnd)
            Fail(QStringLiteral("Expression expected"), FTok.Pos);
        NodePtr root = ParseOr();
        if (FTok.Kind != tkEnd)
            Fail(QStringLiteral("Unexpected '%1'").arg(FTok.Text), FTok.Pos);
        return Serialise(*root);
    }

private:
    const TExprFieldResolver& FResolver;
    QString FSrc;
    TFilterOptions FOpts;
    TParserOptions FParserOpts;
    QStringList& FFieldNames;
    int FPos = 0;  // 0-based scan position
    Token FTok;
    int FListDepth = 0;  // inside IN lists and argument lists, where a comma separates items

    [[noreturn]] static void Fail(const QString& msg, int pos) { throw EExprParserError(msg, pos); }
    [[noreturn]] static void Mismatch(int pos) { Fail(QStringLiteral("Type mismatch in expression"), pos); }

    // ---- scanner ----
    static bool IsNameStart(QChar c) { return c.isLetter() || c == u'_'; }
    static bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    void Next()
    {
        const int n = int(FSrc.size());
        while (FPos < n && FSrc[FPos].isSpace())
            ++FPos;
        FTok = Token();
        FTok.Pos = FPos + 1;
        if (FPos >= n)
            return;
        QChar c = FSrc[FPos];
        if (c == u'\'' || c == u'"') {
            // 'text' with '' for a quote; "name" is a quoted field name.
            const QChar q = c;
            QString s;
            int i = FPos + 1;
            for (;;) {
                if (i >= n)
                    Fail(q == u'\'' ? QStringLiteral("Unterminated string") : QStringLiteral("Unterminated field name"),
                         FTok.Pos);
                if (FSrc[i] == q) {
                    if (i + 1 < n && FSrc[i + 1] == q) {
                        s += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                s += FSrc[i++];
            }
            FPos = i;
            FTok.Kind = q == u'\'' ? tkString : tkQuotedName;
            FTok.Text = s;
            return;
        }
        if (c == u'[') {
            int close = int(FSrc.indexOf(u']', FPos + 1));
            if (close < 0)
                Fail(QStringLiteral("Missing ']'"), FTok.Pos);
            FTok.Kind = tkQuotedName;
            FTok.Text = FSrc.mid(FPos + 1, close - FPos - 1);
            FPos = close + 1;
            return;
        }
        if (c.isDigit() || (c == u'.' && FPos + 1 < n && FSrc[FPos + 1].isDigit())) {
            int i = FPos;
            while (i < n && FSrc[i].isDigit())
                ++i;
            // "." always; the regional separator too (filter texts write numbers that way),
            // except a comma where commas separate list items and arguments
            const QChar dec = FormatSettings.DecimalSeparator;
            bool regional = false;
            if (i + 1 < n && FSrc[i + 1].isDigit()
                && (FSrc[i] == u'.' || (FSrc[i] == dec && !(dec == u',' && FListDepth > 0)))) {
                regional = FSrc[i] != u'.';
                ++i;
                while (i < n && FSrc[i].isDigit())
                    ++i;
            } else if (i < n && FSrc[i] == u'.') {
                ++i;
            }
            if (i < n && (FSrc[i] == u'e' || FSrc[i] == u'E')) {
                int j = i + 1;
                if (j < n && (FSrc[j] == u'+' || FSrc[j] == u'-'))
                    ++j;
                if (j < n && FSrc[j].isDigit()) {
                    while (j < n && FSrc[j].isDigit())
                        ++j;
                    i = j;
                }
            }
            if (i < n && IsNameStart(FSrc[i]))
                Fail(QStringLiteral("Invalid number"), FTok.Pos);
            FTok.Kind = tkNumber;
            FTok.Text = FSrc.mid(FPos, i - FPos);
            if (regional)
                FTok.Text.replace(dec, u'.');
            FPos = i;
            return;
        }
        if (IsNameStart(c)) {
            int i = FPos;
            while (i < n && IsNameChar(FSrc[i]))
                ++i;
            FTok.Text = FSrc.mid(FPos, i - FPos);
            FPos = i;
            static const char* const kw[] = {"AND", "OR", "NOT", "LIKE", "IN", "IS", "NULL", "TRUE", "FALSE"};
            const QString up = FTok.Text.toUpper();
            FTok.Kind = tkName;
            for (const char* k : kw)
                if (up == QLatin1String(k)) {
                    FTok.Kind = tkKeyword;
                    FTok.Text = up;
                }
            return;
        }
        static const char* const ops2[] = {"<>", "<=", ">=", "!="};
        for (const char* o : ops2)
            if (FSrc.mid(FPos, 2) == QLatin1String(o)) {
                FTok.Kind = tkOp;
                FTok.Text = QLatin1String(o) == QLatin1String("!=") ? QStringLiteral("<>") : QString::fromLatin1(o);
                FPos += 2;
                return;
            }
        if (QStringLiteral("=<>+-*/(),").contains(c)) {
            FTok.Kind = tkOp;
            FTok.Text = c;
            ++FPos;
            return;
        }
        Fail(QStringLiteral("Invalid character '%1'").arg(c), FTok.Pos);
    }

    bool IsOp(const char* op) const { return FTok.Kind == tkOp && FTok.Text == QLatin1String(op); }
    bool IsKw(const char* kw) const { return FTok.Kind == tkKeyword && FTok.Text == QLatin1String(kw); }
    void Expect(const char* op)
    {
        if (!IsOp(op))
            Fail(FTok.Kind == tkEnd ? QStringLiteral("'%1' expected").arg(QLatin1String(op))
                                    : QStringLiteral("'%1' expected instead of '%2'").arg(QLatin1String(op), FTok.Text),
                 FTok.Pos);
        Next();
    }

    // ---- node makers ----
    static NodePtr Make(TExprNodeClass cls, TCANOperator op, int pos)
    {
        auto n = std::make_unique<Node>();
        n->Class = cls;
        n->Op = op;
        n->Pos = pos;
        return n;
    }
    static NodePtr Unary(TCANOperator op, NodePtr a, int pos, TValKind kind)
    {
        NodePtr n = Make(ncUnary, op, pos);
        n->Kids.push_back(std::move(a));
        n->Kind = kind;
        return n;
    }
    static NodePtr Binary(TCANOperator op, NodePtr a, NodePtr b, int pos, TValKind kind)
    {
        NodePtr n = Make(ncBinary, op, pos);
        n->Kids.push_back(std::move(a));
        n->Kids.push_back(std::move(b));
        n->Kind = kind;
        return n;
    }

    static void RequireBoolean(const Node& n)
    {
        if (n.Kind != vkBoolean && n.Kind != vkUnknown)
            Mismatch(n.Pos);
    }

    // ---- grammar ----
    NodePtr ParseOr()
    {
        NodePtr left = ParseAnd();
        while (IsKw("OR")) {
            int pos = FTok.Pos;
            Next();
            NodePtr right = ParseAnd();
            RequireBoolean(*left);
            RequireBoolean(*right);
            left = Binary(coOR, std::move(left), std::move(right), pos, vkBoolean);
        }
        return left;
    }

    NodePtr ParseAnd()
    {
        NodePtr left = ParseNot();
        while (IsKw("AND")) {
            int pos = FTok.Pos;
            Next();
            NodePtr right = ParseNot();
            RequireBoolean(*left);
            RequireBoolean(*right);
            left = Binary(coAND, std::move(left), std::move(right), pos, vkBoolean);
        }
        return left;
    }

    NodePtr ParseNot()
    {
        if (IsKw("NOT")) {
            int pos = FTok.Pos;
            Next();
            NodePtr a = ParseNot();
            RequireBoolean(*a);
            return Unary(coNOT, std::move(a), pos, vkBoolean);
        }
        return ParseComparison();
    }

    NodePtr ParseComparison()
    {
        NodePtr left = ParseAdditive();
        int pos = FTok.Pos;
        if (FTok.Kind == tkOp) {
            static const struct { const char* Text; TCANOperator Op; } ops[] = {
                {"=", coEQ}, {"<>", coNE}, {"<", coLT}, {">", coGT}, {"<=", coLE}, {">=", coGE}};
            for (const auto& o : ops)
                if (IsOp(o.Text)) {
                    Next();
                    if (IsKw("NULL")) {  // x = NULL reads as x IS NULL
                        if (o.Op != coEQ && o.Op != coNE)
                            Mismatch(FTok.Pos);
                        Next();
                        return Unary(o.Op == coEQ ? coISBLANK : coNOTBLANK, std::move(left), pos, vkBoolean);
                    }
                    NodePtr right = ParseAdditive();
                    return MakeComparison(o.Op, std::move(left), std::move(right), pos);
                }
            return left;
        }
        bool negate = false;
        if (IsKw("NOT")) {
            negate = true;
            Next();
            if (!IsKw("LIKE") && !IsKw("IN"))
                Fail(QStringLiteral("LIKE or IN expected"), FTok.Pos);
        }
        if (IsKw("LIKE")) {
            Next();
            NodePtr right = ParseAdditive();
            NodePtr n = MakeComparison(coLIKE, std::move(left), std::move(right), pos);
            return negate ? Unary(coNOT, std::move(n), pos, vkBoolean) : std::move(n);
        }
        if (IsKw("IN")) {
            Next();
            NodePtr n = ParseInList(std::move(left), pos);
            return negate ? Unary(coNOT, std::move(n), pos, vkBoolean) : std::move(n);
        }
        if (IsKw("IS")) {
            Next();
            bool isNot = false;
            if (IsKw("NOT")) {
                isNot = true;
                Next();
            }
            if (!IsKw("NULL"))
                Fail(QStringLiteral("NULL expected"), FTok.Pos);
            Next();
            return Unary(isNot ? coNOTBLANK : coISBLANK, std::move(left), pos, vkBoolean);
        }
        return left;
    }

    NodePtr ParseInList(NodePtr left, int pos)
    {
        ++FListDepth;  // before the bracket is passed, so the first item is scanned as a list item
        Expect("(");
        NodePtr list = Make(ncListElem, coLISTELEM2, FTok.Pos);
        list->IsList = true;
        for (;;) {
            NodePtr item = ParseAdditive();
            Coerce(*item, *left);
            Coerce(*left, *item);
            CheckComparable(*left, *item, coEQ, item->Pos);
            list->Kids.push_back(std::move(item));
            if (IsOp(",")) {
                Next();
                continue;
            }
            --FListDepth;
            Expect(")");
            break;
        }
        return Binary(coIN, std::move(left), std::move(list), pos, vkBoolean);
    }

    NodePtr MakeComparison(TCANOperator op, NodePtr left, NodePtr right, int pos)
    {
        if (op != coLIKE) {  // LIKE stays a text test: its pattern is never converted
            Coerce(*left, *right);
            Coerce(*right, *left);
        }
        if (op == coLIKE) {
            if ((left->Kind != vkText && left->Kind != vkUnknown) || (right->Kind != vkText && right->Kind != vkUnknown))
                Mismatch(left->Kind != vkText && left->Kind != vkUnknown ? left->Pos : right->Pos);
        } else {
            CheckComparable(*left, *right, op, pos);
        }
        const bool texts = (left->Kind == vkText || left->Kind == vkUnknown) && (right->Kind == vkText || right->Kind == vkUnknown)
                           && (left->Kind == vkText || right->Kind == vkText);
        if (texts && (op == coEQ || op == coNE || op == coLIKE)) {
            NodePtr n = Make(ncCompare, op, pos);
            n->CaseFlag = FOpts.Contains(foCaseInsensitive) ? 1 : 0;
            if (op != coLIKE && !FOpts.Contains(foNoPartialCompare)) {
                for (Node* lit : {left.get(), right.get()})
                    if (lit->SourceLiteral && lit->Lit == lkText && lit->Text.endsWith(u'*')) {
                        lit->Text.chop(1);
                        n->Partial = int(lit->Text.size());
                        break;
                    }
            }
            n->Kids.push_back(std::move(left));
            n->Kids.push_back(std::move(right));
            n->Kind = vkBoolean;
            return n;
        }
        return Binary(op, std::move(left), std::move(right), pos, vkBoolean);
    }

    static void CheckComparable(const Node& a, const Node& b, TCANOperator, int pos)
    {
        if (a.Kind == vkUnknown || b.Kind == vkUnknown || a.Kind == b.Kind)
            return;
        // dates are day numbers, and a Boolean compares with 0 and 1 ("hide=0")
        auto pair = [&](TValKind x, TValKind y) { return (a.Kind == x && b.Kind == y) || (a.Kind == y && b.Kind == x); };
        if (pair(vkNumber, vkDate) || pair(vkNumber, vkBoolean))
            return;
        Mismatch(b.Pos > pos ? b.Pos : pos);
    }

    // A text literal met by a number, date or Boolean takes that type.
    void Coerce(Node& lit, const Node& other)
    {
        if (!lit.SourceLiteral || other.Kind == vkUnknown || other.Kind == vkText)
            return;
        TFieldType target = other.TypeHint;
        if (lit.Lit == lkText) {
            const QString s = lit.Text;
            if (other.Kind == vkBoolean) {
                bool b;
                if (!TryStrToBool(s, b))
                    Mismatch(lit.Pos);
                lit.Lit = lkBool;
                lit.Bool = b;
                lit.Kind = vkBoolean;
                return;
            }
            if (other.Kind == vkDate) {
                TDateTime d;
                if (target == ftDate) {
                    if (!TryStrToDate(s, d) && !TryStrToDateTime(s, d))
                        Mismatch(lit.Pos);
                    lit.Lit = lkDate;
                } else if (target == ftTime) {
                    if (!TryStrToTime(s, d))
                        Mismatch(lit.Pos);
                    lit.Lit = lkTime;
                } else {
                    if (!TryStrToDateTime(s, d))
                        Mismatch(lit.Pos);
                    lit.Lit = lkDateTime;
                }
                lit.Float = d;
                lit.Kind = vkDate;
                return;
            }
            // a number: regional spelling first, then the expression's own
            if (IsIntegerType(target)) {
                int64_t v;
                if (!TryStrToInt64(s.trimmed(), v))
                    Mismatch(lit.Pos);
                lit.Lit = lkInt;
                lit.Int = v;
            } else if (IsMoneyType(target)) {
                TBcd b;
                if (!TryStrToBcd(s.trimmed(), b) && !TryStrToBcd(s.trimmed(), b, TFormatSettings::Invariant()))
                    Mismatch(lit.Pos);
                lit.Lit = lkBcd;
                lit.Bcd = b;
            } else {
                double v;
                if (!TryStrToFloat(s.trimmed(), v) && !TryStrToFloat(s.trimmed(), v, TFormatSettings::Invariant()))
                    Mismatch(lit.Pos);
                lit.Lit = lkFloat;
                lit.Float = v;
            }
            lit.Kind = vkNumber;
            return;
        }
        // A number met by a Boolean is a Boolean: 0 is False, anything else True.
        if ((lit.Lit == lkInt || lit.Lit == lkFloat) && other.Kind == vkBoolean) {
            lit.Bool = lit.Lit == lkInt ? lit.Int != 0 : lit.Float != 0;
            lit.Lit = lkBool;
            lit.Kind = vkBoolean;
            return;
        }
        // A number literal met by a money field is kept exact.
        if ((lit.Lit == lkInt || lit.Lit == lkFloat) && IsMoneyType(target)) {
            TBcd b;
            if (TryStrToBcd(lit.Text, b, TFormatSettings::Invariant())) {
                lit.Lit = lkBcd;
                lit.Bcd = b;
            }
        }
    }

    NodePtr ParseAdditive()
    {
        NodePtr left = ParseMultiplicative();
        while (IsOp("+") || IsOp("-")) {
            const bool add = IsOp("+");
            int pos = FTok.Pos;
            Next();
            NodePtr right = ParseMultiplicative();
            TValKind kind = Arithmetic(add ? coADD : coSUB, *left, *right, pos);
            left = Binary(add ? coADD : coSUB, std::move(left), std::move(right), pos, kind);
        }
        return left;
    }

    NodePtr ParseMultiplicative()
    {
        NodePtr left = ParseUnary();
        while (IsOp("*") || IsOp("/")) {
            const bool mul = IsOp("*");
            int pos = FTok.Pos;
            Next();
            NodePtr right = ParseUnary();
            TValKind kind = Arithmetic(mul ? coMUL : coDIV, *left, *right, pos);
            left = Binary(mul ? coMUL : coDIV, std::move(left), std::move(right), pos, kind);
        }
        return left;
    }

    static TValKind Arithmetic(TCANOperator op, const Node& a, const Node& b, int pos)
    {
        if (op == coADD && (a.Kind == vkText || b.Kind == vkText)) {
            if ((a.Kind != vkText && a.Kind != vkUnknown) || (b.Kind != vkText && b.Kind != vkUnknown))
                Mismatch(pos);
            return vkText;
        }
        for (const Node* n : {&a, &b})
            if (n->Kind == vkText || n->Kind == vkBoolean)
                Mismatch(n->Pos);
        if (a.Kind == vkUnknown || b.Kind == vkUnknown)
            return vkUnknown;
        if ((op == coADD || op == coSUB) && (a.Kind == vkDate) != (b.Kind == vkDate))
            return vkDate;
        return vkNumber;
    }

    NodePtr ParseUnary()
    {
        if (IsOp("-")) {
            int pos = FTok.Pos;
            Next();
            NodePtr a = ParseUnary();
            if (a->SourceLiteral && (a->Lit == lkInt || a->Lit == lkFloat)) {
                a->Int = -a->Int;
                a->Float = -a->Float;
                a->Text.prepend(u'-');
                a->Pos = pos;
                return a;
            }
            if (a->Kind != vkNumber && a->Kind != vkUnknown)
                Mismatch(a->Pos);
            NodePtr zero = Make(ncConst, coCONST2, pos);
            zero->Lit = lkInt;
            zero->Kind = vkNumber;
            zero->Text = QStringLiteral("0");
            TValKind kind = a->Kind;
            return Binary(coSUB, std::move(zero), std::move(a), pos, kind);
        }
        if (IsOp("+")) {
            Next();
            return ParseUnary();
        }
        return ParsePrimary();
    }

    NodePtr ParsePrimary()
    {
        const Token t = FTok;
        switch (t.Kind) {
        case tkEnd:
            Fail(QStringLiteral("Expression expected"), t.Pos);
        case tkOp:
            if (t.Text == QLatin1String("(")) {
                Next();
                NodePtr n = ParseOr();
                Expect(")");
                return n;
            }
            Fail(QStringLiteral("Unexpected '%1'").arg(t.Text), t.Pos);
        case tkString: {
            Next();
            NodePtr n = Make(ncConst, coCONST2, t.Pos);
            n->Lit = lkText;
            n->Text = t.Text;
            n->Kind = vkText;
            n->SourceLiteral = true;
            return n;
        }
        case tkNumber: {
            Next();
            NodePtr n = Make(ncConst, coCONST2, t.Pos);
            n->SourceLiteral = true;
            n->Kind = vkNumber;
            n->Text = t.Text;
            bool ok = false;
            if (!t.Text.contains(u'.') && !t.Text.contains(u'e', Qt::CaseInsensitive)) {
                n->Int = t.Text.toLongLong(&ok);
                n->Float = double(n->Int);
            }
            if (ok) {
                n->Lit = lkInt;
            } else {
                n->Lit = lkFloat;
                n->Float = t.Text.toDouble(&ok);
                if (!ok || !std::isfinite(n->Float))
                    Fail(QStringLiteral("Invalid number"), t.Pos);
            }
            return n;
        }
        case tkKeyword:
            if (t.Text == QLatin1String("TRUE") || t.Text == QLatin1String("FALSE")) {
                Next();
                NodePtr n = Make(ncConst, coCONST2, t.Pos);
                n->Lit = lkBool;
                n->Bool = t.Text == QLatin1String("TRUE");
                n->Kind = vkBoolean;
                n->SourceLiteral = true;
                return n;
            }
            Fail(QStringLiteral("Unexpected '%1'").arg(t.Text), t.Pos);
        case tkName:
            Next();
            if (IsOp("("))
                return ParseFunction(t);
            return MakeField(t);
        case tkQuotedName:
            Next();
            return MakeField(t);
        }
        Fail(QStringLiteral("Expression expected"), t.Pos);
    }

    NodePtr MakeField(const Token& t)
    {
        TExprFieldInfo info;
        if (t.Text.isEmpty() || !FResolver || !FResolver(t.Text, info))
            Fail(QStringLiteral("Field '%1' not found").arg(t.Text), t.Pos);
        NodePtr n = Make(ncField, coFIELD2, t.Pos);
        n->FieldNo = info.FieldNo > 0 ? info.FieldNo : 0;  // calculated and lookup fields are read by name
        n->Name = info.FieldName.isEmpty() ? t.Text : info.FieldName;
        n->FieldType = info.DataType;
        n->Kind = KindOfFieldType(info.DataType);
        n->TypeHint = info.DataType;
        bool seen = false;
        for (const QString& f : FFieldNames)
            if (f.compare(n->Name, Qt::CaseInsensitive) == 0)
                seen = true;
        if (!seen)
            FFieldNames << n->Name;
        return n;
    }

    NodePtr ParseFunction(const Token& name)
    {
        const QString up = name.Text.toUpper();
        ++FListDepth;
        Next();  // "("
        std::vector<NodePtr> args;
        bool star = false;
        if (IsOp("*") && up == QLatin1String("COUNT")) {
            star = true;
            Next();
        } else if (!IsOp(")")) {
            for (;;) {
                args.push_back(ParseOr());
                if (!IsOp(","))
                    break;
                Next();
            }
        }
        --FListDepth;
        Expect(")");
        const int argc = int(args.size());
        auto wrongCount = [&]() { Fail(QStringLiteral("Incorrect number of arguments in function <%1>").arg(up), name.Pos); };

        if (up == QLatin1String("UPPER") || up == QLatin1String("LOWER")) {
            if (argc != 1)
                wrongCount();
            if (args[0]->Kind != vkText && args[0]->Kind != vkUnknown)
                Mismatch(args[0]->Pos);
            return Unary(up == QLatin1String("UPPER") ? coUPPER : coLOWER, std::move(args[0]), name.Pos, vkText);
        }
        const FuncSpec* spec = nullptr;
        for (const FuncSpec& f : kFuncs)
            if (up == QLatin1String(f.Name))
                spec = &f;
        if (!spec)
            Fail(QStringLiteral("Unknown function '%1'").arg(name.Text), name.Pos);
        if (spec->Aggregate && !FParserOpts.Contains(poAggregate))
            Fail(QStringLiteral("Aggregates are not allowed here: %1").arg(up), name.Pos);
        if (star ? up != QLatin1String("COUNT") : (argc < spec->MinArgs || argc > spec->MaxArgs))
            wrongCount();
        if (up == QLatin1String("COUNT") && !star && argc == 0)
            wrongCount();

        NodePtr n = Make(ncFunc, coFUNC2, name.Pos);
        n->Name = up;
        TValKind kind = vkUnknown;
        auto requireText = [](const Node& a) {
            if (a.Kind != vkText && a.Kind != vkUnknown)
                Mismatch(a.Pos);
        };
        auto requireNumber = [](const Node& a) {
            if (a.Kind != vkNumber && a.Kind != vkUnknown)
                Mismatch(a.Pos);
        };
        if (up == QLatin1String("SUBSTRING")) {
            requireText(*args[0]);
            for (int i = 1; i < argc; ++i)
                requireNumber(*args[i]);
            kind = vkText;
        } else if (up.startsWith(QLatin1String("TRIM"))) {
            for (auto& a : args)
                requireText(*a);
            kind = vkText;
        } else if (up == QLatin1String("GETDATE")) {
            kind = vkDate;
            n->TypeHint = ftDateTime;
        } else if (spec->Aggregate) {
            if (up == QLatin1String("MIN") || up == QLatin1String("MAX")) {
                kind = args[0]->Kind;
                n->TypeHint = args[0]->TypeHint;
            } else {
                if (up != QLatin1String("COUNT"))
                    for (auto& a : args)
                        if (a->Kind == vkText || a->Kind == vkBoolean)
                            Mismatch(a->Pos);
                kind = vkNumber;
                n->TypeHint = up == QLatin1String("COUNT") ? ftInteger : ftFloat;
            }
        } else {
            // date parts, DATE and TIME read a date-time; a text literal is read as one
            Node dateHint;
            dateHint.Kind = vkDate;
            dateHint.TypeHint = ftDateTime;
            Coerce(*args[0], dateHint);
            if (args[0]->Kind != vkDate && args[0]->Kind != vkUnknown)
                Mismatch(args[0]->Pos);
            if (up == QLatin1String("DATE")) {
                kind = vkDate;
                n->TypeHint = ftDate;
            } else if (up == QLatin1String("TIME")) {
                kind = vkDate;
                n->TypeHint = ftTime;
            } else {
                kind = vkNumber;
                n->TypeHint = ftInteger;
            }
        }
        n->Kind = kind;
        for (auto& a : args)
            n->Kids.push_back(std::move(a));
        return n;
    }

    // ---- serialisation ----
    QByteArray FNodes;
    QByteArray FPool;
    int FNodeCount = 0;

    void CheckSize(int pos) const
    {
        if (ExprHeaderSize + FNodes.size() + FPool.size() > ExprMaxSize)
            Fail(QStringLiteral("Expression is too large: its compiled form exceeds 64 KB"), pos);
    }

    static void PutWord(QByteArray& b, int at, int v)
    {
        b[at] = char(v & 0xFF);
        b[at + 1] = char((v >> 8) & 0xFF);
    }
    static void AppendBytes(QByteArray& b, const void* p, int n) { b.append(static_cast<const char*>(p), n); }
    template <typename T> static void AppendLE(QByteArray& b, T v)
    {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &v, sizeof(T));  // the host is little-endian (x86-64, aarch64 Linux)
        AppendBytes(b, raw, int(sizeof(T)));
    }

    int AddLiteral(const QByteArray& bytes, int pos)
    {
        int off = int(FPool.size());
        FPool.append(bytes);
        CheckSize(pos);
        return off;
    }
    int AddName(const QString& name, int pos)
    {
        QByteArray b = name.toUtf8();
        b.append('\0');
        return AddLiteral(b, pos);
    }

    // Reserves a node with `words` operand words; returns its offset from the node area.
    int BeginNode(const Node& n, TExprNodeClass cls, TCANOperator op, int words)
    {
        int off = int(FNodes.size());
        AppendLE<uint32_t>(FNodes, uint32_t(cls));
        AppendLE<uint32_t>(FNodes, uint32_t(op));
        FNodes.append(QByteArray(words * 2, '\0'));
        ++FNodeCount;
        CheckSize(n.Pos);
        return off;
    }
    void SetOperand(int nodeOff, int index, int value) { PutWord(FNodes, nodeOff + 8 + index * 2, value); }

    void ConstBytes(const Node& n, uint16_t& code, QByteArray& bytes)
    {
        switch (n.Lit) {
        case lkText: {
            bool ascii = true;
            for (QChar c : n.Text)
                if (c.unicode() == 0 || c.unicode() > 0x7F)
                    ascii = false;
            if (ascii) {
                code = ecString;
                bytes = n.Text.toLatin1();
                bytes.append('\0');
            } else {
                code = ecWideText;
                const int len = int(n.Text.size()) * 2;
                AppendLE<uint16_t>(bytes, uint16_t(len));
                AppendBytes(bytes, n.Text.utf16(), len);
            }
            return;
        }
        case lkInt:
            if (n.Int >= INT32_MIN && n.Int <= INT32_MAX) {
                code = ecInteger;
                AppendLE<int32_t>(bytes, int32_t(n.Int));
            } else {
                code = ecLargeint;
                AppendLE<int64_t>(bytes, n.Int);
            }
            return;
        case lkFloat:
            code = ecFloat;
            AppendLE<double>(bytes, n.Float);
            return;
        case lkBool:
            code = ecBoolean;
            AppendLE<uint16_t>(bytes, n.Bool ? 1 : 0);
            return;
        case lkBcd:
            code = ecBCD;
            AppendBytes(bytes, &n.Bcd, int(sizeof(TBcd)));
            return;
        case lkDate:
            code = ecDate;
            AppendLE<int32_t>(bytes, int32_t(std::floor(n.Float)) + ExprDateDelta);
            return;
        case lkTime: {
            code = ecTime;
            double frac = std::fabs(n.Float - std::trunc(n.Float));
            AppendLE<int32_t>(bytes, int32_t(std::llround(frac * 86400000.0)));
            return;
        }
        case lkDateTime: {
            code = ecDateTime;
            // whole days and milliseconds apart, so the time of day does not pick up rounding noise
            double day = std::floor(n.Float);
            double ms = std::round((n.Float - day) * 86400000.0);
            AppendLE<double>(bytes, (day + ExprDateDelta) * 86400000.0 + ms);
            return;
        }
        case lkNone:
            break;
        }
        Fail(QStringLiteral("Expression expected"), n.Pos);
    }

    int Emit(const Node& n)
    {
        switch (n.Class) {
        case ncUnary: {
            int off = BeginNode(n, ncUnary, n.Op, 1);
            SetOperand(off, 0, Emit(*n.Kids[0]));
            return off;
        }
        case ncBinary: {
            int off = BeginNode(n, ncBinary, n.Op, 2);
            SetOperand(off, 0, Emit(*n.Kids[0]));
            SetOperand(off, 1, Emit(*n.Kids[1]));
            return off;
        }
        case ncCompare: {
            int off = BeginNode(n, ncCompare, n.Op, 4);
            SetOperand(off, 0, n.CaseFlag);
            SetOperand(off, 1, n.Partial);
            SetOperand(off, 2, Emit(*n.Kids[0]));
            SetOperand(off, 3, Emit(*n.Kids[1]));
            return off;
        }
        case ncField: {
            int off = BeginNode(n, ncField, coFIELD2, 2);
            SetOperand(off, 0, n.FieldNo);
            SetOperand(off, 1, AddName(n.Name, n.Pos));
            return off;
        }
        case ncConst: {
            uint16_t code = ecUnknown;
            QByteArray bytes;
            ConstBytes(n, code, bytes);
            int off = BeginNode(n, ncConst, coCONST2, 3);
            SetOperand(off, 0, code);
            SetOperand(off, 1, int(bytes.size()));
            SetOperand(off, 2, AddLiteral(bytes, n.Pos));
            return off;
        }
        case ncFunc: {
            int off = BeginNode(n, ncFunc, coFUNC2, 2);
            SetOperand(off, 0, AddName(n.Name, n.Pos));
            SetOperand(off, 1, EmitList(n.Kids, n));
            return off;
        }
        case ncListElem:
            return EmitList(n.Kids, n);
        default:
            break;
        }
        Fail(QStringLiteral("Expression expected"), n.Pos);
    }

    int EmitList(const std::vector<NodePtr>& items, const Node& owner)
    {
        int first = 0;
        int prev = -1;
        for (const NodePtr& item : items) {
            int off = BeginNode(owner, ncListElem, coLISTELEM2, 2);
            if (prev >= 0)
                SetOperand(prev, 1, off);
            else
                first = off;
            SetOperand(off, 0, Emit(*item));
            prev = off;
        }
        return first;
    }

    QByteArray Serialise(const Node& root)
    {
        Emit(root);
        const int poolStart = ExprHeaderSize + int(FNodes.size());
        const int total = poolStart + int(FPool.size());
        if (total > ExprMaxSize)
            Fail(QStringLiteral("Expression is too large: its compiled form exceeds 64 KB"), 1);
        QByteArray out(ExprHeaderSize, '\0');
        PutWord(out, 0, total);
        PutWord(out, 2, FNodeCount);
        PutWord(out, 4, ExprHeaderSize);
        PutWord(out, 6, int(FPool.size()));
        PutWord(out, 8, poolStart);
        out.append(FNodes);
        out.append(FPool);
        return out;
    }
};

}  // namespace

TExprParser::TExprParser(TExprFieldResolver Resolver, const QString& Text, TFilterOptions FilterOptions,
                         TParserOptions ParserOptions)
    : FText(Text)
{
    Compile(Resolver, Text, FilterOptions, ParserOptions);
}

TExprParser::TExprParser(TDataSet* DataSet, const QString& Text, TFilterOptions FilterOptions,
                         TParserOptions ParserOptions)
    : FText(Text)
{
    TExprFieldResolver resolver = [DataSet](const QString& name, TExprFieldInfo& info) {
        TField* f = DataSet ? DataSet->FindField(name) : nullptr;
        if (!f)
            return false;
        info.FieldNo = f->FieldNo();
        info.DataType = f->DataType();
        info.FieldName = f->FieldName();
        return true;
    };
    Compile(resolver, Text, FilterOptions, ParserOptions);
}

TExprParser::~TExprParser() = default;

void TExprParser::Compile(const TExprFieldResolver& resolver, const QString& text, TFilterOptions fo,
                          TParserOptions po)
{
    Compiler c(resolver, text, fo, po, FFieldNames);
    FData = c.Run();
}
