#pragma once

// Diagnostic log: developers' traces on the terminal, active only when the
// program is started with the LOGGER switch. Without an open log every call
// returns at once.
//
// Each line is prefixed "hh:mm:ss,mmm (ddddd): " with the time since the log
// was opened and the milliseconds since the previous line, and is written
// with one system call so that lines of different threads never mix.

#include <cstdint>
#include <functional>
#include <string_view>

namespace Log {

// Opens the log with the given level (5 writes every level, 1 only fatal).
// The first call creates the "console" (stderr) and announces it; every call
// restarts the clock and writes the five self-test lines.
void openLog(int level = 5);
void closeLog();
bool isOpen();

void info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void debug(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Longest message kept after the 22-character prefix.
inline constexpr int maxMessageLength = 490;

// Where lines go and where the time comes from. The defaults are stderr (with
// ANSI colours when it is a terminal) and a monotonic millisecond clock; the
// tests replace both. Set them before openLog.
using Output = std::function<void(int level, std::string_view line)>;
using TickSource = std::function<std::uint32_t()>;
void setOutput(Output output);
void setTickSource(TickSource ticks);
void resetOutputAndTicks();

}  // namespace Log
