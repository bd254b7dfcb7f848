#include "uCompDM.h"

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "components/memtable/DataDriverEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/ImgList.h"

#include <QFile>
#include <QImage>
#include <unordered_map>
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

// ---------------------------------------------------------------- the data module

TCompDM* CompDM = nullptr;
QString TCompDM::ConfigPath;
std::function<void(const Exception&)> TCompDM::HandleCreateError;

DOV_PUBLISHED(TCompDM)
{
    P.Field("SvodMDBConnection", &TCompDM::SvodMDBConnection);
    P.Field("ObjMDBConnection", &TCompDM::ObjMDBConnection);
    P.Field("CrInvProv", &TCompDM::CrInvProv);
    P.Field("InsInvProvData", &TCompDM::InsInvProvData);
    P.Field("SelectInvProvData", &TCompDM::SelectInvProvData);
    P.Field("SelectDuplicateProv", &TCompDM::SelectDuplicateProv);
    P.Field("SelectSprProvObj", &TCompDM::SelectSprProvObj);
    P.Field("CrExcelTemp", &TCompDM::CrExcelTemp);
    P.Field("InsExcelTempQ", &TCompDM::InsExcelTempQ);
    P.Field("CrSvodInv", &TCompDM::CrSvodInv);
    P.Field("CrSvodDuples", &TCompDM::CrSvodDuples);
    P.Field("CrSprProv", &TCompDM::CrSprProv);
    P.Field("InsSvodInvQ", &TCompDM::InsSvodInvQ);
    P.Field("InsSvodDuplesQ", &TCompDM::InsSvodDuplesQ);
    P.Field("InsSprProvQ", &TCompDM::InsSprProvQ);
    P.Field("SelectSvodInv", &TCompDM::SelectSvodInv);
    P.Field("SelectSvodDuplesFilial", &TCompDM::SelectSvodDuplesFilial);
    P.Field("SelectSvodDuplesOblpo", &TCompDM::SelectSvodDuplesOblpo);
    P.Field("SelectSvodDuplesInvoiceNumbers", &TCompDM::SelectSvodDuplesInvoiceNumbers);
    P.Field("SelectSprProvQ", &TCompDM::SelectSprProvQ);
    P.Field("ExcSumQ", &TCompDM::ExcSumQ);
    P.Field("SprSumQ", &TCompDM::SprSumQ);
    P.Field("SelectTmpDararedInv", &TCompDM::SelectTmpDararedInv);
    P.Field("SelectTmpDararedProv", &TCompDM::SelectTmpDararedProv);
    P.Field("InsTmpDararedInvQ", &TCompDM::InsTmpDararedInvQ);
    P.Field("InsTmpDararedProvQ", &TCompDM::InsTmpDararedProvQ);
    P.Field("RewriteInsTmpDararedProv", &TCompDM::RewriteInsTmpDararedProv);
    P.Field("DelTmpDararedInvQ", &TCompDM::DelTmpDararedInvQ);
    P.Field("SelectDararedSingersQ", &TCompDM::SelectDararedSingersQ);
    P.Field("InsertDararedSingersQ", &TCompDM::InsertDararedSingersQ);
    P.Field("UpdateDararedSingersQ", &TCompDM::UpdateDararedSingersQ);
    P.Field("DeleteDararedSingersQ", &TCompDM::DeleteDararedSingersQ);
    P.Field("SelectSignersByFilialQ", &TCompDM::SelectSignersByFilialQ);
    P.Field("CheckDararedSignersDuplesQ", &TCompDM::CheckDararedSignersDuplesQ);
    P.Field("SelectZeroExcludeQ", &TCompDM::SelectZeroExcludeQ);
    P.Field("InsertZeroExcludeQ", &TCompDM::InsertZeroExcludeQ);
    P.Field("UpdateZeroExcludeQ", &TCompDM::UpdateZeroExcludeQ);
    P.Field("DeleteZeroExcludeQ", &TCompDM::DeleteZeroExcludeQ);
    P.Field("SelectPlatPredpr", &TCompDM::SelectPlatPredpr);
    P.Field("SelectOblDopUnn", &TCompDM::SelectOblDopUnn);
    P.Field("SelectSvodDuplesDS", &TCompDM::SelectSvodDuplesDS);
    P.Field("SelectSvodDuplesOblpoDS", &TCompDM::SelectSvodDuplesOblpoDS);
    P.Field("SelectSvodDuplesInvoiceNumbersDS", &TCompDM::SelectSvodDuplesInvoiceNumbersDS);
    P.Field("SelectSprProvDS", &TCompDM::SelectSprProvDS);
    P.Field("SelectTmpDararedProvDS", &TCompDM::SelectTmpDararedProvDS);
    P.Field("SelectDararedSingersDS", &TCompDM::SelectDararedSingersDS);
    P.Field("SelectZeroExcludeDS", &TCompDM::SelectZeroExcludeDS);
    P.Field("SelectPlatPredprDS", &TCompDM::SelectPlatPredprDS);
    P.Field("SelectSvodInvDSDEh", &TCompDM::SelectSvodInvDSDEh);
    P.Field("SelectTmpDararedInvDSDEh", &TCompDM::SelectTmpDararedInvDSDEh);
    P.Field("CompareMemTableEh", &TCompDM::CompareMemTableEh);
    P.Field("TmpDararedInvMemTableEh", &TCompDM::TmpDararedInvMemTableEh);
    P.Field("CompareMemTableEhDS", &TCompDM::CompareMemTableEhDS);
    P.Field("TmpDararedInvMemTableEhDS", &TCompDM::TmpDararedInvMemTableEhDS);
    P.Field("ImageList_16", &TCompDM::ImageList_16);
    P.Field("ImageList_24", &TCompDM::ImageList_24);
    P.Method("DataModuleCreate", &TCompDM::DataModuleCreate);
    P.Method("CompareMemTableEhCalcFields", &TCompDM::CompareMemTableEhCalcFields);
    P.Method("TmpDararedInvMemTableEhCalcFields", &TCompDM::TmpDararedInvMemTableEhCalcFields);
}

