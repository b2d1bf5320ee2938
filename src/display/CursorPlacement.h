#pragma once

// Where the chart's cursors go when they are reset, and the texts they show.
// On a curve whose peak reaches the threshold the vertical cursors take the
// two crossings of the width level and the horizontal ones the peak and
// 3 dB below it, when all of these lie on the axes; otherwise the cursors
// stand at one third and two thirds of each axis.

#include <string>

#include "ChartAxes.h"
#include "CurveAnalysis.h"

struct CursorPositions {
    double x1 = 0.0;  // vertical cursors, bottom-axis units
    double x2 = 0.0;
    double y1 = 0.0;  // horizontal cursors, left-axis units
    double y2 = 0.0;
    friend bool operator==(const CursorPositions&, const CursorPositions&) = default;
};

// points: the selected curve's points (nm, dB), null when none is selected.
CursorPositions resetCursorPositions(const CurvePoints* points, const CurveLevels& levels, SpectralUnit unit,
                                     const ChartRanges& axes);

// A cursor's value, "%.3f"; the distance between the vertical cursors,
// "%.3f", and between the horizontal ones, "%.2f".
std::string cursorValueText(double value);
std::string verticalCursorsDifferenceText(double x1, double x2);
std::string horizontalCursorsDifferenceText(double y1, double y2);

// The caption of the show/hide button: what a click does.
inline const char* cursorButtonCaption(bool cursorsShown) { return cursorsShown ? "Hide" : "Show"; }
