#include <quillmere/common/math.hpp>
#include <quillmere/dat/file_type/object_desc.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/scenery_bake/baker.hpp>
#include <quillmere/scenery_bake/height.hpp>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <vector>

using quillmere_common::math::Vector3;
using quillmere_dat::file_type::object_desc::ObjectDesc;
using quillmere_dat::file_type::region::Region;
using quillmere_dat::file_type::region::SceneDesc;
using quillmere_dat::file_type::region::SceneType;
using quillmere_dat::file_type::region::TerrainType;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::landblock::CellLandblock;
using quillmere_scenery_bake::bake_landblock_impl;
using quillmere_scenery_bake::Footprint;
using quillmere_scenery_bake::MeshLookup;
using quillmere_scenery_bake::SceneLookup;
using quillmere_scenery_bake::SceneryPlacement;
namespace height = quillmere_scenery_bake::height;

namespace {

// ---- Lookups that record what the baker asked for ----------------------

class RecordingScenes final : public SceneLookup {
public:
    explicit RecordingScenes(std::map<std::uint32_t, Scene> scenes) : scenes_(std::move(scenes)) {}
    const Scene* find_scene(std::uint32_t scene_id) override {
        requests.push_back(scene_id);
        const auto found = scenes_.find(scene_id);
        return found == scenes_.end() ? nullptr : &found->second;
    }
    std::vector<std::uint32_t> requests;

private:
    std::map<std::uint32_t, Scene> scenes_;
};

class RecordingMeshes final : public MeshLookup {
public:
    explicit RecordingMeshes(std::map<std::uint32_t, std::vector<Vector3>> meshes)
        : meshes_(std::move(meshes)) {}
    std::optional<std::span<const Vector3>> find_mesh(std::uint32_t model_id) override {
        requests.push_back(model_id);
        const auto found = meshes_.find(model_id);
        if (found == meshes_.end()) return std::nullopt;
        return std::span<const Vector3>(found->second);
    }
    std::vector<std::uint32_t> requests;

private:
    std::map<std::uint32_t, std::vector<Vector3>> meshes_;
};

// ---- The hand-built world ----------------------------------------------
//
// Landblock 0xA9B4 (base id 0xA9B40000): vertex (x, y) has global
// coordinates (0xA9*8 + x, 0xB4*8 + y) = (1352 + x, 1440 + y). The per-vertex
// draws below were computed with Python from the hash formulas (signed
// decimal constants, & 0xFFFFFFFF, times the double with bits
// 0x3DEFFFFFF79322D5):
//
//   vertex (2, 3): F = 0.0900408, Q = 0.2883517 -> offsets turn to (-dy, dx)
//   vertex (7, 5): F = 0.5837701, Q = 0.1837377 -> offsets unchanged
//   vertex (8, 8): F = 0.7111229, Q = 0.1457984 -> offsets unchanged
//   scene choice among 3: vertex (0, 3): 3 * 0.8684103 -> index 2
//                         vertex (0, 5): 3 * 0.5849841 -> index 1

constexpr std::uint32_t base_id = 0xA9B40000;
constexpr std::uint32_t landblock_id = 0xA9B4;

constexpr std::uint32_t box_model = 0x01000A00;    // a 1 x 1 square around its origin
constexpr std::uint32_t empty_model = 0x01000E00;  // a model with no vertices
constexpr std::uint32_t missing_model = 0x0100DEAD;

constexpr std::uint32_t main_scene = 0x120000A1;
constexpr std::uint32_t edge_scene = 0x120000A2;
constexpr std::uint32_t corner_scene = 0x120000A3;
constexpr std::uint32_t empty_scene = 0x120000A7;
constexpr std::uint32_t absent_scenes[] = {0x12000010, 0x12000011, 0x12000012};

// Terrain words: terrain type in bits 2-6, scenery index from bit 11, road in
// bits 0-1.
constexpr std::uint16_t word(std::uint16_t terrain_type, std::uint16_t scenery = 0,
                             std::uint16_t road = 0) {
    return static_cast<std::uint16_t>((scenery << 11) | (terrain_type << 2) | road);
}

// Vertex height: code 9x + y + 10, table entry code / 2.
float vertex_height(int x, int y) { return 0.5F * static_cast<float>(9 * x + y + 10); }

ObjectDesc object(std::uint32_t obj_id, float origin_x, float origin_y) {
    ObjectDesc desc;
    desc.obj_id = obj_id;
    desc.frame.origin = {origin_x, origin_y, 0.0F};
    desc.frequency = 1.0F;
    desc.min_scale = 1.0F;
    desc.max_scale = 1.0F;
    return desc;
}

Region make_region() {
    Region region;
    for (std::size_t i = 0; i < region.land_heights.size(); ++i) {
        region.land_heights[i] = 0.5F * static_cast<float>(i);
    }
    auto terrain = [](std::vector<std::uint32_t> scene_types) {
        TerrainType type;
        type.scene_types = std::move(scene_types);
        return type;
    };
    region.terrain_desc.terrain_types = {
        terrain({}),    // 0: no scenery (every other vertex)
        terrain({0}),   // 1: the main scene
        terrain({1}),   // 2: the edge scene
        terrain({2}),   // 3: the corner scene
        terrain({3}),   // 4: a scene type without scenes
        terrain({99}),  // 5: a scene type index past the list
        terrain({4}),   // 6: three scenes the lookup does not have
        terrain({5}),   // 7: a scene without objects
    };
    auto scene_type = [](std::vector<std::uint32_t> scenes) {
        SceneType type;
        type.scenes = std::move(scenes);
        return type;
    };
    region.scene_desc = SceneDesc{{
        scene_type({main_scene}),
        scene_type({edge_scene}),
        scene_type({corner_scene}),
        scene_type({}),
        scene_type({absent_scenes[0], absent_scenes[1], absent_scenes[2]}),
        scene_type({empty_scene}),
    }};
    return region;
}

CellLandblock make_landblock() {
    CellLandblock landblock;
    for (std::size_t i = 0; i < landblock.height.size(); ++i) {
        landblock.height[i] = static_cast<std::uint8_t>(i + 10);
    }
    auto set = [&](int x, int y, std::uint16_t w) { landblock.terrain[static_cast<std::size_t>(x * 9 + y)] = w; };
    set(0, 1, word(4));
    set(0, 2, word(5));
    set(0, 3, word(6));
    set(0, 5, word(6));
    set(1, 2, word(7));
    set(1, 4, word(1, 1));  // scenery index 1 of a one-entry list
    set(1, 5, word(31));    // terrain type past the list
    set(2, 3, word(1));
    set(7, 5, word(2, 0, 1));  // the edge scene's vertex carries road itself
    set(8, 8, word(3));
    return landblock;
}

// Main scene at vertex (2, 3), base (48, 72); offsets turn (dx, dy) -> (-dy, dx).
Scene make_main_scene() {
    Scene scene;
    scene.id = main_scene;
    auto& o = scene.objects;
    o.push_back(object(box_model, 24, 0));         // 0: placed at (48, 96)
    o.push_back(object(box_model, 24, 0));         // 1: frequency 0
    o.back().frequency = 0.0F;
    o.push_back(object(box_model, 0, 24));         // 2: frequency 0.5 > F, placed at (24, 72)
    o.back().frequency = 0.5F;
    o.push_back(object(box_model, 24, 0));         // 3: skip marker
    o.back().skip_marker = 1;
    o.push_back(object(box_model, 24, 0));         // 4: overlaps object 0
    o.push_back(object(box_model, 200, 0));        // 5: (48, 272), out of bounds
    o.push_back(object(box_model, 0, 0));          // 6: (48, 72), on the building
    o.push_back(object(missing_model, 0, -24));    // 7: (72, 72), no mesh
    o.push_back(object(empty_model, 0, 0));        // 8: on the building, but an empty box
    o.push_back(object(empty_model, 0, 0));        // 9: the same again
    o.push_back(object(box_model, 0, -24));        // 10: displaced, turned, scaled
    o.back().displace_x = 10.0F;
    o.back().displace_y = -3.0F;  // negative: not applied
    o.back().max_rotation = 90.0F;
    o.back().min_scale = 0.5F;
    o.back().max_scale = 2.0F;
    o.push_back(object(box_model, 0, 24));         // 11: NaN rotation is applied
    o.back().max_rotation = std::numeric_limits<float>::quiet_NaN();
    o.push_back(object(box_model, 24, 24));        // 12: frequency 0.05 < F
    o.back().frequency = 0.05F;
    return scene;
}

// Edge scene at vertex (7, 5), base (168, 120); offsets unchanged.
Scene make_edge_scene() {
    Scene scene;
    scene.id = edge_scene;
    scene.objects = {
        object(box_model, 24, 0),        // 0: (192, 120), road test on vertex (8, 5)
        object(box_model, 0, 0),         // 1: (168, 120), road on vertex (7, 5)
        object(box_model, 25, 0),        // 2: (193, 120), out of bounds
        object(box_model, 24, 72),       // 3: (192, 192)
        object(box_model, -168, -120),   // 4: (0, 0)
    };
    return scene;
}

// Corner scene at vertex (8, 8), base (192, 192); offsets unchanged.
Scene make_corner_scene() {
    Scene scene;
    scene.id = corner_scene;
    scene.objects = {
        object(box_model, 0, 0),    // 0: (192, 192), blocked by edge object 3
        object(box_model, 0, -24),  // 1: (192, 168)
    };
    return scene;
}

RecordingScenes make_scenes() {
    Scene empty;
    empty.id = empty_scene;
    return RecordingScenes({{main_scene, make_main_scene()},
                            {edge_scene, make_edge_scene()},
                            {corner_scene, make_corner_scene()},
                            {empty_scene, empty}});
}

RecordingMeshes make_meshes() {
    return RecordingMeshes({
        {box_model, {{-0.5F, -0.5F, 3.0F}, {0.5F, -0.5F, 0.0F}, {0.5F, 0.5F, 0.0F}, {-0.5F, 0.5F, -2.0F}}},
        {empty_model, {}},
    });
}

// A building around (48, 72).
const std::vector<Footprint> buildings = {{47.9F, 71.9F, 48.1F, 72.1F}};

SceneryPlacement upright(std::uint32_t obj_id, float x, float y, float z, std::uint32_t cell_x,
                         std::uint32_t cell_y, std::uint32_t index) {
    return {obj_id, x, y, z, 1.0F, 0.0F, 0.0F, 0.0F, 1.0F, cell_x, cell_y, index};
}

// Field-by-field bit equality, so NaN fields compare too.
bool same_bits(const SceneryPlacement& a, const SceneryPlacement& b) {
    const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
    return a.obj_id == b.obj_id && bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) &&
           bits(a.z) == bits(b.z) && bits(a.qw) == bits(b.qw) && bits(a.qx) == bits(b.qx) &&
           bits(a.qy) == bits(b.qy) && bits(a.qz) == bits(b.qz) && bits(a.scale) == bits(b.scale) &&
           a.source_cell_x == b.source_cell_x && a.source_cell_y == b.source_cell_y &&
           a.source_obj_idx == b.source_obj_idx;
}

}  // namespace

