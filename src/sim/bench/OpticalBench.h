#pragma once

// The optical bench: the simulated unit's source of sweep data. It watches
// what the program tells the DSP and what the simulated lasers do, and
// answers the unit's questions from physics (SweepSynthesis): the lasers'
// sweeps recorded on the GPIB bus between DSP_ACQ_START and DSP_ACQ_STOP
// become the acquisition; the lasers' present output feeds the level
// readings; after DSP_ARM_TRIGGER the bench sweeps source 0 over its range
// by itself and lets the unit send the end of the scan.
//
// The unit calls in with its lock held; the bench then reads the GPIB bus
// (never the unit). Its own state is guarded by its own mutex.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "BenchModel.h"
#include "SweepDataProvider.h"
#include "SweepSynthesis.h"

namespace vemarsim {

class OpticalBench final : public SweepDataProvider {
public:
    explicit OpticalBench(std::shared_ptr<const BenchModel> model);

    void acquisitionStarted(const AcquisitionSettings& settings) override;
    void acquisitionStopped(const AcquisitionSettings& settings) override;
    double triggerArmed(const AcquisitionSettings& settings) override;
    std::vector<std::uint16_t> words(UnitArray array, const AcquisitionSettings& settings) override;
    std::vector<std::uint32_t> dwords(UnitArray array, const AcquisitionSettings& settings) override;
    std::array<std::uint16_t, 10> sampleLevels(const AcquisitionSettings& settings) override;
    std::uint16_t statusBits(const AcquisitionSettings& settings) override;
    int acquiredInput(const AcquisitionSettings& settings) override;

    const BenchModel& model() const { return *model_; }
    // Status bits 1 and 8 set on every status word from now on (tests).
    void forceStatusBits(std::uint16_t bits);
    // The mode hops of the last acquisition and the number of acquisitions.
    std::vector<TrueHop> lastHops() const;
    int acquisitions() const;

private:
    AcquisitionPlan planFor(const AcquisitionSettings& settings, std::vector<SourceSweep> sweeps) const;
    // Index of the source record at a GPIB address (-1 when none).
    static int sourceAt(int address);
    bool sourceLit(int source, bool outputOn) const;
    void synthesise(const AcquisitionSettings& settings, std::vector<SourceSweep> sweeps);

    const std::shared_ptr<const BenchModel> model_;

    // Protects everything below.
    mutable std::mutex mutex_;
    bool acquiring_ = false;
    std::uint64_t firstSweepAfter_ = 0;   // bus sweeps numbered above this belong to the acquisition
    std::vector<std::uint32_t> expectedLines_;
    std::shared_ptr<const SweepData> data_;
    std::uint16_t forcedBits_ = 0;
    std::uint64_t acquisitionCount_ = 0;
    std::uint64_t levelCount_ = 0;
};

}  // namespace vemarsim
