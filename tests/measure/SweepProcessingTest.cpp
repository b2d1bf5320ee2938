// The steps of a sweep's processing after its read-back: the referencing
// input, the trace data, the levels of every channel, the figures of the
// warnings and the "ValeursWL.txt" line.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Frequency.h"
#include "ScanRes.h"
#include "SweepProcessing.h"
#include "TabCalib.h"
#include "TempDir.h"
#include "ValeursWLFile.h"

namespace {

using namespace SweepProcessing;

// Five samples of a sweep with codes chosen per test.
struct Sweep {
    std::vector<double> transitions{120.0, 380.0};
    std::vector<std::int32_t> extra{250};
    std::vector<double> marks{10, 20, 110, 130, 210, 230};
    std::vector<double> reference{3.0, 3.0, 3.0, 3.0, 3.0};
    std::vector<std::int32_t> output{4000, 3980, 3960, 3940, 3920};
    std::array<std::vector<std::int32_t>, 4> detectors{};
    std::vector<std::int32_t> ext;

    Readback view() const
    {
        Readback r;
        r.transitions = transitions;
        r.extraTransitions = extra;
        r.marks = marks;
        r.referenceSignal = reference;
        r.outputCodes = output;
        for (std::size_t d = 0; d < 4; ++d) r.detectorCodes[d] = detectors[d];
        r.extCodes = ext;
        r.statusBit1 = 1;
        return r;
    }
};

TEST(SweepProcessing, ReferencingInputOfTheSweep)
{
    struct Case {
        std::int16_t step;
        std::uint8_t trigger;
        std::int32_t expectedStep;
    };
    const Case cases[] = {{0, 0, 1}, {1, 1, 1}, {5, 0, 5}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.step);
        const Sweep sweep;
        ScanParameterBlock block{};
        block.samplingStep = k.step;
        block.trigger = k.trigger;
        block.flagB = 1;
        block.flagD = 1;
        ScanRes partial;
        partial.firstSource = 1;
        partial.endSource = 3;
        partial.scanStart = 1540.0;
        partial.scanStop = 1560.0;
        const CorrectSautsIn in = referencingInput(sweep.view(), block, partial, 7.0, {196000.0, 195900.0});
        EXPECT_EQ(in.samplingStep, k.expectedStep);
        EXPECT_EQ(in.trigger, k.trigger != 0);
        // The reported transitions, then the extra ones.
        EXPECT_EQ(in.transitions, (std::vector<double>{120.0, 380.0, 250.0}));
        EXPECT_EQ(in.transitionCount, 3);
        EXPECT_EQ(in.markCount, 6);
        EXPECT_EQ(in.sampleCount, 5);
        EXPECT_DOUBLE_EQ(in.startFrequency, gigahertzNm / 1540.0);
        EXPECT_DOUBLE_EQ(in.stopFrequency, gigahertzNm / 1560.0);
        EXPECT_EQ(in.startShift, 7.0);
        EXPECT_EQ(in.referenceLineCount, 2);
        EXPECT_EQ(in.firstSource, 1);
        EXPECT_EQ(in.endSource, 3);
        EXPECT_EQ(in.statusBit1, 1);
        EXPECT_EQ(in.flagB, 1);
        EXPECT_EQ(in.referenceSignal.size(), 5u);
    }
}

TEST(SweepProcessing, TraceDataKeepsTheReportedLinesAndTheHops)
{
    CorrectSautsOut out;
    out.sampleFrequencies = {gigahertzNm / 1550.0, gigahertzNm / 1550.5, 0.0};
    // Two reported transitions, then one extra that is not a line.
    out.transitionFrequencies = {gigahertzNm / 1550.2, gigahertzNm / 1550.4, gigahertzNm / 1551.0};
    out.hopCount = 2;
    out.hopFrequencies = {gigahertzNm / 1550.1, gigahertzNm / 1550.3};
    out.hopSizes = {3.5, -12.25};

    struct Case {
        std::uint8_t enable2, enable3, enable4, enableExt;
        std::array<bool, 6> present;
    };
    const Case cases[] = {
        {0, 0, 0, 0, {true, true, false, false, false, false}},
        {1, 0, 1, 1, {true, true, true, false, true, true}},
    };
    for (const Case& k : cases) {
        ScanParameterBlock block{};
        block.enable2 = k.enable2;
        block.enable3 = k.enable3;
        block.enable4 = k.enable4;
        block.enableExt = k.enableExt;
        ScanRes partial;
        partial.lines = {1.0, 2.0, 3.0, 4.0};  // from an earlier sweep: replaced
        const double largest = fillTraceData(out, 2, 3, block, partial);
        EXPECT_EQ(largest, 12.25);
        ASSERT_EQ(partial.lines.size(), 2u);
        EXPECT_DOUBLE_EQ(partial.lines[1], 1550.4);
        ASSERT_EQ(partial.wavelength.size(), 3u);
        EXPECT_DOUBLE_EQ(partial.wavelength[0], 1550.0);
        EXPECT_EQ(partial.wavelength[2], 0.0);  // a sample without a frequency
        EXPECT_EQ(partial.sampleIndex, (std::vector<std::int32_t>{0, 1, 2}));
        ASSERT_EQ(partial.referenceWavelengths.size(), 2u);
        EXPECT_DOUBLE_EQ(partial.referenceWavelengths[1], 1550.3);
        EXPECT_EQ(partial.referenceDeviations, (std::vector<double>{3.5, -12.25}));
        EXPECT_EQ(partial.present, k.present);
    }
    const std::vector<double> extra = extraTransitionFrequencies(out, 2);
    ASSERT_EQ(extra.size(), 1u);
    EXPECT_DOUBLE_EQ(extra[0], gigahertzNm / 1551.0);
}

