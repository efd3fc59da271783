#pragma once

#include <cstddef>

namespace quillmere_bench {

// Heap use through the C allocator (malloc, realloc, free and the aligned
// forms, hence operator new too), counted as the allocator sizes the blocks
// (malloc_usable_size). Only programs that link heap_meter.cpp count: it
// puts itself in front of the C library's allocator.
struct HeapUse {
    std::size_t retained = 0;  // still allocated when the work returned
    std::size_t peak = 0;      // most allocated at once during the work, above the start
};

std::size_t heap_live_bytes() noexcept;
std::size_t heap_peak_bytes() noexcept;
void heap_reset_peak() noexcept;

// Runs `work` and reports the heap it kept and the peak it reached. What
// `work` allocates counts as retained only if it outlives the call.
template <typename Work>
HeapUse measure_heap(Work&& work) {
    const std::size_t before = heap_live_bytes();
    heap_reset_peak();
    work();
    return {heap_live_bytes() - before, heap_peak_bytes() - before};
}

}  // namespace quillmere_bench
