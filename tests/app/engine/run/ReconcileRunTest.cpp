// The reconciliation run, and saving and loading a reconciliation, end to end on generated
// catalogs: the generated workbook imported by the import job, the run over the configured
// branches, and the result, duplicate lists, totals and status held against a reference
// worked out from the generated facts (Reference.cpp), not from the statements.
#include "Reference.h"

#include "app/engine/DemoData.h"
#include "app/engine/support/MainWindowStandIn.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uCompareDataThread.h"
#include "app/engine/uLoadDararedState.h"
#include "app/engine/uLoadExcelThread.h"
#include "app/engine/uSaveDararedState.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <stdexcept>

using namespace enginetest;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString MoneyText(const runref::Money& m) { return m ? QString::number(*m) : QStringLiteral("-"); }
QString MoneyText(TField* f) { return f->IsNull() ? QStringLiteral("-") : QString::number(f->AsCurrency().Value / 10); }

QString RowText(const runref::TResultRow& r)
{
    return QStringList{r.Invoice, MoneyText(r.NdsExcel), MoneyText(r.NdsSpr), MoneyText(r.NdsInvoice),
                       r.Filial ? QString::number(*r.Filial) : QStringLiteral("-"),
                       r.IdPredpr ? QString::number(*r.IdPredpr) : QStringLiteral("-")}
        .join(u'|');
}

QStringList Sorted(QStringList l)
{
    l.sort();
    return l;
}

class ReconcileRun : public ::testing::Test {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;
    std::unique_ptr<TMainWindowStandIn> w;
    TBoxRecorder boxes;
    TColumnFooterEh excFooter, sprFooter, diffFooter;

    // Generates the catalogs; edit may rewrite "Config.ini" before the data module reads it.
    void Start(const QString& filial = QString(), const std::function<QString(QString)>& edit = {})
    {
        demo::TDemoOptions o;
        o.Size = 12;
        o.Filial = filial;
        model = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(model, dir.path());
        const QString ini = dir.filePath(QStringLiteral("Config.ini"));
        if (edit) {
            QFile f(ini);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(edit(demo::ConfigIniText(model, dir.path())).toUtf8());
        }
        TCompDM::ConfigPath = ini;
        dm = CreateUnique<TCompDM>(nullptr);
        ASSERT_EQ(dm->CreateError, QString());
        CompDM = dm.get();
        w = CreateUnique<TMainWindowStandIn>();
    }
    void TearDown() override
    {
        w.reset();
        CompDM = nullptr;
        dm.reset();
        TCompDM::ConfigPath.clear();
    }

    template <typename Job> void RunJob(Job* job)
    {
        job->Start();
        job->WaitFor();
        EXPECT_EQ(job->FatalException(), nullptr);
        delete job;
    }
    void Import()
    {
        TStringList files;
        files.Add(dir.filePath(QStringLiteral("desk_audit.xlsx")));
        RunJob(new TLoadExcelProcess(true, &files, w->MainProgressBar, w->MainStatusBar, w->MainPageControl, w->LoadExcelFileBtn,
                                     w->UpdateBtn, w->InstrumentsPanel, w->MainMenu));
        ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Boxes.front().Text.toStdString();
    }
    void Reconcile(int64_t idPredpr = 0, bool selfProv = false)
    {
        RunJob(new TCompareData(true, idPredpr, EncodeDate(model.FirstDate.year(), model.FirstDate.month(), model.FirstDate.day()),
                                EncodeDate(model.SecondDate.year(), model.SecondDate.month(), model.SecondDate.day()), selfProv,
                                w->MainProgressBar, w->MainStatusBar, w->MainPageControl, w->LoadExcelFileBtn, w->UpdateBtn,
                                w->InstrumentsPanel, w->MainMenu, &excFooter, &sprFooter, &diffFooter));
    }
    void Save()
    {
        RunJob(new TSaveDararedState(true, w->MainProgressBar, w->MainStatusBar, w->MainPageControl, w->LoadExcelFileBtn,
                                     w->UpdateBtn, w->InstrumentsPanel, w->MainMenu));
    }
    void Load(int64_t idPredpr = 0)
    {
        RunJob(new TLoadDararedState(true, idPredpr, w->MainProgressBar, w->MainStatusBar, w->MainPageControl,
                                     w->LoadExcelFileBtn, w->UpdateBtn, w->InstrumentsPanel, w->MainMenu));
    }

