#include "FlashControl.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "CalibrationFile.h"
#include "DspError.h"
#include "LinkTiming.h"
#include "Log.h"
#include "RegularFile.h"
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
    if (!std::filesystem::exists(path, ec)) {
        // Nothing to lose here: even a damaged copy is worth having, the
        // measurement then names the problem.
        ReadFlashCalibFile(folder);
    } else if (force) {
        ReplaceFromUnit(folder, path);
    } else if (IsLocalFileOlder(path)) {
        if (confirm && confirm(outdatedCaption, outdatedQuestion)) {
            ReplaceFromUnit(folder, path);
            UserMessages::show(UserMessages::Severity::Information, replacedCaption, replacedText);
        }
    }
    return path;
}

void FlashControl::ReplaceFromUnit(const std::string& folder, const std::string& localPath)
{
    // The unit's copy is read beside the local file first and replaces it
    // only when it can be used: a damaged copy in the unit must not destroy
    // the good calibration on disk.
    const std::filesystem::path staging =
        std::filesystem::path(folder) / (".unit-calibration-" + std::to_string(::getpid()));
    struct Staging {
        std::filesystem::path path;
        ~Staging()
        {
            std::error_code ignored;  // nothing more to do about a leftover folder
            std::filesystem::remove_all(path, ignored);
        }
    } cleanup{staging};
    std::error_code ec;
    std::filesystem::remove_all(staging, ec);
    const std::string copied = ReadFlashCalibFile(staging.string());
    if (copied.empty()) return;  // the zone holds no file: the local one stays
    const CalibrationFileCheck check = checkCalibrationFile(copied, CalibrationKind(), &identity_);
    if (!check.usable())
        throw DspError(unitCopyDamagedText + check.problem + "; the local file " + localPath + " is kept");
    const std::filesystem::path target = std::filesystem::path(folder) / std::filesystem::path(copied).filename();
    std::filesystem::rename(copied, target, ec);
    if (ec) throw DspError("C_DspFlashManager::ReadFlashCalibFile : Calibration File Write Error");
}

namespace {

constexpr int calibrationRestartMs = 2000;

void note(std::string& details, const std::string& text)
{
    Log::error("Calibration programming: %s\n", text.c_str());
    if (!details.empty()) details += "; ";
    details += text;
}

// The whole file, or nullopt when it cannot be read as a regular file.
std::optional<std::vector<std::uint8_t>> fileBytes(const std::string& path)
{
    std::uint64_t size = 0;
    FileHandle f = openRegularFile(path, nullptr, &size);
    if (!f || size > FlashZones::calibration.sizeBytes) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size != 0 && std::fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return std::nullopt;
    if (std::fgetc(f.get()) != EOF) return std::nullopt;  // grew while being read
    return bytes;
}

}  // namespace

