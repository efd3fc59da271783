#pragma once

#include <bit>
#include <cstdint>

// The fixed integer hashes behind every random choice of the scenery baker,
// and the one way a hash becomes a number in [0, 1).
//
// All arithmetic is unsigned 32-bit with wrap-around; a subtraction of a
// constant is written as the addition of its two's complement, so each hash
// reads as a sum of products. gx and gy are global vertex (or cell)
// coordinates: landblock x or y times 8 plus the local column or row.
namespace quillmere_scenery_bake::scenery_hash {

// A draw turns a hash into a double: h * K. K is the double nearest
// 2.3283064e-10, just below 2^-32, so every draw lies in [0, 1).
inline constexpr double draw_factor = std::bit_cast<double>(0x3DEFFFFFF79322D5ULL);

[[nodiscard]] constexpr double draw(std::uint32_t hash) noexcept {
    return static_cast<double>(hash) * draw_factor;
}

// Picks the scene of a vertex from its scene type's list.
[[nodiscard]] constexpr std::uint32_t scene_choice(std::uint32_t gx, std::uint32_t gy) noexcept {
    return (0x2A7F2B89U * gx + 0x6C1AC587U) * gy + 0xBDE41C43U * gx + 0x7F8CDA01U;
}

// The base term r shared by the frequency hash and every per-object hash.
[[nodiscard]] constexpr std::uint32_t base_term(std::uint32_t gx, std::uint32_t gy) noexcept {
    return 0x6C1AC587U * gy + 0xBDE41C43U * gx;
}

// The vertex's frequency threshold: an object is considered only when its
// frequency exceeds the draw of this hash.
[[nodiscard]] constexpr std::uint32_t frequency(std::uint32_t gx, std::uint32_t gy) noexcept {
    return 0x12A1D1D7U * gx * gy + base_term(gx, gy) + 0xF4D7C05FU;
}

// Turns every object offset of the vertex by a multiple of a quarter turn.
[[nodiscard]] constexpr std::uint32_t quarter_turn(std::uint32_t gx, std::uint32_t gy) noexcept {
    return (0x9084269BU * gy + 0xBDE41C43U) * gx + 0x6C1AC587U * gy + 0xE8031203U;
}

// The multiplier m of the per-object hashes.
[[nodiscard]] constexpr std::uint32_t object_multiplier(std::uint32_t gx, std::uint32_t gy) noexcept {
    return 0xAEEE4011U * gx * gy + 0x8F76D049U;
}

// Per-object hashes: (j + salt) * m + r, with j the object's position in its
// scene and one salt per quantity.
inline constexpr std::uint32_t displace_x_salt = 0xB2CD;   // 45773
inline constexpr std::uint32_t displace_y_salt = 0x11C0F;  // 72719
inline constexpr std::uint32_t heading_salt = 0xF697;      // 63127
inline constexpr std::uint32_t scale_salt = 0x7F51;        // 32593

[[nodiscard]] constexpr std::uint32_t object_hash(std::uint32_t object_index, std::uint32_t salt,
                                                  std::uint32_t multiplier,
                                                  std::uint32_t base) noexcept {
    return (object_index + salt) * multiplier + base;
}

// Chooses the diagonal along which a terrain cell is split into two
// triangles: the top bit set means the diagonal from (X0, Y0) to (X1, Y1).
[[nodiscard]] constexpr std::uint32_t cell_split(std::uint32_t gx, std::uint32_t gy) noexcept {
    return (0x0CCAC033U * gx + 0x6C1AC587U) * gy + 0xBDE41C43U * gx + 0xAE6470DBU;
}

}  // namespace quillmere_scenery_bake::scenery_hash
