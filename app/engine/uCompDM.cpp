#include "uCompDM.h"

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"

#include <QFile>
#include <QtGlobal>

static void InitCompDMResource() { Q_INIT_RESOURCE(uCompDM); }

void RegisterCompDMResource() { InitCompDMResource(); }

// ---------------------------------------------------------------- exceptions

namespace {

const QString kDuplicateText = QStringLiteral("Запись с заданными значениями уже существует.");

// The signer list's unique key: the server's message names the violation.
QString SignerMessage(const QString& prefix, const QString& message)
{
    return message.contains(QLatin1String("duplicate key"), Qt::CaseSensitive) ? kDuplicateText : prefix + message;
}

}  // namespace

EConnectException EConnectException::Caught(const QString& m) { return EConnectException(m); }
EInsExcelTempException EInsExcelTempException::Caught(const QString& m)
{
    return EInsExcelTempException(QStringLiteral("Ошибка при вставке информации из файла камерального контроля с текстом: ") + m);
}
EInsSvodDuplesException EInsSvodDuplesException::Caught(const QString& m)
{
    return EInsSvodDuplesException(QStringLiteral("Ошибка вставки записи во временную таблицу #svod_duples с текстом: ") + m);
}
EInsSvodInvException EInsSvodInvException::Caught(const QString& m)
{
    return EInsSvodInvException(QStringLiteral("Ошибка вставки записи во временную таблицу #svod_inv с текстом: ") + m);
}
EInsSprProvException EInsSprProvException::Caught(const QString& m)
{
    return EInsSprProvException(QStringLiteral("Ошибка вставки записи во временную таблицу #svod_prov с текстом: ") + m);
}
EInsTmpDararedInvException EInsTmpDararedInvException::Caught(const QString& m)
{
    return EInsTmpDararedInvException(QStringLiteral("Ошибка вставки записи в таблицу tmpDararedInv с текстом: ") + m);
}
EInsTmpDararedProvException EInsTmpDararedProvException::Caught(const QString& m)
{
    return EInsTmpDararedProvException(QStringLiteral("Ошибка вставки записи в таблицу tmpDararedProv с текстом: ") + m);
}
EDelTmpDararedInvException EDelTmpDararedInvException::Caught(const QString& m)
{
    return EDelTmpDararedInvException(QStringLiteral("Ошибка удаление информации из таблицы tmpDararedInv, с текстом: ") + m);
}
EInsDararedSigner EInsDararedSigner::Caught(const QString& m)
{
    return EInsDararedSigner(SignerMessage(QStringLiteral("Ошибка добавления записи с тестом: "), m));
}
EUpdDararedSigner EUpdDararedSigner::Caught(const QString& m)
{
    return EUpdDararedSigner(SignerMessage(QStringLiteral("Ошибка обновления записи с тестом: "), m));
}
EDelDararedSigner EDelDararedSigner::Caught(const QString& m)
{
    return EDelDararedSigner(QStringLiteral("Ошибка удаления записи с тестом: ") + m);
}
EInsZeroExclude EInsZeroExclude::Caught(const QString& m)
{
    return EInsZeroExclude(QStringLiteral("Ошибка добавления записи с тестом: ") + m);
}
EUpdZeroExclude EUpdZeroExclude::Caught(const QString& m)
{
    return EUpdZeroExclude(QStringLiteral("Ошибка обновления записи с тестом: ") + m);
}
EDelZeroExclude EDelZeroExclude::Caught(const QString& m)
{
    return EDelZeroExclude(QStringLiteral("Ошибка удаления записи с тестом: ") + m);
}

// ---------------------------------------------------------------- dictionary

void TObjectsDict::Add(const QString& name, const QString& server)
{
    if (ContainsKey(name)) throw EListError(QStringLiteral("Duplicates not allowed: \"%1\"").arg(name));
    FItems.emplace_back(name, server);
}

bool TObjectsDict::ContainsKey(const QString& name) const
{
    for (const Item& i : FItems)
        if (i.first == name) return true;
    return false;
}

bool TObjectsDict::TryGetValue(const QString& name, QString& server) const
{
    for (const Item& i : FItems)
        if (i.first == name) {
            server = i.second;
            return true;
        }
    return false;
}

QString TObjectsDict::operator[](const QString& name) const
{
    QString s;
    if (!TryGetValue(name, s)) throw EListError(QStringLiteral("Item not found: \"%1\"").arg(name));
    return s;
}

// ---------------------------------------------------------------- configuration

QString SvodConnectionString(const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;"
                          "Initial Catalog=maindatabase;Data Source=") + server;
}

QString ObjConnectionString(const QString& server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;"
                          "Initial Catalog=MainDataBase;Data Source=") + server;
}

QString DefaultConfigPath() { return ExtractFilePath(ParamStr0()) + QStringLiteral("Config.ini"); }

namespace {

// The "name=value" lines of one section exactly as written, repeats included: the ini
// reader keeps only the first of equal names, which would hide a branch named twice.
std::vector<std::pair<QString, QString>> RawSectionLines(const QString& path, const QString& section)
{
    std::vector<std::pair<QString, QString>> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QByteArray bytes = f.readAll();
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) text = CP1251ToUnicode(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    bool inSection = false;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            inSection = close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(u';')) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        out.emplace_back(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return out;
}

}  // namespace

bool TCompConfig::Load(const QString& iniPath)
{
    if (!FileExists(iniPath)) return false;
    FConfigured = true;
    TIniFile ini(iniPath);
    ObjectsDict.emplace();
    FSvodServer = ini.ReadString(QStringLiteral("svodconnection"), QStringLiteral("ip"), QString());
    Filial = ini.ReadString(QStringLiteral("svodconnection"), QStringLiteral("filial"), QString());
    IsFilial = !Filial.isEmpty();
    // the name runs to the first "=", the server is everything after it
    for (const auto& [name, server] : RawSectionLines(iniPath, QStringLiteral("objectsconnection")))
        ObjectsDict->Add(name, server);
    return true;
}

int TCompConfig::FilialNumber() const { return FilialSqlNumber(Filial); }

int FilialSqlNumber(const QString& filial)
{
    const QString t = filial.trimmed();
    bool digits = !t.isEmpty() && t.size() <= 5;
    for (QChar c : t) digits = digits && c >= u'0' && c <= u'9';
    const int n = digits ? t.toInt() : -1;
    if (!digits || n > 32767)
        throw EFilialConfigError(QStringLiteral("Номер филиала \"%1\" в Config.ini (раздел svodconnection, ключ filial) "
                                                "не является целым числом. Запрос не выполнен.")
                                     .arg(filial));
    return n;
}

QString SelectSvodInvFilialLine(const QString& filial)
{
    return QStringLiteral("AND ISNULL(ISNULL(inv.filial,csig.filial), exc.dopunn)=") + QString::number(FilialSqlNumber(filial));
}

QString ExcSumFilialLine(const QString& filial)
{
    return QStringLiteral("WHERE ISNULL(csig.filial,exc.dopunn)=") + QString::number(FilialSqlNumber(filial));
}

QString UpdateDecimalSeparator(const QString& s)
{
    if (s.isEmpty()) return QStringLiteral("0");
    QString r = s;
    r.remove(u' ');
    const QChar sep = FormatSettings.DecimalSeparator;
    if (sep == u',') r.replace(u'.', u',');
    else if (sep == u'.') r.replace(u',', u'.');
    return r;
}
