#include "ScpiFormat.h"

#include <charconv>

namespace ScpiFormat {

void appendNumber(std::string& text, double value)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, ec == std::errc() ? static_cast<std::size_t>(end - buffer) : 0);
}

std::string number(double value)
{
    std::string text;
    appendNumber(text, value);
    return text;
}

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string errorEntry(int code, std::string_view text) { return std::to_string(code) + "," + quoted(text); }

std::string blockHeader(std::size_t bytes)
{
    const std::string count = std::to_string(bytes);
    return "#" + std::to_string(count.size()) + count;
}

}  // namespace ScpiFormat
