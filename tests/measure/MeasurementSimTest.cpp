// Whole measurements on the simulated bench: the curves the program builds
// against the truth of the device under test.

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "CurveChecks.h"
#include "DspProtocol.h"
#include "MeasurementFixture.h"
#include "NumberFormat.h"
#include "TabCalib.h"

namespace {

using namespace curvecheck;
using Strings = std::vector<std::string>;

class MeasurementSimTest : public MeasurementTest {
protected:
    double referenceLineAbove(double nm) const;
    // 0.8 x the calibration's first acquisition level at a start wavelength.
    std::uint32_t calibrationLevel(double startNm) const
    {
        TabCalib calib(settings->calibFolder, identity);
        IdentityRecord fileIdentity = identity;
        EXPECT_EQ(calib.Load(fileIdentity), 0);
        return static_cast<std::uint32_t>(std::trunc(0.8 * calib.LevelsAt(gigahertzNm / startNm).level1));
    }
};

TEST_F(MeasurementSimTest, SingleScanOfTheMultiplexerGivesItsTrueChannels)
{
    addSource(0, 1240.0, 1680.0);
    setScanRange(1544.0, 1556.0);
    addCurves();
    RecordingListener listener;
    vemarsim_unit_clear_record();
    measure(listener);

    EXPECT_EQ(listener.statusTexts(), (Strings{"", "Source configuration", "Data acquisition", ""}));
    // Normal mode: level 1 from the calibration at the start, no level 2.
    EXPECT_EQ(parametersOf(DSP_SET_LEVEL_1), (std::vector<std::uint32_t>{calibrationLevel(sources.sources[0].start)}));
    EXPECT_TRUE(parametersOf(DSP_SET_LEVEL_2).empty());
    const auto messages = listener.messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2].kind, "completed");
    EXPECT_EQ(messages.back().kind, "ended");
    // The chart title: the step, then the sweep's mean speed.
    const std::string title = listener.of("completed").at(0).text;
    EXPECT_TRUE(title == "Sampling res.: 1 pm    TLS 1: 19 nm/s" || title == "Sampling res.: 1 pm    TLS 1: 20 nm/s")
        << title;

    for (int d = 1; d <= 4; ++d) {
        const Points p = pointsOf(trace, std::to_string(d).c_str());
        int compared = 0;
        EXPECT_LT(passbandError(p, d, 0.5, compared), 0.05) << "detector " << d;
        EXPECT_GT(compared, 100) << "detector " << d;
        EXPECT_GE(checkCentres(p, d, 1544.0, 1556.0, 0.002), 2) << "detector " << d;
    }
}

// Every detector's curve over [low, high] against the truth.
void expectTrueCurves(const ScanTrace& trace, double low, double high, int minimumCentres,
                      const std::vector<double>& hopsNm = {})
{
    for (int d = 1; d <= 4; ++d) {
        const Points p = pointsOf(trace, std::to_string(d).c_str());
        int compared = 0;
        EXPECT_LT(passbandError(p, d, 0.5, compared), 0.05) << "detector " << d;
        EXPECT_GT(compared, 100) << "detector " << d;
        EXPECT_GE(checkCentres(p, d, low, high, 0.002, hopsNm), minimumCentres) << "detector " << d;
    }
}

TEST_F(MeasurementSimTest, ModeHopsAreFoundAndTakenOut)
{
    usePreset("dwdm-hops", 11);
    addSource(0, 1240.0, 1680.0);
    setScanRange(1525.0, 1575.0);
    addCurves();
    RecordingListener listener;
    measure(listener);

    // A few hops of at most 20 GHz: no warning.
    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    std::vector<double> where(16), size(16);
    const int hops = vemarsim_bench_last_hops(where.data(), size.data(), 16);
    const ScanRes& result = trace.result();
    ASSERT_EQ(hops, 4);
    ASSERT_EQ(result.referenceWavelengths.size(), 4u);
    for (int h = 0; h < hops; ++h) {
        // The hop's size as the referencing measured it (GHz, signed the
        // other way: a forward hop shortens the line spacing).
        EXPECT_NEAR(std::fabs(result.referenceDeviations[static_cast<std::size_t>(h)]), std::fabs(size[static_cast<std::size_t>(h)]), 0.2)
            << h;
        EXPECT_NEAR(result.referenceWavelengths[static_cast<std::size_t>(h)], where[static_cast<std::size_t>(h)], 0.01) << h;
    }
    where.resize(static_cast<std::size_t>(hops));
    expectTrueCurves(trace, 1525.0, 1575.0, 10, where);
}

