#pragma once

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/error/dat_error.hpp>

#include <cstdint>
#include <expected>
#include <functional>
#include <vector>

namespace quillmere_dat::archive {

// Reads the 1716 bytes of the directory node at a block offset.
using NodeReader =
    std::function<std::expected<std::vector<std::uint8_t>, error::DatError>(std::uint32_t offset)>;

// Reads the directory tree from `root_offset` (0: an empty directory) and
// returns every entry in walk order: depth first, a node's own entries before
// its children, children in slot order. Where an id occurs more than once,
// the entry met last in this order is the one that counts. A tree of more
// than `max_nodes` nodes is corrupt.
std::expected<std::vector<DatFileEntry>, error::DatError> read_directory(
    const NodeReader& read_node, std::uint32_t root_offset, std::uint64_t max_nodes);

}  // namespace quillmere_dat::archive
