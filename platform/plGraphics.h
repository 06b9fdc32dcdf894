// Drawing objects of the component framework (fonts, pens, brushes, bitmaps, image lists),
// the canvas, and the device context with the operating system's classic painting calls.
//
// Drawing follows the classic device-context rules: integer pixels, no antialiasing,
// rectangles cover Left..Right-1 and Top..Bottom-1, a line leaves its end point undrawn,
// inverting pen modes and focus rectangles restore the picture when drawn twice, text is
// placed by its top-left corner.
#pragma once

#include "platform/plClasses.h"
#include "platform/plTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// ---- Handles --------------------------------------------------------------------------------
// Opaque, pointer-sized handles; their contents are private to the platform layer.
struct HDC__;
struct HRGN__;
struct HBRUSH__;
using HDC = HDC__*;
using HRGN = HRGN__*;
using HBRUSH = HBRUSH__*;

class TBitmap;
class TCanvas;

namespace xo {
struct TFontData; // resolved font (face, pixel size, metrics) for one resolution
struct TBitmapData;
struct TImageListData;
} // namespace xo

struct TSize {
    int cx = 0;
    int cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int w, int h) : cx(w), cy(h) {}
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// Fonts are measured on the screen at this fixed resolution, so that an 8-point text is 13
// pixels high everywhere.
constexpr int kScreenPixelsPerInch = 96;

// The value Pixels answers outside the drawing surface.
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

// ---- TFont ----------------------------------------------------------------------------------
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A font description. Size is in points, Height in screen pixels (negative: the character
// height without internal leading, as the framework stores it: Height = -Size * 96 / 72).
// Orientation is the escapement of rotated text in tenths of a degree, counter-clockwise.
// On a device context, the font is drawn at the device's resolution: a 10-point font on a
// 300 dpi page is 300/96 times taller than on the screen.
class TFont : public TPersistent {
public:
    TFont();
    ~TFont() override;

    void Assign(TPersistent* Source) override;
    String ClassName() const override { return "TFont"; }

    const String& Name() const { return fName; }
    void SetName(const String& Value);
    int Size() const;
    void SetSize(int Value);
    int Height() const { return fHeight; }
    void SetHeight(int Value);
    TFontStyles Style() const { return fStyle; }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return fColor; }
    void SetColor(TColor Value);
    int Orientation() const { return fOrientation; }
    void SetOrientation(int Value);
    TFontPitch Pitch() const { return fPitch; }
    void SetPitch(TFontPitch Value);
    int PixelsPerInch() const { return kScreenPixelsPerInch; }

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

    // The face actually used for drawing: the framework's usual faces and unknown names map
    // to the installed DejaVu families, so that text metrics are the same on every machine.
    String ResolvedFamily() const;
    // Private to the platform layer: the font resolved for a device resolution (cached).
    const xo::TFontData& Data(int aDotsPerInch) const;
    std::shared_ptr<const xo::TFontData> DataPtr(int aDotsPerInch) const;

protected:
    void Changed();

private:
    String fName = "Tahoma";
    int fHeight = -11;
    TFontStyles fStyle;
    TColor fColor = clWindowText;
    int fOrientation = 0;
    TFontPitch fPitch = fpDefault;
    TNotifyEvent fOnChange;
    mutable std::shared_ptr<const xo::TFontData> fData;
    mutable int fDataDpi = 0;
};

// ---- TPen -----------------------------------------------------------------------------------
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How a pen (and the fill of a closed figure) combines with the picture: copy, invert the
// picture (the pen colour is ignored), exclusive-or with the pen colour, or its inverse.
enum TPenMode { pmCopy, pmNot, pmXor, pmNotXor };

class TPen : public TPersistent {
public:
    void Assign(TPersistent* Source) override;
    String ClassName() const override { return "TPen"; }

