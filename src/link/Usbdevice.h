#pragma once

// The instrument as every higher layer sees it. The unit is open exactly
// while at least one UsbDevice-derived object lives: the first one opens it,
// the last one closes it.

#include <cstdint>

#include "C_usb_device.h"

class UsbDevice {
public:
    UsbDevice(std::uint32_t productId, std::uint32_t baudRate);
    virtual ~UsbDevice();
    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;

    virtual bool IsPresent();
    // True when the whole block was written.
    virtual bool Write(const void* buffer, std::uint32_t length);
    // True when length bytes were read into buffer; received tells how many
    // arrived. A read that delivers fewer bytes than asked for fails, and the
    // part of the buffer it did not fill is zeroed: nothing uninitialised
    // ever reaches the caller.
    virtual bool Read(void* buffer, std::uint32_t length, std::uint32_t& received);
    virtual void Flush();
    virtual int RxCount();
    virtual void Open();
    virtual void Close();

    // True while the transport of this object's product holds an open device.
    bool IsOpen() const;

    int lastStatus() const { return status_; }
    std::uint32_t productId() const { return productId_; }
    std::uint32_t baudRate() const { return baudRate_; }

    // Live UsbDevice objects of every kind.
    static int liveObjects();

private:
    bool servesCurrentDevice() const;

    int status_ = 0;
    IoRecord io_;
    std::uint32_t productId_;
    std::uint32_t baudRate_;
};
