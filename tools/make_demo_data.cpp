// Creates demo and test databases for the embedded engine, with their Config.ini, the
// desk-audit workbook of the period (desk_audit.xlsx) and a manifest of the generated facts:
//   make_demo_data OUT_DIR [--seed N] [--size N] [--branches N] [--suppliers N]
//                  [--period yyyy-mm] [--filial X] [--self-prov]
//   make_demo_data --sql-scripts DIR     (the deployment scripts for a real server)
// The size is the number of ordinary e-invoices per branch (10: test fixture, 300: demo,
// 20000 and more: benchmarks); every branch also gets the fixed set of special cases.
#include "app/engine/DemoData.h"
#include "platform/rtl/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: make_demo_data OUT_DIR [--seed N] [--size N] [--branches N] [--suppliers N]\n"
               "                      [--period yyyy-mm] [--filial X] [--self-prov]\n"
               "       make_demo_data --sql-scripts DIR\n",
               stderr);
    return 2;
}

bool ToInt(const QString& s, int& v)
{
    bool ok = false;
    v = s.toInt(&ok);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    try {
        if (args[0] == QLatin1String("--sql-scripts")) {
            if (args.size() != 2) return Usage();
            QDir dir(args[1]);
            if (!dir.exists()) QDir().mkpath(args[1]);
            for (const QString& cat : {QStringLiteral("maindatabase"), QStringLiteral("MainDataBase"), QStringLiteral("buh")}) {
                QString name = cat == QLatin1String("maindatabase") ? QStringLiteral("summary_maindatabase.sql")
                             : cat == QLatin1String("buh")          ? QStringLiteral("branch_buh.sql")
                                                                    : QStringLiteral("branch_MainDataBase.sql");
                QFile f(dir.absoluteFilePath(name));
                if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw Exception(QStringLiteral("Cannot write %1").arg(f.fileName()));
                f.write(demo::DeploymentScript(cat).toUtf8());
            }
            return 0;
        }
        demo::TDemoOptions o;
        QString out;
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            auto value = [&]() -> QString {
                if (i + 1 >= args.size()) throw Exception(QStringLiteral("%1 needs a value").arg(a));
                return args[++i];
            };
            int n = 0;
            if (a == QLatin1String("--seed")) {
                bool ok = false;
                o.Seed = value().toUInt(&ok);
                if (!ok) return Usage();
            } else if (a == QLatin1String("--size")) {
                if (!ToInt(value(), n) || n < 0) return Usage();
                o.Size = n;
            } else if (a == QLatin1String("--branches")) {
                if (!ToInt(value(), n) || n < 1 || n > 60) return Usage();
                o.Branches = n;
            } else if (a == QLatin1String("--suppliers")) {
                if (!ToInt(value(), n) || n < 4) return Usage();
                o.Suppliers = n;
            } else if (a == QLatin1String("--period")) {
                QDate d = QDate::fromString(value() + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
                if (!d.isValid()) return Usage();
                o.PeriodStart = d;
            } else if (a == QLatin1String("--filial")) {
                o.Filial = value();
            } else if (a == QLatin1String("--self-prov")) {
                o.SelfProv = true;
            } else if (a.startsWith(QLatin1String("--")) || !out.isEmpty()) {
                return Usage();
            } else
                out = a;
        }
        if (out.isEmpty()) return Usage();
        demo::TDemoModel m = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(m, out);
        std::printf("%s: %d branches, %d e-invoices, %d ledger entries\n", qPrintable(QDir(out).absolutePath()),
                    int(m.Branches.size()), int(m.Invoices.size()), int(m.Entries.size()));
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "make_demo_data: %s\n", qPrintable(e.Message()));
        return 1;
    }
}
