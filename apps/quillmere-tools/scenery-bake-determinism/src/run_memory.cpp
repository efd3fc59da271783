#include "run_memory.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace scenery_bake_determinism {

namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;

// A mapping of `size` bytes (whole huge pages) that starts on a huge-page
// boundary, asked to be backed by huge pages; null when there is no memory.
std::byte* map_block(std::size_t size) {
    // One page more than asked, so an aligned start fits; the slack on either
    // side goes back at once.
    const std::size_t mapped = size + huge_page;
    void* region = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(region);
    const std::uintptr_t aligned = (start + huge_page - 1) / huge_page * huge_page;
    if (aligned > start) ::munmap(region, aligned - start);
    if (const std::uintptr_t tail = start + mapped - (aligned + size); tail > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    }
    auto* block = reinterpret_cast<std::byte*>(aligned);
    // A request: without huge pages the block is ordinary memory.
    ::madvise(block, size, MADV_HUGEPAGE);
    return block;
}

}  // namespace

RunMemory::~RunMemory() {
    for (const Block& block : blocks_) ::munmap(block.start, block.size);
}

void* RunMemory::do_allocate(std::size_t bytes, std::size_t alignment) {
    if (alignment > huge_page || bytes > SIZE_MAX - 2 * huge_page) throw std::bad_alloc();
    auto padding = static_cast<std::size_t>(-reinterpret_cast<std::uintptr_t>(next_) & (alignment - 1));
    if (next_ == nullptr || padding + bytes > left_) {
        // A new block; what was left of the last one stays unused.
        const std::size_t size = (bytes + huge_page - 1) / huge_page * huge_page;
        blocks_.reserve(blocks_.size() + 1);
        std::byte* start = map_block(size);
        if (start == nullptr) throw std::bad_alloc();
        blocks_.push_back({start, size});
        next_ = start;
        left_ = size;
        padding = 0;  // a block starts on a huge-page boundary
    }
    std::byte* result = next_ + padding;
    next_ = result + bytes;
    left_ -= padding + bytes;
    return result;
}

}  // namespace scenery_bake_determinism
