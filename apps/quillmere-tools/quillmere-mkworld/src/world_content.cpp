#include "world_content.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace quillmere_mkworld {

namespace region = quillmere_dat::file_type::region;
namespace game_time = quillmere_dat::file_type::game_time;
using quillmere_dat::file_type::object_desc::ObjectDesc;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::landblock::CellLandblock;
using quillmere_dat::landblock::LandblockInfo;

namespace {

template <std::size_t N>
std::array<std::uint32_t, N> words(Random& random) {
    std::array<std::uint32_t, N> out{};
    for (auto& w : out) w = static_cast<std::uint32_t>(random.next());
    return out;
}

std::string name_of(const char* stem, std::uint32_t index) {
    // Lengths vary so that the alignment after each name varies too.
    static constexpr std::array<const char*, 4> suffixes = {"", "s", "en", "ish"};
    return std::string(stem) + suffixes[index % suffixes.size()] + std::to_string(index);
}

game_time::GameTime make_game_time(Random& random) {
    game_time::GameTime time;
    time.time_value = 3600.5;
    time.word_a = 7;
    time.word_b = 16;
    time.word_c = 2;
    time.name = "Long Count";  // 10 bytes: two of padding follow
    for (const char* name : {"Dawnsong", "Highsun", "Dusk", "Owl's Watch", "Midnight"}) {
        time.times_of_day.push_back({static_cast<std::uint32_t>(random.next()), random.chance(50), name});
    }
    time.name_list = {"Morrow", "Firstday", "Tithe", "Rest"};
    for (const char* name : {"Thaw", "Bloom", "Harvest", "Frost"}) {
        time.seasons.push_back({random.below(365), name});
    }
    return time;
}

region::SkyDesc make_sky(Random& random) {
    region::SkyDesc sky;
    sky.value_a = 0.25;
    sky.value_b = 0.75;
    for (std::uint32_t g = 0; g < 2; ++g) {
        region::DayGroup group;
        group.group_word = g;
        group.name = name_of("Sky", g);
        for (std::uint32_t i = 0; i < 3; ++i) group.sky_items.push_back({words<9>(random)});
        for (std::uint32_t t = 0; t < 2; ++t) {
            region::SkyTimeOfDay time{words<11>(random), {}};
            for (std::uint32_t i = 0; i <= t; ++i) time.time_items.push_back({words<6>(random)});
            group.sky_times.push_back(std::move(time));
        }
        sky.day_groups.push_back(std::move(group));
    }
    return sky;
}

region::SoundDesc make_sound(Random& random) {
    region::SoundDesc sound;
    for (std::uint32_t s = 0; s < 3; ++s) {
        region::AmbientSTBDesc desc{s * 5, {}};
        for (std::uint32_t e = 0; e < s + 1; ++e) desc.entries.push_back({words<5>(random)});
        sound.stb_descs.push_back(std::move(desc));
    }
    return sound;
}

// Integer value noise: a hash at lattice points, interpolated linearly.
std::uint32_t lattice(std::uint64_t seed, std::int64_t x, std::int64_t y) {
    Random random(seed ^ (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) ^
                  (static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4FULL));
    return static_cast<std::uint32_t>(random.next() >> 40);  // 24 bits
}

// Noise in 0 .. 2^24 - 1 with lattice spacing `step` vertices.
std::uint32_t smooth_noise(std::uint64_t seed, std::uint32_t gx, std::uint32_t gy, std::uint32_t step) {
    const std::int64_t cx = gx / step;
    const std::int64_t cy = gy / step;
    const std::uint64_t fx = gx % step;
    const std::uint64_t fy = gy % step;
    const std::uint64_t a = lattice(seed, cx, cy);
    const std::uint64_t b = lattice(seed, cx + 1, cy);
    const std::uint64_t c = lattice(seed, cx, cy + 1);
    const std::uint64_t d = lattice(seed, cx + 1, cy + 1);
    const std::uint64_t top = a * (step - fx) + b * fx;
    const std::uint64_t bottom = c * (step - fx) + d * fx;
    return static_cast<std::uint32_t>((top * (step - fy) + bottom * fy) / (step * step));
}

ObjectDesc make_object(Random& random, const WorldShape& shape) {
    ObjectDesc o;
    const std::uint32_t pick = random.below(100);
    if (pick < 68) {
        o.obj_id = ids::first_prop + random.below(shape.props);
    } else if (pick < 88) {
        o.obj_id = ids::first_prop_setup + random.below(shape.prop_setups);
    } else if (!shape.faults || pick < 92) {
        o.obj_id = ids::first_prop + random.below(shape.props);
    } else if (pick < 95) {
        o.obj_id = ids::missing_model;
    } else if (pick < 97) {
        o.obj_id = ids::foreign_model;
    } else {
        o.obj_id = ids::hollow_model;
    }

    const bool far = random.chance(10);  // offsets that leave the landblock at its edges
    o.frame.origin = {far ? random.between(-40.0F, 60.0F) : random.between(-6.0F, 30.0F),
                      far ? random.between(-40.0F, 60.0F) : random.between(-6.0F, 30.0F),
                      random.between(-1.0F, 1.0F)};
    o.frame.orientation = {1.0F, 0.0F, 0.0F, 0.0F};

    const std::uint32_t frequency = random.below(100);
    o.frequency = frequency < 25 ? 1.0F : frequency < 30 ? 0.0F : random.unit();

    const auto displacement = [&] {
        const std::uint32_t kind = random.below(10);
        return kind < 4 ? 0.0F : kind < 5 ? -random.between(0.5F, 4.0F) : random.between(0.5F, 12.0F);
    };
    o.displace_x = displacement();
    o.displace_y = displacement();

    const std::uint32_t scale = random.below(10);
    if (scale < 4) {
        o.min_scale = o.max_scale = 1.0F;
    } else if (scale < 5) {
        o.min_scale = o.max_scale = random.between(0.5F, 2.0F);
    } else {
        o.min_scale = random.between(0.6F, 1.0F);
        o.max_scale = random.between(1.0F, 1.6F);
    }

    const std::uint32_t rotation = random.below(20);
    o.max_rotation = rotation < 8 ? 0.0F : rotation < 16 ? 360.0F : rotation < 19 ? random.between(10.0F, 180.0F)
                                                                                    : -90.0F;
    o.min_slope = 0.0F;
    o.max_slope = random.between(0.3F, 1.5F);
    o.param_a = random.below(4);
    o.param_b = random.below(4);
    o.skip_marker = random.chance(5) ? 1 : 0;
    return o;
}

quillmere_dat::landblock::Frame make_building_frame(Random& random) {
    quillmere_dat::landblock::Frame frame;
    frame.origin = {random.between(24.0F, 168.0F), random.between(24.0F, 168.0F), random.between(0.0F, 80.0F)};
    // Any heading: the quaternion need not be normalised, only its w and z
    // directions matter for the footprint.
    frame.orientation = {random.between(-1.0F, 1.0F), 0.0F, 0.0F, random.between(-1.0F, 1.0F)};
    return frame;
}

}  // namespace

