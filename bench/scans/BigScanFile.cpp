// make_big_scan FOLDER: writes FOLDER/big.scan.xml and its side file with the
// program's own writer, for timing whole commands on a large scan (see the
// README): 1528 to 1573 nm sampled every 0.05 pm (900 001 samples), four
// detector curves of 40 flat-top channels on the 100 GHz grid, curve "1"
// with min/max envelopes over two scans; a side file of about 72 MB.

#include <cmath>
#include <cstdio>
#include <string>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "ScanFile.h"
#include "Scanmanager.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "Units.h"

namespace {

constexpr int samples = 900'001;
constexpr double startNm = 1528.0;
constexpr double stepNm = 0.00005;

// Channels first ... first + 39 of the 100 GHz grid: a flat top (0.2 dB of
// ripple) about 0.4 nm wide at -3 dB, steep flanks, a -50 dB floor.
double transmission(double wavelengthNm, int first, double noise)
{
    const double frequencyGHz = speedOfLight / wavelengthNm;
    const double channel = (195900.0 - frequencyGHz) / 100.0 + 1.0;
    const double nearest = std::round(channel);
    if (nearest < first || nearest > first + 39) return -50.0 + noise;
    const double offsetGHz = (channel - nearest) * 100.0;
    const double d = std::fabs(offsetGHz) / 30.0;
    const double level = -1.5 + 0.1 * std::sin(wavelengthNm * 90.0) - 3.0 * d * d * d * d * d * d;
    return std::max(level, -50.0) + noise;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_big_scan FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    ApplicationConfig settings(folder + "/documents");
    settings.samplingStep = 1;
    ConfLaser sources;
    sources.sources[0].enable = true;
    sources.sources[0].SetLambdaMin(startNm);
    sources.sources[0].SetLambdaMax(1573.0);
    sources.SetScanStart(startNm);
    sources.SetScanStop(1573.0);
    const ConfLaserView view(sources);
    SourcesSection section(sources);

    ScanTrace trace(nullptr, nullptr, &view);
    trace.AddCurve("1", true);
    for (const char* name : {"2", "3", "4"}) trace.AddCurve(name, false);
    unsigned random = 12345u;
    for (int scan = 0; scan < 2; ++scan) {
        ScanRes& r = trace.result();
        r = ScanRes{};
        r.wavelength.resize(samples);
        r.velocity.assign(samples, 20.0);
        for (auto& channel : r.values) channel.clear();
        for (int c = 0; c <= 4; ++c) r.values[static_cast<std::size_t>(c)].resize(samples);
        for (int i = 0; i < samples; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const double w = startNm + stepNm * i;
            r.wavelength[k] = w;
            random = random * 1103515245u + 12345u;
            const double noise = ((random >> 16) & 0xFF) / 255.0 * 0.02 - 0.01;
            const double output = -0.02 + 0.5 * noise;
            r.values[0][k] = output;
            for (int d = 1; d <= 4; ++d) r.values[static_cast<std::size_t>(d)][k] = output + transmission(w, d, noise);
        }
        for (int c = 0; c <= 4; ++c) r.present[static_cast<std::size_t>(c)] = true;
        r.lines = {1550.0};
        r.Resample(startNm, 1573.0, settings.samplingStep);
        trace.BuildTrace(scan == 0, false, true);
    }

    const About about(UnitIdentitySummary{}, 112);
    const std::string path = folder + "/big.scan.xml";
    std::string error;
    if (!saveScanFile(path, trace, {about, settings, ConfigurationSections::of(&section, nullptr)}, &error)) {
        std::fprintf(stderr, "make_big_scan: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}
