#pragma once

#include <quillmere/dat/dat_file_entry.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace quillmere_dat {

// An archive's directory as it is kept once the archive is open: one entry
// per id, sorted by id, in a single heap block of exactly 24 bytes per
// entry. A lookup is a binary search.
class FileEntryTable {
public:
    // Collects a directory's entries node by node in walk order and makes
    // the table; where an id occurs more than once, the entry collected last
    // is kept.
    //
    // Opening a large archive costs its reads and the first touch of every
    // page it fills, so the builder fills little more than the table: leaf
    // entries go straight into the block that becomes the table (it grows by
    // reallocation, which remaps large blocks instead of copying them), the
    // few entries of inner nodes aside. In a search tree the leaves, walked
    // in order, already ascend; the inner entries are sorted and merged in
    // from the back in one pass.
    class Builder {
    public:
        Builder() noexcept = default;
        Builder(Builder&& other) noexcept;
        Builder& operator=(Builder&& other) noexcept;
        Builder(const Builder&) = delete;
        Builder& operator=(const Builder&) = delete;
        ~Builder();

        void add(std::span<const DatFileEntry> node_entries, bool leaf);
        // `search_tree`: the walk has shown that each node's ids ascend
        // strictly within the bounds its parent sets, so no id repeats and
        // the leaves come in ascending order.
        [[nodiscard]] FileEntryTable finish(bool search_tree) &&;

    private:
        struct Inner {
            DatFileEntry entry;
            std::uint32_t leaves_before;  // leaf entries collected before it
        };

        [[nodiscard]] FileEntryTable merge_sorted() &&;
        [[nodiscard]] FileEntryTable sort_in_walk_order() &&;

        DatFileEntry* leaves_ = nullptr;  // in walk order
        std::size_t leaf_count_ = 0;
        std::size_t capacity_ = 0;
        std::vector<Inner> inner_;  // in walk order
    };

    FileEntryTable() noexcept = default;
    // A moved-from table is empty.
    FileEntryTable(FileEntryTable&& other) noexcept
        : entries_(std::move(other.entries_)), count_(std::exchange(other.count_, 0)) {}
    FileEntryTable& operator=(FileEntryTable&& other) noexcept {
        entries_ = std::move(other.entries_);
        count_ = std::exchange(other.count_, 0);
        return *this;
    }
    FileEntryTable(const FileEntryTable&) = delete;
    FileEntryTable& operator=(const FileEntryTable&) = delete;
    ~FileEntryTable() = default;

    [[nodiscard]] std::size_t size() const noexcept { return count_; }
    [[nodiscard]] bool empty() const noexcept { return count_ == 0; }
    // Ascending by id.
    [[nodiscard]] std::span<const DatFileEntry> entries() const noexcept { return {entries_.get(), count_}; }
    // The entry for `id`, or null.
    [[nodiscard]] const DatFileEntry* find(std::uint32_t id) const noexcept;

private:
    struct FreeBlock {
        void operator()(DatFileEntry* block) const noexcept;
    };

    FileEntryTable(DatFileEntry* entries, std::size_t count) noexcept : entries_(entries), count_(count) {}

    std::unique_ptr<DatFileEntry, FreeBlock> entries_;
    std::size_t count_ = 0;
};

}  // namespace quillmere_dat
