#include "DemoData.h"
#include "platform/rtl/Guards.h"

#include "platform/ado/SqlEngine.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sheets/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>
#include <map>
#include <set>
#include <random>

namespace demo {

// ---------------------------------------------------------------- schema

namespace {

const char* const kSummarySchema =
    "CREATE TABLE tbPredpr (idPredpr bigint NOT NULL PRIMARY KEY, NamePredprShort varchar(150), idPlat bigint,\n"
    "  UNN varchar(20), dopUNN smallint, namePredpr varchar(300))\n"
    "CREATE TABLE tbNastrPredpr (idPredpr bigint NOT NULL)\n"
    "CREATE TABLE tmpDararedInv (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, idPredpr bigint, invoicefullname varchar(25),\n"
    "  datetrans datetime, status tinyint, recipientname varchar(200), signerfio varchar(70), namepredpr varchar(300),\n"
    "  docnumber varchar(50), docdate datetime, ndsexcel decimal(18, 3), ndsspr decimal(18, 3), ndsinvoice decimal(18, 3),\n"
    "  totalcostinv decimal(18, 3), totalcostvatinv decimal(18, 3), filial smallint, svplace varchar(1), numbuhspr varchar(10),\n"
    "  numdocpart varchar(50), hide bit NOT NULL DEFAULT (0))\n"
    // saving looks every row up by its values, the e-invoice number first
    "CREATE INDEX IX_tmpDararedInv_invoicefullname ON tmpDararedInv (invoicefullname)\n"
    "CREATE TABLE tmpDararedProv (numbuhspr varchar(10), mes datetime, datadoc datetime, numdoc varchar(50), numdocpart varchar(50),\n"
    "  summ decimal(18, 3), globalcode varchar(50), filial smallint, NSF varchar(30))\n"
    "CREATE TABLE DararedSigners (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, filial smallint NOT NULL, fio varchar(100) NOT NULL,\n"
    "  CONSTRAINT UQ_DararedSigners UNIQUE (filial, fio))\n"
    "CREATE TABLE DararedZeroExclude (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, filial smallint NOT NULL,\n"
    "  invoice varchar(25) NOT NULL)\n";

const char* const kBranchSchema =
    "CREATE TABLE tbPredpr (idPredpr int NOT NULL PRIMARY KEY, unn varchar(20), dopUNN smallint, globalcode varchar(50),\n"
    "  namePredpr varchar(300))\n"
    "CREATE TABLE tbNastrPredpr (idPredpr int NOT NULL)\n"
    "CREATE TABLE invoices (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL, idProvider int,\n"
    "  invoice varchar(25), documentType tinyint, dateTransaction datetime, sv bit, totalVat decimal(18, 3),\n"
    "  totalCost decimal(18, 3), totalCostVat decimal(18, 3),\n"
    "  CONSTRAINT PK_invoices PRIMARY KEY (idSender, compilingYear, number))\n"
    "CREATE TABLE history (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL, invStatus smallint,\n"
    "  CONSTRAINT PK_history PRIMARY KEY (idSender, compilingYear, number))\n"
    "CREATE TABLE documents (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL,\n"
    "  docNumber varchar(50), docDate datetime,\n"
    "  CONSTRAINT PK_documents PRIMARY KEY (idSender, compilingYear, number))\n";

const char* const kBuhSchema =
    "CREATE TABLE tbSpravka (idSpravka int IDENTITY(1,1) NOT NULL PRIMARY KEY, NSF varchar(30), Summ decimal(18, 3),\n"
    "  DataDoc datetime, NumDoc varchar(50), numDocPart varchar(50), NumBuhSpr varchar(10), idPredpr int, mes smalldatetime,\n"
    "  idSchetSubSchetDT int, PrizAUDT varchar(10), idSchetSubSchetKT int, PrizAUKT varchar(10), PrizRej tinyint, Sv tinyint)\n"
    "CREATE TABLE tbSFProvNDS (IdDt int NOT NULL, AuDt varchar(10), IdKt int NOT NULL, AuKt varchar(10))\n";

const QString kSummaryCatalog = QStringLiteral("maindatabase");
const QString kBranchCatalog = QStringLiteral("MainDataBase");
const QString kBuhCatalog = QStringLiteral("buh");

}  // namespace

QString SummarySchemaSql() { return QString::fromUtf8(kSummarySchema); }
QString BranchSchemaSql() { return QString::fromUtf8(kBranchSchema); }
QString BuhSchemaSql() { return QString::fromUtf8(kBuhSchema); }

QString DeploymentScript(const QString& catalog)
{
    QString schema;
    if (catalog == kSummaryCatalog) schema = SummarySchemaSql();
    else if (catalog == kBranchCatalog) schema = BranchSchemaSql();
    else if (catalog == kBuhCatalog) schema = BuhSchemaSql();
    else throw Exception(QStringLiteral("Unknown catalog '%1'").arg(catalog));
    QString out = QStringLiteral(
                      "-- Creates the catalog \"%1\" with the tables the program reads and writes.\n"
                      "-- Text columns take the database's case-insensitive Cyrillic collation.\n"
                      "IF DB_ID('%1') IS NULL\n"
                      "  CREATE DATABASE [%1] COLLATE Cyrillic_General_CI_AS\n"
                      "GO\n"
                      "USE [%1]\n"
                      "GO\n")
                      .arg(catalog);
    // one batch per table
    for (const QString& stmt : schema.split(QStringLiteral("\nCREATE TABLE "), Qt::SkipEmptyParts)) {
        QString s = stmt.startsWith(QLatin1String("CREATE TABLE ")) ? stmt : QStringLiteral("CREATE TABLE ") + stmt;
        if (!s.endsWith(u'\n')) s += u'\n';
        out += s + QStringLiteral("GO\n");
    }
    if (catalog == kBuhCatalog)
        out += QStringLiteral("-- The account pairs that are VAT entries are the accounting's own data: fill tbSFProvNDS.\n");
    return out;
}

QString SummaryFolderName() { return QStringLiteral("svod"); }

QString DemoConnectionString(const QString& folder, const QString& catalog, bool create)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;"
                          "Initial Catalog=%1;Data Source=%2%3")
        .arg(catalog, folder, create ? QStringLiteral(";Create Catalog=True") : QString());
}

