#include "CurveAnalysis.h"

#include <algorithm>

#include "NumberFormat.h"

CurvePoints::CurvePoints(std::span<const double> xNm, std::span<const double> yDb)
    : x_(xNm), y_(yDb), count_(std::min(xNm.size(), yDb.size()))
{
}

double CurvePoints::x(std::ptrdiff_t index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < count_ ? x_[static_cast<std::size_t>(index)] : 0.0;
}

double CurvePoints::y(std::ptrdiff_t index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < count_ ? y_[static_cast<std::size_t>(index)] : 0.0;
}

std::optional<std::size_t> curvePeak(const CurvePoints& points)
{
    if (points.count() == 0) return std::nullopt;
    std::size_t peak = 0;
    double maximum = points.y(0);
    for (std::size_t k = 1; k < points.count(); ++k) {
        const double v = points.y(static_cast<std::ptrdiff_t>(k));
        if (v > maximum) {
            maximum = v;
            peak = k;
        }
    }
    return peak;
}

std::optional<std::size_t> leftCrossingIndex(const CurvePoints& points, std::size_t peak, double level)
{
    std::size_t f = peak;
    while (f > 0 && points.y(static_cast<std::ptrdiff_t>(f)) > level) --f;
    if (f == 0) return std::nullopt;
    return f;
}

std::optional<std::size_t> rightCrossingIndex(const CurvePoints& points, std::size_t peak, double level)
{
    const std::size_t n = points.count();
    std::size_t i = peak;
    while (i < n && points.y(static_cast<std::ptrdiff_t>(i)) > level) ++i;
    if (i >= n) return std::nullopt;
    return i;
}

std::optional<double> segmentCrossing(const CurvePoints& points, std::ptrdiff_t a, std::ptrdiff_t b, double level)
{
    const double dx = points.x(b) - points.x(a);
    // Two points at one wavelength give no slope at all; dividing by the
    // zero width would turn the crossing into infinity or NaN.
    if (dx == 0.0) return std::nullopt;
    const double slope = (points.y(b) - points.y(a)) / dx;
    if (slope == 0.0) return std::nullopt;
    const double offset = points.y(b) - slope * points.x(b);
    return (level - offset) / slope;
}

std::optional<double> leftCrossing(const CurvePoints& points, std::size_t peak, double level)
{
    const std::optional<std::size_t> f = leftCrossingIndex(points, peak, level);
    if (!f) return std::nullopt;
    const auto a = static_cast<std::ptrdiff_t>(*f);
    return segmentCrossing(points, a, a + 1, level);
}

std::optional<double> rightCrossing(const CurvePoints& points, std::size_t peak, double level)
{
    const std::optional<std::size_t> i = rightCrossingIndex(points, peak, level);
    if (!i) return std::nullopt;
    const auto b = static_cast<std::ptrdiff_t>(*i);
    return segmentCrossing(points, b - 1, b, level);
}

namespace {

// A slope between two levels over a wavelength (or frequency) distance; a
// zero distance leaves the slope at 0.
double slopeOver(double levelDifference, double distance) { return distance != 0.0 ? levelDifference / distance : 0.0; }

void toTerahertz(std::optional<double>& crossing)
{
    if (crossing && *crossing != 0.0) *crossing = terahertzNm / *crossing;
}

}  // namespace

CurveFigures analyseCurve(const CurvePoints& points, const CurveLevels& levels, SpectralUnit unit)
{
    CurveFigures figures;
    const std::optional<std::size_t> peak = curvePeak(points);
    if (!peak) return figures;
    const double maximum = points.y(static_cast<std::ptrdiff_t>(*peak));
    if (maximum < levels.fwhmThreshold) return figures;

    const double widthLevel = maximum + levels.fwhmPower;
    const double topLevel = maximum + levels.slopeTopLevel;
    const double bottomLevel = maximum + levels.slopeBottomLevel;
    const std::optional<double> xL = leftCrossing(points, *peak, widthLevel);
    const std::optional<double> xR = rightCrossing(points, *peak, widthLevel);
    std::optional<double> tL = leftCrossing(points, *peak, topLevel);
    std::optional<double> tR = rightCrossing(points, *peak, topLevel);
    std::optional<double> bL = leftCrossing(points, *peak, bottomLevel);
    std::optional<double> bR = rightCrossing(points, *peak, bottomLevel);

    if (xL && xR) {
        figures.width = *xR - *xL;
        figures.centre = *xL + *figures.width / 2.0;
    }
    const bool slopes = tL && tR && bL && bR;
    const double topMinusBottom = levels.slopeTopLevel - levels.slopeBottomLevel;
    if (slopes) {
        figures.leftSlope = slopeOver(topMinusBottom, *tL - *bL);
        figures.rightSlope = slopeOver(-topMinusBottom, *bR - *tR);
    }
    if (unit == SpectralUnit::Nm) return figures;

    if (figures.centre && *figures.centre != 0.0) {
        figures.width = *figures.width * terahertzNm / (*figures.centre * *figures.centre);
        figures.centre = terahertzNm / *figures.centre;
    }
    for (std::optional<double>* crossing : {&tL, &tR, &bL, &bR}) toTerahertz(*crossing);
    if (slopes) {
        // Frequency falls as the wavelength rises: the low-frequency flank,
        // drawn on the left, is the one that was on the right in nm.
        figures.leftSlope = slopeOver(topMinusBottom, *tR - *bR);
        figures.rightSlope = slopeOver(-topMinusBottom, *bL - *tL);
    }
    return figures;
}

