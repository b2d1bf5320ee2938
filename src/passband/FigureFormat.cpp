#include "FigureFormat.h"

#include <cmath>

#include "NumberFormat.h"
#include "Passband_Value.h"

std::string formatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) return cformat("%f", value);
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i) scale *= 10.0;
    // A float times a power of ten up to 1000 is exact in double, so the
    // rounding sees the value itself.
    const double scaled = std::round(value * scale);
    std::string digits = cformat("%.0f", std::fabs(scaled));
    if (decimals > 0) {
        if (digits.size() <= static_cast<std::size_t>(decimals))
            digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, '.');
    }
    return scaled < 0.0 ? "-" + digits : digits;
}

std::string formatFigure(float value, int decimals)
{
    if (value == noneMarker) return "--";
    return formatFixed(value, decimals);
}
