// Number conversions shared by the settings file, the rule lines, the dialogs and the interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The number formed by the leading characters of a text: blanks and tabs are skipped wherever they
// stand, then an optional sign, digits with "." as the only decimal point and an optional exponent.
// A comma is never a decimal point. A text without a leading number gives 0.
// Throws OverflowError when the number is too large for a double (a huge exponent).
double LeadingNumber(std::string_view text);

// Whether the whole text is a number: optional blanks around it, an optional sign, digits with
// either decimalSeparator or "." as decimal point, an optional exponent. An empty text is not.
bool IsNumeric(std::string_view text, char decimalSeparator);

// Whether a whole text is a number in the invariant "." notation (the settings file's numbers);
// the form without a leading zero (".8") counts. Sets value when it is.
bool ParseInvariantNumber(std::string_view text, double& value);

// Rounding to the nearest integer, halves to the even neighbour; OverflowError out of range.
std::int16_t RoundToInt16(double value);
std::int32_t RoundToInt32(double value);

// The shortest text that reads back as the same number, with the given decimal separator
// (0.8 gives "0,8" with a comma). Large and tiny magnitudes use the "1E+20" form.
std::string GeneralFormat(double value, char decimalSeparator);
std::string GeneralFormat(float value, char decimalSeparator);

// Plain decimal notation with "." for the settings file: no exponent, no leading blank, whole
// values without a point ("0", "3000", "0.8"). Float values are written with float precision.
std::string InvariantNumber(double value);
std::string InvariantNumber(float value);
