// The demo's controls: painting and input handling on the platform layer.
#include "demo/xoDemoViews.h"

#include "platform/plDateUtils.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr TColor kStripe = RGB(0xF3, 0xF6, 0xFA);
constexpr TColor kGridLine = RGB(0xE2, 0xE6, 0xEC);
constexpr TColor kWeekend = RGB(0xEC, 0xEC, 0xEC);
constexpr TColor kTaskFill = RGB(0x4A, 0x86, 0xC8);
constexpr TColor kTaskEdge = RGB(0x2A, 0x5A, 0x90);
constexpr TColor kLink = RGB(0x80, 0x80, 0x80);

void TextLine(TCanvas* c, const TRect& r, const String& s, uint32_t flags) {
    TRect t = r;
    DrawText(c->Handle(), s, -1, t, flags | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void HeaderBox(TCanvas* c, TRect r) {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
}

} // namespace

// ---- TDemoButton ----------------------------------------------------------------------------
TDemoButton::TDemoButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clBtnFace);
    SetBounds(0, 0, 84, 26);
    SetCursor(crHandPoint);
}

void TDemoButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(fHot && !fDown ? RGB(0xF6, 0xF7, 0xFA) : Color());
    c->FillRect(r);
    TRect f = r;
    Frame3D(c, f, fDown ? clBtnShadow : clBtnHighlight, fDown ? clBtnHighlight : clBtnShadow, 1);
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    if (fDown) OffsetRect(r, 1, 1);
    TextLine(c, r, Caption(), DT_CENTER);
}

void TDemoButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        fDown = true;
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDemoButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        fDown = false;
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TDemoButton::MouseEnter() {
    fHot = true;
    Invalidate();
    TCustomControl::MouseEnter();
}

void TDemoButton::MouseLeave() {
    fHot = false;
    Invalidate();
    TCustomControl::MouseLeave();
}

// ---- TPlanOutline ---------------------------------------------------------------------------
TPlanOutline::TPlanOutline(TComponent* AOwner, const TDemoPlan& aPlan)
    : TCustomControl(AOwner), fPlan(aPlan) {
    SetColor(clWindow);
    SetTabStop(true);
}

int TPlanOutline::VisibleRows() const {
    return std::max(0, (ClientHeight() - kDemoHeaderHeight) / kDemoRowHeight);
}

void TPlanOutline::SetTopRow(int Value) {
    int last = std::max(0, int(fPlan.Tasks.size()) - VisibleRows());
    Value = std::clamp(Value, 0, last);
    if (Value == fTopRow) return;
    fTopRow = Value;
    Changed();
}

void TPlanOutline::SetSelected(int Value) {
    if (fPlan.Tasks.empty()) return;
    Value = std::clamp(Value, 0, int(fPlan.Tasks.size()) - 1);
    if (Value == fSelected) return;
    fSelected = Value;
    if (fSelected < fTopRow)
        SetTopRow(fSelected);
    else if (fSelected >= fTopRow + VisibleRows())
        SetTopRow(fSelected - VisibleRows() + 1);
    Changed();
}

void TPlanOutline::Changed() {
    Invalidate();
    if (fOnChange) fOnChange(this);
}

