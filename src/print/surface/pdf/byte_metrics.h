// How each byte value of a single-byte code page looks in one font style and size: the face and
// glyph that show it and its advance, looked up once, so that measuring and writing a run of text
// is a table walk. Sizes are in twips at the given point size. No Qt here.
#pragma once

#include "font_face.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CodePage;

// A glyph of one of the style's faces and how far it moves the pen.
struct FaceGlyph {
    std::uint8_t face = 0;   // index into Faces(): 0 the style's own face, others fallbacks
    std::uint32_t glyph = 0; // 0: nothing to draw (a control character, or no font has it)
    double advance = 0;      // twips (for a shaped glyph, kerning included)
};

// How one byte value looks on its own.
struct ByteGlyph : FaceGlyph {
    char32_t character = 0; // what the byte stands for
};

// One glyph of a shaped run of a proportional font.
struct ShapedGlyph : FaceGlyph {
    std::uint32_t first = 0; // the bytes it shows: [first, last)
    std::uint32_t last = 0;
};

struct hb_buffer_t;

class ByteMetrics {
public:
    ByteMetrics(const std::string& family, bool bold, bool italic, double points, const CodePage& codePage);
    ~ByteMetrics();
    ByteMetrics(const ByteMetrics&) = delete;
    ByteMetrics& operator=(const ByteMetrics&) = delete;

    // A proportional font is shaped run by run (kerning, ligatures), as desktop text layout does;
    // a fixed-pitch font's runs are the sum of their bytes.
    bool Shaped() const { return shaped_; }
    // The run's glyphs; only for a shaped font.
    const std::vector<ShapedGlyph>& Shape(std::string_view bytes) const;

    const ByteGlyph& Glyph(unsigned char byte) const { return glyphs_[byte]; }
    const std::vector<std::shared_ptr<const FontFace>>& Faces() const { return faces_; }
    double Points() const { return points_; }

    double Width(std::string_view bytes) const;
    // In twips, rounded to the 1/64 twip that layout engines keep fixed-point metrics in.
    double Ascent() const { return ascent_; }
    double Descent() const { return descent_; }
    double LineSpacing() const { return lineSpacing_; }
    double AverageCharWidth() const { return averageCharWidth_; }
    // From the baseline, positive downwards; and the rule's thickness.
    double UnderlineOffset() const { return underlineOffset_; }
    double UnderlineThickness() const { return underlineThickness_; }

private:
    std::array<ByteGlyph, 256> glyphs_{};
    bool shaped_ = false;
    hb_font_t* font_ = nullptr; // scaled to 26.6 pixels, for shaping
    hb_buffer_t* buffer_ = nullptr;
    double pixels_ = 0;
    mutable std::vector<ShapedGlyph> run_;
    std::vector<std::shared_ptr<const FontFace>> faces_;
    double points_;
    double ascent_ = 0;
    double descent_ = 0;
    double lineSpacing_ = 0;
    double averageCharWidth_ = 0;
    double underlineOffset_ = 0;
    double underlineThickness_ = 0;
};

// The metrics of a style, kept for every style and size met so far (few in any document).
const ByteMetrics& MetricsFor(const std::string& family, bool bold, bool italic, double points,
                              const CodePage& codePage);
