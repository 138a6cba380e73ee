#include "pdf_fonts.h"

#include "common/errors.h"
#include "pdf_output.h"

#include <hb-subset.h>
#include <hb.h>

#include <cstdio>

namespace {

// The subset's tag: six capitals that differ with the glyphs kept.
std::string SubsetTag(const std::vector<char32_t>& characters)
{
    std::uint32_t hash = 2166136261u;
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            hash = (hash ^ static_cast<std::uint32_t>(glyph)) * 16777619u;
    }
    std::string tag(6, 'A');
    for (char& letter : tag) {
        letter = static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

std::string SubsetFont(const FontFace& face, const std::vector<char32_t>& characters)
{
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (input == nullptr)
        throw OrvalinError("Out of memory while embedding a font.");
    hb_set_t* glyphs = hb_subset_input_glyph_set(input);
    hb_set_add(glyphs, 0);
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            hb_set_add(glyphs, static_cast<hb_codepoint_t>(glyph));
    }
    // Glyph ids stay as the pages use them; what a printer does not need is left out.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
                         HB_TAG('k', 'e', 'r', 'n'), HB_TAG('n', 'a', 'm', 'e'), HB_TAG('D', 'S', 'I', 'G')})
        hb_set_add(dropped, tag);
    hb_face_t* subset = hb_subset_or_fail(face.Face(), input);
    hb_subset_input_destroy(input);
    if (subset == nullptr)
        throw OrvalinError("The font " + face.File() + " could not be subset for embedding.");
    hb_blob_t* blob = hb_face_reference_blob(subset);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    std::string bytes(data, length);
    hb_blob_destroy(blob);
    hb_face_destroy(subset);
    if (bytes.empty())
        throw OrvalinError("The font " + face.File() + " could not be subset for embedding.");
    return bytes;
}

void AppendHex(std::string& out, std::uint32_t value, int digits)
{
    static const char hex[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hex[(value >> shift) & 0xf];
}

// A character as UTF-16 hex, a surrogate pair beyond the basic plane.
void AppendUtf16(std::string& out, char32_t character)
{
    if (character < 0x10000) {
        AppendHex(out, character, 4);
        return;
    }
    const char32_t offset = character - 0x10000;
    AppendHex(out, 0xd800 + (offset >> 10), 4);
    AppendHex(out, 0xdc00 + (offset & 0x3ff), 4);
}

std::string ToUnicodeMap(const std::vector<char32_t>& characters,
                         const std::map<std::uint32_t, std::u32string>& sequences)
{
    std::string map = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
    std::vector<std::uint32_t> used;
    for (std::size_t glyph = 0; glyph < characters.size(); ++glyph) {
        if (characters[glyph] != 0)
            used.push_back(static_cast<std::uint32_t>(glyph));
    }
    for (std::size_t start = 0; start < used.size(); start += 100) {
        const std::size_t end = std::min(used.size(), start + 100);
        map += std::to_string(end - start) + " beginbfchar\n";
        for (std::size_t i = start; i < end; ++i) {
            map += '<';
            AppendHex(map, used[i], 4);
            map += "><";
            if (const auto sequence = sequences.find(used[i]); sequence != sequences.end()) {
                for (char32_t character : sequence->second)
                    AppendUtf16(map, character);
            } else {
                AppendUtf16(map, characters[used[i]]);
            }
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    return map;
}

std::string Widths(const FontFace& face, const std::vector<char32_t>& characters)
{
    std::string widths = "[";
    const double perUnit = 1000.0 / face.UnitsPerEm();
    std::size_t glyph = 0;
    while (glyph < characters.size()) {
        if (characters[glyph] == 0) {
            ++glyph;
            continue;
        }
        widths += std::to_string(glyph) + '[';
        for (; glyph < characters.size() && characters[glyph] != 0; ++glyph) {
            AppendNumber(widths, face.Advance(static_cast<std::uint32_t>(glyph)) * perUnit);
            widths += ' ';
        }
        widths.back() = ']';
    }
    return widths + ']';
}

std::string Ref(int object) { return std::to_string(object) + " 0 R"; }

void WriteFont(PdfOutput& out, const PdfFonts::Used& used)
{
    const FontFace& face = *used.face;
    const std::string name = SubsetTag(used.characters) + '+' + face.PostScriptName();
    const std::string program = SubsetFont(face, used.characters);
    const double perUnit = 1000.0 / face.UnitsPerEm();
    const auto scaled = [&](int units) { return PdfNumber(units * perUnit); };

    const int descendant = out.Reserve();
    const int descriptor = out.Reserve();
    const int file = out.Reserve();
    const int toUnicode = out.Reserve();

    out.BeginObject(used.object);
    out << "<</Type/Font/Subtype/Type0/BaseFont/" << name << "/Encoding/Identity-H/DescendantFonts[" << Ref(descendant)
        << "]/ToUnicode " << Ref(toUnicode) << ">>";
    out.EndObject();

    out.BeginObject(descendant);
    out << "<</Type/Font/Subtype/" << (face.Cff() ? "CIDFontType0" : "CIDFontType2") << "/BaseFont/" << name
        << "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor " << Ref(descriptor)
        << "/W" << Widths(face, used.characters);
    if (!face.Cff())
        out << "/CIDToGIDMap/Identity";
    out << ">>";
    out.EndObject();

    // Non-symbolic (32), plus fixed pitch (1) and italic (64) as the face says.
    const int flags = 32 | (face.FixedPitch() ? 1 : 0) | (face.Italic() ? 64 : 0);
    const int* box = face.BoundingBox();
    out.BeginObject(descriptor);
    out << "<</Type/FontDescriptor/FontName/" << name << "/Flags " << std::to_string(flags) << "/FontBBox["
        << scaled(box[0]) << ' ' << scaled(box[1]) << ' ' << scaled(box[2]) << ' ' << scaled(box[3]) << "]/ItalicAngle "
        << PdfNumber(face.ItalicAngle()) << "/Ascent " << scaled(face.Ascender()) << "/Descent "
        << scaled(face.Descender()) << "/CapHeight " << scaled(face.CapHeight()) << "/StemV 80/"
        << (face.Cff() ? "FontFile3 " : "FontFile2 ") << Ref(file) << ">>";
    out.EndObject();

    out.StreamObject(file, face.Cff() ? "/Subtype/OpenType" : "/Length1 " + std::to_string(program.size()), program);
    out.StreamObject(toUnicode, "", ToUnicodeMap(used.characters, used.sequences));
}

} // namespace

PdfFonts::Used& PdfFonts::Use(const std::shared_ptr<const FontFace>& face, PdfOutput& out)
{
    auto found = used_.find(face.get());
    if (found != used_.end())
        return found->second;
    Used used;
    used.face = face;
    used.resource = "F" + std::to_string(used_.size() + 1);
    used.object = out.Reserve();
    used.characters.assign(hb_face_get_glyph_count(face->Face()), 0);
    return used_.emplace(face.get(), std::move(used)).first->second;
}

std::string PdfFonts::ResourceEntries() const
{
    std::string entries;
    for (const auto& [face, used] : used_)
        entries += '/' + used.resource + ' ' + Ref(used.object);
    return entries;
}

void PdfFonts::WriteAll(PdfOutput& out) const
{
    for (const auto& [face, used] : used_)
        WriteFont(out, used);
}
