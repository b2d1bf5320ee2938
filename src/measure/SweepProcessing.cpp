#include "SweepProcessing.h"

#include <algorithm>
#include <cmath>

#include "Frequency.h"
#include "NumberFormat.h"
#include "ScanRes.h"
#include "TabCalib.h"

namespace SweepProcessing {

namespace {

double wavelengthOf(double frequencyGHz) { return frequencyGHz > 0.0 ? gigahertzNm / frequencyGHz : 0.0; }

}  // namespace

CorrectSautsIn referencingInput(const Readback& sweep, const ScanParameterBlock& block, const ScanRes& partial,
                                double startShiftGHz, std::vector<double> referenceLines)
{
    CorrectSautsIn in;
    in.markCount = static_cast<std::int32_t>(sweep.marks.size());
    in.sampleCount = static_cast<std::int32_t>(sweep.sampleCount());
    in.samplingStep = std::max<int>(block.samplingStep, 1);
    in.transitions.assign(sweep.transitions.begin(), sweep.transitions.end());
    in.transitions.insert(in.transitions.end(), sweep.extraTransitions.begin(), sweep.extraTransitions.end());
    in.transitionCount = static_cast<std::int32_t>(in.transitions.size());
    in.startFrequency = gigahertzNm / partial.scanStart;
    in.stopFrequency = gigahertzNm / partial.scanStop;
    in.startShift = startShiftGHz;
    in.referenceLineCount = static_cast<std::int32_t>(referenceLines.size());
    in.referenceLines = std::move(referenceLines);
    in.marks.assign(sweep.marks.begin(), sweep.marks.end());
    in.referenceSignal.assign(sweep.referenceSignal.begin(), sweep.referenceSignal.end());
    in.flagD = block.flagD;
    in.firstSource = partial.firstSource;
    in.endSource = partial.endSource;
    in.statusBit1 = static_cast<std::int16_t>(sweep.statusBit1);
    in.flagB = block.flagB;
    in.trigger = block.trigger != 0;
    return in;
}

double fillTraceData(const CorrectSautsOut& referenced, std::size_t transitionCount, std::size_t sampleCount,
                     const ScanParameterBlock& block, ScanRes& partial)
{
    partial.lines.resize(transitionCount);
    for (std::size_t i = 0; i < transitionCount; ++i)
        partial.lines[i] = wavelengthOf(referenced.transitionFrequencies.at(i));
    partial.wavelength.resize(sampleCount);
    partial.sampleIndex.resize(sampleCount);
    for (std::size_t i = 0; i < sampleCount; ++i) {
        partial.wavelength[i] = wavelengthOf(referenced.sampleFrequencies.at(i));
        partial.sampleIndex[i] = static_cast<std::int32_t>(i);
    }
    const auto hops = static_cast<std::size_t>(std::max(referenced.hopCount, 0));
    partial.referenceWavelengths.resize(hops);
    partial.referenceDeviations.resize(hops);
    double largestHop = 0.0;
    for (std::size_t h = 0; h < hops; ++h) {
        partial.referenceWavelengths[h] = wavelengthOf(referenced.hopFrequencies.at(h));
        partial.referenceDeviations[h] = referenced.hopSizes.at(h);
        largestHop = std::max(largestHop, std::fabs(referenced.hopSizes[h]));
    }
    partial.present = {true, true, block.enable2 != 0, block.enable3 != 0, block.enable4 != 0, block.enableExt != 0};
    return largestHop;
}

std::vector<double> extraTransitionFrequencies(const CorrectSautsOut& referenced, std::size_t transitionCount)
{
    const std::size_t from = std::min(transitionCount, referenced.transitionFrequencies.size());
    return {referenced.transitionFrequencies.begin() + static_cast<std::ptrdiff_t>(from),
            referenced.transitionFrequencies.end()};
}

bool saturated(std::span<const std::int32_t> codes)
{
    return std::any_of(codes.begin(), codes.end(), [](std::int32_t c) { return c > saturationCode; });
}

void convertLevels(const Readback& sweep, const ScanParameterBlock& block, const ScanMaths::BncCorrection& bnc,
                   TabCalib& calib, ScanRes& partial)
{
    const std::size_t n = partial.wavelength.size();
    std::vector<double>& output = partial.values[0];
    output.resize(n);
    for (std::size_t i = 0; i < n; ++i) output[i] = calib.OutputLevel(sweep.outputCodes[i]);

    for (int d = 0; d < 4; ++d) {
        std::vector<double>& values = partial.values[static_cast<std::size_t>(d) + 1];
        const std::span<const std::int32_t> codes = sweep.detectorCodes[static_cast<std::size_t>(d)];
        if (!partial.present[static_cast<std::size_t>(d) + 1] || codes.size() < n) {
            values.clear();
            continue;
        }
        values.resize(n);
        calib.DetectorTrace(d, codes, partial.wavelength, values);
    }

    std::vector<double>& ext = partial.values[5];
    if (block.enableExt != 0 && sweep.extCodes.size() >= n) {
        ext.resize(n);
        int cursor = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double volts = calib.ExtVolts(sweep.extCodes[i], cursor);
            ext[i] = block.bncEnable != 0 ? ScanMaths::bncLevel(block, bnc, partial.wavelength[i], volts) : volts;
        }
    } else {
        ext.clear();
    }
}

ScanMaths::SweepFigures sweepFigures(const Readback& sweep, const ScanRes& partial, int hopCount, double largestHopGHz,
                                     double meanVelocity)
{
    ScanMaths::SweepFigures figures;
    figures.hopCount = hopCount;
    figures.largestHopGHz = largestHopGHz;
    figures.meanVelocity = meanVelocity;
    figures.outputSaturated = saturated(sweep.outputCodes);
    for (std::size_t d = 0; d < 4; ++d) figures.detectorSaturated[d] = saturated(sweep.detectorCodes[d]);
    const std::vector<double>& output = partial.values[0];
    if (!output.empty()) {
        const auto [low, high] = std::minmax_element(output.begin(), output.end());
        figures.hasOutput = true;
        figures.outputLowestDbm = *low;
        figures.outputHighestDbm = *high;
    }
    return figures;
}

std::string valeursWLLine(std::uint16_t level9, int hopCount, std::size_t markCount, std::size_t extraCount,
                          std::span<const double> extraFrequencies)
{
    std::string line = cformat("%d %d %d %d ", level9, hopCount, static_cast<int>(markCount), static_cast<int>(extraCount));
    for (const double f : extraFrequencies) line += cformat("%f ", f);
    line += " \n";
    return line;
}

}  // namespace SweepProcessing
