// The hint window: a small frameless window over everything else (a tool tip) that shows a
// caption and never takes the focus.
//
// A hint window is a window of its own even when it has a parent control: its Left and Top
// are screen coordinates. It is created hidden; ActivateHint (or Show) puts it on the screen,
// ReleaseHandle takes it off again.
#pragma once

#include "platform/plControls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);
    ~THintWindow() override;

    // Shows AHint in Rect (screen coordinates) on top of the other windows, without taking
    // the focus.
    virtual void ActivateHint(const TRect& Rect, const String& AHint);
    // The size AHint needs as (0, 0, width, height): lines break at carriage returns and line
    // feeds, and between words where a line would be wider than MaxWidth.
    virtual TRect CalcHintRect(int MaxWidth, const String& AHint);
    // Takes the hint off the screen and destroys its window; the next show creates a new one.
    void ReleaseHandle();

protected:
    // The caption in Font on Color, 2 pixels from the top-left corner of the client area.
    void Paint() override;
    // A one-pixel frame around the client area.
    int NonClientInset() const override { return 1; }
    void PaintNonClient(HDC DC) override;
    QWidget* CreateWidget(QWidget* aParentWidget) override;
    void VisibleChanged() override;
    void TextChanged() override;
};
