#include "mesh_cache.hpp"
#include "memory_archive.hpp"
#include "scene_cache.hpp"

#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/file_type/setup_model.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using quillmere_common::math::Vector3;
using quillmere_dat::file_type::gfx_obj::GfxObj;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::file_type::setup_model::SetupModel;
using scenery_bake_determinism::MeshCache;
using scenery_bake_determinism::SceneCache;

namespace {

GfxObj graphics_object(std::uint32_t id, std::vector<Vector3> points) {
    GfxObj object;
    object.id = id;
    object.vertex_array.vertex_type = 1;
    std::uint16_t vertex_id = 0;
    for (const auto& p : points) {
        quillmere_dat::graphics::SWVertex vertex;
        vertex.origin = p;
        object.vertex_array.vertices.emplace(vertex_id++, vertex);
    }
    return object;
}

SetupModel setup(std::uint32_t id, std::vector<std::uint32_t> parts) {
    SetupModel model;
    model.id = id;
    model.num_parts = static_cast<std::uint32_t>(parts.size());
    model.parts = std::move(parts);
    return model;
}

std::vector<Vector3> sorted(std::span<const Vector3> points) {
    std::vector<Vector3> out(points.begin(), points.end());
    std::sort(out.begin(), out.end(), [](const Vector3& a, const Vector3& b) {
        return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
    });
    return out;
}

}  // namespace

TEST(SceneCache, EveryAnswerIsReadOnceAndFailuresAreKept) {
    MemoryArchive portal;
    Scene scene;
    scene.id = 0x12000001;
    scene.objects.resize(2);
    portal.add(0x12000001, scene);
    portal.add_bytes(0x12000002, {1, 2, 3});  // does not decode

    SceneCache cache(portal);
    for (int i = 0; i < 3; ++i) {
        const Scene* found = cache.find_scene(0x12000001);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, scene);
        EXPECT_EQ(cache.find_scene(0x12000002), nullptr);
        EXPECT_EQ(cache.find_scene(0x12000003), nullptr);  // missing
    }
    EXPECT_EQ(portal.reads(0x12000001), 1);
    EXPECT_EQ(portal.reads(0x12000002), 1);
    EXPECT_EQ(portal.reads(0x12000003), 1);
}

TEST(MeshCache, ModelKindsOtherThanGraphicsObjectsAndSetupsAreNeverRead) {
    MemoryArchive portal;
    MeshCache cache(portal);
    EXPECT_FALSE(cache.find_mesh(0x03000001).has_value());
    EXPECT_FALSE(cache.find_mesh(0x00000001).has_value());
    EXPECT_EQ(portal.total_reads(), 0);
}

TEST(MeshCache, GraphicsObjectGivesItsVerticesOnce) {
    MemoryArchive portal;
    portal.add(0x01000001, graphics_object(0x01000001, {{1, 2, 3}, {-1, 0, 0}}));
    GfxObj hollow;
    hollow.vertex_array.vertex_type = 2;
    portal.add(0x01000002, hollow);

    MeshCache cache(portal);
    for (int i = 0; i < 2; ++i) {
        const auto mesh = cache.find_mesh(0x01000001);
        ASSERT_TRUE(mesh.has_value());
        EXPECT_EQ(sorted(*mesh), (std::vector<Vector3>{{-1, 0, 0}, {1, 2, 3}}));
        EXPECT_FALSE(cache.find_mesh(0x01000002).has_value());
    }
    EXPECT_EQ(portal.reads(0x01000001), 1);
    EXPECT_EQ(portal.reads(0x01000002), 1);
}

TEST(MeshCache, SetupIsThePlainUnionOfItsPartsAndPartsAreReadPerSetup) {
    MemoryArchive portal;
    portal.add(0x01000001, graphics_object(0x01000001, {{1, 0, 0}}));
    portal.add(0x01000002, graphics_object(0x01000002, {{0, 2, 0}, {0, 3, 0}}));
    // The same part twice, and a part that is missing.
    portal.add(0x02000001, setup(0x02000001, {0x01000001, 0x01000002, 0x01000001, 0x0100FFFF}));
    portal.add(0x02000002, setup(0x02000002, {0x01000001}));

    MeshCache cache(portal);
    const auto mesh = cache.find_mesh(0x02000001);
    ASSERT_TRUE(mesh.has_value());
    EXPECT_EQ(sorted(*mesh), (std::vector<Vector3>{{0, 2, 0}, {0, 3, 0}, {1, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(portal.reads(0x01000001), 2);

    ASSERT_TRUE(cache.find_mesh(0x02000002).has_value());
    ASSERT_TRUE(cache.find_mesh(0x01000001).has_value());
    EXPECT_EQ(portal.reads(0x01000001), 4);  // parts are not cached under their own ids
    EXPECT_EQ(portal.reads(0x02000001), 1);
}

TEST(MeshCache, SetupWithoutAnyVerticesIsAbsentAndNotReadAgain) {
    MemoryArchive portal;
    GfxObj hollow;
    hollow.vertex_array.vertex_type = 2;
    portal.add(0x01000009, hollow);
    portal.add(0x02000001, setup(0x02000001, {0x01000009, 0x0100FFFF}));
    portal.add(0x02000002, setup(0x02000002, {}));

    MeshCache cache(portal);
    EXPECT_FALSE(cache.find_mesh(0x02000001).has_value());
    EXPECT_FALSE(cache.find_mesh(0x02000001).has_value());
    EXPECT_FALSE(cache.find_mesh(0x02000002).has_value());
    EXPECT_EQ(portal.reads(0x02000001), 1);
    EXPECT_EQ(portal.reads(0x01000009), 1);
    EXPECT_EQ(portal.reads(0x02000002), 1);
}
