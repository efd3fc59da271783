#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace quillmere_dat::landblock;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> frame_messages(const quillmere_dat::error::ReadError& error) {
    std::vector<std::string> out;
    for (const auto& frame : error.frames()) out.push_back(frame.message());
    return out;
}

// id, num_cells, num_objects = 0, then the building count and pack mask.
void put_header(ByteWriter& w, std::uint16_t num_buildings, std::uint16_t pack_mask) {
    w.write_u32(0xA9B4FFFE);
    w.write_u32(3);
    w.write_u32(0);
    w.write_u16(num_buildings);
    w.write_u16(pack_mask);
}

void put_frame(ByteWriter& w, float x) {
    for (const float v : {x, 2.0F, 3.0F, 1.0F, 0.0F, 0.0F, 0.0F}) w.write_f32(v);
}

// A portal followed by 0xEE bytes: padding must be stepped over, never read.
Bytes portal_bytes(std::uint16_t num_stabs) {
    ByteWriter w;
    w.write_u16(0x0001);
    w.write_u16(0x0102);
    w.write_u16(0x0003);
    w.write_u16(num_stabs);
    for (std::uint16_t i = 0; i < num_stabs; ++i) w.write_u16(static_cast<std::uint16_t>(0x0100 + i));
    for (int i = 0; i < 8; ++i) w.write_u8(0xEE);
    return std::move(w).take();
}

LandblockInfo rich_info() {
    LandblockInfo info;
    info.id = 0xA9B4FFFE;
    info.num_cells = 12;
    info.objects = {Stab{0x01000010, Frame{{1.5F, -2.0F, 0.25F}, {1.0F, 0.0F, 0.0F, 0.0F}}},
                    Stab{0x02000020, Frame{{100.0F, 50.0F, 0.0F}, {0.5F, 0.5F, 0.5F, 0.5F}}}};
    info.pack_mask = 0x0003;
    BuildInfo hall;
    hall.model_id = 0x01001234;
    hall.frame = Frame{{96.0F, 120.0F, 12.0F}, {0.7071F, 0.0F, 0.0F, 0.7071F}};
    hall.num_leaves = 5;
    hall.portals = {PortalInternal{1, 0x0100, 0, {0x0101}}, PortalInternal{2, 0x0102, 1, {}},
                    PortalInternal{3, 0x0103, 2, {0x0104, 0x0105, 0x0106}}};
    BuildInfo shed;
    shed.model_id = 0x02000456;
    shed.frame = Frame{{10.0F, 20.0F, 30.0F}, {1.0F, 0.0F, 0.0F, 0.0F}};
    info.buildings = {hall, shed};
    info.restriction_tables = RestrictionTable{{{0xA9B40100, 7}, {0xA9B40101, 0xFFFFFFFF}}};
    return info;
}

}  // namespace

TEST(LandblockInfo, EmptyRecordIsSixteenBytes) {
    ByteWriter w;
    put_header(w, 0, 0);
    ASSERT_EQ(w.position(), 16U);
    ByteReader reader(w.bytes());
    const auto info = LandblockInfo::unpack(reader);
    ASSERT_TRUE(info.has_value()) << info.error().display();
    EXPECT_EQ(info->id, 0xA9B4FFFEU);
    EXPECT_EQ(info->num_cells, 3U);
    EXPECT_TRUE(info->objects.empty());
    EXPECT_TRUE(info->buildings.empty());
    EXPECT_FALSE(info->restriction_tables.has_value());
    EXPECT_EQ(reader.position(), 16U);
}

TEST(LandblockInfo, PortalPadsOddStabCountsToFourBytes) {
    struct Case {
        std::uint16_t num_stabs;
        std::uint64_t size;
    };
    for (const Case c : {Case{0, 8}, Case{1, 12}, Case{2, 12}, Case{3, 16}}) {
        const Bytes bytes = portal_bytes(c.num_stabs);
        ByteReader reader(bytes);
        const auto portal = PortalInternal::unpack(reader);
        ASSERT_TRUE(portal.has_value()) << c.num_stabs;
        EXPECT_EQ(portal->other_cell_id, 0x0102);
        EXPECT_EQ(portal->stab_list.size(), c.num_stabs);
        EXPECT_EQ(reader.position(), c.size) << c.num_stabs;

        ByteWriter w;
        portal->pack(w);
        EXPECT_EQ(w.position(), c.size);
    }

    // The padding is not read: data that ends right after an odd stab list
    // still decodes, and the position stands past the end.
    Bytes cut = portal_bytes(1);
    cut.resize(10);
    ByteReader reader(cut);
    const auto portal = PortalInternal::unpack(reader);
    ASSERT_TRUE(portal.has_value());
    EXPECT_EQ(portal->stab_list, (std::vector<std::uint16_t>{0x0100}));
    EXPECT_EQ(reader.position(), 12U);
}

