// How a rule reads in the settings dialog's list: the trigger codes, a tab, the action's label.
#pragma once

#include "settings/action_table.h"
#include "settings/control_char.h"

#include <string>

// The trigger bytes as decimal codes joined by ", " ("27, 69"); empty for an empty trigger.
std::string ShowAsciiCodes(const std::string& asciiCode);

// A numeric code is a font size ("Font size: 12", the code as stored); otherwise the label of the
// first table entry with exactly this code; "ERROR ..." when there is none.
std::string ShowAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator);

// One row of the list: codes, a tab, action.
std::string ControlCodeRowText(const ActionTableType& table, const ControlChar& rule, char decimalSeparator);
