#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace quillmere_dat::landblock;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;

namespace {

using Bytes = std::vector<std::uint8_t>;

// id, has_objects, terrain word i = 0x0100 + i, height code i = 200 - i.
Bytes landblock_bytes(std::size_t size) {
    ByteWriter w;
    w.write_u32(0xA9B4FFFF);
    w.write_u32(1);
    for (int i = 0; i < vertex_count; ++i) w.write_u16(static_cast<std::uint16_t>(0x0100 + i));
    for (int i = 0; i < vertex_count; ++i) w.write_u8(static_cast<std::uint8_t>(200 - i));
    while (w.position() < size) w.write_u8(0xEE);
    Bytes bytes = std::move(w).take();
    bytes.resize(size);
    return bytes;
}

}  // namespace

TEST(CellLandblock, NeedsExactly251Bytes) {
    for (const std::size_t size : {251U, 252U, 256U}) {
        const Bytes bytes = landblock_bytes(size);
        ByteReader reader(bytes);
        const auto landblock = CellLandblock::unpack(reader);
        ASSERT_TRUE(landblock.has_value()) << size;
        EXPECT_EQ(landblock->id, 0xA9B4FFFFU);
        EXPECT_EQ(landblock->has_objects, 1U);
        EXPECT_EQ(landblock->terrain[80], 0x0100 + 80);
        EXPECT_EQ(landblock->height[80], 200 - 80);
        EXPECT_EQ(reader.position(), 251U);
    }
}

TEST(CellLandblock, ShortDataNamesTheFieldItEndsIn) {
    struct Case {
        std::size_t size;
        std::string message;
    };
    const std::vector<Case> cases = {
        {250, "While parsing field 'height' in CellLandblock"},
        {170, "While parsing field 'height' in CellLandblock"},
        {169, "While parsing field 'terrain' in CellLandblock"},
        {8, "While parsing field 'terrain' in CellLandblock"},
        {7, "While parsing field 'has_objects' in CellLandblock"},
        {3, "While parsing field 'id' in CellLandblock"},
        {0, "While parsing field 'id' in CellLandblock"},
    };
    for (const Case& c : cases) {
        const Bytes bytes = landblock_bytes(c.size);
        ByteReader reader(bytes);
        const auto landblock = CellLandblock::unpack(reader);
        ASSERT_FALSE(landblock.has_value()) << c.size;
        EXPECT_TRUE(landblock.error().is_end_of_data());
        ASSERT_EQ(landblock.error().frames().size(), 1U) << c.size;
        EXPECT_EQ(landblock.error().frames()[0].message(), c.message) << c.size;
        EXPECT_EQ(reader.position(), 0U);
    }
}

TEST(CellLandblock, GridIsColumnMajorInX) {
    // Entry x * 9 + y is vertex (x, y): the tenth word on the wire, at offset
    // 8 + 2 * 9, is vertex (1, 0), and (0, 1) is the second.
    Bytes bytes = landblock_bytes(251);
    bytes[8 + 2 * 9] = 0x5D;  // terrain type 23, road bits 1
    bytes[8 + 2 * 9 + 1] = 0xA0;  // scenery index 20
    bytes[170 + 9] = 77;
    ByteReader reader(bytes);
    const CellLandblock landblock = CellLandblock::unpack(reader).value();
    const std::uint16_t vertex_1_0 = landblock.terrain[1 * vertices_per_side + 0];
    EXPECT_EQ(vertex_1_0, 0xA05D);
    EXPECT_EQ(landblock.terrain[0 * vertices_per_side + 1], 0x0101);
    EXPECT_EQ(landblock.height[1 * vertices_per_side + 0], 77);
    EXPECT_EQ(road_bits(vertex_1_0), 1U);
    EXPECT_EQ(terrain_type_index(vertex_1_0), 23U);
    EXPECT_EQ(scenery_index(vertex_1_0), 20U);
}

TEST(CellLandblock, RoundTrips) {
    const Bytes bytes = landblock_bytes(251);
    ByteReader reader(bytes);
    const CellLandblock landblock = CellLandblock::unpack(reader).value();
    ByteWriter w;
    landblock.pack(w);
    EXPECT_EQ(w.bytes(), bytes);
}
