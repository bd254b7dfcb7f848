// Writing a text typed into a lookup bar: the key of the list entry with that text goes into
// the grid's key field.
#include "support/AxisGridFixtures.h"

using namespace testsupport;

namespace {

template <class Regime>
class GridLookup : public Regime {
public:
    TMemTableEh* kinds = nullptr;
    TAxisBarEh* bar = nullptr;
    QStringList asked;

    void SetUp() override
    {
        Regime::SetUp();
        kinds = Create<TMemTableEh>(this->form.get());
        kinds->FieldDefs()->Add(QStringLiteral("K"), ftString, 5);
        kinds->FieldDefs()->Add(QStringLiteral("Title"), ftString, 20);
        kinds->CreateDataSet();
        AddKind(QStringLiteral("A"), QStringLiteral("Первый вид"));
        AddKind(QStringLiteral("B"), QStringLiteral("Второй вид"));
        bar = this->grid->AxisBars()->Items(3);
        TDBLookupDataEh* lp = bar->LookupParams();
        lp->SetKeyFieldNames(QStringLiteral("Kind"));
        lp->SetLookupDataSet(kinds);
        lp->SetLookupKeyFieldNames(QStringLiteral("K"));
        lp->SetLookupDisplayFieldName(QStringLiteral("Title"));
        this->grid->Selected = 3;
    }
    void AddKind(const QString& k, const QString& title)
    {
        kinds->Append();
        kinds->FieldByName(QStringLiteral("K"))->SetAsString(k);
        kinds->FieldByName(QStringLiteral("Title"))->SetAsString(title);
        kinds->Post();
    }
    void Handler(bool accept, bool addIt)
    {
        bar->OnNotInList = [this, accept, addIt](TObject*, QString text, bool& acc) {
            asked << text;
            if (addIt)
                AddKind(QStringLiteral("N"), text);
            acc = accept;
        };
    }
    Variant TypeAndPost(const QString& text)
    {
        auto* ds = this->DataSet();
        ds->Edit();
        this->grid->SetEditKeyValue(Variant::Null());
        this->grid->SetEditText(3, 1, text);
        this->grid->DataLink()->Modified();
        ds->Post();
        return ds->FieldByName(QStringLiteral("Kind"))->AsVariant();
    }
};

using Regimes = ::testing::Types<AxisGridOverMemTable, AxisGridOverAdoQuery>;
TYPED_TEST_SUITE(GridLookup, Regimes);

TYPED_TEST(GridLookup, TypedTextOfAListEntryStoresItsKey)
{
    ASSERT_TRUE(this->bar->LookupParams()->LookupActive());
    this->Handler(false, false);
    EXPECT_EQ(this->TypeAndPost(QStringLiteral("второй ВИД")).AsString(), QStringLiteral("B"));
    EXPECT_TRUE(this->asked.isEmpty());
}

TYPED_TEST(GridLookup, NewTextAcceptedByTheHandlerStoresTheNewKey)
{
    this->Handler(true, true);
    EXPECT_EQ(this->TypeAndPost(QStringLiteral("Третий вид")).AsString(), QStringLiteral("N"));
    EXPECT_EQ(this->asked, QStringList{QStringLiteral("Третий вид")});
}

TYPED_TEST(GridLookup, NewTextRefusedByTheHandlerStoresNull)
{
    this->Handler(false, false);
    EXPECT_TRUE(this->TypeAndPost(QStringLiteral("Третий вид")).IsNull());
    EXPECT_EQ(this->asked, QStringList{QStringLiteral("Третий вид")});
}

}  // namespace
