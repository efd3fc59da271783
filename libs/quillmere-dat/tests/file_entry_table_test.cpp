// The directory table built while an archive opens: trees walked from memory
// (node offsets are just keys), their entries collected node by node into a
// FileEntryTable, compared with the plain rule "insert in walk order, the
// entry walked last wins". Search trees take the builder's merge path, every
// other tree its walk-order sort; both must give the rule's result.

#include "archive_test_support.hpp"

#include "../src/archive/directory_walk.hpp"

#include <quillmere/dat/file_entry_table.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace archive_test;
using quillmere_dat::DatFileEntry;
using quillmere_dat::FileEntryTable;
using quillmere_dat::archive::walk_directory;
using quillmere_dat::error::DatError;

namespace {

using Tree = std::map<std::uint32_t, NodeLayout>;  // node offset -> node; the root is at 1

struct Walked {
    std::vector<DatFileEntry> table;  // the builder's result
    std::vector<DatFileEntry> rule;   // walk order, last wins
    bool search_tree = false;
};

Walked walk(const Tree& tree) {
    Bytes node;
    const auto read_node = [&](std::uint32_t offset) -> std::expected<std::span<const std::uint8_t>, DatError> {
        node = node_bytes(tree.at(offset));
        return std::span<const std::uint8_t>(node);
    };
    FileEntryTable::Builder builder;
    std::map<std::uint32_t, DatFileEntry> last_wins;
    const auto sink = [&](std::span<const DatFileEntry> entries, bool leaf) {
        builder.add(entries, leaf);
        for (const DatFileEntry& entry : entries) last_wins.insert_or_assign(entry.id, entry);
    };
    const auto summary = walk_directory(read_node, 1, tree.size(), sink);
    EXPECT_TRUE(summary.has_value()) << summary.error().display();
    Walked walked;
    walked.search_tree = summary.has_value() && summary->search_tree;
    const FileEntryTable table = std::move(builder).finish(walked.search_tree);
    walked.table.assign(table.entries().begin(), table.entries().end());
    for (const auto& [id, entry] : last_wins) walked.rule.push_back(entry);
    for (const DatFileEntry& entry : walked.rule) {
        const DatFileEntry* found = table.find(entry.id);
        EXPECT_TRUE(found != nullptr && *found == entry) << "find(" << entry.id << ")";
    }
    return walked;
}

// An entry whose other fields tell where it was made.
DatFileEntry tagged(std::uint32_t id, std::uint32_t tag) {
    return {.bit_flags = 0, .id = id, .offset = tag, .size = tag * 3, .timestamp = tag, .version = 1};
}

// A random search tree over `ids` (ascending, distinct) in the layout the
// archive writer uses: a node of up to `fanout - 1` entries, an inner node's
// children between its separators. Nodes get offsets in creation order.
std::uint32_t build_search_tree(Tree& tree, std::span<const std::uint32_t> ids, std::mt19937& rng,
                                std::uint32_t fanout) {
    const auto offset = static_cast<std::uint32_t>(tree.size() + 1);
    NodeLayout& layout = tree[offset];
    if (ids.size() < fanout) {
        for (const std::uint32_t id : ids) layout.entries.push_back(tagged(id, offset));
        return offset;
    }
    // Children of random sizes with one separator between neighbours.
    std::vector<std::span<const std::uint32_t>> children;
    std::vector<std::uint32_t> separators;
    std::size_t at = 0;
    while (at < ids.size()) {
        const std::size_t left = ids.size() - at;
        std::size_t share = 1 + rng() % std::max<std::size_t>(1, left / 2);
        if (children.size() + 1 == fanout || share >= left) share = left;
        children.push_back(ids.subspan(at, share));
        at += share;
        if (at < ids.size()) separators.push_back(ids[at++]);
    }
    if (separators.size() == children.size()) {  // the last id became a separator
        children.push_back({});
    }
    for (const std::uint32_t id : separators) tree[offset].entries.push_back(tagged(id, offset));
    std::vector<std::uint32_t> branches;
    for (const auto child : children) {
        // An empty child is an empty slot.
        branches.push_back(child.empty() ? 0 : build_search_tree(tree, child, rng, fanout));
    }
    tree[offset].branches = branches;
    return offset;
}

}  // namespace

