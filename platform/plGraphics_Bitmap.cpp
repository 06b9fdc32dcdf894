// Bitmaps with their canvases, and image lists.
#include "platform/plGraphics.h"

#include "platform/internal/plPaintDraw.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <algorithm>
#include <vector>

using namespace xo::paint;

namespace {
// Larger pictures are refused rather than left to fail inside the allocator.
constexpr long long kMaxBitmapPixels = 1LL << 28;
} // namespace

namespace xo {
struct TImageListData {
    std::vector<QImage> images; // ARGB32_Premultiplied, Width x Height each
};
} // namespace xo

namespace xo::paint {

const QImage& BitmapImage(const TBitmap* aBitmap) {
    return aBitmap->Data().image;
}

QImage& ImageForWrite(TBitmap* aBitmap) {
    ReleasePainter(aBitmap->Data().dc);
    return aBitmap->Data().image;
}

void SetBitmapImage(TBitmap* aBitmap, const QImage& aImage) {
    xo::TBitmapData& d = aBitmap->Data();
    ReleasePainter(d.dc);
    d.image = aImage.convertToFormat(QImage::Format_RGB32);
    RetargetImage(d.dc, &d.image);
}

} // namespace xo::paint

// ---- TBitmap --------------------------------------------------------------------------------
TBitmap::TBitmap() : fData(new xo::TBitmapData), fCanvas(new TCanvas) {
    fData->dc = CreateImageDC(&fData->image);
    fCanvas->SetHandle(fData->dc);
    RegisterBitmap(this, true);
}

TBitmap::TBitmap(int aWidth, int aHeight) : TBitmap() {
    SetSize(aWidth, aHeight);
}

TBitmap::~TBitmap() {
    RegisterBitmap(this, false);
    fCanvas->SetHandle(nullptr);
    DestroyDC(fData->dc);
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b == this) return;
        SetBitmapImage(this, b->fData->image.copy());
        return;
    }
    TPersistent::Assign(Source);
}

int TBitmap::Width() const {
    return fData->image.width();
}
int TBitmap::Height() const {
    return fData->image.height();
}
void TBitmap::SetWidth(int Value) {
    SetSize(Value, Height());
}
void TBitmap::SetHeight(int Value) {
    SetSize(Width(), Value);
}

void TBitmap::SetSize(int aWidth, int aHeight) {
    aWidth = std::max(aWidth, 0);
    aHeight = std::max(aHeight, 0);
    if (aWidth == Width() && aHeight == Height()) return;
    if ((long long)aWidth * aHeight > kMaxBitmapPixels) throw Exception("Out of system resources");
    ReleasePainter(fData->dc);
    QImage next;
    if (aWidth > 0 && aHeight > 0) {
        next = QImage(aWidth, aHeight, QImage::Format_RGB32);
        if (next.isNull()) throw Exception("Out of system resources");
        next.fill(0xFFFFFFFF);
        const QImage& old = fData->image;
        int w = std::min(aWidth, old.width());
        int h = std::min(aHeight, old.height());
        for (int y = 0; y < h; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(old.constScanLine(y)), w,
                        reinterpret_cast<QRgb*>(next.scanLine(y)));
    }
    fData->image = std::move(next);
    RetargetImage(fData->dc, &fData->image);
}

void TBitmap::SaveToFile(const String& FileName) const {
    QString name = xo::qt::ToQString(FileName);
    QString lower = name.toLower();
    const char* format = "PNG";
    if (lower.endsWith(QLatin1String(".bmp")))
        format = "BMP";
    else if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        format = "JPG";
    if (fData->image.isNull() || !fData->image.save(name, format))
        throw Exception("Cannot save the picture to " + FileName);
}

void TBitmap::LoadFromFile(const String& FileName) {
    QImage img;
    if (!img.load(xo::qt::ToQString(FileName)) || img.isNull())
        throw Exception("Cannot read a picture from " + FileName);
    SetBitmapImage(this, img);
}

// ---- TCustomImageList -----------------------------------------------------------------------
TCustomImageList::TCustomImageList(TComponent* AOwner, int aWidth, int aHeight)
    : TComponent(AOwner), fWidth(std::max(aWidth, 1)), fHeight(std::max(aHeight, 1)),
      fData(new xo::TImageListData) {}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetWidth(int Value) {
    Value = std::max(Value, 1);
    if (Value == fWidth) return;
    fWidth = Value;
    Clear();
}

void TCustomImageList::SetHeight(int Value) {
    Value = std::max(Value, 1);
    if (Value == fHeight) return;
    fHeight = Value;
    Clear();
}

int TCustomImageList::Count() const {
    return int(fData->images.size());
}

static int AddImages(xo::TImageListData& d, int w, int h, const QImage& src,
                     const std::function<bool(int x, int y)>& transparent) {
    int count = std::max(1, src.width() / w);
    int first = int(d.images.size());
    for (int i = 0; i < count; ++i) {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        for (int y = 0; y < h && y < src.height(); ++y) {
            auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                int sx = i * w + x;
                if (sx >= src.width()) break;
                if (!transparent(sx, y)) out[x] = src.pixel(sx, y) | 0xFF000000u;
            }
        }
        d.images.push_back(std::move(img));
    }
    return first;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    const QImage& src = BitmapImage(Image);
    const QImage* mask = Mask && !Mask->Empty() ? &BitmapImage(Mask) : nullptr;
    int first = AddImages(*fData, fWidth, fHeight, src, [mask](int x, int y) {
        if (!mask || x >= mask->width() || y >= mask->height()) return false;
        return (mask->pixel(x, y) & 0xFFFFFFu) != 0; // white in the mask: transparent
    });
    Change();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    const QImage& src = BitmapImage(Image);
    // clDefault: the colour of the bottom-left pixel, as the framework takes it.
    QRgb key = MaskColor == clDefault ? src.pixel(0, src.height() - 1) : ToQColor(MaskColor).rgb();
    int first = AddImages(*fData, fWidth, fHeight, src, [&src, key](int x, int y) {
        return (src.pixel(x, y) & 0xFFFFFFu) == (key & 0xFFFFFFu);
    });
    Change();
    return first;
}

void TCustomImageList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) return;
    fData->images.erase(fData->images.begin() + Index);
    Change();
}

void TCustomImageList::Clear() {
    if (fData->images.empty()) return;
    fData->images.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    HDC dc = Canvas->Handle();
    QPainter* p = ActivePainter(dc);
    if (!p) return;
    SetMode(p, QPainter::CompositionMode_SourceOver);
    const QImage& img = fData->images[size_t(Index)];
    if (Enabled) {
        p->drawImage(QPoint(X, Y), img);
    } else {
        // Greyed: each opaque pixel becomes a light grey of its brightness.
        QImage grey = img.copy();
        for (int y = 0; y < grey.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                if (qAlpha(line[x]) == 0) continue;
                int v = 128 + qGray(line[x]) / 2;
                line[x] = qRgb(v, v, v);
            }
        }
        p->drawImage(QPoint(X, Y), grey);
    }
    Drawn(dc);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) const {
    if (!Image || Index < 0 || Index >= Count()) return false;
    QImage out(fWidth, fHeight, QImage::Format_RGB32);
    out.fill(0xFFFFFFFF);
    {
        QPainter p(&out);
        p.drawImage(0, 0, fData->images[size_t(Index)]);
    }
    SetBitmapImage(Image, out);
    return true;
}

void TCustomImageList::Change() {
    if (fOnChange) fOnChange(this);
}
