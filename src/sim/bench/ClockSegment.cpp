#include "ClockSegment.h"

#include <cmath>
#include <limits>

namespace vemarsim {

namespace {
// With g = f - reference, dg/dx = -period (1 + k g): g + 1/k decays
// exponentially along the position.
constexpr double inverseDispersion = 1.0 / ClockSegment::dispersionPerGHz;
constexpr double decay = ClockSegment::periodGHz * ClockSegment::dispersionPerGHz;
}  // namespace

ClockSegment::ClockSegment(double startPosition, double startGHz)
    : start_(startPosition), startGHz_(startGHz), end_(std::numeric_limits<double>::infinity())
{
}

double ClockSegment::clockFrequency(double position) const
{
    const double g0 = startGHz_ - referenceGHz + inverseDispersion;
    return referenceGHz + g0 * std::exp(-decay * (position - start_)) - inverseDispersion;
}

double ClockSegment::clockPosition(double frequencyGHz) const
{
    const double g0 = startGHz_ - referenceGHz + inverseDispersion;
    return start_ - std::log((frequencyGHz - referenceGHz + inverseDispersion) / g0) / decay;
}

void ClockSegment::endAt(double stopGHz) { end_ = clockPosition(stopGHz + hopTotal()); }

void ClockSegment::addHop(double position, double sizeGHz)
{
    hopPositions_.push_back(position);
    hopSizes_.push_back(sizeGHz);
}

double ClockSegment::hopTotal() const
{
    double total = 0.0;
    for (const double size : hopSizes_) total += size;
    return total;
}

double ClockSegment::frequency(double position) const
{
    double f = clockFrequency(position);
    for (std::size_t h = 0; h < hopPositions_.size() && hopPositions_[h] < position; ++h) f -= hopSizes_[h];
    return f;
}

std::optional<double> ClockSegment::positionOf(double frequencyGHz) const
{
    // Piece i runs from hop i - 1 to hop i, shifted by the hops before it.
    double offset = 0.0;
    for (std::size_t i = 0; i <= hopPositions_.size(); ++i) {
        const double from = i == 0 ? start_ : hopPositions_[i - 1];
        const double to = i < hopPositions_.size() ? hopPositions_[i] : std::numeric_limits<double>::infinity();
        const double x = clockPosition(frequencyGHz + offset);
        if (x >= from && x < to) return x;
        if (i < hopSizes_.size()) offset += hopSizes_[i];
    }
    return std::nullopt;
}

}  // namespace vemarsim
