#pragma once

// The simulated unit, bench and GPIB bus in their start state for a test
// that drives the program's real stack, with simulated time running at
// `scale` of real time and the link's waits and the drivers' pacing pauses
// shortened to match (the 10 ms pauses between status polls keep their
// length: polling loops count them). For tests linked with the simulator.

#include <chrono>
#include <cstdint>
#include <thread>

#include "DriverPause.h"
#include "GpibBinding.h"
#include "LinkTiming.h"
#include "UsbBridge.h"
#include "vemar_sim.h"
#include "vemar_sim_bench.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

// False when the preset is unknown.
inline bool startFastSimulation(const char* preset, std::uint64_t seed, double scale)
{
    UsbBridges::install(nullptr);
    Gpib::useAutomaticLibraries();
    vemarsim_unit_reset();
    if (vemarsim_init(preset, seed, 1) != 0) return false;
    vemarsim_set_time_scale(scale);
    LinkTiming::setScale(scale);
    DriverPause::setPauseFunction([](int ms) {
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms == 10 ? ms : ms * 0.02));
    });
    vemarsim_gpib_follow_sources();
    return true;
}