// ---------------------------------------------------------------- model

const TDemoLocalEnterprise* TDemoBranch::Local(int localId) const
{
    for (const auto& e : Enterprises)
        if (e.LocalId == localId) return &e;
    return nullptr;
}

const TDemoBranch* TDemoModel::Branch(int number) const
{
    for (const auto& b : Branches)
        if (b.Number == number) return &b;
    return nullptr;
}

const TDemoEnterprise* TDemoModel::Enterprise(int64_t id) const
{
    for (const auto& e : Enterprises)
        if (e.Id == id) return &e;
    return nullptr;
}

namespace {

const char* const kSupplierNames[] = {
    "Молочный комбинат",  "Хлебозавод",        "Мясокомбинат",      "Кондитерская фабрика", "Торговый дом Нива",
    "Пивзавод Алеся",     "Птицефабрика",      "Овощебаза",         "Транспортная компания", "Стройматериалы",
    "Консервный завод",   "Рыбхоз",            "Типография",        "Агрокомбинат Заря",     "Ликёро-водочный завод",
    "Сыродельный завод",  "Плодоовощторг",     "Электросети",       "Тара и упаковка",       "Комбикормовый завод"};
const char* const kForms[] = {"ООО", "ОАО", "ЗАО", "ЧУП", "УП"};
const char* const kSignerNames[] = {"Иванова Ирина Петровна",  "Петров Сергей Иванович",  "Ёлкина Ольга Юрьевна",
                                    "Сидоренко Анна Владимировна", "Жук Елена Михайловна", "Щукин Андрей Олегович",
                                    "Ковалёва Татьяна Николаевна", "Гурин Павел Эдуардович"};

struct Rng {
    std::mt19937 g;
    explicit Rng(uint32_t seed) : g(seed) {}
    int Int(int lo, int hi) { return lo + int(g() % uint32_t(hi - lo + 1)); }   // inclusive
    bool Chance(int percent) { return int(g() % 100u) < percent; }
};

QString Padded(int64_t v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); }

int64_t VatOf(int64_t cost, int ratePercent)
{
    // to whole kopecks (the last of the three decimals stays 0), half up
    int64_t v = cost * ratePercent / 100;
    return (v + 5) / 10 * 10;
}

class Builder {
public:
    explicit Builder(const TDemoOptions& o) : O(o), R(o.Seed) {}

    TDemoModel Build()
    {
        M.Options = O;
        M.FirstDate = QDate(O.PeriodStart.year(), O.PeriodStart.month(), 1);
        M.SecondDate = M.FirstDate.addMonths(1).addDays(-1);
        M.OrgUnn = QStringLiteral("100000001");
        // a global enterprise code is the UNN followed by a four-digit branch number (0000: none)
        M.OrgId = M.OrgUnn.toLongLong() * 10000;
        M.Enterprises.push_back({M.OrgId, QStringLiteral("Облпо"), M.OrgId, M.OrgUnn, 0, QStringLiteral("Облпотребсоюз")});
        M.AccountPairs = {{1801, {}, 6001, {}}, {1802, QStringLiteral("А"), 6001, {}}, {1801, {}, 6002, QStringLiteral("2")}};
        MakeSuppliers();
        MakeBranches();
        for (size_t i = 0; i < M.Branches.size(); ++i) MakeSpecialCases(int(i));
        for (size_t i = 0; i < M.Branches.size(); ++i) MakeOrdinary(int(i));
        MakeCrossBranch();
        MakeSettings();
        MakeWorkbook();
        return M;
    }

private:
    const TDemoOptions& O;
    Rng R;
    TDemoModel M;
    std::vector<int64_t> Suppliers;        // global ids
    std::map<QString, int64_t> NextNumber;   // per supplier UNN and year
    int NextBuh = 1;

    QString SupplierUnn(int64_t id) const { return M.Enterprise(id)->Unn; }

    void MakeSuppliers()
    {
        int n = std::max(4, O.Suppliers);
        for (int i = 0; i < n; ++i) {
            TDemoEnterprise e;
            QString base = QString::fromUtf8(kSupplierNames[i % 20]);
            if (i >= 20) base += QStringLiteral(" %1").arg(i / 20 + 1);
            e.ShortName = base;
            e.Name = QString::fromUtf8(kForms[i % 5]) + QStringLiteral(" \"") + base + u'"';
            e.Unn = QString::number(200000000 + int64_t(i) * 7919 + R.Int(0, 7000));
            // a supplier with branches of its own shows a branch number beside its UNN
            e.DopUnn = (i % 7 == 3) ? 3 : 0;
            e.Id = e.Unn.toLongLong() * 10000 + e.DopUnn;
            // every fifth is paid for by the previous one: not its own payer
            e.IdPlat = (i % 5 == 4) ? Suppliers.back() : e.Id;
            M.Enterprises.push_back(e);
            Suppliers.push_back(e.Id);
        }
    }

    void MakeBranches()
    {
        for (int k = 0; k < O.Branches; ++k) {
            TDemoBranch b;
            b.Number = k + 2;
            b.Name = QStringLiteral("Филиал №%1").arg(b.Number);
            b.Folder = QStringLiteral("filial%1").arg(b.Number);
            b.GlobalId = M.OrgId + b.Number;
            M.Enterprises.push_back({b.GlobalId, QStringLiteral("Филиал %1").arg(b.Number), b.GlobalId, M.OrgUnn, b.Number,
                                     QStringLiteral("Филиал №%1 облпотребсоюза").arg(b.Number)});
            // local ids differ from the global ones and between branches
            b.Enterprises.push_back({1, M.OrgUnn, b.Number, QString::number(b.GlobalId), M.Enterprises.back().Name, b.GlobalId});
            b.Enterprises.push_back({2, M.OrgUnn, 0, QString::number(M.OrgId), QStringLiteral("Облпотребсоюз"), M.OrgId});
            int local = 10 + k * 3;
            for (size_t i = 0; i < Suppliers.size(); ++i) {
                const TDemoEnterprise* s = M.Enterprise(Suppliers[i]);
                TDemoLocalEnterprise le{local++, s->Unn, s->DopUnn, QString::number(s->Id), s->Name, s->Id};
                // the third supplier is marked as not matched to the enterprise list in every branch
                if (i == 2) le.GlobalCode += u'*';
                b.Enterprises.push_back(le);
            }
            M.Branches.push_back(b);
        }
    }

