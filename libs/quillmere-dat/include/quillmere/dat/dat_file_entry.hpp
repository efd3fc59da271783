#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>

namespace quillmere_dat {

// One file of an archive as its directory node lists it: 24 bytes.
struct DatFileEntry {
    static constexpr std::uint32_t packed_size = 24;
    // Bit 0 of `bit_flags`: the stored bytes are compressed.
    static constexpr std::uint32_t compressed_flag = 0x1;

    std::uint32_t bit_flags = 0;
    std::uint32_t id = 0;
    std::uint32_t offset = 0;  // block offset of the file's first block
    std::uint32_t size = 0;    // stored bytes (the compressed length when compressed)
    std::uint32_t timestamp = 0;
    std::uint32_t version = 0;

    [[nodiscard]] bool is_compressed() const noexcept { return (bit_flags & compressed_flag) != 0; }

    static utils::ReadResult<DatFileEntry> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const DatFileEntry&, const DatFileEntry&) = default;
};

}  // namespace quillmere_dat
