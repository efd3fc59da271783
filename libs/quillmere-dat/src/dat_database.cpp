#include "archive/block_chain.hpp"
#include "archive/directory_walk.hpp"

#include <quillmere/common/try.hpp>
#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace quillmere_dat {

namespace {

using error::DatError;
using error::IoError;

// Sequential reads from the current file position until `out` is full or
// the file ends; returns how many bytes arrived.
std::expected<std::size_t, IoError> read_up_to(int fd, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::read(fd, out.data() + done, out.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(IoError::from_errno(errno));
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// The header is decoded from the bytes that sequential reads from 0x140
// delivered; a file ending inside it fails in the first field it cuts.
std::expected<DatHeader, DatError> read_header(int fd) {
    if (::lseek(fd, DatHeader::offset, SEEK_SET) < 0) {
        return std::unexpected(IoError::from_errno(errno));
    }
    std::array<std::uint8_t, DatHeader::packed_size> raw{};
    const std::size_t got = QM_TRY(read_up_to(fd, raw));
    utils::ByteReader reader(std::span<const std::uint8_t>(raw.data(), got));
    return QM_TRY(DatHeader::unpack(reader));
}

}  // namespace

DatDatabase::FileHandle& DatDatabase::FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

DatDatabase::FileHandle::~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
}

std::expected<DatDatabase, DatError> DatDatabase::open(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::unexpected(DatError::PathError{path, IoError::from_errno(errno)});
    // From here on every early return closes the file.
    FileHandle handle(fd);

    // The length bounds every chain walk and every buffer made from sizes the
    // archive declares.
    struct stat status {};
    if (::fstat(fd, &status) != 0) return std::unexpected(IoError::from_errno(errno));
    const std::uint64_t file_length =
        status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;

    const DatHeader header = QM_TRY(read_header(fd));
    const archive::BlockChainReader chains(fd, header.block_size, file_length);
    // Each node of a well-formed directory has 1716 bytes of the archive to
    // itself, which bounds how many there can be.
    const std::uint64_t max_nodes = file_length / node_size + 1;
    // One buffer serves every node.
    std::array<std::uint8_t, node_size> node{};
    FileEntryTable::Builder table;
    const auto read_node = [&](std::uint32_t offset) -> std::expected<std::span<const std::uint8_t>, DatError> {
        QM_TRY_VOID(chains.read_into(offset, node));
        return std::span<const std::uint8_t>(node);
    };
    const auto collect = [&table](std::span<const DatFileEntry> entries, bool leaf) { table.add(entries, leaf); };
    const archive::WalkSummary walked = QM_TRY(archive::walk_directory(read_node, header.root_offset, max_nodes, collect));

    DatDatabase database(std::move(handle), file_length, header);
    database.entries_ = std::move(table).finish(walked.search_tree);
    return database;
}

std::expected<std::vector<std::uint8_t>, DatError> DatDatabase::read_file_data(
    std::uint32_t offset, std::uint32_t size) const {
    return archive::BlockChainReader(handle_.get(), header_.block_size, file_length_)
        .read(offset, size);
}

std::expected<std::vector<std::uint8_t>, DatError> DatDatabase::get_file(std::uint32_t id) const {
    const DatFileEntry* entry = find_entry(id);
    if (entry == nullptr) return std::unexpected(DatError::NotFound{id});
    std::vector<std::uint8_t> stored = QM_TRY(read_file_data(entry->offset, entry->size));
    if (entry->is_compressed()) return utils::decompress_lrs(stored);
    return stored;
}

const DatFileEntry* DatDatabase::find_entry(std::uint32_t id) const noexcept { return entries_.find(id); }

std::vector<std::uint32_t> DatDatabase::file_ids() const {
    std::vector<std::uint32_t> ids;
    ids.reserve(entries_.size());
    for (const DatFileEntry& entry : entries_.entries()) ids.push_back(entry.id);
    return ids;
}

}  // namespace quillmere_dat
