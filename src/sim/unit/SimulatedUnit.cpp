#include "SimulatedUnit.h"

#include <algorithm>
#include <bit>

#include "ByteOrder.h"
#include "DataCalibFactory.h"
#include "DspProtocol.h"
#include "FactoryCalibration.h"
#include "FirmwareImage.h"
#include "FlashZones.h"
#include "SimClock.h"

namespace vemarsim {
namespace {

// A partial packet older than this is noise on the line: the DSP drops it
// and waits for a fresh packet (simulated seconds, never below 5 ms real).
constexpr double staleInputSeconds = 0.1;
// The boot code waits this long for the data of a program order it has
// acknowledged, then takes what comes as a new packet: a host that lost the
// acknowledgement (and waits 5 s for it) finds the DSP listening again.
constexpr double flashDataWaitSeconds = 2.0;
// Erasing one flash sector.
constexpr double sectorEraseSeconds = 0.25;
constexpr std::size_t recordLimit = 4096;

std::optional<UnitArray> arrayOf(std::uint16_t command)
{
    switch (command) {
    case DSP_READ_OUTPUT: return UnitArray::Output;
    case DSP_READ_DETECTOR1: return UnitArray::Detector1;
    case DSP_READ_DETECTOR2: return UnitArray::Detector2;
    case DSP_READ_DETECTOR3: return UnitArray::Detector3;
    case DSP_READ_DETECTOR4: return UnitArray::Detector4;
    case DSP_READ_ORL: return UnitArray::Orl;
    case DSP_READ_AUX: return UnitArray::Aux;
    case DSP_READ_EXT: return UnitArray::Ext;
    case DSP_READ_REF_SIGNAL: return UnitArray::ReferenceSignal;
    case DSP_READ_MARK_STEPS: return UnitArray::MarkSteps;
    case DSP_READ_JUMP_INDEXES: return UnitArray::JumpIndexes;
    case DSP_READ_EXTRA_JUMPS: return UnitArray::ExtraJumps;
    default: return std::nullopt;
    }
}

bool isArrayRead(std::uint16_t command)
{
    return arrayOf(command).has_value() || command == DSP_READ_LEVELS || command == DSP_READ_STATUS_WORD;
}

template <typename Unit>
std::vector<std::uint8_t> littleEndianBytes(const std::vector<Unit>& values)
{
    std::vector<std::uint8_t> bytes(values.size() * sizeof(Unit));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if constexpr (sizeof(Unit) == 2)
            byteorder::writeU16le(bytes.data() + 2 * i, values[i]);
        else
            byteorder::writeU32le(bytes.data() + 4 * i, values[i]);
    }
    return bytes;
}

std::chrono::steady_clock::duration simulated(double seconds)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(seconds * timeScale()));
}

}  // namespace

SimulatedUnit& unit()
{
    static SimulatedUnit instance;
    return instance;
}

SimulatedUnit::SimulatedUnit() : defaultData_(std::make_shared<DefaultSweepData>()), provider_(defaultData_)
{
    resetLocked();
}

void SimulatedUnit::reset()
{
    std::lock_guard lock(mutex_);
    resetLocked();
}

void SimulatedUnit::resetLocked()
{
    flash_.eraseAll();
    const IdentityRecord identity = FactoryCalibration::identity();
    flash_.overwrite(FlashZones::identity.firstWord, identity.bytes().data(), IdentityRecord::size);
    const std::vector<std::uint8_t> file = FactoryCalibration::file();
    const auto header = FactoryCalibration::zoneHeader(static_cast<std::uint32_t>(file.size()));
    flash_.overwrite(FlashZones::calibration.firstWord, header.data(), header.size());
    flash_.overwrite(FlashZones::calibration.firstWord + FlashZones::calibrationHeaderWords, file.data(), file.size());
    const std::vector<std::uint8_t> code = FirmwareImage::image(DSP_RELEASE_REQUIRED);
    flash_.overwrite(FlashZones::userCode.firstWord, code.data(), code.size());

    dropLine();
    plugged_ = true;
    faults_ = UnitFaults();
    record_.clear();
    defaultData_->setSampleCount(DefaultSweepData::defaultSampleCount);
    provider_ = defaultData_;
    startUserCode();
}

