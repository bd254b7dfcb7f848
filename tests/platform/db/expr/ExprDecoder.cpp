#include "ExprDecoder.h"

#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace exprtest {
namespace {

struct Reader {
    const QByteArray& D;
    int PoolStart = 0;
    int Visited = 0;

    explicit Reader(const QByteArray& d) : D(d)
    {
        if (d.size() < ExprHeaderSize)
            throw std::runtime_error("block shorter than its header");
        if (Word(0) != d.size() || Word(4) != ExprHeaderSize || Word(8) + Word(6) != d.size() || Word(8) < ExprHeaderSize)
            throw std::runtime_error("inconsistent header");
        PoolStart = Word(8);
    }
    int Word(int at) const
    {
        if (at < 0 || at + 2 > D.size())
            throw std::runtime_error("read past the block");
        return uint8_t(D[at]) | (uint8_t(D[at + 1]) << 8);
    }
    uint32_t DWord(int at) const { return uint32_t(Word(at)) | (uint32_t(Word(at + 2)) << 16); }
    template <typename T> T Raw(int at) const
    {
        if (at < 0 || at + int(sizeof(T)) > D.size())
            throw std::runtime_error("literal past the block");
        T v;
        std::memcpy(&v, D.constData() + at, sizeof(T));
        return v;
    }
    int NodeAt(int off) const
    {
        int at = ExprHeaderSize + off;
        if (at + 8 > PoolStart)
            throw std::runtime_error("node offset outside the node area");
        return at;
    }
    int Cls(int off) const { return int(DWord(NodeAt(off))); }
    int Op(int off) const { return int(DWord(NodeAt(off) + 4)); }
    int Arg(int off, int i) const { return Word(NodeAt(off) + 8 + 2 * i); }
    QString Name(int litOff) const
    {
        int at = PoolStart + litOff;
        int end = int(D.indexOf('\0', at));
        if (at >= D.size() || end < 0)
            throw std::runtime_error("name not terminated");
        return QString::fromUtf8(D.constData() + at, end - at);
    }
};

const char* OpText(int op)
{
    switch (op) {
    case coEQ: return "=";
    case coNE: return "<>";
    case coGT: return ">";
    case coLT: return "<";
    case coGE: return ">=";
    case coLE: return "<=";
    case coAND: return "AND";
    case coOR: return "OR";
    case coADD: return "+";
    case coSUB: return "-";
    case coMUL: return "*";
    case coDIV: return "/";
    case coLIKE: return "LIKE";
    case coIN: return "IN";
    case coISBLANK: return "ISBLANK";
    case coNOTBLANK: return "NOTBLANK";
    case coNOT: return "NOT";
    case coUPPER: return "UPPER";
    case coLOWER: return "LOWER";
    default: return "?";
    }
}

QString BcdText(const TBcd& b)
{
    QString digits;
    for (int i = 0; i < b.Precision; ++i) {
        int byte = b.Fraction[i / 2];
        digits += QChar(u'0' + ((i % 2 == 0) ? (byte >> 4) : (byte & 0xF)));
    }
    int places = b.SignSpecialPlaces & 0x3F;
    if (places > 0)
        digits.insert(digits.size() - places, u'.');
    return ((b.SignSpecialPlaces & 0x80) ? QStringLiteral("-") : QString()) + digits;
}

QString ConstText(const Reader& r, int code, int size, int at)
{
    switch (code) {
    case ecString:
        if (size < 1 || r.D[at + size - 1] != '\0')
            throw std::runtime_error("text constant not terminated");
        return QStringLiteral("'%1'").arg(QString::fromLatin1(r.D.constData() + at, size - 1));
    case ecWideText: {
        int len = r.Word(at);
        if (len + 2 != size)
            throw std::runtime_error("wide text size mismatch");
        QString s(len / 2, Qt::Uninitialized);
        std::memcpy(s.data(), r.D.constData() + at + 2, len);
        return QStringLiteral("W'%1'").arg(s);
    }
    case ecInteger: return QStringLiteral("i:%1").arg(r.Raw<int32_t>(at));
    case ecLargeint: return QStringLiteral("l:%1").arg(r.Raw<int64_t>(at));
    case ecFloat: return QStringLiteral("f:%1").arg(r.Raw<double>(at), 0, 'g', 17);
    case ecBoolean: return QStringLiteral("b:%1").arg(r.Word(at) != 0 ? 1 : 0);
    case ecBCD: return QStringLiteral("bcd:%1").arg(BcdText(r.Raw<TBcd>(at)));
    case ecDate: return QStringLiteral("d:%1").arg(r.Raw<int32_t>(at));
    case ecTime: return QStringLiteral("t:%1").arg(r.Raw<int32_t>(at));
    case ecDateTime: return QStringLiteral("dt:%1").arg(r.Raw<double>(at), 0, 'f', 0);
    default: throw std::runtime_error("unexpected constant type");
    }
}

QString DumpNode(Reader& r, int off);

QString DumpList(Reader& r, int first)
{
    QStringList items;
    for (int e = first; e != 0;) {
        ++r.Visited;
        if (r.Cls(e) != ncListElem || r.Op(e) != coLISTELEM2)
            throw std::runtime_error("list element expected");
        items << DumpNode(r, r.Arg(e, 0));
        e = r.Arg(e, 1);
    }
    return items.join(QStringLiteral(", "));
}

QString DumpNode(Reader& r, int off)
{
    if (off == 0 && r.Visited > 0)
        throw std::runtime_error("operand refers to the root");
    ++r.Visited;
    switch (r.Cls(off)) {
    case ncUnary:
        return QStringLiteral("%1(%2)").arg(QLatin1String(OpText(r.Op(off))), DumpNode(r, r.Arg(off, 0)));
    case ncBinary:
        if (r.Op(off) == coIN) {
            QString left = DumpNode(r, r.Arg(off, 0));
            return QStringLiteral("(%1 IN [%2])").arg(left, DumpList(r, r.Arg(off, 1)));
        } else {
            QString left = DumpNode(r, r.Arg(off, 0));
            QString right = DumpNode(r, r.Arg(off, 1));
            return QStringLiteral("(%1 %2 %3)").arg(left, QLatin1String(OpText(r.Op(off))), right);
        }
    case ncCompare: {
        QString left = DumpNode(r, r.Arg(off, 2));
        QString right = DumpNode(r, r.Arg(off, 3));
        return QStringLiteral("CMP[ci=%1,p=%2](%3 %4 %5)")
            .arg(r.Arg(off, 0)).arg(r.Arg(off, 1)).arg(left, QLatin1String(OpText(r.Op(off))), right);
    }
    case ncField:
        if (r.Op(off) != coFIELD2)
            throw std::runtime_error("field node without coFIELD2");
        return QStringLiteral("F%1:%2").arg(r.Arg(off, 0)).arg(r.Name(r.Arg(off, 1)));
    case ncConst:
        if (r.Op(off) != coCONST2)
            throw std::runtime_error("constant node without coCONST2");
        return ConstText(r, r.Arg(off, 0), r.Arg(off, 1), r.PoolStart + r.Arg(off, 2));
    case ncFunc:
        return QStringLiteral("%1(%2)").arg(r.Name(r.Arg(off, 0)), DumpList(r, r.Arg(off, 1)));
    default:
        throw std::runtime_error("unexpected node class");
    }
}

// ---- evaluation ----
struct Evaluator {
    Reader& R;
    const Record& Rec;

