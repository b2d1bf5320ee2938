#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <tinyxml.h>

#include "About.h"
#include "Applicationconfig.h"
#include "CommaLocale.h"
#include "ConfigurationFile.h"
#include "FileUtil.h"
#include "TempDir.h"
#include "UserMessages.h"

namespace {

namespace fs = std::filesystem;

// Settings compared field by field (the folders included).
void expectSameSettings(const ApplicationConfig& a, const ApplicationConfig& b)
{
    EXPECT_EQ(a.samplingStep, b.samplingStep);
    EXPECT_EQ(a.cursorVisible, b.cursorVisible);
    EXPECT_EQ(a.cursorMode, b.cursorMode);
    EXPECT_EQ(a.markerMode, b.markerMode);
    EXPECT_EQ(a.measurementType, b.measurementType);
    EXPECT_EQ(a.scanLimitEnabled, b.scanLimitEnabled);
    EXPECT_EQ(a.scanLimit, b.scanLimit);
    EXPECT_EQ(a.zoomStatus, b.zoomStatus);
    EXPECT_EQ(a.scanParameters.trigger, b.scanParameters.trigger);
    EXPECT_EQ(a.scanParameters.externalSynchronization, b.scanParameters.externalSynchronization);
    EXPECT_EQ(a.scanParameters.enable2, b.scanParameters.enable2);
    EXPECT_EQ(a.scanParameters.enable3, b.scanParameters.enable3);
    EXPECT_EQ(a.scanParameters.enable4, b.scanParameters.enable4);
    EXPECT_EQ(a.scanParameters.enableExt, b.scanParameters.enableExt);
    EXPECT_EQ(a.scanParameters.enableOrl, b.scanParameters.enableOrl);
    EXPECT_EQ(a.scanParameters.bncEnable, b.scanParameters.bncEnable);
    EXPECT_DOUBLE_EQ(a.scanParameters.bncAlpha, b.scanParameters.bncAlpha);
    EXPECT_DOUBLE_EQ(a.scanParameters.bncBeta, b.scanParameters.bncBeta);
    EXPECT_EQ(a.scanParameters.bncUnit, b.scanParameters.bncUnit);
    EXPECT_EQ(a.scanSaveEnabled, b.scanSaveEnabled);
    EXPECT_EQ(a.scanFilesFolder, b.scanFilesFolder);
    EXPECT_EQ(a.fileType, b.fileType);
    EXPECT_EQ(a.scanDelay, b.scanDelay);
    EXPECT_EQ(a.minMaxResetEnabled, b.minMaxResetEnabled);
    EXPECT_EQ(a.minMaxResetModulo, b.minMaxResetModulo);
    EXPECT_DOUBLE_EQ(a.fwhmThreshold, b.fwhmThreshold);
    EXPECT_DOUBLE_EQ(a.fwhmPower, b.fwhmPower);
    EXPECT_DOUBLE_EQ(a.slopeTopLevel, b.slopeTopLevel);
    EXPECT_DOUBLE_EQ(a.slopeBottomLevel, b.slopeBottomLevel);
    EXPECT_EQ(a.showInfo, b.showInfo);
    EXPECT_EQ(a.showInfoPreciseMode, b.showInfoPreciseMode);
    EXPECT_EQ(a.keepModeHop, b.keepModeHop);
}

ApplicationConfig changedSettings(const std::string& docs)
{
    ApplicationConfig s(docs);
    s.samplingStep = 4;
    s.cursorVisible = true;
    s.cursorMode = false;
    s.markerMode = true;
    s.measurementType = 1;
    s.scanLimitEnabled = true;
    s.scanLimit = 25;
    s.zoomStatus = 0;
    s.scanParameters.trigger = 1;
    s.scanParameters.externalSynchronization = 1;
    s.scanParameters.enable2 = 1;
    s.scanParameters.enable4 = 1;
    s.scanParameters.enableExt = 1;
    s.scanParameters.bncEnable = 1;
    s.scanParameters.bncAlpha = -0.25;
    s.scanParameters.bncBeta = 2.5;
    s.scanParameters.bncUnit = 1;
    s.scanSaveEnabled = true;
    s.scanFilesFolder = s.calibFolder;  // an existing folder
    s.fileType = 4;
    s.scanDelay = 120;
    s.minMaxResetEnabled = true;
    s.minMaxResetModulo = 7;
    s.fwhmThreshold = -20.5;
    s.fwhmPower = -1.0;
    s.slopeTopLevel = -0.5;
    s.slopeBottomLevel = -30.0;
    s.showInfo = false;
    s.showInfoPreciseMode = false;
    s.keepModeHop = true;
    return s;
}

const About& noUnit()
{
    static const About about(UnitIdentitySummary{}, 0);
    return about;
}

TEST(ApplicationConfigTest, ConstructionCreatesTheFolderTreeWithInitialValues)
{
    TempDir tmp;
    const std::string docs = tmp.file("deep/er/Documents");
    ApplicationConfig s(docs);
    EXPECT_EQ(s.rootFolder, docs + "/Zelmora Optics/VEMAR/");
    EXPECT_EQ(s.dataFolder, s.rootFolder + "Data/");
    EXPECT_EQ(s.configFolder, s.rootFolder + "Config/");
    EXPECT_EQ(s.calibFolder, s.rootFolder + "Calib/");
    for (const auto& f : {s.dataFolder, s.configFolder, s.calibFolder}) EXPECT_TRUE(fs::is_directory(f)) << f;
    EXPECT_EQ(s.samplingStep, 10);
    EXPECT_EQ(s.scanFilesFolder, s.dataFolder);
    EXPECT_EQ(s.minMaxResetModulo, 2);
    EXPECT_EQ(s.zoomStatus, 1);
    EXPECT_EQ(s.scanLimit, 0);
    EXPECT_DOUBLE_EQ(s.fwhmThreshold, -35.0);
    EXPECT_TRUE(s.showInfo);
}

TEST(ApplicationConfigTest, SavedFileReadsBackTheSameSettingsUnderACommaLocale)
{
    CommaLocale comma;
    ASSERT_TRUE(comma.active());
    TempDir tmp;
    const ApplicationConfig saved = changedSettings(tmp.str());
    const std::string path = tmp.file("VEMAR.config.xml");
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, noUnit(), saved, {}));

    ApplicationConfig loaded(tmp.str());
    ConfigurationFile::loadConfiguration(path, loaded, {});
    expectSameSettings(saved, loaded);

    const std::string text = readWholeFile(path);
    EXPECT_EQ(text.rfind("<VEMAR>", 0), 0u) << "no XML declaration, root VEMAR";
    EXPECT_NE(text.find("SideFrontBottomPower=\"-30.000000\""), std::string::npos);
    EXPECT_NE(text.find("Alpha=\"-0.250000\""), std::string::npos);
    EXPECT_NE(text.find("<Release Value=\"v 3.8.0\" />"), std::string::npos);
    EXPECT_NE(text.find("<VEMAR_Type Value=\"- - - - - -\" />"), std::string::npos);
    EXPECT_NE(text.find("File_Type=\"CSV\""), std::string::npos);
}

