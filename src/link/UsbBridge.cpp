#include "UsbBridge.h"

#include <mutex>

namespace UsbBridges {
namespace {

// Protects g_installed.
std::mutex g_mutex;
std::shared_ptr<UsbBridge> g_installed;

}  // namespace

std::shared_ptr<UsbBridge> current()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_installed) return g_installed;
    }
    // Outside the lock: the choice asks the plug-in loader, which has its own.
    return defaultBackend();
}

void install(std::shared_ptr<UsbBridge> bridge)
{
    std::lock_guard lock(g_mutex);
    g_installed = std::move(bridge);
}

}  // namespace UsbBridges
