#include "ConfigurationFile.h"

#include <tinyxml.h>

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "About.h"
#include "Applicationconfig.h"
#include "AtomicFile.h"
#include "RegularFile.h"
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

bool parseFile(const std::string& path, TiXmlDocument& doc, std::string* why)
{
    doc.Clear();
    auto fail = [why](std::string text) {
        if (why != nullptr) *why = std::move(text);
        return false;
    };
    int error = 0;
    std::string problem;
    std::uint64_t size = 0;
    const FileHandle file = openRegularFile(path, &problem, &size, &error);
    if (!file) return fail(error == ENOENT ? std::string("missing or not well-formed XML") : problem);
    // The parser holds the whole file in memory; no file of the program
    // comes near this size.
    constexpr std::uint64_t largestFileBytes = 64ull << 20;
    if (size > largestFileBytes) return fail("too large for a file of this program (" + std::to_string(size) + " bytes)");
    // The parser recurses per nesting level: a hostile file could exhaust the stack.
    if (!xmlNestingWithin(file.get())) {
        Log::warn("Can't parse %s: elements nested too deeply\n", path.c_str());
        return fail("its elements nest more than " + std::to_string(maxXmlNesting) + " deep");
    }
    std::rewind(file.get());
    if (!doc.LoadFile(file.get())) {
        // A partly parsed tree of a damaged file must not be read.
        Log::warn("Can't parse %s: %s (line %d)\n", path.c_str(), doc.ErrorDesc(), doc.ErrorRow());
        doc.Clear();
        return fail("missing or not well-formed XML");
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

namespace {

// Moves path aside without replacing anything; the new name, or empty.
std::string moveAside(const std::string& path)
{
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + ".damaged" + (n == 1 ? std::string() : "." + std::to_string(n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return aside;
        if (errno != EEXIST) break;
    }
    return {};
}

}  // namespace

std::string loadDefaultConfiguration(const std::string& path, ApplicationConfig& settings,
                                     const ConfigurationSections& sections)
{
    TiXmlDocument doc;
    std::string why;
    int error = 0;
    const std::string problem = regularFileProblem(path, &error);
    const bool usable = problem.empty() && parseFile(path, doc, &why) && findRoot(doc) != nullptr;
    if (problem.empty() && why.empty() && !usable) why = "no VEMAR root element";
    if (!usable) doc.Clear();
    // Read as an empty file when it can't be used: what stays, stays.
    readFrame(doc, settings, sections);
    if (usable || error == ENOENT) return {};  // read, or a first start
    if (!problem.empty())
        return "the configuration file " + path + " can't be read (" + problem + "): the settings are the defaults";
    const std::string aside = moveAside(path);
    if (aside.empty())
        return "the configuration file " + path + " is damaged (" + why + ") and could not be moved aside (" +
               std::strerror(errno) + "): the settings are the defaults";
    return "the configuration file " + path + " is damaged (" + why + "): it is kept as " + aside +
           " and the settings are the defaults";
}

void loadConfiguration(const std::string& path, ApplicationConfig& settings, const ConfigurationSections& sections)
{
    TiXmlDocument doc;
    parseFile(path, doc);
    readFrame(doc, settings, sections);
}

}  // namespace ConfigurationFile
