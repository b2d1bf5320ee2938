#include "SweepSynthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <random>

#include "ClockSegment.h"
#include "Frequency.h"

namespace vemarsim {

namespace {

constexpr double ticksPerUnit = 150000000.0 / 64.0;  // reference signal units per second
constexpr int largestCode = 4095;
// The part of a line spacing at the start of a triggered sweep where the
// DSP sees no line yet.
constexpr double triggerSettling = 1.0 - 0.852;
// Hops are only placed where the clock resolves them: samples of at most
// this many GHz.
constexpr double finestHopSampleGHz = 5.0;
constexpr double smallestHopGHz = 1.0;
constexpr double largestHopGHz = 20.0;
// How much a hop changes the duration of the sample it falls in.
constexpr double hopDurationChange = 0.4;

std::uint16_t toWord(double value)
{
    return static_cast<std::uint16_t>(std::clamp(std::llround(value), 0LL, 65535LL));
}

// What the DSP keeps of a window of `step` periods of an analog code:
// the sum of the saturated period codes, shifted right.
std::uint16_t windowWord(double code, int step, int shift)
{
    const double perPeriod = std::clamp(code, 0.0, static_cast<double>(largestCode));
    const long long sum = std::llround(perPeriod * step);
    return static_cast<std::uint16_t>(std::min<long long>(sum >> shift, 65535));
}

double dbm(double mw) { return 10.0 * std::log10(std::max(mw, 1e-12)); }

// Laser power seen by the output monitor, with the source's own ripple.
double laserPowerMw(double powerMw, double wavelengthNm)
{
    return powerMw * std::pow(10.0, 0.003 * std::sin(2.0 * std::numbers::pi * wavelengthNm / 0.7));
}

// Lines of one segment, in order of the sweep.
struct Crossing {
    double rise;
    double fall;
};

class Synthesis {
public:
    Synthesis(const AcquisitionPlan& plan, const BenchModel& model)
        : plan_(plan), model_(model), step_(std::max(plan.samplingStep, 1)), shift_(samplingShiftOf(step_)), random_(plan.seed)
    {
        if (plan.mode == 2) {
            lines_ = model.device.peakLines();
            halfWidth_ = model.device.peakHalfWidthGHz();
            extraLines_ = model.calibration.referenceLines();
        } else {
            lines_ = model.calibration.referenceLines();
            halfWidth_ = referenceLineHalfWidthGHz;
            if (plan.mode == 3) extraLines_ = model.device.peakLines();
        }
        lines_.erase(std::remove_if(lines_.begin(), lines_.end(), [](double f) { return !(f > 0.0); }), lines_.end());
        std::sort(lines_.begin(), lines_.end(), std::greater<>());
        std::sort(extraLines_.begin(), extraLines_.end(), std::greater<>());
    }

    SweepData run()
    {
        layOutSegments();
        sampleChannels();
        placeMarks();
        placeJumps();
        return std::move(data_);
    }

private:
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    double gauss() { return normal_(random_); }

    // Lines wholly inside (f_low, f_high), descending.
    std::vector<double> linesBetween(double high, double low) const
    {
        std::vector<double> out;
        for (const double f : lines_)
            if (f - halfWidth_ > low && f + halfWidth_ < high) out.push_back(f);
        return out;
    }

    // Hops come as excursions: the laser jumps to a neighbouring mode and,
    // one to three lines further on, back to the mode it left (the same size the
    // other way); an odd last hop stays.
    void placeHops(ClockSegment& segment, double stopGHz)
    {
        const int wanted = model_.preset.hopsPerSweep;
        if (wanted <= 0 || step_ * ClockSegment::periodGHz > finestHopSampleGHz) return;
        const std::vector<double> full = linesBetween(segment.startFrequency(), stopGHz);
        // The referencing looks for hops between the second line and the
        // third from the end; a hop outside that stretch could not be told.
        const int firstGap = 2;
        const int lastGap = static_cast<int>(full.size()) - 4;
        const int span = lastGap - firstGap + 1;
        if (span < 2) return;
        // The excursions share the stretch out evenly, each in its own part.
        const int excursions = (wanted + 1) / 2;
        const int part = span / excursions;
        if (part < 2) return;
        int placed = 0;
        for (int e = 0; e < excursions && placed < wanted; ++e) {
            const int from = firstGap + e * part;
            const int away = std::uniform_int_distribution<int>(from, from + part / 2 - 1)(random_);
            const int back = std::uniform_int_distribution<int>(away + 1, std::min(away + 3, from + part - 1))(random_);
            // Small hops are the common ones: sizes spread evenly in log.
            const double size = (uniform(0.0, 1.0) < 0.5 ? -1.0 : 1.0) *
                                std::exp(uniform(std::log(smallestHopGHz), std::log(largestHopGHz)));
            if (addHop(segment, full, away, size)) ++placed;
            if (placed < wanted && addHop(segment, full, back, -size)) ++placed;
        }
    }

