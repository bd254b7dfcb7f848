// A table attached to another table's store, the published members, the error events and the
// open postponed while a form is read at design time.
#include "TableFixture.h"

#include "components/memtable/DataDriverEh.h"
#include "platform/rtl/Filer.h"

#include <QCoreApplication>

namespace {

struct ExternalStoreTest : TableFixture {
    TMemTableEh* other = Create<TMemTableEh>(&owner);
};

TEST_F(ExternalStoreTest, AttachedTableSharesTheRecords)
{
    OpenWith(2);
    other->SetExternalMemData(t);
    other->Open();
    EXPECT_EQ(Codes(other), "1,2");
    other->AppendRecord({Variant(3), Variant("n3")});
    EXPECT_EQ(Codes(t), "1,2,3");
    t->First();
    t->Delete();
    EXPECT_EQ(Codes(other), "2,3");
    EXPECT_EQ(other->RecordsStore(), t->RecordsStore());

    // Detached it shows its own store again, which has no structure.
    other->SetExternalMemData(nullptr);
    EXPECT_FALSE(other->Active());
    EXPECT_EQ(ErrorOf([&] { other->Open(); }), "MemTable doesn't have data.");
}

TEST_F(ExternalStoreTest, DriverAndExternalStoreExcludeEachOther)
{
    auto* drv = Create<TDataSetDriverEh>(&owner);
    other->SetExternalMemData(t);
    EXPECT_EQ(ErrorOf([&] { other->SetDataDriver(drv); }),
              "Assigning to DataDriver is not allowed if ExternalMemData is assigned");
    EXPECT_EQ(other->DataDriver(), nullptr);
    other->SetExternalMemData(nullptr);
    other->SetDataDriver(drv);
    EXPECT_NE(ErrorOf([&] { other->SetExternalMemData(t); }), "<no error>");
    EXPECT_EQ(other->ExternalMemData(), nullptr);
    EXPECT_NE(ErrorOf([&] { t->SetExternalMemData(t); }), "<no error>");
}

TEST_F(ExternalStoreTest, TableLosingItsSourceGoesBackToItsOwnStore)
{
    auto* source = Create<TMemTableEh>(&owner);
    source->RecordsStore()->DataStruct()->BuildDataFieldForDef("Code", ftInteger, 0, 0);
    source->Open();
    source->AppendRecord({Variant(7)});
    other->SetExternalMemData(source);
    other->Open();
    EXPECT_EQ(Codes(other), "7");
    delete source;
    EXPECT_EQ(other->ExternalMemData(), nullptr);
    EXPECT_FALSE(other->Active());
    EXPECT_EQ(other->RecordsStore()->DataStruct()->Count(), 0);

    // and the other way round: the attached table goes first
    auto* attached = Create<TMemTableEh>(&owner);
    attached->SetExternalMemData(t);
    delete attached;
    OpenWith(1);
    EXPECT_EQ(Codes(t), "1");
}

TEST_F(ExternalStoreTest, ErrorEventsChooseWhatAFailedOperationDoes)
{
    OpenWith(1);
    t->FieldByName("Name")->SetRequired(true);
    struct Case { TDataAction action; const char* error; const char* name; } cases[] = {
        {daFail, "Field 'Name' must have a value", nullptr},
        {daAbort, "Operation aborted", nullptr},
        {daRetry, "<no error>", "fixed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.action));
        int calls = 0;
        t->OnPostError = [&](TDataSet* ds, EDatabaseError&, TDataAction& action) {
            ++calls;
            action = c.action;
            if (c.action == daRetry)
                ds->FieldByName("Name")->SetAsString("fixed");
        };
        t->Edit();
        t->FieldByName("Name")->Clear();
        const QString err = ErrorOf([&] { t->Post(); });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(err, c.error);
        if (c.name) {
            EXPECT_EQ(Cur(), c.name);
        }
        if (t->State() == dsEdit)
            t->Cancel();
    }
    EXPECT_EQ(Cur(), "fixed");

}

TEST_F(ExternalStoreTest, PublishedMembersAreAssignedByCopy)
{
    for (const char* name : {"AggregatesActive", "AutoIncrement", "ExternalMemData", "IndexDefs", "Params",
                             "OnDeleteError", "OnEditError", "OnPostError", "OnFilterRecord", "OnGetFieldValue",
                             "OnSetFieldValue"})
        EXPECT_NE(GetPropInfo(t, QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(GetObjectProp(t, "AutoIncrement"), t->AutoIncrement());

    auto* params = Create<TComponent>(&owner);
    TParams p(params);
    p.CreateParam(ftInteger, "Branch", ptInput)->SetValue(Variant(7));
    t->SetParams(&p);
    ASSERT_EQ(t->Params()->Count(), 1);
    EXPECT_NE(t->Params()->Items(0), p.Items(0));
    EXPECT_EQ(t->Params()->ParamByName("Branch")->Value().AsInteger(), 7);

    TAutoIncrementEh inc;
    inc.SetInitValue(100);
    inc.SetStep(5);
    t->SetAutoIncrement(&inc);
    EXPECT_NE(t->AutoIncrement(), &inc);
    EXPECT_EQ(t->AutoIncrement()->Step(), 5);
    EXPECT_EQ(t->AutoIncrement()->InitValue(), 100);
}

// At design time the open waits until the event loop runs: the form is read completely first.
TEST_F(ExternalStoreTest, ActiveReadFromAFormAtDesignTimeOpensFromTheEventLoop)
{
    std::unique_ptr<QCoreApplication> app;
    int argc = 1;
    char name[] = "t";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    OpenWith(2);
    t->SetName("Invoices");
    const QString form = ComponentToText(t);
    ASSERT_TRUE(form.contains("Active = True")) << form.toStdString();

    auto* copy = Create<TMemTableEh>(&owner);
    copy->SetDesigning(true);
    ReadComponentRes(form.toUtf8(), copy);
    EXPECT_FALSE(copy->Active());
    QCoreApplication::processEvents();
    EXPECT_TRUE(copy->Active());
    EXPECT_EQ(Codes(copy), "1,2");

    // A table gone before the event loop runs is not touched.
    auto* gone = Create<TMemTableEh>(&owner);
    gone->SetDesigning(true);
    ReadComponentRes(form.toUtf8(), gone);
    delete gone;
    QCoreApplication::processEvents();
}

}  // namespace
