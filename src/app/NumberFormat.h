#pragma once

// Locale-independent number formatting and parsing. Files, instrument
// commands and edit boxes always use "." as the decimal separator, whatever
// locale the process or the user runs with.

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

// printf into a std::string with the "C" number format for this call only.
std::string cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vcformat(const char* format, va_list args);

// Makes the calling thread format and parse numbers with the "C" locale for
// the lifetime of the object (for code that hands a format to a C library).
class ScopedCLocale {
public:
    ScopedCLocale();
    ~ScopedCLocale();
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    void* previous_;
};

// Parses an integer the way the C library reads "%d": leading blanks, an
// optional sign, then at least one digit; trailing text is ignored. Values
// outside the 32-bit range do not parse.
std::optional<int> parseInt(std::string_view text);

// Parses a floating-point number (leading blanks, optional sign, decimal or
// exponent form, "inf"/"nan"); trailing text is ignored.
std::optional<double> parseDouble(std::string_view text);

// Sets the process-wide number format to the "C" one (decimal separator ".").
void useClassicNumberFormat();
