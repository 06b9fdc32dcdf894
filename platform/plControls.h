// Controls of the component framework: the control tree with bounds and alignment, windowed
// controls over Qt widgets with their window messages, mouse and keyboard input in the
// framework's order, focus, mouse capture, automatic dragging, and panels.
//
// Every windowed control keeps the picture it last showed. A paint (WM_PAINT, reached from
// the widget's paint event or from Update) renders the invalid part of the control into that
// picture through its canvas and shows it; drawing outside a paint (a custom control's Canvas,
// GetDC/GetDCEx) draws onto the same picture and shows at once, until the next paint replaces
// it.
#pragma once

#include "platform/plGraphics.h"
#include "platform/plMessages.h"

#include <functional>
#include <memory>
#include <vector>

class QWidget;

class TControl;
class TWinControl;
class TForm;

namespace xo {
struct TWinControlImpl;
struct TControlAccess;
class TFreeWatch;
} // namespace xo

// ---- Types ----------------------------------------------------------------------------------
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Cursor shapes: the framework's numbering (negative values are the stock shapes).
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
// Control borders use bsNone and bsSingle; forms also the others.
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoStdEvents,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleItem, 16>;

enum TControlStateItem { csLButtonDown, csClicked, csAlignmentNeeded, csFocusing, csCreating, csCustomPaint };
using TControlState = TSet<TControlStateItem, 8>;

// ---- Window messages ------------------------------------------------------------------------
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_MOUSEFIRST = 0x0200;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSELAST = 0x0209;
constexpr uint32_t WM_COPY = 0x0301;

// The framework's own control messages.
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_SHOWHINTCHANGED = CM_BASE + 27;
constexpr uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 28;
constexpr uint32_t CM_ENTER = CM_BASE + 30;
constexpr uint32_t CM_EXIT = CM_BASE + 31;
constexpr uint32_t CM_DRAG = CM_BASE + 41;
constexpr uint32_t CM_WANTCONTROLKEY = CM_BASE + 42;

// Answers of WM_GETDLGCODE: the keys a control handles itself instead of the form.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// Keys and buttons held, in the WParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr int WHEEL_DELTA = 120;
constexpr WPARAM SIZE_RESTORED = 0;

// Virtual keys beyond the basic set.
enum : uint16_t {
    VK_CAPITAL = 0x14,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_SEPARATOR = 0x6C,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE
};

inline constexpr uint16_t LOWORD(uintptr_t v) {
    return uint16_t(v & 0xFFFF);
}
inline constexpr uint16_t HIWORD(uintptr_t v) {
    return uint16_t((v >> 16) & 0xFFFF);
}
inline constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return LPARAM(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16));
}
inline constexpr WPARAM MAKEWPARAM(int lo, int hi) {
    return WPARAM(MAKELPARAM(lo, hi)) & 0xFFFFFFFFu;
}
// Signed coordinates packed into an LParam.
inline constexpr int GET_X_LPARAM(LPARAM l) {
    return int16_t(LOWORD(uintptr_t(l)));
}
inline constexpr int GET_Y_LPARAM(LPARAM l) {
    return int16_t(HIWORD(uintptr_t(l)));
}

// Typed views of a message, as the framework's message records give them.
struct TMessageView {
    explicit TMessageView(TMessage& aMessage) : Message(aMessage) {}
    TMessage& Message;
    uint32_t Msg() const { return Message.Msg; }
    LRESULT Result() const { return Message.Result; }
    void SetResult(LRESULT Value) { Message.Result = Value; }
};

// Mouse buttons and moves: client coordinates of the receiving control.
struct TWMMouse : TMessageView {
    using TMessageView::TMessageView;
    WPARAM Keys() const { return Message.WParam; }
    int XPos() const { return GET_X_LPARAM(Message.LParam); }
    int YPos() const { return GET_Y_LPARAM(Message.LParam); }
    TPoint Pos() const { return TPoint(XPos(), YPos()); }
};

