// Block reads whose payload position wraps at 32 bits: a block's link and
// payload are normally read together in one request, which only works while
// the payload follows the link in the file.

#include "archive_test_support.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

using namespace archive_test;
using quillmere_dat::DatDatabase;

TEST(BlockChain, PayloadPositionsWrapAt32Bits) {
    // A block at 0xFFFFFFFC or above has its payload at block + 4 modulo
    // 2^32, back at the start of the file. The archive is a sparse file just
    // over 4 GiB: its last blocks read as zeros, so their links are 0 and
    // each is the chain's last block. The bytes before the header tell their
    // own offset.
    const auto marker = [](std::size_t at) { return static_cast<std::uint8_t>(at * 7 + 3); };
    Bytes image = image_with_header(1024, 0);
    for (std::size_t at = 0; at < quillmere_dat::DatHeader::offset; ++at) image[at] = marker(at);
    const TempFile file(image);
    std::error_code error;
    std::filesystem::resize_file(file.path(), 0x100000010ULL, error);
    if (error) GTEST_SKIP() << "no room for a sparse 4 GiB file: " << error.message();
    auto database = DatDatabase::open(file.path());
    ASSERT_TRUE(database.has_value()) << database.error().display();

    for (const std::uint32_t block : {0xFFFFFFFCU, 0xFFFFFFFEU}) {
        const auto data = database->read_file_data(block, 300);
        ASSERT_TRUE(data.has_value()) << block << ": " << data.error().display();
        Bytes expected;
        for (std::uint32_t k = 0; k < 300; ++k) expected.push_back(marker(block + 4U + k));
        EXPECT_EQ(*data, expected) << block;
    }
}
