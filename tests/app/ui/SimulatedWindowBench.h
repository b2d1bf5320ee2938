#pragma once

// The simulated instrument as the window tests start each test on it: the
// automatic USB and GPIB back-ends (the simulator's, once activated), the
// unit as it leaves the factory, the given bench preset with seed 1, and
// simulated time running timeScale times as fast, the drivers' pacing
// pauses a fiftieth of their length (the 10 ms pauses between status polls
// keep theirs: polling loops count them).

#include <chrono>
#include <thread>

#include "DriverPause.h"
#include "GpibBinding.h"
#include "LinkTiming.h"
#include "UsbBridge.h"
#include "vemar_sim.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

// False when the preset is unknown.
inline bool prepareSimulatedBench(const char* preset, double timeScale)
{
    UsbBridges::install(nullptr);
    Gpib::useAutomaticLibraries();
    vemarsim_unit_reset();
    if (vemarsim_init(preset, 1, 1) != 0) return false;
    vemarsim_set_time_scale(timeScale);
    LinkTiming::setScale(timeScale);
    DriverPause::setPauseFunction([](int ms) {
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms == 10 ? ms : ms * 0.02));
    });
    vemarsim_gpib_follow_sources();
    return true;
}
