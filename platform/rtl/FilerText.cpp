// The text form of component streams and the conversions between it and the binary form.
#include "Filer.h"

#include <QStringDecoder>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxTextDepth = 256;
constexpr int kStringChunk = 64;   // characters of a string literal per output line

// ---- numbers ----

QByteArray ShortestDouble(double d)
{
    if (std::isinf(d))
        return d < 0 ? "-1E9999" : "1E9999";
    if (std::isnan(d))
        return "NAN";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    return QByteArray(buf, int(r.ptr - buf));
}

// A float literal must not read back as an integer.
QByteArray AsFloatLiteral(QByteArray s)
{
    if (!s.contains('.') && !s.contains('e') && !s.contains('E') && s != "NAN")
        s += ".0";
    return s;
}

QByteArray FormatExtended(const TExtended80& x)
{
    if (x.IsDouble())
        return AsFloatLiteral(ShortestDouble(x.ToDouble()));
#if LDBL_MANT_DIG == 64
    // More precise than a double: all 21 significant digits, which read back exactly.
    long double ld = 0;
    std::memcpy(&ld, x.Bytes, 10);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.20Le", ld);
    return QByteArray(buf);
#else
    return AsFloatLiteral(ShortestDouble(x.ToDouble()));
#endif
}

QByteArray FormatCurrencyRaw(int64_t raw)
{
    const bool neg = raw < 0;
    const uint64_t mag = neg ? uint64_t(0) - uint64_t(raw) : uint64_t(raw);
    QByteArray s = QByteArray::number(qulonglong(mag / 10000));
    uint64_t frac = mag % 10000;
    if (frac) {
        QByteArray f = QByteArray::number(qulonglong(frac)).rightJustified(4, '0');
        while (f.endsWith('0'))
            f.chop(1);
        s += '.' + f;
    }
    return neg ? '-' + s : s;
}

// ---- strings ----

QStringList EncodeStringChunks(const QString& s)
{
    QStringList chunks;
    QString cur;
    bool inQuote = false;
    int count = 0;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u >= 32 && u < 127) {
            if (!inQuote) {
                cur += u'\'';
                inQuote = true;
            }
            cur += c;
            if (c == u'\'')
                cur += c;
        } else {
            if (inQuote) {
                cur += u'\'';
                inQuote = false;
            }
            cur += u'#' + QString::number(u);
        }
        if (++count >= kStringChunk) {
            if (inQuote) {
                cur += u'\'';
                inQuote = false;
            }
            chunks << cur;
            cur.clear();
            count = 0;
        }
    }
    if (inQuote)
        cur += u'\'';
    if (!cur.isEmpty() || chunks.isEmpty())
        chunks << (cur.isEmpty() ? QStringLiteral("''") : cur);
    return chunks;
}

// ---------------------------------------------------------------- binary to text

class BinaryToText {
public:
    BinaryToText(TStream* in) : R(in) {}

    QByteArray Run()
    {
        R.ReadSignature();
        ConvertObject(0);
        return Out;
    }

private:
    TReader R;
    QByteArray Out;
    int Depth = 0;

    void Enter()
    {
        if (++Depth > kMaxTextDepth)
            throw EReadError(QStringLiteral("Invalid stream format"));
    }
    void Indent(int n) { Out += QByteArray(n, ' '); }
    void NewLine(int indent) { Out += '\n'; Indent(indent); }

    void ConvertObject(int indent)
    {
        Enter();
        TFilerFlags flags;
        int pos = 0;
        R.ReadPrefix(flags, pos);
        const QString className = R.ReadStr();
        const QString name = R.ReadStr();
        Indent(indent);
        Out += flags.Contains(ffInline) ? "inline " : flags.Contains(ffInherited) ? "inherited " : "object ";
        if (!name.isEmpty())
            Out += name.toUtf8() + ": ";
        Out += className.toUtf8();
        if (flags.Contains(ffChildPos))
            Out += " [" + QByteArray::number(pos) + "]";
        Out += '\n';
        while (!R.EndOfList())
            ConvertProperty(indent + 2);
        R.ReadValue();
        while (!R.EndOfList())
            ConvertObject(indent + 2);
        R.ReadValue();
        Indent(indent);
        Out += "end\n";
        --Depth;
    }

