#pragma once

// The program's command-line switches. The historical switches are compared,
// upper-cased, with every argument after the program name:
//   LOGGER  open the diagnostic log on the terminal
//   QZRT    show the factory pages and expert options
//   XWEP    behave as if a unit were connected
// The simulation switch --simulate[=PRESET] (with --seed N) runs the program
// on the built-in simulated instrument; --port PATH talks to the unit on
// that tty only; --help asks for the list of switches.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CommandLine {
public:
    CommandLine(int argc, const char* const* argv);
    explicit CommandLine(std::vector<std::string> arguments);

    // True when an argument, upper-cased, equals name (given in upper case).
    bool hasSwitch(std::string_view name) const;

    bool logger() const { return hasSwitch("LOGGER"); }
    bool factory() const { return hasSwitch("QZRT"); }
    bool forceConnected() const { return hasSwitch("XWEP"); }

    bool simulate() const { return simulate_; }
    // Empty: the simulator's default bench.
    const std::string& preset() const { return preset_; }
    std::optional<std::uint64_t> seed() const { return seed_; }
    // The unit's tty when given (a port the system does not describe as the unit).
    const std::optional<std::string>& port() const { return port_; }
    bool help() const { return help_; }

    // Arguments that are neither a historical switch nor a simulation option.
    const std::vector<std::string>& others() const { return others_; }

private:
    void parse();

    std::vector<std::string> arguments_;
    bool simulate_ = false;
    std::string preset_;
    std::optional<std::uint64_t> seed_;
    std::optional<std::string> port_;
    bool help_ = false;
    std::vector<std::string> others_;
};
