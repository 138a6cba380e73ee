#include "control_char_input.h"

#include "common/bytes.h"
#include "common/errors.h"
#include "common/numbers.h"

#include <cmath>

std::optional<int> LeadingInt16(std::string_view text)
{
    try {
        return RoundToInt16(LeadingNumber(text));
    } catch (const OverflowError&) {
        // Too large for a 16-bit whole number: out of range like any other bad value.
        return std::nullopt;
    }
}

std::optional<unsigned char> CodeBoxValue(std::string_view text, char decimalSeparator)
{
    if (!IsNumeric(text, decimalSeparator))
        return std::nullopt;
    const std::optional<int> value = LeadingInt16(text);
    if (!value || *value < 0 || *value > 255)
        return std::nullopt;
    return static_cast<unsigned char>(*value);
}

bool IsAcceptableCodeBoxText(std::string_view text, char decimalSeparator)
{
    return text.empty() || CodeBoxValue(text, decimalSeparator).has_value();
}

std::string CodeBoxText(unsigned char code) { return std::to_string(static_cast<int>(code)); }

std::optional<std::string> FontSizeActionCode(std::string_view sizeText, char decimalSeparator)
{
    // "12,5" typed in a comma locale is the fraction it looks like, not 12.
    std::string text(sizeText);
    if (const std::size_t separator = text.find(decimalSeparator); separator != std::string::npos)
        text[separator] = '.';
    double size = 0;
    try {
        size = LeadingNumber(text);
    } catch (const OverflowError&) {
        return std::nullopt;
    }
    // Refused rather than rounded: what the rule stores is the size the user typed.
    if (!(size >= MinEditorFontSize && size <= MaxEditorFontSize) || size != std::trunc(size))
        return std::nullopt;
    return std::to_string(static_cast<int>(size));
}

int PreselectedAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator)
{
    if (IsNumeric(actionCode, decimalSeparator))
        return FontSizeActionIndex;
    const std::string lower = LowerAscii(actionCode);
    int exact = -1;
    int anyCase = -1;
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const std::string& code = table[static_cast<std::size_t>(i)].Code;
        if (code == actionCode)
            exact = i;
        if (LowerAscii(code) == lower)
            anyCase = i;
    }
    return exact >= 0 ? exact : anyCase;
}

std::optional<ControlChar> BuildControlChar(const ControlCharForm& form, const ActionTableType& table,
                                            char decimalSeparator)
{
    ControlChar rule;
    bool error = false;
    for (const std::string& text : form.Codes) {
        if (text.empty())
            continue;
        if (const std::optional<unsigned char> code = CodeBoxValue(text, decimalSeparator))
            rule.AsciiCode += static_cast<char>(*code);
        else
            error = true;
    }
    const int opened = PreselectedAction(table, form.OpenedAction, decimalSeparator);
    if (form.ActionIndex == FontSizeActionIndex) {
        if (const std::optional<std::string> size = FontSizeActionCode(form.FontSizeText, decimalSeparator))
            rule.ActionCode = *size;
        else
            error = true;
    } else if (form.ActionIndex > 0 && form.ActionIndex < static_cast<int>(table.size())) {
        rule.ActionCode =
            form.ActionIndex == opened ? form.OpenedAction : table[static_cast<std::size_t>(form.ActionIndex)].Code;
    } else if (form.ActionIndex < 0 && opened < 0) {
        // An unknown code opens with no entry selected; without a choice it stays as it was.
        rule.ActionCode = form.OpenedAction;
    } else {
        error = true;
    }
    if (error)
        return std::nullopt;
    return rule;
}
