#pragma once

// The scan controller: drives one scan. It configures the DSP from the scan
// parameter block, sweeps the laser sources one after the other while the
// DSP samples the output monitor, the detectors and the wavelength
// reference, reads each sweep back, gives every sample its wavelength
// (CorrectSauts) and its levels (TabCalib), checks the sweep for what the
// user is warned about, and joins the sweeps into the trace's raw result.
// It also offers the input power check made before a measurement, the
// smallest usable sampling step and the input selection of the power page.
//
// A ControlSnS is a Dsp: it holds the unit open while it lives. It runs on
// one thread (the measurement's); the cancel request is read between steps
// and while waiting for a triggered sweep.
//
// Result codes of Scan: 0 success; 1 cancelled; 2 data counts inconsistent;
// 3 fewer than 6 reference marks (or a sweep that cannot be referenced);
// 4 the DSP acquires another input than the one swept; 5 a DSP command
// failed; the negative code of a source that did not reach its stop (with
// errorText); warnings 101, 102, 106 to 114.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dsp.h"
#include "IdentityRecord.h"
#include "ScanMaths.h"
#include "ScanParameterBlock.h"
#include "SweepProcessing.h"

class C_Switch;
class ConfLaser;
class ScanRes;
class TabCalib;

class ControlSnS : public Dsp {
public:
    using CancelRequested = std::function<bool()>;

    static constexpr int Cancelled = 1;
    static constexpr int CountsInconsistent = 2;
    static constexpr int TooFewMarks = 3;
    static constexpr int WrongInput = 4;
    static constexpr int CommandFailed = 5;
    static constexpr int StatusBit8 = 107;

    static constexpr std::uint32_t maxJumpIndexes = 1000;
    static constexpr std::uint32_t maxExtraJumps = 1500;
    static constexpr std::uint32_t maxMarkSteps = 1500;
    static constexpr std::uint32_t maxSamples = 333333;
    static constexpr int triggeredScanTimeoutMs = 3600000;

    // The configuration words of the power checks and of the input
    // selection (inputs 0 and 2, inputs 1 and 3).
    static constexpr std::uint32_t powerCheckInput0 = 70085;
    static constexpr std::uint32_t powerCheckInput1 = 86485;
    static constexpr std::uint32_t powerInput0 = 4549;
    static constexpr std::uint32_t powerInput1 = 20949;

    // Connection only (the power-control page).
    ControlSnS();
    // Copies and normalises the block, loads the unit's calibration and the
    // EXT correction from calibFolder, and sends the configuration.
    ControlSnS(const ScanParameterBlock& block, const IdentityRecord& identity, std::string calibFolder);
    // The same with the calibration tables of the measurement, loaded once
    // by its owner; they must outlive the controller.
    ControlSnS(const ScanParameterBlock& block, const IdentityRecord& identity, std::string calibFolder,
               TabCalib& calib);
    ~ControlSnS() override;

    // DSP_SET_HARDWARE_CODE, then DSP_SET_CONFIG with the configuration word;
    // with the switch active the switch first closes the channel (0: the
    // block's input index). 0, or 5 when a command fails.
    int SendConfiguration(int channel = 0);
    int MinimumSamplingStep(const ConfLaser& sources) const;
    int CheckInputPowers(ConfLaser& sources);
    int Scan(ConfLaser& sources, ScanRes& result, const CancelRequested& cancel);
    // Ten levels, each the rounded mean of `repeat` readings. 0, or 5.
    int ReadLevels(std::array<std::int32_t, 10>& levels, int repeat);
    int SelectPowerInput(int input);
    double BncLevel(double wavelengthNm, double volts) const;

    ScanParameterBlock& block() { return block_; }
    const ScanParameterBlock& block() const { return block_; }
    // The controller's own error text of the last scan, if any.
    const std::optional<std::string>& errorText() const { return errorText_; }
    TabCalib& calib() { return *calib_; }

    // The address the switch of the block is opened at.
    static int switchAddressOf(const ScanParameterBlock& block);

    // What the last sweep read back (the per-sweep arrays, exact sizes).
    std::int32_t transitionCount() const { return static_cast<std::int32_t>(transitions_.size()); }
    std::int32_t markCount() const { return static_cast<std::int32_t>(marks_.size()); }
    std::int32_t sampleCount() const { return static_cast<std::int32_t>(outputCodes_.size()); }
    std::int32_t extraCount() const { return static_cast<std::int32_t>(extraTransitions_.size()); }
    const std::vector<double>& transitions() const { return transitions_; }
    const std::vector<double>& marks() const { return marks_; }
    const std::vector<double>& referenceSignal() const { return referenceSignal_; }
    const std::vector<std::int32_t>& outputCodes() const { return outputCodes_; }
    const std::vector<std::int32_t>& detectorCodes(int detector) const { return detectorCodes_.at(detector); }
    std::int32_t statusBit1() const { return statusBit1_; }
    std::int32_t hardwareCode() const { return hardwareCode_; }
    std::int32_t switchChannel() const { return switchChannel_; }

    // The two halves of a sweep's handling, public for the benchmarks that
    // time the host's processing apart from the transfer.
    // Reads one sweep back from the DSP: 0, 107, or the error code.
    int ReadSweep();
    // Turns the sweep last read into the partial result of sources
    // partial.firstSource to partial.endSource - 1 (k = 0 for the first
    // partial of a scan): wavelengths, levels, lines, hops, velocities.
    // 0, a warning, or the error code of the referencing.
    int ProcessSweep(const ConfLaser& sources, ScanRes& partial, int k);

private:
    void setUp();
    void normaliseBlock();
    void createSwitch();
    int sendConfigWord(std::uint32_t word);
    int ReadStatusWord(std::uint16_t& status);
    // Reads an array of words into the scratch buffer; 0 or 5.
    int readWordArray(std::uint16_t command, std::uint32_t capacity, std::uint32_t& count);
    int readChannel(std::uint16_t command, std::vector<std::int32_t>& codes);
    bool WaitEndOfTriggeredScan(int timeoutMs, const CancelRequested& cancel);
    int ScanTriggered(ConfLaser& sources, ScanRes& result, std::uint16_t level9, const CancelRequested& cancel);
    int ScanSources(ConfLaser& sources, ScanRes& result, std::uint16_t level9, const CancelRequested& cancel);
    int setAcquisitionLevels(double startNm);
    // The last sweep, as the processing functions read it.
    SweepProcessing::Readback readback() const;

    ScanParameterBlock block_{};
    bool hasBlock_ = false;
    std::optional<std::string> errorText_;
    // The tables the controller reads: its own, or the measurement's.
    std::unique_ptr<TabCalib> ownCalib_;
    TabCalib* calib_ = nullptr;
    IdentityRecord identity_;
    std::string calibFolder_;
    std::unique_ptr<C_Switch> switch_;
    std::int32_t switchChannel_ = 0;
    std::int32_t hardwareCode_ = 0;
    std::int32_t statusBit1_ = 0;
    ScanMaths::BncCorrection bncCorrection_;

    // The last sweep.
    std::vector<double> transitions_;
    std::vector<std::int32_t> extraTransitions_;
    std::vector<double> marks_;
    std::vector<double> referenceSignal_;
    std::vector<std::int32_t> outputCodes_;
    std::array<std::vector<std::int32_t>, 4> detectorCodes_;
    std::vector<std::int32_t> extCodes_;
    std::vector<std::int32_t> orlCodes_;
    std::vector<std::int32_t> auxCodes_;
    // Receives each array before it is copied at its exact size; made once
    // per controller at the size of the largest array.
    std::vector<std::uint16_t> scratch_;
};
