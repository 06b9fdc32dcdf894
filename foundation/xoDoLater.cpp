#include "foundation/xoDoLater.h"

#include "platform/plThreads.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <exception>
#include <vector>

namespace xo {

// The process-wide state: the queue, the windows, the lock and the running request.
class TDoLaterQueue {
public:
    static TDoLaterQueue& Get();

    bool Contains(const TDoLaterCall& aCall, TObject* aData) const;
    void Withdraw(const TDoLaterCall& aCall);
    void RunAll();
    void Remove(TDoLaterContainer* aContainer);
    void RegisterExitStep();
    void Finalize();

    TCriticalSection fLock;
    std::deque<std::unique_ptr<TDoLaterContainer>> fQueue; // request order
    std::vector<std::unique_ptr<TDoLaterWinPerThread>> fWindows;
    TDoLaterContainer* fCurrent = nullptr;
    TDoLaterContainer* fLastFailed = nullptr; // queued request whose call raised last
    std::vector<uint16_t> fOrderedFromWorker; // messages waiting for the main thread's window
    bool fExitStepRegistered = false;
    bool fFinalizing = false; // the last pass at exit: requests are queued, not posted
    bool fFinalized = false;  // after it: requests are dropped, nothing could run them
};

// Never destroyed: objects that other static destructors free during exit still withdraw
// their calls here, whatever the order of destruction. The exit step releases the queue and
// the windows instead.
TDoLaterQueue& TDoLaterQueue::Get() {
    static TDoLaterQueue* queue = new TDoLaterQueue;
    return *queue;
}

bool TDoLaterQueue::Contains(const TDoLaterCall& aCall, TObject* aData) const {
    for (const auto& c : fQueue)
        if (c->Data == aData && c->Method == aCall && !c->fWithdrawn) return true;
    return false;
}

void TDoLaterQueue::Withdraw(const TDoLaterCall& aCall) {
    // A running request stays (its container is on the stack of RunAll) but never runs again.
    for (const auto& c : fQueue)
        if (c->fRunning && c->Method == aCall) c->fWithdrawn = true;
    std::erase_if(fQueue, [&](const std::unique_ptr<TDoLaterContainer>& c) {
        if (c->fRunning || !(c->Method == aCall)) return false;
        if (c.get() == fLastFailed) fLastFailed = nullptr;
        return true;
    });
}

void TDoLaterQueue::Remove(TDoLaterContainer* aContainer) {
    if (aContainer == fLastFailed) fLastFailed = nullptr;
    auto it =
        std::find_if(fQueue.begin(), fQueue.end(), [&](const auto& c) { return c.get() == aContainer; });
    if (it != fQueue.end()) fQueue.erase(it);
}

void TDoLaterQueue::RunAll() {
    TCriticalSectionGuard guard(fLock);
    // Requests already running (when a call runs DoAllNow itself) form the head of the queue.
    TDoLaterContainer* const outer = fCurrent;
    for (;;) {
        auto it = std::find_if(fQueue.begin(), fQueue.end(), [](const auto& c) { return !c->fRunning; });
        if (it == fQueue.end()) return;
        TDoLaterContainer* c = it->get();
        c->fRunning = true;
        fCurrent = c;
        try {
            c->Method(c->Data);
        } catch (...) {
            // The request stays queued for the next pass, but "current" is cleared so that its
            // object can still withdraw it; withdrawn during this call, it goes now.
            c->fRunning = false;
            fCurrent = outer;
            if (c->fWithdrawn)
                Remove(c);
            else
                fLastFailed = c;
            throw;
        }
        fCurrent = outer;
        Remove(c);
    }
}

void TDoLaterQueue::RegisterExitStep() {
    if (fExitStepRegistered) return;
    fExitStepRegistered = true;
    // Registered after the first window exists, so it runs before the destructors of every
    // static that was needed to make it (the platform's handle table, Qt's own statics) and of
    // the library's statics created at load: pending calls still find them alive.
    std::atexit([] { Get().Finalize(); });
}

void TDoLaterQueue::Finalize() {
    TCriticalSectionGuard guard(fLock);
    if (fFinalized) return;
    fFinalizing = true;
    for (;;) {
        try {
            RunAll();
            break;
        } catch (...) {
            // Nobody is left to hear of the failure, and running the call again would not end.
            if (fLastFailed) Remove(fLastFailed);
        }
    }
    fFinalized = true;
    fCurrent = nullptr;
    fQueue.clear(); // left over only when the process ends from inside a call
    std::vector<std::unique_ptr<TDoLaterWinPerThread>> windows;
    windows.swap(fWindows);
}

namespace {

// Created when the library is loaded.
[[maybe_unused]] const bool gQueueCreated = (TDoLaterQueue::Get(), true);

// While a failure is being shown (a modal box runs its own loop), deliveries do not run the
// queue again, or the failing call would open one box per pending message.
bool gReportingFailure = false;

void ReportFailure(const String& aText) {
    gReportingFailure = true;
    try {
        ShowMessage(aText);
    } catch (...) {
    }
    gReportingFailure = false;
}

void DoLaterWndProc(TMessage& aMsg) {
    aMsg.Result = 0;
    if (aMsg.Msg == kDoLaterMsgCheckSynchronize) {
        CheckSynchronize(0);
    } else if (aMsg.Msg == kDoLaterMsgDoAllNow && !gReportingFailure) {
        // An exception must not escape into the event loop: it is shown, as the framework
        // shows exceptions raised while a message is handled.
        try {
            TDoLater::DoAllNow();
        } catch (const std::exception& e) {
            ReportFailure(e.what());
        } catch (...) {
            ReportFailure("Unknown exception in a deferred call");
        }
    }
}

} // namespace
} // namespace xo

