#pragma once

#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/error/io_error.hpp>

#include <cstdint>
#include <expected>
#include <span>
#include <vector>

namespace quillmere_dat::archive {

// Fills `out` from the absolute file offset `offset` with positioned reads,
// which neither use nor move the file position. A short read is continued,
// an interrupted one retried; a read that returns nothing is the end-of-data
// error.
std::expected<void, error::IoError> read_exact_at(int fd, std::span<std::uint8_t> out,
                                                  std::uint64_t offset);

// Gathers a file's stored bytes along its block chain. Each block starts
// with the u32 block offset of the next block (0 in the last one) followed by
// `block_size - 4` payload bytes; the last block supplies everything still
// missing, contiguously. Block arithmetic wraps at 32 bits, as the format's
// offsets do.
class BlockChainReader {
public:
    BlockChainReader(int fd, std::uint32_t block_size, std::uint64_t file_length) noexcept
        : fd_(fd), block_size_(block_size), file_length_(file_length) {}

    std::expected<std::vector<std::uint8_t>, error::DatError> read(std::uint32_t offset,
                                                                   std::uint32_t size) const;

    // The same, into `out`: its size is the byte count. Each block is one
    // positioned read of its link and payload together, straight into `out`.
    std::expected<void, error::DatError> read_into(std::uint32_t offset,
                                                   std::span<std::uint8_t> out) const;

private:
    int fd_;
    std::uint32_t block_size_;
    std::uint64_t file_length_;
};

}  // namespace quillmere_dat::archive
