#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

namespace scenery_bake_determinism {

// Memory for one run's lines, which all stay until the runs are compared.
// It is taken from the system in blocks of whole 2 MiB pages, which the
// system is asked to back with huge pages, and handed out in order without
// being given back before the run ends: a run's few megabytes of text then
// cost a few page faults instead of one per 4 KiB.
class RunMemory final : public std::pmr::memory_resource {
public:
    RunMemory() = default;
    RunMemory(const RunMemory&) = delete;
    RunMemory& operator=(const RunMemory&) = delete;
    ~RunMemory() override;

private:
    struct Block {
        std::byte* start;
        std::size_t size;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    // Memory comes back only when the run ends.
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    [[nodiscard]] bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }

    std::vector<Block> blocks_;
    std::byte* next_ = nullptr;  // free space of the newest block
    std::size_t left_ = 0;
};

}  // namespace scenery_bake_determinism
