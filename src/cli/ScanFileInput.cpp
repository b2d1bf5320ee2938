#include "ScanFileInput.h"

#include <tinyxml.h>

#include <cstdint>
#include <vector>

#include "Applicationconfig.h"
#include "CliSession.h"
#include "ConfLaserView.h"
#include "ConfigurationFile.h"
#include "ExitCode.h"
#include "NumberFormat.h"
#include "ScanFile.h"
#include "ScanSideFile.h"
#include "Scanmanager.h"
#include "TiXmlElementCustom.h"

namespace {

[[noreturn]] void damaged(const std::string& path, const std::string& why)
{
    throw CliError(ExitCode::FileError, "can't read the scan file " + path + ": " + why);
}

// The envelope values the curve elements announce (xRef, yMax, yMin of
// each min/max curve).
std::uint64_t announcedEnvelopeValues(const std::string& path, const TiXmlElement& scan)
{
    std::uint64_t values = 0;
    for (const TiXmlElement* e = scan.FirstChildElement("Curve"); e != nullptr; e = e->NextSiblingElement("Curve")) {
        const char* name = e->Attribute("Name");
        if (name == nullptr || *name == '\0') continue;
        const char* minMax = e->Attribute("IsMinMaxSerie");
        if (minMax == nullptr || std::string(minMax) != "True") continue;
        const char* count = e->Attribute("NbPoints");
        const std::optional<int> n = count != nullptr ? parseInt(count) : std::optional<int>(0);
        if (!n || *n < 0) damaged(path, std::string("curve ") + name + " has no valid point count");
        values += 3ull * static_cast<std::uint64_t>(*n);
    }
    return values;
}

}  // namespace

void checkScanFile(const std::string& path)
{
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(path, doc)) damaged(path, "missing or not well-formed XML");
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    if (root == nullptr) damaged(path, "no VEMAR root element");
    const TiXmlElement* scan = root->FirstChildElement("Scan");
    if (scan == nullptr) damaged(path, "no Scan element");
    if (scan->FirstChildElement("Curve") == nullptr) damaged(path, "no curve");

    const std::string sidePath = path + ".dat";
    ScanSideFileReader side(sidePath);
    if (!side.isOpen()) damaged(path, "its side file " + sidePath + " is missing");
    // Reference wavelengths, deviations, wavelengths, velocities, six channels.
    std::vector<double> block;
    std::size_t samples = 0;
    for (int k = 0; k < 10; ++k) {
        if (!side.readBlock(block)) damaged(path, "its side file is truncated or damaged");
        if (k == 2) samples = block.size();
        // Every per-sample block holds one value per sample, or none.
        if (k >= 3 && !block.empty() && block.size() != samples)
            damaged(path, cformat("side file block %d holds %zu values for %zu samples", k + 1, block.size(), samples));
    }
    if (samples == 0) damaged(path, "the scan holds no samples");
    const std::uint64_t envelopes = announcedEnvelopeValues(path, *scan);
    if (side.remaining() != envelopes * sizeof(double))
        damaged(path, cformat("its side file holds %llu bytes of envelopes where the curves describe %llu",
                              static_cast<unsigned long long>(side.remaining()),
                              static_cast<unsigned long long>(envelopes * sizeof(double))));
}

ScanTrace& loadScanFile(CliSession& session, const std::string& path, bool withPassband)
{
    checkScanFile(path);
    ConfigurationSections sections = session.sections();
    if (!withPassband) sections.passbandReader = nullptr;
    // The scan's settings were its station's: a folder of theirs missing here is no news.
    struct Quiet {
        ApplicationConfig& settings;
        bool was;
        ~Quiet() { settings.announceFallbacks = was; }
    } quiet{session.settings(), session.settings().announceFallbacks};
    session.settings().announceFallbacks = false;
    const int status = loadFromChartPage(path, session.scans(), session.settings(), sections, &session.liveView());
    if (status != 0) damaged(path, "the format is invalid");
    return session.scans().Current();
}
