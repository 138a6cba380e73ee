#include "font_face.h"

#include "common/errors.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb.h>

#include <map>
#include <string_view>
#include <tuple>

namespace {

// Big-endian fields of a table, read with bounds checks: a truncated table reads as zeros.
class TableReader {
public:
    TableReader(hb_face_t* face, hb_tag_t tag) : blob_(hb_face_reference_table(face, tag))
    {
        data_ = hb_blob_get_data(blob_, &length_);
    }
    ~TableReader() { hb_blob_destroy(blob_); }
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    bool Present() const { return length_ > 0; }
    std::uint16_t U16(unsigned offset) const
    {
        if (offset + 2 > length_)
            return 0;
        return static_cast<std::uint16_t>((static_cast<std::uint8_t>(data_[offset]) << 8)
                                          | static_cast<std::uint8_t>(data_[offset + 1]));
    }
    std::int16_t S16(unsigned offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(unsigned offset) const { return (std::uint32_t{U16(offset)} << 16) | U16(offset + 2); }

private:
    hb_blob_t* blob_;
    const char* data_ = nullptr;
    unsigned length_ = 0;
};

FcConfig* Config()
{
    static FcConfig* config = [] {
        if (!FcInit())
            throw OrvalinError("The font configuration cannot be loaded.");
        return FcConfigGetCurrent();
    }();
    return config;
}

FcPattern* StylePattern(const std::string& family, bool bold, bool italic)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(Config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// TrueType and OpenType files (glyf or CFF outlines) are what HarfBuzz reads and a PDF embeds;
// PostScript Type 1 and bitmap fonts are passed over.
bool OpenTypeFormat(FcPattern* font)
{
    FcChar8* format = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch)
        return true;
    const std::string_view name(reinterpret_cast<const char*>(format));
    return name == "TrueType" || name == "CFF";
}

using FaceKey = std::tuple<std::string, unsigned>;

std::map<FaceKey, std::shared_ptr<const FontFace>>& Loaded()
{
    static std::map<FaceKey, std::shared_ptr<const FontFace>> faces;
    return faces;
}

} // namespace

struct FontFaceLoader {
    static std::shared_ptr<const FontFace> Load(const std::string& file, unsigned index);
};

FontFace::FontFace(const std::string& file, unsigned index) : file_(file)
{
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(file.c_str());
    if (blob == nullptr)
        throw OrvalinError("The font file " + file + " cannot be read.");
    face_ = hb_face_create(blob, index);
    hb_blob_destroy(blob);
    if (hb_face_get_glyph_count(face_) == 0) {
        hb_face_destroy(face_);
        throw OrvalinError("The font file " + file + " holds no glyphs.");
    }
    font_ = hb_font_create(face_);
    unitsPerEm_ = static_cast<int>(hb_face_get_upem(face_));
    hb_font_set_scale(font_, unitsPerEm_, unitsPerEm_);

    char name[128];
    unsigned size = sizeof name;
    if (hb_ot_name_get_utf8(face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name) > 0)
        postScriptName_.assign(name, size);
    if (postScriptName_.empty())
        postScriptName_ = "Font";
    for (char& c : postScriptName_) {
        // Names in a PDF name object: no blanks, delimiters or non-ASCII.
        if (c <= ' ' || c >= 127 || std::string_view("()<>[]{}/%#").find(c) != std::string_view::npos)
            c = '-';
    }

    TableReader cff(face_, HB_TAG('C', 'F', 'F', ' '));
    cff_ = cff.Present();
    const TableReader head(face_, HB_TAG('h', 'e', 'a', 'd'));
    for (int i = 0; i < 4; ++i)
        boundingBox_[i] = head.S16(36 + 2 * i);
    const TableReader hhea(face_, HB_TAG('h', 'h', 'e', 'a'));
    const TableReader os2(face_, HB_TAG('O', 'S', '/', '2'));
    // Fonts that ask for their typographic metrics get them, as in other layout engines; the
    // others use the horizontal header's.
    const bool useTypo = os2.Present() && (os2.U16(62) & (1u << 7)) != 0;
    ascender_ = useTypo ? os2.S16(68) : hhea.S16(4);
    descender_ = useTypo ? os2.S16(70) : hhea.S16(6);
    lineGap_ = useTypo ? os2.S16(72) : hhea.S16(8);
    if (ascender_ == 0 && descender_ == 0 && os2.Present()) {
        ascender_ = os2.U16(74);
        descender_ = -os2.U16(76);
    }
    averageCharWidth_ = os2.S16(2);
    capHeight_ = os2.U16(0) >= 2 ? os2.S16(88) : ascender_;
    if (capHeight_ <= 0)
        capHeight_ = ascender_;
    const TableReader post(face_, HB_TAG('p', 'o', 's', 't'));
    italicAngle_ = static_cast<std::int32_t>(post.U32(4)) / 65536.0;
    underlinePosition_ = post.S16(8);
    underlineThickness_ = post.S16(10);
    if (underlineThickness_ <= 0)
        underlineThickness_ = unitsPerEm_ / 20;
    if (underlinePosition_ == 0)
        underlinePosition_ = -unitsPerEm_ / 10;
    fixedPitch_ = post.U32(12) != 0;
}

FontFace::~FontFace()
{
    hb_font_destroy(font_);
    hb_face_destroy(face_);
}

bool FontFace::Glyph(char32_t character, std::uint32_t& glyph) const
{
    hb_codepoint_t found = 0;
    if (!hb_font_get_nominal_glyph(font_, character, &found) || found == 0)
        return false;
    glyph = found;
    return true;
}

int FontFace::Advance(std::uint32_t glyph) const { return hb_font_get_glyph_h_advance(font_, glyph); }

std::shared_ptr<const FontFace> FontFaceLoader::Load(const std::string& file, unsigned index)
{
    auto& faces = Loaded();
    const FaceKey key{file, index};
    auto found = faces.find(key);
    if (found == faces.end())
        found = faces.emplace(key, std::shared_ptr<const FontFace>(new FontFace(file, index))).first;
    return found->second;
}

namespace {

// The file and face index of a matched pattern.
std::shared_ptr<const FontFace> FaceOf(FcPattern* match)
{
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || file == nullptr)
        return nullptr;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    return FontFaceLoader::Load(reinterpret_cast<const char*>(file), static_cast<unsigned>(index & 0xffff));
}

} // namespace

