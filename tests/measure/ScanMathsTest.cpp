// The arithmetic of a scan, with hand-computed answers.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ScanMaths.h"
#include "ScanResultText.h"
#include "Sourceconfig.h"
#include "StartAlignment.h"
#include "TabCalib.h"

namespace {

constexpr double c = 299792458.0;

ScanParameterBlock powerCheckBlock()
{
    ScanParameterBlock b;
    b.flagA = b.flagB = b.flagD = 1;
    b.enable2 = b.enable3 = b.enable4 = 1;
    return b;
}

TEST(ScanMaths, ConfigurationWords)
{
    struct Case {
        const char* name;
        ScanParameterBlock block;
        std::uint32_t word;
    };
    std::vector<Case> cases;
    ScanParameterBlock b = powerCheckBlock();
    b.acquisitionMode = 1;
    cases.push_back({"power check, input 0", b, 70085});
    b.inputIndex = 1;
    b.lastInputIndex = 2;
    cases.push_back({"power check, input 1", b, 86485});
    b.acquisitionMode = 0;
    cases.push_back({"input selection, input 1", b, 20949});
    b = powerCheckBlock();
    cases.push_back({"input selection, input 0", b, 4549});
    // A switch selects the source: the DSP always sees the first input.
    b.inputIndex = 2;
    b.switchActive = 1;
    cases.push_back({"switch", b, 4549});
    ScanParameterBlock all;
    all.trigger = 1;
    all.externalSynchronization = 1;
    all.enableExt = 1;
    all.enableOrl = 1;
    all.flagC = 1;
    all.precise = 1;
    all.inputIndex = 3;
    all.lastInputIndex = 3;
    all.acquisitionMode = 2;
    cases.push_back({"every other bit", all, 0x2u | 0x8u | 0x30u | 0x200u | 0x400u | 0x800u | 0x2000u | 0x8000u | 0x20000u});
    for (const Case& k : cases) EXPECT_EQ(ScanMaths::configurationWord(k.block), k.word) << k.name;
}

TEST(ScanMaths, MarkCountAndSpan)
{
    // 12491 GHz between 1500 and 1600 nm: 124 spacings of 100 GHz, plus 2.
    EXPECT_EQ(ScanMaths::markCountFor(1500.0, 1600.0), 126);
    EXPECT_EQ(ScanMaths::spanInClockPeriods(1240.0, 1680.0), 791502);
}

TEST(ScanMaths, SmallestSamplingStep)
{
    struct Case {
        const char* name;
        int step;
        int precise;
        std::int64_t span;
        int expected;
    };
    // Four detectors: 6 channels share a million samples, 166666 each.
    const Case cases[] = {
        {"full range at 1 pm", 1, 0, 791502, 5},          // 791502 / 4 > 166666 >= 791502 / 5
        {"full range, precise", 1, 1, 791502, 10},        // twice the samples
        {"a step already large enough", 20, 0, 791502, 20},
        {"no span", 7, 0, 0, 7},
        {"at most 250", 1, 0, 1000000000, 250},
        // A step of 0 (a negative one normalised) counts as 1 instead of dividing by zero.
        {"step 0", 0, 0, 791502, 5},
        {"negative step", -3, 0, 791502, 5},
        {"step 0 without span", 0, 0, 0, 1},
    };
    for (const Case& k : cases) {
        ScanParameterBlock b = powerCheckBlock();
        b.samplingStep = static_cast<std::int16_t>(k.step);
        b.precise = static_cast<std::int16_t>(k.precise);
        EXPECT_EQ(ScanMaths::minimumSamplingStep(b, k.span), k.expected) << k.name;
    }
}

TEST(ScanMaths, SamplingShiftAndNormalisation)
{
    const std::pair<int, int> shifts[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {7, 2}, {8, 3}, {250, 7}};
    for (const auto& [step, shift] : shifts) EXPECT_EQ(ScanMaths::samplingShift(step), shift) << step;
    // Step 6: the DSP keeps the sum of six codes shifted right by 2.
    const std::vector<std::uint16_t> raw{5250, 1, 6142};
    EXPECT_EQ(ScanMaths::normaliseCodes(raw, 6), (std::vector<std::int32_t>{3500, 0, 4094}));
    EXPECT_EQ(ScanMaths::normaliseCodes(raw, 1), (std::vector<std::int32_t>{5250, 1, 6142}));
}

TEST(ScanMaths, JumpIndexesCloserThanFiveMerge)
{
    const std::vector<std::uint32_t> indexes{100, 102, 103, 200, 204, 300, 305};
    EXPECT_EQ(ScanMaths::mergeJumpIndexes(indexes), (std::vector<double>{102.0, 202.0, 300.0, 305.0}));
    EXPECT_TRUE(ScanMaths::mergeJumpIndexes({}).empty());
}

TEST(ScanMaths, VelocitiesFromTheReferenceSignal)
{
    // 234.375 units of 64 ticks at 150 MHz are 100 us.
    const std::vector<double> wavelengths{1500.0, 1500.001, 1500.001, 1500.003};
    const std::vector<double> reference(4, 234.375);
    const std::vector<double> v = ScanMaths::sampleVelocities(wavelengths, reference);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_DOUBLE_EQ(v[0], 0.0);
    EXPECT_NEAR(v[1], 10.0, 1e-6);
    EXPECT_NEAR(v[2], 10.0, 1e-6);  // no rise: the previous velocity
    EXPECT_NEAR(v[3], 20.0, 1e-6);
    EXPECT_NEAR(ScanMaths::meanVelocity(v), 40.0 / 3.0, 1e-6);
    EXPECT_EQ(ScanMaths::meanVelocity(std::vector<double>{5.0}), 0.0);
}

TEST(ScanMaths, LevelMeansRoundHalfUp)
{
    EXPECT_EQ(ScanMaths::meanLevel(25, 10), 3);
    EXPECT_EQ(ScanMaths::meanLevel(24, 10), 2);
    EXPECT_EQ(ScanMaths::meanLevel(35, 10), 4);
    EXPECT_EQ(ScanMaths::meanLevel(40950, 10), 4095);
}

TEST(ScanMaths, ExtInputAsOpticalPower)
{
    ScanParameterBlock b;
    b.bncAlpha = 0.5;
    b.bncBeta = 2.0;
    b.bncUnit = 0;  // mW
    const ScanMaths::BncCorrection none;
    EXPECT_NEAR(ScanMaths::bncLevel(b, none, 1550.0, 0.25), 0.0, 1e-12);  // 1 mW
    EXPECT_EQ(ScanMaths::bncLevel(b, none, 1550.0, -0.5), -100.0);
    b.bncAlpha = -3.0;
    b.bncUnit = 1;  // dBm
    EXPECT_NEAR(ScanMaths::bncLevel(b, none, 1550.0, 1.0), -1.0, 1e-12);

    const ScanMaths::BncCorrection table{1500.0, 10.0, {0.0, 1.0, 3.0}};
    struct Case {
        double nm;
        double correction;
    };
    const Case cases[] = {{1505.0, 0.5}, {1515.0, 2.0}, {1490.0, -1.0}, {1530.0, 5.0}};
    for (const Case& k : cases) EXPECT_NEAR(ScanMaths::bncLevel(b, table, k.nm, 1.0), -1.0 - k.correction, 1e-12) << k.nm;
}

TEST(ScanMaths, SweepChecksInTheirOrder)
{
    struct Case {
        const char* name;
        ScanMaths::SweepFigures figures;
        int code;
    };
    auto sane = [] {
        ScanMaths::SweepFigures f;
        f.meanVelocity = 40.0;
        f.hasOutput = true;
        f.outputLowestDbm = -1.0;
        f.outputHighestDbm = 0.0;
        return f;
    };
    std::vector<Case> cases;
    cases.push_back({"clean", sane(), 0});
    auto f = sane();
    f.hopCount = 11;
    cases.push_back({"more than 10 hops", f, 108});
    f = sane();
    f.largestHopGHz = 20.5;
    cases.push_back({"a hop above 20 GHz", f, 108});
    f.largestHopGHz = 20.0;
    cases.push_back({"a hop of 20 GHz", f, 0});
    f = sane();
    f.meanVelocity = 7.5;
    cases.push_back({"7.5 nm/s", f, 101});
    f.meanVelocity = 125.0;
    cases.push_back({"125 nm/s", f, 102});
    f = sane();
    f.outputSaturated = true;
    cases.push_back({"output saturated", f, 110});
    f.outputLowestDbm = -17.0;
    f.outputHighestDbm = -15.0;
    cases.push_back({"a low output replaces saturation", f, 106});
    f.outputHighestDbm = -13.5;
    cases.push_back({"output levels 3.5 dB apart replace it", f, 109});
    f = sane();
    f.detectorSaturated = {false, false, true, false};
    cases.push_back({"detector 3 saturated", f, 113});
    f.detectorSaturated = {true, false, false, true};
    cases.push_back({"detectors 1 and 4 saturated: the last", f, 114});
    for (const Case& k : cases) EXPECT_EQ(ScanMaths::sweepCheckCode(k.figures), k.code) << k.name;
}

TEST(ScanResultText, CodesAndSeverities)
{
    struct Case {
        int code;
        int severity;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, ""},
        {1, 2, "The measurement has been canceled by the user"},
        {2, 2, "error in the data exchange with the DSP"},
        {3, 2, "error in the wavelength referencing: check TLS sources"},
        {4, 2, "switch failure"},
        {5, 2, "failure in the communication with the DSP"},
        {6, 2, "Error"},
        {99, 2, "Error"},
        {-3, 2, "Error"},
        {100, 1, "mode hops on the scan"},
        {106, 1, "in one TLS input power: check TLS sources"},
        {107, 0, ""},
        {108, 1, "numerous mode hops or multimoding behavior"},
        {110, 0, ""},
        {125, 1, "trouble in the wavelength referencing: check TLS sources"},
    };
    for (const Case& k : cases) {
        const ScanResultText::Status s = ScanResultText::forScanCode(k.code);
        EXPECT_EQ(s.severity, k.severity) << k.code;
        EXPECT_EQ(s.text, k.text) << k.code;
    }
    EXPECT_STREQ(ScanResultText::forInputPowerCode(115), "spurious input power: ckeck set-up");
    EXPECT_STREQ(ScanResultText::forInputPowerCode(118), "power too low on IN port 2");
    EXPECT_STREQ(ScanResultText::forInputPowerCode(124), "power too high on IN port 4");
    EXPECT_EQ(ScanResultText::forInputPowerCode(108), nullptr);
    EXPECT_EQ(ScanResultText::forInputPowerCode(125), nullptr);
}

