#include "byte_metrics.h"

#include "common/codepage.h"

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

namespace {

// Font units scaled to 26.6 fixed-point pixels the way FreeType does (16.16 scale, rounded
// products), so that widths and line spacing come out as the desktop's own text layout has
// always measured them: a layout measured before keeps every position.
class Scale {
public:
    Scale(double pixels, int unitsPerEm)
    {
        const std::int64_t pixels26 = std::llround(pixels * 64);
        scale_ = ((pixels26 << 16) + unitsPerEm / 2) / unitsPerEm;
    }
    // FT_MulFix: the product rounded half away from zero, in 26.6.
    std::int64_t Multiply(std::int64_t units) const
    {
        const std::int64_t magnitude = (std::llabs(units) * scale_ + 0x8000) >> 16;
        return units < 0 ? -magnitude : magnitude;
    }
    // A linear advance (16.16 pixels) cut to 26.6.
    std::int64_t Advance(std::int64_t units) const
    {
        const std::int64_t linear = (units * scale_ + 32) / 64;
        return linear >> 10;
    }

private:
    std::int64_t scale_;
};

double Twips(std::int64_t fixed26) { return static_cast<double>(fixed26) / 64.0; }

} // namespace

ByteMetrics::ByteMetrics(const std::string& family, bool bold, bool italic, double points, const CodePage& codePage)
    : points_(points)
{
    pixels_ = points * 20;
    const std::shared_ptr<const FontFace> primary = FontFace::Resolve(family, bold, italic);
    faces_.push_back(primary);
    const double pixels = points * 20; // 1440 dots per inch: a pixel is a twip
    const Scale scale(pixels, primary->UnitsPerEm());
    std::int64_t ascent = scale.Multiply(primary->Ascender());
    std::int64_t descent = scale.Multiply(-primary->Descender());
    std::int64_t lineSpacing = ascent + descent + scale.Multiply(primary->LineGap());
    if (primary->Cff()) {
        // PostScript outlines have always been measured by their bounding box, on whole pixels.
        const int* box = primary->BoundingBox();
        const int height = std::max(primary->UnitsPerEm() * 12 / 10, box[3] - box[1]);
        ascent = (scale.Multiply(box[3]) + 63) & ~std::int64_t{63};
        descent = (scale.Multiply(-box[1]) + 63) & ~std::int64_t{63};
        lineSpacing = (scale.Multiply(height) + 32) & ~std::int64_t{63};
    }
    std::int64_t averageCharWidth = scale.Multiply(primary->AverageCharWidth());
    if (primary->Cff())
        averageCharWidth = (averageCharWidth + 32) & ~std::int64_t{63};
    ascent_ = Twips(ascent);
    descent_ = Twips(descent);
    lineSpacing_ = Twips(lineSpacing);
    averageCharWidth_ = Twips(averageCharWidth);
    underlineOffset_ = -pixels * primary->UnderlinePosition() / primary->UnitsPerEm();
    underlineThickness_ = pixels * primary->UnderlineThickness() / primary->UnitsPerEm();

    for (int byte = 0; byte < 256; ++byte) {
        ByteGlyph& slot = glyphs_[static_cast<std::size_t>(byte)];
        slot.character = codePage.At(static_cast<unsigned char>(byte));
        if (slot.character < 0x20 || (slot.character >= 0x7f && slot.character < 0xa0))
            continue; // control characters take no room and show nothing
        if (primary->Glyph(slot.character, slot.glyph)) {
            slot.advance = Twips(scale.Advance(primary->Advance(slot.glyph)));
            continue;
        }
        // Another installed font shows it, in the cell the style's own font would give it.
        const std::shared_ptr<const FontFace> fallback = FontFace::ForCharacter(family, bold, italic, slot.character);
        if (!fallback || !fallback->Glyph(slot.character, slot.glyph))
            continue;
        std::size_t index = 0;
        while (index < faces_.size() && faces_[index] != fallback)
            ++index;
        if (index == faces_.size())
            faces_.push_back(fallback);
        slot.face = static_cast<std::uint8_t>(index);
        const Scale fallbackScale(pixels, fallback->UnitsPerEm());
        slot.advance = Twips(fallbackScale.Advance(fallback->Advance(slot.glyph)));
    }
    shaped_ = !primary->FixedPitch();
    if (shaped_) {
        font_ = hb_font_create(primary->Face());
        const int scale26 = static_cast<int>(std::llround(pixels * 64));
        hb_font_set_scale(font_, scale26, scale26);
        buffer_ = hb_buffer_create();
    }
    // A fixed-pitch font keeps its columns: whatever another font draws takes the common cell.
    if (primary->FixedPitch()) {
        std::uint32_t space = 0;
        if (primary->Glyph(U' ', space)) {
            const double cell = Twips(scale.Advance(primary->Advance(space)));
            for (ByteGlyph& slot : glyphs_) {
                if (slot.face != 0)
                    slot.advance = cell;
            }
        }
    }
}

