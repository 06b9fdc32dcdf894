// The demo's own controls, written on the platform layer the way an application would: a
// tool button, the plan's outline, a sketch of the plan on a time axis, and a sheet of the
// painting primitives.
#pragma once

#include "demo/xoDemoPlan.h"

#include "platform/plControls.h"

// A flat tool button: raised under the pointer, sunken while pressed.
class TDemoButton : public TCustomControl {
public:
    explicit TDemoButton(TComponent* AOwner);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    bool fHot = false;
    bool fDown = false;
};

// Rows of the plan share this geometry between the outline and the sketch.
constexpr int kDemoHeaderHeight = 36;
constexpr int kDemoRowHeight = 18;

// The plan's rows as an indented outline; click or arrow keys select, the wheel scrolls.
class TPlanOutline : public TCustomControl {
public:
    TPlanOutline(TComponent* AOwner, const TDemoPlan& aPlan);

    int TopRow() const { return fTopRow; }
    void SetTopRow(int Value);
    int Selected() const { return fSelected; }
    void SetSelected(int Value);
    int VisibleRows() const;
    // Called after the top row or the selection changed.
    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void Changed();
    const TDemoPlan& fPlan;
    int fTopRow = 0;
    int fSelected = 0;
    TNotifyEvent fOnChange;
};

// The plan on a time axis: months and weeks above, bars, summaries and milestones in the
// outline's rows, finish-to-start links between them.
class TPlanSketch : public TCustomControl {
public:
    TPlanSketch(TComponent* AOwner, const TDemoPlan& aPlan, TPlanOutline* aOutline);

    int DayWidth() const { return fDayWidth; }
    void SetDayWidth(int Value);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    int DayX(TDateTime aDay) const;
    void PaintHeader(TCanvas* c);
    const TDemoPlan& fPlan;
    TPlanOutline* fOutline;
    int fDayWidth = 5;
    TDateTime fOrigin; // the Monday at the left edge
};

// A sheet of labelled cells, one per painting primitive of the canvas.
class TPrimitivesView : public TCustomControl {
public:
    explicit TPrimitivesView(TComponent* AOwner);

protected:
    void Paint() override;
};

// The About window's text.
class TAboutView : public TCustomControl {
public:
    explicit TAboutView(TComponent* AOwner);

protected:
    void Paint() override;
};
