#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include "../aligned_text.hpp"
#include "words.hpp"

namespace quillmere_dat::file_type::region {

namespace {

using detail::read_words;
using detail::write_count;
using detail::write_words;

// Smallest wire sizes, used only to bound what a declared count may reserve.
// A terrain type with an empty name may need no padding: 2 + 4 + 4 bytes.
constexpr std::uint64_t min_terrain_type_size = 2 + 4 + 4;
constexpr std::uint64_t pair_size = 2 * 4;
constexpr std::uint64_t keyed_entry_size = 11 * 4;

utils::ReadResult<std::uint32_t> read_u32(utils::ByteReader& reader) { return reader.read_u32(); }

utils::ReadResult<TerrainType> read_terrain_type(utils::ByteReader& reader) {
    TerrainType type;
    type.name = QM_TRY(file_type::detail::read_aligned_text(reader));
    type.type_word = QM_TRY(reader.read_u32());
    const std::uint32_t index_count = QM_TRY(reader.read_u32());
    type.scene_types = QM_TRY(utils::read_list<std::uint32_t>(reader, index_count, 4, read_u32));
    return type;
}

utils::ReadResult<PairEntry> read_pair(utils::ByteReader& reader) {
    const std::uint32_t first = QM_TRY(reader.read_u32());
    const std::uint32_t second = QM_TRY(reader.read_u32());
    return PairEntry{first, second};
}

utils::ReadResult<std::vector<PairEntry>> read_pair_list(utils::ByteReader& reader) {
    const std::uint32_t count = QM_TRY(reader.read_u32());
    return utils::read_list<PairEntry>(reader, count, pair_size, read_pair);
}

utils::ReadResult<KeyedEntry> read_keyed_entry(utils::ByteReader& reader) {
    KeyedEntry entry;
    entry.key = QM_TRY(reader.read_u32());
    entry.values = QM_TRY(read_words<10>(reader));
    return entry;
}

void write_pair_list(utils::ByteWriter& writer, const std::vector<PairEntry>& pairs) {
    write_count(writer, pairs);
    for (const PairEntry& pair : pairs) {
        writer.write_u32(pair.first);
        writer.write_u32(pair.second);
    }
}

}  // namespace

utils::ReadResult<TerrainDesc> TerrainDesc::unpack(utils::ByteReader& reader) {
    TerrainDesc desc;
    const std::uint32_t type_count = QM_TRY(reader.read_u32());
    desc.terrain_types = QM_TRY(utils::read_list<TerrainType>(reader, type_count,
                                                              min_terrain_type_size,
                                                              read_terrain_type));
    desc.extra_a = QM_TRY(reader.read_u32());
    desc.extra_b = QM_TRY(reader.read_u32());
    desc.pair_list_a = QM_TRY(read_pair_list(reader));
    desc.pair_list_b = QM_TRY(read_pair_list(reader));
    desc.pair_list_c = QM_TRY(read_pair_list(reader));
    const std::uint32_t entry_count = QM_TRY(reader.read_u32());
    desc.entry_list = QM_TRY(utils::read_list<KeyedEntry>(reader, entry_count, keyed_entry_size,
                                                          read_keyed_entry));
    return desc;
}

void TerrainDesc::pack(utils::ByteWriter& writer) const {
    write_count(writer, terrain_types);
    for (const TerrainType& type : terrain_types) {
        file_type::detail::write_aligned_text(writer, type.name);
        writer.write_u32(type.type_word);
        write_count(writer, type.scene_types);
        for (const std::uint32_t index : type.scene_types) writer.write_u32(index);
    }
    writer.write_u32(extra_a);
    writer.write_u32(extra_b);
    write_pair_list(writer, pair_list_a);
    write_pair_list(writer, pair_list_b);
    write_pair_list(writer, pair_list_c);
    write_count(writer, entry_list);
    for (const KeyedEntry& entry : entry_list) {
        writer.write_u32(entry.key);
        write_words(writer, entry.values);
    }
}

}  // namespace quillmere_dat::file_type::region
