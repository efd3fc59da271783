#include <quillmere/common/try.hpp>
#include <quillmere/dat/file_type/game_time.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include "aligned_text.hpp"

namespace quillmere_dat::file_type::game_time {

namespace {

using detail::read_aligned_text;
using detail::write_aligned_text;

// Smallest wire sizes, used only to bound what a declared count may reserve.
constexpr std::uint64_t min_time_of_day_size = 4 + 4 + 2;
constexpr std::uint64_t min_text_size = 2;
constexpr std::uint64_t min_season_size = 4 + 2;

utils::ReadResult<TimeOfDay> read_time_of_day(utils::ByteReader& reader) {
    TimeOfDay time;
    time.word = QM_TRY(reader.read_u32());
    time.flag = QM_TRY(reader.read_u32()) != 0;
    time.name = QM_TRY(read_aligned_text(reader));
    return time;
}

}  // namespace

utils::ReadResult<Season> Season::unpack(utils::ByteReader& reader) {
    Season season;
    season.word = QM_TRY(reader.read_u32());
    season.name = QM_TRY(read_aligned_text(reader));
    return season;
}

void Season::pack(utils::ByteWriter& writer) const {
    writer.write_u32(word);
    write_aligned_text(writer, name);
}

utils::ReadResult<GameTime> GameTime::unpack(utils::ByteReader& reader) {
    GameTime time;
    time.time_value = QM_TRY(reader.read_f64());
    time.word_a = QM_TRY(reader.read_u32());
    time.word_b = QM_TRY(reader.read_u32());
    time.word_c = QM_TRY(reader.read_u32());
    time.name = QM_TRY(read_aligned_text(reader));

    const std::uint32_t time_count = QM_TRY(reader.read_u32());
    time.times_of_day = QM_TRY(utils::read_list<TimeOfDay>(reader, time_count,
                                                           min_time_of_day_size, read_time_of_day));
    const std::uint32_t text_count = QM_TRY(reader.read_u32());
    time.name_list =
        QM_TRY(utils::read_list<std::string>(reader, text_count, min_text_size, read_aligned_text));
    const std::uint32_t season_count = QM_TRY(reader.read_u32());
    time.seasons =
        QM_TRY(utils::read_list<Season>(reader, season_count, min_season_size, Season::unpack));
    return time;
}

void GameTime::pack(utils::ByteWriter& writer) const {
    writer.write_f64(time_value);
    writer.write_u32(word_a);
    writer.write_u32(word_b);
    writer.write_u32(word_c);
    write_aligned_text(writer, name);

    writer.write_u32(static_cast<std::uint32_t>(times_of_day.size()));
    for (const TimeOfDay& time : times_of_day) {
        writer.write_u32(time.word);
        writer.write_u32(time.flag ? 1U : 0U);
        write_aligned_text(writer, time.name);
    }
    writer.write_u32(static_cast<std::uint32_t>(name_list.size()));
    for (const std::string& text : name_list) write_aligned_text(writer, text);
    writer.write_u32(static_cast<std::uint32_t>(seasons.size()));
    for (const Season& season : seasons) season.pack(writer);
}

}  // namespace quillmere_dat::file_type::game_time
