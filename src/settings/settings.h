// The process-wide settings, in the order the settings file stores them.
#pragma once

#include <cstdint>
#include <string>

// The printer name that keeps whatever printer is current when a job starts.
inline constexpr const char* DefaultPrinterName = "Default Printer";

struct Settings {
    std::string PrinterName;       // device name of the printer, or "Default Printer"
    std::string FontName;          // base font of the printout
    std::int16_t FontSize = 0;     // points
    std::int32_t PollInterval = 0; // milliseconds
    double LeftMargin = 0;         // centimetres
    std::string SpoolFolder;       // the watched folder; after loading it ends in the path separator
    std::string SpoolFileName;     // a directory search pattern inside SpoolFolder
    std::string LogoFile;          // empty: no logo
    std::string LogoCondition;     // text the head of a file must contain for the logo to print
    float LogoX = 0;               // twips
    float LogoY = 0;               // twips

    // Not stored: a logo file is named and exists (cleared when it cannot be loaded). Whether a
    // job prints it is decided per job from its head.
    bool LogoEnabled = false;
};
