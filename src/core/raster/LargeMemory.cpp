#include "core/raster/LargeMemory.h"

#include <cstdint>
#include <sys/mman.h>

namespace ivra {

void AdviseLargePages(void* p, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t Large = std::uintptr_t(1) << 21;
    if (!p || bytes < 4 * Large) return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(p) + Large - 1) & ~(Large - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(Large - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

void* AllocateZeroed(std::size_t n, std::size_t size) {
    if (n == 0) n = 1;
    void* p = std::calloc(n, size);
    if (!p) throw std::bad_alloc();
    AdviseLargePages(p, n * size);
    return p;
}

} // namespace ivra
