// Private to platform/: how controls live in Qt widgets. Each windowed control has a widget
// (the platform's own ControlWidget, or a native Qt widget of a descendant class), the
// picture it last showed, the part of that picture that is out of date, and the device
// contexts that draw on the picture outside a paint.
#pragma once

#include "platform/internal/plQtGlue.h"
#include "platform/plControls.h"

#include <QImage>

class QKeyEvent;
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <vector>

namespace xo {

struct TWinControlImpl {
    QWidget* widget = nullptr; // the control's widget, or nullptr before the handle
    QPointer<QWidget> host;    // a foreign widget the control is placed in
    HWND handle = nullptr;
    QImage shown;       // what the widget shows (client and frame)
    QRegion invalid;    // widget coordinates
    bool erase = false; // the next paint erases the background first
    bool painting = false;
    bool syncingGeometry = false; // the widget is being moved by the control itself
    std::vector<HDC> dcs;         // device contexts on `shown` (GetDC, direct canvases)
    TControl* hover = nullptr;    // windowless child under the pointer
};

// Tells its owner when a component it watches is freed.
class TFreeWatch : public TComponent {
public:
    explicit TFreeWatch(std::function<void(TComponent*)> aOnFree)
        : TComponent(nullptr), fOnFree(std::move(aOnFree)) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && fOnFree) fOnFree(AComponent);
    }

private:
    std::function<void(TComponent*)> fOnFree;
};

// Reaches the protected and private parts of controls from the glue code.
struct TControlAccess {
    static TWinControlImpl& Impl(TWinControl* c) { return *c->fImpl; }
    static int NonClientInset(const TWinControl* c) { return c->NonClientInset(); }
    static void PaintNonClient(TWinControl* c, HDC dc) { c->PaintNonClient(dc); }
    // The widget was resized or moved by Qt (a host's layout, the window manager).
    static void WidgetGeometryChanged(TWinControl* c, const QRect& r);
    static void SetDragTargetFields(TDragObject* o, TControl* source, TControl* target, TPoint pos,
                                    bool dropped) {
        o->fControl = source;
        o->fDragTarget = target;
        o->fDragPos = pos;
        o->fDropped = dropped;
    }
    static void DoStartDrag(TControl* c, TDragObject*& o) { c->DoStartDrag(o); }
    static void DoEndDrag(TControl* c, TObject* target, int x, int y) { c->DoEndDrag(target, x, y); }
    static void DragOver(TControl* c, TObject* source, int x, int y, TDragState s, bool& accept) {
        c->DragOver(source, x, y, s, accept);
    }
    static void DestroyingWidget(TWinControl* c);
    static void PlaceWidget(TWinControl* c) { c->UpdateWidgetGeometry(); }
    static const std::vector<TWinControl*>& WinControls(const TWinControl* c) { return c->fWinControls; }
    static const std::vector<TControl*>& GraphicControls(const TWinControl* c) { return c->fControls; }
};

namespace qt {

// The platform's widget of a windowed control: it turns Qt's events into the control's
// messages and shows the control's picture.
class ControlWidget : public QWidget {
public:
    ControlWidget(TWinControl* aControl, QWidget* aParent);
    ~ControlWidget() override;
    TWinControl* control; // nullptr once the control is gone

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

// Turns one Qt event on a control's widget into the control's messages; answers whether the
// event was consumed. Native widgets of descendant classes call it from an event filter.
bool HandleControlEvent(TWinControl* aControl, QWidget* aWidget, QEvent* aEvent);

// The control whose window a widget is (nullptr for foreign widgets).
TWinControl* ControlOfWidget(const QWidget* aWidget);
// The windowed control a widget belongs to: the widget's own, or that of its nearest
// ancestor with one.
TWinControl* ControlAtWidget(const QWidget* aWidget);

// Paints the out-of-date part of a control's picture (sizing the picture to the widget).
void PaintPending(TWinControl* aControl);
// Ends the painters of the control's device contexts (before its picture is read, resized
// or painted by someone else).
void ReleaseSurface(TWinControl* aControl);
// The picture a control shows, sized to its widget (empty without a widget).
const QImage& ShownImage(TWinControl* aControl);
// What the screen shows of a control: its picture with those of its visible windowed
// descendants on top, painting what is out of date first.
QImage ComposeShown(TWinControl* aControl);

Qt::CursorShape CursorShape(TCursor aCursor);
// Applies the cursor of the control under the pointer (or of the capture) to a widget.
void UpdateWidgetCursor(TWinControl* aControl, const TPoint& aClientPos);

// Mouse state shared by the event translation, capture and dragging.
TControl* CaptureControl();
void SetCaptureControl(TControl* aControl);
TPoint LastMouseScreenPos();
void SetLastMouseScreenPos(const TPoint& aPos);
// Called when a control goes away: forgets it as capture, hover, drag source or target.
void ForgetControl(TControl* aControl);

// Dragging (plControls_Drag.cpp).
bool DragInProgress();
// A mouse message while a drag is under way; the drag consumes it.
void DragMouseMessage(uint32_t aMsg, const TPoint& aScreenPos);
void CancelDrag();
void DragCMDrag(TControl* aControl, TMessage& aMessage);
void DragForgetControl(TControl* aControl);

// The control's window goes away: its device contexts stay valid but draw nowhere until
// they are released.
void DetachWindowDCs(TWinControl* aControl);

// Reports an exception that escaped a handler called from Qt's event loop.
void ReportException(const char* aWhat);

// Exceptions must not cross Qt's event dispatch: depth of control event handling, so that a
// control destroyed from its own handler has its widget deleted later.
int EventDepth();

// The virtual key of a Qt key event (keypad digits and operators as the keypad's keys).
uint16_t VirtualKeyOf(const QKeyEvent* aEvent);

} // namespace qt
} // namespace xo
