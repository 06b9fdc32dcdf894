// Panels: bevels, border, caption, and the client area their children are aligned in.
#include "platform/internal/plControlGlue.h"
#include "platform/plControls.h"

#include <algorithm>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    if (!Canvas) return;
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    // Drawn on the last row and column, not past them; the bottom-right colour takes the
    // bottom-left and top-right corners.
    --Rect.Right;
    --Rect.Bottom;
    for (; Width > 0; --Width) {
        Canvas->Pen()->SetColor(TopColor);
        const TPoint topLeft[] = {{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}};
        Canvas->Polyline(topLeft, 3);
        Canvas->Pen()->SetColor(BottomColor);
        const TPoint bottomRight[] = {
            {Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}};
        Canvas->Polyline(bottomRight, 3);
        InflateRect(Rect, -1, -1);
    }
    ++Rect.Right;
    ++Rect.Bottom;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(
        {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    fWidth = 185;
    fHeight = 41;
    SetColor(clBtnFace);
}

void TCustomPanel::BordersChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
    if (Value == fBevelOuter) return;
    fBevelOuter = Value;
    BordersChanged();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
    if (Value == fBevelInner) return;
    fBevelInner = Value;
    BordersChanged();
}

void TCustomPanel::SetBevelWidth(int Value) {
    Value = std::max(Value, 1);
    if (Value == fBevelWidth) return;
    fBevelWidth = Value;
    BordersChanged();
}

void TCustomPanel::SetBorderWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == fBorderWidth) return;
    fBorderWidth = Value;
    BordersChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (Value != bsSingle) Value = bsNone;
    if (Value == fBorderStyle) return;
    fBorderStyle = Value;
    // The client area moves inside the new frame: the children's windows follow, and it has
    // a new size.
    for (TWinControl* c : xo::TControlAccess::WinControls(this))
        xo::TControlAccess::PlaceWidget(c);
    TRect cr = ClientRect();
    Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.Width(), cr.Height()));
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, true);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (Value == fAlignment) return;
    fAlignment = Value;
    Invalidate();
}

void TCustomPanel::TextChanged() {
    Invalidate();
}

int TCustomPanel::NonClientInset() const {
    return fBorderStyle == bsSingle ? 2 : 0;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    int inset = fBorderWidth;
    if (fBevelOuter != bvNone) inset += fBevelWidth;
    if (fBevelInner != bvNone) inset += fBevelWidth;
    InflateRect(Rect, -inset, -inset);
}

void TCustomPanel::PaintNonClient(HDC DC) {
    // A sunken edge: shadow outside, dark shadow inside.
    TCanvas c;
    c.SetHandle(DC);
    TRect r(0, 0, Width(), Height());
    Frame3D(&c, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(&c, r, cl3DDkShadow, cl3DLight, 1);
    c.SetHandle(nullptr);
}

void TCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        bool lowered = cut == bvLowered;
        Frame3D(c, r, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow,
                fBevelWidth);
    };
    if (fBevelOuter != bvNone) bevel(fBevelOuter);
    Frame3D(c, r, Color(), Color(), fBorderWidth);
    if (fBevelInner != bvNone) bevel(fBevelInner);
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (Caption().empty()) return;
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    int h = c->TextHeight("W");
    TRect text = r;
    text.Top = (r.Top + r.Bottom - h) / 2;
    text.Bottom = text.Top + h;
    uint32_t align = fAlignment == taLeftJustify    ? DT_LEFT
                     : fAlignment == taRightJustify ? DT_RIGHT
                                                    : DT_CENTER;
    DrawText(c->Handle(), Caption(), -1, text, DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | align);
}
