// The command server on loopback, in process: the *IDN? round trip, the
// transfer of a 440 001-point curve (1240 to 1680 nm at 1 pm), and the
// host's processing of a full-range simulated sweep while eight clients poll
// MEASure:STATe?. The server answers from a published state here, exactly
// as it does from the owner's in vemar-cli serve.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Applicationconfig.h"
#include "ControlSnS.h"
#include "DriverPause.h"
#include "FlashControl.h"
#include "GpibBinding.h"
#include "Hsotstdusb.h"
#include "InstrumentPort.h"
#include "LinkTiming.h"
#include "MeasurementSession.h"
#include "RemoteServer.h"
#include "ScanChannels.h"
#include "ScanTrace.h"
#include "SimulatorPlugin.h"
#include "Sourceconfig.h"
#include "UsbBridge.h"
#include "vemar_sim.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

namespace {

// A published state and nothing else: the queries measured here never
// reach the owner.
class PublishedInstrument : public InstrumentPort {
public:
    explicit PublishedInstrument(InstrumentStatePtr state) : state_(std::move(state)) {}
    InstrumentStatePtr state() const override { return state_; }
    void submit(OwnerRequest, OwnerDone done) override { done({}); }

private:
    InstrumentStatePtr state_;
};

InstrumentStatePtr fullRangeState(MeasurementPhase phase)
{
    auto scan = std::make_shared<ScanSnapshot>();
    ScanRes& r = scan->result;
    const std::size_t points = 440001;
    r.resampledWavelength.resize(points);
    r.resampledValues[ScanChannel::Output].resize(points);
    r.resampledValues[ScanChannel::Detector1].resize(points);
    for (std::size_t i = 0; i < points; ++i) {
        r.resampledWavelength[i] = 1240.0 + 0.001 * static_cast<double>(i);
        r.resampledValues[ScanChannel::Output][i] = -3.0;
        r.resampledValues[ScanChannel::Detector1][i] = -20.0 + std::sin(0.001 * static_cast<double>(i));
    }
    r.present[ScanChannel::Output] = r.present[ScanChannel::Detector1] = true;
    auto state = std::make_shared<InstrumentState>();
    state->identification = "Zelmora Optics,VEMAR SMF (1240 - 1680 nm),AF0417,v 3.8.0";
    state->phase = phase;
    state->lastScan = std::move(scan);
    state->curves = {"1"};
    return state;
}

class Socket {
public:
    explicit Socket(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
            throw std::runtime_error("connect failed");
    }
    ~Socket() { ::close(fd_); }
    void send(const std::string& text) const
    {
        if (::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("send failed");
    }
    // Reads until the line end; returns the bytes read.
    std::size_t readLine()
    {
        std::size_t total = 0;
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
            if (n <= 0) throw std::runtime_error("recv failed");
            total += static_cast<std::size_t>(n);
            if (buffer_[static_cast<std::size_t>(n) - 1] == '\n') return total;
        }
    }
    // Reads a definite-length block and its line end; returns the bytes read.
    std::size_t readBlock()
    {
        std::size_t have = 0;
        std::size_t expected = 0;
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
            if (n <= 0) throw std::runtime_error("recv failed");
            if (have == 0) {
                const std::size_t digits = static_cast<std::size_t>(buffer_[1] - '0');
                expected = 2 + digits + std::stoul(std::string(buffer_.data() + 2, digits)) + 1;
            }
            have += static_cast<std::size_t>(n);
            if (have >= expected) return have;
        }
    }

private:
    int fd_ = -1;
    std::vector<char> buffer_ = std::vector<char>(1 << 20);
};

void IdnRoundTrip(benchmark::State& state)
{
    PublishedInstrument instrument(fullRangeState(MeasurementPhase::Idle));
    RemoteServer server(instrument, {"127.0.0.1", 0});
    Socket client(server.port());
    std::vector<double> micros;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        client.send("*IDN?\n");
        client.readLine();
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}
BENCHMARK(IdnRoundTrip)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void TraceDataFullRange(benchmark::State& state)
{
    PublishedInstrument instrument(fullRangeState(MeasurementPhase::Idle));
    RemoteServer server(instrument, {"127.0.0.1", 0});
    Socket client(server.port());
    std::size_t bytes = 0;
    for (auto _ : state) {
        client.send("TRAC? \"1\"\n");
        bytes += client.readBlock();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["points"] = 440001;
}
BENCHMARK(TraceDataFullRange)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------------------
// The host's processing of a full-range sweep (as bench_measurement times
// it), alone and with clients polling the server.

constexpr double gigahertzNm = 299792458.0;

struct FullRangeSweep {
    std::filesystem::path documents;
    std::unique_ptr<ApplicationConfig> settings;
    ConfLaser sources;
    IdentityRecord identity;
    std::unique_ptr<ControlSnS> controller;
    std::string error;

    FullRangeSweep()
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
        documents = std::filesystem::temp_directory_path() / "vemar-remote-bench";
        settings = std::make_unique<ApplicationConfig>(documents.string());
        FlashControl unit;
        unit.CheckCalibrationFile(settings->calibFolder, true);
        identity = unit.identity();
        SourceConfig& s = sources.sources[0];
        s.enable = true;
        s.SetType(8);
        s.SetAddress(1);
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
    ~FullRangeSweep()
    {
        controller.reset();
        UsbClose();
        std::error_code ec;
        std::filesystem::remove_all(documents, ec);
    }
};

FullRangeSweep& sweep()
{
    static FullRangeSweep instance;
    return instance;
}

// Arguments: clients polling, the pause of each between two queries (µs).
void HostProcessingWhilePolled(benchmark::State& state)
{
    FullRangeSweep& b = sweep();
    ScanRes first;
    b.sources.sources[0].MoveToStart();
    if (!b.error.empty() || b.controller->Scan(b.sources, first, [] { return false; }) != 0) {
        state.SkipWithError("no sweep");
        return;
    }
    PublishedInstrument instrument(fullRangeState(MeasurementPhase::Running));
    RemoteServer server(instrument, {"127.0.0.1", 0});
    const int clients = static_cast<int>(state.range(0));
    const auto pause = std::chrono::microseconds(state.range(1));
    std::atomic<bool> polling{true};
    std::atomic<long> queries{0};
    std::vector<std::thread> pollers;
    for (int k = 0; k < clients; ++k)
        pollers.emplace_back([&] {
            Socket c(server.port());
            while (polling) {
                c.send("MEAS:STAT?\n");
                c.readLine();
                ++queries;
                if (pause.count() > 0) std::this_thread::sleep_for(pause);
            }
        });

    const SourceConfig& source = b.sources.sources[0];
    ScanTrace trace(nullptr, nullptr, nullptr);
    for (const char* name : {"1", "2", "3", "4"}) trace.AddCurve(name, true);
    bool reset = true;
    const auto started = std::chrono::steady_clock::now();
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
        result.Resample(gigahertzNm / (gigahertzNm / source.start - source.startShift), source.stop,
                        b.controller->block().samplingStep);
        trace.BuildTrace(reset, false, true);
        reset = false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    polling = false;
    for (std::thread& t : pollers) t.join();
    state.counters["queries_per_s"] = static_cast<double>(queries) / seconds;
}
BENCHMARK(HostProcessingWhilePolled)
    ->Args({0, 0})
    ->Args({8, 10000})
    ->Args({8, 1000})
    ->Args({8, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
