#include "control_char_input.h"

#include "common/errors.h"
#include "common/numbers.h"

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

std::optional<std::string> FontSizeActionCode(std::string_view sizeText)
{
    const std::optional<int> size = LeadingInt16(sizeText);
    if (!size || *size < MinEditorFontSize || *size > MaxEditorFontSize)
        return std::nullopt;
    return std::to_string(*size);
}

int PreselectedAction(const ActionTableType& table, const std::string& actionCode, char decimalSeparator)
{
    if (IsNumeric(actionCode, decimalSeparator))
        return FontSizeActionIndex;
    int found = -1;
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        if (table[static_cast<std::size_t>(i)].Code == actionCode)
            found = i;
    }
    return found >= 0 ? found : UnknownActionPreselection;
}

std::optional<ControlChar> BuildControlChar(const ControlCharForm& form, const ActionTableType& table,
                                            char decimalSeparator)
{
    ControlChar rule;
    bool error = false;
    for (const std::string& text : form.codes) {
        if (text.empty())
            continue;
        if (const std::optional<unsigned char> code = CodeBoxValue(text, decimalSeparator))
            rule.AsciiCode += static_cast<char>(*code);
        else
            error = true;
    }
    if (form.actionIndex == FontSizeActionIndex) {
        if (const std::optional<std::string> size = FontSizeActionCode(form.fontSizeText))
            rule.ActionCode = *size;
        else
            error = true;
    } else if (form.actionIndex > 0 && form.actionIndex < static_cast<int>(table.size())) {
        rule.ActionCode = table[static_cast<std::size_t>(form.actionIndex)].Code;
    } else {
        // No entry selected: there is no action to store.
        error = true;
    }
    if (error)
        return std::nullopt;
    return rule;
}
