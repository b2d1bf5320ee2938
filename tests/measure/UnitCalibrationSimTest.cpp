// The calibration tables of the simulated unit, read the way a measurement
// reads them: the identity from the unit's flash, the calibration file
// copied from the unit into the Calib folder, then loaded.

#include <gtest/gtest.h>

#include "CorrectSauts.h"
#include "FlashControl.h"
#include "FlashIdentitySource.h"
#include "FlashZones.h"
#include "SimUnitFixture.h"
#include "SyntheticSweep.h"
#include "TabCalib.h"
#include "TempDir.h"

namespace {

using UnitCalibrationSimTest = SimUnitTest;

TEST_F(UnitCalibrationSimTest, TablesOfTheConnectedUnit)
{
    TempDir calibFolder;
    FlashControl control;
    control.CheckCalibrationFile(calibFolder.str(), true);
    IdentityRecord identity = control.identity();
    ASSERT_TRUE(identity.isValid());

    FlashIdentitySource unit;
    TabCalib calib(calibFolder.str(), unit);
    EXPECT_EQ(calib.calibrationKind(), identity.calibrationKind());
    ASSERT_EQ(calib.Load(identity), 0);
    EXPECT_EQ(identity, control.identity());

    // The measurement's reference lines: descending, about 100 GHz apart.
    std::vector<double> lines;
    const int selector = static_cast<int>((calib.LowestReference() + calib.HighestReference()) / 2);
    ASSERT_EQ(calib.ReferenceFrequencies(lines, selector), calib.PointCount());
    for (std::size_t i = 1; i < lines.size(); ++i) ASSERT_LT(lines[i], lines[i - 1]) << i;

    // The wavelength referencing learns the unit's kind the same way.
    SyntheticSweep sweep;
    sweep.sources = {{0, 195950, 0.125, 0}};
    CorrectSautsIn in = sweep.input(gridLines(200000, 250));
    CorrectSautsOut out;
    EXPECT_EQ(CorrectSauts(in, out, calibFolder.str(), unit), 0);
}

TEST_F(UnitCalibrationSimTest, LayoutOfTheUnitsKindOrOfABlankUnit)
{
    // A kind-1 unit.
    FlashControl control;
    control.ReadIdentity();
    IdentityRecord kind1 = control.identity();
    kind1.setCalibrationKind(1);
    ASSERT_EQ(vemarsim_unit_write_flash(FlashZones::identity.firstWord, kind1.bytes().data(), IdentityRecord::size), 0);
    FlashIdentitySource unit;
    EXPECT_EQ(TabCalib("/nonexistent", unit).PointCount(), 590);

    // An identity that cannot be read: the layout of a unit without kind.
    vemarsim_unit_inject_fault(VEMARSIM_FAULT_BLOCK_CHECKSUM, 0);
    EXPECT_EQ(TabCalib("/nonexistent", unit).PointCount(), 638);
}

}  // namespace
