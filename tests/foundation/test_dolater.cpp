#include "foundation/xoDoLater.h"
#include "platform/plMessages.h"
#include "platform/plThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using Log = std::vector<String>;

struct TNamed : TObject {
    explicit TNamed(String aName) : name(std::move(aName)) {}
    String name;
};

String NameOf(TObject* o) {
    auto* n = dynamic_cast<TNamed*>(o);
    return n ? n->name : "-";
}

// An object with two deferrable methods that withdraws both when destroyed, as every user must.
// A hook runs inside a call (it may queue, withdraw, raise or destroy the object).
class TWorker : public TNamed {
public:
    using THook = std::function<void(TObject* theData)>;
    TWorker(String aName, Log& aLog) : TNamed(std::move(aName)), fLog(aLog) {}
    ~TWorker() override {
        TDoLater::NeverMind(A());
        TDoLater::NeverMind(B());
    }
    void A_Async(TObject* theData) { Run("A", theData, fOnA); }
    void B_Async(TObject* theData) { Run("B", theData, fOnB); }
    TDoLaterCall A() { return MakeMethod(this, &TWorker::A_Async); }
    TDoLaterCall B() { return MakeMethod(this, &TWorker::B_Async); }
    THook fOnA, fOnB;

private:
    void Run(const char* aMethod, TObject* theData, const THook& aHook) {
        fLog.push_back(name + "." + aMethod + "(" + NameOf(theData) + ")");
        if (THook hook = aHook) hook(theData); // a copy: the hook may free this object
    }
    Log& fLog;
};

String Joined(const Log& aLog) {
    String s;
    for (const String& e : aLog)
        s += (s.empty() ? "" : " ") + e;
    return s;
}

// Runs the event loop until cond holds or about two seconds passed.
template <typename F> bool PumpUntil(F cond) {
    for (int i = 0; i < 400 && !cond(); ++i) {
        Application()->ProcessMessages();
        if (!cond()) Sleep(5);
    }
    return cond();
}

class DoLaterTest : public ::testing::Test {
protected:
    void SetUp() override { Drain(); }
    void TearDown() override {
        Drain();
        EXPECT_EQ(TDoLater::PendingCount(), 0);
        EXPECT_EQ(TDoLater::Current(), nullptr);
    }
    static void Drain() {
        TDoLater::DoAllNow();
        Application()->ProcessMessages();
    }
    TObject* Data(const String& n) { return n == "d1" ? &d1 : n == "d2" ? &d2 : nullptr; }
    TWorker& Who(char c) { return c == 'x' ? x : y; }
    // Queues the requests written as "x.A(d1) y.B(-) ...".
    void Request(const String& aRequests) {
        std::istringstream in(aRequests);
        for (String r; in >> r;) {
            TWorker& w = Who(r[0]);
            TDoLater::DoLater(r[2] == 'A' ? w.A() : w.B(), Data(r.substr(4, r.size() - 5)), nullptr);
        }
    }

    Log log;
    TNamed d1{"d1"}, d2{"d2"};
    TWorker x{"x", log}, y{"y", log};
};

} // namespace

TEST_F(DoLaterTest, EqualRequestsCoalesceAndDistinctOnesRunInRequestOrder) {
    struct Case {
        const char* requests;
        const char* runs;
    };
    const Case cases[] = {
        {"x.A(d1) x.A(d1)", "x.A(d1)"},
        {"x.A(-) x.A(-) x.A(-)", "x.A(-)"},
        {"x.A(d1) x.A(d2)", "x.A(d1) x.A(d2)"},
        {"x.A(d2) x.A(d1) x.A(d2) x.A(d1)", "x.A(d2) x.A(d1)"},
        {"x.A(d1) x.B(d1) x.A(d1)", "x.A(d1) x.B(d1)"},
        {"x.A(d1) y.A(d1) x.A(d1)", "x.A(d1) y.A(d1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requests);
        log.clear();
        Request(c.requests);
        EXPECT_TRUE(log.empty()); // nothing runs at once
        TDoLater::DoAllNow();
        EXPECT_EQ(Joined(log), c.runs);
        EXPECT_EQ(TDoLater::PendingCount(), 0);
    }
}

TEST_F(DoLaterTest, AlreadyInListComparesCallAndData) {
    Request("x.A(d1) y.B(-)");
    EXPECT_TRUE(TDoLater::AlreadyInList(x.A(), &d1));
    EXPECT_FALSE(TDoLater::AlreadyInList(x.A(), &d2));
    EXPECT_FALSE(TDoLater::AlreadyInList(x.A(), nullptr));
    EXPECT_FALSE(TDoLater::AlreadyInList(x.B(), &d1));
    EXPECT_FALSE(TDoLater::AlreadyInList(y.A(), &d1));
    EXPECT_TRUE(TDoLater::AlreadyInList(y.B(), nullptr));
    TDoLater::DoAllNow();
    EXPECT_FALSE(TDoLater::AlreadyInList(x.A(), &d1));
}

TEST_F(DoLaterTest, NeverMindWithdrawsOneMethodForAllData) {
    Request("x.A(d1) x.A(d2) x.B(d1) y.A(d1) x.A(-)");
    TDoLater::NeverMind(x.A());
    TDoLater::NeverMind(y.B());          // nothing queued: no effect
    TDoLater::NeverMind(TDoLaterCall()); // empty: no effect
    EXPECT_EQ(TDoLater::PendingCount(), 2);
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "x.B(d1) y.A(d1)");
}

