// A sheet of paper and the part of it that a printer can reach. Positions on a printer page are
// measured from the printable area's top-left corner, and the page size the engine sees is the
// printable area's, so that a layout lands where its twips say on any printer.
#pragma once

#include "print/printer.h"

#include <string>

// The built-in PDF printer reaches everything but 1/6 inch at each edge, like a typical office
// laser printer, so that a filed PDF printed later loses nothing.
inline constexpr double BuiltInPrinterMargin = 240;

struct Paper {
    std::string Media; // the print system's name for the size ("iso_a4_210x297mm"); empty when unknown
    // The sheet in portrait and the margins that the printer cannot reach, in twips.
    double Width = 0;
    double Height = 0;
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;

    // The sheet as it lies for the orientation. Landscape turns it a quarter turn
    // counter-clockwise, as print systems do: its top edge is the portrait's left edge.
    Paper Turned(PageOrientation orientation) const;
    double PrintableWidth() const { return Width - Left - Right; }
    double PrintableHeight() const { return Height - Top - Bottom; }
};

// A4 with the built-in printer's margins.
Paper BuiltInPaper();