TEST_F(MeasurementSimTest, TwoSequentialSourcesGiveOneCurve)
{
    // Sources 0 and 1 on the two laser inputs, overlapping over 1548-1552 nm.
    addSource(0, 1500.0, 1552.0);
    addSource(1, 1548.0, 1600.0);
    setScanRange(1543.0, 1557.0);
    addCurves();
    RecordingListener listener;
    vemarsim_unit_clear_record();
    measure(listener);

    // Input 0 is configured when the controller is made and when the scan
    // starts, input 1 between the two acquisitions.
    const auto packets = receivedPackets();
    std::vector<std::string> order;
    for (const auto& p : packets) {
        if (p.code == DSP_ACQ_START) order.push_back("start");
        if (p.code == DSP_ACQ_STOP) order.push_back("stop");
        if (p.code == DSP_SET_CONFIG && ((p.parameter >> 16) == 0)) order.push_back(cformat("input %u", (p.parameter >> 4) & 3));
    }
    EXPECT_EQ(order, (Strings{"input 0", "input 0", "start", "stop", "input 1", "start", "stop"}));

    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    ASSERT_EQ(trace.result().sweepVelocities.size(), 2u);
    EXPECT_NE(listener.of("completed").at(0).text.find("TLS 2: "), std::string::npos);
    // Two acquisitions, one per source.
    EXPECT_EQ(vemarsim_bench_acquisitions(), 2);
    for (int d = 1; d <= 4; ++d) expectContinuous(pointsOf(trace, std::to_string(d).c_str()), 1543.01, 1556.99, 0.01);
    expectTrueCurves(trace, 1543.0, 1557.0, 2);
}

// The wavelength of the first reference line of the unit above nm.
double MeasurementSimTestReferenceLineAbove(const std::string& calibFolder, const IdentityRecord& identity, double nm)
{
    TabCalib calib(calibFolder, identity);
    IdentityRecord fileIdentity = identity;
    EXPECT_EQ(calib.Load(fileIdentity), 0);
    std::vector<double> lines;
    calib.ReferenceFrequencies(lines, static_cast<int>((calib.LowestReference() + calib.HighestReference()) / 2));
    double best = 1e9;
    for (const double f : lines)
        if (gigahertzNm / f > nm) best = std::min(best, gigahertzNm / f);
    return best;
}

double MeasurementSimTest::referenceLineAbove(double nm) const
{
    return MeasurementSimTestReferenceLineAbove(settings->calibFolder, identity, nm);
}

TEST_F(MeasurementSimTest, TwoChainedSourcesGiveOneCurve)
{
    // The DSP goes on acquiring from source 0 to source 1 by itself. The
    // lines are counted across the sources, so they must not overlap: they
    // meet just before a reference line, where source 1's aligned start
    // lies (elsewhere it would start up to a line spacing further on).
    usePreset("chained");
    const double boundary = std::floor(referenceLineAbove(1550.0) * 1000.0) / 1000.0 - 0.004;
    addSource(0, 1500.0, boundary);
    addSource(1, boundary, 1600.0);
    setScanRange(1543.0, 1557.0);
    addCurves();
    RecordingListener listener;
    measure(listener);

    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    EXPECT_EQ(vemarsim_bench_acquisitions(), 1);
    // One sweep read back, processed as one result of two segments.
    EXPECT_EQ(trace.result().sweepVelocities.size(), 1u);
    EXPECT_EQ(trace.result().lines.size(), 2u);
    for (int d = 1; d <= 4; ++d) expectContinuous(pointsOf(trace, std::to_string(d).c_str()), 1543.01, 1556.99, 0.01);
    expectTrueCurves(trace, 1543.0, 1557.0, 2);
}

TEST_F(MeasurementSimTest, TriggeredSweepOfSourceZero)
{
    addSource(0, 1240.0, 1680.0);
    setScanRange(1544.0, 1556.0);
    settings->scanParameters.trigger = 1;
    // Triggered sources are set up by hand: sweeping the scan range, lit,
    // at their speed.
    buildTriggeredBench(1544.0, 1556.0);
    ASSERT_EQ(sources.sources[0].ApplyPower(1.0f), 0);
    ASSERT_EQ(sources.sources[0].ApplySpeed(25), 0);
    addCurves();
    RecordingListener listener;
    measure(listener);

    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    // The program moved no laser: the bench swept source 0 on the trigger.
    EXPECT_EQ(vemarsim_gpib_sweeps(1, nullptr, 0), 0);
    EXPECT_DOUBLE_EQ(sources.sources[0].lambdaMin, 1544.0);
    EXPECT_DOUBLE_EQ(sources.sources[0].lambdaMax, 1556.0);
    expectTrueCurves(trace, 1544.0, 1556.0, 2);
}

