// Test helpers for the data model: numbered entities, a controller that records every
// callback as text, and owning handles for lists.
#pragma once

#include "model/xoDataEntityPack.h"

#include <functional>
#include <string>
#include <vector>

namespace mt {

// An entity with a serial number, given before the base AfterCreate reports anything.
struct TTestEntity : TxoDataEntity {
    static inline int sNextId = 0;
    int Id = -1;
    void AfterCreate(TxoDataList* theList) override {
        Id = sNextId++;
        TxoDataEntity::AfterCreate(theList);
    }
};
struct TSubEntity : TTestEntity {};
struct TOtherEntity : TxoDataEntity {};

inline int IdOf(const TxoDataEntity* e) {
    auto* t = dynamic_cast<const TTestEntity*>(e);
    return t ? t->Id : -1;
}

// Records every callback of its controller as "Kind(argument)". Entities are written as
// e<Id> by default, lists by their tag.
class TRecorder {
public:
    TxoListController C;
    std::vector<std::string> Log;
    // Where entries go (Log unless redirected) and what precedes each of them.
    std::vector<std::string>* Sink = &Log;
    std::string Prefix;
    std::function<std::string(TxoDataEntity*)> Name = [](TxoDataEntity* e) {
        return "e" + std::to_string(IdOf(e));
    };
    std::function<std::string(TxoDataList*)> ListName = [](TxoDataList*) { return std::string("L"); };
    // Decides OnUnLoadItem; unset means the callback is not assigned at all.
    std::function<bool(TxoDataEntity*)> Unload;
    // Extra behaviour run after logging, keyed by the kind of callback.
    std::function<void(const std::string& kind, TxoDataEntity* e)> After;

    TRecorder() {
        auto entity = [this](const char* kind) {
            return [this, kind](TxoDataEntity* e) {
                Put(std::string(kind) + "(" + Name(e) + ")");
                if (After) After(kind, e);
            };
        };
        C.SetOnDeleteItem(entity("Delete"));
        C.SetOnInsertItem(entity("Insert"));
        C.SetOnEnterOwnerAfterChange(entity("Enter"));
        C.SetOnLeaveOwnerBeforeChange(entity("Leave"));
        C.SetOnVisibleChanged(entity("Visible"));
        C.SetOnBeforeCanEditItem(entity("CanEdit"));
        C.SetOnInfoPush(entity("Info"));
        C.SetOnLoadItem(entity("Load"));
        C.SetOnHandlePerformedMove([this](TxoDataEntity* e, int o, int n) {
            Put("Move(" + Name(e) + "," + std::to_string(o) + "," + std::to_string(n) + ")");
            if (After) After("Move", e);
        });
        C.SetOnSelectionChanged([this](TxoDataList* l, TxoDataEntity* e) {
            Put("Select(" + ListName(l) + "," + Name(e) + ")");
            if (After) After("Select", e);
        });
        C.SetOnContentChanged([this](TxoDataList* l) {
            Put("Content(" + ListName(l) + ")");
            if (After) After("Content", nullptr);
        });
        C.SetOnUnLoadedContentChanged([this](TxoDataList* l) {
            Put("Unloaded(" + ListName(l) + ")");
            if (After) After("Unloaded", nullptr);
        });
        SetUnloadHandler(nullptr);
    }
    TRecorder(const TRecorder&) = delete;

    // Installs (or, for none, removes) the OnUnLoadItem callback.
    void SetUnloadHandler(std::function<bool(TxoDataEntity*)> decide) {
        Unload = std::move(decide);
        if (!Unload) {
            C.SetOnUnLoadItem(nullptr);
            return;
        }
        C.SetOnUnLoadItem([this](TxoDataEntity* e, bool& can) {
            can = Unload(e);
            Put("Unload?(" + Name(e) + (can ? ",yes" : ",no") + ")");
        });
    }
    void Put(std::string entry) { Sink->push_back(Prefix + std::move(entry)); }
    std::vector<std::string> Take() {
        std::vector<std::string> r;
        r.swap(Log);
        return r;
    }
};

// Frees its list through FreeWheneverPossible unless the list is gone already.
template <class L = TxoDataList> class TOwned {
public:
    explicit TOwned(L* aList) : fWatch(aList) {}
    ~TOwned() {
        if (L* l = fWatch.Get()) l->FreeWheneverPossible();
    }
    TOwned(const TOwned&) = delete;
    L* operator->() const { return fWatch.Get(); }
    L* get() const { return fWatch.Get(); }

private:
    xo::TWatch<L> fWatch;
};

inline TxoDataList* NewList(TRecorder& r, TxoDataEntityClass cls = ClassOf<TTestEntity>()) {
    return xo::NewDataList(ClassOf<TxoDataList>(), &r.C, cls);
}

// Entities of the loaded window, in order.
inline std::vector<int> LoadedIds(TxoDataList* l) {
    std::vector<int> ids;
    for (int p = 0; p < l->LoadedCount(); ++p)
        ids.push_back(IdOf(l->GetLoaded(p)));
    return ids;
}

} // namespace mt