    Variant Const(int off)
    {
        int code = R.Arg(off, 0), at = R.PoolStart + R.Arg(off, 2), size = R.Arg(off, 1);
        switch (code) {
        case ecString: return Variant(QString::fromLatin1(R.D.constData() + at, size - 1));
        case ecWideText: {
            int len = R.Word(at);
            QString s(len / 2, Qt::Uninitialized);
            std::memcpy(s.data(), R.D.constData() + at + 2, len);
            return Variant(s);
        }
        case ecInteger: return Variant(int(R.Raw<int32_t>(at)));
        case ecLargeint: return Variant((long long)R.Raw<int64_t>(at));
        case ecFloat: return Variant(R.Raw<double>(at));
        case ecBoolean: return Variant(R.Word(at) != 0);
        case ecBCD: {
            Currency c;
            if (!BcdToCurr(R.Raw<TBcd>(at), c))
                return Null();
            return Variant(c);
        }
        case ecDate: return Variant::FromDate(double(R.Raw<int32_t>(at) - ExprDateDelta));
        case ecTime: return Variant::FromDate(R.Raw<int32_t>(at) / 86400000.0);
        case ecDateTime: {
            double ms = R.Raw<double>(at);
            double day = std::floor(ms / 86400000.0);
            return Variant::FromDate(day - ExprDateDelta + (ms - day * 86400000.0) / 86400000.0);
        }
        default: throw std::runtime_error("unexpected constant type");
        }
    }

    static bool Like(const QString& text, const QString& pattern, bool ci)
    {
        QString rx;
        for (QChar c : pattern)
            rx += c == u'%' ? QStringLiteral(".*") : c == u'_' ? QStringLiteral(".") : QRegularExpression::escape(QString(c));
        QRegularExpression re(QRegularExpression::anchoredPattern(rx),
                              ci ? QRegularExpression::CaseInsensitiveOption : QRegularExpression::NoPatternOption);
        return re.match(text).hasMatch();
    }

    std::vector<Variant> List(int first)
    {
        std::vector<Variant> out;
        for (int e = first; e != 0; e = R.Arg(e, 1))
            out.push_back(Node(R.Arg(e, 0)));
        return out;
    }

