#pragma once

// Helpers for tests that need archive files: a temporary file that removes
// itself, and a byte image to which header fields, block links and directory
// nodes are written at chosen offsets.

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/dat_header.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace archive_test {

using Bytes = std::vector<std::uint8_t>;

// A file in the test temporary directory, deleted when this goes away.
class TempFile {
public:
    TempFile() {
        std::string pattern = testing::TempDir() + "archive-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        EXPECT_GE(fd, 0);
        if (fd >= 0) ::close(fd);
        path_ = pattern;
    }
    explicit TempFile(std::span<const std::uint8_t> bytes) : TempFile() { write(bytes); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    void write(std::span<const std::uint8_t> bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void put_u32(Bytes& image, std::size_t at, std::uint32_t value) {
    if (image.size() < at + 4) image.resize(at + 4);
    for (int b = 0; b < 4; ++b) image[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
}

inline void put_bytes(Bytes& image, std::size_t at, std::span<const std::uint8_t> bytes) {
    if (image.size() < at + bytes.size()) image.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

// An archive image with a zero header whose block size and root are given.
inline Bytes image_with_header(std::uint32_t block_size, std::uint32_t root_offset) {
    quillmere_dat::DatHeader header;
    header.block_size = block_size;
    header.root_offset = root_offset;
    quillmere_dat::utils::ByteWriter writer;
    header.pack(writer);
    Bytes image(quillmere_dat::DatHeader::offset);
    put_bytes(image, image.size(), writer.bytes());
    return image;
}

// The 1716 bytes of a directory node. `entry_count` defaults to the number
// of entries given.
struct NodeLayout {
    std::vector<std::uint32_t> branches;  // slots from 0; the rest are 0
    std::vector<quillmere_dat::DatFileEntry> entries;
    std::int64_t entry_count = -1;
};

inline Bytes node_bytes(const NodeLayout& layout) {
    quillmere_dat::utils::ByteWriter writer;
    for (std::size_t slot = 0; slot < 62; ++slot) {
        writer.write_u32(slot < layout.branches.size() ? layout.branches[slot] : 0);
    }
    writer.write_u32(layout.entry_count >= 0 ? static_cast<std::uint32_t>(layout.entry_count)
                                           : static_cast<std::uint32_t>(layout.entries.size()));
    for (const auto& entry : layout.entries) entry.pack(writer);
    writer.write_zeros(1716 - writer.position());
    return std::move(writer).take();
}

// Writes `payload` as a single block at `offset`: a zero link, then the
// bytes, which the last block of a chain supplies contiguously.
inline void put_single_block(Bytes& image, std::size_t offset, std::span<const std::uint8_t> payload) {
    put_u32(image, offset, 0);
    put_bytes(image, offset + 4, payload);
}

inline quillmere_dat::DatFileEntry entry(std::uint32_t id, std::uint32_t offset = 0,
                                         std::uint32_t size = 0, std::uint32_t bit_flags = 0) {
    return {.bit_flags = bit_flags, .id = id, .offset = offset, .size = size, .timestamp = 0,
            .version = 0};
}

}  // namespace archive_test