    QStringList ResultRows()
    {
        TMemTableEh* t = dm->CompareMemTableEh;
        QStringList rows;
        for (t->First(); !t->Eof(); t->Next()) {
            TField* filial = t->FieldByName("filial");
            TField* id = t->FieldByName("idPredpr");
            rows << QStringList{t->FieldByName("invoicefullname")->AsString(), MoneyText(t->FieldByName("ndsexcel")),
                                MoneyText(t->FieldByName("ndsspr")), MoneyText(t->FieldByName("ndsinvoice")),
                                filial->IsNull() ? QStringLiteral("-") : filial->AsString(),
                                id->IsNull() ? QStringLiteral("-") : id->AsString()}
                        .join(u'|');
        }
        t->First();
        return Sorted(rows);
    }
    static QStringList Expected(const runref::TReference& ref)
    {
        QStringList rows;
        for (const auto& r : ref.Result) rows << RowText(r);
        return Sorted(rows);
    }
    static QStringList Column(TDataSet* q, const char* a, const char* b = nullptr)
    {
        QStringList out;
        for (q->First(); !q->Eof(); q->Next())
            out << q->FieldByName(a)->AsString() + (b ? u'|' + q->FieldByName(b)->AsString() : QString());
        return Sorted(out);
    }
    int64_t Count(const QString& sql)
    {
        auto r = dm->SvodMDBConnection->Session().Open(sql);
        return r->FetchAll().at(0).at(0).AsInt64();
    }
    QStringList BoxTexts() const
    {
        QStringList l;
        for (const auto& b : boxes.Boxes) l << b.Text;
        return l;
    }

    void ExpectWindowRestored()
    {
        EXPECT_TRUE(w->LoadExcelFileBtn->Enabled());
        EXPECT_TRUE(w->UpdateBtn->Enabled());
        EXPECT_TRUE(w->MainPageControl->Enabled());
        EXPECT_TRUE(w->InstrumentsPanel->Enabled());
        EXPECT_TRUE(w->StateMMBtn->Enabled());
        EXPECT_TRUE(w->ExportMMBtn->Enabled());
        EXPECT_EQ(w->MainProgressBar->Style(), pbstNormal);
        for (TDataSet* ds : {static_cast<TDataSet*>(dm->CompareMemTableEh), static_cast<TDataSet*>(dm->TmpDararedInvMemTableEh),
                             static_cast<TDataSet*>(dm->SelectSvodDuplesFilial), static_cast<TDataSet*>(dm->SelectSvodDuplesOblpo),
                             static_cast<TDataSet*>(dm->SelectSvodDuplesInvoiceNumbers)})
            EXPECT_FALSE(ds->ControlsDisabled()) << ds->Name().toStdString();
    }

