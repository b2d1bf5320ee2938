#include "LevelCrossings.h"

#include <cmath>

#include "CurveSegment.h"
#include "Passband_Value.h"
#include "Units.h"

namespace {

float interpolateWavelength(float a, float w1, float l1, float w2, float l2)
{
    if (l2 == l1) return w1;
    return w1 + (a - l1) / (l2 - l1) * (w2 - w1);
}

}  // namespace

Crossings levelCrossings(float r, const CurveSegment& segment, std::size_t peak, int unit)
{
    constexpr Crossings none{noneMarker, noneMarker};
    if (!(r < 0.0f)) return none;
    const double* const w = segment.wavelengthNm;
    const double* const level = segment.levelDb;
    const std::size_t m = segment.count;
    if (peak >= m) return none;
    const float a = static_cast<float>(level[peak] + r);
    if (!std::isfinite(a)) return none;

    // A level that is not a number stops the walk like a level below a; no
    // wavelength can be interpolated towards it, so the crossing is none.
    std::size_t i = peak;
    while (i > 0 && level[i] > a) --i;
    if (i == 0) return none;

    std::size_t j = peak;
    while (j < m && level[j] > a) ++j;
    if (j == m) return none;

    const auto f = [](double x) { return static_cast<float>(x); };
    const float leftWl = interpolateWavelength(a, f(w[i]), f(level[i]), f(w[i + 1]), f(level[i + 1]));
    const float rightWl = interpolateWavelength(a, f(w[j]), f(level[j]), f(w[j - 1]), f(level[j - 1]));
    if (!std::isfinite(leftWl) || !std::isfinite(rightWl)) return none;
    return {static_cast<float>(convertUnit(rightWl, Unit::Nm, unit)),
            static_cast<float>(convertUnit(leftWl, Unit::Nm, unit))};
}
