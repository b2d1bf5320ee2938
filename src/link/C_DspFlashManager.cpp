#include "C_DspFlashManager.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "AtomicFile.h"
#include "DspError.h"
#include "LinkTiming.h"
#include "Log.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr const char* fileMissingText = "C_DspFlashManager::SendCalibFileZone1 : file name doesn't exist";
constexpr const char* fileTooBigText = "C_DspFlashManager::SendCalibFileZone1 : Calibration File too big";
constexpr const char* shortReadText = "C_DspFlashManager::SendCalibFileZone1 : Unexpected nbbyte readden";

std::string joinFolder(const std::string& folder, const std::string& name)
{
    return (std::filesystem::path(folder) / name).string();
}

}  // namespace

bool C_DspFlashManager::LeaveUserCode(int waitMs)
{
    bool flashMode = false;
    int release = 0, third = 0;
    GetStatus(flashMode, release, third);
    if (!flashMode) {
        SendRebootDSP();
        LinkTiming::sleepMs(waitMs);
    }
    return flashMode;
}

C_DspFlashManager::ModeStatus C_DspFlashManager::ReadMode()
{
    ModeStatus s;
    int third = 0;
    s.result = GetStatus(s.flashMode, s.release, third);
    return s;
}

C_DspFlashManager::ModeStatus C_DspFlashManager::RestartUserCode(int waitMs, std::string& problems)
{
    auto note = [&problems](const std::string& text) {
        Log::error("C_DspFlashManager::RestartUserCode: %s\n", text.c_str());
        if (!problems.empty()) problems += "; ";
        problems += text;
    };
    constexpr int tries = 3;
    ModeStatus s;
    for (int i = 0; i < tries; ++i) {
        if (i == 0 || (s.result == 0 && s.flashMode)) {
            try {
                SendRebootDSP();
            } catch (const std::exception& e) {
                note(e.what());
            }
        }
        LinkTiming::sleepMs(waitMs);
        s = ReadMode();
        if (s.userCodeRuns()) return s;
        note(s.result != 0 ? "no status after the reboot" : "the boot code still runs after the reboot");
    }
    return s;
}

bool C_DspFlashManager::EnsureFlashMode()
{
    if (LeaveUserCode(100)) return true;
    bool flashMode = false;
    int release = 0, third = 0;
    GetStatus(flashMode, release, third);
    return flashMode;
}

void C_DspFlashManager::ReadFlash(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer)
{
    std::fill_n(buffer, 2 * static_cast<std::size_t>(words), 0);
    bool flashMode = false;
    int release = 0, third = 0;
    GetStatus(flashMode, release, third);
    if (!flashMode) {
        ReadFlashDataUserMode(address, words, buffer);
        return;
    }
    while (words != 0) {
        const std::uint32_t piece = std::min<std::uint32_t>(words, 0xFFFF);
        FlashRead(address, piece, buffer);
        address += piece;
        buffer += 2 * piece;
        words -= piece;
    }
}

void C_DspFlashManager::ReadFlashDataUserMode(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer)
{
    const std::uint32_t bytes = 2 * words;
    std::fill_n(buffer, bytes, 0);
    // Without its address the read would return another part of the flash.
    std::uint32_t received = 0;
    if (SendCommand(DSP_USER_FLASH_ADDRESS, address) != DspResult::Ok ||
        ReadBlocks(DSP_USER_FLASH_READ, buffer, bytes, received, bytes) != DspResult::Ok)
        throw DspError("C_DspFlashManager::ReadFlashDataUserMode Error during Flash read");
}

void C_DspFlashManager::ProgramBytes(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count)
{
    while (count != 0) {
        const std::uint32_t n = std::min<std::uint32_t>(count, NB_BYTES_FLASH_PAYLOAD_MAX);
        SendFlashProgOrder(address, n);
        SendFlashData(bytes, n);
        bytes += n;
        address += n / 2;
        count -= n;
    }
}

