#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <map>
#include <vector>

namespace quillmere_dat::graphics {

// One texture coordinate pair: 8 bytes, read field by field.
struct Vec2Duv {
    float u = 0.0F;
    float v = 0.0F;

    static utils::ReadResult<Vec2Duv> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Vec2Duv&, const Vec2Duv&) = default;
};

// One vertex of a mesh: 26 + 8 `num_uvs` bytes, read field by field.
// `num_uvs` is the length of `uvs` (`pack` writes both as they are).
struct SWVertex {
    std::uint16_t num_uvs = 0;
    quillmere_common::math::Vector3 origin;  // position in the object's own frame
    quillmere_common::math::Vector3 normal;
    std::vector<Vec2Duv> uvs;

    static utils::ReadResult<SWVertex> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const SWVertex&, const SWVertex&) = default;
};

// The vertices of a graphics object, keyed by the id each is stored under.
// Only `vertex_type` 1 carries vertex entries; for any other type the count
// word is read and nothing follows it. A repeated id keeps the later vertex.
struct CVertexArray {
    static constexpr std::uint32_t sw_vertex_type = 1;

    std::uint32_t vertex_type = 0;
    std::map<std::uint16_t, SWVertex> vertices;

    static utils::ReadResult<CVertexArray> unpack(utils::ByteReader& reader);
    // Writes the count and entries only for `vertex_type` 1 (a count of 0
    // otherwise), in id order.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const CVertexArray&, const CVertexArray&) = default;
};

}  // namespace quillmere_dat::graphics
