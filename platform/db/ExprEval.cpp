// The evaluator of the compiled form (DBCommon.h describes it): filters and expressions of
// every dataset read through it.
#include "DBCommon.h"
#include "platform/rtl/Guards.h"

#include "DB.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

TExprEvaluator::~TExprEvaluator() = default;

Variant TExprEvaluator::Aggregate(const QString&, int)
{
    return Variant::Null();
}

uint16_t TExprEvaluator::Word(int Pos) const
{
    if (Pos < 0 || Pos + 2 > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    return qFromLittleEndian<uint16_t>(FExprData.constData() + Pos);
}

int32_t TExprEvaluator::Int(int Pos) const
{
    if (Pos < 0 || Pos + 4 > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    return qFromLittleEndian<int32_t>(FExprData.constData() + Pos);
}

QString TExprEvaluator::PoolName(int Off) const
{
    const int start = Word(8) + Off;
    int end = start;
    while (end < FExprData.size() && FExprData[end] != '\0')
        ++end;
    return QString::fromUtf8(FExprData.constData() + start, end - start);
}

namespace {

bool IsText(const Variant& v)
{
    return VarIsStr(v);
}

[[noreturn]] void NotSupported(int cls, int op)
{
    throw Exception(QStringLiteral("Operator <%d:%d> not supported."), {cls, op});
}

int CompareTexts(const QString& a, const QString& b, bool caseIns)
{
    return CompareTextAs(a, b, caseIns ? vcLocaleNoCase : vcLocale);
}

QString TrimChar(const QString& s, QChar c, bool left, bool right)
{
    int b = 0, e = int(s.size());
    if (left)
        while (b < e && s[b] == c)
            ++b;
    if (right)
        while (e > b && s[e - 1] == c)
            --e;
    return s.mid(b, e - b);
}

} // namespace

Variant TExprEvaluator::ReadConstant(int Type, int Size, int ValueOff) const
{
    const int pos = Word(8) + ValueOff;
    if (pos < 0 || pos + Size > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    const char* p = FExprData.constData() + pos;
    if (Type == ecWideText) {
        const int bytes = qFromLittleEndian<uint16_t>(p);
        return Variant(QString::fromUtf16(reinterpret_cast<const char16_t*>(p + 2), bytes / 2));
    }
    static const TFieldType map[] = {ftUnknown, ftString, ftDate, ftBlob, ftBoolean, ftSmallint, ftInteger,
                                     ftFloat, ftBCD, ftBytes, ftTime, ftDateTime, ftWord, ftInteger, ftUnknown,
                                     ftVarBytes, ftUnknown, ftUnknown, ftLargeint, ftLargeint, ftADT, ftArray,
                                     ftReference, ftDataSet, ftTimeStamp, ftFMTBcd, ftWideString};
    if (Type < 0 || Type > 26)
        return Variant::Null();
    const TFieldType ft = map[Type];
    switch (ft) {
    case ftString: case ftFixedChar: case ftWideString: case ftGuid:
        return Variant(QString::fromLatin1(p, std::max(Size - 1, 0)));
    case ftSmallint: return Variant::FromSmallint(qFromLittleEndian<int16_t>(p));
    case ftInteger: case ftAutoInc: return Variant(int(qFromLittleEndian<int32_t>(p)));
    case ftWord: return Variant::FromWord(qFromLittleEndian<uint16_t>(p));
    case ftBoolean: return Variant(qFromLittleEndian<uint16_t>(p) != 0);
    case ftFloat: case ftCurrency: {
        double d;
        std::memcpy(&d, p, 8);
        return Variant(d);
    }
    case ftBCD: case ftFMTBcd: {
        TBcd b;
        std::memcpy(&b, p, std::min<int>(Size, int(sizeof(TBcd))));
        Currency c;
        if (!BcdToCurr(b, c))
            return Variant::Null();
        return Variant(c);
    }
    case ftDate:
        return Variant::FromDate(double(qFromLittleEndian<int32_t>(p)) - ExprDateDelta);
    case ftTime:
        return Variant::FromDate(double(qFromLittleEndian<int32_t>(p)) / 86400000.0);
    case ftDateTime: {
        double ms;
        std::memcpy(&ms, p, 8);
        ms = std::round(ms);
        const double days = std::floor(ms / 86400000.0);
        return Variant::FromDate(days - ExprDateDelta + (ms - days * 86400000.0) / 86400000.0);
    }
    case ftLargeint: return Variant(static_cast<long long>(qFromLittleEndian<int64_t>(p)));
    case ftTimeStamp: {
        TSQLTimeStamp ts;
        std::memcpy(&ts, p, std::min<int>(Size, int(sizeof(TSQLTimeStamp))));
        return VarSQLTimeStampCreate(ts);
    }
    default:
        throw Exception(QStringLiteral("Unsupported data type: [%d]."), {int(ft)});
    }
}

Variant TExprEvaluator::EvalNode(int Off)
{
    const int base = NodeBase(Off);
    const int cls = Int(base);
    const int op = Int(base + 4);
    const int w = base + 8;
    const bool caseIns = EvalOptions().Contains(foCaseInsensitive);
    switch (cls) {
    case ncUnary: {
        switch (op) {
        case coISBLANK: case coNOTBLANK: {
            const Variant v = EvalNode(Word(w));
            const bool blank = IsText(v) ? v.AsString().isEmpty() : (v.IsNull() || v.IsEmpty());
            return Variant(op == coISBLANK ? blank : !blank);
        }
        case coNOT: {
            const Variant v = EvalNode(Word(w));
            if (v.IsNull())
                return Variant::Null();
            return Variant(!v.AsBoolean());
        }
        case coUPPER: case coLOWER: {
            const Variant v = EvalNode(Word(w));
            if (v.IsNull())
                return v;
            return Variant(op == coUPPER ? AnsiUpperCase(VarToStr(v)) : AnsiLowerCase(VarToStr(v)));
        }
        default:
            NotSupported(cls, op);
        }
    }
    case ncBinary: {
        if (op == coIN) {
            const Variant left = EvalNode(Word(w));
            const std::vector<Variant> args = EvalArgs(Word(w + 2));
            for (const Variant& a : args)
                if (VarOrderEquals(left, a, {vcLocale, true, true}))
                    return Variant(true);
            return Variant(false);
        }
        const Variant a = EvalNode(Word(w));
        const Variant b = EvalNode(Word(w + 2));
        switch (op) {
        case coEQ: case coNE: case coGT: case coLT: case coGE: case coLE: {
            int c;
            if (IsText(a) || IsText(b)) {
                c = CompareTexts(VarToStr(a), VarToStr(b), caseIns);
            } else if (a.IsNull() || b.IsNull() || a.IsEmpty() || b.IsEmpty()) {
                const bool na = a.IsNull() || a.IsEmpty(), nb = b.IsNull() || b.IsEmpty();
                c = na && nb ? 0 : (na ? -1 : 1);
            } else {
                c = VarOrder(a, b);
            }
            switch (op) {
            case coEQ: return Variant(c == 0);
            case coNE: return Variant(c != 0);
            case coGT: return Variant(c > 0);
            case coLT: return Variant(c < 0);
            case coGE: return Variant(c >= 0);
            default: return Variant(c <= 0);
            }
        }
        case coAND: case coOR:
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return Variant(op == coAND ? (a.AsBoolean() && b.AsBoolean()) : (a.AsBoolean() || b.AsBoolean()));
        case coADD:
            if (a.IsNull() && b.IsNull())
                return Variant::Null();
            if (IsText(a) || IsText(b))
                return Variant(VarToStr(a) + VarToStr(b));
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return a + b;
        case coSUB: case coMUL: case coDIV:
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return op == coSUB ? a - b : (op == coMUL ? a * b : a / b);
        case coLIKE:
            return Variant(MatchLikePattern(VarToStr(a), VarToStr(b), caseIns));
        default:
            NotSupported(cls, op);
        }
    }
    case ncCompare: {
        if (op != coEQ && op != coNE && op != coLIKE)
            NotSupported(cls, op);
        const bool ci = Word(w) == 1;
        const int partial = Word(w + 2);
        QString a = VarToStr(EvalNode(Word(w + 4)));
        QString b = VarToStr(EvalNode(Word(w + 6)));
        if (op == coLIKE)
            return Variant(MatchLikePattern(a, b, ci));
        if (partial > 0) {
            a = a.left(partial);
            b = b.left(partial);
        }
        const bool eq = CompareTexts(a, b, ci) == 0;
        return Variant(op == coEQ ? eq : !eq);
    }
    case ncField: {
        if (op != coFIELD2)
            NotSupported(cls, op);
        return FieldValue(Word(w), PoolName(Word(w + 2)));
    }
    case ncConst:
        if (op != coCONST2)
            NotSupported(cls, op);
        return ReadConstant(Word(w), Word(w + 2), Word(w + 4));
    case ncFunc: {
        if (op != coFUNC2)
            NotSupported(cls, op);
        return EvalFunction(PoolName(Word(w)).toUpper(), Word(w + 2));
    }
    case ncListElem: {
        if (op != coLISTELEM2)
            NotSupported(cls, op);
        FArgs.push_back(EvalNode(Word(w)));
        if (const int next = Word(w + 2))
            EvalNode(next);
        return Variant(true);
    }
    default:
        return Variant::Null();
    }
}

std::vector<Variant> TExprEvaluator::EvalArgs(int ListNode)
{
    std::vector<Variant> saved;
    saved.swap(FArgs);
    {
        auto undo = OnFailure([&] { FArgs.swap(saved); });
        if (ListNode)
            EvalNode(ListNode);
    }
    std::vector<Variant> args;
    args.swap(FArgs);
    FArgs.swap(saved);
    return args;
}

Variant TExprEvaluator::EvalFunction(const QString& Name, int ArgNode)
{
    if (Name == QLatin1String("SUM") || Name == QLatin1String("MIN") || Name == QLatin1String("MAX")
        || Name == QLatin1String("AVG") || Name == QLatin1String("COUNT")) {
        if (ArgNode == 0 && Name != QLatin1String("COUNT"))
            throw Exception(QStringLiteral("Incorrect number of arguments in function <%s>"), {Name});
        return Aggregate(Name, ArgNode);
    }
    // Each call collects its own arguments, so calls nested in arguments do not disturb them.
    const std::vector<Variant> args = EvalArgs(ArgNode);
    const int n = int(args.size());
    auto need = [&](int lo, int hi) {
        if (n < lo || n > hi)
            throw Exception(QStringLiteral("Incorrect number of arguments in function <%s>"), {Name});
    };
    auto nullFirst = [&]() { return n > 0 && (args[0].IsNull() || args[0].IsEmpty()); };

    if (Name == QLatin1String("SUBSTRING")) {
        need(2, 3);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        const int start = args[1].AsInteger();
        const int len = n == 3 ? args[2].AsInteger() : int(s.size());
        return Variant(Copy(s, start, len));
    }
    if (Name == QLatin1String("UPPER") || Name == QLatin1String("LOWER")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        return Variant(Name == QLatin1String("UPPER") ? AnsiUpperCase(s) : AnsiLowerCase(s));
    }
    if (Name == QLatin1String("TRIM") || Name == QLatin1String("TRIMLEFT") || Name == QLatin1String("TRIMRIGHT")) {
        need(1, 2);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        QChar c = u' ';
        if (n == 2) {
            const QString t = VarToStr(args[1]);
            if (t.size() != 1)
                return Variant(s);
            c = t[0];
        }
        return Variant(TrimChar(s, c, Name != QLatin1String("TRIMRIGHT"), Name != QLatin1String("TRIMLEFT")));
    }
    if (Name == QLatin1String("YEAR") || Name == QLatin1String("MONTH") || Name == QLatin1String("DAY")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        int y, m, d;
        DecodeDate(args[0].AsDateTime(), y, m, d);
        return Variant(Name == QLatin1String("YEAR") ? y : (Name == QLatin1String("MONTH") ? m : d));
    }
    if (Name == QLatin1String("HOUR") || Name == QLatin1String("MINUTE") || Name == QLatin1String("SECOND")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        int h, mi, s, ms;
        DecodeTime(args[0].AsDateTime(), h, mi, s, ms);
        return Variant(Name == QLatin1String("HOUR") ? h : (Name == QLatin1String("MINUTE") ? mi : s));
    }
    if (Name == QLatin1String("GETDATE")) {
        need(0, 0);
        return Variant::FromDate(Now());
    }
    if (Name == QLatin1String("DATE") || Name == QLatin1String("TIME")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        const double d = args[0].AsDateTime();
        const double day = std::trunc(d);
        return Variant::FromDate(Name == QLatin1String("DATE") ? day : std::fabs(d - day));
    }
    throw Exception(QStringLiteral("Unsupported function: %s"), {Name});
}

bool TExprEvaluator::MatchLikePattern(const QString& AText, const QString& APattern, bool CaseInsensitive)
{
    if (AText == APattern)
        return true;
    QString pattern = APattern;
    for (;;) {
        const QString before = pattern;
        pattern.replace(QStringLiteral("%%"), QStringLiteral("%"));
        if (pattern == before)
            break;
    }
    for (;;) {
        const QString before = pattern;
        pattern.replace(QStringLiteral("_%"), QStringLiteral("%"));
        pattern.replace(QStringLiteral("%_"), QStringLiteral("%"));
        if (pattern == before)
            break;
    }
    if (pattern == QStringLiteral("%"))
        return true;
    if (AText.isEmpty() || pattern.isEmpty())
        return false;
    QString text = AText;
    if (CaseInsensitive) {
        text = AnsiUpperCase(text);
        pattern = AnsiUpperCase(pattern);
    }
    auto segMatchAt = [&](const QString& seg, int at) {
        if (at + seg.size() > text.size())
            return false;
        for (int k = 0; k < seg.size(); ++k)
            if (seg[k] != u'_' && seg[k] != text[at + k])
                return false;
        return true;
    };
    int p = 0, t = 0;
    const int pl = int(pattern.size()), tl = int(text.size());
    while (p < pl && t < tl) {
        const QChar pc = pattern[p];
        if (pc == text[t] || pc == u'_') {
            ++p;
            ++t;
            continue;
        }
        if (pc != u'%')
            return false;
        const int next = pattern.indexOf(u'%', p + 1);
        if (next < 0) {
            const QString seg = pattern.mid(p + 1);
            if (seg.isEmpty())
                return true;
            const int at = tl - int(seg.size());
            return at >= t && segMatchAt(seg, at);
        }
        const QString seg = pattern.mid(p + 1, next - p - 1);
        int found = -1;
        for (int at = t; at + seg.size() <= tl; ++at)
            if (segMatchAt(seg, at)) {
                found = at;
                break;
            }
        if (found < 0)
            return false;
        p = next;
        t = found + int(seg.size());
    }
    if (t < tl)
        return false;
    if (p < pl)
        return pattern[p] == u'%';
    return true;
}