bool C_DspFlashManager::FlashHolds(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count)
{
    const std::uint32_t words = (count + 1) / 2;
    std::vector<std::uint8_t> back(2 * static_cast<std::size_t>(words));
    ReadFlash(address, words, back.data());
    return std::equal(bytes, bytes + count, back.begin());
}

void C_DspFlashManager::ProgramFile(const std::string& path, const FlashZone& zone, std::uint32_t wordOffset,
                                    std::uint32_t skip)
{
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec) throw DspError(fileMissingText);
    if (2ull * wordOffset + fileSize > zone.sizeBytes) throw DspError(fileTooBigText);
    // A file shorter than the header to skip holds no image: refused before anything is erased.
    if (fileSize < skip) throw DspError(shortReadText);
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        Log::error("C_DspFlashManager::ProgramFile: can't open %s\n", path.c_str());
        return;
    }
    if (skip != 0 && std::fseek(f.get(), skip, SEEK_SET) != 0) throw DspError(shortReadText);
    std::uint64_t remaining = fileSize - skip;

    SendFlashEraseSector(zone.eraseMask);
    std::uint32_t address = zone.firstWord + wordOffset;
    std::vector<std::uint8_t> chunk(programChunkBytes);
    while (remaining != 0) {
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, programChunkBytes));
        if (std::fread(chunk.data(), 1, n, f.get()) != n) throw DspError(shortReadText);
        ProgramBytes(address, chunk.data(), n);
        address += n / 2;
        remaining -= n;
    }
}

void C_DspFlashManager::UploadUserCode(const std::string& path)
{
    SendFlashPrepare4UserCode();
    ProgramFile(path, FlashZones::userCode, 0, FlashZones::firmwareHeaderBytes);
    SendFlashStartProgAd(FlashZones::userCode.firstWord);
}

std::string C_DspFlashManager::StoredCalibrationName(const std::string& path)
{
    const std::size_t af = path.rfind("FileAF");
    const std::size_t qx = path.rfind("FileQX");
    const std::size_t start = std::min(af, qx);  // npos when neither occurs
    return start == std::string::npos ? path : path.substr(start);
}

std::uint16_t C_DspFlashManager::CalibrationDateWord(std::int64_t secondsSinceEpoch)
{
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm utc{};
    ::gmtime_r(&t, &utc);
    const int year = (utc.tm_year + 1900 - 2000) & 0x7F;
    return static_cast<std::uint16_t>((year << 9) | ((utc.tm_mon + 1) << 5) | utc.tm_mday);
}

bool C_DspFlashManager::IsSafeStoredName(const std::uint8_t* nameField, std::string& name)
{
    const auto* text = reinterpret_cast<const char*>(nameField);
    const std::size_t length = ::strnlen(text, FlashZones::calibrationNameBytes);
    name.assign(text, length);
    if (length == 0 || length == FlashZones::calibrationNameBytes) return false;  // no NUL inside the field
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find("..") == std::string::npos;
}

std::array<std::uint8_t, FlashZones::calibrationHeaderBytes> C_DspFlashManager::CalibrationZoneHeader(
    const std::string& path, std::uint16_t calibrationKind, std::uint16_t date, std::uint32_t size)
{
    const std::string name = StoredCalibrationName(path);
    if (name.size() >= FlashZones::calibrationNameBytes)
        throw DspError("C_DspFlashManager::SendCalibFileZone1 : Calibration File name too long");
    std::array<std::uint8_t, FlashZones::calibrationHeaderBytes> header{};
    byteorder::writeU16le(header.data(), calibrationKind);
    byteorder::writeU16le(header.data() + 2, date);
    byteorder::writeU32le(header.data() + 4, size);
    std::copy(name.begin(), name.end(), header.begin() + FlashZones::calibrationNameOffset);
    return header;
}

