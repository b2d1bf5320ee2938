#pragma once

// Reading saved scans for the offline commands. The window's Load is
// lenient (a damaged side file loads what it can and says so in the log);
// a script must not get figures from half a scan, so the file and its side
// file are checked first and anything damaged is a FileError before a
// single byte is written anywhere.

#include <string>

class CliSession;
class ScanTrace;

// FileError when path is not a readable scan file with a complete side file.
void checkScanFile(const std::string& path);

// Loads a checked scan file into a new, selected trace of the session's
// store as the window's Load does: its Sources and Application sections
// become the session's settings, and its Passband section too when
// withPassband is set.
ScanTrace& loadScanFile(CliSession& session, const std::string& path, bool withPassband);
