#include <quillmere/scenery_bake/float_conversion.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

using quillmere_scenery_bake::saturating_cast;

namespace {
constexpr float inf_f = std::numeric_limits<float>::infinity();
constexpr double inf_d = std::numeric_limits<double>::infinity();
constexpr std::int32_t i32_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t i32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::uint32_t u32_max = std::numeric_limits<std::uint32_t>::max();
}  // namespace

TEST(SaturatingCast, FloatToInt32) {
    struct Case {
        float value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {-std::numeric_limits<float>::quiet_NaN(), 0},
        {inf_f, i32_max},
        {-inf_f, i32_min},
        {2147483648.0F, i32_max},    // 2^31, one past the largest int32
        {2147483520.0F, 2147483520},  // the largest float below 2^31
        {-2147483648.0F, i32_min},    // exactly representable
        {-2147483904.0F, i32_min},    // the next float below
        {-1.75F, -1},                 // truncation toward zero, not floor
        {1.75F, 1},
        {-0.0F, 0},
        {1e30F, i32_max},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(saturating_cast<std::int32_t>(c.value), c.expected) << c.value;
    }
}

TEST(SaturatingCast, ToUnsignedAndFromDouble) {
    EXPECT_EQ(saturating_cast<std::uint32_t>(-1.0F), 0U);
    EXPECT_EQ(saturating_cast<std::uint32_t>(-0.5F), 0U);
    EXPECT_EQ(saturating_cast<std::uint32_t>(-inf_f), 0U);
    EXPECT_EQ(saturating_cast<std::uint32_t>(inf_f), u32_max);
    EXPECT_EQ(saturating_cast<std::uint32_t>(4294967040.0F), 4294967040U);  // largest float < 2^32
    EXPECT_EQ(saturating_cast<std::uint32_t>(4294967296.0F), u32_max);
    EXPECT_EQ(saturating_cast<std::uint32_t>(std::nan("")), 0U);

    EXPECT_EQ(saturating_cast<std::int32_t>(2147483647.0), i32_max);
    EXPECT_EQ(saturating_cast<std::int32_t>(2147483647.9), i32_max);
    EXPECT_EQ(saturating_cast<std::int32_t>(-2147483648.9), i32_min);
    EXPECT_EQ(saturating_cast<std::uint32_t>(4294967295.5), u32_max);
    EXPECT_EQ(saturating_cast<std::uint64_t>(inf_d), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(saturating_cast<std::uint64_t>(2.9), 2U);
    EXPECT_EQ(saturating_cast<std::int64_t>(-inf_d), std::numeric_limits<std::int64_t>::min());
}
