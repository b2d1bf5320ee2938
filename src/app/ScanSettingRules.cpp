#include "ScanSettingRules.h"

namespace ScanSettingRules {

namespace {

constexpr double rangeToleranceNm = 1e-9;

}  // namespace

bool rangeTooShort(double startNm, double stopNm) { return stopNm - startNm < minimumScanRangeNm - rangeToleranceNm; }

RangeProblem scanRangeProblem(double startNm, double stopNm, double sourcesLowNm, double sourcesHighNm)
{
    if (rangeTooShort(startNm, stopNm)) return RangeProblem::TooShort;
    if (!(sourcesLowNm < sourcesHighNm)) return RangeProblem::NoSource;
    if (startNm < sourcesLowNm || stopNm > sourcesHighNm) return RangeProblem::OutsideSources;
    return RangeProblem::None;
}

int firstMissingDetector(bool detector2, bool detector3, bool detector4, int unitDetectors)
{
    const bool asked[3] = {detector2, detector3, detector4};
    for (int k = 2; k <= 4; ++k)
        if (asked[k - 2] && unitDetectors < k) return k;
    return 0;
}

}  // namespace ScanSettingRules
