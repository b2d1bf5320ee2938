#include "SimCommandText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <span>

namespace vemarsim {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::optional<KeyValue> splitKeyValue(std::string_view command)
{
    const std::size_t equals = command.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyValue{trim(command.substr(0, equals)), trim(command.substr(equals + 1))};
}

HeaderArgument splitHeader(std::string_view command)
{
    command = trim(command);
    const std::size_t blank = command.find(' ');
    if (blank == std::string_view::npos) return {command, {}};
    return {command.substr(0, blank), trim(command.substr(blank + 1))};
}

std::optional<Quantity> parseQuantity(std::string_view text)
{
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return Quantity{value, trim(std::string_view(end, static_cast<std::size_t>(text.data() + text.size() - end)))};
}

std::optional<double> parseNumber(std::string_view text, std::string_view unit)
{
    const auto quantity = parseQuantity(text);
    if (!quantity || (!quantity->unit.empty() && !equalsNoCase(quantity->unit, unit))) return std::nullopt;
    return quantity->value;
}

std::optional<bool> parseOnOff(std::string_view text)
{
    text = trim(text);
    if (equalsNoCase(text, "ON") || text == "1") return true;
    if (equalsNoCase(text, "OFF") || text == "0") return false;
    return std::nullopt;
}

namespace {

struct Unit {
    std::string_view name;
    double factor;
};
constexpr Unit linearPowerUnits[] = {{"mw", 1.0}, {"uw", 1e-3}, {"w", 1e3}};
constexpr Unit wavelengthUnits[] = {{"nm", 1.0}, {"pm", 1e-3}, {"um", 1e3}, {"m", 1e9}};

std::optional<double> inUnit(double value, std::string_view unit, std::span<const Unit> units)
{
    for (const Unit& u : units)
        if (equalsNoCase(unit, u.name)) return value * u.factor;
    return std::nullopt;
}

}  // namespace

std::optional<double> powerMw(std::string_view text, std::string_view defaultUnit)
{
    const auto quantity = parseQuantity(text);
    if (!quantity) return std::nullopt;
    const std::string_view unit = quantity->unit.empty() ? defaultUnit : quantity->unit;
    if (equalsNoCase(unit, "dbm")) return std::pow(10.0, quantity->value / 10.0);
    return inUnit(quantity->value, unit, linearPowerUnits);
}

std::optional<double> wavelengthNm(std::string_view text, std::string_view defaultUnit)
{
    const auto quantity = parseQuantity(text);
    if (!quantity) return std::nullopt;
    return inUnit(quantity->value, quantity->unit.empty() ? defaultUnit : quantity->unit, wavelengthUnits);
}

std::optional<long long> parseInteger(std::string_view text)
{
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace vemarsim
