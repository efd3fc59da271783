#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/scenery_bake/height.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace height = quillmere_scenery_bake::height;
using height::HeightGrid;

namespace {

HeightGrid grid_from(float (*height_at)(int x, int y)) {
    HeightGrid grid{};
    for (int x = 0; x < 9; ++x) {
        for (int y = 0; y < 9; ++y) grid[static_cast<std::size_t>(x * 9 + y)] = height_at(x, y);
    }
    return grid;
}

float at(const HeightGrid& grid, int x, int y) { return grid[static_cast<std::size_t>(x * 9 + y)]; }

// Uneven heights in steps of 0.5, where every product of the plane formula
// is exact, so the plane through a vertex gives that vertex's height exactly.
HeightGrid rugged_grid() {
    return grid_from([](int x, int y) { return 0.5F * static_cast<float>((x * 37 + y * 101) % 97); });
}

// Rises 0.5 per column: the plane z = x / 48.
HeightGrid tilted_grid() {
    return grid_from([](int x, int) { return 0.5F * static_cast<float>(x); });
}

// One cell with corners h00 = h10 = h01 = 0 and h11 = 10.
HeightGrid one_raised_corner(int cx, int cy) {
    HeightGrid grid{};
    grid[static_cast<std::size_t>((cx + 1) * 9 + cy + 1)] = 10.0F;
    return grid;
}

}  // namespace

TEST(VertexHeights, LooksUpEachCodeInTheRegionTable) {
    quillmere_dat::file_type::region::Region region;
    for (std::size_t i = 0; i < region.land_heights.size(); ++i) {
        region.land_heights[i] = static_cast<float>(i) * 2.0F - 100.0F;
    }
    quillmere_dat::landblock::CellLandblock landblock;
    for (std::size_t i = 0; i < landblock.height.size(); ++i) {
        landblock.height[i] = static_cast<std::uint8_t>((i * 53 + 7) % 256);
    }
    landblock.height[80] = 255;
    const HeightGrid grid = height::vertex_heights(region, landblock);
    for (std::size_t i = 0; i < grid.size(); ++i) {
        EXPECT_EQ(grid[i], region.land_heights[landblock.height[i]]) << i;
    }
    EXPECT_EQ(grid[80], 410.0F);
}

TEST(TriangleHeight, VerticesGiveTheirGridHeightForEitherSplit) {
    const HeightGrid grid = rugged_grid();
    // Two landblocks, so that each vertex is reached from cells of both splits.
    for (const std::uint32_t landblock_id : {0x0000U, 0xA9B4U}) {
        for (int x = 0; x < 9; ++x) {
            for (int y = 0; y < 9; ++y) {
                const float px = 24.0F * static_cast<float>(x);
                const float py = 24.0F * static_cast<float>(y);
                EXPECT_EQ(height::triangle_plane_height_from_grid(grid, landblock_id, px, py),
                          at(grid, x, y))
                    << std::hex << landblock_id << std::dec << " vertex " << x << ", " << y;
            }
        }
    }
}

// In landblock 0x0000 the split hash of cell (0, 0) is 0xAE6470DB (top bit
// set: diagonal (X0, Y0)-(X1, Y1)) and of cell (1, 0) is 0x6C488D1E (top bit
// clear: diagonal (X1, Y0)-(X0, Y1)).
TEST(TriangleHeight, CellHashChoosesTheDiagonal) {
    const HeightGrid rising = one_raised_corner(0, 0);
    EXPECT_EQ(height::triangle_plane_height_from_grid(rising, 0x0000, 12.0F, 12.0F), 5.0F);
    // Below the rising diagonal only h11 lifts the plane: z = 10 * fy.
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(rising, 0x0000, 18.0F, 6.0F), 2.5F);
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(rising, 0x0000, 6.0F, 18.0F), 2.5F);

    const HeightGrid falling = one_raised_corner(1, 0);
    EXPECT_EQ(height::triangle_plane_height_from_grid(falling, 0x0000, 36.0F, 12.0F), 0.0F);
    // Beyond the falling diagonal: z = 10 * (fx + fy - 1).
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(falling, 0x0000, 42.0F, 18.0F), 5.0F);
    EXPECT_EQ(height::triangle_plane_height_from_grid(falling, 0x0000, 30.0F, 6.0F), 0.0F);
}

