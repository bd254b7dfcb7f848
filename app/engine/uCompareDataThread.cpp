#include "uCompareDataThread.h"

#include "JobErrors.h"
#include "uCompDM.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"

namespace {

const QString kNoEnterprise = QStringLiteral("-- Условие для предприятия");

void SetParam(TADOQuery* q, const QString& name, const Variant& v) { q->Parameters()->ParamByName(name)->SetValue(v); }

void SetLine(TADOQuery* q, int index, const QString& text) { q->SQL()->SetStrings(index, text); }

// The branch statements take the period and the exclude-own-entries option.
void SetPeriod(TADOQuery* q, TDateTime first, TDateTime second, bool delSelfProv)
{
    SetParam(q, QStringLiteral("FirstDate"), Variant(DateToStr(first)));
    SetParam(q, QStringLiteral("SecondDate"), Variant(DateToStr(second)));
    SetParam(q, QStringLiteral("delSelfProv"), Variant(delSelfProv));
}

class TStepClock {
public:
    explicit TStepClock(int64_t& sink) : FSink(sink) { FTimer.start(); }
    ~TStepClock() { FSink += FTimer.nsecsElapsed(); }

private:
    int64_t& FSink;
    QElapsedTimer FTimer;
};

}  // namespace

TCompareData::TCompareData(bool CreateSuspended, int64_t AidPredpr, TDateTime AFirstDate, TDateTime ASecondDate, bool AselfProv,
                           TProgressBar* ProgressBar, TStatusBar* StatusBar, TPageControl* PageControl, TButton* LoadExcelFileBtn,
                           TButton* UpdateBtn, TPanel* InsPanel, TMainMenu* MainMenu, TColumnFooterEh* AexcFooter,
                           TColumnFooterEh* AsprFooter, TColumnFooterEh* AdiffFooter)
    : TBaseCompThread(CreateSuspended, ProgressBar, StatusBar, PageControl, LoadExcelFileBtn, UpdateBtn, InsPanel, MainMenu),
      FirstDate(AFirstDate), SecondDate(ASecondDate), idPredpr(AidPredpr), excFooter(AexcFooter), sprFooter(AsprFooter),
      diffFooter(AdiffFooter), selfProv(AselfProv)
{
    BorrowFooterGrids();
}

TCompareData::TCompareData(bool CreateSuspended, int64_t AidPredpr, TDateTime AFirstDate, TDateTime ASecondDate,
                           bool AselfProv, TJobState* State, TColumnFooterEh* AexcFooter, TColumnFooterEh* AsprFooter,
                           TColumnFooterEh* AdiffFooter)
    : TBaseCompThread(CreateSuspended, State), FirstDate(AFirstDate), SecondDate(ASecondDate), idPredpr(AidPredpr),
      excFooter(AexcFooter), sprFooter(AsprFooter), diffFooter(AdiffFooter), selfProv(AselfProv)
{
    BorrowFooterGrids();
}

void TCompareData::BorrowFooterGrids()
{
    const TColumnFooterEh* footers[3] = {excFooter, sprFooter, diffFooter};
    for (int i = 0; i < 3; ++i)
        if (footers[i] && footers[i]->Column()) {
            FFooterGrids[i] = footers[i]->Column()->Grid();
            Borrow(FFooterGrids[i]);
        }
}

