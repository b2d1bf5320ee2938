#include "ScanRequest.h"

#include <cctype>

#include "Applicationconfig.h"
#include "ExitCode.h"
#include "IdentityRecord.h"
#include "NumberFormat.h"
#include "OptionValues.h"
#include "Options.h"
#include "ScanSettingRules.h"
#include "Sourceconfig.h"

namespace {

// Band limits of the start and stop edits.
constexpr double lowestStartNm = ScanSettingRules::startMinimumNm;
constexpr double highestStopNm = ScanSettingRules::stopMaximumNm;

std::string lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

DetectorSelection parseDetectors(const std::string& text)
{
    DetectorSelection d;
    for (const std::string& item : splitList("detectors", text)) {
        const std::string name = lower(item);
        if (name == "1") continue;
        if (name == "2") d.detector2 = true;
        else if (name == "3") d.detector3 = true;
        else if (name == "4") d.detector4 = true;
        else if (name == "ext") d.ext = true;
        else if (name == "orl") d.orl = true;
        else throw UsageError("unknown detector '" + item + "' (1, 2, 3, 4, ext, orl)");
    }
    return d;
}

ScanFormats parseFormats(const std::string& text)
{
    ScanFormats f;
    for (const std::string& item : splitList("format", text)) {
        const std::string name = lower(item);
        if (name == "all") f = {true, true, true, true};
        else if (name == "xml") f.xml = true;
        else if (name == "csv") f.csv = true;
        else if (name == "txt") f.txt = true;
        else if (name == "png") f.png = true;
        else throw UsageError("unknown format '" + item + "' (xml, csv, txt, png, all)");
    }
    return f;
}

void checkRange(double start, double stop)
{
    if (ScanSettingRules::rangeTooShort(start, stop))
        throw UsageError(cformat("the scan range %.1f to %.1f nm must span at least 5 nm", start, stop));
}

}  // namespace

ScanRequest parseScanRequest(const ParsedOptions& options)
{
    ScanRequest r;
    if (const auto n = integerOption(options, "continuous", 1, 100000)) {
        r.continuous = true;
        r.scans = static_cast<int>(*n);
    }
    if (const auto s = integerOption(options, "delay", 0, 3600)) r.delaySeconds = static_cast<int>(*s);
    r.startNm = doubleOption(options, "start", lowestStartNm, highestStopNm);
    r.stopNm = doubleOption(options, "stop", lowestStartNm, highestStopNm);
    if (r.startNm && r.stopNm) checkRange(*r.startNm, *r.stopNm);
    if (const auto step = integerOption(options, "step", ScanSettingRules::samplingStepMinimumPm,
                                        ScanSettingRules::samplingStepMaximumPm))
        r.stepPm = static_cast<int>(*step);
    r.powerMw = doubleOption(options, "power", 0.001, 1000.0);
    if (const auto d = options.value("detectors")) r.detectors = parseDetectors(*d);
    r.outBase = options.value("out");
    if (r.outBase && r.outBase->empty()) throw UsageError("option '--out' needs a base name");
    if (const auto f = options.value("format")) {
        r.formats = parseFormats(*f);
        if (!r.outBase) throw UsageError("--format needs --out");
    } else if (r.outBase) {
        r.formats.xml = true;
    }
    r.analyse = options.has("analyse");
    return r;
}

void applyScanRequest(const ScanRequest& request, ApplicationConfig& settings, ConfLaser& sources)
{
    settings.measurementType = request.continuous ? 1 : 0;
    if (request.continuous) {
        settings.scanLimitEnabled = true;
        settings.scanLimit = request.scans;
    }
    if (request.delaySeconds) settings.scanDelay = *request.delaySeconds;
    if (request.outBase) settings.scanSaveEnabled = false;
    if (request.stepPm) settings.samplingStep = *request.stepPm;
    if (request.powerMw) sources.power = *request.powerMw;
    if (request.detectors) {
        auto& block = settings.scanParameters;
        block.enable2 = request.detectors->detector2 ? 1 : 0;
        block.enable3 = request.detectors->detector3 ? 1 : 0;
        block.enable4 = request.detectors->detector4 ? 1 : 0;
        block.enableExt = request.detectors->ext ? 1 : 0;
        block.enableOrl = request.detectors->orl ? 1 : 0;
    }

    const double start = request.startNm.value_or(sources.lambdaMin);
    const double stop = request.stopNm.value_or(sources.lambdaMax);
    const double low = sources.LowestLambdaMin();
    const double high = sources.HighestLambdaMax();
    switch (ScanSettingRules::scanRangeProblem(start, stop, low, high)) {
    case ScanSettingRules::RangeProblem::TooShort: checkRange(start, stop); break;
    case ScanSettingRules::RangeProblem::NoSource: {
        bool enabled = false;
        for (const SourceConfig& source : sources.sources) enabled = enabled || source.enable;
        if (!enabled) throw UsageError("no source is enabled in the settings");
        throw UsageError(cformat("the enabled sources cover no range (%.1f to %.1f nm)", low, high));
    }
    case ScanSettingRules::RangeProblem::OutsideSources:
        throw UsageError(cformat("the scan range %.1f to %.1f nm leaves the %.1f to %.1f nm the enabled sources cover",
                                 start, stop, low, high));
    case ScanSettingRules::RangeProblem::None: break;
    }
    // Stop first when the range moves up, so that start never passes stop.
    if (start >= sources.lambdaMax) {
        sources.SetScanStop(stop);
        sources.SetScanStart(start);
    } else {
        sources.SetScanStart(start);
        sources.SetScanStop(stop);
    }
}

void fitDetectorsToUnit(const ScanRequest& request, ApplicationConfig& settings, const IdentityRecord& identity)
{
    auto& block = settings.scanParameters;
    const int detectors = identity.detectors();
    std::uint8_t* flags[3] = {&block.enable2, &block.enable3, &block.enable4};
    while (const int k = ScanSettingRules::firstMissingDetector(block.enable2 != 0, block.enable3 != 0,
                                                                 block.enable4 != 0, detectors)) {
        if (request.detectors)
            throw UsageError(cformat("the unit has %d detector%s: detector %d can't be measured", detectors,
                                     detectors == 1 ? "" : "s", k));
        *flags[k - 2] = 0;
    }
}

std::string scanBaseName(const ScanRequest& request, int k)
{
    if (!request.outBase) return {};
    if (!request.continuous) return *request.outBase;
    const int digits = static_cast<int>(std::to_string(request.scans).size());
    return *request.outBase + cformat("_%0*d", digits, k);
}
