#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using namespace quillmere_dat::file_type::region;
using quillmere_dat::file_type::game_time::GameTime;
using quillmere_dat::file_type::game_time::Season;
using quillmere_dat::file_type::game_time::TimeOfDay;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Region bytes in these tests are laid out by hand with explicit padding, so
// the decoder is checked against the layout rather than against `pack`.
// Padding is filled with 0xEE: a decoder that read it would see garbage.
void put_padding(ByteWriter& w, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) w.write_u8(0xEE);
}

void put_text(ByteWriter& w, std::string_view bytes) {
    w.write_u16(static_cast<std::uint16_t>(bytes.size()));
    for (const char c : bytes) w.write_u8(static_cast<std::uint8_t>(c));
}

float height_of(int code) { return static_cast<float>(code) * 0.25F - 8.0F; }

// id, header words, name with its padding, land params 101..108, height
// table. With an empty name this ends at 16 + 32 + 1024 = 1072.
void put_region_start(ByteWriter& w, std::string_view name, std::size_t padding) {
    w.write_u32(0x13000000);
    w.write_u32(0xA);
    w.write_u32(0xB);
    put_text(w, name);
    put_padding(w, padding);
    for (std::uint32_t i = 0; i < 8; ++i) w.write_u32(101 + i);
    for (int code = 0; code < 256; ++code) w.write_f32(height_of(code));
}

// A calendar with an empty name and three empty lists, started at a multiple
// of 4: 36 bytes.
void put_empty_game_time(ByteWriter& w) {
    w.write_f64(0.5);
    w.write_u32(1);
    w.write_u32(2);
    w.write_u32(3);
    put_text(w, "");
    put_padding(w, 2);
    w.write_u32(0);
    w.write_u32(0);
    w.write_u32(0);
}

// Everything up to and including `part_flags`: 1112 bytes.
ByteWriter region_head(std::uint32_t part_flags) {
    ByteWriter w;
    put_region_start(w, "", 2);
    put_empty_game_time(w);
    w.write_u32(part_flags);
    return w;
}

// No terrain types, extras 0x51 and 0x52, three empty pair lists, no entries:
// 28 bytes.
void put_small_terrain_desc(ByteWriter& w) {
    w.write_u32(0);
    w.write_u32(0x51);
    w.write_u32(0x52);
    for (int list = 0; list < 4; ++list) w.write_u32(0);
}

std::vector<std::uint32_t> words(std::uint32_t first, std::size_t count) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < count; ++i) out.push_back(first + static_cast<std::uint32_t>(i));
    return out;
}

Bytes cut(const Bytes& bytes, std::size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

// A region with every part present and nothing left at its default.
Region rich_region() {
    Region region;
    region.id = 0x13000000;
    region.header_a = 0xDEADBEEF;
    region.header_b = 7;
    region.name = "Dereth \u00E9";  // 8 bytes in Windows-1252: the padding is 2
    for (std::size_t i = 0; i < region.land_params.size(); ++i) {
        region.land_params[i] = 0x1000U * static_cast<std::uint32_t>(i + 1);
    }
    for (int code = 0; code < 256; ++code) region.land_heights[static_cast<std::size_t>(code)] = height_of(code);

    GameTime& time = region.game_time;
    time.time_value = 1234.5;
    time.word_a = 11;
    time.word_b = 22;
    time.word_c = 33;
    time.name = "Calendar";
    time.times_of_day = {TimeOfDay{1, true, "Dawnsong"}, TimeOfDay{2, false, "Night"}};
    time.name_list = {"Morningthaw", "", "Leafdawning\u2192"};  // the arrow needs UTF-8
    time.seasons = {Season{0, "Spring"}, Season{91, "Sum"}};

    region.part_flags = part_sky | part_sound | part_scene | part_misc | 0x100;

    SkyDesc sky;
    sky.value_a = -1.25;
    sky.value_b = 3.0e10;
    DayGroup group;
    group.group_word = 0x40;
    group.name = "Sunny";
    group.sky_items = {SkyItem{{1, 2, 3, 4, 5, 6, 7, 8, 9}}, SkyItem{{9, 8, 7, 6, 5, 4, 3, 2, 1}}};
    SkyTimeOfDay sky_time;
    sky_time.values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    sky_time.time_items = {SkyTimeItem{{6, 5, 4, 3, 2, 1}}};
    group.sky_times = {sky_time, SkyTimeOfDay{}};
    sky.day_groups = {group, DayGroup{0x41, "R", {}, {}}};
    region.sky_desc = sky;

    region.sound_desc = SoundDesc{{AmbientSTBDesc{5, {AmbientEntry{{1, 2, 3, 4, 5}}}}, AmbientSTBDesc{6, {}}}};
    region.scene_desc =
        SceneDesc{{SceneType{0x10, {0x120000A1, 0x120000A2}}, SceneType{0x11, {}}, SceneType{0x12, {0x120000B0}}}};

    TerrainDesc& terrain = region.terrain_desc;
    terrain.terrain_types = {TerrainType{"BarrenRock", 0x30, {0, 2}}, TerrainType{"Grassland", 0x31, {1}},
                             TerrainType{"", 0, {}}};
    terrain.extra_a = 0xA1;
    terrain.extra_b = 0xB2;
    terrain.pair_list_a = {PairEntry{1, 2}};
    terrain.pair_list_c = {PairEntry{3, 4}, PairEntry{5, 6}};
    terrain.entry_list = {KeyedEntry{77, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}};

    region.region_misc = RegionMisc{{6, 5, 4, 3, 2, 1}};
    return region;
}

}  // namespace

