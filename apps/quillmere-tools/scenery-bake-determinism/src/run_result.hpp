#pragma once

#include "line_list.hpp"
#include "run_memory.hpp"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

namespace scenery_bake_determinism {

// The lines of one landblock in one run, in the baker's order.
struct LandblockLines {
    std::uint16_t landblock = 0;
    LineList lines;

    friend bool operator==(const LandblockLines&, const LandblockLines&) = default;
};

// One run: an entry per landblock of the list, in the list's order. Lines
// made for the run are kept in its own memory (`memory()`), which lives as
// long as the run.
class RunResult {
public:
    RunResult();
    RunResult(std::initializer_list<LandblockLines> entries);
    RunResult(RunResult&&) noexcept = default;
    RunResult& operator=(RunResult&&) noexcept = default;
    ~RunResult();

    // Where the lines of this run's entries are best kept.
    [[nodiscard]] std::pmr::memory_resource* memory() const noexcept { return memory_.get(); }

    void reserve(std::size_t landblocks) { entries_.reserve(landblocks); }
    void push_back(LandblockLines entry) { entries_.push_back(std::move(entry)); }

    [[nodiscard]] std::size_t size() const noexcept { return entries_.size(); }
    [[nodiscard]] const LandblockLines& operator[](std::size_t index) const noexcept { return entries_[index]; }
    [[nodiscard]] std::vector<LandblockLines>::const_iterator begin() const noexcept { return entries_.begin(); }
    [[nodiscard]] std::vector<LandblockLines>::const_iterator end() const noexcept { return entries_.end(); }

private:
    // Declared first, so the entries are destroyed before their memory.
    std::unique_ptr<RunMemory> memory_;
    std::vector<LandblockLines> entries_;
};

// The check's square: x from 0xA3 to 0xAF (outer), y from 0xAE to 0xBA
// (inner), id = x << 8 | y.
[[nodiscard]] std::vector<std::uint16_t> landblock_square();

// "A9B4": a landblock id as 4 upper-case hex digits.
[[nodiscard]] std::string landblock_hex(std::uint16_t landblock);

}  // namespace scenery_bake_determinism
