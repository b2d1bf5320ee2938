#include "ControlSnS.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "C_Switch.h"
#include "CorrectSauts.h"
#include "LinkTiming.h"
#include "LocalAutoCalibBNC.h"
#include "Log.h"
#include "NumberFormat.h"
#include "ScanRes.h"
#include "ScanResultText.h"
#include "Sourceconfig.h"
#include "SweepProcessing.h"
#include "TabCalib.h"
#include "ValeursWLFile.h"

namespace {

constexpr std::uint16_t statusChained = 0x0040;
constexpr std::uint16_t statusStartedOnLine = 0x0002;
constexpr std::uint16_t statusBit8 = 0x0100;
constexpr int statusInputShift = 11;

// A normalised flag: anything but 0 or 1 counts as set.
std::int16_t flagOf(std::int16_t value) { return value == 0 || value == 1 ? value : 1; }

}  // namespace

ControlSnS::ControlSnS() : ownCalib_(std::make_unique<TabCalib>(std::string(), 0)), calib_(ownCalib_.get()) {}

ControlSnS::ControlSnS(const ScanParameterBlock& block, const IdentityRecord& identity, std::string calibFolder)
    : block_(block), hasBlock_(true), identity_(identity), calibFolder_(std::move(calibFolder))
{
    ownCalib_ = std::make_unique<TabCalib>(calibFolder_, identity_);
    IdentityRecord fileIdentity = identity_;
    if (ownCalib_->Load(fileIdentity) != 0)
        Log::warn("ControlSnS: no calibration file for %s in %s: the levels are not calibrated\n",
                  identity_.serialText().c_str(), calibFolder_.c_str());
    calib_ = ownCalib_.get();
    setUp();
}

ControlSnS::ControlSnS(const ScanParameterBlock& block, const IdentityRecord& identity, std::string calibFolder,
                       TabCalib& calib)
    : block_(block), hasBlock_(true), calib_(&calib), identity_(identity), calibFolder_(std::move(calibFolder))
{
    setUp();
}

void ControlSnS::setUp()
{
    createSwitch();
    normaliseBlock();

    const std::string bncPath = (std::filesystem::path(calibFolder_) / LocalAutoCalibBNC::fileName).string();
    std::error_code ec;  // a path the system refuses (too long) is no table either
    if (std::filesystem::exists(bncPath, ec)) {
        if (const auto table = readLocalAutoCalibBNC(bncPath); table && table->hasTable())
            bncCorrection_ = {table->start, table->step, table->values};
        else if (!table)
            Log::warn("ControlSnS: %s is damaged and not used\n", bncPath.c_str());
    }

    hardwareCode_ = identity_.hardwareCode();
    SendConfiguration(switchChannel_);
}

ControlSnS::~ControlSnS() = default;

int ControlSnS::switchAddressOf(const ScanParameterBlock& block)
{
    return block.switchAddress != 0 && block.switchStartChannel != 0 ? block.switchAddress : C_Switch::defaultAddress;
}

void ControlSnS::createSwitch()
{
    if (block_.switchActive == 0) return;
    if (block_.switchAddress != 0 && block_.switchStartChannel != 0)
        switch_ = std::make_unique<C_Switch>(block_.switchAddress, block_.switchStartChannel);
    else
        switch_ = std::make_unique<C_Switch>();
    switchChannel_ = block_.inputIndex * block_.switchPortOffset;
}

void ControlSnS::normaliseBlock()
{
    block_.flagA = flagOf(block_.flagA);
    block_.flagB = flagOf(block_.flagB);
    block_.flagC = flagOf(block_.flagC);
    block_.flagD = flagOf(block_.flagD);
    block_.precise = flagOf(block_.precise);
    if (block_.inputIndex < 0 || block_.inputIndex > 3) block_.inputIndex = 0;
    if (block_.lastInputIndex < 0 || block_.lastInputIndex > 3) block_.lastInputIndex = 3;
    if (block_.markCount < 0) block_.markCount = 0;
    if (block_.samplingStep < 0) block_.samplingStep = 0;
}

