#include "C_usb_device.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "Log.h"

namespace {

// Protects the device index list (rebuilt by the user-interface thread's
// detection while the measurement thread may open the unit).
std::mutex g_indexMutex;
std::vector<std::string> g_deviceIndexList;

// The hexadecimal number after key, as "%x" reads it (leading blanks, an
// optional "0x", digits up to the first non-digit); 0 when absent.
std::uint32_t hexAfter(const std::string& upper, const char* key)
{
    const std::size_t at = upper.find(key);
    if (at == std::string::npos) return 0;
    std::size_t i = at + std::char_traits<char>::length(key);
    while (i < upper.size() && std::isspace(static_cast<unsigned char>(upper[i]))) ++i;
    if (i + 1 < upper.size() && upper[i] == '0' && upper[i + 1] == 'X' && i + 2 < upper.size() &&
        std::isxdigit(static_cast<unsigned char>(upper[i + 2])))
        i += 2;
    std::uint32_t value = 0;
    for (; i < upper.size() && std::isxdigit(static_cast<unsigned char>(upper[i])); ++i) {
        const char c = upper[i];
        value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

std::optional<std::string> serialOfPath(const std::string& path)
{
    const std::size_t first = path.find('#');
    if (first == std::string::npos) return std::nullopt;
    const std::size_t second = path.find('#', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const std::size_t third = path.find('#', second + 1);
    if (third == std::string::npos) return std::nullopt;
    return path.substr(second + 1, third - second - 1);
}

bool contains(const std::optional<std::string>& text, const std::string& part)
{
    return text.has_value() && text->find(part) != std::string::npos;
}

}  // namespace

void parseHardwareId(const std::string& hardwareId, DeviceInfos& infos)
{
    std::string upper = hardwareId;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    infos.PID = hexAfter(upper, "PID_");
    infos.VID = hexAfter(upper, "VID_");
    infos.REV = hexAfter(upper, "REV_");
}

void EnumerateUsbDevices(UsbBridge& bridge, DeviceTable& table)
{
    table.clear();
    for (const UsbInterfaceDevice& device : bridge.presentDevices()) {
        DeviceInfos infos;
        infos.serial = serialOfPath(device.path);
        if (device.hardwareId) parseHardwareId(*device.hardwareId, infos);
        infos.description = device.description;
        infos.location = device.location;
        table.emplace(device.path, std::move(infos));  // never replaces an existing key
    }
}

DeviceTable FindUsbXpressDevices(UsbBridge& bridge, std::uint32_t pidFilter, const std::string& descriptionFilter)
{
    DeviceTable enumerated;
    EnumerateUsbDevices(bridge, enumerated);
    std::vector<std::string> indexList;
    DeviceTable accepted;

    std::uint32_t count = 0;
    if (bridge.deviceCount(count) == UsbBridgeStatus::Success) {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string product;
            if (bridge.productString(i, product) != UsbBridgeStatus::Success) {
                indexList.emplace_back(productStringUnreadableText);
                continue;
            }
            if (!descriptionFilter.empty() && product.find(descriptionFilter) == std::string::npos) {
                indexList.emplace_back(excludedByDescriptionText);
                continue;
            }
            const auto match = std::find_if(enumerated.begin(), enumerated.end(),
                                            [&](const auto& entry) { return contains(entry.second.description, product); });
            if (match == enumerated.end()) {
                indexList.emplace_back(endOfDeviceListText);
            } else if (match->second.VID != siliconLabsVendorId || (pidFilter != 0 && pidFilter != match->second.PID)) {
                indexList.emplace_back(excludedByFilterText);
            } else {
                accepted.emplace(match->first, match->second);
                indexList.push_back(match->first);
            }
        }
    }
    std::lock_guard lock(g_indexMutex);
    g_deviceIndexList = std::move(indexList);
    return accepted;
}

DeviceTable FindUsbXpressDevices(std::uint32_t pidFilter, const std::string& descriptionFilter)
{
    return FindUsbXpressDevices(*UsbBridges::current(), pidFilter, descriptionFilter);
}

std::vector<std::string> DeviceIndexList()
{
    std::lock_guard lock(g_indexMutex);
    return g_deviceIndexList;
}

C_Device_USB_Express::C_Device_USB_Express(std::shared_ptr<UsbBridge> bridge, const std::string& devicePath,
                                           std::uint32_t baudRate)
    : bridge_(std::move(bridge)), baudRate_(baudRate)
{
    std::optional<std::uint32_t> number;
    {
        std::lock_guard lock(g_indexMutex);
        const auto it = std::find(g_deviceIndexList.begin(), g_deviceIndexList.end(), devicePath);
        if (it != g_deviceIndexList.end()) number = static_cast<std::uint32_t>(it - g_deviceIndexList.begin());
    }
    if (!number) {
        openFailed_ = true;
        return;
    }
    UsbBridgeHandle handle = 0;
    int status = bridge_->open(*number, handle);
    if (status == UsbBridgeStatus::Success) {
        handle_ = handle;
        if (status == 0) status = bridge_->setBaudRate(handle_, baudRate_);
        if (status == 0) status = bridge_->setLineControl(handle_, lineControl8N1);
        if (status == 0) status = bridge_->setFlowControl(handle_, UsbFlowControl{});
        if (status == 0) status = bridge_->flushBuffers(handle_, true, true);
    }
    if (status != UsbBridgeStatus::Success) {
        driverStatus(status);
        // Whatever the status, a device that could not be configured is not used.
        if (handle_ != 0) bridge_->close(handle_);
        handle_ = 0;
        openFailed_ = true;
    }
}

C_Device_USB_Express::~C_Device_USB_Express()
{
    if (handle_ != 0) bridge_->close(handle_);
}

std::string C_Device_USB_Express::statusText(int status)
{
    const char* reason = nullptr;
    switch (status) {
    case UsbBridgeStatus::InvalidHandle: reason = "Invalid Handle"; break;
    case UsbBridgeStatus::ReadError: reason = "Read Error"; break;
    case UsbBridgeStatus::RxQueueNotReady: reason = "Rx Queue not ready"; break;
    case UsbBridgeStatus::WriteError: reason = "Write Error"; break;
    case UsbBridgeStatus::ResetError: reason = "Reset Error"; break;
    case UsbBridgeStatus::InvalidParameter: reason = "Invalid Parameter"; break;
    case UsbBridgeStatus::InvalidRequestLength: reason = "Invalid Request length"; break;
    case UsbBridgeStatus::DeviceIoFailed: reason = "Device I/O Failed"; break;
    case UsbBridgeStatus::InvalidBaudRate: reason = "Invalid Baud Rate"; break;
    case UsbBridgeStatus::DeviceNotFound: reason = "Device not found"; break;
    default: return std::string();
    }
    return std::string("UsbExpress Error : ") + reason;
}

int C_Device_USB_Express::driverStatus(int status)
{
    if (status == UsbBridgeStatus::Success) return status;
    lastErrorText_ = statusText(status);
    if (!lastErrorText_.empty()) Log::error("%s\n", lastErrorText_.c_str());
    switch (status) {
    case UsbBridgeStatus::InvalidHandle:
        handle_ = 0;  // the driver no longer knows it: nothing to close
        break;
    case UsbBridgeStatus::ResetError:
    case UsbBridgeStatus::InvalidBaudRate:
    case UsbBridgeStatus::DeviceNotFound:
        if (handle_ != 0) bridge_->close(handle_);
        handle_ = 0;
        break;
    default: break;
    }
    return status;
}

bool C_Device_USB_Express::Write(IoRecord& io)
{
    io.transferred = 0;
    if (handle_ == 0) return true;
    // Whatever either side still held belongs to an earlier exchange.
    driverStatus(bridge_->flushBuffers(handle_, true, true));
    if (handle_ == 0) return true;
    std::uint32_t written = 0;
    const int status = driverStatus(bridge_->write(handle_, io.buffer, io.length, written));
    io.transferred = written;
    return status != UsbBridgeStatus::Success;
}

int C_Device_USB_Express::Read(IoRecord& io)
{
    io.transferred = 0;
    if (handle_ == 0) return 1;
    std::uint32_t queued = 0, queueStatus = 0;
    if (driverStatus(bridge_->checkRxQueue(handle_, queued, queueStatus)) != UsbBridgeStatus::Success || queued == 0)
        return 1;
    std::uint32_t got = 0;
    if (driverStatus(bridge_->read(handle_, io.buffer, io.length, got)) != UsbBridgeStatus::Success) return 1;
    io.transferred = got;
    if (got != queued) return 2;
    return got != 0 ? 0 : 1;
}

std::uint32_t C_Device_USB_Express::RxCount()
{
    if (handle_ == 0) return 0;
    std::uint32_t queued = 0, queueStatus = 0;
    if (driverStatus(bridge_->checkRxQueue(handle_, queued, queueStatus)) != UsbBridgeStatus::Success) return 0;
    return queued;
}

bool C_Device_USB_Express::Flush()
{
    if (handle_ == 0) return true;
    return driverStatus(bridge_->flushBuffers(handle_, true, true)) != UsbBridgeStatus::Success;
}
