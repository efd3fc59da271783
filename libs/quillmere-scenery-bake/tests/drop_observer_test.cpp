// The baker's observer hears about every object it considers, with the test
// that decided it, and watching changes neither the placements nor the
// lookups the baker makes.

#include <quillmere/common/math.hpp>
#include <quillmere/dat/file_type/object_desc.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

using quillmere_common::math::Vector3;
using quillmere_dat::file_type::object_desc::ObjectDesc;
using quillmere_dat::file_type::region::Region;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::landblock::CellLandblock;
using quillmere_scenery_bake::bake_landblock_impl;
using quillmere_scenery_bake::ConsideredObject;
using quillmere_scenery_bake::DropObserver;
using quillmere_scenery_bake::fate_name;
using quillmere_scenery_bake::Footprint;
using quillmere_scenery_bake::ObjectFate;
using quillmere_scenery_bake::SceneryPlacement;

namespace {

// Landblock 0xA9B4, vertex (2, 3): global (1354, 1443). Its frequency draw
// is 0.0900408 and its quarter-turn draw 0.2883517, so every offset (dx, dy)
// turns to (-dy, dx) around the vertex position (48, 72).
constexpr std::uint32_t base_id = 0xA9B40000;
constexpr std::uint32_t scene_id = 0x120000A1;
constexpr std::uint32_t box_model = 0x01000A00;  // a 1 x 1 square around its origin
constexpr std::uint32_t missing_model = 0x0100DEAD;

class Scenes final : public quillmere_scenery_bake::SceneLookup {
public:
    explicit Scenes(Scene scene) : scene_(std::move(scene)) {}
    const Scene* find_scene(std::uint32_t id) override {
        ++requests;
        return id == scene_.id ? &scene_ : nullptr;
    }
    int requests = 0;

private:
    Scene scene_;
};

class Meshes final : public quillmere_scenery_bake::MeshLookup {
public:
    std::optional<std::span<const Vector3>> find_mesh(std::uint32_t model_id) override {
        requests.push_back(model_id);
        if (model_id != box_model) return std::nullopt;
        return std::span<const Vector3>(box_);
    }
    std::vector<std::uint32_t> requests;

private:
    std::vector<Vector3> box_ = {{-0.5F, -0.5F, 0.0F}, {0.5F, 0.5F, 0.0F}};
};

class Recorder final : public DropObserver {
public:
    void object_considered(const ConsideredObject& object) override { seen.push_back(object); }
    std::vector<ConsideredObject> seen;
};

ObjectDesc object(std::uint32_t obj_id, float origin_x, float origin_y) {
    ObjectDesc desc;
    desc.obj_id = obj_id;
    desc.frame.origin = {origin_x, origin_y, 0.0F};
    desc.frequency = 1.0F;
    desc.min_scale = desc.max_scale = 1.0F;
    return desc;
}

Region make_region() {
    Region region;
    for (std::size_t i = 0; i < region.land_heights.size(); ++i) region.land_heights[i] = static_cast<float>(i);
    quillmere_dat::file_type::region::TerrainType none;
    quillmere_dat::file_type::region::TerrainType grass;
    grass.scene_types = {0};
    region.terrain_desc.terrain_types = {none, grass};
    quillmere_dat::file_type::region::SceneType scene_type;
    scene_type.scenes = {scene_id};
    region.scene_desc = quillmere_dat::file_type::region::SceneDesc{{scene_type}};
    return region;
}

// Vertex (2, 3) grows the scene; vertex (1, 3) carries road. Heights rise
// one per column.
CellLandblock make_landblock() {
    CellLandblock landblock;
    for (std::size_t i = 0; i < landblock.height.size(); ++i) landblock.height[i] = static_cast<std::uint8_t>(i / 9);
    landblock.terrain[2 * 9 + 3] = 1 << 2;
    landblock.terrain[1 * 9 + 3] = 1;
    return landblock;
}

// One object per fate, in the order of the tests.
Scene make_scene() {
    Scene scene;
    scene.id = scene_id;
    auto& o = scene.objects;
    o.push_back(object(box_model, 24, 0));  // 0: placed at (48, 96)
    o.push_back(object(box_model, 24, 0));  // 1: frequency 0 never beats the draw
    o.back().frequency = 0.0F;
    o.push_back(object(box_model, 0, 24));  // 2: skip marker, would stand at (24, 72)
    o.back().skip_marker = 7;
    o.push_back(object(box_model, 200, 0));  // 3: (48, 272), out of bounds
    o.push_back(object(box_model, 0, 24));   // 4: (24, 72), road on vertex (1, 3)
    o.push_back(object(missing_model, 0, -24));  // 5: (72, 72), no mesh
    o.push_back(object(box_model, 24, 0));   // 6: on object 0
    o.push_back(object(box_model, 0, -12));  // 7: placed at (60, 72)
    o.back().min_slope = 1.0F;               //    (dropped with the slope filter on)
    return scene;
}

struct Bake {
    std::vector<SceneryPlacement> placements;
    std::vector<std::uint32_t> mesh_requests;
    int scene_requests = 0;
};

Bake bake(bool slope_filter, DropObserver* observer) {
    Scenes scenes(make_scene());
    Meshes meshes;
    const std::vector<Footprint> no_buildings;
    Bake result;
    result.placements = bake_landblock_impl(make_region(), make_landblock(), base_id, scenes, meshes, no_buildings,
                                            slope_filter, observer);
    result.mesh_requests = meshes.requests;
    result.scene_requests = scenes.requests;
    return result;
}

}  // namespace

