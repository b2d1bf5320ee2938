// Which USB backend the program talks to: the one place that knows both the
// real system and the simulated unit of the plug-in.

#include <mutex>

#include "LinuxUsbBridge.h"
#include "SimulatedUsbBridge.h"
#include "SimulatorPlugin.h"
#include "UsbBridge.h"

namespace UsbBridges {
namespace {

// Protects the two backends, each made on first use and kept for the process.
std::mutex g_mutex;
std::shared_ptr<UsbBridge> g_real;
std::shared_ptr<UsbBridge> g_simulated;

}  // namespace

std::shared_ptr<UsbBridge> defaultBackend()
{
    const bool simulated = SimulatorPlugin::active();
    std::lock_guard lock(g_mutex);
    if (simulated) {
        if (!g_simulated) g_simulated = std::make_shared<SimulatedUsbBridge>();
        return g_simulated;
    }
    if (!g_real) g_real = std::make_shared<LinuxUsbBridge>();
    return g_real;
}

void useExplicitPort(const std::string& ttyPath) { install(std::make_shared<LinuxUsbBridge>(ttyPath)); }

}  // namespace UsbBridges
