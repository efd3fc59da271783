#include "directory_walk.hpp"

#include <quillmere/common/try.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <unordered_set>

namespace quillmere_dat::archive {

namespace {

// Node layout: 62 child block offsets, an entry count, then the entries.
constexpr std::size_t branch_slots = 62;
constexpr std::size_t entry_count_at = branch_slots * 4;
constexpr std::size_t entries_at = entry_count_at + 4;

std::uint32_t load_u32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::string reached_twice(std::uint32_t offset) {
    char text[80];
    std::snprintf(text, sizeof text, "directory node at offset 0x%X is reached twice", offset);
    return text;
}

std::string too_many_nodes(std::uint64_t max_nodes) {
    char text[96];
    std::snprintf(text, sizeof text, "directory has more than the %llu nodes the archive can hold",
                  static_cast<unsigned long long>(max_nodes));
    return text;
}

}  // namespace

std::expected<std::vector<DatFileEntry>, error::DatError> read_directory(
    const NodeReader& read_node, std::uint32_t root_offset, std::uint64_t max_nodes) {
    std::vector<DatFileEntry> found;
    // Node offsets still to visit, the next one on top. An explicit stack
    // instead of recursion: a hostile archive can chain hundreds of
    // thousands of nodes, one per level.
    std::vector<std::uint32_t> pending{root_offset};
    // A tree reaches each node once; a second arrival means a branch leads
    // back (a cycle would otherwise be walked without end).
    std::unordered_set<std::uint32_t> visited;

    while (!pending.empty()) {
        const std::uint32_t offset = pending.back();
        pending.pop_back();
        if (offset == 0) continue;
        if (!visited.insert(offset).second) {
            return std::unexpected(error::DatError::Corruption{reached_twice(offset)});
        }
        // Nodes that share bytes could otherwise make a small archive yield
        // up to 61 entries per byte.
        if (visited.size() > max_nodes) {
            return std::unexpected(error::DatError::Corruption{too_many_nodes(max_nodes)});
        }

        const std::vector<std::uint8_t> node = QM_TRY(read_node(offset));
        if (node.size() < entries_at) return std::unexpected(error::IoError::unexpected_eof());
        const std::uint32_t entry_count = load_u32(node, entry_count_at);

        // More than 61 entries run past the node's end: the 62nd entry's first
        // field fails, and with it the whole walk.
        utils::ByteReader reader(node);
        reader.set_position(entries_at);
        for (std::uint64_t i = 0; i < entry_count; ++i) {
            found.push_back(QM_TRY(DatFileEntry::unpack(reader)));
        }

        // A leaf has no child in slot 0 and its other slots are not looked at.
        if (load_u32(node, 0) == 0) continue;
        const std::size_t last_slot =
            static_cast<std::size_t>(std::min<std::uint64_t>(entry_count, branch_slots - 1));
        for (std::size_t slot = last_slot + 1; slot-- > 0;) {
            const std::uint32_t child = load_u32(node, slot * 4);
            if (child != 0) pending.push_back(child);
        }
    }
    return found;
}

}  // namespace quillmere_dat::archive
