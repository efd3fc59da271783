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

ReadResult<BspNode> read_node(ByteReader& reader, BspTreeKind kind, std::size_t depth);

// Children are read into place rather than through QM_TRY temporaries, which
// keeps each level's stack frame small: the recursion runs through here.
ReadResult<void> read_child(ByteReader& reader, BspTreeKind kind, std::size_t depth,
                            std::unique_ptr<BspNode>& child) {
    auto node = read_node(reader, kind, depth);
    if (!node.has_value()) return std::unexpected(std::move(node).error());
    child = std::make_unique<BspNode>(std::move(*node));
    return {};
}

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

ReadResult<InternalNode> read_internal(ByteReader& reader, BspTreeKind kind, std::uint32_t tag,
                                       std::size_t depth) {
    InternalNode node;
    node.node_type = InternalNode::node_type_of(tag);
    node.plane = QM_TRY(utils::read_plane(reader));
    const ChildPresence children = children_of(tag);
    if (children.positive) QM_TRY_VOID(read_child(reader, kind, depth + 1, node.pos_child));
    if (children.negative) QM_TRY_VOID(read_child(reader, kind, depth + 1, node.neg_child));
    if (kind == BspTreeKind::structural) return node;
    node.sphere = QM_TRY(utils::read_sphere(reader));
    if (kind == BspTreeKind::physics) return node;
    const std::uint32_t count = QM_TRY(reader.read_u32());
    node.poly_ids = QM_TRY(read_u16_list(reader, count));
    return node;
}

ReadResult<BspPortal> read_portal(ByteReader& reader, BspTreeKind kind, std::size_t depth) {
    BspPortal portal;
    portal.plane = QM_TRY(utils::read_plane(reader));
    QM_TRY_VOID(read_child(reader, kind, depth + 1, portal.pos_child));
    QM_TRY_VOID(read_child(reader, kind, depth + 1, portal.neg_child));
    if (kind != BspTreeKind::drawing) return portal;
    portal.sphere = QM_TRY(utils::read_sphere(reader));
    // Both counts come before both lists.
    const std::uint32_t poly_count = QM_TRY(reader.read_u32());
    const std::uint32_t portal_count = QM_TRY(reader.read_u32());
    portal.poly_ids = QM_TRY(read_u16_list(reader, poly_count));
    portal.portals = QM_TRY(utils::read_list<PortalPoly>(reader, portal_count, 4, PortalPoly::unpack));
    return portal;
}

ReadResult<BspNode> read_node(ByteReader& reader, BspTreeKind kind, std::size_t depth) {
    if (depth > max_bsp_depth) {
        return std::unexpected(error::ReadError::check(
            "BSP tree deeper than " + std::to_string(max_bsp_depth) + " levels", reader.position()));
    }
    const std::uint32_t tag = QM_TRY(reader.read_u32());
    if (tag == bsp_leaf_tag) return BspNode(QM_TRY(read_leaf(reader, kind)));
    if (tag == bsp_portal_tag) return BspNode(QM_TRY(read_portal(reader, kind, depth)));
    return BspNode(QM_TRY(read_internal(reader, kind, tag, depth)));
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
    return read_portal(reader, kind, 1);
}

ReadResult<BspNode> BspNode::read(ByteReader& reader, BspTreeKind kind) {
    return read_node(reader, kind, 1);
}

}  // namespace quillmere_dat::physics
