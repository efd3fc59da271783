#include <quillmere/dat/utils/lrs.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using quillmere_dat::utils::compress_lrs;
using quillmere_dat::utils::decompress_lrs;
using Bytes = std::vector<std::uint8_t>;

TEST(DecompressLrs, DecodesTokenStreams) {
    struct Case {
        std::string name;
        Bytes stored;
        Bytes expected;
    };
    const Bytes six_41(6, 0x41);
    const std::vector<Case> cases = {
        {"shorter than the size prefix comes back unchanged", {0x01, 0x02, 0x03}, {0x01, 0x02, 0x03}},
        {"empty comes back empty", {}, {}},
        {"five literals", {0x05, 0, 0, 0, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45},
         {0x41, 0x42, 0x43, 0x44, 0x45}},
        {"distance 1 repeats the last byte", {0x06, 0, 0, 0, 0x40, 0x41, 0x01, 0x03}, six_41},
        {"literals announced but missing", {0x08, 0, 0, 0, 0x00, 0x41}, {0x41}},
        {"a flag byte and nothing after it", {0x05, 0, 0, 0, 0x00}, {}},
        {"distance 0 ends the stream early", {0x09, 0, 0, 0, 0x40, 0x41, 0x00, 0x05, 0x42}, {0x41}},
        {"uncompressed size 0 ignores the tokens", {0, 0, 0, 0, 0x00, 0x41, 0x42}, {}},
        // 41 42, then distance 5 length 3: the source index stays 0 while the
        // output is shorter than the distance.
        {"distance beyond the output reads from index 0",
         {0x05, 0, 0, 0, 0x20, 0x41, 0x42, 0x05, 0x01}, {0x41, 0x42, 0x41, 0x41, 0x41}},
        {"output is cut at the declared size mid-reference",
         {0x03, 0, 0, 0, 0x40, 0x41, 0x01, 0x0F}, {0x41, 0x41, 0x41}},
        {"a back-reference missing its second byte ends decoding",
         {0x09, 0, 0, 0, 0x40, 0x41, 0x01}, {0x41}},
        {"a back-reference before any output ends decoding",
         {0x09, 0, 0, 0, 0x80, 0x01, 0x03, 0x41}, {}},
        // 0x10 0x12: distance 0x110 = 272, length 4; from index 0 while the
        // output is shorter than 272 bytes.
        {"high nibble of b1 extends the distance", {0x05, 0, 0, 0, 0x40, 0x7A, 0x10, 0x12},
         {0x7A, 0x7A, 0x7A, 0x7A, 0x7A}},
        // Two flag bytes: eight literals, then a reference of distance 8 length 8.
        {"a second flag byte follows eight tokens",
         {0x10, 0, 0, 0, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 0x08, 0x06},
         {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decompress_lrs(c.stored), c.expected) << c.name;
    }
}

TEST(DecompressLrs, HugeDeclaredSizeReservesOnlyWhatTheTokensCanMake) {
    // uncompressed_size 0xFFFFFFFF with one literal and one reference of
    // distance 1 and length 17.
    const Bytes stored = {0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x41, 0x01, 0x0F};
    const Bytes output = decompress_lrs(stored);
    EXPECT_EQ(output, Bytes(18, 0x41));
    EXPECT_LE(output.capacity(), 4U * 17U);
}

namespace {

// The decoding rules applied one token and one byte at a time, with no
// shortcuts: the oracle for the decoder's whole-run copies.
Bytes decode_token_by_token(const Bytes& stored) {
    if (stored.size() < 4) return stored;
    const std::uint32_t size = stored[0] | stored[1] << 8 | stored[2] << 16 |
                               static_cast<std::uint32_t>(stored[3]) << 24;
    Bytes out;
    std::size_t i = 4;
    unsigned flags = 0;
    int used = 8;
    while (i < stored.size() && out.size() < size) {
        if (used == 8) {
            flags = stored[i++];
            used = 0;
        }
        const bool reference = (flags >> (7 - used++)) & 1U;
        if (!reference) {
            if (i == stored.size()) break;
            out.push_back(stored[i++]);
            continue;
        }
        if (i + 1 >= stored.size()) break;
        const std::size_t distance = stored[i] | (stored[i + 1] & 0xF0) << 4;
        const std::size_t length = (stored[i + 1] & 0x0F) + 2;
        if (distance == 0 || out.empty()) break;
        i += 2;
        for (std::size_t k = 0; k < length && out.size() < size; ++k) {
            out.push_back(out[out.size() - std::min(out.size(), distance)]);
        }
    }
    return out;
}

}  // namespace

TEST(DecompressLrs, MatchesTokenByTokenDecodingOnArbitraryStreams) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t tokens_size = std::uniform_int_distribution<std::size_t>(0, 600)(rng);
        // Short distances make valid repeats common; some rounds use the
        // full 12 bits so references beyond the output and zero distances
        // occur too.
        const bool short_distances = round % 3 != 0;
        Bytes stored(4);
        const std::uint32_t size = round % 5 == 0 ? 0xFFFFFFFFU
                                                  : std::uniform_int_distribution<std::uint32_t>(0, 4000)(rng);
        for (int b = 0; b < 4; ++b) stored[b] = static_cast<std::uint8_t>(size >> (8 * b));
        while (stored.size() < 4 + tokens_size) {
            const auto flags = static_cast<std::uint8_t>(rng() & rng());  // mostly literals
            stored.push_back(flags);
            for (int bit = 7; bit >= 0; --bit) {
                if ((flags >> bit) & 1) {
                    const std::uint32_t distance = short_distances ? 1 + rng() % 40 : rng() % 4096;
                    stored.push_back(static_cast<std::uint8_t>(distance));
                    stored.push_back(static_cast<std::uint8_t>((distance >> 8) << 4 | (rng() & 0x0F)));
                } else {
                    stored.push_back(static_cast<std::uint8_t>(rng()));
                }
            }
        }
        stored.resize(4 + tokens_size);
        ASSERT_EQ(decompress_lrs(stored), decode_token_by_token(stored)) << "round " << round;
    }
}

