// The component model: TPersistent, TComponent, TCollection/TCollectionItem, the class
// registry by name and the published-property registry that drives component streaming.
//
// Declaring a streamable class:
//
//   // header
//   class TMyQuery : public TComponent {
//       DOV_PERSISTENT(TMyQuery, TComponent)
//   public:
//       explicit TMyQuery(TComponent* AOwner) : TComponent(AOwner) {}
//       int GetTimeout() const;  void SetTimeout(int v);
//       QString GetSQL() const;  void SetSQL(const QString& v);
//       TAlignment Alignment = taLeftJustify;
//       TNotifyEvent OnChange;
//   };
//   // source
//   DOV_PUBLISHED(TMyQuery)
//   {
//       P.Prop("Timeout", &TMyQuery::GetTimeout, &TMyQuery::SetTimeout).Default(30);
//       P.Prop("SQL", &TMyQuery::GetSQL, &TMyQuery::SetSQL);
//       P.Prop("Alignment", &TMyQuery::Alignment).Default(taLeftJustify);
//       P.Event("OnChange", &TMyQuery::OnChange);
//   }
//
// The kind of a property follows from its C++ type (bool, enum with DOV_ENUM_INFO, TSet<E>,
// integers, double, Currency, QString, pointers to TComponent / TCollection / TPersistent,
// Delegate<...>); `.AsDate()` marks a double as a date. Properties are listed in declaration
// order, ancestors' first. Roots (forms, data modules) also declare `P.Field(...)` for the
// component pointers the loader fills in and `P.Method(...)` for event handlers found by name.
#pragma once

#include "System.h"
#include "SysUtils.h"

#include <QList>
#include <QStringList>
#include <any>
#include <initializer_list>
#include <optional>
#include <typeindex>
#include <vector>

class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TFiler;
class TReader;
class TWriter;
class TClassInfo;
class Variant;

using TPersistentClass = const TClassInfo*;
using TComponentClass = const TClassInfo*;
using TCollectionItemClass = const TClassInfo*;

// ---- sets of enumeration values (up to 64 members) ----
template <typename E>
class TSet {
    uint64_t FBits = 0;

public:
    using Element = E;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items)
            FBits |= Bit(e);
    }
    static constexpr uint64_t Bit(E e) { return uint64_t(1) << unsigned(e); }
    static constexpr TSet FromBits(uint64_t bits) { TSet s; s.FBits = bits; return s; }
    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    TSet& Include(E e) { FBits |= Bit(e); return *this; }
    TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
    TSet& operator<<(E e) { return Include(e); }
    TSet& operator>>(E e) { return Exclude(e); }
    friend constexpr TSet operator|(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }  // union
    friend constexpr TSet operator&(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }  // intersection
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); } // difference
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }
};

// ---- enumeration identifiers ----
// Names of an enumeration whose values run 0, 1, 2, ... in declaration order.
class TEnumInfo {
public:
    TEnumInfo(const char* typeName, const char* commaSeparatedNames);
    QString TypeName;
    QStringList Names;
    QString NameOf(int64_t value) const;          // empty when out of range
    int ValueOf(const QString& name) const;       // -1 when unknown; case-insensitive
};