    TColor Color() const { return fColor; }
    void SetColor(TColor Value);
    // 0 draws as 1.
    int Width() const { return fWidth; }
    void SetWidth(int Value);
    TPenStyle Style() const { return fStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return fMode; }
    void SetMode(TPenMode Value);

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

protected:
    void Changed();

private:
    TColor fColor = clBlack;
    int fWidth = 1;
    TPenStyle fStyle = psSolid;
    TPenMode fMode = pmCopy;
    TNotifyEvent fOnChange;
};

// ---- TBrush ---------------------------------------------------------------------------------
enum TBrushStyle { bsSolid, bsClear };

// A fill colour, or a pattern when Bitmap is set (the bitmap is not owned and is tiled from the
// device's origin). Style clear draws no fill and no background behind text.
class TBrush : public TPersistent {
public:
    ~TBrush() override;
    void Assign(TPersistent* Source) override;
    String ClassName() const override { return "TBrush"; }

    TColor Color() const { return fColor; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return fStyle; }
    void SetStyle(TBrushStyle Value);
    TBitmap* Bitmap() const { return fBitmap; }
    void SetBitmap(TBitmap* Value);

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

protected:
    void Changed();

private:
    TColor fColor = clWhite;
    TBrushStyle fStyle = bsSolid;
    TBitmap* fBitmap = nullptr;
    TNotifyEvent fOnChange;
};

// ---- TCanvas --------------------------------------------------------------------------------
// Draws with its pen, brush and font on a device context: a bitmap's, a control's, or one
// that the application attaches (a printer's). The device context's viewport origin and clip
// region apply to every call.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    String ClassName() const override { return "TCanvas"; }

    TFont* Font() const { return fFont.get(); }
    void SetFont(TFont* Value) { fFont->Assign(Value); }
    TPen* Pen() const { return fPen.get(); }
    void SetPen(TPen* Value) { fPen->Assign(Value); }
    TBrush* Brush() const { return fBrush.get(); }
    void SetBrush(TBrush* Value) { fBrush->Assign(Value); }

    // The device context, with this canvas's font, text colour, brush and background mode
    // selected into it (so that DrawText, ExtTextOut and PatBlt use them).
    HDC Handle();
    // Attaches the canvas to a device context it does not own (nullptr detaches).
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return fHandle != nullptr; }
    void Refresh() {}

    TPoint PenPos() const { return fPenPos; }
    void SetPenPos(const TPoint& Value) { fPenPos = Value; }
    // The visible part of the surface in logical coordinates (clip region and device bounds).
    TRect ClipRect() const;

    // Fills Left..Right-1, Top..Bottom-1 with the brush; the pen is not used.
    void FillRect(const TRect& Rect);
    // A one-pixel frame just inside Rect in the brush colour.
    void FrameRect(const TRect& Rect);
    // Pen outline on Left..Right-1, Top..Bottom-1, interior filled with the brush.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    // X3, Y3: width and height of the corner ellipse.
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void MoveTo(int X, int Y);
    // Draws from the pen position to (X, Y), leaving (X, Y) undrawn; the pen moves there.
    void LineTo(int X, int Y);
    // Connected lines; the last point is undrawn; the pen position does not change.
    void Polyline(const TPoint* Points, int Count);
    void Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), int(Points.size())); }
    // A closed figure filled with the brush (odd-even rule) and outlined with the pen.
    void Polygon(const TPoint* Points, int Count);
    void Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), int(Points.size())); }
    // A dotted frame drawn by inverting the pixels, so that drawing it again removes it.
    void DrawFocusRect(const TRect& Rect);

    // Text with its top-left corner at (X, Y) in the font colour; a solid brush paints the
    // background of the text, a clear brush leaves it. The pen position moves to the text's end.
    void TextOut(int X, int Y, const String& Text);
    // TextOut clipped to Rect; with a solid brush Rect is filled first.
    void TextRect(const TRect& Rect, int X, int Y, const String& Text);
    // DrawText into Rect with a DT_ format; answers the text height (DT_CALCRECT: Rect is
    // updated, nothing is drawn).
    int TextRect(TRect& Rect, const String& Text, uint32_t TextFormat);
    int TextWidth(const String& Text);
    int TextHeight(const String& Text);
    TSize TextExtent(const String& Text);

    // Copies a bitmap with its top-left corner at (X, Y).
    void Draw(int X, int Y, TBitmap* Graphic);
    // Copies a bitmap scaled into Rect (nearest pixel).
    void StretchDraw(const TRect& Rect, TBitmap* Graphic);
    // Copies Source of another (image-backed) canvas into Dest, scaling when sizes differ.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

    // CLR_INVALID outside the surface or on surfaces that cannot be read (printers).
    TColor Pixels(int X, int Y) const;
    void SetPixels(int X, int Y, TColor Value);

