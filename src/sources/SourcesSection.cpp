#include "SourcesSection.h"

#include "Sourceconfig.h"

SourcesSection::SourcesSection() : conf_(ConfLaser::live()) {}

void SourcesSection::writeSection(TiXmlElement& element) const { conf_.Save(element); }

void SourcesSection::readSection(const TiXmlElement* element) { conf_.Load(element); }
