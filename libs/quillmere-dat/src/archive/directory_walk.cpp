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

std::uint32_t load_u32(std::span<const std::uint8_t> bytes, std::size_t at) {
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

std::expected<WalkSummary, error::DatError> walk_directory(const NodeSource& read_node, std::uint32_t root_offset,
                                                           std::uint64_t max_nodes, const EntrySink& sink) {
    // A node still to visit, with the ids its subtree must lie strictly
    // between to keep the tree a search tree (-1 and 2^32: no bound).
    struct Pending {
        std::uint32_t offset;
        std::int64_t above;
        std::int64_t below;
    };
    constexpr std::int64_t no_lower_bound = -1;
    constexpr std::int64_t no_upper_bound = std::int64_t{1} << 32;

    WalkSummary summary;
    // The next node on top. An explicit stack instead of recursion: a
    // hostile archive can chain hundreds of thousands of nodes, one per
    // level.
    std::vector<Pending> pending{{root_offset, no_lower_bound, no_upper_bound}};
    // A tree reaches each node once; a second arrival means a branch leads
    // back (a cycle would otherwise be walked without end).
    std::unordered_set<std::uint32_t> visited;
    std::vector<DatFileEntry> entries;

    while (!pending.empty()) {
        const Pending at = pending.back();
        pending.pop_back();
        if (at.offset == 0) continue;
        if (!visited.insert(at.offset).second) {
            return std::unexpected(error::DatError::Corruption{reached_twice(at.offset)});
        }
        // Nodes that share bytes could otherwise make a small archive yield
        // up to 61 entries per byte.
        if (visited.size() > max_nodes) {
            return std::unexpected(error::DatError::Corruption{too_many_nodes(max_nodes)});
        }

        const std::span<const std::uint8_t> node = QM_TRY(read_node(at.offset));
        if (node.size() < entries_at) return std::unexpected(error::IoError::unexpected_eof());
        const std::uint32_t entry_count = load_u32(node, entry_count_at);

        entries.clear();
        if (entry_count <= (node.size() - entries_at) / DatFileEntry::packed_size) {
            // Every entry lies inside the node: nothing can fail, so the
            // fields are taken directly.
            entries.resize(entry_count);
            for (std::size_t i = 0, from = entries_at; i < entry_count; ++i, from += DatFileEntry::packed_size) {
                entries[i] = DatFileEntry{load_u32(node, from),      load_u32(node, from + 4),
                                          load_u32(node, from + 8),  load_u32(node, from + 12),
                                          load_u32(node, from + 16), load_u32(node, from + 20)};
            }
        } else {
            // More entries than the node holds (61 in a 1716-byte node): the
            // first entry that runs past its end fails in its first field,
            // and with it the whole walk.
            utils::ByteReader reader(node);
            reader.set_position(entries_at);
            for (std::uint64_t i = 0; i < entry_count; ++i) entries.push_back(QM_TRY(DatFileEntry::unpack(reader)));
        }
        const bool leaf = load_u32(node, 0) == 0;
        sink(entries, leaf);

        if (summary.search_tree) {
            std::int64_t previous = at.above;
            for (const DatFileEntry& entry : entries) {
                if (entry.id <= previous) summary.search_tree = false;
                previous = entry.id;
            }
            if (previous >= at.below) summary.search_tree = false;
        }

        // A leaf has no child in slot 0 and its other slots are not looked at.
        if (leaf) continue;
        const std::size_t last_slot =
            static_cast<std::size_t>(std::min<std::uint64_t>(entry_count, branch_slots - 1));
        for (std::size_t slot = last_slot + 1; slot-- > 0;) {
            const std::uint32_t child = load_u32(node, slot * 4);
            if (child == 0) continue;
            // The child in slot j holds the ids between entries j - 1 and j.
            const std::int64_t above = slot == 0 ? at.above : entries[slot - 1].id;
            const std::int64_t below = slot < entries.size() ? entries[slot].id : at.below;
            pending.push_back({child, above, below});
        }
    }
    return summary;
}

std::expected<std::vector<DatFileEntry>, error::DatError> read_directory(
    const NodeReader& read_node, std::uint32_t root_offset, std::uint64_t max_nodes) {
    std::vector<std::uint8_t> node;
    std::vector<DatFileEntry> found;
    const auto keep_node = [&](std::uint32_t offset) -> std::expected<std::span<const std::uint8_t>, error::DatError> {
        node = QM_TRY(read_node(offset));
        return std::span<const std::uint8_t>(node);
    };
    const auto collect = [&found](std::span<const DatFileEntry> entries, bool) {
        found.insert(found.end(), entries.begin(), entries.end());
    };
    QM_TRY_VOID(walk_directory(keep_node, root_offset, max_nodes, collect));
    return found;
}

}  // namespace quillmere_dat::archive
