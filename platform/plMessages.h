// Window handles, posted messages, the application object, timers and message boxes.
#pragma once

#include "platform/plClasses.h"

#include <functional>

// Opaque handles of our own: a window that receives messages, and a device context.
struct HWND__;
using HWND = HWND__*;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
    uint32_t Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_APP = 0x8000;

using TWndMethod = std::function<void(TMessage&)>;

// A hidden window that hands every message it receives to aMethod, on the thread that made
// it. Messages posted to it are delivered by that thread's event loop, in posting order.
HWND AllocateHWnd(TWndMethod aMethod);
// Destroys the window; messages still queued for it are dropped. Null is ignored.
void DeallocateHWnd(HWND aWnd);
// Whether aWnd is a live window.
bool IsWindow(HWND aWnd);
// Queues a message; false when aWnd is not a live window. Safe from any thread.
bool PostMessage(HWND aWnd, uint32_t aMsg, WPARAM aWParam, LPARAM aLParam);
// Delivers a message now and answers its Result (0 for a dead window). From another thread
// than the window's, the call waits until the window's thread has handled it.
LRESULT SendMessage(HWND aWnd, uint32_t aMsg, WPARAM aWParam, LPARAM aLParam);

// ---- Application ----------------------------------------------------------------------------
class TForm;

class TApplication : public TComponent {
public:
    // Uses the host's QApplication when there is one, creates its own otherwise.
    TApplication();
    ~TApplication() override;

    // Gives the application the process arguments before it creates its QApplication
    // (call before anything else uses the platform). Optional.
    static void Initialize(int& argc, char** argv);

    // Handles every pending event and message, then returns.
    void ProcessMessages();
    // Runs the event loop until Terminate or until the main form closes; answers the exit code.
    int Run();
    void Terminate();
    bool Terminated() const { return fTerminated; }

    TForm* MainForm() const { return fMainForm; }
    void SetMainForm(TForm* aForm) { fMainForm = aForm; }

    // Whether windows can really be shown (false on the offscreen and minimal platforms).
    bool HasDisplay() const;
    // Name of the Qt platform plug-in in use ("xcb", "wayland", "offscreen", ...).
    String PlatformName() const;

    String Title() const { return fTitle; }
    void SetTitle(const String& aTitle) { fTitle = aTitle; }

private:
    TForm* fMainForm = nullptr;
    bool fTerminated = false;
    String fTitle;
};

// The process's application object, created on first use on the calling (main) thread.
TApplication* Application();
// True on the thread that created the application.
bool IsMainThread();

// ---- Timers ---------------------------------------------------------------------------------
// Ticks OnTimer on the main thread every Interval milliseconds while Enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool Value);
    // Milliseconds; 0 stops the ticks (like the framework's timer).
    unsigned Interval() const { return fInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer() const { return fOnTimer; }
    void SetOnTimer(TNotifyEvent Value);

private:
    void UpdateTimer();
    struct Impl;
    Impl* fImpl;
    bool fEnabled = true;
    unsigned fInterval = 1000;
    TNotifyEvent fOnTimer;
};

// ---- Message boxes --------------------------------------------------------------------------
using TShowMessageHandler = std::function<void(const String& aText)>;
// A modal box with the text and an OK button on a desktop; without a display the text goes
// to standard error. A handler set here replaces both (tests capture the text with it).
void ShowMessage(const String& aText);
// Answers the previous handler; an empty handler restores the default.
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler aHandler);
