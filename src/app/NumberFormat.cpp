#include "NumberFormat.h"

#include <locale.h>

#include <cctype>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <vector>

namespace {

locale_t cLocale()
{
    // Created once and kept for the whole process: uselocale() needs it alive
    // as long as any thread may have it installed.
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

std::string_view skipBlanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    return text.substr(i);
}

}  // namespace

ScopedCLocale::ScopedCLocale() : previous_(uselocale(cLocale())) {}

ScopedCLocale::~ScopedCLocale() { uselocale(static_cast<locale_t>(previous_)); }

std::string vcformat(const char* format, va_list args)
{
    ScopedCLocale classic;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string cformat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vcformat(format, args);
    va_end(args);
    return text;
}

std::optional<int> parseInt(std::string_view text)
{
    text = skipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

std::optional<double> parseDouble(std::string_view text)
{
    text = skipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end == text.data()) return std::nullopt;
    // Out of range: from_chars leaves the value alone; take the C library's answer
    // (infinity or zero with the right sign) so huge numbers still read as huge.
    if (ec == std::errc::result_out_of_range) {
        ScopedCLocale classic;
        const std::string copy(text.substr(0, static_cast<std::size_t>(end - text.data())));
        return std::strtod(copy.c_str(), nullptr);
    }
    if (ec != std::errc()) return std::nullopt;
    return value;
}

void useClassicNumberFormat()
{
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(std::locale(std::locale(), std::locale::classic(), std::locale::numeric));
}
