#pragma once

#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>

#include <array>
#include <cstdint>

// Terrain height and slope of one landblock. Every step is single precision
// in the order written: the baker's output must be repeatable bit for bit.
// Landblock-local coordinates run from 0 to 192, 24 units per cell.
namespace quillmere_scenery_bake::height {

// 81 vertex heights, entry x * 9 + y (x-major), like CellLandblock.
using HeightGrid = std::array<float, quillmere_dat::landblock::vertex_count>;

inline constexpr float cell_size = 24.0F;
inline constexpr float landblock_size = 192.0F;

// Each vertex's height code looked up in the region's height table.
[[nodiscard]] HeightGrid vertex_heights(const quillmere_dat::file_type::region::Region& region,
                                        const quillmere_dat::landblock::CellLandblock& landblock);

// Height on the cell's two triangles; the diagonal is chosen by a hash of the
// cell's global coordinates. `landblock_id` is the 16-bit id, zero-extended.
[[nodiscard]] float triangle_plane_height_from_grid(const HeightGrid& grid, std::uint32_t landblock_id,
                                                    float x, float y) noexcept;

// Height by bilinear interpolation of the cell's corners.
[[nodiscard]] float bilinear_height_from_grid(const HeightGrid& grid, float x, float y) noexcept;

// Slope angle in radians at (x, y).
[[nodiscard]] float slope_at(const HeightGrid& grid, float x, float y) noexcept;

}  // namespace quillmere_scenery_bake::height
