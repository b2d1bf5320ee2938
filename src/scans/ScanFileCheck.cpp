#include "ScanFileCheck.h"

#include <tinyxml.h>

#include <cmath>
#include <optional>
#include <vector>

#include "ConfigurationFile.h"
#include "NumberFormat.h"
#include "ScanFilePair.h"
#include "ScanFileRelease.h"
#include "ScanSideFile.h"
#include "TiXmlElementCustom.h"

namespace {

std::string quoted(const char* text) { return "\"" + std::string(text) + "\""; }

// A required number attribute within [low, high]; the problem, or empty.
std::string numberProblem(const TiXmlElement* element, const std::string& elementName, const char* attribute,
                          double low, double high, const char* what, double* value)
{
    if (element == nullptr) return elementName + " is missing";
    const char* text = element->Attribute(attribute);
    if (text == nullptr) return elementName + " has no " + attribute;
    const std::optional<double> parsed = parseDouble(text);
    if (!parsed || !std::isfinite(*parsed) || *parsed < low || *parsed > high)
        return cformat("%s %s %s is not %s of %g to %g", elementName.c_str(), attribute, quoted(text).c_str(), what,
                       low, high);
    if (value != nullptr) *value = *parsed;
    return {};
}

std::string rangeProblem(const TiXmlElement* element, const std::string& elementName)
{
    double low = 0.0, high = 0.0;
    for (const auto& [attribute, target] : {std::pair{"Lambda_Min", &low}, std::pair{"Lambda_Max", &high}})
        if (std::string p = numberProblem(element, elementName, attribute, 0.0, largestWavelengthNm, "a wavelength",
                                          target);
            !p.empty())
            return p;
    if (low > high)
        return cformat("%s Lambda_Min %g lies above its Lambda_Max %g", elementName.c_str(), low, high);
    return {};
}

std::string samplingStepProblem(const TiXmlElement& root)
{
    const TiXmlElement* application =
        TiXmlElementCustom::child(TiXmlElementCustom::child(&root, "Configuration"), "Application");
    const TiXmlElement* step = TiXmlElementCustom::child(application, "Sampling_Step");
    if (step == nullptr) return "Sampling_Step is missing";
    const char* text = step->Attribute("Value");
    if (text == nullptr) return "Sampling_Step has no Value";
    const std::optional<int> value = parseInt(text);
    const bool exponent = storesStepExponent(root);
    const int low = exponent ? 0 : smallestSamplingStepPm;
    const int high = exponent ? 7 : largestSamplingStepPm;
    // The whole text must be the number: "1e9" is not a step of 1 pm.
    const std::optional<double> asDouble = parseDouble(text);
    if (!value || !asDouble || *asDouble != *value || *value < low || *value > high)
        return cformat("Sampling_Step Value %s is not %s of %d to %d", quoted(text).c_str(),
                       exponent ? "an exponent" : "a sampling step in pm", low, high);
    return {};
}

std::string sourcesProblem(const TiXmlElement& root)
{
    const TiXmlElement* sources = TiXmlElementCustom::child(TiXmlElementCustom::child(&root, "Configuration"), "Sources");
    if (sources == nullptr) return "Sources is missing";
    const TiXmlElement* common = TiXmlElementCustom::child(sources, "Common");
    if (std::string p = rangeProblem(common, "Common"); !p.empty()) return p;
    if (std::string p = numberProblem(common, "Common", "Power", smallestPowerMw, largestPowerMw, "a power in mW",
                                      nullptr);
        !p.empty())
        return p;
    for (const TiXmlElement* e = sources->FirstChildElement("Source"); e != nullptr; e = e->NextSiblingElement("Source")) {
        const char* name = e->Attribute("Name");
        const std::string elementName = "Source " + std::string(name != nullptr ? name : "(no name)");
        if (std::string p = rangeProblem(e, elementName); !p.empty()) return p;
    }
    return {};
}

std::string scanProblem(const TiXmlElement& root)
{
    const TiXmlElement* scan = root.FirstChildElement("Scan");
    if (scan == nullptr) return "no Scan element";
    if (scan->FirstChildElement("Curve") == nullptr) return "no curve";
    if (const TiXmlElement* lines = scan->FirstChildElement("Line_detection")) {
        const char* data = lines->Attribute("Data");
        for (const double line : TiXmlElementCustom::parseDoubleList(data != nullptr ? data : ""))
            if (!std::isfinite(line)) return "Line_detection Data holds a value that is not a finite number";
    }
    int index = 0;
    for (const TiXmlElement* e = scan->FirstChildElement("Curve"); e != nullptr; e = e->NextSiblingElement("Curve")) {
        ++index;
        const char* name = e->Attribute("Name");
        // A curve without a name cannot be told which input it shows: the
        // loader would drop it and give empty results for a damaged file.
        if (name == nullptr || *name == '\0') return cformat("Curve element %d has no Name", index);
        for (const char* attribute : {"NbPoints", "NbScan"}) {
            const char* text = e->Attribute(attribute);
            if (text == nullptr) continue;  // both default to 0
            const std::optional<int> n = parseInt(text);
            if (!n || *n < 0)
                return "Curve " + std::string(name) + " " + attribute + " " + quoted(text) + " is not a count";
        }
    }
    return {};
}

// The envelope values the curve elements announce (xRef, yMax, yMin of
// each min/max curve).
std::uint64_t announcedEnvelopeValues(const TiXmlElement& scan)
{
    std::uint64_t values = 0;
    for (const TiXmlElement* e = scan.FirstChildElement("Curve"); e != nullptr; e = e->NextSiblingElement("Curve")) {
        const char* name = e->Attribute("Name");
        if (name == nullptr || *name == '\0') continue;
        const char* minMax = e->Attribute("IsMinMaxSerie");
        if (minMax == nullptr || std::string(minMax) != "True") continue;
        const char* count = e->Attribute("NbPoints");
        const std::optional<int> n = count != nullptr ? parseInt(count) : std::optional<int>(0);
        values += 3ull * static_cast<std::uint64_t>(n ? *n : 0);
    }
    return values;
}

// The blocks are stepped over, not read: their values are checked by the load.
std::string sideFileProblem(const std::string& path, const TiXmlElement& scan)
{
    const std::string sidePath = path + ".dat";
    ScanSideFileReader side(sidePath);
    if (!side.isOpen()) return "its side file " + sidePath + " can't be read: " + side.openProblem();
    std::size_t samples = 0;
    for (int k = 0; k < 10; ++k) {
        std::size_t count = 0;
        if (!side.skipBlock(count)) return "its side file is truncated or damaged";
        if (k == 2) samples = count;
        // Every per-sample block holds one value per sample, or none.
        if (k >= 3 && count != 0 && count != samples)
            return cformat("side file block %d holds %zu values for %zu samples", k + 1, count, samples);
    }
    if (samples == 0) return "the scan holds no samples";
    const std::uint64_t envelopes = announcedEnvelopeValues(scan);
    if (side.remaining() != envelopes * sizeof(double))
        return cformat("its side file holds %llu bytes of envelopes where the curves describe %llu",
                       static_cast<unsigned long long>(side.remaining()),
                       static_cast<unsigned long long>(envelopes * sizeof(double)));
    return {};
}

}  // namespace

std::string scanFileValueProblem(const TiXmlElement& root)
{
    if (std::string p = samplingStepProblem(root); !p.empty()) return p;
    if (std::string p = sourcesProblem(root); !p.empty()) return p;
    return scanProblem(root);
}

std::string scanFileProblem(const std::string& path)
{
    TiXmlDocument doc;
    std::string why;
    if (!ConfigurationFile::parseFile(path, doc, &why)) return why;
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    if (root == nullptr) return "no VEMAR root element";
    const TiXmlElement* scan = root->FirstChildElement("Scan");
    if (scan == nullptr) return "no Scan element";
    if (scan->FirstChildElement("Curve") == nullptr) return "no curve";
    if (std::string p = scanFileValueProblem(*root); !p.empty()) return p;
    // Before the side file's own structure: a side file of another save
    // would otherwise be described by what does not match in it.
    if (std::string p = sideFilePairProblem(*scan, path + ".dat"); !p.empty()) return p;
    return sideFileProblem(path, *scan);
}
