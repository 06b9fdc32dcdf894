// Data lists without virtual content: callbacks and their order, indexes, bad input, sorting,
// selection and visibility.
#include "ModelTestKit.h"

#include <gtest/gtest.h>

using namespace mt;
using Log = std::vector<std::string>;

namespace {

// The invariants every list keeps after every operation, callbacks raising or not.
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
        ASSERT_EQ(e->ListIndex(), l->UnloadedPreCount() + p) << "position " << p;
        ASSERT_EQ(l->IndexOf(e), l->UnloadedPreCount() + p);
    }
}

struct TSelectedOnCreate : TTestEntity {
    void AfterCreate(TxoDataList* l) override {
        TTestEntity::AfterCreate(l);
        SetSelected(true);
    }
};

} // namespace

TEST(DataList, NewListAndFirstAdd) {
    TRecorder r;
    TOwned list(NewList(r));
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->GetItems(0), nullptr);
    r.Take();
    TxoDataEntity* e = list->Add();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(r.Take(), (Log{"Visible(" + r.Name(e) + ")", "Insert(" + r.Name(e) + ")", "Content(L)"}));
    EXPECT_EQ(e->ListIndex(), 0);
    EXPECT_TRUE(e->Visible());
    EXPECT_FALSE(e->Selected());
    EXPECT_FALSE(e->CanEdit());
    EXPECT_EQ(e->OwningDataList(), list.get());
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(list->GetItems(0), e);
}

