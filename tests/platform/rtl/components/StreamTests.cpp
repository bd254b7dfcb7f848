#include "StreamHelpers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

namespace {

uint64_t Bits(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

TEST(Streams, TreeSurvivesBinaryTextBinaryRoundTrip)
{
    std::unique_ptr<TTestRoot> src(BuildTree());
    const QByteArray bin1 = ComponentToBinary(src.get());
    ASSERT_TRUE(bin1.startsWith("TPF0"));
    const QByteArray text = BinaryToText(bin1);
    const QByteArray bin2 = TextToBinary(text);
    EXPECT_EQ(bin2, bin1) << text.constData();

    std::unique_ptr<TComponent> read(ReadComponentRes(bin2, nullptr));
    auto* root = dynamic_cast<TTestRoot*>(read.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), QStringLiteral("dmTest"));
    ASSERT_EQ(root->ComponentCount(), 4);
    auto* k = root->First;   // the published field was filled in
    ASSERT_NE(k, nullptr);
    auto* s = src->First;
    EXPECT_EQ(k->Tag(), 7);
    EXPECT_EQ(k->Int32, s->Int32);
    EXPECT_EQ(k->Big, s->Big);
    EXPECT_EQ(Bits(k->Ext), Bits(s->Ext));
    EXPECT_EQ(k->Money, s->Money);
    EXPECT_EQ(k->When, s->When);
    EXPECT_EQ(k->Text, s->Text);
    EXPECT_EQ(k->Shade, shBlue);
    EXPECT_TRUE(k->Shades == s->Shades);
    EXPECT_TRUE(k->Flag);
    EXPECT_EQ(k->Font()->Name, QStringLiteral("Courier New"));
    EXPECT_EQ(k->Font()->Size, 11);
    ASSERT_EQ(k->Columns()->Count(), 2);
    EXPECT_EQ(k->Columns()->ItemAs<TColumnItem>(0)->Title, s->Columns()->ItemAs<TColumnItem>(0)->Title);
    EXPECT_EQ(k->Columns()->ItemAs<TColumnItem>(0)->Width, 64);
    EXPECT_EQ(k->Columns()->ItemAs<TColumnItem>(1)->Width, 10);
    EXPECT_EQ(k->Blob, s->Blob);
    EXPECT_EQ(k->Samples, s->Samples);

    auto* panel = dynamic_cast<TPanelLike*>(root->FindComponent(QStringLiteral("Panel")));
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->Kids.size(), 2);
    auto* kidA = static_cast<TChildLike*>(panel->Kids[0]);
    auto* kidB = static_cast<TChildLike*>(panel->Kids[1]);
    EXPECT_EQ(kidA->Name(), QStringLiteral("KidA"));
    EXPECT_EQ(kidA->Owner(), root);
    EXPECT_EQ(kidA->Peer, k);
    EXPECT_EQ(kidB->Peer, kidA);
    EXPECT_EQ(k->Link(), kidB);
    // References were resolved before Loaded, and loading had ended for each component.
    EXPECT_EQ(k->LoadedSeen, QStringList({"KidB"}));
    for (int i = 0; i < root->ComponentCount(); ++i)
        EXPECT_FALSE(root->Components(i)->ComponentState().Contains(csLoading));

    // The handler is bound to the new root.
    ASSERT_TRUE(k->OnPing.Assigned());
    k->OnPing(k);
    EXPECT_EQ(root->Pings, 1);
    EXPECT_EQ(src->Pings, 0);

    // And it writes the same again.
    EXPECT_EQ(ComponentToBinary(root), bin1);
}

TEST(Streams, TextFormLooksLikeThis)
{
    RegisterTestClasses();
    auto kHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& k = *kHolder;
    k.SetName(QStringLiteral("K"));
    k.Int32 = 5;
    k.Money = Currency::FromRaw(15000);
    k.When = 2.25;
    k.Text = QStringLiteral("It's\r\n") + QChar(0x0416);
    k.Shades = TShades{shGreen, shBlue};
    k.Flag = true;
    static_cast<TColumnItem*>(k.Columns()->Add())->Title = QStringLiteral("a");
    k.Columns()->Add();
    k.Blob = QByteArray::fromHex("0102AB");
    k.Samples = {0.5f};
    k.Scratch = 9;   // not stored, and Font.Name is the stored test's default
    const QByteArray expected =
        "object K: TAllKinds\n"
        "  Int32 = 5\n"
        "  Money = 1.5c\n"
        "  When = 2.25d\n"
        "  Text = 'It''s'#13#10#1046\n"
        "  Shades = [shGreen, shBlue]\n"
        "  Flag = True\n"
        "  Columns = <\n"
        "    item\n"
        "      Title = 'a'\n"
        "    end\n"
        "    item\n"
        "    end>\n"
        "  Blob = {\n"
        "    0102AB}\n"
        "  Samples = (\n"
        "    0.5s)\n"
        "end\n";
    EXPECT_EQ(ComponentToText(&k), QString::fromLatin1(expected));
}

