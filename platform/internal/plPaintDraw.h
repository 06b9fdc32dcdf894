// Private to the painting unit: drawing primitives shared by the canvas and the device-context
// calls, following the classic pixel rules.
#pragma once

#include "platform/internal/plPaintGlue.h"

namespace xo::paint {

// Composition for a pen mode (copy when the device cannot invert).
QPainter::CompositionMode ModeFor(HDC aDC, TPenMode aMode);
void SetMode(QPainter* p, QPainter::CompositionMode aMode);

// Fills logical Left..Right-1 x Top..Bottom-1.
void FillLogical(QPainter* p, const TRect& r, const QBrush& aBrush);
// A frame of thickness 1 just inside r, each pixel painted once.
void FrameLogical(QPainter* p, const TRect& r, const QBrush& aBrush);

// The brush a TBrush paints with (Qt::NoBrush for a clear brush).
QBrush ToQBrush(const TBrush& aBrush);

// Text drawn with its top-left corner at (x, y) in the current painter coordinates; an opaque
// background (when given) covers the text cell.
void DrawTextCell(HDC aDC, QPainter* p, const TFontData& f, int x, int y, const QString& s, const QColor& ink,
                  const QBrush* aBackground);
void UsePainterFont(HDC aDC, QPainter* p, const TFontData& f);

// The font data selected into a device context (the default font when none is).
const TFontData& DCFont(HDC aDC);

// Whether a bitmap still exists (brushes keep plain pointers to their bitmaps).
bool BitmapAlive(const TBitmap* aBitmap);
void RegisterBitmap(const TBitmap* aBitmap, bool aAlive);

// Runs the context's draw hook.
inline void Drawn(HDC aDC) {
    if (aDC->onDraw) aDC->onDraw();
}

} // namespace xo::paint
