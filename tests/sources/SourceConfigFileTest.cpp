#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>

#include "About.h"
#include "Applicationconfig.h"
#include "C_agilent.h"
#include "C_device.h"
#include "C_varnelplus.h"
#include "CommaLocale.h"
#include "ConfigurationFile.h"
#include "FileUtil.h"
#include "GpibBinding.h"
#include "Sourceconfig.h"
#include "SourcesSection.h"
#include "TempDir.h"

namespace {

class SourceConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { Gpib::setCandidateLibraries({}); }

    static std::string saved(const ConfLaser& conf)
    {
        TiXmlElement sources("Sources");
        conf.Save(sources);
        TiXmlPrinter printer;
        sources.Accept(&printer);
        return printer.CStr();
    }

    // Parses xml and loads its root (a Sources element) into conf.
    static void load(ConfLaser& conf, const std::string& xml)
    {
        TiXmlDocument doc;
        doc.Parse(xml.c_str());
        ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
        conf.Load(doc.RootElement());
    }
};

TEST_F(SourceConfigFileTest, WritesTheSectionInOrder)
{
    ConfLaser conf;
    conf.power = 1.5;
    conf.sources[0].enable = true;
    conf.sources[0].SetType(8);
    conf.sources[0].SetAddress(12);
    conf.sources[0].laser->GetCommand(CMD_SPEED)->SetText("SPD %d");
    conf.sources[1].SetType(4);
    conf.sources[2].type = 42;
    conf.sources[3].speed = 20;
    conf.sources[3].SetLambdaMin(0.00001);
    const std::string xml = saved(conf);
    EXPECT_EQ(xml,
              "<Sources>\n"
              "    <Common Power=\"1.500000\" Lambda_Min=\"1240.000000\" Lambda_Max=\"1680.000000\" />\n"
              "    <Source Name=\"TLS_0\" Enable=\"True\" Address=\"12\" Lambda_Min=\"1240.000000\" "
              "Lambda_Max=\"1680.000000\" Speed=\"99\" Type=\"Manual\" Power_On=\"Enable\" Power_Off=\"Disable\" "
              "Power=\"P=%2.3f\" WaveLength=\"L=%4.3f\" CmdSpeed=\"SPD %d\" />\n"
              "    <Source Name=\"TLS_1\" Enable=\"False\" Address=\"0\" Lambda_Min=\"1240.000000\" "
              "Lambda_Max=\"1680.000000\" Speed=\"99\" Type=\"Santec\" />\n"
              "    <Source Name=\"TLS_2\" Enable=\"False\" Address=\"0\" Lambda_Min=\"1240.000000\" "
              "Lambda_Max=\"1680.000000\" Speed=\"99\" Type=\"\" />\n"
              "    <Source Name=\"TLS_3\" Enable=\"False\" Address=\"0\" Lambda_Min=\"1.000000E-05\" "
              "Lambda_Max=\"1680.000000\" Speed=\"20\" Type=\"Manual\" />\n"
              "</Sources>\n");
}

