// The Sources section of configuration and scan files:
//
//   <Sources>
//     <Common Power Lambda_Min Lambda_Max/>
//     <Source Name Enable Address Lambda_Min Lambda_Max Speed Type
//             [Power_On Power_Off Power WaveLength CmdSpeed]/>   x4
//   </Sources>
//
// The template attributes are written for the generic IEEE 488.2 type only,
// whose commands the user edits.

#include <array>
#include <string>
#include <utility>

#include <tinyxml.h>

#include "Applicationconfig.h"
#include "Log.h"
#include "NumberFormat.h"
#include "SourceTypes.h"
#include "Sourceconfig.h"
#include "TiXmlElementCustom.h"

namespace {

// A Source element is written through the typed attribute helpers.
using TiXmlElementConfig = TiXmlElementCustom;

constexpr std::array<std::pair<tCommand, const char*>, 5> templateAttributes{{
    {CMD_POWER_ON, "Power_On"},
    {CMD_POWER_OFF, "Power_Off"},
    {CMD_POWER, "Power"},
    {CMD_WAVELENGTH, "WaveLength"},
    {CMD_SPEED, "CmdSpeed"},
}};

// Values a file holds that no source can take are refused where they are
// read: the record keeps what it held, and the user hears of it.
constexpr double largestWavelengthNm = 2000.0;
constexpr int smallestSpeed = 1;    // nm/s
constexpr int largestSpeed = 200;   // nm/s

void refuse(const std::string& element, const char* attribute, const char* text, const std::string& range,
            const std::string& kept)
{
    announceSetting(element + " " + attribute + " \"" + text + "\" is not " + range + ": " + kept + " kept");
}

// A wavelength pair read only when both are finite, within the chart's
// 0 to 2000 nm and in order; otherwise both keep their values.
void readRange(const TiXmlElement& element, const std::string& name, double& low, double& high, double lowDefault,
               double highDefault)
{
    const TiXmlElementCustom view(const_cast<TiXmlElement*>(&element));
    double newLow = low;
    double newHigh = high;
    view.readDouble("Lambda_Min", newLow, lowDefault);
    view.readDouble("Lambda_Max", newHigh, highDefault);
    for (const auto& [attribute, value] : {std::pair{"Lambda_Min", newLow}, std::pair{"Lambda_Max", newHigh}}) {
        if (!(value >= 0.0 && value <= largestWavelengthNm)) {
            const char* text = element.Attribute(attribute);
            refuse(name, attribute, text != nullptr ? text : "", "a wavelength of 0 to 2000 nm",
                   cformat("the range %g to %g nm", low, high));
            return;
        }
    }
    if (newLow > newHigh) {
        announceSetting(cformat("%s Lambda_Min %g lies above its Lambda_Max %g: the range %g to %g nm kept",
                                name.c_str(), newLow, newHigh, low, high));
        return;
    }
    low = newLow;
    high = newHigh;
}

}  // namespace

void SourceConfig::Save(TiXmlElement& sourcesNode) const
{
    TiXmlElementConfig source(sourcesNode.LinkEndChild(new TiXmlElement("Source"))->ToElement());
    source.setText("Name", name);
    source.setBool("Enable", enable);
    source.setInt("Address", address);
    source.setDouble("Lambda_Min", lambdaMin);
    source.setDouble("Lambda_Max", lambdaMax);
    source.setInt("Speed", speed);
    source.setKeyword("Type", type, SourceTypes::configurationNames());
    if (type == SourceTypes::Manual && laser) {
        for (const auto& [key, attribute] : templateAttributes)
            if (const Command* command = laser->GetCommand(key)) source.setText(attribute, command->GetText());
    }
}

