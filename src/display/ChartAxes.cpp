#include "ChartAxes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "NumberFormat.h"
#include "ScanTrace.h"

const char* bottomAxisTitle(SpectralUnit unit)
{
    return unit == SpectralUnit::THz ? "Frequency (THz)" : "Wavelength (nm)";
}

const char* displayUnitCaption(SpectralUnit unit) { return unit == SpectralUnit::THz ? "=>nm" : "=>THz"; }

double voltAxisValue(double leftValue) { return (leftValue + 70.0) * 0.04; }

AxisRange voltAxisRange(AxisRange left) { return {voltAxisValue(left.minimum), voltAxisValue(left.maximum)}; }

std::string voltAxisLabel(double volts)
{
    std::string text = cformat("%.4f", volts);
    if (text.size() > 1 && text.back() == '0') text.pop_back();
    if (text == "-0.000") text = "0.000";
    return text;
}

AxisRange scanRangeAxis(double startNm, double stopNm, SpectralUnit unit)
{
    if (unit == SpectralUnit::THz) return {terahertzNm / stopNm, terahertzNm / startNm};
    return {startNm, stopNm};
}

ChartRanges resetRanges(double startNm, double stopNm, SpectralUnit unit)
{
    return {scanRangeAxis(startNm, stopNm, unit), resetLeftRange};
}

double shiftIncrement(double axisUnitsPerPixel)
{
    double v = axisUnitsPerPixel;
    double increment = 1.0;
    while (0.0 < v && v < 1.0) {
        v *= 10.0;
        increment /= 10.0;
    }
    return increment;
}

ZoomDecision decideZoom(const ChartRanges& zoomed, const ChartRanges& saved)
{
    ZoomDecision decision;
    decision.saved = saved;
    decision.shown = zoomed;
    // "not above": a span that is not a number is refused too.
    if (!(zoomed.bottom.span() > zoomLimit)) {
        decision.bottomRefused = true;
        decision.shown = saved;
    } else {
        decision.bottomIncrementFollows = true;
        decision.saved.bottom = zoomed.bottom;
    }
    if (!(decision.shown.left.span() > zoomLimit)) {
        decision.leftRefused = true;
        decision.shown.left = saved.left;
    } else {
        decision.leftIncrementFollows = true;
        decision.saved.left = decision.shown.left;
    }
    return decision;
}

std::optional<AxisRange> zoomAround(AxisRange range, double anchor, double factor)
{
    const AxisRange zoomed{anchor + (range.minimum - anchor) * factor, anchor + (range.maximum - anchor) * factor};
    if (!std::isfinite(zoomed.minimum) || !std::isfinite(zoomed.maximum) || !(zoomed.span() > zoomLimit))
        return std::nullopt;
    return zoomed;
}

AxisRange pictureScanRange(const ScanTrace& trace)
{
    double low = 0.0;
    double high = 0.0;
    if (const SourceConfigurationView* sources = trace.configuration()) {
        low = sources->scanStart();
        high = sources->scanStop();
    }
    if (high > low) return {low, high};
    low = std::numeric_limits<double>::max();
    high = std::numeric_limits<double>::lowest();
    for (int i = 0; i < trace.CurveCount(); ++i) {
        const ScanData& data = trace.CurveAt(i)->data();
        if (data.count() == 0) continue;
        low = std::min(low, data.X(0));
        high = std::max(high, data.X(data.count() - 1));
    }
    if (high > low) return {low, high};
    return {1240.0, 1680.0};
}
