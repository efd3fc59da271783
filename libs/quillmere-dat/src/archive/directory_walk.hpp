#pragma once

#include "block_chain.hpp"

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/error/dat_error.hpp>

#include <cstdint>
#include <expected>
#include <vector>

namespace quillmere_dat::archive {

// Reads the directory tree from `root_offset` (0: an empty directory) and
// returns every entry in walk order: depth first, a node's own entries before
// its children, children in slot order. Where an id occurs more than once,
// the entry met last in this order is the one that counts.
std::expected<std::vector<DatFileEntry>, error::DatError> read_directory(
    const BlockChainReader& chains, std::uint32_t root_offset);

}  // namespace quillmere_dat::archive
