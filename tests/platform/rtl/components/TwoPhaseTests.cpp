// Two-phase creation: a step of a base class that calls a virtual reaches the most derived
// override, whichever way the component is made.
#include "StreamHelpers.h"

#include <gtest/gtest.h>

namespace {

class TPhaseBase : public TComponent {
    DOV_PERSISTENT(TPhaseBase, TComponent)
public:
    explicit TPhaseBase(TComponent* AOwner) : TComponent(AOwner) {}
    void AfterConstruction() override
    {
        TComponent::AfterConstruction();
        Part = MakePart();
        ++Runs;
    }
    virtual QString MakePart() { return QStringLiteral("base"); }
    QString Part;
    int Runs = 0;
};
DOV_PUBLISHED(TPhaseBase)
{
    P.Prop("Part", &TPhaseBase::Part);
}

class TPhaseDerived : public TPhaseBase {
    DOV_PERSISTENT(TPhaseDerived, TPhaseBase)
public:
    // The override reads a field its own constructor set: it runs after that constructor.
    explicit TPhaseDerived(TComponent* AOwner) : TPhaseBase(AOwner), Flavour(QStringLiteral("derived")) {}
    QString MakePart() override { return Flavour; }
    QString Flavour;
};
DOV_PUBLISHED(TPhaseDerived) {}

class TPhaseFailing : public TPhaseBase {
    DOV_PERSISTENT(TPhaseFailing, TPhaseBase)
public:
    explicit TPhaseFailing(TComponent* AOwner) : TPhaseBase(AOwner) {}
    QString MakePart() override { throw Exception(QStringLiteral("no part")); }
};
DOV_PUBLISHED(TPhaseFailing) {}

class TPhaseRoot : public TComponent {
    DOV_PERSISTENT(TPhaseRoot, TComponent)
public:
    explicit TPhaseRoot(TComponent* AOwner) : TComponent(AOwner) {}
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
};
DOV_PUBLISHED(TPhaseRoot) {}

}  // namespace

TEST(TwoPhaseCreation, OverrideRunsByCreateAndByTheClassFactory)
{
    auto owner = CreateUnique<TComponent>(nullptr);
    auto* byHelper = Create<TPhaseDerived>(owner.get());
    auto* byFactory = dynamic_cast<TPhaseDerived*>(TPhaseDerived::StaticClassInfo().CreateComponent(owner.get()));
    ASSERT_NE(byFactory, nullptr);
    for (TPhaseBase* c : {static_cast<TPhaseBase*>(byHelper), static_cast<TPhaseBase*>(byFactory)}) {
        EXPECT_EQ(c->Part, QStringLiteral("derived"));
        EXPECT_EQ(c->Runs, 1);
    }
    EXPECT_EQ(Create<TPhaseBase>(owner.get())->Part, QStringLiteral("base"));
}

TEST(TwoPhaseCreation, StreamedComponentRunsItBeforeItsPropertiesAreRead)
{
    RegisterClasses<TPhaseRoot, TPhaseDerived>();
    auto root = CreateUnique<TPhaseRoot>(nullptr);
    ReadComponentRes(QByteArrayLiteral("object Root: TPhaseRoot\n"
                                       "  object Plain: TPhaseDerived\n"
                                       "  end\n"
                                       "  object Set: TPhaseDerived\n"
                                       "    Part = 'streamed'\n"
                                       "  end\n"
                                       "end\n"),
                     root.get());
    ASSERT_EQ(root->ComponentCount(), 2);
    auto* plain = dynamic_cast<TPhaseDerived*>(root->Components(0));
    auto* set = dynamic_cast<TPhaseDerived*>(root->Components(1));
    ASSERT_TRUE(plain && set);
    EXPECT_EQ(plain->Part, QStringLiteral("derived"));
    EXPECT_EQ(plain->Runs, 1);
    // The stream's value is not overwritten by the second phase.
    EXPECT_EQ(set->Part, QStringLiteral("streamed"));
    EXPECT_EQ(set->Runs, 1);
}

TEST(TwoPhaseCreation, FailingSecondPhaseFreesTheComponent)
{
    auto owner = CreateUnique<TComponent>(nullptr);
    EXPECT_THROW(Create<TPhaseFailing>(owner.get()), Exception);
    EXPECT_EQ(owner->ComponentCount(), 0);
}
