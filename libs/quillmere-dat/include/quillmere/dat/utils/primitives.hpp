#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace quillmere_dat::utils {

// A length-prefixed text; `length_size` is 1, 2 or 4 (this system passes 2).
// One byte is a Windows-1252 character; longer texts are UTF-8 after EF BB BF,
// UTF-16 LE after FF FE, UTF-16 BE after FE FF, and Windows-1252 otherwise.
// The result is UTF-8. The position is left right after the text: callers
// align themselves.
ReadResult<std::string> read_pstring(ByteReader& reader, unsigned length_size);

// 1, 2 or 4 bytes: b0 < 0x80 is the value; b0 < 0xC0 gives ((b0 & 0x3F) << 8 | b1);
// else ((b0 & 0x3F) << 24 | b1 << 16 | next u16).
ReadResult<std::uint32_t> read_compressed_u32(ByteReader& reader);

// A compressed-u32 count, then that many u32.
ReadResult<std::vector<std::uint32_t>> read_smart_vec(ByteReader& reader);

// Moves the position up to the next multiple of 4, counted from the first
// byte of the data. Reads nothing; never fails at the end of the data.
ReadResult<void> align_to_4(ByteReader& reader);

// How many elements of at least `min_element_size` bytes the rest of the
// data could still hold: the most a declared count may reserve up front, so a
// hostile count ends in the end-of-data error and never in a huge allocation.
[[nodiscard]] inline std::size_t reservable(const ByteReader& reader, std::uint64_t count,
                                            std::uint64_t min_element_size) noexcept {
    const std::uint64_t fits = reader.remaining() / (min_element_size == 0 ? 1 : min_element_size);
    return static_cast<std::size_t>(count < fits ? count : fits);
}

// Reads `count` elements with `read`, appending them to a list whose storage
// is reserved once, bounded by what the remaining data can hold and by twice
// its size in bytes (an element in memory may be much larger than its
// smallest encoding: a string is a length word on the wire); a longer list
// grows as it is read.
template <typename T, typename Read>
ReadResult<std::vector<T>> read_list(ByteReader& reader, std::uint64_t count,
                                     std::uint64_t min_element_size, Read&& read) {
    std::vector<T> out;
    const std::uint64_t within_twice_the_data = reader.remaining() * 2 / sizeof(T) + 1;
    const std::size_t reserved = reservable(reader, count, min_element_size);
    out.reserve(reserved < within_twice_the_data ? reserved : static_cast<std::size_t>(within_twice_the_data));
    for (std::uint64_t i = 0; i < count; ++i) {
        auto element = read(reader);
        if (!element.has_value()) return std::unexpected(std::move(element).error());
        out.push_back(std::move(*element));
    }
    return out;
}

}  // namespace quillmere_dat::utils
