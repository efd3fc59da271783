#include <quillmere/dat/graphics/frame.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

using namespace quillmere_dat::utils;
using Bytes = std::vector<std::uint8_t>;

TEST(ByteReader, NumbersAreLittleEndianAndBitExact) {
    const Bytes bytes = {0x01, 0x02, 0xFE, 0xFF, 0x00, 0x00, 0xC0, 0x7F, 0x00, 0x00, 0x00, 0x80};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.read_u16(), 0x0201);
    EXPECT_EQ(reader.read_i16(), -2);
    const float nan = reader.read_f32().value();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(nan), 0x7FC00000U);
    const float negative_zero = reader.read_f32().value();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(negative_zero), 0x80000000U);
    EXPECT_EQ(reader.position(), 12U);
    EXPECT_EQ(reader.read_u8().error().display(), "failed to fill whole buffer");
}

TEST(ByteReader, PositionPastTheEndFailsEveryRead) {
    const Bytes bytes = {1, 2, 3, 4};
    ByteReader reader(bytes);
    reader.set_position(100);
    EXPECT_EQ(reader.remaining(), 0U);
    EXPECT_FALSE(reader.read_u8().has_value());
    EXPECT_EQ((reader.read_array<16>().error().display()), "not enough bytes in reader");
    // Nothing is there to read, and nothing is asked for.
    ASSERT_TRUE(reader.read_bytes(0).has_value());
    EXPECT_TRUE(reader.read_bytes(0)->empty());
}

TEST(CompressedU32, DecodesEachForm) {
    struct Case {
        Bytes bytes;
        std::uint32_t value;
        std::uint64_t consumed;
    };
    const std::vector<Case> cases = {
        {{0x7F}, 127, 1},
        {{0x80, 0x80}, 128, 2},
        {{0xBF, 0xFF}, 16383, 2},
        {{0xC1, 0x02, 0x03, 0x04}, 0x01020403, 4},
        {{0x80, 0x05}, 5, 2},
    };
    for (const auto& c : cases) {
        ByteReader reader(c.bytes);
        EXPECT_EQ(read_compressed_u32(reader), c.value);
        EXPECT_EQ(reader.position(), c.consumed);
    }
    const Bytes cut = {0x80};
    ByteReader reader(cut);
    EXPECT_TRUE(read_compressed_u32(reader).error().is_end_of_data());
}

TEST(CompressedU32, WriterRoundTripsEveryWidth) {
    for (const std::uint32_t value : {0U, 127U, 128U, 16383U, 16384U, 0x01020403U, 0x3FFFFFFFU}) {
        ByteWriter writer;
        writer.write_compressed_u32(value);
        ByteReader reader(writer.bytes());
        EXPECT_EQ(read_compressed_u32(reader), value);
        EXPECT_EQ(reader.remaining(), 0U);
    }
}

TEST(SmartVec, ReadsCountedValues) {
    const Bytes two = {0x02, 1, 0, 0, 0, 2, 0, 0, 0};
    ByteReader reader(two);
    EXPECT_EQ(read_smart_vec(reader), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(reader.position(), 9U);

    const Bytes short_list = {0x03, 1, 0, 0, 0, 2, 0, 0, 0};
    ByteReader cut(short_list);
    EXPECT_TRUE(read_smart_vec(cut).error().is_end_of_data());

    // A count near 2^30 with no data fails at once, without reserving it.
    const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0};
    ByteReader hostile(huge);
    EXPECT_TRUE(read_smart_vec(hostile).error().is_end_of_data());
}

