#pragma once

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/dat_header.hpp>

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quillmere_bench {

// One positioned read of `length` bytes at the absolute offset `offset`.
struct BlockRead {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
};

// An archive seen as raw blocks, to plan the reads that the archive layer
// cannot avoid: every block of a chain has to be read once, its link and its
// share of the payload together. Planning follows links and parses nodes; it
// is setup work and never timed. A malformed archive stops the program.
class RawArchive {
public:
    explicit RawArchive(const std::filesystem::path& path);
    RawArchive(const RawArchive&) = delete;
    RawArchive& operator=(const RawArchive&) = delete;
    ~RawArchive();

    [[nodiscard]] const quillmere_dat::DatHeader& header() const noexcept { return header_; }

    // One read per block of the chain that holds `size` bytes from block
    // offset `offset`: the link plus min(payload, missing) bytes, and for the
    // chain's last block the link plus everything still missing.
    [[nodiscard]] std::vector<BlockRead> chain_reads(std::uint32_t offset, std::uint32_t size) const;

    // The block reads of every directory node, in walk order, and every
    // entry the nodes list.
    struct Directory {
        std::vector<BlockRead> reads;
        std::vector<quillmere_dat::DatFileEntry> entries;
    };
    [[nodiscard]] Directory directory() const;

private:
    int fd_ = -1;
    std::uint64_t length_ = 0;
    quillmere_dat::DatHeader header_;
};

// The longest read of the list, to size a scratch buffer.
[[nodiscard]] std::uint32_t longest(std::span<const BlockRead> reads);

// Performs every read into the start of `scratch` (at least `longest`
// bytes) and returns the number of bytes read. This is the floor: the reads
// and nothing else.
std::uint64_t perform_reads(int fd, std::span<const BlockRead> reads, std::span<std::uint8_t> scratch);

}  // namespace quillmere_bench
