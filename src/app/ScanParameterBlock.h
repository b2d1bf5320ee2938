#pragma once

// The settings handed to the scan controller at each measurement. The
// persistent fields come from the application settings, the per-measurement
// ones are filled when a scan starts. Fields keep the controller's order.

#include <cstdint>

struct ScanParameterBlock {
    std::int16_t flagA = 0;           // reading of transitions, marks and reference signal
    std::int16_t flagB = 0;           // sample positions at the centre of each sampling window
    std::int16_t inputIndex = 0;      // laser input being acquired (0..3)
    std::int16_t lastInputIndex = 0;  // last participating input
    std::int16_t flagC = 0;           // the auxiliary channel is read and counted
    std::int16_t flagD = 0;           // resolution check enabled
    std::int16_t precise = 0;         // precise mode
    std::int16_t markCount = 0;       // expected reference marks of the sweep
    std::int16_t samplingStep = 0;    // pm
    std::uint8_t trigger = 0;         // the sweep is started by an external trigger
    std::uint8_t externalSynchronization = 0;
    std::uint8_t enable2 = 0;
    std::uint8_t enable3 = 0;
    std::uint8_t enable4 = 0;
    std::uint8_t enableExt = 0;
    std::uint8_t enableOrl = 0;
    std::int16_t acquisitionMode = 0;  // 0 normal, 2 etalon referencing on port 1, 3 test mode
    std::uint8_t bncEnable = 0;        // the EXT input is read as an optical power
    double bncAlpha = 0.0;             // power = alpha + beta x volts
    // 1 as a file without it reads it and the " BNC input " row starts: a
    // beta of 0 would make every EXT power 0 mW.
    double bncBeta = 1.0;
    std::int32_t bncUnit = 0;          // 0 mW, 1 dBm
    std::uint8_t switchActive = 0;     // an external optical switch selects the source
    std::int32_t switchAddress = 0;    // GPIB address of the switch
    std::int32_t switchStartChannel = 0;
    std::int32_t switchPortOffset = 0;
};