// The wheel: Keys as for mouse messages, a signed delta (WHEEL_DELTA per notch, positive away
// from the user), and the pointer in screen coordinates.
struct TWMMouseWheel : TMessageView {
    using TMessageView::TMessageView;
    WPARAM Keys() const { return LOWORD(Message.WParam); }
    int WheelDelta() const { return int16_t(HIWORD(Message.WParam)); }
    int XPos() const { return GET_X_LPARAM(Message.LParam); }
    int YPos() const { return GET_Y_LPARAM(Message.LParam); }
    TPoint Pos() const { return TPoint(XPos(), YPos()); }
};

struct TWMKey : TMessageView {
    using TMessageView::TMessageView;
    uint16_t CharCode() const { return uint16_t(Message.WParam); }
    void SetCharCode(uint16_t Value) { Message.WParam = Value; }
    LPARAM KeyData() const { return Message.LParam; }
};

struct TWMChar : TMessageView {
    using TMessageView::TMessageView;
    char32_t CharCode() const { return char32_t(Message.WParam); }
    void SetCharCode(char32_t Value) { Message.WParam = Value; }
};

struct TWMSize : TMessageView {
    using TMessageView::TMessageView;
    int Width() const { return LOWORD(uintptr_t(Message.LParam)); }
    int Height() const { return HIWORD(uintptr_t(Message.LParam)); }
};

// WM_PAINT and WM_ERASEBKGND carry the device context to draw on.
struct TWMPaint : TMessageView {
    using TMessageView::TMessageView;
    HDC DC() const { return reinterpret_cast<HDC>(Message.WParam); }
};
struct TWMEraseBkgnd : TMessageView {
    using TMessageView::TMessageView;
    HDC DC() const { return reinterpret_cast<HDC>(Message.WParam); }
};

// WM_SETFOCUS: the window that lost the focus; WM_KILLFOCUS: the one that gets it (or null).
struct TWMSetFocus : TMessageView {
    using TMessageView::TMessageView;
    HWND FocusedWnd() const { return reinterpret_cast<HWND>(Message.WParam); }
};
using TWMKillFocus = TWMSetFocus;

struct TWMGetDlgCode : TMessageView {
    using TMessageView::TMessageView;
};

// CM_WANTCONTROLKEY: a non-zero Result claims the key (Tab, arrows, Enter, Escape) for the
// control instead of the form's navigation.
struct TCMWantSpecialKey : TMessageView {
    using TMessageView::TMessageView;
    uint16_t CharCode() const { return uint16_t(Message.WParam); }
};

// CM_FOCUSCHANGED, sent to every control of a form: the control that has the focus now.
struct TCMFocusChanged : TMessageView {
    using TMessageView::TMessageView;
    TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(Message.LParam); }
};

// ---- Events ---------------------------------------------------------------------------------
class TDragObject;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
// MousePos is in screen coordinates, as the framework gives it.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// What an automatic drag carries. OnStartDrag may hand out one of its own (it stays the
// handler's); without one, drag-over and drop see the source control as Source.
class TDragObject : public TObject {
public:
    TControl* Control() const { return fControl; }
    TPoint DragPos() const { return fDragPos; }
    TControl* DragTarget() const { return fDragTarget; }
    bool Dropped() const { return fDropped; }
    // The cursor shown while over a target that accepts (true) or refuses (false).
    virtual TCursor GetDragCursor(bool Accepted, int X, int Y);

private:
    friend struct xo::TControlAccess;
    TControl* fControl = nullptr;
    TPoint fDragPos;
    TControl* fDragTarget = nullptr;
    bool fDropped = false;
};

