#include <quillmere/common/try.hpp>
#include <quillmere/dat/utils/primitives.hpp>
#include <quillmere/dat/utils/text_encoding.hpp>

#include <limits>

namespace quillmere_dat::utils {

namespace {

bool starts_with(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (const std::uint8_t b : prefix) {
        if (bytes[i++] != b) return false;
    }
    return true;
}

std::string decode_text(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2) {
        if (bytes.size() >= 3 && starts_with(bytes, {0xEF, 0xBB, 0xBF})) {
            return text::utf8_lossy(bytes.subspan(3));
        }
        if (starts_with(bytes, {0xFF, 0xFE})) return text::utf16_to_utf8(bytes.subspan(2), false);
        if (starts_with(bytes, {0xFE, 0xFF})) return text::utf16_to_utf8(bytes.subspan(2), true);
    }
    return text::windows_1252_to_utf8(bytes);
}

}  // namespace

ReadResult<std::string> read_pstring(ByteReader& reader, unsigned length_size) {
    std::uint32_t length = 0;
    switch (length_size) {
        case 1: length = QM_TRY(reader.read_u8()); break;
        case 2: length = QM_TRY(reader.read_u16()); break;
        case 4: length = QM_TRY(reader.read_u32()); break;
        default:
            return std::unexpected(
                error::ReadError::check("Unsupported PString length size", reader.position()));
    }
    const auto bytes = QM_TRY(reader.read_bytes(length));
    return decode_text(bytes);
}

ReadResult<std::uint32_t> read_compressed_u32(ByteReader& reader) {
    const std::uint32_t b0 = QM_TRY(reader.read_u8());
    if (b0 < 0x80) return b0;
    const std::uint32_t b1 = QM_TRY(reader.read_u8());
    if (b0 < 0xC0) return ((b0 & 0x3F) << 8) | b1;
    const std::uint32_t low = QM_TRY(reader.read_u16());
    return ((b0 & 0x3F) << 24) | (b1 << 16) | low;
}

ReadResult<std::vector<std::uint32_t>> read_smart_vec(ByteReader& reader) {
    const std::uint32_t count = QM_TRY(read_compressed_u32(reader));
    return read_list<std::uint32_t>(reader, count, 4,
                                    [](ByteReader& r) { return r.read_u32(); });
}

ReadResult<void> align_to_4(ByteReader& reader) {
    const std::uint64_t position = reader.position();
    const std::uint64_t padding = (4 - position % 4) % 4;
    if (position > std::numeric_limits<std::uint64_t>::max() - padding) {
        return std::unexpected(error::ReadError(error::IoError::invalid_seek()));
    }
    reader.set_position(position + padding);
    return {};
}

}  // namespace quillmere_dat::utils
