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

}  // namespace
