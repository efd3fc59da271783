#include <quillmere/dat/physics/bsp.hpp>

#include <utility>

// Ownership and comparison of whole trees. Neither recurses per level: a tree
// built in memory may be deeper than any the reader accepts.
namespace quillmere_dat::physics {

namespace {

struct Children {
    const BspNode* positive = nullptr;
    const BspNode* negative = nullptr;
};

Children children_of(const BspNode& node) {
    if (const auto* internal = std::get_if<InternalNode>(&node.value)) {
        return {internal->pos_child.get(), internal->neg_child.get()};
    }
    if (const auto* portal = std::get_if<BspPortal>(&node.value)) {
        return {portal->pos_child.get(), portal->neg_child.get()};
    }
    return {};
}

void take_children(BspNode& node, std::vector<std::unique_ptr<BspNode>>& out) {
    auto take = [&out](std::unique_ptr<BspNode>& child) {
        if (child) out.push_back(std::move(child));
    };
    if (auto* internal = std::get_if<InternalNode>(&node.value)) {
        take(internal->pos_child);
        take(internal->neg_child);
    } else if (auto* portal = std::get_if<BspPortal>(&node.value)) {
        take(portal->pos_child);
        take(portal->neg_child);
    }
}

// Everything but the children.
bool same_own_fields(const InternalNode& a, const InternalNode& b) {
    return a.node_type == b.node_type && a.plane == b.plane && a.sphere == b.sphere &&
           a.poly_ids == b.poly_ids;
}

bool same_own_fields(const BspPortal& a, const BspPortal& b) {
    return a.plane == b.plane && a.sphere == b.sphere && a.poly_ids == b.poly_ids &&
           a.portals == b.portals;
}

bool same_own_fields(const BspNode& a, const BspNode& b) {
    if (a.value.index() != b.value.index()) return false;
    return std::visit(
        [&b](const auto& left) {
            using Kind = std::decay_t<decltype(left)>;
            const auto& right = std::get<Kind>(b.value);
            if constexpr (std::is_same_v<Kind, BspLeaf>) {
                return left == right;
            } else {
                return same_own_fields(left, right);
            }
        },
        a.value);
}

// Walks both trees side by side with an explicit stack.
bool same_subtrees(std::vector<std::pair<const BspNode*, const BspNode*>> pending) {
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if ((a == nullptr) != (b == nullptr)) return false;
        if (a == nullptr) continue;
        if (!same_own_fields(*a, *b)) return false;
        const Children left = children_of(*a);
        const Children right = children_of(*b);
        pending.emplace_back(left.negative, right.negative);
        pending.emplace_back(left.positive, right.positive);
    }
    return true;
}

template <typename Split>
bool same_splits(const Split& a, const Split& b) {
    if (!same_own_fields(a, b)) return false;
    return same_subtrees({{a.neg_child.get(), b.neg_child.get()},
                          {a.pos_child.get(), b.pos_child.get()}});
}

}  // namespace

BspNode::~BspNode() {
    // Detach every descendant before it is destroyed, so no destructor below
    // this one has children left to recurse into.
    std::vector<std::unique_ptr<BspNode>> pending;
    take_children(*this, pending);
    while (!pending.empty()) {
        std::unique_ptr<BspNode> node = std::move(pending.back());
        pending.pop_back();
        take_children(*node, pending);
    }
}

bool operator==(const BspNode& a, const BspNode& b) { return same_subtrees({{&a, &b}}); }

bool operator==(const InternalNode& a, const InternalNode& b) { return same_splits(a, b); }

bool operator==(const BspPortal& a, const BspPortal& b) { return same_splits(a, b); }

}  // namespace quillmere_dat::physics
