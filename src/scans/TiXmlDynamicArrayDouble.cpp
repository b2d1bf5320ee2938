#include "TiXmlDynamicArrayDouble.h"

#include <tinyxml.h>

#include "TiXmlElementCustom.h"

void TiXmlDynamicArrayDouble::write(TiXmlElement& element, std::span<const double> values)
{
    element.SetAttribute(attribute, TiXmlElementCustom::formatDoubleList(values));
}

std::vector<double> TiXmlDynamicArrayDouble::read(const TiXmlElement* element)
{
    const char* text = element != nullptr ? element->Attribute(attribute) : nullptr;
    if (text == nullptr) return {};
    return TiXmlElementCustom::parseDoubleList(text);
}
