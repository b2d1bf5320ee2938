#pragma once

// Collects the diagnostic log's lines (without their time prefix) with
// their levels while a test runs.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Log.h"

class LogCapture {
public:
    // Levels: 1 fatal, 2 error, 3 warn, 4 debug, 5 info.
    LogCapture()
    {
        Log::setOutput([this](int level, std::string_view line) {
            // The prefix "hh:mm:ss,mmm (ddddd): " is 22 characters.
            lines.emplace_back(level, std::string(line.size() > 22 ? line.substr(22) : std::string_view()));
        });
        Log::openLog(5);
        lines.clear();
    }
    ~LogCapture()
    {
        Log::closeLog();
        Log::resetOutputAndTicks();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    int count(int level, const std::string& text) const
    {
        int n = 0;
        for (const auto& [l, t] : lines)
            if (l == level && t == text) ++n;
        return n;
    }
    int countStartingWith(int level, const std::string& prefix) const
    {
        int n = 0;
        for (const auto& [l, t] : lines)
            if (l == level && t.rfind(prefix, 0) == 0) ++n;
        return n;
    }

    std::vector<std::pair<int, std::string>> lines;
};
