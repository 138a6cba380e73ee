// What the settings dialog's Rendben does to the values: four fields are checked against their
// limits, everything else is stored as typed. No widgets here, so the rules are tested headless.
#pragma once

#include "settings/rules.h"
#include "settings/settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The texts of the dialog's controls when Rendben is pressed, in the ANSI code page. A name the
// code page cannot hold is nothing: stored as "?" it would change meaning (a file name would
// become a wildcard), so it is refused instead.
struct SettingsForm {
    std::string PrinterName;                  // selPrinter; empty when no entry is selected
    std::string FontName;                     // selFont; empty when no entry is selected
    std::string FontSize;                     // selFontSize
    std::optional<std::string> SpoolFileName; // selFileName
    std::optional<std::string> SpoolFolder;   // lblPath
    std::string PollInterval;                 // selInterval
    std::string LeftMargin;                   // selLeftMargin
    std::optional<std::string> LogoFile;      // TxtLogoFile
    std::optional<std::string> LogoCondition; // TxtLogoFelt
    std::string LogoX;                        // TxtKepX
    std::string LogoY;                        // TxtKepY
};

// The refused fields. A text the code page cannot hold is refused at its field's step, so the
// messages come in the committing order: folder, logo file, logo condition, font size, file name,
// interval, margin.
enum class Refusal {
    FontSize,
    FileName,
    Interval,
    Margin,
    UnstorableFolder,
    UnstorableLogoFile,
    UnstorableLogoCondition,
    UnstorableFileName,
};

// The message of a refused field: title, first line and text (UTF-8).
struct RefusalText {
    const char* Title;
    const char* FirstLine;
    const char* Text;
};
RefusalText RefusalMessage(Refusal field);

// The number the dialog reads from a text: the leading number, where a text that starts with
// "&H" or "&O" is a hexadecimal or octal integer. Throws OverflowError beyond a double's range.
double FormNumber(const std::string& text);

// Each check gives the value to store, or nothing when the field is refused. A value too large
// for its type (a huge exponent, a 16-bit overflow) is refused like any other out-of-range value.
std::optional<std::int16_t> AcceptedFontSize(const std::string& text);
std::optional<std::int32_t> AcceptedPollInterval(const std::string& text, char decimalSeparator);
std::optional<double> AcceptedLeftMargin(const std::string& text, char decimalSeparator);
// The logo positions have no check; a number beyond single precision keeps the previous value.
std::optional<float> LogoPosition(const std::string& text);

// Copies workingCodes (element 0 the placeholder) into rules.ControlChars and the form into
// settings in the committing order: the names and logo positions, then font size, file name,
// interval and margin. A refused field keeps its value and calls refused at its step.
void StoreSettingsForm(const SettingsForm& form, const std::vector<ControlChar>& workingCodes, char decimalSeparator,
                       Settings& settings, Rules& rules, const std::function<void(Refusal)>& refused);