int ControlSnS::sendConfigWord(std::uint32_t word)
{
    return SendCommand(DSP_SET_CONFIG, word) == DspResult::Ok ? 0 : CommandFailed;
}

int ControlSnS::SendConfiguration(int channel)
{
    if (block_.switchActive != 0 && switch_) switch_->Select(channel != 0 ? channel : block_.inputIndex);
    if (SendCommand(DSP_SET_HARDWARE_CODE, static_cast<std::uint32_t>(hardwareCode_)) != DspResult::Ok)
        return CommandFailed;
    return sendConfigWord(ScanMaths::configurationWord(block_));
}

int ControlSnS::MinimumSamplingStep(const ConfLaser& sources) const
{
    std::int64_t span = 0;
    if (block_.flagD != 0) {
        for (const SourceConfig& source : sources.sources)
            if (source.enable && source.rangeValid)
                span = std::max(span, ScanMaths::spanInClockPeriods(source.start, source.stop));
    }
    return ScanMaths::minimumSamplingStep(block_, span);
}

int ControlSnS::ReadStatusWord(std::uint16_t& status)
{
    std::uint32_t got = 0;
    status = 0;
    if (ReadWords(DSP_READ_STATUS_WORD, &status, 1, got) != DspResult::Ok || got != 1) return CommandFailed;
    return 0;
}

int ControlSnS::ReadLevels(std::array<std::int32_t, 10>& levels, int repeat)
{
    std::array<std::int64_t, 10> sums{};
    std::array<std::uint16_t, 10> reading{};
    for (int r = 0; r < repeat; ++r) {
        if (SendCommand(DSP_SAMPLE_LEVELS) != DspResult::Ok) return CommandFailed;
        LinkTiming::sleepMs(1);
        std::uint32_t got = 0;
        if (ReadWords(DSP_READ_LEVELS, reading.data(), 10, got) != DspResult::Ok || got != 10) return CommandFailed;
        for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += reading[i];
    }
    for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = ScanMaths::meanLevel(sums[i], repeat);
    return 0;
}

int ControlSnS::SelectPowerInput(int input)
{
    if (block_.switchActive != 0 && switch_) {
        switch_->Select(input);
        return 0;
    }
    return sendConfigWord(input % 2 == 0 ? powerInput0 : powerInput1);
}

double ControlSnS::BncLevel(double wavelengthNm, double volts) const
{
    return ScanMaths::bncLevel(block_, bncCorrection_, wavelengthNm, volts);
}

// ---------------------------------------------------------------------------
// Input power check

int ControlSnS::CheckInputPowers(ConfLaser& sources)
{
    if (block_.trigger != 0 || block_.switchActive != 0) return 0;
    int run = 0;
    while (run < ConfLaser::sourceCount && sources.sources[static_cast<std::size_t>(run)].enable) ++run;
    auto source = [&](int i) -> SourceConfig& { return sources.sources[static_cast<std::size_t>(i)]; };
    auto wordOf = [](int i) { return i % 2 == 0 ? powerCheckInput0 : powerCheckInput1; };
    const auto power = static_cast<float>(sources.power);

    // A DSP command that fails here is not reported: the scan that follows
    // meets the same link and reports it with its own code.
    std::array<std::int32_t, 10> levels{};
    int code = 0;
    if (run < 3) {
        sendConfigWord(powerCheckInput0);
        ReadLevels(levels, 10);
    } else {
        for (int i = 0; i < run; ++i) source(i).ApplyCurrent(0.0f);
        for (const std::uint32_t word : {powerCheckInput0, powerCheckInput1}) {
            sendConfigWord(word);
            if (ReadLevels(levels, 10) == 0 && levels[0] > 500) code = 115;
        }
    }
    for (int i = 0; i < run; ++i) {
        sendConfigWord(wordOf(i));
        LinkTiming::sleepMs(50);
        source(i).ApplyPower(power);
        if (ReadLevels(levels, 10) == 0) {
            if (levels[0] < 1000)
                code = 117 + i;
            else if (levels[0] > 4000)
                code = 121 + i;
        }
        if (run > 2) source(i).ApplyCurrent(0.0f);
    }
    for (int i = 0; i < ConfLaser::sourceCount; ++i) {
        if (source(i).enable && source(i).rangeValid) {
            sendConfigWord(wordOf(i));
            source(i).ApplyPower(power);
            break;
        }
    }
    return code;
}