TEST(Streams, VariantPropertiesKeepTheirTypeThroughBothForms)
{
    RegisterTestClasses();
    struct Case {
        Variant Value;
        const char* Text;      // the text form's line, nullptr when nothing is written
        TVarType BinaryType;   // read back from the binary form
        TVarType TextType;     // read back through the text form (integers take the narrowest tag)
    };
    const Case cases[] = {
        {Variant(), nullptr, varEmpty, varEmpty},
        {Variant::Null(), "  Any = Null\n", varNull, varNull},
        {Variant(5), "  Any = 5\n", varShortInt, varShortInt},
        {Variant(1000), "  Any = 1000\n", varSmallint, varSmallint},
        {Variant(100000), "  Any = 100000\n", varInteger, varInteger},
        {Variant(static_cast<long long>(5)), "  Any = 5\n", varInt64, varShortInt},
        {Variant(2.5), "  Any = 2.5\n", varDouble, varDouble},
        {Variant::FromSingle(0.5f), "  Any = 0.5s\n", varSingle, varSingle},
        {Variant(Currency::FromRaw(15000)), "  Any = 1.5c\n", varCurrency, varCurrency},
        {Variant::FromDate(2.25), "  Any = 2.25d\n", varDate, varDate},
        {Variant(true), "  Any = True\n", varBoolean, varBoolean},
        {Variant(QStringLiteral("abc")), "  Any = 'abc'\n", varString, varString},
        // The text form has one kind of string.
        {Variant::FromOleStr(QString(QChar(0x0416))), "  Any = #1046\n", varOleStr, varString},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text ? c.Text : "empty");
        auto k = CreateUnique<TAllKinds>(nullptr);
        k->SetName(QStringLiteral("K"));
        k->Any = c.Value;
        const QByteArray bin = ComponentToBinary(k.get());
        const QString text = ComponentToText(k.get());
        if (c.Text) {
            EXPECT_TRUE(text.contains(QString::fromLatin1(c.Text))) << text.toStdString();
        } else {
            EXPECT_FALSE(text.contains(QStringLiteral("Any"))) << text.toStdString();
        }
        for (const auto& [data, type] : {std::pair{bin, c.BinaryType}, std::pair{text.toUtf8(), c.TextType}}) {
            auto back = CreateUnique<TAllKinds>(nullptr);
            back->Any = Variant(77);
            ReadComponentRes(data, back.get());
            if (c.Value.IsEmpty()) {
                EXPECT_EQ(back->Any.AsInteger(), 77);   // nothing written, nothing read
                continue;
            }
            EXPECT_EQ(back->Any.VarType(), type);
            if (!c.Value.IsNull()) {
                EXPECT_TRUE(back->Any == c.Value);
            }
        }
    }
    // An array has no stored form.
    auto k = CreateUnique<TAllKinds>(nullptr);
    k->Any = VarArrayOf({Variant(1), Variant(2)});
    EXPECT_THROW(ComponentToBinary(k.get()), EWriteError);
    // Generic access by name.
    SetVariantProp(k.get(), QStringLiteral("Any"), Variant(QStringLiteral("x")));
    EXPECT_EQ(GetVariantProp(k.get(), QStringLiteral("Any")).AsString(), "x");
    EXPECT_THROW(GetVariantProp(k.get(), QStringLiteral("Int32")), EInvalidCast);
}

