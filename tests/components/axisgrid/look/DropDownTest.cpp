// Drop-down settings of a bar: the list field, the typing filter on the list source, the
// drop-down box with its data list, and the menus.
#include "LookFixture.h"

#include "platform/vcl/StdCtrls.h"

namespace {

// A stand-in for the lookup controls' drop-down grid: records what the bar hands it.
class TFakeDataList : public TCustomControl, public ILookupListGridEh {
public:
    explicit TFakeDataList(TComponent* AOwner) : TCustomControl(AOwner) { ++Made; }
    ~TFakeDataList() override { ++Freed; }
    TCustomControl* ListControl() override { return this; }
    TDBLookupGridEhOptions LookupOptions() const override { return FOptions; }
    void SetLookupOptions(TDBLookupGridEhOptions Value) override { FOptions = Value; }
    TGridAxisBarsEh* ListColumns() override { return nullptr; }
    TAxisBarDefValuesEh* ListColumnDefValues() override { return nullptr; }
    bool SortLocal() const override { return FSortLocal; }
    void SetSortLocal(bool Value) override { FSortLocal = Value; }
    void SetListFieldName(const QString& Value) override { ListField = Value; }
    void SetSpecRow(TSpecRowEh* Value) override
    {
        SpecRow = Value;
        ++SpecRowHandovers;
    }

    QString ListField;
    TSpecRowEh* SpecRow = nullptr;
    int SpecRowHandovers = 0;
    static inline int Made = 0;
    static inline int Freed = 0;

private:
    TDBLookupGridEhOptions FOptions{dlgColLinesEh};
    bool FSortLocal = false;
};

ILookupListGridEh* MakeFakeDataList() { return Create<TFakeDataList>(static_cast<TComponent*>(nullptr)); }

class DropDownTest : public LookData {
protected:
    void TearDown() override
    {
        SetAxisBarDataListFactoryEh(nullptr);
        LookData::TearDown();
    }
};

int RowCount(TDataSet* DataSet)
{
    int n = 0;
    for (DataSet->First(); !DataSet->Eof(); DataSet->Next())
        ++n;
    return n;
}

TEST_P(LookDataP, TheTypingFilterQuotesTheTextAndUsesTheDatasetsWildcard)
{
    TDataSet* people = MakePeople(GetParam());
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("PersonId"));
    auto* list = Create<TDataSource>(&owner);
    list->SetDataSet(people);
    bar->DropDownBox()->SetListSource(list);
    const QString w = GetParam() == TDataKind::MemTable ? QStringLiteral("%") : QStringLiteral("*");
    EXPECT_EQ(bar->DropDownBox()->GetLikeWildcardForSeveralCharacters(), w);

    bar->DropDownBoxApplyTextFilter(people, QStringLiteral("Name"), QStringLiteral("O'B"), lsftBeginsWithEh);
    EXPECT_EQ(people->Filter(), QStringLiteral("[Name] like 'O''B") + w + QStringLiteral("'"));
    EXPECT_TRUE(people->Filtered());
    EXPECT_EQ(RowCount(people), 1);

    bar->DropDownBoxApplyTextFilter(people, QStringLiteral("Name"), QStringLiteral("ров"), lsftContainsEh);
    EXPECT_EQ(people->Filter(), QStringLiteral("[Name] like '") + w + QStringLiteral("ров") + w + QStringLiteral("'"));
    EXPECT_EQ(RowCount(people), 1);

    bar->DropDownBoxApplyTextFilter(people, QStringLiteral("Name"), QString(), lsftContainsEh);
    EXPECT_EQ(people->Filter(), QString());
    EXPECT_TRUE(people->Filtered()) << "an empty text clears the condition, not the switch";
    EXPECT_EQ(RowCount(people), 4);

    bar->DropDownBoxApplyTextFilter(nullptr, QStringLiteral("Name"), QStringLiteral("x"), lsftContainsEh);
}

