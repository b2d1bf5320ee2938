#pragma once

// Where the simulated unit's acquisition data comes from. The unit keeps
// its protocol and state machine to itself and asks a provider for the data
// of a sweep: sample arrays, marks, jump indexes, the reference signal,
// levels and status bits. The default provider gives deterministic test
// data; the optical bench replaces it (SimulatedUnit::setSweepDataProvider)
// with data computed from the lasers, the etalon and the device under test.
//
// Every call is made with the unit's lock held, from whichever thread
// talks to the unit: a provider must not call back into the unit from
// inside a call (endTriggeredAcquisition from another thread is fine).

#include <array>
#include <cstdint>
#include <vector>

namespace vemarsim {

// What the program told the DSP for the coming acquisition.
struct AcquisitionSettings {
    std::uint32_t configWord = 0;
    std::uint32_t samplingStepPm = 0;
    std::uint32_t markCount = 0;
    std::uint32_t level1 = 0;
    std::uint32_t level2 = 0;
    std::uint32_t hardwareCode = 0;

    bool trigger() const { return (configWord & 0x2) != 0; }
    bool externalClock() const { return (configWord & 0x8) != 0; }
    int firstInput() const { return static_cast<int>((configWord >> 4) & 0x3); }
    bool detectorEnabled(int detector) const  // 1..4; detector 1 is always on
    {
        return detector == 1 || (detector >= 2 && detector <= 4 && (configWord & (1u << (detector + 4))) != 0);
    }
    bool extEnabled() const { return (configWord & 0x200) != 0; }
    bool orlEnabled() const { return (configWord & 0x400) != 0; }
    bool auxEnabled() const { return (configWord & 0x800) != 0; }
    bool precise() const { return (configWord & 0x2000) != 0; }
    int lastInput() const { return static_cast<int>((configWord >> 14) & 0x3) + 1; }
    int mode() const { return static_cast<int>(configWord >> 16); }
};

// The arrays a sweep leaves in the DSP's memory.
enum class UnitArray {
    Output,
    Detector1,
    Detector2,
    Detector3,
    Detector4,
    Orl,
    Aux,
    Ext,
    ReferenceSignal,
    MarkSteps,
    JumpIndexes,  // 32-bit
    ExtraJumps,   // 32-bit
};

class SweepDataProvider {
public:
    virtual ~SweepDataProvider() = default;

    // DSP_ACQ_START and DSP_ACQ_STOP.
    virtual void acquisitionStarted(const AcquisitionSettings& settings) {}
    virtual void acquisitionStopped(const AcquisitionSettings& settings) {}

    // DSP_ARM_TRIGGER: simulated seconds until the triggered acquisition
    // ends (the unit then sends its end-of-scan notification), or a
    // negative value when the provider calls
    // SimulatedUnit::endTriggeredAcquisition itself.
    virtual double triggerArmed(const AcquisitionSettings& settings) = 0;

    // One array of the last sweep (asked when the program asks its size).
    virtual std::vector<std::uint16_t> words(UnitArray array, const AcquisitionSettings& settings) = 0;
    virtual std::vector<std::uint32_t> dwords(UnitArray array, const AcquisitionSettings& settings) = 0;

    // DSP_SAMPLE_LEVELS: ten raw converter codes (0 output monitor, 2-5
    // detectors 1-4, 7 EXT, 9 the reading recorded with each scan).
    virtual std::array<std::uint16_t, 10> sampleLevels(const AcquisitionSettings& settings) = 0;

    // Bits 1, 6 (the sweep goes on with the next source) and 8 of the
    // status word; the unit adds bits 11-12, the input it acquires.
    virtual std::uint16_t statusBits(const AcquisitionSettings& settings) = 0;

    // The input (0..3) the DSP acquires now, for bits 11-12: the first
    // input of the configuration, unless a chained acquisition has moved on
    // to a later source by itself.
    virtual int acquiredInput(const AcquisitionSettings& settings) { return settings.firstInput(); }
};

}  // namespace vemarsim
