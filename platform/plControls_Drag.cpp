// Automatic dragging: a drag started by BeginDrag follows the mouse over the application's
// controls, asks each target under the pointer with DragOver, and ends with DragDrop on an
// accepting target and DoEndDrag on the source.
#include "platform/internal/plControlGlue.h"
#include "platform/plControls.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>

using namespace xo;
using namespace xo::qt;

namespace {

// The record CM_DRAG carries.
struct TDragRec {
    TDragState state;
    bool drop;
    TObject* source;
    TPoint screenPos;
    bool accept;
};

struct TDragSession {
    TControl* source = nullptr;
    TDragObject own;               // used when OnStartDrag hands out none
    TDragObject* object = nullptr; // own, or the application's
    TPoint start;
    TPoint pos;
    int threshold = 5;
    bool started = false;
    TControl* target = nullptr;
    bool accepted = false;
    bool cursorSet = false;

    TObject* SourceArg() { return object == &own ? static_cast<TObject*>(source) : object; }
};

std::unique_ptr<TDragSession> gDrag;

void SetDragCursor(TDragSession& s, TCursor c) {
    QCursor cursor(CursorShape(c));
    if (s.cursorSet) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        s.cursorSet = true;
    }
}

// The control under a screen point: the window there, then its windowless child.
TControl* FindDragTarget(const TPoint& aScreen) {
    QPoint g(aScreen.X, aScreen.Y);
    QWidget* active = QApplication::activeWindow();
    QWidgetList tops = QApplication::topLevelWidgets();
    if (active) tops.prepend(active);
    for (QWidget* top : tops) {
        if (!top->isVisible() || !top->geometry().contains(g)) continue;
        QPoint local = top->mapFromGlobal(g);
        QWidget* w = top->childAt(local);
        TWinControl* wc = ControlAtWidget(w ? w : top);
        if (!wc) continue;
        while (wc && !wc->Enabled())
            wc = wc->Parent();
        if (!wc) continue;
        if (TControl* child = wc->ControlAtPos(wc->ScreenToClient(aScreen), false)) return child;
        return wc;
    }
    return nullptr;
}

bool SendDrag(TControl* aTarget, TDragState aState, bool aDrop) {
    TDragRec rec{aState, aDrop, gDrag->SourceArg(), gDrag->pos, false};
    aTarget->Perform(CM_DRAG, 0, reinterpret_cast<LPARAM>(&rec));
    return rec.accept;
}

void DragTo(const TPoint& aScreen) {
    TDragSession& s = *gDrag;
    s.pos = aScreen;
    TControl* t = FindDragTarget(aScreen);
    if (t != s.target) {
        TControl* old = s.target;
        s.target = nullptr;
        s.accepted = false;
        if (old) SendDrag(old, dsDragLeave, false);
        if (!gDrag) return;
        s.target = t;
        if (t) SendDrag(t, dsDragEnter, false);
        if (!gDrag) return;
    }
    s.accepted = s.target && SendDrag(s.target, dsDragMove, false);
    if (!gDrag) return;
    TPoint local = s.target ? s.target->ScreenToClient(aScreen) : aScreen;
    TControlAccess::SetDragTargetFields(s.object, s.source, s.target, aScreen, false);
    SetDragCursor(s, s.object->GetDragCursor(s.accepted, local.X, local.Y));
}

// Ends the drag: drops on an accepting target when Drop, then tells the source.
void DragDone(bool aDrop) {
    if (!gDrag) return;
    TDragSession* s = gDrag.get();
    if (s->cursorSet) {
        QGuiApplication::restoreOverrideCursor();
        s->cursorSet = false;
    }
    TControl* target = s->target;
    bool dropped = aDrop && s->started && target && s->accepted;
    TPoint local = dropped ? target->ScreenToClient(s->pos) : TPoint();
    if (target && !dropped) SendDrag(target, dsDragLeave, false);
    if (dropped && gDrag.get() == s) SendDrag(target, dsDragMove, true);
    if (gDrag.get() != s) return; // the source went away meanwhile
    std::unique_ptr<TDragSession> ended = std::move(gDrag);
    TControl* t = dropped ? ended->target : nullptr; // none if the target went away
    TControlAccess::SetDragTargetFields(ended->object, ended->source, t, ended->pos, t != nullptr);
    if (!t) local = TPoint();
    TControlAccess::DoEndDrag(ended->source, t, local.X, local.Y);
}

} // namespace

namespace xo::qt {

bool DragInProgress() {
    return gDrag != nullptr;
}

void DragMouseMessage(uint32_t aMsg, const TPoint& aScreenPos) {
    if (!gDrag) return;
    TDragSession& s = *gDrag;
    switch (aMsg) {
    case WM_MOUSEMOVE:
        if (!s.started && (std::abs(aScreenPos.X - s.start.X) >= s.threshold ||
                           std::abs(aScreenPos.Y - s.start.Y) >= s.threshold))
            s.started = true;
        if (s.started) DragTo(aScreenPos);
        break;
    case WM_LBUTTONUP:
        DragDone(true);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        DragDone(false);
        break;
    default:
        break;
    }
}

void CancelDrag() {
    DragDone(false);
}

void DragForgetControl(TControl* aControl) {
    if (!gDrag) return;
    if (gDrag->source == aControl) {
        if (gDrag->cursorSet) QGuiApplication::restoreOverrideCursor();
        gDrag.reset();
        return;
    }
    if (gDrag->target == aControl) {
        gDrag->target = nullptr;
        gDrag->accepted = false;
    }
}

void DragCMDrag(TControl* aControl, TMessage& aMessage) {
    auto* rec = reinterpret_cast<TDragRec*>(aMessage.LParam);
    if (!rec) return;
    TPoint p = aControl->ScreenToClient(rec->screenPos);
    if (rec->drop) {
        aControl->DragDrop(rec->source, p.X, p.Y);
        return;
    }
    bool accept = false;
    TControlAccess::DragOver(aControl, rec->source, p.X, p.Y, rec->state, accept);
    rec->accept = accept;
}

} // namespace xo::qt

// ---- TControl's drag operations ------------------------------------------------------------
void TControl::BeginDrag(bool Immediate, int Threshold) {
    if (gDrag) return;
    gDrag = std::make_unique<TDragSession>();
    TDragSession* s = gDrag.get();
    s->source = this;
    s->threshold = Threshold < 0 ? DragThreshold() : Threshold;
    GetCursorPos(&s->start);
    s->pos = s->start;
    s->object = &s->own;
    TControlAccess::SetDragTargetFields(&s->own, this, nullptr, s->start, false);
    TDragObject* obj = nullptr;
    DoStartDrag(obj);
    if (gDrag.get() != s) return; // the handler ended it
    if (obj) s->object = obj;
    TControlAccess::SetDragTargetFields(s->object, this, nullptr, s->start, false);
    if (MouseCapture()) SetMouseCapture(false); // the drag has the mouse now
    if (Immediate) {
        s->started = true;
        DragTo(s->start);
    }
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) DragDone(Drop);
}

bool TControl::Dragging() const {
    return gDrag && gDrag->source == this;
}
