// The data module's form resource: read through the text-form reader, it holds the 38
// queries on their connections with their time-outs, cursors, parameters, placeholder
// lines and fields, and every statement runs on the demo catalogs.
#include "app/engine/DemoData.h"
#include "app/engine/uCompDM.h"
#include "platform/ado/SqlEngine.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/Filer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

struct Comp {
    QString cls, name;
    std::map<QString, QString> props;   // scalar properties as text
    QStringList sql;
    QStringList params;                 // parameter names in order
    std::map<QString, std::map<QString, QString>> paramProps;
    std::vector<Comp> children;
};

QString ReadScalar(TReader& r)
{
    switch (r.NextValue()) {
    case vaInt8: case vaInt16: case vaInt32: return QString::number(r.ReadInteger());
    case vaInt64: return QString::number(r.ReadInt64());
    case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull: return r.ReadIdent();
    case vaString: case vaLString: case vaUTF8String: case vaWString: return r.ReadString();
    case vaSet: return r.ReadSet().join(u',');
    default: r.SkipValue(); return QStringLiteral("?");
    }
}

void ReadComp(TReader& r, Comp& c)
{
    TFilerFlags flags;
    int pos = 0;
    r.ReadPrefix(flags, pos);
    c.cls = r.ReadStr();
    c.name = r.ReadStr();
    while (!r.EndOfList()) {
        const QString prop = r.ReadStr();
        if (prop == QLatin1String("SQL.Strings")) {
            r.ReadListBegin();
            while (!r.EndOfList()) c.sql << r.ReadString();
            r.ReadListEnd();
        } else if (r.NextValue() == vaCollection) {
            r.ReadValue();
            while (!r.EndOfList()) {
                if (r.NextValue() != vaList) r.ReadInteger();
                r.ReadListBegin();
                std::map<QString, QString> item;
                while (!r.EndOfList()) {
                    QString n = r.ReadStr();
                    item[n] = ReadScalar(r);
                }
                r.ReadListEnd();
                c.params << item[QStringLiteral("Name")];
                c.paramProps[item[QStringLiteral("Name")]] = item;
            }
            r.ReadListEnd();
        } else
            c.props[prop] = ReadScalar(r);
    }
    r.ReadListEnd();
    while (!r.EndOfList()) {
        Comp child;
        ReadComp(r, child);
        c.children.push_back(child);
    }
    r.ReadListEnd();
}

