#include "object_placement.hpp"

#include <quillmere/scenery_bake/baker.hpp>
#include <quillmere/scenery_bake/float_conversion.hpp>
#include <quillmere/scenery_bake/height.hpp>
#include <quillmere/scenery_bake/scenery_hash.hpp>

#include <cstddef>

namespace quillmere_scenery_bake {

namespace {

using quillmere_dat::file_type::region::Region;
using quillmere_dat::file_type::region::SceneDesc;
using quillmere_dat::landblock::CellLandblock;

// The scene ids that may grow at a vertex with terrain word `word`, or null
// when the word's terrain type, scenery index or scene type is not in the
// region's tables.
[[nodiscard]] const std::vector<std::uint32_t>* scene_list(const Region& region,
                                                           const SceneDesc& scene_desc,
                                                           std::uint16_t word) noexcept {
    const auto& terrain_types = region.terrain_desc.terrain_types;
    const std::uint32_t terrain_type = quillmere_dat::landblock::terrain_type_index(word);
    if (terrain_type >= terrain_types.size()) return nullptr;
    const auto& scene_type_indices = terrain_types[terrain_type].scene_types;
    const std::uint32_t scenery = quillmere_dat::landblock::scenery_index(word);
    if (scenery >= scene_type_indices.size()) return nullptr;
    const std::uint32_t scene_type = scene_type_indices[scenery];
    if (scene_type >= scene_desc.scene_types.size()) return nullptr;
    return &scene_desc.scene_types[scene_type].scenes;
}

// One of the vertex's candidate scenes, chosen by a draw; never out of range.
[[nodiscard]] std::uint32_t chosen_scene(const std::vector<std::uint32_t>& scenes, std::uint32_t gx,
                                         std::uint32_t gy) noexcept {
    const double pick =
        static_cast<double>(scenes.size()) * scenery_hash::draw(scenery_hash::scene_choice(gx, gy));
    std::size_t index = saturating_cast<std::size_t>(pick);
    if (index >= scenes.size()) index = 0;
    return scenes[index];
}

// Tells the observer what was decided. The baker stops working out an
// object at its first failed test; only here, for the observer's sake, is a
// frequency or skip-marker drop given the position it would have had.
void report(DropObserver& observer, const detail::ObjectOutcome& outcome,
            const quillmere_dat::file_type::object_desc::ObjectDesc& object, std::uint32_t object_index,
            const detail::VertexContext& vertex) {
    ConsideredObject considered{outcome.fate, outcome.placement, std::nullopt};
    if (outcome.fate == ObjectFate::dropped_by_frequency || outcome.fate == ObjectFate::dropped_by_skip_marker) {
        const auto position = detail::object_position(object, object_index, vertex);
        considered.placement.x = position.x;
        considered.placement.y = position.y;
    }
    if (outcome.fate == ObjectFate::placed || outcome.fate == ObjectFate::dropped_by_overlap) {
        considered.footprint = outcome.footprint;
    }
    observer.object_considered(considered);
}

}  // namespace

std::string_view fate_name(ObjectFate fate) noexcept {
    switch (fate) {
        case ObjectFate::placed: return "placed";
        case ObjectFate::dropped_by_frequency: return "frequency";
        case ObjectFate::dropped_by_skip_marker: return "skip marker";
        case ObjectFate::dropped_out_of_bounds: return "bounds";
        case ObjectFate::dropped_on_road: return "road";
        case ObjectFate::dropped_by_slope: return "slope";
        case ObjectFate::dropped_without_mesh: return "no mesh";
        case ObjectFate::dropped_by_overlap: return "overlap";
    }
    return "unknown";
}

std::vector<SceneryPlacement> bake_landblock_impl(const Region& region, const CellLandblock& landblock,
                                                  std::uint32_t landblock_base_id, SceneLookup& scenes,
                                                  MeshLookup& meshes,
                                                  std::span<const Footprint> building_footprints,
                                                  bool slope_filter, DropObserver* observer) {
    std::vector<SceneryPlacement> placements;
    if (!region.scene_desc.has_value()) return placements;
    const SceneDesc& scene_desc = *region.scene_desc;

    const height::HeightGrid grid = height::vertex_heights(region, landblock);
    std::vector<Footprint> placed_footprints;
    const detail::LandblockContext context{
        .landblock = landblock,
        .grid = grid,
        .landblock_id = landblock_base_id >> 16,
        .building_footprints = building_footprints,
        .placed_footprints = placed_footprints,
        .slope_filter = slope_filter,
    };

    const std::uint32_t lbx = landblock_base_id >> 24;
    const std::uint32_t lby = (landblock_base_id >> 16) & 0xFFU;
    constexpr std::uint32_t side = quillmere_dat::landblock::vertices_per_side;

    for (std::uint32_t i = 0; i < landblock.terrain.size(); ++i) {
        const std::uint32_t cell_x = i / side;
        const std::uint32_t cell_y = i % side;
        const auto* candidates = scene_list(region, scene_desc, landblock.terrain[i]);
        if (candidates == nullptr || candidates->empty()) continue;

        // Vertices on the far edges share their global coordinates with the
        // neighbouring landblock's first row or column.
        const std::uint32_t gx = lbx * 8 + cell_x;
        const std::uint32_t gy = lby * 8 + cell_y;

        const auto* scene = scenes.find_scene(chosen_scene(*candidates, gx, gy));
        if (scene == nullptr || scene->objects.empty()) continue;

        const detail::VertexContext vertex{
            .cell_x = cell_x,
            .cell_y = cell_y,
            .base_x = static_cast<float>(24 * cell_x),
            .base_y = static_cast<float>(24 * cell_y),
            .frequency_threshold = scenery_hash::draw(scenery_hash::frequency(gx, gy)),
            .quarter_turn = scenery_hash::draw(scenery_hash::quarter_turn(gx, gy)),
            .multiplier = scenery_hash::object_multiplier(gx, gy),
            .base_term = scenery_hash::base_term(gx, gy),
        };

        // j counts every object of the scene, placed or not.
        std::uint32_t object_index = 0;
        for (const auto& object : scene->objects) {
            auto outcome = detail::decide_object(object, object_index, vertex, context, meshes);
            if (outcome.fate == ObjectFate::placed) {
                placed_footprints.push_back(outcome.footprint);
                placements.push_back(outcome.placement);
            }
            if (observer != nullptr) report(*observer, outcome, object, object_index, vertex);
            ++object_index;
        }
    }
    return placements;
}

}  // namespace quillmere_scenery_bake
