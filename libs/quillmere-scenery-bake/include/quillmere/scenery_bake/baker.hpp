#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quillmere_scenery_bake {

// An axis-aligned box in landblock-local coordinates. A box built from no
// points is (+inf, +inf, -inf, -inf) and overlaps nothing.
struct Footprint {
    float min_x = std::numeric_limits<float>::infinity();
    float min_y = std::numeric_limits<float>::infinity();
    float max_x = -std::numeric_limits<float>::infinity();
    float max_y = -std::numeric_limits<float>::infinity();

    // Widens the box to take in (x, y); a coordinate moves a bound only when
    // it lies strictly beyond it.
    void include(float x, float y) noexcept {
        if (x < min_x) min_x = x;
        if (x > max_x) max_x = x;
        if (y < min_y) min_y = y;
        if (y > max_y) max_y = y;
    }

    // Touching edges overlap.
    [[nodiscard]] bool overlaps(const Footprint& other) const noexcept {
        const bool apart = min_x > other.max_x || other.min_x > max_x || min_y > other.max_y ||
                           other.min_y > max_y;
        return !apart;
    }

    friend bool operator==(const Footprint&, const Footprint&) = default;
};

// One placed scenery object.
struct SceneryPlacement {
    std::uint32_t obj_id = 0;
    float x = 0.0F;  // landblock-local, 0 ... 192
    float y = 0.0F;
    float z = 0.0F;  // terrain height at (x, y)
    float qw = 1.0F;  // rotation by the heading about the vertical axis
    float qx = 0.0F;
    float qy = 0.0F;
    float qz = 0.0F;
    float scale = 1.0F;
    std::uint32_t source_cell_x = 0;  // vertex whose scene produced the object
    std::uint32_t source_cell_y = 0;
    std::uint32_t source_obj_idx = 0;  // position in the scene's objects

    friend bool operator==(const SceneryPlacement&, const SceneryPlacement&) = default;
};

// Supplies scenes by file id. May keep state (a cache); the baker asks once
// per vertex, in vertex order, and reads the scene's objects before its next
// request.
class SceneLookup {
public:
    virtual ~SceneLookup() = default;
    // The scene, or nullptr when it is missing or undecodable. The scene
    // stays valid at least until the next call.
    virtual const quillmere_dat::file_type::scene::Scene* find_scene(std::uint32_t scene_id) = 0;
};

// Supplies a model's vertex positions (model frame, unscaled) by model id.
class MeshLookup {
public:
    virtual ~MeshLookup() = default;
    // The positions, or nothing when the model has no mesh. The view stays
    // valid until the next call. An empty list is allowed.
    virtual std::optional<std::span<const quillmere_common::math::Vector3>> find_mesh(
        std::uint32_t model_id) = 0;
};

// What became of one object the baker considered: placed, or the test that
// dropped it. The tests run in this order; the first that fails decides.
enum class ObjectFate : std::uint8_t {
    placed,
    dropped_by_frequency,
    dropped_by_skip_marker,
    dropped_out_of_bounds,
    dropped_on_road,
    dropped_by_slope,
    dropped_without_mesh,
    dropped_by_overlap,
};

inline constexpr std::size_t object_fate_count = 8;

// "placed", "frequency", "skip marker", "bounds", "road", "slope", "no mesh"
// or "overlap".
[[nodiscard]] std::string_view fate_name(ObjectFate fate) noexcept;

// One object the baker considered, with what it had worked out when the
// object's fate was decided.
struct ConsideredObject {
    ObjectFate fate = ObjectFate::placed;
    // obj_id, the source vertex and object index, x and y are always set; for
    // a frequency or skip-marker drop, x and y are where the object's offset
    // would have put it. z, qw, qz and scale are known from the mesh step on
    // (no mesh, overlap, placed) and keep their defaults before it. When
    // placed, this is the placement the baker returns.
    SceneryPlacement placement;
    // The turned and scaled mesh's box: for overlap drops and placed objects.
    std::optional<Footprint> footprint;

    [[nodiscard]] bool pose_known() const noexcept {
        return fate == ObjectFate::placed || fate == ObjectFate::dropped_without_mesh ||
               fate == ObjectFate::dropped_by_overlap;
    }
};

// Told about every object the baker considers, placed or dropped, once each
// and in the baker's order. Watching changes nothing about the placements or
// about the lookups the baker makes.
class DropObserver {
public:
    virtual ~DropObserver() = default;
    virtual void object_considered(const ConsideredObject& object) = 0;
};

// Bakes one landblock's scenery: the placements in the order they were
// accepted. `landblock_base_id` is the landblock id shifted left by 16. With
// the slope filter off (the check's mode) heights come from the triangle
// model and slopes are not tested. `observer`, when given, hears about every
// object of every scene reached; without one the baker does no extra work.
[[nodiscard]] std::vector<SceneryPlacement> bake_landblock_impl(
    const quillmere_dat::file_type::region::Region& region,
    const quillmere_dat::landblock::CellLandblock& landblock, std::uint32_t landblock_base_id,
    SceneLookup& scenes, MeshLookup& meshes, std::span<const Footprint> building_footprints,
    bool slope_filter, DropObserver* observer = nullptr);

}  // namespace quillmere_scenery_bake
