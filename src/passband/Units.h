#pragma once

// Spectral units of the passband analysis and the conversion between them.
//
// Unit codes: 0 THz, 1 GHz, 2 nm. Frequencies and wavelengths are linked by
// the speed of light, 299792458 m/s. The conversion works in extended
// precision; callers keep the result as a float.

#include <string>

namespace Unit {
inline constexpr int THz = 0;
inline constexpr int GHz = 1;
inline constexpr int Nm = 2;

// "THz", "GHz", "nm"; empty for any other code.
const char* name(int unit);
// "(THz)", "(GHz)", "(nm)"; empty for any other code.
std::string bracketed(int unit);
}  // namespace Unit

inline constexpr double speedOfLight = 299792458.0;

// Throws std::invalid_argument "Unit base unkown" for an unknown source
// unit and "Wanted unit unkown" for an unknown target unit.
long double convertUnit(float value, int from, int to);
