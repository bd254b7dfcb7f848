// Writing the editor's text back into the dataset and the conditions for editing, in both data
// regimes.
#include "support/AxisGridFixtures.h"

#include "components/axisgrid/DBAxisGridsEh_Collections.h"
#include "platform/rtl/Classes.h"

using namespace testsupport;

namespace {

template <class Regime>
class GridEditing : public Regime {
public:
    TField* F(const char* name) { return this->DataSet()->FieldByName(QString::fromLatin1(name)); }
    TAxisBarEh* Bar(int i) { return this->grid->AxisBars()->Items(i); }

    // The editor's text for the selected bar, handed over as the editor does, then posted.
    void TypeAndPost(int bar, const QString& text)
    {
        this->grid->Selected = bar;
        this->DataSet()->Edit();
        this->grid->SetEditText(bar, 1, text);
        this->grid->DataLink()->Modified();
        this->DataSet()->Post();
    }
    // A pick list of texts with (possibly fewer) keys on the Kind bar.
    void KindLists(const QStringList& picks, const QStringList& keys)
    {
        for (const QString& s : picks)
            Bar(3)->PickList()->Add(s);
        for (const QString& s : keys)
            Bar(3)->KeyList()->Add(s);
    }
};

using Regimes = ::testing::Types<AxisGridOverMemTable, AxisGridOverAdoQuery>;
TYPED_TEST_SUITE(GridEditing, Regimes);

TYPED_TEST(GridEditing, PostingWritesTheEditorsTextIntoTheField)
{
    this->TypeAndPost(1, QStringLiteral("Дельта"));
    EXPECT_EQ(this->F("Name")->AsString(), QStringLiteral("Дельта"));
    EXPECT_FALSE(this->grid->DataLink()->IsModified());
    this->TypeAndPost(2, QStringLiteral("7,25"));
    EXPECT_DOUBLE_EQ(this->F("Sum")->AsFloat(), 7.25);
}

TYPED_TEST(GridEditing, WithoutTheModifiedFlagNothingIsWritten)
{
    auto* ds = this->DataSet();
    this->grid->Selected = 1;
    ds->Edit();
    this->grid->SetEditText(1, 1, QStringLiteral("Дельта"));
    ds->Post();
    EXPECT_EQ(this->F("Name")->AsString(), QStringLiteral("Альфа"));
}

// Text the field refuses: the field's error reaches the caller, the record keeps its value, and
// the link stays modified so the next attempt writes again.
TYPED_TEST(GridEditing, RefusedTextLeavesTheFieldAsItWasAndCanBeRetried)
{
    auto* ds = this->DataSet();
    this->grid->Selected = 0;
    ds->Edit();
    this->grid->SetEditText(0, 1, QStringLiteral("abc"));
    this->grid->DataLink()->Modified();
    EXPECT_ANY_THROW(ds->Post());
    EXPECT_TRUE(this->grid->DataLink()->IsModified());
    EXPECT_EQ(this->F("Code")->AsInteger(), 1);
    this->grid->SetEditText(0, 1, QStringLiteral("42"));
    ds->Post();
    EXPECT_EQ(this->F("Code")->AsInteger(), 42);
    ds->Refresh();
    EXPECT_TRUE(ds->Locate(QStringLiteral("Code"), Variant(42), {}));
}

struct KeyCase {
    const char* text;
    const char* stored;   // nullptr: Null
};

// A key list shorter than the pick list: a text without its own key stores Null, never the
// key that happened to be there before.
TYPED_TEST(GridEditing, PickAndKeyListsStoreTheKeyOfTheText)
{
    this->KindLists({QStringLiteral("Первый"), QStringLiteral("Второй"), QStringLiteral("Третий")},
                    {QStringLiteral("A"), QStringLiteral("B")});
    const KeyCase cases[] = {
        {"Второй", "B"},
        {"Первый", "A"},
        {"Третий", nullptr},   // no key for the third text
        {"", nullptr},
    };
    for (const KeyCase& c : cases) {
        this->grid->SetEditKeyValue(Variant(QStringLiteral("B")));
        this->TypeAndPost(3, QString::fromUtf8(c.text));
        if (c.stored)
            EXPECT_EQ(this->F("Kind")->AsString(), QString::fromLatin1(c.stored)) << c.text;
        else
            EXPECT_TRUE(this->F("Kind")->IsNull()) << c.text;
    }
}

TYPED_TEST(GridEditing, UnknownTextWithoutHandlerKeepsTheKey)
{
    this->KindLists({QStringLiteral("Первый"), QStringLiteral("Второй")}, {QStringLiteral("A"), QStringLiteral("B")});
    this->grid->SetEditKeyValue(Variant(QStringLiteral("B")));
    this->TypeAndPost(3, QStringLiteral("Чужой"));
    EXPECT_EQ(this->F("Kind")->AsString(), QStringLiteral("B"));
}

TYPED_TEST(GridEditing, RefusedUnknownTextStoresNull)
{
    this->KindLists({QStringLiteral("Первый"), QStringLiteral("Второй")}, {QStringLiteral("A"), QStringLiteral("B")});
    QStringList asked;
    this->Bar(3)->OnNotInList = [&](TObject*, QString text, bool& accept) {
        asked << text;
        accept = false;
    };
    this->grid->SetEditKeyValue(Variant(QStringLiteral("A")));
    this->TypeAndPost(3, QStringLiteral("Чужой"));
    EXPECT_EQ(asked, QStringList{QStringLiteral("Чужой")});
    EXPECT_TRUE(this->F("Kind")->IsNull());
}

TYPED_TEST(GridEditing, AcceptedUnknownTextIsLookedUpAgain)
{
    this->KindLists({QStringLiteral("Первый")}, {QStringLiteral("A")});
    auto* bar = this->Bar(3);
    bar->OnNotInList = [bar](TObject*, QString text, bool& accept) {
        bar->PickList()->Add(text);
        bar->KeyList()->Add(QStringLiteral("N"));
        accept = true;
    };
    this->TypeAndPost(3, QStringLiteral("Новый"));
    EXPECT_EQ(this->F("Kind")->AsString(), QStringLiteral("N"));
}

TYPED_TEST(GridEditing, PickListWithoutKeysWritesTheTextAndAsksAboutUnknownOnes)
{
    this->KindLists({QStringLiteral("A"), QStringLiteral("B")}, {});
    QStringList asked;
    this->Bar(3)->OnNotInList = [&](TObject*, QString text, bool& accept) {
        asked << text;
        accept = false;
    };
    this->TypeAndPost(3, QStringLiteral("B"));
    EXPECT_TRUE(asked.isEmpty());
    this->TypeAndPost(3, QStringLiteral("C"));
    EXPECT_EQ(asked, QStringList{QStringLiteral("C")});
    EXPECT_EQ(this->F("Kind")->AsString(), QStringLiteral("C"));
}

TYPED_TEST(GridEditing, DataEditAllowedFollowsTheAllowedOperations)
{
    auto* grid = this->grid;
    EXPECT_TRUE(grid->DataEditAllowed());
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopInsertEh, alopAppendEh, alopDeleteEh});
    EXPECT_FALSE(grid->DataEditAllowed());
    this->DataSet()->Append();   // a new record may be filled without the update right
    EXPECT_TRUE(grid->DataEditAllowed());
    this->DataSet()->Cancel();
    this->DataSet()->Close();
    EXPECT_FALSE(grid->DataEditAllowed());
}

