#pragma once

#include <quillmere/dat/dat_file_entry.hpp>
#include <quillmere/dat/dat_header.hpp>
#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/file_entry_table.hpp>
#include <quillmere/dat/file_source.hpp>

#include <cstdint>
#include <expected>
#include <filesystem>
#include <vector>

namespace quillmere_dat {

// One opened archive: its header, its whole directory and its read-only file
// handle. Opening reads the complete directory; afterwards a lookup is a
// binary search plus the file's own block reads, and nothing changes.
// Lookups use positioned reads only, so they never disturb one another.
class DatDatabase final : public FileSource {
public:
    // A directory node is stored like a file of this many bytes.
    static constexpr std::uint32_t node_size = 1716;

    static std::expected<DatDatabase, error::DatError> open(const std::filesystem::path& path);

    DatDatabase(DatDatabase&&) noexcept = default;
    DatDatabase& operator=(DatDatabase&&) noexcept = default;
    DatDatabase(const DatDatabase&) = delete;
    DatDatabase& operator=(const DatDatabase&) = delete;
    ~DatDatabase() override = default;

    // The file's bytes, decompressed when its entry is flagged compressed.
    // `NotFound` for an id the directory does not list; `Io` when its blocks
    // cannot be read.
    std::expected<std::vector<std::uint8_t>, error::DatError> get_file(
        std::uint32_t id) const override;

    // `size` bytes gathered along the block chain that starts at the block
    // offset `offset`. Size 0 reads nothing.
    std::expected<std::vector<std::uint8_t>, error::DatError> read_file_data(
        std::uint32_t offset, std::uint32_t size) const;

    [[nodiscard]] const DatHeader& header() const noexcept { return header_; }
    [[nodiscard]] std::size_t file_count() const noexcept { return entries_.size(); }
    // The directory's entry for `id`, or null.
    [[nodiscard]] const DatFileEntry* find_entry(std::uint32_t id) const noexcept;
    // Every id the directory lists, ascending.
    [[nodiscard]] std::vector<std::uint32_t> file_ids() const;

private:
    // Owns an open file descriptor and closes it once.
    class FileHandle {
    public:
        FileHandle() noexcept = default;
        explicit FileHandle(int fd) noexcept : fd_(fd) {}
        FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
        FileHandle& operator=(FileHandle&& other) noexcept;
        FileHandle(const FileHandle&) = delete;
        FileHandle& operator=(const FileHandle&) = delete;
        ~FileHandle();

        [[nodiscard]] int get() const noexcept { return fd_; }
        int release() noexcept {
            const int fd = fd_;
            fd_ = -1;
            return fd;
        }

    private:
        int fd_ = -1;
    };

    DatDatabase(FileHandle handle, std::uint64_t file_length, DatHeader header) noexcept
        : handle_(std::move(handle)), file_length_(file_length), header_(header) {}

    FileHandle handle_;
    std::uint64_t file_length_ = 0;  // the archive's length when it was opened
    DatHeader header_;
    // The directory, sorted by id, one entry per id (24 bytes each).
    FileEntryTable entries_;
};

}  // namespace quillmere_dat