void TCompareData::Execute()
{
    TMemTableEh* result = CompDM->CompareMemTableEh;
    // Every duplicate list the job reopens is kept from its grids until the end.
    TDataSet* const lists[] = {CompDM->SelectSvodDuplesFilial, CompDM->SelectSvodDuplesOblpo,
                               CompDM->SelectSvodDuplesInvoiceNumbers};
    QString branch;
    try {
        // all four are held before anything can fail, so the closing steps release each once
        SyncDisableControls(result);
        for (TDataSet* ds : lists)
            SyncDisableControls(ds);
        // closing the table closes its query too; a failure here is reported like any other
        result->Close();
        SyncControlsEnabled(false);
        SyncStatusText(QStringLiteral("Получение информации из временной таблицы..."));
        Run(branch);
    } catch (const EThread&) {
        return;   // the application is going down
    } catch (const EConnectException& e) {
        try {
            SyncErrorDialog(QStringLiteral("Произошла ошибка при подключении к объекту ") + branch + QStringLiteral(" с текстом: ") +
                            e.Message());
            SyncStatusText(QStringLiteral("Ошибка при подключении к объекту: ") + branch);
        } catch (const EThread&) {
            return;
        }
    } catch (const EDBOperationException& e) {
        try {
            SyncErrorDialog(QStringLiteral("Объект: ") + branch + QStringLiteral("\r\n") + e.Message());
            SyncStatusText(QStringLiteral("Ошибка при получении информации в объекте: ") + branch);
        } catch (const EThread&) {
            return;
        }
    } catch (...) {
        // anything else, the runtime's errors and the standard library's alike
        try {
            SyncErrorDialog(QStringLiteral("Ошибка при обработке информации с текстом: ") + CurrentErrorText());
            SyncStatusText(QStringLiteral("Ошибка при обработке информации"));
        } catch (const EThread&) {
            return;
        }
    }

    try {
        SyncControlsEnabled(true);
        SyncProgressBarStyle(pbstNormal);
        SyncEnableControls(CompDM->SelectSvodDuplesFilial);
        SyncEnableControls(result);
        SyncEnableControls(CompDM->SelectSvodDuplesOblpo);
        SyncEnableControls(CompDM->SelectSvodDuplesInvoiceNumbers);
    } catch (const EThread&) {
    }
}

void TCompareData::Run(QString& branch)
{
    TCompDM* dm = CompDM;
    // The configured branch goes into the statements only as a number: checked before
    // anything is sent, so a bad "filial" ends the run with nothing changed.
    QString svodInvFilialLine = QStringLiteral("-- Условие филиал");
    QString excSumFilialLine = QStringLiteral("-- Условие филиал");
    if (dm->IsFilial) {
        svodInvFilialLine = SelectSvodInvFilialLine(dm->Filial);
        excSumFilialLine = ExcSumFilialLine(dm->Filial);
    }

    dm->CrSvodInv->ExecSQL();
    dm->CrSvodDuples->ExecSQL();
    dm->CrSprProv->ExecSQL();
    SyncProgressBarStyle(pbstMarquee);

    // Without "Config.ini" there is no dictionary; the comparison then fails on the
    // unconfigured connection and reports it.
    if (dm->ObjectsDict)
        for (const auto& [name, server] : *dm->ObjectsDict) {
            branch = name;
            CollectBranch(name, server);
        }

    SyncStatusText(QStringLiteral("Сравнение результатов с камеральным контролем..."));
    TADOQuery* svodInv = dm->SelectSvodInv;
    {
        TStepClock clock(FTimes.Comparison);
        svodInv->Close();
        SetParam(svodInv, QStringLiteral("FirstDate"), Variant(DateToStr(FirstDate)));
        SetParam(svodInv, QStringLiteral("SecondDate"), Variant(DateToStr(SecondDate)));
        SetParam(svodInv, QStringLiteral("isFilial"), Variant(dm->IsFilial));
        const int n = svodInv->SQL()->Count();
        SetLine(svodInv, n - 2,
                idPredpr > 0 ? QStringLiteral("AND ISNULL(inv.idPredpr, exc.idPredpr)='") + QString::number(idPredpr) + u'\''
                             : QStringLiteral("-- Условие предприятия"));
        SetLine(svodInv, n - 3, svodInvFilialLine);
        svodInv->Open();
    }

    SyncStatusText(QStringLiteral("Формирование таблицы результатов..."));
    dm->SelectSvodDuplesFilial->Close();
    dm->SelectSvodDuplesFilial->Open();
    {
        TStepClock clock(FTimes.OpenAndSort);
        TMemTableEh* result = dm->CompareMemTableEh;
        result->Open();
        result->SortByFields(QStringLiteral("namepredpr,invoicefullname"));
        result->First();
    }
    TStepClock clock(FTimes.DuplesAndTotals);
    dm->SelectSvodDuplesOblpo->Close();
    dm->SelectSvodDuplesOblpo->Open();
    dm->SelectSvodDuplesInvoiceNumbers->Close();
    dm->SelectSvodDuplesInvoiceNumbers->Open();

    TADOQuery* excSum = dm->ExcSumQ;
    excSum->Close();
    SetLine(excSum, excSum->SQL()->Count() - 1, excSumFilialLine);
    excSum->Open();
    dm->SprSumQ->Close();
    dm->SprSumQ->Open();

    TField* exc = excSum->FieldByName(QStringLiteral("excsum"));
    TField* spr = dm->SprSumQ->FieldByName(QStringLiteral("sprsum"));
    FExcText = exc->AsString();
    FSprText = spr->AsString();
    FDiffText = CurrToStr(exc->AsCurrency() - spr->AsCurrency());
    Synchronize(&TCompareData::SetFooters);

    SyncStatusText(QStringLiteral("Формирование завершено. Количество записей: ") + QString::number(svodInv->RecordCount()) +
                   QStringLiteral(".") + QStringLiteral(" Количество дубликатов: ") +
                   QString::number(dm->SelectSvodDuplesFilial->RecordCount()) + QStringLiteral("."));
}

