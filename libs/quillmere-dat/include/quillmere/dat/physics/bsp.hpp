#pragma once

#include <quillmere/common/math.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/byte_writer.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// Binary space partitioning trees of a graphics object. A tree is decoded
// depth-first and pre-order: a node's tag and plane (or leaf fields), then
// its whole positive subtree, then its whole negative subtree, then the
// node's trailing fields. Which fields a node carries depends on the kind of
// tree it belongs to, handed unchanged to every node.
namespace quillmere_dat::physics {

enum class BspTreeKind : std::uint32_t {
    drawing = 0,
    physics = 1,
    structural = 2,  // readable; no graphics object carries one
};

// The deepest tree the reader accepts, the root being level 1. Real trees are
// a few dozen levels deep; the reader recurses once per level, and this bound
// keeps that recursion well inside the stack even in instrumented builds
// (about half a megabyte at the limit under AddressSanitizer).
// A deeper tree fails with the check "BSP tree deeper than 1024 levels" at
// the position of the first tag below the limit.
inline constexpr std::size_t max_bsp_depth = 1024;

// Node tags, as read with read_u32: the four characters from the most
// significant byte down ("LEAF" is stored as the bytes 46 41 45 4C).
inline constexpr std::uint32_t bsp_leaf_tag = 0x4C454146;    // LEAF
inline constexpr std::uint32_t bsp_portal_tag = 0x504F5254;  // PORT

struct BspNode;

// One portal reference of a portal node: 4 bytes, read field by field.
struct PortalPoly {
    std::uint16_t portal_index = 0;
    std::uint16_t poly_id = 0;

    static utils::ReadResult<PortalPoly> unpack(utils::ByteReader& reader);
    void pack(utils::ByteWriter& writer) const;

    friend bool operator==(const PortalPoly&, const PortalPoly&) = default;
};

// Only `leaf_index` is stored in drawing and structural trees; physics trees
// add the rest.
struct BspLeaf {
    std::uint32_t leaf_index = 0;
    std::uint32_t solid = 0;
    std::optional<quillmere_common::math::Sphere> sphere;
    std::vector<std::uint16_t> poly_ids;

    friend bool operator==(const BspLeaf&, const BspLeaf&) = default;
};

// A split by `plane`. The tag decides which children follow on the wire:
// only tags of the form B{P|p}{I|n}{N|n} have any, 'P' second for the
// positive child and 'N' fourth for the negative one; every other tag
// (including unknown ones) has none. `pack` writes the children the node
// holds, so they must agree with `node_type`.
struct InternalNode {
    std::array<char, 4> node_type{};  // the tag's characters, most significant first
    quillmere_common::math::Plane plane;
    std::unique_ptr<BspNode> pos_child;
    std::unique_ptr<BspNode> neg_child;
    std::optional<quillmere_common::math::Sphere> sphere;  // drawing and physics trees
    std::vector<std::uint16_t> poly_ids;                   // drawing trees

    [[nodiscard]] std::uint32_t tag() const noexcept;
    [[nodiscard]] static std::array<char, 4> node_type_of(std::uint32_t tag) noexcept;

    // Compares whole subtrees, without recursion.
    friend bool operator==(const InternalNode& a, const InternalNode& b);
};

// A split by `plane` that also lists portal polygons. Both children are
// always present on the wire, and a decoded portal always holds both.
struct BspPortal {
    quillmere_common::math::Plane plane;
    std::unique_ptr<BspNode> pos_child;
    std::unique_ptr<BspNode> neg_child;
    std::optional<quillmere_common::math::Sphere> sphere;  // drawing trees
    std::vector<std::uint16_t> poly_ids;                   // drawing trees
    std::vector<PortalPoly> portals;                       // drawing trees

    // The cursor stands just after a PORT tag. The portal is taken to be the
    // root of its tree for the depth bound.
    static utils::ReadResult<BspPortal> read(utils::ByteReader& reader, BspTreeKind kind);

    // Compares whole subtrees, without recursion.
    friend bool operator==(const BspPortal& a, const BspPortal& b);
};

// One node of a tree; owns its subtree exclusively. Nodes are move-only.
// Destroying, comparing and packing walk the tree with an explicit stack, so
// a tree of any depth built in memory is safe; only reading is bounded by
// `max_bsp_depth`.
struct BspNode {
    std::variant<BspLeaf, InternalNode, BspPortal> value;

    BspNode() = default;
    BspNode(BspLeaf leaf) : value(std::move(leaf)) {}             // NOLINT(google-explicit-constructor)
    BspNode(InternalNode node) : value(std::move(node)) {}        // NOLINT(google-explicit-constructor)
    BspNode(BspPortal portal) : value(std::move(portal)) {}       // NOLINT(google-explicit-constructor)
    BspNode(BspNode&&) noexcept = default;
    BspNode& operator=(BspNode&&) noexcept = default;
    BspNode(const BspNode&) = delete;
    BspNode& operator=(const BspNode&) = delete;
    ~BspNode();

    // The cursor stands at the node's tag; on success it stands after the
    // last byte of the subtree. A failure anywhere fails the whole node.
    static utils::ReadResult<BspNode> read(utils::ByteReader& reader, BspTreeKind kind);

    // Writes exactly what `read` with the same kind consumes, for any tree
    // `read` can produce: every portal holds both children and every internal
    // node the children its tag names. Fields the kind carries but the node
    // lacks are written as zeros.
    void pack(utils::ByteWriter& writer, BspTreeKind kind) const;

    // Deep comparison, without recursion.
    friend bool operator==(const BspNode& a, const BspNode& b);
};

}  // namespace quillmere_dat::physics
