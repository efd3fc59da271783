#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/text_encoding.hpp>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillmere_dat::utils {

namespace {

[[noreturn]] void contract_violation(const char* what) {
    std::fprintf(stderr, "ByteWriter: %s\n", what);
    std::abort();
}

bool looks_like_byte_order_mark(std::string_view bytes) {
    return bytes.size() >= 2 && (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
                                 (bytes.size() >= 3 && bytes.starts_with("\xEF\xBB\xBF")));
}

}  // namespace

void ByteWriter::write_f32(float value) { write_le(std::bit_cast<std::uint32_t>(value), 4); }
void ByteWriter::write_f64(double value) { write_le(std::bit_cast<std::uint64_t>(value), 8); }

void ByteWriter::write_pstring(std::string_view text, unsigned length_size) {
    std::string encoded;
    if (auto single_byte = text::utf8_to_windows_1252(text);
        single_byte && (single_byte->size() == 1 || !looks_like_byte_order_mark(*single_byte))) {
        encoded = std::move(*single_byte);
    } else {
        encoded = "\xEF\xBB\xBF";
        encoded += text;
    }
    const std::uint64_t length = encoded.size();
    switch (length_size) {
        case 1:
            if (length > 0xFF) contract_violation("text too long for a 1-byte length");
            write_u8(static_cast<std::uint8_t>(length));
            break;
        case 2:
            if (length > 0xFFFF) contract_violation("text too long for a 2-byte length");
            write_u16(static_cast<std::uint16_t>(length));
            break;
        case 4:
            if (length > 0xFFFFFFFF) contract_violation("text too long for a 4-byte length");
            write_u32(static_cast<std::uint32_t>(length));
            break;
        default: contract_violation("unsupported length size");
    }
    for (const char c : encoded) write_u8(static_cast<std::uint8_t>(c));
}

void ByteWriter::write_compressed_u32(std::uint32_t value) {
    if (value < 0x80) {
        write_u8(static_cast<std::uint8_t>(value));
    } else if (value < 0x4000) {
        write_u8(static_cast<std::uint8_t>(0x80 | (value >> 8)));
        write_u8(static_cast<std::uint8_t>(value));
    } else if (value <= 0x3FFFFFFF) {
        write_u8(static_cast<std::uint8_t>(0xC0 | (value >> 24)));
        write_u8(static_cast<std::uint8_t>(value >> 16));
        write_u16(static_cast<std::uint16_t>(value));
    } else {
        contract_violation("compressed u32 above 0x3FFFFFFF");
    }
}

void ByteWriter::write_smart_vec(std::span<const std::uint32_t> values) {
    write_compressed_u32(static_cast<std::uint32_t>(values.size()));
    for (const std::uint32_t v : values) write_u32(v);
}

}  // namespace quillmere_dat::utils
