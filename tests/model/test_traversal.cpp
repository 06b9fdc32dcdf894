// Lists of lists, their selection operations, and traversal in its three modes.
#include "ModelTestKit.h"
#include "model/xoDataTraveser.h"

#include <gtest/gtest.h>

#include <memory>

using namespace mt;

namespace {

// Lists with the given numbers of entities, each entity named "<list>.<index>" through its
// integer reference (list * 100 + index), gathered in a 2lev.
struct TLayers {
    TRecorder r;
    std::vector<TxoDataList*> lists;
    TOwned<TxoDataList2lev> two{new TxoDataList2lev()};
    explicit TLayers(std::vector<int> counts) {
        two->AfterCreate();
        for (size_t li = 0; li < counts.size(); ++li) {
            TxoDataList* l = NewList(r);
            for (int i = 0; i < counts[li]; ++i)
                l->Add()->SetUserIntegerReference(int(li) * 100 + i);
            lists.push_back(l);
            two->Add(l);
        }
    }
    ~TLayers() {
        for (TxoDataList* l : lists)
            l->FreeWheneverPossible();
    }
};

std::vector<int> Forward(TDataListTrav& t) {
    std::vector<int> v;
    for (t.First(); !t.Eof(); t.Next())
        v.push_back(t.DataEntity()->UserIntegerReference());
    return v;
}

std::vector<int> Backward(TDataListTrav& t) {
    std::vector<int> v;
    for (t.Last(); !t.BOF(); t.Prev())
        v.push_back(t.DataEntity()->UserIntegerReference());
    return v;
}

} // namespace

TEST(Traversal, WalksInEachModeAndOrder) {
    struct Case {
        const char* name;
        std::vector<int> counts;
        std::function<std::unique_ptr<TDataListTrav>(TLayers&)> make;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"multi skips empty lists",
         {2, 0, 3},
         [](TLayers& s) { return std::make_unique<TDataListTrav>(s.two.get()); },
         {0, 1, 200, 201, 202}},
        {"mid start wraps round",
         {1, 1, 1, 1},
         [](TLayers& s) { return std::make_unique<TDataListTrav>(s.two.get(), 2); },
         {200, 300, 0, 100}},
        {"drawing order",
         {1, 1, 1},
         [](TLayers& s) {
             return std::make_unique<TDataListTrav>(s.two.get(), std::initializer_list<int>{2, -1, 0});
         },
         {200, 0}},
        {"drawing order longer than the lists",
         {1, 2},
         [](TLayers& s) {
             return std::make_unique<TDataListTrav>(s.two.get(), std::initializer_list<int>{1, 0, 1, 0});
         },
         {100, 101, 0}},
        {"drawing order past eleven entries",
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         [](TLayers& s) {
             return std::make_unique<TDataListTrav>(
                 s.two.get(), std::initializer_list<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 5});
         },
         {1200, 1100, 1000, 900, 800, 700, 600, 500, 400, 300, 200, 100, 0}},
        {"single list",
         {3, 4},
         [](TLayers& s) { return std::make_unique<TDataListTrav>(s.lists[1]); },
         {100, 101, 102, 103}},
        {"all empty", {0, 0}, [](TLayers& s) { return std::make_unique<TDataListTrav>(s.two.get()); }, {}},
        {"no lists", {}, [](TLayers& s) { return std::make_unique<TDataListTrav>(s.two.get()); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLayers s(c.counts);
        auto t = c.make(s);
        EXPECT_EQ(Forward(*t), c.expected);
        std::vector<int> reversed(c.expected.rbegin(), c.expected.rend());
        EXPECT_EQ(Backward(*t), reversed);
        t->First();
        EXPECT_EQ(t->Eof(), c.expected.empty());
        t->Last();
        EXPECT_EQ(t->BOF(), c.expected.empty());
    }
}

TEST(Traversal, MultiListVisitsEachLevelInOrder) {
    TLayers first({2, 1});
    TLayers second({0, 3});
    TOwned<TxoDataList3lev> three(new TxoDataList3lev());
    three->AfterCreate();
    three->Add(first.two.get());
    three->Add(second.two.get());
    auto t = TDataListTrav::CreateMultiList(three.get());
    EXPECT_EQ(Forward(t), (std::vector<int>{0, 1, 100, 100, 101, 102}));
    EXPECT_EQ(t.Mode(), trmMultiList);
}

