// Callbacks that raise, and callbacks that free entities or lists while an operation runs:
// the list stays consistent and nothing is freed twice or leaked.
#include "ModelTestKit.h"
#include "model/xoDataTraveser.h"

#include <gtest/gtest.h>

using namespace mt;
using Log = std::vector<std::string>;

namespace {

void ExpectConsistent(TxoDataList* l) {
    ASSERT_EQ(l->Count(), l->UnloadedPreCount() + l->LoadedCount() + l->UnloadedPostCount());
    ASSERT_GE(l->UnloadedPreCount(), 0);
    ASSERT_GE(l->UnloadedPostCount(), 0);
    if (l->LoadedCount() == 0) {
        ASSERT_EQ(l->UnloadedPreCount(), 0);
    }
    for (int p = 0; p < l->LoadedCount(); ++p) {
        TxoDataEntity* e = l->GetLoaded(p);
        ASSERT_EQ(e->OwningDataList(), l);
        ASSERT_EQ(e->ListIndex(), l->UnloadedPreCount() + p);
    }
}

// The list keeps working after the failure.
void ExpectUsable(TxoDataList* l) {
    const int before = l->Count();
    TxoDataEntity* e = l->Add();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(l->Count(), before + 1);
    l->Remove(e);
    EXPECT_EQ(l->Count(), before);
    l->ClearSelections();
    ExpectConsistent(l);
}

} // namespace

TEST(ModelRobustness, ACallbackThatRaisesLeavesTheListConsistent) {
    struct Case {
        const char* kind; // the callback that raises
        std::function<void(TxoDataList*)> act;
        int countAfter; // -1: not checked
    };
    const std::vector<Case> cases = {
        {"Visible", [](TxoDataList* l) { l->Add(); }, 603},
        {"Insert", [](TxoDataList* l) { l->Insert(1); }, 604},
        {"Content", [](TxoDataList* l) { l->Delete(1); }, 602},
        {"Delete", [](TxoDataList* l) { l->Delete(0); }, 602},
        {"Delete", [](TxoDataList* l) { l->Clear(); }, -1},
        {"Delete", [](TxoDataList* l) { l->GetItems(550); }, 603}, // unloading the window
        {"Load", [](TxoDataList* l) { l->GetItems(40); }, 603},
        {"Select", [](TxoDataList* l) { l->GetItems(2)->SetSelected(true); }, 603},
        {"Move", [](TxoDataList* l) { l->GetItems(0)->Move(2); }, 603},
        {"Unloaded", [](TxoDataList* l) { l->AddUnloaded(5); }, 608},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TRecorder r;
        TOwned list(NewList(r));
        for (int i = 0; i < 3; ++i)
            list->Add();
        list->AddUnloaded(600);
        r.SetUnloadHandler([](TxoDataEntity*) { return true; });
        bool armed = true;
        const std::string kind = c.kind;
        r.After = [&](const std::string& k, TxoDataEntity*) {
            if (armed && k == kind) {
                armed = false;
                throw Exception("boom");
            }
        };
        EXPECT_THROW(c.act(list.get()), Exception);
        EXPECT_FALSE(armed);
        ExpectConsistent(list.get());
        if (c.countAfter >= 0) {
            EXPECT_EQ(list->Count(), c.countAfter);
        }
        r.After = nullptr;
        ExpectUsable(list.get());
    }
}

TEST(ModelRobustness, RaisingUnloadHandlerAndComparison) {
    TRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(2000);
    for (int i = 0; i <= 500; ++i)
        list->GetItems(i);
    int asked = 0;
    r.SetUnloadHandler([&](TxoDataEntity*) -> bool {
        if (++asked == 100) throw Exception("no");
        return true;
    });
    EXPECT_THROW(list->GetItems(1500), Exception);
    ExpectConsistent(list.get());
    EXPECT_EQ(list->Count(), 2000);
    EXPECT_EQ(list->LoadedCount(), 501 - 99);

    r.SetUnloadHandler(nullptr);
    const std::vector<int> before = LoadedIds(list.get());
    int compares = 0;
    r.C.SetOnSortCompare([&](TxoDataEntity* a, TxoDataEntity* b) {
        if (++compares == 50) throw Exception("cannot compare");
        return IdOf(b) - IdOf(a);
    });
    EXPECT_THROW(list->Sort(false), Exception);
    ExpectConsistent(list.get());
    EXPECT_EQ(list->LoadedCount(), 2000); // everything was loaded, the order kept
    std::vector<int> now = LoadedIds(list.get());
    EXPECT_TRUE(std::search(now.begin(), now.end(), before.begin(), before.end()) != now.end());
}

