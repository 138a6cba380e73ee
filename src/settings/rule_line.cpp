#include "rule_line.h"

#include "common/bytes.h"
#include "common/errors.h"
#include "common/numbers.h"

#include <cmath>

namespace {

constexpr std::size_t FieldWidth = 3;

// The action field holds two characters of code and a blank. A three-character size ("100") is
// written without its blank and reads back whole. The rule editor refuses a size that cannot fit;
// should a longer code reach here all the same, it is stored as a whole number of at most three
// digits, so the rest of the line keeps its layout: 12.25 is stored as 12, 2160 as 999.
std::string ActionField(const std::string& code)
{
    if (code.size() < FieldWidth) {
        std::string field = code;
        field.resize(FieldWidth, ' ');
        return field;
    }
    if (code.size() == FieldWidth)
        return code;
    if (IsNumeric(code, '.')) {
        const double size = std::nearbyint(LeadingNumber(code));
        if (size >= 0 && size <= 999)
            return ActionField(std::to_string(static_cast<int>(size)));
        if (size > 999)
            return "999";
    }
    return code.substr(0, FieldWidth);
}

} // namespace

std::string FormatRuleLine(const ControlChar& rule)
{
    std::string line = ActionField(rule.ActionCode);
    for (char c : rule.AsciiCode) {
        const std::string value = std::to_string(static_cast<unsigned char>(c));
        line += std::string(FieldWidth - value.size(), ' ') + value;
    }
    return line;
}

ControlChar ParseRuleLine(std::string_view line, Rules& rules)
{
    ControlChar rule;
    rule.ActionCode = TrimBlanks(line.substr(0, FieldWidth));
    for (std::size_t p = FieldWidth; p < line.size(); p += FieldWidth) {
        const std::string_view field = line.substr(p, FieldWidth);
        double value = 0;
        try {
            value = std::nearbyint(LeadingNumber(field));
        } catch (const OverflowError&) {
            value = 1e9; // reported below like any other value out of range
        }
        if (value < 0 || value > 255) {
            throw OrvalinError("the rule \"" + std::string(line) + "\" has the trigger field \"" + std::string(field)
                               + "\", which is not a character code from 0 to 255");
        }
        rule.AsciiCode += static_cast<char>(static_cast<unsigned char>(value));
    }
    if (rule.ActionCode == "ol")
        rules.LandscapeChars = rule.AsciiCode;
    else if (rule.ActionCode == "op")
        rules.PortraitChars = rule.AsciiCode;
    return rule;
}
