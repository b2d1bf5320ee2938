#include "About.h"

#include "NumberFormat.h"
#include "Version.h"

std::string About::programRelease()
{
    return cformat("v %d.%d.%d", VEMAR_VERSION_MAJOR, VEMAR_VERSION_MINOR, VEMAR_VERSION_PATCH);
}

std::string About::formatDspRelease(int hundredths) { return cformat("v %.2f", hundredths / 100.0); }

std::string About::fibreTypeText(int bandCode)
{
    switch (bandCode) {
    case 1: return "PM13 (1260 - 1360 nm)";
    case 2: return "PM15 (1440 - 1640 nm)";
    default: return "SMF (1240 - 1680 nm)";
    }
}

About::About(const UnitIdentitySummary& identity, int dspReleaseHundredths) : release(programRelease())
{
    if (identity.serialText.empty()) {
        dspRelease = serialNumber = fibreType = unknownText;
        tls.fill(unknownText);
        detectors.fill(unknownText);
        return;
    }
    dspRelease = formatDspRelease(dspReleaseHundredths);
    serialNumber = identity.serialText.rfind("S/N", 0) == 0 ? identity.serialText.substr(3) : identity.serialText;
    fibreType = fibreTypeText(identity.fibreBand);
    for (int k = 0; k < 4; ++k) {
        tls[k] = (k == 0 || identity.laserInputs >= k + 1) ? "Yes" : "No";
        detectors[k] = (k == 0 || identity.detectors >= k + 1) ? "Yes" : "No";
    }
}
