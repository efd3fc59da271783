// Runs the real check as a child process on worlds built in a temporary
// folder, and looks at its exit status, its whole standard error and its
// run files.

#include "model_content.hpp"
#include "profiles.hpp"
#include "random.hpp"
#include "world_builder.hpp"
#include "world_shape.hpp"

#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
namespace region = quillmere_dat::file_type::region;
using quillmere_mkworld::WorldBuilder;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

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

std::string quote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome {
    int status = -1;
    std::string stderr_text;
    std::string stdout_text;
};

class CheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("e2e-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "world");
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path world() const { return dir_ / "world"; }
    fs::path portal() const { return world() / quillmere_mkworld::portal_file_name; }
    fs::path cell() const { return world() / quillmere_mkworld::cell_file_name; }
    fs::path out() const { return dir_ / "out"; }

    void write(const WorldBuilder& builder) const { ASSERT_TRUE(builder.write(world()).has_value()); }

    // Runs the check with exactly these variables set (unset when nullopt).
    Outcome run(std::optional<std::string> portal_dat, std::optional<std::string> cell_dat,
                std::optional<std::string> out_dir) const {
        std::string command = "env -u QUILLMERE_PORTAL_DAT -u QUILLMERE_CELL_DAT -u QUILLMERE_DETERMINISM_OUT";
        if (portal_dat) command += " QUILLMERE_PORTAL_DAT=" + quote(*portal_dat);
        if (cell_dat) command += " QUILLMERE_CELL_DAT=" + quote(*cell_dat);
        if (out_dir) command += " QUILLMERE_DETERMINISM_OUT=" + quote(*out_dir);
        command += " " + quote(SCENERY_BAKE_DETERMINISM_EXE) + " >" + quote((dir_ / "stdout").string()) + " 2>" +
                   quote((dir_ / "stderr").string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.stderr_text = slurp(dir_ / "stderr");
        outcome.stdout_text = slurp(dir_ / "stdout");
        return outcome;
    }
    Outcome run() const { return run(portal().string(), cell().string(), out().string()); }

    std::string banner() const {
        return "scenery-bake-determinism: portal=" + portal().string() + " cell=" + cell().string() + "\n";
    }

    fs::path dir_;
};

const std::string baking =
    "scenery-bake-determinism: baking 13\u00D713 = 169 LBs (run 1)\n"
    "scenery-bake-determinism: baking 13\u00D713 = 169 LBs (run 2)\n";

std::string verdict_pass(std::size_t total) {
    return "scenery-bake-determinism: total placements = " + std::to_string(total) +
           " across 169 LBs\n"
           "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical across 2 runs\n";
}

std::size_t line_count(const fs::path& file) {
    const std::string text = slurp(file);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A world of one landblock (the square's centre) whose every vertex grows the
// same one-object scene; `buildings` go into its objects file.
WorldBuilder tiny_world(std::vector<quillmere_dat::landblock::BuildInfo> buildings) {
    constexpr std::uint32_t scene_id = 0x12000001;
    constexpr std::uint32_t tree = 0x01000001;
    constexpr std::uint32_t house = 0x01000002;
    region::Region r;
    r.id = 0x13000000;
    r.name = "Tiny";
    r.part_flags = region::part_scene;
    r.scene_desc = region::SceneDesc{{region::SceneType{0, {scene_id}}}};
    r.terrain_desc.terrain_types.push_back(region::TerrainType{"Grass", 0, {0}});

    quillmere_dat::file_type::object_desc::ObjectDesc object;
    object.obj_id = tree;
    object.frame.origin = {6.0F, 6.0F, 0.0F};
    object.frequency = 1.0F;
    object.min_scale = object.max_scale = 1.0F;

    quillmere_mkworld::Random random(7);
    WorldBuilder builder;
    builder.add_portal(0x13000000, r);
    builder.add_portal(scene_id, quillmere_dat::file_type::scene::Scene{scene_id, {object}});
    builder.add_portal(tree, quillmere_mkworld::make_graphics_object(tree, 1.0F, random));
    builder.add_portal(house, quillmere_mkworld::make_graphics_object(house, 300.0F, random));
    quillmere_dat::landblock::CellLandblock terrain;
    builder.add_cell(0xA9B4FFFF, terrain);
    if (!buildings.empty()) {
        for (auto& b : buildings) b.model_id = house;
        quillmere_dat::landblock::LandblockInfo info;
        info.buildings = std::move(buildings);
        builder.add_cell(0xA9B4FFFE, info);
    }
    return builder;
}

}  // namespace

TEST_F(CheckTest, DemoWorldPassesWithIdenticalRunFiles) {
    write(quillmere_mkworld::build_world(quillmere_mkworld::Profile::demo, 1));
    const Outcome outcome = run();
    ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
    EXPECT_EQ(outcome.stdout_text, "");

    std::size_t total = 0;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out() / "run1")) {
        ++files;
        total += line_count(entry.path());
        EXPECT_EQ(slurp(entry.path()), slurp(out() / "run2" / entry.path().filename()));
    }
    EXPECT_EQ(files, 169U);
    EXPECT_GT(total, 1000U);
    EXPECT_EQ(outcome.stderr_text, banner() + baking + verdict_pass(total));

    // The demo's damaged landblocks: no terrain file, a truncated one.
    for (const char* name : {"0xA5B0.scenery.jsonl", "0xA7B2.scenery.jsonl"}) {
        EXPECT_TRUE(fs::exists(out() / "run1" / name));
        EXPECT_EQ(fs::file_size(out() / "run1" / name), 0U);
        EXPECT_EQ(fs::file_size(out() / "run2" / name), 0U);
    }
}

