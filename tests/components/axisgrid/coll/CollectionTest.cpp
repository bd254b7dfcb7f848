// The bar collection: default and customized states, one bar per field, names, removal
// notices, copying in one layout pass, resetting.
#include "CollFixtures.h"

#include "platform/rtl/Classes.h"

using BarCollectionTest = CollGridTest;

TEST_P(BarCollectionTest, ANewGridShowsDefaultBarsUntilItIsCustomized)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    EXPECT_EQ(bars->State(), csDefault);
    EXPECT_EQ(FieldNames(bars), QStringLiteral("ID,NAME,AMOUNT"));
    for (int i = 0; i < bars->Count(); ++i)
        EXPECT_TRUE(bars->Items(i)->IsDefaultBar()) << i;

    bars->SetState(csCustomized);
    EXPECT_EQ(bars->State(), csCustomized);
    ASSERT_EQ(FieldNames(bars), QStringLiteral("ID,NAME,AMOUNT"));
    for (int i = 0; i < bars->Count(); ++i) {
        EXPECT_FALSE(bars->Items(i)->IsDefaultBar()) << i;
        EXPECT_EQ(bars->Items(i)->Field(), data->FieldByName(bars->Items(i)->FieldName())) << i;
    }

    // Back to the default state: the stored bars go, the next layout pass brings default ones.
    bars->SetState(csDefault);
    EXPECT_EQ(bars->State(), csDefault);
    grid->LayoutChanged();
    EXPECT_EQ(FieldNames(bars), QStringLiteral("ID,NAME,AMOUNT"));
    EXPECT_TRUE(bars->Items(0)->IsDefaultBar());
}

TEST_P(BarCollectionTest, TheFirstBarDecidesTheState)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    ASSERT_EQ(bars->Count(), 3);
    // Added while the collection is being changed, so no layout pass runs yet.
    bars->BeginUpdate();
    TAxisBarEh* stored = bars->Add();
    stored->SetFieldName(QStringLiteral("NAME"));
    EXPECT_FALSE(stored->IsDefaultBar());
    EXPECT_EQ(bars->State(), csDefault);   // a default bar still comes first
    bars->EndUpdate();

    // The next layout pass frees the default bars in front of the stored one.
    grid->LayoutChanged();
    EXPECT_EQ(FieldNames(bars), QStringLiteral("NAME"));
    EXPECT_EQ(bars->State(), csCustomized);

    // A default bar in front of stored ones makes the collection default again.
    TAxisBarEh* def = bars->AddDefaultBar();
    EXPECT_TRUE(def->IsDefaultBar());
    EXPECT_EQ(bars->State(), csCustomized);
    def->SetIndex(0);
    EXPECT_EQ(bars->State(), csDefault);
}

TEST_P(BarCollectionTest, AddAllBarsAddsOneStoredBarPerFieldAndNeedsADataSet)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->Clear();
    bars->Add()->SetFieldName(QStringLiteral("AMOUNT"));
    bars->AddAllBars(false);
    EXPECT_EQ(FieldNames(bars), QStringLiteral("AMOUNT,ID,NAME,AMOUNT"));
    bars->AddAllBars(true);
    EXPECT_EQ(FieldNames(bars), QStringLiteral("ID,NAME,AMOUNT"));
    EXPECT_EQ(bars->State(), csCustomized);

    // Without a dataset only the clearing happens.
    TCollTestGrid* alone = NewGrid(false);
    alone->AxisBars()->Add()->SetFieldName(QStringLiteral("X"));
    alone->AxisBars()->AddAllBars(false);
    EXPECT_EQ(FieldNames(alone->AxisBars()), QStringLiteral("X"));
    alone->AxisBars()->AddAllBars(true);
    EXPECT_EQ(alone->AxisBars()->Count(), 0);
    // With no field to show, the layout pass still leaves one unbound default bar.
    alone->LayoutChanged();
    ASSERT_EQ(alone->AxisBars()->Count(), 1);
    EXPECT_TRUE(alone->AxisBars()->Items(0)->IsDefaultBar());
    EXPECT_EQ(alone->AxisBars()->Items(0)->Field(), nullptr);
    EXPECT_EQ(alone->AxisBars()->State(), csDefault);
}

TEST_P(BarCollectionTest, BarsAreFoundByTheirPositionAndFieldName)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->SetState(csCustomized);
    TAxisBarEh* id = bars->Items(0);
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {
        {"Column_0_ID", 0}, {"Column_2_AMOUNT", 2}, {"column_0_ID", -1}, {"Column_0_id", -1},
        {"Column_1_ID", -1}, {"Column_0_", -1}, {"", -1},
    };
    for (const Case& c : cases) {
        TAxisBarEh* found = bars->FindBarByName(QString::fromUtf8(c.name));
        EXPECT_EQ(found, c.index < 0 ? nullptr : bars->Items(c.index)) << c.name;
    }

    auto names = std::make_unique<TStringList>();
    bars->GetBarNames(names.get());
    EXPECT_EQ(names->CommaText(), QStringLiteral("Column_0_ID,Column_1_NAME,Column_2_AMOUNT"));

    // The name follows the bar's place and field.
    id->SetIndex(2);
    EXPECT_EQ(bars->FindBarByName(QStringLiteral("Column_0_ID")), nullptr);
    EXPECT_EQ(bars->FindBarByName(QStringLiteral("Column_2_ID")), id);
    id->SetFieldName(QStringLiteral("NAME"));
    EXPECT_EQ(bars->FindBarByName(QStringLiteral("Column_2_NAME")), id);
}