// Put next to an enumeration at namespace scope: DOV_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter)
#define DOV_ENUM_INFO(Type, ...)                                         \
    inline const TEnumInfo& DovEnumInfo(Type)                            \
    {                                                                    \
        static const TEnumInfo info(#Type, #__VA_ARGS__);                \
        return info;                                                     \
    }

template <typename E> const TEnumInfo& EnumInfoOf() { return DovEnumInfo(E{}); }
template <typename E> QString GetEnumName(E v) { return EnumInfoOf<E>().NameOf(int64_t(v)); }

// ---- published properties ----
enum TPropKind {
    pkInteger, pkInt64, pkFloat, pkCurrency, pkDate, pkString, pkEnum, pkSet, pkBoolean,
    pkClass,       // an owned TPersistent whose own properties are streamed as Prop.Sub
    pkComponent,   // a reference to a component, streamed by name and resolved after loading
    pkCollection,  // an owned TCollection, streamed as < item ... end >
    pkEvent,       // a Delegate naming a method of the root
    pkVariant      // a Variant, streamed with the tag of its type (nothing for Empty)
};
QString PropKindName(TPropKind k);

struct TPropInfo {
    QString Name;
    TPropKind Kind = pkInteger;
    const TClassInfo* OwnerClass = nullptr;
    const TEnumInfo* Enum = nullptr;              // pkEnum, pkSet
    std::optional<int64_t> Default;               // ordinals: not written when equal
    std::function<bool(const TPersistent*)> StoredFn;
    bool StoredFlag = true;

    std::function<int64_t(const TPersistent*)> GetOrd;       // integer, int64, enum, set bits, boolean
    std::function<void(TPersistent*, int64_t)> SetOrd;
    std::function<double(const TPersistent*)> GetFloat;      // float, date
    std::function<void(TPersistent*, double)> SetFloat;
    std::function<Currency(const TPersistent*)> GetCurr;
    std::function<void(TPersistent*, Currency)> SetCurr;
    std::function<QString(const TPersistent*)> GetStr;
    std::function<void(TPersistent*, const QString&)> SetStr;
    std::function<TPersistent*(const TPersistent*)> GetObj;   // class, component, collection
    std::function<void(TPersistent*, TPersistent*)> SetObj;   // absent for owned sub-objects
    std::function<bool(const TObject*)> AcceptsObj;           // the declared pointer type
    std::function<Variant(const TPersistent*)> GetVar;
    std::function<void(TPersistent*, const Variant&)> SetVar;
    std::function<std::any(const TPersistent*)> GetEvent;     // std::any holding Delegate<Sig>
    std::function<void(TPersistent*, const std::any&)> SetEvent;
    std::function<bool(const std::any&)> EventAssigned;
    std::function<bool(const std::any&, const std::any&)> EventSame;
    std::type_index EventType = typeid(void);                 // Delegate<Sig>

    bool IsStored(const TPersistent* obj) const;
    bool IsOrdinal() const { return Kind == pkInteger || Kind == pkInt64 || Kind == pkEnum || Kind == pkSet || Kind == pkBoolean; }
    bool Writable() const;
};

// A handler method of a root, found by its name when an event property is read.
struct TMethodInfo {
    QString Name;
    std::type_index Type = typeid(void);                // Delegate<Sig>
    std::function<std::any(TObject* root)> Make;        // Delegate bound to the root
};

// A published component pointer of a root: the loader points it at the component of that name.
struct TFieldInfo {
    QString Name;
    std::function<bool(TPersistent* root, TComponent* c)> Set;   // false when the class does not fit
    std::function<TComponent*(const TPersistent* root)> Get;
};

class TClassInfo {
public:
    QString Name;
    const TClassInfo* Parent = nullptr;
    std::type_index Type = typeid(void);
    // Factories, whichever applies to the class (null for abstract ones).
    std::function<TComponent*(TComponent* owner)> CreateComponent;
    std::function<TCollectionItem*(TCollection* collection)> CreateItem;
    std::function<TPersistent*()> CreatePersistent;
    std::function<bool(const TObject*)> IsInstance;

    std::vector<TPropInfo> OwnProps;
    std::vector<TMethodInfo> OwnMethods;
    std::vector<TFieldInfo> OwnFields;
    // Names of properties (own or inherited) in the order the class streams them; those not
    // named follow in their usual order.
    QStringList StreamOrder;

    bool InheritsFrom(const TClassInfo* other) const;
    bool InheritsFrom(const QString& className) const;
    // Ancestors' properties first, each in declaration order; a redeclared name replaces
    // the ancestor's entry in place. A class with a StreamOrder puts the named ones first.
    const std::vector<const TPropInfo*>& Properties() const;
    const TPropInfo* FindProperty(const QString& name) const;   // case-insensitive
    const TMethodInfo* FindMethod(const QString& name) const;
    const TFieldInfo* FindField(const QString& name) const;

private:
    mutable std::vector<const TPropInfo*> FAllProps;
    mutable bool FAllPropsReady = false;
};

// Builder handed to a class's published block.
template <typename C> class TPublished;

class TPropBuilder {
    TPropInfo& FInfo;

public:
    explicit TPropBuilder(TPropInfo& info) : FInfo(info) {}
    template <typename V> TPropBuilder& Default(V v) { FInfo.Default = ToOrd(v); return *this; }
    TPropBuilder& NoDefault() { FInfo.Default.reset(); return *this; }
    TPropBuilder& Stored(bool stored) { FInfo.StoredFlag = stored; return *this; }
    template <typename C> TPropBuilder& Stored(bool (C::*test)() const)
    {
        FInfo.StoredFn = [test](const TPersistent* o) { return (static_cast<const C*>(o)->*test)(); };
        return *this;
    }
    TPropBuilder& AsDate() { if (FInfo.Kind == pkFloat) FInfo.Kind = pkDate; return *this; }

private:
    template <typename V> static int64_t ToOrd(V v)
    {
        if constexpr (requires { v.Bits(); })
            return int64_t(v.Bits());
        else
            return int64_t(v);
    }
};

namespace dov_detail {
template <typename T> struct IsTSet : std::false_type {};
template <typename E> struct IsTSet<TSet<E>> : std::true_type {};
template <typename T> struct IsDelegate : std::false_type {};
template <typename S> struct IsDelegate<Delegate<S>> : std::true_type {};
}

template <typename C>
class TPublished {
public:
    explicit TPublished(TClassInfo& info) : FInfo(info) {}

    // Getter and setter: member functions (or anything invocable on C*).
    template <typename G, typename S>
    TPropBuilder Prop(const char* name, G getter, S setter)
    {
        using R = std::decay_t<std::invoke_result_t<G, C*>>;
        TPropInfo& p = NewProp<R>(name);
        Bind<R>(p, [getter](const TPersistent* o) -> R { return std::invoke(getter, Self(o)); },
                [setter](TPersistent* o, R v) { std::invoke(setter, static_cast<C*>(o), v); });
        return TPropBuilder(p);
    }
    // Read-only: owned sub-objects and collections (read into the existing object).
    template <typename G>
        requires std::is_member_function_pointer_v<G>
    TPropBuilder Prop(const char* name, G getter)
    {
        using R = std::decay_t<std::invoke_result_t<G, C*>>;
        TPropInfo& p = NewProp<R>(name);
        Bind<R>(p, [getter](const TPersistent* o) -> R { return std::invoke(getter, Self(o)); }, nullptr);
        return TPropBuilder(p);
    }
    // A data member.
    template <typename T, typename B>
        requires(std::is_base_of_v<B, C> && !std::is_function_v<T>)
    TPropBuilder Prop(const char* name, T B::*field)
    {
        using R = std::decay_t<T>;
        TPropInfo& p = NewProp<R>(name);
        Bind<R>(p, [field](const TPersistent* o) -> R { return Self(o)->*field; },
                [field](TPersistent* o, R v) { static_cast<C*>(o)->*field = v; });
        return TPropBuilder(p);
    }
    // An event held in a Delegate member.
    template <typename Sig, typename B>
        requires std::is_base_of_v<B, C>
    TPropBuilder Event(const char* name, Delegate<Sig> B::*field)
    {
        return Prop(name, field);
    }
    // A handler method callable by name from event properties of the streamed components.
    template <typename R, typename B, typename... A>
        requires std::is_base_of_v<B, C>
    void Method(const char* name, R (B::*method)(A...))
    {
        using D = Delegate<R(A...)>;
        TMethodInfo m;
        m.Name = QString::fromUtf8(name);
        m.Type = typeid(D);
        m.Make = [method](TObject* root) -> std::any { return D(static_cast<B*>(dynamic_cast<C*>(root)), method); };
        FInfo.OwnMethods.push_back(std::move(m));
    }
    // A component pointer of a root, filled in by the loader from the component of that name.
    template <typename T, typename B>
        requires std::is_base_of_v<B, C>
    void Field(const char* name, T* B::*field)
    {
        TFieldInfo f;
        f.Name = QString::fromUtf8(name);
        f.Set = [field](TPersistent* root, TComponent* c) {
            T* t = dynamic_cast<T*>(c);
            if (c && !t)
                return false;
            static_cast<C*>(root)->*field = t;
            return true;
        };
        f.Get = [field](const TPersistent* root) -> TComponent* { return Self(root)->*field; };
        FInfo.OwnFields.push_back(std::move(f));
    }

    // The class's streaming order, when it is not its ancestors' followed by its own.
    void StreamOrder(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            FInfo.StreamOrder << QString::fromUtf8(n);
    }

private:
    TClassInfo& FInfo;
    static C* Self(const TPersistent* o) { return const_cast<C*>(static_cast<const C*>(o)); }

    template <typename R> TPropInfo& NewProp(const char* name)
    {
        FInfo.OwnProps.emplace_back();
        TPropInfo& p = FInfo.OwnProps.back();
        p.Name = QString::fromUtf8(name);
        p.OwnerClass = &FInfo;
        p.Kind = KindOf<R>();
        return p;
    }

    template <typename R> static constexpr TPropKind KindOf()
    {
        if constexpr (std::is_same_v<R, bool>) return pkBoolean;
        else if constexpr (std::is_enum_v<R>) return pkEnum;
        else if constexpr (dov_detail::IsTSet<R>::value) return pkSet;
        else if constexpr (std::is_integral_v<R>) return sizeof(R) <= 4 ? pkInteger : pkInt64;
        else if constexpr (std::is_floating_point_v<R>) return pkFloat;
        else if constexpr (std::is_same_v<R, Currency>) return pkCurrency;
        else if constexpr (std::is_same_v<R, QString>) return pkString;
        else if constexpr (std::is_same_v<R, Variant>) return pkVariant;
        else if constexpr (dov_detail::IsDelegate<R>::value) return pkEvent;
        else if constexpr (std::is_pointer_v<R>) {
            using T = std::remove_cv_t<std::remove_pointer_t<R>>;
            if constexpr (std::is_base_of_v<TComponent, T>) return pkComponent;
            else if constexpr (std::is_base_of_v<TCollection, T>) return pkCollection;
            else {
                static_assert(std::is_base_of_v<TPersistent, T>, "a published object property must point to a TPersistent");
                return pkClass;
            }
        } else {
            static_assert(sizeof(R) == 0, "unsupported published property type");
            return pkInteger;
        }
    }

    template <typename R, typename Get, typename Set>
    static void Bind(TPropInfo& p, Get get, Set set)
    {
        constexpr bool hasSet = !std::is_same_v<Set, std::nullptr_t>;
        if constexpr (std::is_same_v<R, bool> || std::is_enum_v<R> || std::is_integral_v<R>) {
            if constexpr (std::is_enum_v<R>)
                p.Enum = &DovEnumInfo(R{});
            p.GetOrd = [get](const TPersistent* o) { return int64_t(get(o)); };
            if constexpr (hasSet)
                p.SetOrd = [set](TPersistent* o, int64_t v) { set(o, static_cast<R>(v)); };
        } else if constexpr (dov_detail::IsTSet<R>::value) {
            p.Enum = &DovEnumInfo(typename R::Element{});
            p.GetOrd = [get](const TPersistent* o) { return int64_t(get(o).Bits()); };
            if constexpr (hasSet)
                p.SetOrd = [set](TPersistent* o, int64_t v) { set(o, R::FromBits(uint64_t(v))); };
        } else if constexpr (std::is_floating_point_v<R>) {
            p.GetFloat = [get](const TPersistent* o) { return double(get(o)); };
            if constexpr (hasSet)
                p.SetFloat = [set](TPersistent* o, double v) { set(o, R(v)); };
        } else if constexpr (std::is_same_v<R, Currency>) {
            p.GetCurr = get;
            if constexpr (hasSet)
                p.SetCurr = set;
        } else if constexpr (std::is_same_v<R, QString>) {
            p.GetStr = get;
            if constexpr (hasSet)
                p.SetStr = [set](TPersistent* o, const QString& v) { set(o, v); };
        } else if constexpr (std::is_same_v<R, Variant>) {
            p.GetVar = get;
            if constexpr (hasSet)
                p.SetVar = [set](TPersistent* o, const Variant& v) { set(o, v); };
        } else if constexpr (dov_detail::IsDelegate<R>::value) {
            p.EventType = typeid(R);
            p.GetEvent = [get](const TPersistent* o) -> std::any { return get(o); };
            if constexpr (hasSet)
                p.SetEvent = [set](TPersistent* o, const std::any& v) {
                    set(o, v.has_value() ? std::any_cast<R>(v) : R());
                };
            p.EventAssigned = [](const std::any& v) { return v.has_value() && std::any_cast<R>(v).Assigned(); };
            p.EventSame = [](const std::any& a, const std::any& b) {
                return a.has_value() && b.has_value() && std::any_cast<R>(a) == std::any_cast<R>(b);
            };
        } else {
            using T = std::remove_cv_t<std::remove_pointer_t<R>>;
            p.GetObj = [get](const TPersistent* o) -> TPersistent* { return const_cast<T*>(get(o)); };
            p.AcceptsObj = [](const TObject* x) { return !x || dynamic_cast<const T*>(x) != nullptr; };
            if constexpr (hasSet)
                p.SetObj = [set](TPersistent* o, TPersistent* v) { set(o, dynamic_cast<T*>(v)); };
        }
    }
};

namespace dov_detail {
void FillClassInfo(TClassInfo& info, const char* name, const TClassInfo* parent);
template <typename C>
void MakeFactories(TClassInfo& info)
{
    info.Type = typeid(C);
    info.IsInstance = [](const TObject* o) { return dynamic_cast<const C*>(o) != nullptr; };
    if constexpr (!std::is_abstract_v<C>) {
        if constexpr (std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*>)
            info.CreateComponent = [](TComponent* owner) -> TComponent* { return Create<C>(owner); };
        else if constexpr (std::is_base_of_v<TCollectionItem, C> && std::is_constructible_v<C, TCollection*>)
            info.CreateItem = [](TCollection* coll) -> TCollectionItem* { return Create<C>(coll); };
        else if constexpr (std::is_default_constructible_v<C>)
            info.CreatePersistent = []() -> TPersistent* { return Create<C>(); };
    }
}
}

// In the class body (it opens a public section).
#define DOV_PERSISTENT(Class, Base)                                                \
public:                                                                            \
    using inherited = Base;                                                        \
    static const TClassInfo& StaticClassInfo();                                    \
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }    \
    static void DefinePublished(TPublished<Class>& P);                             \
                                                                                   \
