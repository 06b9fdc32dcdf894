// TGraphHintWindow: the delayed hint over the object under the mouse.
#include "foundation/xoGraphStuff.h"

#include "foundation/xoDoLater.h"
#include "platform/plForms.h"
#include "platform/plMessages.h"

namespace {
constexpr unsigned kHideAfterMs = 5000;
constexpr unsigned kShowAfterMs = 1000;
} // namespace

TGraphHintWindow::TGraphHintWindow(TComponent* theOwner) : THintWindow(theOwner) {
    fOwnerControl = dynamic_cast<TWinControl*>(theOwner);
    if (!fOwnerControl) throw Exception("The owner of a hint window must be a windowed control");
    SetBounds(Left(), Top(), 120, 30);
    SetParent(fOwnerControl);

    fHideTimer = new TTimer(this);
    fHideTimer->SetEnabled(false);
    fHideTimer->SetInterval(kHideAfterMs);
    fHideTimer->SetOnTimer([this](TObject* Sender) { DoHide(Sender); });
    fShowTimer = new TTimer(this);
    fShowTimer->SetEnabled(false);
    fShowTimer->SetInterval(kShowAfterMs);
    fShowTimer->SetOnTimer([this](TObject* Sender) { DoShow(Sender); });
}

TGraphHintWindow::~TGraphHintWindow() {
    TDoLater::NeverMind(MakeMethod(this, &TGraphHintWindow::DoShowAsync));
    TDoLater::NeverMind(MakeMethod(this, &TGraphHintWindow::DoHideAsync));
    // The timers call back into this object: they go before it does.
    delete fShowTimer;
    fShowTimer = nullptr;
    delete fHideTimer;
    fHideTimer = nullptr;
}

void TGraphHintWindow::TextChanged() {
    THintWindow::TextChanged();
    if (HandleAllocated()) Repaint();
}

void TGraphHintWindow::Place(int X, int Y) {
    if (fStaticPos)
        UpdateStaticPos();
    else
        SetPos(X, Y);
}

void TGraphHintWindow::ShowSlowHintFor(TObject* theObject, int X, int Y) {
    if (theObject && theObject != fHintObject) {
        fShowTimer->SetEnabled(false);
        fShowTimer->SetEnabled(true);
        if (fOnUpdateTextEvent) fOnUpdateTextEvent(this, theObject);
    } else if (!theObject) {
        // Nothing under the mouse any more: a pending hint must not show later.
        fShowTimer->SetEnabled(false);
        ReleaseHandle();
    }
    Place(X, Y);
    fHintObject = theObject;
}

void TGraphHintWindow::ShowDirect(int X, int Y) {
    Place(X, Y);
    HandleNeeded();
    Show();
    Invalidate();
    fShowTimer->SetEnabled(false);
    fHideTimer->SetEnabled(false);
}

void TGraphHintWindow::ShowMoveInfo(const String& str1, const String& str2, const String& str3, int X,
                                    int Y) {
    SetCaption(str1 + '\r' + str2 + '\r' + str3);
    ShowDirect(X, Y);
}

void TGraphHintWindow::DoShow(TObject*) {
    TDoLater::DoLater(MakeMethod(this, &TGraphHintWindow::DoShowAsync), nullptr);
    fShowTimer->SetEnabled(false);
}

void TGraphHintWindow::DoHide(TObject*) {
    TDoLater::DoLater(MakeMethod(this, &TGraphHintWindow::DoHideAsync), nullptr);
    fHideTimer->SetEnabled(false);
    fShowTimer->SetEnabled(false);
}

void TGraphHintWindow::DoShowAsync(TObject*) {
    if (!ParentFormActive()) return;
    HandleNeeded();
    Show();
    Invalidate();
    fHideTimer->SetEnabled(false);
    fHideTimer->SetEnabled(true);
}

void TGraphHintWindow::DoHideAsync(TObject*) {
    ReleaseHandle();
    if (TForm* form = ParentForm(); form && form->ActiveControl() == this) form->SetActiveControl(nullptr);
}

void TGraphHintWindow::SetPos(int X, int Y) {
    TWinControl* owner = OwnerControl();
    TPoint origin = owner->ClientOrigin();
    int top = fShowBelowOwner ? origin.Y + owner->Height() + 4 : origin.Y + Y;
    SetBounds(origin.X + X, top, Width(), Height());
}

void TGraphHintWindow::UpdateStaticPos() {
    TPoint origin = OwnerControl()->ClientOrigin();
    SetBounds(origin.X + fStaticPosRect.Left, origin.Y + fStaticPosRect.Top, fStaticPosRect.Right,
              fStaticPosRect.Bottom);
}

TForm* TGraphHintWindow::ParentForm() const {
    for (TWinControl* p = OwnerControl()->Parent(); p; p = p->Parent())
        if (auto* form = dynamic_cast<TForm*>(p)) return form;
    return nullptr;
}

bool TGraphHintWindow::ParentFormActive() const {
    TForm* form = ParentForm();
    if (!form || form->Active()) return true;
    TForm* mainForm = Application()->MainForm();
    return mainForm && mainForm->Active();
}
