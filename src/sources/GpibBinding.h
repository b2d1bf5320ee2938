#pragma once

// Run-time binding of the GPIB driver library.
//
// The program does not link against any GPIB library: every entry of the
// NI-488.2 function set is looked up by its exported name the first time it
// is called, so the program starts and runs its other functions on a machine
// without a GPIB driver. Libraries tried, in order: linux-gpib's
// "libgpib.so.0", then the vendor's Linux library "libgpibapi.so"; when the
// simulator plug-in is active, the plug-in serves the entries instead.
//
// A library must export the three status variables, either under the names
// of the Windows library (user_ibsta, user_iberr, user_ibcntl) or under
// linux-gpib's (ibsta, iberr, ibcntl); a library with neither is treated as
// absent. Without a library every call returns the ERR status without effect
// and the per-thread status functions answer 0xDDDDDEAD.
//
// Once found, a library stays loaded for the rest of the process.

#include <cstdint>
#include <string>
#include <vector>

namespace Gpib {

// NI-488.2 status bits (ibsta) and error codes (iberr) the program relies on.
inline constexpr int ERR = 0x8000;
inline constexpr int TIMO = 0x4000;
inline constexpr int END = 0x2000;
inline constexpr int CMPL = 0x0100;
inline constexpr int EDVR = 0;
inline constexpr int ENOL = 2;
inline constexpr int EARG = 4;
inline constexpr int EABO = 6;
inline constexpr int ENEB = 7;

// The answer of an unbound ThreadIbsta / ThreadIberr / ThreadIbcnt / ThreadIbcntl.
inline constexpr int UnboundThreadStatus = static_cast<int>(0xDDDDDEADu);

using Addr4882_t = unsigned short;

// The whole NI-488.2 function set, with linux-gpib's argument types (the
// vendor's Linux library and the simulator plug-in share them).
#define VEMAR_GPIB_INT_FUNCTIONS(X)                                                    \
    X(ibask, (int ud, int option, int* value), (ud, option, value))                    \
    X(ibbna, (int ud, char* boardName), (ud, boardName))                               \
    X(ibcac, (int ud, int synchronous), (ud, synchronous))                             \
    X(ibclr, (int ud), (ud))                                                           \
    X(ibcmd, (int ud, const void* cmd, long count), (ud, cmd, count))                  \
    X(ibcmda, (int ud, const void* cmd, long count), (ud, cmd, count))                 \
    X(ibconfig, (int ud, int option, int value), (ud, option, value))                  \
    X(ibdev, (int board, int pad, int sad, int tmo, int eot, int eos),                 \
      (board, pad, sad, tmo, eot, eos))                                                \
    X(ibdma, (int ud, int v), (ud, v))                                                 \
    X(ibeos, (int ud, int v), (ud, v))                                                 \
    X(ibeot, (int ud, int v), (ud, v))                                                 \
    X(ibfind, (const char* name), (name))                                              \
    X(ibgts, (int ud, int shadowHandshake), (ud, shadowHandshake))                     \
    X(ibist, (int ud, int ist), (ud, ist))                                             \
    X(iblines, (int ud, short* lineStatus), (ud, lineStatus))                          \
    X(ibln, (int ud, int pad, int sad, short* listener), (ud, pad, sad, listener))     \
    X(ibloc, (int ud), (ud))                                                           \
    X(ibonl, (int ud, int online), (ud, online))                                       \
    X(ibpad, (int ud, int v), (ud, v))                                                 \
    X(ibpct, (int ud), (ud))                                                           \
    X(ibppc, (int ud, int v), (ud, v))                                                 \
    X(ibrd, (int ud, void* buffer, long count), (ud, buffer, count))                   \
    X(ibrda, (int ud, void* buffer, long count), (ud, buffer, count))                  \
    X(ibrdf, (int ud, const char* path), (ud, path))                                   \
    X(ibrpp, (int ud, char* ppr), (ud, ppr))                                           \
    X(ibrsc, (int ud, int v), (ud, v))                                                 \
    X(ibrsp, (int ud, char* spr), (ud, spr))                                           \
    X(ibrsv, (int ud, int v), (ud, v))                                                 \
    X(ibsad, (int ud, int v), (ud, v))                                                 \
    X(ibsic, (int ud), (ud))                                                           \
    X(ibsre, (int ud, int v), (ud, v))                                                 \
    X(ibstop, (int ud), (ud))                                                          \
    X(ibtmo, (int ud, int v), (ud, v))                                                 \
    X(ibtrg, (int ud), (ud))                                                           \
    X(ibwait, (int ud, int mask), (ud, mask))                                          \
    X(ibwrt, (int ud, const void* buffer, long count), (ud, buffer, count))            \
    X(ibwrta, (int ud, const void* buffer, long count), (ud, buffer, count))           \
    X(ibwrtf, (int ud, const char* path), (ud, path))

#define VEMAR_GPIB_VOID_FUNCTIONS(X)                                                   \
    X(AllSpoll, (int board, const Addr4882_t* addresses, short* results),             \
      (board, addresses, results))                                                     \
    X(DevClear, (int board, Addr4882_t address), (board, address))                     \
    X(DevClearList, (int board, const Addr4882_t* addresses), (board, addresses))      \
    X(EnableLocal, (int board, const Addr4882_t* addresses), (board, addresses))       \
    X(EnableRemote, (int board, const Addr4882_t* addresses), (board, addresses))      \
    X(FindLstn, (int board, const Addr4882_t* pads, Addr4882_t* results, int limit),   \
      (board, pads, results, limit))                                                   \
    X(FindRQS, (int board, const Addr4882_t* addresses, short* result),                \
      (board, addresses, result))                                                      \
    X(PassControl, (int board, Addr4882_t address), (board, address))                  \
    X(PPoll, (int board, short* result), (board, result))                              \
    X(PPollConfig, (int board, Addr4882_t address, int dataLine, int lineSense),       \
      (board, address, dataLine, lineSense))                                           \
    X(PPollUnconfig, (int board, const Addr4882_t* addresses), (board, addresses))     \
    X(RcvRespMsg, (int board, void* buffer, long count, int termination),              \
      (board, buffer, count, termination))                                             \
    X(ReadStatusByte, (int board, Addr4882_t address, short* result),                  \
      (board, address, result))                                                        \
    X(Receive, (int board, Addr4882_t address, void* buffer, long count, int term),    \
      (board, address, buffer, count, term))                                           \
    X(ReceiveSetup, (int board, Addr4882_t address), (board, address))                 \
    X(ResetSys, (int board, const Addr4882_t* addresses), (board, addresses))          \
    X(Send, (int board, Addr4882_t address, const void* buffer, long count, int eot),  \
      (board, address, buffer, count, eot))                                            \
    X(SendCmds, (int board, const void* cmds, long count), (board, cmds, count))       \
    X(SendDataBytes, (int board, const void* buffer, long count, int eot),             \
      (board, buffer, count, eot))                                                     \
    X(SendIFC, (int board), (board))                                                   \
    X(SendLLO, (int board), (board))                                                   \
    X(SendList, (int board, const Addr4882_t* addresses, const void* buffer,           \
                 long count, int eot),                                                 \
      (board, addresses, buffer, count, eot))                                          \
    X(SendSetup, (int board, const Addr4882_t* addresses), (board, addresses))         \
    X(SetRWLS, (int board, const Addr4882_t* addresses), (board, addresses))           \
    X(TestSRQ, (int board, short* result), (board, result))                            \
    X(TestSys, (int board, const Addr4882_t* addresses, short* results),               \
      (board, addresses, results))                                                     \
    X(Trigger, (int board, Addr4882_t address), (board, address))                      \
    X(TriggerList, (int board, const Addr4882_t* addresses), (board, addresses))       \
    X(WaitSRQ, (int board, short* result), (board, result))

// Each entry: bound on first use; unbound, it returns the current mirrored
// ibsta (0x8000 after a failed binding) without calling anything, except
// ibdev and ibfind, which return -1 (no descriptor) as when the library fails.
#define VEMAR_GPIB_DECLARE_INT(name, params, args) int name params;
#define VEMAR_GPIB_DECLARE_VOID(name, params, args) void name params;
VEMAR_GPIB_INT_FUNCTIONS(VEMAR_GPIB_DECLARE_INT)
VEMAR_GPIB_VOID_FUNCTIONS(VEMAR_GPIB_DECLARE_VOID)
#undef VEMAR_GPIB_DECLARE_INT
#undef VEMAR_GPIB_DECLARE_VOID

// Status of the calling thread's last GPIB call, kept per thread by the library.
int ThreadIbsta();
int ThreadIberr();
int ThreadIbcnt();
long ThreadIbcntl();

// The process-wide status words mirrored after every bound call (and set by
// a failed binding). Shared by every thread: for diagnostics only.
struct MirroredStatus {
    std::int32_t ibsta;
    std::int32_t iberr;
    std::int32_t ibcnt;
    std::int32_t ibcntl;
};
MirroredStatus mirroredStatus();

// True once a library is bound (it then stays bound).
bool libraryLoaded();
// Binds the library when none is bound yet (no bus traffic); true when one is.
bool libraryAvailable();

// The system libraries tried when the simulator is not active.
std::vector<std::string> defaultLibraries();

// Tests: bind only the named libraries (dlopen names or paths; an empty list
// means no library at all), whether or not the simulator is active. Forgets
// the current binding; call it only while no GPIB call is running.
void setCandidateLibraries(std::vector<std::string> names);
// Back to the normal choice (the simulator when active, else the system
// libraries); also forgets the current binding.
void useAutomaticLibraries();

}  // namespace Gpib
