#include <quillmere/dat/file_type/gfx_obj.hpp>
#include <quillmere/dat/graphics/polygon.hpp>
#include <quillmere/dat/graphics/vertex_array.hpp>
#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/math_records.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace quillmere_dat::graphics;
using quillmere_common::math::Plane;
using quillmere_common::math::Sphere;
using quillmere_common::math::Vector3;
using quillmere_dat::file_type::gfx_obj::GfxObj;
using quillmere_dat::physics::BspLeaf;
using quillmere_dat::physics::BspNode;
using quillmere_dat::physics::BspPortal;
using quillmere_dat::physics::InternalNode;
using quillmere_dat::physics::PortalPoly;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A vertex with `uvs` texture pairs, written field by field (26 + 8 n bytes).
void vertex_bytes(ByteWriter& w, float x, std::uint16_t uvs = 0) {
    w.write_u16(uvs);
    quillmere_dat::utils::pack(w, Vector3{x, 2.0F, 3.0F});
    quillmere_dat::utils::pack(w, Vector3{0.0F, 0.0F, 1.0F});
    for (std::uint16_t i = 0; i < uvs; ++i) {
        w.write_f32(0.25F * static_cast<float>(i));
        w.write_f32(0.5F);
    }
}

// The record up to and including the vertex array, with no vertices.
void head_bytes(ByteWriter& w, std::uint32_t flags) {
    w.write_u32(0x01000042);  // id
    w.write_u32(flags);
    w.write_smart_vec(std::vector<std::uint32_t>{0x08000001, 0x08000002});
    w.write_u32(1);  // vertex_type
    w.write_u32(0);  // vertex count
}

// The smallest polygon: no vertices, 10 bytes.
void empty_polygon_bytes(ByteWriter& w) {
    for (int i = 0; i < 10; ++i) w.write_u8(0);
}

std::string frame_messages(const quillmere_dat::error::ReadError& error) {
    std::string out;
    for (const auto& frame : error.frames()) out += frame.message() + "|";
    return out;
}

}  // namespace

TEST(Polygon, SizeFollowsFlagsAndSideMode) {
    struct Case {
        std::uint8_t n;
        std::uint8_t flags;
        std::uint32_t side_mode;
        std::uint64_t size;
        bool pos_uvs;
        bool neg_uvs;
    };
    const std::vector<Case> cases = {
        {3, 0x00, 2, 22, true, true},   {3, 0x04, 2, 19, false, true}, {3, 0x08, 2, 19, true, false},
        {3, 0x0C, 2, 16, false, false}, {3, 0x00, 1, 19, true, false}, {3, 0xF3, 2, 22, true, true},
        {0, 0x00, 2, 10, false, false}, {0, 0x0C, 0, 10, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.n) << " " << int(c.flags) << " " << c.side_mode);
        ByteWriter w;
        w.write_u8(c.n);
        w.write_u8(c.flags);
        w.write_u32(c.side_mode);
        w.write_u16(0x0102);
        w.write_u16(0x0304);
        for (std::uint8_t i = 0; i < 3 * c.n + 4; ++i) w.write_u8(static_cast<std::uint8_t>(0x10 + i));
        ByteReader reader(w.bytes());
        const Polygon polygon = Polygon::unpack(reader).value();
        EXPECT_EQ(reader.position(), c.size);
        EXPECT_EQ(polygon.pos_surface, 0x0102);
        EXPECT_EQ(polygon.neg_surface, 0x0304);
        ASSERT_EQ(polygon.vertex_ids.size(), c.n);
        if (c.n > 0) {
            EXPECT_EQ(polygon.vertex_ids[0], 0x1110);
        }
        EXPECT_EQ(polygon.pos_uv_indices.size(), c.pos_uvs ? c.n : 0U);
        EXPECT_EQ(polygon.neg_uv_indices.size(), c.neg_uvs ? c.n : 0U);
        ByteWriter again;
        polygon.pack(again);
        EXPECT_EQ(again.position(), c.size);
    }
}

TEST(CVertexArray, OnlyVertexTypeOneCarriesVertices) {
    // A vertex with no texture pairs is 26 bytes after its id.
    ByteWriter w;
    w.write_u32(1);
    w.write_u32(1);
    w.write_u16(7);
    vertex_bytes(w, 1.0F);
    ByteReader reader(w.bytes());
    const CVertexArray array = CVertexArray::unpack(reader).value();
    EXPECT_EQ(reader.position(), 8U + 2 + 26);
    ASSERT_EQ(array.vertices.size(), 1U);
    EXPECT_TRUE(array.vertices.at(7).uvs.empty());
    EXPECT_EQ(array.vertices.at(7).origin, (Vector3{1.0F, 2.0F, 3.0F}));

    // Type 2 with a count of 5: nothing after the count word is consumed.
    ByteWriter other;
    other.write_u32(2);
    other.write_u32(5);
    other.write_u16(7);
    vertex_bytes(other, 1.0F);
    ByteReader other_reader(other.bytes());
    const CVertexArray skipped = CVertexArray::unpack(other_reader).value();
    EXPECT_EQ(other_reader.position(), 8U);
    EXPECT_EQ(skipped.vertex_type, 2U);
    EXPECT_TRUE(skipped.vertices.empty());
}

