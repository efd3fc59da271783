#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include "words.hpp"

namespace quillmere_dat::file_type::region {

namespace {

using detail::read_words;
using detail::write_count;
using detail::write_words;

// Smallest wire sizes, used only to bound what a declared count may reserve.
constexpr std::uint64_t ambient_entry_size = 5 * 4;
constexpr std::uint64_t min_stb_desc_size = 4 + 4;

utils::ReadResult<AmbientEntry> read_ambient_entry(utils::ByteReader& reader) {
    return AmbientEntry{QM_TRY(read_words<5>(reader))};
}

utils::ReadResult<AmbientSTBDesc> read_stb_desc(utils::ByteReader& reader) {
    AmbientSTBDesc desc;
    desc.stb_word = QM_TRY(reader.read_u32());
    const std::uint32_t entry_count = QM_TRY(reader.read_u32());
    desc.entries = QM_TRY(utils::read_list<AmbientEntry>(reader, entry_count, ambient_entry_size,
                                                         read_ambient_entry));
    return desc;
}

}  // namespace

utils::ReadResult<SoundDesc> SoundDesc::unpack(utils::ByteReader& reader) {
    const std::uint32_t count = QM_TRY(reader.read_u32());
    return SoundDesc{
        QM_TRY(utils::read_list<AmbientSTBDesc>(reader, count, min_stb_desc_size, read_stb_desc))};
}

void SoundDesc::pack(utils::ByteWriter& writer) const {
    write_count(writer, stb_descs);
    for (const AmbientSTBDesc& desc : stb_descs) {
        writer.write_u32(desc.stb_word);
        write_count(writer, desc.entries);
        for (const AmbientEntry& entry : desc.entries) write_words(writer, entry.values);
    }
}

}  // namespace quillmere_dat::file_type::region