using xo::TDoLaterQueue;

// ---- TThreadSyncInfo ------------------------------------------------------------------------
TThreadSyncInfo::TThreadSyncInfo()
    : fThreadID(uint16_t(GetCurrentThreadId() & 0xFFFF)), fct(GetCurrentThreadCreationTime()) {}

bool TThreadSyncInfo::IsEqual(const TThreadSyncInfo* aThreadSyncInfo) const {
    return aThreadSyncInfo && aThreadSyncInfo->fThreadID == fThreadID && aThreadSyncInfo->fct == fct;
}

// ---- TDoLaterWinPerThread -------------------------------------------------------------------
TDoLaterWinPerThread::TDoLaterWinPerThread()
    : fDoLaterWindow(AllocateHWnd(&xo::DoLaterWndProc)),
      fThreadSyncInfo(std::make_unique<TThreadSyncInfo>()) {}

TDoLaterWinPerThread::~TDoLaterWinPerThread() {
    DeallocateHWnd(fDoLaterWindow);
}

void TDoLaterWinPerThread::PostMessageToCorrectHandle(uint16_t messageID,
                                                      TThreadSyncInfo* /*aThreadSyncInfo*/) {
    TDoLaterQueue& q = TDoLaterQueue::Get();
    TCriticalSectionGuard guard(q.fLock);
    if (q.fFinalized) return;
    if (q.fWindows.empty()) {
        if (!IsMainThread()) {
            // A window made here would receive its messages on a thread without an event loop:
            // the main thread makes it and posts the message.
            if (std::find(q.fOrderedFromWorker.begin(), q.fOrderedFromWorker.end(), messageID) ==
                q.fOrderedFromWorker.end()) {
                q.fOrderedFromWorker.push_back(messageID);
                TThread::Queue(nullptr, [messageID] { PostMessageToCorrectHandle(messageID, nullptr); });
            }
            return;
        }
        q.fWindows.push_back(std::make_unique<TDoLaterWinPerThread>());
        q.fOrderedFromWorker.clear();
        q.RegisterExitStep();
    }
    PostMessage(q.fWindows.front()->fDoLaterWindow, messageID, 0, 0);
}

// ---- TDoLater -------------------------------------------------------------------------------
void TDoLater::DoLater(const TDoLaterCall& aDoLaterCall, TObject* aData, TThreadSyncInfo* aThreadSyncInfo) {
    if (!aDoLaterCall) return;
    TDoLaterQueue& q = TDoLaterQueue::Get();
    // One lock for the look-up and the append, so two threads cannot queue the same request.
    TCriticalSectionGuard guard(q.fLock);
    if (q.fFinalized || q.Contains(aDoLaterCall, aData)) return;
    q.fQueue.push_back(std::make_unique<TDoLaterContainer>(aDoLaterCall, aData));
    if (!q.fFinalizing)
        TDoLaterWinPerThread::PostMessageToCorrectHandle(xo::kDoLaterMsgDoAllNow, aThreadSyncInfo);
}

void TDoLater::NeverMind(const TDoLaterCall& aDoLaterCall) {
    if (!aDoLaterCall) return;
    TDoLaterQueue& q = TDoLaterQueue::Get();
    TCriticalSectionGuard guard(q.fLock);
    q.Withdraw(aDoLaterCall);
}

void TDoLater::DoAllNow() {
    TDoLaterQueue::Get().RunAll();
}

bool TDoLater::AlreadyInList(const TDoLaterCall& aDoLaterCall, TObject* aData) {
    TDoLaterQueue& q = TDoLaterQueue::Get();
    TCriticalSectionGuard guard(q.fLock);
    return q.Contains(aDoLaterCall, aData);
}

const TDoLaterContainer* TDoLater::Current() {
    TDoLaterQueue& q = TDoLaterQueue::Get();
    TCriticalSectionGuard guard(q.fLock);
    return q.fCurrent;
}

int TDoLater::PendingCount() {
    TDoLaterQueue& q = TDoLaterQueue::Get();
    TCriticalSectionGuard guard(q.fLock);
    return int(q.fQueue.size());
}
