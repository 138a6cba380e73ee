#include "numbers.h"

#include "errors.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// strtod in the "C" locale: the process locale may use a comma as its decimal point.
double StrtodInvariant(const std::string& text, bool& overflow)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    errno = 0;
    const double value = strtod_l(text.c_str(), nullptr, cLocale);
    // ERANGE with a finite result is an underflow: a tiny number reads as (nearly) zero.
    overflow = errno == ERANGE && std::isinf(value);
    return value;
}

// The shape of a number: sign, digits with one decimal point, optional exponent. Returns the
// invariant text ("-12.5e3") and the count of characters consumed; empty text when no digit.
struct Scan {
    std::string invariant;
    std::size_t consumed = 0;
};

Scan ScanNumber(std::string_view text, char decimalSeparator, bool skipInnerBlanks)
{
    Scan scan;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            scan.invariant += '-';
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (;;) {
        if (skipInnerBlanks)
            skip();
        if (i >= text.size())
            break;
        const char c = text[i];
        if (IsDigit(c)) {
            digits = true;
            scan.invariant += c;
        } else if (!point && (c == '.' || c == decimalSeparator)) {
            point = true;
            scan.invariant += '.';
        } else {
            break;
        }
        ++i;
    }
    if (!digits) {
        scan.invariant.clear();
        scan.consumed = 0;
        return scan;
    }
    scan.consumed = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        const std::size_t firstDigit = j;
        while (j < text.size() && (IsDigit(text[j]) || (skipInnerBlanks && IsBlank(text[j])))) {
            if (IsDigit(text[j]))
                exponent += text[j];
            ++j;
        }
        if (j > firstDigit && exponent.find_first_of("0123456789") != std::string::npos) {
            scan.invariant += exponent;
            scan.consumed = j;
        }
    }
    return scan;
}

std::string Trimmed(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

template <typename Float>
std::string Shortest(Float value, std::chars_format format)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    return std::string(buffer, result.ptr);
}

template <typename Float>
std::string GeneralFormatOf(Float value, char decimalSeparator)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
    if (value == 0)
        return "0";
    const Float magnitude = std::fabs(value);
    std::string text = (magnitude >= Float(1e15) || magnitude < Float(1e-4))
                           ? Shortest(value, std::chars_format::scientific)
                           : Shortest(value, std::chars_format::fixed);
    for (char& c : text) {
        if (c == '.')
            c = decimalSeparator;
        else if (c == 'e')
            c = 'E';
    }
    return text;
}

template <typename Float>
std::string InvariantOf(Float value)
{
    if (!std::isfinite(value) || value == 0)
        return "0";
    return Shortest(value, std::chars_format::fixed);
}

template <typename Int>
Int RoundTo(double value)
{
    if (std::isnan(value))
        throw OverflowError();
    const double rounded = std::nearbyint(value); // the default rounding mode sends halves to even
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        throw OverflowError();
    return static_cast<Int>(rounded);
}

} // namespace

double LeadingNumber(std::string_view text)
{
    const Scan scan = ScanNumber(text, '.', true);
    if (scan.invariant.empty())
        return 0;
    bool overflow = false;
    const double value = StrtodInvariant(scan.invariant, overflow);
    if (overflow)
        throw OverflowError();
    return value;
}

bool IsNumeric(std::string_view text, char decimalSeparator)
{
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty())
        return false;
    const Scan scan = ScanNumber(trimmed, decimalSeparator, false);
    return !scan.invariant.empty() && scan.consumed == trimmed.size();
}

bool ParseInvariantNumber(std::string_view text, double& value)
{
    const std::string trimmed = Trimmed(text);
    const Scan scan = ScanNumber(trimmed, '.', false);
    if (scan.invariant.empty() || scan.consumed != trimmed.size())
        return false;
    bool overflow = false;
    const double parsed = StrtodInvariant(scan.invariant, overflow);
    if (overflow)
        return false;
    value = parsed;
    return true;
}

std::int16_t RoundToInt16(double value) { return RoundTo<std::int16_t>(value); }
std::int32_t RoundToInt32(double value) { return RoundTo<std::int32_t>(value); }

std::string GeneralFormat(double value, char decimalSeparator) { return GeneralFormatOf(value, decimalSeparator); }
std::string GeneralFormat(float value, char decimalSeparator) { return GeneralFormatOf(value, decimalSeparator); }

std::string InvariantNumber(double value) { return InvariantOf(value); }
std::string InvariantNumber(float value) { return InvariantOf(value); }
