#pragma once

// The process-wide transport to the unit: the one open bridge device and the
// record of the device opened last.

#include <cstdint>
#include <string>

#include "C_usb_device.h"

// Opens the first accepted device with the product ID and configures it at
// the baud rate. Returns the current-device record: the opened device, or
// the previous record unchanged when nothing was accepted.
DeviceInfos UsbOpen(std::uint32_t productId, std::uint32_t baudRate);
// Destroys the transport.
void UsbClose();
// 0 written, 1 error or no transport.
int UsbWrite(IoRecord& io);
// 0 read, 1 nothing read / error / no transport, 2 read but the receive
// queue held a different number of bytes than were read.
int UsbRead(IoRecord& io);
// Bytes waiting; 0 when no device is open.
std::uint32_t UsbRxCount();
// 0 done, 1 error or no transport.
int UsbFlush();
// True when at least one device is accepted.
bool UsbIsPresent(std::uint32_t productId, const std::string& descriptionFilter);

// A copy of the current-device record (all zero before the first open).
DeviceInfos CurrentUsbDevice();
// Its product ID alone (asked before every transfer).
std::uint32_t CurrentUsbDevicePid();
// True while a transport exists and holds a handle.
bool UsbTransportOpen();