// ---- TControl -------------------------------------------------------------------------------
// A control: a component with a parent, bounds, alignment, colour, font, cursor and mouse
// handlers. It has no window of its own (see TWinControl); windowless controls paint on their
// parent and receive the mouse through it.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return fParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    void SetLeft(int Value) { SetBounds(Value, fTop, fWidth, fHeight); }
    void SetTop(int Value) { SetBounds(fLeft, Value, fWidth, fHeight); }
    void SetWidth(int Value) { SetBounds(fLeft, fTop, Value, fHeight); }
    void SetHeight(int Value) { SetBounds(fLeft, fTop, fWidth, Value); }
    // Moves and sizes the control in its parent's client coordinates (negative sizes count as
    // 0); a new size realigns the children and calls Resize, and an aligned control asks its
    // parent to realign.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return TRect(fLeft, fTop, fLeft + fWidth, fTop + fHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // Stores new bounds without any notification and without moving the window (a control
    // that lays itself out at another size for a moment, while it prints).
    void UpdateBoundsRect(const TRect& R);

    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& Point) const;
    TPoint ScreenToClient(const TPoint& Point) const;

    TAlign Align() const { return fAlign; }
    virtual void SetAlign(TAlign Value);

    bool Visible() const { return GetVisible(); }
    virtual bool GetVisible() const { return fVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent up to a shown window.
    virtual bool Showing() const;
    bool Enabled() const { return fEnabled; }
    virtual void SetEnabled(bool Value);

    TColor Color() const { return fColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return fParentColor; }
    void SetParentColor(bool Value);
    TFont* Font() const { return fFont.get(); }
    void SetFont(TFont* Value) { fFont->Assign(Value); }
    bool ParentFont() const { return fParentFont; }
    void SetParentFont(bool Value);
    const String& Caption() const { return fCaption; }
    void SetCaption(const String& Value);
    const String& Text() const { return fCaption; }
    void SetText(const String& Value) { SetCaption(Value); }

    TCursor Cursor() const { return fCursor; }
    void SetCursor(TCursor Value);
    const String& Hint() const { return fHint; }
    void SetHint(const String& Value) { fHint = Value; }
    bool ShowHint() const { return fShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return fParentShowHint; }
    void SetParentShowHint(bool Value);
    // The control's popup menu (a menu component; none by default). Cleared when it is freed.
    TComponent* PopupMenu() const { return fPopupMenu; }
    void SetPopupMenu(TComponent* Value);

    TControlStyle ControlStyle() const { return fControlStyle; }
    void SetControlStyle(TControlStyle Value) { fControlStyle = Value; }
    TControlState ControlState() const { return fControlState; }

    // Marks the control for a repaint at the next paint; Update paints what is marked now;
    // Repaint and Refresh do both.
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }

    // Messages: Perform hands one to WndProc at once. WndProc handles the framework's
    // internal routing and passes every message to Dispatch, which calls the handler of the
    // message (the virtual WM.../CM... operations) or DefaultHandler. Descendants handle
    // messages of their own by overriding WndProc or Dispatch.
    LRESULT Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam);
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // Mouse moves and button releases anywhere go to the capturing control.
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    // Automatic dragging. BeginDrag starts at once, or when the mouse has moved Threshold
    // pixels (-1: the platform's threshold) with the button held.
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    TDragMode DragMode() const { return fDragMode; }
    virtual void SetDragMode(TDragMode Value) { fDragMode = Value; }
    TCursor DragCursor() const { return fDragCursor; }
    void SetDragCursor(TCursor Value) { fDragCursor = Value; }
    virtual void DragDrop(TObject* Source, int X, int Y);

    void BringToFront();
    void SendToBack();

    // The Qt widget that shows the control: its own for a windowed control, its parent's for
    // a windowless one (nullptr without a parent).
    virtual QWidget* Widget();

    // ---- events
    TMouseEvent OnMouseDown() const { return fOnMouseDown; }
    void SetOnMouseDown(TMouseEvent Value) { fOnMouseDown = std::move(Value); }
    TMouseMoveEvent OnMouseMove() const { return fOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent Value) { fOnMouseMove = std::move(Value); }
    TMouseEvent OnMouseUp() const { return fOnMouseUp; }
    void SetOnMouseUp(TMouseEvent Value) { fOnMouseUp = std::move(Value); }
    TNotifyEvent OnClick() const { return fOnClick; }
    void SetOnClick(TNotifyEvent Value) { fOnClick = std::move(Value); }
    TNotifyEvent OnDblClick() const { return fOnDblClick; }
    void SetOnDblClick(TNotifyEvent Value) { fOnDblClick = std::move(Value); }
    TMouseWheelEvent OnMouseWheel() const { return fOnMouseWheel; }
    void SetOnMouseWheel(TMouseWheelEvent Value) { fOnMouseWheel = std::move(Value); }
    TMouseWheelUpDownEvent OnMouseWheelUp() const { return fOnMouseWheelUp; }
    void SetOnMouseWheelUp(TMouseWheelUpDownEvent Value) { fOnMouseWheelUp = std::move(Value); }
    TMouseWheelUpDownEvent OnMouseWheelDown() const { return fOnMouseWheelDown; }
    void SetOnMouseWheelDown(TMouseWheelUpDownEvent Value) { fOnMouseWheelDown = std::move(Value); }
    TNotifyEvent OnMouseEnter() const { return fOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent Value) { fOnMouseEnter = std::move(Value); }
    TNotifyEvent OnMouseLeave() const { return fOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent Value) { fOnMouseLeave = std::move(Value); }
    TNotifyEvent OnResize() const { return fOnResize; }
    void SetOnResize(TNotifyEvent Value) { fOnResize = std::move(Value); }
    TContextPopupEvent OnContextPopup() const { return fOnContextPopup; }
    void SetOnContextPopup(TContextPopupEvent Value) { fOnContextPopup = std::move(Value); }
    TDragOverEvent OnDragOver() const { return fOnDragOver; }
    void SetOnDragOver(TDragOverEvent Value) { fOnDragOver = std::move(Value); }
    TDragDropEvent OnDragDrop() const { return fOnDragDrop; }
    void SetOnDragDrop(TDragDropEvent Value) { fOnDragDrop = std::move(Value); }
    TStartDragEvent OnStartDrag() const { return fOnStartDrag; }
    void SetOnStartDrag(TStartDragEvent Value) { fOnStartDrag = std::move(Value); }
    TEndDragEvent OnEndDrag() const { return fOnEndDrag; }
    void SetOnEndDrag(TEndDragEvent Value) { fOnEndDrag = std::move(Value); }

