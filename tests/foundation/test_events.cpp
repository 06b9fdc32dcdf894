#include "foundation/xoBeginUpdate.h"
#include "foundation/xoEventHandling.h"
#include "foundation/xoExposable.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
struct Owner : TObject {};
struct Message : TObject {};
} // namespace

TEST(Events, ListenersRunInRegistrationOrderAndSeeTheTrigger) {
    Owner owner;
    Message msg;
    TEvent ev(&owner);
    std::vector<int> order;
    TSingleEventListener a(&ev, [&](TSingleEventListener* l) {
        order.push_back(1);
        EXPECT_EQ(l->CallingEventOwner(), &owner);
        EXPECT_EQ(l->CallingEvent(), &ev);
        EXPECT_EQ(l->CallingMessage(), &msg);
    }, false);
    TSingleEventListener b(&ev, [&](TSingleEventListener*) { order.push_back(2); }, false);
    auto* c = new TSingleEventListener(&ev, [&](TSingleEventListener*) { order.push_back(3); }, false);
    ev.AddListener(&b); // already registered: stays once, in place
    ev.TriggerEvent(&msg);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    order.clear();
    ev.RemoveListener(&a);
    EXPECT_EQ(a.Event(), nullptr);
    ev.TriggerEvent(nullptr);
    EXPECT_EQ(order, (std::vector<int>{2, 3}));
    EXPECT_EQ(b.CallingMessage(), nullptr);
    delete c; // unregisters itself
    order.clear();
    ev.TriggerEvent(nullptr);
    EXPECT_EQ(order, (std::vector<int>{2}));
}

TEST(Events, DestroyingTheEventFreesAutoFreeListenersOnly) {
    bool autoFreed = false;
    struct Flagged : TSingleEventListener {
        bool* flag;
        Flagged(TEvent* e, bool* f) : TSingleEventListener(e, nullptr, true), flag(f) {}
        ~Flagged() override { *flag = true; }
    };
    auto* ev = new TEvent(nullptr);
    new Flagged(ev, &autoFreed);
    auto* kept = new TSingleEventListener(ev, nullptr, false);
    delete ev;
    EXPECT_TRUE(autoFreed);
    EXPECT_EQ(kept->Event(), nullptr);
    delete kept; // must not touch the freed event
}

TEST(Events, ListenersMayRemoveThemselvesOthersOrTheEventDuringATrigger) {
    TEvent ev(nullptr);
    int calls = 0;
    TSingleEventListener* second = nullptr;
    TSingleEventListener first(&ev, [&](TSingleEventListener*) {
        ++calls;
        delete second;
        second = nullptr;
    }, false);
    second = new TSingleEventListener(&ev, [&](TSingleEventListener*) { ++calls; }, false);
    TSingleEventListener third(&ev, [&](TSingleEventListener* self) {
        ++calls;
        ev.RemoveListener(self);
    }, false);
    ev.TriggerEvent(nullptr);
    EXPECT_GE(calls, 1);
    calls = 0;
    ev.TriggerEvent(nullptr); // only the first is left
    EXPECT_EQ(calls, 1);

    auto* doomed = new TEvent(nullptr);
    int after = 0;
    new TSingleEventListener(doomed, [&](TSingleEventListener*) { delete doomed; }, true);
    new TSingleEventListener(doomed, [&](TSingleEventListener*) { ++after; }, true);
    doomed->TriggerEvent(nullptr); // the first listener frees the event and with it both listeners
    EXPECT_EQ(after, 0);
}

TEST(Events, AnExceptionStopsTheTriggerAndLeavesTheEventUsable) {
    TEvent ev(nullptr);
    int later = 0;
    bool raise = true;
    TSingleEventListener a(&ev, [&](TSingleEventListener*) { if (raise) throw Exception("listener failed"); }, false);
    TSingleEventListener b(&ev, [&](TSingleEventListener*) { ++later; }, false);
    EXPECT_THROW(ev.TriggerEvent(nullptr), Exception);
    EXPECT_EQ(later, 0);
    raise = false;
    ev.TriggerEvent(nullptr);
    EXPECT_EQ(later, 1);
    EXPECT_THROW(TSingleEventListener(nullptr, nullptr, false), Exception);
}

TEST(BeginUpdate, BeginOnFirstMarkEndOnlyWhenEntered) {
    int begins = 0, ends = 0;
    { TxoBeginUpdate unused([&] { ++begins; }, [&] { ++ends; }); }
    EXPECT_EQ(begins + ends, 0);
    {
        TxoBeginUpdate g([&] { ++begins; }, [&] { ++ends; });
        g.Mark();
        g.Mark();
        g.Mark();
        EXPECT_EQ(ends, 0);
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    { TxoBeginUpdate unassigned(nullptr, nullptr); unassigned.Mark(); }
}

namespace {
struct Model : TxoExposable {
    std::vector<String>* log;
    bool allow = true;
    explicit Model(std::vector<String>* l) : log(l) {}
    void CleanForFree() override { log->push_back("clean"); }
    bool CanDelete() override { return allow; }
    ~Model() override { log->push_back("free"); }
};
} // namespace

TEST(Exposable, FreeWheneverPossibleCleansThenFrees) {
    std::vector<String> log;
    auto* m = new Model(&log);
    EXPECT_EQ(m->GetObjectFromInterface(), m);
    m->FreeWheneverPossible();
    EXPECT_EQ(log, (std::vector<String>{"clean", "free"}));

    log.clear();
    auto* held = new Model(&log);
    held->allow = false;
    held->FreeWheneverPossible();
    EXPECT_EQ(log, std::vector<String>{"clean"});
    EXPECT_TRUE(held->WhenZeroRefCountDestroy());
    held->allow = true;
    TxoExposable::FreeCall(held);
    EXPECT_EQ(log.back(), "free");

    Owner notModel;
    EXPECT_THROW(TxoExposable::FreeCall(&notModel), Exception);
}