namespace {

// The classes the form resource names, registered once before the first module is read.
void RegisterCompDMClasses()
{
    static const bool done = [] {
        RegisterClasses<TADOConnection, TADOQuery, TDataSource, TDataSetDriverEh, TMemTableEh, TImageList, TCompDM>();
        RegisterCompDMResource();
        return true;
    }();
    (void)done;
}

Variant Text(const QString& s) { return Variant(s); }   // an empty text stays a text, not NULL
Variant Date(TDateTime d) { return Variant::FromDate(d); }
Variant Small(int16_t v) { return Variant::FromSmallint(v); }

void SetParam(TADOQuery* q, const char* name, const Variant& v) { q->Parameters()->ParamByName(QString::fromUtf8(name))->SetValue(v); }

// The parameter of that name (ASCII), tried first where it stood the last time: the copying
// steps set the same parameters row after row. Any change of the list only costs a search.
TParameter* HintedParam(TParameters* ps, const char* name, int& hint)
{
    const QLatin1StringView n(name);
    if (hint >= 0 && hint < ps->Count()) {
        TParameter* p = ps->Items(hint);
        const QString& have = p->NameRef();
        if (have == n || have.compare(n, Qt::CaseInsensitive) == 0) return p;
    }
    TParameter* p = ps->ParamByName(QString(n));
    hint = p->Index();
    return p;
}

// Sets the parameters by name and executes the statement once; the operation's class
// replaces any error.
template <typename E>
void Run(TADOQuery* q, std::initializer_list<std::pair<const char*, Variant>> params)
{
    // per statement and thread: where each parameter of the call stood
    thread_local std::unordered_map<const TADOQuery*, std::vector<int>> hintsOf;
    try {
        std::vector<int>& hints = hintsOf[q];
        hints.resize(params.size(), -1);
        int i = 0;
        for (const auto& [n, v] : params) HintedParam(q->Parameters(), n, hints[size_t(i++)])->SetValue(v);
        q->ExecSQL();
    } catch (const Exception& e) {
        throw E::Caught(e.Message());
    }
}

}  // namespace

