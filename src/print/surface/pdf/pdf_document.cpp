#include "pdf_document.h"

#include "common/errors.h"

#include <cmath>
#include <cstdio>

namespace {

// A text string for the document information: printable ASCII as is, everything else escaped.
std::string PdfString(const std::string& text)
{
    std::string out = "(";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 32 || byte > 126) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + ')';
}

std::string Ref(int object) { return std::to_string(object) + " 0 R"; }

} // namespace

PdfDocument::PdfDocument(int descriptor, std::string what, const std::string& title) : out_(descriptor, std::move(what))
{
    catalog_ = out_.Reserve();
    pagesObject_ = out_.Reserve();
    resources_ = out_.Reserve();
    info_ = out_.Reserve();
    // The binary comment marks the file as binary for programs that guess.
    out_ << "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
    out_.BeginObject(info_);
    out_ << "<</Creator(Orvalin)/Producer(Orvalin)/Title" << PdfString(title) << ">>";
    out_.EndObject();
    content_.reserve(1 << 16);
}

void PdfDocument::BeginPage(double width, double height)
{
    if (pageOpen_)
        EndPage();
    sheetWidth_ = width;
    sheetHeight_ = height;
    content_.clear();
    pageOpen_ = true;
}

void PdfDocument::EndPage()
{
    pageOpen_ = false;
    const int contents = out_.Reserve();
    const int page = out_.Reserve();
    out_.StreamObject(contents, "", content_);
    out_.BeginObject(page);
    out_ << "<</Type/Page/Parent " << Ref(pagesObject_) << "/MediaBox[0 0 " << PdfNumber(sheetWidth_ / 20) << ' '
         << PdfNumber(sheetHeight_ / 20) << "]/Resources " << Ref(resources_) << "/Contents " << Ref(contents) << ">>";
    out_.EndObject();
    pages_.push_back(page);
}

void PdfDocument::Point(double x, double y)
{
    AppendNumber(content_, x / 20);
    content_ += ' ';
    AppendNumber(content_, (sheetHeight_ - y) / 20);
}

void PdfDocument::Image(const PdfImage& image, double x, double y, double width, double height)
{
    if (!pageOpen_)
        throw OrvalinError("A picture drawn outside a page.");
    if (image.width <= 0 || image.height <= 0
        || image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        throw OrvalinError("Invalid picture");
    const std::string size =
        "/Width " + std::to_string(image.width) + "/Height " + std::to_string(image.height) + "/BitsPerComponent 8";
    int mask = 0;
    if (!image.alpha.empty()) {
        mask = out_.Reserve();
        out_.StreamObject(mask, "/Type/XObject/Subtype/Image/ColorSpace/DeviceGray" + size, image.alpha);
    }
    const int object = out_.Reserve();
    out_.StreamObject(object,
                      "/Type/XObject/Subtype/Image/ColorSpace/DeviceRGB" + size
                          + (mask != 0 ? "/SMask " + Ref(mask) : std::string()),
                      image.rgb);
    const std::string name = "Im" + std::to_string(++imageCount_);
    images_ += '/' + name + ' ' + Ref(object);
    content_ += "q ";
    AppendNumber(content_, width / 20);
    content_ += " 0 0 ";
    AppendNumber(content_, height / 20);
    content_ += ' ';
    Point(x, y + height);
    content_ += " cm /" + name + " Do Q\n";
}

void PdfDocument::Close()
{
    if (pageOpen_)
        EndPage();
    fonts_.WriteAll(out_);
    out_.BeginObject(resources_);
    out_ << "<</ProcSet[/PDF/Text/ImageB/ImageC]/Font<<" << fonts_.ResourceEntries() << ">>";
    if (!images_.empty())
        out_ << "/XObject<<" << images_ << ">>";
    out_ << ">>";
    out_.EndObject();
    out_.BeginObject(pagesObject_);
    std::string kids;
    for (int page : pages_)
        kids += Ref(page) + ' ';
    out_ << "<</Type/Pages/Count " << std::to_string(pages_.size()) << "/Kids[" << kids << "]>>";
    out_.EndObject();
    out_.BeginObject(catalog_);
    out_ << "<</Type/Catalog/Pages " << Ref(pagesObject_) << ">>";
    out_.EndObject();
    out_.Finish(catalog_, info_);
}
