#include "MeasurementCalibration.h"

#include "Log.h"
#include "TabCalib.h"

std::unique_ptr<TabCalib> loadMeasurementCalibration(const std::string& calibFolder, const IdentityRecord& identity)
{
    auto calib = std::make_unique<TabCalib>(calibFolder, identity);
    IdentityRecord fileIdentity = identity;
    if (calib->Load(fileIdentity) != 0)
        Log::warn("Measurement: no calibration file for %s in %s: the levels are not calibrated\n",
                  identity.serialText().c_str(), calibFolder.c_str());
    return calib;
}
