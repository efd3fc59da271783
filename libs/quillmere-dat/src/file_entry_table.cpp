#include <quillmere/dat/file_entry_table.hpp>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace quillmere_dat {

namespace {

// Entries are trivially copyable, so their blocks are managed with realloc:
// a large block grows by remapping its pages rather than by copying them.
DatFileEntry* resize_block(DatFileEntry* block, std::size_t count) {
    void* resized = std::realloc(static_cast<void*>(block), count * sizeof(DatFileEntry));
    if (resized == nullptr) throw std::bad_alloc();
    return static_cast<DatFileEntry*>(resized);
}

bool by_id(const DatFileEntry& a, const DatFileEntry& b) noexcept { return a.id < b.id; }

}  // namespace

FileEntryTable::Builder::Builder(Builder&& other) noexcept
    : leaves_(std::exchange(other.leaves_, nullptr)),
      leaf_count_(std::exchange(other.leaf_count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      inner_(std::move(other.inner_)) {}

FileEntryTable::Builder& FileEntryTable::Builder::operator=(Builder&& other) noexcept {
    if (this != &other) {
        std::free(static_cast<void*>(leaves_));
        leaves_ = std::exchange(other.leaves_, nullptr);
        leaf_count_ = std::exchange(other.leaf_count_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        inner_ = std::move(other.inner_);
    }
    return *this;
}

FileEntryTable::Builder::~Builder() { std::free(static_cast<void*>(leaves_)); }

void FileEntryTable::Builder::add(std::span<const DatFileEntry> node_entries, bool leaf) {
    // Walk positions are kept in 32 bits; 2^32 entries would not fit in
    // memory anyway.
    constexpr std::size_t most = std::numeric_limits<std::uint32_t>::max();
    if (node_entries.size() > most - leaf_count_ - inner_.size()) throw std::bad_alloc();
    if (!leaf) {
        for (const DatFileEntry& entry : node_entries) {
            inner_.push_back({entry, static_cast<std::uint32_t>(leaf_count_)});
        }
        return;
    }
    if (leaf_count_ + node_entries.size() > capacity_) {
        const std::size_t grown =
            std::min(std::max({capacity_ * 2, leaf_count_ + node_entries.size(), std::size_t{1024}}), most);
        leaves_ = resize_block(leaves_, grown);
        capacity_ = grown;
    }
    std::copy(node_entries.begin(), node_entries.end(), leaves_ + leaf_count_);
    leaf_count_ += node_entries.size();
}

FileEntryTable FileEntryTable::Builder::finish(bool search_tree) && {
    if (leaf_count_ + inner_.size() == 0) return {};
    return search_tree ? std::move(*this).merge_sorted() : std::move(*this).sort_in_walk_order();
}

FileEntryTable FileEntryTable::Builder::merge_sorted() && {
    // No id repeats and the leaves ascend: sort the inner entries and merge
    // them in from the back, each element moving at most once.
    std::vector<DatFileEntry> inner;
    inner.reserve(inner_.size());
    for (const Inner& element : inner_) inner.push_back(element.entry);
    std::sort(inner.begin(), inner.end(), by_id);

    const std::size_t total = leaf_count_ + inner.size();
    DatFileEntry* const table = resize_block(leaves_, total);
    leaves_ = nullptr;
    std::size_t from_leaves = leaf_count_;
    std::size_t from_inner = inner.size();
    for (std::size_t to = total; from_inner > 0;) {
        if (from_leaves > 0 && table[from_leaves - 1].id > inner[from_inner - 1].id) {
            table[--to] = table[--from_leaves];
        } else {
            table[--to] = inner[--from_inner];
        }
    }
    leaf_count_ = capacity_ = 0;
    inner_.clear();
    return FileEntryTable(table, total);
}

FileEntryTable FileEntryTable::Builder::sort_in_walk_order() && {
    // Ids may repeat: with every entry's walk position beside it, a stable
    // sort by id leaves the entry walked last at the end of each run of one
    // id. The leaves and inner entries are interleaved back into walk order
    // first.
    std::vector<DatFileEntry> walked;
    walked.reserve(leaf_count_ + inner_.size());
    std::size_t leaf = 0;
    for (const Inner& element : inner_) {
        for (; leaf < element.leaves_before; ++leaf) walked.push_back(leaves_[leaf]);
        walked.push_back(element.entry);
    }
    for (; leaf < leaf_count_; ++leaf) walked.push_back(leaves_[leaf]);
    std::free(static_cast<void*>(std::exchange(leaves_, nullptr)));
    leaf_count_ = capacity_ = 0;
    inner_.clear();

    std::stable_sort(walked.begin(), walked.end(), by_id);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        if (i + 1 < walked.size() && walked[i + 1].id == walked[i].id) continue;
        walked[kept++] = walked[i];
    }
    DatFileEntry* const table = resize_block(nullptr, kept);
    std::copy(walked.begin(), walked.begin() + static_cast<std::ptrdiff_t>(kept), table);
    return FileEntryTable(table, kept);
}

void FileEntryTable::FreeBlock::operator()(DatFileEntry* block) const noexcept {
    std::free(static_cast<void*>(block));
}

const DatFileEntry* FileEntryTable::find(std::uint32_t id) const noexcept {
    const std::span<const DatFileEntry> all = entries();
    const auto it = std::lower_bound(all.begin(), all.end(), id,
                                     [](const DatFileEntry& entry, std::uint32_t key) { return entry.id < key; });
    return it != all.end() && it->id == id ? &*it : nullptr;
}

}  // namespace quillmere_dat
