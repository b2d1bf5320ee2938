#pragma once

// Drivers on the simulated bus: the simulator is active, the GPIB binding
// takes the plug-in, simulated time runs a thousand times faster and the
// drivers' pacing pauses are recorded and shortened.

#include <gtest/gtest.h>

#include "GpibBinding.h"
#include "PauseRecorder.h"
#include "SimBus.h"

class SimFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SimBus::activate(); }
    void SetUp() override
    {
        Gpib::useAutomaticLibraries();
        SimBus::setTimeScale(0.001);
    }
    void TearDown() override
    {
        SimBus::declare({});
        SimBus::setTimeScale(0.001);
    }

    PauseRecorder pauses;
};
