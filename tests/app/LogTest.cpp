#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>
#include <mutex>

#include "Log.h"

namespace {

struct CapturedLine {
    int level;
    std::string text;
};

// Captures the log's lines and drives its clock by hand.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log::setOutput([this](int level, std::string_view line) {
            std::lock_guard lock(mutex_);
            lines_.push_back({level, std::string(line)});
        });
        Log::setTickSource([this] { return ticks_.load(); });
    }
    void TearDown() override
    {
        Log::closeLog();
        Log::resetOutputAndTicks();
    }
    std::vector<CapturedLine> take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

    std::atomic<std::uint32_t> ticks_{1000};
    std::mutex mutex_;
    std::vector<CapturedLine> lines_;
};

TEST_F(LogTest, ClosedLogWritesNothing)
{
    Log::info("hello %d\n", 1);
    Log::fatal("bye\n");
    EXPECT_TRUE(take().empty());
}

TEST_F(LogTest, OpeningAnnouncesTheConsoleAndWritesTheSelfTestLines)
{
    Log::openLog(5);
    const auto lines = take();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].text, "Console allocated for debug TRACE !\n");
    const char* expected[] = {"info\n", "debug\n", "warn\n", "error\n", "fatal\n\n"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lines[i + 1].text, std::string("00:00:00,000 (00000): ") + expected[i]);
        EXPECT_EQ(lines[i + 1].level, 5 - i);
    }
}

TEST_F(LogTest, LevelDecidesWhichCallsWrite)
{
    struct Case {
        int level;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {5, {"I", "D", "W", "E", "F"}},
        {3, {"W", "E", "F"}},
        {1, {"F"}},
        {0, {}},
    };
    for (const Case& c : cases) {
        Log::openLog(c.level);
        take();
        Log::info("I");
        Log::debug("D");
        Log::warn("W");
        Log::error("E");
        Log::fatal("F");
        std::vector<std::string> got;
        for (const auto& l : take()) got.push_back(l.text.substr(22));
        EXPECT_EQ(got, c.written) << "level " << c.level;
    }
}

TEST_F(LogTest, PrefixShowsElapsedTimeAndGapSincePreviousLine)
{
    Log::openLog(5);
    take();
    ticks_ += 1500;
    Log::info("a\n");
    ticks_ += 3 * 3600000 + 25 * 60000 + 7 * 1000 + 42 - 1500;
    Log::info("b %s\n", "x");
    const auto lines = take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "00:00:01,500 (01500): a\n");
    EXPECT_EQ(lines[1].text, "03:25:07,042 (12305542): b x\n");
}

TEST_F(LogTest, HoursAreNotWrappedAtOneDay)
{
    Log::openLog(5);
    take();
    ticks_ += 25u * 3600000u;
    Log::info("late\n");
    EXPECT_EQ(take().at(0).text.substr(0, 12), "25:00:00,000");
}

TEST_F(LogTest, LongMessageIsCutTo490Characters)
{
    Log::openLog(5);
    take();
    const std::string message(600, 'x');
    Log::info("%s", message.c_str());
    const auto lines = take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text.size(), 22u + 490u);
    EXPECT_EQ(lines[0].text.substr(22), std::string(490, 'x'));
}

TEST_F(LogTest, ConcurrentCallersNeverMixALine)
{
    Log::openLog(5);
    take();
    auto writer = [](char c) {
        const std::string body(300, c);
        for (int i = 0; i < 200; ++i) Log::info("%s\n", body.c_str());
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    const auto lines = take();
    ASSERT_EQ(lines.size(), 400u);
    for (const auto& l : lines) {
        const std::string body = l.text.substr(22);
        ASSERT_EQ(body.size(), 301u);
        EXPECT_TRUE(body == std::string(300, 'a') + "\n" || body == std::string(300, 'b') + "\n");
    }
}

}  // namespace
