// The demo database generator: deterministic models, catalogs that hold exactly the model,
// the engine's text and decimal semantics on them, Config.ini and the deployment scripts.
#include "app/engine/DemoData.h"
#include "platform/ado/SqlEngine.h"
#include "platform/rtl/IniFiles.h"
#include "platform/sheets/Workbook.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace demo;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString One(TSqlSession& s, const QString& sql, const TSqlParams& p = {})
{
    auto r = s.Open(sql, p);
    std::vector<Variant> row;
    if (!r->Next(row)) return QStringLiteral("<no row>");
    return row[0].IsNull() ? QStringLiteral("NULL") : row[0].AsString();
}


class DemoFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Dir = new QTemporaryDir;
        TDemoOptions o;
        o.Seed = 11;
        o.Size = 40;
        o.Branches = 3;
        Model = new TDemoModel(BuildDemoModel(o));
        WriteDemoDatabases(*Model, Dir->path());
    }
    static void TearDownTestSuite()
    {
        delete Model;
        delete Dir;
    }
    static QTemporaryDir* Dir;
    static TDemoModel* Model;
    std::unique_ptr<TSqlSession> Open(const QString& folder, const QString& catalog)
    {
        return TSqlSession::Connect(DemoConnectionString(QDir(Dir->path()).absoluteFilePath(folder), catalog));
    }
};
QTemporaryDir* DemoFixture::Dir = nullptr;
TDemoModel* DemoFixture::Model = nullptr;

}  // namespace

TEST(DemoModel, SameOptionsGiveTheSameDataAndTheSeedChangesIt)
{
    TDemoOptions o;
    o.Seed = 5;
    auto a = QJsonDocument(ManifestJson(BuildDemoModel(o))).toJson();
    EXPECT_EQ(a, QJsonDocument(ManifestJson(BuildDemoModel(o))).toJson());
    o.Seed = 6;
    EXPECT_NE(a, QJsonDocument(ManifestJson(BuildDemoModel(o))).toJson());
}

TEST(DemoModel, EveryBranchHasTheSpecialCases)
{
    TDemoOptions o;
    o.Size = 0;
    o.Branches = 3;
    TDemoModel m = BuildDemoModel(o);
    ASSERT_EQ(m.Branches.size(), 3u);
    const QStringList invoiceKinds = {"matched", "no certificate", "correction", "additional", "type 4 before the period",
                                      "not sent", "star code", "own UNN"};
    const QStringList entryKinds = {"matched", "rejected", "sv", "not a VAT pair", "other month", "correction", "star code",
                                    "own UNN", "no e-invoice", "duplicate entry"};
    for (const auto& b : m.Branches) {
        SCOPED_TRACE(b.Name.toStdString());
        std::set<QString> inv, ent;
        for (const auto& i : m.Invoices)
            if (i.Branch == b.Number) inv.insert(i.Kind);
        for (const auto& e : m.Entries)
            if (e.Branch == b.Number) ent.insert(e.Kind);
        for (const QString& k : invoiceKinds) EXPECT_TRUE(inv.count(k)) << k.toStdString();
        for (const QString& k : entryKinds) EXPECT_TRUE(ent.count(k)) << k.toStdString();
        // the branch shares the head body's UNN; a supplier code ends in "*"
        EXPECT_EQ(b.Local(1)->Unn, m.OrgUnn);
        bool star = false;
        for (const auto& e : b.Enterprises) star |= e.GlobalCode.endsWith(u'*');
        EXPECT_TRUE(star);
    }
    // e-invoice numbers are 25 characters; corrections refer to an e-invoice of the same branch and sender
    for (const auto& i : m.Invoices) {
        EXPECT_EQ(i.FullName.size(), 25) << i.FullName.toStdString();
        if (i.DocumentType == 2 || i.DocumentType == 3) {
            bool found = false;
            for (const auto& o2 : m.Invoices)
                found |= o2.FullName == i.Original && o2.Branch == i.Branch && o2.Sender == i.Sender;
            EXPECT_TRUE(found) << i.FullName.toStdString();
        }
    }
    // one e-invoice is reported by two branches
    std::map<QString, std::set<int>> where;
    for (const auto& i : m.Invoices) where[i.FullName].insert(i.Branch);
    int inTwo = 0;
    for (const auto& [k, v] : where) inTwo += v.size() > 1;
    EXPECT_EQ(inTwo, 2);
}

