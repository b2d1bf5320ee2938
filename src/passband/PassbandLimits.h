#pragma once

// The bounds of the analysis parameters: those of the parameter panel's
// edit boxes, which vemar-cli's options share. A value from a file is held
// to them too (Passband::loadConfiguration): one rule whatever the source.

namespace PassbandLimits {

inline constexpr float lowestThreshold = -80.0f;
inline constexpr float highestThreshold = 20.0f;
inline constexpr float lowestBandwidthLevel = -70.0f;
inline constexpr float highestBandwidthLevel = 0.0f;
inline constexpr float lowestOwr = 0.0f;
// Also never more than half the spacing of the grid.
inline constexpr float highestOwr = 100.0f;

}  // namespace PassbandLimits
