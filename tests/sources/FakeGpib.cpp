// A stand-in GPIB library for the binding tests, with linux-gpib's names for
// the status variables (ibsta, iberr, ibcnt, ibcntl) and its ways of failing:
//
// - without a board (fake_set_board(0), as linux-gpib with no /etc/gpib.conf
//   or no /dev/gpib0) ibdev returns -1 with ERR, iberr EDVR and ibcntl ENOENT;
// - a call on a descriptor ibdev did not hand out (or that went offline)
//   returns ERR with EARG;
// - a primary address outside 0..30 is refused with EARG and noted: the real
//   library, with a board described, crashes the program there instead, so
//   tests check that none ever arrives (fake_bad_addresses()).
//
// With a board, each call reports the status the test asked for and reads
// return the answer the test set. Every call is counted per entry; when
// FAKE_GPIB_CALL_LOG names a file, each call also appends its entry's name
// there (for programs run as child processes). FAKE_GPIB_BOARD=0 starts it
// without a board. ibtrg is left out on purpose, to test an entry the library
// does not have.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) int ibcnt = 0;
__attribute__((visibility("default"))) long ibcntl = 0;
}

namespace {

constexpr int ERR = 0x8000;
constexpr int CMPL = 0x0100;
constexpr int EDVR = 0;
constexpr int EARG = 4;
// linux-gpib hands out device descriptors above those of its boards.
constexpr int firstDescriptor = 16;

// Guards everything below: the sources' initialisation threads call at once.
std::mutex g_mutex;
bool boardAtStart()
{
    const char* board = std::getenv("FAKE_GPIB_BOARD");
    return board == nullptr || std::strcmp(board, "0") != 0;
}
bool g_board = boardAtStart();
int g_nextStatus = CMPL;
int g_nextError = 0;
std::string g_answer;
std::string g_lastWrite;
int g_lastPad = -1;
char g_statusByte = 0x41;
int g_pollStatus = CMPL;
int g_pollError = 0;
int g_badAddresses = 0;
int g_nextDescriptor = firstDescriptor;
std::map<int, int> g_open;  // descriptor -> primary address
std::map<std::string, int> g_calls;

// The status of each thread's last call, as linux-gpib keeps it.
struct ThreadStatus {
    int ibsta = 0;
    int iberr = 0;
    long ibcntl = 0;
};
thread_local ThreadStatus t_status;

void logCall(const char* entry)
{
    ++g_calls[entry];
    const char* path = std::getenv("FAKE_GPIB_CALL_LOG");
    if (path == nullptr || *path == '\0') return;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string line = std::string(entry) + "\n";
    // One short write with O_APPEND: lines of several threads never mix.
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
    ::close(fd);
}

int done(int status, int error, long count)
{
    t_status = {status, error, count};
    ibsta = status;
    iberr = error;
    ibcnt = static_cast<int>(count);
    ibcntl = count;
    return status;
}

bool isOpen(int ud) { return g_open.count(ud) != 0; }

int invalidDescriptor() { return done(ERR, EARG, 0); }

}  // namespace

