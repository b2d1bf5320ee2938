#include "SyntheticScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "ScanFile.h"
#include "ScanTrace.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "TempDir.h"

void writeSyntheticScan(const std::string& path, const SyntheticScan& scan)
{
    constexpr double start = 1545.0;
    constexpr double stop = 1555.0;
    constexpr int stepPm = 5;
    ConfLaser sources;
    sources.sources[0].enable = true;
    sources.lambdaMin = start;
    sources.lambdaMax = stop;
    const ConfLaserView view(sources);
    ScanTrace trace(nullptr, nullptr, &view);
    trace.AddCurve("1", false);
    trace.AddCurve("2", false);
    trace.UpdateCoverage();

    ScanRes& r = trace.result();
    const int samples = static_cast<int>(std::lround((stop - start) * 1000.0 / stepPm)) + 1;
    for (int i = 0; i < samples; ++i) {
        const double x = start + i * stepPm * 0.001;
        const double output = -10.0 + 0.25 * std::sin(i * 0.01);
        const double channel = std::max(scan.floorDb, scan.peakDb - scan.flankDbPerNm * std::fabs(x - scan.peakNm));
        r.wavelength.push_back(x);
        r.velocity.push_back(i == 0 ? 0.0 : 40.0);
        r.values[ScanChannel::Output].push_back(output);
        r.values[ScanChannel::Detector1].push_back(output + channel);
        r.values[ScanChannel::Detector2].push_back(output - 3.0);
    }
    for (int channel : {ScanChannel::Output, ScanChannel::Detector1, ScanChannel::Detector2})
        r.present[static_cast<std::size_t>(channel)] = true;
    r.lines = {1546.2, 1549.4, 1552.6};
    r.scanStart = start;
    r.scanStop = stop;
    r.Resample(start, stop, stepPm);
    trace.BuildTrace(true, false, true);

    TempDir folders;
    ApplicationConfig settings(folders.str());
    settings.samplingStep = stepPm;
    settings.fwhmPower = scan.fwhmPower;
    settings.slopeTopLevel = scan.slopeTopLevel;
    settings.slopeBottomLevel = scan.slopeBottomLevel;
    const About about(UnitIdentitySummary{}, 0);
    SourcesSection section(sources);
    const ScanFileFrame frame{about, settings, ConfigurationSections::of(&section, nullptr)};
    std::string error;
    ASSERT_TRUE(saveScanFile(path, trace, frame, &error)) << error;
}