TEST_F(CheckTest, MinimalWorldPasses) {
    write(quillmere_mkworld::build_world(quillmere_mkworld::Profile::minimal, 1));
    const Outcome outcome = run();
    ASSERT_EQ(outcome.status, 0) << outcome.stderr_text;
    const std::size_t placed = line_count(out() / "run1" / "0xA9B4.scenery.jsonl");
    EXPECT_GT(placed, 0U);
    EXPECT_EQ(outcome.stderr_text, banner() + baking + verdict_pass(placed));
}

TEST_F(CheckTest, BuildingsBlockSceneryAndAMissingObjectsFileBlocksNothing) {
    write(tiny_world({}));
    ASSERT_EQ(run().status, 0);
    const std::size_t open_ground = line_count(out() / "run1" / "0xA9B4.scenery.jsonl");
    EXPECT_GT(open_ground, 0U);

    // A house far outside the landblock blocks nothing; one in its middle,
    // 600 units across, blocks everything.
    quillmere_dat::landblock::BuildInfo far_away;
    far_away.frame.origin = {5000.0F, 5000.0F, 0.0F};
    far_away.frame.orientation = {1.0F, 0.0F, 0.0F, 0.0F};
    write(tiny_world({far_away}));
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(line_count(out() / "run1" / "0xA9B4.scenery.jsonl"), open_ground);

    quillmere_dat::landblock::BuildInfo centre = far_away;
    centre.frame.origin = {96.0F, 96.0F, 0.0F};
    write(tiny_world({centre}));
    const Outcome blocked = run();
    ASSERT_EQ(blocked.status, 0);
    EXPECT_EQ(line_count(out() / "run1" / "0xA9B4.scenery.jsonl"), 0U);
    EXPECT_EQ(blocked.stderr_text, banner() + baking + verdict_pass(0));
}

TEST_F(CheckTest, NoArchiveFoundReportsThePortalFirstAndNothingElse) {
    const Outcome outcome =
        run((dir_ / "missing-portal.dat").string(), (dir_ / "missing-cell.dat").string(), out().string());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.stderr_text, "Error: client_portal.dat not found in any candidate location\n");
    EXPECT_FALSE(fs::exists(out()));

    write(tiny_world({}));
    const Outcome no_cell = run(portal().string(), (dir_ / "missing-cell.dat").string(), out().string());
    EXPECT_EQ(no_cell.status, 1);
    EXPECT_EQ(no_cell.stderr_text, "Error: client_cell_1.dat not found in any candidate location\n");
}

