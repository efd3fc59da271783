#include "svg_text.hpp"

#include <cmath>
#include <cstdio>

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
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0') out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
    if (out == "-0") out = "0";
    return out;
}

}  // namespace scenery_map::svg