public:

// In one source file, followed by the block that declares the published properties.
#define DOV_PUBLISHED(Class)                                                       \
    const TClassInfo& Class::StaticClassInfo()                                     \
    {                                                                              \
        static const TClassInfo& info = *[] {                                      \
            auto* ci = new TClassInfo;                                             \
            dov_detail::FillClassInfo(*ci, #Class, &Class::inherited::StaticClassInfo()); \
            dov_detail::MakeFactories<Class>(*ci);                                 \
            TPublished<Class> builder(*ci);                                        \
            Class::DefinePublished(builder);                                       \
            return ci;                                                             \
        }();                                                                       \
        return info;                                                               \
    }                                                                              \
    void Class::DefinePublished([[maybe_unused]] TPublished<Class>& P)

// ---- the class registry ----
void RegisterClass(const TClassInfo& cls);
template <typename... T> void RegisterClasses() { (RegisterClass(T::StaticClassInfo()), ...); }
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterClass(const TClassInfo& cls);
TPersistentClass GetClass(const QString& name);    // nullptr when not registered
TPersistentClass FindClass(const QString& name);   // EClassNotFound "Class %s not found"

// ---- property access by name (generic code, tests) ----
const TPropInfo* GetPropInfo(const TPersistent* obj, const QString& name);   // nullptr when none
int64_t GetOrdProp(const TPersistent* obj, const QString& name);
void SetOrdProp(TPersistent* obj, const QString& name, int64_t v);
QString GetStrProp(const TPersistent* obj, const QString& name);
void SetStrProp(TPersistent* obj, const QString& name, const QString& v);
double GetFloatProp(const TPersistent* obj, const QString& name);
void SetFloatProp(TPersistent* obj, const QString& name, double v);
TPersistent* GetObjectProp(const TPersistent* obj, const QString& name);
QString GetEnumProp(const TPersistent* obj, const QString& name);
Variant GetVariantProp(const TPersistent* obj, const QString& name);
void SetVariantProp(TPersistent* obj, const QString& name, const Variant& v);
void SetEnumProp(TPersistent* obj, const QString& name, const QString& ident);

// ---- TPersistent ----
class TPersistent : public TObject {
public:
    static const TClassInfo& StaticClassInfo();
    // The class's published description (the nearest ancestor that declares one).
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }

    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    // Copies Source's state into this; falls back to Source->AssignTo(this).
    virtual void Assign(TPersistent* Source);
    virtual QString GetNamePath() const;
    bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(&cls); }
    // The object this one belongs to (for name paths): a component's owner, an item's collection.
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Default: "Cannot assign a <source> to a <dest>" (EConvertError).
    virtual void AssignTo(TPersistent* Dest) const;
    virtual void DefineProperties(TFiler* Filer);
    [[noreturn]] void AssignError(const TPersistent* Source) const;

    friend class TFiler;
    friend class TReader;
    friend class TWriter;
    friend class TCollection;
};

