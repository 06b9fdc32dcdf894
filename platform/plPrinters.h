// Printer device contexts made by the application: a PDF file, page after page, or a page
// image. The library's printing classes only draw on their Handle.
#pragma once

#include "platform/plGraphics.h"

#include <functional>
#include <memory>

namespace xo {
struct TPrinterData;
}

// A printing surface of a fixed resolution. Drawing goes through Handle (attach a canvas with
// TCanvas::SetHandle). Fonts drawn on it scale with its resolution.
class TPrinterDevice : public TObject {
public:
    ~TPrinterDevice() override;

    // The device context; stays valid until the device is destroyed (after EndDoc, drawing on
    // it does nothing).
    HDC Handle() const;
    int DotsPerInch() const;
    // Size of a page in device pixels.
    int PageWidth() const;
    int PageHeight() const;
    // 1-based number of the page being drawn.
    int PageNumber() const { return fPageNumber; }
    // True until EndDoc.
    bool Printing() const { return fPrinting; }

    // Finishes the current page and starts an empty one.
    virtual void NewPage() = 0;
    // Finishes the document. Called by the destructor when the application did not.
    virtual void EndDoc() = 0;

protected:
    TPrinterDevice();
    std::unique_ptr<xo::TPrinterData> fData;
    int fPageNumber = 1;
    bool fPrinting = true;
};

// A PDF document written to FileName, one page after another.
class TPdfPrinter : public TPrinterDevice {
public:
    // The page size is in millimetres (A4 portrait by default). Raises Exception when the file
    // cannot be created or the arguments make no page.
    explicit TPdfPrinter(const String& FileName, int DotsPerInch = 300, double PageWidthMM = 210.0,
                         double PageHeightMM = 297.0);
    ~TPdfPrinter() override;

    const String& FileName() const { return fFileName; }
    void NewPage() override;
    void EndDoc() override;

private:
    String fFileName;
};

// A page image (white at the start of every page).
class TImagePrinter : public TPrinterDevice {
public:
    using TPageDoneEvent = std::function<void(TImagePrinter* Sender, int PageNumber)>;

    // Raises Exception for a size that makes no page.
    TImagePrinter(int PageWidth, int PageHeight, int DotsPerInch);
    ~TImagePrinter() override;

    // Called with each finished page (NewPage, EndDoc) before it is cleared, to keep it.
    TPageDoneEvent OnPageDone() const { return fOnPageDone; }
    void SetOnPageDone(TPageDoneEvent Value) { fOnPageDone = std::move(Value); }

    void NewPage() override;
    void EndDoc() override;
    // The current page as a PNG file; raises Exception when it cannot write.
    void SaveToFile(const String& FileName) const;
    // A pixel of the current page (CLR_INVALID outside).
    TColor Pixels(int X, int Y) const;

private:
    TPageDoneEvent fOnPageDone;
};
