// Device contexts: creation over Qt painters and images, viewport origin, clip regions,
// selected objects, and the text, fill and copy calls of the operating system.
#include "platform/plGraphics.h"

#include "platform/internal/plPaintDraw.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <QPaintEngine>

#include <algorithm>
#include <unordered_set>

using namespace xo::paint;

HDC__::~HDC__() {
    if (ownPainter && ownPainter->isActive()) ownPainter->end();
}

namespace xo::paint {

// ---- Creation and painter management --------------------------------------------------------
HDC CreateImageDC(QImage* aImage, int aDotsPerInch) {
    auto* dc = new HDC__;
    dc->image = aImage;
    dc->device = aImage;
    dc->width = aImage ? aImage->width() : 0;
    dc->height = aImage ? aImage->height() : 0;
    dc->dpiX = dc->dpiY = aDotsPerInch > 0 ? aDotsPerInch : kScreenPixelsPerInch;
    return dc;
}

HDC CreateDeviceDC(QPaintDevice* aDevice, int aWidth, int aHeight, int aDotsPerInch) {
    auto* dc = new HDC__;
    dc->device = aDevice;
    dc->width = std::max(aWidth, 0);
    dc->height = std::max(aHeight, 0);
    dc->dpiX = dc->dpiY = aDotsPerInch > 0 ? aDotsPerInch : kScreenPixelsPerInch;
    return dc;
}

HDC CreatePainterDC(QPainter* aPainter, int aWidth, int aHeight, int aDotsPerInch) {
    auto* dc = new HDC__;
    dc->borrowed = true;
    dc->painter = aPainter;
    dc->width = std::max(aWidth, 0);
    dc->height = std::max(aHeight, 0);
    dc->dpiX = dc->dpiY = aDotsPerInch > 0 ? aDotsPerInch : kScreenPixelsPerInch;
    if (aPainter) {
        if (aPainter->device() && aPainter->device()->devType() == QInternal::Image)
            dc->image = static_cast<QImage*>(aPainter->device());
        aPainter->save();
        dc->baseTransform = aPainter->transform();
    }
    return dc;
}

void DestroyDC(HDC aDC) {
    if (!aDC) return;
    if (aDC->borrowed && aDC->painter) aDC->painter->restore();
    if (aDC->brush) --aDC->brush->selectedCount;
    delete aDC;
}

void ReleasePainter(HDC aDC) {
    if (!aDC || aDC->borrowed || aDC->keepPainter) return;
    if (aDC->ownPainter) {
        if (aDC->ownPainter->isActive()) aDC->ownPainter->end();
        aDC->ownPainter.reset();
    }
    aDC->painter = nullptr;
    aDC->stateApplied = false;
    aDC->painterFont = nullptr;
}

void RetargetImage(HDC aDC, QImage* aImage) {
    if (!aDC || aDC->borrowed) return;
    ReleasePainter(aDC);
    aDC->image = aImage;
    aDC->device = aImage;
    aDC->width = aImage ? aImage->width() : 0;
    aDC->height = aImage ? aImage->height() : 0;
}

void SetDrawHook(HDC aDC, std::function<void()> aHook) {
    if (aDC) aDC->onDraw = std::move(aHook);
}

static void ApplyState(HDC dc) {
    QPainter* p = dc->painter;
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::TextAntialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setTransform(dc->baseTransform);
    if (dc->clip)
        p->setClipRect(*dc->clip);
    else
        p->setClipping(false);
    p->translate(dc->viewportOrg.X, dc->viewportOrg.Y);
    // Patterns are tiled from the device's origin, whatever the viewport origin.
    p->setBrushOrigin(-dc->viewportOrg.X, -dc->viewportOrg.Y);
    dc->stateApplied = true;
}

QPainter* ActivePainter(HDC aDC) {
    if (!aDC) return nullptr;
    if (!aDC->painter) {
        if (aDC->borrowed || !aDC->device) return nullptr;
        if (aDC->image && (aDC->image->isNull() || aDC->image->width() == 0)) return nullptr;
        auto p = std::make_unique<QPainter>();
        if (!p->begin(aDC->device)) return nullptr;
        aDC->ownPainter = std::move(p);
        aDC->painter = aDC->ownPainter.get();
        aDC->stateApplied = false;
        aDC->painterFont = nullptr;
        aDC->rasterOps = aDC->painter->paintEngine() &&
                         aDC->painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    }
    if (!aDC->stateApplied) ApplyState(aDC);
    return aDC->painter;
}

QImage* ImageOf(HDC aDC) {
    return aDC ? aDC->image : nullptr;
}

// ---- Primitives shared with the canvas ------------------------------------------------------
QPainter::CompositionMode ModeFor(HDC aDC, TPenMode aMode) {
    if (!aDC->rasterOps) return QPainter::CompositionMode_SourceOver;
    switch (aMode) {
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    case pmCopy:
        break;
    }
    return QPainter::CompositionMode_SourceOver;
}

void SetMode(QPainter* p, QPainter::CompositionMode aMode) {
    if (p->compositionMode() != aMode) p->setCompositionMode(aMode);
}

void FillLogical(QPainter* p, const TRect& aRect, const QBrush& aBrush) {
    TRect r = Clamp(aRect);
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    p->fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), aBrush);
}

