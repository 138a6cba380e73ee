// The font state that the printer and the page canvas keep alike, and the text measurements
// both use, so that text measures and lands the same on both: twips at 1440 dots per inch, from
// the font file that the font configuration resolves for the style.
#pragma once

#include "print/drawing_target.h"

#include <string>
#include <string_view>

class ByteMetrics;

struct TextStyle {
    std::string Name = "Courier New"; // ANSI text
    double Size = 10;                 // points
    CharacterSet Charset = CharacterSet::Ansi;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Transparent = true;

    bool operator==(const TextStyle&) const = default;
};

// Tab stops are every this many average character widths of the current font, counted from where
// the pen was last placed (the left margin, for a spool line), as the text's own columns were.
inline constexpr int TabStopCharacters = 8;

// The style's glyphs and metrics (the OEM code page for the OEM charset, the ANSI code page
// otherwise). Throws OrvalinError when no font is installed at all.
const ByteMetrics& MetricsOf(const TextStyle& style);

// Measurements in twips.
double TextWidth(const TextStyle& style, std::string_view bytes);
double LineHeight(const TextStyle& style);
double NextTabStop(const TextStyle& style, double x, double origin);

// Validation of property values, throwing OrvalinError with the property's name.
double CheckedCoordinate(double value, const char* property);
double CheckedFontSize(double points);
