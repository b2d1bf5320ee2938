#pragma once

// One named scan of the application: its raw result, a copy of the source
// configuration it was taken with, the regions no source covered, and one
// curve per displayed input.
//
// A trace belongs to the window's thread, which alone reads and changes it.
// The measurement thread never touches it: it publishes each scan as a
// snapshot, and the owner's thread hands the snapshot's result to the trace
// and builds it (applyScan), so there is nothing to lock.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ScanArea.h"
#include "ScanCurve.h"
#include "ScanRes.h"
#include "SourceConfigurationView.h"

class ConfigurationSection;
class ScanChart;
class ScanForm;
class TiXmlDocument;

// What a load met in the side file that a strict reader refuses (the
// window's Load keeps it: the engine and the chart cope with such values).
struct ScanLoadReport {
    // The first array holding a value that is not a finite number, with
    // the value's index ("side file block 3 (sample wavelengths) ..."); empty when none.
    std::string nonFinite;
    // Why the side file is not the one the scan file was saved with (LoadXml
    // returned -3); empty otherwise.
    std::string pairMismatch;
};

class ScanTrace {
public:
    // form, chart and the live configuration may be null (no window, no
    // source configuration): the trace then shows nothing and has no coverage.
    ScanTrace(ScanForm* form, ScanChart* chart, const SourceConfigurationView* liveConfiguration);
    ~ScanTrace();
    ScanTrace(const ScanTrace&) = delete;
    ScanTrace& operator=(const ScanTrace&) = delete;

    // The curve of that name, its envelopes created or removed as asked; a
    // new curve (in the palette colour of its position) when there is none.
    ScanCurve* AddCurve(const std::string& name, bool withMinMax);
    // Deletes the first curve of that name.
    void RemoveCurve(std::string_view name);
    ScanCurve* FindCurve(std::string_view name);
    const ScanCurve* FindCurve(std::string_view name) const;
    // Null for an index out of range.
    ScanCurve* CurveAt(int index);
    const ScanCurve* CurveAt(int index) const;
    int CurveCount() const { return static_cast<int>(curves_.size()); }

    // These change the curve and redraw it; unknown names and indexes are ignored.
    void SetCurveVisible(std::string_view name, bool visible);
    void SetShowMinMax(int index, bool show);
    void SetXShift(int index, double shift);
    void SetYShift(int index, double shift);

    // Shows the coverage and the palette colours (selected) or hides the
    // coverage and draws the curves black; redraws every curve.
    void SetSelected(bool selected);
    bool selected() const { return selected_; }

    // Rebuilds the coverage shapes from the live configuration, in the
    // current display unit.
    void UpdateCoverage();

    // Turns the result into curve points: insertion loss (channel minus
    // output) for every curve, except "Ext", which is relative only when
    // extReferenced is set. Samples inside the coverage shapes are left out.
    // reset restarts the envelopes; otherwise accumulate widens them. The
    // coverage shapes are compared in the display unit given (THz when
    // frequencyDisplay); the overload without it takes the form's.
    void BuildTrace(bool reset, bool extReferenced, bool accumulate, bool frequencyDisplay);
    void BuildTrace(bool reset, bool extReferenced, bool accumulate);

    // Index of the visible curve whose drawn point lies nearest (in chart
    // pixels) to the pixel position; the lower index on ties; -1 when no
    // visible curve has a point.
    int NearestCurve(double xPixel, double yPixel) const;

    void RedrawAll() const;

    // Scan files (ScanTraceXml.cpp). SaveXml appends the "Scan" part to the
    // configuration file already written at fileName and writes the side file
    // fileName + ".dat"; the overload takes the configuration frame as a
    // document in memory, so that the file never stands without its scan
    // part. Both files are complete or the save fails (error says why).
    bool SaveXml(const std::string& fileName, std::string* error = nullptr) const;
    bool SaveXml(const std::string& fileName, TiXmlDocument& document, std::string* error = nullptr) const;
    // Replaces the result with the file's: 0, or -2 when the file has no
    // VEMAR (or RB5560) root, or -3 (nothing read, report->pairMismatch
    // says why) when its side file is not the one it was saved with
    // (ScanFilePair.h). sources reads the file's Sources section into
    // the live configuration (null: the live configuration stays as it is).
    // extReferenced builds the Ext curve relative to the output, as the
    // measurement did when the file's BNC input was an optical power.
    int LoadXml(const std::string& fileName, ConfigurationSection* sources = nullptr, bool extReferenced = false,
                ScanLoadReport* report = nullptr);
    // The chart as a picture, through the installed ChartPicture (ChartPicture.h).
    bool SaveBitmap(const std::string& fileName, std::string* error = nullptr) const;
    bool SavePng(const std::string& fileName, std::string* error = nullptr) const;

    // configuration := a copy of the live configuration (a scan file loaded
    // into the live configuration hands it on to its trace this way).
    void CopyConfiguration();
    // The copy taken at creation; null when none was taken (external trigger
    // mode, or no live configuration).
    const SourceConfigurationView* configuration() const { return configuration_.get(); }
    const SourceConfigurationView* liveConfiguration() const { return liveConfiguration_; }

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    ScanRes& result() { return result_; }
    const ScanRes& result() const { return result_; }
    const ScanArea& coverage() const { return coverage_; }
    ScanForm* form() const { return form_; }
    ScanChart* chart() const { return chart_; }

private:
    // The wavelength array BuildTrace gives every curve, points entries long.
    std::shared_ptr<ScanData::Array> wavelengthArray(int points, int capacity) const;
    bool frequencyDisplay() const;

    ScanForm* form_;
    ScanChart* chart_;
    std::vector<std::unique_ptr<ScanCurve>> curves_;
    const SourceConfigurationView* liveConfiguration_;
    std::unique_ptr<SourceConfigurationView> configuration_;
    ScanArea coverage_;
    std::string name_;
    ScanRes result_;
    bool selected_ = false;
};
