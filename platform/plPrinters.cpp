// Printer device contexts on PDF files (QPdfWriter) and on page images.
#include "platform/plPrinters.h"

#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cmath>

namespace xo {
struct TPrinterData {
    HDC dc = nullptr;
    std::unique_ptr<QPdfWriter> pdf;
    QImage page;
    int dpi = 0;
    int width = 0;
    int height = 0;
};
} // namespace xo

namespace {
constexpr long long kMaxPagePixels = 1LL << 28;
}

// ---- TPrinterDevice -------------------------------------------------------------------------
TPrinterDevice::TPrinterDevice() : fData(new xo::TPrinterData) {}

TPrinterDevice::~TPrinterDevice() {
    if (fData->dc) xo::paint::DestroyDC(fData->dc);
}

HDC TPrinterDevice::Handle() const {
    return fData->dc;
}
int TPrinterDevice::DotsPerInch() const {
    return fData->dpi;
}
int TPrinterDevice::PageWidth() const {
    return fData->width;
}
int TPrinterDevice::PageHeight() const {
    return fData->height;
}

// ---- TPdfPrinter ----------------------------------------------------------------------------
TPdfPrinter::TPdfPrinter(const String& FileName, int DotsPerInch, double PageWidthMM, double PageHeightMM)
    : fFileName(FileName) {
    if (DotsPerInch <= 0 || !(PageWidthMM > 0) || !(PageHeightMM > 0) || PageWidthMM > 5000 ||
        PageHeightMM > 5000)
        throw Exception("Invalid printer page");
    if (!QGuiApplication::instance()) xo::qt::EnsureQtApplication();
    auto& d = *fData;
    d.pdf = std::make_unique<QPdfWriter>(xo::qt::ToQString(FileName));
    d.pdf->setResolution(DotsPerInch);
    d.pdf->setPageLayout(QPageLayout(QPageSize(QSizeF(PageWidthMM, PageHeightMM), QPageSize::Millimeter),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    d.dpi = DotsPerInch;
    d.width = d.pdf->width();
    d.height = d.pdf->height();
    d.dc = xo::paint::CreateDeviceDC(d.pdf.get(), d.width, d.height, DotsPerInch);
    // The document is written by its painter, from the first page to the last.
    if (!xo::paint::ActivePainter(d.dc)) {
        xo::paint::DestroyDC(d.dc);
        d.dc = nullptr;
        throw Exception("Cannot create the file " + FileName);
    }
    d.dc->keepPainter = true;
}

TPdfPrinter::~TPdfPrinter() {
    EndDoc();
}

void TPdfPrinter::NewPage() {
    if (!fPrinting) return;
    fData->pdf->newPage();
    ++fPageNumber;
}

void TPdfPrinter::EndDoc() {
    if (!fPrinting) return;
    fPrinting = false;
    HDC dc = fData->dc;
    dc->keepPainter = false;
    xo::paint::ReleasePainter(dc); // ends the painter, which completes the file
    dc->device = nullptr;          // later drawing does nothing
}

// ---- TImagePrinter --------------------------------------------------------------------------
TImagePrinter::TImagePrinter(int PageWidth, int PageHeight, int DotsPerInch) {
    if (PageWidth <= 0 || PageHeight <= 0 || DotsPerInch <= 0 ||
        (long long)PageWidth * PageHeight > kMaxPagePixels)
        throw Exception("Invalid printer page");
    auto& d = *fData;
    d.page = QImage(PageWidth, PageHeight, QImage::Format_RGB32);
    if (d.page.isNull()) throw Exception("Out of system resources");
    d.page.fill(0xFFFFFFFF);
    d.dpi = DotsPerInch;
    d.width = PageWidth;
    d.height = PageHeight;
    d.dc = xo::paint::CreateImageDC(&d.page, DotsPerInch);
}

TImagePrinter::~TImagePrinter() {
    EndDoc();
}

void TImagePrinter::NewPage() {
    if (!fPrinting) return;
    if (fOnPageDone) fOnPageDone(this, fPageNumber);
    xo::paint::ReleasePainter(fData->dc);
    fData->page.fill(0xFFFFFFFF);
    ++fPageNumber;
}

void TImagePrinter::EndDoc() {
    if (!fPrinting) return;
    fPrinting = false;
    if (fOnPageDone) fOnPageDone(this, fPageNumber);
    xo::paint::ReleasePainter(fData->dc);
    fData->dc->device = nullptr; // later drawing does nothing; the last page stays readable
}

void TImagePrinter::SaveToFile(const String& FileName) const {
    if (!fData->page.save(xo::qt::ToQString(FileName), "PNG"))
        throw Exception("Cannot save the picture to " + FileName);
}

TColor TImagePrinter::Pixels(int X, int Y) const {
    const QImage& img = fData->page;
    if (X < 0 || Y < 0 || X >= img.width() || Y >= img.height()) return CLR_INVALID;
    return xo::paint::FromQRgb(img.pixel(X, Y));
}
