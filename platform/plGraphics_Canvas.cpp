// The canvas: pen, brush and font drawing on a device context with the classic pixel rules.
#include "platform/plGraphics.h"

#include "platform/internal/plPaintDraw.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <QPolygon>

#include <algorithm>

using namespace xo::paint;

namespace {

// Dash patterns of one-pixel pens, in pixels (on, off, ...), as the system draws them.
QPen MakePen(const TPen& aPen) {
    QPen pen(ToQColor(aPen.Color()));
    int w = std::max(aPen.Width(), 1);
    pen.setWidth(w == 1 ? 0 : w);
    if (w == 1) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    QList<qreal> dashes;
    switch (aPen.Style()) {
    case psDash:
        dashes = {18, 6};
        break;
    case psDot:
        dashes = {3, 3};
        break;
    case psDashDot:
        dashes = {9, 6, 3, 6};
        break;
    case psDashDotDot:
        dashes = {9, 3, 3, 3, 3, 3};
        break;
    case psClear:
        pen.setStyle(Qt::NoPen);
        return pen;
    case psSolid:
    case psInsideFrame:
        break;
    }
    if (!dashes.isEmpty()) {
        if (w > 1)
            for (qreal& d : dashes)
                d = std::max<qreal>(d / w, 0.5);
        pen.setDashPattern(dashes);
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}

bool SolidThin(const TPen& aPen) {
    return aPen.Width() <= 1 && (aPen.Style() == psSolid || aPen.Style() == psInsideFrame);
}

TRect Normalized(int x1, int y1, int x2, int y2) {
    x1 = Clamp(x1), y1 = Clamp(y1), x2 = Clamp(x2), y2 = Clamp(y2);
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    return TRect(x1, y1, x2, y2);
}

// A line from a to b leaving b undrawn, in the pen's mode.
void DrawLine(HDC dc, QPainter* p, const TPen& aPen, TPoint a, TPoint b) {
    a = Clamp(a);
    b = Clamp(b);
    if (aPen.Style() == psClear || a == b) return;
    SetMode(p, ModeFor(dc, aPen.Mode()));
    if (SolidThin(aPen) && (a.X == b.X || a.Y == b.Y)) {
        // Straight lines are the hot path: fill the exact pixels.
        QBrush ink(ToQColor(aPen.Color()));
        if (a.Y == b.Y) {
            int x0 = a.X < b.X ? a.X : b.X + 1;
            int x1 = a.X < b.X ? b.X : a.X + 1;
            p->fillRect(QRect(x0, a.Y, x1 - x0, 1), ink);
        } else {
            int y0 = a.Y < b.Y ? a.Y : b.Y + 1;
            int y1 = a.Y < b.Y ? b.Y : a.Y + 1;
            p->fillRect(QRect(a.X, y0, 1, y1 - y0), ink);
        }
        return;
    }
    p->setPen(MakePen(aPen));
    p->drawLine(QPoint(a.X, a.Y), QPoint(b.X, b.Y));
}

// Checkerboard of white and black: exclusive-or with it inverts every other pixel.
const QBrush& FocusBrush() {
    static const QBrush brush = [] {
        QImage img(2, 2, QImage::Format_RGB32);
        img.setPixel(0, 0, 0xFFFFFFFF);
        img.setPixel(1, 1, 0xFFFFFFFF);
        img.setPixel(1, 0, 0xFF000000);
        img.setPixel(0, 1, 0xFF000000);
        return QBrush(img);
    }();
    return brush;
}

} // namespace

// ---- Set-up ---------------------------------------------------------------------------------
TCanvas::TCanvas() : fFont(new TFont), fPen(new TPen), fBrush(new TBrush) {}

TCanvas::~TCanvas() = default;

HDC TCanvas::RequireHandle() const {
    if (!fHandle) throw Exception("Canvas does not allow drawing");
    return fHandle;
}

HDC TCanvas::Handle() {
    if (!fHandle) return nullptr;
    // Select this canvas's objects into the context, as the framework does when its handle is
    // asked for: calls on the raw context then draw in the canvas's font and colours.
    fHandle->font = fFont->DataPtr(fHandle->dpiY);
    fHandle->textColor = fFont->Color();
    fHandle->bkColor = fBrush->Color();
    fHandle->bkMode = fBrush->Style() == bsClear ? TRANSPARENT : OPAQUE;
    fHandle->canvasBrush = ToQBrush(*fBrush);
    if (fHandle->brush) --fHandle->brush->selectedCount;
    fHandle->brush = nullptr;
    return fHandle;
}

void TCanvas::SetHandle(HDC Value) {
    fHandle = Value;
}

TRect TCanvas::ClipRect() const {
    TRect r;
    if (fHandle) GetClipBox(fHandle, &r);
    return r;
}

// ---- Figures --------------------------------------------------------------------------------
void TCanvas::FillRect(const TRect& Rect) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p || (fBrush->Style() == bsClear && !fBrush->Bitmap())) return;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    FillLogical(p, Rect, ToQBrush(*fBrush));
    Drawn(fHandle);
}

