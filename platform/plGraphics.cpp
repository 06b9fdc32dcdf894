// Fonts, pens and brushes; resolution of font faces to the installed DejaVu families.
#include "platform/plGraphics.h"

#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <tuple>

namespace {

// The framework's MulDiv: a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    double v = double(a) * double(b) / double(c);
    v = v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5);
    return int(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

String Lower(String s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Height of DejaVu's text cell (ascent + descent) in units of its em size.
constexpr double kCellPerEm = 2384.0 / 2048.0;

using FontKey = std::tuple<QString, int, bool, bool, bool, bool, int>;

// Resolved fonts are shared by every TFont with the same description; main thread only.
std::map<FontKey, std::shared_ptr<const xo::TFontData>>& FontCache() {
    static std::map<FontKey, std::shared_ptr<const xo::TFontData>> cache;
    return cache;
}

} // namespace

namespace xo::paint {

QString ResolveFamily(const String& aName) {
    String n = Lower(aName);
    if (n.rfind("dejavu", 0) == 0) return xo::qt::ToQString(aName);
    static const char* const kMono[] = {"courier new", "courier",  "consolas",  "lucida console",
                                        "fixedsys",    "terminal", "monospace", "fixed"};
    static const char* const kSerif[] = {"times new roman", "times",    "georgia",      "serif",
                                         "cambria",         "garamond", "book antiqua", "palatino linotype"};
    for (const char* m : kMono)
        if (n == m) return QStringLiteral("DejaVu Sans Mono");
    if (n.find("mono") != String::npos) return QStringLiteral("DejaVu Sans Mono");
    for (const char* m : kSerif)
        if (n == m) return QStringLiteral("DejaVu Serif");
    // Arial, MS Sans Serif, Tahoma, Segoe UI, Verdana and every unknown face.
    return QStringLiteral("DejaVu Sans");
}

QFont ToQFont(const TFont& aFont, int aDotsPerInch) {
    return aFont.Data(aDotsPerInch).font;
}

} // namespace xo::paint

namespace xo {

TTextLayout& TFontData::Layout(const QString& aText) const {
    auto it = fLayouts.find(aText);
    if (it != fLayouts.end()) return *it;
    if (fLayouts.size() > 8192) fLayouts.clear(); // bounded: labels change as views scroll
    TTextLayout l;
    l.width = metrics.horizontalAdvance(aText);
    return *fLayouts.insert(aText, std::move(l));
}

} // namespace xo

// ---- TFont ----------------------------------------------------------------------------------
TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        fName = f->fName;
        fHeight = f->fHeight;
        fStyle = f->fStyle;
        fColor = f->fColor;
        fOrientation = f->fOrientation;
        fPitch = f->fPitch;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetName(const String& Value) {
    if (Value.empty() || Value == fName) return;
    fName = Value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(fHeight, 72, kScreenPixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, kScreenPixelsPerInch, 72));
}

void TFont::SetHeight(int Value) {
    if (Value == fHeight) return;
    fHeight = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == fStyle) return;
    fStyle = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == fColor) return;
    fColor = Value;
    Changed();
}

void TFont::SetOrientation(int Value) {
    Value %= 3600;
    if (Value == fOrientation) return;
    fOrientation = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == fPitch) return;
    fPitch = Value;
    Changed();
}

void TFont::Changed() {
    fData.reset();
    if (fOnChange) fOnChange(this);
}

String TFont::ResolvedFamily() const {
    if (fPitch == fpFixed) return "DejaVu Sans Mono";
    return xo::qt::FromQString(xo::paint::ResolveFamily(fName));
}

const xo::TFontData& TFont::Data(int aDotsPerInch) const {
    return *DataPtr(aDotsPerInch);
}

std::shared_ptr<const xo::TFontData> TFont::DataPtr(int aDotsPerInch) const {
    if (aDotsPerInch <= 0) aDotsPerInch = kScreenPixelsPerInch;
    if (fData && fDataDpi == aDotsPerInch) return fData;
    if (!QGuiApplication::instance()) xo::qt::EnsureQtApplication();

    // Pixel size of the em square on the device.
    int h = fHeight == 0 ? -11 : fHeight;
    double devicePixels = std::fabs(double(h)) * aDotsPerInch / kScreenPixelsPerInch;
    if (h > 0) devicePixels /= kCellPerEm; // a positive height is the whole text cell
    int pixelSize = int(std::clamp(std::round(devicePixels), 1.0, 8000.0));

    QString family = fPitch == fpFixed ? QStringLiteral("DejaVu Sans Mono") : xo::paint::ResolveFamily(fName);
    FontKey key{family,
                pixelSize,
                fStyle.Contains(fsBold),
                fStyle.Contains(fsItalic),
                fStyle.Contains(fsUnderline),
                fStyle.Contains(fsStrikeOut),
                fOrientation};
    auto& cache = FontCache();
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont f(family);
        f.setPixelSize(pixelSize);
        f.setBold(fStyle.Contains(fsBold));
        f.setItalic(fStyle.Contains(fsItalic));
        f.setUnderline(fStyle.Contains(fsUnderline));
        f.setStrikeOut(fStyle.Contains(fsStrikeOut));
        // Monochrome glyphs: pixel probes and snapshots must not depend on the rasteriser's
        // grey levels.
        f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setKerning(false);
        auto data = std::make_shared<xo::TFontData>(f);
        data->ascent = data->metrics.ascent();
        data->height = data->metrics.ascent() + data->metrics.descent();
        data->orientation = fOrientation;
        data->underline = fStyle.Contains(fsUnderline);
        data->strikeOut = fStyle.Contains(fsStrikeOut);
        if (cache.size() > 1024) cache.clear(); // fonts in use stay alive through their TFonts
        it = cache.emplace(key, std::move(data)).first;
    }
    fData = it->second;
    fDataDpi = aDotsPerInch;
    return fData;
}

// ---- TPen -----------------------------------------------------------------------------------
void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this) return;
        fColor = p->fColor;
        fWidth = p->fWidth;
        fStyle = p->fStyle;
        fMode = p->fMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    if (Value == fColor) return;
    fColor = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == fWidth) return;
    fWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == fStyle) return;
    fStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == fMode) return;
    fMode = Value;
    Changed();
}

void TPen::Changed() {
    if (fOnChange) fOnChange(this);
}

// ---- TBrush ---------------------------------------------------------------------------------
TBrush::~TBrush() = default;

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this) return;
        fColor = b->fColor;
        fStyle = b->fStyle;
        fBitmap = b->fBitmap;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    // Choosing a colour makes a clear brush solid again, as the framework does.
    if (Value == fColor && fStyle == bsSolid) return;
    fColor = Value;
    if (fStyle == bsClear) fStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == fStyle) return;
    fStyle = Value;
    Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
    if (Value == fBitmap) return;
    fBitmap = Value;
    Changed();
}

void TBrush::Changed() {
    if (fOnChange) fOnChange(this);
}