// ---------------------------------------------------------------------------
// One scan

int ControlSnS::Scan(ConfLaser& sources, ScanRes& result, const CancelRequested& cancel)
{
    // The input index changes while the sources are swept; every way out
    // gives it back.
    struct RestoreInput {
        ScanParameterBlock& block;
        std::int16_t saved;
        ~RestoreInput() { block.inputIndex = saved; }
    } restore{block_, block_.inputIndex};

    block_.inputIndex = static_cast<std::int16_t>(std::clamp(sources.firstActive, 0, 3));
    errorText_.reset();
    std::array<std::int32_t, 10> levels{};
    if (ReadLevels(levels, 10) != 0) return CommandFailed;
    const auto level9 = static_cast<std::uint16_t>(std::clamp(levels[9], 0, 0xFFFF));
    block_.flagD = 1;
    if (SendConfiguration(switchChannel_) != 0) return CommandFailed;
    if (cancel()) return Cancelled;
    if (SendCommand(DSP_SET_SAMPLING_STEP, static_cast<std::uint32_t>(std::max<int>(block_.samplingStep, 0))) !=
        DspResult::Ok)
        return CommandFailed;

    const int code = block_.trigger != 0 ? ScanTriggered(sources, result, level9, cancel)
                                         : ScanSources(sources, result, level9, cancel);
    if (cancel()) return Cancelled;
    if (ScanResultText::isError(code)) return code;

    result.RemoveBackSteps();
    const int first = std::clamp(result.firstSource, 0, ConfLaser::sourceCount - 1);
    const int last = std::clamp(result.endSource - 1, 0, ConfLaser::sourceCount - 1);
    const SourceConfig& firstSource = sources.sources[static_cast<std::size_t>(first)];
    // The grid starts where the user asked, without the alignment shift.
    const double gridStart = gigahertzNm / (gigahertzNm / firstSource.start - firstSource.startShift);
    result.Resample(gridStart, sources.sources[static_cast<std::size_t>(last)].stop, std::max<int>(block_.samplingStep, 1));
    return code;
}

int ControlSnS::setAcquisitionLevels(double startNm)
{
    const TabCalib::Levels levels = calib_->LevelsAt(gigahertzNm / startNm);
    const std::uint32_t fixed = startNm < 1400.0 ? 100 : 200;
    const auto fromCalibration = static_cast<std::uint32_t>(std::trunc(0.8 * levels.level1));
    std::uint32_t level1 = fromCalibration;
    std::optional<std::uint32_t> level2;
    if (block_.acquisitionMode == 2) {
        level1 = fixed;
        level2 = fromCalibration;
    } else if (block_.acquisitionMode == 3) {
        level2 = fixed;
    }
    if (SendCommand(DSP_SET_LEVEL_1, level1) != DspResult::Ok) return CommandFailed;
    if (level2 && SendCommand(DSP_SET_LEVEL_2, *level2) != DspResult::Ok) return CommandFailed;
    return 0;
}

bool ControlSnS::WaitEndOfTriggeredScan(int timeoutMs, const CancelRequested& cancel)
{
    constexpr int pollMs = 50;
    const int polls = timeoutMs / pollMs;
    if (RxCount() != 0) Flush();
    int steps = 0;
    bool stopped = false;
    while (!cancel() && !stopped) {
        while (RxCount() < 2 && !cancel()) {
            if (++steps >= polls) {
                SendCommand(DSP_ACQ_STOP);
                stopped = true;
                break;
            }
            LinkTiming::sleepMs(pollMs);
        }
        if (stopped || cancel()) break;
        std::array<std::uint8_t, 2> word{};
        if (ReadExactly(word.data(), 2) && (word[0] | (word[1] << 8)) == DSP_END_OF_SCAN) return true;
    }
    if (!stopped) SendCommand(DSP_ACQ_STOP);
    return false;
}

