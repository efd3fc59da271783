#include <quillmere/dat/file_type/game_time.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace quillmere_dat::file_type::game_time;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;

namespace {

void put_text(ByteWriter& w, std::string_view bytes) {
    w.write_u16(static_cast<std::uint16_t>(bytes.size()));
    for (const char c : bytes) w.write_u8(static_cast<std::uint8_t>(c));
}

// Padding bytes are 0xEE so that a decoder reading them would see garbage.
void put_padding(ByteWriter& w, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) w.write_u8(0xEE);
}

}  // namespace

TEST(GameTime, EmptyCalendarPadsItsNameFromTheStartOfTheFile) {
    struct Case {
        std::size_t start;
        std::size_t padding;  // the empty name ends at start + 22
        std::uint64_t end;
    };
    // Started at a multiple of 4 the record is 20 + 2 + 2 + 12 = 36 bytes.
    for (const Case c : {Case{0, 2, 36}, Case{1, 1, 36}, Case{2, 0, 36}, Case{3, 3, 40}}) {
        ByteWriter w;
        w.write_zeros(c.start);
        w.write_f64(-0.5);
        w.write_u32(1);
        w.write_u32(2);
        w.write_u32(3);
        put_text(w, "");
        put_padding(w, c.padding);
        w.write_zeros(12);
        ASSERT_EQ(w.position(), c.end);

        ByteReader reader(w.bytes());
        reader.set_position(c.start);
        const auto time = GameTime::unpack(reader);
        ASSERT_TRUE(time.has_value()) << c.start << ": " << time.error().display();
        EXPECT_EQ(time->time_value, -0.5);
        EXPECT_EQ(time->word_c, 3U);
        EXPECT_TRUE(time->times_of_day.empty() && time->name_list.empty() && time->seasons.empty());
        EXPECT_EQ(reader.position(), c.end) << c.start;
    }
}

TEST(GameTime, ListsOfTextsPadAfterEveryText) {
    ByteWriter w;
    w.write_f64(1.0);
    w.write_zeros(12);
    put_text(w, "Day");  // 20 + 2 + 3 = 25: 3 bytes of padding
    put_padding(w, 3);

    // Times of day: the flag is any nonzero word.
    const std::vector<std::pair<std::uint32_t, bool>> flags = {
        {0, false}, {1, true}, {2, true}, {0xFFFFFFFF, true}};
    w.write_u32(static_cast<std::uint32_t>(flags.size()));
    for (const auto& [word, flag] : flags) {
        w.write_u32(0x100 + word);
        w.write_u32(word);
        put_text(w, "Midday");  // 4 + 4 + 2 + 6: ends aligned
    }

    w.write_u32(3);
    put_text(w, "a");  // ends at an odd position: 1 byte of padding
    put_padding(w, 1);
    put_text(w, "ab");  // ends aligned: none
    put_text(w, "\xE9t\xE9");  // Windows-1252, 3 bytes: 3 of padding
    put_padding(w, 3);

    w.write_u32(1);
    w.write_u32(42);
    put_text(w, "Winter");

    ByteReader reader(w.bytes());
    const auto time = GameTime::unpack(reader);
    ASSERT_TRUE(time.has_value()) << time.error().display();
    EXPECT_EQ(time->name, "Day");
    ASSERT_EQ(time->times_of_day.size(), flags.size());
    for (std::size_t i = 0; i < flags.size(); ++i) {
        EXPECT_EQ(time->times_of_day[i].flag, flags[i].second) << "flag word " << flags[i].first;
        EXPECT_EQ(time->times_of_day[i].word, 0x100 + flags[i].first);
        EXPECT_EQ(time->times_of_day[i].name, "Midday");
    }
    EXPECT_EQ(time->name_list, (std::vector<std::string>{"a", "ab", "\u00E9t\u00E9"}));
    EXPECT_EQ(time->seasons, (std::vector<Season>{Season{42, "Winter"}}));
    EXPECT_EQ(reader.position(), w.bytes().size());
}

TEST(GameTime, SeasonEndingInsideItsTextFails) {
    ByteWriter w;
    w.write_u32(7);
    put_text(w, "Autumn");
    for (std::size_t size = 0; size < w.bytes().size(); ++size) {
        const std::vector<std::uint8_t> data(w.bytes().begin(),
                                             w.bytes().begin() + static_cast<std::ptrdiff_t>(size));
        ByteReader reader(data);
        const auto season = Season::unpack(reader);
        ASSERT_FALSE(season.has_value()) << size;
        EXPECT_EQ(season.error().display(), "failed to fill whole buffer");
    }
    ByteReader reader(w.bytes());
    EXPECT_EQ(Season::unpack(reader), (Season{7, "Autumn"}));
}
