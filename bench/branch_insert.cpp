// The branch half of a reconciliation run on the embedded engine, timed on one branch of
// N e-invoices: "#inv_prov" created and filled (InsInvProvData), then the three row sets a
// run copies to the summary connection (certificate entries, their duplicates and the
// e-invoices with their sums), each read on the branch and written through the module's
// parameterised insert. The statements are the data module's own texts from its form.
//
//   branch_insert [--branches B] [N ...]     (default: 1 branch; 5000 20000 40000)
//
// With several branches each one's half is timed in turn into the same summary tables,
// then the workbook rows are written to "#svexceltmp" and the comparison (SelectSvodInv)
// is read in full.
//
// InsInvProvData, RelWithDebInfo on the shared 8-core build machine: 5,000 / 20,000 / 40,000
// e-invoices took 6.1 s / 87 s / (not waited for) while the right side of its FULL JOIN was
// scanned once per e-invoice; with that side read from an indexed work table, 0.08 s /
// 0.5 s / 0.6 s. The three copies stay linear (0.4 s, 0.2 s and 0.6 s at 40,000). Five
// branches of 40,000: 0.6-1.0 s InsInvProvData and 1.5-2.3 s in all per branch, 154,256
// workbook rows written in 1.9 s, SelectSvodInv (199,276 rows) read in 3.1 s.
#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "platform/ado/SqlEngine.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/Filer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

