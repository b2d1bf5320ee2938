// A measured scan saved as a scan file and loaded back gives exactly what
// was shown and exported at scan time: every curve point, every envelope
// point and every line of the text exports.

#include <filesystem>

#include "About.h"
#include "ConfLaserView.h"
#include "FileUtil.h"
#include "MeasurementFixture.h"
#include "ScanFile.h"
#include "ScanTextHeaders.h"
#include "Scanmanager.h"
#include "SourcesSection.h"

namespace {

class ScanRoundTripTest : public MeasurementTest {
protected:
    // The points of a curve as the chart holds them.
    struct Shown {
        std::string name;
        int nbScan = 0;
        bool envelopes = false;
        std::vector<double> x, y, xRef, yMin, yMax;
    };
    static std::vector<Shown> shownCurves(const ScanTrace& trace)
    {
        std::vector<Shown> out;
        for (int i = 0; i < trace.CurveCount(); ++i) {
            const ScanCurve& curve = *trace.CurveAt(i);
            const ScanData& d = curve.data();
            const auto n = static_cast<std::size_t>(d.count());
            Shown s{curve.name(), d.nbScan(), curve.hasEnvelopes(), {}, {}, {}, {}, {}};
            s.x.assign(d.x().begin(), d.x().begin() + static_cast<std::ptrdiff_t>(n));
            s.y.assign(d.y().begin(), d.y().begin() + static_cast<std::ptrdiff_t>(n));
            if (curve.hasEnvelopes()) {
                s.xRef.assign(d.xRef().begin(), d.xRef().begin() + static_cast<std::ptrdiff_t>(n));
                s.yMin.assign(d.yMin().begin(), d.yMin().begin() + static_cast<std::ptrdiff_t>(n));
                s.yMax.assign(d.yMax().begin(), d.yMax().begin() + static_cast<std::ptrdiff_t>(n));
            }
            out.push_back(std::move(s));
        }
        return out;
    }
    // Both text exports of a trace, as the chart page writes them.
    std::pair<std::string, std::string> exports(const ScanTrace& trace, const std::string& base) const
    {
        const bool bnc = settings->scanParameters.bncEnable != 0;
        const std::string csv = base + ".csv";
        const std::string txt = base + ".txt";
        EXPECT_TRUE(saveTextExport(csv, trace, TextExportForm::Csv, chartPageTextHeader(trace, TextExportForm::Csv), bnc));
        EXPECT_TRUE(saveTextExport(txt, trace, TextExportForm::Txt, chartPageTextHeader(trace, TextExportForm::Txt), bnc));
        return {readWholeFile(csv), readWholeFile(txt)};
    }
};

TEST_F(ScanRoundTripTest, ASavedScanLoadsBackAsItWasShownAndExported)
{
    struct Case {
        const char* preset;
        std::uint64_t seed;
        int scans;  // 1: a single scan; more: a continuous run with envelopes
        double start, stop;
        bool ext = false;  // the EXT input too, read as an optical power
    };
    const Case cases[] = {
        {"dwdm", 3, 1, 1540.0, 1550.0},
        {"dwdm-hops", 5, 1, 1535.0, 1545.0},
        {"noisy", 2, 3, 1540.0, 1546.0},
        {"dwdm", 4, 3, 1550.05, 1553.95},
        {"dwdm", 8, 1, 1545.0, 1548.0, true},
    };
    addSource(0, 1240.0, 1680.0);
    const ConfLaserView live(sources);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " seed " + std::to_string(c.seed) + " scans " + std::to_string(c.scans));
        usePreset(c.preset, c.seed);
        setScanRange(c.start, c.stop);
        settings->measurementType = c.scans > 1 ? 1 : 0;
        settings->scanLimitEnabled = c.scans > 1;
        settings->scanLimit = c.scans;
        settings->scanParameters.enable2 = settings->scanParameters.enable3 = settings->scanParameters.enable4 = 1;
        settings->scanParameters.enableExt = c.ext ? 1 : 0;
        settings->scanParameters.bncEnable = c.ext ? 1 : 0;
        settings->scanParameters.bncBeta = 1.0;

        // The measurement start: a trace on the live configuration with the
        // enabled detectors' curves (envelopes in continuous mode).
        ScanManager scans(nullptr, nullptr, &live);
        ScanTrace& shown = scans.NewTrace(&live);
        for (const char* name : {"1", "2", "3", "4"}) shown.AddCurve(name, c.scans > 1);
        if (c.ext) shown.AddCurve("Ext", c.scans > 1);
        RecordingListener listener(&shown);
        {
            ThreadMeasurement thread(listener, sources, *settings, identity, calibration());
            listener.thread = &thread;
            thread.wait();
            listener.thread = nullptr;
        }
        ASSERT_EQ(listener.of("completed").size(), static_cast<std::size_t>(c.scans));
        // A step the thread had to raise reaches the owner's settings, as
        // the session copies it.
        for (const auto& step : listener.of("step"))
            settings->samplingStep = settings->scanParameters.samplingStep = step.severity;
        const std::vector<Shown> before = shownCurves(shown);
        ASSERT_GT(before.front().x.size(), 100u);
        const auto exported = exports(shown, documents.file("scan-time"));

        const std::string path = documents.file("round.scan.xml");
        SourcesSection sourcesSection(sources);
        const About about(identity.summary(), 112);
        ASSERT_TRUE(saveScanFile(path, shown, {about, *settings, ConfigurationSections::of(&sourcesSection, nullptr)}));

        // Loading as the chart page's Load does, into another configuration.
        ConfLaser loadedSources;
        const ConfLaserView loadedView(loadedSources);
        SourcesSection loadedSection(loadedSources);
        ApplicationConfig loadedSettings(documents.str());
        ScanManager loadedScans(nullptr, nullptr, &loadedView);
        ASSERT_EQ(loadFromChartPage(path, loadedScans, loadedSettings, ConfigurationSections::of(&loadedSection, nullptr),
                                    &loadedView),
                  0);
        const ScanTrace& loaded = loadedScans.Current();
        const std::vector<Shown> after = shownCurves(loaded);
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t k = 0; k < before.size(); ++k) {
            SCOPED_TRACE("curve " + before[k].name);
            EXPECT_EQ(after[k].name, before[k].name);
            EXPECT_EQ(after[k].nbScan, before[k].nbScan);
            EXPECT_EQ(after[k].envelopes, before[k].envelopes);
            EXPECT_EQ(after[k].x, before[k].x);
            EXPECT_EQ(after[k].y, before[k].y);
            EXPECT_EQ(after[k].xRef, before[k].xRef);
            EXPECT_EQ(after[k].yMin, before[k].yMin);
            EXPECT_EQ(after[k].yMax, before[k].yMax);
        }
        EXPECT_EQ(loaded.result().resampledWavelength, shown.result().resampledWavelength);
        const auto reexported = exports(loaded, documents.file("loaded"));
        EXPECT_EQ(reexported.first, exported.first);
        EXPECT_EQ(reexported.second, exported.second);
    }
}

}  // namespace
