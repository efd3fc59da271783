#include <quillmere/common/try.hpp>
#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/field_reader.hpp>
#include <quillmere/dat/utils/math_records.hpp>
#include <quillmere/dat/utils/primitives.hpp>

#include <string>

namespace quillmere_dat::physics {

namespace {

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

// The recursion runs through read_into and read_split alone. Every field that
// is not a child is read by a separate, non-inlined helper into its place,
// so each level keeps only a few small results on the stack.
ReadResult<void> read_into(ByteReader& reader, BspTreeKind kind, std::size_t depth, BspNode& out);

[[gnu::noinline]] ReadResult<void> read_plane_into(ByteReader& reader, quillmere_common::math::Plane& out) {
    out = QM_TRY(utils::read_plane(reader));
    return {};
}

[[gnu::noinline]] ReadResult<void> read_leaf_into(ByteReader& reader, BspTreeKind kind, BspNode& out) {
    BspLeaf leaf;
    leaf.leaf_index = QM_TRY(reader.read_u32());
    if (kind == BspTreeKind::physics) {
        leaf.solid = QM_TRY(reader.read_u32());
        leaf.sphere = QM_TRY(utils::read_sphere(reader));
        const std::uint32_t count = QM_TRY(reader.read_u32());
        leaf.poly_ids = QM_TRY(read_u16_list(reader, count));
    }
    out.value = std::move(leaf);
    return {};
}

[[gnu::noinline]] ReadResult<void> read_trailer(ByteReader& reader, BspTreeKind kind, InternalNode& node) {
    if (kind == BspTreeKind::structural) return {};
    node.sphere = QM_TRY(utils::read_sphere(reader));
    if (kind == BspTreeKind::physics) return {};
    const std::uint32_t count = QM_TRY(reader.read_u32());
    node.poly_ids = QM_TRY(read_u16_list(reader, count));
    return {};
}

[[gnu::noinline]] ReadResult<void> read_trailer(ByteReader& reader, BspTreeKind kind, BspPortal& portal) {
    if (kind != BspTreeKind::drawing) return {};
    portal.sphere = QM_TRY(utils::read_sphere(reader));
    // Both counts come before both lists.
    const std::uint32_t poly_count = QM_TRY(reader.read_u32());
    const std::uint32_t portal_count = QM_TRY(reader.read_u32());
    portal.poly_ids = QM_TRY(read_u16_list(reader, poly_count));
    portal.portals = QM_TRY(utils::read_list<PortalPoly>(reader, portal_count, 4, PortalPoly::unpack));
    return {};
}

// Plane, the children `children` names, then the trailing fields. A split is
// an InternalNode or a BspPortal; on failure it holds a partial subtree that
// the caller discards.
template <typename Split>
ReadResult<void> read_split(ByteReader& reader, BspTreeKind kind, std::size_t depth, ChildPresence children,
                            Split& split) {
    QM_TRY_VOID(read_plane_into(reader, split.plane));
    if (children.positive) {
        split.pos_child = std::make_unique<BspNode>();
        QM_TRY_VOID(read_into(reader, kind, depth + 1, *split.pos_child));
    }
    if (children.negative) {
        split.neg_child = std::make_unique<BspNode>();
        QM_TRY_VOID(read_into(reader, kind, depth + 1, *split.neg_child));
    }
    return read_trailer(reader, kind, split);
}

ReadResult<void> read_into(ByteReader& reader, BspTreeKind kind, std::size_t depth, BspNode& out) {
    if (depth > max_bsp_depth) {
        return std::unexpected(error::ReadError::check(
            "BSP tree deeper than " + std::to_string(max_bsp_depth) + " levels", reader.position()));
    }
    const std::uint32_t tag = QM_TRY(reader.read_u32());
    if (tag == bsp_leaf_tag) return read_leaf_into(reader, kind, out);
    if (tag == bsp_portal_tag) {
        auto& portal = out.value.emplace<BspPortal>();
        return read_split(reader, kind, depth, {true, true}, portal);
    }
    auto& internal = out.value.emplace<InternalNode>();
    internal.node_type = InternalNode::node_type_of(tag);
    return read_split(reader, kind, depth, children_of(tag), internal);
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
    BspPortal portal;
    QM_TRY_VOID(read_split(reader, kind, 1, {true, true}, portal));
    return portal;
}

ReadResult<BspNode> BspNode::read(ByteReader& reader, BspTreeKind kind) {
    BspNode node;
    QM_TRY_VOID(read_into(reader, kind, 1, node));
    return node;
}

}  // namespace quillmere_dat::physics
