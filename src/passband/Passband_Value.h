#pragma once

// The ten figures of one channel of one curve, and the marker of a figure
// that could not be computed.

#include <array>
#include <cstddef>
#include <limits>

// The largest single-precision float (bit pattern 7F7FFFFF); its negative
// marks a missing entry in the isolation windows.
inline constexpr float noneMarker = std::numeric_limits<float>::max();

struct Passband_Value {
    enum Figure : std::size_t {
        Central = 0,         // THz for the ITU grids, nm for CWDM
        CentreAccuracy = 1,  // GHz or nm, measured minus nominal
        Bandwidth1 = 2,      // grid unit
        Bandwidth2 = 3,
        Bandwidth3 = 4,
        MaxInsertionLoss = 5,  // dB, positive for a loss
        Ripple = 6,            // dB
        Adjacent = 7,          // dB
        NonAdjacent = 8,       // dB
        PeakLevel = 9,         // dB
    };
    static constexpr std::size_t figureCount = 10;

    std::array<float, figureCount> values{noneMarker, noneMarker, noneMarker, noneMarker, noneMarker,
                                          noneMarker, noneMarker, noneMarker, noneMarker, noneMarker};

    // Any index past the last figure reads as the none marker.
    float operator[](std::size_t index) const { return index < figureCount ? values[index] : noneMarker; }
    float& at(std::size_t index) { return values.at(index); }
};
