#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <vector>

namespace quillmere_dat::graphics {

// One polygon of a graphics object: 10 + 2n bytes, plus n for each texture
// index list present (n = `num_vertices`, the length of every list held).
// Nothing is checked against the vertices or surfaces it names.
struct Polygon {
    // `flags` bits that leave out a texture index list.
    static constexpr std::uint8_t no_pos_uvs = 0x04;
    static constexpr std::uint8_t no_neg_uvs = 0x08;
    // The `side_mode` under which the negative side has its own indices.
    static constexpr std::uint32_t both_sides = 2;

    std::uint8_t num_vertices = 0;
    std::uint8_t flags = 0;
    std::uint32_t side_mode = 0;
    std::uint16_t pos_surface = 0;
    std::uint16_t neg_surface = 0;
    std::vector<std::uint16_t> vertex_ids;
    std::vector<std::uint8_t> pos_uv_indices;  // unless flags & 0x04 (and n > 0)
    std::vector<std::uint8_t> neg_uv_indices;  // side_mode 2, unless flags & 0x08 (and n > 0)

    [[nodiscard]] bool has_pos_uvs() const noexcept;
    [[nodiscard]] bool has_neg_uvs() const noexcept;

    static utils::ReadResult<Polygon> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Polygon&, const Polygon&) = default;
};

}  // namespace quillmere_dat::graphics
