#include "block_chain.hpp"

#include <sys/uio.h>
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

std::uint32_t load_link(const std::array<std::uint8_t, 4>& link) {
    return static_cast<std::uint32_t>(link[0]) | static_cast<std::uint32_t>(link[1]) << 8 |
           static_cast<std::uint32_t>(link[2]) << 16 | static_cast<std::uint32_t>(link[3]) << 24;
}

// Reads a block's link and the first `payload.size()` bytes of its payload,
// which follow the link directly, in one request: one system call per block
// instead of two. The payload goes straight into the caller's buffer. A
// short read is finished piece by piece, with the same errors as separate
// reads of the link and the payload would give.
std::expected<void, error::IoError> read_link_and_payload(int fd, std::uint64_t block,
                                                          std::array<std::uint8_t, 4>& link,
                                                          std::span<std::uint8_t> payload) {
    std::array<iovec, 2> parts{{{link.data(), link.size()}, {payload.data(), payload.size()}}};
    const std::size_t wanted = link.size() + payload.size();
    ssize_t got = 0;
    do {
        got = ::preadv(fd, parts.data(), payload.empty() ? 1 : 2, static_cast<off_t>(block));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return std::unexpected(error::IoError::from_errno(errno));
    if (got == 0) return std::unexpected(error::IoError::unexpected_eof());
    const auto done = static_cast<std::size_t>(got);
    if (done == wanted) return {};
    if (done < link.size()) {
        auto rest = read_exact_at(fd, std::span<std::uint8_t>(link).subspan(done), block + done);
        if (!rest) return rest;
        return read_exact_at(fd, payload, block + link.size());
    }
    return read_exact_at(fd, payload.subspan(done - link.size()), block + done);
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

    std::vector<std::uint8_t> buffer(size);
    if (auto read = read_into(offset, buffer); !read) return std::unexpected(std::move(read).error());
    return buffer;
}

std::expected<void, error::DatError> BlockChainReader::read_into(std::uint32_t offset,
                                                                 std::span<std::uint8_t> out) const {
    if (out.empty()) return {};
    if (out.size() > file_length_) return std::unexpected(error::IoError::unexpected_eof());
    const auto size = static_cast<std::uint32_t>(out.size());

    // A chain of distinct blocks has no more links than the archive has
    // blocks; past that it loops. This also ends chains of payload-less
    // 4-byte blocks, which would otherwise never gather a byte.
    const std::uint64_t max_blocks =
        file_length_ / std::max<std::uint64_t>(block_size_, 1) + 1;
    const std::uint32_t payload = block_size_ - 4U;  // wraps for blocks below 4 bytes

    std::uint32_t filled = 0;
    std::uint32_t remaining = size;
    std::uint32_t block = offset;
    for (std::uint64_t blocks = 1;; ++blocks) {
        if (blocks > max_blocks) {
            return std::unexpected(error::DatError::Corruption{chain_too_long(offset, max_blocks)});
        }
        std::array<std::uint8_t, 4> link{};
        const std::uint32_t payload_start = block + 4U;
        // Until the link is known, only the bytes that every case reads are
        // asked for: a full payload or what is missing, whichever is less.
        // The chain's last block then supplies the rest.
        const std::uint32_t ahead = std::min(payload, remaining);
        auto first_part = out.subspan(filled, ahead);
        if (payload_start >= 4U) {
            if (auto read = read_link_and_payload(fd_, block, link, first_part); !read) {
                return std::unexpected(read.error());
            }
        } else {
            // The payload position wraps past 32 bits: link and payload are
            // not adjacent, so they are two reads.
            if (auto read = read_exact_at(fd_, link, block); !read) return std::unexpected(read.error());
            if (!first_part.empty()) {
                if (auto read = read_exact_at(fd_, first_part, payload_start); !read) {
                    return std::unexpected(read.error());
                }
            }
        }
        const std::uint32_t next_block = load_link(link);

        // The last block holds everything still missing, contiguously.
        const std::uint32_t chunk = next_block == 0 ? remaining : ahead;
        if (chunk > ahead) {
            if (auto read = read_exact_at(fd_, out.subspan(filled + ahead, chunk - ahead),
                                          std::uint64_t{payload_start} + ahead);
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
    return {};
}

}  // namespace quillmere_dat::archive
