#pragma once

// The calibration tools of the "Control/Calibration" page that need no
// window: the curve a TF calibration takes from the current scan, the EXT
// input's local correction resampled from the "Ext" curve, the check of a
// measured against an expected wavelength before the line tables are
// scaled, and the detector item the list keeps. The page asks the questions
// and shows the warnings; the texts are here so that both agree with the
// tests.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "IdentityRecord.h"
#include "LocalAutoCalibBNC.h"
#include "ScanParameterBlock.h"

class ScanTrace;
class TabCalib;

namespace CalibrationTools {

inline constexpr const char* warningCaption = "Warning";
inline constexpr const char* calibrationFileCaption = "Calibration file";
inline constexpr const char* replaceQuestion = "Replace calibration file?";
inline constexpr const char* noScanDataText = "No scan data available.";
inline constexpr const char* noWavelengthDataText = "No data available";
inline constexpr const char* detuningText = "Wavelength detuning too high, check set up";
inline constexpr const char* resetQuestion =
    "Reset calibration file will erase all previous modifications. \n Erase File?";
inline constexpr const char* doneMark = " (Done)";

// The tables of the identity's calibration file, read to be changed and
// saved back (with the file's own identity record). A file that cannot be
// read gives no tables and the reason: saving zero tables would replace the
// unit's calibration with nothing.
struct CalibrationEdit {
    CalibrationEdit();
    ~CalibrationEdit();
    CalibrationEdit(CalibrationEdit&&) noexcept;
    CalibrationEdit& operator=(CalibrationEdit&&) noexcept;

    std::unique_ptr<TabCalib> tables;
    IdentityRecord identity;
    std::string problem;
};
CalibrationEdit loadForEditing(const std::string& calibFolder, const IdentityRecord& identity);

// The calibration file keeps each line-table value as a 16-bit count of
// 0.01 GHz below its column's reference frequency: a value outside that
// range would be stored clipped, a wavelength scale that is no longer the
// one measured. False when some value of the tables does not fit.
bool lineTablesFitTheFile(const TabCalib& tables);
inline constexpr const char* lineTablesDoNotFitText =
    "The corrected wavelength scale does not fit the calibration file: the calibration file is unchanged";

// The items of the " Detector  selection  " list: 0..3 detectors 1..4, 4
// the EXT (BNC) input.
inline constexpr int bncItem = 4;

// "1" ... "4", or "Ext" for the BNC item.
std::string curveName(int item);

struct CurvePoints {
    std::vector<double> wavelengths;  // nm, ascending
    std::vector<double> values;
};

// The curve of the item in the trace, when it has at least 2 points.
std::optional<CurvePoints> calibrationCurve(const ScanTrace& trace, int item);

// The EXT correction of 200 points over the curve's range, linearly
// interpolated between the samples; none for fewer than 3 points, nor for
// a curve that would give a table the scan controller refuses (no range,
// values that are not numbers).
std::optional<LocalAutoCalibBNC> bncCorrection(std::span<const double> wavelengths, std::span<const double> values);
// Writes "LocalAutoCalibBNC.dat" into calibFolder from the curve; the file
// stays as it was when there is no correction to write or it cannot be
// written.
enum class BncWrite { NoTable, Written, Failed };
BncWrite writeBncCorrection(const std::string& calibFolder, const CurvePoints& curve);
std::string bncCorrectionPath(const std::string& calibFolder);

// The wavelength referencing's edits hold this until a scan found a line.
inline constexpr double wavelengthEditMinimumNm = 1200.0;
inline constexpr double wavelengthEditMaximumNm = 1680.0;
inline constexpr double largestDetuningNm = 20.0;

struct WavelengthCheck {
    const char* warning = nullptr;  // none: scale the line tables by factor
    double factor = 1.0;
};
WavelengthCheck checkWavelengths(double measuredNm, double expectedNm);

// The item the detector list keeps after a click: the item chosen when its
// input is measured (detector 1 always is), otherwise detector 1.
int keptDetectorItem(int item, const ScanParameterBlock& block);

// The caption of a list item after its calibration was saved: " (Done)"
// appended to a caption of one character.
std::string doneCaption(const std::string& caption);

}  // namespace CalibrationTools