void TPlanOutline::Paint() {
    TCanvas* c = Canvas();
    int w = ClientWidth(), h = ClientHeight();
    c->SetFont(Font());
    HeaderBox(c, TRect(0, 0, w, kDemoHeaderHeight));
    c->Brush()->SetStyle(bsClear);
    TextLine(c, TRect(8, 0, w, kDemoHeaderHeight), "Task", DT_LEFT);
    TextLine(c, TRect(0, 0, w - 8, kDemoHeaderHeight), "Days", DT_RIGHT);
    int y = kDemoHeaderHeight;
    for (int i = fTopRow; y < h; ++i, y += kDemoRowHeight) {
        TRect row(0, y, w, y + kDemoRowHeight);
        bool selected = i == fSelected;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(selected ? clHighlight : i % 2 ? kStripe : clWindow);
        c->FillRect(row);
        if (i >= int(fPlan.Tasks.size())) continue;
        const TDemoTask& t = fPlan.Tasks[size_t(i)];
        int x = 6 + t.Depth * 14;
        int mid = y + kDemoRowHeight / 2;
        c->Pen()->SetColor(selected ? clHighlightText : clGray);
        if (t.Type == dttSummary) {
            // An expanded branch: a boxed minus.
            c->Brush()->SetColor(clWindow);
            c->Rectangle(x, mid - 4, x + 9, mid + 5);
            c->MoveTo(x + 2, mid);
            c->LineTo(x + 7, mid);
        } else if (t.Type == dttMilestone) {
            c->Brush()->SetColor(selected ? clHighlightText : clBlack);
            const TPoint diamond[] = {{x + 4, mid - 4}, {x + 8, mid}, {x + 4, mid + 4}, {x, mid}};
            c->Polygon(diamond, 4);
        }
        c->Font()->SetStyle(t.Type == dttSummary ? TFontStyles{fsBold} : TFontStyles{});
        c->Font()->SetColor(selected ? clHighlightText : clWindowText);
        c->Brush()->SetStyle(bsClear);
        TextLine(c, TRect(x + 14, y, w - 44, y + kDemoRowHeight), t.Text, DT_LEFT | DT_END_ELLIPSIS);
        c->Font()->SetStyle({});
        if (t.Type != dttMilestone)
            TextLine(c, TRect(w - 44, y, w - 8, y + kDemoRowHeight), std::to_string(t.DurationDays),
                     DT_RIGHT);
        if (selected && Focused()) c->DrawFocusRect(row);
    }
}

void TPlanOutline::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    if (Y >= kDemoHeaderHeight) SetSelected(fTopRow + (Y - kDemoHeaderHeight) / kDemoRowHeight);
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPlanOutline::KeyDown(uint16_t& Key, TShiftState Shift) {
    int page = std::max(1, VisibleRows() - 1);
    switch (Key) {
    case VK_UP:
        SetSelected(fSelected - 1);
        break;
    case VK_DOWN:
        SetSelected(fSelected + 1);
        break;
    case VK_PRIOR:
        SetSelected(fSelected - page);
        break;
    case VK_NEXT:
        SetSelected(fSelected + page);
        break;
    case VK_HOME:
        SetSelected(0);
        break;
    case VK_END:
        SetSelected(int(fPlan.Tasks.size()) - 1);
        break;
    default:
        TCustomControl::KeyDown(Key, Shift);
        return;
    }
    Key = 0;
}

bool TPlanOutline::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetTopRow(fTopRow - WheelDelta / WHEEL_DELTA * 3);
    return true;
}

void TPlanOutline::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.SetResult(DLGC_WANTARROWS);
}

void TPlanOutline::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TPlanOutline::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

// ---- TPlanSketch ----------------------------------------------------------------------------
TPlanSketch::TPlanSketch(TComponent* AOwner, const TDemoPlan& aPlan, TPlanOutline* aOutline)
    : TCustomControl(AOwner), fPlan(aPlan), fOutline(aOutline) {
    SetColor(clWindow);
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    TDateTime first = aPlan.Tasks.empty() ? Date() : aPlan.First - 7;
    fOrigin = first - (DayOfWeek(first) + 5) % 7; // the Monday of that week
}

void TPlanSketch::SetDayWidth(int Value) {
    Value = std::clamp(Value, 2, 40);
    if (Value == fDayWidth) return;
    fDayWidth = Value;
    Invalidate();
}

int TPlanSketch::DayX(TDateTime aDay) const {
    return int(Round((aDay - fOrigin) * fDayWidth));
}

void TPlanSketch::PaintHeader(TCanvas* c) {
    int w = ClientWidth();
    int half = kDemoHeaderHeight / 2;
    HeaderBox(c, TRect(0, 0, w, half));
    HeaderBox(c, TRect(0, half, w, kDemoHeaderHeight));
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBtnText);
    uint16_t y, m, d;
    DecodeDate(fOrigin, y, m, d);
    for (TDateTime month = EncodeDate(y, m, 1); DayX(month) < w; month = IncMonth(month, 1)) {
        int x1 = std::max(0, DayX(month)), x2 = DayX(IncMonth(month, 1));
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(x2 - 1, 2);
        c->LineTo(x2 - 1, half - 1);
        if (x2 - x1 >= 48)
            TextLine(c, TRect(x1 + 4, 0, x2 - 2, half), FormatDateTime("mmmm yyyy", month),
                     DT_LEFT | DT_END_ELLIPSIS);
    }
    for (TDateTime week = fOrigin; DayX(week) < w; week += 7) {
        int x = DayX(week);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(x + 7 * fDayWidth - 1, half + 2);
        c->LineTo(x + 7 * fDayWidth - 1, kDemoHeaderHeight - 1);
        if (7 * fDayWidth >= 24)
            TextLine(c, TRect(x + 3, half, x + 7 * fDayWidth, kDemoHeaderHeight), FormatDateTime("d", week),
                     DT_LEFT);
    }
}

