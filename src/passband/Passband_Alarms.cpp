#include "Passband_Alarms.h"

#include <tinyxml.h>

#include <cmath>

#include "NumberFormat.h"
#include "Passband_Value.h"
#include "PropertyAttributes.h"

Passband_Alarms::Passband_Alarms(float spacing)
    : ChannelCentration(static_cast<float>(0.2 * spacing), 0.0f),
      minBandwidth1(1.0f, 1.0f),
      maxBandwidth1(2.0f * spacing, 0.0f),
      minBandwidth2(1.0f, 1.0f),
      maxBandwidth2(2.0f * spacing, 0.0f),
      minBandwidth3(1.0f, 1.0f),
      maxBandwidth3(2.0f * spacing, 0.0f),
      maxIL(5.0f),
      ripple(0.5f),
      adjacent(40.0f),
      noAdjacent(50.0f)
{
}

const std::array<Passband_Alarms::Entry, 11> Passband_Alarms::table = {{
    {"ChannelCentration", &Passband_Alarms::ChannelCentration},
    {"minBandwidth1", &Passband_Alarms::minBandwidth1},
    {"maxBandwidth1", &Passband_Alarms::maxBandwidth1},
    {"minBandwidth2", &Passband_Alarms::minBandwidth2},
    {"maxBandwidth2", &Passband_Alarms::maxBandwidth2},
    {"minBandwidth3", &Passband_Alarms::minBandwidth3},
    {"maxBandwidth3", &Passband_Alarms::maxBandwidth3},
    {"maxIL", &Passband_Alarms::maxIL},
    {"ripple", &Passband_Alarms::ripple},
    {"adjacent", &Passband_Alarms::adjacent},
    {"noAdjacent", &Passband_Alarms::noAdjacent},
}};

void Passband_Alarms::lockAll()
{
    for (const Entry& e : table) (this->*e.limit).setLocked(true);
}

void Passband_Alarms::unlockAll()
{
    for (const Entry& e : table) (this->*e.limit).setLocked(false);
}

void Passband_Alarms::save(TiXmlElement& parent) const
{
    auto* element = new TiXmlElement("Alarms");
    for (const Entry& e : table)
        element->SetAttribute(e.attribute, cformat("%f", static_cast<double>((this->*e.limit).value())));
    parent.LinkEndChild(element);
}

void Passband_Alarms::load(const TiXmlElement& parent)
{
    const TiXmlElement* element = parent.FirstChildElement("Alarms");
    if (element == nullptr) return;
    for (const Entry& e : table) {
        Editable<float>& limit = this->*e.limit;
        limit.setValue(readFloatAttribute(*element, e.attribute, limit));
    }
}

bool Passband_Alarms::inAlarm(std::size_t figure, float value) const
{
    if (figure == Passband_Value::Central || figure >= Passband_Value::PeakLevel) return false;
    if (value == noneMarker) return true;
    switch (figure) {
    case Passband_Value::CentreAccuracy: return value >= std::fabs(ChannelCentration.value());
    case Passband_Value::Bandwidth1: return value <= minBandwidth1.value() || value >= maxBandwidth1.value();
    case Passband_Value::Bandwidth2: return value <= minBandwidth2.value() || value >= maxBandwidth2.value();
    case Passband_Value::Bandwidth3: return value <= minBandwidth3.value() || value >= maxBandwidth3.value();
    case Passband_Value::MaxInsertionLoss: return value <= 0.0f || value >= maxIL.value();
    case Passband_Value::Ripple: return value >= ripple.value();
    case Passband_Value::Adjacent: return value <= adjacent.value();
    case Passband_Value::NonAdjacent: return value <= noAdjacent.value();
    default: return false;
    }
}