TCompDM::TCompDM(TComponent* AOwner) : TDataModule(AOwner)
{
    RegisterCompDMClasses();
}

namespace {

// The list's images "NN.png" in order, from the resource folder named after the list.
void FillImageList(TImageList* list)
{
    if (!list)
        return;
    list->Clear();
    for (int i = 0;; ++i) {
        QImage image(QStringLiteral(":/images/%1/%2.png").arg(list->Name()).arg(i, 2, 10, QLatin1Char('0')));
        if (image.isNull())
            break;
        list->AddImage(image);
    }
}

}  // namespace

void TCompDM::DoCreate()
{
    FillImageList(ImageList_16);
    FillImageList(ImageList_24);
    try {
        TDataModule::DoCreate();
    } catch (const Exception& e) {
        CreateError = e.Message();
        if (HandleCreateError) HandleCreateError(e);
    }
}

void TCompDM::DataModuleCreate(TObject*)
{
    TCompConfig config;
    // the fields follow the reading as far as it got, even when it fails
    struct Publish {
        TCompDM* dm;
        TCompConfig& c;
        ~Publish()
        {
            dm->Filial = c.Filial;
            dm->IsFilial = c.IsFilial;
            dm->ObjectsDict = c.ObjectsDict;
        }
    };
    {
        Publish publish{this, config};
        if (!config.Load(ConfigPath.isEmpty() ? DefaultConfigPath() : ConfigPath)) return;
    }
    SvodMDBConnection->Close();
    SvodMDBConnection->SetConnectionString(config.SvodConnection());
    SvodMDBConnection->Open();
}

void TCompDM::ConnectToObject(const QString& server)
{
    try {
        ObjMDBConnection->Close();
        ObjMDBConnection->SetConnectionString(ObjConnectionString(server));
        ObjMDBConnection->Open();
    } catch (const Exception& e) {
        throw EConnectException::Caught(e.Message());
    }
}

void TCompDM::InsertExcelTemp(int64_t idPredpr, const QString& namePredpr, const QString& invoicefullname, const QString& docnumber,
                              const QString& svplace, const QString& recipientname, const QString& signerfio, TDateTime datetrans,
                              int16_t status, Currency ndsexcel, Currency totalcostinv, Currency totalcostvatinv,
                              const Variant& docdate, const Variant& dopunn)
{
    Run<EInsExcelTempException>(InsExcelTempQ, {{"idPredpr", Variant((long long)idPredpr)}, {"namePredpr", Text(namePredpr)},
                                                {"invoicefullname", Text(invoicefullname)}, {"datetrans", Date(datetrans)},
                                                {"status", Small(status)}, {"recipientname", Text(recipientname)}, {"dopunn", dopunn},
                                                {"signerfio", Text(signerfio)}, {"docnumber", Text(docnumber)}, {"docdate", docdate},
                                                {"ndsexcel", Variant(ndsexcel)}, {"totalcostinv", Variant(totalcostinv)},
                                                {"totalcostvatinv", Variant(totalcostvatinv)}, {"svplace", Text(svplace)}});
}

