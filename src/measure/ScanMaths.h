#pragma once

// The arithmetic of one scan, kept apart from the exchanges with the DSP so
// that it can be checked with hand-computed answers: the configuration word,
// the smallest usable sampling step, mark counts, the merge of the jump
// indexes, the normalisation of converter codes, sweep velocities and the
// EXT input read as an optical power.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Frequency.h"
#include "ScanParameterBlock.h"

namespace ScanMaths {

// Acquisition memory shared by every acquired channel, in samples.
inline constexpr int acquisitionMemory = 1000000;
inline constexpr int largestSamplingStep = 250;

// The DSP_SET_CONFIG parameter for the block.
std::uint32_t configurationWord(const ScanParameterBlock& block);

// The expected reference marks of a sweep: its span in units of 100 GHz,
// plus 2.
std::int32_t markCountFor(double startNm, double stopNm);

// Span of a sweep in k-clock periods of 80 MHz.
std::int64_t spanInClockPeriods(double startNm, double stopNm);

// The smallest step (pm, from the block's) at which `span` k-clock periods
// fit the acquisition memory for the block's channels; at most 250. A step
// below 1 counts as 1: there is no sampling below one period.
int minimumSamplingStep(const ScanParameterBlock& block, std::int64_t span);

// Largest s with 2^s <= step (0 for steps of 1 and below).
int samplingShift(int step);

// The jump indexes as the DSP reports them, merged: an index less than 5
// above the last kept one replaces it by their mean.
std::vector<double> mergeJumpIndexes(std::span<const std::uint32_t> indexes);

// Each raw code becomes (raw x 2^shift) / step: the DSP sums a window of
// `step` periods and shifts the sum right to fit a word.
std::vector<std::int32_t> normaliseCodes(std::span<const std::uint16_t> raw, int step);

// Velocity of every sample (nm/s; the first 0, a sample that does not rise
// keeps the previous velocity) from the wavelengths and the reference
// signal (sample durations in 64 ticks of 150 MHz).
std::vector<double> sampleVelocities(std::span<const double> wavelengths, std::span<const double> referenceSignal);
// Mean of the velocities over the sweep: their sum over (count - 1); 0 for
// fewer than two samples.
double meanVelocity(std::span<const double> velocities);

// What the checks of a processed sweep look at.
struct SweepFigures {
    int hopCount = 0;
    double largestHopGHz = 0.0;  // magnitude
    double meanVelocity = 0.0;   // nm/s
    bool outputSaturated = false;
    std::array<bool, 4> detectorSaturated{};  // detectors 1 to 4 (those read)
    bool hasOutput = false;
    double outputLowestDbm = 0.0;
    double outputHighestDbm = 0.0;
};

// The warning of a sweep, 0 when none. The checks run in this order and a
// later one replaces an earlier one: numerous or large mode hops (108),
// speed too low (101) or too high (102), saturated output (110) or
// detectors (111-114), an output level below -16 dBm (106), output levels
// more than 3 dB apart (109).
int sweepCheckCode(const SweepFigures& figures);

// Mean of `repeat` summed readings, rounded to the nearest (a tie going up).
std::int32_t meanLevel(std::int64_t sum, int repeat);

// The table of "LocalAutoCalibBNC.dat" as the controller uses it.
struct BncCorrection {
    double start = 0.0;  // nm
    double step = 0.0;   // nm
    std::vector<double> values;  // dB
};

// The EXT input read as an optical power: alpha + beta x volts, in dBm
// (-100 for a non-positive power when the unit is mW), less the local
// correction at the wavelength when the table has more than 2 values.
double bncLevel(const ScanParameterBlock& block, const BncCorrection& correction, double wavelengthNm, double volts);

}  // namespace ScanMaths
