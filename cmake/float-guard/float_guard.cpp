// Run once per build tree before any library is built: fails (exit status 1)
// when the flags every target builds with let the compiler fuse a multiply
// and an add into one rounding, or reassociate float sums. Such flags change
// the baker's placements from one build to the next. Inputs are read through
// volatiles, so nothing is evaluated at compile time, where nothing fuses.

#include <cfloat>
#include <cstdio>

#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__ != 0)
#error "the project's targets must not build with fast-math or finite-math-only"
#endif
static_assert(FLT_EVAL_METHOD == 0, "float and double operations must round to their own precision");

namespace {

[[gnu::noinline]] float multiply_add(float a, float b, float c) { return a * b + c; }
[[gnu::noinline]] double multiply_add(double a, double b, double c) { return a * b + c; }
[[gnu::noinline]] float sum_difference(float a, float b) { return (a + b) - b; }

#if defined(__x86_64__)
// The same expressions for a CPU with fused multiply-add instructions, so a
// build whose target CPU has none is checked too.
[[gnu::noinline, gnu::target("fma")]] float multiply_add_fma_cpu(float a, float b, float c) { return a * b + c; }
[[gnu::noinline, gnu::target("fma")]] double multiply_add_fma_cpu(double a, double b, double c) {
    return a * b + c;
}
#endif

int failures = 0;

template <typename T>
void expect_zero(const char* what, T value) {
    if (value == T{0}) return;
    std::fprintf(stderr, "float guard: %s is %a, not 0: the build's flags change float results\n", what,
                 static_cast<double>(value));
    ++failures;
}

}  // namespace

int main() {
    // (1 + 2^-12)^2 - (1 + 2^-11) is 0 with the product rounded on its own
    // and 2^-24 fused; (1 + 2^-27)^2 - (1 + 2^-26) is 0 or 2^-54 in double.
    volatile float fa = 0x1.001p0F;
    volatile float fc = -0x1.002p0F;
    volatile double da = 0x1.0000002p0;
    volatile double dc = -0x1.0000004p0;
    expect_zero("float a * b + c", multiply_add(fa, fa, fc));
    expect_zero("double a * b + c", multiply_add(da, da, dc));
#if defined(__x86_64__)
    if (__builtin_cpu_supports("fma")) {
        expect_zero("float a * b + c on an FMA CPU", multiply_add_fma_cpu(fa, fa, fc));
        expect_zero("double a * b + c on an FMA CPU", multiply_add_fma_cpu(da, da, dc));
    }
#endif
    // (1 + 2^25) rounds to 2^25 in float; reassociated the result is 1.
    volatile float one = 1.0F;
    volatile float big = 0x1p25F;
    expect_zero("float (1 + 2^25) - 2^25", sum_difference(one, big));
    return failures == 0 ? 0 : 1;
}
