#include "Dsp.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <thread>

#include "LinkTiming.h"
#include "Log.h"

namespace {

// Protects the two below: the lock shared by all Dsp objects is created by
// the first and released with the last.
std::mutex g_lifeMutex;
std::shared_ptr<std::mutex> g_exchangeLock;
int g_liveDsp = 0;

}  // namespace

Dsp::Dsp() : UsbDevice(DSP_PRODUCT_ID, DSP_BAUD_RATE)
{
    std::lock_guard life(g_lifeMutex);
    if (++g_liveDsp == 1) g_exchangeLock = std::make_shared<std::mutex>();
    lock_ = g_exchangeLock;
}

Dsp::~Dsp()
{
    std::lock_guard life(g_lifeMutex);
    if (--g_liveDsp == 0) g_exchangeLock.reset();
}

int Dsp::liveObjects()
{
    std::lock_guard life(g_lifeMutex);
    return g_liveDsp;
}

void Dsp::DiscardStaleInput()
{
    if (RxCount() != 0) Flush();
}

bool Dsp::ReadExactly(void* buffer, std::uint32_t length)
{
    std::uint32_t received = 0;
    return Read(buffer, length, received);
}

int Dsp::WaitRx(int count)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + LinkTiming::scaled(std::chrono::milliseconds(DSP_RECEIVE_WAIT_MS));
    // Short sleeps, growing to 1 ms: an answer that is already there costs
    // nothing, a slow one a millisecond at most, a missing one no CPU.
    auto pause = std::chrono::microseconds(20);
    for (;;) {
        const int queued = RxCount();
        if (queued >= count) return queued;
        if (Clock::now() > deadline) return 0;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(1000));
    }
}

bool Dsp::WaitAck(bool finRequired)
{
    if (WaitRx(DSP_ACK_SIZE) == 0) return false;
    DspPacket::Ack ack{};
    if (!ReadExactly(ack.data(), DSP_ACK_SIZE)) return false;
    return DspPacket::checkAck(ack.data(), finRequired);
}

int Dsp::SendCommand(std::uint16_t code, std::uint32_t parameter)
{
    DiscardStaleInput();
    if (!WritePacket(DspPacket::command(code, parameter))) return DspResult::WriteFailed;
    if (!WaitAck(true)) return DspResult::NoAcknowledge;
    return DspResult::Ok;
}

int Dsp::GetStatus(bool& flashMode, int& release, int& third)
{
    std::lock_guard guard(lock());
    flashMode = false;
    release = 0;
    third = 0;
    DiscardStaleInput();
    if (!WritePacket(DspPacket::command(DSP_GET_STATUS))) return DspResult::WriteFailed;
    DspPacket::Status answer{};
    if (WaitRx(DSP_STATUS_SIZE) == 0 || !ReadExactly(answer.data(), DSP_STATUS_SIZE) ||
        byteorder::readU16le(answer.data()) != DSP_GET_STATUS)
        return DspResult::ReadFailed;
    const std::uint16_t word1 = byteorder::readU16le(answer.data() + 2);
    flashMode = (word1 & 0x8000) != 0;
    release = word1 & 0x7FFF;
    third = byteorder::readU16le(answer.data() + 4);
    return DspResult::Ok;
}

int Dsp::RequestSize(std::uint16_t code, std::uint32_t& byteSize)
{
    byteSize = 0;
    int result = 0;
    if (!WritePacket(DspPacket::command(code, 0))) {
        // A write may fail after the packet went out, so the answer is
        // still awaited; with no device open at all there is nothing to
        // wait for, and the result is the same without the five seconds.
        result |= DspResult::WriteFailed;
        if (!IsOpen()) return result | DspResult::TimeOut;
    }
    if (WaitRx(DSP_ACK_SIZE) == 0) return result | DspResult::TimeOut;
    DspPacket::Ack ack{};
    if (!ReadExactly(ack.data(), DSP_ACK_SIZE)) return result | DspResult::ReadFailed;
    DspPacket::checkAck(ack.data(), false);
    byteSize = DspPacket::ackValue(ack.data());
    return result;
}

int Dsp::ReadBlocks(std::uint16_t code, void* buffer, std::uint32_t capacity, std::uint32_t& received,
                    std::uint32_t total)
{
    DiscardStaleInput();
    received = 0;
    if (total > capacity) {
        Log::error("Dsp::ReadBlocks: code 0x%X announces %u bytes for a buffer of %u\n", code, total, capacity);
        return DspResult::ArrayTooLarge;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t remaining = total;
    int result = DspResult::Ok;
    while (remaining != 0 && result == DspResult::Ok) {
        const std::uint32_t n = std::min<std::uint32_t>(remaining, NB_BYTES_PCK_MAX);
        if (!WritePacket(DspPacket::command(code, remaining))) {
            result = DspResult::WriteFailed;
            break;
        }
        if (WaitRx(static_cast<int>(n) + DSP_TRAILER_SIZE) == 0) {
            result = DspResult::TimeOut;
            break;
        }
        DspPacket::Trailer trailer{};
        if (!ReadExactly(out, n) || !ReadExactly(trailer.data(), DSP_TRAILER_SIZE)) {
            result = DspResult::ReadFailed;
            break;
        }
        const std::uint16_t flags = DspPacket::trailerFlags(trailer.data());
        if (DspPacket::blockChecksum(out, n, DspPacket::trailerWordA(trailer.data()), flags) !=
                DspPacket::trailerChecksum(trailer.data()) ||
            (flags & DSP_BLOCK_ERROR) != 0) {
            result = DspResult::BlockCorrupt;
            break;
        }
        out += n & ~1u;
        received += n;
        remaining -= n;
        const bool last = (flags & DSP_BLOCK_LAST) != 0;
        if ((received < total && last) || (received >= total && !last)) result = DspResult::EndMarkWrong;
    }
    return result;
}

template <typename Unit>
int Dsp::ReadArray(std::uint16_t code, Unit* buffer, std::uint32_t capacity, std::uint32_t& received)
{
    std::lock_guard guard(lock());
    received = 0;
    std::uint32_t size = 0;
    int result = RequestSize(code, size);
    if (result != DspResult::Ok) return result;
    std::uint32_t bytes = 0;
    const std::uint64_t capacityBytes = static_cast<std::uint64_t>(capacity) * sizeof(Unit);
    result = ReadBlocks(code, buffer, static_cast<std::uint32_t>(std::min<std::uint64_t>(capacityBytes, UINT32_MAX)),
                        bytes, size);
    received = bytes / sizeof(Unit);
    // The blocks carry little-endian units.
    auto* raw = reinterpret_cast<std::uint8_t*>(buffer);
    if constexpr (std::endian::native != std::endian::little) {
        for (std::uint32_t i = 0; i < received; ++i) {
            if constexpr (sizeof(Unit) == 2)
                buffer[i] = byteorder::readU16le(raw + 2 * i);
            else
                buffer[i] = byteorder::readU32le(raw + 4 * i);
        }
    }
    (void)raw;
    return result;
}

int Dsp::ReadWords(std::uint16_t code, std::uint16_t* buffer, std::uint32_t capacityWords, std::uint32_t& receivedWords)
{
    return ReadArray(code, buffer, capacityWords, receivedWords);
}

int Dsp::ReadDwords(std::uint16_t code, std::uint32_t* buffer, std::uint32_t capacityDwords,
                    std::uint32_t& receivedDwords)
{
    return ReadArray(code, buffer, capacityDwords, receivedDwords);
}
