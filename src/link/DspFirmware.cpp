#include "DspFirmware.h"

#include <atomic>
#include <filesystem>

#include "C_DspFlashManager.h"
#include "LinkTiming.h"
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

Status upgrade(const std::string& firmwarePath, const std::function<void(bool visible)>& waitWindow)
{
    WaitWindowShown shown(waitWindow);
    C_DspFlashManager flash;
    flash.EnsureFlashMode();
    flash.UploadUserCode(firmwarePath);
    flash.SendRebootDSP();
    LinkTiming::sleepMs(1000);
    return statusOf(flash);
}

bool releaseCheck(const std::string& firmwarePath, const ReleaseCheckUi& ui)
{
    if (g_releaseCheckRunning.exchange(true)) return false;
    struct Clear {
        ~Clear() { g_releaseCheckRunning = false; }
    } clear;

    if (readStatus().release == requiredRelease) return true;
    if (!ui.askYesNo || !ui.askYesNo(incompatibleCaption, incompatibleQuestion)) return false;
    std::error_code ec;
    if (!std::filesystem::exists(firmwarePath, ec)) {
        UserMessages::show(UserMessages::Severity::Error, "Invalid file name", "Can't find " + firmwarePath);
        return false;
    }
    const Status after = upgrade(firmwarePath, ui.waitWindow);
    UserMessages::show(UserMessages::Severity::Information, "DSP update",
                       cformat("Update completed.\nNew DSP release: V%.2f", after.release / 100.0));
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

bool factoryUpgrade(const std::string& firmwarePath, Status& shown)
{
    C_DspFlashManager flash;
    shown = statusOf(flash);
    if (!shown.flashMode) {
        flash.SendRebootDSP();
        LinkTiming::sleepMs(100);
        shown = statusOf(flash);
    }
    if (!shown.flashMode) {
        UserMessages::show(UserMessages::Severity::Error, "DSP Error : ", "Dsp can reboot in RWFlash Mode");
        return false;
    }
    flash.UploadUserCode(firmwarePath);
    return true;
}

std::string formatRelease(int hundredths) { return cformat("%.2f", hundredths / 100.0); }

}  // namespace DspFirmware