TEST(ApplicationConfigTest, FrameHasItsElementsInOrder)
{
    TempDir tmp;
    ApplicationConfig s(tmp.str());
    s.scanParameters.bncAlpha = 0.0;
    TiXmlDocument doc;
    ConfigurationFile::writeFrame(doc, noUnit(), s, {});
    const TiXmlElement* root = doc.RootElement();
    ASSERT_STREQ(root->Value(), "VEMAR");
    std::vector<std::string> names;
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) names.push_back(e->Value());
    EXPECT_EQ(names, (std::vector<std::string>{"About", "Configuration"}));
    names.clear();
    const TiXmlElement* conf = root->FirstChildElement("Configuration");
    for (const TiXmlElement* e = conf->FirstChildElement(); e; e = e->NextSiblingElement()) names.push_back(e->Value());
    EXPECT_EQ(names, (std::vector<std::string>{"Sources", "Application", "Passband"}));
    names.clear();
    for (const TiXmlElement* e = conf->FirstChildElement("Application")->FirstChildElement(); e;
         e = e->NextSiblingElement())
        names.push_back(e->Value());
    EXPECT_EQ(names, (std::vector<std::string>{"Cursor", "Sampling_Step", "Trigger", "External_Synchronization",
                                               "Detector_Array", "BNC_Input", "Measurement", "MeasurementDisplay",
                                               "Zoom"}));
    const TiXmlElement* bnc = conf->FirstChildElement("Application")->FirstChildElement("BNC_Input");
    EXPECT_STREQ(bnc->Attribute("Alpha"), "0.000000E+00");

    const TiXmlElement* source = root->FirstChildElement("About")->FirstChildElement("Source");
    int tlsCount = 0;
    for (const TiXmlElement* t = source->FirstChildElement("TLS"); t; t = t->NextSiblingElement("TLS")) {
        ++tlsCount;
        EXPECT_STREQ(t->Attribute("Name"), std::to_string(tlsCount).c_str());
        EXPECT_STREQ(t->Attribute("Available"), "- - - - - -");
    }
    EXPECT_EQ(tlsCount, 4);
}

