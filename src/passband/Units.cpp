#include "Units.h"

#include <stdexcept>

namespace Unit {

const char* name(int unit)
{
    switch (unit) {
    case THz: return "THz";
    case GHz: return "GHz";
    case Nm: return "nm";
    default: return "";
    }
}

std::string bracketed(int unit)
{
    const std::string text = name(unit);
    return text.empty() ? text : "(" + text + ")";
}

}  // namespace Unit

long double convertUnit(float value, int from, int to)
{
    const long double c = speedOfLight;
    const long double v = value;
    // 1000 is a single-precision constant and 0.001 an extended one; they fix
    // the last bit of every converted figure, so keep them as they are. The
    // value is a float, so value x 1000 is a single-precision product,
    // rounded to float before the extended-precision division.
    const float thousandFloat = 1000.0f;
    const long double thousand = thousandFloat;
    const long double product = static_cast<float>(value * thousandFloat);
    const long double milli = 0.001L;
    const bool knownTarget = to == Unit::THz || to == Unit::GHz || to == Unit::Nm;
    switch (from) {
    case Unit::THz:
        if (!knownTarget) break;
        if (to == Unit::THz) return v;
        if (to == Unit::GHz) return product;
        return c / product;
    case Unit::GHz:
        if (!knownTarget) break;
        if (to == Unit::THz) return v * milli;
        if (to == Unit::GHz) return v;
        return c / v;
    case Unit::Nm:
        if (!knownTarget) break;
        if (to == Unit::THz) return c / product;
        if (to == Unit::GHz) return (c / product) * thousand;
        return v;
    default:
        throw std::invalid_argument("Unit base unkown");
    }
    throw std::invalid_argument("Wanted unit unkown");
}
