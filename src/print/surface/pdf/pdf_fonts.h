// The fonts of one PDF document: which glyphs of which faces the pages use, and at the end each
// face embedded as a subset (HarfBuzz's subsetter, glyph ids kept, so that pages can be written
// before the subset is known) with widths and a ToUnicode map, so that the text can be searched
// and copied. No Qt here.
#pragma once

#include "font_face.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class PdfOutput;

class PdfFonts {
public:
    struct Used {
        std::shared_ptr<const FontFace> face;
        std::string resource; // "F1"
        int object = 0;       // the Type0 font, written by WriteAll
        // The character each used glyph stands for; 0 for unused glyphs.
        std::vector<char32_t> characters;
        // Glyphs that stand for more than one character (ligatures).
        std::map<std::uint32_t, std::u32string> sequences;
    };

    // The face's entry, given a resource name and a reserved object on first use.
    Used& Use(const std::shared_ptr<const FontFace>& face, PdfOutput& out);
    static void Mark(Used& used, std::uint32_t glyph, char32_t character)
    {
        if (glyph < used.characters.size() && used.characters[glyph] == 0)
            used.characters[glyph] = character;
    }
    static void MarkSequence(Used& used, std::uint32_t glyph, std::u32string characters)
    {
        if (glyph >= used.characters.size() || characters.empty())
            return;
        if (used.characters[glyph] == 0)
            used.characters[glyph] = characters[0];
        if (characters.size() > 1)
            used.sequences.emplace(glyph, std::move(characters));
    }
    // The resource dictionary's /Font entries.
    std::string ResourceEntries() const;
    // Writes every used face's font objects.
    void WriteAll(PdfOutput& out) const;

private:
    std::map<const FontFace*, Used> used_;
};
