#include "platform/plClasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double x;
        int64_t round, trunc;
    } cases[] = {
        {0.5, 0, 0},   {1.5, 2, 1},   {2.5, 2, 2},   {-0.5, 0, 0}, {-1.5, -2, -1},
        {-2.5, -2, -2}, {2.4999, 2, 2}, {2.5001, 3, 2}, {-2.7, -3, -2}, {1e15 + 0.5, 1000000000000000, 1000000000000000},
    };
    for (auto& c : cases) {
        EXPECT_EQ(Round(c.x), c.round) << c.x;
        EXPECT_EQ(Trunc(c.x), c.trunc) << c.x;
    }
}

TEST(Rounding, NonFiniteAndHugeValuesSaturateInsteadOfOverflowing) {
    EXPECT_EQ(Round(std::nan("")), 0);
    EXPECT_EQ(Round(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Trunc(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Round(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
}

TEST(Colors, SystemColorsResolveAndPlainColorsPassThrough) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(0x12345678), 0x345678u);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000u);
    EXPECT_NE(ColorToRGB(clBtnFace), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ColorToRGB(0xFF0000FF), 0u); // unknown system index
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
}

TEST(Geometry, RectsCoverLeftToRightMinusOne) {
    TRect r(10, 20, 30, 25);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_TRUE(PtInRect(r, TPoint(10, 20)));
    EXPECT_FALSE(PtInRect(r, TPoint(30, 20)));
    EXPECT_FALSE(PtInRect(r, TPoint(10, 25)));
    TRect out;
    EXPECT_TRUE(IntersectRect(out, r, TRect(25, 0, 100, 22)));
    EXPECT_EQ(out, TRect(25, 20, 30, 22));
    EXPECT_FALSE(IntersectRect(out, r, TRect(30, 20, 40, 25)));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_TRUE(UnionRect(out, r, TRect()));
    EXPECT_EQ(out, r);
}

enum TDay { dMon, dTue, dWed, dThu };

TEST(Sets, IncludeExcludeAndCompare) {
    TSet<TDay> s{dMon, dWed};
    EXPECT_TRUE(s.Contains(dMon));
    EXPECT_FALSE(s.Contains(dTue));
    EXPECT_EQ(s.Count(), 2u);
    s.Include(dTue).Exclude(dMon);
    EXPECT_EQ(s, (TSet<TDay>{dTue, dWed}));
    EXPECT_TRUE((TSet<TDay>{dWed}).SubsetOf(s));
    EXPECT_EQ((s - TSet<TDay>{dWed}), TSet<TDay>{dTue});
    EXPECT_EQ((s * TSet<TDay>{dWed, dThu}), TSet<TDay>{dWed});
    // Members outside the set's range are ignored rather than corrupting memory.
    s.Include(TDay(500));
    EXPECT_FALSE(s.Contains(TDay(500)));
    EXPECT_EQ(s.Count(), 2u);
    TCharSet chars{'\t', 'a'};
    EXPECT_TRUE(chars.Contains('\t'));
    EXPECT_TRUE(chars.Contains(static_cast<unsigned char>('a')));
}

// ---- Components -----------------------------------------------------------------------------
namespace {
std::vector<String>* gLog = nullptr;

class Probe : public TComponent {
public:
    Probe(TComponent* owner, const String& name) : TComponent(owner) { SetName(name); }
    ~Probe() override {
        if (gLog) gLog->push_back("free " + Name());
    }
    std::vector<TComponent*> removed;

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove) removed.push_back(c);
    }
};
} // namespace

TEST(Components, OwnerFreesOwnedInReverseOrderOfCreation) {
    std::vector<String> log;
    gLog = &log;
    auto* root = new Probe(nullptr, "root");
    auto* a = new Probe(root, "a");
    new Probe(a, "a1");
    new Probe(root, "b");
    new Probe(root, "c");
    EXPECT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->FindComponent("b")->ComponentIndex(), 1);
    EXPECT_EQ(root->Components(7), nullptr);
    delete root;
    gLog = nullptr;
    EXPECT_EQ(log, (std::vector<String>{"free root", "free c", "free b", "free a", "free a1"}));
}

TEST(Components, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
    auto* root = new Probe(nullptr, "root");
    auto* a = new Probe(root, "a");
    auto* b = new Probe(root, "b");
    const auto aAddress = reinterpret_cast<uintptr_t>(a);
    delete a;
    EXPECT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->Components(0), b);
    // Siblings hear of the removal.
    ASSERT_EQ(b->removed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b->removed[0]), aAddress);
    delete root;
}

