#pragma once

// The simulated instrument: the plug-in libvemar-sim.so, loaded only when the
// program is started with the simulation switch. Once loaded, the USB
// transport and the GPIB binding take their entry points from it instead of
// the real system libraries.

#include <cstdint>
#include <optional>
#include <string>

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

}  // namespace SimulatorPlugin