    void ConvertProperty(int indent)
    {
        const QString name = R.ReadStr();
        Indent(indent);
        Out += name.toUtf8() + " =";
        ConvertValue(indent, true);
        Out += '\n';
    }

    // Writes a value after "Name =" (afterEquals) or on a line of its own in a list.
    void ConvertValue(int indent, bool afterEquals)
    {
        const char* sep = afterEquals ? " " : "";
        switch (R.NextValue()) {
        case vaList: {
            Enter();
            R.ReadValue();
            Out += sep;
            Out += '(';
            while (!R.EndOfList()) {
                NewLine(indent + 2);
                ConvertValue(indent + 2, false);
            }
            R.ReadValue();
            Out += ')';
            --Depth;
            break;
        }
        case vaInt8: case vaInt16: case vaInt32: case vaInt64:
            Out += sep + QByteArray::number(qlonglong(R.ReadInt64()));
            break;
        case vaExtended:
            Out += sep + FormatExtended(R.ReadExtended());
            break;
        case vaDouble:
            Out += sep + AsFloatLiteral(ShortestDouble(R.ReadFloat()));
            break;
        case vaSingle: {
            const float f = R.ReadSingle();
            char buf[32];
            QByteArray s;
            if (std::isinf(f))
                s = f < 0 ? "-1E9999" : "1E9999";
            else if (std::isnan(f))
                s = "NAN";
            else
                s = QByteArray(buf, int(std::to_chars(buf, buf + sizeof buf, f).ptr - buf));
            Out += sep + s + 's';
            break;
        }
        case vaCurrency:
            Out += sep + FormatCurrencyRaw(R.ReadCurrency().Value) + 'c';
            break;
        case vaDate:
            Out += sep + ShortestDouble(R.ReadDate()) + 'd';
            break;
        case vaString: case vaLString: case vaWString: case vaUTF8String: {
            const QStringList chunks = EncodeStringChunks(R.ReadString());
            if (chunks.size() == 1) {
                Out += sep + chunks[0].toLatin1();
            } else {
                for (qsizetype i = 0; i < chunks.size(); ++i) {
                    if (afterEquals || i > 0)
                        NewLine(indent + (afterEquals ? 2 : 0));
                    Out += chunks[i].toLatin1();
                    if (i + 1 < chunks.size())
                        Out += " +";
                }
            }
            break;
        }
        case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
            Out += sep + R.ReadIdent().toUtf8();
            break;
        case vaBinary: {
            const QByteArray data = R.ReadBinary();
            Out += sep;
            Out += '{';
            const QByteArray hex = data.toHex().toUpper();
            for (qsizetype i = 0; i < hex.size(); i += 64) {
                NewLine(indent + 2);
                Out += hex.mid(i, 64);
            }
            Out += '}';
            break;
        }
        case vaSet: {
            const QStringList members = R.ReadSet();
            Out += sep + ("[" + members.join(QStringLiteral(", ")).toUtf8() + "]");
            break;
        }
        case vaCollection: {
            Enter();
            R.ReadValue();
            Out += sep;
            Out += '<';
            while (!R.EndOfList()) {
                NewLine(indent + 2);
                Out += "item";
                const TValueType t = R.NextValue();
                if (t == vaInt8 || t == vaInt16 || t == vaInt32)
                    Out += " [" + QByteArray::number(R.ReadInteger()) + "]";
                R.CheckValue(vaList);
                Out += '\n';
                while (!R.EndOfList())
                    ConvertProperty(indent + 4);
                R.ReadValue();
                Indent(indent + 2);
                Out += "end";
            }
            R.ReadValue();
            Out += '>';
            --Depth;
            break;
        }
        }
    }
};

// ---------------------------------------------------------------- text to binary

class TextToBinary {
public:
    TextToBinary(const QString& text, TStream* out) : S(text), W(out) {}