void TPlanSketch::Paint() {
    TCanvas* c = Canvas();
    int w = ClientWidth(), h = ClientHeight();
    c->SetFont(Font());
    c->Brush()->SetColor(clWindow);
    c->FillRect(TRect(0, kDemoHeaderHeight, w, h));
    // Weekends, then the row lines.
    c->Brush()->SetColor(kWeekend);
    for (TDateTime day = fOrigin + 5; DayX(day) < w; day += 7)
        c->FillRect(TRect(DayX(day), kDemoHeaderHeight, DayX(day + 2), h));
    int top = fOutline->TopRow();
    int rows = (h - kDemoHeaderHeight) / kDemoRowHeight + 1;
    auto rowTop = [&](int i) { return kDemoHeaderHeight + (i - top) * kDemoRowHeight; };
    c->Pen()->SetColor(kGridLine);
    for (int i = top; i < top + rows; ++i) {
        int y = rowTop(i) + kDemoRowHeight - 1;
        c->MoveTo(0, y);
        c->LineTo(w, y);
    }
    int sel = fOutline->Selected();
    if (sel >= top && sel < top + rows) {
        c->Brush()->SetColor(RGB(0xFF, 0xF2, 0xC8));
        c->FillRect(TRect(0, rowTop(sel), w, rowTop(sel) + kDemoRowHeight - 1));
    }
    // Links first, so that the bars cover their ends.
    c->Pen()->SetColor(kLink);
    c->Brush()->SetColor(kLink);
    auto visible = [&](int id) { return id - 1 >= top && id - 1 < top + rows; };
    for (const TDemoLink& l : fPlan.Links) {
        if (!visible(l.Source) && !visible(l.Target)) continue;
        const TDemoTask& s = fPlan.Tasks[size_t(l.Source - 1)];
        const TDemoTask& t = fPlan.Tasks[size_t(l.Target - 1)];
        int x1 = s.Type == dttMilestone ? DayX(s.Start) + 5 : DayX(s.End);
        int y1 = rowTop(l.Source - 1) + kDemoRowHeight / 2;
        int x2 = DayX(t.Start);
        int y2 = rowTop(l.Target - 1) + 3;
        int bend = std::max(x1 + 4, x2 + 3);
        c->MoveTo(x1, y1);
        c->LineTo(bend, y1);
        c->LineTo(bend, y2 - 1);
        const TPoint arrow[] = {{bend - 3, y2 - 4}, {bend + 3, y2 - 4}, {bend, y2}};
        c->Polygon(arrow, 3);
    }
    for (int i = top; i < top + rows && i < int(fPlan.Tasks.size()); ++i) {
        const TDemoTask& t = fPlan.Tasks[size_t(i)];
        int y = rowTop(i);
        int x1 = DayX(t.Start), x2 = DayX(t.End);
        switch (t.Type) {
        case dttTask:
            c->Pen()->SetColor(kTaskEdge);
            c->Brush()->SetColor(kTaskFill);
            c->Rectangle(x1, y + 4, std::max(x2, x1 + 2), y + kDemoRowHeight - 4);
            break;
        case dttSummary: {
            c->Pen()->SetColor(clBlack);
            c->Brush()->SetColor(clBlack);
            c->FillRect(TRect(x1, y + 5, x2, y + 10));
            const TPoint left[] = {{x1, y + 10}, {x1 + 5, y + 10}, {x1, y + 15}};
            const TPoint right[] = {{x2 - 1, y + 10}, {x2 - 6, y + 10}, {x2 - 1, y + 15}};
            c->Polygon(left, 3);
            c->Polygon(right, 3);
            break;
        }
        case dttMilestone: {
            int mid = y + kDemoRowHeight / 2;
            c->Pen()->SetColor(clBlack);
            c->Brush()->SetColor(clBlack);
            const TPoint diamond[] = {{x1, mid - 5}, {x1 + 5, mid}, {x1, mid + 5}, {x1 - 5, mid}};
            c->Polygon(diamond, 4);
            break;
        }
        }
    }
    PaintHeader(c);
}

