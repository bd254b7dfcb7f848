#include "Registry.h"
#include "Streams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <mutex>
#include <vector>

namespace {

std::mutex& StoreMutex()
{
    static std::mutex m;
    return m;
}

QString& StoreFileOverride()
{
    static QString name;
    return name;
}

bool SameName(const QString& A, const QString& B) { return A.compare(B, Qt::CaseInsensitive) == 0; }

QString RootName(HKEY Root)
{
    switch (Root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return QStringLiteral("HKEY_CURRENT_USER");
    }
}

// Quotes and backslashes are escaped, and line breaks, so every value stays on its line.
QString Escape(const QString& S)
{
    QString r;
    r.reserve(S.size() + 2);
    for (QChar c : S) {
        if (c == u'\\' || c == u'"')
            r += u'\\', r += c;
        else if (c == u'\n')
            r += QStringLiteral("\\n");
        else if (c == u'\r')
            r += QStringLiteral("\\r");
        else
            r += c;
    }
    return r;
}

// Reads a quoted string starting at From (on the opening quote); Pos ends after the closing one.
bool Unquote(const QString& Line, int From, QString& Out, int& Pos)
{
    if (From >= Line.size() || Line[From] != u'"')
        return false;
    Out.clear();
    for (int i = From + 1; i < Line.size(); ++i) {
        const QChar c = Line[i];
        if (c == u'"') {
            Pos = i + 1;
            return true;
        }
        if (c == u'\\' && i + 1 < Line.size()) {
            const QChar n = Line[++i];
            Out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            Out += c;
        }
    }
    return false;
}

struct RegKey {
    QString Path;   // root name and subkeys joined by "\"
    std::vector<std::pair<QString, QString>> Values;
};

struct Store {
    std::vector<RegKey> Keys;

    static Store Load()
    {
        Store s;
        QFile f(RegistryStoreFileName());
        if (!f.open(QIODevice::ReadOnly))
            return s;
        const QString text = QString::fromUtf8(f.readAll());
        RegKey* cur = nullptr;
        for (const QString& raw : text.split(u'\n')) {
            const QString line = raw.endsWith(u'\r') ? raw.chopped(1) : raw;
            if (line.startsWith(u'[') && line.endsWith(u']')) {
                s.Keys.push_back(RegKey{line.mid(1, line.size() - 2), {}});
                cur = &s.Keys.back();
                continue;
            }
            if (!cur)
                continue;
            QString name, value;
            int pos = 0;
            if (line.startsWith(QLatin1String("@="))) {
                pos = 1;
            } else if (!Unquote(line, 0, name, pos)) {
                continue;   // a damaged line is dropped, the rest of the store still reads
            }
            if (pos >= line.size() || line[pos] != u'=' || !Unquote(line, pos + 1, value, pos))
                continue;
            cur->Values.emplace_back(name, value);
        }
        return s;
    }

    void Save() const
    {
        QString text;
        for (const RegKey& k : Keys) {
            text += u'[' + k.Path + QStringLiteral("]\n");
            for (const auto& [n, v] : k.Values)
                text += (n.isEmpty() ? QStringLiteral("@") : u'"' + Escape(n) + u'"') + QStringLiteral("=\"") +
                        Escape(v) + QStringLiteral("\"\n");
        }
        const QString file = RegistryStoreFileName();
        QDir().mkpath(QFileInfo(file).absolutePath());
        try {
            SaveBytesToFile(file, text.toUtf8());
        } catch (const Exception&) {
            throw ERegistryException(QStringLiteral("Failed to write the registry store %s"), {file});
        }
    }

    RegKey* Find(const QString& Path)
    {
        for (RegKey& k : Keys)
            if (SameName(k.Path, Path))
                return &k;
        return nullptr;
    }

    RegKey* Make(const QString& Path)
    {
        if (RegKey* k = Find(Path))
            return k;
        Keys.push_back(RegKey{Path, {}});
        return &Keys.back();
    }

    static bool Below(const QString& Path, const QString& Parent)
    {
        return Path.size() > Parent.size() + 1 && Path[Parent.size()] == u'\\' &&
               SameName(Path.left(Parent.size()), Parent);
    }
};

}  // namespace

QString RegistryStoreFileName()
{
    if (!StoreFileOverride().isEmpty())
        return StoreFileOverride();
    const QString env = qEnvironmentVariable("DOV_REGISTRY_FILE");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/registry.dat");
}

void SetRegistryStoreFileName(const QString& FileName) { StoreFileOverride() = FileName; }

// ---------------------------------------------------------------- TRegistry

void TRegistry::SetRootKey(HKEY Value)
{
    FRootKey = Value;
    CloseKey();
}

QString TRegistry::FullPath(const QString& Key) const
{
    QString rel = Key;
    rel.replace(u'/', u'\\');
    const bool absolute = rel.startsWith(u'\\');
    QStringList parts;
    if (!absolute && !FCurrentPath.isEmpty())
        parts << FCurrentPath;
    for (const QString& p : rel.split(u'\\', Qt::SkipEmptyParts))
        parts << p;
    QString path = RootName(FRootKey);
    for (const QString& p : parts)
        path += u'\\' + p;
    return path;
}

