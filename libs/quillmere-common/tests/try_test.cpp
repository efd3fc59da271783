#include <quillmere/common/try.hpp>

#include <gtest/gtest.h>

#include <expected>
#include <memory>
#include <string>

namespace {

std::expected<int, std::string> parse_digit(char c) {
    if (c < '0' || c > '9') return std::unexpected(std::string("not a digit: ") + c);
    return c - '0';
}

std::expected<int, std::string> two_digits(const char* s) {
    const int tens = QM_TRY(parse_digit(s[0]));
    const int ones = QM_TRY(parse_digit(s[1]));
    return tens * 10 + ones;
}

std::expected<void, std::string> check_even(int v) {
    if (v % 2 != 0) return std::unexpected(std::string("odd"));
    return {};
}

std::expected<int, std::string> halve(int v) {
    QM_TRY_VOID(check_even(v));
    return v / 2;
}

std::expected<std::unique_ptr<int>, std::string> boxed(int v) { return std::make_unique<int>(v); }

std::expected<int, std::string> unbox(int v) {
    auto p = QM_TRY(boxed(v));  // move-only values pass through
    return *p;
}

}  // namespace

TEST(Try, PassesValuesAndStopsAtTheFirstError) {
    EXPECT_EQ(two_digits("42"), 42);
    EXPECT_EQ(two_digits("x2").error(), "not a digit: x");
    EXPECT_EQ(two_digits("4y").error(), "not a digit: y");
    EXPECT_EQ(halve(8), 4);
    EXPECT_EQ(halve(7).error(), "odd");
    EXPECT_EQ(unbox(5), 5);
}
