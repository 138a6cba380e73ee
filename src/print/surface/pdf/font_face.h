// One font file as fontconfig resolves it for a family and style, read with HarfBuzz: its glyphs,
// advances and the metrics that text layout and a PDF font need. No Qt here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct hb_face_t;
struct hb_font_t;

class FontFace {
public:
    // The face fontconfig chooses for the family (UTF-8) and style; a family that is not installed
    // gets fontconfig's substitute. Faces are kept for the life of the process. Throws OrvalinError
    // when there is no font at all.
    static std::shared_ptr<const FontFace> Resolve(const std::string& family, bool bold, bool italic);
    // The face fontconfig offers for a character that the family's own face lacks; null when no
    // installed font has it.
    static std::shared_ptr<const FontFace> ForCharacter(const std::string& family, bool bold, bool italic,
                                                        char32_t character);

    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace();

    // The glyph for a character; false when the face has none.
    bool Glyph(char32_t character, std::uint32_t& glyph) const;
    // A glyph's advance in font units.
    int Advance(std::uint32_t glyph) const;

    hb_face_t* Face() const { return face_; }
    const std::string& File() const { return file_; }
    const std::string& PostScriptName() const { return postScriptName_; }
    // Outlines in a CFF table (an OpenType font) rather than TrueType glyphs.
    bool Cff() const { return cff_; }
    bool FixedPitch() const { return fixedPitch_; }
    bool Italic() const { return italicAngle_ != 0; }

    // Metrics in font units; descender is negative below the baseline.
    int UnitsPerEm() const { return unitsPerEm_; }
    int Ascender() const { return ascender_; }
    int Descender() const { return descender_; }
    int LineGap() const { return lineGap_; }
    int AverageCharWidth() const { return averageCharWidth_; }
    int UnderlinePosition() const { return underlinePosition_; }
    int UnderlineThickness() const { return underlineThickness_; }
    int CapHeight() const { return capHeight_; }
    double ItalicAngle() const { return italicAngle_; }
    // The font's bounding box: xMin, yMin, xMax, yMax.
    const int* BoundingBox() const { return boundingBox_; }

private:
    friend struct FontFaceLoader;
    FontFace(const std::string& file, unsigned index);

    std::string file_;
    hb_face_t* face_ = nullptr;
    hb_font_t* font_ = nullptr;
    std::string postScriptName_;
    bool cff_ = false;
    bool fixedPitch_ = false;
    int unitsPerEm_ = 1000;
    int ascender_ = 0;
    int descender_ = 0;
    int lineGap_ = 0;
    int averageCharWidth_ = 0;
    int underlinePosition_ = 0;
    int underlineThickness_ = 0;
    int capHeight_ = 0;
    double italicAngle_ = 0;
    int boundingBox_[4] = {0, 0, 0, 0};
};