void SimulatedUnit::startUserCode()
{
    std::vector<std::uint8_t> zone(FlashZones::userCode.sizeBytes);
    flash_.read(FlashZones::userCode.firstWord, zone.data(), zone.size());
    const std::optional<int> release = FirmwareImage::releaseOf(zone.data(), zone.size());
    // Without a complete image the boot code keeps running.
    flashMode_ = !release.has_value();
    release_ = release.value_or(0);
    flashReadData_.clear();
    flashReadRemaining_ = 0;
    arrays_.clear();
    settings_ = AcquisitionSettings();
    acquiring_ = armed_ = false;
    endOfScanDue_.reset();
    levels_.fill(0);
    levelsSampled_ = false;
}

void SimulatedUnit::dropLine()
{
    ++generation_;
    input_.clear();
    flashDataExpected_ = 0;
    output_.clear();
    outputHead_ = 0;
    pending_.clear();
    endOfScanDue_.reset();
    acquiring_ = armed_ = false;
}

void SimulatedUnit::unplugLocked()
{
    plugged_ = false;
    dropLine();
}

bool SimulatedUnit::plugged() const
{
    std::lock_guard lock(mutex_);
    return plugged_;
}

std::uint64_t SimulatedUnit::generation() const
{
    std::lock_guard lock(mutex_);
    return generation_;
}

void SimulatedUnit::setPlugged(bool plugged)
{
    std::lock_guard lock(mutex_);
    if (plugged == plugged_) return;
    if (!plugged) {
        unplugLocked();
        return;
    }
    plugged_ = true;
    startUserCode();  // powered again
}

// ---- Host side ----

void SimulatedUnit::hostWrite(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard lock(mutex_);
    if (!plugged_) return;
    releaseDue();
    const auto now = Clock::now();
    const auto stale = std::max<Clock::duration>(simulated(staleInputSeconds), std::chrono::milliseconds(5));
    if (!input_.empty() && now - lastInput_ > stale) {
        input_.clear();
        flashDataExpected_ = 0;
    }
    const auto dataWait = std::max<Clock::duration>(simulated(flashDataWaitSeconds), std::chrono::milliseconds(5));
    if (input_.empty() && flashDataExpected_ != 0 && now - lastInput_ > dataWait) flashDataExpected_ = 0;
    input_.insert(input_.end(), data, data + length);
    lastInput_ = now;
    process();
}

std::size_t SimulatedUnit::hostRxCount()
{
    std::lock_guard lock(mutex_);
    if (!plugged_) return 0;
    releaseDue();
    return output_.size() - outputHead_;
}

std::size_t SimulatedUnit::hostRead(std::uint8_t* out, std::size_t length)
{
    std::lock_guard lock(mutex_);
    if (!plugged_) return 0;
    releaseDue();
    const std::size_t n = std::min(length, output_.size() - outputHead_);
    std::copy_n(output_.begin() + static_cast<std::ptrdiff_t>(outputHead_), n, out);
    outputHead_ += n;
    if (outputHead_ == output_.size()) {
        output_.clear();
        outputHead_ = 0;
    }
    return n;
}

void SimulatedUnit::hostFlushReceive()
{
    std::lock_guard lock(mutex_);
    releaseDue();
    output_.clear();
    outputHead_ = 0;
}

void SimulatedUnit::releaseDue()
{
    const auto now = Clock::now();
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) { return a.due < b.due; });
    auto it = pending_.begin();
    for (; it != pending_.end() && it->due <= now; ++it) output_.insert(output_.end(), it->bytes.begin(), it->bytes.end());
    pending_.erase(pending_.begin(), it);
    if (endOfScanDue_ && *endOfScanDue_ <= now) {
        endOfScanDue_.reset();
        armed_ = false;
        output_.push_back(static_cast<std::uint8_t>(DSP_END_OF_SCAN & 0xFF));
        output_.push_back(static_cast<std::uint8_t>(DSP_END_OF_SCAN >> 8));
    }
}

// ---- Protocol ----

