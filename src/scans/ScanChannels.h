#pragma once

#include "Frequency.h"

// The six channel slots of a scan result and the rule that ties a curve to
// its channel by the curve's name.

#include <string_view>

namespace ScanChannel {

inline constexpr int Output = 0;  // power leaving the sources, reference of every insertion loss
inline constexpr int Detector1 = 1;
inline constexpr int Detector2 = 2;
inline constexpr int Detector3 = 3;
inline constexpr int Detector4 = 4;
inline constexpr int Ext = 5;     // external analogue input
inline constexpr int Count = 6;

// "1" to "4" select detectors 1 to 4 and "Ext" the external input; any other
// name (the "Orl" curve among them) selects the output channel.
inline int fromCurveName(std::string_view name)
{
    if (name == "1") return Detector1;
    if (name == "2") return Detector2;
    if (name == "3") return Detector3;
    if (name == "4") return Detector4;
    if (name == "Ext") return Ext;
    return Output;
}

}  // namespace ScanChannel