    // A hop in the middle of gap g (so that a hop back does not cross the
    // line before it), on a sample boundary: the sample after it shows it.
    bool addHop(ClockSegment& segment, const std::vector<double>& lines, int g, double size)
    {
        const auto at = static_cast<std::size_t>(g);
        const double f = lines[at] - uniform(0.35, 0.65) * (lines[at] - lines[at + 1]);
        const std::optional<double> x = segment.positionOf(f);
        if (!x) return false;
        const double boundary = std::round((*x - 0.5) / step_) * step_ + 0.5;
        if (boundary <= segment.startPosition() ||
            (!segment.hopPositions().empty() && boundary <= segment.hopPositions().back()))
            return false;
        const double before = segment.frequency(boundary - 0.25);
        segment.addHop(boundary, size);
        data_.hops.push_back({gigahertzNm / before, size});
        return true;
    }

    void layOutSegments()
    {
        double position = 0.0;
        for (const SourceSweep& sweep : plan_.sweeps) {
            ClockSegment segment(position, gigahertzNm / sweep.startNm);
            // Without light or movement the clock does not tick.
            if (!sweep.lit || !(sweep.speedNmPerS > 0.0) || !(sweep.stopNm > sweep.startNm)) {
                segment.endHere();
            } else {
                const double stop = gigahertzNm / sweep.stopNm;
                placeHops(segment, stop);
                segment.endAt(stop);
            }
            position = segment.endPosition();
            segments_.push_back(std::move(segment));
        }
        int channels = 3;
        for (int d = 1; d < 4; ++d) channels += plan_.detectors[static_cast<std::size_t>(d)] ? 1 : 0;
        channels += (plan_.ext ? 1 : 0) + (plan_.orl ? 1 : 0) + (plan_.aux ? 1 : 0);
        const std::uint32_t room = std::min(maxSamplesPerChannel, acquisitionMemory / static_cast<std::uint32_t>(channels));
        const double periods = std::max(position, 0.0);
        samples_ = static_cast<std::uint32_t>(std::min<double>(std::floor(periods / step_), room));
    }

