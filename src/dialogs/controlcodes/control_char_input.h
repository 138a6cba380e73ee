// What the control-code editor accepts: the code boxes, the font size and the preselected action,
// kept free of widgets so that the checks run without a display.
#pragma once

#include "settings/action_table.h"
#include "settings/control_char.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The editor holds a trigger of at most this many codes, one box each.
inline constexpr int CodeBoxCount = 28;
// The font sizes the editor admits, in points.
inline constexpr int MinEditorFontSize = 1;
inline constexpr int MaxEditorFontSize = 2160;

// The number at the start of a text, rounded half to even; nothing when it does not fit a 16-bit
// integer (99999, or an exponent too large for a double). A text without leading digits gives 0.
std::optional<int> LeadingInt16(std::string_view text);

// The byte a code box stands for: its whole text is numeric (with the locale's decimalSeparator
// or ".") and its value is 0 to 255. Nothing for anything else, the empty text included.
std::optional<unsigned char> CodeBoxValue(std::string_view text, char decimalSeparator);

// Whether a code box text is accepted while typing: empty, or a valid code.
bool IsAcceptableCodeBoxText(std::string_view text, char decimalSeparator);

// The text a box shows for one trigger byte: its decimal code without leading zeros ("0", "27").
std::string CodeBoxText(unsigned char code);

// The action code of a font size typed as text: its leading number (no numeric test, so "12abc"
// gives "12"), when that is 1 to 2160. Nothing for 0, 2161, an empty text or an overflow.
std::optional<std::string> FontSizeActionCode(std::string_view sizeText);

// Which table entry the editor preselects for an action code: entry 0 for a numeric code (a font
// size), else the last entry with exactly this Code, else entry 20, which is what a rule with an
// unknown (hand-edited) code has always opened with.
int PreselectedAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator);
inline constexpr int UnknownActionPreselection = 20;

// What the editor's controls hold when OK is pressed.
struct ControlCharForm {
    std::array<std::string, CodeBoxCount> codes; // each box's text, as typed (UTF-8 of ASCII digits)
    int actionIndex = IgnoreActionIndex;         // the selected entry's item data
    std::string fontSizeText;                    // the size box's text
};

// The rule the form describes, or nothing when a non-empty box is not a valid code or the chosen
// font size is missing or out of range. Empty boxes leave no gap in the trigger.
std::optional<ControlChar> BuildControlChar(const ControlCharForm& form, const ActionTableType& table,
                                            char decimalSeparator);