std::shared_ptr<const FontFace> FontFace::Resolve(const std::string& family, bool bold, bool italic)
{
    static std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<const FontFace>> resolved;
    const auto key = std::make_tuple(family, bold, italic);
    if (auto found = resolved.find(key); found != resolved.end())
        return found->second;
    // The best match that HarfBuzz can read.
    FcPattern* pattern = StylePattern(family, bold, italic);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(Config(), pattern, FcFalse, nullptr, &result);
    std::shared_ptr<const FontFace> face;
    for (int i = 0; sorted != nullptr && i < sorted->nfont && !face; ++i) {
        if (!OpenTypeFormat(sorted->fonts[i]))
            continue;
        if (FcPattern* rendered = FcFontRenderPrepare(Config(), pattern, sorted->fonts[i])) {
            try {
                face = FaceOf(rendered);
            } catch (const OrvalinError&) {
                // an unreadable file: the next best
            }
            FcPatternDestroy(rendered);
        }
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    if (!face)
        throw OrvalinError("No font is installed for the family " + family + ".");
    resolved.emplace(key, face);
    return face;
}

std::shared_ptr<const FontFace> FontFace::ForCharacter(const std::string& family, bool bold, bool italic,
                                                       char32_t character)
{
    FcPattern* pattern = StylePattern(family, bold, italic);
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, character);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcCharSetDestroy(wanted);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(Config(), pattern, FcFalse, nullptr, &result);
    std::shared_ptr<const FontFace> face;
    for (int i = 0; sorted != nullptr && i < sorted->nfont && !face; ++i) {
        FcCharSet* has = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch
            || !FcCharSetHasChar(has, character))
            continue;
        if (!OpenTypeFormat(sorted->fonts[i]))
            continue;
        FcPattern* rendered = FcFontRenderPrepare(Config(), pattern, sorted->fonts[i]);
        std::uint32_t glyph = 0;
        if (rendered) {
            try {
                std::shared_ptr<const FontFace> candidate = FaceOf(rendered);
                if (candidate && candidate->Glyph(character, glyph))
                    face = candidate;
            } catch (const OrvalinError&) {}
            FcPatternDestroy(rendered);
        }
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return face;
}