void TPlanSketch::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Y >= kDemoHeaderHeight)
        fOutline->SetSelected(fOutline->TopRow() + (Y - kDemoHeaderHeight) / kDemoRowHeight);
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TPlanSketch::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (Shift.Contains(ssCtrl)) {
        SetDayWidth(fDayWidth + (WheelDelta > 0 ? 1 : -1));
    } else if (Shift.Contains(ssShift)) {
        fOrigin -= 7 * (WheelDelta / WHEEL_DELTA);
        Invalidate();
    } else {
        fOutline->SetTopRow(fOutline->TopRow() - WheelDelta / WHEEL_DELTA * 3);
    }
    return true;
}

// ---- TPrimitivesView ------------------------------------------------------------------------
TPrimitivesView::TPrimitivesView(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clWindow);
}

void TPrimitivesView::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->SetFont(Font());
    const char* const labels[] = {"FillRect",    "FrameRect",       "Rectangle",    "Ellipse",
                                  "RoundRect",   "MoveTo / LineTo", "Polyline",     "Polygon",
                                  "Font styles", "DrawText",        "Rotated text", "Inversion"};
    const int cellW = 128, cellH = 84, cols = std::max(1, ClientWidth() / cellW);
    for (int i = 0; i < 12; ++i) {
        int x = 8 + (i % cols) * cellW, y = 8 + (i / cols) * cellH;
        TRect box(x, y, x + cellW - 16, y + cellH - 26);
        c->Pen()->SetColor(clBlack);
        c->Pen()->SetMode(pmCopy);
        c->Pen()->SetWidth(1);
        c->Brush()->SetStyle(bsSolid);
        switch (i) {
        case 0:
            for (int k = 0; k < 4; ++k) {
                const TColor colours[] = {clRed, clLime, clBlue, clYellow};
                c->Brush()->SetColor(colours[k]);
                c->FillRect(TRect(box.Left + k * 28, box.Top, box.Left + k * 28 + 24, box.Bottom));
            }
            break;
        case 1:
            c->Brush()->SetColor(clNavy);
            for (int k = 0; k < 4; ++k)
                c->FrameRect(TRect(box.Left + k * 8, box.Top + k * 6, box.Right - k * 8, box.Bottom - k * 6));
            break;
        case 2:
            c->Brush()->SetColor(clAqua);
            c->Pen()->SetWidth(2);
            c->Rectangle(box.Left + 4, box.Top + 4, box.Right - 4, box.Bottom - 4);
            break;
        case 3:
            c->Brush()->SetColor(clFuchsia);
            c->Ellipse(box.Left + 10, box.Top + 2, box.Right - 10, box.Bottom - 2);
            break;
        case 4:
            c->Brush()->SetColor(RGB(0xFF, 0xD8, 0x80));
            c->RoundRect(box.Left + 4, box.Top + 4, box.Right - 4, box.Bottom - 4, 16, 16);
            break;
        case 5:
            for (int k = 0; k <= 8; ++k) {
                c->Pen()->SetColor(RGB(uint8_t(k * 30), 0, uint8_t(240 - k * 30)));
                c->MoveTo(box.Left, box.Bottom - 1);
                c->LineTo(box.Left + k * (box.Width() - 1) / 8, box.Top);
            }
            break;
        case 6: {
            std::vector<TPoint> wave;
            for (int k = 0; k <= 12; ++k)
                wave.push_back(TPoint(box.Left + k * 9, k % 2 ? box.Top + 6 : box.Bottom - 6));
            c->Pen()->SetColor(clGreen);
            c->Polyline(wave);
            break;
        }
        case 7: {
            int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
            const TPoint star[] = {
                {cx, cy - 26}, {cx + 8, cy - 8},   {cx + 28, cy - 8}, {cx + 12, cy + 4}, {cx + 18, cy + 24},
                {cx, cy + 12}, {cx - 18, cy + 24}, {cx - 12, cy + 4}, {cx - 28, cy - 8}, {cx - 8, cy - 8}};
            c->Brush()->SetColor(clYellow);
            c->Pen()->SetColor(clMaroon);
            c->Polygon(star, 10);
            break;
        }
        case 8: {
            c->Brush()->SetStyle(bsClear);
            const TFontStyles styles[] = {{fsBold}, {fsItalic}, {fsUnderline}, {fsStrikeOut}};
            const char* const names[] = {"Bold", "Italic", "Underline", "Strike out"};
            for (int k = 0; k < 4; ++k) {
                c->Font()->SetStyle(styles[k]);
                c->TextOut(box.Left + 4, box.Top + k * 14, names[k]);
            }
            c->Font()->SetStyle({});
            break;
        }
        case 9: {
            c->Brush()->SetColor(clBtnFace);
            c->FrameRect(box);
            c->Brush()->SetStyle(bsClear);
            TRect r = box;
            InflateRect(r, -3, -2);
            c->TextRect(r, "Centred", DT_CENTER | DT_SINGLELINE);
            TRect r2 = r;
            r2.Top += 14;
            c->TextRect(r2, "Right", DT_RIGHT | DT_SINGLELINE);
            TRect r3 = r;
            r3.Top += 28;
            c->TextRect(r3, "An ellipsis ends a long text", DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
            break;
        }
        case 10: {
            c->Brush()->SetStyle(bsClear);
            c->Font()->SetOrientation(900);
            c->TextOut(box.Left + 6, box.Bottom - 2, "Up 90");
            c->Font()->SetOrientation(300);
            c->TextOut(box.Left + 40, box.Bottom - 8, "Rising 30");
            c->Font()->SetOrientation(0);
            break;
        }
        case 11: {
            for (int k = 0; k < 6; ++k) {
                c->Brush()->SetColor(k % 2 ? clTeal : clSilver);
                c->FillRect(TRect(box.Left + k * 18, box.Top, box.Left + k * 18 + 18, box.Bottom));
            }
            c->Pen()->SetMode(pmNot);
            c->Brush()->SetStyle(bsClear);
            c->Rectangle(box.Left + 10, box.Top + 8, box.Right - 10, box.Bottom - 8);
            c->Pen()->SetMode(pmCopy);
            TRect focus = box;
            InflateRect(focus, -4, -4);
            c->DrawFocusRect(focus);
            break;
        }
        }
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clGrayText);
        TextLine(c, TRect(x, box.Bottom + 4, x + cellW - 16, box.Bottom + 20), labels[i], DT_CENTER);
        c->Font()->SetColor(clWindowText);
    }
}