TEST(ModelRobustness, FreeingTheListFromItsOwnCleanup) {
    TRecorder r;
    TxoDataList* list = NewList(r);
    for (int i = 0; i < 3; ++i)
        list->Add();
    bool armed = true;
    r.After = [&](const std::string& k, TxoDataEntity*) {
        if (armed && k == "Delete") {
            armed = false;
            throw Exception("boom");
        }
    };
    xo::TWatch<TxoDataList> watch(list);
    EXPECT_THROW(list->FreeWheneverPossible(), Exception);
    ASSERT_TRUE(watch); // not freed: the application may try again
    ExpectConsistent(list);
    r.After = nullptr;
    list->FreeWheneverPossible();
    EXPECT_FALSE(watch);
}

TEST(ModelRobustness, CallbacksThatFreeOtherEntities) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 6; ++i)
        list->Add();
    TxoDataEntity* partner = list->GetItems(4);
    r.After = [&](const std::string& k, TxoDataEntity* e) {
        if (k == "Delete" && partner && e != partner) {
            TxoDataEntity* p = partner;
            partner = nullptr;
            list->Remove(p);
        }
    };
    list->Delete(1);
    EXPECT_EQ(list->Count(), 4);
    ExpectConsistent(list.get());

    // An entity that frees itself again from its own removal callback is freed once.
    r.After = [&](const std::string& k, TxoDataEntity* e) {
        if (k == "Delete") e->FreeWheneverPossible();
    };
    list->Delete(0);
    EXPECT_EQ(list->Count(), 3);
    // Freed directly while in the list: leaves it as Remove would.
    r.After = nullptr;
    r.Take();
    TxoDataEntity* e = list->GetItems(1);
    const std::string n = r.Name(e);
    e->FreeWheneverPossible();
    EXPECT_EQ(r.Take(), (Log{"Delete(" + n + ")", "Content(L)"}));
    EXPECT_EQ(list->Count(), 2);
    ExpectConsistent(list.get());
    // Deleted through its TObject base: the list forgets it.
    delete static_cast<TObject*>(list->GetItems(0));
    EXPECT_EQ(list->Count(), 1);
    ExpectConsistent(list.get());
}

TEST(ModelRobustness, ClearAndClearSelectionsWhileCallbacksRemoveEntities) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 10; ++i)
        list->Add()->SetSelected(true);
    // Each deselection deletes the entity after it.
    r.After = [&](const std::string& k, TxoDataEntity* e) {
        if (k == "Select" && !e->Selected()) list->Delete(e->ListIndex() + 1);
    };
    list->ClearSelections();
    ExpectConsistent(list.get());
    for (int p = 0; p < list->LoadedCount(); ++p)
        EXPECT_FALSE(list->GetLoaded(p)->Selected());
    EXPECT_EQ(list->Count(), 5);
    // Each removal during Clear removes the first entity as well.
    r.After = [&](const std::string& k, TxoDataEntity*) {
        if (k == "Delete" && list->Count() > 0) list->Delete(0);
    };
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
}

TEST(ModelRobustness, LoadingCallbacksThatUnloadOrFreeTheRun) {
    TRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(3000);
    list->GetItems(1000);
    r.SetUnloadHandler([](TxoDataEntity*) { return true; });
    int loads = 0;
    // The first entity filled jumps far away, which unloads the rest of its own run.
    r.C.SetOnLoadItem([&](TxoDataEntity*) {
        if (++loads == 1) list->GetItems(2900);
    });
    TxoDataEntity* e = list->GetItems(1100);
    EXPECT_EQ(e, nullptr); // the run is gone again
    ExpectConsistent(list.get());
    EXPECT_TRUE(list->IsLoaded(2900));
    // A filling callback that frees the entity it fills.
    r.C.SetOnLoadItem([&](TxoDataEntity* x) { list->Remove(x); });
    EXPECT_EQ(list->GetItems(10), nullptr);
    ExpectConsistent(list.get());
    EXPECT_EQ(list->Count(), 2999);
}