// Builds a file with the given Application content under the given root and release.
std::string configText(const std::string& root, const std::string& release, const std::string& application)
{
    std::string about = release.empty() ? "" : "<About><Release Value=\"" + release + "\" /></About>";
    return "<" + root + ">" + about + "<Configuration><Application>" + application +
           "</Application></Configuration></" + root + ">";
}

TEST(ApplicationConfigTest, OldRootIsReadLikeTheCurrentOne)
{
    TempDir tmp;
    const std::string path = tmp.file("old.config.xml");
    writeWholeFile(path, configText("RB5560", "v 3.8.0", "<Sampling_Step Value=\"20\" /><Zoom Status=\"WaveLength\" />"));
    ApplicationConfig s(tmp.str());
    ConfigurationFile::loadConfiguration(path, s, {});
    EXPECT_EQ(s.samplingStep, 20);
    EXPECT_EQ(s.zoomStatus, 0);
}

TEST(ApplicationConfigTest, SamplingStepReleaseRule)
{
    struct Case {
        const char* release;
        const char* stored;
        int expected;
    };
    const Case cases[] = {
        {"v 3.5.2", "3", 8},     // exponent of an old release
        {"v 2.9.9", "0", 1},
        {"v 3.5.9", "7", 128},
        {"v 3.6.0", "3", 3},     // read as stored
        {"v 4.0.0", "3", 3},
        {"", "3", 3},            // no About/Release: read as stored
        {"garbage", "3", 3},
        {"v 3.5.2", "40", 10},   // an exponent that cannot be a step keeps the step
        {"v 3.5.2", "-1", 10},
        {"v 3.5.2", "x", 10},
    };
    TempDir tmp;
    for (const Case& c : cases) {
        const std::string path = tmp.file("r.config.xml");
        writeWholeFile(path, configText("VEMAR", c.release, std::string("<Sampling_Step Value=\"") + c.stored + "\" />"));
        ApplicationConfig s(tmp.str());
        ConfigurationFile::loadConfiguration(path, s, {});
        EXPECT_EQ(s.samplingStep, c.expected) << c.release << " / " << c.stored;
    }
}