TEST(StartAlignment, ShiftsOnTheLineGrid)
{
    const std::vector<double> lines{200000.0, 199900.0, 199800.0};
    // 70 % of a spacing below the upper line: raised until at most 45 %.
    EXPECT_EQ(StartAlignment::shiftFor(lines, 199830.0, true), 25);
    EXPECT_EQ(StartAlignment::shiftFor(lines, 199870.0, true), 0);
    // A later source goes down to the lower line (or just past it).
    EXPECT_EQ(StartAlignment::shiftFor(lines, 199830.0, false), -30);
    EXPECT_EQ(StartAlignment::shiftFor(lines, 199830.5, false), -31);
    // No line above, or none below: the start stays.
    EXPECT_EQ(StartAlignment::shiftFor(lines, 200000.0, true), std::nullopt);
    EXPECT_EQ(StartAlignment::shiftFor(lines, 200050.0, false), std::nullopt);
    EXPECT_EQ(StartAlignment::shiftFor(lines, 199799.0, true), std::nullopt);
    EXPECT_EQ(StartAlignment::shiftFor({}, 199830.0, true), std::nullopt);
}

TEST(StartAlignment, SourcesOfATable)
{
    // A table without reference values aligns on its response axis:
    // c / 1236.45 nm - 100 GHz x i.
    TabCalib calib("", 2);
    ConfLaser sources;
    for (int i = 0; i < 2; ++i) sources.sources[static_cast<std::size_t>(i)].enable = true;
    sources.sources[0].SetLambdaMin(1550.0);
    sources.sources[0].SetLambdaMax(1562.0);
    sources.sources[1].SetLambdaMin(1555.0);
    sources.SetScanStart(1500.0);
    sources.SetScanStop(1570.0);
    sources.sources[1].SetScanRange(1560.0, 1570.0);
    ASSERT_EQ(sources.firstActive, 0);
    ASSERT_EQ(sources.endActive, 2);

    StartAlignment::AlignSources(sources, calib, true);
    // Source 0 would go up to 1549.976 nm, below its lowest wavelength: it stays.
    EXPECT_DOUBLE_EQ(sources.sources[0].start, 1550.0);
    EXPECT_EQ(sources.sources[0].startShift, 0.0);
    // Triggered: source 0's range is its part of the scan.
    EXPECT_DOUBLE_EQ(sources.sources[0].lambdaMin, 1550.0);
    EXPECT_DOUBLE_EQ(sources.sources[0].lambdaMax, 1562.0);
    // Source 1: 12.4 GHz above the line below it, moved down 13 GHz.
    EXPECT_EQ(sources.sources[1].startShift, -13.0);
    EXPECT_NEAR(sources.sources[1].start, c / (c / 1560.0 - 13.0), 1e-9);

    // Without trigger and with room below, the first source is raised by
    // 3 GHz (the records have no laser to move).
    sources.sources[0].SetLambdaMin(1540.0);
    sources.sources[0].SetScanRange(1550.0, 1562.0);
    StartAlignment::AlignSources(sources, calib, false);
    EXPECT_EQ(sources.sources[0].startShift, 3.0);
    EXPECT_NEAR(sources.sources[0].start, c / (c / 1550.0 + 3.0), 1e-9);
}

}  // namespace