// ---- TComponent ----
enum TComponentStateItem {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
    csFixups, csFreeNotification, csInline, csDesignInstance
};
DOV_ENUM_INFO(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning,
              csAncestor, csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };
DOV_ENUM_INFO(TOperation, opInsert, opRemove)

using TGetChildProc = std::function<void(TComponent* Child)>;

bool IsValidIdent(const QString& ident);

class TComponent : public TPersistent {
    DOV_PERSISTENT(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    // Frees the owned components first (they notify their free-notification peers).
    ~TComponent() override;
    void AfterConstruction() override;

    TComponent* Owner() const { return FOwner; }
    const QString& Name() const { return FName; }
    void SetName(const QString& NewName);   // validated; unique within the owner (case-insensitive)
    NativeInt Tag() const { return FTag; }
    void SetTag(NativeInt v) { FTag = v; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int Value);
    TComponent* FindComponent(const QString& AName) const;   // case-insensitive, nullptr when none
    void InsertComponent(TComponent* AComponent);   // takes ownership
    void RemoveComponent(TComponent* AComponent);   // gives it up (no free)
    void DestroyComponents();
    void Destroying();   // marks csDestroying on this and every owned component

    // AComponent's destruction will be reported to this component (and back).
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TComponentState ComponentState() const { return FComponentState; }

    // Streaming hooks.
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* Value) {}
    virtual void SetChildOrder(TComponent* Child, int Order) {}
    virtual void ReadState(TReader* Reader);
    virtual void WriteState(TWriter* Writer);