protected:
    // Mouse handlers, called in the framework's order: a press is MouseDown; a release is
    // Click (when the press was inside and the release is inside) and then MouseUp; a second
    // press within the double-click time is DblClick and then MouseDown with ssDouble. Each
    // base handler raises its On... event.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    // Answers whether the wheel was handled (by OnMouseWheel, then DoMouseWheelDown/Up); an
    // unhandled wheel message goes on to the parent.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual void MouseEnter();
    virtual void MouseLeave();

    // Drag hooks: DragOver raises OnDragOver (Accept stays false without a handler);
    // DoStartDrag raises OnStartDrag; DoEndDrag raises OnEndDrag with the target that accepted
    // the drop (or none) and the drop point in its client coordinates.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    // The left button went down on a control whose DragMode is automatic.
    virtual void BeginAutoDrag();

    // Asks the parent to realign its children (an aligned control moved, resized or changed
    // its alignment or visibility).
    virtual void RequestAlign();
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void ColorChanged();
    virtual void FontChanged();
    virtual void TextChanged();
    virtual void CursorChanged();

    // Typed message handlers (through Dispatch).
    virtual void WMMouseWheel(TWMMouseWheel& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);

    void Loaded() override;

    void SetControlState(TControlState Value) { fControlState = Value; }

    TWinControl* fParent = nullptr;
    int fLeft = 0;
    int fTop = 0;
    int fWidth = 0;
    int fHeight = 0;