void FrameLogical(QPainter* p, const TRect& aRect, const QBrush& aBrush) {
    TRect r = Clamp(aRect);
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    int w = r.Right - r.Left;
    int h = r.Bottom - r.Top;
    p->fillRect(QRect(r.Left, r.Top, w, 1), aBrush);
    if (h > 1) p->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), aBrush);
    if (h > 2) {
        p->fillRect(QRect(r.Left, r.Top + 1, 1, h - 2), aBrush);
        if (w > 1) p->fillRect(QRect(r.Right - 1, r.Top + 1, 1, h - 2), aBrush);
    }
}

QBrush ToQBrush(const TBrush& aBrush) {
    if (aBrush.Bitmap() && BitmapAlive(aBrush.Bitmap()) && !aBrush.Bitmap()->Empty())
        // A copy, so that the pattern never shares pixels with a bitmap still being drawn on.
        return QBrush(BitmapImage(aBrush.Bitmap()).copy());
    if (aBrush.Style() == bsClear) return QBrush(Qt::NoBrush);
    return QBrush(ToQColor(aBrush.Color()));
}

void UsePainterFont(HDC aDC, QPainter* p, const TFontData& f) {
    if (aDC->painterFont == &f) return;
    p->setFont(f.font);
    aDC->painterFont = &f;
    aDC->painterFontHold = f.shared_from_this();
}

void DrawTextCell(HDC aDC, QPainter* p, const TFontData& f, int x, int y, const QString& s, const QColor& ink,
                  const QBrush* aBackground) {
    x = Clamp(x);
    y = Clamp(y);
    UsePainterFont(aDC, p, f);
    SetMode(p, QPainter::CompositionMode_SourceOver);
    if (f.orientation == 0) {
        if (s.isEmpty()) {
            if (aBackground) p->fillRect(QRect(x, y, 0, f.height), *aBackground);
            return;
        }
        TTextLayout& l = f.Layout(s);
        if (aBackground) p->fillRect(QRect(x, y, l.width, f.height), *aBackground);
        p->setPen(ink);
        if (f.underline || f.strikeOut) {
            p->drawText(x, y + f.ascent, s);
            return;
        }
        if (!l.isPrepared) {
            l.prepared.setText(s);
            l.prepared.setTextFormat(Qt::PlainText);
            l.prepared.setPerformanceHint(QStaticText::AggressiveCaching);
            l.prepared.prepare(QTransform(), f.font);
            l.isPrepared = true;
        }
        p->drawStaticText(x, y, l.prepared);
        return;
    }
    // Rotated text turns round its top-left corner, counter-clockwise.
    p->save();
    p->translate(x, y);
    p->rotate(-f.orientation / 10.0);
    if (aBackground) p->fillRect(QRect(0, 0, f.Width(s), f.height), *aBackground);
    p->setPen(ink);
    p->drawText(0, f.ascent, s);
    p->restore();
}

const TFontData& DCFont(HDC aDC) {
    if (aDC->font) return *aDC->font;
    static TFont* defaultFont = new TFont; // never freed: shared by every context without a font
    aDC->font = defaultFont->DataPtr(aDC->dpiY);
    return *aDC->font;
}

static std::unordered_set<const TBitmap*>& LiveBitmaps() {
    static std::unordered_set<const TBitmap*> live;
    return live;
}

bool BitmapAlive(const TBitmap* aBitmap) {
    return aBitmap && LiveBitmaps().count(aBitmap) != 0;
}

void RegisterBitmap(const TBitmap* aBitmap, bool aAlive) {
    if (aAlive)
        LiveBitmaps().insert(aBitmap);
    else
        LiveBitmaps().erase(aBitmap);
}

} // namespace xo::paint