namespace {

// SQL text of every query of the module's form, by component name.
std::map<QString, QString> g_sql;

void SkipValue(TReader& r)
{
    if (r.NextValue() == vaCollection) {
        r.ReadValue();
        while (!r.EndOfList()) {
            if (r.NextValue() != vaList) r.ReadInteger();
            r.ReadListBegin();
            while (!r.EndOfList()) { r.ReadStr(); SkipValue(r); }
            r.ReadListEnd();
        }
        r.ReadListEnd();
    } else
        r.SkipValue();
}

void ReadComp(TReader& r)
{
    TFilerFlags flags;
    int pos = 0;
    r.ReadPrefix(flags, pos);
    r.ReadStr();
    const QString name = r.ReadStr();
    while (!r.EndOfList()) {
        const QString prop = r.ReadStr();
        if (prop == QLatin1String("SQL.Strings")) {
            QStringList lines;
            r.ReadListBegin();
            while (!r.EndOfList()) lines << r.ReadString();
            r.ReadListEnd();
            g_sql[name] = lines.join(u'\n');
        } else
            SkipValue(r);
    }
    r.ReadListEnd();
    while (!r.EndOfList()) ReadComp(r);
    r.ReadListEnd();
}

void LoadForm()
{
    RegisterCompDMResource();
    QByteArray data;
    QString source;
    if (!FindFormResource(QStringLiteral("TCompDM"), data, source)) throw Exception(QStringLiteral("no TCompDM form"));
    TMemoryStream text, bin;
    text.WriteBuffer(data.constData(), data.size());
    text.SetPosition(0);
    ObjectTextToBinary(&text, &bin);
    bin.SetPosition(0);
    TReader r(&bin);
    r.ReadSignature();
    ReadComp(r);
}

const QString& Sql(const char* name)
{
    auto it = g_sql.find(QLatin1String(name));
    if (it == g_sql.end()) throw Exception(QStringLiteral("no query %1").arg(QLatin1String(name)));
    return it->second;
}

struct Timer {
    QElapsedTimer t;
    Timer() { t.start(); }
    double s() const { return t.nsecsElapsed() / 1e9; }
};

// Reads every row of `from` and writes it through `into` with the named columns.
int64_t Copy(TSqlSession& branch, const QString& select, const TSqlParams& params, TSqlSession& summary, TSqlCommand& into,
             const std::vector<std::pair<const char*, int>>& map)
{
    auto src = branch.Open(select, params, 1200);
    TSqlParams p;
    for (auto& m : map) p.push_back({m.first, Variant()});
    std::vector<Variant> row;
    int64_t n = 0;
    summary.BeginTrans();
    while (src->Next(row)) {
        for (size_t i = 0; i < map.size(); ++i) p[i].Value = row[size_t(map[i].second)];
        into.Execute(p);
        ++n;
    }
    summary.CommitTrans();
    return n;
}

Variant Day(const QDate& d)
{
    return d.isValid() ? Variant::FromDate(double(QDate(1899, 12, 30).daysTo(d))) : Variant(Null());
}

void Run(int size, int branches)
{
    QTemporaryDir dir;
    demo::TDemoOptions o;
    o.Size = size;
    o.Branches = branches;
    o.Seed = 7;
    Timer gen;
    demo::TDemoModel m = demo::BuildDemoModel(o);
    demo::WriteDemoDatabases(m, dir.path());
    const double genTime = gen.s();
    std::printf("%6d e-invoices a branch, %d branch(es) (%zu in the model, %zu ledger entries; generated in %.1f s)\n", size, branches,
                m.Invoices.size(), m.Entries.size(), genTime);

    auto svod = TSqlSession::Connect(SvodConnectionString(QDir(dir.path()).absoluteFilePath(demo::SummaryFolderName())));
    svod->Execute(Sql("CrSvodInv"));
    svod->Execute(Sql("CrSvodDuples"));
    svod->Execute(Sql("CrSprProv"));
    auto insInv = svod->Prepare(Sql("InsSvodInvQ"));
    auto insProv = svod->Prepare(Sql("InsSprProvQ"));
    auto insDup = svod->Prepare(Sql("InsSvodDuplesQ"));
    const TSqlParams period = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"delSelfProv", false}};
    for (const demo::TDemoBranch& b : m.Branches) {
        auto obj = TSqlSession::Connect(ObjConnectionString(QDir(dir.path()).absoluteFilePath(b.Folder)));
        Timer fill;
        obj->Execute(Sql("CrInvProv"));
        obj->Execute(Sql("InsInvProvData"), period, 1500);
        const double fillTime = fill.s();
        const int64_t invProv = obj->Open(QStringLiteral("SELECT COUNT(*) FROM #inv_prov"))->FetchAll().at(0).at(0).AsInt64();

        Timer provT;
        const int64_t prov = Copy(*obj, Sql("SelectSprProvObj"), period, *svod, *insProv,
                                  {{"numbuhspr", 5}, {"numdoc", 2}, {"numdocpart", 3}, {"NSF", 8}, {"mes", 4}, {"datadoc", 1}, {"summ", 0},
                                   {"globalcode", 6}, {"filial", 7}});
        const double provTime = provT.s();
        Timer dupT;
        const int64_t dup = Copy(*obj, Sql("SelectDuplicateProv"), {}, *svod, *insDup,
                                 {{"mes", 0}, {"numbuhdup", 1}, {"docnumberdup", 2}, {"docdatedup", 3}, {"sumdup", 4}, {"numbuhsv", 5},
                                  {"invfullname", 6}, {"invtotalvat", 7}, {"namepredpr", 8}, {"dopUNN", 9}});
        const double dupTime = dupT.s();
        Timer invT;
        const int64_t inv = Copy(*obj, Sql("SelectInvProvData"), {}, *svod, *insInv,
                                 {{"idPredpr", 13}, {"invoicefullname", 0}, {"datetrans", 3}, {"status", 2}, {"ndsspr", 6}, {"ndsinvoice", 7},
                                  {"totalcostinv", 8}, {"totalcostvatinv", 9}, {"svplace", 14}, {"numbuhspr", 11}, {"numdocpart", 15},
                                  {"docnumber", 4}, {"docdate", 5}, {"filial", 10}});
        const double invTime = invT.s();

        std::printf("  %s\n", qPrintable(b.Name));
        std::printf("  CrInvProv + InsInvProvData   %8.3f s   %lld rows in #inv_prov\n", fillTime, (long long)invProv);
        std::printf("  SelectSprProvObj -> #svod_prov   %8.3f s   %lld rows\n", provTime, (long long)prov);
        std::printf("  SelectDuplicateProv -> #svod_duples %5.3f s   %lld rows\n", dupTime, (long long)dup);
        std::printf("  SelectInvProvData -> #svod_inv   %8.3f s   %lld rows\n", invTime, (long long)inv);
        std::fflush(stdout);
    }
    if (branches < 2) return;

    svod->Execute(Sql("CrExcelTemp"));
    auto insExc = svod->Prepare(Sql("InsExcelTempQ"));
    Timer excT;
    svod->BeginTrans();
    for (const demo::TDemoWorkbookRow& w : m.Workbook) {
        int64_t id = 0;
        for (const demo::TDemoEnterprise& e : m.Enterprises)
            if (e.Unn == w.SupplierUnn) id = e.Id;
        insExc->Execute({{"idPredpr", (long long)id}, {"namePredpr", w.SupplierName}, {"invoicefullname", w.Invoice},
                         {"datetrans", Day(w.DateTransaction)}, {"status", 1}, {"recipientname", w.Recipient},
                         {"dopunn", w.DopUnn ? Variant(w.DopUnn) : Variant(Null())}, {"signerfio", w.Signer}, {"docnumber", w.DocNumber},
                         {"docdate", Day(w.DocDate)}, {"ndsexcel", Currency::FromRaw(w.Vat * 10)},
                         {"totalcostinv", Currency::FromRaw(w.Cost * 10)}, {"totalcostvatinv", Currency::FromRaw(w.CostVat * 10)},
                         {"svplace", ""}});
    }
    svod->CommitTrans();
    const double excTime = excT.s();
    Timer cmpT;
    const size_t rows = svod->Open(Sql("SelectSvodInv"), {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", false}}, 1200)
                            ->FetchAll()
                            .size();
    std::printf("  workbook -> #svexceltmp            %8.3f s   %zu rows\n", excTime, m.Workbook.size());
    std::printf("  SelectSvodInv (read in full)       %8.3f s   %zu rows\n", cmpT.s(), rows);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        LoadForm();
        std::vector<int> sizes;
        int branches = 1;
        for (int i = 1; i < argc; ++i) {
            if (QByteArray(argv[i]) == "--branches" && i + 1 < argc) branches = std::max(1, std::atoi(argv[++i]));
            else sizes.push_back(std::atoi(argv[i]));
        }
        if (sizes.empty()) sizes = {5000, 20000, 40000};
        for (int n : sizes) Run(n, branches);
    } catch (const Exception& e) {
        std::fprintf(stderr, "branch_insert: %s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
