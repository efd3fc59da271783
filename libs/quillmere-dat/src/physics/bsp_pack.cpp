#include <quillmere/dat/physics/bsp.hpp>
#include <quillmere/dat/utils/math_records.hpp>

namespace quillmere_dat::physics {

namespace {

using quillmere_common::math::Sphere;
using utils::ByteWriter;

void write_u16_list(ByteWriter& writer, const std::vector<std::uint16_t>& values) {
    for (const std::uint16_t value : values) writer.write_u16(value);
}

void write_counted_u16_list(ByteWriter& writer, const std::vector<std::uint16_t>& values) {
    writer.write_u32(static_cast<std::uint32_t>(values.size()));
    write_u16_list(writer, values);
}

// Tag and the fields that come before the children: the whole leaf, or the
// plane of a split.
void write_head(ByteWriter& writer, const BspNode& node, BspTreeKind kind) {
    if (const auto* leaf = std::get_if<BspLeaf>(&node.value)) {
        writer.write_u32(bsp_leaf_tag);
        writer.write_u32(leaf->leaf_index);
        if (kind != BspTreeKind::physics) return;
        writer.write_u32(leaf->solid);
        utils::pack(writer, leaf->sphere.value_or(Sphere{}));
        write_counted_u16_list(writer, leaf->poly_ids);
    } else if (const auto* internal = std::get_if<InternalNode>(&node.value)) {
        writer.write_u32(internal->tag());
        utils::pack(writer, internal->plane);
    } else {
        writer.write_u32(bsp_portal_tag);
        utils::pack(writer, std::get<BspPortal>(node.value).plane);
    }
}

// The fields that follow a split's children.
void write_trailer(ByteWriter& writer, const BspNode& node, BspTreeKind kind) {
    if (const auto* internal = std::get_if<InternalNode>(&node.value)) {
        if (kind == BspTreeKind::structural) return;
        utils::pack(writer, internal->sphere.value_or(Sphere{}));
        if (kind == BspTreeKind::physics) return;
        write_counted_u16_list(writer, internal->poly_ids);
    } else if (const auto* portal = std::get_if<BspPortal>(&node.value)) {
        if (kind != BspTreeKind::drawing) return;
        utils::pack(writer, portal->sphere.value_or(Sphere{}));
        writer.write_u32(static_cast<std::uint32_t>(portal->poly_ids.size()));
        writer.write_u32(static_cast<std::uint32_t>(portal->portals.size()));
        write_u16_list(writer, portal->poly_ids);
        for (const PortalPoly& poly : portal->portals) poly.pack(writer);
    }
}

}  // namespace

void PortalPoly::pack(ByteWriter& writer) const {
    writer.write_u16(portal_index);
    writer.write_u16(poly_id);
}

void BspNode::pack(ByteWriter& writer, BspTreeKind kind) const {
    // Pre-order with trailers: an explicit stack instead of recursion, so a
    // tree of any depth can be written.
    struct Step {
        const BspNode* node;
        bool trailer;
    };
    std::vector<Step> pending{{this, false}};
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        if (step.trailer) {
            write_trailer(writer, *step.node, kind);
            continue;
        }
        write_head(writer, *step.node, kind);
        const BspNode* positive = nullptr;
        const BspNode* negative = nullptr;
        if (const auto* internal = std::get_if<InternalNode>(&step.node->value)) {
            positive = internal->pos_child.get();
            negative = internal->neg_child.get();
        } else if (const auto* portal = std::get_if<BspPortal>(&step.node->value)) {
            positive = portal->pos_child.get();
            negative = portal->neg_child.get();
        } else {
            continue;  // a leaf has no children and no trailer
        }
        pending.push_back({step.node, true});
        if (negative != nullptr) pending.push_back({negative, false});
        if (positive != nullptr) pending.push_back({positive, false});
    }
}

}  // namespace quillmere_dat::physics
