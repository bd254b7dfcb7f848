#include "Persistent.h"
#include "Guards.h"
#include "Filer.h"
#include "Variants.h"

#include <QHash>
#include <exception>
#include <QMutex>
#include <QRecursiveMutex>

// ---------------------------------------------------------------- TEnumInfo

TEnumInfo::TEnumInfo(const char* typeName, const char* commaSeparatedNames)
    : TypeName(QString::fromLatin1(typeName))
{
    for (const QString& n : QString::fromLatin1(commaSeparatedNames).split(u','))
        if (!n.trimmed().isEmpty())
            Names << n.trimmed();
}

QString TEnumInfo::NameOf(int64_t value) const
{
    return value >= 0 && value < Names.size() ? Names[int(value)] : QString();
}

int TEnumInfo::ValueOf(const QString& name) const
{
    for (int i = 0; i < Names.size(); ++i)
        if (Names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString PropKindName(TPropKind k)
{
    static const char* names[] = {"integer", "int64", "float", "currency", "date", "string", "enumeration",
                                  "set", "boolean", "class", "component", "collection", "event", "variant"};
    return QString::fromLatin1(names[k]);
}

// ---------------------------------------------------------------- TPropInfo

bool TPropInfo::IsStored(const TPersistent* obj) const
{
    if (StoredFn)
        return StoredFn(obj);
    return StoredFlag;
}

bool TPropInfo::Writable() const
{
    switch (Kind) {
    case pkInteger: case pkInt64: case pkEnum: case pkSet: case pkBoolean: return bool(SetOrd);
    case pkFloat: case pkDate: return bool(SetFloat);
    case pkCurrency: return bool(SetCurr);
    case pkString: return bool(SetStr);
    case pkComponent: return bool(SetObj);
    case pkClass: case pkCollection: return true;   // read into the existing object
    case pkEvent: return bool(SetEvent);
    case pkVariant: return bool(SetVar);
    }
    return false;
}

// ---------------------------------------------------------------- TClassInfo

void dov_detail::FillClassInfo(TClassInfo& info, const char* name, const TClassInfo* parent)
{
    info.Name = QString::fromLatin1(name);
    info.Parent = parent;
}

bool TClassInfo::InheritsFrom(const TClassInfo* other) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == other)
            return true;
    return false;
}

bool TClassInfo::InheritsFrom(const QString& className) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c->Name.compare(className, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const
{
    // Class infos are built once at first use and never change afterwards.
    static QRecursiveMutex lock;   // the parent's list is built under the same lock
    QMutexLocker guard(&lock);
    if (!FAllPropsReady) {
        std::vector<const TPropInfo*> all;
        if (Parent)
            all = Parent->Properties();
        for (const TPropInfo& p : OwnProps) {
            auto it = std::find_if(all.begin(), all.end(), [&](const TPropInfo* q) {
                return q->Name.compare(p.Name, Qt::CaseInsensitive) == 0;
            });
            if (it != all.end())
                *it = &p;
            else
                all.push_back(&p);
        }
        if (!StreamOrder.isEmpty()) {
            std::vector<const TPropInfo*> ordered;
            ordered.reserve(all.size());
            for (const QString& name : StreamOrder) {
                auto it = std::find_if(all.begin(), all.end(), [&](const TPropInfo* q) {
                    return q && q->Name.compare(name, Qt::CaseInsensitive) == 0;
                });
                if (it != all.end()) {
                    ordered.push_back(*it);
                    *it = nullptr;
                }
            }
            for (const TPropInfo* q : all)
                if (q)
                    ordered.push_back(q);
            all = std::move(ordered);
        }
        FAllProps = std::move(all);
        FAllPropsReady = true;
    }
    return FAllProps;
}

const TPropInfo* TClassInfo::FindProperty(const QString& name) const
{
    for (const TPropInfo* p : Properties())
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const QString& name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TMethodInfo& m : c->OwnMethods)
            if (m.Name.compare(name, Qt::CaseInsensitive) == 0)
                return &m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const QString& name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->OwnFields)
            if (f.Name.compare(name, Qt::CaseInsensitive) == 0)
                return &f;
    return nullptr;
}

// ---------------------------------------------------------------- class registry

namespace {
struct ClassRegistry {
    QMutex Lock;
    QHash<QString, const TClassInfo*> ByName;   // upper-cased names
};
ClassRegistry& Registry()
{
    static ClassRegistry r;
    return r;
}
}

