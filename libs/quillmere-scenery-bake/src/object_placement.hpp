#pragma once

#include <quillmere/dat/file_type/object_desc.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/scenery_bake/baker.hpp>
#include <quillmere/scenery_bake/height.hpp>

#include <cstdint>
#include <span>
#include <vector>

// The decision for one object of a scene placed at one vertex: every test it
// must pass, and where it ends up when it passes them all. Kept apart from
// the vertex walk so that each object's fate is one value.
namespace quillmere_scenery_bake::detail {

using ObjectFate = quillmere_scenery_bake::ObjectFate;

struct ObjectOutcome {
    ObjectFate fate = ObjectFate::placed;
    // Filled as far as the decision got: the object's id and source always,
    // x and y from the bounds test on, the rest from the mesh step on.
    SceneryPlacement placement;
    Footprint footprint;  // meaningful for overlap drops and when placed
};

// What stays the same for every query of one landblock.
struct LandblockContext {
    const quillmere_dat::landblock::CellLandblock& landblock;
    const height::HeightGrid& grid;
    std::uint32_t landblock_id;  // 16-bit id, zero-extended
    std::span<const Footprint> building_footprints;
    const std::vector<Footprint>& placed_footprints;
    bool slope_filter;
};

// What stays the same for every object of one vertex's scene.
struct VertexContext {
    std::uint32_t cell_x;
    std::uint32_t cell_y;
    float base_x;  // the vertex position, 24 * cell
    float base_y;
    double frequency_threshold;  // draw in [0, 1)
    double quarter_turn;         // draw in [0, 1)
    std::uint32_t multiplier;    // m of the per-object hashes
    std::uint32_t base_term;     // r of the per-object hashes
};

// Where the object's offset puts it at this vertex: the origin displaced
// and turned by the vertex's quarter turn, added to the vertex position.
struct Position {
    float x;
    float y;
};
[[nodiscard]] Position object_position(const quillmere_dat::file_type::object_desc::ObjectDesc& object,
                                       std::uint32_t object_index, const VertexContext& vertex) noexcept;

// Decides one object; asks `meshes` only when every test before the mesh
// passed. Does not record anything: the caller appends what was placed.
[[nodiscard]] ObjectOutcome decide_object(const quillmere_dat::file_type::object_desc::ObjectDesc& object,
                                          std::uint32_t object_index, const VertexContext& vertex,
                                          const LandblockContext& landblock, MeshLookup& meshes);

}  // namespace quillmere_scenery_bake::detail
