// Threads, cross-thread synchronisation with the main thread, locks and timing.
#pragma once

#include "platform/plClasses.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using TThreadMethod = std::function<void()>;

// A worker thread, always created suspended (a thread started from the base constructor
// would run Execute before the descendant exists): call Start. Execute runs on the new
// thread; Terminate only sets the flag that Execute polls. With FreeOnTerminate the object
// deletes itself when Execute has ended (after OnTerminate, which runs on the main thread);
// the creator must not touch it after Start then.
class TThread : public TObject {
public:
    TThread();
    // Terminates and waits for the thread unless it frees itself.
    ~TThread() override;

    void Start();
    void Terminate() { fTerminated.store(true); }
    bool Terminated() const { return fTerminated.load(); }
    bool Finished() const { return fFinished.load(); }
    bool Started() const { return fStarted; }
    // Waits until Execute has ended; answers ReturnValue. Raises Exception when called on a
    // thread that frees itself, or from the thread itself.
    int WaitFor();

    bool FreeOnTerminate() const { return fFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) { fFreeOnTerminate = Value; }
    TNotifyEvent OnTerminate() const { return fOnTerminate; }
    void SetOnTerminate(TNotifyEvent Value) { fOnTerminate = std::move(Value); }
    int ReturnValue() const { return fReturnValue; }
    void SetReturnValue(int Value) { fReturnValue = Value; }
    // The exception that ended Execute, if any.
    std::exception_ptr FatalException() const { return fFatalException; }
    std::thread::id ThreadID() const { return fThreadId; }

    // Runs aMethod on the main thread while the calling thread waits; runs it directly
    // when called on the main thread. An exception of aMethod is raised in the caller.
    static void Synchronize(TThread* aThread, const TThreadMethod& aMethod);
    // Runs aMethod on the main thread later, without waiting.
    static void Queue(TThread* aThread, TThreadMethod aMethod);
    // Drops the queued (not yet running) calls of aThread.
    static void RemoveQueuedEvents(TThread* aThread);

protected:
    virtual void Execute() = 0;
    void Synchronize(const TThreadMethod& aMethod) { Synchronize(this, aMethod); }
    void Queue(TThreadMethod aMethod) { Queue(this, std::move(aMethod)); }
    virtual void DoTerminate();

private:
    void Run();
    void Finish();

    std::thread fThread;
    std::mutex fStartLock;
    std::thread::id fThreadId;
    std::atomic<bool> fTerminated{false};
    std::atomic<bool> fFinished{false};
    bool fStarted = false;
    bool fFreeOnTerminate = false;
    int fReturnValue = 0;
    std::exception_ptr fFatalException;
    TNotifyEvent fOnTerminate;
};

// Runs the pending synchronised and queued calls on the main thread; waits up to aTimeout
// milliseconds for one to arrive when none is pending. Answers whether any call ran. Does
// nothing (false) on other threads.
bool CheckSynchronize(int aTimeout = 0);

// A recursive lock.
class TCriticalSection : public TObject {
public:
    void Enter() { fMutex.lock(); }
    void Leave() { fMutex.unlock(); }
    bool TryEnter() { return fMutex.try_lock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }

private:
    std::recursive_mutex fMutex;
};

// Holds a TCriticalSection for a scope.
class TCriticalSectionGuard {
public:
    explicit TCriticalSectionGuard(TCriticalSection& aLock) : fLock(aLock) { fLock.Enter(); }
    ~TCriticalSectionGuard() { fLock.Leave(); }
    TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
    TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
    TCriticalSection& fLock;
};

// The operating system's id of the calling thread.
uint32_t GetCurrentThreadId();
// When the calling thread started, in 100-nanosecond ticks (identifies a thread together
// with its id, since ids are reused).
int64_t GetCurrentThreadCreationTime();
void Sleep(unsigned aMilliseconds);
// A monotonic high-resolution counter and its ticks per second.
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();
// Milliseconds since some fixed point, monotonic.
uint64_t GetTickCount64();
