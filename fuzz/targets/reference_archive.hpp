#pragma once

// An archive reader written straight from the format's description, working
// on the archive's bytes in memory, for the archive target to compare the
// real reader with. Slow and plain: recursion-free but otherwise literal,
// with the same guards the real reader adds to the format (a size beyond the
// archive's length, a chain longer than the archive has blocks, a directory
// node reached twice, more nodes than the archive can hold), each simply a
// failure here.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <unordered_set>
#include <vector>

namespace quillmere_fuzz::reference {

struct Entry {
    std::uint32_t bit_flags = 0;
    std::uint32_t id = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t timestamp = 0;
    std::uint32_t version = 0;
};

class Archive {
public:
    static constexpr std::uint64_t header_offset = 0x140;
    static constexpr std::uint64_t header_size = 80;
    static constexpr std::uint32_t node_size = 1716;

    explicit Archive(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The header's block size and root offset, or nothing when the file ends
    // inside the header.
    bool read_header() {
        if (bytes_.size() < header_offset + header_size) return false;
        block_size_ = load(header_offset + 4);
        root_offset_ = load(header_offset + 32);
        return true;
    }

    // `size` bytes along the block chain from `offset`, or nothing when a read
    // runs past the end of the archive or the chain does not end.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> read_file_data(std::uint32_t offset,
                                                                           std::uint32_t size) const {
        std::vector<std::uint8_t> out;
        if (size == 0) return out;
        // More bytes than the archive holds cannot be gathered from distinct blocks.
        if (size > bytes_.size()) return std::nullopt;
        const std::uint64_t max_blocks = bytes_.size() / (block_size_ == 0 ? 1 : block_size_) + 1;
        const std::uint32_t payload = block_size_ - 4U;
        std::uint32_t remaining = size;
        std::uint32_t block = offset;
        for (std::uint64_t blocks = 1;; ++blocks) {
            if (blocks > max_blocks || !readable(block, 4)) return std::nullopt;
            const std::uint32_t next_block = load(block);
            const std::uint32_t chunk = next_block == 0 ? remaining : (payload < remaining ? payload : remaining);
            const std::uint32_t start = block + 4U;
            if (!readable(start, chunk)) return std::nullopt;
            out.insert(out.end(), bytes_.begin() + start, bytes_.begin() + start + chunk);
            remaining -= chunk;
            if (next_block == 0 || remaining == 0) return out;
            block = next_block;
        }
    }

    // Every entry of the directory by id, the last one walked winning; or
    // nothing when any node fails.
    [[nodiscard]] std::optional<std::map<std::uint32_t, Entry>> read_directory() const {
        std::map<std::uint32_t, Entry> files;
        const std::uint64_t max_nodes = bytes_.size() / node_size + 1;
        std::unordered_set<std::uint32_t> visited;
        std::vector<std::uint32_t> pending{root_offset_};  // next node on top
        while (!pending.empty()) {
            const std::uint32_t offset = pending.back();
            pending.pop_back();
            if (offset == 0) continue;
            if (!visited.insert(offset).second || visited.size() > max_nodes) return std::nullopt;
            const auto node = read_file_data(offset, node_size);
            if (!node) return std::nullopt;
            const auto word = [&node](std::size_t at) {
                return static_cast<std::uint32_t>((*node)[at]) | static_cast<std::uint32_t>((*node)[at + 1]) << 8 |
                       static_cast<std::uint32_t>((*node)[at + 2]) << 16 |
                       static_cast<std::uint32_t>((*node)[at + 3]) << 24;
            };
            const std::uint32_t entry_count = word(248);
            // Entries past the 61st run off the node.
            if (entry_count > 61) return std::nullopt;
            for (std::uint32_t i = 0; i < entry_count; ++i) {
                const std::size_t at = 252 + 24 * std::size_t{i};
                const Entry entry{word(at), word(at + 4), word(at + 8), word(at + 12), word(at + 16), word(at + 20)};
                files[entry.id] = entry;
            }
            if (word(0) == 0) continue;  // a leaf
            // Children in slots 0 .. entry_count, pushed last slot first.
            for (std::uint32_t slot = (entry_count < 61 ? entry_count : 61) + 1; slot-- > 0;) {
                pending.push_back(word(4 * std::size_t{slot}));
            }
        }
        return files;
    }

private:
    [[nodiscard]] bool readable(std::uint64_t at, std::uint64_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }

    [[nodiscard]] std::uint32_t load(std::uint64_t at) const {
        return static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[at + 2]) << 16 | static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
    }

    std::span<const std::uint8_t> bytes_;
    std::uint32_t block_size_ = 0;
    std::uint32_t root_offset_ = 0;
};

}  // namespace quillmere_fuzz::reference
