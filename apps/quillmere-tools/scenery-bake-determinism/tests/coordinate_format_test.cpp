// Placement coordinates are written by a shortcut for the floats a landblock
// holds and by the general conversion for the rest; both must give the
// general conversion's text, digit for digit, for every float.

#include "placement_line.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

using scenery_bake_determinism::format_coordinate;

namespace {

// The rule itself: NaN and -0.0 aside, the exact binary value in fixed
// notation with six decimals, ties to even.
std::string reference(float value) {
    if (std::isnan(value)) return "NaN";
    if (value == 0.0F) value = 0.0F;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return {buffer, result.ptr};
}

void expect_same(std::uint32_t bits) {
    const auto value = std::bit_cast<float>(bits);
    ASSERT_EQ(format_coordinate(value), reference(value)) << "bits 0x" << std::hex << bits;
}

}  // namespace

TEST(CoordinateFormat, EveryExponentAndItsNeighbours) {
    // Each exponent with mantissas at both ends and in between, both signs:
    // denormals, the shortcut's edge at 2^43, infinities and NaN.
    for (std::uint32_t sign = 0; sign < 2; ++sign) {
        for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
            for (const std::uint32_t mantissa : {0U, 1U, 2U, 0x3FFFFFU, 0x400000U, 0x400001U, 0x7FFFFEU, 0x7FFFFFU}) {
                expect_same(sign << 31 | exponent << 23 | mantissa);
            }
        }
    }
}

TEST(CoordinateFormat, TiesRoundToTheEvenDigit) {
    // A multiple of 1/128 has at most seven decimals, so its sixth decimal
    // is exact or a tie (100 + 1/128 = 100.0078125); the finer multiples of
    // 2^-20 below 1/4 cover ties far down the digits.
    for (std::uint32_t n = 0; n < (1U << 20); ++n) {
        expect_same(std::bit_cast<std::uint32_t>(static_cast<float>(n) / 128.0F));
    }
    for (std::uint32_t n = 0; n < (1U << 18); ++n) {
        expect_same(std::bit_cast<std::uint32_t>(static_cast<float>(n) / 1048576.0F));
        expect_same(std::bit_cast<std::uint32_t>(-static_cast<float>(n) / 1048576.0F));
    }
}

TEST(CoordinateFormat, RandomFloats) {
    std::mt19937 rng(5);
    for (int k = 0; k < 500000; ++k) expect_same(static_cast<std::uint32_t>(rng()));
}
