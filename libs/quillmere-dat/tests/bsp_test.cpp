#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>
#include <quillmere/dat/utils/math_records.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace quillmere_dat::physics;
using quillmere_common::math::Plane;
using quillmere_common::math::Sphere;
using quillmere_dat::utils::ByteReader;
using quillmere_dat::utils::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Tags as the reader sees them (the file holds their bytes reversed).
constexpr std::uint32_t BPIN = 0x4250494E;
constexpr std::uint32_t BPnN = 0x42506E4E;
constexpr std::uint32_t BPIn = 0x4250496E;
constexpr std::uint32_t BPnn = 0x42506E6E;
constexpr std::uint32_t BpIN = 0x4270494E;
constexpr std::uint32_t BpnN = 0x42706E4E;
constexpr std::uint32_t BpIn = 0x4270496E;
constexpr std::uint32_t Bpnn = 0x42706E6E;

const Plane plane{{0.0F, 0.0F, 1.0F}, -2.5F};
const Sphere sphere{{1.0F, 2.0F, 3.0F}, 4.0F};

// Hand-made wire pieces, written field by field as the format lays them out.
void leaf_bytes(ByteWriter& w, BspTreeKind kind, std::uint32_t index, const std::vector<std::uint16_t>& ids = {}) {
    w.write_u32(bsp_leaf_tag);
    w.write_u32(index);
    if (kind != BspTreeKind::physics) return;
    w.write_u32(1);  // solid
    quillmere_dat::utils::pack(w, sphere);
    w.write_u32(static_cast<std::uint32_t>(ids.size()));
    for (const auto id : ids) w.write_u16(id);
}

void split_head(ByteWriter& w, std::uint32_t tag) {
    w.write_u32(tag);
    quillmere_dat::utils::pack(w, plane);
}

void internal_trailer(ByteWriter& w, BspTreeKind kind, const std::vector<std::uint16_t>& ids) {
    if (kind == BspTreeKind::structural) return;
    quillmere_dat::utils::pack(w, sphere);
    if (kind == BspTreeKind::physics) return;
    w.write_u32(static_cast<std::uint32_t>(ids.size()));
    for (const auto id : ids) w.write_u16(id);
}

BspNode leaf(std::uint32_t index) { return BspLeaf{index, 0, std::nullopt, {}}; }

const BspLeaf& as_leaf(const std::unique_ptr<BspNode>& node) { return std::get<BspLeaf>(node->value); }

std::string frame_messages(const quillmere_dat::error::ReadError& error) {
    std::string out;
    for (const auto& frame : error.frames()) out += frame.message() + "|";
    return out;
}

}  // namespace

TEST(BspLeaf, FieldsDependOnTheTreeKind) {
    // Drawing: tag and leaf_index only, 8 bytes; the tag is stored reversed.
    const Bytes drawing = {0x46, 0x41, 0x45, 0x4C, 0x07, 0x00, 0x00, 0x00, 0xEE};
    ByteReader reader(drawing);
    const BspNode node = BspNode::read(reader, BspTreeKind::drawing).value();
    EXPECT_EQ(reader.position(), 8U);
    EXPECT_EQ(node, BspNode(BspLeaf{7, 0, std::nullopt, {}}));

    // Physics with two polygon ids: tag, index, solid, sphere, count, ids = 36 bytes.
    ByteWriter w;
    leaf_bytes(w, BspTreeKind::physics, 9, {5, 6});
    w.write_u32(0xDEADBEEF);  // not part of the tree
    ByteReader physics(w.bytes());
    const BspNode physics_leaf = BspNode::read(physics, BspTreeKind::physics).value();
    EXPECT_EQ(physics.position(), 36U);
    EXPECT_EQ(physics_leaf, BspNode(BspLeaf{9, 1, sphere, {5, 6}}));

    ByteReader structural(drawing);
    EXPECT_EQ(BspNode::read(structural, BspTreeKind::structural).value(), node);
    EXPECT_EQ(structural.position(), 8U);
}