    int LocalOf(const TDemoBranch& b, int64_t globalId) const
    {
        for (const auto& e : b.Enterprises)
            if (e.GlobalId == globalId && e.LocalId != 1) return e.LocalId;
        return 0;
    }

    QDate InPeriod() { return M.FirstDate.addDays(R.Int(0, M.FirstDate.daysTo(M.SecondDate))); }

    TDemoInvoice& AddInvoice(int branchIdx, int64_t supplier, QDate trans, int64_t cost, const QString& kind)
    {
        const TDemoBranch& b = M.Branches[branchIdx];
        TDemoInvoice inv;
        inv.Branch = b.Number;
        inv.Sender = LocalOf(b, supplier);
        inv.Year = trans.year();
        QString unn = SupplierUnn(supplier);
        QString key = unn + u'-' + QString::number(inv.Year);
        int64_t& next = NextNumber[key];
        next += 1 + R.Int(0, 3);
        inv.Number = next;
        inv.FullName = key + u'-' + Padded(inv.Number, 10);
        inv.DateTransaction = trans;
        inv.Cost = cost;
        inv.Vat = VatOf(cost, R.Chance(80) ? 20 : 10);
        inv.CostVat = inv.Cost + inv.Vat;
        inv.HasDocument = true;
        inv.DocNumber = QString::number(R.Int(1, 99999));
        inv.DocDate = trans.addDays(-R.Int(0, 3));
        inv.Status = 5;
        inv.Kind = kind;
        M.Invoices.push_back(inv);
        return M.Invoices.back();
    }

    // Ledger entries of a certificate for an e-invoice: the VAT split over one or two pairs.
    void AddCertificate(const TDemoInvoice& inv, int64_t summ, const QString& numDoc, const QString& part, const QString& kind,
                        bool split)
    {
        QString buh = QString::number(NextBuh++);
        int64_t first = split ? (summ / 20) * 10 : summ;
        AddEntry(inv.Branch, QStringLiteral("1-") + inv.FullName, first, inv.DocDate, numDoc, part, buh, inv.Sender, 0, kind);
        if (split) AddEntry(inv.Branch, QStringLiteral("1-") + inv.FullName, summ - first, inv.DocDate, numDoc, part, buh, inv.Sender, 1, kind);
    }

    TDemoEntry& AddEntry(int branch, const QString& nsf, int64_t summ, QDate dataDoc, const QString& numDoc, const QString& part,
                         const QString& buh, int idPredpr, int pair, const QString& kind)
    {
        TDemoEntry e;
        e.Branch = branch;
        e.Nsf = nsf;
        e.Summ = summ;
        e.DataDoc = dataDoc;
        e.NumDoc = numDoc;
        e.NumDocPart = part;
        e.NumBuhSpr = buh;
        e.IdPredpr = idPredpr;
        e.Mes = M.FirstDate;
        const TDemoAccountPair& p = M.AccountPairs[size_t(pair) % M.AccountPairs.size()];
        e.Dt = p.Dt;
        // accountants type the sub-account mark in either case; it still names the pair
        e.AuDt = (R.Int(0, 1) == 0) ? AnsiLowerCase(p.AuDt) : p.AuDt;
        e.Kt = p.Kt;
        e.AuKt = p.AuKt;
        e.Kind = kind;
        M.Entries.push_back(e);
        return M.Entries.back();
    }

    // How accountants write a document number: leading zeros, a stray "." or "," at the end.
    QString Untidy(const QString& num)
    {
        QString s = num;
        int r = R.Int(0, 9);
        if (r < 2) s.prepend(QStringLiteral("00"));
        else if (r < 3) s.prepend(u'0');
        int t = R.Int(0, 9);
        if (t == 0) s += u'.';
        else if (t == 1) s += u',';
        return s;
    }

