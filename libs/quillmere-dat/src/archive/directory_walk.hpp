#pragma once

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/error/dat_error.hpp>

#include <cstdint>
#include <expected>
#include <functional>
#include <span>
#include <vector>

namespace quillmere_dat::archive {

// Reads the 1716 bytes of the directory node at a block offset.
using NodeReader =
    std::function<std::expected<std::vector<std::uint8_t>, error::DatError>(std::uint32_t offset)>;

// The bytes of the directory node at a block offset, as a view that stays
// valid until the next call (so one buffer can serve every node).
using NodeSource =
    std::function<std::expected<std::span<const std::uint8_t>, error::DatError>(std::uint32_t offset)>;

// Receives the entries of each node in walk order, as a view that is valid
// during the call, and whether the node is a leaf.
using EntrySink = std::function<void(std::span<const DatFileEntry> entries, bool leaf)>;

// What a walk learnt about the tree besides its entries.
struct WalkSummary {
    // Each node's ids ascend strictly and lie between the separators its
    // parent puts around it, as in a search tree; then no id occurs twice
    // and the walk order cannot matter for which entry counts.
    bool search_tree = true;
};

// Walks the directory tree from `root_offset` (0: an empty directory) and
// hands every node's entries to `sink` in walk order: depth first, a node's
// own entries before its children, children in slot order. Where an id
// occurs more than once, the entry met last in this order is the one that
// counts. A tree of more than `max_nodes` nodes is corrupt. After a failure
// the entries already handed over are meaningless.
std::expected<WalkSummary, error::DatError> walk_directory(const NodeSource& read_node, std::uint32_t root_offset,
                                                           std::uint64_t max_nodes, const EntrySink& sink);

// The same walk, returning every entry in walk order.
std::expected<std::vector<DatFileEntry>, error::DatError> read_directory(
    const NodeReader& read_node, std::uint32_t root_offset, std::uint64_t max_nodes);

}  // namespace quillmere_dat::archive
