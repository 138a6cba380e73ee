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
// The font sizes the editor admits, in whole points: the rule line keeps the size in its
// 3-character action field, so a larger size or a fraction would come back changed.
inline constexpr int MinEditorFontSize = 1;
inline constexpr int MaxEditorFontSize = 999;

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
// gives "12"; the locale's decimalSeparator counts as a decimal point too), when that is a whole
// number from 1 to 999. Nothing for 0, 1000, 12.5, an empty text or an overflow.
std::optional<std::string> FontSizeActionCode(std::string_view sizeText, char decimalSeparator);

// Which table entry the editor preselects for an action code: entry 0 for a numeric code (a font
// size), else the last entry with exactly this Code, else the last whose Code differs only in
// letter case (the printer reads "NP" as "np"); -1, no entry, for a code the table does not hold.
int PreselectedAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator);

// What the editor's controls hold when OK is pressed.
struct ControlCharForm {
    std::array<std::string, CodeBoxCount> Codes; // each box's text, as typed (UTF-8 of ASCII digits)
    int ActionIndex = IgnoreActionIndex;         // the selected entry's item data; -1 for none
    std::string FontSizeText;                    // the size box's text
    std::string OpenedAction;                    // the rule's action code when the editor opened
};

// The rule the form describes, or nothing when a non-empty box is not a valid code or the chosen
// font size is missing or out of range. Empty boxes leave no gap in the trigger. An action left
// as it opened keeps its code as it came in: no entry selected for an unknown code, or the entry
// its code matched in another letter case.
std::optional<ControlChar> BuildControlChar(const ControlCharForm& form, const ActionTableType& table,
                                            char decimalSeparator);
