#pragma once

// The files "scan --out BASE" writes after each scan: the scan file with its
// side file, the text exports with the chart page's column titles, the
// picture, and, with --analyse, the passband result files. Each file is
// complete or not there; a file that cannot be written is a FileError.

#include <string>
#include <vector>

#include "ScanRequest.h"

class Passband;
class ScanTrace;
struct ScanFileFrame;

// BASE.scan.xml (+ BASE.scan.xml.dat), BASE.csv, BASE.txt, BASE.png as
// formats asks; returns the files written.
std::vector<std::string> saveScanOutputs(const std::string& base, const ScanFormats& formats, const ScanTrace& trace,
                                         const ScanFileFrame& frame);

// BASE.passband.xml and BASE.passband.txt; returns the files written.
std::vector<std::string> savePassbandOutputs(const std::string& base, const Passband& passband);
