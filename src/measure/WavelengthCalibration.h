#pragma once

// The factory wavelength calibration: the choice of an etalon, the sweeps
// that etalon-mode scans append to "ValeursWL.txt", the reference-line
// tables built from them ("Update calibration") and the residual deviations
// of test-mode sweeps against the etalon ("Show results"). The page only
// shows what these functions return and asks the questions they name.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "IdentityRecord.h"

class ScanData;
class UnitIdentitySource;

namespace WavelengthCalibration {

inline constexpr const char* etalonFileName = "Etalon.txt";
inline constexpr const char* picsFileName = "PicsWL.txt";
inline constexpr const char* errorCaption = "Erreur";
inline constexpr const char* fillSerialText = "Remplir S/N Etalon!";
// An S/N that would name a file outside the Calib folder.
inline constexpr const char* invalidSerialText = "S/N Etalon invalide!";
inline constexpr const char* missingFileText = "Fichier inexistant!";
inline constexpr const char* archiveCaption = "Test et calibrage";
inline constexpr const char* calibrationArchivePrefix = "CalibWL_";
inline constexpr const char* testArchivePrefix = "TestWL_";
// The two questions differ by a space before the path.
inline constexpr const char* calibrationArchiveQuestion = "Remplacer fichier";
inline constexpr const char* testArchiveQuestion = "Remplacer fichier ";

// Below this first line frequency a sweep of a unit of another band than 1
// lies in the range the calibration covers (GHz).
inline constexpr double highestGridStartGHz = 208500.0;
// Level-9 readings spreading over fewer counts than this are one band.
inline constexpr int smallestLevelSpread = 11;

// What the operator reads; an empty text is nothing to say.
struct Message {
    std::string caption;
    std::string text;
    bool empty() const { return text.empty(); }
};

// One line of "ValeursWL.txt".
struct Sweep {
    int level9 = 0;
    int hops = 0;
    int marks = 0;
    int count = 0;                     // frequencies on the line
    double firstFrequency = 0.0;       // the line's first one (GHz); 0 when it has none
    std::vector<double> frequencies;   // the others but the last, descending (GHz)
};

// Bounds past which a line is not one the scan controller wrote.
inline constexpr std::size_t longestLineBytes = 1 << 20;
inline constexpr int mostFrequencies = 65536;

// A line "%d %d %d %d " then count frequencies; nullopt when it is not one
// (missing or extra fields, a field that is not a whole number, negative
// counts, a frequency that is not a finite positive number).
std::optional<Sweep> parseSweepLine(std::string_view line);

struct SweepFile {
    bool found = false;  // the file could be opened
    std::vector<Sweep> sweeps;
    int damagedLines = 0;  // lines skipped as not a sweep's (blank lines are not counted)
};
// Reads every line of a "ValeursWL.txt"; a damaged or overlong line is
// skipped and counted.
SweepFile readSweeps(const std::string& path);

std::string sweepsPath(const std::string& calibFolder);
std::string etalonPath(const std::string& calibFolder);
// "Etalon_" + serial + ".txt" in the Calib folder.
std::string etalonSourcePath(const std::string& calibFolder, const std::string& etalonSerial);

// Checking "Etalon on port 1 for wavelength  referencing" or "Scan on test
// mode (Etalon on port 1)": the etalon file of the serial becomes
// "Etalon.txt" and the sweeps of the previous choice are deleted. Refused
// (the box is unchecked) with the message to show otherwise.
struct EtalonChoice {
    bool accepted = false;
    Message message;
};
EtalonChoice chooseEtalon(const std::string& calibFolder, const std::string& etalonSerial);

// Copies a file (at most maxBytes) over another so that the destination is
// either the whole copy or what it was; false when it could not be read or
// written.
bool copyFileAtomically(const std::string& from, const std::string& to, std::size_t maxBytes = std::size_t{256} << 20);

enum class PointColour { Green, Blue, Red };
struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
    PointColour colour = PointColour::Green;
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// A frequency deviation (GHz) at a frequency (GHz) as a wavelength detuning (pm).
double detuningPm(double deviationGHz, double frequencyGHz);
// The line table of a sweep's level-9 reading: the integer nearest to
// (level9 - minimum) / bandWidth - 0.5, a tie going up, within 0 ... tables - 1;
// 0 for a band width of 0.
int bandTable(int level9, int minimum, double bandWidth, int tables);
// The colour of the deviations of a line table: green for 0-3, blue 4-7, red beyond.
PointColour tableColour(int table);

// The archive copy of "ValeursWL.txt"; no path when the unit has no serial.
struct Archive {
    std::string path;
    bool exists = false;
    std::string question;  // asked (Yes/No, titled archiveCaption) before an existing one is replaced
};
Archive archiveFor(const std::string& calibFolder, const char* prefix, const char* question, const std::string& unitSerial,
                   const std::string& etalonSerial);
// Copies "ValeursWL.txt" over the archive; the message says when that failed.
Message writeArchive(const std::string& calibFolder, const Archive& archive);

// "Fichier " + path + " n'a pas pu être créé!" titled "Erreur".
Message notCreated(const std::string& path);

struct CalibrationResult {
    Message error;  // nothing else was done when not empty
    std::vector<ChartPoint> testCurve;
    std::vector<ChartPoint> chart1;
    std::vector<double> commonTable;  // GHz, as written to "PicsWL.txt"
    int tablesUsed = 0;               // 1 when the level-9 readings made one band
    int sweepsUsed = 0;
    int damagedLines = 0;
    std::string calibrationPath;
    Archive archive;
};
// "Update calibration": the sweeps of "ValeursWL.txt" become the reference
// line tables of the unit's calibration file in the Calib folder, loaded with
// windowIdentity (a copy is loaded; the caller's record is left as it is).
// The band comes from the unit's own identity. The archive is not written:
// the caller asks its question first.
CalibrationResult updateCalibration(const std::string& calibFolder, UnitIdentitySource& unit,
                                    const IdentityRecord& windowIdentity, const std::string& etalonSerial);

struct TestResult {
    Message error;
    std::vector<ChartPoint> testCurve;  // per etalon line, green for the negative RMS, red for the positive one
    int sweepsUsed = 0;
    int damagedLines = 0;
    Archive archive;
};
// "Show results": the sweeps of "ValeursWL.txt" with at most one mode hop
// against the etalon lines of "Etalon.txt".
TestResult showResults(const std::string& calibFolder, const IdentityRecord& windowIdentity,
                       const std::string& etalonSerial);

// The envelope spread of a curve, (wavelength j, maximum - minimum) for
// every envelope point but the last, in red; nullopt for a curve of at most
// 10 points or without envelopes.
std::optional<std::vector<ChartPoint>> envelopeSpread(const ScanData& curve);

}  // namespace WavelengthCalibration
