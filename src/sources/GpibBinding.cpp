#include "GpibBinding.h"

#include <dlfcn.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string_view>

#include "Log.h"
#include "SimulatorPlugin.h"

namespace Gpib {
namespace {

struct LibraryCloser {
    void operator()(void* handle) const
    {
        if (handle != nullptr) ::dlclose(handle);
    }
};

// One cached entry pointer per library function. Two threads binding the
// same entry at once both resolve it and store the same pointer: harmless.
struct EntrySlot {
    explicit EntrySlot(const char* entryName);
    const char* name;
    std::atomic<void*> function{nullptr};
    EntrySlot* next;
};

// Every slot, so that forgetting the binding clears them all.
EntrySlot* g_firstSlot = nullptr;

EntrySlot::EntrySlot(const char* entryName) : name(entryName), next(g_firstSlot) { g_firstSlot = this; }

// Guards the choice of libraries and the loading and forgetting of the
// library; the bound library and its status variables are then read through
// the atomics below without it.
std::mutex g_libraryMutex;
bool g_automatic = true;
std::vector<std::string> g_named;
std::unique_ptr<void, LibraryCloser> g_ownedLibrary;  // a system library loaded here

std::atomic<void*> g_library{nullptr};  // the bound library (owned, or the plug-in's)
std::atomic<int*> g_statusWord{nullptr};
std::atomic<int*> g_errorWord{nullptr};
std::atomic<long*> g_countWord{nullptr};

std::atomic<std::int32_t> g_ibsta{0};
std::atomic<std::int32_t> g_iberr{0};
std::atomic<std::int32_t> g_ibcnt{0};
std::atomic<std::int32_t> g_ibcntl{0};

void setFailureState(int osError)
{
    g_ibsta = ERR;
    g_iberr = EDVR;
    g_ibcnt = osError;
    g_ibcntl = osError;
}

// Finds the three status variables; false when the library has neither naming.
bool resolveStatusWords(void* library)
{
    static constexpr const char* names[2][3] = {{"user_ibsta", "user_iberr", "user_ibcntl"},
                                                {"ibsta", "iberr", "ibcntl"}};
    for (const auto& set : names) {
        void* status = ::dlsym(library, set[0]);
        void* error = ::dlsym(library, set[1]);
        void* count = ::dlsym(library, set[2]);
        if (status != nullptr && error != nullptr && count != nullptr) {
            g_statusWord = static_cast<int*>(status);
            g_errorWord = static_cast<int*>(error);
            g_countWord = static_cast<long*>(count);
            return true;
        }
    }
    return false;
}

// Loads a library when none is bound yet. Returns it, or nullptr after
// setting the failure state.
void* ensureLibrary()
{
    if (void* library = g_library.load(std::memory_order_acquire)) return library;
    {
        std::lock_guard lock(g_libraryMutex);
        if (void* library = g_library.load(std::memory_order_acquire)) return library;
        // Read before any later call can change it.
        int osError = 0;
        if (g_automatic && SimulatorPlugin::active()) {
            void* plugin = SimulatorPlugin::handle();
            if (plugin != nullptr && resolveStatusWords(plugin)) {
                g_library.store(plugin, std::memory_order_release);
                Log::info("GPIB: simulated bus of the simulator plug-in\n");
            }
        } else {
            const std::vector<std::string> names = g_automatic ? defaultLibraries() : g_named;
            for (const std::string& name : names) {
                std::unique_ptr<void, LibraryCloser> handle(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));
                if (!handle) {
                    osError = errno;
                    continue;
                }
                if (!resolveStatusWords(handle.get())) {
                    Log::warn("GPIB: %s has no GPIB status variables; ignored\n", name.c_str());
                    continue;
                }
                g_ownedLibrary = std::move(handle);
                g_library.store(g_ownedLibrary.get(), std::memory_order_release);
                Log::info("GPIB: bound %s\n", name.c_str());
                break;
            }
        }
        if (g_library.load() == nullptr) {
            setFailureState(osError);
            return nullptr;
        }
    }
    return g_library.load(std::memory_order_acquire);
}

void* bind(EntrySlot& slot)
{
    if (void* function = slot.function.load(std::memory_order_acquire)) return function;
    void* library = ensureLibrary();
    if (library == nullptr) return nullptr;
    void* function = ::dlsym(library, slot.name);
    if (function == nullptr) {
        // The library stays; the entry is looked up again on its next call.
        setFailureState(errno);
        return nullptr;
    }
    slot.function.store(function, std::memory_order_release);
    return function;
}

// The library writes its status variables from whichever thread called it
// last; they are read atomically here, and only mirrored for diagnostics.
void refreshMirrors()
{
    if (int* status = g_statusWord.load()) g_ibsta = std::atomic_ref<int>(*status).load(std::memory_order_relaxed);
    if (int* error = g_errorWord.load()) g_iberr = std::atomic_ref<int>(*error).load(std::memory_order_relaxed);
    if (long* count = g_countWord.load()) {
        const auto value = static_cast<std::int32_t>(std::atomic_ref<long>(*count).load(std::memory_order_relaxed));
        g_ibcnt = value;
        g_ibcntl = value;
    }
}

// An unbound entry answers the current ibsta, except those that hand out a
// descriptor: they answer -1, as the library's own failure does, so that no
// status word is ever taken for a descriptor.
constexpr bool returnsDescriptor(std::string_view entry) { return entry == "ibdev" || entry == "ibfind"; }

int unboundResult(std::string_view entry) { return returnsDescriptor(entry) ? -1 : g_ibsta.load(); }

template <typename Result>
Result callThreadStatus(EntrySlot& slot)
{
    void* function = bind(slot);
    if (function == nullptr) return static_cast<Result>(UnboundThreadStatus);
    const Result result = reinterpret_cast<Result (*)()>(function)();
    refreshMirrors();
    return result;
}

EntrySlot slotThreadIbsta{"ThreadIbsta"};
EntrySlot slotThreadIberr{"ThreadIberr"};
EntrySlot slotThreadIbcnt{"ThreadIbcnt"};
EntrySlot slotThreadIbcntl{"ThreadIbcntl"};

}  // namespace

