#include "IniFiles.h"
#include "Guards.h"

#include <QFile>
#include <QStringDecoder>

// ---------------------------------------------------------------- TCustomIniFile

int TCustomIniFile::ReadInteger(const QString& section, const QString& ident, int def)
{
    QString s = ReadString(section, ident, QString());
    if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X'))
        s = QLatin1Char('$') + s.mid(2);
    int v;
    return TryStrToInt(s, v) ? v : def;
}

void TCustomIniFile::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const QString& section, const QString& ident, bool def)
{
    QString s = ReadString(section, ident, QString());
    int v;
    if (TryStrToInt(s, v))
        return v != 0;
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return def;
}

void TCustomIniFile::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// A section exists when it holds at least one key.
bool TCustomIniFile::SectionExists(const QString& section)
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const QString& section, const QString& ident)
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------- TIniFile

namespace {

enum class Enc { Utf8, Utf8Bom, Cp1251 };

struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    QString raw;
    QString name;    // section or key name, trimmed
    QString value;   // key value, trimmed
};

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The file as lines, with what is needed to write it back the way it was.
struct IniDoc {
    std::vector<Line> lines;
    Enc enc = Enc::Utf8;
    QString lineBreak = QStringLiteral("\r\n");
    bool exists = false;
    bool unreadable = false;   // there but not readable: never overwrite it blindly

    static Line Parse(const QString& raw)
    {
        Line l;
        l.raw = raw;
        QString t = Trim(raw);
        if (t.isEmpty() || t[0] == u';' || t[0] == u'#')
            return l;
        if (t[0] == u'[') {
            int close = t.indexOf(u']');
            l.kind = Line::Section;
            l.name = Trim(close < 0 ? t.mid(1) : t.mid(1, close - 1));
            return l;
        }
        int eq = t.indexOf(u'=');
        if (eq < 0)
            return l;
        l.kind = Line::Key;
        l.name = Trim(t.left(eq));
        l.value = Trim(t.mid(eq + 1));
        if (l.name.isEmpty())
            l.kind = Line::Other;
        return l;
    }

    void Load(const QString& fileName)
    {
        QFile f(fileName);
        if (!f.exists())
            return;
        if (!f.open(QIODevice::ReadOnly)) {
            unreadable = true;
            return;
        }
        exists = true;
        QByteArray bytes = f.readAll();
        QString text;
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            enc = Enc::Utf8Bom;
            text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
        } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            enc = Enc::Utf8Bom;   // rewritten as UTF-8
            text = TStrings::DecodeText(bytes);
        } else {
            QStringDecoder dec(QStringDecoder::Utf8);
            text = dec.decode(bytes);
            if (dec.hasError()) {
                enc = Enc::Cp1251;
                text = CP1251ToUnicode(bytes);
            }
        }
        int nl = text.indexOf(u'\n');
        if (nl >= 0)
            lineBreak = nl > 0 && text[nl - 1] == u'\r' ? QStringLiteral("\r\n") : QStringLiteral("\n");
        const QChar* p = text.constData();
        const QChar* end = p + text.size();
        while (p < end) {
            const QChar* start = p;
            while (p < end && *p != u'\n' && *p != u'\r')
                ++p;
            lines.push_back(Parse(QString(start, p - start)));
            if (p < end && *p == u'\r')
                ++p;
            if (p < end && *p == u'\n')
                ++p;
        }
    }

    void Save(const QString& fileName) const
    {
        if (unreadable)
            throw EIniFileException(QStringLiteral("Unable to write to %s"), {fileName});
        QString text;
        for (const Line& l : lines) {
            text += l.raw;
            text += lineBreak;
        }
        QByteArray bytes;
        switch (enc) {
        case Enc::Utf8: bytes = text.toUtf8(); break;
        case Enc::Utf8Bom: bytes = "\xEF\xBB\xBF" + text.toUtf8(); break;
        case Enc::Cp1251: bytes = UnicodeToCP1251(text); break;
        }
        try {
            SaveBytesToFile(fileName, bytes);
        } catch (const Exception&) {
            throw EIniFileException(QStringLiteral("Unable to write to %s"), {fileName});
        }
    }

    // Calls fn(index) for each key line of the section, in file order (every occurrence
    // of the section counts; lookups take the first match).
    template <typename Fn> void ForKeys(const QString& section, Fn fn) const
    {
        bool in = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            if (l.kind == Line::Section)
                in = SameName(l.name, section);
            else if (in && l.kind == Line::Key)
                if (!fn(i))
                    return;
        }
    }

    int FindKey(const QString& section, const QString& ident) const
    {
        int found = -1;
        ForKeys(section, [&](size_t i) {
            if (SameName(lines[i].name, ident)) {
                found = int(i);
                return false;
            }
            return true;
        });
        return found;
    }
};