TEST_P(BarCollectionTest, OnlyItsOwnBarsAreInTheList)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    TCollTestGrid* other = NewGrid();
    EXPECT_TRUE(bars->CheckItemInList(bars->Items(1)));
    EXPECT_FALSE(bars->CheckItemInList(other->AxisBars()->Items(1)));
    EXPECT_FALSE(bars->CheckItemInList(nullptr));
}

TEST_P(BarCollectionTest, TheGridHearsOfEveryBarBeforeItLeaves)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->SetState(csCustomized);
    TAxisBarEh* first = bars->Items(0);
    TAxisBarEh* name = bars->Items(1);
    grid->Removing.clear();

    bars->Delete(1);
    ASSERT_EQ(grid->Removing.size(), 1u);
    EXPECT_EQ(grid->Removing[0].Bar, name);
    EXPECT_TRUE(grid->Removing[0].StillInCollection);

    grid->Removing.clear();
    delete first;   // a bar freed on its own leaves the collection too
    ASSERT_EQ(grid->Removing.size(), 1u);
    EXPECT_EQ(grid->Removing[0].Bar, first);

    grid->Removing.clear();
    bars->Clear();
    EXPECT_EQ(grid->Removing.size(), 1u);
    EXPECT_EQ(bars->Count(), 0);
}

TEST_P(BarCollectionTest, CopyingACollectionRebuildsTheLayoutOnce)
{
    TCollTestGrid* from = NewGrid();
    from->AxisBars()->SetState(csCustomized);
    from->AxisBars()->Items(2)->SetIndex(0);
    from->AxisBars()->Items(1)->SetColor(clRed);
    grid->Layouts = 0;

    grid->AxisBars()->Assign(from->AxisBars());
    EXPECT_EQ(grid->Layouts, 1);
    TGridAxisBarsEh* bars = grid->AxisBars();
    EXPECT_EQ(FieldNames(bars), QStringLiteral("AMOUNT,ID,NAME"));
    EXPECT_EQ(bars->State(), csCustomized);
    EXPECT_EQ(bars->Items(1)->Color(), clRed);
    EXPECT_TRUE(bars->Items(1)->AssignedValues().Contains(cvColor));
    EXPECT_FALSE(bars->Items(0)->AssignedValues().Contains(cvColor));
    EXPECT_EQ(bars->Items(0)->Field(), data->FieldByName(QStringLiteral("AMOUNT")));
    // Writing an item copies into the bar that is there.
    TAxisBarEh* target = bars->Items(2);
    bars->SetItems(2, from->AxisBars()->Items(1));
    EXPECT_EQ(bars->Items(2), target);
    EXPECT_EQ(target->FieldName(), QStringLiteral("ID"));
    EXPECT_EQ(target->Color(), clRed);
}

TEST_P(BarCollectionTest, RestoringDefaultsDropsEveryOwnValue)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->SetState(csCustomized);
    bars->Items(0)->SetEndEllipsis(true);
    bars->Items(1)->SetLayout(tlBottom);
    bars->Items(2)->SetColor(clYellow);
    bars->RestoreDefaults();
    for (int i = 0; i < bars->Count(); ++i)
        EXPECT_TRUE(bars->Items(i)->AssignedValues().Empty()) << i;
    EXPECT_EQ(bars->Items(1)->Layout(), grid->AxisBarDefValues()->Layout());
    EXPECT_EQ(FieldNames(bars), QStringLiteral("ID,NAME,AMOUNT"));
    EXPECT_EQ(bars->GetUpdateCount(), 0);
}

TEST_P(BarCollectionTest, ActivatingTheDataLinkRecomputesLookups)
{
    TGridAxisBarsEh* bars = grid->AxisBars();
    bars->SetState(csCustomized);
    TAxisBarEh* bar = bars->Items(0);
    bar->LookupParams()->SetKeyFieldNames(QStringLiteral("ID"));
    data->Close();
    bars->ActiveChanged();
    EXPECT_TRUE(bar->LookupParams()->GetKeyFields().empty());
    data->Open();
    bars->ActiveChanged();
    ASSERT_EQ(bar->LookupParams()->GetKeyFields().size(), 1u);
    EXPECT_EQ(bar->LookupParams()->GetKeyFields()[0], data->FieldByName(QStringLiteral("ID")));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarCollectionTest, ::testing::Values(Regime::MemTable, Regime::AdoQuery), RegimeName);
