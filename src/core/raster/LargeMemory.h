#pragma once
// Memory for large pixel buffers. Zeroed memory from the system costs
// nothing until written, but then every 4 KB page costs a fault; for
// buffers of many megabytes the faults cost more than the pixels' own work.
// Large buffers are therefore offered the processor's 2 MB pages where the
// system gives them on request, so that one fault fills 512 pages' worth.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace ivra {

// Asks the system to back the 2 MB-aligned part of [p, p + bytes) with large
// pages (nothing for buffers under a few megabytes or where not offered).
void AdviseLargePages(void* p, std::size_t bytes) noexcept;

// zeroed memory (calloc) of n elements, advised as above; std::bad_alloc
// when there is none.
void* AllocateZeroed(std::size_t n, std::size_t size);

// An allocator of zeroed memory whose elements are not written again when a
// container makes them (the memory already holds zeros, which is what value
// initialisation of the arithmetic types gives).
template <class T> struct TZeroedAllocator {
    using value_type = T;
    TZeroedAllocator() = default;
    template <class U> TZeroedAllocator(const TZeroedAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateZeroed(n, sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... a) { ::new (static_cast<void*>(p)) U(static_cast<A&&>(a)...); }
    template <class U> bool operator==(const TZeroedAllocator<U>&) const noexcept { return true; }
};

} // namespace ivra
