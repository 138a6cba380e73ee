// The one-line text form of a rule in the settings file: a 3-character action field, then one
// right-aligned 3-character decimal field per trigger byte ("bb  27 69").
#pragma once

#include "rules.h"

#include <string>
#include <string_view>

std::string FormatRuleLine(const ControlChar& rule);

// Reads a rule line. An "ol" or "op" rule also sets rules.LandscapeChars or rules.PortraitChars.
// Throws OrvalinError when a trigger field is not a byte value 0 to 255.
ControlChar ParseRuleLine(std::string_view line, Rules& rules);
