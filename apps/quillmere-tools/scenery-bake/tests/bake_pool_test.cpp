// The worker pool on the demo world: the same bytes for every thread count,
// the check's own lines, and a stop at the sink's first failure.

#include "bake_pool.hpp"
#include "bake_ring.hpp"
#include "landblock_selection.hpp"
#include "open_world.hpp"
#include "sinks.hpp"
#include "test_world.hpp"
#include "write_lines.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <gtest/gtest.h>

#include <openssl/evp.h>

using namespace scenery_bake_tool;
namespace fs = std::filesystem;

namespace {

// Keeps everything it is given.
class MemorySink final : public LandblockSink {
public:
    std::expected<void, ToolError> write(const LandblockOutput& output) override {
        if (fail_at && order.size() == *fail_at) return std::unexpected(ToolError("disk full"));
        order.push_back(output.landblock);
        content += output.content;
        placements += output.placements;
        return {};
    }
    std::optional<std::size_t> fail_at;
    std::vector<std::uint16_t> order;
    std::string content;
    std::size_t placements = 0;
};

std::string sha256_hex(const std::string& data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

class BakePool : public ::testing::Test {
protected:
    void SetUp() override {
        portal_.emplace(std::move(*quillmere_dat::DatDatabase::open(test_world::demo().portal)));
        cell_.emplace(std::move(*quillmere_dat::DatDatabase::open(test_world::demo().cell)));
        region_ = std::move(*scenery_bake_determinism::read_region(*portal_));
    }

    std::expected<BakeTotals, ToolError> bake(std::span<const std::uint16_t> landblocks, unsigned threads,
                                              LandblockSink& sink, const Progress& progress = {}) {
        return bake_landblocks(region_, *portal_, *cell_, landblocks, threads, sink, progress);
    }

    std::optional<quillmere_dat::DatDatabase> portal_;
    std::optional<quillmere_dat::DatDatabase> cell_;
    quillmere_dat::file_type::region::Region region_;
};

}  // namespace

TEST_F(BakePool, EveryThreadCountGivesTheCheckLinesInLandblockOrder) {
    const auto landblocks = resolve_landblocks(WholeWorld{}, *cell_);
    ASSERT_GT(landblocks.size(), 169U);

    // The check's own run, joined into file contents.
    std::string expected;
    std::size_t expected_placements = 0;
    for (const auto& entry : scenery_bake_determinism::bake_ring_to_lines(region_, *portal_, *cell_, landblocks)) {
        expected += entry.lines.text();
        expected_placements += entry.lines.size();
    }
    ASSERT_GT(expected_placements, 1000U);

    for (const unsigned threads : {1U, 2U, 3U, 8U, 64U}) {
        MemorySink sink;
        const auto totals = bake(landblocks, threads, sink);
        ASSERT_TRUE(totals.has_value()) << threads;
        EXPECT_EQ(sink.order, landblocks) << threads;
        EXPECT_EQ(sink.content, expected) << threads;
        EXPECT_EQ(totals->landblocks, landblocks.size());
        EXPECT_EQ(totals->placements, expected_placements);
    }
}

TEST_F(BakePool, DigestOfTheSquareIsTheGoldenDigestAndTheDirectoryFilesConcatenated) {
    const auto square = landblock_rectangle(0xA3AE, 0xAFBA);
    const auto golden = test_world::golden();

    DigestSink digest;
    const auto totals = bake(square, 2, digest);
    ASSERT_TRUE(totals.has_value());
    EXPECT_EQ(digest.hex_digest(), golden.at("sha256"));
    EXPECT_EQ(std::to_string(totals->placements), golden.at("placements"));

    const fs::path directory = test_world::scratch() / "pool-directory" / "nested";
    auto files = DirectorySink::create(directory);
    ASSERT_TRUE(files.has_value());
    ASSERT_TRUE(bake(square, 3, **files).has_value());
    std::string concatenated;
    std::size_t count = 0;
    for (const std::uint16_t landblock : square) {
        const fs::path file = directory / scenery_bake_determinism::landblock_file_name(landblock);
        ASSERT_TRUE(fs::exists(file)) << file;
        concatenated += test_world::slurp(file);
        ++count;
    }
    EXPECT_EQ(count, 169U);
    EXPECT_EQ(sha256_hex(concatenated), golden.at("sha256"));

    const fs::path one_file = test_world::scratch() / "pool-file" / "square.jsonl";
    auto stream = StreamSink::create(one_file);
    ASSERT_TRUE(stream.has_value());
    ASSERT_TRUE(bake(square, 2, **stream).has_value());
    ASSERT_TRUE((*stream)->finish().has_value());
    EXPECT_EQ(test_world::slurp(one_file), concatenated);
}

TEST_F(BakePool, StopsAtTheSinksFirstFailure) {
    const auto landblocks = resolve_landblocks(WholeWorld{}, *cell_);
    for (const unsigned threads : {1U, 2U, 4U}) {
        for (const std::size_t fail_at : {std::size_t{0}, std::size_t{5}, landblocks.size() - 1}) {
            MemorySink sink;
            sink.fail_at = fail_at;
            const auto totals = bake(landblocks, threads, sink);
            ASSERT_FALSE(totals.has_value());
            EXPECT_EQ(totals.error().message(), "disk full");
            EXPECT_EQ(sink.order.size(), fail_at);
        }
    }
}

TEST_F(BakePool, ReportsProgressUpToTheTotal) {
    const auto landblocks = resolve_landblocks(WholeWorld{}, *cell_);
    for (const unsigned threads : {1U, 2U}) {
        std::vector<std::size_t> seen;
        MemorySink sink;
        ASSERT_TRUE(bake(landblocks, threads, sink, [&](std::size_t done, std::size_t total) {
                        EXPECT_EQ(total, landblocks.size());
                        seen.push_back(done);
                    }).has_value());
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.back(), landblocks.size());
    }
}

TEST_F(BakePool, NoLandblocksIsNothingToDo) {
    MemorySink sink;
    const auto totals = bake({}, 4, sink);
    ASSERT_TRUE(totals.has_value());
    EXPECT_EQ(totals->landblocks, 0U);
    EXPECT_TRUE(sink.content.empty());
}
