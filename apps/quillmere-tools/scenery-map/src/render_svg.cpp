#include "render_svg.hpp"

#include "palette.hpp"
#include "run_result.hpp"
#include "svg_text.hpp"

#include <quillmere/scenery_bake/scenery_hash.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

namespace scenery_map {

namespace {

using quillmere_scenery_bake::ObjectFate;
using svg::escaped;
using svg::number;

constexpr double landblock_units = 192.0;
constexpr double cell_units = 24.0;
constexpr int cells = 8;
constexpr int side = quillmere_dat::landblock::vertices_per_side;
constexpr double margin = 24.0;
constexpr double legend_width = 300.0;
constexpr double scale_bar_space = 56.0;
constexpr double smallest_marker = 0.6;  // units; smaller models stay visible when zoomed

const char* const style = R"(
.lb-border{fill:none;stroke:#1b1b1b;stroke-width:1.2}
.lb-label{font:600 13px sans-serif;fill:#111;paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}
.no-terrain{fill:#d6d6d6}
.no-terrain-label{font:italic 12px sans-serif;fill:#555}
.diagonals{fill:none;stroke:#000;stroke-opacity:.15;stroke-width:.2}
.road{fill:#2b2b2b;stroke:#fff;stroke-width:.6}
.building{fill:#fff;fill-opacity:.35;stroke:#111;stroke-width:1.2}
.placement{stroke:#000;stroke-opacity:.65;stroke-width:.3}
.drop{opacity:.5}
.legend text{font:12px sans-serif;fill:#111}
.legend .heading{font:600 15px sans-serif}
.legend .section{font:600 13px sans-serif}
.scale-bar text{font:12px sans-serif;fill:#111}
.scale-bar rect{stroke:#111;stroke-width:1}
)";

const ObjectFate drop_fates[] = {
    ObjectFate::dropped_by_frequency, ObjectFate::dropped_by_skip_marker, ObjectFate::dropped_out_of_bounds,
    ObjectFate::dropped_on_road,      ObjectFate::dropped_by_slope,       ObjectFate::dropped_without_mesh,
    ObjectFate::dropped_by_overlap,
};

// Where the landblocks lie: the rectangle that holds them all, north up.
struct Frame {
    unsigned x_first = 0;
    unsigned y_last = 0;
    double width = 0;   // map area in units
    double height = 0;

    explicit Frame(const MapData& map) {
        unsigned x_last = 0;
        unsigned y_first = 0xFF;
        x_first = 0xFF;
        for (const auto& entry : map.landblocks) {
            x_first = std::min(x_first, unsigned{entry.landblock} >> 8);
            x_last = std::max(x_last, unsigned{entry.landblock} >> 8);
            y_first = std::min(y_first, unsigned{entry.landblock} & 0xFFU);
            y_last = std::max(y_last, unsigned{entry.landblock} & 0xFFU);
        }
        if (map.landblocks.empty()) x_first = x_last = y_first = y_last = 0;
        width = (x_last - x_first + 1) * landblock_units;
        height = (y_last - y_first + 1) * landblock_units;
    }

    // Landblock-local (x, y) of `landblock` on the page.
    [[nodiscard]] double page_x(std::uint16_t landblock, double x) const {
        return margin + ((landblock >> 8) - x_first) * landblock_units + x;
    }
    [[nodiscard]] double page_y(std::uint16_t landblock, double y) const {
        return margin + (y_last - (landblock & 0xFFU)) * landblock_units + (landblock_units - y);
    }
    [[nodiscard]] double page_x(std::uint16_t landblock, float x) const {
        return page_x(landblock, static_cast<double>(x));
    }
    [[nodiscard]] double page_y(std::uint16_t landblock, float y) const {
        return page_y(landblock, static_cast<double>(y));
    }
};

std::string point(double x, double y) { return number(x) + " " + number(y); }

// Heading in degrees from the placement's rotation about the vertical axis.
double heading_degrees(const quillmere_scenery_bake::SceneryPlacement& p) {
    return 2.0 * std::atan2(static_cast<double>(p.qz), static_cast<double>(p.qw)) * 180.0 / std::numbers::pi;
}

struct HeightRange {
    double low = 0;
    double high = 0;

    [[nodiscard]] double fraction(double h) const { return high > low ? (h - low) / (high - low) : 0.5; }
};

HeightRange height_range(const MapData& map) {
    HeightRange range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const auto& entry : map.landblocks) {
        if (!entry.terrain) continue;
        for (const float h : entry.terrain->heights) {
            if (!std::isfinite(h)) continue;
            range.low = std::min(range.low, static_cast<double>(h));
            range.high = std::max(range.high, static_cast<double>(h));
        }
    }
    if (range.low > range.high) range = {0, 0};
    return range;
}

struct Vertex3 {
    double x;
    double y;
    double h;
};

// A triangle's colour: its mean height on the ramp, lit from the north-west
// so slopes show.
std::string triangle_fill(const Vertex3& a, const Vertex3& p, const Vertex3& q, const HeightRange& range) {
    const double ux = p.x - a.x, uy = p.y - a.y, uh = p.h - a.h;
    const double vx = q.x - a.x, vy = q.y - a.y, vh = q.h - a.h;
    double nx = uy * vh - uh * vy;
    double ny = uh * vx - ux * vh;
    double nh = ux * vy - uy * vx;
    if (nh < 0) nx = -nx, ny = -ny, nh = -nh;
    const double length = std::sqrt(nx * nx + ny * ny + nh * nh);
    double shade = 1.0;
    if (length > 0 && std::isfinite(length)) {
        // Light from the north-west, 45 degrees up; flat ground keeps its colour.
        const double lx = -0.5, ly = 0.5, lh = std::numbers::sqrt2 / 2;
        const double lit = (nx * lx + ny * ly + nh * lh) / length;
        shade = std::clamp(lit / lh, 0.55, 1.3);
    }
    const double mean = (a.h + p.h + q.h) / 3.0;
    return palette::hex(palette::shaded(palette::height_colour(range.fraction(mean)), shade));
}

void draw_terrain(std::string& out, const Frame& frame, const LandblockMap& entry, const HeightRange& range) {
    const std::uint16_t lb = entry.landblock;
    const double left = frame.page_x(lb, 0.0);
    const double top = frame.page_y(lb, landblock_units);
    if (!entry.terrain) {
        out += "<rect class=\"no-terrain\" x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"192\" height=\"192\"/>\n";
        out += "<text class=\"no-terrain-label\" x=\"" + number(left + 96) + "\" y=\"" + number(top + 100) +
               "\" text-anchor=\"middle\">no terrain</text>\n";
        return;
    }
    const auto& heights = entry.terrain->heights;
    const auto vertex = [&](int x, int y) {
        return Vertex3{x * cell_units, y * cell_units, static_cast<double>(heights[static_cast<std::size_t>(x * side + y)])};
    };
    const auto triangle = [&](const Vertex3& a, const Vertex3& p, const Vertex3& q) {
        out += "<path d=\"M" + point(frame.page_x(lb, a.x), frame.page_y(lb, a.y)) + "L" +
               point(frame.page_x(lb, p.x), frame.page_y(lb, p.y)) + "L" +
               point(frame.page_x(lb, q.x), frame.page_y(lb, q.y)) + "Z\" fill=\"" + triangle_fill(a, p, q, range) +
               "\"/>\n";
    };
    std::string diagonals;
    out += "<g class=\"terrain\">\n";
    for (int cx = 0; cx < cells; ++cx) {
        for (int cy = 0; cy < cells; ++cy) {
            const Vertex3 h00 = vertex(cx, cy), h10 = vertex(cx + 1, cy);
            const Vertex3 h01 = vertex(cx, cy + 1), h11 = vertex(cx + 1, cy + 1);
            if (cell_split_rising(lb, static_cast<unsigned>(cx), static_cast<unsigned>(cy))) {
                triangle(h00, h11, h10);
                triangle(h01, h11, h00);
                diagonals += "M" + point(frame.page_x(lb, h00.x), frame.page_y(lb, h00.y)) + "L" +
                             point(frame.page_x(lb, h11.x), frame.page_y(lb, h11.y));
            } else {
                triangle(h00, h01, h10);
                triangle(h10, h01, h11);
                diagonals += "M" + point(frame.page_x(lb, h10.x), frame.page_y(lb, h10.y)) + "L" +
                             point(frame.page_x(lb, h01.x), frame.page_y(lb, h01.y));
            }
        }
    }
    out += "</g>\n<path class=\"diagonals\" d=\"" + diagonals + "\"/>\n";
}

void draw_roads(std::string& out, const Frame& frame, const LandblockMap& entry) {
    if (!entry.terrain) return;
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            const std::uint16_t word = entry.terrain->words[static_cast<std::size_t>(x * side + y)];
            if (quillmere_dat::landblock::road_bits(word) == 0) continue;
            out += "<circle class=\"road\" cx=\"" + number(frame.page_x(entry.landblock, x * cell_units)) +
                   "\" cy=\"" + number(frame.page_y(entry.landblock, y * cell_units)) + "\" r=\"2.2\"/>\n";
        }
    }
}

void draw_buildings(std::string& out, const Frame& frame, const LandblockMap& entry) {
    for (const auto& box : entry.buildings) {
        if (!(box.min_x <= box.max_x && box.min_y <= box.max_y)) continue;
        out += "<rect class=\"building\" x=\"" + number(frame.page_x(entry.landblock, box.min_x)) + "\" y=\"" +
               number(frame.page_y(entry.landblock, box.max_y)) + "\" width=\"" +
               number(static_cast<double>(box.max_x) - static_cast<double>(box.min_x)) + "\" height=\"" +
               number(static_cast<double>(box.max_y) - static_cast<double>(box.min_y)) + "\"/>\n";
    }
}

std::string model_hex(std::uint32_t model_id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", model_id);
    return text;
}

std::string where(const LandblockMap& entry, const quillmere_scenery_bake::SceneryPlacement& p) {
    return "x " + number(p.x) + ", y " + number(p.y) + " in landblock " +
           scenery_bake_determinism::landblock_hex(entry.landblock);
}

std::string source(const quillmere_scenery_bake::SceneryPlacement& p) {
    return "vertex (" + std::to_string(p.source_cell_x) + ", " + std::to_string(p.source_cell_y) + "), object " +
           std::to_string(p.source_obj_idx);
}

void draw_placement(std::string& out, const Frame& frame, const LandblockMap& entry, const MapObject& object) {
    const auto& p = object.object.placement;
    const double cx = frame.page_x(entry.landblock, p.x);
    const double cy = frame.page_y(entry.landblock, p.y);
    const auto scale = static_cast<double>(p.scale);
    // The model's own box, scaled, around the placement; north up, so the
    // model's +y is up the page.
    double left = -0.5, right = 0.5, bottom = -0.5, top = 0.5;
    if (object.model_extent && object.model_extent->min_x <= object.model_extent->max_x) {
        const Footprint& extent = *object.model_extent;
        left = static_cast<double>(extent.min_x) * scale;
        right = static_cast<double>(extent.max_x) * scale;
        bottom = static_cast<double>(extent.min_y) * scale;
        top = static_cast<double>(extent.max_y) * scale;
        if (!(std::isfinite(left) && std::isfinite(right) && std::isfinite(bottom) && std::isfinite(top))) {
            left = bottom = -0.5, right = top = 0.5;
        }
        if (left > right) std::swap(left, right);
        if (bottom > top) std::swap(bottom, top);
    }
    const auto widen = [](double& low, double& high) {
        if (high - low >= smallest_marker) return;
        const double middle = (low + high) / 2;
        low = middle - smallest_marker / 2;
        high = middle + smallest_marker / 2;
    };
    widen(left, right);
    widen(bottom, top);
    const double degrees = heading_degrees(p);
    out += "<rect class=\"placement\" x=\"" + number(cx + left) + "\" y=\"" + number(cy - top) + "\" width=\"" +
           number(right - left) + "\" height=\"" + number(top - bottom) + "\" fill=\"" +
           palette::model_colour(p.obj_id) + "\"";
    // The page's y axis points south, so a turn to the left is negative.
    if (std::isfinite(degrees) && degrees != 0.0) {
        out += " transform=\"rotate(" + number(-degrees) + " " + point(cx, cy) + ")\"";
    }
    out += "><title>" +
           escaped("model " + model_hex(p.obj_id) + "\n" + where(entry, p) + "\nheight " + number(p.z) +
                   "\nscale " + number(p.scale, 3) + "\nheading " + number(degrees, 1) + "\u00B0\n" + source(p)) +
           "</title></rect>\n";
}

void draw_drop(std::string& out, const Frame& frame, const LandblockMap& entry, const MapObject& object) {
    const auto& p = object.object.placement;
    const ObjectFate fate = object.object.fate;
    const bool would = fate == ObjectFate::dropped_by_frequency || fate == ObjectFate::dropped_by_skip_marker;
    out += "<circle class=\"drop drop-" + std::string(palette::fate_slug(fate)) + "\" cx=\"" +
           number(frame.page_x(entry.landblock, p.x)) + "\" cy=\"" + number(frame.page_y(entry.landblock, p.y)) +
           "\" r=\"1.4\"><title>" +
           escaped("dropped: " + std::string(quillmere_scenery_bake::fate_name(fate)) + "\nmodel " +
                   model_hex(p.obj_id) + "\n" + (would ? "would stand at " : "") + where(entry, p) + "\n" +
                   source(p)) +
           "</title></circle>\n";
}

void draw_border(std::string& out, const Frame& frame, std::uint16_t landblock) {
    const double left = frame.page_x(landblock, 0.0);
    const double top = frame.page_y(landblock, landblock_units);
    out += "<rect class=\"lb-border\" x=\"" + number(left) + "\" y=\"" + number(top) +
           "\" width=\"192\" height=\"192\"/>\n<text class=\"lb-label\" x=\"" + number(left + 5) + "\" y=\"" +
           number(top + 16) + "\">" + scenery_bake_determinism::landblock_hex(landblock) + "</text>\n";
}

void draw_scale_bar(std::string& out, const Frame& frame) {
    const double x = margin;
    const double y = margin + frame.height + 20;
    out += "<g class=\"scale-bar\">\n";
    // One landblock in cells of 24 units, alternating dark and light.
    for (int i = 0; i < cells; ++i) {
        out += "<rect x=\"" + number(x + i * cell_units) + "\" y=\"" + number(y) + "\" width=\"24\" height=\"6\" fill=\"" +
               (i % 2 == 0 ? "#222" : "#fff") + "\"/>\n";
    }
    out += "<text x=\"" + number(x) + "\" y=\"" + number(y + 22) + "\">0</text>\n";
    out += "<text x=\"" + number(x + cell_units) + "\" y=\"" + number(y + 22) +
           "\" text-anchor=\"middle\">24</text>\n";
    out += "<text x=\"" + number(x + landblock_units) + "\" y=\"" + number(y + 22) +
           "\" text-anchor=\"middle\">192 units, a landblock</text>\n";
    out += "</g>\n";
}

// The legend; returns its height.
double draw_legend(std::string& out, const MapData& map, const Frame& frame, const HeightRange& range,
                   const std::string& caption) {
    const double x = margin + frame.width + 24;
    double y = margin + 14;
    std::size_t placed = 0;
    std::map<ObjectFate, std::size_t> drops;
    std::map<std::uint32_t, std::size_t> models;
    for (const auto& entry : map.landblocks) {
        placed += entry.placed.size();
        for (const auto& object : entry.placed) ++models[object.object.placement.obj_id];
        for (const auto& object : entry.dropped) ++drops[object.object.fate];
    }
    const auto text = [&](double dx, const std::string& content, const char* cls = nullptr) {
        out += "<text x=\"" + number(x + dx) + "\" y=\"" + number(y) + "\"";
        if (cls != nullptr) out += std::string(" class=\"") + cls + "\"";
        out += ">" + escaped(content) + "</text>\n";
    };

    out += "<g class=\"legend\">\n";
    text(0, "Scenery map", "heading");
    y += 20;
    text(0, caption + ": " + std::to_string(map.landblocks.size()) + " landblocks");
    y += 17;
    text(0, std::to_string(placed) + " placed objects");
    y += 28;

    text(0, "Placed objects", "section");
    y += 18;
    text(0, "the box of the object's model, scaled and turned");
    y += 15;
    text(0, "by its heading; colour by model id");
    y += 20;
    // The most frequent models, most frequent first.
    std::vector<std::pair<std::uint32_t, std::size_t>> ranked(models.begin(), models.end());
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (ranked.size() > 8) ranked.resize(8);
    for (const auto& [model, count] : ranked) {
        out += "<rect x=\"" + number(x) + "\" y=\"" + number(y - 10) + "\" width=\"14\" height=\"10\" fill=\"" +
               palette::model_colour(model) + "\" stroke=\"#000\" stroke-width=\".5\"/>\n";
        text(22, model_hex(model) + "  \u00D7 " + std::to_string(count));
        y += 16;
    }
    y += 12;

    text(0, "Dropped objects", "section");
    y += 18;
    if (map.with_drops) {
        text(0, "where the baker would have put them, and why not:");
        y += 18;
        for (const ObjectFate fate : drop_fates) {
            out += "<circle class=\"drop drop-" + std::string(palette::fate_slug(fate)) + "\" cx=\"" + number(x + 7) +
                   "\" cy=\"" + number(y - 4) + "\" r=\"5\"/>\n";
            const auto found = drops.find(fate);
            text(22, std::string(quillmere_scenery_bake::fate_name(fate)) + "  " +
                         std::to_string(found == drops.end() ? 0 : found->second));
            y += 17;
        }
    } else {
        text(0, "not shown (bake with --drops to see them)");
        y += 17;
    }
    y += 12;

    text(0, "Terrain", "section");
    y += 12;
    out += "<rect x=\"" + number(x) + "\" y=\"" + number(y) +
           "\" width=\"200\" height=\"12\" fill=\"url(#height-ramp)\" stroke=\"#111\" stroke-width=\".5\"/>\n";
    y += 26;
    text(0, "height " + number(range.low));
    out += "<text x=\"" + number(x + 200) + "\" y=\"" + number(y) + "\" text-anchor=\"end\">" + number(range.high) +
           "</text>\n";
    y += 20;
    text(0, "each cell: the two triangles of its height model;");
    y += 15;
    text(0, "zoom in to see the diagonal that splits it");
    y += 20;
    out += "<circle class=\"road\" cx=\"" + number(x + 7) + "\" cy=\"" + number(y - 4) + "\" r=\"3\"/>\n";
    text(22, "road vertex");
    y += 18;
    out += "<rect class=\"building\" x=\"" + number(x) + "\" y=\"" + number(y - 11) +
           "\" width=\"14\" height=\"12\"/>\n";
    text(22, "building footprint");
    y += 18;
    out += "<rect class=\"lb-border\" x=\"" + number(x) + "\" y=\"" + number(y - 11) +
           "\" width=\"14\" height=\"12\"/>\n";
    text(22, "landblock border and id; north is up");
    y += 18;
    out += "</g>\n";
    return y - margin;
}

}  // namespace

bool cell_split_rising(std::uint16_t landblock, unsigned cx, unsigned cy) {
    const std::uint32_t gx = (std::uint32_t{landblock} >> 8) * 8 + cx;
    const std::uint32_t gy = (std::uint32_t{landblock} & 0xFFU) * 8 + cy;
    return (quillmere_scenery_bake::scenery_hash::cell_split(gx, gy) & 0x80000000U) != 0;
}

std::string render_svg(const MapData& map, const std::string& caption) {
    const Frame frame(map);
    const HeightRange range = height_range(map);

    std::string body;
    for (const auto& entry : map.landblocks) draw_terrain(body, frame, entry, range);
    for (const auto& entry : map.landblocks) draw_roads(body, frame, entry);
    for (const auto& entry : map.landblocks) draw_border(body, frame, entry.landblock);
    for (const auto& entry : map.landblocks) draw_buildings(body, frame, entry);
    if (map.with_drops) {
        // Objects dropped for lying outside their landblock may lie off the
        // map too; they are kept to the map's area.
        body += "<clipPath id=\"map-area\"><rect x=\"" + number(margin) + "\" y=\"" + number(margin) +
                "\" width=\"" + number(frame.width) + "\" height=\"" + number(frame.height) + "\"/></clipPath>\n";
        body += "<g class=\"drops\" clip-path=\"url(#map-area)\">\n";
        for (const auto& entry : map.landblocks) {
            for (const auto& object : entry.dropped) draw_drop(body, frame, entry, object);
        }
        body += "</g>\n";
    }
    body += "<g class=\"placements\">\n";
    for (const auto& entry : map.landblocks) {
        for (const auto& object : entry.placed) draw_placement(body, frame, entry, object);
    }
    body += "</g>\n";
    draw_scale_bar(body, frame);
    const double legend_height = draw_legend(body, map, frame, range, caption);

    const double width = margin + frame.width + 24 + legend_width + margin;
    const double height = std::max(margin + frame.height + scale_bar_space, legend_height + 2 * margin);

    std::string out;
    out.reserve(body.size() + 4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" + number(height) +
           "\" viewBox=\"0 0 " + number(width) + " " + number(height) + "\">\n";
    out += "<title>" + escaped("Scenery map: " + caption) + "</title>\n";
    out += "<defs>\n<style>" + std::string(style);
    for (const ObjectFate fate : drop_fates) {
        out += ".drop-" + std::string(palette::fate_slug(fate)) + "{fill:" + std::string(palette::fate_colour(fate)) +
               "}\n";
    }
    out += "</style>\n<linearGradient id=\"height-ramp\">\n";
    for (const auto& stop : palette::height_stops()) {
        out += "<stop offset=\"" + number(stop.at) + "\" stop-color=\"" + palette::hex(stop.colour) + "\"/>\n";
    }
    out += "</linearGradient>\n</defs>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#fbfbf8\"/>\n";
    out += body;
    out += "</svg>\n";
    return out;
}

}  // namespace scenery_map