void TCanvas::FrameRect(const TRect& Rect) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p || (fBrush->Style() == bsClear && !fBrush->Bitmap())) return;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    FrameLogical(p, Rect, ToQBrush(*fBrush));
    Drawn(fHandle);
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    TRect r = Normalized(X1, Y1, X2, Y2);
    SetMode(p, ModeFor(fHandle, fPen->Mode()));
    QBrush fill = ToQBrush(*fBrush);
    if (fPen->Style() == psClear) {
        // Without a pen the system fills one pixel less to the right and bottom.
        if (fill.style() != Qt::NoBrush)
            FillLogical(p, TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1), fill);
    } else if (SolidThin(*fPen)) {
        if (fill.style() != Qt::NoBrush)
            FillLogical(p, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), fill);
        FrameLogical(p, r, QBrush(ToQColor(fPen->Color())));
    } else {
        if (fill.style() != Qt::NoBrush)
            FillLogical(p, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), fill);
        if (r.Right - r.Left >= 1 && r.Bottom - r.Top >= 1) {
            p->setPen(MakePen(*fPen));
            p->setBrush(Qt::NoBrush);
            p->drawRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
        }
    }
    Drawn(fHandle);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    TRect r = Normalized(X1, Y1, X2, Y2);
    if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return;
    SetMode(p, ModeFor(fHandle, fPen->Mode()));
    p->setPen(MakePen(*fPen));
    p->setBrush(ToQBrush(*fBrush));
    p->drawEllipse(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
    p->setBrush(Qt::NoBrush);
    Drawn(fHandle);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    TRect r = Normalized(X1, Y1, X2, Y2);
    if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1) return;
    SetMode(p, ModeFor(fHandle, fPen->Mode()));
    p->setPen(MakePen(*fPen));
    p->setBrush(ToQBrush(*fBrush));
    p->drawRoundedRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1), std::abs(X3) / 2.0,
                       std::abs(Y3) / 2.0);
    p->setBrush(Qt::NoBrush);
    Drawn(fHandle);
}

void TCanvas::MoveTo(int X, int Y) {
    fPenPos = TPoint(X, Y);
}

void TCanvas::LineTo(int X, int Y) {
    QPainter* p = ActivePainter(RequireHandle());
    TPoint from = fPenPos;
    fPenPos = TPoint(X, Y);
    if (!p) return;
    DrawLine(fHandle, p, *fPen, from, fPenPos);
    Drawn(fHandle);
}

void TCanvas::Polyline(const TPoint* Points, int Count) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p || !Points || Count < 2) return;
    for (int i = 1; i < Count; ++i)
        DrawLine(fHandle, p, *fPen, Points[i - 1], Points[i]);
    Drawn(fHandle);
}

void TCanvas::Polygon(const TPoint* Points, int Count) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p || !Points || Count < 2) return;
    QPolygon poly(Count);
    for (int i = 0; i < Count; ++i)
        poly.setPoint(i, Points[i].X, Points[i].Y);
    SetMode(p, ModeFor(fHandle, fPen->Mode()));
    p->setPen(MakePen(*fPen));
    p->setBrush(ToQBrush(*fBrush));
    p->drawPolygon(poly, Qt::OddEvenFill);
    p->setBrush(Qt::NoBrush);
    Drawn(fHandle);
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    TRect r = Normalized(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    if (fHandle->rasterOps) {
        SetMode(p, QPainter::RasterOp_SourceXorDestination);
        FrameLogical(p, r, FocusBrush());
        SetMode(p, QPainter::CompositionMode_SourceOver);
    } else {
        // Paper cannot invert: a plain dotted frame.
        SetMode(p, QPainter::CompositionMode_SourceOver);
        FrameLogical(p, r, QBrush(Qt::gray, Qt::Dense4Pattern));
    }
    Drawn(fHandle);
}

