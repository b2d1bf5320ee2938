// The NI-488.2 entry points of the plug-in, served by the simulated bus. The
// status of each call is kept per calling thread (ThreadIbsta ...) and copied
// into the process-wide status variables, as the real library does.

#include <algorithm>
#include <atomic>
#include <string_view>

#include "SimClock.h"
#include "SimGpibBus.h"
#include "vemar_sim.h"

namespace {

// ibsta bits and iberr codes.
constexpr int ERR = 0x8000;
constexpr int TIMO = 0x4000;
constexpr int END = 0x2000;
constexpr int CMPL = 0x0100;
constexpr int EDVR = 0;
constexpr int ENOL = 2;
constexpr int EARG = 4;
constexpr int EABO = 6;
constexpr int ENEB = 7;

struct ThreadStatus {
    int ibsta = 0;
    int iberr = 0;
    long ibcntl = 0;
};
thread_local ThreadStatus t_status;

// The time-outs of the codes T10us ... T1000s; code 0 (none) waits the longest.
double timeoutSeconds(int code)
{
    static constexpr double seconds[] = {1000.0, 10e-6, 30e-6, 100e-6, 300e-6, 1e-3, 3e-3, 10e-3, 30e-3,
                                         100e-3, 300e-3, 1.0,  3.0,   10.0,   30.0,   100.0, 300.0, 1000.0};
    return code >= 0 && code <= 17 ? seconds[code] : 10.0;
}

}  // namespace

extern "C" {
VEMARSIM_EXPORT int user_ibsta = 0;
VEMARSIM_EXPORT int user_iberr = 0;
VEMARSIM_EXPORT long user_ibcntl = 0;
}

namespace {

int report(int ibsta, int iberr, long count)
{
    t_status = {ibsta, iberr, count};
    std::atomic_ref<int>(user_ibsta).store(ibsta, std::memory_order_relaxed);
    std::atomic_ref<int>(user_iberr).store(iberr, std::memory_order_relaxed);
    std::atomic_ref<long>(user_ibcntl).store(count, std::memory_order_relaxed);
    return ibsta;
}

int fail(int iberr) { return report(ERR, iberr, 0); }

// A talker that never answers: the controller waits the whole time-out.
int timeOut(double timeoutS)
{
    vemarsim::sleepSimulated(timeoutS);
    return report(ERR | TIMO, EABO, 0);
}

vemarsim::SimGpibBus& bus() { return vemarsim::SimGpibBus::instance(); }

}  // namespace

extern "C" {

VEMARSIM_EXPORT int ibdev(int board, int pad, int sad, int tmo, int eot, int eos)
{
    if (board != 0) {
        fail(ENEB);
        return -1;
    }
    if (pad < 0 || pad > vemarsim::SimGpibBus::highestAddress || tmo < 0 || tmo > 17) {
        fail(EARG);
        return -1;
    }
    const int descriptor = bus().openDevice({pad, sad, timeoutSeconds(tmo)});
    report(CMPL, 0, 0);
    return descriptor;
}

VEMARSIM_EXPORT int ibonl(int ud, int online)
{
    if (!bus().device(ud)) return fail(EDVR);
    if (online == 0) bus().closeDevice(ud);
    return report(CMPL, 0, 0);
}

VEMARSIM_EXPORT int ibln(int ud, int pad, int sad, short* listener)
{
    if (!bus().device(ud) || listener == nullptr) return fail(listener == nullptr ? EARG : EDVR);
    // The simulated instruments have no secondary address.
    *listener = (sad == 0 && bus().instrumentAt(pad)) ? 1 : 0;
    return report(CMPL, 0, 0);
}

VEMARSIM_EXPORT int ibwrt(int ud, const void* buffer, long count)
{
    const auto device = bus().device(ud);
    if (!device) return fail(EDVR);
    if (buffer == nullptr || count < 0) return fail(EARG);
    const auto instrument = bus().instrumentAt(device->primaryAddress);
    if (!instrument) return fail(ENOL);
    instrument->write(std::string_view(static_cast<const char*>(buffer), static_cast<std::size_t>(count)));
    return report(CMPL | END, 0, count);
}

VEMARSIM_EXPORT int ibrd(int ud, void* buffer, long count)
{
    const auto device = bus().device(ud);
    if (!device) return fail(EDVR);
    if (buffer == nullptr || count < 0) return fail(EARG);
    const auto instrument = bus().instrumentAt(device->primaryAddress);
    if (!instrument) return timeOut(device->timeoutS);
    const vemarsim::SimReadResult result =
        instrument->read(static_cast<char*>(buffer), static_cast<std::size_t>(count), device->timeoutS);
    if (result.timedOut) return report(ERR | TIMO, EABO, 0);
    return report(CMPL | (result.end ? END : 0), 0, static_cast<long>(result.count));
}

VEMARSIM_EXPORT int ibrsp(int ud, char* statusByte)
{
    const auto device = bus().device(ud);
    if (!device) return fail(EDVR);
    if (statusByte == nullptr) return fail(EARG);
    const auto instrument = bus().instrumentAt(device->primaryAddress);
    if (!instrument) return timeOut(device->timeoutS);
    *statusByte = static_cast<char>(instrument->serialPoll());
    return report(CMPL, 0, 1);
}

VEMARSIM_EXPORT int ibloc(int ud)
{
    const auto device = bus().device(ud);
    if (!device) return fail(EDVR);
    const auto instrument = bus().instrumentAt(device->primaryAddress);
    if (!instrument) return fail(ENOL);
    instrument->goToLocal();
    return report(CMPL, 0, 0);
}

VEMARSIM_EXPORT int ThreadIbsta(void) { return t_status.ibsta; }
VEMARSIM_EXPORT int ThreadIberr(void) { return t_status.iberr; }
VEMARSIM_EXPORT int ThreadIbcnt(void) { return static_cast<int>(t_status.ibcntl); }
VEMARSIM_EXPORT long ThreadIbcntl(void) { return t_status.ibcntl; }

}  // extern "C"
