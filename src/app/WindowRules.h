#pragma once

// The rules the main window follows, as plain functions and tables so that
// they are tested without a window: the 5 nm minimum of the scan range, the
// start button's states, which controls may be used in which situation, the
// wavelength limits of the fibre bands and the texts of a few pages.

#include <array>
#include <string>

#include "ScanSettingRules.h"

namespace WindowRules {

// ---- Scan range -----------------------------------------------------------

inline constexpr double minimumScanRangeNm = ScanSettingRules::minimumScanRangeNm;

inline constexpr const char* stopUpdatedHint =
    " The minimum scan range is 5nm. \n The Stop Wavelength parameter has been updated ";
inline constexpr const char* startUpdatedHint =
    " The minimum scan range is 5nm. \n The Start Wavelength parameter has been updated ";

enum class RangeHint { None, StopUpdated, StartUpdated };

struct ScanRange {
    double startNm = 0.0;
    double stopNm = 0.0;
    RangeHint hint = RangeHint::None;
};

// The start edit took startNm while the stop edit holds stopNm. A range
// under 5 nm moves the stop up (hint); when the stop edit cannot go that
// high (stopMaximumNm), the stop goes to its maximum and the start back to
// 5 nm below it, without a hint.
ScanRange startChanged(double startNm, double stopNm, double stopMaximumNm);
// The mirror rule for the stop edit, with the start edit's minimum.
ScanRange stopChanged(double startNm, double stopNm, double startMinimumNm);

const char* hintText(RangeHint hint);

// ---- Fibre bands ------------------------------------------------------------

struct BandLimits {
    double lowestStartNm;
    double highestStopNm;
};

// The band code of the unit's identity; unknown codes and no unit give the
// standard band.
BandLimits fibreBandLimits(int bandCode);

// ---- Start button -----------------------------------------------------------

// Kept with the start button: idle, running, stop requested, stop pressed a
// second time.
enum class StartState { Idle = 0, Running = 1, StopRequested = 2, StopPressedAgain = 3 };

struct StartClick {
    StartState next = StartState::Idle;
    bool startMeasurement = false;  // from idle: a new measurement
    bool requestStop = false;       // any other state: the stop request runs
    bool buttonDown = false;
    bool buttonEnabled = true;
    // The progress label's new text; nullptr leaves it as it is.
    const char* label = nullptr;
};

inline constexpr const char* inProgressLabel = " In Progress ";
inline constexpr const char* stoppingLabel = " Stopping ";
inline constexpr const char* waitingLabel = " Waiting ";

// What a click on the start button does in state.
StartClick startButtonClicked(StartState state);
// The end of the measurement: back to idle, button up and enabled.
StartClick measurementEnded();

// ---- Enabling of the controls ------------------------------------------------

// The controls (or groups of controls that always go together) whose state
// depends on the measurement and the unit.
enum class Control {
    TriggerButtons,          // " Trigger " On/Off
    ExternalSyncButtons,     // " External Synchronization" On/Off
    SyncFileButtons,         // "Save Power Sync File", "Save Wavelength Sync File"
    SourceEditor,
    LoadConfiguration,       // "&Load"
    SaveConfigurationAs,     // "Save &As..."
    OutputPower,             // "Output Power (mW)" and its label
    SourceRow2,
    SourceRow3,
    SourceRow4,
    Detector2,
    Detector3,
    Detector4,
    DetectorExt,
    DetectorOrl,
    Resolution,              // "Res. (pm): "
    StartEdit,
    StopEdit,
    ScanParametersGroup,
    GraphLimits,
    FullScan,
    Single,
    Continuous,
    CounterLabel,
    CountEdit,
    ScanLimitBox,            // "Enable number of scans limitation"
    AutoSaveBox,             // "Automatic saving in continuous mode"
    AutoSaveChoices,         // "Browse Directory", folder label, "File type :", the five types
    Delay,                   // the delay edit and its label
    MinMaxResetBox,          // "Automatic reset of Min/Max curves"
    ResetModulo,             // "Number of scans between each reset" edit and label
    ScanList,                // the scan selection list
    CalibrationModeBox,      // "Enter calibration mode"
    CalibrationControls,     // "Update calibration " (both), "Reset Calibration", "Optical", "Average",
                             // the wavelength edits, " Detector  selection  "
    BncControls,             // alpha, beta and unit of the " BNC input " row
    PowerControl,            // "Start Power Control", its output label, " Input Source Selection "
    Count
};

inline constexpr int controlCount = static_cast<int>(Control::Count);

enum class Requirement {
    Idle,
    IdleWithLaserInputs,     // and the unit has at least `minimum` laser inputs
    IdleWithDetectors,       // and the unit has at least `minimum` detectors
    IdleWithAutoSave,
    IdleWithMinMaxReset,
    NotBusyWithUnit,         // not (busy and a unit present)
    IdleWithCalibrationMode,
    OpticalEnabledAndChecked,
    IdleWithoutCalibrationMode,
};

struct EnableRule {
    Control control;
    Requirement requirement;
    int minimum = 0;
};

// Everything the enabling depends on.
struct EnableState {
    bool idle = true;
    bool unitPresent = false;
    int laserInputs = 0;
    int detectors = 0;
    bool autoSave = false;
    bool minMaxReset = false;
    bool calibrationMode = false;
    bool opticalChecked = false;
};

// The table, one rule per control, in Control order.
const std::array<EnableRule, controlCount>& enableTable();

bool enabled(Control control, const EnableState& state);

// ---- Pages fed by the last scan -------------------------------------------

// One line of the "Line detection" page: index, wavelength (nm) and
// frequency (GHz).
std::string lineDetectionText(int index, double wavelengthNm);

// The window's remembered line wavelength after a scan that found line 0 at
// line0Nm; scanCount counts the scans of the trace, this one included. A
// running mean while averaging a continuous run, else the new line.
double rememberedLineWavelength(double rememberedNm, double line0Nm, bool average, bool singleMode, int scanCount);

// ---- Analysis captions -------------------------------------------------------

// "Spectral Width (3.00 dB) :" for a level of -3 dB.
std::string spectralWidthCaption(double fwhmPowerDb);
// "Left Slope [-3.00, -40.00 dB] :", "Right Slope [...] :".
std::string leftSlopeCaption(double topDb, double bottomDb);
std::string rightSlopeCaption(double topDb, double bottomDb);

}  // namespace WindowRules
