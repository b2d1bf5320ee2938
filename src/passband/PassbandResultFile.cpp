// The "*.passband.xml" result file: the parameters, then every trace's
// latest, minimum and maximum records and its duplicate flags.

#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <map>
#include <string_view>

#include "NumberFormat.h"
#include "Passband.h"
#include "TiXmlElementCustom.h"

namespace {

constexpr const char* recordMaps[] = {"Current", "min", "max"};

void writeRecords(TiXmlElement& trace, const char* name, const Passband_Values::Records& records)
{
    if (records.empty()) return;
    auto* element = new TiXmlElement(name);
    element->SetAttribute("size", cformat("%d", static_cast<int>(records.size())));
    int i = 0;
    for (const auto& [channel, record] : records) {
        auto* position = new TiXmlElement(cformat("position%d", i++));
        position->SetAttribute("channel", cformat("%d", channel));
        for (std::size_t k = 0; k < Passband_Value::figureCount; ++k)
            position->SetAttribute(cformat("value%d", static_cast<int>(k)),
                                   cformat("%f", static_cast<double>(record.values[k])));
        element->LinkEndChild(position);
    }
    trace.LinkEndChild(element);
}

void writeFlags(TiXmlElement& trace, const std::map<int, bool>& flags)
{
    if (flags.empty()) return;
    auto* element = new TiXmlElement("error");
    element->SetAttribute("size", cformat("%d", static_cast<int>(flags.size())));
    int i = 0;
    for (const auto& [channel, flag] : flags) {
        auto* position = new TiXmlElement(cformat("position%d", i++));
        position->SetAttribute("channel", cformat("%d", channel));
        position->SetAttribute("value", flag ? "True" : "False");
        element->LinkEndChild(position);
    }
    trace.LinkEndChild(element);
}

int readInt(const TiXmlElement& element, const char* name, int defaultValue)
{
    int value = defaultValue;
    TiXmlElementCustom(const_cast<TiXmlElement*>(&element)).readInt(name, value, defaultValue);
    return value;
}

// A figure as stored; a text that is not a number gives the none marker,
// values beyond single precision are clipped to its range.
float readFigure(const TiXmlElement& element, const char* name)
{
    double value = noneMarker;
    TiXmlElementCustom(const_cast<TiXmlElement*>(&element)).readDouble(name, value, noneMarker);
    if (std::isnan(value)) return noneMarker;
    constexpr double limit = std::numeric_limits<float>::max();
    return static_cast<float>(value > limit ? limit : value < -limit ? -limit : value);
}

// The children prefix0 ... prefix(size-1) in index order, the first of each
// index only. Found in one pass over the children actually present, so a
// huge "size" in a damaged file costs nothing.
std::map<int, const TiXmlElement*> indexedChildren(const TiXmlElement& parent, std::string_view prefix, int size)
{
    std::map<int, const TiXmlElement*> found;
    for (const TiXmlElement* child = parent.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const std::string_view name = child->Value();
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view digits = name.substr(prefix.size());
        // Exactly the text "prefix" + "%d" of the index: no sign, no leading zero.
        if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) continue;
        long long index = 0;
        bool numeric = true;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                numeric = false;
                break;
            }
            index = index * 10 + (c - '0');
        }
        if (numeric && index < size) found.try_emplace(static_cast<int>(index), child);
    }
    return found;
}

std::unique_ptr<Passband_Values> readTrace(const TiXmlElement& trace)
{
    auto values = std::make_unique<Passband_Values>();
    for (int map = 0; map < 3; ++map) {
        const TiXmlElement* element = trace.FirstChildElement(recordMaps[map]);
        if (element == nullptr) continue;
        for (const auto& [i, position] : indexedChildren(*element, "position", readInt(*element, "size", 0))) {
            const int channel = readInt(*position, "channel", -1);
            if (channel == -1) continue;
            Passband_Value record;
            for (std::size_t k = 0; k < Passband_Value::figureCount; ++k)
                record.values[k] = readFigure(*position, cformat("value%d", static_cast<int>(k)).c_str());
            if (map == 0) values->setCurrent(channel, record);
            if (map == 1) values->setMin(channel, record);
            if (map == 2) values->setMax(channel, record);
        }
    }
    if (const TiXmlElement* element = trace.FirstChildElement("error")) {
        for (const auto& [i, position] : indexedChildren(*element, "position", readInt(*element, "size", 0))) {
            const int channel = readInt(*position, "channel", -1);
            if (channel == -1) continue;
            const char* text = position->Attribute("value");
            values->setDuplicate(channel, text != nullptr && std::string_view(text) == "True");
        }
    }
    return values;
}

}  // namespace

void Passband::save(TiXmlElement& parent) const
{
    saveConfiguration(parent);
    auto* traces = new TiXmlElement("traces");
    traces->SetAttribute("size", cformat("%d", static_cast<int>(results_.traces().size())));
    int n = 0;
    for (const auto& [name, values] : results_.traces()) {
        auto* trace = new TiXmlElement(cformat("trace%d", n++));
        trace->SetAttribute("name", name);
        writeRecords(*trace, recordMaps[0], values->current());
        writeRecords(*trace, recordMaps[1], values->min());
        writeRecords(*trace, recordMaps[2], values->max());
        writeFlags(*trace, values->duplicateFlags());
        traces->LinkEndChild(trace);
    }
    parent.LinkEndChild(traces);
}

void Passband::load(const TiXmlElement& parent)
{
    loadConfiguration(&parent);
    results_.clear();
    if (const TiXmlElement* traces = parent.FirstChildElement("traces")) {
        for (const auto& [n, trace] : indexedChildren(*traces, "trace", readInt(*traces, "size", 0))) {
            const char* name = trace->Attribute("name");
            if (name == nullptr || *name == '\0') continue;
            results_.replace(name, readTrace(*trace));
        }
    }
    results_.setChanged();
    results_.notifyAll();
}
