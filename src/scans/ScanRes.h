#pragma once

// The raw result of one scan: every sample's wavelength and the level seen on
// each channel slot, with the side information the scan controller gathers
// (velocities, detected lines, mode hops) and the uniform grid built for the
// text exports.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ScanChannels.h"

class ScanRes {
public:
    using ChannelArrays = std::array<std::vector<double>, ScanChannel::Count>;

    std::vector<double> lines;                  // nm, detected lines ("Line_detection")
    std::vector<double> wavelength;             // nm, one per sample, ascending after RemoveBackSteps
    std::vector<double> velocity;               // nm/s, one per sample, the first 0
    ChannelArrays values;                       // dBm per channel slot, one per sample when measured
    std::vector<double> referenceWavelengths;   // nm, wavelength-referencing points (mode hops)
    std::vector<double> referenceDeviations;    // deviation at each referencing point
    std::array<bool, ScanChannel::Count> present{};  // which channel slots were measured
    std::vector<double> resampledWavelength;    // nm, uniform grid built by Resample
    ChannelArrays resampledValues;              // channel values on that grid
    std::vector<std::pair<std::int32_t, std::int32_t>> segments;  // carried along when results are joined
    std::uint16_t level9 = 0;                   // DSP level reading 9 taken when the scan started
    std::int32_t firstSource = 0;               // first source used
    std::int32_t endSource = 0;                 // one past the last source used
    double scanStart = 0.0;                     // nm, start of the first source
    double scanStop = 0.0;                      // nm, stop of the last source
    std::vector<std::int32_t> sampleIndex;      // acquisition index of every sample
    // Mean sweep velocity (nm/s) of every source sweep joined into this
    // result, in sweep order; the measurement shows them in the chart title.
    std::vector<double> sweepVelocities;

    int sampleCount() const { return static_cast<int>(wavelength.size()); }

    // Joins the result of the next source (whose sweep starts inside this one
    // and ends after it) at the middle of their overlap. Returns 0, or -1
    // when the two do not overlap that way; both are then left unchanged.
    int Append(const ScanRes& next);

    // Keeps only samples whose wavelength rises above the last kept one; the
    // parallel arrays follow. Returns the number of samples removed.
    int RemoveBackSteps();

    // Trims a measured scan's arrays (its last sample, and a first sample
    // before startNm; a loaded scan is not trimmed), then fills the resampled
    // arrays on a uniform grid from startNm to stopNm with stepPm picometres
    // between points from what is left. Returns the number of grid points; 0
    // when the grid is empty or unreasonable (the resampled arrays are then
    // cleared and nothing is trimmed).
    int Resample(double startNm, double stopNm, double stepPm);

    // Largest grid Resample builds; 2000 nm at 0.2 pm. Larger requests come
    // from damaged settings or files and are refused rather than allocated.
    static constexpr long long maxResampledPoints = 10'000'000;

    // Text exports of the resampled arrays (ScanResText.cpp): the header line
    // (none when header is null), then one line per grid point. 0, or -1 when
    // the file cannot be written; nothing is then left behind.
    int WriteCsv(const std::string& fileName, const char* header, bool extReferenced) const;
    int WriteTxt(const std::string& fileName, const char* header, bool extReferenced) const;
};
