#pragma once

// The figures of the information block under the transfer-function chart:
// the central wavelength and spectral width of a curve at a level below its
// peak, and the slopes of its left and right flanks between two levels. All
// of them come from level crossings searched outward from the peak and
// interpolated linearly between two points, in nm, and are converted to THz
// when the chart shows frequencies. The "On Peak" zoom range is computed
// from the same searches.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "Frequency.h"

// The analysis levels of the settings, in dB.
struct CurveLevels {
    double fwhmThreshold = -35.0;     // no figures when the peak is below it
    double fwhmPower = -3.0;          // width level, relative to the peak (negative)
    double slopeTopLevel = -3.0;      // upper slope level, relative to the peak
    double slopeBottomLevel = -40.0;  // lower slope level, relative to the peak
};

// A curve's points: wavelengths in nm (ascending) and values in dB. Reading
// an index outside the points gives 0.0, as the chart's series do.
class CurvePoints {
public:
    CurvePoints(std::span<const double> xNm, std::span<const double> yDb);
    std::size_t count() const { return count_; }
    double x(std::ptrdiff_t index) const;
    double y(std::ptrdiff_t index) const;

private:
    std::span<const double> x_;
    std::span<const double> y_;
    std::size_t count_;
};

enum class SpectralUnit { Nm, THz };


// Index of the largest value, the first of equal maxima; none for no points.
std::optional<std::size_t> curvePeak(const CurvePoints& points);

// Index where the walk from the peak toward the first point stops at a
// value not above level; none when the walk reaches the first point.
std::optional<std::size_t> leftCrossingIndex(const CurvePoints& points, std::size_t peak, double level);
// The same toward the last point; none when every value after the peak is above level.
std::optional<std::size_t> rightCrossingIndex(const CurvePoints& points, std::size_t peak, double level);

// The wavelength where the segment from point a to point b reaches level;
// none when the segment is flat (no crossing) or has no width.
std::optional<double> segmentCrossing(const CurvePoints& points, std::ptrdiff_t a, std::ptrdiff_t b, double level);

// Crossing wavelengths (nm) on either side of the peak.
std::optional<double> leftCrossing(const CurvePoints& points, std::size_t peak, double level);
std::optional<double> rightCrossing(const CurvePoints& points, std::size_t peak, double level);

// The four figures of the information block, in the unit asked for (nm, or
// THz with widths in THz and slopes in dB/THz). A figure without a value is
// empty: all four when the curve is empty or its peak is below the
// threshold, centre and width when a width crossing is missing, both
// slopes when any of their four crossings is missing.
struct CurveFigures {
    std::optional<double> centre;
    std::optional<double> width;
    std::optional<double> leftSlope;
    std::optional<double> rightSlope;
};

CurveFigures analyseCurve(const CurvePoints& points, const CurveLevels& levels, SpectralUnit unit);

// Captions and value texts of the information block.
struct CurveInformationTexts {
    std::string centreCaption;  // "Central Wavelength :"
    std::string widthCaption;   // "Spectral Width (3.00 dB) :"
    std::string leftCaption;    // "Left Slope [-3.00, -40.00 dB] :"
    std::string rightCaption;
    std::string centre;         // "1550.1200 nm", empty without a value
    std::string width;
    std::string leftSlope;      // "12.34 dB/nm"
    std::string rightSlope;
};

CurveInformationTexts curveInformationTexts(const CurveFigures& figures, const CurveLevels& levels, SpectralUnit unit);

// The "On Peak" zoom: the point range to show and the value range of the
// left axis, or none when the 3 dB crossing search reaches an end of the
// curve. Near the ends of the curve the 10-point flank slopes are taken
// from the nearest points that exist (the index is clamped to the curve).
struct PeakZoom {
    std::size_t first = 0;  // index of the bottom axis' start
    std::size_t last = 0;   // index of its end
    double bottomMinimum = 0.0;  // nm, or THz
    double bottomMaximum = 0.0;
    double leftMinimum = 0.0;    // dB
    double leftMaximum = 0.0;
};

std::optional<PeakZoom> peakZoom(const CurvePoints& points, SpectralUnit unit);
