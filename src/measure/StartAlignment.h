#pragma once

// Moves each source's start onto the grid of the reference lines of the
// unit's calibration: the first source's start goes up in frequency until it
// lies at most 45 % of a line spacing below the line above it, each later
// source's start goes down in frequency to the line below it or just past
// it. The shift (whole GHz) is kept in the source's startShift, so that the
// scan can be resampled from the start the user asked for.

#include <optional>
#include <span>

class ConfLaser;
class TabCalib;

namespace StartAlignment {

// The shift (GHz) for a start frequency m against reference lines in
// descending order. Nothing when m has no line above it (m at or above the
// first line) or none below it (m below the last), or when the two lines
// around it coincide: such a start stays where it is.
std::optional<int> shiftFor(std::span<const double> lines, double m, bool firstSource);

// Aligns every participating source (firstActive to endActive - 1) with the
// lines of calib at the middle of its reference range. In trigger mode
// source 0's range becomes its scan range; without trigger each source is
// moved to its (new) start.
void AlignSources(ConfLaser& sources, TabCalib& calib, bool trigger);

}  // namespace StartAlignment