void RegisterClass(const TClassInfo& cls)
{
    ClassRegistry& r = Registry();
    QMutexLocker guard(&r.Lock);
    r.ByName.insert(cls.Name.toUpper(), &cls);
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes)
{
    for (const TClassInfo* c : classes)
        RegisterClass(*c);
}

void UnRegisterClass(const TClassInfo& cls)
{
    ClassRegistry& r = Registry();
    QMutexLocker guard(&r.Lock);
    auto it = r.ByName.find(cls.Name.toUpper());
    if (it != r.ByName.end() && it.value() == &cls)
        r.ByName.erase(it);
}

TPersistentClass GetClass(const QString& name)
{
    ClassRegistry& r = Registry();
    QMutexLocker guard(&r.Lock);
    return r.ByName.value(name.toUpper(), nullptr);
}

TPersistentClass FindClass(const QString& name)
{
    TPersistentClass c = GetClass(name);
    if (!c)
        throw EClassNotFound(QStringLiteral("Class %s not found"), {name});
    return c;
}

// ---------------------------------------------------------------- property access by name

const TPropInfo* GetPropInfo(const TPersistent* obj, const QString& name)
{
    return obj ? obj->ClassInfo().FindProperty(name) : nullptr;
}

namespace {
const TPropInfo& NeedProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p)
        throw EComponentError(QStringLiteral("Property %s does not exist"), {name});
    return *p;
}
[[noreturn]] void KindMismatch(const TPropInfo& p)
{
    throw EInvalidCast(QStringLiteral("Property %s is of kind %s"), {p.Name, PropKindName(p.Kind)});
}
}

int64_t GetOrdProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.GetOrd)
        KindMismatch(p);
    return p.GetOrd(obj);
}

void SetOrdProp(TPersistent* obj, const QString& name, int64_t v)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.SetOrd)
        KindMismatch(p);
    p.SetOrd(obj, v);
}

QString GetStrProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.GetStr)
        KindMismatch(p);
    return p.GetStr(obj);
}

void SetStrProp(TPersistent* obj, const QString& name, const QString& v)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.SetStr)
        KindMismatch(p);
    p.SetStr(obj, v);
}

double GetFloatProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (p.GetFloat)
        return p.GetFloat(obj);
    if (p.GetCurr)
        return p.GetCurr(obj).ToDouble();
    KindMismatch(p);
}

void SetFloatProp(TPersistent* obj, const QString& name, double v)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (p.SetFloat)
        return p.SetFloat(obj, v);
    if (p.SetCurr)
        return p.SetCurr(obj, Currency::FromDouble(v));
    KindMismatch(p);
}

Variant GetVariantProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.GetVar)
        KindMismatch(p);
    return p.GetVar(obj);
}

void SetVariantProp(TPersistent* obj, const QString& name, const Variant& v)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.SetVar)
        KindMismatch(p);
    p.SetVar(obj, v);
}

TPersistent* GetObjectProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (!p.GetObj)
        KindMismatch(p);
    return p.GetObj(obj);
}

QString GetEnumProp(const TPersistent* obj, const QString& name)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (p.Kind == pkBoolean)
        return p.GetOrd(obj) ? QStringLiteral("True") : QStringLiteral("False");
    if (p.Kind != pkEnum)
        KindMismatch(p);
    return p.Enum->NameOf(p.GetOrd(obj));
}

void SetEnumProp(TPersistent* obj, const QString& name, const QString& ident)
{
    const TPropInfo& p = NeedProp(obj, name);
    if (p.Kind != pkEnum || !p.SetOrd)
        KindMismatch(p);
    const int v = p.Enum->ValueOf(ident);
    if (v < 0)
        throw EConvertError(QStringLiteral("Invalid enumeration value %s"), {ident});
    p.SetOrd(obj, v);
}

// ---------------------------------------------------------------- TPersistent

const TClassInfo& TPersistent::StaticClassInfo()
{
    static const TClassInfo& info = *[] {
        auto* ci = new TClassInfo;
        dov_detail::FillClassInfo(*ci, "TPersistent", nullptr);
        dov_detail::MakeFactories<TPersistent>(*ci);
        return ci;
    }();
    return info;
}

