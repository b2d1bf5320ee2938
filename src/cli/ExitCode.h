#pragma once

// What vemar-cli returns to the shell, and the error that carries it up to
// main. Scripts and test stations branch on these numbers: never renumber.

#include <stdexcept>
#include <string>

enum class ExitCode : int {
    Success = 0,
    Failure = 1,       // a measurement or analysis error (its text on stderr)
    Usage = 2,         // the command line is wrong
    NoInstrument = 3,  // no usable unit
    FileError = 4,     // a file that cannot be read or written
};

class CliError : public std::runtime_error {
public:
    CliError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

// A wrong command line; the help hint names the command whose --help to read.
class UsageError : public CliError {
public:
    explicit UsageError(const std::string& message) : CliError(ExitCode::Usage, message) {}
};