TEST_P(LookDataP, TheListFieldComesFromTheBoxTheBarOrTheListsFirstField)
{
    TDataSet* people = MakePeople(GetParam());
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    EXPECT_EQ(bar->GetDropDownBoxListField(), QString()) << "no list, no lookup";

    auto* list = Create<TDataSource>(&owner);
    bar->DropDownBox()->SetListSource(list);
    ASSERT_EQ(bar->GetBarType(), ctDataList);
    EXPECT_EQ(bar->GetDropDownBoxListField(), QString()) << "a list source without a dataset";
    list->SetDataSet(people);
    EXPECT_EQ(bar->GetDropDownBoxListField(), QStringLiteral("Name"));
    bar->SetFieldName(QStringLiteral("Surname"));
    EXPECT_EQ(bar->GetDropDownBoxListField(), QStringLiteral("Id"));
    bar->DropDownBox()->SetListFieldNames(QStringLiteral(" Note ; Name"));
    EXPECT_EQ(bar->DropDownBox()->GetActualListField(), QStringLiteral("Note"));
    EXPECT_EQ(bar->GetDropDownBoxListField(), QStringLiteral("Note"));
}

TEST_F(DropDownTest, WithoutADataListMakerTheBoxReadsEmptyAndIgnoresWrites)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    TColumnDropDownBoxEh* box = bar->DropDownBox();
    EXPECT_EQ(box->Columns(), nullptr);
    EXPECT_EQ(box->ColumnDefValues(), nullptr);
    EXPECT_TRUE(box->Options().Empty());
    box->SetOptions(TDBLookupGridEhOptions{dlgRowLinesEh});
    box->SetSortLocal(true);
    EXPECT_FALSE(box->SortLocal());
    EXPECT_EQ(bar->DataList(), nullptr);
    EXPECT_TRUE(box->AutoFitColWidths());
    EXPECT_EQ(box->ListSourceAutoFilterType(), lsftBeginsWithEh);
}

TEST_F(DropDownTest, TheDataListIsMadeOnFirstUseNamedAndFreedWithTheBar)
{
    SetAxisBarDataListFactoryEh(&MakeFakeDataList);
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    const int made = TFakeDataList::Made, freed = TFakeDataList::Freed;
    TColumnDropDownBoxEh* box = bar->DropDownBox();
    EXPECT_EQ(TFakeDataList::Made, made) << "not before it is needed";
    EXPECT_TRUE(box->Options() == TDBLookupGridEhOptions{dlgColLinesEh});
    EXPECT_EQ(TFakeDataList::Made, made + 1);
    auto* list = static_cast<TFakeDataList*>(bar->DataList());
    EXPECT_EQ(list->Name(), QStringLiteral("DataList"));
    EXPECT_EQ(list->Owner(), nullptr);
    box->SetOptions(TDBLookupGridEhOptions{dlgRowLinesEh, dlgColumnResizeEh});
    box->SetSortLocal(true);
    EXPECT_TRUE(list->LookupOptions() == (TDBLookupGridEhOptions{dlgRowLinesEh, dlgColumnResizeEh}));
    EXPECT_TRUE(box->SortLocal());

    // The special row reaches the list on every change; the display fields once assigned.
    const int handovers = list->SpecRowHandovers;
    const int changes = bar->Changes;
    bar->DropDownSpecRowChanged(bar->DropDownSpecRow());
    EXPECT_EQ(list->SpecRowHandovers, handovers + 1);
    EXPECT_EQ(list->SpecRow, bar->DropDownSpecRow());
    EXPECT_EQ(bar->Changes, changes + 1);
    bar->SetLookupDisplayFields(QStringLiteral("Name;Note"));
    EXPECT_EQ(list->ListField, QStringLiteral("Name;Note"));
    EXPECT_TRUE(bar->IsLookupDisplayFieldsStored());

    bar->Collection()->Delete(bar->Index());
    EXPECT_EQ(TFakeDataList::Freed, freed + 1);
}

