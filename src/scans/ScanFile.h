#pragma once

// The scan file commands of the chart page: saving the selected trace in the
// form the save dialog's filter chose, and loading a scan file into a new
// trace. The dialogs themselves belong to the window.

#include <string>

#include "ConfigurationFile.h"
#include "ScanTextHeaders.h"

class About;
class ApplicationConfig;
class ScanManager;
class ScanTrace;
class SourceConfigurationView;
struct ScanLoadReport;

// What the configuration frame at the head of a scan file is written from.
struct ScanFileFrame {
    const About& about;
    const ApplicationConfig& settings;
    ConfigurationSections sections;
};

// Save dialog filter, in index order; the index chooses the form.
inline constexpr const char* scanSaveFilter =
    "CSV files (*.csv)|*.csv|Scan files (*.scan.xml)|*.scan.xml|Txt files (*.txt)|*.txt|"
    "BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png";
inline constexpr const char* scanSaveDefaultExtension = "csv";
inline constexpr const char* scanLoadFilter = "All files (*.*)|*.*|Scan files (*.scan.xml)|*.scan.xml";

enum class ScanSaveForm { Csv = 1, ScanXml = 2, Txt = 3, Bitmap = 4, Png = 5 };

// The whole scan file in one go: the configuration frame and the "Scan"
// part in one document, and the side file. Both files are complete or the
// save fails (error says why); a previous pair of that name then stands.
bool saveScanFile(const std::string& fileName, const ScanTrace& trace, const ScanFileFrame& frame,
                  std::string* error = nullptr);

// The trace's result as CSV or TXT under the header line given; false (error
// set) when the file cannot be written.
bool saveTextExport(const std::string& fileName, const ScanTrace& trace, TextExportForm form,
                    const std::string& header, bool extReferenced, std::string* error = nullptr);

// The chart page's "Save" in the chosen form; the text forms use the chart
// page's column titles and the BNC setting of frame.settings. False when the
// file could not be written or the index names no form.
bool saveFromChartPage(const std::string& fileName, int filterIndex, const ScanTrace& trace,
                       const ScanFileFrame& frame, std::string* error = nullptr);

// The chart page's "Load": reads the file as a configuration file into
// settings and sections, creates a trace in manager (selected, taking its
// copy of liveConfiguration) and loads the scan into it. On success the trace
// is named after the file name without its folder and 0 is returned; a file
// without a VEMAR root gives -2 after the box "Can't open the file. The
// format is invalid." (the empty trace stays in the store).
// report, when given, receives what the load met in the side file.
int loadFromChartPage(const std::string& fileName, ScanManager& manager, ApplicationConfig& settings,
                      const ConfigurationSections& sections, const SourceConfigurationView* liveConfiguration,
                      ScanLoadReport* report = nullptr);
