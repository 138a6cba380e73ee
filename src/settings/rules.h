// The rule list and its companions, rebuilt by each settings load.
#pragma once

#include "action_table.h"
#include "control_char.h"

#include <cstdint>
#include <vector>

// Lists and their indices are 16-bit signed: at most this many rules.
inline constexpr int MaxRules = 32767;

struct Rules {
    ActionTableType ActionTable = BuildActionTable();
    // Element 0 is an empty placeholder that is never printed, saved, sorted or shown;
    // the rules proper are 1..N.
    std::vector<ControlChar> ControlChars{ControlChar{}};
    // The triggers of the last "ol" and "op" rules of the settings file; the print job looks for
    // them in a file's head to choose the orientation.
    std::string LandscapeChars;
    std::string PortraitChars;

    // N, the highest rule index (0 when there are no rules).
    int HighestIndex() const { return static_cast<int>(ControlChars.size()) - 1; }
    void ResetControlChars() { ControlChars.assign(1, ControlChar{}); }
};
