#include "Fixture.h"

#include <gtest/gtest.h>

#include <thread>

using namespace dbtest;

namespace {

struct Linked {
    std::unique_ptr<TArrayDataSet> ds = MakePeople();
    std::unique_ptr<TDataSource> srcHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& src = *srcHolder;
    LogLink link;
    TField* name = ds->FieldByName("Name");
    explicit Linked(int buffers)
    {
        src.SetDataSet(ds.get());
        link.SetBufferCount(buffers);
        link.SetDataSource(&src);
        link.Log.clear();
    }
};

TEST(DataLinkBuffers, TheWindowScrollsWithTheCursor)
{
    Linked t(3);
    EXPECT_EQ(t.ds->BufferCount(), 3);
    EXPECT_EQ(t.link.RecordCount(), 3);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Ann", "Bob", "Cid"}));

    // moving inside the window scrolls nothing
    t.ds->MoveBy(2);
    EXPECT_EQ(t.link.ActiveRecord(), 2);
    EXPECT_EQ(t.link.Log, QStringList({"scrolled:0"}));

    // one past the window: the window follows by one row
    t.link.Log.clear();
    t.ds->Next();
    EXPECT_EQ(t.link.Log, QStringList({"scrolled:1"}));
    EXPECT_EQ(t.link.ActiveRecord(), 2);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Bob", "Cid", "Dan"}));

    // reading the window leaves the active record in place
    EXPECT_EQ(t.name->AsString(), "Dan");

    t.ds->MoveBy(-3);
    EXPECT_EQ(t.link.ActiveRecord(), 0);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Ann", "Bob", "Cid"}));
    EXPECT_EQ(t.link.Scrolled, 0);

    t.link.Log.clear();
    t.ds->Last();
    EXPECT_EQ(t.link.Log, QStringList({"changed"}));
    EXPECT_EQ(t.link.ActiveRecord(), 2);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Hal", "Ivy", "Jon"}));
    EXPECT_TRUE(t.link.Eof());
}

TEST(DataLinkBuffers, ScrollingFetchesOneRecordAndReadingFetchesNone)
{
    Linked t(3);
    t.ds->MoveBy(2);
    t.ds->GetRecordCalls = 0;
    for (int i = 0; i < 3; ++i)
        WindowNames(t.link, t.name);
    EXPECT_EQ(t.ds->GetRecordCalls, 0);
    t.ds->Next();
    EXPECT_EQ(t.ds->GetRecordCalls, 1);
    // back over the window's top edge: the window follows upwards
    t.ds->MoveBy(-2);
    t.link.Log.clear();
    t.ds->Prior();
    EXPECT_EQ(t.link.Log, QStringList({"scrolled:-1"}));
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Ann", "Bob", "Cid"}));
}

TEST(DataLinkBuffers, GotoBookmarkCentresTheRecordInTheWindow)
{
    Linked t(5);
    t.ds->MoveBy(5);
    const TBookmark fay = t.ds->Bookmark();
    t.ds->First();
    t.ds->GotoBookmark(fay);
    EXPECT_EQ(t.link.ActiveRecord(), 2);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Dan", "Eve", "Fay", "Gus", "Hal"}));
    // near the end there is nothing to centre on: the window fills from above
    t.ds->Last();
    const TBookmark jon = t.ds->Bookmark();
    t.ds->First();
    t.ds->GotoBookmark(jon);
    EXPECT_EQ(WindowNames(t.link, t.name), QStringList({"Fay", "Gus", "Hal", "Ivy", "Jon"}));
    EXPECT_EQ(t.link.ActiveRecord(), 4);
}

TEST(DataLinkBuffers, TheDataSetKeepsAsManyBuffersAsItsLargestLink)
{
    Linked t(4);
    LogLink small;
    small.SetDataSource(&t.src);
    EXPECT_EQ(t.ds->BufferCount(), 4);
    t.ds->MoveBy(5);  // Fay
    EXPECT_EQ(t.link.ActiveRecord(), 3);
    EXPECT_EQ(small.ActiveRecord(), 0);
    EXPECT_EQ(small.RecordCount(), 1);
    EXPECT_EQ(WindowNames(small, t.name), QStringList({"Fay"}));

    t.link.SetBufferCount(8);
    EXPECT_EQ(t.ds->BufferCount(), 8);
    EXPECT_EQ(t.name->AsString(), "Fay");
    EXPECT_EQ(t.link.RecordCount(), 8);
    EXPECT_EQ(WindowNames(t.link, t.name).last(), "Jon");

    t.link.SetBufferCount(2);
    EXPECT_EQ(t.ds->BufferCount(), 2);
    EXPECT_EQ(t.name->AsString(), "Fay");
    EXPECT_LE(t.link.ActiveRecord(), 1);
    EXPECT_EQ(t.ds->AllocatedBuffers, 3 + 1);  // buffers, the spare and the temporary one
}

TEST(DataLinkBuffers, StateChangesReachTheLinks)
{
    Linked t(1);
    t.ds->Edit();
    EXPECT_TRUE(t.link.Editing());
    t.name->SetAsString("Annie");
    t.ds->Post();
    EXPECT_FALSE(t.link.Editing());
    EXPECT_EQ(t.link.Log, QStringList({"editing:1", "record", "record:Name", "updatedata", "editing:0", "changed"}));
    t.link.Log.clear();
    t.ds->Close();
    EXPECT_EQ(t.link.Log, QStringList({"active:0"}));
    EXPECT_FALSE(t.link.Active());
    t.ds->Open();
    EXPECT_TRUE(t.link.Active());
}

TEST(DataLinkBuffers, DisabledControlsHoldEventsAndTheLastEnableSendsOneChange)
{
    Linked t(3);
    struct Counting : TArrayDataSet {
        int Events = 0;
        void DataEvent(TDataEvent e, NativeInt info) override
        {
            ++Events;
            TArrayDataSet::DataEvent(e, info);
        }
    };
    EXPECT_FALSE(t.ds->DataRefilling());
    t.ds->DisableControls();
    t.ds->DisableControls();
    EXPECT_TRUE(t.ds->ControlsDisabled());
    // what a grid asks before it reads rows a job may be writing
    bool seenFromAnotherThread = false;
    std::thread([&] { seenFromAnotherThread = t.ds->DataRefilling(); }).join();
    EXPECT_TRUE(seenFromAnotherThread);
    t.ds->MoveBy(5);
    t.ds->Edit();
    t.name->SetAsString("Fayette");
    t.ds->Post();
    t.ds->EnableControls();
    EXPECT_EQ(t.link.Log, QStringList({"disabled:1"}));
    EXPECT_TRUE(t.ds->DataRefilling());
    t.ds->EnableControls();
    EXPECT_FALSE(t.ds->ControlsDisabled());
    EXPECT_FALSE(t.ds->DataRefilling());
    EXPECT_EQ(t.link.Log, QStringList({"disabled:1", "changed", "disabled:0"}));
    EXPECT_EQ(WindowNames(t.link, t.name)[t.link.ActiveRecord()], "Fayette");

    // the dataset's own handling runs while disabled: calculated state follows, links do not
    auto counting = CreateUnique<Counting>();
    Counting& c = *counting;
    c.FieldDefs()->Add("A", ftInteger);
    c.AddRow({Variant(1)});
    c.Open();
    auto sHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& s = *sHolder;
    s.SetDataSet(&c);
    LogLink l;
    l.SetDataSource(&s);
    l.Log.clear();
    c.DisableControls();
    const int before = c.Events;
    c.Edit();
    c.FieldByName("A")->SetAsInteger(2);
    c.Post();
    EXPECT_GT(c.Events, before);
    EXPECT_EQ(l.Log, QStringList({"disabled:1"}));
    c.Close();
    c.EnableControls();
    // the state change is delivered, no data change on a closed set
    EXPECT_EQ(l.Log, QStringList({"disabled:1", "active:0", "disabled:0"}));
}

TEST(DataLinkBuffers, CircularLinksAreRefused)
{
    struct Detail : TArrayDataSet {
        TDataSource* Master = nullptr;
        TDataSource* GetDataSource() const override { return Master; }
    };
    auto detailHolder = CreateUnique<Detail>();
    Detail& detail = *detailHolder;
    detail.FieldDefs()->Add("A", ftInteger);
    auto masterSourceHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& masterSource = *masterSourceHolder;
    detail.Master = &masterSource;
    try {
        masterSource.SetDataSet(&detail);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().endsWith("Circular datalinks are not allowed"));
    }
    EXPECT_EQ(masterSource.DataSet(), nullptr);
}