// ---- Viewport origin ------------------------------------------------------------------------
bool GetViewportOrgEx(HDC DC, TPoint* Point) {
    if (!DC) return false;
    if (Point) *Point = DC->viewportOrg;
    return true;
}

bool SetViewportOrgEx(HDC DC, int X, int Y, TPoint* OldOrigin) {
    if (!DC) return false;
    if (OldOrigin) *OldOrigin = DC->viewportOrg;
    DC->viewportOrg = TPoint(Clamp(X), Clamp(Y));
    DC->stateApplied = false;
    return true;
}

bool OffsetViewportOrgEx(HDC DC, int DX, int DY, TPoint* OldOrigin) {
    if (!DC) return false;
    return SetViewportOrgEx(DC, DC->viewportOrg.X + Clamp(DX), DC->viewportOrg.Y + Clamp(DY), OldOrigin);
}

// ---- Regions --------------------------------------------------------------------------------
// Live regions and brushes, so that a handle freed twice or never created is refused instead of
// corrupting memory.
static std::unordered_set<const void*>& LiveObjects() {
    static std::unordered_set<const void*> live;
    return live;
}
static bool Alive(const void* aObject) {
    return aObject && LiveObjects().count(aObject) != 0;
}

HRGN CreateRectRgn(int X1, int Y1, int X2, int Y2) {
    X1 = Clamp(X1), Y1 = Clamp(Y1), X2 = Clamp(X2), Y2 = Clamp(Y2);
    auto* r = new HRGN__;
    LiveObjects().insert(r);
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    r->rect = QRect(X1, Y1, X2 - X1, Y2 - Y1);
    return r;
}

