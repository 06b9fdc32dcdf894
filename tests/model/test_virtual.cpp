// Virtual content: loading on demand, the 501-entity window, unloading through the controller.
#include "ModelTestKit.h"

#include <gtest/gtest.h>

using namespace mt;
using Log = std::vector<std::string>;

namespace {

void ExpectWindow(TxoDataList* l, int pre, int loaded, int post) {
    EXPECT_EQ(l->UnloadedPreCount(), pre);
    EXPECT_EQ(l->LoadedCount(), loaded);
    EXPECT_EQ(l->UnloadedPostCount(), post);
    for (int p = 0; p < l->LoadedCount(); ++p)
        ASSERT_EQ(l->GetLoaded(p)->ListIndex(), pre + p);
}

// Names entities by list index, which is what the loading rules speak of.
struct TIndexRecorder : TRecorder {
    TIndexRecorder() {
        Name = [](TxoDataEntity* e) { return std::to_string(e->ListIndex()); };
    }
};

Log Only(const Log& log, const std::string& kind) {
    Log r;
    for (const std::string& s : log)
        if (s.rfind(kind, 0) == 0) r.push_back(s);
    return r;
}

} // namespace

TEST(VirtualList, LoadsOnDemandAroundTheWindow) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(1000);
    EXPECT_EQ(r.Take(), (Log{"Content(L)", "Unloaded(L)"}));
    EXPECT_EQ(list->Count(), 1000);
    EXPECT_EQ(list->LoadedCount(), 0);

    TxoDataEntity* e = list->GetItems(600);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ListIndex(), 600);
    ExpectWindow(list.get(), 600, 1, 399);
    EXPECT_EQ(r.Take(), (Log{"Visible(-1)", "Load(600)"}));

    list->GetItems(603); // the gap behind the window, nearest first
    ExpectWindow(list.get(), 600, 4, 396);
    EXPECT_EQ(Only(r.Take(), "Load"), (Log{"Load(601)", "Load(602)", "Load(603)"}));

    list->GetItems(598); // the gap in front, nearest first, placed in ascending order
    ExpectWindow(list.get(), 598, 6, 396);
    EXPECT_EQ(Only(r.Take(), "Load"), (Log{"Load(599)", "Load(598)"}));
    EXPECT_EQ(list->Count(), 1000);
}

TEST(VirtualList, AFullWindowMovesWhenTheControllerAgrees) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(2000);
    list->GetItems(100);
    list->GetItems(600); // 501 entities: 100..600
    ExpectWindow(list.get(), 100, 501, 1399);
    r.SetUnloadHandler([](TxoDataEntity*) { return true; });
    r.Take();
    list->GetItems(601);
    ExpectWindow(list.get(), 601, 1, 1398);
    const Log log = r.Take();
    EXPECT_EQ(Only(log, "Unload?").size(), 501u);
    EXPECT_EQ(Only(log, "Delete").size(), 501u);
    EXPECT_EQ(Only(log, "Load"), (Log{"Load(601)"}));
    // The first asked is the window's first entity, then its last.
    EXPECT_EQ(Only(log, "Unload?")[0], "Unload?(100,yes)");
    EXPECT_EQ(Only(log, "Unload?")[1], "Unload?(101,yes)");
}

TEST(VirtualList, ARefusingControllerKeepsTheWindowWhole) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(2000);
    for (int i = 0; i <= 500; ++i)
        list->GetItems(i);
    ExpectWindow(list.get(), 0, 501, 1499);
    // Only entity 250 must stay: the purge stops there from both ends.
    r.SetUnloadHandler([](TxoDataEntity* e) { return e->ListIndex() != 250; });
    TxoDataEntity* far = list->GetItems(900);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(far->ListIndex(), 900);
    // The gap is measured from where the window ended after the purge: 251..900 joins 250.
    ExpectWindow(list.get(), 250, 651, 1099);
    EXPECT_EQ(list->Count(), 2000);
}

TEST(VirtualList, NoUnloadHandlerMeansNothingIsUnloaded) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(50);
    for (int i = 10; i < 20; ++i)
        list->GetItems(i);
    list->GetItems(12)->SetSelected(true);
    r.Take();
    list->UnloadAll();
    EXPECT_EQ(r.Take(), (Log{"Select(L,12)"}));
    ExpectWindow(list.get(), 10, 10, 30);
    // Past 501 the window simply grows.
    list->AddUnloaded(1000);
    list->GetItems(1040);
    ExpectWindow(list.get(), 10, 1031, 9);
}

