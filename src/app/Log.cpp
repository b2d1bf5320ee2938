#include "Log.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace Log {
namespace {

// Level thresholds: info 5, debug 4, warn 3, error 2, fatal 1.
enum Level { Fatal = 1, Error = 2, Warn = 3, Debug = 4, Info = 5 };

std::atomic<int> g_level{5};
std::atomic<bool> g_consoleOpen{false};
std::atomic<std::uint32_t> g_startTick{0};
std::atomic<std::uint32_t> g_lastTick{0};

// Protects the replaceable output and clock, which are set from the main
// thread while tracing threads may be reading them.
std::mutex g_hooksMutex;
Output g_output;
TickSource g_ticks;

std::uint32_t defaultTicks()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The console colours of the levels (the bright variant of light grey, green,
// cyan, yellow and red) as ANSI sequences.
const char* colourOf(int level)
{
    switch (level) {
    case Info: return "\x1b[97m";
    case Debug: return "\x1b[92m";
    case Warn: return "\x1b[96m";
    case Error: return "\x1b[93m";
    default: return "\x1b[91m";
    }
}

void defaultOutput(int level, std::string_view line)
{
    std::string text;
    const bool colour = ::isatty(STDERR_FILENO) == 1;
    if (colour) {
        text = colourOf(level);
        text.append(line);
        text.append("\x1b[0m");
    } else {
        text.assign(line);
    }
    // One write per line; a short write on a terminal is finished in a loop.
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0) break;  // nowhere to report a failing stderr
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::uint32_t now()
{
    std::lock_guard lock(g_hooksMutex);
    return g_ticks ? g_ticks() : defaultTicks();
}

void emit(int level, std::string_view line)
{
    Output out;
    {
        std::lock_guard lock(g_hooksMutex);
        out = g_output;
    }
    if (out)
        out(level, line);
    else
        defaultOutput(level, line);
}

void writeLine(int level, const char* format, va_list args)
{
    const std::uint32_t tick = now();
    const std::uint32_t elapsed = tick - g_startTick.load();
    const std::uint32_t sincePrevious = now() - g_lastTick.load();

    // Each call has its own buffer, so concurrent callers cannot mix a line.
    // Room for the prefix (wider only after 99 hours), 490 characters and the NUL.
    char line[32 + maxMessageLength + 1];
    const unsigned hours = elapsed / 3600000u;
    const unsigned minutes = (elapsed / 60000u) % 60u;
    const unsigned seconds = (elapsed / 1000u) % 60u;
    const unsigned millis = elapsed % 1000u;
    int prefix = std::snprintf(line, sizeof line, "%02u:%02u:%02u,%03u (%05u): ", hours, minutes,
                               seconds, millis, sincePrevious);
    if (prefix < 0 || prefix > 32) prefix = 0;
    std::vsnprintf(line + prefix, maxMessageLength + 1, format, args);
    emit(level, std::string_view(line));
    g_lastTick = tick;
}

void trace(int threshold, const char* format, va_list args)
{
    if (!g_consoleOpen.load() || g_level.load() < threshold) return;
    writeLine(threshold, format, args);
}

void traceFormatted(int threshold, const char* format, ...) __attribute__((format(printf, 2, 3)));
void traceFormatted(int threshold, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(threshold, format, args);
    va_end(args);
}

}  // namespace

void openLog(int level)
{
    g_level = level;
    if (!g_consoleOpen.exchange(true)) {
        // The terminal is the console; the debugger output is stderr as well.
        emit(Info, "Console allocated for debug TRACE !\n");
    }
    const std::uint32_t tick = now();
    g_startTick = tick;
    g_lastTick = tick;
    traceFormatted(Info, "info\n");
    traceFormatted(Debug, "debug\n");
    traceFormatted(Warn, "warn\n");
    traceFormatted(Error, "error\n");
    traceFormatted(Fatal, "fatal\n\n");
}

void closeLog() { g_consoleOpen = false; }

bool isOpen() { return g_consoleOpen.load(); }

void info(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(Info, format, args);
    va_end(args);
}

void debug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(Debug, format, args);
    va_end(args);
}

void warn(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(Warn, format, args);
    va_end(args);
}

void error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(Error, format, args);
    va_end(args);
}

void fatal(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace(Fatal, format, args);
    va_end(args);
}

void setOutput(Output output)
{
    std::lock_guard lock(g_hooksMutex);
    g_output = std::move(output);
}

void setTickSource(TickSource ticks)
{
    std::lock_guard lock(g_hooksMutex);
    g_ticks = std::move(ticks);
}

void resetOutputAndTicks()
{
    std::lock_guard lock(g_hooksMutex);
    g_output = nullptr;
    g_ticks = nullptr;
}

}  // namespace Log
