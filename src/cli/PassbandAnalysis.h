#pragma once

// The passband options shared by analyse and scan --analyse, and the
// result files they write.

#include <optional>
#include <string>

class ParsedOptions;
class Passband;

enum class ResultFileKind { Xml, Text };

// ".xml" gives the "*.passband.xml" result file, ".txt" the text one;
// anything else is a UsageError.
ResultFileKind resultFileKind(const std::string& path);

// --grid, --threshold, --bw1/2/3 and --owr, checked against the bounds of
// the page's edit boxes when read (UsageError), before any work.
struct PassbandOptions {
    std::optional<int> grid;
    std::optional<float> threshold;
    std::optional<float> bandwidth1;
    std::optional<float> bandwidth2;
    std::optional<float> bandwidth3;
    std::optional<float> owr;
};
PassbandOptions parsePassbandOptions(const ParsedOptions& options);

// Sets the parameters given; the passband half-width may not exceed half
// the spacing of the grid then chosen (UsageError).
void applyPassbandOptions(Passband& passband, const PassbandOptions& options);

// FileError when the file cannot be written.
void saveResultFile(const Passband& passband, const std::string& path);