    void SetDesigning(bool Value, bool SetChildren = true);
    void SetInline(bool Value);
    void SetAncestor(bool Value);
    void Updating() { FComponentState.Include(csUpdating); }
    void Updated() { FComponentState.Exclude(csUpdating); }

    QString GetNamePath() const override;

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded();
    virtual void ValidateRename(TComponent* AComponent, const QString& CurName, const QString& NewName);
    virtual void ValidateInsert(TComponent* AComponent) {}
    void ChangeName(const QString& NewName) { FName = NewName; }

public:
    TPersistent* GetOwner() const override { return FOwner; }

    TComponentState FComponentState;

private:
    TComponent* FOwner = nullptr;
    QString FName;
    NativeInt FTag = 0;
    QList<TComponent*> FComponents;
    QList<TComponent*> FFreeNotifies;
    bool FAfterConstructed = false;   // checked by debug builds: made without Create<T>?

    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);
    void NotifyAll(TComponent* AComponent, TOperation Operation);

    friend class TReader;
    friend class TWriter;
};

// ---- collections ----
enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    DOV_PERSISTENT(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (or out of any when nullptr).
    void SetCollection(TCollection* Value);
    int Index() const;
    void SetIndex(int Value);
    int ID() const { return FID; }
    virtual QString DisplayName() const;
    QString GetNamePath() const override;

protected:
    // Reports a change of this item (or of all items) to the collection.
    void Changed(bool AllItems);

public:
    TPersistent* GetOwner() const override;

private:
    TCollection* FCollection = nullptr;
    int FID = 0;
    friend class TCollection;
};

