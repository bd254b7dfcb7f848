#include "RichEditRtf.h"

#include "platform/rtl/SysUtils.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <map>
#include <vector>

namespace RichEditRtf {

namespace {

// Indents are kept in the document in pixels at 96 per inch; RTF counts twips (1/1440 inch).
constexpr double TwipsPerPixel = 15.0;

const char16_t Cp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                 0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// An 8-bit character of a code page: 1251 through our table, 1252 and anything else we do not
// know as Western.
QChar DecodeByte(unsigned char B, int CodePage)
{
    if (B < 0x80)
        return QChar(B);
    if (CodePage == 1251)
        return CP1251ToUnicode(QByteArray(1, char(B))).at(0);
    if (B < 0xA0)
        return QChar(Cp1252High[B - 0x80]);
    return QChar(B);
}

int CodePageOfCharset(int Charset, int AnsiCodePage)
{
    switch (Charset) {
    case 0: return 1252;
    case 204: return 1251;
    case 1: return AnsiCodePage;   // the default character set
    default: return AnsiCodePage;
    }
}

struct TFontDef {
    QString Name;
    int Charset = 1;
};

enum class TDest { Text, FontTable, ColorTable, Skip, Bullet };

struct TState {
    TDest Dest = TDest::Text;
    int Font = -1;
    int HalfPoints = 24;
    bool Bold = false, Italic = false, Underline = false;
    int Color = 0;
    int UnicodeSkip = 1;
    // Paragraph
    Qt::Alignment Align = Qt::AlignLeft;
    int LeftTwips = 0, RightTwips = 0, FirstTwips = 0;
    bool Rtl = false;
    bool Bullet = false;
    bool StarSeen = false;   // "\*" opened this group
};

class TReader {
public:
    TReader(const QByteArray& Data, QTextCursor& At) : D(Data), C(At) {}
    TRtfReadResult Run();

private:
    int Peek() const { return P < D.size() ? static_cast<unsigned char>(D[P]) : -1; }
    void ControlWord();
    void Flush();
    void Text(QChar Ch);
    void EndParagraph(bool More);
    QTextCharFormat CharFormat() const;
    QTextBlockFormat BlockFormat() const;
    int CurrentCodePage() const;
    void PushGroup();
    void PopGroup();

