// One full-range scan on the simulated bench: four detectors, 1240 to
// 1680 nm at the finest step the acquisition memory allows (5 pm, about
// 158 000 samples a channel). The host's processing of the sweep
// (referencing, conversion, checks, back steps, resampling, the trace) is
// timed apart from the transfer of the arrays over the simulated link and
// apart from the whole scan (which includes the bench computing the sweep).
// Simulated time stands still: sweeps and moves take no time.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Applicationconfig.h"
#include "ControlSnS.h"
#include "DriverPause.h"
#include "FlashControl.h"
#include "GpibBinding.h"
#include "Hsotstdusb.h"
#include "LinkTiming.h"
#include "ScanRes.h"
#include "ScanTrace.h"
#include "MeasurementSession.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "UsbBridge.h"
#include "vemar_sim.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

namespace {

constexpr double gigahertzNmBench = 299792458.0;

// The bench set up once for every benchmark of the program.
struct FullRangeBench {
    std::filesystem::path documents;
    std::unique_ptr<ApplicationConfig> settings;
    ConfLaser sources;
    IdentityRecord identity;
    std::unique_ptr<ControlSnS> controller;
    std::string error;

    FullRangeBench()
    {
        if (!SimulatorPlugin::activate("dwdm", 1, &error)) return;
        UsbBridges::install(nullptr);
        Gpib::useAutomaticLibraries();
        vemarsim_unit_reset();
        vemarsim_init("dwdm", 1, 1);
        vemarsim_set_time_scale(0.0);
        LinkTiming::setScale(0.01);
        DriverPause::setPauseFunction([](int) {});
        vemarsim_gpib_follow_sources();

        documents = std::filesystem::temp_directory_path() / "vemar-measurement-bench";
        settings = std::make_unique<ApplicationConfig>(documents.string());
        FlashControl unit;
        unit.CheckCalibrationFile(settings->calibFolder, true);
        identity = unit.identity();

        SourceConfig& s = sources.sources[0];
        s.enable = true;
        s.SetType(8);
        s.SetAddress(1);
        // The bench is built as the records say, as the program's entry does.
        MeasurementSession::placeSimulatedInstruments(sources, settings->scanParameters);
        sources.SetScanStart(1240.0);
        sources.SetScanStop(1680.0);
        sources.speed = 100;
        ScanParameterBlock& b = settings->scanParameters;
        b.flagA = b.flagB = b.flagD = 1;
        b.enable2 = b.enable3 = b.enable4 = 1;
        b.samplingStep = 1;
        b.inputIndex = 0;
        b.lastInputIndex = 0;
        controller = std::make_unique<ControlSnS>(b, identity, settings->calibFolder);
        controller->block().samplingStep = static_cast<std::int16_t>(controller->MinimumSamplingStep(sources));
        if (sources.Init() != nullptr) error = "the source did not start";
    }

    ~FullRangeBench()
    {
        controller.reset();
        UsbClose();
        std::error_code ec;
        std::filesystem::remove_all(documents, ec);
    }

    int scan(ScanRes& result)
    {
        sources.sources[0].MoveToStart();
        return controller->Scan(sources, result, [] { return false; });
    }
};

FullRangeBench& bench()
{
    static FullRangeBench instance;
    return instance;
}

// The whole scan: configuration, sweep, the bench computing the arrays,
// the transfer and the processing.
void FullRangeScan(benchmark::State& state)
{
    FullRangeBench& b = bench();
    if (!b.error.empty()) {
        state.SkipWithError(b.error.c_str());
        return;
    }
    ScanRes result;
    for (auto _ : state) {
        const int code = b.scan(result);
        if (code != 0) {
            state.SkipWithError(("scan code " + std::to_string(code)).c_str());
            break;
        }
    }
    state.counters["samples"] = result.sampleCount();
    state.counters["step_pm"] = b.controller->block().samplingStep;
}
BENCHMARK(FullRangeScan)->Unit(benchmark::kMillisecond)->Iterations(3);

// The transfer alone: every array of the last sweep read again over the
// simulated link.
void FullRangeTransfer(benchmark::State& state)
{
    FullRangeBench& b = bench();
    ScanRes result;
    if (!b.error.empty() || b.scan(result) != 0) {
        state.SkipWithError("no sweep");
        return;
    }
    for (auto _ : state) {
        if (b.controller->ReadSweep() != 0) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.counters["samples"] = b.controller->sampleCount();
}
BENCHMARK(FullRangeTransfer)->Unit(benchmark::kMillisecond);

// The host's processing of the sweep as the scan does it: referencing,
// conversion and checks, back steps, resampling; then the trace's curves.
void FullRangeProcessing(benchmark::State& state)
{
    FullRangeBench& b = bench();
    ScanRes first;
    if (!b.error.empty() || b.scan(first) != 0) {
        state.SkipWithError("no sweep");
        return;
    }
    const SourceConfig& source = b.sources.sources[0];
    ScanTrace trace(nullptr, nullptr, nullptr);
    for (const char* name : {"1", "2", "3", "4"}) trace.AddCurve(name, true);
    bool reset = true;
    for (auto _ : state) {
        ScanRes& result = trace.result();
        result.firstSource = 0;
        result.endSource = 1;
        result.scanStart = source.start;
        result.scanStop = source.stop;
        if (b.controller->ProcessSweep(b.sources, result, 0) != 0) {
            state.SkipWithError("processing failed");
            break;
        }
        result.RemoveBackSteps();
        result.Resample(gigahertzNmBench / (gigahertzNmBench / source.start - source.startShift), source.stop,
                        b.controller->block().samplingStep);
        trace.BuildTrace(reset, false, true);
        reset = false;
    }
    state.counters["samples"] = trace.result().sampleCount();
}
BENCHMARK(FullRangeProcessing)->Unit(benchmark::kMillisecond);

}  // namespace
