// Opening archives and walking their directories, over hand-made archives:
// block size 2048 so that every node fits one block, nodes at 0x800 * k.

#include "archive_test_support.hpp"

#include "../src/archive/directory_walk.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace archive_test;
using quillmere_dat::DatDatabase;
using quillmere_dat::DatFileEntry;
using quillmere_dat::error::DatError;

namespace {

constexpr std::uint32_t block = 0x800;

std::uint32_t node_at(std::uint32_t k) { return block * k; }

// Stores each (offset, node) as one block, root at `root`.
Bytes directory_image(std::uint32_t root, const std::vector<std::pair<std::uint32_t, NodeLayout>>& nodes) {
    Bytes image = image_with_header(block, root);
    for (const auto& [offset, layout] : nodes) put_single_block(image, offset, node_bytes(layout));
    return image;
}

std::expected<DatDatabase, DatError> open_image(const Bytes& image) {
    const TempFile file(image);
    return DatDatabase::open(file.path());
}

std::vector<std::uint32_t> ids_of(const DatDatabase& database) { return database.file_ids(); }

}  // namespace

TEST(DatDatabaseOpen, ZeroHeaderOpensWithAnEmptyDirectory) {
    // Nothing is validated: magic 0, block size 0, root 0.
    const auto database = open_image(Bytes(0x190, 0));
    ASSERT_TRUE(database.has_value()) << database.error().display();
    EXPECT_EQ(database->file_count(), 0U);
    EXPECT_EQ(database->get_file(0xA9B4FFFF).error().display(),
              "File ID A9B4FFFF not found in provider");
    EXPECT_EQ(database->get_file(0).error().display(), "File ID 00000000 not found in provider");
}

TEST(DatDatabaseOpen, HeaderFieldsAreKeptAsRead) {
    Bytes image(0x190, 0);
    for (std::uint32_t k = 0; k < 15; ++k) put_u32(image, 0x140 + 4 * k, 0x01010101U * (k + 1));
    for (std::uint32_t k = 0; k < 16; ++k) image[0x17C + k] = static_cast<std::uint8_t>(0xF0 + k);
    put_u32(image, 0x18C, 0xDEADBEEF);
    put_u32(image, 0x160, 0);  // keep the directory empty
    const auto database = open_image(image);
    ASSERT_TRUE(database.has_value()) << database.error().display();
    const auto& header = database->header();
    EXPECT_EQ(header.magic, 0x01010101U);
    EXPECT_EQ(header.block_size, 0x02020202U);
    EXPECT_EQ(header.use_lru, 0x0C0C0C0CU);
    EXPECT_EQ(header.game_version, 0x0F0F0F0FU);
    EXPECT_EQ(header.version_string[0], 0xF0);
    EXPECT_EQ(header.version_string[15], 0xFF);
    EXPECT_EQ(header.version_minor, 0xDEADBEEFU);
}

TEST(DatDatabaseOpen, HeaderCutShortNamesTheFirstIncompleteField) {
    struct Case {
        std::size_t length;
        std::string field;
        std::string innermost;
    };
    const std::vector<Case> cases = {
        {0, "magic", "failed to fill whole buffer"},
        {0x143, "magic", "failed to fill whole buffer"},
        {0x147, "block_size", "failed to fill whole buffer"},
        {0x17C, "version_string", "not enough bytes in reader"},
        {0x18B, "version_string", "not enough bytes in reader"},
        {0x18C, "version_minor", "failed to fill whole buffer"},
        {0x18F, "version_minor", "failed to fill whole buffer"},
    };
    for (const auto& c : cases) {
        const auto database = open_image(Bytes(c.length, 0));
        ASSERT_FALSE(database.has_value()) << c.length;
        const auto* read = database.error().get_if<DatError::BinRead>();
        ASSERT_NE(read, nullptr) << c.length << ": " << database.error().display();
        ASSERT_EQ(read->error.frames().size(), 1U);
        EXPECT_EQ(read->error.frames()[0].message(), "While parsing field '" + c.field + "' in DatHeader");
        EXPECT_EQ(read->error.inner_display(), c.innermost) << c.length;
    }
}

