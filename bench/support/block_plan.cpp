#include "block_plan.hpp"

#include "bench_data.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_set>

namespace quillmere_bench {

namespace {

constexpr std::size_t branch_slots = 62;
constexpr std::size_t entries_at = branch_slots * 4 + 4;

std::uint32_t load_u32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void read_fully(int fd, std::uint8_t* out, std::size_t length, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) setup_failure("archive ends inside a block at offset " + std::to_string(offset));
        done += static_cast<std::size_t>(got);
    }
}

}  // namespace

RawArchive::RawArchive(const std::filesystem::path& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) setup_failure("cannot open " + path.string() + ": " + std::strerror(errno));
    struct stat status {};
    if (::fstat(fd_, &status) != 0) setup_failure("cannot stat " + path.string());
    length_ = static_cast<std::uint64_t>(status.st_size);
    std::array<std::uint8_t, quillmere_dat::DatHeader::packed_size> raw{};
    read_fully(fd_, raw.data(), raw.size(), quillmere_dat::DatHeader::offset);
    quillmere_dat::utils::ByteReader reader(raw);
    auto header = quillmere_dat::DatHeader::unpack(reader);
    if (!header) setup_failure("unreadable header in " + path.string());
    header_ = *header;
    if (header_.block_size <= 4) setup_failure("blocks without payload in " + path.string());
}

RawArchive::~RawArchive() {
    if (fd_ >= 0) ::close(fd_);
}

std::vector<BlockRead> RawArchive::chain_reads(std::uint32_t offset, std::uint32_t size) const {
    std::vector<BlockRead> reads;
    const std::uint32_t payload = header_.block_size - 4;
    std::uint32_t remaining = size;
    std::uint32_t block = offset;
    while (remaining > 0) {
        if (reads.size() > length_ / header_.block_size + 1) setup_failure("a block chain loops");
        std::array<std::uint8_t, 4> link{};
        read_fully(fd_, link.data(), link.size(), block);
        const std::uint32_t next = load_u32(link.data());
        const std::uint32_t chunk = next == 0 ? remaining : std::min(payload, remaining);
        reads.push_back({block, 4 + chunk});
        remaining -= chunk;
        block = next;
    }
    return reads;
}

RawArchive::Directory RawArchive::directory() const {
    Directory directory;
    std::vector<std::uint32_t> pending{header_.root_offset};
    std::unordered_set<std::uint32_t> visited;
    std::vector<std::uint8_t> node(quillmere_dat::DatDatabase::node_size);
    while (!pending.empty()) {
        const std::uint32_t offset = pending.back();
        pending.pop_back();
        if (offset == 0) continue;
        if (!visited.insert(offset).second) setup_failure("a directory node is reached twice");
        std::size_t filled = 0;
        for (const BlockRead& read : chain_reads(offset, quillmere_dat::DatDatabase::node_size)) {
            directory.reads.push_back(read);
            read_fully(fd_, node.data() + filled, read.length - 4, read.offset + 4);
            filled += read.length - 4;
        }
        const std::uint32_t entry_count = load_u32(node.data() + branch_slots * 4);
        if (entry_count > 61) setup_failure("a directory node lists more than 61 entries");
        quillmere_dat::utils::ByteReader reader(node);
        reader.set_position(entries_at);
        for (std::uint32_t i = 0; i < entry_count; ++i) {
            directory.entries.push_back(*quillmere_dat::DatFileEntry::unpack(reader));
        }
        if (load_u32(node.data()) == 0) continue;
        for (std::size_t slot = std::min<std::size_t>(entry_count, branch_slots - 1) + 1; slot-- > 0;) {
            pending.push_back(load_u32(node.data() + slot * 4));
        }
    }
    return directory;
}

std::uint32_t longest(std::span<const BlockRead> reads) {
    std::uint32_t most = 0;
    for (const BlockRead& read : reads) most = std::max(most, read.length);
    return most;
}

std::uint64_t perform_reads(int fd, std::span<const BlockRead> reads, std::span<std::uint8_t> scratch) {
    std::uint64_t total = 0;
    for (const BlockRead& read : reads) {
        std::size_t done = 0;
        while (done < read.length) {
            const ssize_t got =
                ::pread(fd, scratch.data() + done, read.length - done, static_cast<off_t>(read.offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) setup_failure("a planned read failed");
            done += static_cast<std::size_t>(got);
        }
        total += done;
    }
    return total;
}

}  // namespace quillmere_bench
