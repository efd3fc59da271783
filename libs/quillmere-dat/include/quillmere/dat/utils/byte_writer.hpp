#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillmere_dat::utils {

// The inverse of ByteReader: appends little-endian values to a growing byte
// list. Records' `pack` functions write through it; alignment is counted from
// the first byte written, as the reader counts it from the first byte read.
class ByteWriter {
public:
    [[nodiscard]] std::uint64_t position() const noexcept { return bytes_.size(); }
    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }
    [[nodiscard]] std::vector<std::uint8_t> take() && noexcept { return std::move(bytes_); }

    void write_u8(std::uint8_t value) { bytes_.push_back(value); }
    void write_u16(std::uint16_t value) { write_le(value, 2); }
    void write_i16(std::int16_t value) { write_le(static_cast<std::uint16_t>(value), 2); }
    void write_u32(std::uint32_t value) { write_le(value, 4); }
    void write_i32(std::int32_t value) { write_le(static_cast<std::uint32_t>(value), 4); }
    void write_f32(float value);
    void write_f64(double value);
    void write_bytes(std::span<const std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    void write_zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    // Writes `text` (UTF-8) so that read_pstring gives it back: as
    // Windows-1252 when every character has a byte there and the bytes cannot
    // be mistaken for a byte-order mark, else as UTF-8 after EF BB BF.
    // The encoded text must fit the length prefix (a programming error if not).
    void write_pstring(std::string_view text, unsigned length_size);
    // Values above 0x3FFFFFFF cannot be encoded (a programming error).
    void write_compressed_u32(std::uint32_t value);
    void write_smart_vec(std::span<const std::uint32_t> values);
    // Zero bytes up to the next multiple of 4.
    void align_to_4() { write_zeros((4 - bytes_.size() % 4) % 4); }

private:
    void write_le(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::vector<std::uint8_t> bytes_;
};

}  // namespace quillmere_dat::utils