TEST(DatDatabaseOpen, MissingFileIsAPathError) {
    const std::string path = testing::TempDir() + "no-such-archive.dat";
    const auto database = DatDatabase::open(path);
    ASSERT_FALSE(database.has_value());
    ASSERT_NE(database.error().get_if<DatError::PathError>(), nullptr);
    EXPECT_EQ(database.error().display(),
              "Failed to open file at " + path + ": No such file or directory (os error 2)");
}

TEST(DatDatabaseOpen, TwoOpensAreIndependentAndMovable) {
    Bytes image = directory_image(node_at(1), {{node_at(1), {{}, {entry(7, node_at(2), 3)}}}});
    put_single_block(image, node_at(2), Bytes{1, 2, 3});
    const TempFile file(image);
    auto first = DatDatabase::open(file.path());
    auto second = DatDatabase::open(file.path());
    ASSERT_TRUE(first.has_value() && second.has_value());
    { const DatDatabase discarded = std::move(*first); }
    EXPECT_EQ(second->get_file(7), (Bytes{1, 2, 3}));
    DatDatabase moved = std::move(*second);
    EXPECT_EQ(moved.get_file(7), (Bytes{1, 2, 3}));
}

TEST(DatDatabaseOpen, FailedOpensLeaveNoFileOpen) {
    const auto open_descriptors = [] {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
        return count;
    };
    const TempFile cyclic(directory_image(node_at(1), {{node_at(1), {{node_at(1)}, {}}}}));
    const TempFile short_header(Bytes(0x150, 0));
    const std::size_t before = open_descriptors();
    for (int round = 0; round < 3; ++round) {
        EXPECT_FALSE(DatDatabase::open(cyclic.path()).has_value());
        EXPECT_FALSE(DatDatabase::open(short_header.path()).has_value());
        EXPECT_FALSE(DatDatabase::open(testing::TempDir() + "no-such-archive.dat").has_value());
    }
    EXPECT_EQ(open_descriptors(), before);
}

TEST(DatDirectory, WalksOnlyTheSlotsTheNodeUses) {
    const std::uint32_t missing = 0x7FFF0000;  // beyond the file: reading it fails
    struct Case {
        std::string name;
        std::vector<std::pair<std::uint32_t, NodeLayout>> nodes;
        std::vector<std::uint32_t> ids;
    };
    std::vector<DatFileEntry> sixty_one;
    std::vector<std::uint32_t> all_slots(62);
    std::vector<std::pair<std::uint32_t, NodeLayout>> full_node;
    for (std::uint32_t k = 0; k < 61; ++k) sixty_one.push_back(entry(1000 + k));
    for (std::uint32_t k = 0; k < 62; ++k) {
        all_slots[k] = node_at(2 + k);
        full_node.push_back({node_at(2 + k), {{}, {entry(2000 + k)}}});
    }
    full_node.push_back({node_at(1), {all_slots, sixty_one}});
    std::vector<std::uint32_t> full_ids;
    for (std::uint32_t k = 0; k < 61; ++k) full_ids.push_back(1000 + k);
    for (std::uint32_t k = 0; k < 62; ++k) full_ids.push_back(2000 + k);

    const std::vector<Case> cases = {
        {"a leaf ignores its other slots",
         {{node_at(1), {{0, missing}, {entry(1), entry(2), entry(3)}}}},
         {1, 2, 3}},
        {"an internal node with 2 entries visits slots 0..2 only",
         {{node_at(1), {{node_at(2), node_at(3), node_at(4), missing}, {entry(10), entry(20)}}},
          {node_at(2), {{}, {entry(5)}}},
          {node_at(3), {{}, {entry(15)}}},
          {node_at(4), {{}, {entry(25)}}}},
         {5, 10, 15, 20, 25}},
        {"an empty slot is skipped",
         {{node_at(1), {{node_at(2), 0, node_at(4)}, {entry(10), entry(20)}}},
          {node_at(2), {{}, {entry(5)}}},
          {node_at(4), {{}, {entry(25)}}}},
         {5, 10, 20, 25}},
        {"61 entries and all 62 children", full_node, full_ids},
        {"an entry count of 0 with children still visits slot 0",
         {{node_at(1), {{node_at(2), missing}, {}}}, {node_at(2), {{}, {entry(9)}}}},
         {9}},
    };
    for (const auto& c : cases) {
        const auto database = open_image(directory_image(node_at(1), c.nodes));
        ASSERT_TRUE(database.has_value()) << c.name << ": " << database.error().display();
        EXPECT_EQ(ids_of(*database), c.ids) << c.name;
    }
}