TEST(ApplicationConfigTest, MissingElementsKeepFieldsAndMissingAttributesTakeDefaults)
{
    TempDir tmp;
    ApplicationConfig s = changedSettings(tmp.str());
    const ApplicationConfig before = s;
    const std::string path = tmp.file("partial.config.xml");
    writeWholeFile(path, configText("VEMAR", "v 3.8.0",
                                    "<Measurement Type=\"Continuous\" />"
                                    "<BNC_Input Enable=\"true\" />"
                                    "<Cursor Visible=\"True\" />"));
    ConfigurationFile::loadConfiguration(path, s, {});
    // Present elements: missing attributes take their defaults.
    EXPECT_EQ(s.measurementType, 1);
    EXPECT_EQ(s.scanLimit, 10);
    EXPECT_FALSE(s.scanLimitEnabled);
    EXPECT_EQ(s.minMaxResetModulo, 2);
    EXPECT_EQ(s.scanFilesFolder, s.dataFolder);
    EXPECT_EQ(s.fileType, 0);
    EXPECT_EQ(s.scanParameters.bncEnable, 0) << "lower-case true reads as false";
    EXPECT_DOUBLE_EQ(s.scanParameters.bncBeta, 1.0);
    EXPECT_TRUE(s.cursorVisible);
    EXPECT_TRUE(s.cursorMode);
    EXPECT_FALSE(s.markerMode);
    // Absent elements: fields untouched.
    EXPECT_EQ(s.samplingStep, before.samplingStep);
    EXPECT_EQ(s.zoomStatus, before.zoomStatus);
    EXPECT_DOUBLE_EQ(s.fwhmThreshold, before.fwhmThreshold);
    EXPECT_EQ(s.scanParameters.enable2, before.scanParameters.enable2);
}

TEST(ApplicationConfigTest, VanishedScanFolderFallsBackToTheDataFolder)
{
    TempDir tmp;
    ApplicationConfig s(tmp.str());
    const std::string path = tmp.file("f.config.xml");
    writeWholeFile(path, configText("VEMAR", "v 3.8.0",
                                    "<Measurement Continuous_Scan_Files_Directory=\"" + tmp.str() + "/gone/\" />"));
    s.scanFilesFolder = "/elsewhere";
    ConfigurationFile::loadConfiguration(path, s, {});
    EXPECT_EQ(s.scanFilesFolder, s.dataFolder);

    writeWholeFile(path, configText("VEMAR", "v 3.8.0",
                                    "<Measurement Continuous_Scan_Files_Directory=\"" + s.calibFolder + "\" />"));
    ConfigurationFile::loadConfiguration(path, s, {});
    EXPECT_EQ(s.scanFilesFolder, s.calibFolder);
}

TEST(ApplicationConfigTest, ValuesNoControlTakesAreRefusedAndSaid)
{
    TempDir tmp;
    std::vector<std::string> said;
    UserMessages::setPresenter([&said](UserMessages::Severity, const std::string& caption, const std::string& text) {
        said.push_back(caption + ": " + text);
    });
    struct Case {
        const char* application;
        const char* said;
    };
    const Case cases[] = {
        {"<Sampling_Step Value=\"0\" />", "Settings: Sampling_Step Value \"0\" is not a sampling step of 1 to 250 pm: 10 pm kept"},
        {"<Sampling_Step Value=\"100000\" />", "Sampling_Step Value \"100000\" is not a sampling step"},
        {"<Measurement Scan_Delay=\"-1\" />", "Measurement Scan_Delay -1 is not a delay of 0 to 3600 s: 0 s kept"},
        {"<MeasurementDisplay FWHM_Power=\"inf\" />", "MeasurementDisplay FWHM_Power \"inf\" is not a finite number: -3 kept"},
        {"<MeasurementDisplay SideFrontTopPower=\"1e99999x\" />",
         "MeasurementDisplay SideFrontTopPower \"1e99999x\" is not a finite number: -3 kept"},
        {"<MeasurementDisplay FWHM_Threshold=\"nan\" />", "FWHM_Threshold \"nan\" is not a finite number: -35 kept"},
        {"<BNC_Input Beta=\"1e300\" />", "BNC_Input Beta \"1e300\" is too large: 1 kept"},
        {"<Measurement Continuous_Scan_Files_Directory=\"../../x\" />",
         "Continuous_Scan_Files_Directory \"../../x\" can't be used (a relative path): the Data folder"},
    };
    for (const Case& c : cases) {
        ApplicationConfig s(tmp.str());
        const ApplicationConfig before = s;
        const std::string path = tmp.file("f.config.xml");
        writeWholeFile(path, configText("VEMAR", "v 3.8.0", c.application));
        said.clear();
        ConfigurationFile::loadConfiguration(path, s, {});
        ASSERT_EQ(said.size(), 1u) << c.application;
        EXPECT_NE(said[0].find(c.said), std::string::npos) << said[0];
        EXPECT_EQ(s.samplingStep, before.samplingStep) << c.application;
        EXPECT_EQ(s.scanDelay, before.scanDelay) << c.application;
        EXPECT_EQ(s.fwhmPower, before.fwhmPower) << c.application;
        EXPECT_EQ(s.slopeTopLevel, before.slopeTopLevel) << c.application;
        EXPECT_EQ(s.fwhmThreshold, before.fwhmThreshold) << c.application;
        EXPECT_EQ(s.scanParameters.bncBeta, before.scanParameters.bncBeta) << c.application;
        EXPECT_EQ(s.scanFilesFolder, s.dataFolder) << c.application;
    }
    UserMessages::setPresenter({});
}