// Each operation's callbacks, in order. Entities are named by their list index at the time of
// the callback (-1 while being created).
TEST(DataList, CallbacksOfEachOperation) {
    struct Case {
        const char* name;
        std::function<void(TxoDataList*, TRecorder&)> act;
        Log expected;
    };
    auto sortById = [](TxoDataEntity* a, TxoDataEntity* b) { return IdOf(b) - IdOf(a); };
    const std::vector<Case> cases = {
        {"Insert in the middle",
         [](TxoDataList* l, TRecorder&) { l->Insert(1); },
         {"Visible(-1)", "Insert(1)", "Content(L)"}},
        {"Delete loaded", [](TxoDataList* l, TRecorder&) { l->Delete(1); }, {"Delete(1)", "Content(L)"}},
        {"Remove",
         [](TxoDataList* l, TRecorder&) { l->Remove(l->GetItems(2)); },
         {"Delete(2)", "Content(L)"}},
        {"Clear",
         [](TxoDataList* l, TRecorder&) { l->Clear(); },
         {"Delete(2)", "Content(L)", "Delete(1)", "Content(L)", "Delete(0)", "Content(L)", "Unloaded(L)"}},
        {"AddUnloaded", [](TxoDataList* l, TRecorder&) { l->AddUnloaded(5); }, {"Content(L)", "Unloaded(L)"}},
        {"Selected",
         [](TxoDataList* l, TRecorder&) {
             l->GetItems(1)->SetSelected(true);
             l->GetItems(1)->SetSelected(true); // unchanged: silent
         },
         {"Select(L,1)"}},
        {"Visible",
         [](TxoDataList* l, TRecorder&) {
             l->GetItems(0)->SetVisible(false);
             l->GetItems(0)->SetVisible(false);
         },
         {"Visible(0)"}},
        {"CanEdit", [](TxoDataList* l, TRecorder&) { l->GetItems(2)->CanEdit(); }, {"CanEdit(2)"}},
        {"DoInfoPush", [](TxoDataList* l, TRecorder&) { l->GetItems(2)->DoInfoPush(); }, {"Info(2)"}},
        {"Move", [](TxoDataList* l, TRecorder&) { l->GetItems(0)->Move(2); }, {"Move(2,0,2)"}},
        {"Sort",
         [&](TxoDataList* l, TRecorder& r) {
             r.C.SetOnSortCompare(sortById);
             l->Sort(false);
         },
         {"Content(L)"}},
        {"Sort without compare", [](TxoDataList* l, TRecorder&) { l->Sort(true); }, {}},
        {"ClearSelections",
         [](TxoDataList* l, TRecorder&) {
             l->GetItems(0)->SetSelected(true);
             l->GetItems(2)->SetSelected(true);
             l->ClearSelections();
         },
         {"Select(L,0)", "Select(L,2)", "Select(L,0)", "Select(L,2)"}},
        {"Free the list",
         [](TxoDataList* l, TRecorder&) { l->FreeWheneverPossible(); },
         {"Delete(0)", "Content(L)", "Delete(1)", "Content(L)", "Delete(2)", "Content(L)"}},
        {"Free an entity directly",
         [](TxoDataList* l, TRecorder&) { l->GetItems(1)->FreeWheneverPossible(); },
         {"Delete(1)", "Content(L)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRecorder r;
        r.Name = [](TxoDataEntity* e) { return std::to_string(e->ListIndex()); };
        TOwned list(NewList(r));
        for (int i = 0; i < 3; ++i)
            list->Add();
        r.Take();
        c.act(list.get(), r);
        EXPECT_EQ(r.Take(), c.expected);
        if (list.get()) ExpectConsistent(list.get());
    }
}

TEST(DataList, InsertOfAnEntityThatAfterCreateLeftSelected) {
    TRecorder r;
    TOwned list(NewList(r, ClassOf<TSelectedOnCreate>()));
    TxoDataEntity* e = list->Add();
    const std::string n = r.Name(e);
    // Selected during AfterCreate (not yet in the list), then restored after the insert.
    EXPECT_EQ(r.Take(), (Log{"Visible(" + n + ")", "Select(L," + n + ")", "Insert(" + n + ")", "Content(L)",
                             "Select(L," + n + ")"}));
    EXPECT_TRUE(e->Selected());
}

TEST(DataList, ChangeOwnerReportsToBothControllers) {
    Log shared;
    TRecorder ra, rb;
    ra.Sink = rb.Sink = &shared;
    ra.Prefix = "A:";
    rb.Prefix = "B:";
    ra.ListName = [](TxoDataList*) { return std::string("A"); };
    rb.ListName = [](TxoDataList*) { return std::string("B"); };
    TOwned a(NewList(ra)), b(NewList(rb));
    for (int i = 0; i < 3; ++i)
        a->Add();
    b->Add();
    TxoDataEntity* moving = a->GetItems(1);
    moving->SetUserIntegerReference(42);
    shared.clear();
    moving->ChangeOwner(b.get(), 0);
    const std::string n = ra.Name(moving);
    EXPECT_EQ(shared, (Log{"A:Leave(" + n + ")", "B:Enter(" + n + ")", "B:Content(B)", "A:Content(A)"}));
    EXPECT_EQ(moving->OwningDataList(), b.get());
    EXPECT_EQ(moving->UserIntegerReference(), 42);
    EXPECT_EQ(a->Count(), 2);
    EXPECT_EQ(b->Count(), 2);
    EXPECT_EQ(b->GetItems(0), moving);
    ExpectConsistent(a.get());
    ExpectConsistent(b.get());
}

TEST(DataList, ChangeOwnerThatDoesNothing) {
    TRecorder r;
    TOwned a(NewList(r)), sub(NewList(r, ClassOf<TSubEntity>())), other(NewList(r, ClassOf<TOtherEntity>()));
    TxoDataEntity* e = a->Add();
    sub->Add();
    r.Take();
    e->ChangeOwner(other.get(), 0); // unrelated entity class
    e->ChangeOwner(sub.get(), 0);   // TTestEntity is not a TSubEntity
    e->ChangeOwner(a.get(), 0);     // its own list
    e->ChangeOwner(nullptr, 0);
    EXPECT_TRUE(r.Take().empty());
    EXPECT_EQ(e->OwningDataList(), a.get());
    // The other way round, a descendant is welcome in a list of its base class.
    TxoDataEntity* s = sub->GetItems(0);
    s->ChangeOwner(a.get(), 1);
    EXPECT_EQ(s->OwningDataList(), a.get());
    EXPECT_EQ(s->ListIndex(), 1);
}

TEST(DataList, BadIndexes) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 3; ++i)
        list->Add();
    TOwned other(NewList(r));
    TxoDataEntity* foreign = other->Add();
    r.Take();
    struct Case {
        const char* name;
        std::function<void()> act;
        bool raises;
    };
    TxoDataList* l = list.get();
    const std::vector<Case> cases = {
        {"GetItems(-1)", [&] { EXPECT_EQ(l->GetItems(-1), nullptr); }, false},
        {"GetItems(Count)", [&] { EXPECT_EQ(l->GetItems(3), nullptr); }, false},
        {"EnsureLoadedItem(Count)", [&] { EXPECT_EQ(l->EnsureLoadedItem(3), nullptr); }, false},
        {"Delete(-1)", [&] { l->Delete(-1); }, false},
        {"Delete(Count)", [&] { l->Delete(3); }, false},
        {"Remove(none)", [&] { l->Remove(nullptr); }, false},
        {"Remove(foreign)", [&] { l->Remove(foreign); }, false},
        {"IndexOf(foreign)", [&] { EXPECT_EQ(l->IndexOf(foreign), -1); }, false},
        {"ValidIndexDataEntity",
         [&] { EXPECT_FALSE(l->ValidIndexDataEntity(3) || l->ValidIndexDataEntity(-1)); }, false},
        {"ListIndexToVisibleIndex(-1)", [&] { EXPECT_EQ(l->ListIndexToVisibleIndex(-1), -1); }, false},
        {"VisibleIndexToListIndex(9)", [&] { EXPECT_EQ(l->VisibleIndexToListIndex(9), -1); }, false},
        {"AddUnloaded(-1)", [&] { l->AddUnloaded(-1); }, false},
        {"LoadItems on a full list", [&] { l->LoadItems(0, 0, true); }, true},
        {"Unload in the middle", [&] { l->Unload(1, true); }, true},
        {"GetLoaded(-1)", [&] { l->GetLoaded(-1); }, true},
        {"GetLoaded(LoadedCount)", [&] { l->GetLoaded(3); }, true},
        {"Move(-1)", [&] { l->GetItems(0)->Move(-1); }, true},
        {"Move(Count)", [&] { l->GetItems(0)->Move(3); }, true},
        {"Insert(-1)", [&] { l->Insert(-1); }, true},
        {"Insert(Count+1)", [&] { l->Insert(4); }, true},
        {"InsertItem(LoadedCount+1)", [&] { l->InsertItem(4); }, true},
        {"ChangeOwner past the window", [&] { l->GetItems(0)->ChangeOwner(other.get(), 5); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.raises)
            EXPECT_THROW(c.act(), EListError);
        else
            EXPECT_NO_THROW(c.act());
        EXPECT_TRUE(r.Take().empty());
        EXPECT_EQ(l->Count(), 3);
        ExpectConsistent(l);
    }
}

TEST(DataList, ListIndexesAfterBatchesOfChanges) {
    TxoListController none; // no callbacks: only the indexes matter here
    TOwned list(xo::NewDataList(ClassOf<TxoDataList>(), &none, ClassOf<TTestEntity>()));
    for (int i = 0; i < 50; ++i)
        list->Add();
    std::vector<TxoDataEntity*> front;
    for (int i = 0; i < 20; ++i)
        front.push_back(list->Insert(0));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(front[size_t(i)]->ListIndex(), 19 - i);
    ExpectConsistent(list.get());
    // Mixed: inserts in the middle, deletes at both ends and in the middle, moves, then one read.
    list->Insert(30);
    list->Delete(0);
    list->Delete(list->Count() - 1);
    list->Delete(10);
    list->GetItems(5)->Move(40);
    list->GetItems(44)->Move(2);
    list->Insert(list->Count());
    list->Remove(list->GetItems(0));
    ExpectConsistent(list.get());
    EXPECT_EQ(list->Count(), 68);
}

TEST(DataList, SortAscendingAndDescending) {
    TRecorder r;
    TOwned list(NewList(r));
    const std::vector<int> keys = {5, 3, 9, 1, 7, 3};
    for (int k : keys)
        list->Add()->SetUserIntegerReference(k);
    r.C.SetOnSortCompare([](TxoDataEntity* a, TxoDataEntity* b) {
        return a->UserIntegerReference() - b->UserIntegerReference();
    });
    auto keysNow = [&] {
        std::vector<int> v;
        for (int i = 0; i < list->Count(); ++i)
            v.push_back(list->GetItems(i)->UserIntegerReference());
        return v;
    };
    list->Sort(false);
    EXPECT_EQ(keysNow(), (std::vector<int>{1, 3, 3, 5, 7, 9}));
    ExpectConsistent(list.get());
    list->Sort(true);
    EXPECT_EQ(keysNow(), (std::vector<int>{9, 7, 5, 3, 3, 1}));
    ExpectConsistent(list.get());
}

TEST(DataList, SortSurvivesAComparisonThatIsNotAnOrder) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 300; ++i)
        list->Add();
    unsigned state = 12345;
    r.C.SetOnSortCompare([&](TxoDataEntity*, TxoDataEntity*) {
        state = state * 1103515245u + 12345u;
        return int(state >> 16) % 3 - 1;
    });
    list->Sort(false);
    EXPECT_EQ(list->Count(), 300);
    ExpectConsistent(list.get());
    std::vector<int> ids = LoadedIds(list.get());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()); // each entity once
}

