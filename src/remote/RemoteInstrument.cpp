#include "RemoteInstrument.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>

#include "Applicationconfig.h"
#include "ContinuousScanSaving.h"
#include "NumberFormat.h"
#include "Passband.h"
#include "ScanFile.h"
#include "ScanSettingRules.h"
#include "ScanTextHeaders.h"
#include "ScanTrace.h"
#include "ScpiFormat.h"
#include "Sourceconfig.h"

namespace {

namespace Rules = ScanSettingRules;

OwnerReply failed(int code, const std::string& detail = {})
{
    OwnerReply reply;
    reply.errors.push_back(ScpiError::make(code, detail));
    return reply;
}

OwnerReply done() { return {}; }

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A field of the *IDN? answer: no commas (they separate the fields) and
// nothing but printable text, whatever the unit's identity holds.
std::string identityField(const std::string& text)
{
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (c == ',' || u < 0x20 || u > 0x7E) ? ' ' : c;
    }
    return out;
}

// One line of a message box text.
std::string folded(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string detectorList(const ScanParameterBlock& block)
{
    std::string list = "1";
    if (block.enable2 != 0) list += ",2";
    if (block.enable3 != 0) list += ",3";
    if (block.enable4 != 0) list += ",4";
    if (block.enableExt != 0) list += ",EXT";
    if (block.enableOrl != 0) list += ",ORL";
    return list;
}

// The number a setting takes; none (with the error in *error) otherwise.
std::optional<double> settingNumber(const ScpiParameter& parameter, ScpiError* error)
{
    const std::optional<double> value = numberOf(parameter);
    if (!value) *error = ScpiError::make(ScpiCode::dataTypeError, "a number is expected");
    return value;
}

std::string range(double low, double high) { return cformat("%.1f to %.1f", low, high); }

// The file a name given to MMEMory:STORe:SCAN asks for.
enum class StoredForm { ScanFile, Csv, Txt, Picture };

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

StoredForm storedForm(const std::string& name)
{
    const std::string lower = [&] {
        std::string l = name;
        for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return l;
    }();
    if (endsWith(lower, ".csv")) return StoredForm::Csv;
    if (endsWith(lower, ".txt")) return StoredForm::Txt;
    if (endsWith(lower, ".png") || endsWith(lower, ".bmp")) return StoredForm::Picture;
    return StoredForm::ScanFile;
}

// A name that stays a plain file in the Data folder: no folder part, no
// way up, nothing hidden, not too long. Empty when it may be used.
std::string badStoreName(const std::string& name)
{
    if (name.empty()) return "the name is empty";
    if (name.size() > 200) return "the name is longer than 200 characters";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return "the name may not hold a path separator";
    if (name.find("..") != std::string::npos) return "the name may not hold \"..\"";
    if (name.front() == '.' || name.front() == '-' || name.front() == ' ')
        return "the name may not begin with '.', '-' or a blank";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|')
            return "the name holds a character a file name may not";
    }
    return {};
}

}  // namespace

RemoteInstrument::RemoteInstrument(RemoteInstrumentSetup setup) : setup_(std::move(setup))
{
    working_.identification = identification(setup_.about);
    refreshPassband();
    publish();
}

RemoteInstrument::~RemoteInstrument()
{
    // Nothing the thread still has to say may reach this object once gone.
    if (running()) {
        setup_.measurement.abort();
        setup_.passband.unlockParameters();
    }
}

std::string RemoteInstrument::identification(const About& about)
{
    return std::string(maker) + "," + model + " " + identityField(about.fibreType) + "," +
           identityField(about.serialNumber) + "," + identityField(about.release);
}

InstrumentStatePtr RemoteInstrument::state() const
{
    std::lock_guard lock(publishedMutex_);
    return published_;
}

void RemoteInstrument::submit(OwnerRequest request, OwnerDone done)
{
    setup_.post([this, request = std::move(request), done = std::move(done)]() mutable { execute(request, done); });
}

void RemoteInstrument::log(const std::string& text) const
{
    if (setup_.log) setup_.log(text);
}

