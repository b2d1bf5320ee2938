#include "OptionValues.h"

#include <charconv>
#include <cmath>

#include "ExitCode.h"
#include "NumberFormat.h"
#include "Options.h"

double parseDoubleValue(const std::string& option, const std::string& text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        throw UsageError("option '--" + option + "' needs a number, not '" + text + "'");
    return value;
}

long long parseIntegerValue(const std::string& option, const std::string& text)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw UsageError("option '--" + option + "' needs a whole number, not '" + text + "'");
    return value;
}

std::optional<double> doubleOption(const ParsedOptions& options, const std::string& name, double minimum,
                                   double maximum)
{
    const std::optional<std::string> text = options.value(name);
    if (!text) return std::nullopt;
    const double value = parseDoubleValue(name, *text);
    if (value < minimum || value > maximum)
        throw UsageError(cformat("option '--%s' must lie between %g and %g", name.c_str(), minimum, maximum));
    return value;
}

std::optional<long long> integerOption(const ParsedOptions& options, const std::string& name, long long minimum,
                                       long long maximum)
{
    const std::optional<std::string> text = options.value(name);
    if (!text) return std::nullopt;
    const long long value = parseIntegerValue(name, *text);
    if (value < minimum || value > maximum)
        throw UsageError(cformat("option '--%s' must lie between %lld and %lld", name.c_str(), minimum, maximum));
    return value;
}

std::vector<std::string> splitList(const std::string& option, const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t first = item.find_first_not_of(" \t");
        const std::size_t last = item.find_last_not_of(" \t");
        item = first == std::string::npos ? std::string() : item.substr(first, last - first + 1);
        if (item.empty()) throw UsageError("option '--" + option + "' has an empty item in '" + text + "'");
        items.push_back(std::move(item));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}