void SourceConfig::ReadAddress(const TiXmlElement& element, const std::string& recordName, std::int32_t& address)
{
    int value = address;
    TiXmlElementConfig(const_cast<TiXmlElement*>(&element)).readInt("Address", value, 1);
    // The library would take an address outside the bus as an index into its
    // own tables (linux-gpib crashes on it): such a file keeps the record's.
    if (!C_GPIBDevice::IsValidPrimaryAddress(value)) {
        Log::warn("Sources: %s Address \"%s\" is outside %d to %d; the address %d is kept\n", recordName.c_str(),
                  element.Attribute("Address"), C_GPIBDevice::lowestPrimaryAddress,
                  C_GPIBDevice::highestPrimaryAddress, static_cast<int>(address));
        return;
    }
    address = value;
}

const TiXmlElement* SourceConfig::readFields(const TiXmlElement& sourcesNode)
{
    const TiXmlElement* element = TiXmlElementCustom::childWithAttribute(&sourcesNode, "Source", "Name", name);
    if (element == nullptr) return nullptr;
    const TiXmlElementConfig source(const_cast<TiXmlElement*>(element));
    enable = source.getBool("Enable", false);
    ReadAddress(*element, name, address);
    readRange(*element, "Source " + name, lambdaMin, lambdaMax, 1240.0, 1680.0);
    int newSpeed = speed;
    source.readInt("Speed", newSpeed, 100);
    if (newSpeed >= smallestSpeed && newSpeed <= largestSpeed)
        speed = newSpeed;
    else
        refuse("Source " + name, "Speed", element->Attribute("Speed"), "a speed of 1 to 200 nm/s",
               "the speed " + std::to_string(speed) + " nm/s");
    const char* typeName = element->Attribute("Type");
    type = typeName != nullptr ? SourceTypes::codeOfConfigurationName(typeName) : SourceTypes::Manual;
    return element;
}

void SourceConfig::readTemplates(const TiXmlElement& element)
{
    if (!laser) return;
    for (const auto& [key, attribute] : templateAttributes) {
        Command* command = laser->GetCommand(key);
        if (command == nullptr) continue;
        const char* text = element.Attribute(attribute);
        if (text != nullptr && command->SetText(text)) continue;
        // Missing, too long or not fitting its values: the template's own text.
        if (text != nullptr)
            Log::warn("Sources: %s %s \"%s\" refused; default \"%s\" used\n", name.c_str(), attribute, text,
                      command->GetDefaultText());
        command->SetText(command->GetDefaultText());
    }
}

void SourceConfig::Load(const TiXmlElement& sourcesNode)
{
    const TiXmlElement* element = readFields(sourcesNode);
    if (element == nullptr) return;
    AlignDriver();
    readTemplates(*element);
}

void ConfLaser::Save(TiXmlElement& node) const
{
    TiXmlElementCustom common(node.LinkEndChild(new TiXmlElement("Common"))->ToElement());
    common.setDouble("Power", power);
    common.setDouble("Lambda_Min", lambdaMin);
    common.setDouble("Lambda_Max", lambdaMax);
    for (const SourceConfig& source : sources) source.Save(node);
}

void ConfLaser::Load(const TiXmlElement* node)
{
    if (node == nullptr) {
        sources[0].enable = true;
        return;
    }
    if (const TiXmlElement* element = TiXmlElementCustom::child(node, "Common")) {
        const TiXmlElementCustom common(const_cast<TiXmlElement*>(element));
        double newPower = power;
        common.readDouble("Power", newPower, 1.0);
        if (newPower >= 0.001 && newPower <= 1000.0)
            power = newPower;
        else
            refuse("Common", "Power", element->Attribute("Power"), "a power of 0.001 to 1000 mW",
                   cformat("the power %g mW", power));
        readRange(*element, "Common", lambdaMin, lambdaMax, 1310.0, 1610.0);
    }
    std::array<const TiXmlElement*, sourceCount> elements{};
    for (std::size_t i = 0; i < sources.size(); ++i) elements[i] = sources[i].readFields(*node);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (elements[i] == nullptr) continue;
        sources[i].AlignDriver();
        sources[i].readTemplates(*elements[i]);
    }
}
