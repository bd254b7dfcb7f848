#include "StreamHelpers.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bin(const char* text) { return TextToBinary(QByteArray(text)); }

TComponent* ReadWith(TReader& r, TMemoryStream& ms, const QByteArray& bin, TComponent* root = nullptr)
{
    ms.WriteBytes(bin);
    ms.SetPosition(0);
    return r.ReadRootComponent(root);
}

TEST(ReaderHooks, FindClassAndCreateComponent)
{
    RegisterTestClasses();
    TMemoryStream ms;
    TReader r(&ms);
    QStringList asked;
    r.OnFindComponentClass = [&](TReader*, const QString& name, TComponentClass& cls) {
        asked << name;
        if (name == QLatin1String("TMystery"))
            cls = &TAllKinds::StaticClassInfo();
    };
    TAllKinds* supplied = nullptr;
    r.OnCreateComponent = [&](TReader* rd, TComponentClass cls, TComponent*& c) {
        if (cls == &TPanelLike::StaticClassInfo()) {
            // The caller decides what gets made, here a descendant-like panel it keeps track of.
            c = Create<TPanelLike>(rd->Owner());
        } else if (rd->Root() && cls == &TAllKinds::StaticClassInfo()) {
            c = supplied = Create<TAllKinds>(rd->Owner());
        }
    };
    r.OnSetName = [](TReader*, TComponent*, QString& name) {
        if (name == QLatin1String("Old"))
            name = QStringLiteral("New");
    };
    std::unique_ptr<TComponent> root(ReadWith(r, ms, Bin(
        "object dm: TTestRoot\n"
        "  object Old: TMystery\n"
        "    Int32 = 3\n"
        "  end\n"
        "  object P: TPanelLike\n"
        "  end\n"
        "end\n")));
    EXPECT_EQ(asked, QStringList({"TTestRoot", "TMystery", "TPanelLike"}));
    ASSERT_NE(supplied, nullptr);
    EXPECT_EQ(supplied->Name(), QStringLiteral("New"));
    EXPECT_EQ(supplied->Int32, 3);
    EXPECT_EQ(supplied->Owner(), root.get());
    EXPECT_NE(root->FindComponent(QStringLiteral("P")), nullptr);
}

TEST(ReaderHooks, FindMethodSuppliesHandlersTheRootDoesNotHave)
{
    RegisterTestClasses();
    TMemoryStream ms;
    TReader r(&ms);
    int calls = 0;
    r.OnFindMethod = [&](TReader*, const QString& name, std::any& method, bool&) {
        if (name == QLatin1String("External"))
            method = TNotifyEvent([&calls](TObject*) { ++calls; });
    };
    std::unique_ptr<TComponent> root(ReadWith(r, ms, Bin(
        "object dm: TTestRoot\n"
        "  object A: TAllKinds\n"
        "    OnPing = External\n"
        "  end\n"
        "  object B: TAllKinds\n"
        "    OnPing = ping\n"
        "  end\n"
        "end\n")));
    auto* a = static_cast<TAllKinds*>(root->FindComponent(QStringLiteral("A")));
    auto* b = static_cast<TAllKinds*>(root->FindComponent(QStringLiteral("B")));
    a->OnPing(a);
    EXPECT_EQ(calls, 1);
    b->OnPing(b);
    EXPECT_EQ(static_cast<TTestRoot*>(root.get())->Pings, 1);
}

TEST(ReaderHooks, HandledErrorsSkipTheValueAndGoOn)
{
    RegisterTestClasses();
    TMemoryStream ms;
    TReader r(&ms);
    QStringList errors;
    r.OnError = [&](TReader*, const QString& msg, bool& handled) {
        errors << msg;
        handled = true;
    };
    std::unique_ptr<TComponent> root(ReadWith(r, ms, Bin(
        "object K: TAllKinds\n"
        "  Obsolete = <\n"
        "    item\n"
        "      X = (1 2 'three')\n"
        "    end>\n"
        "  Int32 = 'not a number'\n"
        "  Text = 'kept'\n"
        "end\n")));
    auto* k = static_cast<TAllKinds*>(root.get());
    EXPECT_EQ(errors, QStringList({"Property Obsolete does not exist", "Invalid property value"}));
    EXPECT_EQ(k->Int32, 0);
    EXPECT_EQ(k->Text, QStringLiteral("kept"));
}

TEST(ReaderHooks, EventsMustNameAFittingMethod)
{
    RegisterTestClasses();
    struct Case { const char* value; const char* message; };
    const Case cases[] = {
        {"Missing", "Error reading A.OnPing: Method Missing not found"},
        {"Wrong", "Error reading A.OnPing: Method Wrong does not fit event OnPing"},
        {"'Ping'", "Error reading A.OnPing: Invalid property value"},
    };
    for (const Case& c : cases) {
        const QByteArray text = QByteArray("object dm: TTestRoot\n  object A: TAllKinds\n    OnPing = ") + c.value
            + "\n  end\nend\n";
        try {
            delete ReadComponentRes(text, nullptr);
            ADD_FAILURE() << c.value;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.message));
        }
    }
}

TEST(DefineProperties, WrittenOnlyWhenTheyDifferFromTheAncestor)
{
    std::unique_ptr<TTestRoot> ancestor(BuildTree());
    std::unique_ptr<TTestRoot> desc(BuildTree());
    desc->First->Int32 = 9;
    desc->First->Samples = {2.0f};
    static_cast<TColumnItem*>(desc->First->Columns()->Items(1))->Title = QStringLiteral("changed");

    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteDescendent(desc.get(), ancestor.get());
    const QByteArray text = BinaryToText(StreamBytes(ms));
    EXPECT_TRUE(text.startsWith("inherited dmTest: TTestRoot\n  inherited First: TAllKinds\n    Int32 = 9\n    Columns = <"))
        << text.constData();
    EXPECT_FALSE(text.contains("Blob")) << text.constData();
    EXPECT_FALSE(text.contains("Money"));
    EXPECT_FALSE(text.contains("Link"));
    EXPECT_FALSE(text.contains("OnPing"));   // the same handler name as the ancestor's
    EXPECT_TRUE(text.contains("Samples = (\n      2s)")) << text.constData();
    EXPECT_TRUE(text.contains("inherited KidB: TChildLike\n    end"));

    // Read over a copy of the ancestor, the difference gives the descendant back.
    std::unique_ptr<TComponent> target(ReadComponentRes(ComponentToBinary(ancestor.get()), nullptr));
    ReadComponentRes(StreamBytes(ms), target.get());
    auto* t = static_cast<TTestRoot*>(target.get());
    EXPECT_EQ(t->ComponentCount(), 4);
    EXPECT_EQ(t->First->Int32, 9);
    EXPECT_EQ(t->First->Samples, QList<float>({2.0f}));
    EXPECT_EQ(t->First->Blob, ancestor->First->Blob);
    EXPECT_EQ(t->First->Columns()->ItemAs<TColumnItem>(1)->Title, QStringLiteral("changed"));
    EXPECT_EQ(ComponentToBinary(t), ComponentToBinary(desc.get()));
}

}   // namespace
