#include "archive_test_support.hpp"

#include <quillmere/dat/dat_database.hpp>
#include <quillmere/dat/dat_writer.hpp>
#include <quillmere/dat/utils/byte_reader.hpp>
#include <quillmere/dat/utils/lrs.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <vector>

using namespace archive_test;
using quillmere_dat::DatDatabase;
using quillmere_dat::DatFileEntry;
using quillmere_dat::DatHeader;
using quillmere_dat::DatWriter;

namespace {

// File contents that differ by id and size, some of them compressible.
Bytes content_for(std::uint32_t id, std::mt19937& rng) {
    const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 3000)(rng);
    Bytes bytes(size);
    for (std::size_t k = 0; k < size; ++k) {
        bytes[k] = id % 3 == 0 ? static_cast<std::uint8_t>(k % 13) : static_cast<std::uint8_t>(rng());
    }
    return bytes;
}

// Checks the B-tree ordering of the directory: entries ascending in each
// node, every id of child j between the node's entries j-1 and j, and an
// internal node with k entries using exactly slots 0..k.
void expect_ordered_tree(const DatDatabase& database, std::uint32_t offset, std::int64_t low,
                         std::int64_t high, int depth = 0) {
    ASSERT_LT(depth, 8);
    const auto node = database.read_file_data(offset, DatDatabase::node_size);
    ASSERT_TRUE(node.has_value());
    quillmere_dat::utils::ByteReader reader(*node);
    std::vector<std::uint32_t> branches;
    for (int slot = 0; slot < 62; ++slot) branches.push_back(reader.read_u32().value());
    const std::uint32_t count = reader.read_u32().value();
    ASSERT_GE(count, 1U);
    ASSERT_LE(count, 61U);
    std::vector<std::int64_t> bounds = {low};
    for (std::uint32_t k = 0; k < count; ++k) {
        const DatFileEntry entry = DatFileEntry::unpack(reader).value();
        ASSERT_GT(entry.id, bounds.back());
        bounds.push_back(entry.id);
    }
    ASSERT_LT(bounds.back(), high);
    bounds.push_back(high);
    if (branches[0] == 0) {
        for (const std::uint32_t branch : branches) EXPECT_EQ(branch, 0U);
        return;
    }
    for (std::size_t slot = 0; slot < 62; ++slot) {
        if (slot > count) {
            EXPECT_EQ(branches[slot], 0U);
            continue;
        }
        ASSERT_NE(branches[slot], 0U);
        expect_ordered_tree(database, branches[slot], bounds[slot], bounds[slot + 1], depth + 1);
    }
}

}  // namespace

TEST(DatWriter, RoundTripsThousandsOfFilesOverSeveralBlockSizes) {
    struct Case {
        std::uint32_t block_size;
        std::size_t files;
        bool compressed;
    };
    const std::vector<Case> cases = {
        {1024, 5000, false}, {1024, 4000, true}, {256, 3000, true}, {4096, 61, false},
        {4096, 62, false},   {8, 300, false},    {5, 40, true},      {1720, 3783, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "block size " << c.block_size << ", " << c.files
                                        << " files, compressed " << c.compressed);
        std::mt19937 rng(c.block_size);
        DatWriter writer(c.block_size);
        std::map<std::uint32_t, Bytes> expected;
        for (std::size_t k = 0; k < c.files; ++k) {
            // Spread ids over the whole 32-bit range, including both ends.
            const std::uint32_t id = k == 0 ? 0 : k == 1 ? 0xFFFFFFFF : static_cast<std::uint32_t>(rng());
            Bytes bytes = content_for(id, rng);
            expected[id] = bytes;
            writer.add_file(id, std::move(bytes), c.compressed, id ^ 0x5A5A, 7);
        }
        const TempFile file;
        ASSERT_TRUE(writer.write(file.path()).has_value());
        const auto database = DatDatabase::open(file.path());
        ASSERT_TRUE(database.has_value()) << database.error().display();
        EXPECT_EQ(database->header().block_size, c.block_size);
        EXPECT_EQ(database->header().file_size, std::filesystem::file_size(file.path()));
        ASSERT_EQ(database->file_count(), expected.size());
        for (const auto& [id, bytes] : expected) {
            const auto read = database->get_file(id);
            ASSERT_TRUE(read.has_value()) << id << ": " << read.error().display();
            ASSERT_EQ(*read, bytes) << id;
            const DatFileEntry* entry = database->find_entry(id);
            EXPECT_EQ(entry->is_compressed(), c.compressed);
            EXPECT_EQ(entry->timestamp, id ^ 0x5A5AU);
            EXPECT_EQ(entry->version, 7U);
        }
        expect_ordered_tree(*database, database->header().root_offset, -1, 0x100000000LL);
    }
}

