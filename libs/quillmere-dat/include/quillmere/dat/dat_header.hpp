#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <array>
#include <cstdint>

namespace quillmere_dat {

// The 80-byte record at byte 0x140 of every archive. The archive layer uses
// only `block_size` and `root_offset`; every other field is kept as read and
// nothing is validated.
struct DatHeader {
    // Where the header lies in the archive, and how long it is.
    static constexpr std::uint32_t offset = 0x140;
    static constexpr std::uint32_t packed_size = 80;

    std::uint32_t magic = 0;
    std::uint32_t block_size = 0;  // bytes per block, the 4-byte link included
    std::uint32_t file_size = 0;
    std::uint32_t dataset = 0;
    std::uint32_t subset = 0;
    std::uint32_t free_head = 0;
    std::uint32_t free_tail = 0;
    std::uint32_t free_count = 0;
    std::uint32_t root_offset = 0;  // block offset of the root directory node; 0: empty
    std::uint32_t new_lru = 0;
    std::uint32_t old_lru = 0;
    std::uint32_t use_lru = 0;
    std::uint32_t master_map_id = 0;
    std::uint32_t engine_version = 0;
    std::uint32_t game_version = 0;
    std::array<std::uint8_t, 16> version_string{};  // raw bytes, not text
    std::uint32_t version_minor = 0;

    static utils::ReadResult<DatHeader> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const DatHeader&, const DatHeader&) = default;
};

}  // namespace quillmere_dat
