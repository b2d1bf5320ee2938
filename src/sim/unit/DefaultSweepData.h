#pragma once

// The unit's data without an optical bench: deterministic arrays of a
// configurable length, plausible enough for the protocol and its tests
// (12-bit converter codes, a steady reference signal, evenly spaced marks).

#include <atomic>

#include "SweepDataProvider.h"

namespace vemarsim {

class DefaultSweepData final : public SweepDataProvider {
public:
    static constexpr std::uint32_t defaultSampleCount = 20000;

    void setSampleCount(std::uint32_t samples) { sampleCount_ = samples; }
    std::uint32_t sampleCount() const { return sampleCount_; }

    double triggerArmed(const AcquisitionSettings& settings) override;
    std::vector<std::uint16_t> words(UnitArray array, const AcquisitionSettings& settings) override;
    std::vector<std::uint32_t> dwords(UnitArray array, const AcquisitionSettings& settings) override;
    std::array<std::uint16_t, 10> sampleLevels(const AcquisitionSettings& settings) override;
    std::uint16_t statusBits(const AcquisitionSettings& settings) override;

private:
    std::atomic<std::uint32_t> sampleCount_{defaultSampleCount};
};

}  // namespace vemarsim
