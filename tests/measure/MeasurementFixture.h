#pragma once

// End-to-end measurements on the simulated bench through the real stack:
// ThreadMeasurement and ControlSnS over Dsp, the USB backend and the
// simulated unit; ConfLaser over the GPIB binding and the simulated lasers.
// Simulated time runs a hundred times faster, and so do the link's waits
// and the drivers' pacing pauses. The fixture stands for the program's
// entry: it builds the simulated bus as its source records say (again after
// each change of them) and loads the calibration of each measurement.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Applicationconfig.h"
#include "DriverPause.h"
#include "FlashControl.h"
#include "GpibBinding.h"
#include "Hsotstdusb.h"
#include "IdentityRecord.h"
#include "LinkTiming.h"
#include "MeasurementCalibration.h"
#include "MeasurementSession.h"
#include "RecordingListener.h"
#include "ScanTrace.h"
#include "SimulatorPlugin.h"
#include "TabCalib.h"
#include "Sourceconfig.h"
#include "TempDir.h"
#include "ThreadMeasurement.h"
#include "UsbBridge.h"
#include "vemar_sim_bench.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

class MeasurementTest : public ::testing::Test {
protected:
    static constexpr double defaultTimeScale = 0.01;

    static void SetUpTestSuite()
    {
        std::string why;
        ASSERT_TRUE(SimulatorPlugin::activate("", 1, &why)) << why;
    }

    void SetUp() override
    {
        UsbBridges::install(nullptr);
        Gpib::useAutomaticLibraries();
        vemarsim_unit_reset();
        setTimeScale(defaultTimeScale);
        // The drivers' pacing pauses, a fiftieth of their length; the 10 ms
        // pauses between status polls keep theirs (polling loops count them).
        DriverPause::setPauseFunction([](int ms) {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms == 10 ? ms : ms * 0.02));
        });
        vemarsim_gpib_follow_sources();
        buildBench();
        vemarsim_gpib_clear_records();

        settings = std::make_unique<ApplicationConfig>(documents.str());
        FlashControl unit;
        unit.CheckCalibrationFile(settings->calibFolder, true);
        identity = unit.identity();
        usePreset("dwdm");

        sources.power = 1.0;
        sources.speed = 20;
        ScanParameterBlock& b = settings->scanParameters;
        b.flagA = 1;
        b.flagB = 1;
        b.flagD = 1;
        b.samplingStep = 1;
        b.enable2 = b.enable3 = b.enable4 = 1;
        settings->samplingStep = 1;
    }

    void TearDown() override
    {
        vemarsim_bench_force_status_bits(0);
        vemarsim_unit_clear_faults();
        vemarsim_unit_reset();
        vemarsim_gpib_set_switch_address(1);
        vemarsim_gpib_set_sources(nullptr, 0);
        DriverPause::setPauseFunction({});
        setTimeScale(1.0);
        UsbClose();
    }

    static void setTimeScale(double scale)
    {
        vemarsim_set_time_scale(scale);
        LinkTiming::setScale(scale);
    }

    void usePreset(const char* preset, std::uint64_t seed = 7) { ASSERT_EQ(vemarsim_init(preset, seed, 1), 0); }

    // Source i: a generic IEEE 488.2 laser at address i + 1 covering low to high.
    void addSource(int i, double low, double high)
    {
        SourceConfig& s = sources.sources[static_cast<std::size_t>(i)];
        s.enable = true;
        s.SetType(8);
        s.SetAddress(i + 1);
        s.SetLambdaMin(low);
        s.SetLambdaMax(high);
        buildBench();
    }

    // The simulated bus as the records and the switch of the settings say.
    void buildBench()
    {
        MeasurementSession::placeSimulatedInstruments(sources,
                                                      settings ? settings->scanParameters : ScanParameterBlock{});
    }
    // The same, but laser 0 set up by hand to sweep low to high on the
    // trigger, whatever its record says.
    void buildTriggeredBench(double low, double high)
    {
        std::vector<SimulatorPlugin::BenchLaser> lasers;
        for (const SourceConfig& s : sources.sources)
            lasers.push_back({s.enable, s.address, s.type, s.lambdaMin, s.lambdaMax});
        lasers[0].lambdaMinNm = low;
        lasers[0].lambdaMaxNm = high;
        SimulatorPlugin::placeInstruments(lasers, 1);
    }

    void setScanRange(double start, double stop)
    {
        sources.SetScanStart(start);
        sources.SetScanStop(stop);
        settings->scanParameters.inputIndex = static_cast<std::int16_t>(sources.firstActive);
        settings->scanParameters.lastInputIndex = static_cast<std::int16_t>(sources.endActive - 1);
    }

    // One curve per detector, with envelopes.
    void addCurves()
    {
        for (const char* name : {"1", "2", "3", "4"}) trace.AddCurve(name, true);
    }

    // The calibration tables of a measurement, as the session loads them.
    std::unique_ptr<TabCalib> calibration() const { return loadMeasurementCalibration(settings->calibFolder, identity); }

    // Starts a measurement whose scans go into trace.
    std::unique_ptr<ThreadMeasurement> startMeasurement(RecordingListener& listener,
                                                        ThreadMeasurement::DateTimeSource now = {})
    {
        listener.setTrace(&trace);
        return std::make_unique<ThreadMeasurement>(listener, sources, *settings, identity, calibration(),
                                                   std::move(now));
    }

    // Runs a measurement to its end.
    void measure(RecordingListener& listener, ThreadMeasurement::DateTimeSource now = {})
    {
        std::unique_ptr<ThreadMeasurement> thread = startMeasurement(listener, std::move(now));
        listener.thread = thread.get();
        thread->wait();
        listener.thread = nullptr;
    }

    struct Command {
        std::uint16_t code;
        std::uint32_t parameter;
    };
    // The command packets the unit received since its record was cleared.
    static std::vector<Command> receivedPackets()
    {
        std::vector<vemarsim_unit_packet> packets(4096);
        packets.resize(static_cast<std::size_t>(vemarsim_unit_recorded_packets(packets.data(), 4096)));
        std::vector<Command> out;
        for (const auto& p : packets) {
            if (p.data_length != 0) continue;
            out.push_back({static_cast<std::uint16_t>(p.bytes[0] | (p.bytes[1] << 8)),
                           static_cast<std::uint32_t>(p.bytes[2] | (p.bytes[3] << 8) | (p.bytes[4] << 16) |
                                                      (static_cast<std::uint32_t>(p.bytes[5]) << 24))});
        }
        return out;
    }
    static std::vector<std::uint16_t> receivedCommands()
    {
        std::vector<std::uint16_t> codes;
        for (const Command& c : receivedPackets()) codes.push_back(c.code);
        return codes;
    }
    // The parameters of every packet of that command.
    static std::vector<std::uint32_t> parametersOf(std::uint16_t code)
    {
        std::vector<std::uint32_t> out;
        for (const Command& c : receivedPackets())
            if (c.code == code) out.push_back(c.parameter);
        return out;
    }

    TempDir documents;
    ConfLaser sources;
    std::unique_ptr<ApplicationConfig> settings;
    IdentityRecord identity;
    ScanTrace trace{nullptr, nullptr, nullptr};
};
