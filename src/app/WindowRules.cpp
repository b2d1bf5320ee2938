#include "WindowRules.h"

#include <algorithm>

#include "Frequency.h"
#include "NumberFormat.h"
#include "ScanSettingRules.h"

namespace WindowRules {

namespace {

// The edits hold one decimal; the ends of the range are compared with the
// same tolerance as its length.
constexpr double rangeTolerance = 1e-9;

bool tooShort(double startNm, double stopNm) { return ScanSettingRules::rangeTooShort(startNm, stopNm); }

}  // namespace

ScanRange startChanged(double startNm, double stopNm, double stopMaximumNm)
{
    if (!tooShort(startNm, stopNm)) return {startNm, stopNm, RangeHint::None};
    const double wanted = startNm + minimumScanRangeNm;
    if (wanted > stopMaximumNm + rangeTolerance) {
        // The stop edit stops at its maximum: the start gives way instead.
        return {stopMaximumNm - minimumScanRangeNm, stopMaximumNm, RangeHint::None};
    }
    return {startNm, wanted, RangeHint::StopUpdated};
}

ScanRange stopChanged(double startNm, double stopNm, double startMinimumNm)
{
    if (!tooShort(startNm, stopNm)) return {startNm, stopNm, RangeHint::None};
    const double wanted = stopNm - minimumScanRangeNm;
    if (wanted < startMinimumNm - rangeTolerance) {
        return {startMinimumNm, startMinimumNm + minimumScanRangeNm, RangeHint::None};
    }
    return {wanted, stopNm, RangeHint::StartUpdated};
}

const char* hintText(RangeHint hint)
{
    switch (hint) {
    case RangeHint::StopUpdated: return stopUpdatedHint;
    case RangeHint::StartUpdated: return startUpdatedHint;
    case RangeHint::None: break;
    }
    return "";
}

BandLimits fibreBandLimits(int bandCode)
{
    switch (bandCode) {
    case 1: return {1260.0, 1360.0};
    case 2: return {1440.0, 1640.0};
    default: return {1240.0, 1680.0};
    }
}

StartClick startButtonClicked(StartState state)
{
    StartClick click;
    switch (state) {
    case StartState::Idle:
        click.next = StartState::Running;
        click.startMeasurement = true;
        click.buttonDown = true;
        click.label = inProgressLabel;
        break;
    case StartState::Running:
        click.next = StartState::StopRequested;
        click.requestStop = true;
        click.buttonDown = true;
        click.label = stoppingLabel;
        break;
    case StartState::StopRequested:
        click.next = StartState::StopPressedAgain;
        click.requestStop = true;
        click.buttonDown = true;
        break;
    case StartState::StopPressedAgain:
        // Nothing more can be asked of the thread: the button waits for its end.
        click.next = StartState::Idle;
        click.requestStop = true;
        click.buttonDown = true;
        click.buttonEnabled = false;
        break;
    }
    return click;
}

StartClick measurementEnded()
{
    StartClick click;
    click.next = StartState::Idle;
    click.buttonDown = false;
    click.buttonEnabled = true;
    return click;
}

const std::array<EnableRule, controlCount>& enableTable()
{
    using C = Control;
    using R = Requirement;
    static const std::array<EnableRule, controlCount> table = {{
        {C::TriggerButtons, R::Idle},
        {C::ExternalSyncButtons, R::Idle},
        {C::SyncFileButtons, R::Idle},
        {C::SourceEditor, R::Idle},
        {C::LoadConfiguration, R::Idle},
        {C::SaveConfigurationAs, R::Idle},
        {C::OutputPower, R::Idle},
        {C::SourceRow2, R::IdleWithLaserInputs, 2},
        {C::SourceRow3, R::IdleWithLaserInputs, 3},
        {C::SourceRow4, R::IdleWithLaserInputs, 4},
        {C::Detector2, R::IdleWithDetectors, 2},
        {C::Detector3, R::IdleWithDetectors, 3},
        {C::Detector4, R::IdleWithDetectors, 4},
        {C::DetectorExt, R::Idle},
        {C::DetectorOrl, R::Idle},
        {C::Resolution, R::Idle},
        {C::StartEdit, R::Idle},
        {C::StopEdit, R::Idle},
        {C::ScanParametersGroup, R::Idle},
        {C::GraphLimits, R::Idle},
        {C::FullScan, R::Idle},
        {C::Single, R::Idle},
        {C::Continuous, R::Idle},
        {C::CounterLabel, R::Idle},
        {C::CountEdit, R::Idle},
        {C::ScanLimitBox, R::Idle},
        {C::AutoSaveBox, R::Idle},
        {C::AutoSaveChoices, R::IdleWithAutoSave},
        {C::Delay, R::Idle},
        {C::MinMaxResetBox, R::Idle},
        {C::ResetModulo, R::IdleWithMinMaxReset},
        {C::ScanList, R::NotBusyWithUnit},
        {C::CalibrationModeBox, R::Idle},
        {C::CalibrationControls, R::IdleWithCalibrationMode},
        {C::BncControls, R::OpticalEnabledAndChecked},
        {C::PowerControl, R::IdleWithoutCalibrationMode},
    }};
    return table;
}

bool enabled(Control control, const EnableState& state)
{
    const EnableRule& rule = enableTable()[static_cast<std::size_t>(control)];
    switch (rule.requirement) {
    case Requirement::Idle: return state.idle;
    case Requirement::IdleWithLaserInputs: return state.idle && state.laserInputs >= rule.minimum;
    case Requirement::IdleWithDetectors: return state.idle && state.detectors >= rule.minimum;
    case Requirement::IdleWithAutoSave: return state.idle && state.autoSave;
    case Requirement::IdleWithMinMaxReset: return state.idle && state.minMaxReset;
    case Requirement::NotBusyWithUnit: return !(!state.idle && state.unitPresent);
    case Requirement::IdleWithCalibrationMode: return state.idle && state.calibrationMode;
    case Requirement::OpticalEnabledAndChecked:
        // "Optical" is one of the calibration controls.
        return enabled(Control::CalibrationControls, state) && state.opticalChecked;
    case Requirement::IdleWithoutCalibrationMode: return state.idle && !state.calibrationMode;
    }
    return false;
}

std::string lineDetectionText(int index, double wavelengthNm)
{
    return cformat(" %d :        %.3lf        %.1lf", index, wavelengthNm, gigahertzNm / wavelengthNm);
}

double rememberedLineWavelength(double rememberedNm, double line0Nm, bool average, bool singleMode, int scanCount)
{
    if (!average || singleMode || scanCount <= 1) return line0Nm;
    return ((scanCount - 1) * rememberedNm + line0Nm) / scanCount;
}

std::string spectralWidthCaption(double fwhmPowerDb) { return cformat("Spectral Width (%.2f dB) :", -fwhmPowerDb); }

std::string leftSlopeCaption(double topDb, double bottomDb)
{
    return cformat("Left Slope [%.2f, %.2f dB] :", topDb, bottomDb);
}

std::string rightSlopeCaption(double topDb, double bottomDb)
{
    return cformat("Right Slope [%.2f, %.2f dB] :", topDb, bottomDb);
}

}  // namespace WindowRules
