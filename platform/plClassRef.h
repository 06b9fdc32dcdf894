// Class references: a value that names a class, creates instances of it with its default
// constructor and tells whether an object (or another class) is of that class or derives from it.
//
//   TClassRef<TxoDataEntity> cls = ClassOf<TxoDataEntity_Stint>();
//   TxoDataEntity* e = cls.Create();        // a new TxoDataEntity_Stint
//   cls.IsInstance(e);                      // true
//   cls.InheritsFrom(ClassOf<TxoDataEntity>()); // true
#pragma once

#include "platform/plTypes.h"

#include <concepts>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

template <class Base> class TClassRef;

namespace xo {

// What a class reference knows about its class: one constant record per class.
struct TClassMeta {
    TObject* (*create)();               // none for abstract or not default-constructible classes
    bool (*isInstance)(const TObject*); // the object is of the class or a descendant
    void (*throwNull)();                // throws a null pointer of the class
    bool (*catches)(void (*thrower)()); // a pointer thrown by thrower converts to this class
    const std::type_info* info;
};

template <class T> struct TClassMetaOf {
    static TObject* Create() {
        if constexpr (requires { new T(); })
            return static_cast<TObject*>(new T());
        else
            return nullptr;
    }
    static bool IsInstance(const TObject* obj) { return dynamic_cast<const T*>(obj) != nullptr; }
    static void ThrowNull() { throw static_cast<T*>(nullptr); }
    // The language's own derived-to-base rules for caught pointers answer "derives from".
    static bool Catches(void (*thrower)()) {
        try {
            thrower();
        } catch (T*) {
            return true;
        } catch (...) {
            return false;
        }
        return false;
    }
    static constexpr bool kCreatable = !std::is_abstract_v<T> && requires { new T(); };
    static inline const TClassMeta kMeta{kCreatable ? &Create : nullptr, &IsInstance, &ThrowNull, &Catches,
                                         &typeid(T)};
};

inline String Demangle(const char* name) {
    int status = 0;
    char* d = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    String result = (status == 0 && d) ? String(d) : String(name);
    std::free(d);
    return result;
}

} // namespace xo

// A reference to Base or to one of its descendants; the default value is none.
template <class Base> class TClassRef {
    static_assert(std::derived_from<Base, TObject>, "class references name TObject descendants");

public:
    constexpr TClassRef() noexcept = default;
    // A reference to a descendant is also a reference to each of its bases.
    template <class D>
    requires std::derived_from<D, Base> TClassRef(const TClassRef<D>& aClass)
    noexcept : fMeta(aClass.fMeta) {}

    bool Assigned() const noexcept { return fMeta != nullptr; }
    explicit operator bool() const noexcept { return Assigned(); }

    // Whether Create can make an instance (the class is assigned, concrete and default-constructible).
    bool CanCreate() const noexcept { return fMeta && fMeta->create; }
    // A new instance, made with the class's default constructor. Raises Exception for none or for a
    // class that cannot be instantiated.
    Base* Create() const {
        if (!fMeta) throw Exception("Cannot create an instance of an unassigned class");
        if (!fMeta->create) throw Exception("Cannot create an instance of abstract class " + ClassName());
        return static_cast<Base*>(fMeta->create());
    }
    // obj is of this class or of a descendant; false for none on either side.
    bool IsInstance(const TObject* obj) const { return fMeta && obj && fMeta->isInstance(obj); }
    // This class is aClass or one of its descendants; false when either is none.
    template <class O> bool InheritsFrom(const TClassRef<O>& aClass) const {
        if (!fMeta || !aClass.fMeta) return false;
        if (*fMeta->info == *aClass.fMeta->info) return true;
        return aClass.fMeta->catches(fMeta->throwNull);
    }
    // The same class as a reference to the narrower base D, or none when the class does not
    // derive from D.
    template <class D> TClassRef<D> As() const {
        TClassRef<D> r;
        if (fMeta && InheritsFrom(TClassRef<D>::template Of<D>())) r.fMeta = fMeta;
        return r;
    }

    const std::type_info& TypeInfo() const { return fMeta ? *fMeta->info : typeid(void); }
    String ClassName() const { return fMeta ? xo::Demangle(fMeta->info->name()) : String(); }

    template <class O> bool operator==(const TClassRef<O>& o) const noexcept {
        if (!fMeta || !o.fMeta) return fMeta == nullptr && o.fMeta == nullptr;
        return fMeta == o.fMeta || *fMeta->info == *o.fMeta->info;
    }

    template <class T>
    requires std::derived_from<T, Base>
    static TClassRef Of() noexcept {
        TClassRef r;
        r.fMeta = &xo::TClassMetaOf<T>::kMeta;
        return r;
    }

private:
    template <class> friend class TClassRef;
    const xo::TClassMeta* fMeta = nullptr;
};

// The class reference of T.
template <class T> TClassRef<T> ClassOf() noexcept {
    return TClassRef<T>::template Of<T>();
}
