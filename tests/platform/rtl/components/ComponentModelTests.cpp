#include "TestComponents.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

namespace {

class TRecorder : public TComponent {
public:
    using TComponent::TComponent;
    QStringList Seen;
    QStringList LoadedOrder;
protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        Seen << QStringLiteral("%1 %2").arg(Operation == opInsert ? "ins" : "rem", AComponent->Name());
    }
};

TEST(Persistent, AssignOfUnrelatedClassesNamesBoth)
{
    TFontLike font;
    TOwnedCollection coll(nullptr, TColumnItem::StaticClassInfo());
    auto* item = coll.Add();
    EXPECT_EQ(ErrorOf<EConvertError>([&] { font.Assign(item); }),
              QStringLiteral("Cannot assign a TColumnItem to a TFontLike"));
    EXPECT_EQ(ErrorOf<EConvertError>([&] { font.Assign(nullptr); }),
              QStringLiteral("Cannot assign a nil to a TFontLike"));
    TFontLike other;
    other.Name = QStringLiteral("Courier");
    font.Assign(&other);
    EXPECT_EQ(font.Name, QStringLiteral("Courier"));
}

TEST(Component, OwnerFreesOwnedAndForgetsFreedOnes)
{
    auto* owner = Create<TComponent>(nullptr);
    auto* a = Create<TAllKinds>(owner);
    auto* b = Create<TAllKinds>(owner);
    a->SetName(QStringLiteral("A"));
    b->SetName(QStringLiteral("B"));
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(b->ComponentIndex(), 1);
    delete a;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_THROW(owner->Components(1), EListError);
    delete owner;   // frees b; ASan reports anything left behind
}

TEST(Component, NamesAreValidatedAndUniqueWithinTheOwner)
{
    auto ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    auto* a = Create<TComponent>(&owner);
    auto* b = Create<TComponent>(&owner);
    a->SetName(QStringLiteral("qryMain"));
    struct Case { const char* name; const char* error; };
    const Case cases[] = {
        {"1abc", "'1abc' is not a valid component name"},
        {"a b", "'a b' is not a valid component name"},
        {"a-b", "'a-b' is not a valid component name"},
        {"\xD0\xA1\xD1\x87\xD1\x91\xD1\x82", "'\xD0\xA1\xD1\x87\xD1\x91\xD1\x82' is not a valid component name"},
        {"QRYMAIN", "A component named QRYMAIN already exists"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf<EComponentError>([&] { b->SetName(QString::fromUtf8(c.name)); }), QString::fromUtf8(c.error))
            << c.name;
        EXPECT_TRUE(b->Name().isEmpty());
    }
    a->SetName(QStringLiteral("QryMain"));   // its own name in another case is no clash
    b->SetName(QStringLiteral("_tmp2"));
    EXPECT_EQ(owner.FindComponent(QStringLiteral("QRYMAIN")), a);
    EXPECT_EQ(owner.FindComponent(QStringLiteral("_TMP2")), b);
    EXPECT_EQ(owner.FindComponent(QString()), nullptr);
    // Moving a component into an owner that already has its name is refused.
    auto otherHolder = CreateUnique<TComponent>(nullptr);
    TComponent& other = *otherHolder;
    auto* c = Create<TComponent>(&other);
    c->SetName(QStringLiteral("qrymain"));
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &other);
}

TEST(Component, FreeNotificationClearsReferencesBothWays)
{
    auto* holder = Create<TAllKinds>(nullptr);
    auto* target = Create<TComponent>(nullptr);
    holder->SetLink(target);
    EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
    delete target;
    EXPECT_EQ(holder->Link(), nullptr);

    // The holder going first must not leave the target calling into freed memory.
    auto* target2 = Create<TComponent>(nullptr);
    holder->SetLink(target2);
    delete holder;
    EXPECT_FALSE(target2->ComponentState().Contains(csFreeNotification));
    delete target2;

    // Removing the notification means no call at all.
    auto hHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& h = *hHolder;
    auto* t = Create<TComponent>(nullptr);
    h.SetLink(t);
    t->RemoveFreeNotification(&h);
    delete t;
    EXPECT_NE(h.Link(), nullptr);   // nobody told it: the documented risk of removing
}