    const QByteArray& D;
    QTextCursor& C;
    qsizetype P = 0;
    std::vector<TState> Stack;
    TState S;
    int ExtraDepth = 0;        // groups past MaxGroupDepth
    int AnsiCodePage = 1252;
    int DefaultFont = -1;
    std::map<int, TFontDef> Fonts;
    int FontDefIndex = -1;     // the font being declared in the font table
    int FontCharset = 1;
    QString FontName;
    std::vector<QColor> Colors;
    int Red = -1, Green = -1, Blue = -1;
    int PendingSkip = 0;       // characters after \uN still to drop
    QString FRun;
    bool FirstBlock = true;
    bool SawBullet = false;
};

void TReader::PushGroup()
{
    Flush();
    PendingSkip = 0;
    if (int(Stack.size()) >= MaxGroupDepth) {
        ++ExtraDepth;
        return;
    }
    Stack.push_back(S);
    S.StarSeen = false;
}

void TReader::PopGroup()
{
    Flush();
    PendingSkip = 0;
    if (ExtraDepth > 0) {
        --ExtraDepth;
        return;
    }
    if (S.Dest == TDest::FontTable && FontDefIndex >= 0 && !FontName.isEmpty()) {
        // A font entry closed without its ';'.
        if (int(Fonts.size()) < MaxTableEntries)
            Fonts[FontDefIndex] = TFontDef{FontName.trimmed(), FontCharset};
        FontName.clear();
        FontDefIndex = -1;
    }
    if (Stack.empty())
        return;
    const bool bullet = S.Dest == TDest::Bullet && S.Bullet;
    const TState outer = Stack.back();
    Stack.pop_back();
    S = outer;
    if (bullet) {
        S.Bullet = true;
        SawBullet = true;
    }
}

int TReader::CurrentCodePage() const
{
    if (S.Dest == TDest::FontTable)
        return CodePageOfCharset(FontCharset, AnsiCodePage);
    const auto f = Fonts.find(S.Font >= 0 ? S.Font : DefaultFont);
    return CodePageOfCharset(f != Fonts.end() ? f->second.Charset : 1, AnsiCodePage);
}

QTextCharFormat TReader::CharFormat() const
{
    QTextCharFormat f;
    const auto font = Fonts.find(S.Font >= 0 ? S.Font : DefaultFont);
    if (font != Fonts.end()) {
        if (!font->second.Name.isEmpty())
            f.setFontFamilies(QStringList{font->second.Name});
        f.setProperty(CharsetProperty, font->second.Charset);
    }
    f.setFontPointSize(std::clamp(S.HalfPoints, 2, 3276) / 2.0);
    f.setFontWeight(S.Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(S.Italic);
    f.setFontUnderline(S.Underline);
    if (S.Color > 0 && S.Color < int(Colors.size()) && Colors[S.Color].isValid())
        f.setForeground(Colors[S.Color]);
    return f;
}

QTextBlockFormat TReader::BlockFormat() const
{
    QTextBlockFormat b;
    b.setAlignment(S.Align);
    b.setLeftMargin(S.LeftTwips / TwipsPerPixel);
    b.setRightMargin(S.RightTwips / TwipsPerPixel);
    b.setTextIndent(S.FirstTwips / TwipsPerPixel);
    b.setLayoutDirection(S.Rtl ? Qt::RightToLeft : Qt::LeftToRight);
    b.setProperty(BulletProperty, S.Bullet);
    return b;
}

void TReader::Flush()
{
    if (FRun.isEmpty())
        return;
    C.insertText(FRun, CharFormat());
    FRun.clear();
}

void TReader::Text(QChar Ch)
{
    if (PendingSkip > 0) {
        --PendingSkip;
        return;
    }
    switch (S.Dest) {
    case TDest::Text: FRun += Ch; return;
    case TDest::FontTable:
        if (Ch == u';') {
            if (FontDefIndex >= 0 && int(Fonts.size()) < MaxTableEntries)
                Fonts[FontDefIndex] = TFontDef{FontName.trimmed(), FontCharset};
            FontName.clear();
            FontDefIndex = -1;
        } else if (FontName.size() < 256) {
            FontName += Ch;
        }
        return;
    case TDest::ColorTable:
        if (Ch == u';' && int(Colors.size()) < MaxTableEntries) {
            Colors.push_back(Red < 0 && Green < 0 && Blue < 0
                                 ? QColor()
                                 : QColor(std::clamp(Red, 0, 255), std::clamp(Green, 0, 255), std::clamp(Blue, 0, 255)));
            Red = Green = Blue = -1;
        }
        return;
    default: return;
    }
}

void TReader::EndParagraph(bool More)
{
    Flush();
    QTextBlockFormat b = BlockFormat();
    C.setBlockFormat(b);
    FirstBlock = false;
    if (More)
        C.insertBlock(b, CharFormat());
}

void TReader::ControlWord()
{
    // P is past the backslash.
    const int c = Peek();
    if (c < 0)
        return;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
        ++P;
        switch (c) {
        case '\\': case '{': case '}': Text(QChar(c)); break;
        case '~': Text(QChar(0xA0)); break;
        case '_': Text(QChar(0x2011)); break;
        case '-': break;                                  // optional hyphen
        case '*': S.StarSeen = true; break;
        case '\r': case '\n': if (S.Dest == TDest::Text) EndParagraph(true); break;
        case '\'': {
            auto hex = [](int h) {
                return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            };
            // A bad escape is dropped; the characters after it read as text.
            const int h1 = hex(Peek());
            const int h2 = P + 1 < D.size() ? hex(static_cast<unsigned char>(D[P + 1])) : -1;
            if (h1 < 0 || h2 < 0)
                break;
            P += 2;
            Text(DecodeByte(static_cast<unsigned char>(h1 * 16 + h2), CurrentCodePage()));
            break;
        }
        default: break;
        }
        return;
    }
    QByteArray word;
    while (P < D.size() && ((D[P] >= 'a' && D[P] <= 'z') || (D[P] >= 'A' && D[P] <= 'Z')) && word.size() < 32)
        word += D[P++];
    while (P < D.size() && ((D[P] >= 'a' && D[P] <= 'z') || (D[P] >= 'A' && D[P] <= 'Z')))
        ++P;                                              // an overlong word is cut, not trusted
    bool hasParam = false, negative = false;
    qint64 param = 0;
    if (Peek() == '-') {
        negative = true;
        ++P;
    }
    int digits = 0;
    while (P < D.size() && D[P] >= '0' && D[P] <= '9') {
        if (digits++ < 10)
            param = param * 10 + (D[P] - '0');
        hasParam = true;
        ++P;
    }
    if (Peek() == ' ')
        ++P;
    param = std::clamp<qint64>(negative ? -param : param, -32767 * 65536LL, 32767 * 65536LL);
    const int n = int(param);
    const int v = hasParam ? n : -1;

    if (S.StarSeen) {
        // "\*" marks a destination a reader may ignore: the bullet one is ours, others go.
        S.StarSeen = false;
        if (word != "pn") {
            S.Dest = TDest::Skip;
            return;
        }
    }
    if (S.Dest == TDest::Skip)
        return;
    if (word == "bin") {
        // Binary data: skip exactly its bytes (or what is left of the stream).
        P = std::min<qsizetype>(D.size(), P + std::max(0, n));
        return;
    }
    if (S.Dest == TDest::Bullet) {
        if (word == "pnlvlblt")
            S.Bullet = true;
        else if (word == "pntxtb" || word == "pntxta")
            S.Dest = TDest::Skip;
        return;
    }
    if (word == "pn") {
        S.Dest = TDest::Bullet;
        S.Bullet = false;
        return;
    }
    if (S.Dest == TDest::FontTable) {
        if (word == "f") {
            FontDefIndex = n;
            FontCharset = 1;
            FontName.clear();
        } else if (word == "fcharset") {
            FontCharset = n;
        }
        return;
    }
    if (S.Dest == TDest::ColorTable) {
        if (word == "red") Red = n;
        else if (word == "green") Green = n;
        else if (word == "blue") Blue = n;
        return;
    }
    static const char* const skipped[] = {"stylesheet", "info", "pict", "header", "headerl", "headerr", "headerf",
                                          "footer", "footerl", "footerr", "footerf", "object", "fldinst", "pntext",
                                          "listtable", "listoverridetable", "rsidtbl", "generator", "themedata",
                                          "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "filetbl",
                                          "revtbl", "footnote", "annotation", "shp", "nonshppict"};
    for (const char* s : skipped)
        if (word == s) {
            Flush();
            S.Dest = TDest::Skip;
            return;
        }
    if (word == "fonttbl") { Flush(); S.Dest = TDest::FontTable; FontDefIndex = -1; FontName.clear(); return; }
    if (word == "colortbl") { Flush(); S.Dest = TDest::ColorTable; Red = Green = Blue = -1; return; }
    if (word == "ansicpg") { AnsiCodePage = n; return; }
    if (word == "ansi") { return; }
    if (word == "deff") { DefaultFont = n; return; }
    if (word == "u") {
        Text(QChar(char16_t(n < 0 ? n + 65536 : n)));
        PendingSkip = S.UnicodeSkip;
        return;
    }
    if (word == "uc") { S.UnicodeSkip = std::clamp(n, 0, 16); return; }
    // Character formatting
    Flush();
    if (word == "plain") {
        const TState keep = S;
        S.Font = -1; S.HalfPoints = 24; S.Bold = S.Italic = S.Underline = false; S.Color = 0;
        S.UnicodeSkip = keep.UnicodeSkip;
    } else if (word == "f") S.Font = n;
    else if (word == "fs") S.HalfPoints = hasParam ? n : 24;
    else if (word == "b") S.Bold = v != 0;
    else if (word == "i") S.Italic = v != 0;
    else if (word == "ul") S.Underline = v != 0;
    else if (word == "ulnone") S.Underline = false;
    else if (word == "cf") S.Color = n;
    // Paragraph formatting
    else if (word == "pard") {
        S.Align = Qt::AlignLeft; S.LeftTwips = S.RightTwips = S.FirstTwips = 0; S.Rtl = false; S.Bullet = false;
    }
    else if (word == "ql") S.Align = Qt::AlignLeft;
    else if (word == "qr") S.Align = Qt::AlignRight;
    else if (word == "qc") S.Align = Qt::AlignHCenter;
    else if (word == "qj") S.Align = Qt::AlignJustify;
    else if (word == "li") S.LeftTwips = n;
    else if (word == "ri") S.RightTwips = n;
    else if (word == "fi") S.FirstTwips = n;
    else if (word == "rtlpar") S.Rtl = true;
    else if (word == "ltrpar") S.Rtl = false;
    // Special characters
    else if (word == "par") EndParagraph(true);
    else if (word == "line") Text(QChar(0x2028));
    else if (word == "tab") Text(u'\t');
    else if (word == "emdash") Text(QChar(0x2014));
    else if (word == "endash") Text(QChar(0x2013));
    else if (word == "bullet") Text(QChar(0x2022));
    else if (word == "lquote") Text(QChar(0x2018));
    else if (word == "rquote") Text(QChar(0x2019));
    else if (word == "ldblquote") Text(QChar(0x201C));
    else if (word == "rdblquote") Text(QChar(0x201D));
}

TRtfReadResult TReader::Run()
{
    TRtfReadResult r;
    qsizetype start = 0;
    while (start < D.size() && (D[start] == ' ' || D[start] == '\r' || D[start] == '\n' || D[start] == '\t'))
        ++start;
    if (!D.mid(start, 5).startsWith("{\\rtf")) {
        r.Ok = false;
        r.Error = QStringLiteral("Not a rich text stream");
        return r;
    }
    C.beginEditBlock();
    if (C.hasSelection())
        C.removeSelectedText();
    P = start;
    bool closed = false;
    bool opened = false;
    while (P < D.size()) {
        const char ch = D[P];
        if (ch == '{') {
            ++P;
            if (opened)
                PushGroup();
            opened = true;
        } else if (ch == '}') {
            ++P;
            if (Stack.empty() && ExtraDepth == 0) {
                closed = true;
                break;
            }
            PopGroup();
        } else if (ch == '\\') {
            ++P;
            ControlWord();
        } else if (ch == '\r' || ch == '\n') {
            ++P;
        } else {
            ++P;
            if (S.Dest == TDest::Text || S.Dest == TDest::FontTable || S.Dest == TDest::ColorTable) {
                if (static_cast<unsigned char>(ch) < 0x80)
                    Text(QChar(ch));
                else
                    Text(DecodeByte(static_cast<unsigned char>(ch), CurrentCodePage()));
            }
        }
    }
    Flush();
    // The last paragraph takes the formatting in force at the end.
    C.setBlockFormat(BlockFormat());
    C.endEditBlock();
    if (!closed) {
        r.Ok = false;
        r.Error = QStringLiteral("The rich text stream is truncated");
    }
    return r;
}

// ---- writer

QByteArray Escaped(const QString& Text)
{
    QByteArray out;
    for (const QChar ch : Text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'\\': out += "\\\\"; break;
        case u'{': out += "\\{"; break;
        case u'}': out += "\\}"; break;
        case u'\t': out += "\\tab "; break;
        case 0x2028: out += "\\line "; break;
        case 0xA0: out += "\\~"; break;
        default:
            if (u >= 0x20 && u < 0x80) {
                out += char(u);
            } else if (u < 0x20) {
                out += "\\u" + QByteArray::number(int(u)) + '?';
            } else {
                // Unicode for readers that know it, the 8-bit form for those that do not.
                const QByteArray b = UnicodeToCP1251(QString(ch));
                out += "\\u" + QByteArray::number(int(int16_t(u))) + "\\'" +
                       QByteArray::number(static_cast<unsigned char>(b.isEmpty() ? '?' : b[0]), 16).rightJustified(2, '0');
            }
        }
    }
    return out;
}

QString FamilyOf(const QTextCharFormat& F, const QTextDocument* Doc)
{
    const QStringList families = F.fontFamilies().toStringList();
    return families.isEmpty() ? Doc->defaultFont().family() : families.first();
}

}  // namespace

