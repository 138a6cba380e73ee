// A PDF document of text pages written as it is drawn: each page goes to the file when the next
// begins, so that memory stays the same however long the document; fonts follow at the end,
// subset to the glyphs the pages used. Positions are twips from the sheet's top-left corner, y
// downwards. No Qt here.
#pragma once

#include "byte_metrics.h"
#include "pdf_fonts.h"
#include "pdf_output.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Pixels, 8 bits a sample, rows packed without padding.
struct PdfImage {
    int width = 0;
    int height = 0;
    std::string rgb;   // three bytes a pixel
    std::string alpha; // one byte a pixel; empty when the picture is opaque
};

class PdfDocument {
public:
    // Writes to descriptor, which stays the caller's; what names the document in errors.
    PdfDocument(int descriptor, std::string what, const std::string& title);

    // Ends the page in progress, if any, and begins one of the sheet's size.
    void BeginPage(double width, double height);
    // One run of text (bytes, no tabs) with the top of its line at (x, top).
    void Text(double x, double top, const ByteMetrics& metrics, std::string_view bytes, bool underline, bool opaque);
    // The image scaled into the rectangle.
    void Image(const PdfImage& image, double x, double y, double width, double height);
    // Ends the last page, writes the fonts and the document's structure, and hands everything to
    // the kernel. Throws OrvalinError when anything could not be written.
    void Close();
    int PageCount() const { return static_cast<int>(pages_.size()); }

private:
    struct StyleUse {
        std::array<bool, 256> marked{};
        std::vector<PdfFonts::Used*> faces;
    };
    void EndPage();
    void ShapedText(double x, double baseline, const ByteMetrics& metrics, std::string_view bytes, StyleUse& style);
    StyleUse& Use(const ByteMetrics& metrics);
    void Point(double x, double y); // appends "x y" in points

    PdfOutput out_;
    PdfFonts fonts_;
    int catalog_;
    int pagesObject_;
    int resources_;
    int info_;
    std::vector<int> pages_;
    std::string images_; // the resource dictionary's /XObject entries
    int imageCount_ = 0;
    bool pageOpen_ = false;
    double sheetWidth_ = 0;
    double sheetHeight_ = 0;
    std::string content_;
    std::map<const ByteMetrics*, StyleUse> styles_;
    const ByteMetrics* lastMetrics_ = nullptr;
    StyleUse* lastStyle_ = nullptr;
};
