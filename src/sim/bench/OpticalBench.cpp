#include "OpticalBench.h"

#include <algorithm>
#include <cmath>

#include "SimGpibBus.h"

namespace vemarsim {

namespace {

constexpr std::uint16_t bitStartedOnLine = 0x0002;
constexpr std::uint16_t bitChained = 0x0040;
constexpr std::uint16_t bitEight = 0x0100;

std::uint64_t lastSweepSequence()
{
    const std::vector<SimLaserSweep> all = SimGpibBus::instance().sweeps();
    return all.empty() ? 0 : all.back().sequence;
}

// A seed for each acquisition, from the preset's seed.
std::uint64_t mix(std::uint64_t seed, std::uint64_t n)
{
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull * (n + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

OpticalBench::OpticalBench(std::shared_ptr<const BenchModel> model) : model_(std::move(model)) {}

int OpticalBench::sourceAt(int address)
{
    const std::vector<SimSourceRecord> records = SimGpibBus::instance().sources();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].enable && records[i].address == address) return static_cast<int>(i);
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].address == address) return static_cast<int>(i);
    return -1;
}

bool OpticalBench::sourceLit(int source, bool outputOn) const
{
    return outputOn && source != model_->preset.lostSource;
}

void OpticalBench::acquisitionStarted(const AcquisitionSettings& settings)
{
    std::lock_guard lock(mutex_);
    if (!acquiring_) {
        // A new acquisition; a chained one goes on with its next source.
        acquiring_ = true;
        firstSweepAfter_ = lastSweepSequence();

        expectedLines_.clear();
    }
    expectedLines_.push_back(settings.markCount);
}

void OpticalBench::acquisitionStopped(const AcquisitionSettings& settings)
{
    std::vector<SourceSweep> sweeps;
    {
        std::lock_guard lock(mutex_);
        if (!acquiring_) return;  // a triggered acquisition stopped before its end, or nothing
        acquiring_ = false;
        // The DSP sampled up to now: a sweep still under way counts up to
        // where the laser is.
        const auto now = std::chrono::steady_clock::now();
        for (const SimLaserSweep& s : SimGpibBus::instance().sweepsAfter(firstSweepAfter_)) {
            if (!(s.stopNm > s.startNm)) continue;  // a move back is no sweep
            const int source = sourceAt(s.address);
            sweeps.push_back({source < 0 ? settings.firstInput() : source, s.startNm, s.wavelengthAt(now), s.speedNmPerS,
                              s.powerMw, sourceLit(source, s.outputOn)});
        }
    }
    synthesise(settings, std::move(sweeps));
}

double OpticalBench::triggerArmed(const AcquisitionSettings& settings)
{
    const std::vector<SimSourceRecord> records = SimGpibBus::instance().sources();
    if (records.empty()) return 0.0;
    const SimSourceRecord& record = records.front();
    const std::optional<SimLaserState> laser = SimGpibBus::instance().laser(record.address);
    SourceSweep sweep{0, record.lambdaMinNm, record.lambdaMaxNm, laser ? laser->speedNmPerS : 0.0,
                      laser ? laser->powerMw : 0.0, laser && sourceLit(0, laser->outputOn)};
    {
        std::lock_guard lock(mutex_);
        acquiring_ = false;
        expectedLines_.assign(1, settings.markCount);
    }
    synthesise(settings, {sweep});
    const double span = sweep.stopNm - sweep.startNm;
    return sweep.speedNmPerS > 0.0 && span > 0.0 ? span / sweep.speedNmPerS : 0.0;
}

AcquisitionPlan OpticalBench::planFor(const AcquisitionSettings& settings, std::vector<SourceSweep> sweeps) const
{
    AcquisitionPlan plan;
    plan.sweeps = std::move(sweeps);
    plan.expectedLines = expectedLines_;
    plan.samplingStep = static_cast<int>(std::max<std::uint32_t>(settings.samplingStepPm, 1));
    plan.mode = settings.mode();
    plan.trigger = settings.trigger();
    for (int d = 1; d <= 4; ++d) plan.detectors[static_cast<std::size_t>(d - 1)] = settings.detectorEnabled(d);
    plan.ext = settings.extEnabled();
    plan.orl = settings.orlEnabled();
    plan.aux = settings.auxEnabled();
    return plan;
}