    void MakeSpecialCases(int bi)
    {
        const TDemoBranch& b = M.Branches[bi];
        const int64_t s1 = Suppliers[0], s2 = Suppliers[1], star = Suppliers[2], s4 = Suppliers[3];

        // an e-invoice with a certificate on two VAT pairs (one without sub-accounts), number with zeros and a comma
        TDemoInvoice& a = AddInvoice(bi, s1, M.FirstDate.addDays(9), 100000000 + bi * 1000000, QStringLiteral("matched"));
        a.DocNumber = QStringLiteral("000123");
        a.DocDate = M.FirstDate.addDays(8);
        a.Status = 5;
        TDemoInvoice matched = a;
        AddCertificate(matched, matched.Vat, QStringLiteral("000123,"), QStringLiteral("7."), QStringLiteral("matched"), true);

        // an e-invoice without a certificate; entries that do not count lie on its number
        TDemoInvoice& nc = AddInvoice(bi, s2, M.FirstDate.addDays(14), 50000000, QStringLiteral("no certificate"));
        nc.Status = 3;
        TDemoInvoice noCert = nc;
        {
            QString nsf = QStringLiteral("1-") + noCert.FullName;
            AddEntry(b.Number, nsf, 1000, noCert.DocDate, noCert.DocNumber, {}, QString::number(NextBuh++), noCert.Sender, 0,
                     QStringLiteral("rejected")).PrizRej = 0;
            AddEntry(b.Number, nsf, 1000, noCert.DocDate, noCert.DocNumber, {}, QString::number(NextBuh++), noCert.Sender, 0,
                     QStringLiteral("sv")).Sv = 1;
            TDemoEntry& other = AddEntry(b.Number, nsf, 1000, noCert.DocDate, noCert.DocNumber, {}, QString::number(NextBuh++),
                                         noCert.Sender, 0, QStringLiteral("not a VAT pair"));
            other.Dt = 9001;
            TDemoEntry& later = AddEntry(b.Number, nsf, 1000, noCert.DocDate, noCert.DocNumber, {}, QString::number(NextBuh++),
                                         noCert.Sender, 0, QStringLiteral("other month"));
            later.Mes = M.FirstDate.addMonths(1);
        }

        // a corrected e-invoice issued well after the period that refers to the matched one
        TDemoInvoice& corr = AddInvoice(bi, s1, M.SecondDate.addDays(45), 10000000, QStringLiteral("correction"));
        corr.DocumentType = 2;
        corr.Original = matched.FullName;
        corr.HasDocument = false;
        corr.DocNumber.clear();
        corr.DocDate = QDate();
        corr.Status = 4;
        TDemoInvoice correction = corr;
        AddEntry(b.Number, QStringLiteral("1-") + correction.FullName, correction.Vat, M.FirstDate.addDays(20), QStringLiteral("0456."),
                 QString(), QString::number(NextBuh++), correction.Sender, 2, QStringLiteral("correction"));

        // an additional e-invoice inside the period referring to the matched one, and one of type 4
        TDemoInvoice& add = AddInvoice(bi, s1, M.FirstDate.addDays(20), 20000000, QStringLiteral("additional"));
        add.DocumentType = 3;
        add.Original = matched.FullName;
        add.Status = 1;
        TDemoInvoice& t4 = AddInvoice(bi, s4, M.FirstDate.addDays(-10), 30000000, QStringLiteral("type 4 before the period"));
        t4.DocumentType = 4;
        t4.Status = 2;

        // not sent to the portal (sv = 0): never read
        TDemoInvoice& nsv = AddInvoice(bi, s2, M.FirstDate.addDays(3), 40000000, QStringLiteral("not sent"));
        nsv.Sv = false;

        // a supplier whose code in this branch ends in "*", with an unknown status code
        TDemoInvoice& st = AddInvoice(bi, star, M.FirstDate.addDays(5), 60000000, QStringLiteral("star code"));
        st.Status = 12;
        TDemoInvoice starInv = st;
        AddCertificate(starInv, starInv.Vat, starInv.DocNumber, QStringLiteral("1"), QStringLiteral("star code"), false);

        // the organisation itself as supplier (own UNN)
        {
            const TDemoLocalEnterprise* own = b.Local(2);
            TDemoInvoice inv;
            inv.Branch = b.Number;
            inv.Sender = own->LocalId;
            inv.Year = M.FirstDate.year();
            QString key = M.OrgUnn + u'-' + QString::number(inv.Year);
            inv.Number = ++NextNumber[key];
            inv.FullName = key + u'-' + Padded(inv.Number, 10);
            inv.DateTransaction = M.FirstDate.addDays(11);
            inv.Cost = 8000000;
            inv.Vat = VatOf(inv.Cost, 20);
            inv.CostVat = inv.Cost + inv.Vat;
            inv.HasDocument = true;
            inv.DocNumber = QStringLiteral("77");
            inv.DocDate = inv.DateTransaction;
            inv.Status = 5;
            inv.Kind = QStringLiteral("own UNN");
            M.Invoices.push_back(inv);
            AddCertificate(inv, inv.Vat, QStringLiteral("77"), QString(), QStringLiteral("own UNN"), false);
        }

        // a certificate whose e-invoice the branch does not have, on a number with zeros and a point
        AddEntry(b.Number, QStringLiteral("1-") + SupplierUnn(s4) + QStringLiteral("-2024-") + Padded(9000000 + b.Number, 10),
                 3333000, M.FirstDate.addDays(4), QStringLiteral("0078."), QStringLiteral("2,"), QString::number(NextBuh++),
                 LocalOf(b, s4), 0, QStringLiteral("no e-invoice"));

        // booked twice: no e-invoice of its own, same cleaned number, sum and enterprise as the matched one
        AddEntry(b.Number, QStringLiteral("1-") + SupplierUnn(s1) + QStringLiteral("-2024-") + Padded(9100000 + b.Number, 10),
                 matched.Vat, matched.DocDate, QStringLiteral("0123."), QString(), QString::number(NextBuh++), matched.Sender, 0,
                 QStringLiteral("duplicate entry"));
    }

    void MakeOrdinary(int bi)
    {
        std::vector<size_t> mine;   // ordinary invoices of this branch, for corrections to refer to
        for (int i = 0; i < O.Size; ++i) {
            int64_t supplier = Suppliers[size_t(R.Int(0, int(Suppliers.size()) - 1))];
            if (supplier == Suppliers[2] && R.Chance(50)) supplier = Suppliers[0];
            // most in the period, some in the month before or after
            QDate trans = InPeriod();
            int where = R.Int(0, 9);
            if (where == 0) trans = M.FirstDate.addDays(-R.Int(1, 25));
            else if (where == 1) trans = M.SecondDate.addDays(R.Int(1, 25));
            int64_t cost = int64_t(R.Int(100, 500000)) * 1000 + int64_t(R.Int(0, 99)) * 10;
            TDemoInvoice& inv = AddInvoice(bi, supplier, trans, cost, QStringLiteral("ordinary"));
            inv.Status = i % 10;
            if (i % 10 == 9 && R.Chance(30)) inv.Status = 10 + R.Int(0, 5);
            if (R.Chance(15)) inv.DocNumber = Padded(inv.DocNumber.toInt(), 7);
            if (R.Chance(5)) { inv.HasDocument = false; inv.DocNumber.clear(); inv.DocDate = QDate(); }
            if (!mine.empty() && R.Chance(10)) {
                const TDemoInvoice& org = M.Invoices[mine[size_t(R.Int(0, int(mine.size()) - 1))]];
                if (org.Sender == inv.Sender && org.DocumentType == 1) {
                    inv.DocumentType = R.Chance(50) ? 2 : 3;
                    inv.Original = org.FullName;
                }
            } else if (R.Chance(5))
                inv.DocumentType = 4;
            TDemoInvoice copy = inv;
            mine.push_back(M.Invoices.size() - 1);
            if (!copy.HasDocument || !R.Chance(85)) continue;
            int64_t summ = copy.Vat;
            if (R.Chance(10)) summ += int64_t(R.Int(-500, 500)) * 10;   // booked with a difference
            QString part = R.Chance(30) ? Untidy(QString::number(R.Int(1, 9))) : QString();
            AddCertificate(copy, summ, Untidy(copy.DocNumber), part, QStringLiteral("ordinary"), R.Chance(25));
            if (R.Chance(3)) AddCertificate(copy, summ, Untidy(copy.DocNumber), part, QStringLiteral("booked twice"), false);
        }
    }