    // The whole picture of a finished run against the reference.
    void ExpectRunMatches(const runref::TReference& ref)
    {
        ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Boxes.front().Text.toStdString();
        ASSERT_TRUE(dm->CompareMemTableEh->Active());
        EXPECT_TRUE(dm->SelectSvodInv->Active());
        EXPECT_EQ(ResultRows(), Expected(ref));

        QStringList duples, oblpo, numbers;
        for (const auto& d : ref.Duples) duples << d.InvFullName + u'|' + QString::number(d.Filial);
        for (const auto& n : ref.OblpoInvoices) oblpo << n;
        for (const auto& [n, f] : ref.InvoiceNumberDuples) numbers << n + u'|' + QString::number(f);
        EXPECT_EQ(Column(dm->SelectSvodDuplesFilial, "invfullname", "dopUNN"), Sorted(duples));
        EXPECT_EQ(Column(dm->SelectSvodDuplesOblpo, "invoicefullname"), Sorted(oblpo));
        EXPECT_EQ(Column(dm->SelectSvodDuplesInvoiceNumbers, "invoicefullname", "filial"),
                  Sorted(numbers));
        EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_prov")), ref.SprRows);

        const Currency exc = Currency::FromRaw(ref.ExcSum * 10), spr = Currency::FromRaw(ref.SprSum * 10);
        if (ref.HasExcSum)
            EXPECT_EQ(StrToCurr(excFooter.Value()), exc) << excFooter.Value().toStdString();
        else
            EXPECT_EQ(excFooter.Value(), QString());
        if (ref.HasSprSum)
            EXPECT_EQ(StrToCurr(sprFooter.Value()), spr) << sprFooter.Value().toStdString();
        else
            EXPECT_EQ(sprFooter.Value(), QString());
        EXPECT_EQ(diffFooter.Value(), CurrToStr(exc - spr));

        EXPECT_EQ(w->MainStatusBar->SimpleText(),
                  QStringLiteral("Формирование завершено. Количество записей: %1. Количество дубликатов: %2.")
                      .arg(qulonglong(ref.Result.size()))
                      .arg(qulonglong(ref.Duples.size())));
        ExpectWindowRestored();
    }
};

TEST_F(ReconcileRun, AllBranchesAgreeWithTheGeneratedFacts)
{
    Start();
    Import();
    Reconcile();
    const runref::TReference ref = runref::Compute(model, {});
    // the fixture does carry the cases the lists are about
    ASSERT_FALSE(ref.Duples.empty());
    ASSERT_FALSE(ref.OblpoInvoices.empty());
    ASSERT_FALSE(ref.InvoiceNumberDuples.empty());
    ASSERT_TRUE(std::any_of(ref.Result.begin(), ref.Result.end(), [](const auto& r) { return r.NdsExcel == 0; }));
    ASSERT_TRUE(std::any_of(ref.Result.begin(), ref.Result.end(), [](const auto& r) { return r.Invoice.isEmpty(); }));
    ExpectRunMatches(ref);

    // sorted by counterparty: each counterparty's rows stand together, the first row is current
    TMemTableEh* t = dm->CompareMemTableEh;
    QStringList names;
    for (t->First(); !t->Eof(); t->Next()) {
        const QString n = t->FieldByName("namepredpr")->AsString();
        if (names.isEmpty() || names.back() != n) {
            EXPECT_FALSE(names.contains(n)) << n.toStdString();
            names << n;
        }
    }
    t->First();
    EXPECT_EQ(t->RecNo(), 1);
}

// The grids of the result and of every duplicate list hear of the new rows only on the UI
// thread: the job keeps their notices back while it reopens them.
TEST_F(ReconcileRun, TheTablesGridsHearOfTheRunOnlyOnTheUIThread)
{
    Start();
    Import();
    struct TListener {
        std::unique_ptr<TDataSource> SourceHolder = CreateUnique<TDataSource>(nullptr);
        TDataSource& Source = *SourceHolder;
        int OnUI = 0, Elsewhere = 0;
        void Heard() { (IsUIThread() ? OnUI : Elsewhere)++; }
    };
    TDataSet* const tables[] = {dm->CompareMemTableEh, dm->SelectSvodDuplesFilial, dm->SelectSvodDuplesOblpo,
                                dm->SelectSvodDuplesInvoiceNumbers};
    std::vector<std::unique_ptr<TListener>> listeners;
    for (TDataSet* ds : tables) {
        auto l = std::make_unique<TListener>();
        TListener* p = l.get();
        l->Source.OnDataChange = [p](TObject*, TField*) { p->Heard(); };
        l->Source.OnStateChange = [p](TObject*) { p->Heard(); };
        l->Source.SetDataSet(ds);
        listeners.push_back(std::move(l));
    }
    Reconcile();
    Reconcile();
    ASSERT_TRUE(boxes.Boxes.empty());
    for (size_t i = 0; i < listeners.size(); ++i) {
        EXPECT_EQ(listeners[i]->Elsewhere, 0) << tables[i]->Name().toStdString();
        EXPECT_GT(listeners[i]->OnUI, 0) << tables[i]->Name().toStdString();
    }
    for (auto& l : listeners) l->Source.SetDataSet(nullptr);
}