TEST(Baker, PlacesAndDropsTheHandBuiltWorld) {
    const Region region = make_region();
    const CellLandblock landblock = make_landblock();
    auto scenes = make_scenes();
    auto meshes = make_meshes();
    const auto placements =
        bake_landblock_impl(region, landblock, base_id, scenes, meshes, buildings, false);

    ASSERT_EQ(placements.size(), 10U);
    // Main scene. Object 10: dx = f32(0 + 10 * draw(0x167209F4)) = 0.87677592 (Python),
    // the origin's y (-24) turns into x and the displaced x into y: (72, 72 + dx).
    const float displaced_y = 72.0F + 0.8767759203910828F;
    EXPECT_EQ(placements[0], upright(box_model, 48, 96, vertex_height(2, 4), 2, 3, 0));
    EXPECT_EQ(placements[1], upright(box_model, 24, 72, vertex_height(1, 3), 2, 3, 2));
    EXPECT_EQ(placements[2], upright(empty_model, 48, 72, vertex_height(2, 3), 2, 3, 8));
    EXPECT_EQ(placements[3], upright(empty_model, 48, 72, vertex_height(2, 3), 2, 3, 9));

    const SceneryPlacement& turned = placements[4];
    EXPECT_EQ(turned.obj_id, box_model);
    EXPECT_EQ(turned.x, 72.0F);
    EXPECT_EQ(turned.y, displaced_y);
    EXPECT_EQ(turned.y, 72.87677764892578F);
    EXPECT_EQ(turned.z, height::triangle_plane_height_from_grid(height::vertex_heights(region, landblock),
                                                                landblock_id, turned.x, turned.y));
    // heading = f32((90 * draw(0x71E7AAFA)) * f64(f32 0.0174533)) = 0.69891232 rad.
    EXPECT_NEAR(turned.qw, std::cos(0.6989123225212097 / 2), 1e-7);
    EXPECT_NEAR(turned.qz, std::sin(0.6989123225212097 / 2), 1e-7);
    EXPECT_EQ(turned.qx, 0.0F);
    EXPECT_EQ(turned.qy, 0.0F);
    // scale = f32(0.5 * pow(2 / 0.5, draw(0x6F814A90))) = 0.91454947.
    EXPECT_FLOAT_EQ(turned.scale, 0.9145494699478149F);
    EXPECT_EQ(turned.source_obj_idx, 10U);

    const SceneryPlacement& unturned = placements[5];
    EXPECT_EQ(unturned.obj_id, box_model);
    EXPECT_EQ(unturned.x, 24.0F);
    EXPECT_EQ(unturned.y, 72.0F);
    EXPECT_TRUE(std::isnan(unturned.qw));
    EXPECT_TRUE(std::isnan(unturned.qz));
    EXPECT_EQ(unturned.source_obj_idx, 11U);

    // Edge scene: both edges 0 and 192 are inside.
    EXPECT_EQ(placements[6], upright(box_model, 192, 120, vertex_height(8, 5), 7, 5, 0));
    EXPECT_EQ(placements[7], upright(box_model, 192, 192, vertex_height(8, 8), 7, 5, 3));
    EXPECT_EQ(placements[8], upright(box_model, 0, 0, vertex_height(0, 0), 7, 5, 4));
    // Corner scene: object 0 is blocked by the edge scene's object at (192, 192).
    EXPECT_EQ(placements[9], upright(box_model, 192, 168, vertex_height(8, 7), 8, 8, 1));
}