    // The same e-invoice reported by two branches.
    void MakeCrossBranch()
    {
        if (M.Branches.size() < 2) return;
        const int first = M.Branches[0].Number, second = M.Branches[1].Number;
        auto find = [&](int branch, const QString& kind) -> const TDemoInvoice* {
            for (const auto& i : M.Invoices)
                if (i.Branch == branch && i.Kind == kind) return &i;
            return nullptr;
        };
        // with a certificate in both: documents and amounts agree
        TDemoInvoice both = *find(first, QStringLiteral("matched"));
        both.Branch = second;
        both.Sender = LocalOf(M.Branches[1], M.Branches[0].Local(both.Sender)->GlobalId);
        both.Kind = QStringLiteral("in two branches");
        M.Invoices.push_back(both);
        AddCertificate(both, both.Vat, both.DocNumber, QStringLiteral("7"), QStringLiteral("in two branches"), false);
        // without a certificate in the second branch: the one with the certificate stands
        TDemoInvoice once = *find(first, QStringLiteral("star code"));
        once.Branch = second;
        once.Sender = LocalOf(M.Branches[1], M.Branches[0].Local(once.Sender)->GlobalId);
        once.Kind = QStringLiteral("in two branches, one certificate");
        M.Invoices.push_back(once);
    }

    // What the tax authority reports: the e-invoices of the period once each (a few of them
    // missing), the signer or the branch number of the recipient, and some unknown to the branches.
    void MakeWorkbook()
    {
        std::set<QString> seen;
        for (const auto& i : M.Invoices) {
            if (!i.Sv || !InRange(i.DateTransaction) || seen.count(i.FullName)) continue;
            seen.insert(i.FullName);
            if (i.Kind == QLatin1String("ordinary") && R.Chance(5)) continue;   // not reported
            const TDemoBranch* b = M.Branch(i.Branch);
            const TDemoLocalEnterprise* s = b->Local(i.Sender);
            const TDemoEnterprise* g = M.Enterprise(s->GlobalId);
            TDemoWorkbookRow w;
            w.Invoice = i.FullName;
            w.SupplierUnn = g->Unn;
            w.SupplierBranch = g->DopUnn;
            w.SupplierName = g->Name;
            // the recipient's branch: by its number, by the signer, or by both
            std::vector<const TDemoSigner*> signers;
            for (const auto& sg : M.Signers)
                if (sg.Filial == i.Branch) signers.push_back(&sg);
            const int how = R.Int(0, 2);
            if (how != 1 || signers.empty()) w.DopUnn = i.Branch;
            if (how != 0 && !signers.empty()) {
                const TDemoSigner* sg = signers[size_t(R.Int(0, int(signers.size()) - 1))];
                w.Signer = R.Chance(50) ? sg->WorkbookSpelling : sg->Fio;
            }
            w.Recipient = b->Name;
            w.DateTransaction = i.DateTransaction;
            w.DocNumber = i.HasDocument ? i.DocNumber : QString();
            w.DocDate = i.HasDocument ? i.DocDate : QDate();
            w.Cost = i.Cost;
            w.Vat = i.Vat;
            w.CostVat = i.CostVat;
            w.Kind = QStringLiteral("branch invoice");
            M.Workbook.push_back(w);
        }
        const int extra = std::max(2, O.Size / 20);
        for (int k = 0; k < extra; ++k) {
            const TDemoEnterprise* g = M.Enterprise(Suppliers[size_t(R.Int(0, int(Suppliers.size()) - 1))]);
            TDemoWorkbookRow w;
            const QString key = g->Unn + u'-' + QString::number(M.FirstDate.year());
            w.Invoice = key + u'-' + Padded(++NextNumber[key], 10);
            w.SupplierUnn = g->Unn;
            w.SupplierBranch = g->DopUnn;
            w.SupplierName = g->Name;
            w.DopUnn = M.Branches[size_t(k) % M.Branches.size()].Number;
            w.Recipient = M.Branches[size_t(k) % M.Branches.size()].Name;
            w.DateTransaction = InPeriod();
            w.DocNumber = QString::number(R.Int(1, 99999));
            w.DocDate = w.DateTransaction;
            w.Cost = int64_t(R.Int(100, 50000)) * 1000;
            w.Vat = VatOf(w.Cost, 20);
            w.CostVat = w.Cost + w.Vat;
            w.Kind = QStringLiteral("unknown to the branches");
            M.Workbook.push_back(w);
        }
    }

    bool InRange(const QDate& d) const { return d.isValid() && d >= M.FirstDate && d <= M.SecondDate; }

    void MakeSettings()
    {
        int n = 0;
        for (const auto& b : M.Branches) {
            for (int j = 0; j < 2; ++j, ++n) {
                QString fio = QString::fromUtf8(kSignerNames[n % 8]);
                if (n >= 8) fio += QStringLiteral(" %1").arg(n / 8 + 1);
                QString variant = (n % 2 == 0) ? AnsiUpperCase(fio) : AnsiLowerCase(fio);
                M.Signers.push_back({b.Number, fio, variant});
            }
            for (const auto& i : M.Invoices)
                if (i.Branch == b.Number && i.Kind == QLatin1String("no certificate")) {
                    M.ZeroExcludes.push_back({b.Number, i.FullName});
                    break;
                }
        }
    }
};

}  // namespace

TDemoModel BuildDemoModel(const TDemoOptions& options)
{
    if (options.Branches < 1) throw Exception(QStringLiteral("At least one branch is needed"));
    if (options.Size < 0) throw Exception(QStringLiteral("The size cannot be negative"));
    return Builder(options).Build();
}

// ---------------------------------------------------------------- writing

