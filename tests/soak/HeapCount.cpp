#include "soak/HeapCount.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif

#ifndef SOAK_UNDER_ASAN

#include <malloc.h>

#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* block);
}

namespace {

// Constant-initialised: blocks are counted from the first one, before main.
std::atomic<long> g_bytes{0};
std::atomic<long> g_blocks{0};

void* counted(void* block)
{
    if (block) {
        g_bytes.fetch_add(long(malloc_usable_size(block)), std::memory_order_relaxed);
        g_blocks.fetch_add(1, std::memory_order_relaxed);
    }
    return block;
}

void uncount(void* block)
{
    if (block) {
        g_bytes.fetch_sub(long(malloc_usable_size(block)), std::memory_order_relaxed);
        g_blocks.fetch_sub(1, std::memory_order_relaxed);
    }
}

}  // namespace

// Every way into the C library's allocator, so that each block is counted
// once in and once out.
extern "C" {

void* malloc(std::size_t size)
{
    return counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size)
{
    return counted(__libc_calloc(count, size));
}
void* memalign(std::size_t alignment, std::size_t size)
{
    return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return counted(__libc_memalign(alignment, size));
}
void* valloc(std::size_t size)
{
    return counted(__libc_valloc(size));
}
void* pvalloc(std::size_t size)
{
    return counted(__libc_pvalloc(size));
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* block = counted(__libc_memalign(alignment, size));
    if (!block && size != 0) return ENOMEM;
    *result = block;
    return 0;
}

void* realloc(void* block, std::size_t size)
{
    const long before = block ? long(malloc_usable_size(block)) : 0;
    void* moved = __libc_realloc(block, size);
    if (!block) {
        counted(moved);
    } else if (moved) {
        g_bytes.fetch_add(long(malloc_usable_size(moved)) - before, std::memory_order_relaxed);
    } else if (size == 0) {  // the C library frees the block and returns nothing
        g_bytes.fetch_sub(before, std::memory_order_relaxed);
        g_blocks.fetch_sub(1, std::memory_order_relaxed);
    }  // otherwise it failed and the block stays as it was
    return moved;
}

void* reallocarray(void* block, std::size_t count, std::size_t size)
{
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total)) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(block, total);
}

void free(void* block)
{
    uncount(block);
    __libc_free(block);
}

}  // extern "C"

namespace soak {

bool heapCounted()
{
    return true;
}

HeapCount liveHeap()
{
    return {g_bytes.load(std::memory_order_relaxed), g_blocks.load(std::memory_order_relaxed)};
}

}  // namespace soak

#else

namespace soak {

bool heapCounted()
{
    return false;
}
HeapCount liveHeap()
{
    return {};
}

}  // namespace soak

#endif
