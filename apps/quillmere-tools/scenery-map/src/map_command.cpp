#include "map_command.hpp"

#include "map_data.hpp"
#include "render_svg.hpp"
#include "write_lines.hpp"

#include <quillmere/common/try.hpp>
#include <quillmere/dat/error/io_error.hpp>

#include <algorithm>
#include <system_error>

namespace scenery_map {

namespace {

// The landblocks the map's rectangle spans.
std::size_t spanned(std::span<const std::uint16_t> landblocks) {
    unsigned x_low = 0xFF, x_high = 0, y_low = 0xFF, y_high = 0;
    for (const std::uint16_t lb : landblocks) {
        x_low = std::min(x_low, unsigned{lb} >> 8);
        x_high = std::max(x_high, unsigned{lb} >> 8);
        y_low = std::min(y_low, unsigned{lb} & 0xFFU);
        y_high = std::max(y_high, unsigned{lb} & 0xFFU);
    }
    return std::size_t{x_high - x_low + 1} * (y_high - y_low + 1);
}

}  // namespace

std::expected<void, ToolError> run_map(const MapRequest& request, const scenery_bake_tool::Environment& environment) {
    const auto world = QM_TRY(scenery_bake_tool::open_world(request.archives, environment));
    const auto landblocks = scenery_bake_tool::resolve_landblocks(request.landblocks, world.cell);
    if (landblocks.empty()) return std::unexpected(ToolError("no landblocks to draw: the cell archive has no terrain"));
    if (const std::size_t span = spanned(landblocks); span > most_landblocks) {
        return std::unexpected(ToolError("too many landblocks for one map: " + request.caption + " spans " +
                                         std::to_string(span) + ", at most " + std::to_string(most_landblocks) +
                                         " (32 \u00D7 32) fit"));
    }

    const std::string svg = render_svg(collect_map(world, landblocks, request.drops), request.caption);

    if (const auto parent = request.out.parent_path(); !parent.empty()) {
        std::error_code error;
        std::filesystem::create_directories(parent, error);
        if (error) {
            return std::unexpected(
                ToolError::wrap("create " + parent.string(), quillmere_dat::error::IoError::from_errno(error.value())));
        }
    }
    return scenery_bake_determinism::write_file(request.out, svg);
}

}  // namespace scenery_map
