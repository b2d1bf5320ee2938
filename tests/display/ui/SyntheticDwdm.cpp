#include "SyntheticDwdm.h"

#include <cmath>
#include <random>
#include <string>

#include "ScanChannels.h"

PlainSources dwdmSources()
{
    PlainSources s;
    s.sources[0] = {true, 1528.0, 1545.0};
    s.sources[1] = {true, 1548.0, 1568.0};
    s.start = 1528.0;
    s.stop = 1568.0;
    return s;
}

void fillDwdmTrace(ScanTrace& trace, const DwdmScan& scan)
{
    for (int d = 1; d <= scan.curves; ++d) trace.AddCurve(std::to_string(d), scan.scans > 1);
    trace.UpdateCoverage();

    std::mt19937 random(scan.seed);
    std::normal_distribution<double> noise(0.0, 0.5);
    ScanRes& r = trace.result();
    const int samples = static_cast<int>(std::lround((1568.0 - 1528.0) / scan.stepNm)) + 1;
    for (int s = 0; s < scan.scans; ++s) {
        r.wavelength.assign(static_cast<std::size_t>(samples), 0.0);
        for (auto& v : r.values) v.assign(static_cast<std::size_t>(samples), 0.0);
        // Each scan of a series lies a little beside the one before, as a
        // drifting filter does, so that the envelopes open up.
        const double drift = 0.015 * s;
        const double fade = 0.25 * s;
        for (int i = 0; i < samples; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const double x = 1528.0 + i * scan.stepNm;
            r.wavelength[k] = x;
            const double output = -3.0 + 0.1 * std::sin(x);
            r.values[ScanChannel::Output][k] = output;
            for (int d = 1; d <= scan.curves; ++d) {
                // Channels of detector d at 1528.4 + 0.8 (d - 1) + 3.2 n nm.
                const double offset = std::remainder(x - 1528.4 - 0.8 * (d - 1) - drift, 3.2);
                const double passband = -scan.insertionLossDb - fade - 0.2 * d - 4.343 * std::pow(offset / 0.3, 6.0);
                const double floor = -45.0 + noise(random);
                r.values[static_cast<std::size_t>(d)][k] = output + std::max(passband + 0.05 * noise(random), floor);
            }
        }
        for (int c = 0; c <= scan.curves; ++c) r.present[static_cast<std::size_t>(c)] = true;
        r.scanStart = 1528.0;
        r.scanStop = 1568.0;
        trace.BuildTrace(s == 0, false, true);
    }
    trace.RedrawAll();
}
