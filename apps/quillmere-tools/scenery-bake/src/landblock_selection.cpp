#include "landblock_selection.hpp"

#include <algorithm>
#include <charconv>

namespace scenery_bake_tool {

namespace {

std::expected<std::uint16_t, ToolError> parse_landblock_id(std::string_view text) {
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) digits.remove_prefix(2);
    unsigned value = 0;
    const auto* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value, 16);
    if (digits.size() != 4 || result.ec != std::errc() || result.ptr != end) {
        return std::unexpected(
            ToolError("'" + std::string(text) + "' is not a landblock id: expected 4 hexadecimal digits, e.g. A9B4"));
    }
    return static_cast<std::uint16_t>(value);
}

std::expected<LandblockSelection, ToolError> parse_selection(std::string_view text) {
    if (text == "all") return WholeWorld{};
    if (const auto dash = text.find('-'); dash != std::string_view::npos) {
        const auto first = parse_landblock_id(text.substr(0, dash));
        if (!first) return std::unexpected(first.error());
        const auto last = parse_landblock_id(text.substr(dash + 1));
        if (!last) return std::unexpected(last.error());
        return LandblockRectangle{*first, *last};
    }
    LandblockList list;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto id = parse_landblock_id(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (!id) return std::unexpected(id.error());
        list.landblocks.push_back(*id);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return list;
}

}  // namespace

std::expected<LandblockSelection, ToolError> parse_landblocks(std::string_view text) {
    auto selection = parse_selection(text);
    if (!selection) {
        return std::unexpected(ToolError::wrap("invalid landblocks '" + std::string(text) + "'", selection.error()));
    }
    return selection;
}

std::vector<std::uint16_t> landblock_rectangle(std::uint16_t corner_a, std::uint16_t corner_b) {
    const unsigned ax = corner_a >> 8;
    const unsigned ay = corner_a & 0xFFU;
    const unsigned bx = corner_b >> 8;
    const unsigned by = corner_b & 0xFFU;
    std::vector<std::uint16_t> landblocks;
    landblocks.reserve((std::max(ax, bx) - std::min(ax, bx) + 1) * (std::max(ay, by) - std::min(ay, by) + 1));
    for (unsigned x = std::min(ax, bx); x <= std::max(ax, bx); ++x) {
        for (unsigned y = std::min(ay, by); y <= std::max(ay, by); ++y) {
            landblocks.push_back(static_cast<std::uint16_t>(x << 8 | y));
        }
    }
    return landblocks;
}

std::vector<std::uint16_t> world_landblocks(const quillmere_dat::DatDatabase& cell) {
    std::vector<std::uint16_t> landblocks;
    for (const std::uint32_t id : cell.file_ids()) {
        if ((id & 0xFFFFU) == 0xFFFFU) landblocks.push_back(static_cast<std::uint16_t>(id >> 16));
    }
    return landblocks;
}

std::vector<std::uint16_t> resolve_landblocks(const LandblockSelection& selection,
                                              const quillmere_dat::DatDatabase& cell) {
    std::vector<std::uint16_t> landblocks;
    if (std::holds_alternative<WholeWorld>(selection)) {
        landblocks = world_landblocks(cell);
    } else if (const auto* rectangle = std::get_if<LandblockRectangle>(&selection)) {
        landblocks = landblock_rectangle(rectangle->corner_a, rectangle->corner_b);
    } else {
        landblocks = std::get<LandblockList>(selection).landblocks;
    }
    // Already so for the whole world and a rectangle; a list may come in any
    // order and name a landblock twice.
    std::sort(landblocks.begin(), landblocks.end());
    landblocks.erase(std::unique(landblocks.begin(), landblocks.end()), landblocks.end());
    return landblocks;
}

}  // namespace scenery_bake_tool