void TCompDM::InsertSvodDuples(const QString& numbuhdup, const QString& docnumberdup, const QString& numbuhsv, const QString& invfullname,
                               const QString& namepredpr, TDateTime mes, TDateTime docdatedup, Currency sumdup, Currency invtotalvat,
                               int16_t dopUNN)
{
    Run<EInsSvodDuplesException>(InsSvodDuplesQ, {{"mes", Date(mes)}, {"numbuhdup", Text(numbuhdup)}, {"docnumberdup", Text(docnumberdup)},
                                                  {"docdatedup", Date(docdatedup)}, {"sumdup", Variant(sumdup)}, {"numbuhsv", Text(numbuhsv)},
                                                  {"invfullname", Text(invfullname)}, {"invtotalvat", Variant(invtotalvat)},
                                                  {"namepredpr", Text(namepredpr)}, {"dopUNN", Small(dopUNN)}});
}

void TCompDM::InsertSvodInv(const Variant& idPredpr, const Variant& invoicefullname, const Variant& datetrans, const Variant& status,
                            const Variant& ndsspr, const Variant& ndsinvoice, const Variant& totalcostinv, const Variant& totalcostvatinv,
                            const Variant& svplace, const Variant& numbuhspr, const Variant& numdocpart, const Variant& docnumber,
                            const Variant& docdate, const Variant& filial)
{
    Run<EInsSvodInvException>(InsSvodInvQ, {{"idPredpr", idPredpr}, {"invoicefullname", invoicefullname}, {"datetrans", datetrans},
                                            {"status", status}, {"docnumber", docnumber}, {"docdate", docdate}, {"ndsspr", ndsspr},
                                            {"ndsinvoice", ndsinvoice}, {"totalcostinv", totalcostinv}, {"totalcostvatinv", totalcostvatinv},
                                            {"filial", filial}, {"svplace", svplace}, {"numbuhspr", numbuhspr}, {"numdocpart", numdocpart}});
}

void TCompDM::InsertSprProv(const QString& numbuhspr, const QString& numdoc, const QString& numdocpart, const QString& NSF, TDateTime mes,
                            TDateTime datadoc, Currency summ, const Variant& globalcode, int16_t filial)
{
    Run<EInsSprProvException>(InsSprProvQ, {{"numbuhspr", Text(numbuhspr)}, {"mes", Date(mes)}, {"datadoc", Date(datadoc)},
                                            {"numdoc", Text(numdoc)}, {"numdocpart", Text(numdocpart)}, {"summ", Variant(summ)},
                                            {"globalcode", globalcode}, {"filial", Small(filial)}, {"NSF", Text(NSF)}});
}

void TCompDM::InsertTmpDararedInv(const Variant& idPredpr, const Variant& invoicefullname, const Variant& datetrans, const Variant& status,
                                  const Variant& recipientname, const Variant& signerfio, const Variant& namepredpr,
                                  const Variant& docnumber, const Variant& docdate, const Variant& ndsexcel, const Variant& ndsspr,
                                  const Variant& ndsinvoice, const Variant& totalcostinv, const Variant& totalcostvatinv,
                                  const Variant& filial, const Variant& svplace, const Variant& numbuhspr, const Variant& numdocpart)
{
    Run<EInsTmpDararedInvException>(InsTmpDararedInvQ,
                                    {{"idPredpr", idPredpr}, {"invoicefullname", invoicefullname}, {"datetrans", datetrans},
                                     {"status", status}, {"recipientname", recipientname}, {"signerfio", signerfio},
                                     {"namepredpr", namepredpr}, {"docnumber", docnumber}, {"docdate", docdate}, {"ndsexcel", ndsexcel},
                                     {"ndsspr", ndsspr}, {"ndsinvoice", ndsinvoice}, {"totalcostinv", totalcostinv},
                                     {"totalcostvatinv", totalcostvatinv}, {"filial", filial}, {"svplace", svplace},
                                     {"numbuhspr", numbuhspr}, {"numdocpart", numdocpart}});
}