TEST(BspInternal, BpinOverTwoLeavesByKind) {
    struct Case {
        BspTreeKind kind;
        std::uint64_t size;
    };
    // head 20 + two leaves + trailer (physics: sphere; drawing: sphere, count, 2 ids).
    const std::vector<Case> cases = {
        {BspTreeKind::physics, 20 + 32 + 32 + 16},
        {BspTreeKind::drawing, 20 + 8 + 8 + 16 + 4 + 4},
        {BspTreeKind::structural, 20 + 8 + 8},
    };
    for (const auto& c : cases) {
        ByteWriter w;
        split_head(w, BPIN);
        leaf_bytes(w, c.kind, 1);
        leaf_bytes(w, c.kind, 2);
        internal_trailer(w, c.kind, {10, 11});
        ASSERT_EQ(w.position(), c.size);
        w.write_u32(0xFFFFFFFF);
        ByteReader reader(w.bytes());
        const BspNode node = BspNode::read(reader, c.kind).value();
        EXPECT_EQ(reader.position(), c.size);
        const auto& internal = std::get<InternalNode>(node.value);
        EXPECT_EQ(std::string(internal.node_type.begin(), internal.node_type.end()), "BPIN");
        EXPECT_EQ(internal.plane, plane);
        EXPECT_EQ(as_leaf(internal.pos_child).leaf_index, 1U);
        EXPECT_EQ(as_leaf(internal.neg_child).leaf_index, 2U);
        EXPECT_EQ(internal.sphere.has_value(), c.kind != BspTreeKind::structural);
        EXPECT_EQ(internal.poly_ids,
                  (c.kind == BspTreeKind::drawing ? std::vector<std::uint16_t>{10, 11}
                                                  : std::vector<std::uint16_t>{}));
    }
}