void RemoteInstrument::publish()
{
    const MeasurementSession& measurement = setup_.measurement;
    const ApplicationConfig& settings = measurement.settings();
    ConfLaser& sources = setup_.measurement.sources();
    working_.startNm = sources.lambdaMin;
    working_.stopNm = sources.lambdaMax;
    working_.stepPm = settings.samplingStep;
    working_.powerMw = sources.power;
    working_.detectors = detectorList(settings.scanParameters);
    working_.unlimited = settings.measurementType == 1 && !settings.scanLimitEnabled;
    working_.scanCount = settings.measurementType == 1 && settings.scanLimitEnabled ? settings.scanLimit : 1;
    auto state = std::make_shared<const InstrumentState>(working_);
    std::lock_guard lock(publishedMutex_);
    published_ = std::move(state);
}

void RemoteInstrument::refreshPassband()
{
    if (setup_.passbandDocument) working_.passbandDocument = setup_.passbandDocument(setup_.passband);
}

void RemoteInstrument::addEvent(ScpiError error)
{
    working_.events.push_back({working_.eventsEnd++, std::move(error)});
    if (working_.events.size() > eventsKept) working_.events.erase(working_.events.begin());
}

// ---------------------------------------------------------------------------
// Requests

void RemoteInstrument::execute(const OwnerRequest& request, OwnerDone& doneCall)
{
    OwnerReply reply;
    try {
        switch (request.id) {
        case CommandId::OperationComplete:
        case CommandId::Wait:
            if (running()) {
                completionWaiters_.emplace_back(request.id == CommandId::OperationComplete, std::move(doneCall));
                return;
            }
            if (request.id == CommandId::OperationComplete) reply.answer = "1";
            break;
        case CommandId::Initiate: reply = initiate(); break;
        case CommandId::Abort: reply = abort(); break;
        case CommandId::Reset: reply = reset(); break;
        case CommandId::StoreScan: reply = storeScan(request.parameters); break;
        default: reply = changeSetting(request); break;
        }
    } catch (const std::exception& e) {
        // A failure of the program's own (a file, memory) ends this command
        // only; the server and the measurement go on.
        reply = failed(ScpiCode::executionError, e.what());
    }
    publish();
    doneCall(std::move(reply));
}

OwnerReply RemoteInstrument::initiate()
{
    if (shuttingDown_) return failed(ScpiCode::initIgnored, "the server is shutting down");
    if (running()) return failed(ScpiCode::initIgnored, "a measurement is running");
    MeasurementSession& measurement = setup_.measurement;
    ScanParameterBlock& block = measurement.settings().scanParameters;
    // The window unchecks the boxes of the detectors the unit lacks.
    const int unitDetectors = measurement.identity().detectors();
    std::uint8_t* flags[3] = {&block.enable2, &block.enable3, &block.enable4};
    while (const int k =
               Rules::firstMissingDetector(block.enable2 != 0, block.enable3 != 0, block.enable4 != 0, unitDetectors))
        *flags[k - 2] = 0;
    try {
        measurement.start(*this, setup_.post);
    } catch (const MeasurementRefused& refused) {
        switch (refused.reason()) {
        case MeasurementRefused::Reason::Running: return failed(ScpiCode::initIgnored, refused.what());
        case MeasurementRefused::Reason::NoSourceInRange: return failed(ScpiCode::settingsConflict, refused.what());
        case MeasurementRefused::Reason::Calibration:
        case MeasurementRefused::Reason::ExtCorrection: return failed(ScpiCode::executionError, refused.what());
        }
    }
    // What the window's passband page does when a measurement starts.
    setup_.passband.lockParameters();
    setup_.passband.clearResults();
    refreshPassband();
    working_.phase = MeasurementPhase::Running;
    working_.statusSeverity = 0;
    working_.statusText.clear();
    working_.lastScan.reset();
    working_.curves.clear();
    log("vemar-cli: measurement started");
    return done();
}

OwnerReply RemoteInstrument::abort()
{
    if (!running()) return done();
    delayEnds_.reset();
    if (working_.phase == MeasurementPhase::Waiting) working_.phase = MeasurementPhase::Running;
    setup_.measurement.stop();
    log("vemar-cli: stop requested");
    return done();
}

