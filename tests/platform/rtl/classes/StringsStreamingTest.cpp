#include "platform/rtl/Classes.h"
#include "platform/rtl/Filer.h"

#include <gtest/gtest.h>

namespace {

class TLinesHolder : public TComponent {
    DOV_PERSISTENT(TLinesHolder, TComponent)
public:
    explicit TLinesHolder(TComponent* owner) : TComponent(owner) {}
    ~TLinesHolder() override { delete FLines; }
    TStringList* GetLines() const { return FLines; }

private:
    TStringList* FLines = new TStringList;
};

}  // namespace

DOV_PUBLISHED(TLinesHolder)
{
    P.Prop("Lines", &TLinesHolder::GetLines);
}

TEST(StringsStreaming, LinesTravelAsTheStringsList)
{
    auto srcHolder = CreateUnique<TLinesHolder>(nullptr);
    TLinesHolder& src = *srcHolder;
    src.SetName("Holder");
    src.GetLines()->SetText(QString::fromUtf8("SELECT *\r\nFROM svod -- Свод\r\n\r\n"));
    const QString text = ComponentToText(&src);
    EXPECT_TRUE(text.contains("Lines.Strings = (")) << text.toStdString();

    auto dstHolder = CreateUnique<TLinesHolder>(nullptr);
    TLinesHolder& dst = *dstHolder;
    dst.GetLines()->Add("stale");
    ReadComponentRes(ComponentToBinary(&src), &dst);
    EXPECT_EQ(dst.GetLines()->ToStringList(), src.GetLines()->ToStringList());

    auto emptyHolder = CreateUnique<TLinesHolder>(nullptr);
    TLinesHolder& empty = *emptyHolder;
    empty.SetName("Empty");
    EXPECT_FALSE(ComponentToText(&empty).contains("Strings"));   // nothing to write
}
