#pragma once

// Tests against the simulated unit of the plug-in, through the program's
// own stack (UsbDevice, Dsp, flash classes) and its simulated USB backend.
// Waits on both sides are shortened by the same factor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DspProtocol.h"
#include "Hsotstdusb.h"
#include "LinkTiming.h"
#include "SimulatorPlugin.h"
#include "UsbBridge.h"
#include "vemar_sim_usb.h"

class SimUnitTest : public ::testing::Test {
protected:
    static constexpr double timeScale = 0.01;

    static void SetUpTestSuite()
    {
        std::string why;
        ASSERT_TRUE(SimulatorPlugin::activate("", 1, &why)) << why;
    }

    void SetUp() override
    {
        UsbBridges::install(nullptr);
        vemarsim_unit_reset();
        vemarsim_set_time_scale(timeScale);
        LinkTiming::setScale(timeScale);
    }

    void TearDown() override
    {
        vemarsim_unit_set_random_faults(0.0, 0);
        vemarsim_unit_reset();
        LinkTiming::setScale(1.0);
        vemarsim_set_time_scale(1.0);
        UsbClose();
    }

    // The packets the unit received since the last clear.
    static std::vector<vemarsim_unit_packet> packets()
    {
        std::vector<vemarsim_unit_packet> out(4096);
        out.resize(static_cast<std::size_t>(vemarsim_unit_recorded_packets(out.data(), 4096)));
        return out;
    }
    // The command packets only, decoded.
    static std::vector<DspPacket::Fields> commands()
    {
        std::vector<DspPacket::Fields> out;
        for (const auto& p : packets())
            if (p.data_length == 0) out.push_back(DspPacket::decode(p.bytes));
        return out;
    }
    static std::vector<std::uint8_t> peek(int command)
    {
        std::vector<std::uint8_t> bytes(vemarsim_unit_peek_array(command, nullptr, 0));
        vemarsim_unit_peek_array(command, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        return bytes;
    }
};
