#pragma once

// A channel's central wavelength: the middle of its -3 dB crossings,
// whatever bandwidth levels the user chose.

#include <cstddef>

struct CurveSegment;

class CentralWavelength {
public:
    // nm, or the none marker when a side has no -3 dB crossing.
    float compute(const CurveSegment& segment, std::size_t peak) const;
};
