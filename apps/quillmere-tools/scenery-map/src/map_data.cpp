#include "map_data.hpp"

#include "bake_ring.hpp"
#include "mesh_cache.hpp"
#include "scene_cache.hpp"

#include <map>

namespace scenery_map {

namespace {

class DropRecorder final : public quillmere_scenery_bake::DropObserver {
public:
    void object_considered(const ConsideredObject& object) override {
        if (object.fate != quillmere_scenery_bake::ObjectFate::placed) dropped.push_back(object);
    }
    std::vector<ConsideredObject> dropped;
};

// Model extents by id, from the meshes the bake already fetched.
class Extents {
public:
    explicit Extents(scenery_bake_determinism::MeshCache& meshes) : meshes_(meshes) {}

    std::optional<Footprint> of(std::uint32_t model_id) {
        if (const auto it = known_.find(model_id); it != known_.end()) return it->second;
        std::optional<Footprint> extent;
        if (const auto mesh = meshes_.find_mesh(model_id)) {
            extent.emplace();
            for (const auto& vertex : *mesh) extent->include(vertex.x, vertex.y);
        }
        known_.emplace(model_id, extent);
        return extent;
    }

private:
    scenery_bake_determinism::MeshCache& meshes_;
    std::map<std::uint32_t, std::optional<Footprint>> known_;
};

}  // namespace

MapData collect_map(const scenery_bake_tool::World& world, std::span<const std::uint16_t> landblocks,
                    bool with_drops) {
    scenery_bake_determinism::SceneCache scenes(world.portal);
    scenery_bake_determinism::MeshCache meshes(world.portal);
    Extents extents(meshes);

    MapData map;
    map.with_drops = with_drops;
    map.landblocks.reserve(landblocks.size());
    for (const std::uint16_t landblock : landblocks) {
        LandblockMap entry;
        entry.landblock = landblock;
        DropRecorder drops;
        auto bake = scenery_bake_determinism::bake_landblock(world.region, world.cell, landblock, scenes, meshes,
                                                             with_drops ? &drops : nullptr);
        if (bake) {
            entry.terrain = Terrain{quillmere_scenery_bake::height::vertex_heights(world.region, bake->terrain),
                                    bake->terrain.terrain};
            entry.buildings = std::move(bake->buildings);
            entry.placed.reserve(bake->placements.size());
            for (const auto& placement : bake->placements) {
                entry.placed.push_back(
                    {ConsideredObject{quillmere_scenery_bake::ObjectFate::placed, placement, std::nullopt},
                     extents.of(placement.obj_id)});
            }
            entry.dropped.reserve(drops.dropped.size());
            for (const auto& dropped : drops.dropped) {
                // Only objects that got as far as the mesh step have a model
                // known to have a mesh; asking for others would read models
                // the bake never needed.
                std::optional<Footprint> extent;
                if (dropped.fate == quillmere_scenery_bake::ObjectFate::dropped_by_overlap) {
                    extent = extents.of(dropped.placement.obj_id);
                }
                entry.dropped.push_back({dropped, extent});
            }
        }
        map.landblocks.push_back(std::move(entry));
    }
    return map;
}

}  // namespace scenery_map
