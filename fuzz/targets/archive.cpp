// A whole archive file: DatDatabase::open, then get_file of every id its
// directory lists. The input is the archive's bytes, served from an
// in-memory file. Opening, the directory and every file's bytes must agree
// with the reader written from the format's description.

#include "fuzz_checks.hpp"
#include "reference_archive.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>

namespace {

using quillmere_dat::DatDatabase;
using quillmere_dat::DatFileEntry;
using ExpectedFiles = std::map<std::uint32_t, quillmere_fuzz::reference::Entry>;
using quillmere_fuzz::fail;
using quillmere_fuzz::require;

// Reading every file of an archive whose entries all claim its whole length
// costs entries x length; these bounds keep one input's work small without
// skipping the interesting first files.
constexpr std::size_t max_files_read = 256;
constexpr std::uint64_t max_bytes_read = std::uint64_t{64} << 20;

// One in-memory file for the whole run, rewritten for each input.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("quillmere-fuzz-archive", MFD_CLOEXEC)) {
        if (fd_ < 0) fail("memfd_create failed");
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { ::close(fd_); }

    std::string path_with(std::span<const std::uint8_t> bytes) const {
        if (::ftruncate(fd_, 0) != 0) fail("ftruncate failed");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (wrote <= 0) fail("pwrite failed");
            done += static_cast<std::size_t>(wrote);
        }
        return "/proc/self/fd/" + std::to_string(fd_);
    }

private:
    int fd_;
};

void check_file(const DatDatabase& archive, const quillmere_fuzz::reference::Archive& expected,
                const quillmere_fuzz::reference::Entry& expected_entry, std::uint64_t& bytes_read) {
    const std::uint32_t id = expected_entry.id;
    const DatFileEntry* entry = archive.find_entry(id);
    if (entry == nullptr) fail("an id of the directory has no entry");
    require(entry->id == id && entry->bit_flags == expected_entry.bit_flags &&
                entry->offset == expected_entry.offset && entry->size == expected_entry.size &&
                entry->timestamp == expected_entry.timestamp && entry->version == expected_entry.version,
            "an entry differs from the one the directory's walk order keeps");

    const auto expected_stored = expected.read_file_data(entry->offset, entry->size);
    auto stored = archive.read_file_data(entry->offset, entry->size);
    auto file = archive.get_file(id);
    if (!stored.has_value()) {
        require(!expected_stored.has_value(), "stored bytes the format can gather were not read");
        quillmere_fuzz::check_error(stored.error());
        require(!file.has_value(), "get_file succeeded where its stored bytes cannot be read");
        quillmere_fuzz::check_error(file.error());
        return;
    }
    require(expected_stored.has_value(), "stored bytes were read where the format gathers none");
    require(*stored == *expected_stored, "stored bytes differ from the block chain's");
    if (!file.has_value()) fail("get_file failed where its stored bytes can be read: " + file.error().display());
    bytes_read += stored->size() + file->size();

    if (!entry->is_compressed()) {
        require(*file == *stored, "an uncompressed file differs from its stored bytes");
        return;
    }
    require(*file == quillmere_dat::utils::decompress_lrs(*stored),
            "a compressed file differs from its decompressed stored bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemoryFile memory_file;
    const auto input = quillmere_fuzz::input_span(data, size);

    quillmere_fuzz::reference::Archive expected(input);
    std::optional<ExpectedFiles> expected_files;
    if (expected.read_header()) expected_files = expected.read_directory();
    auto archive = DatDatabase::open(memory_file.path_with(input));
    if (!archive.has_value()) {
        quillmere_fuzz::check_error(archive.error());
        require(!expected_files.has_value(), "an archive the format can read failed to open");
        return 0;
    }
    require(expected_files.has_value(), "an archive the format cannot read opened");

    const std::vector<std::uint32_t> ids = archive->file_ids();
    require(ids.size() == archive->file_count(), "file_ids and file_count disagree");
    require(ids.size() == expected_files->size(), "the directory lists a different number of files");
    std::size_t i = 0;
    for (const auto& [id, entry] : *expected_files) {
        require(ids[i++] == id, "the directory's ids differ");
    }

    std::uint64_t bytes_read = 0;
    std::size_t files_read = 0;
    for (const auto& [id, entry] : *expected_files) {
        if (files_read++ == max_files_read || bytes_read >= max_bytes_read) break;
        check_file(*archive, expected, entry, bytes_read);
    }

    // An id the directory does not list is NotFound.
    std::uint32_t absent = 0;
    while (archive->find_entry(absent) != nullptr) ++absent;
    auto missing = archive->get_file(absent);
    require(!missing.has_value() && missing.error().get_if<quillmere_dat::error::DatError::NotFound>() != nullptr,
            "an unlisted id is not NotFound");
    return 0;
}