QString OneLine(const QString& s)
{
    QString r = s;
    r.replace(u'\r', u' ');
    r.replace(u'\n', u' ');
    return r;
}

}  // namespace

struct TIniFile::Impl {
    IniDoc Read(const QString& fileName) const
    {
        IniDoc d;
        d.Load(fileName);
        return d;
    }
};

TIniFile::TIniFile(const QString& fileName) : TCustomIniFile(fileName), FImpl(std::make_unique<Impl>())
{
}

TIniFile::~TIniFile() = default;

QString TIniFile::ReadString(const QString& section, const QString& ident, const QString& def)
{
    IniDoc d = FImpl->Read(FileName());
    int i = d.FindKey(section, ident);
    return i >= 0 ? d.lines[size_t(i)].value : def;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    IniDoc d = FImpl->Read(FileName());
    const QString name = Trim(OneLine(ident));
    const QString val = OneLine(value);
    int i = d.FindKey(section, name);
    if (i >= 0) {
        Line& l = d.lines[size_t(i)];
        l.raw = l.name + QLatin1Char('=') + val;
        l.value = Trim(val);
    } else {
        // After the last key of the section's first occurrence, or after its header.
        int header = -1, insertAt = -1;
        for (size_t k = 0; k < d.lines.size(); ++k) {
            const Line& l = d.lines[k];
            if (l.kind == Line::Section) {
                if (header >= 0)
                    break;
                if (SameName(l.name, section))
                    header = insertAt = int(k);
            } else if (header >= 0 && l.kind == Line::Key) {
                insertAt = int(k);
            }
        }
        Line nl = IniDoc::Parse(name + QLatin1Char('=') + val);
        if (header < 0) {
            d.lines.push_back(IniDoc::Parse(QLatin1Char('[') + Trim(OneLine(section)) + QLatin1Char(']')));
            d.lines.push_back(nl);
        } else {
            d.lines.insert(d.lines.begin() + insertAt + 1, nl);
        }
    }
    d.Save(FileName());
}

void TIniFile::ReadSection(const QString& section, TStrings* strings)
{
    IniDoc d = FImpl->Read(FileName());
    TUpdateGuard update(strings);
    strings->Clear();
    QStringList seen;
    d.ForKeys(section, [&](size_t i) {
        const QString& n = d.lines[i].name;
        if (!seen.contains(n, Qt::CaseInsensitive)) {
            seen.append(n);
            strings->Add(n);
        }
        return true;
    });
}

void TIniFile::ReadSections(TStrings* strings)
{
    IniDoc d = FImpl->Read(FileName());
    TUpdateGuard update(strings);
    strings->Clear();
    QStringList seen;
    for (const Line& l : d.lines)
        if (l.kind == Line::Section && !seen.contains(l.name, Qt::CaseInsensitive)) {
            seen.append(l.name);
            strings->Add(l.name);
        }
}

void TIniFile::ReadSectionValues(const QString& section, TStrings* strings)
{
    IniDoc d = FImpl->Read(FileName());
    TUpdateGuard update(strings);
    strings->Clear();
    QStringList seen;
    d.ForKeys(section, [&](size_t i) {
        const Line& l = d.lines[i];
        if (!seen.contains(l.name, Qt::CaseInsensitive)) {
            seen.append(l.name);
            strings->Add(l.name + QLatin1Char('=') + l.value);
        }
        return true;
    });
}

bool TIniFile::ValueExists(const QString& section, const QString& ident)
{
    return FImpl->Read(FileName()).FindKey(section, ident) >= 0;
}

void TIniFile::EraseSection(const QString& section)
{
    IniDoc d = FImpl->Read(FileName());
    std::vector<Line> kept;
    bool in = false, changed = false;
    for (Line& l : d.lines) {
        if (l.kind == Line::Section)
            in = SameName(l.name, section);
        if (in)
            changed = true;
        else
            kept.push_back(std::move(l));
    }
    if (!changed)
        return;
    d.lines.swap(kept);
    d.Save(FileName());
}

void TIniFile::DeleteKey(const QString& section, const QString& ident)
{
    IniDoc d = FImpl->Read(FileName());
    int i = d.FindKey(section, ident);
    if (i < 0)
        return;
    d.lines.erase(d.lines.begin() + i);
    d.Save(FileName());
}

void TIniFile::UpdateFile()
{
}
