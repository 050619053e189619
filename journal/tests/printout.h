// Reading back what the console printed on real paper: the tests print on
// the PDF print queue of the machine's CUPS ("PDF", made by the test
// command), whose cups-pdf printer writes each document into ~/PDF of the
// user who printed. Poppler's tools read the document back: pdftotext gives
// its words and their places, pdftoppm a page's pixels. Runs only under
// Wine, which starts those Unix programs itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The queue the tests print on.
constexpr char kPdfPrinter[] = "PDF";

struct PrintedWord {
    double left = 0, top = 0, right = 0, bottom = 0;  // points from the page's top left corner
    std::string text;                                  // UTF-8
};

struct PrintedPage {
    double width = 0, height = 0;  // points
    std::vector<PrintedWord> words;
};

struct Printout {
    std::string error;    // what went wrong; empty when the document was read
    std::string pdfPath;  // Unix path of the document
    std::string title;    // the document's name
    std::vector<PrintedPage> pages;
};

// A page rendered in shades of grey, one byte a pixel, 255 being white.
struct PagePixels {
    int width = 0, height = 0;
    std::vector<uint8_t> grey;
    uint8_t At(int x, int y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

// Notes the documents already printed when made; Wait() reads the one
// printed since.
class PrintoutWatch {
public:
    PrintoutWatch();
    // Waits for one new document, complete, and reads its words. An error
    // when none came in time or more than one came.
    Printout Wait(int seconds = 90);
    // True when no document came within `seconds`.
    bool NothingPrinted(int seconds);

private:
    std::vector<std::string> NewDocuments() const;
    std::string folder_;
    std::vector<std::string> before_;
};

// The page (from 1) rendered at `dpi` dots per inch; empty when it cannot be.
PagePixels RenderPage(const Printout& printout, int page, int dpi);

// A text of the console's code page as UTF-8, as the document holds it.
std::string Utf8(const std::string& ansi);
