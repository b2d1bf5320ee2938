#pragma once

// Reading a property's value from an XML attribute of a passband section:
// a missing attribute gives the property's default; a text that is not a
// finite number (or does not fit the property's type) keeps the value the
// property holds, so a damaged file cannot slip arbitrary values in.

#include "Editable.h"
#include "GridType.h"

class TiXmlElement;

float readFloatAttribute(const TiXmlElement& element, const char* name, const Readable<float>& property);
// A type outside the five grids falls back to the first grid (logged).
GridType readGridAttribute(const TiXmlElement& element, const char* name, const Readable<GridType>& property);
