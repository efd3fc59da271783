#pragma once

#include <quillmere/dat/dat_header.hpp>
#include <quillmere/dat/error/dat_error.hpp>

#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <vector>

namespace quillmere_dat {

// Builds an archive that DatDatabase reads back: every file in a chain of
// consecutive blocks, and a directory of 1716-byte nodes forming a B-tree
// over the ids (entries sorted within a node; an internal node with k entries
// has its k + 1 children in branches[0..k]). Directory nodes come first, then
// the files in id order; the same inputs always give the same bytes.
class DatWriter {
public:
    // `block_size` counts the 4-byte link, so it must be at least 5.
    explicit DatWriter(std::uint32_t block_size = 1024);

    // Adds a file; an id added again replaces the earlier file. A compressed
    // file is stored as its compressed form and flagged so (bit 0 of
    // `bit_flags`).
    void add_file(std::uint32_t id, std::vector<std::uint8_t> bytes, bool compressed = false,
                  std::uint32_t timestamp = 0, std::uint32_t version = 0);

    // Values for the header fields the layout does not decide. `block_size`,
    // `file_size`, `root_offset` and the free-list fields are always set by
    // the writer.
    void set_header(const DatHeader& header) { header_ = header; }

    [[nodiscard]] std::size_t file_count() const noexcept { return files_.size(); }

    // The whole archive. The archive must stay below 4 GiB, since block
    // offsets are 32 bits (a larger one is a programming error).
    [[nodiscard]] std::vector<std::uint8_t> build() const;
    // Writes build() to `path`, creating or truncating the file.
    [[nodiscard]] std::expected<void, error::DatError> write(const std::filesystem::path& path) const;

private:
    struct StoredFile {
        std::uint32_t bit_flags = 0;
        std::uint32_t timestamp = 0;
        std::uint32_t version = 0;
        std::vector<std::uint8_t> bytes;  // as stored: compressed when flagged
    };

    std::uint32_t block_size_;
    DatHeader header_;
    std::map<std::uint32_t, StoredFile> files_;
};

}  // namespace quillmere_dat
