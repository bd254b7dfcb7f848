// Blob streams over memo, wide memo and binary fields in every mode, and object reference fields.
#include "components/memtable/MemTableEh.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct BlobStreamTest : ::testing::Test {
    std::unique_ptr<TComponent> owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* t = Create<TMemTableEh>(owner.get());
    std::vector<QString> handled;

    void SetUp() override
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("Code", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("Memo", ftMemo, 0, 0);
        ds->BuildDataFieldForDef("Wide", ftWideMemo, 0, 0);
        ds->BuildDataFieldForDef("Data", ftBlob, 0, 0);
        t->Open();
        t->AppendRecord({Variant(1), Variant::FromString("Привет"), Variant::FromOleStr("Ωmega✓"),
                         VarArrayFromBytes(QByteArray("\x00\x01\xFF", 3))});
        t->AppendRecord({Variant(2), Variant::Null(), Variant::Null(), Variant::Null()});
        t->First();
        ApplicationHandleException = TNotifyEvent(this, &BlobStreamTest::Handle);
    }
    void TearDown() override { ApplicationHandleException = TNotifyEvent(); }
    void Handle(TObject*)
    {
        try {
            throw;
        } catch (const Exception& e) {
            handled.push_back(e.Message());
        }
    }

    std::unique_ptr<TStream> Open(const char* field, TBlobStreamMode mode)
    {
        return std::unique_ptr<TStream>(t->CreateBlobStream(t->FieldByName(field), mode));
    }
    QByteArray Read(const char* field)
    {
        auto s = Open(field, bmRead);
        s->Seek(0, soBeginning);
        return s->ReadBytes(s->Size());
    }
    void Write(const char* field, TBlobStreamMode mode, const QByteArray& bytes, bool atEnd = false)
    {
        auto s = Open(field, mode);
        if (atEnd)
            s->Seek(0, soEnd);
        s->WriteBytes(bytes);
    }
    QString Text(const char* field) { return t->FieldByName(field)->AsString(); }
};

TEST_F(BlobStreamTest, ReadingGivesTheBytesOfEachKindOfField)
{
    EXPECT_EQ(Read("Memo"), UnicodeToCP1251("Привет"));
    EXPECT_EQ(Read("Memo").size(), 6);   // one byte a character
    const QByteArray wide = Read("Wide");
    ASSERT_EQ(wide.size(), 12);          // two bytes a character
    EXPECT_EQ(uint8_t(wide[0]), 0xA9);   // Ω is U+03A9, low byte first
    EXPECT_EQ(uint8_t(wide[1]), 0x03);
    EXPECT_EQ(Read("Data"), QByteArray("\x00\x01\xFF", 3));
    t->Next();
    EXPECT_EQ(Read("Memo"), QByteArray());
    EXPECT_EQ(Read("Data"), QByteArray());
}

TEST_F(BlobStreamTest, WritingModesAndTheirErrors)
{
    EXPECT_EQ(ErrorOf([&] { Open("Memo", bmWrite); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { Open("Data", bmReadWrite); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf<EInvalidCast>([&] { Open("Code", bmRead); }), "Invalid class typecast");

    t->Edit();
    {
        auto s = Open("Memo", bmWrite);
        EXPECT_EQ(s->Size(), 0);   // starts empty; dropped unwritten it changes nothing
    }
    EXPECT_EQ(Text("Memo"), "Привет");
    Write("Memo", bmWrite, UnicodeToCP1251("Счёт"));
    EXPECT_EQ(Text("Memo"), "Счёт");
    Write("Memo", bmReadWrite, UnicodeToCP1251(" №5"), true);
    EXPECT_EQ(Text("Memo"), "Счёт №5");
    Write("Wide", bmReadWrite, QByteArray("\x13\x27", 2), true);   // U+2713 appended
    EXPECT_EQ(Text("Wide"), QString::fromUtf8("Ωmega✓✓"));
    Write("Data", bmWrite, QByteArray("\x07\x00", 2));
    t->Post();
    EXPECT_EQ(Text("Memo"), "Счёт №5");
    EXPECT_EQ(Read("Data"), QByteArray("\x07\x00", 2));
    EXPECT_EQ(t->FieldByName("Wide")->AsVariant().VarType(), varOleStr);

    // Emptied through a stream, the field holds Null.
    t->Edit();
    {
        auto s = Open("Memo", bmWrite);
        static_cast<TMemBlobStreamEh*>(s.get())->Truncate();
    }
    {
        auto s = Open("Data", bmReadWrite);
        s->SetSize(0);
    }
    t->Post();
    EXPECT_TRUE(t->FieldByName("Memo")->IsNull());
    EXPECT_TRUE(t->FieldByName("Data")->IsNull());

    t->FieldByName("Memo")->SetReadOnly(true);
    t->Edit();
    EXPECT_EQ(ErrorOf([&] { Open("Memo", bmWrite); }), "Field 'Memo' cannot be modified");
    EXPECT_EQ(ErrorOf([&] { Read("Memo"); }), "<no error>");
    t->Cancel();
    EXPECT_TRUE(handled.empty());
}

TEST_F(BlobStreamTest, CancelledEditGivesTheOldBlobBack)
{
    t->Edit();
    Write("Memo", bmWrite, UnicodeToCP1251("черновик"));
    EXPECT_EQ(Read("Memo"), UnicodeToCP1251("черновик"));
    t->Cancel();
    EXPECT_EQ(Read("Memo"), UnicodeToCP1251("Привет"));
    EXPECT_EQ(t->RecordsStore()->RecordsList()->Rec(0)->ValueRef(1).AsString(), "Привет");

    // A stream still open when the edit is cancelled and the cursor moves to another record
    // must not write there: the write-back is reported and both records keep their values.
    t->Edit();
    auto s = Open("Memo", bmReadWrite);
    s->WriteBytes("xx");
    t->Cancel();
    t->Next();
    t->Edit();
    s.reset();
    t->Post();
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0], "Dataset not in edit or insert mode");
    EXPECT_TRUE(t->FieldByName("Memo")->IsNull());
    t->First();
    EXPECT_EQ(Text("Memo"), "Привет");
}

TEST_F(BlobStreamTest, InsertedRecordTakesItsBlobFromAStream)
{
    t->Append();
    t->FieldByName("Code")->SetAsInteger(3);
    Write("Data", bmWrite, QByteArray("abc"));
    t->Post();
    EXPECT_EQ(Read("Data"), QByteArray("abc"));
    EXPECT_EQ(t->RecordCount(), 3);
}

// ---------------------------------------------------------------- object references

TEST(RefObjectFieldTest, HoldsAFullWidthObjectReference)
{
    auto owner = CreateUnique<TComponent>(nullptr);
    auto* t = Create<TMemTableEh>(owner.get());
    auto* target = Create<TComponent>(owner.get());
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("Code", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("Obj", ftUnknown, 0, 0);
    t->Open();
    auto* f = dynamic_cast<TRefObjectField*>(t->FieldByName("Obj"));
    ASSERT_NE(f, nullptr);
    t->Append();
    f->SetValue(target);
    t->Post();
    EXPECT_EQ(f->Value(), target);
    EXPECT_EQ(f->AsVariant().AsObject(), static_cast<void*>(target));
    t->Edit();
    f->SetAsVariant(Variant::Null());
    t->Post();
    EXPECT_EQ(f->Value(), nullptr);

    auto* loose = Create<TRefObjectField>(owner.get());
    loose->SetFieldName("Loose");
    EXPECT_EQ(ErrorOf([&] { loose->Value(); }), "Field 'Loose' has no dataset");
}

}  // namespace
