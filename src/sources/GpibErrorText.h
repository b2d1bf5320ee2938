#pragma once

// Texts of the GPIB error codes (iberr). Each is a printf format taking the
// last command written as its only argument.

// The format for the code, or nullptr for a code the program does not name.
const char* gpibErrorFormat(int iberr);