TEST_F(SourceConfigFileTest, WrittenAndReadBackGivesTheSameRecords)
{
    CommaLocale comma;
    ConfLaser conf;
    conf.power = 2.25;
    conf.SetScanStart(1500.5);
    conf.SetScanStop(1575.25);
    const int types[4] = {6, 10, 8, 7};
    for (int i = 0; i < 4; ++i) {
        SourceConfig& s = conf.sources[i];
        s.enable = i != 2;
        s.SetType(types[i]);
        s.SetAddress(20 + i);
        s.SetLambdaMin(1400.125 + i);
        s.SetLambdaMax(1650.5 - i);
        s.speed = 10 + i;
    }
    conf.sources[2].laser->GetCommand(CMD_WAVELENGTH)->SetText("WL %9.4f nm");
    conf.sources[2].laser->GetCommand(CMD_POWER_ON)->SetText("OUT 1%");

    ConfLaser back;
    for (int i = 0; i < 4; ++i) back.sources[i].SetType(8);
    load(back, saved(conf));
    EXPECT_DOUBLE_EQ(back.power, 2.25);
    EXPECT_DOUBLE_EQ(back.lambdaMin, 1500.5);
    EXPECT_DOUBLE_EQ(back.lambdaMax, 1575.25);
    for (int i = 0; i < 4; ++i) {
        const SourceConfig& a = conf.sources[i];
        const SourceConfig& b = back.sources[i];
        EXPECT_EQ(b.enable, a.enable) << i;
        EXPECT_EQ(b.address, a.address) << i;
        EXPECT_DOUBLE_EQ(b.lambdaMin, a.lambdaMin) << i;
        EXPECT_DOUBLE_EQ(b.lambdaMax, a.lambdaMax) << i;
        EXPECT_EQ(b.speed, a.speed) << i;
        EXPECT_EQ(b.type, a.type) << i;
        ASSERT_NE(b.laser, nullptr);
        EXPECT_EQ(b.laser->PrimaryAddress(), a.address) << i;
        EXPECT_EQ(typeid(*b.laser), typeid(*a.laser)) << i;
    }
    EXPECT_STREQ(back.sources[2].laser->GetCommand(CMD_WAVELENGTH)->GetText(), "WL %9.4f nm");
    EXPECT_STREQ(back.sources[2].laser->GetCommand(CMD_POWER_ON)->GetText(), "OUT 1%");
    EXPECT_EQ(saved(back), saved(conf));
}

TEST_F(SourceConfigFileTest, MissingAttributesTakeTheirDefaults)
{
    ConfLaser conf;
    conf.power = 7.0;
    conf.sources[0].enable = true;
    conf.sources[0].address = 9;
    conf.sources[1].enable = true;
    conf.sources[1].speed = 55;
    load(conf,
         "<Sources><Common/>"
         "<Source Enable=\"True\" Address=\"4\"/>"
         "<Source Name=\"TLS_1\"/>"
         "<Source Name=\"TLS_1\" Enable=\"True\" Address=\"6\"/>"
         "<Source Name=\"TLS_2\" Enable=\"true\" Address=\"abc\" Lambda_Min=\"x\" Type=\"Santec\"/>"
         "<Source Name=\"TLS_3\" Enable=\"True\" Type=\"Laser 3000\"/>"
         "</Sources>");
    EXPECT_DOUBLE_EQ(conf.power, 1.0);
    EXPECT_DOUBLE_EQ(conf.lambdaMin, 1310.0);
    EXPECT_DOUBLE_EQ(conf.lambdaMax, 1610.0);
    // No element of its own: unchanged.
    EXPECT_TRUE(conf.sources[0].enable);
    EXPECT_EQ(conf.sources[0].address, 9);
    // The first element with the name, every attribute missing.
    EXPECT_FALSE(conf.sources[1].enable);
    EXPECT_EQ(conf.sources[1].address, 1);
    EXPECT_DOUBLE_EQ(conf.sources[1].lambdaMin, 1240.0);
    EXPECT_DOUBLE_EQ(conf.sources[1].lambdaMax, 1680.0);
    EXPECT_EQ(conf.sources[1].speed, 100);
    EXPECT_EQ(conf.sources[1].type, 8);
    // Malformed numbers leave the values; only "True" is true.
    EXPECT_FALSE(conf.sources[2].enable);
    EXPECT_EQ(conf.sources[2].address, 0);
    EXPECT_DOUBLE_EQ(conf.sources[2].lambdaMin, 1240.0);
    EXPECT_EQ(conf.sources[2].type, 4);
    EXPECT_EQ(conf.sources[3].type, 8);
}

TEST_F(SourceConfigFileTest, WithoutASectionOnlyTheFirstSourceIsEnabled)
{
    ConfLaser conf;
    conf.power = 4.0;
    conf.sources[1].address = 5;
    conf.Load(nullptr);
    EXPECT_TRUE(conf.sources[0].enable);
    EXPECT_FALSE(conf.sources[1].enable);
    EXPECT_EQ(conf.sources[0].address, 0);
    EXPECT_EQ(conf.sources[0].type, 8);
    EXPECT_EQ(conf.sources[0].speed, 99);
    EXPECT_DOUBLE_EQ(conf.sources[0].lambdaMin, 1240.0);
    EXPECT_EQ(conf.sources[1].address, 5);
    EXPECT_DOUBLE_EQ(conf.power, 4.0);
}