TYPED_TEST(GridEditing, CanEditModifyDataStartsTheEditOnlyWhenAllowed)
{
    auto* grid = this->grid;
    auto* ds = this->DataSet();
    grid->Selected = 1;
    ASSERT_EQ(ds->State(), dsBrowse);
    EXPECT_TRUE(grid->CanEditModifyData());
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_TRUE(grid->DataLink()->IsModified());
    ds->Cancel();

    grid->SetReadOnly(true);
    EXPECT_FALSE(grid->CanEditModifyData());
    EXPECT_EQ(ds->State(), dsBrowse);
    grid->SetReadOnly(false);

    // A bar without text editing over a modifiable field answers True but starts no edit.
    this->Bar(1)->SetTextEditing(false);
    EXPECT_TRUE(grid->CanEditModifyData());
    EXPECT_EQ(ds->State(), dsBrowse);
    this->Bar(1)->SetTextEditing(true);

    this->F("Name")->SetReadOnly(true);
    EXPECT_FALSE(grid->CanEditModifyData());
    EXPECT_EQ(ds->State(), dsBrowse);
}

TYPED_TEST(GridEditing, KeysTheSelectedFieldAccepts)
{
    auto* grid = this->grid;
    grid->Selected = 0;   // an integer field
    EXPECT_TRUE(grid->CanEditAcceptKey(u'5'));
    EXPECT_FALSE(grid->CanEditAcceptKey(u'x'));
    grid->Selected = 1;
    EXPECT_TRUE(grid->CanEditAcceptKey(u'x'));
    // With a key list the character is not the field's business.
    grid->Selected = 0;
    this->Bar(0)->PickList()->Add(QStringLiteral("Один"));
    this->Bar(0)->KeyList()->Add(QStringLiteral("1"));
    EXPECT_TRUE(grid->CanEditAcceptKey(u'x'));
    grid->Selected = -1;
    EXPECT_FALSE(grid->CanEditAcceptKey(u'5'));
}

TYPED_TEST(GridEditing, EditLimitIsTheSizeOfAStringField)
{
    auto* grid = this->grid;
    grid->Selected = 1;
    EXPECT_EQ(grid->GetEditLimit(1, 1), 20);
    grid->Selected = 0;
    EXPECT_EQ(grid->GetEditLimit(0, 1), 0);
    grid->Selected = 3;
    this->KindLists({QStringLiteral("Первый")}, {QStringLiteral("A")});
    EXPECT_EQ(grid->GetEditLimit(3, 1), 0);
}

}  // namespace