void TPersistent::Assign(TPersistent* Source)
{
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const
{
    const QString sourceName = Source ? Source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %s to a %s"), {sourceName, ClassName()});
}

void TPersistent::DefineProperties(TFiler*) {}

QString TPersistent::GetNamePath() const
{
    return ClassName();
}

// ---------------------------------------------------------------- TComponent

bool IsValidIdent(const QString& ident)
{
    if (ident.isEmpty())
        return false;
    auto alpha = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
    if (!alpha(ident[0]))
        return false;
    for (QChar c : ident)
        if (!alpha(c) && !(c >= u'0' && c <= u'9'))
            return false;
    return true;
}

DOV_PUBLISHED(TComponent)
{
    P.Prop("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

void TComponent::AfterConstruction()
{
    TPersistent::AfterConstruction();
    FAfterConstructed = true;
}

TComponent::~TComponent()
{
    // A component made by a bare new (or an override that skipped its ancestor's step)
    // never ran its second phase; a constructor that threw never reaches it either.
#ifndef NDEBUG
    if (!FAfterConstructed && std::uncaught_exceptions() == 0)
        qFatal("%s: created without Create<T> or its class factory", qPrintable(ClassName()));
#endif
    Destroying();
    // Peers that asked to hear about our end drop their references now.
    while (!FFreeNotifies.isEmpty()) {
        TComponent* peer = FFreeNotifies.takeLast();
        peer->RemoveNotification(this);   // ours about them is no longer needed either
        peer->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const QString& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.isEmpty() && !IsValidIdent(NewName))
        throw EComponentError(QStringLiteral("'%s' is not a valid component name"), {NewName});
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    // The owner's published pointer of the new name refers to this component from now on.
    const TFieldInfo* newField = FOwner && !NewName.isEmpty() ? FOwner->ClassInfo().FindField(NewName) : nullptr;
    if (newField && !newField->Set(FOwner, this))
        throw EComponentError(QStringLiteral("Component %s of class %s does not fit the field of %s"),
                              {NewName, ClassName(), FOwner->ClassName()});
    if (FOwner && !FName.isEmpty())
        if (const TFieldInfo* oldField = FOwner->ClassInfo().FindField(FName))
            if (oldField != newField && oldField->Get(FOwner) == this)
                oldField->Set(FOwner, nullptr);
    ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const QString& CurName, const QString& NewName)
{
    if (AComponent && CurName.compare(NewName, Qt::CaseInsensitive) != 0 && !NewName.isEmpty()) {
        TComponent* other = FindComponent(NewName);
        if (other && other != AComponent)
            throw EComponentError(QStringLiteral("A component named %s already exists"), {NewName});
    }
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= FComponents.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return FComponents[Index];
}

int TComponent::ComponentIndex() const
{
    return FOwner ? int(FOwner->FComponents.indexOf(const_cast<TComponent*>(this))) : -1;
}

void TComponent::SetComponentIndex(int Value)
{
    if (!FOwner)
        return;
    const int cur = ComponentIndex();
    Value = std::clamp(Value, 0, int(FOwner->FComponents.size()) - 1);
    if (cur >= 0 && cur != Value)
        FOwner->FComponents.move(cur, Value);
}

TComponent* TComponent::FindComponent(const QString& AName) const
{
    if (AName.isEmpty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.compare(AName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    ValidateInsert(AComponent);
    if (!AComponent->FName.isEmpty())
        ValidateRename(AComponent, QString(), AComponent->FName);
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    NotifyAll(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (AComponent->FOwner != this)
        return;
    NotifyAll(AComponent, opRemove);
    // A published pointer of this root that names the component must not dangle.
    if (!FComponentState.Contains(csDestroying) && !AComponent->FName.isEmpty())
        if (const TFieldInfo* f = ClassInfo().FindField(AComponent->FName))
            if (f->Get(this) == AComponent)
                f->Set(this, nullptr);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.append(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    FComponents.removeOne(AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation)
{
    // The owner and everything it owns hear about arrivals and departures.
    Notification(AComponent, Operation);
    const QList<TComponent*> snapshot = FComponents;
    for (TComponent* c : snapshot)
        if (c != AComponent && FComponents.contains(c))
            c->Notification(AComponent, Operation);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.isEmpty()) {
        TComponent* c = FComponents.last();
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    if (!FFreeNotifies.contains(AComponent)) {
        FFreeNotifies.append(AComponent);
        AComponent->FreeNotification(this);
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent)
        return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    FFreeNotifies.removeAll(AComponent);
    if (FFreeNotifies.isEmpty())
        FComponentState.Exclude(csFreeNotification);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
}

void TComponent::Loaded()
{
    FComponentState.Exclude(csLoading);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value, true);
}

void TComponent::SetInline(bool Value)
{
    if (Value)
        FComponentState.Include(csInline);
    else
        FComponentState.Exclude(csInline);
}

void TComponent::SetAncestor(bool Value)
{
    if (Value)
        FComponentState.Include(csAncestor);
    else
        FComponentState.Exclude(csAncestor);
    for (TComponent* c : FComponents)
        c->SetAncestor(Value);
}

QString TComponent::GetNamePath() const
{
    return FName;
}

// ---------------------------------------------------------------- TCollectionItem

DOV_PUBLISHED(TCollectionItem) {}

TCollectionItem::TCollectionItem(TCollection* Collection)
{
    // The item's own class is not complete yet, so its type is checked by whoever creates it.
    if (Collection)
        Collection->InsertItem(this, false);
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection)
        FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (FCollection == Value)
        return;
    if (Value && Value->FItemClass->IsInstance && !Value->FItemClass->IsInstance(this))
        throw EComponentError(QStringLiteral("Collection of %s cannot hold a %s"), {Value->FItemClass->Name, ClassName()});
    if (FCollection)
        FCollection->RemoveItem(this);
    if (Value)
        Value->InsertItem(this, true);
}

int TCollectionItem::Index() const
{
    return FCollection ? int(FCollection->FItems.indexOf(const_cast<TCollectionItem*>(this))) : -1;
}

void TCollectionItem::SetIndex(int Value)
{
    const int cur = Index();
    if (cur < 0 || cur == Value)
        return;
    if (Value < 0 || Value >= FCollection->FItems.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Value});
    FCollection->FItems.move(cur, Value);
    Changed(true);
}

QString TCollectionItem::DisplayName() const
{
    return ClassName();
}

QString TCollectionItem::GetNamePath() const
{
    if (FCollection)
        return QStringLiteral("%1[%2]").arg(FCollection->GetNamePath()).arg(Index());
    return ClassName();
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const
{
    return FCollection;
}

// ---------------------------------------------------------------- TCollection

DOV_PUBLISHED(TCollection) {}

TCollection::TCollection(const TClassInfo& ItemClass) : FItemClass(&ItemClass) {}

TCollection::~TCollection()
{
    FUpdateCount = 1;   // no Update calls into a half-destroyed descendant
    while (!FItems.isEmpty()) {
        TCollectionItem* item = FItems.takeLast();
        item->FCollection = nullptr;
        delete item;
    }
}

TCollectionItem* TCollection::Items(int Index) const
{
    if (Index < 0 || Index >= FItems.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return FItems[Index];
}

TCollectionItem* TCollection::CreateItem()
{
    if (!FItemClass->CreateItem)
        throw EComponentError(QStringLiteral("Cannot create an item of class %s"), {FItemClass->Name});
    return FItemClass->CreateItem(this);
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = CreateItem();
    return item;
}

TCollectionItem* TCollection::Insert(int Index)
{
    if (Index < 0 || Index > FItems.size())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    TUpdateGuard update(this);
    TCollectionItem* item = CreateItem();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index)
{
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    delete item;   // removes itself
}

void TCollection::Clear()
{
    if (FItems.isEmpty())
        return;
    TUpdateGuard update(this);
    while (!FItems.isEmpty())
        delete FItems.last();
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    for (TCollectionItem* i : FItems)
        if (i->FID == ID)
            return i;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++FUpdateCount;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item, bool CheckClass)
{
    if (CheckClass && FItemClass->IsInstance && !FItemClass->IsInstance(Item))
        throw EComponentError(QStringLiteral("Collection of %s cannot hold a %s"), {FItemClass->Name, Item->ClassName()});
    FItems.append(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    if (!FItems.contains(Item))
        return;
    Notify(Item, cnExtracting);
    FItems.removeOne(Item);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    TUpdateGuard update(this);
    Clear();
    for (TCollectionItem* i : src->FItems)
        Add()->Assign(i);
}

QString TCollection::FindPropName() const
{
    if (!FPropName.isEmpty())
        return FPropName;
    TPersistent* owner = GetOwner();
    if (!owner)
        return QString();
    for (const TPropInfo* p : owner->ClassInfo().Properties())
        if (p->Kind == pkCollection && p->GetObj(owner) == this)
            return p->Name;
    return QString();
}

QString TCollection::GetNamePath() const
{
    TPersistent* owner = GetOwner();
    if (!owner)
        return ClassName();
    const QString ownerPath = owner->GetNamePath();
    const QString prop = FindPropName();
    if (ownerPath.isEmpty() || prop.isEmpty())
        return ClassName();
    return ownerPath + u'.' + prop;
}

DOV_PUBLISHED(TOwnedCollection) {}