// Moving between two open datasets, by handing the source another dataset or the link another
// source: the links see the old one close and the new one open, so nothing keeps the old fields.
TEST(DataLinkSwitch, LinksFollowAMoveBetweenTwoOpenDatasets)
{
    enum Way { SourceGetsAnotherDataSet, LinkGetsAnotherSource };
    for (Way way : {SourceGetsAnotherDataSet, LinkGetsAnotherSource}) {
        SCOPED_TRACE(int(way));
        auto people = MakePeople();
        auto other = CreateUnique<TArrayDataSet>(nullptr);
        other->FieldDefs()->Add("Name", ftString, 20);
        for (const char* n : {"Zoe", "Yan"})
            other->AddRow({Variant::FromString(QString::fromLatin1(n))});
        other->Open();
        auto src = CreateUnique<TDataSource>(nullptr);
        auto otherSrc = CreateUnique<TDataSource>(nullptr);
        src->SetDataSet(people.get());
        otherSrc->SetDataSet(other.get());
        int sourceChanges = 0;
        src->OnDataChange = [&](TObject*, TField*) { ++sourceChanges; };

        LogLink link;
        link.SetBufferCount(4);
        link.SetDataSource(src.get());
        TFieldDataLink field;
        field.SetFieldName("Name");
        field.SetDataSource(src.get());
        int fieldChanges = 0;
        field.OnDataChange = [&](TObject*) { ++fieldChanges; };
        link.Log.clear();

        if (way == SourceGetsAnotherDataSet) {
            src->SetDataSet(other.get());
            EXPECT_EQ(sourceChanges, 1);
        } else {
            link.SetDataSource(otherSrc.get());
            field.SetDataSource(otherSrc.get());
        }
        EXPECT_EQ(link.Log, QStringList({"active:0", "active:1"}));
        EXPECT_TRUE(link.Active());
        EXPECT_EQ(field.Field(), other->FieldByName("Name"));
        EXPECT_GE(fieldChanges, 1);
        EXPECT_EQ(WindowNames(link, other->FieldByName("Name")), QStringList({"Zoe", "Yan"}));
        EXPECT_EQ(other->BufferCount(), 4);
        EXPECT_EQ(people->BufferCount(), 1);
    }
}

