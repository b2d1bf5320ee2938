// Saving and loading a long continuous scan: 333 333 samples on all six
// channels, five curves with envelopes ("1" to "4" and "Ext"), as a
// ".scan.xml" file with its side file (about 66 MB).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfLaserView.h"
#include "ScanFile.h"
#include "Scanmanager.h"
#include "SourcesSection.h"
#include "Sourceconfig.h"

namespace {

constexpr int samples = 333'333;

class Folder {
public:
    Folder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vemar-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    std::string file(const char* name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct LongScan {
    Folder folder;
    ApplicationConfig settings{folder.path()};
    About about{UnitIdentitySummary{}, 0};
    ConfLaser live;
    ConfLaserView view{live};
    SourcesSection section{live};
    ScanTrace trace{nullptr, nullptr, &view};

    LongScan()
    {
        live.sources[0].enable = true;
        live.SetScanStart(1500.0);
        live.SetScanStop(1600.0);
        settings.samplingStep = 1;
        for (const char* name : {"1", "2", "3", "4", "Ext"}) trace.AddCurve(name, true);
        trace.UpdateCoverage();
        for (int scan = 0; scan < 2; ++scan) {
            ScanRes& r = trace.result();
            r = ScanRes{};
            for (int i = 0; i < samples; ++i) {
                r.wavelength.push_back(1499.9 + i * 100.2 / samples);
                r.velocity.push_back(40.0);
                r.sampleIndex.push_back(i);
                for (int channel = 0; channel < ScanChannel::Count; ++channel)
                    r.values[static_cast<std::size_t>(channel)].push_back(-10.0 - channel - 0.1 * std::sin(i * 1e-3 + scan));
            }
            r.present.fill(true);
            r.lines.assign(500, 1550.0);
            r.referenceWavelengths.assign(500, 1550.0);
            r.referenceDeviations.assign(500, 0.001);
            r.Resample(1500.0, 1600.0, 1);
            trace.BuildTrace(scan == 0, false, true);
        }
    }
    ScanFileFrame frame() { return {about, settings, ConfigurationSections::of(&section, nullptr)}; }
};

LongScan& longScan()
{
    static LongScan scan;
    return scan;
}

void BM_SaveScanFile(benchmark::State& state)
{
    LongScan& scan = longScan();
    const std::string path = scan.folder.file("long.scan.xml");
    for (auto _ : state) {
        if (!saveScanFile(path, scan.trace, scan.frame())) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations()
                            * static_cast<std::int64_t>(std::filesystem::file_size(path + ".dat")
                                                        + std::filesystem::file_size(path)));
}
BENCHMARK(BM_SaveScanFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The chart page's load: configuration frame, side file, resampling on a
// 1 pm grid and the curves of the five inputs.
void BM_LoadScanFile(benchmark::State& state)
{
    LongScan& scan = longScan();
    const std::string path = scan.folder.file("load.scan.xml");
    if (!saveScanFile(path, scan.trace, scan.frame())) state.SkipWithError("save failed");
    for (auto _ : state) {
        ConfLaser live;
        ConfLaserView view(live);
        SourcesSection section(live);
        ScanManager manager(nullptr, nullptr, &view);
        ApplicationConfig settings = scan.settings;
        if (loadFromChartPage(path, manager, settings, ConfigurationSections::of(&section, nullptr), &view) != 0
            || manager.Current().CurveAt(4)->data().count() == 0)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path + ".dat")));
}
BENCHMARK(BM_LoadScanFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
