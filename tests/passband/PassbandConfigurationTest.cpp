// The analysis parameters and alarm limits in the configuration file's
// Passband section: writing, reading, defaults, locking, damaged values.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

#include "About.h"
#include "Applicationconfig.h"
#include "CommaLocale.h"
#include "ConfigurationFile.h"
#include "FakeTrace.h"
#include "LogCapture.h"
#include "Passband.h"
#include "PassbandSection.h"
#include "TempDir.h"
#include "UserMessages.h"

namespace {

class Counter : public Observer {
public:
    void update() override { ++calls; }
    int calls = 0;
};

std::string print(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.CStr();
}

// Parses text and hands its root element (the section) to loadConfiguration.
void load(Passband& passband, const std::string& text)
{
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    ASSERT_FALSE(doc.Error()) << text;
    passband.loadConfiguration(doc.RootElement());
}

struct PassbandFixture : ::testing::Test {
    PassbandFixture()
    {
        // One channel at 1550.12 nm, analysed on every parameter change.
        trace.add(curveThrough("1", {{1549.5, -45}, {1549.82, -45}, {1550.02, -1.2}, {1550.12, -1.0},
                                     {1550.22, -1.2}, {1550.42, -45}, {1551.0, -45}, {1551.1, -45}}));
    }
    FakeTrace trace;
    Passband passband{trace};
};

TEST_F(PassbandFixture, savedElementsCarryEveryValueInFixedNotation)
{
    passband.threshold.setValue(-25.5f);
    passband.grid.gridType.setValue(GridType::Cwdm);
    passband.owr.setValue(0.0f);  // "%f", never an exponent
    passband.alarms.ripple.setValue(0.25f);
    CommaLocale comma;
    TiXmlElement section("Passband");
    passband.saveConfiguration(section);
    EXPECT_EQ(print(section),
              "<Passband>"
              "<Configuration Threshold=\"-25.500000\" Grid=\"4\" Bandwidth1=\"-1.000000\" Bandwidth2=\"-3.000000\" "
              "Bandwidth3=\"-20.000000\" OWR=\"0.000000\" />"
              "<Alarms ChannelCentration=\"20.000000\" minBandwidth1=\"1.000000\" maxBandwidth1=\"200.000000\" "
              "minBandwidth2=\"1.000000\" maxBandwidth2=\"200.000000\" minBandwidth3=\"1.000000\" "
              "maxBandwidth3=\"200.000000\" maxIL=\"5.000000\" ripple=\"0.250000\" adjacent=\"40.000000\" "
              "noAdjacent=\"50.000000\" />"
              "</Passband>");
}

TEST_F(PassbandFixture, missingAttributesTakeTheDefaultsNotTheInitialValues)
{
    passband.owr.setValue(5.0f);
    passband.alarms.maxBandwidth2.setValue(150.0f);
    passband.alarms.minBandwidth1.setValue(3.0f);
    load(passband, "<Passband><Configuration Threshold=\"-20\" Grid=\"4\" /><Alarms maxIL=\"7.5\" /></Passband>");
    EXPECT_EQ(passband.threshold.value(), -20.0f);
    EXPECT_EQ(passband.grid.gridType.value(), GridType::Cwdm);
    EXPECT_EQ(passband.owr.value(), 10.0f);
    EXPECT_EQ(passband.bandwidth1.value(), -1.0f);
    EXPECT_EQ(passband.alarms.maxIL.value(), 7.5f);
    EXPECT_EQ(passband.alarms.maxBandwidth2.value(), 0.0f);      // its default, not 200
    EXPECT_EQ(passband.alarms.ChannelCentration.value(), 0.0f);  // likewise, not 20
    EXPECT_EQ(passband.alarms.minBandwidth1.value(), 1.0f);
}

TEST_F(PassbandFixture, sectionWithoutConfigurationChangesNothing)
{
    Counter counter;
    passband.results().addObserver(counter);
    for (const char* text : {"<Passband />", "<Passband><Alarms maxIL=\"9\" ripple=\"2\" /></Passband>"}) {
        load(passband, text);
        EXPECT_EQ(passband.alarms.maxIL.value(), 5.0f) << text;
    }
    passband.loadConfiguration(nullptr);
    EXPECT_EQ(counter.calls, 0);
    passband.results().removeObserver(counter);
}

TEST_F(PassbandFixture, loadingTheValuesHeldRunsExactlyOneAnalysis)
{
    TiXmlElement section("Passband");
    passband.saveConfiguration(section);
    Counter counter;
    passband.results().addObserver(counter);
    LogCapture log;
    passband.loadConfiguration(&section);
    // One curve: one notification per analysis, and a change would have
    // added a clear's notification and a further analysis.
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(log.countStartingWith(1, "Total Time "), 1);
    passband.results().removeObserver(counter);
}

TEST_F(PassbandFixture, eachChangedParameterClearsAndAnalysesAgain)
{
    Counter counter;
    passband.results().addObserver(counter);
    LogCapture log;
    load(passband, "<Passband><Configuration Threshold=\"-31\" Bandwidth1=\"-0.5\" /></Passband>");
    // Two accepted changes (threshold, bandwidth1) and the final analysis.
    EXPECT_EQ(log.countStartingWith(1, "Total Time "), 3);
    EXPECT_EQ(counter.calls, 2 * 2 + 1);
    passband.results().removeObserver(counter);
}

TEST_F(PassbandFixture, lockedParametersKeepTheirValuesDuringALoad)
{
    passband.lockParameters();
    EXPECT_TRUE(passband.threshold.locked());
    EXPECT_TRUE(passband.alarms.noAdjacent.locked());
    load(passband, "<Passband><Configuration Threshold=\"-10\" OWR=\"3\" /><Alarms adjacent=\"30\" /></Passband>");
    EXPECT_EQ(passband.threshold.value(), -30.0f);
    EXPECT_EQ(passband.owr.value(), 10.0f);
    EXPECT_EQ(passband.alarms.adjacent.value(), 40.0f);
    passband.unlockParameters();
    EXPECT_FALSE(passband.grid.gridType.locked());
    EXPECT_FALSE(passband.alarms.ChannelCentration.locked());
}

TEST_F(PassbandFixture, damagedValuesKeepWhatThePropertiesHold)
{
    passband.threshold.setValue(-25.0f);
    passband.bandwidth2.setValue(-6.0f);
    passband.alarms.ripple.setValue(0.75f);
    LogCapture log;
    load(passband,
         "<Passband><Configuration Threshold=\"abc\" Grid=\"seven\" Bandwidth1=\"-2\" Bandwidth2=\"nan\" "
         "Bandwidth3=\"1e300\" OWR=\"\" /><Alarms ripple=\"x\" adjacent=\"33\" /></Passband>");
    EXPECT_EQ(passband.threshold.value(), -25.0f);
    EXPECT_EQ(passband.grid.gridType.value(), GridType::Itu100GHz);
    EXPECT_EQ(passband.bandwidth1.value(), -2.0f);
    EXPECT_EQ(passband.bandwidth2.value(), -6.0f);
    EXPECT_EQ(passband.bandwidth3.value(), -20.0f);
    EXPECT_EQ(passband.owr.value(), 10.0f);
    EXPECT_EQ(passband.alarms.ripple.value(), 0.75f);
    EXPECT_EQ(passband.alarms.adjacent.value(), 33.0f);
}

TEST_F(PassbandFixture, valuesTheEditBoxesRefuseAreRefusedFromFilesAndSaid)
{
    std::vector<std::string> messages;
    UserMessages::setPresenter([&](UserMessages::Severity severity, const std::string& caption, const std::string& text) {
        EXPECT_EQ(severity, UserMessages::Severity::Warning);
        messages.push_back(caption + ": " + text);
    });
    struct Row {
        const char* attributes;
        Editable<float> Passband::*property;
        float kept;
        const char* said;
    };
    const Row rows[] = {
        {"Threshold=\"-100\"", &Passband::threshold, -30.0f, "Passband: Threshold -100 lies outside -80 to 20: -30 kept"},
        {"Threshold=\"25\"", &Passband::threshold, -30.0f, "Passband: Threshold 25 lies outside -80 to 20: -30 kept"},
        {"Bandwidth1=\"5\"", &Passband::bandwidth1, -1.0f, "Passband: Bandwidth1 5 lies outside -70 to 0: -1 kept"},
        {"Bandwidth2=\"-71\"", &Passband::bandwidth2, -3.0f, "Passband: Bandwidth2 -71 lies outside -70 to 0: -3 kept"},
        {"Bandwidth3=\"1e30\"", &Passband::bandwidth3, -20.0f,
         "Passband: Bandwidth3 1e+30 lies outside -70 to 0: -20 kept"},
        {"OWR=\"-10\"", &Passband::owr, 10.0f, "Passband: OWR -10 lies outside 0 to 50: 10 kept"},
        {"OWR=\"60\"", &Passband::owr, 10.0f, "Passband: OWR 60 lies outside 0 to 50: 10 kept"},
        {"Grid=\"4\" OWR=\"11\"", &Passband::owr, 10.0f, "Passband: OWR 11 lies outside 0 to 10: 10 kept"},
    };
    for (const Row& row : rows) {
        Passband p(trace);
        messages.clear();
        load(p, std::string("<Passband><Configuration ") + row.attributes + " /></Passband>");
        EXPECT_EQ((p.*row.property).value(), row.kept) << row.attributes;
        EXPECT_EQ(messages, std::vector<std::string>{row.said}) << row.attributes;
    }
    // Within the bounds, the edges included, nothing is said.
    Passband p(trace);
    messages.clear();
    load(p, "<Passband><Configuration Threshold=\"-80\" Bandwidth1=\"0\" Bandwidth3=\"-70\" OWR=\"50\" /></Passband>");
    EXPECT_EQ(p.threshold.value(), -80.0f);
    EXPECT_EQ(p.owr.value(), 50.0f);
    EXPECT_TRUE(messages.empty());
    // An unknown grid type is said too.
    load(p, "<Passband><Configuration Grid=\"7\" /></Passband>");
    EXPECT_EQ(messages, std::vector<std::string>{"Passband: Grid 7 is no grid type (0 to 4): ITU-T 100GHz used"});
    UserMessages::setPresenter({});
}

TEST_F(PassbandFixture, unknownGridTypeFallsBackToTheFirstGrid)
{
    passband.grid.gridType.setValue(GridType::Cwdm);
    LogCapture log;
    load(passband, "<Passband><Configuration Grid=\"7\" /></Passband>");
    EXPECT_EQ(passband.grid.gridType.value(), GridType::Itu100GHz);
    EXPECT_NE(passband.currentGrid(), nullptr);
    EXPECT_EQ(log.count(3, "Passband grid type 7 unknown, ITU-T 100GHz used instead\n"), 1);
    EXPECT_NE(passband.results().trace("1"), nullptr);
}

TEST(PassbandSection, roundTripThroughTheConfigurationFile)
{
    TempDir tmp;
    const std::string path = tmp.file("VEMAR.config.xml");
    FakeTrace trace;
    Passband saved(trace);
    saved.threshold.setValue(-22.5f);
    saved.grid.gridType.setValue(GridType::Itu12_5GHz);
    saved.bandwidth3.setValue(-15.0f);
    saved.owr.setValue(6.0f);
    saved.alarms.noAdjacent.setValue(45.5f);
    PassbandSection savedSection(saved);
    ApplicationConfig settings(tmp.str());
    const About about(UnitIdentitySummary{}, 0);
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, about, settings,
                                                      ConfigurationSections::of(nullptr, &savedSection)));

    Passband loaded(trace);
    PassbandSection loadedSection(loaded);
    ConfigurationFile::loadConfiguration(path, settings, ConfigurationSections::of(nullptr, &loadedSection));
    EXPECT_EQ(loaded.threshold.value(), -22.5f);
    EXPECT_EQ(loaded.grid.gridType.value(), GridType::Itu12_5GHz);
    EXPECT_EQ(loaded.bandwidth3.value(), -15.0f);
    EXPECT_EQ(loaded.owr.value(), 6.0f);
    EXPECT_EQ(loaded.alarms.noAdjacent.value(), 45.5f);

    // Writing into a section read from an earlier file replaces its elements.
    TiXmlDocument doc;
    ASSERT_TRUE(ConfigurationFile::parseFile(path, doc));
    TiXmlElement* section =
        doc.FirstChildElement("VEMAR")->FirstChildElement("Configuration")->FirstChildElement("Passband");
    ASSERT_NE(section, nullptr);
    loadedSection.writeSection(*section);
    int configurations = 0;
    for (const TiXmlElement* e = section->FirstChildElement("Configuration"); e != nullptr;
         e = e->NextSiblingElement("Configuration"))
        ++configurations;
    EXPECT_EQ(configurations, 1);
}

}  // namespace