TEST(Baker, AsksEachLookupOnlyWhereTheWalkReachesIt) {
    const Region region = make_region();
    auto scenes = make_scenes();
    auto meshes = make_meshes();
    (void)bake_landblock_impl(region, make_landblock(), base_id, scenes, meshes, buildings, false);

    // Vertex order: (0, 3), (0, 5), (1, 2), (2, 3), (7, 5), (8, 8).
    EXPECT_EQ(scenes.requests,
              (std::vector<std::uint32_t>{absent_scenes[2], absent_scenes[1], empty_scene, main_scene,
                                          edge_scene, corner_scene}));
    // Main objects 0, 2, 4, 6, 7, 8, 9, 10, 11; edge 0, 3, 4; corner 0, 1.
    const auto b = box_model;
    const auto e = empty_model;
    EXPECT_EQ(meshes.requests,
              (std::vector<std::uint32_t>{b, b, b, b, missing_model, e, e, b, b, b, b, b, b, b}));
}

TEST(Baker, RepeatedBakesWithFreshLookupsAgree) {
    const Region region = make_region();
    const CellLandblock landblock = make_landblock();
    auto first_scenes = make_scenes();
    auto first_meshes = make_meshes();
    const auto first =
        bake_landblock_impl(region, landblock, base_id, first_scenes, first_meshes, buildings, false);
    auto second_scenes = make_scenes();
    auto second_meshes = make_meshes();
    const auto second =
        bake_landblock_impl(region, landblock, base_id, second_scenes, second_meshes, buildings, false);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(same_bits(first[i], second[i])) << i;
}

