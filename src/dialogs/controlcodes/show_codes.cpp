#include "show_codes.h"

#include "common/bytes.h"
#include "common/numbers.h"

std::string ShowAsciiCodes(const std::string& asciiCode)
{
    std::string shown;
    for (const char c : asciiCode) {
        if (!shown.empty())
            shown += ", ";
        shown += std::to_string(static_cast<unsigned char>(c));
    }
    return shown;
}

std::string ShowAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator)
{
    if (IsNumeric(actionCode, decimalSeparator))
        return table[FontSizeActionIndex].Label + actionCode;
    // Named as the printer reads it: "NP" is a page break like "np".
    const int index = FindActionByCode(table, LowerAscii(actionCode));
    return index >= 0 ? table[index].Label : "ERROR ...";
}

std::string ControlCodeRowText(const ActionTableType& table, const ControlChar& rule, char decimalSeparator)
{
    return ShowAsciiCodes(rule.AsciiCode) + '\t' + ShowAction(table, rule.ActionCode, decimalSeparator);
}