ByteMetrics::~ByteMetrics()
{
    hb_buffer_destroy(buffer_);
    hb_font_destroy(font_);
}

const std::vector<ShapedGlyph>& ByteMetrics::Shape(std::string_view bytes) const
{
    run_.clear();
    hb_buffer_clear_contents(buffer_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const ByteGlyph& slot = glyphs_[static_cast<unsigned char>(bytes[i])];
        hb_buffer_add(buffer_, slot.character, static_cast<unsigned>(i));
    }
    hb_buffer_set_content_type(buffer_, HB_BUFFER_CONTENT_TYPE_UNICODE);
    hb_buffer_guess_segment_properties(buffer_);
    hb_shape(font_, buffer_, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer_, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer_, &count);
    const FontFace& primary = *faces_[0];
    const Scale scale(pixels_, primary.UnitsPerEm());
    for (unsigned i = 0; i < count; ++i) {
        ShapedGlyph glyph;
        glyph.first = infos[i].cluster;
        glyph.last = i + 1 < count ? infos[i + 1].cluster : static_cast<std::uint32_t>(bytes.size());
        if (glyph.last <= glyph.first)
            glyph.last = glyph.first + 1;
        const ByteGlyph& slot = glyphs_[static_cast<unsigned char>(bytes[glyph.first])];
        if (infos[i].codepoint == 0 || slot.face != 0) {
            // What the font lacks comes from the byte's own fallback (or shows nothing).
            static_cast<FaceGlyph&>(glyph) = slot;
        } else {
            glyph.glyph = infos[i].codepoint;
            // The font's own advance, rounded as everywhere else, plus what shaping added.
            const std::int64_t nominal = hb_font_get_glyph_h_advance(font_, glyph.glyph);
            const std::int64_t advance = scale.Advance(primary.Advance(glyph.glyph)) + positions[i].x_advance - nominal;
            glyph.advance = Twips(advance);
        }
        run_.push_back(glyph);
    }
    return run_;
}

double ByteMetrics::Width(std::string_view bytes) const
{
    if (shaped_) {
        std::int64_t total = 0;
        for (const ShapedGlyph& glyph : Shape(bytes))
            total += std::llround(glyph.advance * 64);
        return Twips(total);
    }
    // Summed in the fixed-point units the advances are kept in, so that no rounding creeps in.
    std::int64_t total = 0;
    for (char byte : bytes)
        total += std::llround(glyphs_[static_cast<unsigned char>(byte)].advance * 64);
    return Twips(total);
}

const ByteMetrics& MetricsFor(const std::string& family, bool bold, bool italic, double points,
                              const CodePage& codePage)
{
    using Key = std::tuple<std::string, bool, bool, double, const CodePage*>;
    static std::map<Key, std::unique_ptr<ByteMetrics>> kept;
    static const ByteMetrics* last = nullptr;
    static Key lastKey;
    Key key{family, bold, italic, points, &codePage};
    if (last != nullptr && key == lastKey)
        return *last;
    auto found = kept.find(key);
    if (found == kept.end())
        found = kept.emplace(key, std::make_unique<ByteMetrics>(family, bold, italic, points, codePage)).first;
    last = found->second.get();
    lastKey = std::move(key);
    return *last;
}
