// A GPIB library for the source editors' tests that counts the calls of each
// entry and answers like one instrument at every address: present (ibln),
// every write and read completed, "1" to every query. The status variables
// carry linux-gpib's names.

#include <cstring>
#include <map>
#include <string>

#define COUNTING_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) int ibcnt = 0;
__attribute__((visibility("default"))) long ibcntl = 0;
}

namespace {

std::map<std::string, int> g_calls;
std::string g_writes;

int done(const char* entry, long count)
{
    ++g_calls[entry];
    ibsta = 0x0100;
    iberr = 0;
    ibcnt = static_cast<int>(count);
    ibcntl = count;
    return ibsta;
}

}  // namespace

COUNTING_EXPORT int counting_calls(const char* entry)
{
    const auto found = g_calls.find(entry);
    return found == g_calls.end() ? 0 : found->second;
}
COUNTING_EXPORT const char* counting_writes() { return g_writes.c_str(); }
COUNTING_EXPORT void counting_reset()
{
    g_calls.clear();
    g_writes.clear();
}

COUNTING_EXPORT int ibdev(int, int, int, int, int, int)
{
    done("ibdev", 0);
    return 7;
}
COUNTING_EXPORT int ibonl(int, int) { return done("ibonl", 0); }
COUNTING_EXPORT int ibln(int, int, int, short* listener)
{
    *listener = 1;
    return done("ibln", 0);
}
COUNTING_EXPORT int ibwrt(int, const void* buffer, long count)
{
    g_writes.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    g_writes += '\n';
    return done("ibwrt", count);
}
COUNTING_EXPORT int ibrd(int, void* buffer, long count)
{
    static constexpr char answer[] = "1\n";
    const long n = count < 2 ? count : 2;
    std::memcpy(buffer, answer, static_cast<std::size_t>(n));
    return done("ibrd", n);
}
COUNTING_EXPORT int ibrsp(int, char* statusByte)
{
    *statusByte = 0x41;
    return done("ibrsp", 1);
}
COUNTING_EXPORT int ibloc(int) { return done("ibloc", 0); }
COUNTING_EXPORT int ThreadIbsta() { return ibsta; }
COUNTING_EXPORT int ThreadIberr() { return iberr; }
COUNTING_EXPORT long ThreadIbcntl() { return ibcntl; }
