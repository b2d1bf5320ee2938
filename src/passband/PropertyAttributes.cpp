#include "PropertyAttributes.h"

#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <string>

#include "Log.h"
#include "TiXmlElementCustom.h"
#include "UserMessages.h"

float readFloatAttribute(const TiXmlElement& element, const char* name, const Readable<float>& property)
{
    const TiXmlElementCustom typed(const_cast<TiXmlElement*>(&element));
    const double held = property.value();
    double value = held;
    typed.readDouble(name, value, property.defaultValue());
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return property.value();
    return static_cast<float>(value);
}

GridType readGridAttribute(const TiXmlElement& element, const char* name, const Readable<GridType>& property)
{
    const TiXmlElementCustom typed(const_cast<TiXmlElement*>(&element));
    int value = static_cast<int>(property.value());
    typed.readInt(name, value, static_cast<int>(property.defaultValue()));
    if (!isKnownGridType(value)) {
        const std::string text =
            std::string(name) + " " + std::to_string(value) + " is no grid type (0 to 4): " + gridTypeTexts[0] + " used";
        Log::warn("Passband grid type %d unknown, %s used instead\n", value, gridTypeTexts[0]);
        UserMessages::show(UserMessages::Severity::Warning, "Passband", text);
        return GridType::Itu100GHz;
    }
    return static_cast<GridType>(value);
}
