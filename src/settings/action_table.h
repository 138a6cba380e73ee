// The fixed vocabulary of formatting actions: 22 codes with the English labels the user sees, and
// what each does to the printed text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// What a rule's action does when its trigger is met.
enum class ActionKind : std::uint8_t {
    FontSize,
    PageBreak,
    Tab,
    BeginBold,
    EndBold,
    BeginItalic,
    EndItalic,
    BeginUnderline,
    EndUnderline,
    BeginSuperscript,
    EndSuperscript,
    BeginSubscript,
    EndSubscript,
    LineHeight,
    Orientation,
    Ignore
};

struct ActionEntry {
    std::string Code;
    std::string Label;
    ActionKind Kind = ActionKind::Ignore;
    // The lines-per-inch selector of a line height: n > 0 gives 1/n inch, n < 0 gives 1 cm.
    std::int16_t Value = 0;
};

using ActionTableType = std::array<ActionEntry, 22>;

// The table, always identical: entry 0 is the font size ("0" is never stored: a size rule stores
// the number itself), entry 21 is Ignore with the empty code.
ActionTableType BuildActionTable();

// Index of the entry whose Code equals code exactly, or -1.
int FindActionByCode(const ActionTableType& table, const std::string& code);

// The entry that a stored action code names by its own code: neither the font size (a size rule
// stores the number, so "0" is a size like any number) nor Ignore (the empty code). Null when the
// code names none of the others.
const ActionEntry* FindNamedAction(const ActionTableType& table, const std::string& code);

inline constexpr int FontSizeActionIndex = 0;
inline constexpr int IgnoreActionIndex = 21;