TEST_F(CheckTest, ArchiveAndRegionFailuresCarryTheirContext) {
    // A portal archive cut inside its header: the banner comes first.
    write(tiny_world({}));
    fs::resize_file(portal(), 0x14A);  // inside file_size
    const Outcome cut = run();
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.stderr_text.starts_with(banner() + "Error: open portal\n\nCaused by:\n    0: Binary read error: \n"))
        << cut.stderr_text;
    EXPECT_NE(cut.stderr_text.find("While parsing field 'file_size' in DatHeader"), std::string::npos);

    // No region file.
    WorldBuilder no_region;
    no_region.add_cell(0xA9B4FFFF, quillmere_dat::landblock::CellLandblock{});
    write(no_region);
    EXPECT_EQ(run().stderr_text, banner() + "Error: fetch Region 0x13000000\n\nCaused by:\n"
                                            "    File ID 13000000 not found in provider\n");

    // A region that does not decode.
    WorldBuilder bad_region;
    bad_region.add_portal_bytes(0x13000000, {1, 2, 3, 4, 5});
    write(bad_region);
    EXPECT_EQ(run().stderr_text,
              banner() + "Error: parse Region\n\nCaused by:\n    failed to fill whole buffer\n");
    EXPECT_FALSE(fs::exists(out()));
}

TEST_F(CheckTest, OutputRootUnderARegularFileFailsBeforeAnyRunFile) {
    write(tiny_world({}));
    std::ofstream(dir_ / "plain-file") << "x";
    const Outcome outcome = run(portal().string(), cell().string(), (dir_ / "plain-file" / "out").string());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.stderr_text, banner() + baking + "Error: Not a directory (os error 20)\n");
}

TEST_F(CheckTest, RunFileThatCannotBeWrittenStopsWithItsPath) {
    write(tiny_world({}));
    fs::create_directories(out() / "run1" / "0xA3AE.scenery.jsonl");  // a directory where the file goes
    const Outcome outcome = run();
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.stderr_text, banner() + baking + "Error: write " +
                                       (out() / "run1" / "0xA3AE.scenery.jsonl").string() +
                                       "\n\nCaused by:\n    Is a directory (os error 21)\n");
    EXPECT_FALSE(fs::exists(out() / "run2" / "0xA3AE.scenery.jsonl"));
}

TEST_F(CheckTest, EmptyOutputVariableMeansTheWorkingDirectory) {
    write(tiny_world({}));
    const fs::path cwd = dir_ / "cwd";
    fs::create_directories(cwd);
    const fs::path previous = fs::current_path();
    fs::current_path(cwd);
    const Outcome outcome = run(portal().string(), cell().string(), std::string());
    fs::current_path(previous);
    EXPECT_EQ(outcome.status, 0) << outcome.stderr_text;
    EXPECT_TRUE(fs::exists(cwd / "run1" / "0xA9B4.scenery.jsonl"));
    EXPECT_TRUE(fs::exists(cwd / "run2" / "0xAFBA.scenery.jsonl"));
}

// The placements of the demo world are pinned: any change of the baker, the
// line format or the demo world shows up here as a deliberate change of the
// golden values.
TEST_F(CheckTest, DemoWorldMatchesTheGoldenDigest) {
    write(quillmere_mkworld::build_world(quillmere_mkworld::Profile::demo, 1));
    ASSERT_EQ(run().status, 0);

    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(out() / "run1")) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& file : files) all += slurp(file);

    std::map<std::string, std::string> golden;
    std::istringstream lines(slurp(SCENERY_BAKE_DETERMINISM_GOLDEN));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto space = line.find(' ');
        golden[line.substr(0, space)] = line.substr(space + 1);
    }
    EXPECT_EQ(std::to_string(std::count(all.begin(), all.end(), '\n')), golden["placements"]);
    EXPECT_EQ(sha256_hex(all), golden["sha256"]);
}