#define VEMAR_GPIB_DEFINE_INT(name, params, args)                                      \
    namespace {                                                                        \
    EntrySlot slot_##name{#name};                                                      \
    }                                                                                  \
    int name params                                                                    \
    {                                                                                  \
        void* function = bind(slot_##name);                                            \
        if (function == nullptr) return unboundResult(#name);                          \
        const int result = reinterpret_cast<int(*) params>(function) args;             \
        refreshMirrors();                                                              \
        return result;                                                                 \
    }
#define VEMAR_GPIB_DEFINE_VOID(name, params, args)                                     \
    namespace {                                                                        \
    EntrySlot slot_##name{#name};                                                      \
    }                                                                                  \
    void name params                                                                   \
    {                                                                                  \
        void* function = bind(slot_##name);                                            \
        if (function == nullptr) return;                                               \
        reinterpret_cast<void(*) params>(function) args;                               \
        refreshMirrors();                                                              \
    }
VEMAR_GPIB_INT_FUNCTIONS(VEMAR_GPIB_DEFINE_INT)
VEMAR_GPIB_VOID_FUNCTIONS(VEMAR_GPIB_DEFINE_VOID)
#undef VEMAR_GPIB_DEFINE_INT
#undef VEMAR_GPIB_DEFINE_VOID

int ThreadIbsta() { return callThreadStatus<int>(slotThreadIbsta); }
int ThreadIberr() { return callThreadStatus<int>(slotThreadIberr); }
int ThreadIbcnt() { return callThreadStatus<int>(slotThreadIbcnt); }
long ThreadIbcntl() { return callThreadStatus<long>(slotThreadIbcntl); }

MirroredStatus mirroredStatus() { return {g_ibsta.load(), g_iberr.load(), g_ibcnt.load(), g_ibcntl.load()}; }

bool libraryLoaded() { return g_library.load() != nullptr; }

bool libraryAvailable() { return ensureLibrary() != nullptr; }

std::vector<std::string> defaultLibraries() { return {"libgpib.so.0", "libgpibapi.so"}; }

namespace {

void forgetBinding(bool automatic, std::vector<std::string> names)
{
    std::lock_guard lock(g_libraryMutex);
    for (EntrySlot* slot = g_firstSlot; slot != nullptr; slot = slot->next) slot->function = nullptr;
    g_library = nullptr;
    g_statusWord = nullptr;
    g_errorWord = nullptr;
    g_countWord = nullptr;
    g_ownedLibrary.reset();
    g_automatic = automatic;
    g_named = std::move(names);
    g_ibsta = 0;
    g_iberr = 0;
    g_ibcnt = 0;
    g_ibcntl = 0;
}

}  // namespace

void setCandidateLibraries(std::vector<std::string> names) { forgetBinding(false, std::move(names)); }

void useAutomaticLibraries() { forgetBinding(true, {}); }

}  // namespace Gpib
