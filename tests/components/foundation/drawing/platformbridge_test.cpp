#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/PlatformBridgeEh.h"
#include "platform/db/DB.h"

using namespace vcltest;

TEST(PlatformBridgeEh, SmallPointsAreSignExtended)
{
    const TPoint p = SmallPointToPointEh(LPARAM(0x8000FFFF));
    EXPECT_EQ(p.X, -1);
    EXPECT_EQ(p.Y, -32768);
    const TSmallPoint s = LParamToSmallPoint(SmallPointToLParam(TSmallPoint{-5, 7}));
    EXPECT_EQ(s.x, -5);
    EXPECT_EQ(s.y, 7);
}

TEST(PlatformBridgeEh, RectEmptiness)
{
    EXPECT_TRUE(IsRectEmptyEh(TRect(0, 0, 0, 10)));
    EXPECT_FALSE(IsRectEmptyEh(TRect(0, 0, 1, 1)));
    EXPECT_TRUE(IsRectEmptyEh(TRect(5, 0, 1, 1)));
    EXPECT_EQ(EmptyRectEh(), TRect(0, 0, 0, 0));
}

TEST(PlatformBridgeEh, CompareStrCaseAndCount)
{
    EXPECT_EQ(WinCompareStr(QStringLiteral("Иванов"), QStringLiteral("иванов"), 0, true), 0);
    EXPECT_NE(WinCompareStr(QStringLiteral("Иванов"), QStringLiteral("иванов"), 0, false), 0);
    EXPECT_EQ(WinCompareStr(QStringLiteral("абв"), QStringLiteral("абг"), 2, false), 0);
    EXPECT_EQ(WinCompareStr(QStringLiteral("абв"), QStringLiteral("абг"), 0, false), -1);
    EXPECT_EQ(WinCompareStr(QStringLiteral("б"), QStringLiteral("а"), 0, false), 1);
    EXPECT_EQ(NlsCompareText(QStringLiteral("ёж"), QStringLiteral("ЁЖ")), 0);
    EXPECT_EQ(NlsUpperCase(QStringLiteral("straße")).size(), 6);
}

TEST(PlatformBridgeEh, MemoryStreamGrowsInEightKilobyteSteps)
{
    TMemoryStreamEh s;
    const QByteArray ten(10, 'x');
    s.WriteBytes(ten);
    EXPECT_EQ(s.Capacity(), 8192);
    s.WriteBytes(QByteArray(8183, 'y'));   // 8193 in total
    EXPECT_EQ(s.Capacity(), 16384);
    EXPECT_EQ(s.Size(), 8193);
    s.SetHalfMemoryDelta(100);
    s.WriteBytes(QByteArray(16384 - 8193 + 1, 'z'));
    EXPECT_EQ(s.Capacity(), 16400);
    s.Clear();
    EXPECT_EQ(s.Capacity(), 0);
}

TEST(PlatformBridgeEh, ObjectReferencesKeepPointerWidth)
{
    TObject obj;
    const Variant v = ObjectToVariant(&obj);
    EXPECT_EQ(VariantToObject(v), &obj);
    TMessage a{WM_USER, WPARAM(&obj), LPARAM(&obj), LRESULT(&obj)};
    TMessage b;
    CopyMessageRec(a, b);
    EXPECT_EQ(reinterpret_cast<TObject*>(b.WParam), &obj);
    EXPECT_EQ(reinterpret_cast<TObject*>(b.Result), &obj);
    EXPECT_EQ(ObjectToIntPtr(&obj), intptr_t(&obj));
}

TEST(PlatformBridgeEh, CharSetsAndWideStrings)
{
    const TSysCharSet digits = TSysCharSet().Range('0', '9');
    EXPECT_TRUE(CharInSetEh(QChar(u'5'), digits));
    EXPECT_FALSE(CharInSetEh(QChar(u'a'), digits));
    EXPECT_FALSE(CharInSetEh(QChar(0x0135), TSysCharSet().Range(0, 255)));   // above U+00FF
    char16_t buf[8];
    const char16_t src[] = u"abc";
    EXPECT_EQ(WideStrCopyEh(buf, src), buf);
    EXPECT_EQ(PWideCharToString(buf), QStringLiteral("abc"));
}

TEST(PlatformBridgeEh, VariantArrayRedimKeepsElements)
{
    Variant v = VarArrayOf({1, 2, 3});
    VarArrayRedimEh(v, 4);
    EXPECT_EQ(v.ArrayHighBound(), 4);
    EXPECT_EQ(v.GetElement(2).AsInteger(), 3);
    VarArrayRedimEh(v, 0);
    EXPECT_EQ(v.ArrayCount(), 1);
    EXPECT_EQ(VarToStrNullAsEmpty(Variant::Null()), QString());
}

namespace {
class THolder : public TComponent {
    DOV_PERSISTENT(THolder, TComponent)
public:
    using TComponent::TComponent;
    TComponent* Ref = nullptr;
};
DOV_PUBLISHED(THolder) { P.Prop("Ref", &THolder::Ref); }
}

TEST(PlatformBridgeEh, DataSetOfDataSourcePropertyIsNilForOtherObjects)
{
    auto hHolder = CreateUnique<THolder>(nullptr);
    THolder& h = *hHolder;
    auto otherHolder = CreateUnique<TComponent>(nullptr);
    TComponent& other = *otherHolder;
    auto sourceHolder = CreateUnique<TDataSource>(nullptr);
    TDataSource& source = *sourceHolder;
    const TPropInfo* prop = GetPropInfo(&h, QStringLiteral("Ref"));
    ASSERT_NE(prop, nullptr);
    h.Ref = &other;
    EXPECT_EQ(GetDataSetOfDataSourceProp(&h, prop), nullptr);
    h.Ref = &source;
    EXPECT_EQ(GetDataSetOfDataSourceProp(&h, prop), nullptr);   // a source without a dataset
    EXPECT_EQ(GetDataSetOfDataSourceProp(&h, nullptr), nullptr);
}

namespace {
struct LineWindow : HWND__ {
    LineWindow() { RegisterWindowHandle(this); }
    ~LineWindow() override { UnregisterWindowHandle(this); }
    LRESULT DeliverMessage(UINT msg, WPARAM, LPARAM l) override
    {
        if (msg != EM_GETLINE)
            return 0;
        auto* buf = reinterpret_cast<char16_t*>(l);
        if (buf[0] != 4096)
            return 0;
        const char16_t line[] = u"строка";
        std::copy(line, line + 6, buf);
        return 6;
    }
    QWidget* Widget() const override { return nullptr; }
};
}

TEST(PlatformBridgeEh, GetTextMessageUsesTheCapacityWord)
{
    LineWindow w;
    QString text;
    EXPECT_EQ(WinSendGetTextMessage(&w, EM_GETLINE, 0, text, 4095), 6);
    EXPECT_EQ(text, QStringLiteral("строка"));
}

TEST(PlatformBridgeEh, CheckBoxBitmapHasTwelveCells)
{
    HBITMAP b = WinLoadBitmap(0, OBM_CHECKBOXES);
    TSize s;
    ASSERT_TRUE(GetBitmapSize(b, s));
    EXPECT_EQ(s.cx / 4, 13);
    EXPECT_EQ(s.cy / 3, 13);
    DeleteBitmap(b);
}
