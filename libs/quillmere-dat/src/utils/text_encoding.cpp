#include <quillmere/dat/utils/text_encoding.hpp>

#include <array>

namespace quillmere_dat::utils::text {

namespace {

constexpr char32_t replacement = 0xFFFD;

// 0x80..0x9F; 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to themselves.
constexpr std::array<char32_t, 32> windows_1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t windows_1252(std::uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? windows_1252_high[byte - 0x80] : char32_t{byte};
}

// Decodes one code point of valid UTF-8 (the writer's input is our own text).
char32_t next_code_point(std::string_view utf8, std::size_t& i) {
    const auto b0 = static_cast<std::uint8_t>(utf8[i++]);
    if (b0 < 0x80) return b0;
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : 1;
    char32_t cp = b0 & (0x3F >> extra);
    while (extra-- > 0 && i < utf8.size()) cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[i++]) & 0x3F);
    return cp;
}

}  // namespace

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string windows_1252_to_utf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) append_utf8(out, windows_1252(byte));
    return out;
}

// The WHATWG UTF-8 decoder: a sequence that breaks off yields one U+FFFD and
// the offending byte is looked at again as the start of the next sequence.
std::string utf8_lossy(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    char32_t cp = 0;
    int needed = 0;
    int seen = 0;
    std::uint8_t lower = 0x80;
    std::uint8_t upper = 0xBF;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (needed == 0) {
            if (b <= 0x7F) {
                out += static_cast<char>(b);
            } else if (b >= 0xC2 && b <= 0xDF) {
                needed = 1;
                cp = b & 0x1F;
            } else if (b >= 0xE0 && b <= 0xEF) {
                if (b == 0xE0) lower = 0xA0;
                if (b == 0xED) upper = 0x9F;
                needed = 2;
                cp = b & 0x0F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                if (b == 0xF0) lower = 0x90;
                if (b == 0xF4) upper = 0x8F;
                needed = 3;
                cp = b & 0x07;
            } else {
                append_utf8(out, replacement);
            }
            continue;
        }
        if (b < lower || b > upper) {
            cp = 0;
            needed = seen = 0;
            lower = 0x80;
            upper = 0xBF;
            append_utf8(out, replacement);
            --i;  // look at this byte again
            continue;
        }
        lower = 0x80;
        upper = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        if (++seen == needed) {
            append_utf8(out, cp);
            cp = 0;
            needed = seen = 0;
        }
    }
    if (needed != 0) append_utf8(out, replacement);
    return out;
}

// The WHATWG UTF-16 decoder: unpaired surrogates and a trailing odd byte
// become U+FFFD.
std::string utf16_to_utf8(std::span<const std::uint8_t> bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size());
    std::optional<char32_t> lead;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = big_endian ? (char32_t{bytes[i]} << 8) | bytes[i + 1]
                                         : (char32_t{bytes[i + 1]} << 8) | bytes[i];
        if (lead) {
            const char32_t high = *lead;
            lead.reset();
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            append_utf8(out, replacement);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            lead = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            append_utf8(out, replacement);
        } else {
            append_utf8(out, unit);
        }
    }
    if (lead || bytes.size() % 2 != 0) append_utf8(out, replacement);
    return out;
}

std::optional<std::string> utf8_to_windows_1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = next_code_point(utf8, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < windows_1252_high.size(); ++k) {
            if (windows_1252_high[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

}  // namespace quillmere_dat::utils::text
