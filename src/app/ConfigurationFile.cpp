#include "ConfigurationFile.h"

#include <tinyxml.h>

#include "About.h"
#include "Applicationconfig.h"
#include "AtomicFile.h"
#include "Log.h"
#include "TiXmlElementCustom.h"
#include "XmlNesting.h"

namespace ConfigurationFile {

namespace {

void writeAbout(TiXmlElement& root, const About& about)
{
    TiXmlElement* aboutElement = root.LinkEndChild(new TiXmlElement("About"))->ToElement();
    auto add = [aboutElement](const char* name) {
        return TiXmlElementCustom(aboutElement->LinkEndChild(new TiXmlElement(name))->ToElement());
    };
    add("Release").setText("Value", about.release);
    add("VEMAR_Type").setText("Value", about.fibreType);
    TiXmlElement* source = add("Source").element();
    for (int k = 0; k < 4; ++k) {
        TiXmlElementCustom tls(source->LinkEndChild(new TiXmlElement("TLS"))->ToElement());
        tls.setText("Name", std::to_string(k + 1));
        tls.setText("Available", about.tls[k]);
    }
    auto detectors = add("Detector_Array");
    for (int k = 0; k < 4; ++k) detectors.setText(("TLS" + std::to_string(k + 1)).c_str(), about.detectors[k]);
}

}  // namespace

TiXmlElement* writeFrame(TiXmlDocument& doc, const About& about, const ApplicationConfig& settings,
                         const ConfigurationSections& sections)
{
    TiXmlElement* root = TiXmlElementCustom::child(&doc, "VEMAR", true);
    writeAbout(*root, about);
    TiXmlElement* configuration = TiXmlElementCustom::child(root, "Configuration", true);
    TiXmlElement* sources = TiXmlElementCustom::child(configuration, "Sources", true);
    if (sections.sourcesWriter != nullptr) sections.sourcesWriter->writeSection(*sources);
    settings.writeApplication(*TiXmlElementCustom::child(configuration, "Application", true));
    TiXmlElement* passband = TiXmlElementCustom::child(configuration, "Passband", true);
    if (sections.passbandWriter != nullptr) sections.passbandWriter->writeSection(*passband);
    return root;
}

const TiXmlElement* findRoot(const TiXmlDocument& doc)
{
    if (const TiXmlElement* root = doc.FirstChildElement("VEMAR")) return root;
    return doc.FirstChildElement("RB5560");
}

void readFrame(const TiXmlDocument& doc, ApplicationConfig& settings, const ConfigurationSections& sections)
{
    const TiXmlElement* root = findRoot(doc);
    const TiXmlElement* configuration = TiXmlElementCustom::child(root, "Configuration");
    if (sections.sourcesReader != nullptr)
        sections.sourcesReader->readSection(TiXmlElementCustom::child(configuration, "Sources"));
    settings.readApplication(TiXmlElementCustom::child(configuration, "Application"));
    if (configuration != nullptr && sections.passbandReader != nullptr)
        sections.passbandReader->readSection(TiXmlElementCustom::child(configuration, "Passband"));
}

bool parseFile(const std::string& path, TiXmlDocument& doc)
{
    doc.Clear();
    // The parser recurses per nesting level: a hostile file could exhaust the stack.
    if (!xmlNestingWithin(path)) {
        Log::warn("Can't parse %s: elements nested too deeply\n", path.c_str());
        return false;
    }
    if (!doc.LoadFile(path.c_str())) {
        // A partly parsed tree of a damaged file must not be read.
        if (doc.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE)
            Log::warn("Can't parse %s: %s (line %d)\n", path.c_str(), doc.ErrorDesc(), doc.ErrorRow());
        doc.Clear();
        return false;
    }
    return true;
}

bool printFile(const std::string& path, const TiXmlDocument& doc)
{
    AtomicFileWriter writer(path);
    if (!writer.isOpen() || !doc.SaveFile(writer.stream())) return false;
    return writer.commit();
}

bool saveConfiguration(const std::string& path, const About& about, const ApplicationConfig& settings,
                       const ConfigurationSections& sections)
{
    TiXmlDocument doc(path.c_str());
    writeFrame(doc, about, settings, sections);
    const bool ok = printFile(path, doc);
    if (!ok) Log::warn("Can't write the configuration file %s\n", path.c_str());
    return ok;
}

void loadConfiguration(const std::string& path, ApplicationConfig& settings, const ConfigurationSections& sections)
{
    TiXmlDocument doc;
    parseFile(path, doc);
    readFrame(doc, settings, sections);
}

}  // namespace ConfigurationFile
