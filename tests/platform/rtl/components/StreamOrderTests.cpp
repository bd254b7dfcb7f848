// A class may stream its properties, inherited ones included, in an order of its own.
#include "StreamHelpers.h"

#include "platform/rtl/Filer.h"

#include <gtest/gtest.h>

namespace {

class TOrderBase : public TComponent {
    DOV_PERSISTENT(TOrderBase, TComponent)
public:
    explicit TOrderBase(TComponent* AOwner) : TComponent(AOwner) {}
    int A = 0, C = 0, Z = 0;
};

class TOrdered : public TOrderBase {
    DOV_PERSISTENT(TOrdered, TOrderBase)
public:
    explicit TOrdered(TComponent* AOwner) : TOrderBase(AOwner) {}
    int B = 0, D = 0;
};

class TOrderedChild : public TOrdered {
    DOV_PERSISTENT(TOrderedChild, TOrdered)
public:
    explicit TOrderedChild(TComponent* AOwner) : TOrdered(AOwner) {}
    int E = 0;
};

DOV_PUBLISHED(TOrderBase)
{
    P.Prop("A", &TOrderBase::A).Default(0);
    P.Prop("C", &TOrderBase::C).Default(0);
    P.Prop("Z", &TOrderBase::Z).Default(0);
}

DOV_PUBLISHED(TOrdered)
{
    P.Prop("B", &TOrdered::B).Default(0);
    P.Prop("D", &TOrdered::D).Default(0);
    P.StreamOrder({"a", "B", "Missing", "C"});
}

DOV_PUBLISHED(TOrderedChild)
{
    P.Prop("E", &TOrderedChild::E).Default(0);
}

QStringList Names(const TClassInfo& info)
{
    QStringList names;
    for (const TPropInfo* p : info.Properties())
        names << p->Name;
    return names;
}

}  // namespace

TEST(StreamOrder, NamedPropertiesComeFirstTheRestFollowAndDescendantsAppend)
{
    EXPECT_EQ(Names(TOrderBase::StaticClassInfo()), QStringList({"Tag", "A", "C", "Z"}));
    EXPECT_EQ(Names(TOrdered::StaticClassInfo()), QStringList({"A", "B", "C", "Tag", "Z", "D"}));
    EXPECT_EQ(Names(TOrderedChild::StaticClassInfo()), QStringList({"A", "B", "C", "Tag", "Z", "D", "E"}));
}

TEST(StreamOrder, TheWriterFollowsItAndTheTextReadsBackTheSame)
{
    RegisterClass(TOrderedChild::StaticClassInfo());
    auto c = CreateUnique<TOrderedChild>(nullptr);
    c->SetName(QStringLiteral("Ordered"));
    c->A = 6;
    c->B = 1;
    c->C = 2;
    c->D = 4;
    c->E = 5;
    c->Z = 3;
    const QByteArray text = BinaryToText(ComponentToBinary(c.get()));
    QStringList order;
    for (const QByteArray& line : text.split('\n'))
        if (line.contains(" = "))
            order << QString::fromUtf8(line.trimmed().split(' ').first());
    EXPECT_EQ(order, QStringList({"A", "B", "C", "Z", "D", "E"})) << text.constData();

    auto back = CreateUnique<TOrderedChild>(nullptr);
    ReadComponentRes(text, back.get());
    EXPECT_EQ(back->A, 6);
    EXPECT_EQ(back->E, 5);
    EXPECT_EQ(BinaryToText(ComponentToBinary(back.get())), text);
}
