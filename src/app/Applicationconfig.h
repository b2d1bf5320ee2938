#pragma once

// The application settings: the data folders and everything the main window
// and the measurement need between two runs. The Application section of the
// configuration file is read and written here.

#include <string>

#include "ScanParameterBlock.h"

class TiXmlElement;

class ApplicationConfig {
public:
    // Computes the folders under the user's documents folder and creates them
    // (with every missing parent).
    ApplicationConfig();
    // The same, under an explicit documents folder (tests, other roots).
    explicit ApplicationConfig(const std::string& documentsFolder);

    // The documents folder: $XDG_DOCUMENTS_DIR, else $HOME/Documents.
    static std::string defaultDocumentsFolder();

    // Reads the Application element; nothing happens without one. A missing
    // child element leaves its fields alone; a missing attribute of a present
    // element sets that field to its default.
    void readApplication(const TiXmlElement* application);
    // Appends the nine child elements of the Application section.
    void writeApplication(TiXmlElement& application) const;

    // Folder paths, each with a trailing "/".
    std::string rootFolder, dataFolder, configFolder, calibFolder;

    int samplingStep = 10;  // pm
    bool cursorVisible = false;
    bool cursorMode = true;
    bool markerMode = false;
    int measurementType = 0;  // 0 single, 1 continuous
    bool scanLimitEnabled = false;
    int scanLimit = 0;
    int zoomStatus = 1;  // 0 follows the scan's wavelength limits, 1 static
    ScanParameterBlock scanParameters;
    bool scanSaveEnabled = false;
    std::string scanFilesFolder;  // initially the Data folder
    int fileType = 0;             // 0 XML, 1 text, 2 bitmap, 3 PNG, 4 CSV
    int scanDelay = 0;            // s, 0..3600
    bool minMaxResetEnabled = false;
    int minMaxResetModulo = 2;
    double fwhmThreshold = -35.0;  // dB
    double fwhmPower = -3.0;       // dB
    double slopeTopLevel = -3.0;   // dB
    double slopeBottomLevel = -40.0;  // dB
    bool showInfo = true;
    bool showInfoPreciseMode = true;
    bool keepModeHop = false;

    // Whether readApplication shows the user a setting it could not use (a
    // folder that is not there). Off while reading settings that are not
    // the user's own, such as the frame of another station's scan file read
    // for an analysis: they are only logged then.
    bool announceFallbacks = true;

private:
    void readSamplingStep(const TiXmlElement& element);
    // A double attribute that must be a finite number of sensible size; else
    // the field keeps its value and the user is told.
    void readLevel(const TiXmlElement& element, const char* name, double& field, double defaultValue) const;
    // A value read that is refused: said as announceFallbacks asks.
    void refused(const std::string& text) const;
};

// Creates a folder with every missing parent; an existing folder is left
// alone. why, when given, receives the system's reason of a failure.
bool createFolderTree(const std::string& path, std::string* why = nullptr);
bool folderExists(const std::string& path);

// Why a folder named by a setting cannot be used, empty when it can: "a
// relative path" (folder settings are absolute; a relative one is refused,
// not resolved), the system's reason ("No such file or directory", "File
// name too long") or "not a folder".
std::string folderSettingProblem(const std::string& folder);

// A setting that could not be used and what is used instead: logged, and
// shown to the user (stderr for the command-line tool).
void announceSetting(const std::string& text);