TEST(Region, NamePaddingCountsFromTheStartOfTheFile) {
    struct Case {
        std::string_view name;
        std::size_t padding;  // the name starts at 12: 12 + 2 + length, up to a multiple of 4
    };
    for (const Case c : {Case{"", 2}, Case{"ab", 0}, Case{"abc", 3}, Case{"abcd", 2}}) {
        ByteWriter w;
        put_region_start(w, c.name, c.padding);
        put_empty_game_time(w);
        w.write_u32(0);
        put_small_terrain_desc(w);

        ByteReader reader(w.bytes());
        const auto region = Region::unpack(reader);
        ASSERT_TRUE(region.has_value()) << c.name << ": " << region.error().display();
        EXPECT_EQ(region->name, c.name);
        EXPECT_EQ(region->land_params[0], 101U) << c.name;
        EXPECT_EQ(region->land_params[7], 108U) << c.name;
        EXPECT_EQ(region->land_heights[0], height_of(0));
        EXPECT_EQ(region->land_heights[255], height_of(255));
        EXPECT_EQ(region->game_time.word_c, 3U);
        EXPECT_EQ(region->terrain_desc.extra_b, 0x52U);
        EXPECT_EQ(reader.position(), w.bytes().size()) << c.name;
    }
}

TEST(Region, TerrainTypeNamePaddingDependsOnTheAbsolutePosition) {
    // The same terrain descriptor bytes, started at each position modulo 4.
    // Its one type's name is "A": the name ends at start + 7, and the padding
    // up to the next multiple of 4 decides which bytes form `type_word`.
    ByteWriter tail;
    tail.write_u32(1);
    put_text(tail, "A");
    for (const std::uint8_t b : {0x11, 0x22, 0x33, 0x44}) tail.write_u8(b);
    tail.write_zeros(40);  // zero scene types, extras, pair lists and entries

    struct Case {
        std::uint64_t start;
        std::uint32_t type_word;
        std::uint64_t end;
    };
    const std::vector<Case> cases = {
        {0, 0x00443322, 40},  // name ends at 7: 1 byte of padding
        {1, 0x44332211, 40},  // ends at 8: none
        {2, 0x00000044, 44},  // ends at 9: 3 bytes
        {3, 0x00004433, 44},  // ends at 10: 2 bytes
        {6, 0x00000044, 48},
    };
    for (const Case& c : cases) {
        ByteWriter w;
        w.write_zeros(c.start);
        w.write_bytes(tail.bytes());
        ByteReader reader(w.bytes());
        reader.set_position(c.start);
        const auto desc = TerrainDesc::unpack(reader);
        ASSERT_TRUE(desc.has_value()) << c.start << ": " << desc.error().display();
        ASSERT_EQ(desc->terrain_types.size(), 1U);
        EXPECT_EQ(desc->terrain_types[0].name, "A");
        EXPECT_EQ(desc->terrain_types[0].type_word, c.type_word) << "start " << c.start;
        EXPECT_TRUE(desc->terrain_types[0].scene_types.empty());
        EXPECT_EQ(reader.position(), c.end) << "start " << c.start;
    }
}

