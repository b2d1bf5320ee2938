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
};

inline constexpr const char* incompatibleCaption = "Invalid DSP release";
inline constexpr const char* incompatibleQuestion =
    "The DSP release isn't compatible with this software.\n Do you want to upgrade the VEMAR DSP?";
inline constexpr const char* waitCaption = "DSP upgrade";
inline constexpr const char* waitText = "DSP upgrade in progress. Please Wait.";

// The status of the DSP.
Status readStatus();

// The upgrade of the release check: wait window shown, flash mode, upload,
// reboot, 1000 ms, new status, wait window hidden (also when a step raises).
Status upgrade(const std::string& firmwarePath, const std::function<void(bool visible)>& waitWindow = {});

// The release check: true when the DSP runs the required release, or after
// the user agreed and the upgrade ran (the new release is reported, not
// compared again). A missing firmware file is reported and gives false. A
// nested call while one runs answers false at once.
bool releaseCheck(const std::string& firmwarePath, const ReleaseCheckUi& ui);

// "Reboot DSP" of the factory page: status, reboot, 2000 ms when it was in
// flash mode (200 ms otherwise), new status.
Status factoryReboot();

// "Upgrade DSP" of the factory page with the chosen file: brings the DSP
// into flash mode and uploads the file without rebooting. false (with
// "Dsp can reboot in RWFlash Mode" reported) when the DSP stays in user
// mode; shown receives the status to display.
bool factoryUpgrade(const std::string& firmwarePath, Status& shown);

// "###.00" of a release in hundredths, as the factory page shows it.
std::string formatRelease(int hundredths);

}  // namespace DspFirmware
