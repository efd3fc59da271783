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
constexpr std::uint64_t sky_item_size = 9 * 4;
constexpr std::uint64_t sky_time_item_size = 6 * 4;
constexpr std::uint64_t min_sky_time_size = 11 * 4 + 4;
constexpr std::uint64_t min_day_group_size = 4 + 2 + 4 + 4;

// Every item is followed by an alignment step. Items are whole words, so it
// skips nothing in well-formed data, but the reader must take it all the same
// to stay where the writer of the file was.
utils::ReadResult<SkyItem> read_sky_item(utils::ByteReader& reader) {
    SkyItem item{QM_TRY(read_words<9>(reader))};
    QM_TRY_VOID(utils::align_to_4(reader));
    return item;
}

utils::ReadResult<SkyTimeItem> read_sky_time_item(utils::ByteReader& reader) {
    SkyTimeItem item{QM_TRY(read_words<6>(reader))};
    QM_TRY_VOID(utils::align_to_4(reader));
    return item;
}

utils::ReadResult<SkyTimeOfDay> read_sky_time(utils::ByteReader& reader) {
    SkyTimeOfDay time;
    time.values = QM_TRY(read_words<11>(reader));
    QM_TRY_VOID(utils::align_to_4(reader));
    const std::uint32_t item_count = QM_TRY(reader.read_u32());
    time.time_items = QM_TRY(utils::read_list<SkyTimeItem>(reader, item_count, sky_time_item_size,
                                                           read_sky_time_item));
    return time;
}

utils::ReadResult<DayGroup> read_day_group(utils::ByteReader& reader) {
    DayGroup group;
    group.group_word = QM_TRY(reader.read_u32());
    group.name = QM_TRY(file_type::detail::read_aligned_text(reader));
    const std::uint32_t item_count = QM_TRY(reader.read_u32());
    group.sky_items =
        QM_TRY(utils::read_list<SkyItem>(reader, item_count, sky_item_size, read_sky_item));
    const std::uint32_t time_count = QM_TRY(reader.read_u32());
    group.sky_times =
        QM_TRY(utils::read_list<SkyTimeOfDay>(reader, time_count, min_sky_time_size, read_sky_time));
    return group;
}

void pack_day_group(utils::ByteWriter& writer, const DayGroup& group) {
    writer.write_u32(group.group_word);
    file_type::detail::write_aligned_text(writer, group.name);
    write_count(writer, group.sky_items);
    for (const SkyItem& item : group.sky_items) {
        write_words(writer, item.values);
        writer.align_to_4();
    }
    write_count(writer, group.sky_times);
    for (const SkyTimeOfDay& time : group.sky_times) {
        write_words(writer, time.values);
        writer.align_to_4();
        write_count(writer, time.time_items);
        for (const SkyTimeItem& item : time.time_items) {
            write_words(writer, item.values);
            writer.align_to_4();
        }
    }
}

}  // namespace

utils::ReadResult<SkyDesc> SkyDesc::unpack(utils::ByteReader& reader) {
    SkyDesc sky;
    sky.value_a = QM_TRY(reader.read_f64());
    sky.value_b = QM_TRY(reader.read_f64());
    QM_TRY_VOID(utils::align_to_4(reader));
    const std::uint32_t group_count = QM_TRY(reader.read_u32());
    sky.day_groups =
        QM_TRY(utils::read_list<DayGroup>(reader, group_count, min_day_group_size, read_day_group));
    return sky;
}

void SkyDesc::pack(utils::ByteWriter& writer) const {
    writer.write_f64(value_a);
    writer.write_f64(value_b);
    writer.align_to_4();
    write_count(writer, day_groups);
    for (const DayGroup& group : day_groups) pack_day_group(writer, group);
}

}  // namespace quillmere_dat::file_type::region