TEST(DemoModel, OrdinaryInvoicesCoverEveryStatusAndUntidyNumbers)
{
    TDemoOptions o;
    o.Size = 300;
    o.Branches = 1;
    TDemoModel m = BuildDemoModel(o);
    std::set<int> statuses;
    for (const auto& i : m.Invoices) statuses.insert(i.Status);
    for (int s = 0; s <= 9; ++s) EXPECT_TRUE(statuses.count(s)) << s;
    EXPECT_TRUE(*statuses.rbegin() > 9);
    int zeros = 0, point = 0, comma = 0, nullSub = 0, otherCase = 0;
    for (const auto& e : m.Entries) {
        for (const auto& p : m.AccountPairs)
            otherCase += p.Dt == e.Dt && p.Kt == e.Kt && !e.AuDt.isEmpty() && e.AuDt != p.AuDt
                         && e.AuDt.compare(p.AuDt, Qt::CaseInsensitive) == 0;
        zeros += e.NumDoc.startsWith(u'0');
        point += e.NumDoc.endsWith(u'.');
        comma += e.NumDoc.endsWith(u',');
        nullSub += e.AuDt.isEmpty() && e.AuKt.isEmpty();
    }
    EXPECT_GT(zeros, 0);
    EXPECT_GT(point, 0);
    EXPECT_GT(comma, 0);
    EXPECT_GT(nullSub, 0);
    EXPECT_GT(otherCase, 0);   // a sub-account mark typed in the other letter case
}

TEST(DemoModel, BadOptionsAreRefused)
{
    TDemoOptions o;
    o.Branches = 0;
    EXPECT_THROW(BuildDemoModel(o), Exception);
    o.Branches = 1;
    o.Size = -1;
    EXPECT_THROW(BuildDemoModel(o), Exception);
}

TEST_F(DemoFixture, CatalogsHoldTheModelRowForRow)
{
    for (const auto& b : Model->Branches) {
        SCOPED_TRACE(b.Name.toStdString());
        int invoices = 0, docs = 0, entries = 0;
        int64_t vat = 0, summ = 0;
        for (const auto& i : Model->Invoices)
            if (i.Branch == b.Number) { ++invoices; docs += i.HasDocument; vat += i.Vat; }
        for (const auto& e : Model->Entries)
            if (e.Branch == b.Number) { ++entries; summ += e.Summ; }
        auto main = Open(b.Folder, QStringLiteral("MainDataBase"));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT COUNT(*) FROM invoices")), QString::number(invoices));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT COUNT(*) FROM history")), QString::number(invoices));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT COUNT(*) FROM documents")), QString::number(docs));
        // exact decimals: the sum of thousands of amounts loses nothing
        EXPECT_EQ(One(*main, QStringLiteral("SELECT CAST(SUM(totalVat)*1000 AS bigint) FROM invoices")), QString::number(vat));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT CAST(SUM(Summ)*1000 AS bigint) FROM buh.dbo.tbSpravka")), QString::number(summ));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT COUNT(*) FROM buh.dbo.tbSpravka")), QString::number(entries));
        EXPECT_EQ(One(*main, QStringLiteral("SELECT unn FROM tbPredpr WHERE idPredpr=(SELECT idPredpr FROM tbNastrPredpr)")),
                  Model->OrgUnn);
    }
    auto svod = Open(SummaryFolderName(), QStringLiteral("maindatabase"));
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT COUNT(*) FROM tbPredpr")), QString::number(Model->Enterprises.size()));
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT COUNT(*) FROM DararedSigners")), QString::number(Model->Signers.size()));
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT COUNT(*) FROM DararedZeroExclude")), QString::number(Model->ZeroExcludes.size()));
    // the branches are the enterprises with the head body's UNN
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT COUNT(*) FROM tbPredpr WHERE UNN=(SELECT UNN FROM tbPredpr WHERE idPredpr="
                                        "(SELECT idPredpr FROM tbNastrPredpr)) AND idPredpr<>(SELECT idPredpr FROM tbNastrPredpr)")),
              QStringLiteral("3"));
}