TEST_F(DropDownTest, AssigningABoxKeepsItsListFieldsAndFilter)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* src = grid->AddBar(QStringLiteral("Name"));
    TLookBar* dst = grid->AddBar(QStringLiteral("Id"));
    auto* list = Create<TDataSource>(&owner);
    TColumnDropDownBoxEh* box = src->DropDownBox();
    box->SetListSource(list);
    box->SetListFieldNames(QStringLiteral("Name;Id"));
    box->SetListSourceAutoFilter(true);
    box->SetListSourceAutoFilterType(lsftContainsEh);
    box->SetAutoFitColWidths(false);
    box->SetUseMultiTitle(true);
    box->SetRows(12);
    box->SetWidth(300);
    box->SetSizable(true);
    dst->SetDropDownBox(box);
    TColumnDropDownBoxEh* copy = dst->DropDownBox();
    EXPECT_EQ(copy->ListSource(), list);
    EXPECT_EQ(copy->ListFieldNames(), QStringLiteral("Name;Id"));
    EXPECT_TRUE(copy->ListSourceAutoFilter());
    EXPECT_EQ(copy->ListSourceAutoFilterType(), lsftContainsEh);
    EXPECT_FALSE(copy->AutoFitColWidths());
    EXPECT_TRUE(copy->UseMultiTitle());
    EXPECT_EQ(copy->Rows(), 12);
    EXPECT_EQ(copy->Width(), 300);
    EXPECT_TRUE(copy->Sizable());
}

TEST_F(DropDownTest, TheGridHearsWhenAListSourceIsFreed)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    auto* list = Create<TDataSource>(static_cast<TComponent*>(nullptr));
    auto* other = Create<TDataSource>(static_cast<TComponent*>(nullptr));
    bar->DropDownBox()->SetListSource(list);
    bar->DropDownBox()->SetListSource(list);
    delete list;
    delete other;
    EXPECT_EQ(grid->Removed.count(list), 1u);
    EXPECT_EQ(grid->Removed.count(other), 0u);
}

TEST_F(DropDownTest, TheBarsMenuIsItsOwnOrTheRebuiltSystemMenu)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    TPopupMenu* system = bar->GetPopupMenu();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(bar->GetSystemPopupMenu(), system) << "one system menu per bar";
    auto* stale = Create<TMenuItem>(system);
    stale->Caption = QStringLiteral("stale");
    system->Items()->Add(stale);
    EXPECT_EQ(bar->GetSystemPopupMenu()->Items()->IndexOf(stale), -1) << "rebuilt on every request";

    auto* own = Create<TPopupMenu>(&owner);
    bar->SetPopupMenu(own);
    EXPECT_EQ(bar->GetPopupMenu(), own);
}

}

namespace {

TEST_P(LookDataP, ALookupBarOffersItsListAndLimitsTextToIt)
{
    TDataSet* people = MakePeople(GetParam());
    auto* titles = Create<TMemTableEh>(&owner);
    titles->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
    titles->FieldDefs()->Add(QStringLiteral("Title"), ftString, 20);
    titles->CreateDataSet();
    titles->AppendRecord({Variant(1), Variant(QStringLiteral("один"))});
    TLookGrid* grid = MakeGrid(people);
    TLookBar* bar = grid->AddBar(QStringLiteral("Id"));
    TDBLookupDataEh* lookup = bar->LookupParams();
    lookup->SetKeyFieldNames(QStringLiteral("Id"));
    lookup->SetLookupDataSet(titles);
    lookup->SetLookupKeyFieldNames(QStringLiteral("Code"));
    lookup->SetLookupDisplayFieldName(QStringLiteral("Title"));
    ASSERT_TRUE(lookup->LookupActive());
    EXPECT_EQ(bar->GetBarType(), ctLookupField);
    EXPECT_EQ(bar->LookupDisplayFields(), QStringLiteral("Title"));
    EXPECT_EQ(bar->GetDropDownBoxListField(), QStringLiteral("Title"));
    EXPECT_TRUE(bar->EditButton()->GetVisible());
    EXPECT_TRUE(bar->LimitTextToListValues());

    bar->SetLookupDisplayFields(QStringLiteral("Title"));
    EXPECT_FALSE(bar->AssignedValues().Contains(cvLookupDisplayFields)) << "the lookup's own field";
    bar->SetLookupDisplayFields(QStringLiteral("Title;Code"));
    EXPECT_EQ(bar->LookupDisplayFields(), QStringLiteral("Title;Code"));
    EXPECT_EQ(bar->GetDropDownBoxListField(), QStringLiteral("Title")) << "the list field stays the lookup's";
}

}
