#include "TestComponents.h"

DOV_PUBLISHED(TFontLike)
{
    P.Prop("Name", &TFontLike::Name).Stored(&TFontLike::IsNameStored);
    P.Prop("Size", &TFontLike::Size).Default(8);
}

void TFontLike::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TFontLike*>(Source)) {
        Name = f->Name;
        Size = f->Size;
        return;
    }
    TPersistent::Assign(Source);
}

DOV_PUBLISHED(TColumnItem)
{
    P.Prop("Title", &TColumnItem::Title);
    P.Prop("Width", &TColumnItem::Width).Default(64);
}

void TColumnItem::Assign(TPersistent* Source)
{
    if (auto* c = dynamic_cast<TColumnItem*>(Source)) {
        Title = c->Title;
        Width = c->Width;
        return;
    }
    TCollectionItem::Assign(Source);
}

DOV_PUBLISHED(TAllKinds)
{
    P.Prop("Int32", &TAllKinds::Int32).Default(0);
    P.Prop("Big", &TAllKinds::Big).Default(0);
    P.Prop("Ext", &TAllKinds::Ext);
    P.Prop("Money", &TAllKinds::Money);
    P.Prop("When", &TAllKinds::When).AsDate();
    P.Prop("Text", &TAllKinds::Text);
    P.Prop("Shade", &TAllKinds::Shade).Default(shRed);
    P.Prop("Shades", &TAllKinds::Shades).Default(TShades{});
    P.Prop("Flag", &TAllKinds::Flag).Default(false);
    P.Prop("Font", &TAllKinds::Font);
    P.Prop("Link", &TAllKinds::Link, &TAllKinds::SetLink);
    P.Prop("Columns", &TAllKinds::Columns);
    P.Event("OnPing", &TAllKinds::OnPing);
    P.Prop("Scratch", &TAllKinds::Scratch).Stored(false);
    P.Prop("Any", &TAllKinds::Any);
}

TAllKinds::TAllKinds(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TFontLike),
      FColumns(new TRecordingCollection(this, TColumnItem::StaticClassInfo()))
{
}

TAllKinds::~TAllKinds()
{
    delete FColumns;
    delete FFont;
}

void TAllKinds::SetLink(TComponent* v)
{
    if (FLink)
        FLink->RemoveFreeNotification(this);
    FLink = v;
    if (FLink)
        FLink->FreeNotification(this);
}

void TAllKinds::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLink)
        FLink = nullptr;
}

void TAllKinds::DefineProperties(TFiler* Filer)
{
    TComponent::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TAllKinds*>(Filer->Ancestor());
    Filer->DefineBinaryProperty(
        QStringLiteral("Blob"),
        [this](TStream* s) { Blob = s->ReadBytes(s->Size()); },
        [this](TStream* s) { s->WriteBytes(Blob); },
        ancestor ? ancestor->Blob != Blob : !Blob.isEmpty());
    Filer->DefineProperty(
        QStringLiteral("Samples"),
        [this](TReader* r) {
            Samples.clear();
            r->ReadListBegin();
            while (!r->EndOfList())
                Samples << r->ReadSingle();
            r->ReadListEnd();
        },
        [this](TWriter* w) {
            w->WriteListBegin();
            for (float f : Samples)
                w->WriteSingle(f);
            w->WriteListEnd();
        },
        ancestor ? ancestor->Samples != Samples : !Samples.isEmpty());
}

void TAllKinds::Loaded()
{
    TComponent::Loaded();
    LoadedSeen << (FLink ? FLink->Name() : QStringLiteral("-"));
    if (ComponentState().Contains(csLoading))
        LoadedSeen << QStringLiteral("still loading");
}

DOV_PUBLISHED(TPanelLike)
{
    P.Prop("Caption", &TPanelLike::Caption);
}

TPanelLike::~TPanelLike()
{
    for (TComponent* k : Kids)
        static_cast<TChildLike*>(k)->Parent = nullptr;
}

void TPanelLike::GetChildren(const TGetChildProc& Proc, TComponent*)
{
    for (TComponent* k : Kids)
        Proc(k);
}

DOV_PUBLISHED(TChildLike)
{
    P.Prop("Peer", &TChildLike::Peer);
}

void TChildLike::SetParentComponent(TComponent* Value)
{
    if (Parent)
        Parent->Kids.removeOne(this);
    Parent = dynamic_cast<TPanelLike*>(Value);
    if (Parent)
        Parent->Kids.append(this);
}

DOV_PUBLISHED(TTestRoot)
{
    P.Field("First", &TTestRoot::First);
    P.Method("Ping", &TTestRoot::Ping);
    P.Method("Other", &TTestRoot::Other);
    P.Method("Wrong", &TTestRoot::Wrong);
}

void RegisterTestClasses()
{
    RegisterClasses<TAllKinds, TPanelLike, TChildLike, TTestRoot>();
}
