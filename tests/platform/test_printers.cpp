// Printer device contexts: PDF documents page by page, and page images at printer resolution.
#include "platform/plPrinters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& aName) {
    std::ifstream in(aName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Page objects of a PDF file ("/Type /Page", not "/Type /Pages").
int CountPages(const std::string& pdf) {
    int n = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        if (at + 11 >= pdf.size() || pdf[at + 11] != 's') ++n;
    return n;
}

TEST(PrinterTest, PdfPrinterWritesOnePageAfterAnother) {
    std::string name = (std::filesystem::temp_directory_path() / "xo_paint_test.pdf").string();
    {
        TPdfPrinter printer(name, 150);
        EXPECT_EQ(GetDeviceCaps(printer.Handle(), LOGPIXELSY), 150);
        EXPECT_NEAR(printer.PageWidth(), 150 * 210 / 25.4, 2);
        TCanvas canvas;
        canvas.SetHandle(printer.Handle());
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) printer.NewPage();
            EXPECT_EQ(printer.PageNumber(), page);
            canvas.Brush()->SetColor(clSilver);
            canvas.Rectangle(100, 100, 600, 300);
            canvas.Brush()->SetStyle(bsClear);
            canvas.TextOut(120, 120, "Page " + std::to_string(page));
        }
        printer.EndDoc();
        EXPECT_FALSE(printer.Printing());
        canvas.TextOut(0, 0, "after the end: ignored");
    }
    std::string pdf = ReadFile(name);
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_EQ(CountPages(pdf), 3);
    std::remove(name.c_str());

    EXPECT_THROW(TPdfPrinter("/no/such/folder/x.pdf"), Exception);
    EXPECT_THROW(TPdfPrinter(name, 0), Exception);
}

TEST(PrinterTest, FontsScaleWithThePrinterResolution) {
    TImagePrinter printer(1000, 600, 300);
    TCanvas canvas;
    canvas.SetHandle(printer.Handle());
    canvas.Font()->SetSize(10);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsClear);

    TBitmap screen(10, 10);
    screen.Canvas()->Font()->SetSize(10);
    const double ratio = double(canvas.TextHeight("X")) / screen.Canvas()->TextHeight("X");
    EXPECT_NEAR(ratio, 300.0 / 96.0, 0.15);

    // The printed glyphs are as tall as the measure says.
    canvas.TextOut(100, 100, "H");
    int top = -1, bottom = -1;
    for (int y = 90; y < 200; ++y)
        for (int x = 100; x < 200; ++x)
            if (printer.Pixels(x, y) != clWhite) {
                if (top < 0) top = y;
                bottom = y;
            }
    ASSERT_GE(top, 100);
    int screenCap = 0; // height of a capital H on the screen
    screen.SetSize(40, 30);
    screen.Canvas()->Font()->SetColor(clBlack);
    screen.Canvas()->Brush()->SetStyle(bsClear);
    screen.Canvas()->TextOut(5, 5, "H");
    int st = -1, sb = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (screen.Canvas()->Pixels(x, y) != clWhite) {
                if (st < 0) st = y;
                sb = y;
            }
    screenCap = sb - st + 1;
    EXPECT_NEAR(double(bottom - top + 1) / screenCap, 300.0 / 96.0, 0.4);

    int pages = 0;
    printer.SetOnPageDone([&](TImagePrinter*, int) { ++pages; });
    printer.NewPage();
    EXPECT_EQ(printer.Pixels(150, 130), clWhite); // a new page is empty
    printer.EndDoc();
    EXPECT_EQ(pages, 2);
    EXPECT_THROW(TImagePrinter(0, 10, 300), Exception);
}

} // namespace