class TCollection : public TPersistent {
    DOV_PERSISTENT(TCollection, TPersistent)
public:
    explicit TCollection(const TClassInfo& ItemClass);
    ~TCollection() override;

    const TClassInfo& ItemClass() const { return *FItemClass; }
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int Index) const;          // EListError when out of range
    void SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
    template <typename T> T* ItemAs(int Index) const { return static_cast<T*>(Items(Index)); }
    TCollectionItem* Add();                            // a new item of ItemClass at the end
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Replaces the items with copies of Source's (a collection).
    void Assign(TPersistent* Source) override;
    QString GetNamePath() const override;
    // Empty for a plain collection; TOwnedCollection returns its owner.
    TPersistent* GetOwner() const override { return nullptr; }
    // Name of the property of the owner that holds this collection (for name paths).
    void SetPropName(const QString& v) { FPropName = v; }

protected:
    // Item is nullptr when everything changed. Called when not inside Begin/EndUpdate.
    virtual void Update(TCollectionItem* Item) {}
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
    void Changed();

private:
    const TClassInfo* FItemClass;
    QList<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
    QString FPropName;

    void InsertItem(TCollectionItem* Item, bool CheckClass);
    void RemoveItem(TCollectionItem* Item);
    TCollectionItem* CreateItem();
    QString FindPropName() const;
    friend class TCollectionItem;
};

class TOwnedCollection : public TCollection {
    DOV_PERSISTENT(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, const TClassInfo& ItemClass)
        : TCollection(ItemClass), FOwner(AOwner) {}
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};