TEST(Component, OwnerAndSiblingsHearInsertsAndRemovals)
{
    auto ownerHolder = CreateUnique<TRecorder>(nullptr);
    TRecorder& owner = *ownerHolder;
    auto* sib = Create<TRecorder>(&owner);
    auto* c = Create<TComponent>(nullptr);
    c->SetName(QStringLiteral("X"));
    owner.InsertComponent(c);
    owner.RemoveComponent(c);
    EXPECT_EQ(owner.Seen, QStringList({"ins ", "ins X", "rem X"}));
    EXPECT_EQ(sib->Seen, QStringList({"ins X", "rem X"}));
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;
}

TEST(Component, DestroyingMarksTheWholeTree)
{
    auto* owner = Create<TComponent>(nullptr);
    auto* child = Create<TComponent>(owner);
    auto* grand = Create<TComponent>(child);
    owner->Destroying();
    EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
    EXPECT_TRUE(grand->ComponentState().Contains(csDestroying));
    owner->SetDesigning(true);
    EXPECT_TRUE(grand->ComponentState().Contains(csDesigning));
    delete owner;
}

TEST(Component, PublishedFieldFollowsTheComponentOfItsName)
{
    auto rootHolder = CreateUnique<TTestRoot>(nullptr);
    TTestRoot& root = *rootHolder;
    auto* a = Create<TAllKinds>(&root);
    a->SetName(QStringLiteral("First"));
    EXPECT_EQ(root.First, a);
    a->SetName(QStringLiteral("Renamed"));
    EXPECT_EQ(root.First, nullptr);
    a->SetName(QStringLiteral("first"));
    EXPECT_EQ(root.First, a);
    delete a;
    EXPECT_EQ(root.First, nullptr);
    // A component of a class the field cannot hold is refused.
    auto* plain = Create<TComponent>(&root);
    EXPECT_THROW(plain->SetName(QStringLiteral("First")), EComponentError);
    EXPECT_TRUE(plain->Name().isEmpty());
}

TEST(Collection, AddInsertDeleteAndMoves)
{
    auto ownerHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& owner = *ownerHolder;
    TRecordingCollection& c = *owner.Columns();
    auto* a = static_cast<TColumnItem*>(c.Add());
    auto* b = static_cast<TColumnItem*>(c.Add());
    auto* first = static_cast<TColumnItem*>(c.Insert(0));
    a->Title = "a"; b->Title = "b"; first->Title = "first";
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Items(0), first);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_NE(a->ID(), b->ID());
    EXPECT_EQ(c.FindItemID(b->ID()), b);

    b->SetIndex(0);
    EXPECT_EQ(c.ItemAs<TColumnItem>(0)->Title, "b");
    EXPECT_THROW(b->SetIndex(3), EListError);

    TOwnedCollection other(nullptr, TColumnItem::StaticClassInfo());
    a->SetCollection(&other);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(other.Items(0), a);
    EXPECT_EQ(a->Collection(), &other);

    c.Delete(0);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.ItemAs<TColumnItem>(0)->Title, "first");
    EXPECT_THROW(c.Delete(5), EListError);
    EXPECT_THROW(c.Items(-1), EListError);

    // A collection of columns holds nothing else.
    TOwnedCollection fonts(nullptr, TCollectionItem::StaticClassInfo());
    auto* plain = fonts.Add();
    EXPECT_THROW(plain->SetCollection(&c), EComponentError);
    EXPECT_EQ(plain->Collection(), &fonts);
}

TEST(Collection, UpdatesAreBracketedAndReportTheItem)
{
    auto ownerHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& owner = *ownerHolder;
    TRecordingCollection& c = *owner.Columns();
    c.BeginUpdate();
    c.Add();
    c.Add();
    c.BeginUpdate();
    c.Add();
    c.EndUpdate();
    EXPECT_TRUE(c.Updates.isEmpty());
    c.EndUpdate();
    EXPECT_EQ(c.Updates, QList<TCollectionItem*>({nullptr}));

    c.Updates.clear();
    struct Touch : TColumnItem {
        using TColumnItem::TColumnItem;
        void Touched() { Changed(false); }
    };
    Touch* t = new Touch(&c);
    c.Updates.clear();
    t->Touched();
    EXPECT_EQ(c.Updates, QList<TCollectionItem*>({t}));
    EXPECT_EQ(c.Notes.first(), QStringLiteral("0:0"));   // cnAdded for the first item
}

