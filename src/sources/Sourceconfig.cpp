#include "Sourceconfig.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "Log.h"
#include "NumberFormat.h"
#include "SourceTypes.h"
#include "ThreadInitLaser.h"

// ---------------------------------------------------------------- SourceConfig

SourceConfig::SourceConfig() = default;

SourceConfig::SourceConfig(const SourceConfig& other) : name(other.name) { *this = other; }

SourceConfig::~SourceConfig() = default;

SourceConfig& SourceConfig::operator=(const SourceConfig& other)
{
    if (this == &other) return *this;
    laser.reset();
    SetType(other.type);
    enable = other.enable;
    SetAddress(other.address);
    SetLambdaMin(other.lambdaMin);
    SetLambdaMax(other.lambdaMax);
    // Recorded, not sent: a copy is taken for every scan trace and every
    // loaded scan file, which must not talk to the instruments (nor open
    // their devices); the speed reaches the source with the next ApplySpeed
    // of the record that drives it.
    speed = other.speed;
    start = other.start;
    stop = other.stop;
    if (laser && other.laser) laser->CopyCommands(other.laser->Commands());
    return *this;
}

void SourceConfig::createDriver()
{
    laser = SourceTypes::createDriver(type);
    driverType_ = type;
    if (laser) laser->SetAddress(address);
}

void SourceConfig::SetType(int code)
{
    if (laser && code == type) return;
    type = code;
    laser.reset();
    createDriver();
}

void SourceConfig::SetAddress(int value)
{
    if (!laser) SetType(type);
    if (value == address) return;
    address = value;
    if (laser) laser->SetAddress(value);
}

void SourceConfig::AlignDriver()
{
    if (!laser) return;
    if (driverType_ != type) {
        laser.reset();
        createDriver();
    } else if (laser->PrimaryAddress() != address) {
        laser->SetAddress(address);
    }
}

void SourceConfig::SetLambdaMin(double value)
{
    lambdaMin = value;
}

void SourceConfig::SetLambdaMax(double value)
{
    lambdaMax = value;
}

void SourceConfig::SetScanRange(double scanStart, double scanStop)
{
    start = std::max(scanStart, lambdaMin);
    stop = std::min(scanStop, lambdaMax);
    rangeValid = lambdaMax > start && stop > lambdaMin;
}

void SourceConfig::SetStart(double value) { start = std::max(value, lambdaMin); }

bool SourceConfig::Answers()
{
    // A disabled record takes no part: its device is never opened.
    return enable && laser && laser->IsPresent();
}

int SourceConfig::Refused(int code) const
{
    // The instrument stopped answering in the middle of the operation.
    return laser && laser->ConnectionFailed() ? NotPresent : code;
}

int SourceConfig::ApplyPower(float powerMw)
{
    if (!Answers()) return NotPresent;
    if (laser->SetPower(&powerMw) != nullptr) return Refused(PowerRefused);
    laser->PowerOn();
    return Ok;
}

int SourceConfig::ApplyCurrent(float current)
{
    if (!Answers()) return NotPresent;
    const char* text = laser->SetCurrent(&current);
    if (text == nullptr) {
        laser->PowerOn();
        return Ok;
    }
    return std::strcmp(text, C_Laser::noCurrent) == 0 ? Ok : Refused(PowerRefused);
}

int SourceConfig::SwitchOutput(bool on)
{
    if (!Answers()) return NotPresent;
    if (on)
        laser->PowerOn();
    else
        laser->PowerOff();
    return Ok;
}

int SourceConfig::MoveToStart()
{
    if (!rangeValid) return Ok;
    if (!Answers()) return NotPresent;
    return laser->SetWavelength(&start) != nullptr ? Refused(WavelengthRefused) : Ok;
}

int SourceConfig::MoveToStop()
{
    if (!rangeValid) return Ok;
    if (!Answers()) return NotPresent;
    return laser->SetWavelength(&stop) != nullptr ? Refused(WavelengthRefused) : Ok;
}

int SourceConfig::StartMoveToStart()
{
    if (!Answers()) return NotPresent;
    return laser->SetWavelengthNoWait(&start) != nullptr ? Refused(WavelengthRefused) : Ok;
}

int SourceConfig::ApplySpeed(int speedNmPerS)
{
    if (!Answers()) return NotPresent;
    if (speedNmPerS == speed) return Ok;
    int value = speedNmPerS;
    if (laser->SetSpeed(&value) != nullptr) return Refused(SpeedRefused);
    speed = speedNmPerS;
    return Ok;
}

// ---------------------------------------------------------------- ConfLaser

ConfLaser& ConfLaser::live()
{
    static ConfLaser conf;
    return conf;
}

ConfLaser::ConfLaser()
{
    nameRecords();
    ApplyScanRange();
    UpdateActiveRange();
}

ConfLaser::ConfLaser(const ConfLaser& other)
{
    nameRecords();
    *this = other;
}

ConfLaser::~ConfLaser() = default;

void ConfLaser::nameRecords()
{
    for (int i = 0; i < sourceCount; ++i) {
        SourceConfig& source = sources[static_cast<std::size_t>(i)];
        source.name = cformat("TLS_%d", i);
    }
}

