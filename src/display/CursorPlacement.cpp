#include "CursorPlacement.h"

#include <cmath>
#include <optional>
#include <utility>

#include "NumberFormat.h"

namespace {

CursorPositions thirds(const ChartRanges& axes)
{
    const AxisRange& x = axes.bottom;
    const AxisRange& y = axes.left;
    return {x.minimum + x.span() / 3.0, x.minimum + 2.0 * x.span() / 3.0, y.minimum + y.span() / 3.0,
            y.minimum + 2.0 * y.span() / 3.0};
}

std::optional<CursorPositions> onPeak(const CurvePoints& points, const CurveLevels& levels, SpectralUnit unit,
                                      const ChartRanges& axes)
{
    const std::optional<std::size_t> peak = curvePeak(points);
    if (!peak) return std::nullopt;
    const double maximum = points.y(static_cast<std::ptrdiff_t>(*peak));
    if (!(maximum >= levels.fwhmThreshold)) return std::nullopt;
    const double level = maximum + levels.fwhmPower;
    std::optional<double> left = leftCrossing(points, *peak, level);
    std::optional<double> right = rightCrossing(points, *peak, level);
    if (!left || !right) return std::nullopt;
    double x1 = *left;
    double x2 = *right;
    if (unit == SpectralUnit::THz) {
        if (x1 == 0.0 || x2 == 0.0) return std::nullopt;
        x1 = terahertzNm / *right;
        x2 = terahertzNm / *left;
    }
    if (!axes.bottom.contains(x1) || !axes.bottom.contains(x2)) return std::nullopt;
    if (!axes.left.contains(maximum) || !axes.left.contains(maximum - 3.0)) return std::nullopt;
    return CursorPositions{x1, x2, maximum, maximum - 3.0};
}

}  // namespace

CursorPositions resetCursorPositions(const CurvePoints* points, const CurveLevels& levels, SpectralUnit unit,
                                     const ChartRanges& axes)
{
    if (points != nullptr) {
        if (const std::optional<CursorPositions> positions = onPeak(*points, levels, unit, axes)) return *positions;
    }
    return thirds(axes);
}

std::string cursorValueText(double value) { return cformat("%.3f", value); }

std::string verticalCursorsDifferenceText(double x1, double x2) { return cformat("%.3f", std::fabs(x2 - x1)); }

std::string horizontalCursorsDifferenceText(double y1, double y2) { return cformat("%.2f", std::fabs(y2 - y1)); }