TEST(Collection, AssignCopiesItemsAndNamePathShowsTheOwner)
{
    auto rootHolder = CreateUnique<TTestRoot>(nullptr);
    TTestRoot& root = *rootHolder;
    root.SetName(QStringLiteral("dm"));
    auto* src = Create<TAllKinds>(&root);
    src->SetName(QStringLiteral("grid"));
    static_cast<TColumnItem*>(src->Columns()->Add())->Title = "x";
    static_cast<TColumnItem*>(src->Columns()->Add())->Width = 10;
    auto dstHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& dst = *dstHolder;
    dst.Columns()->Add();
    dst.Columns()->Assign(src->Columns());
    ASSERT_EQ(dst.Columns()->Count(), 2);
    EXPECT_EQ(dst.Columns()->ItemAs<TColumnItem>(0)->Title, "x");
    EXPECT_EQ(dst.Columns()->ItemAs<TColumnItem>(1)->Width, 10);
    EXPECT_THROW(dst.Columns()->Assign(src->Font()), EConvertError);
    EXPECT_EQ(src->Columns()->Items(1)->GetNamePath(), QStringLiteral("grid.Columns[1]"));
    EXPECT_EQ(src->Columns()->Items(1)->GetOwner(), src->Columns());
}

TEST(ClassRegistry, FindsByNameAndReportsUnknownOnes)
{
    RegisterClasses<TAllKinds>();
    EXPECT_EQ(GetClass(QStringLiteral("tallkinds")), &TAllKinds::StaticClassInfo());
    EXPECT_EQ(GetClass(QStringLiteral("TNothing")), nullptr);
    EXPECT_EQ(ErrorOf<EClassNotFound>([] { FindClass(QStringLiteral("TNothing")); }),
              QStringLiteral("Class TNothing not found"));
    RegisterClass(TFontLike::StaticClassInfo());
    UnRegisterClass(TFontLike::StaticClassInfo());
    EXPECT_EQ(GetClass(QStringLiteral("TFontLike")), nullptr);
    // The registry creates through the class's own constructor.
    auto ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TComponent* made = FindClass(QStringLiteral("TAllKinds"))->CreateComponent(&owner);
    EXPECT_NE(dynamic_cast<TAllKinds*>(made), nullptr);
    EXPECT_EQ(made->Owner(), &owner);
}

TEST(PropertyRegistry, InheritedFirstInDeclarationOrderWithKinds)
{
    QStringList names;
    QList<TPropKind> kinds;
    for (const TPropInfo* p : TAllKinds::StaticClassInfo().Properties()) {
        names << p->Name;
        kinds << p->Kind;
    }
    EXPECT_EQ(names, QStringList({"Tag", "Int32", "Big", "Ext", "Money", "When", "Text", "Shade", "Shades",
                                  "Flag", "Font", "Link", "Columns", "OnPing", "Scratch", "Any"}));
    EXPECT_EQ(kinds, QList<TPropKind>({pkInt64, pkInteger, pkInt64, pkFloat, pkCurrency, pkDate, pkString, pkEnum,
                                       pkSet, pkBoolean, pkClass, pkComponent, pkCollection, pkEvent, pkInteger,
                                       pkVariant}));

    auto kHolder = CreateUnique<TAllKinds>(nullptr);
    TAllKinds& k = *kHolder;
    SetEnumProp(&k, QStringLiteral("shade"), QStringLiteral("shBlue"));
    EXPECT_EQ(k.Shade, shBlue);
    EXPECT_EQ(GetEnumProp(&k, QStringLiteral("Shade")), QStringLiteral("shBlue"));
    SetStrProp(&k, QStringLiteral("Text"), QStringLiteral("t"));
    EXPECT_EQ(GetStrProp(&k, QStringLiteral("TEXT")), QStringLiteral("t"));
    SetOrdProp(&k, QStringLiteral("Shades"), int64_t(TShades{shGreen, shGrey}.Bits()));
    EXPECT_TRUE(k.Shades.Contains(shGrey));
    EXPECT_EQ(GetObjectProp(&k, QStringLiteral("Font")), k.Font());
    EXPECT_THROW(GetStrProp(&k, QStringLiteral("Int32")), EInvalidCast);
    EXPECT_THROW(GetStrProp(&k, QStringLiteral("Nope")), EComponentError);
    EXPECT_THROW(SetEnumProp(&k, QStringLiteral("Shade"), QStringLiteral("shPink")), EConvertError);
}

}   // namespace
