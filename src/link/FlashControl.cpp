#include "FlashControl.h"

#include <algorithm>
#include <filesystem>

#include "CalibrationFile.h"
#include "DspError.h"
#include "LinkTiming.h"
#include "UserMessages.h"

void FlashControl::ReadIdentity()
{
    identity_.clear();
    std::array<std::uint8_t, IdentityRecord::size> bytes{};
    ReadFlash(FlashZones::identity.firstWord, IdentityRecord::wordCount, bytes.data());
    identity_ = IdentityRecord::fromBytes(bytes);
}

void FlashControl::CopyIdentity(std::uint8_t* out72) const
{
    std::copy(identity_.bytes().begin(), identity_.bytes().end(), out72);
}

void FlashControl::WriteIdentity()
{
    LeaveUserCode(1000);
    SendFlashEraseSector(FlashZones::identity.eraseMask);
    ProgramBytes(FlashZones::identity.firstWord, identity_.bytes().data(), IdentityRecord::size);
    SendRebootDSP();
    LinkTiming::sleepMs(1000);
}

std::string FlashControl::CheckCalibrationFile(const std::string& folder, bool force, const Confirm& confirm)
{
    ReadIdentity();
    const std::string path = (std::filesystem::path(folder) / CalibrationFileName()).string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) || force) {
        ReadFlashCalibFile(folder);
    } else if (IsLocalFileOlder(path)) {
        if (confirm && confirm(outdatedCaption, outdatedQuestion)) {
            ReadFlashCalibFile(folder);
            UserMessages::show(UserMessages::Severity::Information, replacedCaption, replacedText);
        }
    }
    return path;
}

void FlashControl::ProgramCalibrationFile(const std::string& folder)
{
    LeaveUserCode(2000);
    ReadIdentity();
    const std::string path = (std::filesystem::path(folder) / CalibrationFileName()).string();
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        // Checked before anything is erased: the unit keeps its own copy and
        // goes back to its user code, as when there is no local file.
        const CalibrationFileCheck check = checkCalibrationFile(path, CalibrationKind(), &identity_);
        if (!check.usable()) {
            SendRebootDSP();
            LinkTiming::sleepMs(2000);
            throw DspError("FlashControl::ProgramCalibrationFile : " + calibrationFileStatusText(path, check));
        }
        SendCalibFileZone1(path, CalibrationKind());
    }
    SendRebootDSP();
    LinkTiming::sleepMs(2000);
}

std::uint16_t FlashControl::ReadZoneCalibrationKind()
{
    std::uint8_t word[2];
    ReadFlash(FlashZones::calibration.firstWord, 1, word);
    return byteorder::readU16le(word);
}
