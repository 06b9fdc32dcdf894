// A method bound to an object that, unlike std::function, can be compared: requests that
// must be recognised again later (deferred calls, withdrawn by their object) are TMethods.
#pragma once

#include "platform/plTypes.h"

#include <cstring>
#include <type_traits>
#include <utility>

template <class Signature> class TMethod;

// A member function of one object, called like a function: TMethod<void(TObject*)> m =
// MakeMethod(this, &TGrid::UpdateScroll_Async); m(data);
//
// Identity: two methods are equal when they hold the same object address (as seen by the
// class that declares the member function) and the same member-function pointer, compared by
// its bytes, since pointers to members of different classes cannot be compared as such. A
// virtual function's pointer holds its slot, not its code, so naming it through a base class
// or through a descendant that overrides it gives the same method: the same function runs.
// This is exact for single inheritance, which every class of the library uses; with multiple
// inheritance, name a method through the same class in every request.
//
// An unassigned method (default-constructed, or built from a null object or a null member
// pointer) is empty: false in a test, and equal only to another empty method.
template <class R, class... Args> class TMethod<R(Args...)> {
public:
    TMethod() = default;

    template <class C, class B> TMethod(C* aObject, R (B::*aMethod)(Args...)) noexcept {
        Bind<B>(aObject, aMethod);
    }
    template <class C, class B> TMethod(C* aObject, R (B::*aMethod)(Args...) const) noexcept {
        Bind<B>(aObject, aMethod);
    }

    explicit operator bool() const noexcept { return fInvoke != nullptr; }
    bool Assigned() const noexcept { return fInvoke != nullptr; }
    // The object the method is called on (null when empty).
    void* Object() const noexcept { return fObject; }

    // Calls the method; raises Exception when it is empty.
    R operator()(Args... args) const {
        if (!fInvoke) throw Exception("Call of an unassigned method");
        return fInvoke(fObject, fCode, std::forward<Args>(args)...);
    }

    friend bool operator==(const TMethod& a, const TMethod& b) noexcept {
        return a.fObject == b.fObject && std::memcmp(a.fCode, b.fCode, sizeof(fCode)) == 0;
    }

private:
    // Itanium and the common ABIs store a member-function pointer in two words.
    static constexpr std::size_t kCodeSize = 2 * sizeof(void*);
    using Invoker = R (*)(void* aObject, const unsigned char* aCode, Args... args);

    template <class B, class C, class M> void Bind(C* aObject, M aMethod) noexcept {
        static_assert(std::is_convertible_v<C*, B*>, "the method is not a member of the object's class");
        static_assert(sizeof(M) <= kCodeSize, "member-function pointer larger than expected");
        if (!aObject || !aMethod) return;
        fObject = static_cast<void*>(static_cast<B*>(aObject));
        std::memcpy(fCode, &aMethod, sizeof(M));
        fInvoke = &Invoke<B, M>;
    }

    template <class B, class M> static R Invoke(void* aObject, const unsigned char* aCode, Args... args) {
        M method;
        std::memcpy(&method, aCode, sizeof(M));
        return (static_cast<B*>(aObject)->*method)(std::forward<Args>(args)...);
    }

    void* fObject = nullptr;
    alignas(void*) unsigned char fCode[kCodeSize] = {};
    Invoker fInvoke = nullptr;
};

// TMethod of aObject's member function aMethod, its signature deduced from aMethod.
template <class C, class B, class R, class... Args>
TMethod<R(Args...)> MakeMethod(C* aObject, R (B::*aMethod)(Args...)) noexcept {
    return TMethod<R(Args...)>(aObject, aMethod);
}

template <class C, class B, class R, class... Args>
TMethod<R(Args...)> MakeMethod(C* aObject, R (B::*aMethod)(Args...) const) noexcept {
    return TMethod<R(Args...)>(aObject, aMethod);
}
