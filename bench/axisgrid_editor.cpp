// The in-place editor of an axis grid over an in-memory table of 10,000 and of 1,000,000 rows,
// the cursor in the middle: opening and closing the editor on a text cell, dropping down and
// closing the pick list of a coded cell, and one keystroke (a character, then Backspace) in a
// record being edited. Each time must be the same at both sizes.
#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Classes.h"
#include "platform/vcl/Forms.h"

#include "QtBenchMain.h"

#include <QCoreApplication>

namespace {

// A bar that lets every cell be edited, as the data grid's column does without handlers.
class TBenchBar : public TAxisBarEh {
    DOV_PERSISTENT(TBenchBar, TAxisBarEh)
public:
    explicit TBenchBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
};

// What the data grid adds for the editor: one grid row for the current record, one column
// per bar, the selected bar is the current column.
class TBenchEditGrid : public TCustomDBAxisGridEh {
public:
    using TCustomDBAxisGridEh::TCustomDBAxisGridEh;
    TFont* GetTitleFont() override { return &FTitleFont; }
    void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }
    int GetSelectedIndex() override { return Col() - FixedColCount(); }
    void SetSelectedIndex(int Value) override { SetCol(Value + FixedColCount()); }
    bool CanEditModify() override { return CanEditModifyData(); }
    TGridAxisBarsEh* CreateAxisBars() override { return Create<TGridAxisBarsEh>(this, TBenchBar::StaticClassInfo()); }
    QString GetEditText(int, int) override
    {
        const int i = SelectedIndex();
        return i >= 0 && i < AxisBars()->Count() ? AxisBars()->Items(i)->GetInplaceEditText() : QString();
    }

private:
    TFont FTitleFont;
};

DOV_PUBLISHED(TBenchBar) {}

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

struct EditorOnTable {
    TForm* Form = Create<TForm>(nullptr);
    TMemTableEh* Table = Create<TMemTableEh>(Form);
    TDataSource* Source = Create<TDataSource>(Form);
    TBenchEditGrid* Grid = Create<TBenchEditGrid>(Form);

    explicit EditorOnTable(int rows)
    {
        TMTDataStructEh* ds = Table->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("namepredpr", ftString, 100, 0);
        ds->BuildDataFieldForDef("status", ftString, 20, 0);
        TRecordsListEh* list = Table->RecordsStore()->RecordsList();
        for (int i = 0; i < rows; ++i) {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, i);
            r->SetDataValue(1, dvvValueEh, QStringLiteral("Предприятие %1").arg(i));
            r->SetDataValue(2, dvvValueEh, QStringLiteral("Статус %1").arg(i % 30));
            list->FetchRecord(r);
        }
        Table->Open();
        Table->SetRecNo(rows / 2 + 1);
        Source->SetDataSet(Table);

        Form->SetBounds(0, 0, 700, 200);
        Grid->SetParent(Form);
        Grid->SetBounds(10, 10, 600, 60);
        Grid->SetDataSourceProp(Source);
        TGridAxisBarsEh* bars = Grid->AxisBars();
        bars->SetState(csCustomized);
        for (int i = 0; i < 30; ++i)
            bars->Items(2)->PickList()->Add(QStringLiteral("Статус %1").arg(i));
        Grid->SetFixedColCount(0);
        Grid->SetFixedRowCount(0);
        Grid->SetRowCount(1);
        Grid->SetColCount(bars->Count());
        Grid->SetDefaultColWidth(180);
        Grid->SetDefaultRowHeight(22);
        TGridOptionsEh o = Grid->Options();
        o.Include(goEditingEh);
        Grid->SetOptions(o);
        Form->Show();
        Grid->SetFocus();
        Pump();
    }
    ~EditorOnTable() { delete Form; }

    TDBAxisGridInplaceEdit* EditBar(int index)
    {
        Grid->SetEditorMode(false);
        Grid->SetSelectedIndexProp(index);
        Grid->SetEditorMode(true);
        auto* e = dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor());
        if (e)
            e->SetFocus();
        Pump();
        return e;
    }
};

void EditorOpenAndClose(benchmark::State& state)
{
    EditorOnTable g(int(state.range(0)));
    g.Grid->SetSelectedIndexProp(1);
    for (auto _ : state) {
        g.Grid->SetEditorMode(true);
        g.Grid->SetEditorMode(false);
    }
    state.SetItemsProcessed(state.iterations());
    g.Grid->SetEditorMode(true);
    if (!g.Grid->InplaceEditor() || !g.Grid->InplaceEditor()->Text().startsWith(QStringLiteral("Предприятие")))
        state.SkipWithError("the editor did not show the cell's text");
}

void PickListDropDownAndClose(benchmark::State& state)
{
    EditorOnTable g(int(state.range(0)));
    TDBAxisGridInplaceEdit* e = g.EditBar(2);
    if (!e) {
        state.SkipWithError("no in-place editor");
        return;
    }
    e->DropDown();
    const bool shown = e->ListVisible();
    e->CloseUp(false);
    if (!shown) {
        state.SkipWithError("the pick list did not drop down");
        return;
    }
    for (auto _ : state) {
        e->DropDown();
        e->CloseUp(false);
    }
    state.SetItemsProcessed(state.iterations());
}

void KeystrokeInTheEditor(benchmark::State& state)
{
    EditorOnTable g(int(state.range(0)));
    TDBAxisGridInplaceEdit* e = g.EditBar(1);
    if (!e) {
        state.SkipWithError("no in-place editor");
        return;
    }
    e->HandleKeyPress(VK_END, QChar(), {});
    e->HandleKeyPress(0, QChar(u'ы'), {});   // the record is in edit state from here
    for (auto _ : state) {
        e->HandleKeyPress(0, QChar(u'а'), {});
        e->HandleKeyPress(0, QChar(8), {});
    }
    state.SetItemsProcessed(state.iterations() * 2);
    if (!e->Text().endsWith(QStringLiteral("ы")) || g.Table->State() != dsEdit)
        state.SkipWithError("the keystrokes did not reach the editor");
}

}  // namespace

BENCHMARK(EditorOpenAndClose)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(PickListDropDownAndClose)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(KeystrokeInTheEditor)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