TEST(DatDirectory, RepeatedIdKeepsTheEntryWalkedLast) {
    // Pre-order: the root's entries, then child 0's subtree, then child 1.
    const auto database = open_image(directory_image(
        node_at(1), {{node_at(1), {{node_at(2), node_at(3)}, {entry(5, 0, 0, 0x10)}}},
                     {node_at(2), {{}, {entry(5, 0, 0, 0x20), entry(6, 0, 0, 0x20)}}},
                     {node_at(3), {{}, {entry(6, 0, 0, 0x30)}}}}));
    ASSERT_TRUE(database.has_value()) << database.error().display();
    EXPECT_EQ(database->file_count(), 2U);
    EXPECT_EQ(database->find_entry(5)->bit_flags, 0x20U);
    EXPECT_EQ(database->find_entry(6)->bit_flags, 0x30U);
    EXPECT_EQ(database->find_entry(4), nullptr);
}

TEST(DatDirectory, TooManyEntriesFailInThe62ndEntry) {
    std::vector<DatFileEntry> entries;
    for (std::uint32_t k = 0; k < 61; ++k) entries.push_back(entry(k + 1));
    const auto database = open_image(directory_image(node_at(1), {{node_at(1), {{}, entries, 62}}}));
    ASSERT_FALSE(database.has_value());
    const auto* read = database.error().get_if<DatError::BinRead>();
    ASSERT_NE(read, nullptr) << database.error().display();
    ASSERT_EQ(read->error.frames().size(), 1U);
    EXPECT_TRUE(read->error.is_end_of_data());
    const std::string text = database.error().display();
    EXPECT_TRUE(text.starts_with("Binary read error: \n ╺")) << text;
    EXPECT_NE(text.find("Error: failed to fill whole buffer"), std::string::npos) << text;
    EXPECT_NE(text.find("While parsing field 'bit_flags' in DatFileEntry"), std::string::npos) << text;
}

TEST(DatDirectory, HostileTreesEndWithAnError) {
    struct Case {
        std::string name;
        std::vector<std::pair<std::uint32_t, NodeLayout>> nodes;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"a child pointing back to the root",
         {{node_at(1), {{node_at(2)}, {}}}, {node_at(2), {{node_at(1)}, {}}}},
         "Corruption detected: directory node at offset 0x800 is reached twice"},
        {"a node that is its own child", {{node_at(1), {{node_at(1)}, {}}}},
         "Corruption detected: directory node at offset 0x800 is reached twice"},
        {"one node in two slots",
         {{node_at(1), {{node_at(2), node_at(2)}, {entry(1)}}}, {node_at(2), {{}, {entry(2)}}}},
         "Corruption detected: directory node at offset 0x1000 is reached twice"},
        {"a child beyond the end of the archive",
         {{node_at(1), {{0x7FFF0000}, {}}}},
         "IO error: failed to fill whole buffer"},
        {"a failing child stops the walk before later siblings",
         {{node_at(1), {{0x7FFF0000, node_at(1)}, {entry(1)}}}},
         "IO error: failed to fill whole buffer"},
    };
    for (const auto& c : cases) {
        const auto database = open_image(directory_image(node_at(1), c.nodes));
        ASSERT_FALSE(database.has_value()) << c.name;
        EXPECT_EQ(database.error().display(), c.error) << c.name;
    }
}

TEST(DatDirectory, RootInAnArchiveShorterThanANodeFailsAtTheEnd) {
    // The 1716 node bytes cannot come from a file this short.
    Bytes image = image_with_header(block, 0x190);
    image.resize(0x400);
    const auto database = open_image(image);
    ASSERT_FALSE(database.has_value());
    EXPECT_EQ(database.error().display(), "IO error: failed to fill whole buffer");
}

