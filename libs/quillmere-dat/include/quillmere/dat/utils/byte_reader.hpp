#pragma once

#include <quillmere/dat/error/read_error.hpp>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <type_traits>

namespace quillmere_dat::utils {

template <typename T>
using ReadResult = std::expected<T, error::ReadError>;

// A cursor over one file's bytes. Position 0 is the first byte of the data;
// the position may be set anywhere, also past the end, where every further
// read fails with the end-of-data error. Numbers are little-endian and taken
// bit for bit.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) noexcept : data_(data) {}

    [[nodiscard]] std::span<const std::uint8_t> data() const noexcept { return data_; }
    [[nodiscard]] std::uint64_t position() const noexcept { return position_; }
    void set_position(std::uint64_t position) noexcept { position_ = position; }
    [[nodiscard]] std::uint64_t remaining() const noexcept {
        return position_ < data_.size() ? data_.size() - position_ : 0;
    }

    ReadResult<std::uint8_t> read_u8() { return read_number<std::uint8_t>(); }
    ReadResult<std::uint16_t> read_u16() { return read_number<std::uint16_t>(); }
    ReadResult<std::int16_t> read_i16() { return read_number<std::int16_t>(); }
    ReadResult<std::uint32_t> read_u32() { return read_number<std::uint32_t>(); }
    ReadResult<std::int32_t> read_i32() { return read_number<std::int32_t>(); }
    ReadResult<float> read_f32() { return read_bits_as<float, std::uint32_t>(); }
    ReadResult<double> read_f64() { return read_bits_as<double, std::uint64_t>(); }

    // `count` bytes as a view into the data; end of data when fewer remain.
    ReadResult<std::span<const std::uint8_t>> read_bytes(std::uint64_t count) {
        if (count > remaining()) return std::unexpected(error::ReadError::end_of_data());
        // The position may lie past the end (alignment steps allow it).
        if (count == 0) return std::span<const std::uint8_t>{};
        const auto view = data_.subspan(static_cast<std::size_t>(position_),
                                        static_cast<std::size_t>(count));
        position_ += count;
        return view;
    }

    // A fixed-size byte array; a short read is "not enough bytes in reader".
    template <std::size_t N>
    ReadResult<std::array<std::uint8_t, N>> read_array() {
        if (N > remaining()) {
            return std::unexpected(error::ReadError(error::IoError::not_enough_bytes()));
        }
        std::array<std::uint8_t, N> out{};
        std::memcpy(out.data(), data_.data() + position_, N);
        position_ += N;
        return out;
    }

private:
    template <typename F, typename Bits>
    ReadResult<F> read_bits_as() {
        auto bits = read_number<Bits>();
        if (!bits.has_value()) return std::unexpected(std::move(bits).error());
        return std::bit_cast<F>(*bits);
    }

    template <typename T>
    ReadResult<T> read_number() {
        static_assert(std::is_integral_v<T>);
        if (sizeof(T) > remaining()) return std::unexpected(error::ReadError::end_of_data());
        T value;
        std::memcpy(&value, data_.data() + position_, sizeof(T));
        position_ += sizeof(T);
        if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
            value = std::byteswap(value);
        }
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::uint64_t position_ = 0;
};

}  // namespace quillmere_dat::utils