region::Region make_region(const WorldShape& shape, Random& random) {
    region::Region r;
    r.id = ids::region;
    r.header_a = 1;
    r.header_b = 3;
    r.name = "Quillmere Dales";  // 15 bytes: the padding after it matters
    r.land_params = {192, 8, 0x41C00000 /* 24.0f */, 255, 255, 0x3F800000 /* 1.0f */, 0xDEADBEEF, 0x12345678};
    for (std::size_t i = 0; i < r.land_heights.size(); ++i) r.land_heights[i] = static_cast<float>(i) * 2.5F;
    r.game_time = make_game_time(random);
    r.part_flags = region::part_sky | region::part_sound | region::part_scene | region::part_misc | 0x40000;
    r.sky_desc = make_sky(random);
    r.sound_desc = make_sound(random);

    region::SceneDesc scenes;
    for (std::uint32_t t = 0; t < shape.scene_types; ++t) {
        region::SceneType type{t, {}};
        if (t % 11 != 5) {  // every eleventh scene type, from the sixth on, grows nothing
            const std::uint32_t count = 1 + random.below(6);
            for (std::uint32_t i = 0; i < count; ++i) type.scenes.push_back(ids::first_scene + random.below(shape.scenes));
        }
        scenes.scene_types.push_back(std::move(type));
    }
    if (shape.faults && shape.scene_types > 3) {
        scenes.scene_types[1].scenes.push_back(ids::missing_scene);
        scenes.scene_types[2].scenes.push_back(ids::truncated_scene);
        scenes.scene_types[3].scenes.assign({ids::missing_scene});
    }
    r.scene_desc = std::move(scenes);

    for (std::uint32_t t = 0; t < shape.terrain_types; ++t) {
        region::TerrainType type{name_of("Terrain", t), 0x100 + t, {}};
        if (t != 3) {  // terrain type 3 grows nothing
            const std::uint32_t count = 1 + random.below(8);
            // A few indices past the scene types.
            for (std::uint32_t i = 0; i < count; ++i) type.scene_types.push_back(random.below(shape.scene_types + 3));
        }
        r.terrain_desc.terrain_types.push_back(std::move(type));
    }
    r.terrain_desc.extra_a = 0xAAAA;
    r.terrain_desc.extra_b = 0xBBBB;
    r.terrain_desc.pair_list_a = {{1, 2}, {3, 4}};
    r.terrain_desc.pair_list_b = {{5, 6}};
    r.terrain_desc.entry_list.push_back({9, words<10>(random)});
    r.region_misc = region::RegionMisc{words<6>(random)};
    return r;
}

