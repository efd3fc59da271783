#include <quillmere/common/try.hpp>
#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <optional>
#include <string>

namespace quillmere_dat::physics {

namespace {

using quillmere_common::math::Plane;
using utils::ByteReader;
using utils::ReadResult;

struct ChildPresence {
    bool positive = false;
    bool negative = false;
};

// Only tags of the form B{P|p}{I|n}{N|n} carry children: 'P' second for the
// positive one, 'N' fourth for the negative one.
ChildPresence children_of(std::uint32_t tag) {
    const auto type = InternalNode::node_type_of(tag);
    const bool has_children = type[0] == 'B' && (type[1] == 'P' || type[1] == 'p') &&
                              (type[2] == 'I' || type[2] == 'n') &&
                              (type[3] == 'N' || type[3] == 'n');
    if (!has_children) return {};
    return {type[1] == 'P', type[3] == 'N'};
}

ReadResult<std::vector<std::uint16_t>> read_u16_list(ByteReader& reader, std::uint64_t count) {
    return utils::read_list<std::uint16_t>(reader, count, 2,
                                           [](ByteReader& r) { return r.read_u16(); });
}

// The fields of a node that are not children, read with ordinary results.

ReadResult<BspLeaf> read_leaf(ByteReader& reader, BspTreeKind kind) {
    BspLeaf leaf;
    leaf.leaf_index = QM_TRY(reader.read_u32());
    if (kind != BspTreeKind::physics) return leaf;
    leaf.solid = QM_TRY(reader.read_u32());
    leaf.sphere = QM_TRY(utils::read_sphere(reader));
    const std::uint32_t count = QM_TRY(reader.read_u32());
    leaf.poly_ids = QM_TRY(read_u16_list(reader, count));
    return leaf;
}

ReadResult<void> read_trailer(ByteReader& reader, BspTreeKind kind, InternalNode& node) {
    if (kind == BspTreeKind::structural) return {};
    node.sphere = QM_TRY(utils::read_sphere(reader));
    if (kind == BspTreeKind::physics) return {};
    const std::uint32_t count = QM_TRY(reader.read_u32());
    node.poly_ids = QM_TRY(read_u16_list(reader, count));
    return {};
}

ReadResult<void> read_trailer(ByteReader& reader, BspTreeKind kind, BspPortal& portal) {
    if (kind != BspTreeKind::drawing) return {};
    portal.sphere = QM_TRY(utils::read_sphere(reader));
    // Both counts come before both lists.
    const std::uint32_t poly_count = QM_TRY(reader.read_u32());
    const std::uint32_t portal_count = QM_TRY(reader.read_u32());
    portal.poly_ids = QM_TRY(read_u16_list(reader, poly_count));
    portal.portals = QM_TRY(utils::read_list<PortalPoly>(reader, portal_count, 4, PortalPoly::unpack));
    return {};
}

// The recursion. Its frames are kept small, since the reader recurses once
// per level and instrumented builds give every error value on the stack its
// own padded slot: no error value lives on the recursive path. The first
// failure is stored in the walk and reported upwards as `false`; every
// error-carrying read happens in a separate, non-inlined step.
struct Walk {
    ByteReader& reader;
    BspTreeKind kind;
    std::optional<error::ReadError> failure;
};

[[gnu::cold, gnu::noinline]] bool fail(Walk& walk, error::ReadError error) {
    walk.failure = std::move(error);
    return false;
}

[[gnu::noinline]] bool read_tag(Walk& walk, std::size_t depth, std::uint32_t& tag) {
    if (depth > max_bsp_depth) {
        return fail(walk, error::ReadError::check(
                              "BSP tree deeper than " + std::to_string(max_bsp_depth) + " levels",
                              walk.reader.position()));
    }
    auto read = walk.reader.read_u32();
    if (!read.has_value()) return fail(walk, std::move(read).error());
    tag = *read;
    return true;
}

[[gnu::noinline]] bool read_leaf_into(Walk& walk, BspNode& out) {
    auto leaf = read_leaf(walk.reader, walk.kind);
    if (!leaf.has_value()) return fail(walk, std::move(leaf).error());
    out.value = std::move(*leaf);
    return true;
}

[[gnu::noinline]] bool read_plane_into(Walk& walk, Plane& plane) {
    auto read = utils::read_plane(walk.reader);
    if (!read.has_value()) return fail(walk, std::move(read).error());
    plane = *read;
    return true;
}

template <typename Split>
[[gnu::noinline]] bool read_trailer_into(Walk& walk, Split& split) {
    auto read = read_trailer(walk.reader, walk.kind, split);
    if (!read.has_value()) return fail(walk, std::move(read).error());
    return true;
}

bool read_node(Walk& walk, std::size_t depth, BspNode& out);

// Plane, the children `children` names, then the trailing fields. A split is
// an InternalNode or a BspPortal; on failure it holds a partial subtree that
// the caller discards.
template <typename Split>
bool read_split(Walk& walk, std::size_t depth, ChildPresence children, Split& split) {
    if (!read_plane_into(walk, split.plane)) return false;
    if (children.positive) {
        split.pos_child.reset(new BspNode());
        if (!read_node(walk, depth + 1, *split.pos_child)) return false;
    }
    if (children.negative) {
        split.neg_child.reset(new BspNode());
        if (!read_node(walk, depth + 1, *split.neg_child)) return false;
    }
    return read_trailer_into(walk, split);
}

bool read_node(Walk& walk, std::size_t depth, BspNode& out) {
    std::uint32_t tag = 0;
    if (!read_tag(walk, depth, tag)) return false;
    if (tag == bsp_leaf_tag) return read_leaf_into(walk, out);
    if (tag == bsp_portal_tag) return read_split(walk, depth, {true, true}, out.value.emplace<BspPortal>());
    auto& internal = out.value.emplace<InternalNode>();
    internal.node_type = InternalNode::node_type_of(tag);
    return read_split(walk, depth, children_of(tag), internal);
}

}  // namespace

ReadResult<PortalPoly> PortalPoly::unpack(ByteReader& reader) {
    utils::FieldReader record(reader, "PortalPoly");
    const std::uint16_t portal_index = QM_TRY(record.u16("portal_index"));
    const std::uint16_t poly_id = QM_TRY(record.u16("poly_id"));
    return PortalPoly{portal_index, poly_id};
}

std::uint32_t InternalNode::tag() const noexcept {
    std::uint32_t tag = 0;
    for (const char c : node_type) tag = (tag << 8) | static_cast<std::uint8_t>(c);
    return tag;
}

std::array<char, 4> InternalNode::node_type_of(std::uint32_t tag) noexcept {
    return {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
            static_cast<char>(tag)};
}

ReadResult<BspPortal> BspPortal::read(ByteReader& reader, BspTreeKind kind) {
    Walk walk{reader, kind, std::nullopt};
    BspPortal portal;
    if (!read_split(walk, 1, {true, true}, portal)) return std::unexpected(std::move(*walk.failure));
    return portal;
}

ReadResult<BspNode> BspNode::read(ByteReader& reader, BspTreeKind kind) {
    Walk walk{reader, kind, std::nullopt};
    BspNode node;
    if (!read_node(walk, 1, node)) return std::unexpected(std::move(*walk.failure));
    return node;
}

}  // namespace quillmere_dat::physics