TEST(Components, FreeNotificationReachesAnotherOwnersComponent) {
    auto* watcher = new Probe(nullptr, "watcher");
    auto* watched = new Probe(nullptr, "watched");
    watched->FreeNotification(watcher);
    const auto watchedAddress = reinterpret_cast<uintptr_t>(watched);
    delete watched;
    ASSERT_EQ(watcher->removed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(watcher->removed[0]), watchedAddress);
    // After the notice the link is gone both ways: freeing the watcher touches nothing freed.
    delete watcher;
}

TEST(Components, StateFlagsPropagate) {
    TComponent root(nullptr);
    auto* child = new TComponent(&root);
    root.SetDesigning(true);
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
    auto* late = new TComponent(&root);
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
    root.BeginLoading();
    EXPECT_TRUE(root.ComponentState().Contains(csLoading));
    root.EndLoading();
    EXPECT_FALSE(root.ComponentState().Contains(csLoading));
}

// ---- Collections and strings ----------------------------------------------------------------
namespace {
class Item : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int value = 0;
    void Assign(TPersistent* src) override {
        if (auto* o = dynamic_cast<Item*>(src)) {
            value = o->value;
            return;
        }
        TCollectionItem::Assign(src);
    }
};
class Counting : public TCollection {
public:
    Counting() : TCollection([](TCollection* c) { return new Item(c); }) {}
    int updates = 0;

protected:
    void Update(TCollectionItem*) override { ++updates; }
};
} // namespace

TEST(Collections, AddInsertDeleteMoveAndAssign) {
    Counting c;
    auto* a = static_cast<Item*>(c.Add());
    auto* b = static_cast<Item*>(c.Add());
    auto* first = static_cast<Item*>(c.Insert(0));
    a->value = 1;
    b->value = 2;
    first->value = 0;
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(b->Index(), 2);
    b->SetIndex(0);
    EXPECT_EQ(c.Items(0), b);
    EXPECT_THROW(c.Items(3), EListError);
    EXPECT_THROW(c.Delete(-1), EListError);
    c.Delete(0);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_NE(c.FindItemID(a->ID()), nullptr);

    Counting copy;
    copy.Assign(&c);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(static_cast<Item*>(copy.Items(1))->value, 1);

    int before = c.updates;
    c.BeginUpdate();
    c.Add();
    c.Add();
    EXPECT_EQ(c.updates, before);
    c.EndUpdate();
    EXPECT_EQ(c.updates, before + 1);
    TStringList notACollection;
    EXPECT_THROW(copy.Assign(&notACollection), Exception);
}

TEST(StringLists, BasicOperationsAndObjects) {
    TStringList l;
    TComponent tag(nullptr);
    l.Add("beta");
    l.AddObject("alpha", &tag);
    l.Insert(0, "gamma");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.IndexOf("alpha"), 2);
    EXPECT_EQ(l.IndexOf("delta"), -1);
    EXPECT_EQ(l.Objects(2), &tag);
    EXPECT_EQ(l.IndexOfObject(&tag), 2);
    l.Delete(1);
    EXPECT_EQ(l.Text(), "gamma\nalpha\n");
    EXPECT_THROW(l.Strings(2), EListError);
    EXPECT_THROW(l.Insert(5, "x"), EListError);
    l.SetText("one\r\ntwo\nthree");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Strings(1), "two");

    TStringList sorted;
    sorted.SetSorted(true);
    for (auto s : {"pear", "apple", "fig", "apple"}) sorted.Add(s);
    EXPECT_EQ(sorted.Text(), "apple\nfig\npear\n");
    EXPECT_THROW(sorted.Insert(0, "x"), EListError);
    int at;
    EXPECT_FALSE(sorted.Find("grape", at));
    EXPECT_EQ(at, 2);
}

TEST(StringLists, OwnedObjectsAreFreedOnce) {
    TStringList l;
    l.SetOwnsObjects(true);
    l.AddObject("a", new TComponent(nullptr));
    l.AddObject("b", new TComponent(nullptr));
    l.Delete(0);
    EXPECT_EQ(l.Count(), 1);
    // The last one goes with the list (AddressSanitizer would see a leak or a double free).
}
