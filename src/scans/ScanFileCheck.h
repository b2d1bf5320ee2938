#pragma once

// What a strict reader of scan files (the command-line tool, which must not
// give figures from half a scan) refuses before it uses one:
//   - the structure: a well-formed XML file with a VEMAR (or RB5560) root,
//     a Scan element with curves that all have a Name, a side file that is
//     the one the Scan element records (ScanFilePair.h) with its ten counted blocks,
//     one value per sample in every per-sample block, and exactly as many
//     envelope values as the curves describe;
//   - the values stored in the XML part that the scan is rebuilt from: the
//     sampling step (1 to 250 pm, or an exponent 0 to 7 in files before
//     release 3.6.0), the scan range and every source range (finite
//     wavelengths of 0 to 2000 nm, the lower one first), the common power
//     (0.001 to 1000 mW), the curves' counts and the detected lines; a
//     value missing from a file of this program is damage too. (Addresses
//     and speeds are checked by the Sources section's reader.)
// The side file's values themselves are checked as they are loaded
// (ScanLoadReport): reading them twice would double the cost of a load.
//
// The window's Load stays lenient; these are the rules of a script's input.

#include <string>

class TiXmlElement;

// Empty when the file may be used, else what is wrong, naming the element
// and attribute of a bad value ("Sampling_Step Value \"0\" is not ...").
std::string scanFileProblem(const std::string& path);

// The value checks alone, on a parsed root.
std::string scanFileValueProblem(const TiXmlElement& root);

// Bounds shared with the options of the tool.
inline constexpr int smallestSamplingStepPm = 1;
inline constexpr int largestSamplingStepPm = 250;
inline constexpr double largestWavelengthNm = 2000.0;
inline constexpr double smallestPowerMw = 0.001;
inline constexpr double largestPowerMw = 1000.0;