private:
    friend class TBitmap;
    HDC RequireHandle() const;

    std::unique_ptr<TFont> fFont;
    std::unique_ptr<TPen> fPen;
    std::unique_ptr<TBrush> fBrush;
    HDC fHandle = nullptr;
    TPoint fPenPos;
};

// ---- TBitmap --------------------------------------------------------------------------------
// An off-screen picture (24-bit colour) with its own canvas. A new bitmap is 0 by 0; resizing
// keeps the overlapping part of the picture and fills new pixels white.
class TBitmap : public TPersistent {
public:
    TBitmap();
    TBitmap(int aWidth, int aHeight);
    ~TBitmap() override;
    void Assign(TPersistent* Source) override;
    String ClassName() const override { return "TBitmap"; }

    int Width() const;
    int Height() const;
    void SetWidth(int Value);
    void SetHeight(int Value);
    // Negative sizes count as 0.
    void SetSize(int aWidth, int aHeight);
    bool Empty() const { return Width() == 0 || Height() == 0; }
    TCanvas* Canvas() const { return fCanvas.get(); }

    // PNG (or by the file's extension, BMP/JPEG); raises Exception when it cannot write.
    void SaveToFile(const String& FileName) const;
    // Raises Exception when the file cannot be read as a picture.
    void LoadFromFile(const String& FileName);

    // Private to the platform layer.
    xo::TBitmapData& Data() const { return *fData; }

private:
    std::unique_ptr<xo::TBitmapData> fData;
    std::unique_ptr<TCanvas> fCanvas;
};

// ---- Image lists ----------------------------------------------------------------------------
// Images of one fixed size. Drawing honours each image's transparency.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner, int aWidth = 16, int aHeight = 16);
    ~TCustomImageList() override;
    String ClassName() const override { return "TCustomImageList"; }

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // Changing the image size clears the list.
    void SetWidth(int Value);
    void SetHeight(int Value);
    int Count() const;

    // Adds Image (a bitmap wider than Width becomes several images, left to right); Mask,
    // when given, is white where the image is transparent. Answers the index of the first
    // image added, or -1 when Image is missing or empty.
    int Add(TBitmap* Image, TBitmap* Mask = nullptr);
    // Adds Image with every pixel of MaskColor transparent.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    // Out-of-range indexes are ignored.
    void Delete(int Index);
    void Clear();
    // Draws image Index with its top-left at (X, Y); a disabled image is drawn greyed.
    // Nothing happens for an index out of range.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Copies image Index into Image (resized to Width by Height, transparent parts white);
    // false for an index out of range.
    bool GetBitmap(int Index, TBitmap* Image) const;

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

protected:
    void Change();

private:
    int fWidth;
    int fHeight;
    std::unique_ptr<xo::TImageListData> fData;
    TNotifyEvent fOnChange;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    String ClassName() const override { return "TImageList"; }
};

// ---- Device contexts ------------------------------------------------------------------------
// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Region kinds answered by SelectClipRgn.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 0x2;
constexpr uint32_t ETO_CLIPPED = 0x4;
// PatBlt raster operations.
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
// GetDeviceCaps queries.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Viewport origin: the device position of logical (0, 0).
bool GetViewportOrgEx(HDC DC, TPoint* Point);
bool SetViewportOrgEx(HDC DC, int X, int Y, TPoint* OldOrigin = nullptr);
bool OffsetViewportOrgEx(HDC DC, int DX, int DY, TPoint* OldOrigin = nullptr);

