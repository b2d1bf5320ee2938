#pragma once

// The start of the window program: the number format, the switches, the
// simulated instrument or an explicit port, then the main window until it
// is closed.

#include <string>

#include "CommandLine.h"

struct WindowParts;

// The parts of the window that other parts of the program build (the chart
// page ...), as the program gives them to the window.
WindowParts windowParts();

// What --help prints.
std::string windowHelpText();

// Arguments vemar does not know (Qt has taken its own before); empty when all are known.
std::string unknownArgument(const CommandLine& commandLine);

// The folder of the program file, ending with "/".
std::string programFolder();

// The whole process after main's arguments; returns the exit code.
int runWindowProgram(int argc, char** argv);
