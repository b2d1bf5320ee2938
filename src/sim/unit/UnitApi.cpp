// The exported entry points of the simulated unit: its USB bridge, as the
// program's simulated USB backend calls it, and the controls of the tests.

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "DspProtocol.h"
#include "FirmwareImage.h"
#include "PtyServer.h"
#include "SimulatedUnit.h"
#include "vemar_sim_usb.h"

namespace {

using vemarsim::unit;

constexpr const char* productText = "VEMAR USB Acquisition Unit";

// The bridge's one device. Protects openHandle.
std::mutex g_bridgeMutex;
vemarsim_usb_handle g_openHandle = 0;

// Protects the pseudo-terminal server.
std::mutex g_ptyMutex;

// Made after the unit, so that at exit the server (and its thread) goes
// before the unit it serves.
std::unique_ptr<vemarsim::PtyServer>& ptyServer()
{
    unit();
    static std::unique_ptr<vemarsim::PtyServer> server;
    return server;
}

void copyText(char* field, std::size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

// The status of an operation on a handle.
int handleStatus(vemarsim_usb_handle handle)
{
    if (!unit().plugged()) return VEMARSIM_USB_DEVICE_NOT_FOUND;
    std::lock_guard lock(g_bridgeMutex);
    return handle != 0 && handle == g_openHandle && handle == unit().generation() ? VEMARSIM_USB_SUCCESS
                                                                                   : VEMARSIM_USB_INVALID_HANDLE;
}

}  // namespace

extern "C" {

int vemarsim_usb_present_devices(struct vemarsim_usb_device_info* out, int capacity)
{
    if (!unit().plugged()) return 0;
    if (out != nullptr && capacity > 0) {
        std::memset(out, 0, sizeof *out);
        copyText(out->path, sizeof out->path, "usb#vid_10c4&pid_82b4#AF0417#/sys/devices/simulated/usb1/1-1");
        copyText(out->hardware_id, sizeof out->hardware_id, "USB\\VID_10C4&PID_82B4&REV_0100");
        copyText(out->description, sizeof out->description, productText);
        copyText(out->location, sizeof out->location, "Bus 001 Port 1-1 (simulated)");
    }
    return 1;
}

int vemarsim_usb_device_count(uint32_t* count)
{
    if (count == nullptr) return VEMARSIM_USB_INVALID_PARAMETER;
    *count = unit().plugged() ? 1 : 0;
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_product_string(uint32_t device, char* text, uint32_t capacity)
{
    if (text == nullptr || capacity == 0) return VEMARSIM_USB_INVALID_PARAMETER;
    if (device != 0 || !unit().plugged()) return VEMARSIM_USB_DEVICE_NOT_FOUND;
    copyText(text, capacity, productText);
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_open(uint32_t device, vemarsim_usb_handle* handle)
{
    if (handle == nullptr) return VEMARSIM_USB_INVALID_PARAMETER;
    *handle = 0;
    if (device != 0 || !unit().plugged()) return VEMARSIM_USB_DEVICE_NOT_FOUND;
    std::lock_guard lock(g_bridgeMutex);
    const vemarsim_usb_handle current = unit().generation();
    if (g_openHandle == current) return VEMARSIM_USB_DEVICE_NOT_FOUND;  // in use
    g_openHandle = current;
    *handle = current;
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_close(vemarsim_usb_handle handle)
{
    std::lock_guard lock(g_bridgeMutex);
    if (handle == 0 || handle != g_openHandle) return VEMARSIM_USB_INVALID_HANDLE;
    g_openHandle = 0;
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_set_baud_rate(vemarsim_usb_handle handle, uint32_t baudRate)
{
    if (const int s = handleStatus(handle)) return s;
    switch (baudRate) {
    case 9600: case 19200: case 38400: case 57600: case 115200: case 230400: case 460800: case 921600:
        return VEMARSIM_USB_SUCCESS;
    default: return VEMARSIM_USB_INVALID_BAUD_RATE;
    }
}

int vemarsim_usb_set_line_control(vemarsim_usb_handle handle, uint16_t lineControl)
{
    if (const int s = handleStatus(handle)) return s;
    const int dataBits = lineControl >> 8, parity = (lineControl >> 4) & 0xF, stop = lineControl & 0xF;
    return dataBits >= 5 && dataBits <= 8 && parity <= 4 && stop <= 2 ? VEMARSIM_USB_SUCCESS
                                                                        : VEMARSIM_USB_INVALID_PARAMETER;
}

int vemarsim_usb_set_flow_control(vemarsim_usb_handle handle, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, int)
{
    return handleStatus(handle);
}

int vemarsim_usb_flush(vemarsim_usb_handle handle, int, int receive)
{
    if (const int s = handleStatus(handle)) return s;
    // Whatever the program wrote has already reached the DSP: only the
    // receive side holds anything to discard.
    if (receive != 0) unit().hostFlushReceive();
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_write(vemarsim_usb_handle handle, const void* data, uint32_t length, uint32_t* written)
{
    if (written != nullptr) *written = 0;
    if (const int s = handleStatus(handle)) return s;
    if (data == nullptr && length != 0) return VEMARSIM_USB_INVALID_PARAMETER;
    unit().hostWrite(static_cast<const std::uint8_t*>(data), length);
    if (!unit().plugged()) return VEMARSIM_USB_DEVICE_NOT_FOUND;
    if (written != nullptr) *written = length;
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_check_rx_queue(vemarsim_usb_handle handle, uint32_t* queued, uint32_t* status)
{
    if (queued != nullptr) *queued = 0;
    if (status != nullptr) *status = 0;
    if (const int s = handleStatus(handle)) return s;
    const auto count = static_cast<uint32_t>(unit().hostRxCount());
    if (queued != nullptr) *queued = count;
    if (status != nullptr) *status = count != 0 ? 2 : 0;
    return VEMARSIM_USB_SUCCESS;
}

int vemarsim_usb_read(vemarsim_usb_handle handle, void* buffer, uint32_t length, uint32_t* got)
{
    if (got != nullptr) *got = 0;
    if (const int s = handleStatus(handle)) return s;
    if (buffer == nullptr && length != 0) return VEMARSIM_USB_INVALID_PARAMETER;
    const auto n = static_cast<uint32_t>(unit().hostRead(static_cast<std::uint8_t*>(buffer), length));
    if (got != nullptr) *got = n;
    return VEMARSIM_USB_SUCCESS;
}

void vemarsim_unit_reset(void) { unit().reset(); }

int vemarsim_unit_set_release(int hundredths) { return unit().setRelease(hundredths) ? 0 : -1; }

void vemarsim_unit_set_plugged(int plugged) { unit().setPlugged(plugged != 0); }

int vemarsim_unit_inject_fault(int fault, int arg) { return unit().injectFault(fault, arg) ? 0 : -1; }

void vemarsim_unit_clear_faults(void) { unit().clearFaults(); }

int vemarsim_unit_faults_pending(void) { return unit().pendingFaults(); }

void vemarsim_unit_set_random_faults(double probability, uint64_t seed) { unit().setRandomFaults(probability, seed); }

void vemarsim_unit_set_sample_count(uint32_t samples) { unit().setSampleCount(samples); }

uint32_t vemarsim_unit_peek_array(int command, void* buffer, uint32_t capacity)
{
    const std::vector<std::uint8_t> bytes = unit().peekArray(static_cast<std::uint16_t>(command));
    if (buffer != nullptr && !bytes.empty())
        std::memcpy(buffer, bytes.data(), std::min<std::size_t>(capacity, bytes.size()));
    return static_cast<uint32_t>(bytes.size());
}

int vemarsim_unit_read_flash(uint32_t wordAddress, void* buffer, uint32_t bytes)
{
    return unit().readFlash(wordAddress, static_cast<std::uint8_t*>(buffer), bytes) ? 0 : -1;
}

int vemarsim_unit_write_flash(uint32_t wordAddress, const void* data, uint32_t bytes)
{
    return unit().writeFlash(wordAddress, static_cast<const std::uint8_t*>(data), bytes) ? 0 : -1;
}

void vemarsim_unit_status(int* flashMode, int* release)
{
    bool flash = false;
    int r = 0;
    unit().status(flash, r);
    if (flashMode != nullptr) *flashMode = flash ? 1 : 0;
    if (release != nullptr) *release = r;
}

int vemarsim_unit_write_firmware_file(const char* path, int release)
{
    if (path == nullptr) return -1;
    const std::vector<std::uint8_t> bytes = vemarsim::FirmwareImage::file(release);
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return -1;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok ? 0 : -1;
}

int vemarsim_unit_recorded_packets(struct vemarsim_unit_packet* out, int capacity)
{
    const auto packets = unit().recordedPackets();
    for (int i = 0; out != nullptr && i < capacity && i < static_cast<int>(packets.size()); ++i) {
        std::memcpy(out[i].bytes, packets[static_cast<std::size_t>(i)].bytes.data(), 8);
        out[i].data_length = packets[static_cast<std::size_t>(i)].dataLength;
    }
    return static_cast<int>(packets.size());
}

void vemarsim_unit_clear_record(void) { unit().clearRecord(); }

int vemarsim_unit_pty_start(char* slavePath, uint32_t capacity)
{
    std::lock_guard lock(g_ptyMutex);
    auto& server = ptyServer();
    if (server) return -1;
    auto started = std::make_unique<vemarsim::PtyServer>(unit());
    if (!started->start()) return -1;
    if (slavePath != nullptr && capacity > 0) copyText(slavePath, capacity, started->slavePath().c_str());
    server = std::move(started);
    return 0;
}

void vemarsim_unit_pty_stop(void)
{
    std::lock_guard lock(g_ptyMutex);
    ptyServer().reset();
}

}  // extern "C"
