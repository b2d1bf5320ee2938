#pragma once

// What the chart page's small dialogs accept, apart from their windows: the
// "Scale" dialog's axis ranges, the spectral-width dialog's threshold and
// level, and the slope dialog's two levels, with the bounds of their edits
// and the texts of their error label.

#include <string>

#include "CurveAnalysis.h"

// Bounds and step of a numeric edit.
struct EditBounds {
    int decimals = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    double increment = 0.0;
};

// The error label before anything went wrong.
inline constexpr const char* noErrorText = " ";

// "Scale": X min / X max, Y min / Y max.
inline constexpr EditBounds scaleXEdit{3, 0.0, 2000.0, 0.001};
inline constexpr EditBounds scaleYEdit{2, -200.0, 200.0, 0.01};
inline constexpr const char* scaleXError = "X max value must be higher than X min value";
inline constexpr const char* scaleYError = "Y max value must be higher than Y min value";
// Empty when the dialog may close with these ranges.
std::string scaleDialogError(double xMin, double xMax, double yMin, double yMax);

// The shift edits of the chart page.
inline constexpr EditBounds shiftEdit{1, -100.0, 100.0, 0.1};

// Spectral width: "Threshold : " and "FWHM at max -  " (a positive number of dB).
inline constexpr EditBounds widthThresholdEdit{2, -80.0, 10.0, 0.01};
inline constexpr EditBounds widthLevelEdit{2, 0.01, 80.0, 0.01};
struct WidthDialogValues {
    double threshold = 0.0;
    double belowMaximum = 0.0;
};
WidthDialogValues widthDialogValues(const CurveLevels& levels);
// The levels after OK.
CurveLevels acceptWidthDialog(CurveLevels levels, const WidthDialogValues& values);

// Slopes ("Side Front"): the top and bottom levels.
inline constexpr EditBounds slopeLevelEdit{2, -80.0, 10.0, 0.01};
inline constexpr const char* slopeLevelsError = "Top value must be highter than bottom value";
// Empty when the dialog may close: the bottom level lies below the top one.
std::string slopeDialogError(double top, double bottom);
CurveLevels acceptSlopeDialog(CurveLevels levels, double top, double bottom);