void RemoteInstrument::shutdown()
{
    shuttingDown_ = true;
    if (running()) abort();
}

OwnerReply RemoteInstrument::reset()
{
    if (running()) return failed(ScpiCode::settingsConflict, "a measurement is running");
    if (setup_.reloadSettings) setup_.reloadSettings();
    refreshPassband();
    log("vemar-cli: settings read again from the configuration file");
    return done();
}

OwnerReply RemoteInstrument::storeScan(const std::vector<ScpiParameter>& parameters)
{
    const ScpiParameter& parameter = parameters.front();
    if (parameter.kind != ScpiParameter::Kind::String)
        return failed(ScpiCode::dataTypeError, "the name is a quoted string");
    if (running()) return failed(ScpiCode::settingsConflict, "a measurement is running");
    const ScanTrace* trace = setup_.measurement.lastScan();
    if (trace == nullptr || !working_.lastScan) return failed(ScpiCode::dataStale, "no scan to save");
    const std::string& name = parameter.text;
    if (const std::string why = badStoreName(name); !why.empty()) return failed(ScpiCode::fileNameError, why);

    const ApplicationConfig& settings = setup_.measurement.settings();
    if (!createFolderTree(settings.dataFolder))
        return failed(ScpiCode::massStorageError, "can't create the Data folder " + settings.dataFolder);
    const std::string base = settings.dataFolder + name;
    const ScanFileFrame frame{setup_.about, settings, setup_.sections};
    const bool bnc = settings.scanParameters.bncEnable != 0;
    std::string error;
    std::string file = base;
    bool ok = false;
    switch (storedForm(name)) {
    case StoredForm::Picture: return failed(ScpiCode::fileNameError, "the server writes no pictures");
    case StoredForm::Csv:
        ok = saveTextExport(file, *trace, TextExportForm::Csv, chartPageTextHeader(*trace, TextExportForm::Csv), bnc,
                            &error);
        break;
    case StoredForm::Txt:
        ok = saveTextExport(file, *trace, TextExportForm::Txt, chartPageTextHeader(*trace, TextExportForm::Txt), bnc,
                            &error);
        break;
    case StoredForm::ScanFile:
        if (!endsWith(upper(file), ".SCAN.XML")) file += ".scan.xml";
        ok = saveScanFile(file, *trace, frame, &error);
        break;
    }
    if (!ok) return failed(ScpiCode::massStorageError, error.empty() ? "can't write " + file : error);
    log("vemar-cli: saved " + file);
    return done();
}