TEST_F(DemoFixture, TextComparesWithoutCaseAndSignersKeepTheirUniqueKey)
{
    auto svod = Open(SummaryFolderName(), QStringLiteral("maindatabase"));
    const TDemoSigner& g = Model->Signers.front();
    ASSERT_NE(g.Fio, g.WorkbookSpelling);
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT filial FROM DararedSigners WHERE fio=:fio"), {{"fio", g.WorkbookSpelling + u' '}}),
              QString::number(g.Filial));
    try {
        svod->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (:filial, :fio)"),
                      {{"filial", g.Filial}, {"fio", g.WorkbookSpelling}});
        ADD_FAILURE() << "a case variant under the same branch was accepted";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key"))) << e.Message().toStdString();
    }
    // the same name under another branch is allowed
    svod->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio) VALUES (:filial, :fio)"), {{"filial", 99}, {"fio", g.Fio}});
    svod->Execute(QStringLiteral("DELETE FROM DararedSigners WHERE filial=99"));
    // a saved row inserted without its check mark reads as unchecked
    svod->Execute(QStringLiteral("INSERT INTO tmpDararedInv(invoicefullname) VALUES ('x')"));
    EXPECT_EQ(One(*svod, QStringLiteral("SELECT CAST(hide AS int) FROM tmpDararedInv")), QStringLiteral("0"));
    svod->Execute(QStringLiteral("DELETE FROM tmpDararedInv"));
}

TEST_F(DemoFixture, ConfigIniNamesTheFoldersInBranchOrder)
{
    TIniFile ini(QDir(Dir->path()).absoluteFilePath(QStringLiteral("Config.ini")));
    QString ip = ini.ReadString(QStringLiteral("svodconnection"), QStringLiteral("ip"), QString());
    EXPECT_TRUE(QDir(ip).exists(QStringLiteral("maindatabase.sqlite"))) << ip.toStdString();
    EXPECT_EQ(ini.ReadString(QStringLiteral("svodconnection"), QStringLiteral("filial"), QStringLiteral("?")), QString());
    TStringList lines;
    ini.ReadSectionValues(QStringLiteral("objectsconnection"), &lines);
    ASSERT_EQ(lines.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TDemoBranch& b = Model->Branches[size_t(i)];
        EXPECT_EQ(lines.Names(i), b.Name);
        EXPECT_TRUE(QDir(lines.ValueFromIndex(i)).exists(QStringLiteral("buh.sqlite")));
    }
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Settings"), QStringLiteral("SelfProv"), true));
}

TEST_F(DemoFixture, WritingAgainReplacesTheCatalogs)
{
    QTemporaryDir dir;
    TDemoOptions o;
    o.Size = 3;
    o.Branches = 1;
    WriteDemoDatabases(BuildDemoModel(o), dir.path());
    o.Size = 5;
    TDemoModel m = BuildDemoModel(o);
    WriteDemoDatabases(m, dir.path());
    int n = 0;
    for (const auto& i : m.Invoices) n += i.Branch == 2;
    auto main = TSqlSession::Connect(DemoConnectionString(QDir(dir.path()).absoluteFilePath(QStringLiteral("filial2")),
                                                          QStringLiteral("MainDataBase")));
    EXPECT_EQ(One(*main, QStringLiteral("SELECT COUNT(*) FROM invoices")), QString::number(n));
}