    void sampleChannels()
    {
        const BenchCalibration& calibration = model_.calibration;
        const DeviceUnderTest& device = model_.device;
        const BenchPreset& preset = model_.preset;
        for (std::size_t c = 0; c < data_.channels.size(); ++c) {
            const bool used = c == 0 || (c >= 1 && c <= 4 && plan_.detectors[c - 1]) || (c == 5 && plan_.orl) ||
                              (c == 6 && plan_.aux) || (c == 7 && plan_.ext);
            if (used) data_.channels[c].resize(samples_);
        }
        data_.referenceSignal.resize(samples_);

        std::vector<std::uint32_t> hopSamples;
        std::vector<double> hopSigns;
        for (const ClockSegment& segment : segments_)
            for (std::size_t h = 0; h < segment.hopPositions().size(); ++h) {
                hopSamples.push_back(static_cast<std::uint32_t>(std::llround((segment.hopPositions()[h] - 0.5) / step_)));
                hopSigns.push_back(segment.hopSizes()[h] > 0.0 ? 1.0 : -1.0);
            }

        std::size_t q = 0;
        for (std::uint32_t j = 0; j < samples_; ++j) {
            // Samples are valued at the centre of their window of periods.
            const double centre = static_cast<double>(j) * step_ + (step_ + 1) * 0.5;
            while (q + 1 < segments_.size() && (segments_[q].empty() || centre > segments_[q].endPosition())) ++q;
            const ClockSegment& segment = segments_[q];
            const SourceSweep& sweep = plan_.sweeps[q];
            const double f = segment.frequency(centre);
            const double nm = gigahertzNm / f;

            const double laser = sweep.lit ? laserPowerMw(sweep.powerMw, nm) : 0.0;
            const double monitor = laser * (1.0 + preset.monitorNoise * gauss()) + preset.strayMw +
                                   preset.noiseFloorMw * std::fabs(gauss());
            data_.channels[0][j] = windowWord(calibration.outputCode(dbm(monitor)), step_, shift_);
            double firstDetectorMw = 0.0;
            for (int d = 0; d < 4; ++d) {
                if (!plan_.detectors[static_cast<std::size_t>(d)]) continue;
                const double through = laser * std::pow(10.0, device.transmissionDb(d + 1, f) / 10.0);
                const double seen = through * (1.0 + preset.detectorNoise * gauss()) +
                                    preset.noiseFloorMw * (1.0 + 0.5 * gauss());
                if (d == 0) firstDetectorMw = std::max(seen, 0.0);
                data_.channels[static_cast<std::size_t>(d) + 1][j] =
                    windowWord(calibration.detectorCode(d, dbm(seen), f), step_, shift_);
            }
            if (plan_.orl) data_.channels[5][j] = windowWord(700.0 + 3.0 * gauss(), step_, shift_);
            if (plan_.aux) data_.channels[6][j] = windowWord(600.0 + 3.0 * gauss(), step_, shift_);
            if (plan_.ext)
                data_.channels[7][j] = windowWord(calibration.extCode(0.2 + 2.0 * firstDetectorMw), step_, shift_);

            // The sample's duration: its periods at the sweep's speed.
            const double rate = f * f / gigahertzNm * std::max(sweep.speedNmPerS, 1e-9);  // GHz/s
            double duration = step_ * ClockSegment::periodAt(f) / rate * ticksPerUnit;
            for (std::size_t h = 0; h < hopSamples.size(); ++h)
                if (hopSamples[h] == j) duration *= 1.0 - hopDurationChange * hopSigns[h];
            data_.referenceSignal[j] = toWord(std::max(duration, 1.0));
        }
    }

    // Where the signal of each line stands above the threshold, segment by
    // segment.
    std::vector<Crossing> crossings(std::size_t q) const
    {
        const ClockSegment& segment = segments_[q];
        std::vector<Crossing> out;
        if (segment.empty()) return out;
        const double start = segment.startFrequency();
        std::optional<std::size_t> settling;
        if (plan_.trigger && q == 0) {
            // The first line at or below the start is missed when it lies
            // too close to it.
            const auto first = std::find_if(lines_.begin(), lines_.end(), [&](double f) { return f <= start; });
            if (first != lines_.end() && first != lines_.begin()) {
                const double above = *(first - 1);
                if ((above - start) / (above - *first) > 1.0 - triggerSettling)
                    settling = static_cast<std::size_t>(first - lines_.begin());
            }
        }
        std::uint32_t limit = q < plan_.expectedLines.size() ? plan_.expectedLines[q] : 0;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const double f = lines_[i];
            const double rise = f + halfWidth_;
            const double fall = f - halfWidth_;
            if (fall >= start) continue;  // wholly before the start
            const bool partial = rise > start;
            if (plan_.trigger && q == 0 && (partial || (settling && *settling == i))) continue;
            const std::optional<double> fallAt = segment.positionOf(fall);
            if (!fallAt || *fallAt > segment.endPosition()) break;  // still open when the sweep ended
            const std::optional<double> riseAt = partial ? segment.startPosition() : segment.positionOf(rise);
            if (!riseAt) continue;
            out.push_back({*riseAt, *fallAt});
            if (limit != 0 && --limit == 0) break;
        }
        return out;
    }

