#pragma once

// The unit's identity record and the policy that keeps its calibration file
// and the copy in the Calib folder in step.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "C_DspFlashManager.h"
#include "IdentityRecord.h"

class FlashControl : public C_DspFlashManager {
public:
    // Asks the user a question with OK and Cancel; true for OK.
    using Confirm = std::function<bool(const std::string& caption, const std::string& text)>;

    FlashControl() = default;
    ~FlashControl() override = default;

    // Reads the identity record from the identity zone. The record is
    // cleared first, so a failed read (which raises) leaves zeros.
    void ReadIdentity();
    bool IsValid() const { return identity_.isValid(); }
    std::uint16_t CalibrationKind() const { return identity_.calibrationKind(); }
    void SetCalibrationKind(std::uint16_t kind) { identity_.setCalibrationKind(kind); }
    void CopyIdentity(std::uint8_t* out72) const;
    std::array<std::uint16_t, IdentityRecord::bandWordCount> BandWords() const { return identity_.bandWords(); }
    std::string CalibrationFileName() const { return calibrationFileName(identity_); }
    const IdentityRecord& identity() const { return identity_; }
    void setIdentity(const IdentityRecord& record) { identity_ = record; }

    // Stores the record in the identity zone (through the boot code) and
    // restarts the user code.
    void WriteIdentity();

    // The local calibration file of this unit: copied from the unit when it
    // is missing or force is set; when the unit's copy is newer, replaced
    // after confirm agrees (no confirm: the local file is kept). An existing
    // local file is replaced only by a copy that passes the calibration
    // file check (a DspError otherwise, the local file kept). Returns its path.
    std::string CheckCalibrationFile(const std::string& folder, bool force, const Confirm& confirm = {});
    // What a programming of the calibration did.
    struct CalibrationProgramming {
        enum class Outcome {
            Programmed,  // stored and read back byte for byte
            Refused,     // the local file (or the unit's identity) was refused: the unit was not touched
            Unchanged,   // failed before the zone was erased: the unit keeps its calibration
            Incomplete,  // the zone was erased and is not (or not fully) programmed again
        };
        Outcome outcome = Outcome::Refused;
        bool fileMissing = false;      // Refused: no local file of that name
        bool userCodeRunning = false;  // the DSP was seen back in its user code at the end
        std::string localPath;
        std::string text;     // what the operator reads; empty when done
        std::string details;  // the link's own texts of the failures (also logged)

        bool done() const { return outcome == Outcome::Programmed && userCodeRunning; }
    };
    // Stores the local file of this unit in zone 1, so that the unit is
    // never left worse than the text says: the file is checked (and held in
    // memory) before the unit is touched, the zone is erased, programmed
    // (header last) and read back; a failure is retried once; the user code
    // is restarted in every case. retryHint tells how to program it again
    // (empty: windowRetryHint). The local file is only read. Never raises
    // for a link or flash failure.
    CalibrationProgramming ProgramCalibration(const std::string& folder, const std::string& retryHint = {});
    // The same for the factory page's "Prog Calib File": a DspError with
    // the text unless it was done.
    void ProgramCalibrationFile(const std::string& folder);

    // The kind word at the head of zone 1 (the kind of the stored file).
    std::uint16_t ReadZoneCalibrationKind();

    static constexpr const char* outdatedQuestion =
        "An outdated calibration file has been detected.\nIt is highly recommended to update it.\n\nProceed ?";
    static constexpr const char* outdatedCaption = "Warning";
    static constexpr const char* replacedText = "The calibration file has been successfully replaced.\n";
    static constexpr const char* replacedCaption = "Success";
    static constexpr const char* windowRetryHint = "press \"Prog Calib File\" again";

    static constexpr const char* unitCopyDamagedText = "The calibration file stored in the unit is damaged: ";

private:
    // Copies the unit's file over the local one when the copy passes the
    // calibration file check; raises (and keeps the local file) otherwise.
    void ReplaceFromUnit(const std::string& folder, const std::string& localPath);

    IdentityRecord identity_;
};
