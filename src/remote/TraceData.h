#pragma once

// The insertion-loss curve of a published scan as TRACe:DATA? sends it:
// one (wavelength in nm, level in dB) pair per point of the scan's uniform
// grid, the numbers the CSV export prints (detector minus output; "Ext"
// itself unless the EXT input is optical). Read straight from the
// immutable snapshot, on any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ScanSnapshot.h"

namespace TraceData {

struct Curve {
    const double* wavelength = nullptr;
    const double* values = nullptr;
    const double* output = nullptr;  // null when the values stand alone
    std::size_t points = 0;

    double level(std::size_t i) const { return output != nullptr ? values[i] - output[i] : values[i]; }
};

// The curve named (the trace's names: "1" to "4", "Ext", "Orl"); none when
// the scan holds no values for it.
std::optional<Curve> curve(const ScanSnapshot& scan, std::string_view name);

// An IEEE 488.2 definite-length block of little-endian float64 pairs.
std::string binaryBlock(const Curve& curve);
// "nm,dB,nm,dB,..." in the numbers' shortest form.
std::string asciiList(const Curve& curve);

}  // namespace TraceData