TEST(Region, NoOptionalPartsWhenFlagsAreZero) {
    ByteWriter w = region_head(0);
    put_small_terrain_desc(w);
    w.write_u32(0xFFFFFFFF);  // trailing bytes are not examined

    ByteReader reader(w.bytes());
    const auto region = Region::unpack(reader);
    ASSERT_TRUE(region.has_value()) << region.error().display();
    EXPECT_EQ(region->part_flags, 0U);
    EXPECT_FALSE(region->sky_desc.has_value());
    EXPECT_FALSE(region->sound_desc.has_value());
    EXPECT_FALSE(region->scene_desc.has_value());
    EXPECT_FALSE(region->region_misc.has_value());
    EXPECT_EQ(region->terrain_desc.extra_a, 0x51U);
    EXPECT_EQ(reader.position(), w.bytes().size() - 4);
}

TEST(Region, OptionalPartsFollowInFileOrderNotBitOrder) {
    ByteWriter w = region_head(part_sky | part_sound | part_scene);
    ASSERT_EQ(w.position(), 1112U);
    // Sky: two doubles, no padding at 1128, no day groups.
    w.write_f64(2.5);
    w.write_f64(-4.0);
    w.write_u32(0);
    // Sound: one STB desc with one entry.
    w.write_u32(1);
    w.write_u32(0x5B);
    w.write_u32(1);
    for (const std::uint32_t v : words(31, 5)) w.write_u32(v);
    // Scene: one scene type with two scene ids.
    w.write_u32(1);
    w.write_u32(0x77);
    w.write_u32(2);
    w.write_u32(0x120000A1);
    w.write_u32(0x120000A2);
    put_small_terrain_desc(w);

    ByteReader reader(w.bytes());
    const auto region = Region::unpack(reader);
    ASSERT_TRUE(region.has_value()) << region.error().display();
    ASSERT_TRUE(region->sky_desc.has_value());
    EXPECT_EQ(region->sky_desc->value_a, 2.5);
    EXPECT_EQ(region->sky_desc->value_b, -4.0);
    EXPECT_TRUE(region->sky_desc->day_groups.empty());
    ASSERT_TRUE(region->sound_desc.has_value());
    EXPECT_EQ(region->sound_desc->stb_descs,
              (std::vector<AmbientSTBDesc>{AmbientSTBDesc{0x5B, {AmbientEntry{{31, 32, 33, 34, 35}}}}}));
    ASSERT_TRUE(region->scene_desc.has_value());
    EXPECT_EQ(region->scene_desc->scene_types,
              (std::vector<SceneType>{SceneType{0x77, {0x120000A1, 0x120000A2}}}));
    EXPECT_EQ(region->terrain_desc.extra_a, 0x51U);
    EXPECT_FALSE(region->region_misc.has_value());
    EXPECT_EQ(reader.position(), w.bytes().size());
}

TEST(Region, MiscIsTwentyFourBytesAfterTheTerrainDescriptor) {
    ByteWriter w = region_head(part_misc);
    put_small_terrain_desc(w);
    for (const std::uint32_t v : words(61, 6)) w.write_u32(v);

    ByteReader reader(w.bytes());
    const auto region = Region::unpack(reader);
    ASSERT_TRUE(region.has_value()) << region.error().display();
    ASSERT_TRUE(region->region_misc.has_value());
    EXPECT_EQ(region->region_misc->values, (std::array<std::uint32_t, 6>{61, 62, 63, 64, 65, 66}));
    EXPECT_FALSE(region->scene_desc.has_value());
    EXPECT_EQ(reader.position(), w.bytes().size());

    for (const std::size_t missing : {1U, 4U, 23U, 24U}) {
        const Bytes short_data = cut(w.bytes(), w.bytes().size() - missing);
        ByteReader short_reader(short_data);
        const auto failed = Region::unpack(short_reader);
        ASSERT_FALSE(failed.has_value()) << missing;
        EXPECT_TRUE(failed.error().is_end_of_data());
        EXPECT_TRUE(failed.error().frames().empty());
    }
}