    void Run()
    {
        W.WriteSignature();
        Next();
        ParseObject();
        if (T.Kind != tkEOF)
            Error(QStringLiteral("End of file expected"));
    }

private:
    enum TokKind { tkEOF, tkSymbol, tkInteger, tkFloat, tkString, tkChar };
    struct Token {
        TokKind Kind = tkEOF;
        QString Text;     // symbol, string value, number text
        QChar Char;       // tkChar, or the float's suffix
        int Line = 1;
    };

    QString S;
    qsizetype P = 0;
    int Line = 1;
    Token T;
    TWriter W;
    int Depth = 0;

    [[noreturn]] void Error(const QString& what) const
    {
        throw EParserError(QStringLiteral("%s on line %d"), {what, T.Line});
    }
    void Enter()
    {
        if (++Depth > kMaxTextDepth)
            Error(QStringLiteral("Nesting too deep"));
    }

    static int HexVal(QChar c)
    {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9') return u - '0';
        if (u >= 'a' && u <= 'f') return u - 'a' + 10;
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
        return -1;
    }
    static bool IdentStart(QChar c) { return c.isLetter() || c == u'_'; }
    static bool IdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    void Next()
    {
        while (P < S.size() && S[P].unicode() <= ' ') {
            if (S[P] == u'\n')
                ++Line;
            ++P;
        }
        T = Token();
        T.Line = Line;
        if (P >= S.size())
            return;
        const QChar c = S[P];
        if (IdentStart(c)) {
            const qsizetype b = P;
            while (P < S.size() && IdentChar(S[P]))
                ++P;
            T.Kind = tkSymbol;
            T.Text = S.mid(b, P - b);
        } else if (c == u'\'' || c == u'#') {
            T.Kind = tkString;
            while (P < S.size() && (S[P] == u'\'' || S[P] == u'#')) {
                if (S[P] == u'\'') {
                    ++P;
                    for (;;) {
                        if (P >= S.size() || S[P] == u'\n' || S[P] == u'\r')
                            Error(QStringLiteral("Unterminated string"));
                        if (S[P] == u'\'') {
                            if (P + 1 < S.size() && S[P + 1] == u'\'') {
                                T.Text += u'\'';
                                P += 2;
                                continue;
                            }
                            ++P;
                            break;
                        }
                        T.Text += S[P++];
                    }
                } else {
                    ++P;
                    uint code = 0;
                    int digits = 0;
                    const bool hex = P < S.size() && S[P] == u'$';
                    if (hex)
                        ++P;
                    while (P < S.size()) {
                        const int d = hex ? HexVal(S[P]) : (S[P] >= u'0' && S[P] <= u'9' ? S[P].unicode() - '0' : -1);
                        if (d < 0)
                            break;
                        code = code * (hex ? 16 : 10) + uint(d);
                        if (code > 0x10FFFF)
                            Error(QStringLiteral("Invalid character code"));
                        ++digits;
                        ++P;
                    }
                    if (!digits)
                        Error(QStringLiteral("Invalid character code"));
                    if (code > 0xFFFF)
                        T.Text += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
                    else
                        T.Text += QChar(ushort(code));
                }
            }
        } else if (c == u'$' || (c >= u'0' && c <= u'9')) {
            const qsizetype b = P;
            if (c == u'$') {
                ++P;
                while (P < S.size() && HexVal(S[P]) >= 0)
                    ++P;
                T.Kind = tkInteger;
            } else {
                T.Kind = tkInteger;
                while (P < S.size() && S[P].isDigit())
                    ++P;
                if (P < S.size() && S[P] == u'.' && P + 1 < S.size() && S[P + 1].isDigit()) {
                    T.Kind = tkFloat;
                    ++P;
                    while (P < S.size() && S[P].isDigit())
                        ++P;
                }
                if (P < S.size() && (S[P] == u'e' || S[P] == u'E')) {
                    qsizetype q = P + 1;
                    if (q < S.size() && (S[q] == u'+' || S[q] == u'-'))
                        ++q;
                    if (q < S.size() && S[q].isDigit()) {
                        T.Kind = tkFloat;
                        P = q;
                        while (P < S.size() && S[P].isDigit())
                            ++P;
                    }
                }
            }
            T.Text = S.mid(b, P - b);
            if (P < S.size() && QStringLiteral("sScCdD").contains(S[P])
                && (P + 1 >= S.size() || !IdentChar(S[P + 1])) && c != u'$') {
                T.Char = S[P].toLower();
                T.Kind = tkFloat;
                ++P;
            }
            if (P < S.size() && IdentChar(S[P]))
                Error(QStringLiteral("Invalid number"));
        } else {
            T.Kind = tkChar;
            T.Char = c;
            ++P;
        }
    }