ConfLaser& ConfLaser::operator=(const ConfLaser& other)
{
    if (this == &other) return *this;
    for (std::size_t i = 0; i < sources.size(); ++i) sources[i] = other.sources[i];
    power = other.power;
    SetScanStart(other.lambdaMin);
    SetScanStop(other.lambdaMax);
    speed = other.speed;
    return *this;
}

void ConfLaser::SetScanStart(double value)
{
    lambdaMin = value;
    ApplyScanRange();
    UpdateActiveRange();
}

void ConfLaser::SetScanStop(double value)
{
    lambdaMax = value;
    ApplyScanRange();
    UpdateActiveRange();
}

void ConfLaser::ApplyScanRange()
{
    for (SourceConfig& source : sources) source.SetScanRange(lambdaMin, lambdaMax);
}

int ConfLaser::SwitchOutputsOff()
{
    int switched = 0;
    for (SourceConfig& s : sources)
        if (s.enable && s.SwitchOutput(false) == SourceConfig::Ok) ++switched;
    return switched;
}

int ConfLaser::UpdateActiveRange()
{
    auto active = [this](int i) {
        const SourceConfig& source = sources[static_cast<std::size_t>(i)];
        return source.enable && source.rangeValid;
    };
    firstActive = 0;
    while (firstActive < sourceCount && !active(firstActive)) ++firstActive;
    endActive = firstActive;
    while (endActive < sourceCount && active(endActive)) ++endActive;
    return endActive;
}

double ConfLaser::LowestLambdaMin() const
{
    double lowest = std::numeric_limits<double>::max();
    for (const SourceConfig& source : sources)
        if (source.enable) lowest = std::min(lowest, source.lambdaMin);
    return lowest;
}

double ConfLaser::HighestLambdaMax() const
{
    double highest = std::numeric_limits<double>::min();
    for (const SourceConfig& source : sources)
        if (source.enable) highest = std::max(highest, source.lambdaMax);
    return highest;
}

const char* ConfLaser::Init()
{
    using namespace std::chrono_literals;
    ApplyScanRange();
    UpdateActiveRange();

    std::vector<std::unique_ptr<ThreadInitLaser>> threads;
    for (int i = 0; i < sourceCount; ++i) {
        SourceConfig& source = sources[static_cast<std::size_t>(i)];
        if (!source.enable || !source.rangeValid) continue;
        source.SetPowerValue(power);
        // The common speed first (its refusal is not a failure), then power and start.
        auto job = [&source, commonSpeed = speed] {
            if (commonSpeed > 0) source.ApplySpeed(commonSpeed);
            const int result = source.ApplyPower(static_cast<float>(source.power));
            return result == SourceConfig::Ok ? source.MoveToStart() : result;
        };
        auto& thread = threads.emplace_back(std::make_unique<ThreadInitLaser>(std::move(job), i));
        // Without a thread the source is initialised here, so the wait below always ends.
        if (!thread->resume()) thread->runHere();
    }

    auto allDone = [&threads] {
        return std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t->done(); });
    };
    while (!allDone()) std::this_thread::sleep_for(10ms);

    int result = SourceConfig::Ok;
    int failed = 0;
    for (const auto& thread : threads) {
        if (thread->result() != SourceConfig::Ok) {
            result = thread->result();
            failed = thread->index();
            break;
        }
    }

    auto allEnded = [&threads] {
        return std::all_of(threads.begin(), threads.end(),
                           [](const auto& t) { return !t->started() || t->exitCode() != Thread::StillActive; });
    };
    while (!allEnded()) std::this_thread::sleep_for(10ms);
    threads.clear();

    const SourceConfig& source = sources[static_cast<std::size_t>(failed)];
    std::string text;
    switch (result) {
    case SourceConfig::Ok:
        message[0] = '\0';
        return nullptr;
    case SourceConfig::NotPresent:
        text = cformat("Can't connect to TLS%d (GPIB Address=%d). Please check the GPIB connection", failed + 1,
                       source.address);
        break;
    case SourceConfig::PowerRefused:
        text = cformat("Invalid power (%.1f mW) on TLS%d.", power, failed + 1);
        break;
    case SourceConfig::WavelengthRefused:
        text = cformat("Invalid Wavelength (%.3f nm) on TLS%d.", source.start, failed + 1);
        break;
    case SourceConfig::SpeedRefused:
        text = cformat("Invalid Speed on TLS%d.", failed + 1);
        break;
    default:
        text = "unknown error";
        break;
    }
    std::snprintf(message.data(), message.size(), "%s", text.c_str());
    Log::warn("Sources: %s\n", message.data());
    // The message is the same whatever went wrong on the bus; the log says what.
    if (result == SourceConfig::NotPresent && source.laser && source.laser->ConnectionFailed()) {
        const bool opened = !source.laser->OpenFailed();
        const char* cause = opened ? source.laser->ErrorText() : source.laser->GpibErrorText(false);
        if (cause[0] != '\0') Log::warn("Sources: TLS%d: %s\n", failed + 1, cause);
    }
    return message.data();
}
