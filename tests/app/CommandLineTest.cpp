#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

TEST(CommandLineTest, HistoricalSwitchesAreComparedUpperCased)
{
    const CommandLine a({"logger", "Qzrt"});
    EXPECT_TRUE(a.logger());
    EXPECT_TRUE(a.factory());
    EXPECT_FALSE(a.forceConnected());
    EXPECT_TRUE(a.others().empty());

    const CommandLine b({"-logger", "LOGGERX", "xwep"});
    EXPECT_FALSE(b.logger()) << "the whole argument must match";
    EXPECT_TRUE(b.forceConnected());
    EXPECT_EQ(b.others(), (std::vector<std::string>{"-logger", "LOGGERX"}));
}

TEST(CommandLineTest, SimulationSwitchWithPresetAndSeed)
{
    const CommandLine none({"LOGGER"});
    EXPECT_FALSE(none.simulate());

    const CommandLine plain({"--simulate"});
    EXPECT_TRUE(plain.simulate());
    EXPECT_EQ(plain.preset(), "");
    EXPECT_FALSE(plain.seed().has_value());

    const CommandLine full({"--simulate=cwdm", "--seed", "42"});
    EXPECT_EQ(full.preset(), "cwdm");
    EXPECT_EQ(full.seed(), 42u);

    const CommandLine eq({"--seed=7", "--simulate"});
    EXPECT_EQ(eq.seed(), 7u);
    EXPECT_FALSE(CommandLine({"--seed=x7"}).seed().has_value());
}

TEST(CommandLineTest, PortAndHelp)
{
    const CommandLine none({"--simulate"});
    EXPECT_FALSE(none.port().has_value());
    EXPECT_FALSE(none.help());

    EXPECT_EQ(CommandLine({"--port", "/dev/ttyUSB3"}).port(), "/dev/ttyUSB3");
    EXPECT_EQ(CommandLine({"--port=/dev/pts/4", "QZRT"}).port(), "/dev/pts/4");
    const CommandLine dangling({"--port"});
    EXPECT_FALSE(dangling.port().has_value()) << "a switch without its value is no port";
    EXPECT_EQ(dangling.others(), (std::vector<std::string>{"--port"}));
    EXPECT_TRUE(CommandLine({"--help"}).help());
    EXPECT_TRUE(CommandLine({"xwep", "-h"}).help());
}

}  // namespace
