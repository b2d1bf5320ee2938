// A factory wavelength calibration on the simulated bench: etalon-mode
// scans, "Update calibration", test-mode scans with the new tables, "Show
// results".

#include <cmath>
#include <filesystem>

#include "FileUtil.h"
#include "FlashIdentitySource.h"
#include "MeasurementFixture.h"
#include "WavelengthCalibration.h"

namespace {

namespace wc = WavelengthCalibration;

class WavelengthCalibrationSimTest : public MeasurementTest {
protected:
    void scans(int acquisitionMode, int count)
    {
        settings->scanParameters.acquisitionMode = static_cast<std::int16_t>(acquisitionMode);
        for (int i = 0; i < count; ++i) {
            RecordingListener listener;
            measure(listener);
            ASSERT_EQ(listener.lastStatus().text, "Data acquisition");
        }
    }
};

TEST_F(WavelengthCalibrationSimTest, CalibrationThenTestLeavesResidualsOfAFewPicometres)
{
    usePreset("etalon");
    const std::string calib = settings->calibFolder;
    ASSERT_GT(vemarsim_bench_write_etalon_file(wc::etalonSourcePath(calib, "E1").c_str()), 600);
    addSource(0, 1240.0, 1680.0);
    setScanRange(1530.0, 1570.0);
    addCurves();

    ASSERT_TRUE(wc::chooseEtalon(calib, "E1").accepted);
    scans(2, 3);
    const wc::SweepFile calibrationSweeps = wc::readSweeps(wc::sweepsPath(calib));
    ASSERT_EQ(calibrationSweeps.sweeps.size(), 3u);
    EXPECT_EQ(calibrationSweeps.damagedLines, 0);

    FlashIdentitySource unit;
    const std::string before = readWholeFile(calib + calibrationFileName(identity));
    const wc::CalibrationResult r = wc::updateCalibration(calib, unit, identity, "E1");
    ASSERT_TRUE(r.error.empty()) << r.error.text;
    EXPECT_EQ(r.sweepsUsed, 3);
    EXPECT_TRUE(std::filesystem::exists(calib + "PicsWL.txt"));
    EXPECT_NE(readWholeFile(r.calibrationPath), before);
    EXPECT_FALSE(r.testCurve.empty());
    EXPECT_FALSE(r.chart1.empty());
    const std::string archive = calib + "CalibWL_" + identity.serialNumber() + "_E1.txt";
    ASSERT_EQ(r.archive.path, archive);
    EXPECT_FALSE(r.archive.exists);
    EXPECT_TRUE(wc::writeArchive(calib, r.archive).empty());
    EXPECT_EQ(readWholeFile(archive), readWholeFile(wc::sweepsPath(calib)));

    // Test mode: new sweeps, referenced by the new tables, against the etalon.
    ASSERT_TRUE(wc::chooseEtalon(calib, "E1").accepted);
    EXPECT_FALSE(std::filesystem::exists(wc::sweepsPath(calib)));
    scans(3, 2);
    const wc::TestResult t = wc::showResults(calib, identity, "E1");
    ASSERT_TRUE(t.error.empty()) << t.error.text;
    EXPECT_EQ(t.sweepsUsed, 2);
    ASSERT_GT(t.testCurve.size(), 40u);
    double worst = 0.0;
    for (const wc::ChartPoint& p : t.testCurve) {
        EXPECT_GT(p.x, 1529.0);
        EXPECT_LT(p.x, 1571.0);
        worst = std::max(worst, std::fabs(p.y));
    }
    EXPECT_LT(worst, 3.0);
    ASSERT_EQ(t.archive.path, calib + "TestWL_" + identity.serialNumber() + "_E1.txt");
    EXPECT_TRUE(wc::writeArchive(calib, t.archive).empty());
    EXPECT_TRUE(std::filesystem::exists(t.archive.path));
}

}  // namespace
