#pragma once

// Values of options, read strictly: "1550.5" is a number, "1550,5" and
// "1550nm" are usage errors (an edit box would refuse them too). Numbers use
// "." whatever the locale.

#include <optional>
#include <string>
#include <vector>

class ParsedOptions;

// The whole text as a number; UsageError naming the option otherwise.
double parseDoubleValue(const std::string& option, const std::string& text);
long long parseIntegerValue(const std::string& option, const std::string& text);

// The option's value as a number within [minimum, maximum]; none when absent.
std::optional<double> doubleOption(const ParsedOptions& options, const std::string& name, double minimum,
                                   double maximum);
std::optional<long long> integerOption(const ParsedOptions& options, const std::string& name, long long minimum,
                                       long long maximum);

// "a,b,c" into its items (blanks around items dropped, empty items refused).
std::vector<std::string> splitList(const std::string& option, const std::string& text);
