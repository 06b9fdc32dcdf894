#include "platform/plThreads.h"
#include "platform/internal/plQtGlue.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <deque>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// A call waiting for the main thread. Synchronised calls live on the caller's stack and are
// signalled when done; queued calls are owned by the queue.
struct SyncRequest {
    TThread* thread = nullptr;
    TThreadMethod method;
    bool waits = false;
    bool done = false;
    std::exception_ptr error;
};

std::mutex gSyncLock;
std::condition_variable gSyncArrived;  // main thread waits here in CheckSynchronize
std::condition_variable gSyncDone;     // workers wait here in Synchronize
std::deque<SyncRequest*> gSyncQueue;

// Asks the main thread's event loop to run the pending calls soon.
void WakeMainThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { CheckSynchronize(0); }, Qt::QueuedConnection);
}
} // namespace

bool CheckSynchronize(int aTimeout) {
    if (!IsMainThread()) return false;
    std::deque<SyncRequest*> batch;
    {
        std::unique_lock<std::mutex> g(gSyncLock);
        if (gSyncQueue.empty() && aTimeout > 0)
            gSyncArrived.wait_for(g, std::chrono::milliseconds(aTimeout), [] { return !gSyncQueue.empty(); });
        batch.swap(gSyncQueue);
    }
    if (batch.empty()) return false;
    for (SyncRequest* r : batch) {
        std::exception_ptr error;
        try {
            if (r->method) r->method();
        } catch (...) {
            error = std::current_exception();
        }
        if (r->waits) {
            std::lock_guard<std::mutex> g(gSyncLock);
            r->error = error;
            r->done = true;
        } else {
            delete r; // an exception of a queued call has nobody to go to
        }
    }
    gSyncDone.notify_all();
    return true;
}

void TThread::Synchronize(TThread* aThread, const TThreadMethod& aMethod) {
    if (IsMainThread()) {
        aMethod();
        return;
    }
    SyncRequest r;
    r.thread = aThread;
    r.method = aMethod;
    r.waits = true;
    {
        std::lock_guard<std::mutex> g(gSyncLock);
        gSyncQueue.push_back(&r);
    }
    gSyncArrived.notify_all();
    WakeMainThread();
    std::unique_lock<std::mutex> g(gSyncLock);
    gSyncDone.wait(g, [&] { return r.done; });
    if (r.error) std::rethrow_exception(r.error);
}

void TThread::Queue(TThread* aThread, TThreadMethod aMethod) {
    auto* r = new SyncRequest;
    r->thread = aThread;
    r->method = std::move(aMethod);
    {
        std::lock_guard<std::mutex> g(gSyncLock);
        gSyncQueue.push_back(r);
    }
    gSyncArrived.notify_all();
    WakeMainThread();
}

void TThread::RemoveQueuedEvents(TThread* aThread) {
    std::lock_guard<std::mutex> g(gSyncLock);
    for (auto it = gSyncQueue.begin(); it != gSyncQueue.end();) {
        if ((*it)->thread == aThread && !(*it)->waits) {
            delete *it;
            it = gSyncQueue.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- TThread --------------------------------------------------------------------------------
TThread::TThread() {
    Application(); // the main thread is the one that creates the first objects
}

TThread::~TThread() {
    if (fThread.joinable()) {
        if (std::this_thread::get_id() == fThread.get_id()) {
            fThread.detach(); // freeing itself at the end of its own run
        } else {
            Terminate();
            WaitFor();
        }
    }
    RemoveQueuedEvents(this);
}

void TThread::Start() {
    if (fStarted) return;
    fStarted = true;
    // The new thread waits until fThread is assigned: a short Execute on a thread that frees
    // itself would otherwise delete the object under this assignment.
    std::lock_guard<std::mutex> g(fStartLock);
    fThread = std::thread([this] {
        { std::lock_guard<std::mutex> wait(fStartLock); }
        Run();
    });
    fThreadId = fThread.get_id();
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        fFatalException = std::current_exception();
    }
    Finish();
}

void TThread::DoTerminate() {
    if (fOnTerminate) Synchronize([this] { fOnTerminate(this); });
}

void TThread::Finish() {
    try {
        DoTerminate();
    } catch (...) {
        if (!fFatalException) fFatalException = std::current_exception();
    }
    bool freeSelf = fFreeOnTerminate;
    fFinished.store(true);
    gSyncDone.notify_all(); // wakes a WaitFor on the main thread
    if (freeSelf) delete this;
}

int TThread::WaitFor() {
    if (fFreeOnTerminate) throw Exception("Cannot wait for a thread that frees itself");
    if (!fThread.joinable()) return fReturnValue;
    if (std::this_thread::get_id() == fThread.get_id()) throw Exception("Thread cannot wait for itself");
    if (IsMainThread()) {
        // Keep serving Synchronize while waiting, or a worker that synchronises would never end.
        while (!fFinished.load()) {
            CheckSynchronize(0);
            std::unique_lock<std::mutex> g(gSyncLock);
            gSyncArrived.wait_for(g, std::chrono::milliseconds(5),
                                  [this] { return !gSyncQueue.empty() || fFinished.load(); });
        }
    }
    fThread.join();
    return fReturnValue;
}

// ---- Ids and time ---------------------------------------------------------------------------
uint32_t GetCurrentThreadId() { return uint32_t(::syscall(SYS_gettid)); }

int64_t GetCurrentThreadCreationTime() {
    // Taken the first time a thread asks, which is after it was created and before any
    // later thread with the same id could ask: enough to tell such threads apart.
    thread_local int64_t created =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count() /
        100;
    return created;
}

void Sleep(unsigned aMilliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(aMilliseconds)); }

int64_t QueryPerformanceCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t QueryPerformanceFrequency() { return 1000000000; }

uint64_t GetTickCount64() {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}
