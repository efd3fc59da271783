#pragma once

#include <string>
#include <string_view>

// Small pieces for writing SVG text by hand.
namespace scenery_map::svg {

// `text` with &, <, >, " and ' written as entities, for element content and
// attribute values alike.
[[nodiscard]] std::string escaped(std::string_view text);

// A number with at most `decimals` decimals and no trailing zeros: 12.5,
// 192, -0.25. Never "-0"; NaN and infinities become 0, magnitudes are
// bounded by 1e9.
[[nodiscard]] std::string number(double value, int decimals = 2);
[[nodiscard]] inline std::string number(float value, int decimals = 2) {
    return number(static_cast<double>(value), decimals);
}

}  // namespace scenery_map::svg
