#include <quillmere/scenery_bake/float_conversion.hpp>
#include <quillmere/scenery_bake/height.hpp>
#include <quillmere/scenery_bake/scenery_hash.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace quillmere_scenery_bake::height {

namespace {

constexpr int cells_per_side = quillmere_dat::landblock::vertices_per_side - 1;  // 8
constexpr int cell_units = 24;

[[nodiscard]] std::size_t grid_index(std::uint32_t column, std::uint32_t row) noexcept {
    return static_cast<std::size_t>(column) * quillmere_dat::landblock::vertices_per_side + row;
}

// The cell a coordinate falls in, clamped to the border cells so that points
// outside the landblock extrapolate the border cell's plane and the far edge
// (192) lies in cell 7 at fraction 1.
[[nodiscard]] std::int32_t clamped_cell(float coordinate) noexcept {
    const std::int32_t cell = saturating_cast<std::int32_t>(std::floor(coordinate / cell_size));
    return std::clamp(cell, 0, cells_per_side - 1);
}

struct Point {
    float x;
    float y;
    float z;
};

// Height at (x, y) on the plane through a, p and q. Nz is always -576 for the
// cell triangles, so the division is well defined.
[[nodiscard]] float plane_height(Point a, Point p, Point q, float x, float y) noexcept {
    const Point u{p.x - a.x, p.y - a.y, p.z - a.z};
    const Point v{q.x - a.x, q.y - a.y, q.z - a.z};
    const float nx = u.y * v.z - u.z * v.y;
    const float ny = u.z * v.x - u.x * v.z;
    const float nz = u.x * v.y - u.y * v.x;
    return ((a.z * nz + (a.x * nx + a.y * ny)) - x * nx - y * ny) / nz;
}

// The two corners of the bilinear cell along one axis: the base index is the
// floor clamped to 8, the far index the floor clamped to 7 plus 1, so on the
// far edge both are 8.
struct AxisCorners {
    std::uint32_t base;
    std::uint32_t far;
};

[[nodiscard]] AxisCorners axis_corners(std::uint32_t floor_index) noexcept {
    return {std::min(floor_index, 8U), std::min(floor_index, 7U) + 1};
}

struct CellCorners {
    float h00;
    float h10;
    float h01;
    float h11;
};

[[nodiscard]] CellCorners corners(const HeightGrid& grid, AxisCorners column, AxisCorners row) noexcept {
    return {grid[grid_index(column.base, row.base)], grid[grid_index(column.far, row.base)],
            grid[grid_index(column.base, row.far)], grid[grid_index(column.far, row.far)]};
}

}  // namespace

HeightGrid vertex_heights(const quillmere_dat::file_type::region::Region& region,
                          const quillmere_dat::landblock::CellLandblock& landblock) {
    HeightGrid grid{};
    const auto& table = region.land_heights;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const std::size_t code = std::min<std::size_t>(landblock.height[i], table.size() - 1);
        grid[i] = table[code];
    }
    return grid;
}