namespace {
struct TBaseV : TObject {
    String* ran = nullptr;
    virtual void F(TObject*) { *ran = "base F"; }
    virtual void G(TObject*) { *ran = "base G"; }
    void H(TObject*) const { *ran = "const H"; }
};
struct TDerivedV : TBaseV {
    void F(TObject*) override { *ran = "derived F"; }
};
} // namespace

TEST(DoLaterMethod, SameMethodOfTheSameObjectCompareEqual) {
    String ran;
    TDerivedV o1, o2;
    o1.ran = o2.ran = &ran;
    auto F1 = MakeMethod(&o1, &TBaseV::F);
    struct Case {
        const char* what;
        TDoLaterCall a, b;
        bool equal;
    };
    const Case cases[] = {
        {"same object, same method", F1, MakeMethod(&o1, &TBaseV::F), true},
        {"virtual named through base and descendant", F1, MakeMethod(&o1, &TDerivedV::F), true},
        {"same object, other method", F1, MakeMethod(&o1, &TBaseV::G), false},
        {"other object, same method", F1, MakeMethod(&o2, &TBaseV::F), false},
        {"const method", MakeMethod(&o1, &TBaseV::H), MakeMethod(&o1, &TBaseV::H), true},
        {"const method against another", MakeMethod(&o1, &TBaseV::H), F1, false},
        {"empty and empty", TDoLaterCall(), TDoLaterCall(), true},
        {"empty and assigned", TDoLaterCall(), F1, false},
        {"null object is empty", MakeMethod(static_cast<TBaseV*>(nullptr), &TBaseV::F), TDoLaterCall(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TDoLater::CompareMethodPointer(c.a, c.b), c.equal);
        EXPECT_EQ(TDoLater::CompareMethodPointer(c.b, c.a), c.equal);
    }
    F1(nullptr); // dispatches like a virtual call
    EXPECT_EQ(ran, "derived F");
    MakeMethod(&o2, &TBaseV::H)(nullptr);
    EXPECT_EQ(ran, "const H");
    EXPECT_EQ(F1.Object(), static_cast<TBaseV*>(&o1));
    EXPECT_FALSE(TDoLaterCall());
    EXPECT_THROW(TDoLaterCall()(nullptr), Exception);
}

TEST_F(DoLaterTest, EmptyCallsAreNotQueued) {
    TDoLater::DoLater(TDoLaterCall(), &d1, nullptr);
    TDoLater::DoLater(MakeMethod(static_cast<TWorker*>(nullptr), &TWorker::A_Async), &d1, nullptr);
    EXPECT_EQ(TDoLater::PendingCount(), 0);
    EXPECT_FALSE(TDoLater::AlreadyInList(TDoLaterCall(), &d1));
}

TEST_F(DoLaterTest, DoAllNowOnAnEmptyQueueDoesNothing) {
    TDoLater::DoAllNow();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(TDoLater::Current(), nullptr);
}

TEST_F(DoLaterTest, ARunningCallQueuingItselfIsIgnoredButOtherRequestsRunInTheSamePass) {
    x.fOnA = [&](TObject* theData) {
        if (theData != &d1) return;
        ASSERT_NE(TDoLater::Current(), nullptr);
        EXPECT_EQ(TDoLater::Current()->Data, &d1);
        EXPECT_TRUE(TDoLater::CompareMethodPointer(TDoLater::Current()->Method, x.A()));
        EXPECT_TRUE(TDoLater::AlreadyInList(x.A(), &d1)); // its own request is still queued
        TDoLater::DoLater(x.A(), &d1, nullptr);           // so this is dropped
        TDoLater::DoLater(x.A(), &d2, nullptr);
        TDoLater::DoLater(y.A(), &d1, nullptr);
    };
    Request("x.A(d1) x.B(d1)");
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "x.A(d1) x.B(d1) x.A(d2) y.A(d1)");
}