TEST(DatDirectory, NodesSharingBytesCannotMultiplyTheDirectory) {
    // Nodes 16 bytes apart, each read contiguously from its single block:
    // node k's branches[0] is node k+1, and the other words its 1716 bytes
    // cover (other nodes' links and branches) fall on slots it never visits;
    // its entry count lands on a zero word. A well-formed archive gives each
    // node 1716 bytes of its own, so far fewer nodes fit.
    constexpr std::uint32_t depth = 20000;
    constexpr std::uint32_t first = 0x200;
    Bytes image = image_with_header(block, first);
    const std::uint32_t last = first + 16 * (depth - 1);
    image.resize(last + 4 + 1716);
    for (std::uint32_t k = 0; k + 1 < depth; ++k) put_u32(image, first + 16 * k + 4, first + 16 * (k + 1));
    const auto database = open_image(image);
    ASSERT_FALSE(database.has_value());
    EXPECT_EQ(database.error().display(),
              "Corruption detected: directory has more than the " +
                  std::to_string(image.size() / 1716 + 1) + " nodes the archive can hold");
}

TEST(DatDirectory, AVeryDeepTreeIsWalkedWithoutRecursion) {
    // 300000 levels, one node per level, served from memory: node k has one
    // entry with id k and its only child in slot 0.
    constexpr std::uint32_t depth = 300000;
    const Bytes blank = node_bytes({{}, {entry(0)}});
    const quillmere_dat::archive::NodeReader read_node = [&blank](std::uint32_t offset) {
        const std::uint32_t level = offset - 1;
        Bytes node = blank;
        put_u32(node, 0, level + 1 < depth ? offset + 1 : 0);  // branches[0]
        put_u32(node, 252 + 4, level);                          // the entry's id
        return std::expected<Bytes, DatError>(std::move(node));
    };
    const auto walked = quillmere_dat::archive::read_directory(read_node, 1, depth);
    ASSERT_TRUE(walked.has_value()) << walked.error().display();
    ASSERT_EQ(walked->size(), depth);
    for (std::uint32_t k = 0; k < depth; ++k) ASSERT_EQ((*walked)[k].id, k);

    const auto bounded = quillmere_dat::archive::read_directory(read_node, 1, depth - 1);
    ASSERT_FALSE(bounded.has_value());
    EXPECT_NE(bounded.error().get_if<DatError::Corruption>(), nullptr);
}

TEST(DatGetFile, ReturnsStoredOrDecompressedBytes) {
    const Bytes plain = {1, 2, 3, 4, 5};
    const Bytes compressed = {0x05, 0, 0, 0, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45};
    Bytes image = directory_image(
        node_at(1), {{node_at(1),
                      {{},
                       {entry(1, node_at(2), 5), entry(2, node_at(3), 10, 0x1),
                        entry(3, node_at(4), 3, 0x1), entry(4, 0, 0), entry(5, 0, 0, 0x1),
                        entry(6, node_at(5), 5, 0xFFFFFFFE)}}}});
    put_single_block(image, node_at(2), plain);
    put_single_block(image, node_at(3), compressed);
    put_single_block(image, node_at(4), Bytes{9, 8, 7});
    put_single_block(image, node_at(5), plain);
    const auto database = open_image(image);
    ASSERT_TRUE(database.has_value()) << database.error().display();

    struct Case {
        std::uint32_t id;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {1, plain},
        {2, {0x41, 0x42, 0x43, 0x44, 0x45}},
        {3, {9, 8, 7}},  // flagged compressed but shorter than the size prefix
        {4, {}},          // size 0 at offset 0: nothing is read
        {5, {}},
        {6, plain},  // only bit 0 means compressed
    };
    for (const auto& c : cases) {
        const auto bytes = database->get_file(c.id);
        ASSERT_TRUE(bytes.has_value()) << c.id << ": " << bytes.error().display();
        EXPECT_EQ(*bytes, c.expected) << c.id;
    }
}

TEST(DatGetFile, BrokenOrOversizedFilesAreIoErrors) {
    Bytes image = directory_image(
        node_at(1), {{node_at(1),
                      {{},
                       {entry(1, 0x7FFF0000, 10), entry(2, node_at(2), 0xFFFFFFFF),
                        entry(3, node_at(2), 0xFFFFFFF0, 0x1)}}}});
    put_single_block(image, node_at(2), Bytes{1, 2, 3});
    const auto database = open_image(image);
    ASSERT_TRUE(database.has_value()) << database.error().display();
    for (const std::uint32_t id : {1U, 2U, 3U}) {
        const auto bytes = database->get_file(id);
        ASSERT_FALSE(bytes.has_value()) << id;
        EXPECT_EQ(bytes.error().display(), "IO error: failed to fill whole buffer") << id;
    }
}