FlashControl::CalibrationProgramming FlashControl::ProgramCalibration(const std::string& folder,
                                                                       const std::string& retryHint)
{
    using Outcome = CalibrationProgramming::Outcome;
    CalibrationProgramming r;
    const std::string hint = retryHint.empty() ? windowRetryHint : retryHint;
    ModeStatus last;
    // After a failure: how to go on, depending on whether the DSP came back.
    auto howToGoOn = [&r, &hint, &last](const std::string& action) {
        if (r.userCodeRunning) return " To " + action + ", " + hint + ".";
        return std::string(last.result != 0 ? " The unit does not answer" : " The DSP did not restart its user code") +
               ": unplug the unit and plug it in again, then " + action + ": " + hint + ".";
    };

    // The file is named after the identity's serial number; a lost answer
    // costs one more read.
    bool identityRead = false;
    for (int attempt = 0; attempt < 2 && !identityRead; ++attempt) {
        try {
            ReadIdentity();
            identityRead = true;
        } catch (const std::exception& e) {
            note(r.details, e.what());
        }
    }
    if (!identityRead) {
        r.outcome = Outcome::Unchanged;
        last = ReadMode();
        r.userCodeRunning = last.userCodeRuns();
        r.text = "The unit's identity could not be read: nothing was programmed, the unit keeps its calibration." +
                 howToGoOn("retry");
        return r;
    }
    if (!IsValid()) {
        r.text = "The unit has no identity record (no serial number): nothing was programmed";
        return r;
    }
    r.localPath = (std::filesystem::path(folder) / CalibrationFileName()).string();
    const std::string& path = r.localPath;

    // The bytes programmed are the bytes checked: read before and after the
    // check, they must agree.
    const std::optional<std::vector<std::uint8_t>> before = fileBytes(path);
    const CalibrationFileCheck check = checkCalibrationFile(path, CalibrationKind(), &identity_);
    if (check.missing) {
        r.fileMissing = true;
        r.text = "can't read " + path + ": nothing was programmed";
        return r;
    }
    if (!check.usable()) {
        r.text = calibrationFileStatusText(path, check) + ": nothing was programmed, the unit keeps its own";
        return r;
    }
    const std::optional<std::vector<std::uint8_t>> file = fileBytes(path);
    struct stat info {};
    if (!before || !file || *before != *file || ::stat(path.c_str(), &info) != 0) {
        r.text = path + " changed while it was checked: nothing was programmed, the unit keeps its own";
        return r;
    }
    std::vector<std::uint8_t> zone;
    try {
        const auto header = CalibrationZoneHeader(path, CalibrationKind(), CalibrationDateWord(info.st_mtime),
                                                  static_cast<std::uint32_t>(file->size()));
        zone.assign(header.begin(), header.end());
    } catch (const DspError& e) {
        r.text = std::string(e.what()) + ": nothing was programmed";
        return r;
    }
    zone.insert(zone.end(), file->begin(), file->end());

    bool erased = false;
    bool verified = false;
    const std::uint32_t first = FlashZones::calibration.firstWord;
    for (int attempt = 0; attempt < 2 && !verified; ++attempt) {
        try {
            LeaveUserCode(calibrationRestartMs);
            if (const ModeStatus m = ReadMode(); !(m.result == 0 && m.flashMode)) {
                note(r.details, m.result == 0 ? "the DSP did not go into its flash mode" : "no status");
                continue;
            }
            erased = true;
            SendFlashEraseSector(FlashZones::calibration.eraseMask);
            // The header goes last: a zone left half-way holds no file for a
            // later detection to copy over the local one.
            ProgramBytes(first + FlashZones::calibrationHeaderWords, file->data(),
                         static_cast<std::uint32_t>(file->size()));
            ProgramBytes(first, zone.data(), FlashZones::calibrationHeaderBytes);
            verified = FlashHolds(first, zone.data(), static_cast<std::uint32_t>(zone.size()));
            if (!verified) note(r.details, "the calibration read back differs from the file");
        } catch (const std::exception& e) {
            note(r.details, e.what());
        }
    }
    if (erased && !verified) {
        // What is left in the zone may carry a header over damaged bytes:
        // a kind word of 0 (programmed over anything, no erase needed) makes
        // it a zone that holds no file, so that no later detection copies it
        // over the local file or measures with it.
        try {
            if (const ModeStatus m = ReadMode(); m.result == 0 && m.flashMode) {
                const std::uint8_t noKind[2] = {0, 0};
                ProgramBytes(first, noKind, sizeof noKind);
            }
        } catch (const std::exception& e) {
            note(r.details, e.what());
        }
    }
    last = RestartUserCode(calibrationRestartMs, r.details);
    r.userCodeRunning = last.userCodeRuns();

    if (verified) {
        r.outcome = Outcome::Programmed;
        if (!r.userCodeRunning)
            r.text = "The calibration " + path + " was stored in the unit and read back, but " +
                     (last.result != 0 ? "the unit does not answer any more"
                                       : "the DSP did not restart its user code") +
                     ": unplug the unit and plug it in again.";
        return r;
    }
    if (!erased) {
        r.outcome = Outcome::Unchanged;
        r.text = "Programming the calibration failed before anything was erased: the unit keeps its calibration." +
                 howToGoOn("retry");
        return r;
    }
    r.outcome = Outcome::Incomplete;
    r.text = "The unit's calibration is missing or incomplete: storing " + path +
             " in the unit did not complete. The local copy " + path + " is intact." + howToGoOn("program it again");
    return r;
}

void FlashControl::ProgramCalibrationFile(const std::string& folder)
{
    const CalibrationProgramming r = ProgramCalibration(folder);
    if (r.done()) return;
    // A refused file keeps the operation's name before its text, as every refusal of a flash operation.
    const bool refused = r.outcome == CalibrationProgramming::Outcome::Refused;
    throw DspError(refused ? "FlashControl::ProgramCalibrationFile : " + r.text : r.text);
}

std::uint16_t FlashControl::ReadZoneCalibrationKind()
{
    std::uint8_t word[2];
    ReadFlash(FlashZones::calibration.firstWord, 1, word);
    return byteorder::readU16le(word);
}