    Variant Node(int off)
    {
        const int op = R.Op(off);
        switch (R.Cls(off)) {
        case ncField: {
            QString name = R.Name(R.Arg(off, 1)).toUpper();
            if (!Rec.contains(name))
                throw std::runtime_error("record lacks a field");
            return Rec.value(name);
        }
        case ncConst:
            return Const(off);
        case ncUnary: {
            Variant a = Node(R.Arg(off, 0));
            switch (op) {
            case coISBLANK: return Variant(VarIsStr(a) ? a.AsString().isEmpty() : a.IsNull());
            case coNOTBLANK: return Variant(VarIsStr(a) ? !a.AsString().isEmpty() : !a.IsNull());
            case coNOT: return a.IsNull() ? Null() : Variant(!a.AsBoolean());
            case coUPPER: return a.IsNull() ? a : Variant(a.AsString().toUpper());
            case coLOWER: return a.IsNull() ? a : Variant(a.AsString().toLower());
            }
            break;
        }
        case ncCompare: {
            const bool ci = R.Arg(off, 0) == 1;
            const int partial = R.Arg(off, 1);
            QString a = VarToStr(Node(R.Arg(off, 2)));
            QString b = VarToStr(Node(R.Arg(off, 3)));
            if (op == coLIKE)
                return Variant(Like(a, b, ci));
            if (partial > 0) {
                a = a.left(partial);
                b = b.left(partial);
            }
            bool eq = a.compare(b, ci ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
            return Variant(op == coEQ ? eq : !eq);
        }
        case ncBinary: {
            Variant a = Node(R.Arg(off, 0));
            if (op == coIN) {
                for (const Variant& v : List(R.Arg(off, 1)))
                    if (!a.IsNull() && !v.IsNull() && a == v)
                        return Variant(true);
                return Variant(false);
            }
            Variant b = Node(R.Arg(off, 1));
            switch (op) {
            case coEQ: case coNE: case coLT: case coGT: case coLE: case coGE: {
                if (a.IsNull() || b.IsNull())
                    return Variant(op == coNE ? a.IsNull() != b.IsNull() : (op == coEQ && a.IsNull() && b.IsNull()));
                if (op == coEQ) return Variant(a == b);
                if (op == coNE) return Variant(a != b);
                if (op == coLT) return Variant(a < b);
                if (op == coGT) return Variant(a > b);
                if (op == coLE) return Variant(a <= b);
                return Variant(a >= b);
            }
            case coAND:
                if (a.IsNull() || b.IsNull()) return Null();
                return Variant(a.AsBoolean() && b.AsBoolean());
            case coOR:
                if (a.IsNull() || b.IsNull()) return Null();
                return Variant(a.AsBoolean() || b.AsBoolean());
            case coADD: return a.IsNull() || b.IsNull() ? Null() : a + b;
            case coSUB: return a.IsNull() || b.IsNull() ? Null() : a - b;
            case coMUL: return a.IsNull() || b.IsNull() ? Null() : a * b;
            case coDIV: return a.IsNull() || b.IsNull() ? Null() : a / b;
            }
            break;
        }
        case ncFunc: {
            const QString name = R.Name(R.Arg(off, 0));
            std::vector<Variant> args = List(R.Arg(off, 1));
            if (!args.empty() && args[0].IsNull())
                return Null();
            if (name == QLatin1String("SUBSTRING")) {
                QString s = args[0].AsString();
                int start = args[1].AsInteger();
                return Variant(args.size() > 2 ? s.mid(start - 1, args[2].AsInteger()) : s.mid(start - 1));
            }
            if (name.startsWith(QLatin1String("TRIM"))) {
                QString s = args[0].AsString();
                QChar c = args.size() > 1 ? args[1].AsString().at(0) : QChar(u' ');
                if (name != QLatin1String("TRIMRIGHT"))
                    while (s.startsWith(c)) s.remove(0, 1);
                if (name != QLatin1String("TRIMLEFT"))
                    while (s.endsWith(c)) s.chop(1);
                return Variant(s);
            }
            int y, m, d, h, n, sec, ms;
            DecodeDate(args[0].AsDateTime(), y, m, d);
            DecodeTime(args[0].AsDateTime(), h, n, sec, ms);
            if (name == QLatin1String("YEAR")) return Variant(y);
            if (name == QLatin1String("MONTH")) return Variant(m);
            if (name == QLatin1String("DAY")) return Variant(d);
            if (name == QLatin1String("HOUR")) return Variant(h);
            if (name == QLatin1String("MINUTE")) return Variant(n);
            if (name == QLatin1String("SECOND")) return Variant(sec);
            throw std::runtime_error("function not supported by the test evaluator");
        }
        }
        throw std::runtime_error("operator not supported by the test evaluator");
    }
};

}  // namespace

QString Dump(const QByteArray& data)
{
    Reader r(data);
    QString text = DumpNode(r, 0);
    if (r.Visited != r.Word(2))
        throw std::runtime_error("node count in the header does not match the tree");
    return text;
}

Variant Eval(const QByteArray& data, const Record& rec)
{
    Reader r(data);
    Evaluator e{r, rec};
    return e.Node(0);
}

}  // namespace exprtest