// The resource as the program finds it by the module's class name.
const Comp& Form()
{
    static Comp root = [] {
        RegisterCompDMResource();
        QByteArray data;
        QString source;
        EXPECT_TRUE(FindFormResource(QStringLiteral("TCompDM"), data, source));
        QFile f(QStringLiteral(DOV_TEST_DATA "/../../app/forms/TCompDM.form"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(data, f.readAll());
        TMemoryStream text, bin;
        text.WriteBuffer(data.constData(), data.size());
        text.SetPosition(0);
        ObjectTextToBinary(&text, &bin);
        bin.SetPosition(0);
        TReader r(&bin);
        r.ReadSignature();
        Comp c;
        ReadComp(r, c);
        return c;
    }();
    return root;
}

const Comp& Child(const QString& name)
{
    for (const Comp& c : Form().children)
        if (c.name == name) return c;
    static Comp none;
    ADD_FAILURE() << "no component " << name.toStdString();
    return none;
}

struct QueryCase {
    const char* name;
    const char* connection;
    int timeout;
    bool isStatic;
    const char* params;   // names joined by ","
};

// Connection, time-out, cursor and parameters of every query, in the module's order.
const QueryCase kQueries[] = {
    {"CrInvProv", "ObjMDBConnection", 1200, false, ""},
    {"InsInvProvData", "ObjMDBConnection", 1500, true, "FirstDate,SecondDate,delSelfProv"},
    {"SelectInvProvData", "ObjMDBConnection", 1200, true, ""},
    {"SelectDuplicateProv", "ObjMDBConnection", 1200, true, ""},
    {"SelectSprProvObj", "ObjMDBConnection", 1200, true, "FirstDate,SecondDate,delSelfProv"},
    {"CrExcelTemp", "SvodMDBConnection", 120, true, ""},
    {"InsExcelTempQ", "SvodMDBConnection", 900, false,
     "idPredpr,namePredpr,invoicefullname,datetrans,status,recipientname,dopunn,signerfio,docnumber,docdate,ndsexcel,totalcostinv,totalcostvatinv,svplace"},
    {"CrSvodInv", "SvodMDBConnection", 120, false, ""},
    {"CrSvodDuples", "SvodMDBConnection", 120, false, ""},
    {"CrSprProv", "SvodMDBConnection", 120, false, ""},
    {"InsSvodInvQ", "SvodMDBConnection", 900, false,
     "idPredpr,invoicefullname,datetrans,status,docnumber,docdate,ndsspr,ndsinvoice,totalcostinv,totalcostvatinv,filial,svplace,numbuhspr,numdocpart"},
    {"InsSvodDuplesQ", "SvodMDBConnection", 900, false, "mes,numbuhdup,docnumberdup,docdatedup,sumdup,numbuhsv,invfullname,invtotalvat,namepredpr,dopUNN"},
    {"InsSprProvQ", "SvodMDBConnection", 900, false, "numbuhspr,mes,datadoc,numdoc,numdocpart,summ,globalcode,filial,NSF"},
    {"SelectSvodInv", "SvodMDBConnection", 1200, true, "FirstDate,SecondDate,isFilial"},
    {"SelectSvodDuplesFilial", "SvodMDBConnection", 900, true, ""},
    {"SelectSvodDuplesOblpo", "SvodMDBConnection", 900, true, ""},
    {"SelectSvodDuplesInvoiceNumbers", "SvodMDBConnection", 900, true, ""},
    {"SelectSprProvQ", "SvodMDBConnection", 900, true, "numdoc,numdocpart,datadoc,numbuhspr,globalcode,filial,invfullname"},
    {"ExcSumQ", "SvodMDBConnection", 120, false, ""},
    {"SprSumQ", "SvodMDBConnection", 120, false, ""},
    {"SelectTmpDararedInv", "SvodMDBConnection", 900, true, ""},
    {"SelectTmpDararedProv", "SvodMDBConnection", 900, true, "numdoc,numdocpart,datadoc,numbuhspr,globalcode,filial,invfullname"},
    {"InsTmpDararedInvQ", "SvodMDBConnection", 900, false,
     "idPredpr,invoicefullname,datetrans,status,recipientname,signerfio,namepredpr,docnumber,docdate,ndsexcel,ndsspr,ndsinvoice,totalcostinv,totalcostvatinv,filial,svplace,numbuhspr,numdocpart"},
    {"InsTmpDararedProvQ", "SvodMDBConnection", 30, false, "numbuhspr,mes,datadoc,numdoc,numdocpart,summ,globalcode,filial,NSF"},
    {"RewriteInsTmpDararedProv", "SvodMDBConnection", 900, false, ""},
    {"DelTmpDararedInvQ", "SvodMDBConnection", 900, false, ""},
    {"SelectDararedSingersQ", "SvodMDBConnection", 30, true, ""},
    {"InsertDararedSingersQ", "SvodMDBConnection", 30, false, "filial,fio"},
    {"UpdateDararedSingersQ", "SvodMDBConnection", 30, false, "filial,fio,idRecord"},
    {"DeleteDararedSingersQ", "SvodMDBConnection", 30, false, "idRecord"},
    {"SelectSignersByFilialQ", "SvodMDBConnection", 30, true, "filial"},
    {"CheckDararedSignersDuplesQ", "SvodMDBConnection", 30, true, "filial"},
    {"SelectZeroExcludeQ", "SvodMDBConnection", 30, true, ""},
    {"InsertZeroExcludeQ", "SvodMDBConnection", 30, false, "filial,invoice"},
    {"UpdateZeroExcludeQ", "SvodMDBConnection", 30, false, "filial,invoice,idRecord"},
    {"DeleteZeroExcludeQ", "SvodMDBConnection", 30, false, "idRecord"},
    {"SelectPlatPredpr", "SvodMDBConnection", 30, false, ""},
    {"SelectOblDopUnn", "SvodMDBConnection", 30, false, ""},
};

QString Sql(const char* name) { return Child(QLatin1String(name)).sql.join(u'\n'); }

QString WithLine(const char* name, int fromEnd, const QString& line)
{
    QStringList l = Child(QLatin1String(name)).sql;
    l[l.size() - fromEnd] = line;
    return l.join(u'\n');
}

}  // namespace

TEST(CompDMForm, HoldsThe38QueriesWithTheirSettings)
{
    const Comp& f = Form();
    EXPECT_EQ(f.cls, QStringLiteral("TCompDM"));
    EXPECT_EQ(f.name, QStringLiteral("CompDM"));
    EXPECT_EQ(f.props.at(QStringLiteral("OnCreate")), QStringLiteral("DataModuleCreate"));
    QStringList queries;
    for (const Comp& c : f.children)
        if (c.cls == QLatin1String("TADOQuery")) queries << c.name;
    ASSERT_EQ(queries.size(), 38);
    for (size_t i = 0; i < std::size(kQueries); ++i) {
        const QueryCase& k = kQueries[i];
        SCOPED_TRACE(k.name);
        EXPECT_EQ(queries[int(i)], QLatin1String(k.name));
        const Comp& q = Child(QLatin1String(k.name));
        EXPECT_EQ(q.props.at(QStringLiteral("Connection")), QLatin1String(k.connection));
        const auto to = q.props.find(QStringLiteral("CommandTimeout"));
        EXPECT_EQ(to == q.props.end() ? 30 : to->second.toInt(), k.timeout);
        EXPECT_EQ(q.props.count(QStringLiteral("CursorType")) && q.props.at(QStringLiteral("CursorType")) == QLatin1String("ctStatic"),
                  k.isStatic);
        EXPECT_EQ(q.params.join(u','), QLatin1String(k.params));
        // every parameter of the text is declared
        if (q.name != QLatin1String("CheckDararedSignersDuplesQ")) {   // its parameter is not used by the text
            for (const QString& p : q.params) {
                EXPECT_TRUE(q.sql.join(u'\n').contains(u':' + p)) << p.toStdString();
            }
        }
    }
    const Comp& svod = Child(QStringLiteral("SvodMDBConnection"));
    EXPECT_EQ(svod.props.at(QStringLiteral("LoginPrompt")), QStringLiteral("False"));
    EXPECT_EQ(svod.props.at(QStringLiteral("Mode")), QStringLiteral("cmReadWrite"));
    EXPECT_EQ(Child(QStringLiteral("SelectSvodInv")).props.at(QStringLiteral("Filtered")), QStringLiteral("True"));
    // settings statements refuse NULL, the others accept it
    EXPECT_EQ(Child(QStringLiteral("InsertDararedSingersQ")).paramProps.at(QStringLiteral("fio")).count(QStringLiteral("Attributes")), 0u);
    EXPECT_EQ(Child(QStringLiteral("InsertDararedSingersQ")).paramProps.at(QStringLiteral("filial")).at(QStringLiteral("Attributes")),
              QStringLiteral("paSigned"));
    EXPECT_TRUE(Child(QStringLiteral("InsSvodInvQ")).paramProps.at(QStringLiteral("docdate")).at(QStringLiteral("Attributes")).contains(
        QStringLiteral("paNullable")));
}

TEST(CompDMForm, PlaceholderLinesStandWhereTheCallersWriteThem)
{
    struct Case { const char* query; int fromEnd; const char* line; };
    const Case cases[] = {
        {"InsInvProvData", 2, "-- Условие для предприятия"},
        {"InsInvProvData", 1, "ORDER BY inv.Fullname"},
        {"SelectSprProvObj", 2, "-- Условие для предприятия"},
        {"SelectSprProvObj", 1, ""},
        {"SelectSvodInv", 3, "-- Условие филиала"},
        {"SelectSvodInv", 2, "-- Условие предприятия"},
        {"SelectSvodInv", 1, "ORDER BY namepredpr, invoicefullname"},
        {"ExcSumQ", 1, "-- Условие Филиал"},
        {"SelectTmpDararedInv", 1, "-- Условие предприятия"},
    };
    for (const Case& k : cases) {
        const QStringList& l = Child(QLatin1String(k.query)).sql;
        ASSERT_GE(l.size(), k.fromEnd);
        EXPECT_EQ(l[l.size() - k.fromEnd], QString::fromUtf8(k.line)) << k.query;
    }
    EXPECT_EQ(Child(QStringLiteral("SelectTmpDararedInv")).sql.size(), 3);
    // the recurring fragments, character for character
    const QString cleaned = QStringLiteral(
        "substring(CASE WHEN RIGHT(spr.NumDoc,1) in ('.', ',')  THEN SUBSTRING(spr.NumDoc, 1, len(spr.NumDoc) - 1) ELSE spr.NumDoc END, "
        "patindex('%[^0]%', CASE WHEN RIGHT(spr.NumDoc,1) in ('.', ',') THEN SUBSTRING(spr.NumDoc, 1, len(spr.NumDoc) - 1) ELSE spr.NumDoc END), 50)");
    EXPECT_EQ(Sql("InsInvProvData").count(cleaned), 2);
    EXPECT_EQ(Sql("SelectSprProvObj").count(cleaned), 1);
    const QString own = QStringLiteral("SELECT @unn=unn, @dopUnn=dopUNN FROM tbPredpr WHERE idPredpr=(SELECT idPredpr FROM tbNastrPredpr)");
    EXPECT_TRUE(Sql("InsInvProvData").contains(own));
    EXPECT_TRUE(Sql("SelectSprProvObj").contains(own));
    EXPECT_TRUE(Sql("InsInvProvData").contains(QStringLiteral(
        "CASE WHEN RIGHT(ISNULL(spr.globalcode, inv.globalcode), 1) = '*' THEN NULL ELSE ISNULL(spr.globalcode, inv.globalcode) END")));
    // the widened column of the branch table
    EXPECT_TRUE(Child(QStringLiteral("CrInvProv")).sql.contains(QStringLiteral("docNumber VARCHAR(50),")));
}

TEST(CompDMForm, PersistentFieldsAndDataSources)
{
    struct Case { const char* query; const char* field; const char* cls; const char* size; const char* label; bool readOnly; };
    const Case cases[] = {
        {"SelectSvodInv", "SelectSvodInvidPredpr", "TLargeintField", nullptr, nullptr, true},
        {"SelectSvodInv", "SelectSvodInvinvoicefullname", "TStringField", "25", "ЭСЧФ|Номер", true},
        {"SelectSvodInv", "SelectSvodInvndsexcel", "TBCDField", "3", nullptr, false},
        {"SelectSvodDuplesFilial", "SelectSvodDuplesFilialnumbuhdup", "TStringField", "10", "Справка|№ бух. спр.", false},
        {"SelectSvodDuplesInvoiceNumbers", "StringField1", "TStringField", "25", nullptr, false},
        {"SelectDuplicateProv", "SelectDuplicateProvnumBuhinv", "TStringField", "10", "ЭСЧФ|№ бух. спр", false},
        {"SelectTmpDararedInv", "SelectTmpDararedInvhide", "TBooleanField", nullptr, nullptr, false},
        {"SelectTmpDararedInv", "SelectTmpDararedInvidRecord", "TAutoIncField", nullptr, nullptr, true},
        {"SelectDararedSingersQ", "SelectDararedSingersQfio", "TStringField", "100", nullptr, true},
        {"SelectInvProvData", "SelectInvProvDataSvplace", "TStringField", "1", nullptr, true},
        {"SelectSprProvObj", "SelectSprProvObjglobalcode", "TStringField", "100", nullptr, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.field);
        const Comp* field = nullptr;
        for (const Comp& c : Child(QLatin1String(k.query)).children)
            if (c.name == QLatin1String(k.field)) field = &c;
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->cls, QLatin1String(k.cls));
        if (k.size) { EXPECT_EQ(field->props.at(QStringLiteral("Size")), QLatin1String(k.size)); }
        if (k.label) { EXPECT_EQ(field->props.at(QStringLiteral("DisplayLabel")), QString::fromUtf8(k.label)); }
        EXPECT_EQ(field->props.count(QStringLiteral("ReadOnly")) > 0, k.readOnly);
    }
    EXPECT_EQ(Child(QStringLiteral("SelectSvodDuplesFilial")).children.size(), 10u);
    EXPECT_EQ(Child(QStringLiteral("SelectSvodInv")).children.size(), 18u);
    EXPECT_TRUE(Child(QStringLiteral("SelectSignersByFilialQ")).children.empty());
    const char* sources[][2] = {{"SelectSvodDuplesDS", "SelectSvodDuplesFilial"}, {"SelectSvodDuplesOblpoDS", "SelectSvodDuplesOblpo"},
                                {"SelectSvodDuplesInvoiceNumbersDS", "SelectSvodDuplesInvoiceNumbers"}, {"SelectSprProvDS", "SelectSprProvQ"},
                                {"SelectTmpDararedProvDS", "SelectTmpDararedProv"}, {"SelectDararedSingersDS", "SelectDararedSingersQ"},
                                {"SelectZeroExcludeDS", "SelectZeroExcludeQ"}, {"SelectPlatPredprDS", "SelectPlatPredpr"}};
    for (auto& s : sources) EXPECT_EQ(Child(QLatin1String(s[0])).props.at(QStringLiteral("DataSet")), QLatin1String(s[1]));
    EXPECT_EQ(Child(QStringLiteral("SelectTmpDararedInvDSDEh")).props.at(QStringLiteral("KeyFields")), QStringLiteral("idRecord"));
}

