// The ".scan.xml" file of a trace: the configuration frame written by the
// configuration file, a "Scan" element with the detected lines and one
// "Curve" per curve, and the binary side file with the arrays.

#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "ConfigurationFile.h"
#include "Log.h"
#include "NumberFormat.h"
#include "ScanFilePair.h"
#include "ScanFileRelease.h"
#include "ScanSideFile.h"
#include "ScanTrace.h"
#include "TiXmlDynamicArrayDouble.h"
#include "TiXmlElementCustom.h"
#include "UserMessages.h"

namespace {

bool failWith(std::string* error, std::string text)
{
    Log::error("%s\n", text.c_str());
    if (error != nullptr) *error = std::move(text);
    return false;
}

std::string sideFileName(const std::string& fileName) { return fileName + ".dat"; }

TiXmlElement* writableRoot(TiXmlDocument& doc)
{
    if (TiXmlElement* root = doc.FirstChildElement("VEMAR")) return root;
    return doc.FirstChildElement("RB5560");
}

// The five channel-independent blocks and the six channel blocks, in file order.
template <typename Result>
auto sideFileBlocks(Result& result)
{
    return std::array{&result.referenceWavelengths, &result.referenceDeviations, &result.wavelength,
                      &result.velocity,             &result.values[0],          &result.values[1],
                      &result.values[2],            &result.values[3],          &result.values[4],
                      &result.values[5]};
}

// Fills the "Scan" element and writes the side file. A "Scan" part already
// in the file is replaced: appending to it would pair its old curves with
// the new side file.
bool writeScanPart(TiXmlElement& root, const ScanTrace& trace, AtomicFileWriter& side)
{
    TiXmlElement* scan = TiXmlElementCustom::child(&root, "Scan", true);
    scan->Clear();
    const ScanRes& result = trace.result();
    auto* lines = scan->LinkEndChild(new TiXmlElement("Line_detection"))->ToElement();
    TiXmlDynamicArrayDouble::write(*lines, result.lines);

    ScanSideFileWriter writer(side);
    bool ok = true;
    for (const std::vector<double>* block : sideFileBlocks(result)) ok = ok && writer.writeBlock(*block);

    for (int i = 0; i < trace.CurveCount(); ++i) {
        const ScanCurve& curve = *trace.CurveAt(i);
        const ScanData& data = curve.data();
        TiXmlElementCustom element(scan->LinkEndChild(new TiXmlElement("Curve"))->ToElement());
        element.setText("Name", curve.name());
        element.setInt("NbPoints", data.count());
        element.setInt("NbScan", data.nbScan());
        element.setBool("IsMinMaxSerie", curve.hasEnvelopes());
        if (curve.hasEnvelopes()) {
            const auto n = static_cast<std::size_t>(data.count());
            ok = ok && writer.writeValues(data.xRef().first(n)) && writer.writeValues(data.yMax().first(n))
                 && writer.writeValues(data.yMin().first(n));
        }
    }
    recordSideFile(*scan, side.bytesWritten(), side.crc32());
    return ok;
}

// The sampling step the scan was resampled with, pm. Files of releases
// before 3.6.0 hold a power-of-two exponent. A file without a readable
// release is read as stored, like every file this program writes.
int samplingStepOf(const TiXmlElement& root)
{
    constexpr int defaultStep = 1;
    const TiXmlElement* configuration = TiXmlElementCustom::child(&root, "Configuration");
    const TiXmlElement* application = TiXmlElementCustom::child(configuration, "Application");
    const TiXmlElement* element = TiXmlElementCustom::child(application, "Sampling_Step");
    const char* value = element != nullptr ? element->Attribute("Value") : nullptr;
    if (value == nullptr) return defaultStep;
    const std::optional<int> stored = parseInt(value);
    if (!stored) {
        Log::warn("Sampling_Step \"%s\" is not a number: %d pm\n", value, defaultStep);
        return defaultStep;
    }

    if (!storesStepExponent(root)) return *stored;
    // Old releases offered 1 to 128 pm.
    if (*stored < 0 || *stored > 7) {
        Log::warn("Sampling_Step exponent %d out of range: %d pm\n", *stored, defaultStep);
        return defaultStep;
    }
    return 1 << *stored;
}

// Curve elements with a name, in file order.
template <typename F>
void forEachNamedCurve(const TiXmlElement* scan, F&& f)
{
    if (scan == nullptr) return;
    for (const TiXmlElement* e = scan->FirstChildElement("Curve"); e != nullptr; e = e->NextSiblingElement("Curve")) {
        const char* name = e->Attribute("Name");
        if (name != nullptr && *name != '\0') f(*e, std::string(name));
    }
}

// What a "Curve" element says of its points and envelopes.
struct CurveEntry {
    std::string name;
    int nbPoints = 0;
    int nbScan = 0;
    bool minMax = false;
    bool countValid = true;  // NbPoints missing (0) or a number not below 0
};

std::vector<CurveEntry> readCurveEntries(const TiXmlElement* scan)
{
    std::vector<CurveEntry> entries;
    forEachNamedCurve(scan, [&entries](const TiXmlElement& element, const std::string& name) {
        const TiXmlElementCustom view(const_cast<TiXmlElement*>(&element));
        CurveEntry entry;
        entry.name = name;
        if (const char* text = element.Attribute("NbPoints")) {
            const std::optional<int> n = parseInt(text);
            entry.countValid = n && *n >= 0;
            entry.nbPoints = entry.countValid ? *n : 0;
        }
        view.readInt("NbScan", entry.nbScan, 0);
        entry.minMax = view.getBool("IsMinMaxSerie", false);
        entries.push_back(std::move(entry));
    });
    return entries;
}

// The envelopes follow the channel blocks without counts, so their place in
// the side file is only known when the curve elements and the side file
// agree. More data than the curves account for means they do not (a curve
// lost its min/max flag or its count): no envelope can then be placed. Less
// data is a truncated file: the envelopes before the cut still load.
void checkEnvelopeSpace(const std::vector<CurveEntry>& entries, ScanSideFileReader& side)
{
    std::uint64_t values = 0;
    for (const CurveEntry& entry : entries) {
        if (!entry.minMax) continue;
        if (!entry.countValid) return;
        values += 3ull * static_cast<std::uint64_t>(entry.nbPoints);
    }
    if (side.isOpen() && !side.damaged() && side.remaining() > values * sizeof(double)) {
        Log::warn("The side file holds %llu bytes of envelopes where the curves describe %llu: none is loaded\n",
                  static_cast<unsigned long long>(side.remaining()),
                  static_cast<unsigned long long>(values * sizeof(double)));
        side.markDamaged();
    }
}

// One curve's counts and, for a min/max curve, its envelopes. A count the
// side file does not back (negative, absurd, truncated file) loads the curve
// without envelopes instead of allocating or reading what is not there.
// Side-file blocks by their number, for the reports.
constexpr const char* blockNames[] = {"reference wavelengths", "reference deviations", "sample wavelengths",
                                      "sweep velocities",      "output",               "detector 1",
                                      "detector 2",            "detector 3",           "detector 4",
                                      "Ext"};

void noteNonFinite(ScanLoadReport* report, const ScanSideFileReader& side, const std::string& where)
{
    if (report == nullptr || !report->nonFinite.empty() || side.firstNonFinite() == ScanSideFileReader::npos) return;
    report->nonFinite = cformat("%s holds a value that is not a finite number (value %zu)", where.c_str(),
                                side.firstNonFinite() + 1);
}

void readCurve(ScanTrace& trace, const CurveEntry& entry, ScanSideFileReader& side, ScanLoadReport* report)
{
    bool minMax = entry.minMax;
    const int nbPoints = entry.nbPoints;
    if (minMax && (!entry.countValid || !side.backs(3ull * static_cast<std::uint64_t>(nbPoints)))) {
        if (side.isOpen() && !side.damaged())
            Log::warn("Curve %s: envelopes of %d points not in the side file (%llu bytes left)\n", entry.name.c_str(),
                      nbPoints, static_cast<unsigned long long>(side.remaining()));
        // The envelopes of later curves would be read from the wrong place.
        side.markDamaged();
        minMax = false;
    }

    ScanCurve& curve = *trace.AddCurve(entry.name, minMax);
    ScanData& data = curve.data();
    data.setNbScan(entry.nbScan);
    if (minMax) {
        // Straight from the file into the envelope arrays.
        const bool read = data.fillEnvelopes(nbPoints, [&](std::span<double> xRef, std::span<double> yMax,
                                                           std::span<double> yMin) {
            const std::string where = "the envelopes of curve " + entry.name;
            for (const std::span<double> array : {xRef, yMax, yMin}) {
                if (!side.readValues(array)) return false;
                noteNonFinite(report, side, where);
            }
            return true;
        });
        if (!read) curve.setEnvelopes(false);
    }
    // The points themselves come from BuildTrace, which sets the count.
    const int channel = ScanChannel::fromCurveName(entry.name);
    if (channel != ScanChannel::Output) trace.result().present[static_cast<std::size_t>(channel)] = true;
}

}  // namespace

