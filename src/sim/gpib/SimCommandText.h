#pragma once

// Small parsers shared by the simulated instruments' command sets. Numbers
// are read with "." whatever the process locale.

#include <optional>
#include <string>
#include <string_view>

namespace vemarsim {

std::string_view trim(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// "NAME = VALUE" split at the first '=' (both sides trimmed); nothing without '='.
struct KeyValue {
    std::string_view key;
    std::string_view value;
};
std::optional<KeyValue> splitKeyValue(std::string_view command);

// SCPI: header and argument split at the first blank.
struct HeaderArgument {
    std::string_view header;
    std::string_view argument;
};
HeaderArgument splitHeader(std::string_view command);

// A whole decimal number (optional sign, digits, '.', exponent); anything
// left over but the accepted unit suffix (compared without case) refuses it.
std::optional<double> parseNumber(std::string_view text, std::string_view unit = {});
// A number followed by an optional unit ("1.5mw", "20nm/s", "1550.000000nm").
struct Quantity {
    double value;
    std::string_view unit;
};
std::optional<Quantity> parseQuantity(std::string_view text);

// "ON"/"1" or "OFF"/"0" (without case).
std::optional<bool> parseOnOff(std::string_view text);

// A power in mW from a quantity with unit "mw", "uw", "w" or "dbm"; no unit
// takes defaultUnit.
std::optional<double> powerMw(std::string_view text, std::string_view defaultUnit);
// A wavelength in nm from a quantity with unit "nm", "pm", "um" or "m"; no
// unit takes defaultUnit.
std::optional<double> wavelengthNm(std::string_view text, std::string_view defaultUnit);

// A whole decimal integer.
std::optional<long long> parseInteger(std::string_view text);

}  // namespace vemarsim