void TCompDM::InsertTpmDararedProv(const Variant& numbuhspr, const Variant& mes, const Variant& numdoc, const Variant& numdocpart,
                                   const Variant& NSF, const Variant& datadoc, const Variant& summ, const Variant& globalcode,
                                   const Variant& filial)
{
    Run<EInsTmpDararedProvException>(InsTmpDararedProvQ, {{"numbuhspr", numbuhspr}, {"mes", mes}, {"datadoc", datadoc}, {"numdoc", numdoc},
                                                          {"numdocpart", numdocpart}, {"summ", summ}, {"globalcode", globalcode},
                                                          {"filial", filial}, {"NSF", NSF}});
}

void TCompDM::InsertDararedSigner(int16_t filial, const QString& fio)
{
    Run<EInsDararedSigner>(InsertDararedSingersQ, {{"filial", Small(filial)}, {"fio", Text(fio)}});
}

void TCompDM::UpdateDararedSigner(int32_t idRecord, int16_t filial, const QString& fio)
{
    Run<EUpdDararedSigner>(UpdateDararedSingersQ, {{"filial", Small(filial)}, {"fio", Text(fio)}, {"idRecord", Variant(int(idRecord))}});
}

void TCompDM::DeleteDararedSigner(int32_t idRecord)
{
    Run<EDelDararedSigner>(DeleteDararedSingersQ, {{"idRecord", Variant(int(idRecord))}});
}

void TCompDM::InsertZeroExclude(int16_t filial, const QString& invoice)
{
    Run<EInsZeroExclude>(InsertZeroExcludeQ, {{"filial", Small(filial)}, {"invoice", Text(invoice)}});
}

void TCompDM::UpdateZeroExclude(int32_t idRecord, int16_t filial, const QString& invoice)
{
    Run<EUpdZeroExclude>(UpdateZeroExcludeQ, {{"filial", Small(filial)}, {"invoice", Text(invoice)}, {"idRecord", Variant(int(idRecord))}});
}

void TCompDM::DeleteZeroExclude(int32_t idRecord)
{
    Run<EDelZeroExclude>(DeleteZeroExcludeQ, {{"idRecord", Variant(int(idRecord))}});
}

bool TCompDM::CheckDararedSignersDuplicates(QString& fios)
{
    fios.clear();
    CheckDararedSignersDuplesQ->Close();
    CheckDararedSignersDuplesQ->Open();
    if (CheckDararedSignersDuplesQ->IsEmpty()) return false;
    for (CheckDararedSignersDuplesQ->First(); !CheckDararedSignersDuplesQ->Eof(); CheckDararedSignersDuplesQ->Next())
        fios += u' ' + CheckDararedSignersDuplesQ->FieldByName(QStringLiteral("fio"))->AsString();
    return true;
}

QString TCompDM::GetSignersByFilial(const Variant& filial)
{
    SelectSignersByFilialQ->Close();
    SetParam(SelectSignersByFilialQ, "filial", filial);
    SelectSignersByFilialQ->Open();
    QStringList names;
    for (SelectSignersByFilialQ->First(); !SelectSignersByFilialQ->Eof(); SelectSignersByFilialQ->Next())
        names << QuotedStr(SelectSignersByFilialQ->FieldByName(QStringLiteral("fio"))->AsString());
    SelectSignersByFilialQ->First();
    return names.join(u',');
}

void TCompDM::SelectSprProv(TADOQuery* Query, const QString& numdoc, const QString& numdocpart, const QString& numbuhspr,
                            const QString& globalcode, const QString& invfullname, TDateTime datadoc, int16_t filial)
{
    Query->Close();
    SetParam(Query, "numdoc", Text(numdoc));
    SetParam(Query, "numdocpart", Text(numdocpart));
    SetParam(Query, "datadoc", Date(datadoc));
    SetParam(Query, "numbuhspr", Text(numbuhspr));
    SetParam(Query, "globalcode", Text(globalcode));
    SetParam(Query, "filial", Small(filial));
    SetParam(Query, "invfullname", Text(invfullname));
    Query->Open();
}
