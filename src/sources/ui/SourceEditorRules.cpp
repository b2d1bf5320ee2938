#include "SourceEditorRules.h"

#include <algorithm>
#include <cmath>

#include "SourceTypes.h"

namespace SourceEditorRules {
namespace {

// The edits hold tenths of a nanometre, whose sums and differences are not
// exact in binary (1505.1 - 1500.1 is a hair under 5): anything closer than
// this to a value counts as that value.
constexpr double toleranceNm = 1e-6;

bool closerThanMinimum(double low, double high) { return std::abs(high - low) < minimumRangeNm - toleranceNm; }

double clampTo(double x, WavelengthLimits limits) { return std::clamp(x, limits.min, limits.max); }

}  // namespace

std::array<bool, rowCount> enableChain(const std::array<bool, rowCount>& boxes, int row, bool checked)
{
    std::array<bool, rowCount> out = boxes;
    if (row < 0 || row >= rowCount) return out;
    out[static_cast<std::size_t>(row)] = checked;
    out[0] = true;
    if (out[static_cast<std::size_t>(row)]) {
        for (int i = 0; i < row; ++i) out[static_cast<std::size_t>(i)] = true;
    } else {
        for (int i = row; i < rowCount; ++i) out[static_cast<std::size_t>(i)] = false;
    }
    return out;
}

WavelengthLimits wavelengthLimits(int fibreBand)
{
    switch (fibreBand) {
    case 1: return {1260.0, 1360.0};
    case 2: return {1440.0, 1640.0};
    default: return {1240.0, 1680.0};
    }
}

SourceRange lowWavelengthChanged(double low, double high, WavelengthLimits limits)
{
    if (!closerThanMinimum(low, high)) return {low, high, RangeHint::None};
    const double wanted = low + minimumRangeNm;
    const double taken = clampTo(wanted, limits);
    if (std::abs(taken - wanted) <= toleranceNm) return {low, wanted, RangeHint::HighUpdated};
    return {clampTo(taken - minimumRangeNm, limits), taken, RangeHint::None};
}

SourceRange highWavelengthChanged(double low, double high, WavelengthLimits limits)
{
    if (!closerThanMinimum(low, high)) return {low, high, RangeHint::None};
    const double wanted = high - minimumRangeNm;
    const double taken = clampTo(wanted, limits);
    if (std::abs(taken - wanted) <= toleranceNm) return {wanted, high, RangeHint::LowUpdated};
    return {taken, clampTo(taken + minimumRangeNm, limits), RangeHint::None};
}

SourceRange rangeWithinLimits(double low, double high, WavelengthLimits limits)
{
    const double shownLow = clampTo(low, limits);
    const double shownHigh = clampTo(high, limits);
    if (closerThanMinimum(shownLow, shownHigh) && !closerThanMinimum(low, high)) {
        const SourceRange moved = lowWavelengthChanged(shownLow, shownHigh, limits);
        return {moved.low, moved.high, RangeHint::None};
    }
    return {shownLow, shownHigh, RangeHint::None};
}

RowControls rowControls(bool available, bool sourceEnabled, int type)
{
    const bool fields = available && sourceEnabled;
    return {available, fields, fields && type == SourceTypes::Manual};
}

}  // namespace SourceEditorRules
