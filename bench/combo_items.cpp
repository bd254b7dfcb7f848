// A combo box edit with 1,000, 10,000 and 100,000 items (shuffled counterparty names): filling
// the list, opening and closing the drop-down (at the control's width and sized to the widest
// item), and typing a prefix that only the last item starts with, so every keystroke searches
// the whole list. The "per_item" figures must stay flat from 1,000 to 100,000 items: no step may
// grow with the square of the item count.
#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>
#include <algorithm>
#include <random>

namespace {

QStringList Names(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("ООО Контрагент %1").arg(i, 6, 10, QLatin1Char('0'));
    std::mt19937 rng(7);
    std::shuffle(names.begin(), names.end(), rng);
    // The one item the typed prefix leads to, last of all.
    names << QStringLiteral("Ярославский хлебозавод");
    return names;
}

struct ComboOnForm {
    TForm* Form;
    TDBComboBoxEh* Combo;
    explicit ComboOnForm(int count)
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Combo = Create<TDBComboBoxEh>(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 22);
        Form->Show();
        QCoreApplication::processEvents();
        Fill(Combo, Names(count));
        Combo->SetFocus();
    }
    ~ComboOnForm() { delete Form; }
    static void Fill(TDBComboBoxEh* combo, const QStringList& names)
    {
        TStrings* items = combo->Items();
        items->BeginUpdate();
        items->Clear();
        for (const QString& s : names)
            items->Add(s);
        items->EndUpdate();
    }
};

void PerItem(benchmark::State& state, int64_t perIteration)
{
    state.counters["per_item"] = benchmark::Counter(double(state.iterations()) * double(perIteration),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FillItems(benchmark::State& state)
{
    ComboOnForm f(1);
    const QStringList names = Names(int(state.range(0)));
    for (auto _ : state)
        ComboOnForm::Fill(f.Combo, names);
    PerItem(state, state.range(0));
}
BENCHMARK(FillItems)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void OpenAndClose(benchmark::State& state)
{
    ComboOnForm f(int(state.range(0)));
    f.Combo->DropDownBox()->SetWidth(int(state.range(1)));
    for (auto _ : state) {
        f.Combo->DropDown();
        if (!f.Combo->ListVisible())
            state.SkipWithError("the list did not open");
        f.Combo->CloseUp(false);
    }
    PerItem(state, state.range(0));
}
BENCHMARK(OpenAndClose)
    ->ArgNames({"items", "width"})
    ->Args({1000, 0})->Args({10000, 0})->Args({100000, 0})
    ->Args({1000, -1})->Args({10000, -1})->Args({100000, -1})
    ->Unit(benchmark::kMillisecond);

// Types "яр" into the open list (each character searches for a prefix, exact case first, then
// without case) and checks that the last item was completed.
void TypePrefix(benchmark::State& state)
{
    ComboOnForm f(int(state.range(0)));
    f.Combo->DropDown();
    for (auto _ : state) {
        f.Combo->SetText(QString());
        f.Combo->Perform(WM_CHAR, u'я', 0);
        f.Combo->Perform(WM_CHAR, u'р', 0);
        if (f.Combo->ItemIndex() != f.Combo->Items()->Count() - 1)
            state.SkipWithError("the prefix was not completed");
    }
    f.Combo->CloseUp(false);
    PerItem(state, state.range(0));
}
BENCHMARK(TypePrefix)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
