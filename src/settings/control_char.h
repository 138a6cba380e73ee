// One control-code rule: a trigger byte sequence and the action it stands for.
#pragma once

#include <string>

struct ControlChar {
    // The trigger: one or more bytes (0 to 255) of the spool file, compared byte for byte.
    std::string AsciiCode;
    // A code of the action table ("np", "bb", …), a decimal font size ("12", "7.5"), or empty (Ignore).
    std::string ActionCode;

    bool operator==(const ControlChar&) const = default;
};
