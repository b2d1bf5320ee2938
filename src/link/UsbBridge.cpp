#include "UsbBridge.h"

#include <mutex>

#include "LinuxUsbBridge.h"
#include "SimulatedUsbBridge.h"
#include "SimulatorPlugin.h"

namespace UsbBridges {
namespace {

// Protects the three pointers below.
std::mutex g_mutex;
std::shared_ptr<UsbBridge> g_installed;
std::shared_ptr<UsbBridge> g_real;
std::shared_ptr<UsbBridge> g_simulated;

}  // namespace

std::shared_ptr<UsbBridge> current()
{
    // Asked before taking the lock: the plug-in loader has its own.
    const bool simulated = SimulatorPlugin::active();
    std::lock_guard lock(g_mutex);
    if (g_installed) return g_installed;
    if (simulated) {
        if (!g_simulated) g_simulated = std::make_shared<SimulatedUsbBridge>();
        return g_simulated;
    }
    if (!g_real) g_real = std::make_shared<LinuxUsbBridge>();
    return g_real;
}

void install(std::shared_ptr<UsbBridge> bridge)
{
    std::lock_guard lock(g_mutex);
    g_installed = std::move(bridge);
}

void useExplicitPort(const std::string& ttyPath) { install(std::make_shared<LinuxUsbBridge>(ttyPath)); }

}  // namespace UsbBridges
