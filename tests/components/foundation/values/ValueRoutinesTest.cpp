#include "components/foundation/core/ToolCtrlsEh_Core.h"

#include <gtest/gtest.h>

namespace {

TEST(VarEqualsEh, ScalarsArraysAndFailures)
{
    struct Case { Variant a, b; bool equal; const char* what; };
    const Case cases[] = {
        {Variant(), 0, false, "Empty is not 0 here"},
        {Variant(), "", false, "Empty is not blank here"},
        {Variant(), Variant(), true, "Empty and Empty"},
        {Variant::Null(), Variant::Null(), true, "Null and Null"},
        {Variant::Null(), 0, false, "Null and 0"},
        {5, 5.0, true, "numbers of other kinds"},
        {"abc", 5, false, "incompatible kinds do not raise"},
        {VarArrayOf({1, 2}), VarArrayOf({1, 2}), true, "equal arrays"},
        {VarArrayOf({1, 2}), VarArrayOf({1, 3}), false, "one element differs"},
        {VarArrayOf({1, 2}), 1, false, "array and scalar"},
        {1, VarArrayOf({1}), false, "scalar and array"},
        {VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), false, "other lengths"},
        {VarArrayOf({}), VarArrayOf({}), false, "arrays without elements"},
        {VarArrayOf({"a", 1}), VarArrayOf({"a", "x"}), false, "element that cannot compare"},
        {VarArrayOf({Variant::Null(), "a"}), VarArrayOf({Variant::Null(), "a"}), true, "Null elements"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VarEqualsEh(c.a, c.b), c.equal) << c.what;
}

TEST(VarCompareEh, NullFirstAndArraysByElement)
{
    struct Case { Variant a, b; TVariantRelationship r; const char* what; };
    const Case cases[] = {
        {Variant::Null(), 5, vrLessThan, "Null before values"},
        {5, Variant::Null(), vrGreaterThan, "values after Null"},
        {Variant::Null(), Variant::Null(), vrEqual, "Null and Null"},
        {Variant::Null(), Variant(), vrLessThan, "Null before Empty"},
        {"a", "b", vrLessThan, "texts"},
        {VarArrayOf({1, 2}), VarArrayOf({1, 3}), vrLessThan, "second element decides"},
        {VarArrayOf({2, 0}), VarArrayOf({1, 9}), vrGreaterThan, "first element decides"},
        {VarArrayOf({1, "a"}), VarArrayOf({1, "a"}), vrEqual, "equal arrays"},
        {VarArrayOf({Variant::Null(), 1}), VarArrayOf({0, 1}), vrLessThan, "Null element first"},
        {VarArrayOf({1}), 1, vrNotEqual, "array and scalar"},
        {VarArrayOf({}), VarArrayOf({}), vrNotEqual, "arrays without elements"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VarCompareEh(c.a, c.b), c.r) << c.what;
    EXPECT_THROW(VarCompareEh("abc", 1), EVariantTypeCastError);
}

TEST(VarArrayToText, JoinsElementsSkippingLeadingBlanks)
{
    EXPECT_EQ(VarArrayToText(VarArrayOf({"", "a", "", "b"})), QStringLiteral("a, , b"));
    EXPECT_EQ(VarArrayToText(VarArrayOf({1, VarArrayOf({2, 3}), Variant::Null()})), QStringLiteral("1, 2, 3, "));
    EXPECT_EQ(VarArrayToText(Variant::Null()), QString());
    QString out = QStringLiteral("old");
    VarArrayToText(Variant(7), out);
    EXPECT_EQ(out, QStringLiteral("7"));
}

TVariantArrayEh Ints(std::initializer_list<int> v) { return TVariantArrayEh(v.begin(), v.end()); }

TEST(ArrayRanges, InsertShiftsUpAndLeavesShiftedValuesInTheGap)
{
    TVariantArrayEh a = Ints({1, 2, 3});
    ArrayInsertRange(a, 1, 2);
    ASSERT_EQ(a.size(), 5u);
    const int expected[] = {1, 2, 3, 2, 3};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a[size_t(i)].AsInteger(), expected[i]) << i;

    TVariantArrayEh b = Ints({1, 2});
    ArrayInsertRange(b, 2, 2);  // at the end: Unassigned
    ASSERT_EQ(b.size(), 4u);
    EXPECT_TRUE(b[2].IsEmpty());
    EXPECT_TRUE(b[3].IsEmpty());

    TVariantArrayEh c = Ints({1});
    ArrayInsertRange(c, 0, 3);  // gap longer than the shifted part: past the old end is Unassigned
    EXPECT_EQ(c[0].AsInteger(), 1);
    EXPECT_TRUE(c[1].IsEmpty());
    EXPECT_EQ(c[3].AsInteger(), 1);
}

TEST(ArrayRanges, DeleteShiftsDown)
{
    TVariantArrayEh a = Ints({1, 2, 3, 4, 5});
    ArrayDeleteRange(a, 1, 2);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1].AsInteger(), 4);
    ArrayDeleteRange(a, 3, 0);
    EXPECT_EQ(a.size(), 3u);
}

