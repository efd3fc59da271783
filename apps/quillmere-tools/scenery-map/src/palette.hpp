#pragma once

#include <quillmere/scenery_bake/baker.hpp>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The map's colours. Every colour depends only on its input, so the same
// model or height looks the same in every map.
namespace scenery_map::palette {

struct Rgb {
    double r;  // 0 ... 255
    double g;
    double b;
};

// "#rrggbb".
[[nodiscard]] std::string hex(Rgb colour);

// A colour of its own for each model id: a hue from a mix of the id's bits,
// with fixed saturation and lightness so every marker reads on the terrain.
[[nodiscard]] std::string model_colour(std::uint32_t model_id);

// Terrain colour for a height at `t` between the map's lowest (0) and
// highest (1) vertex: green lowland, tan, brown, snow.
[[nodiscard]] Rgb height_colour(double t);

// The colour stops of height_colour, for the legend's gradient.
struct Stop {
    double at;
    Rgb colour;
};
[[nodiscard]] std::span<const Stop> height_stops();

// Multiplies a colour by `shade`, clamped to 0 ... 255.
[[nodiscard]] Rgb shaded(Rgb colour, double shade);

// The CSS class suffix and colour of a drop reason: "no-mesh", "#1e88e5".
[[nodiscard]] std::string_view fate_slug(quillmere_scenery_bake::ObjectFate fate);
[[nodiscard]] std::string_view fate_colour(quillmere_scenery_bake::ObjectFate fate);

}  // namespace scenery_map::palette
