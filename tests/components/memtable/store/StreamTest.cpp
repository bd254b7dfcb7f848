// The record store in component streams: value encodings, round trips in both forms, and
// broken streams.
#include "StoreFixture.h"

#include <random>

namespace {

uint8_t TagOf(TMTDataFieldEh* f, const Variant& v)
{
    TMemoryStream ms;
    TWriter w(&ms);
    f->WriteDataToWriter(v, &w);
    return static_cast<const uint8_t*>(ms.Memory())[0];
}

QByteArray Save(TMemTableDataEh* d)
{
    TMemoryStream ms;
    d->SaveToStream(&ms);
    return QByteArray(static_cast<const char*>(ms.Memory()), qsizetype(ms.Size()));
}

void Load(TMemTableDataEh* d, const QByteArray& bytes)
{
    TMemoryStream ms;
    ms.WriteBuffer(bytes.constData(), bytes.size());
    ms.SetPosition(0);
    d->LoadFromStream(&ms);
}

QString AsText(const QByteArray& bytes)
{
    TMemoryStream in, out;
    in.WriteBuffer(bytes.constData(), bytes.size());
    in.SetPosition(0);
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(static_cast<const char*>(out.Memory()), qsizetype(out.Size()));
}

} // namespace

struct StreamTest : StoreFixture {
    TMTDataFieldEh* Field(TFieldType t)
    {
        return ds()->BuildDataFieldForDef(QStringLiteral("F%1").arg(ds()->Count()), t, 20, 0);
    }
};

TEST_F(StreamTest, ValueTags)
{
    TMTDataFieldEh* big = Field(ftLargeint);
    TMTDataFieldEh* text = Field(ftWideString);
    struct Case { TMTDataFieldEh* f; Variant v; uint8_t tag; } cases[] = {
        {big, Variant(100), vaInt8}, {big, Variant(1000), vaInt16}, {big, Variant(100000), vaInt32},
        {big, Variant(1LL << 40), vaInt64}, {big, Variant::Null(), vaNil},
        {text, Variant(QString(300, u'x')), vaLString}, {text, Variant("Иванов"), vaWString},
        {text, Variant("Иванов 12"), vaUTF8String}, {text, Variant("0123456789"), vaString},
        {Field(ftCurrency), Variant(Currency::FromInt(3)), vaCurrency}, {Field(ftDate), Variant::FromDate(45000), vaDate},
        {Field(ftFloat), Variant(1.5), vaExtended}, {Field(ftBoolean), Variant(true), vaTrue},
        {Field(ftBlob), Variant::Null(), vaBinary}, {Field(ftFMTBcd), VarFMTBcdCreate(DoubleToBcd(12.5)), vaString},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TagOf(c.f, c.v), c.tag) << VarToStr(c.v).left(20).toStdString();
}

TEST_F(StreamTest, ValuesThatCannotBeWritten)
{
    EXPECT_EQ(ErrorOf([&] { TagOf(ds()->GetDataField(0), Variant()); }),
              "\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty");
    EXPECT_THROW(TagOf(Field(ftVariant), VarArrayOf({Variant(1)})), EWriteError);
}

