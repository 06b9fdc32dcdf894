// Forms (top-level windows of the application, or a host's content) and the screen's list of
// them.
#pragma once

#include "platform/plControls.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;

// A form: a top-level window with a caption. Created hidden; Width and Height are those of
// the client area (the window manager's frame comes on top). SetParentWidget places the form's
// content inside a host's Qt widget instead of a window of its own.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Makes the form visible (OnShow first), brings it to the front and activates it.
    void Show();
    // Shows the form and runs the event loop until ModalResult is set or the form is closed;
    // answers ModalResult (mrCancel when it was closed without one).
    TModalResult ShowModal();
    // OnCloseQuery may refuse; then OnClose chooses the action (caHide by default): hide,
    // free after the current event, minimize, or nothing. Closing the application's main form
    // (or, without one, its last window) ends the application's Run.
    void Close();
    bool CloseQuery();
    // Frees the form once the current event has been handled.
    void Release();

    // The control that has (or gets, when the form is activated) the focus.
    TWinControl* ActiveControl() const { return fActiveControl; }
    void SetActiveControl(TWinControl* Value);
    // Sets ActiveControl and focuses it when the form is active.
    void FocusControl(TWinControl* Control);
    // The focus moved to Control: raises OnExit and OnEnter along the way and tells every
    // control of the form (CM_FOCUSCHANGED).
    bool SetFocusedControl(TWinControl* Control);
    // A control (or a container of it) that leaves the form loses its focus role here.
    void DefocusControl(TControl* Control);
    // The form's window is the active window.
    bool Active() const;

    TModalResult ModalResult() const { return fModalResult; }
    void SetModalResult(TModalResult Value) { fModalResult = Value; }
    // Key messages reach the form's own key handlers before the focused control's.
    bool KeyPreview() const { return fKeyPreview; }
    void SetKeyPreview(bool Value) { fKeyPreview = Value; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);

    void SetVisible(bool Value) override;

    TNotifyEvent OnShow() const { return fOnShow; }
    void SetOnShow(TNotifyEvent Value) { fOnShow = std::move(Value); }
    TNotifyEvent OnHide() const { return fOnHide; }
    void SetOnHide(TNotifyEvent Value) { fOnHide = std::move(Value); }
    TCloseEvent OnClose() const { return fOnClose; }
    void SetOnClose(TCloseEvent Value) { fOnClose = std::move(Value); }
    TCloseQueryEvent OnCloseQuery() const { return fOnCloseQuery; }
    void SetOnCloseQuery(TCloseQueryEvent Value) { fOnCloseQuery = std::move(Value); }
    TNotifyEvent OnActivate() const { return fOnActivate; }
    void SetOnActivate(TNotifyEvent Value) { fOnActivate = std::move(Value); }
    TNotifyEvent OnDeactivate() const { return fOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent Value) { fOnDeactivate = std::move(Value); }

protected:
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();

    void Dispatch(TMessage& Message) override;
    void CMDialogKey(TWMKey& Message) override;
    void TextChanged() override;
    QWidget* CreateWidget(QWidget* aParentWidget) override;
    void CreateWnd() override;

private:
    void ApplyWindowFlags();
    TWinControl* fActiveControl = nullptr;
    TWinControl* fFocusedControl = nullptr;
    TModalResult fModalResult = mrNone;
    bool fKeyPreview = false;
    bool fModal = false;
    bool fClosing = false;
    TFormBorderStyle fBorderStyle = bsSizeable;

    TNotifyEvent fOnShow;
    TNotifyEvent fOnHide;
    TCloseEvent fOnClose;
    TCloseQueryEvent fOnCloseQuery;
    TNotifyEvent fOnActivate;
    TNotifyEvent fOnDeactivate;
};

// The form at the top of a control's parent chain, or nullptr (a control in no form).
TForm* GetParentForm(TControl* Control);

// The screen: its size, the forms of the application and the active one, and a cursor that
// overrides every control's while it is not crDefault.
class TScreen : public TObject {
public:
    int Width() const;
    int Height() const;
    int FormCount() const { return int(fForms.size()); }
    // nullptr when out of range.
    TForm* Forms(int Index) const;
    TForm* ActiveForm() const;
    TWinControl* ActiveControl() const;
    // Whether a form shows as a window of its own.
    bool AnyFormVisible() const;
    TCursor Cursor() const { return fCursor; }
    void SetCursor(TCursor Value);

private:
    friend class TForm;
    std::vector<TForm*> fForms;
    TCursor fCursor = crDefault;
};

TScreen* Screen();
