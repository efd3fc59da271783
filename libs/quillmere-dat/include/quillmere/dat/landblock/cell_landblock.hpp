#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <array>
#include <cstdint>

namespace quillmere_dat::landblock {

// Vertices per side of a landblock's terrain grid, and in all.
inline constexpr int vertices_per_side = 9;
inline constexpr int vertex_count = vertices_per_side * vertices_per_side;

// Terrain word bit fields.
[[nodiscard]] constexpr std::uint32_t road_bits(std::uint16_t word) noexcept { return word & 0x3U; }
[[nodiscard]] constexpr std::uint32_t terrain_type_index(std::uint16_t word) noexcept {
    return (word >> 2) & 0x1FU;
}
[[nodiscard]] constexpr std::uint32_t scenery_index(std::uint16_t word) noexcept { return word >> 11; }

// A landblock's terrain (cell file (lb << 16) | 0xFFFF): 9 x 9 vertices, each
// with a terrain word and a height code. Entry i is vertex x = i / 9,
// y = i % 9 (x-major). 251 bytes on the wire; later bytes are ignored.
struct CellLandblock {
    std::uint32_t id = 0;
    std::uint32_t has_objects = 0;
    std::array<std::uint16_t, vertex_count> terrain{};
    std::array<std::uint8_t, vertex_count> height{};

    // Field by field: a failure names 'id', 'has_objects', 'terrain' or
    // 'height' in CellLandblock.
    static utils::ReadResult<CellLandblock> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const CellLandblock&, const CellLandblock&) = default;
};

}  // namespace quillmere_dat::landblock