    bool IsChar(char16_t c) const { return T.Kind == tkChar && T.Char == c; }
    bool IsSymbol(const char* s) const
    {
        return T.Kind == tkSymbol && T.Text.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    }
    void Expect(char16_t c)
    {
        if (!IsChar(c))
            Error(QStringLiteral("'%1' expected").arg(QChar(c)));
        Next();
    }
    QString ExpectSymbol()
    {
        if (T.Kind != tkSymbol)
            Error(QStringLiteral("Identifier expected"));
        QString s = T.Text;
        Next();
        return s;
    }
    bool AtObjectStart()
    {
        if (!IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline"))
            return false;
        // "object = 1" would be a property named so.
        const qsizetype savedP = P;
        const int savedLine = Line;
        const Token saved = T;
        Next();
        const bool isProp = IsChar(u'=') || IsChar(u'.');
        P = savedP;
        Line = savedLine;
        T = saved;
        return !isProp;
    }

    void ParseObject()
    {
        Enter();
        if (!AtObjectStart())
            Error(QStringLiteral("'object' expected"));
        TFilerFlags flags;
        if (IsSymbol("inherited"))
            flags.Include(ffInherited);
        else if (IsSymbol("inline"))
            flags.Include(ffInline);
        Next();
        QString name;
        QString className = ExpectSymbol();
        if (IsChar(u':')) {
            Next();
            name = className;
            className = ExpectSymbol();
        }
        int pos = 0;
        if (IsChar(u'[')) {
            Next();
            if (T.Kind != tkInteger)
                Error(QStringLiteral("Integer expected"));
            pos = int(ParseInteger(false));
            Next();
            Expect(u']');
            flags.Include(ffChildPos);
        }
        W.WritePrefix(flags, pos);
        W.WriteStr(className);
        W.WriteStr(name);
        while (!IsSymbol("end") && !AtObjectStart()) {
            if (T.Kind == tkEOF)
                Error(QStringLiteral("'end' expected"));
            ParseProperty();
        }
        W.WriteListEnd();
        while (AtObjectStart())
            ParseObject();
        if (!IsSymbol("end"))
            Error(QStringLiteral("'end' expected"));
        Next();
        W.WriteListEnd();
        --Depth;
    }

    void ParseProperty()
    {
        QString name = ExpectSymbol();
        while (IsChar(u'.')) {
            Next();
            name += u'.' + ExpectSymbol();
        }
        Expect(u'=');
        W.WriteStr(name);
        ParseValue();
    }

    int64_t ParseInteger(bool negative)
    {
        const QString& s = T.Text;
        uint64_t v = 0;
        bool overflow = false;
        if (s.startsWith(u'$')) {
            if (s.size() == 1 || s.size() > 17)
                Error(QStringLiteral("Invalid integer"));
            for (qsizetype i = 1; i < s.size(); ++i)
                v = v * 16 + uint64_t(HexVal(s[i]));
            return negative ? int64_t(uint64_t(0) - v) : int64_t(v);
        }
        for (QChar c : s) {
            const uint64_t d = uint64_t(c.digitValue());
            if (v > (UINT64_MAX - d) / 10)
                overflow = true;
            v = v * 10 + d;
        }
        if (overflow || v > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX)))
            Error(QStringLiteral("Integer out of range"));
        return negative ? int64_t(uint64_t(0) - v) : int64_t(v);
    }

    static int SignificantDigits(const QString& s)
    {
        int n = 0;
        bool started = false;
        for (QChar c : s) {
            if (c == u'e' || c == u'E')
                break;
            if (!c.isDigit())
                continue;
            if (c != u'0')
                started = true;
            if (started)
                ++n;
        }
        return n;
    }

    void WriteNumber(bool negative)
    {
        const QByteArray text = (negative ? "-" : "") + T.Text.toLatin1();
        if (T.Kind == tkInteger) {
            W.WriteInteger(ParseInteger(negative));
            return;
        }
        if (text.contains('$'))
            Error(QStringLiteral("Invalid number"));
        switch (T.Char.unicode()) {
        case 's':
            W.WriteSingle(std::strtof(text.constData(), nullptr));
            break;
        case 'd':
            W.WriteDate(std::strtod(text.constData(), nullptr));
            break;
        case 'c': {
            // Exact: integer and up to four decimals without going through binary floats.
            const QByteArray mag = negative ? text.mid(1) : text;
            const int dot = int(mag.indexOf('.'));
            const QByteArray ip = dot < 0 ? mag : mag.left(dot);
            const QByteArray fp = dot < 0 ? QByteArray() : mag.mid(dot + 1);
            if (!mag.contains('e') && !mag.contains('E') && fp.size() <= 4 && ip.size() <= 15) {
                const uint64_t raw = ip.toULongLong() * 10000 + fp.leftJustified(4, '0').toULongLong();
                if (raw > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX)))
                    Error(QStringLiteral("Currency value out of range"));
                W.WriteCurrency(Currency::FromRaw(negative ? int64_t(uint64_t(0) - raw) : int64_t(raw)));
            } else {
                try {
                    W.WriteCurrency(Currency::FromDouble(std::strtod(text.constData(), nullptr)));
                } catch (const Exception&) {
                    Error(QStringLiteral("Currency value out of range"));
                }
            }
            break;
        }
        default:
            if (SignificantDigits(T.Text) > 17) {
#if LDBL_MANT_DIG == 64
                const long double ld = std::strtold(text.constData(), nullptr);
                TExtended80 x;
                std::memcpy(x.Bytes, &ld, 10);
                W.WriteExtended(x);
                break;
#endif
            }
            W.WriteFloat(std::strtod(text.constData(), nullptr));
            break;
        }
    }

    void ParseValue()
    {
        Enter();
        if (IsChar(u'-')) {
            Next();
            if (T.Kind != tkInteger && T.Kind != tkFloat)
                Error(QStringLiteral("Number expected"));
            WriteNumber(true);
            Next();
        } else if (T.Kind == tkInteger || T.Kind == tkFloat) {
            WriteNumber(false);
            Next();
        } else if (T.Kind == tkString) {
            QString s = T.Text;
            Next();
            while (IsChar(u'+')) {
                Next();
                if (T.Kind != tkString)
                    Error(QStringLiteral("String expected"));
                s += T.Text;
                Next();
            }
            W.WriteString(s);
        } else if (T.Kind == tkSymbol) {
            QString ident = T.Text;
            Next();
            while (IsChar(u'.')) {   // a component of another root: "dmMain.qryInvoices"
                Next();
                ident += u'.' + ExpectSymbol();
            }
            if (ident == QLatin1String("NAN"))
                W.WriteFloat(std::nan(""));
            else
                W.WriteIdent(ident);
        } else if (IsChar(u'[')) {
            Next();
            QStringList members;
            if (!IsChar(u']')) {
                for (;;) {
                    members << ExpectSymbol();
                    if (IsChar(u']'))
                        break;
                    Expect(u',');
                }
            }
            Next();
            W.WriteSet(members);
        } else if (IsChar(u'(')) {
            Next();
            W.WriteListBegin();
            while (!IsChar(u')')) {
                if (T.Kind == tkEOF)
                    Error(QStringLiteral("')' expected"));
                ParseValue();
            }
            Next();
            W.WriteListEnd();
        } else if (IsChar(u'{')) {
            // Raw hex digits up to the closing brace.
            QByteArray hex;
            while (P < S.size() && S[P] != u'}') {
                const QChar c = S[P++];
                if (c == u'\n')
                    ++Line;
                if (c.unicode() <= ' ')
                    continue;
                if (HexVal(c) < 0)
                    Error(QStringLiteral("Invalid binary value"));
                hex += char(c.unicode());
            }
            if (P >= S.size() || hex.size() % 2)
                Error(QStringLiteral("Invalid binary value"));
            ++P;
            W.WriteBinary(QByteArray::fromHex(hex));
            Next();
        } else if (IsChar(u'<')) {
            Next();
            W.WriteValue(vaCollection);
            while (!IsChar(u'>')) {
                if (!IsSymbol("item"))
                    Error(QStringLiteral("'item' expected"));
                Next();
                if (IsChar(u'[')) {
                    Next();
                    if (T.Kind != tkInteger)
                        Error(QStringLiteral("Integer expected"));
                    W.WriteInteger(int32_t(ParseInteger(false)));
                    Next();
                    Expect(u']');
                }
                W.WriteListBegin();
                while (!IsSymbol("end")) {
                    if (T.Kind == tkEOF)
                        Error(QStringLiteral("'end' expected"));
                    ParseProperty();
                }
                Next();
                W.WriteListEnd();
            }
            Next();
            W.WriteListEnd();
        } else {
            Error(T.Kind == tkEOF ? QStringLiteral("Unexpected end of file") : QStringLiteral("Invalid property value"));
        }
        --Depth;
    }
};

