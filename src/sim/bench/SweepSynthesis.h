#pragma once

// What the unit holds after an acquisition, computed from the sweeps of the
// lasers: one sample per sampling step of k-clock periods, each with the
// codes of the output monitor, the detectors behind the device under test
// and the EXT, ORL and auxiliary inputs; the reference signal (each
// sample's duration in 64 ticks of 150 MHz); the mark pairs around every
// reference line the sweep crossed; the jump index that ends each source's
// samples; and, in acquisition modes 2 and 3, the positions of the other
// set of lines.
//
// The reference lines are those of the unit's calibration (mode 2: the
// peaks of the etalon on port 1). A pair of marks bounds the part of the
// sweep where the line's signal stands above the DSP's threshold. A sweep
// that starts inside that part gets a pair beginning at its start and
// status bit 1; a pair still open when a source's sweep ends is dropped.
// An externally triggered sweep sees no line in its first 14.8 % of a line
// spacing (the source is still settling).

#include <array>
#include <cstdint>
#include <vector>

#include "BenchModel.h"

namespace vemarsim {

struct SourceSweep {
    int source = 0;  // source index 0..3
    double startNm = 0.0;
    double stopNm = 0.0;
    double speedNmPerS = 0.0;
    double powerMw = 0.0;
    bool lit = false;  // the light of the source reaches the unit
};

struct AcquisitionPlan {
    std::vector<SourceSweep> sweeps;  // in acquisition order
    // Lines the DSP was told to expect for each sweep (DSP_SET_MARK_COUNT);
    // it keeps no more pairs than that. 0: no limit.
    std::vector<std::uint32_t> expectedLines;
    int samplingStep = 1;
    int mode = 0;
    bool trigger = false;
    std::array<bool, 4> detectors{true, false, false, false};
    bool ext = false;
    bool orl = false;
    bool aux = false;
    std::uint64_t seed = 1;  // of this acquisition's noise and hops
};

struct TrueHop {
    double wavelengthNm = 0.0;  // where the laser was when it hopped
    double sizeGHz = 0.0;       // positive: forward along the sweep
};

struct SweepData {
    // Indexed like UnitArray's first eight: output, detectors 1-4, ORL, AUX, EXT.
    std::array<std::vector<std::uint16_t>, 8> channels;
    std::vector<std::uint16_t> referenceSignal;
    std::vector<std::uint16_t> markSteps;
    std::vector<std::uint32_t> jumpIndexes;
    std::vector<std::uint32_t> extraJumps;
    bool startedOnLine = false;
    std::vector<TrueHop> hops;
};

// Limits of the unit's memory.
inline constexpr std::uint32_t maxSamplesPerChannel = 333333;
inline constexpr std::uint32_t acquisitionMemory = 1000000;
inline constexpr std::size_t maxMarkSteps = 1500;
inline constexpr std::size_t maxJumpIndexes = 1000;
// Half the width (GHz) over which the unit's own reference lines stand
// above the threshold.
inline constexpr double referenceLineHalfWidthGHz = 4.0;

SweepData synthesiseSweep(const AcquisitionPlan& plan, const BenchModel& model);

// The sampling step's shift: the DSP sums a window and keeps the sum >> shift.
int samplingShiftOf(int step);

// Light on the laser input in mW turned into the ten level readings.
struct LightOnInput {
    double powerMw = 0.0;
    double wavelengthNm = 1550.0;
};
std::array<std::uint16_t, 10> levelReadings(const std::vector<LightOnInput>& lights, double strayMw,
                                            const BenchModel& model, std::uint64_t seed);

}  // namespace vemarsim
