// The baker's placements are only the same in every build when each float
// operation is rounded on its own, in the precision the source gives it.
// These tests fail when the build's flags let the compiler fuse a multiply
// and an add into one rounding, keep excess precision, reassociate, or
// assume that no NaN occurs. Every input is read through a volatile, so
// nothing is evaluated at compile time, where the compiler never fuses.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__ != 0)
#error "the baker must not be built with fast-math or finite-math-only"
#endif
static_assert(FLT_EVAL_METHOD == 0, "float and double operations must round to their own precision");

namespace {

template <typename T>
[[gnu::noinline]] T multiply_add(T a, T b, T c) {
    return a * b + c;
}

template <typename T>
[[gnu::noinline]] T multiply_subtract(T a, T b, T c) {
    return a * b - c;
}

template <typename T>
[[gnu::noinline]] T subtract_product(T a, T b, T c) {
    return c - a * b;
}

#if defined(__x86_64__)
// The same expressions compiled for a CPU with fused multiply-add
// instructions, so that flags allowing contraction are caught even in a
// build whose target CPU has none.
template <typename T>
[[gnu::noinline, gnu::target("fma")]] T multiply_add_fma_cpu(T a, T b, T c) {
    return a * b + c;
}

template <typename T>
[[gnu::noinline, gnu::target("fma")]] T multiply_subtract_fma_cpu(T a, T b, T c) {
    return a * b - c;
}

template <typename T>
[[gnu::noinline, gnu::target("fma")]] T subtract_product_fma_cpu(T a, T b, T c) {
    return c - a * b;
}

bool cpu_has_fma() { return __builtin_cpu_supports("fma") != 0; }
#endif

template <typename T>
struct ContractionCase {
    const char* expression;
    T (*evaluate)(T, T, T);
    bool needs_fma_cpu;
    T a;
    T b;
    T c;
    T rounded;  // the product rounded, then the sum rounded
    T fused;    // the exact a * b, summed and rounded once
};

template <typename T>
void expect_separate_rounding(const ContractionCase<T>& test) {
#if defined(__x86_64__)
    if (test.needs_fma_cpu && !cpu_has_fma()) return;
#endif
    SCOPED_TRACE(test.expression);
    // The case tells the two apart: fusing gives a different result.
    ASSERT_NE(test.rounded, test.fused);
    volatile T a = test.a;
    volatile T b = test.b;
    volatile T c = test.c;
    EXPECT_EQ(test.evaluate(a, b, c), test.rounded);
}

}  // namespace

// (1 + 2^-12)^2 = 1 + 2^-11 + 2^-24: the 2^-24 is half a float ulp at 1,
// so the rounded product is 1 + 2^-11 (ties to even) and the sum with
// -(1 + 2^-11) is 0, while one rounding of the whole keeps 2^-24.
TEST(FloatRounding, FloatMultiplyAddIsNeverFused) {
    constexpr float a = 0x1.001p0F;
    constexpr float product = 0x1.002p0F;
    constexpr float residue = 0x1p-24F;
    ASSERT_EQ(std::fma(a, a, -product), residue);
    const ContractionCase<float> cases[] = {
        {"a * b + c", multiply_add<float>, false, a, a, -product, 0.0F, residue},
        {"a * b - c", multiply_subtract<float>, false, a, a, product, 0.0F, residue},
        {"c - a * b", subtract_product<float>, false, a, a, product, 0.0F, -residue},
#if defined(__x86_64__)
        {"a * b + c (FMA CPU)", multiply_add_fma_cpu<float>, true, a, a, -product, 0.0F, residue},
        {"a * b - c (FMA CPU)", multiply_subtract_fma_cpu<float>, true, a, a, product, 0.0F, residue},
        {"c - a * b (FMA CPU)", subtract_product_fma_cpu<float>, true, a, a, product, 0.0F, -residue},
#endif
    };
    for (const auto& test : cases) expect_separate_rounding(test);
}

// (1 + 2^-27)^2 = 1 + 2^-26 + 2^-54: the 2^-54 is a quarter of a double ulp
// at 1 and is lost when the product is rounded on its own.
TEST(FloatRounding, DoubleMultiplyAddIsNeverFused) {
    constexpr double a = 0x1.0000002p0;
    constexpr double product = 0x1.0000004p0;
    constexpr double residue = 0x1p-54;
    ASSERT_EQ(std::fma(a, a, -product), residue);
    const ContractionCase<double> cases[] = {
        {"a * b + c", multiply_add<double>, false, a, a, -product, 0.0, residue},
        {"a * b - c", multiply_subtract<double>, false, a, a, product, 0.0, residue},
        {"c - a * b", subtract_product<double>, false, a, a, product, 0.0, -residue},
#if defined(__x86_64__)
        {"a * b + c (FMA CPU)", multiply_add_fma_cpu<double>, true, a, a, -product, 0.0, residue},
        {"a * b - c (FMA CPU)", multiply_subtract_fma_cpu<double>, true, a, a, product, 0.0, residue},
        {"c - a * b (FMA CPU)", subtract_product_fma_cpu<double>, true, a, a, product, 0.0, -residue},
#endif
    };
    for (const auto& test : cases) expect_separate_rounding(test);
}

// Relaxed IEEE rules change results too: (1 + 2^25) - 2^25 is 0 in float
// (the sum rounds to 2^25) but 1 when reassociated; (2^100)^2 / 2^100
// overflows to infinity unless the product is kept in a wider format; a NaN
// stays unequal to itself unless the compiler assumes there are none.
TEST(FloatRounding, NoReassociationExcessPrecisionOrFiniteMathAssumption) {
    volatile float one_input = 1.0F;
    volatile float big_input = 0x1p25F;
    const float one = one_input;
    const float big = big_input;
    EXPECT_EQ((one + big) - big, 0.0F);

    volatile float huge_input = 0x1p100F;
    const float huge = huge_input;
    EXPECT_EQ((huge * huge) / huge, std::numeric_limits<float>::infinity());

    volatile float nan_input = std::numeric_limits<float>::quiet_NaN();
    const float nan = nan_input;
    EXPECT_TRUE(nan != nan);
    EXPECT_TRUE(std::isnan(nan));
}
