#pragma once

// The parts of the main window that other parts of the program build: the
// transfer-function chart with its controls, the "Band-pass filter
// analysis" page and the source editor. The window creates each through a
// factory given to it at construction (none given: the place stays empty)
// and calls it only through these interfaces.

#include <functional>
#include <memory>
#include <string>
#include <utility>

class ApplicationConfig;
class ConfigurationSection;
class MaintenanceHost;
class QWidget;
class ScanChart;
class ScanManager;
class TFormZovEZO;

namespace WindowRules {
struct EnableState;
}

// The "Transfer functions" page: the chart (`TransfertChart`), its trace,
// zoom, cursor and information controls and the scan commands.
class TransferChartPage {
public:
    virtual ~TransferChartPage() = default;

    // What the scan store draws on; it is bound at the store's construction.
    virtual ScanChart* scanChart() = 0;
    // Zoom mode "Wavelength limits": the axes take the scan range. Called when
    // a measurement starts, after a change of the range edits and after
    // "Graph Limits", each time only while zoomStatus is 0.
    virtual void resetAxesToScanRange(double startNm, double stopNm) = 0;
    // After each completed scan: the chart and its information block show
    // the current trace as it now stands.
    virtual void refreshAfterScan() = 0;
    // The trace controls for the current trace (true after a measurement
    // started), or off (false: no trace yet).
    virtual void setTraceControlsEnabled(bool enabled) = 0;
    // "&Load", "&Save", "Clear &Current Scan", "Clear &All Scan".
    virtual void setScanCommandsEnabled(bool enabled) = 0;
    // The scan selection list.
    virtual void setScanListEnabled(bool enabled) = 0;
    // A trace was appended to the store under this name ("Last Scan").
    virtual void scanAdded(const std::string& name) = 0;
    // The displayed-trace selection follows the store (before a measurement).
    virtual void refreshDisplayedTraces() = 0;
    // The chart shows THz instead of nm.
    virtual bool frequencyDisplay() const = 0;
    // The visible range of the bottom axis, in nm ("Graph Limits").
    virtual std::pair<double, double> visibleRangeNm() const = 0;
    // The rows of the settings mapping whose controls live on the page:
    // zoomStatus, the cursor settings, the analysis levels with their
    // captions and showInfo (applied only with the factory switch; off
    // without it).
    virtual void settingsToControls(const ApplicationConfig& settings, bool factory) = 0;
    virtual void controlsToSettings(ApplicationConfig& settings) const = 0;
};

// The "Band-pass filter analysis" page (`TPassBandFrame`).
class PassBandPage {
public:
    virtual ~PassBandPage() = default;

    // A measurement starts: the parameters are locked and the results cleared.
    virtual void measurementStarts() = 0;
    // The measurement ended or is being stopped: the parameters are unlocked.
    virtual void measurementStops() = 0;
    // After every completed scan.
    virtual void analyse() = 0;
    // The displayed scan changed (a scan loaded, selected or cleared).
    virtual void updateCurves() = 0;
    // The single or the continuous measurement mode was chosen.
    virtual void setContinuous(bool continuous) = 0;
    // The Passband section of the configuration file.
    virtual ConfigurationSection& configurationSection() = 0;
};

// The four source rows of the " Sources Parameters " group.
class SourceEditorPanel {
public:
    virtual ~SourceEditorPanel() = default;

    // The rows reload from the live source records.
    virtual void RefreshAll() = 0;
    // The rows write into the live source records.
    virtual void ApplyAll() = 0;
    // All rows and the header together.
    virtual void SetEnabled(bool enabled) = 0;
    // Row index 1 to 3 (TLS2 to TLS4): available on this unit and idle.
    virtual void SetRowEnabled(int row, bool enabled) = 0;
    // The fibre band code of the unit (the limits of the wavelength edits).
    virtual void SetFibreBand(int fibreBand) = 0;
};

// The "Control/Calibration" page: power control, the TF, BNC and
// wavelength calibrations of the calibration file.
class CalibrationPagePart {
public:
    virtual ~CalibrationPagePart() = default;

    // The window's enabling ran with this state (idle, unit); the page adds
    // its own calibration mode and "Optical" and enables its controls.
    virtual void applyEnabling(const WindowRules::EnableState& state) = 0;
    // A measurement is about to start: whatever uses the unit stops first.
    virtual void measurementStarts() = 0;
    // Device detection adapted the window: the lists take the unit's laser
    // inputs and detectors (0 leaves a list as it is).
    virtual void unitAdapted(int laserInputs, int detectors) = 0;
    // A scan found its line 0 at line0Nm (scanCount scans in the trace,
    // this one included): the wavelength referencing's edits take the
    // remembered line wavelength.
    virtual void lineFound(double line0Nm, bool singleMode, int scanCount) = 0;
    // The rows of the settings mapping whose controls live on the page.
    virtual void settingsToControls(const ApplicationConfig& settings) = 0;
    virtual void controlsToSettings(ApplicationConfig& settings) const = 0;
};

// The "Factory" page: the DSP, the calibration file in the unit, the
// sources' outputs and the wavelength calibration against an etalon.
class FactoryPagePart {
public:
    virtual ~FactoryPagePart() = default;

    virtual void applyEnabling(bool idle) = 0;
    // The acquisition mode the next measurement runs in: 0 normal, 2 etalon
    // on port 1 for wavelength referencing, 3 test mode.
    virtual int acquisitionMode() const = 0;
};

// The factories the window calls while it is built, in this order: the
// chart page first (the session's scan store is bound to its chart, so the
// session does not exist yet: the page calls window.session() and
// window.displayedScanChanged() only on user commands, never while it is
// built), then the passband page on the session's settings and store, then
// the source rows on the session's sources. Each gets the empty place it
// fills; a part that holds Qt widgets deletes them when it goes (the window
// destroys the parts before the session's store, the chart page last). The
// source rows call window.SourcesRangeChanged() whenever the sources' range
// changes.
struct WindowParts {
    // The page may call window.session() and window.displayedScanChanged()
    // on user commands, never while it is built (the session comes after it).
    std::function<std::unique_ptr<TransferChartPage>(QWidget& place, TFormZovEZO& window)> transferChart;
    std::function<std::unique_ptr<PassBandPage>(QWidget& place, ApplicationConfig& settings, ScanManager& scans)>
        passBand;
    std::function<std::unique_ptr<SourceEditorPanel>(QWidget& place, TFormZovEZO& window)> sourceEditor;
    // The maintenance pages, last (they may use the session at once).
    std::function<std::unique_ptr<CalibrationPagePart>(QWidget& place, MaintenanceHost& host)> calibration;
    std::function<std::unique_ptr<FactoryPagePart>(QWidget& place, MaintenanceHost& host)> factory;
};