OwnerReply RemoteInstrument::changeSetting(const OwnerRequest& request)
{
    if (running()) return failed(ScpiCode::settingsConflict, "a measurement is running");
    MeasurementSession& measurement = setup_.measurement;
    ApplicationConfig& settings = measurement.settings();
    ConfLaser& sources = measurement.sources();
    const std::vector<ScpiParameter>& parameters = request.parameters;
    ScpiError error;

    switch (request.id) {
    case CommandId::WavelengthStart:
    case CommandId::WavelengthStop: {
        const bool isStart = request.id == CommandId::WavelengthStart;
        const std::optional<double> value = settingNumber(parameters.front(), &error);
        if (!value) return failed(error.code, "a number is expected");
        const double low = isStart ? Rules::startMinimumNm : Rules::stopMinimumNm;
        const double high = isStart ? Rules::startMaximumNm : Rules::stopMaximumNm;
        if (*value < low || *value > high)
            return failed(ScpiCode::dataOutOfRange, std::string(isStart ? "start" : "stop") + " " + range(low, high) +
                                                        " nm");
        const double start = isStart ? *value : sources.lambdaMin;
        const double stop = isStart ? sources.lambdaMax : *value;
        const double sourcesLow = sources.LowestLambdaMin();
        const double sourcesHigh = sources.HighestLambdaMax();
        switch (Rules::scanRangeProblem(start, stop, sourcesLow, sourcesHigh)) {
        case Rules::RangeProblem::TooShort:
            return failed(ScpiCode::settingsConflict,
                          cformat("the minimum scan range is 5nm: %s %.1f nm", isStart ? "stop" : "start",
                                  isStart ? stop : start));
        case Rules::RangeProblem::NoSource: return failed(ScpiCode::settingsConflict, "no source is enabled");
        case Rules::RangeProblem::OutsideSources:
            return failed(ScpiCode::dataOutOfRange,
                          "the enabled sources cover " + range(sourcesLow, sourcesHigh) + " nm");
        case Rules::RangeProblem::None: break;
        }
        if (isStart)
            sources.SetScanStart(*value);
        else
            sources.SetScanStop(*value);
        return done();
    }
    case CommandId::SweepStep: {
        const std::optional<double> value = settingNumber(parameters.front(), &error);
        if (!value) return failed(error.code, "a number is expected");
        if (*value < Rules::samplingStepMinimumPm || *value > Rules::samplingStepMaximumPm)
            return failed(ScpiCode::dataOutOfRange, cformat("step %d to %d pm", Rules::samplingStepMinimumPm,
                                                            Rules::samplingStepMaximumPm));
        if (*value != std::floor(*value)) return failed(ScpiCode::illegalParameterValue, "a whole number of pm");
        settings.samplingStep = static_cast<int>(*value);
        return done();
    }
    case CommandId::SweepCount: {
        const ScpiParameter& p = parameters.front();
        if (p.kind == ScpiParameter::Kind::Keyword && (upper(p.text) == "INF" || upper(p.text) == "INFINITY")) {
            settings.measurementType = 1;
            settings.scanLimitEnabled = false;
            return done();
        }
        const std::optional<double> value = settingNumber(p, &error);
        if (!value) return failed(error.code, "a number or INF is expected");
        if (*value < Rules::scanLimitMinimum || *value > Rules::scanLimitMaximum)
            return failed(ScpiCode::dataOutOfRange,
                          cformat("count %d to %d, or INF", Rules::scanLimitMinimum, Rules::scanLimitMaximum));
        if (*value != std::floor(*value)) return failed(ScpiCode::illegalParameterValue, "a whole number of scans");
        const int count = static_cast<int>(*value);
        settings.measurementType = count == 1 ? 0 : 1;
        if (count > 1) {
            settings.scanLimitEnabled = true;
            settings.scanLimit = count;
        }
        return done();
    }
    case CommandId::Detector: {
        bool wanted[7] = {};  // 1 to 4, 5 EXT, 6 ORL
        for (const ScpiParameter& p : parameters) {
            const std::string name = upper(p.text);
            int k = 0;
            if (p.kind == ScpiParameter::Kind::Number && p.number >= 1 && p.number <= 4 &&
                p.number == std::floor(p.number))
                k = static_cast<int>(p.number);
            else if (p.kind != ScpiParameter::Kind::Number && name.size() == 1 && name[0] >= '1' && name[0] <= '4')
                k = name[0] - '0';
            else if (p.kind != ScpiParameter::Kind::Number && name == "EXT")
                k = 5;
            else if (p.kind != ScpiParameter::Kind::Number && name == "ORL")
                k = 6;
            if (k == 0) return failed(ScpiCode::illegalParameterValue, "inputs are 1, 2, 3, 4, EXT and ORL");
            wanted[k] = true;
        }
        const int unitDetectors = measurement.identity().detectors();
        if (const int k = Rules::firstMissingDetector(wanted[2], wanted[3], wanted[4], unitDetectors))
            return failed(ScpiCode::hardwareMissing,
                          cformat("the unit has %d detector%s: detector %d can't be measured", unitDetectors,
                                  unitDetectors == 1 ? "" : "s", k));
        ScanParameterBlock& block = settings.scanParameters;
        block.enable2 = wanted[2] ? 1 : 0;
        block.enable3 = wanted[3] ? 1 : 0;
        block.enable4 = wanted[4] ? 1 : 0;
        block.enableExt = wanted[5] ? 1 : 0;
        block.enableOrl = wanted[6] ? 1 : 0;
        return done();
    }
    case CommandId::Power: {
        const std::optional<double> value = settingNumber(parameters.front(), &error);
        if (!value) return failed(error.code, "a number is expected");
        if (*value < Rules::powerMinimumMw || *value > Rules::powerMaximumMw)
            return failed(ScpiCode::dataOutOfRange, "power " + range(Rules::powerMinimumMw, Rules::powerMaximumMw) +
                                                        " mW");
        sources.power = *value;
        return done();
    }
    default: return failed(ScpiCode::systemError, "a command the owner does not carry out");
    }
}