void SimulatedUnit::process()
{
    std::size_t used = 0;
    for (;;) {
        const std::size_t available = input_.size() - used;
        if (flashDataExpected_ != 0) {
            if (available < flashDataExpected_) break;
            const std::size_t length = flashDataExpected_;
            flashDataExpected_ = 0;
            handleFlashData(input_.data() + used, length);
            used += length;
            if (!plugged_) return;  // its acknowledgement was the last answer before the unplug
            continue;
        }
        if (available < NB_BYTES_OUT) break;
        handlePacket(input_.data() + used);
        used += NB_BYTES_OUT;
        if (!plugged_) return;  // a fault took the unit away; input_ is already gone
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(used));
}

void SimulatedUnit::record(const std::uint8_t* bytes, std::uint32_t dataLength)
{
    RecordedPacket p{};
    std::copy_n(bytes, std::min<std::size_t>(8, dataLength != 0 ? dataLength : 8), p.bytes.begin());
    p.dataLength = dataLength;
    if (record_.size() >= recordLimit) record_.pop_front();
    record_.push_back(p);
}

void SimulatedUnit::handlePacket(const std::uint8_t* packet)
{
    record(packet, 0);
    const DspPacket::Fields f = DspPacket::decode(packet);
    if (faults_.takeIgnoredCommand(f.code)) return;
    if (f.code == DSP_GET_STATUS) {
        const auto answer = DspPacket::status(flashMode_, static_cast<std::uint16_t>(release_), 3);
        send({answer.begin(), answer.end()});
        return;
    }
    if (f.code == DSP_REBOOT) {
        // What was under way is lost with the code that ran it.
        pending_.clear();
        if (flashMode_)
            startUserCode();
        else {
            flashMode_ = true;
            flashReadRemaining_ = 0;
            acquiring_ = armed_ = false;
            endOfScanDue_.reset();
        }
        return;
    }
    if (flashMode_)
        handleBootCommand(f.code, packet);
    else
        handleUserCommand(f.code, f.parameter);
}

void SimulatedUnit::handleBootCommand(std::uint16_t code, const std::uint8_t* packet)
{
    const DspPacket::Fields f = DspPacket::decode(packet);
    switch (code) {
    case DSP_FLASH_PREPARE_USER_CODE: sendAck(code, DSP_ACK_FIN_CMD); return;
    case DSP_FLASH_PROG_ORDER:
        if (f.count == 0 || f.count > NB_BYTES_FLASH_PAYLOAD_MAX / 2 || !flash_.inZone(f.address, 2u * f.count)) {
            sendAck(code, DSP_ACK_FLASH_ERROR);
            return;
        }
        programAddress_ = f.address;
        flashDataExpected_ = 2u * f.count + 2;
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_FLASH_READ:
        if (flashReadRemaining_ != 0 && f.parameter == flashReadRemaining_) {
            const auto n = std::min<std::uint32_t>(flashReadRemaining_, NB_BYTES_PCK_MAX);
            sendBlock(flashReadData_, flashReadRemaining_);
            flashReadRemaining_ -= n;
            return;
        }
        if (f.count == 0 || !flash_.inZone(f.address, 2u * f.count)) {
            flashReadRemaining_ = 0;
            sendAck(code, DSP_ACK_FLASH_ERROR);
            return;
        }
        flashReadData_.assign(2u * f.count, 0);
        flash_.read(f.address, flashReadData_.data(), flashReadData_.size());
        flashReadRemaining_ = 2u * f.count;
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_FLASH_ERASE_SECTOR:
        if (!flash_.erase(f.count)) {
            sendAck(code, DSP_ACK_FLASH_ERROR);
            return;
        }
        sendAck(code, DSP_ACK_FIN_CMD, 0, sectorEraseSeconds * std::popcount(f.count));
        return;
    case DSP_FLASH_START_PROG_AD:
        sendAck(code, f.address == FlashZones::userCode.firstWord ? DSP_ACK_FIN_CMD : DSP_ACK_FLASH_ERROR);
        return;
    default:
        sendAck(code, 0);  // the boot code knows no such command
        return;
    }
}

