#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

// Float-to-integer conversions with defined results for every input: NaN
// gives 0 and values out of range saturate at the integer type's limits.
// (A plain static_cast of such values is undefined behaviour, which an
// optimiser may turn into different placements in different builds.)
// The value is truncated toward zero; callers floor first where they need to.
namespace quillmere_scenery_bake {

template <typename Int, typename Float>
    requires std::is_integral_v<Int> && std::is_floating_point_v<Float>
[[nodiscard]] constexpr Int saturating_cast(Float value) noexcept {
    if (value != value) return 0;  // NaN
    // Both limits as Float: the lowest is a power of two (exact); the value
    // one past the highest is too, so compare against it with >=.
    constexpr Float lowest = static_cast<Float>(std::numeric_limits<Int>::lowest());
    constexpr Float past_highest =
        static_cast<Float>(std::numeric_limits<Int>::max() / 2 + 1) * static_cast<Float>(2);
    if (value <= lowest) return std::numeric_limits<Int>::lowest();
    if (value >= past_highest) return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

}  // namespace quillmere_scenery_bake
