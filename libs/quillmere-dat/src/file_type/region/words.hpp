#pragma once

#include <quillmere/common/try.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <array>
#include <cstddef>
#include <cstdint>

// Fixed groups of 32-bit words, kept as read: the region's parts that this
// system carries along without interpreting them.
namespace quillmere_dat::file_type::region::detail {

template <std::size_t N>
utils::ReadResult<std::array<std::uint32_t, N>> read_words(utils::ByteReader& reader) {
    std::array<std::uint32_t, N> words{};
    for (std::uint32_t& word : words) word = QM_TRY(reader.read_u32());
    return words;
}

template <std::size_t N>
void write_words(utils::ByteWriter& writer, const std::array<std::uint32_t, N>& words) {
    for (const std::uint32_t word : words) writer.write_u32(word);
}

// A list's u32 element count.
template <typename List>
void write_count(utils::ByteWriter& writer, const List& list) {
    writer.write_u32(static_cast<std::uint32_t>(list.size()));
}

}  // namespace quillmere_dat::file_type::region::detail
