#include "DspFirmware.h"

#include <atomic>
#include <exception>
#include <filesystem>

#include "About.h"
#include "C_DspFlashManager.h"
#include "DspFirmwareFile.h"
#include "FlashZones.h"
#include "LinkTiming.h"
#include "Log.h"
#include "NumberFormat.h"
#include "UserMessages.h"

namespace DspFirmware {
namespace {

Status statusOf(Dsp& dsp)
{
    Status s;
    s.result = dsp.GetStatus(s.flashMode, s.release, s.third);
    return s;
}

// Hides the wait window however the upgrade ends.
class WaitWindowShown {
public:
    explicit WaitWindowShown(const std::function<void(bool)>& show) : show_(show)
    {
        if (show_) show_(true);
    }
    ~WaitWindowShown()
    {
        if (show_) show_(false);
    }
    WaitWindowShown(const WaitWindowShown&) = delete;
    WaitWindowShown& operator=(const WaitWindowShown&) = delete;

private:
    const std::function<void(bool)>& show_;
};

std::atomic<bool> g_releaseCheckRunning{false};

// The pause the user code needs after the reboot that starts it.
constexpr int restartWaitMs = 1000;

void note(std::string& details, const std::string& text)
{
    Log::error("DSP upgrade: %s\n", text.c_str());
    if (!details.empty()) details += "; ";
    details += text;
}

Status restartUserCode(C_DspFlashManager& flash, std::string& details)
{
    const C_DspFlashManager::ModeStatus m = flash.RestartUserCode(restartWaitMs, details);
    Status s;
    s.result = m.result;
    s.flashMode = m.flashMode;
    s.release = m.release;
    return s;
}

std::string hintOf(const std::string& retryHint) { return retryHint.empty() ? windowRetryHint : retryHint; }

}  // namespace

std::string requiredFirmwarePath(const std::string& programFolder)
{
    return (std::filesystem::path(programFolder) / "DSP" / requiredFileName).string();
}

Status readStatus()
{
    Dsp dsp;
    return statusOf(dsp);
}

UpgradeResult upgrade(const std::string& firmwarePath, const std::function<void(bool visible)>& waitWindow,
                      const std::string& retryHint, int fileRelease)
{
    UpgradeResult result;
    const DspFirmwareFile::Check file = DspFirmwareFile::checkFile(firmwarePath, fileRelease);
    result.announcedRelease = file.release;
    if (file.missing) {
        result.fileMissing = true;
        result.text = "Can't find " + firmwarePath;
        return result;
    }
    if (!file.usable()) {
        result.text = firmwarePath + " can't be used as DSP firmware: " + file.problem +
                      ". Nothing was programmed: the unit keeps its firmware.";
        return result;
    }

    WaitWindowShown shown(waitWindow);
    C_DspFlashManager flash;
    result.outcome = UpgradeOutcome::NothingProgrammed;
    // A unit found in its boot code has no firmware to keep.
    const Status initial = statusOf(flash);
    const bool hadFirmware = !(initial.result == 0 && initial.flashMode);
    bool inFlashMode = false;
    try {
        inFlashMode = flash.EnsureFlashMode();
    } catch (const std::exception& e) {
        note(result.details, e.what());
    }
    if (!inFlashMode) {
        // The status after the reboot may have been lost rather than refused.
        result.status = statusOf(flash);
        inFlashMode = result.status.result == 0 && result.status.flashMode;
    }
    if (!inFlashMode) {
        if (result.status.result == 0) {
            result.noFlashMode = true;
            result.text = "The DSP did not go into its flash mode: nothing was programmed, the unit keeps its "
                          "firmware.";
        } else {
            result.text = "The DSP stopped answering before anything was programmed: its firmware is untouched. "
                          "Unplug the unit, plug it in again and retry.";
        }
        return result;
    }

    bool erased = false;
    bool programmed = false;
    const std::uint32_t first = FlashZones::userCode.firstWord;
    const auto size = static_cast<std::uint32_t>(file.image.size());
    // A link fault or a cell that did not take its value leaves the boot
    // code running: one more complete pass usually finishes the job.
    for (int attempt = 0; attempt < 2 && !programmed; ++attempt) {
        try {
            flash.SendFlashPrepare4UserCode();
            erased = true;  // from the erase order on, the old code may be gone
            flash.SendFlashEraseSector(FlashZones::userCode.eraseMask);
            flash.ProgramBytes(first, file.image.data(), size);
            if (!flash.FlashHolds(first, file.image.data(), size)) {
                note(result.details, "the image read back differs from the file");
                continue;
            }
            flash.SendFlashStartProgAd(first);
            programmed = true;
        } catch (const std::exception& e) {
            note(result.details, e.what());
        }
    }
    result.status = restartUserCode(flash, result.details);
    const Status& s = result.status;
    if (programmed && s.result == 0 && !s.flashMode && s.release == file.release) {
        result.outcome = UpgradeOutcome::Done;
        return result;
    }
    const std::string hint = hintOf(retryHint);
    if (s.result == 0 && !s.flashMode) {
        // The boot code starts only a complete image: what runs is the old one.
        result.text = "The upgrade did not take: the unit keeps its firmware (release " +
                      About::formatDspRelease(s.release) + "). To retry, " + hint + ".";
        return result;
    }
    if (!erased && hadFirmware) {
        result.text = "The upgrade failed before anything was erased: the firmware is untouched, but the DSP did "
                      "not restart it. Unplug the unit and plug it in again.";
        return result;
    }
    result.outcome = UpgradeOutcome::NoFirmware;
    result.text = "The unit has no usable firmware: programming " + firmwarePath +
                  " did not complete and only the DSP's boot code runs. The unit cannot measure until the firmware "
                  "is programmed again: " + hint + ".";
    return result;
}

bool releaseCheck(const std::string& firmwarePath, const ReleaseCheckUi& ui)
{
    if (g_releaseCheckRunning.exchange(true)) return false;
    struct Clear {
        ~Clear() { g_releaseCheckRunning = false; }
    } clear;

    if (readStatus().release == requiredRelease) return true;
    if (!ui.askYesNo || !ui.askYesNo(incompatibleCaption, incompatibleQuestion)) return false;
    const UpgradeResult r = upgrade(firmwarePath, ui.waitWindow, ui.retryHint);
    if (r.fileMissing) {
        UserMessages::show(UserMessages::Severity::Error, "Invalid file name", r.text);
        return false;
    }
    if (!r.done()) {
        UserMessages::show(UserMessages::Severity::Error, updateCaption, r.text);
        return false;
    }
    UserMessages::show(UserMessages::Severity::Information, updateCaption,
                       cformat("Update completed.\nNew DSP release: V%.2f", r.status.release / 100.0));
    return true;
}

Status factoryReboot()
{
    C_DspFlashManager flash;
    const Status before = statusOf(flash);
    flash.SendRebootDSP();
    LinkTiming::sleepMs(before.flashMode ? 2000 : 200);
    return statusOf(flash);
}

FactoryUpgrade runFactoryUpgrade(const std::string& firmwarePath)
{
    // The factory loads whatever release it chooses (an older one to try
    // the release check, a newer one under test).
    const UpgradeResult r = upgrade(firmwarePath, {}, "choose a complete firmware file with \"Upgrade DSP\" again",
                                    DspFirmwareFile::anyRelease);
    FactoryUpgrade out;
    out.done = r.done();
    // A refused file never reached the unit: its status is read for the display.
    out.shown = r.outcome == UpgradeOutcome::Refused ? readStatus() : r.status;
    if (!out.done) out.text = r.noFlashMode ? std::string(noFlashModeText) : r.text;
    return out;
}

bool factoryUpgrade(const std::string& firmwarePath, Status& shown)
{
    const FactoryUpgrade r = runFactoryUpgrade(firmwarePath);
    shown = r.shown;
    if (!r.done) UserMessages::show(UserMessages::Severity::Error, factoryErrorCaption, r.text);
    return r.done;
}

std::string formatRelease(int hundredths) { return cformat("%.2f", hundredths / 100.0); }

}  // namespace DspFirmware