bool ScanTrace::SaveXml(const std::string& fileName, std::string* error) const
{
    TiXmlDocument doc;
    if (!ConfigurationFile::parseFile(fileName, doc))
        return failWith(error, "Can't save the scan: " + fileName + " holds no configuration to add it to");
    return SaveXml(fileName, doc, error);
}

bool ScanTrace::SaveXml(const std::string& fileName, TiXmlDocument& document, std::string* error) const
{
    TiXmlElement* root = writableRoot(document);
    if (root == nullptr) return failWith(error, "Can't save the scan: the document has no VEMAR root");

    AtomicFileWriter side(sideFileName(fileName));
    AtomicFileWriter xml(fileName);
    if (!side.isOpen() || !xml.isOpen()) return failWith(error, "Can't create " + fileName + ": " + lastWriteFailure());
    bool ok = writeScanPart(*root, *this, side) && document.SaveFile(xml.stream());
    // Both files are written out before either replaces anything, so a full
    // disk fails the save while the previous pair still stands.
    ok = ok && std::fflush(side.stream()) == 0 && std::fflush(xml.stream()) == 0;
    ok = ok && side.commit() && xml.commit();
    if (!ok) return failWith(error, "Can't write " + fileName + " and its side file: " + lastWriteFailure());
    return true;
}

