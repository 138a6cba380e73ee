#include "commit_settings.h"

#include "dialogs/dialog_texts.h"

#include "common/errors.h"
#include "common/numbers.h"

#include <cmath>
#include <limits>

namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// "&H1F" and "&O17": an integer in base 16 or 8, read up to the first character that is not a
// digit of that base. nullopt when the text has no such prefix.
std::optional<double> RadixNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSkipped(text[i]))
        ++i;
    if (i + 1 >= text.size() || text[i] != '&')
        return std::nullopt;
    const char kind = text[i + 1];
    int base = 0;
    if (kind == 'H' || kind == 'h')
        base = 16;
    else if (kind == 'O' || kind == 'o')
        base = 8;
    else
        return std::nullopt;
    double value = 0;
    for (i += 2; i < text.size(); ++i) {
        const char c = text[i];
        if (IsSkipped(c))
            continue;
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
        if (std::isinf(value))
            throw OverflowError();
    }
    return value;
}

// The leading number, with nothing thrown: a number beyond a double's range gives nullopt.
std::optional<double> SafeFormNumber(const std::string& text)
{
    try {
        return FormNumber(text);
    } catch (const OverflowError&) {
        return std::nullopt;
    }
}

} // namespace

RefusalText RefusalMessage(Refusal field)
{
    // The interval's first line and the margin's title differ from the others: the program has
    // always shown them so.
    switch (field) {
    case Refusal::FontSize:
        return {DialogTitle, ErrorFirstLine, "Ez a betüméret nem megengedett (6 -> 2160). A változtatás nem mentödött"};
    case Refusal::FileName:
        return {DialogTitle, ErrorFirstLine, "Érvénytelen file név."};
    case Refusal::Interval:
        return {DialogTitle, "Hiba !!!", "Nem megengedett érték. A változtatás nem mentődött"};
    case Refusal::Margin:
        return {"Orvalin - settings", ErrorFirstLine, "Nem megengedett érték."};
    case Refusal::UnstorableFolder:
        return {DialogTitle, ErrorFirstLine,
                "A \"Könyvtár neve\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                "A mező régi értéke maradt."};
    case Refusal::UnstorableLogoFile:
        return {DialogTitle, ErrorFirstLine,
                "A \"Logo File\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                "A mező régi értéke maradt."};
    case Refusal::UnstorableLogoCondition:
        return {DialogTitle, ErrorFirstLine,
                "A \"Logo Feltétel\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                "A mező régi értéke maradt."};
    case Refusal::UnstorableFileName:
        return {DialogTitle, ErrorFirstLine,
                "A \"File neve\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                "A mező régi értéke maradt."};
    }
    return {"", "", ""};
}

double FormNumber(const std::string& text)
{
    if (const std::optional<double> radix = RadixNumber(text))
        return *radix;
    return LeadingNumber(text);
}

std::optional<std::int16_t> AcceptedFontSize(const std::string& text)
{
    // No numeric test: a text without a leading number gives 0 and is refused by the range.
    // The lower bound is 1, as in the rule editor.
    const std::optional<double> size = SafeFormNumber(text);
    if (!size || *size < 1 || *size > 2160)
        return std::nullopt;
    return RoundToInt16(*size);
}

std::optional<std::int32_t> AcceptedPollInterval(const std::string& text, char decimalSeparator)
{
    if (!IsNumeric(text, decimalSeparator))
        return std::nullopt;
    const std::optional<double> interval = SafeFormNumber(text);
    // Open at both ends: 1 and 65535 themselves are refused; 1.2 passes and rounds to 1.
    if (!interval || *interval <= 1 || *interval >= 65535)
        return std::nullopt;
    return RoundToInt32(*interval);
}

std::optional<double> AcceptedLeftMargin(const std::string& text, char decimalSeparator)
{
    // The first comma becomes a period, so "0,8" stores 0.8 whatever the locale; "1,5,5" becomes
    // "1.5,5", which is no number.
    std::string repaired = text;
    if (const std::size_t comma = repaired.find(','); comma != std::string::npos)
        repaired[comma] = '.';
    if (!IsNumeric(repaired, decimalSeparator))
        return std::nullopt;
    const std::optional<double> margin = SafeFormNumber(repaired);
    if (!margin || *margin < 0 || *margin > 20)
        return std::nullopt;
    return *margin;
}

std::optional<float> LogoPosition(const std::string& text)
{
    const std::optional<double> position = SafeFormNumber(text);
    if (!position || std::fabs(*position) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(*position);
}

void StoreSettingsForm(const SettingsForm& form, const std::vector<ControlChar>& workingCodes, char decimalSeparator,
                       Settings& settings, Rules& rules, const std::function<void(Refusal)>& refused)
{
    const auto refuse = [&refused](Refusal field) {
        if (refused)
            refused(field);
    };

    // The rules are replaced as they stand in the dialog, not re-sorted.
    rules.ControlChars.assign(1, ControlChar{});
    if (workingCodes.size() > 1)
        rules.ControlChars.insert(rules.ControlChars.end(), workingCodes.begin() + 1, workingCodes.end());

    const auto storeName = [&refuse](const std::optional<std::string>& text, std::string& setting, Refusal field) {
        if (text)
            setting = *text;
        else
            refuse(field);
    };

    settings.PrinterName = form.PrinterName;
    settings.FontName = form.FontName;
    storeName(form.SpoolFolder, settings.SpoolFolder, Refusal::UnstorableFolder);
    storeName(form.LogoFile, settings.LogoFile, Refusal::UnstorableLogoFile);
    if (const std::optional<float> x = LogoPosition(form.LogoX))
        settings.LogoX = *x;
    if (const std::optional<float> y = LogoPosition(form.LogoY))
        settings.LogoY = *y;
    storeName(form.LogoCondition, settings.LogoCondition, Refusal::UnstorableLogoCondition);

    if (const std::optional<std::int16_t> size = AcceptedFontSize(form.FontSize))
        settings.FontSize = *size;
    else
        refuse(Refusal::FontSize);

    if (form.SpoolFileName && form.SpoolFileName->empty())
        refuse(Refusal::FileName);
    else
        storeName(form.SpoolFileName, settings.SpoolFileName, Refusal::UnstorableFileName);

    if (const std::optional<std::int32_t> interval = AcceptedPollInterval(form.PollInterval, decimalSeparator))
        settings.PollInterval = *interval;
    else
        refuse(Refusal::Interval);

    if (const std::optional<double> margin = AcceptedLeftMargin(form.LeftMargin, decimalSeparator))
        settings.LeftMargin = *margin;
    else
        refuse(Refusal::Margin);
}
