// A stand-in GPIB library for the binding tests, with linux-gpib's names for
// the status variables (ibsta, iberr, ibcntl). Each call reports the status
// the test asked for; reads return the answer the test set. ibtrg is left out
// on purpose, to test an entry the library does not have.

#include <algorithm>
#include <cstring>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) int ibcnt = 0;
__attribute__((visibility("default"))) long ibcntl = 0;
}

namespace {
int g_nextStatus = 0x0100;
int g_nextError = 0;
std::string g_answer;
std::string g_lastWrite;
int g_lastPad = -1;
int g_calls = 0;
char g_statusByte = 0x41;
int g_pollStatus = 0x0100;
int g_pollError = 0;
int g_polls = 0;

int done(int status, int error, long count)
{
    ++g_calls;
    ibsta = status;
    iberr = error;
    ibcnt = static_cast<int>(count);
    ibcntl = count;
    return status;
}
}  // namespace

FAKE_EXPORT void fake_set_status(int status, int error)
{
    g_nextStatus = status;
    g_nextError = error;
}
FAKE_EXPORT void fake_set_answer(const char* bytes, int length) { g_answer.assign(bytes, static_cast<std::size_t>(length)); }
FAKE_EXPORT const char* fake_last_write() { return g_lastWrite.c_str(); }
FAKE_EXPORT int fake_last_pad() { return g_lastPad; }
FAKE_EXPORT int fake_calls() { return g_calls; }
FAKE_EXPORT void fake_set_status_byte(int value) { g_statusByte = static_cast<char>(value); }
FAKE_EXPORT int fake_polls() { return g_polls; }
FAKE_EXPORT void fake_set_poll_status(int status, int error)
{
    g_pollStatus = status;
    g_pollError = error;
}

FAKE_EXPORT int ibdev(int, int pad, int, int, int, int)
{
    g_lastPad = pad;
    done(0x0100, 0, 0);
    return 7;
}
FAKE_EXPORT int ibonl(int, int) { return done(0x0100, 0, 0); }
FAKE_EXPORT int ibln(int, int, int, short* listener)
{
    *listener = 1;
    return done(0x0100, 0, 0);
}
FAKE_EXPORT int ibwrt(int, const void* buffer, long count)
{
    g_lastWrite.assign(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    return done(g_nextStatus, g_nextError, (g_nextStatus & 0x8000) != 0 ? 0 : count);
}
FAKE_EXPORT int ibrd(int, void* buffer, long count)
{
    const long n = std::min<long>(count, static_cast<long>(g_answer.size()));
    std::memcpy(buffer, g_answer.data(), static_cast<std::size_t>(n));
    return done(g_nextStatus, g_nextError, n);
}
FAKE_EXPORT int ibrsp(int, char* statusByte)
{
    *statusByte = g_statusByte;
    ++g_polls;
    return done(g_pollStatus, g_pollError, 1);
}
FAKE_EXPORT int ibloc(int) { return done(0x0100, 0, 0); }
FAKE_EXPORT int ThreadIbsta() { return ibsta; }
FAKE_EXPORT int ThreadIberr() { return iberr; }
FAKE_EXPORT long ThreadIbcntl() { return ibcntl; }
