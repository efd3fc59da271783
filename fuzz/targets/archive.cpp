// A whole archive file: DatDatabase::open, then get_file of every id its
// directory lists. The input is the archive's bytes, served from an
// in-memory file.

#include "fuzz_checks.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace {

using quillmere_dat::DatDatabase;
using quillmere_dat::DatFileEntry;
using quillmere_fuzz::Bytes;
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

void check_file(const DatDatabase& archive, std::uint32_t id, std::uint64_t& bytes_read) {
    const DatFileEntry* entry = archive.find_entry(id);
    if (entry == nullptr || entry->id != id) fail("a listed id has no entry");

    auto file = archive.get_file(id);
    auto stored = archive.read_file_data(entry->offset, entry->size);
    if (!stored.has_value()) {
        quillmere_fuzz::check_error(stored.error());
        require(!file.has_value(), "get_file succeeded where its stored bytes cannot be read");
        quillmere_fuzz::check_error(file.error());
        return;
    }
    if (!file.has_value()) fail("get_file failed where its stored bytes can be read: " + file.error().display());
    require(stored->size() == entry->size, "stored bytes differ in length from the entry's size");
    bytes_read += stored->size() + file->size();

    if (!entry->is_compressed()) {
        require(*file == *stored, "an uncompressed file differs from its stored bytes");
        return;
    }
    require(*file == quillmere_dat::utils::decompress_lrs(*stored),
            "a compressed file differs from its decompressed stored bytes");
    if (stored->size() >= 4) {
        const std::uint32_t declared = static_cast<std::uint32_t>((*stored)[0]) |
                                       static_cast<std::uint32_t>((*stored)[1]) << 8 |
                                       static_cast<std::uint32_t>((*stored)[2]) << 16 |
                                       static_cast<std::uint32_t>((*stored)[3]) << 24;
        require(file->size() <= declared, "a decompressed file is longer than its declared size");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemoryFile memory_file;
    const std::string path = memory_file.path_with(quillmere_fuzz::input_span(data, size));

    auto archive = DatDatabase::open(path);
    if (!archive.has_value()) {
        quillmere_fuzz::check_error(archive.error());
        return 0;
    }

    const std::vector<std::uint32_t> ids = archive->file_ids();
    require(ids.size() == archive->file_count(), "file_ids and file_count disagree");
    for (std::size_t i = 1; i < ids.size(); ++i) require(ids[i - 1] < ids[i], "ids not strictly ascending");
    // An archive cannot list more than 61 entries per 1716-byte node it holds.
    require(ids.size() <= (size / DatDatabase::node_size + 1) * 61, "more entries than the archive can hold");

    std::uint64_t bytes_read = 0;
    for (std::size_t i = 0; i < ids.size() && i < max_files_read && bytes_read < max_bytes_read; ++i) {
        check_file(*archive, ids[i], bytes_read);
    }

    // An id the directory does not list is NotFound.
    std::uint32_t absent = 0;
    while (archive->find_entry(absent) != nullptr) ++absent;
    auto missing = archive->get_file(absent);
    require(!missing.has_value() && missing.error().get_if<quillmere_dat::error::DatError::NotFound>() != nullptr,
            "an unlisted id is not NotFound");
    return 0;
}
