#include "MeasurementCalibration.h"

#include "CalibrationFile.h"
#include "LocalAutoCalibBNC.h"
#include "Log.h"
#include "MeasurementSession.h"
#include "TabCalib.h"

std::unique_ptr<TabCalib> loadMeasurementCalibration(const std::string& calibFolder, const IdentityRecord& identity,
                                                     std::string* missingWarning)
{
    const std::string path = calibFolder + calibrationFileName(identity);
    const CalibrationFileCheck check = checkCalibrationFile(path, identity.calibrationKind(), &identity);
    const std::string text = calibrationFileStatusText(path, check);
    if (!check.usable() && !check.missing) throw MeasurementRefused(MeasurementRefused::Reason::Calibration, text);

    auto calib = std::make_unique<TabCalib>(calibFolder, identity);
    IdentityRecord fileIdentity = identity;
    if (check.missing) {
        Log::warn("Measurement: %s\n", text.c_str());
        if (missingWarning != nullptr) *missingWarning = text;
    } else if (calib->Load(fileIdentity) != 0) {
        // Checked a moment ago; a file changed since is refused all the same.
        throw MeasurementRefused(MeasurementRefused::Reason::Calibration,
                                 "The calibration file " + path + " can't be used: " + calib->loadProblem());
    }
    return calib;
}

std::string checkMeasurementExtCorrection(const std::string& calibFolder, bool extMeasured)
{
    const std::string path = calibFolder + LocalAutoCalibBNC::fileName;
    const LocalAutoCalibBNCCheck check = checkLocalAutoCalibBNC(path);
    if (check.missing || check.usable()) return {};
    const std::string text = localAutoCalibBNCStatusText(path, check);
    if (extMeasured)
        throw MeasurementRefused(MeasurementRefused::Reason::ExtCorrection,
                                 text + "; delete it to measure the EXT input without its local correction");
    return text + "; it is not used";
}
