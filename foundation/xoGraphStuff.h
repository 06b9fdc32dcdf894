// Drawing helpers shared by the views (tinting, a shaded fill, selection handles, bevels,
// rotated fonts, a quick choice menu), bitmaps on printers, the delayed hint window, and the
// snapping of times to a grid of intervals.
#pragma once

#include "platform/plControls.h"
#include "platform/plGraphics.h"
#include "platform/plHintWindow.h"

#include <functional>
#include <vector>

class TForm;
class TPopupMenu;
class TTimer;

// ---- GStuff ---------------------------------------------------------------------------------
// Class-level drawing operations only.
class GStuff : public TObject {
public:
    GStuff() = delete;

    // aColor (0x00BBGGRR; the high byte and system colours are not looked at) with red, green
    // and blue each multiplied by aTint and rounded. Components are not clamped: one above
    // 255 carries into the next. A result of 0 answers aColor unchanged.
    static TColor TintColor(TColor aColor, double aTint);
    // Fills aRect line by line in the pen, darkening from aColor at the top to about two
    // thirds of the height and lightening again towards the bottom; a rectangle smaller than
    // 15 by 15 is filled plainly with the brush. Leaves the pen (and for a plain fill the
    // brush) in the last colour used.
    static void FillRadiated(TCanvas* aCanvas, const TRect& aRect, TColor aColor);
    // Four black 5 by 5 handles in the corners of theRect; the brush stays black.
    static void DoSelectContent(TCanvas* theCanvas, const TRect& theRect);
    // False when theRect is less than Height high or less than Width wide.
    static bool BigEnough(const TRect& theRect, int Width, int Height);
    // (R.Left + x1, R.Top + y1, R.Right + x2, R.Bottom + y2).
    static TRect Fixrect(const TRect& R, int x1, int y1, int x2, int y2);
    // Left and top edges (L, B) -> (L, T) -> (R, T), then right and bottom edges
    // (R, T) -> (R, B) -> (L, B): raised in button highlight then button shadow, sunken the
    // other way round. The pen colour is restored.
    static void BevelRect(TCanvas* theCanvas, const TRect& R, bool theRaised);
    // Makes theFont draw its text turned by degrees counter-clockwise, keeping its height and
    // face: plain weight, no italic, underline or strike-out, variable pitch.
    static void RotateFont(TFont* theFont, int degrees);

    // Appends one item per string of theOptions with theEvent as click handler and makes item
    // theDefaultItem (if in range) the default one; with theAvbryt a separator and an item
    // "Avbryt" without handler follow.
    static void CreateMenuOptions(TPopupMenu* aPopupMenu, TStrings* theOptions, const TNotifyEvent& theEvent,
                                  int theDefaultItem, bool theAvbryt);
    // Pops up a menu of theOptions (and "Avbryt") at theControl's client point (x, y) and
    // answers the index of the chosen string, or -1 when the menu was dismissed or "Avbryt"
    // chosen. Without a control, (x, y) is a screen point. Only one quick choice menu can be
    // open at a time.
    static int UserOptionStrings(TControl* theControl, int x, int y, TStrings* theOptions,
                                 int theDefaultItem);
    static int UserOption(TControl* theControl, int x, int y, const std::vector<String>& theOptions,
                          int theDefaultItem);
};

// Draws aBitmap stretched into aRect through a device-independent copy, the form in which
// printers receive pictures. Nothing happens without a canvas or a bitmap.
void PrintBitmap(TCanvas* aCanvas, const TRect& aRect, TBitmap* aBitmap);
// PrintBitmap of image Index of aImageList; nothing happens for an index out of range.
void PrintBitmap_ImageList(TCanvas* aCanvas, const TRect& aRect, TCustomImageList* aImageList, int Index);

// ---- TGraphHintWindow -----------------------------------------------------------------------
class TGraphHintWindow;

// Asks the owner for the text of a new object (it sets the window's caption).
using TOnUpdateTextEvent = std::function<void(TGraphHintWindow* theGraphHintWindow, TObject* theObject)>;

// A hint that shows with a delay over the object under the mouse (1000 ms after the object
// changed) and hides again 5000 ms after it showed, or at once while the user drags.
class TGraphHintWindow : public THintWindow {
public:
    // Hidden, 120 by 30, a child of theOwner, which must be a windowed control (Exception
    // otherwise).
    explicit TGraphHintWindow(TComponent* theOwner);
    ~TGraphHintWindow() override;

    // Delayed hint for theObject under the mouse at (X, Y) (the owner's client coordinates).
    // A new object restarts the delay and asks OnUpdateTextEvent for its text; none takes the
    // hint off the screen; the same object only moves it.
    void ShowSlowHintFor(TObject* theObject, int X, int Y);
    // Positions the hint and shows it now; it stays until hidden (no timer runs).
    void ShowDirect(int X, int Y);
    // The three lines (separated by carriage returns) at once, as ShowDirect.
    void ShowMoveInfo(const String& str1, const String& str2, const String& str3, int X, int Y);

