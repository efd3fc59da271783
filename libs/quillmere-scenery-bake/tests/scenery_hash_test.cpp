#include <quillmere/scenery_bake/scenery_hash.hpp>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace hash = quillmere_scenery_bake::scenery_hash;

// Expected values were computed with Python's unbounded integers straight from
// the signed decimal formulas, then reduced with & 0xFFFFFFFF:
//
//   M = 0xFFFFFFFF
//   hS = ((712977289*gx + 1813693831)*gy - 1109124029*gx + 2139937281) & M
//   r  = (1813693831*gy - 1109124029*gx) & M
//   hF = (312594903*gx*gy + r - 187187105) & M
//   hQ = ((-1870387557*gy - 1109124029)*gx + 1813693831*gy - 402451965) & M
//   m  = (-1360117743*gx*gy - 1888038839) & M
//   object(j, salt) = ((j + salt)*m + r) & M, salts 45773, 72719, 63127, 32593
//   split = ((214614067*gx + 1813693831)*gy - 1109124029*gx - 1369149221) & M
//
// (1355, 1445) is vertex (3, 5) of landblock 0xA9B4: 0xA9*8 + 3, 0xB4*8 + 5.
// (2048, 2048) is beyond every real landblock, so every product wraps.
TEST(SceneryHash, VertexHashesMatchIndependentArithmetic) {
    struct Case {
        std::uint32_t gx, gy;
        std::uint32_t scene, base, frequency, quarter, multiplier;
        std::uint32_t x0, y1, heading2, scale3;  // object hashes for j = 0, 1, 2, 3
    };
    const Case cases[] = {
        {0, 0, 0x7F8CDA01, 0x00000000, 0xF4D7C05F, 0xE8031203, 0x8F76D049,
         0x7EF78C75, 0xC67E0090, 0xEA28A1A1, 0x04508EF4},
        {1, 2, 0x6AA4D864, 0x9619A751, 0xB0350B5E, 0x9F25068A, 0xED53506B,
         0x8FBB7300, 0xD8856201, 0x7C2B8944, 0xCA551F6D},
        {1355, 1445, 0x6EE00F34, 0x497E89A4, 0xF04BBA14, 0x4FC15A54, 0xBC6A7610,
         0x30D63474, 0x2B1FAAA4, 0x32927934, 0xECFF36E4},
        {2048, 2048, 0x58DB2A01, 0xF70E5000, 0x61A6105F, 0x85D16203, 0x93B6D049,
         0x5D45DC75, 0x018C5090, 0xEB76F1A1, 0x205EDEF4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "gx " << c.gx << " gy " << c.gy);
        EXPECT_EQ(hash::scene_choice(c.gx, c.gy), c.scene);
        EXPECT_EQ(hash::base_term(c.gx, c.gy), c.base);
        EXPECT_EQ(hash::frequency(c.gx, c.gy), c.frequency);
        EXPECT_EQ(hash::quarter_turn(c.gx, c.gy), c.quarter);
        EXPECT_EQ(hash::object_multiplier(c.gx, c.gy), c.multiplier);
        const auto object = [&](std::uint32_t j, std::uint32_t salt) {
            return hash::object_hash(j, salt, c.multiplier, c.base);
        };
        EXPECT_EQ(object(0, hash::displace_x_salt), c.x0);
        EXPECT_EQ(object(1, hash::displace_y_salt), c.y1);
        EXPECT_EQ(object(2, hash::heading_salt), c.heading2);
        EXPECT_EQ(object(3, hash::scale_salt), c.scale3);
    }
}

// Cells (gx, gy) of landblock 0x0000 and of 0xA9B4 (gx = 0xA9*8 + cx,
// gy = 0xB4*8 + cy); at (0, 0) the split is the bare constant -1369149221.
TEST(SceneryHash, CellSplitMatchesIndependentArithmetic) {
    struct Case {
        std::uint32_t gx, gy, split;
    };
    const Case cases[] = {
        {0, 0, 0xAE6470DB},    {1, 0, 0x6C488D1E},    {0, 1, 0x1A7F3662},
        {1, 1, 0xE52E12D8},    {2, 2, 0x358D353B},    {1352, 1440, 0xC15BD913},
        {1353, 1440, 0x73B91436}, {1353, 1441, 0x7B65A748},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hash::cell_split(c.gx, c.gy), c.split) << c.gx << ", " << c.gy;
    }
}

TEST(SceneryHash, DrawFactorAndRange) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(hash::draw_factor), 0x3DEFFFFFF79322D5ULL);
    EXPECT_EQ(hash::draw_factor, 2.3283064e-10);
    EXPECT_LT(hash::draw_factor, 0x1p-32);  // just below 2^-32, not equal to it
    EXPECT_EQ(hash::draw(0), 0.0);
    EXPECT_LT(hash::draw(0xFFFFFFFFU), 1.0);
    EXPECT_EQ(hash::draw(0x80000000U), 2147483648.0 * 2.3283064e-10);
}
