#include "placement_line.hpp"

#include <charconv>
#include <cmath>

namespace scenery_bake_determinism {

namespace {

void append_coordinate(std::string& out, float value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (value == 0.0F) value = 0.0F;  // -0.0 prints as 0.000000
    // Fixed notation with six decimals is exact for every float (at most 39
    // integer digits); to_chars rounds the exact binary value, ties to even.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
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
    std::string out;
    out.reserve(256);
    append_placement_line(out, placement);
    return out;
}

}  // namespace scenery_bake_determinism