// Each option of a run against its own reference.
struct TOptionCase {
    const char* Name;
    QString Filial;
    bool SelfProv;
    bool ChooseCounterparty;
};

class ReconcileOptions : public ReconcileRun, public ::testing::WithParamInterface<TOptionCase> {};

TEST_P(ReconcileOptions, AgreeWithTheGeneratedFacts)
{
    const TOptionCase c = GetParam();
    Start(c.Filial);
    Import();
    runref::TOptions o;
    o.Filial = c.Filial;
    o.SelfProv = c.SelfProv;
    // the first supplier: the one with the matched, corrected and additional e-invoices
    if (c.ChooseCounterparty) o.IdPredpr = model.Enterprises[1].Id;
    Reconcile(o.IdPredpr, o.SelfProv);
    const runref::TReference ref = runref::Compute(model, o);
    ASSERT_FALSE(ref.Result.empty());
    ExpectRunMatches(ref);

    // what each option alone changes against a plain run
    const runref::TReference all = runref::Compute(model, {});
    const bool alone = int(c.SelfProv) + int(!c.Filial.isEmpty()) + int(c.ChooseCounterparty) == 1;
    if (!alone) return;
    if (c.SelfProv) {
        // the organisation's own e-invoice stays, without its certificate
        int own = 0;
        for (const auto& r : ref.Result)
            if (r.Invoice.startsWith(model.OrgUnn)) {
                ++own;
                EXPECT_FALSE(r.NdsSpr);
            }
        EXPECT_GT(own, 0);
        EXPECT_LT(ref.SprSum, all.SprSum);
        EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svexceltmp")), int64_t(all.ImportedInvoices.size()));
    }
    if (!c.Filial.isEmpty()) {
        // the certificate total still covers every branch; rows and workbook total only this one
        EXPECT_EQ(ref.SprSum, all.SprSum);
        EXPECT_LT(ref.ExcSum, all.ExcSum);
        for (const auto& r : ref.Result) EXPECT_EQ(r.Filial, c.Filial.toInt());
    }
    if (c.ChooseCounterparty) {
        EXPECT_LT(ref.Result.size(), all.Result.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReconcileOptions,
                         ::testing::Values(TOptionCase{"ExcludeOwnEntries", QString(), true, false},
                                           TOptionCase{"BranchMode", QStringLiteral("2"), false, false},
                                           TOptionCase{"ChosenCounterparty", QString(), false, true},
                                           TOptionCase{"BranchModeAndCounterparty", QStringLiteral("3"), true, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

QString WithoutBranches(QString ini)
{
    QStringList out;
    bool inBranches = false;
    for (const QString& line : ini.split(u'\n')) {
        if (line.startsWith(u'[')) inBranches = line == QLatin1String("[objectsconnection]");
        else if (inBranches && line.contains(u'=')) continue;
        out << line;
    }
    return out.join(u'\n');
}

TEST_F(ReconcileRun, WithoutBranchesTheWorkbookRowsStandAlone)
{
    Start(QString(), WithoutBranches);
    ASSERT_EQ(dm->ObjectsDict->Count(), 0);
    Import();
    Reconcile();
    runref::TOptions o;
    o.AllBranches = false;
    const runref::TReference ref = runref::Compute(model, o);
    ASSERT_EQ(ref.Result.size(), model.Workbook.size());
    ExpectRunMatches(ref);
    EXPECT_EQ(sprFooter.Value(), QString());
}

TEST_F(ReconcileRun, ARunBeforeAnyImportFailsAtTheComparison)
{
    Start();
    Reconcile();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Ошибка при обработке информации с текстом: ")))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("svexceltmp"))) << boxes.Boxes[0].Text.toStdString();
    EXPECT_EQ(boxes.Boxes[0].Flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(boxes.Boxes[0].OnUIThread);
    EXPECT_EQ(w->MainStatusBar->SimpleText(), QStringLiteral("Ошибка при обработке информации"));
    EXPECT_FALSE(dm->CompareMemTableEh->Active());
    EXPECT_EQ(excFooter.Value(), QString());
    ExpectWindowRestored();
    // the branches were collected before the comparison failed
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_inv")), int64_t(runref::Compute(model, {}).SvodInv.size()));
}

TEST_F(ReconcileRun, AnUnreachableSecondBranchEndsTheRunKeepingTheFirst)
{
    Start(QString(), [this](QString ini) {
        return ini.replace(dir.filePath(QStringLiteral("filial3")), dir.filePath(QStringLiteral("nowhere")));
    });
    Import();
    Reconcile();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Произошла ошибка при подключении к объекту Филиал №3 с текстом: ")))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_EQ(w->MainStatusBar->SimpleText(), QStringLiteral("Ошибка при подключении к объекту: Филиал №3"));
    EXPECT_FALSE(dm->CompareMemTableEh->Active());
    ExpectWindowRestored();
    runref::TOptions first;
    first.Branches = {2};
    const runref::TReference ref = runref::Compute(model, first);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_inv WHERE filial=2")), int64_t(ref.SvodInv.size()));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_inv")), int64_t(ref.SvodInv.size()));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_prov")), ref.SprRows);
}

TEST_F(ReconcileRun, ABranchNumberThatIsNoIntegerIsNeverSent)
{
    Start(QStringLiteral("2 OR 1=1"));
    Reconcile();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Ошибка при обработке информации с текстом: ")));
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("2 OR 1=1")));
    EXPECT_FALSE(dm->CompareMemTableEh->Active());
    ExpectWindowRestored();
    // nothing was created, let alone compared
    EXPECT_ANY_THROW(Count(QStringLiteral("SELECT COUNT(*) FROM #svod_inv")));
}

TEST_F(ReconcileRun, ARepeatedRunReplacesTheTablesAndTheResult)
{
    Start();
    Import();
    Reconcile();
    Reconcile();
    ExpectRunMatches(runref::Compute(model, {}));
}

// ---------------------------------------------------------------- saving and loading

TEST_F(ReconcileRun, SaveCheckReloadSaveAgain)
{
    Start();
    Import();
    Reconcile();
    const QStringList result = ResultRows();
    // rows equal in the compared columns are saved once
    QStringList distinct;
    TMemTableEh* r = dm->CompareMemTableEh;
    for (r->First(); !r->Eof(); r->Next()) {
        QStringList k;
        for (const char* f : {"idPredpr", "invoicefullname", "recipientname", "signerfio", "docnumber", "docdate", "ndsexcel",
                              "ndsspr", "ndsinvoice", "totalcostinv", "totalcostvatinv", "filial", "numbuhspr", "numdocpart"})
            k << r->FieldByName(f)->AsString();
        if (!distinct.contains(k.join(u'|'))) distinct << k.join(u'|');
    }
    const int64_t saved = distinct.size();

    Save();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Сохранение завершено")});
    EXPECT_EQ(boxes.Boxes.back().Flags, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), saved);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedProv")), runref::Compute(model, {}).SprRows);
    ExpectWindowRestored();
    EXPECT_EQ(ResultRows(), result);   // the result table is untouched

    Load();
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    ASSERT_TRUE(t->Active());
    EXPECT_TRUE(dm->SelectTmpDararedInv->Active());
    ASSERT_EQ(t->RecordCount(), saved);
    // check two rows that have an e-invoice
    QStringList checked;
    for (t->First(); !t->Eof() && checked.size() < 2; t->Next()) {
        if (t->FieldByName("invoicefullname")->IsNull()) continue;
        checked << t->FieldByName("invoicefullname")->AsString() + u'|' + t->FieldByName("filial")->AsString();
        t->Edit();
        t->FieldByName("hide")->SetAsBoolean(true);
        t->Post();
    }
    ASSERT_EQ(checked.size(), 2);

    boxes.Boxes.clear();
    Save();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Сохранение завершено")});
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), saved);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv WHERE hide=1")), 2);

    Load();
    ASSERT_TRUE(t->Active());
    EXPECT_EQ(t->RecordCount(), saved);
    QStringList stillChecked;
    for (t->First(); !t->Eof(); t->Next())
        if (t->FieldByName("hide")->AsBoolean())
            stillChecked << t->FieldByName("invoicefullname")->AsString() + u'|' + t->FieldByName("filial")->AsString();
    EXPECT_EQ(Sorted(stillChecked), Sorted(checked));
    ExpectWindowRestored();
}