TEST(Streams, TextFormConvertsBackUnchanged)
{
    // Every construct of the text form, in the printer's own layout.
    const QByteArray text =
        "inherited dm: TTestRoot\n"
        "  inline frame: TPanelLike [2]\n"
        "    Caption = 'x'\n"
        "  end\n"
        "  object K: TAllKinds\n"
        "    Items = (\n"
        "      1\n"
        "      (\n"
        "        'a'\n"
        "        ())\n"
        "      -2.5\n"
        "      [])\n"
        "    Empty = <>\n"
        "    Coll = <\n"
        "      item [3]\n"
        "        A = nil\n"
        "      end\n"
        "      item\n"
        "        B = Null\n"
        "      end>\n"
        "    Big = 9223372036854775807\n"
        "    Small = -9223372036854775808\n"
        "    Money = -922337203685477.5808c\n"
        "    F = 0.1s\n"
        "    D = -1.5d\n"
        "    Blob = {}\n"
        "    Ref = Some.Thing\n"
        "    S = ''\n"
        "  end\n"
        "  object TAllKinds\n"
        "  end\n"
        "end\n";
    EXPECT_EQ(BinaryToText(TextToBinary(text)), text);
}

TEST(Streams, LongStringsAreSplitAndRejoined)
{
    RegisterTestClasses();
    auto kHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& k = *kHolder;
    k.Text = QString(150, u'a') + QString::fromUtf8("ю'");
    const QString text = ComponentToText(&k);
    EXPECT_TRUE(text.contains(QStringLiteral("Text =\n    'aaaa")));
    EXPECT_EQ(text.count(QStringLiteral(" +\n")), 2);
    std::unique_ptr<TComponent> back(ReadComponentRes(text.toUtf8(), nullptr));
    EXPECT_EQ(static_cast<TAllKinds*>(back.get())->Text, k.Text);
}

TEST(Streams, ExtremeNumbersKeepEveryBit)
{
    RegisterTestClasses();
    const double doubles[] = {0.1, 1.0 / 3, 5e-324, 2.2250738585072014e-308, DBL_MAX, -0.0, -1.5,
                              123456789012345678.0, INFINITY, -INFINITY, 1e-300};
    const int64_t raws[] = {INT64_MIN, INT64_MAX, 1, -1, 10000, -99999};
    const int64_t bigs[] = {INT64_MIN, INT64_MAX, -129, 32768, int64_t(INT32_MIN) - 1};
    const int ints[] = {INT32_MIN, INT32_MAX, -128, 127, -32769};
    for (size_t i = 0; i < std::size(doubles); ++i) {
        auto kHolder = CreateUnique<TAllKinds>(nullptr);
        TAllKinds& k = *kHolder;
        k.Ext = doubles[i];
        k.When = doubles[(i + 1) % std::size(doubles)];
        k.Money = Currency::FromRaw(raws[i % std::size(raws)]);
        k.Big = bigs[i % std::size(bigs)];
        k.Int32 = ints[i % std::size(ints)];
        k.Samples = {float(doubles[i]), FLT_MIN / 4};
        const QByteArray bin = ComponentToBinary(&k);
        const QByteArray text = BinaryToText(bin);
        ASSERT_EQ(TextToBinary(text), bin) << text.constData();
        std::unique_ptr<TComponent> c(ReadComponentRes(text, nullptr));
        auto* r = static_cast<TAllKinds*>(c.get());
        EXPECT_EQ(Bits(r->Ext), Bits(k.Ext)) << text.constData();
        EXPECT_EQ(Bits(r->When), Bits(k.When));
        EXPECT_EQ(r->Money, k.Money);
        EXPECT_EQ(r->Big, k.Big);
        EXPECT_EQ(r->Int32, k.Int32);
        EXPECT_EQ(r->Samples, k.Samples);
    }
}

TEST(Streams, ExtendedBeyondDoublePrecisionSurvivesTheTextForm)
{
    // 1 + 2^-60: exact in 80 bits, not in a double.
    TExtended80 x = TExtended80::FromDouble(1.0);
    x.Bytes[0] = 0x08;
    ASSERT_FALSE(x.IsDouble());
    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteSignature();
    w.WriteStr(QStringLiteral("TAllKinds"));
    w.WriteStr(QString());
    w.WriteStr(QStringLiteral("Ext"));
    w.WriteExtended(x);
    w.WriteListEnd();
    w.WriteListEnd();
    const QByteArray bin = StreamBytes(ms);
    const QByteArray text = BinaryToText(bin);
    EXPECT_TRUE(text.contains("Ext = 1.00000000000000000087e+00")) << text.constData();
    EXPECT_EQ(TextToBinary(text), bin);
    RegisterTestClasses();
    std::unique_ptr<TComponent> c(ReadComponentRes(bin, nullptr));
    EXPECT_EQ(static_cast<TAllKinds*>(c.get())->Ext, 1.0);   // rounded to the nearest double
}