// A document number is never cut: every column, parameter and field that carries one takes
// the 50 characters of the branch table.
TEST(CompDMForm, EveryDocumentNumberTakesFiftyCharacters)
{
    const QRegularExpression name(QStringLiteral("^(docnumber|docnumberdup|numdoc)$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression column(QStringLiteral("^'?(docnumber|docnumberdup|numdoc) (varchar|nvarchar)\\((\\d+)\\)"),
                                    QRegularExpression::CaseInsensitiveOption);
    int seen = 0;
    for (const Comp& q : Form().children) {
        for (const QString& line : q.sql) {
            const auto m = column.match(line.trimmed());
            if (!m.hasMatch()) continue;
            ++seen;
            EXPECT_EQ(m.captured(3), QStringLiteral("50")) << q.name.toStdString() << ": " << line.toStdString();
        }
        for (const auto& [param, props] : q.paramProps) {
            if (!name.match(param).hasMatch()) continue;
            ++seen;
            EXPECT_EQ(props.at(QStringLiteral("Size")), QStringLiteral("50")) << q.name.toStdString() << ": " << param.toStdString();
        }
        for (const Comp& f : q.children) {
            const auto fieldName = f.props.find(QStringLiteral("FieldName"));
            if (fieldName == f.props.end() || !name.match(fieldName->second).hasMatch()) continue;
            ++seen;
            EXPECT_EQ(f.props.at(QStringLiteral("Size")), QStringLiteral("50")) << f.name.toStdString();
        }
    }
    EXPECT_GE(seen, 20);
}

// Every statement, as the form holds it, runs on the demo catalogs in a reconciliation's order.
TEST(CompDMForm, EveryStatementRunsOnTheDemoCatalogs)
{
    QTemporaryDir dir;
    demo::TDemoOptions o;
    o.Size = 5;
    demo::TDemoModel m = demo::BuildDemoModel(o);
    demo::WriteDemoDatabases(m, dir.path());
    const TSqlParams period = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"delSelfProv", false}};
    const QString noEnterprise = QStringLiteral("-- Условие для предприятия");
    auto svod = TSqlSession::Connect(SvodConnectionString(QDir(dir.path()).absoluteFilePath(demo::SummaryFolderName())));
    svod->Execute(Sql("CrExcelTemp"));
    svod->Execute(Sql("CrSvodInv"));
    svod->Execute(Sql("CrSvodDuples"));
    svod->Execute(Sql("CrSprProv"));
    auto insInv = svod->Prepare(Sql("InsSvodInvQ"));
    auto insProv = svod->Prepare(Sql("InsSprProvQ"));
    auto insDup = svod->Prepare(Sql("InsSvodDuplesQ"));
    int64_t entries = 0;
    for (const auto& b : m.Branches) {
        SCOPED_TRACE(b.Name.toStdString());
        auto obj = TSqlSession::Connect(ObjConnectionString(QDir(dir.path()).absoluteFilePath(b.Folder)));
        obj->Execute(Sql("CrInvProv"));
        obj->Execute(WithLine("InsInvProvData", 2, noEnterprise), period);
        auto prov = obj->Open(WithLine("SelectSprProvObj", 1, noEnterprise), period);
        std::vector<Variant> row;
        while (prov->Next(row)) {
            ++entries;
            insProv->Execute({{"numbuhspr", row[5]}, {"numdoc", row[2]}, {"numdocpart", row[3]}, {"NSF", row[8]}, {"mes", row[4]},
                              {"datadoc", row[1]}, {"summ", row[0]}, {"globalcode", row[6]}, {"filial", row[7]}});
        }
        auto dups = obj->Open(Sql("SelectDuplicateProv"));
        int ndup = 0;
        while (dups->Next(row)) {
            ++ndup;
            insDup->Execute({{"mes", row[0]}, {"numbuhdup", row[1]}, {"docnumberdup", row[2]}, {"docdatedup", row[3]}, {"sumdup", row[4]},
                             {"numbuhsv", row[5]}, {"invfullname", row[6]}, {"invtotalvat", row[7]}, {"namepredpr", row[8]},
                             {"dopUNN", row[9]}});
        }
        EXPECT_GE(ndup, 1);   // the entry booked twice
        auto invs = obj->Open(Sql("SelectInvProvData"));
        while (invs->Next(row))
            insInv->Execute({{"idPredpr", row[13]}, {"invoicefullname", row[0]}, {"datetrans", row[3]}, {"status", row[2]},
                             {"ndsspr", row[6]}, {"ndsinvoice", row[7]}, {"totalcostinv", row[8]}, {"totalcostvatinv", row[9]},
                             {"svplace", row[14]}, {"numbuhspr", row[11]}, {"numdocpart", row[15]}, {"docnumber", row[4]},
                             {"docdate", row[5]}, {"filial", row[10]}});
    }
    // the ledger entries that count: VAT pairs, not rejected, not sent, in the month
    int64_t expected = 0;
    for (const auto& e : m.Entries)
        expected += e.PrizRej == 1 && e.Sv == 0 && e.Dt != 9001 && e.Mes == m.FirstDate;
    EXPECT_EQ(entries, expected);
    const TSqlParams compare = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", false}};
    EXPECT_GT(svod->Open(WithLine("SelectSvodInv", 3, QStringLiteral("-- Условие филиал")), compare)->FetchAll().size(), 0u);
    for (const char* q : {"SelectSvodDuplesFilial", "SelectSvodDuplesOblpo", "SelectSvodDuplesInvoiceNumbers", "SprSumQ", "ExcSumQ",
                          "SelectDararedSingersQ", "SelectZeroExcludeQ", "SelectPlatPredpr", "SelectOblDopUnn", "SelectTmpDararedInv"}) {
        SCOPED_TRACE(q);
        EXPECT_NO_THROW(svod->Open(Sql(q))->FetchAll());
    }
    EXPECT_EQ(svod->Open(Sql("SelectOblDopUnn"))->FetchAll().size(), m.Branches.size());
    EXPECT_EQ(svod->Open(Sql("SelectSvodDuplesOblpo"))->FetchAll().size(), 2u);   // the e-invoice of two branches
    // saving twice keeps one copy
    auto rows = svod->Open(WithLine("SelectSvodInv", 3, QStringLiteral("-- Условие филиал")), compare);
    auto result = rows->FetchAll();
    auto cols = rows->Columns();
    auto save = svod->Prepare(Sql("InsTmpDararedInvQ"));
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& r : result) {
            TSqlParams p;
            for (size_t i = 0; i < cols.size(); ++i) p.push_back({cols[i].Name, r[i]});
            save->Execute(p);
        }
    EXPECT_EQ(svod->Open(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv"))->FetchAll()[0][0].AsInt64(), int64_t(result.size()));
    svod->Execute(Sql("RewriteInsTmpDararedProv"));
    svod->Execute(Sql("DelTmpDararedInvQ"));
    svod->Execute(Sql("InsertDararedSingersQ"), {{"filial", 2}, {"fio", "Новиков"}});
    svod->Execute(Sql("UpdateDararedSingersQ"), {{"filial", 3}, {"fio", "Новиков"}, {"idRecord", 1}});
    svod->Execute(Sql("DeleteDararedSingersQ"), {{"idRecord", 1}});
    svod->Execute(Sql("InsertZeroExcludeQ"), {{"filial", 2}, {"invoice", "x"}});
    svod->Execute(Sql("UpdateZeroExcludeQ"), {{"filial", 3}, {"invoice", "y"}, {"idRecord", 1}});
    svod->Execute(Sql("DeleteZeroExcludeQ"), {{"idRecord", 1}});
    EXPECT_NO_THROW(svod->Open(Sql("SelectSignersByFilialQ"), {{"filial", 2}})->FetchAll());
    EXPECT_NO_THROW(svod->Open(Sql("CheckDararedSignersDuplesQ"), {{"filial", 0}})->FetchAll());
}

// ---- the branch statements against results worked out from the generator's facts

namespace {

QString CleanNumber(QString s)
{
    if (s.endsWith(u'.') || s.endsWith(u',')) s.chop(1);
    qsizetype i = 0;
    while (i < s.size() && s[i] == u'0') ++i;
    return i < s.size() ? s.mid(i) : QString();
}

bool InRange(const QDate& d, const QDate& a, const QDate& b) { return d.isValid() && d >= a && d <= b; }

// The rows of "#inv_prov" as "fullName|docNumber|sprSum in thousandths|globalcode", from the facts.
QStringList ExpectedInvProv(const demo::TDemoModel& m, const demo::TDemoBranch& b, bool delSelfProv, const QString& enterprise)
{
    const QDate f = m.FirstDate, s = m.SecondDate, wf = f.addMonths(-1), ws = s.addMonths(1);
    struct Inv { QString full, doc, code; QDate trans; };
    std::vector<Inv> invs;
    auto find = [&](const QString& full) -> const demo::TDemoInvoice* {
        for (const auto& i : m.Invoices)
            if (i.Branch == b.Number && i.FullName == full) return &i;
        return nullptr;
    };
    for (const auto& i : m.Invoices) {
        if (i.Branch != b.Number || !i.Sv) continue;
        bool in = InRange(i.DateTransaction, wf, ws) || (i.HasDocument && InRange(i.DocDate, wf, ws));
        if (i.DocumentType == 2 || i.DocumentType == 3) {
            const demo::TDemoInvoice* o = find(i.Original);
            if (o) in = in || InRange(o->DateTransaction, wf, ws) || (o->HasDocument && InRange(o->DocDate, wf, ws));
        } else if (i.DocumentType != 1 && i.DocumentType != 4)
            in = false;
        if (in)
            invs.push_back({i.FullName, i.HasDocument ? CleanNumber(i.DocNumber) : QString(), b.Local(i.Sender)->GlobalCode,
                            i.DateTransaction});
    }
    struct Cert { QString nsf, num, code; int64_t sum = 0; };
    std::map<QString, Cert> certs;   // by the grouping columns
    for (const auto& e : m.Entries) {
        if (e.Branch != b.Number || e.PrizRej != 1 || e.Sv != 0 || !InRange(e.Mes, f, s)) continue;
        bool vat = false;
        for (const auto& p : m.AccountPairs)
            vat |= p.Dt == e.Dt && p.Kt == e.Kt && p.AuDt.compare(e.AuDt, Qt::CaseInsensitive) == 0
                   && p.AuKt.compare(e.AuKt, Qt::CaseInsensitive) == 0;
        if (!vat) continue;
        const demo::TDemoLocalEnterprise* pred = b.Local(e.IdPredpr);
        if (delSelfProv && (!pred || pred->Unn == m.OrgUnn)) continue;
        QString part = e.NumDocPart;
        if (part.endsWith(u'.') || part.endsWith(u',')) part.chop(1);
        const QString key = QStringList{e.Nsf, e.DataDoc.toString(Qt::ISODate), CleanNumber(e.NumDoc), part, e.NumBuhSpr,
                                        QString::number(e.IdPredpr)}.join(u'|');
        Cert& c = certs[key];
        c.nsf = e.Nsf;
        c.num = CleanNumber(e.NumDoc);
        c.code = pred ? pred->GlobalCode : QString();
        c.sum += e.Summ;
    }
    auto code = [](const QString& c) { return c.isEmpty() || c.endsWith(u'*') ? QStringLiteral("NULL") : c; };
    auto chosen = [&](const QString& c) { return enterprise.isEmpty() || c == enterprise; };
    QStringList out;
    std::set<QString> matched;
    for (const Inv& i : invs) {
        bool any = false;
        for (const auto& [k, c] : certs)
            if (c.nsf.mid(2, 25) == i.full) {
                any = true;
                matched.insert(k);
                QString g = c.code.isEmpty() ? i.code : c.code;
                if (chosen(g))
                    out << QStringList{i.full, i.doc.isNull() ? c.num : i.doc, QString::number(c.sum), code(g)}.join(u'|');
            }
        if (!any && InRange(i.trans, f, s) && chosen(i.code))
            out << QStringList{i.full, i.doc.isNull() ? QStringLiteral("NULL") : i.doc, QStringLiteral("NULL"), code(i.code)}.join(u'|');
    }
    for (const auto& [k, c] : certs)
        if (!matched.count(k) && chosen(c.code))
            out << QStringList{QStringLiteral("NULL"), c.num, QString::number(c.sum), code(c.code)}.join(u'|');
    out.sort();
    return out;
}

QStringList ActualInvProv(TSqlSession& obj)
{
    auto r = obj.Open(QStringLiteral("SELECT fullName, docNumber, CAST(sprSum*1000 AS bigint), globalcode FROM #inv_prov"));
    QStringList out;
    std::vector<Variant> row;
    while (r->Next(row)) {
        QStringList cells;
        for (const Variant& v : row) cells << (v.IsNull() ? QStringLiteral("NULL") : v.AsString());
        out << cells.join(u'|');
    }
    out.sort();
    return out;
}

}  // namespace

TEST(CompDMForm, BranchRowsMatchTheGeneratedFacts)
{
    for (int size : {10, 150}) {
        QTemporaryDir dir;
        demo::TDemoOptions o;
        o.Size = size;
        o.Seed = 3 + size;
        demo::TDemoModel m = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(m, dir.path());
        for (const auto& b : m.Branches) {
            auto obj = TSqlSession::Connect(ObjConnectionString(QDir(dir.path()).absoluteFilePath(b.Folder)));
            struct Run { bool self; QString enterprise; };
            // own-UNN entries left out; a chosen enterprise; a code ending in "*" never matches
            const Run runs[] = {{false, {}}, {true, {}}, {false, QString::number(m.Enterprises[1].Id)},
                                {false, b.Enterprises[4].GlobalCode.chopped(1)}};
            for (const Run& r : runs) {
                SCOPED_TRACE(QStringLiteral("size %1, %2, self %3, enterprise %4").arg(size).arg(b.Name).arg(r.self).arg(r.enterprise).toStdString());
                obj->Execute(Sql("CrInvProv"));
                const QString line = r.enterprise.isEmpty()
                                         ? QStringLiteral("-- Условие для предприятия")
                                         : QStringLiteral("AND ISNULL(ISNULL(spr.globalcode, inv.globalcode),'')='%1'").arg(r.enterprise);
                obj->Execute(WithLine("InsInvProvData", 2, line),
                             {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"delSelfProv", r.self}});
                const QStringList want = ExpectedInvProv(m, b, r.self, r.enterprise);
                EXPECT_EQ(ActualInvProv(*obj), want);
                if (!r.self && r.enterprise.isEmpty()) {
                    // a certificate without its e-invoice: number cleaned of zeros and the point
                    EXPECT_EQ(want.filter(QStringLiteral("NULL|78|3333000|")).size(), 1);
                    // the entry booked twice stands beside the e-invoice it repeats
                    EXPECT_GE(want.filter(QStringLiteral("|123|")).size(), 2);
                    EXPECT_GT(want.size(), size / 2);
                }
                if (!r.enterprise.isEmpty() && b.Enterprises[4].GlobalCode.endsWith(u'*') && r.enterprise == b.Enterprises[4].GlobalCode.chopped(1)) {
                    EXPECT_TRUE(want.isEmpty());
                }
            }
        }
    }
}

