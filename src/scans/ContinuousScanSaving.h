#pragma once

// Automatic saving of every scan of a continuous series: the names built
// from the date and time of each scan, the folder of the series, and the
// writing of the current trace in the form the user picked.

#include <string>

#include "ScanFile.h"

class ScanTrace;

struct ScanDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // The local date and time now.
    static ScanDateTime now();
};

// "Continuous_Scan__y2016_m03_d05__h09_m07_s03": the name of a series folder
// and of every scan file of the series, from that scan's date and time.
std::string continuousScanName(const ScanDateTime& when);

// The folder of a series that starts at when: directory + the name + "/",
// created (one level) when missing. When the name is taken by something
// that is not a folder (a symbolic link is never followed) the series gets
// the name + "_2", "_3", ... A folder that cannot be created is only logged:
// the saves that follow fail and the series goes on.
std::string startContinuousSeries(const std::string& directory, const ScanDateTime& when);

// The automatic saving file types of the settings (fileType).
enum class ContinuousFileType { Xml = 0, Text = 1, Bitmap = 2, Png = 3, Csv = 4 };

// ".scan.xml", ".scan.txt", ".scan.bmp", ".scan.png", ".scan.csv"; null for
// an unknown type.
const char* continuousScanExtension(int fileType);

struct ContinuousSaveResult {
    bool ok = false;
    std::string fileName;  // the file written (or that could not be)
    std::string error;
};

// Writes trace under baseName + the extension of fileType: the scan file
// with its side file, the text forms with the short column titles ("L O 1",
// "L;O;1") and the BNC setting of frame.settings, or a picture. Two scans
// taken within the same second share their base name: a name already taken
// gets "_2", "_3", ... before the extension, so no scan overwrites another.
// Nothing is written through a series folder that has become a symbolic link.
ContinuousSaveResult saveContinuousScan(const std::string& baseName, int fileType, const ScanTrace& trace,
                                        const ScanFileFrame& frame);