TEST(ApplicationConfigTest, BadFilesLeaveTheSettingsAsTheyWere)
{
    TempDir tmp;
    const std::string full = configText("VEMAR", "v 3.8.0", "<Sampling_Step Value=\"4\" /><Zoom Status=\"WaveLength\" />");
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},
        {"not xml", "this is not XML at all \x01\x02\xff"},
        {"foreign root", "<Other><Configuration><Application><Sampling_Step Value=\"4\" /></Application></Configuration></Other>"},
        {"truncated", full.substr(0, full.size() - 30)},
        {"non-numeric", configText("VEMAR", "v 3.8.0", "<Sampling_Step Value=\"fast\" /><Measurement Scan_Number=\"many\" Reset_Modulo=\"\" />")},
        {"binary zeros", std::string(64, '\0')},
        {"nested too deeply", [] {
             std::string text = "<VEMAR><Configuration><Application>";
             for (int i = 0; i < 200000; ++i) text += "<Zoom>";
             return text;
         }()},
    };
    for (const auto& [what, contents] : files) {
        const ApplicationConfig reference = changedSettings(tmp.str());
        ApplicationConfig s = reference;
        const std::string path = tmp.file("bad.config.xml");
        writeWholeFile(path, contents);
        ConfigurationFile::loadConfiguration(path, s, {});
        SCOPED_TRACE(what);
        if (std::string(what) == "non-numeric") {
            // Present Measurement element: its other attributes take defaults, the numbers stay.
            EXPECT_EQ(s.samplingStep, reference.samplingStep);
            EXPECT_EQ(s.scanLimit, reference.scanLimit);
            EXPECT_EQ(s.minMaxResetModulo, reference.minMaxResetModulo);
        } else {
            expectSameSettings(reference, s);
        }
    }
    ApplicationConfig s = changedSettings(tmp.str());
    ConfigurationFile::loadConfiguration(tmp.file("missing.config.xml"), s, {});
    expectSameSettings(changedSettings(tmp.str()), s);
}

// Lowers the largest file the process may write, as a full disk would; the
// signal that would kill the process is ignored so that writes fail instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(ApplicationConfigTest, FailedSaveKeepsThePreviousFileIntact)
{
    TempDir tmp;
    const std::string path = tmp.file("VEMAR.config.xml");
    ApplicationConfig s = changedSettings(tmp.str());
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, noUnit(), s, {}));
    const std::string good = readWholeFile(path);
    ASSERT_GT(good.size(), 500u);

    s.samplingStep = 77;
    bool saved = true;
    {
        FileSizeLimit full(200);
        saved = ConfigurationFile::saveConfiguration(path, noUnit(), s, {});
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readWholeFile(path), good);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(tmp.path())) ++entries;
    EXPECT_EQ(entries, 2) << "the file and the Zelmora Optics tree";

    // A folder that does not exist: nothing is written, nothing thrown.
    EXPECT_FALSE(ConfigurationFile::saveConfiguration(tmp.file("none/VEMAR.config.xml"), noUnit(), s, {}));
}

// A section that records what it was handed.
class RecordingSection : public ConfigurationSection {
public:
    explicit RecordingSection(std::string tag) : tag_(std::move(tag)) {}
    void writeSection(TiXmlElement& element) const override { element.SetAttribute("Tag", tag_); }
    void readSection(const TiXmlElement* element) override
    {
        ++reads;
        sawElement = element != nullptr;
        if (element != nullptr && element->Attribute("Tag")) readTag = element->Attribute("Tag");
    }
    int reads = 0;
    bool sawElement = false;
    std::string readTag;

private:
    std::string tag_;
};