TEST(Region, TruncatedDataFailsWithEndOfDataAndNoFrames) {
    ByteWriter w;
    put_region_start(w, "", 2);
    const std::size_t game_time_start = w.position();
    w.write_f64(0.0);
    w.write_zeros(12);
    put_text(w, "");
    put_padding(w, 2);
    w.write_zeros(8);  // no times of day, no texts
    w.write_u32(2);
    w.write_u32(1);
    put_text(w, "Spring");  // ends at a multiple of 4
    w.write_u32(2);
    put_text(w, "Autumn");
    const std::size_t last_season_end = w.position();
    w.write_u32(0);
    put_small_terrain_desc(w);

    ByteReader whole(w.bytes());
    ASSERT_TRUE(Region::unpack(whole).has_value());

    struct Case {
        const char* where;
        std::size_t size;
    };
    const std::vector<Case> cases = {
        {"inside the header", 7},
        {"inside the name's padding", 15},
        {"at the first height", 48},
        {"inside the height table", 48 + 4 * 100 + 2},
        {"at the last height", game_time_start - 4},
        {"inside the last season's word", last_season_end - 10},
        {"inside the last season's name", last_season_end - 1},
        {"before part_flags", last_season_end},
        {"inside the terrain descriptor", w.bytes().size() - 3},
    };
    for (const Case& c : cases) {
        const Bytes data = cut(w.bytes(), c.size);
        ByteReader reader(data);
        const auto region = Region::unpack(reader);
        ASSERT_FALSE(region.has_value()) << c.where;
        EXPECT_EQ(region.error().display(), "failed to fill whole buffer") << c.where;
    }
}

TEST(Region, HugeCountsWithLittleDataFailPromptly) {
    // Every list's count set to 0xFFFFFFFF with a few bytes behind it: the
    // decoders must fail at the end of the data, not reserve for the count.
    const std::uint32_t huge = 0xFFFFFFFF;
    struct Case {
        const char* list;
        std::function<void(ByteWriter&)> write;  // the part, with the huge count
        std::function<bool(ByteReader&)> decode;
    };
    const auto terrain = [](ByteReader& r) { return TerrainDesc::unpack(r).has_value(); };
    const auto sky = [](ByteReader& r) { return SkyDesc::unpack(r).has_value(); };
    const auto empty_text = [](ByteWriter& w) { put_text(w, ""); };
    const std::vector<Case> cases = {
        {"terrain types", [&](ByteWriter& w) { w.write_u32(huge); }, terrain},
        {"terrain scene types",
         [&](ByteWriter& w) {
             w.write_u32(1);
             put_text(w, "ab");
             w.write_u32(0);
             w.write_u32(huge);
         },
         terrain},
        {"pair list",
         [&](ByteWriter& w) {
             w.write_zeros(12);
             w.write_u32(huge);
         },
         terrain},
        {"keyed entries",
         [&](ByteWriter& w) {
             w.write_zeros(24);
             w.write_u32(huge);
         },
         terrain},
        {"scene types", [&](ByteWriter& w) { w.write_u32(huge); },
         [](ByteReader& r) { return SceneDesc::unpack(r).has_value(); }},
        {"scene ids",
         [&](ByteWriter& w) {
             w.write_u32(1);
             w.write_u32(0);
             w.write_u32(huge);
         },
         [](ByteReader& r) { return SceneDesc::unpack(r).has_value(); }},
        {"ambient descs", [&](ByteWriter& w) { w.write_u32(huge); },
         [](ByteReader& r) { return SoundDesc::unpack(r).has_value(); }},
        {"day groups",
         [&](ByteWriter& w) {
             w.write_zeros(16);
             w.write_u32(huge);
         },
         sky},
        {"sky items",
         [&](ByteWriter& w) {
             w.write_zeros(16);
             w.write_u32(1);
             w.write_u32(0);
             empty_text(w);
             w.write_zeros(2);
             w.write_u32(huge);
         },
         sky},
        {"times of day",
         [&](ByteWriter& w) {
             w.write_zeros(20);
             empty_text(w);
             w.write_zeros(2);
             w.write_u32(huge);
         },
         [](ByteReader& r) { return GameTime::unpack(r).has_value(); }},
        {"calendar texts",
         [&](ByteWriter& w) {
             w.write_zeros(20);
             empty_text(w);
             w.write_zeros(2 + 4);
             w.write_u32(huge);
         },
         [](ByteReader& r) { return GameTime::unpack(r).has_value(); }},
        {"seasons",
         [&](ByteWriter& w) {
             w.write_zeros(20);
             empty_text(w);
             w.write_zeros(2 + 4 + 4);
             w.write_u32(huge);
         },
         [](ByteReader& r) { return GameTime::unpack(r).has_value(); }},
    };
    for (const Case& c : cases) {
        ByteWriter w;
        c.write(w);
        w.write_zeros(64);
        ByteReader reader(w.bytes());
        EXPECT_FALSE(c.decode(reader)) << c.list;
    }
}