TEST(PString, DecodesEachEncoding) {
    struct Case {
        Bytes bytes;  // length prefix of 2 bytes included
        std::string text;
    };
    const std::vector<Case> cases = {
        {{0, 0}, ""},
        {{1, 0, 0xE9}, "\u00E9"},
        {{1, 0, 0x80}, "\u20AC"},
        {{1, 0, 0x81}, "\u0081"},
        {{1, 0, 0xEF}, "\u00EF"},  // a single byte is never a byte-order mark
        {{4, 0, 0xEF, 0xBB, 0xBF, 0x41}, "A"},
        {{4, 0, 0xFF, 0xFE, 0x41, 0x00}, "A"},
        {{4, 0, 0xFE, 0xFF, 0x00, 0x41}, "A"},
        {{2, 0, 0xFF, 0xFE}, ""},
        {{3, 0, 0x9D, 0x8D, 0x9F}, "\u009D\u008D\u0178"},
        {{5, 0, 0xEF, 0xBB, 0xBF, 0xC3, 0x28}, "\uFFFD("},      // broken UTF-8 sequence
        {{5, 0, 0xFF, 0xFE, 0x00, 0xD8, 0x41}, "\uFFFD"},        // lone surrogate, odd byte
        {{6, 0, 0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, "\U0001F600"},
    };
    for (const auto& c : cases) {
        ByteReader reader(c.bytes);
        EXPECT_EQ(read_pstring(reader, 2), c.text);
        EXPECT_EQ(reader.position(), c.bytes.size());
    }
}

TEST(PString, LengthSizesAndFailures) {
    const Bytes one = {2, 'h', 'i'};
    ByteReader r1(one);
    EXPECT_EQ(read_pstring(r1, 1), "hi");

    const Bytes four = {2, 0, 0, 0, 'h', 'i'};
    ByteReader r4(four);
    EXPECT_EQ(read_pstring(r4, 4), "hi");

    const Bytes any = {0, 0, 0, 0, 0};
    ByteReader r3(any);
    r3.set_position(1);
    EXPECT_EQ(read_pstring(r3, 3).error().display(), "Unsupported PString length size at 0x1");
    EXPECT_EQ(r3.position(), 1U);

    const Bytes cut = {5, 0, 'a'};
    ByteReader short_text(cut);
    EXPECT_TRUE(read_pstring(short_text, 2).error().is_end_of_data());
}

TEST(PString, WriterRoundTripsTexts) {
    for (const std::string text : {"", "x", "Shire", "caf\u00E9 \u20AC", "\u00FF\u00FE", "\u00EF\u00BB\u00BFx",
                                   "\u4E16\u754C", "\U0001F600"}) {
        ByteWriter writer;
        writer.write_pstring(text, 2);
        ByteReader reader(writer.bytes());
        EXPECT_EQ(read_pstring(reader, 2), text);
        EXPECT_EQ(reader.remaining(), 0U);
    }
}

TEST(AlignTo4, CountsFromTheStartOfTheData) {
    const Bytes bytes(3);
    ByteReader reader(bytes);
    for (const auto& [from, to] : std::vector<std::pair<std::uint64_t, std::uint64_t>>{
             {0, 0}, {7, 8}, {8, 8}, {9, 12}, {13, 16}}) {
        reader.set_position(from);
        ASSERT_TRUE(align_to_4(reader).has_value());
        EXPECT_EQ(reader.position(), to);
    }
    reader.set_position(UINT64_MAX - 1);
    EXPECT_EQ(align_to_4(reader).error().display(),
              "invalid seek to a negative or overflowing position");
}

TEST(MathRecords, FrameIsOriginThenOrientationWFirst) {
    ByteWriter writer;
    for (int i = 0; i < 3; ++i) writer.write_f32(static_cast<float>(i + 1));
    writer.write_bytes(Bytes{0x00, 0x00, 0x80, 0x3F});
    writer.write_zeros(12);
    ASSERT_EQ(writer.bytes().size(), 28U);
    ByteReader reader(writer.bytes());
    const auto frame = quillmere_dat::graphics::Frame::unpack(reader).value();
    EXPECT_EQ(frame.origin, (quillmere_common::math::Vector3{1, 2, 3}));
    EXPECT_EQ(frame.orientation.w, 1.0F);

    ByteWriter again;
    frame.pack(again);
    EXPECT_EQ(again.bytes(), writer.bytes());
}

TEST(MathRecords, FailedRecordRestoresThePositionAndNamesTheField) {
    const Bytes bytes(20);
    ByteReader reader(bytes);
    reader.set_position(6);  // 14 bytes left: the sphere runs out in its radius
    const auto sphere = read_sphere(reader);
    ASSERT_FALSE(sphere.has_value());
    ASSERT_EQ(sphere.error().frames().size(), 1U);
    EXPECT_EQ(sphere.error().frames()[0].message(), "While parsing field 'radius' in Sphere");
    EXPECT_EQ(reader.position(), 6U);
}