TEST(ModelRobustness, UnloadHandlerThatFreesTheAskedEntity) {
    TRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(1000);
    for (int i = 0; i <= 500; ++i)
        list->GetItems(i);
    bool removed = false;
    r.C.SetOnUnLoadItem([&](TxoDataEntity* e, bool& can) {
        can = true;
        if (e->ListIndex() == 3 && !removed) {
            removed = true;
            list->Remove(e);
        }
    });
    list->GetItems(800);
    EXPECT_EQ(list->Count(), 999);
    EXPECT_EQ(list->LoadedCount(), 1);
    ExpectConsistent(list.get());
}

TEST(ModelRobustness, CallbacksThatFreeTheListItself) {
    TRecorder r;
    TxoDataList* list = NewList(r);
    for (int i = 0; i < 3; ++i)
        list->Add();
    xo::TWatch<TxoDataList> watch(list);
    bool freeing = false;
    r.After = [&](const std::string& k, TxoDataEntity*) {
        if (k == "Delete" && !freeing && watch) {
            freeing = true;
            watch->FreeWheneverPossible();
        }
    };
    list->Delete(1);
    EXPECT_FALSE(watch);

    // The same from a sort comparison, a loading callback and a selection change.
    for (const std::string kind : {"Load", "Select", "Compare"}) {
        SCOPED_TRACE(kind);
        TRecorder q;
        TxoDataList* l = NewList(q);
        xo::TWatch<TxoDataList> w(l);
        l->Add();
        l->Add();
        l->AddUnloaded(5);
        auto killer = [&w] {
            if (w) w->FreeWheneverPossible();
        };
        if (kind == "Load") {
            q.C.SetOnLoadItem([&](TxoDataEntity*) { killer(); });
            EXPECT_EQ(l->GetItems(6), nullptr);
        } else if (kind == "Select") {
            l->GetItems(0)->SetSelected(true);
            l->GetItems(1)->SetSelected(true);
            q.C.SetOnSelectionChanged([&](TxoDataList*, TxoDataEntity*) { killer(); });
            l->ClearSelections();
        } else {
            q.C.SetOnSortCompare([&](TxoDataEntity*, TxoDataEntity*) {
                killer();
                return 0;
            });
            EXPECT_THROW(l->Sort(false), Exception);
        }
        EXPECT_FALSE(w);
    }
}

TEST(ModelRobustness, ACallbackMayReplaceItselfWhileRunning) {
    TRecorder r;
    TOwned list(NewList(r));
    int calls = 0;
    r.C.SetOnInsertItem([&](TxoDataEntity*) {
        std::string padding(64, 'x'); // keeps the replaced callback's state alive only if copied
        ++calls;
        r.C.SetOnInsertItem(nullptr);
        EXPECT_EQ(padding.size(), 64u);
    });
    list->Add();
    list->Add();
    EXPECT_EQ(calls, 1);
}

TEST(ModelRobustness, ListsOfListsForgetFreedLists) {
    TRecorder r;
    TxoDataList* a = NewList(r);
    TxoDataList* b = NewList(r);
    a->Add();
    b->Add();
    b->Add();
    TOwned<TxoDataList2lev> two(new TxoDataList2lev());
    two->AfterCreate();
    two->Add(a);
    two->Add(b);
    TOwned<TxoDataList3lev> three(new TxoDataList3lev());
    three->AfterCreate();
    three->Add(two.get());
    three->Add(two.get());
    a->FreeWheneverPossible();
    EXPECT_EQ(two->Count(), 2);
    EXPECT_EQ(two->GetDataList(0), nullptr);
    EXPECT_EQ(two->GetDataList(1), b);
    int seen = 0;
    auto t = TDataListTrav::CreateMultiList(three.get());
    for (t.First(); !t.Eof(); t.Next()) {
        EXPECT_EQ(t.DataEntity()->OwningDataList(), b);
        ++seen;
    }
    EXPECT_EQ(seen, 4);
    two.get()->FreeWheneverPossible();
    EXPECT_EQ(three->Count(), 2);
    EXPECT_EQ(three->GetDataListList(0), nullptr);
    b->FreeWheneverPossible();
}