private:
    friend class TWinControl;
    friend struct xo::TControlAccess;
    void HandleMouseMessage(TMessage& Message);
    void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& Message, TMouseButton Button);
    void ParentColorFromParent();
    void ParentFontFromParent();
    // Records a move made by the application (not by the parent's alignment).
    void NoteMove(bool Moved);

    TAlign fAlign = alNone;
    bool fVisible = true;
    bool fEnabled = true;
    TColor fColor = clWindow;
    bool fParentColor = true;
    std::unique_ptr<TFont> fFont;
    bool fParentFont = true;
    bool fUpdatingParentFont = false;
    String fCaption;
    TCursor fCursor = crDefault;
    TCursor fDragCursor = crDrag;
    TDragMode fDragMode = dmManual;
    String fHint;
    bool fShowHint = false;
    bool fParentShowHint = true;
    TComponent* fPopupMenu = nullptr;
    // Hears of the popup menu's end. A watcher of its own: links between the menu and the
    // control itself may be dropped by either side for reasons of its own.
    std::unique_ptr<xo::TFreeWatch> fPopupWatch;
    TControlStyle fControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState fControlState;
    // A control newly aligned that has no position of its own yet joins after the aligned
    // ones of its kind.
    bool fAlignFresh = true;
    int fWheelAccumulator = 0;

    TMouseEvent fOnMouseDown;
    TMouseMoveEvent fOnMouseMove;
    TMouseEvent fOnMouseUp;
    TNotifyEvent fOnClick;
    TNotifyEvent fOnDblClick;
    TMouseWheelEvent fOnMouseWheel;
    TMouseWheelUpDownEvent fOnMouseWheelUp;
    TMouseWheelUpDownEvent fOnMouseWheelDown;
    TNotifyEvent fOnMouseEnter;
    TNotifyEvent fOnMouseLeave;
    TNotifyEvent fOnResize;
    TContextPopupEvent fOnContextPopup;
    TDragOverEvent fOnDragOver;
    TDragDropEvent fOnDragDrop;
    TStartDragEvent fOnStartDrag;
    TEndDragEvent fOnEndDrag;
};

// ---- TWinControl ----------------------------------------------------------------------------
// A control with a window (a Qt widget, created when first needed): children, keyboard focus,
// tab order, alignment of its children, and window messages.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // Children: the windowless ones first, then the windowed ones, each in z-order (bottom
    // first), as the framework lists them. nullptr when out of range.
    int ControlCount() const { return int(fControls.size() + fWinControls.size()); }
    TControl* Controls(int Index) const;
    bool ContainsControl(TControl* Control) const;
    // The topmost visible child at Pos (client coordinates): windowless ones, and windowed
    // ones too when AllowWinControls; disabled ones only when AllowDisabled.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Sends Message to every child.
    void Broadcast(TMessage& Message);

    // The window handle, creating the window (and its parent's) when needed. Messages posted
    // to it reach WndProc from the message loop.
    HWND Handle();
    bool HandleAllocated() const;
    void HandleNeeded() { (void)Handle(); }
    QWidget* Widget() override;
    // Places the control's window inside a foreign Qt widget (nullptr: takes it out again).
    // A control without a parent then shows in the host: size it with SetBounds, or let the
    // host's layout size it (the control follows and realigns).
    void SetParentWidget(QWidget* AHost);
    QWidget* ParentWidget() const;

    // Focus: CanFocus when it and its parents are visible and enabled in a shown window.
    // SetFocus raises Exception "Cannot focus a disabled or invisible window" otherwise.
    virtual bool CanFocus() const;
    virtual void SetFocus();
    virtual bool Focused() const;
    bool TabStop() const { return fTabStop; }
    void SetTabStop(bool Value) { fTabStop = Value; }
    // Position among the windowed siblings for Tab navigation (-1 without a parent).
    int TabOrder() const;
    void SetTabOrder(int Value);
    // Focuses the next (or previous) control after CurControl in tab order, within this
    // control; CheckTabStop skips controls without TabStop.
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    // The windowed descendants in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;

    // Alignment of the children: alTop, then alBottom, alLeft, alRight and alClient, each kind
    // in order of position (ties in z-order), within the client rectangle less
    // AdjustClientRect. DisableAlign/EnableAlign bracket several changes into one realignment.
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return fAlignLevel > 0; }
    void Realign();

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    bool Showing() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    void Invalidate() override;
    void Update() override;
    void Repaint() override;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

    TKeyEvent OnKeyDown() const { return fOnKeyDown; }
    void SetOnKeyDown(TKeyEvent Value) { fOnKeyDown = std::move(Value); }
    TKeyPressEvent OnKeyPress() const { return fOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent Value) { fOnKeyPress = std::move(Value); }
    TKeyEvent OnKeyUp() const { return fOnKeyUp; }
    void SetOnKeyUp(TKeyEvent Value) { fOnKeyUp = std::move(Value); }
    TNotifyEvent OnEnter() const { return fOnEnter; }
    void SetOnEnter(TNotifyEvent Value) { fOnEnter = std::move(Value); }
    TNotifyEvent OnExit() const { return fOnExit; }
    void SetOnExit(TNotifyEvent Value) { fOnExit = std::move(Value); }

