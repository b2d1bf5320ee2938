#pragma once

// Wavelength and optical frequency, f = c / wavelength with c = 299 792 458 m/s.

// Frequency in GHz = gigahertzNm / wavelength in nm.
inline constexpr double gigahertzNm = 299792458.0;
// Frequency in THz = terahertzNm / wavelength in nm.
inline constexpr double terahertzNm = 299792.458;
