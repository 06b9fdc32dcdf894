// The demo's windows.
#pragma once

#include "demo/xoDemoPlan.h"

#include "platform/plForms.h"

class TPlanOutline;
class TPlanSketch;
class TDemoButton;

// The main window: a tool bar, the plan's outline on the left, its sketch on a time axis, a
// sheet of painting primitives and a status bar, all laid out by alignment.
class TDemoMainForm : public TForm {
public:
    TDemoMainForm(TComponent* AOwner, const TDemoPlan& aPlan);

    // Called by the About button.
    TNotifyEvent OnAbout() const { return fOnAbout; }
    void SetOnAbout(TNotifyEvent Value) { fOnAbout = std::move(Value); }

private:
    TDemoButton* AddButton(TWinControl* aBar, const String& aCaption, TNotifyEvent aClick);
    void UpdateStatus();

    const TDemoPlan& fPlan;
    TPlanOutline* fOutline;
    TPlanSketch* fSketch;
    TPanel* fStatus;
    TNotifyEvent fOnAbout;
};

// What the library is.
class TDemoAboutForm : public TForm {
public:
    explicit TDemoAboutForm(TComponent* AOwner);
};