TEST(Traversal, CallerErrorsRaise) {
    TLayers s({2});
    auto t = TDataListTrav::CreateMulti(s.two.get());
    t.First();
    t.Next();
    t.Next();
    ASSERT_TRUE(t.Eof());
    EXPECT_THROW(t.DataEntity(), EListError);
    EXPECT_THROW(t.Next(), EListError);
    EXPECT_THROW(t.GetObsCountInList(1), EListError);
    t.Prev(); // back onto the last entity
    EXPECT_EQ(t.DataEntity()->UserIntegerReference(), 1);
    t.Last();
    t.Prev();
    t.Prev();
    ASSERT_TRUE(t.BOF());
    EXPECT_THROW(t.DataEntity(), EListError);
    t.Prev(); // harmless
    EXPECT_TRUE(t.BOF());
    EXPECT_THROW(TDataListTrav::CreateMultiWithMidStart(s.two.get(), 1), EListError);
    EXPECT_THROW(TDataListTrav::CreateMultiWithMidStart(s.two.get(), -1), EListError);
}

TEST(Traversal, CountsAreReadLiveAndUnloadedEntitiesLoad) {
    TLayers s({2, 2});
    s.lists[0]->AddUnloaded(3);
    s.lists[1]->GetItems(0)->SetUserIntegerReference(7);
    auto t = TDataListTrav::CreateMulti(s.two.get());
    int n = 0;
    for (t.First(); !t.Eof(); t.Next()) {
        ASSERT_NE(t.DataEntity(), nullptr);
        if (n == 0) s.lists[1]->Add(); // grows a later list during the walk
        ++n;
    }
    EXPECT_EQ(n, 5 + 3);
    EXPECT_EQ(s.lists[0]->LoadedCount(), 5);
    // A list emptied during the walk is passed over.
    t.First();
    s.lists[1]->Clear();
    int m = 0;
    for (; !t.Eof(); t.Next())
        ++m;
    EXPECT_EQ(m, 5);
}

TEST(ListOfLists, MembershipAndIndexes) {
    TLayers s({1, 1, 1});
    TxoDataList2lev* two = s.two.get();
    two->Add(s.lists[0]); // already present
    EXPECT_EQ(two->Count(), 3);
    EXPECT_EQ(two->IndexOf(s.lists[2]), 2);
    two->Remove(s.lists[1]);
    EXPECT_EQ(two->Count(), 2);
    EXPECT_EQ(two->GetDataList(1), s.lists[2]);
    two->SetDataList(0, s.lists[1]);
    EXPECT_EQ(two->GetDataList(0), s.lists[1]);
    EXPECT_THROW(two->SetDataList(2, s.lists[0]), EListError);
    EXPECT_THROW(two->Delete(5), EListError);
    EXPECT_EQ(two->GetDataList(-1), nullptr);
    EXPECT_EQ(two->GetDataList(2), nullptr);
    two->Delete(0);
    EXPECT_EQ(two->Count(), 1);
    two->Clear();
    EXPECT_EQ(two->Count(), 0);

    TOwned<TxoDataList3lev> three(new TxoDataList3lev());
    three->AfterCreate();
    three->Add(two);
    three->Add(two); // duplicates allowed
    EXPECT_EQ(three->Count(), 2);
    EXPECT_EQ(three->IndexOf(two), 0);
    EXPECT_EQ(three->GetDataListList(2), nullptr);
    EXPECT_THROW(three->SetDataListList(2, two), EListError);
    three->Remove(two);
    EXPECT_EQ(three->Count(), 1);
    three->Delete(0);
    EXPECT_EQ(three->Count(), 0);
}

TEST(ListOfLists, MissingIndexesCanBeFixed) {
    TLayers s({1, 1, 1});
    std::vector<TxoDataList*> added;
    s.two->SetOnMissingIndex([&](TxoExposable* caller, int index, bool& fixable) {
        EXPECT_EQ(caller, s.two.get());
        while (s.two->Count() <= index) {
            TxoDataList* l = NewList(s.r);
            added.push_back(l);
            s.two->Add(l);
        }
        fixable = true;
    });
    TxoDataList* sixth = s.two->GetDataList(5);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(sixth, added.back());
    EXPECT_EQ(s.two->Count(), 6);
    // A handler that claims a fix it did not make is not asked forever.
    int asked = 0;
    s.two->SetOnMissingIndex([&](TxoExposable*, int, bool& fixable) {
        ++asked;
        fixable = true;
    });
    EXPECT_EQ(s.two->GetDataList(9), nullptr);
    EXPECT_EQ(asked, 1);
    s.two->SetOnMissingIndex([&](TxoExposable*, int, bool&) {});
    EXPECT_EQ(s.two->GetDataList(9), nullptr);
    for (TxoDataList* l : added)
        l->FreeWheneverPossible();
}