TEST_F(DoLaterTest, AnObjectDestroyedDuringItsCallLosesItsOtherRequests) {
    auto* z = new TWorker("z", log);
    z->fOnA = [&](TObject*) { delete z; }; // its destructor withdraws both methods
    TDoLater::DoLater(z->A(), &d1, nullptr);
    TDoLater::DoLater(z->B(), &d1, nullptr);
    TDoLater::DoLater(y.A(), &d1, nullptr);
    TDoLater::DoLater(z->A(), &d2, nullptr);
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "z.A(d1) y.A(d1)");
    EXPECT_EQ(TDoLater::PendingCount(), 0);
}

TEST_F(DoLaterTest, ACallWithdrawnWhileRunningMayBeQueuedAgain) {
    int runs = 0;
    x.fOnA = [&](TObject*) {
        if (++runs > 1) return;
        TDoLater::NeverMind(x.A());
        EXPECT_FALSE(TDoLater::AlreadyInList(x.A(), &d1));
        TDoLater::DoLater(x.A(), &d1, nullptr);
    };
    Request("x.A(d1)");
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "x.A(d1) x.A(d1)");
}

TEST_F(DoLaterTest, DoAllNowFromInsideACallRunsTheOthersButNotItself) {
    x.fOnA = [&](TObject*) {
        log.push_back("print");
        TDoLater::DoAllNow();
        log.push_back("printed");
    };
    Request("x.A(d1) y.A(d1) y.B(d2)");
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "x.A(d1) print y.A(d1) y.B(d2) printed");
}

TEST_F(DoLaterTest, AFailingCallLeavesWithTheLockReleasedAndRunsAgainInTheNextPass) {
    bool fail = true;
    x.fOnA = [&](TObject*) {
        if (fail) {
            fail = false;
            throw Exception("boom");
        }
    };
    Request("x.A(d1) y.A(d1)");
    EXPECT_THROW(TDoLater::DoAllNow(), Exception);
    EXPECT_EQ(Joined(log), "x.A(d1)");
    EXPECT_TRUE(TDoLater::AlreadyInList(x.A(), &d1));
    EXPECT_EQ(TDoLater::Current(), nullptr);

    // Another thread can queue: the lock is free.
    std::atomic<bool> queued{false};
    std::thread other([&] {
        TDoLater::DoLater(y.B(), &d2, nullptr);
        queued = true;
    });
    for (int i = 0; i < 400 && !queued; ++i)
        Sleep(5);
    ASSERT_TRUE(queued);
    other.join();

    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "x.A(d1) x.A(d1) y.A(d1) y.B(d2)");
}

TEST_F(DoLaterTest, AFailedCallIsNotRunAgainOnceItsObjectIsGone) {
    // Destroyed after its call failed.
    auto* z = new TWorker("z", log);
    z->fOnA = [](TObject*) { throw Exception("failed"); };
    TDoLater::DoLater(z->A(), &d1, nullptr);
    TDoLater::DoLater(y.A(), &d1, nullptr);
    EXPECT_THROW(TDoLater::DoAllNow(), Exception);
    delete z;
    // Destroyed during its call, which then fails.
    auto* w = new TWorker("w", log);
    w->fOnA = [&](TObject*) {
        delete w;
        throw Exception("gone");
    };
    TDoLater::DoLater(w->A(), &d2, nullptr);
    TDoLater::NeverMind(y.A());
    TDoLater::DoLater(y.A(), &d2, nullptr);
    EXPECT_THROW(TDoLater::DoAllNow(), Exception);
    TDoLater::DoAllNow();
    EXPECT_EQ(Joined(log), "z.A(d1) w.A(d2) y.A(d2)");
}

// ---- Delivery through the message loop ------------------------------------------------------
TEST_F(DoLaterTest, ARequestMadeInAMessageHandlerRunsAfterItReturns) {
    bool onMain = false;
    x.fOnA = [&](TObject*) { onMain = IsMainThread(); };
    HWND w = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_APP) return;
        TDoLater::DoLater(x.A(), &d1, nullptr);
        TDoLater::DoLater(x.A(), &d1, nullptr);
        TDoLater::DoLater(y.A(), &d1, nullptr);
        log.push_back("handler ends");
    });
    PostMessage(w, WM_APP, 0, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(PumpUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(Joined(log), "handler ends x.A(d1) y.A(d1)");
    EXPECT_TRUE(onMain);
    DeallocateHWnd(w);
}

TEST_F(DoLaterTest, ARequestMadeInATimerTickRunsAfterTheTick) {
    TTimer timer(nullptr);
    timer.SetInterval(1);
    timer.SetOnTimer([&](TObject*) {
        timer.SetEnabled(false);
        TDoLater::DoLater(x.B(), &d2, nullptr);
        log.push_back("tick ends");
    });
    EXPECT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(Joined(log), "tick ends x.B(d2)");
}

TEST_F(DoLaterTest, RequestsFromAWorkerRunOnTheMainThread) {
    std::atomic<int> onMain{0}, offMain{0};
    x.fOnA = [&](TObject*) { (IsMainThread() ? onMain : offMain)++; };
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            TDoLater::DoLater(x.A(), i % 2 ? &d1 : &d2, nullptr);
    });
    worker.join();
    EXPECT_EQ(TDoLater::PendingCount(), 2);
    EXPECT_TRUE(PumpUntil([&] { return onMain.load() == 2; }));
    EXPECT_EQ(offMain.load(), 0);
    EXPECT_EQ(Joined(log), "x.A(d2) x.A(d1)");
}