TEST(VirtualList, DeletingUnloadedEntities) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(100);
    for (int i = 40; i < 45; ++i)
        list->GetItems(i);
    r.Take();
    list->Delete(3); // in front: everything loaded moves up by one, silently
    ExpectWindow(list.get(), 39, 5, 55);
    list->Delete(90); // behind
    ExpectWindow(list.get(), 39, 5, 54);
    EXPECT_TRUE(r.Take().empty());
    EXPECT_EQ(list->Count(), 98);
    // Deleting the whole window moves every unloaded entity behind it.
    for (int i = 0; i < 5; ++i)
        list->Delete(39);
    ExpectWindow(list.get(), 0, 0, 93);
}

TEST(VirtualList, InsertAndAddJoinTheWindow) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(10);
    TxoDataEntity* added = list->Add(); // loads the last entity first
    EXPECT_EQ(added->ListIndex(), 10);
    ExpectWindow(list.get(), 9, 2, 0);
    TxoDataEntity* inserted = list->Insert(4); // loads 4..8 in front
    EXPECT_EQ(inserted->ListIndex(), 4);
    ExpectWindow(list.get(), 4, 8, 0);
    EXPECT_EQ(list->Count(), 12);
}

TEST(VirtualList, UnloadTakesOnlyTheEndsOfTheWindow) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(10);
    for (int i = 3; i < 7; ++i)
        list->GetItems(i);
    r.Take();
    list->Unload(3, true);
    EXPECT_EQ(r.Take(), (Log{"Delete(3)", "Content(L)"}));
    list->Unload(6, false);
    ExpectWindow(list.get(), 4, 2, 4);
    list->Unload(0, true); // not loaded: nothing
    EXPECT_THROW(list->Unload(5, true), EListError);
    ExpectWindow(list.get(), 4, 2, 4);
}

TEST(VirtualList, MovingFarKeepsTheMovingEntity) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(5000);
    for (int i = 0; i < 10; ++i)
        list->GetItems(i);
    r.SetUnloadHandler([](TxoDataEntity*) { return true; });
    TxoDataEntity* moving = list->GetItems(5);
    moving->SetUserIntegerReference(77);
    r.Take();
    moving->Move(4000);
    EXPECT_EQ(moving->ListIndex(), 4000);
    EXPECT_EQ(moving->UserIntegerReference(), 77);
    EXPECT_EQ(list->GetItems(4000), moving);
    EXPECT_EQ(list->Count(), 5000);
    const Log log = r.Take();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Move(4000,5,4000)");
    for (int p = 0; p < list->LoadedCount(); ++p)
        ASSERT_EQ(list->GetLoaded(p)->ListIndex(), list->UnloadedPreCount() + p);
}

TEST(VirtualList, SortLoadsEverything) {
    TRecorder r;
    TOwned list(NewList(r));
    r.C.SetOnLoadItem([](TxoDataEntity* e) { e->SetUserIntegerReference((e->ListIndex() * 7919) % 700); });
    list->AddUnloaded(700);
    list->GetItems(300);
    r.SetUnloadHandler([](TxoDataEntity*) { return true; });
    r.C.SetOnSortCompare([](TxoDataEntity* a, TxoDataEntity* b) {
        return a->UserIntegerReference() - b->UserIntegerReference();
    });
    list->Sort(false);
    ASSERT_EQ(list->LoadedCount(), 700);
    for (int i = 0; i < 700; ++i) {
        ASSERT_EQ(list->GetLoaded(i)->UserIntegerReference(), i);
        ASSERT_EQ(list->GetLoaded(i)->ListIndex(), i);
    }
}

TEST(VirtualList, ClearForgetsTheUnloaded) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(10);
    list->GetItems(5);
    r.Take();
    list->Clear();
    EXPECT_EQ(r.Take(), (Log{"Delete(5)", "Content(L)", "Unloaded(L)"}));
    ExpectWindow(list.get(), 0, 0, 0);
}

TEST(VirtualList, LoadItemsNeedsARunNextToTheWindow) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(20);
    list->LoadItems(5, 7, false); // anywhere while nothing is loaded
    ExpectWindow(list.get(), 5, 3, 12);
    EXPECT_THROW(list->LoadItems(10, 11, false), EListError);
    EXPECT_THROW(list->LoadItems(0, 3, true), EListError);
    EXPECT_THROW(list->LoadItems(8, 25, false), EListError);
    list->LoadItems(3, 4, true);
    list->LoadItems(8, 8, false);
    ExpectWindow(list.get(), 3, 6, 11);
    list->LoadItems(9, 2, false); // empty run
    ExpectWindow(list.get(), 3, 6, 11);
}

TEST(VirtualList, HugeCountsAreRefused) {
    TIndexRecorder r;
    TOwned list(NewList(r));
    list->AddUnloaded(2147483000);
    EXPECT_THROW(list->AddUnloaded(1000), Exception);
    EXPECT_EQ(list->Count(), 2147483000);
    TxoDataEntity* last = list->GetItems(2147482999);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->ListIndex(), 2147482999);
    ExpectWindow(list.get(), 2147482999, 1, 0);
}
