// The analysis parameters and alarm limits in a passband section of a
// configuration file or at the head of a result file.

#include <tinyxml.h>

#include "NumberFormat.h"
#include "Passband.h"
#include "PropertyAttributes.h"

namespace {

void setFloat(TiXmlElement& element, const char* name, float value)
{
    element.SetAttribute(name, cformat("%f", static_cast<double>(value)));
}

}  // namespace

void Passband::saveConfiguration(TiXmlElement& parent) const
{
    auto* configuration = new TiXmlElement("Configuration");
    setFloat(*configuration, "Threshold", threshold.value());
    configuration->SetAttribute("Grid", cformat("%d", static_cast<int>(grid.gridType.value())));
    setFloat(*configuration, "Bandwidth1", bandwidth1.value());
    setFloat(*configuration, "Bandwidth2", bandwidth2.value());
    setFloat(*configuration, "Bandwidth3", bandwidth3.value());
    setFloat(*configuration, "OWR", owr.value());
    parent.LinkEndChild(configuration);
    alarms.save(parent);
}

void Passband::loadConfiguration(const TiXmlElement* parent)
{
    if (parent == nullptr) return;
    const TiXmlElement* configuration = parent->FirstChildElement("Configuration");
    if (configuration == nullptr) return;
    // One value at a time: each accepted change clears and re-analyses.
    threshold.setValue(readFloatAttribute(*configuration, "Threshold", threshold));
    grid.gridType.setValue(readGridAttribute(*configuration, "Grid", grid.gridType));
    bandwidth1.setValue(readFloatAttribute(*configuration, "Bandwidth1", bandwidth1));
    bandwidth2.setValue(readFloatAttribute(*configuration, "Bandwidth2", bandwidth2));
    bandwidth3.setValue(readFloatAttribute(*configuration, "Bandwidth3", bandwidth3));
    owr.setValue(readFloatAttribute(*configuration, "OWR", owr));
    alarms.load(*parent);
    analyse();
}
