// The bench's entry points, and its installation when a preset is chosen.

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "DataCalib.h"
#include "FactoryCalibration.h"
#include "OpticalBench.h"
#include "SimState.h"
#include "SimulatedUnit.h"
#include "vemar_sim_bench.h"
#include "Frequency.h"

namespace vemarsim {

namespace {


// Protects the installed bench and the truth text handed out.
std::mutex g_benchMutex;
std::shared_ptr<OpticalBench> g_bench;
std::string g_truth;

std::shared_ptr<OpticalBench> installed()
{
    std::lock_guard lock(g_benchMutex);
    return g_bench;
}

}  // namespace

void presetChosen()
{
    std::string name;
    std::uint64_t seed = 0;
    {
        std::lock_guard lock(state().mutex);
        name = state().preset;
        seed = state().seed;
    }
    const BenchPreset* preset = findPreset(name);
    if (preset == nullptr) return;
    // The calibration the program will read from the unit; the factory one
    // when the unit's zone holds none.
    std::unique_ptr<DataCalib> calibration = unit().calibrationInFlash();
    if (!calibration) calibration = FactoryCalibration::image();
    auto model = std::make_shared<const BenchModel>(*preset, *calibration, seed);
    auto bench = std::make_shared<OpticalBench>(std::move(model));
    {
        std::lock_guard lock(g_benchMutex);
        g_bench = bench;
        g_truth.clear();
    }
    unit().setSweepDataProvider(bench);
}

}  // namespace vemarsim

using vemarsim::installed;

extern "C" {

const char* vemarsim_bench_truth_json(void)
{
    const auto bench = installed();
    nlohmann::json document;
    {
        std::lock_guard lock(vemarsim::state().mutex);
        document["preset"] = vemarsim::state().preset;
        document["seed"] = vemarsim::state().seed;
    }
    document["ports"] = nlohmann::json::array();
    if (bench) {
        for (int port = 1; port <= vemarsim::DeviceUnderTest::portCount; ++port) {
            nlohmann::json channels = nlohmann::json::array();
            for (const vemarsim::TrueChannel& c : bench->model().device.channels(port))
                channels.push_back({{"centre_nm", c.centreNm},
                                    {"il_db", c.lossDb},
                                    {"bw_nm", {{"1", c.widthNm[0]}, {"3", c.widthNm[1]}, {"20", c.widthNm[2]}}}});
            document["ports"].push_back({{"detector", port}, {"channels", std::move(channels)}});
        }
    }
    std::lock_guard lock(vemarsim::g_benchMutex);
    vemarsim::g_truth = document.dump(2);
    return vemarsim::g_truth.c_str();
}

double vemarsim_bench_transmission_db(int detector, double wavelength_nm)
{
    const auto bench = installed();
    if (!bench || !(wavelength_nm > 0.0)) return -100.0;
    return bench->model().device.transmissionDb(detector, gigahertzNm / wavelength_nm);
}

int vemarsim_bench_write_etalon_file(const char* path)
{
    const auto bench = installed();
    if (!bench || path == nullptr) return -1;
    std::string text;
    const std::vector<double> lines = bench->model().device.peakLines();
    char line[64];
    for (const double f : lines) {
        std::snprintf(line, sizeof line, "%.6f %.6f\n", gigahertzNm / f, f);
        text += line;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return -1;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) return -1;
    return static_cast<int>(lines.size());
}

void vemarsim_bench_force_status_bits(unsigned bits)
{
    if (const auto bench = installed()) bench->forceStatusBits(static_cast<std::uint16_t>(bits));
}

int vemarsim_bench_last_hops(double* wavelengths_nm, double* sizes_ghz, int capacity)
{
    const auto bench = installed();
    if (!bench) return 0;
    const std::vector<vemarsim::TrueHop> hops = bench->lastHops();
    for (int i = 0; i < capacity && i < static_cast<int>(hops.size()); ++i) {
        if (wavelengths_nm != nullptr) wavelengths_nm[i] = hops[static_cast<std::size_t>(i)].wavelengthNm;
        if (sizes_ghz != nullptr) sizes_ghz[i] = hops[static_cast<std::size_t>(i)].sizeGHz;
    }
    return static_cast<int>(hops.size());
}

int vemarsim_bench_acquisitions(void)
{
    const auto bench = installed();
    return bench ? bench->acquisitions() : 0;
}

}