TEST(LandblockInfo, RestrictionTableFollowsOnlyWithMaskBitZero) {
    struct Case {
        const char* what;
        std::uint16_t pack_mask;
        Bytes tail;
        std::optional<std::map<std::uint32_t, std::uint32_t>> tables;
        std::uint64_t end;
    };
    const std::vector<Case> cases = {
        {"bit 0 clear, bytes follow", 0xFFFE, {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}, std::nullopt, 16},
        {"empty table with its header", 0x0001, {0, 0, 0x40, 0}, std::map<std::uint32_t, std::uint32_t>{}, 20},
        {"repeated key: the later value wins",
         0x0001,
         {3, 0, 0x40, 0, 5, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0},
         std::map<std::uint32_t, std::uint32_t>{{5, 3}, {6, 2}},
         44},
    };
    for (const Case& c : cases) {
        ByteWriter w;
        put_header(w, 0, c.pack_mask);
        w.write_bytes(c.tail);
        ByteReader reader(w.bytes());
        const auto info = LandblockInfo::unpack(reader);
        ASSERT_TRUE(info.has_value()) << c.what << ": " << info.error().display();
        EXPECT_EQ(info->pack_mask, c.pack_mask);
        ASSERT_EQ(info->restriction_tables.has_value(), c.tables.has_value()) << c.what;
        if (c.tables) {
            EXPECT_EQ(info->restriction_tables->tables, *c.tables) << c.what;
        }
        EXPECT_EQ(reader.position(), c.end) << c.what;
    }
}

TEST(LandblockInfo, FailuresCarryOneFramePerLevelInnermostFirst) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::string> frames;
    };
    ByteWriter building;  // one building whose origin ends after x
    put_header(building, 1, 0);
    building.write_u32(0x01001234);
    building.write_f32(96.0F);
    building.write_u8(0);

    ByteWriter portal;  // one building, one portal with 3 stabs, data ends in the 2nd
    put_header(portal, 1, 0);
    portal.write_u32(0x01001234);
    put_frame(portal, 1.0F);
    portal.write_u32(0);
    portal.write_u32(1);
    portal.write_zeros(6);
    portal.write_u16(3);
    portal.write_zeros(3);

    ByteWriter object;  // huge object count, one whole object, then end of data
    object.write_u32(1);
    object.write_u32(0);
    object.write_u32(0xFFFFFFFF);
    object.write_u32(7);
    put_frame(object, 1.0F);
    object.write_u32(8);
    object.write_zeros(24);  // origin, then w, x, y

    ByteWriter table;  // table header without its bucket size
    put_header(table, 0, 1);
    table.write_u16(0);

    ByteWriter entries;  // 0xFFFF buildings: three whole, the fourth cut in num_portals
    put_header(entries, 0xFFFF, 0);
    entries.write_zeros(3 * 40 + 38);

    const std::vector<Case> cases = {
        {"inside the first building's origin", building.bytes(),
         {"While parsing field 'y' in Vector3", "While parsing field 'origin' in Frame",
          "While parsing field 'frame' in BuildInfo", "While parsing field 'buildings' in LandblockInfo"}},
        {"inside a portal's stab list", portal.bytes(),
         {"While parsing field 'stab_list' in PortalInternal", "While parsing field 'portals' in BuildInfo",
          "While parsing field 'buildings' in LandblockInfo"}},
        {"inside the second object's orientation", object.bytes(),
         {"While parsing field 'z' in Quaternion", "While parsing field 'orientation' in Frame",
          "While parsing field 'frame' in Stab", "While parsing field 'objects' in LandblockInfo"}},
        {"inside the restriction table header", table.bytes(),
         {"While parsing field '_bucket_size' in RestrictionTable",
          "While parsing field 'restriction_tables' in LandblockInfo"}},
        {"a building count far beyond the data", entries.bytes(),
         {"While parsing field 'num_portals' in BuildInfo", "While parsing field 'buildings' in LandblockInfo"}},
        {"inside num_buildings", Bytes(13), {"While parsing field 'num_buildings' in LandblockInfo"}},
    };
    for (const Case& c : cases) {
        ByteReader reader(c.bytes);
        const auto info = LandblockInfo::unpack(reader);
        ASSERT_FALSE(info.has_value()) << c.what;
        EXPECT_TRUE(info.error().is_end_of_data()) << c.what;
        EXPECT_EQ(frame_messages(info.error()), c.frames) << c.what;
        EXPECT_EQ(reader.position(), 0U) << c.what;
    }
}

TEST(LandblockInfo, RichRecordRoundTrips) {
    const LandblockInfo info = rich_info();
    ByteWriter w;
    info.pack(w);
    // 16 + 2 stabs of 32 + hall (40 + 12 + 8 + 16) + shed 40 + table 4 + 16.
    EXPECT_EQ(w.position(), 16U + 64U + 76U + 40U + 20U);
    ByteReader reader(w.bytes());
    const auto decoded = LandblockInfo::unpack(reader);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().display();
    EXPECT_EQ(*decoded, info);
    EXPECT_EQ(reader.position(), w.bytes().size());
}

TEST(LandblockInfoDeathTest, PackingMaskAndTableThatDisagreeIsACallerError) {
    LandblockInfo announced_but_absent;
    announced_but_absent.pack_mask = pack_mask_restrictions;
    ByteWriter w1;
    EXPECT_DEBUG_DEATH(announced_but_absent.pack(w1), "disagrees with the restriction table");

    LandblockInfo present_but_unannounced;
    present_but_unannounced.restriction_tables = RestrictionTable{};
    ByteWriter w2;
    EXPECT_DEBUG_DEATH(present_but_unannounced.pack(w2), "disagrees with the restriction table");
}