namespace {

double DateValue(const QDate& d) { return double(QDate(1899, 12, 30).daysTo(d)); }
Variant DateOrNull(const QDate& d) { return d.isValid() ? Variant::FromDate(DateValue(d)) : Variant::Null(); }
Variant TextOrNull(const QString& s) { return s.isEmpty() ? Variant::Null() : Variant(s); }
Variant Money(int64_t thousandths) { return Variant(Currency::FromRaw(thousandths * 10)); }
Variant IntOrNull(int v) { return v ? Variant(v) : Variant::Null(); }

void ClearCatalogs(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) throw Exception(QStringLiteral("Cannot create the folder '%1'").arg(folder));
    for (const QString& f : dir.entryList({QStringLiteral("*.sqlite"), QStringLiteral("*.sqlite-wal"), QStringLiteral("*.sqlite-shm")},
                                          QDir::Files))
        if (!dir.remove(f)) throw Exception(QStringLiteral("Cannot remove '%1'").arg(dir.absoluteFilePath(f)));
}

std::unique_ptr<TSqlSession> CreateCatalog(const QString& folder, const QString& catalog, const QString& schema)
{
    TSqlSession::Connect(DemoConnectionString(folder, catalog, true))->Execute(schema);
    // the rows go in through a session that meets the tables already made
    return TSqlSession::Connect(DemoConnectionString(folder, catalog));
}

void Insert(TSqlSession& s, const QString& table, const QStringList& cols, const std::vector<TSqlParams>& rows)
{
    if (rows.empty()) return;
    QStringList params;
    for (const QString& c : cols) params << u':' + c;
    auto cmd = s.Prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
    s.BeginTrans();
    auto undo = OnFailure([&] { s.RollbackTrans(); });
    for (const TSqlParams& p : rows) cmd->Execute(p);
    s.CommitTrans();
}

void WriteSummary(const TDemoModel& m, const QString& folder)
{
    ClearCatalogs(folder);
    auto s = CreateCatalog(folder, kSummaryCatalog, SummarySchemaSql());
    std::vector<TSqlParams> rows;
    for (const auto& e : m.Enterprises)
        rows.push_back({{"idPredpr", (long long)e.Id}, {"NamePredprShort", e.ShortName}, {"idPlat", (long long)e.IdPlat},
                        {"UNN", e.Unn}, {"dopUNN", IntOrNull(e.DopUnn)}, {"namePredpr", e.Name}});
    Insert(*s, QStringLiteral("tbPredpr"), {"idPredpr", "NamePredprShort", "idPlat", "UNN", "dopUNN", "namePredpr"}, rows);
    Insert(*s, QStringLiteral("tbNastrPredpr"), {"idPredpr"}, {{{"idPredpr", (long long)m.OrgId}}});
    rows.clear();
    for (const auto& g : m.Signers) rows.push_back({{"filial", g.Filial}, {"fio", g.Fio}});
    Insert(*s, QStringLiteral("DararedSigners"), {"filial", "fio"}, rows);
    rows.clear();
    for (const auto& z : m.ZeroExcludes) rows.push_back({{"filial", z.Filial}, {"invoice", z.Invoice}});
    Insert(*s, QStringLiteral("DararedZeroExclude"), {"filial", "invoice"}, rows);
}

void WriteBranch(const TDemoModel& m, const TDemoBranch& b, const QString& folder)
{
    ClearCatalogs(folder);
    auto buh = CreateCatalog(folder, kBuhCatalog, BuhSchemaSql());
    std::vector<TSqlParams> rows;
    for (const auto& p : m.AccountPairs)
        rows.push_back({{"IdDt", p.Dt}, {"AuDt", TextOrNull(p.AuDt)}, {"IdKt", p.Kt}, {"AuKt", TextOrNull(p.AuKt)}});
    Insert(*buh, QStringLiteral("tbSFProvNDS"), {"IdDt", "AuDt", "IdKt", "AuKt"}, rows);
    rows.clear();
    for (const auto& e : m.Entries) {
        if (e.Branch != b.Number) continue;
        rows.push_back({{"NSF", e.Nsf}, {"Summ", Money(e.Summ)}, {"DataDoc", DateOrNull(e.DataDoc)}, {"NumDoc", e.NumDoc},
                        {"numDocPart", e.NumDocPart}, {"NumBuhSpr", e.NumBuhSpr}, {"idPredpr", IntOrNull(e.IdPredpr)},
                        {"mes", DateOrNull(e.Mes)}, {"idSchetSubSchetDT", e.Dt}, {"PrizAUDT", TextOrNull(e.AuDt)},
                        {"idSchetSubSchetKT", e.Kt}, {"PrizAUKT", TextOrNull(e.AuKt)}, {"PrizRej", e.PrizRej}, {"Sv", e.Sv}});
    }
    Insert(*buh, QStringLiteral("tbSpravka"),
           {"NSF", "Summ", "DataDoc", "NumDoc", "numDocPart", "NumBuhSpr", "idPredpr", "mes", "idSchetSubSchetDT", "PrizAUDT",
            "idSchetSubSchetKT", "PrizAUKT", "PrizRej", "Sv"},
           rows);
    buh.reset();

    auto main = CreateCatalog(folder, kBranchCatalog, BranchSchemaSql());
    rows.clear();
    for (const auto& e : b.Enterprises)
        rows.push_back({{"idPredpr", e.LocalId}, {"unn", e.Unn}, {"dopUNN", IntOrNull(e.DopUnn)}, {"globalcode", TextOrNull(e.GlobalCode)},
                        {"namePredpr", e.Name}});
    Insert(*main, QStringLiteral("tbPredpr"), {"idPredpr", "unn", "dopUNN", "globalcode", "namePredpr"}, rows);
    Insert(*main, QStringLiteral("tbNastrPredpr"), {"idPredpr"}, {{{"idPredpr", 1}}});
    std::vector<TSqlParams> inv, his, doc;
    for (const auto& i : m.Invoices) {
        if (i.Branch != b.Number) continue;
        inv.push_back({{"idSender", i.Sender}, {"compilingYear", i.Year}, {"number", (long long)i.Number}, {"idProvider", i.Sender},
                       {"invoice", TextOrNull(i.Original)}, {"documentType", i.DocumentType},
                       {"dateTransaction", DateOrNull(i.DateTransaction)}, {"sv", i.Sv}, {"totalVat", Money(i.Vat)},
                       {"totalCost", Money(i.Cost)}, {"totalCostVat", Money(i.CostVat)}});
        his.push_back({{"idSender", i.Sender}, {"compilingYear", i.Year}, {"number", (long long)i.Number}, {"invStatus", i.Status}});
        if (i.HasDocument)
            doc.push_back({{"idSender", i.Sender}, {"compilingYear", i.Year}, {"number", (long long)i.Number}, {"docNumber", i.DocNumber},
                           {"docDate", DateOrNull(i.DocDate)}});
    }
    Insert(*main, QStringLiteral("invoices"),
           {"idSender", "compilingYear", "number", "idProvider", "invoice", "documentType", "dateTransaction", "sv", "totalVat",
            "totalCost", "totalCostVat"},
           inv);
    Insert(*main, QStringLiteral("history"), {"idSender", "compilingYear", "number", "invStatus"}, his);
    Insert(*main, QStringLiteral("documents"), {"idSender", "compilingYear", "number", "docNumber", "docDate"}, doc);
}

