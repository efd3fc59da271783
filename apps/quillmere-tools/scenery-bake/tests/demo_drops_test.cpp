// The baker's observer on the demo world's square, baked as the check bakes
// it: every object considered is reported once, watching changes nothing,
// and the demo world exercises every reason to drop an object but the slope
// test, which the check leaves off.

#include "bake_ring.hpp"
#include "fetch_record.hpp"
#include "landblock_selection.hpp"
#include "mesh_cache.hpp"
#include "open_world.hpp"
#include "scene_cache.hpp"
#include "test_world.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using quillmere_scenery_bake::ConsideredObject;
using quillmere_scenery_bake::ObjectFate;
using quillmere_scenery_bake::SceneryPlacement;
namespace check = scenery_bake_determinism;

namespace {

// The check's scene cache, noting how many objects each scene it hands out
// has: the objects the baker must then consider.
class CountingScenes final : public quillmere_scenery_bake::SceneLookup {
public:
    explicit CountingScenes(const quillmere_dat::FileSource& portal) : cache_(portal) {}
    const quillmere_dat::file_type::scene::Scene* find_scene(std::uint32_t id) override {
        const auto* scene = cache_.find_scene(id);
        if (scene != nullptr) object_counts.push_back(scene->objects.size());
        return scene;
    }
    std::vector<std::size_t> object_counts;

private:
    check::SceneCache cache_;
};

class Recorder final : public quillmere_scenery_bake::DropObserver {
public:
    void object_considered(const ConsideredObject& object) override { seen.push_back(object); }
    std::vector<ConsideredObject> seen;
};

}  // namespace

TEST(DemoDrops, EveryObjectIsReportedOnceAndEveryReasonButSlopeOccurs) {
    auto portal = quillmere_dat::DatDatabase::open(test_world::demo().portal);
    auto cell = quillmere_dat::DatDatabase::open(test_world::demo().cell);
    ASSERT_TRUE(portal && cell);
    const auto region = check::read_region(*portal);
    ASSERT_TRUE(region.has_value());

    CountingScenes scenes(*portal);
    check::MeshCache meshes(*portal);
    check::SceneCache plain_scenes(*portal);
    check::MeshCache plain_meshes(*portal);
    std::map<ObjectFate, std::size_t> fates;
    std::size_t placed_total = 0;

    for (const std::uint16_t landblock : scenery_bake_tool::landblock_rectangle(0xA3AE, 0xAFBA)) {
        SCOPED_TRACE(check::landblock_hex(landblock));
        const auto terrain =
            check::fetch_record<quillmere_dat::landblock::CellLandblock>(*cell, check::terrain_file_id(landblock));
        if (!terrain) continue;
        std::vector<quillmere_scenery_bake::Footprint> buildings;
        if (const auto info = check::fetch_record<quillmere_dat::landblock::LandblockInfo>(
                *cell, check::objects_file_id(landblock))) {
            buildings = check::building_footprints(*info, meshes);
        }

        Recorder recorder;
        scenes.object_counts.clear();
        const auto watched = quillmere_scenery_bake::bake_landblock_impl(
            *region, *terrain, std::uint32_t{landblock} << 16, scenes, meshes, buildings, false, &recorder);
        const auto unwatched = check::bake_landblock(*region, *cell, landblock, plain_scenes, plain_meshes);
        ASSERT_TRUE(unwatched.has_value());
        ASSERT_EQ(watched, unwatched->placements);

        // One report per object of every scene handed out, in scene order.
        std::vector<std::uint32_t> expected_indices;
        for (const std::size_t count : scenes.object_counts) {
            for (std::uint32_t j = 0; j < count; ++j) expected_indices.push_back(j);
        }
        std::vector<std::uint32_t> indices;
        std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> keys;
        std::vector<SceneryPlacement> placed;
        for (const auto& seen : recorder.seen) {
            indices.push_back(seen.placement.source_obj_idx);
            keys.insert({seen.placement.source_cell_x, seen.placement.source_cell_y, seen.placement.source_obj_idx});
            ++fates[seen.fate];
            if (seen.fate == ObjectFate::placed) placed.push_back(seen.placement);
        }
        EXPECT_EQ(indices, expected_indices);
        EXPECT_EQ(keys.size(), recorder.seen.size());
        EXPECT_EQ(placed, watched);
        placed_total += placed.size();
    }

    EXPECT_EQ(std::to_string(placed_total), test_world::golden().at("placements"));
    for (const ObjectFate fate :
         {ObjectFate::placed, ObjectFate::dropped_by_frequency, ObjectFate::dropped_by_skip_marker,
          ObjectFate::dropped_out_of_bounds, ObjectFate::dropped_on_road, ObjectFate::dropped_without_mesh,
          ObjectFate::dropped_by_overlap}) {
        EXPECT_GT(fates[fate], 0U) << quillmere_scenery_bake::fate_name(fate);
    }
    EXPECT_EQ(fates[ObjectFate::dropped_by_slope], 0U);
}
