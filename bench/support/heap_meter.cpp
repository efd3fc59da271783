#include "heap_meter.hpp"

#include <malloc.h>

#include <cerrno>
#include <cstdint>

// The C library's own entry points, which the definitions below forward to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace quillmere_bench {

namespace {

// The benchmark programs are single-threaded; plain counters are enough.
std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

void count_in(void* block) noexcept {
    if (block == nullptr) return;
    live_bytes += ::malloc_usable_size(block);
    if (live_bytes > peak_bytes) peak_bytes = live_bytes;
}

void count_out(void* block) noexcept {
    if (block != nullptr) live_bytes -= ::malloc_usable_size(block);
}

}  // namespace

std::size_t heap_live_bytes() noexcept { return live_bytes; }
std::size_t heap_peak_bytes() noexcept { return peak_bytes; }
void heap_reset_peak() noexcept { peak_bytes = live_bytes; }

}  // namespace quillmere_bench

extern "C" {

void* malloc(std::size_t size) noexcept {
    void* block = __libc_malloc(size);
    quillmere_bench::count_in(block);
    return block;
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    void* block = __libc_calloc(count, size);
    quillmere_bench::count_in(block);
    return block;
}

void* realloc(void* block, std::size_t size) noexcept {
    const std::size_t before = block != nullptr ? ::malloc_usable_size(block) : 0;
    void* resized = __libc_realloc(block, size);
    if (resized == nullptr && size != 0) return nullptr;  // the old block stays
    quillmere_bench::live_bytes -= before;
    quillmere_bench::count_in(resized);
    return resized;
}

void free(void* block) noexcept {
    quillmere_bench::count_out(block);
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    void* block = __libc_memalign(alignment, size);
    quillmere_bench::count_in(block);
    return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept { return memalign(alignment, size); }

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* block = memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *out = block;
    return 0;
}

void* valloc(std::size_t size) noexcept { return memalign(4096, size); }

void* pvalloc(std::size_t size) noexcept { return memalign(4096, (size + 4095) / 4096 * 4096); }

}  // extern "C"
