#include <gtest/gtest.h>

#include <filesystem>

#include "SimulatorPlugin.h"

namespace {

TEST(SimulatorPluginTest, LoadsBesideTheProgramAndChoosesPresets)
{
    // By the absolute path of the program's own folder, whatever the run path.
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(SimulatorPlugin::libraryPath(), (program.parent_path() / "libvemar-sim.so").string());

    std::string why;
    EXPECT_FALSE(SimulatorPlugin::activate("no-such-bench", 1, &why));
    EXPECT_NE(why.find("no-such-bench"), std::string::npos) << why;

    ASSERT_TRUE(SimulatorPlugin::activate("", 99, &why)) << why;
    EXPECT_TRUE(SimulatorPlugin::active());
    EXPECT_EQ(SimulatorPlugin::preset(), "dwdm");
    EXPECT_EQ(SimulatorPlugin::seed(), 99u);
    EXPECT_NE(SimulatorPlugin::symbol("vemarsim_init"), nullptr);
    EXPECT_EQ(SimulatorPlugin::symbol("no_such_entry"), nullptr);

    ASSERT_TRUE(SimulatorPlugin::activate("cwdm", 3, &why));
    EXPECT_EQ(SimulatorPlugin::preset(), "cwdm");
}

}  // namespace
