// A run's memory hands out aligned, separate pieces of any size, across
// blocks, and keeps them all until the run ends.

#include "run_memory.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using scenery_bake_determinism::RunMemory;

TEST(RunMemory, PiecesAreAlignedSeparateAndKeptAcrossBlocks) {
    struct Request {
        std::size_t bytes;
        std::size_t alignment;
    };
    // Small pieces, an odd size before an aligned one, one larger than a
    // block and pieces that no longer fit in the current block.
    const std::vector<Request> requests = {
        {1, 1},     {24, 8},      {3, 1},  {64, 64},           {1000, 16},
        {5u << 20, 8}, {17, 1},   {(2u << 20) - 8, 8}, {40, 8}, {4096, 4096},
    };
    RunMemory memory;
    std::vector<unsigned char*> pieces;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        auto* piece = static_cast<unsigned char*>(memory.allocate(requests[i].bytes, requests[i].alignment));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece) % requests[i].alignment, 0U) << "request " << i;
        std::memset(piece, static_cast<int>(i + 1), requests[i].bytes);
        pieces.push_back(piece);
    }
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const std::string expected(requests[i].bytes, static_cast<char>(i + 1));
        EXPECT_EQ(std::memcmp(pieces[i], expected.data(), expected.size()), 0) << "request " << i;
    }
}

TEST(RunMemory, BacksPolymorphicContainers) {
    RunMemory memory;
    std::pmr::vector<std::pmr::string> lines(&memory);
    for (int i = 0; i < 20000; ++i) lines.emplace_back(std::string(100, static_cast<char>('a' + i % 26)));
    ASSERT_EQ(lines.size(), 20000U);
    EXPECT_EQ(std::string_view(lines[12345]), std::string(100, static_cast<char>('a' + 12345 % 26)));
    EXPECT_EQ(lines.get_allocator().resource(), &memory);
}