FAKE_EXPORT void fake_set_board(int present)
{
    std::lock_guard lock(g_mutex);
    g_board = present != 0;
}
FAKE_EXPORT void fake_set_status(int status, int error)
{
    std::lock_guard lock(g_mutex);
    g_nextStatus = status;
    g_nextError = error;
}
FAKE_EXPORT void fake_set_answer(const char* bytes, int length)
{
    std::lock_guard lock(g_mutex);
    g_answer.assign(bytes, static_cast<std::size_t>(length));
}
FAKE_EXPORT const char* fake_last_write()
{
    std::lock_guard lock(g_mutex);
    return g_lastWrite.c_str();
}
FAKE_EXPORT int fake_last_pad()
{
    std::lock_guard lock(g_mutex);
    return g_lastPad;
}
FAKE_EXPORT void fake_set_status_byte(int value)
{
    std::lock_guard lock(g_mutex);
    g_statusByte = static_cast<char>(value);
}
FAKE_EXPORT void fake_set_poll_status(int status, int error)
{
    std::lock_guard lock(g_mutex);
    g_pollStatus = status;
    g_pollError = error;
}
FAKE_EXPORT int fake_calls(const char* entry)
{
    std::lock_guard lock(g_mutex);
    const auto found = g_calls.find(entry);
    return found == g_calls.end() ? 0 : found->second;
}
FAKE_EXPORT int fake_total_calls()
{
    std::lock_guard lock(g_mutex);
    int total = 0;
    for (const auto& [entry, count] : g_calls) total += count;
    return total;
}
FAKE_EXPORT int fake_open_devices()
{
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_open.size());
}
FAKE_EXPORT int fake_bad_addresses()
{
    std::lock_guard lock(g_mutex);
    return g_badAddresses;
}
// Back to the board of the start with nothing open, no call counted and the default answers.
FAKE_EXPORT void fake_reset()
{
    std::lock_guard lock(g_mutex);
    g_board = boardAtStart();
    g_nextStatus = CMPL;
    g_nextError = 0;
    g_answer.clear();
    g_lastWrite.clear();
    g_lastPad = -1;
    g_statusByte = 0x41;
    g_pollStatus = CMPL;
    g_pollError = 0;
    g_badAddresses = 0;
    g_open.clear();
    g_calls.clear();
}

FAKE_EXPORT int ibdev(int, int pad, int, int, int, int)
{
    std::lock_guard lock(g_mutex);
    logCall("ibdev");
    if (!g_board) {
        // linux-gpib: the board's configuration or device file is missing.
        done(ERR, EDVR, ENOENT);
        return -1;
    }
    if (pad < 0 || pad > 30) {
        ++g_badAddresses;
        done(ERR, EARG, 0);
        return -1;
    }
    g_lastPad = pad;
    const int ud = g_nextDescriptor++;
    g_open[ud] = pad;
    done(CMPL, 0, 0);
    return ud;
}
FAKE_EXPORT int ibonl(int ud, int online)
{
    std::lock_guard lock(g_mutex);
    logCall("ibonl");
    if (!isOpen(ud)) return invalidDescriptor();
    if (online == 0) g_open.erase(ud);
    return done(CMPL, 0, 0);
}
FAKE_EXPORT int ibln(int ud, int, int, short* listener)
{
    std::lock_guard lock(g_mutex);
    logCall("ibln");
    if (!isOpen(ud)) return invalidDescriptor();
    *listener = 1;
    return done(CMPL, 0, 0);
}
FAKE_EXPORT int ibwrt(int ud, const void* buffer, long count)
{
    std::lock_guard lock(g_mutex);
    logCall("ibwrt");
    if (!isOpen(ud)) return invalidDescriptor();
    g_lastWrite.assign(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    return done(g_nextStatus, g_nextError, (g_nextStatus & ERR) != 0 ? 0 : count);
}
FAKE_EXPORT int ibrd(int ud, void* buffer, long count)
{
    std::lock_guard lock(g_mutex);
    logCall("ibrd");
    if (!isOpen(ud)) return invalidDescriptor();
    const long n = std::min<long>(count, static_cast<long>(g_answer.size()));
    std::memcpy(buffer, g_answer.data(), static_cast<std::size_t>(n));
    return done(g_nextStatus, g_nextError, n);
}
FAKE_EXPORT int ibrsp(int ud, char* statusByte)
{
    std::lock_guard lock(g_mutex);
    logCall("ibrsp");
    if (!isOpen(ud)) return invalidDescriptor();
    *statusByte = g_statusByte;
    return done(g_pollStatus, g_pollError, 1);
}
FAKE_EXPORT int ibloc(int ud)
{
    std::lock_guard lock(g_mutex);
    logCall("ibloc");
    if (!isOpen(ud)) return invalidDescriptor();
    return done(CMPL, 0, 0);
}
FAKE_EXPORT int ThreadIbsta() { return t_status.ibsta; }
FAKE_EXPORT int ThreadIberr() { return t_status.iberr; }
FAKE_EXPORT int ThreadIbcnt() { return static_cast<int>(t_status.ibcntl); }
FAKE_EXPORT long ThreadIbcntl() { return t_status.ibcntl; }