void OpticalBench::synthesise(const AcquisitionSettings& settings, std::vector<SourceSweep> sweeps)
{
    AcquisitionPlan plan;
    {
        std::lock_guard lock(mutex_);
        plan = planFor(settings, std::move(sweeps));
        plan.seed = mix(model_->seed, acquisitionCount_++);
    }
    auto data = std::make_shared<const SweepData>(synthesiseSweep(plan, *model_));
    std::lock_guard lock(mutex_);
    data_ = std::move(data);
}

std::vector<std::uint16_t> OpticalBench::words(UnitArray array, const AcquisitionSettings&)
{
    std::shared_ptr<const SweepData> data;
    {
        std::lock_guard lock(mutex_);
        data = data_;
    }
    if (!data) return {};
    switch (array) {
    case UnitArray::Output:
    case UnitArray::Detector1:
    case UnitArray::Detector2:
    case UnitArray::Detector3:
    case UnitArray::Detector4:
    case UnitArray::Orl:
    case UnitArray::Aux:
    case UnitArray::Ext: return data->channels[static_cast<std::size_t>(array)];
    case UnitArray::ReferenceSignal: return data->referenceSignal;
    case UnitArray::MarkSteps: return data->markSteps;
    default: return {};
    }
}

std::vector<std::uint32_t> OpticalBench::dwords(UnitArray array, const AcquisitionSettings&)
{
    std::lock_guard lock(mutex_);
    if (!data_) return {};
    if (array == UnitArray::JumpIndexes) return data_->jumpIndexes;
    if (array == UnitArray::ExtraJumps) return data_->extraJumps;
    return {};
}

std::array<std::uint16_t, 10> OpticalBench::sampleLevels(const AcquisitionSettings& settings)
{
    // Sources 0 and 2 share the first laser input, 1 and 3 the second.
    const int input = settings.firstInput() % 2;
    const SimGpibBus& bus = SimGpibBus::instance();
    const std::vector<SimSourceRecord> records = bus.sources();
    std::vector<LightOnInput> lights;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (static_cast<int>(i) % 2 != input) continue;
        const std::optional<SimLaserState> laser = bus.laser(records[i].address);
        if (laser && sourceLit(static_cast<int>(i), laser->outputOn))
            lights.push_back({laser->powerMw, laser->wavelengthNm});
    }
    std::uint64_t n;
    {
        std::lock_guard lock(mutex_);
        n = levelCount_++;
    }
    return levelReadings(lights, model_->preset.strayMw, *model_, mix(model_->seed ^ 0x5A5A5A5Aull, n));
}

std::uint16_t OpticalBench::statusBits(const AcquisitionSettings&)
{
    std::lock_guard lock(mutex_);
    std::uint16_t bits = forcedBits_;
    if (model_->preset.chainsSources && acquiring_) bits |= bitChained;
    if (!acquiring_ && data_ && data_->startedOnLine) bits |= bitStartedOnLine;
    return bits;
}

int OpticalBench::acquiredInput(const AcquisitionSettings& settings)
{
    int input = settings.firstInput();
    std::uint64_t after = 0;
    {
        std::lock_guard lock(mutex_);
        if (!model_->preset.chainsSources || !acquiring_) return input;
        after = firstSweepAfter_;
    }
    // A chained acquisition moves on to the next source with each sweep made.
    for (const SimLaserSweep& s : SimGpibBus::instance().sweepsAfter(after)) {
        if (s.stopNm > s.startNm) ++input;
    }
    return std::min(input, 3);
}

void OpticalBench::forceStatusBits(std::uint16_t bits)
{
    std::lock_guard lock(mutex_);
    forcedBits_ = bits & (bitStartedOnLine | bitEight);
}

std::vector<TrueHop> OpticalBench::lastHops() const
{
    std::lock_guard lock(mutex_);
    return data_ ? data_->hops : std::vector<TrueHop>{};
}

int OpticalBench::acquisitions() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(acquisitionCount_);
}

}  // namespace vemarsim