// ---------------------------------------------------------------------------
// The measurement's messages

void RemoteInstrument::scanCompleted(ScanTrace& trace, const ScanSnapshotPtr& scan)
{
    working_.lastScan = scan;
    working_.curves.clear();
    for (int i = 0; i < trace.CurveCount(); ++i) working_.curves.push_back(trace.CurveAt(i)->name());
    // The window runs the passband analysis of every new scan.
    setup_.passband.analyse();
    refreshPassband();
    log("vemar-cli: scan " + std::to_string(scan->index) + " completed (" + scan->chartTitle + ")");
    publish();
}

void RemoteInstrument::measurementEnded()
{
    delayEnds_.reset();
    setup_.passband.unlockParameters();
    working_.phase = MeasurementPhase::Idle;
    log("vemar-cli: measurement ended");
    publish();
    std::vector<std::pair<bool, OwnerDone>> waiters = std::move(completionWaiters_);
    completionWaiters_.clear();
    for (auto& [query, doneCall] : waiters) {
        OwnerReply reply;
        if (query) reply.answer = "1";
        doneCall(std::move(reply));
    }
}

void RemoteInstrument::samplingStepChanged(int samplingStepPm)
{
    log(cformat("vemar-cli: warning: the sampling resolution is now %d pm", samplingStepPm));
    publish();
}

void RemoteInstrument::statusMessage(const MeasurementStatus& status)
{
    working_.statusSeverity = status.severity;
    working_.statusText = status.text;
    if (status.severity >= 1 && !status.text.empty()) {
        const int code = status.code && *status.code > 0 ? *status.code : ScpiCode::measurementError;
        addEvent({code, status.text});
        log(std::string("vemar-cli: ") + (status.severity >= 2 ? "error: " : "warning: ") + status.text);
    }
    publish();
}

void RemoteInstrument::waitBeforeNextScan()
{
    const int delay = setup_.measurement.settings().scanDelay;
    if (delay <= 0) {
        setup_.measurement.Continue();
        return;
    }
    delayEnds_ = std::chrono::steady_clock::now() + std::chrono::seconds(delay);
    working_.phase = MeasurementPhase::Waiting;
    publish();
}

void RemoteInstrument::saveContinuousScan(const std::string& fileName)
{
    const ScanTrace* trace = setup_.measurement.lastScan();
    const ScanFileFrame frame{setup_.about, setup_.measurement.settings(), setup_.sections};
    const ContinuousSaveResult saved =
        trace != nullptr ? ::saveContinuousScan(fileName, setup_.measurement.settings().fileType, *trace, frame)
                         : ContinuousSaveResult{};
    if (saved.ok) {
        log("vemar-cli: saved " + saved.fileName);
    } else {
        // The series goes on, as in the window; the clients hear of it.
        const std::string why = saved.error.empty() ? "can't write " + saved.fileName : saved.error;
        addEvent(ScpiError::make(ScpiCode::massStorageError, why));
        log("vemar-cli: error: " + why);
        publish();
    }
    setup_.measurement.Continue();
}

void RemoteInstrument::resolutionWarning(const std::string& caption, const std::string& text)
{
    addEvent({ScpiCode::samplingStepRaised, folded(text)});
    log("vemar-cli: warning: " + folded(caption) + ": " + folded(text));
    publish();
}

std::chrono::milliseconds RemoteInstrument::untilTick(std::chrono::milliseconds longest) const
{
    if (!delayEnds_) return longest;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*delayEnds_ - std::chrono::steady_clock::now());
    return std::clamp(left, std::chrono::milliseconds(0), longest);
}

void RemoteInstrument::tick()
{
    if (!delayEnds_ || std::chrono::steady_clock::now() < *delayEnds_) return;
    delayEnds_.reset();
    working_.phase = MeasurementPhase::Running;
    publish();
    setup_.measurement.Continue();
}