TEST_F(ReconcileRun, ACheckedRowWhoseAmountsChangedStaysBesideTheNewOne)
{
    Start();
    Import();
    Reconcile();
    Save();
    // check one saved row and let its amount differ from the current result
    auto& s = dm->SvodMDBConnection->Session();
    s.Execute(QStringLiteral("UPDATE tmpDararedInv SET hide=1, ndsexcel=ndsexcel+1 WHERE idRecord=(SELECT MIN(idRecord) FROM "
                             "tmpDararedInv WHERE ndsexcel IS NOT NULL)"));
    const int64_t saved = Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv"));
    Save();
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), saved + 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv WHERE hide=1")), 1);
}

TEST_F(ReconcileRun, LoadingForACounterpartyWithNothingSaved)
{
    Start();
    Import();
    Reconcile();
    Save();
    boxes.Boxes.clear();
    Load(123456789);
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Сохранённые данные не найдены.")});
    EXPECT_FALSE(dm->TmpDararedInvMemTableEh->Active());
    ExpectWindowRestored();

    // one counterparty's rows only
    boxes.Boxes.clear();
    const int64_t id = model.Enterprises[1].Id;
    Load(id);
    EXPECT_TRUE(boxes.Boxes.empty());
    TMemTableEh* t = dm->TmpDararedInvMemTableEh;
    ASSERT_TRUE(t->Active());
    EXPECT_EQ(t->RecordCount(), Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv WHERE idPredpr=%1").arg(id)));
    for (t->First(); !t->Eof(); t->Next()) EXPECT_EQ(t->FieldByName("idPredpr")->AsLargeInt(), id);
}

TEST_F(ReconcileRun, AFailedSaveSaysSoAndNotThatItIsDone)
{
    Start();
    // no run yet: there is no comparison to save
    Save();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Ошибка сохранения текущей сверки, с текстом: ")))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_EQ(boxes.Boxes[0].Flags, UINT(MB_OK | MB_ICONERROR));
    ExpectWindowRestored();

    // the unchecked rows cannot be deleted: the save ends before any insert
    boxes.Boxes.clear();
    dm->SvodMDBConnection->Session().Execute(QStringLiteral("DROP TABLE tmpDararedInv"));
    Save();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(
        boxes.Boxes[0].Text.startsWith(QStringLiteral("Ошибка удаление информации из таблицы tmpDararedInv, с текстом: ")))
        << boxes.Boxes[0].Text.toStdString();
    ExpectWindowRestored();
}

TEST_F(ReconcileRun, FailedRowsAndAFailedLedgerRewriteAreReportedAndTheSaveGoesOn)
{
    Start();
    Import();
    Reconcile();
    // rows without a place tag (certificates without an e-invoice) are refused, the ledger table is gone
    auto& s = dm->SvodMDBConnection->Session();
    s.Execute(QStringLiteral("DROP TABLE tmpDararedInv"));
    s.Execute(demo::SummarySchemaSql().section(QStringLiteral("CREATE TABLE "), 3, 3).prepend(QStringLiteral("CREATE TABLE "))
                  .replace(QStringLiteral("svplace varchar(1)"), QStringLiteral("svplace varchar(1) NOT NULL")));
    s.Execute(QStringLiteral("DROP TABLE tmpDararedProv"));
    Save();

    const runref::TReference ref = runref::Compute(model, {});
    const auto refused = std::count_if(ref.Result.begin(), ref.Result.end(), [](const auto& r) { return r.Invoice.isEmpty(); });
    ASSERT_GT(refused, 0);
    ASSERT_EQ(boxes.Boxes.size(), size_t(refused) + 2);
    for (long i = 0; i < refused; ++i)
        EXPECT_TRUE(boxes.Boxes[size_t(i)].Text.startsWith(
            QStringLiteral("Произошла ошибка с текстом: Ошибка вставки записи в таблицу tmpDararedInv с текстом: ")))
            << boxes.Boxes[size_t(i)].Text.toStdString();
    EXPECT_TRUE(boxes.Boxes[size_t(refused)].Text.startsWith(QStringLiteral("Ошибка перезаписи проводок с текстом: ")));
    EXPECT_EQ(boxes.Boxes.back().Text, QStringLiteral("Сохранение завершено"));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), int64_t(ref.Result.size()) - refused);
    ExpectWindowRestored();
}

