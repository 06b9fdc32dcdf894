// Deferred calls: a method of an object runs a little later on the main thread, after the
// current event has been handled, and a burst of equal requests costs one call.
//
//   TDoLater::DoLater(MakeMethod(this, &TGrid::UpdateScroll_Async), nullptr, nullptr);
//   ...
//   TGrid::~TGrid() { TDoLater::NeverMind(MakeMethod(this, &TGrid::UpdateScroll_Async)); }
//
// An object that queues calls on itself withdraws every such method in its destructor.
#pragma once

#include "platform/plMessages.h"
#include "platform/plMethod.h"
#include "platform/plTypes.h"

#include <cstdint>
#include <memory>

// A method of an object with one data argument. Two calls are the same call when they name
// the same method of the same object (see TMethod).
using TDoLaterCall = TMethod<void(TObject* theData)>;

namespace xo {
class TDoLaterQueue; // the process-wide queue, private to the unit
// Private messages of the deferred-call window (application range).
constexpr uint16_t kDoLaterMsgCheckSynchronize = WM_APP + 8156; // 40924: pending TThread::Synchronize calls
constexpr uint16_t kDoLaterMsgDoAllNow = WM_APP + 8157;         // 40925: pending deferred calls
} // namespace xo

// One queued request.
class TDoLaterContainer : public TObject {
public:
    TDoLaterContainer(const TDoLaterCall& aMethod, TObject* aData) : Method(aMethod), Data(aData) {}

    TDoLaterCall Method;
    TObject* Data = nullptr; // passed back to Method; may be none

private:
    friend class xo::TDoLaterQueue;
    bool fRunning = false;   // its call is on the stack
    bool fWithdrawn = false; // withdrawn while running: freed when the call ends, never run again
};

// Identifies a thread: the low 16 bits of its id and its creation time tell apart two threads
// that received the same id one after the other.
class TThreadSyncInfo : public TObject {
public:
    // The calling thread.
    TThreadSyncInfo();
    bool IsEqual(const TThreadSyncInfo* aThreadSyncInfo) const;

    uint16_t fThreadID = 0;
    int64_t fct = 0; // creation time, 100-ns ticks
};

// The hidden window that receives the private messages, on the thread that created it.
class TDoLaterWinPerThread : public TObject {
public:
    TDoLaterWinPerThread();
    ~TDoLaterWinPerThread() override;

    HWND DoLaterWindow() const { return fDoLaterWindow; }
    const TThreadSyncInfo* ThreadSyncInfo() const { return fThreadSyncInfo.get(); }

    // Posts messageID (wParam 0, lParam 0) to the first deferred-call window, creating it on
    // the main thread when there is none yet. Every request goes to that one window, whatever
    // aThreadSyncInfo says: deferred calls run on the main thread.
    static void PostMessageToCorrectHandle(uint16_t messageID, TThreadSyncInfo* aThreadSyncInfo);

private:
    HWND fDoLaterWindow = nullptr;
    std::unique_ptr<TThreadSyncInfo> fThreadSyncInfo;
};

// The queue of deferred calls; class-level operations only. The queue is guarded by one
// recursive lock, so a running call may queue or withdraw calls, and other threads may queue
// (they wait while a pass runs).
class TDoLater : public TObject {
public:
    TDoLater() = delete;

    // Queues aDoLaterCall(aData) unless the same call with the same data is already queued
    // (including the one running now). An empty call is ignored. aThreadSyncInfo may be none.
    static void DoLater(const TDoLaterCall& aDoLaterCall, TObject* aData = nullptr,
                        TThreadSyncInfo* aThreadSyncInfo = nullptr);
    // Withdraws every pending request of aDoLaterCall, whatever its data. A request whose call
    // is running now finishes and is never run again.
    static void NeverMind(const TDoLaterCall& aDoLaterCall);
    // Runs every pending request on the calling thread, in request order, including those
    // queued by the calls themselves. An exception of a call leaves with the lock released;
    // the failing request stays first in the queue and runs again in the next pass (unless
    // withdrawn). Called from inside a running call, it runs the other pending requests.
    static void DoAllNow();
    // Whether aDoLaterCall(aData) is queued, the running request included.
    static bool AlreadyInList(const TDoLaterCall& aDoLaterCall, TObject* aData);
    // Same method of the same object.
    static bool CompareMethodPointer(const TDoLaterCall& a, const TDoLaterCall& b) { return a == b; }
    // The request whose call is running (the innermost one), none otherwise.
    static const TDoLaterContainer* Current();
    // Number of pending requests, the running ones included.
    static int PendingCount();
};
