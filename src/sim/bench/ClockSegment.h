#pragma once

// One source's sweep on the unit's k-clock. The k-clock ticks once per
// about 80 MHz of optical frequency (slightly more at higher frequencies:
// the interferometer behind it is a little dispersive), so the frequency of
// the light falls along the count of ticks (the position) by a smooth,
// nearly linear law. A mode hop makes the laser jump in frequency while
// the k-clock goes on counting: after the hop the true frequency lies off
// the clock's by the hop's size.
//
// Positions continue from one chained source to the next; a segment starts
// at the position where the one before it ended.

#include <optional>
#include <vector>

namespace vemarsim {

class ClockSegment {
public:
    static constexpr double periodGHz = 0.08;            // at the reference frequency
    static constexpr double referenceGHz = 193414.489;   // 1550 nm
    static constexpr double dispersionPerGHz = 2e-7;     // relative change of the period per GHz

    ClockSegment(double startPosition, double startGHz);

    // Size of one clock period (GHz) at a frequency.
    static double periodAt(double frequencyGHz) { return periodGHz * (1.0 + dispersionPerGHz * (frequencyGHz - referenceGHz)); }

    double startPosition() const { return start_; }
    double startFrequency() const { return startGHz_; }
    double endPosition() const { return end_; }
    // Ends the segment where the true frequency reaches stopGHz.
    void endAt(double stopGHz);
    // An empty segment (a dark source gives the clock no light).
    void endHere() { end_ = start_; }
    bool empty() const { return !(end_ > start_); }

    // A hop at a position after the previous ones; positive sizes jump
    // forward (down in frequency, along the sweep).
    void addHop(double position, double sizeGHz);
    double hopTotal() const;
    const std::vector<double>& hopPositions() const { return hopPositions_; }
    const std::vector<double>& hopSizes() const { return hopSizes_; }

    // The true frequency at a position.
    double frequency(double position) const;
    // The first position from the start at which the true frequency is f.
    std::optional<double> positionOf(double frequencyGHz) const;

private:
    double clockFrequency(double position) const;
    double clockPosition(double frequencyGHz) const;

    double start_;
    double startGHz_;
    double end_;
    std::vector<double> hopPositions_;
    std::vector<double> hopSizes_;
};

}  // namespace vemarsim