// The committed deployment scripts are the generator's, and run on the embedded engine too.
TEST(DeploymentScripts, AreUpToDateAndCreateTheSameTables)
{
    const QString dir = QStringLiteral(DOV_TEST_DATA "/../../tools/sql/");
    struct Case { const char* file; const char* catalog; QString schema; };
    const Case cases[] = {{"summary_maindatabase.sql", "maindatabase", SummarySchemaSql()},
                          {"branch_MainDataBase.sql", "MainDataBase", BranchSchemaSql()},
                          {"branch_buh.sql", "buh", BuhSchemaSql()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QFile f(dir + QLatin1String(c.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_EQ(text, DeploymentScript(QLatin1String(c.catalog)));
        QString body;
        for (const QString& line : text.split(u'\n'))
            if (line != QLatin1String("GO") && !line.startsWith(QLatin1String("USE ")) && !line.startsWith(QLatin1String("IF DB_ID"))
                && !line.startsWith(QLatin1String("  CREATE DATABASE")) && !line.startsWith(QLatin1String("--")))
                body += line + u'\n';
        QTemporaryDir a, b;
        auto sa = TSqlSession::Connect(DemoConnectionString(a.path(), QLatin1String(c.catalog), true));
        sa->Execute(body);
        auto sb = TSqlSession::Connect(DemoConnectionString(b.path(), QLatin1String(c.catalog), true));
        sb->Execute(c.schema);
        for (const QString& t : c.schema.split(u'\n')) {
            if (!t.startsWith(QLatin1String("CREATE TABLE "))) continue;
            QString table = t.mid(13).section(u' ', 0, 0);
            auto ra = sa->Open(QStringLiteral("SELECT * FROM ") + table), rb = sb->Open(QStringLiteral("SELECT * FROM ") + table);
            ASSERT_EQ(ra->Columns().size(), rb->Columns().size());
            for (size_t i = 0; i < ra->Columns().size(); ++i) {
                EXPECT_EQ(ra->Columns()[i].Name, rb->Columns()[i].Name);
                EXPECT_EQ(ra->Columns()[i].TypeInfo().SqlName(), rb->Columns()[i].TypeInfo().SqlName());
            }
        }
    }
}

// The desk-audit workbook holds the period's e-invoices as the import reads them.
TEST_F(DemoFixture, TheWorkbookListsThePeriodsInvoices)
{
    TExcelApplication excel;
    excel.Workbooks().Open(QDir(Dir->path()).absoluteFilePath(QStringLiteral("desk_audit.xlsx")));
    TVariantMatrix v = excel.Workbooks(1).Worksheets(1).UsedRange().Value();
    ASSERT_EQ(v.RowCount(), int(Model->Workbook.size()) + 1);
    EXPECT_EQ(v(1, 1).AsString(), QStringLiteral("Код страны поставщика"));
    int unknown = 0, spelled = 0, bySigner = 0;
    std::set<QString> numbers;
    for (int r = 2; r <= v.RowCount(); ++r) {
        const TDemoWorkbookRow& w = Model->Workbook[size_t(r - 2)];
        SCOPED_TRACE(w.Invoice.toStdString());
        EXPECT_EQ(v(r, 15).AsString(), w.Invoice);
        EXPECT_TRUE(numbers.insert(w.Invoice).second);   // each e-invoice once: the import's key
        EXPECT_EQ(v(r, 2).AsString(), w.SupplierUnn);
        EXPECT_EQ((v(r, 20).VarType() & varTypeMask), varDate);
        EXPECT_NEAR(v(r, 43).AsDouble(), double(w.Vat) / 1000.0, 1e-9);
        // the global code the import builds from columns 2 and 3 names an enterprise of the summary
        const QString code = v(r, 2).AsString() + (v(r, 3).IsEmpty() ? QStringLiteral("0000") : v(r, 3).AsString());
        EXPECT_NE(Model->Enterprise(code.toLongLong()), nullptr) << code.toStdString();
        unknown += w.Kind == QLatin1String("unknown to the branches");
        bySigner += !w.Signer.isEmpty() && w.DopUnn == 0;
        for (const auto& g : Model->Signers) spelled += w.Signer == g.WorkbookSpelling;
        if (w.Kind == QLatin1String("branch invoice")) {
            bool known = false;
            for (const auto& i : Model->Invoices)
                known |= i.FullName == w.Invoice && i.DateTransaction >= Model->FirstDate && i.DateTransaction <= Model->SecondDate;
            EXPECT_TRUE(known);
        }
    }
    EXPECT_GE(unknown, 2);
    EXPECT_GT(bySigner, 0);   // the branch known only by the signer's name
    EXPECT_GT(spelled, 0);    // in other letter case than the signer list
}
