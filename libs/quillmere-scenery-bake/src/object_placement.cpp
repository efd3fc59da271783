#include "object_placement.hpp"

#include <quillmere/scenery_bake/float_conversion.hpp>
#include <quillmere/scenery_bake/scenery_hash.hpp>

#include <bit>
#include <cmath>

namespace quillmere_scenery_bake::detail {

namespace {

using quillmere_dat::file_type::object_desc::ObjectDesc;

// Degrees to radians as the single-precision constant 0.0174533 (bits
// 0x3C8EFA39), widened: the heading product is taken in double with this
// value, not with the double nearest pi / 180.
inline constexpr double degrees_to_radians =
    static_cast<double>(std::bit_cast<float>(0x3C8EFA39U));

// A random addition to an offset, applied unless the bound is zero or
// negative (a NaN bound is applied). Summed in double, rounded once.
[[nodiscard]] float displaced(float origin, float bound, std::uint32_t hash) noexcept {
    if (bound <= 0.0F) return origin;
    return static_cast<float>(static_cast<double>(origin) +
                              static_cast<double>(bound) * scenery_hash::draw(hash));
}

struct Offset {
    float x;
    float y;
};

// Every offset of one vertex is turned by the same multiple of a quarter turn.
[[nodiscard]] Offset turned(Offset offset, double quarter_turn) noexcept {
    if (quarter_turn < 0.25) return offset;
    if (quarter_turn < 0.5) return {-offset.y, offset.x};
    if (quarter_turn < 0.75) return {-offset.x, -offset.y};
    return {offset.y, -offset.x};
}

// True when the vertex of the cell containing (x, y) carries road. A point on
// the far edge (192) tests vertex 8 of that axis. The bounds test keeps both
// cells within 0 ... 8; any other cell counts as free of road.
[[nodiscard]] bool on_road(const quillmere_dat::landblock::CellLandblock& landblock, float x,
                           float y) noexcept {
    constexpr std::int32_t last = quillmere_dat::landblock::vertices_per_side - 1;
    const std::int32_t cx = saturating_cast<std::int32_t>(std::floor(x / height::cell_size));
    const std::int32_t cy = saturating_cast<std::int32_t>(std::floor(y / height::cell_size));
    if (cx < 0 || cx > last || cy < 0 || cy > last) return false;
    const auto index = static_cast<std::size_t>(cx * quillmere_dat::landblock::vertices_per_side + cy);
    return quillmere_dat::landblock::road_bits(landblock.terrain[index]) != 0;
}

[[nodiscard]] float heading_radians(const ObjectDesc& object, std::uint32_t hash) noexcept {
    if (object.max_rotation <= 0.0F) return 0.0F;
    return static_cast<float>((static_cast<double>(object.max_rotation) * scenery_hash::draw(hash)) *
                              degrees_to_radians);
}

// The scale lies between the bounds on a geometric scale; equal bounds give
// that bound exactly. A NaN bound takes the power branch.
[[nodiscard]] float scale_of(const ObjectDesc& object, std::uint32_t hash) noexcept {
    if (object.min_scale == object.max_scale) return object.max_scale;
    const auto low = static_cast<double>(object.min_scale);
    const auto high = static_cast<double>(object.max_scale);
    return static_cast<float>(low * std::pow(high / low, scenery_hash::draw(hash)));
}

// The model's outline turned by the heading, scaled and moved to (x, y).
[[nodiscard]] Footprint footprint_of(std::span<const quillmere_common::math::Vector3> mesh,
                                     float heading, float scale, float x, float y) noexcept {
    float s = 0.0F;
    float c = 0.0F;
    ::sincosf(heading, &s, &c);
    Footprint box;
    for (const auto& vertex : mesh) {
        const float mx = vertex.x * scale;
        const float my = vertex.y * scale;
        box.include((c * mx - s * my) + x, (s * mx + c * my) + y);
    }
    return box;
}

[[nodiscard]] bool overlaps_any(const Footprint& box, std::span<const Footprint> others) noexcept {
    for (const auto& other : others) {
        if (box.overlaps(other)) return true;
    }
    return false;
}

}  // namespace

Position object_position(const ObjectDesc& object, std::uint32_t object_index,
                         const VertexContext& vertex) noexcept {
    const auto object_hash = [&](std::uint32_t salt) {
        return scenery_hash::object_hash(object_index, salt, vertex.multiplier, vertex.base_term);
    };
    const Offset offset = turned(
        {displaced(object.frame.origin.x, object.displace_x, object_hash(scenery_hash::displace_x_salt)),
         displaced(object.frame.origin.y, object.displace_y, object_hash(scenery_hash::displace_y_salt))},
        vertex.quarter_turn);
    return {vertex.base_x + offset.x, vertex.base_y + offset.y};
}

ObjectOutcome decide_object(const ObjectDesc& object, std::uint32_t object_index,
                            const VertexContext& vertex, const LandblockContext& landblock,
                            MeshLookup& meshes) {
    const auto object_hash = [&](std::uint32_t salt) {
        return scenery_hash::object_hash(object_index, salt, vertex.multiplier, vertex.base_term);
    };

    // Every return hands back this one outcome (so it is built in place), a
    // drop with what was worked out before it, for an observer.
    ObjectOutcome outcome;
    outcome.placement.obj_id = object.obj_id;
    outcome.placement.source_cell_x = vertex.cell_x;
    outcome.placement.source_cell_y = vertex.cell_y;
    outcome.placement.source_obj_idx = object_index;

    // A NaN frequency never beats the threshold.
    if (!(static_cast<double>(object.frequency) > vertex.frequency_threshold)) {
        outcome.fate = ObjectFate::dropped_by_frequency;
        return outcome;
    }
    if (object.skip_marker != 0) {
        outcome.fate = ObjectFate::dropped_by_skip_marker;
        return outcome;
    }

    const auto [x, y] = object_position(object, object_index, vertex);
    outcome.placement.x = x;
    outcome.placement.y = y;

    // Both edges belong to the landblock.
    if (x > height::landblock_size || x < 0.0F || y < 0.0F || y > height::landblock_size) {
        outcome.fate = ObjectFate::dropped_out_of_bounds;
        return outcome;
    }
    if (on_road(landblock.landblock, x, y)) {
        outcome.fate = ObjectFate::dropped_on_road;
        return outcome;
    }

    float z = 0.0F;
    if (landblock.slope_filter) {
        const float slope = height::slope_at(landblock.grid, x, y);
        if (object.min_slope > slope || slope > object.max_slope) {
            outcome.fate = ObjectFate::dropped_by_slope;
            return outcome;
        }
        z = height::bilinear_height_from_grid(landblock.grid, x, y);
    } else {
        z = height::triangle_plane_height_from_grid(landblock.grid, landblock.landblock_id, x, y);
    }

    const float heading = heading_radians(object, object_hash(scenery_hash::heading_salt));
    const float half = heading * 0.5F;
    float qz = 0.0F;
    float qw = 1.0F;
    ::sincosf(half, &qz, &qw);

    const float scale = scale_of(object, object_hash(scenery_hash::scale_salt));
    outcome.placement.z = z;
    outcome.placement.qw = qw;
    outcome.placement.qz = qz;
    outcome.placement.scale = scale;

    const auto mesh = meshes.find_mesh(object.obj_id);
    if (!mesh.has_value()) {
        outcome.fate = ObjectFate::dropped_without_mesh;
        return outcome;
    }

    outcome.footprint = footprint_of(*mesh, heading, scale, x, y);
    if (overlaps_any(outcome.footprint, landblock.building_footprints) ||
        overlaps_any(outcome.footprint, landblock.placed_footprints)) {
        outcome.fate = ObjectFate::dropped_by_overlap;
        return outcome;
    }
    outcome.fate = ObjectFate::placed;
    return outcome;
}

}  // namespace quillmere_scenery_bake::detail