TEST_F(SourceConfigFileTest, TemplateAttributesAreCheckedAndDefaultWhenMissing)
{
    ConfLaser conf;
    conf.sources[0].SetType(8);
    C_Laser& laser = *conf.sources[0].laser;
    laser.GetCommand(CMD_POWER_ON)->SetText("ON");
    laser.GetCommand(CMD_POWER_OFF)->SetText("OFF");
    load(conf,
         "<Sources><Source Name=\"TLS_0\" Type=\"Manual\" Power_Off=\"STANDBY\" "
         "Power=\"P=%s\" WaveLength=\"LAMBDA=%4.3f then a longer tail\" CmdSpeed=\"V=%d\"/></Sources>");
    ASSERT_EQ(conf.sources[0].laser.get(), &laser);
    EXPECT_STREQ(laser.GetCommand(CMD_POWER_ON)->GetText(), "Enable");  // missing: default
    EXPECT_STREQ(laser.GetCommand(CMD_POWER_OFF)->GetText(), "STANDBY");
    EXPECT_STREQ(laser.GetCommand(CMD_POWER)->GetText(), "P=%2.3f");      // reads a text: refused
    EXPECT_STREQ(laser.GetCommand(CMD_WAVELENGTH)->GetText(), "L=%4.3f"); // 31 characters: refused
    EXPECT_STREQ(laser.GetCommand(CMD_SPEED)->GetText(), "V=%d");
}

TEST_F(SourceConfigFileTest, ReloadingAnotherTypeOrAddressRebuildsOrReaddressesTheDriver)
{
    ConfLaser conf;
    conf.sources[0].SetType(8);
    conf.sources[0].SetAddress(3);
    conf.sources[1].SetType(0);
    conf.sources[1].SetAddress(4);
    const C_Laser* kept = conf.sources[1].laser.get();
    load(conf,
         "<Sources>"
         "<Source Name=\"TLS_0\" Address=\"5\" Type=\"Agilent\"/>"
         "<Source Name=\"TLS_1\" Address=\"8\" Type=\"VarnelPlus\"/>"
         "</Sources>");
    ASSERT_NE(dynamic_cast<C_Agilent*>(conf.sources[0].laser.get()), nullptr);
    EXPECT_EQ(conf.sources[0].laser->PrimaryAddress(), 5);
    EXPECT_EQ(conf.sources[1].laser.get(), kept);
    EXPECT_EQ(conf.sources[1].laser->PrimaryAddress(), 8);
    // Records without a driver get none from a load: the editors create them.
    EXPECT_EQ(conf.sources[2].laser, nullptr);
}

TEST_F(SourceConfigFileTest, PlugsIntoTheConfigurationFile)
{
    TempDir dir;
    const std::string path = dir.file("VEMAR.config.xml");
    ApplicationConfig settings;
    ConfLaser conf;
    conf.sources[2].enable = true;
    conf.sources[2].SetAddress(17);
    conf.power = 0.5;
    SourcesSection section(conf);
    ASSERT_TRUE(ConfigurationFile::saveConfiguration(path, About(UnitIdentitySummary{}, 0), settings,
                                                     ConfigurationSections::of(&section, nullptr)));
    EXPECT_NE(readWholeFile(path).find("<Source Name=\"TLS_2\" Enable=\"True\" Address=\"17\""), std::string::npos);

    ConfLaser back;
    SourcesSection backSection(back);
    ConfigurationFile::loadConfiguration(path, settings, ConfigurationSections::of(&backSection, nullptr));
    EXPECT_TRUE(back.sources[2].enable);
    EXPECT_EQ(back.sources[2].address, 17);
    EXPECT_DOUBLE_EQ(back.power, 0.5);
    EXPECT_FALSE(back.sources[0].enable);

    // No file at all: the first start enables TLS_0.
    ConfLaser fresh;
    SourcesSection freshSection(fresh);
    ConfigurationFile::loadConfiguration(dir.file("missing.xml"), settings,
                                         ConfigurationSections::of(&freshSection, nullptr));
    EXPECT_TRUE(fresh.sources[0].enable);
}

}  // namespace
