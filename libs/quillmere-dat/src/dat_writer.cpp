#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/dat_writer.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

namespace quillmere_dat {

namespace {

using error::DatError;
using error::IoError;

constexpr std::size_t max_node_entries = 61;
constexpr std::size_t max_node_children = max_node_entries + 1;

[[noreturn]] void contract_violation(const char* what) {
    std::fprintf(stderr, "DatWriter: %s\n", what);
    std::abort();
}

// One directory node before layout: its entries (indices into the sorted
// file list) and its children (indices into the node list).
struct PlannedNode {
    std::vector<std::size_t> entries;
    std::vector<std::size_t> children;
};

// How many entries a tree of `height` levels holds at most.
std::uint64_t capacity(int height) {
    std::uint64_t held = max_node_entries;
    for (int level = 1; level < height; ++level) held = max_node_entries + max_node_children * held;
    return held;
}

// Plans the subtree over files [first, first + count) of the sorted list,
// nodes in pre-order. A node holds up to 61 entries; a larger range is split
// into the fewest children that can hold it, with separator entries between
// them, each child as full as its siblings. Depth grows with log62 of the
// count, so the recursion stays shallow.
std::size_t plan_subtree(std::vector<PlannedNode>& nodes, std::size_t first, std::size_t count) {
    const std::size_t index = nodes.size();
    nodes.emplace_back();
    if (count <= max_node_entries) {
        for (std::size_t k = 0; k < count; ++k) nodes[index].entries.push_back(first + k);
        return index;
    }
    int height = 2;
    while (capacity(height) < count) ++height;
    const std::uint64_t child_capacity = capacity(height - 1);
    // children - 1 separators plus the children's entries make `count`.
    const std::size_t children =
        static_cast<std::size_t>((count + 1 + child_capacity) / (child_capacity + 1));
    const std::size_t in_children = count - (children - 1);
    std::size_t next = first;
    for (std::size_t c = 0; c < children; ++c) {
        const std::size_t share = in_children / children + (c < in_children % children ? 1 : 0);
        const std::size_t child = plan_subtree(nodes, next, share);
        nodes[index].children.push_back(child);
        next += share;
        if (c + 1 < children) nodes[index].entries.push_back(next++);
    }
    return index;
}

std::uint64_t blocks_for(std::uint64_t size, std::uint32_t payload) {
    return size == 0 ? 0 : (size + payload - 1) / payload;
}

// Writes `bytes` as a chain of consecutive blocks from `first_block`: each
// block's link names the next one, the last block's link is 0.
void write_chain(std::uint8_t* archive, std::uint64_t first_block, std::uint32_t block_size,
                 std::span<const std::uint8_t> bytes) {
    const std::uint32_t payload = block_size - 4;
    std::uint64_t block = first_block;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(payload, bytes.size() - done);
        const bool last = done + chunk == bytes.size();
        const std::uint32_t link = last ? 0 : static_cast<std::uint32_t>(block + block_size);
        for (int b = 0; b < 4; ++b) archive[block + b] = static_cast<std::uint8_t>(link >> (8 * b));
        std::memcpy(archive + block + 4, bytes.data() + done, chunk);
        done += chunk;
        block += block_size;
    }
}

}  // namespace

DatWriter::DatWriter(std::uint32_t block_size) : block_size_(block_size) {
    if (block_size < 5) contract_violation("a block needs room for its link and a payload byte");
}

void DatWriter::add_file(std::uint32_t id, std::vector<std::uint8_t> bytes, bool compressed,
                         std::uint32_t timestamp, std::uint32_t version) {
    StoredFile file;
    file.timestamp = timestamp;
    file.version = version;
    if (compressed) {
        file.bit_flags = DatFileEntry::compressed_flag;
        file.bytes = utils::compress_lrs(bytes);
    } else {
        file.bytes = std::move(bytes);
    }
    if (file.bytes.size() > 0xFFFFFFFFU) contract_violation("a file of 4 GiB or more");
    files_.insert_or_assign(id, std::move(file));
}

