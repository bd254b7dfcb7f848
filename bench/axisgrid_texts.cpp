// The texts of one frame of a full-screen axis grid: 50 visible rows of 12 bars, each cell's
// display text and edit text, read row by row without moving the cursor, over an in-memory
// table of 10,000 and of 1,000,000 rows with the visible rows in its middle. The two times
// must be the same: no step of a frame may grow with the row count.
#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Classes.h"

#include "QtBenchMain.h"

namespace {

constexpr int kVisibleRows = 50;

// The grid's title font is the data grid's business; a bench grid keeps its own.
class TBenchAxisGrid : public TCustomDBAxisGridEh {
public:
    using TCustomDBAxisGridEh::TCustomDBAxisGridEh;
    TFont* GetTitleFont() override { return &FTitleFont; }
    void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }

private:
    TFont FTitleFont;
};

struct GridOnTable {
    std::unique_ptr<TComponent> Owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* Table = Create<TMemTableEh>(Owner.get());
    TDataSource* Source = Create<TDataSource>(Owner.get());
    TBenchAxisGrid* Grid = Create<TBenchAxisGrid>(Owner.get());
    int Top = 0;

    explicit GridOnTable(int rows)
    {
        TMTDataStructEh* ds = Table->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("invoice", ftString, 25, 0);
        ds->BuildDataFieldForDef("namepredpr", ftString, 100, 0);
        ds->BuildDataFieldForDef("nds_excel", ftFloat, 0, 0);
        ds->BuildDataFieldForDef("nds_spr", ftCurrency, 0, 0);
        ds->BuildDataFieldForDef("nds_inv", ftFloat, 0, 0);
        ds->BuildDataFieldForDef("docdate", ftDate, 0, 0);
        ds->BuildDataFieldForDef("status", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
        ds->BuildDataFieldForDef("branch", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("signer", ftString, 60, 0);
        ds->BuildDataFieldForDef("note", ftString, 200, 0);
        TRecordsListEh* list = Table->RecordsStore()->RecordsList();
        for (int i = 0; i < rows; ++i) {
            TMemoryRecordEh* r = list->NewRecord();
            r->SetDataValue(0, dvvValueEh, i);
            r->SetDataValue(1, dvvValueEh, QStringLiteral("%1").arg(i, 25, 10, QChar(u'0')));
            r->SetDataValue(2, dvvValueEh, QStringLiteral("Предприятие №%1").arg(i % 5000));
            r->SetDataValue(3, dvvValueEh, (i % 10000) * 1.25);
            r->SetDataValue(4, dvvValueEh, Currency::FromInt(i % 1000));
            if (i % 7 != 0)
                r->SetDataValue(5, dvvValueEh, (i % 9000) * 0.5);
            r->SetDataValue(6, dvvValueEh, Variant(TDateTime(45000 + i % 365)));
            r->SetDataValue(7, dvvValueEh, i % 4);
            r->SetDataValue(8, dvvValueEh, i % 3 == 0);
            r->SetDataValue(9, dvvValueEh, i % 40);
            r->SetDataValue(10, dvvValueEh, QStringLiteral("Подписант %1").arg(i % 17));
            r->SetDataValue(11, dvvValueEh, QStringLiteral("Примечание к строке %1").arg(i));
            list->FetchRecord(r);
        }
        Table->Open();
        Source->SetDataSet(Table);
        Grid->SetBounds(0, 0, 1920, 1080);
        Grid->SetDataSourceProp(Source);
        TGridAxisBarsEh* bars = Grid->AxisBars();
        bars->SetState(csCustomized);
        bars->Items(3)->SetDisplayFormat(QStringLiteral("#,##0.00"));
        bars->Items(5)->SetDisplayFormat(QStringLiteral("#,##0.00"));
        bars->Items(6)->SetDisplayFormat(QStringLiteral("dd.mm.yyyy"));
        // Status as a coded value: key list and its texts.
        TAxisBarEh* status = bars->Items(7);
        status->KeyList()->SetCommaText(QStringLiteral("0,1,2,3"));
        status->PickList()->SetCommaText(QStringLiteral("Выставлен,Подписан,Аннулирован,Отозван"));
        Top = rows / 2 - kVisibleRows / 2;
        Table->SetRecNo(Top + 1);
    }

    // One frame: every visible cell's display text and edit text; returns the characters read.
    int64_t Frame()
    {
        IMemTableEh* rows = Grid->IntMemTable();
        TGridAxisBarsEh* bars = Grid->AxisBars();
        int64_t chars = 0;
        for (int r = 0; r < kVisibleRows; ++r) {
            TInstantReadGuardEh read(rows, Top + r);
            for (int b = 0; b < bars->Count(); ++b) {
                TAxisBarEh* bar = bars->Items(b);
                chars += bar->DisplayText().size();
                chars += bar->EditText().size();
            }
        }
        return chars;
    }
};

void FrameTexts(benchmark::State& state)
{
    GridOnTable g(int(state.range(0)));
    if (!g.Grid->IntMemTable() || g.Grid->AxisBars()->Count() != 12) {
        state.SkipWithError("the grid does not show the table's twelve fields");
        return;
    }
    {
        // The cells show the rows read, not the cursor's.
        TInstantReadGuardEh read(g.Grid->IntMemTable(), g.Top + 3);
        TGridAxisBarsEh* bars = g.Grid->AxisBars();
        if (bars->Items(0)->DisplayText() != QString::number(g.Top + 3)
            || bars->Items(7)->DisplayText() != bars->Items(7)->PickList()->Strings((g.Top + 3) % 4)) {
            state.SkipWithError("the cells do not show the row being read");
            return;
        }
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(g.Frame());
    state.SetItemsProcessed(state.iterations() * kVisibleRows * 12);
}

}  // namespace

BENCHMARK(FrameTexts)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

DOVRELIN_BENCHMARK_MAIN_WITH_APP()
