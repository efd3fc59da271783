#pragma once

#include "map_data.hpp"

#include <string>

namespace scenery_map {

// Whether the cell's diagonal runs from its (X0, Y0) corner to (X1, Y1),
// rather than from (X1, Y0) to (X0, Y1): the split the triangle height
// model uses for cell (cx, cy) of landblock `landblock`.
[[nodiscard]] bool cell_split_rising(std::uint16_t landblock, unsigned cx, unsigned cy);

// The map as a self-contained SVG document (no scripts, no outside
// resources), north up: terrain cells shaded by height as the baker's two
// triangles each, their diagonals, road vertices, landblock borders and ids,
// building footprints, one element of class "placement" per placed object
// (its model's box, scaled and turned by its heading, coloured by model id,
// with a tooltip), the dropped objects when collected, a legend and a scale
// bar. `caption` names the landblocks in the legend.
[[nodiscard]] std::string render_svg(const MapData& map, const std::string& caption);

}  // namespace scenery_map
