#include "platform/plMessages.h"
#include "platform/plThreads.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {
class Worker : public TThread {
public:
    std::function<void(Worker*)> body;
    using TThread::Synchronize;

protected:
    void Execute() override {
        if (body) body(this);
    }
};

template <typename F>
bool PumpUntil(F cond) {
    for (int i = 0; i < 400 && !cond(); ++i) {
        Application()->ProcessMessages();
        if (!cond()) Sleep(5);
    }
    return cond();
}
} // namespace

TEST(Threads, CreatedSuspendedAndStartedLater) {
    std::atomic<bool> ran{false};
    Worker w;
    w.body = [&](Worker*) { ran = true; };
    Sleep(20);
    EXPECT_FALSE(ran.load());
    w.Start();
    w.WaitFor();
    EXPECT_TRUE(ran.load());
    EXPECT_TRUE(w.Finished());
}

TEST(Threads, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits) {
    std::atomic<int> step{0};
    bool ranOnMain = false;
    int seenStepInside = -1;
    Worker w;
    w.body = [&](Worker* self) {
        step = 1;
        self->Synchronize([&] {
            ranOnMain = IsMainThread();
            seenStepInside = step.load();
            Sleep(30); // the worker must still be waiting after this
            step = 2;
        });
        step = step.load() == 2 ? 3 : -1; // only reached after the main thread's call ended
    };
    w.Start();
    // The worker blocks until the main thread's loop serves it.
    Sleep(30);
    EXPECT_EQ(step.load(), 1);
    ASSERT_TRUE(PumpUntil([&] { return step.load() == 3; }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(seenStepInside, 1);
    w.WaitFor();
}

TEST(Threads, WaitForOnTheMainThreadServesSynchronize) {
    int value = 0;
    Worker w;
    w.body = [&](Worker* self) {
        for (int i = 0; i < 10; ++i) self->Synchronize([&] { ++value; });
    };
    w.Start();
    w.WaitFor(); // would dead-lock if it did not run the synchronised calls
    EXPECT_EQ(value, 10);
}

TEST(Threads, ExceptionsInsideSynchronizeReachTheWorker) {
    bool caught = false;
    Worker w;
    w.body = [&](Worker* self) {
        try {
            self->Synchronize([] { throw Exception("boom"); });
        } catch (const Exception& e) {
            caught = e.Message() == "boom";
        }
    };
    w.Start();
    w.WaitFor();
    EXPECT_TRUE(caught);
}

TEST(Threads, TerminateOnlySetsTheFlag) {
    Worker w;
    std::atomic<int> loops{0};
    w.body = [&](Worker* self) {
        while (!self->Terminated()) {
            ++loops;
            Sleep(1);
        }
    };
    w.Start();
    ASSERT_TRUE(PumpUntil([&] { return loops.load() > 2; }));
    EXPECT_FALSE(w.Finished());
    w.Terminate();
    w.WaitFor();
    EXPECT_TRUE(w.Finished());
}

TEST(Threads, FreeOnTerminateFreesTheThreadAfterOnTerminateOnTheMainThread) {
    bool terminatedOnMain = false;
    std::atomic<bool> done{false};
    auto* w = new Worker;
    w->body = [](Worker*) {};
    w->SetFreeOnTerminate(true);
    w->SetOnTerminate([&](TObject*) {
        terminatedOnMain = IsMainThread();
        done = true;
    });
    w->Start(); // no access to w after this
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    Sleep(20); // let it finish freeing itself (AddressSanitizer watches)
    EXPECT_TRUE(terminatedOnMain);
}

TEST(Threads, ExecuteThatRaisesKeepsTheException) {
    Worker w;
    w.body = [](Worker*) { throw Exception("inside"); };
    w.Start();
    w.WaitFor();
    ASSERT_TRUE(w.FatalException());
    EXPECT_THROW(std::rethrow_exception(w.FatalException()), Exception);
}

TEST(Threads, QueuedCallsRunLaterOnTheMainThread) {
    std::vector<int> order;
    Worker w;
    w.body = [&](Worker*) {
        for (int i = 0; i < 3; ++i) TThread::Queue(nullptr, [&order, i] { order.push_back(i); });
    };
    w.Start();
    w.WaitFor();
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(CheckSynchronize(0));
}

TEST(Threads, CriticalSectionIsRecursiveAndExcludesOthers) {
    TCriticalSection cs;
    cs.Enter();
    cs.Enter();
    std::atomic<bool> otherGot{false};
    std::thread t([&] {
        TCriticalSectionGuard g(cs);
        otherGot = true;
    });
    Sleep(20);
    EXPECT_FALSE(otherGot.load());
    cs.Leave();
    Sleep(10);
    EXPECT_FALSE(otherGot.load());
    cs.Leave();
    t.join();
    EXPECT_TRUE(otherGot.load());
}

TEST(Threads, IdsDifferBetweenThreadsAndTheCounterAdvances) {
    uint32_t mine = GetCurrentThreadId();
    uint32_t other = 0;
    std::thread t([&] { other = GetCurrentThreadId(); });
    t.join();
    EXPECT_NE(mine, other);
    EXPECT_EQ(GetCurrentThreadCreationTime(), GetCurrentThreadCreationTime());
    int64_t a = QueryPerformanceCounter();
    Sleep(2);
    EXPECT_GT(QueryPerformanceCounter() - a, QueryPerformanceFrequency() / 1000);
}
