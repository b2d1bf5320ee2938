#include "FreshMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void prepareFreshMemory(void* data, std::size_t bytes)
{
    constexpr std::size_t worthIt = 1u << 20;
    if (data == nullptr || bytes < worthIt) return;
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
    if (last <= first) return;
    void* start = reinterpret_cast<void*>(first);
    const std::size_t length = last - first;
#ifdef MADV_HUGEPAGE
    ::madvise(start, length, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    ::madvise(start, length, MADV_POPULATE_WRITE);
#endif
}