int ControlSnS::ScanTriggered(ConfLaser& sources, ScanRes& result, std::uint16_t level9, const CancelRequested& cancel)
{
    const SourceConfig& source0 = sources.sources[0];
    if (SendCommand(DSP_SET_MARK_COUNT, static_cast<std::uint32_t>(ScanMaths::markCountFor(source0.start, source0.stop))) !=
            DspResult::Ok ||
        SendCommand(DSP_ARM_TRIGGER, 1) != DspResult::Ok)
        return CommandFailed;
    if (!WaitEndOfTriggeredScan(triggeredScanTimeoutMs, cancel) && !cancel())
        Log::warn("ControlSnS: no end of the triggered scan; reading what the DSP holds\n");
    int code = 0;
    if (!cancel()) {
        code = ReadSweep();
        if (ScanResultText::isError(code)) return code;
    }
    result.firstSource = sources.firstActive;
    result.endSource = sources.firstActive + 1;
    result.scanStart = source0.start;
    result.scanStop = source0.stop;
    result.level9 = level9;
    if (!cancel()) code = ProcessSweep(sources, result, 0);
    return code;
}

int ControlSnS::ScanSources(ConfLaser& sources, ScanRes& result, std::uint16_t level9, const CancelRequested& cancel)
{
    const int lastSource = sources.endActive - 1;
    const auto power = static_cast<float>(sources.power);
    const bool switched = block_.switchActive != 0;
    int code = 0;
    bool firstPartial = true;
    const int count = std::clamp<int>(sources.count, 0, ConfLaser::sourceCount);
    for (int j = 0; j < count && !cancel(); ++j) {
        SourceConfig& source = sources.sources[static_cast<std::size_t>(j)];
        if (!source.enable || !source.rangeValid) continue;
        SourceConfig& partner = sources.sources[static_cast<std::size_t>((j + 2) % 4)];
        if (partner.enable) partner.ApplyCurrent(0.0f);

        std::uint16_t status = 0;
        if (ReadStatusWord(status) != 0) return CommandFailed;
        if (!switched && ((status >> statusInputShift) & 0x3) != j) {
            SendCommand(DSP_ACQ_STOP);
            return WrongInput;
        }
        if (SendCommand(DSP_SET_MARK_COUNT, static_cast<std::uint32_t>(ScanMaths::markCountFor(source.start, source.stop))) !=
            DspResult::Ok)
            return CommandFailed;
        if (setAcquisitionLevels(source.start) != 0) return CommandFailed;
        if (!cancel() && SendCommand(DSP_ACQ_START) != DspResult::Ok) return CommandFailed;
        if (!cancel()) {
            if (const int r = source.MoveToStop(); r != 0) {
                errorText_ = cformat("Invalid Wavelength(%.3f nm) on TLS%d.", source.stop, j + 1);
                // The DSP is not left acquiring a sweep that will not come.
                SendCommand(DSP_ACQ_STOP);
                return r;
            }
        }
        if (partner.enable) {
            source.ApplyCurrent(0.0f);
            partner.ApplyPower(power);
        }
        if (ReadStatusWord(status) != 0) return CommandFailed;
        const bool chained = (status & statusChained) != 0;
        if (chained && j != lastSource) continue;  // the DSP goes on acquiring with the next source
        if (SendCommand(DSP_ACQ_STOP) != DspResult::Ok) return CommandFailed;
        if (!cancel()) {
            if (block_.trigger == 0) source.StartMoveToStart();
            code = ReadSweep();
            if (ScanResultText::isError(code)) return code;
        }
        if (!cancel() && !chained && j != lastSource) {
            block_.inputIndex = static_cast<std::int16_t>(switched ? (j + 1) * block_.switchPortOffset : j + 1);
            if (SendConfiguration(0) != 0) return CommandFailed;
        }

        ScanRes later;
        ScanRes& partial = firstPartial ? result : later;
        partial.firstSource = firstPartial ? sources.firstActive : result.endSource;
        partial.endSource = j + 1;
        partial.scanStart = sources.sources[static_cast<std::size_t>(std::clamp(partial.firstSource, 0, 3))].start;
        partial.scanStop = source.stop;
        partial.level9 = level9;
        if (!cancel()) {
            code = ProcessSweep(sources, partial, firstPartial ? 0 : 1);
            if (ScanResultText::isError(code)) return code;
            if (!firstPartial && result.Append(partial) != 0)
                Log::warn("ControlSnS: the sweep of TLS%d does not overlap the one before; it is left out\n", j + 1);
        }
        firstPartial = false;
    }
    return code;
}

