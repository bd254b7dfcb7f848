// Typing into a data-aware edit bound to a text field of an in-memory table of 10 and of
// 1,000,000 rows: a keystroke inside a record being edited (a character, then Backspace), the
// first keystroke of a record (it puts the table into edit state) and a short word typed and
// posted. Each time must be the same at both sizes.
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>

namespace {

struct EditOnTable {
    TForm* Form = Create<TForm>(nullptr);
    TMemTableEh* Table = Create<TMemTableEh>(Form);
    TDataSource* Source = Create<TDataSource>(Form);
    TDBEditEh* Edit = Create<TDBEditEh>(Form);

    explicit EditOnTable(int rows)
    {
        TMTDataStructEh* ds = Table->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("name", ftString, 100, 0);
        ds->BuildDataFieldForDef("amount", ftCurrency, 0, 0);
        TRecordsListEh* list = Table->RecordsStore()->RecordsList();
        for (int i = 0; i < rows; ++i) {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, i);
            r->SetDataValue(1, dvvValueEh, QStringLiteral("Предприятие %1").arg(i));
            r->SetDataValue(2, dvvValueEh, Currency::FromInt(i % 1000));
            list->FetchRecord(r);
        }
        Table->Open();
        Table->SetRecNo(rows / 2 + 1);
        Source->SetDataSet(Table);
        Form->SetBounds(0, 0, 400, 100);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 300, 24);
        Edit->SetDataSource(Source);
        Edit->SetDataField(QStringLiteral("name"));
        Form->Show();
        Edit->SetFocus();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        Edit->HandleKeyPress(VK_END, QChar(), {});
    }
    ~EditOnTable() { delete Form; }
    void Key(QChar c) { Edit->HandleKeyPress(0, c, {}); }
};

void KeystrokeInARecord(benchmark::State& state)
{
    EditOnTable e(int(state.range(0)));
    e.Key(QChar(u'ы'));   // the record is in edit state from here
    for (auto _ : state) {
        e.Key(QChar(u'а'));
        e.Key(QChar(8));
    }
    state.SetItemsProcessed(state.iterations() * 2);
    if (!e.Edit->Text().endsWith(QStringLiteral("ы")) || e.Table->State() != dsEdit)
        state.SkipWithError("the keystrokes did not reach the edit");
}

void FirstKeystrokeOfARecord(benchmark::State& state)
{
    EditOnTable e(int(state.range(0)));
    for (auto _ : state) {
        e.Key(QChar(u'а'));
        state.PauseTiming();
        e.Table->Cancel();
        e.Edit->HandleKeyPress(VK_END, QChar(), {});
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

void WordTypedAndPosted(benchmark::State& state)
{
    EditOnTable e(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        e.Edit->SelectAll();
        for (QChar c : QStringLiteral("Рога %1").arg(++n % 10))
            e.Key(c);
        e.Table->Post();
    }
    state.SetItemsProcessed(state.iterations());
    // The typed word reached the record.
    if (!e.Table->FieldByName(QStringLiteral("name"))->AsString().startsWith(QStringLiteral("Рога ")))
        state.SkipWithError("the typed word was not written");
}

}  // namespace

BENCHMARK(KeystrokeInARecord)->Arg(10)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(FirstKeystrokeOfARecord)->Arg(10)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(WordTypedAndPosted)->Arg(10)->Arg(1000000)->Unit(benchmark::kMicrosecond);

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