TEST(Streams, ExtendedConversionAgreesWithTheFpu)
{
    static_assert(LDBL_MANT_DIG == 64, "the reference needs x87 long doubles");
    std::mt19937_64 rng(12345);
    for (int i = 0; i < 200000; ++i) {
        // Random 80-bit values around the double range, subnormals and ties included.
        TExtended80 x;
        uint64_t m = rng();
        if (i % 7 == 0)
            m = (m & ~uint64_t(0x7FF)) | 0x400;   // exactly half-way
        m |= uint64_t(1) << 63;
        const int e = 16383 + int(rng() % 2300) - 1150;
        const uint16_t se = uint16_t(e | ((i & 1) ? 0x8000 : 0));
        std::memcpy(x.Bytes, &m, 8);
        std::memcpy(x.Bytes + 8, &se, 2);
        long double ld = 0;
        std::memcpy(&ld, x.Bytes, 10);
        ASSERT_EQ(Bits(x.ToDouble()), Bits(double(ld))) << i;

        const double d = std::bit_cast<double>(rng());
        if (std::isnan(d))
            continue;
        const long double wide = d;
        ASSERT_EQ(std::memcmp(TExtended80::FromDouble(d).Bytes, &wide, 10), 0) << i;
    }
}

TEST(Streams, FormatIsToldApart)
{
    struct Case { QByteArray data; TStreamOriginalFormat format; };
    const Case cases[] = {
        {QByteArray("TPF0\x09TAllKinds\0\0\0", 17), sofBinary},
        {"object K: TAllKinds\nend\n", sofText},
        {"  \r\n\tinherited K: TAllKinds\nend\n", sofText},
        {"\xEF\xBB\xBFobject K: TAllKinds\nend\n", sofUTF8Text},
        {"objective", sofUnknown},
        {"hello", sofUnknown},
        {"", sofUnknown},
    };
    for (const Case& c : cases) {
        TMemoryStream ms;
        ms.WriteBytes(c.data);
        ms.SetPosition(0);
        EXPECT_EQ(TestStreamFormat(&ms), c.format) << c.data.constData();
        EXPECT_EQ(ms.Position(), 0);
    }
}

TEST(Streams, TextSyntaxErrorsNameTheLine)
{
    struct Case { const char* text; const char* message; };
    const Case cases[] = {
        {"object K: TAllKinds\n  Int32 = )\nend\n", "Invalid property value on line 2"},
        {"object K: TAllKinds\n  Text = 'open\nend\n", "Unterminated string on line 2"},
        {"object K: TAllKinds\n  Shades = [shRed shBlue]\nend\n", "',' expected on line 2"},
        {"object K: TAllKinds\n  Blob = {0G}\nend\n", "Invalid binary value on line 2"},
        {"object K: TAllKinds\n  Columns = <\n    item\n", "'end' expected on line 4"},
        {"object K: TAllKinds\n  Int32 = 99999999999999999999\nend\n", "Integer out of range on line 2"},
        {"object K: TAllKinds\n", "'end' expected on line 2"},
    };
    for (const Case& c : cases) {
        TMemoryStream in, out;
        in.WriteBytes(QByteArray(c.text));
        in.SetPosition(0);
        try {
            ObjectTextToBinary(&in, &out);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.message)) << c.text;
        }
        EXPECT_EQ(out.Size(), 0);
    }
}

TEST(Streams, HandWrittenUtf8TextReads)
{
    RegisterTestClasses();
    const QByteArray text =
        "\xEF\xBB\xBF"
        "object K: TAllKinds\r\n"
        "  Text = 'Итого: ' + #1053#1044#1057 + 'ы'\r\n"
        "  Int32 = $FF\r\n"
        "  Ext = -2.5E3\r\n"
        "  Shade = SHGREEN\r\n"
        "  Columns = <\r\n"
        "    item [3]\r\n"
        "      Title = 'z'\r\n"
        "    end>\r\n"
        "end\r\n";
    std::unique_ptr<TComponent> c(ReadComponentRes(text, nullptr));
    auto* k = static_cast<TAllKinds*>(c.get());
    EXPECT_EQ(k->Text, QString::fromUtf8("Итого: НДСы"));
    EXPECT_EQ(k->Int32, 255);
    EXPECT_EQ(k->Ext, -2500.0);
    EXPECT_EQ(k->Shade, shGreen);
    ASSERT_EQ(k->Columns()->Count(), 1);
    EXPECT_EQ(k->Columns()->ItemAs<TColumnItem>(0)->Title, QStringLiteral("z"));
}

}   // namespace