TEST(BspInternal, TagDecidesWhichChildrenAreRead) {
    struct Case {
        std::uint32_t tag;
        bool positive;
        bool negative;
    };
    const std::vector<Case> cases = {
        {BPIN, true, true},      {BPnN, true, true},       {BPIn, true, false},
        {BPnn, true, false},     {BpIN, false, true},      {BpnN, false, true},
        {BpIn, false, false},    {Bpnn, false, false},     {0x58585858, false, false},
        {0x4C454158, false, false},  // "LEAX": starts like a leaf, still internal
        {0x504F5258, false, false},  // "PORX"
        {0x4250494F, false, false},  // "BPIO": fourth character not N or n
        {0x00000000, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        ByteWriter w;
        split_head(w, c.tag);
        if (c.positive) leaf_bytes(w, BspTreeKind::drawing, 1);
        if (c.negative) leaf_bytes(w, BspTreeKind::drawing, 2);
        internal_trailer(w, BspTreeKind::drawing, {3});
        const std::uint64_t size = w.position();
        w.write_u32(bsp_leaf_tag);  // would be misread as a child if one were expected
        ByteReader reader(w.bytes());
        const BspNode node = BspNode::read(reader, BspTreeKind::drawing).value();
        EXPECT_EQ(reader.position(), size);
        const auto& internal = std::get<InternalNode>(node.value);
        EXPECT_EQ(internal.tag(), c.tag);
        EXPECT_EQ(internal.pos_child != nullptr, c.positive);
        EXPECT_EQ(internal.neg_child != nullptr, c.negative);
        EXPECT_EQ(internal.poly_ids, std::vector<std::uint16_t>{3});
    }
}

TEST(BspPortal, TrailingFieldsOnlyInDrawingTrees) {
    // Physics: tag, plane and the two subtrees, nothing after them.
    ByteWriter physics;
    physics.write_u32(bsp_portal_tag);
    quillmere_dat::utils::pack(physics, plane);
    leaf_bytes(physics, BspTreeKind::physics, 1);
    leaf_bytes(physics, BspTreeKind::physics, 2);
    const std::uint64_t physics_size = physics.position();
    physics.write_u32(0);
    ByteReader physics_reader(physics.bytes());
    const BspNode physics_node = BspNode::read(physics_reader, BspTreeKind::physics).value();
    EXPECT_EQ(physics_reader.position(), physics_size);
    const auto& bare = std::get<BspPortal>(physics_node.value);
    EXPECT_FALSE(bare.sphere.has_value());
    EXPECT_TRUE(bare.portals.empty());

    // Drawing, np = 1 and nq = 2: after the sphere, both counts, then both
    // lists: 4 + 4 + 2 + 2 * 4 = 18 bytes.
    ByteWriter drawing;
    drawing.write_u32(bsp_portal_tag);
    quillmere_dat::utils::pack(drawing, plane);
    leaf_bytes(drawing, BspTreeKind::drawing, 1);
    leaf_bytes(drawing, BspTreeKind::drawing, 2);
    quillmere_dat::utils::pack(drawing, sphere);
    const std::uint64_t after_sphere = drawing.position();
    for (const std::uint32_t word : {1U, 2U}) drawing.write_u32(word);
    for (const std::uint16_t half : {0x0101, 0x0A00, 0x0B00, 0x0A01, 0x0B01}) drawing.write_u16(half);
    ASSERT_EQ(drawing.position() - after_sphere, 18U);
    ByteReader reader(drawing.bytes());
    const BspNode node = BspNode::read(reader, BspTreeKind::drawing).value();
    EXPECT_EQ(reader.remaining(), 0U);
    const auto& portal = std::get<BspPortal>(node.value);
    EXPECT_EQ(portal.sphere, sphere);
    EXPECT_EQ(portal.poly_ids, std::vector<std::uint16_t>{0x0101});
    EXPECT_EQ(portal.portals, (std::vector<PortalPoly>{{0x0A00, 0x0B00}, {0x0A01, 0x0B01}}));
    EXPECT_EQ(as_leaf(portal.pos_child).leaf_index, 1U);
    EXPECT_EQ(as_leaf(portal.neg_child).leaf_index, 2U);

    // Read directly after the tag, as the node reader does.
    ByteReader direct(drawing.bytes());
    direct.set_position(4);
    EXPECT_EQ(BspPortal::read(direct, BspTreeKind::drawing).value(), portal);
}

TEST(BspRead, FailuresFailTheWholeTree) {
    // The positive subtree is complete; data ends inside the negative one.
    ByteWriter cut;
    split_head(cut, BPIN);
    leaf_bytes(cut, BspTreeKind::physics, 1);
    leaf_bytes(cut, BspTreeKind::physics, 2);
    Bytes bytes = cut.bytes();
    bytes.resize(bytes.size() - 3);
    ByteReader reader(bytes);
    const auto error = BspNode::read(reader, BspTreeKind::physics).error();
    EXPECT_TRUE(error.is_end_of_data());
    EXPECT_TRUE(error.frames().empty());

    // A portal list cut inside its second portal names the PortalPoly field.
    struct Case {
        std::size_t keep;
        std::string frames;
    };
    ByteWriter w;
    w.write_u32(bsp_portal_tag);
    quillmere_dat::utils::pack(w, plane);
    leaf_bytes(w, BspTreeKind::drawing, 1);
    leaf_bytes(w, BspTreeKind::drawing, 2);
    quillmere_dat::utils::pack(w, sphere);
    w.write_u32(0);
    w.write_u32(2);
    for (const std::uint16_t half : {1, 2, 3, 4}) w.write_u16(half);
    const std::size_t second_portal = w.bytes().size() - 4;
    const std::vector<Case> cases = {
        {second_portal + 1, "While parsing field 'portal_index' in PortalPoly|"},
        {second_portal + 3, "While parsing field 'poly_id' in PortalPoly|"},
    };
    for (const auto& c : cases) {
        const Bytes portal(w.bytes().begin(), w.bytes().begin() + static_cast<std::ptrdiff_t>(c.keep));
        ByteReader r(portal);
        const auto e = BspNode::read(r, BspTreeKind::drawing).error();
        EXPECT_TRUE(e.is_end_of_data());
        EXPECT_EQ(frame_messages(e), c.frames);
    }

    // A plane cut short carries the math records' own frames.
    const Bytes short_plane = {0x4E, 0x49, 0x50, 0x42, 0, 0, 0, 0, 0, 0};
    ByteReader plane_reader(short_plane);
    EXPECT_EQ(frame_messages(BspNode::read(plane_reader, BspTreeKind::drawing).error()),
              "While parsing field 'y' in Vector3|While parsing field 'normal' in Plane|");
}

TEST(BspRead, HugeDeclaredCountsEndInEndOfData) {
    ByteWriter leaf_count;
    leaf_count.write_u32(bsp_leaf_tag);
    leaf_count.write_u32(0);
    leaf_count.write_u32(0);
    quillmere_dat::utils::pack(leaf_count, sphere);
    leaf_count.write_u32(0xFFFFFFFF);
    leaf_count.write_u16(1);
    ByteReader leaf_reader(leaf_count.bytes());
    EXPECT_TRUE(BspNode::read(leaf_reader, BspTreeKind::physics).error().is_end_of_data());

    ByteWriter portal_counts;
    portal_counts.write_u32(bsp_portal_tag);
    quillmere_dat::utils::pack(portal_counts, plane);
    leaf_bytes(portal_counts, BspTreeKind::drawing, 1);
    leaf_bytes(portal_counts, BspTreeKind::drawing, 2);
    quillmere_dat::utils::pack(portal_counts, sphere);
    portal_counts.write_u32(0);
    portal_counts.write_u32(0xFFFFFFFF);
    ByteReader portal_reader(portal_counts.bytes());
    EXPECT_TRUE(BspNode::read(portal_reader, BspTreeKind::drawing).error().is_end_of_data());
}

namespace {

// A chain of BPIn nodes (positive child only), each 20 bytes before its
// child, ending in a drawing leaf; trailers follow innermost first.
Bytes positive_chain(std::size_t levels) {
    ByteWriter w;
    for (std::size_t i = 1; i < levels; ++i) split_head(w, BPIn);
    leaf_bytes(w, BspTreeKind::drawing, 0);
    for (std::size_t i = 1; i < levels; ++i) internal_trailer(w, BspTreeKind::drawing, {});
    return std::move(w).take();
}

// The same chain as objects, built from the bottom up.
BspNode positive_chain_node(std::size_t levels, std::uint32_t leaf_index) {
    BspNode node = leaf(leaf_index);
    for (std::size_t i = 1; i < levels; ++i) {
        InternalNode internal;
        internal.node_type = InternalNode::node_type_of(BPIn);
        internal.plane = plane;
        internal.pos_child = std::make_unique<BspNode>(std::move(node));
        internal.sphere = sphere;
        node = BspNode(std::move(internal));
    }
    return node;
}

}  // namespace

// `count` copies of one node's head, as a tree of nested nodes whose data
// ends before any of them finishes.
Bytes repeated_heads(std::uint32_t tag, std::size_t count) {
    ByteWriter unit;
    split_head(unit, tag);
    Bytes out;
    out.reserve(unit.bytes().size() * count);
    for (std::size_t i = 0; i < count; ++i) out.insert(out.end(), unit.bytes().begin(), unit.bytes().end());
    return out;
}

TEST(BspDepth, TreesDeeperThanTheLimitFailAtTheOffendingTag) {
    // A million levels; the node at level 1025 starts at 1024 * 20 bytes.
    constexpr std::size_t million = 1'000'000;
    const Bytes internal = repeated_heads(BPIn, million);
    ByteReader reader(internal);
    const auto error = BspNode::read(reader, BspTreeKind::drawing).error();
    EXPECT_EQ(error.display(), "BSP tree deeper than 1024 levels at 0x5000");
    EXPECT_TRUE(error.frames().empty());

    // The same through portals, whose children are always read.
    const Bytes portals = repeated_heads(bsp_portal_tag, million);
    ByteReader portal_reader(portals);
    EXPECT_EQ(BspNode::read(portal_reader, BspTreeKind::physics).error().display(),
              "BSP tree deeper than 1024 levels at 0x5000");
    portal_reader.set_position(4);  // just after the root's tag
    EXPECT_EQ(BspPortal::read(portal_reader, BspTreeKind::physics).error().display(),
              "BSP tree deeper than 1024 levels at 0x5000");
}

TEST(BspDepth, TreeAtTheLimitReadsAndRoundTrips) {
    const Bytes bytes = positive_chain(max_bsp_depth);
    ByteReader reader(bytes);
    const BspNode node = BspNode::read(reader, BspTreeKind::drawing).value();
    EXPECT_EQ(reader.remaining(), 0U);
    EXPECT_EQ(node, positive_chain_node(max_bsp_depth, 0));
    ByteWriter w;
    node.pack(w, BspTreeKind::drawing);
    EXPECT_EQ(w.bytes(), bytes);

    const Bytes one_more = positive_chain(max_bsp_depth + 1);
    ByteReader deeper(one_more);
    EXPECT_EQ(BspNode::read(deeper, BspTreeKind::drawing).error().display(),
              "BSP tree deeper than 1024 levels at 0x5000");
}

TEST(BspDepth, DeepTreesInMemoryCompareWriteAndDestroyWithoutRecursion) {
    // Far deeper than a per-level recursion could survive on the stack.
    constexpr std::size_t levels = 200'000;
    const BspNode a = positive_chain_node(levels, 1);
    const BspNode b = positive_chain_node(levels, 1);
    const BspNode c = positive_chain_node(levels, 2);  // differs only in the deepest leaf
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(std::get<InternalNode>(a.value), std::get<InternalNode>(b.value));

    ByteWriter w;
    a.pack(w, BspTreeKind::drawing);
    EXPECT_EQ(w.position(), (levels - 1) * (20 + 16 + 4) + 8);
    ByteReader reader(w.bytes());
    EXPECT_EQ(BspNode::read(reader, BspTreeKind::drawing).error().display(),
              "BSP tree deeper than 1024 levels at 0x5000");
}

TEST(BspNode, MixedTreesRoundTripInEveryKind) {
    // Fills exactly the fields a tree of `kind` carries, so decoding the
    // packed tree must give it back whole.
    auto make_tree = [](BspTreeKind kind) {
        const bool physics = kind == BspTreeKind::physics;
        const bool drawing = kind == BspTreeKind::drawing;
        const bool structural = kind == BspTreeKind::structural;
        auto make_leaf = [physics](std::uint32_t index) {
            if (!physics) return BspNode(BspLeaf{index, 0, std::nullopt, {}});
            return BspNode(BspLeaf{index, 1, sphere, {7, 8, 9}});
        };
        auto finish = [&](InternalNode& node) {
            if (!structural) node.sphere = Sphere{{9.0F, 8.0F, 7.0F}, 0.5F};
            if (drawing) node.poly_ids = {42, 43};
        };

        InternalNode negative_only;
        negative_only.node_type = InternalNode::node_type_of(BpIN);
        negative_only.plane = {{0.0F, -1.0F, 0.0F}, 1.0F};
        negative_only.neg_child = std::make_unique<BspNode>(make_leaf(4));
        finish(negative_only);

        InternalNode childless;
        childless.node_type = InternalNode::node_type_of(0x58585858);
        childless.plane = plane;
        finish(childless);

        BspPortal portal;
        portal.plane = {{1.0F, 0.0F, 0.0F}, -0.0F};
        portal.pos_child = std::make_unique<BspNode>(std::move(negative_only));
        portal.neg_child = std::make_unique<BspNode>(std::move(childless));
        if (drawing) {
            portal.sphere = sphere;
            portal.poly_ids = {1, 2, 3};
            portal.portals = {{5, 6}, {7, 8}};
        }

        InternalNode root;
        root.node_type = InternalNode::node_type_of(BPnN);
        root.plane = plane;
        root.pos_child = std::make_unique<BspNode>(make_leaf(2));
        root.neg_child = std::make_unique<BspNode>(std::move(portal));
        finish(root);
        return BspNode(std::move(root));
    };
    for (const BspTreeKind kind : {BspTreeKind::drawing, BspTreeKind::physics, BspTreeKind::structural}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const BspNode tree = make_tree(kind);
        ByteWriter w;
        tree.pack(w, kind);
        ByteReader reader(w.bytes());
        const BspNode decoded = BspNode::read(reader, kind).value();
        EXPECT_EQ(reader.remaining(), 0U);
        EXPECT_EQ(decoded, tree);
    }
    // Node equality looks into the children.
    BspNode changed = make_tree(BspTreeKind::drawing);
    auto& portal = std::get<BspPortal>(std::get<InternalNode>(changed.value).neg_child->value);
    std::get<InternalNode>(portal.pos_child->value).plane.d = 2.0F;
    EXPECT_NE(changed, make_tree(BspTreeKind::drawing));
}
