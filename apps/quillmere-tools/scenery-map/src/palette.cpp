#include "palette.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace scenery_map::palette {

namespace {

using quillmere_scenery_bake::ObjectFate;

constexpr std::array<Stop, 5> stops = {{
    {0.00, {47, 107, 58}},
    {0.30, {111, 154, 69}},
    {0.55, {201, 178, 107}},
    {0.80, {140, 106, 74}},
    {1.00, {242, 242, 242}},
}};

// A 32-bit finaliser: nearby ids land on unrelated hues.
constexpr std::uint32_t mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352DU;
    x ^= x >> 15;
    x *= 0x846CA68BU;
    x ^= x >> 16;
    return x;
}

Rgb from_hsl(double hue, double saturation, double lightness) {
    const double c = (1.0 - std::fabs(2.0 * lightness - 1.0)) * saturation;
    const double h = hue / 60.0;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    double r = 0;
    double g = 0;
    double b = 0;
    if (h < 1) {
        r = c, g = x;
    } else if (h < 2) {
        r = x, g = c;
    } else if (h < 3) {
        g = c, b = x;
    } else if (h < 4) {
        g = x, b = c;
    } else if (h < 5) {
        r = x, b = c;
    } else {
        r = c, b = x;
    }
    const double m = lightness - c / 2.0;
    return {(r + m) * 255.0, (g + m) * 255.0, (b + m) * 255.0};
}

}  // namespace

std::string hex(Rgb colour) {
    const auto channel = [](double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 255.0))); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", channel(colour.r), channel(colour.g), channel(colour.b));
    return text;
}

std::string model_colour(std::uint32_t model_id) {
    const std::uint32_t bits = mix(model_id);
    const double hue = static_cast<double>(bits % 360U);
    const double lightness = 0.40 + static_cast<double>((bits >> 9) % 3U) * 0.08;
    return hex(from_hsl(hue, 0.75, lightness));
}

Rgb height_colour(double t) {
    if (!(t > 0.0)) return stops.front().colour;
    if (t >= 1.0) return stops.back().colour;
    std::size_t i = 1;
    while (stops[i].at < t) ++i;
    const Stop& low = stops[i - 1];
    const Stop& high = stops[i];
    const double f = (t - low.at) / (high.at - low.at);
    return {low.colour.r + (high.colour.r - low.colour.r) * f, low.colour.g + (high.colour.g - low.colour.g) * f,
            low.colour.b + (high.colour.b - low.colour.b) * f};
}

std::span<const Stop> height_stops() { return stops; }

Rgb shaded(Rgb colour, double shade) {
    return {std::clamp(colour.r * shade, 0.0, 255.0), std::clamp(colour.g * shade, 0.0, 255.0),
            std::clamp(colour.b * shade, 0.0, 255.0)};
}

std::string_view fate_slug(ObjectFate fate) {
    switch (fate) {
        case ObjectFate::placed: return "placed";
        case ObjectFate::dropped_by_frequency: return "frequency";
        case ObjectFate::dropped_by_skip_marker: return "skip-marker";
        case ObjectFate::dropped_out_of_bounds: return "bounds";
        case ObjectFate::dropped_on_road: return "road";
        case ObjectFate::dropped_by_slope: return "slope";
        case ObjectFate::dropped_without_mesh: return "no-mesh";
        case ObjectFate::dropped_by_overlap: return "overlap";
    }
    return "unknown";
}

std::string_view fate_colour(ObjectFate fate) {
    switch (fate) {
        case ObjectFate::placed: return "#000000";
        case ObjectFate::dropped_by_frequency: return "#8a8a8a";
        case ObjectFate::dropped_by_skip_marker: return "#7e57c2";
        case ObjectFate::dropped_out_of_bounds: return "#ef6c00";
        case ObjectFate::dropped_on_road: return "#d81b60";
        case ObjectFate::dropped_by_slope: return "#00897b";
        case ObjectFate::dropped_without_mesh: return "#1e88e5";
        case ObjectFate::dropped_by_overlap: return "#e53935";
    }
    return "#000000";
}

}  // namespace scenery_map::palette
