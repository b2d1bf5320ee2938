#pragma once

// Texts of answers: numbers in their shortest form with "." whatever the
// locale, quoted strings, the definite-length block header.

#include <cstddef>
#include <string>
#include <string_view>

namespace ScpiFormat {

// The shortest text that reads back as value ("1540", "1540.5", "0.001").
std::string number(double value);
void appendNumber(std::string& text, double value);

// "text" with each quote doubled.
std::string quoted(std::string_view text);

// <code>,"<text>"
std::string errorEntry(int code, std::string_view text);

// "#" + the count of digits + the byte count, as a block of that many bytes begins.
std::string blockHeader(std::size_t bytes);

}  // namespace ScpiFormat
