// The analysis parameters and alarm limits in a passband section of a
// configuration file or at the head of a result file.

#include <tinyxml.h>

#include <algorithm>
#include <string>

#include "Grid.h"
#include "Log.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "PassbandLimits.h"
#include "PropertyAttributes.h"
#include "UserMessages.h"

namespace {

void setFloat(TiXmlElement& element, const char* name, float value)
{
    element.SetAttribute(name, cformat("%f", static_cast<double>(value)));
}

// A value the panel's edit box (or the option) would refuse is refused from
// a file too: the property keeps its value, and the user is told which
// value was replaced.
float withinBounds(const TiXmlElement& element, const char* name, const Readable<float>& property, float low,
                   float high)
{
    const float value = readFloatAttribute(element, name, property);
    if (value >= low && value <= high) return value;
    const std::string text = cformat("%s %g lies outside %g to %g: %g kept", name, static_cast<double>(value),
                                     static_cast<double>(low), static_cast<double>(high),
                                     static_cast<double>(property.value()));
    Log::warn("Passband: %s\n", text.c_str());
    UserMessages::show(UserMessages::Severity::Warning, "Passband", text);
    return property.value();
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
    using namespace PassbandLimits;
    threshold.setValue(withinBounds(*configuration, "Threshold", threshold, lowestThreshold, highestThreshold));
    grid.gridType.setValue(readGridAttribute(*configuration, "Grid", grid.gridType));
    bandwidth1.setValue(
        withinBounds(*configuration, "Bandwidth1", bandwidth1, lowestBandwidthLevel, highestBandwidthLevel));
    bandwidth2.setValue(
        withinBounds(*configuration, "Bandwidth2", bandwidth2, lowestBandwidthLevel, highestBandwidthLevel));
    bandwidth3.setValue(
        withinBounds(*configuration, "Bandwidth3", bandwidth3, lowestBandwidthLevel, highestBandwidthLevel));
    // Half the spacing of the grid now chosen at most, as the edit box allows.
    const Grid* chosen = currentGrid();
    const float widest = chosen != nullptr ? std::min(highestOwr, chosen->spacing() * 0.5f) : highestOwr;
    owr.setValue(withinBounds(*configuration, "OWR", owr, lowestOwr, widest));
    alarms.load(*parent);
    analyse();
}