// ---------------------------------------------------------------------------
// Reading and processing a sweep

int ControlSnS::readWordArray(std::uint16_t command, std::uint32_t capacity, std::uint32_t& count)
{
    if (scratch_.size() < maxSamples) scratch_.resize(maxSamples);
    count = 0;
    const std::uint32_t room = std::min<std::uint32_t>(capacity, static_cast<std::uint32_t>(scratch_.size()));
    return ReadWords(command, scratch_.data(), room, count) == DspResult::Ok ? 0 : CommandFailed;
}

int ControlSnS::readChannel(std::uint16_t command, std::vector<std::int32_t>& codes)
{
    std::uint32_t count = 0;
    if (readWordArray(command, maxSamples, count) != 0) return CommandFailed;
    codes = ScanMaths::normaliseCodes(std::span<const std::uint16_t>(scratch_.data(), count), block_.samplingStep);
    return 0;
}

int ControlSnS::ReadSweep()
{
    std::uint16_t status = 0;
    if (ReadStatusWord(status) != 0) return CommandFailed;

    transitions_.clear();
    extraTransitions_.clear();
    marks_.clear();
    referenceSignal_.clear();
    if (block_.flagA != 0) {
        std::vector<std::uint32_t> jumps(maxJumpIndexes);
        std::uint32_t got = 0;
        if (ReadDwords(DSP_READ_JUMP_INDEXES, jumps.data(), maxJumpIndexes, got) != DspResult::Ok) return CommandFailed;
        transitions_ = ScanMaths::mergeJumpIndexes(std::span<const std::uint32_t>(jumps.data(), got));
        if (block_.acquisitionMode == 2 || block_.acquisitionMode == 3) {
            std::vector<std::uint32_t> extra(maxExtraJumps);
            if (ReadDwords(DSP_READ_EXTRA_JUMPS, extra.data(), maxExtraJumps, got) != DspResult::Ok) return CommandFailed;
            extraTransitions_.assign(extra.begin(), extra.begin() + got);
        }
        std::uint32_t count = 0;
        if (readWordArray(DSP_READ_MARK_STEPS, maxMarkSteps, count) != 0) return CommandFailed;
        if (count < 6) return TooFewMarks;
        marks_.resize(count);
        double position = 0.0;
        for (std::uint32_t i = 0; i < count; ++i) marks_[i] = position += scratch_[i];
        if (readWordArray(DSP_READ_REF_SIGNAL, maxSamples, count) != 0) return CommandFailed;
        referenceSignal_.assign(scratch_.begin(), scratch_.begin() + count);
    }

    if (readChannel(DSP_READ_OUTPUT, outputCodes_) != 0) return CommandFailed;
    if (block_.flagA != 0 && outputCodes_.size() != referenceSignal_.size()) return CountsInconsistent;
    auto channel = [&](bool read, std::uint16_t command, std::vector<std::int32_t>& codes) {
        if (!read) {
            codes.clear();
            return 0;
        }
        if (readChannel(command, codes) != 0) return CommandFailed;
        return codes.size() == outputCodes_.size() ? 0 : CountsInconsistent;
    };
    const std::array<std::pair<bool, std::uint16_t>, 4> detectors{{{true, DSP_READ_DETECTOR1},
                                                                    {block_.enable2 != 0, DSP_READ_DETECTOR2},
                                                                    {block_.enable3 != 0, DSP_READ_DETECTOR3},
                                                                    {block_.enable4 != 0, DSP_READ_DETECTOR4}}};
    for (std::size_t d = 0; d < detectors.size(); ++d)
        if (const int r = channel(detectors[d].first, detectors[d].second, detectorCodes_[d]); r != 0) return r;
    if (const int r = channel(block_.enableExt != 0, DSP_READ_EXT, extCodes_); r != 0) return r;
    if (const int r = channel(block_.enableOrl != 0, DSP_READ_ORL, orlCodes_); r != 0) return r;
    if (const int r = channel(block_.flagC != 0, DSP_READ_AUX, auxCodes_); r != 0) return r;

    statusBit1_ = (status & statusStartedOnLine) != 0 ? 1 : 0;
    return (status & statusBit8) != 0 ? StatusBit8 : 0;
}