TEST(ArrayRanges, BadRangesRaiseAndLeaveTheArrayAlone)
{
    struct Case { bool insert; int start, amount; const char* message; };
    const Case cases[] = {
        {true, 0, -1, "ArrayInsertRange: (Amount < 0)"},
        {true, 4, 1, "ArrayInsertRange: StartIndex > Length(Extents)"},
        {true, -1, 1, "ArrayInsertRange: (StartIndex < 0)"},
        {false, 0, -1, "ArrayDeleteRange: (Amount < 0)"},
        {false, 2, 2, "ArrayDeleteRange: StartIndex + Amount > Length(Extents)"},
        {false, -1, 1, "ArrayDeleteRange: (StartIndex < 0)"},
    };
    for (const auto& c : cases) {
        TVariantArrayEh a = Ints({1, 2, 3});
        QString message;
        try {
            if (c.insert)
                ArrayInsertRange(a, c.start, c.amount);
            else
                ArrayDeleteRange(a, c.start, c.amount);
        } catch (const Exception& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, QString::fromLatin1(c.message));
        ASSERT_EQ(a.size(), 3u) << c.message;
        EXPECT_EQ(a[0].AsInteger(), 1) << c.message;
    }
}

TEST(ArrayRanges, WorkOnPlainVectorsToo)
{
    std::vector<int> extents{10, 20, 30};
    ArrayInsertRange(extents, 0, 1);
    EXPECT_EQ(extents, (std::vector<int>{10, 10, 20, 30}));
    ArrayDeleteRange(extents, 1, 3);
    EXPECT_EQ(extents, (std::vector<int>{10}));
    EXPECT_THROW(ArrayDeleteRange(extents, -1, 0), Exception);
}

TEST(IndexOfTextInStrings, PrefixAndCaseOptions)
{
    TStringList list;
    list.Add(QStringLiteral("a"));
    list.Add(QStringLiteral("abc"));
    list.Add(QStringLiteral("AB"));
    list.Add(QStringLiteral("Ёлка"));
    list.Add(QStringLiteral("ab"));
    struct Case { QString text; TLocateOptions options; int index; const char* what; };
    const Case cases[] = {
        {"ab", {loPartialKey}, 1, "prefix finds a longer item"},
        {"ab", {}, 4, "whole text needs the same length and case"},
        {"ab", {loCaseInsensitive}, 2, "case folded"},
        {"AB", {loCaseInsensitive, loPartialKey}, 1, "prefix without case"},
        {"ёЛ", {loCaseInsensitive, loPartialKey}, 3, "Cyrillic prefix without case"},
        {"ёЛ", {loPartialKey}, -1, "Cyrillic prefix with case"},
        {"abcd", {loPartialKey}, -1, "items shorter than the text are skipped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IndexOfTextInStrings(&list, c.text, c.options), c.index) << c.what;
}

TEST(FindTextOccurrences, OverlappingHitsAndCase)
{
    std::vector<int> pos{99};
    EXPECT_TRUE(FindTextOccurrences(QStringLiteral("aaaa"), QStringLiteral("aa"), pos, false));
    EXPECT_EQ(pos, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(FindTextOccurrences(QStringLiteral("Дом дом"), QStringLiteral("ДОМ"), pos, false));
    EXPECT_TRUE(pos.empty());
    EXPECT_TRUE(FindTextOccurrences(QStringLiteral("Дом дом"), QStringLiteral("ДОМ"), pos, true));
    EXPECT_EQ(pos, (std::vector<int>{0, 4}));
    EXPECT_FALSE(FindTextOccurrences(QStringLiteral("abc"), QString(), pos, false));
}

TEST(FieldTypes, NumericTypes)
{
    for (TFieldType t : {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftFMTBcd})
        EXPECT_TRUE(IsNumericFieldType(t)) << FieldTypeName(t);
    for (TFieldType t : {ftString, ftAutoInc, ftLargeint, ftBoolean, ftDate, ftSingle, ftExtended})
        EXPECT_FALSE(IsNumericFieldType(t)) << FieldTypeName(t);
}

TEST(IsRightToLeftText, DirectionOfTheFirstCharacter)
{
    struct Case { QString text; bool def; bool result; const char* what; };
    const Case cases[] = {
        {QString(), true, false, "empty text"},
        {QStringLiteral("שלום"), false, true, "Hebrew"},
        {QStringLiteral("مرحبا"), false, true, "Arabic letter"},
        {QString(QChar(0x0661)), false, true, "Arabic-Indic digit"},
        {QStringLiteral("Привет"), true, false, "Cyrillic"},
        {QStringLiteral("1abc"), true, true, "European digit gives the default"},
        {QStringLiteral(" x"), false, false, "blank gives the default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsRightToLeftText(c.text, c.def), c.result) << c.what;
}

}  // namespace
