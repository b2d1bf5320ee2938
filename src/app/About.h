#pragma once

// The "About" texts: the program's release and what is known of the
// connected unit.

#include <array>
#include <string>

// The part of the unit's identity record the About texts are made from.
struct UnitIdentitySummary {
    std::string serialText;  // "S/N..." as stored by the unit; empty when no unit is known
    int laserInputs = 0;
    int detectors = 0;
    int fibreBand = 0;
};

class About {
public:
    About(const UnitIdentitySummary& identity, int dspReleaseHundredths);

    // "v 3.8.0" for file version 3.8.0.0.
    static std::string programRelease();
    // "v 1.12" for a DSP release of 112.
    static std::string formatDspRelease(int hundredths);
    // Fibre band code to its text (unknown codes read as the standard band).
    static std::string fibreTypeText(int bandCode);

    static constexpr const char* unknownText = "- - - - - -";

    std::string release;
    std::string dspRelease;
    std::string serialNumber;
    std::string fibreType;
    std::array<std::string, 4> tls;        // tls1..tls4: "Yes" / "No"
    std::array<std::string, 4> detectors;  // detector1..detector4: "Yes" / "No"
};