bool IsRtf(const QByteArray& Data)
{
    qsizetype i = 0;
    while (i < Data.size() && (Data[i] == ' ' || Data[i] == '\r' || Data[i] == '\n' || Data[i] == '\t'))
        ++i;
    return Data.mid(i, 5) == "{\\rtf";
}

TRtfReadResult ReadRtf(const QByteArray& Data, QTextCursor& At)
{
    TReader r(Data, At);
    return r.Run();
}

TRtfReadResult ReadRtf(const QByteArray& Data, QTextDocument* Doc)
{
    if (!IsRtf(Data))
        return TRtfReadResult{false, QStringLiteral("Not a rich text stream")};
    Doc->clear();
    QTextCursor c(Doc);
    return ReadRtf(Data, c);
}

QByteArray WriteRtf(const QTextDocument* Doc, int From, int To)
{
    const int end = std::max(0, Doc->characterCount() - 1);
    From = std::clamp(From, 0, end);
    To = To < 0 ? end : std::clamp(To, From, end);

    struct TFontKey {
        QString Name;
        int Charset;
        bool operator<(const TFontKey& o) const { return Name != o.Name ? Name < o.Name : Charset < o.Charset; }
    };
    std::map<TFontKey, int> fonts;
    std::vector<TFontKey> fontList;
    std::map<QRgb, int> colors;
    std::vector<QColor> colorList;
    auto fontIndex = [&](const QTextCharFormat& f) {
        const int charset = f.hasProperty(CharsetProperty) ? f.intProperty(CharsetProperty) : 204;
        const TFontKey k{FamilyOf(f, Doc), charset};
        const auto [it, added] = fonts.emplace(k, int(fontList.size()));
        if (added)
            fontList.push_back(k);
        return it->second;
    };
    auto colorIndex = [&](const QTextCharFormat& f) {
        if (f.foreground().style() == Qt::NoBrush)
            return 0;
        const QRgb rgb = f.foreground().color().rgb();
        const auto [it, added] = colors.emplace(rgb, int(colorList.size()) + 1);
        if (added)
            colorList.push_back(f.foreground().color());
        return it->second;
    };

    QByteArray body;
    bool firstBlock = true;
    for (QTextBlock b = Doc->findBlock(From); b.isValid() && b.position() <= To; b = b.next()) {
        if (!firstBlock)
            body += "\\par\n";
        firstBlock = false;
        const QTextBlockFormat bf = b.blockFormat();
        body += "\\pard";
        if (bf.boolProperty(BulletProperty))
            body += "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}";
        if (bf.layoutDirection() == Qt::RightToLeft)
            body += "\\rtlpar";
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        body += a & Qt::AlignHCenter ? "\\qc" : a & Qt::AlignRight ? "\\qr" : a & Qt::AlignJustify ? "\\qj" : "\\ql";
        body += "\\li" + QByteArray::number(qRound(bf.leftMargin() * TwipsPerPixel));
        body += "\\ri" + QByteArray::number(qRound(bf.rightMargin() * TwipsPerPixel));
        body += "\\fi" + QByteArray::number(qRound(bf.textIndent() * TwipsPerPixel));
        body += ' ';
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int fs = std::max(frag.position(), From);
            const int fe = std::min(frag.position() + frag.length(), To);
            if (fe <= fs)
                continue;
            const QTextCharFormat f = frag.charFormat();
            const double pt = f.fontPointSize() > 0 ? f.fontPointSize() : Doc->defaultFont().pointSizeF();
            body += "{\\f" + QByteArray::number(fontIndex(f)) + "\\fs" + QByteArray::number(qRound(pt * 2));
            if (f.fontWeight() >= QFont::Bold)
                body += "\\b";
            if (f.fontItalic())
                body += "\\i";
            if (f.fontUnderline())
                body += "\\ul";
            if (const int ci = colorIndex(f))
                body += "\\cf" + QByteArray::number(ci);
            body += ' ' + Escaped(frag.text().mid(fs - frag.position(), fe - fs)) + '}';
        }
    }
    if (fontList.empty())
        fontIndex(QTextCharFormat());

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl";
    for (size_t i = 0; i < fontList.size(); ++i)
        out += "{\\f" + QByteArray::number(int(i)) + "\\fnil\\fcharset" + QByteArray::number(fontList[i].Charset) + ' ' +
               Escaped(fontList[i].Name) + ";}";
    out += "}\n{\\colortbl ;";
    for (const QColor& c : colorList)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
               QByteArray::number(c.blue()) + ';';
    out += "}\n" + body + "}\n";
    return out;
}

}  // namespace RichEditRtf