CurveInformationTexts curveInformationTexts(const CurveFigures& figures, const CurveLevels& levels, SpectralUnit unit)
{
    const bool thz = unit == SpectralUnit::THz;
    const std::string levelsText =
        cformat("[%.2f, %.2f dB] :", levels.slopeTopLevel, levels.slopeBottomLevel);
    CurveInformationTexts texts;
    texts.centreCaption = "Central Wavelength :";
    texts.widthCaption = cformat("Spectral Width (%.2f dB) :", -levels.fwhmPower);
    texts.leftCaption = "Left Slope " + levelsText;
    texts.rightCaption = "Right Slope " + levelsText;
    const char* spectral = thz ? " Thz" : " nm";
    const char* slope = thz ? " dB/Thz" : " dB/nm";
    if (figures.centre && figures.width) {
        texts.centre = cformat("%.4f", *figures.centre) + spectral;
        texts.width = cformat("%.4f", *figures.width) + spectral;
    }
    if (figures.leftSlope && figures.rightSlope) {
        texts.leftSlope = cformat("%.2f", *figures.leftSlope) + slope;
        texts.rightSlope = cformat("%.2f", *figures.rightSlope) + slope;
    }
    return texts;
}

namespace {

// The slope over ten points of a flank, dB per nm; indexes before the first
// or past the last point are taken as that point.
double tenPointSlope(const CurvePoints& points, std::ptrdiff_t near, std::ptrdiff_t far)
{
    const auto last = static_cast<std::ptrdiff_t>(points.count()) - 1;
    far = std::clamp<std::ptrdiff_t>(far, 0, last);
    const double dx = points.x(far) - points.x(near);
    return (points.y(near) - points.y(far)) / (far > near ? dx : -dx);
}

}  // namespace

std::optional<PeakZoom> peakZoom(const CurvePoints& points, SpectralUnit unit)
{
    const std::optional<std::size_t> peak = curvePeak(points);
    if (!peak) return std::nullopt;
    const auto n = static_cast<std::ptrdiff_t>(points.count());
    const auto c = static_cast<std::ptrdiff_t>(*peak);
    const double maximum = points.y(c);
    const std::optional<std::size_t> leftIndex = leftCrossingIndex(points, *peak, maximum - 3.0);
    const std::optional<std::size_t> rightIndex = rightCrossingIndex(points, *peak, maximum - 3.0);
    if (!leftIndex || !rightIndex) return std::nullopt;
    const auto f = static_cast<std::ptrdiff_t>(*leftIndex);
    const auto i = static_cast<std::ptrdiff_t>(*rightIndex);

    // Walk outward while the flank still falls by 1 dB/nm or more over ten
    // points. A NaN slope (two points at one wavelength) keeps walking.
    std::ptrdiff_t g = f;
    while (g > 0 && !(tenPointSlope(points, g, g - 10) < 1.0)) --g;
    std::ptrdiff_t j = i;
    while (j < n && !(tenPointSlope(points, j, j + 10) < 1.0)) ++j;

    std::ptrdiff_t first = 0;
    std::ptrdiff_t last = 0;
    if (g > 0 && j < n) {
        first = std::max<std::ptrdiff_t>(0, g - 10 * (f - g));
        last = j + 10 * (j - i);
    } else {
        first = std::max<std::ptrdiff_t>(0, c - 8 * (i - f));
        last = c + 8 * (i - f);
    }
    if (last >= n) last = n - 1;

    double minimum = maximum;
    for (std::ptrdiff_t k = first; k < last; ++k) minimum = std::min(minimum, points.y(k));

    PeakZoom zoom;
    zoom.first = static_cast<std::size_t>(first);
    zoom.last = static_cast<std::size_t>(last);
    if (unit == SpectralUnit::Nm) {
        zoom.bottomMinimum = points.x(first);
        zoom.bottomMaximum = points.x(last);
    } else {
        zoom.bottomMinimum = terahertzNm / points.x(last);
        zoom.bottomMaximum = terahertzNm / points.x(first);
    }
    zoom.leftMinimum = minimum - 0.1 * (maximum - minimum);
    zoom.leftMaximum = maximum + 0.1 * (maximum - minimum);
    return zoom;
}
