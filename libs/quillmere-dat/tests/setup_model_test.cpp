#include <quillmere/dat/file_type/setup_model.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/math_records.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace quillmere_dat::file_type::setup_model;
using quillmere_common::math::Quaternion;
using quillmere_common::math::Sphere;
using quillmere_common::math::Vector3;
using quillmere_dat::graphics::Frame;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Frame frame_a{{1.0F, 2.0F, 3.0F}, {1.0F, 0.0F, 0.0F, 0.0F}};
const Frame frame_b{{-4.0F, 0.5F, 0.0F}, {0.0F, 0.0F, 0.0F, 1.0F}};

// Everything after the placements, with empty lists and the given linked ids.
void tail_bytes(ByteWriter& w, const std::vector<std::uint32_t>& linked = {0, 0, 0, 0, 0}) {
    w.write_u32(0);            // cyl_spheres
    w.write_u32(0);            // spheres
    w.write_zeros(4 * 4);      // scalar_a to scalar_d
    w.write_zeros(2 * 16);     // sphere_a, sphere_b
    w.write_u32(0);            // lights
    for (const auto id : linked) w.write_u32(id);
}

// id, flags, no parts, empty location maps: what comes before the placements.
void head_bytes(ByteWriter& w, std::uint32_t id = 0x02000001) {
    w.write_u32(id);
    w.write_u32(0);
    w.write_u32(0);
    w.write_u32(0);
    w.write_u32(0);
}

std::string frame_messages(const quillmere_dat::error::ReadError& error) {
    std::string out;
    for (const auto& frame : error.frames()) out += frame.message() + "|";
    return out;
}

}  // namespace

TEST(AnimationHook, PayloadLengthFollowsTheType) {
    struct Case {
        std::uint32_t type;
        Bytes data;  // the first payload bytes; 0xEE filler follows
        std::uint64_t size;
    };
    const std::vector<Case> cases = {
        {0, {}, 8},
        {4, {}, 8},
        {17, {}, 8},
        {1, {}, 12},
        {3, {}, 36},
        {13, {}, 48},
        {26, {}, 48},
        {5, {0x42, 0x01, 0x00}, 12},              // byte, 0x0001, 1 padding byte
        {5, {0x42, 0x01, 0x80, 0x02, 0x00}, 16},  // byte, 0x8001, 0x0002, 3 padding bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        // One stray byte first: type 5 pads from the hook's start, not the file's.
        ByteWriter w;
        w.write_u8(0xFF);
        w.write_u32(c.type);
        w.write_u32(0x12345678);
        w.write_bytes(c.data);
        w.write_bytes(Bytes(48, 0xEE));
        ByteReader reader(w.bytes());
        reader.set_position(1);
        const AnimationHook hook = AnimationHook::unpack(reader).value();
        EXPECT_EQ(reader.position() - 1, c.size);
        EXPECT_EQ(hook.hook_type, c.type);
        EXPECT_EQ(hook.hook_param, 0x12345678U);
        ASSERT_EQ(hook.payload.size(), c.size - 8);
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), hook.payload.begin()));
        // The padding ends the payload.
        if (c.type == 5) {
            EXPECT_EQ(hook.payload.back(), 0xEE);
        }
        ByteWriter again;
        hook.pack(again);
        EXPECT_EQ(again.bytes(), Bytes(w.bytes().begin() + 1, w.bytes().begin() + 1 + static_cast<std::ptrdiff_t>(c.size)));
    }

    // Type 5 cut inside its second value or its padding ends in end of data.
    for (const Bytes& cut : {Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x80, 0x02},
                             Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x80, 0x02, 0x00, 0x00}}) {
        ByteReader reader(cut);
        EXPECT_TRUE(AnimationHook::unpack(reader).error().is_end_of_data());
    }
}

