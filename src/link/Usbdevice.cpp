#include "Usbdevice.h"

#include <cstring>
#include <mutex>

#include "Hsotstdusb.h"

namespace {

// Protects g_liveObjects and makes opening by the first object and closing
// by the last one atomic with the count.
std::mutex g_lifeMutex;
int g_liveObjects = 0;

}  // namespace

UsbDevice::UsbDevice(std::uint32_t productId, std::uint32_t baudRate) : productId_(productId), baudRate_(baudRate)
{
    std::lock_guard lock(g_lifeMutex);
    if (++g_liveObjects == 1) Open();
}

UsbDevice::~UsbDevice()
{
    std::lock_guard lock(g_lifeMutex);
    if (--g_liveObjects == 0) Close();
}

int UsbDevice::liveObjects()
{
    std::lock_guard lock(g_lifeMutex);
    return g_liveObjects;
}

bool UsbDevice::servesCurrentDevice() const { return CurrentUsbDevicePid() == productId_; }

bool UsbDevice::IsOpen() const { return servesCurrentDevice() && UsbTransportOpen(); }

void UsbDevice::Open() { UsbOpen(productId_, baudRate_); }

void UsbDevice::Close()
{
    if (servesCurrentDevice()) UsbClose();
}

bool UsbDevice::IsPresent() { return UsbIsPresent(productId_, ""); }

bool UsbDevice::Write(const void* buffer, std::uint32_t length)
{
    io_ = IoRecord{length, const_cast<void*>(buffer), 0};
    status_ = servesCurrentDevice() ? UsbWrite(io_) : 1;
    return status_ == 0;
}

bool UsbDevice::Read(void* buffer, std::uint32_t length, std::uint32_t& received)
{
    io_ = IoRecord{length, buffer, 0};
    status_ = servesCurrentDevice() ? UsbRead(io_) : 1;
    received = status_ == 1 ? 0 : io_.transferred;
    if (received < length) std::memset(static_cast<std::uint8_t*>(buffer) + received, 0, length - received);
    return status_ != 1 && received == length;
}

void UsbDevice::Flush()
{
    if (servesCurrentDevice()) UsbFlush();
}

int UsbDevice::RxCount() { return servesCurrentDevice() ? static_cast<int>(UsbRxCount()) : 0; }