void SimulatedUnit::handleUserCommand(std::uint16_t code, std::uint32_t parameter)
{
    if (isArrayRead(code)) {
        if (parameter == 0) {
            arrays_[code] = arrayBytes(code);
            sendAck(code, DSP_ACK_FIN_CMD, static_cast<std::uint32_t>(arrays_[code].size()));
        } else {
            auto it = arrays_.find(code);
            if (it == arrays_.end()) it = arrays_.emplace(code, arrayBytes(code)).first;
            sendBlock(it->second, parameter);
        }
        return;
    }
    switch (code) {
    case DSP_FLASH_PREPARE_USER_CODE:
    case DSP_FLASH_PROG_ORDER:
    case DSP_FLASH_READ:
    case DSP_FLASH_ERASE_SECTOR:
    case DSP_FLASH_START_PROG_AD:
        sendAck(code, DSP_ACK_FLASH_ERROR);  // only the boot code touches the flash
        return;
    case DSP_USER_FLASH_ADDRESS:
        if (!flash_.inZone(parameter, 2)) {
            sendAck(code, DSP_ACK_FLASH_ERROR);
            return;
        }
        userReadAddress_ = parameter;
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_USER_FLASH_READ: {
        if (parameter == 0) {
            sendAck(code, 0);
            return;
        }
        const auto n = std::min<std::uint32_t>(parameter, NB_BYTES_PCK_MAX);
        std::vector<std::uint8_t> bytes((n + 1) & ~1u, 0);
        const bool ok = flash_.read(userReadAddress_, bytes.data(), bytes.size());
        sendDataBlock(bytes.data(), ok ? n : 0, n == parameter, !ok);
        if (ok) userReadAddress_ += n / 2;
        return;
    }
    case DSP_ACQ_START:
        acquiring_ = true;
        provider_->acquisitionStarted(settings_);
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_ACQ_STOP:
        if (acquiring_ || armed_) provider_->acquisitionStopped(settings_);
        acquiring_ = armed_ = false;
        endOfScanDue_.reset();
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_SAMPLE_LEVELS:
        levels_ = provider_->sampleLevels(settings_);
        levelsSampled_ = true;
        sendAck(code, DSP_ACK_FIN_CMD);
        return;
    case DSP_SET_MARK_COUNT: settings_.markCount = parameter; break;
    case DSP_SET_SAMPLING_STEP: settings_.samplingStepPm = parameter; break;
    case DSP_SET_LEVEL_1: settings_.level1 = parameter; break;
    case DSP_SET_LEVEL_2: settings_.level2 = parameter; break;
    case DSP_SET_HARDWARE_CODE: settings_.hardwareCode = parameter; break;
    case DSP_SET_CONFIG: settings_.configWord = parameter; break;
    case DSP_ARM_TRIGGER: {
        armed_ = true;
        const double seconds = provider_->triggerArmed(settings_);
        if (seconds >= 0.0) endOfScanDue_ = Clock::now() + simulated(seconds);
        break;
    }
    default:
        sendAck(code, 0);  // unknown to the user code: not done
        return;
    }
    sendAck(code, DSP_ACK_FIN_CMD);
}

void SimulatedUnit::handleFlashData(const std::uint8_t* data, std::size_t length)
{
    record(data, static_cast<std::uint32_t>(length));
    const std::size_t payload = length - 2;
    if (byteorder::xorWords(data, payload) != byteorder::readU16le(data + payload)) {
        sendAck(DSP_FLASH_PROG_ORDER, DSP_ACK_SERIAL_ERROR);
        return;
    }
    // Cells that do not take their value: the boot code does not notice.
    std::vector<std::uint8_t> bytes(data, data + payload);
    if (payload != 0 && faults_.takeProgramFault()) bytes[0] ^= 0x01;
    const long stuck = faults_.stuckWord();
    if (stuck >= static_cast<long>(programAddress_) && stuck < static_cast<long>(programAddress_ + payload / 2))
        bytes[2 * static_cast<std::size_t>(stuck - programAddress_)] ^= 0x01;
    const bool ok = flash_.program(programAddress_, bytes.data(), payload);
    sendAck(DSP_FLASH_PROG_ORDER, ok ? DSP_ACK_FIN_CMD : DSP_ACK_FLASH_ERROR);
}