void C_DspFlashManager::SendCalibFileZone1(const std::string& path, std::uint16_t calibrationKind)
{
    if (StoredCalibrationName(path).size() >= FlashZones::calibrationNameBytes)
        throw DspError("C_DspFlashManager::SendCalibFileZone1 : Calibration File name too long");
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw DspError("C_DspFlashManager::SendCalibFileZone1 : Calibration File date error");
    const std::uint16_t date = CalibrationDateWord(st.st_mtime);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) throw DspError("C_DspFlashManager::SendCalibFileZone1 : Calibration File size error");
    const auto header = CalibrationZoneHeader(path, calibrationKind, date, static_cast<std::uint32_t>(size));

    ProgramFile(path, FlashZones::calibration, FlashZones::calibrationHeaderWords, 0);
    ProgramBytes(FlashZones::calibration.firstWord, header.data(), static_cast<std::uint32_t>(header.size()));
}

std::string C_DspFlashManager::ReadFlashCalibFile(const std::string& folder)
{
    std::uint8_t header[FlashZones::calibrationHeaderBytes];
    ReadFlash(FlashZones::calibration.firstWord, FlashZones::calibrationHeaderWords, header);
    const std::uint16_t kind = byteorder::readU16le(header);
    if (kind != 1 && kind != 2) return std::string();  // the zone holds no file

    // The name and size come from the unit: a damaged header must neither
    // name a file outside the folder nor make us read past the zone.
    std::string name;
    if (!IsSafeStoredName(header + FlashZones::calibrationNameOffset, name))
        throw DspError("C_DspFlashManager::ReadFlashCalibFile : Calibration File name error");
    std::uint32_t remaining = byteorder::readU32le(header + 4);
    if (remaining > FlashZones::calibration.sizeBytes - FlashZones::calibrationHeaderBytes)
        throw DspError("C_DspFlashManager::ReadFlashCalibFile : Calibration File size error");

    const std::string path = joinFolder(folder, name);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    // Written under a temporary name: a read that fails half-way leaves the previous file intact.
    AtomicFileWriter writer(path);
    if (!writer.isOpen()) {
        Log::error("C_DspFlashManager::ReadFlashCalibFile: can't create %s\n", path.c_str());
        return std::string();
    }
    std::uint32_t address = FlashZones::calibration.firstWord + FlashZones::calibrationHeaderWords;
    std::vector<std::uint8_t> piece(2 * readPieceWords);
    while (remaining != 0) {
        const std::uint32_t words = std::min<std::uint32_t>((remaining + 1) / 2, readPieceWords);
        ReadFlash(address, words, piece.data());
        const std::uint32_t bytes = std::min<std::uint32_t>(remaining, 2 * words);
        if (!writer.write(piece.data(), bytes))
            throw DspError("C_DspFlashManager::ReadFlashCalibFile : Calibration File Write Error");
        address += words;
        remaining -= bytes;
    }
    if (!writer.commit()) throw DspError("C_DspFlashManager::ReadFlashCalibFile : Calibration File Write Error");
    return path;
}

bool C_DspFlashManager::IsLocalFileOlder(const std::string& path)
{
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    // A zone that holds no file (erased, or left unfinished by a failed
    // programming) has nothing newer to offer.
    std::uint8_t kind[2];
    ReadFlash(FlashZones::calibration.firstWord, 1, kind);
    if (const std::uint16_t k = byteorder::readU16le(kind); k != 1 && k != 2) return false;
    std::uint8_t unitStamp[8];
    ReadFlash(FlashZones::calibration.firstWord + FlashZones::calibrationStampWord, 4, unitStamp);
    // A local file too short to hold a stamp reads as the oldest possible.
    std::uint8_t localStamp[8] = {};
    if (std::fseek(f.get(), 72, SEEK_SET) == 0) {
        const std::size_t got = std::fread(localStamp, 1, sizeof localStamp, f.get());
        std::fill(localStamp + got, localStamp + sizeof localStamp, 0);
    }
    for (int i = 0; i < 4; ++i) {
        const std::uint16_t local = byteorder::readU16le(localStamp + 2 * i);
        const std::uint16_t unit = byteorder::readU16le(unitStamp + 2 * i);
        if (local != unit) return local < unit;
    }
    return false;
}