int ScanTrace::LoadXml(const std::string& fileName, ConfigurationSection* sources, bool extReferenced,
                       ScanLoadReport* report)
{
    TiXmlDocument doc;
    ConfigurationFile::parseFile(fileName, doc);
    const TiXmlElement* root = ConfigurationFile::findRoot(doc);
    if (root == nullptr) return -2;
    ScanSideFileReader side(sideFileName(fileName));
    if (!side.isOpen()) Log::warn("No side file for %s: the scan has no points\n", fileName.c_str());
    // The new values on the old grid would be a wrong scan: nothing is read.
    if (const TiXmlElement* saved = TiXmlElementCustom::child(root, "Scan"); saved != nullptr && side.isOpen()) {
        if (std::string problem = sideFilePairProblem(*saved, sideFileName(fileName)); !problem.empty()) {
            Log::error("%s: %s\n", fileName.c_str(), problem.c_str());
            if (report != nullptr) report->pairMismatch = std::move(problem);
            return -3;
        }
    }

    const TiXmlElement* configuration = TiXmlElementCustom::child(root, "Configuration");
    if (sources != nullptr) sources->readSection(TiXmlElementCustom::child(configuration, "Sources"));
    CopyConfiguration();
    UpdateCoverage();

    result_ = ScanRes{};
    const TiXmlElement* scan = TiXmlElementCustom::child(root, "Scan");
    const TiXmlElement* lines = TiXmlElementCustom::child(scan, "Line_detection");
    if (lines == nullptr)
        UserMessages::show(UserMessages::Severity::Error, "Load error", "Can't load line detection values");
    else
        result_.lines = TiXmlDynamicArrayDouble::read(lines);

    const std::vector<CurveEntry> curves = readCurveEntries(scan);
    for (const CurveEntry& curve : curves) AddCurve(curve.name, false);

    int number = 0;
    for (std::vector<double>* block : sideFileBlocks(result_)) {
        side.readBlock(*block);
        noteNonFinite(report, side, cformat("side file block %d (%s)", number + 1, blockNames[number]));
        ++number;
    }
    result_.present[ScanChannel::Output] = true;

    checkEnvelopeSpace(curves, side);
    for (const CurveEntry& curve : curves) readCurve(*this, curve, side, report);
    if (side.damaged())
        Log::warn("The side file of %s is damaged: what follows the damage is not loaded\n", fileName.c_str());

    const int step = samplingStepOf(*root);
    double start = 0.0;
    double stop = 0.0;
    if (liveConfiguration_ != nullptr) {
        start = liveConfiguration_->scanStart();
        stop = liveConfiguration_->scanStop();
    } else if (!result_.wavelength.empty()) {
        // Without a source configuration the scan's own range is the best guess.
        start = result_.wavelength.front();
        stop = result_.wavelength.back();
    }
    // The chart ends at 2000 nm: a wider range in a damaged file would only
    // build a grid of hundreds of megabytes that nothing in the file backs.
    constexpr double chartLimitNm = 2000.0;
    result_.Resample(std::clamp(start, 0.0, chartLimitNm), std::clamp(stop, 0.0, chartLimitNm), step);
    BuildTrace(false, extReferenced, false);
    return 0;
}