std::vector<std::uint8_t> SimulatedUnit::arrayBytes(std::uint16_t command)
{
    if (command == DSP_READ_LEVELS) {
        if (!levelsSampled_) levels_ = provider_->sampleLevels(settings_);
        return littleEndianBytes(std::vector<std::uint16_t>(levels_.begin(), levels_.end()));
    }
    if (command == DSP_READ_STATUS_WORD) {
        const auto bits = static_cast<std::uint16_t>((provider_->statusBits(settings_) & ~0x1800u) |
                                                     ((static_cast<unsigned>(provider_->acquiredInput(settings_)) & 0x3u) << 11));
        return littleEndianBytes(std::vector<std::uint16_t>{bits});
    }
    const std::optional<UnitArray> array = arrayOf(command);
    if (!array) return {};
    if (*array == UnitArray::JumpIndexes || *array == UnitArray::ExtraJumps)
        return littleEndianBytes(provider_->dwords(*array, settings_));
    return littleEndianBytes(provider_->words(*array, settings_));
}

void SimulatedUnit::sendBlock(const std::vector<std::uint8_t>& array, std::uint32_t remaining)
{
    const auto total = static_cast<std::uint32_t>(array.size());
    if (remaining > total) {
        sendDataBlock(nullptr, 0, true, true);  // asked for more than there is
        return;
    }
    const std::uint32_t offset = total - remaining;
    const std::uint32_t n = std::min<std::uint32_t>(remaining, NB_BYTES_PCK_MAX);
    sendDataBlock(array.data() + offset, n, offset + n == total, false);
}

void SimulatedUnit::sendDataBlock(const std::uint8_t* data, std::uint32_t n, bool last, bool error)
{
    const UnitFaults::BlockFate fate = faults_.nextBlock(last);
    std::uint16_t flags = 0;
    if ((last && !fate.dropLast) || fate.forceLast) flags |= DSP_BLOCK_LAST;
    if (error || fate.errorFlag) flags |= DSP_BLOCK_ERROR;
    std::vector<std::uint8_t> bytes(n + DSP_TRAILER_SIZE);
    if (n != 0) std::copy_n(data, n, bytes.begin());
    const std::uint16_t wordA = static_cast<std::uint16_t>(++blockCounter_);
    const auto trailer = DspPacket::trailer(bytes.data(), n, wordA, flags);
    std::copy(trailer.begin(), trailer.end(), bytes.begin() + n);
    if (fate.badChecksum) bytes.back() ^= 0x01;
    send(std::move(bytes));
}

void SimulatedUnit::sendAck(std::uint16_t code, std::uint8_t flags, std::uint32_t value, double delaySeconds)
{
    flags |= faults_.takeAckFlagFault();
    auto ack = DspPacket::ack(code, flags, value);
    if (faults_.takeAckChecksumFault()) ack[DspPacket::ackChecksumOffset] ^= 0x01;
    // A refused order is not followed by data.
    if ((flags & (DSP_ACK_SERIAL_ERROR | DSP_ACK_FLASH_ERROR)) != 0) flashDataExpected_ = 0;
    send({ack.begin(), ack.end()}, delaySeconds);
}

void SimulatedUnit::send(std::vector<std::uint8_t> bytes, double extraDelaySeconds)
{
    const UnitFaults::AnswerFate fate = faults_.nextAnswer();
    if (fate.unplugAfter) {
        unplugLocked();
        return;
    }
    if (fate.drop) return;
    if (fate.cut != 0) bytes.resize(bytes.size() > fate.cut ? bytes.size() - fate.cut : 0);
    if (fate.corrupt && !bytes.empty()) bytes.back() ^= 0x10;
    const double delay = extraDelaySeconds + fate.delaySeconds;
    if (delay <= 0.0 && pending_.empty()) {
        output_.insert(output_.end(), bytes.begin(), bytes.end());
        return;
    }
    pending_.push_back({Clock::now() + simulated(delay), std::move(bytes)});
}

// ---- Controls ----

