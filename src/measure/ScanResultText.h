#pragma once

// What the user is told about a scan: the status text and its severity for
// each result code of the scan controller, and the texts of the input power
// check made before the first scan.

#include <string>

namespace ScanResultText {

inline constexpr int normal = 0;
inline constexpr int warning = 1;
inline constexpr int error = 2;

struct Status {
    int severity = normal;
    std::string text;
};

// Status of a scan's result code, for a scan without an error text of the
// controller's own: errors (1 to 99, negative) in red, the warnings that
// have a text in yellow, every other code from 100 an empty normal status.
Status forScanCode(int code);

// Errors end a run; warnings and success do not.
inline bool isError(int code) { return code != 0 && code < 100; }

// Text of a code of the input power check (109 to 124), or nullptr.
const char* forInputPowerCode(int code);

}  // namespace ScanResultText
