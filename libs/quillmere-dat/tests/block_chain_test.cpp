// Block chains read through DatDatabase::read_file_data over hand-made
// archives whose payload bytes encode their own file offset, so every byte
// read tells where it came from.

#include "archive_test_support.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace archive_test;
using quillmere_dat::DatDatabase;

namespace {

std::uint8_t marker(std::size_t file_offset) { return static_cast<std::uint8_t>(file_offset * 7 + 3); }

// Marker bytes for every payload byte, then the given links.
Bytes marked_image(std::uint32_t block_size, std::size_t length) {
    Bytes image = image_with_header(block_size, 0);
    const std::size_t header_end = image.size();
    image.resize(length);
    for (std::size_t at = header_end; at < length; ++at) image[at] = marker(at);
    return image;
}

Bytes expected_from(std::vector<std::pair<std::size_t, std::size_t>> pieces) {
    Bytes out;
    for (const auto& [start, count] : pieces) {
        for (std::size_t k = 0; k < count; ++k) out.push_back(marker(start + k));
    }
    return out;
}

}  // namespace

TEST(BlockChain, GathersPayloadsAlongTheChain) {
    // 1024-byte blocks. A 0x400 -> B 0x800 -> C 0xC00 -> end.
    // D 0x1000 -> E 0x1400 -> 0x40000000 (beyond the file).
    // F 0x1800 -> end, followed by enough bytes for a 3000-byte read.
    Bytes image = marked_image(1024, 0x1800 + 4 + 3000);
    put_u32(image, 0x400, 0x800);
    put_u32(image, 0x800, 0xC00);
    put_u32(image, 0xC00, 0);
    put_u32(image, 0x1000, 0x1400);
    put_u32(image, 0x1400, 0x40000000);
    put_u32(image, 0x1800, 0);
    const TempFile file(image);
    auto database = DatDatabase::open(file.path());
    ASSERT_TRUE(database.has_value()) << database.error().display();

    struct Case {
        std::string name;
        std::uint32_t offset;
        std::uint32_t size;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"three blocks: 1020 + 1020 + 460", 0x400, 2500,
         expected_from({{0x404, 1020}, {0x804, 1020}, {0xC04, 460}})},
        {"size reached in the second block: its link is not followed", 0x1000, 1500,
         expected_from({{0x1004, 1020}, {0x1404, 480}})},
        {"exactly two payloads", 0x1000, 2040, expected_from({{0x1004, 1020}, {0x1404, 1020}})},
        {"last block supplies everything contiguously", 0x1800, 3000,
         expected_from({{0x1804, 3000}})},
        {"size 0 at offset 0 reads nothing", 0, 0, {}},
        {"size 0 anywhere reads nothing", 0xFFFFFF00, 0, {}},
    };
    for (const auto& c : cases) {
        const auto data = database->read_file_data(c.offset, c.size);
        ASSERT_TRUE(data.has_value()) << c.name << ": " << data.error().display();
        EXPECT_EQ(*data, c.expected) << c.name;
    }
}

TEST(BlockChain, FailuresEndPromptlyWithClearErrors) {
    struct Case {
        std::string name;
        std::uint32_t block_size;
        std::vector<std::pair<std::size_t, std::uint32_t>> links;
        std::uint32_t offset;
        std::uint32_t size;
        std::string error;
    };
    const std::string eof = "IO error: failed to fill whole buffer";
    const std::vector<Case> cases = {
        {"chain leads past the end", 1024, {{0x400, 0x40000000}}, 0x400, 2000, eof},
        {"first block past the end", 1024, {}, 0x10000, 10, eof},
        {"last block's payload runs past the end", 1024, {{0x400, 0}}, 0x400, 0xC00, eof},
        // A size beyond the archive's length could never be gathered; it
        // fails before a buffer of that size is made.
        {"size beyond the archive", 1024, {{0x400, 0}}, 0x400, 0xFFFFFFFF, eof},
        // Payload-less blocks looping on themselves would never gather a byte.
        {"4-byte blocks looping", 4, {{0x400, 0x400}}, 0x400, 100,
         "Corruption detected: block chain starting at offset 0x400 does not end within the "
         "1025 blocks the archive can hold"},
        {"8-byte blocks in a two-block loop", 8, {{0x400, 0x408}, {0x408, 0x400}}, 0x400, 0x1000,
         "Corruption detected: block chain starting at offset 0x400 does not end within the "
         "513 blocks the archive can hold"},
    };
    for (const auto& c : cases) {
        Bytes image = marked_image(c.block_size, 0x1000);
        for (const auto& [at, next] : c.links) put_u32(image, at, next);
        const TempFile file(image);
        auto database = DatDatabase::open(file.path());
        ASSERT_TRUE(database.has_value()) << c.name << ": " << database.error().display();
        const auto data = database->read_file_data(c.offset, c.size);
        ASSERT_FALSE(data.has_value()) << c.name;
        EXPECT_EQ(data.error().display(), c.error) << c.name;
    }
}

TEST(BlockChain, BlockSizesBelowFourWrapToOneWholeBlock) {
    // block_size - 4 wraps to a huge payload, so the first block supplies
    // everything; its nonzero link is never followed.
    for (const std::uint32_t block_size : {0U, 1U, 3U}) {
        Bytes image = marked_image(block_size, 0x800);
        put_u32(image, 0x400, 0x7FFFFFF0);
        const TempFile file(image);
        auto database = DatDatabase::open(file.path());
        ASSERT_TRUE(database.has_value()) << database.error().display();
        const auto data = database->read_file_data(0x400, 500);
        ASSERT_TRUE(data.has_value()) << block_size << ": " << data.error().display();
        EXPECT_EQ(*data, expected_from({{0x404, 500}})) << block_size;
    }
}