std::vector<std::uint8_t> DatWriter::build() const {
    const std::uint32_t payload = block_size_ - 4;

    std::vector<const StoredFile*> sorted;
    std::vector<std::uint32_t> ids;
    sorted.reserve(files_.size());
    ids.reserve(files_.size());
    for (const auto& [id, file] : files_) {
        ids.push_back(id);
        sorted.push_back(&file);
    }

    std::vector<PlannedNode> nodes;
    if (!sorted.empty()) plan_subtree(nodes, 0, sorted.size());

    // Blocks start at the first multiple of the block size past the header;
    // nodes first (in pre-order), then the files in id order.
    const std::uint64_t header_end = DatHeader::offset + DatHeader::packed_size;
    const std::uint64_t data_start = (header_end + block_size_ - 1) / block_size_ * block_size_;
    const std::uint64_t node_blocks = blocks_for(DatDatabase::node_size, payload);
    std::uint64_t next_block = data_start;
    std::vector<std::uint64_t> node_offsets(nodes.size());
    for (std::uint64_t& offset : node_offsets) {
        offset = next_block;
        next_block += node_blocks * block_size_;
    }
    std::vector<std::uint64_t> file_offsets(sorted.size());
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        const std::uint64_t blocks = blocks_for(sorted[k]->bytes.size(), payload);
        // An empty file owns no block; its entry points at offset 0.
        file_offsets[k] = blocks == 0 ? 0 : next_block;
        next_block += blocks * block_size_;
    }
    const std::uint64_t total = next_block;
    if (total > 0xFFFFFFFFU) contract_violation("the archive does not fit 32-bit block offsets");

    std::vector<std::uint8_t> archive(static_cast<std::size_t>(total));

    DatHeader header = header_;
    header.block_size = block_size_;
    header.file_size = static_cast<std::uint32_t>(total);
    header.free_head = 0;
    header.free_tail = 0;
    header.free_count = 0;
    header.root_offset = nodes.empty() ? 0 : static_cast<std::uint32_t>(node_offsets[0]);
    utils::ByteWriter header_bytes;
    header.pack(header_bytes);
    std::memcpy(archive.data() + DatHeader::offset, header_bytes.bytes().data(),
                DatHeader::packed_size);

    for (std::size_t n = 0; n < nodes.size(); ++n) {
        utils::ByteWriter node;
        for (std::size_t slot = 0; slot < max_node_children; ++slot) {
            const bool used = slot < nodes[n].children.size();
            node.write_u32(used ? static_cast<std::uint32_t>(node_offsets[nodes[n].children[slot]]) : 0);
        }
        node.write_u32(static_cast<std::uint32_t>(nodes[n].entries.size()));
        for (const std::size_t k : nodes[n].entries) {
            DatFileEntry{.bit_flags = sorted[k]->bit_flags,
                         .id = ids[k],
                         .offset = static_cast<std::uint32_t>(file_offsets[k]),
                         .size = static_cast<std::uint32_t>(sorted[k]->bytes.size()),
                         .timestamp = sorted[k]->timestamp,
                         .version = sorted[k]->version}
                .pack(node);
        }
        node.write_zeros(DatDatabase::node_size - node.position());
        write_chain(archive.data(), node_offsets[n], block_size_, node.bytes());
    }
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        write_chain(archive.data(), file_offsets[k], block_size_, sorted[k]->bytes);
    }
    return archive;
}

std::expected<void, DatError> DatWriter::write(const std::filesystem::path& path) const {
    const std::vector<std::uint8_t> bytes = build();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return std::unexpected(DatError::PathError{path, IoError::from_errno(errno)});
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            return std::unexpected(IoError::from_errno(code));
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (::close(fd) != 0) return std::unexpected(IoError::from_errno(errno));
    return {};
}

}  // namespace quillmere_dat
