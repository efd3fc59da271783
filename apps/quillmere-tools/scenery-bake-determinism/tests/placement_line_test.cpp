#include "placement_line.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using scenery_bake_determinism::format_coordinate;
using scenery_bake_determinism::placement_line;

TEST(PlacementLine, FloatsHaveSixDecimalsFromTheExactBinaryValue) {
    struct Case {
        float value;
        const char* text;
    };
    const std::vector<Case> cases = {
        {-0.0F, "0.000000"},
        {0.0F, "0.000000"},
        {-0.0000001F, "-0.000000"},            // negative, rounds to zero: keeps its sign
        {100.0078125F, "100.007812"},          // exact tie: even last digit
        {100.0234375F, "100.023438"},          // exact tie the other way
        {0.1F, "0.100000"},                    // 0.100000001490116...
        {192.0F, "192.000000"},
        {1e-7F, "0.000000"},
        {3.4028235e38F, "340282346638528859811704183484516925440.000000"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<float>::quiet_NaN(), "NaN"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_coordinate(c.value), c.text) << c.text;
}

TEST(PlacementLine, WritesTheKeysInFixedOrderWithoutBlanks) {
    quillmere_scenery_bake::SceneryPlacement placement;
    placement.obj_id = 0x01000123;
    placement.x = 12.5F;
    placement.y = 100.25F;
    placement.z = 55.0F;
    placement.qw = 1.0F;
    placement.qx = 0.0F;
    placement.qy = -0.0F;
    placement.qz = 0.0F;
    placement.scale = 1.0F;
    placement.source_cell_x = 3;
    placement.source_cell_y = 4;
    placement.source_obj_idx = 0;
    EXPECT_EQ(placement_line(placement),
              "{\"obj_id\":\"0x01000123\",\"x\":12.500000,\"y\":100.250000,\"z\":55.000000,\"qw\":1.000000,"
              "\"qx\":0.000000,\"qy\":0.000000,\"qz\":0.000000,\"scale\":1.000000,\"source_cell_x\":3,"
              "\"source_cell_y\":4,\"source_obj_idx\":0}");

    placement.obj_id = 0xAB;
    placement.source_obj_idx = 4000000000U;
    const auto line = placement_line(placement);
    EXPECT_NE(line.find("\"obj_id\":\"0x000000AB\""), std::string::npos);
    EXPECT_NE(line.find("\"source_obj_idx\":4000000000}"), std::string::npos);
}
