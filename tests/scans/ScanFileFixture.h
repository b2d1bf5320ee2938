#pragma once

// Scans built the way the measurement builds them (synthetic results through
// the real Resample and BuildTrace), a source configuration that is also the
// "Sources" section of the configuration file, and the settings a scan file
// is written with.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "About.h"
#include "Applicationconfig.h"
#include "ConfigurationFile.h"
#include "ScanFakes.h"
#include "ScanFile.h"
#include "ScanTrace.h"
#include "TempDir.h"
#include "TiXmlElementCustom.h"
#include "UserMessages.h"

// A source configuration that reads and writes itself as a Sources section.
struct SectionSources : PlainSources, ConfigurationSection {
    int reads = 0;

    void writeSection(TiXmlElement& element) const override
    {
        TiXmlElementCustom section(&element);
        section.setDouble("Start", start);
        section.setDouble("Stop", stop);
        for (int i = 0; i < 4; ++i) {
            const PlainSource& s = sources[static_cast<std::size_t>(i)];
            TiXmlElementCustom tls(element.LinkEndChild(new TiXmlElement("TLS"))->ToElement());
            tls.setInt("Index", i);
            tls.setBool("Enabled", s.enabled);
            tls.setDouble("LambdaMin", s.lambdaMin);
            tls.setDouble("LambdaMax", s.lambdaMax);
        }
    }
    void readSection(const TiXmlElement* element) override
    {
        ++reads;
        if (element == nullptr) return;
        const TiXmlElementCustom section(const_cast<TiXmlElement*>(element));
        section.readDouble("Start", start, start);
        section.readDouble("Stop", stop, stop);
        for (const TiXmlElement* e = element->FirstChildElement("TLS"); e != nullptr; e = e->NextSiblingElement("TLS")) {
            const TiXmlElementCustom tls(const_cast<TiXmlElement*>(e));
            int index = -1;
            tls.readInt("Index", index, -1);
            if (index < 0 || index > 3) continue;
            PlainSource& s = sources[static_cast<std::size_t>(index)];
            s.enabled = tls.getBool("Enabled", false);
            tls.readDouble("LambdaMin", s.lambdaMin, s.lambdaMin);
            tls.readDouble("LambdaMax", s.lambdaMax, s.lambdaMax);
        }
    }
};

// Two sources with a gap between them, scanning 1546 to 1554 nm.
inline void useTwoSourcesWithAGap(PlainSources& s)
{
    s.sources[0] = {true, 1540.0, 1549.5};
    s.sources[1] = {true, 1550.5, 1560.0};
    s.start = 1546.0;
    s.stop = 1554.0;
}

// One sweep from 1545 to 1555 nm with a filter dip on detector 1, a flatter
// one on detector 2 and a slow Ext signal; variant shifts the levels a
// little so that a series widens its envelopes.
inline void fillSyntheticScan(ScanRes& r, int samples, int variant)
{
    r = ScanRes{};
    const double first = 1545.0;
    const double spacing = 10.0 / (samples - 1);
    for (int i = 0; i < samples; ++i) {
        // Not quite uniform, as a real sweep.
        const double x = first + i * spacing + 0.2 * spacing * std::sin(i * 0.7);
        const double output = -10.0 + 0.05 * std::sin(i * 0.01 + variant);
        const double dip = 20.0 * std::exp(-std::pow((x - 1550.0) / 0.8, 2));
        r.wavelength.push_back(x);
        r.velocity.push_back(i == 0 ? 0.0 : 40.0 + 0.1 * std::cos(i * 0.3));
        r.sampleIndex.push_back(i);
        r.values[ScanChannel::Output].push_back(output);
        r.values[ScanChannel::Detector1].push_back(output - 0.5 - dip + 0.01 * variant);
        r.values[ScanChannel::Detector2].push_back(output - 3.0 - 0.5 * dip - 0.02 * variant);
        r.values[ScanChannel::Ext].push_back(0.25 + 0.001 * i + 0.003 * variant);
    }
    for (int channel : {ScanChannel::Output, ScanChannel::Detector1, ScanChannel::Detector2, ScanChannel::Ext})
        r.present[static_cast<std::size_t>(channel)] = true;
    r.lines = {1546.123456, 1549.9876, 1553.0004};
    r.referenceWavelengths = {1546.1, 1548.2, 1551.3};
    r.referenceDeviations = {0.001, -0.002, 0.0005};
    r.scanStart = 1546.0;
    r.scanStop = 1554.0;
}

// A trace of curves "1", "2" and "Ext" built from scans series: one scan
// (no envelopes), or a continuous series of that many scans.
inline void buildSyntheticTrace(ScanTrace& trace, int samples, int scans, int stepPm = 5)
{
    const bool continuous = scans > 1;
    for (const char* name : {"1", "2", "Ext"}) trace.AddCurve(name, continuous);
    trace.UpdateCoverage();
    for (int scan = 0; scan < scans; ++scan) {
        fillSyntheticScan(trace.result(), samples, scan);
        trace.result().Resample(trace.result().scanStart, trace.result().scanStop, stepPm);
        trace.BuildTrace(scan == 0, false, true);
    }
}

// Settings and About of the files written by the tests.
struct ScanFileEnvironment {
    TempDir folder;
    ApplicationConfig settings{folder.str()};
    About about{UnitIdentitySummary{}, 0};
    SectionSources sources;

    ScanFileEnvironment() { useTwoSourcesWithAGap(sources); }
    ScanFileFrame frame() { return {about, settings, ConfigurationSections::of(&sources, nullptr)}; }
    std::string file(const std::string& name) const { return folder.file(name); }
};

inline std::vector<double> firstN(std::span<const double> values, int n)
{
    return std::vector<double>(values.begin(), values.begin() + n);
}

// Collects the message boxes shown while it lives.

struct MessageCapture {
    std::vector<std::string> shown;  // "caption: text"
    MessageCapture()
    {
        UserMessages::setPresenter([this](UserMessages::Severity, const std::string& caption,
                                          const std::string& text) { shown.push_back(caption + ": " + text); });
    }
    ~MessageCapture() { UserMessages::setPresenter({}); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
};
