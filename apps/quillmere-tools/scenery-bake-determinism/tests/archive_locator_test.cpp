#include "archive_locator.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using scenery_bake_determinism::ArchiveCandidates;
using scenery_bake_determinism::locate_archive;

namespace {

class LocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("locator-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path touch(const std::string& name) {
        const fs::path path = dir_ / name;
        std::ofstream(path) << "x";
        return path;
    }

    fs::path dir_;
};

}  // namespace

TEST_F(LocatorTest, EnvironmentNamingAMissingPathFallsThroughToFixedPaths) {
    const std::vector<fs::path> fixed = {dir_ / "absent.dat", touch("second.dat")};
    const auto found = locate_archive({"client_portal.dat", dir_ / "missing.dat", fixed});
    EXPECT_EQ(found, fixed[1]);
}

TEST_F(LocatorTest, EnvironmentComesFirstAndEmptyValueIsACandidate) {
    const std::vector<fs::path> fixed = {touch("fixed.dat")};
    const fs::path env = touch("env.dat");
    EXPECT_EQ(locate_archive({"client_cell_1.dat", env, fixed}), env);
    // An empty value is probed (and, as a path, never exists).
    EXPECT_EQ(locate_archive({"client_cell_1.dat", fs::path(""), fixed}), fixed[0]);
}

TEST_F(LocatorTest, SymbolicLinksAreFollowedAndAnyKindOfFileCounts) {
    fs::create_symlink(dir_ / "nowhere", dir_ / "dangling");
    const std::vector<fs::path> fixed = {dir_ / "dangling", dir_};
    EXPECT_EQ(locate_archive({"client_cell_1.dat", std::nullopt, fixed}), dir_);
}

TEST_F(LocatorTest, NothingFoundNamesTheArchive) {
    const std::vector<fs::path> fixed = {dir_ / "a", dir_ / "b"};
    EXPECT_EQ(locate_archive({"client_portal.dat", std::nullopt, fixed}).error().report(),
              "Error: client_portal.dat not found in any candidate location\n");
}