TEST(Baker, BuildingsAndTheRegionGateEverything) {
    const CellLandblock landblock = make_landblock();
    {
        // Without a scene descriptor nothing is placed and nothing is asked.
        Region region = make_region();
        region.scene_desc.reset();
        auto scenes = make_scenes();
        auto meshes = make_meshes();
        EXPECT_TRUE(bake_landblock_impl(region, landblock, base_id, scenes, meshes, buildings, false).empty());
        EXPECT_TRUE(scenes.requests.empty());
        EXPECT_TRUE(meshes.requests.empty());
    }
    {
        // A building that merely touches the box of main objects 0 and 4 at
        // (48, 96), corner to corner, blocks both.
        const Region region = make_region();
        const std::vector<Footprint> touching = {{48.5F, 96.5F, 60.0F, 100.0F}};
        auto scenes = make_scenes();
        auto meshes = make_meshes();
        const auto placements =
            bake_landblock_impl(region, landblock, base_id, scenes, meshes, touching, false);
        ASSERT_FALSE(placements.empty());
        EXPECT_EQ(placements[0].x, 24.0F);  // object 2
        EXPECT_EQ(placements[0].source_obj_idx, 2U);
        // Without the building at (48, 72), main object 6 is placed there.
        EXPECT_EQ(placements[1].source_obj_idx, 6U);
    }
}