TEST(FileEntryTable, HandMadeTreesGiveTheEntryWalkedLast) {
    struct Case {
        std::string name;
        Tree tree;
        bool search_tree;
        std::vector<std::uint32_t> ids;
    };
    const std::vector<Case> cases = {
        {"one leaf", {{1, {{}, {tagged(3, 1), tagged(7, 1)}}}}, true, {3, 7}},
        {"separators around their children",
         {{1, {{2, 3}, {tagged(10, 1)}}}, {2, {{}, {tagged(4, 2), tagged(9, 2)}}}, {3, {{}, {tagged(11, 3)}}}},
         true,
         {4, 9, 10, 11}},
        {"a leaf out of order", {{1, {{}, {tagged(7, 1), tagged(3, 1)}}}}, false, {3, 7}},
        {"a child beyond its separator",
         {{1, {{2, 3}, {tagged(10, 1)}}}, {2, {{}, {tagged(12, 2)}}}, {3, {{}, {tagged(11, 3)}}}},
         false,
         {10, 11, 12}},
        {"an id in a node and its child: the child wins",
         {{1, {{2, 3}, {tagged(5, 1)}}}, {2, {{}, {tagged(5, 2)}}}, {3, {{}, {tagged(6, 3)}}}},
         false,
         {5, 6}},
        {"an id in two leaves: the later leaf wins",
         {{1, {{2, 3}, {tagged(5, 1)}}}, {2, {{}, {tagged(2, 2), tagged(8, 2)}}}, {3, {{}, {tagged(8, 3)}}}},
         false,
         {2, 5, 8}},
        {"an id twice in one leaf", {{1, {{}, {tagged(4, 1), tagged(4, 2), tagged(4, 3)}}}}, false, {4}},
        {"an inner node without entries", {{1, {{2}, {}}}, {2, {{}, {tagged(1, 2)}}}}, true, {1}},
        {"the extreme ids", {{1, {{}, {tagged(0, 1), tagged(0xFFFFFFFF, 1)}}}}, true, {0, 0xFFFFFFFF}},
    };
    for (const auto& c : cases) {
        const Walked walked = walk(c.tree);
        EXPECT_EQ(walked.search_tree, c.search_tree) << c.name;
        EXPECT_EQ(walked.table, walked.rule) << c.name;
        std::vector<std::uint32_t> ids;
        for (const DatFileEntry& entry : walked.table) ids.push_back(entry.id);
        EXPECT_EQ(ids, c.ids) << c.name;
    }
}

TEST(FileEntryTable, RandomTreesAgreeWithTheWalkOrderRule) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        const std::uint32_t fanout = 2 + rng() % 8;
        std::vector<std::uint32_t> ids(rng() % 400);
        for (auto& id : ids) id = round % 2 == 0 ? rng() : rng() % 2000;
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        if (ids.empty()) continue;
        Tree tree;
        build_search_tree(tree, ids, rng, fanout);

        const Walked clean = walk(tree);
        ASSERT_TRUE(clean.search_tree) << "round " << round;
        ASSERT_EQ(clean.table, clean.rule) << "round " << round;
        ASSERT_EQ(clean.table.size(), ids.size()) << "round " << round;

        // The same tree with one entry's id replaced by another id of the
        // tree (a repeat) or by one that leaves its bounds.
        auto node = std::next(tree.begin(), static_cast<std::ptrdiff_t>(rng() % tree.size()));
        if (node->second.entries.empty()) continue;
        DatFileEntry& changed = node->second.entries[rng() % node->second.entries.size()];
        const std::uint32_t old_id = changed.id;
        changed.id = round % 3 == 0 ? ids[rng() % ids.size()] : rng();
        changed.version = 2;
        const Walked broken = walk(tree);
        ASSERT_EQ(broken.table, broken.rule) << "round " << round;
        if (changed.id != old_id && std::binary_search(ids.begin(), ids.end(), changed.id)) {
            EXPECT_FALSE(broken.search_tree) << "round " << round << ": a repeated id";
        }
    }
}

TEST(FileEntryTable, EmptyAndMovedTablesStayUsable) {
    FileEntryTable empty = FileEntryTable::Builder().finish(true);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.find(0), nullptr);

    FileEntryTable::Builder builder;
    std::vector<DatFileEntry> many;
    for (std::uint32_t k = 0; k < 5000; ++k) many.push_back(tagged(k * 2, k));
    builder.add(many, true);  // grows past its first block
    FileEntryTable::Builder moved = std::move(builder);
    FileEntryTable table = std::move(moved).finish(true);
    FileEntryTable kept = std::move(table);
    ASSERT_EQ(kept.size(), 5000U);
    EXPECT_EQ(kept.find(4000)->offset, 2000U);
    EXPECT_EQ(kept.find(4001), nullptr);
    EXPECT_TRUE(table.empty());  // NOLINT(bugprone-use-after-move): a moved-from table is empty
}