bool SimulatedUnit::setRelease(int hundredths)
{
    if (hundredths < 1 || hundredths > 0x7FFF) return false;
    std::lock_guard lock(mutex_);
    flash_.erase(FlashZones::userCode.eraseMask);
    const std::vector<std::uint8_t> code = FirmwareImage::image(hundredths);
    flash_.overwrite(FlashZones::userCode.firstWord, code.data(), code.size());
    startUserCode();
    return true;
}

bool SimulatedUnit::injectFault(int fault, int arg)
{
    std::lock_guard lock(mutex_);
    if (!faults_.inject(fault, arg)) return false;
    if (faults_.takeImmediateUnplug()) unplugLocked();
    return true;
}

void SimulatedUnit::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

int SimulatedUnit::pendingFaults() const
{
    std::lock_guard lock(mutex_);
    return faults_.pending();
}

void SimulatedUnit::setRandomFaults(double probability, std::uint64_t seed)
{
    std::lock_guard lock(mutex_);
    faults_.setRandom(probability, seed);
}

void SimulatedUnit::setSampleCount(std::uint32_t samples) { defaultData_->setSampleCount(samples); }

std::vector<std::uint8_t> SimulatedUnit::peekArray(std::uint16_t command)
{
    std::lock_guard lock(mutex_);
    if (!isArrayRead(command)) return {};
    return arrayBytes(command);
}

bool SimulatedUnit::readFlash(std::uint32_t wordAddress, std::uint8_t* out, std::size_t bytes) const
{
    std::lock_guard lock(mutex_);
    return flash_.read(wordAddress, out, bytes);
}

bool SimulatedUnit::writeFlash(std::uint32_t wordAddress, const std::uint8_t* data, std::size_t bytes)
{
    std::lock_guard lock(mutex_);
    return flash_.overwrite(wordAddress, data, bytes);
}

void SimulatedUnit::status(bool& flashMode, int& release) const
{
    std::lock_guard lock(mutex_);
    flashMode = flashMode_;
    release = release_;
}

std::vector<SimulatedUnit::RecordedPacket> SimulatedUnit::recordedPackets() const
{
    std::lock_guard lock(mutex_);
    return {record_.begin(), record_.end()};
}

void SimulatedUnit::clearRecord()
{
    std::lock_guard lock(mutex_);
    record_.clear();
}

// ---- Bench ----

void SimulatedUnit::setSweepDataProvider(std::shared_ptr<SweepDataProvider> provider)
{
    std::lock_guard lock(mutex_);
    provider_ = provider ? std::move(provider) : defaultData_;
}

void SimulatedUnit::endTriggeredAcquisition()
{
    std::lock_guard lock(mutex_);
    if (!armed_ || !plugged_) return;
    endOfScanDue_ = Clock::now();
    releaseDue();
}

AcquisitionSettings SimulatedUnit::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

IdentityRecord SimulatedUnit::identityInFlash() const
{
    std::array<std::uint8_t, IdentityRecord::size> bytes{};
    std::lock_guard lock(mutex_);
    flash_.read(FlashZones::identity.firstWord, bytes.data(), bytes.size());
    return IdentityRecord::fromBytes(bytes);
}

std::unique_ptr<DataCalib> SimulatedUnit::calibrationInFlash() const
{
    std::lock_guard lock(mutex_);
    std::uint8_t header[FlashZones::calibrationHeaderBytes];
    flash_.read(FlashZones::calibration.firstWord, header, sizeof header);
    const std::uint16_t kind = byteorder::readU16le(header);
    const std::uint32_t size = byteorder::readU32le(header + 4);
    if (kind != 1 && kind != 2) return nullptr;
    auto image = DataCalibFactory::create(kind);
    const std::uint32_t capacity = FlashZones::calibration.sizeBytes - FlashZones::calibrationHeaderBytes;
    if (size <= CalibrationFileHeader::size || size > capacity) return nullptr;
    const std::size_t imageBytes = std::min<std::size_t>(size - CalibrationFileHeader::size, image->imageSize());
    flash_.read(FlashZones::calibration.firstWord + FlashZones::calibrationHeaderWords +
                    static_cast<std::uint32_t>(CalibrationFileHeader::size / 2),
                image->imageBuffer(), imageBytes);
    return image;
}

}  // namespace vemarsim