TEST_F(StreamTest, RoundTripInBothForms)
{
    TMTDataFieldEh* blob = Field(ftBlob);
    TMTDataFieldEh* when = Field(ftDateTime);
    auto* inc = ds()->CreateField<TMTNumericDataFieldEh>();
    inc->SetNumericDataType(fdtAutoIncEh);
    inc->SetFieldName("Id");
    static_cast<TMTStringDataFieldEh*>(ds()->GetDataField(1))->SetDisplayLabel("Наименование");
    TMemoryRecordEh* r = list()->NewRecord();
    r->SetDataValue(0, dvvValueEh, 7);
    r->SetDataValue(1, dvvValueEh, "ООО «Ромашка» 1");
    r->SetDataValue(2, dvvValueEh, Currency::FromRaw(12345678));
    r->SetDataValue(blob->Index(), dvvValueEh, Variant::FromString("bytes"));
    r->SetDataValue(when->Index(), dvvValueEh, Variant::FromDate(45123.25));
    r->Post();
    Add(Variant::Null(), Variant::Null());
    const QByteArray bin = Save(data.get());
    const QString text = AsText(bin);
    EXPECT_TRUE(text.contains("AutoIncCurValue = -3")) << text.toStdString();
    EXPECT_TRUE(text.contains("object DataStruct: TMTDataStructEh")) << text.toStdString();
    EXPECT_TRUE(text.contains("NumericDataType = fdtAutoIncEh")) << text.toStdString();

    for (const QByteArray& form : {bin, text.toUtf8()}) {
        auto copyHolder = CreateUnique<TMemTableDataEh>(nullptr);
        TMemTableDataEh& copy = *copyHolder;
        Load(&copy, form);
        ASSERT_EQ(copy.DataStruct()->Count(), ds()->Count());
        ASSERT_EQ(copy.RecordsList()->Count(), 2);
        EXPECT_EQ(copy.DataStruct()->GetDataField(1)->GetDisplayLabel(), "Наименование");
        EXPECT_EQ(copy.DataStruct()->GetDataField(1)->GetSize(), 40);
        EXPECT_EQ(copy.DataStruct()->FieldByName("Id")->DataType(), ftAutoInc);
        EXPECT_EQ(copy.AutoIncrement()->CurValue(), -3);
        TMemoryRecordEh* c = copy.RecordsList()->GetRec(0);
        EXPECT_EQ(c->GetDataValue(0, dvvValueEh).AsInteger(), 7);
        EXPECT_EQ(VarToStr(c->GetDataValue(1, dvvValueEh)), "ООО «Ромашка» 1");
        EXPECT_EQ(c->GetDataValue(1, dvvValueEh).VarType(), varString);
        EXPECT_EQ(c->GetDataValue(2, dvvValueEh).AsCurrency().Value, 12345678);
        EXPECT_EQ(c->GetDataValue(blob->Index(), dvvValueEh).ArrayCount(), 5);
        EXPECT_EQ(c->GetDataValue(when->Index(), dvvValueEh).AsDateTime(), 45123.25);
        TMemoryRecordEh* n = copy.RecordsList()->GetRec(1);
        EXPECT_TRUE(n->GetDataValue(0, dvvValueEh).IsNull());
        EXPECT_EQ(n->GetDataValue(blob->Index(), dvvValueEh).ArrayCount(), 0);   // an empty array, not Null
        EXPECT_EQ(n->UpdateStatus(), usUnmodified);
        EXPECT_EQ(Save(&copy), bin);
    }
}

TEST_F(StreamTest, EmptyStoreWritesNoDataOrCounter)
{
    const QString text = AsText(Save(data.get()));
    EXPECT_FALSE(text.contains("Data = ")) << text.toStdString();
    EXPECT_FALSE(text.contains("AutoIncCurValue")) << text.toStdString();
}

TEST_F(StreamTest, BrokenStreamsRaiseAndLeaveTheStoreAsItWas)
{
    for (int i = 0; i < 20; ++i)
        Add(i, QString("name %1").arg(i), Currency::FromInt(i));
    const QByteArray good = Save(data.get());
    auto targetHolder = CreateUnique<TMemTableDataEh>(nullptr);
    TMemTableDataEh& target = *targetHolder;
    EXPECT_THROW(Load(&target, good.left(good.size() - 40)), Exception);
    EXPECT_EQ(target.RecordsList()->Count(), 0);
    EXPECT_EQ(target.DataStruct()->Count(), 0);
    Load(&target, good);
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        QByteArray bad = good;
        for (int k = 0; k < 3; ++k)
            bad[int(rng() % unsigned(bad.size()))] = char(rng());
        try {
            Load(&target, bad);
        } catch (const Exception&) {
            EXPECT_EQ(target.RecordsList()->Count(), 20);
            EXPECT_EQ(target.DataStruct()->Count(), 3);
        }
    }
    Load(&target, good);
    EXPECT_EQ(target.RecordsList()->Count(), 20);
    EXPECT_EQ(Save(&target), good);
}

TEST_F(StreamTest, BinaryFieldNeedsBinaryValue)
{
    TMTDataFieldEh* blob = Field(ftBlob);
    TMemoryStream ms;
    {
        TWriter w(&ms);
        w.WriteInteger(5);
        w.WriteInteger(6);
    }
    ms.SetPosition(0);
    TReader r(&ms);
    Variant v;
    EXPECT_EQ(ErrorOf([&] { blob->ReadDataFromReader(v, &r); }), "Invalid property value");
    EXPECT_EQ(r.ReadInteger(), 6);   // the bad value was skipped
}
