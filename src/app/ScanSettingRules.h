#pragma once

// The bounds of the scan settings the window's edits enforce and the rule
// that a scan spans at least 5 nm, in one place for every program that
// changes the settings: the window, vemar-cli and the remote command server.

namespace ScanSettingRules {

inline constexpr double minimumScanRangeNm = 5.0;

// "Start (nm):" and "Stop (nm): ".
inline constexpr double startMinimumNm = 1240.0;
inline constexpr double startMaximumNm = 1675.0;
inline constexpr double stopMinimumNm = 1245.0;
inline constexpr double stopMaximumNm = 1680.0;
// "Res. (pm): ".
inline constexpr int samplingStepMinimumPm = 1;
inline constexpr int samplingStepMaximumPm = 250;
// "Output Power (mW)" while the controls are enabled.
inline constexpr double powerMinimumMw = 1.0;
inline constexpr double powerMaximumMw = 20.0;
// The count edit of a continuous run with its limit on.
inline constexpr int scanLimitMinimum = 1;
inline constexpr int scanLimitMaximum = 100000;

// A scan from startNm to stopNm spans less than 5 nm. The edits hold one
// decimal: a range that reads 5.0 nm is not short because of how its ends
// are stored.
bool rangeTooShort(double startNm, double stopNm);

enum class RangeProblem {
    None,
    TooShort,        // under 5 nm
    NoSource,        // no source is enabled (sourcesLowNm is not below sourcesHighNm)
    OutsideSources,  // a side leaves what the enabled sources cover
};

// What is wrong with a scan range, given the lowest minimum and the highest
// maximum wavelength of the enabled sources (ConfLaser::LowestLambdaMin and
// HighestLambdaMax), in the order the checks are reported.
RangeProblem scanRangeProblem(double startNm, double stopNm, double sourcesLowNm, double sourcesHighNm);

// The first of detectors 2 to 4 that is asked for while the unit has fewer
// detectors, or 0 when every one asked for is there.
int firstMissingDetector(bool detector2, bool detector3, bool detector4, int unitDetectors);

}  // namespace ScanSettingRules
