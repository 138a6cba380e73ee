// The fixed vocabulary of formatting actions: 22 codes with the English labels the user sees.
#pragma once

#include <array>
#include <string>

struct ActionEntry {
    std::string Code;
    std::string Label;
};

using ActionTableType = std::array<ActionEntry, 22>;

// The table, always identical: entry 0 is the font size ("0" is never stored: a size rule stores
// the number itself), entry 21 is Ignore with the empty code.
ActionTableType BuildActionTable();

// Index of the entry whose Code equals code exactly, or -1.
int FindActionByCode(const ActionTableType& table, const std::string& code);

inline constexpr int FontSizeActionIndex = 0;
inline constexpr int IgnoreActionIndex = 21;