protected:
    // Key handlers, called for the focused control: KeyDown for every key going down, then
    // KeyPress for the character it types (if any), KeyUp when it goes up. Setting Key to 0
    // stops the key for the framework.
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void DoEnter();
    virtual void DoExit();

    virtual void AlignControls(TControl* AControl, TRect& Rect);
    // The part of the client rectangle in which children are aligned.
    virtual void AdjustClientRect(TRect& Rect);
    // Paints the control itself on DC (the base paints nothing); the paint message then paints
    // the windowless children on top.
    virtual void PaintWindow(HDC DC);
    // Paints the visible windowless children (from First on, in z-order) on DC.
    void PaintControls(HDC DC, TControl* First);
    // Width of the window's own frame around the client area (a sunken edge is 2).
    virtual int NonClientInset() const { return 0; }
    // Paints the frame around the client area (device coordinates of the whole window).
    virtual void PaintNonClient(HDC DC);

    // Creates the window: the Qt widget (CreateWidget), then the windows of the children.
    virtual void CreateWnd();
    // The widget the control lives in; the platform's own one by default.
    virtual QWidget* CreateWidget(QWidget* aParentWidget);
    virtual void DestroyWnd();

    // Typed message handlers (through Dispatch).
    virtual void WMPaint(TWMPaint& Message);
    // Fills the client area with Color (Result 1). Controls that paint every pixel override
    // it to do nothing.
    virtual void WMEraseBkgnd(TWMEraseBkgnd& Message);
    virtual void WMSetFocus(TWMSetFocus& Message);
    virtual void WMKillFocus(TWMKillFocus& Message);
    virtual void WMGetDlgCode(TWMGetDlgCode& Message);
    virtual void CMWantSpecialKey(TCMWantSpecialKey& Message);
    virtual void CMFocusChanged(TCMFocusChanged& Message);
    // The client size changed: realigns the children, then Resize.
    virtual void WMSize(TWMSize& Message);
    virtual void CMDialogKey(TWMKey& Message);

    void Loaded() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void ColorChanged() override;
    void FontChanged() override;
    void CursorChanged() override;

    xo::TWinControlImpl& Impl() const { return *fImpl; }

private:
    friend class TControl;
    friend struct xo::TControlAccess;
    friend class TForm;
    bool DoKeyDown(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    void AlignControl(TControl* AControl);
    void UpdateWidgetGeometry();
    void UpdateWidgetVisibility();
    // Puts the widget into its parent's widget (or the host, or none), placed and shown as the
    // control says.
    void AttachWidget();
    void NotifyControls(uint32_t Msg);

    std::vector<TControl*> fControls;       // windowless children, z-order
    std::vector<TWinControl*> fWinControls; // windowed children, z-order
    std::vector<TWinControl*> fTabList;
    int fAlignLevel = 0;
    bool fPlacingChildren = false; // AlignControls is setting the children's bounds
    bool fTabStop = false;
    std::unique_ptr<xo::TWinControlImpl> fImpl;

    TKeyEvent fOnKeyDown;
    TKeyPressEvent fOnKeyPress;
    TKeyEvent fOnKeyUp;
    TNotifyEvent fOnEnter;
    TNotifyEvent fOnExit;
};

// ---- TCustomControl -------------------------------------------------------------------------
// A windowed control that paints itself on its own Canvas. Inside Paint the canvas draws on
// the paint's device context; outside a paint it draws straight onto the shown picture.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    TCanvas* Canvas();

protected:
    virtual void Paint();
    void PaintWindow(HDC DC) override;

private:
    std::unique_ptr<TCanvas> fCanvas;
    HDC fDirectDC = nullptr; // the canvas's context outside a paint
    bool fOnDirect = false;  // the canvas is attached to fDirectDC
    bool fInPaint = false;
};

// ---- TGraphicControl ------------------------------------------------------------------------
// A windowless control: it paints on its parent's picture, within its bounds.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    // Inside Paint: the parent's paint context with the origin at the control and clipped to
    // it; outside a paint: the same on the parent's shown picture.
    TCanvas* Canvas();
    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint();