TEST(ApplicationConfigTest, SectionsAreWrittenAndReadThroughTheirPlugIns)
{
    TempDir tmp;
    ApplicationConfig s(tmp.str());
    RecordingSection sources("src"), passband("pb");
    const std::string path = tmp.file("sections.config.xml");
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, noUnit(), s,
                                                     ConfigurationSections::of(&sources, &passband)));
    RecordingSection sourcesIn("x"), passbandIn("y");
    ConfigurationFile::loadConfiguration(path, s, ConfigurationSections::of(&sourcesIn, &passbandIn));
    EXPECT_EQ(sourcesIn.readTag, "src");
    EXPECT_EQ(passbandIn.readTag, "pb");

    // Without Configuration: Sources is still called (with none), Passband is not.
    writeWholeFile(path, "<VEMAR><About /></VEMAR>");
    RecordingSection sourcesNone("x"), passbandNone("y");
    ConfigurationFile::loadConfiguration(path, s, ConfigurationSections::of(&sourcesNone, &passbandNone));
    EXPECT_EQ(sourcesNone.reads, 1);
    EXPECT_FALSE(sourcesNone.sawElement);
    EXPECT_EQ(passbandNone.reads, 0);

    // With Configuration but no Passband: Passband is called with none.
    writeWholeFile(path, "<VEMAR><Configuration /></VEMAR>");
    RecordingSection passbandMissing("y");
    ConfigurationFile::loadConfiguration(path, s, ConfigurationSections::of(nullptr, &passbandMissing));
    EXPECT_EQ(passbandMissing.reads, 1);
    EXPECT_FALSE(passbandMissing.sawElement);
}

TEST(AboutTest, TextsFromTheIdentity)
{
    struct Case {
        UnitIdentitySummary id;
        int dsp;
        const char* serial;
        const char* fibre;
        std::array<const char*, 4> tls;
        std::array<const char*, 4> det;
    };
    const Case cases[] = {
        {{"S/N12345", 2, 4, 0}, 112, "12345", "SMF (1240 - 1680 nm)", {"Yes", "Yes", "No", "No"}, {"Yes", "Yes", "Yes", "Yes"}},
        {{"S/N9", 1, 1, 1}, 111, "9", "PM13 (1260 - 1360 nm)", {"Yes", "No", "No", "No"}, {"Yes", "No", "No", "No"}},
        {{"S/N9", 0, 0, 2}, 100, "9", "PM15 (1440 - 1640 nm)", {"Yes", "No", "No", "No"}, {"Yes", "No", "No", "No"}},
        {{"S/N9", 4, 3, 7}, 5, "9", "SMF (1240 - 1680 nm)", {"Yes", "Yes", "Yes", "Yes"}, {"Yes", "Yes", "Yes", "No"}},
    };
    for (const Case& c : cases) {
        const About a(c.id, c.dsp);
        EXPECT_EQ(a.release, "v 3.8.0");
        EXPECT_EQ(a.serialNumber, c.serial);
        EXPECT_EQ(a.fibreType, c.fibre);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(a.tls[k], c.tls[k]) << c.id.serialText << " tls" << k + 1;
            EXPECT_EQ(a.detectors[k], c.det[k]) << c.id.serialText << " detector" << k + 1;
        }
    }
    EXPECT_EQ(About({"S/N1", 1, 1, 0}, 112).dspRelease, "v 1.12");
    EXPECT_EQ(About({"S/N1", 1, 1, 0}, 5).dspRelease, "v 0.05");
    const About none(UnitIdentitySummary{}, 112);
    EXPECT_EQ(none.release, "v 3.8.0");
    EXPECT_EQ(none.dspRelease, "- - - - - -");
    EXPECT_EQ(none.serialNumber, "- - - - - -");
    EXPECT_EQ(none.detectors[3], "- - - - - -");
}

}  // namespace
