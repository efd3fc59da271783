#include "block_chain.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

namespace quillmere_dat::archive {

namespace {

std::string chain_too_long(std::uint32_t first_block, std::uint64_t max_blocks) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "block chain starting at offset 0x%X does not end within the %llu blocks "
                  "the archive can hold",
                  first_block, static_cast<unsigned long long>(max_blocks));
    return text;
}

}  // namespace

std::expected<void, error::IoError> read_exact_at(int fd, std::span<std::uint8_t> out,
                                                  std::uint64_t offset) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(error::IoError::from_errno(errno));
        }
        if (got == 0) return std::unexpected(error::IoError::unexpected_eof());
        done += static_cast<std::size_t>(got);
    }
    return {};
}

std::expected<std::vector<std::uint8_t>, error::DatError> BlockChainReader::read(
    std::uint32_t offset, std::uint32_t size) const {
    if (size == 0) return std::vector<std::uint8_t>{};

    // A chain cannot gather more bytes than the archive holds (a well-formed
    // one never revisits a block), so a larger size is cut short here, before
    // a buffer of that size is made.
    if (size > file_length_) return std::unexpected(error::IoError::unexpected_eof());

    // A chain of distinct blocks has no more links than the archive has
    // blocks; past that it loops. This also ends chains of payload-less
    // 4-byte blocks, which would otherwise never gather a byte.
    const std::uint64_t max_blocks =
        file_length_ / std::max<std::uint64_t>(block_size_, 1) + 1;
    const std::uint32_t payload = block_size_ - 4U;  // wraps for blocks below 4 bytes

    std::vector<std::uint8_t> buffer(size);
    std::uint32_t filled = 0;
    std::uint32_t remaining = size;
    std::uint32_t block = offset;
    for (std::uint64_t blocks = 1;; ++blocks) {
        if (blocks > max_blocks) {
            return std::unexpected(error::DatError::Corruption{chain_too_long(offset, max_blocks)});
        }
        std::array<std::uint8_t, 4> link{};
        if (auto read = read_exact_at(fd_, link, block); !read) {
            return std::unexpected(read.error());
        }
        const std::uint32_t next_block = static_cast<std::uint32_t>(link[0]) |
                                         static_cast<std::uint32_t>(link[1]) << 8 |
                                         static_cast<std::uint32_t>(link[2]) << 16 |
                                         static_cast<std::uint32_t>(link[3]) << 24;
        const std::uint32_t payload_start = block + 4U;

        // The last block holds everything still missing.
        const std::uint32_t chunk = next_block == 0 ? remaining : std::min(payload, remaining);
        if (chunk != 0) {
            if (auto read = read_exact_at(
                    fd_, std::span<std::uint8_t>(buffer).subspan(filled, chunk), payload_start);
                !read) {
                return std::unexpected(read.error());
            }
        }
        filled += chunk;
        remaining -= chunk;
        // Once the size is reached a nonzero link is not followed.
        if (next_block == 0 || remaining == 0) break;
        block = next_block;
    }
    return buffer;
}

}  // namespace quillmere_dat::archive
