#pragma once

// The array text of a scan file's "Line_detection" element, held in its
// "Data" attribute: "%d " with the count, then "%.3f " per value. Reading
// takes each value in single precision and widens it; a missing attribute,
// a missing element or a damaged text gives what can be read (at most the
// count, never more than the text holds).

#include <span>
#include <vector>

class TiXmlElement;

class TiXmlDynamicArrayDouble {
public:
    static constexpr const char* attribute = "Data";

    static void write(TiXmlElement& element, std::span<const double> values);
    static std::vector<double> read(const TiXmlElement* element);
};
