#pragma once

// The DSP firmware: the release this software needs, the upgrade offered
// by the release check, and the operations of the factory page's DSP group.
// Questions and the wait window go through callbacks so that the window and
// the command-line tool share the same sequence.

#include <functional>
#include <string>

namespace DspFirmware {

inline constexpr int requiredRelease = 112;
inline constexpr const char* requiredFileName = "VEMAR_DSP V112.out";

// programFolder + "DSP/VEMAR_DSP V112.out".
std::string requiredFirmwarePath(const std::string& programFolder);

struct Status {
    int result = 0;  // of Dsp::GetStatus
    bool flashMode = false;
    int release = 0;  // hundredths
    int third = 0;
};

// What the release check needs from its caller.
struct ReleaseCheckUi {
    // A Yes/No question; true for Yes.
    std::function<bool(const std::string& caption, const std::string& text)> askYesNo;
    // Shows (true) or hides (false) the wait window "DSP upgrade".
    std::function<void(bool visible)> waitWindow;
    // How the operator programs the firmware again after a failed upgrade;
    // empty: windowRetryHint.
    std::string retryHint;
};

inline constexpr const char* incompatibleCaption = "Invalid DSP release";
inline constexpr const char* incompatibleQuestion =
    "The DSP release isn't compatible with this software.\n Do you want to upgrade the VEMAR DSP?";
inline constexpr const char* waitCaption = "DSP upgrade";
inline constexpr const char* waitText = "DSP upgrade in progress. Please Wait.";
inline constexpr const char* updateCaption = "DSP update";
inline constexpr const char* windowRetryHint =
    "unplug the unit and plug it in again: the program offers the upgrade again";

// The status of the DSP.
Status readStatus();

enum class UpgradeOutcome {
    Done,               // programmed, restarted, the DSP reports the file's release
    Refused,            // the file was refused: the unit was not touched
    NothingProgrammed,  // the unit failed before anything was erased: its firmware is as it was
    NoFirmware,         // the user code was erased and is not (or not fully) programmed again
};

struct UpgradeResult {
    UpgradeOutcome outcome = UpgradeOutcome::Refused;
    bool fileMissing = false;      // Refused because no file has that name
    bool noFlashMode = false;      // NothingProgrammed because the DSP stayed in its user code
    int announcedRelease = 0;      // of the file (hundredths)
    Status status;                 // the last status read
    std::string text;              // what the operator reads; empty when done
    std::string details;           // the link's own texts of the failures (also logged)

    bool done() const { return outcome == UpgradeOutcome::Done; }
};

// The one upgrade procedure (release check, "Upgrade DSP", vemar-cli): the
// whole file is checked first (a refused file changes nothing in the unit);
// then flash mode, erase, programming (retried once when the link fails),
// reboot, and the new status, which must report the file's release. The
// wait window is shown while the unit is worked on and hidden however it
// ends. retryHint completes the text of a failure (empty: windowRetryHint).
// Never raises for a link or flash failure: the result says what happened.
// The file must hold fileRelease (the factory page takes any release:
// DspFirmwareFile::anyRelease); success is the DSP reporting the file's.
UpgradeResult upgrade(const std::string& firmwarePath, const std::function<void(bool visible)>& waitWindow = {},
                      const std::string& retryHint = {}, int fileRelease = requiredRelease);

// The release check: true when the DSP runs the required release, or after
// the user agreed and the upgrade was done ("Update completed." reported).
// A missing firmware file, a refused file or a failed upgrade are reported
// and give false. A nested call while one runs answers false at once.
bool releaseCheck(const std::string& firmwarePath, const ReleaseCheckUi& ui);

// "Reboot DSP" of the factory page: status, reboot, 2000 ms when it was in
// flash mode (200 ms otherwise), new status.
Status factoryReboot();

// "Upgrade DSP" of the factory page with the chosen file: the upgrade
// procedure above; the text of a failure is shown titled factoryErrorCaption
// (noFlashModeText when the DSP stays in its user code). Nothing is shown
// here, so that it may run off the window's thread.
inline constexpr const char* factoryErrorCaption = "DSP Error : ";
inline constexpr const char* noFlashModeText = "Dsp can reboot in RWFlash Mode";
struct FactoryUpgrade {
    bool done = false;
    Status shown;      // the status to display
    std::string text;  // empty when done
};
FactoryUpgrade runFactoryUpgrade(const std::string& firmwarePath);

// The same, with the failure reported through UserMessages: the upgrade
// procedure above. false, with the failure reported ("Dsp can reboot in
// RWFlash Mode" when the DSP stays in its user code), unless it was done;
// shown receives the status to display.
bool factoryUpgrade(const std::string& firmwarePath, Status& shown);

// "###.00" of a release in hundredths, as the factory page shows it.
std::string formatRelease(int hundredths);

}  // namespace DspFirmware