// 1/40 dB per code step on the output and detector tables, no response;
// the EXT table 0.1 V per 100 codes.
void linearCalibration(TabCalib& calib)
{
    auto output = calib.outputCodes();
    for (std::size_t i = 0; i < output.size(); ++i) output[i] = 4000 - 20 * static_cast<int>(i);
    for (int d = 0; d < 4; ++d) {
        auto codes = calib.detectorCodes(d);
        for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = 4000 - 20 * static_cast<int>(i);
        calib.detectorWords()[static_cast<std::size_t>(d)] = 4000;
    }
    auto ext = calib.extTable();
    for (std::size_t i = 0; i < ext.size(); ++i) ext[i] = static_cast<std::uint16_t>(100 * i);
}

TEST(SweepProcessing, LevelsOfTheMeasuredChannels)
{
    TabCalib calib("/nonexistent", 2);
    linearCalibration(calib);
    Sweep sweep;
    sweep.detectors[0] = {3900, 3900, 3900, 3900, 3900};
    sweep.detectors[2] = {3800, 3800, 3800};  // short: not converted
    sweep.ext = {250, 250, 250, 250, 250};    // 0.25 V

    struct Case {
        const char* name;
        std::uint8_t bncEnable;
        std::int32_t bncUnit;
        double ext;
    };
    // As a power: 0.5 x 0.25 V + 0.075 = 0.2 mW, or 0.2 dBm.
    const Case cases[] = {
        {"volts", 0, 0, 0.25},
        {"mW", 1, 0, 10.0 * std::log10(0.2)},
        {"dBm", 1, 1, 0.2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ScanParameterBlock block{};
        block.enable3 = 1;
        block.enableExt = 1;
        block.bncEnable = k.bncEnable;
        block.bncUnit = k.bncUnit;
        block.bncAlpha = 0.075;
        block.bncBeta = 0.5;
        ScanRes partial;
        partial.wavelength = {1550.0, 1550.1, 1550.2, 1550.3, 1550.4};
        partial.present = {true, true, false, true, false, true};
        partial.values[2] = {9.0};  // not measured this time: cleared
        convertLevels(sweep.view(), block, {}, calib, partial);
        ASSERT_EQ(partial.values[0].size(), 5u);
        EXPECT_DOUBLE_EQ(partial.values[0][0], 0.0);
        EXPECT_DOUBLE_EQ(partial.values[0][4], -2.0);
        ASSERT_EQ(partial.values[1].size(), 5u);
        EXPECT_DOUBLE_EQ(partial.values[1][0], -2.5);
        EXPECT_TRUE(partial.values[2].empty());
        EXPECT_TRUE(partial.values[3].empty());
        ASSERT_EQ(partial.values[5].size(), 5u);
        EXPECT_NEAR(partial.values[5][3], k.ext, 1e-12);
    }
}

TEST(SweepProcessing, FiguresOfTheWarnings)
{
    struct Case {
        const char* name;
        std::int32_t outputCode;    // at one sample
        std::int32_t detector2Code;  // at one sample (detector 2 read)
        std::vector<double> outputDbm;
        double meanVelocity;
        int code;
    };
    const Case cases[] = {
        {"clean", 4000, 3000, {-3.0, -3.5}, 20.0, 0},
        {"code 4050 is not saturated", 4050, 4050, {-3.0, -3.5}, 20.0, 0},
        {"output saturated", 4051, 3000, {-3.0, -3.5}, 20.0, 110},
        {"detector 2 saturated", 4000, 4051, {-3.0, -3.5}, 20.0, 112},
        {"a low output overrides the saturation", 4051, 3000, {-16.1, -17.0}, 20.0, 106},
        {"output levels 3 dB apart override the low output", 4000, 3000, {-13.0, -17.0}, 20.0, 109},
        {"too slow", 4000, 3000, {-3.0, -3.5}, 7.5, 101},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Sweep sweep;
        sweep.output[2] = k.outputCode;
        sweep.detectors[1] = {3000, 3000, k.detector2Code, 3000, 3000};
        ScanRes partial;
        partial.values[0] = k.outputDbm;
        const ScanMaths::SweepFigures figures = sweepFigures(sweep.view(), partial, 0, 0.0, k.meanVelocity);
        EXPECT_EQ(ScanMaths::sweepCheckCode(figures), k.code);
    }
    EXPECT_FALSE(saturated({}));
}

TEST(SweepProcessing, ValeursWLLinesAreAppendedWhole)
{
    const std::vector<double> extra{193000.5, 194000.0};
    const std::string line = valeursWLLine(1450, 2, 30, 2, extra);
    EXPECT_EQ(line, "1450 2 30 2 193000.500000 194000.000000  \n");
    EXPECT_EQ(valeursWLLine(7, 0, 6, 0, {}), "7 0 6 0  \n");

    TempDir folder;
    {
        ValeursWLFile file(folder.str());
        EXPECT_TRUE(file.append(line));
    }
    ValeursWLFile again(folder.str());
    EXPECT_TRUE(again.append("7 0 6 0  \n"));
    std::ifstream in(folder.path() / ValeursWLFile::fileName);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, line + "7 0 6 0  \n");

    ValeursWLFile missing((folder.path() / "no such folder").string());
    EXPECT_FALSE(missing.append(line));
}

}  // namespace