float triangle_plane_height_from_grid(const HeightGrid& grid, std::uint32_t landblock_id, float x,
                                      float y) noexcept {
    const std::int32_t cx = clamped_cell(x);
    const std::int32_t cy = clamped_cell(y);

    const std::uint32_t lbx = (landblock_id >> 8) & 0xFFU;
    const std::uint32_t lby = landblock_id & 0xFFU;
    const std::uint32_t gx = lbx * 8 + static_cast<std::uint32_t>(cx);
    const std::uint32_t gy = lby * 8 + static_cast<std::uint32_t>(cy);
    const bool split_rising = (scenery_hash::cell_split(gx, gy) & 0x80000000U) != 0;

    const std::int32_t ix0 = cell_units * cx;
    const std::int32_t iy0 = cell_units * cy;
    const std::int32_t ix1 = ix0 + cell_units;
    const std::int32_t iy1 = iy0 + cell_units;
    const auto x0 = static_cast<float>(ix0);
    const auto y0 = static_cast<float>(iy0);
    const auto x1 = static_cast<float>(ix1);
    const auto y1 = static_cast<float>(iy1);

    const auto ucx = static_cast<std::uint32_t>(cx);
    const auto ucy = static_cast<std::uint32_t>(cy);
    const float h00 = grid[grid_index(ucx, ucy)];
    const float h10 = grid[grid_index(ucx + 1, ucy)];
    const float h01 = grid[grid_index(ucx, ucy + 1)];
    const float h11 = grid[grid_index(ucx + 1, ucy + 1)];

    // Barycentric test against the first triangle. XP is the x of its P
    // corner; the products X0*Y1 and X1*Y1 are exact integers, XP*Y0 is a
    // float product. A point on the diagonal belongs to the first triangle.
    const float xp = split_rising ? x1 : x0;
    const float r = 1.0F / -576.0F;
    const auto x0y1 = static_cast<float>(ix0 * iy1);
    const auto x1y1 = static_cast<float>(ix1 * iy1);
    const float b1 = (y * (xp - x0) + ((x0y1 - xp * y0) - cell_size * x)) * r;
    const float b2 = (y * (x1 - xp) + (cell_size * x + (xp * y0 - x1y1))) * r;
    const bool first = b1 >= 0.0F && b2 >= 0.0F && b2 <= 1.0F - b1;

    if (split_rising) {
        if (first) return plane_height({x0, y0, h00}, {x1, y1, h11}, {x1, y0, h10}, x, y);
        return plane_height({x0, y1, h01}, {x1, y1, h11}, {x0, y0, h00}, x, y);
    }
    if (first) return plane_height({x0, y0, h00}, {x0, y1, h01}, {x1, y0, h10}, x, y);
    return plane_height({x1, y0, h10}, {x0, y1, h01}, {x1, y1, h11}, x, y);
}

float bilinear_height_from_grid(const HeightGrid& grid, float x, float y) noexcept {
    // Clamping keeps a NaN (every comparison with it is false).
    const auto clamp_to_grid = [](float value) {
        if (value < 0.0F) return 0.0F;
        if (value > 8.0F) return 8.0F;
        return value;
    };
    const float u = clamp_to_grid(x / cell_size);
    const float v = clamp_to_grid(y / cell_size);
    const AxisCorners column = axis_corners(saturating_cast<std::uint32_t>(std::floor(u)));
    const AxisCorners row = axis_corners(saturating_cast<std::uint32_t>(std::floor(v)));
    const float tx = u - static_cast<float>(column.base);
    const float ty = v - static_cast<float>(row.base);

    const CellCorners h = corners(grid, column, row);
    const float t00 = (h.h00 * (1.0F - tx)) * (1.0F - ty);
    const float t10 = (h.h10 * tx) * (1.0F - ty);
    const float t01 = (h.h01 * (1.0F - tx)) * ty;
    const float t11 = (h.h11 * tx) * ty;
    return t11 + (t01 + (t10 + t00));
}

float slope_at(const HeightGrid& grid, float x, float y) noexcept {
    const float u = std::max(0.0F, x / cell_size);
    const float v = std::max(0.0F, y / cell_size);
    const auto cell_of = [](float value) {
        if (value > 8.0F) return 8U;
        return saturating_cast<std::uint32_t>(std::floor(value));
    };
    const CellCorners h = corners(grid, axis_corners(cell_of(u)), axis_corners(cell_of(v)));
    const float sx = (((h.h11 - h.h01) + (h.h10 - h.h00)) * 0.5F) / cell_size;
    const float sy = (((h.h11 - h.h10) + (h.h01 - h.h00)) * 0.5F) / cell_size;
    return std::atan(std::sqrt(sx * sx + sy * sy));
}

}  // namespace quillmere_scenery_bake::height