void TCompareData::CollectBranch(const QString& branch, const QString& server)
{
    TCompDM* dm = CompDM;
    dm->ConnectToObject(server);

    SyncStatusText(QStringLiteral("Создание временной таблицы ЭСЧФ и проводок - ") + branch);
    {
        TStepClock clock(FTimes.BranchInsertSelect);
        dm->CrInvProv->ExecSQL();
        TADOQuery* q = dm->InsInvProvData;
        SetPeriod(q, FirstDate, SecondDate, selfProv);
        SetLine(q, q->SQL()->Count() - 2,
                idPredpr > 0 ? QStringLiteral("AND ISNULL(ISNULL(spr.globalcode, inv.globalcode),'')='") + QString::number(idPredpr) +
                                   u'\''
                             : kNoEnterprise);
        q->ExecSQL();
    }

    SyncStatusText(QStringLiteral("Заполнение таблицы проводок - ") + branch);
    CopyLedgerEntries();
    SyncStatusText(QStringLiteral("Заполнение таблицы дубликатов - ") + branch);
    CopyDuplicateEntries();
    SyncStatusText(QStringLiteral("Обновление таблицы результатов - ") + branch);
    CopyInvoices();
}

// Text, date and money values are read as such here: an empty one is stored as "", the
// date 0 or 0, and an empty branch number as 0.
void TCompareData::CopyLedgerEntries()
{
    TStepClock clock(FTimes.CopyLedger);
    TADOQuery* q = CompDM->SelectSprProvObj;
    q->Close();
    SetPeriod(q, FirstDate, SecondDate, selfProv);
    SetLine(q, q->SQL()->Count() - 1,
            idPredpr > 0 ? QStringLiteral("AND ISNULL(pred.globalcode, '')='") + QString::number(idPredpr) + u'\'' : kNoEnterprise);
    q->Open();
    TField* numBuhSpr = q->FieldByName(QStringLiteral("NumBuhSpr"));
    TField* numDoc = q->FieldByName(QStringLiteral("NumDoc"));
    TField* numDocPart = q->FieldByName(QStringLiteral("numDocPart"));
    TField* nsf = q->FieldByName(QStringLiteral("NSF"));
    TField* mes = q->FieldByName(QStringLiteral("mes"));
    TField* dataDoc = q->FieldByName(QStringLiteral("DataDoc"));
    TField* summ = q->FieldByName(QStringLiteral("Summ"));
    TField* globalcode = q->FieldByName(QStringLiteral("globalcode"));
    TField* dopUNN = q->FieldByName(QStringLiteral("dopUNN"));
    InTransaction(CompDM->SvodMDBConnection, [&] {
        for (q->First(); !q->Eof(); q->Next())
            CompDM->InsertSprProv(numBuhSpr->AsString(), numDoc->AsString(), numDocPart->AsString(), nsf->AsString(),
                                  mes->AsDateTime(), dataDoc->AsDateTime(), summ->AsCurrency(), globalcode->Value(),
                                  int16_t(dopUNN->AsInteger()));
    });
}