void WriteText(const QString& path, const QByteArray& data)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        throw Exception(QStringLiteral("Cannot write '%1'").arg(path));
}

QString DateText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString(); }
QJsonValue DateJson(const QDate& d) { return d.isValid() ? QJsonValue(DateText(d)) : QJsonValue(); }
QJsonValue TextJson(const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); }
// Money as text with three decimals, so no reader loses precision.
QString MoneyText(int64_t v)
{
    QString sign = v < 0 ? QStringLiteral("-") : QString();
    int64_t a = v < 0 ? -v : v;
    return sign + QString::number(a / 1000) + u'.' + Padded(a % 1000, 3);
}

}  // namespace

QString ConfigIniText(const TDemoModel& model, const QString& root)
{
    QDir r(root);
    QString out = QStringLiteral("[svodconnection]\nip=%1\nfilial=%2\n\n[objectsconnection]\n")
                      .arg(r.absoluteFilePath(SummaryFolderName()), model.Options.Filial);
    for (const auto& b : model.Branches) out += b.Name + u'=' + r.absoluteFilePath(b.Folder) + u'\n';
    out += QStringLiteral("\n[Settings]\nSelfProv=%1\n").arg(model.Options.SelfProv ? 1 : 0);
    return out;
}

QJsonObject ManifestJson(const TDemoModel& m)
{
    QJsonObject o;
    o[QStringLiteral("seed")] = qint64(m.Options.Seed);
    o[QStringLiteral("size")] = m.Options.Size;
    o[QStringLiteral("firstDate")] = DateText(m.FirstDate);
    o[QStringLiteral("secondDate")] = DateText(m.SecondDate);
    o[QStringLiteral("orgUnn")] = m.OrgUnn;
    o[QStringLiteral("orgId")] = qint64(m.OrgId);
    o[QStringLiteral("filial")] = m.Options.Filial;
    o[QStringLiteral("selfProv")] = m.Options.SelfProv;
    QJsonArray ents;
    for (const auto& e : m.Enterprises)
        ents.append(QJsonObject{{"id", qint64(e.Id)}, {"shortName", e.ShortName}, {"idPlat", qint64(e.IdPlat)}, {"unn", e.Unn},
                                {"dopUnn", e.DopUnn ? QJsonValue(e.DopUnn) : QJsonValue()}, {"name", e.Name}});
    o[QStringLiteral("enterprises")] = ents;
    QJsonArray branches;
    for (const auto& b : m.Branches) {
        QJsonArray locals;
        for (const auto& e : b.Enterprises)
            locals.append(QJsonObject{{"localId", e.LocalId}, {"unn", e.Unn}, {"dopUnn", e.DopUnn ? QJsonValue(e.DopUnn) : QJsonValue()},
                                      {"globalCode", TextJson(e.GlobalCode)}, {"globalId", qint64(e.GlobalId)}, {"name", e.Name}});
        branches.append(QJsonObject{{"number", b.Number}, {"name", b.Name}, {"folder", b.Folder}, {"globalId", qint64(b.GlobalId)},
                                    {"enterprises", locals}});
    }
    o[QStringLiteral("branches")] = branches;
    QJsonArray pairs;
    for (const auto& p : m.AccountPairs)
        pairs.append(QJsonObject{{"dt", p.Dt}, {"auDt", TextJson(p.AuDt)}, {"kt", p.Kt}, {"auKt", TextJson(p.AuKt)}});
    o[QStringLiteral("accountPairs")] = pairs;
    QJsonArray invs;
    for (const auto& i : m.Invoices)
        invs.append(QJsonObject{{"branch", i.Branch}, {"sender", i.Sender}, {"year", i.Year}, {"number", qint64(i.Number)},
                                {"fullName", i.FullName}, {"documentType", i.DocumentType}, {"original", TextJson(i.Original)},
                                {"status", i.Status}, {"sv", i.Sv}, {"dateTransaction", DateJson(i.DateTransaction)},
                                {"docNumber", i.HasDocument ? QJsonValue(i.DocNumber) : QJsonValue()}, {"docDate", DateJson(i.DocDate)},
                                {"totalVat", MoneyText(i.Vat)}, {"totalCost", MoneyText(i.Cost)}, {"totalCostVat", MoneyText(i.CostVat)},
                                {"kind", i.Kind}});
    o[QStringLiteral("invoices")] = invs;
    QJsonArray ents2;
    for (const auto& e : m.Entries)
        ents2.append(QJsonObject{{"branch", e.Branch}, {"nsf", e.Nsf}, {"summ", MoneyText(e.Summ)}, {"dataDoc", DateJson(e.DataDoc)},
                                 {"numDoc", e.NumDoc}, {"numDocPart", e.NumDocPart}, {"numBuhSpr", e.NumBuhSpr},
                                 {"idPredpr", e.IdPredpr ? QJsonValue(e.IdPredpr) : QJsonValue()}, {"mes", DateJson(e.Mes)},
                                 {"dt", e.Dt}, {"auDt", TextJson(e.AuDt)}, {"kt", e.Kt}, {"auKt", TextJson(e.AuKt)},
                                 {"prizRej", e.PrizRej}, {"sv", e.Sv}, {"kind", e.Kind}});
    o[QStringLiteral("entries")] = ents2;
    QJsonArray sig;
    for (const auto& g : m.Signers)
        sig.append(QJsonObject{{"filial", g.Filial}, {"fio", g.Fio}, {"workbookSpelling", g.WorkbookSpelling}});
    o[QStringLiteral("signers")] = sig;
    QJsonArray zero;
    for (const auto& z : m.ZeroExcludes) zero.append(QJsonObject{{"filial", z.Filial}, {"invoice", z.Invoice}});
    o[QStringLiteral("zeroExcludes")] = zero;
    QJsonArray book;
    for (const auto& w : m.Workbook)
        book.append(QJsonObject{{"invoice", w.Invoice}, {"supplierUnn", w.SupplierUnn},
                                {"supplierBranch", w.SupplierBranch ? QJsonValue(w.SupplierBranch) : QJsonValue()},
                                {"supplierName", w.SupplierName}, {"dopUnn", w.DopUnn ? QJsonValue(w.DopUnn) : QJsonValue()},
                                {"recipient", w.Recipient}, {"signer", TextJson(w.Signer)},
                                {"dateTransaction", DateJson(w.DateTransaction)}, {"docNumber", TextJson(w.DocNumber)},
                                {"docDate", DateJson(w.DocDate)}, {"totalCost", MoneyText(w.Cost)}, {"vat", MoneyText(w.Vat)},
                                {"totalCostVat", MoneyText(w.CostVat)}, {"kind", w.Kind}});
    o[QStringLiteral("workbook")] = book;
    return o;
}

