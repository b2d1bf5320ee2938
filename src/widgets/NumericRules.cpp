#include "NumericRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace NumericRules {

double checkValue(double x, double min, double max, bool wrap)
{
    if (std::isnan(x)) x = 0.0;
    if (x < min) return wrap ? max : min;
    if (x > max) return wrap ? min : max;
    return x;
}

std::int32_t checkValue(std::int64_t x, std::int32_t min, std::int32_t max, bool wrap)
{
    if (x < min) return wrap ? max : min;
    if (x > max) return wrap ? min : max;
    return static_cast<std::int32_t>(x);
}

double limitValue(double x, double min, double max)
{
    if (std::isnan(x)) x = 0.0;
    // Not std::clamp: the bounds may cross for a moment while an owner moves
    // both of them, and std::clamp leaves that case undefined.
    if (x < min) return min;
    if (x > max) return max;
    return x;
}

std::int32_t limitValue(std::int32_t x, std::int32_t min, std::int32_t max)
{
    if (x < min) return min;
    if (x > max) return max;
    return x;
}

int normalisedPrecision(int n)
{
    const std::int64_t magnitude = n < 0 ? -static_cast<std::int64_t>(n) : n;
    return magnitude > MaxPrecision ? MaxPrecision : static_cast<int>(magnitude);
}

int precisionForIncrement(double increment)
{
    if (!(increment > 0.0 && increment < 1.0)) return 0;
    // Repeated multiplication by 10 picks up rounding (0.001 × 10 × 10 × 10
    // need not be exactly 1), so "reaching 1" allows for a few ulps.
    constexpr double one = 1.0 - 1e-9;
    int decimals = 0;
    double x = increment;
    while (x < one && decimals < MaxPrecision) {
        x *= 10.0;
        ++decimals;
    }
    return decimals;
}

std::string formatFixed(double value, int precision)
{
    precision = normalisedPrecision(precision);
    if (std::isnan(value)) value = 0.0;
    if (std::isinf(value))
        value = value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
    // The largest double has 309 integer digits; sign, point and decimals on top.
    std::array<char, 309 + 3 + MaxPrecision + 8> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, precision);
    return std::string(buffer.data(), result.ptr);
}

std::string formatInteger(std::int32_t value)
{
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// from_chars takes "-" but not "+"; a text such as "+-1" must still fail.
std::string_view withoutPlus(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

bool isDecimalSyntax(std::string_view text)
{
    // from_chars also reads "inf" and "nan", which no one types into an edit
    // box and which would escape the bounds.
    for (char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return false;
    }
    return true;
}

}  // namespace

double parseDecimal(std::string_view text)
{
    text = withoutPlus(trimmed(text));
    if (text.empty() || !isDecimalSyntax(text)) return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return 0.0;
    return value;
}

std::int32_t parseInteger(std::string_view text)
{
    text = withoutPlus(trimmed(text));
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return 0;
    return value;
}

double roundToPrecision(double value, int precision)
{
    if (!std::isfinite(value)) return value;
    return parseDecimal(formatFixed(value, precision));
}

KeyAction classifyKey(char32_t character, bool decimalPoint)
{
    if (character >= U'0' && character <= U'9') return KeyAction::Accept;
    switch (character) {
    case U'\b':
    case 12:
    case U'-':
        return KeyAction::Accept;
    case U'.':
        return decimalPoint ? KeyAction::Accept : KeyAction::Reject;
    case U'\r':
        return KeyAction::Apply;
    default:
        return KeyAction::Reject;
    }
}

}  // namespace NumericRules
