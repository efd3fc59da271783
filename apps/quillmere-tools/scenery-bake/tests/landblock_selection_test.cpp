#include "landblock_selection.hpp"
#include "run_result.hpp"
#include "test_world.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using namespace scenery_bake_tool;

TEST(LandblockSelection, ParsesTheThreeForms) {
    struct Case {
        const char* text;
        LandblockSelection expected;
    };
    const std::vector<Case> cases = {
        {"all", WholeWorld{}},
        {"A3AE-AFBA", LandblockRectangle{0xA3AE, 0xAFBA}},
        {"0xa3ae-0XAFBA", LandblockRectangle{0xA3AE, 0xAFBA}},
        {"A9B4", LandblockList{{0xA9B4}}},
        {"A9B5,A9B4,00AB", LandblockList{{0xA9B5, 0xA9B4, 0x00AB}}},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_landblocks(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.expected) << c.text;
    }
}

TEST(LandblockSelection, RejectsAnythingElseNamingThePart) {
    struct Case {
        const char* text;
        const char* part;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"ALL", "ALL"},
        {"A9B", "A9B"},
        {"A9B45", "A9B45"},
        {"A9G4", "A9G4"},
        {"A3AE-", ""},
        {"-AFBA", ""},
        {"A3AE-AFBA-B000", "AFBA-B000"},
        {"A9B4,,A9B5", ""},
        {"A9B4,", ""},
        {" A9B4", " A9B4"},
        {"+9B4", "+9B4"},
        {"0x", "0x"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_landblocks(c.text);
        ASSERT_FALSE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed.error().chain(),
                  (std::vector<std::string>{"invalid landblocks '" + std::string(c.text) + "'",
                                            "'" + std::string(c.part) +
                                                "' is not a landblock id: expected 4 hexadecimal digits, e.g. A9B4"}))
            << c.text;
    }
}

TEST(LandblockSelection, RectanglesAreXMajorFromEitherPairOfCorners) {
    const std::vector<std::uint16_t> expected = {0xA3AE, 0xA3AF, 0xA3B0, 0xA4AE, 0xA4AF, 0xA4B0};
    EXPECT_EQ(landblock_rectangle(0xA3AE, 0xA4B0), expected);
    EXPECT_EQ(landblock_rectangle(0xA4B0, 0xA3AE), expected);
    EXPECT_EQ(landblock_rectangle(0xA3B0, 0xA4AE), expected);
    EXPECT_EQ(landblock_rectangle(0xA9B4, 0xA9B4), std::vector<std::uint16_t>{0xA9B4});
    EXPECT_EQ(landblock_rectangle(0x0000, 0xFFFF).size(), 65536U);
    // The check's square, in the check's order.
    const auto square = landblock_rectangle(0xA3AE, 0xAFBA);
    EXPECT_EQ(square, scenery_bake_determinism::landblock_square());
}

TEST(LandblockSelection, ResolvesToAscendingLandblocksEachOnce) {
    const auto cell = quillmere_dat::DatDatabase::open(test_world::demo().cell);
    ASSERT_TRUE(cell.has_value());

    EXPECT_EQ(resolve_landblocks(LandblockList{{0xA9B5, 0xA9B4, 0xA9B5, 0x00AB}}, *cell),
              (std::vector<std::uint16_t>{0x00AB, 0xA9B4, 0xA9B5}));
    EXPECT_EQ(resolve_landblocks(LandblockRectangle{0xAFBA, 0xA3AE}, *cell), landblock_rectangle(0xA3AE, 0xAFBA));

    // The whole world is every landblock with a terrain file: the demo's
    // square and border, less the one whose terrain file is missing.
    const auto all = resolve_landblocks(WholeWorld{}, *cell);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    for (const std::uint16_t landblock : all) {
        EXPECT_NE(cell->find_entry(std::uint32_t{landblock} << 16 | 0xFFFF), nullptr);
    }
    std::size_t terrain_files = 0;
    for (const std::uint32_t id : cell->file_ids()) terrain_files += (id & 0xFFFF) == 0xFFFF ? 1 : 0;
    EXPECT_EQ(all.size(), terrain_files);
    EXPECT_FALSE(std::binary_search(all.begin(), all.end(), std::uint16_t{0xA5B0}));
    EXPECT_TRUE(std::binary_search(all.begin(), all.end(), std::uint16_t{0xA9B4}));
}