bool TRegistry::OpenKey(const QString& Key, bool CanCreate)
{
    const QString path = FullPath(Key);
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    if (!s.Find(path)) {
        if (!CanCreate)
            return false;
        s.Make(path);
        s.Save();
    }
    FCurrentPath = path.mid(RootName(FRootKey).size() + 1);
    return true;
}

bool TRegistry::KeyExists(const QString& Key)
{
    const QString path = FullPath(Key);
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    if (s.Find(path))
        return true;
    for (const RegKey& k : s.Keys)
        if (Store::Below(k.Path, path))
            return true;
    return false;
}

bool TRegistry::DeleteKey(const QString& Key)
{
    const QString path = FullPath(Key);
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    const size_t before = s.Keys.size();
    std::erase_if(s.Keys, [&](const RegKey& k) { return SameName(k.Path, path) || Store::Below(k.Path, path); });
    if (s.Keys.size() == before)
        return false;
    s.Save();
    return true;
}

bool TRegistry::ValueExists(const QString& Name)
{
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    if (RegKey* k = s.Find(FullPath(QString())))
        for (const auto& v : k->Values)
            if (SameName(v.first, Name))
                return true;
    return false;
}

QString TRegistry::ReadString(const QString& Name)
{
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    if (RegKey* k = s.Find(FullPath(QString())))
        for (const auto& v : k->Values)
            if (SameName(v.first, Name))
                return v.second;
    return QString();
}

void TRegistry::WriteString(const QString& Name, const QString& Value)
{
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    RegKey* k = s.Make(FullPath(QString()));
    bool found = false;
    for (auto& v : k->Values)
        if (SameName(v.first, Name)) {
            v.second = Value;
            found = true;
            break;
        }
    if (!found)
        k->Values.emplace_back(Name, Value);
    s.Save();
}

bool TRegistry::DeleteValue(const QString& Name)
{
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    RegKey* k = s.Find(FullPath(QString()));
    if (!k || !std::erase_if(k->Values, [&](const auto& v) { return SameName(v.first, Name); }))
        return false;
    s.Save();
    return true;
}

void TRegistry::GetValueNames(TStrings* Strings)
{
    Strings->Clear();
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    if (RegKey* k = s.Find(FullPath(QString())))
        for (const auto& v : k->Values)
            Strings->Add(v.first);
}

void TRegistry::GetKeyNames(TStrings* Strings)
{
    Strings->Clear();
    const QString path = FullPath(QString());
    std::lock_guard lock(StoreMutex());
    Store s = Store::Load();
    QStringList seen;
    for (const RegKey& k : s.Keys)
        if (Store::Below(k.Path, path)) {
            const QString child = k.Path.mid(path.size() + 1).section(u'\\', 0, 0);
            if (!seen.contains(child, Qt::CaseInsensitive)) {
                seen << child;
                Strings->Add(child);
            }
        }
}

// ---------------------------------------------------------------- TRegIniFile

TRegIniFile::TRegIniFile(const QString& FileName) : TCustomIniFile(FileName)
{
    FRegistry.OpenKey(FileName, true);
    FKeyPath = u'\\' + FRegistry.CurrentPath();
}

QString TRegIniFile::SectionPath(const QString& section) const
{
    return section.isEmpty() ? FKeyPath : FKeyPath + u'\\' + section;
}

QString TRegIniFile::ReadString(const QString& section, const QString& ident, const QString& def)
{
    TRegistry r;
    if (!r.OpenKey(SectionPath(section), false) || !r.ValueExists(ident))
        return def;
    return r.ReadString(ident);
}

void TRegIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    TRegistry r;
    r.OpenKey(SectionPath(section), true);
    r.WriteString(ident, value);
}

void TRegIniFile::ReadSection(const QString& section, TStrings* strings)
{
    TRegistry r;
    strings->Clear();
    if (r.OpenKey(SectionPath(section), false))
        r.GetValueNames(strings);
}

void TRegIniFile::ReadSections(TStrings* strings)
{
    TRegistry r;
    strings->Clear();
    if (r.OpenKey(FKeyPath, false))
        r.GetKeyNames(strings);
}

void TRegIniFile::ReadSectionValues(const QString& section, TStrings* strings)
{
    TRegistry r;
    strings->Clear();
    if (!r.OpenKey(SectionPath(section), false))
        return;
    auto names = CreateUnique<TStringList>();
    r.GetValueNames(names.get());
    for (int i = 0; i < names->Count(); ++i)
        strings->Add(names->Strings(i) + u'=' + r.ReadString(names->Strings(i)));
}

bool TRegIniFile::SectionExists(const QString& section) { return TRegistry().KeyExists(SectionPath(section)); }

bool TRegIniFile::ValueExists(const QString& section, const QString& ident)
{
    TRegistry r;
    return r.OpenKey(SectionPath(section), false) && r.ValueExists(ident);
}

void TRegIniFile::EraseSection(const QString& section) { TRegistry().DeleteKey(SectionPath(section)); }

void TRegIniFile::DeleteKey(const QString& section, const QString& ident)
{
    TRegistry r;
    if (r.OpenKey(SectionPath(section), false))
        r.DeleteValue(ident);
}
