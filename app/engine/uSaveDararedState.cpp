#include "uSaveDararedState.h"

#include "JobErrors.h"
#include "uCompDM.h"

#include "components/memtable/MemTableEh.h"

void TSaveDararedState::Execute()
{
    bool saved = false;
    bool controlsDisabled = false;
    try {
        SyncControlsEnabled(false);
        SyncProgressBarStyle(pbstMarquee);
        try {
            try {
                CompDM->DelTmpDararedInvQ->ExecSQL();
            } catch (const Exception& e) {
                throw EDelTmpDararedInvException(QStringLiteral("Ошибка удаление информации из таблицы tmpDararedInv, с текстом: ") +
                                                 e.Message());
            }
            SyncDisableControls(CompDM->CompareMemTableEh);
            controlsDisabled = true;
            SaveRows();
            try {
                CompDM->RewriteInsTmpDararedProv->ExecSQL();
            } catch (const EThread&) {
                throw;
            } catch (...) {
                SyncErrorDialog(QStringLiteral("Ошибка перезаписи проводок с текстом: ") + CurrentErrorText());
            }
            controlsDisabled = false;
            SyncEnableControls(CompDM->CompareMemTableEh);
            saved = true;
        } catch (const EThread&) {
            throw;
        } catch (const EDelTmpDararedInvException& e) {
            SyncErrorDialog(e.Message());
        } catch (...) {
            SyncErrorDialog(QStringLiteral("Ошибка сохранения текущей сверки, с текстом: ") + CurrentErrorText());
        }
        // the result grid gets its notices back whatever ended the save
        if (controlsDisabled)
            SyncEnableControls(CompDM->CompareMemTableEh);
        SyncProgressBarStyle(pbstNormal);
        SyncControlsEnabled(true);
        // a failed save is reported above; only a save that went through says it is done
        if (saved)
            SyncInfoDialog(QStringLiteral("Сохранение завершено"));
    } catch (const EThread&) {
        // the application is going down: nothing left to show
    }
}

// Every row of the comparison query the run left open, whatever the grid's filter shows;
// the statement itself skips a row that is saved already. A failed row is reported and the
// next one follows.
void TSaveDararedState::SaveRows()
{
    TADOQuery* q = CompDM->SelectSvodInv;
    static const char* const kNames[] = {"idPredpr", "invoicefullname", "datetrans",    "status",         "recipientname",
                                         "signerfio", "namepredpr",     "docnumber",    "docdate",        "ndsexcel",
                                         "ndsspr",    "ndsinvoice",     "totalcostinv", "totalcostvatinv", "filial",
                                         "svplace",   "numbuhspr",      "numdocpart"};
    TField* f[18];
    for (int i = 0; i < 18; ++i)
        f[i] = q->FieldByName(QString::fromLatin1(kNames[i]));
    // one transaction for the whole walk: a row that fails is skipped, the others stay
    InTransaction(CompDM->SvodMDBConnection, [&] {
        for (q->First(); !q->Eof(); q->Next()) {
            try {
                CompDM->InsertTmpDararedInv(f[0]->Value(), f[1]->Value(), f[2]->Value(), f[3]->Value(), f[4]->Value(),
                                            f[5]->Value(), f[6]->Value(), f[7]->Value(), f[8]->Value(), f[9]->Value(),
                                            f[10]->Value(), f[11]->Value(), f[12]->Value(), f[13]->Value(), f[14]->Value(),
                                            f[15]->Value(), f[16]->Value(), f[17]->Value());
            } catch (const EInsTmpDararedInvException& e) {
                SyncErrorDialog(QStringLiteral("Произошла ошибка с текстом: ") + e.Message());
            }
        }
    });
}