TEST_F(MeasurementSimTest, EtalonReferencingInModeTwo)
{
    usePreset("etalon");
    ASSERT_GT(vemarsim_bench_write_etalon_file((settings->calibFolder + "Etalon.txt").c_str()), 600);
    addSource(0, 1240.0, 1680.0);
    setScanRange(1545.0, 1555.0);
    settings->scanParameters.acquisitionMode = 2;
    addCurves();
    RecordingListener listener;
    vemarsim_unit_clear_record();
    measure(listener);

    // Mode 2 above 1400 nm: level 1 is 200, level 2 comes from the calibration.
    EXPECT_EQ(parametersOf(DSP_SET_LEVEL_1), (std::vector<std::uint32_t>{200}));
    EXPECT_EQ(parametersOf(DSP_SET_LEVEL_2), (std::vector<std::uint32_t>{calibrationLevel(sources.sources[0].start)}));

    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    // Port 1 shows the etalon's peaks where they are, the others the patch cords.
    const Points p = pointsOf(trace, "1");
    EXPECT_GE(checkCentres(p, 1, 1545.0, 1555.0, 0.002), 10);
    for (int d = 2; d <= 4; ++d) {
        int compared = 0;
        EXPECT_LT(passbandError(pointsOf(trace, std::to_string(d).c_str()), d, 0.5, compared), 0.05) << d;
    }
    // Each processed sweep of mode 2 adds its line to "ValeursWL.txt": the
    // level-9 reading, the hops, the marks, the internal lines and their
    // frequencies.
    std::ifstream file(settings->calibFolder + "ValeursWL.txt");
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    std::istringstream fields(line);
    int level9 = 0, hops = -1, marks = 0, extra = 0;
    fields >> level9 >> hops >> marks >> extra;
    EXPECT_EQ(level9, 1450);
    EXPECT_EQ(hops, 0);
    EXPECT_GT(marks, 20);
    EXPECT_GE(extra, 10);
    double first = 0.0;
    fields >> first;
    EXPECT_GT(first, 192000.0);
    EXPECT_LT(first, 195000.0);
    EXPECT_FALSE(std::getline(file, line));
}

TEST_F(MeasurementSimTest, ExtInputReadAsAPower)
{
    // The bench's EXT input sees 0.2 V + 2 V/mW of detector 1's light: read
    // back as mW (alpha -0.1, beta 0.5) it is detector 1's level, and
    // referenced to the output, port 1's insertion loss.
    addSource(0, 1240.0, 1680.0);
    setScanRange(1544.0, 1556.0);
    ScanParameterBlock& b = settings->scanParameters;
    b.enableExt = 1;
    b.bncEnable = 1;
    b.bncAlpha = -0.1;
    b.bncBeta = 0.5;
    b.bncUnit = 0;
    trace.AddCurve("Ext", false);
    RecordingListener listener;
    measure(listener);
    EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
    int compared = 0;
    EXPECT_LT(passbandError(pointsOf(trace, "Ext"), 1, 0.5, compared), 0.05);
    EXPECT_GT(compared, 100);
}

TEST_F(MeasurementSimTest, FlatAndCoarseDevices)
{
    addSource(0, 1240.0, 1680.0);
    addCurves();
    for (const char* preset : {"patchcord", "cwdm"}) {
        SCOPED_TRACE(preset);
        usePreset(preset);
        // The CWDM range holds a channel of every port.
        const bool cwdm = preset == std::string("cwdm");
        setScanRange(cwdm ? 1480.0 : 1540.0, cwdm ? 1580.0 : 1560.0);
        settings->scanParameters.samplingStep = 5;
        RecordingListener listener;
        measure(listener);
        EXPECT_EQ(listener.lastStatus().text, "Data acquisition");
        for (int d = 1; d <= 4; ++d) {
            int compared = 0;
            EXPECT_LT(passbandError(pointsOf(trace, std::to_string(d).c_str()), d, 0.5, compared), 0.05) << d;
            EXPECT_GT(compared, 100) << d;
        }
    }
}

}  // namespace