TEST_F(ReconcileRun, AFailedLoadIsReportedAndTheWindowComesBack)
{
    Start();
    dm->SvodMDBConnection->Session().Execute(QStringLiteral("DROP TABLE tmpDararedInv"));
    Load();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("tmpDararedInv"))) << boxes.Boxes[0].Text.toStdString();
    EXPECT_FALSE(dm->TmpDararedInvMemTableEh->Active());
    ExpectWindowRestored();
}

// An error of any class, the standard library's as well as the runtime's, ends a job with its
// own error box and gives the window its controls back.
TEST_F(ReconcileRun, AStandardErrorInAJobIsReportedAndTheWindowComesBack)
{
    Start();
    Import();
    Reconcile();
    ASSERT_TRUE(boxes.Boxes.empty());
    const TDataSetNotifyEvent fail = [](TDataSet*) { throw std::length_error("vector too long"); };
    struct Case {
        const char* name;
        TDataSetNotifyEvent* hook;
        std::function<void()> job;
        const char* box;
    };
    const Case cases[] = {
        {"save", &dm->SelectSvodInv->BeforeScroll, [this] { Save(); },
         "Ошибка сохранения текущей сверки, с текстом: vector too long"},
        {"load", &dm->SelectTmpDararedInv->BeforeOpen, [this] { Load(); },
         "Ошибка загрузки сохранённой сверки с текстом: vector too long"},
        {"run", &dm->SelectSvodInv->BeforeOpen, [this] { Reconcile(); },
         "Ошибка при обработке информации с текстом: vector too long"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        boxes.Boxes.clear();
        *k.hook = fail;
        k.job();
        *k.hook = nullptr;
        EXPECT_EQ(BoxTexts(), QStringList{QString::fromUtf8(k.box)});
        ExpectWindowRestored();
    }
    EXPECT_EQ(w->MainStatusBar->SimpleText(), QStringLiteral("Ошибка при обработке информации"));
}

}  // namespace
