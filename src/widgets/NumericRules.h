#pragma once

// The rules the numeric edit boxes follow, kept free of any toolkit so that
// they can be checked one by one: bounds and wrap-around, the precision an
// increment implies, the text of a value and the value of a text, and which
// typed characters an edit box takes. Numbers are always written and read
// with "." as decimal separator, whatever locale the process runs with.

#include <cstdint>
#include <string>
#include <string_view>

namespace NumericRules {

// More decimals than a double can carry only show noise; they also bound the
// length of the formatted text.
inline constexpr int MaxPrecision = 20;

// The value an edit box takes when x is set: below min it becomes max when
// wrap is on, else min; above max it becomes min when wrap is on, else max.
// A NaN is taken as 0 (as an unreadable text is) before the bounds apply.
double checkValue(double x, double min, double max, bool wrap);
// The same for the integer edit; x is wide so that a step past the 32-bit
// range wraps or stops at a bound instead of overflowing.
std::int32_t checkValue(std::int64_t x, std::int32_t min, std::int32_t max, bool wrap);

// The value an edit box reports: x limited to [min, max], never wrapped.
double limitValue(double x, double min, double max);
std::int32_t limitValue(std::int32_t x, std::int32_t min, std::int32_t max);

// |n|, without overflow for the most negative int, and at most MaxPrecision.
int normalisedPrecision(int n);

// The number of decimals an increment implies: for 0 < x < 1, how many times
// x must be multiplied by 10 to reach at least 1 (0.1 gives 1, 0.01 gives 2,
// 0.05 gives 2); otherwise 0.
int precisionForIncrement(double increment);

// The value in fixed-point notation with `precision` decimals ("%.*f" in the
// C locale). Infinities are written as the largest finite double of their
// sign, so that the text reads back as a number.
std::string formatFixed(double value, int precision);
// The integer in plain decimal.
std::string formatInteger(std::int32_t value);

// The number a decimal edit's text stands for: blanks around it are ignored,
// then an optional sign, digits with an optional "." and an optional
// exponent; the whole text must be used. Anything else, and a number beyond
// the double range, reads as 0.
double parseDecimal(std::string_view text);
// The same for integers: optional sign and digits only; a text that is not
// such a number, or lies beyond the 32-bit range, reads as 0.
std::int32_t parseInteger(std::string_view text);

// value rounded to `precision` decimals exactly as formatFixed shows it.
double roundToPrecision(double value, int precision);

// What a typed character does in an edit box.
enum class KeyAction {
    Accept,  // goes into the text
    Apply,   // Enter: the text becomes the value
    Reject,  // dropped, with a beep
};
// Digits, backspace, the control character 12 and "-" are accepted, "." only
// by a decimal edit; Enter (carriage return) applies; everything else is
// rejected.
KeyAction classifyKey(char32_t character, bool decimalPoint);

}  // namespace NumericRules
