#include "Hsotstdusb.h"

#include <memory>
#include <mutex>

namespace {

// Protects the transport pointer and the current-device record. Each
// transport call holds it for one short driver call, so the user-interface
// thread and the measurement thread never see a transport half destroyed.
std::mutex g_transportMutex;
std::unique_ptr<C_Device_USB_Express> g_transport;
DeviceInfos g_currentDevice;

}  // namespace

DeviceInfos UsbOpen(std::uint32_t productId, std::uint32_t baudRate)
{
    std::shared_ptr<UsbBridge> bridge = UsbBridges::current();
    const DeviceTable accepted = FindUsbXpressDevices(*bridge, productId, "");
    std::lock_guard lock(g_transportMutex);
    if (accepted.empty()) return g_currentDevice;
    const auto& [path, infos] = *accepted.begin();
    g_transport.reset();  // the bridge gives a device to one owner at a time
    g_transport = std::make_unique<C_Device_USB_Express>(bridge, path, baudRate);
    g_currentDevice = infos;
    return g_currentDevice;
}

void UsbClose()
{
    std::lock_guard lock(g_transportMutex);
    g_transport.reset();
}

int UsbWrite(IoRecord& io)
{
    std::lock_guard lock(g_transportMutex);
    if (!g_transport) return 1;
    return g_transport->Write(io) ? 1 : 0;
}

int UsbRead(IoRecord& io)
{
    std::lock_guard lock(g_transportMutex);
    io.transferred = 0;
    if (!g_transport) return 1;
    return g_transport->Read(io);
}

std::uint32_t UsbRxCount()
{
    std::lock_guard lock(g_transportMutex);
    return g_transport ? g_transport->RxCount() : 0;
}

int UsbFlush()
{
    std::lock_guard lock(g_transportMutex);
    if (!g_transport) return 1;
    return g_transport->Flush() ? 1 : 0;
}

bool UsbIsPresent(std::uint32_t productId, const std::string& descriptionFilter)
{
    return !FindUsbXpressDevices(productId, descriptionFilter).empty();
}

DeviceInfos CurrentUsbDevice()
{
    std::lock_guard lock(g_transportMutex);
    return g_currentDevice;
}

std::uint32_t CurrentUsbDevicePid()
{
    std::lock_guard lock(g_transportMutex);
    return g_currentDevice.PID;
}

bool UsbTransportOpen()
{
    std::lock_guard lock(g_transportMutex);
    return g_transport && g_transport->hasHandle();
}