TEST(DatWriter, EmptyArchiveHasRootZeroAndZeroesBeforeTheHeader) {
    DatHeader fields;
    fields.magic = 0x1234;
    fields.root_offset = 0x999;  // decided by the layout, not taken over
    fields.version_string[0] = 'q';
    DatWriter writer;
    writer.set_header(fields);
    const Bytes archive = writer.build();
    ASSERT_GE(archive.size(), 0x190U);
    for (std::size_t k = 0; k < 0x140; ++k) ASSERT_EQ(archive[k], 0) << k;

    const TempFile file(archive);
    const auto database = DatDatabase::open(file.path());
    ASSERT_TRUE(database.has_value()) << database.error().display();
    EXPECT_EQ(database->header().root_offset, 0U);
    EXPECT_EQ(database->header().magic, 0x1234U);
    EXPECT_EQ(database->header().version_string[0], 'q');
    EXPECT_EQ(database->file_count(), 0U);
}

TEST(DatWriter, RepeatedIdReplacesAndOutputIsDeterministic) {
    const auto make = [] {
        DatWriter writer(512);
        writer.add_file(3, Bytes{1, 2, 3});
        writer.add_file(1, Bytes(2000, 9), true);
        writer.add_file(3, Bytes{4, 5});
        writer.add_file(2, Bytes{});
        return writer;
    };
    const DatWriter writer = make();
    EXPECT_EQ(writer.file_count(), 3U);
    const Bytes archive = writer.build();
    EXPECT_EQ(archive, make().build());

    const TempFile file(archive);
    const auto database = DatDatabase::open(file.path());
    ASSERT_TRUE(database.has_value()) << database.error().display();
    EXPECT_EQ(database->get_file(3), (Bytes{4, 5}));
    EXPECT_EQ(database->get_file(1), Bytes(2000, 9));
    EXPECT_EQ(database->get_file(2), Bytes{});
    EXPECT_EQ(database->find_entry(2)->offset, 0U);
    EXPECT_LT(database->find_entry(1)->size, 400U);
}

TEST(DatWriter, PatchedDirectoryCycleIsCorruption) {
    // A writer-made archive whose root node points its first child back at
    // itself.
    DatWriter writer(1024);
    for (std::uint32_t id = 1; id <= 200; ++id) writer.add_file(id, Bytes(3000, static_cast<std::uint8_t>(id)));
    const Bytes archive = writer.build();
    const TempFile original(archive);
    const auto database = DatDatabase::open(original.path());
    ASSERT_TRUE(database.has_value()) << database.error().display();
    const std::uint32_t root = database->header().root_offset;

    Bytes cyclic = archive;
    put_u32(cyclic, root + 4, root);  // branches[0] of the root
    const TempFile cyclic_file(cyclic);
    const auto cyclic_database = DatDatabase::open(cyclic_file.path());
    ASSERT_FALSE(cyclic_database.has_value());
    EXPECT_EQ(cyclic_database.error().get_if<quillmere_dat::error::DatError::Corruption>()->text,
              "directory node at offset 0x" + [&] {
                  char hex[16];
                  std::snprintf(hex, sizeof hex, "%X", root);
                  return std::string(hex);
              }() + " is reached twice");

}
