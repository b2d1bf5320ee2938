#pragma once

// The rules of the transfer-function chart's axes, apart from any drawing:
// the reset ranges in nm or THz, the volt axis that follows the left one,
// the smallest zoom, and the step of the shift edits taken from how many
// axis units one pixel covers.

#include <optional>
#include <string>

#include "CurveAnalysis.h"

class ScanTrace;

struct AxisRange {
    double minimum = 0.0;
    double maximum = 0.0;
    double span() const { return maximum - minimum; }
    bool contains(double value) const { return minimum <= value && value <= maximum; }
    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// The bottom (nm or THz) and left (dB) axes.
struct ChartRanges {
    AxisRange bottom;
    AxisRange left;
    friend bool operator==(const ChartRanges&, const ChartRanges&) = default;
};

inline constexpr AxisRange resetLeftRange{-80.0, 2.0};
// A zoom whose span is not above this (axis units) is refused.
inline constexpr double zoomLimit = 0.01;
inline constexpr const char* zoomRefusedTitle = "Zoom";
inline constexpr const char* zoomRefusedText = "Can't zoom anymore";
// The step of the shift edits until a zoom or a selection sets another.
inline constexpr double defaultShiftIncrement = 0.1;

const char* bottomAxisTitle(SpectralUnit unit);  // "Wavelength (nm)", "Frequency (THz)"
inline constexpr const char* leftAxisTitle = "Transfer function (dB)";
inline constexpr const char* rightAxisTitle = "Volts (V)";
// The caption of the unit button: the unit it switches to.
const char* displayUnitCaption(SpectralUnit unit);  // "=>THz" in nm, "=>nm" in THz

// The volt axis of a left-axis value: -80 dB is -0.4 V, 5 dB is 3 V.
double voltAxisValue(double leftValue);
AxisRange voltAxisRange(AxisRange left);
// A volt-axis label, "#0.000#": three decimals, a fourth when it is not 0.
std::string voltAxisLabel(double volts);

// The bottom axis over a scan range given in nm: [start, stop], or in THz
// [c / stop, c / start].
AxisRange scanRangeAxis(double startNm, double stopNm, SpectralUnit unit);
// The ranges after a reset: the scan range and the left axis at -80 to 2 dB.
ChartRanges resetRanges(double startNm, double stopNm, SpectralUnit unit);

// The step of a shift edit for an axis resolution (axis units per pixel):
// the power of ten at or below it, 1 at most (0.023 gives 0.01, 3 gives 1).
double shiftIncrement(double axisUnitsPerPixel);

// What a rubber-band zoom leaves. A bottom span not above the limit brings
// back all the saved ranges; otherwise the bottom range is kept and saved,
// and then a left span not above the limit brings back the saved left range
// while a wider one is kept and saved. Each refusal shows the warning once;
// the shift step of an axis follows the new resolution when its range is
// kept (or, for the left axis, brought back whole).
struct ZoomDecision {
    ChartRanges shown;
    ChartRanges saved;
    bool bottomRefused = false;
    bool leftRefused = false;
    bool bottomIncrementFollows = false;
    bool leftIncrementFollows = false;
};
ZoomDecision decideZoom(const ChartRanges& zoomed, const ChartRanges& saved);

// The range factor times as wide around anchor (a wheel step); none when
// that would narrow the span to the zoom limit or below, or the result is
// not finite.
std::optional<AxisRange> zoomAround(AxisRange range, double anchor, double factor);

// The scan range (nm) a picture of the trace shows: its source
// configuration's, else the range of its curves' points, else 1240 to 1680.
AxisRange pictureScanRange(const ScanTrace& trace);
