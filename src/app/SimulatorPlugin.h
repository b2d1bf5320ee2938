#pragma once

// The simulated instrument: the plug-in libvemar-sim.so, loaded only when the
// program is started with the simulation switch. Once loaded, the USB
// transport and the GPIB binding take their entry points from it instead of
// the real system libraries.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SimulatorPlugin {

// Where the plug-in is loaded from: beside the program (the folder of
// /proc/self/exe), else in ../lib/vemar of it (an installed program), else by
// its bare name through the loader's own search.
std::string libraryPath();

// Loads the plug-in (once) and chooses the bench preset and seed. Returns
// false with a reason in *error when the plug-in is missing, of another
// revision, or does not know the preset.
bool activate(const std::string& preset, std::optional<std::uint64_t> seed, std::string* error = nullptr);

// True after a successful activate().
bool active();

// An entry point of the active plug-in, or nullptr.
void* symbol(const char* name);

// The dlopen handle of the active plug-in (for binding code that resolves a
// whole function set), or nullptr.
void* handle();

// The preset and seed the plug-in runs with.
std::string preset();
std::uint64_t seed();

// The set-up of the bench that no real instrument would give, made once by
// the program's entry (the measurement session) and never from the
// measurement or source code. Without an active plug-in each does nothing
// (false where it answers).

// Simulated time runs scale times real time.
void setTimeScale(double scale);
// The simulated unit's DSP runs another release (hundredths); false when refused.
bool setUnitRelease(int hundredths);
// The simulated unit is plugged in or not.
void setUnitPlugged(bool plugged);
// The simulated unit commits a fault during the run, for the tests of what
// an operator is told: "no-answer" (its answer number argument is lost, 0
// the first), "unplug" (it vanishes after argument answers), "program-bit"
// (its flash data packet number argument is mis-programmed), "stuck-byte"
// (the flash word at address argument is worn). false for another kind.
bool injectUnitFault(const std::string& kind, int argument);

// One laser of the simulated GPIB bus, by source index: the model (source
// type code) and wavelength range the bench is built with at the address.
struct BenchLaser {
    bool enable = false;
    int address = 0;
    int type = 8;
    double lambdaMinNm = 1240.0;
    double lambdaMaxNm = 1680.0;
};
// Builds the simulated GPIB bus: these lasers (index = source index) and the
// optical switch at its address (where no laser stands).
void placeInstruments(const std::vector<BenchLaser>& lasers, int switchAddress);

// The truth of the optical bench (JSON), or nothing without a bench.
std::optional<std::string> benchTruthJson();

}  // namespace SimulatorPlugin
