#include "platform/plMessages.h"
#include "platform/internal/plQtGlue.h"
#include "platform/plThreads.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace xo::qt {

QEvent::Type MessageEvent::EventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

namespace {
// Live handles. Posting looks a handle up here under the lock, so a handle that is being
// destroyed on another thread is never touched after it is gone.
std::mutex& HandleLock() {
    static std::mutex m;
    return m;
}
std::unordered_set<HWND>& LiveHandles() {
    static std::unordered_set<HWND> s;
    return s;
}

class HiddenReceiver : public QObject {
public:
    HWND handle = nullptr;
    bool event(QEvent* e) override {
        if (e->type() == MessageEvent::EventType()) {
            DeliverMessage(handle, static_cast<MessageEvent*>(e)->msg);
            return true;
        }
        return QObject::event(e);
    }
};

int gArgc = 1;
char gArgv0[] = "xoStint";
char* gArgvStore[] = {gArgv0, nullptr};
int* gArgcPtr = &gArgc;
char** gArgvPtr = gArgvStore;
} // namespace

HWND RegisterHandle(QObject* aReceiver, TWndMethod aMethod) {
    auto* h = new HWND__;
    h->receiver = aReceiver;
    h->method = std::move(aMethod);
    std::lock_guard<std::mutex> g(HandleLock());
    LiveHandles().insert(h);
    return h;
}

void UnregisterHandle(HWND aWnd) {
    if (!aWnd) return;
    {
        std::lock_guard<std::mutex> g(HandleLock());
        if (!LiveHandles().erase(aWnd)) return;
    }
    delete aWnd;
}

void DeliverMessage(HWND aWnd, TMessage& aMsg) {
    TWndMethod method;
    {
        std::lock_guard<std::mutex> g(HandleLock());
        if (!LiveHandles().count(aWnd)) return;
        method = aWnd->method; // a copy: the handler may destroy its own window
    }
    if (method) method(aMsg);
}

void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    // Without a display, a desktop platform plug-in would abort the process: use the
    // offscreen one instead, so headless programs run instead of failing.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Deliberately never deleted: Qt's own statics go away at exit in an order we do not control.
    new QApplication(*gArgcPtr, gArgvPtr);
}

} // namespace xo::qt

using namespace xo::qt;

// ---- Handles and messages -------------------------------------------------------------------
HWND AllocateHWnd(TWndMethod aMethod) {
    EnsureQtApplication();
    auto* receiver = new HiddenReceiver;
    HWND h = RegisterHandle(receiver, std::move(aMethod));
    receiver->handle = h;
    return h;
}

void DeallocateHWnd(HWND aWnd) {
    if (!IsWindow(aWnd)) return;
    QObject* receiver = aWnd->receiver;
    UnregisterHandle(aWnd);
    // Deleting the receiver also drops the events still posted to it.
    if (receiver->thread() == QThread::currentThread())
        delete receiver;
    else
        receiver->deleteLater();
}

bool IsWindow(HWND aWnd) {
    if (!aWnd) return false;
    std::lock_guard<std::mutex> g(HandleLock());
    return LiveHandles().count(aWnd) != 0;
}

bool PostMessage(HWND aWnd, uint32_t aMsg, WPARAM aWParam, LPARAM aLParam) {
    if (!aWnd) return false;
    std::lock_guard<std::mutex> g(HandleLock());
    if (!LiveHandles().count(aWnd)) return false;
    QCoreApplication::postEvent(aWnd->receiver, new MessageEvent(TMessage{aMsg, aWParam, aLParam, 0}));
    return true;
}

LRESULT SendMessage(HWND aWnd, uint32_t aMsg, WPARAM aWParam, LPARAM aLParam) {
    QObject* receiver;
    {
        std::lock_guard<std::mutex> g(HandleLock());
        if (!aWnd || !LiveHandles().count(aWnd)) return 0;
        receiver = aWnd->receiver;
    }
    TMessage msg{aMsg, aWParam, aLParam, 0};
    if (receiver->thread() == QThread::currentThread()) {
        DeliverMessage(aWnd, msg);
    } else {
        QMetaObject::invokeMethod(
            receiver, [&] { DeliverMessage(aWnd, msg); }, Qt::BlockingQueuedConnection);
    }
    return msg.Result;
}

// ---- Application ----------------------------------------------------------------------------
namespace {
TApplication* gApplication = nullptr;
std::thread::id gMainThread;
} // namespace

void TApplication::Initialize(int& argc, char** argv) {
    gArgcPtr = &argc;
    gArgvPtr = argv;
}

TApplication::TApplication() : TComponent(nullptr) {
    EnsureQtApplication();
}

TApplication::~TApplication() = default;

TApplication* Application() {
    if (!gApplication) {
        gMainThread = std::this_thread::get_id();
        gApplication = new TApplication; // lives as long as the process
    }
    return gApplication;
}

bool IsMainThread() {
    Application();
    return std::this_thread::get_id() == gMainThread;
}

void TApplication::ProcessMessages() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    CheckSynchronize(0);
}

int TApplication::Run() {
    fTerminated = false;
    return QApplication::exec();
}

void TApplication::Terminate() {
    fTerminated = true;
    QCoreApplication::quit();
}

bool TApplication::HasDisplay() const {
    String p = PlatformName();
    return p != "offscreen" && p != "minimal";
}

String TApplication::PlatformName() const { return FromQString(QGuiApplication::platformName()); }

// ---- Timers ---------------------------------------------------------------------------------
struct TTimer::Impl {
    QTimer* timer = new QTimer;
    bool inTick = false;
    bool dead = false;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    EnsureQtApplication();
    fImpl = new Impl;
    QObject::connect(fImpl->timer, &QTimer::timeout, [impl = fImpl, this] {
        impl->inTick = true;
        if (fOnTimer) {
            TNotifyEvent handler = fOnTimer; // the handler may replace itself
            handler(this);
        }
        impl->inTick = false;
        if (impl->dead) {
            // The timer was destroyed during its own tick: Qt is still inside the timer's
            // signal, so its QTimer goes later.
            impl->timer->deleteLater();
            delete impl;
        }
    });
}

TTimer::~TTimer() {
    fImpl->timer->stop();
    if (fImpl->inTick) {
        fOnTimer = nullptr;
        fImpl->dead = true;
    } else {
        delete fImpl->timer;
        delete fImpl;
    }
}

void TTimer::SetEnabled(bool Value) {
    fEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
    fInterval = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    fOnTimer = std::move(Value);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    fImpl->timer->stop();
    if (fEnabled && fInterval > 0 && fOnTimer) fImpl->timer->start(int(fInterval));
}

// ---- Message boxes --------------------------------------------------------------------------
namespace {
TShowMessageHandler& ShowMessageHandler() {
    static TShowMessageHandler h;
    return h;
}
} // namespace

void ShowMessage(const String& aText) {
    if (TShowMessageHandler h = ShowMessageHandler()) {
        h(aText);
        return;
    }
    if (Application()->HasDisplay()) {
        QMessageBox box(QMessageBox::NoIcon, ToQString(Application()->Title()), ToQString(aText),
                        QMessageBox::Ok);
        box.exec();
    } else {
        std::fprintf(stderr, "%s\n", aText.c_str());
    }
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler aHandler) {
    TShowMessageHandler old = ShowMessageHandler();
    ShowMessageHandler() = std::move(aHandler);
    return old;
}
