#pragma once

// Flash operations built on the protocol: switching the DSP into flash
// mode, reading in either mode, programming a buffer or a file into a zone,
// uploading a firmware file, and copying the calibration file between zone 1
// and the Calib folder.

#include <array>
#include <cstdint>
#include <string>

#include "C_DspFlashAccess.h"
#include "FlashZones.h"

class C_DspFlashManager : public C_DspFlashAccess {
public:
    C_DspFlashManager() = default;
    ~C_DspFlashManager() override = default;

    // What a status request found.
    struct ModeStatus {
        int result = -1;  // of GetStatus: 0 when the DSP answered
        bool flashMode = false;
        int release = 0;

        bool userCodeRuns() const { return result == 0 && !flashMode; }
    };
    ModeStatus ReadMode();

    // Brings the DSP into flash mode when the user code runs; returns the flash mode flag.
    bool EnsureFlashMode();
    // Restarts the user code and makes sure it runs: a reboot, waitMs, the
    // status; again a reboot only while the status says the boot code runs
    // (a reboot of the user code would bring the boot code back), the status
    // read again while it does not answer. problems receives the texts of
    // what failed on the way. Returns the last status.
    ModeStatus RestartUserCode(int waitMs, std::string& problems);
    // Reboots the DSP out of its user code, when it runs, and waits waitMs
    // for the boot code; returns whether it was already in flash mode.
    bool LeaveUserCode(int waitMs);
    // Reads words into buffer (2 × words bytes, flash order), in whichever
    // mode the DSP is. The buffer is zeroed first: a failed read (which
    // raises) never leaves uninitialised bytes behind.
    void ReadFlash(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer);
    void ReadFlashDataUserMode(std::uint32_t address, std::uint32_t words, std::uint8_t* buffer);
    // Programs count bytes from a word address, in packets of 2046 bytes.
    void ProgramBytes(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count);
    // Reads count bytes back from a word address and compares them with
    // bytes: an acknowledgement says a packet arrived, not that every cell
    // took its value. A failed read raises.
    bool FlashHolds(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count);
    // Erases the zone and programs the file from zone word offset on, after
    // skipping its first skip bytes.
    void ProgramFile(const std::string& path, const FlashZone& zone, std::uint32_t wordOffset, std::uint32_t skip);
    // Programs a firmware file (".out") into the user-code zone (flash mode required).
    void UploadUserCode(const std::string& path);

    // Copies the file stored in zone 1 into the folder under its stored name.
    // Returns the path written, or an empty string when the zone holds no
    // file or the file cannot be created.
    std::string ReadFlashCalibFile(const std::string& folder);
    // Stores a local calibration file, with its header, in zone 1.
    void SendCalibFileZone1(const std::string& path, std::uint16_t calibrationKind);
    // The 28-byte header of zone 1 for a file: kind, date word, size, name
    // (the name too long for the unit raises the text of SendCalibFileZone1).
    static std::array<std::uint8_t, FlashZones::calibrationHeaderBytes> CalibrationZoneHeader(
        const std::string& path, std::uint16_t calibrationKind, std::uint16_t date, std::uint32_t size);
    // True when the local file's stamp is older than the one in zone 1
    // (never when zone 1 holds no file).
    bool IsLocalFileOlder(const std::string& path);

    // The name zone 1 gets for a path: from the last "FileAF" or "FileQX"
    // (whichever starts earlier), else the whole path.
    static std::string StoredCalibrationName(const std::string& path);
    // The date word of a time: bits 15-9 year − 2000, bits 8-5 month, bits 4-0 day (UTC).
    static std::uint16_t CalibrationDateWord(std::int64_t secondsSinceEpoch);
    // A stored name that can be written into the Calib folder as it is:
    // NUL-terminated inside its 20 bytes, not empty, no path separator, no "..".
    static bool IsSafeStoredName(const std::uint8_t* nameField, std::string& name);

    // Pieces of a file read back from zone 1.
    static constexpr std::uint32_t readPieceWords = 16384;
    // Bytes of a file read per programming chunk.
    static constexpr std::uint32_t programChunkBytes = 16384;
};
