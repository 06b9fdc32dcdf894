// Private to platform/: how device contexts, canvases and bitmaps map onto Qt's painter and
// images. Controls use it to give a canvas to a widget's backing image or to a paint event.
#pragma once

#include "platform/plGraphics.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QStaticText>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>

class QPaintDevice;

namespace xo {

// A text laid out once in a font: views draw the same labels on every paint, and shaping
// dominates the cost of drawing a short text.
struct TTextLayout {
    int width = 0;
    QStaticText prepared; // empty until first drawn
    bool isPrepared = false;
    int elideWidth = -1; // the width the shortened text below was made for
    QString elided;
};

// A font resolved for one device resolution: the Qt font and its metrics.
struct TFontData : std::enable_shared_from_this<TFontData> {
    QFont font;
    QFontMetrics metrics;
    int ascent = 0;      // baseline offset from the top of the text cell
    int height = 0;      // height of the text cell (ascent + descent)
    int orientation = 0; // tenths of a degree, counter-clockwise
    bool underline = false;
    bool strikeOut = false;
    explicit TFontData(const QFont& f) : font(f), metrics(f) {}

    // The layout of a text, cached (main thread only).
    TTextLayout& Layout(const QString& aText) const;
    int Width(const QString& aText) const { return Layout(aText).width; }

private:
    mutable QHash<QString, TTextLayout> fLayouts;
};

struct TBitmapData {
    QImage image;     // Format_RGB32
    HDC dc = nullptr; // owned; the bitmap's canvas draws through it
};

} // namespace xo

struct HRGN__ {
    QRect rect; // device coordinates; may be empty
};

struct HBRUSH__ {
    QBrush brush;
    TColor color = clBlack;
    int selectedCount = 0; // selected into this many device contexts
};

// A device context: a paint device, the painter drawing on it while it is in use, and the
// drawing state of the operating system's device contexts.
struct HDC__ {
    QPaintDevice* device = nullptr; // what the own painter opens on
    QImage* image = nullptr;        // when image-backed: readable pixels
    QPainter* painter = nullptr;    // the painter in use (own or borrowed), or nullptr
    std::unique_ptr<QPainter> ownPainter;
    bool borrowed = false; // painter belongs to the caller (a paint event)
    int width = 0;         // device size in pixels
    int height = 0;
    int dpiX = kScreenPixelsPerInch;
    int dpiY = kScreenPixelsPerInch;

    TPoint viewportOrg;
    std::optional<QRect> clip; // device coordinates

    // Objects selected into the context.
    TColor textColor = clBlack;
    TColor bkColor = clWhite;
    int bkMode = OPAQUE;
    std::shared_ptr<const xo::TFontData> font;
    HBRUSH brush = nullptr;        // selected with SelectObject, or nullptr
    QBrush canvasBrush{Qt::white}; // the attached canvas's brush (used when no brush selected)

    // Called after every drawing operation (for instance to show a control's image at once).
    std::function<void()> onDraw;

    bool keepPainter = false; // a document (PDF) ends with its painter: never release it
    // Painter state last applied, to avoid needless changes in hot paths.
    bool stateApplied = false;
    bool rasterOps = true;                                // the device can invert and exclusive-or
    const void* painterFont = nullptr;                    // the font data last set on the painter
    std::shared_ptr<const xo::TFontData> painterFontHold; // keeps painterFont's address unique
    QTransform baseTransform;                             // a borrowed painter's own transform
    ~HDC__();
};

namespace xo::paint {

inline QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline TColor FromQRgb(QRgb c) {
    return RGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}
// Coordinates are kept within +-2^28 so that sizes and offsets added by Qt never overflow.
constexpr int kMaxCoord = 1 << 28;
inline int Clamp(int v) {
    return v < -kMaxCoord ? -kMaxCoord : (v > kMaxCoord ? kMaxCoord : v);
}
inline TRect Clamp(const TRect& r) {
    return TRect(Clamp(r.Left), Clamp(r.Top), Clamp(r.Right), Clamp(r.Bottom));
}
inline TPoint Clamp(const TPoint& p) {
    return TPoint(Clamp(p.X), Clamp(p.Y));
}
inline QRect ToQRect(const TRect& aRect) {
    TRect r = Clamp(aRect);
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}
inline TRect FromQRect(const QRect& r) {
    return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

// A device context on an image the caller owns (Format_RGB32 or ARGB32_Premultiplied for the
// inverting modes). While the context's painter is open the image must not be reassigned,
// resized or destroyed: call ReleasePainter first (then RetargetImage after a change).
HDC CreateImageDC(QImage* aImage, int aDotsPerInch = kScreenPixelsPerInch);
// A device context on any paint device (a PDF writer, a widget during its paint event); it
// opens its own painter when it first draws.
HDC CreateDeviceDC(QPaintDevice* aDevice, int aWidth, int aHeight, int aDotsPerInch);
// A device context on a painter that is already active and stays the caller's (a paint
// event's). The painter's state is saved and restored by DestroyDC.
HDC CreatePainterDC(QPainter* aPainter, int aWidth, int aHeight, int aDotsPerInch = kScreenPixelsPerInch);
// Ends the context's painter and frees it. Canvases attached to it must be detached first.
void DestroyDC(HDC aDC);

// Ends the context's own painter so that its device may be resized, saved or destroyed; the
// next drawing call opens a new one.
void ReleasePainter(HDC aDC);
// Points an image context at another image (or the same one after it was resized), keeping
// viewport origin, clip region and selected objects.
void RetargetImage(HDC aDC, QImage* aImage);
// Called after every drawing operation on the context (nullptr: nothing).
void SetDrawHook(HDC aDC, std::function<void()> aHook);

// The painter with the context's viewport origin and clip region applied, opening one if
// needed; nullptr when nothing can be drawn (an empty image, no device).
QPainter* ActivePainter(HDC aDC);
// The image a context draws on, or nullptr.
QImage* ImageOf(HDC aDC);

// A bitmap's picture. For writing, use ImageForWrite, which ends the bitmap's painter first.
const QImage& BitmapImage(const TBitmap* aBitmap);
QImage& ImageForWrite(TBitmap* aBitmap);
// Replaces the bitmap's picture (converted to the bitmap's format).
void SetBitmapImage(TBitmap* aBitmap, const QImage& aImage);

// The Qt font for a TFont at a resolution.
QFont ToQFont(const TFont& aFont, int aDotsPerInch = kScreenPixelsPerInch);
// The face used for a font name.
QString ResolveFamily(const String& aName);

} // namespace xo::paint
