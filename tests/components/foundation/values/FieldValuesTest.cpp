#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kNbsp(QChar(0x00A0));

TEST(FormatVariantByField, NoValueGivesBlankForEveryType)
{
    auto iHolder = CreateUnique<TIntegerField>(nullptr);
    TIntegerField& i = *iHolder;
    auto dHolder = CreateUnique<TDateField>(nullptr);
    TDateField& d = *dHolder;
    EXPECT_EQ(FormatVariantByField(Variant(), &i), QString());
    EXPECT_EQ(FormatVariantByField(Variant::Null(), &d, QStringLiteral("yyyy")), QString());
}

TEST(FormatVariantByField, NumbersByFormatDisplayFormatOrDefault)
{
    auto iHolder = CreateUnique<TIntegerField>(nullptr);
    TIntegerField& i = *iHolder;
    auto fHolder = CreateUnique<TFloatField>(nullptr);
    TFloatField& f = *fHolder;
    auto moneyHolder = CreateUnique<TCurrencyField>(nullptr);
    TCurrencyField& money = *moneyHolder;
    auto bcdHolder = CreateUnique<TBCDField>(nullptr);
    TBCDField& bcd = *bcdHolder;

    EXPECT_EQ(FormatVariantByField(1234, &i), QStringLiteral("1234"));
    EXPECT_EQ(FormatVariantByField(1234, &i, QStringLiteral("0.00")), QStringLiteral("1234,00"));
    i.SetDisplayFormat(QStringLiteral("#,##0"));
    EXPECT_EQ(FormatVariantByField(1234, &i), QStringLiteral("1") + kNbsp + QStringLiteral("234"));
    EXPECT_EQ(FormatVariantByField("77", &i, QStringLiteral("000")), QStringLiteral("077"));

    EXPECT_EQ(FormatVariantByField(1234.5, &f), QStringLiteral("1234,5"));
    f.SetPrecision(3);
    EXPECT_EQ(FormatVariantByField(1234.5, &f), QStringLiteral("1,23E3"));
    f.SetDisplayFormat(QStringLiteral("0.0"));
    EXPECT_EQ(FormatVariantByField(2.25, &f), QStringLiteral("2,3"));

    // Money shows the locale's currency with its decimals.
    EXPECT_EQ(FormatVariantByField(1234.5, &money), CurrToStrF(Currency::FromRaw(12345000), ffCurrency, 2));
    EXPECT_TRUE(FormatVariantByField(1234.5, &money).contains(QStringLiteral("₽")));

    EXPECT_EQ(FormatVariantByField(VarFMTBcdCreate(QStringLiteral("12,3400"), 10, 4), &bcd), QStringLiteral("12,34"));
    bcd.SetCurrency(true);
    EXPECT_TRUE(FormatVariantByField(Variant(Currency::FromRaw(5)), &bcd).contains(QStringLiteral("₽")));
    bcd.SetDisplayFormat(QStringLiteral("0.0000"));
    EXPECT_EQ(FormatVariantByField(Variant(Currency::FromRaw(5)), &bcd), QStringLiteral("0,0005"));
    EXPECT_EQ(FormatVariantByField(1.5, &bcd, QStringLiteral("0.00")), QStringLiteral("1,50"));
    EXPECT_THROW(FormatVariantByField("x", &bcd), EVariantTypeCastError);
}

TEST(FormatVariantByField, DatesByFieldKind)
{
    const Variant v = Variant::FromDate(EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0));
    auto dHolder = CreateUnique<TDateField>(nullptr);
    TDateField& d = *dHolder;
    auto tHolder = CreateUnique<TTimeField>(nullptr);
    TTimeField& t = *tHolder;
    auto dtHolder = CreateUnique<TDateTimeField>(nullptr);
    TDateTimeField& dt = *dtHolder;
    EXPECT_EQ(FormatVariantByField(v, &d), QStringLiteral("05.03.2024"));
    EXPECT_EQ(FormatVariantByField(v, &t), QStringLiteral("7:08:09"));
    EXPECT_EQ(FormatVariantByField(v, &dt), QStringLiteral("05.03.2024 7:08:09"));
    EXPECT_EQ(FormatVariantByField(v, &dt, QStringLiteral("yyyy")), QStringLiteral("2024"));
}

TEST(FormatVariantByField, OtherTypesAsText)
{
    auto sHolder = CreateUnique<TStringField>(nullptr);
    TStringField& s = *sHolder;
    auto bHolder = CreateUnique<TBooleanField>(nullptr);
    TBooleanField& b = *bHolder;
    EXPECT_EQ(FormatVariantByField("текст", &s, QStringLiteral("0.00")), QStringLiteral("текст"));
    EXPECT_EQ(FormatVariantByField(true, &b), QStringLiteral("True"));
    QString out;
    FormatVariantByField(Variant(5), &s, QString(), out);
    EXPECT_EQ(out, QStringLiteral("5"));
}

class TFixedField : public TIntegerField {
public:
    TFixedField(bool canModify) : TIntegerField(nullptr), FCan(canModify) {}
    bool CanModify() const override { return FCan; }

private:
    bool FCan;
};

TEST(FieldsCanModify, AllMustAllow)
{
    auto yesHolder = CreateUnique<TFixedField>(true), yes2Holder = CreateUnique<TFixedField>(true),
         noHolder = CreateUnique<TFixedField>(false);
    TFixedField &yes = *yesHolder, &yes2 = *yes2Holder, &no = *noHolder;
    EXPECT_TRUE(FieldsCanModify({}));
    EXPECT_TRUE(FieldsCanModify({&yes, &yes2}));
    EXPECT_FALSE(FieldsCanModify({&yes, &no}));
    EXPECT_FALSE(FieldsArrayCanModify(TFieldsArrEh{&no}));
    EXPECT_TRUE(FieldsArrayCanModify(TFieldsArrEh{}));
}

}  // namespace