// ---- TAboutView -----------------------------------------------------------------------------
TAboutView::TAboutView(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clWindow);
}

void TAboutView::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Brush()->SetColor(kTaskFill);
    c->FillRect(TRect(0, 0, 8, r.Bottom));
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    c->Font()->SetSize(16);
    c->Font()->SetStyle({fsBold});
    c->TextOut(28, 20, "xoStint");
    int y = 20 + c->TextHeight("X") + 2;
    c->Font()->SetSize(9);
    c->Font()->SetStyle({});
    c->Font()->SetColor(clGrayText);
    c->TextOut(28, y, "Visual components for planning and scheduling");
    y += c->TextHeight("X") + 12;
    c->Font()->SetColor(clWindowText);
    const char* const paragraphs[] = {
        "A Gantt chart, a schedule view, a virtualised data grid, a tree view over data entities, a date "
        "scale, "
        "splitters and printing, in C++20 on Qt 6 Widgets.",
        "Applications place the components on their own forms or inside any Qt widget, hand them their data "
        "through operations or as virtual content loaded on demand, and hear of every change the user makes "
        "through events.",
        "This demo shows the platform layer the components stand on: controls laid out by alignment, mouse "
        "and "
        "keyboard input, the painting primitives, and a sample plan."};
    for (const char* p : paragraphs) {
        TRect t(28, y, r.Right - 24, r.Bottom);
        int h = DrawText(c->Handle(), p, -1, t, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        y += h + 8;
    }
}