SweepProcessing::Readback ControlSnS::readback() const
{
    SweepProcessing::Readback sweep;
    sweep.transitions = transitions_;
    sweep.extraTransitions = extraTransitions_;
    sweep.marks = marks_;
    sweep.referenceSignal = referenceSignal_;
    sweep.outputCodes = outputCodes_;
    for (std::size_t d = 0; d < detectorCodes_.size(); ++d) sweep.detectorCodes[d] = detectorCodes_[d];
    sweep.extCodes = extCodes_;
    sweep.statusBit1 = statusBit1_;
    return sweep;
}

int ControlSnS::ProcessSweep(const ConfLaser& sources, ScanRes& partial, int k)
{
    using namespace SweepProcessing;
    const Readback sweep = readback();
    // Without marks and a reference signal for every sample (flag A off)
    // there is nothing to give the samples their wavelengths.
    if (!sweep.referencable()) return TooFewMarks;
    const std::size_t samples = sweep.sampleCount();

    std::vector<double> lines;
    if (block_.acquisitionMode == 2)
        calib_->ReferenceFrequencies(lines, -1);
    else
        calib_->ReferenceFrequencies(lines,
                                     static_cast<int>((calib_->LowestReference() + calib_->HighestReference()) / 2));
    // The shift of the sweep's own first source: the one its start was
    // aligned with (for sources from index 0 it is record k's).
    const double startShift = sources.sources[static_cast<std::size_t>(std::clamp(partial.firstSource, 0, 3))].startShift;
    CorrectSautsIn in = referencingInput(sweep, block_, partial, startShift, std::move(lines));
    CorrectSautsOut out;
    if (const int r = CorrectSauts(in, out, calib_->calibrationKind()); ScanResultText::isError(r)) return r;
    if (out.sampleFrequencies.size() < samples) return TooFewMarks;

    const double largestHop = fillTraceData(out, sweep.transitions.size(), samples, block_, partial);
    if (block_.acquisitionMode == 2 || block_.acquisitionMode == 3) {
        const std::vector<double> extra = extraTransitionFrequencies(out, sweep.transitions.size());
        ValeursWLFile file(calibFolder_);
        if (!file.append(valeursWLLine(partial.level9, out.hopCount, sweep.marks.size(), sweep.extraTransitions.size(),
                                       extra)))
            Log::warn("ControlSnS: could not append to %s\n", file.path().c_str());
    }

    partial.velocity = ScanMaths::sampleVelocities(partial.wavelength, referenceSignal_);
    const double meanVelocity = ScanMaths::meanVelocity(partial.velocity);
    if (k == 0) partial.sweepVelocities.clear();
    partial.sweepVelocities.push_back(meanVelocity);

    convertLevels(sweep, block_, bncCorrection_, *calib_, partial);
    return ScanMaths::sweepCheckCode(sweepFigures(sweep, partial, out.hopCount, largestHop, meanVelocity));
}