TEST(CVertexArray, RepeatedIdKeepsTheLaterVertex) {
    ByteWriter w;
    w.write_u32(1);
    w.write_u32(3);
    w.write_u16(4);
    vertex_bytes(w, 1.0F);
    w.write_u16(5);
    vertex_bytes(w, 2.0F, 2);
    w.write_u16(4);
    vertex_bytes(w, 3.0F, 1);
    ByteReader reader(w.bytes());
    const CVertexArray array = CVertexArray::unpack(reader).value();
    EXPECT_EQ(reader.remaining(), 0U);
    ASSERT_EQ(array.vertices.size(), 2U);
    EXPECT_EQ(array.vertices.at(4).origin.x, 3.0F);
    EXPECT_EQ(array.vertices.at(4).uvs, (std::vector<Vec2Duv>{{0.0F, 0.5F}}));
    EXPECT_EQ(array.vertices.at(5).uvs.size(), 2U);
}

TEST(SWVertex, FailuresNameTheirFields) {
    ByteWriter w;
    vertex_bytes(w, 1.0F, 2);  // 26 + 16 bytes
    struct Case {
        std::size_t keep;
        std::string frames;
    };
    const std::vector<Case> cases = {
        {1, "While parsing field 'num_uvs' in SWVertex|"},
        {2 + 5, "While parsing field 'y' in Vector3|While parsing field 'origin' in SWVertex|"},
        {2 + 12 + 8, "While parsing field 'z' in Vector3|While parsing field 'normal' in SWVertex|"},
        {26 + 2, "While parsing field 'u' in Vec2Duv|While parsing field 'uvs' in SWVertex|"},
        {26 + 8 + 6, "While parsing field 'v' in Vec2Duv|While parsing field 'uvs' in SWVertex|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keep);
        const Bytes cut(w.bytes().begin(), w.bytes().begin() + static_cast<std::ptrdiff_t>(c.keep));
        ByteReader reader(cut);
        const auto error = SWVertex::unpack(reader).error();
        EXPECT_TRUE(error.is_end_of_data());
        EXPECT_EQ(frame_messages(error), c.frames);
        EXPECT_EQ(reader.position(), 0U);
    }
}

TEST(GfxObj, FlagsGateTheOptionalParts) {
    // flags 0: id, flags, surfaces, vertex array and sort centre only.
    ByteWriter plain;
    head_bytes(plain, 0);
    quillmere_dat::utils::pack(plain, Vector3{4.0F, 5.0F, 6.0F});
    const std::uint64_t plain_size = plain.position();
    plain.write_u32(0xAAAAAAAA);  // ignored
    ByteReader plain_reader(plain.bytes());
    const GfxObj object = GfxObj::unpack(plain_reader).value();
    EXPECT_EQ(plain_reader.position(), plain_size);
    EXPECT_EQ(object.id, 0x01000042U);
    EXPECT_EQ(object.surfaces, (std::vector<std::uint32_t>{0x08000001, 0x08000002}));
    EXPECT_EQ(object.sort_center, (Vector3{4.0F, 5.0F, 6.0F}));
    EXPECT_TRUE(object.physics_polygons.empty());
    EXPECT_TRUE(object.polygons.empty());
    EXPECT_FALSE(object.physics_bsp || object.drawing_bsp || object.degrade_id);

    // flags 0x8 alone: the degrade id follows the sort centre directly.
    ByteWriter degrade;
    head_bytes(degrade, 0x8);
    quillmere_dat::utils::pack(degrade, Vector3{});
    degrade.write_u32(0x11000077);
    ByteReader degrade_reader(degrade.bytes());
    EXPECT_EQ(GfxObj::unpack(degrade_reader).value().degrade_id, 0x11000077U);
    EXPECT_EQ(degrade_reader.remaining(), 0U);

    // flags 0x1 with no physics polygons: the tree still follows.
    ByteWriter physics;
    head_bytes(physics, 0x1);
    physics.write_u8(0);
    physics.write_u32(quillmere_dat::physics::bsp_leaf_tag);
    physics.write_u32(3);
    physics.write_u32(0);
    quillmere_dat::utils::pack(physics, Sphere{});
    physics.write_u32(0);
    quillmere_dat::utils::pack(physics, Vector3{1.0F, 1.0F, 1.0F});
    ByteReader physics_reader(physics.bytes());
    const GfxObj with_tree = GfxObj::unpack(physics_reader).value();
    EXPECT_EQ(physics_reader.remaining(), 0U);
    ASSERT_TRUE(with_tree.physics_bsp.has_value());
    EXPECT_EQ(std::get<BspLeaf>(with_tree.physics_bsp->value).leaf_index, 3U);
    EXPECT_EQ(with_tree.sort_center, (Vector3{1.0F, 1.0F, 1.0F}));
    EXPECT_FALSE(with_tree.drawing_bsp.has_value());
}

TEST(GfxObj, VertexTypeOtherThanOneReadsOnFromTheCount) {
    ByteWriter w;
    w.write_u32(1);
    w.write_u32(0);
    w.write_u8(0);  // no surfaces
    w.write_u32(2);
    w.write_u32(5);
    quillmere_dat::utils::pack(w, Vector3{7.0F, 8.0F, 9.0F});
    ByteReader reader(w.bytes());
    const GfxObj object = GfxObj::unpack(reader).value();
    EXPECT_TRUE(object.vertex_array.vertices.empty());
    EXPECT_EQ(object.sort_center, (Vector3{7.0F, 8.0F, 9.0F}));
}

TEST(GfxObj, PolygonMapsKeepTheLaterEntryAndAreIndependent) {
    ByteWriter w;
    head_bytes(w, 0x3);
    w.write_u8(2);  // physics polygons: id 9 twice
    for (const std::uint8_t sides : {1, 3}) {
        w.write_u16(9);
        w.write_u8(0);
        w.write_u8(0);
        w.write_u32(sides);
        w.write_zeros(4);
    }
    w.write_u32(quillmere_dat::physics::bsp_leaf_tag);
    w.write_u32(0);
    w.write_zeros(4 + 16 + 4);
    quillmere_dat::utils::pack(w, Vector3{});
    w.write_u8(1);  // drawing polygons: id 9 again
    w.write_u16(9);
    empty_polygon_bytes(w);
    w.write_u32(quillmere_dat::physics::bsp_leaf_tag);
    w.write_u32(0);
    ByteReader reader(w.bytes());
    const GfxObj object = GfxObj::unpack(reader).value();
    EXPECT_EQ(reader.remaining(), 0U);
    ASSERT_EQ(object.physics_polygons.size(), 1U);
    EXPECT_EQ(object.physics_polygons.at(9).side_mode, 3U);
    ASSERT_EQ(object.polygons.size(), 1U);
    EXPECT_EQ(object.polygons.at(9).side_mode, 0U);
}

TEST(GfxObj, PolygonCountIsCompressed) {
    GfxObj object;
    object.flags = 0x2;
    for (std::uint16_t id = 0; id < 200; ++id) object.polygons[id] = Polygon{};
    object.drawing_bsp = BspNode(BspLeaf{});
    // id, flags, empty smart vec (1 byte), vertex array (8), sort centre (12).
    constexpr std::size_t count_at = 4 + 4 + 1 + 8 + 12;

    ByteWriter w;
    object.pack(w);
    EXPECT_EQ(w.bytes()[count_at], 0x80);
    EXPECT_EQ(w.bytes()[count_at + 1], 0xC8);
    EXPECT_EQ(w.bytes()[count_at + 2], 0x00);  // low byte of the first id, 0
    ByteReader reader(w.bytes());
    EXPECT_EQ(GfxObj::unpack(reader).value(), object);
    EXPECT_EQ(reader.remaining(), 0U);

    object.polygons.erase(object.polygons.begin(), object.polygons.find(195));
    ByteWriter five;
    object.pack(five);
    EXPECT_EQ(five.bytes()[count_at], 0x05);
    EXPECT_EQ(five.bytes()[count_at + 1], 195);  // the first id follows at once
}

TEST(GfxObj, FailuresPassUpUnchanged) {
    struct Case {
        std::string name;
        Bytes bytes;
        std::string frames;
    };
    ByteWriter vertex;
    head_bytes(vertex, 0);
    Bytes cut_vertex = vertex.bytes();
    cut_vertex[cut_vertex.size() - 4] = 1;  // one vertex
    cut_vertex.insert(cut_vertex.end(), {0x07, 0x00, 0x00});  // its id and half a num_uvs

    ByteWriter tree;
    head_bytes(tree, 0x2);
    quillmere_dat::utils::pack(tree, Vector3{});
    tree.write_u8(0);
    tree.write_u32(0x4250494E);  // BPIN with a positive leaf and nothing more
    quillmere_dat::utils::pack(tree, Plane{});
    tree.write_u32(quillmere_dat::physics::bsp_leaf_tag);
    tree.write_u32(0);

    ByteWriter huge;
    head_bytes(huge, 0x1);
    huge.write_compressed_u32(0x3FFFFFFF);
    huge.write_u16(1);
    const std::vector<Case> cases = {
        {"cut vertex", cut_vertex, "While parsing field 'num_uvs' in SWVertex|"},
        {"cut tree", tree.bytes(), ""},
        {"huge polygon count", huge.bytes(), ""},
        {"cut sort centre", vertex.bytes(), "While parsing field 'x' in Vector3|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ByteReader reader(c.bytes);
        const auto error = GfxObj::unpack(reader).error();
        EXPECT_TRUE(error.is_end_of_data());
        EXPECT_EQ(frame_messages(error), c.frames);
    }

    // Huge vertex and texture pair counts end in end of data as well.
    ByteWriter uvs;
    uvs.write_u32(1);
    uvs.write_u32(0xFFFFFFFF);
    uvs.write_u16(0);
    uvs.write_u16(0xFFFF);
    uvs.write_zeros(24);
    ByteReader uv_reader(uvs.bytes());
    EXPECT_TRUE(CVertexArray::unpack(uv_reader).error().is_end_of_data());
}

TEST(GfxObj, RichObjectRoundTrips) {
    GfxObj object;
    object.id = 0x010012AB;
    object.flags = 0x1 | 0x2 | 0x8 | 0x40;  // an untested bit is kept too
    object.surfaces = {0x08000010, 0x08000011, 0x08000012};
    object.vertex_array.vertex_type = 1;
    object.vertex_array.vertices[0] = SWVertex{1, {0.0F, 0.0F, 0.0F}, {0.0F, 0.0F, 1.0F}, {{0.0F, 1.0F}}};
    object.vertex_array.vertices[1] = SWVertex{0, {1.0F, -0.0F, 2.5F}, {0.0F, 1.0F, 0.0F}, {}};
    object.vertex_array.vertices[300] =
        SWVertex{2, {-1.0F, 3.0F, 1e-40F}, {1.0F, 0.0F, 0.0F}, {{0.5F, 0.5F}, {0.25F, 0.75F}}};
    object.physics_polygons[4] = Polygon{3, 0x04, 1, 2, 0, {0, 1, 300}, {}, {}};
    object.physics_polygons[2] = Polygon{0, 0x0C, 2, 0, 0, {}, {}, {}};
    object.polygons[4] = Polygon{3, 0x00, 2, 5, 6, {300, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    object.polygons[7] = Polygon{3, 0x08, 2, 5, 6, {0, 1, 300}, {2, 1, 0}, {}};

    InternalNode physics_root;
    physics_root.node_type = InternalNode::node_type_of(0x4250494E);
    physics_root.plane = Plane{{0.0F, 0.0F, 1.0F}, -1.0F};
    physics_root.pos_child = std::make_unique<BspNode>(BspLeaf{0, 1, Sphere{{0.0F, 0.0F, 1.0F}, 2.0F}, {4}});
    physics_root.neg_child = std::make_unique<BspNode>(BspLeaf{1, 0, Sphere{}, {2, 4}});
    physics_root.sphere = Sphere{{0.0F, 0.0F, 0.0F}, 5.0F};
    object.physics_bsp = BspNode(std::move(physics_root));

    object.sort_center = Vector3{0.5F, 0.5F, 0.5F};

    InternalNode childless;
    childless.node_type = InternalNode::node_type_of(0x4270496E);  // BpIn
    childless.plane = Plane{{1.0F, 0.0F, 0.0F}, 0.0F};
    childless.sphere = Sphere{};
    childless.poly_ids = {7};
    BspPortal portal;
    portal.plane = Plane{{0.0F, 1.0F, 0.0F}, 3.0F};
    portal.pos_child = std::make_unique<BspNode>(BspLeaf{2, 0, std::nullopt, {}});
    portal.neg_child = std::make_unique<BspNode>(std::move(childless));
    portal.sphere = Sphere{{1.0F, 1.0F, 1.0F}, 1.0F};
    portal.poly_ids = {4, 7};
    portal.portals = {PortalPoly{0, 4}, PortalPoly{1, 7}, PortalPoly{2, 7}};
    object.drawing_bsp = BspNode(std::move(portal));
    object.degrade_id = 0x11000ABC;

    ByteWriter w;
    object.pack(w);
    ByteReader reader(w.bytes());
    const GfxObj decoded = GfxObj::unpack(reader).value();
    EXPECT_EQ(reader.remaining(), 0U);
    EXPECT_EQ(decoded, object);

    ByteWriter again;
    decoded.pack(again);
    EXPECT_EQ(again.bytes(), w.bytes());
}
