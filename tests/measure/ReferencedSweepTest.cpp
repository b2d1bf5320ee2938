// A sweep through every step this subsystem offers the scan controller:
// wavelength referencing, level conversion, the scan result's clean-up and
// resampling, and the trace's curve.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "CorrectSauts.h"
#include "ScanTrace.h"
#include "SyntheticSweep.h"
#include "TabCalib.h"

namespace {

constexpr double c = 299792458.0;

// A notch filter: 20 dB deep at 1560 nm, 0.5 nm wide.
double insertionLoss(double nm)
{
    return -20.0 * std::exp(-std::pow((nm - 1560.0) / 0.5, 2));
}

TEST(ReferencedSweep, BecomesTheCurveOfTheFilter)
{
    // A sweep with a mode hop (at 1549.7 nm, before the filter), referenced
    // on 100 GHz lines.
    SyntheticSweep sweep;
    sweep.sources = {{0, 195950, 0.125, 0}};
    sweep.hopSamples = {4000};
    sweep.hopDrops = {3.0};
    CorrectSautsIn in = sweep.input(gridLines(200000, 250));
    CorrectSautsOut out;
    ASSERT_EQ(CorrectSauts(in, out, 2), 0);
    ASSERT_EQ(out.hopCount, 1);

    // Codes of 1/40 dB per count on every table; no frequency response.
    TabCalib calib("/nonexistent", 2);
    auto output = calib.outputCodes();
    auto detector = calib.detectorCodes(0);
    for (std::size_t i = 0; i < output.size(); ++i) {
        output[i] = 4000 - 20 * static_cast<int>(i);
        detector[i] = 4000 - 20 * static_cast<int>(i);
    }
    calib.detectorWords()[0] = 4000;

    ScanTrace trace(nullptr, nullptr, nullptr);
    ScanRes& result = trace.result();
    const int n = sweep.sampleCount;
    std::vector<std::int32_t> outputCodes(static_cast<std::size_t>(n));
    std::vector<std::int32_t> detectorCodes(static_cast<std::size_t>(n));
    result.wavelength.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const auto k = static_cast<std::size_t>(j);
        result.wavelength[k] = c / out.sampleFrequencies[k];
        result.sampleIndex.push_back(j);
        result.velocity.push_back(0.0);
        // What the unit measures is set by the true wavelength of the sample.
        const double trueNm = c / sweep.frequency(sweep.samplePosition(j));
        outputCodes[k] = 4000 + static_cast<int>(std::lround(40 * -3.0));
        detectorCodes[k] = 4000 + static_cast<int>(std::lround(40 * (-3.0 + insertionLoss(trueNm))));
    }
    for (const std::int32_t code : outputCodes) result.values[0].push_back(calib.OutputLevel(code));
    result.values[1].resize(static_cast<std::size_t>(n));
    calib.DetectorTrace(0, detectorCodes, result.wavelength, result.values[1]);
    result.present[0] = result.present[1] = true;

    EXPECT_EQ(result.RemoveBackSteps(), 0);
    ASSERT_GT(result.Resample(1540.0, 1580.0, 1.0), 0);
    trace.AddCurve("1", false);
    trace.BuildTrace(true, false, false);

    const ScanData& curve = trace.CurveAt(0)->data();
    int deepest = 0;
    for (int i = 1; i < curve.count(); ++i)
        if (curve.Y(i) < curve.Y(deepest)) deepest = i;
    // Within 0.02 nm of the centre the notch is flat to a code step (0.025 dB).
    EXPECT_NEAR(curve.X(deepest), 1560.0, 0.02);
    EXPECT_NEAR(curve.Y(deepest), -20.0, 0.05);
    // Every point lies on the filter (level steps of 0.025 dB; 0.05 GHz is
    // 0.4 pm here, where the slope reaches 40 dB/nm).
    for (int i = 0; i < curve.count(); ++i)
        ASSERT_NEAR(curve.Y(i), insertionLoss(curve.X(i)), 0.05) << curve.X(i);
    // The resampled grid carries the same filter.
    const auto& grid = result.resampledWavelength;
    const std::size_t centre = static_cast<std::size_t>(std::find_if(grid.begin(), grid.end(), [](double nm) {
                                                            return nm >= 1560.0 - 1e-9;
                                                        }) - grid.begin());
    EXPECT_NEAR(result.resampledValues[1][centre] - result.resampledValues[0][centre], -20.0, 0.05);
}

}  // namespace