// ---- the summary statements on hand-made rows

namespace {

Variant Day(int d) { return Variant::FromDate(double(QDate(1899, 12, 30).daysTo(QDate(2024, 2, d)))); }
Variant Money(int units) { return Variant(Currency::FromInt(units)); }

QStringList Rows(TSqlSession& s, const QString& sql, const TSqlParams& p, std::initializer_list<int> cols)
{
    auto r = s.Open(sql, p);
    QStringList out;
    std::vector<Variant> row;
    while (r->Next(row)) {
        QStringList cells;
        for (int c : cols) {
            const Variant& v = row[size_t(c)];
            cells << (v.IsNull() ? QStringLiteral("NULL") : (v.VarType() & varTypeMask) == varFMTBcd ? QString::number(v.AsDouble()) : v.AsString());
        }
        out << cells.join(u'|');
    }
    return out;
}

}  // namespace

TEST(CompDMForm, SummaryStatementsOnHandMadeRows)
{
    QTemporaryDir dir;
    demo::TDemoOptions o;
    o.Size = 0;
    demo::TDemoModel m = demo::BuildDemoModel(o);
    demo::WriteDemoDatabases(m, dir.path());
    auto svod = TSqlSession::Connect(SvodConnectionString(QDir(dir.path()).absoluteFilePath(demo::SummaryFolderName())));
    for (const char* q : {"CrExcelTemp", "CrSvodInv", "CrSvodDuples", "CrSprProv"}) svod->Execute(Sql(q));
    const qint64 e1 = m.Enterprises[1].Id, e2 = m.Enterprises[2].Id, e4 = m.Enterprises[4].Id;
    const QString a = QStringLiteral("200000001-2024-0000000001"), c = QStringLiteral("200000004-2024-0000000002");
    const QString z = m.ZeroExcludes.front().Invoice;   // listed for branch 2
    const QString w = QStringLiteral("200000002-2024-0000000003"), v = QStringLiteral("999999999-2024-0000000004");
    auto svodInv = [&](qint64 pred, const QString& inv, Variant ndsspr, Variant ndsinv, int filial) {
        svod->Execute(Sql("InsSvodInvQ"), {{"idPredpr", pred}, {"invoicefullname", inv}, {"datetrans", Day(10)}, {"status", 5},
                                          {"docnumber", "123"}, {"docdate", Day(9)}, {"ndsspr", ndsspr}, {"ndsinvoice", ndsinv},
                                          {"totalcostinv", Money(100)}, {"totalcostvatinv", Money(120)}, {"filial", filial},
                                          {"svplace", "С"}, {"numbuhspr", "15"}, {"numdocpart", ""}});
    };
    auto excel = [&](qint64 pred, const QString& inv, const QString& signer, int nds, Variant dopunn) {
        svod->Execute(Sql("InsExcelTempQ"), {{"idPredpr", pred}, {"namePredpr", "Из книги"}, {"invoicefullname", inv}, {"datetrans", Day(10)},
                                            {"status", 5}, {"recipientname", "Облпо"}, {"dopunn", dopunn}, {"signerfio", signer},
                                            {"docnumber", "123"}, {"docdate", Day(9)}, {"ndsexcel", Money(nds)},
                                            {"totalcostinv", Money(100)}, {"totalcostvatinv", Money(120)}, {"svplace", "К"}});
    };
    svodInv(e1, a, Money(20), Money(20), 2);
    svodInv(e1, a, Money(20), Money(20), 3);
    svodInv(e4, c, Variant::Null(), Money(40), 2);   // reported twice, only one with a certificate
    svodInv(e4, c, Money(40), Money(40), 3);
    svodInv(e2, z, Money(10), Money(10), 2);
    excel(e1, a, QString(), 20, 2);
    excel(e2, z, QString(), 10, 2);
    const demo::TDemoSigner& sig3 = m.Signers[2];   // a signer of branch 3, spelt in other case in the workbook
    ASSERT_EQ(sig3.Filial, 3);
    excel(e2, w, sig3.WorkbookSpelling, 5, Variant::Null());
    excel(9999, v, QString(), 7, 2);
    // the workbook table refuses a repeated e-invoice number
    EXPECT_THROW(excel(e1, a, QString(), 1, 2), ESqlError);

    const TSqlParams all = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", false}};
    const TSqlParams branchMode = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", true}};
    const QString s1 = m.Enterprise(e1)->Unn + QStringLiteral(" - ") + m.Enterprise(e1)->Name;
    const QString s2 = m.Enterprise(e2)->Unn + QStringLiteral(" - ") + m.Enterprise(e2)->Name;
    const QString s4 = m.Enterprise(e4)->Unn + QStringLiteral(" 3 - ") + m.Enterprise(e4)->Name;   // its own branch number shown
    const QString plain = WithLine("SelectSvodInv", 3, QStringLiteral("-- Условие филиал"));
    // invoicefullname | namepredpr | ndsexcel | ndsspr | filial
    QStringList want = {a + u'|' + s1 + QStringLiteral("|20|20|2"), a + u'|' + s1 + QStringLiteral("|20|20|3"),
                        c + u'|' + s4 + QStringLiteral("|NULL|40|3"), z + u'|' + s2 + QStringLiteral("|0|10|2"),
                        w + u'|' + s2 + QStringLiteral("|5|NULL|3"), v + QStringLiteral("|Из книги|7|NULL|2")};
    QStringList got = Rows(*svod, plain, all, {1, 6, 9, 10, 14});
    want.sort();
    got.sort();
    EXPECT_EQ(got, want);
    // branch mode: only branch 3, the zero-exclusion list not applied
    const QString branch3 = WithLine("SelectSvodInv", 3, SelectSvodInvFilialLine(QStringLiteral("3")));
    got = Rows(*svod, branch3, branchMode, {1, 9, 14});
    got.sort();
    EXPECT_EQ(got, (QStringList{a + QStringLiteral("|20|3"), w + QStringLiteral("|5|3"), c + QStringLiteral("|NULL|3")}));
    got = Rows(*svod, WithLine("SelectSvodInv", 3, SelectSvodInvFilialLine(QStringLiteral("2"))), branchMode, {1, 9});
    EXPECT_TRUE(got.contains(z + QStringLiteral("|10")));
    // a chosen enterprise
    QStringList lines = Child(QStringLiteral("SelectSvodInv")).sql;
    lines[lines.size() - 3] = QStringLiteral("-- Условие филиал");
    lines[lines.size() - 2] = QStringLiteral("AND ISNULL(inv.idPredpr, exc.idPredpr)='%1'").arg(e2);
    got = Rows(*svod, lines.join(u'\n'), all, {1});
    got.sort();
    EXPECT_EQ(got, (QStringList{w, z}));
    // totals: the workbook total ignores the zero-exclusion list; in branch mode the signer decides
    EXPECT_EQ(Rows(*svod, Sql("ExcSumQ"), {}, {0}), QStringList{QStringLiteral("42")});
    EXPECT_EQ(Rows(*svod, WithLine("ExcSumQ", 1, ExcSumFilialLine(QStringLiteral("3"))), {}, {0}), QStringList{QStringLiteral("5")});
    EXPECT_EQ(Rows(*svod, Sql("SprSumQ"), {}, {0}), QStringList{QStringLiteral("NULL")});
    // duplicate lists
    EXPECT_EQ(Rows(*svod, Sql("SelectSvodDuplesOblpo"), {}, {1, 11}), (QStringList{a + QStringLiteral("|2"), a + QStringLiteral("|3")}));
    got = Rows(*svod, Sql("SelectSvodDuplesInvoiceNumbers"), {}, {1, 2});
    got.sort();
    EXPECT_EQ(got, (QStringList{a + QStringLiteral("|2"), a + QStringLiteral("|3"), c + QStringLiteral("|2"), c + QStringLiteral("|3")}));
    // ledger entries of a row: an empty part number matches, a NULL code never does
    TSqlParams prov = {{"numbuhspr", "15"}, {"mes", Day(1)}, {"datadoc", Day(9)}, {"numdoc", "123"}, {"numdocpart", ""},
                       {"summ", Money(20)}, {"globalcode", "5001"}, {"filial", 2}, {"NSF", QStringLiteral("1-") + a}};
    svod->Execute(Sql("InsSprProvQ"), prov);
    prov[6].Value = Variant::Null();
    svod->Execute(Sql("InsSprProvQ"), prov);
    TSqlParams detail = {{"numdoc", "123"}, {"numdocpart", ""}, {"datadoc", Day(9)}, {"numbuhspr", "15"}, {"globalcode", "5001"},
                         {"filial", 2}, {"invfullname", a}};
    EXPECT_EQ(Rows(*svod, Sql("SelectSprProvQ"), detail, {5, 7}), (QStringList{QStringLiteral("5001|1-") + a}));
    EXPECT_EQ(Rows(*svod, Sql("SprSumQ"), {}, {0}), QStringList{QStringLiteral("40")});

    // saving: twice leaves one copy; a checked row survives the delete and is not added again
    auto result = svod->Open(plain, all);
    auto rows = result->FetchAll();
    auto cols = result->Columns();
    auto save = [&] {
        for (const auto& r : rows) {
            TSqlParams p;
            for (size_t i = 0; i < cols.size(); ++i) p.push_back({cols[i].Name, r[i]});
            svod->Execute(Sql("InsTmpDararedInvQ"), p);
        }
    };
    auto count = [&] { return Rows(*svod, QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv"), {}, {0}).join(u','); };
    save();
    save();
    EXPECT_EQ(count(), QString::number(rows.size()));
    svod->Execute(QStringLiteral("UPDATE tmpDararedInv SET hide=1 WHERE invoicefullname=:i"), {{"i", w}});
    svod->Execute(Sql("DelTmpDararedInvQ"));
    EXPECT_EQ(count(), QStringLiteral("1"));
    save();
    EXPECT_EQ(count(), QString::number(rows.size()));
    EXPECT_EQ(Rows(*svod, WithLine("SelectTmpDararedInv", 1, QStringLiteral("WHERE ISNULL(idPredpr,0)=%1").arg(e4)), {}, {2}), QStringList{c});
    svod->Execute(Sql("RewriteInsTmpDararedProv"));
    EXPECT_EQ(Rows(*svod, Sql("SelectTmpDararedProv"), detail, {6}), QStringList{QStringLiteral("5001")});

    // settings lists
    EXPECT_EQ(Rows(*svod, Sql("SelectSignersByFilialQ"), {{"filial", 2}}, {0}), (QStringList{m.Signers[0].Fio, m.Signers[1].Fio}));
    EXPECT_TRUE(Rows(*svod, Sql("CheckDararedSignersDuplesQ"), {{"filial", 0}}, {0}).isEmpty());
    svod->Execute(Sql("InsertDararedSingersQ"), {{"filial", 3}, {"fio", m.Signers[0].WorkbookSpelling}});
    EXPECT_EQ(Rows(*svod, Sql("CheckDararedSignersDuplesQ"), {{"filial", 0}}, {0}).size(), 1);
    EXPECT_EQ(Rows(*svod, Sql("SelectOblDopUnn"), {}, {0}), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
    QStringList payers;
    for (const auto& e : m.Enterprises)
        if (e.Id == e.IdPlat) payers << e.ShortName;
    got = Rows(*svod, Sql("SelectPlatPredpr"), {}, {1});
    EXPECT_EQ(got.size(), payers.size());
    QStringList sorted = got;
    std::sort(sorted.begin(), sorted.end(), [](const QString& x, const QString& y) { return QString::compare(x, y, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(got, sorted);
}
