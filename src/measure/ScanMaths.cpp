#include "ScanMaths.h"

#include <algorithm>
#include <cmath>

namespace ScanMaths {

namespace {
std::uint32_t bit(bool on, int position) { return on ? (1u << position) : 0u; }
}  // namespace

std::uint32_t configurationWord(const ScanParameterBlock& b)
{
    // With a switch the DSP always sees the source on its first input.
    const std::uint32_t input = b.switchActive != 0 ? 0u : static_cast<std::uint32_t>(b.inputIndex) & 0x3u;
    const std::uint32_t last = static_cast<std::uint32_t>(std::clamp<int>(b.lastInputIndex - 1, 0, 3));
    return bit(b.flagA != 0, 0) | bit(b.trigger != 0, 1) | bit(b.flagB != 0, 2) |
           bit(b.externalSynchronization != 0, 3) | (input << 4) | bit(b.enable2 != 0, 6) | bit(b.enable3 != 0, 7) |
           bit(b.enable4 != 0, 8) | bit(b.enableExt != 0, 9) | bit(b.enableOrl != 0, 10) | bit(b.flagC != 0, 11) |
           bit(b.flagD != 0, 12) | bit(b.precise != 0, 13) | (last << 14) |
           (static_cast<std::uint32_t>(static_cast<std::uint16_t>(b.acquisitionMode)) << 16);
}

std::int32_t markCountFor(double startNm, double stopNm)
{
    return static_cast<std::int32_t>((gigahertzNm / startNm - gigahertzNm / stopNm) * 0.01 + 2.0);
}

std::int64_t spanInClockPeriods(double startNm, double stopNm)
{
    return static_cast<std::int64_t>((1.0 / startNm - 1.0 / stopNm) * gigahertzNm * 12.5);
}

int minimumSamplingStep(const ScanParameterBlock& b, std::int64_t span)
{
    const int channels = (b.enable2 != 0) + (b.enable3 != 0) + (b.enable4 != 0) + (b.flagC != 0) +
                         (b.enableExt != 0) + (b.enableOrl != 0) + 3;
    const std::int64_t room = acquisitionMemory / channels;
    const std::int64_t periods = (b.precise != 0 ? 2 : 1) * std::max<std::int64_t>(span, 0);
    int step = std::max<int>(b.samplingStep, 1);
    while (step < largestSamplingStep && periods / step > room) ++step;
    return std::min(step, largestSamplingStep);
}

int samplingShift(int step)
{
    int shift = 0;
    while (step >= (2 << shift)) ++shift;
    return shift;
}

std::vector<double> mergeJumpIndexes(std::span<const std::uint32_t> indexes)
{
    std::vector<double> merged;
    merged.reserve(indexes.size());
    for (const std::uint32_t index : indexes) {
        const double value = index;
        if (!merged.empty() && value - merged.back() < 5.0)
            merged.back() = (merged.back() + value) * 0.5;
        else
            merged.push_back(value);
    }
    return merged;
}

std::vector<std::int32_t> normaliseCodes(std::span<const std::uint16_t> raw, int step)
{
    const int s = std::max(step, 1);
    const int shift = samplingShift(s);
    std::vector<std::int32_t> codes(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) codes[i] = (static_cast<std::int32_t>(raw[i]) << shift) / s;
    return codes;
}

std::vector<double> sampleVelocities(std::span<const double> wavelengths, std::span<const double> referenceSignal)
{
    const std::size_t n = std::min(wavelengths.size(), referenceSignal.size());
    std::vector<double> v(wavelengths.size(), 0.0);
    constexpr double secondsPerUnit = 64.0 / 150000000.0;
    for (std::size_t i = 1; i < n; ++i) {
        const double duration = referenceSignal[i] * secondsPerUnit;
        if (wavelengths[i] > wavelengths[i - 1] && duration > 0.0)
            v[i] = (wavelengths[i] - wavelengths[i - 1]) / duration;
        else
            v[i] = v[i - 1];
    }
    for (std::size_t i = std::max<std::size_t>(n, 1); i < v.size(); ++i) v[i] = v[i - 1];
    return v;
}

double meanVelocity(std::span<const double> velocities)
{
    if (velocities.size() < 2) return 0.0;
    double sum = 0.0;
    for (const double v : velocities) sum += v;
    return sum / static_cast<double>(velocities.size() - 1);
}

int sweepCheckCode(const SweepFigures& f)
{
    int code = 0;
    if (f.hopCount > 10 || f.largestHopGHz > 20.0) code = 108;
    if (f.meanVelocity < 8.0) code = 101;
    if (f.meanVelocity > 120.0) code = 102;
    if (f.outputSaturated) code = 110;
    for (int d = 0; d < 4; ++d)
        if (f.detectorSaturated[static_cast<std::size_t>(d)]) code = 111 + d;
    if (f.hasOutput) {
        if (f.outputLowestDbm < -16.0) code = 106;
        if (f.outputHighestDbm - f.outputLowestDbm > 3.0) code = 109;
    }
    return code;
}

std::int32_t meanLevel(std::int64_t sum, int repeat)
{
    if (repeat <= 0) return 0;
    return static_cast<std::int32_t>(std::floor(static_cast<double>(sum) / repeat + 0.5));
}

double bncLevel(const ScanParameterBlock& b, const BncCorrection& c, double wavelengthNm, double volts)
{
    double p = b.bncBeta * volts + b.bncAlpha;
    if (b.bncUnit == 0) p = p > 0.0 ? 10.0 * std::log10(p) : -100.0;
    const auto count = static_cast<int>(c.values.size());
    if (count > 2 && c.step != 0.0) {
        const double cell = std::trunc(std::trunc(wavelengthNm - c.start) / c.step);
        const int d = static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(count - 2)));
        const double v0 = c.values[static_cast<std::size_t>(d)];
        const double v1 = c.values[static_cast<std::size_t>(d) + 1];
        p -= v0 + (v1 - v0) * (wavelengthNm - (d * c.step + c.start)) / c.step;
    }
    return p;
}

}  // namespace ScanMaths
