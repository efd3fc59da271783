#include "run_result.hpp"
#include "write_lines.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using scenery_bake_determinism::landblock_file_name;
using scenery_bake_determinism::write_lines;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

fs::path fresh_directory(const char* name) {
    const fs::path dir = fs::temp_directory_path() / (std::string("write-lines-") + name + "-" +
                                                      std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(WriteLines, FileNameHasFourUpperCaseHexDigits) {
    EXPECT_EQ(landblock_file_name(0xA9B4), "0xA9B4.scenery.jsonl");
    EXPECT_EQ(landblock_file_name(0x00AB), "0x00AB.scenery.jsonl");
}

TEST(WriteLines, EveryLineEndsInALineFeedAndExistingFilesAreTruncated) {
    const fs::path dir = fresh_directory("content");
    const scenery_bake_determinism::LineList lines = {"{\"a\":1}", "{\"b\":2}"};
    ASSERT_TRUE(write_lines(dir, 0xA9B4, lines).has_value());
    EXPECT_EQ(slurp(dir / "0xA9B4.scenery.jsonl"), "{\"a\":1}\n{\"b\":2}\n");

    ASSERT_TRUE(write_lines(dir, 0xA9B4, {}).has_value());
    EXPECT_EQ(slurp(dir / "0xA9B4.scenery.jsonl"), "");
    EXPECT_EQ(fs::file_size(dir / "0xA9B4.scenery.jsonl"), 0U);
    fs::remove_all(dir);
}

TEST(WriteLines, FailureNamesThePathAndCarriesTheSystemError) {
    const fs::path dir = fresh_directory("failure");
    const fs::path missing = dir / "no-such-directory";
    const auto result = write_lines(missing, 0x0001, {"x"});
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().report(),
              "Error: write " + (missing / "0x0001.scenery.jsonl").string() +
                  "\n\nCaused by:\n    No such file or directory (os error 2)\n");
    fs::remove_all(dir);
}
