// Lookup texts of a column: cached per row of an in-memory table, read directly otherwise.
#include "ColumnsFixtures.h"

using namespace testsupport;

namespace {

// Kind -> caption: "A" first, "B" second.
TMemTableEh* MakeKinds(TComponent* Owner)
{
    auto* kinds = Create<TMemTableEh>(Owner);
    kinds->SetName(QStringLiteral("Kinds"));
    kinds->FieldDefs()->Add(QStringLiteral("K"), ftString, 5);
    kinds->FieldDefs()->Add(QStringLiteral("Caption"), ftString, 20);
    kinds->CreateDataSet();
    for (auto [k, caption] : {std::pair{"A", "Первый"}, std::pair{"B", "Второй"}}) {
        kinds->Append();
        kinds->FieldByName(QStringLiteral("K"))->SetAsString(QString::fromUtf8(k));
        kinds->FieldByName(QStringLiteral("Caption"))->SetAsString(QString::fromUtf8(caption));
        kinds->Post();
    }
    return kinds;
}

void SetUpLookup(TColumnEh* Col, TDataSet* Kinds)
{
    Col->LookupParams()->SetKeyFieldNames(QStringLiteral("Kind"));
    Col->LookupParams()->SetLookupDataSet(Kinds);
    Col->LookupParams()->SetLookupKeyFieldNames(QStringLiteral("K"));
    Col->LookupParams()->SetLookupDisplayFieldName(QStringLiteral("Caption"));
}

// Display texts of every row, read without moving the cursor where the table allows it.
template <class F> QStringList Texts(F* Fixture, TColumnEh* Col)
{
    QStringList texts;
    TDataSet* ds = Fixture->DataSet();
    if (auto* mt = dynamic_cast<IMemTableEh*>(ds)) {
        for (int row = 0; row < mt->InstantReadRowCount(); ++row) {
            mt->InstantReadEnter(row);
            texts << Col->DisplayText();
            mt->InstantReadLeave();
        }
        return texts;
    }
    for (ds->First(); !ds->Eof(); ds->Next())
        texts << Col->DisplayText();
    return texts;
}

}  // namespace

template <class Base> class LookupColumn : public Base {
public:
    void SetUp() override
    {
        Base::SetUp();
        this->grid->Cols()->AddAllColumns(true);
        kind = nullptr;
        for (int i = 0; i < this->grid->Cols()->Count(); ++i)
            if (this->grid->Cols()->Items(i)->FieldName() == QStringLiteral("Kind"))
                kind = this->grid->Cols()->Items(i);
        ASSERT_NE(kind, nullptr);
        SetUpLookup(kind, MakeKinds(this->form.get()));
        ASSERT_TRUE(kind->LookupParams()->LookupActive());
    }
    TColumnEh* kind = nullptr;
};

using Regimes = ::testing::Types<DBGridOverMemTableOf<TColumnsProbeGridEh>, DBGridOverAdoQueryOf<TColumnsProbeGridEh>>;
TYPED_TEST_SUITE(LookupColumn, Regimes);

TYPED_TEST(LookupColumn, ShowsLookedUpTextsInBothRegimes)
{
    EXPECT_EQ(Texts(this, this->kind), (QStringList{QStringLiteral("Первый"), QStringLiteral("Второй"),
                                                   QStringLiteral("Первый")}));
    EXPECT_EQ(this->kind->LookupParams()->LookupValuesCached(), TypeParam::HasMemTable);
    // Alignment follows the display field of the lookup.
    EXPECT_EQ(this->kind->Alignment(), taLeftJustify);
}

TYPED_TEST(LookupColumn, SpecialRowStandsForItsValueAndMissingKeys)
{
    TSpecRowEh* spec = this->kind->DropDownSpecRow();
    spec->SetCellsText(QStringLiteral("Все"));
    spec->SetValue(Variant(QStringLiteral("B")));
    spec->SetVisible(true);
    spec->SetShowIfNotInKeyList(false);
    TDataSet* ds = this->DataSet();
    ds->First();
    ds->Edit();
    ds->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("Z"));
    ds->Post();
    EXPECT_EQ(Texts(this, this->kind),
              (QStringList{QString(), QStringLiteral("Все"), QStringLiteral("Первый")}));
    spec->SetShowIfNotInKeyList(true);
    EXPECT_EQ(Texts(this, this->kind),
              (QStringList{QStringLiteral("Все"), QStringLiteral("Все"), QStringLiteral("Первый")}));
}

class LookupCache : public LookupColumn<DBGridOverMemTableOf<TColumnsProbeGridEh>> {
public:
    std::vector<Variant>& Cache() { return kind->LookupParams()->FLookupValues; }
};

TEST_F(LookupCache, FilledOnReadAndKeptInStepWithRowEvents)
{
    Texts(this, kind);
    ASSERT_EQ(Cache().size(), 3u);
    EXPECT_EQ(Cache()[1].AsString(), QStringLiteral("Второй"));

    // A stale entry shows until the row event refreshes it.
    Cache()[1] = Variant(QStringLiteral("stale"));
    EXPECT_EQ(Texts(this, kind)[1], QStringLiteral("stale"));
    table->First();
    table->Next();
    kind->UpdateLookupValuesCache(1, mtRowChangedEh);
    EXPECT_EQ(Cache()[1].AsString(), QStringLiteral("Второй"));

    kind->UpdateLookupValuesCache(0, mtRowDeletedEh);
    EXPECT_EQ(Cache().size(), 2u);
    EXPECT_EQ(Cache()[0].AsString(), QStringLiteral("Второй"));
    kind->UpdateLookupValuesCache(2, mtRowInsertedEh);
    EXPECT_EQ(Cache().size(), 3u);
    kind->UpdateLookupValuesCache(-1, mtViewDataChangedEh);
    ASSERT_EQ(Cache().size(), 3u);
    EXPECT_TRUE(Cache()[0].IsEmpty());
}

TEST_F(LookupCache, RowsAddedOrRemovedBehindTheCacheStillShowTheirTexts)
{
    Texts(this, kind);
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    table->Last();
    table->Delete();
    table->First();
    table->Delete();
    EXPECT_EQ(Texts(this, kind), (QStringList{QStringLiteral("Второй"), QStringLiteral("Первый")}));
}

TEST_F(LookupCache, EditingTheKeyRecomputesTheCurrentRow)
{
    Texts(this, kind);
    table->First();
    table->Edit();
    table->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("B"));
    kind->RecordChanged(table->FieldByName(QStringLiteral("Kind")));
    EXPECT_EQ(Cache()[0].AsString(), QStringLiteral("Второй"));
    table->Cancel();
}
