#include <quillmere/dat/file_type/object_desc.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <vector>

using quillmere_dat::file_type::object_desc::ObjectDesc;
using quillmere_dat::file_type::scene::Scene;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {

void append_u32(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void append_words(Bytes& bytes, std::initializer_list<std::uint32_t> words) {
    for (const auto word : words) append_u32(bytes, word);
}

// One descriptor as 19 little-endian words, each field a different value so
// that a field read out of place shows. The float fields are given by their
// bits: 1.0 = 0x3F800000, 2.0 = 0x40000000, 0.5 = 0x3F000000, ...
void append_descriptor(Bytes& bytes, std::uint32_t obj_id) {
    append_words(bytes, {obj_id,
                         0x3F800000, 0x40000000, 0x40400000,              // origin 1, 2, 3
                         0x3F800000, 0x00000000, 0x00000000, 0x80000000,  // orientation 1, 0, 0, -0
                         0x3F000000,                                      // frequency 0.5
                         0x41200000, 0x41A00000,                          // displace 10, 20
                         0x3F400000, 0x3FC00000,                          // scale 0.75 ... 1.5
                         0x42B40000,                                      // max_rotation 90
                         0x3DCCCCCD, 0x3F99999A,                          // slope 0.1 ... 1.2
                         0xAAAA0001, 0xBBBB0002, 0x00000007});            // param_a, param_b, skip
}

ObjectDesc expected_descriptor(std::uint32_t obj_id) {
    ObjectDesc desc;
    desc.obj_id = obj_id;
    desc.frame.origin = {1.0F, 2.0F, 3.0F};
    desc.frame.orientation = {1.0F, 0.0F, 0.0F, -0.0F};
    desc.frequency = 0.5F;
    desc.displace_x = 10.0F;
    desc.displace_y = 20.0F;
    desc.min_scale = 0.75F;
    desc.max_scale = 1.5F;
    desc.max_rotation = 90.0F;
    desc.min_slope = std::bit_cast<float>(0x3DCCCCCDU);
    desc.max_slope = std::bit_cast<float>(0x3F99999AU);
    desc.param_a = 0xAAAA0001;
    desc.param_b = 0xBBBB0002;
    desc.skip_marker = 7;
    return desc;
}

Bytes two_object_scene() {
    Bytes bytes;
    append_words(bytes, {0x12000ABC, 2});
    append_descriptor(bytes, 0x01000011);
    append_descriptor(bytes, 0x02000022);
    return bytes;
}

}  // namespace

TEST(Scene, EmptySceneNeedsOnlyEightBytes) {
    Bytes bytes;
    append_words(bytes, {0x12000001, 0});
    ByteReader reader(bytes);
    const auto scene = Scene::unpack(reader);
    ASSERT_TRUE(scene.has_value()) << scene.error().display();
    EXPECT_EQ(scene->id, 0x12000001U);
    EXPECT_TRUE(scene->objects.empty());
    EXPECT_EQ(reader.position(), 8U);
}

TEST(Scene, DecodesDescriptorsInWireOrderAndIgnoresTrailingBytes) {
    Bytes bytes = two_object_scene();
    ASSERT_EQ(bytes.size(), 8U + 2U * 76U);
    bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE});

    ByteReader reader(bytes);
    const auto scene = Scene::unpack(reader);
    ASSERT_TRUE(scene.has_value()) << scene.error().display();
    EXPECT_EQ(scene->id, 0x12000ABCU);
    ASSERT_EQ(scene->objects.size(), 2U);
    EXPECT_EQ(scene->objects[0], expected_descriptor(0x01000011));
    EXPECT_EQ(scene->objects[1], expected_descriptor(0x02000022));
    // -0 in the orientation keeps its sign bit.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(scene->objects[0].frame.orientation.z), 0x80000000U);
    EXPECT_EQ(reader.position(), 8U + 2U * 76U);
}

TEST(Scene, ShortDataFailsTheWholeScene) {
    struct Case {
        std::size_t keep;         // bytes of the two-object scene kept
        std::size_t frame_count;  // field frames on the error
    };
    // The second descriptor starts at 84; its frame at 88, origin.y at 92.
    const Case cases[] = {
        {0, 0},            // inside the id
        {6, 0},            // inside the count
        {8 + 76 + 2, 0},   // inside the second obj_id
        {8 + 76 + 10, 2},  // inside origin.y: Vector3 'y', then Frame 'origin'
        {8 + 76 + 75, 0},  // one byte short of the last skip_marker
    };
    const Bytes full = two_object_scene();
    for (const auto& c : cases) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.keep));
        ByteReader reader(cut);
        const auto scene = Scene::unpack(reader);
        ASSERT_FALSE(scene.has_value()) << "kept " << c.keep;
        EXPECT_TRUE(scene.error().is_end_of_data()) << "kept " << c.keep;
        ASSERT_EQ(scene.error().frames().size(), c.frame_count) << "kept " << c.keep;
        if (c.frame_count == 2) {
            EXPECT_EQ(scene.error().frames()[0].message(), "While parsing field 'y' in Vector3");
            EXPECT_EQ(scene.error().frames()[1].message(), "While parsing field 'origin' in Frame");
        } else {
            EXPECT_EQ(scene.error().display(), "failed to fill whole buffer");
        }
    }
}

TEST(Scene, HugeCountEndsInEndOfData) {
    Bytes bytes;
    append_words(bytes, {0x12000001, std::numeric_limits<std::uint32_t>::max()});
    append_descriptor(bytes, 0x01000001);
    ByteReader reader(bytes);
    const auto scene = Scene::unpack(reader);
    ASSERT_FALSE(scene.has_value());
    EXPECT_EQ(scene.error().display(), "failed to fill whole buffer");
}

TEST(Scene, PackWritesWhatUnpackReads) {
    const Bytes bytes = two_object_scene();
    ByteReader reader(bytes);
    const Scene scene = Scene::unpack(reader).value();
    ByteWriter writer;
    scene.pack(writer);
    EXPECT_EQ(writer.bytes(), bytes);

    // Values a decoder must not touch survive the round trip bit for bit.
    Scene odd;
    odd.id = 0xFFFFFFFF;
    ObjectDesc desc = expected_descriptor(0x0200FFFF);
    desc.frequency = std::bit_cast<float>(0x7FC00001U);  // a NaN with payload
    desc.max_rotation = -std::numeric_limits<float>::infinity();
    odd.objects = {desc, ObjectDesc{}};
    ByteWriter odd_writer;
    odd.pack(odd_writer);
    ASSERT_EQ(odd_writer.bytes().size(), 8U + 2U * ObjectDesc::wire_size);
    ByteReader odd_reader(odd_writer.bytes());
    const Scene decoded = Scene::unpack(odd_reader).value();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(decoded.objects[0].frequency), 0x7FC00001U);
    EXPECT_EQ(decoded.objects[0].max_rotation, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(decoded.objects[1], ObjectDesc{});
    EXPECT_EQ(decoded.id, 0xFFFFFFFFU);
}