TEST_F(DoLaterTest, AFailureInTheLoopIsShownAndTheRequestRunsWithTheNextOne) {
    Log shown;
    TShowMessageHandler old = SetShowMessageHandler([&](const String& s) { shown.push_back(s); });
    bool fail = true;
    x.fOnA = [&](TObject*) {
        if (fail) {
            fail = false;
            throw Exception("boom");
        }
    };
    TDoLater::DoLater(x.A(), &d1, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, Log{"boom"});
    EXPECT_EQ(TDoLater::PendingCount(), 1);
    TDoLater::DoLater(y.A(), &d1, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(Joined(log), "x.A(d1) x.A(d1) y.A(d1)");
    SetShowMessageHandler(old);
}

TEST_F(DoLaterTest, TheThreadSyncInfoTellsThreadsApart) {
    TThreadSyncInfo here, again;
    EXPECT_TRUE(here.IsEqual(&again));
    EXPECT_FALSE(here.IsEqual(nullptr));
    EXPECT_EQ(here.fThreadID, uint16_t(GetCurrentThreadId() & 0xFFFF));
    bool equalOnWorker = true;
    std::thread([&] {
        TThreadSyncInfo there;
        equalOnWorker = there.IsEqual(&here);
    }).join();
    EXPECT_FALSE(equalOnWorker);
}

// ---- Fresh processes: the first request, and the end of the process -------------------------
namespace {
// Lives until the statics are destroyed, after the deferred calls' exit step.
struct TExitProbe : TObject {
    ~TExitProbe() override {
        TDoLater::NeverMind(MakeMethod(this, &TExitProbe::Say));
        TDoLater::NeverMind(MakeMethod(this, &TExitProbe::Chain));
        TDoLater::NeverMind(MakeMethod(this, &TExitProbe::Fail));
        TDoLater::NeverMind(MakeMethod(this, &TExitProbe::Exit));
    }
    void Say(TObject* theData) { std::fprintf(stderr, "%s\n", static_cast<TNamed*>(theData)->name.c_str()); }
    void Fail(TObject*) { throw Exception("failing at exit"); }
    void Chain(TObject*) { TDoLater::DoLater(MakeMethod(this, &TExitProbe::Say), &chained, nullptr); }
    void Exit(TObject*) { std::exit(0); }
    TNamed ran{"ran at exit"}, chained{"chained at exit"}, never{"never"};
};
TExitProbe& Probe() {
    static TExitProbe probe;
    return probe;
}
} // namespace

TEST(DoLaterDeathTest, TheFirstRequestFromAWorkerIsStillServedOnTheMainThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Log log;
            TWorker w("w", log);
            std::atomic<bool> onMain{false};
            w.fOnA = [&](TObject*) { onMain = IsMainThread(); };
            std::thread([&] { TDoLater::DoLater(w.A(), nullptr, nullptr); }).join();
            PumpUntil([&] { return !log.empty(); });
            std::fprintf(stderr, "%s on main: %d\n", Joined(log).c_str(), int(onMain.load()));
            std::exit(onMain ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "w.A\\(-\\) on main: 1");
}

TEST(DoLaterDeathTest, CallsPendingAtExitRunOnceAndTheProcessEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TExitProbe& p = Probe();
            TDoLater::DoLater(MakeMethod(&p, &TExitProbe::Fail), nullptr, nullptr);
            TDoLater::DoLater(MakeMethod(&p, &TExitProbe::Say), &p.ran, nullptr);
            TDoLater::DoLater(MakeMethod(&p, &TExitProbe::Chain), nullptr, nullptr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "ran at exit\nchained at exit");
}

TEST(DoLaterDeathTest, TheProcessMayEndFromInsideADeferredCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TExitProbe& p = Probe();
            TDoLater::DoLater(MakeMethod(&p, &TExitProbe::Exit), nullptr, nullptr);
            TDoLater::DoLater(MakeMethod(&p, &TExitProbe::Say), &p.ran, nullptr);
            for (int i = 0; i < 10; ++i)
                Application()->ProcessMessages();
            TDoLater::DoAllNow();
            std::fprintf(stderr, "never\n");
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "ran at exit");
}
