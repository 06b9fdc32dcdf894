// Driving controls the way a user does, for tests and for the demo's snapshots: real mouse
// and keyboard events go through Qt's event path (the window system's entry point, Qt's
// delivery to the widget under the pointer or with the focus, its implicit mouse grab), and
// controls render into bitmaps exactly as the screen shows them.
//
// Coordinates are client coordinates of the control named; points outside it are fine (the
// events go to the window at that place, as a real pointer's would). The control's window
// must be shown (ShowForm). Every call handles the events it caused before it returns.
#pragma once

#include "platform/plControls.h"

namespace xo::test {

// Shows a form (or any control without a parent) on screen, offscreen in the tests,
// activates it and handles the events until it is painted.
void ShowForm(TWinControl* aForm);
// Handles pending events, posted messages, paints and deferred deletions; with
// aMilliseconds, goes on doing so for that long.
void Pump(int aMilliseconds = 0);

// Mouse. MouseMove moves with the buttons currently held (pressed here and not released).
void MouseDown(TControl* aControl, TMouseButton aButton, int X, int Y, TShiftState aShift = {});
void MouseMove(TControl* aControl, int X, int Y, TShiftState aShift = {});
void MouseUp(TControl* aControl, TMouseButton aButton, int X, int Y, TShiftState aShift = {});
// Press and release at one point.
void Click(TControl* aControl, int X, int Y, TMouseButton aButton = mbLeft, TShiftState aShift = {});
// Two clicks within the double-click time.
void DblClick(TControl* aControl, int X, int Y, TMouseButton aButton = mbLeft, TShiftState aShift = {});
// Wheel notches are WHEEL_DELTA (120); positive turns away from the user.
void Wheel(TControl* aControl, int X, int Y, int aDelta, TShiftState aShift = {});
// Releases every button still held (after a test that failed halfway, for instance).
void ReleaseButtons();

// Keyboard. The control gets the focus first when it does not have it. KeyDown sends the
// key with the character it types (so KeyDown, then KeyPress); KeyUp releases it.
void KeyDown(TWinControl* aControl, uint16_t aKey, TShiftState aShift = {});
void KeyUp(TWinControl* aControl, uint16_t aKey, TShiftState aShift = {});
// KeyDown and KeyUp.
void PressKey(TWinControl* aControl, uint16_t aKey, TShiftState aShift = {});
// Types one character (any Unicode character; on its key when the keyboard has one).
void TypeChar(TWinControl* aControl, char32_t aChar);
void TypeText(TWinControl* aControl, const String& aUtf8);

// What the screen shows of a control (windowed children included), after painting what is
// out of date; a windowless control is cut out of its parent.
void Render(TControl* aControl, TBitmap* aResult);
// Render into a PNG file; raises Exception when the file cannot be written.
void SaveSnapshot(TControl* aControl, const String& aFileName);
// A pixel of the picture the control shows now, in its client coordinates, as drawn
// outside a paint too (nothing is painted first); CLR_INVALID outside the picture.
TColor ShownPixel(TControl* aControl, int X, int Y);

// A plain Qt window of a host application, with a layout that gives its whole area to the
// control placed in it.
class THostWindow {
public:
    THostWindow(int aWidth, int aHeight);
    ~THostWindow();
    THostWindow(const THostWindow&) = delete;
    THostWindow& operator=(const THostWindow&) = delete;

    QWidget* Widget() const { return fWidget; }
    // SetParentWidget, and into the host's layout.
    void Place(TWinControl* aControl);
    void Show();
    void Resize(int aWidth, int aHeight);

private:
    QWidget* fWidget;
};

} // namespace xo::test
