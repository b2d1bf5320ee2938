#include "PassbandSection.h"

#include <tinyxml.h>

#include "Passband.h"

void PassbandSection::writeSection(TiXmlElement& element) const
{
    // An element read from an earlier file would otherwise carry two sets.
    for (const char* name : {"Configuration", "Alarms"})
        while (TiXmlElement* old = element.FirstChildElement(name)) element.RemoveChild(old);
    passband_.saveConfiguration(element);
}

void PassbandSection::readSection(const TiXmlElement* element) { passband_.loadConfiguration(element); }
