#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace quillmere_dat::landblock::detail {

// The stored count of a list about to be written. A list longer than its
// count field can say cannot be written faithfully at all: a programming
// error, stopped like the byte writer stops its own.
template <typename Count>
Count wire_count(std::size_t size, const char* list) {
    if (size > std::numeric_limits<Count>::max()) {
        std::fprintf(stderr, "landblock: too many entries in %s to write\n", list);
        std::abort();
    }
    return static_cast<Count>(size);
}

// Reads `count` records one after another; the list grows as they arrive and
// nothing is reserved from the count, which comes from the file.
template <typename Record>
auto read_records(std::uint64_t count) {
    return [count](utils::ByteReader& reader) -> utils::ReadResult<std::vector<Record>> {
        std::vector<Record> records;
        for (std::uint64_t i = 0; i < count; ++i) {
            auto record = Record::unpack(reader);
            if (!record.has_value()) return std::unexpected(std::move(record).error());
            records.push_back(std::move(*record));
        }
        return records;
    };
}

}  // namespace quillmere_dat::landblock::detail
