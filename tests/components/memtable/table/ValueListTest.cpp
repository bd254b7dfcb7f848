// Value lists of a field: order by type, filters, and a list that follows edits, inserts and
// deletes the same as one built afresh.
#include "TableFixture.h"

#include <memory>
#include <random>

namespace {

struct ValueListTest : TableFixture {
    std::unique_ptr<IMemTableDataFieldValueListEh> List(const char* field)
    {
        return std::unique_ptr<IMemTableDataFieldValueListEh>(t->GetFieldValueList(field));
    }
    static QString Text(IMemTableDataFieldValueListEh* l)
    {
        QStringList s;
        TStrings* v = l->GetValues();
        for (int i = 0; i < v->Count(); ++i)
            s << v->Strings(i);
        return s.join(u',');
    }
    QString Fresh(const char* field, const QString& filter = {})
    {
        auto l = List(field);
        l->SetFilter(filter);
        return Text(l.get());
    }
};

TEST_F(ValueListTest, ValuesInTheOrderOfTheirType)
{
    t->Open();
    for (auto [code, name] : {std::pair{10, "b"}, {2, "a"}, {1, "B"}, {2, "a"}, {10, "ä"}})
        Add(code, QString::fromUtf8(name));
    Add(5, "c", Variant(Currency::FromInt(3)));
    auto codes = List("Code");
    EXPECT_EQ(Text(codes.get()), "1,2,5,10");
    EXPECT_EQ(Fresh("Name"), QString::fromUtf8("a,ä,b,B,c"));
    EXPECT_EQ(Fresh("Amount"), "3");   // empty values are no choice of a non-text field

    // A Null text is listed as the empty text.
    t->Last();
    t->Edit();
    t->FieldByName("Name")->Clear();
    t->Post();
    EXPECT_EQ(Fresh("Name"), QString::fromUtf8(",a,ä,b,B"));

    // The filter text restricts the records.
    EXPECT_EQ(Fresh("Name", "Code >= 5"), QString::fromUtf8(",ä,b"));
    EXPECT_EQ(Fresh("Code", "Name = 'a'"), "2");

    // Case-insensitive tables merge spellings.
    t->SetOptions({mtoTextFieldsCaseInsensitive});
    auto names = List("Name");
    EXPECT_EQ(Text(names.get()), QString::fromUtf8(",a,ä,b"));

    EXPECT_EQ(t->GetFieldValueList("NoSuchField"), nullptr);
}

// A sequence of random edits, inserts, deletes, cancels and cached-update steps: after each one
// the lists kept up since the start read as lists built afresh.
TEST_F(ValueListTest, ListsFollowEveryChangeAsAFreshBuildWould)
{
    OpenWith(40);
    auto names = List("Name");
    auto codes = List("Code");
    auto filtered = List("Code");
    filtered->SetFilter("Amount > 100");
    Text(names.get());
    Text(codes.get());
    Text(filtered.get());
    std::mt19937 rng(5);
    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const int rows = t->RecordCount();
        if (rows > 0)
            t->SetRecNo(1 + int(rng() % unsigned(rows)));
        const int what = int(rng() % 8);
        const int v = int(rng() % 12);
        switch (what) {
        case 0: case 1: case 2:
            if (rows == 0)
                break;
            t->Edit();
            t->FieldByName(rng() % 2 ? "Code" : "Name")->SetAsString(QString::number(v));
            t->FieldByName("Amount")->SetAsInteger(v * 20);
            if (what == 2)
                t->Cancel();
            else
                t->Post();
            break;
        case 3: case 4:
            t->Insert();
            t->FieldByName("Code")->SetAsInteger(v);
            t->FieldByName("Name")->SetAsString(QStringLiteral("n%1").arg(v));
            t->FieldByName("Amount")->SetAsInteger(v * 20);
            t->Post();
            break;
        case 5:
            if (rows > 0)
                t->Delete();
            break;
        case 6:
            t->SetCachedUpdates(!t->CachedUpdates());
            break;
        default:
            if (t->CachedUpdates() && rng() % 2)
                t->CancelUpdates();
            else if (t->CachedUpdates())
                t->MergeChangeLog();
            break;
        }
        ASSERT_EQ(Text(names.get()), Fresh("Name"));
        ASSERT_EQ(Text(codes.get()), Fresh("Code"));
        ASSERT_EQ(Text(filtered.get()), Fresh("Code", "Amount > 100"));
    }
}

TEST_F(ValueListTest, AnEditUpdatesTheListWithoutARebuild)
{
    OpenWith(3);
    auto l = List("Name");
    auto* typed = dynamic_cast<TMemTableDataFieldValueListEh*>(l.get());
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(Text(l.get()), "n1,n2,n3");
    t->Edit();
    t->FieldByName("Name")->SetAsString("n0");
    t->Post();
    EXPECT_FALSE(typed->DataObsoleted());
    EXPECT_EQ(Text(l.get()), "n0,n2,n3");
    t->EmptyTable();
    EXPECT_TRUE(typed->DataObsoleted());
    EXPECT_EQ(Text(l.get()), "");
}

TEST_F(ValueListTest, ListOutlivesItsTable)
{
    OpenWith(2);
    auto l = List("Code");
    EXPECT_EQ(Text(l.get()), "1,2");
    ownerHolder.reset();
    EXPECT_EQ(Text(l.get()), "");
}

TEST_F(ValueListTest, LookupFieldListsTheLookupResults)
{
    auto* names = Create<TMemTableEh>(&owner);
    names->RecordsStore()->DataStruct()->BuildDataFieldForDef("Id", ftInteger, 0, 0);
    names->RecordsStore()->DataStruct()->BuildDataFieldForDef("Title", ftString, 20, 0);
    names->Open();
    names->AppendRecord({Variant(1), Variant("Юг")});
    names->AppendRecord({Variant(2), Variant("Север")});

    auto add = [&](TField* f, const char* name) {
        f->SetFieldName(name);
        f->SetDataSet(t);
    };
    add(Create<TIntegerField>(&owner), "Code");
    add(Create<TStringField>(&owner), "Name");
    add(Create<TCurrencyField>(&owner), "Amount");
    auto* lk = Create<TStringField>(&owner);
    lk->SetFieldKind(fkLookup);
    lk->SetLookupDataSet(names);
    lk->SetLookupKeyFields("Id");
    lk->SetKeyFields("Code");
    lk->SetLookupResultField("Title");
    add(lk, "Branch");
    t->Open();
    Add(1, "a");
    auto l = List("Branch");
    ASSERT_NE(l, nullptr);
    EXPECT_NE(dynamic_cast<TDatasetFieldValueListEh*>(l.get()), nullptr);
    EXPECT_EQ(Text(l.get()), "Север,Юг");
}

}  // namespace