TEST(TriangleHeight, OutsideTheLandblockExtendsTheBorderPlane) {
    const HeightGrid grid = tilted_grid();
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(grid, 0xA9B4, -24.0F, 50.0F), -0.5F);
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(grid, 0xA9B4, 216.0F, 250.0F), 4.5F);
    EXPECT_FLOAT_EQ(height::triangle_plane_height_from_grid(grid, 0xA9B4, 96.0F, -1000.0F), 2.0F);
}

TEST(BilinearHeight, VerticesCentresAndClampedCoordinates) {
    const HeightGrid grid = rugged_grid();
    for (int x = 0; x < 9; ++x) {
        for (int y = 0; y < 9; ++y) {
            EXPECT_EQ(height::bilinear_height_from_grid(grid, 24.0F * static_cast<float>(x),
                                                        24.0F * static_cast<float>(y)),
                      at(grid, x, y))
                << x << ", " << y;
        }
    }
    EXPECT_EQ(height::bilinear_height_from_grid(one_raised_corner(3, 4), 84.0F, 108.0F), 2.5F);

    const HeightGrid tilted = tilted_grid();
    EXPECT_EQ(height::bilinear_height_from_grid(tilted, -24.0F, 50.0F), 0.0F);
    EXPECT_EQ(height::bilinear_height_from_grid(tilted, 216.0F, 50.0F), 4.0F);
    EXPECT_EQ(height::bilinear_height_from_grid(tilted, 1e30F, -1e30F), 4.0F);
}

TEST(Slope, FlatIsZeroAndATiltIsItsAngle) {
    const HeightGrid flat = grid_from([](int, int) { return 7.5F; });
    for (const float p : {-50.0F, 0.0F, 13.0F, 191.0F, 192.0F, 500.0F}) {
        EXPECT_EQ(height::slope_at(flat, p, 192.0F - p), 0.0F) << p;
    }
    // The tilt is 0.5 per 24 units in every cell, also before the near edge.
    const HeightGrid tilted = tilted_grid();
    for (const float p : {-30.0F, 0.0F, 100.0F, 191.0F}) {
        EXPECT_NEAR(height::slope_at(tilted, p, p), std::atan(1.0 / 48.0), 1e-7) << p;
    }
    // On and past the far edge both corners of an axis are vertex 8, so the
    // slope there is 0 whatever the terrain does.
    for (const float p : {192.0F, 300.0F}) EXPECT_EQ(height::slope_at(tilted, p, 10.0F), 0.0F) << p;
    EXPECT_NEAR(height::slope_at(tilted, 10.0F, 192.0F), std::atan(1.0 / 48.0), 1e-7);
}

TEST(HeightFunctions, HostileCoordinatesStayInsideTheGrid) {
    // The grid is read through std::array's checked operator[] in debug
    // builds, so an index past the grid aborts the test.
    const HeightGrid grid = rugged_grid();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {nan, inf, -inf, 1e30F, -1e30F, 192.0001F, -0.0F};
    for (const float x : values) {
        for (const float y : values) {
            (void)height::triangle_plane_height_from_grid(grid, 0xFFFF, x, y);
            (void)height::bilinear_height_from_grid(grid, x, y);
            (void)height::slope_at(grid, x, y);
        }
    }
    EXPECT_TRUE(std::isnan(height::triangle_plane_height_from_grid(grid, 0xA9B4, nan, 10.0F)));
    EXPECT_TRUE(std::isnan(height::bilinear_height_from_grid(grid, 10.0F, nan)));
    EXPECT_FALSE(std::isnan(height::slope_at(grid, nan, nan)));
}