TEST(Baker, SlopeFilterUsesSlopeBoundsAndBilinearHeight) {
    // Heights rise 0.5 per column: slope atan(1/48) = 0.0208303 everywhere.
    Region region = make_region();
    CellLandblock landblock;
    for (std::size_t i = 0; i < landblock.height.size(); ++i) {
        landblock.height[i] = static_cast<std::uint8_t>(i / 9);
    }
    landblock.terrain[2 * 9 + 3] = word(1);

    Scene scene;
    scene.id = main_scene;
    auto with_slopes = [](float origin_y, float min_slope, float max_slope) {
        ObjectDesc desc = object(box_model, 0, origin_y);
        desc.min_slope = min_slope;
        desc.max_slope = max_slope;
        return desc;
    };
    // Offsets turn (0, oy) -> (-oy, 0) at vertex (2, 3).
    scene.objects = {
        with_slopes(0, 0.03F, 1.0F),     // too flat for it
        with_slopes(-2, 0.0F, 0.01F),    // too steep for it
        with_slopes(-12, 0.02F, 0.021F), // placed at (60, 72)
    };
    RecordingScenes scenes({{main_scene, scene}});
    auto meshes = make_meshes();
    const auto placements = bake_landblock_impl(region, landblock, base_id, scenes, meshes, {}, true);
    ASSERT_EQ(placements.size(), 1U);
    EXPECT_EQ(placements[0].source_obj_idx, 2U);
    EXPECT_EQ(placements[0].x, 60.0F);
    EXPECT_EQ(placements[0].z, 1.25F);  // halfway between columns 2 (1.0) and 3 (1.5)
    EXPECT_EQ(meshes.requests.size(), 1U);
}

TEST(Footprint, TouchingBoxesOverlapAndTheEmptyBoxOverlapsNothing) {
    const Footprint unit{0.0F, 0.0F, 1.0F, 1.0F};
    struct Case {
        Footprint other;
        bool overlaps;
    };
    const Case cases[] = {
        {{1.0F, 0.0F, 2.0F, 1.0F}, true},       // shares an edge
        {{1.0F, 1.0F, 2.0F, 2.0F}, true},       // shares a corner
        {{0.25F, 0.25F, 0.5F, 0.5F}, true},     // inside
        {{1.0001F, 0.0F, 2.0F, 1.0F}, false},   // just apart in x
        {{0.0F, -2.0F, 1.0F, -0.0001F}, false}, // just apart in y
        {{}, false},                            // the empty box
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unit.overlaps(c.other), c.overlaps) << c.other.min_x << " " << c.other.min_y;
        EXPECT_EQ(c.other.overlaps(unit), c.overlaps);
    }
    Footprint box;
    box.include(std::numeric_limits<float>::quiet_NaN(), 3.0F);
    EXPECT_EQ(box.min_y, 3.0F);
    EXPECT_EQ(box.min_x, std::numeric_limits<float>::infinity());
    EXPECT_FALSE(box.overlaps(unit));
}
