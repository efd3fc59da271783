#include "bake_ring.hpp"

#include "fetch_record.hpp"
#include "mesh_cache.hpp"
#include "placement_line.hpp"
#include "scene_cache.hpp"

#include <quillmere/dat/landblock/cell_landblock.hpp>

#include <cmath>

namespace scenery_bake_determinism {

using quillmere_dat::landblock::CellLandblock;
using quillmere_dat::landblock::LandblockInfo;
using quillmere_scenery_bake::Footprint;

Footprint building_footprint(std::span<const quillmere_common::math::Vector3> mesh,
                             const quillmere_dat::landblock::Frame& frame) {
    float angle = std::atan2(frame.orientation.z, frame.orientation.w);
    angle = angle + angle;
    float s = 0.0F;
    float c = 0.0F;
    ::sincosf(angle, &s, &c);
    Footprint footprint;
    for (const auto& v : mesh) {
        const float fx = (c * v.x - s * v.y) + frame.origin.x;
        const float fy = (c * v.y + s * v.x) + frame.origin.y;
        footprint.include(fx, fy);
    }
    return footprint;
}

std::vector<Footprint> building_footprints(const LandblockInfo& info, MeshCache& meshes) {
    std::vector<Footprint> footprints;
    footprints.reserve(info.buildings.size());
    for (const auto& building : info.buildings) {
        const auto mesh = meshes.find_mesh(building.model_id);
        if (!mesh) continue;
        footprints.push_back(building_footprint(*mesh, building.frame));
    }
    return footprints;
}

std::optional<LandblockBake> bake_landblock(const quillmere_dat::file_type::region::Region& region,
                                            const quillmere_dat::FileSource& cell, std::uint16_t landblock,
                                            SceneCache& scenes, MeshCache& meshes,
                                            quillmere_scenery_bake::DropObserver* observer) {
    auto terrain = fetch_record<CellLandblock>(cell, terrain_file_id(landblock));
    if (!terrain) return std::nullopt;
    LandblockBake bake{std::move(*terrain), {}, {}};
    if (const auto info = fetch_record<LandblockInfo>(cell, objects_file_id(landblock))) {
        bake.buildings = building_footprints(*info, meshes);
    }
    bake.placements = quillmere_scenery_bake::bake_landblock_impl(
        region, bake.terrain, std::uint32_t{landblock} << 16, scenes, meshes, bake.buildings, false, observer);
    return bake;
}

LineList landblock_lines(const quillmere_dat::file_type::region::Region& region,
                                         const quillmere_dat::FileSource& cell, std::uint16_t landblock,
                                         SceneCache& scenes, MeshCache& meshes, std::pmr::memory_resource* memory) {
    LineList lines(memory);
    if (const auto bake = bake_landblock(region, cell, landblock, scenes, meshes)) {
        lines.reserve(bake->placements.size(), typical_placement_line_size);
        std::string scratch;
        scratch.reserve(512);
        for (const auto& placement : bake->placements) {
            scratch.clear();
            append_placement_line(scratch, placement);
            lines.push_back(scratch);
        }
    }
    return lines;
}

RunResult bake_ring_to_lines(const quillmere_dat::file_type::region::Region& region,
                             const quillmere_dat::FileSource& portal, const quillmere_dat::FileSource& cell,
                             std::span<const std::uint16_t> landblocks) {
    SceneCache scenes(portal);
    MeshCache meshes(portal);
    RunResult run;
    run.reserve(landblocks.size());
    for (const std::uint16_t landblock : landblocks) {
        run.push_back({landblock, landblock_lines(region, cell, landblock, scenes, meshes, run.memory())});
    }
    return run;
}

}  // namespace scenery_bake_determinism