CellLandblock make_terrain(std::uint16_t landblock, std::uint64_t seed, const WorldShape& shape) {
    CellLandblock terrain;
    terrain.id = ids::terrain_file(landblock);
    terrain.has_objects = 1;
    Random random(seed ^ (std::uint64_t{landblock} * 0x2545F4914F6CDD1DULL));
    const std::uint32_t lbx = landblock >> 8;
    const std::uint32_t lby = landblock & 0xFF;
    for (std::uint32_t x = 0; x < 9; ++x) {
        for (std::uint32_t y = 0; y < 9; ++y) {
            const std::uint32_t gx = lbx * 8 + x;
            const std::uint32_t gy = lby * 8 + y;
            const std::uint32_t i = x * 9 + y;

            // Rolling hills plus a little roughness; codes 0..255.
            const std::uint32_t hills = smooth_noise(seed, gx, gy, 24) >> 16;        // 0..255
            const std::uint32_t detail = smooth_noise(seed ^ 0x5A5A, gx, gy, 3) >> 20;  // 0..15
            terrain.height[i] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, hills * 3 / 4 + detail * 3));

            std::uint32_t road = 0;
            if (gx % 37 == 0 || gy % 43 == 0) road = 1 + random.below(3);
            else if (random.chance(2)) road = 2;

            // A few terrain type numbers past the table.
            const std::uint32_t type = (smooth_noise(seed ^ 0xBEEF, gx, gy, 16) >> 8) % (shape.terrain_types + 3);
            const std::uint32_t pick = random.below(100);
            const std::uint32_t scenery = pick < 70 ? random.below(4) : pick < 95 ? random.below(10) : random.below(32);
            terrain.terrain[i] = static_cast<std::uint16_t>(road | (type << 2) | (random.below(16) << 7) | (scenery << 11));
        }
    }
    return terrain;
}

Scene make_scene(std::uint32_t id, Random& random, const WorldShape& shape) {
    Scene scene;
    scene.id = id;
    const std::uint32_t count = 1 + random.below(10);
    for (std::uint32_t i = 0; i < count; ++i) scene.objects.push_back(make_object(random, shape));
    return scene;
}

LandblockInfo make_landblock_objects(std::uint16_t landblock, Random& random, const WorldShape& shape) {
    LandblockInfo info;
    info.id = ids::objects_file(landblock);
    info.num_cells = random.below(4);
    const std::uint32_t stabs = random.below(4);
    for (std::uint32_t i = 0; i < stabs; ++i) {
        info.objects.push_back({ids::first_prop + random.below(shape.props), make_building_frame(random)});
    }
    if (random.chance(shape.building_percent)) {
        const std::uint32_t buildings = 1 + random.below(3);
        for (std::uint32_t b = 0; b < buildings; ++b) {
            quillmere_dat::landblock::BuildInfo building;
            const std::uint32_t pick = random.below(10);
            building.model_id = pick < 6   ? ids::first_building + random.below(shape.buildings)
                                : pick < 9 ? ids::first_building_setup + random.below(shape.building_setups)
                                           : (shape.faults ? ids::missing_model : ids::first_building);
            building.frame = make_building_frame(random);
            building.num_leaves = random.below(8);
            const std::uint32_t portals = random.below(3);
            for (std::uint32_t p = 0; p < portals; ++p) {
                quillmere_dat::landblock::PortalInternal portal;
                portal.flags = static_cast<std::uint16_t>(random.below(4));
                portal.other_cell_id = static_cast<std::uint16_t>(0x100 + random.below(16));
                portal.other_portal_id = static_cast<std::uint16_t>(random.below(4));
                const std::uint32_t stab_count = random.below(4);  // odd counts need padding
                for (std::uint32_t s = 0; s < stab_count; ++s) {
                    portal.stab_list.push_back(static_cast<std::uint16_t>(random.below(64)));
                }
                building.portals.push_back(std::move(portal));
            }
            info.buildings.push_back(std::move(building));
        }
    }
    if (random.chance(20)) {
        info.pack_mask = quillmere_dat::landblock::pack_mask_restrictions;
        quillmere_dat::landblock::RestrictionTable table;
        const std::uint32_t entries = random.below(4);
        for (std::uint32_t e = 0; e < entries; ++e) table.tables[0x100 + random.below(32)] = random.below(1000);
        info.restriction_tables = std::move(table);
    }
    return info;
}

}  // namespace quillmere_mkworld
