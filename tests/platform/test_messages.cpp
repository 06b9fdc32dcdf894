#include "platform/plMessages.h"
#include "platform/plThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {
// Runs the event loop until cond holds or about two seconds passed.
template <typename F>
bool PumpUntil(F cond) {
    for (int i = 0; i < 400 && !cond(); ++i) {
        Application()->ProcessMessages();
        if (!cond()) Sleep(5);
    }
    return cond();
}
} // namespace

TEST(Messages, PostedMessagesArriveLaterInOrder) {
    std::vector<uint32_t> got;
    HWND w = AllocateHWnd([&](TMessage& m) { got.push_back(m.Msg); });
    for (uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(PostMessage(w, WM_APP + i, i, -LPARAM(i)));
    EXPECT_TRUE(got.empty()); // nothing runs before the loop does
    Application()->ProcessMessages();
    EXPECT_EQ(got, (std::vector<uint32_t>{WM_APP, WM_APP + 1, WM_APP + 2, WM_APP + 3, WM_APP + 4}));
    DeallocateHWnd(w);
}

TEST(Messages, AMessagePostedInsideAHandlerRunsAfterThatHandlerReturns) {
    std::vector<String> log;
    HWND w = nullptr;
    w = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_APP) {
            PostMessage(w, WM_APP + 1, 0, 0);
            log.push_back("first handler ends");
        } else {
            log.push_back("second");
        }
    });
    PostMessage(w, WM_APP, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log, (std::vector<String>{"first handler ends", "second"}));
    DeallocateHWnd(w);
}

TEST(Messages, SendMessageAnswersTheResultAndDeadWindowsAreRefused) {
    HWND w = AllocateHWnd([](TMessage& m) { m.Result = LRESULT(m.WParam * 2 + m.LParam); });
    EXPECT_EQ(SendMessage(w, WM_USER, 20, 2), 42);
    PostMessage(w, WM_USER, 1, 1);
    DeallocateHWnd(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(w, WM_USER, 1, 1), 0);
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
    Application()->ProcessMessages(); // the message queued before destruction is dropped
    DeallocateHWnd(nullptr);
}

TEST(Messages, AWindowMayDestroyItselfInItsHandler) {
    int calls = 0;
    HWND w = nullptr;
    w = AllocateHWnd([&](TMessage&) {
        ++calls;
        DeallocateHWnd(w);
    });
    PostMessage(w, WM_APP, 0, 0);
    PostMessage(w, WM_APP, 0, 0);
    Application()->ProcessMessages();
    Application()->ProcessMessages();
    EXPECT_EQ(calls, 1);
}

TEST(Messages, MessagesPostedFromAWorkerArriveOnTheMainThread) {
    std::atomic<int> onMain{0}, offMain{0};
    HWND w = AllocateHWnd([&](TMessage&) { (IsMainThread() ? onMain : offMain)++; });
    std::thread t([&] {
        for (int i = 0; i < 100; ++i) PostMessage(w, WM_APP, 0, 0);
    });
    t.join();
    ASSERT_TRUE(PumpUntil([&] { return onMain.load() == 100; }));
    EXPECT_EQ(offMain.load(), 0);
    DeallocateHWnd(w);
}

TEST(Timers, TickOnTheMainThreadUntilDisabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    bool allOnMain = true;
    timer.SetInterval(10);
    timer.SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        allOnMain = allOnMain && IsMainThread();
        if (++ticks == 3) timer.SetEnabled(false);
    });
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    for (int i = 0; i < 5; ++i) {
        Sleep(12);
        Application()->ProcessMessages();
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(allOnMain);
}

TEST(Timers, ATimerFreedInItsOwnTickDoesNotCrash) {
    auto* timer = new TTimer(nullptr);
    bool fired = false;
    timer->SetInterval(5);
    timer->SetOnTimer([&](TObject*) {
        fired = true;
        delete timer;
    });
    ASSERT_TRUE(PumpUntil([&] { return fired; }));
    Application()->ProcessMessages();
}

TEST(Timers, OwnedTimerGoesWithItsOwner) {
    auto* owner = new TComponent(nullptr);
    auto* timer = new TTimer(owner);
    timer->SetInterval(1);
    timer->SetOnTimer([](TObject*) {});
    delete owner; // frees the timer; AddressSanitizer checks that nothing leaks or runs later
    Sleep(5);
    Application()->ProcessMessages();
}

TEST(ShowMessageTest, AHandlerCapturesTheText) {
    std::vector<String> shown;
    auto old = SetShowMessageHandler([&](const String& s) { shown.push_back(s); });
    ShowMessage("UpdateSubColumns exception: boom");
    SetShowMessageHandler(old);
    EXPECT_EQ(shown, std::vector<String>{"UpdateSubColumns exception: boom"});
}

TEST(ApplicationTest, HeadlessTestsRunOnTheOffscreenPlatform) {
    EXPECT_EQ(Application()->PlatformName(), "offscreen");
    EXPECT_FALSE(Application()->HasDisplay());
    EXPECT_TRUE(IsMainThread());
}
