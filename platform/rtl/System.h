// Basic types of the runtime: integer aliases, TObject, Currency and comparable method pointers.
#pragma once

#include <QString>
#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>

using String = QString;
using Char = QChar;
using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using Word = uint16_t;
using Byte = uint8_t;
using Boolean = bool;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;
using TDateTime = double;   // days since 1899-12-30, time as the fraction
using TDate = double;
using TTime = double;
using TBytes = QByteArray;  // implicitly shared: copies share the same bytes
using TBookmark = QByteArray;

// Root of every class whose name the runtime reports (exceptions, components, streams).
class TObject {
public:
    virtual ~TObject() = default;
    // The C++ class name of the dynamic type, e.g. "TStringList".
    virtual QString ClassName() const;
    // The second phase of creation: runs once, right after the most derived constructor has
    // finished, so the virtual calls made here reach the overrides (made from a constructor
    // they reach the constructor's own class). Constructors set fields; every step that calls
    // a virtual belongs here. Create<T>, the class factories and the stream reader run it;
    // an override calls its ancestor's first.
    virtual void AfterConstruction() {}
};

// Creates an object in both phases: the constructor, then AfterConstruction. Every component,
// control and data link is made through here or through its class's factory (which comes
// here too). When AfterConstruction fails, the object is freed and the error goes on.
template <typename T, typename... A>
    requires std::is_base_of_v<TObject, T>
T* Create(A&&... args)
{
    std::unique_ptr<T> obj(new T(std::forward<A>(args)...));
    obj->AfterConstruction();
    return obj.release();
}

// The same, for an object that nothing else owns.
template <typename T, typename... A>
    requires std::is_base_of_v<TObject, T>
std::unique_ptr<T> CreateUnique(A&&... args)
{
    return std::unique_ptr<T>(Create<T>(std::forward<A>(args)...));
}

// Money: a 64-bit integer scaled by 10000.
struct Currency {
    int64_t Value = 0;  // raw, scaled by 10000

    constexpr Currency() = default;
    static constexpr Currency FromRaw(int64_t raw) { Currency c; c.Value = raw; return c; }
    static constexpr Currency FromInt(int64_t units) { return FromRaw(units * 10000); }
    // Rounds ties to even; raises EOverflow when out of range.
    static Currency FromDouble(double d);
    double ToDouble() const { return double(Value) / 10000.0; }

    friend constexpr bool operator==(Currency a, Currency b) { return a.Value == b.Value; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.Value <=> b.Value; }
    // Checked: raise EOverflow instead of wrapping.
    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator/(Currency a, Currency b);
    Currency operator-() const;  // checked like the binary operators
    Currency& operator+=(Currency b) { return *this = *this + b; }
    Currency& operator-=(Currency b) { return *this = *this - b; }
};

// A comparable method pointer (object + member function), the form every event takes.
// Two delegates are equal when they name the same member of the same object; a delegate
// made from a plain callable compares equal only to its copies.
template <typename Sig> class Delegate;

template <typename R, typename... A>
class Delegate<R(A...)> {
    using Stub = R (*)(const Delegate&, A...);
    struct MemberFn { alignas(void*) unsigned char bytes[2 * sizeof(void*)]; };

    void* FObject = nullptr;
    Stub FStub = nullptr;
    MemberFn FMember{};
    std::shared_ptr<std::function<R(A...)>> FCallable;

public:
    Delegate() = default;
    Delegate(std::nullptr_t) {}

    template <typename C, typename M>
        requires std::is_member_function_pointer_v<M>
    Delegate(C* obj, M method)
    {
        static_assert(sizeof(M) <= sizeof(MemberFn::bytes), "member pointer too large");
        FObject = const_cast<std::remove_const_t<C>*>(obj);
        std::memcpy(FMember.bytes, &method, sizeof(M));
        FStub = [](const Delegate& d, A... args) -> R {
            M m;
            std::memcpy(&m, d.FMember.bytes, sizeof(M));
            return (static_cast<C*>(d.FObject)->*m)(std::forward<A>(args)...);
        };
    }

    template <typename F>
        requires(!std::is_same_v<std::decay_t<F>, Delegate> && std::is_invocable_r_v<R, F&, A...>)
    Delegate(F&& f)
        : FCallable(std::make_shared<std::function<R(A...)>>(std::forward<F>(f)))
    {
        FStub = [](const Delegate& d, A... args) -> R { return (*d.FCallable)(std::forward<A>(args)...); };
    }

    explicit operator bool() const { return FStub != nullptr; }
    bool Assigned() const { return FStub != nullptr; }
    void* Data() const { return FObject; }

    R operator()(A... args) const { return FStub(*this, std::forward<A>(args)...); }

    friend bool operator==(const Delegate& a, const Delegate& b)
    {
        if (a.FCallable || b.FCallable)
            return a.FCallable == b.FCallable;
        return a.FObject == b.FObject && a.FStub == b.FStub
            && std::memcmp(a.FMember.bytes, b.FMember.bytes, sizeof(MemberFn::bytes)) == 0;
    }
};

using TNotifyEvent = Delegate<void(TObject* Sender)>;

template <typename T> inline bool Assigned(const T* p) { return p != nullptr; }
template <typename Sig> inline bool Assigned(const Delegate<Sig>& d) { return d.Assigned(); }