// ---- Text -----------------------------------------------------------------------------------
void TCanvas::TextOut(int X, int Y, const String& Text) {
    QPainter* p = ActivePainter(RequireHandle());
    const xo::TFontData& f = fFont->Data(fHandle->dpiY);
    QString s = xo::qt::ToQString(Text);
    int width = f.Width(s);
    if (p) {
        QBrush background = ToQBrush(*fBrush);
        DrawTextCell(fHandle, p, f, X, Y, s, ToQColor(fFont->Color()),
                     background.style() == Qt::NoBrush ? nullptr : &background);
        Drawn(fHandle);
    }
    fPenPos = TPoint(int(std::clamp<int64_t>(int64_t(X) + width, INT32_MIN, INT32_MAX)), Y);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const String& Text) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    const xo::TFontData& f = fFont->Data(fHandle->dpiY);
    UsePainterFont(fHandle, p, f);
    QBrush background = ToQBrush(*fBrush);
    if (background.style() != Qt::NoBrush) {
        SetMode(p, QPainter::CompositionMode_SourceOver);
        FillLogical(p, Rect, background);
    }
    p->save();
    p->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    DrawTextCell(fHandle, p, f, X, Y, xo::qt::ToQString(Text), ToQColor(fFont->Color()), nullptr);
    p->restore();
    Drawn(fHandle);
}

int TCanvas::TextRect(TRect& Rect, const String& Text, uint32_t TextFormat) {
    return DrawText(Handle() ? fHandle : RequireHandle(), Text, -1, Rect, TextFormat);
}

int TCanvas::TextWidth(const String& Text) {
    return TextExtent(Text).cx;
}

int TCanvas::TextHeight(const String& Text) {
    return TextExtent(Text).cy;
}

TSize TCanvas::TextExtent(const String& Text) {
    const xo::TFontData& f = fFont->Data(fHandle ? fHandle->dpiY : kScreenPixelsPerInch);
    return TSize(f.Width(xo::qt::ToQString(Text)), f.height);
}

// ---- Pictures and pixels --------------------------------------------------------------------
void TCanvas::Draw(int X, int Y, TBitmap* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    X = Clamp(X);
    Y = Clamp(Y);
    StretchDraw(TRect(X, Y, X + Graphic->Width(), Y + Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TBitmap* Graphic) {
    RequireHandle();
    StretchBitmap(fHandle, Rect, Graphic);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p || !Canvas || !Canvas->fHandle || !Canvas->fHandle->image) return;
    if (Dest.Right == Dest.Left || Dest.Bottom == Dest.Top || Source.Right == Source.Left ||
        Source.Bottom == Source.Top)
        return;
    HDC src = Canvas->fHandle;
    QRect from = ToQRect(Normalized(Source.Left, Source.Top, Source.Right, Source.Bottom))
                     .translated(src->viewportOrg.X, src->viewportOrg.Y);
    QRect to = ToQRect(Normalized(Dest.Left, Dest.Top, Dest.Right, Dest.Bottom));
    SetMode(p, QPainter::CompositionMode_SourceOver);
    if (src->image == fHandle->image)
        p->drawImage(to, src->image->copy(from));
    else
        p->drawImage(to, *src->image, from);
    Drawn(fHandle);
}

TColor TCanvas::Pixels(int X, int Y) const {
    if (!fHandle || !fHandle->image) return CLR_INVALID;
    int64_t x = int64_t(X) + fHandle->viewportOrg.X;
    int64_t y = int64_t(Y) + fHandle->viewportOrg.Y;
    const QImage& img = *fHandle->image;
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return CLR_INVALID;
    if (fHandle->clip && !fHandle->clip->contains(int(x), int(y))) return CLR_INVALID;
    return FromQRgb(img.pixel(int(x), int(y)));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    QPainter* p = ActivePainter(RequireHandle());
    if (!p) return;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(Clamp(X), Clamp(Y), 1, 1), ToQColor(Value));
    Drawn(fHandle);
}