private:
    void PaintOn(HDC DC);
    void ReleaseDirectDC();
    std::unique_ptr<TCanvas> fCanvas;
    HDC fDirectDC = nullptr;
    HWND fDirectWnd = nullptr;
    bool fOnDirect = false;
    bool fInPaint = false;
};

// ---- Panels ---------------------------------------------------------------------------------
// Draws Width nested one-pixel frames: top and left in TopColor, bottom and right in
// BottomColor. Rect shrinks by Width on every side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// A panel: bevels around a face in Color, a caption drawn in its Font, centred vertically and
// aligned by Alignment. Children are aligned inside the border and the bevels.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);

    TBevelCut BevelOuter() const { return fBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelCut BevelInner() const { return fBevelInner; }
    void SetBevelInner(TBevelCut Value);
    int BevelWidth() const { return fBevelWidth; }
    void SetBevelWidth(int Value);
    int BorderWidth() const { return fBorderWidth; }
    void SetBorderWidth(int Value);
    // bsSingle puts a sunken edge of 2 pixels around the client area.
    TBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment Value);
    bool FullRepaint() const { return fFullRepaint; }
    void SetFullRepaint(bool Value) { fFullRepaint = Value; }

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    int NonClientInset() const override;
    void PaintNonClient(HDC DC) override;
    void TextChanged() override;

private:
    void BordersChanged();
    TBevelCut fBevelOuter = bvRaised;
    TBevelCut fBevelInner = bvNone;
    int fBevelWidth = 1;
    int fBorderWidth = 0;
    TBorderStyle fBorderStyle = bsNone;
    TAlignment fAlignment = taCenter;
    bool fFullRepaint = true;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
};

// ---- Window and device-context calls --------------------------------------------------------
// The control of a window handle, or nullptr.
TWinControl* FindControl(HWND Handle);
// Marks Rect (client coordinates; nullptr: the whole client area) for the next paint; with
// Erase the paint first sends WM_ERASEBKGND.
bool InvalidateRect(HWND Wnd, const TRect* Rect, bool Erase);
// Paints what is marked now.
bool UpdateWindow(HWND Wnd);
// A device context on the window's shown picture, in client coordinates: what it draws shows
// at once and stays until the next paint. Release it with ReleaseDC.
HDC GetDC(HWND Wnd);
constexpr uint32_t DCX_WINDOW = 0x0001;
constexpr uint32_t DCX_CACHE = 0x0002;
constexpr uint32_t DCX_CLIPCHILDREN = 0x0008;
constexpr uint32_t DCX_CLIPSIBLINGS = 0x0010;
constexpr uint32_t DCX_PARENTCLIP = 0x0020;
constexpr uint32_t DCX_LOCKWINDOWUPDATE = 0x0400;
// As GetDC; the flags and the region are accepted and do not change what is drawn.
HDC GetDCEx(HWND Wnd, HRGN Clip, uint32_t Flags);
int ReleaseDC(HWND Wnd, HDC DC);
// The window with the keyboard focus, or nullptr; SetFocus answers the previous one.
HWND GetFocus();
HWND SetFocus(HWND Wnd);
bool IsWindowVisible(HWND Wnd);
bool IsWindowEnabled(HWND Wnd);
// Moves a control's window (its bounds follow).
bool MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, bool Repaint);
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;
inline HWND const HWND_TOP = nullptr;
bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Width, int Height, uint32_t Flags);
// The last known pointer position in screen coordinates.
bool GetCursorPos(TPoint* Point);
// Negative (high bit set) while the key or mouse button is held: VK_SHIFT, VK_CONTROL,
// VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON.
int16_t GetKeyState(int VirtKey);
// The shift state of a mouse message's keys (Alt from the keyboard).
TShiftState KeysToShiftState(WPARAM Keys);
void MessageBeep(unsigned Type);
// Pixels the mouse must move with a button held before a pending drag starts.
int DragThreshold();

// Hook through which a control shows its PopupMenu (right button released, or the context
// key): the menu, the control and the point in screen coordinates; answers whether it
// showed. Installed by the menus of the platform.
using TPopupMenuHook = std::function<bool(TComponent* Menu, TControl* Control, TPoint ScreenPos)>;
void SetPopupMenuHook(TPopupMenuHook aHook);