TEST(Region, RichRegionRoundTrips) {
    const Region region = rich_region();
    ByteWriter w;
    region.pack(w);
    ByteReader reader(w.bytes());
    const auto decoded = Region::unpack(reader);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().display();
    EXPECT_EQ(*decoded, region);
    EXPECT_EQ(reader.position(), w.bytes().size());
}

TEST(Region, PartsPackedAtAnOffsetAlignLikeTheFile) {
    // A part written after 0-3 other bytes pads from the first byte written,
    // so it reads back from the same position of a file.
    const Region region = rich_region();
    for (std::size_t offset = 0; offset < 4; ++offset) {
        ByteWriter w;
        w.write_zeros(offset);
        region.sky_desc->pack(w);
        region.terrain_desc.pack(w);
        region.game_time.pack(w);

        ByteReader reader(w.bytes());
        reader.set_position(offset);
        EXPECT_EQ(SkyDesc::unpack(reader), *region.sky_desc) << offset;
        EXPECT_EQ(TerrainDesc::unpack(reader), region.terrain_desc) << offset;
        EXPECT_EQ(GameTime::unpack(reader), region.game_time) << offset;
        EXPECT_EQ(reader.position(), w.bytes().size()) << offset;
    }
}

TEST(Region, PackedBytesMatchTheHandLaidLayout) {
    // The writer and the hand-made layout agree byte for byte, padding aside.
    ByteWriter expected = region_head(part_misc);
    put_small_terrain_desc(expected);
    for (const std::uint32_t v : words(61, 6)) expected.write_u32(v);
    ByteReader reader(expected.bytes());
    const Region region = Region::unpack(reader).value();

    ByteWriter w;
    region.pack(w);
    Bytes want = expected.bytes();
    for (const std::size_t padding : {14U, 15U, 1094U, 1095U}) want[padding] = 0;  // name, calendar name
    EXPECT_EQ(w.bytes(), want);
}

TEST(RegionDeathTest, PackingDisagreeingFlagsAndPartsIsACallerError) {
    Region announced_but_absent;
    announced_but_absent.part_flags = part_scene;
    ByteWriter w1;
    EXPECT_DEBUG_DEATH(announced_but_absent.pack(w1), "part_flags disagrees");

    Region present_but_unannounced;
    present_but_unannounced.region_misc = RegionMisc{};
    ByteWriter w2;
    EXPECT_DEBUG_DEATH(present_but_unannounced.pack(w2), "part_flags disagrees");
}

#ifdef NDEBUG
TEST(Region, WithoutAssertionsTheFlagsDecideWhatIsPacked) {
    Region region = rich_region();
    region.scene_desc.reset();               // announced, absent: written empty
    region.part_flags &= ~part_sky;          // present, unannounced: left out
    ByteWriter w;
    region.pack(w);
    ByteReader reader(w.bytes());
    const Region decoded = Region::unpack(reader).value();
    EXPECT_EQ(decoded.scene_desc, SceneDesc{});
    EXPECT_FALSE(decoded.sky_desc.has_value());
    EXPECT_EQ(decoded.terrain_desc, region.terrain_desc);
    EXPECT_EQ(reader.position(), w.bytes().size());
}
#endif