TEST(DataList, SelectionIteratorsAndFind) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 6; ++i)
        list->Add()->SetUserIntegerReference(i * 10);
    list->GetItems(1)->SetSelected(true);
    list->GetItems(4)->SetSelected(true);
    std::vector<int> seen;
    list->IteratorOfSelectedDataEntities([&](TxoDataList* l, TxoDataEntity* e) {
        EXPECT_EQ(l, list.get());
        seen.push_back(e->ListIndex());
    });
    EXPECT_EQ(seen, (std::vector<int>{1, 4}));
    EXPECT_EQ(list->FindDataEntity([](TxoDataEntity* e) { return e->UserIntegerReference() > 25; }),
              list->GetItems(3));
    EXPECT_EQ(list->FindDataEntity([](TxoDataEntity*) { return false; }), nullptr);
    EXPECT_EQ(list->FindDataEntity(nullptr), nullptr);
}

TEST(DataList, VisibleIndexes) {
    TRecorder r;
    TOwned list(NewList(r));
    for (int i = 0; i < 5; ++i)
        list->Add();
    list->GetItems(0)->SetVisible(false);
    list->GetItems(1)->SetVisible(false);
    list->GetItems(3)->SetVisible(false);
    EXPECT_EQ(list->VisibleIndexToListIndex(0), 2);
    EXPECT_EQ(list->ListIndexToVisibleIndex(2), 0);
    EXPECT_EQ(list->VisibleIndexToListIndex(1), 4);
    EXPECT_EQ(list->ListIndexToVisibleIndex(4), 1);
    EXPECT_EQ(list->ListIndexToVisibleIndex(0), -1);
    EXPECT_EQ(list->VisibleIndexToListIndex(2), -1);
    EXPECT_EQ(list->VisibleCount(), 2);
    EXPECT_TRUE(list->VisibleIndexDataEntity(2));
    EXPECT_FALSE(list->VisibleIndexDataEntity(3));
}

TEST(DataList, CanEditCanBeDecidedByTheComponent) {
    TRecorder r;
    TOwned list(NewList(r));
    TxoDataEntity* e = list->Add();
    r.After = [](const std::string& kind, TxoDataEntity* x) {
        if (kind == "CanEdit") x->SetCanEdit(true);
    };
    EXPECT_TRUE(e->CanEdit());
}

TEST(DataList, ReferencesOfTheApplication) {
    TRecorder r;
    TOwned list(NewList(r));
    TxoDataEntity* e = list->Add();
    int payload = 0;
    e->SetUserReference(&payload);
    e->SetUserIntegerReference(-7);
    e->SetUserVariantReference(std::string("text"));
    EXPECT_EQ(e->UserReference(), &payload);
    EXPECT_EQ(e->UserIntegerReference(), -7);
    EXPECT_EQ(std::any_cast<std::string>(e->UserVariantReference()), "text");
    list->SetMiscObjectPointer(list.get());
    EXPECT_EQ(list->MiscObjectPointer(), list.get());
}