    void placeMarks()
    {
        const double lastPosition = static_cast<double>(samples_) * step_;
        std::vector<long long> marks;
        for (std::size_t q = 0; q < segments_.size(); ++q) {
            const std::vector<Crossing> lines = crossings(q);
            if (q == 0 && !lines.empty() && lines.front().rise == segments_[q].startPosition()) data_.startedOnLine = true;
            for (const Crossing& c : lines) {
                if (c.fall > lastPosition || marks.size() + 2 > maxMarkSteps) break;
                marks.push_back(std::llround(c.rise));
                marks.push_back(std::llround(c.fall));
            }
        }
        long long previous = 0;
        for (const long long m : marks) {
            data_.markSteps.push_back(toWord(static_cast<double>(m - previous)));
            previous = m;
        }
        // The other line set of modes 2 and 3: the centre of each line.
        for (const ClockSegment& segment : segments_) {
            if (segment.empty()) continue;
            for (const double f : extraLines_) {
                if (f >= segment.startFrequency()) continue;
                const std::optional<double> at = segment.positionOf(f);
                if (!at || *at > segment.endPosition() || *at > lastPosition) break;
                if (data_.extraJumps.size() >= maxMarkSteps) break;
                data_.extraJumps.push_back(static_cast<std::uint32_t>(std::llround(*at)));
            }
        }
    }

    void placeJumps()
    {
        const double lastPosition = static_cast<double>(samples_) * step_;
        for (const ClockSegment& segment : segments_) {
            if (data_.jumpIndexes.size() >= maxJumpIndexes) break;
            data_.jumpIndexes.push_back(
                static_cast<std::uint32_t>(std::llround(std::clamp(segment.endPosition(), 0.0, lastPosition))));
        }
    }

    const AcquisitionPlan& plan_;
    const BenchModel& model_;
    const int step_;
    const int shift_;
    std::mt19937_64 random_;
    std::normal_distribution<double> normal_;
    std::vector<double> lines_;
    double halfWidth_ = referenceLineHalfWidthGHz;
    std::vector<double> extraLines_;
    std::vector<ClockSegment> segments_;
    std::uint32_t samples_ = 0;
    SweepData data_;
};

}  // namespace

int samplingShiftOf(int step)
{
    int shift = 0;
    while (step >= (2 << shift)) ++shift;
    return shift;
}

SweepData synthesiseSweep(const AcquisitionPlan& plan, const BenchModel& model)
{
    return Synthesis(plan, model).run();
}

std::array<std::uint16_t, 10> levelReadings(const std::vector<LightOnInput>& lights, double strayMw,
                                            const BenchModel& model, std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    const BenchPreset& preset = model.preset;
    double monitor = strayMw + preset.noiseFloorMw * std::fabs(normal(random));
    std::array<double, 4> detectors{};
    double frequency = ClockSegment::referenceGHz;  // of the last light, for the responses
    for (const LightOnInput& light : lights) {
        const double f = gigahertzNm / light.wavelengthNm;
        frequency = f;
        const double laser = laserPowerMw(light.powerMw, light.wavelengthNm) * (1.0 + preset.monitorNoise * normal(random));
        monitor += laser;
        for (int d = 0; d < 4; ++d)
            detectors[static_cast<std::size_t>(d)] += laser * std::pow(10.0, model.device.transmissionDb(d + 1, f) / 10.0);
    }
    std::array<std::uint16_t, 10> levels{};
    auto code = [](double analog) { return static_cast<std::uint16_t>(std::clamp(std::lround(analog), 0L, 4095L)); };
    levels[0] = code(model.calibration.outputCode(dbm(monitor)));
    for (int d = 0; d < 4; ++d) {
        const double seen = detectors[static_cast<std::size_t>(d)] * (1.0 + preset.detectorNoise * normal(random)) +
                            preset.noiseFloorMw * (1.0 + 0.5 * normal(random));
        levels[static_cast<std::size_t>(d) + 2] = code(model.calibration.detectorCode(d, dbm(seen), frequency));
    }
    levels[7] = code(model.calibration.extCode(0.2 + 2.0 * std::max(detectors[0], 0.0)));
    levels[9] = static_cast<std::uint16_t>(std::clamp(model.calibration.middleReference(), 0, 0xFFFF));
    return levels;
}

}  // namespace vemarsim
