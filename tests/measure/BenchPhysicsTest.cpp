// The optical bench's physics held against the program's own conversions:
// codes the bench makes from a power read back, through the unit's
// calibration tables, as that power.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "BenchCalibration.h"
#include "ClockSegment.h"
#include "DeviceUnderTest.h"
#include "FactoryCalibration.h"
#include "TabCalib.h"
#include "TempDir.h"

namespace {

constexpr double c = 299792458.0;

class BenchPhysicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<std::uint8_t> file = vemarsim::FactoryCalibration::file();
        IdentityRecord identity = vemarsim::FactoryCalibration::identity();
        std::ofstream(folder.file(calibrationFileName(identity)), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        ASSERT_EQ(tables.Load(identity), 0);
    }

    TempDir folder;
    TabCalib tables{folder.str(), vemarsim::FactoryCalibration::identity()};
    vemarsim::BenchCalibration bench{*vemarsim::FactoryCalibration::image()};
};

TEST_F(BenchPhysicsTest, CodesReadBackAsTheirPower)
{
    // Half a converter code: 0.01 dB on the output monitor, 0.0096 dB on a detector.
    for (double level = -58.0; level <= 9.0; level += 0.37) {
        const int code = static_cast<int>(std::lround(bench.outputCode(level)));
        EXPECT_NEAR(tables.OutputLevel(code), level, 0.0101) << level;
    }
    for (int d = 0; d < 4; ++d) {
        for (double nm : {1260.0, 1550.3, 1675.0}) {
            for (double level = -60.0; level <= 4.0; level += 0.71) {
                const std::vector<std::int32_t> codes{
                    static_cast<std::int32_t>(std::lround(bench.detectorCode(d, level, c / nm)))};
                const std::vector<double> wavelengths{nm};
                std::vector<double> out(1);
                tables.DetectorTrace(d, codes, wavelengths, out);
                EXPECT_NEAR(out[0], level, 0.0097) << d << " " << nm << " " << level;
            }
        }
    }
    for (double volts = 0.0; volts <= 3.0; volts += 0.113) {
        int cursor = 0;
        EXPECT_NEAR(tables.ExtVolts(static_cast<int>(std::lround(bench.extCode(volts))), cursor), volts, 0.0004) << volts;
    }
}

TEST_F(BenchPhysicsTest, ReferenceLinesAreTheMeasurementsOwn)
{
    std::vector<double> lines;
    tables.ReferenceFrequencies(lines, static_cast<int>((tables.LowestReference() + tables.HighestReference()) / 2));
    EXPECT_EQ(bench.referenceLines(), lines);
}

TEST(ClockSegment, PositionsAndFrequenciesWithHops)
{
    vemarsim::ClockSegment segment(1000.0, c / 1540.0);
    // About 80 MHz a period near 1550 nm.
    EXPECT_NEAR(segment.frequency(1001.0) - segment.frequency(1000.0), -0.08, 0.0005);
    segment.addHop(10000.5, 7.0);
    segment.addHop(20000.5, -5.0);
    segment.endAt(c / 1560.0);
    EXPECT_NEAR(segment.frequency(segment.endPosition()), c / 1560.0, 1e-6);
    ASSERT_GT(segment.endPosition(), 30000.0);
    for (const double x : {1000.0, 9000.0, 15000.0, 25000.0, 30000.0}) {
        const auto back = segment.positionOf(segment.frequency(x));
        ASSERT_TRUE(back.has_value()) << x;
        EXPECT_NEAR(*back, x, 1e-6) << x;
    }
    // Across the first hop the light jumps 7 GHz ahead of the clock.
    EXPECT_NEAR(segment.frequency(10000.6) - segment.frequency(10000.4), -7.016, 0.001);
}

TEST(DeviceUnderTest, ChannelWidthsFollowTheirShape)
{
    // A flat-top channel of order n: its width at x dB below the top is
    // the 3 dB width times (x / 3.01)^(1 / 2n).
    const vemarsim::DeviceUnderTest dwdm(vemarsim::DeviceKind::Dwdm);
    for (const vemarsim::TrueChannel& ch : dwdm.channels(2)) {
        const double f = c / ch.centreNm;
        auto gigahertz = [&](double nm) { return nm * f * f / c; };
        EXPECT_NEAR(gigahertz(ch.widthNm[0]), 55.0 * std::pow(1.0 / 3.0103, 1.0 / 6.0), 0.5);
        EXPECT_NEAR(gigahertz(ch.widthNm[1]), 55.0, 0.5);
        EXPECT_NEAR(gigahertz(ch.widthNm[2]), 55.0 * std::pow(20.0 / 3.0103, 1.0 / 6.0), 0.5);
        EXPECT_NEAR(dwdm.transmissionDb(2, f), -ch.lossDb, 1e-9);
        EXPECT_NEAR(dwdm.transmissionDb(2, f + 20.0), dwdm.transmissionDb(2, f - 20.0), 1e-3);
    }
    EXPECT_EQ(dwdm.channels(2).size(), 25u);
    const vemarsim::DeviceUnderTest cwdm(vemarsim::DeviceKind::Cwdm);
    for (const vemarsim::TrueChannel& ch : cwdm.channels(1)) {
        EXPECT_NEAR(ch.widthNm[1], 14.0, 0.2);
        EXPECT_NEAR(ch.widthNm[2], 14.0 * std::pow(20.0 / 3.0103, 0.25), 0.3);
    }
    EXPECT_TRUE(vemarsim::DeviceUnderTest(vemarsim::DeviceKind::PatchCord).channels(1).empty());
}

}  // namespace
