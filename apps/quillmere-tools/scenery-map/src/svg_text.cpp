#include "svg_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace scenery_map::svg {

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string number(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    // Nothing on a map lies this far out; the bound keeps the text short.
    value = std::fmax(-1e9, std::fmin(value, 1e9));
    char text[64];
    const int written = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::size_t length = written < 0 ? 0 : std::min(static_cast<std::size_t>(written), sizeof text - 1);
    if (std::memchr(text, '.', length) != nullptr) {
        while (text[length - 1] == '0') --length;
        if (text[length - 1] == '.') --length;
    }
    if (length == 2 && text[0] == '-' && text[1] == '0') return "0";
    return std::string(text, length);
}

}  // namespace scenery_map::svg
