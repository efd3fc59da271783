#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/graphics/polygon.hpp>
#include <quillmere/dat/graphics/vertex_array.hpp>
#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace quillmere_dat::file_type::gfx_obj {

// One rigid mesh (a portal file whose id starts with 0x01): surfaces, vertices,
// up to two polygon sets each followed by its BSP tree, a sort centre and an
// optional degrade id. Optional parts are present exactly when their `flags`
// bit is set, a tree also when its polygon set is empty. Polygon maps keep
// the later of two entries with the same id. Move-only, as its trees are.
struct GfxObj {
    static constexpr std::uint32_t has_physics = 0x1;  // physics_polygons, physics_bsp
    static constexpr std::uint32_t has_drawing = 0x2;  // polygons, drawing_bsp
    static constexpr std::uint32_t has_degrade = 0x8;  // degrade_id

    std::uint32_t id = 0;  // as stored; not compared with the file's id
    std::uint32_t flags = 0;
    std::vector<std::uint32_t> surfaces;
    graphics::CVertexArray vertex_array;
    std::map<std::uint16_t, graphics::Polygon> physics_polygons;
    std::optional<physics::BspNode> physics_bsp;
    quillmere_common::math::Vector3 sort_center;
    std::map<std::uint16_t, graphics::Polygon> polygons;
    std::optional<physics::BspNode> drawing_bsp;
    std::optional<std::uint32_t> degrade_id;

    // Hand-written: adds no frames of its own. Bytes after the last field
    // present are not examined.
    static utils::ReadResult<GfxObj> unpack(utils::ByteReader& reader);
    // Writes the parts `flags` selects; a selected tree or degrade id that is
    // absent is written as an empty leaf or 0.
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const GfxObj&, const GfxObj&) = default;
};

}  // namespace quillmere_dat::file_type::gfx_obj