// The captions of the tax authority's workbook; the import finds its data below them.
const char* const kDeskAuditCaptions[kDeskAuditColumns] = {
    "Код страны поставщика", "УНН поставщика", "Код филиала поставщика", "Наименование поставщика",
    "Код страны получателя", "УНН получателя", "Код филиала получателя", "Наименование получателя",
    "Адрес получателя", "Код филиала (доп. УНН)", "Получатель (наименование)", "Статус", "Дата выставления",
    "ФИО подписавшего", "Номер ЭСЧФ", "Вид ЭСЧФ", "Номер исходного ЭСЧФ", "Дата исходного ЭСЧФ",
    "Дата аннулирования", "Дата совершения операции", "Договор", "Дата договора", "Код документа",
    "Вид документа", "Бланк", "Серия", "Номер бланка", "Дата бланка", "Код валюты", "Условия поставки",
    "Пункт погрузки", "Пункт разгрузки", "Перевозчик", "Номер накладной", "Дата накладной", "Примечание",
    "Признак", "Номер документа", "Дата документа", "Количество", "Стоимость без НДС", "Ставка НДС",
    "Сумма НДС", "Стоимость с НДС"};


void WriteDemoWorkbook(const TDemoModel& model, const QString& path)
{
    TXlsxWriter w(path);
    const int dateStyle = w.CustomFormatStyle(QStringLiteral("dd.mm.yyyy"));
    const int moneyStyle = w.BuiltinFormatStyle(4);
    w.BeginSheet(QStringLiteral("ЭСЧФ"));
    std::vector<TXlsxCell> cells;
    for (int c = 0; c < kDeskAuditColumns; ++c) cells.push_back(TXlsxCell::MakeText(c + 1, QString::fromUtf8(kDeskAuditCaptions[c])));
    w.WriteRow(1, cells);
    int row = 2;
    for (const TDemoWorkbookRow& r : model.Workbook) {
        cells.clear();
        auto text = [&](int col, const QString& v) { if (!v.isEmpty()) cells.push_back(TXlsxCell::MakeText(col, v)); };
        auto date = [&](int col, const QDate& d) {
            if (d.isValid()) cells.push_back(TXlsxCell::MakeNumber(col, w.DateSerial(DateValue(d)), dateStyle));
        };
        auto money = [&](int col, int64_t v) { cells.push_back(TXlsxCell::MakeNumber(col, double(v) / 1000.0, moneyStyle)); };
        text(1, QStringLiteral("112"));
        text(2, r.SupplierUnn);
        text(3, r.SupplierBranch ? Padded(r.SupplierBranch, 4) : QString());
        text(4, r.SupplierName);
        text(5, QStringLiteral("112"));
        text(6, model.OrgUnn);
        text(8, QStringLiteral("Облпотребсоюз"));
        text(10, r.DopUnn ? QString::number(r.DopUnn) : QString());
        text(11, r.Recipient);
        text(12, QStringLiteral("Выставлен.Подписан получателем"));
        date(13, r.DateTransaction);
        text(14, r.Signer);
        text(15, r.Invoice);
        text(16, QStringLiteral("Исходный"));
        date(20, r.DateTransaction);
        text(38, r.DocNumber);
        date(39, r.DocDate);
        cells.push_back(TXlsxCell::MakeNumber(40, 1));
        money(41, r.Cost);
        cells.push_back(TXlsxCell::MakeNumber(42, r.Cost ? std::round(double(r.Vat) * 100.0 / double(r.Cost)) : 0));
        money(43, r.Vat);
        money(44, r.CostVat);
        w.WriteRow(row++, cells);
    }
    w.EndSheet();
    w.Close();
}

void WriteDemoDatabases(const TDemoModel& model, const QString& root)
{
    QDir r(root);
    if (!r.exists() && !QDir().mkpath(root)) throw Exception(QStringLiteral("Cannot create the folder '%1'").arg(root));
    WriteSummary(model, r.absoluteFilePath(SummaryFolderName()));
    for (const auto& b : model.Branches) WriteBranch(model, b, r.absoluteFilePath(b.Folder));
    WriteText(r.absoluteFilePath(QStringLiteral("Config.ini")), ConfigIniText(model, root).toUtf8());
    WriteDemoWorkbook(model, r.absoluteFilePath(QStringLiteral("desk_audit.xlsx")));
    WriteText(r.absoluteFilePath(QStringLiteral("manifest.json")), QJsonDocument(ManifestJson(model)).toJson(QJsonDocument::Indented));
}

}  // namespace demo