QByteArray ReadRest(TStream* s)
{
    const int64_t n = s->Size() - s->Position();
    if (n <= 0)
        return QByteArray();
    return s->ReadBytes(n);
}

bool StartsWithObjectKeyword(const QByteArray& head)
{
    qsizetype i = 0;
    while (i < head.size() && uint8_t(head[i]) <= ' ')
        ++i;
    const QByteArray rest = head.mid(i).toLower();
    for (const char* kw : {"object", "inherited", "inline"}) {
        const qsizetype n = qsizetype(std::strlen(kw));
        if (rest.startsWith(kw) && (rest.size() == n || uint8_t(rest[n]) <= ' '))
            return true;
    }
    return false;
}

}   // namespace

TStreamOriginalFormat TestStreamFormat(TStream* Stream)
{
    const int64_t pos = Stream->Position();
    char buf[64];
    const int64_t n = Stream->Read(buf, sizeof buf);
    Stream->SetPosition(pos);
    if (n <= 0)
        return sofUnknown;
    const QByteArray head(buf, int(n));
    if (head.startsWith("TPF0"))
        return sofBinary;
    if (head.startsWith("\xEF\xBB\xBF"))
        return StartsWithObjectKeyword(head.mid(3)) ? sofUTF8Text : sofUnknown;
    if (StartsWithObjectKeyword(head)) {
        // Any byte beyond ASCII in the head that forms UTF-8 makes it UTF-8 text.
        return sofText;
    }
    return sofUnknown;
}

void ObjectBinaryToText(TStream* Input, TStream* Output)
{
    BinaryToText conv(Input);
    const QByteArray text = conv.Run();
    Output->WriteBytes(text);
}

void ObjectTextToBinary(TStream* Input, TStream* Output)
{
    QByteArray bytes = ReadRest(Input);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = CP1251ToUnicode(bytes);
    // Build in memory first so that a syntax error leaves Output untouched.
    TMemoryStream bin;
    TextToBinary conv(text, &bin);
    conv.Run();
    bin.SetPosition(0);
    if (bin.Size() > 0)
        Output->CopyFrom(&bin, bin.Size());
}

void ObjectTextOrBinaryToBinary(TStream* Input, TStream* Output)
{
    switch (TestStreamFormat(Input)) {
    case sofBinary: {
        const QByteArray rest = ReadRest(Input);
        Output->WriteBytes(rest);
        break;
    }
    case sofText: case sofUTF8Text:
        ObjectTextToBinary(Input, Output);
        break;
    case sofUnknown:
        throw EReadError(QStringLiteral("Invalid stream format"));
    }
}
