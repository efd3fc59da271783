#include "profiles.hpp"

#include "model_content.hpp"
#include "world_content.hpp"

#include <algorithm>

namespace quillmere_mkworld {

namespace {

using quillmere_dat::file_type::scene::Scene;

// Landblocks of the check's square, and one more on every side.
std::vector<std::uint16_t> square_with_border() {
    std::vector<std::uint16_t> landblocks;
    for (unsigned x = 0xA2; x <= 0xB0; ++x) {
        for (unsigned y = 0xAD; y <= 0xBB; ++y) landblocks.push_back(static_cast<std::uint16_t>(x << 8 | y));
    }
    return landblocks;
}

std::vector<std::uint16_t> whole_world() {
    std::vector<std::uint16_t> landblocks;
    landblocks.reserve(255 * 255);
    for (unsigned x = 0; x < 255; ++x) {
        for (unsigned y = 0; y < 255; ++y) landblocks.push_back(static_cast<std::uint16_t>(x << 8 | y));
    }
    return landblocks;
}

// Landblocks of the square that carry the world's damaged files.
constexpr std::uint16_t landblock_without_terrain = 0xA5B0;
constexpr std::uint16_t landblock_with_truncated_terrain = 0xA7B2;
constexpr std::uint16_t landblock_with_truncated_objects = 0xA8B3;

class Counter {
public:
    Counter(const Progress& progress, std::size_t total) : progress_(progress), total_(total) {}
    void step() {
        ++done_;
        if (progress_ && (done_ % 4096 == 0 || done_ == total_)) progress_(done_, total_);
    }

private:
    const Progress& progress_;
    std::size_t total_;
    std::size_t done_ = 0;
};

void add_models(WorldBuilder& world, const WorldShape& shape, Random random, Counter& counter) {
    for (std::uint32_t i = 0; i < shape.props; ++i) {
        const float radius = random.between(0.4F, 3.0F);
        world.add_portal(ids::first_prop + i, make_graphics_object(ids::first_prop + i, radius, random), i % 4 == 0);
        counter.step();
    }
    for (std::uint32_t i = 0; i < shape.buildings; ++i) {
        const float radius = random.between(6.0F, 14.0F);
        world.add_portal(ids::first_building + i, make_graphics_object(ids::first_building + i, radius, random));
        counter.step();
    }
    // Setups over the models: some parts repeat, some have no mesh at all.
    const auto setups = [&](std::uint32_t first_setup, std::uint32_t count, std::uint32_t first_part,
                            std::uint32_t part_count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::vector<std::uint32_t> parts;
            const std::uint32_t n = 1 + random.below(4);
            for (std::uint32_t p = 0; p < n; ++p) parts.push_back(first_part + random.below(part_count));
            if (i % 5 == 1) parts.push_back(parts.front());  // the same part twice
            if (shape.faults && i % 7 == 2) parts.push_back(ids::hollow_model);
            if (shape.faults && i % 11 == 3) parts.push_back(ids::missing_model);
            if (shape.faults && i % 13 == 4) parts.assign({ids::hollow_model, ids::missing_model});  // no mesh at all
            world.add_portal(first_setup + i, make_setup(first_setup + i, std::move(parts), random), i % 3 == 0);
            counter.step();
        }
    };
    setups(ids::first_prop_setup, shape.prop_setups, ids::first_prop, shape.props);
    setups(ids::first_building_setup, shape.building_setups, ids::first_building, shape.buildings);
    if (shape.faults) world.add_portal(ids::hollow_model, make_hollow_graphics_object(ids::hollow_model));
}

void add_scenes(WorldBuilder& world, const WorldShape& shape, Random random, Counter& counter) {
    for (std::uint32_t i = 0; i < shape.scenes; ++i) {
        world.add_portal(ids::first_scene + i, make_scene(ids::first_scene + i, random, shape), i % 3 == 0);
        counter.step();
    }
    if (shape.faults) {
        auto bytes = WorldBuilder::pack(make_scene(ids::truncated_scene, random, shape));
        bytes.resize(bytes.size() - 30);  // ends inside its last object
        world.add_portal_bytes(ids::truncated_scene, std::move(bytes));
    }
}

void add_landblocks(WorldBuilder& world, const WorldShape& shape, std::uint64_t seed, Random random,
                    Counter& counter) {
    for (const std::uint16_t landblock : shape.landblocks) {
        const bool faulty = shape.faults;
        if (!(faulty && landblock == landblock_without_terrain)) {
            auto bytes = WorldBuilder::pack(make_terrain(landblock, seed, shape));
            if (faulty && landblock == landblock_with_truncated_terrain) bytes.resize(200);
            world.add_cell_bytes(ids::terrain_file(landblock), std::move(bytes), landblock % 7 == 0);
        }
        counter.step();

        auto objects = make_landblock_objects(landblock, random, shape);
        // Landblocks with nothing on them mostly have no objects file at all.
        if (objects.buildings.empty() && objects.objects.empty()) continue;
        auto bytes = WorldBuilder::pack(objects);
        if (faulty && landblock == landblock_with_truncated_objects) bytes.resize(bytes.size() / 2);
        world.add_cell_bytes(ids::objects_file(landblock), std::move(bytes), landblock % 5 == 0);
    }
}

WorldBuilder build_from_shape(const WorldShape& shape, std::uint64_t seed, const Progress& progress) {
    WorldBuilder world;
    Random random(seed);
    const std::size_t total =
        1 + shape.scenes + shape.props + shape.buildings + shape.prop_setups + shape.building_setups +
        shape.landblocks.size();
    Counter counter(progress, total);

    world.add_portal(ids::region, make_region(shape, random), true);
    counter.step();
    add_scenes(world, shape, random.fork(1), counter);
    add_models(world, shape, random.fork(2), counter);
    add_landblocks(world, shape, seed, random.fork(3), counter);
    return world;
}

WorldBuilder build_minimal(std::uint64_t seed) {
    namespace region = quillmere_dat::file_type::region;
    WorldShape shape;
    shape.terrain_types = 1;
    shape.scene_types = 1;
    shape.scenes = 1;
    shape.faults = false;

    Random random(seed);
    region::Region r;
    r.id = ids::region;
    r.name = "Minimal";
    for (std::size_t i = 0; i < r.land_heights.size(); ++i) r.land_heights[i] = static_cast<float>(i);
    r.part_flags = region::part_scene;
    r.scene_desc = region::SceneDesc{{region::SceneType{0, {ids::first_scene}}}};
    r.terrain_desc.terrain_types.push_back(region::TerrainType{"Grass", 0, {0}});

    quillmere_dat::file_type::object_desc::ObjectDesc object;
    object.obj_id = ids::first_prop;
    object.frame.orientation = {1.0F, 0.0F, 0.0F, 0.0F};
    object.frame.origin = {6.0F, 6.0F, 0.0F};
    object.frequency = 1.0F;
    object.min_scale = object.max_scale = 1.0F;
    object.max_rotation = 360.0F;

    WorldBuilder world;
    world.add_portal(ids::region, r);
    world.add_portal(ids::first_scene, Scene{ids::first_scene, {object}});
    world.add_portal(ids::first_prop, make_graphics_object(ids::first_prop, 1.0F, random));
    // One landblock, the square's centre, all of one terrain type.
    auto terrain = make_terrain(0xA9B4, seed, shape);
    for (auto& word : terrain.terrain) word = 0;
    world.add_cell(ids::terrain_file(0xA9B4), terrain);
    return world;
}

}  // namespace

std::optional<Profile> parse_profile(std::string_view name) {
    if (name == "demo") return Profile::demo;
    if (name == "minimal") return Profile::minimal;
    if (name == "large") return Profile::large;
    return std::nullopt;
}

WorldBuilder build_world(Profile profile, std::uint64_t seed, const Progress& progress) {
    switch (profile) {
        case Profile::minimal: return build_minimal(seed);
        case Profile::large: {
            WorldShape shape;
            shape.landblocks = whole_world();
            shape.terrain_types = 28;
            shape.scene_types = 90;
            shape.scenes = 4000;
            shape.props = 2500;
            shape.prop_setups = 600;
            shape.buildings = 300;
            shape.building_setups = 100;
            shape.building_percent = 25;
            return build_from_shape(shape, seed, progress);
        }
        case Profile::demo:
        default: {
            WorldShape shape;
            shape.landblocks = square_with_border();
            return build_from_shape(shape, seed, progress);
        }
    }
}

}  // namespace quillmere_mkworld
