#pragma once

#include <quillmere/scenery_bake/baker.hpp>

#include <cstddef>
#include <string>

namespace scenery_bake_determinism {

// One placement as a single-line JSON object (no line end). Floats are
// written with exactly six decimals, rounded from their exact binary value
// with ties to even; -0.0 is written as 0.000000, NaN as NaN, infinities as
// inf and -inf. The key order is fixed: the run files are compared byte for
// byte.
[[nodiscard]] std::string placement_line(const quillmere_scenery_bake::SceneryPlacement& placement);

// At least the length of a line whose coordinates have up to three integer
// digits (most are 185 to 198 bytes with their line feed).
inline constexpr std::size_t typical_placement_line_size = 200;

// Appends the placement's line to `out`, without a line end.
void append_placement_line(std::string& out, const quillmere_scenery_bake::SceneryPlacement& placement);

// A float as placement_line writes it.
[[nodiscard]] std::string format_coordinate(float value);

}  // namespace scenery_bake_determinism