namespace {

Bytes random_bytes(std::size_t size, std::uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, alphabet - 1);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(pick(rng));
    return bytes;
}

}  // namespace

TEST(CompressLrs, RoundTripsEveryKindOfData) {
    struct Case {
        std::string name;
        Bytes data;
    };
    Bytes text;
    for (int k = 0; k < 2000; ++k) {
        const std::string line = "placement " + std::to_string(k % 37) + " at " + std::to_string(k * 7) + "\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    Bytes far_repeat = random_bytes(5000, 3, 256);
    far_repeat.insert(far_repeat.end(), far_repeat.begin(), far_repeat.begin() + 3000);
    const std::vector<Case> cases = {
        {"empty", {}},
        {"one byte", {0x7F}},
        {"two equal bytes", {9, 9}},
        {"random", random_bytes(100000, 1, 256)},
        {"small alphabet", random_bytes(50000, 2, 3)},
        {"one repeated byte", Bytes(70000, 0xAB)},
        {"text", text},
        {"repeat at the edge of the window", far_repeat},
        {"zero bytes", Bytes(4095 * 3 + 17, 0)},
    };
    for (const auto& c : cases) {
        const Bytes stored = compress_lrs(c.data);
        ASSERT_GE(stored.size(), 4U) << c.name;
        EXPECT_EQ(decompress_lrs(stored), c.data) << c.name;
    }
}

TEST(CompressLrs, RepetitiveDataShrinksAndRandomDataBarelyGrows) {
    const Bytes same(100000, 0x55);
    // At best 17 bytes per two-byte reference.
    EXPECT_LT(compress_lrs(same).size(), same.size() / 7);

    const Bytes pattern = [] {
        Bytes b;
        for (int k = 0; k < 40000; ++k) b.push_back(static_cast<std::uint8_t>("scenery"[k % 7]));
        return b;
    }();
    EXPECT_LT(compress_lrs(pattern).size(), pattern.size() / 7);

    const Bytes noise = random_bytes(65536, 4, 256);
    EXPECT_LE(compress_lrs(noise).size(), 4 + noise.size() + noise.size() / 8 + 1);
}

TEST(CompressLrs, NeverEmitsTheEndMarkerOrAnEarlyReference) {
    // Decoding stops at a zero distance and at a reference before any output,
    // so a stream containing either would not round-trip: data full of
    // repeats at every distance exercises both.
    for (std::uint32_t seed = 10; seed < 20; ++seed) {
        Bytes data = random_bytes(20000, seed, 2);
        EXPECT_EQ(decompress_lrs(compress_lrs(data)), data);
    }
    const Bytes stored = compress_lrs(Bytes(10, 0x41));
    ASSERT_GE(stored.size(), 6U);
    EXPECT_EQ(stored[4] & 0x80, 0) << "the first token must be a literal";
}