TEST(SetupModel, CheckFailuresCarryMessageAndPosition) {
    struct Case {
        std::string name;
        Bytes bytes;
        std::string display;
    };
    ByteWriter negative;
    head_bytes(negative, 0x0200001A);
    negative.write_u32(0xFFFFFFFF);
    tail_bytes(negative);

    ByteWriter hook;
    head_bytes(hook);
    hook.write_i32(1);
    hook.write_u32(0x65);  // key
    hook.write_u32(1);     // hooks (no frames: no parts)
    hook.write_u32(27);
    hook.write_u32(0);
    hook.write_zeros(64);

    const std::vector<Case> cases = {
        // After the 20-byte head and the 4-byte count word.
        {"negative count", negative.bytes(), "SetupModel 0x0200001A declared negative placement count -1 at 0x18"},
        // After head, count, key, hook count, type and parameter: 40 bytes.
        {"hook type 27", hook.bytes(), "Unsupported AnimationHook type: 0x0000001B at 0x28"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ByteReader reader(c.bytes);
        const auto error = SetupModel::unpack(reader).error();
        EXPECT_FALSE(error.is_end_of_data());
        EXPECT_TRUE(error.frames().empty());
        EXPECT_EQ(error.display(), c.display);
    }

    ByteWriter most_negative;
    head_bytes(most_negative, 0xFFFFFFFF);
    most_negative.write_i32(INT32_MIN);
    ByteReader reader(most_negative.bytes());
    EXPECT_EQ(SetupModel::unpack(reader).error().display(),
              "SetupModel 0xFFFFFFFF declared negative placement count -2147483648 at 0x18");
}

TEST(SetupModel, PartCountDrivesEveryPerPartList) {
    struct Case {
        std::uint32_t flags;
        std::uint32_t parts;
    };
    for (const Case c : {Case{0x3, 0}, Case{0x3, 2}, Case{0x2, 2}, Case{0x1, 2}, Case{0x0, 2}}) {
        SCOPED_TRACE(testing::Message() << c.flags << " " << c.parts);
        ByteWriter w;
        w.write_u32(0x02000002);
        w.write_u32(c.flags);
        w.write_u32(c.parts);
        for (std::uint32_t i = 0; i < c.parts; ++i) w.write_u32(0x01000010 + i);
        if (c.flags & 0x1) {
            for (std::uint32_t i = 0; i < c.parts; ++i) w.write_u32(i + 7);
        }
        if (c.flags & 0x2) {
            for (std::uint32_t i = 0; i < c.parts; ++i) quillmere_dat::utils::pack(w, Vector3{2.0F, 2.0F, 2.0F});
        }
        w.write_u32(0);
        w.write_u32(0);
        w.write_i32(1);  // one placement: a frame per part, then no hooks
        w.write_u32(0);
        for (std::uint32_t i = 0; i < c.parts; ++i) frame_a.pack(w);
        w.write_u32(0);
        tail_bytes(w);
        ByteReader reader(w.bytes());
        const SetupModel setup = SetupModel::unpack(reader).value();
        EXPECT_EQ(reader.remaining(), 0U);
        EXPECT_EQ(setup.num_parts, c.parts);
        EXPECT_EQ(setup.parts.size(), c.parts);
        if (c.parts > 0) {
            EXPECT_EQ(setup.parts.back(), 0x01000011U);
        }
        EXPECT_EQ(setup.parent_indices.size(), (c.flags & 0x1) ? c.parts : 0U);
        EXPECT_EQ(setup.default_scales.size(), (c.flags & 0x2) ? c.parts : 0U);
        if ((c.flags & 0x1) && c.parts > 0) {
            EXPECT_EQ(setup.parent_indices.front(), 7U);
        }
        ASSERT_EQ(setup.placements.size(), 1U);
        EXPECT_EQ(setup.placements.at(0).frames, std::vector<Frame>(c.parts, frame_a));
        EXPECT_TRUE(setup.placements.at(0).hooks.empty());
    }
}

TEST(SetupModel, LinkedIdsAndTheEndOfTheRecord) {
    ByteWriter w;
    head_bytes(w);
    w.write_i32(0);
    tail_bytes(w, {0, 0x01000005, 0, 0x0A000001, 0});
    const std::size_t size = w.bytes().size();
    w.write_u32(0xCCCCCCCC);  // ignored
    ByteReader reader(w.bytes());
    const SetupModel setup = SetupModel::unpack(reader).value();
    EXPECT_EQ(reader.position(), size);
    EXPECT_TRUE(setup.placements.empty());
    EXPECT_EQ(setup.linked_id_a, std::nullopt);
    EXPECT_EQ(setup.linked_id_b, 0x01000005U);
    EXPECT_EQ(setup.linked_id_c, std::nullopt);
    EXPECT_EQ(setup.linked_id_d, 0x0A000001U);
    EXPECT_EQ(setup.linked_id_e, std::nullopt);

    const Bytes cut(w.bytes().begin(), w.bytes().begin() + static_cast<std::ptrdiff_t>(size - 1));
    ByteReader cut_reader(cut);
    EXPECT_TRUE(SetupModel::unpack(cut_reader).error().is_end_of_data());
}

TEST(SetupModel, RepeatedKeysKeepTheLaterRecord) {
    ByteWriter w;
    w.write_u32(0x02000003);
    w.write_u32(0);
    w.write_u32(1);
    w.write_u32(0x01000001);
    for (int map = 0; map < 2; ++map) {  // locations_a, locations_b
        w.write_u32(2);
        w.write_u32(5);
        LocationType{1, frame_a}.pack(w);
        w.write_u32(5);
        LocationType{2, frame_b}.pack(w);
    }
    w.write_i32(3);
    w.write_u32(9);
    PlacementType{{frame_a}, {}}.pack(w);
    w.write_u32(8);
    PlacementType{{frame_a}, {}}.pack(w);
    w.write_u32(9);
    PlacementType{{frame_b}, {AnimationHook{4, 1, {}}}}.pack(w);
    w.write_u32(0);
    w.write_u32(0);
    w.write_zeros(16 + 32);
    w.write_u32(2);
    w.write_u32(3);
    LightInfo{frame_a, 0xFF0000FF, 1.0F, 2.0F, 3.0F}.pack(w);
    w.write_u32(3);
    LightInfo{frame_b, 0x00FF00FF, 4.0F, 5.0F, 6.0F}.pack(w);
    w.write_zeros(20);
    ByteReader reader(w.bytes());
    const SetupModel setup = SetupModel::unpack(reader).value();
    EXPECT_EQ(reader.remaining(), 0U);
    EXPECT_EQ(setup.locations_a, (std::map<std::uint32_t, LocationType>{{5, {2, frame_b}}}));
    EXPECT_EQ(setup.locations_b, setup.locations_a);
    ASSERT_EQ(setup.placements.size(), 2U);
    EXPECT_EQ(setup.placements.at(9), (PlacementType{{frame_b}, {AnimationHook{4, 1, {}}}}));
    ASSERT_EQ(setup.lights.size(), 1U);
    EXPECT_EQ(setup.lights.at(3).color, 0x00FF00FFU);
}

TEST(SetupModel, FieldRecordsNameTheirFields) {
    struct Case {
        std::string name;
        Bytes bytes;
        std::size_t keep;
        std::string frames;
    };
    ByteWriter cyl;
    CylSphere{{1.0F, 2.0F, 3.0F}, 4.0F, 5.0F}.pack(cyl);
    ByteWriter light;
    LightInfo{frame_a, 7, 1.0F, 2.0F, 3.0F}.pack(light);
    ByteWriter location;
    LocationType{3, frame_b}.pack(location);
    const std::string in_origin = "While parsing field 'origin' in Frame|";
    const std::vector<Case> cases = {
        {"CylSphere", cyl.bytes(), 4, "While parsing field 'y' in Vector3|While parsing field 'origin' in CylSphere|"},
        {"CylSphere", cyl.bytes(), 13, "While parsing field 'radius' in CylSphere|"},
        {"CylSphere", cyl.bytes(), 19, "While parsing field 'height' in CylSphere|"},
        {"LightInfo", light.bytes(), 0,
         "While parsing field 'x' in Vector3|" + in_origin + "While parsing field 'viewer_space_location' in LightInfo|"},
        {"LightInfo", light.bytes(), 28, "While parsing field 'color' in LightInfo|"},
        {"LightInfo", light.bytes(), 32, "While parsing field 'intensity' in LightInfo|"},
        {"LightInfo", light.bytes(), 36, "While parsing field 'falloff' in LightInfo|"},
        {"LightInfo", light.bytes(), 43, "While parsing field 'cone_angle' in LightInfo|"},
        {"LocationType", location.bytes(), 2, "While parsing field 'part_id' in LocationType|"},
        {"LocationType", location.bytes(), 4 + 12 + 15,
         "While parsing field 'z' in Quaternion|While parsing field 'orientation' in Frame|"
         "While parsing field 'frame' in LocationType|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.keep));
        // Placed after 3 bytes, so "back to the start" is visible.
        Bytes bytes = {0, 0, 0};
        bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(c.keep));
        ByteReader reader(bytes);
        reader.set_position(3);
        const auto error = c.name == "CylSphere"   ? CylSphere::unpack(reader).error()
                           : c.name == "LightInfo" ? LightInfo::unpack(reader).error()
                                                   : LocationType::unpack(reader).error();
        EXPECT_TRUE(error.is_end_of_data());
        EXPECT_EQ(frame_messages(error), c.frames);
        EXPECT_EQ(reader.position(), 3U);
    }
}

TEST(SetupModel, HugeDeclaredCountsEndInEndOfData) {
    struct Case {
        std::string name;
        Bytes bytes;
    };
    ByteWriter parts;
    parts.write_u32(0x02000001);
    parts.write_u32(0x3);
    parts.write_u32(0xFFFFFFFF);
    parts.write_u32(1);

    ByteWriter placements;
    head_bytes(placements);
    placements.write_i32(0x7FFFFFFF);
    placements.write_u32(1);
    placements.write_u32(0);

    ByteWriter hooks;
    head_bytes(hooks);
    hooks.write_i32(1);
    hooks.write_u32(1);
    hooks.write_u32(0xFFFFFFFF);
    hooks.write_zeros(8);

    ByteWriter frames;  // many parts, their ids present, but frames missing
    frames.write_u32(0x02000001);
    frames.write_u32(0);
    frames.write_u32(1000);
    frames.write_zeros(4 * 1000 + 8);
    frames.write_i32(1);
    frames.write_u32(0);

    ByteWriter shapes;
    head_bytes(shapes);
    shapes.write_i32(0);
    shapes.write_u32(0xFFFFFFFF);

    ByteWriter lights;
    head_bytes(lights);
    lights.write_i32(0);
    lights.write_zeros(8 + 16 + 32);
    lights.write_u32(0xFFFFFFFF);
    lights.write_u32(0);

    for (const auto& c : std::vector<Case>{{"parts", parts.bytes()},
                                           {"placements", placements.bytes()},
                                           {"hooks", hooks.bytes()},
                                           {"frames", frames.bytes()},
                                           {"cyl_spheres", shapes.bytes()},
                                           {"lights", lights.bytes()}}) {
        SCOPED_TRACE(c.name);
        ByteReader reader(c.bytes);
        EXPECT_TRUE(SetupModel::unpack(reader).error().is_end_of_data());
    }
}

TEST(SetupModel, RichSetupRoundTrips) {
    SetupModel setup;
    setup.id = 0x0200ABCD;
    setup.flags = 0x3 | 0x100;
    setup.num_parts = 3;
    setup.parts = {0x01000001, 0x01000002, 0x01000001};
    setup.parent_indices = {0xFFFFFFFF, 0, 1};
    setup.default_scales = {{1.0F, 1.0F, 1.0F}, {0.5F, 0.5F, 2.0F}, {-1.0F, 1.0F, 1.0F}};
    setup.locations_a = {{1, {0, frame_a}}, {7, {2, frame_b}}};
    setup.locations_b = {{3, {1, frame_b}}};
    setup.placements[0] = PlacementType{{frame_a, frame_b, frame_a},
                                        {AnimationHook{5, 9, {0x01, 0x01, 0x80, 0x05, 0x00, 0, 0, 0}},
                                         AnimationHook{5, 9, {0x01, 0x07, 0x00, 0xAB}},
                                         AnimationHook{3, 2, Bytes(28, 0x33)},
                                         AnimationHook{0, 0, {}}}};
    setup.placements[0x65] = PlacementType{{frame_b, frame_b, frame_b}, {AnimationHook{26, 1, Bytes(40, 0x44)}}};
    setup.cyl_spheres = {{{0.0F, 0.0F, 0.0F}, 1.0F, 2.0F}, {{1.0F, 1.0F, 1.0F}, 0.5F, 3.0F}};
    setup.spheres = {{{0.0F, 0.0F, 1.0F}, 1.5F}};
    setup.scalar_a = 0x3F800000;
    setup.scalar_b = 0xFFFFFFFF;
    setup.scalar_c = 0;
    setup.scalar_d = 0x7FC00000;  // a NaN pattern, kept as bits
    setup.sphere_a = {{1.0F, 2.0F, 3.0F}, 4.0F};
    setup.sphere_b = {{-1.0F, -2.0F, -3.0F}, -4.0F};
    setup.lights = {{0, {frame_a, 0xFFFFFFFF, 1.0F, 10.0F, 0.75F}}, {4, {frame_b, 0x80808080, 0.5F, 5.0F, 0.0F}}};
    setup.linked_id_a = 0x34000001;
    setup.linked_id_c = 0x20000002;
    setup.linked_id_e = 0x22000003;

    ByteWriter w;
    setup.pack(w);
    ByteReader reader(w.bytes());
    const SetupModel decoded = SetupModel::unpack(reader).value();
    EXPECT_EQ(reader.remaining(), 0U);
    EXPECT_EQ(decoded, setup);

    ByteWriter again;
    decoded.pack(again);
    EXPECT_EQ(again.bytes(), w.bytes());
}
