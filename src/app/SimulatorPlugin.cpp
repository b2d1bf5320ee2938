#include "SimulatorPlugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "Log.h"
#include "vemar_sim.h"
#include "vemar_sim_bench.h"
#include "vemar_sim_gpib.h"
#include "vemar_sim_usb.h"

namespace SimulatorPlugin {
namespace {

struct Closer {
    void operator()(void* h) const
    {
        if (h != nullptr) ::dlclose(h);
    }
};

// Protects g_handle; the plug-in stays loaded until the process ends.
std::mutex g_mutex;
std::unique_ptr<void, Closer> g_handle;

template <typename F>
F entry(void* h, const char* name)
{
    return reinterpret_cast<F>(::dlsym(h, name));
}

}  // namespace

std::string libraryPath()
{
    // By absolute path: a bare name relies on the program's $ORIGIN run path,
    // which a wrapped loader (a sanitizer's dlopen) does not search.
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path folder = program.parent_path();
        for (const std::filesystem::path& candidate :
             {folder / VEMARSIM_LIBRARY_NAME, folder / ".." / "lib" / "vemar" / VEMARSIM_LIBRARY_NAME}) {
            if (std::filesystem::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
        }
    }
    // Not beside the program: the loader's own search (LD_LIBRARY_PATH ...).
    return VEMARSIM_LIBRARY_NAME;
}

bool activate(const std::string& presetName, std::optional<std::uint64_t> seedValue, std::string* error)
{
    std::lock_guard lock(g_mutex);
    auto fail = [error](std::string text) {
        Log::error("Simulator: %s\n", text.c_str());
        if (error != nullptr) *error = std::move(text);
        return false;
    };
    if (!g_handle) {
        const std::string path = libraryPath();
        void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (h == nullptr) {
            const char* why = ::dlerror();
            return fail(std::string("can't load " VEMARSIM_LIBRARY_NAME ": ") + (why != nullptr ? why : "unknown"));
        }
        Log::info("Simulator: %s\n", path.c_str());
        std::unique_ptr<void, Closer> loaded(h);
        auto revision = entry<int (*)()>(h, "vemarsim_api_revision");
        if (revision == nullptr || revision() != VEMARSIM_API_REVISION)
            return fail(VEMARSIM_LIBRARY_NAME " is of another revision");
        g_handle = std::move(loaded);
    }
    auto init = entry<int (*)(const char*, std::uint64_t, int)>(g_handle.get(), "vemarsim_init");
    if (init == nullptr) return fail(VEMARSIM_LIBRARY_NAME " has no vemarsim_init");
    if (init(presetName.c_str(), seedValue.value_or(0), seedValue.has_value() ? 1 : 0) != 0)
        return fail("unknown bench preset \"" + presetName + "\"");
    if (auto name = entry<const char* (*)()>(g_handle.get(), "vemarsim_preset"))
        Log::info("Simulator active: preset %s\n", name());
    return true;
}

bool active()
{
    std::lock_guard lock(g_mutex);
    return static_cast<bool>(g_handle);
}

void* symbol(const char* name)
{
    std::lock_guard lock(g_mutex);
    return g_handle ? ::dlsym(g_handle.get(), name) : nullptr;
}

void* handle()
{
    std::lock_guard lock(g_mutex);
    return g_handle.get();
}

std::string preset()
{
    auto f = reinterpret_cast<const char* (*)()>(symbol("vemarsim_preset"));
    return f != nullptr ? std::string(f()) : std::string();
}

std::uint64_t seed()
{
    auto f = reinterpret_cast<std::uint64_t (*)()>(symbol("vemarsim_seed"));
    return f != nullptr ? f() : 0;
}

void setTimeScale(double scale)
{
    if (auto f = reinterpret_cast<decltype(&vemarsim_set_time_scale)>(symbol("vemarsim_set_time_scale"))) f(scale);
}

bool setUnitRelease(int hundredths)
{
    auto f = reinterpret_cast<decltype(&vemarsim_unit_set_release)>(symbol("vemarsim_unit_set_release"));
    return f != nullptr && f(hundredths) == 0;
}

void setUnitPlugged(bool plugged)
{
    if (auto f = reinterpret_cast<decltype(&vemarsim_unit_set_plugged)>(symbol("vemarsim_unit_set_plugged")))
        f(plugged ? 1 : 0);
}

bool injectUnitFault(const std::string& kind, int argument)
{
    static const std::pair<const char*, int> kinds[] = {
        {"no-answer", VEMARSIM_FAULT_NO_ANSWER},
        {"unplug", VEMARSIM_FAULT_UNPLUG},
        {"program-bit", VEMARSIM_FAULT_PROGRAM_BIT},
        {"stuck-byte", VEMARSIM_FAULT_STUCK_BYTE},
    };
    auto f = reinterpret_cast<decltype(&vemarsim_unit_inject_fault)>(symbol("vemarsim_unit_inject_fault"));
    for (const auto& [name, code] : kinds)
        if (kind == name) return f != nullptr && f(code, argument) == 0;
    return false;
}

void placeInstruments(const std::vector<BenchLaser>& lasers, int switchAddress)
{
    auto setSources = reinterpret_cast<decltype(&vemarsim_gpib_set_sources)>(symbol("vemarsim_gpib_set_sources"));
    auto setSwitch =
        reinterpret_cast<decltype(&vemarsim_gpib_set_switch_address)>(symbol("vemarsim_gpib_set_switch_address"));
    if (setSources == nullptr || setSwitch == nullptr) return;
    std::vector<VemarSimGpibSource> records;
    for (const BenchLaser& l : lasers)
        records.push_back({l.enable ? 1 : 0, l.address, l.type, l.lambdaMinNm, l.lambdaMaxNm});
    // The switch first: a bus rebuilt from the records then has both.
    setSwitch(switchAddress);
    setSources(records.data(), static_cast<int>(records.size()));
}

std::optional<std::string> benchTruthJson()
{
    auto f = reinterpret_cast<decltype(&vemarsim_bench_truth_json)>(symbol("vemarsim_bench_truth_json"));
    const char* text = f != nullptr ? f() : nullptr;
    if (text == nullptr) return std::nullopt;
    return std::string(text);
}

}  // namespace SimulatorPlugin