    // Timer handlers and their deferred halves.
    void DoShow(TObject* Sender);
    void DoHide(TObject* Sender);
    void DoShowAsync(TObject* theData);
    void DoHideAsync(TObject* theData);

    // Left := origin X + X; Top := just below the owner (ShowBelowOwner) or origin Y + Y, the
    // origin being the owner's client origin on the screen.
    void SetPos(int X, int Y);
    // Places the hint at StaticPosRect.
    void UpdateStaticPos();
    // The first form among the parents of the owner, or nullptr.
    TForm* ParentForm() const;
    // True without such a form, or when it or the application's main form is the active window.
    bool ParentFormActive() const;

    bool StaticPos() const { return fStaticPos; }
    void SetStaticPos(bool Value) { fStaticPos = Value; }
    // Left and Top: offsets from the owner's client origin; Right and Bottom: the width and
    // the height of the hint.
    const TRect& StaticPosRect() const { return fStaticPosRect; }
    void SetStaticPosRect(const TRect& Value) { fStaticPosRect = Value; }
    bool ShowBelowOwner() const { return fShowBelowOwner; }
    void SetShowBelowOwner(bool Value) { fShowBelowOwner = Value; }
    TOnUpdateTextEvent OnUpdateTextEvent() const { return fOnUpdateTextEvent; }
    void SetOnUpdateTextEvent(TOnUpdateTextEvent Value) { fOnUpdateTextEvent = std::move(Value); }

    // The object whose hint is shown or pending.
    TObject* HintObject() const { return fHintObject; }
    // The delays, for applications that want others than 1000 and 5000 ms.
    TTimer* ShowTimer() const { return fShowTimer; }
    TTimer* HideTimer() const { return fHideTimer; }

protected:
    // A new caption shows at once.
    void TextChanged() override;

private:
    TWinControl* OwnerControl() const { return fOwnerControl; }
    void Place(int X, int Y);

    TWinControl* fOwnerControl = nullptr;
    TTimer* fHideTimer = nullptr; // owned
    TTimer* fShowTimer = nullptr; // owned
    TObject* fHintObject = nullptr;
    TOnUpdateTextEvent fOnUpdateTextEvent;
    bool fStaticPos = false;
    TRect fStaticPosRect;
    bool fShowBelowOwner = true;
};

// ---- TSnapHandler ---------------------------------------------------------------------------
// Rounds the start and stop times of a time item to multiples of an interval counted from
// midnight of their own day; the interval widens when one pixel of the view covers more.
// An interval of 0 or less (or not a number) means no snapping for that end.
class TSnapHandler : public TObject {
public:
    bool StartSnapONOFF() const { return fStartSnapONOFF; }
    void SetStartSnapONOFF(bool Value) { fStartSnapONOFF = Value; }
    bool StopSnapONOFF() const { return fStopSnapONOFF; }
    void SetStopSnapONOFF(bool Value) { fStopSnapONOFF = Value; }
    // When moving, snap the stop time too instead of keeping the length.
    bool StopSnapOnMoveONOFF() const { return fStopSnapOnMoveONOFF; }
    void SetStopSnapOnMoveONOFF(bool Value) { fStopSnapOnMoveONOFF = Value; }
    TDateTime StartSnap() const { return fStartSnap; }
    void SetStartSnap(TDateTime Value) { fStartSnap = Value; }
    TDateTime StopSnap() const { return fStopSnap; }
    void SetStopSnap(TDateTime Value) { fStopSnap = Value; }
    // The time one pixel of the current view covers; set before each snap.
    void SetCurrentScreenResolution(TDateTime Value) { fCurrentScreenResolution = Value; }

    // Snaps theStop (when stop snapping is on), then theStart (when start snapping is on).
    void Snap(TDateTime& theStart, TDateTime& theStop);
    // Snap for a move: unless StopSnapOnMoveONOFF, the item keeps its length and only its
    // start snaps.
    void SnapMove(TDateTime& theStart, TDateTime& theStop);
    // A move by more than 12 hours at both ends becomes a move by whole days that keeps the
    // times of day.
    void SnapMoveTo24HIfMoveOver12H(TDateTime theOrgStart, TDateTime theOrgStop, TDateTime& theStart,
                                    TDateTime& theStop);
    // The interval time, widened to the multiple of itself nearest to one pixel's time when a
    // pixel covers more than the interval.
    TDateTime CalcScreenSnap(TDateTime time);

private:
    bool fStartSnapONOFF = false;
    bool fStopSnapONOFF = false;
    bool fStopSnapOnMoveONOFF = false;
    TDateTime fStartSnap = 0;
    TDateTime fStopSnap = 0;
    TDateTime fCurrentScreenResolution = 0;
};