HRGN CreateRectRgnIndirect(const TRect& Rect) {
    return CreateRectRgn(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

bool DeleteObject(HRGN Object) {
    if (!Alive(Object)) return false;
    LiveObjects().erase(Object);
    delete Object;
    return true;
}

int GetRgnBox(HRGN Region, TRect* Rect) {
    if (!Alive(Region)) return RGN_ERROR;
    if (Rect) *Rect = Region->rect.isEmpty() ? TRect() : FromQRect(Region->rect);
    return Region->rect.isEmpty() ? NULLREGION : SIMPLEREGION;
}

int SelectClipRgn(HDC DC, HRGN Region) {
    if (!DC || (Region && !Alive(Region))) return RGN_ERROR;
    if (Region)
        DC->clip = Region->rect.isEmpty() ? QRect() : Region->rect;
    else
        DC->clip.reset();
    DC->stateApplied = false;
    if (!DC->clip) return SIMPLEREGION; // the whole surface
    return DC->clip->isEmpty() ? NULLREGION : SIMPLEREGION;
}

int GetClipRgn(HDC DC, HRGN Region) {
    if (!DC || !Alive(Region)) return -1;
    if (!DC->clip) return 0;
    Region->rect = *DC->clip;
    return 1;
}

int IntersectClipRect(HDC DC, int X1, int Y1, int X2, int Y2) {
    if (!DC) return RGN_ERROR;
    X1 = Clamp(X1), Y1 = Clamp(Y1), X2 = Clamp(X2), Y2 = Clamp(Y2);
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    QRect r(X1 + DC->viewportOrg.X, Y1 + DC->viewportOrg.Y, X2 - X1, Y2 - Y1);
    DC->clip = DC->clip ? DC->clip->intersected(r) : r;
    DC->stateApplied = false;
    return DC->clip->isEmpty() ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC DC, TRect* Rect) {
    if (!DC) return RGN_ERROR;
    QRect r(0, 0, DC->width, DC->height);
    if (DC->clip) r = r.intersected(*DC->clip);
    r.translate(-DC->viewportOrg.X, -DC->viewportOrg.Y);
    if (Rect) *Rect = r.isEmpty() ? TRect() : FromQRect(r);
    return r.isEmpty() ? NULLREGION : SIMPLEREGION;
}

// ---- Brushes and text state -----------------------------------------------------------------
HBRUSH CreateSolidBrush(TColor Color) {
    auto* b = new HBRUSH__;
    LiveObjects().insert(b);
    b->color = Color;
    b->brush = QBrush(ToQColor(Color));
    return b;
}

HBRUSH CreatePatternBrush(TBitmap* Pattern) {
    if (!Pattern || Pattern->Empty()) return nullptr;
    auto* b = new HBRUSH__;
    LiveObjects().insert(b);
    b->brush = QBrush(BitmapImage(Pattern).copy());
    return b;
}

bool DeleteObject(HBRUSH Object) {
    // Deleting a brush that is still selected would leave the context pointing at nothing.
    if (!Alive(Object) || Object->selectedCount > 0) return false;
    LiveObjects().erase(Object);
    delete Object;
    return true;
}

HBRUSH SelectObject(HDC DC, HBRUSH Brush) {
    if (!DC || (Brush && !Alive(Brush))) return nullptr;
    HBRUSH old = DC->brush;
    if (old) --old->selectedCount;
    DC->brush = Brush;
    if (Brush) ++Brush->selectedCount;
    return old;
}

TColor SetTextColor(HDC DC, TColor Color) {
    if (!DC) return CLR_INVALID;
    TColor old = DC->textColor;
    DC->textColor = Color;
    return old;
}
TColor GetTextColor(HDC DC) {
    return DC ? DC->textColor : CLR_INVALID;
}

TColor SetBkColor(HDC DC, TColor Color) {
    if (!DC) return CLR_INVALID;
    TColor old = DC->bkColor;
    DC->bkColor = Color;
    return old;
}
TColor GetBkColor(HDC DC) {
    return DC ? DC->bkColor : CLR_INVALID;
}

int SetBkMode(HDC DC, int Mode) {
    if (!DC || (Mode != TRANSPARENT && Mode != OPAQUE)) return 0;
    int old = DC->bkMode;
    DC->bkMode = Mode;
    return old;
}
int GetBkMode(HDC DC) {
    return DC ? DC->bkMode : 0;
}

// ---- Fills ----------------------------------------------------------------------------------
static const QBrush& SelectedBrush(HDC dc) {
    return dc->brush ? dc->brush->brush : dc->canvasBrush;
}

bool PatBlt(HDC DC, int X, int Y, int Width, int Height, uint32_t Rop) {
    QPainter* p = ActivePainter(DC);
    if (!p) return false;
    auto clamp64 = [](int64_t v) { return int(std::clamp<int64_t>(v, -kMaxCoord, kMaxCoord)); };
    TRect r(clamp64(X), clamp64(Y), clamp64(int64_t(X) + Width), clamp64(int64_t(Y) + Height));
    if (r.Right < r.Left) std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
    switch (Rop) {
    case PATCOPY:
        SetMode(p, QPainter::CompositionMode_SourceOver);
        FillLogical(p, r, SelectedBrush(DC));
        break;
    case PATINVERT:
        SetMode(p, DC->rasterOps ? QPainter::RasterOp_SourceXorDestination
                                 : QPainter::CompositionMode_SourceOver);
        FillLogical(p, r, SelectedBrush(DC));
        break;
    case DSTINVERT:
        if (!DC->rasterOps) return false;
        SetMode(p, QPainter::RasterOp_NotDestination);
        FillLogical(p, r, QBrush(Qt::black));
        break;
    case BLACKNESS:
    case WHITENESS:
        SetMode(p, QPainter::CompositionMode_SourceOver);
        FillLogical(p, r, QBrush(Rop == BLACKNESS ? Qt::black : Qt::white));
        break;
    default:
        return false;
    }
    SetMode(p, QPainter::CompositionMode_SourceOver);
    Drawn(DC);
    return true;
}

int FillRect(HDC DC, const TRect& Rect, HBRUSH Brush) {
    QPainter* p = ActivePainter(DC);
    if (!p || !Alive(Brush)) return 0;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    FillLogical(p, Rect, Brush->brush);
    Drawn(DC);
    return 1;
}

int FrameRect(HDC DC, const TRect& Rect, HBRUSH Brush) {
    QPainter* p = ActivePainter(DC);
    if (!p || !Alive(Brush)) return 0;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    FrameLogical(p, Rect, Brush->brush);
    Drawn(DC);
    return 1;
}

bool StretchBitmap(HDC DC, const TRect& Dest, TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->Empty() || Dest.Right <= Dest.Left || Dest.Bottom <= Dest.Top) return false;
    QPainter* p = ActivePainter(DC);
    if (!p) return false;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    const QImage& src = BitmapImage(Bitmap);
    QRect target = ToQRect(Dest);
    if (DC->image && &src == DC->image)
        p->drawImage(target, src.copy());
    else
        p->drawImage(target, src);
    Drawn(DC);
    return true;
}

int GetDeviceCaps(HDC DC, int Index) {
    if (!DC) return 0;
    switch (Index) {
    case LOGPIXELSX:
        return DC->dpiX;
    case LOGPIXELSY:
        return DC->dpiY;
    case HORZRES:
        return DC->width;
    case VERTRES:
        return DC->height;
    default:
        return 0;
    }
}
