#pragma once

#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <cstdint>
#include <string>
#include <vector>

// The region's calendar. Decoded so the reader stays in step with the region
// file, and kept as read; nothing in this system interprets it.
namespace quillmere_dat::file_type::game_time {

struct TimeOfDay {
    std::uint32_t word = 0;
    bool flag = false;  // stored as a u32: any nonzero value is true
    std::string name;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

struct Season {
    std::uint32_t word = 0;
    std::string name;

    // word, name, align 4.
    static utils::ReadResult<Season> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const Season&, const Season&) = default;
};

struct GameTime {
    double time_value = 0.0;
    std::uint32_t word_a = 0;
    std::uint32_t word_b = 0;
    std::uint32_t word_c = 0;
    std::string name;
    std::vector<TimeOfDay> times_of_day;
    std::vector<std::string> name_list;
    std::vector<Season> seasons;

    static utils::ReadResult<GameTime> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const GameTime&, const GameTime&) = default;
};

}  // namespace quillmere_dat::file_type::game_time
