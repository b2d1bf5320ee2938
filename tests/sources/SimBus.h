#pragma once

// The simulated GPIB bus of the plug-in, reached the way the program reaches
// it: through the active plug-in's exported functions.

#include <stdexcept>
#include <string>
#include <vector>

#include "SimulatorPlugin.h"
#include "vemar_sim_gpib.h"

class SimBus {
public:
    // Activates the simulator once per process.
    static void activate()
    {
        std::string why;
        if (!SimulatorPlugin::active() && !SimulatorPlugin::activate("", 1, &why)) throw std::runtime_error(why);
    }

    static void setTimeScale(double scale) { entry<void (*)(double)>("vemarsim_set_time_scale")(scale); }

    static VemarSimGpibInstrument laser(int address, int type, double low = 1240.0, double high = 1680.0,
                                        unsigned flags = 0, double wavelength = 0.0, double speed = 0.0)
    {
        return {address, type, low, high, wavelength, speed, flags};
    }
    static void declare(const std::vector<VemarSimGpibInstrument>& instruments)
    {
        entry<decltype(&vemarsim_gpib_declare_bus)>("vemarsim_gpib_declare_bus")(instruments.data(),
                                                                                 static_cast<int>(instruments.size()));
        clearRecords();
    }
    static void follow()
    {
        entry<decltype(&vemarsim_gpib_follow_sources)>("vemarsim_gpib_follow_sources")();
        clearRecords();
    }
    static void setSources(const std::vector<VemarSimGpibSource>& sources)
    {
        entry<decltype(&vemarsim_gpib_set_sources)>("vemarsim_gpib_set_sources")(sources.data(),
                                                                                 static_cast<int>(sources.size()));
    }
    static void clearRecords() { entry<decltype(&vemarsim_gpib_clear_records)>("vemarsim_gpib_clear_records")(); }

    static std::vector<std::string> commands(int address)
    {
        auto get = entry<decltype(&vemarsim_gpib_commands)>("vemarsim_gpib_commands");
        std::string text(static_cast<std::size_t>(get(address, nullptr, 0)), '\0');
        get(address, text.data(), static_cast<int>(text.size()) + 1);
        std::vector<std::string> lines;
        std::size_t begin = 0;
        for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
            lines.push_back(text.substr(begin, end - begin));
        return lines;
    }

    static bool present(int address)
    {
        VemarSimGpibLaserState s{};
        return entry<decltype(&vemarsim_gpib_laser_state)>("vemarsim_gpib_laser_state")(address, &s) == 0;
    }
    static VemarSimGpibLaserState state(int address)
    {
        VemarSimGpibLaserState s{};
        if (entry<decltype(&vemarsim_gpib_laser_state)>("vemarsim_gpib_laser_state")(address, &s) != 0)
            throw std::runtime_error("no laser at " + std::to_string(address));
        return s;
    }
    static std::vector<VemarSimGpibSweep> sweeps(int address)
    {
        auto get = entry<decltype(&vemarsim_gpib_sweeps)>("vemarsim_gpib_sweeps");
        std::vector<VemarSimGpibSweep> out(static_cast<std::size_t>(get(address, nullptr, 0)));
        get(address, out.data(), static_cast<int>(out.size()));
        return out;
    }
    static int switchChannel() { return entry<decltype(&vemarsim_gpib_switch_channel)>("vemarsim_gpib_switch_channel")(); }

private:
    template <typename F>
    static F entry(const char* name)
    {
        auto f = reinterpret_cast<F>(SimulatorPlugin::symbol(name));
        if (f == nullptr) throw std::runtime_error(std::string("plug-in has no ") + name);
        return f;
    }
};
