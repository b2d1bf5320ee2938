#pragma once

// The configuration file frame shared by "VEMAR.config.xml", any
// "*.config.xml" and the head of every scan file:
//
//   <VEMAR>                       (files of older releases: <RB5560>)
//     <About> Release, VEMAR_Type, Source, Detector_Array </About>
//     <Configuration> Sources, Application, Passband </Configuration>
//   </VEMAR>
//
// The Sources and Passband sections belong to other parts of the program;
// they plug in through ConfigurationSection.

#include <string>

class About;
class ApplicationConfig;
class TiXmlDocument;
class TiXmlElement;

class ConfigurationSection {
public:
    virtual ~ConfigurationSection() = default;
    // Fills the (empty or existing) section element.
    virtual void writeSection(TiXmlElement& element) const = 0;
    // Reads the section; element is nullptr when the file has none, which
    // must leave the section's state as it is.
    virtual void readSection(const TiXmlElement* element) = 0;
};

struct ConfigurationSections {
    const ConfigurationSection* sourcesWriter = nullptr;
    ConfigurationSection* sourcesReader = nullptr;
    const ConfigurationSection* passbandWriter = nullptr;
    ConfigurationSection* passbandReader = nullptr;

    // One object that both reads and writes a section.
    static ConfigurationSections of(ConfigurationSection* sources, ConfigurationSection* passband)
    {
        return {sources, sources, passband, passband};
    }
};

namespace ConfigurationFile {

inline constexpr const char* defaultFileName = "VEMAR.config.xml";

// Builds the frame in doc (root VEMAR, About, Configuration with its three
// sections) and returns the root, to which scan files append their own parts.
TiXmlElement* writeFrame(TiXmlDocument& doc, const About& about, const ApplicationConfig& settings,
                         const ConfigurationSections& sections);

// The root of a parsed file: the first VEMAR element, else the first RB5560.
const TiXmlElement* findRoot(const TiXmlDocument& doc);

// Reads the frame of a parsed document (an empty document reads as a file
// without any section).
void readFrame(const TiXmlDocument& doc, ApplicationConfig& settings, const ConfigurationSections& sections);

// Writes the whole file. The old file is replaced only by a complete new one;
// false when the file could not be written (the caller stays silent).
bool saveConfiguration(const std::string& path, const About& about, const ApplicationConfig& settings,
                       const ConfigurationSections& sections);

// Reads a file; a missing, unreadable or malformed file reads as an empty
// document and leaves everything as it was.
void loadConfiguration(const std::string& path, ApplicationConfig& settings,
                       const ConfigurationSections& sections);

// Reads the default configuration file ("VEMAR.config.xml"). A file that
// is there but cannot be read as one (empty, cut short, not XML, another
// root, nested too deep, too large) is moved aside to a name of its own
// (path + ".damaged", ".damaged.2" ...), so that the next save does not
// overwrite it, and the settings keep their values. Returns what the user
// must hear of it, empty when the file was read or missing (a first start).
std::string loadDefaultConfiguration(const std::string& path, ApplicationConfig& settings,
                                     const ConfigurationSections& sections);

// Parses a file into doc; false (and an empty doc) when it is missing, not a
// regular file (never opened then), malformed or nested deeper than any file
// of the program. why, when given, says which ("missing or not well-formed
// XML", "not a regular file (a directory)", "File name too long" ...).
bool parseFile(const std::string& path, TiXmlDocument& doc, std::string* why = nullptr);
// Prints doc in TinyXML's standard indented form into path, atomically.
bool printFile(const std::string& path, const TiXmlDocument& doc);

}  // namespace ConfigurationFile
