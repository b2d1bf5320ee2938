#include "MeasurementStart.h"

#include <array>

#include "Applicationconfig.h"
#include "ExitCode.h"
#include "NumberFormat.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"

void fillMeasurementFields(ApplicationConfig& settings, ConfLaser& sources)
{
    sources.UpdateActiveRange();
    if (sources.firstActive >= ConfLaser::sourceCount)
        throw CliError(ExitCode::Failure, cformat("no enabled source covers the scan range %.1f to %.1f nm",
                                                  sources.lambdaMin, sources.lambdaMax));
    ScanParameterBlock& block = settings.scanParameters;
    block.flagA = 1;
    block.flagB = 1;
    block.inputIndex = static_cast<std::int16_t>(sources.firstActive);
    block.lastInputIndex = static_cast<std::int16_t>(sources.endActive - 1);
    block.flagC = 0;
    block.flagD = 1;
    block.precise = 0;
    block.samplingStep = static_cast<std::int16_t>(settings.samplingStep);
    block.acquisitionMode = 0;
}

ScanTrace& lastScanTrace(ScanManager& scans, const SourceConfigurationView& liveConfiguration,
                         const ApplicationConfig& settings)
{
    int found = -1;
    for (int i = 0; i < scans.Count() && found < 0; ++i)
        if (scans.Get(i).name() == lastScanName) found = i;
    ScanTrace* trace = nullptr;
    if (found >= 0) {
        trace = &scans.Select(found);
    } else {
        trace = &scans.NewTrace(&liveConfiguration);
        trace->setName(lastScanName);
    }
    const ScanParameterBlock& block = settings.scanParameters;
    const bool continuous = settings.measurementType == 1;
    const std::array<std::pair<const char*, bool>, 6> inputs = {{
        {"1", true},
        {"2", block.enable2 != 0},
        {"3", block.enable3 != 0},
        {"4", block.enable4 != 0},
        {"Ext", block.enableExt != 0},
        {"Orl", block.enableOrl != 0},
    }};
    for (const auto& [name, enabled] : inputs) {
        if (enabled)
            trace->AddCurve(name, continuous);
        else
            trace->RemoveCurve(name);
    }
    return *trace;
}
