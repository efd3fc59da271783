#include "placement_line.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace scenery_bake_determinism {

namespace {

// |value| * 10^6 rounded to an integer, ties to even, computed exactly from
// the float's bits: value = m * 2^e with m below 2^24, so m * 10^6 is below
// 2^44 and a shift finishes the job. Nothing when the result would not fit
// 64 bits (|value| of 2^43 or more).
std::optional<std::uint64_t> scaled_micro_units(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t biased = bits >> 23 & 0xFFU;
    const std::uint64_t mantissa = bits & 0x7FFFFFU;
    const std::uint64_t m = biased == 0 ? mantissa : mantissa | 0x800000U;
    const int e = (biased == 0 ? 1 : static_cast<int>(biased)) - 150;
    const std::uint64_t product = m * 1000000U;
    if (e >= 0) {
        if (e > 19) return std::nullopt;
        return product << e;
    }
    const int shift = -e;
    // Below half a millionth: the product is under 2^44, far from 2^63.
    if (shift >= 64) return 0;
    const std::uint64_t whole = product >> shift;
    const std::uint64_t rest = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    return rest > half || (rest == half && (whole & 1U) != 0) ? whole + 1 : whole;
}

void append_coordinate(std::string& out, float value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (value == 0.0F) value = 0.0F;  // -0.0 prints as 0.000000
    const auto micro = std::isfinite(value) ? scaled_micro_units(value) : std::nullopt;
    char buffer[64];
    if (!micro) {
        // Fixed notation with six decimals is exact for every float (at most
        // 39 integer digits); to_chars rounds the exact binary value, ties to
        // even, and writes infinities as inf and -inf.
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
        out.append(buffer, result.ptr);
        return;
    }
    // The same digits, for the values a landblock holds, without the
    // general conversion: a sign for any negative value (a tiny one reads
    // -0.000000), the whole part, then six decimals.
    char* end = buffer;
    if (std::signbit(value)) *end++ = '-';
    end = std::to_chars(end, buffer + sizeof buffer, *micro / 1000000U).ptr;
    *end++ = '.';
    std::uint64_t fraction = *micro % 1000000U;
    for (int digit = 6; digit-- > 0;) {
        end[digit] = static_cast<char>('0' + fraction % 10U);
        fraction /= 10U;
    }
    out.append(buffer, end + 6);
}

void append_field(std::string& out, const char* key, float value) {
    out += ",\"";
    out += key;
    out += "\":";
    append_coordinate(out, value);
}

void append_field(std::string& out, const char* key, std::uint32_t value) {
    out += ",\"";
    out += key;
    out += "\":";
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Exactly 8 upper-case hexadecimal digits.
void append_hex8(std::string& out, std::uint32_t value) {
    constexpr char digits[] = "0123456789ABCDEF";
    char buffer[8];
    for (int i = 7; i >= 0; --i) {
        buffer[i] = digits[value & 0xFU];
        value >>= 4;
    }
    out.append(buffer, sizeof buffer);
}

}  // namespace

std::string format_coordinate(float value) {
    std::string out;
    append_coordinate(out, value);
    return out;
}

void append_placement_line(std::string& out, const quillmere_scenery_bake::SceneryPlacement& p) {
    out += "{\"obj_id\":\"0x";
    append_hex8(out, p.obj_id);
    out += "\"";
    append_field(out, "x", p.x);
    append_field(out, "y", p.y);
    append_field(out, "z", p.z);
    append_field(out, "qw", p.qw);
    append_field(out, "qx", p.qx);
    append_field(out, "qy", p.qy);
    append_field(out, "qz", p.qz);
    append_field(out, "scale", p.scale);
    append_field(out, "source_cell_x", p.source_cell_x);
    append_field(out, "source_cell_y", p.source_cell_y);
    append_field(out, "source_obj_idx", p.source_obj_idx);
    out += "}";
}

std::string placement_line(const quillmere_scenery_bake::SceneryPlacement& placement) {
    // Built in a buffer that is reused, then copied into a string of exactly
    // its size: a run keeps every line until the runs are compared.
    thread_local std::string scratch;
    scratch.clear();
    append_placement_line(scratch, placement);
    return scratch;
}

}  // namespace scenery_bake_determinism