void TCompareData::CopyDuplicateEntries()
{
    TStepClock clock(FTimes.CopyDuples);
    TADOQuery* q = CompDM->SelectDuplicateProv;
    q->Close();
    q->Open();
    TField* numBuhSpr = q->FieldByName(QStringLiteral("NumBuhSpr"));
    TField* docNumber = q->FieldByName(QStringLiteral("docNumber"));
    TField* numBuhinv = q->FieldByName(QStringLiteral("numBuhinv"));
    TField* fullName = q->FieldByName(QStringLiteral("fullName"));
    TField* namePredpr = q->FieldByName(QStringLiteral("namePredpr"));
    TField* mes = q->FieldByName(QStringLiteral("mes"));
    TField* docDate = q->FieldByName(QStringLiteral("docDate"));
    TField* sprSum = q->FieldByName(QStringLiteral("sprSum"));
    TField* totalVat = q->FieldByName(QStringLiteral("totalVat"));
    TField* dopUNN = q->FieldByName(QStringLiteral("dopUNN"));
    InTransaction(CompDM->SvodMDBConnection, [&] {
        for (q->First(); !q->Eof(); q->Next())
            CompDM->InsertSvodDuples(numBuhSpr->AsString(), docNumber->AsString(), numBuhinv->AsString(), fullName->AsString(),
                                     namePredpr->AsString(), mes->AsDateTime(), docDate->AsDateTime(), sprSum->AsCurrency(),
                                     totalVat->AsCurrency(), int16_t(dopUNN->AsInteger()));
    });
}

// Every value passes unchanged: NULLs stay NULL.
void TCompareData::CopyInvoices()
{
    TStepClock clock(FTimes.CopyInvoices);
    TADOQuery* q = CompDM->SelectInvProvData;
    q->Close();
    q->Open();
    auto f = [q](const char* name) { return q->FieldByName(QString::fromLatin1(name)); };
    TField* globalcode = f("globalcode");
    TField* fullName = f("fullName");
    TField* dateTrans = f("dateTrans");
    TField* invStatus = f("invStatus");
    TField* sprSum = f("sprSum");
    TField* totalVat = f("totalVat");
    TField* totalCost = f("totalCost");
    TField* totalCostVat = f("totalCostVat");
    TField* svplace = f("Svplace");
    TField* numBuhSpr = f("NumBuhSpr");
    TField* numDocPart = f("NumDocPart");
    TField* docNumber = f("docNumber");
    TField* docDate = f("docDate");
    TField* dopUnn = f("dopUnn");
    InTransaction(CompDM->SvodMDBConnection, [&] {
        for (q->First(); !q->Eof(); q->Next())
            CompDM->InsertSvodInv(globalcode->Value(), fullName->Value(), dateTrans->Value(), invStatus->Value(), sprSum->Value(),
                                  totalVat->Value(), totalCost->Value(), totalCostVat->Value(), svplace->Value(),
                                  numBuhSpr->Value(), numDocPart->Value(), docNumber->Value(), docDate->Value(),
                                  dopUnn->Value());
    });
}

void TCompareData::SetFooters()
{
    SetFooter(0, excFooter, FExcText);
    SetFooter(1, sprFooter, FSprText);
    SetFooter(2, diffFooter, FDiffText);
}

// A footer of a grid is written only while the grid lives and still has the footer's column.
void TCompareData::SetFooter(int Index, TColumnFooterEh* Footer, const QString& Text)
{
    if (!Footer)
        return;
    if (TCustomDBGridEh* grid = FFooterGrids[Index]) {
        if (!Alive(grid))
            return;
        TDBGridColumnsEh* cols = grid->Columns();
        bool found = false;
        for (int i = 0; i < cols->Count() && !found; ++i)
            found = cols->Items(i)->Footer() == Footer;
        if (!found)
            return;
    }
    Footer->SetValue(Text);
}