TEST(DropObserver, HearsEveryObjectOnceWithItsFateAndWhatWasKnown) {
    Recorder recorder;
    const Bake watched = bake(false, &recorder);

    struct Expected {
        ObjectFate fate;
        float x;
        float y;
        bool footprint;
    };
    const std::vector<Expected> expected = {
        {ObjectFate::placed, 48, 96, true},
        {ObjectFate::dropped_by_frequency, 48, 96, false},
        {ObjectFate::dropped_by_skip_marker, 24, 72, false},
        {ObjectFate::dropped_out_of_bounds, 48, 272, false},
        {ObjectFate::dropped_on_road, 24, 72, false},
        {ObjectFate::dropped_without_mesh, 72, 72, false},
        {ObjectFate::dropped_by_overlap, 48, 96, true},
        {ObjectFate::placed, 60, 72, true},
    };
    ASSERT_EQ(recorder.seen.size(), expected.size());
    for (std::size_t j = 0; j < expected.size(); ++j) {
        const ConsideredObject& seen = recorder.seen[j];
        SCOPED_TRACE("object " + std::to_string(j) + " (" + std::string(fate_name(seen.fate)) + ")");
        EXPECT_EQ(seen.fate, expected[j].fate);
        EXPECT_EQ(seen.placement.source_obj_idx, j);
        EXPECT_EQ(seen.placement.source_cell_x, 2U);
        EXPECT_EQ(seen.placement.source_cell_y, 3U);
        EXPECT_EQ(seen.placement.x, expected[j].x);
        EXPECT_EQ(seen.placement.y, expected[j].y);
        EXPECT_EQ(seen.footprint.has_value(), expected[j].footprint);
    }
    EXPECT_EQ(recorder.seen[0].placement, watched.placements[0]);
    EXPECT_EQ(recorder.seen[7].placement, watched.placements[1]);
    EXPECT_EQ(recorder.seen[0].footprint, (Footprint{47.5F, 95.5F, 48.5F, 96.5F}));
    EXPECT_EQ(recorder.seen[6].footprint, recorder.seen[0].footprint);
    // Past the height step the pose is known even without a mesh: z is the
    // height of column 3 at (72, 72).
    EXPECT_TRUE(recorder.seen[5].pose_known());
    EXPECT_EQ(recorder.seen[5].placement.z, 3.0F);
    EXPECT_EQ(recorder.seen[5].placement.obj_id, missing_model);
    EXPECT_FALSE(recorder.seen[4].pose_known());

    Recorder sloped;
    (void)bake(true, &sloped);
    ASSERT_EQ(sloped.seen.size(), expected.size());
    EXPECT_EQ(sloped.seen[7].fate, ObjectFate::dropped_by_slope);
    EXPECT_EQ(sloped.seen[7].placement.x, 60.0F);
}

TEST(DropObserver, WatchingChangesNeitherThePlacementsNorTheLookups) {
    for (const bool slope_filter : {false, true}) {
        Recorder recorder;
        const Bake watched = bake(slope_filter, &recorder);
        const Bake unwatched = bake(slope_filter, nullptr);
        EXPECT_EQ(watched.placements, unwatched.placements);
        EXPECT_EQ(watched.mesh_requests, unwatched.mesh_requests);
        EXPECT_EQ(watched.scene_requests, unwatched.scene_requests);

        std::vector<SceneryPlacement> placed;
        for (const auto& seen : recorder.seen) {
            if (seen.fate == ObjectFate::placed) placed.push_back(seen.placement);
        }
        EXPECT_EQ(placed, unwatched.placements);
    }
}

TEST(DropObserver, FateNamesAreDistinct) {
    std::map<std::string, int> names;
    for (std::size_t i = 0; i < quillmere_scenery_bake::object_fate_count; ++i) {
        ++names[std::string(fate_name(static_cast<ObjectFate>(i)))];
    }
    EXPECT_EQ(names.size(), quillmere_scenery_bake::object_fate_count);
    EXPECT_EQ(names.count("no mesh"), 1U);
}
