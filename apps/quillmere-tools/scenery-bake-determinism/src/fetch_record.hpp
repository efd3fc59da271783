#pragma once

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>

#include <cstdint>
#include <optional>

namespace scenery_bake_determinism {

// Reads file `id` and decodes it from its first byte. Inside a run a file
// that is missing or does not decode only means less scenery, so both
// failures become "nothing" and their texts are dropped.
template <typename Record>
std::optional<Record> fetch_record(const quillmere_dat::FileSource& archive, std::uint32_t id) {
    auto bytes = archive.get_file(id);
    if (!bytes) return std::nullopt;
    quillmere_dat::utils::ByteReader reader(*bytes);
    auto record = Record::unpack(reader);
    if (!record) return std::nullopt;
    return std::move(*record);
}

}  // namespace scenery_bake_determinism