// Rectangular regions, in device coordinates. The caller frees them with DeleteObject.
HRGN CreateRectRgn(int X1, int Y1, int X2, int Y2);
HRGN CreateRectRgnIndirect(const TRect& Rect);
bool DeleteObject(HRGN Object);
// The region's bounds; answers NULLREGION for an empty region, RGN_ERROR without a region.
int GetRgnBox(HRGN Region, TRect* Rect);
// Selects a copy of Region as the clip region (nullptr: no clip region). The region stays the
// caller's.
int SelectClipRgn(HDC DC, HRGN Region);
// 0 when the device context has no clip region; 1 when it has one, copied into Region
// (which the caller created); -1 on error.
int GetClipRgn(HDC DC, HRGN Region);
// Narrows the clip region to a rectangle in logical coordinates.
int IntersectClipRect(HDC DC, int X1, int Y1, int X2, int Y2);
// The visible part of the surface in logical coordinates.
int GetClipBox(HDC DC, TRect* Rect);

// Brushes for PatBlt, FillRect and FrameRect. The caller frees them with DeleteObject (never
// while selected).
HBRUSH CreateSolidBrush(TColor Color);
// A brush that tiles a copy of Pattern.
HBRUSH CreatePatternBrush(TBitmap* Pattern);
bool DeleteObject(HBRUSH Object);
// Selects the brush PatBlt paints with; answers the previously selected one.
HBRUSH SelectObject(HDC DC, HBRUSH Brush);

TColor SetTextColor(HDC DC, TColor Color); // answers the previous colour
TColor GetTextColor(HDC DC);
TColor SetBkColor(HDC DC, TColor Color);
TColor GetBkColor(HDC DC);
int SetBkMode(HDC DC, int Mode); // TRANSPARENT or OPAQUE; answers the previous mode
int GetBkMode(HDC DC);

// Text in the device context's font and text colour, formatted by DT_ flags: left, centre or
// right; top, vertical centre or bottom (single line); single line or line breaks at "\n" and,
// with DT_WORDBREAK, between words; DT_END_ELLIPSIS; "&" marks an underlined character unless
// DT_NOPREFIX ("&&" is "&"); clipped to Rect unless DT_NOCLIP. With DT_CALCRECT nothing is
// drawn and Rect gets the size the text needs. Answers the height of the text. Count -1:
// the whole text (otherwise its first Count bytes).
int DrawText(HDC DC, const String& Text, int Count, TRect& Rect, uint32_t Format);
inline int DrawTextW(HDC DC, const String& Text, int Count, TRect& Rect, uint32_t Format) {
    return DrawText(DC, Text, Count, Rect, Format);
}
// Text with its top-left corner at (X, Y). ETO_OPAQUE fills Rect with the background colour
// first; ETO_CLIPPED clips the text to Rect.
bool ExtTextOut(HDC DC, int X, int Y, uint32_t Options, const TRect* Rect, const String& Text);
inline bool ExtTextOutW(HDC DC, int X, int Y, uint32_t Options, const TRect* Rect, const String& Text) {
    return ExtTextOut(DC, X, Y, Options, Rect, Text);
}
bool GetTextExtentPoint32(HDC DC, const String& Text, TSize* Size);

// Paints a rectangle with the selected brush: PATCOPY, PATINVERT (exclusive-or with the brush,
// so painting twice restores), DSTINVERT (inverts), BLACKNESS, WHITENESS.
bool PatBlt(HDC DC, int X, int Y, int Width, int Height, uint32_t Rop);
// Device-independent copy of a whole bitmap stretched onto Dest (how printers receive
// pictures).
bool StretchBitmap(HDC DC, const TRect& Dest, TBitmap* Bitmap);
int FillRect(HDC DC, const TRect& Rect, HBRUSH Brush);
// A one-pixel frame just inside Rect.
int FrameRect(HDC DC, const TRect& Rect, HBRUSH Brush);
// LOGPIXELSX/Y: dots per inch; HORZRES/VERTRES: size of the surface in device pixels.
int GetDeviceCaps(HDC DC, int Index);
