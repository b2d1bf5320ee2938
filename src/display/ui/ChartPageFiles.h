#pragma once

// What the chart page's "Load" and "Save" need around the scan file code:
// the dialog filters in the form the file dialogs take, the extension a
// name gets from the chosen filter, and the reason a file cannot be read or
// written, told to the operator in the message box. No Qt here.

#include <optional>
#include <string>
#include <vector>

// The descriptions of a "Description|pattern|Description|pattern" filter,
// in index order ("CSV files (*.csv)", "Scan files (*.scan.xml)" ...).
std::vector<std::string> filterDescriptions(const std::string& filter);

// The extension of the filter at index (1-based), ".csv" for "*.csv";
// empty for "*.*" or an index outside the filter.
std::string filterExtension(const std::string& filter, int index);

// The name as the save dialog leaves it: a name without an extension gets
// the chosen filter's ("scan" with "Scan files" becomes "scan.scan.xml").
std::string withFilterExtension(const std::string& fileName, const std::string& filter, int index);

// The folder of a file, ending with "/" ("" for a bare name).
std::string folderOf(const std::string& fileName);
// The name without its folder.
std::string baseNameOf(const std::string& fileName);

// Why a scan file cannot be loaded: it cannot be opened (the system's
// reason), or it is no file of this program ("The format is invalid.").
// None when it can be read.
std::optional<std::string> scanFileReadProblem(const std::string& fileName);

// Why the side file of a scan file holds no points for it (missing or
// unreadable); none when it can be read.
std::optional<std::string> sideFileReadProblem(const std::string& scanFileName);

// The likely reason a file could not be written there: its folder is
// missing or not writable, or the name is a folder; the writer's own text
// (or a plain one) otherwise.
std::string fileWriteProblem(const std::string& fileName, const std::string& writerError);

inline constexpr const char* invalidFormatText = "The format is invalid.";
