// The text runs of a page as content-stream operators: one text object a run, glyph ids as the
// pages' fonts number them, the faces entering the document at their first glyph.
#include "pdf_document.h"

#include "common/errors.h"

#include <cmath>

namespace {

void AppendGlyph(std::string& out, std::uint32_t glyph)
{
    static const char hex[] = "0123456789ABCDEF";
    out += hex[(glyph >> 12) & 0xf];
    out += hex[(glyph >> 8) & 0xf];
    out += hex[(glyph >> 4) & 0xf];
    out += hex[glyph & 0xf];
}

} // namespace

PdfDocument::StyleUse& PdfDocument::Use(const ByteMetrics& metrics)
{
    if (lastMetrics_ == &metrics)
        return *lastStyle_;
    StyleUse& style = styles_[&metrics];
    // Faces enter the document at their first glyph: a fallback that is never needed is not
    // embedded.
    style.faces.resize(metrics.Faces().size(), nullptr);
    lastMetrics_ = &metrics;
    lastStyle_ = &style;
    return style;
}

void PdfDocument::Text(double x, double top, const ByteMetrics& metrics, std::string_view bytes, bool underline,
                       bool opaque)
{
    if (!pageOpen_)
        throw OrvalinError("Text drawn outside a page.");
    const double width = metrics.Width(bytes);
    if (opaque) {
        content_ += "1 g ";
        Point(x, top + metrics.LineSpacing());
        content_ += ' ';
        AppendNumber(content_, width / 20);
        content_ += ' ';
        AppendNumber(content_, metrics.LineSpacing() / 20);
        content_ += " re f 0 g\n";
    }
    StyleUse& style = Use(metrics);
    const double baseline = top + metrics.Ascent();
    if (metrics.Shaped()) {
        ShapedText(x, baseline, metrics, bytes, style);
    } else {
        // One text object for the run; a font switch and a fresh position only where a character
        // comes from another face.
        content_ += "BT\n";
        int face = -1;
        double penX = x;
        bool inString = false;
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            const ByteGlyph& glyph = metrics.Glyph(byte);
            if (glyph.glyph != 0) {
                PdfFonts::Used*& used = style.faces[glyph.face];
                if (used == nullptr)
                    used = &fonts_.Use(metrics.Faces()[glyph.face], out_);
                if (glyph.face != face) {
                    if (inString)
                        content_ += ">Tj\n";
                    face = glyph.face;
                    content_ += '/';
                    content_ += used->resource;
                    content_ += ' ';
                    AppendNumber(content_, metrics.Points());
                    content_ += " Tf 1 0 0 1 ";
                    Point(penX, baseline);
                    content_ += " Tm<";
                    inString = true;
                }
                if (!style.marked[byte]) {
                    style.marked[byte] = true;
                    PdfFonts::Mark(*used, glyph.glyph, glyph.character);
                }
                AppendGlyph(content_, glyph.glyph);
            } else if (inString) {
                // Nothing drawn here (a control character): the next glyph starts afresh.
                content_ += ">Tj\n";
                inString = false;
                face = -1;
            }
            penX += glyph.advance;
            // A face that differs from the style's own is placed at its own cell.
            if (glyph.face != 0 && inString) {
                content_ += ">Tj\n";
                inString = false;
                face = -1;
            }
        }
        if (inString)
            content_ += ">Tj\n";
        content_ += "ET\n";
    }
    if (underline) {
        Point(x, baseline + metrics.UnderlineOffset() + metrics.UnderlineThickness() / 2);
        content_ += ' ';
        AppendNumber(content_, width / 20);
        content_ += ' ';
        AppendNumber(content_, metrics.UnderlineThickness() / 20);
        content_ += " re f\n";
    }
}

void PdfDocument::ShapedText(double x, double baseline, const ByteMetrics& metrics, std::string_view bytes,
                             StyleUse& style)
{
    // Each glyph where layout put it: the font's own width, corrected in the text array wherever
    // shaping (kerning) moved the next glyph.
    content_ += "BT\n";
    int face = -1;
    double penX = x;
    double pdfX = x; // where the viewer's pen is after the glyphs written so far
    bool inArray = false;
    const double perTwip = 1000.0 / (metrics.Points() * 20);
    for (const ShapedGlyph& glyph : metrics.Shape(bytes)) {
        if (glyph.glyph == 0) {
            penX += glyph.advance;
            continue;
        }
        PdfFonts::Used*& used = style.faces[glyph.face];
        if (used == nullptr)
            used = &fonts_.Use(metrics.Faces()[glyph.face], out_);
        const FontFace& font = *metrics.Faces()[glyph.face];
        if (glyph.face != face) {
            if (inArray)
                content_ += "]TJ\n";
            face = glyph.face;
            content_ += '/' + used->resource + ' ';
            AppendNumber(content_, metrics.Points());
            content_ += " Tf 1 0 0 1 ";
            Point(penX, baseline);
            content_ += " Tm[";
            inArray = true;
            pdfX = penX;
        } else if (const double shift = (pdfX - penX) * perTwip; std::fabs(shift) >= 0.5) {
            AppendNumber(content_, shift);
            pdfX = penX;
        }
        content_ += '<';
        AppendGlyph(content_, glyph.glyph);
        content_ += '>';
        std::u32string characters;
        for (std::uint32_t i = glyph.first; i < glyph.last && i < bytes.size(); ++i)
            characters += metrics.Glyph(static_cast<unsigned char>(bytes[i])).character;
        PdfFonts::MarkSequence(*used, glyph.glyph, std::move(characters));
        pdfX += font.Advance(glyph.glyph) * metrics.Points() * 20 / font.UnitsPerEm();
        penX += glyph.advance;
    }
    if (inArray)
        content_ += "]TJ\n";
    content_ += "ET\n";
}