TEST(FieldDataLink, FollowsItsFieldAndEditsThroughTheSource)
{
    auto ds = MakePeople();
    auto srcHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& src = *srcHolder;
    src.SetDataSet(ds.get());
    TFieldDataLink link;
    int changes = 0, editing = 0;
    link.OnDataChange = [&](TObject*) { ++changes; };
    link.OnEditingChange = [&](TObject*) { ++editing; };
    link.OnUpdateData = [&](TObject*) { link.Field()->SetAsString("Typed"); };
    link.SetFieldName("Name");
    link.SetDataSource(&src);
    ASSERT_EQ(link.Field(), ds->FieldByName("Name"));
    changes = 0;
    ds->Next();
    EXPECT_EQ(changes, 1);
    ds->FieldByName("Amount");  // another field's change does not concern the link
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(editing, 1);
    link.Modified();
    ds->Post();
    EXPECT_EQ(ds->Row(1)[1].AsString(), "Typed");
    EXPECT_FALSE(link.Editing());

    // a required field left empty asks its control for the focus before the error
    int focused = 0;
    link.OnFocusControl = [&](TField** f) {
        ++focused;
        *f = nullptr;
    };
    ds->FieldByName("Amount")->FocusControl();
    EXPECT_EQ(focused, 0);  // not this link's field
    ds->FieldByName("Name")->SetRequired(true);
    ds->Append();
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(focused, 1);
    ds->Cancel();

    src.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_THROW(link.SetFieldName("Missing"), EDatabaseError);  // the control learns of it at once
}

}  // namespace