TEST(ListOfLists, SelectionSteps) {
    TLayers s({2, 0, 2});
    TxoDataList2lev* two = s.two.get();
    auto selected = [&] {
        TxoDataEntity* e = two->FindSelected();
        return e ? e->UserIntegerReference() : -1;
    };
    EXPECT_EQ(two->FindSelected(), nullptr);
    two->SelectNext();
    EXPECT_EQ(selected(), 0);
    two->SelectNext();
    EXPECT_EQ(selected(), 1);
    two->SelectNext();
    EXPECT_EQ(selected(), 200);
    two->SelectNext();
    EXPECT_EQ(selected(), 201);
    two->SelectNext(); // wraps to the first
    EXPECT_EQ(selected(), 0);
    two->SelectPrev(); // wraps to the last
    EXPECT_EQ(selected(), 201);
    two->SelectPrev();
    EXPECT_EQ(selected(), 200);
    two->ClearSelections();
    EXPECT_EQ(two->FindSelected(), nullptr);
    two->SelectPrev(); // nothing selected: the last
    EXPECT_EQ(selected(), 201);
    two->SelectDataEntity(s.lists[0]->GetItems(1));
    two->SelectNext(); // two were selected: the step starts from the first of them
    EXPECT_EQ(selected(), 200);
    int count = 0;
    for (TxoDataList* l : s.lists)
        for (int i = 0; i < l->Count(); ++i)
            count += l->GetItems(i)->Selected();
    EXPECT_EQ(count, 1);
}

TEST(ListOfLists, SelectionOnEmptyLists) {
    TLayers s({0, 0});
    s.two->SelectNext();
    s.two->SelectPrev();
    EXPECT_EQ(s.two->FindSelected(), nullptr);
}

TEST(ClassReferences, CreateAndTestClasses) {
    TxoDataEntityClass base = ClassOf<TxoDataEntity>();
    TxoDataEntityClass test = ClassOf<TTestEntity>();
    TxoDataEntityClass sub = ClassOf<TSubEntity>();
    TxoDataEntityClass none;
    EXPECT_FALSE(none.Assigned());
    EXPECT_THROW(none.Create(), Exception);
    EXPECT_TRUE(sub.InheritsFrom(test));
    EXPECT_TRUE(sub.InheritsFrom(base));
    EXPECT_TRUE(test.InheritsFrom(test));
    EXPECT_FALSE(test.InheritsFrom(sub));
    EXPECT_FALSE(ClassOf<TOtherEntity>().InheritsFrom(test));
    EXPECT_FALSE(none.InheritsFrom(base));
    EXPECT_TRUE(test == ClassOf<TTestEntity>());
    EXPECT_FALSE(test == sub);
    EXPECT_TRUE(none == TxoDataEntityClass());
    EXPECT_EQ(sub.As<TTestEntity>(), ClassOf<TSubEntity>());
    EXPECT_FALSE(base.As<TTestEntity>().Assigned());
    EXPECT_NE(test.ClassName().find("TTestEntity"), std::string::npos);
    // The abstract base of all model objects cannot be instantiated.
    TClassRef<TxoExposable> exposable = ClassOf<TxoExposable>();
    EXPECT_FALSE(exposable.CanCreate());
    EXPECT_THROW(exposable.Create(), Exception);
    TClassRef<TxoExposable> widened = sub;
    EXPECT_TRUE(widened.CanCreate());

    TRecorder r;
    TOwned list(NewList(r, sub));
    TxoDataEntity* e = list->Add();
    EXPECT_NE(dynamic_cast<TSubEntity*>(e), nullptr);
    EXPECT_TRUE(test.IsInstance(e));
    EXPECT_FALSE(ClassOf<TOtherEntity>().IsInstance(e));
    EXPECT_FALSE(test.IsInstance(nullptr));
    EXPECT_EQ(list->DataEntityClass(), sub);

    // A list without an entity class cannot make entities, and says so.
    TOwned empty(xo::NewDataList(ClassOf<TxoDataList>(), &r.C, TxoDataEntityClass()));
    EXPECT_THROW(empty->Add(), Exception);
    EXPECT_EQ(empty->Count(), 0);
}
