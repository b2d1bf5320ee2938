#include "ScanResultText.h"

#include <array>

namespace ScanResultText {

Status forScanCode(int code)
{
    switch (code) {
    case 0: return {normal, ""};
    case 1: return {error, "The measurement has been canceled by the user"};
    case 2: return {error, "error in the data exchange with the DSP"};
    case 3: return {error, "error in the wavelength referencing: check TLS sources"};
    case 4: return {error, "switch failure"};
    case 5: return {error, "failure in the communication with the DSP"};
    case 100: return {warning, "mode hops on the scan"};
    case 101: return {warning, "scan speed too low"};
    case 102: return {warning, "scan speed too high"};
    case 103: return {warning, "high dynamical changes at low level, reduce scan speed"};
    case 104: return {warning, "unexpected source behavior, check TLS performances"};
    case 105: return {warning, "unexpected temperature"};
    case 106: return {warning, "in one TLS input power: check TLS sources"};
    case 108: return {warning, "numerous mode hops or multimoding behavior"};
    case 125: return {warning, "trouble in the wavelength referencing: check TLS sources"};
    default: break;
    }
    if (isError(code)) return {error, "Error"};
    return {normal, ""};
}

const char* forInputPowerCode(int code)
{
    static constexpr std::array<const char*, 16> texts{
        "high TLS input power variations: check TLS sources",  // 109
        "too high input power during the scan: check input power",
        "power on DET1 too high: check set-up",
        "power on DET2 too high: check set-up",
        "power on DET3 too high: check set-up",
        "power on DET4 too high: check set-up",
        "spurious input power: ckeck set-up",  // 115, as the instrument has always shown it
        "warning on thermal detection",
        "power too low on IN port 1",
        "power too low on IN port 2",
        "power too low on IN port 3",
        "power too low on IN port 4",
        "power too high on IN port 1",
        "power too high on IN port 2",
        "power too high on IN port 3",
        "power too high on IN port 4",  // 124
    };
    if (code < 109 || code > 124) return nullptr;
    return texts[static_cast<std::size_t>(code - 109)];
}

}  // namespace ScanResultText
